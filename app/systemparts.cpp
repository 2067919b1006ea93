#include "app/systemparts.h"

#include "classlib/core/exceptions.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"
#include "controls/kitstarter.h"

#include <shellapi.h>

void TSystemTone::Tone(unsigned Frequency, unsigned Duration) {
  // The tone generator takes 37 to 32767 Hz.
  if (Frequency < 37 || Frequency > 32767) return;
  ::Beep(Frequency, Duration);
}

void TKitProgramStarter::Start(const String& Program, const String& Parameters, TProgramShow Show) {
  static const TKitStarterOptions kShow[] = {soSW_SHOWNORMAL, soSW_SHOWMAXIMIZED, soSW_SHOWMINIMIZED, soSW_HIDE};
  FStarter->StartOperation = smOpen;
  FStarter->Command = Program;
  FStarter->Parameters = Parameters;
  FStarter->StartOption = kShow[static_cast<int>(Show)];
  FStarter->Execute();
  if (int error = FStarter->ErrorCode()) {
    // The shell's own codes (below 32) say less than the system's message for them.
    DWORD code = error == SE_ERR_FNF ? ERROR_FILE_NOT_FOUND : error == SE_ERR_PNF ? ERROR_PATH_NOT_FOUND
               : error == SE_ERR_ACCESSDENIED ? ERROR_ACCESS_DENIED : static_cast<DWORD>(error);
    throw EOSError("Не удалось запустить программу \"" + Program + "\": " + SysErrorMessage(code), code);
  }
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
