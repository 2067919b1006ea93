// The key sorter beside std::stable_sort on the same 1,000,000 (key, record) pairs (text keys
// of 10 letters); then one 1,000,000-record table (NAME C(10) random text, NUM N(10) random
// integers) on which every index format is built (NDX on the text; MDX and CDX with both
// tags; NTX on the text) and sought 100,000 times with the same random keys. TDbf (the
// Pascal test program, tools/bench.sh builds it and names it in HORAVOX_TDBF_INDEX) builds
// its NDX and MDX on a copy of the table and runs the same seeks as a child process; without
// it only our figures are printed. Prints milliseconds and TDbf's time over ours.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "classlib/core/files.h"
#include "xbase/dbftable.h"
#include "xbase/xbcdx.h"
#include "xbase/xbmdx.h"
#include "xbase/xbndx.h"
#include "xbase/xbntx.h"
#include "xbase/xbsort.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct TFigures {
  double BuildMs = 0, SeekMs = 0;
  int Found = 0;
};

// Builds the file's tags and seeks every key in the first; the figures of both.
TFigures Measure(XBobjIndexFile& file, const std::vector<const char*>& tags, const std::vector<std::string>& keys) {
  TFigures f;
  auto start = Clock::now();
  for (const char* tag : tags) file.AddTag(tag, tag, "", false, false);
  f.BuildMs = Ms(Clock::now() - start);
  XBobjIndexTag& name = *file.TagByIndex(0);
  TxbVariant v;
  start = Clock::now();
  for (const std::string& key : keys) {
    v.SetString(key);
    f.Found += name.TagSeek(v);
  }
  f.SeekMs = Ms(Clock::now() - start);
  return f;
}

// TDbf's "<ndx build> <mdx build> <ndx seeks> <mdx seeks> <found> <found>", or false.
bool RunTdbf(const std::string& table, const std::string& keysFile, TFigures& ndx, TFigures& mdx) {
  const char* program = std::getenv("HORAVOX_TDBF_INDEX");
  if (!program || !FileExists(program)) return false;
  std::string command = std::string(program) + " bench " + table + " " + keysFile;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return false;
  int got = std::fscanf(p, "%lf %lf %lf %lf %d %d", &ndx.BuildMs, &mdx.BuildMs, &ndx.SeekMs, &mdx.SeekMs, &ndx.Found,
                        &mdx.Found);
  pclose(p);
  return got == 6;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 1000000;
  std::mt19937 rng(1);
  std::vector<std::pair<std::string, std::uint32_t>> pairs;
  pairs.reserve(static_cast<std::size_t>(count));
  for (int i = 1; i <= count; ++i) {
    std::string key(10, ' ');
    for (char& c : key) c = static_cast<char>('A' + rng() % 26);
    pairs.emplace_back(key, static_cast<std::uint32_t>(i));
  }
  std::vector<std::string> names;
  names.reserve(pairs.size());
  for (const auto& p : pairs) names.push_back(p.first);
  std::shuffle(pairs.begin(), pairs.end(), rng);

  auto reference = pairs;
  auto start = Clock::now();
  std::stable_sort(reference.begin(), reference.end());
  double stableMs = Ms(Clock::now() - start);

  start = Clock::now();
  TxbSort sort(10, nullptr, false, false);
  TxbVariant v;
  for (const auto& [key, recno] : pairs) {
    v.SetString(key);
    sort.AddKey(v, recno);
  }
  std::uint32_t recno;
  std::size_t out = 0, misplaced = 0;
  while (sort.NextKey(v, recno)) misplaced += reference[out++].second != recno;
  double sortMs = Ms(Clock::now() - start);
  std::printf("sorter: %d pairs in %.0f ms, std::stable_sort %.0f ms, ratio %.2f (runs %d, %zu out of order)\n", count,
              sortMs, stableMs, sortMs / stableMs, sort.RunCount(), misplaced);

  // The table, written once; TDbf gets a copy of it.
  std::string dir = ExpandFileName("xbase-bench");
  std::filesystem::remove_all(dir);
  ForceDirectories(dir);
  std::string table = dir + "/index.dbf", copy = dir + "/tdbf.dbf", keysFile = dir + "/keys.txt";
  CreateTable(table, 0x03, {{"NAME", 'C', 10}, {"NUM", 'N', 10, 0}});
  {
    XBO_dBaseFld t(table, true, false);
    t.LockTable();
    for (const std::string& name : names) {
      t.BlankRecord();
      t.PutText(1, name);
      t.PutNumber(2, static_cast<double>(rng() % 1999999999) - 999999999);
      t.Append();
    }
    t.UnlockTable();
  }
  std::filesystem::copy_file(table, copy);
  std::vector<std::string> keys;
  for (int i = 0; i < 100000; ++i) keys.push_back(names[rng() % names.size()]);
  if (FILE* f = std::fopen(keysFile.c_str(), "wb")) {
    for (const std::string& k : keys) std::fprintf(f, "%s\n", k.c_str());
    std::fclose(f);
  }

  struct TRow {
    const char* Format;
    std::vector<const char*> Tags;
    std::function<std::unique_ptr<XBobjIndexFile>(XBO_dBaseFld*)> Make;
    TFigures Ours, Tdbf;
  };
  std::vector<TRow> rows;
  rows.push_back({"NDX", {"NAME"}, [&](XBO_dBaseFld* t) { return std::make_unique<XBobjNDXFile>(t, dir + "/name.ndx", true, true, false); }, {}, {}});
  rows.push_back({"MDX", {"NAME", "NUM"}, [&](XBO_dBaseFld* t) { return std::make_unique<XBobjMDXFile>(t, dir + "/index.mdx", true, true, false); }, {}, {}});
  rows.push_back({"CDX", {"NAME", "NUM"}, [&](XBO_dBaseFld* t) { return std::make_unique<XBobjCDXFile>(t, dir + "/index.cdx", true, true, false); }, {}, {}});
  rows.push_back({"NTX", {"NAME"}, [&](XBO_dBaseFld* t) { return std::make_unique<XBobjNTXFile>(t, dir + "/name.ntx", true, true, false); }, {}, {}});
  for (TRow& row : rows) {
    XBO_dBaseFld t(table, true, false);
    auto file = row.Make(&t);
    row.Ours = Measure(*file, row.Tags, keys);
  }
  bool tdbf = RunTdbf(copy, keysFile, rows[0].Tdbf, rows[1].Tdbf);

  std::printf("%d records, %zu seeks of the text key (build: every tag of the file)\n", count, keys.size());
  std::printf("format  tags  build ms  seeks ms  found  |  TDbf build  TDbf seeks  |  TDbf/ours build  seeks\n");
  for (const TRow& row : rows) {
    std::printf("%-6s  %4zu  %8.0f  %8.0f  %5d", row.Format, row.Tags.size(), row.Ours.BuildMs, row.Ours.SeekMs,
                row.Ours.Found);
    if (tdbf && row.Tdbf.BuildMs > 0)
      std::printf("  |  %10.0f  %10.0f  |  %15.2f  %5.2f", row.Tdbf.BuildMs, row.Tdbf.SeekMs,
                  row.Tdbf.BuildMs / std::max(row.Ours.BuildMs, 1.0), row.Tdbf.SeekMs / std::max(row.Ours.SeekMs, 1.0));
    std::printf("\n");
  }
  if (!tdbf) std::printf("TDbf: not run (HORAVOX_TDBF_INDEX names no program; tools/bench.sh builds it with fpc)\n");
  return 0;
}
