#pragma once
// TCustomGrid: the base of grid controls, a window of cells in columns and rows with fixed
// (title) columns and rows at the top and left, and TInplaceEdit, the edit box it lays over
// the current cell. Descendants draw the cells (DrawCell), say which cells may be selected
// and edited and give and take the editor's text; the base lays the cells out, paints them
// with their lines and the focus rectangle, scrolls by whole columns, moves the current cell
// by keys and mouse, and lets the user size and move columns with the mouse.
//
// The vertical scroll bar is the descendant's: a grid whose rows are a window onto more data
// (a dataset) sets its range and answers WM_VSCROLL itself. No row sizing or moving, no range
// selection. Windows only.
#include <vector>

#include "classlib/core/exceptions.h"
#include "classlib/windows/mask.h"

HX_DECLARE_EXCEPTION(EInvalidGridOperation, Exception);

HX_ENUM(TGridOption, goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing, goColMoving, goTabs,
        goEditing, goAlwaysShowEditor, goRowSelect);
using TGridOptions = TSet<TGridOption>;
HX_ENUM(TGridDrawStateFlag, gdSelected, gdFocused, gdFixed);
using TGridDrawState = TSet<TGridDrawStateFlag>;
HX_ENUM(TGridState, gsNormal, gsColSizing, gsColMoving);

// A cell by column (X) and row (Y); -1 for none.
struct TGridCoord {
  int X = -1;
  int Y = -1;
  bool operator==(const TGridCoord&) const = default;
};

class TCustomGrid;

// The in-place editor: a borderless multi-line EDIT (without ES_AUTOVSCROLL, so the text
// rectangle it is given holds) that wants arrows, Tab and Enter, and hands the keys that
// move between cells to its grid.
class TInplaceEdit : public TCustomMaskEdit {
  HX_CLASS(TInplaceEdit, TCustomMaskEdit)
 public:
  explicit TInplaceEdit(TComponent* AOwner);
  TCustomGrid* Grid() const { return FGrid; }

  // Takes the text, the length limit and the read-only flag of the current cell.
  virtual void UpdateContents();
  // Lays it over Loc (the grid's client coordinates) and shows it.
  void Move(const TRect& Loc);
  // Hides it (giving the focus back to the grid when it had it).
  void HideEditor();
  bool Shown() const { return FShown; }
  // The text area inside the box: (2, 2, width - 2, height) less a button.
  virtual TRect EditRect();

 protected:
  friend class TCustomGrid;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(wchar_t& Key) override;
  void Change() override;
  void DoExit() override;
  // Gives the grid a key that moves between cells.
  void SendToGrid(WORD& Key, TShiftState Shift);
  void ApplyEditRect();

  TCustomGrid* FGrid = nullptr;
  bool FShown = false;
  bool FSettingText = false;  // the grid's text going in: no change of the cell
};

class TCustomGrid : public TCustomControl {
  HX_CLASS(TCustomGrid, TCustomControl)
 public:
  explicit TCustomGrid(TComponent* AOwner);
  ~TCustomGrid() override;

