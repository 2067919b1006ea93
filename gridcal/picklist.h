#pragma once
// The rules of a grid column's pick list (its texts, PickList, and the values stored for
// them line by line, PickValues) and the incremental search of an open list. Portable.
//
// PickValues count only when they have as many lines as PickList; then the field keeps a
// value and shows its text. Otherwise the field keeps the text itself.
#include <cstdint>

#include "classlib/core/stringlist.h"

// Whether the values stand for the texts (as many lines; nullptr: no values).
bool PickValuesApply(const TStrings* PickList, const TStrings* PickValues);

// The line of the list that shows a field's stored Value: its place in PickValues when they
// apply, else in PickList (without regard to case); -1 when it is in neither, or for a
// null field (IsNull).
int PickListIndex(const TStrings* PickList, const TStrings* PickValues, const String& Value, bool IsNull);

// What the field stores for the line at Index: the PickValues line when they apply, else
// the PickList line.
String PickListValue(const TStrings* PickList, const TStrings* PickValues, int Index);

// The search of an open list by typing the first letters of an item. Characters typed
// within ResetMs of the previous one extend the text (up to MaxChars characters); a later
// one starts a new search. Backspace and Escape clear it. Letters compare without regard to
// case, Cyrillic included.
class TIncrementalSearch {
 public:
  static constexpr std::uint64_t ResetMs = 5000;
  static constexpr std::size_t MaxChars = 32;

  // Takes a typed character at NowMs (a millisecond tick count): true when it was a search
  // key (printable, Backspace or Escape), which the list consumes.
  bool Key(char32_t Ch, std::uint64_t NowMs);
  void Clear() {
    FText.clear();
    FChars = 0;
  }
  // The text searched for, in upper case (UTF-8).
  const String& Text() const { return FText; }
  // The first item that begins with the text; -1 when none does or the text is empty.
  int Find(const TStrings& Items) const;

 private:
  String FText;
  std::size_t FChars = 0;
  std::uint64_t FLast = 0;
};
