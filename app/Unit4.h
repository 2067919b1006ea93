#pragma once
// TForm4, the reminder calendar (an empty window for now). Windows only.
#include "classlib/forms.h"

class TForm4 : public TForm {
  HX_CLASS(TForm4, TForm)
 public:
  using TForm::TForm;
};

extern TForm4* Form4;
