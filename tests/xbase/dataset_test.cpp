// The dataset over DBF tables: what a grid, a form and the reminder calendar see of a table.
#include <gtest/gtest.h>

#include "raised.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/codepage.h"
#include "classlib/core/files.h"
#include "classlib/core/streams.h"
#include "classlib/core/stringlist.h"
#include "classlib/core/text.h"
#include "read_form.h"
#include "test_paths.h"
#include "xbase/dates.h"
#include "xbase/dbftable.h"
#include "xbase/filebackend_memory.h"
#include "xbase/xbaliases.h"
#include "xbase/xbcdx.h"
#include "xbase/xbdataset.h"

namespace {

using xbtest::RaisedBy;

const std::string Delim(1, PathDelim);  // what a folder without a separator gets

// A data link that shows so many rows, as a grid's does.
class TRowsLink : public TDataLink {
 public:
  explicit TRowsLink(TDataSource* Source, int Rows) {
    SetBufferCount(Rows);
    SetDataSource(Source);
  }
};

class DataSets : public ::testing::Test {
 protected:
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope{fs};
  TFixedAliases aliases{"\\program\\", {"data=\\data"}};
  TSeamScope<TxbAliasSystem> aliasScope{aliases};
  std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);

  void SetUp() override { LoadAliases(); }

  TXBaseDataSet* Make(const std::string& table, const char* name = "XBaseDataSet1") {
    auto* ds = new TXBaseDataSet(owner.get());
    ds->SetName(name);
    ds->SetDatabaseName("DATA");
    ds->SetTableName(table);
    return ds;
  }
  std::string Path(const std::string& file) { return "\\data\\" + file; }
  // A table of NAME C(10), QTY N(5), DAY D and NOTE M with these rows (NOTE empty).
  void MakeTable(const std::string& file, const std::vector<std::pair<std::string, int>>& rows) {
    CreateTable(Path(file), 0x83, {{"NAME", 'C', 10}, {"QTY", 'N', 5}, {"DAY", 'D', 8}, {"NOTE", 'M', 10}});
    XBO_dBaseFld t(Path(file), true, false);
    for (const auto& [name, qty] : rows) {
      t.BlankRecord();
      t.PutTextByName("NAME", name);
      t.PutNumberByName("QTY", qty);
      t.PutRawByName("DAY", "2026120" + std::to_string(qty % 10));
      t.Append();
    }
  }
  std::vector<std::pair<std::string, int>> Numbered(int n) {
    std::vector<std::pair<std::string, int>> rows;
    for (int i = 1; i <= n; ++i) rows.push_back({"r" + std::to_string(i), i});
    return rows;
  }
  std::string Records(const std::string& file) {
    std::string bytes = fs.FileBytes(Path(file));
    return bytes.substr(GetLE16(bytes.data() + 8));
  }
  std::string NameOf(TXBaseDataSet* ds) { return ds->FieldByName("NAME")->GetAsString(); }
};

