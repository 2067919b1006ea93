#include "classlib/windows/stdctrls.h"

#include <algorithm>

#include "classlib/core/finally.h"
#include "classlib/windows/forms.h"
#include "classlib/core/lists.h"
#include "classlib/core/unicode.h"

#include <commctrl.h>

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
  p.Property("FocusControl", &TLabel::GetFocusControl, &TLabel::SetFocusControl);
  p.Property("Font", &TLabel::GetFont, &TLabel::SetFont).Stored(&TLabel::IsFontStored);
  p.Property("Layout", &TLabel::GetLayout, &TLabel::SetLayout).Default(tlTop);
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

HX_PUBLISH(TCustomEdit, p) {}
HX_PUBLISH(TEdit, p) {
  p.Property("Align", &TEdit::GetAlign, &TEdit::SetAlign).Default(alNone);
  p.Property("AutoSelect", &TEdit::GetAutoSelect, &TEdit::SetAutoSelect).Default(true);
  p.Property("BorderStyle", &TEdit::GetBorderStyle, &TEdit::SetBorderStyle).Default(bsSingle);
  p.Property("CharCase", &TEdit::GetCharCase, &TEdit::SetCharCase).Default(ecNormal);
  p.Property("Color", &TEdit::GetColor, &TEdit::SetColor).Default(clWindow);
  p.Property("Enabled", &TEdit::GetEnabled, &TEdit::SetEnabled).Default(true);
  p.Property("Font", &TEdit::GetFont, &TEdit::SetFont).Stored(&TEdit::IsFontStored);
  p.Property("MaxLength", &TEdit::GetMaxLength, &TEdit::SetMaxLength).Default(0);
  p.Property("ParentColor", &TEdit::GetParentColor, &TEdit::SetParentColor).Default(false);
  p.Property("ParentFont", &TEdit::GetParentFont, &TEdit::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TEdit::GetParentShowHint, &TEdit::SetParentShowHint).Default(true);
  p.Property("PasswordChar", &TEdit::GetPasswordChar, &TEdit::SetPasswordChar).Default('\0');
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

HX_PUBLISH(TCustomMemo, p) {}
HX_PUBLISH(TMemo, p) {
  p.Property("Align", &TMemo::GetAlign, &TMemo::SetAlign).Default(alNone);
  p.Property("Alignment", &TMemo::GetAlignment, &TMemo::SetAlignment).Default(taLeftJustify);
  p.Property("BorderStyle", &TMemo::GetBorderStyle, &TMemo::SetBorderStyle).Default(bsSingle);
  p.Property("Color", &TMemo::GetColor, &TMemo::SetColor).Default(clWindow);
  p.Property("Enabled", &TMemo::GetEnabled, &TMemo::SetEnabled).Default(true);
  p.Property("Font", &TMemo::GetFont, &TMemo::SetFont).Stored(&TMemo::IsFontStored);
  p.Property("Lines", &TMemo::GetLines, &TMemo::SetLines);
  p.Property("MaxLength", &TMemo::GetMaxLength, &TMemo::SetMaxLength).Default(0);
  p.Property("ParentColor", &TMemo::GetParentColor, &TMemo::SetParentColor).Default(false);
  p.Property("ParentFont", &TMemo::GetParentFont, &TMemo::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TMemo::GetParentShowHint, &TMemo::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TMemo::GetPopupMenu, &TMemo::SetPopupMenu);
  p.Property("ReadOnly", &TMemo::GetReadOnly, &TMemo::SetReadOnly).Default(false);
  p.Property("ScrollBars", &TMemo::GetScrollBars, &TMemo::SetScrollBars).Default(ssNone);
  p.Property("ShowHint", &TMemo::GetShowHint, &TMemo::SetShowHint).Default(false);
  p.Property("TabOrder", &TMemo::GetTabOrder, &TMemo::SetTabOrder);
  p.Property("TabStop", &TMemo::GetTabStop, &TMemo::SetTabStop).Default(true);
  p.Property("Visible", &TMemo::GetVisible, &TMemo::SetVisible).Default(true);
  p.Property("WantReturns", &TMemo::GetWantReturns, &TMemo::SetWantReturns).Default(true);
  p.Property("WantTabs", &TMemo::GetWantTabs, &TMemo::SetWantTabs).Default(false);
  p.Property("WordWrap", &TMemo::GetWordWrap, &TMemo::SetWordWrap).Default(true);
  p.Event("OnChange", &TMemo::OnChange);
  p.Event("OnClick", &TMemo::OnClick);
  p.Event("OnDblClick", &TMemo::OnDblClick);
  p.Event("OnEnter", &TMemo::OnEnter);
  p.Event("OnExit", &TMemo::OnExit);
  p.Event("OnKeyDown", &TMemo::OnKeyDown);
  p.Event("OnKeyPress", &TMemo::OnKeyPress);
  p.Event("OnKeyUp", &TMemo::OnKeyUp);
  p.Event("OnMouseDown", &TMemo::OnMouseDown);
  p.Event("OnMouseMove", &TMemo::OnMouseMove);
  p.Event("OnMouseUp", &TMemo::OnMouseUp);
}

HX_PUBLISH(TCustomCheckBox, p) {}
HX_PUBLISH(TCheckBox, p) {
  p.Property("Alignment", &TCheckBox::GetAlignment, &TCheckBox::SetAlignment).Default(taRightJustify);
  p.Property("AllowGrayed", &TCheckBox::GetAllowGrayed, &TCheckBox::SetAllowGrayed).Default(false);
  p.Property("Caption", &TCheckBox::GetCaption, &TCheckBox::SetCaption).Default("");
  p.Property("Checked", &TCheckBox::GetChecked, &TCheckBox::SetChecked).Default(false);
  p.Property("Color", &TCheckBox::GetColor, &TCheckBox::SetColor).Stored(&TCheckBox::IsColorStored);
  p.Property("Enabled", &TCheckBox::GetEnabled, &TCheckBox::SetEnabled).Default(true);
  p.Property("Font", &TCheckBox::GetFont, &TCheckBox::SetFont).Stored(&TCheckBox::IsFontStored);
  p.Property("ParentColor", &TCheckBox::GetParentColor, &TCheckBox::SetParentColor).Default(true);
  p.Property("ParentFont", &TCheckBox::GetParentFont, &TCheckBox::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TCheckBox::GetParentShowHint, &TCheckBox::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TCheckBox::GetPopupMenu, &TCheckBox::SetPopupMenu);
  p.Property("ShowHint", &TCheckBox::GetShowHint, &TCheckBox::SetShowHint).Default(false);
  p.Property("State", &TCheckBox::GetState, &TCheckBox::SetState).Default(cbUnchecked);
  p.Property("TabOrder", &TCheckBox::GetTabOrder, &TCheckBox::SetTabOrder);
  p.Property("TabStop", &TCheckBox::GetTabStop, &TCheckBox::SetTabStop).Default(true);
  p.Property("Visible", &TCheckBox::GetVisible, &TCheckBox::SetVisible).Default(true);
  p.Event("OnClick", &TCheckBox::OnClick);
  p.Event("OnEnter", &TCheckBox::OnEnter);
  p.Event("OnExit", &TCheckBox::OnExit);
  p.Event("OnKeyDown", &TCheckBox::OnKeyDown);
  p.Event("OnKeyPress", &TCheckBox::OnKeyPress);
  p.Event("OnKeyUp", &TCheckBox::OnKeyUp);
  p.Event("OnMouseDown", &TCheckBox::OnMouseDown);
  p.Event("OnMouseMove", &TCheckBox::OnMouseMove);
  p.Event("OnMouseUp", &TCheckBox::OnMouseUp);
}

HX_PUBLISH(TRadioButton, p) {
  p.Property("Alignment", &TRadioButton::GetAlignment, &TRadioButton::SetAlignment).Default(taRightJustify);
  p.Property("Caption", &TRadioButton::GetCaption, &TRadioButton::SetCaption).Default("");
  p.Property("Checked", &TRadioButton::GetChecked, &TRadioButton::SetChecked).Default(false);
  p.Property("Color", &TRadioButton::GetColor, &TRadioButton::SetColor).Stored(&TRadioButton::IsColorStored);
  p.Property("Enabled", &TRadioButton::GetEnabled, &TRadioButton::SetEnabled).Default(true);
  p.Property("Font", &TRadioButton::GetFont, &TRadioButton::SetFont).Stored(&TRadioButton::IsFontStored);
  p.Property("ParentColor", &TRadioButton::GetParentColor, &TRadioButton::SetParentColor).Default(true);
  p.Property("ParentFont", &TRadioButton::GetParentFont, &TRadioButton::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TRadioButton::GetParentShowHint, &TRadioButton::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TRadioButton::GetPopupMenu, &TRadioButton::SetPopupMenu);
  p.Property("ShowHint", &TRadioButton::GetShowHint, &TRadioButton::SetShowHint).Default(false);
  p.Property("TabOrder", &TRadioButton::GetTabOrder, &TRadioButton::SetTabOrder);
  p.Property("TabStop", &TRadioButton::GetTabStop, &TRadioButton::SetTabStop).Default(false);
  p.Property("Visible", &TRadioButton::GetVisible, &TRadioButton::SetVisible).Default(true);
  p.Event("OnClick", &TRadioButton::OnClick);
  p.Event("OnDblClick", &TRadioButton::OnDblClick);
  p.Event("OnEnter", &TRadioButton::OnEnter);
  p.Event("OnExit", &TRadioButton::OnExit);
  p.Event("OnKeyDown", &TRadioButton::OnKeyDown);
  p.Event("OnKeyPress", &TRadioButton::OnKeyPress);
  p.Event("OnKeyUp", &TRadioButton::OnKeyUp);
  p.Event("OnMouseDown", &TRadioButton::OnMouseDown);
  p.Event("OnMouseMove", &TRadioButton::OnMouseMove);
  p.Event("OnMouseUp", &TRadioButton::OnMouseUp);
}

HX_PUBLISH(TCustomGroupBox, p) {}
HX_PUBLISH(TGroupBox, p) {
  p.Property("Align", &TGroupBox::GetAlign, &TGroupBox::SetAlign).Default(alNone);
  p.Property("Caption", &TGroupBox::GetCaption, &TGroupBox::SetCaption).Default("");
  p.Property("Color", &TGroupBox::GetColor, &TGroupBox::SetColor).Stored(&TGroupBox::IsColorStored);
  p.Property("Enabled", &TGroupBox::GetEnabled, &TGroupBox::SetEnabled).Default(true);
  p.Property("Font", &TGroupBox::GetFont, &TGroupBox::SetFont).Stored(&TGroupBox::IsFontStored);
  p.Property("ParentColor", &TGroupBox::GetParentColor, &TGroupBox::SetParentColor).Default(true);
  p.Property("ParentFont", &TGroupBox::GetParentFont, &TGroupBox::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TGroupBox::GetParentShowHint, &TGroupBox::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TGroupBox::GetPopupMenu, &TGroupBox::SetPopupMenu);
  p.Property("ShowHint", &TGroupBox::GetShowHint, &TGroupBox::SetShowHint).Default(false);
  p.Property("TabOrder", &TGroupBox::GetTabOrder, &TGroupBox::SetTabOrder);
  p.Property("TabStop", &TGroupBox::GetTabStop, &TGroupBox::SetTabStop).Default(false);
  p.Property("Visible", &TGroupBox::GetVisible, &TGroupBox::SetVisible).Default(true);
  p.Event("OnClick", &TGroupBox::OnClick);
  p.Event("OnDblClick", &TGroupBox::OnDblClick);
  p.Event("OnEnter", &TGroupBox::OnEnter);
  p.Event("OnExit", &TGroupBox::OnExit);
  p.Event("OnMouseDown", &TGroupBox::OnMouseDown);
  p.Event("OnMouseMove", &TGroupBox::OnMouseMove);
  p.Event("OnMouseUp", &TGroupBox::OnMouseUp);
}

HX_PUBLISH(TCustomListControl, p) {}

HX_PUBLISH(TCustomComboBox, p) {}
HX_PUBLISH(TComboBox, p) {
  p.Property("Style", &TComboBox::GetStyle, &TComboBox::SetStyle).Default(csDropDown);  // before the items
  p.Property("Align", &TComboBox::GetAlign, &TComboBox::SetAlign).Default(alNone);
  p.Property("Color", &TComboBox::GetColor, &TComboBox::SetColor).Default(clWindow);
  p.Property("DropDownCount", &TComboBox::GetDropDownCount, &TComboBox::SetDropDownCount).Default(8);
  p.Property("Enabled", &TComboBox::GetEnabled, &TComboBox::SetEnabled).Default(true);
  p.Property("Font", &TComboBox::GetFont, &TComboBox::SetFont).Stored(&TComboBox::IsFontStored);
  p.Property("ItemHeight", &TComboBox::GetItemHeight, &TComboBox::SetItemHeight);
  p.Property("MaxLength", &TComboBox::GetMaxLength, &TComboBox::SetMaxLength).Default(0);
  p.Property("ParentColor", &TComboBox::GetParentColor, &TComboBox::SetParentColor).Default(false);
  p.Property("ParentFont", &TComboBox::GetParentFont, &TComboBox::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TComboBox::GetParentShowHint, &TComboBox::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TComboBox::GetPopupMenu, &TComboBox::SetPopupMenu);
  p.Property("ShowHint", &TComboBox::GetShowHint, &TComboBox::SetShowHint).Default(false);
  p.Property("Sorted", &TComboBox::GetSorted, &TComboBox::SetSorted).Default(false);
  p.Property("TabOrder", &TComboBox::GetTabOrder, &TComboBox::SetTabOrder);
  p.Property("TabStop", &TComboBox::GetTabStop, &TComboBox::SetTabStop).Default(true);
  p.Property("Text", &TComboBox::GetText, &TComboBox::SetText).Default("");
  p.Property("Visible", &TComboBox::GetVisible, &TComboBox::SetVisible).Default(true);
  p.Property("Items", &TComboBox::GetItems, &TComboBox::SetItems);
  p.Property("ItemIndex", &TComboBox::GetItemIndex, &TComboBox::SetItemIndex).Default(-1);  // after the items
  p.Event("OnChange", &TComboBox::OnChange);
  p.Event("OnClick", &TComboBox::OnClick);
  p.Event("OnCloseUp", &TComboBox::OnCloseUp);
  p.Event("OnDblClick", &TComboBox::OnDblClick);
  p.Event("OnDrawItem", &TComboBox::OnDrawItem);
  p.Event("OnDropDown", &TComboBox::OnDropDown);
  p.Event("OnEnter", &TComboBox::OnEnter);
  p.Event("OnExit", &TComboBox::OnExit);
  p.Event("OnKeyDown", &TComboBox::OnKeyDown);
  p.Event("OnKeyPress", &TComboBox::OnKeyPress);
  p.Event("OnKeyUp", &TComboBox::OnKeyUp);
  p.Event("OnMeasureItem", &TComboBox::OnMeasureItem);
}

HX_PUBLISH(TCustomListBox, p) {}
HX_PUBLISH(TListBox, p) {
  p.Property("Style", &TListBox::GetStyle, &TListBox::SetStyle).Default(lbStandard);  // before the items
  p.Property("Align", &TListBox::GetAlign, &TListBox::SetAlign).Default(alNone);
  p.Property("BorderStyle", &TListBox::GetBorderStyle, &TListBox::SetBorderStyle).Default(bsSingle);
  p.Property("Color", &TListBox::GetColor, &TListBox::SetColor).Default(clWindow);
  p.Property("Enabled", &TListBox::GetEnabled, &TListBox::SetEnabled).Default(true);
  p.Property("ExtendedSelect", &TListBox::GetExtendedSelect, &TListBox::SetExtendedSelect).Default(true);
  p.Property("Font", &TListBox::GetFont, &TListBox::SetFont).Stored(&TListBox::IsFontStored);
  p.Property("IntegralHeight", &TListBox::GetIntegralHeight, &TListBox::SetIntegralHeight).Default(false);
  p.Property("ItemHeight", &TListBox::GetItemHeight, &TListBox::SetItemHeight).Default(16);
  p.Property("MultiSelect", &TListBox::GetMultiSelect, &TListBox::SetMultiSelect).Default(false);
  p.Property("ParentColor", &TListBox::GetParentColor, &TListBox::SetParentColor).Default(false);
  p.Property("ParentFont", &TListBox::GetParentFont, &TListBox::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TListBox::GetParentShowHint, &TListBox::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TListBox::GetPopupMenu, &TListBox::SetPopupMenu);
  p.Property("ShowHint", &TListBox::GetShowHint, &TListBox::SetShowHint).Default(false);
  p.Property("Sorted", &TListBox::GetSorted, &TListBox::SetSorted).Default(false);
  p.Property("TabOrder", &TListBox::GetTabOrder, &TListBox::SetTabOrder);
  p.Property("TabStop", &TListBox::GetTabStop, &TListBox::SetTabStop).Default(true);
  p.Property("Visible", &TListBox::GetVisible, &TListBox::SetVisible).Default(true);
  p.Property("Items", &TListBox::GetItems, &TListBox::SetItems);
  p.Property("ItemIndex", &TListBox::GetItemIndex, &TListBox::SetItemIndex).Default(-1);  // after the items
  p.Event("OnClick", &TListBox::OnClick);
  p.Event("OnDblClick", &TListBox::OnDblClick);
  p.Event("OnDrawItem", &TListBox::OnDrawItem);
  p.Event("OnEnter", &TListBox::OnEnter);
  p.Event("OnExit", &TListBox::OnExit);
  p.Event("OnKeyDown", &TListBox::OnKeyDown);
  p.Event("OnKeyPress", &TListBox::OnKeyPress);
  p.Event("OnKeyUp", &TListBox::OnKeyUp);
  p.Event("OnMeasureItem", &TListBox::OnMeasureItem);
  p.Event("OnMouseDown", &TListBox::OnMouseDown);
  p.Event("OnMouseMove", &TListBox::OnMouseMove);
  p.Event("OnMouseUp", &TListBox::OnMouseUp);
}

namespace {

// The font's line height, for controls that have no window to ask.
int FontLineHeight(TFont* Font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->GetHandle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}

// One owner-drawn item of a list control: Canvas is lent the system's context, with the
// control's font and the selection's colours, for the length of Draw.
void OwnerDrawItem(TWinControl* Control, TCanvas* Canvas, const DRAWITEMSTRUCT& Item,
                   const std::function<void(int Index, TRect Rect, TOwnerDrawState State)>& Draw) {
  TOwnerDrawState state;
  if (Item.itemState & ODS_SELECTED) state.Include(odSelected);
  if (Item.itemState & ODS_FOCUS) state.Include(odFocused);
  if (Item.itemState & ODS_DISABLED) state.Include(odDisabled);
  if (Item.itemState & ODS_COMBOBOXEDIT) state.Include(odComboBoxEdit);
  TRect rect = Rect(Item.rcItem.left, Item.rcItem.top, Item.rcItem.right, Item.rcItem.bottom);
  Canvas->SetHandle(Item.hDC);
  TFinally release([Canvas] { Canvas->SetHandle(nullptr); });
  Canvas->GetFont()->Assign(Control->GetFont());
  Canvas->GetBrush()->SetStyle(bsSolid);
  if (state.Contains(odSelected)) {
    Canvas->GetBrush()->SetColor(clHighlight);
    Canvas->GetFont()->SetColor(clHighlightText);
  } else {
    Canvas->GetBrush()->SetColor(Control->GetColor());
  }
  Draw(static_cast<int>(Item.itemID), rect, state);
  if (state.Contains(odFocused)) DrawFocusRect(Item.hDC, &Item.rcItem);
}

}  // namespace

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
    case CM_DIALOGCHAR:
      if (IsAccel(Message.WParam, GetCaption()) && CanFocus()) {
        Click();
        Message.Result = 1;
      }
      return;
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
  return DrawTextBiDiModeFlags(flags);
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

void TLabel::SetLayout(TTextLayout Value) {
  if (Value == FLayout) return;
  FLayout = Value;
  Invalidate();
}

void TLabel::SetFocusControl(TWinControl* Value) {
  if (Value == FFocusControl) return;
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
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
  if (FLayout != tlTop) {
    RECT calc = r;
    DrawTextW(dc, text.empty() ? L" " : text.c_str(), text.empty() ? 1 : static_cast<int>(text.size()), &calc,
              TextFlags() | DT_CALCRECT);
    int free = (r.bottom - r.top) - (calc.bottom - calc.top);
    r.top += FLayout == tlCenter ? free / 2 : free;
  }
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
    case CM_DIALOGCHAR:
      // Alt with the label's letter: its control takes the focus.
      if (FFocusControl && GetEnabled() && FShowAccelChar && IsAccel(Message.WParam, GetCaption()) &&
          FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        Message.Result = 1;
      }
      return;
    case CM_BIDIMODECHANGED:
      Invalidate();
      break;
  }
  TGraphicControl::Dispatch(Message);
}

