// The clock's arithmetic: hands and their kites on the dial, the screen's aspect, the face,
// the brightened mark edge, the digital texts, the automatic font and the daily alarm.
#include "gridcal/gxclockmath.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(GxClockMath, HandsStandOnTheDialsPoints) {
  struct TCase {
    int Hour, Minute, Position;
  };
  const std::vector<TCase> cases = {{3, 59, 19}, {11, 59, 59}, {0, 0, 0}, {12, 30, 2}, {23, 11, 55}, {15, 12, 16}};
  for (const TCase& c : cases) EXPECT_EQ(HourHandPosition(c.Hour, c.Minute), c.Position) << c.Hour << ":" << c.Minute;
}

TEST(GxClockMath, KitesWrapRoundTheDial) {
  const TGxDial dial = MakeDial({});
  const TPoint centre{100, 100};
  // At 59 the side and tail points are 14, 29 and 44, never past the table.
  const auto kite = HandKite(dial, 59, centre, 8000, 80, 5, 20);
  EXPECT_EQ(kite[0], DialPoint(dial, 59, centre, 6400));
  EXPECT_EQ(kite[1], DialPoint(dial, 14, centre, 400));
  EXPECT_EQ(kite[2], DialPoint(dial, 29, centre, 1600));
  EXPECT_EQ(kite[3], DialPoint(dial, 44, centre, 400));
  EXPECT_EQ(DialPoint(dial, -1, centre, 8000), DialPoint(dial, 59, centre, 8000));
}

TEST(GxClockMath, TheDialIsScaledByTheScreensAspect) {
  const TGxDial round = MakeDial({});
  EXPECT_EQ(round[0], (TPoint{0, -7999}));
  EXPECT_EQ(round[15], (TPoint{8000, 0}));
  EXPECT_EQ(round[30], (TPoint{0, 8000}));
  EXPECT_EQ(round[45], (TPoint{-8000, 0}));
  EXPECT_EQ(round[5], (TPoint{4000, -6928}));
  // 1280 × 1024 on 320 × 240 mm: 400 across, 426 down per 100 mm.
  const TGxAspect aspect = ScreenAspect(1280, 320, 1024, 240);
  EXPECT_EQ(aspect.H, 400);
  EXPECT_EQ(aspect.V, 426);
  const TGxDial tall = MakeDial(aspect);
  EXPECT_EQ(tall[30], (TPoint{0, 8520}));
  EXPECT_EQ(tall[15], (TPoint{8000, 0}));
  // A display without a physical size is taken as square.
  for (const TGxAspect& a : {ScreenAspect(1024, 0, 768, 0), ScreenAspect(0, 0, 0, 0), ScreenAspect(1024, 270, 768, 0)}) {
    EXPECT_EQ(a.V, 1);
    EXPECT_EQ(a.H, 1);
  }
}

TEST(GxClockMath, TheFaceIsSquareInScreenProportions) {
  EXPECT_EQ(FaceRect(Rect(2, 2, 168, 168), {}), Rect(2, 2, 168, 168));
  EXPECT_EQ(FaceRect(Rect(0, 0, 200, 100), {}), Rect(50, 0, 150, 100));
  EXPECT_EQ(FaceRect(Rect(0, 0, 100, 160), {}), Rect(0, 30, 100, 130));
  EXPECT_EQ(FaceRect(Rect(0, 0, 100, 200), {2, 1}), Rect(0, 0, 100, 200));
  const TGxFaceMetrics m = FaceMetrics(Rect(0, 0, 170, 170), 1024, {});
  EXPECT_EQ(m.MarkWidth, 4);
  EXPECT_EQ(m.MarkHeight, 4);
  EXPECT_EQ(m.Radius, 83);
  EXPECT_EQ(m.Centre, (TPoint{85, 85}));
  const TGxFaceMetrics tiny = FaceMetrics(Rect(0, 0, 10, 10), 1024, {});
  EXPECT_EQ(tiny.MarkWidth, 2) << "marks are at least 2 wide";
  EXPECT_EQ(FaceMetrics(Rect(0, 0, 10, 10), 1024, {1, 4}).MarkHeight, 1) << "and at least 1 high";
}

