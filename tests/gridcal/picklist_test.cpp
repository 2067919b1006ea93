// A grid column's pick list: which line shows a stored value, what a line stores, what a
// typed text stores, and the incremental search of an open list (on given tick counts).
#include "gridcal/picklist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/core/unicode.h"

namespace {

std::unique_ptr<TStringList> Lines(std::initializer_list<const char*> Items) {
  auto list = std::make_unique<TStringList>();
  for (const char* item : Items) list->Add(item);
  return list;
}

TEST(PickList, TheLineOfAStoredValue) {
  auto texts = Lines({"Red", "Green", "Blue"});
  auto codes = Lines({"R", "G", "B"});
  auto shortCodes = Lines({"R", "G"});  // not one per line: the texts are stored
  struct Case {
    const TStrings* Values;
    const char* Stored;
    bool Null;
    int Index;
  } cases[] = {
      {codes.get(), "G", false, 1},        {codes.get(), "g", false, 1},   // without regard to case
      {codes.get(), "Green", false, -1},   {codes.get(), "B", true, -1},   // a null field: none
      {shortCodes.get(), "Blue", false, 2}, {shortCodes.get(), "G", false, -1},
      {nullptr, "Red", false, 0},          {nullptr, "Purple", false, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PickListIndex(texts.get(), c.Values, c.Stored, c.Null), c.Index) << c.Stored;
  EXPECT_EQ(PickListValue(texts.get(), codes.get(), 2), "B");
  EXPECT_EQ(PickListValue(texts.get(), shortCodes.get(), 2), "Blue");
  EXPECT_EQ(PickListValue(texts.get(), codes.get(), 3), "");
}

class IncrementalSearch : public ::testing::Test {
 protected:
  // Types the UTF-8 text at Now, one character each millisecond.
  void Type(const std::string& Text) {
    for (char32_t c : Utf8ToUtf32(Text)) EXPECT_TRUE(search.Key(c, now++));
  }
  int Found() { return search.Find(*items); }

  std::unique_ptr<TStringList> items = Lines({"Apple", "abacus", "Abc", "Ёлка", "ель", "Ель зелёная", "Яблоко"});
  TIncrementalSearch search;
  std::uint64_t now = 100000;
};

TEST_F(IncrementalSearch, TheFirstLettersFindTheFirstItemWithoutRegardToCase) {
  Type("ab");
  EXPECT_EQ(search.Text(), "AB");
  EXPECT_EQ(Found(), 1);  // "abacus" before "Abc"
  Type("C");
  EXPECT_EQ(Found(), 2);
  now += 5001;  // a pause: a new search
  Type("ЕЛЬ");
  EXPECT_EQ(Found(), 4);
  Type(" з");
  EXPECT_EQ(Found(), 5);
  now += 5001;
  Type("я");
  EXPECT_EQ(Found(), 6);
  now += 5001;
  Type("ё");
  EXPECT_EQ(Found(), 3);
}

TEST_F(IncrementalSearch, WithinFiveSecondsTheTextGrows) {
  Type("a");  // at now - 1
  now += 4999;  // 5000 ms after the "a": still one search
  Type("b");
  EXPECT_EQ(search.Text(), "AB");
}

TEST_F(IncrementalSearch, BackspaceAndEscapeClearControlKeysAreNoSearch) {
  Type("ab");
  EXPECT_TRUE(search.Key(8, now));
  EXPECT_EQ(search.Text(), "");
  EXPECT_EQ(Found(), -1);
  Type("x");
  EXPECT_TRUE(search.Key(27, now));
  EXPECT_EQ(search.Text(), "");
  EXPECT_FALSE(search.Key('\r', now));
  EXPECT_FALSE(search.Key('\t', now));
  EXPECT_FALSE(search.Key(127, now));
}

TEST_F(IncrementalSearch, KeepsAtMostThirtyTwoCharacters) {
  Type(std::string(40, 'z'));
  EXPECT_EQ(search.Text(), std::string(TIncrementalSearch::MaxChars, 'Z'));
  Type("ж");  // consumed, not added
  EXPECT_EQ(search.Text().size(), TIncrementalSearch::MaxChars);
}

}  // namespace
