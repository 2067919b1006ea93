// The tray's menu and hint as the clock keeps them: the hint in its four states, item 0
// while the time is spoken and while signals ring, the menu's toggles and their stored
// options, the countdown submenu and the screen-saver item — on the virtual clock with the
// alarm, the countdown and their signals as the main window puts them together.
#include <gtest/gtest.h>

#include "app/traymenu.h"
#include "signal_fixture.h"

namespace horavox::test {
namespace {

// The options the menu changes, with every value written: "TalkTime=0".
class TWrittenOptions : public TFakeOptions {
 public:
  explicit TWrittenOptions(TCallLog& Log) : FLog(Log) {}
  void SetTalkTime(bool Value) override {
    Talk = Value;
    FLog.Add("Write TalkTime=" + std::to_string(Value));
  }
  bool LittleClockTop() override { return OnTop; }
  void SetLittleClockTop(bool Value) override {
    OnTop = Value;
    FLog.Add("Write LittleClockTop=" + std::to_string(Value));
  }
  int DigitalMiniClock() override { return Kind; }
  void SetDigitalMiniClock(int Value) override {
    Kind = Value;
    FLog.Add("Write DigitalMiniClock=" + std::to_string(Value));
  }
  bool OnTop = true;
  int Kind = 0;

 private:
  TCallLog& FLog;
};

class TRecordingBar : public TTalkIntervalBar {
 public:
  void SetEnabled(bool Value) override { Enabled = Value; }
  bool Enabled = true;
};

class TRecordingMicroClock : public TMicroClock {
 public:
  void SetStayOnTop(bool Value) override { OnTop = Value; }
  bool OnTop = true;
};

class TrayMenuTest : public SignalFixture {
 protected:
  TrayMenuTest() {
    written = Install(parts.Options, std::make_unique<TWrittenOptions>(calls));
    options = written;
    bar = Install(parts.TalkInterval, std::make_unique<TRecordingBar>());
    micro = Install(parts.MicroClock, std::make_unique<TRecordingMicroClock>());
    model = Install(parts.Tray, std::make_unique<TTrayModel>(parts));
    tray = nullptr;  // the fixture's recording tray is gone
    model->CountdownTicking = [this] { return countdown->Running(); };
    model->ScreenSaverInstalled = [this] { return screenSaver; };
    // As the main window wires them.
    model->SetFirstItem(kSayTimeCaption, [this] { calls.Add("SayTime"); });
    gate.OnChange = [this] { model->SetSayTimeEnabled(gate.MaySpeakNow()); };
    model->Load();
  }

  std::vector<std::string> Written() const {
    std::vector<std::string> out;
    for (const std::string& call : calls.Calls)
      if (call.find(" Write ") != std::string::npos) out.push_back(call.substr(call.find(" Write ") + 7));
    return out;
  }

