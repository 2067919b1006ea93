#include <gtest/gtest.h>

#include <string>

#include "classlib/core/codepage.h"
#include "classlib/core/text.h"

namespace {

const std::string kAlphabet = "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя";

std::string AllBytes() {
  std::string s;
  for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
  return s;
}

TEST(CodePage1251, HoldsTheRussianAlphabetWhereWindowsPutsIt) {
  std::string bytes = Utf8ToCp1251(kAlphabet);
  ASSERT_EQ(bytes.size(), 66u);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xC0);   // А
  EXPECT_EQ(static_cast<unsigned char>(bytes[6]), 0xA8);   // Ё
  EXPECT_EQ(static_cast<unsigned char>(bytes[39]), 0xB8);  // ё
  EXPECT_EQ(static_cast<unsigned char>(bytes[65]), 0xFF);  // я
  EXPECT_EQ(Cp1251ToUtf8(bytes), kAlphabet);
  EXPECT_EQ(Cp1251ToUtf8("\x88\x96\xB9"), "€–№");
}

TEST(CodePage1251, EveryByteSurvivesARoundTrip) {
  EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(AllBytes())), AllBytes());
  EXPECT_EQ(Utf8ToCp866(Cp866ToUtf8(AllBytes())), AllBytes());
}

TEST(CodePages, CharactersThePageLacksBecomeQuestionMarks) {
  struct Case {
    std::string utf8, cp1251;
    bool fits;
  };
  const Case cases[] = {
      {"Время 10:00", Utf8ToCp1251("Время 10:00"), true},
      {"日本", "??", false},
      {"a\xF0\x9F\x95\x90z", "a?z", false},  // an astral character is one '?'
      {"x\xFFy", "x?y", false},              // a byte that is no UTF-8
      {"Ω", "?", false},
      {std::string("a\0b", 3), std::string("a\0b", 3), true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToCp1251(c.utf8), c.cp1251) << c.utf8;
    EXPECT_EQ(FitsCp1251(c.utf8), c.fits) << c.utf8;
  }
  EXPECT_EQ(Utf8ToCp866("€ ═"), "? \xCD");
}

TEST(CodePage866, HoldsTheAlphabetAndConvertsToAndFromAnsi) {
  std::string oem = Utf8ToCp866(kAlphabet);
  ASSERT_EQ(oem.size(), 66u);
  EXPECT_EQ(static_cast<unsigned char>(oem[0]), 0x80);   // А
  EXPECT_EQ(static_cast<unsigned char>(oem[6]), 0xF0);   // Ё
  EXPECT_EQ(static_cast<unsigned char>(oem[33]), 0xA0);  // а
  EXPECT_EQ(static_cast<unsigned char>(oem[50]), 0xE0);  // р
  EXPECT_EQ(Cp866ToUtf8(oem), kAlphabet);

  std::string ansi = Utf8ToCp1251(kAlphabet + " 123");
  EXPECT_EQ(Cp1251ToCp866(ansi), Utf8ToCp866(kAlphabet + " 123"));
  EXPECT_EQ(Cp866ToCp1251(Cp1251ToCp866(ansi)), ansi);
  // Box drawing has no place in 1251; "€" none in 866. Lengths never change.
  EXPECT_EQ(Cp866ToCp1251("\xC9\xCD\xBB"), "???");
  EXPECT_EQ(Cp1251ToCp866("\x88"), "?");
}

}  // namespace
