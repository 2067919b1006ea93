#include "classlib/core/formatsettings.h"

#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

namespace {

// One value of the user's default locale; empty when it cannot be read.
std::string LocaleText(LCTYPE Type) {
  wchar_t buffer[128];
  int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, Type, buffer, 128);
  return n > 1 ? WideToUtf8(std::wstring(buffer, static_cast<size_t>(n - 1))) : std::string();
}

// A separator that is one byte replaces Separator; others (a no-break space) do not fit.
void TakeSeparator(LCTYPE Type, char& Separator) {
  std::string s = LocaleText(Type);
  if (s.size() == 1) Separator = s[0];
}

// Windows writes the AM/PM marker as "tt" (or "t"); our codes call it "ampm".
std::string TimeFormat(std::string Format) {
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < Format.size(); ++i) {
    char c = Format[i];
    if (c == '\'') quoted = !quoted;
    if (!quoted && c == 't') {
      while (i + 1 < Format.size() && Format[i + 1] == 't') ++i;
      out += "ampm";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

TFormatSettings LocaleFormatSettings() {
  TFormatSettings s = DefaultFormatSettings();
  TakeSeparator(LOCALE_SDECIMAL, s.DecimalSeparator);
  TakeSeparator(LOCALE_STHOUSAND, s.ThousandSeparator);
  TakeSeparator(LOCALE_SDATE, s.DateSeparator);
  TakeSeparator(LOCALE_STIME, s.TimeSeparator);
  TakeSeparator(LOCALE_SLIST, s.ListSeparator);
  auto take = [](LCTYPE Type, std::string& Value) {
    std::string text = LocaleText(Type);
    if (!text.empty()) Value = text;
  };
  take(LOCALE_SCURRENCY, s.CurrencyString);
  take(LOCALE_SSHORTDATE, s.ShortDateFormat);
  take(LOCALE_SLONGDATE, s.LongDateFormat);
  take(LOCALE_STIMEFORMAT, s.LongTimeFormat);
  s.LongTimeFormat = TimeFormat(s.LongTimeFormat);
  take(LOCALE_SSHORTTIME, s.ShortTimeFormat);
  s.ShortTimeFormat = TimeFormat(s.ShortTimeFormat);
  take(LOCALE_S1159, s.TimeAMString);
  take(LOCALE_S2359, s.TimePMString);
  for (int i = 0; i < 12; ++i) {
    take(LOCALE_SABBREVMONTHNAME1 + i, s.ShortMonthNames[i]);
    take(LOCALE_SMONTHNAME1 + i, s.LongMonthNames[i]);
  }
  // Windows numbers the day names from Monday (SDAYNAME1), ours from Sunday.
  for (int i = 0; i < 7; ++i) {
    take(LOCALE_SABBREVDAYNAME1 + i, s.ShortDayNames[(i + 1) % 7]);
    take(LOCALE_SDAYNAME1 + i, s.LongDayNames[(i + 1) % 7]);
  }
  std::string first = LocaleText(LOCALE_IFIRSTDAYOFWEEK);
  if (first.size() == 1 && first[0] >= '0' && first[0] <= '6') s.FirstDayOfWeek = first[0] - '0';
  return s;
}
