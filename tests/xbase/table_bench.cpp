// Appends 1,000,000 records (C(20), N(10,2), D, L) to a new exclusive table and reads them
// back summing the amounts, beside a TDbf program doing the same on the same disk in the
// same run (tools/bench.sh builds it and names it in HORAVOX_TDBF_BENCH). Prints records per
// second for both, their ratio and both sums. Appends are batched by the header write that
// the table lock defers, nothing else.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "classlib/files.h"
#include "xbase/dates.h"
#include "xbase/dbftable.h"

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
  double appendMs, readMs, sum = 0;
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
  }
  std::printf("engine: %d records, append %.0f records/s, read %.0f records/s, sum %.2f\n", count,
              count / appendMs * 1000, count / readMs * 1000, sum);

  const char* tdbf = std::getenv("HORAVOX_TDBF_BENCH");
  if (!tdbf || !FileExists(tdbf)) {
    std::printf("TDbf: not built (tools/bench.sh builds it with fpc)\n");
    return 0;
  }
  std::string command = std::string(tdbf) + " " + dir + " " + std::to_string(count);
  double tdbfAppendMs = 0, tdbfReadMs = 0, tdbfSum = 0;
  if (std::FILE* p = popen(command.c_str(), "r")) {
    if (std::fscanf(p, "%lf %lf %lf", &tdbfAppendMs, &tdbfReadMs, &tdbfSum) != 3) tdbfAppendMs = 0;
    pclose(p);
  }
  if (tdbfAppendMs <= 0) {
    std::printf("TDbf: no figures\n");
    return 0;
  }
  std::printf("TDbf:   %d records, append %.0f records/s, read %.0f records/s, sum %.2f\n", count,
              count / tdbfAppendMs * 1000, count / std::max(tdbfReadMs, 1.0) * 1000, tdbfSum);
  std::printf("engine / TDbf: append %.2f, read %.2f\n", tdbfAppendMs / appendMs, std::max(tdbfReadMs, 1.0) / readMs);
  return 0;
}
