// The grid base on a shown form with a small test grid: cell rectangles and the cell under
// a point (fixed cells, line widths, scrolled), fixed counts refused, column sizing and
// moving by the mouse (messages to the grid's window), and the keys the in-place editor
// hands to its grid.
#include "classlib/windows/grids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/windows/forms.h"
#include "classlib/core/text.h"
#include "gui_test_util.h"

namespace {

class TTestGrid : public TCustomGrid {
 public:
  using TCustomGrid::TCustomGrid;
  std::vector<std::string> Log;
  std::vector<std::string> Texts;  // the cells' texts, "c,r" until set
  bool ReadOnlyCells = false;

  using TCustomGrid::KeyDown;

 protected:
  String GetEditText(int ACol, int ARow) override {
    String& t = Cell(ACol, ARow);
    return t;
  }
  void SetEditText(int ACol, int ARow, const String& Value) override { Cell(ACol, ARow) = Value; }
  bool CanEditModify() override { return !ReadOnlyCells; }
  void ColumnMoved(int FromIndex, int ToIndex) override {
    Log.push_back("moved " + IntToStr(FromIndex) + ">" + IntToStr(ToIndex));
  }

 private:
  String& Cell(int ACol, int ARow) {
    size_t i = static_cast<size_t>(ARow * GetColCount() + ACol);
    if (Texts.size() < static_cast<size_t>(GetColCount() * GetRowCount())) {
      Texts.resize(static_cast<size_t>(GetColCount() * GetRowCount()));
      for (size_t k = 0; k < Texts.size(); ++k)
        if (Texts[k].empty())
          Texts[k] = IntToStr(static_cast<int>(k) % GetColCount()) + "," + IntToStr(static_cast<int>(k) / GetColCount());
    }
    return Texts[i];
  }
};

class GridTest : public ::testing::Test {
 protected:
  GridTest() : form(new TForm(nullptr, CreateNew)) {
    form->SetBounds(60, 60, 320, 240);
    grid = new TTestGrid(form);
    grid->SetBorderStyle(bsNone);
    grid->SetBounds(0, 0, 200, 120);
    grid->SetParent(form);
    grid->SetColCount(5);
    grid->SetRowCount(5);
    grid->SetDefaultColWidth(30);
    grid->SetDefaultRowHeight(20);
    form->Show();
    guitest::BringToFront(form->GetHandle());
    grid->SetFocus();
    guitest::PumpFor(30);
  }
  ~GridTest() override {
    form->BeforeDestruction();
    delete form;
  }
  void Send(HWND Window, UINT Msg, WPARAM W, int X = 0, int Y = 0) {
    SendMessageW(Window, Msg, W, MAKELPARAM(X, Y));
  }
  void Key(HWND Window, WORD K) {
    SendMessageW(Window, WM_KEYDOWN, K, 0);
    SendMessageW(Window, WM_KEYUP, K, 0xC0000000);
  }

