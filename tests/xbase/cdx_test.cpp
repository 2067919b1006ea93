// The compound index: stored key forms, the node codecs, splits, tag management and the
// files other programs wrote.
#include "index_fixture.h"
#include "raised.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>

#include "test_paths.h"
#include "xbase/errors.h"

namespace {

using namespace xbtest;

std::string Hex(std::string_view s) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (char c : s) {
    if (!out.empty()) out += ' ';
    out += digits[static_cast<std::uint8_t>(c) >> 4];
    out += digits[static_cast<std::uint8_t>(c) & 15];
  }
  return out;
}

class Cdx : public IndexTable {
 protected:
  std::unique_ptr<XBobjCDXFile> cdx;
  void MakeIndex(const char* name = "T.CDX") { cdx = std::make_unique<XBobjCDXFile>(table.get(), name, true, true, false); }
  XBobjCDXTag& AddTag(const char* name, const char* key, const char* forExpr = "", bool unique = false,
                      bool descending = false, bool general = false) {
    return *static_cast<XBobjCDXTag*>(cdx->AddTagCollated(name, key, forExpr, unique, descending, general));
  }
  std::string Stored(XBobjCDXTag& tag, const TxbVariant& v) {
    std::string s;
    tag.KeyToStored(v, s, true);
    return s;
  }
};

TEST_F(Cdx, StoredKeyForms) {
  CreateTable("I.DBF", 0x30, {{"ID", 'I', 4}, {"NAME", 'C', 10}, {"NUM", 'N', 10, 2}, {"DAY", 'D', 8}});
  table = std::make_unique<XBO_dBaseFld>("I.DBF", true, false);
  MakeIndex();
  XBobjCDXTag& id = AddTag("ID", "ID");
  XBobjCDXTag& num = AddTag("NUM", "NUM");
  XBobjCDXTag& day = AddTag("DAY", "DAY");
  XBobjCDXTag& text = AddTag("NAME", "NAME");
  EXPECT_EQ(id.KeyType(), 'I');
  EXPECT_EQ(id.KeyLength(), 4);
  EXPECT_EQ(day.KeyType(), 'D');
  TxbVariant v;
  struct Case {
    XBobjCDXTag* tag;
    std::function<void()> set;
    const char* hex;
  } cases[] = {
      {&num, [&] { v.SetFloat(1.0); }, "BF F0"},
      {&num, [&] { v.SetFloat(-1.0); }, "40 0F FF FF FF FF FF FF"},
      {&num, [&] { v.SetFloat(-0.0); }, "80"},
      {&num, [&] { v.SetFloat(0.0); }, "80"},
      {&id, [&] { v.SetFloat(1); }, "80 00 00 01"},
      {&id, [&] { v.SetFloat(-1); }, "7F FF FF FF"},
      {&id, [&] { v.SetFloat(256); }, "80 00 01"},
      {&day, [&] { v.SetDate(0); }, "80"},  // the empty date is day 0
      {&day, [&] { v.SetDate(2451545); }, "C1 42 B4 2C 80"},
      {&text, [&] { v.SetString("AB  "); }, "41 42"},
      {&text, [&] { v.SetString("ABCDEFGHIJKLMN"); }, "41 42 43 44 45 46 47 48 49 4A"},  // cut to the key length
  };
  for (auto& c : cases) {
    c.set();
    EXPECT_EQ(Hex(Stored(*c.tag, v)), c.hex) << c.hex;
  }
  // Doubles sort by their stored bytes (the pad restores the zeros that were cut).
  std::mt19937 rng(7);
  std::vector<double> values = {-3, -2, -1, -0.5, -0.0, 0.0, 0.05, 0.5, 1, 2, 3, 1e300, -1e300, 1.0 + std::ldexp(1.0, -40)};
  for (int i = 0; i < 300; ++i) values.push_back(std::ldexp(static_cast<double>(rng()) - 2e9, static_cast<int>(rng() % 80) - 40));
  std::vector<std::pair<std::string, double>> keys;
  for (double d : values) {
    v.SetFloat(d);
    std::string s = Stored(num, v);
    s.resize(8, '\0');
    keys.emplace_back(s, d);
  }
  std::sort(keys.begin(), keys.end());
  for (std::size_t i = 1; i < keys.size(); ++i) EXPECT_LE(keys[i - 1].second, keys[i].second) << i;
}

