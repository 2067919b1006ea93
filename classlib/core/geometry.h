#pragma once
// Points and rectangles of the screen and of canvases, in pixels. A rectangle holds its
// left and top edges and, one past its last pixel, its right and bottom edges.
#include <algorithm>

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  TPoint TopLeft() const { return {Left, Top}; }
  TPoint BottomRight() const { return {Right, Bottom}; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(TPoint P) const { return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int X, int Y) { return {X, Y}; }
inline TRect Rect(int Left, int Top, int Right, int Bottom) { return {Left, Top, Right, Bottom}; }
inline TRect Bounds(int Left, int Top, int Width, int Height) { return {Left, Top, Left + Width, Top + Height}; }

inline TRect OffsetRect(TRect R, int DX, int DY) { return {R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY}; }
inline TRect InflateRect(TRect R, int DX, int DY) { return {R.Left - DX, R.Top - DY, R.Right + DX, R.Bottom + DY}; }
// The common part of two rectangles; an empty rectangle at 0 when they do not meet.
inline TRect IntersectRect(const TRect& A, const TRect& B) {
  TRect r{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
  return r.IsEmpty() ? TRect{} : r;
}
