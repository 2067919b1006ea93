#include "gridcal/slider.h"

#include <algorithm>
#include <utility>

#include "classlib/windows/application.h"
#include "classlib/core/exceptions.h"
#include "classlib/core/filer.h"
#include "classlib/core/format.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"
#include "gridcal/gxutils.h"
#include "gridcal/slidergeometry.h"

HX_PUBLISH(TGxCustomSlider, p) {}

HX_PUBLISH(TGxSlider, p) {
  p.Property("Align", &TGxSlider::GetAlign, &TGxSlider::SetAlign).Default(alNone);
  p.Property("Anchors", &TGxSlider::GetAnchors, &TGxSlider::SetAnchors).Default(TAnchors{akLeft, akTop});
  p.Property("Constraints", &TGxSlider::GetConstraints, &TGxSlider::SetConstraints);
  p.Property("BevelStyle", &TGxSlider::GetBevelStyle, &TGxSlider::SetBevelStyle).Default(bvNone);
  p.Property("Color", &TGxSlider::GetColor, &TGxSlider::SetColor).Default(clBtnFace);
  p.Property("Enabled", &TGxSlider::GetEnabled, &TGxSlider::SetEnabled).Default(true);
  p.Property("ImageHThumb", &TGxSlider::GetImageHThumb, &TGxSlider::SetImageHThumb)
      .Stored(&TGxSlider::IsUserImage<0>);
  p.Property("ImageHRuler", &TGxSlider::GetImageHRuler, &TGxSlider::SetImageHRuler)
      .Stored(&TGxSlider::IsUserImage<1>);
  p.Property("ImageVThumb", &TGxSlider::GetImageVThumb, &TGxSlider::SetImageVThumb)
      .Stored(&TGxSlider::IsUserImage<2>);
  p.Property("ImageVRuler", &TGxSlider::GetImageVRuler, &TGxSlider::SetImageVRuler)
      .Stored(&TGxSlider::IsUserImage<3>);
  p.Property("NumThumbStates", &TGxSlider::GetNumThumbStates, &TGxSlider::SetNumThumbStates).Default(2);
  p.Property("Orientation", &TGxSlider::GetOrientation, &TGxSlider::SetOrientation).Default(soHorizontal);
  p.Property("EdgeSize", &TGxSlider::GetEdgeSize, &TGxSlider::SetEdgeSize).Default(2);
  p.Property("Options", &TGxSlider::GetOptions, &TGxSlider::SetOptions)
      .Default(TSliderOptions{soShowFocus, soShowPoints, soSmooth});
  p.Property("MinValue", &TGxSlider::GetMinValue, &TGxSlider::SetMinValue).Default(0);
  p.Property("MaxValue", &TGxSlider::GetMaxValue, &TGxSlider::SetMaxValue).Default(100);
  p.Property("Increment", &TGxSlider::GetIncrement, &TGxSlider::SetIncrement).Default(10);
  p.Property("Value", &TGxSlider::GetValue, &TGxSlider::SetValue).Default(0);
  p.Property("ParentColor", &TGxSlider::GetParentColor, &TGxSlider::SetParentColor).Default(false);
  p.Property("ParentShowHint", &TGxSlider::GetParentShowHint, &TGxSlider::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TGxSlider::GetPopupMenu, &TGxSlider::SetPopupMenu);
  p.Property("ShowHint", &TGxSlider::GetShowHint, &TGxSlider::SetShowHint).Default(false);
  p.Property("TabOrder", &TGxSlider::GetTabOrder, &TGxSlider::SetTabOrder);
  p.Property("TabStop", &TGxSlider::GetTabStop, &TGxSlider::SetTabStop).Default(true);
  p.Property("Visible", &TGxSlider::GetVisible, &TGxSlider::SetVisible).Default(true);
  p.Event("OnChange", &TGxSlider::OnChange);
  p.Event("OnChanged", &TGxSlider::OnChanged);
  p.Event("OnDrawPoints", &TGxSlider::OnDrawPoints);
  p.Event("OnClick", &TGxSlider::OnClick);
  p.Event("OnEndDock", &TGxSlider::OnEndDock);
  p.Event("OnStartDock", &TGxSlider::OnStartDock);
  p.Event("OnEnter", &TGxSlider::OnEnter);
  p.Event("OnExit", &TGxSlider::OnExit);
  p.Event("OnKeyDown", &TGxSlider::OnKeyDown);
  p.Event("OnKeyUp", &TGxSlider::OnKeyUp);
  p.Event("OnMouseDown", &TGxSlider::OnMouseDown);
  p.Event("OnMouseMove", &TGxSlider::OnMouseMove);
  p.Event("OnMouseUp", &TGxSlider::OnMouseUp);
}

