#include "controls/kitgeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "controls/kitutils.h"

int KitMulDiv(int A, int B, int C) {
  if (C == 0) return -1;
  long long n = static_cast<long long>(A) * B;
  bool negative = (n < 0) != (C < 0);
  long long an = n < 0 ? -n : n, ac = C < 0 ? -static_cast<long long>(C) : C;
  long long r = (an + ac / 2) / ac;
  return static_cast<int>(negative ? -r : r);
}

int KitRound(double Value) { return static_cast<int>(std::nearbyint(Value)); }

void PlaceRect(TKitAlignment Alignment, const TRect& Source, const TRect& Target, TRect& Result) {
  int w = Source.Width(), h = Source.Height();
  int W = Target.Width(), H = Target.Height();
  int row = static_cast<int>(Alignment) / 3, column = static_cast<int>(Alignment) % 3;
  int y = row == 0 ? 0 : row == 1 ? (H - h) / 2 : H - h;
  int x = column == 0 ? 0 : column == 1 ? (W - w) / 2 : W - w;
  Result = Bounds(Target.Left + x, Target.Top + y, w, h);
}

int BorderWidthOf(TKitBorderStyle Style) {
  switch (Style) {
    case TKitBorderStyle::lsNone: return 0;
    case TKitBorderStyle::lsSingle:
    case TKitBorderStyle::lsSingleRaised:
    case TKitBorderStyle::lsSingleLowered: return 1;
    default: return 2;
  }
}

std::vector<std::uint32_t> GradientRamp(std::uint32_t From, std::uint32_t To, int Count) {
  std::vector<std::uint32_t> colors;
  if (Count <= 0) return colors;
  if (Count == 1) return {From & 0xFFFFFF};
  for (int i = 0; i < Count; ++i) {
    std::uint32_t c = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      int start = (From >> shift) & 0xFF, end = (To >> shift) & 0xFF;
      int v = (start + KitMulDiv(i, end - start, Count - 1)) & 0xFF;
      c |= static_cast<std::uint32_t>(v) << shift;
    }
    colors.push_back(c);
  }
  return colors;
}

std::vector<TKitGradientBand> GradientBands(TKitGradientStyle Style, int W, int H, int Count) {
  std::vector<TKitGradientBand> bands;
  if (W <= 0 || H <= 0 || Count <= 0) return bands;
  using S = TKitGradientStyle;
  // Filled without a pen, a GDI rectangle leaves out its right column and bottom row.
  auto penless = [](TRect r) {
    r = NormalizeRect(r);
    return Rect(r.Left, r.Top, r.Right - 1, r.Bottom - 1);
  };
  switch (Style) {
    case S::gstHorizontal:
      for (int i = 0; i < Count; ++i)
        bands.push_back({Rect(KitMulDiv(i, W, Count), 0, KitMulDiv(i + 1, W, Count), H), i, false});
      return bands;
    case S::gstVertical:
      for (int i = Count - 1; i >= 0; --i)
        bands.push_back({Rect(0, KitMulDiv(i, H, Count), W, KitMulDiv(i + 1, H, Count)), i, false});
      return bands;
    default: break;
  }
  for (int i = Count - 1; i >= 0; --i) {
    int dx = KitMulDiv(i + 1, W, Count), dy = KitMulDiv(i + 1, H, Count);
    int cx = W / 2, cy = H / 2;
    switch (Style) {
      case S::gstSquare:
        bands.push_back({penless(Rect(cx - dx / 2, cy - dy / 2, cx + dx / 2 + 2, cy + dy / 2 + 2)), i, false});
        break;
      case S::gstElliptic: {
        int ex = KitRound(dx / 1.4), ey = KitRound(dy / 1.4);
        bands.push_back({Rect(cx - ex, cy - ey, cx + ex, cy + ey), i, true});
        break;
      }
      case S::gstTopLeft: bands.push_back({penless(Rect(0, 0, 1 + dx, 1 + dy)), i, false}); break;
      case S::gstTopRight: bands.push_back({penless(Rect(W - dx, 1 + dy, W + 1, 0)), i, false}); break;
      case S::gstBottomLeft: bands.push_back({penless(Rect(1 + dx, H - dy, 0, H + 1)), i, false}); break;
      default: bands.push_back({penless(Rect(W - dx, H - dy, W + 1, H + 1)), i, false}); break;
    }
  }
  return bands;
}

