#include <gtest/gtest.h>

#include "raised.h"

#include <functional>
#include <string>

using namespace std::string_literals;

#include "xbase/dbftable.h"
#include "xbase/errors.h"
#include "xbase/filebackend_memory.h"

namespace {

using xbtest::RaisedBy;

std::uint32_t LE32(const std::string& s, size_t at) { return GetLE32(s.data() + at); }
std::uint32_t BE32(const std::string& s, size_t at) { return GetBE32(s.data() + at); }

// Text without 0x1A (the dBase III terminator).
std::string Text(size_t n, char seed = 'a') {
  std::string s(n, ' ');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i % 26);
  return s;
}

class MemoFiles : public ::testing::TestWithParam<int> {
 protected:
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope{fs};
  std::uint8_t version() const { return static_cast<std::uint8_t>(GetParam()); }
  std::string memoName() const { return version() == 0x30 || version() == 0xF5 ? "M.FPT" : "M.DBT"; }
  void SetUp() override {
    CreateTable("M.DBF", version(), {{"ID", 'N', 5}, {"TXT", 'M', version() == 0x30 ? 4 : 10}});
  }
};

TEST_P(MemoFiles, ValuesRoundTripWithTheFormatsBytes) {
  for (size_t length : {size_t(1), size_t(509), size_t(510), size_t(511), size_t(512), size_t(513), size_t(10000),
                        size_t(70000)}) {
    SCOPED_TRACE(length);
    CreateTable("M.DBF", version(), {{"ID", 'N', 5}, {"TXT", 'M', version() == 0x30 ? 4 : 10}});
    std::string value = Text(length);
    {
      XBO_dBaseFld t("M.DBF", true, false);
      t.BlankRecord();
      t.MemoWrite(2, value);
      t.Append();
    }
    XBO_dBaseFld t("M.DBF", false, false);
    t.Go(1);
    EXPECT_EQ(t.MemoRead(2), value);
    EXPECT_EQ(t.MemoSize(2), static_cast<std::int64_t>(length));
    EXPECT_EQ(t.FieldDisplay(2), "---MEMO---");
    std::string file = fs.FileBytes(memoName());
    switch (version()) {
      case 0x83:  // the value and two 0x1A, next free block in the header
        EXPECT_EQ(t.GetNumber(2), 1);
        EXPECT_EQ(file.substr(512, length + 2), value + "\x1A\x1A");
        EXPECT_EQ(LE32(file, 0), 1 + (length + 2 + 511) / 512);
        EXPECT_EQ(file.substr(8, 9), std::string("M\0\0\0\0\0\0\0\0", 9));
        break;
      case 0x8B:  // FF FF 08 00, the length with its header, the value
        EXPECT_EQ(t.GetNumber(2), 1);
        EXPECT_EQ(file.substr(512, 4), "\xFF\xFF\x08\x00"s);
        EXPECT_EQ(LE32(file, 516), length + 8);
        EXPECT_EQ(file.substr(520, length), value);
        EXPECT_EQ(LE32(file, 0), 1 + (length + 8 + 511) / 512);
        EXPECT_EQ(LE32(file, 20), 512u);
        break;
      default:  // big-endian type 1, length, value; blocks of 64 after a 512-byte header
        EXPECT_EQ(t.GetNumber(2), 8);
        EXPECT_EQ(BE32(file, 512), 1u);
        EXPECT_EQ(BE32(file, 516), length);
        EXPECT_EQ(file.substr(520, length), value);
        EXPECT_EQ(BE32(file, 0), 8 + (length + 8 + 63) / 64);
        EXPECT_EQ(GetBE16(file.data() + 6), 64);
        break;
    }
  }
}

TEST_P(MemoFiles, AnEmptyValueNeedsNoBlock) {
  XBO_dBaseFld t("M.DBF", true, false);
  t.BlankRecord();
  std::string before = fs.FileBytes(memoName());
  t.MemoWrite(2, "");
  t.Append();
  EXPECT_EQ(t.GetNumber(2), 0);
  EXPECT_EQ(t.MemoRead(2), "");
  EXPECT_EQ(t.FieldDisplay(2), "---memo---");
  EXPECT_EQ(fs.FileBytes(memoName()), before);
}

