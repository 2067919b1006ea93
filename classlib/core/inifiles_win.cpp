#include "classlib/core/inifiles.h"
#include "classlib/core/stringlist.h"

#include "classlib/core/text.h"
#include "classlib/core/typinfo.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

HX_PUBLISH(TIniFile, p) {}

namespace {

std::wstring W(const String& s) { return Utf8ToWide(s); }

// GetPrivateProfileStringW into a buffer that grows until the text fits; the profile
// functions signal a cut-off text by filling the buffer to its last one or two places.
std::wstring ReadProfile(const wchar_t* section, const wchar_t* ident, const wchar_t* def, const std::wstring& file) {
  std::wstring buf(1024, L'\0');
  while (true) {
    DWORD n = GetPrivateProfileStringW(section, ident, def, buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
    if (n + 2 < buf.size()) return buf.substr(0, n);
    buf.assign(buf.size() * 2, L'\0');
  }
}

// A list of NUL-terminated names, as the profile functions return them.
void SplitNames(const std::wstring& list, std::vector<String>& names) {
  names.clear();
  for (size_t start = 0; start < list.size();) {
    size_t end = list.find(L'\0', start);
    if (end == std::wstring::npos) end = list.size();
    if (end > start) names.push_back(WideToUtf8(list.substr(start, end - start)));
    start = end + 1;
  }
}

}  // namespace

String TIniFile::ReadString(const String& section, const String& ident, const String& def) {
  return WideToUtf8(ReadProfile(W(section).c_str(), W(ident).c_str(), W(def).c_str(), W(FFileName)));
}

int TIniFile::ReadInteger(const String& section, const String& ident, int def) {
  return StrToIntDef(Trim(ReadString(section, ident, "")), def);
}

bool TIniFile::ReadBool(const String& section, const String& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TIniFile::Write(const wchar_t* section, const wchar_t* ident, const wchar_t* value) {
  if (!WritePrivateProfileStringW(section, ident, value, W(FFileName).c_str()))
    throw EIniFileException("Unable to write to " + FFileName);
}

void TIniFile::WriteString(const String& section, const String& ident, const String& value) {
  Write(W(section).c_str(), W(ident).c_str(), W(value).c_str());
}

void TIniFile::WriteInteger(const String& section, const String& ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

void TIniFile::WriteBool(const String& section, const String& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::ReadSection(const String& section, std::vector<String>& idents) {
  SplitNames(ReadProfile(W(section).c_str(), nullptr, L"", W(FFileName)), idents);
}

void TIniFile::ReadSections(std::vector<String>& sections) {
  SplitNames(ReadProfile(nullptr, nullptr, L"", W(FFileName)), sections);
}

void TIniFile::ReadSection(const String& section, TStrings* idents) {
  std::vector<String> v;
  ReadSection(section, v);
  AssignStrings(idents, v);
}

void TIniFile::ReadSections(TStrings* sections) {
  std::vector<String> v;
  ReadSections(v);
  AssignStrings(sections, v);
}

void TIniFile::ReadSectionValues(const String& section, TStrings* lines) {
  std::vector<String> v;
  ReadSectionValues(section, v);
  AssignStrings(lines, v);
}

void TIniFile::ReadSectionValues(const String& section, std::vector<String>& lines) {
  std::vector<String> idents;
  ReadSection(section, idents);
  lines.clear();
  for (const String& ident : idents) lines.push_back(ident + "=" + ReadString(section, ident, ""));
}

void TIniFile::EraseSection(const String& section) { Write(W(section).c_str(), nullptr, nullptr); }

void TIniFile::DeleteKey(const String& section, const String& ident) {
  WritePrivateProfileStringW(W(section).c_str(), W(ident).c_str(), nullptr, W(FFileName).c_str());
}

void TIniFile::UpdateFile() { WritePrivateProfileStringW(nullptr, nullptr, nullptr, W(FFileName).c_str()); }
