#include "app/systemparts.h"

#include "classlib/exceptions.h"
#include "classlib/unicode.h"
#include "classlib/winapi.h"

#include <shellapi.h>

void TSystemTone::Tone(unsigned Frequency, unsigned Duration) {
  // The tone generator takes 37 to 32767 Hz.
  if (Frequency < 37 || Frequency > 32767) return;
  ::Beep(Frequency, Duration);
}

void TShellProgramStarter::Start(const String& Program, const String& Parameters, TProgramShow Show) {
  static const int kShow[] = {SW_SHOWNORMAL, SW_SHOWMAXIMIZED, SW_SHOWMINIMIZED, SW_HIDE};
  std::wstring file = Utf8ToWide(Program), parameters = Utf8ToWide(Parameters);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = kShow[static_cast<int>(Show)];
  if (!ShellExecuteExW(&info)) {
    DWORD error = GetLastError();
    throw EOSError("Не удалось запустить программу \"" + Program + "\": " + SysErrorMessage(error), error);
  }
  if (info.hProcess) CloseHandle(info.hProcess);
}

void TExitWindowsShutdown::ShutDown() {
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
  }
  if (!ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF, SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_FLAG_PLANNED)) {
    DWORD error = GetLastError();
    throw EOSError("Не удалось выключить компьютер: " + SysErrorMessage(error), error);
  }
}
