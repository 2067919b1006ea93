#pragma once
// TForm2, the micro clock (an empty window for now). Windows only.
#include "classlib/forms.h"

class TForm2 : public TForm {
  HX_CLASS(TForm2, TForm)
 public:
  using TForm::TForm;
};

extern TForm2* Form2;
