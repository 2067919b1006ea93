#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <set>

#include "assistant/animationrules.h"
#include "classlib/core/random.h"

namespace {

// Tables of an animation of `frames` frames of duration 10, no branches, no exits.
TActorAnimation Tables(int frames) {
  TActorAnimation a;
  a.FrameCount = static_cast<std::uint32_t>(frames);
  a.Sounds.assign(static_cast<std::size_t>(frames), 0);
  a.Durations.assign(static_cast<std::size_t>(frames), 10);
  a.Branches.assign(static_cast<std::size_t>(frames), {});
  a.Exits.assign(static_cast<std::size_t>(frames), {});
  return a;
}

struct TBranchCase {
  const char* what;
  std::array<TBranch, 4> branches;
  // How often (of 2000 draws from frame 1 of 4) each next frame comes, within the tolerance.
  std::vector<std::pair<int, int>> expected;
  int tolerance;
};

TEST(NextFrame, BranchesTakeTheirShareOfTheWhole) {
  const TBranchCase cases[] = {
      {"half and half", {{{50, 0}, {50, 3}, {0, 0}, {0, 0}}}, {{0, 1000}, {3, 1000}}, 120},
      {"no chance advances", {{{0, 0}, {0, 3}, {0, 0}, {0, 0}}}, {{2, 2000}}, 0},
      {"a hundred always branches back", {{{100, 0}, {0, 0}, {0, 0}, {0, 0}}}, {{0, 2000}}, 0},
      {"a quarter, then half of the rest", {{{25, 0}, {50, 3}, {0, 0}, {0, 0}}}, {{0, 500}, {3, 1000}, {2, 500}}, 120},
  };
  SetRandSeed(18);
  for (const TBranchCase& c : cases) {
    TActorAnimation a = Tables(4);
    a.Branches[1] = c.branches;
    std::map<int, int> seen;
    for (int i = 0; i < 2000; ++i) {
      TFrameStep step = NextFrame(a, 1, false);
      EXPECT_FALSE(step.Finished) << c.what;
      ++seen[step.Next];
    }
    int total = 0;
    for (auto [frame, count] : c.expected) {
      EXPECT_NEAR(seen[frame], count, c.tolerance) << c.what << ": frame " << frame;
      total += seen[frame];
    }
    EXPECT_EQ(total, 2000) << c.what << ": no other frame follows";
  }
}

TEST(NextFrame, TheLastFrameStaysAndFinishes) {
  TActorAnimation a = Tables(3);
  EXPECT_EQ(NextFrame(a, 1, false).Next, 2);
  EXPECT_FALSE(NextFrame(a, 1, false).Finished);
  TFrameStep last = NextFrame(a, 2, false);
  EXPECT_EQ(last.Next, 2);
  EXPECT_TRUE(last.Finished);
}

TEST(NextFrame, ExitModeFollowsExitsAndFinishesAtTheLastFrame) {
  TActorAnimation a = Tables(6);
  a.Branches[2][0] = {100, 0};  // ignored while exiting
  a.Exits[0] = {1, 4};
  EXPECT_EQ(NextFrame(a, 0, true).Next, 4);
  EXPECT_EQ(NextFrame(a, 2, true).Next, 3);  // no exit flag: the next frame
  EXPECT_EQ(NextFrame(a, 4, true).Next, 5);
  TFrameStep last = NextFrame(a, 5, true);
  EXPECT_EQ(last.Next, 5);
  EXPECT_TRUE(last.Finished);
}

TEST(NextFrame, ALastFrameOfDurationZeroFinishesTheFrameBefore) {
  TActorAnimation a = Tables(4);
  a.Durations[3] = 0;
  TFrameStep step = NextFrame(a, 2, false);
  EXPECT_EQ(step.Next, 3);
  EXPECT_TRUE(step.Finished);
  EXPECT_TRUE(NextFrame(a, 2, true).Finished);
  EXPECT_FALSE(NextFrame(a, 1, false).Finished);
}

TEST(AnimationTables, EndlessLoopsAndExitFrames) {
  TActorAnimation a = Tables(4);
  EXPECT_FALSE(HasEndlessLoop(a));
  EXPECT_FALSE(HasExitFrames(a));
  a.Branches[2][1] = {100, 3};  // forwards: ends
  EXPECT_FALSE(HasEndlessLoop(a));
  a.Branches[2][0] = {99, 0};  // backwards but by chance: ends some day
  EXPECT_FALSE(HasEndlessLoop(a));
  a.Branches[3][0] = {100, 3};  // itself
  EXPECT_TRUE(HasEndlessLoop(a));
  a.Exits[1] = {1, 3};
  EXPECT_TRUE(HasExitFrames(a));
}

TEST(DirectionCategory, TheTableWithItsDeadZonesAndFallbacks) {
  auto all = [](int) { return true; };
  std::set<int> straightOnly = {46, 49, 50, 51};
  auto straight = [&](int c) { return straightOnly.count(c) != 0; };
  struct TCase {
    int kind, toX, toY;
    std::function<bool(int)> has;
    int expected;
  };
  // From (500, 500), frames 100 × 120: a movement within 50 / 60 pixels is none on that axis.
  const TCase cases[] = {
      {3, 500, 800, all, 47},       // moves: no dead zone, straight below counts as right
      {3, 500, 800, straight, 46},  // lacking the diagonal
      {3, 200, 500, all, 48},       // straight left counts as below
      {3, 200, 500, straight, 50},
      {3, 900, 0, all, 52},
      {3, 900, 0, straight, 51},  // mostly up
      {0, 530, 540, all, 0},        // within the dead zones: no movement
      {0, 530, 800, all, 11},
      {0, 200, 500, all, 15},
      {1, 900, 900, all, 22},
      {2, 100, 100, all, 45},
      {2, 100, 100, [](int c) { return c == 0; }, 42},  // not there: the larger axis (equal: horizontal)
  };
  for (const TCase& c : cases)
    EXPECT_EQ(DirectionCategory(c.kind, 500, 500, c.toX, c.toY, 100, 120, c.has), c.expected)
        << "kind " << c.kind << " to " << c.toX << "," << c.toY;
  EXPECT_EQ(DirectionTableCategory(4, 1, 1), 0);
}

}  // namespace
