#include "classlib/core/timers.h"

HX_PUBLISH(TTimer, p) {
  p.Property("Enabled", &TTimer::GetEnabled, &TTimer::SetEnabled).Default(true);
  p.Property("Interval", &TTimer::GetInterval, &TTimer::SetInterval).Default(1000u);
  p.Event("OnTimer", &TTimer::OnTimer);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) { UpdateTimer(true); }

TTimer::~TTimer() {
  Destroying();
  Stop();
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer(true);
}

void TTimer::SetInterval(std::uint32_t Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer(true);
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer(true);
}

void TTimer::Stop() {
  if (FId) FClock->StopTimer(FId);
  FId = 0;
  FClock = nullptr;
}

void TTimer::UpdateTimer(bool Restart) {
  TComponentState state = ComponentState();
  bool run = FEnabled && FInterval > 0 && !state.Contains(csLoading) && !state.Contains(csDesigning) &&
             !state.Contains(csDestroying);
  if (!run) return Stop();
  if (FId && FClock == &Clock()) {
    if (Restart) FClock->RestartTimer(FId, FInterval);
    return;
  }
  Stop();
  FClock = &Clock();
  FId = FClock->StartTimer(FInterval, [this] { Timer(); });
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}