namespace {

const wchar_t* const kBuiltInImages[4] = {L"W95_HTB", L"W95_HRL", L"W95_VTB", L"W95_VRL"};
constexpr int kMargin = 6;      // between the slider rectangle and the ruler's ends
constexpr int kRepeatMs = 400;  // a held button's steps

}  // namespace

TGxCustomSlider::TGxCustomSlider(TComponent* AOwner) : TCustomControl(AOwner), FRuler(std::make_unique<TBitmap>()) {
  for (int i = 0; i < 4; ++i) {
    FImages[i] = std::make_unique<TBitmap>();
    LoadBuiltInImage(i);
    FImages[i]->OnChange = [this](TObject*) { ImageChanged(); };
  }
  FRepeatTimer = new TTimer(this);
  FRepeatTimer->SetEnabled(false);
  FRepeatTimer->SetInterval(kRepeatMs);
  FRepeatTimer->OnTimer = [this](TObject*) { RepeatStep(); };
  SetControlStyle(GetControlStyle() + TControlStyle{csCaptureMouse, csClickEvents, csOpaque});
  SetTabStop(true);
  SetBounds(GetLeft(), GetTop(), 150, 40);
  AdjustElements();
}

TGxCustomSlider::~TGxCustomSlider() = default;

void TGxCustomSlider::LoadBuiltInImage(int Index) {
  auto handler = std::move(FImages[Index]->OnChange);
  FImages[Index]->OnChange = nullptr;
  FImages[Index]->LoadFromResourceName(GetModuleHandleW(nullptr), WideToUtf8(kBuiltInImages[Index]));
  FImages[Index]->OnChange = std::move(handler);
}

void TGxCustomSlider::ImageChanged() {
  if (!ComponentState().Contains(csLoading)) AdjustElements();
}

void TGxCustomSlider::SetImage(int Index, TBitmap* Value) {
  if (Index < 0 || Index > 3) return;
  if (!Value) {
    LoadBuiltInImage(Index);
    FUserImages &= static_cast<std::uint8_t>(~(1u << Index));
    if (!ComponentState().Contains(csReading)) {
      TSliderOptions options = FOptions;
      options.Exclude(Index % 2 == 0 ? soThumbOpaque : soRulerOpaque);
      FOptions = options;
      Invalidate();
    }
    ImageChanged();
    return;
  }
  FImages[Index]->Assign(Value);  // its change rebuilds the layout
  FUserImages |= static_cast<std::uint8_t>(1u << Index);
}

void TGxCustomSlider::DefineProperties(TFiler* Filer) {
  TCustomControl::DefineProperties(Filer);
  auto* ancestor = dynamic_cast<TGxCustomSlider*>(Filer->Ancestor());
  bool hasData = ancestor ? ancestor->FUserImages != FUserImages : FUserImages != 0;
  Filer->DefineBinaryProperty(
      "UserImages",
      [this](TStream* s) {
        std::uint8_t set = 0;
        s->ReadBuffer(&set, 1);
        FUserImages = set & 0x0F;  // four images, four bits
      },
      [this](TStream* s) { s->WriteBuffer(&FUserImages, 1); }, hasData);
}

void TGxCustomSlider::Loaded() {
  TCustomControl::Loaded();
  // The pictures read, the range and the value in place: lay out once.
  if (FMaxValue > FMinValue && FIncrement > FMaxValue - FMinValue) FIncrement = FMaxValue - FMinValue;
  AdjustElements();
}

// ---- properties

