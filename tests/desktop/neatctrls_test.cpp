// The owner-drawn button and the bitmap track bar: geometry, keys and clicks, reading from
// a form, painting over the parent, and the drawing routines.
#include <gtest/gtest.h>

#include "classlib/windows/application.h"
#include "classlib/core/clock.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/core/streams.h"
#include "desktop/neatctrls.h"
#include "tests/classlib/gui_test_util.h"

using namespace guitest;

namespace {

TEST(NeatTrackGeometry, PlacesValuesBetweenTheMargins) {
  struct Case {
    int Extent, Min, Max, Value, At;
    double Scale;
  } cases[] = {
      {150, 0, 60, 0, 10, 130.0 / 60},   {150, 0, 60, 30, 75, 130.0 / 60}, {150, 0, 60, 60, 140, 130.0 / 60},
      {150, 0, 60, 1, 12, 130.0 / 60},   {150, 10, 20, 10, 10, 13},        {150, 10, 20, 15, 75, 13},
      {150, 10, 20, 20, 140, 13},        {150, 5, 5, 5, 10, 0},            {20, 0, 60, 30, 10, 0},
      {15, 0, 60, 60, 10, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NeatTrackOffset(c.Value, c.Extent, c.Min, c.Max), c.At) << c.Extent << " " << c.Min << ".." << c.Max;
    EXPECT_DOUBLE_EQ(NeatTrackScale(c.Extent, c.Min, c.Max), c.Scale);
  }
}

class NeatTrackBarTest : public ::testing::Test {
 protected:
  std::unique_ptr<TForm> form{new TForm(nullptr, CreateNew)};
  TNeatTrackBar* bar = new TNeatTrackBar(form.get());
  std::vector<int> changes;

  void SetUp() override {
    form->SetBounds(50, 50, 300, 200);
    bar->SetParent(form.get());
    bar->SetBounds(20, 20, 150, 40);
    bar->SetMaxValue(60);
    bar->OnChange = [this](TObject*) { changes.push_back(bar->GetPosition()); };
  }
  void Key(WORD Key) { bar->Perform(WM_KEYDOWN, Key, 0); }
  void Click(int X, int Y) {
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    bar->Perform(WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
  }
};

TEST_F(NeatTrackBarTest, KeysAndClicksStepThePosition) {
  form->Show();
  EXPECT_EQ(bar->GetOrientation(), toHorizontal);
  TRect thumb = bar->ThumbRect();
  EXPECT_EQ(thumb.Width(), 11);  // the built-in thumb
  EXPECT_EQ((thumb.Left + thumb.Right) / 2, 10);
  Key(VK_UP);  // at the start: nothing
  Key(VK_NEXT);
  Key(VK_NEXT);
  Key(VK_PRIOR);
  Key(VK_END);
  Key(VK_RIGHT);  // at the end: nothing
  Key(VK_DOWN);
  Key(VK_LEFT);
  Key(VK_HOME);
  EXPECT_EQ(changes, (std::vector<int>{1, 2, 1, 60, 59, 0}));
  changes.clear();
  bar->SetPosition(30);
  thumb = bar->ThumbRect();
  Click(thumb.Right + 20, 20);  // right of the thumb: one more
  Click(thumb.Left - 20, 20);   // left of it: one less
  Click(thumb.Left - 20, 20);
  EXPECT_EQ(changes, (std::vector<int>{30, 31, 30, 29}));
  changes.clear();
  bar->SetPosition(-5);
  bar->SetPosition(-5);
  EXPECT_EQ(bar->GetPosition(), 0);
  bar->SetPosition(99);
  EXPECT_EQ(bar->GetPosition(), 60);
  EXPECT_EQ(changes, (std::vector<int>{0, 60}));
}

TEST_F(NeatTrackBarTest, DraggingTheThumbFollowsTheMouse) {
  form->Show();
  bar->SetPosition(30);
  TRect thumb = bar->ThumbRect();
  int centre = (thumb.Left + thumb.Right) / 2;
  bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre, 20));
  EXPECT_TRUE(bar->Dragging());
  bar->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(centre + 26, 20));  // 26 pixels: 12 values
  EXPECT_EQ(bar->GetPosition(), 42);
  bar->Perform(WM_LBUTTONUP, 0, MAKELPARAM(centre + 26, 20));
  EXPECT_FALSE(bar->Dragging());
  EXPECT_EQ(changes, (std::vector<int>{30, 42}));
  // One value only: nothing to drag to, no division by zero.
  bar->SetMaxValue(0);
  thumb = bar->ThumbRect();
  bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(thumb.Left + 5, 20));
  bar->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(thumb.Left + 80, 20));
  bar->Perform(WM_LBUTTONUP, 0, MAKELPARAM(thumb.Left + 80, 20));
  EXPECT_EQ(bar->GetPosition(), 0);
  form->Repaint();  // one tick, the thumb at the margin
}

