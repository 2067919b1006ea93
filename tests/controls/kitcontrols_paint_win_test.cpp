// The kit's controls painted on a form with a gradient shape, as its window paints them
// (into a picture saved under test-artifacts/): the LED clock, a sunken label, an empty
// label, a fill label and a transparent track bar; and no GDI object kept by painting.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "classlib/core/clock.h"
#include "classlib/windows/forms.h"
#include "controls/kitapp.h"
#include "controls/kitclock.h"
#include "controls/kitlabel.h"
#include "controls/kitshape.h"
#include "controls/kittrackbar.h"
#include "kit_gdi_count.h"
#include "test_paths.h"

namespace {

std::uint32_t Rgb(TBitmap& B, int X, int Y) { return static_cast<std::uint32_t>(B.Canvas()->GetPixels(X, Y)) & 0xFFFFFF; }

class KitPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr, CreateNew);
    form->SetBorderStyle(bsNone);
    form->SetBounds(20, 20, 400, 300);
    shape = new TKitFormShape(form);
    shape->GetRegion()->SetShape(TKitRegionShape::rsRect);
    shape->GetFillObject()->SetStyle(TKitFillStyle::sfGradient);
    shape->GetFillObject()->GetGradient()->SetColor(clRed);
    shape->GetFillObject()->GetGradient()->SetEndColor(clBlue);
    shape->GetFillObject()->GetGradient()->SetColorCount(236);
  }
  void TearDown() override { delete form; }
  // A transparent window control needs its parent showing.
  void ShowForm() { form->Show(); }
  // The form's client area as its windows paint it: the background, the windowless
  // controls, then each child window at its place.
  void Paint() {
    picture.SetSize(400, 300);
    HDC dc = picture.Canvas()->GetHandle();
    SendMessageW(form->GetHandle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(form->GetHandle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    for (int i = 0; i < form->ControlCount(); ++i) {
      auto* child = dynamic_cast<TWinControl*>(form->Controls(i));
      if (!child) continue;
      int saved = SaveDC(dc);
      SetViewportOrgEx(dc, child->GetLeft(), child->GetTop(), nullptr);
      IntersectClipRect(dc, 0, 0, child->GetWidth(), child->GetHeight());
      SendMessageW(child->GetHandle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
      RestoreDC(dc, saved);
    }
  }
  void Save(const char* Name) {
    std::filesystem::path dir = std::filesystem::path(horavox::test::BinaryDir()) / "test-artifacts";
    std::filesystem::create_directories(dir);
    TBitmap shot;
    shot.Assign(&picture);
    shot.SetPixelFormat(pf24bit);
    shot.SaveToFile((dir / Name).string());
  }
  std::uint32_t Background(int X, int Y) { return Rgb(*shape->GetBackgroundBitmap(), X, Y); }
  TVirtualClock clock{EncodeDate(2026, 3, 14) + EncodeTime(21, 5, 7, 0)};
  TClockScope clockScope{clock};
  TKitApplication app{"horavox-kitpaint-test"};
  TKitApplicationScope appScope{app};
  TForm* form = nullptr;
  TKitFormShape* shape = nullptr;
  TBitmap picture;
};

TEST_F(KitPaintTest, TheLabelsOnTheGradient) {
  auto* sunken = new TKitLabel(form);
  sunken->SetParent(form);
  sunken->SetLeft(20);
  sunken->SetTop(20);
  sunken->GetFont()->SetName("Arial");
  sunken->GetFont()->SetSize(28);
  sunken->GetFont()->SetColor(clSilver);
  sunken->GetFontFx()->SetStyle(TKitThreeDStyle::tdSunken);
  sunken->SetCaption("I");
  auto* empty = new TKitLabel(form);
  empty->SetParent(form);
  empty->SetAutoSize(false);
  empty->SetBounds(200, 20, 60, 40);
  auto* fill = new TKitLabelFill(form);
  fill->SetParent(form);
  fill->SetLeft(20);
  fill->SetTop(150);
  fill->SetTransparent(false);
  fill->SetColor(clWhite);
  fill->GetFillObject()->SetStyle(TKitFillStyle::sfBrush);
  fill->GetFillObject()->GetBrush()->SetColor(clLime);
  fill->SetCaption("I");
  Paint();
  Save("controls-labels.bmp");
  // The sunken "I": silver with white one pixel right of and below it; gradient around.
  int silverX = -1;
  for (int y = sunken->GetTop(); y < sunken->GetTop() + sunken->GetHeight() && silverX < 0; ++y)
    for (int x = sunken->GetLeft(); x < sunken->GetLeft() + sunken->GetWidth(); ++x)
      if (Rgb(picture, x, y) == 0xC0C0C0 && Rgb(picture, x + 1, y + 1) == 0xFFFFFF) {
        silverX = x;
        break;
      }
  EXPECT_GE(silverX, 0) << "no silver with white below right";
  EXPECT_EQ(Rgb(picture, sunken->GetLeft() + 1, sunken->GetTop() + 1), Background(sunken->GetLeft() + 1, sunken->GetTop() + 1));
  // The empty label leaves the background.
  for (int y = 20; y < 60; y += 7)
    for (int x = 200; x < 260; x += 7) EXPECT_EQ(Rgb(picture, x, y), Background(x, y)) << x << "," << y;
  // The fill label's glyph carries the fill, and only the glyph.
  int lime = 0, white = 0;
  for (int y = fill->GetTop(); y < fill->GetTop() + fill->GetHeight(); ++y)
    for (int x = fill->GetLeft(); x < fill->GetLeft() + fill->GetWidth(); ++x) {
      lime += Rgb(picture, x, y) == 0x00FF00;
      white += Rgb(picture, x, y) == 0xFFFFFF;
    }
  EXPECT_GT(lime, 30);
  EXPECT_GT(white, lime);
}

TEST_F(KitPaintTest, ATransparentTrackBarShowsTheGradientRoundItsTrack) {
  auto* bar = new TKitTrackBar(form);
  bar->SetParent(form);
  bar->SetBounds(40, 200, 220, 35);
  bar->SetTransparent(true);
  bar->SetTickStyle(TKitTickStyle::tsNone);
  ShowForm();
  Paint();
  Save("controls-trackbar.bmp");
  TRect track = bar->TrackRect();
  // Between the track and the bar's lower edge, away from the thumb.
  for (int x = track.Left + 30; x < track.Right; x += 20) {
    int y = track.Bottom + 4;
    EXPECT_EQ(Rgb(picture, 40 + x, 200 + y), Background(40 + x, 200 + y)) << x;
  }
  EXPECT_EQ(Rgb(picture, 40 + track.Left + 100, 200 + track.Top + track.Height() / 2), 0xFFFFFFu);  // the track
}

TEST_F(KitPaintTest, TheFaceIsDrawnAgainWhenItsTicksChange) {
  auto* k = new TKitClock(form);
  k->SetParent(form);
  k->SetBounds(10, 10, 150, 150);
  k->GetHourHand()->SetVisible(false);
  k->GetMinuteHand()->SetVisible(false);
  k->GetSecondHand()->SetVisible(false);
  // The twelve o'clock mark: centre (75, 75), radius 75 - 4; its square ends left of and
  // above the outer point.
  const int x = 10 + 75 - 1, y = 10 + 4 - 1;
  Paint();
  EXPECT_EQ(Rgb(picture, x, y), 0x808000u);  // clTeal
  k->SetColorBigTick(clRed);
  Paint();
  EXPECT_EQ(Rgb(picture, x, y), 0x0000FFu);
  k->SetStyle(TKitClockStyle::csSimple);  // black lines inward from the mark
  Paint();
  EXPECT_EQ(Rgb(picture, 10 + 75, 10 + 10), 0x000000u);
  EXPECT_NE(Rgb(picture, x, y), 0x0000FFu);
}

TEST_F(KitPaintTest, PaintingKeepsNoGdiObject) {
  auto* k = new TKitClock(form);
  k->SetParent(form);
  k->SetOptions({TKitClockOption::coShowDigital, TKitClockOption::coShowAnalog, TKitClockOption::co24Hour});
  k->SetBounds(10, 10, 150, 150);
  auto* label = new TKitLabel(form);
  label->SetParent(form);
  label->SetBounds(200, 10, 100, 30);
  label->GetBevel()->SetStyleOuter(TKitBevelStyle::bvLowered);
  label->SetCaption("Часы");
  auto* bar = new TKitTrackBar(form);
  bar->SetParent(form);
  bar->SetBounds(40, 200, 220, 35);
  bar->SetTransparent(true);
  ShowForm();
  for (int i = 0; i < 3; ++i) {  // what is made once, on first use
    clock.Advance(1000);
    Paint();
  }
  int before = LiveGdiObjects();
  for (int i = 0; i < 1000; ++i) {
    clock.Advance(1000);
    Paint();
  }
  EXPECT_LE(LiveGdiObjects(), before + 2);
  Save("controls-clock.bmp");
}

}  // namespace
