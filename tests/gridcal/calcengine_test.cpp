// The calculators' engine, driven by keys as the dialog's keyboard and buttons drive it,
// with the clock's settings (',' and "₽"), the beeps counted and the clipboard in memory.
#include "gridcal/calcengine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "classlib/core/beep.h"
#include "classlib/core/clipbrd.h"
#include "classlib/core/exceptions.h"

namespace {

class CalcEngineTest : public ::testing::Test {
 protected:
  CalcEngineTest() : beeps(beeper), clip(clipboard), engine(RussianFormatSettings()) {
    engine.OnResult = [this](TObject*) { ++results; };
    engine.OnError = [this](TObject*) { ++errors; };
    engine.OnDisplayChange = [this](TObject*) { ++displayChanges; };
  }

  // Keys as typed; 'M' stands for the MR key, 'S' for MS, 'P' for MP and 'Z' for MC.
  void Type(const std::string& keys) {
    for (char k : keys) {
      switch (k) {
        case 'M': engine.MemoryRecall(); break;
        case 'S': engine.MemoryStore(); break;
        case 'P': engine.MemoryAdd(); break;
        case 'Z': engine.MemoryClear(); break;
        default: engine.ProcessKey(k);
      }
    }
  }

  TCountingBeeper beeper;
  TBeeperScope beeps;
  TMemoryClipboard clipboard;
  TClipboardScope clip;
  TCalcEngine engine;
  int results = 0;
  int errors = 0;
  int displayChanges = 0;
};

struct KeyCase {
  const char* Name;
  double Memory;
  const char* Keys;
  const char* Text;
  TCalcState Status;
  int Beeps;
  int Results;
};

class CalcEngineKeys : public CalcEngineTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(CalcEngineKeys, ShowsWhatTheKeysCompute) {
  const KeyCase& c = GetParam();
  engine.SetMemory(c.Memory);
  Type(c.Keys);
  EXPECT_EQ(engine.Text(), c.Text);
  EXPECT_EQ(engine.Status(), c.Status);
  EXPECT_EQ(beeper.Count(), c.Beeps);
  EXPECT_EQ(results, c.Results);
}

const KeyCase kKeyCases[] = {
    {"PercentOfASum", 0, "200+10%", "220", csFirst, 0, 1},
    {"PercentOfAProduct", 0, "200*10%", "20", csFirst, 0, 1},
    {"PercentAlone", 0, "5%", "5", csFirst, 0, 1},
    {"LeftToRight", 0, "2+3*4=", "20", csFirst, 0, 1},
    {"EqualsRepeated", 0, "7==", "7", csFirst, 0, 2},
    {"SecondOperatorReplaces", 0, "5+-3=", "2", csFirst, 0, 1},
    {"DivisionByZero", 0, "1/0=", "Error", csError, 1, 1},
    {"ErrorRefusesDigits", 0, "1/0=5", "Error", csError, 1, 1},
    {"ClearEndsTheError", 0, "1/0=5C", "0", csFirst, 1, 1},
    {"EscapeClearsToo", 0, "12+3\x1b", "0", csFirst, 0, 0},
    {"EnterIsEquals", 0, "12+3\r", "15", csFirst, 0, 1},
    {"RootOfANegative", 0, "4_Q", "Error", csError, 1, 0},
    {"Root", 0, "16Q", "4", csFirst, 0, 0},
    {"ReciprocalOfZero", 0, "0R", "Error", csError, 1, 0},
    {"Reciprocal", 0, "4R", "0,25", csFirst, 0, 0},
    {"OverflowIsAnError", 1e200, "M*M=", "Error", csError, 1, 1},
    {"PointAndCommaGiveOneSeparator", 0, "1.,5", "1,5", csValid, 0, 0},
    {"TrailingSeparatorReads", 0, "12,+1=", "13", csFirst, 0, 1},
    {"FifteenDigits", 0, "123456789012345", "123456789012345", csValid, 0, 0},
    {"SixteenthDigitRefused", 0, "1234567890123456", "123456789012345", csValid, 1, 0},
    {"SixteenAfterMinus", 0, "5_123456789012345", "-512345678901234", csValid, 1, 0},
    {"BackspaceOnMinusFive", 0, "5_\b", "0", csValid, 0, 0},
    {"BackspaceRemovesTheLast", 0, "123\b", "12", csValid, 0, 0},
    {"NegateZeroShowsZero", 0, "_", "0", csFirst, 0, 0},
    {"RecallThenDigitAppends", 5, "2+3=M7", "57", csValid, 0, 1},
    {"NoSeparatorAfterExponent", 1e20, "M,", "1E20", csValid, 0, 0},
    {"BrokenExponentIsAnError", 1e20, "M\b\b+", "Error", csError, 1, 0},
    {"OneThird", 0, "1/3=", "0,333333333333333", csFirst, 0, 1},
    {"FifteenNines", 0, "999999999999999=", "999999999999999", csFirst, 0, 1},
    {"TenToTheFifteenth", 0, "999999999999999+1=", "1E15", csFirst, 0, 1},
    {"SmallestFixed", 0, "1/100000=", "0,00001", csFirst, 0, 1},
    {"BelowTheSmallestFixed", 0, "1/1000000=", "1E-6", csFirst, 0, 1},
    {"TrailingZerosDropped", 0, "2,50+0=", "2,5", csFirst, 0, 1},
};

INSTANTIATE_TEST_SUITE_P(Table, CalcEngineKeys, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(CalcEngineTest, AnErrorIsToldOnceAndTheDisplayOnce) {
  Type("1/0=");
  EXPECT_EQ(errors, 1);
  Type("5+");
  EXPECT_EQ(errors, 1);
  displayChanges = 0;
  Type("C");
  EXPECT_EQ(displayChanges, 1);
}

TEST_F(CalcEngineTest, MemoryKeysAndTheMemoryValue) {
  Type("5S");
  EXPECT_EQ(engine.GetMemory(), 5);
  Type("3P");
  EXPECT_EQ(engine.GetMemory(), 8);
  Type("Z");
  EXPECT_EQ(engine.GetMemory(), 0);
  Type("7S0S");
  EXPECT_EQ(engine.GetMemory(), 0);
  // In the error state MS keeps the memory.
  Type("4S1/0=S");
  EXPECT_EQ(engine.GetMemory(), 4);
}

TEST_F(CalcEngineTest, PasteTakesANumberWithTheCurrency) {
  clipboard.SetAsText(" 12,5 ₽ ");
  engine.ProcessKey(22);
  EXPECT_EQ(engine.Text(), "12,5");
  EXPECT_EQ(engine.DisplayValue(), 12.5);
}

TEST_F(CalcEngineTest, PastedTextThatIsNoNumberRaisesAndKeepsTheDisplay) {
  Type("42");
  clipboard.SetAsText("abc");
  EXPECT_THROW(engine.ProcessKey(22), EConvertError);
  EXPECT_EQ(engine.Text(), "42");
  EXPECT_EQ(engine.Status(), csValid);
}

TEST_F(CalcEngineTest, PasteEndsTheErrorState) {
  Type("1/0=");
  clipboard.SetAsText("5");
  engine.Paste();
  EXPECT_EQ(engine.Text(), "5");
  EXPECT_EQ(engine.Status(), csFirst);
  Type("+1=");
  EXPECT_EQ(engine.Text(), "6");
}

TEST_F(CalcEngineTest, PasteWithAnEmptyClipboardChangesNothing) {
  Type("7");
  engine.Paste();
  EXPECT_EQ(engine.Text(), "7");
}

TEST_F(CalcEngineTest, CopyPutsTheDisplayOnTheClipboard) {
  Type("1/4=");
  engine.ProcessKey(3);
  EXPECT_EQ(clipboard.GetAsText(), "0,25");
}

TEST_F(CalcEngineTest, CalcKeyHandlerMayChangeOrCancelAKey) {
  engine.OnCalcKey = [](TObject*, char& key) {
    if (key == '9') key = '1';
    if (key == '+') key = 0;
  };
  Type("9+9");
  EXPECT_EQ(engine.Text(), "11");
}

TEST_F(CalcEngineTest, SetDisplayOfSomethingNotFiniteIsAnError) {
  engine.SetDisplay(std::numeric_limits<double>::infinity());
  EXPECT_EQ(engine.Text(), "Error");
  engine.SetStatus(csFirst);
  engine.SetDisplay(std::nan(""));
  EXPECT_EQ(engine.Status(), csError);
}

TEST_F(CalcEngineTest, NoBeepWhenBeepOnErrorIsOff) {
  engine.SetBeepOnError(false);
  Type("1/0=");
  EXPECT_EQ(engine.Text(), "Error");
  EXPECT_EQ(beeper.Count(), 0);
}

TEST_F(CalcEngineTest, ADisplayElsewhereIsReadAndWrittenThere) {
  // As a drop-down keeps its number in an edit box, which may hold any text.
  std::string box = "12₽";
  engine.ReadDisplay = [&] { return box; };
  engine.WriteDisplay = [&](const std::string& Text) { box = Text; };
  engine.SetStatus(csValid);
  engine.ProcessKey(8);
  EXPECT_EQ(box, "12");  // the whole last character
  box = "-₽";
  engine.ProcessKey(8);
  EXPECT_EQ(box, "0");
  box = "";
  EXPECT_EQ(engine.DisplayValue(), 0);
  EXPECT_EQ(engine.Status(), csValid);
  engine.ErrorText.clear();
  box = "12x";
  Type("+");
  EXPECT_EQ(engine.Status(), csError);
  EXPECT_EQ(box, "12x");  // the error keeps the text
}

TEST_F(CalcEngineTest, PrecisionKeepsTwoToSeventeenDigits) {
  engine.SetPrecision(1);
  EXPECT_EQ(engine.GetPrecision(), 2);
  engine.SetPrecision(255);
  EXPECT_EQ(engine.GetPrecision(), 17);
  Type("123456789012345678");
  EXPECT_EQ(engine.Text(), "12345678901234567");
  EXPECT_EQ(beeper.Count(), 1);
}

TEST_F(CalcEngineTest, KeysOfTheButtons) {
  EXPECT_EQ(engine.KeyIndex('0'), 0);
  EXPECT_EQ(engine.KeyIndex('9'), 9);
  EXPECT_EQ(engine.KeyIndex('_'), 10);
  EXPECT_EQ(engine.KeyIndex(','), 11);
  EXPECT_EQ(engine.KeyIndex('.'), 11);
  EXPECT_EQ(engine.KeyIndex('q'), 16);
  EXPECT_EQ(engine.KeyIndex('\r'), 19);
  EXPECT_EQ(engine.KeyIndex('\b'), 20);
  EXPECT_EQ(engine.KeyIndex('\x1b'), 21);
  EXPECT_EQ(engine.KeyIndex('c'), 21);
  EXPECT_EQ(engine.KeyIndex('x'), -1);
  EXPECT_EQ(engine.KeyIndex(0), -1);
}

}  // namespace
