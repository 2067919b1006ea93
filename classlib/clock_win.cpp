// The system clock under Windows: local time, the tick count, and timers as Win32 timers of
// a hidden message-only window, so callbacks run from the message loop.
#include <map>
#include <memory>

#include "classlib/callbackguard.h"
#include "classlib/clock.h"
#include "classlib/winapi.h"

namespace {

class TSystemClock : public TClockService {
 public:
  ~TSystemClock() override {
    if (FWindow) DestroyWindow(FWindow);  // also kills its timers
  }

  TDateTime Now() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return SystemTimeToDateTime({st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond,
                                 st.wMilliseconds});
  }

  std::uint64_t TickCount() override { return GetTickCount64(); }

  TTimerId StartTimer(std::uint32_t intervalMs, TTimerCallback callback) override {
    if (intervalMs == 0) throw EInvalidOperation("A timer needs an interval of at least 1 ms");
    TTimerId id = FNextId++;
    if (!SetTimer(Window(), static_cast<UINT_PTR>(id), intervalMs, nullptr))
      throw EOutOfResources("Not enough timers available");
    FCallbacks[id] = std::make_shared<TTimerCallback>(std::move(callback));
    return id;
  }

  void RestartTimer(TTimerId id, std::uint32_t intervalMs) override {
    if (!FCallbacks.count(id)) return;
    if (intervalMs == 0) throw EInvalidOperation("A timer needs an interval of at least 1 ms");
    SetTimer(FWindow, static_cast<UINT_PTR>(id), intervalMs, nullptr);  // same id: re-armed
  }

  void StopTimer(TTimerId id) override {
    if (FCallbacks.erase(id) && FWindow) KillTimer(FWindow, static_cast<UINT_PTR>(id));
  }

 private:
  HWND Window() {
    if (FWindow) return FWindow;
    static const wchar_t kClassName[] = L"HoravoxClockWindow";
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);  // fails harmlessly when already registered
    FWindow = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (!FWindow) throw EOutOfResources("Cannot create the clock window: " + SysErrorMessage(GetLastError()));
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return FWindow;
  }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_TIMER) return DefWindowProcW(hwnd, msg, wParam, lParam);
    auto* self = reinterpret_cast<TSystemClock*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return 0;
    auto it = self->FCallbacks.find(static_cast<TTimerId>(wParam));
    if (it == self->FCallbacks.end()) {
      KillTimer(hwnd, wParam);  // a message that was queued before the timer stopped
      return 0;
    }
    auto callback = it->second;  // keeps the callback alive if it stops its own timer
    GuardCallback([&] { (*callback)(); });
    return 0;
  }

  HWND FWindow = nullptr;
  TTimerId FNextId = 1;
  std::map<TTimerId, std::shared_ptr<TTimerCallback>> FCallbacks;
};

}  // namespace

TClockService& SystemClock() {
  static TSystemClock clock;
  return clock;
}
