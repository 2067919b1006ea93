// Every index format when things go wrong: a writer that stops after any write, a process
// killed at random moments, and two writers sharing one file.
#include "child_process.h"
#include "index_fixture.h"
#include "index_formats.h"
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

// The keys the engine's tree check counts, -1 when it finds the tree damaged.
std::int64_t CheckedKeys(XBobjIndexTag& tag) {
  try {
    return tag.CheckTree();
  } catch (const EXBaseError&) {
    return -1;
  }
}

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

// The two tags every test here keeps: a text one and a numeric one, descending and with a
// FOR condition where the format has them. Single-tag formats keep each in a file of its own.
struct TTwoTags {
  const char* Text;
  const char* Number;
  const char* For;
};

TFiles CreateTags(const TIndexFormat& f, XBO_dBaseFld& t, const std::vector<std::string>& names, const TTwoTags& tags,
                  bool shared) {
  TFiles files;
  files.push_back(f.Open(&t, names[0], true, shared));
  files.back()->AddTag(tags.Text, tags.Text, "", false, false);
  if (!f.MultiTag) files.push_back(f.Open(&t, names[1], true, shared));
  files.back()->AddTag(tags.Number, tags.Number, f.HasFor ? tags.For : "", false, f.HasDescending);
  return files;
}

class IndexFaults : public IndexTable, public ::testing::WithParamInterface<TIndexFormat> {};

struct TOp {
  bool Append;
  std::int32_t Record;
  std::string Key;
  double Number;
};

