#include "assistant/regionruns.h"

namespace {

template <typename IsOpaque>
void AppendRuns(std::vector<TRunRect>& rects, int width, int height, IsOpaque opaque) {
  for (int y = 0; y < height; ++y) {
    int x = 0;
    while (x < width) {
      while (x < width && !opaque(x, y)) ++x;
      int start = x;
      while (x < width && opaque(x, y)) ++x;
      if (x > start) rects.push_back({start, y, x, y + 1});
    }
  }
}

}  // namespace

void AppendOpaqueRuns8(std::vector<TRunRect>& rects, const std::uint8_t* rows, std::ptrdiff_t stride, int width,
                       int height, int transparent) {
  AppendRuns(rects, width, height, [&](int x, int y) { return rows[y * stride + x] != transparent; });
}

void AppendOpaqueRuns1(std::vector<TRunRect>& rects, const std::uint8_t* rows, std::ptrdiff_t stride, int width,
                       int height, int transparent) {
  AppendRuns(rects, width, height, [&](int x, int y) { return (rows[y * stride + x / 8] >> (7 - x % 8) & 1) != transparent; });
}
