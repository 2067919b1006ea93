// The index base: movement, search, ranges and key maintenance, on the tiny format in memory
// (four keys a node) and on the compound index.
#include "index_fixture.h"
#include "raised.h"

#include <algorithm>
#include <map>
#include <random>

#include "classlib/core/format.h"
#include "xbase/errors.h"

namespace {

using namespace xbtest;

class IndexBase : public IndexTable, public ::testing::WithParamInterface<bool> {
 protected:
  std::unique_ptr<XBobjIndexFile> index;
  bool Cdx() const { return GetParam(); }
  void MakeIndex() {
    if (Cdx())
      index = std::make_unique<XBobjCDXFile>(table.get(), "T.CDX", true, true, false);
    else
      index = std::make_unique<TMemIndex>(table.get());
  }
  std::int64_t NodesWritten() const {
    std::int64_t n = 0;
    for (int i = 0; i < index->TagCount(); ++i) n += index->TagByIndex(i)->NodesWritten();
    return n;
  }
  std::vector<std::string> Names(XBobjIndexTag& tag, bool backward = false) {
    std::vector<std::string> out;
    for (auto& [key, recno] : Scan(tag, backward)) out.push_back(key);
    return out;
  }
};

struct TRecord {
  std::string Name;
  double Num;
  bool Flag;
};

struct TTagDef {
  const char* Name;
  const char* Key;
  const char* For;
  bool Unique, Descending;
};

// The model: what each tag must hold after every step, from the records alone (a unique tag
// keeps the record that claimed a key first, until that record lets go of it).
TEST_P(IndexBase, ScansFollowTheModelThroughAppendsRewritesAndForFlips) {
  OpenTable();
  MakeIndex();
  std::vector<TTagDef> defs = {{"NAME", "NAME", "", false, false},  {"UNAME", "NAME", "", true, false},
                               {"DNAME", "NAME", "", false, true},  {"FNAME", "NAME", "FLAG", false, false},
                               {"UDF", "NAME", "FLAG", true, true}};
  if (Cdx()) {
    defs.push_back({"NUM", "NUM", "", false, false});
    defs.push_back({"DNUM", "NUM", "", false, true});
  }
  for (auto& d : defs) index->AddTag(d.Name, d.Key, d.For, d.Unique, d.Descending);
  std::vector<TRecord> records;
  std::vector<std::map<std::string, std::uint32_t>> owners(defs.size());
  std::mt19937 rng(25);
  auto randomName = [&] {
    std::string s;
    for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n) s += "ABC"[rng() % 3];
    return s;
  };
  auto claim = [&](std::size_t d, const TRecord& old, const TRecord* now, std::uint32_t r) {
    if (!defs[d].Unique) return;
    bool hasFor = *defs[d].For != 0;
    auto& own = owners[d];
    bool newFor = now && (!hasFor || now->Flag);
    if (newFor && !own.count(now->Name)) own[now->Name] = r;
    if (!(newFor && now->Name == old.Name)) {
      auto it = own.find(old.Name);
      if (it != own.end() && it->second == r) own.erase(it);
    }
  };
  auto expected = [&](std::size_t d) {
    const TTagDef& def = defs[d];
    std::vector<std::uint32_t> rs;
    if (def.Unique)
      for (auto& [name, r] : owners[d]) rs.push_back(r);
    else
      for (std::uint32_t r = 1; r <= records.size(); ++r)
        if (!*def.For || records[r - 1].Flag) rs.push_back(r);
    bool numeric = std::string(def.Key) == "NUM";
    std::stable_sort(rs.begin(), rs.end(), [&](std::uint32_t a, std::uint32_t b) {
      const TRecord &x = records[a - 1], &y = records[b - 1];
      int c = numeric ? (x.Num < y.Num ? -1 : x.Num > y.Num) : x.Name.compare(y.Name);
      if (c == 0) c = a < b ? -1 : (a > b);
      return def.Descending ? c > 0 : c < 0;
    });
    return rs;
  };
  auto check = [&](int step) {
    for (std::size_t d = 0; d < defs.size(); ++d) {
      XBobjIndexTag& tag = *index->TagByName(defs[d].Name);
      std::vector<std::uint32_t> want = expected(d);
      ASSERT_EQ(Records(Scan(tag)), want) << defs[d].Name << " forward, step " << step;
      ASSERT_EQ(Records(Scan(tag, true)), want) << defs[d].Name << " backward, step " << step;
    }
  };
  int step = 0;
  while (records.size() < 2000) {
    ++step;
    int op = records.size() < 10 ? 0 : static_cast<int>(rng() % 10);
    if (op <= 4) {
      TRecord rec{randomName(), static_cast<double>(static_cast<int>(rng() % 2001) - 1000) / 8, rng() % 4 != 0};
      records.push_back(rec);
      std::uint32_t r = Append(index.get(), rec.Name, rec.Num, rec.Flag);
      ASSERT_EQ(r, records.size());
      for (std::size_t d = 0; d < defs.size(); ++d) {
        if (!defs[d].Unique) continue;
        if ((!*defs[d].For || rec.Flag) && !owners[d].count(rec.Name)) owners[d][rec.Name] = r;
      }
    } else {
      auto r = static_cast<std::uint32_t>(1 + rng() % records.size());
      TRecord old = records[r - 1], now = old;
      if (op == 7) {
        // Only a field no key reads: nothing is written, unless a unique tag takes up a key
        // nobody holds any more.
        auto ownersBefore = owners;
        for (std::size_t d = 0; d < defs.size(); ++d) claim(d, old, &now, r);
        std::int64_t before = NodesWritten();
        std::string bytes = Cdx() ? fs.FileBytes("T.CDX") : "";
        Rewrite(index.get(), r, now.Name, now.Num, now.Flag, std::to_string(step % 1000));
        if (owners == ownersBefore) {
          ASSERT_EQ(NodesWritten(), before) << "step " << step;
          if (Cdx()) {
            ASSERT_EQ(fs.FileBytes("T.CDX"), bytes) << "step " << step;
          }
        }
        continue;
      }
      if (op <= 6) now.Name = randomName();
      if (op == 8) now.Flag = !now.Flag;
      if (op == 9) now.Num = -now.Num + 0.5;
      records[r - 1] = now;
      Rewrite(index.get(), r, now.Name, now.Num, now.Flag);
      for (std::size_t d = 0; d < defs.size(); ++d) claim(d, old, &now, r);
    }
    if (step % 200 == 0) check(step);
  }
  check(step);
}

