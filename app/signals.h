#pragma once
// What the two signals share, the alarm's (alarm.h) and the countdown's (countdown.h): the
// melody on its own player, the PC-speaker beeper, the character's state while a signal
// rings, the automatic switch-off, the character's tidy-up after the last one, and the
// tray menu's first item, which switches the ringing signals off.
//
// Both signals may ring at once. The character's state (always on top, wandering, place)
// is saved when the first one starts and given back when the last one ends; the time may
// be spoken only while none rings; the melody and the beeper stop with the last one.
//
//   TimerEndRing      auto-off: switches off every ringing signal
//   TimerRingOff      4000 ms after the last switch-off: the character's tidy-up
//   TimerMenuRingOff  500 ms after a signal came or went: relabels the tray's first item
//   TimerBeeperMain   every second while a signal beeps: TimerBeeper1 (100 ms) and
//                     TimerBeeper2 (300 ms) each sound 3000 Hz for 100 ms
#include <array>
#include <functional>

#include "app/clockparts.h"
#include "app/clockrules.h"
#include "classlib/core/mplayer.h"
#include "classlib/core/timers.h"

struct TSignalTimers {
  TTimer* EndRing = nullptr;
  TTimer* RingOff = nullptr;
  TTimer* MenuRingOff = nullptr;
  TTimer* BeeperMain = nullptr;
  TTimer* Beeper1 = nullptr;
  TTimer* Beeper2 = nullptr;
  TTimer* Fly = nullptr;  // the character's animation (the announcement's handler)
};

enum class TSignalKind { Alarm, Countdown };

class TSignals {
 public:
  // Player: the signals' own, never the one that speaks the time.
  TSignals(const TSignalTimers& Timers, TMediaPlayer* Player, TSayTimeGate& Gate, TClockParts& Parts);
  TSignals(const TSignals&) = delete;
  TSignals& operator=(const TSignals&) = delete;

  // The folder of Ring, ending with a separator.
  String ProgramFolder;

  // A signal starts ringing the chosen melody, or beeping, as the options say. Raises the
  // player's error when the melody cannot be played; the signal rings on regardless.
  void Begin(TSignalKind Kind);
  // Again, at the signal's repeat: the melody again (from its start when FromStart, else
  // when it has ended), the automatic switch-off armed (a running one goes on), the
  // character to another place.
  void Repeat(TSignalKind Kind, bool FromStart);
  // The signal is switched off; nothing happens when it does not ring.
  void End(TSignalKind Kind);
  bool Ringing(TSignalKind Kind) const { return FRinging[Index(Kind)]; }
  bool AnyRinging() const { return FRinging[0] || FRinging[1]; }

  // How each signal is switched off (its button's click): set by the alarm and the
  // countdown; the tray item and the automatic switch-off run them.
  std::function<void()> OnAlarmOff, OnCountdownOff;
  // The tray item's other task: say the time.
  std::function<void()> OnSayTime;
  // The name of the chosen melody in the Ring folder (none when empty).
  std::function<String()> ChosenMelody;

  // The PC speaker's tone (the tone generator).
  void BeeperTone(unsigned Frequency, unsigned Duration);

 private:
  static int Index(TSignalKind Kind) { return Kind == TSignalKind::Alarm ? 0 : 1; }
  void PlayMelody(bool FromStart);
  void StopSound();
  void EndRing();
  void RingOff();
  void MenuRingOff();
  void BeeperMain();

  TSignalTimers FTimers;
  TMediaPlayer* FPlayer;
  TSayTimeGate& FGate;
  TClockParts& FParts;
  std::array<bool, 2> FRinging{};
  String FMelody;             // full path of the ringing melody, or empty
  bool FMelodyFailed = false;  // it could not be played: reported once, not at each repeat
  // The character as it was before the first signal.
  bool FSavedWandering = false, FSavedOnTop = false;
  int FSavedLeft = 0, FSavedTop = 0;
  // The tray item's label as last set: the buttons' visibility then.
  std::array<bool, 2> FMenuShown{};
};
