#include "app/Unit5.h"

TForm5* Form5 = nullptr;

HX_PUBLISH(TForm5, p) {}
