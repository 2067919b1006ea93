#include "controls/kittrackbar.h"

#include <algorithm>
#include <cstdint>

#include "controls/kitapp.h"
#include "controls/kitdraw.h"
#include "controls/kitgeometry.h"

HX_PUBLISH(TKitCustomTrackBar, p) {}
HX_PUBLISH(TKitTrackBar, p) {
  using C = TKitTrackBar;
  p.Property("Align", &C::GetAlign, &C::SetAlign).Default(alNone);
  p.Property("Color", &C::GetColor, &C::SetColor).Stored(&C::IsColorStored);
  p.Property("Enabled", &C::GetEnabled, &C::SetEnabled).Default(true);
  p.Property("FocusColor", &C::GetFocusColor, &C::SetFocusColor).Default(clGray);
  p.Property("FocusStyle", &C::GetFocusStyle, &C::SetFocusStyle).Default(TKitTrackFocusStyle::tbFocus);
  p.Property("ImageIndex", &C::GetImageIndex, &C::SetImageIndex).Default(0);
  p.Property("ImageList", &C::GetImageList, &C::SetImageList);
  p.Property("LineSize", &C::GetLineSize, &C::SetLineSize).Default(1);
  p.Property("ListIndex", &C::GetListIndex, &C::SetListIndex).Default(0);
  p.Property("Margin", &C::GetMargin, &C::SetMargin).Default(1);
  p.Property("MaxValue", &C::GetMaxValue, &C::SetMaxValue).Default(10);
  p.Property("MinValue", &C::GetMinValue, &C::SetMinValue).Default(0);
  p.Property("Orientation", &C::GetOrientation, &C::SetOrientation).Default(TKitTrackOrientation::toHorizontal);
  p.Property("PageSize", &C::GetPageSize, &C::SetPageSize).Default(2);
  p.Property("ParentColor", &C::GetParentColor, &C::SetParentColor).Default(false);
  p.Property("Position", &C::GetPosition, &C::SetPosition).Default(0);
  p.Property("TabStop", &C::GetTabStop, &C::SetTabStop).Default(true);
  p.Property("Thumb", &C::GetThumb, &C::SetThumb).Stored(&C::IsThumbStored);
  p.Property("ThumbColor", &C::GetThumbColor, &C::SetThumbColor).Default(clBtnFace);
  p.Property("ThumbStyle", &C::GetThumbStyle, &C::SetThumbStyle).Default(TKitThumbStyle::tsStandard);
  p.Property("TickColor", &C::GetTickColor, &C::SetTickColor).Default(clBlack);
  p.Property("TickGap", &C::GetTickGap, &C::SetTickGap).Default(-1);
  p.Property("TickLength", &C::GetTickLength, &C::SetTickLength).Default(6);
  p.Property("TickMarks", &C::GetTickMarks, &C::SetTickMarks).Default(TKitTickMarks::tmBottomRight);
  p.Property("TickStyle", &C::GetTickStyle, &C::SetTickStyle).Default(TKitTickStyle::tsAuto);
  p.Property("TrackBorder", &C::GetTrackBorder, &C::SetTrackBorder).Default(0);
  p.Property("TrackBorderStyle", &C::GetTrackBorderStyle, &C::SetTrackBorderStyle)
      .Default(TKitBorderStyle::lsLoweredExt);
  p.Property("TrackColor", &C::GetTrackColor, &C::SetTrackColor).Default(clWhite);
  p.Property("TrackFillObject", &C::GetTrackFillObject, &C::SetTrackFillObject);
  p.Property("TrackTransparent", &C::GetTrackTransparent, &C::SetTrackTransparent).Default(false);
  p.Property("TrackWidth", &C::GetTrackWidth, &C::SetTrackWidth).Default(10);
  p.Property("Transparent", &C::GetTransparent, &C::SetTransparent).Default(false);
  p.Property("UseFocusColor", &C::GetUseFocusColor, &C::SetUseFocusColor).Default(false);
  p.Property("Visible", &C::GetVisible, &C::SetVisible).Default(true);
  p.Event("OnChange", &C::OnChange);
  p.Event("OnDrawTick", &C::OnDrawTick);
}

