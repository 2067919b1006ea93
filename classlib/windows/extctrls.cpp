#include "classlib/windows/extctrls.h"

#include <algorithm>

#include "classlib/core/unicode.h"

HX_PUBLISH(TCustomPanel, p) {}
HX_PUBLISH(TPanel, p) {
  p.Property("Align", &TPanel::GetAlign, &TPanel::SetAlign).Default(alNone);
  p.Property("Alignment", &TPanel::GetAlignment, &TPanel::SetAlignment).Default(taCenter);
  p.Property("AutoSize", &TPanel::GetAutoSize, &TPanel::SetAutoSize).Default(false);
  p.Property("BevelInner", &TPanel::GetBevelInner, &TPanel::SetBevelInner).Default(bvNone);
  p.Property("BevelOuter", &TPanel::GetBevelOuter, &TPanel::SetBevelOuter).Default(bvRaised);
  p.Property("BevelWidth", &TPanel::GetBevelWidth, &TPanel::SetBevelWidth).Default(1);
  p.Property("BorderStyle", &TPanel::GetBorderStyle, &TPanel::SetBorderStyle).Default(bsNone);
  p.Property("BorderWidth", &TPanel::GetBorderWidth, &TPanel::SetBorderWidth).Default(0);
  p.Property("Caption", &TPanel::GetCaption, &TPanel::SetCaption).Default("");
  p.Property("Color", &TPanel::GetColor, &TPanel::SetColor).Stored(&TPanel::IsColorStored);
  p.Property("Enabled", &TPanel::GetEnabled, &TPanel::SetEnabled).Default(true);
  p.Property("Font", &TPanel::GetFont, &TPanel::SetFont).Stored(&TPanel::IsFontStored);
  p.Property("ParentColor", &TPanel::GetParentColor, &TPanel::SetParentColor).Default(false);
  p.Property("ParentFont", &TPanel::GetParentFont, &TPanel::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TPanel::GetParentShowHint, &TPanel::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TPanel::GetPopupMenu, &TPanel::SetPopupMenu);
  p.Property("ShowHint", &TPanel::GetShowHint, &TPanel::SetShowHint).Default(false);
  p.Property("TabOrder", &TPanel::GetTabOrder, &TPanel::SetTabOrder);
  p.Property("TabStop", &TPanel::GetTabStop, &TPanel::SetTabStop).Default(false);
  p.Property("Visible", &TPanel::GetVisible, &TPanel::SetVisible).Default(true);
  p.Event("OnClick", &TPanel::OnClick);
  p.Event("OnDblClick", &TPanel::OnDblClick);
  p.Event("OnEnter", &TPanel::OnEnter);
  p.Event("OnExit", &TPanel::OnExit);
  p.Event("OnMouseDown", &TPanel::OnMouseDown);
  p.Event("OnMouseMove", &TPanel::OnMouseMove);
  p.Event("OnMouseUp", &TPanel::OnMouseUp);
  p.Event("OnResize", &TPanel::OnResize);
}

namespace {

// Width lines of a raised or sunken frame inside R, which shrinks past them.
void Frame3D(TCanvas* Canvas, TRect& R, TColor TopLeft, TColor BottomRight, int Width) {
  TPen* pen = Canvas->GetPen();
  pen->SetWidth(1);
  pen->SetStyle(psSolid);
  for (int i = 0; i < Width && R.Width() > 0 && R.Height() > 0; ++i) {
    pen->SetColor(TopLeft);
    Canvas->MoveTo(R.Left, R.Bottom - 1);
    Canvas->LineTo(R.Left, R.Top);
    Canvas->LineTo(R.Right - 1, R.Top);
    pen->SetColor(BottomRight);
    Canvas->LineTo(R.Right - 1, R.Bottom - 1);
    Canvas->LineTo(R.Left - 1, R.Bottom - 1);
    R = Rect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
  }
}

}  // namespace

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks,
                   csReplicatable});
  SetBounds(0, 0, 185, 41);
  SetParentColor(false);
  SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

int TCustomPanel::FrameWidth() const {
  return FBorderWidth + (FBevelOuter != bvNone ? FBevelWidth : 0) + (FBevelInner != bvNone ? FBevelWidth : 0);
}

