// The timer pool on a virtual clock: timer slots, interval rules, repeat counts, and a
// pool that survives failing handlers, removals inside a tick and a timer it cannot get.
#include <gtest/gtest.h>

#include "caught_exceptions.h"
#include "classlib/core/clock.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "controls/kitapp.h"

namespace {

using horavox::test::TCaughtExceptions;

// A virtual clock that can refuse timers, as a system out of them would, and counts how
// often its timers wake the program.
class TRefusingClock : public TVirtualClock {
 public:
  bool Refuse = false;
  int Wakes = 0;
  TTimerId StartTimer(std::uint32_t intervalMs, TTimerCallback callback) override {
    if (Refuse) throw EOutOfResources("no timers");
    return TVirtualClock::StartTimer(intervalMs, [this, callback = std::move(callback)] {
      ++Wakes;
      callback();
    });
  }
};

class TimerPoolTest : public ::testing::Test {
 protected:
  TRefusingClock clock;
  TClockScope scope{clock};
  TKitApplication app{"horavox-timerpool-test"};
  TKitTimerPool* pool = app.TimerPool();
  // A handler that counts its calls.
  TNotifyEvent Counting(int& calls) {
    return [&calls](TObject*) { ++calls; };
  }
};

TEST_F(TimerPoolTest, TimersTakeTheLowestFreeSlot) {
  int calls = 0;
  std::uint16_t first = app.AddTimer(1000, Counting(calls));
  EXPECT_EQ(first, 0xFD01);
  EXPECT_EQ(pool->GetMinInterval(), 50);
  // Every 20th tick of the 50 ms pool.
  clock.Advance(950);
  EXPECT_EQ(calls, 0);
  clock.Advance(50);
  EXPECT_EQ(calls, 1);
  clock.Advance(3000);
  EXPECT_EQ(calls, 4);

  for (int i = 2; i <= 250; ++i) EXPECT_EQ(app.AddTimer(50, nullptr), 0xFD00 + i);
  EXPECT_EQ(app.AddTimer(50, nullptr), 0);  // the 251st
  EXPECT_EQ(pool->Count(), 250);
  app.RemoveTimer(0xFD05);
  EXPECT_EQ(app.GetTimerItem(0xFD05), nullptr);
  EXPECT_EQ(app.AddTimer(50, nullptr), 0xFD05);
  app.RemoveTimer(0);
  app.RemoveTimer(0xFD00);
  EXPECT_EQ(pool->Count(), 250);
}

TEST_F(TimerPoolTest, IntervalsAreWholeMultiplesOfTheMinimum) {
  try {
    app.AddTimer(75, nullptr);
    FAIL() << "75 ms accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Interval not compatible with MinInterval property!");
  }
  EXPECT_THROW(app.AddTimer(25, nullptr), Exception);
  EXPECT_EQ(pool->Count(), 0);
  // The refused timers left their slot free.
  std::uint16_t ident = app.AddTimer(1000, nullptr);
  EXPECT_EQ(ident, 0xFD01);
  TKitTimerItem* item = app.GetTimerItem(ident);
  struct Case {
    std::uint16_t set, interval;
    int ticks;
  } cases[] = {{120, 1000, 20}, {0, 50, 1}, {100, 100, 2}, {75, 100, 2}, {3000, 3000, 60}};
  for (const Case& c : cases) {
    item->SetInterval(c.set);
    EXPECT_EQ(item->GetInterval(), c.interval) << c.set;
    EXPECT_EQ(item->Ticks(), c.ticks) << c.set;
  }
  // The same identifier twice is refused with the list-index text.
  EXPECT_THROW(pool->AddItem(ident, 100, nullptr), Exception);
  EXPECT_EQ(pool->Count(), 1);
}

TEST_F(TimerPoolTest, MinIntervalIsSetOnlyWhileLoading) {
  pool->SetMinInterval(100);
  EXPECT_EQ(pool->GetMinInterval(), 50);
  TStringStream text("object Pool: TKitTimerPool\n  MinInterval = 100\nend\n");
  TMemoryStream binary;
  ObjectTextToBinary(&text, &binary);
  binary.SetPosition(0);
  TReader reader(&binary);
  std::unique_ptr<TComponent> read(reader.ReadRootComponent(nullptr));
  EXPECT_EQ(static_cast<TKitTimerPool*>(read.get())->GetMinInterval(), 100);
}

TEST_F(TimerPoolTest, ARepeatCountDisablesTheItemAtItsEnd) {
  int calls = 0;
  TKitTimerItem* item = app.GetTimerItem(app.AddTimer(100, Counting(calls)));
  item->RepeatCount = 3;
  clock.Advance(1000);
  EXPECT_EQ(calls, 3);
  EXPECT_FALSE(item->GetEnabled());
  EXPECT_EQ(item->Counter(), 3);
  item->SetEnabled(true);
  EXPECT_EQ(item->Counter(), 0);
  clock.Advance(1000);
  EXPECT_EQ(calls, 6);
  // With no repeats at all it cannot be enabled.
  item->RepeatCount = 0;
  item->SetEnabled(true);
  EXPECT_FALSE(item->GetEnabled());
}