// ---- TCustomEdit ----

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle({csClickEvents, csSetCaption, csDoubleClicks});
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "EDIT");
  Params.Style |= ES_AUTOHSCROLL | ES_LEFT;
  if (FReadOnly) Params.Style |= ES_READONLY;
  if (FPasswordChar) Params.Style |= ES_PASSWORD;
  if (FCharCase == ecUpperCase) Params.Style |= ES_UPPERCASE;
  if (FCharCase == ecLowerCase) Params.Style |= ES_LOWERCASE;
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  HWND window = GetHandle();
  SendMessageW(window, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  if (FPasswordChar) SendMessageW(window, EM_SETPASSWORDCHAR, static_cast<unsigned char>(FPasswordChar), 0);
  SendMessageW(window, EM_SETMODIFY, FModified, 0);
  FLastText = GetText();
}

void TCustomEdit::Loaded() {
  TWinControl::Loaded();
  FLastText = GetText();
}

void TCustomEdit::SetMaxLength(int Value) {
  if (Value < 0 || Value == FMaxLength) return;
  FMaxLength = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), EM_LIMITTEXT, static_cast<WPARAM>(Value), 0);
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), EM_SETREADONLY, Value, 0);
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (Value == FCharCase) return;
  FCharCase = Value;
  // The window takes the case style only when made; the text it holds is kept.
  if (HandleAllocated()) RecreateWnd();
}

