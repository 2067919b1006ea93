#pragma once
// Writing what a grid cell's drop-down or pick list gave into the cell's field. Portable.
#include "classlib/stringlist.h"
#include "classlib/variants.h"

class TField;

// Writes a drop-down's Value (Null: nothing is written) into Field: a date into a date or
// date-and-time field as a date, a number into a number field as a number (so no text
// format, such as a two-digit year, stands between them), anything else as Text, the
// drop-down's own text of the value. A value the field refuses raises the field's error,
// and the field keeps what it had.
void WriteDropDownValue(TField* Field, const TVariant& Value, const String& Text);

// Writes a Text typed into a pick-list cell (gridcal/picklist.h: the value of its line when
// PickValues apply, else the text itself). A text that is in no line of the list is
// refused with a beep: false, and the field keeps what it had.
bool WritePickText(TField* Field, const TStrings* PickList, const TStrings* PickValues, const String& Text);
