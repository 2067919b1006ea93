#pragma once
// The control kit's small routines: paths and strings, the system facts it keeps, and the
// rectangle and array helpers of its drawing code.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>

#include "classlib/core/object.h"
#include "classlib/core/typinfo.h"

HX_ENUM(TKitPathPrefix, ppWindows, ppSystem, ppProgram, ppFixed);

// ---- Paths and strings ----

// Empty, or only spaces (only the space character counts).
bool IsBlank(const String& S);
// S with one trailing backslash; a blank S gets one too.
String AddBackslash(const String& S);
// Drops one trailing backslash from a non-blank S, except the one of a drive's root
// ("C:\" stays: "C:" would mean the current folder of drive C).
String RemoveBackslash(const String& S);
// The folder of the executable (with a trailing backslash), Windows', System's.
String GetApplicationDir();
String GetWindowsDir();
String GetSystemDir();
// The folder of a prefix (ppFixed: "" at once), with or without the trailing backslash.
String GetPrefixDir(TKitPathPrefix Prefix, bool WithBackslash);
// The executable's full path.
String GetApplicationExeName();

// ---- System facts ----

// The kit runs on the Windows NT family only: the Windows 9x branches are not built.
constexpr bool KitIsWin9x = false;
constexpr bool KitIsWin98OrLater = false;
constexpr bool KitIsWinNT = true;
constexpr bool KitHasWindowsExtension = true;  // always so on NT
// Bits per pixel of the display (bits × planes).
std::uint8_t GetColorDepth();
std::uint16_t GetOSMinorVersion();
// The logged-on user's name; false when the system cannot tell.
bool GetUserName(String& Name);

// ---- Rectangles and arrays ----
// Over any rectangle with Left, Top, Right, Bottom (the class library's TRect) and any
// point with X, Y.

template <class R>
void RectSize(const R& Rect, int& Width, int& Height) {
  Width = Rect.Right - Rect.Left;
  Height = Rect.Bottom - Rect.Top;
}

// Source scaled to fit Target keeping its aspect, at Target's top-left. An empty source
// gives an empty rectangle there.
template <class R>
void FitRectAspect(const R& Source, const R& Target, R& Result) {
  double sw = Source.Right - Source.Left, sh = Source.Bottom - Source.Top;
  double tw = Target.Right - Target.Left, th = Target.Bottom - Target.Top;
  double scale = sw <= 0 || sh <= 0 ? 0 : std::min(tw / sw, th / sh);
  Result = Target;
  Result.Right = Target.Left + static_cast<int>(std::nearbyint(sw * scale));
  Result.Bottom = Target.Top + static_cast<int>(std::nearbyint(sh * scale));
}

// The bounding box of Rect turned by Angle degrees about its centre, moved to (0, 0).
// Angle 0 leaves Rect as it is.
template <class R>
void RotatedBounds(R& Rect, double Angle) {
  if (Angle == 0) return;
  double a = Angle * std::numbers::pi / 180;
  int hw = (Rect.Right - Rect.Left) / 2, hh = (Rect.Bottom - Rect.Top) / 2;
  double c = std::cos(a), s = std::sin(a);
  auto r = [](double v) { return static_cast<int>(std::nearbyint(v)); };
  int x1 = r(hw * c - hh * s), x2 = r(hw * c + hh * s);
  int y1 = r(hw * s - hh * c), y2 = r(hw * s + hh * c);
  int cx = Rect.Left + hw, cy = Rect.Top + hh;
  int xs[] = {cx + x1, cx - x1, cx + x2, cx - x2};
  int ys[] = {cy + y1, cy - y1, cy + y2, cy - y2};
  int left = *std::min_element(xs, xs + 4), right = *std::max_element(xs, xs + 4);
  int top = *std::min_element(ys, ys + 4), bottom = *std::max_element(ys, ys + 4);
  Rect.Left = 0;
  Rect.Top = 0;
  Rect.Right = right - left;
  Rect.Bottom = bottom - top;
}

template <class P>
void OffsetPoints(std::span<P> Points, int Dx, int Dy) {
  for (P& p : Points) {
    p.X += Dx;
    p.Y += Dy;
  }
}

// The largest and smallest of a non-empty array (EInvalidOperation when empty).
int KitMaxInt(std::span<const int> Values);
int KitMinInt(std::span<const int> Values);
double KitMinExtended(std::span<const double> Values);
