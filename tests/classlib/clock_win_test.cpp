// The system clock's timers under Windows: Win32 timers whose callbacks run from the
// message loop. Waits end as soon as the timers have fired; the deadline only stops a hang.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/core/callbackguard.h"
#include "classlib/core/clock.h"
#include "classlib/core/winapi.h"

namespace {

// Runs the message loop until `done` or the deadline.
template <class Done>
bool PumpUntil(Done done, DWORD deadlineMs = 10000) {
  ULONGLONG end = GetTickCount64() + deadlineMs;
  MSG msg;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    else MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

TEST(SystemClock, TimersFireFromTheMessageLoopAndStop) {
  TClockService& clock = SystemClock();
  EXPECT_EQ(&Clock(), &clock);
  std::vector<std::string> caught;
  auto previous = SetCallbackExceptionHandler([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const Exception& x) {
      caught.push_back(x.Message);
    }
  });
  int fast = 0, other = 0;
  TTimerId fastId = 0;
  fastId = clock.StartTimer(10, [&] {
    if (++fast == 1) throw EConvertError("first tick fails");  // goes to the handler
    if (fast == 3) clock.StopTimer(fastId);                     // stops itself
  });
  TTimerId otherId = clock.StartTimer(15, [&] { ++other; });
  EXPECT_NE(fastId, otherId);
  ASSERT_TRUE(PumpUntil([&] { return fast >= 3 && other >= 5; }));
  clock.StopTimer(otherId);
  int fastSeen = fast, otherSeen = other;
  // Both stopped: a while of message loop brings no more calls.
  ULONGLONG until = GetTickCount64() + 100;
  PumpUntil([&] { return GetTickCount64() > until; });
  EXPECT_EQ(fast, fastSeen);
  EXPECT_EQ(other, otherSeen);
  EXPECT_EQ(fast, 3);
  SetCallbackExceptionHandler(previous);
  EXPECT_EQ(caught, (std::vector<std::string>{"first tick fails"}));
  EXPECT_THROW(clock.StartTimer(0, [] {}), EInvalidOperation);
}

TEST(SystemClock, ReadsTheLocalTime) {
  SYSTEMTIME st;
  GetLocalTime(&st);
  TDateTime expected = EncodeDate(st.wYear, st.wMonth, st.wDay);
  TDateTime now = Now();
  EXPECT_GE(now, expected);
  EXPECT_LT(now, expected + 2);  // today (or just past midnight)
  std::uint64_t t1 = SystemClock().TickCount(), t2 = SystemClock().TickCount();
  EXPECT_LE(t1, t2);
}

}  // namespace
