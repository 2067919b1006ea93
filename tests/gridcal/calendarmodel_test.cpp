// The month calendar's date rules and day grid, on the virtual clock (today is
// 11 December 2026).
#include "gridcal/calendarmodel.h"

#include <gtest/gtest.h>

#include "classlib/core/clock.h"

namespace {

class CalendarDateTest : public ::testing::Test {
 protected:
  CalendarDateTest() : scope(clock) {}

  void Set(int Year, int Month, int Day) { date.SetDate(EncodeDate(Year, Month, Day)); }
  void ExpectDate(int Year, int Month, int Day) {
    EXPECT_EQ(date.Year(), Year);
    EXPECT_EQ(date.Month(), Month);
    EXPECT_EQ(date.Day(), Day);
  }

  TVirtualClock clock{EncodeDate(2026, 12, 11) + 0.5};
  TClockScope scope;
  TCalendarDate date;
};

TEST(MonthGrid, LaysTheMonthOverSixWeeks) {
  struct Case {
    int Year, Month;
    bool MondayFirst;
    int FirstCell;  // 1-based cell of the 1st
    int LastCell;   // of the last day
  };
  const Case cases[] = {
      {2026, 2, true, 7, 34},    // starts on Sunday: six empty cells first
      {2026, 2, false, 1, 28},
      {2025, 3, false, 7, 37},   // 31 days from a Saturday
      {2025, 3, true, 6, 36},
      {2024, 2, true, 4, 32},    // 29 days
      {2021, 2, true, 1, 28},    // Monday the 1st, four full weeks
  };
  for (const auto& c : cases) {
    TMonthGrid grid = MonthGrid(c.Year, c.Month, c.MondayFirst);
    SCOPED_TRACE(::testing::Message() << c.Year << "-" << c.Month << (c.MondayFirst ? " Monday" : " Sunday"));
    for (int cell = 1; cell <= 42; ++cell) {
      int expected = cell >= c.FirstCell && cell <= c.LastCell ? cell - c.FirstCell + 1 : 0;
      ASSERT_EQ(grid.Days[static_cast<size_t>(cell - 1)], expected) << "cell " << cell;
    }
    EXPECT_EQ(grid.FirstColumn, c.FirstCell - 1);
  }
}

TEST(MonthGrid, WeekendColumnsFollowTheWeekStart) {
  for (int column = 0; column < 7; ++column) {
    EXPECT_EQ(IsWeekendColumn(column, true), column >= 5) << column;
    EXPECT_EQ(IsWeekendColumn(column, false), column == 0 || column == 6) << column;
  }
  EXPECT_EQ(ColumnDayOfWeek(0, true), 2);  // Monday
  EXPECT_EQ(ColumnDayOfWeek(6, true), 1);  // Sunday
  EXPECT_EQ(ColumnDayOfWeek(0, false), 1);
}

TEST_F(CalendarDateTest, StartsToday) { ExpectDate(2026, 12, 11); }

TEST_F(CalendarDateTest, StepsKeepTheDayWithinTheMonth) {
  struct Case {
    int Year, Month, Day;
    TCalendarStep Step;
    int ToYear, ToMonth, ToDay;
    bool Moved;
  };
  const Case cases[] = {
      {2023, 1, 31, csNextMonth, 2023, 2, 28, true},
      {2024, 1, 31, csNextMonth, 2024, 2, 29, true},
      {2024, 3, 31, csPrevMonth, 2024, 2, 29, true},
      {2023, 12, 15, csNextMonth, 2024, 1, 15, true},
      {2024, 1, 15, csPrevMonth, 2023, 12, 15, true},
      {2024, 2, 29, csPrevYear, 2023, 2, 28, true},
      {2024, 2, 29, csNextYear, 2025, 2, 28, true},
      // Steps that would leave 1901..2099 change nothing.
      {2099, 12, 31, csNextMonth, 2099, 12, 31, false},
      {1901, 1, 1, csPrevMonth, 1901, 1, 1, false},
      {2099, 6, 1, csNextYear, 2099, 6, 1, false},
      {1901, 6, 1, csPrevYear, 1901, 6, 1, false},
      {2099, 11, 30, csNextMonth, 2099, 12, 30, true},
      {1900, 1, 10, csNextMonth, 1900, 2, 10, true},  // 1900 is reached only by Date
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Year << "-" << c.Month << "-" << c.Day << " step " << c.Step);
    Set(c.Year, c.Month, c.Day);
    EXPECT_EQ(date.Step(c.Step), c.Moved);
    ExpectDate(c.ToYear, c.ToMonth, c.ToDay);
  }
}

TEST_F(CalendarDateTest, SettersClampOrRefuse) {
  Set(1800, 1, 1);  // outside the range: today
  ExpectDate(2026, 12, 11);
  Set(2100, 1, 1);
  ExpectDate(2100, 1, 1);
  date.SetDate(EncodeDate(2100, 1, 1) + 0.75);  // the time of day is dropped
  ExpectDate(2100, 1, 1);
  Set(2100, 1, 2);
  ExpectDate(2026, 12, 11);
  Set(1900, 1, 1);
  ExpectDate(1900, 1, 1);
  date.SetDate(EncodeDate(1900, 1, 1) - 0.25);
  ExpectDate(2026, 12, 11);

  EXPECT_FALSE(date.SetYear(2100));
  EXPECT_FALSE(date.SetYear(1900));
  ExpectDate(2026, 12, 11);
  EXPECT_TRUE(date.SetYear(2099));
  ExpectDate(2099, 12, 11);

  Set(2026, 3, 31);
  date.SetMonth(4);
  ExpectDate(2026, 4, 30);
  date.SetMonth(0);
  ExpectDate(2026, 1, 30);
  date.SetMonth(13);
  ExpectDate(2026, 12, 30);
  date.SetDay(0);
  ExpectDate(2026, 12, 1);
  date.SetDay(40);
  ExpectDate(2026, 12, 31);
  Set(2024, 2, 29);
  date.SetYear(2023);
  ExpectDate(2023, 2, 28);
}

}  // namespace
