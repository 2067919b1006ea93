// The arithmetic under the frames and the meter: the border's client area, tapered bars'
// trapezoids and their cuts, the percent and bar cut over any range, and the LED cells.
#include "controls/frgeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

using enum TDirection;
using enum TTrapDirect;
using enum TTrapShape;

std::string Show(const TTrapezoid& T) {
  std::string s;
  for (const TPoint& p : T) s += "(" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")";
  return s;
}

TEST(FrGeometry, BorderClientRectTakesEachFrameOnItsSides) {
  struct TCase {
    TFrameStyle Outer, Inner;
    int BorderWidth, BevelWidth;
    TSides Sides;
    TRect Expected;
  };
  const TSides topLeft{TSide::sdTop, TSide::sdLeft};
  const std::vector<TCase> cases = {
      {TFrameStyle::fsNone, TFrameStyle::fsNone, 0, 1, AllSides, Rect(0, 0, 50, 40)},
      {TFrameStyle::fsGroove, TFrameStyle::fsNone, 0, 1, AllSides, Rect(2, 2, 48, 38)},
      {TFrameStyle::fsGroove, TFrameStyle::fsFlat, 2, 1, AllSides, Rect(5, 5, 45, 35)},
      // The band is taken from every side, the frames only from theirs.
      {TFrameStyle::fsLowered, TFrameStyle::fsFlat, 3, 1, topLeft, Rect(6, 6, 47, 37)},
      // Status and popup frames reserve the bevel's width.
      {TFrameStyle::fsStatus, TFrameStyle::fsPopup, 0, 4, AllSides, Rect(8, 8, 42, 32)},
      {TFrameStyle::fsButtonUp, TFrameStyle::fsNone, 0, 7, {TSide::sdBottom}, Rect(0, 0, 50, 38)},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(BorderClientRect(50, 40, c.BorderWidth, c.BevelWidth, c.Outer, c.Inner, c.Sides), c.Expected)
        << HxEnumInfo(c.Outer).Name(static_cast<int>(c.Outer)) << "/"
        << HxEnumInfo(c.Inner).Name(static_cast<int>(c.Inner));
}

TEST(FrGeometry, TrapezoidsPutTheSmallEdgeByDirectionAndShape) {
  const TRect r = Rect(0, 0, 100, 30);
  struct TCase {
    TDirection Direction;
    TTrapDirect TrapDirect;
    TTrapShape Shape;
    TTrapezoid Expected;  // top-left, top-right, bottom-right, bottom-left
  };
  const std::vector<TCase> cases = {
      // Horizontal bars: a vertical small edge of 6 (of the height 30).
      {dirRight, tdLargeToSmall, tsCenter, {{{0, 0}, {100, 12}, {100, 18}, {0, 30}}}},
      {dirRight, tdLargeToSmall, tsLeft, {{{0, 0}, {100, 0}, {100, 6}, {0, 30}}}},
      {dirRight, tdLargeToSmall, tsRight, {{{0, 0}, {100, 24}, {100, 30}, {0, 30}}}},
      {dirRight, tdSmallToLarge, tsCenter, {{{0, 12}, {100, 0}, {100, 30}, {0, 18}}}},
      {dirLeft, tdLargeToSmall, tsCenter, {{{0, 12}, {100, 0}, {100, 30}, {0, 18}}}},
      {dirLeft, tdSmallToLarge, tsRight, {{{0, 0}, {100, 24}, {100, 30}, {0, 30}}}},
      // Vertical bars: a horizontal small edge of 6 (of the width 100).
      {dirUp, tdLargeToSmall, tsCenter, {{{47, 0}, {53, 0}, {100, 30}, {0, 30}}}},
      {dirUp, tdSmallToLarge, tsLeft, {{{0, 0}, {100, 0}, {6, 30}, {0, 30}}}},
      {dirDown, tdSmallToLarge, tsRight, {{{94, 0}, {100, 0}, {100, 30}, {0, 30}}}},
      {dirDown, tdLargeToSmall, tsCenter, {{{0, 0}, {100, 0}, {53, 30}, {47, 30}}}},
  };
  for (const TCase& c : cases) {
    TTrapezoid t = CalcTrapezoid(r, 6, c.TrapDirect, c.Direction, c.Shape);
    EXPECT_EQ(t, c.Expected) << Show(t) << " for " << static_cast<int>(c.Direction) << "/"
                             << static_cast<int>(c.TrapDirect) << "/" << static_cast<int>(c.Shape);
  }
  // A minimum wider than the rectangle is the rectangle's extent.
  EXPECT_EQ(CalcTrapezoid(Rect(0, 0, 10, 4), 6, tdLargeToSmall, dirRight, tsCenter),
            (TTrapezoid{{{0, 0}, {10, 0}, {10, 4}, {0, 4}}}));
}

TEST(FrGeometry, ClipTrapezoidInterpolatesAlongTheSlantedEdges) {
  const TTrapezoid horizontal{{{0, 0}, {100, 40}, {100, 60}, {0, 100}}};
  EXPECT_EQ(ClipTrapezoid(horizontal, Rect(0, 0, 50, 100), dirRight),
            (TTrapezoid{{{0, 0}, {50, 20}, {50, 80}, {0, 100}}}));
  // The offsets along the edges truncated toward zero: 33 × 40 / 100 = 13.2 becomes 13.
  EXPECT_EQ(ClipTrapezoid(horizontal, Rect(33, 0, 100, 100), dirLeft),
            (TTrapezoid{{{33, 13}, {100, 40}, {100, 60}, {33, 87}}}));
  const TTrapezoid vertical{{{40, 0}, {60, 0}, {100, 100}, {0, 100}}};
  EXPECT_EQ(ClipTrapezoid(vertical, Rect(0, 50, 100, 100), dirUp),
            (TTrapezoid{{{20, 50}, {80, 50}, {100, 100}, {0, 100}}}));
  // Edges without extent (a trapezoid squeezed flat) keep their coordinates.
  const TTrapezoid flat{{{5, 3}, {5, 3}, {5, 3}, {5, 3}}};
  EXPECT_EQ(ClipTrapezoid(flat, Rect(0, 0, 8, 6), dirRight), (TTrapezoid{{{0, 3}, {8, 3}, {8, 3}, {0, 3}}}));
  EXPECT_EQ(ClipTrapezoid(flat, Rect(0, 0, 8, 6), dirDown), (TTrapezoid{{{5, 0}, {5, 0}, {5, 6}, {5, 6}}}));
}

TEST(FrGeometry, InflateTrapezoidMovesEveryCornerOutward) {
  TTrapezoid t{{{10, 10}, {20, 12}, {20, 18}, {10, 20}}};
  InflateTrapezoid(t, 2);
  EXPECT_EQ(t, (TTrapezoid{{{8, 8}, {22, 10}, {22, 20}, {8, 22}}}));
  InflateTrapezoid(t, -2);
  EXPECT_EQ(t, (TTrapezoid{{{10, 10}, {20, 12}, {20, 18}, {10, 20}}}));
}

TEST(FrGeometry, PercentAndCutOverAnyRange) {
  struct TCase {
    int Value, Min, Max, Length;
    int Percent, Cut;
  };
  const std::vector<TCase> cases = {
      {50, 0, 100, 146, 50, 73},
      {60, 0, 120, 57, 50, 28},
      {100, 0, 100, 10, 100, 10},
      {-5, -10, 10, 20, 25, 5},
      {7, 7, 7, 100, 0, 0},     // Min = Max: empty, 0 %
      {5, 10, 0, 100, 0, 0},    // Min > Max likewise
      {INT_MAX / 2, 0, INT_MAX, 1000, 49, 499},  // products beyond 32 bits
      {INT_MAX, INT_MIN, INT_MAX, 200, 100, 200},
      {150, 0, 100, 10, 100, 10},  // a value outside is taken at the edge
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(MeterPercent(c.Value, c.Min, c.Max), c.Percent) << c.Value << " in " << c.Min << ".." << c.Max;
    EXPECT_EQ(MeterCut(c.Value, c.Min, c.Max, c.Length), c.Cut) << c.Value << " in " << c.Min << ".." << c.Max;
  }
}

TEST(FrGeometry, BarPartGrowsFromTheDirectionsStartEdge) {
  const TRect area = Rect(2, 3, 102, 23);
  EXPECT_EQ(BarPart(area, dirRight, 50), Rect(2, 3, 52, 23));
  EXPECT_EQ(BarPart(area, dirLeft, 50), Rect(52, 3, 102, 23));
  EXPECT_EQ(BarPart(area, dirUp, 10), Rect(2, 13, 102, 23));
  EXPECT_EQ(BarPart(area, dirDown, 10), Rect(2, 3, 102, 13));
  EXPECT_TRUE(BarPart(area, dirRight, 0).IsEmpty());
}

TEST(FrGeometry, SegmentsLieFromTheStartEdgeWithTheirGaps) {
  // 10 segments in 142: (142 − 8 × 2) div 10 = 12 long, 14 apart.
  auto right = SegmentCells(Rect(4, 4, 146, 26), dirRight, 10, 2);
  ASSERT_EQ(right.size(), 10u);
  EXPECT_EQ(right[0], Rect(4, 4, 16, 26));
  EXPECT_EQ(right[9], Rect(130, 4, 142, 26));
  auto up = SegmentCells(Rect(0, 0, 20, 100), dirUp, 4, 3);
  ASSERT_EQ(up.size(), 4u);
  EXPECT_EQ(up[0], Rect(0, 77, 20, 100));  // (100 − 2 × 3) div 4 = 23, from the bottom
  EXPECT_EQ(up[1], Rect(0, 51, 20, 74));
  EXPECT_TRUE(SegmentCells(Rect(0, 0, 5, 5), dirRight, 10, 2).empty()) << "no room for a segment";
  // Lit ones take their group's colour: 5 green, 3 yellow, 2 red.
  std::vector<int> groups;
  for (int i = 0; i < 10; ++i) groups.push_back(SegmentGroup(i, 8, 5, 3));
  EXPECT_EQ(groups, (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 1, -1, -1}));
  EXPECT_EQ(SegmentTotal(200, 100, 50), 255);
  EXPECT_EQ(SegmentTotal(0, 0, 0), 3) << "each group has at least one segment";
}

}  // namespace

