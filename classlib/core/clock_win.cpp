// The system clock under Windows: local time, the tick count, and timers as Win32 timers of
// a hidden message-only window, so callbacks run from the message loop.
#include <map>
#include <memory>

#include "classlib/core/clock.h"
#include "classlib/core/utilwindow.h"
#include "classlib/core/winapi.h"

namespace {

class TSystemClock : public TClockService {
 public:
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
    SetTimer(Window(), static_cast<UINT_PTR>(id), intervalMs, nullptr);  // same id: re-armed
  }

  void StopTimer(TTimerId id) override {
    if (FCallbacks.erase(id) && FWindow) KillTimer(FWindow->Handle(), static_cast<UINT_PTR>(id));
  }

 private:
  // Made on first use; destroying it also kills its timers.
  HWND Window() {
    if (!FWindow)
      FWindow = std::make_unique<TUtilityWindow>([this](UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
        if (msg != WM_TIMER) return false;
        result = 0;
        auto it = FCallbacks.find(static_cast<TTimerId>(wParam));
        if (it == FCallbacks.end()) {
          KillTimer(FWindow->Handle(), wParam);  // a message that was queued before the timer stopped
          return true;
        }
        auto callback = it->second;  // keeps the callback alive if it stops its own timer
        (*callback)();
        return true;
      });
    return FWindow->Handle();
  }

  std::unique_ptr<TUtilityWindow> FWindow;
  TTimerId FNextId = 1;
  std::map<TTimerId, std::shared_ptr<TTimerCallback>> FCallbacks;
};

}  // namespace

TClockService& SystemClock() {
  static TSystemClock clock;
  return clock;
}
