#include "controls/kittimers.h"

#include <algorithm>
#include <limits>

#include "classlib/core/callbackguard.h"
#include "classlib/core/format.h"
#include "classlib/core/lists.h"

HX_PUBLISH(TKitTimerItem, p) {}

HX_PUBLISH(TKitTimerPool, p) {
  p.Property("MinInterval", &TKitTimerPool::GetMinInterval, &TKitTimerPool::SetMinInterval).Default(1000);
  p.Event("OnTimer", &TKitTimerPool::OnTimer);
}

// ---- TKitTimerItem ----

TKitTimerItem::TKitTimerItem(TKitTimerPool* Pool, std::uint16_t Ident) : FPool(Pool), FIdent(Ident) {
  if (!Pool) throw EInvalidOperation(ClassName() + ": Invalid Owner or List");
  FTicks = std::max(1, FInterval / Pool->GetMinInterval());
}

void TKitTimerItem::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  if (Value && RepeatCount == 0) return;
  FEnabled = Value;
  FCounter = 0;
  FPool->ItemChanged();
}

void TKitTimerItem::SetInterval(std::uint16_t Value) {
  if (Value == FInterval) return;
  TKitTimerInterval min = FPool->GetMinInterval();
  if (Value % min != 0) return;
  if (Value == 0) Value = min;
  FInterval = Value;
  FTicks = Value / min;
  FCounter = 0;
  FPool->ItemChanged();
}

void TKitTimerItem::SetHandler(TNotifyEvent Value) {
  FHandler = std::move(Value);
  if (FCalling) FHandlerSet = true;
}

void TKitTimerItem::Tick() {
  if (!FEnabled) return;
  FCounter = FCounter == std::numeric_limits<int>::max() ? 0 : FCounter + 1;
  if (FCounter == RepeatCount) FEnabled = false;
  if (!FHandler) {
    if (FPool->OnTimer) FPool->OnTimer(FPool, FIdent, FCounter);
    return;
  }
  // The running handler lives outside the item while it runs, so that it may clear or
  // replace the item's handler (moving a std::function allocates nothing).
  TNotifyEvent running = std::move(FHandler);
  FHandler = nullptr;
  FCalling = true;
  FHandlerSet = false;
  struct TRestore {
    TKitTimerItem* Item;
    TNotifyEvent& Running;
    ~TRestore() {
      Item->FCalling = false;
      if (!Item->FHandlerSet && !Item->FRemoved) Item->FHandler = std::move(Running);
    }
  } restore{this, running};
  running(FPool);
}

// ---- TKitTimerPool ----

TKitTimerPool::TKitTimerPool(TComponent* AOwner) : TKitComponent(AOwner) {}

TKitTimerPool::TKitTimerPool(TComponent* AOwner, TKitTimerInterval MinInterval)
    : TKitComponent(AOwner), FMinInterval(MinInterval ? MinInterval : 1000) {}

TKitTimerPool::~TKitTimerPool() { Activate(false); }

void TKitTimerPool::SetMinInterval(TKitTimerInterval Value) {
  if (Value == 0) return;
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning)) FMinInterval = Value;
}

int TKitTimerPool::AddItem(std::uint16_t Ident, std::uint16_t Interval, TNotifyEvent Handler) {
  if (FindItem(Ident)) throw Exception(Format(kListIndexErrorText, static_cast<int>(Ident)));
  if (Interval % FMinInterval != 0 || Interval < FMinInterval)
    throw Exception("Interval not compatible with MinInterval property!");
  auto item = std::make_unique<TKitTimerItem>(this, Ident);
  item->SetInterval(Interval);
  item->SetHandler(std::move(Handler));
  FItems.push_back(std::move(item));
  try {
    Activate(true);
  } catch (...) {
    FItems.pop_back();  // no half-added item
    throw;
  }
  return static_cast<int>(FItems.size()) - 1;
}

void TKitTimerPool::RemoveItem(std::uint16_t Ident) {
  TKitTimerItem* item = FindItem(Ident);
  if (!item) return;
  item->FEnabled = false;
  item->SetHandler(nullptr);
  item->FRemoved = true;
  if (FInTick || item->FCalling) return;
  FreeRemoved();
  ItemChanged();
}

TKitTimerItem* TKitTimerPool::FindItem(std::uint16_t Ident) const {
  int i = IndexOfIdent(Ident);
  return i < 0 ? nullptr : FItems[static_cast<size_t>(i)].get();
}

