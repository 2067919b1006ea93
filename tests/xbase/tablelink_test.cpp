// Expressions over DBF tables: a table made here and tables written by other programs
// (data/expected/ has what their readers report).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "classlib/core/codepage.h"
#include "expression_fixture.h"
#include "json_reader.h"
#include "test_paths.h"
#include "xbase/dates.h"
#include "xbase/errors.h"
#include "xbase/numbers.h"
#include "xbase/tablelink.h"
#include "xbase/variant.h"

namespace {

std::string DataDir() { return horavox::test::SourceDir() + "/tests/xbase/data/"; }

// A table whose application knows a few functions of its own.
class TFormulaTable : public XBO_dBaseFld {
 public:
  using XBO_dBaseFld::XBO_dBaseFld;
  int Formula(std::string_view Action, std::string_view Name, std::string_view Args, TxbFormulaResult& Result) override {
    static const std::string_view known[] = {"TWICE", "GREETING", "XMAS", "ISOK", "BROKEN"};
    if (std::find(std::begin(known), std::end(known), Name) == std::end(known)) return -1;
    if (Action == "FIND") return 1;
    LastArgs = Args;
    if (Name == "TWICE") Result.Type = 'N', Result.Number = 2 * std::stod(std::string(Args));
    if (Name == "GREETING") Result.Type = 'C', Result.Text = "hello";
    if (Name == "XMAS") Result.Type = 'D', Result.Number = DateObject().TextToJulian("20261225");
    if (Name == "ISOK") Result.Type = 'L', Result.Text = "Y";
    if (Name == "BROKEN") Result.Type = 'X';
    return 0;
  }
  std::string LastArgs;
};

// DATES.DBF of four records: SOBITIE C(30), DATA D, AMOUNT N(8,2), PAID L, T C(3), NOTES M.
class TableExpressions : public ::testing::Test {
 protected:
  void Make(TxbCodePage cp) {
    auto enc = [cp](const std::string& utf8) { return cp == TxbCodePage::cp866 ? Utf8ToCp866(utf8) : Utf8ToCp1251(utf8); };
    Dir = horavox::test::TempDir() + (cp == TxbCodePage::cp866 ? "link866" : "link1251");
    std::filesystem::create_directories(Dir);
    Path = Dir + "/DATES.DBF";
    CreateTable(Path, 0x83,
                {{"SOBITIE", 'C', 30}, {"DATA", 'D', 8}, {"AMOUNT", 'N', 8, 2}, {"PAID", 'L', 1}, {"T", 'C', 3}, {"NOTES", 'M', 10}});
    Table = std::make_unique<TFormulaTable>(Path, true, false);
    Table->SetCodePage(cp);
    struct Row {
      const char* Sobitie;
      const char* Data;
      const char* Amount;
      bool Paid;
      const char* Notes;
    };
    const Row rows[] = {{"День рождения Ивана", "20260315", "123.45", true, "торт"},
                        {"день матери", "20251130", "0", false, ""},
                        {"Ёлка", "20261231", "-7.5", true, ""},
                        {"Отпуск", "", "", false, ""}};
    for (const Row& r : rows) {
      Table->BlankRecord();
      Table->PutTextByName("SOBITIE", enc(r.Sobitie));
      Table->PutTextByName("DATA", r.Data);
      Table->PutTextByName("AMOUNT", r.Amount);
      Table->PutLogicalByName("PAID", r.Paid);
      Table->PutTextByName("T", "tee");
      if (*r.Notes) Table->MemoWrite(Table->FieldNumber("NOTES"), enc(r.Notes));
      Table->Append();
    }
  }
  // Expression texts are written in UTF-8 here and compiled in the table's code page.
  std::string Enc(const std::string& utf8) const {
    return Table->CodePage() == TxbCodePage::cp866 ? Utf8ToCp866(utf8) : Utf8ToCp1251(utf8);
  }
  std::string Eval(const std::string& text) {
    TxbExpHandler h(&Table->ExpLink(), false, Enc(text));
    return Show(h.Evaluate());
  }
  std::string Error(const std::string& text) {
    try {
      TxbExpHandler h(&Table->ExpLink(), false, Enc(text));
      h.Evaluate();
    } catch (const EXBaseExpression& e) {
      return e.Message;
    }
    return "no error";
  }

