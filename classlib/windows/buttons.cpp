#include "classlib/windows/buttons.h"

#include <algorithm>

#include "classlib/windows/forms.h"
#include "classlib/windows/imglist.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TBitBtn, p) {
  p.Property("Kind", &TBitBtn::GetKind, &TBitBtn::SetKind).Default(bkCustom);  // before the caption
  p.Property("Cancel", &TBitBtn::GetCancel, &TBitBtn::SetCancel).Default(false);
  p.Property("Caption", &TBitBtn::GetCaption, &TBitBtn::SetCaption).Default("");
  p.Property("Default", &TBitBtn::GetDefault, &TBitBtn::SetDefault).Default(false);
  p.Property("Enabled", &TBitBtn::GetEnabled, &TBitBtn::SetEnabled).Default(true);
  p.Property("Font", &TBitBtn::GetFont, &TBitBtn::SetFont).Stored(&TBitBtn::IsFontStored);
  p.Property("Glyph", &TBitBtn::GetGlyph, &TBitBtn::SetGlyph).Stored(&TBitBtn::IsGlyphStored);
  p.Property("Layout", &TBitBtn::GetLayout, &TBitBtn::SetLayout).Default(blGlyphLeft);
  p.Property("Margin", &TBitBtn::GetMargin, &TBitBtn::SetMargin).Default(-1);
  p.Property("ModalResult", &TBitBtn::GetModalResult, &TBitBtn::SetModalResult).Default(mrNone);
  p.Property("NumGlyphs", &TBitBtn::GetNumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
  p.Property("ParentFont", &TBitBtn::GetParentFont, &TBitBtn::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TBitBtn::GetParentShowHint, &TBitBtn::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TBitBtn::GetPopupMenu, &TBitBtn::SetPopupMenu);
  p.Property("ShowHint", &TBitBtn::GetShowHint, &TBitBtn::SetShowHint).Default(false);
  p.Property("Spacing", &TBitBtn::GetSpacing, &TBitBtn::SetSpacing).Default(4);
  p.Property("TabOrder", &TBitBtn::GetTabOrder, &TBitBtn::SetTabOrder);
  p.Property("TabStop", &TBitBtn::GetTabStop, &TBitBtn::SetTabStop).Default(true);
  p.Property("Visible", &TBitBtn::GetVisible, &TBitBtn::SetVisible).Default(true);
  p.Event("OnClick", &TBitBtn::OnClick);
  p.Event("OnEnter", &TBitBtn::OnEnter);
  p.Event("OnExit", &TBitBtn::OnExit);
  p.Event("OnKeyDown", &TBitBtn::OnKeyDown);
  p.Event("OnKeyPress", &TBitBtn::OnKeyPress);
  p.Event("OnKeyUp", &TBitBtn::OnKeyUp);
  p.Event("OnMouseDown", &TBitBtn::OnMouseDown);
  p.Event("OnMouseMove", &TBitBtn::OnMouseMove);
  p.Event("OnMouseUp", &TBitBtn::OnMouseUp);
}

