#include <gtest/gtest.h>

#include "raised.h"

#include <cstring>
#include <functional>
#include <set>
#include <string>

#include "classlib/core/clock.h"
#include "xbase/dates.h"
#include "xbase/dbftable.h"
#include "xbase/errors.h"
#include "xbase/filebackend_memory.h"

using namespace std::string_literals;

namespace {

using xbtest::RaisedBy;

class Tables : public ::testing::Test {
 protected:
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope{fs};
  std::string Name(const char* file) { return fs.FullName(file); }
};

// A header with the given lengths and descriptors (each {name, type, length, decimals}).
std::string Header(std::uint8_t version, int headerLength, int recordLength,
                   const std::vector<std::tuple<std::string, char, int, int>>& fields, bool terminator = true) {
  std::string h(std::max<int>(headerLength, 32 + 32 * fields.size() + 1), '\0');
  h[0] = static_cast<char>(version);
  PutLE16(h.data() + 8, static_cast<std::uint16_t>(headerLength));
  PutLE16(h.data() + 10, static_cast<std::uint16_t>(recordLength));
  for (size_t i = 0; i < fields.size(); ++i) {
    char* d = h.data() + 32 + 32 * i;
    auto& [name, type, length, decimals] = fields[i];
    std::memcpy(d, name.data(), name.size());
    d[11] = type;
    d[16] = static_cast<char>(length);
    d[17] = static_cast<char>(decimals);
  }
  if (terminator) h[32 + 32 * fields.size()] = 0x0D;
  h.resize(headerLength);
  return h;
}

TEST_F(Tables, OpenChecksTrustNothingRead) {
  std::string invalid = "dBase DBF file header invalid - " + Name("T.DBF");
  struct Case {
    const char* what;
    std::string bytes;
    std::string result;  // the message, or "fields N records M"
  } cases[] = {
      {"version 4", Header(0x04, 65, 11, {{"A", 'C', 10, 0}}), invalid},
      {"record length 0", Header(0x03, 65, 0, {{"A", 'C', 10, 0}}), invalid},
      {"header length 32", Header(0x03, 32, 11, {}), invalid},
      {"a field past the record", Header(0x03, 65, 5, {{"A", 'C', 10, 0}}), invalid},
      {"fields one byte past the record", Header(0x03, 65, 10, {{"A", 'C', 10, 0}}) + std::string(20, 'x') + "\x1A",
       invalid},
      {"fields filling the record", Header(0x03, 97, 11, {{"A", 'C', 6, 0}, {"B", 'C', 4, 0}}),
       "fields 2 records 0"},
      {"no fields", Header(0x03, 33, 1, {}), invalid},
      {"ten bytes", "\x03\x01\x02\x03\x00\x00\x00\x00\x41\x00"s, invalid},
      {"VFP header below 296", Header(0x30, 65, 11, {{"A", 'C', 10, 0}}), invalid},
      {"padding after the terminator", Header(0x03, 129, 11, {{"A", 'C', 10, 0}}) + std::string(22, 'x'),
       "fields 1 records 2"},
      {"shorter than its header", Header(0x03, 65, 11, {{"A", 'C', 10, 0}}, false).substr(0, 64),
       "fields 1 records 0"},
      {"count 10, 12 records on disk",
       [] {
         std::string h = Header(0x03, 65, 11, {{"A", 'C', 10, 0}});
         PutLE32(h.data() + 4, 10);
         return h + std::string(12 * 11, ' ') + "\x1A";
       }(),
       "fields 1 records 12"},
  };
  for (const auto& c : cases) {
    fs.SetFile("T.DBF", c.bytes);
    std::string result = RaisedBy([&] {
      XBO_dBaseFld t("T.DBF", false, false);
      throw Exception("fields " + std::to_string(t.FieldCount()) + " records " + std::to_string(t.RecordCount()));
    });
    EXPECT_EQ(result, c.result) << c.what;
  }
}

TEST_F(Tables, GoMovesAndMarksTheEnds) {
  CreateTable("G.DBF", 0x03, {{"A", 'C', 3}});
  XBO_dBaseFld t("G.DBF", true, false);
  t.Go(xbGoTop);
  EXPECT_TRUE(t.Eof() && t.Bof());  // an empty table
  for (const char* v : {"one", "two", "six"}) {
    t.BlankRecord();
    t.PutText(1, v);
    t.Append();
  }
  t.Go(0);
  EXPECT_EQ(t.RecNo(), 3);
  t.Go(1);
  EXPECT_EQ(t.FieldText(1), "one");
  t.Go(xbGoPrior);
  EXPECT_TRUE(t.Bof());
  EXPECT_EQ(t.RecNo(), 1);
  t.Go(xbGoNext);
  EXPECT_EQ(t.FieldText(1), "two");
  t.PutText(1, "xxx");
  t.Go(xbGoAgain);  // read again: the change was not written
  EXPECT_EQ(t.FieldText(1), "two");
  t.Go(xbGoBottom);
  EXPECT_EQ(t.RecNo(), 3);
  t.Go(4);
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(RaisedBy([&] { t.Go(5); }), "dBase record request beyond EOF - " + Name("G.DBF"));
  EXPECT_EQ(RaisedBy([&] { t.Go(-9); }), "dBase record request beyond EOF - " + Name("G.DBF"));
  // A record cut short by the end of the file is beyond it, not half old.
  std::string file = fs.FileBytes("G.DBF");
  fs.SetFile("G.DBF", file.substr(0, file.size() - 3));
  XBO_dBaseFld cut("G.DBF", false, true);
  EXPECT_EQ(cut.RecordCount(), 2);
}

TEST_F(Tables, TypedPutAndGet) {
  CreateTable("F.DBF", 0x03, {{"NUM", 'N', 5, 1}, {"INT", 'N', 3}, {"DEC", 'N', 5, 2}, {"FLAG", 'L', 1},
                              {"DAY", 'D', 8}, {"NAME", 'C', 300}, {"FLT", 'F', 8, 2}});
  std::string file = fs.FileBytes("F.DBF");
  EXPECT_EQ(static_cast<unsigned char>(file[32 + 5 * 32 + 16]), 44);  // C(300): 44 + 256 × 1
  EXPECT_EQ(static_cast<unsigned char>(file[32 + 5 * 32 + 17]), 1);
  XBO_dBaseFld t("F.DBF", true, false);
  EXPECT_EQ(t.FieldLength(6), 300);
  t.BlankRecord();
  EXPECT_EQ(t.FieldText(1), "  0.0");
  EXPECT_EQ(t.FieldDisplay(1), "0.0");
  struct Case {
    int field;
    double value;
    const char* text;
  } numbers[] = {
      {1, 123.456, "123.5"}, {2, 2.5, "  3"}, {2, -2.5, " -3"}, {3, 0.125, " 0.13"}, {3, 2.675, " 2.68"},
      {7, -1234.5, "-1234.50"},
  };
  for (const auto& c : numbers) {
    t.PutNumber(c.field, c.value);
    EXPECT_EQ(t.FieldText(c.field), c.text) << c.value;
  }
  EXPECT_EQ(RaisedBy([&] { t.PutNumber(1, 123456); }), "Number too large to fit in field - NUM - 123456.0");
  EXPECT_EQ(t.FieldText(1), "123.5");
  EXPECT_DOUBLE_EQ(t.GetNumber(1), 123.5);
  struct Logical {
    const char* text;
    const char* stored;
  } logicals[] = {{"J", "T"}, {"y", "T"}, {"0", "F"}, {"1", "T"}, {"n", "F"}, {"", "F"}};
  for (const auto& c : logicals) {
    t.PutText(4, c.text);
    EXPECT_EQ(t.FieldText(4), c.stored) << c.text;
  }
  EXPECT_EQ(RaisedBy([&] { t.PutText(4, "x"); }), "dBase field is of incorrect type - FLAG");
  EXPECT_EQ(RaisedBy([&] { t.PutLogical(1, true); }), "dBase field is of incorrect type - NUM");
  // Dates in the Russian form, stored as yyyymmdd.
  t.PutText(5, "29.02.2000");
  EXPECT_EQ(t.FieldText(5), "20000229");
  EXPECT_EQ(t.FieldDisplay(5), "29.02.2000");
  EXPECT_EQ(DateObject().DateStorageText(t.DateByName("day")), "20000229");
  EXPECT_EQ(t.DateByName("NAME"), -1);
  t.PutText(5, "");
  EXPECT_EQ(t.FieldText(5), "        ");
  EXPECT_EQ(t.FieldDisplay(5), "          ");
  // Numbers read and write with "." under Russian settings.
  t.PutText(1, " 12.5 ");
  EXPECT_EQ(t.FieldText(1), " 12.5");
  EXPECT_EQ(RaisedBy([&] { t.PutText(1, "12,5"); }), "dBase field is of incorrect type - NUM");
  t.PutText(6, "Привет");
  EXPECT_EQ(t.FieldText(6).substr(0, 12), "Привет");
  EXPECT_EQ(RaisedBy([&] { t.FieldByName("NOPE"); }), "dBase field name is invalid - " + Name("F.DBF") + "->NOPE");
  EXPECT_EQ(t.FieldNumber("num  "), 1);
  t.PutRaw(2, "abc");
  EXPECT_EQ(RaisedBy([&] { t.GetNumber(2); }),
            "dBase field is of incorrect type - Invalid number in field F->INT (abc)");
  t.PutRaw(5, "2000-1-1");
  EXPECT_EQ(RaisedBy([&] { t.GetDate(5); }),
            "dBase field is of incorrect type - Invalid date in field F->DAY (2000-1-1)");
}

TEST_F(Tables, ExtendedTablesStoreBinaryValues) {
  CreateTable("V.DBF", 0x30, {{"I", 'I', 4}, {"B", 'B', 8}, {"T", 'T', 8}, {"Y", 'Y', 8}, {"M", 'M', 4}});
  {
    XBO_dBaseFld t("V.DBF", true, false);
    t.BlankRecord();
    EXPECT_EQ(t.FieldText(1), std::string(4, '\0'));
    t.PutNumber(1, -5);
    t.PutNumber(2, 3.25);
    std::int32_t j = DateObject().TextToJulian("20261210");
    double stamp = (static_cast<double>(j) - 1721425) * 86400000 + 13 * 3600000 + 678;
    t.PutNumber(3, stamp);
    t.PutNumber(4, 12.3456);
    t.MemoWrite(5, "memo");
    t.Append();
    EXPECT_EQ(RaisedBy([&] { t.PutNumber(1, 3e9); }), "Number too large to fit in field - I - 3000000000");
  }
  XBO_dBaseFld t("V.DBF", false, false);
  EXPECT_TRUE(t.HasMemo());
  t.Go(1);
  EXPECT_EQ(t.GetNumber(1), -5);
  EXPECT_EQ(t.GetNumber(2), 3.25);
  EXPECT_EQ(DateObject().DateStorageText(t.GetDate(3)), "20261210");
  EXPECT_EQ(static_cast<std::int64_t>(t.GetNumber(3)) % 86400000, 13 * 3600000 + 678);
  EXPECT_DOUBLE_EQ(t.GetNumber(4), 12.3456);
  EXPECT_EQ(t.FieldText(4), "\x40\xE2\x01\x00\x00\x00\x00\x00"s);  // 123456 as 8 bytes
  EXPECT_EQ(t.MemoRead(5), "memo");
  EXPECT_EQ(t.FieldDisplay(1), "-5");
  EXPECT_EQ(t.FieldDisplay(4), "12.3456");
  EXPECT_EQ(t.FieldDisplay(5), "---MEMO---");
  EXPECT_EQ(t.FieldDisplay(3), "10.12.2026 13:00:00");
}

TEST_F(Tables, MemoFieldsTakeOnlyBlockNumbers) {
  CreateTable("K.DBF", 0x83, {{"TXT", 'M', 10}});
  XBO_dBaseFld t("K.DBF", true, false);
  t.BlankRecord();
  EXPECT_EQ(RaisedBy([&] { t.PutText(1, "some text"); }), "dBase field is of incorrect type - TXT");
  t.PutText(1, " 12 ");
  EXPECT_EQ(t.FieldText(1), "        12");
  t.PutText(1, "");
  EXPECT_EQ(t.FieldText(1), std::string(10, ' '));
}

TEST_F(Tables, AppendLayoutAndTheDeferredHeader) {
  TVirtualClock clock(EncodeDate(2026, 12, 10) + EncodeTime(13, 14, 15, 678));
  TClockScope clockScope(clock);
  CreateTable("A.DBF", 0x03, {{"A", 'C', 4}});
  XBO_dBaseFld t("A.DBF", true, true);
  t.SetUserID(77);
  for (const char* v : {"one", "two"}) {
    t.BlankRecord();
    t.PutText(1, v);
    t.Append();
  }
  std::string f = fs.FileBytes("A.DBF");
  const std::uint32_t stamp = ((13 * 64 + 14) * 64 + 15) * 1024 + 678;
  EXPECT_EQ(f.substr(1, 3), "\x1A\x0C\x0A"s);  // 26, 12, 10
  EXPECT_EQ(GetLE32(f.data() + 4), 2u);
  EXPECT_EQ(GetLE32(f.data() + 16), stamp);
  EXPECT_EQ(GetLE32(f.data() + 20), 77u);
  EXPECT_EQ(f.size(), 65u + 2 * 5 + 1);
  EXPECT_EQ(f.substr(65), " one  two \x1A");
  // Under the table lock the header waits for UnlockTable.
  ASSERT_TRUE(t.LockTable());
  clock.Advance(1000);
  for (int i = 0; i < 3; ++i) {
    t.BlankRecord();
    t.Append();
  }
  f = fs.FileBytes("A.DBF");
  EXPECT_EQ(GetLE32(f.data() + 4), 2u);
  EXPECT_EQ(f.size(), 65u + 5 * 5 + 1);
  EXPECT_TRUE(t.UnlockTable());
  f = fs.FileBytes("A.DBF");
  EXPECT_EQ(GetLE32(f.data() + 4), 5u);
  EXPECT_EQ(GetLE32(f.data() + 16), stamp + 1024);
  EXPECT_EQ(fs.LockLog.back(), "U 1073741824 1073741823");
  // A rewrite on a shared table leaves the count as it is on disk.
  PutLE32(f.data() + 4, 9);
  fs.SetFile("A.DBF", f);
  t.Go(1);
  t.DeleteRecord();
  f = fs.FileBytes("A.DBF");
  EXPECT_EQ(GetLE32(f.data() + 4), 9u);
  EXPECT_EQ(f[65], '*');
  t.RecallRecord();
  EXPECT_EQ(fs.FileBytes("A.DBF")[65], ' ');
}

TEST_F(Tables, PutRecAppendsOnlyAtTheEnd) {
  CreateTable("P.DBF", 0x03, {{"A", 'C', 2}});
  XBO_dBaseFld t("P.DBF", true, false);
  t.BlankRecord();
  t.PutRec(0);
  t.PutRec(2);
  EXPECT_EQ(t.RecordCount(), 2);
  EXPECT_EQ(RaisedBy([&] { t.PutRec(5); }), "dBase record request beyond EOF - " + Name("P.DBF"));
  EXPECT_EQ(t.RecordCount(), 2);
  t.SetTableState(3);  // inserting
  t.PutRec(1);
  EXPECT_EQ(t.RecordCount(), 3);
}

TEST_F(Tables, AnAppendThatCannotLockWritesNothing) {
  CreateTable("L.DBF", 0x03, {{"A", 'C', 2}});
  XBO_dBaseFld t("L.DBF", true, true);
  std::unique_ptr<TxbOsFile> other;  // another program holds the append lock
  ASSERT_EQ(fs.Open(Name("L.DBF"), true, true, other), 0);
  ASSERT_EQ(other->Lock(0x7FFFFFFE, 1), 0);
  TxbLockRetryPolicy saved = LockRetryPolicy();
  int sleeps = 0;
  LockRetryPolicy() = {3, 1, [&](int) { ++sleeps; }};
  std::string before = fs.FileBytes("L.DBF");
  t.BlankRecord();
  EXPECT_EQ(RaisedBy([&] { t.Append(); }), "Record locked by another user - " + Name("L.DBF"));
  EXPECT_EQ(sleeps, 3);
  EXPECT_EQ(fs.FileBytes("L.DBF"), before);
  EXPECT_EQ(t.RecordCount(), 0);
  other.reset();
  t.Append();
  EXPECT_EQ(t.RecordCount(), 1);
  LockRetryPolicy() = saved;
}

TEST_F(Tables, RecordLocksLieWhereTheProtocolSays) {
  CreateTable("R.DBF", 0x03, {{"A", 'C', 9}});
  XBO_dBaseFld t("R.DBF", true, true);
  t.BlankRecord();
  for (int i = 0; i < 5; ++i) t.Append();
  t.Go(5);
  struct Case {
    TxbLokProtocol protocol;
    std::string record, append;
  } cases[] = {
      {TxbLokProtocol::Default, "L " + std::to_string(0x40000000 + 65 + 4 * 10) + " 1", "L 2147483646 1"},
      {TxbLokProtocol::DB4Lock, "L " + std::to_string(0xEFFFFFFFu - 6) + " 1", "L 4026531839 1"},
      {TxbLokProtocol::ClipLock, "L 1000000005 1", "L 1000000000 1"},
  };
  for (const auto& c : cases) {
    t.SetLockProtocol(c.protocol);
    fs.LockLog.clear();
    ASSERT_TRUE(t.LockRecord());
    t.UnlockTable();
    ASSERT_TRUE(t.LockAppend());
    t.UnlockTable();
    ASSERT_EQ(fs.LockLog.size(), 4u);
    EXPECT_EQ(fs.LockLog[0], c.record);
    EXPECT_EQ(fs.LockLog[2], c.append);
  }
}

TEST(RecordCipher, KeyAB) {
  const std::uint8_t in[] = {0x78, 0x79, 0x7A};
  std::uint8_t out[3];
  EXPECT_EQ(CryptRecord("AB", in, out, 3), 1);
  EXPECT_EQ(std::vector<int>(out, out + 3), std::vector<int>({0x39, 0x3A, 0x39}));
  EXPECT_EQ(CryptRecord("AB", out, out, 3, 0), -1);
  EXPECT_EQ(std::vector<int>(out, out + 3), std::vector<int>({0x78, 0x79, 0x7A}));
  EXPECT_EQ(CryptRecord("", in, out, 3), 0);
}

TEST_F(Tables, EncryptedTables) {
  CreateTable("E.DBF", 0x83, {{"NAME", 'C', 300}, {"TXT", 'M', 10}}, "Ключ");
  std::string key = PasswordKey("Ключ");
  EXPECT_EQ(key, "\xCA\xEB\xFE\xF7");  // code page 1251 bytes
  std::string name(300, ' ');
  for (int i = 0; i < 300; ++i) name[i] = static_cast<char>('A' + i % 26);
  {
    XBO_dBaseFld t("E.DBF", true, false, "Ключ");
    t.BlankRecord();
    t.PutText(1, name);
    t.MemoWrite(2, "secret memo");
    t.Append();
  }
  std::string f = fs.FileBytes("E.DBF");
  EXPECT_EQ(f[15], 1);
  EXPECT_NE(f.substr(32, 4), "NAME");  // descriptors enciphered
  int hl = GetLE16(f.data() + 8);
  std::string plain = " " + name + "         1";
  for (size_t i = 0; i < plain.size(); ++i) {
    auto expected = static_cast<char>(((i % 256) | static_cast<std::uint8_t>(key[i % key.size()])) ^
                                      static_cast<std::uint8_t>(plain[i]));
    ASSERT_EQ(f[hl + i], expected) << i;
  }
  EXPECT_EQ(fs.FileBytes("E.DBT").find("secret"), std::string::npos);
  XBO_dBaseFld t("E.DBF", false, false, "Ключ");
  t.Go(1);
  EXPECT_EQ(t.FieldText(1), name);
  EXPECT_EQ(t.MemoRead(2), "secret memo");
  EXPECT_EQ(RaisedBy([] { XBO_dBaseFld w("E.DBF", false, false, "Клюв"); }),
            "Invalid password for file " + Name("E.DBF"));
  EXPECT_EQ(RaisedBy([] { XBO_dBaseFld w("E.DBF", false, false); }),
            "No Password for encrypted file " + Name("E.DBF"));
  CreateTable("PLAIN.DBF", 0x03, {{"A", 'C', 1}});
  EXPECT_THROW(XBO_dBaseFld("PLAIN.DBF", false, false, "x"), EXBaseEncryption);
}

// Two objects on one file append in turn: nothing is lost, and the count is the file's.
TEST(SharedAppends, TwoObjectsInOneProcess) {
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope(fs);
  CreateTable("S.DBF", 0x03, {{"WHO", 'C', 1}, {"N", 'N', 5}});
  XBO_dBaseFld a("S.DBF", true, true), b("S.DBF", true, true);
  for (int i = 1; i <= 50; ++i)
    for (auto* t : {&a, &b}) {
      t->BlankRecord();
      t->PutText(1, t == &a ? "a" : "b");
      t->PutNumber(2, i);
      t->Append();
    }
  XBO_dBaseFld c("S.DBF", false, true);
  EXPECT_EQ(c.RecordCount(), 100);
  std::set<std::string> seen;
  for (int r = 1; r <= 100; ++r) {
    c.Go(r);
    seen.insert(c.FieldText(1) + c.FieldText(2));
  }
  EXPECT_EQ(seen.size(), 100u);
  EXPECT_EQ(GetLE32(fs.FileBytes("S.DBF").data() + 4), 100u);
}

}  // namespace