TEST_P(MemoFiles, AStaleHeaderNeverLetsNewValuesOverwrite) {
  XBO_dBaseFld t("M.DBF", true, false);
  t.BlankRecord();
  t.MemoWrite(2, Text(1500));
  t.Append();
  // Another program left the header's next free block behind the data.
  std::string file = fs.FileBytes(memoName());
  if (version() == 0x30 || version() == 0xF5)
    PutBE32(file.data(), 8);
  else
    PutLE32(file.data(), 1);
  fs.SetFile(memoName(), file);
  t.BlankRecord();
  if (version() == 0x8B) {
    // There the header heads the free chain: a link into a stored value is refused.
    EXPECT_EQ(RaisedBy([&] { t.MemoWrite(2, Text(700, 'A')); }),
              "dBase memo record has format error - " + fs.FullName(memoName()));
    t.Go(1);
    EXPECT_EQ(t.MemoRead(2), Text(1500));
    return;
  }
  t.MemoWrite(2, Text(700, 'A'));
  t.Append();
  t.Go(1);
  EXPECT_EQ(t.MemoRead(2), Text(1500));
  t.Go(2);
  EXPECT_EQ(t.MemoRead(2), Text(700, 'A'));
}

INSTANTIATE_TEST_SUITE_P(Formats, MemoFiles, ::testing::Values(0x83, 0x8B, 0xF5, 0x30),
                         [](const auto& info) { return "v" + std::to_string(info.param); });

// The dBase IV free chain: freed values join it, the first run that fits is taken, and
// what is left of a longer run stays free.
TEST(Memo4Chain, FirstFitAndSplitRuns) {
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope(fs);
  CreateTable("C.DBF", 0x8B, {{"TXT", 'M', 10}});
  XBO_dBaseFld t("C.DBF", true, false);
  auto file = [&] { return fs.FileBytes("C.DBT"); };
  auto run = [&](std::uint32_t block) {
    std::string f = file();
    return std::make_pair(LE32(f, block * 512), LE32(f, block * 512 + 4));
  };
  t.BlankRecord();
  t.MemoWrite(1, Text(1000));  // 2 blocks: 1-2
  t.Append();
  t.BlankRecord();
  t.MemoWrite(1, Text(100));  // 1 block: 3
  t.Append();
  EXPECT_EQ(LE32(file(), 0), 4u);
  t.Go(1);
  t.MemoWrite(1, Text(2000));  // longer: 4 blocks at the end; 1-2 freed
  t.PutRec(1);
  EXPECT_EQ(t.GetNumber(1), 4);
  EXPECT_EQ(LE32(file(), 0), 1u);
  EXPECT_EQ(run(1), std::make_pair(8u, 2u));
  t.MemoWrite(1, Text(300));  // shorter: first fit takes its own freed run, the rest stays free
  t.PutRec(1);
  EXPECT_EQ(t.GetNumber(1), 4);
  EXPECT_EQ(LE32(file(), 0), 5u);
  EXPECT_EQ(run(5), std::make_pair(1u, 3u));
  t.BlankRecord();
  t.MemoWrite(1, Text(600));  // 2 blocks from the run at 5, one left at 7
  t.Append();
  EXPECT_EQ(t.GetNumber(1), 5);
  EXPECT_EQ(LE32(file(), 0), 7u);
  EXPECT_EQ(run(7), std::make_pair(1u, 1u));
  t.Go(2);
  t.MemoWrite(1, "");  // freed: block 3 heads the chain
  t.PutRec(2);
  EXPECT_EQ(t.FieldText(1), std::string(10, ' '));
  EXPECT_EQ(LE32(file(), 0), 3u);
  EXPECT_EQ(run(3), std::make_pair(7u, 1u));
  for (int r = 1; r <= 3; ++r) {
    t.Go(r);
    EXPECT_EQ(t.MemoRead(1), r == 1 ? Text(300) : r == 2 ? "" : Text(600)) << r;
  }
}