namespace {
constexpr TColor kThumbTransparent = clOlive;
}

TKitCustomTrackBar::TKitCustomTrackBar(TComponent* AOwner)
    : TKitCustomPanel(AOwner), FThumb(new TBitmap), FTrackFill(new TKitFillObject) {
  FRepeatIdent = KitApplication()->AddTimer(300, [this](TObject*) { RepeatTick(); });
  if (!FRepeatIdent) {
    delete FThumb;
    delete FTrackFill;
    throw EOutOfResources(kNoTimersText);
  }
  KitApplication()->GetTimerItem(FRepeatIdent)->SetEnabled(false);
  FTrackFill->OnChange = [this](TObject*) { Changed(); };
  SetBounds(GetLeft(), GetTop(), 220, 35);
  SetTabStop(true);
  BuildThumb();
}

TKitCustomTrackBar::~TKitCustomTrackBar() {
  KitApplication()->RemoveTimer(FRepeatIdent);
  delete FThumb;
  delete FTrackFill;
}

// ---- Properties ----

void TKitCustomTrackBar::SetPosition(int Value) {
  if (!Loading()) Value = std::clamp(Value, FMinValue, FMaxValue);
  if (!KitStore(FPosition, Value) || Loading()) return;
  if (!ComponentState().Contains(csDesigning)) {
    Invalidate();
    if (FDragging || FButtonDown) Update();
  }
  if (OnChange) OnChange(this);
}

void TKitCustomTrackBar::SetMaxValue(int Value) {
  if (Loading()) {  // checked with the others once loaded
    FMaxValue = Value;
    return;
  }
  if (Value <= FMinValue || !KitStore(FMaxValue, Value)) return;
  if (FPosition > FMaxValue) SetPosition(FMaxValue);
  Changed();
}

void TKitCustomTrackBar::SetMinValue(int Value) {
  if (Loading()) {
    FMinValue = Value;
    return;
  }
  if (Value >= FMaxValue || !KitStore(FMinValue, Value)) return;
  if (FPosition < FMinValue) SetPosition(FMinValue);
  Changed();
}

void TKitCustomTrackBar::Loaded() {
  TKitCustomPanel::Loaded();
  // The range as read, when valid; the position clamped into it; nobody told.
  if (FMaxValue <= FMinValue) {
    FMinValue = 0;
    FMaxValue = 10;
  }
  FPosition = std::clamp(FPosition, FMinValue, FMaxValue);
  if (FFocusStyle == TKitTrackFocusStyle::tbNoFocus) SetTabStop(false);
  if (FThumbStyle == TKitThumbStyle::tsStandard) BuildThumb();
}

