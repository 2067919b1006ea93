#pragma once
// The monitors of the desktop: their rectangles and work areas (the primary first), which
// one a rectangle lies on, and the rectangle spanning them all. The system sits behind
// TMonitorSystem; a test installs its own list with TSeamScope<TMonitorSystem>. Windows only.
#include <utility>
#include <vector>

#include "classlib/core/geometry.h"
#include "classlib/core/seam.h"

struct TMonitorInfo {
  TRect Bounds;
  TRect WorkArea;
};

class TMonitorSystem {
 public:
  virtual ~TMonitorSystem() = default;
  // Every monitor, the primary first.
  virtual std::vector<TMonitorInfo> Monitors() = 0;
  static TMonitorSystem& System();
};

// A fixed list of monitors, for tests.
class TFixedMonitors : public TMonitorSystem {
 public:
  explicit TFixedMonitors(std::vector<TMonitorInfo> List) : FList(std::move(List)) {}
  std::vector<TMonitorInfo> Monitors() override { return FList; }

 private:
  std::vector<TMonitorInfo> FList;
};

inline std::vector<TMonitorInfo> ScreenMonitors() { return TSeam<TMonitorSystem>::Get().Monitors(); }
// The index of the first monitor whose bounds intersect R; -1 when none does.
int MonitorOfRect(const TRect& R);
// The rectangle spanning every monitor.
TRect VirtualScreenRect();