TEST_F(Cdx, GeneralCollationWeights) {
  struct Case {
    const char* text;
    const char* hex;
  } cases[] = {{"\x41", "60"}, {"\x61", "60"}, {"\xE1", "60 F1"}, {"\xC6", "60 66"}, {"\xDF", "0C"}, {"Ab", "60 61"}};
  for (auto& c : cases) EXPECT_EQ(Hex(CdxGeneralKey(c.text)), c.hex) << c.hex;
  // A GENERAL tag orders upper and lower case alike, and finds either.
  OpenTable();
  MakeIndex();
  XBobjCDXTag& tag = AddTag("NAME", "NAME", "", false, false, true);
  EXPECT_EQ(tag.KeyLength(), 24);
  for (const char* n : {"beta", "ALPHA", "Gamma", "alpha"}) Append(cdx.get(), n);
  EXPECT_EQ(Records(Scan(tag)), (std::vector<std::uint32_t>{2, 4, 1, 3}));
  TxbVariant v;
  v.SetString("GAMMA");
  EXPECT_TRUE(tag.TagSeek(v));
  EXPECT_EQ(tag.CurrentKey().RecNo, 3u);
  XBobjCDXFile again(table.get(), "T.CDX", false, true, false);
  EXPECT_TRUE(static_cast<XBobjCDXTag*>(again.TagByName("NAME"))->General());
  EXPECT_EQ(Records(Scan(*again.TagByName("NAME"))), (std::vector<std::uint32_t>{2, 4, 1, 3}));
}

// The byte 0xDF has the primary weight 0C, below the 10 where the others start: a key whose
// last primary it is, followed by secondary weights, reads back from the file as it was
// written, and finds its record once the index is opened again.
TEST_F(Cdx, GeneralKeysEndingInTheLowPrimaryReadBack) {
  OpenTable();
  MakeIndex();
  XBobjCDXTag& tag = AddTag("NAME", "NAME", "", false, false, true);
  const char* names[] = {"\xC8\xCB\xDC\xDF", "\xE9\xDF", "\xDF", "\xE1\xDF\xE1", "plain"};
  for (const char* n : names) Append(cdx.get(), n);
  EXPECT_EQ(Hex(CdxGeneralKey("\xE9\xDF")), "66 0C F1");
  // The interior and leaf codecs give back the key they were given.
  XBobjIndexKey node;
  node.Leaf = false;
  node.Left = node.Right = -1;
  node.Entries.push_back({CdxGeneralKey("\xE9\xDF"), 2, XBobjCDXTag::NodeSize});
  for (bool leaf : {false, true}) {
    node.Leaf = leaf;
    std::uint8_t page[XBobjCDXTag::NodeSize];
    tag.EncodeNode(node, page);
    XBobjIndexKey back;
    ASSERT_TRUE(tag.DecodeNode(page, back));
    EXPECT_EQ(Hex(back.Entries.at(0).Key), "66 0C F1") << (leaf ? "leaf" : "interior");
  }
  cdx.reset();
  XBobjCDXFile again(table.get(), "T.CDX", false, true, false);
  XBobjIndexTag& reread = *again.TagByName("NAME");
  for (std::uint32_t r = 1; r <= std::size(names); ++r) {
    TxbVariant v;
    v.SetString(names[r - 1]);
    EXPECT_TRUE(reread.TagSeek(v)) << Hex(names[r - 1]);
    EXPECT_EQ(reread.CurrentKey().RecNo, r) << Hex(names[r - 1]);
  }
}

