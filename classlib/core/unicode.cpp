#include "classlib/core/unicode.h"

char32_t NextUtf8Char(std::string_view s, size_t& pos, bool& valid) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  size_t n = s.size();
  unsigned c = p[pos];
  unsigned cp;
  size_t len;
  if (c < 0x80) { cp = c; len = 1; }
  else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
  else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
  else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
  else { valid = false; ++pos; return c; }
  bool ok = pos + len <= n;
  for (size_t k = 1; ok && k < len; ++k) {
    if ((p[pos + k] & 0xC0) != 0x80) ok = false;
    else cp = (cp << 6) | (p[pos + k] & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  static const unsigned kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (!ok || cp < kMin[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    valid = false;
    ++pos;
    return c;
  }
  valid = true;
  pos += len;
  return cp;
}

void AppendUtf8(std::string& out, char32_t c) {
  unsigned cp = c;
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

namespace {

template <class Char>
std::basic_string<Char> ToUtf16(const std::string& s) {
  std::basic_string<Char> out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    bool valid;
    unsigned cp = NextUtf8Char(s, i, valid);
    if (!valid) cp = 0xFFFD;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<Char>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<Char>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<Char>(cp));
    }
  }
  return out;
}

template <class Char>
std::string FromUtf16(const std::basic_string<Char>& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned cp = static_cast<unsigned>(s[i]) & 0xFFFF;
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() &&
        (static_cast<unsigned>(s[i + 1]) & 0xFC00) == 0xDC00) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + ((static_cast<unsigned>(s[i + 1]) & 0xFFFF) - 0xDC00);
      ++i;
    }
    AppendUtf8(out, cp);  // a lone surrogate becomes U+FFFD
  }
  return out;
}

}  // namespace

std::wstring Utf8ToWide(const std::string& s) { return ToUtf16<wchar_t>(s); }
std::string WideToUtf8(const std::wstring& s) { return FromUtf16(s); }
std::u16string Utf8ToUtf16(const std::string& s) { return ToUtf16<char16_t>(s); }
std::string Utf16ToUtf8(const std::u16string& s) { return FromUtf16(s); }

std::u32string Utf8ToUtf32(std::string_view s) {
  std::u32string out;
  size_t pos = 0;
  bool valid = true;
  while (pos < s.size()) {
    char32_t c = NextUtf8Char(s, pos, valid);
    out.push_back(valid ? c : U'\uFFFD');
  }
  return out;
}

std::string Utf32ToUtf8(const std::u32string& s) {
  std::string out;
  for (char32_t c : s) AppendUtf8(out, c);
  return out;
}

std::string_view Utf8Truncate(std::string_view s, size_t maxBytes) {
  if (s.size() <= maxBytes) return s;
  size_t end = 0;
  size_t pos = 0;
  while (pos < s.size()) {
    bool valid;
    NextUtf8Char(s, pos, valid);
    if (pos > maxBytes) break;
    end = pos;
  }
  return s.substr(0, end);
}