int TKitTimerPool::IndexOfIdent(std::uint16_t Ident) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i]->FIdent == Ident && !FItems[i]->FRemoved) return static_cast<int>(i);
  return -1;
}

int TKitTimerPool::Count() const {
  return static_cast<int>(std::count_if(FItems.begin(), FItems.end(), [](auto& i) { return !i->FRemoved; }));
}

int TKitTimerPool::EnabledCount() const {
  return static_cast<int>(std::count_if(FItems.begin(), FItems.end(), [](auto& i) { return i->FEnabled; }));
}

void TKitTimerPool::Activate(bool Enable) {
  if (ComponentState().Contains(csDesigning)) return;
  FActive = false;
  if (FTimer) {
    FClock->StopTimer(FTimer);
    FTimer = 0;
  }
  if (!Enable || EnabledCount() == 0) return;
  FTickCount = 1;
  try {
    FClock = &Clock();
    FLastTickMs = FClock->TickCount();
    std::uint32_t delay = NextDelay(false);
    FTimer = FClock->StartTimer(delay, [this] { Tick(); });
    FPeriod = delay;
  } catch (const Exception&) {
    throw EOutOfResources(kNoTimersText);
  }
  FActive = true;
}

// The pool's ticks are counted every MinInterval from the start of its timer, but the timer
// wakes only for the next tick on which an enabled item is due (or, with none enabled,
// after a long wait): a clock of 1000 ms costs one wake a second, not twenty.
std::uint32_t TKitTimerPool::NextDelay(bool AtTick) {
  std::int64_t passed = AtTick ? 0 : static_cast<std::int64_t>(FClock->TickCount() - FLastTickMs);
  std::int64_t last = FTickCount - 1;  // the count of the last tick, at FLastTickMs
  std::int64_t first = last + passed / FMinInterval + 1;
  FDueCount = 0;
  for (auto& item : FItems) {
    if (!item->FEnabled || item->FRemoved) continue;
    std::int64_t k = item->FTicks;
    std::int64_t due = (first + k - 1) / k * k;
    if (FDueCount == 0 || due < FDueCount) FDueCount = due;
  }
  if (FDueCount == 0) return kIdleWaitMs;
  return static_cast<std::uint32_t>(std::min<std::int64_t>((FDueCount - last) * FMinInterval - passed, kIdleWaitMs));
}

void TKitTimerPool::ItemChanged() {
  if (!FActive || FInTick || !FTimer) return;
  FPeriod = NextDelay(false);
  FClock->RestartTimer(FTimer, FPeriod);
}

void TKitTimerPool::Clear() {
  Activate(false);
  for (auto& item : FItems) {
    item->FEnabled = false;
    item->SetHandler(nullptr);
    item->FRemoved = true;
  }
  if (!FInTick) FItems.clear();
}

void TKitTimerPool::FreeRemoved() {
  std::erase_if(FItems, [](auto& i) { return i->FRemoved; });
  if (FItems.empty()) Activate(false);
}

void TKitTimerPool::Tick() {
  if (FInTick) return;
  if (FDueCount == 0) {
    // The long wait with nothing enabled ran out: count the ticks it spanned, wait again.
    FTickCount += static_cast<std::int64_t>(FClock->TickCount() - FLastTickMs) / FMinInterval;
    FLastTickMs = FClock->TickCount();
    ItemChanged();
    return;
  }
  FInTick = true;
  FTickCount = FDueCount;
  std::vector<std::exception_ptr> errors;
  // Handlers may add and remove items: added ones join at the end, removed ones stay in
  // place (marked) until the tick is over.
  for (size_t i = 0; i < FItems.size(); ++i) {
    TKitTimerItem* item = FItems[i].get();
    if (!item->FEnabled || FTickCount % item->FTicks != 0) continue;
    try {
      item->Tick();
    } catch (...) {
      errors.push_back(std::current_exception());
    }
  }
  ++FTickCount;
  FLastTickMs = FClock->TickCount();
  FInTick = false;
  FreeRemoved();
  if (FActive && FTimer) {
    // The timer repeats with its period: re-armed only when the next wait differs.
    std::uint32_t delay = NextDelay(true);
    if (delay != FPeriod) {
      FPeriod = delay;
      FClock->RestartTimer(FTimer, delay);
    }
  }
  FInTick = true;  // the handler of an error may run a message loop
  for (auto& e : errors) HandleCallbackException(e);
  FInTick = false;
}
