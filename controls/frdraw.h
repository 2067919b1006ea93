#pragma once
// The frame routines on a TCanvas that the border and meter controls draw with: lines
// along chosen sides, repeated bevels, the ten frame styles, 3D bevels along rectangles
// and trapezoids, and bitmap tiling. The frame routines return what is left inside what
// they drew, so that callers can stack frames. Each leaves the canvas's pen as it was.
// Windows only (the geometry is in frgeometry.h).
#include "classlib/windows/graphics.h"
#include "classlib/windows/pictures.h"
#include "controls/frgeometry.h"

// With TopLeft the left side (L, T)–(L, B) and the top (L, T)–(R, T); with BottomRight the
// right side (R − 1, T)–(R − 1, B) and the bottom (L, B − 1)–(R, B − 1); only the sides
// asked for. Returns R shrunk by 1 on each drawn side.
TRect DrawBorderSides(TCanvas* Canvas, const TRect& R, TColor TopLeft, TSides Sides, TColor BottomRight);
// DrawBorderSides Width times, each inside the one before.
TRect DrawBevelRect(TCanvas* Canvas, const TRect& R, TColor TopLeft, TSides Sides, int Width, TColor BottomRight);
// A frame of a style on the sides asked for; R shrinks by its inset (FrameStyleInset) on them.
TRect DrawFrameStyleSides(TCanvas* Canvas, const TRect& R, TFrameStyle Style, TSides Sides);
TRect DrawFrameStyleBorder(TCanvas* Canvas, const TRect& R, TFrameStyle Style);
// Width rings inside R: right and bottom in the light colour when Sunken (the shadow when
// raised), then left and top in the other. Returns R shrunk by Width.
TRect DrawBevel(TCanvas* Canvas, const TRect& R, bool Sunken, int Width);
// The same along the four edges of a trapezoid, each ring inset by one more pixel.
void DrawTrapezoidBevel(TCanvas* Canvas, const TTrapezoid& T, bool Sunken, int Width);
// Bitmap copied again and again over R, row by row from R's top-left corner, the copies
// cut at R's right and bottom edges. Nothing for an empty bitmap or rectangle.
void TileBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R);
