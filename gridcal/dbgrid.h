#pragma once
// The data grid: TDgCustomDBGrid shows the records of a dataset reached through a
// TDataSource, one row per record and one column per TDgColumn (gridcal/dbgridcolumns.h),
// with a title row, an indicator column, editing in place (TDgDBGridInplaceEdit), check-box,
// pick-list, lookup, calendar and calculator cells and multi-row selection. TDgDBGrid
// publishes it. Windows only.
//
// Its rows are a window onto the dataset: the data link holds as many records as rows fit,
// the vertical scroll bar and the keys move the dataset, not the grid. Whatever moves the
// dataset, the text typed into the editor is written into the record it was typed for and
// posted first; a closed or empty dataset shows its titles and an empty row and takes no key
// but Insert (or Down) to add a record.
#include <functional>
#include <memory>
#include <vector>

#include "classlib/windows/grids.h"
#include "gridcal/dbgriddropdown.h"
#include "gridcal/dbgridcolumns.h"
#include "gridcal/dbgridlink.h"

#include <imm.h>

class TCustomForm;
class TCustomImageList;
class TDgCustomDBGrid;

HX_ENUM(TDgDBGridOption, dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines,
        dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect,
        dgDragOutRows, dgEnterToTab);
using TDgDBGridOptions = TSet<TDgDBGridOption>;
// The default options.
inline constexpr TDgDBGridOptions DgDefaultGridOptions{dgEditing,  dgTitles, dgIndicator,     dgColumnResize, dgColLines,
                                                      dgRowLines, dgTabs,   dgConfirmDelete, dgCancelOnExit};
// The default options of a system whose primary language is Language (a LANGID): Korean
// adds dgAlwaysShowEditor, so that a syllable is composed in the editor from its first key.
TDgDBGridOptions DgDefaultGridOptionsFor(unsigned Language);
// Those of this system (its user's default language).
TDgDBGridOptions DgSystemGridOptions();
// The sort marker of a clickable title.
HX_ENUM(TDgSortMarker, smNone, smDown, smUp);

using TDgColumnEvent = std::function<void(TObject* Sender, TDgColumn* Column)>;
using TDgCloseUpEvent = std::function<void(TObject* Sender, TDgColumn* Column, bool Selected)>;
using TDgCalcFieldEditedEvent = std::function<void(TObject* Sender, TField* Field, const String& Text)>;
using TDgColumnMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;
using TDgDrawColumnCellEvent =
    std::function<void(TObject* Sender, const TRect& Rect, int DataCol, TDgColumn* Column, TGridDrawState State)>;
using TDgDrawCellAttrEvent =
    std::function<void(TObject* Sender, TDgColumn* Column, TFont* AFont, TColor& AColor, TGridDrawState State)>;
using TDgDrawTitleAttrEvent = std::function<void(TObject* Sender, TDgColumn* Column, TFont* AFont, TColor& AColor)>;
using TDgSpecialKeyEvent = std::function<void(TObject* Sender, TDgColumn* Column, WORD& Key, const String& AText)>;

// The editor of the data grid's cells: a plain text, or with a button at its right (at its
// left right to left) that fires OnEditButtonClick or opens a drop-down (see
// gridcal/dbgriddropdown.h).
class TDgDBGridInplaceEdit : public TInplaceEdit {
  HX_CLASS(TDgDBGridInplaceEdit, TInplaceEdit)
 public:
  explicit TDgDBGridInplaceEdit(TComponent* AOwner);
  ~TDgDBGridInplaceEdit() override;

  TDgEditStyle EditStyle() const { return FEditStyle; }
  bool DropDownVisible() const { return FDropDown && FDropDownOpen; }
  TDgCellDropDown* ActiveDropDown() const { return FDropDown; }
  // Opens the drop-down of the style (when there is one); CloseUp takes its value when
  // Accept and puts back the text from the opening when not.
  void DropDown();
  void CloseUp(bool Accept);
  int ButtonWidth() const;
  TRect ButtonRect();
  TRect EditRect() override;
  void UpdateContents() override;

  // Makes the drop-downs (the grid gives the library's; tests give fakes).
  TDgDropDownFactory DropDownFactory;

