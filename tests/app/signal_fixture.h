#pragma once
// The alarm, the countdown and their signals as the main window puts them together, on a
// virtual clock with a fake media device and recording parts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/alarm.h"
#include "app/clocktick.h"
#include "app/countdown.h"
#include "app/signals.h"
#include "classlib/core/files.h"
#include "clock_fakes.h"
#include "fake_media.h"

namespace horavox::test {

inline const String kSignalFolder = String("C:") + PathDelim + "Horavox" + PathDelim;
inline String RingFile(const String& name) { return kSignalFolder + "Ring" + PathDelim + name; }

class SignalFixture : public ::testing::Test {
 protected:
  explicit SignalFixture(TDateTime start = EncodeDate(2026, 12, 10) + EncodeTime(5, 59, 50, 0)) : clock(start) {
    timer1 = NewTimer(1000, true);
    timer1->OnTimer = [this](TObject*) { tick->Tick(); };
    signalTimers.EndRing = NewTimer(0);
    signalTimers.RingOff = NewTimer(4000);
    signalTimers.MenuRingOff = NewTimer(500, true);
    signalTimers.BeeperMain = NewTimer(1000);
    signalTimers.Beeper1 = NewTimer(100);
    signalTimers.Beeper2 = NewTimer(300);
    signalTimers.Fly = NewTimer(700);
    speaker = new TMediaPlayer(&owner);  // the announcement's: signals never touch it
    player = new TMediaPlayer(&owner);
    media.AddFile(RingFile("Кукушка.wav"), 3000);

    options = Install(parts.Options, std::make_unique<TFakeOptions>());
    character = Install(parts.Character, std::make_unique<TFakeCharacter>(calls));
    tray = Install(parts.Tray, std::make_unique<TFakeTray>(calls));
    buttons = Install(parts.SignalButtons, std::make_unique<TFakeSignalButtons>());
    led = Install(parts.Led, std::make_unique<TFakeLed>());
    reminder = Install(parts.ReminderInput, std::make_unique<TFakeReminderInput>());
    starter = Install(parts.Starter, std::make_unique<TFakeStarter>(calls));
    shutdown = Install(parts.Shutdown, std::make_unique<TFakeShutdown>(calls));
    parts.Tone = std::make_unique<TFakeTone>(calls);
    parts.AlarmNotice = std::make_unique<TFakeNotice>(calls);
    parts.CountdownNotice = std::make_unique<TFakeNotice>(calls);

    signals = std::make_unique<TSignals>(signalTimers, player, gate, parts);
    signals->ProgramFolder = kSignalFolder;
    signals->ChosenMelody = [this] { return melody; };
    signals->OnSayTime = [this] { calls.Add("SayTime"); };
    alarmTimers = {timer1, NewTimer(5000), NewTimer(10000)};
    alarm = std::make_unique<TAlarm>(alarmTimers, *signals, parts);
    countdownTimers = {NewTimer(500), NewTimer(10000)};
    countdown = std::make_unique<TCountdown>(countdownTimers, *signals, parts);
    countdown->OnWarning = [this](const String& text) { calls.Add("Warning " + text); };
    tick = std::make_unique<TClockTick>(parts, gate, timer1);
    tick->OnAlarm = [this] { alarm->RaiseAlarm(); };
    tick->Start();
  }

  template <class T, class Base>
  T* Install(std::unique_ptr<Base>& slot, std::unique_ptr<T> part) {
    T* raw = part.get();
    slot = std::move(part);
    return raw;
  }
  TTimer* NewTimer(std::uint32_t interval, bool enabled = false) {
    auto* t = new TTimer(&owner);
    t->SetEnabled(enabled);
    t->SetInterval(interval);
    return t;
  }

  // The calls that start with Prefix, without it: "5000" for "5000 Notice …".
  std::vector<std::string> Times(const std::string& what) const {
    std::vector<std::string> out;
    for (const std::string& call : calls.Calls) {
      size_t space = call.find(' ');
      if (call.compare(space + 1, what.size(), what) == 0) out.push_back(call.substr(0, space));
    }
    return out;
  }
  std::vector<std::string> MediaLog() const {
    std::vector<std::string> out;
    for (const String& entry : media.Log) out.push_back(entry);
    return out;
  }
  // Starts a countdown of Minutes and lets it run out (at 500 ms a tick).
  void RunCountdownOut(int Minutes) {
    parts.Countdown->SetMinutes(Minutes);
    countdown->BarChange();
    countdown->StartClick();
    clock.Advance(static_cast<std::int64_t>(Minutes) * 60000);
  }

  TVirtualClock clock;
  TClockScope scope{clock};
  TFakeMediaSystem media;
  TComponent owner{nullptr};
  TTimer* timer1 = nullptr;
  TSignalTimers signalTimers;
  TAlarmTimers alarmTimers;
  TCountdownTimers countdownTimers;
  TMediaPlayer* speaker = nullptr;
  TMediaPlayer* player = nullptr;
  TCallLog calls{clock};
  TSayTimeGate gate;
  TClockParts parts;
  TFakeOptions* options = nullptr;
  TFakeCharacter* character = nullptr;
  TFakeTray* tray = nullptr;
  TFakeSignalButtons* buttons = nullptr;
  TFakeLed* led = nullptr;
  TFakeReminderInput* reminder = nullptr;
  TFakeStarter* starter = nullptr;
  TFakeShutdown* shutdown = nullptr;
  String melody = "Кукушка.wav";
  std::unique_ptr<TSignals> signals;
  std::unique_ptr<TAlarm> alarm;
  std::unique_ptr<TCountdown> countdown;
  std::unique_ptr<TClockTick> tick;
};

}  // namespace horavox::test
