// winctl: what the end-to-end tests do inside Windows.
//   winctl wait-window <class> <timeout ms>   waits for a visible top-level window
//   winctl text <class>                       prints its text (UTF-8)
//   winctl close <class>                      posts WM_CLOSE to it
//   winctl click <class> <caption>            clicks its button of that caption
//   winctl post-click <class> <caption>       the same, posted: returns at once (the
//                                             button may open a modal window)
//   winctl check <class> <caption>            clicks its check box or radio button of
//                                             that caption as a user's click tells the
//                                             window (posted), also on a hidden page
//   winctl checked <class> <caption>          prints 1 when that box or button is
//                                             ticked, else 0
//   winctl choose <class> <item>              chooses the item in the combo box that
//                                             lists it, as a user's choice tells the
//                                             window (posted)
//   winctl chosen <class> <item>              prints the text chosen in the combo box
//                                             that lists the item
//   winctl has-text <class> <text>            prints 1 when a child window shows the
//                                             text, else 0
//   winctl shown <class> <caption>            prints 1 when its control of that caption
//                                             is visible, else 0
//   winctl type <class> <text> <typed>        focuses its child window that shows the
//                                             text, goes to its start and types
//   winctl type-into <class> <typed>         types into the window itself once it is in
//                                             front
//   winctl type-in <class> <child class> <typed>
//                                             the same in its first visible child of
//                                             that class (a memo)
//   winctl text-in <class> <child class>      prints that child's text
//   winctl button-at <class> <x> <y>          clicks (posted) the control at that point of
//                                             its client area (a button without caption)
//   winctl enabled-at <class> <x> <y>         prints 1 when that control is enabled, else 0
//   winctl file-dialog <path>                 waits for the open dialog, gives it the
//                                             file's name and presses OK
//   winctl grab-hotkey <key>...               prints 1 when this program can register
//                                             the chord as a hotkey (then frees it), else 0
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
//   winctl backdrop <rrggbb> <ms>             covers the screen with a window of that
//                                             colour (not on top) for that long
//   winctl rect <class>                       prints its window's left top right bottom
//   winctl client-rect <class>                prints its client area's, on the screen
//   winctl workarea <class>                   prints the work area (left top right bottom)
//                                             of the monitor nearest its window
//   winctl styles <class>                     prints "caption" or "captionless", then
//                                             "topmost" or "normal"
//   winctl visible <class>                    prints 1 when it is visible, else 0
//   winctl led <text>                         draws the text as the kit's LED cells (19 x
//                                             28, black on lime) and prints the picture:
//                                             its width and height, then one line of
//                                             rrggbb pixels per row
//   winctl keys <key>...                      types a chord through SendInput, e.g. ctrl
//                                             alt a (held in order, released in reverse)
//   winctl click-at <class> <x> <y>           clicks a point of the window's client area
//                                             through SendInput
//   winctl type <text>                        types the text's characters through
//                                             SendInput as Unicode keys, any letters
//   winctl count <class>                      prints the number of its visible windows
//   winctl message-text                       prints the text of the message box shown
//   winctl foreground                         prints the foreground window's class
//   winctl tray-icons                         prints the number of icons in the
//                                             notification area
//   winctl tray-click <left|right>            clicks the first tray icon through SendInput
//   winctl menu-click <count> <index>...      waits for an open menu of count items and
//                                             clicks item index; each further pair does
//                                             the same in the submenu that opens
//   winctl menu-items                         waits for an open menu and prints its items
//                                             and its submenus' as menuhook.h has them
//   winctl close-menu                         presses Escape until no menu is open
//   winctl tray-tip                           prints the first tray icon's tip
//   winctl press-at <class> <x> <y>           posts a left press and release to the control
//                                             at that point of the window's client area
//   winctl clipboard                          prints the clipboard's text
//   winctl front <class>                      prints 1 when the window is at the point
//                                             its centre shows, else 0
//   winctl watch <class> <ms>                 samples the window every 30 ms for that long
//                                             and prints a line at each change: the system
//                                             time in ms since 1970, then "none" or its
//                                             visibility, left top right bottom, whether
//                                             it is WS_EX_NOACTIVATE, has a complex region
//                                             and is the foreground window (1/0 each)
// Exit code 0 on success; a message on stderr otherwise.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include <vector>

