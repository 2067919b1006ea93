#pragma once
// Format and the floating-point conversions.
//
// Format(fmt, args...) writes its arguments by the class library's specifiers:
//   %[index:][-][width][.precision]type
// with the types d (integer, precision = least digits), u (unsigned), x (upper-case hex),
// e (scientific, precision = significant digits, default 15), f (fixed, precision = decimals,
// default 2), g (general, shortest form), n (fixed with thousand separators), m (currency),
// p (pointer), s (string or char, precision = most characters) and %% for '%'. index picks
// the argument (0-based) and the next ones follow it; '*' for index, width or precision takes
// the next argument (an integer); '-' pads on the right. Width and precision count
// characters, not bytes. A bad specifier, an argument of the wrong kind or a missing argument
// raises EConvertError.
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "classlib/core/exceptions.h"
#include "classlib/core/formatsettings.h"

// One argument of Format, as its kind and value.
class TFormatArg {
 public:
  enum TKind { kInteger, kUnsigned, kFloat, kString, kPointer };

  template <std::signed_integral T>
    requires(!std::same_as<T, char>)
  TFormatArg(T v) : Kind(kInteger), Int(v), Bits(sizeof(T) * 8) {}
  template <std::unsigned_integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>)
  TFormatArg(T v) : Kind(kUnsigned), UInt(v), Bits(sizeof(T) * 8) {}
  template <std::floating_point T>
  TFormatArg(T v) : Kind(kFloat), Float(static_cast<double>(v)) {}
  TFormatArg(char c) : Kind(kString), Str(&Char, 1), Char(c) {}
  TFormatArg(const char* s) : Kind(kString), Str(s ? s : "") {}
  TFormatArg(std::string_view s) : Kind(kString), Str(s) {}
  TFormatArg(const std::string& s) : Kind(kString), Str(s) {}
  TFormatArg(const void* p) : Kind(kPointer), Ptr(p) {}
  TFormatArg(bool) = delete;  // no specifier takes a Boolean: write BoolToStr(b)
  // The char view points into the argument itself.
  TFormatArg(const TFormatArg&) = delete;
  TFormatArg& operator=(const TFormatArg&) = delete;

  TKind Kind;
  std::int64_t Int = 0;
  std::uint64_t UInt = 0;
  double Float = 0;
  std::string_view Str;
  const void* Ptr = nullptr;
  int Bits = 64;  // width of an integer argument, for %x and %u of negative values

 private:
  char Char = 0;
};

std::string FormatArgs(const TFormatSettings& settings, std::string_view fmt, std::span<const TFormatArg* const> args);

template <class... Args>
std::string Format(const TFormatSettings& settings, std::string_view fmt, const Args&... args) {
  const TFormatArg values[sizeof...(Args) + 1] = {TFormatArg(args)..., TFormatArg(0)};
  const TFormatArg* pointers[sizeof...(Args) + 1];
  for (size_t i = 0; i <= sizeof...(Args); ++i) pointers[i] = &values[i];
  return FormatArgs(settings, fmt, std::span<const TFormatArg* const>(pointers, sizeof...(Args)));
}

template <class... Args>
std::string Format(std::string_view fmt, const Args&... args) {
  return Format(DefaultFormatSettings(), fmt, args...);
}

// ---- Floating point ----

enum TFloatFormat {
  ffGeneral,   // the shortest of fixed and scientific; trailing zeros dropped
  ffExponent,  // d.ddd…E+ddd
  ffFixed,     // ddd.dd
  ffNumber,    // d ddd.dd with thousand separators
  ffCurrency,  // by CurrencyString, CurrencyFormat and NegCurrFormat
};

// precision: significant digits (1..17); digits: least exponent digits for ffGeneral and
// ffExponent (0..4), decimals for the others (0..18). General writes fixed notation when
// the value has no more integer digits than the precision and is not below 0.00001.
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& settings = DefaultFormatSettings());
// General format, 15 digits.
std::string FloatToStr(double value, const TFormatSettings& settings = DefaultFormatSettings());
// Blanks around, a sign, digits with the settings' decimal separator, an exponent. Anything
// else raises EConvertError "'x' is not a valid floating point value".
double StrToFloat(std::string_view s, const TFormatSettings& settings = DefaultFormatSettings());
bool TryStrToFloat(std::string_view s, double& value, const TFormatSettings& settings = DefaultFormatSettings());
double StrToFloatDef(std::string_view s, double def, const TFormatSettings& settings = DefaultFormatSettings());

// value written by a pattern of '0' (a digit always written), '#' (a digit written when it
// is not a leading or trailing zero) and one '.' (the settings' decimal separator, written
// only before fraction digits): "0.##" writes 2.5 as "2,5", 3 as "3", 0.005 as "0,01".
// The value is rounded on its decimal digits, halves away from zero; no exponent is written
// (1E20 is 21 digits), and a value that rounds to zero has no sign. Any other character
// raises EConvertError "Invalid number format pattern 'x'".
std::string FormatFloat(std::string_view pattern, double value,
                        const TFormatSettings& settings = DefaultFormatSettings());
