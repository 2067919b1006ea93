// The frame routines on a bitmap, and the border and meter as their form paints them:
// values kept in range (also as a form reads them), LED segments, bars in four directions,
// the micro clock's thin meter, tiny trapezoids, and no GDI object kept by painting.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "classlib/windows/forms.h"
#include "controls/frdraw.h"
#include "controls/frmeter.h"
#include "kit_form_text.h"
#include "kit_gdi_count.h"
#include "test_paths.h"

namespace {

using enum TDirection;

constexpr std::uint32_t kWhite = 0xFFFFFF, kRed = 0x0000FF, kGreen = 0x008000, kYellow = 0x00FFFF,
                        kGray = 0x808080, kBlue = 0xFF0000;

std::uint32_t Rgb(TBitmap& B, int X, int Y) { return static_cast<std::uint32_t>(B.Canvas()->GetPixels(X, Y)) & 0xFFFFFF; }

void SaveArtifact(TBitmap& Picture, const char* Name) {
  std::filesystem::path dir = std::filesystem::path(horavox::test::BinaryDir()) / "test-artifacts";
  std::filesystem::create_directories(dir);
  TBitmap shot;
  shot.Assign(&Picture);
  shot.SetPixelFormat(pf24bit);
  shot.SaveToFile((dir / Name).string());
}

// A white bitmap to draw the routines on.
std::unique_ptr<TBitmap> Blank(int W, int H) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(W, H);
  b->Canvas()->GetBrush()->SetColor(clWhite);
  b->Canvas()->FillRect(Rect(0, 0, W, H));
  return b;
}

TEST(FrDraw, BorderSidesDrawOnlyTheSidesAsked) {
  auto b = Blank(12, 12);
  EXPECT_EQ(DrawBorderSides(b->Canvas(), Rect(0, 0, 10, 10), clRed, {TSide::sdTop}, clBlue), Rect(0, 1, 10, 10));
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x)
      EXPECT_EQ(Rgb(*b, x, y), y == 0 && x < 10 ? kRed : kWhite) << x << "," << y;
  // All four: the right line at R − 1, the bottom line at B − 1.
  auto all = Blank(12, 12);
  EXPECT_EQ(DrawBorderSides(all->Canvas(), Rect(0, 0, 10, 10), clRed, AllSides, clBlue), Rect(1, 1, 9, 9));
  EXPECT_EQ(Rgb(*all, 9, 5), kBlue);
  EXPECT_EQ(Rgb(*all, 5, 9), kBlue);
  EXPECT_EQ(Rgb(*all, 0, 5), kRed);
  EXPECT_EQ(Rgb(*all, 10, 5), kWhite);
  EXPECT_EQ(Rgb(*all, 5, 10), kWhite);
}

TEST(FrDraw, EachFrameStyleTakesItsInsetFromItsSidesOnly) {
  const int insets[] = {0, 1, 2, 2, 2, 2, 2, 2, 1, 1};  // in the order of TFrameStyle
  const TSides topLeft{TSide::sdTop, TSide::sdLeft};
  const TRect r = Rect(2, 2, 22, 22);
  for (int s = 0; s < 10; ++s) {
    const auto style = static_cast<TFrameStyle>(s);
    const String name = HxEnumInfo(style).Name(s);
    auto all = Blank(24, 24);
    all->Canvas()->GetPen()->SetColor(clPurple);
    EXPECT_EQ(DrawFrameStyleSides(all->Canvas(), r, style, AllSides), InflateRect(r, -insets[s], -insets[s])) << name;
    EXPECT_EQ(all->Canvas()->GetPen()->GetColor(), clPurple) << name << ": the pen is put back";
    auto part = Blank(24, 24);
    EXPECT_EQ(DrawFrameStyleSides(part->Canvas(), r, style, topLeft), Rect(2 + insets[s], 2 + insets[s], 22, 22))
        << name;
    // Nothing inside the frame or past the two sides drawn.
    for (int y = 2 + insets[s]; y < 24; ++y)
      for (int x = 2 + insets[s]; x < 24; ++x)
        ASSERT_EQ(Rgb(*part, x, y), kWhite) << name << " at " << x << "," << y;
    for (int i = 0; i < 24; ++i) {
      ASSERT_EQ(Rgb(*all, i, 0), kWhite) << name;
      ASSERT_EQ(Rgb(*all, 0, i), kWhite) << name;
      ASSERT_EQ(Rgb(*all, i, 23), kWhite) << name;
    }
  }
  // The grooved frame's two lines: highlight then shadow inside the left edge.
  auto groove = Blank(24, 24);
  EXPECT_EQ(DrawFrameStyleBorder(groove->Canvas(), Rect(0, 0, 10, 10), TFrameStyle::fsGroove), Rect(2, 2, 8, 8));
  EXPECT_EQ(Rgb(*groove, 0, 5), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Rgb(*groove, 1, 5), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Rgb(*groove, 9, 5), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Rgb(*groove, 8, 5), ColorToRGB(clBtnShadow));
}

