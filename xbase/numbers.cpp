#include "xbase/numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace {

// A finite value as sign, significant digits and the exponent of the first digit:
// value = 0.d1d2d3... x 10^(Exponent + 1).
struct TDecimal {
  bool Negative = false;
  std::string Digits;  // no leading zeros; "0" for zero
  int Exponent = 0;
};

// Rounds the digits to `keep` digits, halves away from zero (on the decimal digits, which
// is what makes 2.675 give 2.68). keep may be 0 or negative.
void RoundDigits(TDecimal& d, int keep) {
  if (keep >= static_cast<int>(d.Digits.size())) return;
  if (keep < 0) {
    d.Digits = "0";
    d.Exponent = 0;
    return;
  }
  bool up = d.Digits[keep] >= '5';
  d.Digits.resize(keep);
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.Digits[i] == '9') d.Digits[i--] = '0';
    if (i >= 0) {
      ++d.Digits[i];
    } else {
      d.Digits.insert(d.Digits.begin(), '1');
      ++d.Exponent;
    }
  }
  while (d.Digits.size() > 1 && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits.empty() || d.Digits == "0") {
    d.Digits = "0";
    d.Exponent = 0;
  }
}

// The shortest text that reads back as the value, taken to 15 significant digits.
TDecimal Decompose(double value) {
  TDecimal d;
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
  std::string_view text(buf, res.ptr - buf);
  auto e = text.find('e');
  for (char c : text.substr(0, e))
    if (c != '.') d.Digits += c;
  d.Exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
  d.Negative = std::signbit(value);
  while (d.Digits.size() > 1 && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits == "0") d.Exponent = 0;
  RoundDigits(d, 15);
  return d;
}

std::string NonFinite(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

}  // namespace

std::string FormatNumber(double value, int decimals) {
  if (!std::isfinite(value)) return NonFinite(value);
  if (decimals < 0) decimals = 0;
  TDecimal d = Decompose(value);
  RoundDigits(d, d.Exponent + 1 + decimals);
  bool zero = d.Digits == "0";
  std::string intPart, fraction;
  // From the units digit at least: a value below 0.1 has zeros after the point too.
  for (int pos = std::max(d.Exponent, 0); pos >= -decimals; --pos) {
    // Digit at decimal position pos (10^pos); index into Digits is Exponent - pos.
    int index = d.Exponent - pos;
    char c = (!zero && index >= 0 && index < static_cast<int>(d.Digits.size())) ? d.Digits[index] : '0';
    if (pos >= 0)
      intPart += c;
    else
      fraction += c;
  }
  if (intPart.empty()) intPart = "0";
  std::string text = (d.Negative && !zero) ? "-" : "";
  text += intPart;
  if (decimals > 0) text += "." + fraction;
  return text;
}

std::string FormatNumberWidth(double value, int width, int decimals) {
  std::string text = FormatNumber(value, decimals);
  if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string FloatText(double value) {
  if (!std::isfinite(value)) return NonFinite(value);
  TDecimal d = Decompose(value);
  bool zero = d.Digits == "0";
  std::string sign = (d.Negative && !zero) ? "-" : "";
  if (zero) return "0";
  if (d.Exponent >= 15 || d.Exponent < -5) {
    std::string text = sign + d.Digits.substr(0, 1);
    if (d.Digits.size() > 1) text += "." + d.Digits.substr(1);
    return text + "E" + std::to_string(d.Exponent);
  }
  int decimals = static_cast<int>(d.Digits.size()) - 1 - d.Exponent;
  return FormatNumber(value, decimals < 0 ? 0 : decimals);
}

namespace {
constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
}

bool ParsePaddedDecimal(std::string_view field, double& value) {
  const char* p = field.data();
  const char* const e = p + field.size();
  while (p < e && *p == ' ') ++p;
  std::uint64_t whole = 0;  // wraps harmlessly past 15 digits, which are refused
  int digits = 0, decimals = 0;
  for (unsigned d; p < e && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10; ++p, ++digits) whole = whole * 10 + d;
  if (p < e && *p == '.')
    for (unsigned d; ++p < e && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10; ++decimals) whole = whole * 10 + d;
  while (p < e && *p == ' ') ++p;
  if (p != e || digits + decimals == 0 || digits + decimals > 15) return false;
  value = static_cast<double>(whole) / kPowers[decimals];
  return true;
}

bool ParseFieldDecimal(std::string_view text, double& value) {
  // A whole number over a power of ten, both exact, so the one rounding of the division is
  // the correct one.
  std::int64_t whole = 0;
  int digits = 0, decimals = -1;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      if (++digits > 15) return false;
      whole = whole * 10 + (c - '0');
      if (decimals >= 0) ++decimals;
    } else if (c == '.' && decimals < 0) {
      decimals = 0;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  value = static_cast<double>(whole) / kPowers[decimals > 0 ? decimals : 0];
  return true;
}

bool TryParseNumber(std::string_view text, double& value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == 0)) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '.')) return false;
  double v = 0;
  if (ParseFieldDecimal(text, v)) {
    value = negative ? -v : v;
    return true;
  }
  auto res = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::general);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return false;
  value = negative ? -v : v;
  return true;
}