namespace {

// A table read in order serves its records from one read of the file; a write through any
// object on the file, before or behind, is read back at once, both ways and out of order.
TEST_F(Tables, RecordsReadInOrderFollowEveryWrite) {
  CreateTable("R.DBF", 0x03, {{"N", 'C', 6}});
  XBO_dBaseFld a("R.DBF", true, false);
  for (int i = 1; i <= 3000; ++i) {
    a.BlankRecord();
    a.PutText(1, "r" + std::to_string(i));
    a.Append();
  }
  XBO_dBaseFld b("R.DBF", true, false);  // the same file, another object
  auto text = [&] {
    std::string t = a.FieldText(1);
    t.erase(t.find_last_not_of(' ') + 1);
    return t;
  };
  auto walk = [&](int from, int to) {
    std::string seen;
    a.Go(from);
    for (int r = from;; r += from < to ? 1 : -1) {
      seen += text() + ",";
      if (r == to) break;
      a.Go(from < to ? xbGoNext : xbGoPrior);
    }
    return seen;
  };
  EXPECT_EQ(walk(10, 12), "r10,r11,r12,");
  b.Go(13);
  b.PutText(1, "new13");
  b.PutRec(13);
  EXPECT_EQ(walk(12, 14), "r12,new13,r14,");
  a.Go(2999);
  b.Go(2998);
  b.PutText(1, "back");
  b.PutRec(2998);
  a.Go(xbGoPrior);
  EXPECT_EQ(text(), "back");
  a.Go(5);
  EXPECT_EQ(text(), "r5");
  EXPECT_EQ(walk(2998, 3000), "back,r2999,r3000,");
  b.Go(3000);
  b.PutText(1, "last");
  b.PutRec(3000);
  a.Go(xbGoPrior);
  EXPECT_EQ(walk(2999, 3000), "r2999,last,");
}

TEST_F(Tables, RenameTakesTheMemoFileAlong) {
  CreateTable("OLD.DBF", 0x83, {{"TXT", 'M', 10}});
  XBO_dBaseFld t("OLD.DBF", true, false);
  t.BlankRecord();
  t.MemoWrite(1, "kept");
  t.Append();
  EXPECT_TRUE(t.Rename("NEWNAME"));
  EXPECT_EQ(t.FileName(), Name("NEWNAME.DBF"));
  EXPECT_FALSE(fs.Exists(Name("OLD.DBT")));
  EXPECT_EQ(fs.FileBytes("NEWNAME.DBT").substr(8, 9), std::string("NEWNAME\0\0", 9));
  t.Go(1);
  EXPECT_EQ(t.MemoRead(1), "kept");
}

TEST_F(Tables, UnlockAllFilesReleasesEveryRegion) {
  CreateTable("U.DBF", 0x03, {{"A", 'C', 1}});
  XBO_dBaseFld t("U.DBF", true, true);
  ASSERT_TRUE(t.LockTable());
  ASSERT_TRUE(t.LockTable());
  UnlockAllFiles();
  EXPECT_EQ(t.LockCount(), 0);
  std::unique_ptr<TxbOsFile> other;
  ASSERT_EQ(fs.Open(Name("U.DBF"), true, true, other), 0);
  EXPECT_EQ(other->Lock(0x40000000, 1), 0);
}

}  // namespace

