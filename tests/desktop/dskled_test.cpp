// The LED (painted, and blinking on the virtual clock) and the colour combo.
#include <gtest/gtest.h>

#include "classlib/windows/application.h"
#include "classlib/core/clock.h"
#include "desktop/dskled.h"
#include "tests/classlib/gui_test_util.h"

using namespace guitest;

namespace {

TEST(DskLed, PaintsALampWithItsHighlightAndStaysFifteenPixels) {
  std::unique_ptr<TForm> form(new TForm(nullptr, CreateNew));
  form->SetBounds(100, 100, 200, 120);
  form->SetColor(clBlack);
  auto* led = new TDskLed(form.get());
  led->SetParent(form.get());
  led->SetBounds(20, 30, 40, 40);
  EXPECT_EQ(led->GetWidth(), 15);
  EXPECT_EQ(led->GetHeight(), 15);
  EXPECT_EQ(led->GetLeft(), 20);
  led->SetLedOnColor(clLime);
  led->SetLedShadow(clYellow);
  form->Show();
  for (bool on : {false, true}) {
    led->SetLedisOn(on);
    form->Repaint();
    PumpFor(50);
    auto shot = Capture(form->GetHandle(), false);
    auto at = [&](int x, int y) { return shot->Canvas()->GetPixels(20 + x, 30 + y); };
    EXPECT_EQ(at(9, 10), on ? clLime : clGreen);  // the fill
    for (TPoint p : {TPoint{6, 5}, {7, 5}, {8, 5}, {5, 6}, {5, 7}, {5, 8}, {6, 6}, {7, 6}, {6, 7}})
      EXPECT_EQ(at(p.X, p.Y), clYellow) << p.X << "," << p.Y;
    EXPECT_EQ(at(2, 8), TColor(0x808080));  // the frame
    EXPECT_EQ(at(0, 0), clBlack);           // outside the lamp
  }
}

TEST(DskLed, EachBlinkIsDrawnAtOnceOverTheLampAlone) {
  TVirtualClock clock;
  TClockScope scope(clock);
  std::unique_ptr<TForm> form(new TForm(nullptr, CreateNew));
  form->SetBounds(100, 100, 200, 120);
  form->SetColor(clBlack);
  auto* led = new TDskLed(form.get());
  led->SetParent(form.get());
  led->SetBounds(20, 30, 15, 15);
  led->SetLedOnColor(clLime);
  form->Show();
  ASSERT_TRUE(BringToFront(form->GetHandle()));
  PumpFor(100);
  led->SetInterval(500);
  led->SetBlinking(true);
  PumpFor(50);
  for (TColor expected : {clLime, clGreen, clLime}) {
    clock.Advance(500);  // no messages pumped: the step draws itself
    auto shot = Capture(form->GetHandle(), false);
    EXPECT_EQ(shot->Canvas()->GetPixels(20 + 9, 30 + 10), expected);
    EXPECT_EQ(shot->Canvas()->GetPixels(20 + 2, 30 + 8), TColor(0x808080));  // the frame
    EXPECT_EQ(shot->Canvas()->GetPixels(20, 30), clBlack);                   // outside the lamp
  }
}

TEST(DskLed, BlinksUntilSwitchedAndAgainWhenAskedAgain) {
  TVirtualClock clock;
  TClockScope scope(clock);
  TDskLed led(nullptr);
  led.SetInterval(500);
  led.SetBlinking(true);
  clock.Advance(500);
  EXPECT_TRUE(led.GetLedisOn());
  clock.Advance(500);
  EXPECT_FALSE(led.GetLedisOn());

  led.SwitchOn();  // steady light; still said to blink
  EXPECT_TRUE(led.GetBlinking());
  clock.Advance(2000);
  EXPECT_TRUE(led.GetLedisOn());
  led.SwitchOff();
  clock.Advance(2000);
  EXPECT_FALSE(led.GetLedisOn());

  led.SetBlinking(true);  // the same value, yet the lamp blinks again
  clock.Advance(500);
  EXPECT_TRUE(led.GetLedisOn());
  clock.Advance(500);
  EXPECT_FALSE(led.GetLedisOn());
  led.SetBlinking(false);
  clock.Advance(2000);
  EXPECT_FALSE(led.GetLedisOn());
}

class TestColorCombo : public TDskColorCombo {
 public:
  using TDskColorCombo::DrawItem;
  using TDskColorCombo::TDskColorCombo;
};

TEST(DskColorCombo, SelectsColoursByNameAndValue) {
  std::unique_ptr<TForm> form(new TForm(nullptr, CreateNew));
  auto* combo = new TDskColorCombo(form.get());
  EXPECT_EQ(combo->GetParent(), form.get());  // a windowed owner is the parent
  EXPECT_EQ(combo->GetItems()->Count(), 41);
  EXPECT_EQ(combo->GetItemIndex(), 0);
  struct Case {
    bool SystemColors;
    std::function<void()> Act;
    int Index;
    TColor Selected;
    String Name;
  } cases[] = {
      {true, [&] { combo->SetItemIndex(-1); }, -1, clNone, ""},
      {true, [&] { combo->SetColorByName("Navy"); }, 4, TColor(0x800000), "Navy"},
      {true, [&] { combo->SetColorByName("navy"); }, -1, clNone, ""},
      {true, [&] { combo->SetColorByName("InfoBk"); }, 40, clInfoBk, "InfoBk"},
      {false, [&] { combo->SetColorByName("InfoBk"); }, -1, clNone, ""},
      {true, [&] { combo->SetColorSelected(clInfoBk); }, 40, clInfoBk, "InfoBk"},
      {false, [&] { combo->SetColorSelected(clInfoBk); }, -1, clNone, ""},
      {true, [&] { combo->SetColorSelected(TColor(0x123456)); }, -1, clNone, ""},
      {true, [&] { combo->SetColorSelected(clWhite); }, 15, clWhite, "White"},
  };
  for (const Case& c : cases) {
    combo->SetSystemColors(c.SystemColors);
    c.Act();
    EXPECT_EQ(combo->GetItemIndex(), c.Index) << c.Name;
    EXPECT_EQ(combo->GetColorSelected(), c.Selected) << c.Name;
    EXPECT_EQ(combo->GetColorByName(), c.Name);
  }
  // A change of SystemColors fills the list anew and selects the first colour.
  combo->SetColorSelected(clRed);
  combo->SetSystemColors(false);
  EXPECT_EQ(combo->GetItems()->Count(), 16);
  EXPECT_EQ(combo->GetItemIndex(), 0);
  combo->SetColorSelected(clRed);
  combo->SetSystemColors(true);
  EXPECT_EQ(combo->GetItems()->Count(), 41);
  EXPECT_EQ(combo->GetItemIndex(), 0);
  // The selection survives a window made anew.
  combo->SetColorByName("Teal");
  combo->HandleNeeded();
  combo->RecreateWnd();
  combo->HandleNeeded();
  EXPECT_EQ(combo->GetColorByName(), "Teal");
}

TEST(DskColorCombo, OnSelectColorDecidesTheSwatchAndHearsClicks) {
  TestColorCombo combo(nullptr);
  combo.SetColorDisplayWidth(-5);
  EXPECT_EQ(combo.GetColorDisplayWidth(), 32);
  std::vector<int> asked;
  combo.OnSelectColor = [&](TObject*, int Index, String& Name, TColor& Color) {
    asked.push_back(Index);
    if (Name == "Navy") Color = clFuchsia;
  };
  TBitmap face;
  face.SetSize(100, 16);
  combo.Canvas()->SetHandle(face.Canvas()->GetHandle());
  combo.Canvas()->GetBrush()->SetColor(clWhite);
  combo.DrawItem(4, Rect(0, 0, 100, 16), {});
  combo.DrawItem(9, Rect(0, 0, 50, 16), {});  // only the swatch's part
  combo.Canvas()->SetHandle(nullptr);
  EXPECT_EQ(face.Canvas()->GetPixels(10, 8), clRed);       // Red, as the table says
  EXPECT_EQ(face.Canvas()->GetPixels(2, 2), clBlack);      // the swatch's frame
  EXPECT_EQ(face.Canvas()->GetPixels(60, 1), clWhite);     // the rest of item 4
  EXPECT_EQ(asked, (std::vector<int>{4, 9}));

  TBitmap again;
  again.SetSize(100, 16);
  combo.Canvas()->SetHandle(again.Canvas()->GetHandle());
  combo.DrawItem(4, Rect(0, 0, 100, 16), {});
  combo.Canvas()->SetHandle(nullptr);
  EXPECT_EQ(again.Canvas()->GetPixels(10, 8), clFuchsia);  // Navy overridden
  EXPECT_EQ(asked, (std::vector<int>{4, 9, 4}));

  asked.clear();
  combo.SetColorByName("Lime");
  combo.Click();
  EXPECT_EQ(asked, std::vector<int>{10});
}

}  // namespace
