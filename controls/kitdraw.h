#pragma once
// The kit's drawing routines on a TCanvas: bevel and border frames, the standard borders,
// pictures drawn placed, tiled, stretched or transparent, the gradient fill with its colour
// ramp and palette, and captions with 3D effects and rotation. Windows only.
//
// Every routine draws inside its target and leaves the device context as it found it:
// clipping is intersected with the caller's own (windowless controls paint on their
// parent's context under a clip and a moved origin) and taken back afterwards; font,
// palette, colours, mix modes and character extra are restored; each GDI object a routine
// makes is deleted before it returns. The canvas's own pen, brush and font are left alone.
#include <cstdint>
#include <vector>

#include "classlib/windows/pictures.h"
#include "controls/kitgeometry.h"

class TKit3DCaption;

// ---- Frames ----

// One bevel ring of Width pixels inside Rect, which shrinks by what it took (frame styles
// Width + 1). False, drawing nothing, for width 0, bvNone and bvShadow.
bool DrawBevelStyle(TCanvas* Canvas, TRect& Rect, TKitBevelStyle Style, int Width, TColor ShadowColor,
                    TColor LightColor);
// The shadow strips at the right and bottom (WidthOuter wide; unless Transparent the two
// corners they leave in BorderColor), then WidthInner one-pixel frames of LightColor.
void DrawShadowFrame(TCanvas* Canvas, TRect& Rect, TColor LightColor, bool Transparent, int WidthInner,
                     int WidthOuter, TColor BorderColor, TColor ShadowColor);
// A ring of Width one-pixel frames in Color inside Rect, which shrinks by Width; with
// Transparent it only shrinks.
void DrawFrameRing(TCanvas* Canvas, TRect& Rect, int Width, TColor Color, bool Transparent);
// The system's edges of a standard border; Rect shrinks as the edges adjust it. ExtraFlags
// are added to the first edge's flags (BF_ values).
void DrawStandardBorder(TCanvas* Canvas, TRect& Rect, TKitBorderStyle Style, unsigned ExtraFlags = 0);

// ---- Pictures ----

// Sizes Bitmap to Rect and fills it with Color.
void PrepareBitmap(TBitmap* Bitmap, const TRect& Rect, TColor Color);
// Copies Rect of Canvas into Image and makes Mask (monochrome, white where the pixel is
// TransparentColor); those pixels of Image become black.
void MakeTransparentParts(TCanvas* Canvas, const TRect& Rect, TBitmap* Mask, TColor TransparentColor, TBitmap* Image);
// Draws Bitmap in Rect by the draw flags (kittypes.h): palette, clip, then DrawBitmapCore.
// Origin is where the caller moved the context's origin; clipping works in logical
// coordinates and needs it not.
void DrawBitmapFlags(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap, TPoint Origin, TColor TransparentColor,
                     TKitDrawFlags Flags);
// The placement and transparency: transparent by TransparentColor (kdfTransparent) or
// through Mask (kdfMask, a monochrome bitmap of the picture's size, white = transparent).
// Tiles and centred pictures are cut at Rect. A picture of zero size draws nothing.
void DrawBitmapCore(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap, TBitmap* Mask, TColor TransparentColor,
                    TKitDrawFlags Flags);
// Bitmap onto Work (sized to it) with Color2 transparent, then Work into Rect with Color1
// transparent and the palette flag.
void DrawMaskedBitmap(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap, TColor Color1, TColor Color2,
                      TBitmap* Work);

// ---- Gradients ----

// The ramp of Count colours from Color to EndColor (system colours looked up now) into
// List (cleared first). Count 1 gives Color alone.
void CalcGradientColors(TColor Color, TColor EndColor, int Count, std::vector<std::uint32_t>& List);
// A palette of the list's colours (owned by the caller); nullptr for an empty list.
HPALETTE CreateGradientPalette(const std::vector<std::uint32_t>& List);
// Fills Rect with the bands of Style in the list's colours (GradientBands). Flags:
// kdfClip (cut at Rect; square and elliptic bands are always cut), kdfGrUseBitmap (drawn
// off-screen, then copied), kdfPalette (Palette selected and realised, then put back).
void GradientFill(TCanvas* Canvas, const TRect& Rect, TKitGradientStyle Style, TPoint Origin, TKitDrawFlags Flags,
                  HPALETTE Palette, const std::vector<std::uint32_t>& List);

// ---- Captions ----

// Caption text in Rect with DrawTextFlags (DT_ values). Without a caption object it is
// plain DrawTextExW. With one, its 3D style draws the passes of Text3DPasses in the
// caption's colours (a disabled control, without k3dEnabled, in clGrayText unless
// DisabledStyle is dsNone); a TKitFxCaption moves the text by (PosX, PosY) and with an
// Angle turns it (ExtTextOutW at the rectangle's top-left). k3dClip cuts the text at
// ClipRect (or Rect when ClipRect is empty).
void Draw3DText(TCanvas* Canvas, const String& Text, TKit3DCaption* Caption, const TRect& ClipRect, unsigned Flags,
                unsigned DrawTextFlags, const TRect& Rect);
// The rectangle a caption needs, from Rect's top-left: DrawTextExW with DT_CALCRECT (and
// DT_WORDBREAK with WordWrap, DT_NOPREFIX without ShowAccelChar; an empty text, or "&"
// alone with accelerators shown, is measured as a space), grown by the 3D depth; rotated
// text is measured turned and sets the caption's PosX and PosY (0 or more). Right and
// bottom then grow by (Margin + 1) × 2.
void CalcTextRect(TCanvas* Canvas, const String& Text, TKit3DCaption* Caption, int Margin, bool WordWrap,
                  bool ShowAccelChar, unsigned DrawTextFlags, TRect& Rect);
// CalcTextRect with Font on a temporary canvas of the screen.
void MeasureText(TFont* Font, const String& Text, TKit3DCaption* Caption, int Margin, bool WordWrap,
                 bool ShowAccelChar, unsigned DrawTextFlags, TRect& Rect);
// MeasureText, then the result placed in Target by Alignment.
void CalcAlignedTextRect(TFont* Font, const String& Text, TKit3DCaption* Caption, int Margin, bool WordWrap,
                         bool ShowAccelChar, unsigned DrawTextFlags, TKitAlignment Alignment, const TRect& Target,
                         TRect& Rect);
// Whether the canvas's font is a TrueType font.
bool IsTrueTypeFont(TCanvas* Canvas);

// ---- The context kept as found ----

// Saves a device context and restores it when it goes; the GDI objects handed to Own are
// deleted after the restore (so none is deleted while selected).
class TKitDCState {
 public:
  explicit TKitDCState(HDC DC);
  ~TKitDCState();
  TKitDCState(const TKitDCState&) = delete;
  TKitDCState& operator=(const TKitDCState&) = delete;
  HDC DC() const { return FDC; }
  // Deletes Object when the context has been restored; returns it.
  template <class H>
  H Own(H Object) {
    if (Object) FOwned.push_back(Object);
    return Object;
  }
  // Cuts later drawing at R (logical coordinates), within the clip already there.
  void Clip(const TRect& R);

 private:
  HDC FDC;
  int FSaved;
  std::vector<HGDIOBJ> FOwned;
};
