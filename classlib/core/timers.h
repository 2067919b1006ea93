#pragma once
// TTimer: OnTimer every Interval milliseconds while Enabled, on the clock service
// (classlib/core/clock.h), so a test's virtual clock drives the same code a Win32 timer does.
//
// An Interval of 0 never fires. Setting Enabled or Interval to the value it has changes
// nothing (the count goes on); a new Interval while enabled counts afresh from now. OnTimer
// may disable its own timer (a one-shot timer) or change its interval. Nothing runs while
// the timer's form is being read: it starts in Loaded. An exception of OnTimer goes to the
// callback exception handler (the application's dialog) and the timer goes on.
#include <cstdint>

#include "classlib/core/clock.h"
#include "classlib/core/component.h"

class TTimer : public TComponent {
  HX_CLASS(TTimer, TComponent)
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  std::uint32_t GetInterval() const { return FInterval; }
  void SetInterval(std::uint32_t Value);
  // The timer counts now (enabled, with an interval, and not being read).
  bool Running() const { return FId != 0; }

  TNotifyEvent OnTimer;

 protected:
  void Loaded() override;
  virtual void Timer();

 private:
  void UpdateTimer(bool Restart);
  void Stop();

  bool FEnabled = true;
  std::uint32_t FInterval = 1000;
  TClockService* FClock = nullptr;  // the service the running timer belongs to
  TTimerId FId = 0;
};