void TCustomEdit::SetPasswordChar(char Value) {
  if (Value == FPasswordChar) return;
  FPasswordChar = Value;
  if (HandleAllocated()) {
    SendMessageW(GetHandle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(Value), 0);
    Invalidate();
  }
}

void TCustomEdit::GetSel(int& Start, int& End) {
  DWORD s = 0, e = 0;
  if (HandleAllocated()) SendMessageW(GetHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  Start = static_cast<int>(s);
  End = static_cast<int>(e);
}

int TCustomEdit::GetSelStart() {
  int start, end;
  GetSel(start, end);
  return start;
}

void TCustomEdit::SetSelStart(int Value) {
  if (HandleAllocated()) SendMessageW(GetHandle(), EM_SETSEL, static_cast<WPARAM>(Value), Value);
}

int TCustomEdit::GetSelLength() {
  int start, end;
  GetSel(start, end);
  return end - start;
}

void TCustomEdit::SetSelLength(int Value) {
  int start = GetSelStart();
  if (HandleAllocated()) SendMessageW(GetHandle(), EM_SETSEL, static_cast<WPARAM>(start), start + Value);
}

String TCustomEdit::GetSelText() {
  int start, end;
  GetSel(start, end);
  std::wstring text = Utf8ToWide(GetText());
  if (start >= end || static_cast<size_t>(start) >= text.size()) return "";
  return WideToUtf8(text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) SendMessageW(GetHandle(), EM_SETSEL, 0, -1);
}

bool TCustomEdit::GetModified() {
  return HandleAllocated() ? SendMessageW(GetHandle(), EM_GETMODIFY, 0, 0) != 0 : FModified;
}

void TCustomEdit::SetModified(bool Value) {
  FModified = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), EM_SETMODIFY, Value, 0);
}

