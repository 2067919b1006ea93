#include "controls/kitdraw.h"

#include "classlib/core/unicode.h"
#include "controls/kitapp.h"
#include "controls/kitgraphics.h"
#include "controls/kitutils.h"

// ---- The context kept as found ----

TKitDCState::TKitDCState(HDC DC) : FDC(DC), FSaved(SaveDC(DC)) {}

TKitDCState::~TKitDCState() {
  RestoreDC(FDC, FSaved);
  for (HGDIOBJ object : FOwned) DeleteObject(object);
}

void TKitDCState::Clip(const TRect& R) { IntersectClipRect(FDC, R.Left, R.Top, R.Right, R.Bottom); }

namespace {

RECT ToRECT(const TRect& R) { return {R.Left, R.Top, R.Right, R.Bottom}; }

// Solid fills through the context's own DC brush: no object is made.
void FillColor(HDC DC, const TRect& R, COLORREF Color) {
  RECT r = ToRECT(R);
  SetDCBrushColor(DC, Color);
  FillRect(DC, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void FrameColor(HDC DC, const TRect& R, COLORREF Color) {
  RECT r = ToRECT(R);
  SetDCBrushColor(DC, Color);
  FrameRect(DC, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

COLORREF Rgb(TColor Color) { return ColorToRGB(Color) & 0xFFFFFF; }

// Whether the palette flag counts: not on displays below 9 bits while the application
// object says so.
bool UsePalette(TKitDrawFlags Flags) {
  if (!(Flags & kdfPalette)) return false;
  return !(GetColorDepth() < 9 && (KitApplication()->Options & 1));
}

// A memory context with a bitmap selected for as long as it lives.
class TMemoryDC {
 public:
  explicit TMemoryDC(HBITMAP Bitmap) : FDC(CreateCompatibleDC(nullptr)), FOld(SelectObject(FDC, Bitmap)) {}
  ~TMemoryDC() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC DC() const { return FDC; }

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

// A monochrome bitmap of W × H from Source: 1 (white) where the pixel is Transparent.
HBITMAP MakeMaskBitmap(HDC Source, int X, int Y, int W, int H, COLORREF Transparent) {
  HBITMAP mask = CreateBitmap(W, H, 1, 1, nullptr);
  TMemoryDC m(mask);
  COLORREF old = SetBkColor(Source, Transparent);
  BitBlt(m.DC(), 0, 0, W, H, Source, X, Y, SRCCOPY);
  SetBkColor(Source, old);
  return mask;
}

void Blit(HDC Dest, const TRect& To, HDC Source, int W, int H, DWORD Rop) {
  if (To.Width() == W && To.Height() == H) {
    BitBlt(Dest, To.Left, To.Top, W, H, Source, 0, 0, Rop);
  } else {
    SetStretchBltMode(Dest, COLORONCOLOR);
    StretchBlt(Dest, To.Left, To.Top, To.Width(), To.Height(), Source, 0, 0, W, H, Rop);
  }
}

}  // namespace

// ---- Frames ----

bool DrawBevelStyle(TCanvas* Canvas, TRect& Rect, TKitBevelStyle Style, int Width, TColor ShadowColor,
                    TColor LightColor) {
  using B = TKitBevelStyle;
  if (Width <= 0 || Style == B::bvNone || Style == B::bvShadow) return false;
  COLORREF a, b;  // bottom-right and top-left
  switch (Style) {
    case B::bvLowered:
    case B::bvFrameLowered: a = Rgb(LightColor), b = Rgb(ShadowColor); break;
    case B::bvRaised:
    case B::bvFrameRaised: a = Rgb(ShadowColor), b = Rgb(LightColor); break;
    default: a = b = 0; break;
  }
  TKitDCState state(Canvas->GetHandle());
  HDC dc = state.DC();
  const int L = Rect.Left, T = Rect.Top, R = Rect.Right, Bm = Rect.Bottom;
  if (Style == B::bvFrameLowered || Style == B::bvFrameRaised) {
    for (int i = 0; i < Width; ++i) {
      FrameColor(dc, {L + i + 1, T + i + 1, R, Bm}, a);
      FrameColor(dc, {L, T, R - i - 1, Bm - i - 1}, b);
    }
    Rect = {L + Width + 1, T + Width + 1, R - Width - 1, Bm - Width - 1};
    return true;
  }
  // Ring by ring: the top-left lines in b, the bottom-right ones in a, meeting on the
  // diagonals; the outermost right column and bottom row are the band's own.
  for (int i = 0; i < Width; ++i) {
    FillColor(dc, {L + i, T + i, L + i + 1, Bm - i - 1}, b);
    FillColor(dc, {L + i, T + i, R - i - 1, T + i + 1}, b);
    FillColor(dc, {R - i - 1, T + i, R - i, Bm - i}, a);
    FillColor(dc, {L + i, Bm - i - 1, R - i, Bm - i}, a);
  }
  Rect = InflateRect(Rect, -Width, -Width);
  return true;
}

void DrawShadowFrame(TCanvas* Canvas, TRect& Rect, TColor LightColor, bool Transparent, int WidthInner,
                     int WidthOuter, TColor BorderColor, TColor ShadowColor) {
  TKitDCState state(Canvas->GetHandle());
  HDC dc = state.DC();
  const int L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom, w = WidthOuter;
  FillColor(dc, {R - w, T + w, R, B}, Rgb(ShadowColor));
  FillColor(dc, {L + w, B - w, R, B}, Rgb(ShadowColor));
  if (!Transparent) {
    FillColor(dc, {R - w, T, R, T + w}, Rgb(BorderColor));
    FillColor(dc, {L, B - w, L + w, B}, Rgb(BorderColor));
  }
  Rect = {L, T, R - w, B - w};
  for (int i = 0; i < WidthInner; ++i) {
    FrameColor(dc, Rect, Rgb(LightColor));
    Rect = InflateRect(Rect, -1, -1);
  }
}

void DrawFrameRing(TCanvas* Canvas, TRect& Rect, int Width, TColor Color, bool Transparent) {
  if (Width <= 0) return;
  if (Transparent) {
    Rect = InflateRect(Rect, -Width, -Width);
    return;
  }
  TKitDCState state(Canvas->GetHandle());
  for (int i = 0; i < Width; ++i) {
    FrameColor(state.DC(), Rect, Rgb(Color));
    Rect = InflateRect(Rect, -1, -1);
  }
}

void DrawStandardBorder(TCanvas* Canvas, TRect& Rect, TKitBorderStyle Style, unsigned ExtraFlags) {
  using S = TKitBorderStyle;
  if (Style == S::lsNone) return;
  TKitDCState state(Canvas->GetHandle());
  HDC dc = state.DC();
  RECT r = ToRECT(Rect);
  const UINT X = ExtraFlags, ADJ = BF_ADJUST, SOFT = BF_SOFT;
  auto edge = [&](UINT Edge, UINT Flags) { DrawEdge(dc, &r, Edge, Flags); };
  switch (Style) {
    case S::lsSingle:
      edge(BDR_SUNKENOUTER, BF_TOPLEFT | SOFT | ADJ | X);
      edge(BDR_RAISEDOUTER, BF_BOTTOMRIGHT);
      break;
    case S::lsLowered: edge(EDGE_SUNKEN, BF_RECT | SOFT | ADJ | X); break;
    case S::lsRaised: edge(EDGE_RAISED, BF_RECT | SOFT | ADJ | X); break;
    case S::lsRaisedspb:
    case S::lsRaisedExt:
      edge(BDR_RAISEDOUTER, BF_RECT | SOFT | ADJ | X);
      edge(BDR_RAISEDINNER, BF_BOTTOMRIGHT | ADJ);
      if (Style == S::lsRaisedExt) ++r.left, ++r.top;
      break;
    case S::lsLoweredspb:
      edge(BDR_SUNKENOUTER, BF_RECT | ADJ | X);
      edge(BDR_SUNKENINNER, BF_TOPLEFT | ADJ | X);
      break;
    case S::lsLoweredExt:
      edge(BDR_SUNKENOUTER, BF_RECT | ADJ | X);
      edge(BDR_SUNKENINNER, BF_TOPLEFT | ADJ);
      --r.right, --r.bottom;
      break;
    case S::lsFrameInset: edge(EDGE_ETCHED, BF_RECT | ADJ | X); break;
    case S::lsFrameOffset:
      edge(BDR_RAISEDINNER, BF_RECT | ADJ | X);
      edge(BDR_SUNKENOUTER, BF_RECT | ADJ | X);
      break;
    case S::lsWindowBorder:
      edge(BDR_RAISEDOUTER, BF_BOTTOMRIGHT | ADJ | X);
      ++r.left, ++r.top;
      edge(BDR_RAISEDINNER, BF_RECT | ADJ | X);
      break;
    case S::lsSingleRaised: edge(BDR_RAISEDINNER, BF_RECT | ADJ | X); break;
    case S::lsSingleLowered: edge(BDR_SUNKENOUTER, BF_RECT | ADJ | X); break;
    case S::lsDoubleRaised:
      edge(BDR_RAISEDINNER, BF_RECT | ADJ | X);
      edge(BDR_RAISEDINNER, BF_RECT | ADJ | X);
      break;
    case S::lsDoubleLowered:
      edge(BDR_SUNKENOUTER, BF_RECT | ADJ | X);
      edge(BDR_SUNKENOUTER, BF_RECT | ADJ | X);
      break;
    default: break;
  }
  Rect = {r.left, r.top, r.right, r.bottom};
}

// ---- Pictures ----

void PrepareBitmap(TBitmap* Bitmap, const TRect& Rect, TColor Color) {
  Bitmap->SetSize(Rect.Width(), Rect.Height());
  if (Bitmap->Empty()) return;
  HDC dc = Bitmap->Canvas()->GetHandle();
  TKitDCState state(dc);
  FillColor(dc, Bounds(0, 0, Bitmap->GetWidth(), Bitmap->GetHeight()), Rgb(Color));
}

void MakeTransparentParts(TCanvas* Canvas, const TRect& Rect, TBitmap* Mask, TColor TransparentColor, TBitmap* Image) {
  int w = Rect.Width(), h = Rect.Height();
  Image->SetSize(w, h);
  Mask->SetHandle(nullptr);
  if (w <= 0 || h <= 0) return;
  HDC source = Canvas->GetHandle();
  HDC image = Image->Canvas()->GetHandle();
  BitBlt(image, 0, 0, w, h, source, Rect.Left, Rect.Top, SRCCOPY);
  HBITMAP mask = MakeMaskBitmap(source, Rect.Left, Rect.Top, w, h, Rgb(TransparentColor));
  {
    TMemoryDC m(mask);
    TKitDCState state(image);
    SetBkColor(image, RGB(0, 0, 0));  // transparent (1) pixels become black
    SetTextColor(image, RGB(255, 255, 255));
    BitBlt(image, 0, 0, w, h, m.DC(), 0, 0, SRCAND);
  }
  Image->FreeContext();
  Mask->SetHandle(mask);
}

void DrawBitmapFlags(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap, TPoint, TColor TransparentColor,
                     TKitDrawFlags Flags) {
  if (!Bitmap || Bitmap->Empty()) return;
  TKitDCState state(Canvas->GetHandle());
  if (Flags & kdfClip) state.Clip(Rect);
  DrawBitmapCore(Canvas, Rect, Bitmap, nullptr, TransparentColor, Flags);
}

void DrawBitmapCore(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap, TBitmap* Mask, TColor TransparentColor,
                    TKitDrawFlags Flags) {
  if (!Bitmap || Bitmap->Empty()) return;
  const int w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
  std::vector<TRect> places = BitmapPlacements(Rect, w, h, Flags);
  if (places.empty()) return;
  TKitDCState state(Canvas->GetHandle());
  HDC dc = state.DC();
  if (Flags & (kdfTile | kdfCenter)) state.Clip(Rect);
  if (UsePalette(Flags)) {
    if (HPALETTE palette = Bitmap->GetPalette()) {
      SelectPalette(dc, palette, FALSE);
      RealizePalette(dc);
    }
  }
  if (Flags & kdfSelfDraw) {
    for (const TRect& place : places) Canvas->StretchDraw(place, Bitmap);
    return;
  }
  HDC source = Bitmap->Canvas()->GetHandle();
  bool byColor = Flags & kdfTransparent, byMask = (Flags & kdfMask) && Mask && !Mask->Empty();
  if (!byColor && !byMask) {
    for (const TRect& place : places) Blit(dc, place, source, w, h, SRCCOPY);
    return;
  }
  // A monochrome mask (1 = transparent) and the picture with those pixels black.
  HBITMAP mask;
  if (byColor) {
    mask = MakeMaskBitmap(source, 0, 0, w, h, Rgb(TransparentColor));
  } else {
    mask = MakeMaskBitmap(Mask->Canvas()->GetHandle(), 0, 0, w, h, RGB(255, 255, 255));
    Mask->FreeContext();
  }
  state.Own(mask);
  TBitmap image;
  image.SetSize(w, h);
  HDC imageDC = image.Canvas()->GetHandle();
  TMemoryDC m(mask);
  BitBlt(imageDC, 0, 0, w, h, source, 0, 0, SRCCOPY);
  SetBkColor(imageDC, RGB(0, 0, 0));
  SetTextColor(imageDC, RGB(255, 255, 255));
  BitBlt(imageDC, 0, 0, w, h, m.DC(), 0, 0, SRCAND);
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  for (const TRect& place : places) {
    Blit(dc, place, m.DC(), w, h, SRCAND);
    Blit(dc, place, imageDC, w, h, SRCPAINT);
  }
}

void DrawMaskedBitmap(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap, TColor Color1, TColor Color2,
                      TBitmap* Work) {
  if (!Bitmap || Bitmap->Empty() || !Work) return;
  Work->SetSize(Bitmap->GetWidth(), Bitmap->GetHeight());
  DrawBitmapCore(Work->Canvas(), Bounds(0, 0, Work->GetWidth(), Work->GetHeight()), Bitmap, nullptr, Color2,
                 kdfTransparent);
  DrawBitmapCore(Canvas, Rect, Work, nullptr, Color1, kdfTransparent | kdfPalette);
}

// ---- Gradients ----

void CalcGradientColors(TColor Color, TColor EndColor, int Count, std::vector<std::uint32_t>& List) {
  List = GradientRamp(Rgb(Color), Rgb(EndColor), Count);
}

HPALETTE CreateGradientPalette(const std::vector<std::uint32_t>& List) {
  if (List.empty()) return nullptr;
  std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + List.size() * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(List.size());
  for (std::size_t i = 0; i < List.size(); ++i)
    palette->palPalEntry[i] = {GetRValue(List[i]), GetGValue(List[i]), GetBValue(List[i]), PC_NOCOLLAPSE};
  return CreatePalette(palette);
}

namespace {

void DrawBands(HDC DC, TPoint At, const std::vector<TKitGradientBand>& Bands,
               const std::vector<std::uint32_t>& List, HPALETTE Palette) {
  if (Palette) {
    SelectPalette(DC, Palette, FALSE);
    RealizePalette(DC);
  }
  SelectObject(DC, GetStockObject(NULL_PEN));
  SelectObject(DC, GetStockObject(DC_BRUSH));
  for (const TKitGradientBand& band : Bands) {
    COLORREF color = List[band.ColorIndex];
    if (Palette) color |= 0x02000000;  // palette-relative
    TRect r = OffsetRect(band.Rect, At.X, At.Y);
    SetDCBrushColor(DC, color);
    if (band.Ellipse) {
      Ellipse(DC, r.Left, r.Top, r.Right, r.Bottom);
    } else {
      RECT rr = ToRECT(r);
      FillRect(DC, &rr, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
  }
}

}  // namespace

void GradientFill(TCanvas* Canvas, const TRect& Rect, TKitGradientStyle Style, TPoint, TKitDrawFlags Flags,
                  HPALETTE Palette, const std::vector<std::uint32_t>& List) {
  std::vector<TKitGradientBand> bands = GradientBands(Style, Rect.Width(), Rect.Height(), static_cast<int>(List.size()));
  if (bands.empty()) return;
  HPALETTE palette = UsePalette(Flags) ? Palette : nullptr;
  TKitDCState state(Canvas->GetHandle());
  // Square and elliptic bands reach past the rectangle by design: they are always cut.
  if ((Flags & kdfClip) || Style == TKitGradientStyle::gstSquare || Style == TKitGradientStyle::gstElliptic)
    state.Clip(Rect);
  if (!(Flags & kdfGrUseBitmap)) {
    DrawBands(state.DC(), Rect.TopLeft(), bands, List, palette);
    return;
  }
  TBitmap off;
  off.SetSize(Rect.Width(), Rect.Height());
  HDC offDC = off.Canvas()->GetHandle();
  {
    TKitDCState offState(offDC);
    DrawBands(offDC, {0, 0}, bands, List, palette);
  }
  if (palette) {
    SelectPalette(state.DC(), palette, FALSE);
    RealizePalette(state.DC());
  }
  BitBlt(state.DC(), Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), offDC, 0, 0, SRCCOPY);
}

// ---- Captions ----

void Draw3DText(TCanvas* Canvas, const String& Text, TKit3DCaption* Caption, const TRect& ClipRect, unsigned Flags,
                unsigned DrawTextFlags, const TRect& Rect) {
  std::wstring text = Utf8ToWide(Text);
  HDC dc = Canvas->GetHandle();
  if (!Caption) {
    RECT r = ToRECT(Rect);
    DrawTextExW(dc, text.data(), static_cast<int>(text.size()), &r, DrawTextFlags, nullptr);
    return;
  }
  TKitDCState state(dc);
  auto* fx = dynamic_cast<TKitFxCaption*>(Caption);
  bool rotated = fx && fx->GetAngle() != 0;
  TRect r = Rect;
  if (fx) r.Left += fx->GetPosX(), r.Top += fx->GetPosY();
  if (Flags & k3dClip) state.Clip(ClipRect.IsEmpty() ? Rect : ClipRect);

  TKitThreeDStyle style = Caption->GetStyle();
  TColor textColor;
  if (!(Flags & k3dEnabled) && Caption->GetDisabledStyle() != TKitDisabledStyle::dsNone) {
    textColor = clGrayText;
    if (Caption->GetDisabledStyle() == TKitDisabledStyle::ds3d ||
        (Caption->GetDisabledStyle() == TKitDisabledStyle::dsAuto && (Flags & k3dDisabled3D)))
      style = TKitThreeDStyle::tdSunken;
  } else if (style == TKitThreeDStyle::tdPColorSunken || style == TKitThreeDStyle::tdPColorRaised) {
    textColor = Canvas->GetBrush()->GetColor();
  } else {
    textColor = Canvas->GetFont()->GetColor();
  }
  if (rotated) {
    LOGFONTW font = Canvas->GetFont()->GetLogFont();
    font.lfEscapement = font.lfOrientation = fx->GetAngle() * 10;
    SelectObject(dc, state.Own(CreateFontIndirectW(&font)));
  }
  if (Caption->GetTracing() != 0) SetTextCharacterExtra(dc, Caption->GetTracing());
  SetBkMode(dc, TRANSPARENT);

  const int light = Caption->GetLightDepth(), shadow = Caption->GetShadowDepth();
  r.Bottom -= Text3DDepth(style, light, shadow);
  for (const TKit3DPass& pass : Text3DPasses(style, light, shadow)) {
    r = OffsetRect(r, pass.Offset, pass.Offset);
    TColor color = pass.Color == TKit3DPassColor::Light    ? Caption->GetLightColor()
                   : pass.Color == TKit3DPassColor::Shadow ? Caption->GetShadowColor()
                                                           : textColor;
    SetTextColor(dc, Rgb(color));
    if (rotated) {
      ExtTextOutW(dc, r.Left, r.Top, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
    } else {
      RECT rr = ToRECT(r);
      DrawTextExW(dc, text.data(), static_cast<int>(text.size()), &rr, DrawTextFlags, nullptr);
    }
  }
}

void CalcTextRect(TCanvas* Canvas, const String& Text, TKit3DCaption* Caption, int Margin, bool WordWrap,
                  bool ShowAccelChar, unsigned DrawTextFlags, TRect& Rect) {
  auto* fx = dynamic_cast<TKitFxCaption*>(Caption);
  if (fx && fx->GetAngle() == 0) fx->SetPos(0, 0);
  TKitThreeDStyle style = Caption ? Caption->GetStyle() : TKitThreeDStyle::tdNone;
  const int light = Caption ? Caption->GetLightDepth() : 0, shadow = Caption ? Caption->GetShadowDepth() : 0;
  const int depth = Text3DDepth(style, light, shadow);
  TKitDCState state(Canvas->GetHandle());
  HDC dc = state.DC();
  if (Caption && Caption->GetTracing() != 0) SetTextCharacterExtra(dc, Caption->GetTracing());
  String measured = Text.empty() || (ShowAccelChar && Text == "&") ? String(" ") : Text;
  std::wstring text = Utf8ToWide(measured);
  if (fx && fx->GetAngle() != 0) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    TRect box = Bounds(0, 0, size.cx + depth, size.cy + depth);
    RotatedBounds(box, fx->GetAngle());
    TPoint pos = RotatedTextPos(size.cx, size.cy, box, fx->GetAngle(), style, light, shadow);
    fx->SetPos(pos.X, pos.Y);
    Rect = Bounds(Rect.Left, Rect.Top, box.Width(), box.Height());
  } else {
    UINT flags = DrawTextFlags | DT_CALCRECT | DT_EXPANDTABS;
    if (WordWrap) flags |= DT_WORDBREAK;
    if (!ShowAccelChar) flags |= DT_NOPREFIX;
    RECT r = ToRECT(Rect);
    DrawTextExW(dc, text.data(), static_cast<int>(text.size()), &r, flags, nullptr);
    Rect = {r.left, r.top, r.right + depth, r.bottom + depth};
  }
  Rect.Right += (Margin + 1) * 2;
  Rect.Bottom += (Margin + 1) * 2;
}

void MeasureText(TFont* Font, const String& Text, TKit3DCaption* Caption, int Margin, bool WordWrap,
                 bool ShowAccelChar, unsigned DrawTextFlags, TRect& Rect) {
  HDC dc = CreateCompatibleDC(nullptr);
  {
    TCanvas canvas;
    canvas.SetHandle(dc);
    if (Font) canvas.SetFont(Font);
    CalcTextRect(&canvas, Text, Caption, Margin, WordWrap, ShowAccelChar, DrawTextFlags, Rect);
    canvas.SetHandle(nullptr);
  }
  DeleteDC(dc);
}

void CalcAlignedTextRect(TFont* Font, const String& Text, TKit3DCaption* Caption, int Margin, bool WordWrap,
                         bool ShowAccelChar, unsigned DrawTextFlags, TKitAlignment Alignment, const TRect& Target,
                         TRect& Rect) {
  MeasureText(Font, Text, Caption, Margin, WordWrap, ShowAccelChar, DrawTextFlags, Rect);
  TRect placed;
  PlaceRect(Alignment, Rect, Target, placed);
  Rect = placed;
}

bool IsTrueTypeFont(TCanvas* Canvas) {
  TEXTMETRICW metrics{};
  return GetTextMetricsW(Canvas->GetHandle(), &metrics) && (metrics.tmPitchAndFamily & TMPF_TRUETYPE);
}