#include "assistant/actor.h"
#include "menuhook.h"
#include "tests/support/wine_tray_tip.h"
#include "classlib/windows/pictures.h"
#include "classlib/core/unicode.h"
#include "controls/kitled.h"

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

// The first child window, at any depth, that Matches.
HWND FindChildWhere(HWND parent, const std::function<bool(HWND)>& Matches) {
  struct Search {
    const std::function<bool(HWND)>* Matches;
    HWND Found;
  } search{&Matches, nullptr};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (!(*s->Matches)(w)) return TRUE;
        s->Found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

HWND FindButton(HWND parent, const wchar_t* caption) {
  return FindChildWhere(parent, [caption](HWND w) {
    // Asked of the window itself: an edit box keeps its text apart from the caption the
    // system holds for windows of other processes.
    wchar_t text[256] = L"";
    DWORD_PTR ignored;
    SendMessageTimeoutW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    return wcscmp(text, caption) == 0;
  });
}

INPUT KeyInput(WORD key, bool up);

HWND FindChild(const wchar_t* cls, const wchar_t* text, HWND* top = nullptr) {
  HWND w = FindWindowW(cls, nullptr);
  if (top) *top = w;
  return w ? FindButton(w, text) : nullptr;
}

// The combo box among the window's children that lists the item.
HWND FindCombo(HWND parent, const wchar_t* item) {
  return FindChildWhere(parent, [item](HWND w) {
    wchar_t cls[64] = L"";
    GetClassNameW(w, cls, 64);
    if (!wcsstr(cls, L"Combo") && _wcsicmp(cls, L"ComboBox") != 0) return false;
    return SendMessageW(w, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item)) != CB_ERR;
  });
}

// What a control tells its parent when the user works it.
bool Notify(HWND control, WORD code) {
  return PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                      reinterpret_cast<LPARAM>(control)) != 0;
}

// Types into the window's control (or into the window itself, where edit is null), the
// window brought to the front first.
int Type(HWND top, HWND edit, const wchar_t* typed) {
  DWORD thread = GetWindowThreadProcessId(top, nullptr);
  AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
  SetForegroundWindow(top);
  if (edit) SetFocus(edit);
  AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
  for (DWORD start = GetTickCount(); GetForegroundWindow() != top && GetTickCount() - start < 3000;) Sleep(50);
  Sleep(200);
  std::vector<INPUT> inputs{KeyInput(VK_HOME, false), KeyInput(VK_HOME, true)};
  for (const wchar_t* c = typed; *c; ++c)
    for (bool up : {false, true}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wScan = *c;
      in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      inputs.push_back(in);
    }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Sleep(300);
  return 0;
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

int Backdrop(const wchar_t* colour, DWORD ms) {
  COLORREF c = wcstoul(colour, nullptr, 16);
  c = RGB(GetBValue(c), GetGValue(c), GetRValue(c));  // rrggbb, not bbggrr
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = CreateSolidBrush(c);
  wc.lpszClassName = L"HoravoxBackdrop";
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                           wc.hInstance, nullptr);
  if (!w) return Fail(L"cannot create the backdrop");
  SetWindowPos(w, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    Sleep(20);
  }
  DestroyWindow(w);
  return 0;
}

