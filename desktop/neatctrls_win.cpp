#include "desktop/neatctrls.h"

#include <algorithm>
#include <cmath>

#include "classlib/core/exceptions.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

using classlib::detail::TButtonGlyph;

HX_PUBLISH(TNeatBtn, p) {
  p.Property("Animated", &TNeatBtn::GetAnimated, &TNeatBtn::SetAnimated).Default(false);
  p.Property("Interval", &TNeatBtn::GetInterval, &TNeatBtn::SetInterval).Default(1000u);
  p.Property("Images", &TNeatBtn::GetImages, &TNeatBtn::SetImages);
  p.Property("Glyph", &TNeatBtn::GetGlyph, &TNeatBtn::SetGlyph);
  p.Property("NumGlyphs", &TNeatBtn::GetNumGlyphs, &TNeatBtn::SetNumGlyphs).Default(1);
  p.Property("Layout", &TNeatBtn::GetLayout, &TNeatBtn::SetLayout).Default(blGlyphLeft);
  p.Property("Margin", &TNeatBtn::GetMargin, &TNeatBtn::SetMargin).Default(-1);
  p.Property("Spacing", &TNeatBtn::GetSpacing, &TNeatBtn::SetSpacing).Default(4);
  p.Property("Wallpaper", &TNeatBtn::GetWallpaper, &TNeatBtn::SetWallpaper).Stored(&TNeatBtn::IsWallpaperStored);
  p.Property("NeatImages", &TNeatBtn::GetNeatImages, &TNeatBtn::SetNeatImages);
  p.Property("idWallpaper", &TNeatBtn::GetIdWallpaper, &TNeatBtn::SetIdWallpaper).Default(-1);
  p.Property("Options", &TNeatBtn::GetOptions, &TNeatBtn::SetOptions).Default(TNeatOptions{});
  p.Property("ShadowColor", &TNeatBtn::GetShadowColor, &TNeatBtn::SetShadowColor).Default(clBtnHighlight);
  p.Property("ShadowSize", &TNeatBtn::GetShadowSize, &TNeatBtn::SetShadowSize).Default(1);
  p.Property("ShadowPos", &TNeatBtn::GetShadowPos, &TNeatBtn::SetShadowPos).Default(spLeftTop);
  p.Property("SimpleView", &TNeatBtn::GetSimpleView, &TNeatBtn::SetSimpleView).Default(false);
  p.Property("ColorStart", &TNeatBtn::GetColorStart, &TNeatBtn::SetColorStart).Default(clBtnFace);
  p.Property("ColorEnd", &TNeatBtn::GetColorEnd, &TNeatBtn::SetColorEnd).Default(clBtnShadow);
  p.Property("GradientDirection", &TNeatBtn::GetGradientDirection, &TNeatBtn::SetGradientDirection)
      .Default(gdHorizontal);
  p.Property("Color", &TNeatBtn::GetColor, &TNeatBtn::SetColor).Default(clBtnFace);
  p.Property("Flat", &TNeatBtn::GetFlat, &TNeatBtn::SetFlat).Default(false);
  p.Property("BtnPaintOptions", &TNeatBtn::GetBtnPaintOptions, &TNeatBtn::SetBtnPaintOptions)
      .Default(TBtnPaintOptions{bpoDrawFocus, bpoDrawDefault});
  p.Event("OnDrawButton", &TNeatBtn::OnDrawButton);
  p.Event("OnMouseEnter", &TNeatBtn::OnMouseEnter);
  p.Event("OnMouseLeave", &TNeatBtn::OnMouseLeave);
}

