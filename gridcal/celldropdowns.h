#pragma once
// The library's drop-downs for the data grid's cell editor (gridcal/dbgriddropdown.h): the
// pick list (TPopupListbox), the lookup list (TPopupDataList), the month calendar
// (TDgPopupCalendar) and the calculator (TDgCalculator), each behind the editor's
// TDgCellDropDown. The drop-down's control is owned by the editor (the calculator's display
// is the editor's text); the lookup list reads its dataset through a data source of its
// own. The grid gives MakeDgCellDropDown to its editor as its drop-down factory.
// Windows only.
#include <memory>

#include "gridcal/dbgriddropdown.h"

// The drop-down of Style (esPickList … esCalculator) for Editor; nullptr for other styles.
std::unique_ptr<TDgCellDropDown> MakeDgCellDropDown(TDgEditStyle Style, TCustomMaskEdit* Editor);
