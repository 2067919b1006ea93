#include "classlib/core/monitors.h"

#include <algorithm>

#include "classlib/core/winapi.h"

namespace {

class TSystemMonitors : public TMonitorSystem {
 public:
  std::vector<TMonitorInfo> Monitors() override {
    std::vector<TMonitorInfo> list;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
          MONITORINFO info{};
          info.cbSize = sizeof info;
          if (!GetMonitorInfoW(monitor, &info)) return TRUE;
          auto* out = reinterpret_cast<std::vector<TMonitorInfo>*>(data);
          TMonitorInfo m{{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom},
                         {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom}};
          if (info.dwFlags & MONITORINFOF_PRIMARY) out->insert(out->begin(), m);
          else out->push_back(m);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&list));
    if (list.empty()) {
      RECT work{};
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
      list.push_back({{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                      {work.left, work.top, work.right, work.bottom}});
    }
    return list;
  }
};

}  // namespace

TMonitorSystem& TMonitorSystem::System() {
  static TSystemMonitors system;
  return system;
}

int MonitorOfRect(const TRect& R) {
  std::vector<TMonitorInfo> list = ScreenMonitors();
  for (std::size_t i = 0; i < list.size(); ++i) {
    const TRect& b = list[i].Bounds;
    if (std::max(b.Left, R.Left) < std::min(b.Right, R.Right) && std::max(b.Top, R.Top) < std::min(b.Bottom, R.Bottom))
      return static_cast<int>(i);
  }
  return -1;
}

TRect VirtualScreenRect() {
  std::vector<TMonitorInfo> list = ScreenMonitors();
  TRect r = list.empty() ? TRect{0, 0, 0, 0} : list[0].Bounds;
  for (const TMonitorInfo& m : list) {
    r.Left = std::min(r.Left, m.Bounds.Left);
    r.Top = std::min(r.Top, m.Bounds.Top);
    r.Right = std::max(r.Right, m.Bounds.Right);
    r.Bottom = std::max(r.Bottom, m.Bounds.Bottom);
  }
  return r;
}
