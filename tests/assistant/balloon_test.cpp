#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "assistant/assistant.h"
#include "classlib/windows/application.h"
#include "classlib/core/messages.h"
#include "classlib/core/monitors.h"
#include "player_util.h"

namespace horavox::test {
namespace {

// One 1024 × 768 monitor (its work area above a 28-pixel task bar).
const TRect Area{0, 0, 1024, 768};

// A character on Tiny (8 × 6) with its balloon, on the injected monitor.
struct TBalloonRig {
  TFixedMonitors Monitors{{{Area, {0, 0, 1024, 740}}}};
  TSeamScope<TMonitorSystem> Scope{Monitors};
  TAssistant* A = new TAssistant(nullptr);
  TAssistantBalloon* B = A->BalloonForm();
  int Shown = 0, Hidden = 0;

  TBalloonRig() {
    A->SetMute(true);
    A->SetSpeed(1000);
    A->SetAutoIdle(false);
    A->SetActorLibrary(TestActorPath("Tiny"));
    A->OnBalloonShow = [this](TObject*) { ++Shown; };
    A->OnBalloonHide = [this](TObject*) { ++Hidden; };
    A->ShowCharacter(true);
  }
  ~TBalloonRig() { delete A; }
  bool WaitShown() {
    return PumpMessagesUntil([&] { return B->IsShown() && B->ClientPanel->GetVisible(); }, 3000);
  }
  TRect Window() {
    RECT r{};
    GetWindowRect(B->GetHandle(), &r);
    return {r.left, r.top, r.right, r.bottom};
  }
};

bool Inside(const TRect& r, const TRect& area) {
  return r.Left >= area.Left && r.Top >= area.Top && r.Right <= area.Right && r.Bottom <= area.Bottom;
}

TEST(Balloon, ItTakesTheSideWhereItFits) {
  TBalloonRig rig;
  struct TCase {
    const char* What;
    TPoint Stage;
    bool RightToLeft, Tips;
    int Side;
  };
  const TCase cases[] = {
      {"top-left", {10, 10}, false, false, 3},      {"top-right", {1006, 10}, false, false, 8},
      {"bottom-left", {10, 750}, false, false, 1},  {"bottom-right", {1006, 750}, false, false, 2},
      {"centre", {500, 380}, false, false, 1},      {"top edge", {500, 2}, false, false, 3},
      {"bottom edge", {500, 760}, false, false, 1}, {"left edge", {0, 380}, false, false, 1},
      {"right edge", {1016, 380}, false, false, 2}, {"centre, right to left", {500, 380}, true, false, 2},
      {"top-left, right to left", {10, 10}, true, false, 3},
      {"top-right, right to left", {1006, 10}, true, false, 8},
      {"tips at the centre", {500, 380}, false, true, 3},
      {"tips near the bottom: bottom-aligned", {10, 740}, false, true, 4},
  };
  for (const TCase& c : cases) {
    rig.A->SetBiDiMode(c.RightToLeft ? bdRightToLeft : bdLeftToRight);
    rig.A->SetStagePos(c.Stage.X, c.Stage.Y);
    if (c.Tips) {
      rig.A->GetTipsDlg()->GetTips()->SetText("A tip that is long enough to need a line of its own.");
      rig.A->GetTipsDlg()->SetTipIndex(0);
      rig.B->ShowTips();
    } else {
      rig.B->ShowText("Привет! Который час?");
    }
    ASSERT_TRUE(rig.WaitShown()) << c.What;
    EXPECT_EQ(rig.B->Side(), c.Side) << c.What;
    EXPECT_TRUE(Inside(rig.Window(), Area)) << c.What;
    rig.B->CloseBalloon();
  }
}

TEST(Balloon, TailsAndCloudsSitWhereTheStageIs) {
  TBalloonRig rig;
  // Side 1 with the stage at the area's left edge: the tail 15 pixels in.
  rig.A->SetStagePos(0, 500);
  rig.B->ShowText("Hello");
  ASSERT_TRUE(rig.WaitShown());
  ASSERT_EQ(rig.B->Side(), 1);
  EXPECT_EQ(rig.B->TailPosition(), 15);
  HRGN shape = rig.B->CopyShape();
  const int h = rig.Window().Height();
  EXPECT_TRUE(PtInRegion(shape, 15, h - 4));   // the tail's tip
  EXPECT_FALSE(PtInRegion(shape, 12, h - 4));  // left of it
  // The window's shape is the rounded body with the tail.
  HRGN actual = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(rig.B->GetHandle(), actual), ERROR);
  EXPECT_TRUE(EqualRgn(actual, shape));
  EXPECT_FALSE(PtInRegion(actual, 0, 0));  // a rounded corner
  DeleteObject(actual);
  DeleteObject(shape);
  rig.B->CloseBalloon();