void TKitCustomTrackBar::SetMargin(int Value) {
  if (Value >= 1 && KitStore(FMargin, Value)) Changed();
}
void TKitCustomTrackBar::SetOrientation(TKitTrackOrientation Value) {
  if (KitStore(FOrientation, Value)) ThumbChanged();
}
void TKitCustomTrackBar::SetThumbColor(TColor Value) {
  if (KitStore(FThumbColor, Value)) ThumbChanged();
}
void TKitCustomTrackBar::SetTickMarks(TKitTickMarks Value) {
  if (KitStore(FTickMarks, Value)) ThumbChanged();
}
void TKitCustomTrackBar::SetTrackWidth(int Value) {
  if (Value >= 3 && KitStore(FTrackWidth, Value)) ThumbChanged();
}
void TKitCustomTrackBar::SetTickColor(TColor Value) {
  if (KitStore(FTickColor, Value)) Changed();
}
void TKitCustomTrackBar::SetTickGap(int Value) {
  if (Value >= -1 && KitStore(FTickGap, Value)) Changed();
}
void TKitCustomTrackBar::SetTickLength(int Value) {
  if (KitStore(FTickLength, Value)) Changed();
}
void TKitCustomTrackBar::SetTickStyle(TKitTickStyle Value) {
  if (KitStore(FTickStyle, Value)) Changed();
}
void TKitCustomTrackBar::SetTrackBorderStyle(TKitBorderStyle Value) {
  if (KitStore(FTrackBorderStyle, Value)) Changed();
}
void TKitCustomTrackBar::SetTrackBorder(int Value) {
  if (KitStore(FTrackBorder, Value)) Changed();
}
void TKitCustomTrackBar::SetTrackColor(TColor Value) {
  if (KitStore(FTrackColor, Value)) Changed();
}
void TKitCustomTrackBar::SetTrackTransparent(bool Value) {
  if (KitStore(FTrackTransparent, Value)) Changed();
}
void TKitCustomTrackBar::SetFocusColor(TColor Value) {
  if (KitStore(FFocusColor, Value)) Changed();
}
void TKitCustomTrackBar::SetFocusStyle(TKitTrackFocusStyle Value) {
  if (KitStore(FFocusStyle, Value)) Changed();
}
void TKitCustomTrackBar::SetUseFocusColor(bool Value) {
  if (KitStore(FUseFocusColor, Value)) Changed();
}

void TKitCustomTrackBar::SetThumbStyle(TKitThumbStyle Value) {
  if (!KitStore(FThumbStyle, Value)) return;
  if (Value == TKitThumbStyle::tsCustom) FThumb->SetSize(0, 0);
  else BuildThumb();
  Changed();
}

void TKitCustomTrackBar::SetThumb(TBitmap* Value) {
  FThumb->Assign(Value);
  Changed();
}

void TKitCustomTrackBar::ImageListChanged() {
  // A picture from the image list becomes the custom thumb.
  if (GetImageList() && GetImageList()->Exists(GetListIndex(), GetImageIndex())) {
    FThumbStyle = TKitThumbStyle::tsCustom;
    GetImageList()->CopyPicture(GetListIndex(), GetImageIndex(), FThumb);
  }
  TKitCustomPanel::ImageListChanged();
}

void TKitCustomTrackBar::ThumbChanged() {
  if (FThumbStyle != TKitThumbStyle::tsCustom) BuildThumb();
  Changed();
}

// The built-in thumb, drawn pixel by pixel: the body in ThumbColor with a point toward
// the ticks (none with ticks on both sides), lit at the top and left, shaded at the bottom
// and right; the pressed image is the same shape checkered.
void TKitCustomTrackBar::BuildThumb() {
  int across = FTrackWidth, along = FTrackWidth + 8;  // across the track's length, along its width
  bool both = FTickMarks == TKitTickMarks::tmBoth;
  if (both) {
    across |= 1;
    along = (along | 1) + 1;
  }
  const int w = Vertical() ? along : across, h = Vertical() ? across : along;
  FThumb->SetSize(2 * w, h);
  TCanvas* c = FThumb->Canvas();
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(kThumbTransparent);
  c->FillRect(Rect(0, 0, 2 * w, h));
  // The body must not vanish as the transparent colour.
  TColor body = ColorToRGB(FThumbColor) == ColorToRGB(kThumbTransparent) ? static_cast<TColor>(0x008081) : FThumbColor;
  const int point = both ? 0 : std::min(across / 2, 4);
  const bool pointFar = FTickMarks != TKitTickMarks::tmTopLeft;  // toward bottom or right
  // Along = distance along the track's width (0..along-1), across = along its length.
  auto inside = [&](int a, int b) {  // a along, b across
    int fromTip = pointFar ? along - 1 - a : a;
    if (fromTip >= point) return true;
    int half = across / 2, reach = half * fromTip / std::max(point, 1);
    return std::abs(b - half) <= reach;
  };
  for (int image = 0; image < 2; ++image)
    for (int a = 0; a < along; ++a)
      for (int b = 0; b < across; ++b) {
        if (!inside(a, b)) continue;
        bool edgeLow = !inside(a - 1, b) || b == 0 || a == 0;
        bool edgeHigh = !inside(a + 1, b) || b == across - 1 || a == along - 1;
        TColor colour = body;
        if (edgeHigh) colour = clBlack;
        else if (edgeLow) colour = clWhite;
        else if (image == 1 && (a + b) % 2) colour = clWhite;
        int x = Vertical() ? a : b, y = Vertical() ? b : a;
        c->SetPixels(image * w + x, y, colour);
      }
}

