#include "classlib/windows/graphics.h"

#include <vector>

#include "classlib/windows/pictures.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TGraphicsObject, p) {}

HX_PUBLISH(TFont, p) {
  p.Property("Charset", &TFont::GetCharset, &TFont::SetCharset);
  p.Property("Color", &TFont::GetColor, &TFont::SetColor);
  p.Property("Height", &TFont::GetHeight, &TFont::SetHeight);
  p.Property("Name", &TFont::GetName, &TFont::SetName);
  p.Property("Pitch", &TFont::GetPitch, &TFont::SetPitch).Default(fpDefault);
  p.Property("Size", &TFont::GetSize, &TFont::SetSize).Stored(false);
  p.Property("Style", &TFont::GetStyle, &TFont::SetStyle).Default(TFontStyles{});
}

HX_PUBLISH(TPen, p) {
  p.Property("Color", &TPen::GetColor, &TPen::SetColor).Default(clBlack);
  p.Property("Mode", &TPen::GetMode, &TPen::SetMode).Default(pmCopy);
  p.Property("Style", &TPen::GetStyle, &TPen::SetStyle).Default(psSolid);
  p.Property("Width", &TPen::GetWidth, &TPen::SetWidth).Default(1);
}

HX_PUBLISH(TBrush, p) {
  p.Property("Color", &TBrush::GetColor, &TBrush::SetColor).Default(clWhite);
  p.Property("Style", &TBrush::GetStyle, &TBrush::SetStyle).Default(bsSolid);
}

HX_PUBLISH(TCanvas, p) {}

HPALETTE CopyPalette(HPALETTE Palette) {
  if (!Palette) return nullptr;
  WORD count = 0;
  if (!GetObjectW(Palette, sizeof count, &count) || count == 0) return nullptr;
  std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + (count - 1) * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = count;
  GetPaletteEntries(Palette, 0, count, lp->palPalEntry);
  return CreatePalette(lp);
}

COLORREF ColorToRGB(TColor Color) {
  if (Color < 0) return GetSysColor(Color & 0xFF);
  return static_cast<COLORREF>(Color);
}

