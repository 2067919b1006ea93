#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "classlib/core/format.h"
#include "classlib/core/text.h"

namespace {

TEST(Format, WritesEachSpecifier) {
  struct Case {
    std::string got, want;
  };
  const Case cases[] = {
      {Format("%d|%5d|%-5d|%.4d|%d", 42, 42, 42, -42, INT_MIN), "42|   42|42   |-0042|-2147483648"},
      {Format("%u %u %x %.4x %x", 7u, -1, 255, 10, std::int64_t(-1)), "7 4294967295 FF 000A FFFFFFFFFFFFFFFF"},
      {Format("%s|%6s|%-6s|%.3s|%s", "ab", "ab", "ab", "abcdef", 'c'), "ab|    ab|ab    |abc|c"},
      // Width and precision count characters, not UTF-8 bytes.
      {Format("[%5s][%.2s]", "ёж", "Хоравокс"), "[   ёж][Хо]"},
      {Format("%f %.0f %.3f %f", 3.14159, 2.7, -0.0004, -1.005), "3.14 3 0.000 -1.00"},
      {Format("%e", 1234.5), "1.23450000000000E+003"},
      {Format("%.3e %.2e", -0.000123456, 0.0), "-1.23E-004 0.0E+000"},
      {Format("%g %g %g %g", 0.1, 100.0, 1e20, 1.5e-7), "0.1 100 1E20 1.5E-7"},
      {Format("%n %.0n", 1234567.891, -9876543.0), "1,234,567.89 -9,876,543"},
      {Format("%m", -1234.5), "($1,234.50)"},
      {Format("%p", reinterpret_cast<const void*>(std::uintptr_t(0xBEEF))), "000000000000BEEF"},
      {Format("100%% of %s", "it"), "100% of it"},
      // An index picks the argument and the next ones follow it; '*' takes width and precision.
      {Format("%1:s %0:s %s", "a", "b"), "b a b"},
      {Format("[%*d][%-*d][%.*f]", 4, 7, 3, 7, 1, 2.27), "[   7][7  ][2.3]"},
      {Format("%D %S %X", 1, "s", 255), "1 s FF"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(Format, UsesTheSettingsSeparatorsAndCurrency) {
  const TFormatSettings& ru = RussianFormatSettings();
  EXPECT_EQ(Format(ru, "%.2f|%n|%m|%m", 3.14159, 1234567.5, 1234.5, -2.0), "3,14|1 234 567,50|1 234,50 ₽|-2,00 ₽");
}

TEST(Format, RaisesOnBadFormatsAndArguments) {
  const auto raises = [](auto&& call, const char* fragment) {
    try {
      call();
      ADD_FAILURE() << "no exception for " << fragment;
    } catch (const EConvertError& e) {
      EXPECT_NE(e.Message.find(fragment), std::string::npos) << e.Message;
    }
  };
  const char* kInvalid = "invalid or incompatible with argument";
  raises([] { Format("%d", "text"); }, kInvalid);
  raises([] { Format("%s", 5); }, kInvalid);
  raises([] { Format("%f", 5); }, kInvalid);
  raises([] { Format("%x", 2.5); }, kInvalid);
  raises([] { Format("%p", 5); }, kInvalid);
  raises([] { Format("%k", 5); }, kInvalid);
  raises([] { Format("%5", 5); }, kInvalid);            // no type before the end
  raises([] { Format("%*d", "w", 5); }, kInvalid);       // '*' wants an integer
  raises([] { Format("%99999999d", 5); }, kInvalid);     // absurd width
  raises([] { Format("%d %d", 1); }, "No argument for format '%d %d'");
  raises([] { Format("%3:d", 1, 2); }, "No argument");
}

TEST(FloatConversions, GeneralFormAndParsingFollowTheSettings) {
  const TFormatSettings& ru = RussianFormatSettings();
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {{0, "0"},          {-0.0, "0"},           {1.5, "1.5"},
                        {-2.25, "-2.25"},  {1e15, "1E15"},        {123456789012345.0, "123456789012345"},
                        {0.00001, "0.00001"}, {0.000001, "1E-6"}, {1.0 / 3, "0.333333333333333"}};
  for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.value), c.text) << c.value;
  EXPECT_EQ(FloatToStr(2.5, ru), "2,5");
  EXPECT_EQ(FloatToStrF(10.0 / 3, ffGeneral, 2, 0), "3.3");
  EXPECT_EQ(FloatToStrF(1234.5, ffFixed, 15, 1, ru), "1234,5");

  EXPECT_DOUBLE_EQ(StrToFloat(" 2,5 ", ru), 2.5);
  EXPECT_DOUBLE_EQ(StrToFloat("-1.5e3"), -1500);
  EXPECT_DOUBLE_EQ(StrToFloat("+.5"), 0.5);
  for (const char* bad : {"", "2,5", "1.2.3", "e5", "1e", "12abc", "- 1", "1 000"}) {
    EXPECT_THROW(StrToFloat(bad), EConvertError) << bad;
    EXPECT_DOUBLE_EQ(StrToFloatDef(bad, 7), 7) << bad;
  }
  EXPECT_THROW(StrToFloat("2.5", ru), EConvertError);
}

TEST(FloatConversions, FormatFloatWritesByDigitPatterns) {
  const TFormatSettings& ru = RussianFormatSettings();
  struct Case {
    const char* pattern;
    double value;
    const char* text;
  };
  const Case cases[] = {
      {"0.##", 10.0 / 3, "3,33"},  {"0.", 10.0 / 3, "3"},        {"0.##", 2.5, "2,5"},
      {"0.##", 3, "3"},            {"0.##", 0.005, "0,01"},       {"0.##", -0.005, "-0,01"},
      {"0.##", 2.675, "2,68"},     {"0.##", 0.004, "0"},          {"0.##", -0.001, "0"},
      {"0.##", -0.0, "0"},         {"0.##", 9.999, "10"},         {"0.#", 0.95, "1"},
      {"0.00", 1.5, "1,50"},       {"0.0#", 1, "1,0"},            {"000", 7, "007"},
      {"#.##", 0.5, ",5"},         {"0.##", 1e20, "100000000000000000000"},
      {"0.########", 1e-9, "0"},   {"0.########", 123456.125, "123456,125"},
      {"0.##", -1234.5678, "-1234,57"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFloat(c.pattern, c.value, ru), c.text) << c.pattern << " " << c.value;
  EXPECT_EQ(FormatFloat("0.##", 2.5), "2.5");
  for (const char* bad : {"0.0.0", "0,00", "x", "0.#e"}) EXPECT_THROW(FormatFloat(bad, 1), EConvertError) << bad;
}

TEST(IntegerConversions, ParseDecimalAndHexAndRejectTheRest) {
  struct Case {
    const char* text;
    bool ok;
    int value;
  };
  const Case cases[] = {
      {"0", true, 0},          {"  -17", true, -17},          {"+5", true, 5},
      {"$1F", true, 31},       {"0x10", true, 16},            {"$FFFFFFFF", true, -1},
      {"2147483647", true, INT_MAX}, {"-2147483648", true, INT_MIN},
      {"2147483648", false, 0}, {"", false, 0},  {"12 ", false, 0}, {"1.5", false, 0},
      {"abc", false, 0},       {"--1", false, 0}, {"$", false, 0},  {"0x", false, 0},
  };
  for (const auto& c : cases) {
    int v = 12345;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
    EXPECT_EQ(StrToIntDef(c.text, -9), c.ok ? c.value : -9) << c.text;
  }
  try {
    StrToInt("x1");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'x1' is not a valid integer value");
  }
  EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
  EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
  EXPECT_EQ(IntToStr(-12), "-12");
  EXPECT_EQ(IntToStr(UINT64_MAX), "18446744073709551615");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(std::int64_t(-2), 0), "FFFFFFFFFFFFFFFE");
  EXPECT_EQ(BoolToStr(true), "-1");
  EXPECT_EQ(BoolToStr(false, true), "False");
}

TEST(TextCase, AnsiRoutinesKnowCyrillicThePlainOnesOnlyAscii) {
  EXPECT_EQ(AnsiUpperCase("ёлка Ёж, привет! abc àé"), "ЁЛКА ЁЖ, ПРИВЕТ! ABC ÀÉ");
  EXPECT_EQ(AnsiLowerCase("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ XYZ"), "абвгдеёжзийклмнопрстуфхцчшщъыьэюя xyz");
  EXPECT_EQ(UpperCase("abc ёж"), "ABC ёж");
  EXPECT_EQ(LowerCase("ABC ЁЖ"), "abc ЁЖ");
  EXPECT_EQ(AnsiUpperCase("a\xFF" "b"), "A\xFF" "B");  // bytes that are no UTF-8 stay
}

TEST(TextCompare, OrdersCyrillicAsTheRussianAlphabet) {
  // Each word sorts before the next.
  const char* ordered[] = {"", "1", "a", "B", "z", "а", "Б", "е", "ещё", "ё", "Ёж", "ж", "Я", "яблоко"};
  for (size_t i = 0; i + 1 < std::size(ordered); ++i) {
    EXPECT_LT(AnsiCompareText(ordered[i], ordered[i + 1]), 0) << ordered[i] << " < " << ordered[i + 1];
    EXPECT_GT(AnsiCompareText(ordered[i + 1], ordered[i]), 0) << ordered[i + 1] << " > " << ordered[i];
  }
  EXPECT_EQ(AnsiCompareText("ЁЛКА", "ёлка"), 0);
  EXPECT_TRUE(AnsiSameText("Привет", "пРИВЕТ"));
  EXPECT_FALSE(AnsiSameText("елка", "ёлка"));
  // Case apart: a lower-case letter before its capital, but the letters decide first.
  EXPECT_LT(AnsiCompareStr("ёж", "Ёж"), 0);
  EXPECT_LT(AnsiCompareStr("Ёж", "ёжик"), 0);
  EXPECT_LT(AnsiCompareStr("Ель", "ёлка"), 0);
  EXPECT_EQ(AnsiCompareStr("Ёж", "Ёж"), 0);
  // The plain routines fold ASCII only.
  EXPECT_EQ(CompareText("Hello", "hELLO"), 0);
  EXPECT_TRUE(SameText("abc", "ABC"));
  EXPECT_FALSE(SameText("ёж", "ЁЖ"));
  EXPECT_LT(CompareText("abc", "abd"), 0);
  EXPECT_GT(CompareText("abcd", "ABC"), 0);
}

TEST(TextEdit, TrimPosReplaceAndQuotes) {
  EXPECT_EQ(Trim(" \t ёж \r\n"), "ёж");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Pos("ж", "ёжик"), 3);
  EXPECT_EQ(Pos("x", "abc"), 0);
  EXPECT_EQ(Pos("", "abc"), 0);

  struct Case {
    const char* s;
    const char* from;
    const char* to;
    TReplaceFlags flags;
    const char* want;
  };
  const Case cases[] = {
      {"a-b-c", "-", "+", 0, "a+b-c"},
      {"a-b-c", "-", "+", rfReplaceAll, "a+b+c"},
      {"Ёж ёж ЁЖ", "ёж", "кот", rfReplaceAll | rfIgnoreCase, "кот кот кот"},
      {"Ёж ёж", "ёж", "кот", rfReplaceAll, "Ёж кот"},
      {"aaa", "a", "aa", rfReplaceAll, "aaaaaa"},  // replaced text is not searched again
      {"abc", "", "x", rfReplaceAll, "abc"},
  };
  for (const auto& c : cases) EXPECT_EQ(StringReplace(c.s, c.from, c.to, c.flags), c.want) << c.s;

  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(AnsiDequotedStr("'it''s' rest", '\''), "it's");
  EXPECT_EQ(AnsiDequotedStr("plain", '\''), "plain");
  EXPECT_EQ(AnsiDequotedStr("'open", '\''), "'open");
}

}  // namespace
