#include "classlib/stdctrls.h"

#include <algorithm>

#include "classlib/forms.h"
#include "classlib/lists.h"
#include "classlib/unicode.h"

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
  Params.ExStyle |= WS_EX_CLIENTEDGE;
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
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
    return;
  }
  TWinControl::Dispatch(Message);
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

// ---- TCustomComboBox ----

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner),
      FItems(std::make_unique<TListControlItems>(this, TListControlItems::TMessages{CB_INSERTSTRING, CB_DELETESTRING,
                                                                                    CB_RESETCONTENT})),
      FCanvas(std::make_unique<TCanvas>()) {
  SetControlStyle({csSetCaption, csDoubleClicks, csFixedHeight});
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  // Without a window the selection follows the items here; a window does it itself.
  FItems->OnShift = [this](int Index, int Delta) {
    if (HandleAllocated() || FItemIndex < 0) return;
    if (Delta < 0 && Index == FItemIndex) FItemIndex = -1;
    else if (Index <= FItemIndex) FItemIndex += Delta;
  };
  FItems->OnChanged = [this] { ItemsChanged(); };
}

TCustomComboBox::~TCustomComboBox() = default;

TStrings* TCustomComboBox::GetItems() const { return FItems.get(); }

void TCustomComboBox::SetItems(TStrings* Value) { FItems->Assign(Value); }

bool TCustomComboBox::GetSorted() const { return FItems->Sorted(); }

void TCustomComboBox::SetSorted(bool Value) {
  // The selected item stays selected where sorting puts it.
  int index = GetItemIndex();
  String selected = index >= 0 ? FItems->Get(index) : String();
  TObject* object = index >= 0 ? FItems->GetObject(index) : nullptr;
  FItems->SetSorted(Value);
  if (index < 0) return;
  for (int i = 0; i < FItems->Count(); ++i)
    if (FItems->Get(i) == selected && FItems->GetObject(i) == object) {
      SetItemIndex(i);
      return;
    }
}

void TCustomComboBox::ItemsChanged() {
  if (HandleAllocated()) return;
  if (FItemIndex >= FItems->Count()) FItemIndex = -1;
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
  try {
    TWinControl::SetTextValue(Value);
  } catch (...) {
    FSettingText = false;
    throw;
  }
  FSettingText = false;
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

int TCustomComboBox::FontItemHeight() const {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetFont()->GetHandle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}

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
  TWinControl::CreateWnd();
  HWND window = GetHandle();
  FItems->FillWindow(window);
  SendMessageW(window, CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
  SendMessageW(window, CB_SETMINVISIBLE, static_cast<WPARAM>(FDropDownCount), 0);
  FSettingText = true;
  SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
  if (!IsListStyle() && FItemIndex < 0) SetWindowTextW(window, Utf8ToWide(text).c_str());
  FSettingText = false;
}

void TCustomComboBox::DestroyWnd() {
  FItemIndex = GetItemIndex();
  TWinControl::DestroyWnd();
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::MeasureItem(int Index, int& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomComboBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index >= 0 && Index < FItems->Count()) FCanvas->TextOut(Rect.Left + 2, Rect.Top, FItems->Get(Index));
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
    case CN_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      int height = GetItemHeight();
      if (FStyle == csOwnerDrawVariable && mis->itemID != static_cast<UINT>(-1))
        MeasureItem(static_cast<int>(mis->itemID), height);
      mis->itemHeight = static_cast<UINT>(std::max(height, 1));
      Message.Result = 1;
      return;
    }
    case CN_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      TOwnerDrawState state;
      if (dis->itemState & ODS_SELECTED) state.Include(odSelected);
      if (dis->itemState & ODS_FOCUS) state.Include(odFocused);
      if (dis->itemState & ODS_DISABLED) state.Include(odDisabled);
      if (dis->itemState & ODS_COMBOBOXEDIT) state.Include(odComboBoxEdit);
      TRect rect = Rect(dis->rcItem.left, dis->rcItem.top, dis->rcItem.right, dis->rcItem.bottom);
      FCanvas->SetHandle(dis->hDC);
      try {
        FCanvas->GetFont()->Assign(GetFont());
        FCanvas->GetBrush()->SetStyle(bsSolid);
        if (state.Contains(odSelected)) {
          FCanvas->GetBrush()->SetColor(clHighlight);
          FCanvas->GetFont()->SetColor(clHighlightText);
        } else {
          FCanvas->GetBrush()->SetColor(GetColor());
        }
        DrawItem(static_cast<int>(dis->itemID), rect, state);
        if (state.Contains(odFocused)) DrawFocusRect(dis->hDC, &dis->rcItem);
      } catch (...) {
        FCanvas->SetHandle(nullptr);
        throw;
      }
      FCanvas->SetHandle(nullptr);
      Message.Result = 1;
      return;
    }
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
  TWinControl::Dispatch(Message);
}
