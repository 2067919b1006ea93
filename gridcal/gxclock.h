#pragma once
// TGxClock: a panel that shows the time as digits or as an analogue dial with hands,
// refreshed every 450 ms by its own TGxTimer, and fires OnAlarm once a day at the alarm
// time while AlarmEnabled. The time comes from the clock service (classlib/core/clock.h),
// passed through OnGetTime when assigned. Each change is drawn as a whole face off-screen
// and copied to the window. Windows only (the arithmetic is in gxclockmath.h).
#include <functional>

#include "classlib/core/datetime.h"
#include "classlib/windows/extctrls.h"
#include "classlib/core/formatsettings.h"
#include "gridcal/gxclockmath.h"
#include "gridcal/gxtimer.h"

HX_ENUM(TShowClock, scDigital, scAnalog);

using TGxGetTimeEvent = std::function<void(TObject* Sender, TDateTime& Time)>;

class TGxClock : public TCustomPanel {
  HX_CLASS(TGxClock, TCustomPanel)
 public:
  explicit TGxClock(TComponent* AOwner);
  ~TGxClock() override;

  // Only with AlarmEnabled does the alarm fire OnAlarm.
  bool GetAlarmEnabled() const { return FAlarmEnabled; }
  void SetAlarmEnabled(bool Value) {
    FAlarmEnabled = Value;
    UpdateTimer();
  }
  // Each replaces one part of the alarm time and arms the alarm again when the time now
  // is before it (or it is midnight). A part out of range (hour 24 …) raises EConvertError
  // "'h:m:s' is not a valid time" and keeps the alarm as it was.
  int GetAlarmHour() const { return FAlarm.Alarm() / 3600; }
  void SetAlarmHour(int Value);
  int GetAlarmMinute() const { return FAlarm.Alarm() / 60 % 60; }
  void SetAlarmMinute(int Value);
  int GetAlarmSecond() const { return FAlarm.Alarm() % 60; }
  void SetAlarmSecond(int Value);
  // The digits' font height follows the client area (at once, after a resize and when the
  // system's settings change).
  bool GetAutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) override;
  TColor GetDotsColor() const { return FDotsColor; }
  void SetDotsColor(TColor Value);
  TShowClock GetShowMode() const { return FShowMode; }
  void SetShowMode(TShowClock Value);
  bool GetShowSeconds() const { return FFormat.ShowSeconds; }
  void SetShowSeconds(bool Value);
  bool GetTwelveHour() const { return FFormat.TwelveHour; }
  void SetTwelveHour(bool Value);
  bool GetLeadingZero() const { return FFormat.LeadingZero; }
  void SetLeadingZero(bool Value);
  // The time separator and the am and pm strings of the digits (English by default).
  void SetFormatSettings(const TFormatSettings& Value);

  // The time shown: the clock service's time of day through OnGetTime.
  TDateTime CurrentTime();
  // The digits shown now (also in analogue mode).
  String DigitalText();
  // One refresh, as the timer does it: the face drawn where something changed, then the
  // alarm checked.
  void TimerTick();
  // The refresh timer (tests drive it on the clock service by making it unthreaded).
  TGxTimer* RefreshTimer() const { return FTimer; }
  // The whole face as it is drawn now, client-sized.
  void DrawFace(TBitmap* Picture);

  TNotifyEvent OnAlarm;
  TGxGetTimeEvent OnGetTime;

 protected:
  // Fires OnAlarm (the alarm is due and enabled).
  virtual void DoAlarm();
  void Paint() override;
  void Resize() override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void ShowingChanged() override;

 private:
  // The refresh runs while the face is on screen or an alarm may fire, not while hidden.
  void UpdateTimer();
  void Changed();
  void FitFont();
  void SetAlarmPart(int Hour, int Minute, int Second);
  void DrawAnalog(TCanvas* C, const TRect& Client, int Hour, int Minute, int Second);
  void DrawDigital(TCanvas* C, const TRect& Client, int Hour, int Minute, int Second);
  void Unhook();

  TGxTimer* FTimer;
  TGxAlarmState FAlarm;
  bool FAlarmEnabled = false;
  bool FAutoSize = false;
  TColor FDotsColor = static_cast<TColor>(8421376);
  TShowClock FShowMode = scDigital;
  TGxClockFormat FFormat;
  // What the window shows: refreshed only when the time drawn changes.
  String FShown;
  int FHook = 0;
};
