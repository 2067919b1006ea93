#pragma once
// What the data grid's cell editor (TDgDBGridInplaceEdit) asks of the drop-downs it opens:
// its edit styles, and TDgCellDropDown, the one face of the pick list, the lookup list, the
// month calendar and the calculator. The editor makes a drop-down through a
// TDgDropDownFactory on first use and owns it; it fills a TDgDropDownSetup from the column
// and the field, opens it under itself, hands it the keys it does not take while it is open,
// and reads TDgDropDownResult when it closes accepting. A drop-down never takes the focus:
// the editor keeps it. Windows only.
#include <functional>
#include <memory>

#include "classlib/core/colors.h"
#include "classlib/core/datetime.h"
#include "classlib/core/geometry.h"
#include "classlib/data/variants.h"

class TCustomMaskEdit;
class TDataSet;
class TFont;
class TStrings;
class TWinControl;

// The editor's kinds: a plain text, a text with a button that fires the grid's
// OnEditButtonClick, and the four that drop something down.
enum TDgEditStyle : unsigned char {
  esSimple = 0,
  esEllipsis = 1,
  esPickList = 2,
  esDataList = 3,
  esCalendar = 4,
  esCalculator = 5,
};

// Whether the style opens a drop-down.
constexpr bool HasDropDown(TDgEditStyle Style) { return Style >= esPickList; }

// What a drop-down is opened with. Only the part of its own style is meaningful.
struct TDgDropDownSetup {
  int Width = 0;                 // the column's DropDownWidth, or its width
  int Rows = 10;                 // the column's DropDownRows (the two lists)
  TColor Color = clWindow;       // the editor's colour (pick list), the column's (lookup)
  TFont* Font = nullptr;         // the same way
  // Pick list: its lines, and the line selected at opening (-1: none).
  TStrings* Items = nullptr;
  int ItemIndex = -1;
  // Lookup list: the lookup dataset, its fields shown (";"-separated), its key field, and
  // the key of the record (Null: none), located in ListSource when the list opens.
  TDataSet* ListSource = nullptr;
  String ListField;
  String KeyField;
  TVariant KeyValue;
  // Calendar: the date shown (today for a field without a date).
  TDateTime Date = 0;
  // Calculator: the number shown (0 for a text that is no number).
  double Number = 0;
};

// What a drop-down chose, read when it closes accepting.
struct TDgDropDownResult {
  bool HasValue = false;   // false: nothing chosen (an unselected list)
  int ItemIndex = -1;      // pick list
  TVariant KeyValue;       // lookup list
  TDateTime Date = 0;      // calendar
  double Number = 0;       // calculator
};

class TDgCellDropDown {
 public:
  virtual ~TDgCellDropDown() = default;
  // The drop-down's window control: keys the editor does not take go to its window.
  virtual TWinControl* Control() = 0;
  // Takes Setup and opens without activation under Anchor (the editor's screen rectangle),
  // kept to the work area of Anchor's monitor (see DropDownPosition in classlib/windows/dropdown.h).
  virtual void Open(const TDgDropDownSetup& Setup, const TRect& Anchor) = 0;
  // Hides it (the editor has taken the result first).
  virtual void Close() = 0;
  virtual bool IsOpen() = 0;
  virtual TDgDropDownResult Result() = 0;
  // Set by the editor: the drop-down ends itself (a release in a list, a day picked, the
  // calculator's OK or Cancel), accepting or not. It stays open until the editor closes it.
  std::function<void(bool Accept)> OnCloseUp;
};

// Makes the drop-down of Style (esPickList .. esCalculator) for Editor, which owns what is
// made (the calculator's display is Editor's text); nullptr when there is none.
using TDgDropDownFactory = std::function<std::unique_ptr<TDgCellDropDown>(TDgEditStyle Style, TCustomMaskEdit* Editor)>;

// The library's drop-downs (pick list, lookup list, calendar, calculator) are made by
//   std::unique_ptr<TDgCellDropDown> MakeDgCellDropDown(TDgEditStyle Style, TCustomMaskEdit* Editor);
// which the grid gives its editor as its TDgDropDownFactory; tests give fakes.
