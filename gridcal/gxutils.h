#pragma once
// Drawing and window routines the grid, calendar and calculator controls share, and their
// two registered cursors. Windows only (the portable ones are in gxtext.h).
#include "classlib/windows/controls.h"
#include "classlib/windows/pictures.h"
#include "gridcal/gxtext.h"

class TCustomImageList;

// The screen's cursors of this control family: a hand (over a slider's thumb) and a hand
// that drags.
constexpr int crHand = 14000;
constexpr int crDragHand = 14001;

// Registers the cursor resources "GX_HANDCUR" and "GX_DRAGCUR" of Module (nullptr: the
// executable) as crHand and crDragHand; a missing hand is the system's hand, a missing
// drag hand the system's drag cursor. Runs once at start-up for the executable.
void RegisterGridCalCursors(HINSTANCE Module = nullptr);

// Cell Index of Source cut into Cols x Rows equal cells (see BitmapCellRect) into Dest,
// sized to the cell, keeping Source's transparent colour. A source that is no bitmap is
// drawn offset onto a silver background.
void BitmapCell(TGraphic* Source, TBitmap* Dest, int Cols, int Rows, int Index);

// A grey "disabled" picture of Source into Dest (Source's size): every pixel that is not
// TransparentColor (clDefault: Source's own) makes the shape, drawn in Highlight one pixel
// down and right and in Shadow in place, on Face.
void CreateDisabledBitmap(TBitmap* Source, TBitmap* Dest, TColor TransparentColor = clDefault,
                          TColor Face = clBtnFace, TColor Highlight = clBtnHighlight, TColor Shadow = clBtnShadow);

// Image Index of Images drawn disabled at X, Y (embossed: highlight at +1, +1, shadow in place).
void ImageListDrawDisabled(TCustomImageList* Images, TCanvas* Canvas, int X, int Y, int Index);

// Draws Source at X, Y (stretched to Width x Height when those are given) with every pixel
// of TransparentColor left out.
void DrawBitmapTransparent(TCanvas* Dest, int X, int Y, TBitmap* Source, TColor TransparentColor);
void StretchBitmapTransparent(TCanvas* Dest, const TRect& DestRect, TBitmap* Source, const TRect& SourceRect,
                              TColor TransparentColor);

// Paints what lies under Control on its parent (the parent's background and the windowless
// controls below it) onto DC, whose origin is Control's top-left corner: a control that
// looks transparent draws this first.
void CopyParentImage(TControl* Control, HDC DC);

// Takes a quit message waiting in the thread's queue out and posts it again with its code
// (so it comes after what was just posted); false when none waited.
bool RepostQuitMessage();

// Whether the active window belongs to the calling thread.
bool IsForegroundTask();

// Text shortened with "..." to fit MaxWidth on Canvas's font (see ShortenText).
String ShortenCanvasText(TCanvas* Canvas, const String& Text, int MaxWidth);
