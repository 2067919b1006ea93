#include "gridcal/popupcalendar.h"

#include "classlib/core/text.h"

HX_PUBLISH(TDgPopupCalendar, p) {}

TDgPopupCalendar::TDgPopupCalendar(TComponent* AOwner) : TDropDownWindow<TDgCalendar>(AOwner) {
  OnSelectDate = [this](TObject*) {
    if (DroppedDown()) RequestCloseUp(this, true);
  };
}

void TDgPopupCalendar::SetDropDownValue(const TVariant& Value) {
  TDateTime date = ::Date();
  if (Value.VarType() == varString) {
    if (!TryStrToDate(Trim(Value.AsString()), date, GetFormatSettings())) date = ::Date();
  } else if (!Value.IsNull()) {
    try {
      date = Value.AsDateTime();
    } catch (const Exception&) {
      date = ::Date();
    }
  }
  SetDate(date);  // a date beyond the calendar's years shows today
}

void TDgPopupCalendar::WndProc(TMessage& Message) {
  bool release = Message.Msg == WM_LBUTTONUP;
  TPoint at{static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
  TDropDownWindow<TDgCalendar>::WndProc(Message);
  // After the release reached the calendar's buttons: a chosen day has closed it already.
  if (!release || !DroppedDown()) return;
  TRect whole{0, 0, GetClientWidth(), GetClientHeight()};
  if (!whole.Contains(at)) RequestCloseUp(this, false);
  else if (DayArea().Contains(at)) RequestCloseUp(this, true);
}
