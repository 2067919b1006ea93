#include <gtest/gtest.h>

#include "raised.h"

#include "classlib/core/files.h"
#include "child_process.h"
#include "test_paths.h"
#include "xbase/diskfile.h"
#include "xbase/errors.h"
#include "xbase/filebackend_memory.h"

namespace {

using xbtest::RaisedBy;

class MemoryFiles : public ::testing::Test {
 protected:
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope{fs};
  std::string name = fs.FullName("T.DBF");
  void SetUp() override { fs.SetFile("T.DBF", "0123456789"); }
};

TEST_F(MemoryFiles, RegionLocksNestAndReleaseAsOneRegion) {
  XBO_DiskFile f("T.DBF", true, true);
  f.Open();
  EXPECT_TRUE(f.LockRegion(100, 1));
  EXPECT_TRUE(f.LockRegion(100, 1));
  EXPECT_FALSE(f.LockRegion(200, 1));
  EXPECT_EQ(f.LastError(), 33);
  EXPECT_TRUE(f.Unlock());
  EXPECT_EQ(f.LockCount(), 1);
  EXPECT_TRUE(f.Unlock());
  EXPECT_TRUE(f.Unlock());  // nothing held: a no-op
  EXPECT_EQ(fs.LockLog, std::vector<std::string>({"L 100 1", "U 100 1"}));
  // Truncating a shared file wants the whole-file lock.
  EXPECT_EQ(RaisedBy([&] { f.Truncate(4); }), "File access denied - " + name);
  EXPECT_TRUE(f.LockFile());
  EXPECT_TRUE(f.HasExclusiveAccess());
  f.Truncate(4);
  EXPECT_EQ(fs.FileBytes("T.DBF"), "0123");
}

TEST_F(MemoryFiles, AnUnsharedFileLocksNothingAndTruncates) {
  XBO_DiskFile f("T.DBF", true, false);
  f.Open();
  EXPECT_TRUE(f.LockRegion(100, 1));
  EXPECT_TRUE(f.LockRegion(100, 1));
  EXPECT_TRUE(f.LockRegion(200, 1));
  EXPECT_TRUE(fs.LockLog.empty());
  f.Truncate(2);
  EXPECT_EQ(fs.FileBytes("T.DBF"), "01");
}

TEST_F(MemoryFiles, ObjectsSharingAHandleExcludeEachOthersLocks) {
  XBO_DiskFile a("T.DBF", true, true), b("t.dbf", true, false);
  a.Open();
  b.Open();
  EXPECT_TRUE(b.Shared());  // the first opener's sharing wins
  EXPECT_TRUE(a.LockRegion(0x7FFFFFFE, 1));
  EXPECT_FALSE(b.LockRegion(0x7FFFFFFE, 1));
  EXPECT_EQ(b.LastError(), 33);
  EXPECT_TRUE(a.Unlock());
  EXPECT_TRUE(b.LockRegion(0x7FFFFFFE, 1));
  // Another handle (as another process has) is refused too, at 64-bit offsets as well.
  std::unique_ptr<TxbOsFile> other;
  ASSERT_EQ(fs.Open(name, true, true, other), 0);
  EXPECT_EQ(other->Lock(0x7FFFFFFE, 1), 33);
  EXPECT_EQ(other->Lock(0x1FFFFFFFEull, 1), 0);
}

TEST_F(MemoryFiles, ReadsAtTheEndAreShortButRaiseNothing) {
  XBO_DiskFile f("T.DBF", false, true);
  f.Open();
  char buf[10];
  EXPECT_EQ(f.Read(6, buf, 10), 4u);
  EXPECT_EQ(f.LastError(), 221);
  EXPECT_EQ(f.Read(10, buf, 10), 0u);
  EXPECT_EQ(f.LastError(), 221);
  EXPECT_EQ(f.Read(0, buf, 3), 3u);
  EXPECT_EQ(f.LastError(), 0);
  EXPECT_EQ(f.Position(), 3);
}

TEST_F(MemoryFiles, FailuresRaiseWithTheFileName) {
  XBO_DiskFile ro("T.DBF", false, true);
  ro.Open();
  // Writing through a handle held read-only fails at open.
  XBO_DiskFile rw("T.DBF", true, true);
  EXPECT_EQ(RaisedBy([&] { rw.Open(); }), "File access denied - " + name);
  EXPECT_EQ(RaisedBy([&] { ro.Write(0, "x", 1); }), "File access denied - " + name);
  // Creating a file this process has open.
  XBO_DiskFile again("T.DBF", true, true);
  EXPECT_EQ(RaisedBy([&] { again.CreateNew(); }), "Invalid file access code - " + name);
  EXPECT_EQ(fs.FileBytes("T.DBF"), "0123456789");
  XBO_DiskFile missing("NONE.DBF", false, true);
  EXPECT_FALSE(missing.Existed());
  EXPECT_EQ(RaisedBy([&] { missing.Open(); }), "File not found - " + fs.FullName("NONE.DBF"));
}

TEST_F(MemoryFiles, FailedWritesAreFailures) {
  XBO_DiskFile f("T.DBF", true, true);
  f.Open();
  fs.LimitWrites(3, 0);  // three bytes go, then the write stops with no error
  EXPECT_EQ(RaisedBy([&] { f.Write(0, "abcdef", 6); }), "Disk write error - " + name);
  fs.LimitWrites(0, 112);  // the disk is full
  EXPECT_EQ(RaisedBy([&] { f.Write(0, "abcdef", 6); }), "XBase Error 112, SubCode 1102.\r " + name + ">1102");
  fs.UnlimitWrites();
  f.Write(8, "XYZ", 3);
  EXPECT_EQ(fs.FileBytes("T.DBF"), "abc34567XYZ");
  EXPECT_EQ(f.FileSize(), 11);
}

TEST_F(MemoryFiles, CreateNewLeavesAFileOpenElsewhereAlone) {
  std::unique_ptr<TxbOsFile> other;
  ASSERT_EQ(fs.Open(name, false, true, other), 0);
  XBO_DiskFile f("T.DBF", true, true);
  EXPECT_EQ(RaisedBy([&] { f.CreateNew(); }), "File access denied - " + name);
  EXPECT_EQ(fs.FileBytes("T.DBF"), "0123456789");
  other.reset();
  f.CreateNew();
  EXPECT_TRUE(f.IsOpen());
  EXPECT_EQ(f.FileSize(), 0);
}

TEST_F(MemoryFiles, RenameKeepsTheObjectOpen) {
  XBO_DiskFile f("T.DBF", true, true);
  f.Open();
  EXPECT_TRUE(f.Rename("U.DBF"));
  EXPECT_EQ(f.FileName(), fs.FullName("U.DBF"));
  EXPECT_TRUE(f.IsOpen());
  EXPECT_EQ(fs.FileBytes("U.DBF"), "0123456789");
  EXPECT_FALSE(fs.Exists(name));
}

// Real files in a fresh folder: every spelling of one file shares one handle.
TEST(DiskFiles, EverySpellingSharesOneHandle) {
  std::string dir = horavox::test::TempDir() + "spellings";
  ForceDirectories(dir + "/sub");
  std::string saved = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(dir));
  {
    XBO_DiskFile create("table.dbf", true, true);
    create.CreateNew();
    create.Write(0, "abc", 3);
  }
  std::vector<std::string> spellings = {"table.dbf", "./table.dbf", "sub/../table.dbf", "sub\\..\\table.dbf"};
#ifdef _WIN32
  spellings.push_back(".\\TABLE.DBF");
  spellings.push_back("./Table.dbf");
#endif
  std::vector<std::unique_ptr<XBO_DiskFile>> files;
  for (const auto& s : spellings) {
    files.push_back(std::make_unique<XBO_DiskFile>(s, true, true));
    files.back()->Open();
    EXPECT_EQ(files.back()->FileName(), files.front()->FileName()) << s;
  }
  EXPECT_EQ(FindOpenFile(files.back()->FileName()), files.front().get());
  ASSERT_TRUE(files[0]->LockRegion(0x7FFFFFFE, 1));
  for (size_t i = 1; i < files.size(); ++i) EXPECT_FALSE(files[i]->LockRegion(0x7FFFFFFE, 1)) << spellings[i];
  files[0]->Close();
  char buf[3];
  EXPECT_EQ(files[1]->Read(0, buf, 3), 3u);  // the others still read
  EXPECT_TRUE(files[1]->LockRegion(0x7FFFFFFE, 1));
  files.clear();
  EXPECT_EQ(FindOpenFile(NormalizeFileName("table.dbf")), nullptr);
  SetCurrentDir(saved);
}

}  // namespace

