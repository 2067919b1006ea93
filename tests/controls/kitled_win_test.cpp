// The LED display drawn on a bitmap with the main window's sizes (thickness 2, bars 9,
// uprights 7: a 19 × 28 cell): which segments each text lights, read at the segments.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "controls/kitled.h"

namespace {

constexpr std::uint32_t kLit = 0x00FF00, kPrefill = 0xFF0000;  // lime; blue in BGR order

struct TProbe {
  int Segment;
  TRect Box;  // any lit pixel in it lights the segment
};
// Centres of the bars and uprights; boxes of the diagonals; the dots where no other
// segment reaches.
const std::vector<TProbe> kProbes = {
    {0, {12, 3, 13, 4}},   {1, {3, 8, 4, 9}},     {2, {16, 8, 17, 9}},   {3, {12, 14, 13, 15}},
    {4, {3, 19, 4, 20}},   {5, {16, 19, 17, 20}}, {6, {12, 25, 13, 26}}, {7, {9, 8, 10, 9}},
    {8, {9, 19, 10, 20}},  {9, {5, 6, 8, 12}},    {10, {11, 6, 14, 12}}, {11, {5, 17, 8, 23}},
    {12, {11, 17, 14, 23}}, {13, {7, 12, 8, 13}},  {14, {7, 1, 8, 2}},    {15, {7, 23, 8, 24}},
};

std::uint32_t Rgb(TBitmap& B, int X, int Y) { return static_cast<std::uint32_t>(B.Canvas()->GetPixels(X, Y)) & 0xFFFFFF; }

std::set<int> LitSegments(TBitmap& B, int CellX = 0) {
  std::set<int> lit;
  for (const TProbe& p : kProbes)
    for (int y = p.Box.Top; y < p.Box.Bottom; ++y)
      for (int x = p.Box.Left; x < p.Box.Right; ++x)
        if (Rgb(B, CellX + x, y) == kLit) lit.insert(p.Segment);
  return lit;
}

class KitLEDTest : public ::testing::Test {
 protected:
  void SetUp() override {
    led.SetBackColor(clBlack);
    bitmap.SetSize(80, 60);
  }
  void Draw(const std::string& Text, bool Active = true) {
    bitmap.Canvas()->GetBrush()->SetColor(static_cast<TColor>(kPrefill));
    bitmap.Canvas()->FillRect(Rect(0, 0, 80, 60));
    led.DrawLEDText(bitmap.Canvas(), Rect(0, 0, 80, 60), Text, true, Active);
  }
  bool CellDrawn(int CellX = 0) { return Rgb(bitmap, CellX + 1, 1) != kPrefill; }
  TKitLED led;
  TBitmap bitmap;
};

TEST_F(KitLEDTest, TheCellOfTheMainWindowsSizes) {
  EXPECT_EQ(led.CellWidth(), 19);
  EXPECT_EQ(led.CellHeight(), 28);
}

TEST_F(KitLEDTest, TextsLightTheirSegments) {
  struct TCase {
    std::string Text;
    bool Cell;
    std::set<int> Lit;
  };
  const std::vector<TCase> cases = {
      {"0", true, {0, 1, 2, 4, 5, 6, 9, 12}}, {"1", true, {7, 8}},          {"2", true, {0, 2, 3, 4, 6}},
      {"3", true, {0, 2, 3, 5, 6}},           {"4", true, {1, 2, 3, 5}},     {"5", true, {0, 1, 3, 5, 6}},
      {"6", true, {0, 1, 3, 4, 5, 6}},        {"7", true, {0, 2, 5}},        {"8", true, {0, 1, 2, 3, 4, 5, 6}},
      {"9", true, {0, 1, 2, 3, 5, 6}},        {":", true, {13, 15}},         {".", true, {15}},
      {"A", true, {0, 1, 2, 3, 4, 5}},        {"a", true, {0, 1, 2, 3, 4, 5}}, {"P", true, {0, 1, 2, 3, 4}},
      {"N", true, {1, 2, 4, 5, 9, 12}},       {"-", true, {3}},              {"/", true, {}},
      {" ", true, {}},                        {"\t", false, {}},             {"\r", false, {}},
      {"я", false, {}},                       {"ж", true, {}},
  };
  for (const TCase& c : cases) {
    Draw(c.Text);
    EXPECT_EQ(CellDrawn(), c.Cell) << c.Text;
    EXPECT_EQ(LitSegments(bitmap), c.Lit) << c.Text;
  }
}

TEST_F(KitLEDTest, CellsFollowOneAnotherAndLinesBreakAtCarriageReturn) {
  Draw("1\t8");  // the tab takes no cell
  EXPECT_EQ(LitSegments(bitmap, 19), (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
  led.DrawLEDText(nullptr, TRect{}, "ab\rcdeж\rя", false, true);
  EXPECT_EQ(led.LineCount(), 3);
  EXPECT_EQ(led.LongestLine(), 4);  // a Russian letter is one cell
}

TEST_F(KitLEDTest, UnlitSegmentsShowTheChecker) {
  Draw("1");
  // The top bar unlit: the checker of black and green, no lime.
  std::set<std::uint32_t> colours;
  for (int x = 6; x < 12; ++x) colours.insert(Rgb(bitmap, x, 3));
  EXPECT_EQ(colours, (std::set<std::uint32_t>{0x000000, 0x008000}));
  TBitmap* checker = KitCheckerBitmap(clRed, clBlue);
  EXPECT_EQ(checker->Canvas()->GetPixels(0, 1) & 0xFFFFFF, clRed);
  EXPECT_EQ(checker->Canvas()->GetPixels(1, 1) & 0xFFFFFF, clBlue);
  EXPECT_EQ(KitCheckerBitmap(clRed, clBlue), checker);
}

TEST_F(KitLEDTest, InactiveWithDisabledDigitsLightsNothing) {
  Draw("88", false);
  EXPECT_TRUE(CellDrawn());
  EXPECT_TRUE(LitSegments(bitmap).empty());
  led.SetDisabledDigits(false);
  Draw("88", false);
  EXPECT_EQ(LitSegments(bitmap).size(), 7u);
}

TEST_F(KitLEDTest, ShortUprightsDrawOnlyTheSevenBars) {
  led.SetVertsize(3);
  for (const char* text : {".", ":", "1"}) {
    Draw(text);
    int lit = 0;
    for (int y = 0; y < led.CellHeight(); ++y)
      for (int x = 0; x < led.CellWidth(); ++x) lit += Rgb(bitmap, x, y) == kLit;
    EXPECT_EQ(lit, 0) << text;
  }
}

TEST_F(KitLEDTest, BlinkingAlternatesPerDrawnTextNotPerMeasurement) {
  led.StartBlinking();
  std::vector<bool> shown;
  for (int i = 0; i < 4; ++i) {
    Draw("8");
    shown.push_back(!LitSegments(bitmap).empty());
    led.DrawLEDText(nullptr, TRect{}, "8", false, true);  // measuring: no flip
  }
  EXPECT_EQ(shown, (std::vector<bool>{true, false, true, false}));
  led.StopBlinking();
  Draw("8");
  EXPECT_FALSE(LitSegments(bitmap).empty());
}

TEST_F(KitLEDTest, ACellOfNoSizeDrawsNothing) {
  led.SetThickness(0);
  led.SetHorzsize(0);
  led.SetVertsize(0);
  Draw("8");
  EXPECT_FALSE(CellDrawn());
}

}  // namespace