void TGxCustomSlider::SetBevelStyle(TBevelCut Value) {
  if (Value == FBevelStyle) return;
  FBevelStyle = Value;
  AdjustElements();
}

void TGxCustomSlider::SetIncrement(int Value) {
  if (!ComponentState().Contains(csReading)) {
    std::int64_t range = std::int64_t(FMaxValue) - FMinValue;
    if (Value < 1 || Value > range) throw EInvalidOperation(Format(kSliderIncrementText, 1, range));
  }
  if (Value > 0 && Value != FIncrement) {
    FIncrement = Value;
    SetValue(FValue);
    Invalidate();
  }
}

void TGxCustomSlider::SetRange(int Min, int Max) {
  bool reading = ComponentState().Contains(csReading);
  if (Max <= Min && !reading) return;
  if (Min == FMinValue && Max == FMaxValue) return;
  FMinValue = Min;
  FMaxValue = Max;
  if (!reading && std::int64_t(Max) < std::int64_t(Min) + FIncrement) FIncrement = Max - Min;
  if (FOptions.Contains(soShowPoints)) Invalidate();
  SetValue(FValue);
  RangeChanged();
}

void TGxCustomSlider::SetNumThumbStates(int Value) {
  FNumThumbStates = std::clamp(Value, 1, 2);
  AdjustElements();
}

void TGxCustomSlider::SetOrientation(TSliderOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  AdjustElements();
  if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csUpdating))
    SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
}

void TGxCustomSlider::SetEdgeSize(int Value) {
  int image = Horizontal() ? FImages[kHRuler]->GetWidth() : FImages[kVRuler]->GetHeight();
  if (Value < 0 || 2 * Value >= image || Value == FEdgeSize) return;
  FEdgeSize = Value;
  AdjustElements();
}

void TGxCustomSlider::SetOptions(TSliderOptions Value) {
  if (Value == FOptions) return;
  FOptions = Value;
  Invalidate();
}

void TGxCustomSlider::SetValue(int Value) {
  if (ComponentState().Contains(csReading)) {
    FValue = Value;  // kept within the range once the whole form is read
    return;
  }
  int value = FMaxValue > FMinValue ? std::clamp(Value, FMinValue, FMaxValue) : FMinValue;
  bool changed = value != FValue;
  FValue = value;
  PlaceThumb(PositionOfValue(value));
  if (changed) Change();
}

// ---- geometry

TRect TGxCustomSlider::GetSliderRect() {
  TRect r{0, 0, GetWidth(), GetHeight()};
  if (FBevelStyle != bvNone) r = InflateRect(r, -kBevelWidth, -kBevelWidth);
  return r;
}

int TGxCustomSlider::ThumbLength() const {
  return Horizontal() ? FImages[kHThumb]->GetWidth() / FNumThumbStates : FImages[kVThumb]->GetHeight();
}

int TGxCustomSlider::ThumbThickness() const {
  return Horizontal() ? FImages[kHThumb]->GetHeight() : FImages[kVThumb]->GetWidth() / FNumThumbStates;
}

int TGxCustomSlider::Lead() const { return Horizontal() ? FRulerRect.Left : FRulerRect.Top; }

int TGxCustomSlider::ActiveLength() const {
  return (Horizontal() ? FRuler->GetWidth() : FRuler->GetHeight()) - ThumbLength();
}

int TGxCustomSlider::PositionOfValue(int Value) const {
  int offset = SliderOffsetOfValue(Value, FMinValue, FMaxValue, ActiveLength());
  if (Horizontal()) return Lead() + offset;
  // Larger values lie higher: the offset counts up from the ruler's far end.
  return std::max(Lead(), FRulerRect.Bottom - offset - ThumbLength());
}

int TGxCustomSlider::ValueOfPosition(int Position) const {
  int offset = Horizontal() ? Position - Lead() : FRulerRect.Bottom - ThumbLength() - Position;
  return SliderValueOfOffset(offset, FMinValue, FMaxValue, ActiveLength(), FIncrement, FOptions.Contains(soSmooth));
}

