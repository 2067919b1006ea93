#include "controls/frgeometry.h"

#include <algorithm>

int LesserInteger(int A, int B) { return A < B ? A : B; }

int FrameStyleInset(TFrameStyle Style) {
  switch (Style) {
    case TFrameStyle::fsNone: return 0;
    case TFrameStyle::fsFlat:
    case TFrameStyle::fsStatus:
    case TFrameStyle::fsPopup: return 1;
    default: return 2;
  }
}

TRect InsetSides(const TRect& R, TSides Sides, int N) {
  TRect r = R;
  if (Sides.Contains(TSide::sdLeft)) r.Left += N;
  if (Sides.Contains(TSide::sdTop)) r.Top += N;
  if (Sides.Contains(TSide::sdRight)) r.Right -= N;
  if (Sides.Contains(TSide::sdBottom)) r.Bottom -= N;
  return r;
}

namespace {
// What the client rectangle loses to one frame style (which differs from what it draws
// for fsStatus and fsPopup: they reserve the bevel's width).
int ClientInset(TFrameStyle Style, int BevelWidth) {
  switch (Style) {
    case TFrameStyle::fsNone: return 0;
    case TFrameStyle::fsFlat: return 1;
    case TFrameStyle::fsStatus:
    case TFrameStyle::fsPopup: return BevelWidth;
    default: return 2;
  }
}

bool Vertical(TDirection Direction) { return Direction == TDirection::dirUp || Direction == TDirection::dirDown; }

// The coordinate across an edge from A to B at a point along it (64-bit products).
int Interpolate(int Along, int AlongA, int AcrossA, int AlongB, int AcrossB) {
  if (AlongA == AlongB) return AcrossA;
  return AcrossA + static_cast<int>(static_cast<std::int64_t>(Along - AlongA) * (AcrossB - AcrossA) / (AlongB - AlongA));
}
}  // namespace

TRect BorderClientRect(int Width, int Height, int BorderWidth, int BevelWidth, TFrameStyle Outer, TFrameStyle Inner,
                       TSides Sides) {
  TRect r = Rect(BorderWidth, BorderWidth, Width - BorderWidth, Height - BorderWidth);
  r = InsetSides(r, Sides, ClientInset(Outer, BevelWidth));
  return InsetSides(r, Sides, ClientInset(Inner, BevelWidth));
}

TTrapezoid CalcTrapezoid(const TRect& R, int MinWidth, TTrapDirect TrapDirect, TDirection Direction,
                         TTrapShape Shape) {
  const bool vertical = Vertical(Direction);
  const int extent = vertical ? R.Width() : R.Height();
  const int s = std::max(0, LesserInteger(extent, MinWidth));
  const int offset = Shape == TTrapShape::tsLeft ? 0 : Shape == TTrapShape::tsCenter ? (extent - s) / 2 : extent - s;
  const bool largeToSmall = TrapDirect == TTrapDirect::tdLargeToSmall;
  if (vertical) {
    const int a = R.Left + offset, b = a + s;
    bool smallAtTop = largeToSmall == (Direction == TDirection::dirUp);
    if (smallAtTop) return {{{a, R.Top}, {b, R.Top}, {R.Right, R.Bottom}, {R.Left, R.Bottom}}};
    return {{{R.Left, R.Top}, {R.Right, R.Top}, {b, R.Bottom}, {a, R.Bottom}}};
  }
  const int a = R.Top + offset, b = a + s;
  bool smallOnRight = largeToSmall == (Direction == TDirection::dirRight);
  if (smallOnRight) return {{{R.Left, R.Top}, {R.Right, a}, {R.Right, b}, {R.Left, R.Bottom}}};
  return {{{R.Left, a}, {R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left, b}}};
}

TTrapezoid ClipTrapezoid(const TTrapezoid& T, const TRect& Part, TDirection Direction) {
  const TPoint &tl = T[0], &tr = T[1], &br = T[2], &bl = T[3];
  if (Vertical(Direction)) {
    auto left = [&](int y) { return Interpolate(y, tl.Y, tl.X, bl.Y, bl.X); };
    auto right = [&](int y) { return Interpolate(y, tr.Y, tr.X, br.Y, br.X); };
    const int y1 = Part.Top, y2 = Part.Bottom;
    return {{{left(y1), y1}, {right(y1), y1}, {right(y2), y2}, {left(y2), y2}}};
  }
  auto top = [&](int x) { return Interpolate(x, tl.X, tl.Y, tr.X, tr.Y); };
  auto bottom = [&](int x) { return Interpolate(x, bl.X, bl.Y, br.X, br.Y); };
  const int x1 = Part.Left, x2 = Part.Right;
  return {{{x1, top(x1)}, {x2, top(x2)}, {x2, bottom(x2)}, {x1, bottom(x1)}}};
}

void InflateTrapezoid(TTrapezoid& T, int N) {
  T[0] = {T[0].X - N, T[0].Y - N};
  T[1] = {T[1].X + N, T[1].Y - N};
  T[2] = {T[2].X + N, T[2].Y + N};
  T[3] = {T[3].X - N, T[3].Y + N};
}

