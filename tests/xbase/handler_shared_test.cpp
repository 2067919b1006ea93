// Two programs share one table and its indexes through the indexed table: nothing is lost,
// every record is found on every tag, and one program's rewrite reaches the other.
#include <gtest/gtest.h>

#include <set>

#include "child_process.h"
#include "classlib/core/files.h"
#include "test_paths.h"
#include "xbase/numbers.h"
#include "xbase/xbcdx.h"
#include "xbase/xbhandler.h"
#include "xbase/xbntx.h"

namespace {

TEST(SharedHandler, TwoProgramsAppendThroughEveryIndex) {
  std::string dir = horavox::test::TempDir() + "handler-shared";
  ForceDirectories(dir);
  std::string table = dir + "/shared.dbf", start = dir + "/start";
  const std::string list = "both.cdx, bywho.ntx";
  CreateTable(table, 0x03, {{"WHO", 'C', 8}, {"N", 'N', 6}});
  {
    XBO_dBaseFld t(table, true, false);
    XBobjCDXFile cdx(&t, dir + "/both.cdx", true, true, false);
    cdx.AddTag("WHON", "WHO+STR(N,6)", "", false, false);
    cdx.AddTag("NWHO", "STR(N,6)+WHO", "", false, true);
    XBobjNTXFile ntx(&t, dir + "/bywho.ntx", true, true, false);
    ntx.AddTag("", "WHO+STR(N,6)", "", false, false);
  }
  {
    xbtest::TChildProcess first(xbtest::HelperPath(), {"handlerappend", table, list, "300", "first", start});
    xbtest::TChildProcess second(xbtest::HelperPath(), {"handlerappend", table, list, "300", "second", start});
    xbtest::TouchFile(start);
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(second.Wait(), 0);
  }
  XBO_dBHandler t(table, true, true);
  ASSERT_EQ(t.OpenIndexList(list, ""), 0);
  ASSERT_EQ(t.LiveRecordCount(), 600);
  std::set<std::string> seen;
  for (std::int32_t r = 1; r <= 600; ++r) {
    t.Go(r);
    std::string who = t.FieldText(1), n = FormatNumberWidth(t.GetNumber(2), 6, 0);
    seen.insert(who + n);
    ASSERT_EQ(t.FindKeyInTag("WHON", who + n), r);
    ASSERT_EQ(t.FindKeyInTag("NWHO", n + who), r);
    ASSERT_EQ(t.FindKeyInTag("BYWHO", who + n), r);
  }
  EXPECT_EQ(seen.size(), 600u);

  // Read ahead over the first records, then another program rewrites one of them: the
  // changed header drops what was read ahead.
  t.SetMasterTag("", false);
  ASSERT_TRUE(t.ReadAheadActive());
  t.Go(xbGoTop);
  std::string oldKey = t.FieldText(1) + FormatNumberWidth(t.GetNumber(2), 6, 0);
  t.Go(xbGoNext);
  {
    xbtest::TChildProcess other(xbtest::HelperPath(), {"handlerrewrite", table, list, "1", "changed", "999"});
    EXPECT_EQ(other.Wait(), 0);
  }
  t.Go(1);
  EXPECT_EQ(t.FieldText(1), "changed ");
  ASSERT_TRUE(t.LockRecord());  // as an edit does: locked, read again
  t.Go(1);
  EXPECT_EQ(t.GetNumber(2), 999);
  t.Unlock();
  t.SetMasterTag("WHON", false);
  t.SetExactMatch(true);
  EXPECT_TRUE(t.SeekKey("changed    999"));
  EXPECT_EQ(t.RecNo(), 1);
  EXPECT_FALSE(t.SeekKey(oldKey));
}

// The password change swaps a whole new table file in on the operating system's files too.
TEST(SharedHandler, PasswordChangeOnDisk) {
  std::string dir = horavox::test::TempDir() + "handler-password";
  ForceDirectories(dir);
  std::string table = dir + "/secret.dbf";
  CreateTable(table, 0x8B, {{"WHO", 'C', 8}, {"NOTE", 'M', 10}});
  {
    XBO_dBHandler t(table, true, false);
    for (int i = 1; i <= 3; ++i) {
      t.BlankRecord();
      t.PutText(1, "who" + std::to_string(i));
      t.Append();
      t.MemoWrite(2, "memo " + std::to_string(i));
      t.PutRec(i);
    }
    t.ChangePassword("key");
    t.Go(2);
    EXPECT_EQ(t.MemoRead(2), "memo 2");
  }
  XBO_dBHandler t(table, true, false, "key");
  ASSERT_EQ(t.RecordCount(), 3);
  t.Go(3);
  EXPECT_EQ(t.FieldText(1), "who3    ");
  EXPECT_EQ(t.MemoRead(2), "memo 3");
  EXPECT_FALSE(FileExists(dir + "/secret.$PW"));
}

}  // namespace
