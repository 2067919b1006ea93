#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "assistant/director.h"
#include "classlib/core/random.h"
#include "player_util.h"

namespace horavox::test {
namespace {

TEST(RequestQueue, IdentifiersRefusalsWrapAndTheEvent) {
  TRequestQueue q;
  auto signalled = [&] { return WaitForSingleObject(q.Event(), 0) == WAIT_OBJECT_0; };
  EXPECT_EQ(q.Add(0), 0u);
  EXPECT_FALSE(signalled());
  std::uint32_t a = q.Add(5), b = q.Add(7);
  EXPECT_EQ(a, 0x10005u);
  EXPECT_EQ(b, 0x20007u);
  EXPECT_TRUE(signalled());
  EXPECT_EQ(q.Peek(), a);
  EXPECT_EQ(q.Get(1), b);
  EXPECT_EQ(q.Get(2), 0u);
  EXPECT_TRUE(q.Contains(b));
  q.Remove(b);
  EXPECT_FALSE(q.Contains(b));
  EXPECT_TRUE(signalled());
  EXPECT_EQ(q.Pop(), a);
  EXPECT_FALSE(signalled());
  EXPECT_EQ(q.Pop(), 0u);
  EXPECT_FALSE(q.WaitRequest(0));

  // The counter wraps after 65535; identifiers stay nonzero.
  for (int i = 3; i <= 65535; ++i) q.Add(1);
  q.Clear();
  EXPECT_FALSE(signalled());
  EXPECT_EQ(q.Add(9), 9u);
  EXPECT_EQ(q.Add(9), 0x10009u);

  // Disabling empties the queue and releases its waiters; a disabled queue refuses.
  q.SetEnabled(false);
  EXPECT_EQ(q.Count(), 0);
  EXPECT_TRUE(q.WaitRequest(0));
  EXPECT_EQ(q.Add(3), 0u);
  q.SetEnabled(true);
  EXPECT_FALSE(signalled());
  EXPECT_NE(q.Add(3), 0u);
}

// A director on an actor, active, idling off, fast; it records what it draws.
struct TDirectorRig {
  TFrameRecorder Recorder;
  std::mutex Lock;
  std::vector<std::pair<char, std::uint32_t>> Reports;  // 's' start, 'e' end
  std::unique_ptr<TAssistantDirector> Director = std::make_unique<TAssistantDirector>();  // freed first

