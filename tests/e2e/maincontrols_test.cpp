// The main window's own controls and the tray, used as a user uses them on the running
// clock, on one start a little before half past seven: a melody picked in the list and the
// talk interval set on its bar are kept; the alarm set on its panel rings that melody at
// its second, the tray's tip and menu tell of it, and its switch-off button silences it;
// the timer's presets in the tray's menu each name their minutes in the tip and grey
// themselves; "Время" says the time after the melody; the calculator from the tray adds;
// and the countdown bar set to a minute and started rings at the end of that minute.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "clock_helpers.h"

namespace horavox::e2e {
namespace {
using namespace std::chrono_literals;

const char kAlarmTip[] = "Часы: Будильник поставлен на: 07:30:00";
const char kAlarmOff[] = "Выключить сигнал будильника";
const char kCountdownOff[] = "Выключить сигнал таймера";

std::string Settings(WineSession& wine) { return wine.Reg({"query", std::string(kSettingsKey) + "\\Horavox"}).out; }

// The timer's presets in the tray's "Таймер" submenu and the minutes each one sets.
struct Preset {
  const char* Caption;
  int Minutes;
};
const Preset kPresets[] = {{"На 5 минут", 5},   {"На 10 минут", 10}, {"На 15 минут", 15},
                           {"На 30 минут", 30}, {"На 45 минут", 45}, {"На 1 час", 60}};

TEST(MainControls, AlarmPresetsSayTimeCalculatorAndCountdownThroughTheWindowAndTheTray) {
  WineSession wine;
  wine.Reg({"delete", kSettingsKey, "/f"});
  // The character stands away from the tray's icon and menu, which it would cover.
  AddSetting(wine, "ActorLeft", "1000");
  AddSetting(wine, "ActorTop", "700");
  std::string capture = WineSession::ArtifactDir() + "/maincontrols-capture.raw";
  std::filesystem::remove(capture);
  wine.CaptureSoundTo(capture);
  wine.FakeTimeFrom("2026-12-10 07:29:40");
  pid_t clock = wine.Start("dist/Horavox.exe");
  auto rang = Listen(wine, capture, {0}, 60s);
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);

  // The second melody, "Кукушка", picked in the list.
  ASSERT_EQ(wine.Ctl({"choose", "TForm1", "Кукушка.wav"}).exit_code, 0);

  // "Будильник": the panel opens with the stored 06:00:00; 07:30:00 typed, "Включить"
  // ticked (the time is then fixed), and the panel closed by the same button.
  ASSERT_EQ(wine.Ctl({"click", "TForm1", "Будильник выключен"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"type", "TForm1", "06:00:00", "073000"}).exit_code, 0);
  ASSERT_TRUE(Becomes(wine, {"has-text", "TForm1", "07:30:00"}, "1")) << "the typed time is not shown";
  ASSERT_EQ(wine.Ctl({"check", "TForm1", "Включить"}).exit_code, 0);
  ASSERT_TRUE(Becomes(wine, {"checked", "TForm1", "Включить"}, "1"));
  ASSERT_EQ(wine.Ctl({"click", "TForm1", "Будильник выключен"}).exit_code, 0);
  EXPECT_EQ(wine.Ctl({"has-text", "TForm1", "Будильник включен"}).out, "1\n");
  EXPECT_EQ(wine.Ctl({"shown", "TForm1", "Включить"}).out, "0\n") << "the panel stayed open";
  std::string settings = Settings(wine);
  EXPECT_EQ(Setting(settings, "Ring"), "1");
  EXPECT_EQ(Setting(settings, "Trigger"), "07:30:00");
  EXPECT_EQ(Setting(settings, "TriggerEnabled"), "1");
  ASSERT_LT(wine.Now(), WineSession::LocalTime("2026-12-10 07:29:59")) << "too slow: the alarm was set too late";
  EXPECT_EQ(TrayTip(wine, kAlarmTip), kAlarmTip);

  // At 07:30:00 the melody rings; the switch-off button shows, and the tray's first item
  // switches it off too.
  Bytes cuckoo = ExpectedSamples(Dist() + "/Ring/Кукушка.wav");
  std::vector<TimePoint> heard = rang.get();
  ASSERT_EQ(heard.size(), 1u) << "the alarm was not heard";
  ExpectInSecond(heard[0], LeadingSilence(cuckoo), "2026-12-10 07:30:00");
  Bytes melody = Audible(cuckoo);
  Bytes played = HearAtLeast(capture, melody.size(), 10s);
  ASSERT_GE(played.size(), melody.size());
  EXPECT_TRUE(std::equal(melody.begin(), melody.end(), played.begin())) << "the alarm did not ring the chosen melody";
  EXPECT_TRUE(Becomes(wine, {"shown", "TForm1", kAlarmOff}, "1"));
  std::this_thread::sleep_for(700ms);  // the tray's first item follows within half a second
  wine.Screenshot("maincontrols-alarm");
  EXPECT_EQ(TrayTip(wine, kAlarmTip), kAlarmTip);
  auto items = TrayMenuItems(wine);
  EXPECT_EQ(items["0"].caption, kAlarmOff);
  EXPECT_TRUE(items["0"].enabled);
  ASSERT_EQ(wine.Ctl({"click", "TForm1", kAlarmOff}).exit_code, 0);
  auto switchedOff = std::chrono::steady_clock::now();
  EXPECT_EQ(wine.Ctl({"shown", "TForm1", kAlarmOff}).out, "0\n");
  // The melody plays to its end, then nothing more comes (checked after the presets).
  Bytes afterAlarm = HearUntilQuiet(capture, 1500ms, 15s);

