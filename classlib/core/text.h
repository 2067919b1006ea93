#pragma once
// Text routines of the class library: integers to and from text, trimming, case, comparing,
// searching and replacing, quoting. Texts are UTF-8. The plain routines (UpperCase,
// CompareText) touch ASCII letters only; the Ansi ones also know Cyrillic (ё included) and
// Latin-1 letters, from our own tables, whatever the system's locale.
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "classlib/core/exceptions.h"

using String = std::string;  // UTF-8

// ---- Integers ----

std::string IntToStr(std::int64_t value);
std::string UIntToStr(std::uint64_t value);
template <std::unsigned_integral T>
  requires(!std::same_as<T, bool>)
std::string IntToStr(T value) {
  return UIntToStr(value);
}
// Upper-case hex with at least `digits` digits; a negative value shows its two's complement
// in the width of its type (IntToHex(-1, 2) == "FFFFFFFF" for an int).
std::string IntToHex(std::uint64_t value, int digits);
template <std::signed_integral T>
std::string IntToHex(T value, int digits) {
  return IntToHex(static_cast<std::uint64_t>(static_cast<std::make_unsigned_t<T>>(value)), digits);
}

// Decimal, or hex after "$" or "0x"; an optional sign; leading blanks. Anything else, or a
// value out of range, raises EConvertError "'x' is not a valid integer value".
int StrToInt(std::string_view s);
std::int64_t StrToInt64(std::string_view s);
int StrToIntDef(std::string_view s, int def);
std::int64_t StrToInt64Def(std::string_view s, std::int64_t def);
bool TryStrToInt(std::string_view s, int& value);
bool TryStrToInt64(std::string_view s, std::int64_t& value);

// "-1" / "0", or "True" / "False" with useBoolStrs.
std::string BoolToStr(bool b, bool useBoolStrs = false);

// ---- Trimming and case ----

// Remove blanks and control characters (bytes up to ' ') from the ends.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

std::string UpperCase(std::string_view s);  // ASCII letters only
std::string LowerCase(std::string_view s);
std::string AnsiUpperCase(std::string_view s);  // also Cyrillic and Latin-1 letters
std::string AnsiLowerCase(std::string_view s);

// ---- Comparing: < 0, 0, > 0 ----

// ASCII letters without regard to case; other bytes by value.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// In alphabetical order: Cyrillic as the Russian alphabet (е < ё < ж), Latin before
// Cyrillic. AnsiCompareStr tells case apart, a lower-case letter before its capital.
int AnsiCompareText(std::string_view a, std::string_view b);
int AnsiCompareStr(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);

// ---- Searching, replacing, quoting ----

// The 1-based byte position of the first `sub` in `s`; 0 when absent or `sub` is empty.
int Pos(std::string_view sub, std::string_view s);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
// Replaces the first (or with rfReplaceAll every) `oldPattern`; rfIgnoreCase compares as
// AnsiSameText does. An empty pattern replaces nothing.
std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          TReplaceFlags flags = 0);

// 'text' with every quote inside doubled.
std::string QuotedStr(std::string_view s);
std::string AnsiQuotedStr(std::string_view s, char quote);
// The reverse: the text between the quotes, doubled quotes made single. A text that does
// not start with the quote, or whose closing quote is missing, comes back unchanged.
std::string AnsiDequotedStr(std::string_view s, char quote);
