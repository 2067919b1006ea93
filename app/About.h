#pragma once
// TAboutBox, the about box (an empty window for now). Windows only.
#include "classlib/forms.h"

class TAboutBox : public TForm {
  HX_CLASS(TAboutBox, TForm)
 public:
  using TForm::TForm;
};

extern TAboutBox* AboutBox;
