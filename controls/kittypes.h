#pragma once
// The control kit's enumerations and value ranges of its graphics objects, drawing routines
// and shaped form. They are scoped (enum class): several of their value names are the class
// library's too (bvNone, bvLowered, bvRaised of TBevelCut; tmTopLeft …), so code that uses
// both writes TKitBevelStyle::bvRaised while forms keep the bare names ("bvRaised").
// Portable: no windows.h.
#include <cstdint>

#include "classlib/core/typinfo.h"

// ---- Bevels (TKitBevel) ----
HX_SCOPED_ENUM(TKitBevelStyle, bvNone, bvLowered, bvRaised, bvFrameLowered, bvFrameRaised, bvNormal, bvShadow);
HX_SCOPED_ENUM(TKitFrameSide, fsBottom, fsLeft, fsRight, fsTop);
using TKitFrameSides = TSet<TKitFrameSide>;
inline constexpr TKitFrameSides KitAllFrameSides{TKitFrameSide::fsBottom, TKitFrameSide::fsLeft,
                                                 TKitFrameSide::fsRight, TKitFrameSide::fsTop};
HX_SCOPED_ENUM(TKitEdgeStyle, etRaisedInner, etRaisedOuter, etSunkenInner, etSunkenOuter, etBump, etEtched, etRaised,
               etSunken);
HX_SCOPED_ENUM(TKitBevelMode, bmCustom, bmStandard, bmEdge, bmWindows);
// The standard borders (DrawStandardBorder).
HX_SCOPED_ENUM(TKitBorderStyle, lsNone, lsSingle, lsLowered, lsRaised, lsRaisedspb, lsLoweredspb, lsRaisedExt,
               lsLoweredExt, lsFrameInset, lsFrameOffset, lsWindowBorder, lsSingleRaised, lsSingleLowered,
               lsDoubleRaised, lsDoubleLowered);

// ---- Gradients, captions and fills ----
HX_SCOPED_ENUM(TKitGradientStyle, gstHorizontal, gstVertical, gstSquare, gstElliptic, gstTopLeft, gstTopRight,
               gstBottomLeft, gstBottomRight);
HX_SCOPED_ENUM(TKitDisabledStyle, dsAuto, dsStandard, ds3d, dsNone);
HX_SCOPED_ENUM(TKitThreeDStyle, tdNone, tdSunken, tdRaised, tdSunkenShadow, tdRaisedShadow, tdPColorSunken,
               tdPColorRaised, tdShadow);
HX_SCOPED_ENUM(TKitFillStyle, sfNone, sfBrushBitmap, sfBrush, sfBitmap, sfBitmapList, sfGradient);
HX_SCOPED_ENUM(TKitTileMode, tmNone, tmCenter, tmStretch, tmTile);
// Nine-way placement of a rectangle in another (PlaceRect).
HX_SCOPED_ENUM(TKitAlignment, agTopLeft, agTopCenter, agTopRight, agCenterLeft, agCenter, agCenterRight, agBottomLeft,
               agBottomCenter, agBottomRight);
HX_SCOPED_ENUM(TKitFillOption, foFillInner, foQuickDraw, foGrUseBitmap);
using TKitFillOptions = TSet<TKitFillOption>;
HX_SCOPED_ENUM(TKitShadowStyle, hssNone, hssSolid, hssTracing);
// The colour depth a kit picture is stored with.
HX_SCOPED_ENUM(TKitSavePixelFormat, spfDefault, spfMono, spf4bit, spf8bit);

// ---- Regions and the shaped form ----
HX_SCOPED_ENUM(TKitRegionBorderStyle, rbNone, rbLowered, rbRaised, rbSingle, rbSingleRaised, rbSingleLowered,
               rbRaisedpsb, rbLoweredpsb);
HX_SCOPED_ENUM(TKitRegionShape, rsRect, rsRoundRect, rsBitmap, rsNoseRect, rsRoundNoseRect, rsElliptic, rsStar,
               rsRoundShield, rsSharpShield, rsDiamond, rsOctagon, rsComb, rsHalfRound, rsUserRegion, rsThinkBubble,
               rsRoundThinkBubble, rsEllipticThinkBubble);
