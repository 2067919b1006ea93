#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <vector>

#include "assistant/assistant.h"
#include "classlib/windows/application.h"
#include "classlib/core/exceptions.h"
#include "classlib/core/unicode.h"
#include "player_util.h"
#include "read_form.h"

namespace horavox::test {
namespace {

// Walker's records: 1 show, 2 hide, 3 rest, 4 idle, 5..12 the walks (endless loops).
constexpr int Show = 1, Hide = 2, Rest = 3, Idle = 4;

// An assistant on a test actor whose drawn animations are recorded; positions of the
// moves as OnMoving saw them.
struct TAssistantRig {
  TFrameRecorder Recorder;
  TAssistant* A = new TAssistant(nullptr);
  std::mutex Lock;
  std::vector<TPoint> Moves;
  std::atomic<int> MoveStarts{0}, MoveStops{0};

  explicit TAssistantRig(const std::string& actor = "Walker", bool open = true) {
    A->SetMute(true);
    A->SetSpeed(1000);
    A->SetAutoIdle(false);
    auto previous = A->Director()->Engine()->OnFrame;
    Recorder.Attach(A->Director()->Engine(), [this, previous] { previous(A->Director()->Engine()); });
    A->OnMoving = [this](TObject*) {
      std::lock_guard<std::mutex> hold(Lock);
      Moves.push_back({A->GetStageLeft(), A->GetStageTop()});
    };
    A->OnMoveStart = [this](TObject*) { ++MoveStarts; };
    A->OnMoveStop = [this](TObject*) { ++MoveStops; };
    if (open) A->SetActorLibrary(TestActorPath(actor));
  }
  ~TAssistantRig() { delete A; }
  std::vector<TPoint> MovesSeen() {
    std::lock_guard<std::mutex> hold(Lock);
    return Moves;
  }
  bool WaitStill() {
    return PumpMessagesUntil([&] { return !A->IsMoving(); });
  }
  // Waits until the recorded animations end with Tail.
  bool WaitForTail(std::vector<int> tail) {
    return PumpMessagesUntil([&] {
      std::vector<int> a = Recorder.Animations();
      return a.size() >= tail.size() && std::equal(tail.begin(), tail.end(), a.end() - static_cast<long>(tail.size()));
    }, 5000);
  }
};

TEST(Assistant, PlayAnimationGivesNothingWhileHiddenOrForZero) {
  TAssistantRig rig;
  EXPECT_EQ(rig.A->PlayAnimation(Rest), 0u);
  rig.A->ShowCharacter(true);
  EXPECT_EQ(rig.A->PlayAnimation(0), 0u);
  EXPECT_NE(rig.A->PlayAnimation(Rest), 0u);
}

TEST(Assistant, ShowAndHidePlayTheirAnimations) {
  {
    TAssistantRig rig;
    rig.A->ShowCharacter(false);
    EXPECT_TRUE(rig.A->IsShown());
    EXPECT_TRUE(rig.A->GetVisible());
    ASSERT_FALSE(rig.Recorder.Animations().empty());
    EXPECT_EQ(rig.Recorder.Animations().front(), Show);
    // A looping walk stops through its exit, then the rest pose, then the hide.
    rig.A->PlayAnimation(5);
    PumpMessagesUntil([&] { return rig.Recorder.Animations().back() == 5; });
    rig.A->HideCharacter(false);
    EXPECT_FALSE(rig.A->IsShown());
    EXPECT_FALSE(rig.A->GetVisible());
    std::vector<int> a = rig.Recorder.Animations();
    ASSERT_GE(a.size(), 3u);
    EXPECT_EQ(std::vector<int>(a.end() - 3, a.end()), (std::vector<int>{5, Rest, Hide}));
  }
  {
    // Without a show animation the rest pose comes instead.
    TAssistantRig rig("NoShow");
    rig.A->ShowCharacter(false);
    ASSERT_TRUE(rig.WaitForTail({1}));
    EXPECT_EQ(rig.Recorder.Animations().front(), 1);  // NoShow's rest pose
  }
}

TEST(Assistant, FastShowAndHideSkipTheirAnimations) {
  TAssistantRig rig;
  rig.A->SetFastShowHide(true);
  rig.A->SetVisible(true);
  EXPECT_TRUE(rig.A->IsShown());
  ASSERT_TRUE(rig.WaitForTail({Rest}));
  EXPECT_EQ(rig.Recorder.Animations(), std::vector<int>{Rest});
  rig.Recorder.Clear();
  rig.A->SetVisible(false);
  EXPECT_FALSE(rig.A->IsShown());
  Sleep(100);
  Application->ProcessMessages();
  EXPECT_TRUE(rig.Recorder.Animations().empty());
}

TEST(Assistant, ABlockingMoveStepsAlongItsMajorAxis) {
  TAssistantRig rig;
  rig.A->SetBlockingMove(true);
  rig.A->ShowCharacter(true);
  rig.A->SetStagePos(200, 200);
  rig.A->MoveStageTo(300, 210);  // (100, 10) at 8 pixels a step
  std::vector<TPoint> expected;
  for (int k = 1; k <= 10; ++k) expected.push_back({200 + 8 * k, 200 + k});
  expected.push_back({288, 210});
  expected.push_back({296, 210});
  EXPECT_EQ(rig.MovesSeen(), expected);
  EXPECT_EQ(rig.A->GetStageLeft(), 300);
  EXPECT_EQ(rig.A->GetStageTop(), 210);

  rig.Moves.clear();
  rig.A->SetMoveStep(0);  // ignored
  rig.A->SetMoveStep(4);
  rig.A->MoveStageTo(300, 173);  // (0, -37)
  expected.clear();
  for (int y = 206; y > 173; y -= 4) expected.push_back({300, y});
  EXPECT_EQ(rig.MovesSeen(), expected);
  EXPECT_EQ(rig.A->GetStageTop(), 173);

  // Its own place: no move at all.
  const int starts = rig.MoveStarts;
  rig.A->MoveStageTo(300, 173);
  EXPECT_EQ(rig.MoveStarts, starts);

  // The walk ends with the move: its exit, then the rest pose.
  EXPECT_TRUE(rig.WaitForTail({Rest}));
}

TEST(Assistant, AMoverInTheSameDirectionOnlyTakesTheNewTarget) {
  TAssistantRig rig;
  rig.A->ShowCharacter(true);
  rig.A->SetStagePos(100, 300);
  rig.A->SetMoveStep(2);
  rig.A->MoveStageTo(700, 300);
  PumpMessagesUntil([&] { return rig.A->GetStageLeft() > 110; });
  rig.A->MoveStageTo(400, 300);
  ASSERT_TRUE(rig.WaitStill());
  EXPECT_EQ(rig.MoveStarts, 1);
  EXPECT_EQ(rig.A->GetStageLeft(), 400);
  EXPECT_EQ(rig.A->GetStageTop(), 300);
}

TEST(Assistant, AMoverInAnotherDirectionEndsTheMoveFirst) {
  TAssistantRig rig;
  rig.A->ShowCharacter(true);
  rig.A->SetStagePos(100, 300);
  rig.A->SetMoveStep(2);
  rig.A->MoveStageTo(700, 300);
  PumpMessagesUntil([&] { return rig.A->GetStageLeft() > 130; });
  rig.A->MoveStageTo(100, 200);  // up and left
  EXPECT_EQ(rig.MoveStops, 1);   // the first ended before the second began
  const int stoppedAt = rig.MovesSeen().back().X;
  ASSERT_TRUE(rig.WaitStill());
  EXPECT_EQ(rig.MoveStarts, 2);
  EXPECT_EQ(rig.A->GetStageLeft(), 100);
  EXPECT_EQ(rig.A->GetStageTop(), 200);
  // The second move started where the first stopped.
  std::vector<TPoint> moves = rig.MovesSeen();
  auto second = std::find_if(moves.begin(), moves.end(), [](TPoint p) { return p.Y < 300; });
  ASSERT_NE(second, moves.end());
  EXPECT_LE(second->X, stoppedAt);
  EXPECT_GE(second->X, stoppedAt - 2);
}

TEST(Assistant, ANestedMoveInAnotherDirectionEndsABlockingMove) {
  TAssistantRig rig;
  rig.A->SetBlockingMove(true);
  rig.A->ShowCharacter(true);
  rig.A->SetStagePos(100, 300);
  TPoint nestedAt{};
  bool nested = false;
  rig.A->OnMoving = [&](TObject*) {
    if (nested || rig.A->GetStageLeft() < 140) return;
    nested = true;
    nestedAt = {rig.A->GetStageLeft(), rig.A->GetStageTop()};
    rig.A->MoveStageTo(100, 100);
  };
  rig.A->MoveStageTo(400, 300);
  EXPECT_TRUE(nested);
  EXPECT_EQ(rig.MoveStarts, 1);  // none started
  EXPECT_EQ(rig.A->GetStageLeft(), nestedAt.X);
  EXPECT_EQ(rig.A->GetStageTop(), nestedAt.Y);
  EXPECT_FALSE(rig.A->IsMoving());
}

TEST(Assistant, StopPlayingWithAndWithoutTheRestPose) {
  TAssistantRig rig;
  rig.A->ShowCharacter(true);
  ASSERT_TRUE(rig.WaitForTail({Rest}));
  rig.A->PlayAnimation(6);
  ASSERT_TRUE(rig.WaitForTail({6}));
  rig.A->StopPlaying(true);
  Sleep(100);
  Application->ProcessMessages();
  EXPECT_EQ(rig.Recorder.Animations().back(), 6);
  rig.A->PlayAnimation(7);
  ASSERT_TRUE(rig.WaitForTail({7}));
  rig.A->StopPlaying(false);
  EXPECT_TRUE(rig.WaitForTail({7, Rest}));
}

TEST(Assistant, AfterAWanderTheCharacterRestsThenIdles) {
  TAssistantRig rig;
  rig.A->SetMinIdleTime(50);
  rig.A->SetMaxIdleTime(60);
  rig.A->ShowCharacter(true);
  rig.A->SetStagePos(100, 300);
  rig.A->SetMoveStep(20);
  rig.A->MoveStageTo(200, 300);
  ASSERT_TRUE(rig.WaitStill());
  ASSERT_TRUE(rig.WaitForTail({Rest}));
  rig.A->SetAutoIdle(true);
  EXPECT_TRUE(rig.WaitForTail({Idle}));
}

TEST(Assistant, TheActorLibrary) {
  TAssistantRig rig("Tiny", false);
  int changes = 0;
  rig.A->OnChange = [&](TObject*) { ++changes; };
  // Missing: the file's name and "File not found".
  try {
    rig.A->SetActorLibrary(TestActorPath("Missing"));
    ADD_FAILURE() << "no error";
  } catch (const EActorError& e) {
    EXPECT_NE(std::string(e.what()).find("Missing.aal"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("File not found"), std::string::npos);
  }
  EXPECT_TRUE(rig.A->Director()->Actor()->IsClosed());
  rig.A->SetActorLibrary(TestActorPath("Tiny"));
  EXPECT_EQ(rig.A->GetStageWidth(), 8);
  changes = 0;
  // The same path in other letter case changes nothing.
  String upper = TestActorPath("TINY");
  rig.A->SetActorLibrary(upper);
  EXPECT_EQ(changes, 0);
  rig.A->ShowCharacter(true);
  // An invalid one while shown: hidden, but still meant to be visible.
  EXPECT_THROW(rig.A->SetActorLibrary(TestActorPath("NotALibrary")), EActorError);
  EXPECT_FALSE(rig.A->IsShown());
  EXPECT_TRUE(rig.A->GetVisible());
  // A valid one shows it; another character brings its own size.
  rig.A->SetActorLibrary(CharacterPath("Angel"));
  EXPECT_TRUE(rig.A->IsShown());
  EXPECT_EQ(rig.A->GetStageWidth(), rig.A->Director()->Actor()->FrameWidth());
  EXPECT_GT(rig.A->GetStageWidth(), 8);
  rig.A->SetActorLibrary(TestActorPath("Tiny"));
  EXPECT_EQ(rig.A->GetStageWidth(), 8);
  EXPECT_TRUE(rig.A->IsShown());
}

TEST(Assistant, ShowingWithoutAnActorWaitsForOne) {
  TAssistantRig rig("Walker", false);
  rig.A->SetVisible(true);
  EXPECT_FALSE(rig.A->IsShown());
  EXPECT_TRUE(rig.A->GetVisible());
  rig.A->SetActorLibrary(TestActorPath("Walker"));
  EXPECT_TRUE(rig.A->IsShown());
}

TEST(Assistant, DestructionMidMoveAndMidLoopEndsEveryThread) {
  const int before = ThreadCount();
  {
    TAssistantRig rig;
    rig.A->ShowCharacter(true);
    rig.A->SetStagePos(100, 300);
    rig.A->SetMoveStep(1);
    rig.A->MoveStageTo(900, 300);
    PumpMessagesUntil([&] { return rig.A->GetStageLeft() > 105; });
    ASSERT_TRUE(rig.A->IsMoving());
  }
  {
    TAssistantRig rig;
    rig.A->ShowCharacter(true);
    rig.A->PlayAnimation(8);
    ASSERT_TRUE(rig.WaitForTail({8}));
  }
  PumpMessagesUntil([&] { return ThreadCount() <= before; }, 3000);
  EXPECT_LE(ThreadCount(), before);
}


TEST(Assistant, ReadFromAForm) {
  const std::string tiny = TestActorPath("Tiny");
  std::unique_ptr<TComponent> read = ReadFromText(
      "object Assistant1: TAssistant\n"
      "  ActorLibrary = '" + tiny + "'\n"
      "  FastShowHide = True\n"
      "  Mute = True\n"
      "  Visible = True\n"
      "  Balloon.Color = clWhite\n"
      "  GuideDlg.Title = 'Guide'\n"
      "  GuideDlg.Topics.Strings = (\n    'One'\n    'Two'\n    'Three')\n"
      // Two topics' options for three lines: the third keeps (-1, 0).
      "  GuideDlg.Topics.Options = {0500000000FFFFFFFF03}\n"
      // Ten bytes for one line: the rest is ignored.
      "  HintDlg.Topics.Strings = (\n    'Only')\n"
      "  HintDlg.Topics.Options = {07000000010900000001}\n"
      "end\n");
  auto* a = dynamic_cast<TAssistant*>(read.get());
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->IsShown());  // shown once loaded
  EXPECT_EQ(a->GetBalloon()->GetColor(), clWhite);
  EXPECT_EQ(a->GetGuideDlg()->GetTitle(), "Guide");
  TTopicsList* topics = a->GetGuideDlg()->GetTopics();
  ASSERT_EQ(topics->Count(), 3);
  EXPECT_EQ(topics->Topic(0)->Value, 5);
  EXPECT_EQ(topics->Topic(0)->Flag, 0);
  EXPECT_EQ(topics->Topic(1)->Value, -1);
  EXPECT_EQ(topics->Topic(1)->Flag, 3);
  EXPECT_EQ(topics->Topic(2)->Value, -1);
  EXPECT_EQ(topics->Topic(2)->Flag, 0);
  TTopicsList* hint = a->GetHintDlg()->GetTopics();
  ASSERT_EQ(hint->Count(), 1);
  EXPECT_EQ(hint->Topic(0)->Value, 7);
  EXPECT_EQ(hint->Topic(0)->Flag, 1);

  // An unusable stored path leaves the character without an actor, without an error.
  std::unique_ptr<TComponent> bad;
  EXPECT_NO_THROW(bad = ReadFromText("object Assistant2: TAssistant\n  ActorLibrary = '" +
                                     TestActorPath("NotALibrary") + "'\n  Visible = True\nend\n"));
  auto* b = dynamic_cast<TAssistant*>(bad.get());
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->Director()->Actor()->IsClosed());
  EXPECT_FALSE(b->IsShown());
}

// The screen around a rectangle, saved among the test artifacts.
void SaveScreen(const TRect& r, const std::string& name) {
  TBitmap shot;
  shot.SetPixelFormat(pf32bit);
  shot.SetSize(r.Width(), r.Height());
  HDC screen = GetDC(nullptr);
  BitBlt(shot.Canvas()->GetHandle(), 0, 0, r.Width(), r.Height(), screen, r.Left, r.Top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  std::filesystem::create_directories(Utf8ToWide(HORAVOX_ARTIFACT_DIR));
  shot.SaveToFile(std::string(HORAVOX_ARTIFACT_DIR) + "/" + name);
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

TEST(Assistant, ShowsAngelWithABalloonAndWalks) {
  TAssistant* a = new TAssistant(nullptr);
  a->SetMute(true);
  a->SetAutoIdle(false);
  a->SetFastShowHide(true);
  a->SetActorLibrary(CharacterPath("Angel"));
  a->SetStagePos(300, 400);
  a->SetVisible(true);
  TAssistantBalloon* balloon = a->BalloonForm();
  balloon->ShowText("Который час? Пора вставать!");
  ASSERT_TRUE(PumpMessagesUntil([&] { return balloon->IsShown() && balloon->ClientPanel->GetVisible(); }));
  PumpMessagesUntil([] { return false; }, 300);
  RECT before{};
  GetWindowRect(balloon->GetHandle(), &before);
  SaveScreen({200, 150, 800, 700}, "assistant-angel-balloon.bmp");
  // The balloon's body shows its colour on the screen, above the character.
  TPoint centre = balloon->ClientPanel->ClientToScreen({balloon->ClientPanel->GetWidth() - 4, 2});
  EXPECT_EQ(ScreenPixel(centre.X, centre.Y), ColorToRGB(balloon->BalloonOptions()->GetColor()));
  EXPECT_EQ(balloon->Side(), 1);

  a->SetMoveStep(6);
  a->MoveStageTo(450, 400);
  ASSERT_TRUE(PumpMessagesUntil([&] { return !a->IsMoving(); }));
  PumpMessagesUntil([] { return false; }, 300);
  EXPECT_EQ(a->GetStageLeft(), 450);
  RECT after{};
  GetWindowRect(balloon->GetHandle(), &after);
  EXPECT_EQ(after.left - before.left, 150);  // it followed the character
  EXPECT_TRUE(IsWindowVisible(balloon->GetHandle()));
  SaveScreen({200, 150, 800, 700}, "assistant-angel-walked.bmp");
  delete a;
}

}  // namespace
}  // namespace horavox::test
