// The spoken time's fragments: the examples by the Russian agreement rules, and every
// minute of the day says itself with the recorded words only.
#include <gtest/gtest.h>

#include <set>

#include "app/timefragments.h"

namespace {

struct Example {
  int Hour, Minute;
  TTimeFragments Slots;
};

TEST(TimeFragments, SayTheExamples) {
  const Example examples[] = {
      {0, 0, {"0.wav", "chasov.wav", "rovno.wav", "", ""}},
      {1, 1, {"1.wav", "chas.wav", "1a.wav", "minuta.wav", ""}},
      {2, 2, {"2.wav", "chasa.wav", "2e.wav", "minuti.wav", ""}},
      {3, 42, {"3.wav", "chasa.wav", "40.wav", "2e.wav", "minuti.wav"}},
      {5, 11, {"5.wav", "chasov.wav", "11.wav", "minut.wav", ""}},
      {10, 15, {"10.wav", "chasov.wav", "15.wav", "minut.wav", ""}},
      {11, 4, {"11.wav", "chasov.wav", "4.wav", "minuti.wav", ""}},
      {12, 30, {"12.wav", "chasov.wav", "30.wav", "minut.wav", ""}},
      {14, 0, {"14.wav", "chasov.wav", "rovno.wav", "", ""}},
      {20, 20, {"20.wav", "chasov.wav", "20.wav", "minut.wav", ""}},
      {21, 1, {"21.wav", "chas.wav", "1a.wav", "minuta.wav", ""}},
      {22, 22, {"22.wav", "chasa.wav", "20.wav", "2e.wav", "minuti.wav"}},
      {23, 51, {"23.wav", "chasa.wav", "50.wav", "1a.wav", "minuta.wav"}},
      {19, 57, {"19.wav", "chasov.wav", "50.wav", "7.wav", "minut.wav"}},
  };
  for (const Example& e : examples)
    EXPECT_EQ(TimeFragments(e.Hour, e.Minute), e.Slots) << e.Hour << ":" << e.Minute;
}

TEST(TimeFragments, EveryMinuteOfTheDayUsesTheRecordedWordsWithoutGaps) {
  std::set<String> recorded{"1a.wav", "2e.wav", "30.wav", "40.wav", "50.wav", "chas.wav", "chasa.wav",
                            "chasov.wav", "minuta.wav", "minuti.wav", "minut.wav", "rovno.wav"};
  for (int n = 0; n <= 23; ++n) recorded.insert(std::to_string(n) + ".wav");
  std::set<String> used;
  for (int hour = 0; hour < 24; ++hour) {
    for (int minute = 0; minute < 60; ++minute) {
      TTimeFragments slots = TimeFragments(hour, minute);
      size_t filled = 0;
      while (filled < slots.size() && !slots[filled].empty()) ++filled;
      for (size_t i = filled; i < slots.size(); ++i) EXPECT_EQ(slots[i], "") << hour << ":" << minute;
      EXPECT_GE(filled, 3u) << hour << ":" << minute;
      EXPECT_EQ(slots[0], std::to_string(hour) + ".wav");
      EXPECT_EQ(slots[2] == "rovno.wav", minute == 0);
      for (size_t i = 0; i < filled; ++i) {
        EXPECT_TRUE(recorded.count(slots[i])) << slots[i] << " at " << hour << ":" << minute;
        used.insert(slots[i]);
      }
    }
  }
  EXPECT_EQ(used, recorded);  // and every recording is needed
}

}  // namespace
