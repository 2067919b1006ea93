// Waits that keep the main thread's windows alive, threads, and utility windows.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/core/callbackguard.h"
#include "classlib/windows/threads.h"
#include "classlib/core/utilwindow.h"
#include "caught_exceptions.h"
#include "gui_test_util.h"

namespace {

// A utility window that notes, per message, the thread it ran on.
class TReceiver {
 public:
  TReceiver() : Window(CreateUtilityWindow(this, &TReceiver::WndProc)) {}
  ~TReceiver() { DestroyUtilityWindow(Window); }
  TReceiver(const TReceiver&) = delete;
  TReceiver& operator=(const TReceiver&) = delete;
  std::vector<UINT> Messages;
  std::vector<DWORD> Threads;
  HWND Window;

  void WndProc(TMessage& m) {
    if (m.Msg == WM_APP || m.Msg == WM_APP + 1 || m.Msg == WM_KEYDOWN || m.Msg == WM_TIMER) {
      Messages.push_back(m.Msg);
      Threads.push_back(GetCurrentThreadId());
      m.Result = static_cast<LRESULT>(m.WParam) + 1;
      if (m.Msg == WM_TIMER) KillTimer(Window, 1);
      if (m.WParam == 99) throw Exception("from the window procedure");
      return;
    }
    m.Result = DefWindowProcW(Window, m.Msg, m.WParam, m.LParam);
  }
};

struct TEvent {
  HANDLE Handle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ~TEvent() { CloseHandle(Handle); }
};

TEST(WaitWithMessages, LetsAWorkersSendMessageThroughToTheMainThread) {
  TReceiver receiver;
  TEvent done;
  LRESULT answer = 0;
  std::thread worker([&] {
    answer = SendMessageW(receiver.Window, WM_APP, 41, 0);
    SetEvent(done.Handle);
  });
  EXPECT_EQ(WaitWithMessages(done.Handle, 10000), wrSignaled);
  worker.join();
  EXPECT_EQ(answer, 42);
  EXPECT_EQ(receiver.Threads, (std::vector<DWORD>{GetCurrentThreadId()}));
}

TEST(WaitWithMessages, HandlesPostedMessagesAndTimersAndDropsInputWhenAsked) {
  TReceiver receiver;
  TEvent never;
  HWND w = receiver.Window;
  PostMessageW(w, WM_KEYDOWN, 'A', 0);
  PostMessageW(w, WM_APP + 1, 0, 0);
  SetTimer(w, 1, 10, nullptr);
  int index = -1;
  ULONGLONG start = GetTickCount64();
  EXPECT_EQ(WaitWithMessages(std::span<const HANDLE>(&never.Handle, 1), 300, {woDiscardInput}, &index), wrTimeout);
  EXPECT_GE(GetTickCount64() - start, 290u);
  EXPECT_EQ(receiver.Messages, (std::vector<UINT>{WM_APP + 1, WM_TIMER}));

  // Without the option, input is handled as well.
  PostMessageW(w, WM_KEYDOWN, 'B', 0);
  WaitWithMessages(never.Handle, 100);
  EXPECT_EQ(receiver.Messages.back(), static_cast<UINT>(WM_KEYDOWN));

  // The index of the handle signalled.
  TEvent first, second;
  SetEvent(second.Handle);
  HANDLE both[] = {first.Handle, second.Handle};
  EXPECT_EQ(WaitWithMessages(both, 1000, {}, &index), wrSignaled);
  EXPECT_EQ(index, 1);
}

TEST(WaitWithMessages, AQuitEndsTheWaitAndStaysForTheLoop) {
  TEvent never;
  PostQuitMessage(7);
  EXPECT_EQ(WaitWithMessages(never.Handle, 5000), wrQuit);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST(Application, ShowsAWorkersCallbackExceptionOnTheMainThread) {
  DWORD reportedOn = 0;
  std::string reported;
  Application->OnException = [&](TObject*, const std::exception& e) {
    reportedOn = GetCurrentThreadId();
    reported = e.what();
  };
  std::thread worker([] { GuardCallback([] { throw Exception("from a worker"); }); });
  worker.join();
  ASSERT_TRUE(guitest::PumpUntil([&] { return !reported.empty(); }));
  Application->OnException = nullptr;
  EXPECT_EQ(reported, "from a worker");
  EXPECT_EQ(reportedOn, GetCurrentThreadId());
}

TEST(UtilityWindow, AnExceptionOfItsProcedureGoesToTheHandler) {
  horavox::test::TCaughtExceptions caught;
  TReceiver receiver;
  SendMessageW(receiver.Window, WM_APP, 99, 0);
  EXPECT_EQ(caught.Messages, (std::vector<std::string>{"from the window procedure"}));
}

// A thread whose Execute is a function.
class TTestThread : public TThread {
 public:
  explicit TTestThread(std::function<void(TTestThread&)> Body) : FBody(std::move(Body)) {}
  ~TTestThread() override {
    if (Destroyed) *Destroyed = true;
  }
  std::atomic<bool>* Destroyed = nullptr;
  using TThread::SetReturnValue;

 protected:
  void Execute() override { FBody(*this); }

 private:
  std::function<void(TTestThread&)> FBody;
};

TEST(Thread, WaitForRunsSynchronisedCallsAndSentMessagesOnTheMainThread) {
  TReceiver receiver;
  DWORD synchronisedOn = 0, terminatedOn = 0;
  LRESULT answer = 0;
  TTestThread thread([&](TTestThread& self) {
    self.Synchronize([&] { synchronisedOn = GetCurrentThreadId(); });
    answer = SendMessageW(receiver.Window, WM_APP, 1, 0);
    self.SetReturnValue(42);
  });
  thread.OnTerminate = [&](TObject*) { terminatedOn = GetCurrentThreadId(); };
  EXPECT_FALSE(thread.Started());
  thread.Start();
  EXPECT_THROW(thread.Start(), EInvalidOperation);
  EXPECT_EQ(thread.WaitFor(), 42u);
  EXPECT_TRUE(thread.Finished());
  EXPECT_EQ(synchronisedOn, GetCurrentThreadId());
  EXPECT_EQ(terminatedOn, GetCurrentThreadId());
  EXPECT_EQ(answer, 2);
  EXPECT_FALSE(thread.FatalException());
}

TEST(Thread, ExceptionsStayWithTheThread) {
  // Execute's own, and a synchronised call's, raised again in the thread.
  std::string inWorker;
  TTestThread thread([&](TTestThread& self) {
    try {
      self.Synchronize([] { throw EConvertError("on the main thread"); });
    } catch (const Exception& e) {
      inWorker = e.Message;
    }
    throw Exception("Execute failed");
  });
  thread.Start();
  thread.WaitFor();
  EXPECT_EQ(inWorker, "on the main thread");
  ASSERT_TRUE(thread.FatalException());
  try {
    std::rethrow_exception(thread.FatalException());
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Execute failed");
  }
}

TEST(Thread, QueuedCallsRunLaterInOrderAndAThreadMayFreeItself) {
  std::vector<int> order;
  std::atomic<bool> destroyed{false};
  auto* thread = new TTestThread([&](TTestThread& self) {
    for (int i = 1; i <= 3; ++i) self.Queue([&order, i] { order.push_back(i); });
  });
  thread->Destroyed = &destroyed;
  thread->SetFreeOnTerminate(true);
  EXPECT_THROW(thread->WaitFor(), EInvalidOperation);
  thread->Start();
  ASSERT_TRUE(guitest::PumpUntil([&] { return destroyed && order.size() == 3; }));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(Thread, TerminateAsksExecuteToEnd) {
  TEvent running;
  TTestThread thread([&](TTestThread& self) {
    SetEvent(running.Handle);
    while (!self.Terminated()) Sleep(1);
    self.SetReturnValue(5);
  });
  thread.Start();
  ASSERT_EQ(WaitForSingleObject(running.Handle, 10000), WAIT_OBJECT_0);
  thread.Terminate();
  EXPECT_EQ(thread.WaitFor(), 5u);

  // Terminated before it ran: Execute is skipped.
  bool ran = false;
  TTestThread early([&](TTestThread&) { ran = true; });
  early.Terminate();
  early.Start();
  early.WaitFor();
  EXPECT_FALSE(ran);
}

}  // namespace
