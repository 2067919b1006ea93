#pragma once
// Julian day numbers, the engine's form of every date (fields, keys, expressions): a 32-bit
// day number, 0 or less the empty date. Julian = date-time day number + JulianOffset.
#include <cstdint>
#include <string>
#include <string_view>

#include "classlib/core/datetime.h"
#include "classlib/core/formatsettings.h"

class TxbDBFDate {
 public:
  TxbDBFDate();

  std::int32_t JulianOffset;  // the Julian day of date-time 0 (30 December 1899): 2415019
  bool Century = true;        // formatted dates show four-digit years
  // Whose short date format DateFormatText writes and TextToJulian reads.
  TFormatSettings FormatSettings;

  std::int32_t JulianToday() const;
  // Year, month and day of J; all 0 for a day outside the years 1..9999.
  void JulianToYMD(std::int32_t J, int& Year, int& Month, int& Day) const;
  int JulianDayOfWeek(std::int32_t J) const;  // 1 Sunday … 7 Saturday; 0 when J < 1
  std::string DateStorageText(std::int32_t J) const;  // "yyyymmdd"; 8 blanks when empty
  std::string DateFormatText(std::int32_t J) const;   // by the short date format
  // "yyyymmdd" (an impossible date reads as JulianOffset), else a date in the settings' form
  // (EConvertError when it is none); blank or "00000000" -> 0.
  std::int32_t TextToJulian(std::string_view Text) const;

  // The short date format DateFormatText writes by: upper-cased, the year widened to four
  // digits when Century is on.
  std::string DisplayFormat() const;
  TDateTime JulianToDateTime(std::int32_t J) const { return static_cast<TDateTime>(J) - JulianOffset; }
  // The whole days of a date-time value; a value that is not finite or lies beyond 32 bits
  // (the empty date 1.0e100) gives 0.
  std::int32_t DateTimeToJulian(TDateTime dt) const;
  // A Julian day held in a double (as expressions keep dates) as a 32-bit day number: the
  // truncated value, or 0 when it is not finite or lies beyond 32 bits.
  static std::int32_t JulianFromDouble(double value);
  static bool IsValidJulian(std::int32_t J);
};

// The process-wide date object every part of the engine uses.
TxbDBFDate& DateObject();