void TCustomEdit::DoEnter() {
  // A click places the caret where it is; the keyboard selects the whole text.
  if (FAutoSelect && !GetControlState().Contains(csLButtonDown)) SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::TextMaybeChanged() {
  String text = GetText();
  if (text == FLastText) return;
  FLastText = text;
  if (!ComponentState().Contains(csLoading)) Change();
}

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == EN_CHANGE) TextMaybeChanged();
      return;
    case CM_TEXTCHANGED:
      TextMaybeChanged();  // set in code while there is no window
      return;
    case WM_DESTROY:
      FModified = SendMessageW(GetHandle(), EM_GETMODIFY, 0, 0) != 0;
      break;
  }
  TWinControl::Dispatch(Message);
}

// ---- TCustomMemo ----

namespace classlib::detail {

// The lines of a memo, read from and written to its text. Between BeginUpdate and
// EndUpdate the changes collect here and reach the text once.
class TMemoLines : public TStrings {
 public:
  explicit TMemoLines(TCustomMemo* Memo) : FMemo(Memo) {}

  String Get(int Index) const override {
    std::vector<String> lines = Lines();
    if (Index < 0 || Index >= static_cast<int>(lines.size())) ListIndexError(Index);
    return lines[static_cast<size_t>(Index)];
  }
  int GetCount() const override { return static_cast<int>(Lines().size()); }
  void Put(int Index, const String& S) override {
    Change([&](std::vector<String>& lines) { lines[Checked(lines, Index)] = S; });
  }
  void Insert(int Index, const String& S) override {
    Change([&](std::vector<String>& lines) {
      if (Index < 0 || Index > static_cast<int>(lines.size())) ListIndexError(Index);
      lines.insert(lines.begin() + Index, S);
    });
  }
  void Delete(int Index) override {
    Change([&](std::vector<String>& lines) { lines.erase(lines.begin() + static_cast<long>(Checked(lines, Index))); });
  }
  void Clear() override {
    Change([](std::vector<String>& lines) { lines.clear(); });
  }
  String GetText() const override {
    if (FUpdating) return TStrings::GetText();
    String text = FMemo->GetText();
    if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += "\r\n";
    return text;
  }
  void SetText(const String& Value) override {
    if (FUpdating) return TStrings::SetText(Value);
    Write(Split(Value));
  }

 protected:
  void SetUpdateState(bool Updating) override {
    if (Updating) {
      FPending = Lines();
      FUpdating = true;
    } else {
      FUpdating = false;
      Write(FPending);
      FPending.clear();
    }
  }

