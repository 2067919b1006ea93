#pragma once
// The main window's side of the clock's parts (clockparts.h): the parts its controls and
// components give (the kit's labels and track bar, the countdown's bar, LED and buttons,
// the tray icon and its menu, the global hotkey, the pop-up notices, the reminder dialog),
// and the options as they are stored until the settings window
// gives them itself. Windows only.
#include "app/clockparts.h"
#include "app/traymenu.h"

class TControl;
class TButton;
class TCheckBox;
class TMaskEdit;
class TPanel;
class TMenuItem;
class TKitTrackBar;
class TNeatTrackBar;
class TDskLed;
class TDtTrayIcon;
class TKitGlobalHotKey;
class TDskPopUp;
class TDskMsgDlg;
class TDskStoreData;
class TAssistant;
class TTimer;

// The date caption on a label.
class TLabelDateCaption : public TDateCaption {
 public:
  explicit TLabelDateCaption(TControl* Label) : FLabel(Label) {}
  void ShowDate(const String& Text) override;

 private:
  TControl* FLabel;
};

// The talk interval on the kit's track bar (0..2).
class TKitTalkInterval : public TTalkIntervalBar {
 public:
  explicit TKitTalkInterval(TKitTrackBar* Bar) : FBar(Bar) {}
  int Position() override;
  void SetPosition(int Value) override;
  void SetEnabled(bool Value) override;

 private:
  TKitTrackBar* FBar;
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
  void Refuse(const String& Message) override;

 private:
  TCheckBox* FOn;
  TMaskEdit* FTime;
  TPanel* FPanel;
  TButton* FButton;
};

// The countdown's bar, label and start and stop buttons.
class TControlsCountdown : public TCountdownControls {
 public:
  TControlsCountdown(TNeatTrackBar* Bar, TControl* Label, TControl* Start, TControl* Stop)
      : FBar(Bar), FLabel(Label), FStart(Start), FStop(Stop) {}
  int Minutes() override;
  void SetMinutes(int Value) override;
  void SetBarEnabled(bool Value) override;
  void SetLabel(const String& Value) override;
  void SetStartVisible(bool Value) override;
  void SetStartEnabled(bool Value) override;
  void SetStopVisible(bool Value) override;

 private:
  TNeatTrackBar* FBar;
  TControl* FLabel;
  TControl* FStart;
  TControl* FStop;
};

// The countdown's LED.
class TLedCountdown : public TCountdownLed {
 public:
  explicit TLedCountdown(TDskLed* Led) : FLed(Led) {}
  void Blink() override;
  void SetOn(bool Value) override;

 private:
  TDskLed* FLed;
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

// The tray's state on the tray icon's hint and the items of its menu.
struct TTrayMenuItems {
  TMenuItem* First = nullptr;      // item 0
  TMenuItem* Talk = nullptr;       // "Автоматически говорить время"
  TMenuItem* OnTop = nullptr;      // "Поверх всех окон"
  TMenuItem* Kinds[3] = {};        // "Маленькие", "Цифровые", "Аналоговые"
  TMenuItem* ScreenSaver = nullptr;
  TMenuItem* Presets[6] = {};      // "На 5 минут" … "На 1 час"
  TMenuItem* Stop = nullptr;       // "Остановить"
};

class TIconTrayMenu : public TTrayModel {
 public:
  TIconTrayMenu(TClockParts& Parts, TDtTrayIcon* Icon, const TTrayMenuItems& Items)
      : TTrayModel(Parts), FIcon(Icon), FItems(Items) {}

 protected:
  void Apply() override;

 private:
  TDtTrayIcon* FIcon;
  TTrayMenuItems FItems;
};

// The say-time hotkey: the kit's global hotkey.
class TKitSayTimeHotKey : public TSayTimeHotKey {
 public:
  explicit TKitSayTimeHotKey(TKitGlobalHotKey* HotKey) : FHotKey(HotKey) {}
  bool Active() override;
  void SetActive(bool Value) override;
  int Key() override;
  void SetKey(int Value) override;
  bool Registered() override;

 private:
  TKitGlobalHotKey* FHotKey;
};

// A notice of the pop-up notifier, with the text given.
class TPopUpNotice : public TPopupNotice {
 public:
  explicit TPopUpNotice(TDskPopUp* PopUp) : FPopUp(PopUp) {}
  void ShowNotice(const String& Text) override;

