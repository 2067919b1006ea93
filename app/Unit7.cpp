#include "app/Unit7.h"

TForm7* Form7 = nullptr;

HX_PUBLISH(TForm7, p) {}
