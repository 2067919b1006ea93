// The indexed table: movement in natural, tag and filter order, index lists, seeks, filters,
// text search, pack and the password change, on tables in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/format.h"
#include "raised.h"
#include "xbase/dates.h"
#include "xbase/errors.h"
#include "xbase/filebackend_memory.h"
#include "xbase/xbcdx.h"
#include "xbase/xbhandler.h"
#include "xbase/xbmdx.h"
#include "xbase/xbndx.h"
#include "xbase/xbntx.h"

#include <map>
#include <random>

namespace {

using xbtest::RaisedBy;

// A handler whose record filter test takes what the test gives and which counts reads.
class THookedHandler : public XBO_dBHandler {
 public:
  using XBO_dBHandler::XBO_dBHandler;
  std::function<bool(XBO_dBHandler&)> Accept;
  int Reads = 0;
  std::vector<std::vector<std::int32_t>> Status;
  bool RecordFilterTest() override { return !Accept || Accept(*this); }
  void StatusUpdate(int code, std::int32_t value) override {
    if (code == xbStatBeforeRead) ++Reads;
    XBO_dBHandler::StatusUpdate(code, value);
  }
  void SetStatusTargets(std::int32_t a, std::int32_t b, std::int32_t c) override { Status.push_back({a, b, c}); }
};

struct TRow {
  const char* Name;
  double Num;
  const char* Day;  // yyyymmdd
  bool Deleted;
};

// NAME C(10), NUM N(8,2), DAY D; ten records, 3 and 7 deleted.
const TRow kRows[] = {
    {"Smith", 12.5, "20240131", false}, {"Adams", 3, "20230105", false},  {"Smith", 7, "20240201", true},
    {"Brown", 12, "20221231", false},   {"Zorn", -4, "20240131", false},  {"Clark", 99, "20250101", false},
    {"Smithy", 1, "20200229", true},    {"Evans", 50, "20240315", false}, {"Adams", 8, "19991231", false},
    {"Young", 0, "20240130", false},
};

class Handler : public ::testing::Test {
 protected:
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope{fs};
  std::unique_ptr<THookedHandler> h;

  void SetUp() override { LockRetryPolicy().Attempts = 1; }
  void TearDown() override {
    h.reset();
    LockRetryPolicy() = TxbLockRetryPolicy();
  }

