#pragma once
// TDateTime: days since 30 December 1899 as a double, the fraction being the time of day.
// Before that day the whole part counts back and the fraction still counts forward: -1.25
// is 29 December 1899, 6:00. Dates run from 1 January 1 to 31 December 9999 (proleptic
// Gregorian calendar).
#include <cstdint>
#include <string>
#include <string_view>

#include "classlib/core/exceptions.h"
#include "classlib/core/formatsettings.h"

using TDateTime = double;

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = 24 * 60;
constexpr int SecsPerDay = 24 * 60 * 60;
constexpr std::int64_t MSecsPerDay = 24LL * 60 * 60 * 1000;
constexpr double UnixDateDelta = 25569;  // 1 January 1970

// ---- Calendar ----

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // 0 for a month outside 1..12

// Raise EConvertError "Invalid argument to date encode" / "… time encode".
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time);
// A value that is no date (not finite, or outside the years 1..9999) raises EConvertError.
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);
// 1 = Sunday … 7 = Saturday.
int DayOfWeek(TDateTime dt);
// The same day and time `months` later (or earlier); a day past the month's end becomes its
// last day (31 January + 1 month = 28 or 29 February).
TDateTime IncMonth(TDateTime dt, int months = 1);

// The parts of a date and time as Windows keeps them (the layout of SYSTEMTIME);
// DayOfWeek 0 = Sunday.
struct TSystemTime {
  std::uint16_t Year, Month, DayOfWeek, Day, Hour, Minute, Second, Milliseconds;
};
TDateTime SystemTimeToDateTime(const TSystemTime& st);
TSystemTime DateTimeToSystemTime(TDateTime dt);

// Plain arithmetic, no time zones: the caller knows whether it holds UTC or local time.
TDateTime UnixToDateTime(std::int64_t seconds);
std::int64_t DateTimeToUnix(TDateTime dt);  // whole seconds, rounded down
// FILETIME counts 100 ns steps since 1 January 1601.
TDateTime FileTimeToDateTime(std::uint64_t fileTime);
std::uint64_t DateTimeToFileTime(TDateTime dt);  // 0 for a moment before 1601

// A date and time as datasets keep them in record buffers: Date counts days with 1 January 1
// as day 1, Time the milliseconds of the day. TimeStampToMSecs counts milliseconds from the
// start of day 0 (the form of a date-and-time field).
struct TTimeStamp {
  int Time = 0;
  int Date = 0;
};
constexpr int DateDelta = 693594;  // the Date of 30 December 1899
TTimeStamp DateTimeToTimeStamp(TDateTime dt);
TDateTime TimeStampToDateTime(const TTimeStamp& ts);
double TimeStampToMSecs(const TTimeStamp& ts);
TTimeStamp MSecsToTimeStamp(double msecs);

// ---- Now, through the clock service (classlib/core/clock.h) ----

TDateTime Now();
TDateTime Date();  // today at 0:00
TDateTime Time();  // the time of day alone

// ---- Text ----

// The class library's format codes, letters in either case:
//   c  ShortDateFormat, and LongTimeFormat unless the time is midnight
//   d dd  day;  ddd dddd  short and long day name;  ddddd dddddd  short and long date
//   m mm  month (minute right after h or hh);  mmm mmmm  short and long month name — the
//         genitive name when the format also writes a day number ("d mmmm": "10 декабря")
//   yy yyyy  year;  h hh  hour;  n nn  minute;  s ss  second;  z zzz  millisecond
//   t tt  short and long time;  am/pm a/p  12-hour clock with that text;  ampm  with the
//         settings' AM and PM texts;  /  date separator;  :  time separator
//   'text' "text"  as it stands; any other character as it stands.
// An empty format is "c".
std::string FormatDateTime(std::string_view format, TDateTime dt,
                           const TFormatSettings& settings = DefaultFormatSettings());
std::string DateToStr(TDateTime dt, const TFormatSettings& settings = DefaultFormatSettings());
std::string TimeToStr(TDateTime dt, const TFormatSettings& settings = DefaultFormatSettings());
std::string DateTimeToStr(TDateTime dt, const TFormatSettings& settings = DefaultFormatSettings());

// Times: "h[:m[:s[<decimal separator>z]]]" with the settings' time separator and an
// optional AM/PM text before or after; dates: numbers in ShortDateFormat's order with the
// date separator, the year optional; date and time: a date, blanks and a time. Blanks
// around are allowed. Anything else raises EConvertError "'x' is not a valid time" (date,
// date and time).
TDateTime StrToTime(std::string_view s, const TFormatSettings& settings = DefaultFormatSettings());
TDateTime StrToDate(std::string_view s, const TFormatSettings& settings = DefaultFormatSettings());
TDateTime StrToDateTime(std::string_view s, const TFormatSettings& settings = DefaultFormatSettings());
bool TryStrToTime(std::string_view s, TDateTime& value, const TFormatSettings& settings = DefaultFormatSettings());
bool TryStrToDate(std::string_view s, TDateTime& value, const TFormatSettings& settings = DefaultFormatSettings());
bool TryStrToDateTime(std::string_view s, TDateTime& value, const TFormatSettings& settings = DefaultFormatSettings());
