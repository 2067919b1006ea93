// The modal-window attention hook: its rules as functions, its filter called directly,
// its life with several components, and once for real under a modal window.
#include <gtest/gtest.h>

#include <atomic>

#include "classlib/windows/application.h"
#include "desktop/modalhook.h"
#include "tests/classlib/gui_test_util.h"

using namespace guitest;

namespace {

TEST(DskStepsOntoDesktop, StepsTenPixelsAtATimeAndAlwaysEnds) {
  const TRect desk = Rect(0, 0, 1024, 768);
  EXPECT_EQ(DskStepsOntoDesktop(Rect(-25, 100, 175, 300), desk),
            (std::vector<TPoint>{{-15, 100}, {-5, 100}, {5, 100}}));
  EXPECT_EQ(DskStepsOntoDesktop(Rect(900, 700, 1100, 800), desk),
            (std::vector<TPoint>{{890, 690}, {880, 680}, {870, 670}, {860, 660}, {850, 660}, {840, 660},
                                 {830, 660}, {820, 660}}));
  EXPECT_TRUE(DskStepsOntoDesktop(Rect(10, 10, 110, 110), desk).empty());
  // Wider than the desktop: to its left edge once, and then only the height is stepped.
  EXPECT_EQ(DskStepsOntoDesktop(Rect(-50, -12, 1100, 100), desk), (std::vector<TPoint>{{0, -12}, {0, -2}, {0, 8}}));
  EXPECT_EQ(DskStepsOntoDesktop(Rect(0, 5, 1100, 900), desk), (std::vector<TPoint>{{0, 0}}));
  // Almost as wide as the desktop: no step pushes the other edge off.
  auto steps = DskStepsOntoDesktop(Rect(-3, 0, 1016, 100), desk);
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0].X, 5);
}

TEST(TDskModalWatch, ChoosesByTheWindowsShareOfTheScreen) {
  const TPoint screen{1000, 1000};
  EXPECT_EQ(DskAutoResponse({400, 300}, screen, 30), tlruMoveWindow);  // 12 %
  EXPECT_EQ(DskAutoResponse({600, 500}, screen, 30), tlruMoveWindow);  // 30 %: not above
  EXPECT_EQ(DskAutoResponse({600, 600}, screen, 30), tlruMoveMouse);   // 36 %
  EXPECT_EQ(DskAutoResponse({600, 600}, screen, 50), tlruMoveWindow);
  TDskModalWatch hook(nullptr);
  for (auto [set, read] : {std::pair{0, 1}, {150, 100}, {50, 50}}) {
    hook.SetPercentWindow(set);
    EXPECT_EQ(hook.GetPercentWindow(), read);
  }
  hook.SetSpeedAnimSliding(0);
  EXPECT_EQ(hook.GetSpeedAnimSliding(), 1);
}

class TRecordingCalls : public TDskModalCalls {
 public:
  int NextHooks = 0;
  std::vector<unsigned> Flashes;
  LRESULT CallNextHook(int, WPARAM, LPARAM) override {
    ++NextHooks;
    return 42;
  }
  bool FlashCaption(HWND, unsigned Count, unsigned) override {
    Flashes.push_back(Count);
    return true;
  }
  void Pause(unsigned) override {}
};

class TRecordingHook : public TDskModalWatch {
 public:
  using TDskModalWatch::React;
  using TDskModalWatch::TDskModalWatch;
  std::vector<TPoint> Reactions;

 protected:
  void React(TPoint Point, HWND) override { Reactions.push_back(Point); }
};

class ModalHookTest : public ::testing::Test {
 protected:
  TRecordingCalls calls;
  TDskModalCallsScope scope{calls};
  std::unique_ptr<TForm> form{new TForm(nullptr, CreateNew)};

  void SetUp() override {
    form->SetBounds(100, 100, 300, 200);
    form->Show();
  }
  LRESULT Press(UINT Message, TPoint At) {
    MOUSEHOOKSTRUCT info{};
    info.pt = {At.X, At.Y};
    info.hwnd = form->GetHandle();
    info.wHitTestCode = HTERROR;
    return TDskModalWatch::HookProc(HC_ACTION, Message, reinterpret_cast<LPARAM>(&info));
  }
  TPoint Caption() {
    RECT r;
    GetWindowRect(form->GetHandle(), &r);
    return {r.left + 40, r.top + 5};
  }
  TPoint Client() { return form->ClientToScreen({20, 20}); }
};

TEST_F(ModalHookTest, OnlyAPressOnADisabledWindowsFrameReacts) {
  TRecordingHook hook(nullptr);
  EXPECT_EQ(Press(WM_NCLBUTTONDOWN, Caption()), 0);  // enabled: nothing
  EnableWindow(form->GetHandle(), FALSE);
  EXPECT_EQ(Press(WM_NCLBUTTONDOWN, Client()), 0);  // its client area: nothing
  EXPECT_EQ(Press(WM_LBUTTONDOWN, Caption()), 0);   // not a press on the frame
  EXPECT_TRUE(hook.Reactions.empty());
  EXPECT_EQ(Press(WM_NCLBUTTONDOWN, Caption()), 0);
  EXPECT_EQ(hook.Reactions, std::vector<TPoint>{Caption()});
  EXPECT_EQ(calls.NextHooks, 4);  // always passed on
  EXPECT_EQ(TDskModalWatch::HookProc(-1, WM_NCLBUTTONDOWN, 0), 42);
  EnableWindow(form->GetHandle(), TRUE);
}

