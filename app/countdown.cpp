#include "app/countdown.h"

#include <algorithm>

#include "classlib/core/exceptions.h"
#include "classlib/core/text.h"

namespace {
const char kNoReminder[] = "Время прошло!";
const char kWarningHead[] = "По истечению времени отсчёта таймера\r\n";
const char kWarningTail[] = "\r\nИзменить тип таймера можно в настройках.";
}  // namespace

String CountdownLabel(int Minutes) {
  int last = Minutes % 10;
  const char* word = " минут";
  if (Minutes < 5 || Minutes >= 20) {
    if (last == 1) word = " минута";
    else if (last >= 2 && last <= 4) word = " минуты";
  }
  return "Таймер: " + std::to_string(Minutes) + word;
}

TCountdown::TCountdown(const TCountdownTimers& Timers, TSignals& Signals, TClockParts& Parts)
    : FTimers(Timers), FSignals(Signals), FParts(Parts) {
  FTimers.Tick->OnTimer = [this](TObject*) { Tick(); };
  FTimers.Repeat->OnTimer = [this](TObject*) { Repeat(); };
  FSignals.OnCountdownOff = [this] { SwitchOff(); };
}

void TCountdown::BarChange() {
  int minutes = FParts.Countdown->Minutes();
  FParts.Countdown->SetStartEnabled(minutes >= 1);
  FParts.Countdown->SetLabel(minutes >= 1 ? CountdownLabel(minutes) : "Хоравоксик");
}

void TCountdown::SetBar(int Minutes) {
  FParts.Countdown->SetMinutes(Minutes);
  BarChange();
}

void TCountdown::StartClick() {
  if (Running() || Ringing() || FParts.Countdown->Minutes() < 1) return;
  if (!FParts.Options->ShowTimerHint()) {
    FNotice = kNoReminder;
  } else {
    String text;
    if (!FParts.ReminderInput->Ask(text)) {
      StopClick();
      return;
    }
    FNotice = text.empty() ? String(kNoReminder) : String(kNoReminder) + " Пора " + text + ".";
  }
  StartCountdown();
}

void TCountdown::Preset(int Minutes) {
  if (Running() || Ringing()) return;
  SetBar(Minutes);
  StartClick();
}

void TCountdown::StartCountdown() {
  TClockOptions& options = *FParts.Options;
  int action = options.TimerAction();
  if (action == 1 && OnWarning) OnWarning(String(kWarningHead) + "компьютер будет отключён!" + kWarningTail);
  if (action == 2 && OnWarning)
    OnWarning(String(kWarningHead) + "будет запущена программа\r\n" + options.TimerProgram() + " " +
              options.TimerParameters() + kWarningTail);

  TCountdownControls& controls = *FParts.Countdown;
  controls.SetStartVisible(false);
  controls.SetStopVisible(true);
  controls.SetBarEnabled(false);
  FParts.Tray->SetCountdownRunning(true);

  // Every countdown counts its first minute from nought.
  FCounter = 0;
  TMicroClock& micro = *FParts.MicroClock;
  micro.SetMeterMax(controls.Minutes() * TicksPerMinute);
  micro.SetMeterValue(0);
  if (options.ShowTimerProcess()) micro.SetMeterVisible(true);
  micro.Relayout();

  FTimers.Tick->SetEnabled(true);
  FParts.Led->Blink();
}

void TCountdown::Tick() {
  ++FCounter;
  TMicroClock& micro = *FParts.MicroClock;
  micro.SetMeterValue(micro.MeterValue() + 1);
  if (FCounter < TicksPerMinute) return;
  FCounter = 0;
  SetBar(std::max(FParts.Countdown->Minutes() - 1, 0));
  if (FParts.Countdown->Minutes() == 0) EndAction();
}

void TCountdown::EndAction() {
  TClockOptions& options = *FParts.Options;
  switch (options.TimerAction()) {
    case 1:
      // Once: the controls go back to idle, whether the system then goes down or refuses.
      StopClick();
      FParts.Shutdown->ShutDown();
      break;
    case 2: {
      StopClick();
      String program = Trim(options.TimerProgram());
      if (program.empty()) throw Exception("Программа, которую таймер должен запустить, не выбрана.");
      FParts.Starter->Start(program, options.TimerParameters(), options.TimerProgramShow());
      break;
    }
    default:
      FParts.Countdown->SetStopVisible(false);
      FParts.Countdown->SetStartVisible(true);
      FParts.Countdown->SetStartEnabled(false);
      FParts.Led->SetOn(true);
      FTimers.Tick->SetEnabled(false);
      FTimers.Repeat->SetEnabled(true);
      FParts.CountdownNotice->ShowNotice(FNotice);
      FSignals.Begin(TSignalKind::Countdown);
      break;
  }
}

void TCountdown::Repeat() {
  if (!Ringing()) {
    FTimers.Repeat->SetEnabled(false);
    return;
  }
  FParts.CountdownNotice->ShowNotice(FNotice);
  FSignals.Repeat(TSignalKind::Countdown, true);
}

void TCountdown::ToIdle() {
  TCountdownControls& controls = *FParts.Countdown;
  FTimers.Tick->SetEnabled(false);
  FTimers.Repeat->SetEnabled(false);
  controls.SetStopVisible(false);
  controls.SetStartVisible(true);
  controls.SetBarEnabled(true);
  BarChange();
  FParts.Tray->SetCountdownRunning(false);
  FParts.Led->SetOn(false);
  FParts.MicroClock->SetMeterVisible(false);
  FParts.MicroClock->Relayout();
}

void TCountdown::SwitchOff() {
  if (!Ringing()) return;  // a stale tray item must not stop a countdown that runs
  ToIdle();
  FSignals.End(TSignalKind::Countdown);
}

void TCountdown::StopClick() {
  if (Ringing()) SwitchOff();
  FParts.Countdown->SetMinutes(0);
  ToIdle();
}
