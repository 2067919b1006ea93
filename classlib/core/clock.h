#pragma once
// The clock service: the one place the program reads the time from and starts its timers
// through. The system binds it to the machine's clock (under Windows, timers are Win32
// timers of a hidden message-only window, so their callbacks run from the message loop of
// the thread that started them: the main thread). Tests install a TVirtualClock, which
// stands still until they advance it and then fires the timers that fall due, in order.
//
// A timer repeats until it is stopped. A callback's exception never escapes: it goes to the
// callback exception handler (classlib/core/callbackguard.h) and the timer goes on.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "classlib/core/datetime.h"
#include "classlib/core/exceptions.h"

using TTimerId = std::uint64_t;  // never 0
using TTimerCallback = std::function<void()>;

class TClockService {
 public:
  virtual ~TClockService() = default;
  // Local wall-clock time.
  virtual TDateTime Now() = 0;
  // Milliseconds since an arbitrary start; never goes back.
  virtual std::uint64_t TickCount() = 0;
  // A timer that calls back every intervalMs (at least 1), the first time intervalMs from
  // now; EInvalidOperation for an interval of 0 or where timers cannot run.
  virtual TTimerId StartTimer(std::uint32_t intervalMs, TTimerCallback callback) = 0;
  // Counts the timer's interval afresh from now, with a new length. An unknown (or stopped)
  // timer is left alone.
  virtual void RestartTimer(TTimerId id, std::uint32_t intervalMs) = 0;
  virtual void StopTimer(TTimerId id) = 0;
};

// The service in use: the installed one, otherwise the system's.
TClockService& Clock();
TClockService& SystemClock();

// Installs a service for as long as it lives, then puts the previous one back.
class TClockScope {
 public:
  explicit TClockScope(TClockService& clock);
  ~TClockScope();
  TClockScope(const TClockScope&) = delete;
  TClockScope& operator=(const TClockScope&) = delete;

 private:
  TClockService* FPrevious;
};

// A clock for tests: time moves only when the test moves it.
class TVirtualClock : public TClockService {
 public:
  explicit TVirtualClock(TDateTime start = EncodeDate(2026, 1, 1));

  TDateTime Now() override;
  std::uint64_t TickCount() override { return FTick; }
  TTimerId StartTimer(std::uint32_t intervalMs, TTimerCallback callback) override;
  void RestartTimer(TTimerId id, std::uint32_t intervalMs) override;
  void StopTimer(TTimerId id) override;

  // Moves time forward, firing every timer that falls due on the way in time order (ties in
  // the order the timers were started or last restarted); each repeating timer is re-armed
  // from its due time, so an advance over many periods fires every period. Callbacks may start, stop and restart
  // timers, their own included; a timer stopped by an earlier callback does not fire.
  void Advance(std::int64_t ms);
  // Advances to a wall-clock time; EInvalidOperation when it lies in the past.
  void AdvanceTo(TDateTime dt);
  // Sets the wall clock (as a user changing the system time would); fires nothing.
  void SetNow(TDateTime dt);

  // How many timers run (for tests that check a component stopped its timer).
  size_t ActiveTimers() const { return FTimers.size(); }
  bool IsTimerActive(TTimerId id) const { return FTimers.count(id) != 0; }

 private:
  struct Timer {
    std::uint32_t Interval;
    std::uint64_t Due;
    std::uint64_t ArmOrder;
    std::shared_ptr<TTimerCallback> Callback;
  };

  TDateTime FStart;           // wall time at FStartTick
  std::uint64_t FStartTick = 0;
  std::uint64_t FTick = 0;
  std::uint64_t FNextArmOrder = 0;
  TTimerId FNextId = 1;
  bool FAdvancing = false;
  std::map<TTimerId, Timer> FTimers;
};
