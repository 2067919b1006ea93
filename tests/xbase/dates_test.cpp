#include <gtest/gtest.h>

#include "classlib/core/clock.h"
#include "xbase/dates.h"

namespace {

class DateObjectTest : public ::testing::Test {
 protected:
  void SetUp() override { saved = DateObject().FormatSettings, savedCentury = DateObject().Century; }
  void TearDown() override { DateObject().FormatSettings = saved, DateObject().Century = savedCentury; }
  void UseShortDate(const char* format, char separator) {
    DateObject().FormatSettings.ShortDateFormat = format;
    DateObject().FormatSettings.DateSeparator = separator;
  }
  TFormatSettings saved;
  bool savedCentury = true;
};

TEST_F(DateObjectTest, StorageTextReadsBack) {
  TxbDBFDate& d = DateObject();
  EXPECT_EQ(d.JulianOffset, 2415019);
  struct Case {
    const char* text;
    TDateTime dateTime;  // what the text means; -1: the empty date
  } cases[] = {
      {"19991231", EncodeDate(1999, 12, 31)},
      {"20000229", EncodeDate(2000, 2, 29)},
      {"19000229", 0},  // no such day: reads as day 0
      {"19991301", 0},
      {"00000000", -1},
      {"", -1},
      {"        ", -1},
  };
  for (const auto& c : cases) {
    std::int32_t j = d.TextToJulian(c.text);
    if (c.dateTime < 0)
      EXPECT_EQ(j, 0) << c.text;
    else
      EXPECT_EQ(j - d.JulianOffset, static_cast<std::int32_t>(c.dateTime)) << c.text;
  }
  EXPECT_EQ(d.DateStorageText(0), "        ");
  EXPECT_EQ(d.DateStorageText(-3), "        ");
  EXPECT_EQ(d.DateStorageText(d.TextToJulian("20000229")), "20000229");
}

TEST_F(DateObjectTest, EveryDayFrom1600To2400RoundTrips) {
  TxbDBFDate& d = DateObject();
  std::int32_t first = d.TextToJulian("16000101"), last = d.TextToJulian("24001231");
  int previousWeekday = d.JulianDayOfWeek(first - 1);
  for (std::int32_t j = first; j <= last; ++j) {
    std::string text = d.DateStorageText(j);
    ASSERT_EQ(d.TextToJulian(text), j) << text;
    int y, m, dd;
    d.JulianToYMD(j, y, m, dd);
    ASSERT_EQ(EncodeDate(y, m, dd), d.JulianToDateTime(j));
    int weekday = d.JulianDayOfWeek(j);
    ASSERT_EQ(weekday, previousWeekday % 7 + 1);
    previousWeekday = weekday;
  }
}

TEST_F(DateObjectTest, DayOfWeek) {
  TxbDBFDate& d = DateObject();
  EXPECT_EQ(d.JulianDayOfWeek(0), 0);
  EXPECT_EQ(d.JulianDayOfWeek(d.TextToJulian("20261210")), 5);  // a Thursday
  EXPECT_EQ(d.JulianDayOfWeek(d.TextToJulian("20000101")), 7);  // a Saturday
}

TEST_F(DateObjectTest, FormatTextFollowsTheShortDateFormat) {
  TxbDBFDate& d = DateObject();
  std::int32_t j = d.TextToJulian("20000229");
  struct Case {
    const char* format;
    char separator;
    bool century;
    const char* text;
  } cases[] = {
      {"dd.MM.yy", '.', true, "29.02.2000"},  // "DD.MM.YYYY": 10 blanks when empty
      {"dd.mm.yyyy", '.', true, "29.02.2000"},
      {"M/d/yy", '/', true, "2/29/2000"},
      {"M/d/yy", '/', false, "2/29/00"},
      {"dd/MM", '.', true, "29.02"},  // no year in the format: none is added
  };
  for (const auto& c : cases) {
    UseShortDate(c.format, c.separator);
    d.Century = c.century;
    EXPECT_EQ(d.DateFormatText(j), c.text) << c.format;
    // The empty date: as many blanks as the (widened) format has characters.
    EXPECT_EQ(d.DateFormatText(0), std::string(d.DisplayFormat().size(), ' ')) << c.format;
  }
}

TEST_F(DateObjectTest, LocaleTextReadsByTheSettings) {
  TxbDBFDate& d = DateObject();
  UseShortDate("dd.mm.yyyy", '.');
  EXPECT_EQ(d.DateStorageText(d.TextToJulian("29.02.2000")), "20000229");
  UseShortDate("M/d/yyyy", '/');
  EXPECT_EQ(d.DateStorageText(d.TextToJulian("2/29/2000")), "20000229");
  EXPECT_THROW(d.TextToJulian("no date"), EConvertError);
}

TEST_F(DateObjectTest, ValuesBeyondThirtyTwoBitsAreTheEmptyDate) {
  EXPECT_EQ(TxbDBFDate::JulianFromDouble(1.0e100), 0);
  EXPECT_EQ(TxbDBFDate::JulianFromDouble(-1.0e100), 0);
  EXPECT_EQ(TxbDBFDate::JulianFromDouble(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(TxbDBFDate::JulianFromDouble(2451604.7), 2451604);
}

TEST_F(DateObjectTest, TodayComesFromTheClock) {
  TVirtualClock clock(EncodeDate(2026, 12, 10) + EncodeTime(23, 59, 0, 0));
  TClockScope scope(clock);
  EXPECT_EQ(DateObject().DateStorageText(DateObject().JulianToday()), "20261210");
}

}  // namespace
