#include "classlib/core/datetime.h"

#include <cmath>

#include "classlib/core/clock.h"
#include "classlib/core/text.h"

namespace {

constexpr int kMinDay = -693593;   // 1 January 1
constexpr int kMaxDay = 2958465;   // 31 December 9999
constexpr int kFileTimeDay = -109205;  // 1 January 1601

constexpr int kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                   {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// Days from 30 December 1899 to a date of the proleptic Gregorian calendar.
std::int64_t DayNumber(std::int64_t y, int m, int d) {
  y -= m <= 2;
  std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  std::int64_t yoe = y - era * 400;
  std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + 25569;
}

void CivilDate(std::int64_t day, int& year, int& month, int& dayOfMonth) {
  std::int64_t z = day - 25569 + 719468;
  std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  std::int64_t doe = z - era * 146097;
  std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  std::int64_t mp = (5 * doy + 2) / 153;
  dayOfMonth = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// A TDateTime as its calendar day and the milliseconds into that day.
struct DayAndTime {
  std::int64_t day;
  std::int64_t msec;
};

DayAndTime Split(TDateTime dt) {
  if (!std::isfinite(dt) || dt < kMinDay - 1 || dt > kMaxDay + 1) throw EConvertError("Invalid date and time value");
  double whole = std::trunc(dt);
  DayAndTime r{static_cast<std::int64_t>(whole), std::llround(std::fabs(dt - whole) * MSecsPerDay)};
  if (r.msec >= MSecsPerDay) {  // rounded up to the next midnight
    r.msec -= MSecsPerDay;
    ++r.day;
  }
  if (r.day < kMinDay || r.day > kMaxDay) throw EConvertError("Invalid date and time value");
  return r;
}

// A day and a time of day as one value; before 30 December 1899 the fraction still counts
// forward from the day's start.
TDateTime Compose(std::int64_t day, std::int64_t msec) {
  double time = static_cast<double>(msec) / MSecsPerDay;
  return day < 0 ? static_cast<double>(day) - time : static_cast<double>(day) + time;
}

}  // namespace

// ---- Calendar ----

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  if (month < 1 || month > 12) return 0;
  return kMonthDays[IsLeapYear(year)][month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  date = static_cast<double>(DayNumber(year, month, day));
  return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time) {
  if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 || msec >= 1000) return false;
  time = static_cast<double>(((hour * 60 + min) * 60 + sec) * 1000 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime d;
  if (!TryEncodeDate(year, month, day, d)) throw EConvertError("Invalid argument to date encode");
  return d;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  TDateTime t;
  if (!TryEncodeTime(hour, min, sec, msec, t)) throw EConvertError("Invalid argument to time encode");
  return t;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) { CivilDate(Split(dt).day, year, month, day); }

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
  std::int64_t ms = Split(dt).msec;
  msec = static_cast<int>(ms % 1000);
  sec = static_cast<int>(ms / 1000 % 60);
  min = static_cast<int>(ms / 60000 % 60);
  hour = static_cast<int>(ms / 3600000);
}

int DayOfWeek(TDateTime dt) {
  std::int64_t day = Split(dt).day;  // day 0 was a Saturday
  return static_cast<int>(((day % 7 + 7) % 7 + 6) % 7) + 1;
}

TDateTime IncMonth(TDateTime dt, int months) {
  DayAndTime parts = Split(dt);
  int y, m, d;
  CivilDate(parts.day, y, m, d);
  std::int64_t index = static_cast<std::int64_t>(y) * 12 + (m - 1) + months;
  std::int64_t year = index >= 0 ? index / 12 : (index - 11) / 12;
  int month = static_cast<int>(index - year * 12) + 1;
  if (year < 1 || year > 9999) throw EConvertError("Invalid argument to date encode");
  d = std::min(d, DaysInMonth(static_cast<int>(year), month));
  return Compose(DayNumber(year, month, d), parts.msec);
}

TDateTime SystemTimeToDateTime(const TSystemTime& st) {
  TDateTime date = EncodeDate(st.Year, st.Month, st.Day);
  TDateTime time = EncodeTime(st.Hour, st.Minute, st.Second, st.Milliseconds);
  return Compose(static_cast<std::int64_t>(date), std::llround(time * MSecsPerDay));
}

TSystemTime DateTimeToSystemTime(TDateTime dt) {
  DayAndTime parts = Split(dt);
  int y, m, d;
  CivilDate(parts.day, y, m, d);
  TSystemTime st;
  st.Year = static_cast<std::uint16_t>(y);
  st.Month = static_cast<std::uint16_t>(m);
  st.Day = static_cast<std::uint16_t>(d);
  st.DayOfWeek = static_cast<std::uint16_t>(DayOfWeek(dt) - 1);
  st.Hour = static_cast<std::uint16_t>(parts.msec / 3600000);
  st.Minute = static_cast<std::uint16_t>(parts.msec / 60000 % 60);
  st.Second = static_cast<std::uint16_t>(parts.msec / 1000 % 60);
  st.Milliseconds = static_cast<std::uint16_t>(parts.msec % 1000);
  return st;
}

TDateTime UnixToDateTime(std::int64_t seconds) {
  std::int64_t days = seconds / SecsPerDay;
  if (seconds % SecsPerDay < 0) --days;  // whole days rounded down
  return Compose(days + static_cast<std::int64_t>(UnixDateDelta), (seconds - days * SecsPerDay) * 1000);
}

std::int64_t DateTimeToUnix(TDateTime dt) {
  DayAndTime parts = Split(dt);
  return (parts.day - static_cast<std::int64_t>(UnixDateDelta)) * SecsPerDay + parts.msec / 1000;
}

TDateTime FileTimeToDateTime(std::uint64_t fileTime) {
  std::uint64_t ms = fileTime / 10000;
  return Compose(kFileTimeDay + static_cast<std::int64_t>(ms / MSecsPerDay), static_cast<std::int64_t>(ms % MSecsPerDay));
}

std::uint64_t DateTimeToFileTime(TDateTime dt) {
  DayAndTime parts = Split(dt);
  if (parts.day < kFileTimeDay) return 0;
  return static_cast<std::uint64_t>((parts.day - kFileTimeDay) * MSecsPerDay + parts.msec) * 10000;
}

// ---- Now ----

TDateTime Now() { return Clock().Now(); }

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  TDateTime now = Now();
  return std::fabs(now - std::trunc(now));
}