 protected:
  void Dispatch(TMessage& Message) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(wchar_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DoExit() override;

 private:
  TDgCustomDBGrid* DBGrid() const;
  void SetEditStyle(TDgEditStyle Value);
  // The key steps before the edit box's own handling; true when the key is taken.
  bool HandleKey(UINT Msg, WORD& Key, TShiftState Shift);
  void PaintButton(HDC DC);
  void StopTracking();

  TDgEditStyle FEditStyle = esSimple;
  std::unique_ptr<TDgCellDropDown> FDropDowns[6];
  TDgCellDropDown* FDropDown = nullptr;  // of the current style, nullptr for 0 and 1
  bool FDropDownOpen = false;
  bool FTracking = false;
  bool FPressed = false;
  String FOpeningText;  // the text when the drop-down opened
  bool FSwallowChar = false;  // the character of a key the editor took
  // The column's input method, applied while the editor has the focus.
  void ApplyIme();
  void ResetIme();
  TImeMode FImeMode = imDontCare;
  String FImeName;
  bool FImeDisabled = false;     // its input context taken away (imDisable)
  HIMC FSavedContext = nullptr;  // the one to give back
  HKL FSavedLayout = nullptr;    // the keyboard layout before ImeName chose one
};

class TDgCustomDBGrid : public TCustomGrid, public TDgGridHost {
  HX_CLASS(TDgCustomDBGrid, TCustomGrid)
 public:
  explicit TDgCustomDBGrid(TComponent* AOwner);
  ~TDgCustomDBGrid() override;

  TDataSource* GetDataSource() const { return FDataLink->GetDataSource(); }
  void SetDataSource(TDataSource* Value);
  TDgDBGridColumns* GetColumns() const { return FColumns.get(); }
  void SetColumns(TDgDBGridColumns* Value);
  // Streamed as "Columns" only when customized.
  bool IsColumnsStored() const { return FColumns->GetState() == csCustomized; }
  TDgDBGridOptions GetOptions() const { return FOptions; }
  void SetOptions(TDgDBGridOptions Value);
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool GetAllowInsert() const { return FAllowInsert; }
  void SetAllowInsert(bool Value) { FAllowInsert = Value && FOptions.Contains(dgEditing); }
  bool GetAllowDelete() const { return FAllowDelete; }
  void SetAllowDelete(bool Value) { FAllowDelete = Value && FOptions.Contains(dgEditing); }
  bool GetDefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; Invalidate(); }
  // Data columns frozen at the left, besides the indicator; kept below the column count.
  int GetDataFixedCols() const { return FUserFixedCols; }
  void SetDataFixedCols(int Value);
  TColor GetHighlightColor() const { return FHighlightColor; }
  void SetHighlightColor(TColor Value) { FHighlightColor = Value; Invalidate(); }
  TColor GetHighlightTextColor() const { return FHighlightTextColor; }
  void SetHighlightTextColor(TColor Value) { FHighlightTextColor = Value; Invalidate(); }
  int GetRowsHeight() const { return FRowsHeight; }
  void SetRowsHeight(int Value);
  int GetTitleHeight() const { return FTitleHeight; }
  void SetTitleHeight(int Value);
  TFont* GetTitleFont() const { return FTitleFont; }
  void SetTitleFont(TFont* Value);

  TGridDataLink* DataLink() const { return FDataLink.get(); }
  TBookmarkList* SelectedBookmarks() const { return FBookmarks.get(); }
  TField* SelectedField();
  void SetSelectedField(TField* Value);
  // The data column of the current cell (0 based).
  int GetSelectedIndex() const { return RawToDataColumn(GetCol()); }
  void SetSelectedIndex(int Value);
  TDgColumn* SelectedColumn() const;
  // Title rows: one, and one more per level of expanded object columns (0 without titles).
  int TitleOffset() const { return FTitleOffset; }
  // The pop-up window showing a nested dataset (a grid on it), while one is open: a click on
  // the current cell of a dataset field's column, or F2 or Enter there, opens it.
  TCustomForm* NestedDataSetPopup() const { return FNestedPopup; }
  int IndicatorOffset() const { return FIndicatorOffset; }
  String EditorText() const { return FEditText; }
  TDgSortMarker GetSortMarker(int DataCol) const;
  void SetSortMarker(int DataCol, TDgSortMarker Value);
  // Whether the grid column is a tab stop (the data column's).
  bool TabStops(int DataCol) const;
  // Layout lock: while held, a needed layout waits for the release.
  void BeginLayout() override;
  void EndLayout() override;
  void LayoutChanged();
  // Writes the editor's text into its record now (as before any move of the dataset).
  void UpdateEditorData();
  // Toggles the check box of the current cell (Space, a click).
  void ToggleCheckBox();
  // Deletes the selected rows, or the current one, after the confirmation when asked for.
  void DeleteRecords();
  // The text drawn in a data cell of the current record (display text, pick-list or lookup
  // text).
  String CellText(TDgColumn* Column);