// The index's writes stop after the k-th, for every k of a run with leaf, interior and root
// splits (200-byte keys: a few a node), in each of the format's files.
TEST_P(IndexFaults, AWriterStoppedAfterAnyWriteLosesAtMostItsOwnKey) {
  const TIndexFormat& f = GetParam();
  const TTwoTags two{"K", "N", ""};
  CreateTable("C.DBF", 0x03, {{"K", 'C', 200}, {"N", 'N', 8, 1}});
  std::mt19937 rng(33);
  auto randomKey = [&] {
    std::string k;
    for (int n = 150 + static_cast<int>(rng() % 50); n > 0; --n) k += static_cast<char>('a' + rng() % 26);
    return k;
  };
  const std::vector<std::string> names = IndexFilesFor(f, "", {"K", "N"}, "C"),
                                 copies = IndexFilesFor(f, "M_", {"K", "N"}, "C");
  {
    XBO_dBaseFld t("C.DBF", true, false);
    for (int i = 0; i < 12; ++i) {
      t.BlankRecord();
      t.PutTextByName("K", randomKey());
      t.PutNumberByName("N", i);
      t.Append();
    }
    CreateTags(f, t, names, two, false);
  }
  const std::string dbf = fs.FileBytes("C.DBF");
  std::vector<std::string> built;
  for (const std::string& n : names) built.push_back(fs.FileBytes(n));
  auto restore = [&](const std::vector<std::string>& as) {
    fs.SetFile("C.DBF", dbf);
    for (std::size_t i = 0; i < as.size(); ++i) fs.SetFile(as[i], built[i]);
  };
  std::vector<TOp> ops;
  for (int i = 0; i < 16; ++i) {
    bool append = i % 3 != 2;
    ops.push_back({append, append ? 0 : static_cast<std::int32_t>(1 + rng() % 12), randomKey(), static_cast<double>(rng() % 100) - 50});
  }
  auto apply = [](XBO_dBaseFld& t, const TOp& op, TFiles* files) {
    if (op.Append) t.BlankRecord(); else t.Go(op.Record);
    t.PutTextByName("K", op.Key);
    t.PutNumberByName("N", op.Number);
    if (op.Append) t.Append();
    auto r = static_cast<std::uint32_t>(op.Append ? t.RecNo() : op.Record);
    if (files)
      for (auto& file : *files) file->KeyUpdateAll(r, op.Append);
    if (!op.Append) t.PutRec(op.Record);
  };
  // Runs the operations with the writes of file `stopped` dropped after `keep` (-1: none
  // dropped); that file's write counts after each operation.
  auto run = [&](std::size_t stopped, std::int64_t keep) {
    restore(names);
    std::vector<std::int64_t> after;
    XBO_dBaseFld t("C.DBF", true, false);
    TFiles files = OpenIndexFiles(f, t, names, false);
    std::int64_t base = fs.WriteCount(names[stopped]);
    fs.DropWritesAfter(names[stopped], keep);
    for (const TOp& op : ops) {
      // Past its last kept write the writer is as good as dead: what it does next (it may
      // trip over nodes it never wrote) reaches nothing on disk.
      try {
        apply(t, op, &files);
      } catch (const EXBaseError&) {
        if (keep < 0) throw;
        break;
      }
      after.push_back(fs.WriteCount(names[stopped]) - base);
    }
    fs.DropWritesAfter(names[stopped], -1);
    return after;
  };
  // The model after the first n operations, per tag, from a table replayed that far.
  auto modelAfter = [&](std::size_t n) {
    restore(copies);
    XBO_dBaseFld t("C.DBF", true, false);
    TFiles files = OpenIndexFiles(f, t, copies, false);
    for (std::size_t i = 0; i < n; ++i) apply(t, ops[i], nullptr);
    return std::vector<std::multiset<TEntry>>{Model(t, *TagWithKey(files, "K")), Model(t, *TagWithKey(files, "N"))};
  };
  std::vector<std::vector<std::multiset<TEntry>>> models;
  for (std::size_t n = 0; n <= ops.size(); ++n) models.push_back(modelAfter(n));
  for (std::size_t stopped = 0; stopped < names.size(); ++stopped) {
    const std::vector<std::int64_t> after = run(stopped, -1);
    ASSERT_GT(after.back(), 20) << names[stopped];
    for (std::int64_t k = 0; k < after.back(); ++k) {
      SCOPED_TRACE(names[stopped] + ", writes kept: " + std::to_string(k));
      std::size_t j = static_cast<std::size_t>(std::upper_bound(after.begin(), after.end(), k) - after.begin());
      run(stopped, k);
      XBO_dBaseFld t("C.DBF", true, false);
      TFiles files = OpenIndexFiles(f, t, {names[stopped]}, false);
      ASSERT_FALSE(files[0]->Damaged());
      for (int tagNo = 0; tagNo < 2; ++tagNo) {
        XBobjIndexTag* tag = TagWithKey(files, tagNo == 0 ? "K" : "N");
        if (!tag) continue;  // in the other file
        auto got = AsSet(Scan(*tag, false, 1000));
        const auto& before = models[j][static_cast<std::size_t>(tagNo)];
        const auto& now = models[std::min(j + 1, ops.size())][static_cast<std::size_t>(tagNo)];
        // Nothing foreign, and every key the operation in flight does not touch is there.
        std::multiset<TEntry> either, both;
        std::set_union(before.begin(), before.end(), now.begin(), now.end(), std::inserter(either, either.end()));
        std::set_intersection(before.begin(), before.end(), now.begin(), now.end(), std::inserter(both, both.end()));
        std::set<TEntry> distinct(got.begin(), got.end());
        for (const TEntry& e : distinct) EXPECT_TRUE(either.count(e)) << tag->Name() << " " << e.second;
        for (const TEntry& e : both) {
          EXPECT_TRUE(distinct.count(e)) << tag->Name() << " lost record " << e.second;
          EXPECT_TRUE(tag->FindEntry(e.first, e.second)) << tag->Name() << " cannot find record " << e.second;
        }
        // Splits switch with one write: no key is there twice but the one in flight.
        for (const TEntry& e : distinct) {
          if (got.count(e) > 1) {
            EXPECT_FALSE(both.count(e)) << tag->Name() << " holds record " << e.second << " twice";
          }
        }
      }
      // Re-indexing repairs it.
      files[0]->Reindex();
      for (int i = 0; i < files[0]->TagCount(); ++i) {
        XBobjIndexTag& tag = *files[0]->TagByIndex(i);
        const auto model = Model(t, tag);
        EXPECT_EQ(AsSet(Scan(tag)), model) << tag.Name();
        EXPECT_EQ(CheckedKeys(tag), static_cast<std::int64_t>(model.size())) << tag.Name();
      }
    }
  }
  // The final text tag is a tree of several levels.
  run(0, -1);
  XBO_dBaseFld t("C.DBF", true, false);
  TFiles files = OpenIndexFiles(f, t, names, false);
  XBobjIndexTag& k = *TagWithKey(files, "K");
  int depth = 0;
  for (std::int64_t page = k.RootPage();; ++depth) {
    XBobjIndexKey node;
    node.Page = page;
    ASSERT_TRUE(k.ReadNode(node));
    if (node.Leaf) break;
    page = node.Entries[0].Child;
  }
  EXPECT_GE(depth, 2);
  EXPECT_EQ(AsSet(Scan(k)), models.back()[0]);
  for (const char* key : {"K", "N"})
    EXPECT_EQ(CheckedKeys(*TagWithKey(files, key)), static_cast<std::int64_t>(models.back()[key[0] == 'K' ? 0 : 1].size()))
        << key;
}

