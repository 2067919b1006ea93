#pragma once
// TPopupListbox: the pick list a grid cell's editor drops down under a cbsCombo cell. It
// shows the column's PickList, selects the line of the field's value (gridcal/picklist.h),
// is DropDownRows rows high (or fewer, for a shorter list) and at least as wide as its
// widest line. The mouse picks a line (a press, drag and release picks in one go) and the
// release asks to close, accepting inside the list; typed characters search the lines by
// their first letters (TIncrementalSearch, on the clock service's ticks). The value chosen
// is the PickValues line of the selected line when the values apply, else the line itself;
// Null when no line is selected. A drop-down (classlib/windows/dropdown.h). Windows only.
#include "classlib/windows/dropdown.h"
#include "classlib/windows/stdctrls.h"
#include "gridcal/picklist.h"

class TPopupListbox : public TDropDownListBox<TCustomListBox> {
  HX_CLASS(TPopupListbox, TDropDownListBox<TCustomListBox>)
 public:
  // The smallest height of a line.
  static constexpr int MinItemHeight = 11;

  explicit TPopupListbox(TComponent* AOwner);

  // The lines shown and the values kept for them (nullptr: none); copied.
  void SetPickList(const TStrings* PickList, const TStrings* PickValues);
  const TStrings* PickValues() const { return &FValues; }
  // How many rows show at most (0 or less: 1).
  int GetDropDownRows() const { return FRows; }
  void SetDropDownRows(int Value) { FRows = Value < 1 ? 1 : Value; }
  // The height of a line: the font's, at least MinItemHeight.
  int RowHeight();
  TIncrementalSearch& Search() { return FSearch; }

  // The drop-down's side. DropDown takes the width set before (the column's) and sizes the
  // height to the rows, then widens the list to its widest line.
  void SetDropDownValue(const TVariant& Value) override;
  void DropDown(const TRect& Anchor) override;
  void CloseUp(bool Accept) override;
  TVariant DropDownValue() override;
  String DropDownText() override;

 protected:
  void Dispatch(TMessage& Message) override;

 private:
  TStringList FValues;
  bool FHasValues = false;
  int FRows = 10;
  TIncrementalSearch FSearch;
};
