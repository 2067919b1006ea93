// The expression language and the built-in functions, over a link with one record of fixed
// field values (expression_fixture.h). Tables under expressions: tablelink_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "classlib/core/codepage.h"
#include "classlib/core/exceptions.h"
#include "expression_fixture.h"
#include "xbase/dates.h"
#include "xbase/errors.h"
#include "xbase/numbers.h"
#include "xbase/variant.h"

namespace {

class Expressions : public ::testing::Test {
 protected:
  Expressions() { Link.StandardRecord(); }

  std::string Eval(const std::string& text, bool caseInsensitive = false, bool sql = false) {
    TxbExpHandler h(&Link, sql, text);
    h.CaseInsensitive = caseInsensitive;
    return Show(h.Evaluate());
  }
  // The message of the EXBaseExpression that compiling and evaluating raise.
  std::string Error(const std::string& text, TxbExpUserLink* link) {
    try {
      TxbExpHandler h(link, false, text);
      h.Evaluate();
    } catch (const EXBaseExpression& e) {
      return e.Message;
    }
    return "no error";
  }
  std::string Error(const std::string& text) { return Error(text, &Link); }

  TFixedLink Link;
};

struct Case {
  const char* Text;
  const char* Expected;
};

TEST_F(Expressions, OperatorsBindByPrecedenceAndMixTypesByTheRules) {
  const Case cases[] = {
      {"A+B*C", "N:14"}, {"A-B-C", "N:-5"}, {"2^3^2", "N:64"}, {"2**3", "N:8"},
      {"2^0", "N:1"}, {"2^-1", "N:0.5"}, {"2^2.9", "N:4"}, {"-5+3", "N:-2"}, {"7/2", "N:3.5"},
      {"A >= 2", "L:T"}, {"A # 2", "L:F"}, {"A <> B", "L:T"}, {"A != B", "L:T"}, {"B =< A", "L:F"},
      {".NOT. .T.", "L:F"}, {"!PAID", "L:F"}, {".NOT. A = B", "L:T"}, {".NOT. .NOT. PAID", "L:T"},
      {"PAID AND NOT PAID", "L:F"}, {"PAID OR .F.", "L:T"}, {".T. .AND. .F. .OR. .T.", "L:T"},
      {".F. .AND. .F. .OR. .T.", "L:T"}, {".F. .AND. 1/0 > 1", "L:F"}, {".T. .OR. 1/0 > 1", "L:T"}, {"PAID = .T.", "L:T"}, {"TRUE", "L:T"}, {"false", "L:F"},
      {"T", "C:tee"}, {".T.", "L:T"}, {"t + 'x'", "C:teex"},
      {"'ab  ' - 'cd'", "C:abcd  "}, {"\"a\" + [b] + 'c'", "C:abc"},
      {"{20260315} + 5", "D:20260320"}, {"5 + {20260315}", "D:20260320"},
      {"{20260315} - 5", "D:20260310"}, {"{20260315} - {20260314}", "N:1"}, {"{20260301} - {20260315}", "N:-14"},
      {"DATA - DATA", "N:0"}, {"DATA - 1 - DATA", "N:-1"}, {"DATA - 1 < DATA", "L:T"},
      {"{}", "D:        "}, {"NODATE = CTOD('')", "L:T"},
      {"UPPER (NAME)", "C:SMITH     "}, {"(((A)))", "N:2"},
  };
  for (const Case& c : cases) EXPECT_EQ(Eval(c.Text), c.Expected) << c.Text;
}

TEST_F(Expressions, TextComparisonWithWildcardsCaseAndBlanks) {
  struct WildCase {
    const char* Text;
    bool CaseInsensitive, Sql;
    const char* Expected;
  };
  const WildCase cases[] = {
      {"NAME = 'SMI*'", false, false, "L:T"}, {"NAME = '*TH'", false, false, "L:T"},
      {"NAME = '*MI*'", false, false, "L:T"}, {"NAME = '*'", false, false, "L:T"},
      {"EMPTYTEXT = '*'", false, false, "L:T"}, {"NAME = 'SMO*'", false, false, "L:F"},
      {"NAME > 'SMA*'", false, false, "L:T"}, {"NAME = 'smi*'", false, false, "L:F"},
      {"NAME = 'smi*'", true, false, "L:T"}, {"NAME = 'smith'", true, false, "L:T"},
      {"NAME = 'SMI%'", false, true, "L:T"}, {"NAME = 'SMI*'", false, true, "L:F"},
      {"NAME = 'SMITH'", false, false, "L:T"}, {"NAME = 'SMITH   '", false, false, "L:T"},
      {"NAME = 'SMI'", false, false, "L:F"}, {"NAME > 'SMI'", false, false, "L:T"},
      {"NAME == 'SMITH'", false, false, "L:F"}, {"NAME == 'SMITH     '", false, false, "L:T"},
      {"NAME == 'SMI*'", false, false, "L:F"}, {"'MIT' $ NAME", false, false, "L:T"},
      {"'mit' $ NAME", false, false, "L:F"}, {"'mit' $ NAME", true, false, "L:T"},
      {"NAME $ 'SMITH'", false, false, "L:F"}, {"'' $ NAME", false, false, "L:F"},
  };
  for (const WildCase& c : cases) EXPECT_EQ(Eval(c.Text, c.CaseInsensitive, c.Sql), c.Expected) << c.Text;
}

TEST_F(Expressions, CyrillicFoldsAlikeInBothCodePages) {
  for (TxbCodePage cp : {TxbCodePage::cp1251, TxbCodePage::cp866}) {
    auto enc = [cp](const std::string& utf8) { return cp == TxbCodePage::cp866 ? Utf8ToCp866(utf8) : Utf8ToCp1251(utf8); };
    TFixedLink link(cp);
    link.Text("NAME", enc("ИВАНОВ  "));
    link.Text("TREE", enc("Ёлка"));
    const Case cases[] = {
        {"NAME = 'иван*'", "L:T"}, {"NAME = 'иванов'", "L:T"}, {"NAME = '*нов'", "L:T"},
        {"'ван' $ NAME", "L:T"}, {"TREE = 'ёлка'", "L:T"}, {"NAME = 'петров'", "L:F"},
        {"UPPER('ёлка')", "C:ЁЛКА"}, {"LOWER(NAME)", "C:иванов  "}, {"PROPER('иван петров-ёлкин')", "C:Иван Петров-Ёлкин"},
        {"ATC('НОВ', 'иванов')", "N:4"}, {"AT('НОВ', 'иванов')", "N:0"},
    };
    for (const Case& c : cases) {
      TxbExpHandler h(&link, false, enc(c.Text));
      h.CaseInsensitive = true;
      std::string shown = Show(h.Evaluate());
      if (shown.rfind("C:", 0) == 0) shown = "C:" + (cp == TxbCodePage::cp866 ? Cp866ToUtf8(shown.substr(2)) : Cp1251ToUtf8(shown.substr(2)));
      EXPECT_EQ(shown, c.Expected) << c.Text << (cp == TxbCodePage::cp866 ? " (866)" : " (1251)");
    }
  }
}

TEST_F(Expressions, EachErrorHasItsMessage) {
  const Case cases[] = {
      {"X+.T.", "The two sides of an operation do not match"},
      {".T.+1", "The two sides of an operation do not match"},
      {"5 $ 6", "The two sides of an operation do not match"},
      {".T. $ .T.", "The two sides of an operation do not match"},
      {".NOT. 5", "A boolean value is required but invalid"},
      {".T.+.F.", "A number value is required but invalid"},
      {".T. > .F.", "A assigned value is required but invalid"},
      {"'a' * 'b'", "A number value is required but invalid"},
      {"* 5", "Target value missing for * operation"},
      {"(A+B", "Missing closing parentheses"}, {"UPPER(NAME", "Missing closing parentheses"},
      {"A+B)", "Unexpected closing parentheses found"},
      {"A B", "Expression cannot be evaluated"}, {"A +", "Expression cannot be evaluated"},
      {"A, B", "Expression cannot be evaluated"}, {"()", "Expression cannot be evaluated"},
      {"-NAME", "Expression cannot be evaluated"}, {"5abc", "Expression cannot be evaluated"},
      {"'abc", "Expression cannot be evaluated"}, {"\"", "Expression cannot be evaluated"},
      {"{", "Expression cannot be evaluated"}, {"{20260101", "Expression cannot be evaluated"},
      {"]", "Expression cannot be evaluated"},
      {"NOSUCH", "Field/variable NOSUCH is unknown"}, {"nosuch + 1", "Field/variable NOSUCH is unknown"},
      {"NOSUCH(1)", "There is no function for NOSUCH"},
      {"SUBSTR(\"abc\",\"x\")", "Number needed for Argument 2 of SUBSTR(\"abc\",\"x\")"},
      {"SUBSTR('abc', 'x')", "Number needed for Argument 2 of SUBSTR(\"abc\",\"x\")"},
      {"UPPER(5)", "Text needed for Argument 1 of UPPER(5)"},
      {"UPPER(PAID)", "Text needed for Argument 1 of UPPER(PAID)"},
      {"UPPER(NOTES)", "Text needed for Argument 1 of UPPER(NOTES)"},
      {"UPPER()", "Text needed for Argument 1 of UPPER()"},
      {"IIF(1, 2, 3)", "Boolean needed for Argument 1 of IIF(1,2,3)"},
      {"DTOS('x')", "Date needed for Argument 1 of DTOS(\"x\")"},
      {"CHR(256)", "A Byte value is required but invalid"}, {"CHR(-1)", "A Byte value is required but invalid"},
      {"PADC('a', 3, 'ab')", "A Char value is required but invalid"},
      {"PADL('a', 3, '')", "A Char value is required but invalid"},
      {"SPACE(70000)", "A Number value is required but invalid"},
      {"STR(1, 65536)", "A Number value is required but invalid"},
      {"10^400", "A number value is required but invalid"},
  };
  for (const Case& c : cases) EXPECT_EQ(Error(c.Text), c.Expected) << c.Text;
  EXPECT_EQ(Error("NOSUCH(1)", nullptr), "There is no function for NOSUCH");
  EXPECT_EQ(Error("A", nullptr), "Field/variable A is unknown");
}

TEST_F(Expressions, DivisionByZeroAndBadNumbersRaiseTheClassLibraryErrors) {
  EXPECT_THROW(Eval("MOD(1, 0)"), EDivByZero);
  EXPECT_THROW(Eval("1/0"), EDivByZero);
  EXPECT_THROW(Eval("A/X"), EDivByZero);
  EXPECT_THROW(Eval("X^-1"), EDivByZero);
  EXPECT_THROW(Eval("VAL('12abc')"), EConvertError);
  EXPECT_EQ(Eval("IIF(X = 0, 0, 1 / X)"), "N:0");  // only the branch returned is evaluated
}

TEST_F(Expressions, HostileInputEndsInTheError) {
  std::string deep = std::string(10000, '(') + "1" + std::string(10000, ')');
  EXPECT_EQ(Error(deep), "Expression cannot be evaluated");
  EXPECT_EQ(Error(std::string(10000, '(')), "Missing closing parentheses");
  std::string calls;
  for (int i = 0; i < 2000; ++i) calls += "UPPER(";
  calls += "NAME" + std::string(2000, ')');
  EXPECT_EQ(Error(calls), "Expression cannot be evaluated");
  std::string sum = "A";
  for (int i = 1; i < 100000; ++i) sum += "+A";
  EXPECT_EQ(Error(sum), "Expression cannot be evaluated");  // too long
  std::string chain = "A";
  for (int i = 1; i < 10000; ++i) chain += "+A";
  EXPECT_EQ(Error(chain), "Expression cannot be evaluated");  // too deep
  std::string nots;
  for (int i = 0; i < 20000; ++i) nots += "!";
  EXPECT_EQ(Error(nots + "PAID"), "Expression cannot be evaluated");
  // Just under the limits it still works.
  EXPECT_EQ(Eval(std::string(500, '(') + "1" + std::string(500, ')')), "N:1");
  std::string fine = "A";
  for (int i = 1; i < 500; ++i) fine += "+A";
  EXPECT_EQ(Eval(fine), "N:1000");
}

TEST_F(Expressions, FunctionsGiveTheirResults) {
  const Case cases[] = {
      {"SUBSTR('hello', 2, 3)", "C:ell"}, {"SUBSTR('hello', 9)", "C:"}, {"SUBSTR('hello', 0)", "C:"},
      {"SUBSTR('hello', -1)", "C:"}, {"SUBSTR('hello', 5)", "C:o"}, {"SUBSTR('hello', 6)", "C:"},
      {"SUBSTR('hello', 4, 10)", "C:lo"}, {"SUBSTR('hello', 2, -1)", "C:"}, {"SUBSTR('hello', 2, 0)", "C:"},
      {"LEFT('abc', 0)", "C:"}, {"LEFT('abc', -1)", "C:"}, {"LEFT('abc', 2)", "C:ab"}, {"LEFT('abc', 9)", "C:abc"},
      {"RIGHT('abc', 0)", "C:"}, {"RIGHT('abc', -1)", "C:"}, {"RIGHT('abc', 2)", "C:bc"}, {"RIGHT('abc', 9)", "C:abc"},
      {"AT('a', 'banana', 2)", "N:4"}, {"AT('x', 'abc')", "N:0"}, {"AT('a', 'abc', 2)", "N:1"},
      {"AT('a', 'banana', 0)", "N:0"}, {"AT('a', 'banana', -1)", "N:0"}, {"AT('', 'abc')", "N:0"},
      {"ATC('A', 'banana', 3)", "N:6"},
      {"MOD(-7, 3)", "N:-1"}, {"MOD(7, -3)", "N:1"}, {"MOD(7.9, 3.2)", "N:1"},
      {"STR(2.5, 3)", "C:  3"}, {"STR(0.125, 5, 2)", "C: 0.13"}, {"STR(-2.5, 4)", "C:  -3"},
      {"STR(2.675, 5, 2)", "C: 2.68"}, {"STR(3.14159, 6, 2)", "C:  3.14"}, {"STR(123456, 3)", "C:***"},
      {"STR(5)", "C:         5"}, {"STR(AMOUNT)", "C:     123"}, {"STR(AMOUNT, 8, 2)", "C:  123.45"},
      {"STR(1, 3, 3)", "C:***"}, {"STR(1, 0)", "C:"}, {"STR(1, -1)", "C:"}, {"STR(1, 3, -2)", "C:  1"},
      {"STRZERO(42, 5)", "C:00042"}, {"STRZERO(-5, 4)", "C:00-5"},
      {"PADC('ab', 6, '*')", "C:**ab**"}, {"PADC('ab', 5, '*')", "C:*ab**"}, {"PADC('ab', 1)", "C:a"},
      {"PADL('abcdef', 3)", "C:abc"}, {"PADL('ab', 4, '-')", "C:--ab"}, {"PADR('ab', 4)", "C:ab  "},
      {"PADR('ab', -2)", "C:"}, {"SPACE(3)", "C:   "}, {"SPACE(-1)", "C:"},
      {"PROPER(\"o'neil mc-donald\")", "C:O'neil Mc-Donald"}, {"PROPER('HELLO wORLD')", "C:Hello World"},
      {"SOUNDEX('Robert')", "C:R163"}, {"SOUNDEX('Rupert')", "C:R163"}, {"SOUNDEX('Tymczak')", "C:T520"},
      {"SOUNDEX('A')", "C:A000"}, {"SOUNDEX('')", "C:0000"}, {"SOUNDEX('pfister')", "C:P123"},
      {"CHR(65)", "C:A"}, {"LEN(CHR(0))", "N:1"}, {"ASC('A')", "N:65"}, {"ASC('')", "N:0"},
      {"CEILING(1.2)", "N:2"}, {"FLOOR(-1.2)", "N:-2"}, {"INT(-1.7)", "N:-1"},
      {"LEN('abc ')", "N:4"}, {"LEN(NAME)", "N:10"}, {"LOWER('ABC')", "C:abc"}, {"UPPER('abc')", "C:ABC"},
      {"LTRIM('  a ')", "C:a "}, {"TRIM('  a  ')", "C:  a"}, {"RTRIM('a  ')", "C:a"},
      {"ALLTRIM('  a b  ')", "C:a b"}, {"ALLTRIM('   ')", "C:"},
      {"VAL('3.5')", "N:3.5"}, {"VAL('')", "N:0"}, {"VAL('  -12  ')", "N:-12"},
      {"IIF(PAID, 'yes', 1)", "C:yes"}, {"IIF(.F., 'yes', 1)", "N:1"},
      {"EMPTY(CTOD(''))", "L:T"}, {"EMPTY(NODATE)", "L:T"}, {"EMPTY(DATA)", "L:F"}, {"EMPTY(0)", "L:T"},
      {"EMPTY(EMPTYTEXT)", "L:T"}, {"EMPTY('  ')", "L:T"}, {"EMPTY(NAME)", "L:F"}, {"EMPTY(.F.)", "L:T"},
      {"EMPTY(NOTES)", "L:F"},
      {"DOW(CTOD(''))", "N:0"}, {"DOW(DATA)", "N:1"}, {"DTOS(CTOD(''))", "C:        "}, {"DTOS(DATA)", "C:20260315"},
      {"DTOC(DATA, 1)", "C:20260315"}, {"DESCEND(CTOD(''))", "D:        "},
      {"DESCEND(DATA) = 5231808 - DATA", "L:T"}, {"DESCEND(5)", "N:-5"}, {"DESCEND(.T.)", "L:F"},
      {"CTOD('20260315') = DATA", "L:T"}, {"DATE() > CTOD('20000101')", "L:T"},
  };
  for (const Case& c : cases) EXPECT_EQ(Eval(c.Text), c.Expected) << c.Text;
  EXPECT_EQ(Eval("DESCEND(CHR(1) + CHR(0) + CHR(255))"), std::string("C:\xff\x00\x01", 5));
}

TEST_F(Expressions, DatesFollowTheShortDateFormat) {
  TFormatSettings saved = DateObject().FormatSettings;
  DateObject().FormatSettings.ShortDateFormat = "dd.MM.yyyy";
  DateObject().FormatSettings.DateSeparator = '.';
  EXPECT_EQ(Eval("DTOC(DATA)"), "C:15.03.2026");
  EXPECT_EQ(Eval("DTOC(CTOD(''))"), "C:          ");
  EXPECT_EQ(Eval("CTOD('15.03.2026') = DATA"), "L:T");
  DateObject().FormatSettings.ShortDateFormat = "M/d/yyyy";
  DateObject().FormatSettings.DateSeparator = '/';
  EXPECT_EQ(Eval("DTOC(DATA)"), "C:3/15/2026");
  EXPECT_EQ(Eval("CTOD('3/15/2026') = DATA"), "L:T");
  DateObject().FormatSettings = saved;
}

TEST_F(Expressions, DescendReversesTheOrder) {
  std::mt19937 random(20260315);
  // Texts of one length (as keys are) with bytes 1..255, numbers and dates.
  std::vector<std::string> texts;
  std::vector<double> numbers, dates;
  for (int i = 0; i < 200; ++i) {
    std::string s(6, ' ');
    for (char& c : s) c = static_cast<char>(1 + random() % 255);
    texts.push_back(s);
    numbers.push_back(static_cast<double>(static_cast<int>(random() % 20001) - 10000) / 7);
    dates.push_back(2400000 + random() % 200000);
  }
  TFixedLink link;
  TxbExpValue& x = link.Add("X");
  TxbExpHandler h(&link, false, "DESCEND(X)");
  auto descended = [&](const TxbExpValue& v) {
    x.Assign(v);
    TxbExpValue r;
    r.Assign(h.Evaluate());
    return r;
  };
  auto byBytes = [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char p, char q) { return static_cast<unsigned char>(p) < static_cast<unsigned char>(q); });
  };
  std::vector<std::pair<std::string, std::string>> t;
  for (const auto& s : texts) {
    TxbExpValue v;
    v.SetText(s);
    t.emplace_back(descended(v).Text, s);
  }
  std::sort(t.begin(), t.end(), [&](const auto& a, const auto& b) { return byBytes(a.first, b.first); });
  for (std::size_t i = 1; i < t.size(); ++i) EXPECT_FALSE(byBytes(t[i - 1].second, t[i].second)) << i;
  for (std::uint8_t type : {xbtNumber, xbtDate}) {
    std::vector<std::pair<double, double>> n;
    for (double d : type == xbtNumber ? numbers : dates) {
      TxbExpValue v;
      v.SetNumber(d, type);
      n.emplace_back(descended(v).Number, d);
    }
    std::sort(n.begin(), n.end());
    for (std::size_t i = 1; i < n.size(); ++i) EXPECT_GE(n[i - 1].second, n[i].second) << i;
  }
}

TEST_F(Expressions, HandlerEvaluatesIntoAVariantAndWritesItsText) {
  TxbVariant v;
  TxbExpHandler empty(&Link, false, "CTOD('')");
  ASSERT_TRUE(empty.Evaluate(v));
  EXPECT_EQ(v.AsDate(), 0);
  TxbExpHandler text(&Link, false, "TRIM(NAME) + '!'");
  ASSERT_TRUE(text.Evaluate(v));
  EXPECT_EQ(v.AsString(), "SMITH!");
  EXPECT_EQ(text.ResultType(), xbtText);
  EXPECT_EQ(text.TextForm(), "TRIM(NAME)+\"!\"");
  EXPECT_EQ(text.FieldList(), "NAME");
  TxbExpHandler memo(&Link, false, "NOTES");
  EXPECT_FALSE(memo.Evaluate(v));
  TxbExpHandler none(&Link, false, "");
  EXPECT_FALSE(none.Evaluate(v));
  EXPECT_EQ(none.ResultType(), 0);
  text.Recompile("A * 2");
  ASSERT_TRUE(text.Evaluate(v));
  EXPECT_EQ(v.AsFloat(), 4);
}

}  // namespace
