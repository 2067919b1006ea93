// TTimer on a virtual clock: the rules the clock's chain of one-shot timers relies on.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "caught_exceptions.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/core/timers.h"

namespace {

class TimerTest : public ::testing::Test {
 protected:
  TVirtualClock clock;
  TClockScope scope{clock};
  std::vector<std::int64_t> ticks;  // the virtual time of each OnTimer

  std::unique_ptr<TTimer> NewTimer(std::uint32_t interval, bool enabled = true) {
    auto timer = std::make_unique<TTimer>(nullptr);
    timer->SetInterval(interval);
    timer->SetEnabled(enabled);
    timer->OnTimer = [this](TObject*) { ticks.push_back(Elapsed()); };
    return timer;
  }
  std::int64_t Elapsed() { return static_cast<std::int64_t>(clock.TickCount()); }
};

TEST_F(TimerTest, FiresEveryIntervalWhileEnabledAndNeverWithIntervalZero) {
  auto timer = std::make_unique<TTimer>(nullptr);
  EXPECT_TRUE(timer->GetEnabled());
  EXPECT_EQ(timer->GetInterval(), 1000u);
  timer->OnTimer = [this](TObject*) { ticks.push_back(Elapsed()); };
  clock.Advance(2500);
  EXPECT_EQ(ticks, (std::vector<std::int64_t>{1000, 2000}));

  timer->SetInterval(0);
  EXPECT_FALSE(timer->Running());
  clock.Advance(10000);
  EXPECT_EQ(ticks.size(), 2u);
  timer->SetEnabled(false);
  timer->SetInterval(300);
  clock.Advance(1000);
  EXPECT_EQ(ticks.size(), 2u);
  timer.reset();
  EXPECT_EQ(clock.ActiveTimers(), 0u);
}

TEST_F(TimerTest, SettingTheCurrentValueKeepsTheCountAndANewIntervalRestartsIt) {
  auto timer = NewTimer(1000);
  clock.Advance(600);
  timer->SetEnabled(true);
  timer->SetInterval(1000);
  clock.Advance(400);
  EXPECT_EQ(ticks, (std::vector<std::int64_t>{1000}));

  clock.Advance(600);  // 1600: a new interval counts from now
  timer->SetInterval(500);
  clock.Advance(1000);
  EXPECT_EQ(ticks, (std::vector<std::int64_t>{1000, 2100, 2600}));

  timer->SetEnabled(false);  // enabling again counts afresh
  clock.Advance(100);
  timer->SetEnabled(true);
  clock.Advance(499);
  EXPECT_EQ(ticks.size(), 3u);
  clock.Advance(1);
  EXPECT_EQ(ticks.back(), 3200);
}

TEST_F(TimerTest, AHandlerMayDisableItsTimerOrChangeItsInterval) {
  // A chain of one-shot timers: each disables itself and enables the next.
  auto first = NewTimer(300);
  auto second = NewTimer(200, false);
  std::vector<std::string> order;
  first->OnTimer = [&](TObject*) {
    first->SetEnabled(false);
    order.push_back("first " + std::to_string(Elapsed()));
    second->SetEnabled(true);
  };
  second->OnTimer = [&](TObject*) {
    second->SetEnabled(false);
    order.push_back("second " + std::to_string(Elapsed()));
  };
  clock.Advance(5000);
  EXPECT_EQ(order, (std::vector<std::string>{"first 300", "second 500"}));

  // A handler that lengthens its own interval.
  auto growing = NewTimer(100);
  growing->OnTimer = [&](TObject*) {
    ticks.push_back(Elapsed());
    growing->SetInterval(growing->GetInterval() * 2);
  };
  clock.Advance(700);
  EXPECT_EQ(ticks, (std::vector<std::int64_t>{5100, 5300, 5700}));
}

TEST_F(TimerTest, AnExceptionOfTheHandlerIsReportedAndTheTimerGoesOn) {
  horavox::test::TCaughtExceptions caught;
  auto timer = NewTimer(100);
  int calls = 0;
  timer->OnTimer = [&](TObject*) {
    if (++calls == 1) throw EConvertError("'25:00' is not a valid time");
  };
  clock.Advance(300);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(caught.Messages, (std::vector<std::string>{"'25:00' is not a valid time"}));
}

TEST_F(TimerTest, ATimerReadFromAFormStartsOnlyOnceLoaded) {
  auto read = [](const std::string& text) {
    TStringStream source(text), binary;
    ObjectTextToBinary(&source, &binary);
    binary.SetPosition(0);
    TReader reader(&binary);
    return std::unique_ptr<TTimer>(static_cast<TTimer*>(reader.ReadRootComponent(nullptr)));
  };
  // Interval first, then Enabled: no timer may be left running from the first property.
  auto off = read("object Timer1: TTimer\n  Interval = 250\n  Enabled = False\nend\n");
  EXPECT_FALSE(off->Running());
  EXPECT_EQ(clock.ActiveTimers(), 0u);

  auto on = read("object Timer2: TTimer\n  Interval = 250\nend\n");
  EXPECT_TRUE(on->Running());
  EXPECT_EQ(clock.ActiveTimers(), 1u);
  int calls = 0;
  on->OnTimer = [&](TObject*) { ++calls; };
  clock.Advance(1000);
  EXPECT_EQ(calls, 4);
}

}  // namespace
