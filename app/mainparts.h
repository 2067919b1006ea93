#pragma once
// The main window's side of the clock's parts (clockparts.h): the parts its own controls
// give, and stand-ins that keep the stored settings of windows and components not built
// yet, so that what the clock writes back is what it read. Windows only.
#include "app/clockparts.h"

class TLabel;
class TTrackBar;
class TCheckBox;
class TMaskEdit;
class TPanel;
class TButton;
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

// The alarm setting on a check box (on) and a masked edit (the time) on a panel, opened
// and closed by a button.
class TControlsAlarmSetting : public TAlarmSetting {
 public:
  TControlsAlarmSetting(TCheckBox* On, TMaskEdit* Time, TPanel* Panel, TButton* Button)
      : FOn(On), FTime(Time), FPanel(Panel), FButton(Button) {}
  bool On() override;
  void SetOn(bool Value) override;
  String Time() override;
  void SetTime(const String& Value) override;
  bool PanelVisible() override;
  void SetPanelVisible(bool Value) override;
  void SetTimeReadOnly(bool Value) override;
  void SetCaption(const String& Value) override;
  void Refuse() override;

 private:
  TCheckBox* FOn;
  TMaskEdit* FTime;
  TPanel* FPanel;
  TButton* FButton;
};

// The countdown's bar, label and start and stop buttons.
class TControlsCountdown : public TCountdownControls {
 public:
  TControlsCountdown(TTrackBar* Bar, TLabel* Label, TButton* Start, TButton* Stop)
      : FBar(Bar), FLabel(Label), FStart(Start), FStop(Stop) {}
  int Minutes() override;
  void SetMinutes(int Value) override;
  void SetBarEnabled(bool Value) override;
  void SetLabel(const String& Value) override;
  void SetStartVisible(bool Value) override;
  void SetStartEnabled(bool Value) override;
  void SetStopVisible(bool Value) override;

 private:
  TTrackBar* FBar;
  TLabel* FLabel;
  TButton* FStart;
  TButton* FStop;
};

// The switch-off buttons of the alarm's and the countdown's signals.
class TControlsSignalButtons : public TSignalButtons {
 public:
  TControlsSignalButtons(TButton* AlarmOff, TButton* CountdownOff) : FAlarmOff(AlarmOff), FCountdownOff(CountdownOff) {}
  void ShowAlarmOff(bool Value) override;
  void ShowCountdownOff(bool Value) override;

 private:
  TButton* FAlarmOff;
  TButton* FCountdownOff;
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
  bool ActorMoveForTimer() override { return FActorMoveForTimer; }
  bool ShowTimerHint() override { return FShowTimerHint; }
  bool ShowTimerProcess() override { return FShowTimerProcess; }

 private:
  bool FTalkTime, FKuku, FShowActor, FShowActorAlways, FActorAlwaysMove, FHotKeyEnabled, FLittleClock;
  int FColorBack, FColor1, FColor2;
  bool FActorMoveForTimer, FShowTimerHint, FShowTimerProcess;
};
