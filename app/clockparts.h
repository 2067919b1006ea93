#pragma once
// What the clock's logic reaches on its windows and on the desktop, each through a small
// interface: the LED clock, the date caption, the talk-interval bar, the alarm setting, the
// countdown's controls and LED, the signals' switch-off buttons, the tray menu, the global
// hotkey, the character, the micro clock with its countdown meter, the reminder calendar,
// the pop-up notices, the reminder input dialog, the settings window's options, and the
// system's tone generator, program start and shutdown.
//
// Each base class is also the part's empty implementation: it does nothing, and what it
// answers is the value the clock starts with. The main window puts its own controls behind
// them, and the components of the control kit, the desktop services and the assistant take
// their places as they come. Tests put recording fakes there.
#include <functional>
#include <memory>

#include "classlib/core/datetime.h"
#include "classlib/core/text.h"

// The digital clock face of the main window (KitClock1).
class TClockFace {
 public:
  virtual ~TClockFace() = default;
  // The tick's time; a face that keeps its own time may ignore it.
  virtual void ShowTime(TDateTime) {}
};

// The date caption of the main window (KitLabel1).
class TDateCaption {
 public:
  virtual ~TDateCaption() = default;
  virtual void ShowDate(const String&) {}
};

// The talk-interval bar of the main window (KitTrackBar1): 0 every hour, 1 every half
// hour, 2 every quarter hour.
class TTalkIntervalBar {
 public:
  virtual ~TTalkIntervalBar() = default;
  virtual int Position() { return FPosition; }
  virtual void SetPosition(int Value) { FPosition = Value; }
  virtual void SetEnabled(bool) {}

 private:
  int FPosition = 0;
};

// The alarm setting of the main window (CheckBox2, MaskEdit1).
class TAlarmSetting {
 public:
  virtual ~TAlarmSetting() = default;
  virtual bool On() { return FOn; }
  virtual void SetOn(bool Value) { FOn = Value; }
  // "hh:mm:ss"
  virtual String Time() { return FTime; }
  virtual void SetTime(const String& Value) { FTime = Value; }
  // The panel (Panel2) that holds the two, opened and closed by its button (Button5).
  virtual bool PanelVisible() { return FPanelVisible; }
  virtual void SetPanelVisible(bool Value) { FPanelVisible = Value; }
  // The time cannot be typed over while the alarm is on.
  virtual void SetTimeReadOnly(bool) {}
  // The panel button's caption: whether the alarm is on.
  virtual void SetCaption(const String&) {}
  // A time that is no time was typed: the user is told why and goes back to the box.
  virtual void Refuse(const String& /*Message*/) {}

 private:
  bool FOn = false;
  String FTime = "06:00";
  bool FPanelVisible = false;
};

// The countdown's controls on the main window: the minutes bar (NeatTrackBar1, 0..60), its
// label (LabelTimer) and the start and stop buttons (BitBtnStartTimer, BitBtnStopTimer).
class TCountdownControls {
 public:
  virtual ~TCountdownControls() = default;
  virtual int Minutes() { return FMinutes; }
  // Only sets the bar; the countdown runs its own change handling.
  virtual void SetMinutes(int Value) { FMinutes = Value; }
  virtual void SetBarEnabled(bool Value) { BarEnabled = Value; }
  virtual void SetLabel(const String& Value) { Label = Value; }
  virtual void SetStartVisible(bool Value) { StartVisible = Value; }
  virtual void SetStartEnabled(bool Value) { StartEnabled = Value; }
  virtual void SetStopVisible(bool Value) { StopVisible = Value; }

  // What the controls show (as the form has them at start).
  bool BarEnabled = true;
  String Label = "Хоравоксик";
  bool StartVisible = true, StartEnabled = false, StopVisible = false;

 private:
  int FMinutes = 0;
};

// The LED that blinks while the countdown runs and shines while its signal rings.
class TCountdownLed {
 public:
  virtual ~TCountdownLed() = default;
  virtual void Blink() {}
  virtual void SetOn(bool) {}
};

// The buttons that switch a ringing signal off: the alarm's (Button6) and the countdown's
// (Button7), shown while their signal rings.
class TSignalButtons {
 public:
  virtual ~TSignalButtons() = default;
  virtual void ShowAlarmOff(bool) {}
  virtual void ShowCountdownOff(bool) {}
};