TEST_F(ModalHookTest, TheNewestActiveComponentReactsAndTheLastOneUnhooks) {
  EXPECT_EQ(TDskModalWatch::Hook(), nullptr);
  auto* older = new TRecordingHook(nullptr);
  HHOOK hook = TDskModalWatch::Hook();
  ASSERT_NE(hook, nullptr);
  older->SetActive(true);  // once more: no second hook
  auto* newer = new TRecordingHook(nullptr);
  EXPECT_EQ(TDskModalWatch::Hook(), hook);
  EnableWindow(form->GetHandle(), FALSE);
  Press(WM_NCLBUTTONDOWN, Caption());
  EXPECT_EQ(newer->Reactions.size(), 1u);
  EXPECT_TRUE(older->Reactions.empty());
  delete newer;  // the older one goes on, on the same hook
  EXPECT_EQ(TDskModalWatch::Hook(), hook);
  Press(WM_NCLBUTTONDOWN, Caption());
  EXPECT_EQ(older->Reactions.size(), 1u);
  older->SetActive(false);
  EXPECT_EQ(TDskModalWatch::Hook(), nullptr);
  Press(WM_NCLBUTTONDOWN, Caption());  // nobody left to react
  EXPECT_EQ(older->Reactions.size(), 1u);
  delete older;
  EnableWindow(form->GetHandle(), TRUE);
}

class TPlainHook : public TDskModalWatch {
 public:
  using TDskModalWatch::React;
  using TDskModalWatch::TDskModalWatch;
};

TEST_F(ModalHookTest, TheCaptionFlashesAsOftenAsAskedAndNotAtZero) {
  ASSERT_TRUE(BringToFront(form->GetHandle()));
  TPlainHook hook(nullptr);
  hook.ResponseOnUser = tlruMoveWindow;
  hook.AnimMoveWindow = tlmwAnimNot;
  hook.CountFlash = 0;
  hook.React({250, 200}, form->GetHandle());
  EXPECT_TRUE(calls.Flashes.empty());
  hook.CountFlash = 3;
  hook.React({250, 200}, form->GetHandle());
  EXPECT_EQ(calls.Flashes, std::vector<unsigned>{3});
  // Moved at once with its centre on the point.
  RECT r;
  GetWindowRect(form->GetHandle(), &r);
  EXPECT_EQ((r.left + r.right) / 2, 250);
  EXPECT_EQ((r.top + r.bottom) / 2, 200);
}

TEST(ModalHook, APressOnTheDisabledFormBringsTheModalWindowToIt) {
  std::unique_ptr<TForm> main(new TForm(nullptr, CreateNew));
  main->SetCaption("Главное окно");
  main->SetBounds(60, 200, 400, 300);
  main->SetFormStyle(fsStayOnTop);  // over the other test programs' windows
  main->Show();
  ASSERT_TRUE(BringToFront(main->GetHandle()));
  auto* hook = new TDskModalWatch(main.get());
  hook->ResponseOnUser = tlruMoveWindow;
  hook->AnimMoveWindow = tlmvAnimSliding;
  hook->SetSpeedAnimSliding(5);
  hook->CountFlash = 0;
  std::unique_ptr<TForm> modal(new TForm(nullptr, CreateNew));
  modal->SetCaption("Модальное окно");
  modal->SetBounds(600, 400, 200, 150);
  RECT mainRect;
  GetWindowRect(main->GetHandle(), &mainRect);
  const POINT press{mainRect.left + 150, mainRect.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 3};
  std::atomic<bool> arrived{false};
  TDialogWatcher watcher(
      GetCurrentThreadId(), [](HWND w) { return TextOf(w) == L"Модальное окно"; },
      [&](HWND dialog) {
        Sleep(200);  // the modal loop runs and the main form is disabled
        // Other test programs share the display and the mouse: press again until it comes.
        for (int attempt = 0; attempt < 10 && !arrived; ++attempt) {
          INPUT input[3]{};
          for (INPUT& i : input) i.type = INPUT_MOUSE;
          input[0].mi.dx = MulDiv(press.x, 0xFFFF, GetSystemMetrics(SM_CXSCREEN) - 1);
          input[0].mi.dy = MulDiv(press.y, 0xFFFF, GetSystemMetrics(SM_CYSCREEN) - 1);
          input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
          input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
          input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
          SendInput(3, input, sizeof(INPUT));
          for (int i = 0; i < 50 && !arrived; ++i) {
            RECT r;
            GetWindowRect(dialog, &r);
            arrived = std::abs((r.left + r.right) / 2 - press.x) <= 5 && std::abs((r.top + r.bottom) / 2 - press.y) <= 5;
            Sleep(10);
          }
        }
        PostMessageW(dialog, WM_CLOSE, 0, 0);
      });
  modal->ShowModal();
  EXPECT_TRUE(arrived);
}

}  // namespace
