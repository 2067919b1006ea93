// The micro clock's place: the twelve placements on work areas at the origin, below a
// task bar and left of the primary monitor, half sizes of odd widths and heights, a manual
// place kept inside from each side, a window larger than the area; and which monitor's
// work area a window sticks to.
#include <gtest/gtest.h>

#include "app/microplace.h"

namespace horavox::test {
namespace {

struct TPlaceCase {
  const char* Name;
  int Index;
  TRect Area;
  TRect Window;
  TPoint Expected;
};

const TRect kArea = Rect(0, 0, 1024, 738);
const TRect kWindow = Bounds(300, 300, 100, 20);

class MicroPlaceTest : public ::testing::TestWithParam<TPlaceCase> {};

TEST_P(MicroPlaceTest, StandsWhereThePlacementSays) {
  const TPlaceCase& c = GetParam();
  TPoint p = MicroClockPlace(c.Index, c.Area, c.Window);
  EXPECT_EQ(p.X, c.Expected.X);
  EXPECT_EQ(p.Y, c.Expected.Y);
}

const TPlaceCase kCases[] = {
    {"Manual", 0, kArea, kWindow, {300, 300}},
    {"TopLeft", 1, kArea, kWindow, {4, 4}},
    {"TopRight", 2, kArea, kWindow, {920, 4}},
    {"TopCentre", 3, kArea, kWindow, {460, 4}},
    {"BottomLeft", 4, kArea, kWindow, {4, 714}},
    {"BottomRight", 5, kArea, kWindow, {920, 714}},
    {"BottomCentre", 6, kArea, kWindow, {460, 714}},
    {"StickTop", 7, kArea, kWindow, {300, 4}},
    {"StickBottom", 8, kArea, kWindow, {300, 714}},
    {"StickLeft", 9, kArea, kWindow, {4, 300}},
    {"StickRight", 10, kArea, kWindow, {920, 300}},
    {"Centre", 11, kArea, kWindow, {460, 357}},
    // Below a task bar at the top.
    {"BelowBarTopLeft", 1, Rect(0, 30, 1024, 738), kWindow, {4, 34}},
    {"BelowBarBottomRight", 5, Rect(0, 30, 1024, 738), kWindow, {920, 714}},
    {"BelowBarCentre", 11, Rect(0, 30, 1024, 738), kWindow, {460, 372}},
    // A monitor left of the primary one.
    {"LeftMonitorTopRight", 2, Rect(-1280, 0, 0, 1024), kWindow, {-104, 4}},
    {"LeftMonitorCentre", 11, Rect(-1280, 0, 0, 1024), kWindow, {-692, 500}},
    {"LeftMonitorStickTop", 7, Rect(-1280, 0, 0, 1024), Bounds(-2000, 100, 100, 20), {-1276, 4}},
    {"LeftMonitorManualStays", 0, Rect(-1280, 0, 0, 1024), Bounds(-500, 100, 100, 20), {-500, 100}},
    // Half sizes round up.
    {"OddAreaCentre", 11, Rect(0, 0, 1025, 739), kWindow, {461, 358}},
    {"OddWindowCentre", 11, kArea, Bounds(0, 0, 101, 21), {459, 356}},
    {"OddWindowTopCentre", 3, kArea, Bounds(0, 0, 101, 21), {459, 4}},
    // A manual place comes inside from each side.
    {"KeptFromRight", 0, kArea, Bounds(1000, 300, 100, 20), {920, 300}},
    {"KeptFromLeft", 0, kArea, Bounds(-50, 300, 100, 20), {4, 300}},
    {"KeptFromTop", 0, kArea, Bounds(300, -10, 100, 20), {300, 4}},
    {"KeptFromBottom", 0, kArea, Bounds(300, 730, 100, 20), {300, 714}},
    {"StickBottomKeptFromRight", 8, kArea, Bounds(2000, 0, 100, 20), {920, 714}},
    // Larger than the area: its top-left corner stays in.
    {"LargerThanArea", 0, kArea, Bounds(10, 10, 1100, 800), {4, 4}},
    {"LargerThanAreaStickLeft", 9, kArea, Bounds(10, 10, 1100, 800), {4, 4}},
    // An index out of range reads as the manual place.
    {"IndexPastTheList", 12, kArea, Bounds(1000, 300, 100, 20), {920, 300}},
    {"NegativeIndex", -1, kArea, kWindow, {300, 300}},
};

INSTANTIATE_TEST_SUITE_P(Placements, MicroPlaceTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TPlaceCase>& info) { return info.param.Name; });

// The primary monitor with a task bar at the bottom, a second one left of it.
const std::vector<TMonitorInfo> kTwoMonitors = {
    {Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 738)},
    {Rect(-1280, 0, 0, 1024), Rect(-1280, 0, 0, 1024)},
};
const TRect kFallback = Rect(0, 0, 800, 600);

TEST(MicroWorkAreaTest, TheMonitorTheWindowIsOnOrNearest) {
  struct {
    const char* Name;
    TRect Window;
    TRect Expected;
  } cases[] = {
      {"on the primary", Bounds(500, 100, 100, 20), kTwoMonitors[0].WorkArea},
      {"on the second", Bounds(-500, 100, 100, 20), kTwoMonitors[1].WorkArea},
      {"mostly on the second", Bounds(-60, 100, 100, 20), kTwoMonitors[1].WorkArea},
      {"right of every monitor", Bounds(2000, 100, 100, 20), kTwoMonitors[0].WorkArea},
      {"left of every monitor", Bounds(-1500, 50, 100, 20), kTwoMonitors[1].WorkArea},
      {"below the second", Bounds(-700, 1100, 100, 20), kTwoMonitors[1].WorkArea},
  };
  for (const auto& c : cases) EXPECT_EQ(NearestWorkArea(kTwoMonitors, c.Window, kFallback), c.Expected) << c.Name;
  EXPECT_EQ(NearestWorkArea({}, Bounds(0, 0, 100, 20), kFallback), kFallback);
}

TEST(MicroWorkAreaTest, APlaceOnNoMonitorComesIntoTheNearestAreaAndADraggedOneStays) {
  TRect lost = Bounds(3000, 900, 100, 20);
  TPoint p = MicroClockPlace(0, NearestWorkArea(kTwoMonitors, lost, kFallback), lost);
  EXPECT_EQ(p, (TPoint{920, 714}));
  TRect dragged = Bounds(-900, 500, 100, 20);
  EXPECT_EQ(MicroClockPlace(0, NearestWorkArea(kTwoMonitors, dragged, kFallback), dragged), dragged.TopLeft());
}

}  // namespace
}  // namespace horavox::test
