#include "classlib/core/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "classlib/core/text.h"

namespace {

// ---- Floating point ----

// |value| rounded to `precision` significant digits: the digits and the power of ten of the
// first one.
struct DecimalDigits {
  std::string digits;
  int exponent = 0;
};

DecimalDigits ToDigits(double value, int precision) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", precision - 1, std::fabs(value));
  std::string_view s(buf);
  DecimalDigits d;
  size_t e = s.find('e');
  for (char c : s.substr(0, e))
    if (c != '.') d.digits.push_back(c);
  std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), d.exponent);
  return d;
}

std::string ExponentText(int exponent, int minDigits, bool alwaysSign) {
  std::string s = exponent < 0 ? "-" : alwaysSign ? "+" : "";
  std::string n = std::to_string(std::abs(exponent));
  if (static_cast<int>(n.size()) < minDigits) s.append(static_cast<size_t>(minDigits) - n.size(), '0');
  return "E" + s + n;
}

// The digits with the decimal separator after `intDigits` of them (padding with zeros).
std::string PlaceDecimalPoint(const std::string& digits, int intDigits, char separator) {
  if (intDigits <= 0) return "0" + std::string(1, separator) + std::string(static_cast<size_t>(-intDigits), '0') + digits;
  std::string s = digits;
  if (static_cast<int>(s.size()) <= intDigits) return s + std::string(static_cast<size_t>(intDigits) - s.size(), '0');
  s.insert(static_cast<size_t>(intDigits), 1, separator);
  return s;
}

std::string GeneralText(double value, int precision, int expDigits, char separator) {
  if (value == 0) return "0";
  DecimalDigits d = ToDigits(value, precision);
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  if (d.exponent + 1 <= precision && d.exponent >= -5) return PlaceDecimalPoint(d.digits, d.exponent + 1, separator);
  std::string s = d.digits.substr(0, 1);
  if (d.digits.size() > 1) s += separator + d.digits.substr(1);
  return s + ExponentText(d.exponent, expDigits, false);
}

std::string ExponentFormText(double value, int precision, int expDigits, char separator) {
  DecimalDigits d = ToDigits(value, precision);
  if (value == 0) d.exponent = 0;
  std::string s = d.digits.substr(0, 1);
  if (d.digits.size() > 1) s += separator + d.digits.substr(1);
  return s + ExponentText(d.exponent, expDigits, true);
}

std::string FixedText(double value, int decimals, char separator, char thousands) {
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(value));
  std::string s(buf);
  size_t point = s.find('.');
  if (point != std::string::npos) s[point] = separator;
  if (thousands) {
    size_t intDigits = point == std::string::npos ? s.size() : point;
    for (size_t k = intDigits; k > 3; k -= 3) s.insert(k - 3, 1, thousands);
  }
  return s;
}

// Where the number ('1') and the currency string ('$') go.
constexpr const char* kCurrencyForms[4] = {"$1", "1$", "$ 1", "1 $"};
constexpr const char* kNegativeCurrencyForms[16] = {"($1)", "-$1",  "$-1",  "$1-",  "(1$)",  "-1$",  "1-$",   "1$-",
                                                    "-1 $", "-$ 1", "1 $-", "$ 1-", "$ -1", "1- $", "($ 1)", "(1 $)"};

std::string CurrencyText(const std::string& number, bool negative, const TFormatSettings& fs) {
  const char* form = negative ? kNegativeCurrencyForms[std::clamp(fs.NegCurrFormat, 0, 15)]
                              : kCurrencyForms[std::clamp(fs.CurrencyFormat, 0, 3)];
  std::string s;
  for (const char* p = form; *p; ++p) {
    if (*p == '1') s += number;
    else if (*p == '$') s += fs.CurrencyString;
    else s += *p;
  }
  return s;
}

