#include "app/Unit3.h"

TForm3* Form3 = nullptr;

HX_PUBLISH(TForm3, p) {}
