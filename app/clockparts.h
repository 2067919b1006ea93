#pragma once
// What the clock's logic reaches on its windows and on the desktop, each through a small
// interface: the LED clock, the date caption, the talk-interval bar, the alarm setting, the
// tray menu, the global hotkey, the character, the micro clock with its countdown meter,
// the reminder calendar, the pop-up notices and the settings window's options.
//
// Each base class is also the part's empty implementation: it does nothing, and what it
// answers is the value the clock starts with. The main window puts its own controls behind
// them, and the components of the control kit, the desktop services and the assistant take
// their places as they come. Tests put recording fakes there.
#include <memory>

#include "classlib/datetime.h"
#include "classlib/text.h"

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

 private:
  bool FOn = false;
  String FTime = "06:00";
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
};

// The global hotkey that says the time (KitGlobalHotKey1).
class TSayTimeHotKey {
 public:
  virtual ~TSayTimeHotKey() = default;
  virtual bool Active() { return FActive; }
  virtual void SetActive(bool Value) { FActive = Value; }

 private:
  bool FActive = false;
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
  // The actor file the character is drawn from; empty lets go of it.
  virtual void SetActorLibrary(const String&) {}

 private:
  int FLeft = 0, FTop = 0;
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
  virtual void SetStayOnTop(bool) {}
  // Puts the countdown meter under whichever clock face is visible.
  virtual void PlaceMeterUnderFace() {}

 private:
  int FLeft = 0, FTop = 0;
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

// A pop-up notice on the desktop (LEVPopUp1, LEVPopUp2).
class TPopupNotice {
 public:
  virtual ~TPopupNotice() = default;
  virtual void ShowNotice(const String&) {}
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
  virtual bool HotKeyEnabled() { return false; }    // the global hotkey says the time
  virtual bool LittleClock() { return true; }       // the micro clock shows on minimise
  virtual void SetLittleClockTop(bool) {}           // the micro clock's on-top box
  // Quiet hours: off, or on from From to To ("hh:mm" texts as typed).
  virtual bool QuietHours(String& /*From*/, String& /*To*/) { return false; }
  // The micro clock's colours as indices of the colour lists.
  virtual int MinClockColorBack() { return 0; }
  virtual int MinClockColor1() { return 10; }
  virtual int MinClockColor2() { return 11; }
};

// Every part, owned here; each starts as its empty implementation and may be replaced.
struct TClockParts {
  std::unique_ptr<TClockFace> ClockFace = std::make_unique<TClockFace>();
  std::unique_ptr<TDateCaption> DateCaption = std::make_unique<TDateCaption>();
  std::unique_ptr<TTalkIntervalBar> TalkInterval = std::make_unique<TTalkIntervalBar>();
  std::unique_ptr<TAlarmSetting> Alarm = std::make_unique<TAlarmSetting>();
  std::unique_ptr<TTrayMenu> Tray = std::make_unique<TTrayMenu>();
  std::unique_ptr<TSayTimeHotKey> HotKey = std::make_unique<TSayTimeHotKey>();
  std::unique_ptr<TCharacter> Character = std::make_unique<TCharacter>();
  std::unique_ptr<TMicroClock> MicroClock = std::make_unique<TMicroClock>();
  std::unique_ptr<TReminderCalendar> Calendar = std::make_unique<TReminderCalendar>();
  std::unique_ptr<TPopupNotice> AlarmNotice = std::make_unique<TPopupNotice>();
  std::unique_ptr<TPopupNotice> CountdownNotice = std::make_unique<TPopupNotice>();
  std::unique_ptr<TClockOptions> Options = std::make_unique<TClockOptions>();
};