bool AllZeros(const std::string& s) {
  return std::none_of(s.begin(), s.end(), [](char c) { return c >= '1' && c <= '9'; });
}

}  // namespace

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits, const TFormatSettings& settings) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  precision = std::clamp(precision, 1, 17);
  bool negative = std::signbit(value);
  std::string s;
  switch (format) {
    case ffGeneral:
      s = GeneralText(value, precision, std::clamp(digits, 0, 4), settings.DecimalSeparator);
      break;
    case ffExponent:
      s = ExponentFormText(value, precision, std::clamp(digits, 0, 4), settings.DecimalSeparator);
      break;
    case ffFixed:
    case ffNumber:
    case ffCurrency:
      // More integer digits than the precision holds: the general form says it better.
      if (value != 0 && ToDigits(value, precision).exponent >= precision) {
        s = GeneralText(value, precision, 0, settings.DecimalSeparator);
        break;
      }
      s = FixedText(value, std::clamp(digits, 0, 18), settings.DecimalSeparator,
                    format == ffFixed ? '\0' : settings.ThousandSeparator);
      if (format == ffCurrency) return CurrencyText(s, negative && !AllZeros(s), settings);
      break;
  }
  return negative && !AllZeros(s) ? "-" + s : s;
}

std::string FormatFloat(std::string_view pattern, double value, const TFormatSettings& settings) {
  int minInt = 0, minDec = 0, decimals = 0;
  bool point = false;
  for (char c : pattern) {
    if (c == '.' && !point) point = true;
    else if (c == '0' && !point) ++minInt;
    else if (c == '0') minDec = ++decimals;
    else if (c == '#' && point) ++decimals;
    else if (c != '#' || point) throw EConvertError("Invalid number format pattern '" + std::string(pattern) + "'");
  }
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  // The shortest digits that read back as the value, and the power of ten of the first.
  char buf[64];
  auto end = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific).ptr;
  std::string_view sci(buf, static_cast<size_t>(end - buf));
  size_t e = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e))
    if (c != '.') digits.push_back(c);
  int exponent = 0;
  std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
  if (value == 0) exponent = 0;
  // Keep the digits down to the last decimal, rounding the first one dropped.
  int keep = exponent + 1 + decimals;
  if (keep < 0) {
    digits = "0";
  } else if (keep < static_cast<int>(digits.size())) {
    bool up = digits[static_cast<size_t>(keep)] >= '5';
    digits.resize(static_cast<size_t>(keep));
    for (int i = keep - 1; up && i >= 0; --i) {
      char& d = digits[static_cast<size_t>(i)];
      up = d == '9';
      d = up ? '0' : static_cast<char>(d + 1);
    }
    if (up) {
      digits.insert(digits.begin(), '1');
      ++exponent;
    }
  }
  // Integer and fraction digits around the point after exponent + 1 digits.
  int intCount = exponent + 1;
  std::string intPart, fraction;
  for (int i = 0; i < intCount; ++i)
    intPart += i < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(i)] : '0';
  for (int i = 0; i < decimals; ++i) {
    int at = intCount + i;
    fraction += at >= 0 && at < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(at)] : '0';
  }
  intPart.erase(0, std::min(intPart.find_first_not_of('0'), intPart.size()));
  if (static_cast<int>(intPart.size()) < minInt) intPart.insert(0, static_cast<size_t>(minInt) - intPart.size(), '0');
  while (static_cast<int>(fraction.size()) > minDec && fraction.back() == '0') fraction.pop_back();
  std::string s = fraction.empty() ? intPart : intPart + settings.DecimalSeparator + fraction;
  return std::signbit(value) && !AllZeros(s) ? "-" + s : s;
}

std::string FloatToStr(double value, const TFormatSettings& settings) {
  return FloatToStrF(value, ffGeneral, 15, 0, settings);
}