TEST_F(NeatTrackBarTest, ItsShapeDecidesTheOrientationAndOnlyOrientationSwaps) {
  bar->SetBounds(0, 0, 40, 150);
  EXPECT_EQ(bar->GetOrientation(), toVertical);
  EXPECT_EQ(bar->GetWidth(), 40);
  EXPECT_EQ(bar->GetHeight(), 150);
  bar->SetBounds(0, 0, 40, 40);
  EXPECT_EQ(bar->GetOrientation(), toHorizontal);
  bar->SetOrientation(toVertical);  // a square stays square, and vertical
  EXPECT_EQ(bar->GetOrientation(), toVertical);
  bar->SetBounds(0, 0, 150, 40);
  bar->SetOrientation(toVertical);
  EXPECT_EQ(bar->GetWidth(), 40);
  EXPECT_EQ(bar->GetHeight(), 150);
  EXPECT_EQ(bar->ThumbRect().Width(), 21);  // the vertical thumb
}

TEST(NeatTrackBar, ReadsItsRangeFromAForm) {
  TStringStream text(
      "object NeatTrackBar1: TNeatTrackBar\n  Left = 8\n  Top = 8\n  Width = 150\n  Height = 40\n"
      "  MinValue = 20\n  MaxValue = 60\n  Position = 45\nend\n");
  TMemoryStream binary;
  ObjectTextToBinary(&text, &binary);
  binary.SetPosition(0);
  TReader reader(&binary);
  std::unique_ptr<TNeatTrackBar> bar(static_cast<TNeatTrackBar*>(reader.ReadRootComponent(nullptr)));
  EXPECT_EQ(bar->GetMinValue(), 20);
  EXPECT_EQ(bar->GetMaxValue(), 60);
  EXPECT_EQ(bar->GetPosition(), 45);
}

TEST_F(NeatTrackBarTest, PaintedTransparentlyItShowsItsParent) {
  const TColor parent = TColor(0x3060C0);
  form->SetColor(parent);
  bar->SetOptions({ocPaintTransparently});
  bar->SetPaintOptions({poDrawTrackBar, poDrawThumb});
  bar->SetPosition(30);
  form->Show();
  form->Repaint();
  PumpFor(50);
  auto shot = Capture(form->GetHandle(), false);
  TRect t = bar->ThumbRect();
  auto at = [&](int x, int y) { return shot->Canvas()->GetPixels(20 + x, 20 + y); };
  EXPECT_EQ(at(1, 1), parent);
  EXPECT_EQ(at(t.Left, t.Bottom - 1), parent);            // the thumb's transparent corner
  EXPECT_EQ(at(t.Left + 5, t.Top + 5), TColor(0xC0C0C0));  // its face
  EXPECT_EQ(at(40, 20), TColor(ColorToRGB(clWindow)));  // the bar
}

// ---- The button ----

TEST(NeatGradient, PaintsExactlyItsBandsFromTheFirstColourOn) {
  TBitmap face;
  face.SetSize(130, 4);
  face.Canvas()->GetBrush()->SetColor(clBlack);
  face.Canvas()->FillRect(Rect(0, 0, 130, 4));
  NeatDrawGradient(face.Canvas(), Rect(1, 0, 129, 4), clBtnFace, clBtnShadow, gdHorizontal, 128);
  COLORREF a = ColorToRGB(clBtnFace), b = ColorToRGB(clBtnShadow);
  EXPECT_EQ(face.Canvas()->GetPixels(1, 2), TColor(a));
  EXPECT_EQ(face.Canvas()->GetPixels(128, 2), TColor(NeatGradientBandColor(a, b, 127, 128)));
  EXPECT_EQ(face.Canvas()->GetPixels(0, 2), clBlack);
  EXPECT_EQ(face.Canvas()->GetPixels(129, 2), clBlack);
  EXPECT_EQ(NeatGradientBandColor(RGB(0, 100, 200), RGB(128, 0, 200), 64, 128), RGB(64, 50, 200));
  // Vertical: the bands run down.
  NeatDrawGradient(face.Canvas(), Rect(0, 0, 130, 4), clBlack, clWhite, gdVertical, 4);
  EXPECT_EQ(face.Canvas()->GetPixels(100, 0), clBlack);
  EXPECT_EQ(face.Canvas()->GetPixels(100, 3), TColor(RGB(191, 191, 191)));
}

