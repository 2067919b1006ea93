// The kit's drawing geometry without a display: alignment, border widths, the gradient
// ramp and its bands, where pictures go, the 3D caption passes, and the nose and
// think-bubble points of the shapes.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "controls/kitgeometry.h"

namespace {

using A = TKitAlignment;

TEST(KitGeometry, PlaceRectPutsTheSourceByEachAlignment) {
  struct Case {
    A Alignment;
    TRect Expected;
  } cases[] = {
      {A::agTopLeft, {0, 0, 10, 10}},     {A::agTopCenter, {7, 0, 17, 10}},     {A::agTopRight, {15, 0, 25, 10}},
      {A::agCenterLeft, {0, 7, 10, 17}},  {A::agCenter, {7, 7, 17, 17}},        {A::agCenterRight, {15, 7, 25, 17}},
      {A::agBottomLeft, {0, 15, 10, 25}}, {A::agBottomCenter, {7, 15, 17, 25}}, {A::agBottomRight, {15, 15, 25, 25}},
  };
  for (const Case& c : cases) {
    TRect r;
    PlaceRect(c.Alignment, Rect(3, 4, 13, 14), Rect(0, 0, 25, 25), r);
    EXPECT_EQ(r, c.Expected) << EnumName(c.Alignment);
    PlaceRect(c.Alignment, Rect(0, 0, 10, 10), Rect(100, 200, 125, 225), r);
    EXPECT_EQ(r, OffsetRect(c.Expected, 100, 200)) << EnumName(c.Alignment);
  }
}

TEST(KitGeometry, BorderWidthsOfTheStandardBorders) {
  using S = TKitBorderStyle;
  for (int i = 0; i < HxEnumInfo(S{}).Count(); ++i) {
    auto style = static_cast<S>(i);
    int expected = style == S::lsNone ? 0
                   : style == S::lsSingle || style == S::lsSingleRaised || style == S::lsSingleLowered ? 1
                                                                                                      : 2;
    EXPECT_EQ(BorderWidthOf(style), expected) << EnumName(style);
  }
}

TEST(KitGeometry, MulDivRoundsHalfAwayFromZeroAndGivesMinusOneForNoDivisor) {
  EXPECT_EQ(KitMulDiv(1, 10, 4), 3);    // 2.5
  EXPECT_EQ(KitMulDiv(-1, 10, 4), -3);  // -2.5
  EXPECT_EQ(KitMulDiv(7, 3, 2), 11);    // 10.5
  EXPECT_EQ(KitMulDiv(5, 5, 0), -1);
  EXPECT_EQ(KitRound(2.5), 2);
  EXPECT_EQ(KitRound(3.5), 4);
}

TEST(KitGeometry, TheRampRunsFromTheFirstColourToTheLast) {
  const std::uint32_t red = 0x0000FF, lime = 0x00FF00;
  std::vector<std::uint32_t> ramp = GradientRamp(red, lime, 128);
  ASSERT_EQ(ramp.size(), 128u);
  EXPECT_EQ(ramp.front(), red);
  EXPECT_EQ(ramp.back(), lime);
  // Entry 64 of 127 steps: 64 × 255 / 127 = 128.5… → 129; red 255 − 129 = 126, green 129.
  EXPECT_EQ(ramp[64], 0x00817Eu);
  EXPECT_EQ(GradientRamp(red, lime, 1), std::vector<std::uint32_t>{red});
  EXPECT_TRUE(GradientRamp(red, lime, 0).empty());
  EXPECT_EQ(GradientRamp(red, lime, 2), (std::vector<std::uint32_t>{red, lime}));
}

// The colour index each pixel of a W × H fill ends up with (-1 where no band reaches).
std::vector<int> Paint(TKitGradientStyle Style, int W, int H, int Count) {
  std::vector<int> pixels(static_cast<std::size_t>(W * H), -1);
  for (const TKitGradientBand& b : GradientBands(Style, W, H, Count)) {
    EXPECT_FALSE(b.Ellipse);
    for (int y = std::max(b.Rect.Top, 0); y < std::min(b.Rect.Bottom, H); ++y)
      for (int x = std::max(b.Rect.Left, 0); x < std::min(b.Rect.Right, W); ++x) pixels[y * W + x] = b.ColorIndex;
  }
  return pixels;
}

TEST(KitGeometry, TwoColoursOverTenPixelsSplitAtTheMiddle) {
  std::vector<int> p = Paint(TKitGradientStyle::gstHorizontal, 10, 3, 2);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(p[y * 10 + x], x < 5 ? 0 : 1) << x << "," << y;
}

TEST(KitGeometry, CornerGradientsNestSquaresFromTheCorner) {
  struct Case {
    TKitGradientStyle Style;
    int CornerX, CornerY;  // the corner the squares grow from
  } cases[] = {{TKitGradientStyle::gstTopLeft, 0, 0},
               {TKitGradientStyle::gstTopRight, 39, 0},
               {TKitGradientStyle::gstBottomLeft, 0, 39},
               {TKitGradientStyle::gstBottomRight, 39, 39}};
  for (const Case& c : cases) {
    std::vector<int> p = Paint(c.Style, 40, 40, 4);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) {
        int d = std::max(std::abs(x - c.CornerX), std::abs(y - c.CornerY));  // 0..39
        ASSERT_EQ(p[y * 40 + x], d / 10) << EnumName(c.Style) << " " << x << "," << y;
      }
  }
}

