// Every index format side by side: the same model of appends and rewrites, empty tables
// and re-indexing (index_faults_test.cpp adds failures and shared files); then the
// fixed-item formats' own layouts.
#include "index_fixture.h"
#include "index_formats.h"
#include "raised.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>

#include "xbase/errors.h"
#include "xbase/xbmdx.h"
#include "xbase/xbndx.h"
#include "xbase/xbntx.h"

namespace {

using namespace xbtest;
using TEntry = std::pair<std::string, std::uint32_t>;

using TFormat = TIndexFormat;

struct TTagDef {
  const char* Name;
  const char* Key;
  const char* For;
  bool Unique, Descending;
};

class IndexFormats : public IndexTable, public ::testing::WithParamInterface<TFormat> {
 protected:
  std::vector<std::unique_ptr<XBobjIndexFile>> files;
  std::map<std::string, XBobjIndexTag*> tags;

  // The tags the format can hold, each in its own file when the format holds one.
  std::vector<TTagDef> Supported(const std::vector<TTagDef>& all) const {
    std::vector<TTagDef> out;
    for (const TTagDef& d : all)
      if ((GetParam().HasFor || !*d.For) && (GetParam().HasDescending || !d.Descending)) out.push_back(d);
    return out;
  }
  void MakeTags(const std::vector<TTagDef>& defs, bool shared = false) {
    const TFormat& f = GetParam();
    for (const TTagDef& d : defs) {
      if (!f.MultiTag || files.empty()) files.push_back(f.Open(table.get(), f.MultiTag ? "T" : d.Name, true, shared));
      tags[d.Name] = files.back()->AddTag(d.Name, d.Key, d.For, d.Unique, d.Descending);
    }
  }
  void UpdateAll(std::uint32_t r, bool append) {
    for (auto& f : files) f->KeyUpdateAll(r, append);
  }
  std::uint32_t Add(const std::string& name, double num, bool flag) {
    table->BlankRecord();
    Fill(name, num, flag);
    table->Append();
    auto r = static_cast<std::uint32_t>(table->RecNo());
    UpdateAll(r, true);
    return r;
  }
  void Change(std::uint32_t r, const std::string& name, double num, bool flag) {
    table->Go(static_cast<std::int32_t>(r));
    Fill(name, num, flag);
    UpdateAll(r, false);
    table->PutRec(static_cast<std::int32_t>(r));
  }
  std::string FileOf(const char* tag) const {
    return std::string(GetParam().MultiTag ? "T" : tag) + GetParam().Extension;
  }
};

struct TRecord {
  std::string Name;
  double Num;
  bool Flag;
};

// The model: what each tag must hold after every step, from the records alone (a unique tag
// keeps the record that claimed a key first, until that record lets go of it).
TEST_P(IndexFormats, ScansFollowTheModelThroughAppendsAndRewrites) {
  OpenTable();
  std::vector<TTagDef> defs = Supported({{"NAME", "NAME", "", false, false},
                                         {"UNAME", "NAME", "", true, false},
                                         {"NUM", "NUM", "", false, false},
                                         {"DNUM", "NUM", "", false, true},
                                         {"FNAME", "NAME", "FLAG", false, true}});
  MakeTags(defs);
  std::vector<TRecord> records;
  std::vector<std::map<std::string, std::uint32_t>> owners(defs.size());
  std::mt19937 rng(26);
  auto randomName = [&] {
    std::string s;
    for (int n = 1 + static_cast<int>(rng() % 4); n > 0; --n) s += "ABCD"[rng() % 4];
    return s;
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
      return def.Descending ? c > 0 : c < 0;
    });
    return rs;
  };
  // Equal keys may stand in any record order: compare key runs as sets.
  auto keyOf = [&](std::size_t d, std::uint32_t r) {
    const TRecord& x = records[r - 1];
    return std::string(defs[d].Key) == "NUM" ? std::to_string(x.Num) : x.Name;
  };
  auto runs = [&](std::size_t d, const std::vector<std::uint32_t>& rs) {
    std::vector<std::pair<std::string, std::set<std::uint32_t>>> out;
    for (std::uint32_t r : rs) {
      if (out.empty() || out.back().first != keyOf(d, r)) out.push_back({keyOf(d, r), {}});
      out.back().second.insert(r);
    }
    return out;
  };
  auto check = [&](int step) {
    for (std::size_t d = 0; d < defs.size(); ++d) {
      XBobjIndexTag& tag = *tags[defs[d].Name];
      auto want = runs(d, expected(d));
      ASSERT_EQ(runs(d, Records(Scan(tag))), want) << defs[d].Name << " forward, step " << step;
      ASSERT_EQ(runs(d, Records(Scan(tag, true))), want) << defs[d].Name << " backward, step " << step;
      EXPECT_EQ(tag.CheckTree(), static_cast<std::int64_t>(expected(d).size()))
          << defs[d].Name << " step " << step;
    }
  };
  int step = 0;
  while (records.size() < 1500) {
    ++step;
    int op = records.size() < 10 ? 0 : static_cast<int>(rng() % 10);
    if (op <= 4) {
      TRecord rec{randomName(), static_cast<double>(static_cast<int>(rng() % 2001) - 1000) / 8, rng() % 4 != 0};
      records.push_back(rec);
      std::uint32_t r = Add(rec.Name, rec.Num, rec.Flag);
      ASSERT_EQ(r, records.size());
      for (std::size_t d = 0; d < defs.size(); ++d)
        if (defs[d].Unique && (!*defs[d].For || rec.Flag) && !owners[d].count(rec.Name)) owners[d][rec.Name] = r;
    } else {
      auto r = static_cast<std::uint32_t>(1 + rng() % records.size());
      TRecord old = records[r - 1], now = old;
      if (op <= 6) now.Name = randomName();
      if (op == 8) now.Flag = !now.Flag;
      if (op == 9) now.Num = -now.Num + 0.5;
      records[r - 1] = now;
      Change(r, now.Name, now.Num, now.Flag);
      for (std::size_t d = 0; d < defs.size(); ++d) {
        if (!defs[d].Unique) continue;
        auto& own = owners[d];
        bool newFor = !*defs[d].For || now.Flag;
        if (newFor && !own.count(now.Name)) own[now.Name] = r;
        if (!(newFor && now.Name == old.Name)) {
          auto it = own.find(old.Name);
          if (it != own.end() && it->second == r) own.erase(it);
        }
      }
    }
    if (step % 250 == 0) check(step);
  }
  check(step);
  // Seeks land on the first key at or after the value.
  XBobjIndexTag& name = *tags["NAME"];
  TxbVariant v;
  v.SetString("B");
  EXPECT_TRUE(name.TagSeek(v));
  EXPECT_EQ(name.CurrentStored().substr(0, 1), "B");
  name.TagMove(-2);
  EXPECT_EQ(name.CurrentStored().substr(0, 1), "A");
  // A fresh file built from the same records holds the same order.
  std::vector<TEntry> before = Scan(name);
  auto fresh = GetParam().Open(table.get(), "FRESH", true, false);
  XBobjIndexTag& again = *fresh->AddTag("FRESH", "NAME", "", false, false);
  auto keys = [](const std::vector<TEntry>& s) {
    std::vector<std::string> k;
    for (auto& e : s) k.push_back(e.first);
    return k;
  };
  EXPECT_EQ(keys(Scan(again)), keys(before));
}