// ---- Layout ----

TRect TKitCustomTrackBar::TrackRect() {
  TRect area = InflateRect(ClientRect(), -FMargin, -FMargin);
  const int tw = FTrackWidth;
  const bool none = FTickStyle == TKitTickStyle::tsNone;
  if (!Vertical()) {
    int h = ThumbWidth() / 2, top;
    if (none || FTickMarks == TKitTickMarks::tmBottomRight) top = area.Top + tw / 2 + 1;
    else if (FTickMarks == TKitTickMarks::tmTopLeft) top = area.Bottom - tw - tw / 2;
    else top = area.Top + (area.Height() - tw) / 2;
    return {area.Left + h, top, area.Right - h, top + tw};
  }
  int h = ThumbHeight() / 2, left;
  if (none || FTickMarks == TKitTickMarks::tmBottomRight) left = area.Left + tw / 2 + 1;
  else if (FTickMarks == TKitTickMarks::tmTopLeft) left = area.Right - tw - tw / 2;
  else left = area.Left + (area.Width() - tw) / 2;
  return {left, area.Top + h, left + tw, area.Bottom - h};
}

int TKitCustomTrackBar::ValueOffset(int Value) {
  TRect t = TrackRect();
  std::int64_t length = Vertical() ? t.Height() : t.Width();
  if (FMaxValue <= FMinValue) return 0;
  return static_cast<int>(length * (static_cast<std::int64_t>(Value) - FMinValue) /
                          (static_cast<std::int64_t>(FMaxValue) - FMinValue));
}

TRect TKitCustomTrackBar::ThumbRect() {
  TRect t = TrackRect();
  int off = ValueOffset(FPosition), w = ThumbWidth(), h = ThumbHeight();
  if (!Vertical()) {
    int x = t.Left + off - w / 2;
    int y = t.Top + (t.Height() - h) / 2;
    return Bounds(x, y, w, h);
  }
  int y = t.Bottom - off - h / 2;
  int x = t.Left + (t.Width() - w) / 2;
  return Bounds(x, y, w, h);
}

// ---- Painting ----

void TKitCustomTrackBar::DrawTicks(TCanvas* C, const TRect& Track) {
  if (FTickStyle == TKitTickStyle::tsNone) return;
  TRect area = InflateRect(ClientRect(), -FMargin, -FMargin);
  const std::int64_t range = static_cast<std::int64_t>(FMaxValue) - FMinValue;
  const int length = Vertical() ? Track.Height() : Track.Width();
  if (range <= 0 || length <= 0) return;
  // Ticks at least a pixel apart: the step grows with a long range.
  std::int64_t step = std::max<std::int64_t>(FTickGap < 2 ? 1 : FTickGap, (range + length - 1) / length);
  const bool first = FTickMarks != TKitTickMarks::tmBottomRight, second = FTickMarks != TKitTickMarks::tmTopLeft;
  C->GetPen()->SetColor(FTickColor);
  C->GetPen()->SetStyle(psSolid);
  for (std::int64_t v = FMinValue; v <= FMaxValue; v += step) {
    int off = ValueOffset(static_cast<int>(v));
    for (int side = 0; side < 2; ++side) {
      if ((side == 0 && !first) || (side == 1 && !second)) continue;
      TPoint from, to;
      if (!Vertical()) {
        int x = Track.Left + off, y = side == 0 ? area.Top : area.Bottom - FTickLength;
        from = {x, y};
        to = {x, y + FTickLength};
      } else {
        int y = Track.Bottom - off, x = side == 0 ? area.Left : area.Right - FTickLength;
        from = {x, y};
        to = {x + FTickLength, y};
      }
      if (FTickStyle == TKitTickStyle::tsOwnerDraw) {
        if (OnDrawTick) OnDrawTick(this, C, static_cast<int>(v), from);
      } else {
        C->MoveTo(from.X, from.Y);
        C->LineTo(to.X, to.Y);
      }
    }
  }
}

