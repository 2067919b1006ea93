// The calculator dialog, shown modally under Wine and used from the keyboard and its keys
// by a "user" that acts from a timer of the dialog's own message loop; the panel and the
// component on their own.
#include "gridcal/calculator.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/core/beep.h"
#include "classlib/core/clipbrd.h"
#include "tests/classlib/gui_test_util.h"
#include "tests/support/read_form.h"

namespace {

using TStep = std::function<void(TGxCalculatorForm* Form)>;

// Runs one step per tick of a thread timer once the dialog is shown (each step sees what
// the messages posted by the one before did); the dialog is closed if the steps leave it
// open. A step runs only while the dialog is shown, so a dialog that went too early leaves
// steps (and their checks) unrun: that fails the test.
class TCalculatorUser {
 public:
  TCalculatorUser(TGxCalculator* Calculator, std::vector<TStep> Steps)
      : FCalculator(Calculator), FSteps(std::move(Steps)) {
    current = this;
    FTimer = SetTimer(nullptr, 0, 50, Tick);
  }
  ~TCalculatorUser() {
    KillTimer(nullptr, FTimer);
    current = nullptr;
    EXPECT_EQ(FNext, FSteps.size()) << "the dialog closed before every step had run";
  }
  TCalculatorUser(const TCalculatorUser&) = delete;
  TCalculatorUser& operator=(const TCalculatorUser&) = delete;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TCalculatorUser* user = current;
    TGxCalculatorForm* form = user ? user->FCalculator->CalculatorForm() : nullptr;
    if (!form || !form->GetVisible()) return;
    if (user->FNext < user->FSteps.size()) user->FSteps[user->FNext++](form);
    else PostMessageW(form->GetHandle(), WM_CLOSE, 0, 0);
  }
  static inline TCalculatorUser* current = nullptr;
  TGxCalculator* FCalculator;
  std::vector<TStep> FSteps;
  size_t FNext = 0;
  UINT_PTR FTimer;
};

void Type(TGxCalculatorForm* form, const std::string& keys) {
  for (char k : keys) PostMessageW(form->GetHandle(), WM_CHAR, static_cast<unsigned char>(k), 0);
}

void PressKey(TGxCalculatorForm* form, int kind) {
  TCalcButton* b = form->CalcPanel()->ButtonOfKind(kind);
  LPARAM at = MAKELPARAM(b->GetLeft() + b->GetWidth() / 2, b->GetTop() + b->GetHeight() / 2);
  HWND panel = form->CalcPanel()->GetHandle();
  PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(panel, WM_LBUTTONUP, 0, at);
}

String Shown(TGxCalculatorForm* form) { return form->Display()->GetCaption(); }

class CalculatorDialogTest : public ::testing::Test {
 protected:
  CalculatorDialogTest() : beeps(beeper), clip(clipboard) {
    calculator.SetFormatSettings(RussianFormatSettings());
    calculator.OnChange = [this](TObject*) { ++changes; };
  }

  TCountingBeeper beeper;
  TBeeperScope beeps;
  TMemoryClipboard clipboard;
  TClipboardScope clip;
  TGxCalculator calculator{nullptr};
  int changes = 0;
};

TEST_F(CalculatorDialogTest, TypedSumReturnedOnOk) {
  TCalculatorUser user(&calculator, {
      [](TGxCalculatorForm* f) { Type(f, "12+30="); },
      [](TGxCalculatorForm* f) {
        EXPECT_EQ(Shown(f), "42");
        guitest::SaveScreenshot(f->GetHandle(), "gridcal-calculator.bmp");
        PressKey(f, 27);
      },
  });
  EXPECT_TRUE(calculator.ShowModalCalculator());
  EXPECT_EQ(calculator.GetValue(), 42);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(calculator.CalculatorForm(), nullptr);
}

TEST_F(CalculatorDialogTest, EscapeClearsWithoutClosingAndEnterIsEquals) {
  calculator.SetValue(7);
  TCalculatorUser user(&calculator, {
      [](TGxCalculatorForm* f) {
        EXPECT_EQ(Shown(f), "7");  // the value it opens with
        Type(f, "+3\r");
      },
      [](TGxCalculatorForm* f) {
        EXPECT_EQ(Shown(f), "10");
        Type(f, "\x1b");
      },
      [](TGxCalculatorForm* f) {
        EXPECT_EQ(Shown(f), "0");
        EXPECT_TRUE(f->GetVisible());
        Type(f, "5,5");
        PressKey(f, 24);  // MS
      },
      [](TGxCalculatorForm* f) {
        EXPECT_EQ(f->CalcPanel()->MemoryLabel()->GetCaption(), "M");
        Type(f, "\r");
        PressKey(f, 27);
      },
  });
  EXPECT_TRUE(calculator.ShowModalCalculator());
  EXPECT_EQ(calculator.GetValue(), 5.5);
  EXPECT_EQ(calculator.Memory, 5.5);
  EXPECT_EQ(changes, 1);
}

