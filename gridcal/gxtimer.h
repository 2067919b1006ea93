#pragma once
// TGxTimer: a timer that ticks from a worker thread waiting for its interval (Threaded,
// the default) or from a window timer on the clock service (classlib/core/clock.h; a test's
// virtual clock drives it). Windows only.
//
// It ticks while Enabled, with an Interval above 0 and an OnTimer handler. Assign the
// handler with SetOnTimer (a form's reading assigns OnTimer and Loaded takes it up): the
// set-up runs on every change of Enabled, Interval, Threaded, ThreadPriority and of the
// handler between assigned and not. A paused worker waits without a time-out; it is never
// suspended (a thread stopped at an arbitrary point may hold the heap's lock).
//
// With SyncEvent (the default) OnTimer runs on the main thread; without it, on the worker,
// and the handler must be thread-safe. An exception of OnTimer goes to the application's
// handler on the main thread (EAbort silently) and the timer ticks on. Freeing a timer is
// prompt: the worker is woken and joined before OnTimer is cleared, and OnTimer never runs
// once the destructor has started. A worker ends once the application is terminating, so
// no tick waits for a main thread that no longer handles messages.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "classlib/core/clock.h"
#include "classlib/core/component.h"
#include "classlib/core/seam.h"
#include "classlib/windows/threads.h"

class TGxTimer;

// Whether the application is ending (its message loop has seen the quit); tests install
// their own.
class TApplicationEnd {
 public:
  virtual ~TApplicationEnd() = default;
  virtual bool Terminating();
  static TApplicationEnd& System();
};

// The worker: waits on its event with the interval as time-out and ticks on a time-out.
class TTimerThread : public TThread {
  HX_CLASS(TTimerThread, TThread)
 public:
  explicit TTimerThread(TGxTimer* Timer);
  ~TTimerThread() override;
  // Wakes the worker to read its timer's settings again.
  void Wake();
  void Terminate() override;

 protected:
  void Execute() override;

 private:
  TGxTimer* FTimer;
  HANDLE FWake;
};

class TGxTimer : public TComponent {
  HX_CLASS(TGxTimer, TComponent)
 public:
  explicit TGxTimer(TComponent* AOwner);
  ~TGxTimer() override;

  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  std::uint32_t GetInterval() const { return FInterval; }
  void SetInterval(std::uint32_t Value);
  bool GetSyncEvent() const { return FSyncEvent; }
  void SetSyncEvent(bool Value) { FSyncEvent = Value; }
  bool GetThreaded() const { return FThreaded; }
  void SetThreaded(bool Value);
  TThreadPriority GetThreadPriority() const { return FThreadPriority; }
  void SetThreadPriority(TThreadPriority Value);
  // Assigns OnTimer and sets the timer up again.
  void SetOnTimer(TNotifyEvent Value);

  // Whether the timer counts now (enabled, an interval, a handler, not being freed).
  bool Active() const { return FActive || FTimerId != 0; }

  TNotifyEvent OnTimer;

 protected:
  friend class TTimerThread;
  void Loaded() override;
  // Fires OnTimer when enabled, assigned and not being freed.
  virtual void Timer();

 private:
  void UpdateTimer();
  void StopWindowTimer();
  // On the worker: one tick, on the main thread or here as SyncEvent says.
  void ThreadTick(TThread* Worker);

  std::atomic<bool> FEnabled{true};
  std::atomic<std::uint32_t> FInterval{1000};
  std::atomic<bool> FSyncEvent{true};
  std::atomic<bool> FActive{false};
  std::atomic<bool> FDestroying{false};
  bool FThreaded = true;
  TThreadPriority FThreadPriority = tpNormal;
  std::mutex FHandlerLock;  // OnTimer, read on the worker without SyncEvent
  std::unique_ptr<TTimerThread> FThread;
  TClockService* FClock = nullptr;
  TTimerId FTimerId = 0;
};
