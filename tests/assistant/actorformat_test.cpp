#include <gtest/gtest.h>

#include <set>

#include "actorbuild.h"
#include "assistant/actorformat.h"
#include "assistant/regionruns.h"
#include "classlib/core/random.h"
#include "controls/lzrw.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Decode(const Bytes& framed) {
  TStringStream source(std::string(framed.begin(), framed.end())), dest;
  DecompressStream(&source, &dest);
  const std::string& d = dest.DataString();
  return Bytes(d.begin(), d.end());
}

// A framed resource made of the given blocks, each a 2-byte length and the bytes.
Bytes Framed(const std::vector<Bytes>& blocks) {
  Bytes out = {0, 0, 0, 0};
  for (const Bytes& b : blocks) {
    out.push_back(static_cast<std::uint8_t>(b.size()));
    out.push_back(static_cast<std::uint8_t>(b.size() >> 8));
    out.insert(out.end(), b.begin(), b.end());
  }
  return out;
}

TEST(ActorFraming, DecodesBlockAfterBlockUpToTheFirstShortOne) {
  for (std::size_t size : {std::size_t{0}, std::size_t{100}, ActorBlockSize - 1, ActorBlockSize, 2 * ActorBlockSize,
                           2 * ActorBlockSize + 5}) {
    Bytes stream(size);
    for (std::size_t i = 0; i < size; ++i) stream[i] = static_cast<std::uint8_t>(i * 7 / 300);
    Bytes framed = FrameActorStream(stream);
    EXPECT_EQ(Decode(framed), stream) << size;
    // Anything after the last block is not read.
    framed.push_back(0xFF);
    EXPECT_EQ(Decode(framed), stream) << size;
  }
  // A source that is an exact multiple of a block ends with an empty block: a stored block
  // of length 1, which yields nothing.
  Bytes full(ActorBlockSize, 3);
  Bytes framed = FrameActorStream(full);
  EXPECT_EQ(Bytes(framed.end() - 3, framed.end()), (Bytes{1, 0, LzrwStoredFlag}));
  // A run item whose two length bytes are 0 writes 16 bytes.
  EXPECT_EQ(Decode(Framed({{LzrwCompressedFlag, 0x80, 0x00, 0x00, 0x00, 0x00, 'v'}})), Bytes(16, 'v'));
}

TEST(ActorFraming, RefusesBlocksThatWouldOverrunItsBuffers) {
  Bytes nineRuns = {LzrwCompressedFlag, 0xFF, 0x80};
  for (int i = 0; i < 9; ++i) nineRuns.insert(nineRuns.end(), {0, 0x0F, 0xEF, 1});
  Bytes oversized = Framed({Bytes(ActorBlockBufferSize + 1, LzrwStoredFlag)});
  Bytes endsEarly = Framed({[] {
    Bytes b(ActorBlockSize + 1, 0x33);
    b[0] = LzrwStoredFlag;
    return b;
  }()});
  struct Case {
    const char* what;
    Bytes framed;
  } cases[] = {
      {"a block length above 32784", oversized},
      {"a block decoding past 32768 bytes", Framed({nineRuns})},
      {"a copy before the start of the output", Framed({{LzrwCompressedFlag, 0x80, 0x00, 0x00, 0x50}})},
      {"an item cut off by the block's end", Framed({{LzrwCompressedFlag, 0x40, 0x00, 'a', 0x00}})},
      {"a source ending before the last short block", endsEarly},
      {"a block length beyond the source", Bytes{0, 0, 0, 0, 10, 0, LzrwStoredFlag}},
      {"no total", Bytes{0, 0}},
  };
  for (const Case& c : cases) EXPECT_THROW(Decode(c.framed), EReadError) << c.what;
}

TAnimation Frames(int count, int w, int h) {
  TAnimation a;
  a.Name = "A";
  for (int k = 0; k < count; ++k) {
    TFrame f;
    f.Pixels.assign(static_cast<std::size_t>(w * h), static_cast<std::uint8_t>(k));
    f.Pixels[0] = 200;
    f.Duration = static_cast<std::uint8_t>(k * 3);
    f.Sound = static_cast<std::uint16_t>(k == 1 ? 7 : 0);
    a.Frames.push_back(f);
  }
  return a;
}

TEST(AnimationStream, ReadsTheFrameTablesAndTheStrip) {
  TAnimation a = Frames(3, 4, 2);
  a.Frames[1].Branches[0] = {40, 0};
  a.Frames[1].Branches[1] = {60, 2};
  a.Frames[0].Exit = {1, 2};
  Bytes s = AnimationStream(a, 4, 2);
  ASSERT_EQ(s.size(), 4 + 13 * 3 + 3 * 4 * 2);
  TActorAnimation r = ParseAnimationStream(s.data(), s.size(), 4, 2);
  EXPECT_EQ(r.FrameCount, 3u);
  EXPECT_EQ(r.Sounds, (std::vector<std::uint16_t>{0, 7, 0}));
  EXPECT_EQ(r.Durations, (Bytes{0, 3, 6}));
  EXPECT_EQ(r.Branches[1][1].Percent, 60);
  EXPECT_EQ(r.Branches[1][1].Target, 2);
  EXPECT_EQ(r.Exits[0].Percent, 1);
  EXPECT_EQ(r.Exits[0].Target, 2);
  // Frame k sits at columns k*W.. of every row of the strip.
  for (std::size_t k = 0; k < 3; ++k)
    for (int y = 0; y < 2; ++y) {
      Bytes row(r.FrameRow(k, y), r.FrameRow(k, y) + 4);
      Bytes want(a.Frames[k].Pixels.begin() + y * 4, a.Frames[k].Pixels.begin() + y * 4 + 4);
      EXPECT_EQ(row, want) << k << " " << y;
    }
}