int Led(const std::wstring& text) {
  TKitLED led;
  led.SetActiveColor(clBlack);
  led.SetInActiveColor(clLime);
  led.SetBackColor(clLime);
  String utf8 = WideToUtf8(text);
  TBitmap picture;
  led.DrawLEDText(nullptr, TRect{}, utf8, false, true);
  int width = led.LongestLine() * led.CellWidth(), height = led.LineCount() * led.CellHeight();
  picture.SetSize(width, height);
  picture.Canvas()->GetBrush()->SetColor(clLime);
  picture.Canvas()->FillRect(Rect(0, 0, width, height));
  led.DrawLEDText(picture.Canvas(), Bounds(0, 0, width, height), utf8, true, true);
  Out(std::to_wstring(width) + L" " + std::to_wstring(height));
  for (int y = 0; y < height; ++y) {
    std::wstring row;
    for (int x = 0; x < width; ++x) {
      COLORREF c = GetPixel(picture.Canvas()->GetHandle(), x, y);
      wchar_t hex[8];
      swprintf(hex, 8, L"%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
      row += hex;
    }
    Out(row);
  }
  return 0;
}

WORD KeyOf(const std::wstring& name) {
  static const struct {
    const wchar_t* Name;
    WORD Key;
  } keys[] = {{L"ctrl", VK_CONTROL}, {L"alt", VK_MENU}, {L"shift", VK_SHIFT}, {L"down", VK_DOWN},
              {L"up", VK_UP},        {L"left", VK_LEFT}, {L"right", VK_RIGHT}, {L"enter", VK_RETURN},
              {L"escape", VK_ESCAPE}, {L"tab", VK_TAB}, {L"insert", VK_INSERT}};
  for (const auto& k : keys)
    if (name == k.Name) return k.Key;
  if (name.size() == 1 && iswalnum(name[0])) return static_cast<WORD>(towupper(name[0]));
  return 0;
}

INPUT KeyInput(WORD key, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = key;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

// Each character as a Unicode key press and release.
int Type(const std::wstring& text) {
  std::vector<INPUT> inputs;
  for (wchar_t c : text)
    for (bool up : {false, true}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wScan = c;
      in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      inputs.push_back(in);
    }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  return 0;
}

// Holds the keys in order and lets them go in reverse: one chord.
int Chord(int count, wchar_t** names) {
  std::vector<INPUT> inputs;
  std::vector<WORD> held;
  for (int i = 0; i < count; ++i) {
    WORD key = KeyOf(names[i]);
    if (!key) return Fail(std::wstring(L"no key ") + names[i]);
    held.push_back(key);
    inputs.push_back(KeyInput(key, false));
  }
  for (auto it = held.rbegin(); it != held.rend(); ++it) inputs.push_back(KeyInput(*it, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  return 0;
}

std::vector<HWND> TrayIcons() {
  std::vector<HWND> icons;
  for (HWND tray = nullptr; (tray = FindWindowExW(nullptr, tray, L"__winex11_standalone_tray", nullptr));)
    for (HWND icon = nullptr; (icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr));)
      if (IsWindowVisible(icon)) icons.push_back(icon);
  return icons;
}

void Click(POINT at, bool right) {
  SetCursorPos(at.x, at.y);
  Sleep(100);
  INPUT in[2] = {};
  for (INPUT& i : in) i.type = INPUT_MOUSE;
  in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

int TrayClick(const std::wstring& button) {
  std::vector<HWND> icons = TrayIcons();
  if (icons.empty()) return Fail(L"no tray icon");
  RECT r;
  GetWindowRect(icons[0], &r);
  Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2}, button == L"right");
  return 0;
}

// A visible menu window other than those already used.
HWND WaitMenu(const std::vector<HWND>& Used, DWORD timeout) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < timeout; Sleep(50))
    for (HWND menu = nullptr; (menu = FindWindowExW(nullptr, menu, L"#32768", nullptr));)
      if (IsWindowVisible(menu) && std::find(Used.begin(), Used.end(), menu) == Used.end()) return menu;
  return nullptr;
}

// Items of equal height fill the menu's client area (no separators).
int MenuClick(int count, wchar_t** args) {
  std::vector<HWND> used;
  for (int i = 0; i + 1 < count; i += 2) {
    HWND menu = WaitMenu(used, 5000);
    if (!menu) return Fail(L"no menu opened");
    used.push_back(menu);
    int items = _wtoi(args[i]), index = _wtoi(args[i + 1]);
    RECT r;
    GetClientRect(menu, &r);
    POINT at{r.right / 2, (2 * index + 1) * r.bottom / (2 * items)};
    ClientToScreen(menu, &at);
    Sleep(200);
    Click(at, false);
  }
  return 0;
}

// The items of the open menu, read inside the program that shows it: the hook's module
// (menuhook.dll, beside winctl) is loaded there and writes them to shared memory.
int MenuItems() {
  HWND menu = WaitMenu({}, 5000);
  if (!menu) return Fail(L"no menu opened");
  HANDLE map = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kMenuItemsChars * sizeof(wchar_t),
                                  kMenuItemsMapping);
  auto* view = map ? static_cast<wchar_t*>(MapViewOfFile(map, FILE_MAP_ALL_ACCESS, 0, 0, 0)) : nullptr;
  if (!view) return Fail(L"no shared memory");
  view[0] = L'\0';
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dll = path;
  dll = dll.substr(0, dll.find_last_of(L"\\/") + 1) + L"menuhook.dll";
  HMODULE module = LoadLibraryW(dll.c_str());
  auto* hook = module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, "ReadMenuHook"))) : nullptr;
  if (!hook) return Fail(L"cannot load " + dll);
  HHOOK set = SetWindowsHookExW(WH_CALLWNDPROC, hook, module, GetWindowThreadProcessId(menu, nullptr));
  if (!set) return Fail(L"cannot set the hook");
  DWORD_PTR ignored;
  SendMessageTimeoutW(menu, RegisterWindowMessageW(kReadMenuMessage), 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  UnhookWindowsHookEx(set);
  std::wstring items = view;
  UnmapViewOfFile(view);
  CloseHandle(map);
  if (items.empty()) return Fail(L"the menu's items were not read");
  Write(GetStdHandle(STD_OUTPUT_HANDLE), items);
  return 0;
}

