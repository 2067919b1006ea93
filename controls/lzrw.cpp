#include "controls/lzrw.h"

#include <array>
#include <cstring>

#include "classlib/core/exceptions.h"

namespace {

constexpr std::size_t MaxRun = 4095;
constexpr std::size_t MinRun = 16;
constexpr std::size_t MaxCopy = 18;
constexpr std::size_t MinCopy = 3;
constexpr std::size_t MaxOffset = 4095;
constexpr std::uint16_t NoPosition = 0xFFFF;

void PutWord(std::uint8_t* p, unsigned w) {
  p[0] = static_cast<std::uint8_t>(w >> 8);
  p[1] = static_cast<std::uint8_t>(w);
}

[[noreturn]] void Corrupt(const char* why) { throw EReadError(std::string("Compressed data is corrupt: ") + why); }

}  // namespace

std::size_t Lzrw1KhCompress(const std::uint8_t* source, std::uint8_t* dest, std::size_t sourceSize) {
  if (sourceSize > LzrwChunkSize) throw EInvalidOperation("LZRW chunk larger than 32781 bytes");
  std::array<std::uint16_t, 4096> table;
  table.fill(NoPosition);
  // The hash looks two bytes ahead; past the data those read as 0 (no match can start there).
  auto at = [&](std::size_t i) -> unsigned { return i < sourceSize ? source[i] : 0; };

  dest[0] = LzrwCompressedFlag;
  std::size_t out = 3, controlPos = 1, items = 0, p = 0;
  std::uint16_t control = 0;
  while (p < sourceSize && out <= sourceSize) {
    if (items > 15) {
      PutWord(dest + controlPos, control);
      controlPos = out;
      items = 0;
      out += 2;
    }
    std::size_t run = 1;
    while (run < MaxRun && p + run < sourceSize && source[p + run] == source[p]) ++run;
    if (run >= MinRun) {
      dest[out] = 0;
      PutWord(dest + out + 1, static_cast<unsigned>(run - MinRun));
      dest[out + 3] = source[p];
      out += 4;
      control = static_cast<std::uint16_t>(control * 2 + 1);
      p += run;
    } else {
      std::uint32_t h = ((((at(p) << 4) ^ at(p + 1)) << 4 ^ at(p + 2)) * 40543u) >> 4 & 0xFFF;
      std::uint16_t q = table[h];
      table[h] = static_cast<std::uint16_t>(p);
      std::size_t len = 0;
      // Positions are kept as 16-bit values taken as signed: from 32768 on they never match.
      if (q != NoPosition && static_cast<std::int32_t>(p) - static_cast<std::int16_t>(q) <= static_cast<std::int32_t>(MaxOffset)) {
        while (len < MaxCopy && p + len < sourceSize && source[p + len] == source[q + len]) ++len;
      }
      if (len >= MinCopy) {
        PutWord(dest + out, static_cast<unsigned>(((p - q) << 4) + (len - MinCopy)));
        out += 2;
        control = static_cast<std::uint16_t>(control * 2 + 1);
        p += len;
      } else {
        dest[out++] = source[p++];
        control = static_cast<std::uint16_t>(control * 2);
      }
    }
    ++items;
  }
  control = static_cast<std::uint16_t>(control << (16 - items));
  PutWord(dest + controlPos, control);
  if (out > sourceSize) {
    if (sourceSize) std::memmove(dest + 1, source, sourceSize);
    dest[0] = LzrwStoredFlag;
    out = sourceSize + 1;
  }
  return out;
}