// ---- The meter ----

int MeterPercent(int Value, int Min, int Max) { return MeterCut(Value, Min, Max, 100); }

int MeterCut(int Value, int Min, int Max, int Length) {
  if (Min >= Max || Length <= 0) return 0;
  std::int64_t v = std::clamp<std::int64_t>(Value, Min, Max);
  return static_cast<int>((v - Min) * Length / (static_cast<std::int64_t>(Max) - Min));
}

TRect BarPart(const TRect& Area, TDirection Direction, int Cut) {
  switch (Direction) {
    case TDirection::dirRight: return Rect(Area.Left, Area.Top, Area.Left + Cut, Area.Bottom);
    case TDirection::dirLeft: return Rect(Area.Right - Cut, Area.Top, Area.Right, Area.Bottom);
    case TDirection::dirUp: return Rect(Area.Left, Area.Bottom - Cut, Area.Right, Area.Bottom);
    case TDirection::dirDown: return Rect(Area.Left, Area.Top, Area.Right, Area.Top + Cut);
  }
  return {};
}

int SegmentTotal(int Seg1Count, int Seg2Count, int Seg3Count) {
  return std::min(255, std::max(1, Seg1Count) + std::max(1, Seg2Count) + std::max(1, Seg3Count));
}

std::vector<TRect> SegmentCells(const TRect& Area, TDirection Direction, int N, int Spacing) {
  std::vector<TRect> cells;
  const int length = Vertical(Direction) ? Area.Height() : Area.Width();
  if (N <= 0) return cells;
  const int each = (length - (N - 2) * Spacing) / N;
  if (each <= 0) return cells;
  for (int i = 0; i < N; ++i) {
    const int off = i * (each + Spacing);
    switch (Direction) {
      case TDirection::dirRight: cells.push_back(Rect(Area.Left + off, Area.Top, Area.Left + off + each, Area.Bottom)); break;
      case TDirection::dirLeft: cells.push_back(Rect(Area.Right - off - each, Area.Top, Area.Right - off, Area.Bottom)); break;
      case TDirection::dirUp: cells.push_back(Rect(Area.Left, Area.Bottom - off - each, Area.Right, Area.Bottom - off)); break;
      case TDirection::dirDown: cells.push_back(Rect(Area.Left, Area.Top + off, Area.Right, Area.Top + off + each)); break;
    }
  }
  return cells;
}

int SegmentGroup(int I, int Lit, int Seg1Count, int Seg2Count) {
  if (I >= Lit) return -1;
  if (I < Seg1Count) return 0;
  return I < Seg1Count + Seg2Count ? 1 : 2;
}

// ---- The background ----

int GradientSmoothCount(int SmoothFactor) {
  int factor = std::clamp(SmoothFactor, 1, 255);
  return factor <= 8 ? factor - 1 : 255 / factor;
}

std::vector<TGradientBand> GradientBands(std::uint32_t From, std::uint32_t To, int Length, int SmoothFactor) {
  std::vector<TGradientBand> bands;
  if (Length < 1) return bands;
  // Per channel (red, green, blue): the start and the step per pixel in 16.16.
  std::int64_t value[3], step[3];
  for (int c = 0; c < 3; ++c) {
    std::int64_t from = (From >> (8 * c)) & 0xFF, to = (To >> (8 * c)) & 0xFF;
    value[c] = from << 16;
    step[c] = Length > 1 ? ((to - from) << 16) / (Length - 1) : 0;
  }
  auto colorAt = [&](int i) {
    std::uint32_t color = 0;
    for (int c = 0; c < 3; ++c) color |= static_cast<std::uint32_t>(((value[c] + step[c] * i) >> 16) & 0xFF) << (8 * c);
    return color;
  };
  const int smooth = GradientSmoothCount(SmoothFactor);
  TGradientBand band{0, 1, colorAt(0)};
  for (int i = 1; i < Length; ++i) {
    std::uint32_t color = colorAt(i);
    if (color != band.Color && i - band.Start >= smooth) {
      bands.push_back(band);
      band = {i, i, color};
    }
    band.End = i + 1;
  }
  bands.push_back(band);
  return bands;
}

TRect BackgroundImageRect(TImageStyle Style, int W, int H, int PW, int PH) {
  if (PW <= 0 || PH <= 0) return {};
  switch (Style) {
    case TImageStyle::isCenter: {
      const int left = (W - PW) / 2, top = (H - PH) / 2;
      return Rect(left, top, left + PW, top + PH);
    }
    case TImageStyle::isClip: return Rect(0, 0, PW, PH);
    case TImageStyle::isFill:
      // H / W ≥ PH / PW, in integers.
      if (static_cast<std::int64_t>(H) * PW >= static_cast<std::int64_t>(PH) * W)
        return Rect(0, 0, W, static_cast<int>(static_cast<std::int64_t>(W) * PH / PW));
      return Rect(0, 0, static_cast<int>(static_cast<std::int64_t>(H) * PW / PH), H);
    case TImageStyle::isStretch: return Rect(0, 0, W, H);
    case TImageStyle::isTiled: return {};
  }
  return {};
}
