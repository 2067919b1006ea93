#pragma once
// The rectangles of a window region: in each row, top row first, every maximal run of
// pixels that are not transparent becomes the rectangle (start, y, end + 1, y + 1).
#include <cstddef>
#include <cstdint>
#include <vector>

struct TRunRect {
  int Left, Top, Right, Bottom;
  bool operator==(const TRunRect&) const = default;
};

// 8-bit pixels: a pixel is transparent when it equals `transparent` (a palette index).
void AppendOpaqueRuns8(std::vector<TRunRect>& rects, const std::uint8_t* rows, std::ptrdiff_t stride, int width,
                       int height, int transparent);
// 1-bit pixels (most significant bit first): transparent when the bit equals `transparent`,
// so a value other than 0 and 1 makes no pixel transparent.
void AppendOpaqueRuns1(std::vector<TRunRect>& rects, const std::uint8_t* rows, std::ptrdiff_t stride, int width,
                       int height, int transparent);