std::vector<TRect> BitmapPlacements(const TRect& Target, int PicW, int PicH, TKitDrawFlags Flags) {
  std::vector<TRect> places;
  if (PicW <= 0 || PicH <= 0) return places;
  int W = Target.Width(), H = Target.Height();
  if (Flags & kdfCenter) {
    places.push_back(Bounds(Target.Left + (W - PicW) / 2, Target.Top + (H - PicH) / 2, PicW, PicH));
  } else if (Flags & kdfStretch) {
    TRect r = Target;
    if ((Flags & kdfAspect) == kdfAspect) {
      FitRectAspect(Rect(0, 0, PicW, PicH), Target, r);
    } else if (Flags & kdfAspectWidth) {
      r.Bottom = Target.Top + KitRound(static_cast<double>(W) / PicW * PicH);
    } else if (Flags & kdfAspectHeight) {
      r.Right = Target.Left + KitRound(static_cast<double>(H) / PicH * PicW);
    }
    places.push_back(r);
  } else if (Flags & kdfTile) {
    int columns = W / PicW + 1, rows = H / PicH + 1;
    for (int row = 0; row < rows; ++row)
      for (int column = 0; column < columns; ++column)
        places.push_back(Bounds(Target.Left + column * PicW, Target.Top + row * PicH, PicW, PicH));
  } else {
    places.push_back(Bounds(Target.Left, Target.Top, PicW, PicH));
  }
  return places;
}

std::vector<TKit3DPass> Text3DPasses(TKitThreeDStyle Style, int L, int S) {
  using T = TKitThreeDStyle;
  using C = TKit3DPassColor;
  switch (Style) {
    case T::tdSunken: return {{L, C::Light}, {-L, C::Text}};
    case T::tdRaised: return {{0, C::Light}, {L, C::Text}};
    case T::tdSunkenShadow:
    case T::tdPColorSunken: return {{0, C::Shadow}, {L + S, C::Light}, {-L, C::Text}};
    case T::tdRaisedShadow:
    case T::tdPColorRaised: return {{L + S, C::Shadow}, {-(L + S), C::Light}, {L, C::Text}};
    case T::tdShadow: return {{S, C::Shadow}, {-S, C::Text}};
    default: return {{0, C::Text}};
  }
}

int Text3DDepth(TKitThreeDStyle Style, int L, int S) {
  using T = TKitThreeDStyle;
  switch (Style) {
    case T::tdSunken:
    case T::tdRaised: return L;
    case T::tdSunkenShadow:
    case T::tdRaisedShadow:
    case T::tdPColorSunken:
    case T::tdPColorRaised: return L + S;
    case T::tdShadow: return S;
    default: return 0;
  }
}

TPoint RotatedTextPos(int W, int H, const TRect& Box, int Angle, TKitThreeDStyle Style, int L, int S) {
  using T = TKitThreeDStyle;
  int d = 0;
  switch (Style) {
    case T::tdSunken:
    case T::tdRaised: d = L / 2 - 1; break;
    case T::tdSunkenShadow:
    case T::tdRaisedShadow:
    case T::tdPColorSunken:
    case T::tdPColorRaised: d = (L + S) / 2 - 1; break;
    case T::tdShadow: d = S / 2 - 1; break;
    default: break;
  }
  d = std::max(d, 0);
  double a = Angle * std::numbers::pi / 180;
  double cx = (Box.Left + Box.Right) / 2.0, cy = (Box.Top + Box.Bottom) / 2.0;
  int hw = W / 2, hh = H / 2;
  int x = KitRound(cx - hw * std::cos(a) - hh * std::sin(a)) - d;
  int y = KitRound(cy + hw * std::sin(a) - hh * std::cos(a)) - d;
  return {std::max(x, 0), std::max(y, 0)};
}

