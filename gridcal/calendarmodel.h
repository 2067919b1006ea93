#pragma once
// The month calendar's date and its day grid, apart from the control (portable).
//
// TCalendarDate keeps a year, month and day with the calendar's rules: years 1901..2099
// from the year setter and the steps, a date from 1 January 1900 to 1 January 2100 (any
// other becomes today, read through the clock service), a day clamped to its month. The
// grid lays a month out over 42 cells, six weeks of seven days, Monday- or Sunday-first.
#include <array>

#include "classlib/core/datetime.h"

// A month on 42 cells: the day number of each (0 for the cells before the 1st and after
// the last day).
struct TMonthGrid {
  std::array<int, 42> Days{};
  // The column (0..6) of the 1st.
  int FirstColumn = 0;
};

TMonthGrid MonthGrid(int Year, int Month, bool MondayFirst);
// The day of the week (1 = Sunday … 7 = Saturday) of a column 0..6.
int ColumnDayOfWeek(int Column, bool MondayFirst);
inline bool IsWeekendColumn(int Column, bool MondayFirst) {
  int day = ColumnDayOfWeek(Column, MondayFirst);
  return day == 1 || day == 7;
}

// The calendar's steps: "<<" a year back, "<" a month back, ">" a month on, ">>" a year on.
enum TCalendarStep { csPrevYear, csPrevMonth, csNextMonth, csNextYear };

class TCalendarDate {
 public:
  static constexpr int MinYear = 1901, MaxYear = 2099;

  // Today.
  TCalendarDate();

  int Year() const { return FYear; }
  int Month() const { return FMonth; }
  int Day() const { return FDay; }
  TDateTime Date() const { return EncodeDate(FYear, FMonth, FDay); }

  // 1 January 1900 .. 1 January 2100 is taken (the time of day dropped), other values
  // (and values that are no date) give today.
  void SetDate(TDateTime Value);
  // 0 → 1, beyond the month's last day → the last day.
  void SetDay(int Value);
  // 0 → 1, above 12 → 12; the day is then kept within the month.
  void SetMonth(int Value);
  // Taken only within MinYear..MaxYear; false when refused.
  bool SetYear(int Value);
  // One step, the day kept within the month reached; false (nothing changed) when the step
  // would lead to a year outside MinYear..MaxYear.
  bool Step(TCalendarStep Step);
  // Today's date.
  void SetToday() { SetDate(::Date()); }

 private:
  void ClampDay();

  int FYear = 2000;
  int FMonth = 1;
  int FDay = 1;
};
