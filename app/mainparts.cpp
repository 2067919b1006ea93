#include "app/mainparts.h"

#include "app/character.h"
#include "app/storedata.h"
#include "assistant/assistant.h"
#include "classlib/windows/application.h"
#include "classlib/core/monitors.h"
#include "classlib/core/timers.h"
#include "classlib/windows/extctrls.h"
#include "classlib/windows/mask.h"
#include "classlib/windows/menus.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/winapi.h"
#include "controls/kithotkey.h"
#include "controls/kittrackbar.h"
#include "desktop/dskled.h"
#include "desktop/dskmsgdlg.h"
#include "desktop/dskpopup.h"
#include "desktop/dsktray.h"
#include "desktop/neatctrls.h"

void TAssistantCharacter::ShowCharacter(bool Fast) { FAssistant->ShowCharacter(Fast); }
void TAssistantCharacter::HideCharacter(bool Fast) { FAssistant->HideCharacter(Fast); }
// Shown on screen: a character whose file could not be loaded is never visible.
bool TAssistantCharacter::Visible() { return FAssistant->IsShown(); }
void TAssistantCharacter::StopPlaying(bool NoRestPose) { FAssistant->StopPlaying(NoRestPose); }
void TAssistantCharacter::PlayAnimation(int Number) { FAssistant->PlayAnimation(Number); }
void TAssistantCharacter::SetStagePos(int Left, int Top) { FAssistant->SetStagePos(Left, Top); }
int TAssistantCharacter::StageLeft() { return FAssistant->GetStageLeft(); }
int TAssistantCharacter::StageTop() { return FAssistant->GetStageTop(); }
void TAssistantCharacter::MoveToRandomPlace() { WanderOnce(*this, FTimer); }
void TAssistantCharacter::SetActorLibrary(const String& Value) { FAssistant->SetActorLibrary(Value); }
int TAssistantCharacter::StageWidth() { return FAssistant->GetStageWidth(); }
int TAssistantCharacter::StageHeight() { return FAssistant->GetStageHeight(); }

TCharacterArea TAssistantCharacter::WanderArea() {
  if (TWinControl* dock = FAssistant->GetDockSite()) return {0, 0, dock->GetClientWidth(), dock->GetClientHeight()};
  return VirtualDesktopArea();
}

void TAssistantCharacter::MoveTo(int Left, int Top) { FAssistant->MoveStageTo(Left, Top); }
bool TAssistantCharacter::AlwaysOnTop() { return FAssistant->GetAlwaysOnTop(); }
void TAssistantCharacter::SetAlwaysOnTop(bool Value) { FAssistant->SetAlwaysOnTop(Value); }
void TAssistantCharacter::BringToFront() { FAssistant->ReassertZOrder(); }
int TAssistantCharacter::Speed() { return FAssistant->GetSpeed(); }
void TAssistantCharacter::SetSpeed(int Value) { FAssistant->SetSpeed(Value); }
bool TAssistantCharacter::Wandering() { return FTimer->GetEnabled(); }
void TAssistantCharacter::SetWandering(bool Value) { FTimer->SetEnabled(Value); }

TCharacterArea VirtualDesktopArea() {
  TRect r = VirtualScreenRect();
  return {r.Left, r.Top, r.Width(), r.Height()};
}

void TLabelDateCaption::ShowDate(const String& Text) {
  if (FLabel->GetCaption() != Text) FLabel->SetCaption(Text);
}

int TKitTalkInterval::Position() { return FBar->GetPosition(); }
void TKitTalkInterval::SetPosition(int Value) { FBar->SetPosition(Value); }
void TKitTalkInterval::SetEnabled(bool Value) { FBar->SetEnabled(Value); }

bool TControlsAlarmSetting::On() { return FOn->GetChecked(); }
void TControlsAlarmSetting::SetOn(bool Value) { FOn->SetChecked(Value); }
String TControlsAlarmSetting::Time() { return FTime->GetText(); }
void TControlsAlarmSetting::SetTime(const String& Value) { FTime->SetText(Value); }
bool TControlsAlarmSetting::PanelVisible() { return FPanel->GetVisible(); }
void TControlsAlarmSetting::SetPanelVisible(bool Value) { FPanel->SetVisible(Value); }
void TControlsAlarmSetting::SetTimeReadOnly(bool Value) { FTime->SetReadOnly(Value); }
void TControlsAlarmSetting::SetCaption(const String& Value) { FButton->SetCaption(Value); }

void TControlsAlarmSetting::Refuse(const String& Message) {
  Application->MessageBox(Message, "", MB_OK | MB_ICONWARNING);
  if (FTime->CanFocus()) FTime->SetFocus();
}

int TControlsCountdown::Minutes() { return FBar->GetPosition(); }
void TControlsCountdown::SetMinutes(int Value) { FBar->SetPosition(Value); }
void TControlsCountdown::SetBarEnabled(bool Value) { FBar->SetEnabled(Value); }
void TControlsCountdown::SetLabel(const String& Value) { FLabel->SetCaption(Value); }
void TControlsCountdown::SetStartVisible(bool Value) { FStart->SetVisible(Value); }
void TControlsCountdown::SetStartEnabled(bool Value) { FStart->SetEnabled(Value); }
void TControlsCountdown::SetStopVisible(bool Value) { FStop->SetVisible(Value); }