TEST(GxClockMath, TheBrightenedEdgeNeverWrapsAByte) {
  const std::uint32_t highlight = 0xFFFFFF;
  struct TCase {
    std::uint32_t Colour, Edge;
  };
  const std::vector<TCase> cases = {
      {0x808000, 0xFFFF00},  // teal: 128 + 127 each
      {0xC0C0C0, 0xFFFFFF},  // 192 becomes 255
      {0xC8C8C8, 0xFFFFFF},  // 200 + 127 is held at 255
      {0x000080, 0x0000FF},
      {0x102030, 0x8F9FAF},
      {0x00FF00, highlight},  // a part already at 255: the system's highlight
  };
  for (const TCase& c : cases) EXPECT_EQ(BrightenedEdge(c.Colour, highlight), c.Edge) << std::hex << c.Colour;
}

TEST(GxClockMath, DigitalTexts) {
  struct TCase {
    int Hour, Minute, Second;
    bool Seconds, Twelve, Zero;
    const char* Text;
  };
  const std::vector<TCase> cases = {
      {13, 5, 9, false, true, false, "1:05 PM"}, {0, 5, 0, false, true, true, "12:05 AM"},
      {12, 0, 0, false, true, false, "12:00 PM"}, {9, 5, 7, true, false, true, "09:05:07"},
      {9, 5, 7, true, false, false, "9:05:07"},   {23, 59, 59, false, false, true, "23:59"},
      {11, 0, 30, true, true, true, "11:00:30 AM"},
  };
  for (const TCase& c : cases) {
    TGxClockFormat f;
    f.ShowSeconds = c.Seconds;
    f.TwelveHour = c.Twelve;
    f.LeadingZero = c.Zero;
    EXPECT_EQ(ClockText(c.Hour, c.Minute, c.Second, f), c.Text);
  }
  TGxClockFormat dotted;
  dotted.TimeSeparator = '.';
  EXPECT_EQ(ClockText(7, 30, 0, dotted), "07.30.00");
}

TEST(GxClockMath, TheAutomaticFontFitsTheAreaAndIsNeverZero) {
  TGxClockFormat f;
  EXPECT_EQ(AutoSizeSample(f), "88888888");
  f.ShowSeconds = false;
  f.TwelveHour = true;
  f.AMString = "AM";
  f.PMString = "p.m.";
  EXPECT_EQ(AutoSizeSample(f), "88888 p.m.");
  // 200 × 60: min(56 × 4 / 5, 1000 × 170 / 4000) = min(44, 42).
  EXPECT_EQ(AutoFontHeight(200, 60, 4000), 42);
  EXPECT_EQ(AutoFontHeight(1000, 60, 4000), 44);
  EXPECT_EQ(AutoFontHeight(20, 60, 4000), 1) << "narrower than the margin";
  EXPECT_EQ(AutoFontHeight(200, 3, 4000), 1);
  EXPECT_EQ(AutoFontHeight(200, 60, 0), 44) << "a sample without width";
}

TEST(GxClockMath, TheAlarmFiresOnceADay) {
  auto at = [](int H, int M, int S) { return H * 3600 + M * 60 + S; };
  struct TStep {
    int Now;
    bool Fires;
  };
  auto run = [&](int Alarm, int SetAt, const std::vector<TStep>& Steps) {
    TGxAlarmState alarm;
    alarm.SetAlarm(Alarm, SetAt);
    for (const TStep& s : Steps) EXPECT_EQ(alarm.Tick(s.Now), s.Fires) << "alarm " << Alarm << ", now " << s.Now;
  };
  run(at(7, 30, 0), at(6, 0, 0),
      {{at(7, 29, 59), false}, {at(7, 30, 0), true}, {at(7, 30, 30), false}, {at(7, 31, 0), false},
       {at(23, 59, 59), false}, {at(0, 0, 0), false}, {at(7, 30, 5), true}, {at(7, 30, 6), false}});
  run(at(7, 30, 30), at(6, 0, 0), {{at(7, 30, 29), false}, {at(7, 30, 31), true}, {at(7, 30, 59), false}});
  // Set after its time it waits for tomorrow.
  run(at(7, 30, 0), at(8, 0, 0), {{at(7, 30, 10), false}, {at(8, 0, 1), false}, {at(0, 0, 1), false},
                                  {at(7, 30, 0), true}});
  // Midnight: in the first minute of every day.
  run(0, at(12, 0, 0), {{at(0, 0, 0), true}, {at(0, 0, 40), false}, {at(0, 1, 0), false}, {at(23, 0, 0), false},
                        {at(0, 0, 3), true}});
}

}  // namespace
