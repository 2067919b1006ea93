// The micro clock on the desktop: minimised with its option on, the clock shows it as the
// settings have it — text, LED digits or a dial — captionless and on top, at its place in
// the work area; closing the clock keeps that place.
#include <gtest/gtest.h>

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

  // Lime (and for the text, yellow) on black.
  Picture picture = ReadPicture(wine, wine.Screenshot("microclock-kind" + std::to_string(c.Kind)));
  int black = 0, lime = 0, yellow = 0;
  for (int y = window.top; y < window.bottom; ++y)
    for (int x = window.left; x < window.right; ++x) {
      std::string colour = Hex(picture.At(x, y));
      black += colour == "000000";
      lime += colour == "00ff00";
      yellow += colour == "ffff00";
    }
  if (c.Kind != 2) {
    EXPECT_GT(black, w * h / 3);
    EXPECT_GT(lime, 20);
  }
  if (c.Kind == 0) EXPECT_GT(yellow, 20);

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