void TLedCountdown::Blink() { FLed->SetBlinking(true); }

void TLedCountdown::SetOn(bool Value) {
  FLed->SetBlinking(false);
  if (Value) FLed->SwitchOn();
  else FLed->SwitchOff();
}

void TControlsSignalButtons::ShowAlarmOff(bool Value) { FAlarmOff->SetVisible(Value); }
void TControlsSignalButtons::ShowCountdownOff(bool Value) { FCountdownOff->SetVisible(Value); }

namespace {

void SetItem(TMenuItem* Item, bool Enabled, bool Checked = false) {
  if (!Item) return;
  if (Item->GetEnabled() != Enabled) Item->SetEnabled(Enabled);
  if (Item->GetChecked() != Checked) Item->SetChecked(Checked);
}

}  // namespace

void TIconTrayMenu::Apply() {
  if (FIcon->GetHint() != Hint()) FIcon->SetHint(Hint());
  if (TMenuItem* first = FItems.First) {
    if (first->GetCaption() != FirstCaption()) first->SetCaption(FirstCaption());
    SetItem(first, FirstEnabled());
  }
  SetItem(FItems.Talk, true, TalkChecked());
  SetItem(FItems.OnTop, true, OnTopChecked());
  for (int i = 0; i < 3; ++i) SetItem(FItems.Kinds[i], true, MiniClockKind() == i);
  SetItem(FItems.ScreenSaver, ScreenSaverEnabled());
  for (TMenuItem* preset : FItems.Presets) SetItem(preset, PresetsEnabled());
  SetItem(FItems.Stop, StopEnabled());
}

bool TKitSayTimeHotKey::Active() { return FHotKey->GetActive(); }
void TKitSayTimeHotKey::SetActive(bool Value) {
  if (FHotKey->GetActive() != Value) FHotKey->SetActive(Value);
}
int TKitSayTimeHotKey::Key() { return FHotKey->GetHotKey(); }
void TKitSayTimeHotKey::SetKey(int Value) { FHotKey->SetHotKey(static_cast<TShortCut>(Value)); }
bool TKitSayTimeHotKey::Registered() { return FHotKey->Registered(); }

void TPopUpNotice::ShowNotice(const String& Text) {
  FPopUp->Text = Text;
  FPopUp->Show();
}

bool TDialogReminderInput::Ask(String& Text) {
  FOk = false;
  Text = FMessage->Execute();
  return FOk;
}

TStoredOptions::TStoredOptions(TDskStoreData* Store)
    : FStore(Store),
      FTalkTime(Store->StoreReadInteger("TalkTime", 1) != 0),
      FKuku(Store->StoreReadInteger("Kuku", 0) != 0),
      FShowActor(Store->StoreReadInteger("ShowActor", 1) != 0),
      FShowActorAlways(Store->StoreReadInteger("ShowActorAlways", 0) != 0),
      FActorAlwaysMove(Store->StoreReadInteger("ActorAlwaysMove", 1) != 0),
      FHotKeyEnabled(Store->StoreReadInteger("HotKeyEnabled", 0) != 0),
      FLittleClock(Store->StoreReadInteger("LittleClock", 1) != 0),
      FColorBack(Store->StoreReadInteger("MinClockColorBack", 0)),
      FColor1(Store->StoreReadInteger("MinClockColor1", 10)),
      FColor2(Store->StoreReadInteger("MinClockColor2", 11)),
      FActorMoveForTimer(Store->StoreReadInteger("ActorMoveForTimer", 1) != 0),
      FShowTimerHint(Store->StoreReadInteger("ShowTimerHint", 0) != 0),
      FShowTimerProcess(Store->StoreReadInteger("ShowTimerProcess", 1) != 0),
      FLittleClockTop(Store->StoreReadInteger("LittleClockTop", 1) == 1),
      FDigitalMiniClock(Store->StoreReadInteger("DigitalMiniClock", 0)),
      FShowSmallSeconds(Store->StoreReadInteger("ShowSmallSeconds", 1) != 0),
      FShowSmallDate(Store->StoreReadInteger("ShowSmallDate", 1) != 0),
      FSmallClockState(Store->StoreReadInteger("SmallClockState", 0)),
      FAutoRun(Store->StoreReadInteger("AutoRun", 1) != 0),
      FAssistantSelect(Store->StoreReadInteger("AssistantSelect", 0)),
      FShowActorTop(Store->StoreReadInteger("ShowActorTop", 1) != 0) {}

void TStoredOptions::SetTalkTime(bool Value) {
  if (Value == FTalkTime) return;
  FTalkTime = Value;
  FStore->StoreWriteInteger("TalkTime", Value ? 1 : 0);
}

void TStoredOptions::SetLittleClockTop(bool Value) {
  if (Value == FLittleClockTop) return;
  FLittleClockTop = Value;
  FStore->StoreWriteInteger("LittleClockTop", Value ? 1 : 0);
}

void TStoredOptions::SetDigitalMiniClock(int Value) {
  if (Value == FDigitalMiniClock) return;
  FDigitalMiniClock = Value;
  FStore->StoreWriteInteger("DigitalMiniClock", Value);
}