TEST(KitGeometry, MoreColoursThanRowsLeaveEmptyBandsAndCoverTheArea) {
  std::vector<TKitGradientBand> bands = GradientBands(TKitGradientStyle::gstVertical, 8, 10, 30);
  EXPECT_EQ(bands.size(), 30u);
  std::vector<int> p = Paint(TKitGradientStyle::gstVertical, 8, 10, 30);
  for (int v : p) EXPECT_GE(v, 0);
  EXPECT_TRUE(GradientBands(TKitGradientStyle::gstVertical, 0, 10, 3).empty());
  EXPECT_TRUE(GradientBands(TKitGradientStyle::gstSquare, 10, 10, 0).empty());
}

TEST(KitGeometry, SquareAndEllipticBandsCentreOnTheArea) {
  for (auto style : {TKitGradientStyle::gstSquare, TKitGradientStyle::gstElliptic}) {
    std::vector<TKitGradientBand> bands = GradientBands(style, 40, 20, 4);
    ASSERT_EQ(bands.size(), 4u);
    EXPECT_EQ(bands.back().ColorIndex, 0);  // the first colour innermost, drawn last
    for (const TKitGradientBand& b : bands) {
      EXPECT_EQ(b.Ellipse, style == TKitGradientStyle::gstElliptic);
      EXPECT_NEAR((b.Rect.Left + b.Rect.Right) / 2.0, 20, 1.0);
      EXPECT_NEAR((b.Rect.Top + b.Rect.Bottom) / 2.0, 10, 1.0);
    }
    // The outermost band reaches past the area (the drawing cuts it there).
    EXPECT_TRUE(bands.front().Rect.Left < 0 || style == TKitGradientStyle::gstSquare);
  }
}

TEST(KitGeometry, PicturesAreCentredTiledStretchedOrKeptAtTheirSize) {
  TRect target = Rect(10, 20, 110, 70);  // 100 × 50
  EXPECT_EQ(BitmapPlacements(target, 30, 10, 0), std::vector<TRect>{Bounds(10, 20, 30, 10)});
  EXPECT_EQ(BitmapPlacements(target, 30, 10, kdfCenter), std::vector<TRect>{Bounds(45, 40, 30, 10)});
  EXPECT_EQ(BitmapPlacements(target, 200, 100, kdfCenter), std::vector<TRect>{Bounds(-40, -5, 200, 100)});
  EXPECT_EQ(BitmapPlacements(target, 30, 10, kdfStretch), std::vector<TRect>{target});
  // Aspect kept: 20 × 20 fits as 50 × 50; by width 100 × 100; by height 50 × 50.
  EXPECT_EQ(BitmapPlacements(target, 20, 20, kdfStretch | kdfAspect), std::vector<TRect>{Bounds(10, 20, 50, 50)});
  EXPECT_EQ(BitmapPlacements(target, 20, 20, kdfStretch | kdfAspectWidth),
            std::vector<TRect>{Bounds(10, 20, 100, 100)});
  EXPECT_EQ(BitmapPlacements(target, 40, 20, kdfStretch | kdfAspectHeight),
            std::vector<TRect>{Bounds(10, 20, 100, 50)});
  std::vector<TRect> tiles = BitmapPlacements(target, 30, 20, kdfTile);
  ASSERT_EQ(tiles.size(), 4u * 3u);  // 100 div 30 + 1 columns, 50 div 20 + 1 rows
  EXPECT_EQ(tiles.back(), Bounds(100, 60, 30, 20));
  // A picture of no size goes nowhere, whatever the flags.
  for (TKitDrawFlags flags : {TKitDrawFlags(0), kdfCenter, kdfStretch, TKitDrawFlags(kdfStretch | kdfAspect),
                              TKitDrawFlags(kdfStretch | kdfAspectWidth), TKitDrawFlags(kdfStretch | kdfAspectHeight),
                              kdfTile}) {
    EXPECT_TRUE(BitmapPlacements(target, 0, 10, flags).empty()) << flags;
    EXPECT_TRUE(BitmapPlacements(target, 10, 0, flags).empty()) << flags;
  }
}

