#include <gtest/gtest.h>

#include "assistant/actor.h"

namespace {

// A DIB section with the given top-down rows of bits-per-pixel `bpp` (1 or 8 or 24).
HBITMAP MakeDib(int width, int height, int bpp, const std::vector<std::uint8_t>& rows, bool bottomUp = false) {
  std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi->bmiHeader.biWidth = width;
  bi->bmiHeader.biHeight = bottomUp ? height : -height;
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biBitCount = static_cast<WORD>(bpp);
  // A grey ramp in which entries 9 and 10 share one colour: indices, not colours, count.
  for (int i = 0; i < 256; ++i) bi->bmiColors[i] = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
  bi->bmiColors[10] = bi->bmiColors[9];
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  int stride = (width * bpp + 31) / 32 * 4;
  for (int y = 0; y < height; ++y) {
    int row = bottomUp ? height - 1 - y : y;
    std::copy(rows.begin() + y * stride, rows.begin() + (y + 1) * stride, static_cast<std::uint8_t*>(bits) + row * stride);
  }
  GdiFlush();
  return bmp;
}

HRGN Union(const std::vector<RECT>& rects) {
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  for (const RECT& rc : rects) {
    HRGN part = CreateRectRgn(rc.left, rc.top, rc.right, rc.bottom);
    CombineRgn(r, r, part, RGN_OR);
    DeleteObject(part);
  }
  return r;
}

// True when BitmapToRegion of `bmp` covers exactly `want`.
::testing::AssertionResult Covers(HBITMAP bmp, std::uint32_t transparent, const std::vector<RECT>& want) {
  HRGN got = BitmapToRegion(bmp, transparent), expected = Union(want);
  bool same = got && EqualRgn(got, expected);
  RECT box{};
  GetRgnBox(got, &box);
  DeleteObject(got);
  DeleteObject(expected);
  DeleteObject(bmp);
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "box " << box.left << "," << box.top << "," << box.right << "," << box.bottom;
}

TEST(BitmapToRegion, EightBitPixelsOfTheTransparentIndexAreLeftOut) {
  // One row of five pixels whose first and fourth are transparent.
  EXPECT_TRUE(Covers(MakeDib(5, 1, 8, {9, 1, 2, 9, 3, 0, 0, 0}), 9, {{1, 0, 3, 1}, {4, 0, 5, 1}}));
  EXPECT_TRUE(Covers(MakeDib(5, 1, 8, {9, 10, 10, 9, 10, 0, 0, 0}), 9, {{1, 0, 3, 1}, {4, 0, 5, 1}}));
  // Rows count from the top whichever way the bitmap is stored.
  std::vector<std::uint8_t> rows = {1, 1, 0, 0, 0, 0, 0, 0};  // 2 × 2: the top row opaque
  EXPECT_TRUE(Covers(MakeDib(2, 2, 8, rows), 0, {{0, 0, 2, 1}}));
  EXPECT_TRUE(Covers(MakeDib(2, 2, 8, rows, true), 0, {{0, 0, 2, 1}}));
}

TEST(BitmapToRegion, OneBitPixelsCompareTheirBit) {
  std::vector<std::uint8_t> row = {0b10110000, 0, 0, 0};
  EXPECT_TRUE(Covers(MakeDib(5, 1, 1, row), 0, {{0, 0, 1, 1}, {2, 0, 4, 1}}));
  EXPECT_TRUE(Covers(MakeDib(5, 1, 1, row), 1, {{1, 0, 2, 1}, {4, 0, 5, 1}}));
  EXPECT_TRUE(Covers(MakeDib(5, 1, 1, row), 2, {{0, 0, 5, 1}}));
}

TEST(BitmapToRegion, OtherFormatsLeaveOutTheTransparentColour) {
  // 3 × 1 at 24 bits: red, magenta, red.
  std::vector<std::uint8_t> row = {0, 0, 255, 255, 0, 255, 0, 0, 255, 0, 0, 0};
  EXPECT_TRUE(Covers(MakeDib(3, 1, 24, row), RGB(255, 0, 255), {{0, 0, 1, 1}, {2, 0, 3, 1}}));
  EXPECT_TRUE(Covers(MakeDib(3, 1, 24, row), RGB(255, 0, 0), {{1, 0, 2, 1}}));
}

TEST(BitmapToRegion, ManyRunsAndEmptyBitmaps) {
  // 3000 single-pixel runs: more rectangles than the first buffer holds.
  const int w = 6000;
  std::vector<std::uint8_t> row(w);
  std::vector<RECT> want;
  for (int x = 0; x < w; ++x) row[x] = x % 2;
  for (int x = 1; x < w; x += 2) want.push_back({x, 0, x + 1, 1});
  EXPECT_TRUE(Covers(MakeDib(w, 1, 8, row), 0, want));
  HRGN empty = BitmapToRegion(nullptr, 0);
  RECT box;
  EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
  DeleteObject(empty);
  // A fully transparent bitmap gives an empty region too.
  HBITMAP clear = MakeDib(4, 1, 8, {5, 5, 5, 5});
  HRGN none = BitmapToRegion(clear, 5);
  EXPECT_EQ(GetRgnBox(none, &box), NULLREGION);
  DeleteObject(none);
  DeleteObject(clear);
}

}  // namespace
