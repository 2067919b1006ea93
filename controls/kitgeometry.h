#pragma once
// The plain geometry and colour arithmetic under the kit's drawing routines and shapes:
// alignment, border widths, the gradient ramp and its bands, where a picture goes, the
// passes of a 3D caption, the points of the polygon, nose and think-bubble shapes, and the
// check of stored region data. Portable (no windows.h), so it is tested natively too; the
// routines that draw live in kitdraw.h.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "classlib/core/geometry.h"
#include "controls/kittypes.h"

// Windows' MulDiv: A × B / C rounded half away from zero; -1 when C is 0.
int KitMulDiv(int A, int B, int C);
// Rounding half to even, as the kit's geometry rounds.
int KitRound(double Value);

// A rectangle of Source's size placed in Target by Alignment.
void PlaceRect(TKitAlignment Alignment, const TRect& Source, const TRect& Target, TRect& Result);

// Pixels a standard border takes from each side: 0 for lsNone, 1 for lsSingle,
// lsSingleRaised and lsSingleLowered, else 2.
int BorderWidthOf(TKitBorderStyle Style);

// ---- Gradients (colours as RGB: 0x00BBGGRR) ----

// Count colours from From to To: channel = start + MulDiv(i, end − start, Count − 1), so
// the first is From and the last To. Count 1 gives From alone, 0 or less nothing.
std::vector<std::uint32_t> GradientRamp(std::uint32_t From, std::uint32_t To, int Count);

// One band of a gradient fill, largest first in drawing order. Rect is the area filled,
// relative to the target's top-left (right and bottom exclusive); an elliptic band is the
// ellipse inscribed in Rect. ColorIndex picks the colour from the ramp.
struct TKitGradientBand {
  TRect Rect;
  int ColorIndex = 0;
  bool Ellipse = false;
};
// The bands of a W × H fill with Count colours. Square and elliptic bands may reach past
// the target (the drawing cuts them there); nothing for an empty target or no colours.
std::vector<TKitGradientBand> GradientBands(TKitGradientStyle Style, int W, int H, int Count);

// ---- Pictures ----

// Where a picture of PicW × PicH goes in Target by the draw flags: one rectangle per copy
// (tiles: columns = width div PicW + 1, rows likewise), sized as drawn (stretched ones to
// their new size). A picture of zero width or height goes nowhere.
std::vector<TRect> BitmapPlacements(const TRect& Target, int PicW, int PicH, TKitDrawFlags Flags);

// ---- Captions ----

// Which colour a pass of a 3D caption draws in.
enum class TKit3DPassColor { Text, Light, Shadow };
struct TKit3DPass {
  int Offset;  // cumulative: the text moves by (Offset, Offset) before this pass
  TKit3DPassColor Color;
};
std::vector<TKit3DPass> Text3DPasses(TKitThreeDStyle Style, int LightDepth, int ShadowDepth);
// How far a 3D style enlarges the text to the right and bottom.
int Text3DDepth(TKitThreeDStyle Style, int LightDepth, int ShadowDepth);
// Where rotated text starts in its bounding box: W × H is the unrotated text (without its
// 3D depth), Box the rotated bounds of the text with its depth (RotatedBounds). Never
// negative: a negative position would wrap round in the caption's word-sized fields.
TPoint RotatedTextPos(int W, int H, const TRect& Box, int Angle, TKitThreeDStyle Style, int LightDepth,
                      int ShadowDepth);

// ---- Shapes ----

// Rectangles in the order GDI takes them, corners sorted.
TRect NormalizeRect(const TRect& R);

// The nose of the nose shapes: Rect shrinks to make room for it (size S at ExtPos), Points
// get the tip and the two base points (Offset along the edge from the corner).
void CalcNosePoints(TRect& Rect, int S, TKitExtPos Pos, int Offset, TPoint Points[3]);

// The think bubbles: Rect shrinks as for the nose; bubble i of Count + 2 (i = 0 has
// diameter 0) has its centre and diameter.
struct TKitBubble {
  TPoint Center;
  int Diameter = 0;
};
std::vector<TKitBubble> CalcBubblePoints(TRect& Rect, int S, int Count, TKitExtPos Pos);

// The polygon shapes' points in Rect: the star (10 points, filled winding), the diamond
// (4), the octagon (8) and the comb (6).
std::vector<TPoint> StarPoints(const TRect& Rect);
std::vector<TPoint> DiamondPoints(const TRect& Rect);
std::vector<TPoint> OctagonPoints(const TRect& Rect);
std::vector<TPoint> CombPoints(const TRect& Rect);

// The shield shapes are built at the origin from the width and height alone: the common
// part of Ellipses (one for the round shield, two for the sharp one), less the cut
// ellipses and the cut rectangle, which takes away all that lies above the top (y < 0).
// Rectangles are normalised.
struct TKitShieldParts {
  std::vector<TRect> Ellipses;
  std::vector<TRect> CutEllipses;
  TRect CutRect;
};
TKitShieldParts ShieldParts(bool Sharp, int W, int H);

// ---- Region data ----

// Whether Size bytes hold a rectangle region's data as ExtCreateRegion takes it: a 32-byte
// header of size 32 and type RDH_RECTANGLES whose nCount rectangles (16 bytes each) fit.
bool IsValidRegionData(const std::uint8_t* Data, std::size_t Size);