TRect TGxCustomSlider::StretchRuler() {
  TRect r = GetSliderRect();
  TBitmap* image = FImages[Horizontal() ? kHRuler : kVRuler].get();
  int imageLength = Horizontal() ? image->GetWidth() : image->GetHeight();
  int length = std::max(0, (Horizontal() ? r.Width() : r.Height()) - 2 * kMargin);
  if (Horizontal()) FRuler->SetSize(length, image->GetHeight());
  else FRuler->SetSize(image->GetWidth(), length);
  for (const TSliderRulerPiece& piece : SliderRulerPieces(imageLength, FEdgeSize, length)) {
    int n = std::min(piece.Length, length - piece.Dest);
    if (n <= 0) continue;
    if (Horizontal())
      FRuler->Canvas()->CopyRect(Bounds(piece.Dest, 0, n, image->GetHeight()), image->Canvas(),
                                 Bounds(piece.Source, 0, n, image->GetHeight()));
    else
      FRuler->Canvas()->CopyRect(Bounds(0, piece.Dest, image->GetWidth(), n), image->Canvas(),
                                 Bounds(0, piece.Source, image->GetWidth(), n));
  }
  return r;
}

void TGxCustomSlider::AdjustElements() {
  TRect r = StretchRuler();
  const int thumbThick = ThumbThickness(), thumbLength = ThumbLength();
  const int rulerThick = Horizontal() ? FRuler->GetHeight() : FRuler->GetWidth();
  const int thick = std::max(thumbThick, rulerThick);
  // The thicker of the two starts the margin in; the thinner one is centred on it.
  const int across = (Horizontal() ? r.Top : r.Left) + kMargin;
  const int rulerAt = across + (thick - rulerThick) / 2, thumbAt = across + (thick - thumbThick) / 2;
  if (Horizontal()) {
    FRulerRect = Bounds(r.Left + kMargin, rulerAt, FRuler->GetWidth(), rulerThick);
    FThumbRect = Bounds(FRulerRect.Left, thumbAt, thumbLength, thumbThick);
    FPointsRect = Rect(FRulerRect.Left, across + thick + 1, FRulerRect.Right, r.Bottom - r.Top - 1);
  } else {
    FRulerRect = Bounds(rulerAt, r.Top + kMargin, rulerThick, FRuler->GetHeight());
    FThumbRect = Bounds(thumbAt, FRulerRect.Top, thumbThick, thumbLength);
    FPointsRect = Rect(across + thick + 1, FRulerRect.Top, r.Right - r.Left - 1, FRulerRect.Bottom);
  }
  if (!ComponentState().Contains(csReading)) SetValue(FValue);
  Invalidate();
}

void TGxCustomSlider::Resize() {
  TCustomControl::Resize();
  if (!ComponentState().Contains(csReading)) AdjustElements();
}

void TGxCustomSlider::PlaceThumb(int Position) {
  TRect moved = Horizontal() ? Bounds(Position, FThumbRect.Top, FThumbRect.Width(), FThumbRect.Height())
                             : Bounds(FThumbRect.Left, Position, FThumbRect.Width(), FThumbRect.Height());
  if (moved == FThumbRect) return;
  if (HandleAllocated()) {
    RECT old = {FThumbRect.Left, FThumbRect.Top, FThumbRect.Right, FThumbRect.Bottom};
    RECT now = {moved.Left, moved.Top, moved.Right, moved.Bottom};
    InvalidateRect(GetHandle(), &old, FALSE);
    InvalidateRect(GetHandle(), &now, FALSE);
  }
  FThumbRect = moved;
}

void TGxCustomSlider::MoveThumb(int Position) {
  const int lead = Lead(), last = lead + std::max(0, ActiveLength());
  Position = std::clamp(Position, lead, last);
  Position = std::clamp(PositionOfValue(ValueOfPosition(Position)), lead, last);
  PlaceThumb(Position);
  if (!FSliding) return;
  int value = ValueOfPosition(Position);
  if (value == FValue) return;
  FValue = value;
  Change();
}

// ---- user changes

void TGxCustomSlider::StepTo(int Value) {
  Value = FMaxValue > FMinValue ? std::clamp(Value, FMinValue, FMaxValue) : FMinValue;
  if (Value != FValue) SetValue(Value);
}