 private:
  static size_t Checked(const std::vector<String>& Lines, int Index) {
    if (Index < 0 || Index >= static_cast<int>(Lines.size())) ListIndexError(Index);
    return static_cast<size_t>(Index);
  }
  // Lines end at CRLF, LF or CR; a break at the very end starts no line of its own.
  static std::vector<String> Split(const String& Text) {
    std::vector<String> lines;
    size_t start = 0;
    while (start < Text.size()) {
      size_t end = Text.find_first_of("\r\n", start);
      if (end == String::npos) {
        lines.push_back(Text.substr(start));
        break;
      }
      lines.push_back(Text.substr(start, end - start));
      start = end + (Text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
  }
  std::vector<String> Lines() const { return FUpdating ? FPending : Split(FMemo->GetText()); }
  void Write(const std::vector<String>& Lines) {
    String text;
    for (size_t i = 0; i < Lines.size(); ++i) {
      if (i) text += "\r\n";
      text += Lines[i];
    }
    FMemo->SetText(text);
  }
  template <class F>
  void Change(F&& Step) {
    if (FUpdating) return Step(FPending);
    std::vector<String> lines = Lines();
    Step(lines);
    Write(lines);
  }

  TCustomMemo* FMemo;
  bool FUpdating = false;
  std::vector<String> FPending;
};

}  // namespace classlib::detail

using classlib::detail::TMemoLines;

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(std::make_unique<TMemoLines>(this)) {
  SetBounds(0, 0, 185, 89);
  SetAutoSelect(false);
}

TCustomMemo::~TCustomMemo() = default;

TStrings* TCustomMemo::GetLines() const { return FLines.get(); }

void TCustomMemo::SetLines(TStrings* Value) { FLines->Assign(Value); }

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (Value == FScrollBars) return;
  FScrollBars = Value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  RecreateWnd();
}

void TCustomMemo::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  RecreateWnd();
}

void TCustomMemo::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  static const DWORD alignments[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
  static const DWORD scrollBars[] = {0, WS_HSCROLL, WS_VSCROLL, WS_HSCROLL | WS_VSCROLL};
  Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  // Without automatic scrolling the box would refuse lines beyond its height.
  Params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | alignments[FAlignment] | scrollBars[FScrollBars];
  if (!FWordWrap) Params.Style |= ES_AUTOHSCROLL;
}

void TCustomMemo::KeyPress(wchar_t& Key) {
  TCustomEdit::KeyPress(Key);
  if (Key == L'\r' && !FWantReturns) Key = 0;
}

void TCustomMemo::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    TCustomEdit::Dispatch(Message);
    if (FWantTabs) Message.Result |= DLGC_WANTTAB;
    else Message.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
    if (!FWantReturns) Message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
    return;
  }
  TCustomEdit::Dispatch(Message);
}

// ---- TCustomCheckBox ----

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle({csSetCaption, csDoubleClicks});
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
}

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  // The control keeps the state itself: the window never changes it on its own.
  Params.Style |= BS_3STATE;
  if (FAlignment == taLeftJustify) Params.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageW(GetHandle(), BM_SETCHECK, static_cast<WPARAM>(FState), 0);
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (Value == FState) return;
  FState = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), BM_SETCHECK, static_cast<WPARAM>(Value), 0);
  if (!ComponentState().Contains(csLoading)) Click();
}

void TCustomCheckBox::SetAlignment(TAlignment Value) {
  if (Value == taCenter || Value == FAlignment) return;
  FAlignment = Value;
  RecreateWnd();
}

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked: SetState(cbChecked); break;
    case cbChecked: SetState(FAllowGrayed ? cbGrayed : cbUnchecked); break;
    case cbGrayed: SetState(cbUnchecked); break;
  }
}

void TCustomCheckBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(Message.WParam, GetCaption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
      }
      return;
  }
  TWinControl::Dispatch(Message);
}

// ---- TRadioButton ----

TRadioButton::TRadioButton(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle({csSetCaption, csDoubleClicks});
  SetBounds(0, 0, 113, 17);
}

void TRadioButton::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  // The control keeps the state itself and unchecks the others.
  Params.Style |= BS_RADIOBUTTON;
  if (FAlignment == taLeftJustify) Params.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageW(GetHandle(), BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  SetTabStop(Value);
  if (HandleAllocated()) SendMessageW(GetHandle(), BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!Value) return;
  if (TWinControl* parent = GetParent())
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i)); other && other != this)
        other->SetChecked(false);
  if (!ComponentState().Contains(csLoading)) Click();
}

void TRadioButton::SetAlignment(TAlignment Value) {
  if (Value == taCenter || Value == FAlignment) return;
  FAlignment = Value;
  RecreateWnd();
}

void TRadioButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      // A click, or the focus arriving from the keyboard.
      if (HIWORD(Message.WParam) == BN_CLICKED) SetChecked(true);
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(Message.WParam, GetCaption()) && CanFocus()) {
        SetFocus();
        if (Focused()) SetChecked(true);
        Message.Result = 1;
      }
      return;
  }
  TWinControl::Dispatch(Message);
}

// ---- TCustomGroupBox ----

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csReplicatable});
  SetBounds(0, 0, 185, 105);
}

int TCustomGroupBox::CaptionHeight() { return FontLineHeight(GetFont()); }

void TCustomGroupBox::AlignControls(TControl* AControl, TRect& Rect) {
  Rect = ::Rect(Rect.Left + 2, Rect.Top + CaptionHeight(), Rect.Right - 2, Rect.Bottom - 2);
  TCustomControl::AlignControls(AControl, Rect);
}

void TCustomGroupBox::Paint() {
  TCanvas* canvas = Canvas();
  canvas->GetFont()->Assign(GetFont());
  HDC dc = canvas->GetHandle();
  int height = CaptionHeight();
  TRect client = ClientRect();
  RECT frame{client.Left, client.Top + height / 2 - 1, client.Right, client.Bottom};
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  std::wstring text = Utf8ToWide(GetCaption());
  if (text.empty()) return;
  // The caption interrupts the frame's top line.
  RECT r{8, 0, 0, height};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_CALCRECT);
  // A blank's room after the text: a substituted face (Wine's for Tahoma) draws a few
  // pixels past its measured width, which the frame line would otherwise cut off.
  SIZE blank{};
  GetTextExtentPoint32W(dc, L" ", 1, &blank);
  r.right = std::min(r.right + blank.cx, static_cast<LONG>(client.Right - 8));
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(GetColor());
  canvas->FillRect(Rect(r.left - 1, r.top, r.right + 1, r.bottom));
  canvas->GetBrush()->SetStyle(bsClear);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(GetEnabled() ? GetFont()->GetColor() : clGrayText) & 0xFFFFFF);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_END_ELLIPSIS);
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR:
      if (IsAccel(Message.WParam, GetCaption()) && CanFocus()) {
        if (TWinControl* first = FindNextControl(nullptr, true, true, false)) first->SetFocus();
        Message.Result = 1;
        return;
      }
      break;  // on to the controls inside
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
      TCustomControl::Dispatch(Message);
      Invalidate();
      return;
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(Message);
      Realign();
      return;
  }
  TCustomControl::Dispatch(Message);
}

