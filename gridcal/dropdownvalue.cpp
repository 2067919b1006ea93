#include "gridcal/dropdownvalue.h"

#include "classlib/beep.h"
#include "classlib/dbfields.h"
#include "gridcal/picklist.h"

void WriteDropDownValue(TField* Field, const TVariant& Value, const String& Text) {
  if (!Field || Value.IsNull()) return;
  bool isDate = Value.VarType() == varDate;
  bool isNumber = Value.VarType() == varDouble || Value.VarType() == varInteger;
  switch (Field->DataType()) {
    case ftDate:
    case ftDateTime:
      if (isDate) return Field->SetAsDateTime(Value.AsDateTime());
      break;
    case ftSmallint:
    case ftInteger:
    case ftFloat:
      if (isNumber) return Field->SetAsFloat(Value.AsFloat());
      break;
    default: break;
  }
  Field->SetText(Text);
}

bool WritePickText(TField* Field, const TStrings* PickList, const TStrings* PickValues, const String& Text) {
  String value;
  if (!PickTextToValue(PickList, PickValues, Text, value)) {
    Beeper().MessageBeep(0);
    return false;
  }
  if (Field) Field->SetText(value);
  return true;
}
