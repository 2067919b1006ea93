#pragma once
// Drawing tools and the canvas over a device context: fonts, pens and brushes whose GDI
// handles are made on demand from their properties, and TCanvas, which selects them into
// its device context only when a drawing call needs them and puts the context's own
// objects back when it lets the context go. Text goes through the W functions. Windows only.
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <span>

#include "classlib/core/colors.h"
#include "classlib/core/geometry.h"
#include "classlib/core/persistent.h"
#include "classlib/core/winapi.h"

class TBitmap;
class TGraphic;

// A colour as GDI takes it: system colours (and clDefault's system colour) looked up now.
// clNone keeps its own value.
COLORREF ColorToRGB(TColor Color);
// A new palette (owned by the caller) with the entries of Palette; nullptr for none.
HPALETTE CopyPalette(HPALETTE Palette);

HX_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut);
using TFontStyles = TSet<TFontStyle>;
HX_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed);
HX_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame);
HX_ENUM(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
        pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor);
HX_ENUM(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross);

// A font's character set (ANSI_CHARSET …); streams as those names.
enum TFontCharset : std::uint8_t {};
const TIdentMap& HxIdentMap(TFontCharset);

// A raster operation of CopyRect and Draw (SRCCOPY …).
using TCopyMode = std::uint32_t;
constexpr TCopyMode cmBlackness = BLACKNESS, cmDstInvert = DSTINVERT, cmMergeCopy = MERGECOPY,
                    cmMergePaint = MERGEPAINT, cmNotSrcCopy = NOTSRCCOPY, cmNotSrcErase = NOTSRCERASE,
                    cmPatCopy = PATCOPY, cmPatInvert = PATINVERT, cmPatPaint = PATPAINT, cmSrcAnd = SRCAND,
                    cmSrcCopy = SRCCOPY, cmSrcErase = SRCERASE, cmSrcInvert = SRCINVERT, cmSrcPaint = SRCPAINT,
                    cmWhiteness = WHITENESS;

// The base of fonts, pens and brushes: a change of any property tells OnChange (the canvas
// or control that uses the object), and only then is the old GDI handle deleted.
class TGraphicsObject : public TPersistent {
  HX_CLASS(TGraphicsObject, TPersistent)
 public:
  TNotifyEvent OnChange;

 protected:
  virtual void Changed();
};

class TFont : public TGraphicsObject {
  HX_CLASS(TFont, TGraphicsObject)
 public:
  TFont();
  ~TFont() override;

  // Made from the properties when first asked for; owned by the font.
  HFONT GetHandle();
  // Takes the handle (the font owns it from now) and reads the properties from it, so a
  // LOGFONT made elsewhere (a rotated font) is drawn as it is.
  void SetHandle(HFONT Value);
  // The properties as a LOGFONT, and back.
  LOGFONTW GetLogFont() const;
  void SetLogFont(const LOGFONTW& Value);

  String GetName() const { return FName; }
  void SetName(const String& Value);
  // Points; a negative size is a character height in pixels, as Height is.
  int GetSize() const;
  void SetSize(int Value);
  // Negative: the character height in pixels; positive: the cell height.
  int GetHeight() const { return FHeight; }
  void SetHeight(int Value);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  TFontStyles GetStyle() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TFontCharset GetCharset() const { return FCharset; }
  void SetCharset(TFontCharset Value);
  TFontPitch GetPitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  // Converts between Size and Height; the screen's by default.
  int GetPixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value > 0 ? Value : FPixelsPerInch; }

  void Assign(TPersistent* Source) override;

 private:
  template <class F>
  void Modify(F&& Change);

  String FName;
  int FHeight;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  TFontCharset FCharset;
  TFontPitch FPitch = fpDefault;
  int FPixelsPerInch;
  HFONT FHandle = nullptr;
  bool FCustomHandle = false;  // set from outside, not made from the properties
};

class TPen : public TGraphicsObject {
  HX_CLASS(TPen, TGraphicsObject)
 public:
  TPen() = default;
  ~TPen() override;

  HPEN GetHandle();
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  int GetWidth() const { return FWidth; }
  void SetWidth(int Value);
  TPenStyle GetStyle() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  // The raster operation lines are drawn with (SetROP2); not part of the handle.
  TPenMode GetMode() const { return FMode; }
  void SetMode(TPenMode Value);

  void Assign(TPersistent* Source) override;

 private:
  template <class F>
  void Modify(F&& Change);

  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
  HPEN FHandle = nullptr;
};

class TBrush : public TGraphicsObject {
  HX_CLASS(TBrush, TGraphicsObject)
 public:
  TBrush() = default;
  ~TBrush() override;

