// The track bar through messages to its window: range rules, loading, keys, wheel,
// dragging, paging while the button is held (on a virtual clock), ticks.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "classlib/core/clock.h"
#include "classlib/windows/forms.h"
#include "classlib/windows/stdctrls.h"
#include "controls/kitapp.h"
#include "controls/kittrackbar.h"
#include "kit_form_text.h"
#include "tests/classlib/gui_test_util.h"

namespace {

class KitTrackBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr, CreateNew);
    form->SetBounds(100, 100, 320, 240);
    bar = new TKitTrackBar(form);
    bar->SetParent(form);
    bar->SetBounds(10, 10, 220, 35);
    bar->OnChange = [this](TObject*) { ++changes; };
  }
  void TearDown() override { delete form; }
  LRESULT Send(UINT Msg, WPARAM W = 0, LPARAM L = 0) { return SendMessageW(bar->GetHandle(), Msg, W, L); }
  void Press(TPoint P) { Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(P.X, P.Y)); }
  void Move(TPoint P) { Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(P.X, P.Y)); }
  void Release(TPoint P) { Send(WM_LBUTTONUP, 0, MAKELPARAM(P.X, P.Y)); }
  TPoint ThumbCentre() {
    TRect t = bar->ThumbRect();
    return {(t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2};
  }
  TVirtualClock clock;
  TClockScope clockScope{clock};
  TKitApplication app{"horavox-kittrackbar-test"};
  TKitApplicationScope appScope{app};
  TForm* form = nullptr;
  TKitTrackBar* bar = nullptr;
  int changes = 0;
};

TEST_F(KitTrackBarTest, RangeRules) {
  struct TCase {
    const char* What;
    std::function<void(TKitTrackBar&)> Do;
    int Min, Max, Position;
  };
  const std::vector<TCase> cases = {
      {"MaxValue := MinValue", [](TKitTrackBar& b) { b.SetMaxValue(0); }, 0, 10, 0},
      {"Position 99", [](TKitTrackBar& b) { b.SetPosition(99); }, 0, 10, 10},
      {"Position -5", [](TKitTrackBar& b) { b.SetPosition(-5); }, 0, 10, 0},
      {"MinValue above Position",
       [](TKitTrackBar& b) {
         b.SetPosition(3);
         b.SetMinValue(5);
       },
       5, 10, 5},
      {"MaxValue below Position",
       [](TKitTrackBar& b) {
         b.SetPosition(8);
         b.SetMaxValue(6);
       },
       0, 6, 6},
      {"MinValue := MaxValue", [](TKitTrackBar& b) { b.SetMinValue(10); }, 0, 10, 0},
  };
  for (const TCase& c : cases) {
    TKitTrackBar b(nullptr);
    c.Do(b);
    EXPECT_EQ(b.GetMinValue(), c.Min) << c.What;
    EXPECT_EQ(b.GetMaxValue(), c.Max) << c.What;
    EXPECT_EQ(b.GetPosition(), c.Position) << c.What;
  }
  TKitTrackBar b(nullptr);
  b.SetMargin(0);
  b.SetTrackWidth(2);
  b.SetTickGap(-2);
  EXPECT_EQ(b.GetMargin(), 1);
  EXPECT_EQ(b.GetTrackWidth(), 10);
  EXPECT_EQ(b.GetTickGap(), -1);
}

TEST_F(KitTrackBarTest, TheRangeReadFromAFormIsCheckedWhole) {
  auto read = ReadComponentText<TKitTrackBar>(
      "object KitTrackBar1: TKitTrackBar\n  Position = 25\n  MaxValue = 30\n  MinValue = 20\nend\n");
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->GetMinValue(), 20);
  EXPECT_EQ(read->GetMaxValue(), 30);
  EXPECT_EQ(read->GetPosition(), 25);
}

TEST_F(KitTrackBarTest, KeysStepTheBarAndKeepTheFocus) {
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(10, 100, 80, 24);
  form->Show();
  struct TCase {
    WORD Key;
    bool Vertical;
    int From, To;
  };
  const std::vector<TCase> cases = {
      {VK_PRIOR, false, 5, 7}, {VK_NEXT, false, 5, 3}, {VK_UP, false, 5, 6},  {VK_RIGHT, false, 5, 6},
      {VK_DOWN, false, 5, 4},  {VK_LEFT, false, 5, 4}, {VK_PRIOR, false, 9, 10}, {VK_LEFT, false, 0, 0},
      {VK_UP, true, 5, 6},     {VK_DOWN, true, 5, 4},
  };
  for (const TCase& c : cases) {
    bar->SetOrientation(c.Vertical ? TKitTrackOrientation::toVertical : TKitTrackOrientation::toHorizontal);
    bar->SetPosition(c.From);
    bar->SetFocus();
    changes = 0;
    PostMessageW(bar->GetHandle(), WM_KEYDOWN, c.Key, 0);
    guitest::PumpUntil([&] { return bar->GetPosition() != c.From; }, 300);
    EXPECT_EQ(bar->GetPosition(), c.To) << c.Key;
    EXPECT_EQ(changes, c.From == c.To ? 0 : 1) << c.Key;
    // The arrow moved the bar, not the focus (another test's window may take the
    // foreground meanwhile: the form's own focused control is what counts).
    EXPECT_EQ(form->GetActiveControl(), bar) << c.Key;
    EXPECT_NE(GetFocus(), other->GetHandle()) << c.Key;
  }
  EXPECT_EQ(Send(WM_GETDLGCODE) & DLGC_WANTARROWS, DLGC_WANTARROWS);
}

