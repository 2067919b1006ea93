#pragma once
// What an actor library is made of, and the writers that turn it into the pieces the
// MinGW tools link into a DLL: the header as C source (with GetActorInfo), the .rc that
// lists the compressed animation streams and the frame sounds, and the streams themselves.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "assistant/actorformat.h"

struct TFrame {
  std::vector<std::uint8_t> Pixels;  // W × H palette indices, top row first
  std::uint8_t Duration = 10;
  std::uint16_t Sound = 0;
  std::array<TBranch, 4> Branches{};
  TBranch Exit{};
};

struct TAnimation {
  std::string Name;
  std::vector<int> Categories;
  std::uint8_t Kind = KindOrdinary;
  std::uint16_t Return = 0;
  std::vector<TFrame> Frames;
  // Test actors only: the stream, or the whole resource, exactly as given; or no resource.
  std::optional<std::vector<std::uint8_t>> RawStream;
  std::optional<std::vector<std::uint8_t>> RawResource;
  bool NoResource = false;
};

struct TSound {
  std::uint16_t Id;
  std::string File;  // a wave file made by make-actor-sounds.sh
};

enum class TExport { Header, None, Null };

struct TActor {
  std::string FileName;  // the library is FileName.aal
  std::string Name;      // the actor's own name in its header
  int Width = 0, Height = 0;
  std::uint8_t Transparent = 0;
  std::array<TPaletteEntry, 256> Palette{};
  std::vector<TAnimation> Animations;
  std::vector<TSound> Sounds;
  // Test actors only.
  std::uint16_t Version = ActorVersion;
  std::optional<std::uint16_t> CountInHeader;  // an animation count other than the records
  TExport Export = TExport::Header;
  bool NotALibrary = false;  // FileName.aal is a text file
};

// The decompressed animation stream.
std::vector<std::uint8_t> AnimationStream(const TAnimation& a, int width, int height);
// The stream in the actor framing: 32768-byte blocks, each LZRW1-KH compressed.
std::vector<std::uint8_t> FrameActorStream(const std::vector<std::uint8_t>& stream);
std::vector<std::uint8_t> ActorHeaderBytes(const TActor& actor);

// Checks a well-formed actor the way the reader and the engine will take it, and the rules
// the engine needs to keep moving (exits lead forward, no loop of undrawn frames); reads
// every written stream back. Throws Exception naming the fault.
void CheckActor(const TActor& actor);
// Writes FileName.c, FileName.rc and FileName_<id>.bin (or FileName.aal for a text file).
void WriteActorSources(const TActor& actor, const std::string& dir);
// A 24-bit BMP with one row of frames per animation (transparent pixels light grey).
void WriteContactSheet(const TActor& actor, const std::string& path, std::size_t maxFramesPerRow);
