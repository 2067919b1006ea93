#include "assistant/director.h"

#include <algorithm>

#include "assistant/animationrules.h"
#include "classlib/core/random.h"

HX_PUBLISH(TRequestQueue, p) {}
HX_PUBLISH(TSpecialNames, p) {}
HX_PUBLISH(TAssistantDirector, p) {}

namespace {

constexpr int IdleLevelFirst = 33;
constexpr int IdleLevelLast = 35;

}  // namespace

// ---- request queue ----

TRequestQueue::TRequestQueue() : FEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

TRequestQueue::~TRequestQueue() { CloseHandle(FEvent); }

std::uint32_t TRequestQueue::Add(int Animation) {
  std::lock_guard<std::mutex> hold(FLock);
  if (!FEnabled || Animation <= 0 || Animation > 0xFFFF) return 0;
  ++FCounter;
  std::uint32_t id = static_cast<std::uint32_t>(FCounter) << 16 | static_cast<std::uint32_t>(Animation);
  FItems.push_back(id);
  if (FItems.size() == 1) SetEvent(FEvent);  // signalled while not empty
  return id;
}

std::uint32_t TRequestQueue::Pop() {
  std::lock_guard<std::mutex> hold(FLock);
  if (FItems.empty()) return 0;
  std::uint32_t id = FItems.front();
  FItems.erase(FItems.begin());
  if (FItems.empty()) ResetEvent(FEvent);
  return id;
}

std::uint32_t TRequestQueue::Peek() const {
  std::lock_guard<std::mutex> hold(FLock);
  return FItems.empty() ? 0 : FItems.front();
}

std::uint32_t TRequestQueue::Get(int Index) const {
  std::lock_guard<std::mutex> hold(FLock);
  return Index < 0 || Index >= static_cast<int>(FItems.size()) ? 0 : FItems[static_cast<std::size_t>(Index)];
}

void TRequestQueue::Remove(std::uint32_t Id) {
  std::lock_guard<std::mutex> hold(FLock);
  auto it = std::find(FItems.begin(), FItems.end(), Id);
  if (it == FItems.end()) return;
  FItems.erase(it);
  if (FItems.empty()) ResetEvent(FEvent);
}

bool TRequestQueue::Contains(std::uint32_t Id) const {
  std::lock_guard<std::mutex> hold(FLock);
  return Id && std::find(FItems.begin(), FItems.end(), Id) != FItems.end();
}

void TRequestQueue::Clear() {
  std::lock_guard<std::mutex> hold(FLock);
  ResetEvent(FEvent);
  FItems.clear();
}

int TRequestQueue::Count() const {
  std::lock_guard<std::mutex> hold(FLock);
  return static_cast<int>(FItems.size());
}

bool TRequestQueue::WaitRequest(DWORD TimeoutMs) { return WaitForSingleObject(FEvent, TimeoutMs) != WAIT_TIMEOUT; }

bool TRequestQueue::GetEnabled() const {
  std::lock_guard<std::mutex> hold(FLock);
  return FEnabled;
}

void TRequestQueue::SetEnabled(bool Value) {
  std::lock_guard<std::mutex> hold(FLock);
  if (Value == FEnabled) return;
  FEnabled = Value;
  if (Value) {
    ResetEvent(FEvent);
  } else {
    FItems.clear();
    SetEvent(FEvent);  // releases the waiters
  }
}

std::uint16_t TRequestQueue::Counter() const {
  std::lock_guard<std::mutex> hold(FLock);
  return FCounter;
}

// ---- special names ----

TSpecialNames::TSpecialNames() {
  for (const char* name : {"GetAttention", "GetAttentionContinued", "GetAttentionReturn", "Read", "ReadContinued",
                           "ReadReturn", "Write", "WriteContinued", "WriteReturn"})
    AddObject(name, nullptr);
}

void TSpecialNames::Resolve(const TAssistantActor* Actor) {
  for (int i = 0; i < Count(); ++i)
    PutObject(i, reinterpret_cast<TObject*>(static_cast<std::intptr_t>(Actor ? Actor->IndexOfName(Get(i)) : 0)));
}

int TSpecialNames::GetAnimation(int Index) const {
  if (Index < 0 || Index >= Count()) return 0;
  return static_cast<int>(reinterpret_cast<std::intptr_t>(GetObject(Index)));
}

