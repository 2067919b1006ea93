#include "gridcal/dropdowncalc.h"

#include <algorithm>

#include "classlib/core/format.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TDgCalculator, p) {
  // The declared defaults are what the constructor makes.
  p.Property("BevelInner", &TDgCalculator::GetBevelInner, &TDgCalculator::SetBevelInner).Default(bvLowered);
  p.Property("BevelOuter", &TDgCalculator::GetBevelOuter, &TDgCalculator::SetBevelOuter).Default(bvRaised);
  p.Property("Enabled", &TDgCalculator::GetEnabled, &TDgCalculator::SetEnabled).Default(true);
  p.Property("Font", &TDgCalculator::GetFont, &TDgCalculator::SetFont).Stored(&TDgCalculator::IsFontStored);
  p.Property("ParentColor", &TDgCalculator::GetParentColor, &TDgCalculator::SetParentColor).Default(false);
  p.Property("ParentFont", &TDgCalculator::GetParentFont, &TDgCalculator::SetParentFont).Default(false);
  p.Property("ParentShowHint", &TDgCalculator::GetParentShowHint, &TDgCalculator::SetParentShowHint).Default(false);
  p.Property("PopupMenu", &TDgCalculator::GetPopupMenu, &TDgCalculator::SetPopupMenu);
  p.Property("ShowHint", &TDgCalculator::GetShowHint, &TDgCalculator::SetShowHint).Default(true);
  p.Property("Visible", &TDgCalculator::GetVisible, &TDgCalculator::SetVisible).Default(false);
  p.Event("OnMouseDown", &TDgCalculator::OnMouseDown);
  p.Event("OnMouseMove", &TDgCalculator::OnMouseMove);
  p.Event("OnMouseUp", &TDgCalculator::OnMouseUp);
  p.Event("OnExitClick", &TDgCalculator::OnExitClick);
}

namespace {

constexpr char kBackspace = 8;

struct TButtonDef {
  int Left, Top, Width, Height;
  const char* Caption;  // nullptr: the glyph (or the separator for dcbSeparator)
  const char* Glyph;
  TColor Color;
  int FontHeight;  // 0: the calculator's
  const char* Hint;
  char Key;  // sent to the engine; 0: the button does its own work
};

// In the order of TDgCalcButton.
const TButtonDef kButtons[dcbCount] = {
    {30, 2, 28, 22, "<=", nullptr, clMaroon, -13, "Delete the digit", kBackspace},
    {58, 2, 28, 22, "C", nullptr, clMaroon, -16, "Clear", 'C'},
    {98, 2, 15, 12, "+", "CALCUPBTN", clBlack, 0, "Increase number of decimal digits", 0},
    {98, 12, 15, 12, "-", "CALCDOWNBTN", clBlack, 0, "Decrease number of decimal digits", 0},
    {114, 2, 28, 22, "OK", "CALCOKBTN", clBlack, 0, "Записать результат", 0},
    {142, 2, 28, 22, "X", "CALCCANCELBTN", clBlack, 0, "Закрыть без записи", 0},
    {2, 24, 28, 22, "MC", nullptr, clNavy, -11, "Clear memory", 0},
    {2, 46, 28, 22, "MR", nullptr, clNavy, -11, "Read memory", 0},
    {2, 68, 28, 22, "MS", nullptr, clNavy, -11, "Write to memory", 0},
    {2, 90, 28, 22, "M+", nullptr, clNavy, -11, "Add in memory", 0},
    {30, 90, 28, 22, "0", nullptr, clBlack, -16, "", '0'},
    {30, 68, 28, 22, "1", nullptr, clBlack, -16, "", '1'},
    {58, 68, 28, 22, "2", nullptr, clBlack, -16, "", '2'},
    {86, 68, 28, 22, "3", nullptr, clBlack, -16, "", '3'},
    {30, 46, 28, 22, "4", nullptr, clBlack, -16, "", '4'},
    {58, 46, 28, 22, "5", nullptr, clBlack, -16, "", '5'},
    {86, 46, 28, 22, "6", nullptr, clBlack, -16, "", '6'},
    {30, 24, 28, 22, "7", nullptr, clBlack, -16, "", '7'},
    {58, 24, 28, 22, "8", nullptr, clBlack, -16, "", '8'},
    {86, 24, 28, 22, "9", nullptr, clBlack, -16, "", '9'},
    {58, 90, 28, 22, "+/-", nullptr, clBlack, -16, "", '_'},
    {86, 90, 28, 22, nullptr, nullptr, clBlack, -19, "", '.'},
    {114, 24, 28, 22, "/", nullptr, clBlack, -16, "", '/'},
    {114, 46, 28, 22, "*", nullptr, clBlack, -19, "", '*'},
    {114, 68, 28, 22, "-", nullptr, clBlack, -19, "", '-'},
    {114, 90, 28, 22, "+", nullptr, clBlack, -19, "", '+'},
    {142, 24, 28, 22, "sqrt", nullptr, clBlack, -13, "", 'Q'},
    {142, 46, 28, 22, "%", nullptr, clBlack, -16, "", '%'},
    {142, 68, 28, 22, "1/x", nullptr, clBlack, -13, "", 'R'},  // as "sqrt": -16 does not fit
    {142, 90, 28, 22, "=", nullptr, clRed, -19, "", '='},
};

// A glyph of the program's resources with fuchsia transparent; false when there is none.
bool LoadGlyph(const char* Name, TBitmap& Glyph) {
  try {
    Glyph.LoadFromResourceName(nullptr, Name);
  } catch (const EResNotFound&) {
    return false;
  }
  Glyph.SetTransparentColor(clFuchsia);
  return true;
}

TLabel* MakeLabel(TDgCalculator* Owner, int Left, int Top, int Width, int Height) {
  auto* label = new TLabel(Owner);
  label->SetAutoSize(false);
  label->SetBounds(Left, Top, Width, Height);
  label->SetAlignment(taCenter);
  label->SetParent(Owner);
  return label;
}

}  // namespace