TEST_F(DataSets, FieldDefinitionsFollowTheTableTypes) {
  CreateTable(Path("F.DBF"), 0x30,
              {{"N4", 'N', 4}, {"N5", 'N', 5}, {"N9", 'N', 9}, {"N12", 'N', 12}, {"N10D2", 'N', 10, 2},
               {"C300", 'C', 300}, {"D", 'D', 8}, {"L", 'L', 1}, {"M", 'M', 4}, {"T", 'T', 8}, {"I", 'I', 4},
               {"Y", 'Y', 8, 4}});
  TXBaseDataSet* ds = Make("F");
  ds->Open();
  struct Case {
    const char* name;
    TFieldType type;
    int size;
  } cases[] = {{"N4", ftSmallint, 0}, {"N5", ftInteger, 0}, {"N9", ftInteger, 0}, {"N12", ftFloat, 0},
               {"N10D2", ftFloat, 0}, {"C300", ftString, 300}, {"D", ftDate, 0}, {"L", ftBoolean, 0},
               {"M", ftMemo, 0}, {"T", ftDateTime, 0}, {"I", ftInteger, 0}};
  ASSERT_EQ(ds->FieldDefs()->Count(), 11);  // the currency field has no definition
  for (size_t i = 0; i < std::size(cases); ++i) {
    TFieldDef* def = ds->FieldDefs()->Items(static_cast<int>(i));
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(def->GetName(), cases[i].name);
    EXPECT_EQ(def->GetDataType(), cases[i].type);
    EXPECT_EQ(def->GetSize(), cases[i].size);
    EXPECT_FALSE(def->GetRequired());
  }
  EXPECT_EQ(ds->FindField("Y"), nullptr);

  // Values go through each native form and back.
  ds->Append();
  ds->FieldByName("N4")->SetAsInteger(-999);
  ds->FieldByName("N9")->SetAsInteger(123456789);
  ds->FieldByName("N12")->SetAsFloat(99999999999.0);
  ds->FieldByName("N10D2")->SetAsFloat(1234.56);
  ds->FieldByName("C300")->SetAsString(std::string(290, 'x') + "конец");
  ds->FieldByName("D")->SetAsDateTime(EncodeDate(2024, 2, 29));
  ds->FieldByName("L")->SetAsBoolean(true);
  ds->FieldByName("T")->SetAsDateTime(EncodeDate(2026, 12, 10) + EncodeTime(13, 14, 15, 0));
  ds->FieldByName("I")->SetAsInteger(-70000);
  ds->Post();
  ds->Close();
  ds->Open();
  EXPECT_EQ(ds->FieldByName("N4")->GetAsInteger(), -999);
  EXPECT_EQ(ds->FieldByName("N9")->GetAsInteger(), 123456789);
  EXPECT_EQ(ds->FieldByName("N12")->GetAsFloat(), 99999999999.0);  // no wrap at 32 bits
  EXPECT_DOUBLE_EQ(ds->FieldByName("N10D2")->GetAsFloat(), 1234.56);
  EXPECT_EQ(ds->FieldByName("C300")->GetAsString(), std::string(290, 'x') + "конец");
  EXPECT_EQ(ds->FieldByName("D")->GetAsDateTime(), EncodeDate(2024, 2, 29));
  EXPECT_TRUE(ds->FieldByName("L")->GetAsBoolean());
  EXPECT_EQ(ds->FieldByName("T")->GetAsDateTime(), EncodeDate(2026, 12, 10) + EncodeTime(13, 14, 15, 0));
  EXPECT_EQ(ds->FieldByName("I")->GetAsInteger(), -70000);
  EXPECT_TRUE(ds->FieldByName("M")->IsNull());
}

TEST_F(DataSets, StoredDatesReadAsDatesOrNull) {
  CreateTable(Path("D.DBF"), 0x03, {{"D", 'D', 8}});
  const char* stored[] = {"20240131", "        ", "00000000", "20240231", "2024013x"};
  {
    XBO_dBaseFld t(Path("D.DBF"), true, false);
    for (const char* s : stored) {
      t.BlankRecord();
      t.PutRawByName("D", s);
      t.Append();
    }
  }
  TXBaseDataSet* ds = Make("D");
  ds->Open();
  EXPECT_EQ(ds->FieldByName("D")->GetAsDateTime(), EncodeDate(2024, 1, 31));
  for (int i = 1; i < 5; ++i) {
    ds->Next();
    EXPECT_TRUE(ds->FieldByName("D")->IsNull()) << stored[i];
  }
  // A null date is written as blanks.
  ds->Edit();
  ds->FieldByName("D")->Clear();
  ds->Post();
  EXPECT_EQ(Records("D.DBF").substr(4 * 9 + 1, 8), "        ");
}

TEST_F(DataSets, OpeningNeedsATableThatExists) {
  TXBaseDataSet* ds = Make("");
  EXPECT_EQ(RaisedBy([&] { ds->Open(); }), "XBaseDataSet1: Table name missing");
  ds->SetTableName("NONE");
  EXPECT_EQ(RaisedBy([&] { ds->Open(); }), "XBaseDataSet1: Cannot find file \\data" + Delim + "NONE.DBF");
  EXPECT_FALSE(ds->GetActive());
  EXPECT_EQ(ds->Handler(), nullptr);
  EXPECT_EQ(RaisedBy([&] { ds->RecordCount(); }),
            "XBaseDataSet1: Не могу выполнить эту операцию для закрытого набора данных (dataset)");
}

