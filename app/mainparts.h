#pragma once
// The main window's side of the clock's parts (clockparts.h): the parts its own controls
// give, and stand-ins that keep the stored settings of windows and components not built
// yet, so that what the clock writes back is what it read. Windows only.
#include "app/clockparts.h"

class TLabel;
class TTrackBar;
class TCheckBox;
class TMaskEdit;
class TDskStoreData;

// The date caption on a label.
class TLabelDateCaption : public TDateCaption {
 public:
  explicit TLabelDateCaption(TLabel* Label) : FLabel(Label) {}
  void ShowDate(const String& Text) override;

 private:
  TLabel* FLabel;
};

// The time of day on a label, "hh:mm:ss", in place of the LED clock.
class TLabelClockFace : public TClockFace {
 public:
  explicit TLabelClockFace(TLabel* Label) : FLabel(Label) {}
  void ShowTime(TDateTime Time) override;

 private:
  TLabel* FLabel;
};

// The talk interval on a track bar (0..2).
class TTrackBarTalkInterval : public TTalkIntervalBar {
 public:
  explicit TTrackBarTalkInterval(TTrackBar* Bar) : FBar(Bar) {}
  int Position() override;
  void SetPosition(int Value) override;
  void SetEnabled(bool Value) override;

 private:
  TTrackBar* FBar;
};

// The alarm setting on a check box (on) and a masked edit (the time).
class TControlsAlarmSetting : public TAlarmSetting {
 public:
  TControlsAlarmSetting(TCheckBox* On, TMaskEdit* Time) : FOn(On), FTime(Time) {}
  bool On() override;
  void SetOn(bool Value) override;
  String Time() override;
  void SetTime(const String& Value) override;

 private:
  TCheckBox* FOn;
  TMaskEdit* FTime;
};

// The settings window's options as they are stored (read once, at creation), until the
// settings window gives them itself.
class TStoredOptions : public TClockOptions {
 public:
  explicit TStoredOptions(TDskStoreData* Store);
  bool TalkTime() override { return FTalkTime; }
  bool Kuku() override { return FKuku; }
  bool ShowActor() override { return FShowActor; }
  bool ShowActorAlways() override { return FShowActorAlways; }
  bool ActorAlwaysMove() override { return FActorAlwaysMove; }
  bool HotKeyEnabled() override { return FHotKeyEnabled; }
  bool LittleClock() override { return FLittleClock; }
  int MinClockColorBack() override { return FColorBack; }
  int MinClockColor1() override { return FColor1; }
  int MinClockColor2() override { return FColor2; }

 private:
  bool FTalkTime, FKuku, FShowActor, FShowActorAlways, FActorAlwaysMove, FHotKeyEnabled, FLittleClock;
  int FColorBack, FColor1, FColor2;
};
