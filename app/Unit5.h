#pragma once
// TForm5, the audio player (an empty window for now). Windows only.
#include "classlib/forms.h"

class TForm5 : public TForm {
  HX_CLASS(TForm5, TForm)
 public:
  using TForm::TForm;
};

extern TForm5* Form5;
