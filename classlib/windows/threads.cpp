#include "classlib/windows/threads.h"

#include <process.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "classlib/core/callbackguard.h"
#include "classlib/core/exceptions.h"

HX_PUBLISH(TThread, p) {}

namespace {

// The program's static objects are made on the main thread before main runs.
const DWORD mainThreadId = GetCurrentThreadId();

struct TSyncCall {
  std::function<void()> Method;
  bool Waited = false;  // Synchronize waits for it; Queue does not
  bool Done = false;
  std::exception_ptr Error;
};

std::mutex syncLock;
std::condition_variable syncDone;
std::deque<std::shared_ptr<TSyncCall>> syncQueue;
// Signalled while calls wait in the queue, so waits of the main thread wake for them.
HANDLE syncEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
std::mutex wakeLock;
std::function<void()> wakeMainThread;

void Enqueue(const std::shared_ptr<TSyncCall>& Call) {
  {
    std::lock_guard lock(syncLock);
    syncQueue.push_back(Call);
    SetEvent(syncEvent);
  }
  std::function<void()> wake;
  {
    std::lock_guard lock(wakeLock);
    wake = wakeMainThread;
  }
  if (wake) wake();
}

bool IsInputMessage(UINT Msg) {
  return (Msg >= WM_KEYFIRST && Msg <= WM_KEYLAST) || (Msg >= WM_MOUSEFIRST && Msg <= WM_MOUSELAST) ||
         (Msg >= WM_NCMOUSEMOVE && Msg <= WM_NCXBUTTONDBLCLK) || Msg == WM_NCMOUSEHOVER || Msg == WM_NCMOUSELEAVE;
}

}  // namespace

DWORD MainThreadID() { return mainThreadId; }
bool IsMainThread() { return GetCurrentThreadId() == mainThreadId; }

void SetWakeMainThread(std::function<void()> Wake) {
  std::lock_guard lock(wakeLock);
  wakeMainThread = std::move(Wake);
}

bool CheckSynchronize() {
  if (!IsMainThread()) return false;
  bool ran = false;
  for (;;) {
    std::shared_ptr<TSyncCall> call;
    {
      std::lock_guard lock(syncLock);
      if (syncQueue.empty()) {
        ResetEvent(syncEvent);
        break;
      }
      call = syncQueue.front();
      syncQueue.pop_front();
    }
    ran = true;
    try {
      call->Method();
    } catch (...) {
      // Raised again in the thread that waits; a queued call's goes to the handler.
      if (call->Waited) call->Error = std::current_exception();
      else HandleCallbackException(std::current_exception());
    }
    if (call->Waited) {
      std::lock_guard lock(syncLock);
      call->Done = true;
      syncDone.notify_all();
    }
  }
  return ran;
}

TWaitResult WaitWithMessages(std::span<const HANDLE> Handles, DWORD TimeoutMs, TWaitOptions Options,
                             int* SignaledIndex) {
  std::vector<HANDLE> handles(Handles.begin(), Handles.end());
  const auto count = static_cast<DWORD>(handles.size());
  if (count >= MAXIMUM_WAIT_OBJECTS - 1) return wrError;
  const bool main = IsMainThread();
  if (main) handles.push_back(syncEvent);
  const bool sentOnly = Options.Contains(woSentMessagesOnly);
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    DWORD remaining = TimeoutMs;
    if (TimeoutMs != INFINITE) {
      ULONGLONG elapsed = GetTickCount64() - start;
      remaining = elapsed >= TimeoutMs ? 0 : static_cast<DWORD>(TimeoutMs - elapsed);
    }
    DWORD r = MsgWaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(), remaining,
                                          sentOnly ? QS_SENDMESSAGE : QS_ALLINPUT,
                                          sentOnly ? 0 : MWMO_INPUTAVAILABLE);
    if (r < WAIT_OBJECT_0 + count) {
      if (SignaledIndex) *SignaledIndex = static_cast<int>(r - WAIT_OBJECT_0);
      return wrSignaled;
    }
    if (r >= WAIT_ABANDONED_0 && r < WAIT_ABANDONED_0 + count) {
      if (SignaledIndex) *SignaledIndex = static_cast<int>(r - WAIT_ABANDONED_0);
      return wrAbandoned;
    }
    if (r == WAIT_TIMEOUT) return wrTimeout;
    if (r == WAIT_FAILED) return wrError;
    if (main && r == WAIT_OBJECT_0 + count) {  // calls for the main thread
      CheckSynchronize();
      continue;
    }
    MSG msg;
    if (sentOnly) {
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // handles the sent ones
      continue;
    }
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return wrQuit;
      }
      if (Options.Contains(woDiscardInput) && IsInputMessage(msg.message)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (main) CheckSynchronize();
  }
}

