#include "xbase/dates.h"

#include <cmath>
#include <cstdio>

#include "classlib/core/text.h"

namespace {
constexpr std::int32_t kFirstJulian = 1721426;  // 1 January 1
constexpr std::int32_t kLastJulian = 5373484;   // 31 December 9999
}  // namespace

TxbDBFDate::TxbDBFDate() : FormatSettings(RussianFormatSettings()) {
  // 2444240 is the Julian day of 1 January 1980.
  JulianOffset = 2444240 - static_cast<std::int32_t>(EncodeDate(1980, 1, 1));
}

TxbDBFDate& DateObject() {
  static TxbDBFDate date;
  return date;
}

bool TxbDBFDate::IsValidJulian(std::int32_t J) { return J >= kFirstJulian && J <= kLastJulian; }

std::int32_t TxbDBFDate::JulianFromDouble(double value) {
  if (!std::isfinite(value) || value >= 2147483648.0 || value <= -2147483649.0) return 0;
  return static_cast<std::int32_t>(value);
}

std::int32_t TxbDBFDate::DateTimeToJulian(TDateTime dt) const {
  return JulianFromDouble(std::floor(dt) + JulianOffset);
}

std::int32_t TxbDBFDate::JulianToday() const { return DateTimeToJulian(Now()); }

void TxbDBFDate::JulianToYMD(std::int32_t J, int& Year, int& Month, int& Day) const {
  Year = Month = Day = 0;
  if (IsValidJulian(J)) DecodeDate(JulianToDateTime(J), Year, Month, Day);
}

int TxbDBFDate::JulianDayOfWeek(std::int32_t J) const {
  if (J < 1) return 0;
  // Julian day 0 was a Monday; 1 = Sunday.
  return static_cast<int>((static_cast<std::int64_t>(J) + 1) % 7) + 1;
}

std::string TxbDBFDate::DateStorageText(std::int32_t J) const {
  if (J <= 0 || !IsValidJulian(J)) return std::string(8, ' ');
  int y, m, d;
  JulianToYMD(J, y, m, d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
  return buf;
}

std::string TxbDBFDate::DisplayFormat() const {
  std::string format = UpperCase(FormatSettings.ShortDateFormat);
  // Widen the year where it is: a format with no year gains none.
  auto first = format.find('Y');
  if (Century && first != std::string::npos)
    while (format.find("YYYY") == std::string::npos) format.insert(first, 1, 'Y');
  return format;
}

std::string TxbDBFDate::DateFormatText(std::int32_t J) const {
  std::string format = DisplayFormat();
  if (J < 1 || !IsValidJulian(J)) return std::string(format.size(), ' ');
  return FormatDateTime(format, JulianToDateTime(J), FormatSettings);
}

std::int32_t TxbDBFDate::TextToJulian(std::string_view Text) const {
  while (!Text.empty() && Text.back() == ' ') Text.remove_suffix(1);
  if (Text.empty() || Text == "00000000") return 0;
  bool digits = Text.size() == 8;
  for (char c : Text) digits = digits && c >= '0' && c <= '9';
  TDateTime dt = 0;
  if (digits) {
    int y = std::stoi(std::string(Text.substr(0, 4)));
    int m = std::stoi(std::string(Text.substr(4, 2)));
    int d = std::stoi(std::string(Text.substr(6, 2)));
    if (!TryEncodeDate(y, m, d, dt)) dt = 0;
  } else {
    dt = StrToDate(Text, FormatSettings);
  }
  return static_cast<std::int32_t>(std::lround(dt + JulianOffset));
}