// ---- Formatting ----

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool StartsWithNoCase(std::string_view s, size_t pos, std::string_view what) {
  return s.size() - pos >= what.size() && SameText(s.substr(pos, what.size()), what);
}

// Whether a format writes a day number (d or dd), which makes month names genitive.
bool WritesDayNumber(std::string_view f) {
  for (size_t i = 0; i < f.size();) {
    char c = f[i];
    if (c == '\'' || c == '"') {
      size_t close = f.find(c, i + 1);
      i = close == std::string_view::npos ? f.size() : close + 1;
    } else if (Upper(c) == 'D') {
      size_t start = i;
      while (i < f.size() && Upper(f[i]) == 'D') ++i;
      if (i - start <= 2) return true;
    } else {
      ++i;
    }
  }
  return false;
}

// Whether an am/pm text follows in the format, which makes hours 12-hour ones.
bool HasAmPm(std::string_view f, size_t from) {
  for (size_t i = from; i < f.size(); ++i) {
    char c = f[i];
    if (c == '\'' || c == '"') {
      size_t close = f.find(c, i + 1);
      if (close == std::string_view::npos) return false;
      i = close;
    } else if (StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p") || StartsWithNoCase(f, i, "ampm")) {
      return true;
    }
  }
  return false;
}

class DateTimeWriter {
 public:
  DateTimeWriter(TDateTime dt, const TFormatSettings& fs) : fs_(fs) {
    DayAndTime parts = Split(dt);
    CivilDate(parts.day, year_, month_, day_);
    dayOfWeek_ = DayOfWeek(dt);
    msecOfDay_ = parts.msec;
    hour_ = static_cast<int>(parts.msec / 3600000);
    min_ = static_cast<int>(parts.msec / 60000 % 60);
    sec_ = static_cast<int>(parts.msec / 1000 % 60);
    msec_ = static_cast<int>(parts.msec % 1000);
  }