TEST_F(DataSets, DatabaseNamesFindTheirFolders) {
  struct Case {
    const char* databaseName;
    const char* stored;
    std::string folder;
  } cases[] = {
      {"", "", ""},                                              // the current folder
      {"data", "DATA", "\\data" + Delim},                          // an alias from the configuration file
      {"Default Directory", "Default Directory", "\\program\\"},  // the program's folder
      {"\\other\\place\\", "\\OTHER\\PLACE", "\\other\\place" + Delim},  // a folder becomes its own alias
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.databaseName);
    EXPECT_EQ(RegisterDatabaseName(c.databaseName), c.stored);
    EXPECT_EQ(AliasFolder(c.stored), c.folder);
  }
  EXPECT_EQ(XBaseAliases().Get(0), "Default Directory");
  EXPECT_EQ(XBaseAliases().GetValue("\\OTHER\\PLACE"), "\\other\\place");

  MakeTable("A.DBF", Numbered(2));
  TXBaseDataSet* ds = Make("A");
  ds->Open();
  EXPECT_EQ(ds->RecordCount(), 2);
}

TEST_F(DataSets, BookmarksAreRecordNumbersInText) {
  MakeTable("B.DBF", Numbered(10));
  {
    XBO_dBaseFld t(Path("B.DBF"), true, false);
    t.Go(2);
    t.DeleteRecord();
    t.Go(3);
    t.DeleteRecord();
  }
  TXBaseDataSet* ds = Make("B");
  ds->Open();
  ds->SetRecNo(7);
  EXPECT_EQ(NameOf(ds), "r7");
  EXPECT_EQ(ds->GetRecNo(), 7);
  TBookmarkStr seven = ds->GetBookmark();
  EXPECT_EQ(seven, std::string("\x0a") + "         7");
  ds->SetRecNo(10);
  TBookmarkStr ten = ds->GetBookmark();
  EXPECT_EQ(ds->CompareBookmarks(seven, ten), -1);
  EXPECT_EQ(ds->CompareBookmarks(ten, seven), 1);
  EXPECT_EQ(ds->CompareBookmarks("", seven), -1);
  EXPECT_EQ(ds->CompareBookmarks("", ""), 0);
  EXPECT_TRUE(ds->BookmarkValid(seven));
  ds->GotoBookmark(seven);
  EXPECT_EQ(NameOf(ds), "r7");

  // The count the file has (deleted records too), or the records shown.
  EXPECT_EQ(ds->RecordCount(), 10);
  ds->SetExactCount(true);
  EXPECT_EQ(ds->RecordCount(), 8);
  EXPECT_EQ(NameOf(ds), "r7");
  EXPECT_FALSE(ds->IsSequenced());  // record numbers skip the hidden ones
  ds->SetExactCount(false);
  {
    XBO_dBaseFld other(Path("B.DBF"), true, true);  // another user appends
    other.BlankRecord();
    other.Append();
  }
  EXPECT_EQ(ds->RecordCount(), 11);
}

TEST_F(DataSets, InsertedRecordsGoToTheEnd) {
  MakeTable("I.DBF", Numbered(5));
  TXBaseDataSet* ds = Make("I");
  ds->Open();
  ds->SetRecNo(2);
  ds->Insert();
  ds->FieldByName("NAME")->SetAsString("new");
  ds->Post();
  EXPECT_EQ(ds->GetRecNo(), 6);
  EXPECT_EQ(NameOf(ds), "new");
  EXPECT_EQ(Records("I.DBF").substr(5 * 34 + 1, 10), "new       ");
}

TEST_F(DataSets, PostWritesTheEditedRecordWhereverTheTableStands) {
  MakeTable("P.DBF", Numbered(30));
  TXBaseDataSet* ds = Make("P");
  TDataSource source(owner.get());
  source.SetDataSet(ds);
  TRowsLink link(&source, 10);  // a grid's rows: the table object has read ahead to record 10
  ds->Open();
  ds->MoveBy(3);
  std::string before = Records("P.DBF");
  ds->Edit();
  ds->FieldByName("NAME")->SetAsString("edited");
  ds->Handler()->Go(12);  // and something else moved it on meanwhile
  ds->Post();
  std::string after = Records("P.DBF");
  ASSERT_EQ(after.size(), before.size());
  for (int r = 0; r < 30; ++r) {
    if (r == 3) continue;
    EXPECT_EQ(after.substr(r * 34, 34), before.substr(r * 34, 34)) << "record " << r + 1;
  }
  EXPECT_EQ(after.substr(3 * 34 + 1, 10), "edited    ");
}

