#pragma once
// The timer pool: the kit does not give each component a timer of its own. One pool runs
// one timer that ticks every MinInterval milliseconds and multiplexes it over any number of
// items, each firing every Interval milliseconds (a whole multiple of MinInterval), a set
// number of times or endlessly. An item with ticks k = Interval / MinInterval fires on the
// pool ticks that are multiples of k, counted from the start of the pool's timer.
//
// The pool's timer comes from the clock service (classlib/core/clock.h): under Windows a Win32
// timer of the clock's hidden window, served by the message loop; in tests a virtual clock.
//
// The pool's timer wakes only for the ticks on which an enabled item is due: an item's
// enabling or new interval re-arms it.
//
// A handler that raises does not stop the others: every due item fires, the tick count
// advances, and the errors go to the callback exception handler after the tick (while the
// tick's guard keeps a handler's message loop from ticking again). An item removed while
// the pool ticks (also from its own handler) fires no more and is freed after the tick.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "classlib/core/clock.h"
#include "controls/kitbase.h"

using TKitTimerInterval = std::uint16_t;  // 1..65535 ms
using TKitTimerPoolEvent = std::function<void(TObject* Sender, std::uint16_t Ident, int Counter)>;

class TKitTimerPool;

class TKitTimerItem : public TObject {
  HX_CLASS(TKitTimerItem, TObject)
 public:
  // EInvalidOperation "TKitTimerItem: Invalid Owner or List" without a pool. Interval
  // 1000, enabled, endless, no handler.
  TKitTimerItem(TKitTimerPool* Pool, std::uint16_t Ident);

  std::uint16_t Ident() const { return FIdent; }
  // Times fired since the last enabling or change of interval.
  int Counter() const { return FCounter; }
  // Enabling an item whose RepeatCount is 0 is ignored; a change restarts Counter (and
  // tells the pool, whose timer wakes for the enabled items only).
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // A value that is no multiple of the pool's MinInterval is ignored; 0 means MinInterval.
  // A change restarts Counter.
  std::uint16_t GetInterval() const { return FInterval; }
  void SetInterval(std::uint16_t Value);
  int Ticks() const { return FTicks; }

  int RepeatCount = -1;  // -1: endless; reaching it disables the item
  // Called with the pool as sender; without one, the pool's OnTimer is. A handler may
  // replace or clear itself (or remove its item) while it runs.
  const TNotifyEvent& GetHandler() const { return FHandler; }
  void SetHandler(TNotifyEvent Value);

  // One firing: counts, disables the item at RepeatCount, then calls the handler.
  void Tick();

 private:
  friend class TKitTimerPool;
  TKitTimerPool* FPool;
  std::uint16_t FIdent;
  int FCounter = 0;
  bool FEnabled = true;
  std::uint16_t FInterval = 1000;
  int FTicks = 1;
  bool FRemoved = false;  // removed during a tick, freed after it
  TNotifyEvent FHandler;
  bool FCalling = false;     // the handler runs (moved out of FHandler meanwhile)
  bool FHandlerSet = false;  // and was replaced while it ran
};

class TKitTimerPool : public TKitComponent {
  HX_CLASS(TKitTimerPool, TKitComponent)
 public:
  explicit TKitTimerPool(TComponent* AOwner);  // MinInterval 1000
  TKitTimerPool(TComponent* AOwner, TKitTimerInterval MinInterval);
  ~TKitTimerPool() override;

  // Set only while the pool is being loaded (a running pool keeps its period); 0 is refused.
  TKitTimerInterval GetMinInterval() const { return FMinInterval; }
  void SetMinInterval(TKitTimerInterval Value);

  // Adds an item and (re)starts the pool's timer, the tick count from 1; the item's index.
  // Raises, adding nothing: Exception with the list-index text for an identifier in use,
  // Exception "Interval not compatible with MinInterval property!" for an interval below
  // MinInterval or no multiple of it, EOutOfResources "Нет доступных таймеров" when no timer
  // can be started.
  int AddItem(std::uint16_t Ident, std::uint16_t Interval, TNotifyEvent Handler);
  // Disables the item, clears its handler and frees it; the pool stops with the last one.
  void RemoveItem(std::uint16_t Ident);
  TKitTimerItem* FindItem(std::uint16_t Ident) const;  // nullptr when absent
  int IndexOfIdent(std::uint16_t Ident) const;         // -1 when absent
  int Count() const;
  int EnabledCount() const;
  // Stops the timer; with Enable and an enabled item, starts it again (tick count 1).
  // EOutOfResources when it cannot be started: the pool stays inactive.
  void Activate(bool Enable);
  bool Active() const { return FActive; }
  void Clear();

  TKitTimerPoolEvent OnTimer;

 private:
  friend class TKitTimerItem;
  void Tick();
  void FreeRemoved();
  // The milliseconds from now (or, AtTick, from this tick) to the next tick on which an
  // enabled item is due, which it notes in FDueCount (0: none enabled, a long wait).
  std::uint32_t NextDelay(bool AtTick);
  void ItemChanged();  // an item was enabled, disabled or given another interval
  static constexpr std::uint32_t kIdleWaitMs = 0x7FFFFFFF;

  TKitTimerInterval FMinInterval = 1000;
  std::vector<std::unique_ptr<TKitTimerItem>> FItems;
  TClockService* FClock = nullptr;  // the service the timer runs on
  TTimerId FTimer = 0;
  std::int64_t FTickCount = 0;  // the count of the next tick
  std::int64_t FDueCount = 0;   // the count the timer is armed for
  std::uint64_t FLastTickMs = 0;  // when the last tick (or the start) was
  std::uint32_t FPeriod = 0;      // the timer's running period
  bool FActive = false;
  bool FInTick = false;
};

// The class library's text for "no timer left".
inline constexpr char kNoTimersText[] = "Нет доступных таймеров";
