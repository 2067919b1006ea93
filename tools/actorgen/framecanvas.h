#pragma once
// A palette-indexed drawing surface for the characters' frames: hard-edged shapes in
// whole palette entries (no blending), so the frames' regions are exact.
#include <cstdint>
#include <vector>

struct TPt {
  double X, Y;
};

class TFrameCanvas {
 public:
  TFrameCanvas(int width, int height, std::uint8_t transparent);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  std::uint8_t Transparent() const { return FTransparent; }
  const std::vector<std::uint8_t>& Pixels() const { return FPixels; }
  std::uint8_t At(int x, int y) const { return FPixels[static_cast<std::size_t>(y * FWidth + x)]; }
  void Put(int x, int y, std::uint8_t c);
  void Clear() { FPixels.assign(FPixels.size(), FTransparent); }

  // Shapes cover the pixels whose centres lie inside them.
  void FillRect(double x0, double y0, double x1, double y1, std::uint8_t c);
  void FillEllipse(double cx, double cy, double rx, double ry, std::uint8_t c, double angle = 0);
  void FillCircle(double cx, double cy, double r, std::uint8_t c) { FillEllipse(cx, cy, r, r, c); }
  void FillPolygon(const std::vector<TPt>& points, std::uint8_t c);
  // A stroke of half-width r with round ends.
  void Line(double x0, double y0, double x1, double y1, double r, std::uint8_t c);
  // An elliptic arc from angle a0 to a1 (radians, 0 = right, growing clockwise on screen).
  void Arc(double cx, double cy, double rx, double ry, double a0, double a1, double r, std::uint8_t c);
  // Clears an ellipse back to transparent (holes, such as the inside of a ring).
  void CutEllipse(double cx, double cy, double rx, double ry);

  // A one-pixel outline in `c` around everything drawn (on the transparent pixels that
  // touch a drawn one).
  void Outline(std::uint8_t c);
  void FlipHorizontal();
  // Squeezes the picture towards its bottom row: a fraction f of the height remains.
  void ScaleFromBottom(double f);
  // Keeps only rows at or below `fromRow` (the rest become transparent).
  void CutAbove(int fromRow);

 private:
  int FWidth, FHeight;
  std::uint8_t FTransparent;
  std::vector<std::uint8_t> FPixels;
};