TEST_P(IndexFormats, AnEmptyTableGetsAnEmptyRootAndReindexRebuilds) {
  OpenTable();
  MakeTags({{"NAME", "NAME", "", false, false}});
  XBobjIndexTag& tag = *tags["NAME"];
  tag.TagMove(-3);
  EXPECT_TRUE(tag.Eof() && tag.Bof());
  for (int i = 0; i < 500; ++i) Add(std::string(1, static_cast<char>('A' + i % 26)) + std::to_string(i), i, true);
  std::vector<TEntry> built = Scan(tag);
  ASSERT_EQ(built.size(), 500u);
  files[0]->Reindex();
  EXPECT_EQ(Scan(*files[0]->TagByName("NAME")), built);
  // Re-opened from the file: the same scan.
  files.clear();
  auto reopened = GetParam().Open(table.get(), FileOf("NAME"), false, false);
  ASSERT_FALSE(reopened->Damaged());
  EXPECT_EQ(Scan(*reopened->TagByName("NAME")), built);
}

// A table that keeps the progress reports it is given.
class TReportingTable : public XBO_dBaseFld {
 public:
  using XBO_dBaseFld::XBO_dBaseFld;
  std::vector<std::array<std::int32_t, 3>> Reports;
  void SetStatusTargets(std::int32_t a, std::int32_t b, std::int32_t c) override {
    XBO_dBaseFld::SetStatusTargets(a, b, c);
    Reports.push_back({a, b, c});
  }
};

// A build reports its start with the record count, then every key it places.
TEST_P(IndexFormats, ABuildReportsItsProgress) {
  OpenTable();
  for (int i = 0; i < 300; ++i) Add("N" + std::to_string(i * 7919 % 300), i, i % 3 != 0);
  table.reset();
  TReportingTable t("T.DBF", true, false);
  auto file = GetParam().Open(&t, "P", true, false);
  const std::size_t keys = GetParam().HasFor ? 200 : 300;
  auto check = [&] {
    ASSERT_EQ(t.Reports.size(), keys + 1);
    EXPECT_EQ(t.Reports[0], (std::array<std::int32_t, 3>{-1, 2, 300}));
    for (std::size_t i = 1; i <= keys; ++i)
      EXPECT_EQ(t.Reports[i], (std::array<std::int32_t, 3>{2, static_cast<std::int32_t>(i), 0})) << i;
  };
  file->AddTag("P", "NAME", GetParam().HasFor ? "FLAG" : "", false, false);
  check();
  t.Reports.clear();
  file->Reindex();
  check();
}

// The nodes of a tag level by level, each level in key order.
std::vector<std::vector<XBobjIndexKey>> TreeLevels(XBobjIndexTag& tag) {
  std::vector<std::vector<XBobjIndexKey>> levels;
  std::vector<std::int64_t> pages{tag.RootPage()};
  while (!pages.empty()) {
    levels.emplace_back();
    std::vector<std::int64_t> below;
    for (std::int64_t page : pages) {
      XBobjIndexKey node;
      node.Page = page;
      if (!tag.ReadNode(node)) return {};
      if (!node.Leaf)
        for (const TxbIndexEntry& e : node.Entries) below.push_back(e.Child);
      levels.back().push_back(std::move(node));
    }
    pages.swap(below);
  }
  return levels;
}

std::vector<std::int64_t> TreePages(XBobjIndexTag& tag) {
  std::vector<std::int64_t> pages;
  for (const auto& level : TreeLevels(tag))
    for (const XBobjIndexKey& node : level) pages.push_back(node.Page);
  return pages;
}

// A writer keeping the file to itself uses the blocks a split left again: the file grows
// with the tree, not with every split.
TEST_P(IndexFormats, TheFileGrowsWithTheTreeNotWithEverySplit) {
  OpenTable();
  MakeTags({{"NAME", "NAME", "", false, false}});
  std::mt19937 rng(58);
  for (int i = 0; i < 3000; ++i) {
    std::string name;
    for (int n = 0; n < 12; ++n) name += static_cast<char>('A' + rng() % 26);
    Add(i % 2 ? name : "Z" + std::to_string(100000 + i), i, true);  // half of them in order
  }
  const std::map<std::string, int> blockSize = {{"Cdx", 512}, {"Ndx", 512}, {"Mdx", 1024}, {"Ntx", 1024}};
  const auto levels = TreeLevels(*tags["NAME"]);
  std::int64_t nodes = 0;
  for (const auto& level : levels) nodes += static_cast<std::int64_t>(level.size());
  ASSERT_GT(nodes, 50);
  const std::int64_t blocks = files[0]->File()->FileSize() / blockSize.at(GetParam().Name);
  EXPECT_LE(blocks, nodes + 8) << "nodes " << nodes;  // the headers take a few
  // Where nodes link their neighbours (other programs walk a level by the links), the links
  // follow the moved nodes.
  const bool linked = GetParam().Name == std::string("Cdx");
  for (const auto& level : levels) {
    for (std::size_t i = 0; linked && i < level.size(); ++i) {
      EXPECT_EQ(level[i].Left, i == 0 ? -1 : level[i - 1].Page) << "node " << level[i].Page;
      EXPECT_EQ(level[i].Right, i + 1 == level.size() ? -1 : level[i + 1].Page) << "node " << level[i].Page;
    }
  }
}

// A damaged file whose root names itself as its last child: every walk, from either end, and
// a seek that goes down that child stop at the first page met twice, no key returned twice.
TEST_P(IndexFormats, ATreeThatCyclesIsDamagedAtTheFirstRevisit) {
  OpenTable();
  MakeTags({{"NAME", "NAME", "", false, false}});
  for (int i = 0; i < 1000; ++i) Add("K" + std::to_string(10000 + i), i, true);
  {
    XBobjIndexTag& tag = *tags["NAME"];
    XBobjIndexKey root;
    root.Page = tag.RootPage();
    ASSERT_TRUE(tag.ReadNode(root));
    ASSERT_FALSE(root.Leaf);
    root.Entries.back().Child = root.Page;
    ASSERT_TRUE(tag.WriteNode(root));
  }
  files.clear();
  auto file = GetParam().Open(table.get(), FileOf("NAME"), false, false);
  XBobjIndexTag& tag = *file->TagByName("NAME");
  const std::string damaged = EngineErrorMessage(xbeIndexDamaged, xbsNone, file->FileName().c_str());
  for (bool backward : {false, true}) {
    std::set<TEntry> seen;
    std::size_t returned = 0;
    std::string raised = RaisedBy([&] {
      tag.TagMove(backward ? -4 : -3);
      while (!tag.Eof() && !tag.Bof()) {
        seen.emplace(tag.CurrentStored(), tag.CurrentKey().RecNo);
        ++returned;
        tag.TagMove(backward ? -2 : -1);
      }
    });
    EXPECT_EQ(raised, damaged) << (backward ? "backward" : "forward");
    EXPECT_EQ(seen.size(), returned) << (backward ? "backward" : "forward");
    EXPECT_LT(returned, 1000u);
  }
  TxbVariant last;
  last.SetString("K10999");
  EXPECT_EQ(RaisedBy([&] { tag.TagSeek(last); }), damaged);
}

