#pragma once
// TForm7, the work-area probe (an empty window for now). Windows only.
#include "classlib/windows/forms.h"

class TForm7 : public TForm {
  HX_CLASS(TForm7, TForm)
 public:
  using TForm::TForm;
};

extern TForm7* Form7;
