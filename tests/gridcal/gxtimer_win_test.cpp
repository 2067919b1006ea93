// The threaded timer in its three ways of ticking: a worker handing each tick to the main
// thread, a worker ticking itself, and a window timer on the (virtual) clock service.
#include "gridcal/gxtimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/core/exceptions.h"
#include "tests/classlib/gui_test_util.h"

namespace {

enum TMode { mSynchronised, mOnTheWorker, mWindowTimer };

std::string ModeName(const ::testing::TestParamInfo<TMode>& info) {
  const char* names[] = {"Synchronised", "OnTheWorker", "WindowTimer"};
  return names[info.param];
}

class GxTimerModes : public ::testing::TestWithParam<TMode> {
 protected:
  GxTimerModes() {
    if (GetParam() == mWindowTimer) scope = std::make_unique<TClockScope>(clock);
  }

  std::unique_ptr<TGxTimer> NewTimer(std::uint32_t interval) {
    auto timer = std::make_unique<TGxTimer>(nullptr);
    timer->SetThreaded(GetParam() != mWindowTimer);
    timer->SetSyncEvent(GetParam() == mSynchronised);
    timer->SetInterval(interval);
    return timer;
  }
  TNotifyEvent Counter() {
    return [this](TObject*) { ++ticks; };
  }
  // Lets 300 ms pass (on the virtual clock, or for real while messages are handled).
  void Wait() {
    if (GetParam() == mWindowTimer) clock.Advance(300);
    else guitest::PumpFor(300);
  }
  // Waits until the count has grown by at least n.
  bool TicksGrowBy(int n) {
    int target = ticks + n;
    if (GetParam() == mWindowTimer) {
      clock.Advance(20 * n);
      return ticks >= target;
    }
    return guitest::PumpUntil([&] { return ticks >= target; }, 5000);
  }

  TVirtualClock clock;
  std::unique_ptr<TClockScope> scope;
  std::atomic<int> ticks{0};
};

TEST_P(GxTimerModes, TicksOnlyWithAnIntervalEnabledAndAHandler) {
  auto timer = NewTimer(20);
  Wait();
  EXPECT_EQ(ticks, 0) << "no handler";
  EXPECT_FALSE(timer->Active());

  timer->SetOnTimer(Counter());
  EXPECT_TRUE(timer->Active());
  EXPECT_TRUE(TicksGrowBy(3));

  // Each pause: whatever was under way ends, then nothing more comes.
  auto stays = [&](const char* why) {
    Wait();
    int seen = ticks;
    Wait();
    EXPECT_EQ(ticks, seen) << why;
  };
  timer->SetInterval(0);
  stays("interval 0");
  timer->SetInterval(20);
  timer->SetEnabled(false);
  stays("disabled");
  timer->SetEnabled(true);
  timer->SetOnTimer(nullptr);
  stays("handler cleared");

  timer->SetOnTimer(Counter());
  EXPECT_TRUE(TicksGrowBy(2)) << "handler assigned again";
}

TEST_P(GxTimerModes, FreeingALongTimerIsPrompt) {
  auto timer = NewTimer(60000);
  timer->SetOnTimer(Counter());
  Wait();
  ULONGLONG start = GetTickCount64();
  timer.reset();
  EXPECT_LT(GetTickCount64() - start, 1000u);
  EXPECT_EQ(ticks, 0);
}

TEST_P(GxTimerModes, AnExceptionIsReportedOnTheMainThreadAndTheTimerTicksOn) {
  std::vector<std::string> reported;
  std::vector<DWORD> reportedOn;
  Application->OnException = [&](TObject*, const std::exception& e) {
    reported.push_back(e.what());
    reportedOn.push_back(GetCurrentThreadId());
  };
  auto timer = NewTimer(20);
  timer->SetOnTimer([this](TObject*) {
    int n = ++ticks;
    if (n == 1) throw EAbort("silent");
    if (n == 2) throw Exception("boom");
  });
  EXPECT_TRUE(TicksGrowBy(4));
  // A queued report of the worker arrives with the next messages handled.
  if (GetParam() == mOnTheWorker) guitest::PumpUntil([&] { return !reported.empty(); }, 5000);
  timer.reset();
  Application->OnException = nullptr;
  EXPECT_EQ(reported, (std::vector<std::string>{"boom"}));
  EXPECT_EQ(reportedOn, (std::vector<DWORD>{GetCurrentThreadId()}));
}

INSTANTIATE_TEST_SUITE_P(Modes, GxTimerModes, ::testing::Values(mSynchronised, mOnTheWorker, mWindowTimer), ModeName);

TEST(GxTimer, SynchronisedTicksRunOnTheMainThreadAndUnsynchronisedOnesOnTheWorker) {
  for (bool sync : {true, false}) {
    std::atomic<int> count{0};
    std::atomic<DWORD> thread{0};
    TGxTimer timer(nullptr);
    timer.SetSyncEvent(sync);
    timer.SetInterval(10);
    timer.SetOnTimer([&](TObject*) {
      thread = GetCurrentThreadId();
      ++count;
    });
    ASSERT_TRUE(guitest::PumpUntil([&] { return count >= 2; }, 5000));
    timer.SetEnabled(false);
    EXPECT_EQ(thread == GetCurrentThreadId(), sync);
  }
}

class TEndingApplication : public TApplicationEnd {
 public:
  std::atomic<bool> Ending{false};
  bool Terminating() override { return Ending; }
};

// Once the application is terminating the worker ends: no tick follows the one it may
// have begun, and the timer is still freed at once.
TEST(GxTimer, TheWorkerEndsWhenTheApplicationTerminates) {
  TEndingApplication application;
  TSeamScope<TApplicationEnd> scope(application);
  for (bool sync : {true, false}) {
    SCOPED_TRACE(sync);
    application.Ending = false;
    std::atomic<int> count{0};
    auto timer = std::make_unique<TGxTimer>(nullptr);
    timer->SetSyncEvent(sync);
    timer->SetInterval(10);
    timer->SetOnTimer([&](TObject*) { ++count; });
    ASSERT_TRUE(guitest::PumpUntil([&] { return count >= 2; }, 5000));
    application.Ending = true;
    guitest::PumpFor(50);  // a tick begun before stays the last
    int last = count;
    guitest::PumpFor(200);
    EXPECT_EQ(count, last);
    ULONGLONG start = GetTickCount64();
    timer.reset();
    EXPECT_LT(GetTickCount64() - start, 1000u);
  }
}

TEST(GxTimer, FreeingWithATickQueuedRunsNoHandlerAfterTheDestructorStarted) {
  std::atomic<bool> freeing{false};
  std::atomic<int> late{0}, count{0};
  auto timer = std::make_unique<TGxTimer>(nullptr);
  timer->SetInterval(1);
  timer->SetOnTimer([&](TObject*) {
    ++count;
    if (freeing) ++late;
  });
  ASSERT_TRUE(guitest::PumpUntil([&] { return count >= 1; }, 5000));
  // The worker now waits for the main thread with its next tick.
  Sleep(50);
  ULONGLONG start = GetTickCount64();
  freeing = true;
  timer.reset();
  EXPECT_LT(GetTickCount64() - start, 1000u);
  guitest::PumpFor(50);
  EXPECT_EQ(late, 0);
}

}  // namespace