HX_PUBLISH(TSpeedButton, p) {
  p.Property("Align", &TSpeedButton::GetAlign, &TSpeedButton::SetAlign).Default(alNone);
  p.Property("AllowAllUp", &TSpeedButton::GetAllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false);
  p.Property("GroupIndex", &TSpeedButton::GetGroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
  p.Property("Down", &TSpeedButton::GetDown, &TSpeedButton::SetDown).Default(false);  // after the group
  p.Property("Caption", &TSpeedButton::GetCaption, &TSpeedButton::SetCaption).Default("");
  p.Property("Enabled", &TSpeedButton::GetEnabled, &TSpeedButton::SetEnabled).Default(true);
  p.Property("Flat", &TSpeedButton::GetFlat, &TSpeedButton::SetFlat).Default(false);
  p.Property("Font", &TSpeedButton::GetFont, &TSpeedButton::SetFont).Stored(&TSpeedButton::IsFontStored);
  p.Property("Glyph", &TSpeedButton::GetGlyph, &TSpeedButton::SetGlyph).Stored(&TSpeedButton::IsGlyphStored);
  p.Property("Layout", &TSpeedButton::GetLayout, &TSpeedButton::SetLayout).Default(blGlyphLeft);
  p.Property("Margin", &TSpeedButton::GetMargin, &TSpeedButton::SetMargin).Default(-1);
  p.Property("NumGlyphs", &TSpeedButton::GetNumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
  p.Property("ParentFont", &TSpeedButton::GetParentFont, &TSpeedButton::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TSpeedButton::GetParentShowHint, &TSpeedButton::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TSpeedButton::GetPopupMenu, &TSpeedButton::SetPopupMenu);
  p.Property("ShowHint", &TSpeedButton::GetShowHint, &TSpeedButton::SetShowHint).Default(false);
  p.Property("Spacing", &TSpeedButton::GetSpacing, &TSpeedButton::SetSpacing).Default(4);
  p.Property("Visible", &TSpeedButton::GetVisible, &TSpeedButton::SetVisible).Default(true);
  p.Event("OnClick", &TSpeedButton::OnClick);
  p.Event("OnDblClick", &TSpeedButton::OnDblClick);
  p.Event("OnMouseDown", &TSpeedButton::OnMouseDown);
  p.Event("OnMouseMove", &TSpeedButton::OnMouseMove);
  p.Event("OnMouseUp", &TSpeedButton::OnMouseUp);
}

void CalcButtonLayout(TPoint Client, TPoint GlyphSize, TPoint TextSize, TButtonLayout Layout, int Margin,
                      int Spacing, TPoint& GlyphPos, TRect& TextBounds) {
  bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
  // Along the layout's axis; across it both are centred.
  int extent = horizontal ? Client.X : Client.Y;
  int glyph = horizontal ? GlyphSize.X : GlyphSize.Y;
  int text = horizontal ? TextSize.X : TextSize.Y;
  if (glyph == 0 || text == 0) Spacing = 0;
  if (Margin == -1) {
    if (Spacing == -1) {
      Spacing = (extent - glyph - text) / 3;
      Margin = Spacing;
    } else {
      Margin = (extent - glyph - Spacing - text + 1) / 2;
    }
  } else if (Spacing == -1) {
    // The caption centred in the room the glyph leaves.
    Spacing = (extent - Margin - glyph - text) / 2;
  }
  int glyphAt = Margin, textAt = Margin + glyph + Spacing;
  if (Layout == blGlyphRight || Layout == blGlyphBottom) {
    glyphAt = extent - Margin - glyph;
    textAt = glyphAt - Spacing - text;
  }
  if (horizontal) {
    GlyphPos = {glyphAt, (Client.Y - GlyphSize.Y + 1) / 2};
    TextBounds = Bounds(textAt, (Client.Y - TextSize.Y + 1) / 2, TextSize.X, TextSize.Y);
  } else {
    GlyphPos = {(Client.X - GlyphSize.X + 1) / 2, glyphAt};
    TextBounds = Bounds((Client.X - TextSize.X + 1) / 2, textAt, TextSize.X, TextSize.Y);
  }
}

// ---- The glyph ----

namespace classlib::detail {

TButtonGlyph::TButtonGlyph() : FGlyph(std::make_unique<TBitmap>()) {
  FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TButtonGlyph::~TButtonGlyph() = default;

void TButtonGlyph::Invalidate() {
  FImages.reset();
  if (OnChange) OnChange();
}

void TButtonGlyph::SetGlyph(TBitmap* Value) {
  if (Value) FGlyph->Assign(Value);
  else FGlyph->SetSize(0, 0);
  // A strip of square images tells its own count.
  if (!FGlyph->Empty() && FGlyph->GetWidth() % FGlyph->GetHeight() == 0)
    FNumGlyphs = std::clamp(FGlyph->GetWidth() / FGlyph->GetHeight(), 1, 4);
  Invalidate();
}

void TButtonGlyph::SetNumGlyphs(int Value) {
  Value = std::clamp(Value, 1, 4);
  if (Value == FNumGlyphs) return;
  FNumGlyphs = Value;
  Invalidate();
}

TPoint TButtonGlyph::Size() const {
  if (FGlyph->Empty()) return {0, 0};
  return {FGlyph->GetWidth() / FNumGlyphs, FGlyph->GetHeight()};
}

void TButtonGlyph::SetLayout(TButtonLayout Value) {
  FLayout = Value;
  if (OnChange) OnChange();
}

void TButtonGlyph::SetMargin(int Value) {
  FMargin = std::max(Value, -1);
  if (OnChange) OnChange();
}

void TButtonGlyph::SetSpacing(int Value) {
  FSpacing = std::max(Value, -1);
  if (OnChange) OnChange();
}

void TButtonGlyph::Draw(TCanvas* Canvas, const TRect& Client, TPoint Offset, const String& Caption, TState State) {
  TPoint size = Size();
  if (!FImages && size.X > 0) {
    FImages = std::make_unique<TCustomImageList>(nullptr);
    FImages->SetWidth(size.X);
    FImages->SetHeight(size.Y);
    TBitmap strip;
    strip.Assign(FGlyph.get());
    strip.SetWidth(size.X * FNumGlyphs);
    FImages->AddMasked(&strip, clDefault);
  }
  std::wstring text = Utf8ToWide(Caption);
  HDC dc = Canvas->GetHandle();
  // No caption takes no room: the glyph alone is centred.
  TPoint textSize{0, 0};
  if (!text.empty()) {
    RECT measure{0, 0, Client.Width(), 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measure, DT_CALCRECT | DT_SINGLELINE);
    textSize = {measure.right, measure.bottom};
  }
  TPoint glyphAt;
  TRect textAt;
  CalcButtonLayout({Client.Width(), Client.Height()}, size, textSize, FLayout, FMargin, FSpacing, glyphAt, textAt);
  int x = Client.Left + Offset.X, y = Client.Top + Offset.Y;
  if (FImages) {
    int index = State < FNumGlyphs ? State : 0;
    bool embossed = State == gsDisabled && FNumGlyphs < 2;
    FImages->Draw(Canvas, x + glyphAt.X, y + glyphAt.Y, index, !embossed);
  }
  if (text.empty()) return;
  RECT r{x + textAt.Left, y + textAt.Top, x + textAt.Right, y + textAt.Bottom};
  SetBkMode(dc, TRANSPARENT);
  if (State == gsDisabled) {
    // Etched: the highlight one pixel down and right, the shadow over it.
    OffsetRect(&r, 1, 1);
    SetTextColor(dc, ColorToRGB(clBtnHighlight) & 0xFFFFFF);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    OffsetRect(&r, -1, -1);
    SetTextColor(dc, ColorToRGB(clBtnShadow) & 0xFFFFFF);
  } else {
    SetTextColor(dc, ColorToRGB(Canvas->GetFont()->GetColor()) & 0xFFFFFF);
  }
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

}  // namespace classlib::detail

using classlib::detail::TButtonGlyph;

// ---- TBitBtn ----

namespace {

struct TKindInfo {
  const char* Caption;
  TModalResult Result;
};

const TKindInfo kKinds[] = {
    {"", mrNone},              {"ОК", mrOk},                 {"Отмена", mrCancel}, {"&Справка", mrNone},
    {"&Да", mrYes},            {"&Нет", mrNo},               {"&Закрыть", mrNone}, {"Прервать", mrAbort},
    {"&Повторить", mrRetry},   {"П&ропустить", mrIgnore},    {"&Все", mrAll},
};

}  // namespace

TBitBtn::TBitBtn(TComponent* AOwner)
    : TButton(AOwner), FGlyph(std::make_unique<TButtonGlyph>()), FCanvas(std::make_unique<TCanvas>()) {
  FGlyph->OnChange = [this] { Invalidate(); };
}

TBitBtn::~TBitBtn() = default;

TBitmap* TBitBtn::GetGlyph() const { return FGlyph->Glyph(); }
void TBitBtn::SetGlyph(TBitmap* Value) { FGlyph->SetGlyph(Value); }
bool TBitBtn::IsGlyphStored() const { return !FGlyph->Glyph()->Empty(); }
int TBitBtn::GetNumGlyphs() const { return FGlyph->NumGlyphs(); }
void TBitBtn::SetNumGlyphs(int Value) { FGlyph->SetNumGlyphs(Value); }

void TBitBtn::SetKind(TBitBtnKind Value) {
  if (Value == FKind) return;
  // A caption of the old kind's (or none) follows the new kind; one of the user's stays.
  String caption = GetCaption();
  if (Value != bkCustom && (caption.empty() || caption == kKinds[FKind].Caption)) SetCaption(kKinds[Value].Caption);
  FKind = Value;
  if (Value == bkCustom) return;
  SetModalResult(kKinds[Value].Result);
  if (Value == bkOK || Value == bkYes) SetDefault(true);
  if (Value == bkCancel || Value == bkNo) SetCancel(true);
}

void TBitBtn::Click() {
  if (FKind == bkClose) {
    if (TCustomForm* form = GetParentForm(this)) {
      form->Close();
      return;
    }
  }
  TButton::Click();
}

void TBitBtn::CreateParams(TCreateParams& Params) {
  TButton::CreateParams(Params);
  Params.Style = (Params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& Item) {
  bool down = Item.itemState & ODS_SELECTED;
  bool focused = Item.itemState & ODS_FOCUS;
  FCanvas->SetHandle(Item.hDC);
  RECT r = Item.rcItem;
  // The form's active button (the default one, or the focused one) has a dark frame.
  if (FIsFocused || GetDefault() || focused) {
    FrameRect(Item.hDC, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&r, -1, -1);
  }
  DrawFrameControl(Item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0));
  FCanvas->GetFont()->Assign(GetFont());
  TRect client = Rect(r.left + 2, r.top + 2, r.right - 2, r.bottom - 2);
  TButtonGlyph::TState state = !GetEnabled() ? TButtonGlyph::gsDisabled : down ? TButtonGlyph::gsDown : TButtonGlyph::gsUp;
  FGlyph->Draw(FCanvas.get(), client, down ? TPoint{1, 1} : TPoint{0, 0}, GetCaption(), state);
  if (focused) {
    RECT f{client.Left, client.Top, client.Right, client.Bottom};
    DrawFocusRect(Item.hDC, &f);
  }
  FCanvas->SetHandle(nullptr);
}

void TBitBtn::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM:
      DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam));
      Message.Result = 1;
      return;
    case BM_SETSTYLE:
      // The owner-drawn style stays; a default push style only changes the frame.
      FIsFocused = (Message.WParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
      Message.WParam = (Message.WParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
      break;
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button tells double clicks apart; ours are two clicks.
      Message.Msg = WM_LBUTTONDOWN;
      break;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      TButton::Dispatch(Message);
      Invalidate();
      return;
  }
  TButton::Dispatch(Message);
}

// ---- TSpeedButton ----

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(std::make_unique<TButtonGlyph>()) {
  SetControlStyle({csCaptureMouse, csDoubleClicks});
  SetBounds(0, 0, 23, 22);
  FGlyph->OnChange = [this] { Invalidate(); };
}

TSpeedButton::~TSpeedButton() = default;

TBitmap* TSpeedButton::GetGlyph() const { return FGlyph->Glyph(); }
void TSpeedButton::SetGlyph(TBitmap* Value) { FGlyph->SetGlyph(Value); }
bool TSpeedButton::IsGlyphStored() const { return !FGlyph->Glyph()->Empty(); }
int TSpeedButton::GetNumGlyphs() const { return FGlyph->NumGlyphs(); }
void TSpeedButton::SetNumGlyphs(int Value) { FGlyph->SetNumGlyphs(Value); }

void TSpeedButton::SetGroupIndex(int Value) {
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  if (Value == 0 && FDown) SetDown(false);
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value) {
  if (FGroupIndex == 0) Value = false;  // only a grouped button stays down
  if (Value == FDown) return;
  // The last one down of a group stays down unless all may be up.
  if (FDown && !Value && !FAllowAllUp) return;
  FDown = Value;
  Invalidate();
  if (Value) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
  if (Value == FAllowAllUp) return;
  FAllowAllUp = Value;
  UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value) {
  FFlat = Value;
  Invalidate();
}

void TSpeedButton::UpdateExclusive() {
  TWinControl* parent = GetParent();
  if (FGroupIndex == 0 || !parent) return;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* other = dynamic_cast<TSpeedButton*>(parent->Controls(i));
    if (!other || other == this || other->FGroupIndex != FGroupIndex) continue;
    if (FDown && other->FDown) {
      other->FDown = false;
      other->Invalidate();
    }
    other->FAllowAllUp = FAllowAllUp;
  }
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !GetEnabled()) return;
  FPressed = true;
  FDragging = true;
  Invalidate();
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  bool inside = X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight();
  if (inside != FPressed) {
    FPressed = inside;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!FDragging || Button != mbLeft) return;
  FDragging = false;
  bool inside = X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight();
  FPressed = false;
  Invalidate();
  if (!inside) return;
  if (FGroupIndex != 0) {
    if (!FDown) SetDown(true);
    else if (FAllowAllUp) SetDown(false);
  }
  Click();
}

