#include "app/alarm.h"

#include "app/clockrules.h"

namespace {
const char kAlarmNotice[] = "Будильник сработал!";
}

const char* const TAlarm::kTimeRefused =
    "Неверное время будильника. Введите время в виде чч:мм:сс, от 00:00:00 до 23:59:59.";

TAlarm::TAlarm(const TAlarmTimers& Timers, TSignals& Signals, TClockParts& Parts)
    : FTimers(Timers), FSignals(Signals), FParts(Parts) {
  FTimers.Repeat->OnTimer = [this](TObject*) { Repeat(); };
  FTimers.Restart->OnTimer = [this](TObject*) {
    FTimers.Restart->SetEnabled(false);
    FTimers.Tick->SetEnabled(true);
  };
  FSignals.OnAlarmOff = [this] { SwitchOff(); };
}

void TAlarm::Load(const String& Time, bool On) {
  int second = 0;
  const bool valid = ParseAlarmTime(Time, second);
  FParts.Alarm->SetTime(valid ? AlarmTimeText(second) : Time);
  FParts.Alarm->SetOn(On && valid);
  ShowState();
}

void TAlarm::ShowState() {
  FParts.Alarm->SetCaption(FParts.Alarm->On() ? "Будильник включен" : "Будильник выключен");
}

void TAlarm::PanelButtonClick() {
  TAlarmSetting& setting = *FParts.Alarm;
  if (!setting.PanelVisible()) {
    setting.SetTimeReadOnly(setting.On());
    setting.SetPanelVisible(true);
    return;
  }
  int second = 0;
  if (!ParseAlarmTime(setting.Time(), second)) {
    setting.Refuse(kTimeRefused);
    return;
  }
  String time = AlarmTimeText(second);
  setting.SetTime(time);
  setting.SetPanelVisible(false);
  ShowState();
  if (OnSave) OnSave(time, setting.On());
}

void TAlarm::OnBoxClick() {
  TAlarmSetting& setting = *FParts.Alarm;
  int second = 0;
  if (setting.On() && !ParseAlarmTime(setting.Time(), second)) {
    setting.SetOn(false);
    setting.SetTimeReadOnly(false);
    setting.Refuse(kTimeRefused);
    return;
  }
  setting.SetTimeReadOnly(setting.On());
}

void TAlarm::RaiseAlarm() {
  // One alarm time fires once: the tick stands still past it.
  FTimers.Tick->SetEnabled(false);
  FTimers.Restart->SetEnabled(true);
  // It repeats (and so switches itself off) also when it has no melody to play.
  FTimers.Repeat->SetEnabled(true);
  FParts.AlarmNotice->ShowNotice(kAlarmNotice);
  FSignals.Begin(TSignalKind::Alarm);
}

void TAlarm::Repeat() {
  if (!Ringing()) {
    FTimers.Repeat->SetEnabled(false);
    return;
  }
  FParts.AlarmNotice->ShowNotice(kAlarmNotice);
  FSignals.Repeat(TSignalKind::Alarm, false);
}

void TAlarm::SwitchOff() {
  if (!Ringing()) return;
  FTimers.Repeat->SetEnabled(false);
  FSignals.End(TSignalKind::Alarm);
}