HX_PUBLISH(TNeatTrackBar, p) {
  p.Property("Orientation", &TNeatTrackBar::GetOrientation, &TNeatTrackBar::SetOrientation).Default(toHorizontal);
  p.Property("MinValue", &TNeatTrackBar::GetMinValue, &TNeatTrackBar::SetMinValue).Default(0);
  p.Property("MaxValue", &TNeatTrackBar::GetMaxValue, &TNeatTrackBar::SetMaxValue).Default(10);
  p.Property("Position", &TNeatTrackBar::GetPosition, &TNeatTrackBar::SetPosition).Default(0);
  p.Property("PageSize", &TNeatTrackBar::GetPageSize, &TNeatTrackBar::SetPageSize).Default(1);
  p.Property("BarSize", &TNeatTrackBar::GetBarSize, &TNeatTrackBar::SetBarSize).Default(10);
  p.Property("BarColor", &TNeatTrackBar::GetBarColor, &TNeatTrackBar::SetBarColor).Default(clWindow);
  p.Property("TickMarks", &TNeatTrackBar::GetTickMarks, &TNeatTrackBar::SetTickMarks).Default(tmBottomRight);
  p.Property("ThumbHorz", &TNeatTrackBar::GetThumbHorz, &TNeatTrackBar::SetThumbHorz)
      .Stored(&TNeatTrackBar::IsThumbHorzStored);
  p.Property("ThumbVert", &TNeatTrackBar::GetThumbVert, &TNeatTrackBar::SetThumbVert)
      .Stored(&TNeatTrackBar::IsThumbVertStored);
  p.Property("ThumbHorzSelected", &TNeatTrackBar::GetThumbHorzSelected, &TNeatTrackBar::SetThumbHorzSelected)
      .Stored(&TNeatTrackBar::IsThumbHorzSelectedStored);
  p.Property("ThumbVertSelected", &TNeatTrackBar::GetThumbVertSelected, &TNeatTrackBar::SetThumbVertSelected)
      .Stored(&TNeatTrackBar::IsThumbVertSelectedStored);
  p.Property("TransparentThumb", &TNeatTrackBar::GetTransparentThumb, &TNeatTrackBar::SetTransparentThumb)
      .Default(true);
  p.Property("BevelInner", &TNeatTrackBar::GetBevelInner, &TNeatTrackBar::SetBevelInner).Default(bvNone);
  p.Property("BevelOuter", &TNeatTrackBar::GetBevelOuter, &TNeatTrackBar::SetBevelOuter).Default(bvNone);
  p.Property("Options", &TNeatTrackBar::GetOptions, &TNeatTrackBar::SetOptions).Default(TNeatOptions{});
  p.Property("PaintOptions", &TNeatTrackBar::GetPaintOptions, &TNeatTrackBar::SetPaintOptions)
      .Default(TPaintOptions{poDrawFocusRect, poDrawTrackBar, poDrawTicks, poDrawThumb, poDrawThumbStates});
  p.Property("Wallpaper", &TNeatTrackBar::GetWallpaper, &TNeatTrackBar::SetWallpaper)
      .Stored(&TNeatTrackBar::IsWallpaperStored);
  p.Property("NeatImages", &TNeatTrackBar::GetNeatImages, &TNeatTrackBar::SetNeatImages);
  p.Property("idWallpaper", &TNeatTrackBar::GetIdWallpaper, &TNeatTrackBar::SetIdWallpaper).Default(-1);
  p.Property("Color", &TNeatTrackBar::GetColor, &TNeatTrackBar::SetColor).Stored(&TNeatTrackBar::IsColorStored);
  p.Property("ParentColor", &TNeatTrackBar::GetParentColor, &TNeatTrackBar::SetParentColor).Default(true);
  p.Property("Enabled", &TNeatTrackBar::GetEnabled, &TNeatTrackBar::SetEnabled).Default(true);
  p.Property("TabOrder", &TNeatTrackBar::GetTabOrder, &TNeatTrackBar::SetTabOrder);
  p.Property("TabStop", &TNeatTrackBar::GetTabStop, &TNeatTrackBar::SetTabStop).Default(true);
  p.Property("Visible", &TNeatTrackBar::GetVisible, &TNeatTrackBar::SetVisible).Default(true);
  p.Event("OnChange", &TNeatTrackBar::OnChange);
  p.Event("OnClick", &TNeatTrackBar::OnClick);
  p.Event("OnDblClick", &TNeatTrackBar::OnDblClick);
  p.Event("OnMouseDown", &TNeatTrackBar::OnMouseDown);
  p.Event("OnMouseMove", &TNeatTrackBar::OnMouseMove);
  p.Event("OnMouseUp", &TNeatTrackBar::OnMouseUp);
}

namespace {

void FillWith(HDC DC, const RECT& R, TColor Color) {
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Color) & 0xFFFFFF);
  ::FillRect(DC, &R, brush);
  DeleteObject(brush);
}

// An off-screen copy of a control's face, drawn by Paint and shown at once.
struct TFaceBuffer {
  TBitmap Bitmap;
  TFaceBuffer(int Width, int Height) { Bitmap.SetSize(std::max(Width, 1), std::max(Height, 1)); }
  TCanvas* Canvas() { return Bitmap.Canvas(); }
  void CopyTo(HDC DC, const TRect& R) {
    BitBlt(DC, R.Left, R.Top, R.Width(), R.Height(), Bitmap.Canvas()->GetHandle(), R.Left, R.Top, SRCCOPY);
  }
};

}  // namespace

// ---- TNeatBtn ----