  TDgColumnEvent BeforeDropDown;
  TDgCloseUpEvent AfterCloseUp;
  TDgColumnEvent OnCellClick;
  TDgColumnEvent OnColumnResized;
  TDgColumnEvent OnEditButtonClick;
  TDgColumnEvent OnTitleClick;
  TDgCalcFieldEditedEvent OnCalcFieldEdited;
  TNotifyEvent OnColEnter;
  TNotifyEvent OnColExit;
  TNotifyEvent OnMultiSelectChanged;
  TDgColumnMovedEvent OnColumnMoved;
  TDgDrawColumnCellEvent OnDrawColumnCell;
  TDgDrawCellAttrEvent OnDrawCellAttr;
  TDgDrawTitleAttrEvent OnDrawTitleAttr;
  TDgSpecialKeyEvent OnSpecialKeyDown;
  // The drop-downs the editor opens (given to it when it is made); the library's
  // (MakeDgCellDropDown) by default.
  TDgDropDownFactory DropDownFactory;

  // ---- TDgGridHost ----
  TColor GridColor() override { return GetColor(); }
  TColor GridFixedColor() override { return GetFixedColor(); }
  TFont* GridFont() override { return GetFont(); }
  TFont* GridTitleFont() override { return FTitleFont; }
  bool GridReadOnly() override { return FReadOnly; }
  int GridDefaultColWidth() override { return GetDefaultColWidth(); }
  bool GridShowsTitles() override { return FOptions.Contains(dgTitles); }
  TImeMode GridImeMode() override { return imDontCare; }
  String GridImeName() override { return ""; }
  bool GridLoading() override { return ComponentState().Contains(csLoading); }
  TGridDataLink* GridDataLink() override { return FDataLink.get(); }
  int TextWidth(TFont* Font, const String& Text) override;
  int AveCharWidth(TFont* Font) override;
  int FontOverhang(TFont* Font) override;
  void ColumnsChanged() override { LayoutChanged(); }
  void ColumnChanged(TDgColumn* Column) override;
  void LinkActive(bool Value) override;
  void DataChanged() override;
  void Scroll(int Distance) override;
  bool FocusField(TField* Field) override;
  void EditingChanged() override;
  void DataLayoutChanged() override { LayoutChanged(); }
  void RecordChanged(TField* Field) override;
  void UpdateData() override;
  void InvalidateCurrentRow() override { InvalidateRow(GetRow()); }
  void InvalidateGrid() override { Invalidate(); }
  void MultiSelectChanged() override {
    if (OnMultiSelectChanged) OnMultiSelectChanged(this);
  }

 protected:
  friend class TDgDBGridInplaceEdit;

  int RawToDataColumn(int ACol) const { return ACol - FIndicatorOffset; }
  int DataToRawColumn(int ACol) const { return ACol + FIndicatorOffset; }
  bool AcquireFocus();
  bool CanEditModifyCell();

