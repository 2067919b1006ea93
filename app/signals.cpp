#include "app/signals.h"

#include <algorithm>

#include "classlib/core/files.h"

namespace {
constexpr unsigned kBeepFrequency = 3000, kBeepDuration = 100;
constexpr int kTidyUpSpeed = 200;
}  // namespace

TSignals::TSignals(const TSignalTimers& Timers, TMediaPlayer* Player, TSayTimeGate& Gate, TClockParts& Parts)
    : FTimers(Timers), FPlayer(Player), FGate(Gate), FParts(Parts) {
  FTimers.EndRing->OnTimer = [this](TObject*) { EndRing(); };
  FTimers.RingOff->OnTimer = [this](TObject*) { RingOff(); };
  FTimers.MenuRingOff->OnTimer = [this](TObject*) { MenuRingOff(); };
  // The tray item's check runs while a signal's state is not yet shown on it, not all day.
  FTimers.MenuRingOff->SetEnabled(false);
  FTimers.BeeperMain->OnTimer = [this](TObject*) { BeeperMain(); };
  FTimers.Beeper1->OnTimer = [this](TObject*) {
    FTimers.Beeper1->SetEnabled(false);
    BeeperTone(kBeepFrequency, kBeepDuration);
  };
  FTimers.Beeper2->OnTimer = [this](TObject*) {
    FTimers.Beeper2->SetEnabled(false);
    BeeperTone(kBeepFrequency, kBeepDuration);
  };
}

void TSignals::Begin(TSignalKind Kind) {
  int i = Index(Kind);
  if (FRinging[i]) return;
  TCharacter& character = *FParts.Character;
  if (!AnyRinging()) {
    if (FTimers.RingOff->GetEnabled()) {
      // The last signal's tidy-up has not run: what it would give back is still saved.
      FTimers.RingOff->SetEnabled(false);
    } else {
      FSavedWandering = character.Wandering();
      FSavedOnTop = character.AlwaysOnTop();
      FSavedLeft = character.StageLeft();
      FSavedTop = character.StageTop();
    }
    character.SetWandering(false);
  }
  FRinging[i] = true;
  FTimers.MenuRingOff->SetEnabled(true);
  if (Kind == TSignalKind::Alarm) FParts.SignalButtons->ShowAlarmOff(true);
  else FParts.SignalButtons->ShowCountdownOff(true);
  FGate.SignalStarted();

  // The signal sounds first: showing the character waits for its show animation.
  if (FParts.Options->SignalDevice() == 1) {
    FTimers.BeeperMain->SetEnabled(true);
  } else if (String melody = ChosenMelody ? ChosenMelody() : String(); !melody.empty()) {
    FMelody = IncludeTrailingPathDelimiter(ProgramFolder) + "Ring" + PathDelim + melody;
    FMelodyFailed = false;
    PlayMelody(true);
  }
  if (FParts.Options->ShowActor()) {
    character.SetAlwaysOnTop(true);
    character.ShowCharacter(false);
    character.BringToFront();
    FTimers.Fly->SetEnabled(true);
  }
}

void TSignals::Repeat(TSignalKind Kind, bool FromStart) {
  if (!Ringing(Kind)) return;
  TClockOptions& options = *FParts.Options;
  FTimers.EndRing->SetInterval(static_cast<std::uint32_t>(std::clamp(options.AutoOffMinutes(), 1, 60)) * 60000);
  if (options.AutoOff()) FTimers.EndRing->SetEnabled(true);
  if (options.ActorMoveForTimer()) FParts.Character->MoveToRandomPlace();
  if (options.SignalDevice() == 1) FTimers.BeeperMain->SetEnabled(true);
  else PlayMelody(FromStart);
}

void TSignals::End(TSignalKind Kind) {
  int i = Index(Kind);
  if (!FRinging[i]) return;
  FRinging[i] = false;
  FTimers.MenuRingOff->SetEnabled(true);
  if (Kind == TSignalKind::Alarm) FParts.SignalButtons->ShowAlarmOff(false);
  else FParts.SignalButtons->ShowCountdownOff(false);
  FGate.SignalEnded();
  if (AnyRinging()) return;

  // The last one: silence, and the character back to where it was.
  FTimers.Fly->SetEnabled(false);
  FTimers.EndRing->SetEnabled(false);  // a later signal counts its own minutes
  StopSound();
  if (!FParts.Options->ActorAlwaysMove() && FParts.Options->ActorMoveForTimer())
    FParts.Character->MoveTo(FSavedLeft, FSavedTop);
  FTimers.RingOff->SetEnabled(true);
}

void TSignals::PlayMelody(bool FromStart) {
  if (FMelody.empty() || FMelodyFailed) return;
  try {
    if (FromStart || !FPlayer->DeviceOpen()) {
      FPlayer->SetFileName(FMelody);
      FPlayer->Open();
    }
    FPlayer->Play();  // rewinds first when the melody has ended
  } catch (...) {
    FMelodyFailed = true;
    try {
      FPlayer->Close();
    } catch (...) {
      // The first error is the one worth reporting.
    }
    throw;
  }
}

void TSignals::StopSound() {
  FTimers.BeeperMain->SetEnabled(false);
  FTimers.Beeper1->SetEnabled(false);
  FTimers.Beeper2->SetEnabled(false);
  FMelody.clear();
  if (FPlayer->DeviceOpen()) {
    FPlayer->Stop();
    FPlayer->Close();
  }
}

void TSignals::EndRing() {
  FTimers.EndRing->SetEnabled(false);
  if (Ringing(TSignalKind::Alarm) && OnAlarmOff) OnAlarmOff();
  if (Ringing(TSignalKind::Countdown) && OnCountdownOff) OnCountdownOff();
}

void TSignals::RingOff() {
  FTimers.RingOff->SetEnabled(false);
  TCharacter& character = *FParts.Character;
  int speed = character.Speed();
  if (FParts.Options->ShowActorAlways()) {
    character.SetSpeed(kTidyUpSpeed);
    if (FParts.Options->ActorAlwaysMove()) character.MoveToRandomPlace();
  } else {
    character.HideCharacter(false);
  }
  character.SetAlwaysOnTop(FSavedOnTop);
  character.SetWandering(FSavedWandering);
  character.SetSpeed(speed);
}

void TSignals::MenuRingOff() {
  FTimers.MenuRingOff->SetEnabled(false);
  std::array<bool, 2> now = FRinging;
  if (now == FMenuShown) return;
  FMenuShown = now;
  if (now[0] && now[1]) {
    FParts.Tray->SetFirstItem("Выключить сигналы", [this] {
      if (OnAlarmOff) OnAlarmOff();
      if (OnCountdownOff) OnCountdownOff();
    });
  } else if (now[0]) {
    FParts.Tray->SetFirstItem("Выключить сигнал будильника", [this] {
      if (OnAlarmOff) OnAlarmOff();
    });
  } else if (now[1]) {
    FParts.Tray->SetFirstItem("Выключить сигнал таймера", [this] {
      if (OnCountdownOff) OnCountdownOff();
    });
  } else {
    FParts.Tray->SetFirstItem("Сказать время", [this] {
      if (OnSayTime) OnSayTime();
    });
  }
}

void TSignals::BeeperMain() {
  if (!AnyRinging()) {
    FTimers.BeeperMain->SetEnabled(false);
    return;
  }
  FTimers.Beeper1->SetEnabled(true);
  FTimers.Beeper2->SetEnabled(true);
}

void TSignals::BeeperTone(unsigned Frequency, unsigned Duration) { FParts.Tone->Tone(Frequency, Duration); }