int CloseMenu() {
  for (int i = 0; i < 10; ++i) {
    if (!WaitMenu({}, 0)) return 0;
    INPUT keys[2] = {KeyInput(VK_ESCAPE, false), KeyInput(VK_ESCAPE, true)};
    SendInput(2, keys, sizeof(INPUT));
    Sleep(200);
  }
  return WaitMenu({}, 0) ? Fail(L"the menu stays open") : 0;
}

int Clipboard() {
  if (!OpenClipboard(nullptr)) return Fail(L"cannot open the clipboard");
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
    if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  CloseClipboard();
  Out(text);
  return 0;
}

// The system time in ms since 1970 (what the fake clock of the tests gives).
long long SystemMs() {
  FILETIME f;
  GetSystemTimeAsFileTime(&f);
  ULARGE_INTEGER u{{f.dwLowDateTime, f.dwHighDateTime}};
  return static_cast<long long>(u.QuadPart / 10000) - 11644473600000LL;
}

std::wstring WindowState(const wchar_t* cls) {
  HWND w = FindWindowW(cls, nullptr);
  if (!w) return L"none";
  RECT r;
  GetWindowRect(w, &r);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  bool complex = GetWindowRgn(w, region) == COMPLEXREGION;
  DeleteObject(region);
  bool noActivate = (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_NOACTIVATE) != 0;
  return std::to_wstring(IsWindowVisible(w) ? 1 : 0) + L" " + std::to_wstring(r.left) + L" " +
         std::to_wstring(r.top) + L" " + std::to_wstring(r.right) + L" " + std::to_wstring(r.bottom) + L" " +
         std::to_wstring(noActivate ? 1 : 0) + L" " + std::to_wstring(complex ? 1 : 0) + L" " +
         std::to_wstring(GetForegroundWindow() == w ? 1 : 0);
}

int Watch(const wchar_t* cls, DWORD duration) {
  DWORD start = GetTickCount();
  std::wstring last;
  while (GetTickCount() - start < duration) {
    std::wstring state = WindowState(cls);
    if (state != last) Out(std::to_wstring(SystemMs()) + L" " + state);
    last = state;
    Sleep(30);
  }
  return 0;
}

}  // namespace

// The first visible child of this class.
HWND FindVisibleChildOfClass(HWND parent, const wchar_t* cls) {
  return FindChildWhere(parent, [cls](HWND w) {
    wchar_t name[64] = L"";
    GetClassNameW(w, name, 64);
    return wcscmp(name, cls) == 0 && IsWindowVisible(w);
  });
}

// The visible control at a point of the window's client area (a button without a caption).
HWND ControlAt(HWND top, int x, int y) {
  HWND c = ChildWindowFromPointEx(top, POINT{x, y}, CWP_SKIPINVISIBLE);
  return c == top ? nullptr : c;
}

