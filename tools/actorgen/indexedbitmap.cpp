#include "indexedbitmap.h"

#include <fstream>
#include <stdexcept>

namespace {

void PutLE(std::vector<std::uint8_t>& v, std::uint32_t x, int bytes) {
  for (int i = 0; i < bytes; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}

}  // namespace

void WriteIndexedBitmap(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels,
                        const std::vector<std::array<std::uint8_t, 3>>& colours) {
  const int stride = (width + 3) / 4 * 4;
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * height), 0);
  for (int y = 0; y < height; ++y)  // bottom row first
    for (int x = 0; x < width; ++x)
      bits[static_cast<std::size_t>((height - 1 - y) * stride + x)] = pixels[static_cast<std::size_t>(y * width + x)];
  std::vector<std::uint8_t> file = {'B', 'M'};
  const std::uint32_t offset = 14 + 40 + 256 * 4;
  PutLE(file, offset + static_cast<std::uint32_t>(bits.size()), 4);
  PutLE(file, 0, 4);
  PutLE(file, offset, 4);
  PutLE(file, 40, 4);
  PutLE(file, static_cast<std::uint32_t>(width), 4);
  PutLE(file, static_cast<std::uint32_t>(height), 4);
  PutLE(file, 1, 2);
  PutLE(file, 8, 2);
  PutLE(file, 0, 4);
  PutLE(file, static_cast<std::uint32_t>(bits.size()), 4);
  PutLE(file, 2835, 4);
  PutLE(file, 2835, 4);
  PutLE(file, 256, 4);
  PutLE(file, 0, 4);
  for (std::size_t i = 0; i < 256; ++i) {
    std::array<std::uint8_t, 3> rgb = i < colours.size() ? colours[i] : std::array<std::uint8_t, 3>{0, 0, 0};
    file.insert(file.end(), {rgb[2], rgb[1], rgb[0], 0});
  }
  file.insert(file.end(), bits.begin(), bits.end());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}
