#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "assistant/stage.h"
#include "classlib/windows/application.h"
#include "classlib/core/messages.h"
#include "classlib/core/unicode.h"
#include "player_util.h"

namespace horavox::test {
namespace {

bool Topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// A director on an actor and a stage whose shape follows every frame; the director is freed
// first (frames, then threads, then the window).
struct TStageRig {
  TFrameRecorder Recorder;
  std::atomic<int> Mismatches{0};
  std::atomic<bool> CheckShape{true};
  std::unique_ptr<TAssistantDirector> Director = std::make_unique<TAssistantDirector>();
  std::unique_ptr<TAssistantStage> Stage = std::make_unique<TAssistantStage>(Director.get());

  explicit TStageRig(const std::string& path, int speed = 1000) {
    Director->SetAutoIdle(false);
    Director->Engine()->SetMute(true);
    Director->Engine()->SetSpeed(speed);
    Recorder.Attach(Director->Engine(), [this] {
      Stage->UpdateRegion();
      if (CheckShape && !ShapeIsFrame()) ++Mismatches;
    });
    Director->Actor()->SetFileName(path);
    Director->SetActive(true);
    Stage->SetBounds(200, 150, Director->Actor()->FrameWidth() + 24, Director->Actor()->FrameHeight() + 24);
  }
  ~TStageRig() {
    Director.reset();
    Stage.reset();
  }
  HWND Window() { return Stage->GetHandle(); }
  // The window's shape is the current frame's region, joined with the shown bulb's.
  bool ShapeIsFrame() {
    HRGN expected = Director->Engine()->CopyCurrentRegion();
    if (!expected) expected = CreateRectRgn(0, 0, 0, 0);
    if (Stage->Bulb()->GetShown()) {
      HRGN bulb = CreateRectRgn(0, 0, 0, 0);
      CombineRgn(bulb, Stage->Bulb()->Region(), nullptr, RGN_COPY);
      OffsetRgn(bulb, Stage->Bulb()->GetLeft(), Stage->Bulb()->GetTop());
      CombineRgn(expected, expected, bulb, RGN_OR);
      DeleteObject(bulb);
    }
    HRGN actual = CreateRectRgn(0, 0, 0, 0);
    bool same = GetWindowRgn(Stage->GetHandle(), actual) != ERROR && EqualRgn(actual, expected);
    DeleteObject(actual);
    DeleteObject(expected);
    return same;
  }
};

TEST(Stage, ItsShapeIsEachFrameWithTheBulbJoined) {
  TStageRig rig(TestActorPath("Tiny"));
  rig.Stage->ShowStage(true);
  EXPECT_TRUE(rig.ShapeIsFrame());  // no frame yet: empty
  ASSERT_TRUE(rig.Director->WaitFor(rig.Director->Play(4)));
  rig.Stage->Bulb()->SetShown(true);
  EXPECT_EQ(rig.Stage->Bulb()->GetLeft(), rig.Stage->GetWidth() - rig.Stage->Bulb()->GetWidth());
  EXPECT_TRUE(rig.ShapeIsFrame());
  ASSERT_TRUE(rig.Director->WaitFor(rig.Director->Play(1)));
  EXPECT_EQ(rig.Recorder.Count(), 5u);
  EXPECT_EQ(rig.Mismatches, 0);
  // The bulb is its first glyph's opaque pixels: a bulb narrower than its box.
  RECT box{};
  ASSERT_NE(GetRgnBox(rig.Stage->Bulb()->Region(), &box), NULLREGION);
  EXPECT_EQ(rig.Stage->Bulb()->GetWidth(), 16);
  EXPECT_EQ(rig.Stage->Bulb()->GetHeight(), 20);
  EXPECT_FALSE(PtInRegion(rig.Stage->Bulb()->Region(), 0, 19));
  EXPECT_TRUE(PtInRegion(rig.Stage->Bulb()->Region(), 7, 7));
}

TEST(Stage, StaysEnabledAndHitsNowhereWhileDisabled) {
  TStageRig rig(TestActorPath("Tiny"));
  rig.Stage->ShowStage(true);
  EXPECT_EQ(SendMessageW(rig.Window(), WM_NCHITTEST, 0, MAKELPARAM(205, 155)), HTCLIENT);
  EnableWindow(rig.Window(), FALSE);  // as a modal window does
  EXPECT_TRUE(IsWindowEnabled(rig.Window()));
  rig.Stage->SetEnabled(false);
  EXPECT_TRUE(IsWindowEnabled(rig.Window()));
  EXPECT_EQ(SendMessageW(rig.Window(), WM_NCHITTEST, 0, MAKELPARAM(205, 155)), HTNOWHERE);
  rig.Stage->SetEnabled(true);
  EXPECT_EQ(SendMessageW(rig.Window(), WM_NCHITTEST, 0, MAKELPARAM(205, 155)), HTCLIENT);
}

TEST(Stage, AClickNeverActivatesItAndBringsAnInactiveApplicationForward) {
  TStageRig rig(TestActorPath("Tiny"));
  int forward = 0;
  rig.Stage->BringApplicationToFront = [&] { ++forward; };
  rig.Stage->ShowStage(true);
  HWND app = Application->Handle();
  SendMessageW(app, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(SendMessageW(rig.Window(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(rig.Window()),
                         MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_NOACTIVATEANDEAT);
  EXPECT_EQ(forward, 1);
  SendMessageW(app, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_EQ(SendMessageW(rig.Window(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(rig.Window()),
                         MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_NOACTIVATE);
  EXPECT_EQ(forward, 1);
  EXPECT_NE(GetActiveWindow(), rig.Window());
}

TEST(Stage, IsTopmostWhileTheApplicationIsActiveOrAlwaysOnTop) {
  TStageRig rig(TestActorPath("Tiny"));
  rig.Stage->ShowStage(true);
  EXPECT_TRUE(Topmost(rig.Window()));
  HWND app = Application->Handle();
  rig.Stage->SetAlwaysOnTop(false);
  EXPECT_TRUE(Topmost(rig.Window()));  // takes effect at the next activation change
  struct TCase {
    bool alwaysOnTop;
    BOOL active;
    bool topmost;
  };
  for (TCase c : {TCase{false, FALSE, false}, TCase{false, TRUE, true}, TCase{true, FALSE, true}, TCase{false, FALSE, false}}) {
    rig.Stage->SetAlwaysOnTop(c.alwaysOnTop);
    SendMessageW(app, WM_ACTIVATEAPP, c.active, 0);
    EXPECT_EQ(Topmost(rig.Window()), c.topmost) << c.alwaysOnTop << " " << c.active;
  }
  rig.Stage->UpdateZOrder();
  EXPECT_TRUE(Topmost(rig.Window()));  // shown or re-placed: topmost whatever AlwaysOnTop says
  SendMessageW(app, WM_ACTIVATEAPP, TRUE, 0);
}

TEST(Stage, DragsOnlyWithTheLeftButtonAlone) {
  TStageRig rig(TestActorPath("Tiny"));
  rig.Stage->ShowStage(true);
  int starts = 0, stops = 0, moving = 0, loops = 0;
  rig.Stage->OnDragStart = [&](TObject*) { ++starts; };
  rig.Stage->OnDragStop = [&](TObject*) { ++stops; };
  rig.Stage->OnDragging = [&](TObject*) { ++moving; };
  rig.Stage->MoveLoop = [&](TAssistantStage* stage) {
    ++loops;
    EXPECT_TRUE(stage->Dragging());
    RECT r{0, 0, 10, 10};
    SendMessageW(stage->GetHandle(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
  };
  struct TCase {
    WPARAM keys;
    bool draggable;
    int drags;
  };
  const TCase cases[] = {{MK_LBUTTON, true, 1},         {MK_LBUTTON | MK_RBUTTON, true, 0}, {MK_LBUTTON | MK_SHIFT, true, 0},
                         {MK_LBUTTON | MK_CONTROL, true, 0}, {0, true, 0},                     {MK_LBUTTON, false, 0}};
  for (const TCase& c : cases) {
    starts = stops = moving = loops = 0;
    rig.Stage->SetDraggable(c.draggable);
    SendMessageW(rig.Window(), WM_MOUSEMOVE, c.keys, MAKELPARAM(3, 3));
    EXPECT_EQ(loops, c.drags) << c.keys;
    EXPECT_EQ(starts, c.drags) << c.keys;
    EXPECT_EQ(stops, c.drags) << c.keys;
    EXPECT_EQ(moving, c.drags) << c.keys;
    EXPECT_FALSE(rig.Stage->Dragging());
  }
  // A move by program after the drag reports no dragging.
  RECT r{0, 0, 10, 10};
  SendMessageW(rig.Window(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(moving, 0);

  // A move loop that fails still ends the drag.
  std::vector<std::string> errors;
  Application->OnException = [&](TObject*, const std::exception& e) { errors.push_back(e.what()); };
  rig.Stage->SetDraggable(true);
  rig.Stage->MoveLoop = [](TAssistantStage*) { throw Exception("the loop failed"); };
  starts = stops = 0;
  SendMessageW(rig.Window(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(3, 3));
  Application->OnException = nullptr;
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(rig.Stage->Dragging());
  EXPECT_EQ(errors, std::vector<std::string>{"the loop failed"});
}

TEST(Stage, ShownAndHiddenFromAWorkerWithoutActivation) {
  TStageRig rig(TestActorPath("Tiny"));
  rig.Stage->HandleNeeded();
  HWND before = GetActiveWindow();
  // The worker shapes the window, which waits for this thread: wait handling messages.
  auto onWorker = [](std::function<void()> call) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      call();
      done = true;
    });
    bool ended = PumpMessagesUntil([&] { return done.load(); });
    worker.join();
    return ended;
  };
  ASSERT_TRUE(onWorker([&] { rig.Stage->ShowStage(true); }));
  ASSERT_TRUE(PumpMessagesUntil([&] { return rig.Stage->GetVisible() && IsWindowVisible(rig.Window()); }));
  EXPECT_EQ(GetActiveWindow(), before);
  ASSERT_TRUE(onWorker([&] { rig.Stage->ShowStage(false); }));
  ASSERT_TRUE(PumpMessagesUntil([&] { return !rig.Stage->GetVisible() && !IsWindowVisible(rig.Window()); }));
}

TEST(Stage, StressPlayStopCancelAndDeactivateWhileItPaintsThenDestroyMidAnimation) {
  const int threadsBefore = ThreadCount();
  auto rig = std::make_unique<TStageRig>(TestActorPath("Tiny"), 10000);
  rig->CheckShape = false;
  rig->Stage->ShowStage(true);
  TAssistantDirector* director = rig->Director.get();
  const ULONGLONG deadline = GetTickCount64() + 60000;  // bounded, whatever happens
  int rounds = 0;
  for (; rounds < 1000 && GetTickCount64() < deadline; ++rounds) {
    std::uint32_t id = director->Play(9);
    director->Play(rounds % 7 + 1);
    if (rounds % 3 == 0) director->Stop(rounds % 2 == 0);
    else director->Cancel(id);
    if (rounds % 25 == 0) {
      director->SetActive(false);
      director->SetActive(true);
    }
    rig->Stage->Repaint();
    Application->ProcessMessages();
  }
  EXPECT_EQ(rounds, 1000);
  director->Play(9);
  const std::size_t drawn = rig->Recorder.Count();
  ASSERT_TRUE(PumpMessagesUntil([&] { return rig->Recorder.Count() > drawn + 10; }));
  // Mid-animation: frames, threads, then the window.
  rig->Director.reset();
  const std::size_t last = rig->Recorder.Count();
  rig->Stage.reset();
  PumpMessagesUntil([] { return false; }, 50);
  EXPECT_EQ(rig->Recorder.Count(), last) << "no frame after the director is gone";
  rig.reset();
  EXPECT_TRUE(PumpMessagesUntil([&] { return ThreadCount() <= threadsBefore; }, 5000))
      << ThreadCount() << " threads, " << threadsBefore << " before";
}

TEST(Stage, ShowsAngelInItsColoursOverTheWindowBelow) {
  const TColor backdropColour = clLime;
  auto backdrop = std::make_unique<TForm>(nullptr, CreateNew);
  backdrop->SetBorderStyle(bsNone);
  backdrop->SetColor(backdropColour);
  backdrop->SetBounds(150, 100, 260, 260);
  backdrop->Show();
  TStageRig rig(CharacterPath("Angel"));
  rig.Stage->SetBounds(200, 150, rig.Director->Actor()->FrameWidth(), rig.Director->Actor()->FrameHeight());
  rig.Stage->ShowStage(true);
  ASSERT_TRUE(rig.Director->WaitFor(rig.Director->PlayCategory(CategoryRestPose)));
  rig.Stage->Update();
  backdrop->Update();
  Application->ProcessMessages();

  const int w = rig.Stage->GetWidth(), h = rig.Stage->GetHeight();
  TBitmap shot;
  shot.SetPixelFormat(pf32bit);
  shot.SetSize(w, h);
  HDC screen = GetDC(nullptr);
  BitBlt(shot.Canvas()->GetHandle(), 0, 0, w, h, screen, 200, 150, SRCCOPY);
  ReleaseDC(nullptr, screen);
  std::filesystem::create_directories(Utf8ToWide(HORAVOX_ARTIFACT_DIR));
  shot.SaveToFile(std::string(HORAVOX_ARTIFACT_DIR) + "/assistant-stage-angel.bmp");

  HRGN shape = rig.Director->Engine()->CopyCurrentRegion();
  ASSERT_NE(shape, nullptr);
  TBitmap* frame = rig.Director->Engine()->Bitmap();
  const COLORREF below = ColorToRGB(backdropColour);
  int figure = 0, through = 0, wrong = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      COLORREF seen = ColorToRGB(shot.Canvas()->GetPixels(x, y));
      COLORREF expected = below;
      if (PtInRegion(shape, x, y)) {
        int index = static_cast<std::uint8_t*>(frame->ScanLine(y))[x];
        TPaletteEntry e = *rig.Director->Actor()->PaletteEntry(index);
        expected = RGB(e.Red, e.Green, e.Blue);
        ++figure;
      } else {
        ++through;
      }
      if (seen != expected) ++wrong;
    }
  DeleteObject(shape);
  EXPECT_GT(figure, w * h / 10);
  EXPECT_GT(through, w * h / 10);
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace horavox::test