// Answers the system's open dialog: the file's name in its name box, then OK.
int AnswerFileDialog(const wchar_t* path, DWORD timeout) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < timeout; Sleep(100)) {
    HWND dialog = nullptr;
    while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr)))
      if (IsWindowVisible(dialog)) break;
    if (!dialog) continue;
    Sleep(300);  // let it fill its lists
    HWND box = GetDlgItem(dialog, 0x47C);
    if (!box) box = GetDlgItem(dialog, 0x480);
    if (!box) return Fail(L"the dialog has no file name box");
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
    return PostMessageW(dialog, WM_COMMAND, IDOK, 0) ? 0 : Fail(L"PostMessage failed");
  }
  return Fail(L"no open dialog");
}

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
  if (cmd == L"menu-items") return MenuItems();
  if (cmd == L"close-menu") return CloseMenu();
  if (cmd == L"clipboard") return Clipboard();
  if (cmd == L"tray-tip") {
    std::vector<HWND> icons = TrayIcons();
    if (icons.empty()) return Fail(L"no tray icon");
    Out(WineTrayTip(icons[0]));
    return 0;
  }
  if (cmd == L"count") {
    int count = 0;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, argv[2], nullptr));) count += IsWindowVisible(w) ? 1 : 0;
    Out(std::to_wstring(count));
    return 0;
  }
  if (cmd == L"message-text") {
    HWND dialog = FindVisible(L"#32770");
    HWND text = dialog ? GetDlgItem(dialog, 0xFFFF) : nullptr;
    if (!text) return Fail(L"no message box");
    wchar_t chars[1024] = L"";
    DWORD_PTR ignored;
    SendMessageTimeoutW(text, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(chars), SMTO_ABORTIFHUNG, 2000, &ignored);
    Out(chars);
    return 0;
  }
  if (cmd == L"foreground") {
    wchar_t name[64] = L"";
    GetClassNameW(GetForegroundWindow(), name, 64);
    Out(name);
    return 0;
  }
  if (cmd == L"tray-icons") {
    Out(std::to_wstring(TrayIcons().size()));
    return 0;
  }
  if (argc < 3) return Fail(L"usage: winctl <command> <arguments>");
  if (cmd == L"wait-window" && argc == 4) return WaitWindow(argv[2], _wtoi(argv[3]));
  if (cmd == L"file-dialog") return AnswerFileDialog(argv[2], 10000);
  if (cmd == L"press-at" && argc == 5) {
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    POINT at{_wtoi(argv[3]), _wtoi(argv[4])};
    HWND control = ControlAt(w, at.x, at.y);
    if (!control) return Fail(L"no control there");
    MapWindowPoints(w, control, &at, 1);
    bool posted = PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y)) &&
                  PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    return posted ? 0 : Fail(L"PostMessage failed");
  }
  if ((cmd == L"button-at" || cmd == L"enabled-at") && argc == 5) {
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    HWND control = ControlAt(w, _wtoi(argv[3]), _wtoi(argv[4]));
    if (!control) return Fail(L"no control there");
    if (cmd == L"enabled-at") {
      Out(IsWindowEnabled(control) ? L"1" : L"0");
      return 0;
    }
    return PostMessageW(control, BM_CLICK, 0, 0) ? 0 : Fail(L"PostMessage failed");
  }
  if ((cmd == L"type-in" && argc == 5) || (cmd == L"text-in" && argc == 4)) {
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    HWND control = FindVisibleChildOfClass(w, argv[3]);
    if (!control) return Fail(std::wstring(L"no visible ") + argv[3]);
    if (cmd == L"type-in") return Type(w, control, argv[4]);
    wchar_t text[1024] = L"";
    DWORD_PTR ignored;
    SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
    Out(text);
    return 0;
  }
  if (cmd == L"watch" && argc == 4) return Watch(argv[2], _wtoi(argv[3]));
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
  if (cmd == L"post-click" || cmd == L"check" || cmd == L"checked" || cmd == L"has-text" || cmd == L"shown") {
    if (argc != 4) return Fail(L"usage: winctl " + cmd + L" <class> <caption>");
    HWND top = nullptr;
    HWND control = FindChild(argv[2], argv[3], &top);
    if (cmd == L"has-text") {
      if (!top) return Fail(std::wstring(L"no window ") + argv[2]);
      Out(control ? L"1" : L"0");
      return 0;
    }
    if (!control) return Fail(std::wstring(L"no control ") + argv[3]);
    if (cmd == L"shown") {
      Out(IsWindowVisible(control) ? L"1" : L"0");
      return 0;
    }
    if (cmd == L"checked") {
      Out(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? L"1" : L"0");
      return 0;
    }
    bool posted = cmd == L"check" ? Notify(control, BN_CLICKED) : PostMessageW(control, BM_CLICK, 0, 0) != 0;
    return posted ? 0 : Fail(L"PostMessage failed");
  }
  if ((cmd == L"choose" || cmd == L"chosen") && argc == 4) {
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    HWND combo = FindCombo(w, argv[3]);
    if (!combo) return Fail(std::wstring(L"no combo box lists ") + argv[3]);
    if (cmd == L"chosen") {
      wchar_t text[256] = L"";
      SendMessageW(combo, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
      Out(text);
      return 0;
    }
    LRESULT index = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(argv[3]));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return Notify(combo, CBN_SELCHANGE) ? 0 : Fail(L"PostMessage failed");
  }
  if (cmd == L"type-into" && argc == 4) {
    HWND w = FindVisible(argv[2]);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    return Type(w, nullptr, argv[3]);
  }
  if (cmd == L"type" && argc == 5) {
    HWND top = nullptr;
    HWND edit = FindChild(argv[2], argv[3], &top);
    if (!edit) return Fail(std::wstring(L"no window shows ") + argv[3]);
    return Type(top, edit, argv[4]);
  }
  if (cmd == L"grab-hotkey") {
    UINT modifiers = 0, key = 0;
    for (int i = 2; i < argc; ++i) {
      WORD k = KeyOf(argv[i]);
      if (k == VK_CONTROL) modifiers |= MOD_CONTROL;
      else if (k == VK_MENU) modifiers |= MOD_ALT;
      else if (k == VK_SHIFT) modifiers |= MOD_SHIFT;
      else key = k;
    }
    if (!key) return Fail(L"no key");
    bool got = RegisterHotKey(nullptr, 1, modifiers, key) != 0;
    if (got) UnregisterHotKey(nullptr, 1);
    Out(got ? L"1" : L"0");
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
  if (cmd == L"backdrop" && argc == 4) return Backdrop(argv[2], _wtoi(argv[3]));
  if (cmd == L"led") return Led(argv[2]);
  if (cmd == L"keys") return Chord(argc - 2, argv + 2);
  if (cmd == L"type" && argc == 3) return Type(argv[2]);
  if (cmd == L"click-at" && argc == 5) {
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    POINT at{_wtoi(argv[3]), _wtoi(argv[4])};
    ClientToScreen(w, &at);
    Click(at, false);
    return 0;
  }
  if (cmd == L"tray-click") return TrayClick(argv[2]);
  if (cmd == L"menu-click") return MenuClick(argc - 2, argv + 2);
  if (cmd == L"workarea" || cmd == L"styles") {
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    if (cmd == L"styles") {
      LONG style = GetWindowLongW(w, GWL_STYLE), ex = GetWindowLongW(w, GWL_EXSTYLE);
      Out(std::wstring((style & WS_CAPTION) == WS_CAPTION ? L"caption" : L"captionless") +
          (ex & WS_EX_TOPMOST ? L" topmost" : L" normal"));
      return 0;
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), &info)) return Fail(L"no monitor");
    const RECT& r = info.rcWork;
    Out(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) + L" " +
        std::to_wstring(r.bottom));
    return 0;
  }
  if (cmd == L"rect" || cmd == L"client-rect" || cmd == L"visible" || cmd == L"front") {
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    RECT r;
    GetWindowRect(w, &r);
    if (cmd == L"client-rect") {
      GetClientRect(w, &r);
      MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
    }
    if (cmd == L"rect" || cmd == L"client-rect")
      Out(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) + L" " +
          std::to_wstring(r.bottom));
    else if (cmd == L"visible")
      Out(IsWindowVisible(w) ? L"1" : L"0");
    else
      Out(GetAncestor(WindowFromPoint({(r.left + r.right) / 2, (r.top + r.bottom) / 2}), GA_ROOT) == w ? L"1" : L"0");
    return 0;
  }
  if (cmd == L"active" && argc == 3) {
    // The class of the active window of the thread that made a window of this class.
    HWND w = FindWindowW(argv[2], nullptr);
    if (!w) return Fail(std::wstring(L"no window ") + argv[2]);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info)) return Fail(L"no thread information");
    wchar_t name[64] = L"";
    if (info.hwndActive) GetClassNameW(info.hwndActive, name, 64);
    Out(name);
    return 0;
  }
  if (cmd == L"above" && argc == 4) {
    // Whether the first window lies above the second among the top-level windows.
    HWND upper = FindWindowW(argv[2], nullptr), lower = FindWindowW(argv[3], nullptr);
    if (!upper || !lower) return Fail(L"no such window");
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
      if (w == upper || w == lower) {
        Out(w == upper ? L"1" : L"0");
        break;
      }
    }
    return 0;
  }
  if (cmd == L"actor") return Actor(argv[2]);
  return Fail(L"unknown command " + cmd);
}