// The tray icon's menu and hint (PopupMenu1, DtTrayIcon1).
class TTrayMenu {
 public:
  virtual ~TTrayMenu() = default;
  // Item 0, "Сказать время".
  virtual void SetSayTimeEnabled(bool) {}
  // Item 6, "Запуск заставки": enabled exactly when a screen saver is installed.
  virtual void RefreshScreenSaverItem() {}
  // The hint tells of the countdown and the alarm.
  virtual void RefreshHint() {}
  // Item 0 is also the switch-off of ringing signals: its caption and what it does.
  virtual void SetFirstItem(const String& /*Caption*/, std::function<void()> /*OnClick*/) {}
  // The submenu "Таймер": the six presets are enabled while no countdown runs, "Остановить"
  // while one does.
  virtual void SetCountdownRunning(bool) {}
  // The options changed: the marks of talking, the micro clock's kind and its place on top
  // follow them.
  virtual void OptionsChanged() {}
};

// The global hotkey that says the time (KitGlobalHotKey1).
class TSayTimeHotKey {
 public:
  virtual ~TSayTimeHotKey() = default;
  virtual bool Active() { return FActive; }
  virtual void SetActive(bool Value) { FActive = Value; }
  // The combination, as a shortcut code (virtual key, Shift 0x2000, Ctrl 0x4000, Alt 0x8000).
  virtual int Key() { return FKey; }
  virtual void SetKey(int Value) { FKey = Value; }
  // Active and held for the clock: false while another program holds the combination.
  virtual bool Registered() { return FActive; }

 private:
  bool FActive = false;
  int FKey = 0;
};

// A rectangle of the desktop or of the dock site's client area, and a place on it.
struct TCharacterArea {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};
struct TCharacterPlace {
  int Left = 0, Top = 0;
};

// The animated character (Assistant1). Animation numbers are 1-based positions in its
// actor file: 3 while the chime plays, 6 while a fragment is spoken, 4 at the end.
class TCharacter {
 public:
  virtual ~TCharacter() = default;
  virtual void ShowCharacter(bool /*Fast*/) {}
  virtual void HideCharacter(bool /*Fast*/) {}
  virtual bool Visible() { return false; }
  virtual void StopPlaying(bool /*NoRestPose*/) {}
  virtual void PlayAnimation(int /*Number*/) {}
  // Where the stage stands, without moving it visibly.
  virtual void SetStagePos(int Left, int Top) {
    FLeft = Left;
    FTop = Top;
  }
  virtual int StageLeft() { return FLeft; }
  virtual int StageTop() { return FTop; }
  // Walks to a random place of the desktop (the wandering timer's move, run once).
  virtual void MoveToRandomPlace() {}
  // The actor file the character is drawn from; empty lets go of it. Raises an Exception
  // that says why when the file cannot be loaded.
  virtual void SetActorLibrary(const String&) {}
  // The stage's size (its actor's frame) and the area it wanders over: its dock site's
  // client area, else the whole virtual desktop.
  virtual int StageWidth() { return 0; }
  virtual int StageHeight() { return 0; }
  virtual TCharacterArea WanderArea() { return {}; }
  // Walks to a place of the desktop.
  virtual void MoveTo(int Left, int Top) { SetStagePos(Left, Top); }
  // Above every other window.
  virtual bool AlwaysOnTop() { return FOnTop; }
  virtual void SetAlwaysOnTop(bool Value) { FOnTop = Value; }
  // Puts its stage in front again (after a change of always on top).
  virtual void BringToFront() {}
  // How fast it walks.
  virtual int Speed() { return FSpeed; }
  virtual void SetSpeed(int Value) { FSpeed = Value; }
  // Whether it wanders over the desktop by itself (the main window's wandering timer).
  virtual bool Wandering() { return FWandering; }
  virtual void SetWandering(bool Value) { FWandering = Value; }

 private:
  int FLeft = 0, FTop = 0;
  bool FOnTop = true;
  int FSpeed = 100;
  bool FWandering = false;
};

