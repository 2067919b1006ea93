#include "classlib/extctrls.h"

#include "classlib/unicode.h"

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

void TCustomPanel::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    TColor light = cut == bvRaised ? clBtnHighlight : cut == bvLowered ? clBtnShadow : GetColor();
    TColor dark = cut == bvRaised ? clBtnShadow : cut == bvLowered ? clBtnHighlight : GetColor();
    Frame3D(canvas, r, light, dark, FBevelWidth);
  };
  bevel(FBevelOuter);
  Frame3D(canvas, r, GetColor(), GetColor(), FBorderWidth);
  bevel(FBevelInner);
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
