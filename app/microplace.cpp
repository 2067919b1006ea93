#include "app/microplace.h"

#include "app/clockparts.h"

#include <cstdint>
#include <limits>

namespace {

// ⌈n / 2⌉ for any sign.
int HalfUp(int n) { return n >= 0 ? n - n / 2 : n / 2; }

void KeepInside(TPoint& P, const TRect& A, int w, int h) {
  const int m = kMicroClockMargin;
  if (P.X + w > A.Right - m) P.X = A.Right - m - w;
  if (P.X < A.Left + m) P.X = A.Left + m;
  // The top last, as the left: a window larger than the area keeps its top-left corner in.
  if (P.Y + h > A.Bottom - m) P.Y = A.Bottom - m - h;
  if (P.Y < A.Top + m) P.Y = A.Top + m;
}

// How far apart two rectangles are (0 when they touch or overlap), squared.
std::int64_t Distance2(const TRect& a, const TRect& b) {
  std::int64_t dx = std::max({0, b.Left - a.Right, a.Left - b.Right});
  std::int64_t dy = std::max({0, b.Top - a.Bottom, a.Top - b.Bottom});
  return dx * dx + dy * dy;
}

std::int64_t Overlap(const TRect& a, const TRect& b) {
  std::int64_t w = std::min(a.Right, b.Right) - std::max(a.Left, b.Left);
  std::int64_t h = std::min(a.Bottom, b.Bottom) - std::max(a.Top, b.Top);
  return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

TPoint MicroClockPlace(int Index, const TRect& A, const TRect& Window) {
  const int m = kMicroClockMargin;
  const int w = Window.Width(), h = Window.Height();
  const int cx = HalfUp(A.Width() - m), hx = HalfUp(w);
  const int cy = HalfUp(A.Height() - m), hy = HalfUp(h);
  const int left = A.Left + m, right = A.Right - m - w, centreX = A.Left + cx - hx;
  const int top = A.Top + m, bottom = A.Bottom - m - h, centreY = A.Top + cy - hy;
  // The free coordinate of the edge placements is kept inside like a manual place.
  TPoint kept = Window.TopLeft();
  KeepInside(kept, A, w, h);
  switch (Index) {
    case 1: return {left, top};
    case 2: return {right, top};
    case 3: return {centreX, top};
    case 4: return {left, bottom};
    case 5: return {right, bottom};
    case 6: return {centreX, bottom};
    case 7: return {kept.X, top};
    case 8: return {kept.X, bottom};
    case 9: return {left, kept.Y};
    case 10: return {right, kept.Y};
    case 11: return {centreX, centreY};
    default: return kept;
  }
}

TRect NearestWorkArea(const std::vector<TMonitorInfo>& Monitors, const TRect& Window, const TRect& Fallback) {
  const TMonitorInfo* best = nullptr;
  std::int64_t bestOverlap = 0, bestDistance = std::numeric_limits<std::int64_t>::max();
  for (const TMonitorInfo& m : Monitors) {
    std::int64_t overlap = Overlap(m.Bounds, Window), distance = Distance2(m.Bounds, Window);
    if (overlap > bestOverlap || (bestOverlap == 0 && overlap == 0 && distance < bestDistance)) {
      best = &m;
      bestOverlap = overlap;
      bestDistance = distance;
    }
  }
  return best ? best->WorkArea : Fallback;
}

void ApplyMicroClockOptions(TClockOptions& Options, TMicroClock& Clock) {
  Clock.SetKind(Options.DigitalMiniClock());
  Clock.SetShowSeconds(Options.ShowSmallSeconds());
  Clock.SetShowDate(Options.ShowSmallDate());
  Clock.SetPlacement(Options.SmallClockState());
  Clock.SetColors(Options.MinClockColorBack(), Options.MinClockColor1(), Options.MinClockColor2());
  Clock.SetMeterVisible(false);
}