TNeatBtn::TNeatBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(std::make_unique<TButtonGlyph>()) {
  FGlyph->OnChange = [this] { Invalidate(); };
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(FInterval);
  FTimer->OnTimer = [this](TObject*) { AnimationTick(); };
  SetParentColor(false);
  SetColor(clBtnFace);
}

TNeatBtn::~TNeatBtn() = default;

void TNeatBtn::CreateParams(TCreateParams& Params) {
  TButton::CreateParams(Params);
  Params.Style = (Params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TNeatBtn::UpdateTimer() {
  FTimer->SetInterval(FInterval);
  FTimer->SetEnabled(FAnimated && FImages && FInterval > 0);
}

void TNeatBtn::SetAnimated(bool Value) {
  FAnimated = Value;
  UpdateTimer();
  Invalidate();
}

void TNeatBtn::SetInterval(unsigned Value) {
  FInterval = Value;
  UpdateTimer();
}

void TNeatBtn::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (Value) Value->FreeNotification(this);
  FFrame = 0;
  UpdateTimer();
  Invalidate();
}

void TNeatBtn::SetGlyph(TBitmap* Value) {
  FGlyph->SetGlyph(Value);
  if (FGlyph->NumGlyphs() > 2) FGlyph->SetNumGlyphs(2);
}

void TNeatBtn::SetNumGlyphs(int Value) { FGlyph->SetNumGlyphs(std::clamp(Value, 1, 2)); }

void TNeatBtn::SetLayout(TButtonLayout Value) {
  FLayout = Value;
  Invalidate();
}

void TNeatBtn::SetMargin(int Value) {
  if (Value < -1) return;
  FMargin = Value;
  Invalidate();
}

void TNeatBtn::SetSpacing(int Value) {
  FSpacing = Value;
  Invalidate();
}

void TNeatBtn::SetOptions(TNeatOptions Value) {
  if (Value == FOptions) return;
  FOptions = Value;
  if (HandleAllocated()) RecreateWnd();
  ColorChanged();
  Invalidate();
}

void TNeatBtn::SetShadowColor(TColor Value) {
  FShadowColor = Value;
  FSimpleView = false;
  Invalidate();
}

void TNeatBtn::SetShadowSize(int Value) {
  FShadowSize = std::clamp(Value, 0, 255);
  FSimpleView = false;
  Invalidate();
}

void TNeatBtn::SetShadowPos(TShadowPosition Value) {
  FShadowPos = Value;
  FSimpleView = false;
  Invalidate();
}

void TNeatBtn::SetSimpleView(bool Value) {
  FSimpleView = Value;
  Invalidate();
}

void TNeatBtn::SetColorStart(TColor Value) {
  FColorStart = Value;
  if (FOptions.Contains(ocPaintGradiently)) Invalidate();
}

void TNeatBtn::SetColorEnd(TColor Value) {
  FColorEnd = Value;
  if (FOptions.Contains(ocPaintGradiently)) Invalidate();
}

void TNeatBtn::SetGradientDirection(TGradientDirection Value) {
  FGradientDirection = Value;
  if (FOptions.Contains(ocPaintGradiently)) Invalidate();
}

void TNeatBtn::SetFlat(bool Value) {
  FFlat = Value;
  Invalidate();
}

void TNeatBtn::SetBtnPaintOptions(TBtnPaintOptions Value) {
  FBtnPaintOptions = Value;
  Invalidate();
}

void TNeatBtn::Notification(TComponent* AComponent, TOperation Operation) {
  TButton::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) {
    FImages = nullptr;
    UpdateTimer();
    Invalidate();
  }
  FWallpaper.Removed(AComponent);
}

void TNeatBtn::MouseEnter() {
  FMouseInside = true;
  if (FFlat) Invalidate();
  TButton::MouseEnter();
}

void TNeatBtn::MouseLeave() {
  FMouseInside = false;
  if (FFlat) Invalidate();
  TButton::MouseLeave();
}

TPoint TNeatBtn::GlyphSize() {
  if (Animating() && FImages->Count() > 0) return {FImages->GetWidth(), FImages->GetHeight()};
  return FGlyph->Size();
}

