#include "classlib/windows/spin.h"

#include <algorithm>

#include "classlib/windows/comctrls.h"
#include "classlib/core/text.h"

#include <commctrl.h>

HX_PUBLISH(TSpinEdit, p) {
  p.Property("AutoSelect", &TSpinEdit::GetAutoSelect, &TSpinEdit::SetAutoSelect).Default(true);
  p.Property("Color", &TSpinEdit::GetColor, &TSpinEdit::SetColor).Default(clWindow);
  p.Property("EditorEnabled", &TSpinEdit::GetEditorEnabled, &TSpinEdit::SetEditorEnabled).Default(true);
  p.Property("Enabled", &TSpinEdit::GetEnabled, &TSpinEdit::SetEnabled).Default(true);
  p.Property("Font", &TSpinEdit::GetFont, &TSpinEdit::SetFont).Stored(&TSpinEdit::IsFontStored);
  p.Property("Increment", &TSpinEdit::GetIncrement, &TSpinEdit::SetIncrement).Default(1);
  p.Property("MaxLength", &TSpinEdit::GetMaxLength, &TSpinEdit::SetMaxLength).Default(0);
  p.Property("MaxValue", &TSpinEdit::GetMaxValue, &TSpinEdit::SetMaxValue).Default(0);
  p.Property("MinValue", &TSpinEdit::GetMinValue, &TSpinEdit::SetMinValue).Default(0);
  p.Property("ParentColor", &TSpinEdit::GetParentColor, &TSpinEdit::SetParentColor).Default(false);
  p.Property("ParentFont", &TSpinEdit::GetParentFont, &TSpinEdit::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TSpinEdit::GetParentShowHint, &TSpinEdit::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TSpinEdit::GetPopupMenu, &TSpinEdit::SetPopupMenu);
  p.Property("ReadOnly", &TSpinEdit::GetReadOnly, &TSpinEdit::SetReadOnly).Default(false);
  p.Property("ShowHint", &TSpinEdit::GetShowHint, &TSpinEdit::SetShowHint).Default(false);
  p.Property("TabOrder", &TSpinEdit::GetTabOrder, &TSpinEdit::SetTabOrder);
  p.Property("TabStop", &TSpinEdit::GetTabStop, &TSpinEdit::SetTabStop).Default(true);
  p.Property("Value", &TSpinEdit::GetValue, &TSpinEdit::SetValue).Default(0);  // after the bounds
  p.Property("Visible", &TSpinEdit::GetVisible, &TSpinEdit::SetVisible).Default(true);
  p.Event("OnChange", &TSpinEdit::OnChange);
  p.Event("OnClick", &TSpinEdit::OnClick);
  p.Event("OnEnter", &TSpinEdit::OnEnter);
  p.Event("OnExit", &TSpinEdit::OnExit);
  p.Event("OnKeyDown", &TSpinEdit::OnKeyDown);
  p.Event("OnKeyPress", &TSpinEdit::OnKeyPress);
  p.Event("OnKeyUp", &TSpinEdit::OnKeyUp);
}

namespace {
constexpr int kArrowsWidth = 15;
}

TSpinEdit::TSpinEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetBounds(0, 0, 121, 21);
  SetText("0");
}

int TSpinEdit::CheckValue(int Value) const {
  if (FMaxValue != FMinValue) return std::clamp(Value, std::min(FMinValue, FMaxValue), std::max(FMinValue, FMaxValue));
  return Value;
}

int TSpinEdit::GetValue() { return StrToIntDef(Trim(GetText()), FMinValue); }

void TSpinEdit::SetValue(int Value) {
  // While the form is read the bounds may come later; Loaded checks again.
  if (!ComponentState().Contains(csLoading)) Value = CheckValue(Value);
  SetText(IntToStr(Value));
}

void TSpinEdit::SetMinValue(int Value) {
  FMinValue = Value;
  if (!ComponentState().Contains(csLoading) && GetValue() != CheckValue(GetValue())) SetValue(GetValue());
}

