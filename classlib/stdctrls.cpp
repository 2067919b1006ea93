#include "classlib/stdctrls.h"

#include "classlib/forms.h"
#include "classlib/unicode.h"

HX_PUBLISH(TButton, p) {
  p.Property("Cancel", &TButton::GetCancel, &TButton::SetCancel).Default(false);
  p.Property("Caption", &TButton::GetCaption, &TButton::SetCaption).Default("");
  p.Property("Default", &TButton::GetDefault, &TButton::SetDefault).Default(false);
  p.Property("Enabled", &TButton::GetEnabled, &TButton::SetEnabled).Default(true);
  p.Property("Font", &TButton::GetFont, &TButton::SetFont).Stored(&TButton::IsFontStored);
  p.Property("ModalResult", &TButton::GetModalResult, &TButton::SetModalResult).Default(mrNone);
  p.Property("ParentFont", &TButton::GetParentFont, &TButton::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TButton::GetParentShowHint, &TButton::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TButton::GetPopupMenu, &TButton::SetPopupMenu);
  p.Property("ShowHint", &TButton::GetShowHint, &TButton::SetShowHint).Default(false);
  p.Property("TabOrder", &TButton::GetTabOrder, &TButton::SetTabOrder);
  p.Property("TabStop", &TButton::GetTabStop, &TButton::SetTabStop).Default(true);
  p.Property("Visible", &TButton::GetVisible, &TButton::SetVisible).Default(true);
  p.Event("OnClick", &TButton::OnClick);
  p.Event("OnEnter", &TButton::OnEnter);
  p.Event("OnExit", &TButton::OnExit);
  p.Event("OnKeyDown", &TButton::OnKeyDown);
  p.Event("OnKeyPress", &TButton::OnKeyPress);
  p.Event("OnKeyUp", &TButton::OnKeyUp);
  p.Event("OnMouseDown", &TButton::OnMouseDown);
  p.Event("OnMouseMove", &TButton::OnMouseMove);
  p.Event("OnMouseUp", &TButton::OnMouseUp);
}

HX_PUBLISH(TLabel, p) {
  p.Property("Align", &TLabel::GetAlign, &TLabel::SetAlign).Default(alNone);
  p.Property("Alignment", &TLabel::GetAlignment, &TLabel::SetAlignment).Default(taLeftJustify);
  p.Property("AutoSize", &TLabel::GetAutoSize, &TLabel::SetAutoSize).Default(true);
  p.Property("Caption", &TLabel::GetCaption, &TLabel::SetCaption).Default("");
  p.Property("Color", &TLabel::GetColor, &TLabel::SetColor).Stored(&TLabel::IsColorStored);
  p.Property("Enabled", &TLabel::GetEnabled, &TLabel::SetEnabled).Default(true);
  p.Property("Font", &TLabel::GetFont, &TLabel::SetFont).Stored(&TLabel::IsFontStored);
  p.Property("ParentColor", &TLabel::GetParentColor, &TLabel::SetParentColor).Default(true);
  p.Property("ParentFont", &TLabel::GetParentFont, &TLabel::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TLabel::GetParentShowHint, &TLabel::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TLabel::GetPopupMenu, &TLabel::SetPopupMenu);
  p.Property("ShowAccelChar", &TLabel::GetShowAccelChar, &TLabel::SetShowAccelChar).Default(true);
  p.Property("ShowHint", &TLabel::GetShowHint, &TLabel::SetShowHint).Default(false);
  p.Property("Transparent", &TLabel::GetTransparent, &TLabel::SetTransparent).Default(false);
  p.Property("Visible", &TLabel::GetVisible, &TLabel::SetVisible).Default(true);
  p.Property("WordWrap", &TLabel::GetWordWrap, &TLabel::SetWordWrap).Default(false);
  p.Event("OnClick", &TLabel::OnClick);
  p.Event("OnDblClick", &TLabel::OnDblClick);
  p.Event("OnMouseDown", &TLabel::OnMouseDown);
  p.Event("OnMouseEnter", &TLabel::OnMouseEnter);
  p.Event("OnMouseLeave", &TLabel::OnMouseLeave);
  p.Event("OnMouseMove", &TLabel::OnMouseMove);
  p.Event("OnMouseUp", &TLabel::OnMouseUp);
}

