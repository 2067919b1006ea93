#include <gtest/gtest.h>

#include <random>
#include <string>

#include "classlib/core/stringlist.h"
#include "classlib/core/codepage.h"
#include "controls/kitstreams.h"
#include "controls/lzrw.h"

namespace {

std::string RandomText(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>("abcdefgh"[rng() % 8]);
  return s;
}

std::uint32_t U32At(const std::string& s, std::size_t at) {
  return static_cast<std::uint8_t>(s[at]) | static_cast<std::uint8_t>(s[at + 1]) << 8 |
         static_cast<std::uint8_t>(s[at + 2]) << 16 | static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 3])) << 24;
}

TEST(BlockStream, RoundTripsAndCountsItsChunks) {
  struct Case {
    std::size_t size;
    std::size_t chunks;
  } cases[] = {{0, 0}, {1, 1}, {LzrwChunkSize, 1}, {LzrwChunkSize + 1, 2}, {70000, 3}};
  for (const Case& c : cases) {
    std::string data = RandomText(c.size, static_cast<unsigned>(c.size));
    TStringStream source(data), blocks("prefix");
    blocks.Seek(0, soEnd);
    WriteCompressedBlocks(&source, &blocks, static_cast<std::int64_t>(c.size));
    const std::string& b = blocks.DataString();
    // The total counts every byte after it; walk the chunks it covers.
    ASSERT_EQ(U32At(b, 6), b.size() - 10) << c.size;
    std::size_t at = 10, chunks = 0;
    while (at < b.size()) at += 4 + U32At(b, at), ++chunks;
    EXPECT_EQ(at, b.size());
    EXPECT_EQ(chunks, c.chunks) << c.size;
    blocks.SetPosition(6);
    TStringStream back("kept");
    back.Seek(0, soEnd);
    ReadCompressedBlocks(&blocks, &back);
    EXPECT_EQ(back.DataString(), "kept" + data) << c.size;
    EXPECT_EQ(blocks.GetPosition(), blocks.GetSize());
  }
}

TEST(BlockStream, StopsWhenTheSourceEndsEarly) {
  TStringStream source("short"), dest;
  EXPECT_THROW(WriteCompressedBlocks(&source, &dest, 100), EReadError);
}

TEST(BlockStream, RefusesLengthsThatDoNotFitWhatIsThere) {
  auto blocks = [](std::uint32_t total, std::uint32_t length, std::size_t bytes) {
    std::string s;
    for (std::uint32_t v : {total, length})
      for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
    return s + std::string(bytes, '\x80');
  };
  struct Case {
    const char* what;
    std::string stream;
  } cases[] = {
      {"a total past the end", blocks(1000, 5, 5)},
      {"a chunk length past the total", blocks(9, 6, 6)},
      {"a chunk length of 0", blocks(4, 0, 0)},
      {"a chunk longer than any chunk", blocks(4 + 40000, 40000, 40000)},
      {"a total ending inside a length", blocks(2, 0, 0)},
  };
  for (const Case& c : cases) {
    TStringStream source(c.stream), dest;
    EXPECT_THROW(ReadCompressedBlocks(&source, &dest), EReadError) << c.what;
    EXPECT_EQ(dest.GetSize(), 0) << c.what;
  }
}

TEST(FlaggedRoutines, WriteTheKitsLittleEndianLayout) {
  TStringStream s;
  WriteFlag(&s, 0xA5);
  WriteInt(&s, -2);
  WriteShortString(&s, "abc");
  WriteShortString(&s, "");
  EXPECT_EQ(s.DataString(), std::string("\xA5\xFE\xFF\xFF\xFF\x03" "abc\x00", 10));
  s.SetPosition(0);
  EXPECT_EQ(ReadFlag(&s), 0xA5);
  EXPECT_EQ(ReadInt(&s), -2);
  EXPECT_EQ(ReadShortString(&s), "abc");
  EXPECT_EQ(ReadShortString(&s), "");
  EXPECT_THROW(ReadFlag(&s), EReadError);
}

