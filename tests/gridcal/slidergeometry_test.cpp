// The slider's arithmetic: values and thumb offsets both ways, steps, the stretched ruler's
// pieces and the tick plan, with ties, degenerate ranges and lengths, and millisecond
// ranges whose products need 64 bits.
#include <gtest/gtest.h>

#include <vector>

#include "gridcal/slidergeometry.h"

namespace {

TEST(SliderGeometry, OffsetsOfValues) {
  struct Case {
    int value, min, max, len, offset;
  } cases[] = {
      {0, 0, 100, 230, 0},
      {100, 0, 100, 230, 230},
      {50, 0, 100, 230, 115},
      {150, 100, 200, 100, 50},             // MinValue is not 0
      {1, 0, 4, 2, 0},                      // 0.5: a tie goes to the even 0
      {3, 0, 4, 2, 2},                      // 1.5: to the even 2
      {5400000, 0, 10800000, 230, 115},     // half of 3 hours in ms: 5.4e6 * 230 overflows 32 bits
      {10800000, 0, 10800000, 241, 241},
      {7, 5, 5, 100, 0},                    // max <= min: the lead edge
      {7, 10, 5, 100, 0},
      {50, 0, 100, 0, 0},                   // no length
      {50, 0, 100, -3, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SliderOffsetOfValue(c.value, c.min, c.max, c.len), c.offset) << c.value << " " << c.min << ".." << c.max;
}

TEST(SliderGeometry, ValuesOfOffsets) {
  struct Case {
    int offset, min, max, len, increment;
    bool smooth;
    int value;
  } cases[] = {
      {17, 0, 100, 100, 10, true, 17},
      {17, 0, 100, 100, 10, false, 20},   // snapped to the increment
      {15, 0, 100, 100, 10, false, 20},   // 1.5 steps: to the even 2
      {25, 0, 100, 100, 10, false, 20},   // 2.5 steps: to the even 2
      {17, 5, 105, 100, 10, false, 25},   // multiples counted from 0, then offset by the minimum
      {-4, 0, 100, 100, 10, true, 0},     // before the ruler
      {140, 0, 100, 100, 10, true, 100},  // beyond it
      {115, 0, 10800000, 230, 10, true, 5400000},
      {1, 0, 10, 4, 1, true, 2},          // 2.5: to the even 2
      {3, 0, 10, 4, 1, true, 8},          // 7.5: to the even 8
      {50, 20, 20, 100, 10, true, 20},    // degenerate range: the minimum
      {50, 20, 100, 0, 10, true, 20},     // no length: the minimum
  };
  for (const Case& c : cases)
    EXPECT_EQ(SliderValueOfOffset(c.offset, c.min, c.max, c.len, c.increment, c.smooth), c.value)
        << c.offset << " " << c.min << ".." << c.max << (c.smooth ? " smooth" : "");
}

TEST(SliderGeometry, StepsRoundToTheIncrementFirst) {
  struct Case {
    int value, increment;
    bool up;
    int result;
  } cases[] = {
      {16, 10, true, 30},   // Round(1.6) = 2
      {16, 10, false, 10},
      {15, 10, true, 30},   // a tie to the even 2
      {25, 10, true, 30},   // a tie to the even 2
      {95, 10, true, 100},
      {3, 10, false, -10},
      {-15, 10, true, -10},  // Round(-1.5) = -2
  };
  for (const Case& c : cases)
    EXPECT_EQ(SliderStep(c.value, c.increment, c.up, -100, 100), c.result) << c.value << (c.up ? " up" : " down");
  EXPECT_EQ(SliderStep(95, 10, true, 0, 97), 97);  // kept within the range
  EXPECT_EQ(SliderStep(3, 10, false, 0, 97), 0);
}

TEST(SliderGeometry, TheRulerIsStretchedFromItsEdgesAndRepeatedMiddle) {
  using P = TSliderRulerPiece;
  struct Case {
    int length;
    std::vector<P> pieces;
  } cases[] = {
      {57, {{0, 0, 18}, {2, 18, 16}, {2, 34, 16}, {13, 50, 7}}},  // ends with the picture's own end
      {16, {{0, 0, 16}, {6, 2, 14}}},
      {17, {{0, 0, 17}, {5, 2, 15}}},
      {4, {{0, 0, 4}, {18, 2, 2}}},
      {3, {{0, 0, 2}, {19, 2, 1}}},  // shorter than both edges: each clipped
      {1, {{0, 0, 1}}},
      {0, {}},
  };
  for (const Case& c : cases) {
    std::vector<P> pieces = SliderRulerPieces(20, 2, c.length);
    EXPECT_EQ(pieces, c.pieces) << c.length;
    // Every pixel of the ruler is covered and nothing lies outside it or the picture.
    std::vector<int> covered(c.length, 0);
    for (const P& p : pieces) {
      EXPECT_GE(p.Length, 1);
      EXPECT_GE(p.Source, 0);
      EXPECT_LE(p.Source + p.Length, 20);
      for (int x = p.Dest; x < p.Dest + p.Length && x < c.length; ++x) covered[x] = 1;
    }
    for (int x = 0; x < c.length; ++x) EXPECT_EQ(covered[x], 1) << c.length << " at " << x;
  }
}

TEST(SliderGeometry, TickPlansKeepMarksFourPixelsApart) {
  struct Case {
    int min, max, step, len;
    std::int64_t count, every;
  } cases[] = {
      {0, 100, 10, 230, 11, 10},          // every step fits
      {0, 1000, 1, 100, 26, 40},          // 25 gaps of 4 pixels
      {0, 10800000, 10, 230, 58, 187830},  // 3 hours of ms on the player's slider
      {0, 100, 10, 3, 2, 70},             // shorter than 4 pixels: one gap
      {0, 100, 30, 230, 4, 30},           // 3.33 steps: the last mark is the maximum
      {5, 5, 10, 100, 1, 0},              // no range: one mark
  };
  for (const Case& c : cases) {
    TSliderTickPlan plan = SliderTickPlan(c.min, c.max, c.step, c.len);
    EXPECT_EQ(plan.Count, c.count) << c.max << " on " << c.len;
    EXPECT_EQ(plan.Every, c.every) << c.max << " on " << c.len;
    // The smallest multiple of the step that does it: one less would crowd the marks.
    if (plan.Every > c.step) {
      std::int64_t k = plan.Every / c.step - 1;
      std::int64_t gaps = (2 * (std::int64_t(c.max) - c.min) + k * c.step) / (2 * k * c.step);
      EXPECT_GT(gaps, std::max(c.len / 4, 1)) << c.max << " on " << c.len;
    }
  }
  TSliderTickPlan plan = SliderTickPlan(0, 100, 30, 230);
  std::vector<int> values;
  for (int i = 0; i < plan.Count; ++i) values.push_back(SliderTickValue(plan, i, 0, 100));
  EXPECT_EQ(values, (std::vector<int>{0, 30, 60, 100}));
}

}  // namespace