void TNeatBtn::GlyphAndTextPlaces(TPoint Client, TPoint& GlyphPos, TRect& TextBounds) {
  TBitmap measure;
  measure.SetSize(1, 1);
  measure.Canvas()->SetFont(GetFont());
  std::wstring text = Utf8ToWide(GetCaption());
  RECT r{0, 0, Client.X, 0};
  if (!text.empty())
    DrawTextW(measure.Canvas()->GetHandle(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DrawTextBiDiModeFlagsReadingOnly());
  // Read right to left, the glyph stands on the other side of the text.
  TButtonLayout layout = FLayout;
  if (UseRightToLeftReading() && layout == blGlyphLeft) layout = blGlyphRight;
  else if (UseRightToLeftReading() && layout == blGlyphRight) layout = blGlyphLeft;
  CalcButtonLayout(Client, GlyphSize(), {r.right - r.left, r.bottom - r.top}, layout, FMargin, FSpacing, GlyphPos,
                   TextBounds);
}

void TNeatBtn::DrawCaption(HDC DC, const TRect& R) {
  String caption = GetCaption();
  if (caption.empty()) return;
  const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOCLIP | DrawTextBiDiModeFlagsReadingOnly();
  if (!GetEnabled()) {
    NeatDrawShadowText(DC, caption, R, format, clBtnShadow, clBtnHighlight, 1, spRightBottom);
  } else if (FSimpleView) {
    std::wstring w = Utf8ToWide(caption);
    RECT r{R.Left, R.Top, R.Right, R.Bottom};
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, ColorToRGB(GetFont()->GetColor()) & 0xFFFFFF);
    DrawTextW(DC, w.c_str(), static_cast<int>(w.size()), &r, format);
  } else {
    NeatDrawShadowText(DC, caption, R, format, GetFont()->GetColor(), FShadowColor, FShadowSize, FShadowPos);
  }
}

void TNeatBtn::DrawGlyphAndCaption(TCanvas* Canvas, const TRect& Client, bool Pressed) {
  Canvas->SetFont(GetFont());
  TPoint glyphAt;
  TRect textAt;
  GlyphAndTextPlaces({Client.Width(), Client.Height()}, glyphAt, textAt);
  int shift = Pressed ? 1 : 0;
  TPoint size = GlyphSize();
  FGlyphRect = Bounds(Client.Left + glyphAt.X + shift, Client.Top + glyphAt.Y + shift, size.X, size.Y);
  if (Animating() && FImages->Count() > 0) {
    FImages->Draw(Canvas, FGlyphRect.Left, FGlyphRect.Top, FFrame % FImages->Count(), GetEnabled());
  } else if (size.X > 0) {
    FGlyph->Draw(Canvas, FGlyphRect, {0, 0}, "", GetEnabled() ? TButtonGlyph::gsUp : TButtonGlyph::gsDisabled);
  }
  TRect text = textAt;
  text = Rect(Client.Left + text.Left + shift, Client.Top + text.Top + shift, Client.Left + text.Right + shift,
              Client.Top + text.Bottom + shift);
  DrawCaption(Canvas->GetHandle(), text);
}

