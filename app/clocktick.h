#pragma once
// The main window's one-second clock tick (Timer1), in this order: the date caption and the
// clock face; the current time into Hour, Minute, Second; a change of day (the reminder
// calendar looks up the new day); the tray's screen-saver item; the micro clock's meter;
// the alarm test; the tray hint; the hotkey back on while the time may be spoken; the quiet
// hours; and the automatic announcement at second 5 of the minutes the talk interval names.
//
// The alarm and the announcement look at every second since the last tick (clockrules.h),
// so a late or skipped tick loses neither; an announcement due while a reminder's melody
// plays is spoken when the melody ends, unless that is more than a catch-up later. Errors of the tick's work (a quiet-hours text
// that is no time, a fragment that cannot be played) are reported once each, through the
// callback exception handler, when the tick's work is done.
#include <cstdint>
#include <functional>

#include "app/clockparts.h"
#include "app/clockrules.h"
#include "classlib/core/timers.h"

class TClockTick {
 public:
  // Timer1: the tick's timer, stopped while an announcement starts.
  TClockTick(TClockParts& Parts, TSayTimeGate& Gate, TTimer* Timer1);
  TClockTick(const TClockTick&) = delete;
  TClockTick& operator=(const TClockTick&) = delete;

  // At the main window's creation: the last day is today, the current time is decoded and
  // the seconds count from now.
  void Start();
  // One tick.
  void Tick();

  // The current time, decoded at every tick.
  std::uint16_t Hour = 0, Minute = 0, Second = 0;
  // The date seen at the last tick.
  TDateTime LastDay = 0;
  // Outside the quiet hours at the last tick.
  bool TalkAllowed = true;

  // The time is to be spoken now (AnnounceTime for Hour:Minute).
  std::function<void()> OnAnnounce;
  // The alarm time has come.
  std::function<void()> OnAlarm;

 private:
  void DecodeNow(TDateTime Now);

  TClockParts& FParts;
  TSayTimeGate& FGate;
  TTimer* FTimer1;
  TQuietHoursRule FQuietHours;
  TSecondsCatchUp FSeconds;
  // The second of an announcement kept waiting while a reminder's melody plays (0: none).
  TClockSecond FPendingTalk = 0;
};