TDgCalculator::TDgCalculator(TComponent* AOwner)
    : TDropDownWindow<TCustomPanel>(AOwner), FEngine(LocaleFormatSettings()),
      FEdit(dynamic_cast<TCustomMaskEdit*>(AOwner)) {
  TCustomPanel::SetBounds(0, 0, FixedWidth, FixedHeight);
  SetBevelInner(bvLowered);
  SetBevelOuter(bvRaised);
  SetParentColor(false);
  SetColor(clBtnFace);
  GetFont()->SetName("MS Sans Serif");
  GetFont()->SetStyle(TFontStyles{fsBold});
  GetFont()->SetHeight(-11);
  GetFont()->SetColor(clBlack);
  SetShowHint(true);

  FEngine.Sender = this;
  FEngine.ErrorText.clear();
  FEngine.LimitDigits = false;
  FEngine.SetPlaces(2);
  FEngine.ReadDisplay = [this] { return ReadDisplay(); };
  FEngine.WriteDisplay = [this](const std::string& Value) { WriteDisplay(Value); };
  FEngine.WholeTextSelected = [this] {
    if (!FEdit || !FEdit->HandleAllocated()) return false;
    std::wstring text = Utf8ToWide(FEdit->GetText());
    return !text.empty() && FEdit->GetSelStart() == 0 && FEdit->GetSelLength() >= static_cast<int>(text.size());
  };

  FMemoryLabel = MakeLabel(this, 9, 7, 20, 21);
  FPlacesLabel = MakeLabel(this, 87, 7, 14, 22);
  FPlacesLabel->SetHint("Decimal digits");
  for (int i = 0; i < dcbCount; ++i) {
    const TButtonDef& def = kButtons[i];
    auto* button = new TGxSpeedButton(this);
    button->SetBounds(def.Left, def.Top, def.Width, def.Height);
    TBitmap glyph;
    if (def.Glyph && LoadGlyph(def.Glyph, glyph)) button->SetGlyph(&glyph);
    else if (def.Caption) button->SetCaption(def.Caption);
    if (def.Color != clBlack || def.FontHeight != 0) {
      button->SetParentFont(false);
      button->GetFont()->Assign(GetFont());
      button->GetFont()->SetColor(def.Color);
      if (def.FontHeight) button->GetFont()->SetHeight(def.FontHeight);
    }
    button->SetWordWrap(true);  // "sqrt" and "1/x" are not shortened to "..."
    button->SetHint(def.Hint);
    button->SetTag(def.Key >= '0' && def.Key <= '9' ? def.Key - '0' : -1);
    auto which = static_cast<TDgCalcButton>(i);
    button->OnClick = [this, which](TObject*) { ButtonClicked(which); };
    button->SetParent(this);
    FButtons[static_cast<size_t>(i)] = button;
  }
  SetFormatSettings(FEngine.Settings());
  SetPlaces(2);
}

void TDgCalculator::SetBounds(int ALeft, int ATop, int, int) {
  TCustomPanel::SetBounds(ALeft, ATop, FixedWidth, FixedHeight);
}

void TDgCalculator::SetPlaces(int Value) {
  FEngine.SetPlaces(std::clamp(Value, 0, 8));
  FPlacesLabel->SetCaption(std::to_string(FEngine.GetPlaces()));
}

void TDgCalculator::SetFormatSettings(const TFormatSettings& Value) {
  FEngine.SetSettings(Value);
  Button(dcbSeparator)->SetCaption(std::string(1, Value.DecimalSeparator));
}

String TDgCalculator::ReadDisplay() const { return FEdit ? FEdit->GetText() : String(); }

void TDgCalculator::WriteDisplay(const String& Value) {
  if (!FEdit) return;
  FEdit->SetText(Value);
  // The caret after the number, as typing leaves it.
  if (FEdit->HandleAllocated()) FEdit->SetSelStart(static_cast<int>(Utf8ToWide(Value).size()));
}

void TDgCalculator::Start(double Value) {
  FSavedText = ReadDisplay();
  FEngine.SetStatus(csFirst);
  FEngine.SetPendingOperator('=');
  FEngine.SetDisplay(Value);
  if (FEngine.Status() == csError) FEngine.SetStatus(csFirst);
  if (FEdit && FEdit->HandleAllocated()) FEdit->SelectAll();
}