void TNeatBtn::PaintFace(TCanvas* Canvas, bool Pressed, bool Focused) {
  HDC dc = Canvas->GetHandle();
  RECT r{0, 0, GetWidth(), GetHeight()};
  TRect whole = Rect(0, 0, GetWidth(), GetHeight());
  bool framed = Pressed || !FFlat || FMouseInside;
  TBitmap* wallpaper = FOptions.Contains(ocPaintWallpaper) ? FWallpaper.Current()
                                                           : nullptr;
  bool tile = FOptions.Contains(ocTileWallpaper);
  if (!FOptions.Contains(ocRoundedForm)) {
    if (FOptions.Contains(ocPaintTransparently)) NeatDrawParentBackground(this, dc, &whole);
    else if (FOptions.Contains(ocPaintGradiently))
      NeatDrawGradient(Canvas, whole, FColorStart, FColorEnd, FGradientDirection, 128);
    else if (wallpaper) NeatDrawWallpaper(Canvas, whole, wallpaper, tile);
    else FillWith(dc, r, GetColor());
    if ((FDefaultState || Focused) && FBtnPaintOptions.Contains(bpoDrawDefault)) {
      HBRUSH frame = CreateSolidBrush(ColorToRGB(clWindowFrame) & 0xFFFFFF);
      FrameRect(dc, &r, frame);
      DeleteObject(frame);
      InflateRect(&r, -1, -1);
    }
    if (Pressed) DrawEdge(dc, &r, BDR_SUNKENINNER, BF_RECT | BF_ADJUST);
    else if (framed) DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    DrawGlyphAndCaption(Canvas, Rect(r.left, r.top, r.right, r.bottom), Pressed);
    if (Focused && FBtnPaintOptions.Contains(bpoDrawFocus)) {
      RECT f{4, 4, GetWidth() - 4, GetHeight() - 4};
      SetTextColor(dc, 0);
      SetBkColor(dc, 0xFFFFFF);
      DrawFocusRect(dc, &f);
    }
  } else {
    NeatDrawParentBackground(this, dc, &whole);
    bool filled = false;
    if (FOptions.Contains(ocPaintGradiently) || wallpaper) {
      HRGN ellipse = CreateEllipticRgn(0, 0, GetWidth(), GetHeight());
      int saved = SaveDC(dc);
      ExtSelectClipRgn(dc, ellipse, RGN_AND);
      if (FOptions.Contains(ocPaintGradiently))
        NeatDrawGradient(Canvas, whole, FColorStart, FColorEnd, FGradientDirection, 128);
      else NeatDrawWallpaper(Canvas, whole, wallpaper, tile);
      RestoreDC(dc, saved);
      DeleteObject(ellipse);
      filled = true;
    }
    if (framed) {
      TColor outer = Pressed ? clBtnHighlight : clWindowFrame, inner = Pressed ? clWindowFrame : clBtnHighlight;
      HBRUSH brush = filled ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                            : CreateSolidBrush(ColorToRGB(GetColor()) & 0xFFFFFF);
      HGDIOBJ oldBrush = SelectObject(dc, brush);
      auto ring = [&](int l, int t, int rr, int b, TColor color) {
        HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(color) & 0xFFFFFF);
        HGDIOBJ old = SelectObject(dc, pen);
        ::Ellipse(dc, l, t, rr, b);
        SelectObject(dc, old);
        DeleteObject(pen);
      };
      int w = GetWidth(), h = GetHeight();
      ring(0, 0, w - 1, h - 1, clBtnShadow);
      ring(1, 1, w, h, outer);
      ring(1, 1, w - 1, h - 1, inner);
      // The shaded lower right half.
      HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(clBtnShadow) & 0xFFFFFF);
      HGDIOBJ old = SelectObject(dc, pen);
      ::Arc(dc, 2, 2, w - 2, h - 2, w - 2, 2, 2, h - 2);
      SelectObject(dc, old);
      DeleteObject(pen);
      SelectObject(dc, oldBrush);
      if (!filled) DeleteObject(brush);
    }
    DrawGlyphAndCaption(Canvas, whole, Pressed);
    if (Focused && FBtnPaintOptions.Contains(bpoDrawFocus)) {
      HPEN pen = CreatePen(PS_DOT, 1, ColorToRGB(clBtnShadow) & 0xFFFFFF);
      HGDIOBJ oldPen = SelectObject(dc, pen);
      HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
      ::Ellipse(dc, 4, 4, GetWidth() - 4, GetHeight() - 4);
      SelectObject(dc, oldBrush);
      SelectObject(dc, oldPen);
      DeleteObject(pen);
    }
  }
  if (OnDrawButton) OnDrawButton(this, Canvas, whole, Pressed);
}

void TNeatBtn::AnimationTick() {
  if (!FImages || FImages->Count() == 0 || !HandleAllocated()) return;
  TFaceBuffer face(GetWidth(), GetHeight());
  PaintFace(face.Canvas(), false, Focused());
  FImages->Draw(face.Canvas(), FGlyphRect.Left, FGlyphRect.Top, FFrame % FImages->Count(), GetEnabled());
  HDC dc = GetDC(GetHandle());
  face.CopyTo(dc, FGlyphRect);
  ReleaseDC(GetHandle(), dc);
  FFrame = (FFrame + 1) % FImages->Count();
}

void TNeatBtn::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM: {
      const auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      TFaceBuffer face(GetWidth(), GetHeight());
      PaintFace(face.Canvas(), item.itemState & ODS_SELECTED, item.itemState & ODS_FOCUS);
      face.CopyTo(item.hDC, Rect(0, 0, GetWidth(), GetHeight()));
      Message.Result = 1;
      return;
    }
    case BM_SETSTYLE:
      // The owner-drawn style stays; a default push style only marks the active button.
      FDefaultState = (Message.WParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
      Message.WParam = (Message.WParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
      break;
    case WM_LBUTTONDBLCLK:
      Message.Msg = WM_LBUTTONDOWN;  // two quick clicks are two presses
      break;
    case WM_ERASEBKGND:
      Message.Result = 1;  // the face covers everything
      return;
    case CM_ENABLEDCHANGED:
    case CM_BIDIMODECHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
      TButton::Dispatch(Message);
      Invalidate();
      return;
    case CM_PARENTCOLORCHANGED:
      TButton::Dispatch(Message);
      if (FOptions.Contains(ocPaintTransparently) || FOptions.Contains(ocRoundedForm)) Invalidate();
      return;
  }
  TButton::Dispatch(Message);
}