TEST(AnimationStream, RefusesStreamsTheEngineCouldNotPlaySafely) {
  auto stream = [](int frames, auto change) {
    TAnimation a = Frames(frames, 4, 2);
    change(a);
    return AnimationStream(a, 4, 2);
  };
  Bytes zero = {0, 0, 0, 0};
  Bytes tooMany = stream(1, [](TAnimation&) {});
  tooMany.resize(4 + 257 * (13 + 8));
  tooMany[0] = 1, tooMany[1] = 1;
  struct Case {
    const char* what;
    Bytes s;
  } cases[] = {
      {"no frames", zero},
      {"257 frames", tooMany},
      {"a branch outside the frames", stream(2, [](TAnimation& a) { a.Frames[1].Branches[3] = {1, 2}; })},
      {"an exit outside the frames", stream(2, [](TAnimation& a) { a.Frames[0].Exit = {1, 2}; })},
      {"a byte short", [&] {
         Bytes s = stream(2, [](TAnimation&) {});
         s.pop_back();
         return s;
       }()},
      {"no frame count", {1, 0}},
  };
  for (const Case& c : cases) EXPECT_THROW(ParseAnimationStream(c.s.data(), c.s.size(), 4, 2), EActorError) << c.what;
  // Targets that can never be taken do no harm: a 0 % branch, an exit without its flag.
  Bytes harmless = stream(2, [](TAnimation& a) { a.Frames[0].Branches[2] = {0, 99}; a.Frames[1].Exit = {0, 99}; });
  EXPECT_NO_THROW(ParseAnimationStream(harmless.data(), harmless.size(), 4, 2));
}

TActor HeaderActor() {
  TActor t;
  t.Name = "Test";
  t.Width = 4;
  t.Height = 2;
  t.Transparent = 9;
  t.Palette[9] = {255, 0, 255, 0};
  auto add = [&](const char* name, std::vector<int> cats) {
    TAnimation a;
    a.Name = name;
    a.Categories = std::move(cats);
    t.Animations.push_back(a);
  };
  add("Show", {CategoryShow});
  add("Idle A", {CategoryIdle1});
  add("Point", {21, 77});
  add("Idle B", {CategoryIdle1});
  add("idle a", {});
  add("Idle C", {CategoryIdle1, CategoryRestPose});
  return t;
}

TEST(ActorHeader, KeepsTheFieldsAtTheirOffsets) {
  TActor t = HeaderActor();
  t.Animations[2].Kind = KindReturns;
  t.Animations[2].Return = 4;
  Bytes h = ActorHeaderBytes(t);
  ASSERT_EQ(h.size(), ActorHeaderSize(6));
  EXPECT_EQ(h[0] | h[1] << 8, 200);
  EXPECT_EQ(h[1055], 9);
  EXPECT_EQ(h[1056], 6);
  // Record i starts at 992 + 66 × i.
  const std::uint8_t* r3 = h.data() + 992 + 66 * 3;
  EXPECT_EQ(std::string(r3 + 1, r3 + 1 + r3[0]), "Point");
  EXPECT_EQ(r3[53 + 21 / 8], 1 << (21 % 8));
  EXPECT_EQ(r3[63], KindReturns);
  EXPECT_EQ(r3[64], 4);

  TActorHeader header;
  ASSERT_TRUE(ParseActorHeader(h.data(), h.size(), header));
  EXPECT_EQ(header.Name, "Test");
  EXPECT_EQ(header.FrameWidth, 4);
  EXPECT_EQ(header.Palette[9].Red, 255);
  EXPECT_EQ(header.Animations[2].Kind, KindReturns);
  EXPECT_EQ(header.Animations[2].ReturnAnimation, 4);
  EXPECT_EQ(header.CategoryCounts[CategoryIdle1], 3);
  EXPECT_EQ(header.CategoryCounts[77], 1);
}

