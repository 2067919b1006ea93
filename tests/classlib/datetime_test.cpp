#include <gtest/gtest.h>

#include <cmath>

#include "classlib/core/clock.h"
#include "classlib/core/datetime.h"

namespace {

const TFormatSettings& ru = RussianFormatSettings();

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, ms);
}

TEST(DateEncoding, CountsDaysFromTheEndOf1899) {
  struct Case {
    int y, m, d;
    double serial;
    int dayOfWeek;
  };
  const Case cases[] = {
      {1899, 12, 30, 0, 7},        {1899, 12, 31, 1, 1},      {1900, 3, 1, 61, 5},
      {2000, 2, 29, 36585, 3},     {2026, 12, 10, 46366, 5},  {1899, 12, 29, -1, 6},
      {1, 1, 1, -693593, 2},       {9999, 12, 31, 2958465, 6}, {1601, 1, 1, -109205, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
    int y, m, d;
    DecodeDate(c.serial, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d) << c.serial;
    EXPECT_EQ(DayOfWeek(c.serial), c.dayOfWeek) << c.serial;
  }
}

TEST(DateEncoding, TimeStampsCountDaysFromTheYearOne) {
  struct Case {
    TDateTime dt;
    int date, time;
  };
  const Case cases[] = {
      {At(1, 1, 1), 1, 0},
      {0, DateDelta, 0},
      {At(2024, 12, 31, 13, 45, 10, 250), 739251, 49510250},
      {-1.25, DateDelta - 1, 21600000},  // 29 December 1899, 6:00
  };
  for (const Case& c : cases) {
    TTimeStamp ts = DateTimeToTimeStamp(c.dt);
    EXPECT_EQ(ts.Date, c.date) << c.dt;
    EXPECT_EQ(ts.Time, c.time) << c.dt;
    EXPECT_DOUBLE_EQ(TimeStampToDateTime(ts), c.dt);
    TTimeStamp back = MSecsToTimeStamp(TimeStampToMSecs(ts));
    EXPECT_EQ(back.Date, ts.Date);
    EXPECT_EQ(back.Time, ts.Time);
  }
}

TEST(DateEncoding, RejectsDaysThatDoNotExist) {
  struct Case {
    int y, m, d;
  };
  const Case bad[] = {{2026, 2, 29}, {1900, 2, 29}, {2026, 13, 1}, {2026, 0, 1}, {2026, 4, 31}, {0, 1, 1}, {10000, 1, 1}};
  for (const auto& c : bad) {
    TDateTime dt;
    EXPECT_FALSE(TryEncodeDate(c.y, c.m, c.d, dt)) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_THROW(EncodeDate(c.y, c.m, c.d), EConvertError);
  }
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(2100));
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2026, 2), 28);
  EXPECT_EQ(DaysInMonth(2026, 13), 0);
  int y, m, d;
  EXPECT_THROW(DecodeDate(NAN, y, m, d), EConvertError);
  EXPECT_THROW(DecodeDate(1e12, y, m, d), EConvertError);
}

TEST(DateEncoding, TheFractionIsTheTimeOfDayAlsoBefore1900) {
  int h, mi, s, ms, y, mo, d;
  // -1.25: the day before day 0, a quarter into it.
  DecodeDate(-1.25, y, mo, d);
  DecodeTime(-1.25, h, mi, s, ms);
  EXPECT_EQ(y * 10000 + mo * 100 + d, 18991229);
  EXPECT_EQ(h, 6);
  TSystemTime st = DateTimeToSystemTime(-1.25);
  EXPECT_EQ(SystemTimeToDateTime(st), -1.25);
  // A time that rounds up to midnight belongs to the next day.
  DecodeTime(0.99999999999, h, mi, s, ms);
  DecodeDate(0.99999999999, y, mo, d);
  EXPECT_EQ(h * 10000 + mi * 100 + s, 0);
  EXPECT_EQ(d, 31);
  DecodeTime(At(2026, 12, 10, 23, 59, 58, 999), h, mi, s, ms);
  EXPECT_EQ(h * 10000000 + mi * 100000 + s * 1000 + ms, 235958999);
}

TEST(DateArithmetic, IncMonthAndConversions) {
  EXPECT_EQ(IncMonth(At(2024, 1, 31, 10)), At(2024, 2, 29, 10));
  EXPECT_EQ(IncMonth(At(2026, 3, 15), -3), At(2025, 12, 15));
  EXPECT_EQ(IncMonth(At(2026, 11, 30), 14), At(2028, 1, 30));
  EXPECT_THROW(IncMonth(At(9999, 12, 1)), EConvertError);

  EXPECT_EQ(UnixToDateTime(0), EncodeDate(1970, 1, 1));
  EXPECT_EQ(DateTimeToUnix(At(2026, 12, 10, 12)), 1796904000);
  EXPECT_EQ(UnixToDateTime(-1), At(1969, 12, 31, 23, 59, 59));
  EXPECT_EQ(FileTimeToDateTime(0), EncodeDate(1601, 1, 1));
  // 1 January 2000 12:00 is 125912016000000000 in 100 ns steps.
  EXPECT_EQ(DateTimeToFileTime(At(2000, 1, 1, 12)), 125912016000000000ull);
  EXPECT_EQ(FileTimeToDateTime(125912016000000000ull), At(2000, 1, 1, 12));
  EXPECT_EQ(DateTimeToFileTime(EncodeDate(1600, 12, 31)), 0u);
  TSystemTime st = DateTimeToSystemTime(At(2026, 12, 10, 3, 44, 58, 7));
  EXPECT_EQ(st.DayOfWeek, 4);  // Thursday, counted from Sunday = 0
  EXPECT_EQ(st.Milliseconds, 7);
}

