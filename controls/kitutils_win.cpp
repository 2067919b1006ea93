#include "controls/kitutils.h"

#include "classlib/core/files.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

#include <lmcons.h>

namespace {
String FromSystem(UINT(WINAPI* Get)(LPWSTR, UINT)) {
  wchar_t buf[MAX_PATH + 1];
  UINT n = Get(buf, MAX_PATH + 1);
  return n && n <= MAX_PATH ? WideToUtf8(std::wstring(buf, n)) : String();
}
}  // namespace

String GetApplicationExeName() { return ParamStr(0); }
String GetApplicationDir() { return ExeFolder(); }
String GetWindowsDir() { return FromSystem(GetWindowsDirectoryW); }
String GetSystemDir() { return FromSystem(GetSystemDirectoryW); }

std::uint8_t GetColorDepth() {
  HDC dc = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
  if (!dc) return 0;
  int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  DeleteDC(dc);
  return static_cast<std::uint8_t>(bits);
}

std::uint16_t GetOSMinorVersion() {
  // RtlGetVersion tells the real version (GetVersionEx answers 6.2 to programs whose
  // manifest does not name the newer systems).
  using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  auto get = reinterpret_cast<TRtlGetVersion>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  if (get && get(&info) == 0) return static_cast<std::uint16_t>(info.dwMinorVersion);
  return 0;
}

bool GetUserName(String& Name) {
  wchar_t buf[UNLEN + 1];
  DWORD n = UNLEN + 1;
  if (!GetUserNameW(buf, &n) || n == 0) return false;
  Name = WideToUtf8(std::wstring(buf, n - 1));  // n counts the terminating NUL
  return true;
}
