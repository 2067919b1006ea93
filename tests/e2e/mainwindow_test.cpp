// The clock on the desktop: a shield-shaped window with its shadow and gradient over
// whatever lies behind, its LED clock showing the time; an icon in the notification area
// whose menu starts a countdown and opens the about box, and whose left click restores the
// window; autostart written by its option; a second start that only brings the first one
// forward; and the global hotkey that says the time while its option is on.
#include <gtest/gtest.h>

#include <signal.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

#include "clock_helpers.h"

namespace horavox::e2e {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char kRunKey[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string RunValue(WineSession& wine) {
  return Setting(wine.Reg({"query", kRunKey, "/v", "Hora Vox"}).out, "Hora Vox");
}

// A fresh start: no settings, no autostart value.
void Clean(WineSession& wine) {
  wine.Reg({"delete", kSettingsKey, "/f"});
  wine.Reg({"delete", kRunKey, "/v", "Hora Vox", "/f"});
}

// The main window's shield in its client area (560 × 459 at the origin: two ellipses
// meeting at the point (280, 454), scalloped at the shoulders, nothing above the top).
bool InShield(double x, double y) {
  const double w = 560, h = 459, e = std::floor(8 * h / 7);
  auto inEllipse = [](double x, double y, double cx, double cy, double rx, double ry) {
    double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1;
  };
  if (y < 0) return false;
  if (!inEllipse(x, y, 0, 0, w, e) || !inEllipse(x, y, w, 0, w, e)) return false;
  double cut = std::floor(h / 5);
  return !inEllipse(x, y, 0, 0, w / 2, cut) && !inEllipse(x, y, w, 0, w / 2, cut);
}

// 0 outside, 1 the shield, 2 its shadow (the shield moved by 6, 6) alone; -1 within
// Margin pixels of an outline, or near the top point, where the shoulders' arcs meet so closely
// that a pixel's rounding of the system's ellipses moves the outline by many.
int Place(int x, int y, int Margin) {
  if (y < 40 && x > 250 && x < 316) return -1;
  auto at = [](double x, double y) { return InShield(x, y) ? 1 : InShield(x - 6, y - 6) ? 2 : 0; };
  int place = at(x + 0.5, y + 0.5);
  for (int dy = -Margin; dy <= Margin; ++dy)
    for (int dx = -Margin; dx <= Margin; ++dx)
      if (at(x + dx + 0.5, y + dy + 0.5) != place) return -1;
  return place;
}

// The LED cells' picture of a text, as the control kit draws it.
std::vector<std::string> LedRows(WineSession& wine, const std::string& text) {
  RunResult r = wine.Ctl({"led", text});
  std::istringstream in(r.out);
  int width = 0, height = 0;
  in >> width >> height;
  std::vector<std::string> rows;
  for (std::string row; in >> row;) rows.push_back(row);
  EXPECT_EQ(static_cast<int>(rows.size()), height) << r.out;
  return rows;
}

std::string TimeText(std::chrono::system_clock::time_point t) {
  std::time_t seconds = std::chrono::system_clock::to_time_t(t);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[16];
  strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

TEST(MainWindow, TheShieldOverTheDesktopWithItsLedClock) {
  WineSession wine;
  Clean(wine);
  wine.FakeTimeFrom("2026-12-10 10:07:10");
  pid_t backdrop = wine.Start("tests/e2e/winctl.exe", {"backdrop", "ff00ff", "60000"});
  ASSERT_EQ(wine.Ctl({"wait-window", "HoravoxBackdrop", "20000"}).exit_code, 0);
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  std::this_thread::sleep_for(2s);
  Rect form = WindowRect(wine, "TForm1");
  EXPECT_EQ(form.right - form.left, 564);
  EXPECT_EQ(form.bottom - form.top, 463);

  auto before = wine.Now();
  std::string shot = wine.Screenshot("mainwindow-shield");
  auto after = wine.Now();
  Picture picture = ReadPicture(wine, shot);
  ASSERT_GT(picture.width, 0);
  auto pixel = [&](int x, int y) { return picture.At(form.left + x, form.top + y); };

  int counts[3] = {};
  for (int y = 0; y < 463; y += 3)
    for (int x = 0; x < 564; x += 3) {
      // The shadow is 6 pixels wide: it is looked at 1 pixel from its outlines.
      int place = Place(x, y, 3);
      if (place < 0 && Place(x, y, 1) == 2) place = 2;
      if (place < 0) continue;
      ++counts[place];
      unsigned c = pixel(x, y);
      if (place == 0) EXPECT_EQ(Hex(c), "ff00ff") << "outside the shield at " << x << "," << y;
      if (place == 1) EXPECT_NE(Hex(c), "ff00ff") << "the desktop shows in the shield at " << x << "," << y;
      if (place == 2) EXPECT_EQ(Hex(c), "c0c0c0") << "the shadow at " << x << "," << y;
      if (HasFailure()) return;
    }
  EXPECT_GT(counts[0], 1000);
  EXPECT_GT(counts[2], 50);
  for (auto [x, y] : {std::pair{140, 40}, {420, 40}, {2, 2}, {561, 2}, {2, 460}, {561, 460}})
    EXPECT_EQ(Hex(pixel(x, y)), "ff00ff") << x << "," << y;
  EXPECT_EQ(Hex(pixel(30, 140)), "b34c00") << "the gradient's band at 30,140";
  EXPECT_EQ(Hex(pixel(282, 428)), "12ed00") << "the gradient's band at 282,428";

  // The LED cells from (205, 132) show the time of the screenshot, give or take a second.
  bool matched = false;
  std::string shown;
  for (auto t = before - 1s; t <= after + 1s && !matched; t += 1s) {
    std::vector<std::string> rows = LedRows(wine, TimeText(t));
    bool same = !rows.empty();
    shown.clear();
    for (size_t y = 0; y < rows.size() && same; ++y)
      for (size_t x = 0; x * 6 < rows[y].size(); ++x) {
        std::string seen = Hex(pixel(205 + static_cast<int>(x), 132 + static_cast<int>(y)));
        if (rows[y].compare(x * 6, 6, seen) != 0) {
          same = false;
          break;
        }
      }
    matched = same;
  }
  EXPECT_TRUE(matched) << "the LED cells show none of the times from " << TimeText(before - 1s) << " to "
                       << TimeText(after + 1s);

  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
  kill(backdrop, SIGTERM);
  wine.Wait(backdrop, 5s);
}

TEST(MainWindow, TrayIconMenuCountdownAboutAndExit) {
  WineSession wine;
  Clean(wine);
  AddSetting(wine, "Trigger", "07:30:00");
  AddSetting(wine, "TriggerEnabled", "1");
  wine.FakeTimeFrom("2026-12-10 10:07:10");
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  std::this_thread::sleep_for(1s);
  EXPECT_EQ(wine.Ctl({"tray-icons"}).out, "1\n");

  // Minimised, the shield leaves the screen and comes back on the icon's left click.
  ASSERT_EQ(wine.Ctl({"click", "TForm1", "Свернуть"}).exit_code, 0);
  EXPECT_TRUE(Minimised(wine));
  EXPECT_TRUE(WaitShown(wine, "TForm1", false)) << "the shield stayed on screen";
  ASSERT_EQ(wine.Ctl({"tray-click", "left"}).exit_code, 0);
  EXPECT_TRUE(WaitShown(wine, "TForm1", true)) << "the icon's click did not bring the shield back";
  EXPECT_TRUE(Becomes(wine, {"iconic", "TApplication"}, "0")) << "the icon's click did not restore the window";

  // "Таймер" ▸ "На 5 минут": the LED blinks lime and green.
  ASSERT_EQ(wine.Ctl({"tray-click", "right"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"menu-click", "10", "7", "7", "0"}).exit_code, 0);
  Rect form = WindowRect(wine, "TForm1");
  std::set<std::string> led;
  Picture picture;
  // A screenshot takes about as long as a blink: the pauses between them differ.
  for (int i = 0; i < 8 && led.size() < 2; ++i) {
    picture = ReadPicture(wine, wine.Screenshot("mainwindow-countdown"));
    led.insert(Hex(picture.At(form.left + 111, form.top + 247)));
    std::this_thread::sleep_for(std::chrono::milliseconds(130 * (i + 1)));
  }
  EXPECT_TRUE(led.count("00ff00") && led.count("008000")) << "the countdown's LED does not blink";
  // The stop button (28 x 24 at 166, 236) shows its red square whole, centred: the glyph
  // 6 in and 4 down, its fill from 4 to 11.
  for (auto [x, y] : {std::pair{4, 4}, {8, 8}, {11, 11}, {11, 4}})
    EXPECT_EQ(Hex(picture.At(form.left + 166 + 6 + x, form.top + 236 + 4 + y)), "d00000")
        << "the stop button's glyph at " << x << "," << y;

  // "О программе": the about box comes up in front of the shield.
  ASSERT_EQ(wine.Ctl({"tray-click", "right"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"menu-click", "10", "8"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"wait-window", "TAboutBox", "10000"}).exit_code, 0);
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(wine.Ctl({"front", "TAboutBox"}).out, "1\n") << "the about box is behind";
  // Its picture is the JPEG made at build time, stretched over the 64 x 64 image at 16, 16.
  Picture about = ReadPicture(wine, wine.Screenshot("mainwindow-about"));
  Rect client = CtlRect(wine, "client-rect", "TAboutBox");
  std::string scaled = WineSession::ArtifactDir() + "/about-picture-expected.png";
  ASSERT_EQ(wine.Host({"convert", WineSession::WinBuildDir() + "/app/pictures/About.jpg", "-resize", "64x64!", scaled})
                .exit_code,
            0);
  Picture expected = ReadPicture(wine, scaled);
  ASSERT_EQ(expected.width, 64);
  double difference[3] = {};
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      unsigned shown = about.At(client.left + 16 + x, client.top + 16 + y), made = expected.At(x, y);
      for (int c = 0; c < 3; ++c) difference[c] += std::abs(int(shown >> (8 * c) & 255) - int(made >> (8 * c) & 255));
    }
  for (double d : difference) EXPECT_LT(d / (64 * 64), 12) << "the about box's picture differs from About.jpg";

  // "Выход" while the about box is open: it goes, then the clock ends once, cleanly.
  ASSERT_EQ(wine.Ctl({"tray-click", "right"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"menu-click", "10", "9"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
  EXPECT_EQ(wine.Ctl({"tray-icons"}).out, "0\n");
  EXPECT_EQ(CharacterFolder(), "") << "the characters' files stayed";
}

TEST(MainWindow, ASecondStartBringsTheFirstForwardAndTouchesNothing) {
  WineSession wine;
  Clean(wine);
  pid_t first = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  std::this_thread::sleep_for(1s);
  std::string folder = WaitForCharacterFolder(20s);
  ASSERT_FALSE(folder.empty());
  auto written = fs::last_write_time(folder + "/Angel.aal");
  std::string run = RunValue(wine);
  ASSERT_FALSE(run.empty());
  ASSERT_EQ(wine.Ctl({"click", "TForm1", "Свернуть"}).exit_code, 0);
  ASSERT_TRUE(Minimised(wine));
  EXPECT_TRUE(WaitShown(wine, "TForm1", false)) << "the shield stayed on screen";

  pid_t second = wine.Start("dist/Horavox.exe");
  EXPECT_EQ(wine.Wait(second, 5s), 0);
  EXPECT_TRUE(WaitShown(wine, "TForm1", true)) << "the second start did not bring the shield back";
  EXPECT_TRUE(Becomes(wine, {"iconic", "TApplication"}, "0")) << "the first clock was not restored";
  EXPECT_EQ(wine.Ctl({"tray-icons"}).out, "1\n");
  EXPECT_EQ(fs::last_write_time(folder + "/Angel.aal"), written) << "the second start wrote the characters";
  EXPECT_EQ(RunValue(wine), run);

  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(first, 20s), 0);
}

// Two starts at the same moment: the single-instance guard leaves exactly one clock, with
// one window and one icon; the other start ends by itself.
TEST(MainWindow, TwoStartsAtOnceLeaveOneClock) {
  WineSession wine;
  Clean(wine);
  ASSERT_EQ(wine.Ctl({"warm-up"}).exit_code, 0);  // Wine's own services are up: the starts race each other only
  pid_t starts[2] = {wine.Start("dist/Horavox.exe"), wine.Start("dist/Horavox.exe")};
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  int ended = -1;
  for (auto until = std::chrono::steady_clock::now() + 20s; ended < 0 && std::chrono::steady_clock::now() < until;)
    for (int i = 0; i < 2 && ended < 0; ++i)
      if (std::optional<int> code = wine.Wait(starts[i], 50ms)) {
        EXPECT_EQ(*code, 0);
        ended = i;
      }
  ASSERT_GE(ended, 0) << "both clocks run";
  EXPECT_FALSE(wine.Wait(starts[1 - ended], 2s)) << "no clock is left";
  EXPECT_EQ(wine.Ctl({"count", "TForm1"}).out, "1\n");
  EXPECT_EQ(wine.Ctl({"tray-icons"}).out, "1\n");
  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(starts[1 - ended], 20s), 0);
}

TEST(MainWindow, AutostartFollowsItsOption) {
  WineSession wine;
  Clean(wine);
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  std::string expected = WineSession::WindowsPath(Dist() + "/Horavox.exe");
  EXPECT_EQ(RunValue(wine), expected);
  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
  EXPECT_EQ(RunValue(wine), expected) << "the value went at exit";

  AddSetting(wine, "AutoRun", "0");
  clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  EXPECT_EQ(RunValue(wine), "") << "autostart off, the value stayed";
  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
}

// Ctrl+Alt+A says the time (no chime chosen: the words alone) while the hotkey's option is
// on, and nothing while it is off.
TEST(MainWindow, TheHotKeySaysTheTimeWhileItsOptionIsOn) {
  for (bool on : {true, false}) {
    WineSession wine;
    Clean(wine);
    AddSetting(wine, "HotKeyEnabled", on ? "1" : "0");
    AddSetting(wine, "Ring", "99");
    std::string capture = WineSession::ArtifactDir() + "/mainwindow-hotkey-capture.raw";
    fs::remove(capture);
    wine.CaptureSoundTo(capture);
    wine.FakeTimeFrom("2026-12-10 10:07:10");
    pid_t clock = wine.Start("dist/Horavox.exe");
    ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
    // On, the clock takes the key within a tick or two; off, the key stays free for others.
    if (on) {
      ASSERT_TRUE(Becomes(wine, {"grab-hotkey", "ctrl", "alt", "a"}, "0")) << "the clock did not take the hotkey";
    } else {
      std::this_thread::sleep_for(2s);
      ASSERT_EQ(wine.Ctl({"grab-hotkey", "ctrl", "alt", "a"}).out, "1\n") << "the clock took the hotkey while it is off";
    }
    ASSERT_EQ(wine.Ctl({"keys", "ctrl", "alt", "a"}).exit_code, 0);

    Bytes expected;
    for (const char* wav : {"10.wav", "chasov.wav", "7.wav", "minut.wav"}) {
      Bytes samples = WaveSamples(Dist() + "/Sounds/" + wav);
      expected.insert(expected.end(), samples.begin(), samples.end());
    }
    expected = Audible(expected);
    auto deadline = std::chrono::steady_clock::now() + (on ? 20s : 4s);
    while (Audible(ReadWholeFile(capture)).size() < expected.size() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(200ms);
    std::this_thread::sleep_for(1s);
    Bytes played = Audible(ReadWholeFile(capture));
    if (on) EXPECT_TRUE(played == expected) << "heard " << played.size() << " bytes, not the time's words";
    else EXPECT_TRUE(played.empty()) << "the hotkey spoke while its option is off";

    ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
    EXPECT_EQ(wine.Wait(clock, 20s), 0);
  }
}

}  // namespace
}  // namespace horavox::e2e
