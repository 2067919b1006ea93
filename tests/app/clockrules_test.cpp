// The rules of the clock tick: the quiet hours, the seconds the time is spoken on, the
// seconds a tick looks at, and whether the time may be spoken now.
#include <gtest/gtest.h>

#include <vector>

#include "app/clockrules.h"

namespace {

struct QuietCase {
  const char* From;
  const char* To;
  int Hour, Minute;
  bool Allowed;
};

TEST(QuietHours, AllowTalkingOutsideTheQuietTimeOnly) {
  const QuietCase cases[] = {
      // Across midnight: the start and the end hour themselves are still spoken.
      {"22:00", "06:00", 21, 59, true},  {"22:00", "06:00", 22, 0, true},  {"22:00", "06:00", 22, 1, false},
      {"22:00", "06:00", 23, 30, false}, {"22:00", "06:00", 0, 0, false},  {"22:00", "06:00", 5, 59, false},
      {"22:00", "06:00", 6, 0, true},    {"22:00", "06:00", 12, 0, true},
      // Within a day: the end minutes count for nothing.
      {"13:30", "15:45", 13, 29, true},  {"13:30", "15:45", 13, 30, true}, {"13:30", "15:45", 13, 31, false},
      {"13:30", "15:45", 14, 59, false}, {"13:30", "15:45", 15, 0, true},  {"13:30", "15:45", 15, 30, true},
      // The same hour: only the rest of that hour.
      {"12:00", "12:00", 12, 0, true},   {"12:00", "12:00", 12, 1, false}, {"12:00", "12:00", 12, 59, false},
      {"12:00", "12:00", 13, 0, true},   {"12:00", "12:00", 11, 59, true},
      // Texts as the masked edit gives them.
      {" 9:00", "10:00", 9, 30, false},  {"9:05", "10:00", 9, 5, true},
  };
  TQuietHoursRule rule;
  for (const QuietCase& c : cases) {
    std::exception_ptr error;
    EXPECT_EQ(rule.TalkAllowed(true, c.From, c.To, c.Hour, c.Minute, error), c.Allowed)
        << c.From << "-" << c.To << " at " << c.Hour << ":" << c.Minute;
    EXPECT_FALSE(error);
    EXPECT_TRUE(rule.TalkAllowed(false, c.From, c.To, c.Hour, c.Minute, error));
  }
}

TEST(QuietHours, AnInvalidTextMeansNoQuietHoursAndIsReportedOncePerText) {
  TQuietHoursRule rule;
  auto reports = [&](const String& from, const String& to) {
    std::exception_ptr error;
    EXPECT_TRUE(rule.TalkAllowed(true, from, to, 23, 30, error));
    if (!error) return String();
    try {
      std::rethrow_exception(error);
    } catch (const EConvertError& e) {
      return String(e.Message);
    }
  };
  EXPECT_EQ(reports("2_:00", "06:00"), "'2_:00' is not a valid time");
  EXPECT_EQ(reports("2_:00", "06:00"), "");  // the next ticks
  EXPECT_EQ(reports("22:00", "__:__"), "'__:__' is not a valid time");
  EXPECT_EQ(reports("25:00", "06:00"), "'25:00' is not a valid time");
  EXPECT_EQ(reports("2_:00", "06:00"), "");
  std::exception_ptr error;
  EXPECT_FALSE(rule.TalkAllowed(true, "22:00", "06:00", 23, 30, error));  // mended
}

TEST(TalkSecond, IsSecondFiveOfTheMinutesTheIntervalNames) {
  const int minutes[] = {0, 10, 15, 30, 45, 59};
  const bool expected[3][6] = {
      {true, false, false, false, false, false},
      {true, false, false, true, false, false},
      {true, false, true, true, true, false},
  };
  for (int interval = 0; interval < 3; ++interval) {
    for (int i = 0; i < 6; ++i) {
      for (int second : {4, 5, 6}) {
        EXPECT_EQ(IsTalkSecond(interval, minutes[i], second), expected[interval][i] && second == 5)
            << "interval " << interval << " at " << minutes[i] << ":" << second;
      }
    }
  }
  EXPECT_FALSE(IsTalkSecond(3, 0, 5));
  EXPECT_FALSE(IsTalkSecond(-1, 0, 5));
}

TDateTime At(int h, int m, int s, int ms = 0) { return EncodeDate(2026, 12, 10) + EncodeTime(h, m, s, ms); }

std::vector<String> Texts(const std::vector<TClockSecond>& seconds) {
  std::vector<String> texts;
  for (TClockSecond second : seconds) {
    int h, m, s;
    DecodeClockSecond(second, h, m, s);
    texts.push_back(std::to_string(h) + ":" + std::to_string(m) + ":" + std::to_string(s));
  }
  return texts;
}

TEST(SecondsCatchUp, GivesEverySecondSinceTheLastTickOnce) {
  TSecondsCatchUp seconds;
  seconds.Start(At(14, 59, 58, 400));
  EXPECT_EQ(Texts(seconds.Advance(At(14, 59, 59, 410))), std::vector<String>{"14:59:59"});
  // A late tick skips a second: both come, in order.
  EXPECT_EQ(Texts(seconds.Advance(At(15, 0, 1, 20))), (std::vector<String>{"15:0:0", "15:0:1"}));
  // The same second again (a tick that came early): nothing.
  EXPECT_TRUE(seconds.Advance(At(15, 0, 1, 990)).empty());
  // The tick stopped for a few seconds around an announcement.
  EXPECT_EQ(Texts(seconds.Advance(At(15, 0, 6, 100))),
            (std::vector<String>{"15:0:2", "15:0:3", "15:0:4", "15:0:5", "15:0:6"}));
}

TEST(SecondsCatchUp, DropsStaleSecondsAfterALongGapAndRestartsWhenTheClockGoesBack) {
  TSecondsCatchUp seconds;
  seconds.Start(At(14, 0, 0));
  // Woken from sleep an hour later: only the last quarter minute counts.
  std::vector<String> late = Texts(seconds.Advance(At(15, 0, 20, 500)));
  ASSERT_EQ(late.size(), size_t(TSecondsCatchUp::MaxCatchUp));
  EXPECT_EQ(late.front(), "15:0:6");
  EXPECT_EQ(late.back(), "15:0:20");
  // Set back by a minute: nothing fires, and it counts on from the new time.
  EXPECT_TRUE(seconds.Advance(At(14, 59, 21)).empty());
  EXPECT_EQ(Texts(seconds.Advance(At(14, 59, 22))), std::vector<String>{"14:59:22"});
  // Across midnight.
  seconds.Start(At(23, 59, 59));
  std::vector<TClockSecond> next = seconds.Advance(At(23, 59, 59) + 1.5 / SecsPerDay);
  EXPECT_EQ(Texts(next), std::vector<String>{"0:0:0"});
}

TEST(AlarmTime, ReadsHoursMinutesAndSecondsAsNumbersAndRefusesIncompleteTexts) {
  const std::pair<const char*, const char*> good[] = {
      {"06:00", "06:00:00"}, {"06:00:00", "06:00:00"}, {" 7:30:05", "07:30:05"}, {"7:30", "07:30:00"},
      {"23:59:59", "23:59:59"}, {"00:00:00", "00:00:00"}};
  for (auto [text, normal] : good) {
    int second = -1;
    ASSERT_TRUE(ParseAlarmTime(text, second)) << text;
    EXPECT_EQ(AlarmTimeText(second), normal);
  }
  for (const char* text : {"07:3_:__", "07:30:__", "  :  :  ", "", "7", "24:00:00", "12:60", "12:00:60", "12:00:00:00",
                           "12::00", "123:00", "12-00", "12:00 "}) {
    int second = -1;
    EXPECT_FALSE(ParseAlarmTime(text, second)) << "'" << text << "'";
  }
}

TEST(SayTimeGate, ForbidsSpeakingWhileAnnouncingOrWhileASignalRings) {
  TSayTimeGate gate;
  std::vector<bool> changes;
  gate.OnChange = [&] { changes.push_back(gate.MaySpeakNow()); };
  EXPECT_TRUE(gate.MaySpeakNow());
  gate.SetAnnouncing(true);
  EXPECT_FALSE(gate.MaySpeakNow());
  gate.SignalStarted();  // the alarm rings during the speech
  gate.SetAnnouncing(false);
  EXPECT_FALSE(gate.MaySpeakNow());  // not while it rings
  gate.SignalStarted();              // and the countdown's signal too
  gate.SignalEnded();
  EXPECT_FALSE(gate.MaySpeakNow());
  gate.SignalEnded();
  EXPECT_TRUE(gate.MaySpeakNow());
  gate.SignalEnded();  // one end too many changes nothing
  EXPECT_TRUE(gate.MaySpeakNow());
  EXPECT_EQ(changes, (std::vector<bool>{false, true}));
}

}  // namespace
