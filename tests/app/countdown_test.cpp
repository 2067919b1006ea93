// The countdown timer on a virtual clock: its label's word forms, its length in ticks (also
// right after a stopped one), the reminder, each end action and stopping while its signal
// rings.
#include <gtest/gtest.h>

#include "caught_exceptions.h"
#include "signal_fixture.h"

namespace {
using namespace horavox::test;

using Strings = std::vector<std::string>;

TEST(CountdownLabel, AgreesWithItsNumberFromOneToSixty) {
  const std::pair<int, const char*> spot[] = {
      {1, "Таймер: 1 минута"},   {2, "Таймер: 2 минуты"},   {3, "Таймер: 3 минуты"},   {5, "Таймер: 5 минут"},
      {11, "Таймер: 11 минут"},  {12, "Таймер: 12 минут"},  {14, "Таймер: 14 минут"},  {20, "Таймер: 20 минут"},
      {21, "Таймер: 21 минута"}, {22, "Таймер: 22 минуты"}, {25, "Таймер: 25 минут"},  {45, "Таймер: 45 минут"},
      {51, "Таймер: 51 минута"}, {54, "Таймер: 54 минуты"}, {60, "Таймер: 60 минут"}};
  for (auto [minutes, label] : spot) EXPECT_EQ(CountdownLabel(minutes), label);
  // Every other number by the rule of Russian: 11 to 14 take the plural of many.
  for (int n = 1; n <= 60; ++n) {
    const char* word = "минут";
    if (n % 100 / 10 != 1 && n % 10 == 1) word = "минута";
    if (n % 100 / 10 != 1 && n % 10 >= 2 && n % 10 <= 4) word = "минуты";
    EXPECT_EQ(CountdownLabel(n), "Таймер: " + std::to_string(n) + " " + word);
  }
}

class Countdown : public SignalFixture {
 protected:
  void SetBar(int minutes) {
    parts.Countdown->SetMinutes(minutes);
    countdown->BarChange();
  }
  bool Idle() const {
    const TCountdownControls& c = *parts.Countdown;
    return !countdown->Running() && !countdown->Ringing() && c.StartVisible && !c.StopVisible && c.BarEnabled &&
           !tray->CountdownRunning && led->State == "off" && !parts.MicroClock->MeterVisible();
  }
};

TEST_F(Countdown, TheBarSetsItsLabelAndTheStartButton) {
  SetBar(22);
  EXPECT_EQ(parts.Countdown->Label, "Таймер: 22 минуты");
  EXPECT_TRUE(parts.Countdown->StartEnabled);
  SetBar(0);
  EXPECT_EQ(parts.Countdown->Label, "Хоравоксик");
  EXPECT_FALSE(parts.Countdown->StartEnabled);
}

TEST_F(Countdown, OneMinuteIsOneHundredTwentyTicksAlsoRightAfterAStoppedOne) {
  options->Action = 0;
  SetBar(1);
  countdown->StartClick();
  EXPECT_EQ(parts.MicroClock->MeterMax(), 120);
  EXPECT_TRUE(parts.MicroClock->MeterVisible());
  EXPECT_EQ(led->State, "blinking");
  EXPECT_TRUE(tray->CountdownRunning);
  EXPECT_FALSE(parts.Countdown->BarEnabled);
  clock.Advance(119 * 500);
  EXPECT_EQ(countdown->Counter(), 119);
  EXPECT_EQ(parts.MicroClock->MeterValue(), 119);
  countdown->StopClick();
  EXPECT_TRUE(Idle());
  EXPECT_EQ(parts.Countdown->Minutes(), 0);
  EXPECT_FALSE(parts.Countdown->StartEnabled);

  for (int minutes : {1, 3}) {
    SCOPED_TRACE(minutes);
    SetBar(minutes);
    countdown->StartClick();
    EXPECT_EQ(parts.MicroClock->MeterValue(), 0);
    clock.Advance(minutes * 60000 - 1);
    EXPECT_FALSE(countdown->Ringing());
    EXPECT_EQ(parts.Countdown->Minutes(), 1);
    EXPECT_EQ(parts.MicroClock->MeterValue(), minutes * 120 - 1);
    clock.Advance(1);
    EXPECT_TRUE(countdown->Ringing());
    EXPECT_EQ(parts.MicroClock->MeterValue(), minutes * 120);
    countdown->SwitchOff();
    EXPECT_TRUE(Idle());
  }
}

TEST_F(Countdown, ItsSignalRingsRepeatsEveryTenSecondsAndStopsWithTheStopButton) {
  options->AutoOffOn = false;
  RunCountdownOut(1);
  EXPECT_TRUE(countdown->Ringing());
  EXPECT_TRUE(buttons->CountdownOff);
  EXPECT_EQ(led->State, "on");
  EXPECT_FALSE(gate.MaySpeakNow());
  EXPECT_TRUE(parts.Countdown->StartVisible && !parts.Countdown->StartEnabled && !parts.Countdown->StopVisible);
  EXPECT_EQ(Times("Notice Время прошло!"), Strings{"60000"});
  clock.Advance(25000);
  EXPECT_EQ(Times("Notice Время прошло!"), (Strings{"60000", "70000", "80000"}));
  // From its start each time.
  const std::string open = "Open " + RingFile("Кукушка.wav");
  EXPECT_EQ(MediaLog(), (Strings{open, "Play", "Close", open, "Play", "Close", open, "Play"}));

  // "Остановить" in the tray while it rings: the signal goes too.
  countdown->StopClick();
  EXPECT_TRUE(Idle());
  EXPECT_FALSE(buttons->CountdownOff);
  EXPECT_TRUE(gate.MaySpeakNow());
  EXPECT_FALSE(player->DeviceOpen());
  clock.Advance(30000);
  EXPECT_EQ(Times("Notice").size(), 3u);
}

TEST_F(Countdown, WithoutAMelodyItsSignalStillSwitchesItselfOff) {
  melody = "";
  RunCountdownOut(1);
  clock.Advance(69999);  // armed at the first repeat, 10 s after the end
  EXPECT_TRUE(countdown->Ringing());
  clock.Advance(1);
  EXPECT_FALSE(countdown->Ringing());
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(media.Log.empty());
}

TEST_F(Countdown, ShutsTheComputerDownOnceAndReportsARefusal) {
  TCaughtExceptions errors;
  options->Action = 1;
  RunCountdownOut(2);
  EXPECT_EQ(Times("Warning"), Strings{"0"});
  EXPECT_EQ(calls.Calls.front(),
            "0 Warning По истечению времени отсчёта таймера\r\nкомпьютер будет отключён!\r\nИзменить тип таймера "
            "можно в настройках.");
  EXPECT_EQ(Times("ShutDown"), Strings{"120000"});
  clock.Advance(5 * 60000);
  EXPECT_EQ(Times("ShutDown").size(), 1u);
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(errors.Messages.empty());

  shutdown->Error = "Отказано в доступе.";
  RunCountdownOut(1);
  EXPECT_EQ(Times("ShutDown").size(), 2u);
  EXPECT_EQ(errors.Messages, Strings{"Отказано в доступе."});
  EXPECT_TRUE(Idle());
}

TEST_F(Countdown, StartsTheProgramWithItsParametersAndShowModeAndReportsAFailure) {
  TCaughtExceptions errors;
  options->Action = 2;
  options->Program = "  C:\\Program Files\\Блокнот\\notepad.exe ";
  options->Parameters = "\"C:\\Мои документы\\список.txt\"";
  const TProgramShow shows[] = {TProgramShow::Normal, TProgramShow::Maximized, TProgramShow::Minimized,
                                TProgramShow::Hidden};
  for (TProgramShow show : shows) {
    options->ProgramShow = show;
    calls.Calls.clear();
    RunCountdownOut(1);
    EXPECT_EQ(Times("Start [C:\\Program Files\\Блокнот\\notepad.exe] [\"C:\\Мои документы\\список.txt\"] show " +
                    std::to_string(static_cast<int>(show))),
              Strings{std::to_string(clock.TickCount())});
    EXPECT_TRUE(Idle());
    EXPECT_EQ(parts.Countdown->Minutes(), 0);
  }
  EXPECT_TRUE(calls.Calls.front().find("будет запущена программа\r\n  C:\\Program Files") != std::string::npos);

  starter->Error = "Не удалось запустить «notepad.exe»: файл не найден.";
  RunCountdownOut(1);
  options->Program = " ";
  RunCountdownOut(1);
  EXPECT_EQ(errors.Messages, (Strings{"Не удалось запустить «notepad.exe»: файл не найден.",
                                      "Программа, которую таймер должен запустить, не выбрана."}));
  EXPECT_TRUE(Idle());
}

TEST_F(Countdown, AsksForAReminderThatItsNoticeThenShows) {
  options->AskReminder = true;
  struct Case {
    const char* Typed;
    bool Ok;
    const char* Notice;
  };
  const Case cases[] = {{"купить хлеб", true, "Время прошло! Пора купить хлеб."},
                        {"", true, "Время прошло!"},
                        {"позвонить", false, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Typed);
    reminder->Typed = c.Typed;
    reminder->Ok = c.Ok;
    calls.Calls.clear();
    RunCountdownOut(1);
    if (!c.Ok) {
      EXPECT_TRUE(Idle());
      EXPECT_EQ(parts.Countdown->Minutes(), 0);
      EXPECT_FALSE(parts.Countdown->StartEnabled);
      EXPECT_TRUE(Times("Notice").empty());
      continue;
    }
    EXPECT_EQ(Times(std::string("Notice ") + c.Notice).size(), 1u);
    countdown->SwitchOff();
  }
  EXPECT_EQ(reminder->Asked, 3);
}

TEST_F(Countdown, ThePresetsStartItAndAreRefusedWhileItRuns) {
  countdown->Preset(5);
  EXPECT_TRUE(countdown->Running());
  EXPECT_EQ(parts.Countdown->Label, "Таймер: 5 минут");
  countdown->Preset(10);
  EXPECT_EQ(parts.Countdown->Minutes(), 5);
  clock.Advance(5 * 60000);
  EXPECT_TRUE(countdown->Ringing());
}

}  // namespace