// ---- The items of a combo box ----

namespace classlib::detail {

// The strings of a list control: kept here with their objects (and sorted here, in the
// class library's order), mirrored into the window when there is one.
class TListControlItems : public TStrings {
 public:
  struct TMessages {
    UINT Insert, Delete, Reset;
  };
  TListControlItems(TWinControl* Control, TMessages Messages) : FControl(Control), FMessages(Messages) {}

  String Get(int Index) const override { return FItems[Checked(Index)].S; }
  int GetCount() const override { return static_cast<int>(FItems.size()); }
  TObject* GetObject(int Index) const override { return FItems[Checked(Index)].Object; }
  void PutObject(int Index, TObject* AObject) override { FItems[Checked(Index)].Object = AObject; }
  void Put(int Index, const String& S) override {
    if (FSorted) throw EListError("Operation not allowed on sorted list");
    TObject* object = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, object);
  }
  void Clear() override {
    FItems.clear();
    if (HWND w = Window()) SendMessageW(w, FMessages.Reset, 0, 0);
    if (OnChanged) OnChanged();
  }
  void Delete(int Index) override {
    FItems.erase(FItems.begin() + Checked(Index));
    if (HWND w = Window()) SendMessageW(w, FMessages.Delete, static_cast<WPARAM>(Index), 0);
    if (OnShift) OnShift(Index, -1);
  }
  void Insert(int Index, const String& S) override { InsertObject(Index, S, nullptr); }
  void InsertObject(int Index, const String& S, TObject* AObject) override {
    if (FSorted) throw EListError("Operation not allowed on sorted list");
    InsertItem(Index, S, AObject);
  }
  int AddObject(const String& S, TObject* AObject) override {
    int index = Count();
    if (FSorted) {
      // After the equal ones: items that compare alike keep the order they came in.
      auto it = std::upper_bound(FItems.begin(), FItems.end(), S, [](const String& s, const TItem& item) {
        return CompareStrings(s, item.S, false) < 0;
      });
      index = static_cast<int>(it - FItems.begin());
    }
    InsertItem(index, S, AObject);
    return index;
  }

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value) {
    if (Value == FSorted) return;
    FSorted = Value;
    if (!Value) return;
    std::stable_sort(FItems.begin(), FItems.end(),
                     [](const TItem& a, const TItem& b) { return CompareStrings(a.S, b.S, false) < 0; });
    if (HWND w = Window()) FillWindow(w);
    if (OnChanged) OnChanged();
  }

  void FillWindow(HWND W) {
    SendMessageW(W, FMessages.Reset, 0, 0);
    for (size_t i = 0; i < FItems.size(); ++i)
      SendMessageW(W, FMessages.Insert, i, reinterpret_cast<LPARAM>(Utf8ToWide(FItems[i].S).c_str()));
  }

  // An item came (+1) or went (-1) at Index; the list was cleared or reordered.
  std::function<void(int Index, int Delta)> OnShift;
  std::function<void()> OnChanged;

 private:
  struct TItem {
    String S;
    TObject* Object;
  };
  size_t Checked(int Index) const {
    if (Index < 0 || Index >= Count()) ListIndexError(Index);
    return static_cast<size_t>(Index);
  }
  HWND Window() const { return FControl->HandleAllocated() ? FControl->GetHandle() : nullptr; }
  void InsertItem(int Index, const String& S, TObject* AObject) {
    if (Index < 0 || Index > Count()) ListIndexError(Index);
    FItems.insert(FItems.begin() + Index, TItem{S, AObject});
    if (HWND w = Window())
      SendMessageW(w, FMessages.Insert, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(Utf8ToWide(S).c_str()));
    if (OnShift) OnShift(Index, +1);
  }

  TWinControl* FControl;
  TMessages FMessages;
  std::vector<TItem> FItems;
  bool FSorted = false;
};

}  // namespace classlib::detail

using classlib::detail::TListControlItems;

// ---- TCustomListControl ----

TCustomListControl::TCustomListControl(TComponent* AOwner, UINT InsertMessage, UINT DeleteMessage, UINT ResetMessage)
    : TWinControl(AOwner),
      FItems(std::make_unique<TListControlItems>(this,
                                                 TListControlItems::TMessages{InsertMessage, DeleteMessage, ResetMessage})),
      FCanvas(std::make_unique<TCanvas>()) {
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  // A window keeps its selection following the items itself.
  FItems->OnShift = [this](int Index, int Delta) {
    if (!HandleAllocated()) ItemsShifted(Index, Delta);
  };
  FItems->OnChanged = [this] {
    if (!HandleAllocated()) ItemsChanged();
  };
}

TCustomListControl::~TCustomListControl() = default;

TStrings* TCustomListControl::GetItems() const { return FItems.get(); }

void TCustomListControl::SetItems(TStrings* Value) { FItems->Assign(Value); }

bool TCustomListControl::GetSorted() const { return FItems->Sorted(); }

int TCustomListControl::SortItems(bool Value, int Index) {
  // The item at Index is found again by its text and object where sorting puts it.
  String selected = Index >= 0 && Index < FItems->Count() ? FItems->Get(Index) : String();
  TObject* object = Index >= 0 && Index < FItems->Count() ? FItems->GetObject(Index) : nullptr;
  FItems->SetSorted(Value);
  if (Index < 0) return -1;
  for (int i = 0; i < FItems->Count(); ++i)
    if (FItems->Get(i) == selected && FItems->GetObject(i) == object) return i;
  return -1;
}

void TCustomListControl::ItemsShifted(int Index, int Delta) {
  if (FItemIndex < 0) return;
  if (Delta < 0 && Index == FItemIndex) FItemIndex = -1;
  else if (Index <= FItemIndex) FItemIndex += Delta;
}

void TCustomListControl::ItemsChanged() {
  if (FItemIndex >= FItems->Count()) FItemIndex = -1;
}

void TCustomListControl::CreateWnd() {
  TWinControl::CreateWnd();
  FItems->FillWindow(GetHandle());
}

void TCustomListControl::MeasureItem(int Index, int& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomListControl::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index >= 0 && Index < FItems->Count()) FCanvas->TextOut(Rect.Left + 2, Rect.Top, FItems->Get(Index));
}

void TCustomListControl::MeasureItemMessage(TMessage& Message, int Height, bool Variable) {
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  // itemID -1: a combo box's edit, which is no item.
  if (Variable && mis->itemID != static_cast<UINT>(-1)) MeasureItem(static_cast<int>(mis->itemID), Height);
  mis->itemHeight = static_cast<UINT>(std::max(Height, 1));
  Message.Result = 1;
}