// Memo files that do not fit what their headers say fail cleanly.
TEST(CorruptMemos, RaiseAFormatError) {
  struct Case {
    const char* what;
    std::uint8_t version;
    std::function<void(std::string&)> spoil;
  } cases[] = {
      {"length beyond the file", 0x8B, [](std::string& f) { PutLE32(f.data() + 516, 1u << 30); }},
      {"length below its header", 0x8B, [](std::string& f) { PutLE32(f.data() + 516, 3); }},
      {"no FF FF", 0x8B, [](std::string& f) { f[512] = 0; }},
      {"block size 0", 0x8B, [](std::string& f) { PutLE32(f.data() + 20, 0); }},
      {"FoxPro length beyond the file", 0xF5, [](std::string& f) { PutBE32(f.data() + 516, 1u << 30); }},
      {"FoxPro type 7", 0xF5, [](std::string& f) { PutBE32(f.data() + 512, 7); }},
      {"FoxPro block size 0", 0xF5, [](std::string& f) { f[6] = f[7] = 0; }},
      {"block beyond the file", 0x83, [](std::string& f) { f.resize(512); }},
  };
  for (const auto& c : cases) {
    TxbMemoryFileSystem fs;
    TxbFileSystemScope scope(fs);
    CreateTable("K.DBF", c.version, {{"TXT", 'M', 10}});
    std::string memoName = c.version == 0xF5 ? "K.FPT" : "K.DBT";
    {
      XBO_dBaseFld t("K.DBF", true, false);
      t.BlankRecord();
      t.MemoWrite(1, Text(100));
      t.Append();
    }
    std::string file = fs.FileBytes(memoName);
    c.spoil(file);
    fs.SetFile(memoName, file);
    XBO_dBaseFld t("K.DBF", true, false);
    t.Go(1);
    EXPECT_EQ(RaisedBy([&] { t.MemoRead(1); }), "dBase memo record has format error - " + fs.FullName(memoName))
        << c.what;
  }
}

TEST(CorruptMemos, AFreeChainThatLoopsEnds) {
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope(fs);
  CreateTable("L.DBF", 0x8B, {{"TXT", 'M', 10}});
  XBO_dBaseFld t("L.DBF", true, false);
  t.BlankRecord();
  t.MemoWrite(1, Text(2000));  // blocks 1-4
  t.Append();
  std::string file = fs.FileBytes("L.DBT");
  PutLE32(file.data(), 2);  // the chain: 2 -> 3 -> 2 …, each run too short
  PutLE32(file.data() + 2 * 512, 3), PutLE32(file.data() + 2 * 512 + 4, 1);
  PutLE32(file.data() + 3 * 512, 2), PutLE32(file.data() + 3 * 512 + 4, 1);
  fs.SetFile("L.DBT", file);
  t.BlankRecord();
  EXPECT_EQ(RaisedBy([&] { t.MemoWrite(1, Text(1500)); }), "dBase memo record has format error - " + fs.FullName("L.DBT"));
}

TEST(MemoFileMissing, RaisesFileNotFound) {
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope(fs);
  CreateTable("N.DBF", 0x83, {{"TXT", 'M', 10}});
  fs.SetFile("N.DBT", "");
  std::string dbt = fs.FullName("N.DBT");
  {
    // Only the memo file's absence matters here: remove it by renaming.
    ASSERT_EQ(fs.Rename(dbt, fs.FullName("GONE.DBT")), 0);
  }
  XBO_dBaseFld t("N.DBF", false, false);
  t.BlankRecord();
  EXPECT_EQ(RaisedBy([&] { t.MemoSize(1); }), "File not found - " + dbt);
}

TEST(MemoLocks, TheHeaderLockLiesWhereTheProtocolSays) {
  struct Case {
    TxbLokProtocol protocol;
    const char* lock;
  } cases[] = {
      {TxbLokProtocol::Default, "L 2147483645 1"},
      {TxbLokProtocol::FoxLock, "L 2147483645 1"},
      {TxbLokProtocol::DB4Lock, "L 4026531838 2"},
      {TxbLokProtocol::ClipLock, "L 1000000000 1"},
  };
  for (const auto& c : cases) {
    TxbMemoryFileSystem fs;
    TxbFileSystemScope scope(fs);
    CreateTable("P.DBF", 0x83, {{"TXT", 'M', 10}});
    XBO_dBaseFld t("P.DBF", true, true);
    t.SetLockProtocol(c.protocol);
    t.BlankRecord();
    fs.LockLog.clear();
    t.MemoWrite(1, "x");
    ASSERT_EQ(fs.LockLog.size(), 2u);
    EXPECT_EQ(fs.LockLog[0], c.lock);
    EXPECT_EQ(fs.LockLog[1], "U" + std::string(c.lock).substr(1));
  }
}

}  // namespace
