// The system clock of the native build: local time and a monotonic tick count. There is no
// message loop here, so timers run only on a virtual clock.
#include <chrono>
#include <ctime>

#include "classlib/core/clock.h"

namespace {

class TSystemClock : public TClockService {
 public:
  TDateTime Now() override {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return SystemTimeToDateTime({static_cast<std::uint16_t>(local.tm_year + 1900), static_cast<std::uint16_t>(local.tm_mon + 1),
                                 static_cast<std::uint16_t>(local.tm_wday), static_cast<std::uint16_t>(local.tm_mday),
                                 static_cast<std::uint16_t>(local.tm_hour), static_cast<std::uint16_t>(local.tm_min),
                                 static_cast<std::uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec),
                                 static_cast<std::uint16_t>(ms < 0 ? 0 : ms)});
  }

  std::uint64_t TickCount() override {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
  }

  TTimerId StartTimer(std::uint32_t, TTimerCallback) override {
    throw EInvalidOperation("Timers need the Windows message loop or a virtual clock");
  }
  void RestartTimer(TTimerId, std::uint32_t) override {}
  void StopTimer(TTimerId) override {}
};

}  // namespace

TClockService& SystemClock() {
  static TSystemClock clock;
  return clock;
}