void TCustomListControl::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_DRAWITEM) {
    OwnerDrawItem(this, FCanvas.get(), *reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam),
                  [this](int Index, TRect Rect, TOwnerDrawState State) { DrawItem(Index, Rect, State); });
    Message.Result = 1;
    return;
  }
  TWinControl::Dispatch(Message);
}

// ---- TCustomComboBox ----

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TCustomListControl(AOwner, CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT) {
  SetControlStyle({csSetCaption, csDoubleClicks, csFixedHeight});
  SetBounds(0, 0, 145, 21);
}

void TCustomComboBox::SetSorted(bool Value) {
  // The selected item stays selected where sorting puts it.
  int index = SortItems(Value, GetItemIndex());
  if (index >= 0) SetItemIndex(index);
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  RecreateWnd();
}

int TCustomComboBox::GetItemIndex() {
  if (HandleAllocated()) return static_cast<int>(SendMessageW(GetHandle(), CB_GETCURSEL, 0, 0));
  return FItemIndex;
}

void TCustomComboBox::SetItemIndex(int Value) {
  if (Value < 0 || Value >= FItems->Count()) Value = -1;  // beyond the list: nothing selected
  FItemIndex = Value;
  if (HandleAllocated()) {
    FSettingText = true;
    SendMessageW(GetHandle(), CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
    FSettingText = false;
  } else if (!IsListStyle()) {
    TControl::SetTextValue(Value >= 0 ? FItems->Get(Value) : String());
  }
}

String TCustomComboBox::GetText() {
  if (IsListStyle()) {
    int index = GetItemIndex();
    return index >= 0 && index < FItems->Count() ? FItems->Get(index) : String();
  }
  return TWinControl::GetText();
}

void TCustomComboBox::SetTextValue(const String& Value) {
  if (IsListStyle()) {
    // A list shows only its items: the text picks one.
    SetItemIndex(FItems->IndexOf(Value));
    return;
  }
  FSettingText = true;
  TFinally done([this] { FSettingText = false; });
  TWinControl::SetTextValue(Value);
}

void TCustomComboBox::Clear() {
  FItems->Clear();
  SetItemIndex(-1);
  if (!IsListStyle()) SetText("");
}

void TCustomComboBox::SetDropDownCount(int Value) {
  if (Value < 1 || Value == FDropDownCount) return;
  FDropDownCount = Value;
  if (HandleAllocated()) {
    SendMessageW(GetHandle(), CB_SETMINVISIBLE, static_cast<WPARAM>(Value), 0);
    SetBounds(GetLeft(), GetTop(), GetWidth(), GetHeight());
  }
}

int TCustomComboBox::FontItemHeight() const { return FontLineHeight(GetFont()); }

int TCustomComboBox::GetItemHeight() const { return FItemHeight > 0 ? FItemHeight : FontItemHeight(); }

void TCustomComboBox::SetItemHeight(int Value) {
  if (Value < 0 || Value == FItemHeight) return;
  FItemHeight = Value;
  if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) RecreateWnd();
}

void TCustomComboBox::SetMaxLength(int Value) {
  if (Value < 0 || Value == FMaxLength) return;
  FMaxLength = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), CB_LIMITTEXT, static_cast<WPARAM>(Value), 0);
}

bool TCustomComboBox::GetDroppedDown() {
  return HandleAllocated() && SendMessageW(GetHandle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool Value) {
  if (HandleAllocated()) SendMessageW(GetHandle(), CB_SHOWDROPDOWN, Value, 0);
}

int TCustomComboBox::ListHeight() const {
  return FStyle == csSimple ? 0 : GetItemHeight() * FDropDownCount + 2;
}

void TCustomComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  // The window's height includes the open list; the control's is the closed box's, which
  // the window reports back.
  if (HandleAllocated() && FStyle != csSimple) TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight + ListHeight());
  else TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "COMBOBOX");
  static const DWORD styles[] = {
      CBS_DROPDOWN | CBS_AUTOHSCROLL,
      CBS_SIMPLE | CBS_AUTOHSCROLL,
      CBS_DROPDOWNLIST,
      CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
      CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS,
  };
  Params.Style |= WS_VSCROLL | styles[FStyle];
  Params.Height += ListHeight();
  Params.Caption.clear();  // the text is set once the items are in
}

void TCustomComboBox::CreateWnd() {
  String text = TextValue();
  TCustomListControl::CreateWnd();
  HWND window = GetHandle();
  SendMessageW(window, CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  SendMessageW(window, CB_SETMINVISIBLE, static_cast<WPARAM>(FDropDownCount), 0);
  FSettingText = true;
  SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
  if (!IsListStyle() && FItemIndex < 0) SetWindowTextW(window, Utf8ToWide(text).c_str());
  FSettingText = false;
}

void TCustomComboBox::DestroyWnd() {
  FItemIndex = GetItemIndex();
  TCustomListControl::DestroyWnd();
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case CBN_SELCHANGE: {
          // The user picked an item: an edit shows it before anyone asks.
          int index = GetItemIndex();
          if (!IsListStyle() && index >= 0) {
            FSettingText = true;
            SetWindowTextW(GetHandle(), Utf8ToWide(FItems->Get(index)).c_str());
            FSettingText = false;
          }
          Click();
          Change();
          break;
        }
        case CBN_EDITCHANGE:
          if (!FSettingText) Change();
          break;
        case CBN_DROPDOWN:
          if (OnDropDown) OnDropDown(this);
          break;
        case CBN_CLOSEUP:
          if (OnCloseUp) OnCloseUp(this);
          break;
      }
      return;
    case CN_MEASUREITEM:
      MeasureItemMessage(Message, GetItemHeight(), FStyle == csOwnerDrawVariable);
      return;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      // The box's own edit and list take its colours.
      auto dc = reinterpret_cast<HDC>(Message.WParam);
      SetTextColor(dc, ColorToRGB(GetFont()->GetColor()) & 0xFFFFFF);
      SetBkColor(dc, ColorToRGB(GetColor()) & 0xFFFFFF);
      Message.Result = reinterpret_cast<LRESULT>(Brush()->GetHandle());
      return;
    }
  }
  TCustomListControl::Dispatch(Message);
}

// ---- TCustomListBox ----

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TCustomListControl(AOwner, LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT) {
  // The window tells clicks and double clicks itself (LBN_SELCHANGE, LBN_DBLCLK).
  SetControlStyle({csSetCaption});
  SetBounds(0, 0, 121, 97);
}

void TCustomListBox::ItemsShifted(int Index, int Delta) {
  if (FMultiSelect && Index <= static_cast<int>(FSelection.size())) {
    if (Delta > 0) FSelection.insert(FSelection.begin() + Index, false);
    else if (Index < static_cast<int>(FSelection.size())) FSelection.erase(FSelection.begin() + Index);
  }
  TCustomListControl::ItemsShifted(Index, Delta);
}