  TForm* form;
  TTestGrid* grid;
};

struct CellCase {
  int LineWidth, LeftCol, Col, Row;
  TRect Expected;
};

TEST_F(GridTest, CellRectanglesFollowWidthsLinesAndScrolling) {
  grid->SetColWidths(2, 50);
  const CellCase cases[] = {
      {1, 1, 0, 0, {0, 0, 30, 20}},     {1, 1, 1, 0, {31, 0, 61, 20}},    {1, 1, 2, 1, {62, 21, 112, 41}},
      {1, 1, 3, 2, {113, 42, 143, 62}}, {2, 1, 1, 1, {32, 22, 62, 42}},   {2, 1, 3, 0, {116, 0, 146, 20}},
      {0, 1, 3, 1, {110, 20, 140, 40}}, {1, 2, 1, 1, {}},                 {1, 2, 2, 1, {31, 21, 81, 41}},
      {1, 2, 0, 1, {0, 21, 30, 41}},    {1, 1, 5, 1, {}},                 {1, 1, -1, 0, {}},
  };
  for (const CellCase& c : cases) {
    grid->SetGridLineWidth(c.LineWidth);
    grid->SetLeftCol(c.LeftCol);
    TRect r = grid->CellRect(c.Col, c.Row);
    SCOPED_TRACE("line " + IntToStr(c.LineWidth) + " left " + IntToStr(c.LeftCol) + " cell " + IntToStr(c.Col) + "," +
                 IntToStr(c.Row));
    if (c.Expected.Width() == 0) {
      EXPECT_EQ(r.Width(), 0);
    } else {
      EXPECT_EQ(r.Left, c.Expected.Left);
      EXPECT_EQ(r.Top, c.Expected.Top);
      EXPECT_EQ(r.Right, c.Expected.Right);
      EXPECT_EQ(r.Bottom, c.Expected.Bottom);
    }
  }
}

struct PointCase {
  int LeftCol, X, Y;
  TGridCoord Expected;
};

TEST_F(GridTest, TheCellUnderAPointTakesTheLinesToItsLeftAndAbove) {
  const PointCase cases[] = {
      {1, 0, 0, {0, 0}},    {1, 29, 19, {0, 0}}, {1, 30, 20, {0, 0}},  {1, 31, 21, {1, 1}},
      {1, 62, 5, {2, 0}},   {1, 160, 5, {-1, -1}}, {1, 5, 110, {-1, -1}}, {2, 31, 21, {2, 1}},
      {2, 5, 30, {0, 1}},   {1, -1, 5, {-1, -1}},
  };
  for (const PointCase& c : cases) {
    grid->SetLeftCol(c.LeftCol);
    SCOPED_TRACE("left " + IntToStr(c.LeftCol) + " at " + IntToStr(c.X) + "," + IntToStr(c.Y));
    EXPECT_EQ(grid->MouseCoord(c.X, c.Y), c.Expected);
  }
}

TEST_F(GridTest, FixedCountsMustStayBelowTheCounts) {
  EXPECT_THROW(grid->SetFixedCols(5), EInvalidGridOperation);
  EXPECT_THROW(grid->SetFixedRows(5), EInvalidGridOperation);
  EXPECT_THROW(grid->SetFixedCols(-1), EInvalidGridOperation);
  EXPECT_EQ(grid->GetFixedCols(), 1);
  grid->SetFixedCols(4);
  EXPECT_EQ(grid->GetFixedCols(), 4);
  EXPECT_EQ(grid->GetCol(), 4);  // the current cell left the fixed ones
  // Fewer columns take the fixed count down with them.
  grid->SetColCount(3);
  EXPECT_EQ(grid->GetFixedCols(), 2);
}

TEST_F(GridTest, TheMouseSizesAColumnByItsRightLineInTheFixedRow) {
  grid->SetOptions(grid->GetOptions() + TGridOptions{goColSizing});
  HWND w = grid->GetHandle();
  Send(w, WM_LBUTTONDOWN, MK_LBUTTON, 61, 5);  // the line right of column 1
  EXPECT_EQ(grid->GridState(), gsColSizing);
  Send(w, WM_MOUSEMOVE, MK_LBUTTON, 81, 5);
  Send(w, WM_LBUTTONUP, 0, 81, 5);
  EXPECT_EQ(grid->GridState(), gsNormal);
  EXPECT_EQ(grid->GetColWidths(1), 50);
  // Below the fixed row the same line does not size.
  Send(w, WM_LBUTTONDOWN, MK_LBUTTON, 81, 30);
  EXPECT_EQ(grid->GridState(), gsNormal);
  Send(w, WM_LBUTTONUP, 0, 81, 30);
  EXPECT_EQ(grid->GetColWidths(1), 50);
}

TEST_F(GridTest, TheMouseMovesAColumnByItsTitle) {
  grid->SetOptions(grid->GetOptions() + TGridOptions{goColMoving});
  grid->SetColWidths(1, 20);
  grid->SetColWidths(3, 40);
  HWND w = grid->GetHandle();
  Send(w, WM_LBUTTONDOWN, MK_LBUTTON, 40, 5);  // column 1's title
  EXPECT_EQ(grid->GridState(), gsColMoving);
  Send(w, WM_MOUSEMOVE, MK_LBUTTON, 80, 5);
  Send(w, WM_MOUSEMOVE, MK_LBUTTON, 100, 5);  // over column 3
  Send(w, WM_LBUTTONUP, 0, 100, 5);
  EXPECT_EQ(grid->Log, std::vector<std::string>({"moved 1>3"}));
  EXPECT_EQ(grid->GetColWidths(3), 20);
  EXPECT_EQ(grid->GetColWidths(2), 40);
  // A press without a move moves nothing; a fixed column does not move.
  Send(w, WM_LBUTTONDOWN, MK_LBUTTON, 40, 5);
  Send(w, WM_LBUTTONUP, 0, 40, 5);
  Send(w, WM_LBUTTONDOWN, MK_LBUTTON, 10, 5);
  Send(w, WM_MOUSEMOVE, MK_LBUTTON, 100, 5);
  Send(w, WM_LBUTTONUP, 0, 100, 5);
  EXPECT_EQ(grid->Log.size(), 1u);
}

TEST_F(GridTest, TheEditorHandsTheKeysThatMoveToItsGrid) {
  grid->SetOptions(grid->GetOptions() + TGridOptions{goEditing, goTabs});
  grid->SetEditorMode(true);
  TInplaceEdit* editor = grid->InplaceEditor();
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(editor->Shown());
  HWND e = editor->GetHandle();
  EXPECT_EQ(editor->GetText(), "1,1");
  EXPECT_EQ(SendMessageW(e, WM_GETDLGCODE, 0, 0) & (DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS),
            DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS);

  Key(e, VK_DOWN);
  EXPECT_EQ(grid->GetRow(), 2);
  EXPECT_EQ(editor->GetText(), "1,2");  // it follows its cell
  TRect cell = grid->CellRect(1, 2);
  EXPECT_EQ(editor->GetTop(), cell.Top);
  Key(e, VK_TAB);
  EXPECT_EQ(grid->GetCol(), 2);
  EXPECT_EQ(editor->GetText(), "2,2");
  // Left and Right move the caret while the editor is not always shown.
  Key(e, VK_LEFT);
  EXPECT_EQ(grid->GetCol(), 2);

  // Typing changes the cell's text; Enter closes the editor, the text stays.
  editor->SelectAll();
  SendMessageW(e, WM_CHAR, 'x', 0);
  EXPECT_EQ(grid->Texts[2 * 5 + 2], "x");
  SendMessageW(e, WM_CHAR, '\r', 0);
  EXPECT_FALSE(editor->Shown());
  EXPECT_FALSE(grid->GetEditorMode());

  // With the editor always shown, Left at the start of the text moves to the cell before.
  grid->SetOptions(grid->GetOptions() + TGridOptions{goAlwaysShowEditor});
  grid->SetFocus();
  grid->SetEditorMode(true);
  ASSERT_TRUE(editor->Shown());
  editor->SetSelStart(0);
  editor->SetSelLength(0);
  Key(e, VK_LEFT);
  EXPECT_EQ(grid->GetCol(), 1);

  // A read-only cell takes no typed character.
  grid->ReadOnlyCells = true;
  editor->SelectAll();
  SendMessageW(e, WM_CHAR, 'y', 0);
  EXPECT_EQ(grid->Texts[2 * 5 + 1], "1,2");
}

TEST_F(GridTest, PaintingDrawsEveryShownCellOnce) {
  struct TCountingGrid : TTestGrid {
    using TTestGrid::TTestGrid;
    std::vector<std::string> Drawn;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
      TCustomGrid::DrawCell(ACol, ARow, ARect, AState);
      Drawn.push_back(IntToStr(ACol) + "," + IntToStr(ARow) + (AState.Contains(gdFixed) ? "f" : ""));
    }
  };
  auto* g = new TCountingGrid(form);
  g->SetBorderStyle(bsNone);
  g->SetBounds(0, 130, 100, 50);
  g->SetParent(form);
  g->SetColCount(3);
  g->SetRowCount(3);
  g->SetDefaultColWidth(30);
  g->SetDefaultRowHeight(20);
  g->Drawn.clear();
  g->Repaint();
  EXPECT_EQ(g->Drawn, std::vector<std::string>({"0,0f", "1,0f", "2,0f", "0,1f", "1,1", "2,1", "0,2f", "1,2", "2,2"}));
}

}  // namespace