void TDgCalculator::UpdateMemoryLabel() { FMemoryLabel->SetCaption(FEngine.GetMemory() != 0 ? "M" : ""); }

void TDgCalculator::Ok() {
  if (FEngine.Status() == csError) {
    FEngine.Beep();
    return;
  }
  std::string text = Trim(ReadDisplay());
  if (!text.empty()) StrToFloat(text, FEngine.Settings());  // EConvertError for no number
  if (OnExitClick) OnExitClick(this, true);
  RequestCloseUp(this, true);
}

void TDgCalculator::Restore() {
  WriteDisplay(FSavedText);
  FEngine.SetStatus(csFirst);
  FEngine.SetPendingOperator('=');
}

void TDgCalculator::Cancel() {
  Restore();
  if (OnExitClick) OnExitClick(this, false);
  RequestCloseUp(this, false);
}

void TDgCalculator::SetDropDownValue(const TVariant& Value) {
  double number = 0;
  if (Value.VarType() == varString) {
    if (!TryStrToFloat(Trim(Value.AsString()), number, FEngine.Settings())) number = 0;
  } else if (!Value.IsNull()) {
    try {
      number = Value.AsFloat();
    } catch (const Exception&) {
      number = 0;
    }
  }
  Start(number);
}

bool TDgCalculator::Valid(double& Number) {
  return FEngine.Status() != csError && TryStrToFloat(Trim(ReadDisplay()), Number, FEngine.Settings());
}

void TDgCalculator::CloseUp(bool Accept) {
  double number;
  if (!Accept || !Valid(number)) Restore();
  TDropDownWindow<TCustomPanel>::CloseUp(Accept);
}

TVariant TDgCalculator::DropDownValue() {
  double number;
  if (!Valid(number)) return TVariant::Null();
  return number;
}

String TDgCalculator::DropDownText() {
  double number;
  return Valid(number) ? Trim(ReadDisplay()) : String();
}

void TDgCalculator::ButtonClicked(TDgCalcButton Which) {
  if (char key = kButtons[Which].Key) {
    FEngine.ProcessKey(key == '.' ? FEngine.Settings().DecimalSeparator : key);
    return;
  }
  switch (Which) {
    case dcbPlacesUp: SetPlaces(GetPlaces() + 1); break;
    case dcbPlacesDown: SetPlaces(GetPlaces() - 1); break;
    case dcbOk: Ok(); break;
    case dcbCancel: Cancel(); break;
    case dcbMemoryClear: FEngine.MemoryClear(); break;
    case dcbMemoryRead: FEngine.MemoryRecall(); break;
    case dcbMemoryStore: FEngine.MemoryStore(); break;
    case dcbMemoryAdd: FEngine.MemoryAdd(); break;
    default: break;
  }
  UpdateMemoryLabel();
}

void TDgCalculator::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_WINDOWPOSCHANGING) {
    // The size stays, whoever moves the window.
    auto* pos = reinterpret_cast<WINDOWPOS*>(Message.LParam);
    pos->cx = FixedWidth;
    pos->cy = FixedHeight;
  }
  TDropDownWindow<TCustomPanel>::Dispatch(Message);
}

void TDgCalculator::KeyDown(WORD& Key, TShiftState Shift) {
  WORD key = Key;
  Key = 0;  // every key is the calculator's
  if (key >= '0' && key <= '9') FEngine.ProcessKey(static_cast<char>(key));
  else if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) FEngine.ProcessKey(static_cast<char>('0' + key - VK_NUMPAD0));
  else {
    switch (key) {
      case VK_BACK: FEngine.ProcessKey(kBackspace); break;
      case VK_RETURN: Ok(); break;
      case VK_ESCAPE: Cancel(); break;
      case 'C': FEngine.ProcessKey('C'); break;
      case VK_MULTIPLY: FEngine.ProcessKey('*'); break;
      case VK_ADD: FEngine.ProcessKey('+'); break;
      case VK_SUBTRACT: FEngine.ProcessKey('-'); break;
      case VK_DIVIDE: FEngine.ProcessKey('/'); break;
      case VK_DECIMAL:
      case VK_OEM_COMMA:
      case VK_OEM_PERIOD: FEngine.ProcessKey(FEngine.Settings().DecimalSeparator); break;
      case VK_OEM_PLUS: FEngine.ProcessKey('='); break;  // the '=' key
      // Modifiers and lock keys alone are no input.
      case VK_SHIFT: case VK_CONTROL: case VK_MENU: case VK_LSHIFT: case VK_RSHIFT: case VK_LCONTROL:
      case VK_RCONTROL: case VK_LMENU: case VK_RMENU: case VK_LWIN: case VK_RWIN: case VK_CAPITAL:
      case VK_NUMLOCK: case VK_SCROLL: break;
      default: FEngine.Error(); break;
    }
  }
  UpdateMemoryLabel();
  TDropDownWindow<TCustomPanel>::KeyDown(Key, Shift);
}
