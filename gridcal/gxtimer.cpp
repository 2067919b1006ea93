#include "gridcal/gxtimer.h"

#include "classlib/windows/application.h"
#include "classlib/core/callbackguard.h"
#include "classlib/core/exceptions.h"

HX_PUBLISH(TTimerThread, p) {}

HX_PUBLISH(TGxTimer, p) {
  p.Property("Enabled", &TGxTimer::GetEnabled, &TGxTimer::SetEnabled).Default(true);
  p.Property("Interval", &TGxTimer::GetInterval, &TGxTimer::SetInterval).Default(1000u);
  p.Property("SyncEvent", &TGxTimer::GetSyncEvent, &TGxTimer::SetSyncEvent).Default(true);
  p.Property("Threaded", &TGxTimer::GetThreaded, &TGxTimer::SetThreaded).Default(true);
  p.Property("ThreadPriority", &TGxTimer::GetThreadPriority, &TGxTimer::SetThreadPriority).Default(tpNormal);
  p.Event("OnTimer", &TGxTimer::OnTimer);
}

// ---- TApplicationEnd ----

bool TApplicationEnd::Terminating() { return Application && Application->Terminated(); }

TApplicationEnd& TApplicationEnd::System() {
  static TApplicationEnd system;
  return system;
}

// ---- TTimerThread ----

TTimerThread::TTimerThread(TGxTimer* Timer) : FTimer(Timer), FWake(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  if (!FWake) throw EOutOfResources("Нет доступных таймеров");
}

TTimerThread::~TTimerThread() {
  Terminate();
  if (Started()) WaitFor();
  CloseHandle(FWake);
}

void TTimerThread::Wake() { SetEvent(FWake); }

void TTimerThread::Terminate() {
  TThread::Terminate();
  SetEvent(FWake);
}

void TTimerThread::Execute() {
  auto stop = [this] { return Terminated() || TSeam<TApplicationEnd>::Get().Terminating(); };
  while (!stop()) {
    // Paused: no time-out; the set-up wakes it. A wake restarts the count.
    DWORD wait = FTimer->FActive ? FTimer->FInterval.load() : INFINITE;
    DWORD result = WaitForSingleObject(FWake, wait);
    if (stop()) break;
    if (result == WAIT_TIMEOUT && FTimer->FActive) FTimer->ThreadTick(this);
  }
}

// ---- TGxTimer ----

TGxTimer::TGxTimer(TComponent* AOwner) : TComponent(AOwner), FThread(std::make_unique<TTimerThread>(this)) {}

TGxTimer::~TGxTimer() {
  FDestroying = true;
  FEnabled = false;
  FActive = false;
  StopWindowTimer();
  // The worker first (a tick it has queued runs meanwhile and does nothing), then the handler.
  FThread->Terminate();
  if (FThread->Started()) FThread->WaitFor();
  FThread.reset();
  std::lock_guard lock(FHandlerLock);
  OnTimer = nullptr;
}

void TGxTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TGxTimer::SetInterval(std::uint32_t Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TGxTimer::SetThreaded(bool Value) {
  if (Value == FThreaded) return;
  FThreaded = Value;
  UpdateTimer();
}

void TGxTimer::SetThreadPriority(TThreadPriority Value) {
  if (Value == FThreadPriority) return;
  FThreadPriority = Value;
  if (FThreaded) UpdateTimer();
}

void TGxTimer::SetOnTimer(TNotifyEvent Value) {
  {
    std::lock_guard lock(FHandlerLock);
    OnTimer = std::move(Value);
  }
  UpdateTimer();
}

void TGxTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TGxTimer::StopWindowTimer() {
  if (FTimerId != 0 && FClock) FClock->StopTimer(FTimerId);
  FTimerId = 0;
  FClock = nullptr;
}

void TGxTimer::UpdateTimer() {
  if (ComponentState().Contains(csLoading) || FDestroying) return;
  bool assigned;
  {
    std::lock_guard lock(FHandlerLock);
    assigned = static_cast<bool>(OnTimer);
  }
  bool run = FEnabled && FInterval != 0 && assigned;
  StopWindowTimer();
  if (FThreaded) {
    FThread->SetPriority(FThreadPriority);
    FActive = run;
    if (run && !FThread->Started()) FThread->Start();
    FThread->Wake();
    return;
  }
  // The window timer: the worker waits without a time-out.
  FActive = false;
  if (FThread->Started()) FThread->Wake();
  if (!run) return;
  TClockService& clock = Clock();
  try {
    FTimerId = clock.StartTimer(FInterval, [this] { Timer(); });
  } catch (const EInvalidOperation&) {
    throw EOutOfResources("Нет доступных таймеров");
  }
  FClock = &clock;
}

void TGxTimer::Timer() {
  // A tick queued before the timer paused or began to be freed does nothing.
  if (!FEnabled || FDestroying || !Active()) return;
  TNotifyEvent handler;
  {
    std::lock_guard lock(FHandlerLock);
    handler = OnTimer;
  }
  if (handler) handler(this);
}

void TGxTimer::ThreadTick(TThread* Worker) {
  if (FSyncEvent) {
    // Handled on the main thread: Synchronize would raise it again in the worker.
    TThread::Synchronize(Worker, [this] { GuardCallback([this] { Timer(); }); });
    return;
  }
  try {
    Timer();
  } catch (...) {
    std::exception_ptr error = std::current_exception();
    TThread::Queue(Worker, [error] { HandleCallbackException(error); });
  }
}