int TSpecialNames::ReturnOf(int Animation) const {
  if (Animation <= 0) return -1;
  for (int i = 0; i < Count(); ++i)
    if (GetAnimation(i) == Animation) return i % 3 == 2 ? -1 : i - i % 3 + 2;
  return -1;
}

bool TSpecialNames::NeedsReturn(int ReturnEntry, int Next) const {
  int base = ReturnEntry - ReturnEntry % 3;
  return !(Next > 0 && (Next == GetAnimation(base + 1) || Next == GetAnimation(base + 2)));
}

// ---- director ----

TAssistantDirector::TAssistantDirector()
    : FSpecialNames(std::make_unique<TSpecialNames>()),
      FQueue(std::make_unique<TRequestQueue>()),
      FActor(std::make_unique<TAssistantActor>()),
      FActiveEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      FDoneEvent(CreateEventW(nullptr, TRUE, TRUE, nullptr)),
      FResumeEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  FQueue->SetEnabled(false);
  FActor->OnOpen = [this](TAssistantActor*) { ActorOpened(); };
  FActor->OnClose = [this](TAssistantActor*) { ActorClosing(); };
  FEngine = std::make_unique<TAssistantEngine>(FActor.get());
  FEngine->OnAnimationStart = [this](TAssistantEngine*) { AnimationStarted(); };
  FEngine->OnAnimationStop = [this](TAssistantEngine*) { AnimationStopped(); };
  SetIdleLevel(IdleLevelFirst);
  NewIdleTimeout();
  Start();
}

TAssistantDirector::~TAssistantDirector() {
  if (Started() && !Finished()) {
    Terminate();
    TThread::WaitFor();
  }
  FActor->OnOpen = nullptr;
  FActor->OnClose = nullptr;
  FEngine.reset();  // its thread has ended with the director's terminate
  FActor.reset();
  CloseHandle(FActiveEvent);
  CloseHandle(FDoneEvent);
  CloseHandle(FResumeEvent);
}

void TAssistantDirector::Terminate() {
  Lock();
  // Frames first: the engine's thread ends (a frame waiting for the main thread completes).
  FEngine->Terminate();
  FEngine->WaitFor();
  TThread::Terminate();
  SetEvent(FDoneEvent);
  SetActive(false);
  SetEvent(FActiveEvent);
  Resume();
}

TWaitResult TAssistantDirector::WaitPumping(HANDLE Handle, DWORD TimeoutMs) {
  // The current thread's or process's pseudo-handle names the caller itself: wait on a
  // real handle to it.
  HANDLE own = nullptr;
  if (Handle == GetCurrentThread() || Handle == GetCurrentProcess()) {
    if (!DuplicateHandle(GetCurrentProcess(), Handle, GetCurrentProcess(), &own, SYNCHRONIZE, FALSE, 0)) return wrError;
    Handle = own;
  }
  TWaitResult r = WaitWithMessages(Handle, TimeoutMs, TWaitOptions{woDiscardInput});
  if (own) CloseHandle(own);
  return r;
}

std::unique_lock<std::mutex> TAssistantDirector::TakeDecisionLock() {
  std::unique_lock<std::mutex> hold(FDecisionLock, std::try_to_lock);
  if (hold.owns_lock()) return hold;
  if (!IsMainThread()) {
    hold.lock();
    return hold;
  }
  // The director may be waiting for a frame that waits for this thread.
  while (!hold.try_lock()) WaitWithMessages(std::span<const HANDLE>(), 1, TWaitOptions{woSentMessagesOnly});
  return hold;
}

void TAssistantDirector::WaitStopped() {
  if (!IsMainThread()) {
    WaitForSingleObject(FDoneEvent, INFINITE);
    return;
  }
  TWaitOptions options{woDiscardInput};
  for (;;) {
    TWaitResult r = WaitWithMessages(FDoneEvent, INFINITE, options);
    if (r == wrSignaled || r == wrAbandoned) return;
    if (r == wrQuit) options.Include(woSentMessagesOnly);
    else if (r == wrError) return;
  }
}

void TAssistantDirector::Lock() { ++FBusy; }

void TAssistantDirector::Unlock() {
  if (--FBusy <= 0) {
    FBusy = 0;
    Resume();
  }
}

std::uint32_t TAssistantDirector::Play(int Animation) {
  std::uint32_t id = FQueue->Add(Animation);
  if (id && FInIdleHandler && GetCurrentThreadId() == ThreadID() && !FHandlerRequest) FHandlerRequest = id;
  return id;
}

std::uint32_t TAssistantDirector::PlayCategory(int Category) { return Play(FActor->FindAnimation(Category, 0)); }

