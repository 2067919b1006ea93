#include "classlib/core/text.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <vector>

#include "classlib/core/unicode.h"

// ---- Integers ----

std::string IntToStr(std::int64_t value) { return std::to_string(value); }
std::string UIntToStr(std::uint64_t value) { return std::to_string(value); }

std::string IntToHex(std::uint64_t value, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s;
  do {
    s.insert(s.begin(), kHex[value & 15]);
    value >>= 4;
  } while (value);
  if (digits > 16) digits = 16;
  if (static_cast<int>(s.size()) < digits) s.insert(0, static_cast<size_t>(digits) - s.size(), '0');
  return s;
}

namespace {

// Reads an integer in [lo, hi]: leading blanks, a sign, decimal digits or "$"/"0x" and hex.
bool ParseInteger(std::string_view s, std::int64_t lo, std::int64_t hi, std::int64_t& out) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == s.size()) return false;
  std::uint64_t magnitude = 0;
  auto [end, ec] = std::from_chars(s.data() + i, s.data() + s.size(), magnitude, base);
  if (ec != std::errc() || end != s.data() + s.size()) return false;
  // Hex texts may spell a negative number in two's complement ("$FFFFFFFF" is -1).
  if (base == 16 && !negative) {
    if (hi == std::numeric_limits<std::int32_t>::max() && magnitude <= 0xFFFFFFFFull) {
      out = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
      return true;
    }
    if (hi == std::numeric_limits<std::int64_t>::max()) {
      out = static_cast<std::int64_t>(magnitude);
      return true;
    }
  }
  std::uint64_t limit = negative ? static_cast<std::uint64_t>(-(lo + 1)) + 1 : static_cast<std::uint64_t>(hi);
  if (magnitude > limit) return false;
  out = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  return true;
}

[[noreturn]] void InvalidInteger(std::string_view s) {
  throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

constexpr std::int64_t kIntMin = std::numeric_limits<int>::min();
constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();

}  // namespace

bool TryStrToInt(std::string_view s, int& value) {
  std::int64_t v;
  if (!ParseInteger(s, kIntMin, kIntMax, v)) return false;
  value = static_cast<int>(v);
  return true;
}

bool TryStrToInt64(std::string_view s, std::int64_t& value) { return ParseInteger(s, kInt64Min, kInt64Max, value); }

int StrToInt(std::string_view s) {
  int v;
  if (!TryStrToInt(s, v)) InvalidInteger(s);
  return v;
}

std::int64_t StrToInt64(std::string_view s) {
  std::int64_t v;
  if (!TryStrToInt64(s, v)) InvalidInteger(s);
  return v;
}

int StrToIntDef(std::string_view s, int def) {
  int v;
  return TryStrToInt(s, v) ? v : def;
}

std::int64_t StrToInt64Def(std::string_view s, std::int64_t def) {
  std::int64_t v;
  return TryStrToInt64(s, v) ? v : def;
}

std::string BoolToStr(bool b, bool useBoolStrs) {
  if (useBoolStrs) return b ? "True" : "False";
  return b ? "-1" : "0";
}

// ---- Trimming and case ----

std::string Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

std::string TrimLeft(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
  return std::string(s.substr(0, n));
}

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

std::string LowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}

namespace {

// Case pairs of the letters we know. Every pair has the same UTF-8 length, so case mapping
// keeps byte offsets (StringReplace relies on that).
char32_t ToUpperChar(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;   // Latin-1 à..þ
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;              // а..я
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;              // ѐ..џ, ё among them
  if (c == 0x491) return 0x490;                                // ґ
  return c;
}

char32_t ToLowerChar(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c == 0x490) return 0x491;
  return c;
}

template <class Map>
std::string MapChars(std::string_view s, Map map) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    size_t start = i;
    bool valid;
    char32_t c = NextUtf8Char(s, i, valid);
    if (valid) AppendUtf8(out, map(c));
    else out.append(s.substr(start, i - start));  // bytes that are no UTF-8 stay as they are
  }
  return out;
}

