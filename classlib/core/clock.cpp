#include "classlib/core/clock.h"

#include <cmath>

#include "classlib/core/callbackguard.h"

namespace {
TClockService* installed = nullptr;
}

TClockService& Clock() { return installed ? *installed : SystemClock(); }

TClockScope::TClockScope(TClockService& clock) : FPrevious(installed) { installed = &clock; }
TClockScope::~TClockScope() { installed = FPrevious; }

// ---- TVirtualClock ----

TVirtualClock::TVirtualClock(TDateTime start) : FStart(start) {}

TDateTime TVirtualClock::Now() {
  // From the start each time, so no rounding error piles up.
  return FStart + static_cast<double>(FTick - FStartTick) / MSecsPerDay;
}

void TVirtualClock::SetNow(TDateTime dt) {
  FStart = dt;
  FStartTick = FTick;
}

TTimerId TVirtualClock::StartTimer(std::uint32_t intervalMs, TTimerCallback callback) {
  if (intervalMs == 0) throw EInvalidOperation("A timer needs an interval of at least 1 ms");
  TTimerId id = FNextId++;
  FTimers[id] = Timer{intervalMs, FTick + intervalMs, FNextArmOrder++,
                      std::make_shared<TTimerCallback>(std::move(callback))};
  return id;
}

void TVirtualClock::RestartTimer(TTimerId id, std::uint32_t intervalMs) {
  auto it = FTimers.find(id);
  if (it == FTimers.end()) return;
  if (intervalMs == 0) throw EInvalidOperation("A timer needs an interval of at least 1 ms");
  it->second.Interval = intervalMs;
  it->second.Due = FTick + intervalMs;
  it->second.ArmOrder = FNextArmOrder++;
}

void TVirtualClock::StopTimer(TTimerId id) { FTimers.erase(id); }

void TVirtualClock::Advance(std::int64_t ms) {
  if (ms < 0) throw EInvalidOperation("The virtual clock cannot go back");
  if (FAdvancing) throw EInvalidOperation("The virtual clock is already advancing");
  FAdvancing = true;
  const std::uint64_t target = FTick + static_cast<std::uint64_t>(ms);
  while (true) {
    // The earliest due timer; among equals the one started (or restarted) first.
    auto next = FTimers.end();
    for (auto it = FTimers.begin(); it != FTimers.end(); ++it) {
      const Timer& t = it->second;
      if (t.Due <= target && (next == FTimers.end() || t.Due < next->second.Due ||
                              (t.Due == next->second.Due && t.ArmOrder < next->second.ArmOrder)))
        next = it;
    }
    if (next == FTimers.end()) break;
    Timer& t = next->second;
    FTick = t.Due;
    t.Due += t.Interval;  // re-armed from its due time before the callback may change it
    auto callback = t.Callback;  // keeps the callback alive if it stops its own timer
    GuardCallback([&] { (*callback)(); });
  }
  FTick = target;
  FAdvancing = false;
}

void TVirtualClock::AdvanceTo(TDateTime dt) {
  double ms = std::round((dt - Now()) * MSecsPerDay);
  if (ms < 0) throw EInvalidOperation("The virtual clock cannot go back");
  Advance(static_cast<std::int64_t>(ms));
}