// Where a nose or the think bubbles sit: the corner, then the edge along which they leave it.
HX_SCOPED_ENUM(TKitExtPos, epLeftTop, epTopLeft, epTopRight, epRightTop, epRightBottom, epBottomRight, epBottomLeft,
               epLeftBottom);

// ---- Value ranges (setters refuse values outside them and keep the old one) ----
inline constexpr int kKitMaxBevelWidth = 50;    // TKitBevel.WidthInner/WidthOuter 0..50
inline constexpr int kKitMaxBorderWidth = 255;  // TKitBevel.BorderWidth/BorderInnerWidth 0..255
inline constexpr int kKitMinColorCount = 2;     // TKitGradient.ColorCount 2..236
inline constexpr int kKitMaxColorCount = 236;
inline constexpr int kKitMaxShadowDepth = 40;   // TKitShadow.Depth 0..40
inline constexpr int kKitMaxAngle = 360;        // TKitFxCaption.Angle 0..360 (360 is kept as 0)

// ---- Draw flags of the bitmap and gradient routines ----
using TKitDrawFlags = std::uint16_t;
inline constexpr TKitDrawFlags kdfClip = 0x0001;         // cut the drawing at the target rectangle
inline constexpr TKitDrawFlags kdfGrUseBitmap = 0x0004;  // gradient: draw off-screen, then copy
inline constexpr TKitDrawFlags kdfCenter = 0x0008;       // picture centred in the target
inline constexpr TKitDrawFlags kdfStretch = 0x0010;      // picture stretched to the target
inline constexpr TKitDrawFlags kdfAspectHeight = 0x0200;  // with kdfStretch: the target's height, width by aspect
inline constexpr TKitDrawFlags kdfAspectWidth = 0x0400;   // with kdfStretch: the target's width, height by aspect
inline constexpr TKitDrawFlags kdfAspect = 0x0600;        // both: the largest size of the aspect that fits
inline constexpr TKitDrawFlags kdfTile = 0x0020;          // picture tiled over the target
inline constexpr TKitDrawFlags kdfTransparent = 0x0040;   // transparent by colour
inline constexpr TKitDrawFlags kdfSelfDraw = 0x0080;      // the picture draws itself (TCanvas::Draw)
inline constexpr TKitDrawFlags kdfMask = 0x0100;          // transparent through a given mask
inline constexpr TKitDrawFlags kdfPalette = 0x1000;       // select and realise the palette first

// Flags of Draw3DText.
inline constexpr unsigned k3dEnabled = 0x02;     // the control is enabled
inline constexpr unsigned k3dDisabled3D = 0x04;  // dsAuto draws a disabled caption sunken
inline constexpr unsigned k3dClip = 0x08;        // cut the text at the clip rectangle

// ---- Clock, labels and track bar ----
HX_SCOPED_ENUM(TKitClockMode, cmNormal, cmDate, cmStopwatch, cmCountdown, cmAlarm);
HX_SCOPED_ENUM(TKitClockOption, coShowDigital, coShowAnalog, coEnableAlarm, co24Hour);
using TKitClockOptions = TSet<TKitClockOption>;
HX_SCOPED_ENUM(TKitClockStyle, csSimple, csWin95);
HX_SCOPED_ENUM(TKitLabelOption, loPathEllipsis, loEndEllipsis, loEditControl);
using TKitLabelOptions = TSet<TKitLabelOption>;
HX_SCOPED_ENUM(TKitTrackOrientation, toHorizontal, toVertical);
HX_SCOPED_ENUM(TKitThumbStyle, tsStandard, tsCustom);
HX_SCOPED_ENUM(TKitTickMarks, tmBoth, tmBottomRight, tmTopLeft);
HX_SCOPED_ENUM(TKitTickStyle, tsAuto, tsOwnerDraw, tsNone);
HX_SCOPED_ENUM(TKitTrackFocusStyle, tbFocus, tbInvisibleFocus, tbNoFocus);
