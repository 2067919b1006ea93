#pragma once
// The actor library's data formats, read without any operating-system call: the actor
// header that GetActorInfo hands out, the animation stream, and the framing of LZRW1-KH
// blocks that animation resources are stored in. All little-endian; packed byte offsets.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "classlib/core/exceptions.h"
#include "classlib/core/streams.h"

HX_DECLARE_EXCEPTION(EActorError, Exception);

// Animation categories the rest of the system asks for (numbers are part of the format).
constexpr int CategoryHide = 32;
constexpr int CategoryIdle1 = 33;  // idle levels 1..3 are 33..35
constexpr int CategoryIdle3 = 35;
constexpr int CategoryMoveFirst = 46;  // 46..53: moving down, down-right, down-left, right, left, up, up-right, up-left
constexpr int CategoryRestPose = 60;
constexpr int CategoryShow = 64;
constexpr int MaxCategory = 77;  // 1..77 may be asked for

// Animation kinds: how an animation leaves the stage.
constexpr std::uint8_t KindOrdinary = 0;
constexpr std::uint8_t KindReturns = 1;    // plays its return animation after finishing
constexpr std::uint8_t KindExits = 2;      // always leaves through its exit frames

constexpr std::uint16_t ActorVersion = 200;
constexpr std::size_t ActorNameMax = 20;
constexpr std::size_t AnimationNameMax = 50;
constexpr std::size_t ActorHeaderFixedSize = 1058;  // up to the first animation record
constexpr std::size_t AnimationRecordSize = 66;
constexpr std::size_t MaxFrames = 256;

constexpr std::size_t ActorHeaderSize(std::size_t animationCount) {
  return ActorHeaderFixedSize + AnimationRecordSize * animationCount;
}

struct TPaletteEntry {
  std::uint8_t Red = 0, Green = 0, Blue = 0, Flags = 0;
};

struct TAnimationRecord {
  String Name;                              // code page 1251 in the file
  std::uint16_t StreamId = 0;               // binary-data resource of the animation stream
  std::array<std::uint8_t, 10> Categories{};  // category c is bit (c mod 8) of byte (c div 8)
  std::uint8_t Kind = KindOrdinary;
  std::uint16_t ReturnAnimation = 0;        // record played after a finished KindReturns

  bool HasCategory(int category) const {
    return category >= 0 && category < 80 && (Categories[category / 8] >> (category % 8) & 1);
  }
};

struct TActorHeader {
  std::uint16_t Version = 0;
  String Name;
  std::uint16_t FrameWidth = 0, FrameHeight = 0;
  std::uint16_t PaletteVersion = 0;
  std::uint16_t PaletteCount = 0;  // as stored, clamped to 1..256
  std::array<TPaletteEntry, 256> Palette{};
  std::uint8_t TransparentIndex = 0;
  std::vector<TAnimationRecord> Animations;  // record i is Animations[i - 1]
  std::array<std::uint16_t, MaxCategory + 1> CategoryCounts{};

  // Record number of the n-th animation (1-based) of `category`; n = 0 picks one at random,
  // n above the count wraps (n mod count, 0 meaning the first). 0 when there is none.
  int FindAnimation(int category, int n) const;
  // Record number of the last animation named `name` (ASCII letter case ignored); 0 if none.
  int IndexOfName(const String& name) const;
};

// Reads a header from the `size` bytes at `data` (all that may be read). False when it is
// not a valid actor header: too short for its records, version not 200, no animations.
bool ParseActorHeader(const std::uint8_t* data, std::size_t size, TActorHeader& header);

struct TBranch {
  std::uint8_t Percent = 0;  // for exits: the exit flag (nonzero: the frame has an exit)
  std::uint8_t Target = 0;   // frame index counted from 0
};

// A decoded animation stream: per-frame tables and one strip of F frames side by side
// (F × W bytes per row, H rows, top row first; palette indices).
struct TActorAnimation {
  std::uint32_t FrameCount = 0;
  std::vector<std::uint16_t> Sounds;    // "WAVE" resource number, 0 = none
  std::vector<std::uint8_t> Durations;  // 1/100 s at speed 100; 0 = not drawn
  std::vector<std::array<TBranch, 4>> Branches;
  std::vector<TBranch> Exits;
  std::vector<std::uint8_t> Pixels;
  int Width = 0, Height = 0;

  std::size_t StripStride() const { return static_cast<std::size_t>(FrameCount) * static_cast<std::size_t>(Width); }
  // The first pixel of row y of frame k.
  const std::uint8_t* FrameRow(std::size_t k, int y) const {
    return Pixels.data() + static_cast<std::size_t>(y) * StripStride() + k * static_cast<std::size_t>(Width);
  }
};

// Reads an animation stream for frames of width × height. Raises EActorError when the
// frame count is 0 or above 256, a branch or exit that can be taken leads outside the
// frames, or the stream is shorter than its frames need.
TActorAnimation ParseAnimationStream(const std::uint8_t* data, std::size_t size, int width, int height);

// The animation resources' framing: a 4-byte total (not used), then blocks, each a 2-byte
// length L and L bytes of one LZRW1-KH chunk; the first block that decodes to fewer than
// ActorBlockSize bytes is the last.
constexpr std::size_t ActorBlockSize = 32768;
constexpr std::size_t ActorBlockBufferSize = 32784;  // the most a block's L may be

// Decodes one block into `dest` (ActorBlockBufferSize bytes); returns its length.
// EReadError for a corrupt block or one that decodes past ActorBlockSize bytes.
std::size_t DecompressBlock(const std::uint8_t* source, std::uint8_t* dest, std::size_t length);
// Decodes the framing from `source` into `dest`, block after block. EReadError for a
// length above ActorBlockBufferSize, a corrupt block or a source that ends too early.
void DecompressStream(TStream* source, TStream* dest);
