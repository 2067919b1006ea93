#pragma once
// Recording stand-ins for the parts the clock's logic reaches (app/clockparts.h).
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/clockparts.h"
#include "classlib/core/clock.h"

namespace horavox::test {

// Every call, with the virtual time it came at: "1400 PlayAnimation 3".
class TCallLog {
 public:
  explicit TCallLog(TClockService& Clock) : FClock(Clock) {}
  void Add(const std::string& Call) { Calls.push_back(std::to_string(FClock.TickCount()) + " " + Call); }
  std::vector<std::string> Calls;

 private:
  TClockService& FClock;
};

class TFakeCharacter : public TCharacter {
 public:
  explicit TFakeCharacter(TCallLog& Log) : FLog(Log) {}
  void ShowCharacter(bool Fast) override {
    FVisible = true;
    FLog.Add(Fast ? "ShowCharacter fast" : "ShowCharacter");
  }
  void HideCharacter(bool Fast) override {
    FVisible = false;
    FLog.Add(Fast ? "HideCharacter fast" : "HideCharacter");
  }
  bool Visible() override { return FVisible; }
  void StopPlaying(bool NoRestPose) override { FLog.Add(NoRestPose ? "StopPlaying" : "StopPlaying rest"); }
  void PlayAnimation(int Number) override { FLog.Add("PlayAnimation " + std::to_string(Number)); }
  void MoveToRandomPlace() override { FLog.Add("MoveToRandomPlace"); }
  void MoveTo(int Left, int Top) override {
    TCharacter::MoveTo(Left, Top);
    FLog.Add("MoveTo " + std::to_string(Left) + "," + std::to_string(Top));
  }
  void SetVisible(bool Value) { FVisible = Value; }

 private:
  TCallLog& FLog;
  bool FVisible = false;
};

class TFakeOptions : public TClockOptions {
 public:
  bool TalkTime() override { return Talk; }
  bool Kuku() override { return Cuckoo; }
  bool ShowActor() override { return Show; }
  bool ShowActorAlways() override { return Always; }
  bool ActorAlwaysMove() override { return Move; }
  bool HotKeyEnabled() override { return HotKey; }
  bool LittleClock() override { return Little; }
  bool QuietHours(String& From, String& To) override {
    From = QuietFrom;
    To = QuietTo;
    return Quiet;
  }
  bool ActorMoveForTimer() override { return MoveForTimer; }
  int SignalDevice() override { return Device; }
  bool AutoOff() override { return AutoOffOn; }
  int AutoOffMinutes() override { return AutoOffAfter; }
  bool ShowTimerHint() override { return AskReminder; }
  bool ShowTimerProcess() override { return ShowMeter; }
  int TimerAction() override { return Action; }
  String TimerProgram() override { return Program; }
  String TimerParameters() override { return Parameters; }
  TProgramShow TimerProgramShow() override { return ProgramShow; }
  bool Talk = true, Cuckoo = false, Show = true, Always = false, Move = true, HotKey = false, Little = false;
  bool Quiet = false;
  String QuietFrom = "22:00", QuietTo = "06:00";
  bool MoveForTimer = true, AutoOffOn = true, AskReminder = false, ShowMeter = true;
  int Device = 0, AutoOffAfter = 1, Action = 0;
  String Program, Parameters;
  TProgramShow ProgramShow = TProgramShow::Normal;
};

// The notices shown, with their times: "5000 Будильник сработал!".
class TFakeNotice : public TPopupNotice {
 public:
  explicit TFakeNotice(TCallLog& Log) : FLog(Log) {}
  void ShowNotice(const String& Text) override { FLog.Add("Notice " + Text); }

 private:
  TCallLog& FLog;
};

// The tray menu's first item and the countdown submenu's state.
class TFakeTray : public TTrayMenu {
 public:
  explicit TFakeTray(TCallLog& Log) : FLog(Log) {}
  void SetFirstItem(const String& Caption, std::function<void()> OnClick) override {
    FirstItem = Caption;
    FClick = std::move(OnClick);
    FLog.Add("Tray " + Caption);
  }
  void SetCountdownRunning(bool Value) override { CountdownRunning = Value; }
  void ClickFirstItem() { FClick(); }
  String FirstItem = "Сказать время";
  bool CountdownRunning = false;

 private:
  TCallLog& FLog;
  std::function<void()> FClick;
};

class TFakeSignalButtons : public TSignalButtons {
 public:
  void ShowAlarmOff(bool Value) override { AlarmOff = Value; }
  void ShowCountdownOff(bool Value) override { CountdownOff = Value; }
  bool AlarmOff = false, CountdownOff = false;
};

// The PC speaker: every tone with the time it started, "1100 3000 Hz 100 ms".
class TFakeTone : public TToneGenerator {
 public:
  explicit TFakeTone(TCallLog& Log) : FLog(Log) {}
  void Tone(unsigned Frequency, unsigned Duration) override {
    FLog.Add("Tone " + std::to_string(Frequency) + " Hz " + std::to_string(Duration) + " ms");
  }

 private:
  TCallLog& FLog;
};

class TFakeStarter : public TProgramStarter {
 public:
  explicit TFakeStarter(TCallLog& Log) : FLog(Log) {}
  void Start(const String& Program, const String& Parameters, TProgramShow Show) override {
    FLog.Add("Start [" + Program + "] [" + Parameters + "] show " + std::to_string(static_cast<int>(Show)));
    if (!Error.empty()) throw Exception(Error);
  }
  String Error;  // raised when not empty

 private:
  TCallLog& FLog;
};

class TFakeShutdown : public TSystemShutdown {
 public:
  explicit TFakeShutdown(TCallLog& Log) : FLog(Log) {}
  void ShutDown() override {
    FLog.Add("ShutDown");
    if (!Error.empty()) throw Exception(Error);
  }
  String Error;

 private:
  TCallLog& FLog;
};

class TFakeLed : public TCountdownLed {
 public:
  void Blink() override { State = "blinking"; }
  void SetOn(bool Value) override { State = Value ? "on" : "off"; }
  std::string State = "off";
};

class TFakeReminderInput : public TReminderInput {
 public:
  bool Ask(String& Text) override {
    ++Asked;
    Text = Typed;
    return Ok;
  }
  String Typed;
  bool Ok = true;
  int Asked = 0;
};

class TFakeHotKey : public TSayTimeHotKey {
 public:
  explicit TFakeHotKey(TCallLog& Log) : FLog(Log) {}
  void SetActive(bool Value) override {
    if (Value != Active()) FLog.Add(Value ? "HotKey on" : "HotKey off");
    TSayTimeHotKey::SetActive(Value);
  }

 private:
  TCallLog& FLog;
};

class TFakeCalendar : public TReminderCalendar {
 public:
  explicit TFakeCalendar(TCallLog& Log) : FLog(Log) {}
  void ShowRemindersOf(TDateTime Day) override {
    FLog.Add("ShowRemindersOf " + FormatDateTime("yyyy-mm-dd", Day));
  }

 private:
  TCallLog& FLog;
};

class TFakeDateCaption : public TDateCaption {
 public:
  void ShowDate(const String& Text) override { Caption = Text; }
  String Caption;
};

}  // namespace horavox::test