// Encodes a node and decodes it again; the page's layout bytes as the format writes them.
TEST_F(Cdx, LeafCodec) {
  OpenTable();
  MakeIndex();
  XBobjCDXTag& ten = AddTag("TEN", "LEFT(NAME, 10)");
  ASSERT_EQ(ten.KeyLength(), 10);
  auto roundTrip = [&](XBobjCDXTag& tag, const XBobjIndexKey& node, std::uint8_t* page) {
    tag.EncodeNode(node, page);
    XBobjIndexKey back;
    EXPECT_TRUE(tag.DecodeNode(page, back));
    EXPECT_EQ(back.Count(), node.Count());
    for (int i = 0; i < std::min(back.Count(), node.Count()); ++i) {
      EXPECT_EQ(back.Entries[i].Key, node.Entries[i].Key) << i;
      EXPECT_EQ(back.Entries[i].RecNo, node.Entries[i].RecNo) << i;
    }
  };
  std::uint8_t page[512];
  XBobjIndexKey leaf;
  leaf.Leaf = leaf.Root = true;
  leaf.Entries = {{"ALPHA", 1}, {"ALPHA", 2}, {"ALPHABET", 3}, {"B", 65535}};
  roundTrip(ten, leaf, page);
  EXPECT_EQ(page[23], 3);   // bytes per entry
  EXPECT_EQ(page[20], 16);  // record-number bits
  EXPECT_EQ(page[21], 4);
  EXPECT_EQ(page[22], 4);
  // The repeated key: duplicate count 5 and trailing 5, no key bytes of its own.
  std::uint32_t second = page[27] | (page[28] << 8) | (page[29] << 16);
  EXPECT_EQ(second & 0xFFFF, 2u);
  EXPECT_EQ((second >> 16) & 15, 5u);
  EXPECT_EQ(second >> 20, 5u);
  EXPECT_EQ(GetLE16(page + 12), 488 - (4 * 3 + 5 + 0 + 3 + 1));
  leaf.Entries.back().RecNo = 65536;
  roundTrip(ten, leaf, page);
  EXPECT_EQ(page[23], 4);
  EXPECT_EQ(page[20], 24);
  // 240-byte keys.
  XBobjCDXTag& wide = AddTag("WIDE", ("NAME + '" + std::string(228, 'x') + "'").c_str());
  ASSERT_EQ(wide.KeyLength(), 240);
  leaf.Entries = {{std::string(240, 'a'), 1}, {std::string(239, 'a') + "b", 2}};
  roundTrip(wide, leaf, page);
  EXPECT_TRUE(wide.NodeFits(leaf));
  // The directory: names and header offsets.
  XBobjCDXTag& dir = cdx->Directory();
  leaf.Entries = {{"NUM", 1536}, {"TEN", 2560}, {"WIDE", 70000}};
  roundTrip(dir, leaf, page);
  EXPECT_EQ(page[23], 4);
  // A node whose counts point outside it does not decode.
  dir.EncodeNode(leaf, page);
  page[24] = page[25] = page[26] = page[27] = 0xFF;
  XBobjIndexKey bad;
  EXPECT_FALSE(dir.DecodeNode(page, bad));
}

// Every node of a tag holds together (the engine's check: it decodes and fits, the keys run in
// order, the nodes of each level link both ways), and the tag holds every key.
void CheckTree(XBobjCDXTag& tag, std::size_t expectedKeys) {
  EXPECT_EQ(tag.CheckTree(), static_cast<std::int64_t>(expectedKeys));
  auto scan = Scan(tag);
  EXPECT_EQ(scan.size(), expectedKeys);
  for (std::size_t i = 1; i < scan.size(); ++i) EXPECT_LE(tag.CompareKeys(scan[i - 1].first, scan[i].first), 0) << i;
}

TEST_F(Cdx, SplitsKeepEveryNodeWithinItsPage) {
  CreateTable("S.DBF", 0x03, {{"K", 'C', 240}});
  table = std::make_unique<XBO_dBaseFld>("S.DBF", true, false);
  MakeIndex("S.CDX");
  XBobjCDXTag& k10 = AddTag("K10", "LEFT(K, 10)");
  XBobjCDXTag& k200 = AddTag("K200", "LEFT(K, 200)");
  XBobjCDXTag& k240 = AddTag("K240", "K");
  std::mt19937 rng(3);
  const int count = 400;
  for (int i = 0; i < count; ++i) {
    // Mixed lengths: a short key, a long one sharing a prefix, a long random one.
    std::string key;
    switch (rng() % 3) {
      case 0: key = std::string(1 + rng() % 5, static_cast<char>('a' + rng() % 3)); break;
      case 1: key = std::string(200 + rng() % 40, 'm') + static_cast<char>('a' + rng() % 26); break;
      default:
        for (int n = 230 + static_cast<int>(rng() % 10); n > 0; --n) key += static_cast<char>('a' + rng() % 26);
    }
    table->BlankRecord();
    table->PutTextByName("K", key);
    table->Append();
    cdx->KeyUpdateAll(static_cast<std::uint32_t>(table->RecNo()), true);
  }
  for (XBobjCDXTag* tag : {&k10, &k200, &k240}) {
    SCOPED_TRACE(tag->Name());
    CheckTree(*tag, count);
  }
  // A build of the same keys (bottom-up) holds too.
  cdx->Reindex();
  for (int i = 0; i < cdx->TagCount(); ++i) CheckTree(*static_cast<XBobjCDXTag*>(cdx->TagByIndex(i)), count);
}

