#include "app/clockrules.h"

#include <cmath>
#include <cstdio>

bool IsQuietTime(int StartHour, int StartMinute, int EndHour, int Hour, int Minute) {
  bool afterStart = Hour == StartHour && Minute > StartMinute;
  if (StartHour > EndHour) return afterStart || Hour > StartHour || Hour < EndHour;
  return afterStart || (StartHour < Hour && Hour < EndHour);
}

bool TQuietHoursRule::TalkAllowed(bool On, const String& From, const String& To, int Hour, int Minute,
                                  std::exception_ptr& Error) {
  Error = nullptr;
  if (!On) return true;
  const String* texts[2] = {&From, &To};
  TDateTime times[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    if (TryStrToTime(*texts[i], times[i], RussianFormatSettings())) continue;
    if (FReported.insert(*texts[i]).second)
      Error = std::make_exception_ptr(EConvertError("'" + *texts[i] + "' is not a valid time"));
    return true;
  }
  int hs, ms, he, me, sec, msec;
  DecodeTime(times[0], hs, ms, sec, msec);
  DecodeTime(times[1], he, me, sec, msec);
  return !IsQuietTime(hs, ms, he, Hour, Minute);
}

bool IsTalkSecond(int Interval, int Minute, int Second) {
  if (Second != 5) return false;
  switch (Interval) {
    case 0: return Minute == 0;
    case 1: return Minute % 30 == 0;
    case 2: return Minute % 15 == 0;
    default: return false;
  }
}

bool ParseAlarmTime(const String& Text, int& SecondOfDay) {
  int fields[3] = {0, 0, 0};
  int count = 0, digits = 0;
  size_t i = 0;
  while (i < Text.size() && Text[i] == ' ') ++i;  // the hour's blank
  for (; i <= Text.size(); ++i) {
    char c = i < Text.size() ? Text[i] : ':';
    if (c >= '0' && c <= '9') {
      if (++digits > 2) return false;
      fields[count] = fields[count] * 10 + (c - '0');
    } else if (c == ':') {
      // The hour may have one digit; minutes and seconds have two, as the mask asks.
      if (digits == 0 || count == 3 || (count > 0 && digits < 2)) return false;
      ++count;
      digits = 0;
      if (i == Text.size()) break;
      if (count == 3) return false;
    } else {
      return false;
    }
  }
  if (count < 2 || fields[0] > 23 || fields[1] > 59 || fields[2] > 59) return false;
  SecondOfDay = fields[0] * 3600 + fields[1] * 60 + fields[2];
  return true;
}

String AlarmTimeText(int SecondOfDay) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", SecondOfDay / 3600 % 24, SecondOfDay / 60 % 60, SecondOfDay % 60);
  return text;
}

TClockSecond ClockSecondOf(TDateTime Time) {
  // Through whole milliseconds, so 15:00:00 computed as 14:59:59.9999999 is 15:00:00.
  std::int64_t ms = std::llround(Time * static_cast<double>(MSecsPerDay));
  return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

void DecodeClockSecond(TClockSecond Second, int& Hour, int& Minute, int& Sec) {
  std::int64_t ofDay = ((Second % SecsPerDay) + SecsPerDay) % SecsPerDay;
  Hour = static_cast<int>(ofDay / 3600);
  Minute = static_cast<int>(ofDay / 60 % 60);
  Sec = static_cast<int>(ofDay % 60);
}

void TSecondsCatchUp::Start(TDateTime Now) {
  FLast = ClockSecondOf(Now);
  FStarted = true;
}

std::vector<TClockSecond> TSecondsCatchUp::Advance(TDateTime Now) {
  TClockSecond now = ClockSecondOf(Now);
  std::vector<TClockSecond> seconds;
  if (FStarted && now > FLast) {
    for (TClockSecond s = std::max(FLast + 1, now - MaxCatchUp + 1); s <= now; ++s) seconds.push_back(s);
  }
  FLast = now;
  FStarted = true;
  return seconds;
}

void TSayTimeGate::SetAnnouncing(bool Value) {
  bool before = MaySpeakNow();
  FAnnouncing = Value;
  Changed(before);
}

void TSayTimeGate::SignalStarted() {
  bool before = MaySpeakNow();
  ++FSignals;
  Changed(before);
}

void TSayTimeGate::SignalEnded() {
  bool before = MaySpeakNow();
  if (FSignals > 0) --FSignals;
  Changed(before);
}

void TSayTimeGate::SetMelodyPlaying(bool Value) {
  bool before = MaySpeakNow();
  FMelody = Value;
  Changed(before);
}

void TSayTimeGate::Changed(bool Before) {
  if (Before != MaySpeakNow() && OnChange) OnChange();
}
