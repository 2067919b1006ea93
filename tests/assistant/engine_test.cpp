#include <gtest/gtest.h>

#include <atomic>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "assistant/engine.h"
#include "classlib/windows/pictures.h"
#include "classlib/core/random.h"
#include "fake_sound.h"
#include "player_util.h"

namespace horavox::test {
namespace {

// An actor and an engine on it, prepared, counting the runs that end.
struct TEngineRig {
  TAssistantActor Actor;
  std::unique_ptr<TAssistantEngine> Engine;
  TFrameRecorder Recorder;
  std::atomic<int> Stops{0};

  explicit TEngineRig(const std::string& path) {
    Actor.SetFileName(path);
    Engine = std::make_unique<TAssistantEngine>(&Actor);
    Engine->Prepare();
    Engine->SetMute(true);
    Recorder.Attach(Engine.get());
    Engine->OnAnimationStop = [this](TAssistantEngine*) { ++Stops; };
  }
  ~TEngineRig() { Engine.reset(); }  // before the actor
  // Runs the loaded animation to its end.
  bool Play() {
    int before = Stops;
    Engine->SetRunning(true);
    return PumpMessagesUntil([&] { return Stops > before; });
  }
};

TEST(Engine, GreetsInTimeAtSpeeds100And200) {
  TEngineRig rig(CharacterPath("Angel"));
  for (int speed : {100, 200}) {
    rig.Recorder.Clear();
    rig.Engine->SetSpeed(speed);
    ASSERT_TRUE(rig.Engine->LoadAnimation(3));
    ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(rig.Play());
    ULONGLONG took = GetTickCount64() - start;
    std::vector<std::pair<int, int>> expected;
    for (int k = 0; k < 6; ++k) expected.emplace_back(3, k);
    EXPECT_EQ(rig.Recorder.Frames(), expected) << "speed " << speed;
    // Six frames of 10 units: 600 ms at speed 100, half at 200 (loose: the machine is shared).
    const ULONGLONG nominal = 60000u / static_cast<ULONGLONG>(speed);
    EXPECT_GE(took + 20, nominal) << "speed " << speed;
    EXPECT_LT(took, nominal * 3) << "speed " << speed;
    std::vector<TFrameRecorder::TDrawn> drawn = rig.Recorder.Drawn();
    EXPECT_GE(drawn.back().Tick - drawn.front().Tick + 20, nominal * 5 / 6) << "speed " << speed;
  }
}

TEST(Engine, HidesWithoutDrawingItsLastFrame) {
  TEngineRig rig(CharacterPath("Angel"));
  rig.Engine->SetSpeed(1000);
  ASSERT_TRUE(rig.Engine->LoadAnimation(2));
  const int last = rig.Engine->FrameCount() - 1;
  ASSERT_TRUE(rig.Play());
  std::vector<std::pair<int, int>> drawn = rig.Recorder.Frames();
  ASSERT_EQ(static_cast<int>(drawn.size()), last);
  for (int k = 0; k < last; ++k) EXPECT_EQ(drawn[static_cast<std::size_t>(k)], std::make_pair(2, k));
  EXPECT_EQ(rig.Engine->CurrentFrame(), last);  // current, never drawn
  EXPECT_FALSE(rig.Engine->IsRunning());
}

TEST(Engine, AStopMidFrameMovesOnAndCutsItsSoundANaturalEndDoesNot) {
  TFakeSoundOutput sound;
  TEngineRig rig(TestActorPath("Tiny"));
  rig.Engine->SetMute(false);
  // Speed 0: the first frame waits until stopped.
  rig.Engine->SetSpeed(0);
  ASSERT_TRUE(rig.Engine->LoadAnimation(9));
  rig.Engine->SetRunning(true);
  ASSERT_TRUE(PumpMessagesUntil([&] { return rig.Recorder.Count() == 1; }));
  PumpMessagesUntil([] { return false; }, 100);
  EXPECT_TRUE(rig.Engine->IsRunning());
  EXPECT_EQ(rig.Recorder.Count(), 1u);
  rig.Engine->SetRunning(false);
  ASSERT_TRUE(PumpMessagesUntil([&] { return rig.Stops == 1; }));
  EXPECT_EQ(rig.Engine->CurrentFrame(), 1);
  ASSERT_EQ(sound.PlayedResources.size(), 1u);
  EXPECT_EQ(sound.PlayedResources[0].Id, 1u);
  EXPECT_EQ(sound.PlayedResources[0].Module, rig.Actor.Module());
  EXPECT_EQ(sound.PlayedResources[0].Flags, 0x42017u);
  EXPECT_EQ(sound.Stops, 1);

  // Leaving through the exit frames ends by itself: the sound plays on.
  ASSERT_TRUE(rig.Engine->LoadAnimation(9));
  rig.Engine->SetSpeed(1000);
  ASSERT_TRUE(rig.Engine->BeginExit());
  rig.Recorder.Clear();
  ASSERT_TRUE(rig.Play());
  EXPECT_EQ(rig.Recorder.Frames(), (std::vector<std::pair<int, int>>{{9, 0}, {9, 3}}));
  EXPECT_EQ(sound.PlayedResources.size(), 2u);
  EXPECT_EQ(sound.Stops, 1);
}

TEST(Engine, AStopCutsNoSoundItDidNotStart) {
  TFakeSoundOutput sound;
  TEngineRig rig(TestActorPath("Tiny"));
  rig.Engine->SetMute(true);
  rig.Engine->SetSpeed(0);
  ASSERT_TRUE(rig.Engine->LoadAnimation(9));
  rig.Engine->SetRunning(true);
  ASSERT_TRUE(PumpMessagesUntil([&] { return rig.Recorder.Count() == 1; }));
  rig.Engine->SetRunning(false);
  ASSERT_TRUE(PumpMessagesUntil([&] { return rig.Stops == 1; }));
  EXPECT_TRUE(sound.PlayedResources.empty());
  EXPECT_EQ(sound.Stops, 0);  // another sound (the about box's greeting) plays on
}

TEST(Engine, RefusesWhatItCannotReadThenPlaysAGoodOne) {
  TEngineRig rig(TestActorPath("Tiny"));
  const int count = rig.Actor.AnimationCount();
  std::vector<int> refused = {0, count + 1};
  for (int i = 11; i <= count; ++i) refused.push_back(i);  // the malformed records
  ASSERT_TRUE(rig.Engine->LoadAnimation(1));
  for (int i : refused) {
    EXPECT_FALSE(rig.Engine->LoadAnimation(i)) << i;
    EXPECT_EQ(rig.Engine->CurrentAnimation(), 0) << i;
    EXPECT_EQ(rig.Engine->FrameCount(), 0) << i;
    EXPECT_EQ(rig.Engine->CopyFrameRegion(0), nullptr) << i;
    rig.Engine->SetRunning(true);
    EXPECT_FALSE(rig.Engine->IsRunning()) << i;
  }
  rig.Engine->SetSpeed(1000);
  ASSERT_TRUE(rig.Engine->LoadAnimation(4));
  rig.Recorder.Clear();
  ASSERT_TRUE(rig.Play());
  EXPECT_EQ(rig.Recorder.Frames(), (std::vector<std::pair<int, int>>{{4, 0}, {4, 1}, {4, 2}}));
}

TEST(Engine, AReloadRewindsWithoutReadingAFailedOneReadsAgain) {
  TEngineRig rig(TestActorPath("Tiny"));
  ASSERT_TRUE(rig.Engine->LoadAnimation(4));
  const int reads = rig.Engine->ResourceReads();
  rig.Engine->SetSpeed(1000);
  ASSERT_TRUE(rig.Play());
  EXPECT_EQ(rig.Engine->CurrentFrame(), 2);
  ASSERT_TRUE(rig.Engine->LoadAnimation(4));
  EXPECT_EQ(rig.Engine->ResourceReads(), reads);
  EXPECT_EQ(rig.Engine->CurrentFrame(), 0);
  EXPECT_FALSE(rig.Engine->LoadAnimation(19));
  EXPECT_FALSE(rig.Engine->LoadAnimation(19));
  EXPECT_EQ(rig.Engine->ResourceReads(), reads + 2);
}

TEST(Engine, FrameRegionsAreTheFramesOpaquePixels) {
  TEngineRig rig(CharacterPath("Angel"));
  ASSERT_TRUE(rig.Engine->LoadAnimation(1));
  TActorAnimation a = rig.Actor.ReadAnimation(1);
  for (std::size_t k = 0; k < a.FrameCount; ++k) {
    TBitmap frame;
    frame.SetPixelFormat(pf8bit);
    frame.SetSize(a.Width, a.Height);
    for (int y = 0; y < a.Height; ++y) std::memcpy(frame.ScanLine(y), a.FrameRow(k, y), static_cast<std::size_t>(a.Width));
    frame.FreeContext();
    HRGN expected = BitmapToRegion(frame.GetHandle(), static_cast<std::uint32_t>(rig.Actor.TransparentIndex()));
    HRGN region = rig.Engine->CopyFrameRegion(static_cast<int>(k));
    ASSERT_NE(region, nullptr);
    EXPECT_TRUE(EqualRgn(region, expected)) << "frame " << k;
    DeleteObject(region);
    DeleteObject(expected);
  }
}

// Each frame as the engine draws it, against the pixels the test actor "Tiny" was made of
// (tools/actorgen/testactors.cpp): "Idle B" is three blocks of colours 1, 2 and 3 on the
// transparent index 5, and its palette gives entry i the colour (i, 255 - i, 7i).
TEST(Engine, DrawsTheTestActorsFramesAsTheyWereMade) {
  const std::vector<std::string> made[] = {
      {"55555555", "11111115", "11111115", "11111115", "11111115", "11111115"},
      {"55555555", "52222225", "52222225", "52222225", "52222225", "55555555"},
      {"55555555", "55333335", "55333335", "55333335", "55333335", "55333335"},
  };
  const TRect opaque[] = {Rect(0, 1, 7, 6), Rect(1, 1, 7, 5), Rect(2, 1, 7, 6)};
  TEngineRig rig(TestActorPath("Tiny"));
  std::mutex lock;
  std::vector<std::vector<std::string>> drawn;
  std::vector<bool> shapes;
  rig.Recorder.Attach(rig.Engine.get(), [&] {
    TBitmap* picture = rig.Engine->Bitmap();
    std::vector<std::string> rows;
    for (int y = 0; y < picture->GetHeight(); ++y) {
      std::string row;
      for (int x = 0; x < picture->GetWidth(); ++x)
        row += static_cast<char>('0' + static_cast<const std::uint8_t*>(picture->ScanLine(y))[x]);
      rows.push_back(row);
    }
    HRGN shape = rig.Engine->CopyCurrentRegion();
    std::lock_guard<std::mutex> hold(lock);
    const TRect& r = opaque[std::min<std::size_t>(drawn.size(), 2)];
    HRGN expected = CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
    shapes.push_back(shape && EqualRgn(shape, expected));
    DeleteObject(expected);
    if (shape) DeleteObject(shape);
    drawn.push_back(rows);
  });
  ASSERT_TRUE(rig.Engine->LoadAnimation(4));
  rig.Engine->SetSpeed(1000);
  ASSERT_TRUE(rig.Play());
  std::lock_guard<std::mutex> hold(lock);
  ASSERT_EQ(drawn.size(), 3u);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(drawn[k], made[k]) << "frame " << k;
    EXPECT_TRUE(shapes[k]) << "frame " << k << "'s shape is not its opaque block";
  }
  for (int i : {1, 2, 3}) {
    std::optional<TPaletteEntry> e = rig.Actor.PaletteEntry(i);
    ASSERT_TRUE(e);
    EXPECT_EQ(std::vector<int>({e->Red, e->Green, e->Blue}), std::vector<int>({i, 255 - i, 7 * i})) << "colour " << i;
  }
}

TEST(Engine, ResetEmptiesEverything) {
  TEngineRig rig(TestActorPath("Tiny"));
  ASSERT_TRUE(rig.Engine->LoadAnimation(4));
  rig.Engine->SetSpeed(1000);
  ASSERT_TRUE(rig.Play());
  HRGN current = rig.Engine->CopyCurrentRegion();
  EXPECT_NE(current, nullptr);
  DeleteObject(current);
  rig.Engine->Reset();
  EXPECT_EQ(rig.Engine->CurrentAnimation(), 0);
  EXPECT_EQ(rig.Engine->FrameCount(), 0);
  EXPECT_EQ(rig.Engine->CopyCurrentRegion(), nullptr);
  EXPECT_TRUE(rig.Engine->Bitmap()->Empty());
  rig.Engine->SetRunning(true);
  EXPECT_FALSE(rig.Engine->IsRunning());
}

}  // namespace
}  // namespace horavox::test