// The tree check passes what the engine wrote through appends and rewrites (a rewrite takes
// keys out, and a parent's key may then stand above its child's last), and finds each kind
// of damage as the damaged-index error.
TEST_P(IndexFormats, TheTreeCheckFindsEachKindOfDamage) {
  OpenTable();
  MakeTags({{"NAME", "NAME", "", false, false}});
  for (int i = 0; i < 1000; ++i) Add("K" + std::to_string(10000 + i), i, true);
  for (std::uint32_t r = 1; r <= 1000; r += 7) Change(r, "M" + std::to_string(r), r, true);
  EXPECT_EQ(tags["NAME"]->CheckTree(), 1000);
  files.clear();
  const std::string intact = fs.FileBytes(FileOf("NAME"));
  struct TNodes {
    XBobjIndexTag& Tag;
    XBobjIndexKey Read(std::int64_t page) {
      XBobjIndexKey node;
      node.Page = page;
      EXPECT_TRUE(Tag.ReadNode(node)) << page;
      return node;
    }
    XBobjIndexKey Leaf(int slot) {  // the slot-th child of the root, then first children down to a leaf
      XBobjIndexKey node = Read(Read(Tag.RootPage()).Entries.at(static_cast<std::size_t>(slot)).Child);
      while (!node.Leaf) node = Read(node.Entries.front().Child);
      return node;
    }
    void Write(XBobjIndexKey node) { EXPECT_TRUE(Tag.WriteNode(node)) << node.Page; }
  };
  struct TCase {
    const char* What;
    std::function<void(TNodes&)> Damage;
    bool LinkedOnly;
  } cases[] = {
      {"a child reached twice",
       [](TNodes& n) {
         XBobjIndexKey root = n.Read(n.Tag.RootPage());
         root.Entries.at(1).Child = root.Entries.at(0).Child;
         n.Write(root);
       },
       false},
      {"two keys of a leaf swapped",
       [](TNodes& n) {
         XBobjIndexKey leaf = n.Leaf(0);
         std::swap(leaf.Entries.at(0), leaf.Entries.at(1));
         n.Write(leaf);
       },
       false},
      {"a leaf key beyond its parent's",
       [](TNodes& n) {
         XBobjIndexKey leaf = n.Leaf(0);
         leaf.Entries.back().Key = "Z";
         n.Write(leaf);
       },
       false},
      {"a neighbour linked one way only",
       [](TNodes& n) {
         XBobjIndexKey leaf = n.Leaf(1);
         leaf.Left = -1;
         n.Write(leaf);
       },
       true},
  };
  for (const TCase& c : cases) {
    if (c.LinkedOnly && GetParam().Name != std::string("Cdx")) continue;
    fs.SetFile(FileOf("NAME"), intact);
    auto file = GetParam().Open(table.get(), FileOf("NAME"), false, false);
    XBobjIndexTag& tag = *file->TagByName("NAME");
    EXPECT_EQ(tag.CheckTree(), 1000) << c.What;
    TNodes nodes{tag};
    c.Damage(nodes);
    tag.ClearCache();
    EXPECT_EQ(RaisedBy([&] { tag.CheckTree(); }), EngineErrorMessage(xbeIndexDamaged, xbsNone, file->FileName().c_str()))
        << c.What;
  }
}

// Another program may spell a record's key otherwise than the key expression does: a
// rewrite replaces the record's entry wherever that spelling put it, near or far; with no
// entry for the record at all the tag is damaged and nothing is added.
TEST_P(IndexFormats, ARewriteReplacesItsRecordsEntryHoweverItIsSpelled) {
  OpenTable();
  MakeTags({{"NAME", "NAME", "", false, false}});
  for (int i = 0; i < 300; ++i) Add("N" + std::to_string(10000 + i), i, true);
  XBobjIndexTag& tag = *tags["NAME"];
  ASSERT_TRUE(tag.DeleteKey("N10006", 7));
  ASSERT_TRUE(tag.InsertKey("n10006", 7));  // far from where "N10006" stands
  ASSERT_TRUE(tag.DeleteKey("N10008", 9));
  ASSERT_TRUE(tag.InsertKey("N10008X", 9));  // beside it
  ASSERT_TRUE(tag.DeleteKey("N10010", 11));  // none
  Change(7, "A7", 7, true);
  Change(9, "B9", 9, true);
  auto holding = [&](std::uint32_t r) {
    std::vector<std::string> keys;
    for (const TEntry& e : Scan(tag))
      if (e.second == r) keys.push_back(e.first);
    return keys;
  };
  EXPECT_EQ(holding(7), std::vector<std::string>{"A7"});
  EXPECT_EQ(holding(9), std::vector<std::string>{"B9"});
  EXPECT_EQ(RaisedBy([&] { Change(11, "C11", 11, true); }),
            EngineErrorMessage(xbeIndexDamaged, xbsNone, files[0]->FileName().c_str()));
  EXPECT_TRUE(holding(11).empty());
  EXPECT_EQ(Scan(tag).size(), 299u);
}

// An enciphered table's index is enciphered with the table's key: no key shows in the
// file's bytes, and the index reads back whole through the key.
TEST_P(IndexFormats, AnEncipheredTablesIndexHoldsNoKeyInPlainText) {
  CreateTable("T.DBF", 0x03, {{"NAME", 'C', 12}, {"NUM", 'N', 12, 3}, {"DAY", 'D', 8}, {"FLAG", 'L', 1}, {"NOTE", 'C', 5}},
              "Ключ");
  table = std::make_unique<XBO_dBaseFld>("T.DBF", true, false, "Ключ");
  MakeTags({{"NAME", "NAME", "", false, false}});
  for (int i = 0; i < 300; ++i) Add("SECRET" + std::to_string(1000 + i), i, true);
  Change(5, "HIDDEN", 5, true);
  const std::vector<TEntry> scan = Scan(*tags["NAME"]);
  ASSERT_EQ(scan.size(), 300u);
  EXPECT_EQ(scan.front(), TEntry("HIDDEN", 5));
  files.clear();
  const std::string bytes = fs.FileBytes(FileOf("NAME"));
  EXPECT_EQ(bytes.find("SECRET"), std::string::npos);
  EXPECT_EQ(bytes.find("HIDDEN"), std::string::npos);
  auto reopened = GetParam().Open(table.get(), FileOf("NAME"), false, false);
  ASSERT_FALSE(reopened->Damaged());
  EXPECT_EQ(Scan(*reopened->TagByName("NAME")), scan);
  TxbVariant v;
  v.SetString("SECRET1200");
  EXPECT_TRUE(reopened->TagByName("NAME")->TagSeek(v));
  EXPECT_EQ(reopened->TagByName("NAME")->CurrentKey().RecNo, 201u);
}

// A tag keeps the nodes it read while nothing writes its file: a key another object on the
// same file adds is found at once, and a rewrite through the tag itself is walked.
TEST_P(IndexFormats, KeptNodesFollowEveryWrite) {
  OpenTable();
  MakeTags({{"NAME", "NAME", "", false, false}});
  for (int i = 0; i < 300; ++i) Add("N" + std::to_string(10000 + i), i, true);
  XBobjIndexTag& tag = *tags["NAME"];
  ASSERT_EQ(Scan(tag).size(), 300u);
  TxbVariant v;
  v.SetString("N10150");
  ASSERT_TRUE(tag.TagSeek(v));
  auto other = GetParam().Open(table.get(), FileOf("NAME"), false, false);
  table->BlankRecord();
  Fill("N10150A", 1, true);
  table->Append();
  other->KeyUpdateAll(static_cast<std::uint32_t>(table->RecNo()), true);
  v.SetString("N10150A");
  EXPECT_TRUE(tag.TagSeek(v));
  EXPECT_EQ(tag.CurrentKey().RecNo, 301u);
  Change(2, "A2", 2, true);
  EXPECT_EQ(Scan(tag).front(), TEntry("A2", 2));
  EXPECT_EQ(Scan(tag).size(), 301u);
}

