#pragma once
// The countdown timer: a whole number of minutes (1..60) on the main window's bar counts
// down at 120 ticks of 500 ms a minute, from nought at every start, and ends with the
// action the settings choose: a signal (signals.h), shutting the computer down once, or
// starting the chosen program with its parameters. It can ask for a reminder at its start,
// which its end notice then shows ("Время прошло! Пора …").
//
//   Timer     every 500 ms while it runs
//   TimerEnd  every 10 s while its signal rings: the notice and the melody again
#include <functional>

#include "app/clockparts.h"
#include "app/signals.h"
#include "classlib/core/timers.h"

struct TCountdownTimers {
  TTimer* Tick = nullptr;    // Timer
  TTimer* Repeat = nullptr;  // TimerEnd
};

// "Таймер: 21 минута": the bar's label for 1..60 minutes.
String CountdownLabel(int Minutes);

class TCountdown {
 public:
  static constexpr int TicksPerMinute = 120;

  TCountdown(const TCountdownTimers& Timers, TSignals& Signals, TClockParts& Parts);
  TCountdown(const TCountdown&) = delete;
  TCountdown& operator=(const TCountdown&) = delete;

  // The bar moved (by the user or by the countdown): its label and the start button.
  void BarChange();
  // The start button: asks for the reminder when the options say so, then starts.
  void StartClick();
  // A preset of the tray menu: that many minutes, then start.
  void Preset(int Minutes);
  // The stop button and the tray's "Остановить": back to idle with the bar at nought; a
  // ringing countdown signal is switched off too.
  void StopClick();
  // The countdown signal's switch-off button (Button7), the tray item, the auto-off; only
  // while the signal rings.
  void SwitchOff();

  bool Running() const { return FTimers.Tick->GetEnabled(); }
  bool Ringing() const { return FSignals.Ringing(TSignalKind::Countdown); }
  // Half seconds counted in the current minute.
  int Counter() const { return FCounter; }
  // What the end notice says.
  const String& NoticeText() const { return FNotice; }

  // Before a countdown that will shut the computer down or start a program: the warning
  // to show (a plain message box).
  std::function<void(const String&)> OnWarning;

 private:
  void StartCountdown();
  void Tick();
  void EndAction();
  void Repeat();
  void SetBar(int Minutes);
  void ToIdle();

  TCountdownTimers FTimers;
  TSignals& FSignals;
  TClockParts& FParts;
  int FCounter = 0;
  String FNotice = "Время истекло!";
};
