#include "gui_test_util.h"

#include <filesystem>
#include <vector>

#include "classlib/windows/application.h"
#include "test_paths.h"

namespace guitest {

bool PumpUntil(const std::function<bool()>& Done, DWORD DeadlineMs) {
  ULONGLONG end = GetTickCount64() + DeadlineMs;
  while (!Done()) {
    if (GetTickCount64() > end) return false;
    Application->ProcessMessages();
    if (!Done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(DWORD Ms) {
  ULONGLONG end = GetTickCount64() + Ms;
  PumpUntil([&] { return GetTickCount64() > end; });
}

void ClickScreen(TPoint At) {
  SetCursorPos(At.X, At.Y);
  INPUT clicks[2] = {};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, clicks, sizeof(INPUT));
  PumpFor(200);
}

namespace {
void MouseInput(DWORD Flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = Flags;
  SendInput(1, &input, sizeof(INPUT));
  PumpFor(50);
}
}  // namespace

void MoveMouse(TPoint At) {
  SetCursorPos(At.X, At.Y);
  MouseInput(MOUSEEVENTF_MOVE);  // no distance: a move message where the cursor is now
}

void MouseButton(DWORD Flags) { MouseInput(Flags); }

void PressKey(WORD Key) {
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = Key;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
  PumpFor(50);
}

bool BringToFront(HWND Window, DWORD DeadlineMs) {
  return PumpUntil(
      [&] {
        if (GetForegroundWindow() == Window) return true;
        SetForegroundWindow(Window);
        return false;
      },
      DeadlineMs);
}

std::wstring ClassOf(HWND Window) {
  wchar_t name[256] = {};
  GetClassNameW(Window, name, 256);
  return name;
}

std::wstring TextOf(HWND Window) {
  // From another thread too: WM_GETTEXT is answered by the window's own thread, which
  // may be busy; a watcher must not hang on it.
  wchar_t text[1024] = {};
  DWORD_PTR result = 0;
  SendMessageTimeoutW(Window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000, &result);
  return text;
}

namespace {
struct TSearch {
  std::wstring Text;
  bool ByClass;
  HWND Found = nullptr;
};
BOOL CALLBACK FindChild(HWND Window, LPARAM Param) {
  auto* s = reinterpret_cast<TSearch*>(Param);
  if ((s->ByClass ? ClassOf(Window) : TextOf(Window)) == s->Text) {
    s->Found = Window;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindChildByText(HWND Parent, const std::wstring& Text) {
  TSearch s{Text, false};
  EnumChildWindows(Parent, FindChild, reinterpret_cast<LPARAM>(&s));
  return s.Found;
}

HWND FindChildByClass(HWND Parent, const std::wstring& ClassName) {
  TSearch s{ClassName, true};
  EnumChildWindows(Parent, FindChild, reinterpret_cast<LPARAM>(&s));
  return s.Found;
}

std::wstring MessageBoxText(HWND Dialog) {
  HWND text = GetDlgItem(Dialog, 0xFFFF);
  return text ? TextOf(text) : std::wstring();
}

TDialogWatcher::TDialogWatcher(DWORD ThreadId, std::function<bool(HWND)> Matches, TAct Act)
    : FThreadId(ThreadId), FMatches(std::move(Matches)), FAct(std::move(Act)), FThread([this] { Run(); }) {}

TDialogWatcher::~TDialogWatcher() {
  FStop = true;
  FThread.join();
}

void TDialogWatcher::Run() {
  while (!FStop) {
    std::vector<HWND> windows;
    EnumThreadWindows(
        FThreadId,
        [](HWND w, LPARAM p) {
          reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND w : windows) {
      if (FKnown.count(w) || !IsWindowVisible(w) || !FMatches(w)) continue;
      FKnown.insert(w);
      ++FSeen;
      FAct(w);
    }
    Sleep(20);
  }
}

TRect ChildRect(HWND Child) {
  RECT r{};
  GetWindowRect(Child, &r);
  MapWindowPoints(nullptr, GetParent(Child), reinterpret_cast<POINT*>(&r), 2);
  return Rect(r.left, r.top, r.right, r.bottom);
}

std::unique_ptr<TBitmap> Capture(HWND Window, bool Whole) {
  RECT r{};
  if (Whole) GetWindowRect(Window, &r);
  else GetClientRect(Window, &r);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(r.right - r.left, r.bottom - r.top);
  HDC dc = Whole ? GetWindowDC(Window) : GetDC(Window);
  BitBlt(bitmap->Canvas()->GetHandle(), 0, 0, bitmap->GetWidth(), bitmap->GetHeight(), dc, 0, 0, SRCCOPY);
  ReleaseDC(Window, dc);
  return bitmap;
}

void SaveScreenshot(HWND Window, const std::string& FileName) {
  std::filesystem::path dir = std::filesystem::path(horavox::test::BinaryDir()) / "test-artifacts";
  std::filesystem::create_directories(dir);
  auto screenshot = Capture(Window, true);
  screenshot->SetPixelFormat(pf24bit);  // no alpha byte for viewers to misread
  screenshot->SaveToFile((dir / FileName).string());
}

}  // namespace guitest
