#include "framecanvas.h"

#include <algorithm>
#include <cmath>

TFrameCanvas::TFrameCanvas(int width, int height, std::uint8_t transparent)
    : FWidth(width), FHeight(height), FTransparent(transparent),
      FPixels(static_cast<std::size_t>(width * height), transparent) {}

void TFrameCanvas::Put(int x, int y, std::uint8_t c) {
  if (x >= 0 && y >= 0 && x < FWidth && y < FHeight) FPixels[static_cast<std::size_t>(y * FWidth + x)] = c;
}

void TFrameCanvas::FillRect(double x0, double y0, double x1, double y1, std::uint8_t c) {
  for (int y = static_cast<int>(std::ceil(y0 - 0.5)); y + 0.5 <= y1; ++y)
    for (int x = static_cast<int>(std::ceil(x0 - 0.5)); x + 0.5 <= x1; ++x) Put(x, y, c);
}

void TFrameCanvas::FillEllipse(double cx, double cy, double rx, double ry, std::uint8_t c, double angle) {
  if (rx <= 0 || ry <= 0) return;
  double r = std::max(rx, ry), ca = std::cos(angle), sa = std::sin(angle);
  for (int y = static_cast<int>(std::floor(cy - r)); y <= static_cast<int>(std::ceil(cy + r)); ++y)
    for (int x = static_cast<int>(std::floor(cx - r)); x <= static_cast<int>(std::ceil(cx + r)); ++x) {
      double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      double u = dx * ca + dy * sa, v = -dx * sa + dy * ca;
      if (u * u / (rx * rx) + v * v / (ry * ry) <= 1.0) Put(x, y, c);
    }
}

void TFrameCanvas::CutEllipse(double cx, double cy, double rx, double ry) { FillEllipse(cx, cy, rx, ry, FTransparent); }

void TFrameCanvas::FillPolygon(const std::vector<TPt>& points, std::uint8_t c) {
  if (points.size() < 3) return;
  double top = points[0].Y, bottom = points[0].Y;
  for (const TPt& p : points) top = std::min(top, p.Y), bottom = std::max(bottom, p.Y);
  for (int y = static_cast<int>(std::floor(top)); y <= static_cast<int>(std::ceil(bottom)); ++y) {
    double sy = y + 0.5;
    std::vector<double> xs;
    for (std::size_t i = 0; i < points.size(); ++i) {
      const TPt& a = points[i];
      const TPt& b = points[(i + 1) % points.size()];
      if ((a.Y <= sy && b.Y > sy) || (b.Y <= sy && a.Y > sy)) xs.push_back(a.X + (sy - a.Y) * (b.X - a.X) / (b.Y - a.Y));
    }
    std::sort(xs.begin(), xs.end());
    for (std::size_t i = 0; i + 1 < xs.size(); i += 2)
      for (int x = static_cast<int>(std::ceil(xs[i] - 0.5)); x + 0.5 <= xs[i + 1]; ++x) Put(x, y, c);
  }
}

void TFrameCanvas::Line(double x0, double y0, double x1, double y1, double r, std::uint8_t c) {
  double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
  for (int y = static_cast<int>(std::floor(std::min(y0, y1) - r)); y <= static_cast<int>(std::ceil(std::max(y0, y1) + r)); ++y)
    for (int x = static_cast<int>(std::floor(std::min(x0, x1) - r)); x <= static_cast<int>(std::ceil(std::max(x0, x1) + r)); ++x) {
      double px = x + 0.5 - x0, py = y + 0.5 - y0;
      double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
      double ex = px - t * dx, ey = py - t * dy;
      if (ex * ex + ey * ey <= r * r) Put(x, y, c);
    }
}

void TFrameCanvas::Arc(double cx, double cy, double rx, double ry, double a0, double a1, double r, std::uint8_t c) {
  const int steps = 12;
  for (int i = 0; i < steps; ++i) {
    double t0 = a0 + (a1 - a0) * i / steps, t1 = a0 + (a1 - a0) * (i + 1) / steps;
    Line(cx + rx * std::cos(t0), cy + ry * std::sin(t0), cx + rx * std::cos(t1), cy + ry * std::sin(t1), r, c);
  }
}

void TFrameCanvas::Outline(std::uint8_t c) {
  std::vector<std::uint8_t> before = FPixels;
  auto drawn = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < FWidth && y < FHeight && before[static_cast<std::size_t>(y * FWidth + x)] != FTransparent;
  };
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x)
      if (!drawn(x, y) && (drawn(x - 1, y) || drawn(x + 1, y) || drawn(x, y - 1) || drawn(x, y + 1))) Put(x, y, c);
}

void TFrameCanvas::FlipHorizontal() {
  for (int y = 0; y < FHeight; ++y) std::reverse(FPixels.begin() + y * FWidth, FPixels.begin() + (y + 1) * FWidth);
}

void TFrameCanvas::ScaleFromBottom(double f) {
  std::vector<std::uint8_t> before = FPixels;
  Clear();
  if (f <= 0) return;
  for (int y = 0; y < FHeight; ++y) {
    int src = FHeight - 1 - static_cast<int>(std::floor((FHeight - 1 - y) / f));
    if (src < 0) continue;
    std::copy(before.begin() + src * FWidth, before.begin() + (src + 1) * FWidth, FPixels.begin() + y * FWidth);
  }
}

void TFrameCanvas::CutAbove(int fromRow) {
  for (int y = 0; y < std::min(fromRow, FHeight); ++y)
    std::fill(FPixels.begin() + y * FWidth, FPixels.begin() + (y + 1) * FWidth, FTransparent);
}
