#include "classlib/core/winapi.h"

#include "classlib/core/unicode.h"

std::string SysErrorMessage(DWORD code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring w = n && text ? std::wstring(text, n) : L"System error " + std::to_wstring(code);
  if (text) LocalFree(text);
  while (!w.empty() && (w.back() == L'\r' || w.back() == L'\n' || w.back() == L' ')) w.pop_back();
  return WideToUtf8(w);
}
