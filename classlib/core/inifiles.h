#pragma once
// TIniFile: an ini file through the system's profile functions (Windows only). A name
// without a folder means a file in the Windows folder, as the system has it; the system
// may cache the file until UpdateFile.
#ifndef _WIN32
#error "inifiles.h is for the Windows build only"
#endif
#include <string>
#include <vector>

#include "classlib/core/exceptions.h"
#include "classlib/core/object.h"

class TStrings;

using String = std::string;  // UTF-8

HX_DECLARE_EXCEPTION(EIniFileException, Exception);

class TIniFile : public TObject {
  HX_CLASS(TIniFile, TObject)
 public:
  explicit TIniFile(const String& fileName) : FFileName(fileName) {}

  const String& GetFileName() const { return FFileName; }

  String ReadString(const String& section, const String& ident, const String& def);
  // Decimal or hex ("0x" or "$") text; anything else gives the default.
  int ReadInteger(const String& section, const String& ident, int def);
  bool ReadBool(const String& section, const String& ident, bool def);
  // Raise EIniFileException "Unable to write to <file>" when the file cannot be written.
  void WriteString(const String& section, const String& ident, const String& value);
  void WriteInteger(const String& section, const String& ident, int value);
  void WriteBool(const String& section, const String& ident, bool value);  // "1" or "0"

  void ReadSection(const String& section, std::vector<String>& idents);
  void ReadSections(std::vector<String>& sections);
  // The same into a string list, which is cleared first.
  void ReadSection(const String& section, TStrings* idents);
  void ReadSections(TStrings* sections);
  void ReadSectionValues(const String& section, TStrings* lines);
  // "name=value" for every entry of the section.
  void ReadSectionValues(const String& section, std::vector<String>& lines);
  void EraseSection(const String& section);
  void DeleteKey(const String& section, const String& ident);
  // Writes what the system holds in its cache to the file.
  void UpdateFile();

 private:
  void Write(const wchar_t* section, const wchar_t* ident, const wchar_t* value);

  String FFileName;
};
