// The drop-down calculator under a masked edit box on a shown form: key sequences as the
// edit box hands them on (virtual keys) and as its buttons give them, with ',' as the
// separator and the beeps counted; OK, Cancel, the window that never takes the focus, its
// fixed size, and where a drop-down opens.
#include "gridcal/dropdowncalc.h"

#include <gtest/gtest.h>

#include <string>

#include "classlib/core/beep.h"
#include "classlib/windows/forms.h"
#include "tests/classlib/gui_test_util.h"
#include "tests/support/caught_exceptions.h"
#include "tests/support/read_form.h"

namespace {

class DropDownCalcTest : public ::testing::Test {
 protected:
  DropDownCalcTest() : beeps(beeper), form(new TForm(nullptr, CreateNew)) {
    form->SetBounds(80, 80, 300, 120);
    edit = new TMaskEdit(form);
    edit->SetBounds(10, 10, 120, 24);
    edit->SetParent(form);
    calculator = new TDgCalculator(edit);
    calculator->SetFormatSettings(RussianFormatSettings());
    calculator->OnExitClick = [this](TObject*, bool Selected) { exits += Selected ? "ok " : "cancel "; };
    form->Show();
    guitest::BringToFront(form->GetHandle());
    edit->SetFocus();
  }
  ~DropDownCalcTest() override {
    form->BeforeDestruction();
    delete form;
  }

  // Keys by the characters that stand for them: digits, + - * / (the keypad's), ',' and
  // '.' (the comma and period keys), '=' (its key), 'b' Backspace, 'C' and 'A' (letter
  // keys), 'S' Shift, 'K' Caps Lock, '\r' Enter, '\x1b' Escape; buttons: '%' percent, '_'
  // plus-minus, 'q' root, 'r' reciprocal, '>' and '<' the places, 'm' MS, 'M' MR, 'o' OK;
  // the edit box: 'a' selects its text, 'e' empties it.
  void Type(const std::string& keys) {
    for (char k : keys) {
      switch (k) {
        case '%': calculator->Button(dcbPercent)->Click(); break;
        case '_': calculator->Button(dcbNegate)->Click(); break;
        case 'q': calculator->Button(dcbRoot)->Click(); break;
        case 'r': calculator->Button(dcbReciprocal)->Click(); break;
        case '>': calculator->Button(dcbPlacesUp)->Click(); break;
        case '<': calculator->Button(dcbPlacesDown)->Click(); break;
        case 'm': calculator->Button(dcbMemoryStore)->Click(); break;
        case 'M': calculator->Button(dcbMemoryRead)->Click(); break;
        case 'o': calculator->Button(dcbOk)->Click(); break;
        case 'a': edit->SelectAll(); break;
        case 'e': edit->SetText(""); break;
        default: calculator->Perform(WM_KEYDOWN, VirtualKey(k)); break;
      }
    }
  }
  TRect EditOnScreen() {
    TPoint o = form->ClientOrigin();
    return OffsetRect(edit->GetBoundsRect(), o.X, o.Y);
  }
  static WORD VirtualKey(char k) {
    switch (k) {
      case '+': return VK_ADD;
      case '-': return VK_SUBTRACT;
      case '*': return VK_MULTIPLY;
      case '/': return VK_DIVIDE;
      case ',': return VK_OEM_COMMA;
      case '.': return VK_OEM_PERIOD;
      case '=': return VK_OEM_PLUS;
      case 'b': return VK_BACK;
      case 'S': return VK_SHIFT;
      case 'K': return VK_CAPITAL;
      case '\r': return VK_RETURN;
      case '\x1b': return VK_ESCAPE;
      default: return static_cast<WORD>(k);  // digits and letters are their own keys
    }
  }