TEST_F(DataSets, CancelLeavesTheFilesAsTheyWere) {
  MakeTable("C.DBF", Numbered(3));
  {
    XBO_dBaseFld t(Path("C.DBF"), true, false);
    t.Go(2);
    t.MemoWrite(4, "old memo");
    t.PutRec(2);
  }
  std::string dbf = fs.FileBytes(Path("C.DBF")), dbt = fs.FileBytes(Path("C.DBT"));
  TXBaseDataSet* ds = Make("C");
  ds->Open();
  ds->SetRecNo(2);
  EXPECT_EQ(ds->FieldByName("NOTE")->GetAsString(), "old memo");
  ds->Edit();
  ds->FieldByName("NAME")->SetAsString("changed");
  ds->FieldByName("NOTE")->SetAsString("a much longer memo that would move the old one");
  EXPECT_EQ(ds->FieldByName("NOTE")->GetAsString(), "a much longer memo that would move the old one");
  ds->Cancel();
  EXPECT_EQ(fs.FileBytes(Path("C.DBF")), dbf);
  EXPECT_EQ(fs.FileBytes(Path("C.DBT")), dbt);
  EXPECT_EQ(ds->FieldByName("NOTE")->GetAsString(), "old memo");

  // Post writes the memo with the record.
  ds->Edit();
  {
    std::unique_ptr<TStream> s = ds->CreateBlobStream(ds->FieldByName("NOTE"), bmWrite);
    std::string text = "новая заметка";  // a memo's stream carries the program's text
    s->WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  }
  ds->Post();
  XBO_dBaseFld t(Path("C.DBF"), false, true);
  t.Go(2);
  EXPECT_EQ(t.MemoRead(4), Utf8ToCp866("новая заметка"));
}

TEST_F(DataSets, DeletingTheLastRecordStepsBack) {
  MakeTable("L.DBF", Numbered(3));
  TXBaseDataSet* ds = Make("L");
  ds->Open();
  ds->Last();
  ds->Delete();
  EXPECT_EQ(NameOf(ds), "r2");
  EXPECT_EQ(ds->GetRecNo(), 2);
  ds->SetExactCount(true);
  EXPECT_EQ(ds->RecordCount(), 2);
}

TEST_F(DataSets, EditTakesWhatAnotherUserWrote) {
  MakeTable("E.DBF", Numbered(3));
  TXBaseDataSet* ds = Make("E");
  ds->Open();
  ds->SetRecNo(2);
  {
    XBO_dBaseFld other(Path("E.DBF"), true, true);
    other.Go(2);
    other.PutTextByName("NAME", "theirs");
    other.PutRec(2);
  }
  EXPECT_EQ(NameOf(ds), "r2");  // the buffer as it was read
  ds->Edit();
  EXPECT_EQ(NameOf(ds), "theirs");
  ds->FieldByName("QTY")->SetAsInteger(77);
  ds->Post();
  XBO_dBaseFld t(Path("E.DBF"), false, true);
  t.Go(2);
  EXPECT_EQ(TrimRight(t.FieldTextByName("NAME")), "theirs");
  EXPECT_EQ(t.NumberByName("QTY"), 77);
}

TEST_F(DataSets, DeletedRecordsCanBeShownAndRecalled) {
  MakeTable("U.DBF", Numbered(3));
  TXBaseDataSet* ds = Make("U");
  ds->SetExactCount(true);
  ds->Open();
  ds->SetRecNo(2);
  ds->Delete();
  EXPECT_EQ(NameOf(ds), "r3");
  EXPECT_EQ(ds->RecordCount(), 2);
  ds->SetUseDeleted(true);
  EXPECT_EQ(ds->RecordCount(), 3);
  ds->SetRecNo(2);
  ds->Undelete();
  ds->SetUseDeleted(false);
  EXPECT_EQ(ds->RecordCount(), 3);
  EXPECT_EQ(Records("U.DBF")[34], ' ');
}