// The micro clock window (TForm2) and its countdown meter.
class TMicroClock {
 public:
  virtual ~TMicroClock() = default;
  virtual int Left() { return FLeft; }
  virtual int Top() { return FTop; }
  // Its place as the settings have it.
  virtual void SetPlace(int Left, int Top) {
    FLeft = Left;
    FTop = Top;
  }
  virtual void Show() {}
  virtual void Hide() {}
  virtual bool Visible() { return false; }
  virtual void SetStayOnTop(bool) {}
  // What it shows: 0 the time and date as text, 1 LED digits, 2 a dial (another value
  // changes nothing); the seconds and the date of the text; where it sticks (0..11,
  // microplace.h); its background, time and date colours as indices of the colour list;
  // the dial's width and height; the text's font (kept for the next start).
  virtual void SetKind(int) {}
  virtual void SetShowSeconds(bool) {}
  virtual void SetShowDate(bool) {}
  virtual void SetPlacement(int) {}
  virtual void SetColors(int /*Back*/, int /*Time*/, int /*Date*/) {}
  virtual void SetDialSize(int) {}
  virtual void SetTextFont(const String& /*Name*/, int /*Size*/) {}
  // The text's font as it is (false when there is none to tell).
  virtual bool TextFont(String& /*Name*/, int& /*Size*/) { return false; }
  // Puts the countdown meter under whichever clock face is visible.
  virtual void PlaceMeterUnderFace() {}
  // The countdown meter (Gauge1): its maximum and value (kept within 0..Max) and whether
  // it shows.
  virtual void SetMeterMax(int Value) { FMeterMax = Value; }
  virtual int MeterMax() { return FMeterMax; }
  virtual void SetMeterValue(int Value) { FMeterValue = Value < 0 ? 0 : Value > FMeterMax ? FMeterMax : Value; }
  virtual int MeterValue() { return FMeterValue; }
  virtual void SetMeterVisible(bool Value) { FMeterVisible = Value; }
  virtual bool MeterVisible() { return FMeterVisible; }
  // Lays the window out again after the meter came or went.
  virtual void Relayout() {}

 private:
  int FLeft = 0, FTop = 0;
  int FMeterMax = 100, FMeterValue = 0;
  bool FMeterVisible = false;
};

// The reminder calendar window (TForm4) with its table.
class TReminderCalendar {
 public:
  virtual ~TReminderCalendar() = default;
  // Goes to the day and shows its reminders.
  virtual void ShowRemindersOf(TDateTime /*Day*/) {}
  // Removes the deleted records from the table (at exit).
  virtual void PackTable() {}
};

// A pop-up notice on the desktop (DskPopUp1, DskPopUp2).
class TPopupNotice {
 public:
  virtual ~TPopupNotice() = default;
  virtual void ShowNotice(const String&) {}
};

// The dialog that asks for the countdown's reminder text ("Введите напоминание").
class TReminderInput {
 public:
  virtual ~TReminderInput() = default;
  // Asks; false when cancelled. Without a dialog the answer is "OK" with no text.
  virtual bool Ask(String& Text) {
    Text.clear();
    return true;
  }
};

// How a started program's window shows (the settings window's RadioGroup4, in its order).
enum class TProgramShow { Normal, Maximized, Minimized, Hidden };

// Starts the program chosen for the countdown's end (the control kit's program starter).
class TProgramStarter {
 public:
  virtual ~TProgramStarter() = default;
  // Raises an Exception that says why when the program cannot be started.
  virtual void Start(const String& /*Program*/, const String& /*Parameters*/, TProgramShow) {}
};

// Shuts the computer down.
class TSystemShutdown {
 public:
  virtual ~TSystemShutdown() = default;
  // Raises an Exception that says why when the system refuses.
  virtual void ShutDown() {}
};

// The PC speaker's tone generator: sounds Frequency Hz for Duration ms.
class TToneGenerator {
 public:
  virtual ~TToneGenerator() = default;
  virtual void Tone(unsigned /*Frequency*/, unsigned /*Duration*/) {}
};

