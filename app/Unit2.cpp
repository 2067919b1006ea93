#include "app/Unit2.h"

TForm2* Form2 = nullptr;

HX_PUBLISH(TForm2, p) {}