TEST_F(DataSets, LockedRecordsAndIndexesRefuseChanges) {
  MakeTable("K.DBF", Numbered(3));
  {
    XBO_dBaseFld t(Path("K.DBF"), true, false);
    XBobjCDXFile cdx(&t, Path("K.CDX"), true, true, false);
    cdx.AddTag("NAME", "NAME", "", false, false);
  }
  auto saved = LockRetryPolicy();
  LockRetryPolicy().Attempts = 1;
  LockRetryPolicy().Sleep = [](int) {};
  TXBaseDataSet* ds = Make("K");
  ds->GetIndexFiles()->Add("K.CDX");
  ds->Open();
  ds->SetRecNo(2);
  {
    XBO_dBaseFld other(Path("K.DBF"), true, true);
    other.Go(2);
    ASSERT_TRUE(other.LockRecord());
    EXPECT_EQ(RaisedBy([&] { ds->Edit(); }), "XBaseDataSet1: Record is locked by another user");
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(RaisedBy([&] { ds->Delete(); }), "XBaseDataSet1: Record is locked by another user");
    EXPECT_EQ(NameOf(ds), "r2");
  }
  std::string dbf = fs.FileBytes(Path("K.DBF")), cdx = fs.FileBytes(Path("K.CDX"));
  {
    XBO_dBaseFld other(Path("K.DBF"), true, true);
    XBobjCDXFile index(&other, Path("K.CDX"), false, true, true);
    index.LockIndex();
    ds->Append();
    ds->FieldByName("NAME")->SetAsString("blocked");
    EXPECT_NE(RaisedBy([&] { ds->Post(); }).find("locked"), std::string::npos);
    EXPECT_EQ(ds->State(), dsInsert);  // the values stay for another try
    EXPECT_EQ(NameOf(ds), "blocked");
    EXPECT_EQ(fs.FileBytes(Path("K.DBF")), dbf);
    EXPECT_EQ(fs.FileBytes(Path("K.CDX")), cdx);
    index.UnlockIndex();
  }
  ds->Post();
  EXPECT_EQ(NameOf(ds), "blocked");
  LockRetryPolicy() = saved;
}

class Searching : public DataSets {
 protected:
  TXBaseDataSet* ds = nullptr;
  void SetUp() override {
    DataSets::SetUp();
    MakeTable("S.DBF", {{"alpha", 1}, {"beta", 2}, {"gamma", 3}, {"delta", 4}, {"Beta", 5}});
    {
      XBO_dBaseFld t(Path("S.DBF"), true, false);
      XBobjCDXFile cdx(&t, Path("S.CDX"), true, true, false);
      cdx.AddTag("NAME", "NAME", "", false, false);
      cdx.AddTag("QTY", "QTY", "", false, true);
      cdx.AddTag("DAY", "DAY", "QTY > 2", false, false);  // a FOR tag: not every record has a key
    }
    ds = Make("S");
    ds->GetIndexFiles()->Add("S.CDX");
    ds->SetIndexName("QTY");
    ds->Open();
  }
};

TEST_F(Searching, LocateBySeekOrByTextSearch) {
  struct Case {
    const char* fields;
    TVariant value;
    TLocateOptions options;
    const char* found;  // nullptr: not found
  } cases[] = {
      {"NAME", "beta", {}, "beta"},                              // the NAME tag
      {"NAME", "gam", TLocateOptions{loPartialKey}, "gamma"},    // a partial key in the tag
      {"NAME", "BETA", TLocateOptions{loCaseInsensitive}, "beta"},  // a text search
      {"NAME", "DEL", TLocateOptions{loCaseInsensitive, loPartialKey}, "delta"},
      {"NAME", "gam", {}, nullptr},                              // the whole key is wanted
      {"QTY", 4, {}, "delta"},                                   // numbers as the engine reads them
      {"DAY", TVariant::FromDate(EncodeDate(2026, 12, 2)), {}, "beta"},  // the FOR tag falls back
      {"NAME", "zeta", {}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fields) + " " + c.value.AsString());
    ds->First();
    bool found = ds->Locate(c.fields, c.value, c.options);
    EXPECT_EQ(found, c.found != nullptr);
    EXPECT_EQ(NameOf(ds), c.found ? c.found : "Beta");  // descending QTY: Beta first
    EXPECT_EQ(ds->GetIndexName(), "QTY");
  }
  // The order stays the index's after a found record.
  ASSERT_TRUE(ds->Locate("NAME", "gamma", {}));
  ds->Next();
  EXPECT_EQ(NameOf(ds), "beta");
}

