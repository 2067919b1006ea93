#include "app/Unit4.h"

TForm4* Form4 = nullptr;

HX_PUBLISH(TForm4, p) {}