  // Side 3 with the stage at the area's top: the tail lower by the overlap.
  rig.A->SetStagePos(10, 0);
  rig.B->ShowText("One\ntwo\nthree\nfour\nfive\nsix");
  ASSERT_TRUE(rig.WaitShown());
  ASSERT_EQ(rig.B->Side(), 3);
  EXPECT_EQ(rig.B->TailPosition(), 41);
  shape = rig.B->CopyShape();
  EXPECT_TRUE(PtInRegion(shape, 4, 27));   // the tail (from y = 26)
  EXPECT_FALSE(PtInRegion(shape, 4, 22));  // above it, left of the body
  DeleteObject(shape);
  rig.B->CloseBalloon();

  // The thought cloud: three circles 8, 26 and 44 pixels from the stage's side.
  rig.A->SetStagePos(10, 30);
  rig.B->SetThoughtCloud(true);
  rig.B->ShowText("Hmm");
  ASSERT_TRUE(rig.WaitShown());
  ASSERT_EQ(rig.B->Side(), 3);
  const int t = rig.B->TailPosition();
  EXPECT_EQ(t, 30);
  const int c = rig.B->ClientPanel->GetHeight() / 2;
  shape = rig.B->CopyShape();
  const int centres[] = {8, 26, 44};
  for (int k = 1; k <= 3; ++k) {
    const int across = centres[k - 1];
    const int along = t + (k - 1) * (c - t) / 3;
    EXPECT_TRUE(PtInRegion(shape, across, along)) << k;
    EXPECT_FALSE(PtInRegion(shape, across, along - (2 * k + 4) - 2)) << k;
  }
  DeleteObject(shape);
  rig.B->SetThoughtCloud(false);
}

TEST(Balloon, HeldBackDuringAMoveItComesBackWithoutASecondShown) {
  TBalloonRig rig;
  rig.A->SetBlockingMove(true);
  rig.A->SetStagePos(300, 300);
  rig.B->ShowText("Walking");
  ASSERT_TRUE(rig.WaitShown());
  EXPECT_EQ(rig.Shown, 1);
  bool hiddenDuringMove = true;
  rig.A->OnMoving = [&](TObject*) { hiddenDuringMove = hiddenDuringMove && !IsWindowVisible(rig.B->GetHandle()); };
  rig.A->MoveStageTo(360, 300);
  Application->ProcessMessages();
  EXPECT_TRUE(hiddenDuringMove);
  EXPECT_TRUE(IsWindowVisible(rig.B->GetHandle()));
  EXPECT_EQ(rig.Shown, 1);
  EXPECT_EQ(rig.Hidden, 0);
}

TEST(Balloon, TheCloseTimeOut) {
  TBalloonRig rig;
  rig.B->ShowText("Stays");
  ASSERT_TRUE(rig.WaitShown());
  PumpMessagesUntil([] { return false; }, 300);
  EXPECT_TRUE(rig.B->IsShown());
  rig.B->CloseBalloon();
  EXPECT_EQ(rig.Hidden, 1);
  rig.B->ShowText("Goes", 100);
  ASSERT_TRUE(rig.WaitShown());
  EXPECT_TRUE(PumpMessagesUntil([&] { return !rig.B->IsShown(); }, 2000));
  EXPECT_EQ(rig.Hidden, 2);
}

// Runs a modal balloon whose OnShown does something.
TModalResult WithShown(TBalloonRig& rig, std::function<void()> act, std::function<TModalResult()> run) {
  rig.A->OnBalloonShow = [act](TObject*) { act(); };
  TModalResult r = run();
  rig.A->OnBalloonShow = nullptr;
  return r;
}

TEST(Balloon, MessageButtonsGiveTheirResults) {
  TBalloonRig rig;
  const TMsgDlgBtn buttons[] = {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll};
  const TModalResult results[] = {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll, mrYesToAll};
  const char* captions[] = {"&Да",          "&Нет", "&OK",         "Отмена",      "&Прервать",
                            "П&овторить", "&Игнорировать", "Все", "Нет ко всем", "Да для всех"};
  for (int i = 0; i < 10; ++i) {
    TModalResult r = WithShown(
        rig, [&] { rig.B->FindButton(captions[i])->Click(); },
        [&] { return rig.B->MessageDlg("Вопрос?", TMsgDlgButtons{buttons[i], mbHelp}); });
    EXPECT_EQ(r, results[i]) << captions[i];
  }
  // Escape clicks the cancel-role button: Cancel, else No, else OK.
  EXPECT_EQ(WithShown(
                rig, [&] { rig.B->Perform(CM_DIALOGKEY, VK_ESCAPE, 0); },
                [&] { return rig.B->MessageDlg("?", TMsgDlgButtons{mbYes, mbNo}); }),
            mrNo);
  // Without one Escape is refused.
  EXPECT_EQ(WithShown(
                rig,
                [&] {
                  rig.B->Perform(CM_DIALOGKEY, VK_ESCAPE, 0);
                  EXPECT_EQ(rig.B->GetModalResult(), mrNone);
                  rig.B->FindButton("П&овторить")->Click();
                },
                [&] { return rig.B->MessageDlg("?", TMsgDlgButtons{mbAbort, mbRetry}); }),
            mrRetry);
  // The help button asks for help and ends nothing.
  int helped = 0;
  Application->OnHelp = [&](int context, bool& handled) {
    helped = context;
    handled = true;
  };
  EXPECT_EQ(WithShown(
                rig,
                [&] {
                  rig.B->FindButton("По&мощь")->Click();
                  rig.B->FindButton("&OK")->Click();
                },
                [&] { return rig.B->MessageDlg("?", TMsgDlgButtons{mbOK, mbHelp}, -1, 42); }),
            mrOk);
  Application->OnHelp = nullptr;
  EXPECT_EQ(helped, 42);
}

TEST(Balloon, TheInputBox) {
  TBalloonRig rig;
  String value = "old";
  rig.A->OnBalloonShow = [&](TObject*) {
    rig.B->InputBox->SetText("новое");
    rig.B->FindButton("&OK")->Click();
  };
  EXPECT_TRUE(rig.B->InputQuery("Имя?", value));
  EXPECT_EQ(value, "новое");
  rig.A->OnBalloonShow = [&](TObject*) {
    rig.B->InputBox->SetText("lost");
    rig.B->FindButton("Отмена")->Click();
  };
  EXPECT_FALSE(rig.B->InputQuery("Имя?", value));
  EXPECT_EQ(value, "новое");
  rig.A->OnBalloonShow = [&](TObject*) {
    rig.B->InputBox->SetText("entered");
    wchar_t key = L'\r';
    rig.B->InputBoxKeyPress(rig.B->InputBox, key);
  };
  EXPECT_TRUE(rig.B->InputQuery("Имя?", value));
  EXPECT_EQ(value, "entered");
  // OK and Cancel stand 13 pixels apart in the newer look.
  TOffice97Button* ok = rig.B->FindButton("&OK");
  TOffice97Button* cancel = rig.B->FindButton("Отмена");
  EXPECT_EQ(cancel->GetLeft() - (ok->GetLeft() + ok->GetWidth()), 13);
  rig.A->OnBalloonShow = nullptr;
}

TEST(Balloon, AQuitEndsAModalRunAndStaysForTheLoop) {
  TBalloonRig rig;
  auto other = std::make_unique<TForm>(nullptr, CreateNew);
  other->SetBounds(50, 50, 100, 100);
  other->Show();
  bool disabledMeanwhile = false;
  rig.A->OnBalloonShow = [&](TObject*) {
    disabledMeanwhile = !IsWindowEnabled(other->GetHandle());  // the program's other windows wait
    PostQuitMessage(0);
  };
  EXPECT_EQ(rig.B->MessageDlg("?", TMsgDlgButtons{mbOK}), mrCancel);
  rig.A->OnBalloonShow = nullptr;
  EXPECT_TRUE(disabledMeanwhile);
  EXPECT_TRUE(IsWindowEnabled(other->GetHandle()));
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_FALSE(rig.B->IsShown());
}

TEST(Balloon, TheGuidePagesItsTopics) {
  TBalloonRig rig;
  rig.A->SetStagePos(500, 600);
  TTopicsList* topics = rig.A->GetGuideDlg()->GetTopics();
  for (int i = 0; i < 60; ++i) topics->Add("Тема номер " + std::to_string(i));
  topics->Topic(0)->Flag = 1;  // a heading
  int clicked = -1;
  rig.A->OnGuideTopicClick = [&](TObject*, int id) { clicked = id; };
  rig.B->ShowGuide();
  ASSERT_TRUE(rig.WaitShown());
  const int first = rig.B->ShownTopicCount();
  ASSERT_GT(first, 1);
  ASSERT_LT(first, 60);
  EXPECT_FALSE(rig.B->PreviousPageButton()->GetVisible());
  EXPECT_TRUE(rig.B->NextPageButton()->GetVisible());
  // The heading: no glyph, not clickable, not a tab stop, 20 percent taller.
  TOffice97Button* heading = rig.B->TopicButtons()[0];
  TOffice97Button* topic = rig.B->TopicButtons()[1];
  EXPECT_FALSE(heading->GetEnabled());
  EXPECT_FALSE(heading->GetTabStop());
  EXPECT_FALSE(heading->GetShowGlyph());
  EXPECT_TRUE(topic->GetTabStop());
  heading->AdjustHeight();
  const int plain = heading->GetHeight();
  rig.B->LayoutMode();
  EXPECT_EQ(heading->GetHeight(), MulDiv(plain, 120, 100));
  topic->Click();
  EXPECT_EQ(clicked, 1);
  const int height = rig.B->TopicsPanel->GetHeight();
  rig.B->NextPageButton()->Click();
  EXPECT_EQ(rig.B->FirstShownTopic(), first);
  EXPECT_TRUE(rig.B->PreviousPageButton()->GetVisible());
  EXPECT_GE(rig.B->TopicsPanel->GetHeight(), height);  // kept from page to page
  while (rig.B->NextPageButton()->GetVisible()) rig.B->NextPageButton()->Click();
  EXPECT_EQ(rig.B->FirstShownTopic() + rig.B->ShownTopicCount(), 60);
  EXPECT_GE(rig.B->TopicsPanel->GetHeight(), height);
  rig.B->PreviousPageButton()->Click();
  EXPECT_TRUE(rig.B->NextPageButton()->GetVisible());
  while (rig.B->PreviousPageButton()->GetVisible()) rig.B->PreviousPageButton()->Click();
  EXPECT_EQ(rig.B->FirstShownTopic(), 0);
  rig.B->CloseBalloon();
}

TEST(Balloon, WithoutACharacterItStandsInTheMiddleOfTheWorkArea) {
  TBalloonRig rig;
  rig.A->HideCharacter(true);
  rig.B->ShowText("Alone");
  ASSERT_TRUE(rig.WaitShown());
  EXPECT_EQ(rig.B->Side(), 0);
  TRect w = rig.Window();
  EXPECT_NEAR((w.Left + w.Right) / 2, 512, 1);
  EXPECT_NEAR((w.Top + w.Bottom) / 2, 370, 1);
  EXPECT_TRUE((GetWindowLongPtrW(rig.B->GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
  rig.B->CloseBalloon();
}

}  // namespace
}  // namespace horavox::test
