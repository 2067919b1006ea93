#pragma once
// Standard controls over the Win32 controls: a push button, a label (windowless) and a
// one-line edit. Windows only.
#include "classlib/controls.h"

class TButton : public TWinControl {
  HX_CLASS(TButton, TWinControl)
 public:
  explicit TButton(TComponent* AOwner);

  // Enter presses the default button, Escape the cancel button of a form.
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool Value);
  bool GetCancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  // Set on the form when the button is clicked (a modal form then closes with it).
  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }

  void Click() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

 private:
  bool FDefault = false;
  bool FCancel = false;
  TModalResult FModalResult = mrNone;
};

class TLabel : public TGraphicControl {
  HX_CLASS(TLabel, TGraphicControl)
 public:
  explicit TLabel(TComponent* AOwner);

  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // A transparent label shows what is under it where it has no text.
  bool GetTransparent() const { return !GetControlStyle().Contains(csOpaque); }
  void SetTransparent(bool Value);
  // '&' marks the next character as an accelerator (underlined) unless off.
  bool GetShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);

 protected:
  void Paint() override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void Dispatch(TMessage& Message) override;

 private:
  UINT TextFlags() const;

  TAlignment FAlignment = taLeftJustify;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
};

class TEdit : public TWinControl {
  HX_CLASS(TEdit, TWinControl)
 public:
  explicit TEdit(TComponent* AOwner);

  int GetMaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  void SelectAll();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void Change();

 private:
  int FMaxLength = 0;
  bool FReadOnly = false;
};