  void MakeTable(const std::vector<TRow>& rows, const char* name = "T.DBF") {
    CreateTable(name, 0x03, {{"NAME", 'C', 10}, {"NUM", 'N', 8, 2}, {"DAY", 'D', 8}});
    XBO_dBaseFld t(name, true, false);
    for (const auto& r : rows) {
      t.BlankRecord();
      t.PutTextByName("NAME", r.Name);
      t.PutNumberByName("NUM", r.Num);
      t.PutRawByName("DAY", r.Day);
      t.Append();
      if (r.Deleted) t.DeleteRecord();
    }
  }
  void MakeTable() { MakeTable(std::vector<TRow>(std::begin(kRows), std::end(kRows))); }
  // T.CDX with the tags NAME, NUM, DAY, NUMDOWN (descending) and BIG (FOR NUM > 10).
  void MakeCdx(const char* table = "T.DBF", const char* index = "TAGS.CDX") {
    XBO_dBaseFld t(table, true, false);
    XBobjCDXFile cdx(&t, index, true, true, false);
    cdx.AddTag("NAME", "NAME", "", false, false);
    cdx.AddTag("NUM", "NUM", "", false, false);
    cdx.AddTag("DAY", "DAY", "", false, false);
    cdx.AddTag("NUMDOWN", "NUM", "", false, true);
    cdx.AddTag("BIG", "NAME", "NUM > 10", false, false);
  }
  void MakeNdx(const char* name, const char* key = "NAME", const char* table = "T.DBF") {
    XBO_dBaseFld t(table, true, false);
    XBobjNDXFile ndx(&t, name, true, true, false);
    ndx.AddTag("", key, "", false, false);
  }
  void Open(bool shared = false, const char* name = "T.DBF", const char* password = "") {
    h = std::make_unique<THookedHandler>(name, true, shared, password);
  }
  // Record numbers from the top to EOF (or from the bottom to BOF, reversed back).
  std::vector<std::int32_t> Walk(bool backward = false) {
    std::vector<std::int32_t> out;
    h->Go(backward ? xbGoBottom : xbGoTop);
    while (!h->Eof() && !h->Bof() && out.size() < 100) {
      out.push_back(h->RecNo());
      h->Go(backward ? xbGoPrior : xbGoNext);
    }
    if (backward) std::reverse(out.begin(), out.end());
    return out;
  }
  // The model's record numbers that pass, in the order of the key (ties by record number).
  template <class Key, class Pass>
  std::vector<std::int32_t> Expected(Key key, Pass pass, bool showDeleted = false, bool descending = false) {
    std::vector<std::int32_t> out;
    for (int i = 0; i < 10; ++i)
      if ((showDeleted || !kRows[i].Deleted) && pass(kRows[i])) out.push_back(i + 1);
    std::stable_sort(out.begin(), out.end(), [&](std::int32_t a, std::int32_t b) {
      return descending ? key(kRows[b - 1]) < key(kRows[a - 1]) : key(kRows[a - 1]) < key(kRows[b - 1]);
    });
    return out;
  }
};

std::string TrimmedText(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// Every (stored key, record number) of a tag in its order.
std::vector<std::pair<std::string, std::uint32_t>> ScanTag(XBobjIndexTag& tag) {
  std::vector<std::pair<std::string, std::uint32_t>> out;
  for (tag.TagMove(xbGoTop); !tag.Eof() && out.size() < 100000; tag.TagMove(xbGoNext))
    out.emplace_back(tag.CurrentStored(), tag.CurrentKey().RecNo);
  return out;
}

auto All = [](const TRow&) { return true; };
auto ByNumber = [](const TRow& r) { return r.Num; };
auto ByName = [](const TRow& r) {
  std::string n = r.Name;
  n.resize(10, ' ');
  return n;
};
auto ByRecord = [](const TRow&) { return 0; };

TEST_F(Handler, MovementByOrderFilterAndHooks) {
  MakeTable();
  MakeCdx();
  Open();
  ASSERT_EQ(h->OpenIndexList("TAGS.CDX", ""), 0);

  struct TCase {
    const char* What;
    const char* Tag;
    const char* Filter;
    bool ShowDeleted;
    bool EvenOnly;  // the record filter test takes even record numbers only
    std::vector<std::int32_t> Want;
  };
  auto odd = [](const TRow& r) { return (&r - kRows) % 2 == 1; };  // record numbers 2, 4, ...
  const TCase cases[] = {
      {"natural", "", "", false, false, Expected(ByRecord, All)},
      {"natural, deleted shown", "", "", true, false, Expected(ByRecord, All, true)},
      {"filter", "", "NUM > 5", false, false, Expected(ByRecord, [](const TRow& r) { return r.Num > 5; })},
      {"filter, deleted shown", "", "NUM > 5", true, false,
       Expected(ByRecord, [](const TRow& r) { return r.Num > 5; }, true)},
      {"tag ascending", "NUM", "", false, false, Expected(ByNumber, All)},
      {"tag descending", "NUMDOWN", "", false, false, Expected(ByNumber, All, false, true)},
      {"tag and filter", "NAME", "NUM < 50", false, false,
       Expected(ByName, [](const TRow& r) { return r.Num < 50; })},
      {"tag with FOR", "BIG", "", true, false, Expected(ByName, [](const TRow& r) { return r.Num > 10; }, true)},
      {"record filter test", "", "", false, true, Expected(ByRecord, odd)},
      {"record filter test on a tag", "NUM", "", true, true, Expected(ByNumber, odd, true)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    h->SetMasterTag(c.Tag, false);
    h->SetUseDeleted(c.ShowDeleted);
    h->SetFilterWanted(*c.Filter != 0);
    if (*c.Filter) h->SetFilterExpression(c.Filter, false, true);
    h->Accept = nullptr;
    if (c.EvenOnly) h->Accept = [](XBO_dBHandler& t) { return t.RecNo() % 2 == 0; };
    EXPECT_EQ(Walk(), c.Want);
    EXPECT_EQ(Walk(true), c.Want);
  }
}

TEST_F(Handler, SkipStopsAtBothEnds) {
  MakeTable({{"A", 1, "", false}, {"B", 2, "", false}, {"C", 3, "", false}});
  Open();
  h->SetUseDeleted(true);
  h->Go(1);
  h->Skip(5);
  EXPECT_EQ(h->RecNo(), 3);
  EXPECT_TRUE(h->Eof());
  h->Skip(-1);
  EXPECT_EQ(h->RecNo(), 3);  // back from the end: the last record
  EXPECT_FALSE(h->Eof());
  h->Skip(-7);
  EXPECT_EQ(h->RecNo(), 1);
  EXPECT_TRUE(h->Bof());
  h->Skip(2);
  EXPECT_EQ(h->RecNo(), 3);
  EXPECT_FALSE(h->Eof());
  h->Skip(0);
  EXPECT_EQ(h->RecNo(), 3);
  // Before any record was read, staying put means the first record.
  h.reset();
  Open();
  h->Skip(0);
  EXPECT_EQ(h->RecNo(), 1);
}

TEST_F(Handler, SkipOverHiddenRecordsAndATag) {
  MakeTable();
  MakeCdx();
  Open();
  ASSERT_EQ(h->OpenIndexList("TAGS.CDX", "NUM"), 0);
  std::vector<std::int32_t> order = Expected(ByNumber, All);  // deleted records hidden
  h->Go(xbGoTop);
  h->Skip(3);
  EXPECT_EQ(h->RecNo(), order[3]);
  h->Skip(100);
  EXPECT_TRUE(h->Eof());
  h->Skip(-2);
  EXPECT_EQ(h->RecNo(), order[order.size() - 2]);
  // Every record shown: the tag is stepped without reading the records between.
  std::vector<std::int32_t> all = Expected(ByNumber, All, true);
  h->SetUseDeleted(true);
  h->Go(xbGoTop);
  int reads = h->Reads;
  h->Skip(6);
  EXPECT_EQ(h->RecNo(), all[6]);
  EXPECT_EQ(h->Reads - reads, 1);
  h->Skip(-100);
  EXPECT_EQ(h->RecNo(), all[0]);
  EXPECT_TRUE(h->Bof());
}

TEST_F(Handler, IndexLists) {
  MakeTable();
  MakeNdx("A.NDX");
  MakeNdx("B.NDX", "NUM");
  MakeNdx("C D.NDX", "DAY");
  Open();
  EXPECT_EQ(h->OpenIndexList("a.ndx, b.ndx;", ""), 0);
  ASSERT_NE(h->IndexFile(2), nullptr);
  EXPECT_EQ(h->IndexFile(1)->FileName(), NormalizeFileName("A.NDX"));
  EXPECT_EQ(h->IndexFile(2)->FileName(), NormalizeFileName("B.NDX"));
  EXPECT_EQ(h->TagCount(), 2);
  EXPECT_EQ(h->TagByNumber(2)->Name(), "B");
  EXPECT_EQ(h->TagByNumber(3), nullptr);

  EXPECT_EQ(h->OpenIndexList("  ,; ", ""), 1);
  EXPECT_FALSE(h->HasIndex());

  EXPECT_EQ(h->OpenIndexList("\"C D.NDX\" a", "A"), 0);
  EXPECT_EQ(h->IndexFile(1)->FileName(), NormalizeFileName("C D.NDX"));
  EXPECT_EQ(h->MasterTagName(), "A");
  EXPECT_EQ(h->IndexOpen("A.NDX"), -1);

  // An unknown tag raises and the old one stays.
  EXPECT_EQ(RaisedBy([&] { h->SetMasterTag("nope", false); }), "Cannot find index tag nope");
  EXPECT_EQ(h->MasterTagName(), "A");
  EXPECT_NE(h->MasterTag(), nullptr);

  // Missing and unknown files.
  EXPECT_EQ(RaisedBy([&] { h->IndexOpen("MISSING.NDX"); }), "File not found - " + NormalizeFileName("MISSING.NDX"));
  fs.SetFile("X.IDX", "junk");
  EXPECT_EQ(RaisedBy([&] { h->IndexOpen("X.IDX"); }), "File not found - " + NormalizeFileName("X.IDX"));

  // 63 files fill every slot; the 64th has none.
  std::string list;
  for (int i = 1; i <= 64; ++i) {
    std::string name = "I" + std::to_string(i) + ".NDX";
    fs.SetFile(name, fs.FileBytes("A.NDX"));
    if (i < 64) list += name + " ";
  }
  EXPECT_EQ(h->OpenIndexList(list, ""), 0);
  EXPECT_EQ(h->TagCount(), 63);
  EXPECT_EQ(RaisedBy([&] { h->IndexOpen("I64.NDX"); }), "Too many open files - " + NormalizeFileName("I64.NDX"));
}

TEST_F(Handler, ProductionIndexOpensWithTheTable) {
  MakeTable();
  MakeCdx("T.DBF", "T.CDX");  // named after the table: its production index
  Open();
  ASSERT_TRUE(h->HasIndex());
  EXPECT_EQ(h->TagCount(), 5);
  // No list closes it, and listing it is no repeat.
  EXPECT_EQ(h->OpenIndexList("  ", ""), 1);
  EXPECT_EQ(h->TagCount(), 5);
  EXPECT_EQ(h->OpenIndexList("T.CDX", "NAME"), 0);
  // A record written without any list keeps it current.
  h->CloseIndexFiles();
  h->BlankRecord();
  h->PutTextByName("NAME", "Aaron");
  h->Append();
  h.reset();
  Open();
  h->SetMasterTag("NAME", false);
  EXPECT_EQ(h->RecNo(), 11);
  // Renamed, the table takes it along.
  h->Rename("U.DBF");
  EXPECT_EQ(h->IndexFile(1)->FileName(), NormalizeFileName("U.CDX"));
  h.reset();
  EXPECT_FALSE(fs.Exists(NormalizeFileName("T.CDX")));
  Open(false, "U.DBF");
  EXPECT_EQ(h->TagCount(), 5);
}

TEST_F(Handler, SeekKeyByTagType) {
  MakeTable();
  MakeCdx();
  Open();
  ASSERT_EQ(h->OpenIndexList("TAGS.CDX", ""), 0);
  struct TCase {
    const char* Tag;
    const char* Key;
    bool Exact, Soft;
    bool Found;
    std::int32_t RecNo;  // 0: at EOF
  };
  const TCase cases[] = {
      {"NAME", "Smith", false, false, true, 1},     // 3 is deleted, 7 "Smithy" comes after
      {"NAME", "Smi", false, false, true, 1},       // a partial key
      {"NAME", "Smi", true, false, false, 0},       // not as a whole key
      {"NAME", "Smithy", true, false, false, 0},    // deleted: skipped to the next key
      {"NAME", "Smithy", true, true, false, 10},    // soft: stays on the next one
      {"NAME", "B", false, false, true, 4},         // the first key that starts so
      {"NAME", "Bz", false, true, false, 6},        // soft: the next greater key
      {"NAME", "Zz", false, true, false, 0},        // beyond every key
      {"NUM", "12.5", true, false, true, 1},
      {"NUM", "12", false, false, true, 4},         // numbers match whole, never by their start
      {"NUM", " -4 ", true, false, true, 5},
      {"NUM", "13", false, true, false, 8},
      {"DAY", "20240131", false, false, true, 1},
      {"DAY", "20240130", false, false, true, 10},
      {"DAY", "20240202", false, false, false, 0},
      {"NUMDOWN", "8", true, false, true, 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Tag) + " " + c.Key);
    h->SetMasterTag(c.Tag, false);
    h->SetExactMatch(c.Exact);
    h->SetSoftSeek(c.Soft);
    EXPECT_EQ(h->SeekKey(c.Key), c.Found);
    EXPECT_EQ(h->Found(), c.Found);
    if (c.RecNo) {
      EXPECT_EQ(h->RecNo(), c.RecNo);
      EXPECT_FALSE(h->Eof());
    } else {
      EXPECT_TRUE(h->Eof());
    }
  }
  h->SetMasterTag("NUM", false);
  EXPECT_EQ(RaisedBy([&] { h->SeekKey("12x"); }), "Invalid numeric format - 12x");
  // After a seek, movement goes on in the tag's order.
  h->SetExactMatch(true);
  ASSERT_TRUE(h->SeekKey("8"));
  h->Go(xbGoNext);
  EXPECT_EQ(h->RecNo(), 4);
  // FindKeyInTag: exact keys in any open tag.
  EXPECT_EQ(h->FindKeyInTag("day", "20250101"), 6);
  EXPECT_EQ(h->FindKeyInTag("NAME", "Smi"), -1);
  EXPECT_EQ(h->FindKeyInTag("NOTAG", "Smith"), -1);
  // Without a master tag nothing is found.
  h->SetMasterTag("", false);
  EXPECT_FALSE(h->SeekKey("Smith"));
  EXPECT_TRUE(h->Eof());
}

// Under the ClipLock protocol seeks and finds hold every index lock; refused, they find
// nothing, while moves go on.
TEST_F(Handler, ClipLockSeeksUnderTheIndexLock) {
  MakeTable();
  MakeCdx();
  Open(true);
  h->SetLockProtocol(TxbLokProtocol::ClipLock);
  ASSERT_EQ(h->OpenIndexList("TAGS.CDX", "NAME"), 0);
  fs.LockLog.clear();
  EXPECT_TRUE(h->SeekKey("Smith"));
  EXPECT_NE(std::find(fs.LockLog.begin(), fs.LockLog.end(), "L 1000000000 1"), fs.LockLog.end());
  std::unique_ptr<TxbOsFile> other;
  ASSERT_EQ(fs.Open(NormalizeFileName("TAGS.CDX"), true, true, other), 0);
  ASSERT_EQ(other->Lock(0, 0xFFFFFFFFull), 0);
  EXPECT_FALSE(h->SeekKey("Smith"));
  EXPECT_EQ(h->FindKeyInTag("NAME", "Adams"), -1);
  h->Go(xbGoTop);
  EXPECT_EQ(h->RecNo(), 2);
  ASSERT_EQ(other->Unlock(0, 0xFFFFFFFFull), 0);
  EXPECT_EQ(h->FindKeyInTag("NAME", "Adams"), 2);
}

TEST_F(Handler, SeekOnAnEmptyTable) {
  MakeTable({});
  MakeCdx();
  Open();
  ASSERT_EQ(h->OpenIndexList("TAGS.CDX", "NAME"), 0);
  EXPECT_FALSE(h->SeekKey("Smith"));
  EXPECT_TRUE(h->Eof());
  EXPECT_TRUE(h->Bof());
}

TEST_F(Handler, Filters) {
  MakeTable();
  Open();
  h->SetFilterWanted(true);
  EXPECT_EQ(RaisedBy([&] { h->SetFilterExpression("NUM", false, true); }),
            "Filter expression must return boolean result");
  EXPECT_FALSE(h->FilterActive());

  // Case-insensitive compare and "*" in texts.
  h->SetFilterExpression("NAME = 'smi*'", true, true);
  EXPECT_EQ(Walk(), (std::vector<std::int32_t>{1}));
  h->SetUseDeleted(true);
  EXPECT_EQ(Walk(), (std::vector<std::int32_t>{1, 3, 7}));
  h->SetUseDeleted(false);

  // After the last passing record the move ends at EOF without reading on.
  h->SetFilterExpression("NUM < 5", false, true);
  EXPECT_EQ(Walk(), (std::vector<std::int32_t>{2, 5, 10}));
  h->Go(5);
  h->Go(xbGoNext);
  EXPECT_EQ(h->RecNo(), 10);
  int reads = h->Reads;
  h->Go(xbGoNext);
  EXPECT_TRUE(h->Eof());
  EXPECT_EQ(h->Reads - reads, 0);

  // Written records update their own bit.
  h->Go(6);
  h->PutNumberByName("NUM", 1);
  h->PutRec(6);
  h->Go(2);
  h->PutNumberByName("NUM", 77);
  h->PutRec(2);
  h->BlankRecord();
  h->PutNumberByName("NUM", 2);
  h->Append();
  EXPECT_EQ(Walk(), (std::vector<std::int32_t>{5, 6, 10, 11}));

  // Switched off: every record shows again.
  h->SetFilterWanted(false);
  EXPECT_EQ(Walk().size(), 9u);
}

TEST_F(Handler, TextSearchModes) {
  MakeTable();
  Open();
  struct TCase {
    int Field;
    const char* Text;
    int Mode;
    std::int32_t Start;
    std::int32_t Want;
  };
  const TCase cases[] = {
      {1, "Smith", xbSearchAtStart | xbSearchWholeField, 0, 1},
      {1, "smith", xbSearchAtStart | xbSearchWholeField, 0, 0},
      {1, "smith", xbSearchAtStart | xbSearchWholeField | xbSearchCaseInsensitive, 0, 1},
      {1, "Smi", xbSearchAtStart | xbSearchWholeField, 0, 0},
      {1, "Smi*", xbSearchAtStart | xbSearchWildcards, 0, 1},
      {1, "Smi*", xbSearchAtStart | xbSearchWildcards, 1, 0},       // 3 and 7 are deleted
      {1, "Adams", xbSearchAtStart | xbSearchWildcards, 2, 9},      // on from record 2
      {1, "*ou*", xbSearchAtStart | xbSearchWildcards, 0, 10},
      {1, "*ams", xbSearchWildcards, 0, 2},
      {1, "Sm?th", xbSearchAtStart | xbSearchWildcards, 0, 1},
      {1, "Sm?th", xbSearchAtStart | xbSearchWholeField, 0, 0},     // no jokers: "?" is itself
      {1, "ark", xbSearchCaseInsensitive, 0, 6},                     // ends at the field's end
      {1, "lar", xbSearchCaseInsensitive, 0, 0},
      {2, "12", 0, 0, 4},
      {2, "12.50", 0, 0, 1},
      {2, "x", 0, 0, 0},
      {3, "20240315", 0, 0, 8},
      {0, "Evans", xbSearchAtStart | xbSearchWholeField, 0, 8},     // any field
      {0, "99", 0, 0, 6},
      {4, "Smith", 0, 0, 0},                                          // no such field
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Text) + " mode " + std::to_string(c.Mode));
    h->Go(4);
    h->SetTextSearchMode(c.Mode);
    EXPECT_EQ(h->TextSearch(c.Field, c.Text, c.Start), c.Want);
    EXPECT_EQ(h->RecNo(), c.Want ? c.Want : 4);  // no match: back where it was
  }
  // Deleted records shown: the search runs in record order over them too.
  h->SetUseDeleted(true);
  h->SetTextSearchMode(xbSearchAtStart | xbSearchWildcards);
  h->Status.clear();
  EXPECT_EQ(h->TextSearch(1, "Smithy", 0), 7);
  ASSERT_FALSE(h->Status.empty());
  EXPECT_EQ(h->Status.front(), (std::vector<std::int32_t>{-1, xbStatusSearch, 10}));
  EXPECT_EQ(h->Status.back(), (std::vector<std::int32_t>{xbStatusSearch, 7, 0}));
}

