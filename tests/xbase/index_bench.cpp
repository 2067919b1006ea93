// The key sorter beside std::stable_sort on the same 1,000,000 (key, record) pairs (text keys
// of 10 letters), then a compound index built over a 1,000,000-record table on disk and
// 100,000 random seeks in it. Prints milliseconds and the sorter's ratio to stable_sort.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "classlib/files.h"
#include "xbase/dbftable.h"
#include "xbase/xbcdx.h"
#include "xbase/xbsort.h"

int main(int argc, char** argv) {
  const int count = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 1000000;
  using Clock = std::chrono::steady_clock;
  auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
  std::mt19937 rng(1);
  std::vector<std::pair<std::string, std::uint32_t>> pairs;
  pairs.reserve(static_cast<std::size_t>(count));
  for (int i = 1; i <= count; ++i) {
    std::string key(10, ' ');
    for (char& c : key) c = static_cast<char>('A' + rng() % 26);
    pairs.emplace_back(key, static_cast<std::uint32_t>(i));
  }
  std::shuffle(pairs.begin(), pairs.end(), rng);

  auto reference = pairs;
  auto start = Clock::now();
  std::stable_sort(reference.begin(), reference.end());
  double stableMs = ms(Clock::now() - start);

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
  double sortMs = ms(Clock::now() - start);
  std::printf("sorter: %d pairs in %.0f ms, std::stable_sort %.0f ms, ratio %.2f (runs %d, %zu out of order)\n", count,
              sortMs, stableMs, sortMs / stableMs, sort.RunCount(), misplaced);

  std::string dir = ExpandFileName("xbase-bench");
  ForceDirectories(dir);
  std::string table = dir + "/index.dbf", index = dir + "/index.cdx";
  DeleteFile(table);
  DeleteFile(index);
  CreateTable(table, 0x03, {{"NAME", 'C', 10}, {"NUM", 'N', 12, 2}});
  {
    XBO_dBaseFld t(table, true, false);
    t.LockTable();
    for (int i = 0; i < count; ++i) {
      t.BlankRecord();
      t.PutText(1, pairs[static_cast<std::size_t>(i)].first);
      t.PutNumber(2, static_cast<double>(rng() % 2000000) / 100 - 10000);
      t.Append();
    }
    t.UnlockTable();
  }
  XBO_dBaseFld t(table, true, false);
  XBobjCDXFile cdx(&t, index, true, true, false);
  start = Clock::now();
  XBobjIndexTag& name = *cdx.AddTag("NAME", "NAME", "", false, false);
  double buildMs = ms(Clock::now() - start);
  start = Clock::now();
  int found = 0;
  for (int i = 0; i < 100000; ++i) {
    v.SetString(pairs[rng() % pairs.size()].first);
    found += name.TagSeek(v);
  }
  double seekMs = ms(Clock::now() - start);
  std::printf("cdx: %d-record tag built in %.0f ms (%lld bytes); 100000 seeks in %.0f ms (%d found)\n", count, buildMs,
              static_cast<long long>(std::filesystem::file_size(index)), seekMs, found);
  return 0;
}