bool TryStrToFloat(std::string_view s, double& value, const TFormatSettings& settings) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  // Rewrite into the one form from_chars reads: '.' as the point, no '+'.
  std::string text;
  size_t i = b;
  if (i < e && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') text.push_back('-');
    ++i;
  }
  int mantissaDigits = 0;
  for (; i < e && s[i] >= '0' && s[i] <= '9'; ++i, ++mantissaDigits) text.push_back(s[i]);
  if (i < e && s[i] == settings.DecimalSeparator) {
    text.push_back('.');
    for (++i; i < e && s[i] >= '0' && s[i] <= '9'; ++i, ++mantissaDigits) text.push_back(s[i]);
  }
  if (mantissaDigits == 0) return false;
  if (i < e && (s[i] == 'e' || s[i] == 'E')) {
    text.push_back('e');
    ++i;
    if (i < e && (s[i] == '+' || s[i] == '-')) {
      if (s[i] == '-') text.push_back('-');
      ++i;
    }
    size_t start = i;
    for (; i < e && s[i] >= '0' && s[i] <= '9'; ++i) text.push_back(s[i]);
    if (i == start) return false;
  }
  if (i != e) return false;
  double v;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  value = v;
  return true;
}

double StrToFloat(std::string_view s, const TFormatSettings& settings) {
  double v;
  if (!TryStrToFloat(s, v, settings)) throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
  return v;
}

double StrToFloatDef(std::string_view s, double def, const TFormatSettings& settings) {
  double v;
  return TryStrToFloat(s, v, settings) ? v : def;
}

// ---- Format ----