namespace {

TEST_F(Tables, TypeChecksAndValueLists) {
  CreateTable("C.DBF", 0x83, {{"NAME", 'C', 10}, {"QTY", 'N', 4}, {"DAY", 'D', 8}, {"TXT", 'M', 10}});
  XBO_dBaseFld t("C.DBF", true, true);
  t.FieldCheckType("qty", 'N');
  t.FieldCheckType("TXT", 'N');  // a memo's block number is a number
  t.FieldCheckType("TXT", 'G');
  EXPECT_EQ(RaisedBy([&] { t.FieldCheckType("NAME", 'N'); }), "dBase field is of incorrect type - NAME");
  t.BlankRecord();
  t.SetFieldValues("NAME;QTY;DAY", {"Иван", "12", std::nullopt});
  EXPECT_EQ(t.FieldText(1), "Иван  ");
  EXPECT_EQ(t.FieldText(2), "  12");
  EXPECT_EQ(t.FieldText(3), "        ");
  EXPECT_EQ(RaisedBy([&] { t.PutDate(3, -1); }), "dBase field is of incorrect type - DAY");
  EXPECT_TRUE(t.LockTableFromStart());
  EXPECT_TRUE(t.HasExclusiveAccess() == false);  // the table lock is not the whole-file lock
  EXPECT_EQ(fs.LockLog.back(), "L 0 1073741823");
  EXPECT_TRUE(t.UnlockTable());
}

}  // namespace