  HBRUSH GetHandle();
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);  // bsClear becomes bsSolid, as a colour asks to be seen
  TBrushStyle GetStyle() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  // A pattern brush from this bitmap (not owned; the caller keeps it alive while it is
  // set); nullptr goes back to Style and Color.
  TBitmap* GetBitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* Value);

  void Assign(TPersistent* Source) override;

 private:
  template <class F>
  void Modify(F&& Change);

  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TBitmap* FBitmap = nullptr;
  HBRUSH FHandle = nullptr;
};

HX_ENUM(TCanvasStateFlag, csHandleValid, csFontValid, csPenValid, csBrushValid);
using TCanvasState = TSet<TCanvasStateFlag>;

// Drawing on a device context. A canvas either is given a context (SetHandle) or makes one
// when first drawn on (CreateHandle in descendants: a bitmap's memory context, a control's
// window context). Pen, brush and font are selected lazily and deselected (the context's
// own objects restored) when the context is let go. Lock serialises threads that draw on
// one canvas.
class TCanvas : public TPersistent {
  HX_CLASS(TCanvas, TPersistent)
 public:
  TCanvas();
  ~TCanvas() override;

  HDC GetHandle();
  // The context for drawing no text (copying pictures, shapes): pen and brush selected, of
  // the font only its colour set (a monochrome picture's set bits take it), since selecting
  // the font into a window's context costs the display driver a resource look-up each time.
  HDC HandleWithoutFont();
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* GetFont() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TPen* GetPen() const { return FPen; }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* GetBrush() const { return FBrush; }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TCopyMode GetCopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
  TPoint GetPenPos();
  void SetPenPos(TPoint Value) { MoveTo(Value.X, Value.Y); }

  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
  void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Polygon(std::span<const TPoint> Points);
  void Polygon(std::initializer_list<TPoint> Points) { Polygon(std::span<const TPoint>(Points.begin(), Points.size())); }
  void Polyline(std::span<const TPoint> Points);
  void Polyline(std::initializer_list<TPoint> Points) { Polyline(std::span<const TPoint>(Points.begin(), Points.size())); }
  // With the brush; FrameRect draws a one-pixel border with the brush.
  void FillRect(const TRect& R);
  void FrameRect(const TRect& R);
  void DrawFocusRect(const TRect& R);

  // Text with the font; the brush's colour fills behind it unless its style is bsClear.
  void TextOut(int X, int Y, const String& Text);
  // Text at X, Y clipped to R.
  void TextRect(const TRect& R, int X, int Y, const String& Text);
  TPoint TextExtent(const String& Text);  // X the width, Y the height
  int TextWidth(const String& Text) { return TextExtent(Text).X; }
  int TextHeight(const String& Text) { return TextExtent(Text).Y; }

  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const TRect& R, TGraphic* Graphic);
  // Copies Source's SourceRect to DestRect with CopyMode (stretched when the sizes differ).
  void CopyRect(const TRect& DestRect, TCanvas* Source, const TRect& SourceRect);
  // Copies a part of Source with every pixel of colour Color replaced by the brush.
  void BrushCopy(const TRect& DestRect, TBitmap* Source, const TRect& SourceRect, TColor Color);

  TColor GetPixels(int X, int Y);
  void SetPixels(int X, int Y, TColor Color);
  // The part of the context that drawing reaches.
  TRect ClipRect();

  // Serialises drawing from several threads; the context is kept while locked.
  void Lock();
  void Unlock();
  bool TryLock();
  int LockCount() const { return FLockCount; }
  // Deselects pen, brush and font, so they are selected afresh at the next call.
  void Refresh();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  // Descendants that make their own context set it here with SetHandle.
  virtual void CreateHandle() {}
  void RequiredState(TCanvasState State);
  void Changing();
  void Changed();
  TCanvasState State() const { return FState; }
  // The context as it is, with nothing selected into it on the way.
  HDC RawHandle() const { return FHandle; }

 private:
  void DeselectHandles();
  void SelectFont();
  void SelectPen();
  void SelectBrush();
  void ObjectChanged(TCanvasStateFlag Which);

  HDC FHandle = nullptr;
  TCanvasState FState;
  TFont* FFont;
  TPen* FPen;
  TBrush* FBrush;
  TCopyMode FCopyMode = cmSrcCopy;
  HGDIOBJ FOldFont = nullptr;
  HGDIOBJ FOldPen = nullptr;
  HGDIOBJ FOldBrush = nullptr;
  std::recursive_mutex FLock;
  int FLockCount = 0;
};

// The display's pixels per inch (LOGPIXELSY), read once.
int ScreenPixelsPerInch();
