#include "xbase/casetables.h"

#include "classlib/core/codepage.h"
#include "classlib/core/text.h"

namespace {

// Built once from the class library's conversions: a byte's character, its other case, and
// back to a byte of the same code page (bytes with no single-byte counterpart stay).
TxbByteTable BuildTable(TxbCodePage codePage, bool upper) {
  TxbByteTable table{};
  for (int b = 0; b < 256; ++b) {
    table[b] = static_cast<std::uint8_t>(b);
    std::string byte(1, static_cast<char>(b));
    std::string utf8 = codePage == TxbCodePage::cp1251 ? Cp1251ToUtf8(byte) : Cp866ToUtf8(byte);
    std::string mapped = upper ? AnsiUpperCase(utf8) : AnsiLowerCase(utf8);
    if (mapped == utf8) continue;
    std::string back = codePage == TxbCodePage::cp1251 ? Utf8ToCp1251(mapped) : Utf8ToCp866(mapped);
    if (back.size() == 1 && back != "?") table[b] = static_cast<std::uint8_t>(back[0]);
  }
  return table;
}

}  // namespace

const TxbByteTable& UpperCaseTable(TxbCodePage codePage) {
  static const TxbByteTable upper1251 = BuildTable(TxbCodePage::cp1251, true);
  static const TxbByteTable upper866 = BuildTable(TxbCodePage::cp866, true);
  return codePage == TxbCodePage::cp1251 ? upper1251 : upper866;
}

const TxbByteTable& LowerCaseTable(TxbCodePage codePage) {
  static const TxbByteTable lower1251 = BuildTable(TxbCodePage::cp1251, false);
  static const TxbByteTable lower866 = BuildTable(TxbCodePage::cp866, false);
  return codePage == TxbCodePage::cp1251 ? lower1251 : lower866;
}

void TranslateBytes(char* buffer, std::size_t n, const TxbByteTable& table) {
  for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<char>(table[static_cast<std::uint8_t>(buffer[i])]);
}

std::string UpperCaseBytes(std::string text, TxbCodePage codePage) {
  TranslateBytes(text.data(), text.size(), UpperCaseTable(codePage));
  return text;
}
