// Edit masks: parsing, value and edit text, validation, typing and erasing over positions.
#include <gtest/gtest.h>

#include "classlib/core/editmask.h"
#include "classlib/core/unicode.h"

namespace {

const char* const kTime = "!90:00:00;1;_";

TEST(EditMask, ReadsItsFieldsAndShowsLiteralsAmongBlanks) {
  struct TCase {
    const char* Mask;
    int Length;
    bool Save;
    const char* Empty;
  } cases[] = {
      {kTime, 8, true, "__:__:__"},
      {"!90:00;1;_", 5, true, "__:__"},
      {"000-00;0;*", 6, false, "***-**"},
      {"\\(999\\);1;_", 5, true, "(___)"},  // escaped literals
      {"LL_00", 5, true, "__ __"},         // '_' is a literal space; default fields
      {"a\\;b", 3, true, "_;b"},           // an escaped ';' is no separator
  };
  for (const TCase& c : cases) {
    TEditMask mask(c.Mask);
    EXPECT_TRUE(mask.IsMasked()) << c.Mask;
    EXPECT_EQ(mask.Length(), c.Length) << c.Mask;
    EXPECT_EQ(mask.SaveLiterals(), c.Save) << c.Mask;
    EXPECT_EQ(Utf32ToUtf8(mask.EmptyEditText()), c.Empty) << c.Mask;
  }
  EXPECT_FALSE(TEditMask("").IsMasked());
  EXPECT_FALSE(TEditMask(";1;_").IsMasked());
}

TEST(EditMask, ValuesAndEditTextsConvertBothWays) {
  struct TCase {
    const char* Mask;
    const char* Text;
    const char* Edit;
    const char* Back;  // Text read back from the edit text
  } cases[] = {
      {kTime, "07:30:00", "07:30:00", "07:30:00"},
      {kTime, "06:00", "06:00:__", "06:00:  "},  // incomplete: blanks stay
      {kTime, " 7:05:09", "_7:05:09", " 7:05:09"},  // the blank stays where it stands
      {kTime, "", "__:__:__", "  :  :  "},
      {"!90:00;1;_", " 6:00", "_6:00", " 6:00"},
      {kTime, "0730", "07:30:__", "07:30:  "},     // missing literals are inserted
      {kTime, "1x2:34:56", "12:34:56", "12:34:56"},  // a character that fits nowhere is dropped
      {"000-00;0;_", "12345", "123-45", "12345"},
      {"000-00;0;_", "12", "12_-__", "12"},  // trailing blanks dropped without '!'
      {"!999;0;_", "5", "__5", "5"},         // right-aligned with '!'
      {">LL<ll;1;_", "abCD", "ABcd", "ABcd"},
      {">LL;1;_", "фы", "ФЫ", "ФЫ"},  // Cyrillic letters are letters
  };
  for (const TCase& c : cases) {
    TEditMask mask(c.Mask);
    EXPECT_EQ(mask.FormatText(c.Text), c.Edit) << c.Mask << " / " << c.Text;
    EXPECT_EQ(mask.TextOf(c.Edit), c.Back) << c.Mask << " / " << c.Edit;
    // A value read back and set again shows the same edit text (stored settings rely on it).
    EXPECT_EQ(mask.FormatText(c.Back), c.Edit) << c.Mask << " / " << c.Back;
  }
  EXPECT_EQ(TEditMask("").FormatText("anything"), "anything");
}

TEST(EditMask, AnIncompleteOrWrongTextIsInvalidAtItsFirstFault) {
  TEditMask mask(kTime);
  struct TCase {
    const char* Edit;
    int Invalid;
  } cases[] = {
      {"07:30:00", -1}, {"_7:30:00", -1},  // the first digit is optional
      {"07:3_:__", 4},  {"__:__:__", 1},   {"0_:30:00", 1}, {"07-30:00", 2},
      {"07:30", 5},     {"0a:30:00", 1},
  };
  for (const TCase& c : cases) EXPECT_EQ(mask.FirstInvalid(c.Edit), c.Invalid) << c.Edit;
}

// Typing and erasing at a caret (or over a selection), as the box does with its keys.
TEST(EditMask, TypingFillsBlanksAndErasingKeepsLiterals) {
  TEditMask mask(kTime);
  enum TOp { Type, Back, Del };
  struct TCase {
    const char* Before;
    int SelStart, SelLength;
    TOp Op;
    char32_t Ch;
    const char* After;
    int Caret;
    bool Accepted;
  } cases[] = {
      {"__:__:__", 0, 0, Type, U'0', "0_:__:__", 1, true},
      {"0_:__:__", 1, 0, Type, U'7', "07:__:__", 3, true},   // steps over the literal after it
      {"07:__:__", 2, 0, Type, U'3', "07:3_:__", 4, true},   // typed at a literal: the next blank
      {"07:__:__", 2, 0, Type, U':', "07:__:__", 3, true},   // typing the literal steps over it
      {"07:3_:__", 4, 0, Type, U'x', "07:3_:__", 4, false},  // no letter in a digit
      {"07:30:00", 8, 0, Type, U'1', "07:30:00", 8, false},  // the end: nothing to type over
      {"07:30:00", 0, 0, Type, U'1', "17:30:00", 1, true},   // overwrites
      {"07:30:00", 1, 4, Type, U'9', "09:__:00", 3, true},   // a selection is blanked first
      {"07:30:00", 3, 0, Back, 0, "0_:30:00", 1, true},      // backspace steps over the literal
      {"07:30:00", 0, 0, Back, 0, "07:30:00", 0, true},
      {"07:30:00", 2, 0, Del, 0, "07:_0:00", 2, true},       // delete at a literal: the next one
      {"07:30:00", 0, 8, Del, 0, "__:__:__", 0, true},
  };
  int line = 0;
  for (const TCase& c : cases) {
    ++line;
    std::u32string edit = Utf8ToUtf32(c.Before);
    int sel = c.SelStart;
    bool accepted = true;
    if (c.Op == Type) accepted = mask.Type(edit, sel, c.SelLength, c.Ch);
    else mask.Erase(edit, sel, c.SelLength, c.Op == Back);
    EXPECT_EQ(Utf32ToUtf8(edit), c.After) << "case " << line;
    EXPECT_EQ(sel, c.Caret) << "case " << line;
    EXPECT_EQ(accepted, c.Accepted) << "case " << line;
  }

  // Pasting types each character; what does not fit is skipped.
  std::u32string edit = mask.EmptyEditText();
  int sel = 0;
  mask.Paste(edit, sel, 0, U"12:3x4");
  EXPECT_EQ(Utf32ToUtf8(edit), "12:34:__");
  EXPECT_EQ(sel, 6);
}

}  // namespace