  // The tray's timer presets, the character gone (it may have wandered over the menu, and
  // while it leaves the clock drops clicks): each names its minutes in the tip, greys the
  // presets and enables "Остановить", which puts everything back. The first time, the
  // whole menu is read.
  EXPECT_TRUE(Gone(wine, "TAssistantStage", 10s));
  for (size_t i = 0; i < std::size(kPresets); ++i) {
    SCOPED_TRACE(kPresets[i].Caption);
    ASSERT_EQ(wine.Ctl({"tray-click", "right"}).exit_code, 0);
    ASSERT_EQ(wine.Ctl({"menu-click", "10", "7", "7", std::to_string(i)}).exit_code, 0);
    std::string tip = "Часы: Таймер: осталось " + std::to_string(kPresets[i].Minutes) + " мин. Будильник на: 07:30:00";
    EXPECT_EQ(TrayTip(wine, tip), tip);
    if (i == 0) {
      items = TrayMenuItems(wine);
      const std::pair<const char*, MenuItem> expected[] = {
          {"0", {true, false, "Сказать время"}},
          {"1", {true, false, "Настройка"}},
          {"1.0", {true, false, "Опции..."}},
          {"1.1", {true, true, "Автоматически говорить время"}},
          {"1.2", {true, false, "Вид микрочасов"}},
          {"1.2.0", {true, true, "Маленькие"}},
          {"1.2.1", {true, false, "Цифровые"}},
          {"1.2.2", {true, false, "Аналоговые"}},
          {"1.3", {true, true, "Поверх всех окон"}},
          {"2", {true, false, "Календарик"}},
          {"3", {true, false, "Калькулятор"}},
          {"4", {true, false, "Записки"}},
          {"5", {true, false, "Мини плейер"}},
          {"7", {true, false, "Таймер"}},
          {"7.0", {false, false, "На 5 минут"}},
          {"7.1", {false, false, "На 10 минут"}},
          {"7.2", {false, false, "На 15 минут"}},
          {"7.3", {false, false, "На 30 минут"}},
          {"7.4", {false, false, "На 45 минут"}},
          {"7.5", {false, false, "На 1 час"}},
          {"7.6", {true, false, "Остановить"}},
          {"8", {true, false, "О программе"}},
          {"9", {true, false, "Выход"}},
      };
      for (const auto& [at, item] : expected) {
        EXPECT_EQ(items[at].caption, item.caption) << "item " << at;
        EXPECT_EQ(items[at].enabled, item.enabled) << "item " << at << " " << item.caption;
        EXPECT_EQ(items[at].checked, item.checked) << "item " << at << " " << item.caption;
      }
      EXPECT_EQ(items["6"].caption, "Запуск заставки");
      EXPECT_EQ(items.size(), 24u);
    }
    ASSERT_EQ(wine.Ctl({"tray-click", "right"}).exit_code, 0);
    ASSERT_EQ(wine.Ctl({"menu-click", "10", "7", "7", "6"}).exit_code, 0);
    EXPECT_EQ(TrayTip(wine, kAlarmTip), kAlarmTip);
  }
  items = TrayMenuItems(wine);
  for (const char* at : {"7.0", "7.1", "7.2", "7.3", "7.4", "7.5"}) EXPECT_TRUE(items[at].enabled) << "item " << at;
  EXPECT_FALSE(items["7.6"].enabled);
  // Past the alarm's 5 s repeat: switched off, it rang no more.
  std::this_thread::sleep_until(switchedOff + 6s);
  EXPECT_EQ(Audible(ReadWholeFile(capture)).size(), afterAlarm.size()) << "the alarm rang on after its switch-off";

  // The talk-interval bar pressed twice at its right end: "15 мин", kept.
  for (int i = 0; i < 2; ++i) ASSERT_EQ(wine.Ctl({"press-at", "TForm1", "445", "209"}).exit_code, 0);
  std::string ringTime;
  for (auto until = std::chrono::steady_clock::now() + 5s; ringTime != "2" && std::chrono::steady_clock::now() < until;)
    ringTime = Setting(Settings(wine), "RingTime");
  EXPECT_EQ(ringTime, "2");

  // The countdown bar pressed right of its thumb: one minute, and the start button starts it.
  ASSERT_EQ(wine.Ctl({"press-at", "TForm1", "234", "212"}).exit_code, 0);
  bool startable = Becomes(wine, {"enabled-at", "TForm1", "180", "248"}, "1");
  if (!startable) wine.Screenshot("maincontrols-countdown-bar");
  ASSERT_TRUE(startable) << "the start button stays disabled";
  ASSERT_EQ(wine.Ctl({"button-at", "TForm1", "180", "248"}).exit_code, 0);
  std::string oneMinute = "Часы: Таймер: осталось 1 мин. Будильник на: 07:30:00";
  EXPECT_EQ(TrayTip(wine, oneMinute), oneMinute);

