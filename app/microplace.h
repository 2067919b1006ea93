#pragma once
// Where the micro clock stands: the work area it sticks to (that of the monitor nearest
// the window) and its place there by the chosen placement, with a margin of 4 pixels.
//
//   0 "Ручное расположение"        where it is, kept inside
//   1 "Левый верхний угол"         2 "Правый верхний угол"      3 "Сверху посередине"
//   4 "Левый нижний угол"          5 "Правый нижний угол"       6 "Снизу посередине"
//   7 "Свободно клеить сверху"     8 "Свободно клеить снизу"    (left free, kept inside)
//   9 "Свободно клеить слева"     10 "Свободно клеить справа"   (top free, kept inside)
//  11 "В середине рабочего стола"
#include <vector>

#include "classlib/core/geometry.h"
#include "classlib/core/monitors.h"

class TClockOptions;
class TMicroClock;

inline constexpr int kMicroClockPlacements = 12;
inline constexpr int kMicroClockMargin = 4;

// The window's new top-left corner for placement Index (another index reads as 0) in the
// work area Area; Window is the window's rectangle now.
TPoint MicroClockPlace(int Index, const TRect& Area, const TRect& Window);

// The work area of the monitor the window overlaps most, or, on none, of the one nearest
// to it; the fallback when there is no monitor.
TRect NearestWorkArea(const std::vector<TMonitorInfo>& Monitors, const TRect& Window, const TRect& Fallback);

// Gives the micro clock its stored kind, seconds, date, placement and colours and hides
// its countdown meter (at start, and by the settings window).
void ApplyMicroClockOptions(TClockOptions& Options, TMicroClock& Clock);
