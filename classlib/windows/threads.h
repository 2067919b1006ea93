#pragma once
// Threads, and waits of the main thread that keep its windows alive.
//
// A worker that sends a message to a window of the main thread (SendMessage, SetWindowRgn,
// SetWindowPos) blocks until the main thread handles it; if the main thread sits in a
// plain WaitForSingleObject meanwhile, both wait for ever. WaitWithMessages waits while it
// handles the thread's messages, and TThread::WaitFor uses it on the main thread.
//
// TThread runs Execute on its own thread from Start on. An exception that leaves Execute
// is kept in FatalException (it never escapes the thread procedure). OnTerminate runs on
// the main thread when Execute is done; Synchronize runs a call on the main thread and
// waits for it (its exception is raised again in the caller), Queue runs one there later.
// Windows only.
#include <atomic>
#include <exception>
#include <functional>
#include <span>

#include "classlib/core/object.h"
#include "classlib/core/typinfo.h"
#include "classlib/core/winapi.h"

HX_ENUM(TThreadPriority, tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical);
HX_ENUM(TWaitResult, wrSignaled, wrTimeout, wrAbandoned, wrError, wrQuit);
// woDiscardInput: keyboard and mouse messages are dropped unhandled while waiting.
// woSentMessagesOnly: only messages sent from other threads are handled.
HX_ENUM(TWaitOption, woDiscardInput, woSentMessagesOnly);
using TWaitOptions = TSet<TWaitOption>;

DWORD MainThreadID();
bool IsMainThread();

// Waits until one of Handles is signalled or TimeoutMs pass (INFINITE: no limit) while
// the calling thread's messages are handled: sent messages, posted messages, timers and
// paints (input as Options say). On the main thread the calls of Synchronize and Queue
// run too. A quit message ends the wait at once with wrQuit and is posted again for the
// loop around. SignaledIndex receives the index of the handle signalled (or abandoned).
TWaitResult WaitWithMessages(std::span<const HANDLE> Handles, DWORD TimeoutMs, TWaitOptions Options = {},
                             int* SignaledIndex = nullptr);
inline TWaitResult WaitWithMessages(HANDLE Handle, DWORD TimeoutMs, TWaitOptions Options = {}) {
  return WaitWithMessages(std::span<const HANDLE>(&Handle, 1), TimeoutMs, Options);
}

// Runs the calls queued for the main thread; true when one ran. Does nothing elsewhere.
bool CheckSynchronize();
// How a worker wakes the main thread for a queued call (the application posts to its
// window); nothing set: the main thread finds them at its next wait or idle time.
void SetWakeMainThread(std::function<void()> Wake);

class TThread : public TObject {
  HX_CLASS(TThread, TObject)
 public:
  // Made suspended: Start runs it.
  TThread();
  // Terminates the thread and waits for it (unless it frees itself).
  ~TThread() override;

  void Start();
  void Resume() { Start(); }
  // Asks Execute to end (it reads Terminated).
  virtual void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  // Waits for the end of Execute (on the main thread handling messages, and running
  // Synchronize calls); the thread's return value.
  DWORD WaitFor();

  bool GetFreeOnTerminate() const { return FFreeOnTerminate; }
  void SetFreeOnTerminate(bool Value) { FFreeOnTerminate = Value; }
  TThreadPriority GetPriority() const { return FPriority; }
  void SetPriority(TThreadPriority Value);
  HANDLE Handle() const { return FHandle; }
  DWORD ThreadID() const { return FThreadID; }
  bool Started() const { return FStarted; }
  bool Finished() const { return FFinished; }
  std::exception_ptr FatalException() const { return FFatalException; }
  DWORD GetReturnValue() const { return FReturnValue; }

  // Runs Method on the main thread and waits for it (directly when called there).
  void Synchronize(std::function<void()> Method) { Synchronize(this, std::move(Method)); }
  static void Synchronize(TThread* Thread, std::function<void()> Method);
  // Runs Method on the main thread later, without waiting (directly when called there).
  void Queue(std::function<void()> Method) { Queue(this, std::move(Method)); }
  static void Queue(TThread* Thread, std::function<void()> Method);

  // On the main thread once Execute is done.
  TNotifyEvent OnTerminate;

 protected:
  virtual void Execute() = 0;
  virtual void DoTerminate();
  void SetReturnValue(DWORD Value) { FReturnValue = Value; }

 private:
  static unsigned __stdcall ThreadProc(void* Param);

  HANDLE FHandle = nullptr;
  DWORD FThreadID = 0;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  bool FStarted = false;
  bool FFreeOnTerminate = false;
  TThreadPriority FPriority = tpNormal;
  DWORD FReturnValue = 0;
  std::exception_ptr FFatalException;
};