void TSpinEdit::SetMaxValue(int Value) {
  FMaxValue = Value;
  if (!ComponentState().Contains(csLoading) && GetValue() != CheckValue(GetValue())) SetValue(GetValue());
}

void TSpinEdit::Step(bool Up) {
  if (GetReadOnly()) {
    MessageBeep(0);
    return;
  }
  // Far beyond the int range the step stops at its end.
  long long next = static_cast<long long>(GetValue()) + (Up ? FIncrement : -FIncrement);
  SetValue(static_cast<int>(std::clamp<long long>(next, INT32_MIN, INT32_MAX)));
}

void TSpinEdit::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses(ICC_UPDOWN_CLASS);
  TCustomEdit::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

void TSpinEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  FUpDown = CreateWindowExW(0, UPDOWN_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, kArrowsWidth, 10, GetHandle(),
                            nullptr, GetModuleHandleW(nullptr), nullptr);
  // Its own position stays in the middle of a range it never reaches: we count.
  SendMessageW(FUpDown, UDM_SETRANGE32, 0, 100);
  SendMessageW(FUpDown, UDM_SETPOS32, 0, 50);
  SendMessageW(GetHandle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, kArrowsWidth + 1));
  PlaceUpDown();
}

void TSpinEdit::DestroyWnd() {
  FUpDown = nullptr;  // goes with the edit's window
  TCustomEdit::DestroyWnd();
}

void TSpinEdit::PlaceUpDown() {
  if (!FUpDown) return;
  RECT client;
  GetClientRect(GetHandle(), &client);
  SetWindowPos(FUpDown, nullptr, client.right - kArrowsWidth, 0, kArrowsWidth, client.bottom,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSpinEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_UP || Key == VK_DOWN) {
    Step(Key == VK_UP);
    Key = 0;
    return;
  }
  TCustomEdit::KeyDown(Key, Shift);
}

void TSpinEdit::KeyPress(wchar_t& Key) {
  // Digits and a minus sign; control characters (Backspace, Ctrl+C ...) pass.
  bool allowed = Key < L' ' || (FEditorEnabled && ((Key >= L'0' && Key <= L'9') || Key == L'-'));
  if (!allowed) {
    Key = 0;
    MessageBeep(0);
    return;
  }
  if (!FEditorEnabled && Key != 0 && Key != L'\t' && Key != L'\r' && Key != 27) Key = 0;
  TCustomEdit::KeyPress(Key);
}

void TSpinEdit::Loaded() {
  TCustomEdit::Loaded();
  int value = GetValue();
  if (CheckValue(value) != value) SetValue(value);
}

void TSpinEdit::DoExit() {
  // What was typed comes back within the bounds (and as a number) on leaving.
  int value = GetValue();
  if (CheckValue(value) != value || IntToStr(value) != Trim(GetText())) SetValue(value);
  TCustomEdit::DoExit();
}

void TSpinEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
      if (FUpDown && header->hwndFrom == FUpDown && header->code == UDN_DELTAPOS) {
        auto* change = reinterpret_cast<NMUPDOWN*>(Message.LParam);
        if (change->iDelta != 0) Step(change->iDelta > 0);
        if (CanFocus() && !Focused()) SetFocus();
        Message.Result = 1;  // its own position stays
        return;
      }
      break;
    }
    case WM_SIZE:
      TCustomEdit::Dispatch(Message);
      PlaceUpDown();
      return;
    case WM_PAINT:
      // The edit paints over its child under Wine (after a click or a key): the arrows
      // are drawn again on top.
      TCustomEdit::Dispatch(Message);
      if (FUpDown) RedrawWindow(FUpDown, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      return;
    case WM_ENABLE:
      TCustomEdit::Dispatch(Message);
      if (FUpDown) EnableWindow(FUpDown, Message.WParam != 0);
      return;
  }
  TCustomEdit::Dispatch(Message);
}