TEST_P(IndexBase, EqualKeysAcrossNodesLeaveNoStaleEntry) {
  OpenTable();
  MakeIndex();
  XBobjIndexTag& tag = *index->AddTag("NAME", "NAME", "", false, false);
  for (int i = 0; i < 300; ++i) Append(index.get(), "SAME");
  Rewrite(index.get(), 150, "OTHER", 0, true);
  Rewrite(index.get(), 151, "SAME", 1, false);  // the key kept
  auto scan = Scan(tag);
  ASSERT_EQ(scan.size(), 300u);
  EXPECT_EQ(scan.back(), std::make_pair(std::string("SAME"), 300u));
  EXPECT_EQ(scan.front(), std::make_pair(std::string("OTHER"), 150u));
  std::vector<std::uint32_t> same;
  for (std::uint32_t r = 1; r <= 300; ++r)
    if (r != 150) same.push_back(r);
  std::vector<std::uint32_t> rs = Records(scan);
  EXPECT_EQ(std::vector<std::uint32_t>(rs.begin() + 1, rs.end()), same);
  EXPECT_FALSE(tag.FindEntry("SAME", 150));
  EXPECT_TRUE(tag.FindEntry("SAME", 151));
}

TEST_P(IndexBase, EndFlagsFollowTheVisibleOrder) {
  OpenTable();
  MakeIndex();
  XBobjIndexTag& up = *index->AddTag("UP", "NAME", "", false, false);
  XBobjIndexTag& down = *index->AddTag("DOWN", "NAME", "", false, true);
  for (const char* n : {"B", "A", "C"}) Append(index.get(), n);
  for (auto* tag : {&up, &down}) {
    std::string first = tag == &up ? "A" : "C", last = tag == &up ? "C" : "A";
    tag->TagMove(-3);
    EXPECT_EQ(tag->CurrentStored(), first);
    EXPECT_FALSE(tag->Bof() || tag->Eof());
    tag->TagMove(-2);
    EXPECT_TRUE(tag->Bof());
    tag->TagMove(-4);
    EXPECT_EQ(tag->CurrentStored(), last);
    tag->TagMove(-1);
    EXPECT_TRUE(tag->Eof());
    EXPECT_FALSE(tag->Bof());
    tag->TagMove(-2);  // back from the end: the last key
    EXPECT_EQ(tag->CurrentStored(), last);
    tag->TagMove(-5);
    EXPECT_EQ(tag->CurrentStored(), last);
  }
  XBobjIndexTag& empty = *index->AddTag("NONE", "NAME", "NAME = 'Z'", false, false);
  empty.TagMove(-3);
  EXPECT_TRUE(empty.Eof() && empty.Bof());
}