void TKitCustomTrackBar::DrawThumb(TCanvas* C) {
  const int w = ThumbWidth(), h = ThumbHeight();
  if (w <= 0 || h <= 0) return;
  TBitmap image;
  image.SetSize(w, h);
  int source = (FDragging || !GetEnabled()) ? w : 0;
  image.Canvas()->CopyRect(Rect(0, 0, w, h), FThumb->Canvas(), Bounds(source, 0, w, h));
  TColor transparent = FThumbStyle == TKitThumbStyle::tsCustom ? FThumb->Canvas()->GetPixels(0, h - 1)
                                                                : kThumbTransparent;
  DrawBitmapCore(C, ThumbRect(), &image, nullptr, transparent, kdfTransparent);
}

void TKitCustomTrackBar::Paint() {
  if (Loading()) return;
  TRect client = ClientRect();
  if (client.IsEmpty()) return;
  // Drawn off-screen and copied: the thumb moves without flicker.
  TBitmap picture;
  picture.SetSize(client.Width(), client.Height());
  TCanvas* c = picture.Canvas();
  EraseBackground(c);
  TRect track = TrackRect();
  TRect inner = track;
  DrawStandardBorder(c, inner, FTrackBorderStyle);
  inner = InflateRect(inner, -FTrackBorder, -FTrackBorder);
  if (!FTrackTransparent && !inner.IsEmpty()) {
    if (FTrackFill->GetStyle() != TKitFillStyle::sfNone) {
      FillObjectRect(FTrackFill, c, inner, FTrackColor);
    } else {
      c->GetBrush()->SetStyle(bsSolid);
      c->GetBrush()->SetColor(FTrackColor);
      c->FillRect(inner);
    }
  }
  DrawTicks(c, track);
  DrawThumb(c);
  if (FFocusStyle == TKitTrackFocusStyle::tbFocus && Focused()) {
    if (FUseFocusColor) {
      c->GetBrush()->SetStyle(bsClear);
      c->GetPen()->SetColor(FFocusColor);
      c->GetPen()->SetStyle(psDot);
      c->Rectangle(client);
      c->GetPen()->SetStyle(psSolid);
    } else {
      c->GetBrush()->SetStyle(bsSolid);
      c->GetBrush()->SetColor(clWhite);
      c->GetFont()->SetColor(clBlack);
      c->DrawFocusRect(client);
    }
  }
  Canvas()->CopyRect(client, c, client);
}

// ---- Mouse, keys, wheel ----

int TKitCustomTrackBar::PositionAt(int X, int Y) {
  TRect t = TrackRect();
  int length = Vertical() ? t.Height() : t.Width();
  int h = (Vertical() ? ThumbHeight() : ThumbWidth()) / 2;
  if (length <= h) return FPosition;  // no room to drag in
  double ratio = Vertical() ? static_cast<double>(t.Bottom - Y) / length : static_cast<double>(X - t.Left) / length;
  double value = ratio * (static_cast<double>(FMaxValue) - FMinValue) + FMinValue;
  value = std::clamp(value, static_cast<double>(FMinValue), static_cast<double>(FMaxValue));
  return KitRound(value);
}

void TKitCustomTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TKitCustomPanel::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  if (FFocusStyle != TKitTrackFocusStyle::tbNoFocus && CanFocus()) SetFocus();
  FButtonDown = true;
  FPointer = {X, Y};
  TRect thumb = ThumbRect();
  if (X >= thumb.Left && X < thumb.Right && Y >= thumb.Top && Y < thumb.Bottom) {
    FDragging = true;
    SetMouseCapture(true);
    Invalidate();
    return;
  }
  TRect area = InflateRect(ClientRect(), -FMargin, -FMargin);
  if (X < area.Left || X >= area.Right || Y < area.Top || Y >= area.Bottom) return;
  TRect t = TrackRect();
  int centre = Vertical() ? t.Bottom - ValueOffset(FPosition) : t.Left + ValueOffset(FPosition);
  FPageSide = Vertical() ? (Y < centre ? 1 : -1) : (X >= centre ? 1 : -1);
  SetMouseCapture(true);
  if (PageTowardPointer()) KitApplication()->GetTimerItem(FRepeatIdent)->SetEnabled(true);
}

bool TKitCustomTrackBar::PageTowardPointer() {
  TRect area = InflateRect(ClientRect(), -FMargin, -FMargin);
  int X = FPointer.X, Y = FPointer.Y;
  if (X < area.Left || X >= area.Right || Y < area.Top || Y >= area.Bottom) return false;
  TRect t = TrackRect();
  int centre = Vertical() ? t.Bottom - ValueOffset(FPosition) : t.Left + ValueOffset(FPosition);
  int side = Vertical() ? (Y < centre ? 1 : -1) : (X >= centre ? 1 : -1);
  // The thumb has reached the pointer: on it, or past it.
  if (side != FPageSide || (!Vertical() && X == centre)) return false;
  int before = FPosition;
  SetPosition(FPosition + FPageSide * FPageSize);
  return FPosition != before;
}

void TKitCustomTrackBar::RepeatTick() {
  if (!PageTowardPointer()) KitApplication()->GetTimerItem(FRepeatIdent)->SetEnabled(false);
}

void TKitCustomTrackBar::MouseMove(TShiftState Shift, int X, int Y) {
  TKitCustomPanel::MouseMove(Shift, X, Y);
  FPointer = {X, Y};
  if (FDragging) SetPosition(PositionAt(X, Y));
}

void TKitCustomTrackBar::StopTracking() {
  if (TKitTimerItem* item = KitApplication()->GetTimerItem(FRepeatIdent)) item->SetEnabled(false);
  bool wasDragging = FDragging;
  FDragging = false;
  FButtonDown = false;
  if (wasDragging) Invalidate();
}

void TKitCustomTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    StopTracking();
    if (GetMouseCapture()) SetMouseCapture(false);
  }
  TKitCustomPanel::MouseUp(Button, Shift, X, Y);
}

void TKitCustomTrackBar::KeyDown(WORD& Key, TShiftState Shift) {
  TKitCustomPanel::KeyDown(Key, Shift);
  switch (Key) {
    case VK_PRIOR: SetPosition(FPosition + FPageSize); break;
    case VK_NEXT: SetPosition(FPosition - FPageSize); break;
    case VK_UP:
    case VK_RIGHT: SetPosition(FPosition + FLineSize); break;
    case VK_DOWN:
    case VK_LEFT: SetPosition(FPosition - FLineSize); break;
    default: return;
  }
  Key = 0;
}

void TKitCustomTrackBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    case WM_MOUSEWHEEL:
      SetPosition(FPosition + (GET_WHEEL_DELTA_WPARAM(Message.WParam) < 0 ? 1 : -1));
      Message.Result = 0;
      return;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      // Losing the mouse ends a drag and the paging as a release does.
      StopTracking();
      break;
    case CM_ENTER:
    case CM_EXIT:
      Invalidate();
      break;
  }
  TKitCustomPanel::Dispatch(Message);
}
