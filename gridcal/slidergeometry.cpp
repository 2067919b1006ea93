#include "gridcal/slidergeometry.h"

#include <algorithm>

std::int64_t SliderRoundDiv(std::int64_t Num, std::int64_t Den) {
  std::int64_t q = Num / Den, r = Num % Den;
  if (r < 0) {  // floor division, so the remainder lies in 0 .. Den - 1
    --q;
    r += Den;
  }
  if (2 * r > Den || (2 * r == Den && (q & 1))) ++q;
  return q;
}

int SliderOffsetOfValue(int Value, int Min, int Max, int Len) {
  if (Max <= Min || Len <= 0) return 0;
  std::int64_t v = std::clamp<std::int64_t>(Value, Min, Max) - Min;
  return static_cast<int>(SliderRoundDiv(v * Len, std::int64_t(Max) - Min));
}

int SliderValueOfOffset(int Offset, int Min, int Max, int Len, int Increment, bool Smooth) {
  if (Max <= Min || Len <= 0) return Min;
  std::int64_t t = SliderRoundDiv(std::int64_t(Offset) * (std::int64_t(Max) - Min), Len);
  if (!Smooth && Increment > 0) t = SliderRoundDiv(t, Increment) * Increment;
  return static_cast<int>(std::min<std::int64_t>(std::max<std::int64_t>(t, 0) + Min, Max));
}

int SliderStep(int Value, int Increment, bool Up, int Min, int Max) {
  std::int64_t inc = std::max(Increment, 1);
  std::int64_t v = SliderRoundDiv(Value, inc) * inc + (Up ? inc : -inc);
  return static_cast<int>(std::clamp<std::int64_t>(v, Min, std::max(Min, Max)));
}

std::vector<TSliderRulerPiece> SliderRulerPieces(int ImageLength, int Edge, int Length) {
  std::vector<TSliderRulerPiece> pieces;
  if (ImageLength <= 0 || Length <= 0) return pieces;
  Edge = std::clamp(Edge, 0, (ImageLength - 1) / 2);
  if (Length < 2 * Edge) {  // no room for both edges: the start of one, the end of the other
    int lead = Length - Length / 2, tail = Length / 2;
    pieces.push_back({0, 0, lead});
    if (tail > 0) pieces.push_back({ImageLength - tail, lead, tail});
    return pieces;
  }
  const int middle = ImageLength - 2 * Edge, rest = Length - 2 * Edge;
  const int count = rest / middle + 1, remainder = rest % middle;
  pieces.push_back({0, 0, std::min(ImageLength - Edge, Length)});
  for (int i = 1; i < count - 1; ++i) pieces.push_back({Edge, Edge + i * middle, middle});
  const int last = count - 1;
  pieces.push_back({Edge + middle - remainder, Edge + last * middle, Edge + remainder});
  return pieces;
}

TSliderTickPlan SliderTickPlan(int Min, int Max, int Step, int Len) {
  if (Max <= Min || Step <= 0) return {1, 0};
  const std::int64_t range = std::int64_t(Max) - Min;
  // At most this many gaps: 4 pixels each, or one gap on a ruler shorter than that.
  const std::int64_t gaps = std::max(Len / 4, 1);
  auto gapsFor = [&](std::int64_t k) { return SliderRoundDiv(range, k * Step); };
  // Round(range / (k * Step)) <= gaps once range / (k * Step) < gaps + 1/2.
  std::int64_t k = std::max<std::int64_t>(1, (2 * range + Step * (2 * gaps + 1) - 1) / (Step * (2 * gaps + 1)));
  while (k > 1 && gapsFor(k - 1) <= gaps) --k;  // a tie rounded down may allow one less
  while (gapsFor(k) > gaps) ++k;
  return {gapsFor(k) + 1, k * Step};
}

int SliderTickValue(const TSliderTickPlan& Plan, int Index, int Min, int Max) {
  if (Index >= Plan.Count - 1) return Plan.Count <= 1 ? Min : Max;
  return static_cast<int>(std::min<std::int64_t>(Min + Index * Plan.Every, Max));
}