  std::string Dir, Path;
  std::unique_ptr<TFormulaTable> Table;
};

TEST_F(TableExpressions, CompiledOnceEvaluatedOnEveryRecord) {
  for (TxbCodePage cp : {TxbCodePage::cp1251, TxbCodePage::cp866}) {
    Make(cp);
    std::string filter = "UPPER(SOBITIE) = \"ДЕНЬ*\" .AND. DATA >= CTOD(\"20260101\")";
    TxbExpHandler h(&Table->ExpLink(), false, cp == TxbCodePage::cp866 ? Utf8ToCp866(filter) : Utf8ToCp1251(filter));
    TxbExpHandler key(&Table->ExpLink(), false, "STR(RECNO(), 5) + DTOS(DATA)");
    TxbExpHandler ci(&Table->ExpLink(), false, cp == TxbCodePage::cp866 ? Utf8ToCp866("SOBITIE = 'день*'") : Utf8ToCp1251("SOBITIE = 'день*'"));
    ci.CaseInsensitive = true;
    std::string passed, keys, folded;
    for (Table->Go(xbGoTop); !Table->Eof(); Table->Go(xbGoNext)) {
      passed += h.Evaluate().Logical ? 'T' : 'F';
      folded += ci.Evaluate().Logical ? 'T' : 'F';
      keys += key.Evaluate().Text + "|";
    }
    EXPECT_EQ(passed, "TFFF");
    EXPECT_EQ(folded, "TTFF");
    EXPECT_EQ(keys, "    120260315|    220251130|    320261231|    4        |");
  }
}

TEST_F(TableExpressions, FieldsAliasesAndTableFunctions) {
  Make(TxbCodePage::cp1251);
  Table->Go(1);
  const std::pair<const char*, const char*> cases[] = {
      {"DATES->SOBITIE = 'День*'", "L:T"}, {"dates->data", "D:20260315"}, {"DATES->T", "C:tee"},
      {"AMOUNT * 2", "N:246.9"}, {"STR(AMOUNT)", "C:     123"}, {"STR(AMOUNT, 8, 2)", "C:  123.45"},
      {"PAID", "L:T"}, {"T", "C:tee"}, {".T.", "L:T"}, {"NOTES", "R"}, {"EMPTY(NOTES)", "L:F"},
      {"IIF(EMPTY(NOTES), 'x', T)", "C:tee"}, {"LEN(SOBITIE)", "N:30"},
      {"TYPE('SOBITIE')", "C:C"}, {"TYPE('data')", "C:D"}, {"TYPE('NOTES')", "C:M"}, {"LEN('SOBITIE')", "N:7"},
      {"RECNO()", "N:1"}, {"DELETED()", "L:F"}, {"BOF()", "L:F"}, {"EOF()", "L:F"},
  };
  for (const auto& c : cases) EXPECT_EQ(Eval(c.first), c.second) << c.first;
  EXPECT_EQ(Error("OTHER->SOBITIE"), "Field/variable OTHER.SOBITIE is unknown");
  EXPECT_EQ(Error("TYPE('NOSUCH')"), "Field/variable NOSUCH is unknown");
  EXPECT_EQ(Error("NOPE(1)"), "There is no function for NOPE");

  Table->Go(4);
  EXPECT_EQ(Eval("EMPTY(DATA)"), "L:T");
  EXPECT_EQ(Eval("EMPTY(AMOUNT)"), "L:T");
  TxbVariant v;
  TxbExpHandler date(&Table->ExpLink(), false, "DATA");
  ASSERT_TRUE(date.Evaluate(v));
  EXPECT_EQ(v.AsDate(), 0);

  Table->Go(2);
  Table->DeleteRecord();
  EXPECT_EQ(Eval("DELETED()"), "L:T");
  EXPECT_EQ(Eval("RECNO()"), "N:2");
  Table->Go(xbGoTop);
  Table->Go(xbGoPrior);
  EXPECT_EQ(Eval("BOF()"), "L:T");
  Table->Go(xbGoBottom);
  Table->Go(xbGoNext);
  EXPECT_EQ(Eval("EOF()"), "L:T");
}

TEST_F(TableExpressions, TheFormulaHookAddsTheApplicationsFunctions) {
  Make(TxbCodePage::cp1251);
  Table->Go(1);
  EXPECT_EQ(Eval("TWICE(21) + 1"), "N:43");
  EXPECT_EQ(Table->LastArgs, "21");
  EXPECT_EQ(Eval("greeting() + '!'"), "C:hello!");
  EXPECT_EQ(Eval("XMAS() > DATA"), "L:T");
  EXPECT_EQ(Eval("DTOS(XMAS())"), "C:20261225");
  EXPECT_EQ(Eval("ISOK()"), "L:T");
  EXPECT_EQ(Error("BROKEN()"), "Formula expression cannot be translated - BROKEN");
  EXPECT_EQ(Error("UNKNOWN()"), "There is no function for UNKNOWN");
}

std::string Digits(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), '-'), s.end());
  return s;
}