TEST(FrDraw, BevelsRingTheRectangle) {
  auto b = Blank(12, 12);
  EXPECT_EQ(DrawBevel(b->Canvas(), Rect(0, 0, 10, 10), true, 2), Rect(2, 2, 8, 8));
  EXPECT_EQ(Rgb(*b, 9, 5), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Rgb(*b, 8, 5), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Rgb(*b, 0, 5), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Rgb(*b, 5, 1), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Rgb(*b, 5, 5), kWhite);
}

TEST(FrDraw, TileBitmapCutsTheCopiesAtTheEdges) {
  TBitmap tile;
  tile.SetSize(3, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) tile.Canvas()->SetPixels(x, y, static_cast<TColor>(0x101010 * (y * 3 + x + 1)));
  auto b = Blank(12, 9);
  TileBitmap(b->Canvas(), &tile, Rect(1, 1, 11, 8));
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 1 && x < 11 && y >= 1 && y < 8;
      EXPECT_EQ(Rgb(*b, x, y), inside ? Rgb(tile, (x - 1) % 3, (y - 1) % 3) : kWhite) << x << "," << y;
    }
  // An empty picture or rectangle: nothing, and it returns.
  TBitmap empty;
  auto c = Blank(5, 5);
  TileBitmap(c->Canvas(), &empty, Rect(0, 0, 5, 5));
  TileBitmap(c->Canvas(), &tile, Rect(3, 3, 3, 5));
  TileBitmap(c->Canvas(), nullptr, Rect(0, 0, 5, 5));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(Rgb(*c, x, y), kWhite);
}

// ---- The controls on a form ----

class FrMeterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr, CreateNew);
    form->SetBorderStyle(bsNone);
    form->SetColor(clGray);
    form->SetBounds(20, 20, 400, 300);
  }
  void TearDown() override { delete form; }
  template <class C>
  C* Add(int Left, int Top, int Width, int Height) {
    auto* c = new C(form);
    c->SetParent(form);
    c->SetBounds(Left, Top, Width, Height);
    return c;
  }
  // A meter without a frame or text: just the bar.
  TFrMeter* PlainBar(int Left, int Top, int Width, int Height) {
    auto* m = Add<TFrMeter>(Left, Top, Width, Height);
    m->SetBorderOuter(TFrameStyle::fsNone);
    m->SetMeterType(TMeterType::mtNormal);
    m->SetShowPercent(false);
    m->SetBackColor(clWhite);
    return m;
  }
  // The form's client area as its window paints it.
  void Paint() {
    picture.SetSize(400, 300);
    HDC dc = picture.Canvas()->GetHandle();
    SendMessageW(form->GetHandle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(form->GetHandle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  }
  // The colours along a row (or a column), each run once: "green gray green" …
  std::vector<std::uint32_t> Runs(int X0, int Y0, int DX, int DY, int Count) {
    std::vector<std::uint32_t> runs;
    for (int i = 0; i < Count; ++i) {
      std::uint32_t c = Rgb(picture, X0 + i * DX, Y0 + i * DY);
      if (runs.empty() || runs.back() != c) runs.push_back(c);
    }
    return runs;
  }
  TForm* form = nullptr;
  TBitmap picture;
};

TEST_F(FrMeterTest, TheValueStaysInItsRange) {
  auto* m = Add<TFrMeter>(0, 0, 150, 30);
  m->SetValue(150);
  EXPECT_EQ(m->GetValue(), 100);
  EXPECT_EQ(m->Percent(), 100);
  m->SetMax(80);
  EXPECT_EQ(m->GetValue(), 80) << "lowering Max takes the value along";
  m->SetMin(90);
  EXPECT_EQ(m->GetValue(), 90);
  EXPECT_EQ(m->Percent(), 0) << "Min > Max";
  m->SetMax(90);
  EXPECT_EQ(m->Percent(), 0) << "Min = Max";
  m->SetMin(0);
  m->SetMax(INT_MAX);
  m->SetValue(INT_MAX / 2);
  EXPECT_EQ(m->Percent(), 49);
  m->SetValue(-5);
  EXPECT_EQ(m->GetValue(), 0);
  // Refused: a count of 0 or past a byte, a bevel below 1, a border below 0.
  m->SetSeg1Count(0);
  m->SetSeg2Count(256);
  m->SetBevelWidth(0);
  m->SetBorderWidth(-1);
  EXPECT_EQ(m->GetSeg1Count(), 5);
  EXPECT_EQ(m->GetSeg2Count(), 3);
  EXPECT_EQ(m->GetBevelWidth(), 1);
  EXPECT_EQ(m->GetBorderWidth(), 0);
}

TEST(FrMeterForm, ValuesReadFromAFormAreKeptInRangeWhole) {
  struct TCase {
    const char* Properties;
    int Min, Max, Value;
  };
  const std::vector<TCase> cases = {
      {"  Value = 150\n  Max = 200\n", 0, 200, 150},  // the value comes before its maximum
      {"  Max = 50\n  Value = 80\n", 0, 50, 50},
      {"  Value = 5\n  Min = 10\n  Max = 20\n", 10, 20, 10},
      {"  Min = 10\n  Max = 5\n  Value = 7\n", 10, 5, 10},
  };
  for (const TCase& c : cases) {
    auto m = ReadComponentText<TFrMeter>(std::string("object Gauge1: TFrMeter\n") + c.Properties + "end\n");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->GetMin(), c.Min) << c.Properties;
    EXPECT_EQ(m->GetMax(), c.Max) << c.Properties;
    EXPECT_EQ(m->GetValue(), c.Value) << c.Properties;
  }
  // The micro clock's meter as its form declares it.
  auto g = ReadComponentText<TFrMeter>(
      "object Gauge1: TFrMeter\n  Left = 0\n  Top = 28\n  Width = 57\n  Height = 7\n  BackColor = clWhite\n"
      "  BorderOuter = fsNone\n  Color = clWhite\n  MeterType = mtNormal\n  ShowPercent = False\n"
      "  BorderSides = [sdLeft, sdBottom]\n  Direction = dirUp\nend\n");
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->GetBorderOuter(), TFrameStyle::fsNone);
  EXPECT_EQ(g->GetMeterType(), TMeterType::mtNormal);
  EXPECT_FALSE(g->GetShowPercent());
  EXPECT_EQ(g->GetBackColor(), clWhite);
  EXPECT_EQ(g->GetBorderSides(), (TSides{TSide::sdLeft, TSide::sdBottom}));
  EXPECT_EQ(g->GetDirection(), dirUp);
  EXPECT_EQ(g->GetWidth(), 57);
  EXPECT_EQ(g->GetBrushStyle(), bsSolid);
}

