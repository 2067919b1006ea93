// The controls' drawing and window routines, and their cursors.
#include "gridcal/gxutils.h"

#include <gtest/gtest.h>

#include <set>

#include "classlib/windows/application.h"

namespace {

// A strip of six 4 x 4 cells: cell i is filled with Colors[i] but for its bottom-left
// pixel, which is fuchsia.
std::unique_ptr<TBitmap> SixCellStrip() {
  const TColor colors[6] = {clRed, clLime, clBlue, clYellow, clAqua, clBlack};
  auto strip = std::make_unique<TBitmap>();
  strip->SetSize(24, 4);
  for (int i = 0; i < 6; ++i) {
    strip->Canvas()->GetBrush()->SetColor(colors[i]);
    strip->Canvas()->FillRect(TRect{i * 4, 0, i * 4 + 4, 4});
    strip->Canvas()->SetPixels(i * 4, 3, clFuchsia);
  }
  return strip;
}

TEST(BitmapCell, CopiesTheCellAndKeepsTheTransparentColour) {
  auto strip = SixCellStrip();
  strip->SetTransparentColor(clFuchsia);
  TBitmap cell;
  BitmapCell(strip.get(), &cell, 6, 1, 2);
  ASSERT_EQ(cell.GetWidth(), 4);
  ASSERT_EQ(cell.GetHeight(), 4);
  EXPECT_EQ(cell.Canvas()->GetPixels(1, 1), clBlue);
  EXPECT_EQ(cell.Canvas()->GetPixels(0, 3), clFuchsia);
  EXPECT_EQ(cell.GetTransparentColor(), clFuchsia);

  BitmapCell(strip.get(), &cell, 6, 1, 99);  // past the end: the last cell
  EXPECT_EQ(cell.Canvas()->GetPixels(1, 1), clBlack);
  BitmapCell(strip.get(), &cell, 0, 0, 0);  // no columns: the whole strip
  EXPECT_EQ(cell.GetWidth(), 24);
}

TEST(CreateDisabledBitmap, DrawsTheShapeInHighlightAndShadowOnTheFace) {
  TBitmap glyph;
  glyph.SetSize(8, 8);
  glyph.Canvas()->GetBrush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(TRect{0, 0, 8, 8});
  glyph.Canvas()->GetBrush()->SetColor(clRed);
  glyph.Canvas()->FillRect(TRect{2, 2, 5, 5});
  TBitmap disabled;
  CreateDisabledBitmap(&glyph, &disabled);
  auto rgb = [](TColor c) { return static_cast<TColor>(ColorToRGB(c) & 0xFFFFFF); };
  std::set<TColor> seen;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) seen.insert(disabled.Canvas()->GetPixels(x, y));
  EXPECT_EQ(seen, (std::set<TColor>{rgb(clBtnFace), rgb(clBtnHighlight), rgb(clBtnShadow)}));
  EXPECT_EQ(disabled.Canvas()->GetPixels(3, 3), rgb(clBtnShadow));
  EXPECT_EQ(disabled.Canvas()->GetPixels(5, 5), rgb(clBtnHighlight));
  EXPECT_EQ(disabled.Canvas()->GetPixels(0, 0), rgb(clBtnFace));
}

TEST(RepostQuitMessage, PutsTheQuitBackWithItsCode) {
  PostQuitMessage(7);
  EXPECT_TRUE(RepostQuitMessage());
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(RepostQuitMessage());
}

TEST(GridCalCursors, TheProgramsOwnOrTheSystemsHand) {
  RegisterGridCalCursors();  // this program carries them
  EXPECT_NE(Screen->Cursors(crHand), nullptr);
  EXPECT_NE(Screen->Cursors(crDragHand), nullptr);
  EXPECT_NE(Screen->Cursors(crHand), Screen->Cursors(crDefault));
  // A module without them: the system's hand.
  RegisterGridCalCursors(GetModuleHandleW(L"kernel32.dll"));
  EXPECT_NE(Screen->Cursors(crHand), nullptr);
  EXPECT_NE(Screen->Cursors(crDragHand), nullptr);
}

TEST(ShortenCanvasText, FitsTheCanvasFont) {
  TBitmap b;
  b.SetSize(10, 10);
  String text = "Калькулятор для всех";
  int width = b.Canvas()->TextWidth(text);
  String shortened = ShortenCanvasText(b.Canvas(), text, width / 2);
  EXPECT_LE(b.Canvas()->TextWidth(shortened), width / 2);
  EXPECT_EQ(shortened.substr(shortened.size() - 3), "...");
  EXPECT_EQ(ShortenCanvasText(b.Canvas(), text, width), text);
}

}  // namespace
