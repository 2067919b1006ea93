// The compound index when things go wrong: a writer that stops after any write, a process
// killed at random moments, and two writers sharing one file.
#include "child_process.h"
#include "index_fixture.h"
#include "test_paths.h"
#include "xbase/errors.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <thread>

#ifndef _WIN32
#include <csignal>
#endif

namespace {

using namespace xbtest;
using TEntry = std::pair<std::string, std::uint32_t>;

// What a tag must hold for the table as it is now: every record's key (FOR respected).
std::multiset<TEntry> Model(XBO_dBaseFld& table, XBobjIndexTag& tag) {
  std::multiset<TEntry> m;
  std::string key;
  table.RefreshHeader();  // another writer may have appended
  for (std::int32_t r = 1; r <= table.RecordCount(); ++r) {
    table.Go(r);
    if ((!tag.HasFor() || tag.EvaluateFor()) && tag.EvaluateKey(key)) m.emplace(key, static_cast<std::uint32_t>(r));
  }
  return m;
}

std::multiset<TEntry> AsSet(const std::vector<TEntry>& scan) { return {scan.begin(), scan.end()}; }

// The entries of `got` that differ from `want` concern one record at most.
[[maybe_unused]] bool AtMostOneRecordDiffers(const std::multiset<TEntry>& got, const std::multiset<TEntry>& want) {
  std::set<std::uint32_t> records;
  std::vector<TEntry> extra, missing;
  std::set_difference(got.begin(), got.end(), want.begin(), want.end(), std::back_inserter(extra));
  std::set_difference(want.begin(), want.end(), got.begin(), got.end(), std::back_inserter(missing));
  for (auto& e : extra) records.insert(e.second);
  for (auto& e : missing) records.insert(e.second);
  return records.size() <= 1;
}

class CdxFaults : public IndexTable {};

struct TOp {
  bool Append;
  std::int32_t Record;
  std::string Key;
  double Number;
};

// The index's writes stop after the k-th, for every k of a run with leaf, interior and root
// splits (200-byte keys: two a leaf, two an interior node).
TEST_F(CdxFaults, AWriterStoppedAfterAnyWriteLosesAtMostItsOwnKey) {
  CreateTable("C.DBF", 0x03, {{"K", 'C', 200}, {"N", 'N', 8, 1}});
  std::mt19937 rng(33);
  auto randomKey = [&] {
    std::string k;
    for (int n = 150 + static_cast<int>(rng() % 50); n > 0; --n) k += static_cast<char>('a' + rng() % 26);
    return k;
  };
  {
    XBO_dBaseFld t("C.DBF", true, false);
    for (int i = 0; i < 12; ++i) {
      t.BlankRecord();
      t.PutTextByName("K", randomKey());
      t.PutNumberByName("N", i);
      t.Append();
    }
    XBobjCDXFile index(&t, "C.CDX", true, true, false);
    index.AddTag("K", "K", "", false, false);
    index.AddTag("N", "N", "", false, true);
  }
  const std::string dbf = fs.FileBytes("C.DBF"), cdx = fs.FileBytes("C.CDX");
  std::vector<TOp> ops;
  for (int i = 0; i < 16; ++i) {
    bool append = i % 3 != 2;
    ops.push_back({append, append ? 0 : static_cast<std::int32_t>(1 + rng() % 12), randomKey(), static_cast<double>(rng() % 100) - 50});
  }
  // Runs the operations with the index's writes dropped after `keep` (-1: none dropped);
  // the write counts after each operation.
  auto run = [&](std::int64_t keep) {
    fs.SetFile("C.DBF", dbf);
    fs.SetFile("C.CDX", cdx);
    std::vector<std::int64_t> after;
    XBO_dBaseFld t("C.DBF", true, false);
    XBobjCDXFile index(&t, "C.CDX", false, true, false);
    std::int64_t base = fs.WriteCount("C.CDX");
    fs.DropWritesAfter("C.CDX", keep);
    for (const TOp& op : ops) {
      // Past its last kept write the writer is as good as dead: what it does next (it may
      // trip over nodes it never wrote) reaches nothing on disk.
      try {
      if (op.Append) {
        t.BlankRecord();
        t.PutTextByName("K", op.Key);
        t.PutNumberByName("N", op.Number);
        t.Append();
        index.KeyUpdateAll(static_cast<std::uint32_t>(t.RecNo()), true);
      } else {
        t.Go(op.Record);
        t.PutTextByName("K", op.Key);
        t.PutNumberByName("N", op.Number);
        index.KeyUpdateAll(static_cast<std::uint32_t>(op.Record), false);
        t.PutRec(op.Record);
      }
      } catch (const EXBaseError&) {
        if (keep < 0) throw;
        break;
      }
      after.push_back(fs.WriteCount("C.CDX") - base);
    }
    fs.DropWritesAfter("C.CDX", -1);
    return after;
  };
  // The model after the first n operations, per tag, from a table replayed that far.
  auto modelAfter = [&](std::size_t n) {
    fs.SetFile("C.DBF", dbf);
    fs.SetFile("M.CDX", cdx);
    XBO_dBaseFld t("C.DBF", true, false);
    XBobjCDXFile index(&t, "M.CDX", false, false, false);
    for (std::size_t i = 0; i < n; ++i) {
      const TOp& op = ops[i];
      if (op.Append) t.BlankRecord(); else t.Go(op.Record);
      t.PutTextByName("K", op.Key);
      t.PutNumberByName("N", op.Number);
      if (op.Append) t.Append(); else t.PutRec(op.Record);
    }
    return std::vector<std::multiset<TEntry>>{Model(t, *index.TagByName("K")), Model(t, *index.TagByName("N"))};
  };
  std::vector<std::vector<std::multiset<TEntry>>> models;
  for (std::size_t n = 0; n <= ops.size(); ++n) models.push_back(modelAfter(n));
  const std::vector<std::int64_t> after = run(-1);
  ASSERT_GT(after.back(), 40);
  for (std::int64_t k = 0; k < after.back(); ++k) {
    SCOPED_TRACE("writes kept: " + std::to_string(k));
    std::size_t j = static_cast<std::size_t>(std::upper_bound(after.begin(), after.end(), k) - after.begin());
    run(k);
    XBO_dBaseFld t("C.DBF", true, false);
    XBobjCDXFile index(&t, "C.CDX", false, true, false);
    ASSERT_FALSE(index.Damaged());
    for (int tagNo = 0; tagNo < 2; ++tagNo) {
      XBobjIndexTag& tag = *index.TagByName(tagNo == 0 ? "K" : "N");
      auto got = AsSet(Scan(tag, false, 1000));
      const auto& before = models[j][static_cast<std::size_t>(tagNo)];
      const auto& now = models[std::min(j + 1, ops.size())][static_cast<std::size_t>(tagNo)];
      // Nothing foreign, and every key the operation in flight does not touch is there.
      std::multiset<TEntry> either, both;
      std::set_union(before.begin(), before.end(), now.begin(), now.end(), std::inserter(either, either.end()));
      std::set_intersection(before.begin(), before.end(), now.begin(), now.end(), std::inserter(both, both.end()));
      std::set<TEntry> distinct(got.begin(), got.end());
      for (const TEntry& e : distinct) EXPECT_TRUE(either.count(e)) << tag.Name() << " " << e.second;
      for (const TEntry& e : both) {
        EXPECT_TRUE(distinct.count(e)) << tag.Name() << " lost record " << e.second;
        EXPECT_TRUE(tag.FindEntry(e.first, e.second)) << tag.Name() << " cannot find record " << e.second;
      }
    }
    // Re-indexing repairs it.
    index.Reindex();
    for (int tagNo = 0; tagNo < 2; ++tagNo) {
      XBobjIndexTag& tag = *index.TagByName(tagNo == 0 ? "K" : "N");
      EXPECT_EQ(AsSet(Scan(tag)), Model(t, tag)) << tag.Name();
    }
  }
  // The final file is a tree of several levels.
  run(-1);
  XBO_dBaseFld t("C.DBF", true, false);
  XBobjCDXFile index(&t, "C.CDX", false, true, false);
  auto& k = *static_cast<XBobjCDXTag*>(index.TagByName("K"));
  int depth = 0;
  for (std::int64_t page = k.RootPage();; ++depth) {
    XBobjIndexKey node;
    node.Page = page;
    ASSERT_TRUE(k.ReadNode(node));
    if (node.Leaf) break;
    page = node.Entries[0].Child;
  }
  EXPECT_GE(depth, 3);
  EXPECT_EQ(AsSet(Scan(k)), models.back()[0]);
}

// Two tables and two index objects on the same files take turns writing; each sees the
// other's changes.
TEST_F(CdxFaults, TwoWritersOnOneFileKeepItWhole) {
  OpenTable("T.DBF", true);
  {
    XBobjCDXFile index(table.get(), "T.CDX", true, true, true);
    index.AddTag("NAME", "NAME", "", false, false);
    index.AddTag("NUM", "NUM", "FLAG", false, true);
  }
  XBO_dBaseFld other("T.DBF", true, true);
  XBobjCDXFile a(table.get(), "T.CDX", false, true, true), b(&other, "T.CDX", false, true, true);
  std::mt19937 rng(2);
  for (int step = 1; step <= 400; ++step) {
    bool useA = rng() % 2;
    XBO_dBaseFld& t = useA ? *table : other;
    XBobjCDXFile& index = useA ? a : b;
    std::string name(1 + rng() % 8, static_cast<char>('A' + rng() % 5));
    double num = static_cast<double>(rng() % 1000) - 500;
    bool flag = rng() % 3 != 0;
    t.RefreshHeader();
    if (t.RecordCount() < 5 || rng() % 3 != 0) {
      t.BlankRecord();
      t.PutTextByName("NAME", name);
      t.PutNumberByName("NUM", num);
      t.PutLogicalByName("FLAG", flag);
      t.Append();
      index.KeyUpdateAll(static_cast<std::uint32_t>(t.RecNo()), true);
    } else {
      auto r = static_cast<std::int32_t>(1 + rng() % static_cast<std::uint32_t>(t.RecordCount()));
      t.Go(r);
      t.PutTextByName("NAME", name);
      t.PutNumberByName("NUM", num);
      t.PutLogicalByName("FLAG", flag);
      index.KeyUpdateAll(static_cast<std::uint32_t>(r), false);
      t.PutRec(r);
    }
    if (step % 50 == 0) {
      for (XBobjCDXFile* reader : {&a, &b})
        for (const char* tagName : {"NAME", "NUM"}) {
          XBobjIndexTag& tag = *reader->TagByName(tagName);
          auto scan = Scan(tag);
          EXPECT_EQ(AsSet(scan), Model(*reader->Table(), tag)) << tagName << " step " << step;
          EXPECT_TRUE(std::is_sorted(scan.begin(), scan.end(), [&](const TEntry& x, const TEntry& y) {
            int c = tag.CompareKeys(x.first, y.first);
            if (tag.Descending()) c = -c;
            return c != 0 ? c < 0 : (tag.Descending() ? x.second > y.second : x.second < y.second);
          })) << tagName << " step " << step;
        }
    }
  }
}

#ifndef _WIN32
// A writer process killed at random moments: what it leaves opens, differs from the table in
// the one record in flight at most, and re-indexing repairs it.
TEST(CdxKilled, AKilledWriterLeavesARepairableIndex) {
  std::string dir = horavox::test::TempDir() + "/killed/";
  std::filesystem::create_directories(dir);
  CreateTable(dir + "K.DBF", 0x03, {{"NAME", 'C', 30}, {"NUM", 'N', 8}});
  {
    XBO_dBaseFld t(dir + "K.DBF", true, false);
    XBobjCDXFile index(&t, dir + "K.CDX", true, true, false);
    index.AddTag("NAME", "NAME", "", false, false);
    index.AddTag("NUM", "NUM", "", false, false);
  }
  std::mt19937 rng(20);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::string ready = dir + "ready" + std::to_string(round);
    TChildProcess child(HelperPath(), {"cdxwrite", dir + "K.DBF", dir + "K.CDX", std::to_string(round), ready});
    ASSERT_TRUE(WaitForFile(ready));
    std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 60));
    child.Kill();
    child.Wait();
    XBO_dBaseFld t(dir + "K.DBF", true, false);
    XBobjCDXFile index(&t, dir + "K.CDX", false, true, false);
    ASSERT_FALSE(index.Damaged());
    for (const char* name : {"NAME", "NUM"}) {
      XBobjIndexTag& tag = *index.TagByName(name);
      EXPECT_TRUE(AtMostOneRecordDiffers(AsSet(Scan(tag, false, 1000000)), Model(t, tag))) << name;
    }
    index.Reindex();
    for (const char* name : {"NAME", "NUM"}) {
      XBobjIndexTag& tag = *index.TagByName(name);
      EXPECT_EQ(AsSet(Scan(tag)), Model(t, tag)) << name;
    }
  }
}
#endif

}  // namespace
