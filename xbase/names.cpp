#include "xbase/names.h"

#include <algorithm>

namespace xbase {

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }
std::size_t NameStart(std::string_view name) {
  std::size_t i = name.size();
  while (i > 0 && !IsSeparator(name[i - 1])) --i;
  return i;
}
char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

std::string DefaultExtension(std::string_view name, std::string_view ext) {
  std::size_t start = NameStart(name);
  if (name.find('.', start) != std::string_view::npos) return std::string(name);
  std::string result(name);
  if (!ext.empty() && ext.front() != '.') result += '.';
  return result + std::string(ext);
}

std::string BaseFileName(std::string_view name) {
  std::string_view base = name.substr(NameStart(name));
  auto dot = base.rfind('.');
  if (dot != std::string_view::npos) base = base.substr(0, dot);
  return std::string(base);
}

void PadText(std::string& text, char ch, std::size_t n) {
  if (text.size() < n) text.append(n - text.size(), ch);
}

void TrimText(std::string& text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
}

void UpperText(char* buffer, std::size_t n, TxbCodePage codePage) {
  TranslateBytes(buffer, n, UpperCaseTable(codePage));
}

int CompareText(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int CompareTextNoCase(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(FoldAscii(a[i])), y = static_cast<unsigned char>(FoldAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace xbase
