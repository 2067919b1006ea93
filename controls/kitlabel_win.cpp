#include "controls/kitlabel.h"

#include "controls/kitdraw.h"
#include "controls/kitgeometry.h"

namespace {
template <class C>
void PublishLabel(::classlib::TPublisher<C>& p) {
  p.Property("Alignment", &C::GetAlignment, &C::SetAlignment).Default(TKitAlignment::agTopLeft);
  p.Property("AutoSize", &C::GetAutoSize, &C::SetAutoSize).Default(true);
  p.Property("Bevel", &C::GetBevel, &C::SetBevel);
  p.Property("Caption", &C::GetCaption, &C::SetCaption).Default("");
  p.Property("Color", &C::GetColor, &C::SetColor).Stored(&C::IsColorStored);
  p.Property("Enabled", &C::GetEnabled, &C::SetEnabled).Default(true);
  p.Property("FocusControl", &C::GetFocusControl, &C::SetFocusControl);
  p.Property("Font", &C::GetFont, &C::SetFont).Stored(&C::IsFontStored);
  p.Property("FontFx", &C::GetFontFx, &C::SetFontFx);
  p.Property("MultiLine", &C::GetMultiLine, &C::SetMultiLine).Default(false);
  p.Property("Options", &C::GetOptions, &C::SetOptions).Default(TKitLabelOptions{});
  p.Property("ParentColor", &C::GetParentColor, &C::SetParentColor).Default(true);
  p.Property("ParentFont", &C::GetParentFont, &C::SetParentFont).Default(true);
  p.Property("ShowAccelChar", &C::GetShowAccelChar, &C::SetShowAccelChar).Default(true);
  p.Property("Transparent", &C::GetTransparent, &C::SetTransparent).Default(true);
  p.Property("Visible", &C::GetVisible, &C::SetVisible).Default(true);
  p.Event("OnClick", &C::OnClick);
  p.Event("OnDblClick", &C::OnDblClick);
  p.Event("OnMouseDown", &C::OnMouseDown);
  p.Event("OnMouseEnter", &C::OnMouseEnter);
  p.Event("OnMouseExit", &C::OnMouseExit);
}
}  // namespace

HX_PUBLISH(TKitBaseLabel, p) {}
HX_PUBLISH(TKitCustomLabel, p) {}
HX_PUBLISH(TKitLabel, p) { PublishLabel(p); }
HX_PUBLISH(TKitCustomLabelFill, p) {}
HX_PUBLISH(TKitLabelFill, p) {
  PublishLabel(p);
  p.Property("BrushBackColor", &TKitLabelFill::GetBrushBackColor, &TKitLabelFill::SetBrushBackColor)
      .Default(clBtnFace);
  p.Property("FillObject", &TKitLabelFill::GetFillObject, &TKitLabelFill::SetFillObject);
  p.Property("ImageIndex", &TKitLabelFill::GetImageIndex, &TKitLabelFill::SetImageIndex).Default(0);
  p.Property("ImageList", &TKitLabelFill::GetImageList, &TKitLabelFill::SetImageList);
  p.Property("ListIndex", &TKitLabelFill::GetListIndex, &TKitLabelFill::SetListIndex).Default(0);
}

unsigned KitLabelTextFlags(TKitAlignment Alignment, TKitLabelOptions Options, bool ShowAccelChar) {
  static constexpr unsigned horizontal[3] = {DT_LEFT, DT_CENTER, DT_RIGHT};
  static constexpr unsigned vertical[3] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
  int a = static_cast<int>(Alignment);
  unsigned flags = horizontal[a % 3] | vertical[a / 3] | DT_WORDBREAK | DT_EXPANDTABS;
  if (Options.Contains(TKitLabelOption::loPathEllipsis)) flags |= DT_PATH_ELLIPSIS;
  if (Options.Contains(TKitLabelOption::loEndEllipsis)) flags |= DT_END_ELLIPSIS;
  if (Options.Contains(TKitLabelOption::loEditControl)) flags |= DT_EDITCONTROL;
  if (!ShowAccelChar) flags |= DT_NOPREFIX;
  return flags;
}

// ---- TKitBaseLabel ----

TKitBaseLabel::TKitBaseLabel(TComponent* AOwner) : TKitBaseGraphicControl(AOwner) { TControl::SetAutoSize(true); }

