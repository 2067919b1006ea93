#include "classlib/core/utilwindow.h"

#include <memory>

#include "classlib/core/callbackguard.h"
#include "classlib/core/exceptions.h"

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

// ---- Hidden top-level windows with a TMessage procedure ----

namespace {

using TMethodPtr = std::shared_ptr<TWndMethod>;

LRESULT CALLBACK HiddenWindowProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* slot = reinterpret_cast<TMethodPtr*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (!slot) return DefWindowProcW(Window, Msg, WParam, LParam);
  TMethodPtr method = *slot;  // stays alive if the procedure destroys its window
  TMessage message{Msg, WParam, LParam, 0};
  GuardCallback([&] { (*method)(message); });
  return message.Result;
}

const wchar_t kHiddenClassName[] = L"HoravoxHiddenWindow";

}  // namespace

HWND CreateUtilityWindow(TWndMethod Method) {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = HiddenWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kHiddenClassName;
    return RegisterClassExW(&wc);
  }();
  (void)atom;
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kHiddenClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) throw EOutOfResources("Cannot create a utility window: " + SysErrorMessage(GetLastError()));
  SetWindowLongPtrW(window, GWLP_USERDATA,
                    reinterpret_cast<LONG_PTR>(new TMethodPtr(std::make_shared<TWndMethod>(std::move(Method)))));
  return window;
}

void DestroyUtilityWindow(HWND Window) {
  if (!Window) return;
  auto* slot = reinterpret_cast<TMethodPtr*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
  DestroyWindow(Window);
  delete slot;
}