std::size_t Lzrw1KhDecompress(const std::uint8_t* source, std::uint8_t* dest, std::size_t sourceSize,
                              std::size_t destCapacity) {
  if (sourceSize == 0) return 0;
  if (source[0] == LzrwStoredFlag) {
    std::size_t n = sourceSize - 1;
    if (n > destCapacity) Corrupt("a stored block larger than its buffer");
    if (n) std::memcpy(dest, source + 1, n);
    return n;
  }
  if (sourceSize <= 3) return 0;
  unsigned control = static_cast<unsigned>(source[1]) << 8 | source[2];
  std::size_t in = 3, out = 0;
  int bits = 16;
  for (;;) {
    if (bits == 0) {
      if (in + 2 > sourceSize) Corrupt("a control word cut off");
      control = static_cast<unsigned>(source[in]) << 8 | source[in + 1];
      in += 2;
      bits = 16;
      // A whole group far from both ends: no item can cut off the chunk or (except a run)
      // fill the buffer, so only offsets and runs need checking.
      if (sourceSize - in > 16 * 4 && destCapacity - out >= 16 * MaxCopy + 24) {
        for (int k = 0; k < 16; ++k, control <<= 1) {
          if (!(control & 0x8000)) {
            dest[out++] = source[in++];
            continue;
          }
          std::size_t offset = static_cast<std::size_t>(source[in]) << 4 | source[in + 1] >> 4;
          if (offset) {
            if (offset > out) Corrupt("a copy reaching before the start of the output");
            std::uint8_t* d = dest + out;
            const std::uint8_t* src = d - offset;
            std::size_t len = (source[in + 1] & 15u) + MinCopy;
            if (offset >= 8) {
              std::memcpy(d, src, 8);
              std::memcpy(d + 8, src + 8, 8);
              std::memcpy(d + 16, src + 16, 8);
            } else {
              for (std::size_t j = 0; j < len; ++j) d[j] = src[j];
            }
            out += len;
            in += 2;
          } else {
            std::size_t len = (static_cast<std::size_t>(source[in + 1]) << 8 | source[in + 2]) + MinRun;
            if (len > destCapacity - out) Corrupt("more output than the buffer holds");
            std::memset(dest + out, source[in + 3], len);
            out += len;
            in += 4;
          }
          // Keep the room the unchecked items rely on after a long run.
          if (destCapacity - out < 16 * MaxCopy + 24) {
            control <<= 1;
            bits = 15 - k;
            break;
          }
        }
        if (bits == 16) bits = 0;
        if (in >= sourceSize) return out;
        continue;
      }
    }
    if (control & 0x8000) {
      if (in + 2 > sourceSize) Corrupt("an item cut off");
      std::size_t offset = static_cast<std::size_t>(source[in]) << 4 | source[in + 1] >> 4;
      if (offset) {
        std::size_t len = (source[in + 1] & 15u) + MinCopy;
        if (offset > out) Corrupt("a copy reaching before the start of the output");
        if (len > destCapacity - out) Corrupt("more output than the buffer holds");
        std::uint8_t* d = dest + out;
        const std::uint8_t* s = d - offset;
        if (offset >= 8 && destCapacity - out >= 24) {
          // Eight bytes at a time: with an offset of 8 or more each piece is already written.
          std::memcpy(d, s, 8);
          std::memcpy(d + 8, s + 8, 8);
          std::memcpy(d + 16, s + 16, 8);
        } else {
          for (std::size_t k = 0; k < len; ++k) d[k] = s[k];  // overlapping copies repeat
        }
        out += len;
        in += 2;
      } else {
        if (in + 4 > sourceSize) Corrupt("a run item cut off");
        std::size_t len = (static_cast<std::size_t>(source[in + 1]) << 8 | source[in + 2]) + MinRun;
        if (len > destCapacity - out) Corrupt("more output than the buffer holds");
        std::memset(dest + out, source[in + 3], len);
        out += len;
        in += 4;
      }
    } else {
      if (in >= sourceSize) Corrupt("an item cut off");
      if (out >= destCapacity) Corrupt("more output than the buffer holds");
      dest[out++] = source[in++];
    }
    control <<= 1;
    --bits;
    if (in >= sourceSize) return out;
  }
}
