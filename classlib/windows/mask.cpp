#include "classlib/windows/mask.h"

#include "classlib/core/unicode.h"

HX_PUBLISH(TCustomMaskEdit, p) {}
HX_PUBLISH(TMaskEdit, p) {
  p.Property("EditMask", &TMaskEdit::GetEditMask, &TMaskEdit::SetEditMask).Default("");  // before the text
  p.Property("Align", &TMaskEdit::GetAlign, &TMaskEdit::SetAlign).Default(alNone);
  p.Property("AutoSelect", &TMaskEdit::GetAutoSelect, &TMaskEdit::SetAutoSelect).Default(true);
  p.Property("Color", &TMaskEdit::GetColor, &TMaskEdit::SetColor).Default(clWindow);
  p.Property("Enabled", &TMaskEdit::GetEnabled, &TMaskEdit::SetEnabled).Default(true);
  p.Property("Font", &TMaskEdit::GetFont, &TMaskEdit::SetFont).Stored(&TMaskEdit::IsFontStored);
  p.Property("MaxLength", &TMaskEdit::GetMaxLength, &TMaskEdit::SetMaxLength).Default(0);
  p.Property("ParentColor", &TMaskEdit::GetParentColor, &TMaskEdit::SetParentColor).Default(false);
  p.Property("ParentFont", &TMaskEdit::GetParentFont, &TMaskEdit::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TMaskEdit::GetParentShowHint, &TMaskEdit::SetParentShowHint).Default(true);
  p.Property("PasswordChar", &TMaskEdit::GetPasswordChar, &TMaskEdit::SetPasswordChar).Default('\0');
  p.Property("PopupMenu", &TMaskEdit::GetPopupMenu, &TMaskEdit::SetPopupMenu);
  p.Property("ReadOnly", &TMaskEdit::GetReadOnly, &TMaskEdit::SetReadOnly).Default(false);
  p.Property("ShowHint", &TMaskEdit::GetShowHint, &TMaskEdit::SetShowHint).Default(false);
  p.Property("TabOrder", &TMaskEdit::GetTabOrder, &TMaskEdit::SetTabOrder);
  p.Property("TabStop", &TMaskEdit::GetTabStop, &TMaskEdit::SetTabStop).Default(true);
  p.Property("Text", &TMaskEdit::GetText, &TMaskEdit::SetText).Default("");
  p.Property("Visible", &TMaskEdit::GetVisible, &TMaskEdit::SetVisible).Default(true);
  p.Event("OnChange", &TMaskEdit::OnChange);
  p.Event("OnClick", &TMaskEdit::OnClick);
  p.Event("OnDblClick", &TMaskEdit::OnDblClick);
  p.Event("OnEnter", &TMaskEdit::OnEnter);
  p.Event("OnExit", &TMaskEdit::OnExit);
  p.Event("OnKeyDown", &TMaskEdit::OnKeyDown);
  p.Event("OnKeyPress", &TMaskEdit::OnKeyPress);
  p.Event("OnKeyUp", &TMaskEdit::OnKeyUp);
  p.Event("OnMouseDown", &TMaskEdit::OnMouseDown);
  p.Event("OnMouseMove", &TMaskEdit::OnMouseMove);
  p.Event("OnMouseUp", &TMaskEdit::OnMouseUp);
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const String& Value) {
  if (Value == FEditMaskText) return;
  String value = GetText();
  FEditMaskText = Value;
  FMask = TEditMask(Value);
  SetMaxLength(FMask.IsMasked() ? FMask.Length() : 0);
  SetTextValue(value);  // laid over the new mask (or shown as it is without one)
}

String TCustomMaskEdit::GetEditText() { return TCustomEdit::GetText(); }

void TCustomMaskEdit::SetEditText(const String& Value) {
  TWinControl::SetTextValue(IsMasked() ? FMask.FormatText(FMask.TextOf(Value)) : Value);
  Perform(CM_TEXTCHANGED);
}

String TCustomMaskEdit::GetText() { return FMask.TextOf(GetEditText()); }