// The first records of tables written by other programs, through field variables and
// expressions, against what the other programs' readers report.
TEST(ForeignTableExpressions, MatchTheReadersDumps) {
  for (const char* stem : {"dbase_03", "dbase_83", "calls"}) {
    xbtest::TJson expected = xbtest::ReadJsonFile(DataDir() + "expected/" + stem + ".json");
    XBO_dBaseFld t(DataDir() + expected["file"].StringValue, false, true);
    const auto& fields = expected["fields"].Items;
    const auto& records = expected["first_records"].Items;
    for (std::size_t r = 0; r < records.size(); ++r) {
      t.Go(static_cast<std::int32_t>(r + 1));
      for (const auto& f : fields) {
        std::string name = f[0].StringValue, where = std::string(stem) + " " + std::to_string(r + 1) + " " + name;
        // Of two fields of one name the dump shows the last, expressions read the first.
        int same = 0;
        for (const auto& g : fields) same += g[0].StringValue == name;
        if (same > 1) continue;
        const xbtest::TJson& want = records[r][name];
        auto eval = [&](const std::string& text) {
          TxbExpHandler h(&t.ExpLink(), false, text);
          return Show(h.Evaluate());
        };
        switch (f[1].StringValue[0]) {
          case 'C': {
            std::string s = want.StringValue;
            if (std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
              EXPECT_EQ(eval("TRIM(" + name + ")"), "C:" + s) << where;
            }
            break;
          }
          case 'N':
          case 'F': {
            double v = want.Kind == xbtest::TJson::Null ? 0 : want.NumberValue;
            int len = static_cast<int>(f[2].NumberValue), dec = static_cast<int>(f[3].NumberValue);
            EXPECT_EQ(eval("STR(" + name + ", " + std::to_string(len) + ", " + std::to_string(dec) + ")"),
                      "C:" + FormatNumberWidth(v, len, dec)) << where;
            EXPECT_EQ(eval("STR(" + name + ")"), eval("STR(" + name + ", " + std::to_string(len) + ")")) << where;
            break;
          }
          case 'D':
            EXPECT_EQ(eval("DTOS(" + name + ")"), "C:" + (want.Kind == xbtest::TJson::Null ? "        " : Digits(want.StringValue))) << where;
            break;
          case 'L': EXPECT_EQ(eval("IIF(" + name + ", 1, 0)"), want.BoolValue ? "N:1" : "N:0") << where; break;
          case 'I':  // a binary integer is a number
            EXPECT_EQ(eval(name), eval(std::to_string(want.Kind == xbtest::TJson::Null ? 0 : static_cast<long long>(want.NumberValue))))
                << where;
            break;
          default: EXPECT_EQ(eval(name), "R") << where; break;  // memo, date-time
        }
      }
    }
  }
  XBO_dBaseFld t(DataDir() + "dbase_03.dbf", false, true);
  t.Go(1);
  TxbExpHandler pdop(&t.ExpLink(), false, "STR(Max_PDOP, 5, 1)");
  EXPECT_EQ(Show(pdop.Evaluate()), "C:  5.2");
  TxbExpHandler date(&t.ExpLink(), false, "DTOS(GPS_Date)");
  EXPECT_EQ(Show(date.Evaluate()), "C:20050712");
  XBO_dBaseFld p(DataDir() + "dbase_83.dbf", false, true);
  p.Go(1);
  TxbExpHandler name(&p.ExpLink(), false, "TRIM(NAME)");
  EXPECT_EQ(Show(name.Evaluate()), "C:Assorted Petits Fours");
  TxbExpHandler taxable(&p.ExpLink(), false, "IIF(TAXABLE, 1, 0) + IIF(EMPTY(DESC), 10, 0)");
  EXPECT_EQ(Show(taxable.Evaluate()), "N:1");
  TxbExpHandler type(&p.ExpLink(), false, "TYPE('NAME') + TYPE('DESC')");
  EXPECT_EQ(Show(type.Evaluate()), "C:CM");
}

}  // namespace
