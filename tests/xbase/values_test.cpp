#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "xbase/casetables.h"
#include "xbase/collections.h"
#include "xbase/dates.h"
#include "xbase/errors.h"
#include "xbase/names.h"
#include "xbase/numbers.h"
#include "xbase/variant.h"

namespace {

std::unique_ptr<TxbVariant> Text(const char* s) {
  auto v = std::make_unique<TxbVariant>();
  v->SetString(s);
  return v;
}

TEST(Variant, CompareTexts) {
  struct Case {
    const char *a, *b;
    int prefixResult, result, position;
  } cases[] = {
      {"ABC", "ABCD", 0, 0, 4},
      {"ABC", "ABCD", -1, -1, 4},
      {"ABD", "ABC", -1, 1, 3},
      {"ABC", "ABC", -1, 0, 4},
      {"ABCD", "ABC", 0, 1, 4},
      {"", "A", -1, -1, 0},
      {"A", "", -1, 1, 0},
      {"", "", -1, 0, 0},
  };
  for (const auto& c : cases) {
    auto a = Text(c.a), b = Text(c.b);
    int position = -1;
    EXPECT_EQ(a->Compare(b.get(), position, nullptr, c.prefixResult), c.result) << c.a << " " << c.b;
    EXPECT_EQ(position, c.position) << c.a << " " << c.b;
  }
}

TEST(Variant, CompareWithCollation) {
  // Russian letters of code page 1251 compared by their upper case: "а" (E0) equals "А" (C0).
  const TxbByteTable& upper = UpperCaseTable(TxbCodePage::cp1251);
  auto a = Text("\xE0\xE1"), b = Text("\xC0\xC1"), c = Text("\xC0\xC2");
  int position;
  EXPECT_EQ(a->Compare(b.get(), position, &upper, -1), 0);
  EXPECT_EQ(a->Compare(b.get(), position, nullptr, -1), 1);
  EXPECT_EQ(a->Compare(c.get(), position, &upper, -1), -1);
  EXPECT_EQ(position, 2);
}

TEST(Variant, CompareAcrossTypes) {
  TxbVariant date, binary, number, later, yes, no;
  date.SetDate(2451604);
  std::int32_t j = 2451605;
  binary.SetBinary(&j, sizeof j);
  number.SetFloat(3.5);
  later.SetFloat(10);
  yes.SetBoolean(true);
  no.SetBoolean(false);
  int position;
  EXPECT_EQ(binary.Compare(&date, position, nullptr, -1), 1);  // as day numbers
  EXPECT_EQ(date.Compare(&binary, position, nullptr, -1), -1);
  EXPECT_EQ(number.Compare(&later, position, nullptr, -1), -1);
  EXPECT_EQ(yes.Compare(&no, position, nullptr, -1), 1);
  EXPECT_EQ(no.Compare(&yes, position, nullptr, -1), -1);
  EXPECT_EQ(yes.Compare(nullptr, position, nullptr, -1), 1);
  auto text = Text("3.5");
  try {
    text->Compare(&number, position, nullptr, -1);
    ADD_FAILURE() << "nothing raised";
  } catch (const EXBaseError& e) {
    EXPECT_EQ(e.Message, "Variant types mismatch for compare");
  }
}

TEST(Variant, Conversions) {
  TxbVariant v;
  v.SetString("Yes");
  EXPECT_TRUE(v.AsBoolean());
  v.SetString("no");
  EXPECT_FALSE(v.AsBoolean());
  v.SetString("20000229");
  EXPECT_EQ(DateObject().DateStorageText(v.AsDate()), "20000229");
  v.SetString("-12.5");
  EXPECT_DOUBLE_EQ(v.AsFloat(), -12.5);
  v.SetString("12,5");  // numbers read with "." whatever the locale
  EXPECT_THROW(v.AsFloat(), EConvertError);
  v.SetFloat(2451604.9);
  EXPECT_EQ(v.AsDate(), 2451604);
  EXPECT_EQ(v.AsString(), "2451604.9");
  EXPECT_TRUE(v.AsBoolean());
  v.SetFloat(1.0e100);  // the empty date of expressions
  EXPECT_EQ(v.AsDate(), 0);
  v.SetFloat(0.4);
  EXPECT_FALSE(v.AsBoolean());
  v.SetBoolean(true);
  EXPECT_EQ(v.AsString(), "T");
  EXPECT_DOUBLE_EQ(v.AsFloat(), 1.0);
  v.SetDate(DateObject().TextToJulian("20000229"));
  EXPECT_FALSE(v.AsBoolean());
  EXPECT_DOUBLE_EQ(v.AsFloat(), 2451604);
  v.Clear();
  EXPECT_EQ(v.AsString(), "");
  EXPECT_EQ(v.AsFloat(), 0.0);
  EXPECT_EQ(v.Type(), xvNone);
}

TEST(Variant, TextOperations) {
  TxbVariant v;
  v.SetString("ab\xE0");
  v.Translate(nullptr);
  EXPECT_EQ(v.AsString(), "AB\xC0");
  v.PadRight(6);
  EXPECT_EQ(v.AsString(), "AB\xC0   ");
  v.TrimRight();
  EXPECT_EQ(v.AsString(), "AB\xC0");
  v.PadRight(1);
  EXPECT_EQ(v.AsString(), "A");
  const char more[] = "xyz";
  v.AppendBinary(more, 3);
  EXPECT_EQ(v.Type(), xvBinary);
  EXPECT_EQ(v.AsString(), "Axyz");
  v.AppendBinary(nullptr, 3);
  EXPECT_EQ(v.Length(), 4u);
  TxbVariant copy;
  EXPECT_TRUE(copy.Assign(&v));
  EXPECT_EQ(copy.AsString(), "Axyz");
  EXPECT_FALSE(copy.Assign(nullptr));
  char buffer[2];
  EXPECT_EQ(v.CopyTo(buffer, 2), 2u);
  EXPECT_EQ(std::string(buffer, 2), "Ax");
}

TEST(HugeSet, SetTestToggleClear) {
  TxbHugeSet set;
  EXPECT_FALSE(set.Test(5));
  set.SetState(131071, TxbHugeSet::opSet);
  set.SetState(131072, TxbHugeSet::opSet);
  EXPECT_TRUE(set.Test(131071));
  EXPECT_TRUE(set.Test(131072));
  EXPECT_FALSE(set.Test(131073));
  set.SetState(131072, TxbHugeSet::opToggle);
  EXPECT_FALSE(set.Test(131072));
  set.SetState(2147483647, TxbHugeSet::opSet);
  EXPECT_TRUE(set.Test(2147483647));
  EXPECT_EQ(set.AllocatedPages(), 3);  // the pages between stay unallocated
  set.SetState(-1, TxbHugeSet::opSet);
  EXPECT_FALSE(set.Test(-1));
  EXPECT_EQ(set.HighestIndex(), 2147483647);
  set.ClearAll();
  EXPECT_FALSE(set.Test(131071));
  EXPECT_EQ(set.HighestIndex(), -1);
}

struct TCounted : TObject {
  explicit TCounted(std::vector<int>& log, int id) : Log(log), Id(id) {}
  ~TCounted() override { Log.push_back(Id); }
  std::vector<int>& Log;
  int Id;
};

TEST(Collection, OwnsItsItems) {
  std::vector<int> freed;
  {
    TxbCollection list;
    for (int i = 1; i <= 4; ++i) list.Add(new TCounted(freed, i));
    list.Delete(1);
    EXPECT_EQ(freed, std::vector<int>({2}));
    list.FreeAll();
    EXPECT_EQ(freed, std::vector<int>({2, 1, 3, 4}));
    EXPECT_EQ(list.Count(), 0);
    list.Add(new TCounted(freed, 5));
  }
  EXPECT_EQ(freed.back(), 5);
}

TEST(Numbers, OneFormatterForEveryBuild) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  } cases[] = {
      {2.5, 0, "3"},        {-2.5, 0, "-3"},        {0.125, 2, "0.13"},  {2.675, 2, "2.68"},
      {123.456, 1, "123.5"}, {123456, 1, "123456.0"}, {0, 2, "0.00"},     {-0.001, 2, "0.00"},
      {9.995, 2, "10.00"},  {1e15, 0, "1000000000000000"}, {0.1 + 0.2, 15, "0.300000000000000"},
      {1234.5, 3, "1234.500"}, {0.05, 1, "0.1"}, {0.04, 1, "0.0"}, {999.5, 0, "1000"},
      {0.05, 2, "0.05"}, {-0.0012, 4, "-0.0012"}, {0.000125, 5, "0.00013"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatNumber(c.value, c.decimals), c.text) << c.value;
  EXPECT_EQ(FormatNumberWidth(1.5, 6, 2), "  1.50");
  EXPECT_EQ(FormatNumberWidth(-123.5, 3, 0), "-124");
  EXPECT_EQ(FloatText(2.5), "2.5");
  EXPECT_EQ(FloatText(-0.1), "-0.1");
  EXPECT_EQ(FloatText(100), "100");
  EXPECT_EQ(FloatText(1.5e20), "1.5E20");
  EXPECT_EQ(FloatText(1.0 / 3), "0.333333333333333");
}

