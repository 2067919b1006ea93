#pragma once
// Recording stand-ins for the parts the clock's logic reaches (app/clockparts.h).
#include <string>
#include <vector>

#include "app/clockparts.h"
#include "classlib/clock.h"

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
  bool Talk = true, Cuckoo = false, Show = true, Always = false, Move = true, HotKey = false, Little = false;
  bool Quiet = false;
  String QuietFrom = "22:00", QuietTo = "06:00";
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
