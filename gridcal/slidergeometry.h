#pragma once
// The slider's geometry as plain arithmetic: where a value's thumb stands on the ruler and
// which value a thumb position means, the keyboard's steps, the pieces a ruler picture is
// stretched from and the plan of its tick marks. Values are ints; the products are worked
// in 64 bits (a slider of milliseconds holds hours). A range of max <= min or an active
// length <= 0 puts every value at the lead edge and every position at the minimum.
#include <cstdint>
#include <vector>

// Round(Num / Den) to the nearest, ties to even; Den > 0.
std::int64_t SliderRoundDiv(std::int64_t Num, std::int64_t Den);

// The thumb's offset from the lead edge for Value: Round((Value - Min) * Len / (Max - Min)),
// 0 for a degenerate range or length.
int SliderOffsetOfValue(int Value, int Min, int Max, int Len);
// The value at a thumb offset: Round(Offset * (Max - Min) / Len), snapped to a multiple of
// Increment (counted from 0) unless Smooth, then offset by Min and kept within Min..Max.
int SliderValueOfOffset(int Offset, int Min, int Max, int Len, int Increment, bool Smooth);
// A keyboard or ruler step: Round(Value / Increment) * Increment plus (Up) or minus one
// Increment, kept within Min..Max.
int SliderStep(int Value, int Increment, bool Up, int Min, int Max);

// One copy of the ruler picture into the stretched ruler, along the slider's length.
struct TSliderRulerPiece {
  int Source;
  int Dest;
  int Length;
  bool operator==(const TSliderRulerPiece&) const = default;
};
// How a ruler picture ImageLength long, whose Edge pixels at each end are never repeated,
// makes a ruler Length long: its lead edge, its middle repeated, its end edge last. A ruler
// shorter than both edges shows the lead edge's start and the end edge's end, each clipped.
std::vector<TSliderRulerPiece> SliderRulerPieces(int ImageLength, int Edge, int Length);

// The tick marks: Count marks, the first at Min, each next Every values on, the last at
// Max; the smallest multiple of Step that keeps them at least 4 pixels apart on Len pixels
// (or that leaves one gap when Len is shorter than that).
struct TSliderTickPlan {
  std::int64_t Count = 0;
  std::int64_t Every = 0;
};
TSliderTickPlan SliderTickPlan(int Min, int Max, int Step, int Len);
// The value of mark Index (0 .. Count - 1) of a plan.
int SliderTickValue(const TSliderTickPlan& Plan, int Index, int Min, int Max);
