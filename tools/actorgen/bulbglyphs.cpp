// The hint bulb's glyph strip "BULBGLYPHS256": four 16 × 20 glyphs side by side (normal,
// disabled, pressed, hot), an 8-bit bitmap whose black bottom-left pixel (index 0) is the
// transparent colour.
#include <array>
#include <fstream>
#include <stdexcept>
#include <string>

#include "framecanvas.h"

namespace {

void PutLE(std::vector<std::uint8_t>& v, std::uint32_t x, int bytes) {
  for (int i = 0; i < bytes; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}

constexpr int GlyphW = 16, GlyphH = 20;

struct TBulbInks {
  std::uint8_t Glass, Shine, Base, Outline;
};

void DrawBulb(TFrameCanvas& c, const TBulbInks& ink, double dy) {
  c.FillCircle(7.5, 7 + dy, 6.2, ink.Glass);
  c.FillRect(5, 11 + dy, 11, 14 + dy, ink.Glass);
  c.FillRect(5, 14 + dy, 11, 18 + dy, ink.Base);
  c.Line(5, 15.5 + dy, 10.5, 15.5 + dy, 0.4, ink.Outline);
  c.FillCircle(5.5, 5 + dy, 1.6, ink.Shine);
  c.Outline(ink.Outline);
}

}  // namespace

void WriteBulbGlyphs(const std::string& path) {
  // Palette: 0 black (transparent), then the glyphs' colours.
  std::array<std::array<std::uint8_t, 3>, 9> colours = {{{0, 0, 0}, {255, 236, 96}, {255, 255, 230}, {150, 150, 160},
                                                          {60, 50, 30}, {200, 200, 200}, {235, 235, 235}, {232, 176, 40},
                                                          {255, 250, 170}}};
  const TBulbInks inks[4] = {{1, 2, 3, 4}, {5, 6, 3, 3}, {7, 2, 3, 4}, {8, 2, 3, 4}};
  const int width = 4 * GlyphW, stride = (width + 3) / 4 * 4;
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * GlyphH), 0);
  for (int g = 0; g < 4; ++g) {
    TFrameCanvas c(GlyphW, GlyphH, 0);
    DrawBulb(c, inks[g], g == 2 ? 1 : 0);  // pressed: one pixel lower
    for (int y = 0; y < GlyphH; ++y)
      for (int x = 0; x < GlyphW; ++x)
        bits[static_cast<std::size_t>((GlyphH - 1 - y) * stride + g * GlyphW + x)] = c.At(x, y);
  }
  std::vector<std::uint8_t> file = {'B', 'M'};
  const std::uint32_t offset = 14 + 40 + 256 * 4;
  PutLE(file, offset + static_cast<std::uint32_t>(bits.size()), 4);
  PutLE(file, 0, 4);
  PutLE(file, offset, 4);
  PutLE(file, 40, 4);
  PutLE(file, static_cast<std::uint32_t>(width), 4);
  PutLE(file, GlyphH, 4);
  PutLE(file, 1, 2);
  PutLE(file, 8, 2);
  PutLE(file, 0, 4);
  PutLE(file, static_cast<std::uint32_t>(bits.size()), 4);
  PutLE(file, 2835, 4);
  PutLE(file, 2835, 4);
  PutLE(file, 256, 4);
  PutLE(file, 0, 4);
  for (int i = 0; i < 256; ++i) {
    std::array<std::uint8_t, 3> rgb = i < static_cast<int>(colours.size()) ? colours[static_cast<std::size_t>(i)]
                                                                           : std::array<std::uint8_t, 3>{0, 0, 0};
    file.insert(file.end(), {rgb[2], rgb[1], rgb[0], 0});
  }
  file.insert(file.end(), bits.begin(), bits.end());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}
