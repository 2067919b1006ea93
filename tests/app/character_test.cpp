// The character's direction apart from the component: wandering targets and intervals, the
// wandering timer's run (held while it walks, kept while the character is hidden), the idle
// handler's draws, the stored options applied at start and a stored place brought back
// onto the desktop — with seeded random numbers and the wandering timer on a virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "app/character.h"
#include "classlib/core/random.h"
#include "classlib/core/timers.h"
#include "clock_fakes.h"

namespace horavox::test {
namespace {

// A character with a stage size, an area, a file that may fail to load and its options.
class TStagedCharacter : public TFakeCharacter {
 public:
  using TFakeCharacter::TFakeCharacter;
  int StageWidth() override { return Width; }
  int StageHeight() override { return Height; }
  TCharacterArea WanderArea() override { return Area; }
  void SetActorLibrary(const String& Value) override {
    Library = Value;
    if (Unloadable) throw std::runtime_error("not an actor file: " + Value);
  }
  int Width = 100, Height = 120;
  TCharacterArea Area{0, 0, 800, 600};
  String Library;
  bool Unloadable = false;
};

class TCharacterOptions : public TFakeOptions {
 public:
  int AssistantSelect() override { return Select; }
  bool ShowActorTop() override { return OnTop; }
  int Select = 0;
  bool OnTop = true;
};

class CharacterTest : public ::testing::Test {
 protected:
  void SetUp() override { SetRandSeed(20261211); }
  TVirtualClock clock;
  TClockScope scope{clock};
  TCallLog calls{clock};
  TStagedCharacter character{calls};
  TComponent owner{nullptr};
};

TEST_F(CharacterTest, WanderTargetsLieWhereTheWholeStageFits) {
  struct Case {
    const char* what;
    TCharacterArea area;
    int stageWidth, stageHeight;
    int minX, maxX, minY, maxY;
  };
  const Case cases[] = {
      {"dock site 800 x 600", {0, 0, 800, 600}, 100, 120, 0, 699, 0, 479},
      {"stage as large as the area", {0, 0, 100, 120}, 100, 120, 0, 0, 0, 0},
      {"stage larger than the area", {10, 20, 50, 50}, 100, 120, 10, 10, 20, 20},
      {"monitor left of the primary", {-1280, 0, 3200, 1080}, 100, 120, -1280, 1819, 0, 959},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int lowX = INT_MAX, highX = INT_MIN;
    for (int i = 0; i < 5000; ++i) {
      TCharacterPlace p = WanderTarget(c.area, c.stageWidth, c.stageHeight);
      ASSERT_GE(p.Left, c.minX);
      ASSERT_LE(p.Left, c.maxX);
      ASSERT_GE(p.Top, c.minY);
      ASSERT_LE(p.Top, c.maxY);
      lowX = std::min(lowX, p.Left);
      highX = std::max(highX, p.Left);
    }
    // The draws spread over the whole range, not a corner of it.
    EXPECT_LT(lowX, c.minX + (c.maxX - c.minX) / 10 + 1);
    EXPECT_GT(highX, c.maxX - (c.maxX - c.minX) / 10 - 1);
  }
}

TEST_F(CharacterTest, WanderIntervalsNeverStopTheTimer) {
  for (int i = 0; i < 10000; ++i) {
    std::uint32_t interval = NextWanderInterval();
    ASSERT_GE(interval, 1000u);
    ASSERT_LE(interval, 60000u);
  }
}

TEST_F(CharacterTest, TheWanderingTimerWalksTheVisibleCharacterAgainAndAgain) {
  auto* timer = new TTimer(&owner);
  timer->SetInterval(30000);
  timer->OnTimer = [&](TObject*) { WanderOnce(character, timer); };
  character.SetVisible(true);
  timer->SetEnabled(true);
  clock.Advance(30000);
  ASSERT_EQ(calls.Calls.size(), 1u);
  EXPECT_EQ(calls.Calls[0].rfind("30000 MoveTo ", 0), 0u) << calls.Calls[0];
  EXPECT_TRUE(timer->GetEnabled());
  // Every later interval is 1..60 s: ten minutes give at least ten walks.
  clock.Advance(600000);
  EXPECT_GE(calls.Calls.size(), 11u);
  EXPECT_TRUE(timer->GetEnabled());
}

TEST_F(CharacterTest, ACharacterHiddenAtTheFirstTickWandersOnceItIsShown) {
  auto* timer = new TTimer(&owner);
  timer->SetInterval(30000);
  timer->OnTimer = [&](TObject*) { WanderOnce(character, timer); };
  character.SetVisible(false);  // "Постоянно на экране" off at start
  timer->SetEnabled(true);      // "Автоперемещение персонажа" on
  clock.Advance(30000);
  EXPECT_TRUE(calls.Calls.empty());
  EXPECT_TRUE(timer->GetEnabled());
  clock.Advance(15000);
  character.SetVisible(true);  // ticked later
  clock.Advance(15000);        // the next tick, 30 s after the first
  ASSERT_EQ(calls.Calls.size(), 1u);
  EXPECT_EQ(calls.Calls[0].rfind("60000 MoveTo ", 0), 0u) << calls.Calls[0];
  clock.Advance(600000);
  EXPECT_GE(calls.Calls.size(), 11u);
}

TEST_F(CharacterTest, AWanderingRunKeepsTheTimersStateWhetherTheCharacterIsShownOrNot) {
  struct Case {
    const char* what;
    bool visible, enabled;
    bool moves, enabledAfter;
  };
  const Case cases[] = {
      {"hidden, wandering", false, true, false, true},
      {"hidden, held by a signal", false, false, false, false},
      {"visible, wandering", true, true, true, true},
      {"visible, held by a signal (a move at a repeat)", true, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    calls.Calls.clear();
    auto* timer = new TTimer(&owner);
    timer->SetInterval(30000);
    timer->SetEnabled(c.enabled);
    character.SetVisible(c.visible);
    WanderOnce(character, timer);
    EXPECT_EQ(calls.Calls.size(), c.moves ? 1u : 0u);
    EXPECT_EQ(timer->GetEnabled(), c.enabledAfter);
    if (c.moves) {
      EXPECT_GE(timer->GetInterval(), 1000u);
      EXPECT_LE(timer->GetInterval(), 60000u);
    } else {
      EXPECT_EQ(timer->GetInterval(), 30000u);
    }
  }
}

TEST_F(CharacterTest, AtIdleTheCharacterPlaysAnimationThreeAboutOneTimeInThree) {
  const int draws = 3000;
  for (int i = 0; i < draws; ++i) CharacterIdle(character);
  for (const std::string& call : calls.Calls) ASSERT_EQ(call, "0 PlayAnimation 3");
  EXPECT_GT(calls.Calls.size(), draws * 0.28);
  EXPECT_LT(calls.Calls.size(), draws * 0.39);
}

TEST_F(CharacterTest, TheStoredOptionsAreAppliedToTheCharacter) {
  struct Case {
    int select;
    bool onTop, always, move;
    const char* file;
  };
  const Case cases[] = {
      {0, true, false, true, "Angel.aal"},
      {1, false, true, false, "Ann.aal"},
      {2, true, true, true, "Dolly.aal"},
      {7, false, false, false, "Angel.aal"},
      {-1, true, false, true, "Angel.aal"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.select);
    TCharacterOptions options;
    options.Select = c.select;
    options.OnTop = c.onTop;
    options.Always = c.always;
    options.Move = c.move;
    character.SetVisible(!c.always);
    EXPECT_EQ(ApplyCharacterOptions(character, options, "C:\\Clock\\"), "");
    EXPECT_EQ(character.Library, String("C:\\Clock\\") + c.file);
    EXPECT_EQ(character.AlwaysOnTop(), c.onTop);
    EXPECT_EQ(character.Visible(), c.always);
    EXPECT_EQ(character.Wandering(), c.move);
  }
}

TEST_F(CharacterTest, AnUnloadableFileIsReportedAndTheOtherOptionsStillApply) {
  TCharacterOptions options;
  options.OnTop = false;
  options.Always = true;
  character.Unloadable = true;
  String error = ApplyCharacterOptions(character, options, "C:\\Clock\\");
  EXPECT_NE(error.find("Angel.aal"), String::npos) << error;
  EXPECT_FALSE(character.AlwaysOnTop());
  EXPECT_TRUE(character.Wandering());
  EXPECT_EQ(calls.Calls.back(), "0 ShowCharacter");
}

TEST_F(CharacterTest, AStoredPlaceOffTheDesktopIsBroughtBackOntoIt) {
  struct Case {
    const char* what;
    TCharacterPlace stored, expected;
  };
  const TCharacterArea desktop{-1280, 0, 3200, 1080};  // a monitor left of the primary
  const Case cases[] = {
      {"on the primary", {300, 50}, {300, 50}},
      {"on the left monitor", {-1000, 900}, {-1000, 900}},
      {"near the right edge, kept", {1900, 1000}, {1900, 1000}},
      {"right of every monitor", {2500, 200}, {1820, 200}},
      {"below", {100, 5000}, {100, 960}},
      {"left of the left monitor", {-3000, -40}, {-1280, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TCharacterPlace p = PlaceOnDesktop(c.stored, desktop, 100, 120);
    EXPECT_EQ(p.Left, c.expected.Left);
    EXPECT_EQ(p.Top, c.expected.Top);
  }
}

}  // namespace
}  // namespace horavox::test
