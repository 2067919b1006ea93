#pragma once
// TForm6, the notes (an empty window for now). Windows only.
#include "classlib/forms.h"

class TForm6 : public TForm {
  HX_CLASS(TForm6, TForm)
 public:
  using TForm::TForm;
};

extern TForm6* Form6;
