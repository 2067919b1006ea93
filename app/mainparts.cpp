#include "app/mainparts.h"

#include "app/storedata.h"
#include "classlib/comctrls.h"
#include "classlib/extctrls.h"
#include "classlib/winapi.h"
#include "classlib/mask.h"
#include "classlib/stdctrls.h"

void TLabelDateCaption::ShowDate(const String& Text) {
  if (FLabel->GetCaption() != Text) FLabel->SetCaption(Text);
}

void TLabelClockFace::ShowTime(TDateTime Time) {
  String text = FormatDateTime("hh:mm:ss", Time, RussianFormatSettings());
  if (FLabel->GetCaption() != text) FLabel->SetCaption(text);
}

int TTrackBarTalkInterval::Position() { return FBar->GetPosition(); }
void TTrackBarTalkInterval::SetPosition(int Value) { FBar->SetPosition(Value); }
void TTrackBarTalkInterval::SetEnabled(bool Value) { FBar->SetEnabled(Value); }

bool TControlsAlarmSetting::On() { return FOn->GetChecked(); }
void TControlsAlarmSetting::SetOn(bool Value) { FOn->SetChecked(Value); }
String TControlsAlarmSetting::Time() { return FTime->GetText(); }
void TControlsAlarmSetting::SetTime(const String& Value) { FTime->SetText(Value); }
bool TControlsAlarmSetting::PanelVisible() { return FPanel->GetVisible(); }
void TControlsAlarmSetting::SetPanelVisible(bool Value) { FPanel->SetVisible(Value); }
void TControlsAlarmSetting::SetTimeReadOnly(bool Value) { FTime->SetReadOnly(Value); }
void TControlsAlarmSetting::SetCaption(const String& Value) { FButton->SetCaption(Value); }

void TControlsAlarmSetting::Refuse() {
  MessageBeep(0);
  if (FTime->CanFocus()) FTime->SetFocus();
}

int TControlsCountdown::Minutes() { return FBar->GetPosition(); }
void TControlsCountdown::SetMinutes(int Value) { FBar->SetPosition(Value); }
void TControlsCountdown::SetBarEnabled(bool Value) { FBar->SetEnabled(Value); }
void TControlsCountdown::SetLabel(const String& Value) { FLabel->SetCaption(Value); }
void TControlsCountdown::SetStartVisible(bool Value) { FStart->SetVisible(Value); }
void TControlsCountdown::SetStartEnabled(bool Value) { FStart->SetEnabled(Value); }
void TControlsCountdown::SetStopVisible(bool Value) { FStop->SetVisible(Value); }

void TControlsSignalButtons::ShowAlarmOff(bool Value) { FAlarmOff->SetVisible(Value); }
void TControlsSignalButtons::ShowCountdownOff(bool Value) { FCountdownOff->SetVisible(Value); }

TStoredOptions::TStoredOptions(TDskStoreData* Store)
    : FTalkTime(Store->StoreReadInteger("TalkTime", 1) != 0),
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
      FShowTimerProcess(Store->StoreReadInteger("ShowTimerProcess", 1) != 0) {}