// Seeks through the nodes a tag keeps (their keys side by side, their children linked) land
// where a walk of the whole tag says: on the first key at or after the value, for keys of
// every length, their prefixes and values between them, the first time and again.
TEST_P(IndexFormats, KeptNodesSeekWhereTheWalkSays) {
  OpenTable();
  MakeTags({{"NAME", "NAME", "", false, false}});
  std::vector<std::string> names;
  for (int i = 0; i < 700; ++i) {
    std::string name;
    for (int k = 0; k <= i % 9; ++k) name += static_cast<char>('A' + (i * 7 + k * 3) % 5);
    names.push_back(name);
    Add(name, i, true);
  }
  XBobjIndexTag& tag = *tags["NAME"];
  const auto all = Scan(tag);
  ASSERT_EQ(all.size(), names.size());
  std::vector<std::string> probes = {"", "0", "ZZZZZZZZZZZZ", "A", "E"};
  for (const std::string& n : names) {
    probes.push_back(n);
    probes.push_back(n.substr(0, 1 + n.size() / 2));
    probes.push_back(n + "A");
    probes.push_back(n + "Z");
  }
  TxbVariant v;
  std::string stored;
  for (int round = 0; round < 2; ++round) {
    for (const std::string& probe : probes) {
      v.SetString(probe);
      tag.KeyToStored(v, stored, true);
      std::size_t at = 0;
      while (at < all.size() && tag.CompareKeys(all[at].first, stored) < 0) ++at;
      const bool match = at < all.size() && tag.CompareKeys(all[at].first, stored, true) == 0;
      EXPECT_EQ(tag.TagSeek(v), match) << probe;
      if (at < all.size()) {
        ASSERT_FALSE(tag.Eof()) << probe;
        EXPECT_EQ(tag.CurrentKey().RecNo, all[at].second) << probe;
      } else {
        EXPECT_TRUE(tag.Eof()) << probe;
      }
    }
  }
}