void TSpeedButton::MouseEnter() {
  TGraphicControl::MouseEnter();
  FMouseInControl = true;
  if (FFlat && GetEnabled()) Invalidate();
}

void TSpeedButton::MouseLeave() {
  TGraphicControl::MouseLeave();
  FMouseInControl = false;
  if (FFlat && GetEnabled()) Invalidate();
}

void TSpeedButton::Paint() {
  TCanvas* canvas = Canvas();
  HDC dc = canvas->GetHandle();
  RECT r{0, 0, GetWidth(), GetHeight()};
  bool down = FPressed || FDown;
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(clBtnFace);
  canvas->FillRect(Rect(r.left, r.top, r.right, r.bottom));
  if (!FFlat) {
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (down ? DFCS_PUSHED : 0));
  } else if (down) {
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  } else if (FMouseInControl && GetEnabled()) {
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
  }
  if (FDown && !FPressed) {
    // Stuck down: a lighter face, as the system shows a checked button.
    canvas->GetBrush()->SetColor(clBtnHighlight);
    canvas->FillRect(Rect(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1));
  }
  canvas->GetFont()->Assign(GetFont());
  TButtonGlyph::TState state = !GetEnabled()          ? TButtonGlyph::gsDisabled
                               : FPressed             ? TButtonGlyph::gsDown
                               : FDown                ? TButtonGlyph::gsExclusive
                                                      : TButtonGlyph::gsUp;
  FGlyph->Draw(canvas, Rect(0, 0, GetWidth(), GetHeight()), down ? TPoint{1, 1} : TPoint{0, 0}, GetCaption(), state);
}

void TSpeedButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      TGraphicControl::Dispatch(Message);
      Invalidate();
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(Message.WParam, GetCaption()) && GetEnabled() && GetVisible()) {
        if (FGroupIndex != 0 && !FDown) SetDown(true);
        Click();
        Message.Result = 1;
      }
      return;
  }
  TGraphicControl::Dispatch(Message);
}
