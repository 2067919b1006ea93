#include "wave_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace horavox::e2e {

Bytes ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes WaveSamples(const std::string& path) {
  Bytes f = ReadWholeFile(path);
  auto u32 = [&](size_t at) {
    return static_cast<std::uint32_t>(f[at] | f[at + 1] << 8 | f[at + 2] << 16 | f[at + 3] << 24);
  };
  if (f.size() < 12 || std::string(f.begin(), f.begin() + 4) != "RIFF" ||
      std::string(f.begin() + 8, f.begin() + 12) != "WAVE")
    throw std::runtime_error(path + " is not a wave file");
  for (size_t at = 12; at + 8 <= f.size();) {
    std::string id(f.begin() + at, f.begin() + at + 4);
    size_t len = u32(at + 4);
    if (at + 8 + len > f.size()) break;
    if (id == "data") return Bytes(f.begin() + at + 8, f.begin() + at + 8 + len);
    at += 8 + len + (len & 1);
  }
  throw std::runtime_error(path + " has no data chunk");
}

long long Find(const Bytes& whole, const Bytes& part, size_t from) {
  if (from > whole.size()) return -1;
  auto it = std::search(whole.begin() + from, whole.end(), part.begin(), part.end());
  return it == whole.end() ? -1 : it - whole.begin();
}

}  // namespace horavox::e2e
