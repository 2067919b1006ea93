// Typed input on the desktop: an alarm time that is no time is refused with a message and
// leaves the stored time and the tray's tip as they were; and the windows as they look
// after typing and switching (the spin edit's arrows, the disabled program edits, the
// hotkey box once switched on, the font dialog on the micro clock's font, the about box),
// saved as screenshots to look at.
#include <gtest/gtest.h>

#include <thread>

#include "clock_helpers.h"

namespace horavox::e2e {
namespace {
using namespace std::chrono_literals;

const char kRefused[] = "Неверное время будильника. Введите время в виде чч:мм:сс, от 00:00:00 до 23:59:59.";
const char kAlarmOn[] = "Включить";

std::string Stored(WineSession& wine, const std::string& name) {
  return Setting(wine.Reg({"query", std::string(kSettingsKey) + "\\Horavox"}).out, name);
}

// The refusal's message box: its text, then closed.
void ExpectRefusal(WineSession& wine, const std::string& screenshot = "") {
  ASSERT_EQ(wine.Ctl({"wait-window", "#32770", "10000"}).exit_code, 0) << "no message";
  EXPECT_EQ(wine.Ctl({"has-text", "#32770", kRefused}).out, "1\n");
  if (!screenshot.empty()) wine.Screenshot(screenshot);
  ASSERT_EQ(wine.Ctl({"close", "#32770"}).exit_code, 0);
  for (int i = 0; i < 50 && wine.Ctl({"wait-window", "#32770", "0"}).exit_code == 0; ++i)
    std::this_thread::sleep_for(100ms);
}

TEST(TypedInput, AnAlarmTimeThatIsNoTimeLeavesTheStoredTimeAndTheTipAsTheyWere) {
  WineSession wine;
  wine.Reg({"delete", kSettingsKey, "/f"});
  AddSetting(wine, "Trigger", "07:30:00");
  AddSetting(wine, "TriggerEnabled", "0");
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  std::this_thread::sleep_for(1500ms);
  RunResult tip = wine.Ctl({"tray-tip"});
  ASSERT_EQ(tip.exit_code, 0);

  // The panel, "25:99:99" over the time, "Включить": refused, the box unticked.
  ASSERT_EQ(wine.Ctl({"post-click", "TForm1", "Будильник выключен"}).exit_code, 0);
  std::this_thread::sleep_for(500ms);
  ASSERT_EQ(wine.Ctl({"type", "TForm1", "07:30:00", "25:99:99"}).exit_code, 0);
  EXPECT_EQ(wine.Ctl({"has-text", "TForm1", "25:99:99"}).out, "1\n");
  ASSERT_EQ(wine.Ctl({"check", "TForm1", kAlarmOn}).exit_code, 0);
  ExpectRefusal(wine, "input-alarm-refused");
  EXPECT_EQ(wine.Ctl({"checked", "TForm1", kAlarmOn}).out, "0\n");
  // The panel's button: refused again, the panel stays.
  ASSERT_EQ(wine.Ctl({"post-click", "TForm1", "Будильник выключен"}).exit_code, 0);
  ExpectRefusal(wine);
  EXPECT_EQ(wine.Ctl({"has-text", "TForm1", "25:99:99"}).out, "1\n");
  std::this_thread::sleep_for(1500ms);  // a tick or two of the hint
  EXPECT_EQ(wine.Ctl({"tray-tip"}).out, tip.out);
  EXPECT_EQ(Stored(wine, "Trigger"), "07:30:00");
  EXPECT_EQ(Stored(wine, "TriggerEnabled"), "0");

  // A time that is one: taken, kept and told.
  ASSERT_EQ(wine.Ctl({"type", "TForm1", "25:99:99", "07:45:00"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"check", "TForm1", kAlarmOn}).exit_code, 0);
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(wine.Ctl({"checked", "TForm1", kAlarmOn}).out, "1\n");
  ASSERT_EQ(wine.Ctl({"post-click", "TForm1", "Будильник выключен"}).exit_code, 0);
  std::this_thread::sleep_for(1500ms);
  EXPECT_NE(wine.Ctl({"wait-window", "#32770", "1000"}).exit_code, 0) << "a message for a time that is one";
  EXPECT_EQ(Stored(wine, "Trigger"), "07:45:00");
  EXPECT_EQ(Stored(wine, "TriggerEnabled"), "1");
  EXPECT_EQ(wine.Ctl({"tray-tip"}).out, "Часы: Будильник поставлен на: 07:45:00\n");

  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
}

// Screenshots to look at: input-settings-spin (the minutes typed, the arrows drawn),
// input-settings-timer (the program's edits disabled, grey), input-settings-hotkey (the
// hotkey box white once "Включить" is ticked), input-settings-font (the font dialog on
// the micro clock's font), input-about ("Хоравокс" sunken).
TEST(TypedInput, TheWindowsAsTheyLookAfterTyping) {
  WineSession wine;
  wine.Reg({"delete", kSettingsKey, "/f"});
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  std::this_thread::sleep_for(1s);
  ASSERT_EQ(wine.Ctl({"post-click", "TForm1", "Настройка"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm3", "10000"}).exit_code, 0);
  std::this_thread::sleep_for(500ms);

  // "Общие": 15 typed before the minutes' 1, then away to the next box.
  ASSERT_EQ(wine.Ctl({"type", "TForm3", "1", "2"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"keys", "tab"}).exit_code, 0);
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(wine.Ctl({"has-text", "TForm3", "21"}).out, "1\n");
  wine.Screenshot("input-settings-spin");

  // Ctrl+Tab to "Микрочасы": "Шрифт..." opens the font dialog.
  ASSERT_EQ(wine.Ctl({"keys", "ctrl", "tab"}).exit_code, 0);
  std::this_thread::sleep_for(300ms);
  ASSERT_EQ(wine.Ctl({"post-click", "TForm3", "Шрифт..."}).exit_code, 0);
  if (wine.Ctl({"wait-window", "#32770", "10000"}).exit_code == 0) {
    std::this_thread::sleep_for(700ms);
    wine.Screenshot("input-settings-font");
    wine.Ctl({"keys", "escape"});
    for (int i = 0; i < 50 && wine.Ctl({"wait-window", "#32770", "0"}).exit_code == 0; ++i)
      std::this_thread::sleep_for(100ms);
  } else {
    ADD_FAILURE() << "no font dialog";
  }

  // "Таймер": a signal as the end, so the program's edits are disabled.
  for (int i = 0; i < 2; ++i) ASSERT_EQ(wine.Ctl({"keys", "ctrl", "tab"}).exit_code, 0);
  std::this_thread::sleep_for(500ms);
  wine.Screenshot("input-settings-timer");

  // "Горячая клавиша": "Включить" ticked, the hotkey box usable at once.
  ASSERT_EQ(wine.Ctl({"keys", "ctrl", "tab"}).exit_code, 0);
  std::this_thread::sleep_for(300ms);
  ASSERT_EQ(wine.Ctl({"check", "TForm3", "Включить"}).exit_code, 0);
  std::this_thread::sleep_for(700ms);
  wine.Screenshot("input-settings-hotkey");
  ASSERT_EQ(wine.Ctl({"post-click", "TForm3", "Закрыть"}).exit_code, 0);
  std::this_thread::sleep_for(700ms);

  // The about box from the tray.
  ASSERT_EQ(wine.Ctl({"tray-click", "right"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"menu-click", "10", "8"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"wait-window", "TAboutBox", "10000"}).exit_code, 0);
  std::this_thread::sleep_for(700ms);
  wine.Screenshot("input-about");
  wine.Ctl({"close", "TAboutBox"});
  std::this_thread::sleep_for(500ms);

  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
}

}  // namespace
}  // namespace horavox::e2e
