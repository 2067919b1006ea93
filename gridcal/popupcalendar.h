#pragma once
// TDgPopupCalendar: the month calendar a grid cell's editor drops down under a
// cbsCalendar cell. It opens on the field's date (a date, or a text read as one by the
// calendar's format settings; today for a null field or a text that is no date) and asks
// to close: accepting when a day is chosen (a day button, the today bar, Enter) or the
// mouse is released over the day area (x 2 … width − 3, y 41 … height − 21), without
// accepting when it is released outside the calendar; a release elsewhere on it (the title
// bar, the weekday names) leaves it open. The value chosen is the date (a date value, for
// date fields) and its text by the format settings (for text fields). A drop-down
// (classlib/windows/dropdown.h). Windows only.
#include "classlib/windows/dropdown.h"
#include "gridcal/calendar.h"

class TDgPopupCalendar : public TDropDownWindow<TDgCalendar> {
  HX_CLASS(TDgPopupCalendar, TDropDownWindow<TDgCalendar>)
 public:
  explicit TDgPopupCalendar(TComponent* AOwner);

  // The area whose release accepts, in client coordinates.
  TRect DayArea() const { return {2, 41, FixedWidth - 2, FixedHeight - 20}; }

  void SetDropDownValue(const TVariant& Value) override;
  TVariant DropDownValue() override { return TVariant::FromDate(GetDate()); }
  String DropDownText() override { return GetDateText(); }

 protected:
  void WndProc(TMessage& Message) override;
};