TEST_F(Searching, LookupLeavesThePosition) {
  ds->First();
  ds->Next();
  EXPECT_EQ(ds->Lookup("NAME", "gamma", "QTY").AsInteger(), 3);
  EXPECT_EQ(ds->Lookup("QTY", 1, "NAME").AsString(), "alpha");
  EXPECT_TRUE(ds->Lookup("NAME", "zeta", "QTY").IsNull());
  EXPECT_EQ(NameOf(ds), "delta");
  ds->Next();
  EXPECT_EQ(NameOf(ds), "gamma");
}

TEST_F(Searching, IndexDefinitionsComeFromTheTags) {
  TIndexDefs* defs = ds->GetIndexDefs();
  ASSERT_EQ(defs->Count(), 3);
  EXPECT_EQ(defs->Find("NAME")->GetFields(), "NAME");
  EXPECT_TRUE(defs->Find("QTY")->GetOptions().Contains(ixDescending));
  EXPECT_EQ(defs->Find("DAY")->GetExpression(), "DAY");
  EXPECT_EQ(RaisedBy([&] { ds->SetIndexName("NONE"); }), "Cannot find index tag NONE");
  EXPECT_EQ(ds->GetIndexName(), "QTY");
  ds->SetIndexName("NAME");
  ds->First();
  EXPECT_EQ(NameOf(ds), "Beta");
  ds->Next();
  EXPECT_EQ(NameOf(ds), "alpha");
}

TEST_F(Searching, FiltersByExpressionAndByEvent) {
  ds->SetFilterText("(QTY > 1) .AND. (QTY < 5)");
  ds->SetFiltered(true);
  std::string names;
  for (ds->First(); !ds->Eof(); ds->Next()) names += NameOf(ds) + " ";
  EXPECT_EQ(names, "delta gamma beta ");
  EXPECT_FALSE(ds->IsSequenced());
  ds->OnFilterRecord = [this](TDataSet*, bool& accept) { accept = NameOf(ds) != "gamma"; };
  ds->SetFilterText("QTY > 1");
  names.clear();
  for (ds->First(); !ds->Eof(); ds->Next()) names += NameOf(ds) + " ";
  EXPECT_EQ(names, "Beta delta beta ");
  EXPECT_EQ(RaisedBy([&] { ds->SetFilterText("QTY"); }), "Filter expression must return boolean result");
  ds->OnFilterRecord = nullptr;

  // A function the engine does not know, answered by the application from the record.
  ds->OnFormula = [this](const String& action, const String& name, const String&, TxbFormulaResult& result,
                         bool& handled) {
    if (!AnsiSameText(name, "BIG")) return;
    handled = true;
    result.Type = 'L';
    if (action == "PARSE") result.Text = ds->FieldByName("QTY")->GetAsInteger() > 3 ? "T" : "F";
  };
  ds->SetFilterText("BIG()");
  names.clear();
  for (ds->First(); !ds->Eof(); ds->Next()) names += NameOf(ds) + " ";
  EXPECT_EQ(names, "Beta delta ");
  ds->SetFiltered(false);
  EXPECT_EQ(ds->RecordCount(), 5);
}

TEST_F(Searching, IndexFileListsAreCheckedAsTheyChange) {
  EXPECT_EQ(RaisedBy([&] { ds->GetIndexFiles()->Add("S.CDX"); }),
            "XBaseDataSet1: Index file " + fs.FullName(Path("S.CDX")) + " already open");
  ds->GetIndexFiles()->Clear();  // no list: no order
  EXPECT_EQ(ds->GetIndexName(), "");
  ds->First();
  EXPECT_EQ(NameOf(ds), "alpha");
  ds->Close();
  EXPECT_EQ(RaisedBy([&] { ds->GetIndexFiles()->Add("NONE"); }),
            "XBaseDataSet1: Cannot find file " + fs.FullName(Path("NONE.NDX")));
  EXPECT_FALSE(ds->GetActive());
  ds->SetTableName("OTHER");  // another table: its own index files
  EXPECT_EQ(ds->GetIndexFiles()->Count(), 0);
}

