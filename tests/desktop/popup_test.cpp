// Pop-up notices on the virtual clock: the nine places, the size with and without an icon,
// wrapping at half the screen, cascading, the place after all have closed, no activation,
// topmost, the time-out (also below one second), the icon types, and a component freed
// before its notices.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/core/clock.h"
#include "desktop/dskpopup.h"

namespace {

class PopUpTest : public ::testing::Test {
 protected:
  TVirtualClock clock;
  TClockScope scope{clock};
  std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
  TDskPopUp* popup = new TDskPopUp(owner.get());

  // The notices open now, oldest first.
  std::vector<TDskPopUpForm*> Notices() {
    std::vector<TDskPopUpForm*> found;
    for (int i = 0; i < owner->ComponentCount(); ++i)
      if (auto* n = dynamic_cast<TDskPopUpForm*>(owner->Components(i))) found.push_back(n);
    return found;
  }
  TRect Bounds(TDskPopUpForm* Notice) {
    RECT r{};
    GetWindowRect(Notice->GetHandle(), &r);
    return {r.left, r.top, r.right, r.bottom};
  }
  // Lets every notice time out and go.
  void CloseAll() {
    clock.Advance(3600 * 1000);
    Application->ProcessMessages();
  }
};

TEST_F(PopUpTest, NoticesStandAtTheirPlace) {
  popup->Text = "Будильник";
  popup->MarginX = 12;
  popup->MarginY = 7;
  const int sw = Screen->Width(), sh = Screen->Height();
  for (int place = msTopLeft; place <= msBottomRight; ++place) {
    popup->MestoScreen = static_cast<TMestoScreen>(place);
    popup->Show();
    TDskPopUpForm* notice = Notices().back();
    TRect r = Bounds(notice);
    const int w = r.Width(), h = r.Height(), col = place % 3, row = place / 3;
    EXPECT_EQ(r.Left, col == 0 ? 12 : col == 1 ? sw / 2 - w / 2 : sw - 12 - w) << place;
    EXPECT_EQ(r.Top, row == 0 ? 7 : row == 1 ? sh / 2 - h / 2 : sh - 7 - h) << place;
    CloseAll();
    EXPECT_TRUE(Notices().empty());
    EXPECT_EQ(popup->OpenCount(), 0);
  }
}

TEST_F(PopUpTest, TheSizeFollowsTextAndIcon) {
  popup->Text = "Время";
  popup->SetDlgType(mtCustom);
  ASSERT_TRUE(popup->GetPopUpIcon()->Empty());
  popup->Show();
  TDskPopUpForm* plain = Notices().back();
  TRect text = plain->lblText->GetBoundsRect();
  const int marginX = text.Left, marginY = text.Top;
  EXPECT_GT(marginX, 0);
  EXPECT_EQ(plain->ClientRect().Width(), 2 * marginX + text.Width());
  EXPECT_EQ(plain->ClientRect().Height(), 2 * marginY + text.Height());
  CloseAll();

  popup->SetDlgType(mtWarning);
  ASSERT_FALSE(popup->GetPopUpIcon()->Empty());
  popup->Show();
  TDskPopUpForm* withIcon = Notices().back();
  // One line of text: the icon's 32 pixels set the height, the text stands right of it.
  EXPECT_EQ(withIcon->ClientRect().Height(), 2 * marginY + 32);
  EXPECT_EQ(withIcon->imgIcon->GetBoundsRect().Left, marginX);
  EXPECT_EQ(withIcon->imgIcon->GetBoundsRect().Top, marginY);
  EXPECT_GT(withIcon->lblText->GetBoundsRect().Left, withIcon->imgIcon->GetBoundsRect().Right);
  EXPECT_EQ(withIcon->ClientRect().Width(), withIcon->lblText->GetBoundsRect().Right + marginX);
  const int iconHeight = withIcon->ClientRect().Height();
  CloseAll();

  // Text is measured in the notice's font: a larger one gives a larger notice.
  popup->GetFont()->SetSize(20);
  popup->Show();
  TDskPopUpForm* large = Notices().back();
  EXPECT_GT(large->ClientRect().Height(), iconHeight);
  EXPECT_EQ(large->ClientRect().Width(), large->lblText->GetBoundsRect().Right + large->imgIcon->GetBoundsRect().Left);
  CloseAll();
  popup->GetFont()->SetSize(8);

  // A long text wraps at half the screen.
  popup->SetDlgType(mtCustom);
  popup->Text.clear();
  for (int i = 0; i < 60; ++i) popup->Text += "будильник ";
  popup->Show();
  TDskPopUpForm* wrapped = Notices().back();
  EXPECT_LE(wrapped->lblText->GetBoundsRect().Width(), Screen->Width() / 2);
  EXPECT_GT(wrapped->lblText->GetBoundsRect().Height(), 2 * text.Height());
}

TEST_F(PopUpTest, NoticesCascadeAndComeBackInPlace) {
  popup->Text = "Таймер";
  for (bool cascade : {true, false}) {
    popup->CascadePopups = cascade;
    for (int i = 0; i < 3; ++i) popup->Show();
    std::vector<TDskPopUpForm*> notices = Notices();
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(popup->OpenCount(), 3);
    TRect first = Bounds(notices[0]);
    for (int i = 1; i < 3; ++i) {
      EXPECT_EQ(Bounds(notices[i]).Left, first.Left + (cascade ? 10 * i : 0));
      EXPECT_EQ(Bounds(notices[i]).Top, first.Top + (cascade ? 10 * i : 0));
    }
    CloseAll();
    popup->Show();
    EXPECT_EQ(Bounds(Notices().back()).Left, first.Left);
    EXPECT_EQ(Bounds(Notices().back()).Top, first.Top);
    CloseAll();
  }
}

TEST_F(PopUpTest, ANoticeTakesNoFocusStaysOnTopAndClosesOnTime) {
  auto* form = new TForm(owner.get(), CreateNew);
  form->SetBounds(50, 50, 200, 100);
  form->Show();
  SetForegroundWindow(form->GetHandle());
  Application->ProcessMessages();
  HWND foreground = GetForegroundWindow();
  popup->Text = "Будильник";
  popup->TimeOut = 7;
  popup->Show();
  TDskPopUpForm* notice = Notices().back();
  Application->ProcessMessages();
  EXPECT_EQ(GetForegroundWindow(), foreground);
  EXPECT_TRUE(IsWindowVisible(notice->GetHandle()));
  EXPECT_TRUE(GetWindowLongPtrW(notice->GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongPtrW(notice->GetHandle(), GWL_EXSTYLE) & WS_EX_NOACTIVATE);
  EXPECT_FALSE(GetWindowLongPtrW(notice->GetHandle(), GWL_STYLE) & WS_CAPTION);
  clock.Advance(6999);
  Application->ProcessMessages();
  EXPECT_EQ(Notices().size(), 1u);
  clock.Advance(1);
  Application->ProcessMessages();
  EXPECT_TRUE(Notices().empty());

  // A time-out below one second counts as one: the notice still goes.
  popup->TimeOut = 0;
  popup->Show();
  clock.Advance(1000);
  Application->ProcessMessages();
  EXPECT_TRUE(Notices().empty());
}

TEST_F(PopUpTest, IconTypes) {
  EXPECT_EQ(popup->GetDlgType(), mtInformation);
  EXPECT_FALSE(popup->GetPopUpIcon()->Empty());
  HICON stock = popup->GetPopUpIcon()->GetHandle();
  popup->SetDlgType(mtCustom);
  EXPECT_TRUE(popup->GetPopUpIcon()->Empty());
  // The system's icon was left alone: it still draws.
  ICONINFO info{};
  EXPECT_TRUE(GetIconInfo(stock, &info));
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  popup->SetDlgType(mtError);
  EXPECT_EQ(popup->GetPopUpIcon()->GetHandle(), LoadIconW(nullptr, IDI_HAND));
  TIcon own;
  own.SetHandle(CopyIcon(LoadIconW(nullptr, IDI_QUESTION)));
  popup->SetPopUpIcon(&own);
  EXPECT_EQ(popup->GetDlgType(), mtCustom);
  EXPECT_FALSE(popup->GetPopUpIcon()->Empty());
}

TEST_F(PopUpTest, NoticesOutliveTheirComponent) {
  popup->Text = "Таймер";
  popup->TimeOut = 2;
  popup->Show();
  popup->Show();
  delete popup;
  popup = nullptr;
  EXPECT_EQ(Notices().size(), 2u);
  clock.Advance(2000);
  Application->ProcessMessages();
  EXPECT_TRUE(Notices().empty());
}

}  // namespace