TEST_F(TimerPoolTest, HandlersHearThePoolAndWithoutOneThePoolsOnTimerDoes) {
  std::vector<std::string> heard;
  app.AddTimer(100, [&](TObject* sender) { heard.push_back(sender == pool ? "handler: pool" : "handler: ?"); });
  std::uint16_t bare = app.AddTimer(200, nullptr);
  pool->OnTimer = [&](TObject* sender, std::uint16_t ident, int counter) {
    heard.push_back((sender == pool ? "OnTimer: pool " : "OnTimer: ? ") + std::to_string(ident == bare) + " " +
                    std::to_string(counter));
  };
  clock.Advance(400);
  EXPECT_EQ(heard, (std::vector<std::string>{"handler: pool", "handler: pool", "OnTimer: pool 1 1", "handler: pool",
                                             "handler: pool", "OnTimer: pool 1 2"}));
}

TEST_F(TimerPoolTest, AFailingHandlerStopsNeitherTheOthersNorTheCount) {
  TCaughtExceptions caught;
  int failing = 0, after = 0;
  app.AddTimer(100, [&](TObject*) {
    ++failing;
    throw EConvertError("handler failed");
  });
  app.AddTimer(50, Counting(after));
  clock.Advance(1000);
  EXPECT_EQ(failing, 10);  // keeps its own period
  EXPECT_EQ(after, 20);    // and the item after it fires on every tick
  EXPECT_EQ(caught.Messages.size(), 10u);
  EXPECT_EQ(caught.Messages.front(), "handler failed");
}

TEST_F(TimerPoolTest, ItemsRemovedInsideATickGoQuietly) {
  int a = 0, b = 0, c = 0;
  std::uint16_t ia = 0, ib = 0;
  ia = app.AddTimer(50, [&](TObject*) {
    ++a;
    // Its own item, the way clients let a timer go; and the next one, before its turn.
    app.GetTimerItem(ia)->SetEnabled(false);
    app.GetTimerItem(ia)->SetHandler(nullptr);
    app.RemoveTimer(ia);
    app.RemoveTimer(ib);
  });
  ib = app.AddTimer(50, Counting(b));
  app.AddTimer(100, Counting(c));
  clock.Advance(50);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(pool->Count(), 1);
  clock.Advance(500);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(c, 5);
  // Removing the last item stops the pool's timer.
  EXPECT_EQ(clock.ActiveTimers(), 1u);
  app.RemoveTimer(0xFD03);
  EXPECT_FALSE(pool->Active());
  EXPECT_EQ(clock.ActiveTimers(), 0u);
}

TEST_F(TimerPoolTest, ATimerThatCannotBeHadAddsNothing) {
  clock.Refuse = true;
  try {
    app.AddTimer(100, nullptr);
    FAIL() << "a timer was added without a system timer";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message, "Нет доступных таймеров");
  }
  EXPECT_EQ(pool->Count(), 0);
  EXPECT_FALSE(pool->Active());
  clock.Refuse = false;
  EXPECT_EQ(app.AddTimer(100, nullptr), 0xFD01);  // the slot stayed free
  EXPECT_TRUE(pool->Active());
}

TEST_F(TimerPoolTest, ThePoolWakesOnlyForTheTicksAnItemIsDueOn) {
  int second = 0, repeat = 0;
  app.AddTimer(1000, Counting(second));
  std::uint16_t repeating = app.AddTimer(300, Counting(repeat));
  app.GetTimerItem(repeating)->SetEnabled(false);  // as clients do until they need it
  clock.Advance(10000);
  EXPECT_EQ(second, 10);
  EXPECT_EQ(clock.Wakes, 10) << "a 1000 ms item wakes the 50 ms pool once a second";

  // Enabled between two ticks, an item keeps in step with the common count: the 300 ms one
  // (every 6th tick) enabled at tick 202 fires at ticks 204, 210, 216 and 222.
  clock.Advance(100);
  app.GetTimerItem(repeating)->SetEnabled(true);
  clock.Advance(1000);
  EXPECT_EQ(repeat, 4);
  EXPECT_EQ(second, 11);
  EXPECT_EQ(clock.Wakes, 15);
  // A shorter interval takes effect at once, and with nothing enabled the pool sleeps.
  app.GetTimerItem(repeating)->SetInterval(100);
  clock.Advance(100);
  EXPECT_EQ(repeat, 5);
  app.GetTimerItem(repeating)->SetEnabled(false);
  app.GetTimerItem(0xFD01)->SetEnabled(false);
  int wakes = clock.Wakes;
  clock.Advance(60000);
  EXPECT_EQ(clock.Wakes, wakes);
  EXPECT_TRUE(pool->Active());
  app.GetTimerItem(0xFD01)->SetEnabled(true);
  clock.Advance(1000);
  EXPECT_EQ(second, 12);
}

TEST(TimerItem, NeedsAPool) { EXPECT_THROW(TKitTimerItem(nullptr, 1), EInvalidOperation); }

}  // namespace