TEST_F(CalculatorDialogTest, TheCloseBoxKeepsValueAndMemory) {
  calculator.SetValue(3);
  calculator.Memory = 2;
  TCalculatorUser user(&calculator, {
      [](TGxCalculatorForm* f) {
        EXPECT_EQ(f->CalcPanel()->MemoryLabel()->GetCaption(), "M");
        Type(f, "99");
        PressKey(f, 26);  // MC
      },
      [](TGxCalculatorForm* f) { PostMessageW(f->GetHandle(), WM_CLOSE, 0, 0); },
  });
  EXPECT_FALSE(calculator.ShowModalCalculator());
  EXPECT_EQ(calculator.GetValue(), 3);
  EXPECT_EQ(calculator.Memory, 2);
  EXPECT_EQ(changes, 0);
}

TEST_F(CalculatorDialogTest, OkInTheErrorStateBeepsAndStays) {
  TCalculatorUser user(&calculator, {
      [](TGxCalculatorForm* f) {
        Type(f, "1/0=");
        PressKey(f, 27);
      },
      [this](TGxCalculatorForm* f) {
        EXPECT_EQ(Shown(f), "Error");
        EXPECT_TRUE(f->GetVisible());
        EXPECT_EQ(beeper.Count(), 2);
        PressKey(f, 28);  // Cancel
      },
  });
  EXPECT_FALSE(calculator.ShowModalCalculator());
  EXPECT_EQ(changes, 0);
}

TEST_F(CalculatorDialogTest, ThePopupMenusShortcutsCopyAndPaste) {
  TGxCalculatorForm form(nullptr, 0, RussianFormatSettings());
  form.CalcPanel()->CalcKey('8');
  EXPECT_TRUE(form.IsShortCut(VK_INSERT, TShiftState{ssCtrl}));
  EXPECT_EQ(clipboard.GetAsText(), "8");
  clipboard.SetAsText("12,5 ₽");
  EXPECT_TRUE(form.IsShortCut(VK_INSERT, TShiftState{ssShift}));
  EXPECT_EQ(Shown(&form), "12,5");
  EXPECT_FALSE(form.IsShortCut(VK_INSERT, TShiftState{}));

  clipboard.Clear();
  form.Menu()->OnPopup(form.Menu());
  EXPECT_FALSE(form.Menu()->Items()->Items(1)->GetEnabled());
  clipboard.SetAsText("1");
  form.Menu()->OnPopup(form.Menu());
  EXPECT_TRUE(form.Menu()->Items()->Items(1)->GetEnabled());
}

TEST(CalculatorPanel, KeysOfBothLayouts) {
  TCalculatorPanel dialog(nullptr, cpDialog, RussianFormatSettings());
  TCalculatorPanel popup(nullptr, cpPopup, RussianFormatSettings());
  EXPECT_EQ(dialog.GetWidth(), 240);
  EXPECT_EQ(popup.GetHeight(), 124);
  int dialogKeys = 0, popupKeys = 0;
  for (int kind = 1; kind <= 28; ++kind) {
    dialogKeys += dialog.ButtonOfKind(kind) != nullptr;
    popupKeys += popup.ButtonOfKind(kind) != nullptr;
  }
  EXPECT_EQ(dialogKeys, 28);
  EXPECT_EQ(popupKeys, 19);
  EXPECT_EQ(dialog.FindButton(',')->Kind(), 12);
  EXPECT_EQ(dialog.FindButton(',')->GetCaption(), ",");
  EXPECT_EQ(dialog.FindButton('\r')->Kind(), 20);
  EXPECT_EQ(dialog.FindButton('\x1b')->Kind(), 22);
  EXPECT_EQ(popup.FindButton('Q'), nullptr);
  EXPECT_EQ(dialog.ButtonOfKind(24)->GetTag(), -1);
  TCalcButton* equals = popup.ButtonOfKind(20);
  EXPECT_EQ(equals->GetBoundsRect(), Bounds(52, 98, 44, 21));
  // The glyph keys show a cell of the program's CALCBTNS instead of a caption.
  TCalcButton* ok = dialog.ButtonOfKind(27);
  EXPECT_EQ(ok->GetGlyph()->GetWidth(), 16);
  EXPECT_EQ(ok->GetCaption(), "");
  std::set<TColor> colours;
  TBitmap* plusMinus = dialog.ButtonOfKind(11)->GetGlyph();
  for (int y = 0; y < plusMinus->GetHeight(); ++y)
    for (int x = 0; x < plusMinus->GetWidth(); ++x) colours.insert(plusMinus->Canvas()->GetPixels(x, y));
  EXPECT_EQ(colours, (std::set<TColor>{clBlack, clFuchsia}));
  EXPECT_EQ(popup.ButtonOfKind(11)->GetCaption(), "±");
  EXPECT_TRUE(dialog.ButtonOfKind(1)->GetFont()->GetStyle().Contains(fsBold));
  TGxCalculatorForm form(nullptr);
  EXPECT_TRUE(form.CalcPanel()->ButtonOfKind(1)->GetFont()->GetStyle().Contains(fsBold));
  EXPECT_TRUE(form.Display()->GetFont()->GetStyle().Contains(fsBold));
}

