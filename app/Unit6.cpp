#include "app/Unit6.h"

TForm6* Form6 = nullptr;

HX_PUBLISH(TForm6, p) {}