// The options of the settings window (TForm3) that the main window reads. The answers
// here are the options' defaults.
class TClockOptions {
 public:
  virtual ~TClockOptions() = default;
  virtual bool TalkTime() { return true; }          // speak the time automatically
  virtual bool Kuku() { return false; }             // cuckoo mode: the chime only
  virtual bool ShowActor() { return true; }         // show the character while speaking
  virtual bool ShowActorAlways() { return false; }  // the character stays on screen
  virtual bool ActorAlwaysMove() { return true; }   // the character wanders
  virtual int AssistantSelect() { return 0; }       // the character: 0 Angel, 1 Ann, 2 Dolly
  virtual bool ShowActorTop() { return true; }      // the character stays on top
  virtual bool HotKeyEnabled() { return false; }    // the global hotkey says the time
  virtual bool LittleClock() { return true; }       // the micro clock shows on minimise
  virtual void SetLittleClockTop(bool) {}           // the micro clock's on-top box
  // The options the tray menu changes as well: each setter stores the value at once.
  virtual void SetTalkTime(bool) {}
  virtual bool LittleClockTop() { return true; }    // the micro clock stays on top
  virtual int DigitalMiniClock() { return 0; }      // the micro clock's kind: 0 small, 1 digital, 2 analogue
  virtual void SetDigitalMiniClock(int) {}
  virtual bool ShowSmallSeconds() { return true; }  // the micro clock shows seconds
  virtual bool ShowSmallDate() { return true; }     // the micro clock shows the date
  virtual int SmallClockState() { return 0; }       // where the micro clock sticks (microplace.h)
  virtual bool AutoRun() { return true; }           // the clock starts with Windows
  // Quiet hours: off, or on from From to To ("hh:mm" texts as typed).
  virtual bool QuietHours(String& /*From*/, String& /*To*/) { return false; }
  // The micro clock's colours as indices of the colour lists.
  virtual int MinClockColorBack() { return 0; }
  virtual int MinClockColor1() { return 10; }
  virtual int MinClockColor2() { return 11; }
  // Signals: the character walks while one rings; the signal device (0 the sound card,
  // 1 the PC speaker); switched off by themselves after AutoOffMinutes (1..60).
  virtual bool ActorMoveForTimer() { return true; }
  virtual int SignalDevice() { return 0; }
  virtual bool AutoOff() { return true; }
  virtual int AutoOffMinutes() { return 1; }
  // The countdown: ask for a reminder at its start; show its meter on the micro clock; its
  // end action (0 a signal, 1 shut down, 2 start a program); the program, its parameters
  // and how it shows.
  virtual bool ShowTimerHint() { return false; }
  virtual bool ShowTimerProcess() { return true; }
  virtual int TimerAction() { return 0; }
  virtual String TimerProgram() { return ""; }
  virtual String TimerParameters() { return ""; }
  virtual TProgramShow TimerProgramShow() { return TProgramShow::Normal; }
};

// Every part, owned here; each starts as its empty implementation and may be replaced.
struct TClockParts {
  std::unique_ptr<TClockFace> ClockFace = std::make_unique<TClockFace>();
  std::unique_ptr<TDateCaption> DateCaption = std::make_unique<TDateCaption>();
  std::unique_ptr<TTalkIntervalBar> TalkInterval = std::make_unique<TTalkIntervalBar>();
  std::unique_ptr<TAlarmSetting> Alarm = std::make_unique<TAlarmSetting>();
  std::unique_ptr<TCountdownControls> Countdown = std::make_unique<TCountdownControls>();
  std::unique_ptr<TCountdownLed> Led = std::make_unique<TCountdownLed>();
  std::unique_ptr<TSignalButtons> SignalButtons = std::make_unique<TSignalButtons>();
  std::unique_ptr<TTrayMenu> Tray = std::make_unique<TTrayMenu>();
  std::unique_ptr<TSayTimeHotKey> HotKey = std::make_unique<TSayTimeHotKey>();
  std::unique_ptr<TCharacter> Character = std::make_unique<TCharacter>();
  std::unique_ptr<TMicroClock> MicroClock = std::make_unique<TMicroClock>();
  std::unique_ptr<TReminderCalendar> Calendar = std::make_unique<TReminderCalendar>();
  std::unique_ptr<TPopupNotice> AlarmNotice = std::make_unique<TPopupNotice>();
  std::unique_ptr<TPopupNotice> CountdownNotice = std::make_unique<TPopupNotice>();
  std::unique_ptr<TReminderInput> ReminderInput = std::make_unique<TReminderInput>();
  std::unique_ptr<TClockOptions> Options = std::make_unique<TClockOptions>();
  std::unique_ptr<TToneGenerator> Tone = std::make_unique<TToneGenerator>();
  std::unique_ptr<TProgramStarter> Starter = std::make_unique<TProgramStarter>();
  std::unique_ptr<TSystemShutdown> Shutdown = std::make_unique<TSystemShutdown>();
};
