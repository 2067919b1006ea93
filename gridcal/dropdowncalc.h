#pragma once
// TDgCalculator: the small calculator that drops down under an edit box (a grid's cell
// editor). It has no display of its own: the number is the text of the masked edit box
// that owns it, so typing into the calculator edits that text, and the edit box keeps the
// focus (the drop-down is never activated; the box hands on its keys through WM_KEYDOWN).
// It runs the dialog's engine (gridcal/calcengine.h) with 0..8 decimal places, no limit on
// the digits typed, and memory; in the error state (after a beep) the text stays and only
// 'C' is taken. OK (the button or Enter) and Cancel (the button or Escape) end it through
// OnExitClick; OK is refused with a beep in the error state and raises EConvertError for a
// text that is no number; Cancel puts back the edit box's text from when Start was called.
// It keeps its size of 173 × 116. Windows only.
//
// As a drop-down (classlib/windows/dropdown.h) it opens on a field's value (a number, a text read
// as one, else 0; the edit box's text is kept) and asks to close through OnCloseUp after
// OnExitClick. It is accepted only when valid: DropDownValue is Null in the error state or
// for a text that is no number, and every close that does not accept (or cannot, being
// invalid) puts back the edit box's text from the opening.
//
// Its four glyphs come from the bitmap resources "CALCUPBTN", "CALCDOWNBTN" (7 × 4) and
// "CALCOKBTN", "CALCCANCELBTN" (16 × 16, fuchsia transparent); without them the buttons show
// captions.
#include <array>
#include <functional>

#include "classlib/windows/dropdown.h"
#include "classlib/windows/extctrls.h"
#include "classlib/windows/mask.h"
#include "gridcal/calcengine.h"
#include "gridcal/speedbutton.h"

using TCalcExitEvent = std::function<void(TObject* Sender, bool Selected)>;

// The drop-down calculator's buttons.
enum TDgCalcButton {
  dcbBackspace, dcbClear, dcbPlacesUp, dcbPlacesDown, dcbOk, dcbCancel,
  dcbMemoryClear, dcbMemoryRead, dcbMemoryStore, dcbMemoryAdd,
  dcbDigit0, dcbDigit1, dcbDigit2, dcbDigit3, dcbDigit4, dcbDigit5, dcbDigit6, dcbDigit7, dcbDigit8, dcbDigit9,
  dcbNegate, dcbSeparator, dcbDivide, dcbMultiply, dcbSubtract, dcbAdd, dcbRoot, dcbPercent, dcbReciprocal,
  dcbEquals,
  dcbCount
};

class TDgCalculator : public TDropDownWindow<TCustomPanel> {
  HX_CLASS(TDgCalculator, TDropDownWindow<TCustomPanel>)
 public:
  static constexpr int FixedWidth = 173, FixedHeight = 116;

  // The display is AOwner's text when AOwner is a masked edit box, else empty.
  explicit TDgCalculator(TComponent* AOwner);

  TCalcEngine& Engine() { return FEngine; }
  TCustomMaskEdit* Edit() const { return FEdit; }
  // Decimal places of the numbers shown, 0..8 (2 at creation).
  int GetPlaces() const { return FEngine.GetPlaces(); }
  void SetPlaces(int Value);
  // The decimal separator used (and shown on its key); LocaleFormatSettings() at creation.
  const TFormatSettings& GetFormatSettings() const { return FEngine.Settings(); }
  void SetFormatSettings(const TFormatSettings& Value);

  // Opens a calculation: the edit box's text is kept for Cancel, Value is shown, a new number
  // begins with no pending operator, and the edit box's text is selected (the first digit
  // typed replaces it).
  void Start(double Value);
  // The number on the display (0 in the error state or for an empty text).
  double Value() { return FEngine.DisplayValue(); }
  // The buttons' work, also reached by Enter and Escape.
  void Ok();
  void Cancel();
  TGxSpeedButton* Button(TDgCalcButton Which) const { return FButtons[static_cast<size_t>(Which)]; }
  TLabel* MemoryLabel() const { return FMemoryLabel; }
  TLabel* PlacesLabel() const { return FPlacesLabel; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // The drop-down's side (see above).
  void SetDropDownValue(const TVariant& Value) override;
  void CloseUp(bool Accept) override;
  TVariant DropDownValue() override;
  String DropDownText() override;

  TCalcExitEvent OnExitClick;

 protected:
  void Dispatch(TMessage& Message) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  void ButtonClicked(TDgCalcButton Which);
  // Not in the error state, and the display is a number (Number).
  bool Valid(double& Number);
  // Puts back the edit box's text from the opening; a new calculation begins.
  void Restore();
  void UpdateMemoryLabel();
  String ReadDisplay() const;
  void WriteDisplay(const String& Value);

  TCalcEngine FEngine;
  TCustomMaskEdit* FEdit;
  String FSavedText;
  std::array<TGxSpeedButton*, dcbCount> FButtons{};
  TLabel* FMemoryLabel;
  TLabel* FPlacesLabel;
};
