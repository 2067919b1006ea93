// The alarm and the signals on a virtual clock: the stored default time rings, once; the
// clock tick stands still for ten seconds; the repeats, the automatic switch-off, the
// melody on its own player that stops when switched off, no melody, both signals at once
// with the tray item's labels and the character's state, the PC-speaker beeper, and the
// alarm panel that refuses a time that is no time.
#include <gtest/gtest.h>

#include "app/traymenu.h"
#include "caught_exceptions.h"
#include "signal_fixture.h"

namespace {
using namespace horavox::test;

using Strings = std::vector<std::string>;
const std::string kAlarmNotice = "Notice Будильник сработал!";

class Alarm : public SignalFixture {};

TEST_F(Alarm, TheStoredDefaultTimeRingsAtSixOnceAndStopsTheTickForTenSeconds) {
  options->AutoOffOn = false;
  alarm->Load("06:00", true);
  EXPECT_EQ(parts.Alarm->Time(), "06:00:00");
  EXPECT_TRUE(buttons->AlarmOff == false && gate.MaySpeakNow());

  clock.Advance(10000);  // 06:00:00
  EXPECT_EQ(Times(kAlarmNotice), Strings{"10000"});
  EXPECT_TRUE(buttons->AlarmOff);
  EXPECT_FALSE(gate.MaySpeakNow());
  EXPECT_EQ(MediaLog(), (Strings{"Open " + RingFile("Кукушка.wav"), "Play"}));
  EXPECT_TRUE(player->DeviceOpen());
  EXPECT_FALSE(speaker->DeviceOpen());

  EXPECT_FALSE(timer1->GetEnabled());
  clock.Advance(9999);
  EXPECT_FALSE(timer1->GetEnabled());
  clock.Advance(1);
  EXPECT_TRUE(timer1->GetEnabled());  // 06:00:10

  // Still ringing 50 s on: it rang once (not again when the tick came back), and the notice
  // came back every 5 s.
  clock.Advance(40000);
  Strings notices = Times(kAlarmNotice);
  EXPECT_EQ(notices, (Strings{"10000", "15000", "20000", "25000", "30000", "35000", "40000", "45000", "50000",
                              "55000", "60000"}));
  size_t opens = 0;
  for (const std::string& entry : MediaLog()) opens += entry.starts_with("Open");
  EXPECT_EQ(opens, 1u);
}

// A text that names no time, loaded ten seconds before the time a loose reading would take
// it for, is kept as it stands and never rings.
struct NoTime {
  const char* Text;
  int Hour, Minute;  // what a loose reading would ring at
};
void PrintTo(const NoTime& c, std::ostream* out) { *out << '"' << c.Text << '"'; }
const NoTime kNoTimes[] = {{"06:00:__", 6, 0}, {"6", 6, 0}, {"25:00:00", 1, 0}, {"06:60", 7, 0}, {"", 0, 0}};

class AlarmNoTime : public SignalFixture, public ::testing::WithParamInterface<NoTime> {
 protected:
  AlarmNoTime()
      : SignalFixture(EncodeDate(2026, 12, 10) + EncodeTime(GetParam().Hour, GetParam().Minute, 0, 0) -
                      EncodeTime(0, 0, 10, 0)) {}
};

TEST_P(AlarmNoTime, NeverRings) {
  alarm->Load(GetParam().Text, true);
  EXPECT_EQ(parts.Alarm->Time(), GetParam().Text);
  clock.Advance(20000);
  EXPECT_TRUE(Times(kAlarmNotice).empty());
}
INSTANTIATE_TEST_SUITE_P(Alarm, AlarmNoTime, ::testing::ValuesIn(kNoTimes));

TEST_F(Alarm, SwitchesItselfOffAfterTheChosenMinutesAndStopsItsMelody) {
  for (int minutes : {1, 2}) {
    SCOPED_TRACE(minutes);
    options->AutoOffAfter = minutes;
    media.Log.clear();
    calls.Calls.clear();
    std::uint64_t start = clock.TickCount();
    alarm->RaiseAlarm();
    // Armed at the first repeat, 5 s after the alarm fired.
    clock.Advance(5000 + minutes * 60000 - 1);
    EXPECT_TRUE(alarm->Ringing());
    clock.Advance(1);
    EXPECT_FALSE(alarm->Ringing());
    EXPECT_FALSE(buttons->AlarmOff);
    EXPECT_EQ(MediaLog().back(), "Close");
    EXPECT_EQ(MediaLog()[MediaLog().size() - 2], "Stop");
    EXPECT_FALSE(player->DeviceOpen());
    EXPECT_TRUE(gate.MaySpeakNow());
    size_t notices = Times(kAlarmNotice).size();
    // At the alarm, then every 5 s up to the moment it switched itself off.
    EXPECT_EQ(notices, static_cast<size_t>(2 + minutes * 12));
    clock.Advance(30000);
    EXPECT_EQ(Times(kAlarmNotice).size(), notices);  // no more repeats
    EXPECT_EQ(tray->FirstItem, "Сказать время");
    EXPECT_EQ(clock.TickCount(), start + 35000 + minutes * 60000);
  }
}

TEST_F(Alarm, TheSwitchOffButtonStopsTheMelodyAndTheTidyUpComesFourSecondsLater) {
  options->Always = false;
  alarm->RaiseAlarm();
  clock.Advance(7000);
  calls.Calls.clear();
  media.Log.clear();
  alarm->SwitchOff();
  EXPECT_EQ(MediaLog(), (Strings{"Stop", "Close"}));
  EXPECT_FALSE(signalTimers.Fly->GetEnabled());
  clock.Advance(3999);
  EXPECT_TRUE(Times("HideCharacter").empty());
  clock.Advance(1);
  EXPECT_EQ(Times("HideCharacter"), Strings{"11000"});
}

TEST_F(Alarm, WithoutAMelodyItStillRepeatsItsNoticeAndSwitchesItselfOff) {
  melody = "";
  alarm->RaiseAlarm();
  clock.Advance(64999);
  EXPECT_TRUE(alarm->Ringing());
  EXPECT_EQ(Times(kAlarmNotice).size(), 13u);
  clock.Advance(1);
  EXPECT_FALSE(alarm->Ringing());
  EXPECT_TRUE(media.Log.empty());
}

TEST_F(Alarm, AMelodyThatCannotBePlayedIsReportedOnceAndTheAlarmStillRings) {
  TCaughtExceptions errors;
  melody = "Пропала.wav";
  alarm->Load("06:00:00", true);
  clock.Advance(30000);
  ASSERT_EQ(errors.Messages.size(), 1u);
  EXPECT_TRUE(alarm->Ringing());
  EXPECT_EQ(Times(kAlarmNotice).size(), 5u);
  EXPECT_TRUE(timer1->GetEnabled());
}

TEST_F(Alarm, ThePanelRefusesAnIncompleteTimeAndKeepsAWholeOne) {
  std::vector<std::pair<String, bool>> saved;
  alarm->OnSave = [&](const String& time, bool on) { saved.push_back({time, on}); };
  struct Refusing : TAlarmSetting {
    void Refuse(const String&) override { ++Refused; }
    int Refused = 0;
  };
  auto* setting = Install(parts.Alarm, std::make_unique<Refusing>());

  alarm->PanelButtonClick();  // opens
  EXPECT_TRUE(setting->PanelVisible());
  setting->SetTime("07:3_:__");
  setting->SetOn(true);
  alarm->PanelButtonClick();
  EXPECT_EQ(setting->Refused, 1);
  EXPECT_TRUE(setting->PanelVisible());
  EXPECT_TRUE(saved.empty());

  setting->SetTime(" 7:30:00");
  alarm->PanelButtonClick();
  EXPECT_FALSE(setting->PanelVisible());
  EXPECT_EQ(saved, (std::vector<std::pair<String, bool>>{{"07:30:00", true}}));
  EXPECT_EQ(setting->Time(), "07:30:00");
}

TEST_F(Alarm, ATimeThatIsNoTimeIsRefusedWithItsFormAndIsNeitherKeptNorShownInTheTip) {
  std::vector<std::pair<String, bool>> saved;
  alarm->OnSave = [&](const String& time, bool on) { saved.push_back({time, on}); };
  struct Refusing : TAlarmSetting {
    void Refuse(const String& Message) override { Messages.push_back(Message); }
    std::vector<String> Messages;
  };
  auto* setting = Install(parts.Alarm, std::make_unique<Refusing>());
  auto* tip = Install(parts.Tray, std::make_unique<TTrayModel>(parts));
  const struct {
    const char* Typed;
    const char* Kept;  // nullptr: refused
  } cases[] = {{"07:30:05", "07:30:05"}, {"24:00:00", nullptr}, {"25:99:99", nullptr}, {"7:5", nullptr}, {"", nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Typed);
    alarm->Load("06:00:00", false);
    setting->Messages.clear();
    saved.clear();
    alarm->PanelButtonClick();  // opens
    setting->SetTime(c.Typed);
    // "Включить" ticked, then the panel's button.
    setting->SetOn(true);
    alarm->OnBoxClick();
    tip->RefreshHint();
    alarm->PanelButtonClick();
    if (c.Kept) {
      EXPECT_TRUE(setting->Messages.empty());
      EXPECT_TRUE(setting->On());
      EXPECT_FALSE(setting->PanelVisible());
      EXPECT_EQ(saved, (std::vector<std::pair<String, bool>>{{c.Kept, true}}));
      EXPECT_EQ(tip->Hint(), String("Часы: Будильник поставлен на: ") + c.Kept);
    } else {
      // Told at the tick and again at the button; the alarm stays off and the panel open.
      EXPECT_EQ(setting->Messages, (std::vector<String>{TAlarm::kTimeRefused, TAlarm::kTimeRefused}));
      EXPECT_FALSE(setting->On());
      EXPECT_TRUE(setting->PanelVisible());
      EXPECT_TRUE(saved.empty());
      EXPECT_EQ(tip->Hint(), "Хоравокс");
      setting->SetPanelVisible(false);
    }
  }
  EXPECT_NE(String(TAlarm::kTimeRefused).find("чч:мм:сс, от 00:00:00 до 23:59:59"), String::npos);
  // A stored time that is no time leaves the alarm off.
  alarm->Load("25:99:99", true);
  EXPECT_FALSE(setting->On());
}

class Signals : public SignalFixture {};

TEST_F(Signals, BothRingAtOnceTheTrayItemSaysSoAndTheCharacterComesBackAsItWas) {
  options->Move = false;  // the character goes back to its place after the signals
  character->SetStagePos(40, 50);
  character->SetAlwaysOnTop(false);
  character->SetWandering(true);

  alarm->RaiseAlarm();
  clock.Advance(600);
  EXPECT_EQ(tray->FirstItem, "Выключить сигнал будильника");
  EXPECT_TRUE(character->AlwaysOnTop());
  EXPECT_FALSE(character->Wandering());
  options->AutoOffOn = false;
  RunCountdownOut(1);
  EXPECT_TRUE(countdown->Ringing());
  clock.Advance(500);
  EXPECT_EQ(tray->FirstItem, "Выключить сигналы");
  EXPECT_FALSE(gate.MaySpeakNow());

  alarm->SwitchOff();
  clock.Advance(500);
  EXPECT_EQ(tray->FirstItem, "Выключить сигнал таймера");
  EXPECT_FALSE(gate.MaySpeakNow());  // the countdown still rings
  EXPECT_TRUE(player->DeviceOpen());  // and so does its melody
  clock.Advance(5000);
  EXPECT_FALSE(character->Wandering());  // no tidy-up while one rings
  EXPECT_TRUE(character->AlwaysOnTop());

  alarm->RaiseAlarm();
  clock.Advance(500);
  EXPECT_EQ(tray->FirstItem, "Выключить сигналы");
  tray->ClickFirstItem();
  EXPECT_FALSE(alarm->Ringing());
  EXPECT_FALSE(countdown->Ringing());
  EXPECT_TRUE(gate.MaySpeakNow());
  EXPECT_FALSE(player->DeviceOpen());
  clock.Advance(500);
  EXPECT_EQ(tray->FirstItem, "Сказать время");
  tray->ClickFirstItem();
  EXPECT_EQ(Times("SayTime").size(), 1u);

  EXPECT_EQ(Times("MoveTo 40,50").size(), 1u);  // back to its place once, after both
  clock.Advance(4000);
  EXPECT_FALSE(character->AlwaysOnTop());
  EXPECT_TRUE(character->Wandering());
}

TEST_F(Signals, TheTrayItemIsCheckedOnlyWhileASignalsChangeIsNotYetShown) {
  EXPECT_FALSE(signalTimers.MenuRingOff->GetEnabled()) << "checked all day with nothing ringing";
  alarm->RaiseAlarm();
  EXPECT_TRUE(signalTimers.MenuRingOff->GetEnabled());
  clock.Advance(500);
  EXPECT_EQ(tray->FirstItem, "Выключить сигнал будильника");
  EXPECT_FALSE(signalTimers.MenuRingOff->GetEnabled());
  alarm->SwitchOff();
  clock.Advance(500);
  EXPECT_EQ(tray->FirstItem, "Сказать время");
  EXPECT_FALSE(signalTimers.MenuRingOff->GetEnabled());
}

TEST_F(Signals, TheBeeperSoundsTwiceASecondWhileASignalRingsAndStopsWithIt) {
  options->Device = 1;
  alarm->RaiseAlarm();
  EXPECT_TRUE(media.Log.empty());
  clock.Advance(3000);
  Strings expected{"1100", "1300", "2100", "2300"};
  EXPECT_EQ(Times("Tone 3000 Hz 100 ms"), expected);
  EXPECT_EQ(Times("Tone").size(), expected.size());  // every one of them 3000 Hz, 100 ms
  clock.Advance(1150);
  alarm->SwitchOff();
  clock.Advance(5000);
  EXPECT_EQ(Times("Tone"), (Strings{"1100", "1300", "2100", "2300", "3100", "3300", "4100"}));

  // The countdown's signal beeps the same way.
  calls.Calls.clear();
  RunCountdownOut(1);
  std::uint64_t end = clock.TickCount();
  clock.Advance(2000);
  countdown->SwitchOff();
  clock.Advance(3000);
  EXPECT_EQ(Times("Tone"), (Strings{std::to_string(end + 1100), std::to_string(end + 1300)}));
}

}  // namespace
