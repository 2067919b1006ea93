#pragma once
// TForm3, the settings window (an empty window for now). Windows only.
#include "classlib/forms.h"

class TForm3 : public TForm {
  HX_CLASS(TForm3, TForm)
 public:
  using TForm::TForm;
};

extern TForm3* Form3;