void TCustomListBox::ItemsChanged() {
  FSelection.clear();
  TCustomListControl::ItemsChanged();
}

void TCustomListBox::SetSorted(bool Value) {
  // The selected item stays selected where sorting puts it (a multiple selection is not
  // kept).
  int index = SortItems(Value, FMultiSelect ? -1 : GetItemIndex());
  if (index >= 0) SetItemIndex(index);
}

int TCustomListBox::GetItemIndex() {
  if (!HandleAllocated()) return FItemIndex;
  auto index = static_cast<int>(SendMessageW(GetHandle(), FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
  return index < FItems->Count() ? index : -1;
}

void TCustomListBox::SetItemIndex(int Value) {
  if (Value < 0 || Value >= FItems->Count()) Value = -1;  // beyond the list: nothing selected
  FItemIndex = Value;
  if (!HandleAllocated()) return;
  if (FMultiSelect) SendMessageW(GetHandle(), LB_SETCARETINDEX, static_cast<WPARAM>(Value), FALSE);
  else SendMessageW(GetHandle(), LB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

bool TCustomListBox::GetSelected(int Index) {
  if (Index < 0 || Index >= FItems->Count()) ListIndexError(Index);
  if (HandleAllocated()) return SendMessageW(GetHandle(), LB_GETSEL, static_cast<WPARAM>(Index), 0) > 0;
  if (!FMultiSelect) return FItemIndex == Index;
  return Index < static_cast<int>(FSelection.size()) && FSelection[static_cast<size_t>(Index)];
}

void TCustomListBox::SetSelected(int Index, bool Value) {
  if (Index < 0 || Index >= FItems->Count()) ListIndexError(Index);
  if (!FMultiSelect) {
    if (Value) SetItemIndex(Index);
    else if (GetItemIndex() == Index) SetItemIndex(-1);
    return;
  }
  if (HandleAllocated()) {
    SendMessageW(GetHandle(), LB_SETSEL, Value, Index);
    return;
  }
  FSelection.resize(static_cast<size_t>(FItems->Count()), false);
  FSelection[static_cast<size_t>(Index)] = Value;
}

int TCustomListBox::SelCount() {
  if (!FMultiSelect) return GetItemIndex() >= 0 ? 1 : 0;
  if (HandleAllocated()) return static_cast<int>(SendMessageW(GetHandle(), LB_GETSELCOUNT, 0, 0));
  return static_cast<int>(std::count(FSelection.begin(), FSelection.end(), true));
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (Value == FMultiSelect) return;
  FMultiSelect = Value;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (Value == FExtendedSelect) return;
  FExtendedSelect = Value;
  RecreateWnd();
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  RecreateWnd();
}

int TCustomListBox::GetItemHeight() {
  if (HandleAllocated() && FStyle == lbStandard)
    return static_cast<int>(SendMessageW(GetHandle(), LB_GETITEMHEIGHT, 0, 0));
  return FStyle == lbStandard ? FontLineHeight(GetFont()) : FItemHeight;
}

void TCustomListBox::SetItemHeight(int Value) {
  if (Value < 1 || Value == FItemHeight) return;
  FItemHeight = Value;
  if (FStyle != lbStandard) RecreateWnd();
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (Value == FIntegralHeight) return;
  FIntegralHeight = Value;
  RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateWnd();
}

int TCustomListBox::GetTopIndex() {
  return HandleAllocated() ? static_cast<int>(SendMessageW(GetHandle(), LB_GETTOPINDEX, 0, 0)) : FTopIndex;
}

void TCustomListBox::SetTopIndex(int Value) {
  FTopIndex = std::max(Value, 0);
  if (HandleAllocated()) SendMessageW(GetHandle(), LB_SETTOPINDEX, static_cast<WPARAM>(FTopIndex), 0);
}

TRect TCustomListBox::ItemRect(int Index) {
  int count = FItems->Count();
  RECT r{};
  if (!HandleAllocated() || Index < 0 || Index > count) return Rect(0, 0, 0, 0);
  if (Index < count || Index == 0) {
    SendMessageW(GetHandle(), LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
  } else {
    // One past the last: where a new item would go.
    SendMessageW(GetHandle(), LB_GETITEMRECT, static_cast<WPARAM>(Index - 1), reinterpret_cast<LPARAM>(&r));
    OffsetRect(&r, 0, r.bottom - r.top);
  }
  return Rect(r.left, r.top, r.right, r.bottom);
}

int TCustomListBox::ItemAtPos(TPoint Pos, bool Existing) {
  int count = FItems->Count();
  TRect client = ClientRect();
  for (int i = GetTopIndex(); i < count; ++i) {
    TRect r = ItemRect(i);
    if (r.Top >= client.Bottom) break;
    if (r.Contains(Pos)) return i;
  }
  return Existing ? -1 : count;
}

void TCustomListBox::Clear() {
  FItems->Clear();
  SetItemIndex(-1);
}

void TCustomListBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "LISTBOX");
  static const DWORD styles[] = {0, LBS_OWNERDRAWFIXED, LBS_OWNERDRAWVARIABLE};
  Params.Style |= WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | styles[FStyle];
  if (FMultiSelect) Params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (!FIntegralHeight) Params.Style |= LBS_NOINTEGRALHEIGHT;
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
  Params.Caption.clear();
}

void TCustomListBox::CreateWnd() {
  TCustomListControl::CreateWnd();
  HWND window = GetHandle();
  if (FMultiSelect) {
    for (size_t i = 0; i < FSelection.size() && i < static_cast<size_t>(FItems->Count()); ++i)
      if (FSelection[i]) SendMessageW(window, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
    SendMessageW(window, LB_SETCARETINDEX, static_cast<WPARAM>(FItemIndex), FALSE);
  } else {
    SendMessageW(window, LB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
  }
  SendMessageW(window, LB_SETTOPINDEX, static_cast<WPARAM>(FTopIndex), 0);
  FSelection.clear();
}

void TCustomListBox::DestroyWnd() {
  FItemIndex = GetItemIndex();
  FTopIndex = GetTopIndex();
  FSelection.clear();
  if (FMultiSelect)
    for (int i = 0; i < FItems->Count(); ++i) FSelection.push_back(GetSelected(i));
  TCustomListControl::DestroyWnd();
}

void TCustomListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case LBN_SELCHANGE: Click(); break;
        case LBN_DBLCLK: DblClick(); break;
      }
      return;
    case CN_MEASUREITEM:
      MeasureItemMessage(Message, FItemHeight, FStyle == lbOwnerDrawVariable);
      return;
  }
  TCustomListControl::Dispatch(Message);
}
