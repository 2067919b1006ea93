// Writes the kit fuzzers' seeds with the kit's own writers: LZRW1-KH chunks (compressed and
// stored) behind the byte that chooses the fuzzer's output capacity, in <folder>/lzrw; a
// block stream of two chunks and the flagged form and wave layouts, both ways, in
// <folder>/kit_streams.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "seed_writer.h"
#include "classlib/core/streams.h"
#include "controls/kitstreams.h"
#include "controls/kitwave.h"
#include "controls/lzrw.h"

namespace {

// Text with repeats near and far, so the chunks hold short and long copies.
std::string Sample(std::size_t size) {
  std::string s;
  std::uint32_t x = 7;
  while (s.size() < size) {
    x = x * 1103515245u + 12345u;
    s += "Будильник поставлен на " + std::to_string(x >> 20 & 1023) + (x & 1 ? " минут\r\n" : std::string(x >> 8 & 63, ' '));
  }
  s.resize(size);
  return s;
}

std::string Noise(std::size_t size) {
  std::string s(size, '\0');
  std::uint32_t x = 99;
  for (char& c : s) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  return s;
}

void Put(std::string& s, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
}

// A PCM wave image: 8-bit mono samples at 8 kHz.
std::string WaveImage(std::size_t samples) {
  std::string data = Sample(samples), s = "RIFF";
  Put(s, static_cast<std::uint32_t>(36 + data.size()), 4);
  s += "WAVEfmt ";
  Put(s, 16, 4);
  Put(s, 1, 2);
  Put(s, 1, 2);
  Put(s, 8000, 4);
  Put(s, 8000, 4);
  Put(s, 1, 2);
  Put(s, 8, 2);
  s += "data";
  Put(s, static_cast<std::uint32_t>(data.size()), 4);
  return s + data;
}

// The fuzzer's capacity byte (times 160) that holds `size` bytes, then the chunk.
std::string LzrwSeed(const std::string& source) {
  std::vector<std::uint8_t> packed(LzrwCompressBound(source.size()));
  std::size_t n = Lzrw1KhCompress(reinterpret_cast<const std::uint8_t*>(source.data()), packed.data(), source.size());
  return std::string(1, static_cast<char>((source.size() + 159) / 160)) + std::string(packed.begin(), packed.begin() + n);
}

}  // namespace

void WriteSeeds(const std::filesystem::path& out) {
  WriteSeedFile(out / "lzrw" / "text.bin", LzrwSeed(Sample(3000)));
  WriteSeedFile(out / "lzrw" / "full.bin", LzrwSeed(Sample(LzrwChunkSize)));
  WriteSeedFile(out / "lzrw" / "stored.bin", LzrwSeed(Noise(300)));

  const std::string kit = (out / "kit_streams").string();
  {
    TStringStream source(Sample(40000) + Noise(2000)), dest;
    WriteCompressedBlocks(&source, &dest, static_cast<std::int64_t>(source.DataString().size()));
    WriteSeedFile(kit + "/blocks.bin", dest.DataString());
  }
  for (bool compressed : {true, false}) {
    const std::string how = compressed ? "compressed" : "sized";
    TMemoryStream form;
    const std::string image = Sample(1500);
    form.WriteBuffer(image.data(), static_cast<std::int64_t>(image.size()));
    TStringStream s;
    WriteFlag(&s, compressed ? 1 : 0);
    WriteShortString(&s, "TKitForm");
    WriteFlaggedForm(&s, &form, compressed);
    WriteSeedFile(kit + "/form-" + how + ".bin", s.DataString());

    TKitWave wave;
    TStringStream wav(WaveImage(600));
    wave.LoadFromStream(&wav);
    TStringStream w;
    WriteFlag(&w, compressed ? 1 : 0);
    WriteFlaggedWave(&w, &wave, compressed);
    WriteSeedFile(kit + "/wave-" + how + ".bin", w.DataString());
  }
}
