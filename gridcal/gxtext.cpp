#include "gridcal/gxtext.h"

#include <algorithm>

std::string ReplaceAll(std::string_view Text, std::string_view Search, std::string_view Replacement) {
  if (Search.empty()) return std::string(Text);
  std::string out;
  out.reserve(Text.size());
  size_t from = 0;
  for (size_t at = Text.find(Search); at != std::string_view::npos; at = Text.find(Search, from)) {
    out.append(Text.substr(from, at - from));
    out.append(Replacement);
    from = at + Search.size();
  }
  out.append(Text.substr(from));
  return out;
}

namespace {
// The start of the UTF-8 character that ends before End.
size_t PreviousCharStart(std::string_view s, size_t End) {
  size_t i = End;
  while (i > 0) {
    --i;
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) break;
  }
  return i;
}
}  // namespace

std::string ShortenText(std::string_view Text, int MaxWidth, const std::function<int(std::string_view)>& TextWidth) {
  if (TextWidth(Text) <= MaxWidth) return std::string(Text);
  size_t end = Text.size();
  while (end > 0) {
    end = PreviousCharStart(Text, end);
    if (end == 0) break;
    std::string candidate = std::string(Text.substr(0, end)) + "...";
    if (TextWidth(candidate) <= MaxWidth) return candidate;
  }
  return "...";
}

TRect BitmapCellRect(int Width, int Height, int Cols, int Rows, int Index) {
  Cols = std::max(Cols, 1);
  Rows = std::max(Rows, 1);
  Index = std::clamp(Index, 0, Cols * Rows - 1);
  int w = Width / Cols;
  int h = Height / Rows;
  int x = (Index % Cols) * w;
  int y = (Index / Cols) * h;
  return TRect{x, y, x + w, y + h};
}