void TCustomMaskEdit::SetTextValue(const String& Value) {
  TWinControl::SetTextValue(IsMasked() ? FMask.FormatText(Value) : Value);
}

void TCustomMaskEdit::DestroyWnd() {
  // Kept as shown (the base keeps the value, which the mask does not show).
  String shown = GetEditText();
  TCustomEdit::DestroyWnd();
  TControl::SetTextValue(shown);
}

void TCustomMaskEdit::Change() {
  FValidatePending = true;
  TCustomEdit::Change();
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked() || !FValidatePending) return;
  int fault = FMask.FirstInvalid(GetEditText());
  if (fault < 0) {
    FValidatePending = false;
    return;
  }
  if (CanFocus() && HandleAllocated() && IsWindowVisible(GetHandle())) {
    try {
      SetFocus();
    } catch (const EInvalidOperation&) {
      // The form cannot take the focus now: the error is raised all the same.
    }
  }
  SetSelStart(fault);
  MessageBeep(0);
  throw EDBEditError(kInvalidInputValueText);
}

void TCustomMaskEdit::DoExit() {
  ValidateEdit();
  TCustomEdit::DoExit();
}

void TCustomMaskEdit::Edit(const std::function<void(std::u32string& Text, int& SelStart, int SelLength)>& Step) {
  std::u32string text = Utf8ToUtf32(GetEditText());
  if (static_cast<int>(text.size()) != FMask.Length()) text = Utf8ToUtf32(FMask.FormatText(FMask.TextOf(Utf32ToUtf8(text))));
  int start = GetSelStart(), length = GetSelLength();
  std::u32string before = text;
  Step(text, start, length);
  if (text != before) {
    SetWindowTextW(GetHandle(), Utf8ToWide(Utf32ToUtf8(text)).c_str());  // EN_CHANGE: Change
    SetModified(true);
  }
  SendMessageW(GetHandle(), EM_SETSEL, static_cast<WPARAM>(start), start);
}

void TCustomMaskEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (!IsMasked() || !HandleAllocated()) return;
  if (Key == VK_DELETE && !Shift.Contains(ssShift)) {
    if (!GetReadOnly()) Edit([this](std::u32string& t, int& s, int l) { FMask.Erase(t, s, l, false); });
    Key = 0;
  }
}

void TCustomMaskEdit::KeyPress(wchar_t& Key) {
  TCustomEdit::KeyPress(Key);
  if (!IsMasked() || !HandleAllocated() || Key == 0) return;
  if (Key == L'\b') {
    if (!GetReadOnly()) Edit([this](std::u32string& t, int& s, int l) { FMask.Erase(t, s, l, true); });
    Key = 0;
  } else if (Key == 0x1A) {
    Key = 0;  // no undo: it could bring back a text the mask does not take
  } else if (Key >= L' ') {
    if (!GetReadOnly()) {
      char32_t c = Key;
      bool typed = true;
      Edit([&](std::u32string& t, int& s, int l) { typed = FMask.Type(t, s, l, c); });
      if (!typed) MessageBeep(0);
    }
    Key = 0;
  }
}

void TCustomMaskEdit::Dispatch(TMessage& Message) {
  if (IsMasked() && HandleAllocated()) {
    switch (Message.Msg) {
      case WM_PASTE: {
        if (GetReadOnly() || !OpenClipboard(GetHandle())) return;
        std::u32string pasted;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
          if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            pasted = Utf8ToUtf32(WideToUtf8(p));
            GlobalUnlock(data);
          }
        }
        CloseClipboard();
        Edit([&](std::u32string& t, int& s, int l) { FMask.Paste(t, s, l, pasted); });
        return;
      }
      case WM_CUT:
        if (GetReadOnly()) return;
        SendMessageW(GetHandle(), WM_COPY, 0, 0);  // then the mask blanks the selection
        [[fallthrough]];
      case WM_CLEAR:
        if (GetReadOnly()) return;
        Edit([this](std::u32string& t, int& s, int l) { FMask.Erase(t, s, l, false); });
        return;
      case WM_UNDO:
      case EM_UNDO:
        return;
    }
  }
  TCustomEdit::Dispatch(Message);
}
