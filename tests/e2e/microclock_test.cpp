// The micro clock on the desktop: minimised with its option on, the clock shows it as the
// settings have it — text, LED digits or a dial, each told apart by what only it draws —
// captionless and on top, at its place in the work area; closing the clock keeps that place.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <thread>

#include "clock_helpers.h"

namespace horavox::e2e {
namespace {
using namespace std::chrono_literals;

struct TKindCase {
  int Kind;
  int Placement;
};

class MicroClock : public ::testing::TestWithParam<TKindCase> {};

TEST_P(MicroClock, ShownOnMinimiseAtItsPlaceAndKeptAtExit) {
  const TKindCase c = GetParam();
  WineSession wine;
  wine.Reg({"delete", kSettingsKey, "/f"});
  AddSetting(wine, "LittleClock", "1");
  AddSetting(wine, "DigitalMiniClock", std::to_string(c.Kind));
  AddSetting(wine, "SmallClockState", std::to_string(c.Placement));
  wine.FakeTimeFrom("2026-12-10 10:07:10");
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  std::this_thread::sleep_for(1s);

  ASSERT_EQ(wine.Ctl({"click", "TForm1", "Свернуть"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm2", "3000"}).exit_code, 0) << "no micro clock within 3 s";
  EXPECT_TRUE(WaitShown(wine, "TForm1", false)) << "the shield stayed on screen beside the micro clock";
  std::this_thread::sleep_for(1500ms);  // a tick or two
  EXPECT_EQ(wine.Ctl({"styles", "TForm2"}).out, "captionless topmost\n");
  Rect window = WindowRect(wine, "TForm2");
  Rect area = CtlRect(wine, "workarea", "TForm2");
  int w = window.right - window.left, h = window.bottom - window.top;
  ASSERT_GT(w, 0);
  ASSERT_GT(h, 0);
  auto halfUp = [](int n) { return n - n / 2; };
  switch (c.Placement) {
    case 5:
      EXPECT_EQ(window.right, area.right - 4);
      EXPECT_EQ(window.bottom, area.bottom - 4);
      break;
    case 1:
      EXPECT_EQ(window.left, area.left + 4);
      EXPECT_EQ(window.top, area.top + 4);
      break;
    case 11:
      EXPECT_EQ(window.left, area.left + halfUp(area.right - area.left - 4) - halfUp(w));
      EXPECT_EQ(window.top, area.top + halfUp(area.bottom - area.top - 4) - halfUp(h));
      break;
  }

  // What only its kind draws: the text, lime time and yellow date on black; the LED
  // digits, lime on black in the LED clock's 153 x 28 and no date; the dial, a 50 x 50
  // square (the dial's size) with its twelve hour marks, 2 x 2 lime blocks on its circle.
  Picture picture = ReadPicture(wine, wine.Screenshot("microclock-kind" + std::to_string(c.Kind)));
  auto colour = [&](int x, int y) { return Hex(picture.At(window.left + x, window.top + y)); };
  int black = 0, lime = 0, yellow = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::string at = colour(x, y);
      black += at == "000000";
      lime += at == "00ff00";
      yellow += at == "ffff00";
    }
  switch (c.Kind) {
    case 0:
      EXPECT_GT(black, w * h / 3);
      EXPECT_GT(lime, 20);
      EXPECT_GT(yellow, 20) << "no date";
      break;
    case 1:
      EXPECT_EQ(w, 153);
      EXPECT_EQ(h, 28);
      EXPECT_GT(black, w * h / 3);
      EXPECT_GT(lime, 20);
      EXPECT_EQ(yellow, 0) << "a date shows";
      break;
    case 2: {
      EXPECT_EQ(w, 50);
      EXPECT_EQ(h, 50);
      EXPECT_EQ(yellow, 0) << "a date shows";
      auto limeBlock = [&](int x, int y) {
        return colour(x, y) == "00ff00" && colour(x + 1, y) == "00ff00" && colour(x, y + 1) == "00ff00" &&
               colour(x + 1, y + 1) == "00ff00";
      };
      int marks = 0;
      for (int hour = 0; hour < 12; ++hour) {
        // Outside the hands' reach (80 % of the radius), near the face's edge.
        double angle = hour * std::numbers::pi / 6;
        bool found = false;
        for (double r = w / 2.0 - 6; r < w / 2.0 && !found; r += 0.5)
          for (int d = -4; d < 16 && !found; ++d)
            found = limeBlock(static_cast<int>(std::lround(w / 2.0 + r * std::sin(angle))) + d % 4 - 2,
                              static_cast<int>(std::lround(h / 2.0 - r * std::cos(angle))) + d / 4 - 1);
        marks += found;
        EXPECT_TRUE(found) << "no hour mark at " << hour << " o'clock";
      }
      EXPECT_EQ(marks, 12);
      break;
    }
  }

  // The icon's left click brings the shield back in the micro clock's place.
  ASSERT_EQ(wine.Ctl({"tray-click", "left"}).exit_code, 0);
  EXPECT_TRUE(WaitShown(wine, "TForm1", true)) << "the icon's click did not bring the shield back";
  EXPECT_TRUE(WaitShown(wine, "TForm2", false)) << "the micro clock stayed";

  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
  std::string listing = wine.Reg({"query", std::string(kSettingsKey) + "\\Horavox"}).out;
  EXPECT_EQ(Setting(listing, "Form2State1"), std::to_string(window.left));
  EXPECT_EQ(Setting(listing, "Form2State2"), std::to_string(window.top));
}

// A clock closed while minimised starts minimised: the micro clock alone on screen, and the
// shield back on the icon's left click.
TEST(MicroClockAtStart, AClockClosedMinimisedStartsWithTheMicroClockAlone) {
  WineSession wine;
  wine.Reg({"delete", kSettingsKey, "/f"});
  AddSetting(wine, "LittleClock", "1");
  AddSetting(wine, "FormTray", "1");
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm2", "20000"}).exit_code, 0) << "no micro clock";
  EXPECT_TRUE(WaitShown(wine, "TForm1", false)) << "the shield is on screen beside the micro clock";
  EXPECT_TRUE(Minimised(wine));
  ASSERT_EQ(wine.Ctl({"tray-click", "left"}).exit_code, 0);
  EXPECT_TRUE(WaitShown(wine, "TForm1", true)) << "the icon's click did not bring the shield back";
  EXPECT_TRUE(WaitShown(wine, "TForm2", false)) << "the micro clock stayed";
  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MicroClock, ::testing::Values(TKindCase{0, 5}, TKindCase{1, 1}, TKindCase{2, 11}),
                         [](const ::testing::TestParamInfo<TKindCase>& info) {
                           return "Kind" + std::to_string(info.param.Kind) + "At" +
                                  std::to_string(info.param.Placement);
                         });

}  // namespace
}  // namespace horavox::e2e