TEST(FlaggedRoutines, ShortStringsHoldUpTo255Characters) {
  std::string longest(255, 'x');
  TStringStream s;
  WriteShortString(&s, longest);
  EXPECT_EQ(s.GetSize(), 256);
  // A longer one would need a length byte it cannot have: refused, nothing written.
  EXPECT_THROW(WriteShortString(&s, std::string(256, 'y')), EWriteError);
  EXPECT_EQ(s.GetSize(), 256);
  s.SetPosition(0);
  EXPECT_EQ(ReadShortString(&s), longest);
  // Characters are code page 1251 bytes: 255 Cyrillic letters fit, as the format counts them.
  std::string cyrillic;
  for (int i = 0; i < 255; ++i) cyrillic += "ж";
  TStringStream c;
  WriteShortString(&c, cyrillic);
  EXPECT_EQ(c.GetSize(), 256);
  EXPECT_EQ(c.DataString().substr(0, 2), "\xFF\xE6");
  c.SetPosition(0);
  EXPECT_EQ(ReadShortString(&c), cyrillic);
  TStringStream cut(std::string("\x05" "abc", 4));
  EXPECT_THROW(ReadShortString(&cut), EReadError);
}

TEST(FlaggedRoutines, FormsTravelCompressedOrSized) {
  std::string data = RandomText(50000, 5);
  for (bool compressed : {false, true}) {
    TMemoryStream form, back;
    form.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    TStringStream s;
    WriteFlaggedForm(&s, &form, compressed);
    if (!compressed) {
      EXPECT_EQ(U32At(s.DataString(), 0), data.size());
    }
    WriteFlag(&s, 7);  // whatever follows the block stays readable
    s.SetPosition(0);
    ReadFlaggedForm(&s, &back, compressed);
    EXPECT_EQ(back.GetPosition(), 0);
    EXPECT_EQ(StreamToString(&back), data) << compressed;
    EXPECT_EQ(ReadFlag(&s), 7);
  }
  // A sized block whose size runs past the stream is refused before anything is allocated.
  TStringStream corrupt(std::string("\xFF\xFF\xFF\x7F" "abc", 7));
  TMemoryStream form;
  EXPECT_THROW(ReadFlaggedForm(&corrupt, &form, false), EReadError);
  EXPECT_EQ(form.GetSize(), 0);
}

TEST(FlaggedRoutines, StringListsTravelCompressedOrSized) {
  TStringList lines;
  lines.Add("Записки");
  lines.Add("");
  lines.Add(RandomText(40000, 7));
  lines.Add("last, with 'quotes'");
  for (bool compressed : {false, true}) {
    TStringStream s;
    WriteFlaggedStrings(&s, &lines, compressed);
    WriteFlag(&s, 9);
    if (!compressed) {
      // A sized block of the list's text in code page 1251.
      std::string form = Utf8ToCp1251(lines.GetText());
      EXPECT_EQ(U32At(s.DataString(), 0), form.size());
      EXPECT_EQ(s.DataString().substr(4, form.size()), form);
      EXPECT_EQ(s.DataString().substr(4, 9), "\xC7\xE0\xEF\xE8\xF1\xEA\xE8\r\n");  // "Записки"
    }
    s.SetPosition(0);
    TStringList back;
    back.Add("replaced");
    ReadFlaggedStrings(&s, &back, compressed);
    EXPECT_TRUE(back.Equals(&lines)) << compressed;
    EXPECT_EQ(ReadFlag(&s), 9);
  }
  // A block in code page 1251 whose bytes happen to be valid UTF-8 ("Пёс" starts with CF B8)
  // is still read as 1251; a block with a UTF-8 byte-order mark is read as UTF-8.
  for (auto [block, expected] : {std::pair<std::string, std::string>{"\xCF\xB8\r\n", "Пё"},
                                 {"\xEF\xBB\xBF\xD0\x9F\xD1\x91\r\n", "Пё"}}) {
    TStringStream in(std::string(1, static_cast<char>(block.size())) + std::string(3, '\0') + block);
    TStringList back;
    ReadFlaggedStrings(&in, &back, false);
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.Get(0), expected);
  }
  // An empty list is an empty block.
  TStringList empty, back;
  back.Add("x");
  TStringStream s;
  WriteFlaggedStrings(&s, &empty, false);
  EXPECT_EQ(s.DataString(), std::string(4, '\0'));
  s.SetPosition(0);
  ReadFlaggedStrings(&s, &back, false);
  EXPECT_EQ(back.Count(), 0);
}

}  // namespace