namespace {

// Another process holds a range: the lock is refused until it lets go, and creating the
// file anew leaves it as it is. (Only lock against lock is asserted: Wine lets reads and
// writes through a locked range.)
TEST(DiskFiles, AnotherProcessHoldsARange) {
  std::string dir = horavox::test::TempDir() + "holder";
  ForceDirectories(dir);
  std::string name = dir + "/held.dbf", ready = dir + "/ready", release = dir + "/release";
  {
    XBO_DiskFile create(name, true, true);
    create.CreateNew();
    create.Write(0, "keep me", 7);
  }
  xbtest::TChildProcess holder(xbtest::HelperPath(), {"hold", name, "2147483646", "1", ready, release});
  ASSERT_TRUE(xbtest::WaitForFile(ready));
  {
    XBO_DiskFile f(name, true, true);
    f.Open();
    EXPECT_FALSE(f.LockRegion(0x7FFFFFFE, 1));
    EXPECT_EQ(f.LastError(), 33);
    EXPECT_TRUE(f.LockRegion(0x7FFFFFFD, 1));  // the bytes beside it are free
    f.Unlock();
  }
  {
    XBO_DiskFile again(name, true, true);
    EXPECT_EQ(RaisedBy([&] { again.CreateNew(); }), "File access denied - " + NormalizeFileName(name));
  }
  xbtest::TouchFile(release);
  EXPECT_EQ(holder.Wait(), 0);
  XBO_DiskFile f(name, true, true);
  f.Open();
  EXPECT_TRUE(f.LockRegion(0x7FFFFFFE, 1));
  char buf[8] = {};
  EXPECT_EQ(f.Read(0, buf, 7), 7u);
  EXPECT_STREQ(buf, "keep me");
}

}  // namespace
