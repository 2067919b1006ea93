#include "gridcal/calendarmodel.h"

#include <algorithm>
#include <cmath>

TMonthGrid MonthGrid(int Year, int Month, bool MondayFirst) {
  TMonthGrid grid;
  int weekday = DayOfWeek(EncodeDate(Year, Month, 1));  // 1 = Sunday
  grid.FirstColumn = MondayFirst ? (weekday + 5) % 7 : weekday - 1;
  int length = DaysInMonth(Year, Month);
  for (int day = 1; day <= length; ++day) grid.Days[static_cast<size_t>(grid.FirstColumn + day - 1)] = day;
  return grid;
}

int ColumnDayOfWeek(int Column, bool MondayFirst) { return MondayFirst ? (Column + 1) % 7 + 1 : Column + 1; }

TCalendarDate::TCalendarDate() { SetToday(); }

void TCalendarDate::SetDate(TDateTime Value) {
  TDateTime first = EncodeDate(1900, 1, 1), last = EncodeDate(2100, 1, 1);
  if (!std::isfinite(Value) || Value < first || std::floor(Value) > last) Value = ::Date();
  DecodeDate(Value, FYear, FMonth, FDay);
}

void TCalendarDate::ClampDay() { FDay = std::clamp(FDay, 1, DaysInMonth(FYear, FMonth)); }

void TCalendarDate::SetDay(int Value) {
  FDay = Value;
  ClampDay();
}

void TCalendarDate::SetMonth(int Value) {
  FMonth = std::clamp(Value, 1, 12);
  ClampDay();
}

bool TCalendarDate::SetYear(int Value) {
  if (Value < MinYear || Value > MaxYear) return false;
  FYear = Value;
  ClampDay();
  return true;
}

bool TCalendarDate::Step(TCalendarStep Step) {
  int year = FYear, month = FMonth;
  switch (Step) {
    case csPrevYear: --year; break;
    case csNextYear: ++year; break;
    case csPrevMonth:
      if (--month < 1) month = 12, --year;
      break;
    case csNextMonth:
      if (++month > 12) month = 1, ++year;
      break;
  }
  if (year != FYear && (year < MinYear || year > MaxYear)) return false;
  FYear = year;
  FMonth = month;
  ClampDay();
  return true;
}