TEST(NeatBtn, PlacesGlyphAndCaptionInEachLayout) {
  std::unique_ptr<TForm> form(new TForm(nullptr, CreateNew));
  auto* button = new TNeatBtn(form.get());
  button->SetParent(form.get());
  button->SetCaption("Пуск");
  TBitmap glyph;
  glyph.SetSize(32, 16);  // two 16 x 16 images
  button->SetGlyph(&glyph);
  button->SetNumGlyphs(4);
  EXPECT_EQ(button->GetNumGlyphs(), 2);
  button->SetNumGlyphs(0);
  EXPECT_EQ(button->GetNumGlyphs(), 1);
  button->SetNumGlyphs(2);
  button->SetMargin(-1);
  button->SetSpacing(-1);
  button->SetMargin(-7);
  EXPECT_EQ(button->GetMargin(), -1);
  TBitmap measure;
  measure.SetSize(1, 1);
  measure.Canvas()->SetFont(button->GetFont());
  TPoint text = measure.Canvas()->TextExtent("Пуск");
  const TPoint client{120, 80};
  int across = (120 - 16 - text.X) / 3, down = (80 - 16 - text.Y) / 3;
  struct Case {
    TButtonLayout Layout;
    TPoint Glyph, Text;
  } cases[] = {
      {blGlyphLeft, {across, 32}, {across + 16 + across, (80 - text.Y + 1) / 2}},
      {blGlyphRight, {120 - across - 16, 32}, {120 - across - 16 - across - text.X, (80 - text.Y + 1) / 2}},
      {blGlyphTop, {52, down}, {(120 - text.X + 1) / 2, down + 16 + down}},
      {blGlyphBottom, {52, 80 - down - 16}, {(120 - text.X + 1) / 2, 80 - down - 16 - down - text.Y}},
  };
  for (const Case& c : cases) {
    button->SetLayout(c.Layout);
    TPoint glyphAt;
    TRect textAt;
    button->GlyphAndTextPlaces(client, glyphAt, textAt);
    EXPECT_EQ(glyphAt.X, c.Glyph.X) << c.Layout;
    EXPECT_EQ(glyphAt.Y, c.Glyph.Y) << c.Layout;
    EXPECT_EQ(textAt.Left, c.Text.X) << c.Layout;
    EXPECT_EQ(textAt.Top, c.Text.Y) << c.Layout;
    EXPECT_EQ(textAt.Width(), text.X);
  }
}

TEST(NeatBtn, AFlatButtonShowsItsFrameOnlyUnderTheMouse) {
  std::unique_ptr<TForm> form(new TForm(nullptr, CreateNew));
  auto* button = new TNeatBtn(form.get());
  button->SetParent(form.get());
  button->SetBounds(0, 0, 60, 24);
  button->SetColor(clRed);
  button->SetBtnPaintOptions({});
  auto corner = [&] {
    TBitmap face;
    face.SetSize(60, 24);
    button->PaintFace(face.Canvas(), false, false);
    return face.Canvas()->GetPixels(0, 0);
  };
  EXPECT_NE(corner(), clRed);  // a raised edge
  button->SetFlat(true);
  EXPECT_EQ(corner(), clRed);
  button->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(button->MouseInside());
  EXPECT_NE(corner(), clRed);
  button->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(corner(), clRed);
}

TEST(NeatBtn, ShowsAWallpaperFromItsBitmapListWhileTheListLives) {
  std::unique_ptr<TForm> form(new TForm(nullptr, CreateNew));
  auto* images = new TNeatImages(form.get());
  TBitmap tile;
  tile.SetSize(4, 4);
  tile.Canvas()->GetBrush()->SetColor(clBlue);
  tile.Canvas()->FillRect(Rect(0, 0, 4, 4));
  static_cast<TBitmapItem*>(images->GetBitmaps()->Add())->SetBitmap(&tile);
  auto* button = new TNeatBtn(form.get());
  button->SetParent(form.get());
  button->SetBounds(0, 0, 60, 24);
  button->SetColor(clRed);
  button->SetOptions({ocPaintWallpaper, ocTileWallpaper});
  button->SetNeatImages(images);
  button->SetIdWallpaper(0);
  auto inside = [&] {
    TBitmap face;
    face.SetSize(60, 24);
    button->PaintFace(face.Canvas(), false, false);
    return face.Canvas()->GetPixels(50, 20);
  };
  EXPECT_EQ(inside(), clBlue);  // tiled over the whole face
  button->SetIdWallpaper(3);    // no such bitmap, and no own wallpaper: the colour
  EXPECT_EQ(inside(), clRed);
  button->SetIdWallpaper(0);
  delete images;
  EXPECT_EQ(button->GetNeatImages(), nullptr);
  EXPECT_EQ(inside(), clRed);
  button->SetWallpaper(&tile);  // its own
  EXPECT_EQ(inside(), clBlue);
}

TEST(NeatBtn, AnEmptyImageListAnimatesNothing) {
  TVirtualClock clock;
  TClockScope scope(clock);
  std::unique_ptr<TForm> form(new TForm(nullptr, CreateNew));
  auto* button = new TNeatBtn(form.get());
  button->SetParent(form.get());
  auto* images = new TImageList(form.get());
  button->SetImages(images);
  button->SetInterval(100);
  button->SetAnimated(true);
  form->Show();
  clock.Advance(500);  // ticks, and nothing to show
  PumpFor(20);
  delete images;  // the button lets go of it
  EXPECT_EQ(button->GetImages(), nullptr);
  clock.Advance(500);
}

}  // namespace