TEST(ActorHeader, NamesAreCodePage1251InTheFile) {
  TActor t = HeaderActor();
  t.Name = "Овечка";
  t.Animations[1].Name = "Приветствие";
  Bytes h = ActorHeaderBytes(t);
  // One byte a letter, as the length byte counts them: "О" is 0xCE.
  EXPECT_EQ(h[2], 6);
  EXPECT_EQ(h[3], 0xCE);
  const std::uint8_t* r2 = h.data() + 992 + 66 * 2;
  EXPECT_EQ(r2[0], 11);
  TActorHeader header;
  ASSERT_TRUE(ParseActorHeader(h.data(), h.size(), header));
  EXPECT_EQ(header.Name, "Овечка");
  EXPECT_EQ(header.Animations[1].Name, "Приветствие");
  EXPECT_EQ(header.IndexOfName("Приветствие"), 2);
  // The longest names the format holds, in letters.
  t.Name = std::string(ActorNameMax, 'x');
  t.Animations[1].Name.clear();
  for (std::size_t i = 0; i < AnimationNameMax; ++i) t.Animations[1].Name += "ж";
  h = ActorHeaderBytes(t);
  ASSERT_TRUE(ParseActorHeader(h.data(), h.size(), header));
  EXPECT_EQ(header.Animations[1].Name, t.Animations[1].Name);
  t.Name += "ж";
  EXPECT_THROW(ActorHeaderBytes(t), Exception);
}

TEST(ActorHeader, RefusesWhatIsNotAnActor) {
  TActor t = HeaderActor();
  Bytes good = ActorHeaderBytes(t);
  TActorHeader h;
  EXPECT_FALSE(ParseActorHeader(good.data(), good.size() - 1, h)) << "records past the end";
  EXPECT_FALSE(ParseActorHeader(good.data(), 1000, h)) << "shorter than the fixed part";
  EXPECT_FALSE(ParseActorHeader(nullptr, 5000, h));
  t.Version = 199;
  Bytes old = ActorHeaderBytes(t);
  EXPECT_FALSE(ParseActorHeader(old.data(), old.size(), h)) << "version 199";
  t = HeaderActor();
  t.Animations.clear();
  Bytes none = ActorHeaderBytes(t);
  EXPECT_FALSE(ParseActorHeader(none.data(), none.size(), h)) << "no animations";
  // Out-of-range counts in a valid header are clamped, never trusted.
  Bytes odd = good;
  odd[29] = 0xFF, odd[30] = 0x7F;  // palette entries
  odd[2] = 200;                    // actor name length
  ASSERT_TRUE(ParseActorHeader(odd.data(), odd.size(), h));
  EXPECT_EQ(h.PaletteCount, 256);
  EXPECT_EQ(h.Name.size(), ActorNameMax);
}

TEST(ActorHeader, FindsAnimationsByCategoryAndByName) {
  Bytes bytes = ActorHeaderBytes(HeaderActor());
  TActorHeader h;
  ASSERT_TRUE(ParseActorHeader(bytes.data(), bytes.size(), h));
  // Category 33 has three members: records 2, 4 and 6.
  struct Case {
    int n, record;
  } cases[] = {{1, 2}, {2, 4}, {3, 6}, {4, 2}, {5, 4}, {6, 2}};
  for (const Case& c : cases) EXPECT_EQ(h.FindAnimation(CategoryIdle1, c.n), c.record) << c.n;
  SetRandSeed(11);
  std::set<int> seen;
  for (int i = 0; i < 200; ++i) seen.insert(h.FindAnimation(CategoryIdle1, 0));
  EXPECT_EQ(seen, (std::set<int>{2, 4, 6}));
  for (int category : {0, 11, 78, 200, -1}) EXPECT_EQ(h.FindAnimation(category, 1), 0) << category;
  EXPECT_EQ(h.FindAnimation(77, 0), 3);
  // Names: letter case ignored, the highest of duplicates wins, an empty name finds none.
  EXPECT_EQ(h.IndexOfName("IDLE A"), 5);
  EXPECT_EQ(h.IndexOfName("point"), 3);
  EXPECT_EQ(h.IndexOfName("Idle"), 0);
  EXPECT_EQ(h.IndexOfName(""), 0);
}

TEST(RegionRuns, MakeOneRectanglePerRunOfOpaquePixels) {
  // The five-pixel row whose first and fourth pixels are transparent.
  const std::uint8_t row[] = {7, 1, 2, 7, 3};
  std::vector<TRunRect> rects;
  AppendOpaqueRuns8(rects, row, 5, 5, 1, 7);
  EXPECT_EQ(rects, (std::vector<TRunRect>{{1, 0, 3, 1}, {4, 0, 5, 1}}));
  // 1-bit rows: the transparent bit value, and a value that matches no bit.
  const std::uint8_t bits[] = {0b10110000, 0b01000000};
  struct Case {
    int transparent;
    std::vector<TRunRect> want;
  } cases[] = {{0, {{0, 0, 1, 1}, {2, 0, 4, 1}, {1, 1, 2, 2}}},
               {1, {{1, 0, 2, 1}, {4, 0, 5, 1}, {0, 1, 1, 2}, {2, 1, 5, 2}}},
               {2, {{0, 0, 5, 1}, {0, 1, 5, 2}}}};
  for (const Case& c : cases) {
    rects.clear();
    AppendOpaqueRuns1(rects, bits, 1, 5, 2, c.transparent);
    EXPECT_EQ(rects, c.want) << c.transparent;
  }
}

}  // namespace