void TGxCustomSlider::Step(bool Up) { StepTo(SliderStep(FValue, FIncrement, Up, FMinValue, FMaxValue)); }

void TGxCustomSlider::KeyDown(WORD& Key, TShiftState Shift) {
  if (!Shift.Contains(ssShift) && !Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl)) {
    int target = 0;
    bool known = true;
    switch (Key) {
      case VK_HOME: target = FMinValue; break;
      case VK_END: target = FMaxValue; break;
      case VK_LEFT: known = Horizontal(); target = SliderStep(FValue, FIncrement, false, FMinValue, FMaxValue); break;
      case VK_RIGHT: known = Horizontal(); target = SliderStep(FValue, FIncrement, true, FMinValue, FMaxValue); break;
      case VK_UP: known = !Horizontal(); target = SliderStep(FValue, FIncrement, true, FMinValue, FMaxValue); break;
      case VK_DOWN: known = !Horizontal(); target = SliderStep(FValue, FIncrement, false, FMinValue, FMaxValue); break;
      default: known = false;
    }
    if (known && Modifiable()) {
      Key = 0;
      StepTo(target);
      Changed();
    }
  }
  TCustomControl::KeyDown(Key, Shift);
}

void TGxCustomSlider::ThumbMouseDown(int X, int Y) {
  FSliding = FThumbDown = true;
  FHit = Horizontal() ? X - FThumbRect.Left : Y - FThumbRect.Top;
  PlaceThumb(Horizontal() ? FThumbRect.Left : FThumbRect.Top);
  Invalidate();
}

void TGxCustomSlider::ThumbMouseMove(int X, int Y) {
  if (Modifiable()) MoveThumb(Horizontal() ? X - FHit : Y - FHit);
}

void TGxCustomSlider::ThumbMouseUp() {
  FSliding = FThumbDown = false;
  Invalidate();
  if (Modifiable()) Changed();
}

void TGxCustomSlider::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || Shift.Contains(ssDouble)) return;
  if (CanFocus()) SetFocus();
  if (FThumbRect.Contains({X, Y})) {
    ThumbMouseDown(X, Y);
    return;
  }
  TRect onRuler = Horizontal() ? InflateRect(FRulerRect, 0, 3) : InflateRect(FRulerRect, 3, 0);
  if (!onRuler.Contains({X, Y}) || !Modifiable()) return;
  SetMouseCapture(true);
  FRepeatPoint = {X, Y};
  // Before the thumb is down for a horizontal slider and up for a vertical one.
  FRepeatUp = Horizontal() ? X >= FThumbRect.Right : Y < FThumbRect.Top;
  FRepeating = true;
  RepeatStep();
  FRepeatTimer->SetEnabled(true);
}

void TGxCustomSlider::RepeatStep() {
  if (!FRepeating) return;
  // Only while the point is still on its side of the moving thumb.
  bool before = Horizontal() ? FRepeatPoint.X < FThumbRect.Left : FRepeatPoint.Y < FThumbRect.Top;
  bool after = Horizontal() ? FRepeatPoint.X >= FThumbRect.Right : FRepeatPoint.Y >= FThumbRect.Bottom;
  bool up = FRepeatUp;
  bool onSide = Horizontal() ? (up ? after : before) : (up ? before : after);
  if (onSide) Step(up);
}

void TGxCustomSlider::StopRepeat() {
  FRepeatTimer->SetEnabled(false);
  FRepeating = false;
  SetMouseCapture(false);
}

void TGxCustomSlider::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (FSliding && Shift.Contains(ssLeft)) ThumbMouseMove(X, Y);
  else if (FRepeating) FRepeatPoint = {X, Y};
}

void TGxCustomSlider::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FRepeating) {
    StopRepeat();
    Changed();
  }
  if (FSliding) ThumbMouseUp();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TGxCustomSlider::Change() {
  if (OnChange) OnChange(this);
}

void TGxCustomSlider::Changed() {
  if (OnChanged) OnChanged(this);
}

