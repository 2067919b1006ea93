#include <gtest/gtest.h>

#include "classlib/core/unicode.h"

namespace {

TEST(Unicode, RoundTripsCyrillicAndAstralCharacters) {
  const std::string text = "Хоравокс: 10 декабря \xF0\x9F\x95\x90";  // ends with U+1F550
  std::wstring wide = Utf8ToWide(text);
  EXPECT_EQ(wide.substr(0, 3), std::wstring({0x0425, 0x043E, 0x0440}));
  EXPECT_EQ(WideToUtf8(wide), text);
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
}

TEST(Unicode, InvalidSequencesBecomeReplacementCharacters) {
  struct Case { std::string in; std::u16string out; };
  const Case cases[] = {
      {"a\xFF" "b", u"a\uFFFD" "b"},   // a byte that starts nothing
      {"\xD0", u"\uFFFD"},             // truncated two-byte form
      {"\xC0\xAF", u"\uFFFD\uFFFD"},   // overlong '/'
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.in), c.out) << c.in;
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");  // lone surrogate
}

}  // namespace
