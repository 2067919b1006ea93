#include "gridcal/picklist.h"

#include "classlib/core/text.h"
#include "classlib/core/unicode.h"

bool PickValuesApply(const TStrings* PickList, const TStrings* PickValues) {
  return PickList && PickValues && PickValues->Count() == PickList->Count();
}

int PickListIndex(const TStrings* PickList, const TStrings* PickValues, const String& Value, bool IsNull) {
  if (IsNull || !PickList) return -1;
  return PickValuesApply(PickList, PickValues) ? PickValues->IndexOf(Value) : PickList->IndexOf(Value);
}

String PickListValue(const TStrings* PickList, const TStrings* PickValues, int Index) {
  if (!PickList || Index < 0 || Index >= PickList->Count()) return {};
  return PickValuesApply(PickList, PickValues) ? PickValues->Get(Index) : PickList->Get(Index);
}

bool TIncrementalSearch::Key(char32_t Ch, std::uint64_t NowMs) {
  if (Ch == 8 || Ch == 27) {
    Clear();
    return true;
  }
  if (Ch < 32 || Ch == 127 || (Ch >= 0xD800 && Ch <= 0xDFFF) || Ch > 0x10FFFF) return false;
  if (NowMs - FLast > ResetMs) Clear();
  FLast = NowMs;
  if (FChars >= MaxChars) return true;
  std::string one;
  AppendUtf8(one, Ch);
  FText += AnsiUpperCase(one);
  ++FChars;
  return true;
}

int TIncrementalSearch::Find(const TStrings& Items) const {
  if (FText.empty()) return -1;
  for (int i = 0; i < Items.Count(); ++i)
    if (AnsiUpperCase(Items.Get(i)).compare(0, FText.size(), FText) == 0) return i;
  return -1;
}