  std::string Write(std::string_view format) {
    Append(format.empty() ? "c" : format, 0);
    return out_;
  }

 private:
  void Number(int value, int digits) {
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) < digits) out_.append(static_cast<size_t>(digits) - s.size(), '0');
    out_ += s;
  }

  void Nested(std::string_view format, int level) {
    if (level < 2) Append(format, level + 1);  // a format that names itself stops here
  }

  void Append(std::string_view f, int level) {
    const bool genitive = WritesDayNumber(f);
    char last = ' ';
    size_t i = 0;
    auto count = [&](char letter) {
      size_t start = i;
      while (i < f.size() && Upper(f[i]) == letter) ++i;
      return static_cast<int>(i - start);
    };
    while (i < f.size()) {
      char c = f[i];
      char token = Upper(c);
      if (IsLetter(c)) {
        if (token == 'M' && last == 'H') token = 'N';  // minutes right after an hour
        last = token;
      }
      switch (token) {
        case 'Y': {
          int n = count('Y');
          if (n <= 2) Number(year_ % 100, 2);
          else Number(year_, 4);
          break;
        }
        case 'M': {
          int n = count('M');
          if (n <= 2) Number(month_, n);
          else if (n == 3) out_ += fs_.ShortMonthNames[static_cast<size_t>(month_ - 1)];
          else {
            const std::string& genitiveName = fs_.GenitiveMonthNames[static_cast<size_t>(month_ - 1)];
            out_ += genitive && !genitiveName.empty() ? genitiveName : fs_.LongMonthNames[static_cast<size_t>(month_ - 1)];
          }
          break;
        }
        case 'D': {
          int n = count('D');
          if (n <= 2) Number(day_, n);
          else if (n == 3) out_ += fs_.ShortDayNames[static_cast<size_t>(dayOfWeek_ - 1)];
          else if (n == 4) out_ += fs_.LongDayNames[static_cast<size_t>(dayOfWeek_ - 1)];
          else if (n == 5) Nested(fs_.ShortDateFormat, level);
          else Nested(fs_.LongDateFormat, level);
          break;
        }
        case 'H': {
          size_t start = i;
          int n = std::min(count('H'), 2);
          int h = hour_;
          if (HasAmPm(f, start)) {
            h %= 12;
            if (h == 0) h = 12;
          }
          Number(h, n);
          break;
        }
        case 'N':  // also m or mm after an hour
          Number(min_, std::min(count(Upper(c)), 2));
          break;
        case 'S':
          Number(sec_, std::min(count('S'), 2));
          break;
        case 'Z':
          Number(msec_, count('Z') >= 3 ? 3 : 1);
          break;
        case 'T':
          Nested(count('T') == 1 ? fs_.ShortTimeFormat : fs_.LongTimeFormat, level);
          break;
        case 'C':
          count('C');
          Nested(fs_.ShortDateFormat, level);
          if (msecOfDay_ != 0) {
            out_ += ' ';
            Nested(fs_.LongTimeFormat, level);
          }
          break;
        case 'A':
          if (StartsWithNoCase(f, i, "am/pm")) {
            out_ += f.substr(hour_ >= 12 ? i + 3 : i, 2);  // "am" or "pm" as the format spells it
            i += 5;
          } else if (StartsWithNoCase(f, i, "a/p")) {
            out_ += f[hour_ >= 12 ? i + 2 : i];
            i += 3;
          } else if (StartsWithNoCase(f, i, "ampm")) {
            out_ += hour_ >= 12 ? fs_.TimePMString : fs_.TimeAMString;
            i += 4;
          } else {
            out_ += c;
            ++i;
          }
          break;
        case '/':
          if (fs_.DateSeparator) out_ += fs_.DateSeparator;
          ++i;
          break;
        case ':':
          if (fs_.TimeSeparator) out_ += fs_.TimeSeparator;
          ++i;
          break;
        case '\'':
        case '"': {
          size_t close = f.find(c, i + 1);
          if (close == std::string_view::npos) close = f.size();
          out_ += f.substr(i + 1, close - i - 1);
          i = close + 1;
          break;
        }
        default:
          out_ += c;
          ++i;
      }
    }
  }

  const TFormatSettings& fs_;
  std::string out_;
  int year_, month_, day_, dayOfWeek_, hour_, min_, sec_, msec_;
  std::int64_t msecOfDay_;
};

}  // namespace