TEST_F(KitTrackBarTest, TheWheelStepsByOne) {
  bar->SetPosition(5);
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(bar->GetPosition(), 6);
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(bar->GetPosition(), 5);
}

TEST_F(KitTrackBarTest, DraggingFollowsThePointerClamped) {
    TRect track = bar->TrackRect();
  Press(ThumbCentre());
  EXPECT_TRUE(bar->Dragging());
  Move({track.Left + track.Width() / 2, 20});
  EXPECT_EQ(bar->GetPosition(), 5);
  Move({track.Right + 50, 20});
  EXPECT_EQ(bar->GetPosition(), 10);
  Move({track.Left - 50, 20});
  EXPECT_EQ(bar->GetPosition(), 0);
  Release({0, 0});
  EXPECT_FALSE(bar->Dragging());
  // Vertical: from the bottom.
  bar->SetBounds(10, 10, 35, 200);
  bar->SetOrientation(TKitTrackOrientation::toVertical);
  track = bar->TrackRect();
  Press(ThumbCentre());
  Move({15, track.Bottom - track.Height() * 3 / 10});
  EXPECT_EQ(bar->GetPosition(), 3);
  Send(WM_CANCELMODE);  // losing the capture ends the drag
  EXPECT_FALSE(bar->Dragging());
  Move({15, track.Top});
  EXPECT_EQ(bar->GetPosition(), 3);
}

TEST_F(KitTrackBarTest, ABarTooSmallToDragKeepsItsPosition) {
  bar->SetBounds(10, 10, 12, 10);
  bar->SetPosition(4);
  Press(ThumbCentre());
  Move({11, 5});
  Move({0, 5});
  Release({0, 5});
  EXPECT_EQ(bar->GetPosition(), 4);
}

TEST_F(KitTrackBarTest, HoldingTheButtonBesideTheThumbPagesUntilItPassesThePointer) {
    TRect track = bar->TrackRect();
  TPoint pointer{track.Left + bar->ValueOffset(7), 20};  // at 7; the thumb at 0
  Press(pointer);
  EXPECT_EQ(bar->GetPosition(), 2);
  clock.Advance(300);
  EXPECT_EQ(bar->GetPosition(), 4);
  clock.Advance(300);
  EXPECT_EQ(bar->GetPosition(), 6);
  clock.Advance(300);
  EXPECT_EQ(bar->GetPosition(), 8);  // past the pointer: no more
  clock.Advance(3000);
  EXPECT_EQ(bar->GetPosition(), 8);
  Release(pointer);
  EXPECT_EQ(changes, 4);
  // Losing the capture stops the paging; the pointer leaving stops it too.
  bar->SetPosition(0);
  Press(pointer);
  Send(WM_CAPTURECHANGED);
  clock.Advance(900);
  EXPECT_EQ(bar->GetPosition(), 2);
  bar->SetPosition(0);
  Press(pointer);
  Move({pointer.X, 200});
  clock.Advance(900);
  EXPECT_EQ(bar->GetPosition(), 2);
  Release(pointer);
}

TEST_F(KitTrackBarTest, AnOliveThumbIsDrawnOneStepOffTheTransparentColour) {
  bar->SetThumbColor(clOlive);
  TBitmap* thumb = bar->GetThumb();
  int body = 0;
  for (int y = 0; y < thumb->GetHeight(); ++y)
    for (int x = 0; x < thumb->GetWidth() / 2; ++x) body += (thumb->Canvas()->GetPixels(x, y) & 0xFFFFFF) == 0x008081;
  EXPECT_GT(body, 10);
}

TEST_F(KitTrackBarTest, TicksEveryTickGap) {
  bar->SetTickStyle(TKitTickStyle::tsOwnerDraw);
  bar->SetTickGap(5);
  std::vector<int> values;
  std::vector<int> xs;
  bar->OnDrawTick = [&](TObject*, TCanvas*, int Value, TPoint P) {
    values.push_back(Value);
    xs.push_back(P.X);
  };
  TBitmap picture;
  picture.SetSize(220, 35);
  auto paint = [&] { SendMessageW(bar->GetHandle(), WM_PAINT, reinterpret_cast<WPARAM>(picture.Canvas()->GetHandle()), 0); };
  paint();
  ASSERT_GE(values.size(), 3u);
  EXPECT_EQ((std::vector<int>(values.begin(), values.begin() + 3)), (std::vector<int>{0, 5, 10}));
  TRect track = bar->TrackRect();
  EXPECT_EQ(xs[0], track.Left);
  EXPECT_EQ(xs[2], track.Right);
  // A long range: at most a tick per pixel.
  values.clear();
  bar->SetTickGap(-1);
  bar->SetMaxValue(1000000000);
  paint();
  EXPECT_GT(values.size(), 0u);
  EXPECT_LE(values.size(), static_cast<size_t>(track.Width() + 1));
}

}  // namespace