class MasterDetail : public DataSets {
 protected:
  TXBaseDataSet* master = nullptr;
  TXBaseDataSet* detail = nullptr;
  std::unique_ptr<TDataSource> source;
  void SetUp() override {
    DataSets::SetUp();
    CreateTable(Path("M.DBF"), 0x03, {{"ID", 'N', 4}, {"CODE", 'C', 3}});
    CreateTable(Path("DT.DBF"), 0x03, {{"MID", 'N', 4}, {"NAME", 'C', 10}});
    {
      XBO_dBaseFld m(Path("M.DBF"), true, false);
      for (int id : {1, 2, 3}) {
        m.BlankRecord();
        m.PutNumberByName("ID", id);
        m.Append();
      }
      XBO_dBaseFld d(Path("DT.DBF"), true, false);
      for (auto [mid, name] : std::vector<std::pair<int, const char*>>{{1, "a"}, {2, "b"}, {1, "c"}, {3, "d"}}) {
        d.BlankRecord();
        d.PutNumberByName("MID", mid);
        d.PutTextByName("NAME", name);
        d.Append();
      }
      XBobjCDXFile cdx(&d, Path("DT.CDX"), true, true, false);
      cdx.AddTag("MID", "MID", "", false, false);
    }
    master = Make("M", "Master");
    source = std::make_unique<TDataSource>(owner.get());
    source->SetDataSet(master);
    detail = Make("DT", "Detail");
    detail->GetIndexFiles()->Add("DT.CDX");
    detail->SetMasterSource(source.get());
    detail->SetMasterFields("ID");
    master->Open();
  }
  std::string Names() {
    std::string names;
    for (detail->First(); !detail->Eof(); detail->Next()) names += NameOf(detail);
    return names;
  }
};

TEST_F(MasterDetail, TheDetailFollowsTheMaster) {
  detail->SetIndexName("MID");
  detail->Open();
  EXPECT_EQ(Names(), "ac");
  master->Next();
  EXPECT_EQ(Names(), "b");
  master->Last();
  EXPECT_EQ(Names(), "d");
  master->Close();  // no master: every record
  EXPECT_EQ(Names(), "acbd");
}

TEST_F(MasterDetail, RelationsNeedATagAndItsFields) {
  EXPECT_EQ(RaisedBy([&] { detail->Open(); }), "Detail: Master/Detail relation failed, no index open for DT");
  EXPECT_FALSE(detail->GetActive());
  detail->SetIndexName("MID");
  detail->SetMasterFields("ID;CODE");
  EXPECT_EQ(RaisedBy([&] { detail->Open(); }), "Detail: Master/Detail relation failed, field missmatch for DT");
  EXPECT_EQ(RaisedBy([&] { master->SetMasterSource(source.get()); }), "Master: Циклические связи данных не разрешены");
}

TEST_F(DataSets, TextTranslatesByTheCodePage) {
  TXBaseDataSet* ds = Make("X");
  struct Case {
    bool oem;
    const char* text;
    std::size_t max;
    std::string stored;
  } cases[] = {
      {true, "Купить ёлку", 100, "\x8A\xE3\xAF\xA8\xE2\xEC\x20\xF1\xAB\xAA\xE3"},
      {false, "Ёлка", 100, "\xA8\xEB\xEA\xE0"},
      {true, "Ёлка", 2, "\xF0\xAB"},  // cut after whole characters
      {true, "a€b", 100, "a?b"},      // no euro sign in the DOS page
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ds->SetTranslateASCII(c.oem);
    EXPECT_EQ(ds->Translate(c.text, true, c.max), c.stored);
    if (c.max == 100 && c.stored.find('?') == std::string::npos) {
      EXPECT_EQ(ds->Translate(c.stored, false), c.text);
    }
  }
}

