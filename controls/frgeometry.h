#pragma once
// The types and plain arithmetic of the frame routines, the border, the meter and the
// background: sides and frame styles, what a frame takes from a rectangle, trapezoids for
// tapered bars, the meter's percent, bar cut and LED segment cells, and the background's
// gradient bands and picture places. Portable (no windows.h), so it is
// tested natively; the routines that draw live in frdraw.h.
#include <array>
#include <cstdint>
#include <vector>

#include "classlib/core/geometry.h"
#include "classlib/core/typinfo.h"

// Sides of a rectangle; as a bit mask 1 left, 2 top, 4 right, 8 bottom.
HX_SCOPED_ENUM(TSide, sdLeft, sdTop, sdRight, sdBottom);
using TSides = TSet<TSide>;
inline constexpr TSides AllSides{TSide::sdLeft, TSide::sdTop, TSide::sdRight, TSide::sdBottom};

HX_SCOPED_ENUM(TFrameStyle, fsNone, fsFlat, fsGroove, fsBump, fsLowered, fsButtonDown, fsRaised, fsButtonUp,
               fsStatus, fsPopup);
// The direction a bar grows in.
HX_SCOPED_ENUM(TDirection, dirUp, dirDown, dirLeft, dirRight);
HX_SCOPED_ENUM(TTrapDirect, tdLargeToSmall, tdSmallToLarge);
HX_SCOPED_ENUM(TTrapShape, tsLeft, tsCenter, tsRight);
HX_SCOPED_ENUM(TMeterType, mtNormal, mtBar3D, mtLED);
HX_SCOPED_ENUM(TMeterShape, msRectangular, msTrapezoidal);

// A trapezoid: top-left, top-right, bottom-right, bottom-left.
using TTrapezoid = std::array<TPoint, 4>;

int LesserInteger(int A, int B);

// Pixels a frame style takes from each side it is drawn on (0, 1 or 2).
int FrameStyleInset(TFrameStyle Style);
// R shrunk by N on each of the sides.
TRect InsetSides(const TRect& R, TSides Sides, int N);

// The inside of a border of Width × Height: BorderWidth off every side, then for the outer
// and the inner style each the sides shrunk by 1 (fsFlat), BevelWidth (fsStatus, fsPopup)
// or 2 (the others but fsNone).
TRect BorderClientRect(int Width, int Height, int BorderWidth, int BevelWidth, TFrameStyle Outer, TFrameStyle Inner,
                       TSides Sides);

// A tapered bar's trapezoid in R: across Direction one edge is MinWidth long (at most
// R's extent), placed by Shape, the other spans R. For vertical bars the small edge is at
// the top for tdLargeToSmall with dirUp and tdSmallToLarge with dirDown, else at the
// bottom; for horizontal ones on the right for tdLargeToSmall with dirRight and
// tdSmallToLarge with dirLeft, else on the left.
TTrapezoid CalcTrapezoid(const TRect& R, int MinWidth, TTrapDirect TrapDirect, TDirection Direction, TTrapShape Shape);
// The part of T between Part's two edges across Direction (its top and bottom for
// vertical bars, its left and right for horizontal ones): the new corners lie on T's
// slanted edges (truncated). An edge without extent keeps its own coordinate.
TTrapezoid ClipTrapezoid(const TTrapezoid& T, const TRect& Part, TDirection Direction);
// Every corner moved outward by N (inward for a negative N).
void InflateTrapezoid(TTrapezoid& T, int N);

// ---- The meter ----

// (Value − Min) × 100 div (Max − Min) in 64 bits; 0 when Min ≥ Max.
int MeterPercent(int Value, int Min, int Max);
// (Value − Min) × Length div (Max − Min) in 64 bits, within 0..Length; 0 when Min ≥ Max.
int MeterCut(int Value, int Min, int Max, int Length);
// The filled part of Area cut at Cut pixels from Direction's start edge (left for
// dirRight, right for dirLeft, bottom for dirUp, top for dirDown).
TRect BarPart(const TRect& Area, TDirection Direction, int Cut);
// The segment count of the three groups (each at least 1), at most 255.
int SegmentTotal(int Seg1Count, int Seg2Count, int Seg3Count);
// The cells of N segments in Area (already inset by Spacing), from the start edge: each
// (length − (N − 2) × Spacing) div N long along Direction, the full width across it, a
// gap of Spacing after each. Empty when a segment would have no length.
std::vector<TRect> SegmentCells(const TRect& Area, TDirection Direction, int N, int Spacing);
// Which colour group (0..2) a lit segment I takes; -1 when it is not lit.
int SegmentGroup(int I, int Lit, int Seg1Count, int Seg2Count);

// ---- The background ----

// The layouts of a background's gradient (see frbackground.h).
HX_SCOPED_ENUM(TFrGradientDirection, gdDiagonalUp, gdDiagonalDown, gdHorizontalEnd, gdHorizontalCenter,
               gdHorizontalBox, gdVerticalEnd, gdVerticalCenter, gdVerticalBox, gdSquareBox, gdBigSquareBox);
// How a background places its picture.
HX_SCOPED_ENUM(TImageStyle, isCenter, isClip, isFill, isStretch, isTiled);

// One band of a gradient: pixels Start..End − 1 along its axis in one colour (0x00BBGGRR).
struct TGradientBand {
  int Start = 0, End = 0;
  std::uint32_t Color = 0;
  bool operator==(const TGradientBand&) const = default;
};
// The pixels a band lasts at least before the colour may change: SmoothFactor − 1 for
// factors up to 8, 255 div SmoothFactor above (factors are 1..255).
int GradientSmoothCount(int SmoothFactor);
// The bands of a gradient Length pixels long from From (the first pixel) to To (the last):
// each channel steps per pixel in 16.16 fixed point, and a band ends where the colour
// changes once the smoothing count of pixels has passed. None for a length below 1.
std::vector<TGradientBand> GradientBands(std::uint32_t From, std::uint32_t To, int Length, int SmoothFactor);
// Where a background draws a picture of PW × PH on W × H with isCenter, isClip, isFill
// (stretched from (0, 0) keeping its aspect: the full width when the area is at least as
// tall for its width as the picture, else the full height) or isStretch (the whole area).
// Empty for an empty picture and for isTiled.
TRect BackgroundImageRect(TImageStyle Style, int W, int H, int PW, int PH);
