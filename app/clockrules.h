#pragma once
// The rules the clock tick and the announcement follow: the quiet hours, the seconds on
// which the time is spoken, the seconds a tick has to look at, and whether the time may be
// spoken now.
#include <cstdint>
#include <exception>
#include <functional>
#include <set>
#include <vector>

#include "classlib/core/datetime.h"
#include "classlib/core/text.h"

// Whether Hour:Minute is quiet in the quiet time from StartHour:StartMinute to the full
// EndHour. Quiet time begins one minute after the start and ends at the end hour itself,
// so with 22:00 to 06:00 both 22:00 and 06:00 are spoken; the end minutes count for
// nothing. A start hour after the end hour crosses midnight.
bool IsQuietTime(int StartHour, int StartMinute, int EndHour, int Hour, int Minute);

// The quiet hours as the settings window gives them: two "hh:mm" texts as typed.
class TQuietHoursRule {
 public:
  // Whether the time may be spoken at Hour:Minute. A text that is no time means no quiet
  // hours; its conversion error goes to Error the first time that text is seen (and
  // Error stays null otherwise), so a bad text is reported once, not at every tick.
  bool TalkAllowed(bool On, const String& From, const String& To, int Hour, int Minute, std::exception_ptr& Error);

 private:
  std::set<String> FReported;
};

// Whether the automatic announcement falls on this second: second 5 of the full hour
// (Interval 0), also of the half hour (1), also of the quarter hours (2).
bool IsTalkSecond(int Interval, int Minute, int Second);

// The alarm time as typed or stored: "hh:mm:ss", or "hh:mm" meaning the full minute (the
// stored default "06:00" is 06:00:00); the hour may have one digit and a leading blank,
// minutes and seconds have two. False for anything else, a field left blank ("07:3_:__"),
// a short one ("7:5") or one out of range ("24:00:00", "25:99:99") included.
bool ParseAlarmTime(const String& Text, int& SecondOfDay);
// "hh:mm:ss" of a second of the day.
String AlarmTimeText(int SecondOfDay);

// A second of the local time: seconds since 30 December 1899.
using TClockSecond = std::int64_t;
TClockSecond ClockSecondOf(TDateTime Time);
// Its hour, minute and second of the day.
void DecodeClockSecond(TClockSecond Second, int& Hour, int& Minute, int& Sec);

// The seconds a tick looks at, so that a tick that comes late or skips a second (timer
// jitter, the tick stopped for a while) loses nothing and a repeated second fires nothing
// twice: every second after the last tick's, up to and with now's. After a long gap (sleep)
// only the last MaxCatchUp seconds count; a clock set back gives none and counts on from
// the new time.
class TSecondsCatchUp {
 public:
  static constexpr int MaxCatchUp = 15;
  // From now on: Now's own second is taken as seen.
  void Start(TDateTime Now);
  // The seconds not seen yet, oldest first; they are seen from now on.
  std::vector<TClockSecond> Advance(TDateTime Now);

 private:
  TClockSecond FLast = 0;
  bool FStarted = false;
};

// Whether the time may be spoken now: no announcement running, no signal ringing and no
// reminder's melody playing. The automatic announcement, the say-time button, the tray
// item, the hotkey and the reminder calendar all ask it, so sounds never overlap and never
// cover a ringing signal; the button and the tray item follow it through OnChange.
class TSayTimeGate {
 public:
  bool MaySpeakNow() const { return !FAnnouncing && FSignals == 0 && !FMelody; }
  bool Announcing() const { return FAnnouncing; }
  void SetAnnouncing(bool Value);
  // A signal (alarm, countdown end) begins or ends; they may overlap.
  void SignalStarted();
  void SignalEnded();
  bool SignalRinging() const { return FSignals > 0; }
  // A reminder's melody plays; the announcement due meanwhile waits for it.
  void SetMelodyPlaying(bool Value);
  bool MelodyPlaying() const { return FMelody; }
  // Only the reminder's melody keeps the time from being spoken.
  bool HeldByMelodyOnly() const { return FMelody && !FAnnouncing && FSignals == 0; }

  // After every change of MaySpeakNow.
  std::function<void()> OnChange;

 private:
  void Changed(bool Before);
  bool FAnnouncing = false;
  int FSignals = 0;
  bool FMelody = false;
};