 private:
  TDskPopUp* FPopUp;
};

// The countdown's reminder: a message of the dialog holder. Its "ОК" result (the form's
// handler of it) answers Confirm; any other close is a cancel.
class TDialogReminderInput : public TReminderInput {
 public:
  explicit TDialogReminderInput(TDskMsgDlg* Message) : FMessage(Message) {}
  bool Ask(String& Text) override;
  void Confirm() { FOk = true; }

 private:
  TDskMsgDlg* FMessage;
  bool FOk = false;
};

// The character on the assistant component; its wandering is the wandering timer
// (TimerActor), and a move to a random place one run of that timer's routine.
class TAssistantCharacter : public TCharacter {
 public:
  TAssistantCharacter(TAssistant* Assistant, TTimer* WanderTimer) : FAssistant(Assistant), FTimer(WanderTimer) {}
  void ShowCharacter(bool Fast) override;
  void HideCharacter(bool Fast) override;
  bool Visible() override;
  void StopPlaying(bool NoRestPose) override;
  void PlayAnimation(int Number) override;
  void SetStagePos(int Left, int Top) override;
  int StageLeft() override;
  int StageTop() override;
  void MoveToRandomPlace() override;
  void SetActorLibrary(const String& Value) override;
  int StageWidth() override;
  int StageHeight() override;
  TCharacterArea WanderArea() override;
  void MoveTo(int Left, int Top) override;
  bool AlwaysOnTop() override;
  void SetAlwaysOnTop(bool Value) override;
  void BringToFront() override;
  int Speed() override;
  void SetSpeed(int Value) override;
  bool Wandering() override;
  void SetWandering(bool Value) override;

 private:
  TAssistant* FAssistant;
  TTimer* FTimer;
};

// The whole virtual desktop (every monitor).
TCharacterArea VirtualDesktopArea();

// The settings window's options as they are stored (read once, at creation), until the
// settings window gives them itself; those the tray menu changes are written at once.
class TStoredOptions : public TClockOptions {
 public:
  explicit TStoredOptions(TDskStoreData* Store);
  bool TalkTime() override { return FTalkTime; }
  bool Kuku() override { return FKuku; }
  bool ShowActor() override { return FShowActor; }
  bool ShowActorAlways() override { return FShowActorAlways; }
  bool ActorAlwaysMove() override { return FActorAlwaysMove; }
  int AssistantSelect() override { return FAssistantSelect; }
  bool ShowActorTop() override { return FShowActorTop; }
  bool HotKeyEnabled() override { return FHotKeyEnabled; }
  bool LittleClock() override { return FLittleClock; }
  int MinClockColorBack() override { return FColorBack; }
  int MinClockColor1() override { return FColor1; }
  int MinClockColor2() override { return FColor2; }
  bool ActorMoveForTimer() override { return FActorMoveForTimer; }
  bool ShowTimerHint() override { return FShowTimerHint; }
  bool ShowTimerProcess() override { return FShowTimerProcess; }
  bool LittleClockTop() override { return FLittleClockTop; }
  int DigitalMiniClock() override { return FDigitalMiniClock; }
  bool ShowSmallSeconds() override { return FShowSmallSeconds; }
  bool ShowSmallDate() override { return FShowSmallDate; }
  int SmallClockState() override { return FSmallClockState; }
  bool AutoRun() override { return FAutoRun; }
  void SetTalkTime(bool Value) override;
  void SetLittleClockTop(bool Value) override;
  void SetDigitalMiniClock(int Value) override;

 private:
  TDskStoreData* FStore;
  bool FTalkTime, FKuku, FShowActor, FShowActorAlways, FActorAlwaysMove, FHotKeyEnabled, FLittleClock;
  int FColorBack, FColor1, FColor2;
  bool FActorMoveForTimer, FShowTimerHint, FShowTimerProcess;
  bool FLittleClockTop;
  int FDigitalMiniClock;
  bool FShowSmallSeconds, FShowSmallDate;
  int FSmallClockState;
  bool FAutoRun;
  int FAssistantSelect;
  bool FShowActorTop;
};