TRect NormalizeRect(const TRect& R) {
  return {std::min(R.Left, R.Right), std::min(R.Top, R.Bottom), std::max(R.Left, R.Right),
          std::max(R.Top, R.Bottom)};
}

namespace {

// Shrinks Rect to make room for a nose or bubbles of size S at Pos.
void ShrinkForExtension(TRect& Rect, int S, TKitExtPos Pos) {
  int p = static_cast<int>(Pos);
  if (p <= 3) Rect.Top += S;
  else Rect.Bottom -= S;
  if (p <= 1 || p >= 6) Rect.Left += S;
  else Rect.Right -= S;
}

}  // namespace

void CalcNosePoints(TRect& Rect, int S, TKitExtPos Pos, int Offset, TPoint Points[3]) {
  ShrinkForExtension(Rect, S, Pos);
  int d = KitRound(std::sqrt(2.0 * S * S));
  int L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom, o = Offset;
  using E = TKitExtPos;
  switch (Pos) {
    case E::epLeftTop: Points[0] = {L - S, T - S}, Points[1] = {L, T + o}, Points[2] = {L, T + o + d}; break;
    case E::epTopLeft: Points[0] = {L - S, T - S}, Points[1] = {L + o, T}, Points[2] = {L + o + d, T}; break;
    case E::epTopRight: Points[0] = {R + S, T - S}, Points[1] = {R - o, T}, Points[2] = {R - o - d, T}; break;
    case E::epRightTop: Points[0] = {R + S, T - S}, Points[1] = {R, T + o}, Points[2] = {R, T + o + d}; break;
    case E::epRightBottom: Points[0] = {R + S, B + S}, Points[1] = {R, B - o}, Points[2] = {R, B - o - d}; break;
    case E::epBottomRight: Points[0] = {R + S, B + S}, Points[1] = {R - o, B}, Points[2] = {R - o - d, B}; break;
    case E::epBottomLeft: Points[0] = {L - S, B + S}, Points[1] = {L + o, B}, Points[2] = {L + o + d, B}; break;
    case E::epLeftBottom: Points[0] = {L - S, B + S}, Points[1] = {L, B - o}, Points[2] = {L, B - o - d}; break;
  }
}

std::vector<TKitBubble> CalcBubblePoints(TRect& Rect, int S, int Count, TKitExtPos Pos) {
  ShrinkForExtension(Rect, S, Pos);
  std::vector<TKitBubble> bubbles;
  if (Count <= 0) return bubbles;
  const double q = 1.57;  // the shapes' own quarter turn, a little short of π/2
  int L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom;
  auto r = [S](double v) { return KitRound(v * S); };
  using E = TKitExtPos;
  for (int i = 0; i <= Count + 1; ++i) {
    double a = i * 90.0 / (Count + 1) * std::numbers::pi / 180;
    TKitBubble b;
    b.Diameter = KitRound(i * (S * 2 * std::numbers::pi / 4) / Count / Count);
    switch (Pos) {
      case E::epLeftTop: b.Center = {L - r(std::cos(a)), (T - S) + r(std::sin(a))}; break;
      case E::epTopLeft: b.Center = {(L - S) + r(std::cos(q - a)), T - r(std::sin(q - a))}; break;
      case E::epTopRight: b.Center = {(R + S) - r(std::cos(q - a)), T - r(std::sin(q + a))}; break;
      case E::epRightTop: b.Center = {R + r(std::cos(a)), (T - S) + r(std::sin(a))}; break;
      case E::epRightBottom: b.Center = {R + r(std::cos(a)), (B + S) - r(std::sin(a))}; break;
      case E::epBottomRight: b.Center = {(R + S) - r(std::cos(q - a)), B + r(std::sin(q - a))}; break;
      case E::epBottomLeft: b.Center = {(L - S) + r(std::cos(q - a)), B + r(std::sin(q - a))}; break;
      case E::epLeftBottom: b.Center = {L - r(std::cos(a)), (B + S) - r(std::sin(a))}; break;
    }
    bubbles.push_back(b);
  }
  return bubbles;
}

