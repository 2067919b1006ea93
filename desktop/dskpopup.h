#pragma once
// TDskPopUp: short notices in small borderless windows that stay on top without taking the
// focus, at one of nine places on the screen (or, while others are open and CascadePopups
// is on, 10 pixels right and down from the last), sized to their text in Font (wrapped at
// half the screen's width) with an optional icon, each closing itself after TimeOut seconds
// (at least one: a notice has nothing to close it by). The notices belong to the
// component's owner; a component that goes before them lets them run their time.
// Windows only.
#include <memory>
#include <vector>

#include "classlib/windows/dialogs.h"
#include "classlib/windows/extctrls.h"
#include "classlib/windows/forms.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/timers.h"

HX_ENUM(TMestoScreen, msTopLeft, msTopCenter, msTopRight, msCenterLeft, msCenter, msCenterRight, msBottomLeft,
        msBottomCenter, msBottomRight);

class TDskPopUp;

// The notice window, built in code.
class TDskPopUpForm : public TCustomForm {
  HX_CLASS(TDskPopUpForm, TCustomForm)
 public:
  explicit TDskPopUpForm(TComponent* AOwner);

  TPanel* pnlBorder;
  TImage* imgIcon;
  TLabel* lblText;
  TTimer* tmrExit;
  int TimeOut = 10;  // seconds
  // The component that opened it, until it goes.
  TDskPopUp* PopUp = nullptr;

  // Shows the window without activating it, on top, and starts the time-out.
  void ShowNotice();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void DoClose(TCloseAction& Action) override;
  void SetWindowVisibility() override;
};

class TDskPopUp : public TComponent {
  HX_CLASS(TDskPopUp, TComponent)
 public:
  explicit TDskPopUp(TComponent* AOwner);
  ~TDskPopUp() override;

  TColor BkColor = clInfoBk;
  String Text;
  int TimeOut = 10;  // seconds; below 1 counts as 1
  TMestoScreen MestoScreen = msTopRight;
  std::uint16_t MarginX = 10, MarginY = 10;
  bool CascadePopups = true;
  TFont* GetFont() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  // An icon of the system for the four standard types; mtCustom clears it.
  TMsgDlgType GetDlgType() const { return FDlgType; }
  void SetDlgType(TMsgDlgType Value);
  // Setting one makes the type mtCustom.
  TIcon* GetPopUpIcon() const { return FPopUpIcon.get(); }
  void SetPopUpIcon(TIcon* Value);

  // Opens one notice; true.
  bool Show();
  // The notices open now.
  int OpenCount() const { return FCount; }

 private:
  friend class TDskPopUpForm;
  void NoticeClosed(TDskPopUpForm* Notice);

  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TIcon> FPopUpIcon;
  TMsgDlgType FDlgType = mtCustom;
  int FCount = 0;
  int FNextX = 0, FNextY = 0;
  std::vector<TDskPopUpForm*> FNotices;
};