// ---- Pack ----

TEST_F(Handler, PackKeepsTheLiveRecordsAndRebuildsTheIndexes) {
  MakeTable();
  MakeCdx();
  MakeNdx("A.NDX");
  Open();
  ASSERT_EQ(h->OpenIndexList("TAGS.CDX A.NDX", "NUM"), 0);
  h->Pack();
  EXPECT_EQ(h->RecordCount(), 8);
  EXPECT_EQ(h->FileSize(), h->HeaderLength() + 8 * h->RecordLength() + 1);
  std::vector<std::string> names;
  for (std::int32_t r = 1; r <= 8; ++r) {
    h->Go(r);
    names.push_back(TrimmedText(h->FieldTextByName("NAME")));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Smith", "Adams", "Brown", "Zorn", "Clark", "Evans", "Adams", "Young"}));
  ASSERT_NE(h->MasterTag(), nullptr);
  EXPECT_EQ(h->MasterTagName(), "NUM");
  EXPECT_EQ(h->Status.front(), (std::vector<std::int32_t>{-1, xbStatusPack, 10}));
  // The pack reports its end, then the indexes report their rebuilding.
  auto end = std::find(h->Status.begin(), h->Status.end(), std::vector<std::int32_t>{0, 0, 0});
  ASSERT_NE(end, h->Status.end());
  EXPECT_EQ(*(end - 1), (std::vector<std::int32_t>{xbStatusPack, 10, 0}));
  ASSERT_NE(end + 1, h->Status.end());
  for (auto it = end + 1; it != h->Status.end(); ++it)
    EXPECT_TRUE((*it)[0] == xbStatusIndexBuild || ((*it)[0] == -1 && (*it)[1] == xbStatusIndexBuild));
  h.reset();
  // The indexes equal ones built afresh on the packed table.
  MakeCdx("T.DBF", "FRESH.CDX");
  MakeNdx("FRESH.NDX");
  Open();
  ASSERT_EQ(h->OpenIndexList("TAGS.CDX A.NDX FRESH.CDX FRESH.NDX", ""), 0);
  ASSERT_EQ(h->TagCount(), 12);
  for (int n = 1; n <= 6; ++n) {
    SCOPED_TRACE(h->TagByNumber(n)->Name());
    EXPECT_EQ(ScanTag(*h->TagByNumber(n)), ScanTag(*h->TagByNumber(n + 6)));
    EXPECT_FALSE(ScanTag(*h->TagByNumber(n)).empty());
  }
}

TEST_F(Handler, PackFreesMemoBlocks) {
  CreateTable("M.DBF", 0x8B, {{"NAME", 'C', 10}, {"NOTE", 'M', 10}});
  {
    XBO_dBaseFld t("M.DBF", true, false);
    for (int i = 1; i <= 4; ++i) {
      t.BlankRecord();
      t.PutTextByName("NAME", "R" + std::to_string(i));
      t.Append();
      t.MemoWrite(2, std::string(1500, static_cast<char>('a' + i)));
      t.PutRec(i);
      if (i % 2) t.DeleteRecord();
    }
  }
  std::int64_t memoSize = fs.FileBytes("M.DBT").size();
  Open(false, "M.DBF");
  h->Pack();
  ASSERT_EQ(h->RecordCount(), 2);
  h->Go(1);
  EXPECT_EQ(h->MemoRead(2), std::string(1500, 'c'));
  h->Go(2);
  EXPECT_EQ(h->MemoRead(2), std::string(1500, 'e'));
  // The freed blocks take new values: the memo file does not grow.
  for (int i = 0; i < 2; ++i) {
    h->BlankRecord();
    h->Append();
    h->MemoWrite(2, std::string(1500, 'z'));
    h->PutRec(h->RecNo());
  }
  EXPECT_EQ(static_cast<std::int64_t>(fs.FileBytes("M.DBT").size()), memoSize);
}

TEST_F(Handler, PackRefusesASharedTableAndEmptiesADeletedOne) {
  MakeTable({{"A", 1, "", true}, {"B", 2, "", true}});
  Open(true);
  EXPECT_EQ(RaisedBy([&] { h->Pack(); }), "File access denied - " + NormalizeFileName("T.DBF"));
  EXPECT_EQ(h->RecordCount(), 2);
  h.reset();
  Open();
  h->Pack();
  EXPECT_EQ(h->RecordCount(), 0);
  EXPECT_EQ(static_cast<std::int64_t>(fs.FileBytes("T.DBF").size()), h->HeaderLength() + 1);
  h->Go(xbGoTop);
  EXPECT_TRUE(h->Eof());
}

// ---- Every index format at once ----

TEST_F(Handler, AllFormatsFollowEveryWrite) {
  CreateTable("T.DBF", 0x03, {{"NAME", 'C', 10}, {"NUM", 'N', 12}, {"FLAG", 'L', 1}});
  {
    XBO_dBaseFld t("T.DBF", true, false);
    XBobjCDXFile cdx(&t, "ALL.CDX", true, true, false);
    cdx.AddTag("NAME", "NAME", "", false, false);
    cdx.AddTag("FLAGGED", "NUM", "FLAG", false, false);
    XBobjMDXFile mdx(&t, "ALL.MDX", true, true, false);
    mdx.AddTag("NUMDOWN", "NUM", "", false, true);
    XBobjNDXFile ndx(&t, "BYNAME.NDX", true, true, false);
    ndx.AddTag("", "NAME", "", false, false);
    XBobjNTXFile ntx(&t, "BYNUM.NTX", true, true, false);
    ntx.AddTag("", "STR(NUM,12)+NAME", "", false, false);
  }
  Open(true);
  ASSERT_EQ(h->OpenIndexList("ALL.CDX,ALL.MDX,BYNAME.NDX,BYNUM.NTX", ""), 0);
  ASSERT_EQ(h->TagCount(), 5);

  struct TModel {
    std::string Name;
    double Num;
    bool Flag;
  };
  std::map<std::int32_t, TModel> model;  // deleted records keep their keys
  std::mt19937 rng(27);
  int serial = 0;
  auto fill = [&](TModel& m) {
    ++serial;  // unique keys: the order of equal keys is each format's own
    m.Name = std::string(1, static_cast<char>('A' + rng() % 26)) + std::string(1, static_cast<char>('a' + rng() % 26)) +
             std::to_string(1000 + serial);
    m.Num = static_cast<double>(rng() % 2000) * 1000 + serial;  // STR order is number order
    m.Flag = rng() % 2;
    h->PutTextByName("NAME", m.Name);
    h->PutNumberByName("NUM", m.Num);
    h->PutLogicalByName("FLAG", m.Flag);
  };
  auto check = [&] {
    auto order = [&](auto less, auto pass) {
      std::vector<std::int32_t> out;
      for (const auto& [r, m] : model)
        if (pass(m)) out.push_back(r);
      std::sort(out.begin(), out.end(), [&](std::int32_t a, std::int32_t b) { return less(model[a], model[b]); });
      return out;
    };
    auto byName = [](const TModel& a, const TModel& b) { return a.Name < b.Name; };
    auto byNum = [](const TModel& a, const TModel& b) { return a.Num < b.Num; };
    auto everyone = [](const TModel&) { return true; };
    std::vector<std::int32_t> numDown = order(byNum, everyone);
    std::reverse(numDown.begin(), numDown.end());
    const std::pair<const char*, std::vector<std::int32_t>> want[] = {
        {"NAME", order(byName, everyone)},
        {"FLAGGED", order(byNum, [](const TModel& m) { return m.Flag; })},
        {"NUMDOWN", numDown},
        {"BYNAME", order(byName, everyone)},
        {"BYNUM", order(byNum, everyone)},
    };
    for (int n = 1; n <= h->TagCount(); ++n) {
      XBobjIndexTag& tag = *h->TagByNumber(n);  // tags in file order: a directory's is by name
      SCOPED_TRACE(tag.Name());
      auto it = std::find_if(std::begin(want), std::end(want), [&](const auto& w) { return tag.Name() == w.first; });
      ASSERT_NE(it, std::end(want));
      std::vector<std::int32_t> got;
      for (const auto& [key, r] : ScanTag(tag)) got.push_back(static_cast<std::int32_t>(r));
      EXPECT_EQ(got, it->second);
    }
  };
  for (int step = 0; step < 400 && !HasFailure(); ++step) {
    unsigned op = rng() % 10;
    if (model.empty() || op < 5) {
      h->BlankRecord();
      TModel m;
      fill(m);
      h->Append();
      model[h->RecNo()] = m;
    } else {
      auto r = static_cast<std::int32_t>(1 + rng() % model.size());
      h->Go(r);
      if (op < 8) {
        fill(model[r]);
        h->PutRec(r);
      } else {
        h->DeleteRecord();
      }
    }
    if (step % 50 == 49) check();
  }
  check();

  // An index lock held elsewhere: the append raises and no file changes.
  LockRetryPolicy().Attempts = 1;
  std::unique_ptr<TxbOsFile> other;
  ASSERT_EQ(fs.Open(NormalizeFileName("BYNUM.NTX"), true, true, other), 0);
  ASSERT_EQ(other->Lock(0, 0xFFFFFFFFull), 0);
  const char* files[] = {"T.DBF", "ALL.CDX", "ALL.MDX", "BYNAME.NDX", "BYNUM.NTX"};
  std::vector<std::string> before;
  for (const char* f : files) before.push_back(fs.FileBytes(f));
  h->BlankRecord();
  h->PutTextByName("NAME", "Locked");
  EXPECT_EQ(RaisedBy([&] { h->Append(); }), "Record locked by another user - " + NormalizeFileName("BYNUM.NTX"));
  h->Go(1);
  h->PutTextByName("NAME", "Locked");
  EXPECT_EQ(RaisedBy([&] { h->PutRec(1); }), "Record locked by another user - " + NormalizeFileName("BYNUM.NTX"));
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(fs.FileBytes(files[i]), before[i]) << files[i];
  // Given back, the next append goes through every index again.
  ASSERT_EQ(other->Unlock(0, 0xFFFFFFFFull), 0);
  h->BlankRecord();
  TModel m;
  fill(m);
  h->Append();
  model[h->RecNo()] = m;
  check();
}

// ---- Password ----

class Password : public Handler {
 protected:
  void MakeMemoTable() {
    CreateTable("P.DBF", 0x8B, {{"NAME", 'C', 10}, {"NUM", 'N', 6}, {"NOTE", 'M', 10}});
    XBO_dBaseFld t("P.DBF", true, false);
    for (int i = 1; i <= 6; ++i) {
      t.BlankRecord();
      t.PutTextByName("NAME", "Name" + std::to_string(i));
      t.PutNumberByName("NUM", 100 - i);
      t.Append();
      if (i != 3) t.MemoWrite(3, "note " + std::to_string(i) + std::string(600, '.'));
      t.PutRec(i);
    }
    MakeCdx(t);
  }
  static void MakeCdx(XBO_dBaseFld& t) {
    XBobjCDXFile cdx(&t, "P.CDX", true, true, false);
    cdx.AddTag("NUM", "NUM", "", false, false);
    cdx.AddTag("NAME", "NAME", "", false, false);
  }
  // Every record, its memo and its keys as they were written.
  void CheckContent(XBO_dBHandler& t) {
    ASSERT_EQ(t.RecordCount(), 6);
    for (int i = 1; i <= 6; ++i) {
      SCOPED_TRACE(i);
      t.Go(i);
      EXPECT_EQ(TrimmedText(t.FieldTextByName("NAME")), "Name" + std::to_string(i));
      EXPECT_EQ(t.MemoRead(3), i == 3 ? std::string() : "note " + std::to_string(i) + std::string(600, '.'));
      EXPECT_EQ(t.FindKeyInTag("NUM", std::to_string(100 - i)), i);
      EXPECT_EQ(t.FindKeyInTag("NAME", "Name" + std::to_string(i)), i);
    }
  }
};

TEST_F(Password, ChangeWithIndexes) {
  MakeMemoTable();
  auto open = [&](const char* password) { return std::make_unique<XBO_dBHandler>("P.DBF", true, false, password); };
  {
    auto t = open("");
    t->SetMasterTag("NUM", false);
    t->ChangePassword("тайна");
    EXPECT_TRUE(t->Encrypted());
    EXPECT_EQ(t->MasterTagName(), "NUM");
    CheckContent(*t);
  }
  EXPECT_EQ(fs.FileBytes("P.DBF").find("Name1"), std::string::npos);
  EXPECT_EQ(RaisedBy([&] { open(""); }), "No Password for encrypted file " + NormalizeFileName("P.DBF"));
  EXPECT_EQ(RaisedBy([&] { open("другой"); }), "Invalid password for file " + NormalizeFileName("P.DBF"));
  {
    auto t = open("тайна");
    CheckContent(*t);
    t->ChangePassword("second");
    CheckContent(*t);
  }
  {
    auto t = open("second");
    CheckContent(*t);
    t->ChangePassword("");
    EXPECT_FALSE(t->Encrypted());
  }
  open("").reset();
  auto shared = std::make_unique<XBO_dBHandler>("P.DBF", true, true);
  CheckContent(*shared);
  EXPECT_EQ(RaisedBy([&] { shared->ChangePassword("x"); }), "File access denied - " + NormalizeFileName("P.DBF"));
}

// Writes fail from every point of the change on: the table then opens under the old or the
// new password with all its data.
TEST_F(Password, EveryInterruptionLeavesOnePasswordWorking) {
  MakeMemoTable();
  std::vector<std::pair<std::string, std::string>> original;
  for (const char* name : {"P.DBF", "P.DBT", "P.CDX"}) original.emplace_back(name, fs.FileBytes(name));
  int oldWorking = 0, newWorking = 0;
  for (std::int64_t limit = 0;; limit += 97) {
    SCOPED_TRACE(limit);
    fs.UnlimitWrites();
    for (const auto& [name, bytes] : original) fs.SetFile(name, bytes);
    bool completed = false;
    {
      auto t = std::make_unique<XBO_dBHandler>("P.DBF", true, false);
      fs.LimitWrites(limit, 112);
      try {
        t->ChangePassword("new");
        completed = true;
      } catch (const Exception&) {
      }
      try {
        t.reset();
      } catch (const Exception&) {
      }
    }
    fs.UnlimitWrites();
    std::unique_ptr<XBO_dBHandler> t;
    const char* password = "new";
    try {
      t = std::make_unique<XBO_dBHandler>("P.DBF", true, false, password);
      ++newWorking;
    } catch (const Exception&) {
      password = "";
      t = std::make_unique<XBO_dBHandler>("P.DBF", true, false, password);
      ++oldWorking;
    }
    // An index write cut short is repaired by re-indexing; a file left without its tags is
    // made again.
    bool repaired = t->TagCount() == 2;
    if (repaired) {
      try {
        t->ReindexAll();
      } catch (const Exception&) {
        repaired = false;
      }
    }
    if (!repaired) {
      t.reset();
      {
        XBO_dBaseFld plain("P.DBF", true, false, password);
        MakeCdx(plain);
      }
      t = std::make_unique<XBO_dBHandler>("P.DBF", true, false, password);
    }
    CheckContent(*t);
    if (completed || ::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(oldWorking, 0);
  EXPECT_GT(newWorking, 0);
}

}  // namespace
