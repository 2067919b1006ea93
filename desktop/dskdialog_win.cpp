#include "desktop/dskdialog.h"

#include <algorithm>

#include "classlib/core/winapi.h"
#include "desktop/dsksysinfo.h"

HX_PUBLISH(TDskDialogComponent, p) {
  p.Property("Sound", &TDskDialogComponent::Sound, &TDskDialogComponent::Sound).Default(bNone);
  p.Property("About", &TDskDialogComponent::About, &TDskDialogComponent::About).Stored(false);
}

HX_PUBLISH(TDskButtonDetails, p) {
  p.Property("Glyph", &TDskButtonDetails::GetGlyph, &TDskButtonDetails::SetGlyph);
  p.Property("Visible", &TDskButtonDetails::GetVisible, &TDskButtonDetails::SetVisible).Default(true);
  p.Property("Enabled", &TDskButtonDetails::GetEnabled, &TDskButtonDetails::SetEnabled).Default(true);
  p.Property("ConfirmOnPress", &TDskButtonDetails::GetConfirmOnPress, &TDskButtonDetails::SetConfirmOnPress)
      .Default(false);
  p.Property("ConfirmMessage", &TDskButtonDetails::GetConfirmMessage, &TDskButtonDetails::SetConfirmMessage)
      .Default("");
  p.Property("Caption", &TDskButtonDetails::GetCaption, &TDskButtonDetails::SetCaption).Default("");
  p.Property("Hint", &TDskButtonDetails::GetHint, &TDskButtonDetails::SetHint).Default("");
  p.Property("ShowHint", &TDskButtonDetails::GetShowHint, &TDskButtonDetails::SetShowHint).Default(false);
}

int DskBeepCode(TDskBeeptype Sound) {
  switch (Sound) {
    case bDefault: return 0;
    case bAsterix: return MB_ICONASTERISK;
    case bExclamation: return MB_ICONEXCLAMATION;
    case bQuestion: return MB_ICONQUESTION;
    case bCriticalStop: return MB_ICONHAND;
    default: return -1;
  }
}

void DskPlayBeep(TDskBeeptype Sound) {
  int code = DskBeepCode(Sound);
  if (code >= 0) DskSystemCalls().MessageBeep(static_cast<unsigned>(code));
}

// ---- TDskDialogComponent ----

TDskDialogComponent::TDskDialogComponent(TComponent* AOwner)
    : TComponent(AOwner), About("Horavox desktop dialogs") {}

void TDskDialogComponent::PlaySound() { DskPlayBeep(Sound); }

// ---- TDskButtonDetails ----

namespace {
TBitBtn* AsBitBtn(TControl* Button) { return dynamic_cast<TBitBtn*>(Button); }
TSpeedButton* AsSpeedButton(TControl* Button) { return dynamic_cast<TSpeedButton*>(Button); }
}  // namespace

TDskButtonDetails::TDskButtonDetails() : FGlyph(std::make_unique<TBitmap>()) {}

TDskButtonDetails::~TDskButtonDetails() = default;

void TDskButtonDetails::Changed() {
  if (AsBitBtn(FButton) || AsSpeedButton(FButton)) FButton->Invalidate();
  if (OnChange) OnChange(this);
}

void TDskButtonDetails::SetGlyph(TBitmap* Value) {
  if (Value) FGlyph->Assign(Value);
  else FGlyph->SetSize(0, 0);
  if (TBitBtn* b = AsBitBtn(FButton)) b->SetGlyph(FGlyph.get());
  if (TSpeedButton* s = AsSpeedButton(FButton)) {
    s->SetGlyph(FGlyph.get());
    // Square images side by side; an empty glyph holds one.
    int w = FGlyph->GetWidth(), h = FGlyph->GetHeight();
    s->SetNumGlyphs(w > 0 && h > 0 ? std::clamp(w / h, 1, 4) : 1);
  }
  Changed();
}

void TDskButtonDetails::SetVisible(bool Value) {
  FVisible = Value;
  if (AsBitBtn(FButton) || AsSpeedButton(FButton)) FButton->SetVisible(Value);
  Changed();
}

void TDskButtonDetails::SetEnabled(bool Value) {
  FEnabled = Value;
  if (AsBitBtn(FButton) || AsSpeedButton(FButton)) FButton->SetEnabled(Value);
  Changed();
}

void TDskButtonDetails::SetConfirmOnPress(bool Value) {
  FConfirmOnPress = Value;
  Changed();
}

void TDskButtonDetails::SetConfirmMessage(const String& Value) {
  FConfirmMessage = Value;
  Changed();
}

void TDskButtonDetails::SetCaption(const String& Value) {
  FCaption = Value;
  if (AsBitBtn(FButton) || AsSpeedButton(FButton)) FButton->SetCaption(Value);
  Changed();
}

void TDskButtonDetails::SetHint(const String& Value) {
  FHint = Value;
  if (AsBitBtn(FButton) || AsSpeedButton(FButton)) FButton->SetHint(Value);
  Changed();
}

void TDskButtonDetails::SetShowHint(bool Value) {
  FShowHint = Value;
  if (TBitBtn* b = AsBitBtn(FButton)) b->SetShowHint(Value);
  Changed();
}
