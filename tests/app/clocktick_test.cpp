// The one-second clock tick on a virtual clock: the date caption, the change of day, the
// hotkey, the quiet hours, and the automatic announcement by the talk interval, also when
// ticks come late, repeat a second or the clock is set back.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/clocktick.h"
#include "caught_exceptions.h"
#include "clock_fakes.h"

namespace {
using namespace horavox::test;

TDateTime At(int h, int m, int s, int ms = 0, int day = 10) { return EncodeDate(2026, 12, day) + EncodeTime(h, m, s, ms); }

class ClockTick : public ::testing::Test {
 protected:
  explicit ClockTick(TDateTime start = At(14, 59, 58)) : clock(start) {
    timer1 = new TTimer(&owner);  // 1000 ms, enabled, as the form has it
    timer1->OnTimer = [this](TObject*) { tick->Tick(); };
    auto op = std::make_unique<TFakeOptions>();
    options = op.get();
    parts.Options = std::move(op);
    auto caption = std::make_unique<TFakeDateCaption>();
    date = caption.get();
    parts.DateCaption = std::move(caption);
    parts.Calendar = std::make_unique<TFakeCalendar>(calls);
    parts.HotKey = std::make_unique<TFakeHotKey>(calls);
    tick = std::make_unique<TClockTick>(parts, gate, timer1);
    tick->OnAnnounce = [this] {
      EXPECT_FALSE(timer1->GetEnabled());  // the tick stands still meanwhile
      calls.Add("Announce " + std::to_string(tick->Hour) + ":" + std::to_string(tick->Minute) + ":" +
                std::to_string(tick->Second));
      if (failAnnouncement) throw EInvalidOperation("rovno.wav: gone");
    };
    tick->Start();
  }

  std::vector<std::string> Announcements() const {
    std::vector<std::string> out;
    for (const std::string& call : calls.Calls)
      if (call.find("Announce") != std::string::npos) out.push_back(call.substr(call.find(' ') + 1));
    return out;
  }
  // Ticks by hand at these times (the timer is off).
  void TickAt(TDateTime time) {
    clock.SetNow(time);
    tick->Tick();
  }

