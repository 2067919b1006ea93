#pragma once
// TAboutBox, the about box: the program's JPEG picture (a click greets with the stored sound),
// name, version and release date, where to write and where to read about it, and the
// credits. Windows only.
#include "classlib/windows/buttons.h"
#include "classlib/windows/extctrls.h"
#include "classlib/windows/forms.h"
#include "classlib/windows/stdctrls.h"
#include "controls/kitlabel.h"
#include "desktop/dsklabels.h"

class TDskWaveHolder;

class TAboutBox : public TForm {
  HX_CLASS(TAboutBox, TForm)
 public:
  using TForm::TForm;

  // From the form.
  TImage* ProgramIcon = nullptr;       // the program's picture (JPEG): a click plays stored sound 0
  TKitLabel* ProductName = nullptr;    // "Хоравокс", sunken
  TDskVersionLabel* DskVersionLabel1 = nullptr;  // "Версия:" and the executable's FileVersion
  TLabel* ReleaseDate = nullptr;
  TLabel* MailCaption = nullptr;       // "E-Mail:"
  TDskCommandLabel* DskCommandLabel1 = nullptr;  // the address: a click opens a new mail to it
  TLabel* SiteCaption = nullptr;       // "Сайт:"
  TDskCommandLabel* DskCommandLabel2 = nullptr;  // the web page: a click opens it
  TBitBtn* BitBtn1 = nullptr;          // "Ясно!": closes (mrOk)
  TBitBtn* BitBtn2 = nullptr;          // the credits
  TDskWaveHolder* DskWaveHolder1 = nullptr;  // one stored sound, "Wazzap.wav"

  void ProgramIconClick(TObject* Sender);
  void BitBtn2Click(TObject* Sender);
};

extern TAboutBox* AboutBox;

// The credits BitBtn2 shows.
extern const char kAboutCredits[];

// The main window's "О программе": shows the about box modally; one visible already comes
// to the front.
void ShowAboutBox();