// ---- The track bar's geometry ----

double NeatTrackScale(int Extent, int Min, int Max) {
  if (Max <= Min || Extent <= 2 * kNeatTrackMargin) return 0;
  return static_cast<double>(Extent - 2 * kNeatTrackMargin) / (static_cast<double>(Max) - Min);
}

int NeatTrackOffset(int Value, int Extent, int Min, int Max) {
  if (Max <= Min || Extent <= 2 * kNeatTrackMargin) return kNeatTrackMargin;
  long long span = static_cast<long long>(Max) - Min;
  long long at = static_cast<long long>(Value) - Min;
  return kNeatTrackMargin + static_cast<int>(at * (Extent - 2 * kNeatTrackMargin) / span);
}

// ---- TNeatTrackBar ----

namespace {
const char* const kThumbNames[4] = {"THUMB_HORZ", "THUMB_VERT", "THUMB_HORZ_INVERT", "THUMB_VERT_INVERT"};
}

TNeatTrackBar::TNeatTrackBar(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle({csCaptureMouse, csClickEvents, csDoubleClicks});
  SetTabStop(true);
  SetBounds(0, 0, 150, 40);
}

TNeatTrackBar::~TNeatTrackBar() = default;

bool TNeatTrackBar::Reading() const {
  return ComponentState().Contains(csLoading) || ComponentState().Contains(csReading);
}

void TNeatTrackBar::Changed() {
  LoadThumb();
  Invalidate();
}

void TNeatTrackBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  // The shape decides the orientation; the size stays as it is.
  FOrientation = GetHeight() <= GetWidth() ? toHorizontal : toVertical;
  Changed();
}

void TNeatTrackBar::SetOrientation(TTrackOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  if (!Reading() && !ComponentState().Contains(csUpdating))
    TCustomControl::SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
  Changed();
}

void TNeatTrackBar::SetMinValue(int Value) {
  if (Reading()) {
    FMinValue = Value;  // put in range once the whole form is read
    return;
  }
  Value = std::min(Value, FMaxValue);
  if (Value == FMinValue) return;
  FMinValue = Value;
  if (FPosition < Value) SetPosition(Value);
  Invalidate();
}

void TNeatTrackBar::SetMaxValue(int Value) {
  if (Reading()) {
    FMaxValue = Value;
    return;
  }
  Value = std::max(Value, FMinValue);
  if (Value == FMaxValue) return;
  FMaxValue = Value;
  if (FPosition > Value) SetPosition(Value);
  Invalidate();
}

void TNeatTrackBar::SetPosition(int Value) {
  if (Reading()) {
    FPosition = Value;
    return;
  }
  Value = std::clamp(Value, FMinValue, FMaxValue);
  if (Value == FPosition) return;
  FPosition = Value;
  Invalidate();
  if (OnChange) OnChange(this);
}

void TNeatTrackBar::Loaded() {
  TCustomControl::Loaded();
  FMaxValue = std::max(FMaxValue, FMinValue);
  FPosition = std::clamp(FPosition, FMinValue, FMaxValue);
  Changed();
}

void TNeatTrackBar::SetPageSize(int Value) {
  FPageSize = std::clamp(Value, 0, 0xFFFF);
}

void TNeatTrackBar::SetBarSize(int Value) {
  FBarSize = Value;
  Invalidate();
}

void TNeatTrackBar::SetBarColor(TColor Value) {
  FBarColor = Value;
  Invalidate();
}

void TNeatTrackBar::SetTickMarks(TTickMark Value) {
  FTickMarks = Value;
  Invalidate();
}

TBitmap* TNeatTrackBar::Thumb(int Which) {
  if (FThumbs[Which] && !FThumbs[Which]->Empty()) return FThumbs[Which].get();
  if (!FDefaultThumbs[Which]) {
    FDefaultThumbs[Which] = std::make_unique<TBitmap>();
    try {
      FDefaultThumbs[Which]->LoadFromResourceName(nullptr, kThumbNames[Which]);
    } catch (const EResNotFound&) {
      // A program without the desktop bitmaps draws no thumb.
    }
  }
  return FDefaultThumbs[Which].get();
}

void TNeatTrackBar::LoadThumb() {
  bool selected = !GetEnabled() || (FDragging && FPaintOptions.Contains(poDrawThumbStates));
  FThumb = Thumb((FOrientation == toVertical ? 1 : 0) + (selected ? 2 : 0));
}

