#pragma once
// TKitClock shows the time as an analogue face with hands, as LED text (TKitLED), or both;
// its text can also show the date, a stopwatch, a countdown or an alarm time. A one-second
// item of the application's timer pool drives it (on the clock service, so tests run it on
// a virtual clock). The alarm repeats OnAlarm once a tick for RepeatAlarm ticks while the
// LED blinks. With DigitalOnly the control sizes itself to its text. Windows only.
#include "classlib/core/datetime.h"
#include "controls/kitcontrols.h"
#include "controls/kitled.h"
#include "controls/kittimers.h"
#include "controls/kittypes.h"

class TKitClockHand : public TKitObject {
  HX_CLASS(TKitClockHand, TKitObject)
 public:
  TKitClockHand() = default;
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  int GetThickness() const { return FThickness; }  // the pen width
  void SetThickness(int Value);
  void Assign(TPersistent* Source) override;

 private:
  TColor FColor = clBlack;
  bool FVisible = true;
  int FThickness = 2;
};

// A countdown's length and end. A new interval is 0:01:00, ending a minute from now.
class TKitTimeInterval : public TKitObject {
  HX_CLASS(TKitTimeInterval, TKitObject)
 public:
  TKitTimeInterval();
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Setting it keeps it as given: at or after now the parts become the remaining whole
  // hours, minutes and seconds; before now the interval becomes 0:01:00 from now.
  TDateTime GetEndTime() const { return FEndTime; }
  void SetEndTime(TDateTime Value);
  // Each change ends the interval its length from now (hours beyond a day included).
  int GetHour() const { return FHour; }
  void SetHour(int Value);
  int GetMinute() const { return FMinute; }
  void SetMinute(int Value);
  int GetSecond() const { return FSecond; }
  void SetSecond(int Value);
  // Copies the length and the enabled state; the end is the length from now.
  void Assign(TPersistent* Source) override;

 private:
  void Restart();
  bool FEnabled = false;
  TDateTime FEndTime = 0;
  int FHour = 0;
  int FMinute = 1;
  int FSecond = 0;
};

inline constexpr char kKitClockStyleError[] = "One clock style must be active!";

class TKitClock : public TKitGraphicControl {
  HX_CLASS(TKitClock, TKitGraphicControl)
 public:
  // Takes a one-second pool item: EOutOfResources "Нет доступных таймеров" when none is free.
  explicit TKitClock(TComponent* AOwner);
  ~TKitClock() override;

  TColor GetColorSmallTick() const { return FColorSmallTick; }
  void SetColorSmallTick(TColor Value);
  TColor GetColorSmallTickShade() const { return FColorSmallTickShade; }
  void SetColorSmallTickShade(TColor Value);
  TColor GetColorBigTick() const { return FColorBigTick; }
  void SetColorBigTick(TColor Value);
  TColor GetColorBigTickShade() const { return FColorBigTickShade; }
  void SetColorBigTickShade(TColor Value);
  TKitLED* GetDigital() const { return FDigital; }
  void SetDigital(TKitLED* Value) { FDigital->Assign(Value); }
  TColor GetDigitalColor() const { return FDigitalColor; }
  void SetDigitalColor(TColor Value);
  bool GetDigitalOnly() const { return FDigitalOnly; }
  void SetDigitalOnly(bool Value);
  bool GetDigitalShowSecs() const { return FDigitalShowSecs; }
  void SetDigitalShowSecs(bool Value);
  int GetDigitalPosX() const { return FDigitalPosX; }
  void SetDigitalPosX(int Value);
  int GetDigitalPosY() const { return FDigitalPosY; }
  void SetDigitalPosY(int Value);
  TKitClockHand* GetHourHand() const { return FHands[0]; }
  void SetHourHand(TKitClockHand* Value) { FHands[0]->Assign(Value); }
  TKitClockHand* GetMinuteHand() const { return FHands[1]; }
  void SetMinuteHand(TKitClockHand* Value) { FHands[1]->Assign(Value); }
  TKitClockHand* GetSecondHand() const { return FHands[2]; }
  void SetSecondHand(TKitClockHand* Value) { FHands[2]->Assign(Value); }
  TKitClockMode GetMode() const { return FMode; }
  void SetMode(TKitClockMode Value);
  TKitClockOptions GetOptions() const { return FOptions; }
  // Neither coShowDigital nor coShowAnalog: Exception "One clock style must be active!",
  // the options kept.
  void SetOptions(TKitClockOptions Value);
  int GetRepeatAlarm() const { return FRepeatAlarm; }  // ticks an alarm lasts
  void SetRepeatAlarm(int Value) { FRepeatAlarm = Value < 0 ? 0 : Value; }
  // While the stopwatch runs, the moment it started; once stopped, the time it ran.
  TDateTime GetStopwatch() const { return FStopwatch; }
  bool StopwatchRunning() const { return FStopwatchRunning; }
  // The time of day cmAlarm shows and rings at (with coEnableAlarm).
  TDateTime GetAlarmTime() const { return FAlarmTime; }
  void SetAlarmTime(TDateTime Value);
  // The countdown's length, end and whether it runs (cmCountdown shows it).
  TKitTimeInterval* GetCountdown() const { return FInterval; }
  void SetCountdown(TKitTimeInterval* Value) { FInterval->Assign(Value); }
  TKitClockStyle GetStyle() const { return FStyle; }
  void SetStyle(TKitClockStyle Value);
  String GetCustomDateTimeFormat() const { return FCustomDateTimeFormat; }
  void SetCustomDateTimeFormat(const String& Value);
  bool GetUseCustomDateTime() const { return FUseCustomDateTime; }
  void SetUseCustomDateTime(bool Value);

