#include "classlib/utilwindow.h"

#include "classlib/callbackguard.h"
#include "classlib/exceptions.h"

namespace {
const wchar_t kClassName[] = L"HoravoxUtilityWindow";
}

TUtilityWindow::TUtilityWindow(TUtilityWindowProc Proc) : FProc(std::move(Proc)) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // fails harmlessly when already registered
  FHandle = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  if (!FHandle) throw EOutOfResources("Cannot create a utility window: " + SysErrorMessage(GetLastError()));
  SetWindowLongPtrW(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TUtilityWindow::~TUtilityWindow() {
  SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);  // messages sent while it goes reach nobody
  DestroyWindow(FHandle);
}

LRESULT CALLBACK TUtilityWindow::WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* self = reinterpret_cast<TUtilityWindow*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
  if (self && self->FProc) {
    LRESULT result = 0;
    bool handled = false;
    GuardCallback([&] { handled = self->FProc(Msg, WParam, LParam, result); });
    if (handled) return result;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}
