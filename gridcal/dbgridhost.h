#pragma once
// TDgGridHost: what the data grid's columns, its data link and its list of selected rows
// ask of the grid that holds them. The grid implements it; tests fake it. Measuring text
// goes through the host, so that widths are the grid's own (and testable without a
// device context). TGridLayoutScope holds the grid's layout for a scope.
#include <exception>

#include "classlib/core/colors.h"
#include "classlib/core/finally.h"
#include "classlib/core/text.h"
#include "classlib/core/typinfo.h"

class TDataSet;
class TField;
class TFont;
class TDgColumn;
class TGridDataLink;

HX_ENUM(TImeMode, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
        imSHanguel, imHanguel);

class TDgGridHost {
 public:
  virtual ~TDgGridHost() = default;

  // ---- The grid's looks and settings, the columns' defaults ----
  virtual TColor GridColor() = 0;
  virtual TColor GridFixedColor() = 0;
  virtual TFont* GridFont() = 0;
  virtual TFont* GridTitleFont() = 0;
  virtual bool GridReadOnly() = 0;
  virtual int GridDefaultColWidth() = 0;
  virtual bool GridShowsTitles() = 0;
  virtual TImeMode GridImeMode() = 0;
  virtual String GridImeName() = 0;
  // While the grid is read from its form, column changes are not passed on.
  virtual bool GridLoading() = 0;
  // The grid's link to its data source (never nullptr).
  virtual TGridDataLink* GridDataLink() = 0;

  // ---- Measuring in a font ----
  virtual int TextWidth(TFont* Font, const String& Text) = 0;
  virtual int AveCharWidth(TFont* Font) = 0;
  virtual int FontOverhang(TFont* Font) = 0;

  // ---- Requests from the columns ----
  virtual void BeginLayout() = 0;
  virtual void EndLayout() = 0;
  // The columns changed as a whole: rebuild the layout.
  virtual void ColumnsChanged() = 0;
  // One column changed: repaint it and take its width.
  virtual void ColumnChanged(TDgColumn* Column) = 0;

  // ---- Requests from the data link ----
  virtual void LinkActive(bool Value) = 0;
  virtual void DataChanged() = 0;
  virtual void Scroll(int Distance) = 0;
  // Selects Field's column and, when the grid can take the focus, shows the editor;
  // true when the request is done with.
  virtual bool FocusField(TField* Field) = 0;
  virtual void EditingChanged() = 0;
  // The dataset's fields changed: rebuild the layout (the grid knows it comes from its data).
  virtual void DataLayoutChanged() = 0;
  virtual void RecordChanged(TField* Field) = 0;
  // Writes the editor's text into its field.
  virtual void UpdateData() = 0;

  // ---- Requests from the list of selected rows ----
  virtual void InvalidateCurrentRow() = 0;
  virtual void InvalidateGrid() = 0;
  // Fires the grid's OnMultiSelectChanged.
  virtual void MultiSelectChanged() = 0;
};

// Calls Grid->BeginLayout() now and Grid->EndLayout() when the scope ends (nothing without a
// grid): the layout is made once, at the end, however many changes ask for it.
class TGridLayoutScope {
 public:
  explicit TGridLayoutScope(TDgGridHost* Grid) : FGrid(Grid) {
    if (FGrid) FGrid->BeginLayout();
  }
  ~TGridLayoutScope() noexcept(false) {
    auto end = [this] {
      if (FGrid) FGrid->EndLayout();
    };
    classlib::detail::RunScopeCleanup(FUncaught, end);
  }
  TGridLayoutScope(const TGridLayoutScope&) = delete;
  TGridLayoutScope& operator=(const TGridLayoutScope&) = delete;

 private:
  TDgGridHost* FGrid;
  int FUncaught = std::uncaught_exceptions();
};