TEST_F(Cdx, TagManagement) {
  OpenTable();
  MakeIndex();
  for (const char* n : {"B", "A"}) Append(cdx.get(), n, 1);
  AddTag("NAME", "NAME");
  AddTag("NAMEX", "NUM");
  AddTag("name", "UPPER(NAME)");  // replaces NAME
  ASSERT_EQ(cdx->TagCount(), 2);
  EXPECT_EQ(cdx->TagByName("NAME")->KeyExpression(), "UPPER(NAME)");
  EXPECT_FALSE(cdx->DeleteTag("NAM"));
  EXPECT_TRUE(cdx->DeleteTag("NAME"));
  ASSERT_EQ(cdx->TagCount(), 1);
  EXPECT_EQ(cdx->TagByIndex(0)->Name(), "NAMEX");
  {
    XBobjCDXFile again(table.get(), "T.CDX", false, true, false);
    ASSERT_EQ(again.TagCount(), 1);
    EXPECT_EQ(Records(Scan(*again.TagByIndex(0))), (std::vector<std::uint32_t>{1, 2}));
  }
  EXPECT_TRUE(cdx->DeleteTag("NAMEX"));
  EXPECT_EQ(fs.FileBytes("T.CDX").size(), 1536u);

  // Refusals leave the file as it was.
  AddTag("KEEP", "NAME");
  std::string before = fs.FileBytes("T.CDX");
  struct Refusal {
    const char* name;
    std::string key;
    std::string message;
  } refusals[] = {
      {"LONG", "NAME + '" + std::string(240, 'x') + "'", SSortKeyTooLong},
      {"EMPTY", "TRIM(NOTE)", "Formula expression cannot be translated - TRIM(NOTE)"},
      {"HUGE", "NAME" + std::string(600, ' '), "Formula expression cannot be translated - NAME" + std::string(600, ' ')},
      {"ELEVENCHARS", "NAME", "Invalid index tag name ELEVENCHARS"},
      {"BAD", "NOSUCHFIELD", "Field/variable NOSUCHFIELD is unknown"},
  };
  table->BlankRecord();
  for (auto& r : refusals) {
    EXPECT_EQ(RaisedBy([&] { AddTag(r.name, r.key.c_str()); }), r.message) << r.name;
    EXPECT_EQ(fs.FileBytes("T.CDX"), before) << r.name;
  }
  EXPECT_EQ(RaisedBy([&] { XBobjCDXFile missing(table.get(), "NONE", false, true, false); }),
            "File not found - " + fs.FullName("NONE.CDX"));
}

// On a shared file, re-indexing takes the whole file: another holder's lock refuses it
// (code 5) and the file stays as it was.
TEST_F(Cdx, ReindexNeedsTheWholeFile) {
  OpenTable("T.DBF", true);
  cdx = std::make_unique<XBobjCDXFile>(table.get(), "T.CDX", true, true, true);
  for (const char* n : {"B", "A"}) Append(cdx.get(), n);
  AddTag("NAME", "NAME");
  XBobjCDXFile other(table.get(), "T.CDX", false, true, true);
  TxbLockRetryPolicy saved = LockRetryPolicy();
  LockRetryPolicy() = {2, 1, [](int) {}};
  std::string before = fs.FileBytes("T.CDX");
  other.LockIndex();
  EXPECT_EQ(RaisedBy([&] { cdx->Reindex(); }), "File access denied - " + cdx->FileName());
  EXPECT_EQ(fs.FileBytes("T.CDX"), before);
  other.UnlockIndex();
  cdx->Reindex();
  LockRetryPolicy() = saved;
  EXPECT_EQ(Records(Scan(*other.TagByName("NAME"))), (std::vector<std::uint32_t>{2, 1}));
  EXPECT_EQ(other.TagByName("NAME")->NodeSearch(0xFFFFFFFFu, "B"), 0);
  EXPECT_EQ(other.TagByName("NAME")->CurrentKey().RecNo, 1u);
  EXPECT_EQ(other.TagByName("NAME")->NodeSearch(0x7FFFFFFFu, "B"), -1);
}

