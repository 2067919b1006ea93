#pragma once
// The engine's one number formatter and reader. Numbers in tables, keys and expressions are
// written and read with "." whatever the locale, and alike in every build: a value is first
// taken to 15 significant digits, then rounded to the decimals wanted, halves away from zero
// (2.5 -> "3", 0.125 -> "0.13", 2.675 -> "2.68").
#include <string>
#include <string_view>

// Fixed notation with `decimals` decimals (0: no point).
std::string FormatNumber(double value, int decimals);
// The same, right-aligned in `width` characters; a longer text comes back whole (callers
// that must fit a field check its length).
std::string FormatNumberWidth(double value, int width, int decimals);
// As many decimals as the value needs (at most 15 significant digits); exponent form
// ("1.5E20", "1E-7") for very large and very small values.
std::string FloatText(double value);
// Blanks around, an optional sign, digits with an optional "." and exponent. False for any
// other text (an empty one too).
bool TryParseNumber(std::string_view text, double& value);
// The usual field text alone, "digits[.digits]" of at most 15 digits, no sign or blanks;
// false for anything else (TryParseNumber reads that).
bool ParseFieldDecimal(std::string_view text, double& value);
// ParseFieldDecimal of a field's bytes with the blanks around them, in one pass; false for
// anything else (a sign, an exponent, no digits), which the caller reads the long way.
bool ParsePaddedDecimal(std::string_view field, double& value);
