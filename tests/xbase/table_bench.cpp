// Appends 1,000,000 records (C(20), N(10,2), D, L) to a new exclusive table and reads them
// back summing the amounts, beside a TDbf program doing the same on the same disk in the
// same run (tools/bench.sh builds it and names it in HORAVOX_TDBF_BENCH). Prints records per
// second for both, their ratio and both sums. Appends are batched by the header write that
// the table lock defers, nothing else. Then both filter the table by one expression text
// (compiled once here, evaluated on every record): records per second, the ratio, both counts,
// our compile time and how many allocations our evaluation made.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "classlib/core/files.h"
#include "xbase/dates.h"
#include "xbase/dbftable.h"
#include "xbase/tablelink.h"

// Counts allocations, to show what filtering allocates per record.
static std::size_t gAllocations = 0;
void* operator new(std::size_t n) {
  ++gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

static const char kFilter[] = "AMOUNT > 100 AND UPPER(SUBSTR(NAME, 1, 1)) = \"N\"";

int main(int argc, char** argv) {
  const int count = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 1000000;
  std::string dir = ExpandFileName("xbase-bench");
  ForceDirectories(dir);
  std::string table = dir + "/engine.dbf";
  DeleteFile(table);
  DeleteFile(dir + "/tdbf.dbf");
  using Clock = std::chrono::steady_clock;
  auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };

  CreateTable(table, 0x03, {{"NAME", 'C', 20}, {"AMOUNT", 'N', 10, 2}, {"DAY", 'D', 8}, {"FLAG", 'L', 1}});
  double appendMs, readMs, sum = 0, compileUs, filterMs;
  std::size_t allocations;
  int passed = 0;
  {
    XBO_dBaseFld t(table, true, false);
    std::int32_t first = DateObject().TextToJulian("20260101");
    auto start = Clock::now();
    t.LockTable();
    for (int i = 1; i <= count; ++i) {
      t.BlankRecord();
      t.PutText(1, "name" + std::to_string(i));
      t.PutNumber(2, (i % 1000) / 4.0);
      t.PutDate(3, first + i % 365);
      t.PutLogical(4, i % 2 == 1);
      t.Append();
    }
    t.UnlockTable();
    appendMs = ms(Clock::now() - start);
    start = Clock::now();
    for (t.Go(xbGoTop); !t.Eof(); t.Go(xbGoNext)) sum += t.GetNumber(2);
    readMs = ms(Clock::now() - start);
    start = Clock::now();
    TxbExpHandler filter(&t.ExpLink(), false, kFilter);
    compileUs = ms(Clock::now() - start) * 1000;
    start = Clock::now();
    t.Go(xbGoTop);
    passed += filter.Evaluate().Logical;  // the first evaluation sizes the buffers
    allocations = gAllocations;
    for (t.Go(xbGoNext); !t.Eof(); t.Go(xbGoNext)) passed += filter.Evaluate().Logical;
    allocations = gAllocations - allocations;
    filterMs = ms(Clock::now() - start);
  }
  std::printf("engine: %d records, append %.0f records/s, read %.0f records/s, sum %.2f\n", count,
              count / appendMs * 1000, count / readMs * 1000, sum);
  std::printf("engine: filter %s: compiled in %.0f us, %.0f records/s, %d passed, %zu allocations after the first record (reads included)\n",
              kFilter, compileUs, count / filterMs * 1000, passed, allocations);

  const char* tdbf = std::getenv("HORAVOX_TDBF_BENCH");
  if (!tdbf || !FileExists(tdbf)) {
    std::printf("TDbf: not built (tools/bench.sh builds it with fpc)\n");
    return 0;
  }
  std::string command = std::string(tdbf) + " " + dir + " " + std::to_string(count) + " '" + kFilter + "'";
  double tdbfAppendMs = 0, tdbfReadMs = 0, tdbfSum = 0, tdbfFilterMs = 0;
  int tdbfPassed = -1;
  if (std::FILE* p = popen(command.c_str(), "r")) {
    int got = std::fscanf(p, "%lf %lf %lf %lf %d", &tdbfAppendMs, &tdbfReadMs, &tdbfSum, &tdbfFilterMs, &tdbfPassed);
    if (got < 3) tdbfAppendMs = 0;
    if (got < 5) tdbfPassed = -1;
    pclose(p);
  }
  if (tdbfAppendMs <= 0) {
    std::printf("TDbf: no figures\n");
    return 0;
  }
  std::printf("TDbf:   %d records, append %.0f records/s, read %.0f records/s, sum %.2f\n", count,
              count / tdbfAppendMs * 1000, count / std::max(tdbfReadMs, 1.0) * 1000, tdbfSum);
  std::printf("engine / TDbf: append %.2f, read %.2f\n", tdbfAppendMs / appendMs, std::max(tdbfReadMs, 1.0) / readMs);
  if (tdbfPassed >= 0) {
    std::printf("TDbf:   filter %.0f records/s, %d passed\n", count / std::max(tdbfFilterMs, 1.0) * 1000, tdbfPassed);
    std::printf("engine / TDbf: filter %.2f\n", std::max(tdbfFilterMs, 1.0) / filterMs);
  }
  return 0;
}