  // ---- Cells ----
  int GetColCount() const { return static_cast<int>(FColWidths.size()); }
  void SetColCount(int Value);
  int GetRowCount() const { return static_cast<int>(FRowHeights.size()); }
  void SetRowCount(int Value);
  // EInvalidGridOperation unless below the count.
  int GetFixedCols() const { return FFixedCols; }
  void SetFixedCols(int Value);
  int GetFixedRows() const { return FFixedRows; }
  void SetFixedRows(int Value);
  int GetDefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int Value);
  int GetDefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int Value);
  int GetColWidths(int Index) const;
  void SetColWidths(int Index, int Value);
  int GetRowHeights(int Index) const;
  void SetRowHeights(int Index, int Value);
  int GetGridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int Value);
  TGridOptions GetOptions() const { return FOptions; }
  void SetOptions(TGridOptions Value);
  TColor GetFixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor Value);
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

  // ---- The current cell and the first scrolled column and row ----
  int GetCol() const { return FCurrent.X; }
  void SetCol(int Value) { FocusCell(Value, FCurrent.Y); }
  int GetRow() const { return FCurrent.Y; }
  void SetRow(int Value) { FocusCell(FCurrent.X, Value); }
  int GetLeftCol() const { return FTopLeft.X; }
  void SetLeftCol(int Value) { MoveTopLeft(Value, FTopLeft.Y); }
  int GetTopRow() const { return FTopLeft.Y; }
  void SetTopRow(int Value) { MoveTopLeft(FTopLeft.X, Value); }
  // Scrolled columns and rows that show whole (at least 1).
  int VisibleColCount();
  int VisibleRowCount();

  // A showing cell's rectangle without its lines (client coordinates); empty for a cell
  // scrolled away or out of range.
  TRect CellRect(int ACol, int ARow);
  // The cell under a client point ({-1, -1} off the cells). A line belongs to the cell on
  // its left or above.
  TGridCoord MouseCoord(int X, int Y);

  void InvalidateCell(int ACol, int ARow);
  void InvalidateRow(int ARow);
  void InvalidateCol(int ACol);
  void InvalidateGrid() { Invalidate(); }

  // ---- The editor ----
  bool GetEditorMode() const { return FEditorMode; }
  void SetEditorMode(bool Value);
  TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
  TGridState GridState() const { return FGridState; }

 protected:
  friend class TInplaceEdit;

  // ---- Painting ----
  virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
  void Paint() override;

  // ---- Hooks ----
  // Whether the cell may become the current one.
  virtual bool SelectCell(int /*ACol*/, int /*ARow*/) { return true; }
  virtual void TopLeftChanged() {}
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  // The user moved a column (the base moved its width).
  virtual void ColumnMoved(int /*FromIndex*/, int /*ToIndex*/) {}
  // A column drag: may it start at Origin, may it land at Destination, and at its end.
  virtual bool BeginColumnDrag(int& Origin, int& /*Destination*/, TPoint /*MousePt*/) { return Origin >= FFixedCols; }
  virtual bool CheckColumnDrag(int& /*Origin*/, int& Destination, TPoint /*MousePt*/) {
    return Destination >= FFixedCols;
  }
  virtual bool EndColumnDrag(int& /*Origin*/, int& /*Destination*/, TPoint /*MousePt*/) { return true; }
  // The editor: made on first show; its text, its text back, whether it shows, whether the
  // cell may change, which typed characters it takes, its length limit (0: none).
  virtual TInplaceEdit* CreateEditor();
  virtual String GetEditText(int /*ACol*/, int /*ARow*/) { return ""; }
  virtual void SetEditText(int /*ACol*/, int /*ARow*/, const String& /*Value*/) {}
  virtual bool CanEditShow();
  virtual bool CanEditModify() { return true; }
  virtual bool CanEditAcceptKey(wchar_t /*Key*/) { return true; }
  virtual int GetEditLimit() { return 0; }
  virtual void ShowEditor();
  virtual void HideEditor();
  // Opens the editor with a typed character as its text.
  void ShowEditorChar(wchar_t Ch);
  // Lays the editor over the current cell again (after scrolling, sizing, moving).
  void UpdateEdit();
  // The editor takes its cell's text again.
  void InvalidateEditor();

  // ---- Moving ----
  // Makes a cell current: clamped into the scrollable cells, refused by SelectCell, then
  // scrolled into view.
  void FocusCell(int ACol, int ARow);
  void MoveTopLeft(int ALeft, int ATop);
  // Moves a column and its width; ColumnMoved tells descendants.
  void MoveColumn(int FromIndex, int ToIndex);
  // Keeps the current cell in view by scrolling.
  void ScrollIntoView();
  // The horizontal scroll bar follows the columns.
  void UpdateScrollRange();

  // ---- Input ----
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(wchar_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // The column whose right line is under X when sizing may start there; -1 when none.
  int SizingColumn(int X, int Y);

  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void DoEnter() override;
  void Resize() override;

  // The client extents of the fixed columns and rows (with their lines).
  int FixedWidth() const;
  int FixedHeight() const;
  int ColLineWidth() const;
  int RowLineWidth() const;
  // The last column and row that show, partly or whole, from the top-left.
  int LastShownCol();
  int LastShownRow();

 private:
  void ResizeCounts(int Cols, int Rows);
  void HScroll(int Code, int Pos);
  void DrawSizingLine(int X);
  void DrawMoveLine(int Col);
  int ColLeft(int ACol);
  int RowTop(int ARow);

  std::vector<int> FColWidths;
  std::vector<int> FRowHeights;
  int FFixedCols = 1;
  int FFixedRows = 1;
  int FDefaultColWidth = 64;
  int FDefaultRowHeight = 24;
  int FGridLineWidth = 1;
  TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine};
  TColor FFixedColor = clBtnFace;
  TBorderStyle FBorderStyle = bsSingle;
  TGridCoord FCurrent{1, 1};
  TGridCoord FTopLeft{1, 1};
  bool FEditorMode = false;
  TInplaceEdit* FInplaceEdit = nullptr;  // a child control: the grid frees it
  TGridState FGridState = gsNormal;
  int FSizingCol = -1;   // the column being sized
  int FSizingPos = 0;    // where its feedback line is
  int FMoveFrom = -1;    // the column being moved
  int FMoveTo = -1;      // where it lands
  bool FMoveStarted = false;
  TPoint FDownPos;
};
