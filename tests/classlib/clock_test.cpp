#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/core/callbackguard.h"
#include "classlib/core/clock.h"

namespace {

// A virtual clock installed for the test, with a log of what fired and when.
class VirtualClockTest : public ::testing::Test {
 protected:
  TVirtualClock clock{EncodeDate(2026, 12, 10)};
  TClockScope scope{clock};
  std::vector<std::string> log;

  TTimerId Start(const std::string& name, std::uint32_t interval) {
    return clock.StartTimer(interval, [this, name] { Fire(name); });
  }
  void Fire(const std::string& name) { log.push_back(name + "@" + std::to_string(clock.TickCount())); }
  using Log = std::vector<std::string>;
};

TEST_F(VirtualClockTest, FiresDueTimersInTimeOrderTiesInArmingOrder) {
  Start("b", 300);
  Start("a", 200);
  Start("c", 300);
  clock.Advance(650);
  EXPECT_EQ(log, (Log{"a@200", "b@300", "c@300", "a@400", "b@600", "a@600", "c@600"}));
  EXPECT_EQ(clock.TickCount(), 650u);
  log.clear();
  clock.Advance(0);
  EXPECT_TRUE(log.empty());
}

TEST_F(VirtualClockTest, RepeatsFromTheDueTimeAcrossManyPeriods) {
  Start("t", 1000);
  clock.Advance(999);
  EXPECT_TRUE(log.empty());
  clock.Advance(1);
  clock.Advance(3500);  // 2000, 3000, 4000
  EXPECT_EQ(log, (Log{"t@1000", "t@2000", "t@3000", "t@4000"}));
  // Now follows the ticks.
  EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", Now()), "00:00:04.500");
}

TEST_F(VirtualClockTest, CallbacksMayStopStartAndRestartTimers) {
  TTimerId self = 0, victim = 0, late = 0;
  self = clock.StartTimer(100, [&] {
    Fire("self");
    if (clock.TickCount() == 200) clock.StopTimer(self);  // stops itself on its second call
  });
  // `victim` falls due with `stopper` but was started after it: stopped before its turn.
  clock.StartTimer(150, [&] {
    Fire("stopper");
    clock.StopTimer(victim);
    if (!late) late = clock.StartTimer(25, [&] { Fire("late"); });  // counts from the callback's time
  });
  victim = Start("victim", 150);
  TTimerId rearmed = 0;
  rearmed = clock.StartTimer(120, [&] {
    Fire("rearmed");
    clock.RestartTimer(rearmed, 200);  // the next one 200 ms from now
  });
  clock.Advance(400);
  EXPECT_EQ(log, (Log{"self@100", "rearmed@120", "stopper@150", "late@175", "self@200", "late@200", "late@225",
                      "late@250", "late@275", "stopper@300", "late@300", "rearmed@320", "late@325", "late@350",
                      "late@375", "late@400"}));
  EXPECT_FALSE(clock.IsTimerActive(self));
  EXPECT_FALSE(clock.IsTimerActive(victim));
  EXPECT_TRUE(clock.IsTimerActive(late));
}

TEST_F(VirtualClockTest, RestartCountsTheIntervalAfreshAndStopIsFinal) {
  TTimerId t = Start("t", 500);
  clock.Advance(400);
  clock.RestartTimer(t, 500);  // re-armed at 400: due at 900, not 500
  clock.Advance(450);
  EXPECT_TRUE(log.empty());
  clock.Advance(50);
  EXPECT_EQ(log, (Log{"t@900"}));
  clock.StopTimer(t);
  clock.RestartTimer(t, 10);  // a stopped timer stays stopped
  clock.Advance(5000);
  EXPECT_EQ(log.size(), 1u);
  EXPECT_EQ(clock.ActiveTimers(), 0u);
  EXPECT_THROW(clock.StartTimer(0, [] {}), EInvalidOperation);
}

TEST_F(VirtualClockTest, ExceptionsGoToTheHandlerAndTheTimerGoesOn) {
  std::vector<std::string> caught;
  auto previous = SetCallbackExceptionHandler([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const Exception& x) {
      caught.push_back(x.Message);
    }
  });
  clock.StartTimer(100, [&] {
    Fire("boom");
    throw EConvertError("bad tick");
  });
  clock.Advance(200);
  SetCallbackExceptionHandler(previous);
  EXPECT_EQ(log, (Log{"boom@100", "boom@200"}));
  EXPECT_EQ(caught, (Log{"bad tick", "bad tick"}));
}

TEST_F(VirtualClockTest, WallClockMovesWithAdvanceAndJumpsWithSetNow) {
  clock.AdvanceTo(EncodeDate(2026, 12, 10) + EncodeTime(0, 0, 5, 0));
  EXPECT_EQ(clock.TickCount(), 5000u);
  EXPECT_THROW(clock.AdvanceTo(EncodeDate(2026, 12, 9)), EInvalidOperation);
  Start("t", 1000);
  clock.SetNow(EncodeDate(2030, 1, 1));  // the user sets the clock: no timer fires
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(Date(), EncodeDate(2030, 1, 1));
  clock.Advance(1500);
  EXPECT_EQ(log, (Log{"t@6000"}));
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", Now()), "2030-01-01 00:00:01");
  EXPECT_NEAR(Time(), EncodeTime(0, 0, 1, 500), 1e-9);
}

TEST(ClockScope, InstallsForItsLifetimeOnly) {
  TVirtualClock outer(EncodeDate(2001, 1, 1)), inner(EncodeDate(2002, 2, 2));
  {
    TClockScope a(outer);
    {
      TClockScope b(inner);
      EXPECT_EQ(Date(), EncodeDate(2002, 2, 2));
    }
    EXPECT_EQ(&Clock(), &outer);
  }
  EXPECT_EQ(&Clock(), &SystemClock());
  EXPECT_GT(Now(), EncodeDate(2020, 1, 1));  // the machine's own clock again
}

}  // namespace