TEST(FormatDateTime, WritesRussianTexts) {
  const TDateTime dec10 = At(2026, 12, 10, 3, 4, 5, 67);
  struct Case {
    const char* format;
    const char* want;
  };
  const Case cases[] = {
      {"d mmmm yyyy, dddd", "10 декабря 2026, четверг"},
      {"hh:mm:ss", "03:04:05"},
      {"h:nn:s.zzz", "3:04:5.067"},
      {"h:mm", "3:04"},
      {"hh 'ч.' mm", "03 ч. 04"},       // minutes also after quoted text
      {"mm/dd/yy", "12.10.26"},
      {"d mm", "10 12"},                 // month after a day
      {"mmmm yyyy", "декабрь 2026"},     // nominative without a day
      {"dd mmm", "10 дек"},
      {"ddd", "Чт"},
      {"ddddd", "10.12.2026"},
      {"dddddd, dddd", "10 декабря 2026 г., четверг"},
      {"c", "10.12.2026 3:04:05"},
      {"t|tt", "3:04|3:04:05"},
      {"\"yyyy\" yyyy", "yyyy 2026"},
      {"HH:MM AM/PM", "03:04 AM"},
      {"", "10.12.2026 3:04:05"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.format, dec10, ru), c.want) << c.format;
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2026, 5, 1), ru), "01.05.2026");  // no time at midnight
  EXPECT_EQ(FormatDateTime("d mmmm", EncodeDate(2026, 5, 1), ru), "1 мая");
}

TEST(FormatDateTime, TwelveHourClockAndDefaultSettings) {
  const TDateTime evening = At(2026, 1, 2, 0, 30) + 0.75;  // 18:30
  struct Case {
    const char* format;
    const char* want;
  };
  const Case cases[] = {
      {"h:nn am/pm", "6:30 pm"}, {"hh:nn A/P", "06:30 P"}, {"h ampm", "6 PM"},
      {"dddd, mmmm d", "Friday, January 2"}, {"ddddd", "01/02/2026"}, {"c", "01/02/2026 18:30:00"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.format, evening), c.want) << c.format;
  EXPECT_EQ(FormatDateTime("h am/pm", At(2026, 1, 2, 0, 15)), "12 am");
  EXPECT_EQ(DateToStr(EncodeDate(2026, 1, 2), ru), "02.01.2026");
  EXPECT_EQ(TimeToStr(EncodeTime(6, 0, 0, 0), ru), "6:00:00");
}

TEST(StrToTime, ReadsClockTextsAndRejectsTheRest) {
  struct Case {
    const char* text;
    int h, m, s;
  };
  const Case good[] = {{"6:00", 6, 0, 0},     {"06:00:00", 6, 0, 0}, {"6:00:00", 6, 0, 0},
                       {" 23:59:59 ", 23, 59, 59}, {"7", 7, 0, 0},  {"0:5", 0, 5, 0}};
  for (const auto& c : good) {
    TDateTime t = StrToTime(c.text, ru);
    EXPECT_EQ(t, EncodeTime(c.h, c.m, c.s, 0)) << c.text;
  }
  EXPECT_EQ(StrToTime("6:30 PM"), EncodeTime(18, 30, 0, 0));
  EXPECT_EQ(StrToTime("12:00 am"), 0);
  EXPECT_EQ(StrToTime("1:02:03,5", ru), EncodeTime(1, 2, 3, 500));

  for (const char* bad : {"", "junk", "25:00", "07:3_:__", "6:60", "6.00", "6:00:00:00", "13:00 PM", "6:", "12345"}) {
    TDateTime t;
    EXPECT_FALSE(TryStrToTime(bad, t, ru)) << bad;
    try {
      StrToTime(bad, ru);
      ADD_FAILURE() << "no exception for '" << bad << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, "'" + std::string(bad) + "' is not a valid time");
    }
  }
}

TEST(StrToDate, ReadsTheShortDateOrder) {
  TVirtualClock clock(At(2026, 6, 15));
  TClockScope scope(clock);
  struct Case {
    const char* text;
    const TFormatSettings* fs;
    TDateTime want;
  };
  const Case good[] = {
      {"10.12.2026", &ru, EncodeDate(2026, 12, 10)},
      {"1.2.26", &ru, EncodeDate(2026, 2, 1)},
      {"1.2.77", &ru, EncodeDate(1977, 2, 1)},  // two-digit years within 50 years of now
      {"3.4", &ru, EncodeDate(2026, 4, 3)},     // this year
      {"12/10/2026", &DefaultFormatSettings(), EncodeDate(2026, 12, 10)},
  };
  for (const auto& c : good) EXPECT_EQ(StrToDate(c.text, *c.fs), c.want) << c.text;
  EXPECT_EQ(StrToDateTime("10.12.2026 6:30", ru), At(2026, 12, 10, 6, 30));
  EXPECT_EQ(StrToDateTime("29.12.1899 6:00", ru), -1.25);
  for (const char* bad : {"", "31.02.2026", "10.12.2026x", "10-12-2026", "10.12.2026 25:00"}) {
    TDateTime d;
    EXPECT_FALSE(TryStrToDateTime(bad, d, ru)) << bad;
  }
  EXPECT_THROW(StrToDate("12/10/2026", ru), EConvertError);
}

}  // namespace