namespace {

size_t CharCount(std::string_view s) {
  return static_cast<size_t>(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// The first `n` characters of a UTF-8 text.
std::string_view FirstChars(std::string_view s, size_t n) {
  size_t i = 0;
  for (size_t seen = 0; i < s.size(); ++i) {
    if ((s[i] & 0xC0) != 0x80 && seen++ == n) break;
  }
  return s.substr(0, i);
}

constexpr int kMaxWidth = 1 << 20;  // beyond any sensible text; keeps hostile widths cheap

class FormatParser {
 public:
  FormatParser(const TFormatSettings& fs, std::string_view fmt, std::span<const TFormatArg* const> args)
      : fs_(fs), fmt_(fmt), args_(args) {}

  std::string Run() {
    std::string out;
    while (pos_ < fmt_.size()) {
      char c = fmt_[pos_++];
      if (c != '%') {
        out.push_back(c);
        continue;
      }
      if (Peek() == '%') {
        out.push_back('%');
        ++pos_;
        continue;
      }
      out += Specifier();
    }
    return out;
  }

 private:
  [[noreturn]] void Invalid() const {
    throw EConvertError("Format '" + std::string(fmt_) + "' invalid or incompatible with argument");
  }
  char Peek() const { return pos_ < fmt_.size() ? fmt_[pos_] : '\0'; }

  const TFormatArg& NextArg() {
    if (next_ >= args_.size()) throw EConvertError("No argument for format '" + std::string(fmt_) + "'");
    return *args_[next_++];
  }

  // Digits or '*' (an integer argument); false when neither stands here.
  bool Number(int& value) {
    if (Peek() == '*') {
      ++pos_;
      const TFormatArg& a = NextArg();
      if (a.Kind == TFormatArg::kInteger) value = static_cast<int>(std::clamp<std::int64_t>(a.Int, -kMaxWidth, kMaxWidth));
      else if (a.Kind == TFormatArg::kUnsigned) value = static_cast<int>(std::min<std::uint64_t>(a.UInt, kMaxWidth));
      else Invalid();
      return true;
    }
    if (Peek() < '0' || Peek() > '9') return false;
    value = 0;
    while (Peek() >= '0' && Peek() <= '9') {
      value = value * 10 + (fmt_[pos_++] - '0');
      if (value > kMaxWidth) Invalid();
    }
    return true;
  }

  std::string Specifier() {
    int number = 0, width = 0, precision = -1;
    bool left = false;
    bool haveNumber = Number(number);
    if (haveNumber && Peek() == ':') {
      ++pos_;
      if (number < 0) Invalid();
      next_ = static_cast<size_t>(number);
      haveNumber = false;
    }
    if (!haveNumber) {
      if (Peek() == '-') {
        left = true;
        ++pos_;
      }
      Number(width);
    } else {
      width = number;
    }
    if (width < 0) {  // a negative '*' width pads on the right
      left = true;
      width = -width;
    }
    if (Peek() == '.') {
      ++pos_;
      if (!Number(precision)) precision = 0;
      if (precision < 0) precision = -1;
    }
    char type = Peek();
    if (type == '\0') Invalid();
    ++pos_;
    std::string text = Convert(static_cast<char>(type | 0x20), precision);
    size_t chars = CharCount(text);
    if (chars < static_cast<size_t>(width)) {
      std::string pad(static_cast<size_t>(width) - chars, ' ');
      text = left ? text + pad : pad + text;
    }
    return text;
  }

  std::string Convert(char type, int precision) {
    const TFormatArg& a = NextArg();
    switch (type) {
      case 'd': {
        if (a.Kind != TFormatArg::kInteger && a.Kind != TFormatArg::kUnsigned) Invalid();
        bool negative = a.Kind == TFormatArg::kInteger && a.Int < 0;
        std::uint64_t magnitude = a.Kind == TFormatArg::kUnsigned ? a.UInt
                                  : negative ? 0 - static_cast<std::uint64_t>(a.Int)
                                             : static_cast<std::uint64_t>(a.Int);
        std::string digits = UIntToStr(magnitude);
        if (static_cast<int>(digits.size()) < precision) digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
        return negative ? "-" + digits : digits;
      }
      case 'u':
      case 'x': {
        std::uint64_t v;
        if (a.Kind == TFormatArg::kUnsigned) v = a.UInt;
        else if (a.Kind == TFormatArg::kInteger) v = static_cast<std::uint64_t>(a.Int) & (a.Bits >= 64 ? ~0ull : (1ull << a.Bits) - 1);
        else Invalid();
        std::string digits = type == 'x' ? IntToHex(v, 0) : UIntToStr(v);
        if (static_cast<int>(digits.size()) < precision) digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
        return digits;
      }
      case 'e':
      case 'f':
      case 'g':
      case 'n':
      case 'm': {
        if (a.Kind != TFormatArg::kFloat) Invalid();
        switch (type) {
          case 'e': return FloatToStrF(a.Float, ffExponent, precision < 0 ? 15 : std::min(precision, 15), 3, fs_);
          case 'g': return FloatToStrF(a.Float, ffGeneral, precision < 0 ? 15 : std::min(precision, 15), 0, fs_);
          case 'f': return FloatToStrF(a.Float, ffFixed, 17, precision < 0 ? 2 : precision, fs_);
          case 'n': return FloatToStrF(a.Float, ffNumber, 17, precision < 0 ? 2 : precision, fs_);
          default: return FloatToStrF(a.Float, ffCurrency, 17, precision < 0 ? fs_.CurrencyDecimals : precision, fs_);
        }
      }
      case 's':
        if (a.Kind != TFormatArg::kString) Invalid();
        return std::string(precision < 0 ? a.Str : FirstChars(a.Str, static_cast<size_t>(precision)));
      case 'p':
        if (a.Kind != TFormatArg::kPointer) Invalid();
        return IntToHex(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(a.Ptr)), 16);
      default:
        Invalid();
    }
  }

  const TFormatSettings& fs_;
  std::string_view fmt_;
  std::span<const TFormatArg* const> args_;
  size_t pos_ = 0;
  size_t next_ = 0;
};

}  // namespace

std::string FormatArgs(const TFormatSettings& settings, std::string_view fmt, std::span<const TFormatArg* const> args) {
  return FormatParser(settings, fmt, args).Run();
}