void TKitBaseLabel::SetShowAccelChar(bool Value) {
  if (!KitStore(FShowAccelChar, Value)) return;
  AdjustSize();
  Invalidate();
}
void TKitBaseLabel::SetMultiLine(bool Value) {
  if (KitStore(FMultiLine, Value)) Invalidate();
}
void TKitBaseLabel::SetAlignment(TKitAlignment Value) {
  if (KitStore(FAlignment, Value)) Invalidate();
}
void TKitBaseLabel::SetOptions(TKitLabelOptions Value) {
  if (KitStore(FOptions, Value)) Invalidate();
}

void TKitBaseLabel::SetFocusControl(TWinControl* Value) {
  if (FFocusControl == Value) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TKitBaseLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TKitBaseGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TKitBaseLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      if (FShowAccelChar && FFocusControl && GetEnabled() && IsAccel(Message.WParam, GetCaption())) {
        if (FFocusControl->CanFocus()) FFocusControl->SetFocus();
        Message.Result = 1;
        return;
      }
      break;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      AdjustSize();
      Invalidate();
      return;
    case CM_BIDIMODECHANGED:
      TKitBaseGraphicControl::Dispatch(Message);
      Invalidate();
      return;
  }
  TKitBaseGraphicControl::Dispatch(Message);
}

// ---- TKitCustomLabel ----

TKitCustomLabel::TKitCustomLabel(TComponent* AOwner)
    : TKitBaseLabel(AOwner), FBevel(new TKitBevel), FFontFx(new TKitFxCaption) {
  FBevel->OnChange = [this](TObject*) {
    AdjustSize();
    Invalidate();
  };
  FFontFx->OnChange = [this](TObject*) { FontFxChanged(); };
}

TKitCustomLabel::~TKitCustomLabel() {
  delete FBevel;
  delete FFontFx;
}

namespace {
bool FontIsTrueType(TFont* Font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->GetHandle());
  TEXTMETRICW metrics{};
  bool trueType = GetTextMetricsW(dc, &metrics) && (metrics.tmPitchAndFamily & TMPF_TRUETYPE);
  SelectObject(dc, old);
  DeleteDC(dc);
  return trueType;
}
}  // namespace

void TKitCustomLabel::FontFxChanged() {
  // A turned caption needs a TrueType font: a raster font gives way to "Arial".
  if (!FFontChanging && FFontFx->GetAngle() != 0 && !FontIsTrueType(GetFont())) {
    FFontChanging = true;
    GetFont()->SetName("Arial");
    FFontChanging = false;
  }
  AdjustSize();
  Invalidate();
}

void TKitCustomLabel::Dispatch(TMessage& Message) {
  // A font turned raster drops the angle (unless the switch to "Arial" is under way).
  if (Message.Msg == CM_FONTCHANGED && !FFontChanging && FFontFx->GetAngle() != 0 && !FontIsTrueType(GetFont())) {
    FFontChanging = true;
    FFontFx->SetAngle(0);
    FFontChanging = false;
  }
  TKitBaseLabel::Dispatch(Message);
}

bool TKitCustomLabel::CanAutoSize(int& NewWidth, int& NewHeight) {
  // One line unless MultiLine: word breaks in no width would stand the words one under another.
  unsigned flags = TextFlags();
  if (!GetMultiLine()) flags &= ~static_cast<unsigned>(DT_WORDBREAK);
  TRect r = Rect(0, 0, GetMultiLine() ? GetWidth() : 0, 0);
  MeasureText(GetFont(), GetCaption(), FFontFx, -1, GetMultiLine(), GetShowAccelChar(), flags, r);
  NewWidth = r.Width() + 2 * BevelWidth();
  NewHeight = r.Height() + 2 * BevelWidth();
  if (auto* bar = dynamic_cast<TKitCustomStatusBar*>(GetParent())) {
    NewWidth += bar->StatusOffset();
    NewHeight += bar->StatusOffset();
  }
  return true;
}

void TKitCustomLabel::TextPlace(const TRect& Inner, TRect& Text, unsigned& Flags) {
  Text = Inner;
  Flags = TextFlags();
  if (GetAutoSize()) return;
  bool angle = FFontFx->GetAngle() != 0;
  if (angle || !GetMultiLine()) Flags |= DT_SINGLELINE;
  int row = static_cast<int>(GetAlignment()) / 3;
  if ((angle && GetAlignment() != TKitAlignment::agTopLeft) || (!angle && GetMultiLine() && row > 0))
    CalcAlignedTextRect(GetFont(), GetCaption(), FFontFx, -1, GetMultiLine(), GetShowAccelChar(), Flags,
                        GetAlignment(), Inner, Text);
}