std::string FormatDateTime(std::string_view format, TDateTime dt, const TFormatSettings& settings) {
  return DateTimeWriter(dt, settings).Write(format);
}

std::string DateToStr(TDateTime dt, const TFormatSettings& settings) { return FormatDateTime("ddddd", dt, settings); }
std::string TimeToStr(TDateTime dt, const TFormatSettings& settings) { return FormatDateTime("tt", dt, settings); }
std::string DateTimeToStr(TDateTime dt, const TFormatSettings& settings) { return FormatDateTime("c", dt, settings); }

// ---- Parsing ----

namespace {

class DateTimeScanner {
 public:
  DateTimeScanner(std::string_view s, const TFormatSettings& fs) : s_(s), fs_(fs) {}

  bool AtEnd() {
    Blanks();
    return pos_ == s_.size();
  }

  // h[:m[:s[.z]]] with an AM/PM text before or after.
  bool Time(TDateTime& time) {
    int baseHour = AmPm();
    int hour, min = 0, sec = 0, msec = 0, digits;
    if (!Number(hour, digits)) return false;
    if (Char(fs_.TimeSeparator)) {
      if (!Number(min, digits)) return false;
      if (Char(fs_.TimeSeparator)) {
        if (!Number(sec, digits)) return false;
        if (Char(fs_.DecimalSeparator)) {
          if (!Number(msec, digits) || digits > 3) return false;
          for (; digits < 3; ++digits) msec *= 10;  // ".5" is half a second
        }
      }
    }
    if (baseHour < 0) baseHour = AmPm();
    if (baseHour >= 0) {
      if (hour == 0 || hour > 12) return false;
      hour = hour % 12 + baseHour;
    }
    return TryEncodeTime(hour, min, sec, msec, time);
  }

  // Numbers in the order of the short date format; without a year, this year.
  bool Date(TDateTime& date) {
    int n[3], digits[3], count = 0;
    if (!Number(n[0], digits[0])) return false;
    for (count = 1; count < 3 && Char(fs_.DateSeparator); ++count)
      if (!Number(n[count], digits[count])) return false;
    if (count < 2) return false;
    int order = DateOrder();
    int year, month, day, yearDigits = 4;
    if (count == 2) {
      int nowMonth, nowDay;
      DecodeDate(Now(), year, nowMonth, nowDay);
      if (order == kMDY) month = n[0], day = n[1];
      else if (order == kDMY) day = n[0], month = n[1];
      else month = n[0], day = n[1];
    } else if (order == kMDY) {
      month = n[0], day = n[1], year = n[2], yearDigits = digits[2];
    } else if (order == kDMY) {
      day = n[0], month = n[1], year = n[2], yearDigits = digits[2];
    } else {
      year = n[0], month = n[1], day = n[2], yearDigits = digits[0];
    }
    if (yearDigits <= 2) year = WidenYear(year);
    return TryEncodeDate(year, month, day, date);
  }

 private:
  enum { kDMY, kMDY, kYMD };

  int DateOrder() const {
    for (char c : fs_.ShortDateFormat) {
      switch (Upper(c)) {
        case 'D': return kDMY;
        case 'M': return kMDY;
        case 'Y': return kYMD;
      }
    }
    return kMDY;
  }

  int WidenYear(int year) const {
    int thisYear, m, d;
    DecodeDate(Now(), thisYear, m, d);
    int window = fs_.TwoDigitYearCenturyWindow;
    int base = thisYear - window;
    year += base / 100 * 100;
    if (window > 0 && year < base) year += 100;
    return year;
  }

  void Blanks() {
    while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
  }