// One character's place in the alphabet, case aside: its lower-case code point, except
// that ё sorts right after е. Bytes that are no UTF-8 come after every character.
struct CollationChar {
  std::uint32_t weight;
  bool upper;
};

std::vector<CollationChar> CollationKey(std::string_view s) {
  std::vector<CollationChar> key;
  key.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    bool valid;
    char32_t c = NextUtf8Char(s, i, valid);
    if (!valid) {
      key.push_back({(0x110000u + c) * 2, false});
      continue;
    }
    char32_t lower = ToLowerChar(c);
    std::uint32_t w = lower == 0x451 ? 0x435 * 2 + 1 : lower * 2;
    key.push_back({w, lower != c});
  }
  return key;
}

int Sign(long long v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

}  // namespace

std::string AnsiUpperCase(std::string_view s) { return MapChars(s, ToUpperChar); }
std::string AnsiLowerCase(std::string_view s) { return MapChars(s, ToLowerChar); }

// ---- Comparing ----

int CompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
    if (ca >= 'a' && ca <= 'z') ca -= 32;
    if (cb >= 'a' && cb <= 'z') cb -= 32;
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return Sign(static_cast<long long>(a.size()) - static_cast<long long>(b.size()));
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

int AnsiCompareText(std::string_view a, std::string_view b) {
  auto ka = CollationKey(a), kb = CollationKey(b);
  size_t n = std::min(ka.size(), kb.size());
  for (size_t i = 0; i < n; ++i)
    if (ka[i].weight != kb[i].weight) return ka[i].weight < kb[i].weight ? -1 : 1;
  return Sign(static_cast<long long>(ka.size()) - static_cast<long long>(kb.size()));
}

int AnsiCompareStr(std::string_view a, std::string_view b) {
  if (int r = AnsiCompareText(a, b)) return r;
  // The same letters: the first difference in case decides, lower case first.
  auto ka = CollationKey(a), kb = CollationKey(b);
  for (size_t i = 0; i < ka.size(); ++i)
    if (ka[i].upper != kb[i].upper) return ka[i].upper ? 1 : -1;
  return 0;
}

bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) == 0; }

// ---- Searching, replacing, quoting ----

int Pos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  size_t p = s.find(sub);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          TReplaceFlags flags) {
  if (oldPattern.empty()) return std::string(s);
  bool ignoreCase = flags & rfIgnoreCase;
  // Case mapping keeps byte lengths, so positions found in the folded copies hold in `s`.
  std::string foldedText = ignoreCase ? AnsiUpperCase(s) : std::string();
  std::string foldedPattern = ignoreCase ? AnsiUpperCase(oldPattern) : std::string();
  std::string_view text = ignoreCase ? std::string_view(foldedText) : s;
  std::string_view pattern = ignoreCase ? std::string_view(foldedPattern) : oldPattern;
  std::string out;
  size_t from = 0;
  while (true) {
    size_t p = text.find(pattern, from);
    if (p == std::string_view::npos) break;
    out.append(s.substr(from, p - from));
    out.append(newPattern);
    from = p + pattern.size();
    if (!(flags & rfReplaceAll)) break;
  }
  out.append(s.substr(from));
  return out;
}

std::string QuotedStr(std::string_view s) { return AnsiQuotedStr(s, '\''); }

std::string AnsiQuotedStr(std::string_view s, char quote) {
  std::string out(1, quote);
  for (char c : s) {
    out.push_back(c);
    if (c == quote) out.push_back(c);
  }
  out.push_back(quote);
  return out;
}

std::string AnsiDequotedStr(std::string_view s, char quote) {
  if (s.empty() || s[0] != quote) return std::string(s);
  std::string out;
  for (size_t i = 1; i < s.size(); ++i) {
    if (s[i] != quote) {
      out.push_back(s[i]);
    } else if (i + 1 < s.size() && s[i + 1] == quote) {
      out.push_back(quote);
      ++i;
    } else {
      return out;  // the closing quote; what follows it is not part of the text
    }
  }
  return std::string(s);
}