TEST_P(IndexBase, RangesHoldMovementWithinTheirEnds) {
  OpenTable();
  MakeIndex();
  XBobjIndexTag& up = *index->AddTag("UP", "NAME", "", false, false);
  XBobjIndexTag& down = *index->AddTag("DOWN", "NAME", "", false, true);
  for (const char* n : {"D", "BA", "A", "C", "BB", "CA", "B"}) Append(index.get(), n);
  struct Case {
    const char* what;
    XBobjIndexTag* tag;
    const char *low, *high;
    bool lowInclusive, partial;
    std::vector<std::string> keys;
  } cases[] = {
      {"B..C", &up, "B", "C", true, false, {"B", "BA", "BB", "C"}},
      {"exclusive low", &up, "B", "C", false, false, {"BA", "BB", "C"}},
      {"partial high", &up, "B", "C", true, true, {"B", "BA", "BB", "C", "CA"}},
      {"open low", &up, "", "B", true, false, {"A", "B"}},
      {"descending", &down, "C", "B", true, false, {"C", "BB", "BA", "B"}},
      {"empty", &up, "X", "Z", true, false, {}},
  };
  for (auto& c : cases) {
    TxbVariant low, high;
    low.SetString(c.low);
    high.SetString(c.high);
    c.tag->TagSetRange(&low, c.lowInclusive, c.partial, true, &high);
    EXPECT_EQ(Names(*c.tag), c.keys) << c.what;
    EXPECT_EQ(Names(*c.tag, true), c.keys) << c.what << " backward";
    c.tag->ClearRange();
  }
  EXPECT_EQ(Names(up).size(), 7u);
}

TEST_P(IndexBase, SeekLandsOnTheFirstMatch) {
  OpenTable();
  MakeIndex();
  XBobjIndexTag& tag = *index->AddTag("NAME", "NAME", "", false, false);
  for (const char* n : {"BOB", "ANN", "BOB", "CID"}) Append(index.get(), n);
  TxbVariant v;
  v.SetString("BOB");
  EXPECT_TRUE(tag.TagSeek(v));
  EXPECT_EQ(tag.CurrentKey().RecNo, 1u);
  v.SetString("BO");  // a shorter key matches a longer one
  EXPECT_TRUE(tag.TagSeek(v));
  EXPECT_EQ(tag.CurrentKey().RecNo, 1u);
  v.SetString("BOZ");
  EXPECT_FALSE(tag.TagSeek(v));
  EXPECT_EQ(tag.CurrentStored(), "CID");
  v.SetString("ZED");
  EXPECT_FALSE(tag.TagSeek(v));
  EXPECT_TRUE(tag.Eof());
}

INSTANTIATE_TEST_SUITE_P(Formats, IndexBase, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Cdx" : "Tiny"; });

// A lock another holder keeps: the retries run out and the message names the file.
TEST_F(IndexTable, ALockThatStaysRefusedNamesTheFile) {
  OpenTable("T.DBF", true);
  TMemIndex a(table.get()), b(table.get());
  a.Open("L", true, true);
  b.Open("L", false, true);
  TxbLockRetryPolicy saved = LockRetryPolicy();
  int sleeps = 0;
  LockRetryPolicy() = {3, 1, [&](int) { ++sleeps; }};
  a.LockIndex();
  EXPECT_EQ(RaisedBy([&] { b.LockIndex(); }), "Error 33 in Lock of " + b.FileName());
  EXPECT_EQ(sleeps, 3);
  a.UnlockIndex();
  b.LockIndex();  // free again
  b.UnlockIndex();
  LockRetryPolicy() = saved;
}

}  // namespace