  // Meanwhile "Время": the melody, then the time's words. The press comes at about half
  // past seven and a few seconds; on a slow machine the minute may have turned to 07:31.
  bool pressedAtHalfPast = wine.Now() < WineSession::LocalTime("2026-12-10 07:31:00");
  ASSERT_EQ(wine.Ctl({"click", "TForm1", "Время"}).exit_code, 0);
  bool saidAtHalfPast = pressedAtHalfPast && wine.Now() < WineSession::LocalTime("2026-12-10 07:31:00");
  auto saying = [&](std::vector<std::string> minuteWords) {
    Bytes said = melody;
    minuteWords.insert(minuteWords.begin(), {"Sounds/7.wav", "Sounds/chasov.wav"});
    Bytes words = AudibleSounds(minuteWords);
    said.insert(said.end(), words.begin(), words.end());
    return said;
  };
  Bytes halfPast = saying({"Sounds/30.wav", "Sounds/minut.wav"});
  Bytes minuteLater = saying({"Sounds/30.wav", "Sounds/1a.wav", "Sounds/minuta.wav"});
  played = HearAtLeast(capture, afterAlarm.size() + (saidAtHalfPast ? halfPast : minuteLater).size(), 20s);
  std::this_thread::sleep_for(1s);  // nothing more comes
  played = Audible(ReadWholeFile(capture));
  Bytes heardSaid(played.begin() + static_cast<long>(afterAlarm.size()), played.end());
  if (saidAtHalfPast)
    EXPECT_TRUE(heardSaid == halfPast) << "\"Время\" did not say 7 hours 30 minutes after the melody: heard "
                                       << heardSaid.size() << " bytes, not " << halfPast.size();
  else
    EXPECT_TRUE(heardSaid == halfPast || heardSaid == minuteLater)
        << "\"Время\" pressed about 07:31 did not say 7 hours 30 or 31 minutes after the melody: heard "
        << heardSaid.size() << " bytes, not " << halfPast.size() << " or " << minuteLater.size();
  size_t beforeCountdown = played.size();
  auto countdownRang = Listen(wine, capture, {beforeCountdown}, 75s);

  // And, once the character has left (while it comes and goes the clock drops clicks and
  // keys), the tray's calculator: 12+30= shows 42 (copied from its display).
  EXPECT_TRUE(Gone(wine, "TAssistantStage", 15s));
  ASSERT_EQ(wine.Ctl({"tray-click", "right"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"menu-click", "10", "3"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"wait-window", "TGxCalculatorForm", "10000"}).exit_code, 0) << "no calculator from the tray";
  ASSERT_EQ(wine.Ctl({"type-into", "TGxCalculatorForm", "12+30="}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"keys", "ctrl", "insert"}).exit_code, 0);
  EXPECT_TRUE(Becomes(wine, {"clipboard"}, "42"))
      << "the calculator did not show 42; in front: " << wine.Ctl({"foreground"}).out;
  wine.Screenshot("maincontrols-calculator");
  ASSERT_EQ(wine.Ctl({"close", "TGxCalculatorForm"}).exit_code, 0);
  EXPECT_TRUE(Gone(wine, "TGxCalculatorForm"));

  // At the minute's end the countdown rings the melody; its switch-off is the tray's first
  // item now, and the tip tells of the alarm alone again.
  std::vector<TimePoint> countdownHeard = countdownRang.get();
  if (countdownHeard.empty()) wine.Screenshot("maincontrols-countdown-silent");
  ASSERT_EQ(countdownHeard.size(), 1u) << "the countdown did not ring; its switch-off shown: "
                                       << wine.Ctl({"shown", "TForm1", kCountdownOff}).out
                                       << " tip: " << wine.Ctl({"tray-tip"}).out;
  played = HearAtLeast(capture, beforeCountdown + melody.size(), 10s);
  ASSERT_GE(played.size(), beforeCountdown + melody.size());
  EXPECT_TRUE(std::equal(melody.begin(), melody.end(), played.begin() + static_cast<long>(beforeCountdown)))
      << "the countdown did not ring the chosen melody";
  EXPECT_TRUE(Becomes(wine, {"shown", "TForm1", kCountdownOff}, "1"));
  EXPECT_EQ(TrayTip(wine, kAlarmTip), kAlarmTip);
  std::this_thread::sleep_for(700ms);
  ASSERT_EQ(wine.Ctl({"tray-click", "right"}).exit_code, 0);
  items = OpenMenuItems(wine);
  EXPECT_EQ(items["0"].caption, kCountdownOff);
  ASSERT_EQ(wine.Ctl({"menu-click", "10", "0"}).exit_code, 0);
  EXPECT_TRUE(Becomes(wine, {"shown", "TForm1", kCountdownOff}, "0")) << "the tray's item did not switch it off";

  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
}

}  // namespace
}  // namespace horavox::e2e
