#pragma once
// The masked edit box: an edit whose text follows an edit mask (classlib/core/editmask.h), such
// as "!90:00:00;1;_" for a time. The box shows the edit text, literals and blanks
// ("07:3_:__"); typing fills the blanks, Backspace and Delete blank positions and keep the
// literals. Text is the value (see TEditMask::TextOf); EditText what the box shows. Windows
// only.
#include "classlib/core/editmask.h"
#include "classlib/windows/stdctrls.h"

class TCustomMaskEdit : public TCustomEdit {
  HX_CLASS(TCustomMaskEdit, TCustomEdit)
 public:
  explicit TCustomMaskEdit(TComponent* AOwner);

  String GetEditMask() const { return FEditMaskText; }
  // Keeps the value: it is laid over the new mask.
  void SetEditMask(const String& Value);
  bool IsMasked() const { return FMask.IsMasked(); }
  const TEditMask& Mask() const { return FMask; }
  String GetEditText();
  void SetEditText(const String& Value);
  String GetText() override;

  // Checks the edit text against the mask when it changed since the last check that
  // passed: an incomplete or wrong text moves the focus here (when it can), the caret to
  // the first fault, beeps and raises EDBEditError "Invalid input value".
  virtual void ValidateEdit();

 protected:
  void DestroyWnd() override;
  void SetTextValue(const String& Value) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(wchar_t& Key) override;
  void Change() override;
  // Leaving the box checks it (see ValidateEdit).
  void DoExit() override;

 private:
  // Applies one editing step of the mask to the window's text and selection.
  void Edit(const std::function<void(std::u32string& Text, int& SelStart, int SelLength)>& Step);

  String FEditMaskText;
  TEditMask FMask;
  bool FValidatePending = false;
};

class TMaskEdit : public TCustomMaskEdit {
  HX_CLASS(TMaskEdit, TCustomMaskEdit)
 public:
  using TCustomMaskEdit::TCustomMaskEdit;
};