TEST_F(Cdx, ProductionIndexNeedsTheSameName) {
  struct Case {
    const char* table;
    const char* index;
    bool writable;
    bool production;
  } cases[] = {{"DATES.DBF", "DATES.CDX", true, true},
               {"DATES2.DBF", "DATES.CDX", true, false},
               {"DATES.DBF", "DATES.CDX", false, false}};
  for (auto& c : cases) {
    CreateTable(c.table, 0x03, {{"A", 'C', 5}});
    if (c.writable) {
      XBO_dBaseFld t(c.table, true, false);
      XBobjCDXFile index(&t, c.index, true, true, false);
    } else {
      { XBO_dBaseFld t(c.table, true, false); XBobjCDXFile index(&t, c.index, true, true, false); }
      CreateTable(c.table, 0x03, {{"A", 'C', 5}});
      XBO_dBaseFld t(c.table, false, false);
      XBobjCDXFile index(&t, c.index, false, false, false);
    }
    XBO_dBaseFld t(c.table, false, false);
    EXPECT_EQ((t.Flags() & 1) != 0, c.production) << c.table << " " << c.index;
  }
}

// ---- Files other programs wrote ----

std::string DataDir() { return horavox::test::SourceDir() + "/tests/xbase/data/"; }

// "# tag NAME (key, record number)" sections of number/record lines.
std::map<std::string, std::vector<std::pair<long long, std::uint32_t>>> ReadExpected(const std::string& file) {
  std::map<std::string, std::vector<std::pair<long long, std::uint32_t>>> tags;
  std::ifstream in(file);
  std::string line, tag;
  while (std::getline(in, line)) {
    if (line.rfind("# tag ", 0) == 0) {
      tag = line.substr(6, line.find(' ', 6) - 6);
      tags[tag];
    } else if (!line.empty()) {
      std::istringstream s(line);
      long long key;
      std::uint32_t recno;
      s >> key >> recno;
      tags[tag].emplace_back(key, recno);
    }
  }
  return tags;
}

long long IntegerKey(const std::string& stored) {
  std::string k = stored;
  k.resize(4, '\0');
  return static_cast<std::int32_t>(GetBE32(k.data()) ^ 0x80000000u);
}

TEST(CdxForeign, TagsScanAsTheIndependentReaderListsThem) {
  for (const char* stem : {"calls", "contacts"}) {
    XBO_dBaseFld table(DataDir() + stem + ".dbf", false, true);
    XBobjCDXFile index(&table, DataDir() + stem + ".CDX", false, false, true);
    ASSERT_FALSE(index.Damaged()) << stem;
    auto expected = ReadExpected(DataDir() + "expected/" + stem + ".cdx.txt");
    ASSERT_EQ(static_cast<std::size_t>(index.TagCount()), expected.size()) << stem;
    for (auto& [name, keys] : expected) {
      XBobjIndexTag* tag = index.TagByName(name);
      ASSERT_TRUE(tag) << name;
      std::vector<std::pair<long long, std::uint32_t>> got;
      for (auto& [key, recno] : Scan(*tag)) got.emplace_back(IntegerKey(key), recno);
      EXPECT_EQ(got, keys) << stem << " " << name;
      std::vector<std::pair<long long, std::uint32_t>> back;
      for (auto& [key, recno] : Scan(*tag, true)) back.emplace_back(IntegerKey(key), recno);
      EXPECT_EQ(back, keys) << stem << " " << name << " backward";
      EXPECT_EQ(tag->CheckTree(), static_cast<std::int64_t>(keys.size())) << stem << " " << name;
    }
    EXPECT_EQ(index.Directory().CheckTree(), index.TagCount()) << stem;
  }
  // Seeks on an integer tag; the tag over a field the table lacks still walks, but a typed
  // seek raises its expression's error.
  XBO_dBaseFld calls(DataDir() + "calls.dbf", false, true);
  XBobjCDXFile index(&calls, DataDir() + "calls.CDX", false, false, true);
  XBobjIndexTag& contact = *index.TagByName("CONTACT_ID");
  TxbVariant v;
  for (auto [value, recno] : {std::pair{2.0, 6u}, {3.0, 12u}, {1.0, 1u}}) {
    v.SetFloat(value);
    EXPECT_TRUE(contact.TagSeek(v)) << value;
    EXPECT_EQ(contact.CurrentKey().RecNo, recno) << value;
  }
  v.SetFloat(99);
  EXPECT_FALSE(contact.TagSeek(v));
  XBO_dBaseFld contacts(DataDir() + "contacts.dbf", false, true);
  XBobjCDXFile other(&contacts, DataDir() + "contacts.CDX", false, false, true);
  XBobjIndexTag& type = *other.TagByName("TYPE_ID");
  EXPECT_FALSE(type.KeyError().empty());
  EXPECT_EQ(RaisedBy([&] { type.TagSeek(v); }), type.KeyError());
  EXPECT_EQ(RaisedBy([&] { other.KeyUpdateAll(1, false); }), type.KeyError());
}

