#include "app/aboutlabels.h"

#include <cstdio>
#include <cwchar>
#include <vector>

#include "classlib/files.h"
#include "classlib/unicode.h"
#include "classlib/winapi.h"

#include <shellapi.h>

String FileVersionInfo(const String& FileName, const String& Key) {
  std::wstring file = Utf8ToWide(FileName);
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
  if (size == 0) return "< No Data Available >";
  std::vector<std::uint8_t> block(size + 1);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return "< Error retrieving version info >";

  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4)
    return "< Error retrieving translation info >";
  const auto* words = static_cast<const WORD*>(value);
  wchar_t langCharset[9];
  std::swprintf(langCharset, 9, L"%04X%04X", words[0], words[1]);

  std::wstring path = std::wstring(L"\\StringFileInfo\\") + langCharset + L"\\" + Utf8ToWide(Key);
  if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value)
    return "< Error retrieving version info >";
  // The length counts characters, with or without the closing NUL depending on who wrote
  // the resource: take the text up to its NUL, never beyond the length.
  const auto* text = static_cast<const wchar_t*>(value);
  std::wstring result(text, wcsnlen(text, length));
  if (result.size() < 2) return "< No Version Info >";
  return WideToUtf8(result);
}

String ProgramVersionText() { return "Версия: " + FileVersionInfo(ParamStr(0), "FileVersion"); }

bool OpenLink(const String& Target) {
  HINSTANCE result = ShellExecuteW(nullptr, L"open", Utf8ToWide(Target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}