HX_PUBLISH(TEdit, p) {
  p.Property("Color", &TEdit::GetColor, &TEdit::SetColor).Default(clWindow);
  p.Property("Enabled", &TEdit::GetEnabled, &TEdit::SetEnabled).Default(true);
  p.Property("Font", &TEdit::GetFont, &TEdit::SetFont).Stored(&TEdit::IsFontStored);
  p.Property("MaxLength", &TEdit::GetMaxLength, &TEdit::SetMaxLength).Default(0);
  p.Property("ParentFont", &TEdit::GetParentFont, &TEdit::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TEdit::GetParentShowHint, &TEdit::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TEdit::GetPopupMenu, &TEdit::SetPopupMenu);
  p.Property("ReadOnly", &TEdit::GetReadOnly, &TEdit::SetReadOnly).Default(false);
  p.Property("ShowHint", &TEdit::GetShowHint, &TEdit::SetShowHint).Default(false);
  p.Property("TabOrder", &TEdit::GetTabOrder, &TEdit::SetTabOrder);
  p.Property("TabStop", &TEdit::GetTabStop, &TEdit::SetTabStop).Default(true);
  p.Property("Text", &TEdit::GetText, &TEdit::SetText).Default("");
  p.Property("Visible", &TEdit::GetVisible, &TEdit::SetVisible).Default(true);
  p.Event("OnChange", &TEdit::OnChange);
  p.Event("OnClick", &TEdit::OnClick);
  p.Event("OnDblClick", &TEdit::OnDblClick);
  p.Event("OnEnter", &TEdit::OnEnter);
  p.Event("OnExit", &TEdit::OnExit);
  p.Event("OnKeyDown", &TEdit::OnKeyDown);
  p.Event("OnKeyPress", &TEdit::OnKeyPress);
  p.Event("OnKeyUp", &TEdit::OnKeyUp);
  p.Event("OnMouseDown", &TEdit::OnMouseDown);
  p.Event("OnMouseMove", &TEdit::OnMouseMove);
  p.Event("OnMouseUp", &TEdit::OnMouseUp);
}

// ---- TButton ----

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle({csSetCaption, csDoubleClicks});
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::SetDefault(bool Value) {
  if (Value == FDefault) return;
  FDefault = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), BM_SETSTYLE, Value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this); form && FModalResult != mrNone) form->SetModalResult(FModalResult);
  TWinControl::Click();
}

void TButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Click();
      return;
    case CM_DIALOGKEY: {
      auto key = static_cast<WORD>(Message.WParam);
      bool mine = (key == VK_RETURN && (FDefault || Focused())) || (key == VK_ESCAPE && FCancel);
      if (mine && KeyboardShiftState() * TShiftState{ssShift, ssCtrl, ssAlt} == TShiftState{} && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    }
  }
  TWinControl::Dispatch(Message);
}

// ---- TLabel ----

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csOpaque, csReplicatable});
  SetBounds(0, 0, 65, 17);
  SetAutoSize(true);
}

UINT TLabel::TextFlags() const {
  static const UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  UINT flags = DT_EXPANDTABS | alignments[FAlignment];
  if (FWordWrap) flags |= DT_WORDBREAK;
  if (!FShowAccelChar) flags |= DT_NOPREFIX;
  return flags;
}

void TLabel::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TLabel::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  AdjustSize();
  Invalidate();
}

void TLabel::SetTransparent(bool Value) {
  if (Value == GetTransparent()) return;
  TControlStyle style = GetControlStyle();
  SetControlStyle(Value ? style - TControlStyle{csOpaque} : style + TControlStyle{csOpaque});
  Invalidate();
}

void TLabel::SetShowAccelChar(bool Value) {
  if (Value == FShowAccelChar) return;
  FShowAccelChar = Value;
  AdjustSize();
  Invalidate();
}

bool TLabel::CanAutoSize(int& NewWidth, int& NewHeight) {
  std::wstring text = Utf8ToWide(GetCaption());
  if (text.empty()) text = L" ";
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetFont()->GetHandle());
  RECT r{0, 0, FWordWrap ? NewWidth : 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, TextFlags() | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  if (!FWordWrap) NewWidth = r.right;
  NewHeight = r.bottom;
  return true;
}

void TLabel::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  if (!GetTransparent()) {
    canvas->GetBrush()->SetColor(GetColor());
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(client);
  }
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->GetFont()->Assign(GetFont());
  std::wstring text = Utf8ToWide(GetCaption());
  RECT r{client.Left, client.Top, client.Right, client.Bottom};
  HDC dc = canvas->GetHandle();
  if (!GetEnabled()) {
    // Disabled: the text embossed in the system's shadow colours.
    OffsetRect(&r, 1, 1);
    SetTextColor(dc, ColorToRGB(clBtnHighlight));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, TextFlags());
    OffsetRect(&r, -1, -1);
    SetTextColor(dc, ColorToRGB(clBtnShadow));
  }
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, TextFlags());
}

void TLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      AdjustSize();
      Invalidate();
      return;
  }
  TGraphicControl::Dispatch(Message);
}

// ---- TEdit ----

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle({csClickEvents, csSetCaption, csDoubleClicks});
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

void TEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "EDIT");
  Params.Style |= ES_AUTOHSCROLL | ES_LEFT;
  if (FReadOnly) Params.Style |= ES_READONLY;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageW(GetHandle(), EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TEdit::SetMaxLength(int Value) {
  if (Value < 0 || Value == FMaxLength) return;
  FMaxLength = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), EM_LIMITTEXT, static_cast<WPARAM>(Value), 0);
}

void TEdit::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), EM_SETREADONLY, Value, 0);
}

void TEdit::SelectAll() {
  if (HandleAllocated()) SendMessageW(GetHandle(), EM_SETSEL, 0, -1);
}

void TEdit::Change() {
  if (OnChange) OnChange(this);
}

void TEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == EN_CHANGE) Change();
    return;
  }
  TWinControl::Dispatch(Message);
}