TEST(KitGeometry, ThreeDPassesMoveTheLightCopyAndReturnForTheText) {
  using T = TKitThreeDStyle;
  using C = TKit3DPassColor;
  // Sunken: the light copy one depth right and down of the text, which ends where it began.
  std::vector<TKit3DPass> sunken = Text3DPasses(T::tdSunken, 1, 2);
  ASSERT_EQ(sunken.size(), 2u);
  EXPECT_EQ(sunken[0].Offset, 1);
  EXPECT_EQ(sunken[0].Color, C::Light);
  EXPECT_EQ(sunken[0].Offset + sunken[1].Offset, 0);
  EXPECT_EQ(sunken[1].Color, C::Text);
  for (int i = 0; i < HxEnumInfo(T{}).Count(); ++i) {
    auto style = static_cast<T>(i);
    std::vector<TKit3DPass> passes = Text3DPasses(style, 2, 3);
    EXPECT_EQ(passes.back().Color, C::Text) << EnumName(style);
    int total = 0, reach = 0;
    for (const TKit3DPass& p : passes) total += p.Offset, reach = std::max(reach, total);
    // The text itself lands within the depth the style measures with.
    EXPECT_LE(reach, Text3DDepth(style, 2, 3)) << EnumName(style);
  }
}

TEST(KitGeometry, RotatedTextNeverStartsAtANegativePosition) {
  // A correction larger than the room: kept at 0 rather than wrapping round.
  TPoint p = RotatedTextPos(2, 2, Rect(0, 0, 3, 3), 45, TKitThreeDStyle::tdShadow, 1, 30);
  EXPECT_GE(p.X, 0);
  EXPECT_GE(p.Y, 0);
  // At 90° the text starts at the bottom-left of its turned box.
  p = RotatedTextPos(100, 20, Rect(0, 0, 20, 100), 90, TKitThreeDStyle::tdNone, 1, 1);
  EXPECT_EQ(p, Point(0, 100));
}

TEST(KitGeometry, NosePointsForEveryPosition) {
  using E = TKitExtPos;
  struct Case {
    E Pos;
    TRect Body;
    TPoint Tip, Base1, Base2;
  } cases[] = {
      // (0, 0, 200, 150), size 20, offset 5: d = round(√800) = 28.
      {E::epLeftTop, {20, 20, 200, 150}, {0, 0}, {20, 25}, {20, 53}},
      {E::epTopLeft, {20, 20, 200, 150}, {0, 0}, {25, 20}, {53, 20}},
      {E::epTopRight, {0, 20, 180, 150}, {200, 0}, {175, 20}, {147, 20}},
      {E::epRightTop, {0, 20, 180, 150}, {200, 0}, {180, 25}, {180, 53}},
      {E::epRightBottom, {0, 0, 180, 130}, {200, 150}, {180, 125}, {180, 97}},
      {E::epBottomRight, {0, 0, 180, 130}, {200, 150}, {175, 130}, {147, 130}},
      {E::epBottomLeft, {20, 0, 200, 130}, {0, 150}, {25, 130}, {53, 130}},
      {E::epLeftBottom, {20, 0, 200, 130}, {0, 150}, {20, 125}, {20, 97}},
  };
  for (const Case& c : cases) {
    TRect body = Rect(0, 0, 200, 150);
    TPoint points[3];
    CalcNosePoints(body, 20, c.Pos, 5, points);
    EXPECT_EQ(body, c.Body) << EnumName(c.Pos);
    EXPECT_EQ(points[0], c.Tip) << EnumName(c.Pos);
    EXPECT_EQ(points[1], c.Base1) << EnumName(c.Pos);
    EXPECT_EQ(points[2], c.Base2) << EnumName(c.Pos);
  }
}

