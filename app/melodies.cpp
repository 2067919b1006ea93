#include "app/melodies.h"

#include <algorithm>

#include "classlib/core/files.h"

std::vector<String> FindMelodies(const String& ProgramFolder) {
  std::vector<String> names;
  TSearchRec rec;
  String pattern = IncludeTrailingPathDelimiter(ProgramFolder) + "Ring" + PathDelim + "*.wav";
  for (int rc = FindFirst(pattern, faAnyFile, rec); rc == 0; rc = FindNext(rec))
    if (!(rec.Attr & faDirectory)) names.push_back(rec.Name);
  FindClose(rec);
  std::sort(names.begin(), names.end(), [](const String& a, const String& b) {
    int byText = AnsiCompareText(a, b);
    return byText != 0 ? byText < 0 : AnsiCompareStr(a, b) < 0;
  });
  return names;
}
