#include "app/mainparts.h"

#include "app/storedata.h"
#include "classlib/comctrls.h"
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
      FColor2(Store->StoreReadInteger("MinClockColor2", 11)) {}
