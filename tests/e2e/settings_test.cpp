// The settings window on the desktop: "Настройка" on the main window and "Опции..." in the
// tray open it; a change on each page is in the registry at once; the clock, killed and
// started again, shows every change and acts on it: quiet hours keep the time unspoken
// (the hotkey, the clock's, still says it), and minimised it shows the LED micro clock.
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <sstream>
#include <thread>

#include "clock_helpers.h"

namespace horavox::e2e {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char kQuiet[] = "Не издавать никаких звуков";
const char kSpeaker[] = "Встроенный динамик";
const char kDigital[] = "Цифровые";
const char kSheep[] = "Овечка";
const char kProgram[] = "Запустить программу";
const char kHotKeyOn[] = "Включить";

void OpenSettings(WineSession& wine) {
  ASSERT_EQ(wine.Ctl({"post-click", "TForm1", "Настройка"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm3", "10000"}).exit_code, 0) << "no settings window";
  EXPECT_EQ(wine.Ctl({"text", "TForm3"}).out, "Настройки\n");
  std::this_thread::sleep_for(500ms);
}

void CloseSettings(WineSession& wine) {
  ASSERT_EQ(wine.Ctl({"post-click", "TForm3", "Закрыть"}).exit_code, 0);
  for (int i = 0; i < 50 && wine.Ctl({"visible", "TForm3"}).out == "1\n"; ++i) std::this_thread::sleep_for(100ms);
  EXPECT_EQ(wine.Ctl({"visible", "TForm3"}).out, "0\n");
}

std::string Checked(WineSession& wine, const std::string& caption) {
  return wine.Ctl({"checked", "TForm3", caption}).out;
}

// The property storage's lines as one text, a blank between them.
std::string StorageLines(WineSession& wine) {
  std::istringstream listing(wine.Reg({"query", std::string(kSettingsKey) + "\\HotKey"}).out);
  std::string text;
  for (std::string line; std::getline(listing, line);) {
    size_t at = line.find("REG_SZ");
    if (at == std::string::npos) continue;
    size_t start = line.find_first_not_of(' ', at + 6), end = line.find_last_not_of(" \r");
    if (start != std::string::npos && end >= start) text += (text.empty() ? "" : " ") + line.substr(start, end + 1 - start);
  }
  return text;
}

TEST(Settings, OpenedFromTheTrayToo) {
  WineSession wine;
  wine.Reg({"delete", kSettingsKey, "/f"});
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  std::this_thread::sleep_for(1s);
  // "Настройка" ▸ "Опции...".
  ASSERT_EQ(wine.Ctl({"tray-click", "right"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"menu-click", "10", "1", "4", "0"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm3", "10000"}).exit_code, 0) << "no settings window from the tray";
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(wine.Ctl({"front", "TForm3"}).out, "1\n") << "the settings window is behind";
  EXPECT_EQ(Checked(wine, "Автоматически говорить время"), "1\n");
  wine.Screenshot("settings-general");
  CloseSettings(wine);
  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
}

TEST(Settings, EachPagesChangeIsStoredAtOnceAndActsAfterARestart) {
  WineSession wine;
  wine.Reg({"delete", kSettingsKey, "/f"});
  wine.FakeTimeFrom("2026-12-10 10:07:10");
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  std::this_thread::sleep_for(1s);
  OpenSettings(wine);

  // "Общие": quiet hours from 14:30 to 16:00, the signals on the PC speaker.
  ASSERT_EQ(wine.Ctl({"type", "TForm3", "22:00", "1430"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"type", "TForm3", "06:00", "1600"}).exit_code, 0);
  EXPECT_EQ(wine.Ctl({"has-text", "TForm3", "14:30"}).out, "1\n");
  EXPECT_EQ(wine.Ctl({"has-text", "TForm3", "16:00"}).out, "1\n");
  for (const char* caption : {kQuiet, kSpeaker, kDigital, kProgram, kHotKeyOn})
    ASSERT_EQ(wine.Ctl({"check", "TForm3", caption}).exit_code, 0) << caption;
  ASSERT_EQ(wine.Ctl({"choose", "TForm3", kSheep}).exit_code, 0);
  std::this_thread::sleep_for(1s);
  for (const char* caption : {kQuiet, kSpeaker, kDigital, kProgram, kHotKeyOn})
    EXPECT_EQ(Checked(wine, caption), "1\n") << caption;
  wine.Screenshot("settings-changed");

  // In the registry while the window is still open.
  std::string listing = wine.Reg({"query", std::string(kSettingsKey) + "\\Horavox"}).out;
  EXPECT_EQ(Setting(listing, "DigitalMiniClock"), "1");
  EXPECT_EQ(Setting(listing, "AssistantSelect"), "2");
  EXPECT_EQ(Setting(listing, "HotKeyEnabled"), "1");
  EXPECT_EQ(Setting(listing, "ShowTimerHint"), "0");
  std::string lines = StorageLines(wine);
  for (const char* text : {"object MaskEdit1: TMaskEdit Text = '14:30' end",
                           "object MaskEdit2: TMaskEdit Text = '16:00' end",
                           "object CheckBox16: TCheckBox Checked = True end",
                           "object RadioGroup5: TRadioGroup ItemIndex = 1 end",
                           "object RadioGroup3: TRadioGroup ItemIndex = 2 end"})
    EXPECT_NE(lines.find(text), std::string::npos) << text << " not in\n" << lines;

  // Killed with the window open: nothing is saved at its close.
  kill(clock, SIGKILL);
  wine.Wait(clock, 10s);

  wine.FakeTimeFrom("2026-12-10 14:59:50");
  std::string capture = WineSession::ArtifactDir() + "/settings-quiet-capture.raw";
  fs::remove(capture);
  wine.CaptureSoundTo(capture);
  clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  std::this_thread::sleep_for(1s);
  // The clock holds Ctrl+Alt+A: no other program gets it (another combination, it does).
  EXPECT_EQ(wine.Ctl({"grab-hotkey", "ctrl", "alt", "a"}).out, "0\n");
  EXPECT_EQ(wine.Ctl({"grab-hotkey", "ctrl", "alt", "t"}).out, "1\n");

  OpenSettings(wine);
  for (const char* caption : {kQuiet, kSpeaker, kDigital, kProgram, kHotKeyOn})
    EXPECT_EQ(Checked(wine, caption), "1\n") << caption;
  EXPECT_EQ(wine.Ctl({"chosen", "TForm3", kSheep}).out, std::string(kSheep) + "\n");
  EXPECT_EQ(wine.Ctl({"has-text", "TForm3", "14:30"}).out, "1\n");
  EXPECT_EQ(wine.Ctl({"has-text", "TForm3", "16:00"}).out, "1\n");
  CloseSettings(wine);

  // Nothing spoken at 15:00:05; the hotkey then says the time (the first melody, the
  // default, before the words), so the capture did hear what there was.
  while (wine.Now() < WineSession::LocalTime("2026-12-10 15:00:15")) std::this_thread::sleep_for(200ms);
  EXPECT_TRUE(Audible(ReadWholeFile(capture)).empty()) << "the time was spoken in the quiet hours";
  ASSERT_EQ(wine.Ctl({"keys", "ctrl", "alt", "a"}).exit_code, 0);
  Bytes said = AudibleSounds({"Ring/Колокольчик.wav", "Sounds/15.wav", "Sounds/chasov.wav", "Sounds/rovno.wav"});
  HearAtLeast(capture, said.size(), 20s);
  EXPECT_TRUE(HearUntilQuiet(capture, 1s, 10s) == said) << "the hotkey did not say the time: the capture is wrong";

  // Minimised: the LED digits.
  ASSERT_EQ(wine.Ctl({"click", "TForm1", "Свернуть"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm2", "3000"}).exit_code, 0) << "no micro clock";
  std::this_thread::sleep_for(1500ms);
  Rect window = WindowRect(wine, "TForm2");
  Picture picture = ReadPicture(wine, wine.Screenshot("settings-microclock"));
  int lime = 0, yellow = 0;
  for (int y = window.top; y < window.bottom; ++y)
    for (int x = window.left; x < window.right; ++x) {
      std::string colour = Hex(picture.At(x, y));
      lime += colour == "00ff00";
      yellow += colour == "ffff00";
    }
  EXPECT_GE(window.right - window.left, 150) << "not the LED clock's width";
  EXPECT_GT(lime, 20);
  EXPECT_EQ(yellow, 0) << "the date's label shows";

  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
}

}  // namespace
}  // namespace horavox::e2e