  bool Char(char c) {
    Blanks();
    if (c && pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  // Up to four digits.
  bool Number(int& value, int& digits) {
    value = 0;
    digits = 0;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
      if (++digits > 4) return false;
      value = value * 10 + (s_[pos_++] - '0');
    }
    return digits > 0;
  }

  bool Text(std::string_view text) {
    if (text.empty() || s_.size() - pos_ < text.size() || !AnsiSameText(s_.substr(pos_, text.size()), text)) return false;
    pos_ += text.size();
    return true;
  }

  // 0 after an AM text, 12 after a PM text, -1 when neither stands here.
  int AmPm() {
    Blanks();
    int base = -1;
    if (Text(fs_.TimeAMString) || Text("AM")) base = 0;
    else if (Text(fs_.TimePMString) || Text("PM")) base = 12;
    if (base >= 0) Blanks();
    return base;
  }

  std::string_view s_;
  const TFormatSettings& fs_;
  size_t pos_ = 0;
};

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
  return Compose(static_cast<std::int64_t>(date), std::llround(time * MSecsPerDay));
}

}  // namespace

bool TryStrToTime(std::string_view s, TDateTime& value, const TFormatSettings& settings) {
  DateTimeScanner scan(s, settings);
  TDateTime t;
  if (!scan.Time(t) || !scan.AtEnd()) return false;
  value = t;
  return true;
}

bool TryStrToDate(std::string_view s, TDateTime& value, const TFormatSettings& settings) {
  DateTimeScanner scan(s, settings);
  TDateTime d;
  if (!scan.AtEnd() && scan.Date(d) && scan.AtEnd()) {
    value = d;
    return true;
  }
  return false;
}

bool TryStrToDateTime(std::string_view s, TDateTime& value, const TFormatSettings& settings) {
  DateTimeScanner scan(s, settings);
  TDateTime d, t = 0;
  if (!scan.AtEnd() && scan.Date(d) && (scan.AtEnd() || (scan.Time(t) && scan.AtEnd()))) {
    value = ComposeDateTime(d, t);
    return true;
  }
  return TryStrToTime(s, value, settings);  // a time alone is a time on day 0
}

TDateTime StrToTime(std::string_view s, const TFormatSettings& settings) {
  TDateTime v;
  if (!TryStrToTime(s, v, settings)) throw EConvertError("'" + std::string(s) + "' is not a valid time");
  return v;
}

TDateTime StrToDate(std::string_view s, const TFormatSettings& settings) {
  TDateTime v;
  if (!TryStrToDate(s, v, settings)) throw EConvertError("'" + std::string(s) + "' is not a valid date");
  return v;
}

TDateTime StrToDateTime(std::string_view s, const TFormatSettings& settings) {
  TDateTime v;
  if (!TryStrToDateTime(s, v, settings)) throw EConvertError("'" + std::string(s) + "' is not a valid date and time");
  return v;
}

// ---- Time stamps ----

TTimeStamp DateTimeToTimeStamp(TDateTime dt) {
  std::int64_t ms = std::llround(dt * static_cast<double>(MSecsPerDay));
  TTimeStamp ts;
  ts.Date = static_cast<int>(DateDelta + ms / MSecsPerDay);
  ts.Time = static_cast<int>((ms < 0 ? -ms : ms) % MSecsPerDay);
  return ts;
}

TDateTime TimeStampToDateTime(const TTimeStamp& ts) {
  double days = ts.Date - DateDelta;
  double fraction = static_cast<double>(ts.Time) / static_cast<double>(MSecsPerDay);
  return days < 0 ? days - fraction : days + fraction;
}

double TimeStampToMSecs(const TTimeStamp& ts) {
  return static_cast<double>(ts.Date) * static_cast<double>(MSecsPerDay) + ts.Time;
}

TTimeStamp MSecsToTimeStamp(double msecs) {
  TTimeStamp ts;
  double days = std::floor(msecs / static_cast<double>(MSecsPerDay));
  ts.Date = static_cast<int>(days);
  ts.Time = static_cast<int>(std::llround(msecs - days * static_cast<double>(MSecsPerDay)));
  if (ts.Time >= MSecsPerDay) {
    ts.Time -= static_cast<int>(MSecsPerDay);
    ++ts.Date;
  }
  return ts;
}