TEST(Numbers, ReadWithAPointWhateverTheLocale) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  } cases[] = {
      {"  12.50 ", true, 12.5}, {"-.5", true, -0.5}, {"+3", true, 3}, {"1e3", true, 1000},
      {"12,5", false, 0},       {"", false, 0},      {"abc", false, 0}, {"inf", false, 0},
      {"1 2", false, 0},
  };
  for (const auto& c : cases) {
    double v = -99;
    EXPECT_EQ(TryParseNumber(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_DOUBLE_EQ(v, c.value) << c.text;
    }
  }
}

// A number field's bytes read in one pass give what the blanks trimmed and the plain reader
// give, and refuse what it refuses (the caller then reads those the long way).
TEST(Numbers, AFieldsPaddedDigitsReadAsThePlainReaderReadsThem) {
  const char* fields[] = {"    249.75", "      0.25", "12        ", "  1.  ", "   .5", "0000000012",
                          "          ", ".", "  -3.5", "  +3", " 1e3", "1 2", "1..2", "1.2.3", " 12,5",
                          "123456789012345", "1234567890123456", "1234567.89012345", "99999999999999.9",
                          "\t12", "12x"};
  for (const char* field : fields) {
    std::string_view bytes(field);
    std::string_view trimmed = bytes;
    while (!trimmed.empty() && trimmed.front() == ' ') trimmed.remove_prefix(1);
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
    double plain = -99, padded = -99;
    const bool plainOk = ParseFieldDecimal(trimmed, plain);
    EXPECT_EQ(ParsePaddedDecimal(bytes, padded), plainOk) << field;
    if (plainOk) {
      EXPECT_EQ(padded, plain) << field;
    }
  }
}

