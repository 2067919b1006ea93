#include "assistant/actorformat.h"

#include <algorithm>
#include <string>

#include "classlib/core/codepage.h"
#include "classlib/core/random.h"
#include "classlib/core/text.h"
#include "controls/lzrw.h"

namespace {

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// A length-prefixed string of at most `max` characters in code page 1251; a larger length
// byte is clamped.
String ShortString(const std::uint8_t* p, std::size_t max) {
  std::size_t len = std::min<std::size_t>(p[0], max);
  return Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(p + 1), len));
}

[[noreturn]] void BadStream(const std::string& why) { throw EActorError("Animation stream is corrupt: " + why); }

}  // namespace

bool ParseActorHeader(const std::uint8_t* data, std::size_t size, TActorHeader& header) {
  if (!data || size < ActorHeaderFixedSize) return false;
  std::size_t count = U16(data + 1056);
  if (U16(data) != ActorVersion || count < 1 || size < ActorHeaderSize(count)) return false;

  TActorHeader h;
  h.Version = U16(data);
  h.Name = ShortString(data + 2, ActorNameMax);
  h.FrameWidth = U16(data + 23);
  h.FrameHeight = U16(data + 25);
  h.PaletteVersion = U16(data + 27);
  h.PaletteCount = std::clamp<std::uint16_t>(U16(data + 29), 1, 256);
  for (std::size_t i = 0; i < 256; ++i) {
    const std::uint8_t* e = data + 31 + 4 * i;
    h.Palette[i] = {e[0], e[1], e[2], e[3]};
  }
  h.TransparentIndex = data[1055];
  h.Animations.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* r = data + ActorHeaderFixedSize + AnimationRecordSize * i;
    TAnimationRecord& a = h.Animations[i];
    a.Name = ShortString(r, AnimationNameMax);
    a.StreamId = U16(r + 51);
    std::copy(r + 53, r + 63, a.Categories.begin());
    a.Kind = r[63];
    a.ReturnAnimation = U16(r + 64);
    for (int c = 0; c <= MaxCategory; ++c)
      if (a.HasCategory(c)) ++h.CategoryCounts[static_cast<std::size_t>(c)];
  }
  header = std::move(h);
  return true;
}

int TActorHeader::FindAnimation(int category, int n) const {
  if (category <= 0 || category > MaxCategory) return 0;
  int count = CategoryCounts[static_cast<std::size_t>(category)];
  if (count == 0) return 0;
  if (n <= 0) n = Random(count) + 1;
  if (n > count) n %= count;
  if (n == 0) n = 1;
  for (std::size_t i = 0; i < Animations.size(); ++i)
    if (Animations[i].HasCategory(category) && --n == 0) return static_cast<int>(i + 1);
  return 0;
}

int TActorHeader::IndexOfName(const String& name) const {
  if (name.empty()) return 0;
  for (std::size_t i = Animations.size(); i > 0; --i)
    if (SameText(Animations[i - 1].Name, name)) return static_cast<int>(i);
  return 0;
}

TActorAnimation ParseAnimationStream(const std::uint8_t* data, std::size_t size, int width, int height) {
  if (size < 4) BadStream("no frame count");
  TActorAnimation a;
  a.FrameCount = U32(data);
  if (a.FrameCount < 1 || a.FrameCount > MaxFrames) BadStream(std::to_string(a.FrameCount) + " frames");
  std::size_t f = a.FrameCount;
  std::size_t pixels = f * static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (size < 4 + 13 * f + pixels) BadStream("fewer bytes than its frames need");
  a.Width = width;
  a.Height = height;
  const std::uint8_t* p = data + 4;
  a.Sounds.resize(f);
  for (std::size_t k = 0; k < f; ++k, p += 2) a.Sounds[k] = U16(p);
  a.Durations.assign(p, p + f);
  p += f;
  a.Branches.resize(f);
  for (std::size_t k = 0; k < f; ++k)
    for (TBranch& b : a.Branches[k]) {
      b = {p[0], p[1]};
      p += 2;
      if (b.Percent && b.Target >= f) BadStream("a branch of frame " + std::to_string(k) + " leads outside the frames");
    }
  a.Exits.resize(f);
  for (std::size_t k = 0; k < f; ++k, p += 2) {
    a.Exits[k] = {p[0], p[1]};
    if (p[0] && p[1] >= f) BadStream("the exit of frame " + std::to_string(k) + " leads outside the frames");
  }
  a.Pixels.assign(p, p + pixels);
  return a;
}

std::size_t DecompressBlock(const std::uint8_t* source, std::uint8_t* dest, std::size_t length) {
  return Lzrw1KhDecompress(source, dest, length, ActorBlockSize);
}

void DecompressStream(TStream* source, TStream* dest) {
  std::vector<std::uint8_t> in(ActorBlockBufferSize), out(ActorBlockBufferSize);
  std::uint8_t b[4];
  source->ReadBuffer(b, 4);  // the total length, not needed
  for (;;) {
    source->ReadBuffer(b, 2);
    std::size_t len = U16(b);
    if (len > ActorBlockBufferSize) throw EReadError("Animation block length " + std::to_string(len) + " out of range");
    source->ReadBuffer(in.data(), static_cast<std::int64_t>(len));
    std::size_t n = DecompressBlock(in.data(), out.data(), len);
    dest->WriteBuffer(out.data(), static_cast<std::int64_t>(n));
    if (n < ActorBlockSize) return;
  }
}