// ---- TThread ----

TThread::TThread() = default;

TThread::~TThread() {
  if (FHandle && !FFinished && GetCurrentThreadId() != FThreadID) {
    Terminate();
    if (!FFreeOnTerminate) WaitFor();
  }
  if (FHandle) CloseHandle(FHandle);
}

void TThread::Start() {
  if (FStarted) throw EInvalidOperation("Cannot call Start on a running or finished thread");
  unsigned id = 0;
  auto handle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &id));
  if (!handle) throw EOutOfResources("Thread creation error: " + SysErrorMessage(GetLastError()));
  FHandle = handle;
  FThreadID = id;
  FStarted = true;
  if (FPriority != tpNormal) SetPriority(FPriority);
  ResumeThread(FHandle);
}

void TThread::SetPriority(TThreadPriority Value) {
  static const int priorities[] = {THREAD_PRIORITY_IDLE,   THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_BELOW_NORMAL,
                                   THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                                   THREAD_PRIORITY_TIME_CRITICAL};
  FPriority = Value;
  if (FHandle) SetThreadPriority(FHandle, priorities[Value]);
}

unsigned __stdcall TThread::ThreadProc(void* Param) {
  auto* thread = static_cast<TThread*>(Param);
  try {
    if (!thread->Terminated()) thread->Execute();
  } catch (...) {
    thread->FFatalException = std::current_exception();
  }
  const bool freeThread = thread->FFreeOnTerminate;
  const DWORD result = thread->FReturnValue;
  try {
    thread->DoTerminate();
  } catch (...) {
    if (!thread->FFatalException) thread->FFatalException = std::current_exception();
  }
  thread->FFinished = true;
  if (freeThread) delete thread;
  return result;
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

DWORD TThread::WaitFor() {
  if (FFreeOnTerminate) throw EInvalidOperation("Cannot wait for a thread that frees itself");
  if (!FHandle) return FReturnValue;
  if (IsMainThread()) {
    TWaitOptions options;
    for (;;) {
      TWaitResult r = WaitWithMessages(FHandle, INFINITE, options);
      if (r == wrSignaled) break;
      // A quit stays posted for the loop; the wait goes on with sent messages only.
      if (r == wrQuit) options.Include(woSentMessagesOnly);
      else if (r == wrError) WaitForSingleObject(FHandle, INFINITE);
    }
  } else {
    WaitForSingleObject(FHandle, INFINITE);
  }
  DWORD code = 0;
  GetExitCodeThread(FHandle, &code);
  return code;
}

void TThread::Synchronize(TThread*, std::function<void()> Method) {
  if (IsMainThread()) {
    Method();
    return;
  }
  auto call = std::make_shared<TSyncCall>();
  call->Method = std::move(Method);
  call->Waited = true;
  Enqueue(call);
  std::unique_lock lock(syncLock);
  syncDone.wait(lock, [&] { return call->Done; });
  if (call->Error) std::rethrow_exception(call->Error);
}

void TThread::Queue(TThread*, std::function<void()> Method) {
  if (IsMainThread()) {
    Method();
    return;
  }
  auto call = std::make_shared<TSyncCall>();
  call->Method = std::move(Method);
  Enqueue(call);
}
