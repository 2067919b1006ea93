#pragma once
// The alarm clock: its setting on the main window's alarm panel, and its signal. At its
// time (the clock tick's OnAlarm) it rings through the signals (signals.h), shows its
// notice, and stops the clock tick for ten seconds so that it fires once:
//
//   Timer2  every 5 s while it rings: the notice and the melody again, auto-off armed
//   Timer3  10 s after it fired: the clock tick runs again
//
// Its time is kept as "hh:mm:ss": a stored "hh:mm" means the full minute. A time that is
// no time ("25:99:99", "07:3_:__") is refused with a message, when the alarm is switched
// on and when the panel is closed: the alarm is never on with it, so neither the tray's
// hint nor the settings show it.
#include <functional>

#include "app/clockparts.h"
#include "app/signals.h"
#include "classlib/core/timers.h"

struct TAlarmTimers {
  TTimer* Tick = nullptr;     // Timer1, the clock tick
  TTimer* Repeat = nullptr;   // Timer2
  TTimer* Restart = nullptr;  // Timer3
};

class TAlarm {
 public:
  TAlarm(const TAlarmTimers& Timers, TSignals& Signals, TClockParts& Parts);
  TAlarm(const TAlarm&) = delete;
  TAlarm& operator=(const TAlarm&) = delete;

  // The stored setting (at the main window's creation); a stored time that is a time is
  // shown as "hh:mm:ss", one that is not leaves the alarm off.
  void Load(const String& Time, bool On);
  // The panel button (Button5): opens the panel, or closes it and keeps the setting
  // (OnSave). A time that is no time is refused and the panel stays open.
  void PanelButtonClick();
  // The alarm's box (CheckBox2) was clicked: the time is fixed while the alarm is on; a
  // time that is no time is refused and the box unticked.
  void OnBoxClick();
  // The alarm time has come.
  void RaiseAlarm();
  // Its switch-off button (Button6), the tray item, the automatic switch-off.
  void SwitchOff();
  bool Ringing() const { return FSignals.Ringing(TSignalKind::Alarm); }
  // The panel button's caption by the alarm's box.
  void ShowState();

  // What a refused time is told: the form of a time.
  static const char* const kTimeRefused;

  // The setting to keep: "hh:mm:ss" and whether it is on.
  std::function<void(const String& Time, bool On)> OnSave;

 private:
  void Repeat();

  TAlarmTimers FTimers;
  TSignals& FSignals;
  TClockParts& FParts;
};