std::vector<TPoint> StarPoints(const TRect& Rc) {
  int L = Rc.Left, T = Rc.Top, R = Rc.Right, B = Rc.Bottom;
  double w = Rc.Width(), h = Rc.Height();
  auto x = [&](double f) { return L + KitRound(f * w); };
  auto y = [&](double f) { return T + KitRound(f * h); };
  int cw = L + Rc.Width() / 2;
  return {{cw, T},         {x(0.65), y(0.38)}, {R, y(0.38)}, {x(0.7), y(0.6)},  {x(0.85), B},
          {cw, y(0.75)},   {x(0.15), B},       {x(0.3), y(0.6)}, {L, y(0.38)}, {x(0.35), y(0.38)}};
}

std::vector<TPoint> DiamondPoints(const TRect& Rc) {
  int L = Rc.Left, T = Rc.Top, R = Rc.Right, B = Rc.Bottom, w = Rc.Width(), h = Rc.Height();
  return {{L + w / 2, T}, {L, T + h / 2}, {L + w / 2, B}, {R, T + h / 2}};
}

std::vector<TPoint> OctagonPoints(const TRect& Rc) {
  int L = Rc.Left, T = Rc.Top, R = Rc.Right, B = Rc.Bottom, w3 = Rc.Width() / 3, h3 = Rc.Height() / 3;
  return {{L + 2 * w3, T}, {L + w3, T}, {L, T + h3}, {L, T + 2 * h3},
          {L + w3, B},     {L + 2 * w3, B}, {R, T + 2 * h3}, {R, T + h3}};
}

std::vector<TPoint> CombPoints(const TRect& Rc) {
  int L = Rc.Left, T = Rc.Top, R = Rc.Right, B = Rc.Bottom, w = Rc.Width(), h4 = Rc.Height() / 4;
  return {{L + w / 2, T}, {L, T + h4}, {L, T + 3 * h4}, {L + w / 2, B}, {R, T + 3 * h4}, {R, T + h4}};
}

TKitShieldParts ShieldParts(bool Sharp, int W, int H) {
  TKitShieldParts parts;
  if (Sharp) {
    int e = 8 * H / 7;
    parts.Ellipses = {Rect(-W, -e, W, e), Rect(0, -e, 2 * W, e)};
  } else {
    parts.Ellipses = {NormalizeRect(Rect(0, H, W, H / 5 - H))};
  }
  parts.CutEllipses = {Rect(-W / 2, -H / 5, W / 2, H / 5), Rect(W / 2, -H / 5, W / 2 + W, H / 5)};
  // Everything above the top goes: the big ellipses reach as far above it as below.
  int top = -40;
  for (const TRect& e : parts.Ellipses) top = std::min(top, e.Top);
  parts.CutRect = Rect(0, top, W, 0);
  return parts;
}

bool IsValidRegionData(const std::uint8_t* Data, std::size_t Size) {
  constexpr std::size_t kHeader = 32;
  if (!Data || Size < kHeader) return false;
  auto u32 = [Data](std::size_t at) {
    return static_cast<std::uint32_t>(Data[at]) | static_cast<std::uint32_t>(Data[at + 1]) << 8 |
           static_cast<std::uint32_t>(Data[at + 2]) << 16 | static_cast<std::uint32_t>(Data[at + 3]) << 24;
  };
  constexpr std::uint32_t kRectangles = 1;  // RDH_RECTANGLES
  return u32(0) == kHeader && u32(4) == kRectangles && kHeader + 16ull * u32(8) <= Size;
}