// Two tables and two sets of index objects on the same files take turns writing; each sees
// the other's changes.
TEST_P(IndexFaults, TwoWritersOnOneFileKeepItWhole) {
  const TIndexFormat& f = GetParam();
  const TTwoTags two{"NAME", "NUM", "FLAG"};
  OpenTable("T.DBF", true);
  const std::vector<std::string> names = IndexFilesFor(f, "", {two.Text, two.Number}, "T");
  CreateTags(f, *table, names, two, true);
  XBO_dBaseFld other("T.DBF", true, true);
  TFiles a = OpenIndexFiles(f, *table, names, true), b = OpenIndexFiles(f, other, names, true);
  std::mt19937 rng(2);
  for (int step = 1; step <= 400; ++step) {
    bool useA = rng() % 2;
    XBO_dBaseFld& t = useA ? *table : other;
    TFiles& files = useA ? a : b;
    std::string name(1 + rng() % 8, static_cast<char>('A' + rng() % 5));
    double num = static_cast<double>(rng() % 1000) - 500;
    bool flag = rng() % 3 != 0;
    t.RefreshHeader();
    bool append = t.RecordCount() < 5 || rng() % 3 != 0;
    auto r = append ? 0 : static_cast<std::int32_t>(1 + rng() % static_cast<std::uint32_t>(t.RecordCount()));
    if (append) t.BlankRecord(); else t.Go(r);
    t.PutTextByName("NAME", name);
    t.PutNumberByName("NUM", num);
    t.PutLogicalByName("FLAG", flag);
    if (append) {
      t.Append();
      r = t.RecNo();
    }
    for (auto& file : files) file->KeyUpdateAll(static_cast<std::uint32_t>(r), append);
    if (!append) t.PutRec(r);
    if (step % 50 == 0) {
      for (TFiles* reader : {&a, &b})
        for (const char* key : {"NAME", "NUM"}) {
          XBobjIndexTag& tag = *TagWithKey(*reader, key);
          auto scan = Scan(tag);
          EXPECT_EQ(AsSet(scan), Model(*reader->front()->Table(), tag)) << key << " step " << step;
          EXPECT_EQ(CheckedKeys(tag), static_cast<std::int64_t>(scan.size())) << key << " step " << step;
          EXPECT_TRUE(std::is_sorted(scan.begin(), scan.end(), [&](const TEntry& x, const TEntry& y) {
            int c = tag.CompareKeys(x.first, y.first);
            if (tag.Descending()) c = -c;
            return c < 0;
          })) << key << " step " << step;
        }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, IndexFaults, ::testing::ValuesIn(kIndexFormats),
                         [](const auto& info) { return std::string(info.param.Name); });

#ifndef _WIN32
// A writer process killed at random moments: what it leaves opens, differs from the table in
// the one record in flight at most, and re-indexing repairs it.
class IndexKilled : public ::testing::TestWithParam<TIndexFormat> {};

TEST_P(IndexKilled, AKilledWriterLeavesARepairableIndex) {
  const TIndexFormat& f = GetParam();
  const TTwoTags two{"NAME", "NUM", ""};
  std::string dir = horavox::test::TempDir() + "/killed-" + f.Name + "/";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::vector<std::string> names = IndexFilesFor(f, dir, {two.Text, two.Number}, "K");
  CreateTable(dir + "K.DBF", 0x03, {{"NAME", 'C', 30}, {"NUM", 'N', 8}});
  {
    XBO_dBaseFld t(dir + "K.DBF", true, false);
    CreateTags(f, t, names, two, false);
  }
  std::mt19937 rng(20);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::string ready = dir + "ready" + std::to_string(round);
    TChildProcess child(HelperPath(), {"indexwrite", f.Name, dir + "K.DBF", std::to_string(round), ready});
    ASSERT_TRUE(WaitForFile(ready));
    std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 60));
    child.Kill();
    child.Wait();
    XBO_dBaseFld t(dir + "K.DBF", true, false);
    TFiles files = OpenIndexFiles(f, t, names, false);
    for (auto& file : files) ASSERT_FALSE(file->Damaged());
    for (const char* key : {"NAME", "NUM"}) {
      XBobjIndexTag& tag = *TagWithKey(files, key);
      EXPECT_TRUE(AtMostOneRecordDiffers(AsSet(Scan(tag, false, 1000000)), Model(t, tag))) << key;
    }
    for (auto& file : files) file->Reindex();
    for (const char* key : {"NAME", "NUM"}) {
      XBobjIndexTag& tag = *TagWithKey(files, key);
      const auto model = Model(t, tag);
      EXPECT_EQ(AsSet(Scan(tag)), model) << key;
      EXPECT_EQ(CheckedKeys(tag), static_cast<std::int64_t>(model.size())) << key;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, IndexKilled, ::testing::ValuesIn(kIndexFormats),
                         [](const auto& info) { return std::string(info.param.Name); });
#endif

}  // namespace