  TWrittenOptions* written = nullptr;
  TRecordingBar* bar = nullptr;
  TRecordingMicroClock* micro = nullptr;
  TTrayModel* model = nullptr;
  bool screenSaver = false;
};

TEST(TrayHint, ReadsWhatRuns) {
  struct Case {
    bool countdown;
    int minutes;
    bool alarm;
    const char* expected;
  } cases[] = {
      {false, 0, false, "Хоравокс"},
      {true, 7, false, "Часы: Таймер: осталось 7 мин."},
      {false, 7, true, "Часы: Будильник поставлен на: 07:30:00"},
      {true, 7, true, "Часы: Таймер: осталось 7 мин. Будильник на: 07:30:00"},
      {false, 0, false, "Хоравокс"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TrayHint(c.countdown, c.minutes, c.alarm, "07:30:00"), c.expected) << c.countdown << c.alarm;
}

// The clock's own hint at its ticks: the countdown's minutes as its bar shows them, the
// alarm stored "7:30" as the clock reads it back.
TEST_F(TrayMenuTest, TheHintFollowsTheCountdownAndTheAlarmAtEachTick) {
  struct Step {
    const char* what;
    std::function<void()> act;
    const char* hint;
  } steps[] = {
      {"idle", [] {}, "Хоравокс"},
      {"countdown of 7 minutes", [this] {
         parts.Countdown->SetMinutes(7);
         countdown->BarChange();
         countdown->StartClick();
       }, "Часы: Таймер: осталось 7 мин."},
      {"alarm on at 7:30", [this] { alarm->Load("7:30", true); },
       "Часы: Таймер: осталось 7 мин. Будильник на: 07:30:00"},
      {"a minute later", [this] { clock.Advance(60000); }, "Часы: Таймер: осталось 6 мин. Будильник на: 07:30:00"},
      {"countdown stopped", [this] { countdown->StopClick(); }, "Часы: Будильник поставлен на: 07:30:00"},
      {"alarm off", [this] { alarm->Load("7:30", false); }, "Хоравокс"},
  };
  for (const Step& step : steps) {
    step.act();
    clock.Advance(1000);
    EXPECT_EQ(model->Hint(), step.hint) << step.what;
  }
}

// Item 0 says the time exactly while it may be spoken, and switches ringing signals off
// whenever they ring, enabled then although the time may not be spoken.
TEST_F(TrayMenuTest, FirstItemInEachState) {
  EXPECT_EQ(model->FirstCaption(), "Сказать время");
  EXPECT_TRUE(model->FirstEnabled());
  model->ClickFirst();
  EXPECT_EQ(Times("SayTime").size(), 1u);

  gate.SetAnnouncing(true);
  EXPECT_EQ(model->FirstCaption(), "Сказать время");
  EXPECT_FALSE(model->FirstEnabled()) << "announcing";
  model->ClickFirst();
  EXPECT_EQ(Times("SayTime").size(), 1u) << "a disabled item said the time";
  gate.SetAnnouncing(false);
  EXPECT_TRUE(model->FirstEnabled());

  options->AutoOffOn = false;
  RunCountdownOut(1);
  clock.Advance(500);
  EXPECT_EQ(model->FirstCaption(), "Выключить сигнал таймера");
  EXPECT_TRUE(model->FirstEnabled()) << "the countdown rings";

  alarm->RaiseAlarm();
  clock.Advance(500);
  EXPECT_EQ(model->FirstCaption(), "Выключить сигналы");
  EXPECT_TRUE(model->FirstEnabled()) << "both ring";
  model->ClickFirst();
  EXPECT_FALSE(signals->AnyRinging()) << "both switched off";
  clock.Advance(500);
  EXPECT_EQ(model->FirstCaption(), "Сказать время");
  EXPECT_TRUE(model->FirstEnabled());

  alarm->RaiseAlarm();
  clock.Advance(500);
  EXPECT_EQ(model->FirstCaption(), "Выключить сигнал будильника");
  EXPECT_TRUE(model->FirstEnabled()) << "the alarm rings";
  model->ClickFirst();
  EXPECT_FALSE(signals->Ringing(TSignalKind::Alarm));
  EXPECT_FALSE(buttons->AlarmOff);
  EXPECT_EQ(Times("SayTime").size(), 1u) << "a switch-off said the time";
}

// Each toggle sets its option to the opposite of the option's value, writes it and marks
// the option; talking off greys the talk-interval bar; the toggles leave each other's
// marks alone.
TEST_F(TrayMenuTest, TogglesWriteTheirOptionsAndMarkThem) {
  EXPECT_TRUE(model->TalkChecked());
  EXPECT_TRUE(model->OnTopChecked());
  EXPECT_TRUE(bar->Enabled);

  model->TalkToggle();
  EXPECT_FALSE(model->TalkChecked());
  EXPECT_FALSE(bar->Enabled);
  EXPECT_FALSE(options->TalkTime());
  model->TalkToggle();
  EXPECT_TRUE(model->TalkChecked());
  EXPECT_TRUE(bar->Enabled);

  model->OnTopToggle();
  EXPECT_FALSE(model->OnTopChecked());
  EXPECT_FALSE(micro->OnTop);
  EXPECT_TRUE(model->TalkChecked()) << "on top unticked the talk mark";

  model->SetMiniClockKind(2);
  model->SetMiniClockKind(3);  // no such kind: nothing
  EXPECT_EQ(model->MiniClockKind(), 2);
  EXPECT_FALSE(model->OnTopChecked());

  EXPECT_EQ(Written(), (std::vector<std::string>{"TalkTime=0", "TalkTime=1", "LittleClockTop=0",
                                                 "DigitalMiniClock=2"}));
}

// The marks at start are the stored options; talking off greys the bar from the start.
TEST_F(TrayMenuTest, LoadsTheMarksFromTheOptions) {
  options->Talk = false;
  written->OnTop = false;
  written->Kind = 1;
  model->Load();
  EXPECT_FALSE(model->TalkChecked());
  EXPECT_FALSE(bar->Enabled);
  EXPECT_FALSE(model->OnTopChecked());
  EXPECT_EQ(model->MiniClockKind(), 1);
  written->Kind = 7;  // out of range: the mark stays
  model->Load();
  EXPECT_EQ(model->MiniClockKind(), 1);
  EXPECT_TRUE(Written().empty()) << "loading wrote";
}

// "Остановить" is enabled exactly while a countdown runs; the presets exactly while none
// does, its signal included.
TEST_F(TrayMenuTest, TimerSubmenuFollowsTheCountdown) {
  EXPECT_TRUE(model->PresetsEnabled());
  EXPECT_FALSE(model->StopEnabled());
  countdown->Preset(5);
  EXPECT_FALSE(model->PresetsEnabled());
  EXPECT_TRUE(model->StopEnabled());
  countdown->StopClick();
  EXPECT_TRUE(model->PresetsEnabled());
  EXPECT_FALSE(model->StopEnabled());
  RunCountdownOut(1);
  EXPECT_FALSE(model->PresetsEnabled()) << "while the countdown's signal rings";
  countdown->SwitchOff();
  EXPECT_TRUE(model->PresetsEnabled());
}

TEST_F(TrayMenuTest, ScreenSaverItemFollowsTheSystemAtEachTick) {
  EXPECT_FALSE(model->ScreenSaverEnabled());
  screenSaver = true;
  clock.Advance(1000);
  EXPECT_TRUE(model->ScreenSaverEnabled());
  screenSaver = false;
  clock.Advance(1000);
  EXPECT_FALSE(model->ScreenSaverEnabled());
}

}  // namespace
}  // namespace horavox::test