void TKitCustomLabel::PaintLabel(TCanvas* C, bool Background) {
  TRect client = ClientRect(), inner = client;
  if (Background && !GetTransparent()) {
    C->GetBrush()->SetStyle(bsSolid);
    C->GetBrush()->SetColor(GetColor());
    C->FillRect(client);
  }
  if (BevelWidth() > 0) {
    bool transparent = FBevel->GetBorderColor() == GetColor() || GetTransparent();
    FBevel->PaintBevel(C, client, inner, transparent);
  }
  TRect text;
  unsigned flags;
  TextPlace(inner, text, flags);
  C->GetBrush()->SetColor(GetColor());
  C->SetFont(GetFont());
  unsigned fx = GetEnabled() ? k3dEnabled : 0;
  Draw3DText(C, GetCaption(), FFontFx, TRect{}, fx, flags, text);
}

void TKitCustomLabel::Paint() {
  if (GetTransparent() && GetCaption().empty() && BevelWidth() == 0) return;
  PaintLabel(Canvas(), true);
}

// ---- TKitCustomLabelFill ----

TKitCustomLabelFill::TKitCustomLabelFill(TComponent* AOwner) : TKitCustomLabel(AOwner), FFillObject(new TKitFillObject) {
  FFillObject->OnChange = [this](TObject*) { Invalidate(); };
  GetFont()->SetName("Arial");
  GetFont()->SetSize(28);
}

TKitCustomLabelFill::~TKitCustomLabelFill() { delete FFillObject; }

void TKitCustomLabelFill::SetBrushBackColor(TColor Value) {
  if (KitStore(FBrushBackColor, Value)) Invalidate();
}

void TKitCustomLabelFill::Paint() {
  if (FFillObject->GetStyle() == TKitFillStyle::sfNone || !GetEnabled()) {
    TKitCustomLabel::Paint();
    return;
  }
  const int w = GetWidth(), h = GetHeight();
  if (w <= 0 || h <= 0) return;
  const TRect all = Rect(0, 0, w, h);
  if (FFillObject->GetStyle() == TKitFillStyle::sfBitmapList && GetImageList())
    GetImageList()->CopyPicture(GetListIndex(), GetImageIndex(), FFillObject->ListBitmap());
  // The caption in black on white: the mask the fill shows through.
  TBitmap mask;
  mask.SetSize(w, h);
  TCanvas* m = mask.Canvas();
  m->GetBrush()->SetColor(clWhite);
  m->FillRect(all);
  TRect inner = BevelWidth() > 0 ? GetBevel()->GetClientRect(all) : all, text;
  unsigned flags;
  TextPlace(inner, text, flags);
  m->SetFont(GetFont());
  m->GetFont()->SetColor(clBlack);
  m->GetBrush()->SetStyle(bsClear);
  Draw3DText(m, GetCaption(), nullptr, TRect{}, k3dEnabled, flags, text);
  // The fill, then what lies outside the glyphs made white and the glyphs black.
  TBitmap fill;
  fill.SetSize(w, h);
  FillObjectRect(FFillObject, fill.Canvas(), all,
                 FFillObject->GetStyle() == TKitFillStyle::sfBrush ? FBrushBackColor : clWhite);
  TCanvas* c = Canvas();
  if (!GetTransparent()) {
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(GetColor());
    c->FillRect(all);
  }
  if (BevelWidth() > 0) {
    TRect ignored;
    GetBevel()->PaintBevel(c, all, ignored, GetBevel()->GetBorderColor() == GetColor() || GetTransparent());
  }
  // Background AND mask keeps it where the mask is white and blacks the glyphs; fill AND
  // NOT mask keeps the fill in the glyphs only; OR puts it in.
  HDC dc = c->GetHandle();
  BitBlt(fill.Canvas()->GetHandle(), 0, 0, w, h, m->GetHandle(), 0, 0, 0x00220326);  // DSna
  BitBlt(dc, 0, 0, w, h, m->GetHandle(), 0, 0, SRCAND);
  BitBlt(dc, 0, 0, w, h, fill.Canvas()->GetHandle(), 0, 0, SRCPAINT);
}
