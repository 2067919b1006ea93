#pragma once
// The texts and separators that number and date routines write and read. Routines take a
// settings object instead of reading the system's locale, so a program's output and parsing
// are the same on every machine: the clock passes RussianFormatSettings(), code that streams
// values passes (or defaults to) DefaultFormatSettings().
#include <array>
#include <string>

struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  char ListSeparator = ',';
  std::string CurrencyString;
  // Where the currency string goes: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
  int CurrencyFormat = 0;
  // Negative amounts, the sixteen Windows forms: 0 "($1)", 1 "-$1" … 15 "(1 $)".
  int NegCurrFormat = 0;
  int CurrencyDecimals = 2;
  std::string ShortDateFormat;
  std::string LongDateFormat;
  std::string ShortTimeFormat;
  std::string LongTimeFormat;
  std::string TimeAMString;
  std::string TimePMString;
  std::array<std::string, 12> ShortMonthNames;
  std::array<std::string, 12> LongMonthNames;
  // Month names as they read after a day number ("10 декабря"); empty: LongMonthNames.
  std::array<std::string, 12> GenitiveMonthNames;
  std::array<std::string, 7> ShortDayNames;  // Sunday first
  std::array<std::string, 7> LongDayNames;
  // The first day of a calendar's week, as Windows numbers it: 0 Monday … 6 Sunday.
  int FirstDayOfWeek = 6;
  // Two-digit years read within this many years before now … after: 50 reads "49" as 2049
  // in 2026 and "77" as 1977.
  int TwoDigitYearCenturyWindow = 50;
};

// Russian texts: "10 декабря 2026, четверг", "dd.mm.yyyy", "h:mm", decimal comma.
const TFormatSettings& RussianFormatSettings();
// English names, '.' decimal point, "MM/dd/yyyy", "HH:mm:ss": for values that are streamed.
const TFormatSettings& DefaultFormatSettings();
#ifdef _WIN32
// The user's own settings (GetLocaleInfoW of the user's default locale) over
// DefaultFormatSettings(): separators, date formats, AM/PM, month and day names, the first
// day of the week. A separator that is not one byte keeps the default's. Windows only.
TFormatSettings LocaleFormatSettings();
#endif