TEST(CaseTables, BothCodePagesMapRussianLetters) {
  const TxbByteTable& up1251 = UpperCaseTable(TxbCodePage::cp1251);
  const TxbByteTable& up866 = UpperCaseTable(TxbCodePage::cp866);
  const TxbByteTable& low866 = LowerCaseTable(TxbCodePage::cp866);
  EXPECT_EQ(up1251[0xE0], 0xC0);  // а -> А
  EXPECT_EQ(up1251[0xFF], 0xDF);  // я -> Я
  EXPECT_EQ(up1251[0xB8], 0xA8);  // ё -> Ё
  EXPECT_EQ(up1251['z'], 'Z');
  EXPECT_EQ(up866[0xA0], 0x80);  // а -> А
  EXPECT_EQ(up866[0xE0], 0x90);  // р -> Р
  EXPECT_EQ(up866[0xEF], 0x9F);  // я -> Я
  EXPECT_EQ(up866[0xF1], 0xF0);  // ё -> Ё
  EXPECT_EQ(up866[0xB0], 0xB0);  // box drawing stays
  EXPECT_EQ(low866[0x90], 0xE0);
}

TEST(Names, Helpers) {
  EXPECT_EQ(xbase::DefaultExtension("DATES", ".DBF"), "DATES.DBF");
  EXPECT_EQ(xbase::DefaultExtension("c:\\a.b\\DATES", ".DBF"), "c:\\a.b\\DATES.DBF");
  EXPECT_EQ(xbase::DefaultExtension("dates.dat", ".DBF"), "dates.dat");
  EXPECT_EQ(xbase::BaseFileName("C:\\DATA\\DATES.DBF"), "DATES");
  EXPECT_EQ(xbase::BaseFileName("/tmp/x/calls.dbf"), "calls");
  std::string s = "ab";
  xbase::PadText(s, '.', 4);
  EXPECT_EQ(s, "ab..");
  s = "ab  ";
  xbase::TrimText(s);
  EXPECT_EQ(s, "ab");
  EXPECT_GT(xbase::CompareText("ab", "aB"), 0);
  EXPECT_EQ(xbase::CompareTextNoCase("ab", "AB"), 0);
  EXPECT_NE(xbase::CompareTextNoCase("\xE0", "\xC0"), 0);  // only a..z fold
}

}  // namespace
