#pragma once
// The calculators' engine: number entry, the pending operator, the percentage rule,
// memory, the display text and the clipboard commands. Portable; the calculator dialog's
// panel drives it with keys, and a drop-down calculator can share it.
//
// Keys are characters: the digits, the decimal separator ('.' and ',' too), '_' (change
// sign), 'Q' (square root), 'R' (reciprocal), '+' '-' '*' '/' '%' '=' (and Enter, 13),
// backspace (8), 'C' (and Escape, 27), Ctrl+C (3) copy and Ctrl+V (22) paste.
//
// Bad input never raises: a division by zero, the root of a negative, the reciprocal of 0,
// a result that is not finite and a display text that is no number give the error state
// (the text "Error", a beep when BeepOnError, OnError); only 'C' leaves it. A digit beyond
// the length limit is refused with a beep. Only Paste raises: a clipboard text that is no
// number (after the currency string is taken out) raises EConvertError, display unchanged.
// Beeps go through Beeper() and the clipboard through Clipboard() (classlib seams).
//
// A drop-down calculator runs the same engine with other rules: its display text lives in
// the edit box that owns it (ReadDisplay, WriteDisplay), numbers are written with a number
// of decimal places (Places) instead of significant digits, digits have no length limit,
// the error state keeps the text (an empty ErrorText), and a digit replaces a wholly
// selected text (WholeTextSelected). An empty display reads 0.
#include <functional>
#include <string>

#include "classlib/core/formatsettings.h"
#include "classlib/core/object.h"

using TCalcKeyEvent = std::function<void(TObject* Sender, char& Key)>;

// The state of number entry.
enum TCalcState : int { csFirst = 0, csValid = 1, csError = 2 };

class TCalcEngine {
 public:
  explicit TCalcEngine(const TFormatSettings& Settings = DefaultFormatSettings());

  const TFormatSettings& Settings() const { return FSettings; }
  void SetSettings(const TFormatSettings& Value) { FSettings = Value; }
  // Significant digits shown and typed: 2..17 (a double holds no more).
  int GetPrecision() const { return FPrecision; }
  void SetPrecision(int Value);
  bool GetBeepOnError() const { return FBeepOnError; }
  void SetBeepOnError(bool Value) { FBeepOnError = Value; }
  // The error text shown in the error state; empty: the text stays.
  std::string ErrorText = "Error";
  // Numbers are written with up to Places decimals (0..8, by the pattern "0.##…"); -1:
  // in the general format with Precision significant digits.
  int GetPlaces() const { return FPlaces; }
  void SetPlaces(int Value);
  // Digits typed are refused beyond Precision (plus a leading '-').
  bool LimitDigits = true;
  // Where the display text lives when not in the engine (both set, or neither).
  std::function<std::string()> ReadDisplay;
  std::function<void(const std::string&)> WriteDisplay;
  // Whether the whole display text is selected (a digit then replaces it).
  std::function<bool()> WholeTextSelected;

  std::string Text() const { return ReadDisplay ? ReadDisplay() : FText; }
  TCalcState Status() const { return FStatus; }
  void SetStatus(TCalcState Value) { FStatus = Value; }
  char PendingOperator() const { return FOperator; }
  void SetPendingOperator(char Value) { FOperator = Value; }
  double Operand() const { return FOperand; }
  double GetMemory() const { return FMemory; }
  void SetMemory(double Value) { FMemory = Value; }

  // The number on the display: 0 in the error state; a text that is no number turns into
  // the error state and reads 0.
  double DisplayValue();
  // Shows Value in the general format (Precision digits, the settings' separator); a value
  // that is not finite is the error state.
  void SetDisplay(double Value);
  // One key, as the key processor takes it.
  void ProcessKey(char Key);
  // The error state: "Error", a beep, OnError.
  void Error();
  // Back to 0, a new number, no pending operator.
  void Clear();
  // A refused key: a beep when BeepOnError.
  void Beep();

  // Memory keys (MP adds, MS stores, MR recalls into a new number being typed, MC clears);
  // MP, MS and MR do nothing in the error state.
  void MemoryAdd();
  void MemoryStore();
  void MemoryRecall();
  void MemoryClear() { FMemory = 0; }

  // The display text into the clipboard; a number from the clipboard onto the display.
  void Copy();
  void Paste();

  // The index of Key in the calculator's key string "0123456789_./*-+Q%R=", backspace, "C"
  // (',', '.' and the settings' separator as '.', Enter as '=', Escape as 'C', letters
  // upper-cased): the key of the button whose Tag it is. -1 for other keys.
  int KeyIndex(char Key) const;

  TObject* Sender = nullptr;  // passed to the events
  TNotifyEvent OnError;
  TNotifyEvent OnResult;
  TNotifyEvent OnTextChange;
  TNotifyEvent OnDisplayChange;
  TCalcKeyEvent OnCalcKey;

 private:
  void SetText(const std::string& Value);
  void NewNumber();
  void OperatorStep(char Key);
  int MaxLength() const;

  TFormatSettings FSettings;
  std::string FText = "0";
  TCalcState FStatus = csFirst;
  char FOperator = '=';
  double FOperand = 0;
  double FMemory = 0;
  int FPrecision = 15;
  int FPlaces = -1;
  bool FBeepOnError = true;
};