  void SetEnabled(bool Value) override;
  // The text the LED shows now.
  String GetDisplayText();
  bool Alarming() const { return FAlarming; }
  // Switches to cmCountdown and runs the countdown its length from now; OnCountdownStart.
  void StartCountdown();
  // Switches to cmStopwatch and starts it from now; OnStopWatchStart.
  void StartStopwatch();
  // A running stopwatch stops and keeps the time it ran; OnStopWatchEnd.
  void StopStopwatch();

  TNotifyEvent OnAlarm;
  TNotifyEvent OnCountdownStart;
  TNotifyEvent OnCountdownEnd;
  TNotifyEvent OnStopWatchStart;
  TNotifyEvent OnStopWatchEnd;

 protected:
  void Paint() override;
  void Loaded() override;
  void BoundsChanged(int Changes) override;
  void BevelChanged(TObject* Sender) override;
  void ColorChanged() override;
  // Sets alarming (the counter to RepeatAlarm when it starts), blinks, fires OnAlarm.
  virtual void Alarm();
  void EndAlarm();
  void EndCountdown();
  // The clock's second: the countdown's end, the running alarm, a due alarm time.
  void ClockTimer();
  bool OnScreen();  // its window is shown and not minimised

 private:
  void PartChanged(TObject* Sender);
  void FormatChanged();
  bool AdjustDigitalSize();
  void DrawFace(TCanvas* Canvas);
  void DrawHands(TCanvas* Canvas);
  void DrawDigital(TCanvas* Canvas);
  TKitTimerItem* TimerItem() const;

  TColor FColorSmallTick = clWhite;
  TColor FColorSmallTickShade = clBtnFace;
  TColor FColorBigTick = clTeal;
  TColor FColorBigTickShade = clAqua;
  TKitLED* FDigital;
  TColor FDigitalColor = clBlack;
  bool FDigitalOnly = false;
  bool FDigitalShowSecs = true;
  int FDigitalPosX = -1;
  int FDigitalPosY = -1;
  TKitClockHand* FHands[3];
  TKitClockMode FMode = TKitClockMode::cmNormal;
  TKitClockOptions FOptions{TKitClockOption::coShowAnalog, TKitClockOption::co24Hour};
  int FRepeatAlarm = 10;
  TKitClockStyle FStyle = TKitClockStyle::csWin95;
  String FCustomDateTimeFormat = "hh:mm:ss";
  bool FUseCustomDateTime = false;
  String FFormat = "hh:mm:ss";
  TKitTimeInterval* FInterval;
  TDateTime FAlarmTime = 0;
  bool FStopwatchRunning = false;
  TDateTime FStopwatch = 0;
  bool FAlarming = false;
  int FAlarmCounter = 10;
  std::uint16_t FTimerIdent = 0;
  TBitmap* FFace;
  TBitmap* FPicture;  // drawn in, then copied to the screen; kept, with its context, between paints
  bool FFaceRedraw = true;
  bool FPainting = false;
};