void TCustomPanel::FrameChanged() {
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
  if (Value == FBevelInner) return;
  FBevelInner = Value;
  FrameChanged();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
  if (Value == FBevelOuter) return;
  FBevelOuter = Value;
  FrameChanged();
}

void TCustomPanel::SetBevelWidth(int Value) {
  if (Value < 1 || Value == FBevelWidth) return;
  FBevelWidth = Value;
  FrameChanged();
}

void TCustomPanel::SetBorderWidth(int Value) {
  if (Value < 0 || Value == FBorderWidth) return;
  FBorderWidth = Value;
  FrameChanged();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomPanel::AlignControls(TControl* AControl, TRect& Rect) {
  int frame = FrameWidth();
  Rect = ::Rect(Rect.Left + frame, Rect.Top + frame, Rect.Right - frame, Rect.Bottom - frame);
  TCustomControl::AlignControls(AControl, Rect);
}

TRect TCustomPanel::PaintFrame(TCanvas* Canvas, TRect R) {
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    TColor light = cut == bvRaised ? clBtnHighlight : cut == bvLowered ? clBtnShadow : GetColor();
    TColor dark = cut == bvRaised ? clBtnShadow : cut == bvLowered ? clBtnHighlight : GetColor();
    Frame3D(Canvas, R, light, dark, FBevelWidth);
  };
  bevel(FBevelOuter);
  Frame3D(Canvas, R, GetColor(), GetColor(), FBorderWidth);
  bevel(FBevelInner);
  return R;
}

void TCustomPanel::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = PaintFrame(canvas, ClientRect());
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(GetColor());
  canvas->FillRect(r);
  std::wstring text = Utf8ToWide(GetCaption());
  if (text.empty()) return;
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->GetFont()->Assign(GetFont());
  static const UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  RECT tr{r.Left, r.Top, r.Right, r.Bottom};
  HDC dc = canvas->GetHandle();
  if (!GetEnabled()) SetTextColor(dc, ColorToRGB(clGrayText));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &tr,
            DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | alignments[FAlignment]);
}

void TCustomPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
      TCustomControl::Dispatch(Message);
      Invalidate();
      return;
    case WM_SIZE:
      TCustomControl::Dispatch(Message);
      Invalidate();  // the bevels move with the edges
      return;
  }
  TCustomControl::Dispatch(Message);
}

// ---- TShape ----

