#include "gridcal/calcengine.h"

#include <algorithm>
#include <cmath>

#include "classlib/core/beep.h"
#include "classlib/core/clipbrd.h"
#include "classlib/core/format.h"
#include "classlib/core/text.h"
#include "gridcal/gxtext.h"

namespace {
constexpr char kBackspace = 8, kEnter = 13, kEscape = 27, kCtrlC = 3, kCtrlV = 22;
constexpr char kKeys[] = "0123456789_./*-+Q%R=\bC";

char UpCase(char Key) { return (Key >= 'a' && Key <= 'z') ? static_cast<char>(Key - 'a' + 'A') : Key; }
}  // namespace

TCalcEngine::TCalcEngine(const TFormatSettings& Settings) : FSettings(Settings) {}

void TCalcEngine::SetPrecision(int Value) { FPrecision = std::clamp(Value, 2, 17); }

void TCalcEngine::SetPlaces(int Value) { FPlaces = Value < 0 ? -1 : std::min(Value, 8); }

int TCalcEngine::MaxLength() const { return FPrecision; }

void TCalcEngine::SetText(const std::string& Value) {
  if (Value == Text()) return;
  if (WriteDisplay) WriteDisplay(Value);
  else FText = Value;
  if (OnTextChange) OnTextChange(Sender);
}

double TCalcEngine::DisplayValue() {
  if (FStatus == csError) return 0;
  double value = 0;
  std::string text = Trim(Text());
  if (text.empty()) return 0;
  if (!TryStrToFloat(text, value, FSettings) || !std::isfinite(value)) {
    Error();
    return 0;
  }
  return value;
}

void TCalcEngine::SetDisplay(double Value) {
  if (!std::isfinite(Value)) {
    Error();
    return;
  }
  std::string s = FPlaces < 0 ? FloatToStrF(Value, ffGeneral, FPrecision, 0, FSettings)
                              : FormatFloat("0." + std::string(static_cast<size_t>(FPlaces), '#'), Value, FSettings);
  if (s == Text()) return;
  SetText(s);
  if (OnDisplayChange) OnDisplayChange(Sender);
}

void TCalcEngine::Beep() {
  if (FBeepOnError) Beeper().MessageBeep(0);
}

void TCalcEngine::Error() {
  FStatus = csError;
  if (!ErrorText.empty()) SetText(ErrorText);
  Beep();
  if (OnError) OnError(Sender);
}

void TCalcEngine::Clear() {
  FStatus = csFirst;
  SetDisplay(0);
  FOperator = '=';
}

void TCalcEngine::NewNumber() {
  if (FStatus != csFirst) return;
  FStatus = csValid;
  SetText("0");
}

int TCalcEngine::KeyIndex(char Key) const {
  if (Key == ',' || Key == '.' || Key == FSettings.DecimalSeparator) Key = '.';
  else if (Key == kEnter) Key = '=';
  else if (Key == kEscape) Key = 'C';
  Key = UpCase(Key);
  if (Key == 0) return -1;
  const char* at = std::find(kKeys, kKeys + sizeof(kKeys) - 1, Key);
  return at == kKeys + sizeof(kKeys) - 1 ? -1 : static_cast<int>(at - kKeys);
}

void TCalcEngine::ProcessKey(char Key) {
  Key = UpCase(Key);
  if (FStatus == csError && Key != 'C') Key = 0;
  if (OnCalcKey) OnCalcKey(Sender, Key);
  if (Key == 0) return;
  if (Key == ',' || Key == '.' || Key == FSettings.DecimalSeparator) {
    NewNumber();
    // No separator after an exponent: "1E20," would be no number.
    std::string text = Text();
    if (text.find(FSettings.DecimalSeparator) == std::string::npos && text.find('E') == std::string::npos)
      SetText(text + FSettings.DecimalSeparator);
    return;
  }
  switch (Key) {
    case '0': case '1': case '2': case '3': case '4':
    case '5': case '6': case '7': case '8': case '9': {
      NewNumber();
      std::string text = Text();
      if (text == "0" || (WholeTextSelected && WholeTextSelected())) text.clear();
      if (text.find('E') != std::string::npos) return;
      int limit = MaxLength() + (!text.empty() && text[0] == '-' ? 1 : 0);
      if (!LimitDigits || static_cast<int>(text.size()) < limit) SetText(text + Key);
      else Beep();
      return;
    }
    case kBackspace: {
      NewNumber();
      // Whole characters: an edit box's text may hold more than digits.
      std::string text = Text();
      size_t last = text.empty() ? 0 : text.size() - 1;
      while (last > 0 && (static_cast<unsigned char>(text[last]) & 0xC0) == 0x80) --last;
      if (last == 0 || (last == 1 && text[0] == '-')) SetText("0");
      else SetText(text.substr(0, last));
      return;
    }
    case '_':
      SetDisplay(-DisplayValue());
      return;
    case 'Q':
    case 'R': {
      if (FStatus == csError) return;
      FStatus = csFirst;
      double value = DisplayValue();
      if (FStatus == csError) return;
      if (Key == 'Q' && value < 0) Error();
      else if (Key == 'R' && value == 0) Error();
      else SetDisplay(Key == 'Q' ? std::sqrt(value) : 1.0 / value);
      return;
    }
    case '+': case '-': case '*': case '/': case '%': case '=': case kEnter:
      OperatorStep(Key);
      return;
    case 'C':
    case kEscape:
      Clear();
      return;
    case kCtrlC:
      Copy();
      return;
    case kCtrlV:
      Paste();
      return;
    default:
      return;
  }
}

void TCalcEngine::OperatorStep(char Key) {
  if (FStatus == csValid) {
    FStatus = csFirst;
    double r = DisplayValue();
    if (FStatus != csError) {
      if (Key == '%') {
        if (FOperator == '*' || FOperator == '/') r = r / 100;
        else if (FOperator == '+' || FOperator == '-') r = FOperand * r / 100;
      }
      switch (FOperator) {
        case '+': SetDisplay(FOperand + r); break;
        case '-': SetDisplay(FOperand - r); break;
        case '*': SetDisplay(FOperand * r); break;
        case '/':
          if (r == 0) Error();
          else SetDisplay(FOperand / r);
          break;
        default: break;
      }
    }
  }
  FOperator = Key;
  FOperand = DisplayValue();
  if (Key == kEnter || Key == '%' || Key == '=') {
    if (OnResult) OnResult(Sender);
  }
}

void TCalcEngine::MemoryAdd() {
  if (FStatus == csError) return;
  FStatus = csFirst;
  FMemory += DisplayValue();
}

void TCalcEngine::MemoryStore() {
  if (FStatus == csError) return;
  FStatus = csFirst;
  FMemory = DisplayValue();
}

void TCalcEngine::MemoryRecall() {
  if (FStatus == csError) return;
  FStatus = csFirst;
  NewNumber();
  SetDisplay(FMemory);
}

void TCalcEngine::Copy() { Clipboard().SetAsText(Text()); }

void TCalcEngine::Paste() {
  TClipboard& clipboard = Clipboard();
  if (!clipboard.HasText()) return;
  std::string text = Trim(ReplaceAll(clipboard.GetAsText(), FSettings.CurrencyString, ""));
  double value = StrToFloat(text, FSettings);  // EConvertError for no number
  if (FStatus == csError) FStatus = csFirst;
  SetDisplay(value);
}
