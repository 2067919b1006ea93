// Two programs append to one shared table at the same time: nothing is lost.
#include <gtest/gtest.h>

#include <set>

#include "child_process.h"
#include "classlib/core/files.h"
#include "test_paths.h"
#include "xbase/dbftable.h"

namespace {

TEST(SharedAppends, TwoProgramsAtOnce) {
  std::string dir = horavox::test::TempDir() + "appenders";
  ForceDirectories(dir);
  std::string table = dir + "/shared.dbf", start = dir + "/start";
  CreateTable(table, 0x03, {{"WHO", 'C', 8}, {"N", 'N', 6}});
  {
    xbtest::TChildProcess first(xbtest::HelperPath(), {"append", table, "300", "first", start});
    xbtest::TChildProcess second(xbtest::HelperPath(), {"append", table, "300", "second", start});
    xbtest::TouchFile(start);
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(second.Wait(), 0);
  }
  XBO_dBaseFld t(table, false, true);
  ASSERT_EQ(t.RecordCount(), 600);
  std::set<std::string> seen;
  for (int r = 1; r <= 600; ++r) {
    t.Go(r);
    seen.insert(t.FieldText(1) + t.FieldText(2));
  }
  EXPECT_EQ(seen.size(), 600u);
  char header[8];
  ASSERT_EQ(t.Read(0, header, 8), 8u);
  EXPECT_EQ(GetLE32(header + 4), 600u);
  EXPECT_EQ(t.FileSize(), t.HeaderLength() + 600 * t.RecordLength() + 1);
}

}  // namespace