const TIdentMap& HxIdentMap(TFontCharset) {
  static const TIdentMap map{
      {ANSI_CHARSET, "ANSI_CHARSET"},         {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
      {SYMBOL_CHARSET, "SYMBOL_CHARSET"},     {MAC_CHARSET, "MAC_CHARSET"},
      {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"}, {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
      {JOHAB_CHARSET, "JOHAB_CHARSET"},       {GB2312_CHARSET, "GB2312_CHARSET"},
      {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"}, {GREEK_CHARSET, "GREEK_CHARSET"},
      {TURKISH_CHARSET, "TURKISH_CHARSET"},   {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
      {HEBREW_CHARSET, "HEBREW_CHARSET"},     {ARABIC_CHARSET, "ARABIC_CHARSET"},
      {BALTIC_CHARSET, "BALTIC_CHARSET"},     {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
      {THAI_CHARSET, "THAI_CHARSET"},         {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
      {OEM_CHARSET, "OEM_CHARSET"},
  };
  return map;
}

int ScreenPixelsPerInch() {
  static const int ppi = [] {
    HDC dc = GetDC(nullptr);
    int value = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return value > 0 ? value : 96;
  }();
  return ppi;
}

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

// ---- TFont ----

TFont::TFont()
    : FName("Tahoma"), FCharset(static_cast<TFontCharset>(DEFAULT_CHARSET)), FPixelsPerInch(ScreenPixelsPerInch()) {
  FHeight = -MulDiv(8, FPixelsPerInch, 72);
}

TFont::~TFont() {
  if (FHandle) DeleteObject(FHandle);
}

template <class F>
void TFont::Modify(F&& Change) {
  Change();
  HFONT old = FHandle;
  FHandle = nullptr;
  FCustomHandle = false;
  Changed();  // whoever has the old handle selected lets it go first
  if (old) DeleteObject(old);
}

LOGFONTW TFont::GetLogFont() const {
  LOGFONTW lf{};
  lf.lfHeight = FHeight;
  lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = FStyle.Contains(fsItalic);
  lf.lfUnderline = FStyle.Contains(fsUnderline);
  lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
  lf.lfCharSet = FCharset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = FPitch == fpVariable ? VARIABLE_PITCH : FPitch == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
  std::wstring face = Utf8ToWide(FName).substr(0, LF_FACESIZE - 1);
  face.copy(lf.lfFaceName, face.size());
  return lf;
}

HFONT TFont::GetHandle() {
  if (!FHandle) {
    LOGFONTW lf = GetLogFont();
    FHandle = CreateFontIndirectW(&lf);
  }
  return FHandle;
}

void TFont::SetHandle(HFONT Value) {
  if (Value == FHandle) return;
  LOGFONTW lf;
  if (Value && GetObjectW(Value, sizeof lf, &lf) == sizeof lf) {
    FName = WideToUtf8(lf.lfFaceName);
    FHeight = lf.lfHeight;
    FStyle = {};
    if (lf.lfWeight >= FW_BOLD) FStyle.Include(fsBold);
    if (lf.lfItalic) FStyle.Include(fsItalic);
    if (lf.lfUnderline) FStyle.Include(fsUnderline);
    if (lf.lfStrikeOut) FStyle.Include(fsStrikeOut);
    FCharset = static_cast<TFontCharset>(lf.lfCharSet);
    int pitch = lf.lfPitchAndFamily & 3;
    FPitch = pitch == VARIABLE_PITCH ? fpVariable : pitch == FIXED_PITCH ? fpFixed : fpDefault;
  }
  HFONT old = FHandle;
  FHandle = Value;
  FCustomHandle = Value != nullptr;
  Changed();
  if (old) DeleteObject(old);
}

void TFont::SetLogFont(const LOGFONTW& Value) { SetHandle(CreateFontIndirectW(&Value)); }

void TFont::SetName(const String& Value) {
  if (Value.empty() || Value == FName) return;
  Modify([&] { FName = Value; });
}

int TFont::GetSize() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  Modify([&] { FHeight = Value; });
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;  // not part of the handle
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  Modify([&] { FStyle = Value; });
}

void TFont::SetCharset(TFontCharset Value) {
  if (Value == FCharset) return;
  Modify([&] { FCharset = Value; });
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  Modify([&] { FPitch = Value; });
}

void TFont::Assign(TPersistent* Source) {
  auto* f = dynamic_cast<TFont*>(Source);
  if (!f) return inherited::Assign(Source);
  if (f == this) return;
  // A handle set from outside (a rotated font) goes with the properties.
  HFONT copy = nullptr;
  LOGFONTW lf;
  if (f->FCustomHandle && f->FHandle && GetObjectW(f->FHandle, sizeof lf, &lf) == sizeof lf)
    copy = CreateFontIndirectW(&lf);
  if (!copy && !FCustomHandle && FName == f->FName && FHeight == f->FHeight && FColor == f->FColor &&
      FStyle == f->FStyle && FCharset == f->FCharset && FPitch == f->FPitch)
    return;
  HFONT old = FHandle;
  FName = f->FName;
  FHeight = f->FHeight;
  FColor = f->FColor;
  FStyle = f->FStyle;
  FCharset = f->FCharset;
  FPitch = f->FPitch;
  FHandle = copy;
  FCustomHandle = copy != nullptr;
  Changed();
  if (old) DeleteObject(old);
}

// ---- TPen ----

TPen::~TPen() {
  if (FHandle) DeleteObject(FHandle);
}

template <class F>
void TPen::Modify(F&& Change) {
  Change();
  HPEN old = FHandle;
  FHandle = nullptr;
  Changed();
  if (old) DeleteObject(old);
}

HPEN TPen::GetHandle() {
  if (!FHandle) {
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    FHandle = CreatePen(styles[FStyle], FWidth, ColorToRGB(FColor));
  }
  return FHandle;
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  Modify([&] { FColor = Value; });
}

void TPen::SetWidth(int Value) {
  if (Value < 0 || Value == FWidth) return;
  Modify([&] { FWidth = Value; });
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  Modify([&] { FStyle = Value; });
}

void TPen::SetMode(TPenMode Value) {
  if (Value == FMode) return;
  FMode = Value;
  Changed();
}

void TPen::Assign(TPersistent* Source) {
  auto* pen = dynamic_cast<TPen*>(Source);
  if (!pen) return inherited::Assign(Source);
  if (pen == this) return;
  Modify([&] {
    FColor = pen->FColor;
    FWidth = pen->FWidth;
    FStyle = pen->FStyle;
    FMode = pen->FMode;
  });
}

// ---- TBrush ----

TBrush::~TBrush() {
  if (FHandle) DeleteObject(FHandle);
}

template <class F>
void TBrush::Modify(F&& Change) {
  Change();
  HBRUSH old = FHandle;
  FHandle = nullptr;
  Changed();
  if (old) DeleteObject(old);
}

HBRUSH TBrush::GetHandle() {
  if (!FHandle) {
    if (FBitmap && !FBitmap->Empty()) {
      FHandle = CreatePatternBrush(FBitmap->GetHandle());
    } else {
      static const int hatches[] = {0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
      LOGBRUSH lb{};
      lb.lbColor = ColorToRGB(FColor);
      lb.lbStyle = FStyle == bsSolid ? BS_SOLID : FStyle == bsClear ? BS_HOLLOW : BS_HATCHED;
      lb.lbHatch = static_cast<ULONG_PTR>(hatches[FStyle]);
      FHandle = CreateBrushIndirect(&lb);
    }
  }
  return FHandle;
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor && FStyle != bsClear) return;
  Modify([&] {
    FColor = Value;
    if (FStyle == bsClear) FStyle = bsSolid;
  });
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  Modify([&] { FStyle = Value; });
}

void TBrush::SetBitmap(TBitmap* Value) {
  if (Value == FBitmap) return;
  Modify([&] { FBitmap = Value; });
}

void TBrush::Assign(TPersistent* Source) {
  auto* brush = dynamic_cast<TBrush*>(Source);
  if (!brush) return inherited::Assign(Source);
  if (brush == this) return;
  Modify([&] {
    FColor = brush->FColor;
    FStyle = brush->FStyle;
    FBitmap = brush->FBitmap;
  });
}

// ---- TCanvas ----

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush) {
  FFont->OnChange = [this](TObject*) { ObjectChanged(csFontValid); };
  FPen->OnChange = [this](TObject*) { ObjectChanged(csPenValid); };
  FBrush->OnChange = [this](TObject*) { ObjectChanged(csBrushValid); };
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  delete FFont;
  delete FPen;
  delete FBrush;
}

HDC TCanvas::GetHandle() {
  Changing();
  RequiredState({csHandleValid, csFontValid, csPenValid, csBrushValid});
  return FHandle;
}

HDC TCanvas::HandleWithoutFont() {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  if (!FState.Contains(csFontValid)) SetTextColor(FHandle, ColorToRGB(FFont->GetColor()) & 0xFFFFFF);
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (Value == FHandle) return;
  if (FHandle) DeselectHandles();
  FHandle = Value;
  FState = Value ? TCanvasState{csHandleValid} : TCanvasState{};
}

void TCanvas::RequiredState(TCanvasState Required) {
  TCanvasState needed = Required - FState;
  if (needed.Empty()) return;
  if (needed.Contains(csHandleValid)) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
  }
  if (needed.Contains(csFontValid)) SelectFont();
  if (needed.Contains(csPenValid)) SelectPen();
  if (needed.Contains(csBrushValid)) SelectBrush();
}

void TCanvas::SelectFont() {
  HGDIOBJ old = SelectObject(FHandle, FFont->GetHandle());
  if (!FOldFont) FOldFont = old;
  SetTextColor(FHandle, ColorToRGB(FFont->GetColor()) & 0xFFFFFF);
  FState.Include(csFontValid);
}

void TCanvas::SelectPen() {
  static const int modes[] = {R2_BLACK,      R2_WHITE,      R2_NOP,        R2_NOT,     R2_COPYPEN,    R2_NOTCOPYPEN,
                              R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN,
                              R2_MASKPEN,    R2_NOTMASKPEN, R2_XORPEN,     R2_NOTXORPEN};
  HGDIOBJ old = SelectObject(FHandle, FPen->GetHandle());
  if (!FOldPen) FOldPen = old;
  SetROP2(FHandle, modes[FPen->GetMode()]);
  FState.Include(csPenValid);
}

void TCanvas::SelectBrush() {
  HBRUSH brush = FBrush->GetHandle();
  UnrealizeObject(brush);
  HGDIOBJ old = SelectObject(FHandle, brush);
  if (!FOldBrush) FOldBrush = old;
  COLORREF color = ColorToRGB(FBrush->GetColor()) & 0xFFFFFF;
  if (FBrush->GetStyle() == bsSolid) {
    SetBkColor(FHandle, color);
    SetBkMode(FHandle, OPAQUE);
  } else {
    SetBkColor(FHandle, ~color & 0xFFFFFF);
    SetBkMode(FHandle, TRANSPARENT);
  }
  FState.Include(csBrushValid);
}

void TCanvas::DeselectHandles() {
  if (!FHandle) return;
  if (FOldFont) SelectObject(FHandle, FOldFont);
  if (FOldPen) SelectObject(FHandle, FOldPen);
  if (FOldBrush) SelectObject(FHandle, FOldBrush);
  FOldFont = FOldPen = FOldBrush = nullptr;
  FState.Exclude(csFontValid).Exclude(csPenValid).Exclude(csBrushValid);
}

void TCanvas::ObjectChanged(TCanvasStateFlag Which) {
  // The object is about to delete its handle: put the context's own object back first.
  if (FHandle && FState.Contains(Which)) {
    HGDIOBJ& old = Which == csFontValid ? FOldFont : Which == csPenValid ? FOldPen : FOldBrush;
    if (old) SelectObject(FHandle, old);
    old = nullptr;
    FState.Exclude(Which);
  }
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TPoint TCanvas::GetPenPos() {
  RequiredState({csHandleValid});
  POINT p{};
  GetCurrentPositionEx(FHandle, &p);
  return {p.x, p.y};
}

void TCanvas::MoveTo(int X, int Y) {
  RequiredState({csHandleValid});
  MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(FHandle, X, Y);
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Arc(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Pie(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Chord(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

namespace {
std::vector<POINT> ToPoints(std::span<const TPoint> Points) {
  std::vector<POINT> points;
  points.reserve(Points.size());
  for (const TPoint& p : Points) points.push_back({p.X, p.Y});
  return points;
}
RECT ToRECT(const TRect& R) { return {R.Left, R.Top, R.Right, R.Bottom}; }
}  // namespace

void TCanvas::Polygon(std::span<const TPoint> Points) {
  if (Points.empty()) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  std::vector<POINT> points = ToPoints(Points);
  ::Polygon(FHandle, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Polyline(std::span<const TPoint> Points) {
  if (Points.empty()) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  std::vector<POINT> points = ToPoints(Points);
  ::Polyline(FHandle, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::FillRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  RECT r = ToRECT(R);
  ::FillRect(FHandle, &r, FBrush->GetHandle());
  Changed();
}

void TCanvas::FrameRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  RECT r = ToRECT(R);
  ::FrameRect(FHandle, &r, FBrush->GetHandle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  RECT r = ToRECT(R);
  ::DrawFocusRect(FHandle, &r);
  Changed();
}

void TCanvas::TextOut(int X, int Y, const String& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  std::wstring text = Utf8ToWide(Text);
  ExtTextOutW(FHandle, X, Y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  SIZE size{};
  GetTextExtentPoint32W(FHandle, text.c_str(), static_cast<int>(text.size()), &size);
  MoveToEx(FHandle, X + size.cx, Y, nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const String& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  std::wstring text = Utf8ToWide(Text);
  UINT options = ETO_CLIPPED;
  if (FBrush->GetStyle() != bsClear) options |= ETO_OPAQUE;
  RECT r = ToRECT(R);
  ExtTextOutW(FHandle, X, Y, options, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  Changed();
}

TPoint TCanvas::TextExtent(const String& Text) {
  RequiredState({csHandleValid, csFontValid});
  std::wstring text = Utf8ToWide(Text);
  SIZE size{};
  GetTextExtentPoint32W(FHandle, text.c_str(), static_cast<int>(text.size()), &size);
  return {size.cx, size.cy};
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  StretchDraw(Bounds(X, Y, Graphic->GetWidth(), Graphic->GetHeight()), Graphic);
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  Graphic->Draw(this, R);
  Changed();
}

void TCanvas::CopyRect(const TRect& DestRect, TCanvas* Source, const TRect& SourceRect) {
  HandleWithoutFont();
  Source->RequiredState({csHandleValid, csBrushValid});
  StretchBlt(FHandle, DestRect.Left, DestRect.Top, DestRect.Width(), DestRect.Height(), Source->FHandle,
             SourceRect.Left, SourceRect.Top, SourceRect.Width(), SourceRect.Height(), FCopyMode);
  Changed();
}

void TCanvas::BrushCopy(const TRect& DestRect, TBitmap* Source, const TRect& SourceRect, TColor Color) {
  if (!Source || Source->Empty()) return;
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  const int w = SourceRect.Width(), h = SourceRect.Height();
  const int dw = DestRect.Width(), dh = DestRect.Height();
  HDC source = Source->Canvas()->GetHandle();
  // A mask with the pixels of Color set ...
  HDC maskDC = CreateCompatibleDC(nullptr);
  HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
  HGDIOBJ oldMask = SelectObject(maskDC, mask);
  COLORREF oldBk = SetBkColor(source, ColorToRGB(Color) & 0xFFFFFF);
  BitBlt(maskDC, 0, 0, w, h, source, SourceRect.Left, SourceRect.Top, SRCCOPY);
  SetBkColor(source, oldBk);
  // ... the picture as it is, then the brush where the mask is set.
  StretchBlt(FHandle, DestRect.Left, DestRect.Top, dw, dh, source, SourceRect.Left, SourceRect.Top, w, h, SRCCOPY);
  COLORREF oldText = SetTextColor(FHandle, RGB(0, 0, 0));
  COLORREF oldBack = SetBkColor(FHandle, RGB(255, 255, 255));
  constexpr DWORD DSPDxax = 0x00E20746;  // brush where the source is white, else unchanged
  StretchBlt(FHandle, DestRect.Left, DestRect.Top, dw, dh, maskDC, 0, 0, w, h, DSPDxax);
  SetTextColor(FHandle, oldText);
  SetBkColor(FHandle, oldBack);
  SelectObject(maskDC, oldMask);
  DeleteObject(mask);
  DeleteDC(maskDC);
  Changed();
}

TColor TCanvas::GetPixels(int X, int Y) {
  RequiredState({csHandleValid});
  COLORREF c = GetPixel(FHandle, X, Y);
  return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixels(int X, int Y, TColor Color) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  SetPixel(FHandle, X, Y, ColorToRGB(Color) & 0xFFFFFF);
  Changed();
}

TRect TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  RECT r{};
  GetClipBox(FHandle, &r);
  return {r.left, r.top, r.right, r.bottom};
}

void TCanvas::Lock() {
  FLock.lock();
  ++FLockCount;
}

void TCanvas::Unlock() {
  --FLockCount;
  FLock.unlock();
}

bool TCanvas::TryLock() {
  if (!FLock.try_lock()) return false;
  ++FLockCount;
  return true;
}