// ---- The background ----

namespace {

int Channel(std::uint32_t Color, int C) { return static_cast<int>((Color >> (8 * C)) & 0xFF); }

TEST(FrGeometry, GradientBandsRunFromTheStartColourToTheStopColour) {
  constexpr std::uint32_t kTeal = 0x808000, kLime = 0x00FF00, kWhite = 0xFFFFFF;
  struct TCase {
    std::uint32_t From, To;
    int Length;
  };
  for (const TCase& c : std::vector<TCase>{{kTeal, kLime, 100}, {kLime, kTeal, 100}, {kWhite, 0, 7}, {0, kWhite, 600}}) {
    const std::vector<TGradientBand> bands = GradientBands(c.From, c.To, c.Length, 1);
    ASSERT_FALSE(bands.empty());
    EXPECT_EQ(bands.front().Start, 0);
    EXPECT_EQ(bands.front().Color, c.From);
    EXPECT_EQ(bands.back().End, c.Length);
    for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(Channel(bands.back().Color, ch), Channel(c.To, ch), 1) << ch;
    for (size_t i = 1; i < bands.size(); ++i) {
      EXPECT_EQ(bands[i].Start, bands[i - 1].End) << "contiguous at " << i;
      EXPECT_NE(bands[i].Color, bands[i - 1].Color) << i;
      for (int ch = 0; ch < 3; ++ch) {
        const int step = Channel(bands[i].Color, ch) - Channel(bands[i - 1].Color, ch);
        const int way = Channel(c.To, ch) - Channel(c.From, ch);
        EXPECT_TRUE(way > 0 ? step >= 0 : way < 0 ? step <= 0 : step == 0) << "monotone, channel " << ch << " at " << i;
      }
    }
  }
  EXPECT_EQ(GradientBands(kTeal, kLime, 1, 1), (std::vector<TGradientBand>{{0, 1, kTeal}}));
  EXPECT_TRUE(GradientBands(kTeal, kLime, 0, 1).empty());
  EXPECT_EQ(GradientBands(kTeal, kTeal, 50, 1), (std::vector<TGradientBand>{{0, 50, kTeal}}));
}

TEST(FrGeometry, SmoothingMakesBandsAtLeastTheSmoothingCountLong) {
  const std::vector<std::pair<int, int>> counts = {{1, 0}, {2, 1}, {8, 7}, {9, 28}, {100, 2}, {255, 1}, {0, 0}, {300, 1}};
  for (auto [factor, count] : counts) EXPECT_EQ(GradientSmoothCount(factor), count) << factor;
  const std::vector<TGradientBand> plain = GradientBands(0x808000, 0x00FF00, 100, 1);
  const std::vector<TGradientBand> smooth = GradientBands(0x808000, 0x00FF00, 100, 8);
  EXPECT_LT(smooth.size(), plain.size());
  for (size_t i = 0; i + 1 < smooth.size(); ++i) EXPECT_GE(smooth[i].End - smooth[i].Start, 7) << i;
}

TEST(FrGeometry, BackgroundPicturesArePlacedByTheirStyle) {
  using enum TImageStyle;
  struct TCase {
    TImageStyle Style;
    int W, H, PW, PH;
    TRect Expected;
  };
  const std::vector<TCase> cases = {
      {isCenter, 10, 10, 3, 2, Rect(3, 4, 6, 6)},  {isCenter, 2, 1, 3, 2, Rect(0, 0, 3, 2)},
      {isClip, 10, 10, 3, 2, Rect(0, 0, 3, 2)},    {isFill, 10, 10, 3, 2, Rect(0, 0, 10, 6)},
      {isFill, 20, 4, 3, 2, Rect(0, 0, 6, 4)},     {isFill, 30, 20, 3, 2, Rect(0, 0, 30, 20)},
      {isStretch, 10, 10, 3, 2, Rect(0, 0, 10, 10)}, {isTiled, 10, 10, 3, 2, TRect{}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(BackgroundImageRect(c.Style, c.W, c.H, c.PW, c.PH), c.Expected)
        << EnumName(c.Style) << " " << c.W << "x" << c.H;
  // An empty picture has no place, whatever the style (no division by its size).
  for (TImageStyle style : {isCenter, isClip, isFill, isStretch, isTiled}) {
    EXPECT_TRUE(BackgroundImageRect(style, 10, 10, 0, 2).IsEmpty());
    EXPECT_TRUE(BackgroundImageRect(style, 10, 10, 3, 0).IsEmpty());
  }
}

}  // namespace
