// The hint bulb's glyph strip "BULBGLYPHS256": four 16 × 20 glyphs side by side (normal,
// disabled, pressed, hot), an 8-bit bitmap whose black bottom-left pixel (index 0) is the
// transparent colour.
#include <array>
#include <vector>
#include <string>

#include "framecanvas.h"
#include "indexedbitmap.h"

namespace {

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
  std::vector<std::array<std::uint8_t, 3>> colours = {{0, 0, 0},       {255, 236, 96},  {255, 255, 230},
                                                      {150, 150, 160}, {60, 50, 30},    {200, 200, 200},
                                                      {235, 235, 235}, {232, 176, 40},  {255, 250, 170}};
  const TBulbInks inks[4] = {{1, 2, 3, 4}, {5, 6, 3, 3}, {7, 2, 3, 4}, {8, 2, 3, 4}};
  const int width = 4 * GlyphW;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * GlyphH), 0);
  for (int g = 0; g < 4; ++g) {
    TFrameCanvas c(GlyphW, GlyphH, 0);
    DrawBulb(c, inks[g], g == 2 ? 1 : 0);  // pressed: one pixel lower
    for (int y = 0; y < GlyphH; ++y)
      for (int x = 0; x < GlyphW; ++x) pixels[static_cast<std::size_t>(y * width + g * GlyphW + x)] = c.At(x, y);
  }
  WriteIndexedBitmap(path, width, GlyphH, pixels, colours);
}