TEST_F(FrMeterTest, LedSegmentsLightByTheirGroups) {
  struct TCase {
    int Min, Max, Value;
    std::vector<std::uint32_t> Segments;  // left to right
  };
  auto repeat = [](std::uint32_t c, int n) { return std::vector<std::uint32_t>(n, c); };
  auto join = [](std::vector<std::vector<std::uint32_t>> parts) {
    std::vector<std::uint32_t> all;
    for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const std::vector<TCase> cases = {
      {0, 100, 50, join({repeat(kGreen, 5), repeat(kGray, 5)})},
      {0, 100, 80, join({repeat(kGreen, 5), repeat(kYellow, 3), repeat(kGray, 2)})},
      {0, 100, 100, join({repeat(kGreen, 5), repeat(kYellow, 3), repeat(kRed, 2)})},
      {7, 7, 7, repeat(kGray, 10)},
      {10, 0, 5, repeat(kGray, 10)},
  };
  auto* m = Add<TFrMeter>(10, 10, 150, 30);
  m->SetSegOffColor(clGray);
  for (const TCase& c : cases) {
    m->SetMin(c.Min);
    m->SetMax(c.Max);
    m->SetValue(c.Value);
    Paint();
    // Along the middle row inside the frame: black background between the segments.
    std::vector<std::uint32_t> seen;
    for (std::uint32_t colour : Runs(10 + 3, 10 + 15, 1, 0, 144))
      if (colour != 0) seen.push_back(colour);
    EXPECT_EQ(seen, c.Segments) << c.Min << ".." << c.Max << ": " << c.Value;
  }
  SaveArtifact(picture, "controls-meter-led.bmp");
}

TEST_F(FrMeterTest, HalfABarInEachDirection) {
  struct TCase {
    TDirection Direction;
    bool Vertical;
    std::uint32_t First, Second;  // from the left or the top
  };
  const std::vector<TCase> cases = {
      {dirRight, false, kRed, kWhite}, {dirLeft, false, kWhite, kRed},
      {dirUp, true, kWhite, kRed},     {dirDown, true, kRed, kWhite},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    auto* m = PlainBar(5 + static_cast<int>(i) * 95, 10, 90, 40);
    m->SetDirection(cases[i].Direction);
    m->SetValue(50);
  }
  Paint();
  // Along the middle: 45 of 90 columns, or 20 of 40 rows, filled from the start edge.
  for (size_t i = 0; i < cases.size(); ++i) {
    const TCase& c = cases[i];
    const int left = 5 + static_cast<int>(i) * 95;
    const int n = c.Vertical ? 40 : 90;
    for (int k = 0; k < n; ++k) {
      const int x = c.Vertical ? left + 45 : left + k, y = c.Vertical ? 10 + k : 30;
      ASSERT_EQ(Rgb(picture, x, y), k < n / 2 ? c.First : c.Second) << "meter " << i << " at " << k;
    }
  }
  SaveArtifact(picture, "controls-meter-bars.bmp");
}

TEST_F(FrMeterTest, TheMicroClocksMeter) {
  auto* m = PlainBar(10, 10, 57, 7);
  m->SetColor(clWhite);
  m->SetMax(120);
  m->SetValue(60);
  Paint();
  for (int y = 10; y < 17; ++y)
    for (int x = 10; x < 67; ++x) ASSERT_EQ(Rgb(picture, x, y), x < 10 + 28 ? kRed : kWhite) << x << "," << y;
  EXPECT_EQ(Rgb(picture, 67, 12), kGray) << "nothing past the meter";
  m->SetMin(130);  // past its maximum: an empty bar
  Paint();
  for (int x = 10; x < 67; ++x) ASSERT_EQ(Rgb(picture, x, 13), kWhite) << x;
}

TEST_F(FrMeterTest, AFlatBorderGoesRoundAllFourSides) {
  auto* b = Add<TFrBorder>(10, 10, 30, 20);
  b->SetBorderOuter(TFrameStyle::fsFlat);
  b->SetFlatColor(clBlue);
  b->SetBorderSides({TSide::sdTop});
  Paint();
  EXPECT_EQ(Rgb(picture, 20, 10), kBlue);
  EXPECT_EQ(Rgb(picture, 20, 29), kBlue);
  EXPECT_EQ(Rgb(picture, 10, 20), kBlue);
  EXPECT_EQ(Rgb(picture, 39, 20), kBlue);
  EXPECT_EQ(Rgb(picture, 20, 20), kGray) << "a border leaves its inside to what is under it";
  EXPECT_EQ(b->ClientRect(), Rect(0, 1, 30, 20)) << "its client area loses the chosen side only";
  // A band of BorderColor inside a grooved frame.
  b->SetBorderOuter(TFrameStyle::fsGroove);
  b->SetBorderSides(AllSides);
  b->SetBorderWidth(3);
  b->SetBorderColor(clYellow);
  Paint();
  EXPECT_EQ(Rgb(picture, 10 + 2, 20), kYellow);
  EXPECT_EQ(Rgb(picture, 10 + 4, 20), kYellow);
  EXPECT_EQ(Rgb(picture, 10 + 5, 20), kGray);
  EXPECT_EQ(b->ClientRect(), Rect(5, 5, 25, 15));
}

TEST_F(FrMeterTest, TrapezoidsOfEveryKindPaintAtTinySizes) {
  int i = 0;
  for (TDirection d : {dirRight, dirLeft, dirUp, dirDown})
    for (TTrapDirect t : {TTrapDirect::tdLargeToSmall, TTrapDirect::tdSmallToLarge})
      for (TMeterType type : {TMeterType::mtNormal, TMeterType::mtBar3D, TMeterType::mtLED}) {
        auto* m = Add<TFrMeter>(4 + (i % 20) * 12, 4 + (i / 20) * 10, 8, 6);
        m->SetMeterShape(TMeterShape::msTrapezoidal);
        m->SetDirection(d);
        m->SetTrapezoidDir(t);
        m->SetMeterType(type);
        m->SetValue(70);
        ++i;
      }
  auto* outside = Add<TFrMeter>(4, 100, 8, 6);
  outside->SetMeterShape(TMeterShape::msTrapezoidal);
  outside->SetBorderOuter(TFrameStyle::fsNone);
  outside->SetValue(100);
  Paint();  // no division by zero, nothing past the meters
  EXPECT_EQ(Rgb(picture, 4 + 8, 4), kGray);
  // A larger one: the bar fills the trapezoid's axis up to its value, clBtnFace outside.
  auto* big = Add<TFrMeter>(10, 150, 200, 40);
  big->SetMeterShape(TMeterShape::msTrapezoidal);
  big->SetMeterType(TMeterType::mtNormal);
  big->SetShowPercent(false);
  big->SetValue(50);
  Paint();
  EXPECT_EQ(Rgb(picture, 10 + 50, 150 + 20), kRed);
  EXPECT_EQ(Rgb(picture, 10 + 150, 150 + 20), 0u) << "black beyond the value";
  EXPECT_EQ(Rgb(picture, 10 + 196, 150 + 2), ColorToRGB(clBtnFace)) << "outside the tapered end";
  SaveArtifact(picture, "controls-meter-trapezoids.bmp");
}

TEST_F(FrMeterTest, PaintingKeepsNoGdiObject) {
  auto* plain = Add<TFrMeter>(10, 10, 150, 30);
  plain->SetMeterType(TMeterType::mtBar3D);
  auto* tiled = Add<TFrMeter>(10, 50, 150, 30);
  tiled->SetMeterType(TMeterType::mtNormal);
  tiled->SetMeterShape(TMeterShape::msTrapezoidal);
  tiled->GetBitmap()->SetSize(4, 4);
  auto* led = Add<TFrMeter>(10, 90, 150, 30);
  led->SetMeterShape(TMeterShape::msTrapezoidal);
  for (int i = 0; i < 3; ++i) {  // what is made once, on first use
    for (TFrMeter* m : {plain, tiled, led}) m->SetValue(40 * i);
    Paint();
  }
  int before = LiveGdiObjects();
  for (int i = 0; i < 300; ++i) {
    for (TFrMeter* m : {plain, tiled, led}) m->SetValue(i % 101);
    Paint();
  }
  EXPECT_LE(LiveGdiObjects(), before + 2);
  SaveArtifact(picture, "controls-meters.bmp");
}

}  // namespace