  // ---- TCustomGrid ----
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  void Paint() override;
  bool SelectCell(int ACol, int ARow) override;
  void TopLeftChanged() override;
  void ColWidthsChanged() override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  bool BeginColumnDrag(int& Origin, int& Destination, TPoint MousePt) override;
  bool CheckColumnDrag(int& Origin, int& Destination, TPoint MousePt) override;
  TInplaceEdit* CreateEditor() override;
  String GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const String& Value) override;
  bool CanEditShow() override;
  bool CanEditModify() override;
  int GetEditLimit() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(wchar_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void DoExit() override;
  void Loaded() override;
  void Resize() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void InternalLayout();
  void UpdateRowCount();
  void UpdateActive();
  void UpdateScrollBar();
  void VScroll(int Code);
  // Moves the dataset by Distance records (after writing and posting the editor's text).
  void MoveBy(int Distance);
  void NextRow(bool Select);
  void PriorRow(bool Select);
  void Tab(bool GoForward);
  void MoveCol(int RawCol, int Direction);
  void ClearSelection();
  void DoSelection(bool Select, int Direction);
  bool HasRecords();
  void DrawIndicator(const TRect& ARect, int ARow);
  void DrawTitle(int DataCol, int ARow, const TRect& ARect, TGridDrawState AState);
  // Object columns: the column whose title row ARow of data column DataCol shows (an
  // expanded parent above its children), and the rectangle that title spans there.
  TDgColumn* TitleColumnAt(int DataCol, int ARow);
  TRect TitleSpan(int DataCol, int ARow, const TRect& Cell);
  // The arrow of an expandable column's title: at the right end of its span.
  TRect ExpandArrowRect(const TRect& Span);
  // Opens the pop-up on the current cell's nested dataset; false when it is no such cell.
  bool ShowNestedDataSet();
  void DrawDataCell(int DataCol, int ARow, const TRect& ARect, TGridDrawState AState);
  // RightToLeft: the text reads right to left.
  void WriteText(const TRect& ARect, int DX, int DY, const String& Text, TAlignment Alignment, bool Wrap,
                 bool RightToLeft);
  void DrawCheckBox(const TRect& ARect, bool Checked);
  bool RowMultiSelected(int ARow);
  // Pick-list mapping of a combo column: the text shown for a stored value and back.
  bool PickMapping(TDgColumn* Column) const;
  String PickTextOf(TDgColumn* Column, const String& Stored);
  String PickValueOf(TDgColumn* Column, const String& Text);
  bool LookupComplete(TDgColumn* Column);
  String LookupText(TDgColumn* Column);
  void ReportPaintFailure(const std::exception& Error);
  void LoadImages();

  std::unique_ptr<TGridDataLink> FDataLink;
  std::unique_ptr<TDgDBGridColumns> FColumns;
  std::unique_ptr<TBookmarkList> FBookmarks;
  TFont* FTitleFont;
  TDgDBGridOptions FOptions = DgSystemGridOptions();
  bool FReadOnly = false;
  bool FAllowInsert = true;
  bool FAllowDelete = true;
  bool FDefaultDrawing = true;
  int FUserFixedCols = 0;
  TColor FHighlightColor = clHighlight;
  TColor FHighlightTextColor = clHighlightText;
  int FRowsHeight = 0;
  int FTitleHeight = 0;
  int FTitleOffset = 1;
  int FIndicatorOffset = 1;
  int FLayoutLock = 0;
  bool FLayoutPending = false;
  bool FInLayout = false;
  int FUpdateLock = 0;
  bool FInColExit = false;
  bool FSelecting = false;   // a move made by the grid itself
  int FSelRow = 0;           // the active record when the multi-selection was extended
  String FEditText;
  std::vector<bool> FTabStops;
  std::vector<TDgSortMarker> FSortMarkers;
  int FPressedCol = -1;      // a clickable title held down
  bool FTitleMoved = false;  // a column move ended the press
  bool FPaintFailureReported = false;
  String FPaintError;
  TCustomForm* FNestedPopup = nullptr;  // the nested dataset's pop-up, owned by the grid
  std::unique_ptr<TCustomImageList> FIndicators;  // 7 x 9
  std::unique_ptr<TCustomImageList> FSortImages;  // 8 x 5
  int FLastScrollMin = -1, FLastScrollMax = -1, FLastScrollPage = -1, FLastScrollPos = -1;
};

class TDgDBGrid : public TDgCustomDBGrid {
  HX_CLASS(TDgDBGrid, TDgCustomDBGrid)
 public:
  using TDgCustomDBGrid::TDgCustomDBGrid;
};
