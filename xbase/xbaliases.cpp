#include "xbase/xbaliases.h"

#include "classlib/core/files.h"
#include "classlib/core/stringlist.h"
#include "classlib/core/text.h"

namespace {

constexpr char kDefaultDirectory[] = "Default Directory";

bool IsDefaultDirectory(const String& Name) { return AnsiUpperCase(Name) == "DEFAULT DIRECTORY"; }

TStringList& AliasList() {
  static TStringList list;
  return list;
}

bool& AliasesLoaded() {
  static bool loaded = false;
  return loaded;
}

// The name part upper-cased; the folder keeps its case (file systems that tell case apart).
String AliasLine(const String& Line) {
  auto eq = Line.find('=');
  if (eq == String::npos) return AnsiUpperCase(Line);
  return AnsiUpperCase(Trim(Line.substr(0, eq))) + "=" + Trim(Line.substr(eq + 1));
}

}  // namespace

TStringList& XBaseAliases() {
  if (!AliasesLoaded()) LoadAliases();
  return AliasList();
}

void LoadAliases() {
  TStringList& list = AliasList();
  list.Clear();
  list.Add(kDefaultDirectory);
  for (const String& line : TSeam<TxbAliasSystem>::Get().AliasLines()) list.Add(AliasLine(line));
  AliasesLoaded() = true;
}

String AliasFolder(const String& DatabaseName) {
  String folder;
  if (IsDefaultDirectory(DatabaseName)) {
    folder = TSeam<TxbAliasSystem>::Get().ExecutableFolder();
  } else {
    TStringList& list = XBaseAliases();
    int i = list.IndexOfName(AnsiUpperCase(DatabaseName));
    folder = i >= 0 ? list.ValueFromIndex(i) : DatabaseName;
  }
  if (folder.empty()) return folder;
  char last = folder.back();
  return last == '\\' || last == '/' ? folder : folder + PathDelim;
}

String RegisterDatabaseName(const String& Value) {
  if (IsDefaultDirectory(Value)) return Value;
  String folder = Value;
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  String name = AnsiUpperCase(folder);
  TStringList& list = XBaseAliases();
  if (!name.empty() && list.IndexOfName(name) < 0) list.Add(name + "=" + folder);
  return name;
}