HX_PUBLISH(TShape, p) {
  p.Property("Align", &TShape::GetAlign, &TShape::SetAlign).Default(alNone);
  p.Property("Brush", &TShape::GetBrush);
  p.Property("Enabled", &TShape::GetEnabled, &TShape::SetEnabled).Default(true);
  p.Property("Pen", &TShape::GetPen);
  p.Property("Shape", &TShape::GetShape, &TShape::SetShape).Default(stRectangle);
  p.Property("Visible", &TShape::GetVisible, &TShape::SetVisible).Default(true);
}

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {
  SetControlStyle({csReplicatable});
  SetBounds(0, 0, 65, 65);
  FPen->OnChange = [this](TObject*) { Invalidate(); };
  FBrush->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape() {
  FPen->OnChange = nullptr;
  FBrush->OnChange = nullptr;
}

void TShape::SetShape(TShapeType Value) {
  if (Value == FShape) return;
  FShape = Value;
  Invalidate();
}

void TShape::Paint() {
  TCanvas* canvas = Canvas();
  canvas->SetPen(FPen.get());
  canvas->SetBrush(FBrush.get());
  const int pw = FPen->GetWidth();
  int x = pw / 2, y = pw / 2, w = GetWidth() - pw + 1, h = GetHeight() - pw + 1;
  if (pw == 0) {
    --w;
    --h;
  }
  if (w < h && (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle)) {
    y += (h - w) / 2;
    h = w;
  } else if (h < w && (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle)) {
    x += (w - h) / 2;
    w = h;
  }
  switch (FShape) {
    case stRectangle:
    case stSquare: canvas->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: {
      const int r = (w < h ? w : h) / 4;
      canvas->RoundRect(x, y, x + w, y + h, r, r);
      break;
    }
    case stEllipse:
    case stCircle: canvas->Ellipse(x, y, x + w, y + h); break;
  }
}

// ---- TBevel ----

HX_PUBLISH(TBevel, p) {
  p.Property("Align", &TBevel::GetAlign, &TBevel::SetAlign).Default(alNone);
  p.Property("ParentShowHint", &TBevel::GetParentShowHint, &TBevel::SetParentShowHint).Default(true);
  p.Property("Shape", &TBevel::GetShape, &TBevel::SetShape).Default(bsBox);
  p.Property("ShowHint", &TBevel::GetShowHint, &TBevel::SetShowHint).Default(false);
  p.Property("Style", &TBevel::GetStyle, &TBevel::SetStyle).Default(bsLowered);
  p.Property("Visible", &TBevel::GetVisible, &TBevel::SetVisible).Default(true);
}

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle({csReplicatable});
  SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
  if (Value == FShape) return;
  FShape = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* canvas = Canvas();
  TColor first = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor second = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
  int w = GetWidth(), h = GetHeight();
  TPen* pen = canvas->GetPen();
  pen->SetWidth(1);
  pen->SetStyle(psSolid);
  auto line = [&](TColor Color, int X1, int Y1, int X2, int Y2) {
    pen->SetColor(Color);
    canvas->MoveTo(X1, Y1);
    canvas->LineTo(X2, Y2);
  };
  switch (FShape) {
    case bsBox: {
      TRect r = Rect(0, 0, w, h);
      Frame3D(canvas, r, first, second, 1);
      break;
    }
    case bsFrame: {
      // Two offset rectangles: an etched (or bumped) frame.
      canvas->GetBrush()->SetStyle(bsClear);
      pen->SetColor(first);
      canvas->Rectangle(0, 0, w - 1, h - 1);
      pen->SetColor(second);
      canvas->Rectangle(1, 1, w, h);
      break;
    }
    case bsTopLine:
      line(first, 0, 0, w, 0);
      line(second, 0, 1, w, 1);
      break;
    case bsBottomLine:
      line(first, 0, h - 2, w, h - 2);
      line(second, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      line(first, 0, 0, 0, h);
      line(second, 1, 0, 1, h);
      break;
    case bsRightLine:
      line(first, w - 2, 0, w - 2, h);
      line(second, w - 1, 0, w - 1, h);
      break;
    case bsSpacer:
      break;
  }
}

// ---- TImage ----

HX_PUBLISH(TImage, p) {
  p.Property("Align", &TImage::GetAlign, &TImage::SetAlign).Default(alNone);
  p.Property("AutoSize", &TImage::GetAutoSize, &TImage::SetAutoSize).Default(false);
  p.Property("Center", &TImage::GetCenter, &TImage::SetCenter).Default(false);
  p.Property("Enabled", &TImage::GetEnabled, &TImage::SetEnabled).Default(true);
  p.Property("ParentShowHint", &TImage::GetParentShowHint, &TImage::SetParentShowHint).Default(true);
  p.Property("Picture", &TImage::GetPicture, &TImage::SetPicture);
  p.Property("PopupMenu", &TImage::GetPopupMenu, &TImage::SetPopupMenu);
  p.Property("Proportional", &TImage::GetProportional, &TImage::SetProportional).Default(false);
  p.Property("ShowHint", &TImage::GetShowHint, &TImage::SetShowHint).Default(false);
  p.Property("Stretch", &TImage::GetStretch, &TImage::SetStretch).Default(false);
  p.Property("Transparent", &TImage::GetTransparent, &TImage::SetTransparent).Default(false);
  p.Property("Visible", &TImage::GetVisible, &TImage::SetVisible).Default(true);
  p.Event("OnClick", &TImage::OnClick);
  p.Event("OnDblClick", &TImage::OnDblClick);
  p.Event("OnMouseDown", &TImage::OnMouseDown);
  p.Event("OnMouseMove", &TImage::OnMouseMove);
  p.Event("OnMouseUp", &TImage::OnMouseUp);
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>(this)) {
  SetControlStyle(GetControlStyle() + TControlStyle{csReplicatable});  // clicks as any control
  SetBounds(0, 0, 105, 105);
  FPicture->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

void TImage::PictureChanged() {
  if (TGraphic* graphic = FPicture->GetGraphic(); graphic && FTransparent != graphic->GetTransparent() &&
                                                  !dynamic_cast<TIcon*>(graphic))
    graphic->SetTransparent(FTransparent);  // comes back here through OnChange
  if (GetAutoSize() && FPicture->Width() > 0 && FPicture->Height() > 0) AdjustSize();
  Invalidate();
}

void TImage::SetStretch(bool Value) {
  FStretch = Value;
  Invalidate();
}

void TImage::SetCenter(bool Value) {
  FCenter = Value;
  Invalidate();
}

void TImage::SetProportional(bool Value) {
  FProportional = Value;
  Invalidate();
}

void TImage::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  PictureChanged();
}

bool TImage::CanAutoSize(int& NewWidth, int& NewHeight) {
  if (FPicture->Width() <= 0 || FPicture->Height() <= 0) return false;
  NewWidth = FPicture->Width();
  NewHeight = FPicture->Height();
  return true;
}

TRect TImage::DestRect() {
  int w = FPicture->Width(), h = FPicture->Height();
  int cw = GetWidth(), ch = GetHeight();
  if (FStretch || (FProportional && (w > cw || h > ch))) {
    if (FProportional && w > 0 && h > 0) {
      // The larger of the two ratios decides: the picture fits whole.
      if (static_cast<long long>(w) * ch > static_cast<long long>(h) * cw) {
        h = static_cast<int>(static_cast<long long>(h) * cw / w);
        w = cw;
      } else {
        w = static_cast<int>(static_cast<long long>(w) * ch / h);
        h = ch;
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  int x = 0, y = 0;
  if (FCenter) {
    x = (cw - w) / 2;
    y = (ch - h) / 2;
  }
  return Bounds(x, y, w, h);
}

void TImage::Paint() {
  TGraphic* graphic = FPicture->GetGraphic();
  if (!graphic || graphic->Empty()) return;
  TRect dest = DestRect();
  if (dest.Width() == graphic->GetWidth() && dest.Height() == graphic->GetHeight())
    Canvas()->Draw(dest.Left, dest.Top, graphic);
  else
    Canvas()->StretchDraw(dest, graphic);
}

// ---- TCustomRadioGroup ----

HX_PUBLISH(TCustomRadioGroup, p) {}
HX_PUBLISH(TRadioGroup, p) {
  p.Property("Align", &TRadioGroup::GetAlign, &TRadioGroup::SetAlign).Default(alNone);
  p.Property("Caption", &TRadioGroup::GetCaption, &TRadioGroup::SetCaption).Default("");
  p.Property("Color", &TRadioGroup::GetColor, &TRadioGroup::SetColor).Stored(&TRadioGroup::IsColorStored);
  p.Property("Columns", &TRadioGroup::GetColumns, &TRadioGroup::SetColumns).Default(1);
  p.Property("Enabled", &TRadioGroup::GetEnabled, &TRadioGroup::SetEnabled).Default(true);
  p.Property("Font", &TRadioGroup::GetFont, &TRadioGroup::SetFont).Stored(&TRadioGroup::IsFontStored);
  p.Property("Items", &TRadioGroup::GetItems, &TRadioGroup::SetItems);
  p.Property("ItemIndex", &TRadioGroup::GetItemIndex, &TRadioGroup::SetItemIndex).Default(-1);  // after the items
  p.Property("ParentColor", &TRadioGroup::GetParentColor, &TRadioGroup::SetParentColor).Default(true);
  p.Property("ParentFont", &TRadioGroup::GetParentFont, &TRadioGroup::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TRadioGroup::GetParentShowHint, &TRadioGroup::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TRadioGroup::GetPopupMenu, &TRadioGroup::SetPopupMenu);
  p.Property("ShowHint", &TRadioGroup::GetShowHint, &TRadioGroup::SetShowHint).Default(false);
  p.Property("TabOrder", &TRadioGroup::GetTabOrder, &TRadioGroup::SetTabOrder);
  p.Property("TabStop", &TRadioGroup::GetTabStop, &TRadioGroup::SetTabStop).Default(false);
  p.Property("Visible", &TRadioGroup::GetVisible, &TRadioGroup::SetVisible).Default(true);
  p.Event("OnClick", &TRadioGroup::OnClick);
  p.Event("OnEnter", &TRadioGroup::OnEnter);
  p.Event("OnExit", &TRadioGroup::OnExit);
}

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner)
    : TCustomGroupBox(AOwner), FItems(std::make_unique<TStringList>()) {
  SetControlStyle({csSetCaption, csDoubleClicks, csReplicatable});
  FItems->OnChange = [this](TObject*) { UpdateButtons(); };
}

TCustomRadioGroup::~TCustomRadioGroup() { FItems->OnChange = nullptr; }

TRadioButton* TCustomRadioGroup::Buttons(int Index) const {
  return Index >= 0 && Index < static_cast<int>(FButtons.size()) ? FButtons[static_cast<size_t>(Index)] : nullptr;
}

void TCustomRadioGroup::GetChildren(TGetChildProc, TComponent*) {}

void TCustomRadioGroup::SetItemIndex(int Value) {
  if (ComponentState().Contains(csLoading)) {
    FItemIndex = Value;  // checked once the items are all read
    return;
  }
  if (Value < -1 || Value >= FItems->Count()) Value = -1;
  if (Value == FItemIndex) return;
  FUpdating = true;
  if (Value >= 0) FButtons[static_cast<size_t>(Value)]->SetChecked(true);
  else if (TRadioButton* old = Buttons(FItemIndex)) old->SetChecked(false);
  FUpdating = false;
  FItemIndex = Value;
  Click();
}

void TCustomRadioGroup::SetColumns(int Value) {
  Value = std::clamp(Value, 1, 16);
  if (Value == FColumns) return;
  FColumns = Value;
  ArrangeButtons();
}

void TCustomRadioGroup::ButtonClick(TObject* Sender) {
  if (FUpdating) return;
  auto it = std::find(FButtons.begin(), FButtons.end(), Sender);
  if (it == FButtons.end()) return;
  FItemIndex = static_cast<int>(it - FButtons.begin());
  Click();
}

void TCustomRadioGroup::UpdateButtons() {
  FUpdating = true;
  auto count = static_cast<size_t>(FItems->Count());
  while (FButtons.size() > count) {
    delete FButtons.back();
    FButtons.pop_back();
  }
  while (FButtons.size() < count) {
    auto* button = new TRadioButton(this);
    button->OnClick = [this](TObject* Sender) { ButtonClick(Sender); };
    button->SetParent(this);
    FButtons.push_back(button);
  }
  for (size_t i = 0; i < count; ++i) {
    FButtons[i]->SetCaption(FItems->Get(static_cast<int>(i)));
    FButtons[i]->SetEnabled(GetEnabled());
  }
  if (FItemIndex >= static_cast<int>(count)) FItemIndex = -1;
  for (size_t i = 0; i < count; ++i) FButtons[i]->SetChecked(static_cast<int>(i) == FItemIndex);
  FUpdating = false;
  ArrangeButtons();
}

void TCustomRadioGroup::ArrangeButtons() {
  if (FButtons.empty()) return;
  int count = static_cast<int>(FButtons.size());
  int perColumn = (count + FColumns - 1) / FColumns;
  int lineHeight = CaptionHeight();
  int width = (GetWidth() - 10) / FColumns;
  int room = GetHeight() - lineHeight - 5;
  int height = std::max(room / perColumn, 1);
  int top = lineHeight + 1 + (room % perColumn) / 2;
  for (int i = 0; i < count; ++i)
    FButtons[static_cast<size_t>(i)]->SetBounds(i / perColumn * width + 8, i % perColumn * height + top, width,
                                                height);
}

void TCustomRadioGroup::AlignControls(TControl* AControl, TRect& Rect) {
  TCustomGroupBox::AlignControls(AControl, Rect);
  ArrangeButtons();
}

void TCustomRadioGroup::Loaded() {
  TCustomGroupBox::Loaded();
  UpdateButtons();
}

void TCustomRadioGroup::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
      TCustomGroupBox::Dispatch(Message);
      for (TRadioButton* button : FButtons) button->SetEnabled(GetEnabled());
      return;
    case CM_FONTCHANGED:
      TCustomGroupBox::Dispatch(Message);
      ArrangeButtons();
      return;
  }
  TCustomGroupBox::Dispatch(Message);
}