#define HX_THUMB_ACCESSORS(Name, Which)                                 \
  TBitmap* TNeatTrackBar::Get##Name() {                                 \
    if (!FThumbs[Which]) {                                              \
      FThumbs[Which] = std::make_unique<TBitmap>();                     \
      FThumbs[Which]->OnChange = [this](TObject*) { Changed(); };       \
    }                                                                   \
    return FThumbs[Which].get();                                        \
  }                                                                     \
  void TNeatTrackBar::Set##Name(TBitmap* Value) { Get##Name()->Assign(Value); }
HX_THUMB_ACCESSORS(ThumbHorz, 0)
HX_THUMB_ACCESSORS(ThumbVert, 1)
HX_THUMB_ACCESSORS(ThumbHorzSelected, 2)
HX_THUMB_ACCESSORS(ThumbVertSelected, 3)
#undef HX_THUMB_ACCESSORS

bool TNeatTrackBar::IsThumbStored(int Which) const { return FThumbs[Which] && !FThumbs[Which]->Empty(); }
bool TNeatTrackBar::IsThumbHorzStored() const { return IsThumbStored(0); }
bool TNeatTrackBar::IsThumbVertStored() const { return IsThumbStored(1); }
bool TNeatTrackBar::IsThumbHorzSelectedStored() const { return IsThumbStored(2); }
bool TNeatTrackBar::IsThumbVertSelectedStored() const { return IsThumbStored(3); }

void TNeatTrackBar::SetTransparentThumb(bool Value) {
  FTransparentThumb = Value;
  Invalidate();
}

void TNeatTrackBar::SetBevelInner(TBevelCut Value) {
  FBevelInner = Value;
  Invalidate();
}

void TNeatTrackBar::SetBevelOuter(TBevelCut Value) {
  FBevelOuter = Value;
  Invalidate();
}

void TNeatTrackBar::SetOptions(TNeatOptions Value) {
  FOptions = Value;
  ColorChanged();
  Invalidate();
}

void TNeatTrackBar::SetPaintOptions(TPaintOptions Value) {
  FPaintOptions = Value;
  Changed();
}

void TNeatTrackBar::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove) FWallpaper.Removed(AComponent);
}

TRect TNeatTrackBar::ThumbRect() {
  if (!FThumb) LoadThumb();
  int tw = FThumb->GetWidth(), th = FThumb->GetHeight();
  int centre = NeatTrackOffset(FPosition, Extent(), FMinValue, FMaxValue);
  if (FOrientation == toHorizontal) return Bounds(centre - tw / 2, (GetHeight() - th) / 2, tw, th);
  return Bounds((GetWidth() - tw) / 2, centre - th / 2, tw, th);
}

void TNeatTrackBar::DrawTo(TCanvas* Canvas) {
  HDC dc = Canvas->GetHandle();
  int w = GetWidth(), h = GetHeight();
  TRect whole = Rect(0, 0, w, h);
  TBitmap* wallpaper = FWallpaper.Current();
  if (FOptions.Contains(ocPaintTransparently)) NeatDrawParentBackground(this, dc, &whole);
  else if (FOptions.Contains(ocPaintWallpaper) && wallpaper)
    NeatDrawWallpaper(Canvas, whole, wallpaper, FOptions.Contains(ocTileWallpaper));
  else FillWith(dc, {0, 0, w, h}, GetColor());

  UINT edge = 0;
  if (FBevelInner == bvLowered) edge |= BDR_SUNKENINNER;
  if (FBevelInner == bvRaised) edge |= BDR_RAISEDINNER;
  if (FBevelOuter == bvLowered) edge |= BDR_SUNKENOUTER;
  if (FBevelOuter == bvRaised) edge |= BDR_RAISEDOUTER;
  if (edge) {
    RECT r{0, 0, w, h};
    DrawEdge(dc, &r, edge, BF_RECT);
  }

  const int m = kNeatTrackMargin;
  bool horizontal = FOrientation == toHorizontal;
  int extent = Extent();
  // The bar across the middle.
  RECT bar = horizontal ? RECT{m, (h - FBarSize) / 2, w - m, (h - FBarSize) / 2 + FBarSize}
                        : RECT{(w - FBarSize) / 2, m, (w - FBarSize) / 2 + FBarSize, h - m};
  if (FPaintOptions.Contains(poDrawTrackBar)) {
    RECT r = bar;
    FillWith(dc, r, FBarColor);
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  }
  if (FPaintOptions.Contains(poDrawTicks)) {
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    auto tick = [&](int at) {
      int low = horizontal ? bar.bottom : bar.right, high = horizontal ? bar.top : bar.left;
      if (FTickMarks != tmTopLeft) {
        if (horizontal) { MoveToEx(dc, at, low + 8, nullptr); LineTo(dc, at, low + 12); }
        else { MoveToEx(dc, low + 8, at, nullptr); LineTo(dc, low + 12, at); }
      }
      if (FTickMarks != tmBottomRight) {
        if (horizontal) { MoveToEx(dc, at, high - 12, nullptr); LineTo(dc, at, high - 8); }
        else { MoveToEx(dc, high - 12, at, nullptr); LineTo(dc, high - 8, at); }
      }
    };
    long long count = static_cast<long long>(FMaxValue) - FMinValue + 1;
    if (count > extent) {
      // More values than pixels: a tick on every pixel they cover.
      for (int at = m; at <= extent - m; ++at) tick(at);
    } else {
      for (int i = FMinValue; i <= FMaxValue; ++i) tick(NeatTrackOffset(i, extent, FMinValue, FMaxValue));
    }
    SelectObject(dc, oldPen);
  }
  if (FPaintOptions.Contains(poDrawThumb)) {
    if (!FThumb) LoadThumb();
    if (!FThumb->Empty()) {
      TRect t = ThumbRect();
      HDC source = FThumb->Canvas()->GetHandle();
      if (FTransparentThumb)
        TransparentBlt(dc, t.Left, t.Top, t.Width(), t.Height(), source, 0, 0, FThumb->GetWidth(),
                       FThumb->GetHeight(), ColorToRGB(FThumb->GetTransparentColor()) & 0xFFFFFF);
      else
        StretchBlt(dc, t.Left, t.Top, t.Width(), t.Height(), source, 0, 0, FThumb->GetWidth(), FThumb->GetHeight(),
                   SRCCOPY);
    }
  }
  if (FPaintOptions.Contains(poDrawFocusRect) && HandleAllocated() && GetFocus() == GetHandle()) {
    RECT f{0, 0, w, h};
    SetTextColor(dc, 0);
    SetBkColor(dc, 0xFFFFFF);
    DrawFocusRect(dc, &f);
  }
}

