// winctl: what the end-to-end tests do inside Windows.
//   winctl wait-window <class> <timeout ms>   waits for a visible top-level window
//   winctl text <class>                       prints its text (UTF-8)
//   winctl close <class>                      posts WM_CLOSE to it
//   winctl click <class> <caption>            clicks its button of that caption
//   winctl restore <class>                    restores it as its task bar button does
//                                             (SC_RESTORE) and waits until it is no
//                                             longer minimised
//   winctl iconic <class>                     prints 1 when it is minimised, else 0
//   winctl play <wave file>                   plays a file through MCI and waits
//   winctl now                                prints the local time, yyyy-mm-dd hh:mm:ss
//   winctl warm-up                            creates and destroys a window, so Wine's
//                                             desktop and services are running
//   winctl actor <file>                       loads an actor library and prints its
//                                             character's name and number of animations
// Exit code 0 on success; a message on stderr otherwise.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <string>

#include "assistant/actor.h"
#include "classlib/unicode.h"

namespace {

void Write(HANDLE h, const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string bytes(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), n,
                      nullptr, nullptr);
  DWORD written;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
void Out(const std::wstring& text) { Write(GetStdHandle(STD_OUTPUT_HANDLE), text + L"\n"); }
int Fail(const std::wstring& text) {
  Write(GetStdHandle(STD_ERROR_HANDLE), L"winctl: " + text + L"\n");
  return 1;
}

HWND FindVisible(const wchar_t* cls) {
  HWND w = FindWindowW(cls, nullptr);
  return (w && IsWindowVisible(w)) ? w : nullptr;
}

int WaitWindow(const wchar_t* cls, DWORD timeout) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND w = FindVisible(cls)) {
      Out(std::to_wstring(reinterpret_cast<UINT_PTR>(w)));
      return 0;
    }
    if (GetTickCount() - start > timeout) return Fail(std::wstring(L"no window ") + cls);
    Sleep(50);
  }
}

HWND FindButton(HWND parent, const wchar_t* caption) {
  struct Search {
    const wchar_t* Caption;
    HWND Found;
  } search{caption, nullptr};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t text[256] = L"";
        GetWindowTextW(w, text, 256);
        if (wcscmp(text, s->Caption) != 0) return TRUE;
        s->Found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

int Play(const wchar_t* file) {
  MCI_OPEN_PARMSW open{};
  open.lpstrDeviceType = L"waveaudio";
  open.lpstrElementName = file;
  MCIERROR e = mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                               reinterpret_cast<DWORD_PTR>(&open));
  if (e) {
    wchar_t msg[256] = L"";
    mciGetErrorStringW(e, msg, 256);
    return Fail(std::wstring(L"cannot open ") + file + L": " + msg);
  }
  MCI_PLAY_PARMS play{};
  e = mciSendCommandW(open.wDeviceID, MCI_PLAY, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&play));
  mciSendCommandW(open.wDeviceID, MCI_CLOSE, MCI_WAIT, 0);
  return e ? Fail(L"play failed") : 0;
}

int Actor(const wchar_t* file) {
  try {
    TAssistantActor actor;
    actor.SetFileName(WideToUtf8(file));
    actor.Open();
    Out(Utf8ToWide(actor.ActorName()) + L" " + std::to_wstring(actor.AnimationCount()));
    return 0;
  } catch (const std::exception& e) {
    return Fail(Utf8ToWide(e.what()));
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Fail(L"usage: winctl <command> <arguments>");
  std::wstring cmd = argv[1];
  if (cmd == L"warm-up") {
    HWND w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (w) DestroyWindow(w);
    return w ? 0 : Fail(L"cannot create a window");
  }
  if (cmd == L"now") {
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    Out(text);
    return 0;
  }
  if (argc < 3) return Fail(L"usage: winctl <command> <arguments>");
  if (cmd == L"wait-window" && argc == 4) return WaitWindow(argv[2], _wtoi(argv[3]));
  if (cmd == L"text") {
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    wchar_t text[512] = L"";
    GetWindowTextW(w, text, 512);
    Out(text);
    return 0;
  }
  if (cmd == L"close") {
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    return PostMessageW(w, WM_CLOSE, 0, 0) ? 0 : Fail(L"PostMessage failed");
  }
  if (cmd == L"click" && argc == 4) {
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    HWND button = FindButton(w, argv[3]);
    if (!button) return Fail(std::wstring(L"no button ") + argv[3]);
    SendMessageW(button, BM_CLICK, 0, 0);
    return 0;
  }
  if (cmd == L"restore") {
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    SendMessageW(w, WM_SYSCOMMAND, SC_RESTORE, 0);
    for (DWORD start = GetTickCount(); IsIconic(w); Sleep(20))
      if (GetTickCount() - start > 10000) return Fail(std::wstring(L"still minimised: ") + argv[2]);
    return 0;
  }
  if (cmd == L"iconic") {
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    Out(IsIconic(w) ? L"1" : L"0");
    return 0;
  }
  if (cmd == L"play") return Play(argv[2]);
  if (cmd == L"actor") return Actor(argv[2]);
  return Fail(L"unknown command " + cmd);
}
