// A second program for the engine's tests, run as another process:
//   hold <file> <offset> <length> <ready flag> <release flag>
//     opens the file shared, locks the range, writes the ready flag, and unlocks and ends
//     once the release flag exists;
//   append <table> <count> <tag> <start flag>
//     waits for the start flag, then appends count records to the shared table: tag in
//     the first field, the number 1..count in the second.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "child_process.h"
#include "classlib/exceptions.h"
#include "xbase/dbftable.h"
#include "xbase/diskfile.h"

namespace {

int Hold(char** argv) {
  XBO_DiskFile f(argv[2], true, true);
  f.Open();
  if (!f.LockRegion(std::strtoull(argv[3], nullptr, 10), std::strtoull(argv[4], nullptr, 10))) return 2;
  xbtest::TouchFile(argv[5]);
  if (!xbtest::WaitForFile(argv[6])) return 3;
  f.Unlock();
  return 0;
}

int AppendRecords(char** argv) {
  XBO_dBaseFld t(argv[2], true, true);
  int count = std::atoi(argv[3]);
  if (!xbtest::WaitForFile(argv[5])) return 3;
  for (int i = 1; i <= count; ++i) {
    t.BlankRecord();
    t.PutText(1, argv[4]);
    t.PutNumber(2, i);
    t.Append();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "hold" && argc == 7) return Hold(argv);
    if (command == "append" && argc == 6) return AppendRecords(argv);
    std::fprintf(stderr, "usage: xbase_helper hold|append ...\n");
    return 1;
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.Message.c_str());
    return 4;
  }
}
