#pragma once
// The tip of an icon in Wine's own tray window (the display has no system tray), asked of
// the tool-tip control in the tray's process: the control's structures and the text must
// be in that process's memory. "?" when that process cannot be opened.
#include <windows.h>

#include <commctrl.h>

#include <string>

inline std::wstring WineTrayTip(HWND Icon) {
  DWORD pid = 0;
  GetWindowThreadProcessId(Icon, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return L"?";
  const size_t kTextAt = 512;
  char* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
  std::wstring tip;
  for (HWND tt = nullptr; tip.empty() && (tt = FindWindowExW(nullptr, tt, L"tooltips_class32", nullptr));) {
    DWORD ttPid = 0;
    GetWindowThreadProcessId(tt, &ttPid);
    if (ttPid != pid) continue;
    for (UINT_PTR id : {UINT_PTR(0), reinterpret_cast<UINT_PTR>(Icon)}) {
      TTTOOLINFOW info{};
      info.cbSize = sizeof info;
      info.hwnd = Icon;
      info.uId = id;
      info.lpszText = reinterpret_cast<wchar_t*>(remote + kTextAt);
      wchar_t text[256] = {};
      WriteProcessMemory(process, remote, &info, sizeof info, nullptr);
      WriteProcessMemory(process, remote + kTextAt, text, sizeof text, nullptr);
      SendMessageW(tt, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(remote));
      ReadProcessMemory(process, remote + kTextAt, text, sizeof text - sizeof(wchar_t), nullptr);
      if (text[0]) {
        tip = text;
        break;
      }
    }
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return tip;
}