bool TAssistantDirector::IsPending(std::uint32_t Id) const {
  if (!Id) return false;
  if (FQueue->Contains(Id)) return true;
  return Id == FCurrentRequest && WaitForSingleObject(FDoneEvent, 0) == WAIT_TIMEOUT;
}

bool TAssistantDirector::WaitFor(std::uint32_t Id) {
  while (IsPending(Id)) {
    // Only the request's own animation tells: a request taken off the queue becomes current
    // before its animation is loaded, while the engine may still hold the previous one.
    if (Id == FCurrentRequest && FEngine->CurrentAnimation() == static_cast<int>(Id & 0xFFFF) &&
        FEngine->HasEndlessLoop())
      return false;
    // Wakes when something is done, and looks again every 10 ms, for the moment the
    // animation is loaded.
    TWaitResult r = WaitPumping(FDoneEvent, 10);
    if (r == wrQuit || r == wrError) return false;
  }
  return true;
}

bool TAssistantDirector::IsBusy() const { return FCurrentRequest != 0 || FQueue->Count() > 0; }

bool TAssistantDirector::IdleIsCurrent() const {
  std::uint32_t idle = FIdleRequest;
  return idle != 0 && FCurrentRequest == idle;
}

void TAssistantDirector::Cancel(std::uint32_t Id) {
  if (!Id) return;
  bool current = false;
  {
    auto decision = TakeDecisionLock();
    Lock();
    current = Id == FCurrentRequest;
    if (current) FEngine->SetRunning(false);
    else FQueue->Remove(Id);
  }
  if (current) {
    WaitStopped();
    if (FQueue->Count() == 0) PlayCategory(CategoryRestPose);
  }
  Unlock();
}

void TAssistantDirector::Stop(bool NoRestPose) {
  bool current = false;
  {
    auto decision = TakeDecisionLock();
    Lock();
    FQueue->Clear();
    current = FCurrentRequest != 0;
    if (current) FEngine->SetRunning(false);
  }
  if (current) {
    WaitStopped();
    if (NoRestPose) FLastRequest = 0;
    else PlayCategory(CategoryRestPose);
  }
  Unlock();
}

void TAssistantDirector::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  if (FActor->IsClosed()) return;
  if (Value) Activate();
  else Deactivate();
}

void TAssistantDirector::Activate() {
  SetIdleLevel(IdleLevelFirst);
  FEngine->Prepare();
  FQueue->SetEnabled(true);
  SetEvent(FActiveEvent);
  Resume();
}

void TAssistantDirector::Deactivate() {
  ResetEvent(FActiveEvent);
  {
    auto decision = TakeDecisionLock();
    FQueue->SetEnabled(false);
    FEngine->SetRunning(false);
  }
  WaitStopped();
  FEngine->Reset();
  FCurrentRequest = 0;
  FLastRequest = 0;
  FIdleRequest = 0;
}

void TAssistantDirector::ActorOpened() {
  FSpecialNames->Resolve(FActor.get());
  if (FActive) Activate();
}

void TAssistantDirector::ActorClosing() {
  if (FActive) Deactivate();
  FSpecialNames->Resolve(nullptr);
}

void TAssistantDirector::SetAutoIdle(bool Value) {
  if (Value == FAutoIdle) return;
  Lock();
  FAutoIdle = Value;
  FIdleLevel = IdleLevelFirst;
  NewIdleTimeout();
  // Wakes a director waiting out the old time-out, so it takes the new one.
  if (FQueue->GetEnabled() && FQueue->Count() == 0) {
    FQueue->SetEnabled(false);
    Sleep(0);
    FQueue->SetEnabled(true);
  }
  Unlock();
}

void TAssistantDirector::NewIdleTimeout() {
  if (!FAutoIdle) {
    FIdleTimeout = INFINITE;
    return;
  }
  int low = FMinIdleTime, high = FMaxIdleTime;
  FIdleTimeout = static_cast<DWORD>(low + Random(high - low + 1));
}

void TAssistantDirector::SetIdleLevel(int Level) {
  if (Level != FIdleLevel && Level >= IdleLevelFirst && Level <= IdleLevelLast) {
    std::uint32_t idle = FIdleRequest;
    if (FIdleLevel >= 34 && Level < FIdleLevel && idle && GetCurrentThreadId() != ThreadID()) Cancel(idle);
    FIdleLevel = Level;
    NewIdleTimeout();
  }
  int n = (36 - FIdleLevel) * 5;  // from the level kept, always valid
  FIdleCounter = Random(n) + n;
}