void TGxCustomSlider::DoEnter() {
  TCustomControl::DoEnter();
  FFocused = true;
  if (FOptions.Contains(soShowFocus)) Invalidate();
}

void TGxCustomSlider::DoExit() {
  TCustomControl::DoExit();
  FFocused = false;
  if (FOptions.Contains(soShowFocus)) Invalidate();
}

void TGxCustomSlider::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    Message.Result = DLGC_WANTARROWS;
    return;
  }
  if (Message.Msg == WM_SETCURSOR && LOWORD(Message.LParam) == HTCLIENT && HandleAllocated() &&
      !ComponentState().Contains(csDesigning)) {
    POINT at;
    GetCursorPos(&at);
    ::ScreenToClient(GetHandle(), &at);
    if (FThumbRect.Contains({at.x, at.y})) {
      ::SetCursor(Screen->Cursors(crHand));
      Message.Result = 1;
      return;
    }
  }
  TCustomControl::Dispatch(Message);
}

// ---- painting

void TGxCustomSlider::DefaultDrawPoints(int Step, int PointsHeight, int ExtremePointsHeight) {
  TCanvas* canvas = DrawingCanvas();
  canvas->GetPen()->SetColor(clWindowText);
  TSliderTickPlan plan = SliderTickPlan(FMinValue, FMaxValue, Step, ActiveLength());
  const int half = ThumbLength() / 2;
  for (std::int64_t i = 0; i < plan.Count; ++i) {
    int value = SliderTickValue(plan, static_cast<int>(i), FMinValue, FMaxValue);
    int height = value == FMinValue || value == FMaxValue ? ExtremePointsHeight : PointsHeight;
    int at = PositionOfValue(value) + half;
    if (Horizontal()) {
      canvas->MoveTo(at, FPointsRect.Top);
      canvas->LineTo(at, FPointsRect.Top + height);
    } else {
      canvas->MoveTo(FPointsRect.Left, at);
      canvas->LineTo(FPointsRect.Left + height, at);
    }
  }
}

void TGxCustomSlider::Paint() {
  TRect client{0, 0, GetWidth(), GetHeight()};
  if (client.IsEmpty()) return;
  // Drawn off-screen, so the moving thumb never flickers.
  TBitmap image;
  image.SetSize(client.Width(), client.Height());
  TCanvas* screen = Canvas();
  TCanvas* canvas = image.Canvas();
  canvas->GetBrush()->SetColor(GetColor());
  canvas->FillRect(client);
  if (FBevelStyle != bvNone) {
    RECT edge = {0, 0, client.Right, client.Bottom};
    DrawEdge(canvas->GetHandle(), &edge, FBevelStyle == bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
  }
  if (!FRuler->Empty()) {
    if (FOptions.Contains(soRulerOpaque)) canvas->Draw(FRulerRect.Left, FRulerRect.Top, FRuler.get());
    else DrawBitmapTransparent(canvas, FRulerRect.Left, FRulerRect.Top, FRuler.get(), FRuler->GetTransparentColor());
  }
  if (FOptions.Contains(soShowFocus) && FFocused && !ComponentState().Contains(csDesigning))
    canvas->DrawFocusRect(InflateRect(GetSliderRect(), -2, -2));
  if (FOptions.Contains(soShowPoints)) {
    FPaintCanvas = canvas;
    if (OnDrawPoints) OnDrawPoints(this);
    else DefaultDrawPoints(FIncrement, 3, 5);
    FPaintCanvas = nullptr;
  }
  TBitmap* thumb = FImages[Horizontal() ? kHThumb : kVThumb].get();
  if (!thumb->Empty()) {
    int width = thumb->GetWidth() / FNumThumbStates;
    int state = (FThumbDown || !GetEnabled()) && FNumThumbStates == 2 ? 1 : 0;
    TRect source = Bounds(state * width, 0, width, thumb->GetHeight());
    if (FOptions.Contains(soThumbOpaque)) canvas->CopyRect(FThumbRect, thumb->Canvas(), source);
    else StretchBitmapTransparent(canvas, FThumbRect, thumb, source, thumb->GetTransparentColor());
  }
  screen->CopyRect(client, canvas, client);
}