  TCountingBeeper beeper;
  TBeeperScope beeps;
  TForm* form;
  TMaskEdit* edit;
  TDgCalculator* calculator;
  std::string exits;
};

struct KeyCase {
  const char* Name;
  std::string Start;  // the edit box's text first
  const char* Keys;
  std::string Text;
  TCalcState Status;
  int Beeps;
};

const std::string kNines(400, '9');
const std::string kTenTo200 = "1" + std::string(200, '0');

class DropDownCalcKeys : public DropDownCalcTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(DropDownCalcKeys, TypeIntoTheEditBox) {
  const KeyCase& c = GetParam();
  edit->SetText(c.Start);
  edit->SetSelStart(0);
  Type(c.Keys);
  EXPECT_EQ(edit->GetText(), c.Text);
  EXPECT_EQ(calculator->Engine().Status(), c.Status);
  EXPECT_EQ(beeper.Count(), c.Beeps);
  EXPECT_EQ(exits, "");
}

const KeyCase kKeyCases[] = {
    {"TwoPlaces", "", "10/3=", "3,33", csFirst, 0},
    {"NoPlaces", "", "<<10/3=", "3", csFirst, 0},
    {"PercentOfASum", "", "200+10%", "220", csFirst, 0},
    {"DivisionByZeroKeepsTheText", "", "1/0=", "0", csError, 1},
    {"ErrorTakesOnlyC", "", "1/0=5+_q", "0", csError, 1},
    {"CEndsTheError", "", "1/0=5C7", "7", csValid, 1},
    {"FirstDigitReplacesTheText", "12,5", "7", "7", csValid, 0},
    {"SelectedTextIsReplaced", "", "12a5", "5", csValid, 0},
    {"UnselectedTextGrows", "", "125", "125", csValid, 0},
    {"ZeroIsReplaced", "", "1b05", "5", csValid, 0},
    {"NoDigitLimit", "", "12345678901234567890", "12345678901234567890", csValid, 0},
    {"HalfUpToTwoPlaces", "", "0,005+0=", "0,01", csFirst, 0},
    {"NegativeZeroIsZero", "", "0,001_", "0", csValid, 0},
    {"BigWithoutExponent", "", "100000000000*1000000000=", "100000000000000000000", csFirst, 0},
    {"CommaAndPeriodKeys", "", "1.5+1,5=", "3", csFirst, 0},
    {"ALetterErrs", "", "12A", "12", csError, 1},
    {"ModifiersAloneDoNot", "", "12SK3", "123", csValid, 0},
    {"EqualsKey", "", "6*7=", "42", csFirst, 0},
    {"Root", "", "16q", "4", csFirst, 0},
    {"Reciprocal", "", "4r", "0,25", csFirst, 0},
    {"RootOfANegative", "", "4_q", "-4", csError, 1},
    {"BackspaceOnEmpty", "", "5eb", "0", csValid, 0},
    {"EmptyReadsZero", "", "5e+2=", "2", csFirst, 0},
    {"LettersAreNoNumber", "abc", "+", "abc", csError, 1},
    {"FourHundredDigits", kNines, "+", kNines, csError, 1},
    {"ResultNotFinite", kTenTo200, "*mM=", kTenTo200, csError, 1},
    {"MemoryRecallTypesOn", "", "12m+1=M3", "123", csValid, 0},
};

INSTANTIATE_TEST_SUITE_P(Table, DropDownCalcKeys, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(DropDownCalcTest, PlacesStopAtEightAndZero) {
  EXPECT_EQ(calculator->PlacesLabel()->GetCaption(), "2");
  Type(">>>>>>>>>");
  EXPECT_EQ(calculator->GetPlaces(), 8);
  EXPECT_EQ(calculator->PlacesLabel()->GetCaption(), "8");
  Type("1/3=");
  EXPECT_EQ(edit->GetText(), "0,33333333");
  Type("<<<<<<<<<<");
  EXPECT_EQ(calculator->PlacesLabel()->GetCaption(), "0");
  EXPECT_EQ(beeper.Count(), 0);
}

TEST_F(DropDownCalcTest, OkIsRefusedInTheErrorState) {
  Type("1/0=o\r");
  EXPECT_EQ(beeper.Count(), 3);  // the error, then the button and Enter
  EXPECT_EQ(exits, "");
  Type("C4o");
  EXPECT_EQ(exits, "ok ");
  EXPECT_EQ(calculator->Value(), 4);
}

TEST_F(DropDownCalcTest, OkWithATextThatIsNoNumberRaisesAndStaysOpen) {
  calculator->DropDown(EditOnScreen());
  ASSERT_TRUE(calculator->GetVisible());
  edit->SetText("abc");
  EXPECT_THROW(calculator->Ok(), EConvertError);
  horavox::test::TCaughtExceptions caught;
  TGxSpeedButton* ok = calculator->Button(dcbOk);
  LPARAM at = MAKELPARAM(ok->GetLeft() + 5, ok->GetTop() + 5);
  SendMessageW(calculator->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(calculator->GetHandle(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(caught.Messages.size(), 1u);
  EXPECT_EQ(exits, "");
  EXPECT_TRUE(calculator->GetVisible());
  EXPECT_EQ(edit->GetText(), "abc");
}

TEST_F(DropDownCalcTest, CancelPutsBackTheTextItOpenedWith) {
  edit->SetText("3,14159");
  calculator->Start(3.14159);
  EXPECT_EQ(edit->GetText(), "3,14");
  EXPECT_EQ(edit->GetSelLength(), 4);  // selected: the first digit replaces it
  Type("+1=*2=");
  EXPECT_EQ(edit->GetText(), "8,28");
  Type("\x1b");
  EXPECT_EQ(edit->GetText(), "3,14159");
  EXPECT_EQ(exits, "cancel ");
  Type("1/0=");
  calculator->Cancel();  // from the error state too
  EXPECT_EQ(edit->GetText(), "3,14159");
  calculator->Start(2);
  Type("5");  // a new calculation is no longer in the error state
  EXPECT_EQ(edit->GetText(), "5");
}

TEST_F(DropDownCalcTest, ItsButtonsLeaveTheFocusInTheEditBox) {
  edit->SetText("");
  calculator->Start(0);
  calculator->DropDown(EditOnScreen());
  guitest::PumpFor(100);
  EXPECT_EQ(SendMessageW(calculator->GetHandle(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(calculator->GetHandle()),
                         MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_NOACTIVATE);
  EXPECT_EQ(GetWindowLongPtrW(calculator->GetHandle(), GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
            WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  ASSERT_EQ(GetFocus(), edit->GetHandle());
  for (TDgCalcButton which : {dcbDigit4, dcbDigit2}) {
    TGxSpeedButton* b = calculator->Button(which);
    TPoint at = calculator->ClientToScreen({b->GetLeft() + b->GetWidth() / 2, b->GetTop() + b->GetHeight() / 2});
    guitest::ClickScreen(at);
  }
  EXPECT_EQ(edit->GetText(), "42");
  guitest::SaveScreenshot(calculator->GetHandle(), "gridcal-dropdown-calculator.bmp");
  EXPECT_EQ(GetFocus(), edit->GetHandle());
  EXPECT_EQ(GetForegroundWindow(), form->GetHandle());
  calculator->CloseUp(false);
  EXPECT_FALSE(IsWindowVisible(calculator->GetHandle()));
}

TEST_F(DropDownCalcTest, KeepsItsSize) {
  calculator->SetBounds(5, 5, 300, 300);
  EXPECT_EQ(calculator->GetBoundsRect(), (TRect{5, 5, 5 + 173, 5 + 116}));
  calculator->DropDown(EditOnScreen());
  SetWindowPos(calculator->GetHandle(), nullptr, 20, 20, 300, 50, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT r{};
  GetWindowRect(calculator->GetHandle(), &r);
  EXPECT_EQ(r.right - r.left, 173);
  EXPECT_EQ(r.bottom - r.top, 116);
  EXPECT_EQ(calculator->GetWidth(), 173);
}

TEST(DropDownCalc, AnInnerBevelOfNoneIsStreamed) {
  auto text = [](TDgCalculator& c) { return horavox::test::WriteToText(&c); };
  TDgCalculator calculator(nullptr);
  EXPECT_EQ(text(calculator).find("BevelInner"), std::string::npos);
  calculator.SetBevelInner(bvNone);
  EXPECT_NE(text(calculator).find("BevelInner = bvNone"), std::string::npos);
  EXPECT_EQ(calculator.Value(), 0);  // no edit box: an empty display
}

TEST(DropDownPosition, UnderTheAnchorWithinTheScreen) {
  const TRect screen{0, 0, 800, 600};
  EXPECT_EQ(DropDownPosition({100, 100, 200, 120}, 173, 116, screen), (TPoint{100, 120}));
  EXPECT_EQ(DropDownPosition({700, 100, 780, 120}, 173, 116, screen), (TPoint{627, 120}));  // moved left
  EXPECT_EQ(DropDownPosition({100, 500, 200, 520}, 173, 116, screen), (TPoint{100, 384}));  // above
}

}  // namespace
