#include "app/clocktick.h"

#include <cmath>
#include <exception>
#include <vector>

#include "classlib/core/callbackguard.h"

TClockTick::TClockTick(TClockParts& Parts, TSayTimeGate& Gate, TTimer* Timer1)
    : FParts(Parts), FGate(Gate), FTimer1(Timer1) {}

void TClockTick::Start() {
  TDateTime now = Now();
  LastDay = std::floor(now);
  FSeconds.Start(now);
  DecodeNow(now);  // the say-time button may be pressed before the first tick
}

void TClockTick::DecodeNow(TDateTime Now) {
  int h, m, s;
  DecodeClockSecond(ClockSecondOf(Now), h, m, s);
  Hour = static_cast<std::uint16_t>(h);
  Minute = static_cast<std::uint16_t>(m);
  Second = static_cast<std::uint16_t>(s);
}

void TClockTick::Tick() {
  std::vector<std::exception_ptr> errors;
  TDateTime now = Now();

  FParts.DateCaption->ShowDate(FormatDateTime("d mmmm yyyy, dddd", now, RussianFormatSettings()));
  FParts.ClockFace->ShowTime(now);

  DecodeNow(now);

  TDateTime today = std::floor(now);
  if (today != LastDay) {
    LastDay = today;
    FParts.Calendar->ShowRemindersOf(today);
  }

  FParts.Tray->RefreshScreenSaverItem();
  if (FParts.Options->LittleClock()) FParts.MicroClock->PlaceMeterUnderFace();

  std::vector<TClockSecond> seconds = FSeconds.Advance(now);
  int h, m, s;
  int alarmAt = 0;
  if (FParts.Alarm->On() && ParseAlarmTime(FParts.Alarm->Time(), alarmAt)) {
    for (TClockSecond second : seconds) {
      DecodeClockSecond(second, h, m, s);
      if (h * 3600 + m * 60 + s != alarmAt) continue;
      try {
        if (OnAlarm) OnAlarm();
      } catch (...) {
        errors.push_back(std::current_exception());
      }
      break;
    }
  }

  FParts.Tray->RefreshHint();
  if (FGate.MaySpeakNow() && FParts.Options->HotKeyEnabled()) FParts.HotKey->SetActive(true);

  String from, to;
  bool quiet = FParts.Options->QuietHours(from, to);
  std::exception_ptr quietError;
  TalkAllowed = FQuietHours.TalkAllowed(quiet, from, to, Hour, Minute, quietError);
  if (quietError) errors.push_back(quietError);

  // An announcement's second (5) caught up lies at most a quarter minute back, in the
  // current minute: the quiet hours and the words spoken are this minute's.
  // One due while only a reminder's melody plays waits for it, as long as it has not
  // fallen further back than a catch-up.
  TClockSecond nowSecond = ClockSecondOf(now);
  if (FPendingTalk != 0 && nowSecond - FPendingTalk >= TSecondsCatchUp::MaxCatchUp) FPendingTalk = 0;
  if (TalkAllowed && FParts.Options->TalkTime()) {
    int interval = FParts.TalkInterval->Position();
    bool due = false;
    for (TClockSecond second : seconds) {
      DecodeClockSecond(second, h, m, s);
      if (!IsTalkSecond(interval, m, s)) continue;
      if (FGate.MaySpeakNow()) {
        due = true;
        break;
      }
      if (FGate.HeldByMelodyOnly()) FPendingTalk = second;
    }
    if (!due && FPendingTalk != 0 && FGate.MaySpeakNow()) due = true;
    if (due) {
      FPendingTalk = 0;
      bool wasEnabled = FTimer1->GetEnabled();
      FTimer1->SetEnabled(false);
      try {
        if (OnAnnounce) OnAnnounce();
      } catch (...) {
        errors.push_back(std::current_exception());
      }
      FTimer1->SetEnabled(wasEnabled);
    }
  } else {
    FPendingTalk = 0;
  }

  for (const std::exception_ptr& error : errors) HandleCallbackException(error);
}
