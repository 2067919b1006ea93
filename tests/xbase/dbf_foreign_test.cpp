// Tables, memos and field types written by other programs read as their readers report
// (data/expected/, made with independent readers).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "classlib/core/codepage.h"
#include "json_reader.h"
#include "test_paths.h"
#include "xbase/dates.h"
#include "xbase/dbftable.h"

namespace {

std::string DataDir() { return horavox::test::SourceDir() + "/tests/xbase/data/"; }

// Stored bytes as the readers decoded them.
std::string Decode(const std::string& bytes, const std::string& encoding) {
  if (encoding == "cp1251") return Cp1251ToUtf8(bytes);
  std::string out;
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (encoding == "ascii") {
      out += "\xEF\xBF\xBD";  // the replacement character
    } else {  // code page 1252: Latin-1 above 0x9F
      unsigned cp = c;
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::string RightTrimmed(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  return s;
}

std::string DateText(std::int32_t julian) {
  int y, m, d;
  DateObject().JulianToYMD(julian, y, m, d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

// A field's value as the dump shows it: a JSON value.
xbtest::TJson ValueOf(XBO_dBaseFld& t, int n, const std::string& encoding) {
  xbtest::TJson v;
  std::string raw = t.FieldText(n);
  switch (t.FieldType(n)) {
    case 'C':
      v.Kind = xbtest::TJson::String;
      v.StringValue = Decode(RightTrimmed(raw), encoding);
      break;
    case 'N':
    case 'F':
    case 'I':
    case 'B':
    case 'Y':
      if (RightTrimmed(raw).empty() && t.FieldType(n) != 'I') break;
      v.Kind = xbtest::TJson::Number;
      v.NumberValue = t.GetNumber(n);
      break;
    case 'D': {
      std::int32_t j = t.GetDate(n);
      if (j > 0) v.Kind = xbtest::TJson::String, v.StringValue = DateText(j);
      break;
    }
    case 'L': {
      std::string s = RightTrimmed(raw);
      if (s.empty() || s == "?") break;
      v.Kind = xbtest::TJson::Bool;
      v.BoolValue = t.GetLogical(n);
      break;
    }
    case 'M': {
      std::string memo = t.MemoRead(n);
      if (t.GetNumber(n) > 0) v.Kind = xbtest::TJson::String, v.StringValue = Decode(memo, encoding);
      break;
    }
    case 'T': {
      std::int32_t day = t.GetDate(n);
      if (day <= 0) break;
      auto ms = static_cast<std::int64_t>(t.GetNumber(n)) % 86400000;
      char buf[48];
      std::snprintf(buf, sizeof buf, "%sT%02d:%02d:%02d", DateText(day).c_str(), static_cast<int>(ms / 3600000),
                    static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60));
      v.Kind = xbtest::TJson::String;
      v.StringValue = buf;
      if (ms % 1000) {
        std::snprintf(buf, sizeof buf, ".%03d000", static_cast<int>(ms % 1000));
        v.StringValue += buf;
      }
      break;
    }
  }
  return v;
}

void ExpectSame(const xbtest::TJson& want, const xbtest::TJson& got, const std::string& where) {
  if (want.Kind == xbtest::TJson::String && want.StringValue.empty() && got.Kind == xbtest::TJson::Null) return;
  ASSERT_EQ(want.Kind, got.Kind) << where;
  switch (want.Kind) {
    case xbtest::TJson::String: EXPECT_EQ(want.StringValue, got.StringValue) << where; break;
    case xbtest::TJson::Number:
      EXPECT_NEAR(want.NumberValue, got.NumberValue, 1e-9 * std::max(1.0, std::fabs(want.NumberValue))) << where;
      break;
    case xbtest::TJson::Bool: EXPECT_EQ(want.BoolValue, got.BoolValue) << where; break;
    default: break;
  }
}

class ForeignTables : public ::testing::TestWithParam<const char*> {};

TEST_P(ForeignTables, ReadAsTheirReadersReport) {
  std::string stem = GetParam();
  xbtest::TJson expected = xbtest::ReadJsonFile(DataDir() + "expected/" + stem + ".json");
  XBO_dBaseFld t(DataDir() + expected["file"].StringValue, false, true);
  std::string encoding = expected["encoding"].StringValue;
  EXPECT_EQ(t.Version(), static_cast<int>(expected["version_byte"].NumberValue));
  const auto& fields = expected["fields"].Items;
  ASSERT_EQ(t.FieldCount(), static_cast<int>(fields.size()));
  for (int n = 1; n <= t.FieldCount(); ++n) {
    const auto& f = fields[n - 1];
    EXPECT_EQ(t.FieldName(n), f[0].StringValue);
    EXPECT_EQ(t.FieldType(n), f[1].StringValue[0]) << f[0].StringValue;
    EXPECT_EQ(t.FieldLength(n), static_cast<int>(f[2].NumberValue)) << f[0].StringValue;
    EXPECT_EQ(t.FieldDecimals(n), static_cast<int>(f[3].NumberValue)) << f[0].StringValue;
  }
  ASSERT_EQ(t.RecordCount(), static_cast<int>(expected["records"].NumberValue));
  int deleted = 0;
  for (int r = 1; r <= t.RecordCount(); ++r) {
    t.Go(r);
    deleted += t.IsDeleted();
    for (int n = 1; n <= t.FieldCount(); ++n) t.FieldDisplay(n);  // every value shows
  }
  EXPECT_EQ(deleted, static_cast<int>(expected["deleted"].NumberValue));
  const auto& records = expected["first_records"].Items;
  for (size_t r = 0; r < records.size(); ++r) {
    t.Go(static_cast<std::int32_t>(r + 1));
    for (int n = 1; n <= t.FieldCount(); ++n) {
      std::string name = fields[n - 1][0].StringValue;
      bool shadowed = false;  // a later field of the same name is the one the dump shows
      for (size_t k = n; k < fields.size(); ++k) shadowed = shadowed || fields[k][0].StringValue == name;
      if (shadowed) continue;
      ExpectSame(records[r][name], ValueOf(t, n, encoding), stem + " record " + std::to_string(r + 1) + " " + name);
    }
  }
  t.Go(xbGoBottom);
  EXPECT_EQ(t.RecNo(), t.RecordCount());
  t.Go(xbGoNext);
  EXPECT_TRUE(t.Eof());
}

INSTANTIATE_TEST_SUITE_P(Data, ForeignTables,
                         ::testing::Values("dbase_03", "dbase_30", "dbase_83", "dbase_f5", "cp1251", "calls",
                                           "contacts"));

TEST(ForeignTablesDisplay, MemoAndDateColumnsShow) {
  XBO_dBaseFld t(DataDir() + "dbase_83.dbf", false, true);
  t.Go(1);
  EXPECT_EQ(t.FieldDisplay(t.FieldNumber("DESC")), "---MEMO---");
  EXPECT_EQ(t.FieldDisplay(t.FieldNumber("PRICE")), "0.00");
  XBO_dBaseFld c(DataDir() + "cp1251.dbf", false, true);
  c.Go(1);
  // Text stays in its code page: the stored bytes.
  EXPECT_EQ(c.FieldText(c.FieldNumber("NAME")).substr(0, 4), "\xE0\xEC\xE1\xF3");
}

}  // namespace