  TVirtualClock clock;
  TClockScope scope{clock};
  TComponent owner{nullptr};
  TTimer* timer1 = nullptr;
  TCallLog calls{clock};
  TSayTimeGate gate;
  TClockParts parts;
  TFakeOptions* options = nullptr;
  TFakeDateCaption* date = nullptr;
  std::unique_ptr<TClockTick> tick;
  bool failAnnouncement = false;
};

TEST_F(ClockTick, ShowsTheRussianDateAndSpeaksAtSecondFiveOfTheHour) {
  EXPECT_EQ(tick->Hour * 10000 + tick->Minute * 100 + tick->Second, 145958);  // known before the first tick
  clock.Advance(40000);
  EXPECT_EQ(date->Caption, "10 декабря 2026, четверг");
  EXPECT_EQ(Announcements(), std::vector<std::string>{"Announce 15:0:5"});
  EXPECT_TRUE(timer1->GetEnabled());
  EXPECT_EQ(tick->Hour, 15);
  EXPECT_EQ(tick->Minute, 0);
  EXPECT_EQ(tick->Second, 38);
}

TEST_F(ClockTick, SpeaksOnTheMinutesOfTheTalkInterval) {
  const std::vector<int> minutes[3] = {{0}, {0, 30}, {0, 15, 30, 45}};
  for (int interval = 0; interval < 3; ++interval) {
    calls.Calls.clear();
    parts.TalkInterval->SetPosition(interval);
    clock.Advance(3600 * 1000);  // from hh:59:58 to the next hour's 59:58
    std::vector<std::string> expected;
    for (int minute : minutes[interval])
      expected.push_back("Announce " + std::to_string(15 + interval) + ":" + std::to_string(minute) + ":5");
    EXPECT_EQ(Announcements(), expected) << "interval " << interval;
  }
}

struct TickPattern {
  const char* What;
  std::vector<TDateTime> Ticks;
  size_t Spoken;
};

TEST_F(ClockTick, CatchesUpSkippedSecondsOnceAndDropsStaleOnes) {
  timer1->SetEnabled(false);
  const TickPattern patterns[] = {
      {"on time", {At(15, 0, 4, 500), At(15, 0, 5, 500), At(15, 0, 6, 500)}, 1},
      {"second 5 skipped", {At(15, 0, 4, 990), At(15, 0, 6, 10)}, 1},
      {"second 5 twice", {At(15, 0, 5, 50), At(15, 0, 5, 950), At(15, 0, 6, 0)}, 1},
      {"stopped ten seconds", {At(15, 0, 1), At(15, 0, 11)}, 1},
      {"asleep", {At(14, 50, 0), At(15, 0, 30)}, 0},
      {"set back and forth", {At(15, 0, 5), At(15, 0, 2), At(15, 0, 5, 200)}, 2},
      {"set back, not past it", {At(15, 0, 9), At(15, 0, 7), At(15, 0, 8)}, 0},
  };
  for (const TickPattern& p : patterns) {
    calls.Calls.clear();
    clock.SetNow(p.Ticks.front() - 1.0 / SecsPerDay);
    tick->Start();
    for (TDateTime t : p.Ticks) TickAt(t);
    EXPECT_EQ(Announcements().size(), p.Spoken) << p.What;
  }
}

TEST_F(ClockTick, KeepsTheQuietHoursAndReportsABadQuietTimeOnce) {
  TCaughtExceptions errors;
  options->Quiet = true;
  options->QuietFrom = "14:30";
  options->QuietTo = "16:00";
  clock.Advance(20000);
  EXPECT_TRUE(Announcements().empty());
  EXPECT_FALSE(tick->TalkAllowed);

  options->QuietFrom = "1_:30";  // no time: no quiet hours
  parts.TalkInterval->SetPosition(1);
  clock.Advance(30 * 60 * 1000);
  EXPECT_EQ(Announcements(), std::vector<std::string>{"Announce 15:30:5"});
  EXPECT_EQ(errors.Messages, std::vector<std::string>{"'1_:30' is not a valid time"});
}

TEST_F(ClockTick, SpeaksOnlyWhenTalkingIsOnAndTheTimeMayBeSpoken) {
  options->Talk = false;
  clock.Advance(20000);
  EXPECT_TRUE(Announcements().empty());

  options->Talk = true;
  gate.SignalStarted();  // the alarm rings at the hour
  clock.Advance(60 * 60 * 1000);
  EXPECT_TRUE(Announcements().empty());
  gate.SignalEnded();
  gate.SetAnnouncing(true);  // the hotkey's announcement runs
  clock.Advance(60 * 60 * 1000);
  EXPECT_TRUE(Announcements().empty());
}

TEST_F(ClockTick, TurnsTheHotkeyBackOnAtTheFirstTickTheTimeMayBeSpokenAgain) {
  options->HotKey = true;
  gate.SetAnnouncing(true);
  clock.Advance(3000);
  EXPECT_FALSE(parts.HotKey->Active());
  clock.Advance(500);
  gate.SetAnnouncing(false);
  EXPECT_FALSE(parts.HotKey->Active());
  clock.Advance(500);
  EXPECT_EQ(calls.Calls, std::vector<std::string>{"4000 HotKey on"});
  options->HotKey = false;
  parts.HotKey->SetActive(false);
  clock.Advance(5000);
  EXPECT_FALSE(parts.HotKey->Active());  // the option is off: left as it is
}

TEST_F(ClockTick, AnAnnouncementThatFailsIsReportedOnceAndTheTickGoesOn) {
  TCaughtExceptions errors;
  failAnnouncement = true;
  clock.Advance(30000);
  EXPECT_EQ(errors.Messages, std::vector<std::string>{"rovno.wav: gone"});
  EXPECT_TRUE(timer1->GetEnabled());
  EXPECT_EQ(tick->Second, 28);
}

TEST_F(ClockTick, RaisesTheAlarmAtItsSecondEvenWhenTheTickSkipsIt) {
  timer1->SetEnabled(false);
  int alarms = 0;
  tick->OnAlarm = [&] { ++alarms; };
  parts.Alarm->SetTime("15:00:03");
  TickAt(At(15, 0, 2, 900));
  TickAt(At(15, 0, 4, 100));
  EXPECT_EQ(alarms, 0);  // switched off
  parts.Alarm->SetOn(true);
  clock.SetNow(At(15, 0, 1));
  tick->Start();
  TickAt(At(15, 0, 2, 900));
  TickAt(At(15, 0, 4, 100));
  TickAt(At(15, 0, 4, 900));
  EXPECT_EQ(alarms, 1);
}

class ClockTickAtMidnight : public ClockTick {
 protected:
  ClockTickAtMidnight() : ClockTick(At(23, 59, 57)) {}
};

TEST_F(ClockTickAtMidnight, LooksUpTheNewDaysRemindersOnce) {
  options->Talk = false;
  clock.Advance(10000);
  EXPECT_EQ(calls.Calls, std::vector<std::string>{"3000 ShowRemindersOf 2026-12-11"});
  EXPECT_EQ(date->Caption, "11 декабря 2026, пятница");
}

}  // namespace