// Laid out at 96 pixels per inch, the dialog grows with the screen's density and is
// centred on the screen.
TEST(CalculatorDialog, IsScaledOnAScreenOfAnotherDensity) {
  struct TCase {
    int Dpi;
    TRect Seven, Display;
    int ClientWidth, ClientHeight;
  } cases[] = {
      {96, Bounds(47, 32, 36, 22), Bounds(6, 6, 230, 23), 242, 159},
      {120, Bounds(59, 40, 45, 28), Bounds(8, 8, 288, 29), 303, 199},
      {144, Bounds(71, 48, 54, 33), Bounds(9, 9, 345, 35), 363, 239},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Dpi);
    guitest::TFixedDpi dpi(c.Dpi);
    TSeamScope<TScreenDpi> scope(dpi);
    TGxCalculatorForm form(nullptr);
    EXPECT_EQ(form.GetClientWidth(), c.ClientWidth);
    EXPECT_EQ(form.GetClientHeight(), c.ClientHeight);
    EXPECT_EQ(form.CalcPanel()->ButtonOfKind(8)->GetBoundsRect(), c.Seven);
    EXPECT_EQ(form.Display()->GetParent()->GetParent()->GetBoundsRect(), c.Display);
    // The keys and the display fill the scaled dialog as they fill the designed one.
    TCalcButton* equals = form.CalcPanel()->ButtonOfKind(20);
    EXPECT_LE(equals->GetLeft() + equals->GetWidth(), form.CalcPanel()->GetClientWidth());
    EXPECT_LE(form.CalcPanel()->GetTop() + form.CalcPanel()->GetHeight(), form.MainPanel()->GetClientHeight());
    if (c.Dpi != 96) {
      EXPECT_EQ(form.GetLeft(), Screen->Width() / 2 - form.GetWidth() / 2);
      EXPECT_EQ(form.GetTop(), Screen->Height() / 2 - form.GetHeight() / 2);
    }
  }
}

TEST(CalculatorPanel, MemoryIndicator) {
  TCountingBeeper beeper;
  TBeeperScope beeps(beeper);
  TCalculatorPanel panel(nullptr, cpDialog, RussianFormatSettings());
  auto press = [&](int kind) { panel.ButtonOfKind(kind)->Click(); };
  panel.CalcKey('5');
  press(24);  // MS
  EXPECT_EQ(panel.MemoryLabel()->GetCaption(), "M");
  press(26);  // MC
  EXPECT_EQ(panel.MemoryLabel()->GetCaption(), "");
  panel.CalcKey('0');
  press(24);
  EXPECT_EQ(panel.MemoryLabel()->GetCaption(), "");
  panel.CalcKey('4');
  press(23);  // MP
  press(23);
  EXPECT_EQ(panel.Engine().GetMemory(), 8);
}

TEST(GxCalculator, TitleIsStreamedOnlyWhenItIsNotCalculator) {
  auto text = [](TGxCalculator& c) { return horavox::test::WriteToText(&c); };
  TGxCalculator calculator(nullptr);
  EXPECT_EQ(text(calculator).find("Title"), std::string::npos);
  calculator.SetTitle("Калькулятор");
  EXPECT_NE(text(calculator).find("Title"), std::string::npos);
  calculator.SetPrecision(40);
  EXPECT_EQ(calculator.GetPrecision(), 17);
}

}  // namespace

// The user's decimal separator for a test, the one before restored afterwards.
class TLocaleDecimal {
 public:
  explicit TLocaleDecimal(const wchar_t* Separator) {
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, FSaved, 8);
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, Separator);
  }
  ~TLocaleDecimal() { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, FSaved); }

 private:
  wchar_t FSaved[8] = L".";
};

TEST(GxCalculator, TheDecimalKeyAndTheDisplayUseTheLocalesSeparatorAndTakeBothTyped) {
  for (const wchar_t* separator : {L",", L"."}) {
    TLocaleDecimal locale(separator);
    const std::string sep = separator[0] == L',' ? "," : ".";
    SCOPED_TRACE("separator " + sep);
    TGxCalculator calculator(nullptr);  // nothing set: the user's locale
    calculator.SetValue(0.5);
    String opened, key, typed;
    TCalculatorUser user(&calculator, {
        [&](TGxCalculatorForm* f) {
          opened = Shown(f);
          key = f->CalcPanel()->ButtonOfKind(12)->GetCaption();
          Type(f, "C1.5+1,25=");
        },
        [&](TGxCalculatorForm* f) {
          typed = Shown(f);
          guitest::SaveScreenshot(f->GetHandle(), sep == "," ? "gridcal-calculator-comma.bmp"
                                                              : "gridcal-calculator-point.bmp");
          PressKey(f, 27);
        },
    });
    EXPECT_TRUE(calculator.ShowModalCalculator());
    EXPECT_EQ(opened, "0" + sep + "5");
    EXPECT_EQ(key, sep);
    EXPECT_EQ(typed, "2" + sep + "75");
    EXPECT_DOUBLE_EQ(calculator.GetValue(), 2.75);
  }
}
