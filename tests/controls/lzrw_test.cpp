#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "classlib/core/exceptions.h"
#include "controls/lzrw.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Compress(const Bytes& in) {
  Bytes out(LzrwCompressBound(in.size()));
  out.resize(Lzrw1KhCompress(in.data(), out.data(), in.size()));
  return out;
}

// Decompresses into a buffer of `capacity` followed by guard bytes that must stay intact.
Bytes Decompress(const Bytes& chunk, std::size_t capacity) {
  Bytes out(capacity + 16, 0xEE);
  std::size_t n = 0;
  try {
    n = Lzrw1KhDecompress(chunk.data(), out.data(), chunk.size(), capacity);
  } catch (...) {
    for (std::size_t i = capacity; i < out.size(); ++i) EXPECT_EQ(out[i], 0xEE) << "guard byte " << i;
    throw;
  }
  for (std::size_t i = capacity; i < out.size(); ++i) EXPECT_EQ(out[i], 0xEE) << "guard byte " << i;
  out.resize(n);
  return out;
}

Bytes Random(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng());
  return b;
}

Bytes Repeat(std::size_t n, std::uint8_t v) { return Bytes(n, v); }

// Text-like data with a period: copies at the largest offsets the format has.
Bytes Periodic(std::size_t n, std::size_t period) {
  Bytes base = Random(period, 7), b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = base[i % period];
  return b;
}

TEST(Lzrw, CompressesTheWorkedExamplesToTheirExactBytes) {
  const std::uint8_t v = 0x5A;
  struct Case {
    const char* what;
    Bytes input, chunk;
  } cases[] = {
      {"nothing is stored", {}, {0x80}},
      {"100 equal bytes are one run", Repeat(100, v), {0x40, 0x80, 0x00, 0x00, 0x00, 0x54, v}},
      {"17 equal bytes are one run", Repeat(17, v), {0x40, 0x80, 0x00, 0x00, 0x00, 0x01, v}},
      {"15 equal bytes are a literal and a copy", Repeat(15, v), {0x40, 0x40, 0x00, v, 0x00, 0x1B}},
  };
  for (const Case& c : cases) {
    Bytes chunk = Compress(c.input);
    EXPECT_EQ(chunk, c.chunk) << c.what;
    EXPECT_EQ(Decompress(chunk, c.input.size()), c.input) << c.what;
  }
}

TEST(Lzrw, RoundTripsEveryKindOfInput) {
  std::string text;
  while (text.size() < 20000) text += "Московское время двенадцать часов ровно. The quick brown fox. ";
  struct Case {
    const char* what;
    Bytes input;
  } cases[] = {
      {"empty", {}},
      {"one byte", {42}},
      {"two bytes", {1, 2}},
      {"three equal bytes", Repeat(3, 9)},
      {"16 equal bytes, the shortest run", Repeat(16, 1)},
      {"4095 equal bytes, the longest run", Repeat(4095, 2)},
      {"4111 equal bytes, a run and a copy", Repeat(4111, 3)},
      {"exactly one chunk of random bytes", Random(LzrwChunkSize, 1)},
      {"exactly one chunk, repetitive", Periodic(LzrwChunkSize, 3)},
      {"random", Random(5000, 2)},
      {"period 4095 (the largest offset)", Periodic(12000, 4095)},
      {"period 4096 (just out of reach)", Periodic(12000, 4096)},
      {"text", Bytes(text.begin(), text.end())},
  };
  for (const Case& c : cases) {
    Bytes chunk = Compress(c.input);
    EXPECT_LE(chunk.size(), c.input.size() + 1) << c.what;
    EXPECT_EQ(Decompress(chunk, c.input.size()), c.input) << c.what;
  }
  // Copies reach 4095 bytes back and no further.
  EXPECT_LT(Compress(Periodic(12000, 4095)).size(), 12000u);
  EXPECT_EQ(Compress(Periodic(12000, 4096)).size(), 12001u);
  EXPECT_LT(Compress(Bytes(text.begin(), text.end())).size(), text.size() / 2);
}

TEST(Lzrw, StoresWhatDoesNotShrink) {
  Bytes input = Random(LzrwChunkSize, 3);
  Bytes chunk = Compress(input);
  ASSERT_EQ(chunk.size(), input.size() + 1);
  EXPECT_EQ(chunk[0], LzrwStoredFlag);
  EXPECT_TRUE(std::equal(input.begin(), input.end(), chunk.begin() + 1));
}

TEST(Lzrw, RefusesAChunkLargerThanTheFormatHolds) {
  Bytes input(LzrwChunkSize + 1), out(LzrwCompressBound(input.size()));
  EXPECT_THROW(Lzrw1KhCompress(input.data(), out.data(), input.size()), EInvalidOperation);
}

TEST(Lzrw, RefusesCorruptChunksWithoutOverrunningItsBuffers) {
  struct Case {
    const char* what;
    Bytes chunk;
    std::size_t capacity;
  } cases[] = {
      {"a copy reaching before the start", {0x40, 0x80, 0x00, 0x00, 0x50}, 100},
      {"a copy one byte too far back", {0x40, 0x40, 0x00, 'a', 0x00, 0x20}, 100},
      {"a copy cut off by the end of the chunk", {0x40, 0x40, 0x00, 'a', 0x00}, 100},
      {"a run cut off by the end of the chunk", {0x40, 0x80, 0x00, 0x00, 0x00, 0x10}, 100},
      {"a control word cut off", {0x40, 0x00, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0x80}, 100},
      {"a run longer than the buffer", {0x40, 0x80, 0x00, 0x00, 0x0F, 0xEF, 7}, 4094},
      {"a copy longer than the buffer", {0x40, 0x40, 0x00, 'a', 0x00, 0x1F}, 10},
      {"literals beyond the buffer", {0x40, 0x00, 0x00, 1, 2, 3}, 2},
      {"a stored block larger than the buffer", {0x80, 1, 2, 3, 4}, 3},
  };
  for (const Case& c : cases) EXPECT_THROW(Decompress(c.chunk, c.capacity), EReadError) << c.what;
}

TEST(Lzrw, DecodesTheEdgesOfTheFormat) {
  // A run item whose two length bytes are 0 writes 16 bytes.
  EXPECT_EQ(Decompress({0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 'r'}, 100), Repeat(16, 'r'));
  // A stored chunk of length 1 and compressed chunks of 3 bytes or fewer yield nothing.
  EXPECT_TRUE(Decompress({0x80}, 10).empty());
  EXPECT_TRUE(Decompress({0x40, 0xFF, 0xFF}, 10).empty());
  EXPECT_TRUE(Decompress({}, 10).empty());
  // Overlapping copies repeat what they copy.
  EXPECT_EQ(Decompress({0x40, 0x40, 0x00, 'a', 0x00, 0x1F}, 100), Repeat(19, 'a'));
}

}  // namespace