int TAssistantDirector::DirectionCategory(int Kind, TPoint From, TPoint To) const {
  return ::DirectionCategory(Kind, From.X, From.Y, To.X, To.Y, FActor->FrameWidth(), FActor->FrameHeight(),
                             [this](int category) { return FActor->FindAnimation(category, 1) != 0; });
}

// ---- the director thread ----

void TAssistantDirector::Execute() {
  while (!Terminated()) {
    WaitForSingleObject(FActiveEvent, INFINITE);
    if (Terminated()) break;
    if (!FActive) {
      ResetEvent(FActiveEvent);
      continue;
    }
    if (!FQueue->GetEnabled() || FBusy > 0) {
      // Nothing may be decided now: wait for an unlock or an enable, not round and round.
      ResetEvent(FResumeEvent);
      if (!FQueue->GetEnabled() || FBusy > 0) WaitForSingleObject(FResumeEvent, INFINITE);
      continue;
    }
    bool got = FQueue->WaitRequest(FIdleTimeout);
    if (Terminated()) break;
    if (!FQueue->GetEnabled() || FBusy > 0) continue;
    if (got) {
      if (IdleIsCurrent()) FEngine->SetRunning(false);  // idle animations give way at once
      WaitForSingleObject(FDoneEvent, INFINITE);
      if (Terminated()) break;
      {
        std::lock_guard<std::mutex> decision(FDecisionLock);
        if (FQueue->GetEnabled() && FBusy == 0) ProcessNext();
      }
      if (IdleIsCurrent()) continue;
      WaitForSingleObject(FDoneEvent, INFINITE);
    } else if (WaitForSingleObject(FDoneEvent, 0) == WAIT_OBJECT_0) {
      DoIdle();
    }
  }
}

void TAssistantDirector::ProcessNext() {
  ResetEvent(FDoneEvent);
  if (std::uint32_t last = FLastRequest) {
    if (FEngine->BeginExit()) {
      FEngine->SetRunning(true);
      return;
    }
    int entry = FSpecialNames->ReturnOf(static_cast<int>(last & 0xFFFF));
    if (entry >= 0) {
      int back = FSpecialNames->GetAnimation(entry);
      if (back && FSpecialNames->NeedsReturn(entry, static_cast<int>(FQueue->Peek() & 0xFFFF)) &&
          FEngine->LoadAnimation(back)) {
        FEngine->SetRunning(true);
        return;
      }
    }
  }
  PlayNext();
}

void TAssistantDirector::PlayNext() {
  // Current before it leaves the queue: a waiter never sees it in neither place.
  FCurrentRequest = FQueue->Peek();
  std::uint32_t id = FQueue->Pop();
  FCurrentRequest = id;
  if (!id) {
    SetEvent(FDoneEvent);
    return;
  }
  if (!FEngine->LoadAnimation(static_cast<int>(id & 0xFFFF))) {
    FCurrentRequest = 0;
    SetEvent(FDoneEvent);
    return;
  }
  if (id != FIdleRequest) SetIdleLevel(IdleLevelFirst);
  FEngine->SetRunning(true);
}

void TAssistantDirector::DoIdle() {
  if (--FIdleCounter <= 0 && FIdleLevel < IdleLevelLast) SetIdleLevel(FIdleLevel + 1);
  else NewIdleTimeout();
  bool handled = false;
  if (OnIdle) {
    FHandlerRequest = 0;
    FInIdleHandler = true;
    OnIdle(this, FIdleLevel - 32, handled);
    FInIdleHandler = false;
  }
  if (!handled) FIdleRequest = FQueue->Add(FActor->FindAnimation(FIdleLevel, 0));
  else FIdleRequest = FHandlerRequest.load();
}

// ---- engine callbacks (engine thread) ----

void TAssistantDirector::AnimationStarted() {
  std::uint32_t current = FCurrentRequest;
  if (current && !IdleIsCurrent() && OnPlayStart) OnPlayStart(this, current);
}

void TAssistantDirector::AnimationStopped() {
  std::uint32_t last = FCurrentRequest.exchange(0);
  FLastRequest = last;
  std::uint32_t idle = FIdleRequest;
  if (idle && last == idle) FIdleRequest = 0;
  else if (last && OnPlayStop) OnPlayStop(this, last);
  SetEvent(FDoneEvent);
}
