#include "app/traymenu.h"

#include <utility>

#include "app/clockrules.h"

String TrayHint(bool CountdownRunning, int MinutesLeft, bool AlarmOn, const String& AlarmTime) {
  String countdown = "Часы: Таймер: осталось " + std::to_string(MinutesLeft) + " мин.";
  if (CountdownRunning && AlarmOn) return countdown + " Будильник на: " + AlarmTime;
  if (CountdownRunning) return countdown;
  if (AlarmOn) return "Часы: Будильник поставлен на: " + AlarmTime;
  return "Хоравокс";
}

TTrayModel::TTrayModel(TClockParts& Parts) : FParts(Parts) {}

void TTrayModel::Load() {
  TClockOptions& options = *FParts.Options;
  FTalkChecked = options.TalkTime();
  FOnTopChecked = options.LittleClockTop();
  int kind = options.DigitalMiniClock();
  if (kind >= 0 && kind <= 2) FKind = kind;  // another value changes nothing
  FParts.TalkInterval->SetEnabled(FTalkChecked);
  RefreshScreenSaverItem();
  Apply();
}

void TTrayModel::SetSayTimeEnabled(bool Value) {
  if (FMaySpeak == Value) return;
  FMaySpeak = Value;
  Apply();
}

void TTrayModel::RefreshScreenSaverItem() {
  bool installed = ScreenSaverInstalled && ScreenSaverInstalled();
  if (installed == FScreenSaver) return;
  FScreenSaver = installed;
  Apply();
}

void TTrayModel::RefreshHint() {
  bool ticking = CountdownTicking && CountdownTicking();
  // Only a time that is a time is told as the alarm's.
  int alarmAt = 0;
  String alarmTime = FParts.Alarm->Time();
  bool alarmOn = FParts.Alarm->On() && ParseAlarmTime(alarmTime, alarmAt);
  String hint = TrayHint(ticking, FParts.Countdown->Minutes(), alarmOn, alarmTime);
  if (hint == FHint) return;
  FHint = hint;
  Apply();
}

void TTrayModel::SetFirstItem(const String& Caption, std::function<void()> OnClick) {
  FFirstCaption = Caption;
  FFirstClick = std::move(OnClick);
  Apply();
}

void TTrayModel::SetCountdownRunning(bool Value) {
  FCountdownRunning = Value;
  Apply();
}

void TTrayModel::ClickFirst() {
  if (!FirstEnabled() || !FFirstClick) return;
  // The handler may set another one while it runs.
  std::function<void()> click = FFirstClick;
  click();
}

void TTrayModel::TalkToggle() {
  TClockOptions& options = *FParts.Options;
  options.SetTalkTime(!options.TalkTime());
  FTalkChecked = options.TalkTime();
  FParts.TalkInterval->SetEnabled(FTalkChecked);
  Apply();
}

void TTrayModel::OnTopToggle() {
  TClockOptions& options = *FParts.Options;
  options.SetLittleClockTop(!options.LittleClockTop());
  FOnTopChecked = options.LittleClockTop();
  FParts.MicroClock->SetStayOnTop(FOnTopChecked);
  Apply();
}

void TTrayModel::SetMiniClockKind(int Kind) {
  if (Kind < 0 || Kind > 2) return;
  FParts.Options->SetDigitalMiniClock(Kind);
  FParts.MicroClock->SetKind(Kind);
  FKind = Kind;
  Apply();
}