  explicit TDirectorRig(const std::string& path, bool autoIdle = false) {
    Director->SetAutoIdle(autoIdle);
    Director->Engine()->SetMute(true);
    Director->Engine()->SetSpeed(1000);
    Recorder.Attach(Director->Engine());
    Director->OnPlayStart = [this](TObject*, std::uint32_t id) { Report('s', id); };
    Director->OnPlayStop = [this](TObject*, std::uint32_t id) { Report('e', id); };
    Director->Actor()->SetFileName(path);
    Director->SetActive(true);
  }
  void Report(char what, std::uint32_t id) {
    std::lock_guard<std::mutex> hold(Lock);
    Reports.emplace_back(what, id);
  }
  std::vector<std::pair<char, std::uint32_t>> TakeReports() {
    std::lock_guard<std::mutex> hold(Lock);
    return std::move(Reports);
  }
  bool Started(std::uint32_t id) {
    std::lock_guard<std::mutex> hold(Lock);
    for (auto& r : Reports)
      if (r.first == 's' && r.second == id) return true;
    return false;
  }
  // Waits until nothing is queued or playing.
  bool Settle() {
    return PumpMessagesUntil([&] {
      return !Director->IsBusy() && WaitForSingleObject(Director->DoneEvent(), 0) == WAIT_OBJECT_0;
    });
  }
};

TEST(Director, PlaysRequestsInOrderAndReportsThem) {
  TDirectorRig rig(TestActorPath("Tiny"));
  std::uint32_t a = rig.Director->Play(1), b = rig.Director->Play(4);
  EXPECT_TRUE(rig.Director->WaitFor(b));
  EXPECT_FALSE(rig.Director->IsPending(a));
  EXPECT_FALSE(rig.Director->IsPending(0));
  EXPECT_EQ(rig.Recorder.Animations(), (std::vector<int>{1, 4}));
  EXPECT_EQ(rig.TakeReports(), (std::vector<std::pair<char, std::uint32_t>>{{'s', a}, {'e', a}, {'s', b}, {'e', b}}));
  EXPECT_EQ(rig.Director->Play(0), 0u);
  EXPECT_TRUE(rig.Director->WaitFor(0));
}

TEST(Director, AStoppedEndlessOneLeavesThroughItsExitsThenRestsThenPlaysTheNext) {
  TDirectorRig rig(TestActorPath("Tiny"));
  std::uint32_t endless = rig.Director->Play(9);
  ASSERT_TRUE(PumpMessagesUntil([&] { return rig.Recorder.Count() >= 5; }));
  EXPECT_FALSE(rig.Director->WaitFor(endless));  // it never ends by itself
  rig.Director->Stop(false);
  std::uint32_t next = rig.Director->Play(1);
  ASSERT_TRUE(rig.Director->WaitFor(next));
  EXPECT_EQ(rig.Recorder.Animations(), (std::vector<int>{9, 6, 1}));
  std::vector<std::pair<int, int>> frames = rig.Recorder.Frames();
  auto rest = std::find(frames.begin(), frames.end(), std::make_pair(6, 0));
  ASSERT_NE(rest, frames.begin());
  EXPECT_EQ(*(rest - 1), std::make_pair(9, 3)) << "the exit frame comes just before the rest pose";
}

TEST(Director, StopWithoutRestPoseForgetsTheExits) {
  TDirectorRig rig(TestActorPath("Tiny"));
  rig.Director->Play(9);
  ASSERT_TRUE(PumpMessagesUntil([&] { return rig.Recorder.Count() >= 5; }));
  rig.Director->Stop(true);
  std::vector<std::pair<int, int>> before = rig.Recorder.Frames();
  EXPECT_TRUE(std::find(before.begin(), before.end(), std::make_pair(9, 3)) == before.end());
  std::uint32_t next = rig.Director->Play(1);
  ASSERT_TRUE(rig.Director->WaitFor(next));
  EXPECT_EQ(rig.Recorder.Animations(), (std::vector<int>{9, 1}));
  std::vector<std::pair<int, int>> frames = rig.Recorder.Frames();
  EXPECT_TRUE(std::find(frames.begin(), frames.end(), std::make_pair(9, 3)) == frames.end());
}

TEST(Director, CancelRemovesAQueuedRequestAndStopsTheCurrentOne) {
  TDirectorRig rig(TestActorPath("Tiny"));
  std::uint32_t endless = rig.Director->Play(9);
  std::uint32_t queued = rig.Director->Play(1);
  ASSERT_TRUE(PumpMessagesUntil([&] { return rig.Started(endless); }));
  rig.Director->Cancel(queued);
  EXPECT_FALSE(rig.Director->IsPending(queued));
  EXPECT_TRUE(rig.Director->IsPending(endless));
  rig.Director->Cancel(endless);
  EXPECT_FALSE(rig.Director->IsPending(endless));
  ASSERT_TRUE(rig.Settle());
  // It left through its exit and rested; the cancelled request never played.
  EXPECT_EQ(rig.Recorder.Animations(), (std::vector<int>{9, 6}));
}

TEST(Director, SpecialNamesReturnUnlessTheirGroupGoesOn) {
  TDirectorRig rig(CharacterPath("Angel"));
  TAssistantActor* actor = rig.Director->Actor();
  const int read = actor->IndexOfName("Read"), goesOn = actor->IndexOfName("ReadContinued"),
            back = actor->IndexOfName("ReadReturn");
  ASSERT_TRUE(read && goesOn && back);
  rig.Director->Play(read);
  std::uint32_t continued = rig.Director->Play(goesOn);
  ASSERT_TRUE(PumpMessagesUntil([&] { return rig.Started(continued); }));  // no return in between
  // The continuation loops until stopped; what follows it needs the return first.
  std::uint32_t greet = rig.Director->Play(3);
  rig.Director->Cancel(continued);
  ASSERT_TRUE(rig.Director->WaitFor(greet));
  EXPECT_EQ(rig.Recorder.Animations(), (std::vector<int>{read, goesOn, back, 3}));
}

TEST(Director, ABowReturnsToItsRecordBeforeTheNext) {
  TDirectorRig rig(CharacterPath("Angel"));
  rig.Director->Play(4);
  std::uint32_t greet = rig.Director->Play(3);
  ASSERT_TRUE(rig.Director->WaitFor(greet));
  EXPECT_EQ(rig.Recorder.Animations(), (std::vector<int>{4, 5, 3}));
}

TEST(Director, IdlesRisingThroughTheLevelsAndBackOnARequest) {
  SetRandSeed(33);
  std::mutex lock;
  std::vector<int> levels;
  TDirectorRig rig(TestActorPath("Tiny"));
  rig.Director->SetMinIdleTime(2);
  rig.Director->SetMaxIdleTime(2);
  rig.Director->OnIdle = [&](TObject*, int level, bool& handled) {
    std::lock_guard<std::mutex> hold(lock);
    levels.push_back(level);
    handled = true;  // and nothing queued: nothing plays
  };
  auto count = [&] {
    std::lock_guard<std::mutex> hold(lock);
    return levels.size();
  };
  rig.Director->SetAutoIdle(true);
  ASSERT_TRUE(PumpMessagesUntil([&] { return count() >= 70; }));
  {
    std::lock_guard<std::mutex> hold(lock);
    auto first2 = std::find(levels.begin(), levels.end(), 2), first3 = std::find(levels.begin(), levels.end(), 3);
    ASSERT_NE(first3, levels.end());
    EXPECT_TRUE(std::is_sorted(levels.begin(), levels.end()));
    // 15..29 periods at level 1 and 10..19 at level 2; the period that counts down to 0
    // already reports the next level.
    EXPECT_GE(first2 - levels.begin(), 14);
    EXPECT_LE(first2 - levels.begin(), 28);
    EXPECT_GE(first3 - first2, 9);
    EXPECT_LE(first3 - first2, 18);
  }
  EXPECT_EQ(rig.Director->GetIdleLevel(), 35);
  EXPECT_TRUE(rig.Recorder.Animations().empty());

  // A request sets the level back to 33.
  std::uint32_t id = rig.Director->Play(1);
  ASSERT_TRUE(rig.Director->WaitFor(id));
  EXPECT_EQ(rig.Director->GetIdleLevel(), 33);

  // Without automatic idling nothing idles.
  rig.Director->SetAutoIdle(false);
  std::size_t now = count();
  PumpMessagesUntil([] { return false; }, 100);
  EXPECT_EQ(count(), now);
}

TEST(Director, IdleAnimationsPlayUnreportedAndGiveWayToRequests) {
  SetRandSeed(7);
  TDirectorRig rig(TestActorPath("Tiny"));
  rig.Director->SetMinIdleTime(2);
  rig.Director->SetMaxIdleTime(2);
  rig.Director->SetAutoIdle(true);
  ASSERT_TRUE(PumpMessagesUntil([&] { return rig.Recorder.Count() >= 3; }));
  for (int a : rig.Recorder.Animations()) EXPECT_TRUE(a == 3 || a == 4 || a == 5) << a;  // category 33
  std::uint32_t id = rig.Director->Play(2);
  ASSERT_TRUE(rig.Director->WaitFor(id));
  for (auto& r : rig.TakeReports()) EXPECT_EQ(r.second, id) << "idle animations are not reported";
}

TEST(Director, DirectionsFallBackToStraightMoves) {
  struct TCase {
    const char* actor;
    int toX, toY, expected;
  };
  const TCase cases[] = {{"Angel", 500, 900, 47}, {"Ann", 500, 900, 46}, {"Angel", 100, 500, 48}, {"Ann", 100, 500, 50}};
  for (const TCase& c : cases) {
    TAssistantDirector director;
    director.Actor()->SetFileName(CharacterPath(c.actor));
    EXPECT_EQ(director.DirectionCategory(3, TPoint{500, 500}, TPoint{c.toX, c.toY}), c.expected) << c.actor;
  }
}

TEST(Director, DeactivatingStopsAndEmptiesEverything) {
  TDirectorRig rig(TestActorPath("Tiny"));
  std::uint32_t endless = rig.Director->Play(9);
  rig.Director->Play(1);
  ASSERT_TRUE(PumpMessagesUntil([&] { return rig.Started(endless); }));
  rig.Director->SetActive(false);
  EXPECT_FALSE(rig.Director->IsBusy());
  EXPECT_EQ(rig.Director->Engine()->CurrentAnimation(), 0);
  EXPECT_EQ(rig.Director->Play(1), 0u);
  rig.Director->SetActive(true);
  std::uint32_t again = rig.Director->Play(1);
  ASSERT_TRUE(rig.Director->WaitFor(again));
  EXPECT_EQ(rig.Recorder.Animations().back(), 1);
}

}  // namespace
}  // namespace horavox::test
