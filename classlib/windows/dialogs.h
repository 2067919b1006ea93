#pragma once
// Message and input dialogs: small modal forms built in code, with the class library's own
// captions, in Russian as the rest of the program ("Подтверждение", "ОК", "Отмена" ...).
// Windows only.
#include <memory>

#include "classlib/windows/forms.h"
#include "classlib/core/seam.h"

HX_ENUM(TMsgDlgType, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom);
HX_ENUM(TMsgDlgBtn, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp);
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

inline constexpr TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline constexpr TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// The dialog MessageDlg shows, for callers that adjust it first; the caller owns it. Its
// buttons are named after their kind ("Yes", "OK", "NoToAll" ...; their captions "&Да",
// "ОК", "Н&ет для всех" ...), the text is "Message".
std::unique_ptr<TForm> CreateMessageDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons);
// Shows the message modally; the button pressed (mrYes, mrOk ...), mrCancel when closed.
TModalResult MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
// A message with an OK button, under the application's title.
void ShowMessage(const String& Msg);
// Asks for a line of text; true and the text in Value when OK was pressed.
bool InputQuery(const String& Caption, const String& Prompt, String& Value);
// The same; Default when cancelled.
String InputBox(const String& Caption, const String& Prompt, const String& Default);

// Asks whether to go on with something that cannot be undone (a deletion), with OK and
// Cancel; true for OK. Behind a seam (TSeam<TConfirmation>::Get()), so tests answer it.
class TConfirmation {
 public:
  virtual ~TConfirmation() = default;
  virtual bool Confirm(const String& Msg) = 0;
  static TConfirmation& System();
};
