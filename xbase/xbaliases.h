#pragma once
// Where datasets find their tables: alias names of folders, read from the section "Alias" of
// "xbase.cfg" in the Windows folder, and the running program's own folder ("Default
// Directory"). The system sits behind TxbAliasSystem; tests install their own with
// TSeamScope<TxbAliasSystem> and call LoadAliases.
#include <string>
#include <vector>

#include "classlib/core/seam.h"

class TStringList;

using String = std::string;  // UTF-8

class TxbAliasSystem {
 public:
  virtual ~TxbAliasSystem() = default;
  // The running program's folder, with its trailing separator.
  virtual String ExecutableFolder() = 0;
  // "NAME=FOLDER" for every entry of the configuration file's section "Alias" (none when
  // there is no such file).
  virtual std::vector<String> AliasLines() = 0;
  static TxbAliasSystem& System();
};

// A fixed folder and alias lines, for tests.
class TFixedAliases : public TxbAliasSystem {
 public:
  TFixedAliases(String Folder, std::vector<String> Lines) : FFolder(std::move(Folder)), FLines(std::move(Lines)) {}
  String ExecutableFolder() override { return FFolder; }
  std::vector<String> AliasLines() override { return FLines; }

 private:
  String FFolder;
  std::vector<String> FLines;
};

// The process-wide alias list: line 0 "Default Directory", then NAME=FOLDER lines (names
// upper-cased). Loaded from the installed system at first use.
TStringList& XBaseAliases();
// Reads the alias lines again from the installed system (the lines added since are dropped).
void LoadAliases();
// The folder a dataset's DatabaseName stands for, with a trailing separator; "" for "".
String AliasFolder(const String& DatabaseName);
// Records a folder given as DatabaseName as its own alias; returns the name to keep.
String RegisterDatabaseName(const String& Value);
