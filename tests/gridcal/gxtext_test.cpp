// The controls' shared text routines and the cell geometry of image strips.
#include "gridcal/gxtext.h"

#include <gtest/gtest.h>

#include "classlib/core/unicode.h"

namespace {

struct ReplaceCase {
  const char* Text;
  const char* Search;
  const char* Replacement;
  const char* Result;
};

TEST(ReplaceAll, Table) {
  const ReplaceCase cases[] = {
      {"abc", "", "x", "abc"},
      {"aaa", "aa", "b", "ba"},
      {"aaa", "a", "aa", "aaaaaa"},
      {"12,5 ₽", "₽", "", "12,5 "},
      {"мама мыла раму", "ма", "па", "папа мыла раму"},
      {"", "a", "b", ""},
      {"abc", "abcd", "x", "abc"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReplaceAll(c.Text, c.Search, c.Replacement), c.Result) << c.Text;
}

// A width of one unit per character (not per byte).
int CharWidth(std::string_view s) { return static_cast<int>(Utf8ToUtf32(s).size()); }

TEST(ShortenText, Table) {
  struct Case {
    const char* Text;
    int Width;
    const char* Result;
  };
  const Case cases[] = {
      {"Hello", 5, "Hello"},
      {"Hello, world", 8, "Hello..."},
      {"Hello", 2, "..."},
      {"Hello", 0, "..."},
      {"Калькулятор", 7, "Каль..."},
      {"Калькулятор", 11, "Калькулятор"},
      {"", 0, ""},
  };
  for (const auto& c : cases) {
    std::string result = ShortenText(c.Text, c.Width, CharWidth);
    EXPECT_EQ(result, c.Result) << c.Text << " in " << c.Width;
    bool valid = true;
    size_t pos = 0;
    while (pos < result.size()) NextUtf8Char(result, pos, valid);
    EXPECT_TRUE(valid) << "a character was cut: " << result;
  }
}

TEST(BitmapCellRect, Table) {
  struct Case {
    int W, H, Cols, Rows, Index;
    TRect Cell;
  };
  const Case cases[] = {
      {96, 16, 6, 1, 2, {32, 0, 48, 16}},
      {96, 16, 6, 1, 0, {0, 0, 16, 16}},
      {96, 16, 6, 1, 9, {80, 0, 96, 16}},   // past the last: the last
      {96, 16, 6, 1, -3, {0, 0, 16, 16}},
      {96, 16, 0, 0, 0, {0, 0, 96, 16}},    // below 1: one column, one row
      {40, 20, 2, 2, 3, {20, 10, 40, 20}},
  };
  for (const auto& c : cases) EXPECT_EQ(BitmapCellRect(c.W, c.H, c.Cols, c.Rows, c.Index), c.Cell) << c.Index;
}

TEST(PaletteRelative, SetsBit25) {
  EXPECT_EQ(PaletteRelative(0x00123456u), 0x02123456u);
}

}  // namespace