// ---- Another program reads ours ----

#ifndef _WIN32
// The lines the Perl module's index_dump prints for one tag ("key recno"); nullopt when the
// tool is not there.
std::optional<std::vector<std::string>> PerlDump(const std::string& file, const std::string& tag, const char* type) {
  if (std::system("command -v index_dump >/dev/null 2>&1") != 0) return std::nullopt;
  std::string command = "index_dump --type=" + std::string(type) + " '" + file + "' " + tag + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return std::nullopt;
  std::vector<std::string> lines;
  char buffer[1024];
  while (fgets(buffer, sizeof buffer, pipe)) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    lines.push_back(line);
  }
  pclose(pipe);
  return lines;
}
#endif

[[maybe_unused]] double NumberKey(const std::string& stored) {
  std::string k = stored;
  k.resize(8, '\0');
  std::uint64_t u = 0;
  for (char c : k) u = (u << 8) | static_cast<std::uint8_t>(c);
  u = (u & 0x8000000000000000ull) ? (u & ~0x8000000000000000ull) : ~u;
  double d;
  std::memcpy(&d, &u, 8);
  return d;
}

TEST(CdxForeign, ThePerlReaderReadsOurs) {
#ifdef _WIN32
  GTEST_SKIP() << "the Perl reader runs natively";
#else
  std::string dir = horavox::test::TempDir() + "/perl-cdx/";
  std::filesystem::create_directories(dir);
  CreateTable(dir + "BIG.DBF", 0x03, {{"NAME", 'C', 14}, {"NUM", 'N', 12, 3}, {"DAY", 'D', 8}, {"FLAG", 'L', 1}});
  XBO_dBaseFld table(dir + "BIG.DBF", true, false);
  std::mt19937 rng(10000);
  auto fill = [&] {
    std::string name;
    for (int n = 1 + static_cast<int>(rng() % 6); n > 0; --n) name += static_cast<char>('A' + rng() % 6);
    table.PutTextByName("NAME", name);
    table.PutNumberByName("NUM", (static_cast<int>(rng() % 2000001) - 1000000) / 1000.0);
    table.PutDateByName("DAY", rng() % 10 == 0 ? 0 : 2450000 + static_cast<std::int32_t>(rng() % 3000));
    table.PutLogicalByName("FLAG", rng() % 3 != 0);
  };
  for (int i = 0; i < 10000; ++i) {
    table.BlankRecord();
    fill();
    table.Append();
  }
  XBobjCDXFile index(&table, dir + "BIG.CDX", true, true, false);
  index.AddTag("NAME", "NAME", "", false, false);
  index.AddTag("NUM", "NUM", "", false, false);
  index.AddTag("DAY", "DAY", "", false, false);
  index.AddTag("FNAME", "NAME", "FLAG", false, false);
  index.AddTag("UNAME", "NAME", "", true, false);
  for (int i = 0; i < 300; ++i) {  // then some updates in place
    auto r = static_cast<std::int32_t>(1 + rng() % 10000);
    table.Go(r);
    fill();
    index.KeyUpdateAll(static_cast<std::uint32_t>(r), false);
    table.PutRec(r);
  }
  struct Tag {
    const char* name;
    const char* type;
  } tags[] = {{"NAME", "char"}, {"NUM", "num"}, {"DAY", "num"}, {"FNAME", "char"}, {"UNAME", "char"}};
  for (auto& t : tags) {
    auto lines = PerlDump(dir + "BIG.CDX", t.name, t.type);
    if (!lines) GTEST_SKIP() << "index_dump (Perl's XBase) is not installed";
    auto ours = Scan(*index.TagByName(t.name));
    ASSERT_EQ(lines->size(), ours.size()) << t.name << ": " << (lines->empty() ? "" : lines->front());
    for (std::size_t i = 0; i < ours.size(); ++i) {
      const std::string& line = (*lines)[i];
      std::size_t space = line.rfind(' ');
      ASSERT_NE(space, std::string::npos) << line;
      EXPECT_EQ(std::stoul(line.substr(space + 1)), ours[i].second) << t.name << " " << i;
      std::string key = line.substr(0, space);
      if (*t.type == 'c') {
        EXPECT_EQ(key, ours[i].first) << t.name << " " << i;
      } else {
        EXPECT_DOUBLE_EQ(std::stod(key), NumberKey(ours[i].first)) << t.name << " " << i;
      }
    }
  }
#endif
}

}  // namespace