void TNeatTrackBar::Paint() {
  TFaceBuffer face(GetWidth(), GetHeight());
  DrawTo(face.Canvas());
  face.CopyTo(Canvas()->GetHandle(), Rect(0, 0, GetWidth(), GetHeight()));
}

void TNeatTrackBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;  // Paint covers everything
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(Message);
      Invalidate();
      return;
    case CM_ENABLEDCHANGED:
      TCustomControl::Dispatch(Message);
      Changed();
      return;
  }
  TCustomControl::Dispatch(Message);
}

void TNeatTrackBar::KeyDown(WORD& Key, TShiftState Shift) {
  switch (Key) {
    case VK_PRIOR: SetPosition(FPosition - FPageSize); break;
    case VK_NEXT: SetPosition(FPosition + FPageSize); break;
    case VK_END: SetPosition(FMaxValue); break;
    case VK_HOME: SetPosition(FMinValue); break;
    case VK_LEFT:
    case VK_UP:
      if (FPosition > FMinValue) SetPosition(FPosition - 1);
      break;
    case VK_RIGHT:
    case VK_DOWN:
      if (FPosition < FMaxValue) SetPosition(FPosition + 1);
      break;
  }
  TCustomControl::KeyDown(Key, Shift);
}

void TNeatTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (CanFocus()) SetFocus();
    TRect t = ThumbRect();
    bool horizontal = FOrientation == toHorizontal;
    int at = horizontal ? X : Y, low = horizontal ? t.Left : t.Top, high = horizontal ? t.Right : t.Bottom;
    if (X >= t.Left && X < t.Right && Y >= t.Top && Y < t.Bottom) {
      FDragging = true;
      Changed();
    } else if (X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight()) {
      if (at < low) SetPosition(FPosition - 1);
      else if (at >= high) SetPosition(FPosition + 1);
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TNeatTrackBar::MouseMove(TShiftState Shift, int X, int Y) {
  if (FDragging) {
    int track = Extent() - 2 * kNeatTrackMargin;
    if (track > 0 && FMaxValue > FMinValue) {
      TRect t = ThumbRect();
      bool horizontal = FOrientation == toHorizontal;
      int from = horizontal ? X - t.Left - t.Width() / 2 : Y - t.Top - t.Height() / 2;
      double delta = static_cast<double>(from) * (static_cast<double>(FMaxValue) - FMinValue) / track;
      SetPosition(static_cast<int>(std::clamp<long long>(FPosition + std::llround(delta), INT32_MIN, INT32_MAX)));
    }
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TNeatTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FDragging) {
    FDragging = false;
    Changed();
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}