TEST(KitGeometry, BubblesGrowFromTheCornerToTheBody) {
  using E = TKitExtPos;
  // For each position: the corner of (0, 0, 200, 150) the first bubble sits on, and the
  // corner of the shrunk body the last one sits on.
  struct Case {
    E Pos;
    TPoint First, Last;
  } cases[] = {
      {E::epLeftTop, {0, 0}, {20, 20}},         {E::epTopLeft, {0, 0}, {20, 20}},
      {E::epTopRight, {200, 0}, {180, 20}},     {E::epRightTop, {200, 0}, {180, 20}},
      {E::epRightBottom, {200, 150}, {180, 130}}, {E::epBottomRight, {200, 150}, {180, 130}},
      {E::epBottomLeft, {0, 150}, {20, 130}},   {E::epLeftBottom, {0, 150}, {20, 130}},
  };
  for (const Case& c : cases) {
    TRect body = Rect(0, 0, 200, 150);
    std::vector<TKitBubble> bubbles = CalcBubblePoints(body, 20, 4, c.Pos);
    ASSERT_EQ(bubbles.size(), 6u);
    EXPECT_EQ(bubbles.front().Center, c.First) << EnumName(c.Pos);
    EXPECT_EQ(bubbles.front().Diameter, 0) << EnumName(c.Pos);
    EXPECT_EQ(bubbles.back().Center, c.Last) << EnumName(c.Pos);
    // Diameters round(i · (20 · 2π / 4) / 16): 0, 2, 4, 6, 8, 10.
    for (int i = 0; i < 6; ++i) EXPECT_EQ(bubbles[i].Diameter, 2 * i) << EnumName(c.Pos) << " " << i;
  }
  // The shapes' quarter turn is 1.57, a little short of π/2: with a big size the first
  // bubble of epTopLeft sits one pixel right of the corner.
  TRect body = Rect(0, 0, 3000, 3000);
  std::vector<TKitBubble> big = CalcBubblePoints(body, 1000, 4, E::epTopLeft);
  EXPECT_EQ(big.front().Center, Point(1, 0));
}

TEST(KitGeometry, RegionDataIsCheckedBeforeUse) {
  // A header of one rectangle and its rectangle: 48 bytes.
  std::vector<std::uint8_t> data(48, 0);
  auto put = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) data[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put(0, 32), put(4, 1), put(8, 1), put(12, 16);
  put(32, 0), put(36, 0), put(40, 10), put(44, 10);
  EXPECT_TRUE(IsValidRegionData(data.data(), data.size()));
  EXPECT_FALSE(IsValidRegionData(data.data(), 47));  // short
  EXPECT_FALSE(IsValidRegionData(data.data(), 20));  // not even a header
  EXPECT_FALSE(IsValidRegionData(nullptr, 48));
  put(8, 2);  // overstated count
  EXPECT_FALSE(IsValidRegionData(data.data(), data.size()));
  put(8, 0x10000000);  // a count whose size overflows 32 bits
  EXPECT_FALSE(IsValidRegionData(data.data(), data.size()));
  put(8, 1), put(4, 2);  // not rectangles
  EXPECT_FALSE(IsValidRegionData(data.data(), data.size()));
  put(4, 1), put(0, 40);  // another header size
  EXPECT_FALSE(IsValidRegionData(data.data(), data.size()));
}

TEST(KitGeometry, ShieldsAreBuiltFromWidthAndHeight) {
  // The main window's shield: w 560, h 459.
  TKitShieldParts sharp = ShieldParts(true, 560, 459);
  ASSERT_EQ(sharp.Ellipses.size(), 2u);
  EXPECT_EQ(sharp.Ellipses[0], Rect(-560, -524, 560, 524));
  EXPECT_EQ(sharp.Ellipses[1], Rect(0, -524, 1120, 524));
  EXPECT_EQ(sharp.CutEllipses, (std::vector<TRect>{Rect(-280, -91, 280, 91), Rect(280, -91, 840, 91)}));
  EXPECT_EQ(sharp.CutRect, Rect(0, -524, 560, 0));  // all above the top
  TKitShieldParts round = ShieldParts(false, 200, 150);
  EXPECT_EQ(round.Ellipses, std::vector<TRect>{Rect(0, -120, 200, 150)});  // normalised
  EXPECT_EQ(round.CutRect, Rect(0, -120, 200, 0));
  EXPECT_EQ(ShieldParts(false, 200, 40).CutRect, Rect(0, -40, 200, 0));
}

}  // namespace