// A kept leaf holds its keys side by side and gives up its entries until it is used: walks
// either way and steps from seeks read every key, byte for byte (numbers whose bytes end in
// zeros too), with its record, as a file opened shared (nothing kept) reads them.
TEST_P(IndexFormats, KeptLeavesReadEveryKeyAsTheFileHoldsIt) {
  OpenTable();
  MakeTags({{"NAME", "NAME", "", false, false}, {"NUM", "NUM", "", false, false}});
  for (int i = 0; i < 600; ++i) Add("K" + std::to_string((i * 37) % 600) + std::string(i % 4, 'X'), (i * 7) % 90, true);
  files.clear();
  tags.clear();
  for (const char* name : {"NAME", "NUM"}) {
    SCOPED_TRACE(name);
    std::vector<TEntry> held;
    {
      auto shared = GetParam().Open(table.get(), FileOf(name), false, true);
      held = Scan(*shared->TagByName(name));
    }
    ASSERT_EQ(held.size(), 600u);
    auto file = GetParam().Open(table.get(), FileOf(name), false, false);
    XBobjIndexTag& tag = *file->TagByName(name);
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(Scan(tag), held);
      EXPECT_EQ(Scan(tag, true), held);
      TxbVariant v;
      for (std::size_t at = 0; at < held.size(); at += 37) {
        v.SetBinary(held[at].first.data(), held[at].first.size());
        ASSERT_TRUE(tag.TagSeek(v));
        std::size_t first = at;
        while (first > 0 && held[first - 1].first == held[at].first) --first;
        ASSERT_EQ(TEntry(tag.CurrentStored(), tag.CurrentKey().RecNo), held[first]);
        for (std::size_t k = first + 1; k < std::min(first + 30, held.size()); ++k) {
          tag.TagMove(-1);
          ASSERT_EQ(TEntry(tag.CurrentStored(), tag.CurrentKey().RecNo), held[k]);
        }
        for (std::size_t k = std::min(first + 29, held.size() - 1); k-- > (first > 30 ? first - 30 : 0);) {
          tag.TagMove(-2);
          ASSERT_EQ(TEntry(tag.CurrentStored(), tag.CurrentKey().RecNo), held[k]);
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, IndexFormats, ::testing::ValuesIn(kIndexFormats),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- The single-tag index ----

class Ndx : public IndexTable {};

TEST_F(Ndx, GeometryFollowsTheKey) {
  OpenTable();
  struct Case {
    const char* key;
    int keyLength, item, perBlock, type;
  } cases[] = {
      {"NUM", 8, 20, 25, 1}, {"DAY", 8, 20, 25, 1}, {"SUBSTR(NAME,1,10)", 10, 20, 25, 0}, {"SUBSTR(NAME,1,1)", 1, 12, 42, 0},
  };
  for (const Case& c : cases) {
    XBobjNDXFile index(table.get(), "G", true, true, false);
    index.AddTag("G", c.key, "", false, false);
    std::string h = fs.FileBytes("G.NDX");
    ASSERT_EQ(h.size(), 1024u) << c.key;  // the header and an empty root
    EXPECT_EQ(GetLE16(h.data() + 12), c.keyLength) << c.key;
    EXPECT_EQ(GetLE16(h.data() + 14), c.perBlock) << c.key;
    EXPECT_EQ(GetLE16(h.data() + 16), c.type) << c.key;
    EXPECT_EQ(h[9], c.type == 0 ? 'C' : 'N') << c.key;  // the type letter some readers need
    EXPECT_EQ(GetLE16(h.data() + 18), c.item) << c.key;
    EXPECT_EQ(GetLE32(h.data()), 1u) << c.key;
    EXPECT_EQ(GetLE32(h.data() + 4), 2u) << c.key;
    EXPECT_EQ(h.substr(24, std::string(c.key).size() + 1), std::string(c.key) + '\0');
  }
}

TEST_F(Ndx, NumbersAndDatesSortAsNumbersWithEmptyDatesLast) {
  OpenTable();
  XBobjNDXFile num(table.get(), "N", true, true, false), day(table.get(), "D", true, true, false);
  num.AddTag("N", "NUM", "", false, false);
  day.AddTag("D", "DAY", "", false, false);
  const double values[] = {5, -0.001, 0, -300, 1e-9, 12.5, -12.5};
  const std::int32_t days[] = {2451545, 0, 2440588, 2460000, 0, 1721426, 2451546};
  for (std::size_t i = 0; i < 7; ++i) {
    table->BlankRecord();
    table->PutNumberByName("NUM", values[i]);
    if (days[i]) table->PutDateByName("DAY", days[i]);
    table->Append();
    num.KeyUpdateAll(static_cast<std::uint32_t>(table->RecNo()), true);
    day.KeyUpdateAll(static_cast<std::uint32_t>(table->RecNo()), true);
  }
  EXPECT_EQ(Records(Scan(*num.Tag())), (std::vector<std::uint32_t>{4, 7, 2, 3, 5, 1, 6}));
  auto d = Records(Scan(*day.Tag()));
  EXPECT_EQ(std::vector<std::uint32_t>(d.begin(), d.begin() + 5), (std::vector<std::uint32_t>{6, 3, 1, 7, 4}));
  EXPECT_EQ(std::set<std::uint32_t>(d.begin() + 5, d.end()), (std::set<std::uint32_t>{2, 5}));
  // On disk: little-endian doubles, an empty date as 1e100.
  std::string block = fs.FileBytes("D.NDX").substr(512);
  double last;
  std::memcpy(&last, block.data() + 4 + 6 * 20 + 8, 8);
  EXPECT_EQ(last, 1e100);
  TxbVariant v;
  v.SetFloat(-12.5);
  EXPECT_TRUE(num.Tag()->TagSeek(v));
  EXPECT_EQ(num.Tag()->CurrentKey().RecNo, 7u);
}

TEST_F(Ndx, RefusesWhatTheFormatCannotHold) {
  OpenTable();
  XBobjNDXFile index(table.get(), "R", true, true, false);
  EXPECT_NE(RaisedBy([&] { index.AddTag("R", "NAME", "FLAG", false, false); }), "");
  EXPECT_NE(RaisedBy([&] { index.AddTag("R", "NAME", "", false, true); }), "");
  EXPECT_EQ(fs.FileBytes("R.NDX"), "");  // nothing written
}

TEST_F(Ndx, EmptyLeavesTheHeaderAndAnEmptyRoot) {
  OpenTable();
  XBobjNDXFile index(table.get(), "E", true, true, false);
  index.AddTag("E", "NAME", "", false, false);
  for (int i = 0; i < 300; ++i) Append(&index, "K" + std::to_string(i));
  EXPECT_GT(fs.FileBytes("E.NDX").size(), 4096u);
  index.Empty();
  std::string bytes = fs.FileBytes("E.NDX");
  ASSERT_EQ(bytes.size(), 1024u);
  EXPECT_EQ(GetLE32(bytes.data()), 1u);
  EXPECT_EQ(GetLE32(bytes.data() + 4), 2u);
  EXPECT_EQ(bytes.substr(512), std::string(512, '\0'));
  EXPECT_TRUE(Scan(*index.Tag()).empty());
  index.Reindex();
  EXPECT_EQ(Scan(*index.Tag()).size(), 300u);
}

TEST_F(Ndx, ADamagedHeaderOpensDamaged) {
  OpenTable();
  {
    XBobjNDXFile index(table.get(), "H", true, true, false);
    index.AddTag("H", "NAME", "", false, false);
    for (int i = 0; i < 60; ++i) Append(&index, "K" + std::to_string(i));
  }
  const std::string good = fs.FileBytes("H.NDX");
  struct Case {
    const char* what;
    int offset, size;
    std::uint32_t value;
  } cases[] = {
      {"key longer than the item", 12, 2, 13},  {"too many keys a block", 14, 2, 26}, {"key type", 16, 2, 2},
      {"root beyond the file", 0, 4, 99},       {"root zero", 0, 4, 0},              {"next free beyond", 4, 4, 99},
      {"no expression", 24, 1, 0},
  };
  for (const Case& c : cases) {
    std::string bad = good;
    for (int i = 0; i < c.size; ++i) bad[static_cast<std::size_t>(c.offset + i)] = static_cast<char>(c.value >> (8 * i));
    fs.SetFile("H.NDX", bad);
    XBobjNDXFile index(table.get(), "H", false, true, false);
    EXPECT_TRUE(index.Damaged()) << c.what;
  }
  std::string huge = good;  // keys a block times the item size beyond any block
  PutLE16(huge.data() + 14, 65535);
  PutLE16(huge.data() + 18, 65535);
  fs.SetFile("H.NDX", huge);
  EXPECT_TRUE(XBobjNDXFile(table.get(), "H", false, true, false).Damaged());
  // TDbf's bytes 8-11 are ignored; a block holding more keys than allowed is damaged.
  std::string odd = good;
  odd[8] = 1;
  fs.SetFile("H.NDX", odd);
  {
    XBobjNDXFile index(table.get(), "H", false, true, false);
    EXPECT_FALSE(index.Damaged());
    EXPECT_EQ(Scan(*index.Tag()).size(), 60u);
  }
  std::string crowded = good;
  PutLE16(crowded.data() + 1024, 30);
  fs.SetFile("H.NDX", crowded);
  XBobjNDXFile index(table.get(), "H", false, true, false);
  EXPECT_EQ(RaisedBy([&] { Scan(*index.Tag()); }), EngineErrorMessage(xbeIndexDamaged, xbsNone, index.FileName().c_str()));
}

// ---- The multiple index file ----

class Mdx : public IndexTable {};

std::string Hex(const std::string& bytes) {
  std::string out;
  char b[4];
  for (char c : bytes) {
    std::snprintf(b, sizeof b, "%02X ", static_cast<unsigned>(static_cast<std::uint8_t>(c)));
    out += b;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

TEST(MdxNumbers, PackedAndComparisonForms) {
  struct Case {
    double value;
    const char *disk, *memory;
  } cases[] = {
      {123, "37 11 12 30 00 00 00 00 00 00 00 00", "02 37 12 30 00 00 00 00 00 00 00 00"},
      {-123, "37 91 12 30 00 00 00 00 00 00 00 00", "01 C8 ED CF FF FF FF FF FF FF FF FF"},
      {0, "34 01 00 00 00 00 00 00 00 00 00 00", "02 00 00 00 00 00 00 00 00 00 00 00"},
      {0.05, "33 09 50 00 00 00 00 00 00 00 00 00", "02 33 50 00 00 00 00 00 00 00 00 00"},
      {1e-60, "34 01 00 00 00 00 00 00 00 00 00 00", "02 00 00 00 00 00 00 00 00 00 00 00"},
  };
  for (const Case& c : cases) {
    std::string disk = MdxPackedNumber(c.value);
    EXPECT_EQ(Hex(disk), c.disk) << c.value;
    EXPECT_EQ(Hex(MdxCompareForm(disk)), c.memory) << c.value;
    EXPECT_EQ(MdxPackedFromCompare(MdxCompareForm(disk)), disk) << c.value;
  }
  EXPECT_EQ(RaisedBy([] { MdxPackedNumber(1e210); }), EngineErrorMessage(xbeNumberTooLarge, xbsNone, "1E210"));
  EXPECT_EQ(RaisedBy([] { MdxPackedNumber(-1e203); }).substr(0, 10),
            EngineErrorMessage(xbeNumberTooLarge, xbsNone, "").substr(0, 10));
}

TEST(MdxNumbers, ComparisonOrderIsNumericOrderAndDecodingIsExact) {
  std::mt19937_64 rng(131);
  std::vector<double> values = {0, 0.05, -0.05, 1e-40, -1e-40, 1e200, -1e200, 1, -1, 123, -123, 0.5, 9.99e202};
  for (int i = 0; i < 3000; ++i) {
    double mantissa = static_cast<double>(rng() % 1000000000000000ull) / 1e15;
    int exponent = static_cast<int>(rng() % 200) - 100;
    values.push_back((rng() % 2 ? 1 : -1) * mantissa * std::pow(10.0, exponent));
  }
  std::vector<std::pair<std::string, double>> forms;
  for (double v : values) {
    std::string disk = MdxPackedNumber(v);
    double back = MdxNumberOf(disk);
    if (std::fabs(v) < 1e-53) {
      EXPECT_EQ(back, 0) << v;
    } else {
      EXPECT_NEAR(back / v, 1.0, 1e-14) << v;
    }
    forms.emplace_back(MdxCompareForm(disk), v);
  }
  std::sort(forms.begin(), forms.end());
  for (std::size_t i = 1; i < forms.size(); ++i)
    ASSERT_LE(forms[i - 1].second, forms[i].second) << Hex(forms[i - 1].first) << " / " << Hex(forms[i].first);
}

TEST_F(Mdx, GeometryTagTableAndLimits) {
  OpenTable();
  {
    XBobjMDXFile index(table.get(), "T", true, true, false);
    EXPECT_TRUE(index.Production());
    // Added in reverse name order, kept in name order.
    index.AddTag("ZNAME", "SUBSTR(NAME,1,10)", "", false, false);
    index.AddTag("NUM", "NUM", "", false, true);
    index.AddTag("DAY", "DAY", "FLAG", true, false);
    auto& name = static_cast<XBobjMDXTag&>(*index.TagByName("ZNAME"));
    EXPECT_EQ(name.ItemLength(), 16);
    EXPECT_EQ(name.MaxKeys(), 62);
    EXPECT_EQ(static_cast<XBobjMDXTag&>(*index.TagByName("DAY")).MaxKeys(), 83);
    EXPECT_EQ(index.TagByIndex(0)->Name(), "DAY");
    EXPECT_EQ(index.TagByIndex(2)->Name(), "ZNAME");
    // Expressions too long for the tag header are refused before anything is written.
    std::string before = fs.FileBytes("T.MDX");
    std::string longKey = "NAME" + std::string(217, ' ');
    EXPECT_NE(RaisedBy([&] { index.AddTag("LONG", longKey, "", false, false); }), "(nothing raised)");
    EXPECT_NE(RaisedBy([&] { index.AddTag("LONGFOR", "NAME", "FLAG" + std::string(258, ' '), false, false); }),
              "(nothing raised)");
    EXPECT_EQ(fs.FileBytes("T.MDX"), before);
  }
  std::string h = fs.FileBytes("T.MDX");
  EXPECT_EQ(h[0], 2);
  EXPECT_EQ(h.substr(4, 2), std::string("T\0", 2));
  EXPECT_EQ(GetLE16(h.data() + 20), 2);
  EXPECT_EQ(GetLE16(h.data() + 22), 1024);
  EXPECT_EQ(h[25], 48);
  EXPECT_EQ(GetLE16(h.data() + 28), 3);
  const char* names[] = {"DAY", "NUM", "ZNAME"};
  EXPECT_EQ(h[512 + 17], 1);
  for (int i = 1; i <= 3; ++i) {
    const char* e = h.data() + 512 + 32 * i;
    EXPECT_STREQ(e + 4, names[i - 1]);
    EXPECT_EQ(e[17], i < 3 ? i + 1 : 0);
    EXPECT_EQ(e[19], 2);
    EXPECT_EQ(e[20], "DNC"[i - 1]);
  }
  // Re-opened: the same tags; a 48th does not fit.
  XBobjMDXFile index(table.get(), "T", false, true, false);
  ASSERT_FALSE(index.Damaged());
  ASSERT_EQ(index.TagCount(), 3);
  EXPECT_TRUE(index.TagByName("NUM")->Descending());
  EXPECT_TRUE(index.TagByName("DAY")->Unique());
  EXPECT_EQ(index.TagByName("DAY")->ForExpression(), "FLAG");
  for (int i = 3; i < 47; ++i) index.AddTag("T" + std::to_string(i), "NAME", "", false, false);
  EXPECT_EQ(index.TagCount(), 47);
  EXPECT_NE(RaisedBy([&] { index.AddTag("ONEMORE", "NAME", "", false, false); }), "(nothing raised)");
  EXPECT_EQ(index.TagCount(), 47);
  EXPECT_TRUE(index.DeleteTag("num"));
  EXPECT_FALSE(index.DeleteTag("NUM"));
  XBobjMDXFile again(table.get(), "T", false, true, false);
  EXPECT_EQ(again.TagCount(), 46);
  EXPECT_EQ(again.TagByName("NUM"), nullptr);
}

// Every block of a tag records the one allocated before it; a block a split left and the
// tag took again keeps its place, so the chain from the last allocation still passes every
// block of the tree once and ends at the first.
TEST_F(Mdx, SplitsKeepTheChainOfAllocatedBlocks) {
  OpenTable();
  XBobjMDXFile index(table.get(), "T", true, true, false);
  index.AddTag("NAME", "NAME", "", false, false);
  index.AddTag("NUM", "NUM", "", false, true);
  std::mt19937 rng(131);
  for (int i = 0; i < 2500; ++i) Append(&index, std::to_string(rng() % 100000), static_cast<double>(rng() % 5000));
  const std::string file = fs.FileBytes("T.MDX");
  auto le32 = [&](std::int64_t at) { return static_cast<std::int64_t>(GetLE32(reinterpret_cast<const std::uint8_t*>(file.data()) + at)); };
  for (const char* name : {"NAME", "NUM"}) {
    auto& tag = static_cast<XBobjMDXTag&>(*index.TagByName(name));
    std::vector<std::int64_t> tree = TreePages(tag);
    ASSERT_GT(tree.size(), 40u) << name;
    std::set<std::int64_t> chain;
    std::int64_t unit = le32(tag.HeaderUnit() * 512 + 252), last = 0;
    for (; unit != 0 && chain.size() * 1024 <= file.size(); unit = le32(unit * 512 + 4)) {
      ASSERT_TRUE(chain.insert(unit).second) << name << " passes unit " << unit << " twice";
      last = unit;
    }
    EXPECT_EQ(last, le32(tag.HeaderUnit() * 512 + 248)) << name;
    for (std::int64_t page : tree) EXPECT_TRUE(chain.count(page)) << name << " unit " << page << " is off the chain";
  }
}

TEST_F(Mdx, NumbersAndDatesKeepTheirOrderOnDisk) {
  OpenTable();
  XBobjMDXFile index(table.get(), "K", true, true, false);
  index.AddTag("NUM", "NUM", "", false, false);
  index.AddTag("DNUM", "NUM", "", false, true);
  index.AddTag("DAY", "DAY", "", false, false);
  std::mt19937 rng(7);
  std::vector<double> nums;
  std::vector<std::int32_t> days;
  for (int i = 0; i < 400; ++i) {
    double v = static_cast<double>(static_cast<int>(rng() % 200001) - 100000) / 1000;
    std::int32_t d = rng() % 5 == 0 ? 0 : 2400000 + static_cast<std::int32_t>(rng() % 100000);
    nums.push_back(v);
    days.push_back(d);
    table->BlankRecord();
    table->PutNumberByName("NUM", v);
    if (d) table->PutDateByName("DAY", d);
    table->Append();
    index.KeyUpdateAll(static_cast<std::uint32_t>(table->RecNo()), true);
  }
  XBobjMDXFile reopened(table.get(), "K", false, true, false);
  auto values = [&](const char* tag) {
    std::vector<double> out;
    for (std::uint32_t r : Records(Scan(*reopened.TagByName(tag))))
      out.push_back(std::string(tag) == "DAY" ? (days[r - 1] ? days[r - 1] : 1e100) : nums[r - 1]);
    return out;
  };
  auto up = values("NUM"), down = values("DNUM"), day = values("DAY");
  EXPECT_EQ(up.size(), 400u);
  EXPECT_TRUE(std::is_sorted(up.begin(), up.end()));
  EXPECT_TRUE(std::is_sorted(down.rbegin(), down.rend()));
  EXPECT_TRUE(std::is_sorted(day.begin(), day.end()));  // empty dates last
  TxbVariant v;
  v.SetFloat(nums[10]);
  EXPECT_TRUE(reopened.TagByName("NUM")->TagSeek(v));
  EXPECT_EQ(nums[reopened.TagByName("NUM")->CurrentKey().RecNo - 1], nums[10]);
}

TEST_F(Mdx, ADamagedHeaderOpensDamaged) {
  OpenTable();
  {
    XBobjMDXFile index(table.get(), "H", true, true, false);
    index.AddTag("NAME", "NAME", "", false, false);
    for (int i = 0; i < 100; ++i) Append(&index, "K" + std::to_string(i));
  }
  const std::string good = fs.FileBytes("H.MDX");
  const int tagHeader = static_cast<int>(GetLE32(good.data() + 512 + 32)) * 512;
  struct Case {
    const char* what;
    int offset, size;
    std::uint32_t value;
  } cases[] = {
      {"block size", 22, 2, 512},         {"entry length", 26, 2, 16},
      {"48 tags", 28, 2, 48},             {"tag header beyond the file", 512 + 32, 4, 9999},
      {"item too short", tagHeader + 18, 2, 12},  {"too many keys", tagHeader + 14, 2, 100},
      {"key type", tagHeader + 9, 1, 'X'},        {"root beyond", tagHeader, 4, 9999},
  };
  for (const Case& c : cases) {
    std::string bad = good;
    for (int i = 0; i < c.size; ++i) bad[static_cast<std::size_t>(c.offset + i)] = static_cast<char>(c.value >> (8 * i));
    fs.SetFile("H.MDX", bad);
    XBobjMDXFile index(table.get(), "H", false, true, false);
    EXPECT_TRUE(index.Damaged()) << c.what;
  }
  // Other programs: no chain in byte 17, a year counted from 1900.
  std::string foreign = good;
  foreign[512 + 32 + 17] = 0;
  foreign[1] = 126;
  fs.SetFile("H.MDX", foreign);
  XBobjMDXFile index(table.get(), "H", false, true, false);
  ASSERT_FALSE(index.Damaged());
  EXPECT_EQ(Scan(*index.TagByName("NAME")).size(), 100u);
}

// ---- The text-key index ----

class Ntx : public IndexTable {};

TEST(NtxKeys, NumbersAsSortableText) {
  struct Case {
    double value;
    const char* hex;
  } cases[] = {
      {12.5, "30 31 32 2E 35 30"}, {-12.5, "2C 2B 2A 2E 27 2C"}, {-0.001, "30 30 30 2E 30 30"}, {0, "30 30 30 2E 30 30"},
      {999.99, "39 39 39 2E 39 39"},
  };
  for (const Case& c : cases) EXPECT_EQ(Hex(NtxNumberKey(c.value, 6, 2)), c.hex) << c.value;
  EXPECT_EQ(RaisedBy([] { NtxNumberKey(1234.5, 6, 2); }), EngineErrorMessage(xbeNumberTooLarge, xbsNone, "1234.5"));
  std::mt19937 rng(133);
  std::vector<std::pair<std::string, double>> keys;
  for (int i = 0; i < 2000; ++i) {
    double v = static_cast<double>(static_cast<int>(rng() % 199999) - 99999) / 100;
    keys.emplace_back(NtxNumberKey(v, 7, 2), v);
  }
  std::sort(keys.begin(), keys.end());
  for (std::size_t i = 1; i < keys.size(); ++i) ASSERT_LE(keys[i - 1].second, keys[i].second) << keys[i].first;
}

TEST_F(Ntx, GeometryDatesAndRefusals) {
  OpenTable();
  {
    XBobjNTXFile index(table.get(), "G", true, true, false);
    auto& tag = static_cast<XBobjNTXTag&>(*index.AddTag("G", "SUBSTR(NAME,1,10)", "", false, false));
    EXPECT_EQ(tag.ItemSize(), 18);
    EXPECT_EQ(tag.MaxItems(), 50);
    Append(&index, "ABC");
    std::string bytes = fs.FileBytes("G.NTX");
    ASSERT_EQ(bytes.size(), 2048u);
    EXPECT_EQ(GetLE16(bytes.data()), 6);
    EXPECT_EQ(GetLE16(bytes.data() + 12), 18);
    EXPECT_EQ(GetLE16(bytes.data() + 18), 50);
    EXPECT_EQ(GetLE16(bytes.data() + 20), 25);
    EXPECT_EQ(GetLE16(bytes.data() + 1024 + 2), 104);  // the first item after the offset table
    EXPECT_EQ(bytes.substr(1024 + 104 + 8, 10), "ABC       ");
  }
  {
    XBobjNTXFile index(table.get(), "N", true, true, false);
    auto& tag = static_cast<XBobjNTXTag&>(*index.AddTag("N", "NUM", "FLAG", false, true));
    EXPECT_EQ(tag.KeySize(), 12);
    EXPECT_EQ(tag.Decimals(), 3);
    EXPECT_EQ(GetLE16(fs.FileBytes("N.NTX").data()), 7);
  }
  {
    XBobjNTXFile computed(table.get(), "C", true, true, false);
    computed.AddTag("C", "NUM * 2", "", false, false);
  }
  XBobjNTXFile computed(table.get(), "C", false, true, false);
  EXPECT_EQ(computed.Tag()->KeySize(), 10);
  EXPECT_EQ(computed.Tag()->Decimals(), 0);
  // Dates: the empty one first.
  XBobjNTXFile day(table.get(), "D", true, true, false);
  day.AddTag("D", "DAY", "", false, false);
  for (std::int32_t d : {2451545, 0, 2440588}) {
    table->BlankRecord();
    if (d) table->PutDateByName("DAY", d);
    table->Append();
    day.KeyUpdateAll(static_cast<std::uint32_t>(table->RecNo()), true);
  }
  auto scan = Scan(*day.Tag());
  ASSERT_EQ(scan.size(), 4u);  // with the record appended above
  EXPECT_EQ(scan[0].first, "00000000");
  EXPECT_EQ(scan[2].first, "19700101");
  EXPECT_EQ(scan[3].first, "20000101");
  // A key too large for two items a page is refused.
  EXPECT_EQ(XBobjNTXTag::MaxItemsFor(240), 2);
  EXPECT_EQ(XBobjNTXTag::MaxItemsFor(331), 0);
  CreateTable("W.DBF", 0x03, {{"WIDE", 'C', 250}});
  XBO_dBaseFld wide("W.DBF", true, false);
  XBobjNTXFile big(&wide, "W", true, true, false);
  EXPECT_NE(RaisedBy([&] { big.AddTag("W", "WIDE", "", false, false); }), "(nothing raised)");
}

// Another program's interior keys are keys: walked both ways, sought (the first of equal
// keys), and kept through appends and rewrites that split its pages, in the order the
// records give.
TEST_F(Ntx, AnotherProgramsInteriorKeysAreKeys) {
  OpenTable();
  const std::vector<TEntry> sorted = ForeignNtxEntries();
  std::map<std::uint32_t, std::string> model;
  for (const auto& [key, r] : sorted) model[r] = key;
  for (const auto& [r, key] : model) Append(nullptr, key);
  fs.SetFile("F.NTX", ForeignNtx(sorted, "NAME", 12, 4, 3, 3, 3));
  auto index = std::make_unique<XBobjNTXFile>(table.get(), "F", false, true, false);
  ASSERT_FALSE(index->Damaged());
  EXPECT_EQ(Scan(*index->Tag()), sorted);
  EXPECT_EQ(Scan(*index->Tag(), true), sorted);
  EXPECT_EQ(index->Tag()->CheckTree(), static_cast<std::int64_t>(sorted.size()));
  for (std::size_t j = 0; j < sorted.size(); ++j) {
    if (j > 0 && sorted[j - 1].first == sorted[j].first) continue;
    TxbVariant v;
    v.SetString(sorted[j].first);
    EXPECT_TRUE(index->Tag()->TagSeek(v)) << sorted[j].first;
    EXPECT_EQ(index->Tag()->CurrentKey().RecNo, sorted[j].second) << sorted[j].first;
  }
  std::mt19937 rng(45);
  auto randomKey = [&] {
    char key[8];
    std::snprintf(key, sizeof key, "K%02d", static_cast<int>(rng() % 30));
    return std::string(key);
  };
  auto check = [&](XBobjNTXTag& tag) {
    std::vector<TEntry> scan = Scan(tag);
    EXPECT_EQ(Scan(tag, true), scan);
    EXPECT_EQ(tag.CheckTree(), static_cast<std::int64_t>(scan.size()));
    EXPECT_TRUE(std::is_sorted(scan.begin(), scan.end(), [](const TEntry& a, const TEntry& b) { return a.first < b.first; }));
    std::sort(scan.begin(), scan.end());
    std::vector<TEntry> expected;
    for (const auto& [r, key] : model) expected.emplace_back(key, r);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(scan, expected);
  };
  for (std::uint32_t r = 1; r <= 35; r += 2) {  // half the records, interior keys among them
    model[r] = randomKey();
    Rewrite(index.get(), r, model[r], 0, true);
  }
  check(*index->Tag());
  for (int i = 0; i < 60; ++i) {
    std::string key = randomKey();
    model[Append(index.get(), key)] = key;
  }
  check(*index->Tag());
  index = std::make_unique<XBobjNTXFile>(table.get(), "F", false, true, false);
  check(*index->Tag());
}

TEST_F(Ntx, TheVersionCounterWrapsAndASecondTableSeesTheChange) {
  OpenTable("T.DBF", true);
  XBobjNTXFile a(table.get(), "V", true, true, true);
  a.AddTag("V", "NAME", "", false, false);
  EXPECT_EQ(a.Version(), 1);
  Append(&a, "FIRST");
  XBO_dBaseFld other("T.DBF", true, true);
  XBobjNTXFile b(&other, "V", false, true, true);
  EXPECT_EQ(Scan(*b.Tag()).size(), 1u);
  for (int i = 0; i < 32766; ++i) a.KeyUpdateAll(1, false);  // rewrites that change nothing
  EXPECT_EQ(a.Version(), 1);
  EXPECT_EQ(GetLE16(fs.FileBytes("V.NTX").data() + 2), 1);
  Append(&a, "SECOND");
  EXPECT_EQ(Scan(*b.Tag()).size(), 2u);  // b reloads
  a.Empty();
  EXPECT_EQ(fs.FileBytes("V.NTX").size(), 2048u);
  EXPECT_TRUE(Scan(*b.Tag()).empty());
  a.Reindex();
  EXPECT_EQ(Scan(*b.Tag()).size(), 2u);
}

TEST_F(Ntx, ADamagedFileOpensDamaged) {
  OpenTable();
  {
    XBobjNTXFile index(table.get(), "H", true, true, false);
    index.AddTag("H", "NAME", "", false, false);
    for (int i = 0; i < 100; ++i) Append(&index, "K" + std::to_string(i));
  }
  const std::string good = fs.FileBytes("H.NTX");
  struct Case {
    const char* what;
    int offset, size;
    std::uint32_t value;
  } cases[] = {
      {"signature", 0, 2, 5}, {"item size", 12, 2, 30}, {"too many items", 18, 2, 60}, {"root off a page", 4, 4, 1000},
      {"root beyond", 4, 4, 1u << 20},
  };
  for (const Case& c : cases) {
    std::string bad = good;
    for (int i = 0; i < c.size; ++i) bad[static_cast<std::size_t>(c.offset + i)] = static_cast<char>(c.value >> (8 * i));
    fs.SetFile("H.NTX", bad);
    XBobjNTXFile index(table.get(), "H", false, true, false);
    EXPECT_TRUE(index.Damaged()) << c.what;
  }
  std::string crowded = good;
  const std::uint32_t root = GetLE32(reinterpret_cast<const std::uint8_t*>(good.data()) + 4);
  PutLE16(crowded.data() + root + 2, 1020);  // the root's item 0 runs past the page
  fs.SetFile("H.NTX", crowded);
  XBobjNTXFile index(table.get(), "H", false, true, false);
  EXPECT_EQ(RaisedBy([&] { Scan(*index.Tag()); }), EngineErrorMessage(xbeIndexDamaged, xbsNone, index.FileName().c_str()));
}

// One table, an index of NUM N(12,3) in every format: each seek gives the same answer and
// lands on the same record, whether or not the key can hold the number sought.
TEST_F(IndexTable, NumberSeeksAgreeAcrossTheFormats) {
  OpenTable();
  TFiles files;
  std::vector<XBobjIndexTag*> numTags;
  for (const TIndexFormat& f : kIndexFormats) {
    files.push_back(f.Open(table.get(), std::string("S") + f.Name, true, false));
    numTags.push_back(files.back()->AddTag("NUM", "NUM", "", false, false));
  }
  for (double num : {-5.0, 0.0, 0.01, 1.5, 2.0, 100.0}) {
    std::uint32_t r = Append(nullptr, "R", num);
    for (auto& file : files) file->KeyUpdateAll(r, true);
  }
  struct Case {
    double sought;
    bool found;
    std::uint32_t lands;  // 0: the end
  } cases[] = {
      {1.5, true, 4},   {-5, true, 1},        {0, true, 2},         {0.0004, false, 3}, {-0.0004, false, 2},
      {1.5004, false, 5}, {1.4996, false, 4}, {-4.9996, false, 2},  {-5.0004, false, 1}, {1e12, false, 0},
      {-1e12, false, 1},  {99999999.999, false, 0}, {100.0001, false, 0},
  };
  for (const Case& c : cases) {
    for (std::size_t i = 0; i < files.size(); ++i) {
      TxbVariant v;
      v.SetFloat(c.sought);
      XBobjIndexTag& tag = *numTags[i];
      EXPECT_EQ(tag.TagSeek(v), c.found) << kIndexFormats[i].Name << " " << c.sought;
      EXPECT_EQ(tag.Eof() ? 0u : tag.CurrentKey().RecNo, c.lands) << kIndexFormats[i].Name << " " << c.sought;
    }
  }
}

}  // namespace
