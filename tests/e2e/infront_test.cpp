// Windows the clock opens stay usable while its stay-on-top shield is on screen: a click on
// the shield leaves the reminder calendar, the player and the player's open dialog in front
// of it.
#include <gtest/gtest.h>

#include <thread>

#include "clock_helpers.h"

namespace horavox::e2e {
namespace {
using namespace std::chrono_literals;

// A click on the shield's gradient (client points that are neither a control nor outside
// the shape) where the other window does not cover it; then whether that window is still
// in front.
bool InFrontAfterAClickOnTheShield(WineSession& wine, const std::string& cls) {
  Rect shield = WindowRect(wine, "TForm1"), other = WindowRect(wine, cls);
  for (auto [x, y] : {std::pair{280, 60}, {120, 110}, {440, 110}, {60, 200}, {500, 200}, {280, 430}}) {
    int sx = shield.left + x, sy = shield.top + y;
    if (sx >= other.left && sx < other.right && sy >= other.top && sy < other.bottom) continue;
    EXPECT_EQ(wine.Ctl({"click-at", "TForm1", std::to_string(x), std::to_string(y)}).exit_code, 0);
    std::this_thread::sleep_for(700ms);
    return wine.Ctl({"front", cls}).out == "1\n" && wine.Ctl({"above", cls, "TForm1"}).out == "1\n";
  }
  ADD_FAILURE() << cls << " covers the whole shield";
  return false;
}

// The clock from a fresh start, its shield on screen.
pid_t StartClock(WineSession& wine) {
  wine.Reg({"delete", kSettingsKey, "/f"});
  pid_t clock = wine.Start("dist/Horavox.exe");
  EXPECT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  std::this_thread::sleep_for(1s);
  return clock;
}

TEST(InFront, WindowsOpenedFromTheShieldStayInFrontOfItWhenItIsClicked) {
  WineSession wine;
  pid_t clock = StartClock(wine);

  OpenFromTray(wine, "2", "TForm4");  // "Календарик"
  EXPECT_EQ(wine.Ctl({"front", "TForm4"}).out, "1\n") << "the calendar came up behind the shield";
  EXPECT_TRUE(InFrontAfterAClickOnTheShield(wine, "TForm4")) << "the calendar went behind the shield";
  ASSERT_EQ(wine.Ctl({"close", "TForm4"}).exit_code, 0);
  ASSERT_TRUE(WaitShown(wine, "TForm4", false));
  // Opened again, Escape closes it as "Закрыть" does.
  OpenFromTray(wine, "2", "TForm4");
  ASSERT_EQ(wine.Ctl({"keys", "escape"}).exit_code, 0);
  EXPECT_TRUE(WaitShown(wine, "TForm4", false)) << "Escape did not close the calendar";

  OpenFromTray(wine, "5", "TForm5");  // "Мини плейер"
  EXPECT_TRUE(InFrontAfterAClickOnTheShield(wine, "TForm5")) << "the player went behind the shield";
  // Its open dialog ("Открыть", the glyph button at 247, 77).
  ASSERT_EQ(wine.Ctl({"button-at", "TForm5", "247", "77"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"wait-window", "#32770", "10000"}).exit_code, 0) << "no open dialog";
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(wine.Ctl({"front", "#32770"}).out, "1\n") << "the open dialog came up behind the shield";
  EXPECT_TRUE(InFrontAfterAClickOnTheShield(wine, "#32770")) << "the open dialog went behind the shield";
  ASSERT_EQ(wine.Ctl({"close", "#32770"}).exit_code, 0);
  ASSERT_TRUE(WaitShown(wine, "#32770", false));
  EXPECT_TRUE(InFrontAfterAClickOnTheShield(wine, "TForm5")) << "the player went behind the shield";
  // Escape closes the player, as its close box does.
  OpenFromTray(wine, "5", "TForm5");
  ASSERT_EQ(wine.Ctl({"keys", "escape"}).exit_code, 0);
  EXPECT_TRUE(WaitShown(wine, "TForm5", false)) << "Escape did not close the player";

  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
}

// "Благодарности" shows the credits over the about box; once they are answered ("OK" or
// Escape) the about box has the keyboard again: Escape then closes it.
TEST(InFront, TheAboutBoxHasTheKeyboardAgainAfterItsCredits) {
  WineSession wine;
  pid_t clock = StartClock(wine);
  OpenFromTray(wine, "8", "TAboutBox");  // "О программе"
  for (bool escape : {false, true}) {
    ASSERT_EQ(wine.Ctl({"post-click", "TAboutBox", "Благодарности"}).exit_code, 0);
    ASSERT_EQ(wine.Ctl({"wait-window", "TForm", "10000"}).exit_code, 0) << "no credits";
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(wine.Ctl({"active", "TForm1"}).out, "TForm\n");
    if (escape) ASSERT_EQ(wine.Ctl({"keys", "escape"}).exit_code, 0);
    else ASSERT_EQ(wine.Ctl({"post-click", "TForm", "ОК"}).exit_code, 0);
    ASSERT_TRUE(WaitShown(wine, "TForm", false)) << "the credits stayed";
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(wine.Ctl({"active", "TForm1"}).out, "TAboutBox\n") << (escape ? "Escape" : "OK");
  }
  ASSERT_EQ(wine.Ctl({"keys", "escape"}).exit_code, 0);
  EXPECT_TRUE(WaitShown(wine, "TAboutBox", false)) << "Escape did not close the about box";

  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
}

}  // namespace
}  // namespace horavox::e2e
