// The flat button's built-in glyphs "OFFICE_1" .. "OFFICE_24" (8-bit bitmaps on black, four
// to a button type in the order hot, disabled, pressed, normal) and the speech balloon's
// tips icon "BALLOONTIPS", a 32 × 32 bulb on black.
#include <array>
#include <string>
#include <vector>

#include "framecanvas.h"
#include "indexedbitmap.h"

namespace {

// Palette indices.
enum : std::uint8_t {
  Black, Blue, DarkBlue, BrightBlue, Grey, DarkGrey, PaleBlue, White, Glass, GlassShine, GreyGlass, Metal, DarkEdge
};
const std::vector<std::array<std::uint8_t, 3>> Colours = {
    {0, 0, 0},     {40, 90, 210},  {20, 40, 120},  {90, 150, 255}, {150, 150, 150}, {95, 95, 95},  {170, 200, 255},
    {255, 255, 255}, {200, 230, 60}, {240, 255, 170}, {190, 190, 190}, {140, 140, 150}, {60, 60, 70}};

// Inks of one state: body, shade, shine.
struct TInks {
  std::uint8_t Body, Shade, Shine;
};
// Hot, disabled, pressed, normal.
const TInks SphereInks[4] = {{BrightBlue, Blue, White}, {Grey, DarkGrey, White}, {PaleBlue, BrightBlue, White},
                             {Blue, DarkBlue, White}};
const TInks ArrowInks[4] = {{BrightBlue, Blue, White}, {Grey, DarkGrey, White}, {PaleBlue, BrightBlue, White},
                            {Blue, DarkBlue, White}};
const TInks BulbInks[4] = {{GlassShine, Glass, White}, {GreyGlass, Grey, White}, {Glass, GlassShine, White},
                           {Glass, Metal, White}};

void Sphere(TFrameCanvas& c, double cx, double cy, double r, const TInks& ink) {
  c.FillCircle(cx, cy, r, ink.Shade);
  c.FillCircle(cx - r * 0.15, cy - r * 0.15, r * 0.8, ink.Body);
  c.FillCircle(cx - r * 0.35, cy - r * 0.35, r * 0.3, ink.Shine);
}

void Bulb(TFrameCanvas& c, double scale, const TInks& ink) {
  const double s = scale;
  c.FillCircle(7.5 * s, 6.2 * s, 5.2 * s, ink.Shade);
  c.FillCircle(7.2 * s, 5.9 * s, 4.4 * s, ink.Body);
  c.FillRect(5.2 * s, 10 * s, 9.8 * s, 12 * s, ink.Body);
  c.FillRect(5.2 * s, 12 * s, 9.8 * s, 14.6 * s, Metal);
  c.FillCircle(5.8 * s, 4.4 * s, 1.3 * s, ink.Shine);
}

using TDraw = void (*)(TFrameCanvas& c, const TInks& ink);

struct TGroup {
  int First;  // number of the hot glyph
  int Width, Height;
  TDraw Draw;
};

void ButtonSphere(TFrameCanvas& c, const TInks& ink) { Sphere(c, 5, 5, 4.6, ink); }
void NewRadio(TFrameCanvas& c, const TInks& ink) { Sphere(c, 8, 8, 4.5, ink); }
void OldRadio(TFrameCanvas& c, const TInks& ink) {
  c.FillCircle(7.9, 7.9, 7.1, White);  // the rim shows on the lower right
  Sphere(c, 7.2, 7.2, 6.6, ink);
}
void UpArrow(TFrameCanvas& c, const TInks& ink) {
  c.FillRect(0, 8, 17, 9, White);  // the line it stands on; the bottom row stays black
  c.FillPolygon({{8.5, 1}, {14.5, 8}, {2.5, 8}}, ink.Body);
}
void DownArrow(TFrameCanvas& c, const TInks& ink) {
  c.FillPolygon({{2.5, 1}, {14.5, 1}, {8.5, 8.5}}, ink.Body);
  c.FillRect(2.5, 1, 14.5, 2, DarkEdge);
  c.FillRect(16, 0, 17, 9, White);
}
void HintBulb(TFrameCanvas& c, const TInks& ink) { Bulb(c, 1, ink); }

void WriteGlyph(const std::string& path, int w, int h, TDraw draw, const TInks& ink) {
  TFrameCanvas c(w, h, Black);
  draw(c, ink);
  c.Put(0, h - 1, Black);  // the bottom-left pixel carries the background
  WriteIndexedBitmap(path, w, h, c.Pixels(), Colours);
}

}  // namespace

void WriteOfficeGlyphs(const std::string& folder) {
  const TGroup groups[] = {{1, 10, 10, ButtonSphere}, {5, 15, 15, OldRadio}, {9, 17, 10, UpArrow},
                           {13, 17, 9, DownArrow},    {17, 16, 16, NewRadio}, {21, 15, 15, HintBulb}};
  for (const TGroup& g : groups) {
    const TInks* inks = g.Draw == UpArrow || g.Draw == DownArrow ? ArrowInks : g.Draw == HintBulb ? BulbInks : SphereInks;
    for (int state = 0; state < 4; ++state)
      WriteGlyph(folder + "/Office" + std::to_string(g.First + state) + ".bmp", g.Width, g.Height, g.Draw, inks[state]);
  }
  TFrameCanvas tips(32, 32, Black);
  Bulb(tips, 2.1, BulbInks[3]);
  tips.Put(0, 31, Black);
  WriteIndexedBitmap(folder + "/BalloonTips.bmp", 32, 32, tips.Pixels(), Colours);
}
