#pragma once
// The spin edit: a number edit with up and down arrows (the system's up-down control inside
// the edit) that keeps its value within MinValue..MaxValue. Windows only.
#include "classlib/windows/stdctrls.h"

class TSpinEdit : public TCustomEdit {
  HX_CLASS(TSpinEdit, TCustomEdit)
 public:
  explicit TSpinEdit(TComponent* AOwner);

  // The number in the box; a text that is no number reads as MinValue.
  int GetValue();
  void SetValue(int Value);  // clamped to MinValue..MaxValue when they differ
  int GetMinValue() const { return FMinValue; }
  void SetMinValue(int Value);
  int GetMaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value);
  // What an arrow adds or takes away.
  int GetIncrement() const { return FIncrement; }
  void SetIncrement(int Value) { FIncrement = Value; }
  // Off: the number changes by the arrows only.
  bool GetEditorEnabled() const { return FEditorEnabled; }
  void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
  // Value + Increment (or - Increment), as the arrows do.
  void Step(bool Up);

  // The window of the arrows (nullptr without a window).
  HWND UpDownHandle() const { return FUpDown; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(wchar_t& Key) override;
  void DoExit() override;
  void Loaded() override;

 private:
  int CheckValue(int Value) const;
  void PlaceUpDown();

  int FMinValue = 0;
  int FMaxValue = 0;
  int FIncrement = 1;
  bool FEditorEnabled = true;
  HWND FUpDown = nullptr;
};