TEST_F(DataSets, AFormHoldsTheDataSetAndItsSource) {
  MakeTable("FORM.DBF", Numbered(3));
  {
    XBO_dBaseFld t(Path("FORM.DBF"), true, false);
    XBobjCDXFile cdx(&t, Path("FORM.CDX"), true, true, false);
    cdx.AddTag("QTY", "QTY", "", false, true);
  }
  const std::string text =
      "object Holder: TComponent\n"
      "  object XBaseDataSet1: TXBaseDataSet\n"
      "    Active = True\n"
      "    DatabaseName = 'DATA'\n"
      "    Exclusive = False\n"
      "    IndexFiles.Strings = (\n"
      "      'FORM.CDX')\n"
      "    IndexName = 'QTY'\n"
      "    LockProtocol = Default\n"
      "    TableName = 'FORM'\n"
      "    TranslateASCII = True\n"
      "    UseDeleted = False\n"
      "    UserID = 0\n"
      "  end\n"
      "  object DataSource1: TDataSource\n"
      "    DataSet = XBaseDataSet1\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TComponent> root = horavox::test::ReadFromText(text);
  auto* ds = dynamic_cast<TXBaseDataSet*>(root->FindComponent("XBaseDataSet1"));
  auto* source = dynamic_cast<TDataSource*>(root->FindComponent("DataSource1"));
  ASSERT_TRUE(ds && source);
  EXPECT_TRUE(ds->GetActive());  // opened once the whole form was read
  EXPECT_EQ(source->GetDataSet(), ds);
  EXPECT_EQ(NameOf(ds), "r3");
  EXPECT_EQ(StringReplace(horavox::test::WriteToText(root.get()), "\r\n", "\n", rfReplaceAll), text);
}

// The reminder calendar's road, on disk as the program has it.
TEST(ReminderTable, AReminderIsAddedFoundAndPackedAway) {
  std::string dir = IncludeTrailingPathDelimiter(horavox::test::TempDir()) + "reminders";
  ForceDirectories(dir);
  std::string file = IncludeTrailingPathDelimiter(dir) + "DATES.DBF";
  DeleteFile(file);
  CreateTable(file, 0x03, {{"DATA", 'D', 8}, {"SOBITIE", 'C', 100}});
  TComponent owner(nullptr);
  auto* ds = new TXBaseDataSet(&owner);
  ds->SetDatabaseName(dir);
  ds->SetTableName("DATES");
  ASSERT_TRUE(ds->GetTranslateASCII());
  TDataSource source(&owner);
  source.SetDataSet(ds);
  ds->Open();
  const TDateTime day = EncodeDate(2026, 12, 31);
  ds->Append();
  ds->FieldByName("DATA")->SetAsDateTime(day);
  ds->FieldByName("SOBITIE")->SetAsString("Купить ёлку");
  ds->Post();
  {
    TFileStream f(file, fmOpenRead | fmShareDenyNone);
    std::string bytes(static_cast<size_t>(f.GetSize()), '\0');
    f.ReadBuffer(bytes.data(), f.GetSize());
    EXPECT_NE(bytes.find("20261231\x8A\xE3\xAF\xA8\xE2\xEC\x20\xF1\xAB\xAA\xE3"), std::string::npos);
  }
  TFormatSettings savedSettings = DateObject().FormatSettings;
  for (const char* format : {"dd.MM.yyyy", "M/d/yyyy"}) {
    SCOPED_TRACE(format);
    DateObject().FormatSettings.ShortDateFormat = format;
    ds->FormatSettings.ShortDateFormat = format;
    ds->First();
    EXPECT_TRUE(ds->Locate("DATA", TVariant::FromDate(day), TLocateOptions{loCaseInsensitive}));
    EXPECT_TRUE(ds->Locate("DATA", TVariant::FromDate(day), {}));
    EXPECT_FALSE(ds->Locate("DATA", TVariant::FromDate(day + 1), {}));
    EXPECT_EQ(ds->FieldByName("SOBITIE")->GetAsString(), "Купить ёлку");
  }
  DateObject().FormatSettings = savedSettings;
  EXPECT_NE(RaisedBy([&] { ds->PackTable(); }), "(nothing raised)");  // a shared table is not packed
  ds->Close();
  ds->SetExclusive(true);  // as the calendar packs it at the end
  ds->Open();
  ASSERT_TRUE(ds->Locate("DATA", TVariant::FromDate(day), {}));
  ds->Delete();
  std::vector<std::vector<int>> reports;
  ds->OnStatus = [&](int a, int b, int c) { reports.push_back({a, b, c}); };
  ds->PackTable();
  EXPECT_EQ(reports, (std::vector<std::vector<int>>{{-1, 11, 1}, {11, 1, 0}, {0, 0, 0}}));
  EXPECT_EQ(ds->RecordCount(), 0);
  EXPECT_TRUE(ds->IsEmpty());
  ds->Close();
}

}  // namespace
