#pragma once
// What the desktop services' dialogs share: the sound a dialog plays when it appears, the
// base of the components that show a dialog of their own, and the description of one
// button of such a dialog. Windows only.
#include "classlib/windows/buttons.h"
#include "classlib/core/component.h"

HX_ENUM(TDskBeeptype, bNone, bDefault, bAsterix, bExclamation, bQuestion, bCriticalStop);

// The MessageBeep type of a sound (0, MB_ICONASTERISK ...); -1 for bNone.
int DskBeepCode(TDskBeeptype Sound);
// Plays the sound through the system calls (desktop/dsksysinfo.h); bNone plays nothing.
void DskPlayBeep(TDskBeeptype Sound);

class TDskDialogComponent : public TComponent {
  HX_CLASS(TDskDialogComponent, TComponent)
 public:
  explicit TDskDialogComponent(TComponent* AOwner);

  TDskBeeptype Sound = bNone;
  // An informational text for designers; never stored.
  String About;

  // Plays Sound.
  virtual void PlaySound();
};

// One button of a dialog. Each change is applied at once to the bound button (a TBitBtn
// or a TSpeedButton; any other control, or none, only keeps the values), which then
// repaints, and OnChange fires. The bound button must outlive the binding.
class TDskButtonDetails : public TPersistent {
  HX_CLASS(TDskButtonDetails, TPersistent)
 public:
  TDskButtonDetails();
  ~TDskButtonDetails() override;

  TControl* GetButton() const { return FButton; }
  void SetButton(TControl* Value) { FButton = Value; }

  TBitmap* GetGlyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Kept for the dialog that asks before the button acts.
  bool GetConfirmOnPress() const { return FConfirmOnPress; }
  void SetConfirmOnPress(bool Value);
  const String& GetConfirmMessage() const { return FConfirmMessage; }
  void SetConfirmMessage(const String& Value);
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& Value);
  const String& GetHint() const { return FHint; }
  void SetHint(const String& Value);
  // Applied to a bitmap button only.
  bool GetShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);

  TNotifyEvent OnChange;

 private:
  // Repaints the bound button and tells OnChange.
  void Changed();

  TControl* FButton = nullptr;
  std::unique_ptr<TBitmap> FGlyph;
  bool FVisible = true;
  bool FEnabled = true;
  bool FConfirmOnPress = false;
  String FConfirmMessage;
  String FCaption;
  String FHint;
  bool FShowHint = false;
};
