#pragma once
// The spoken time: AnnounceTime measures the fragments of the current hour and minute
// (timefragments.h) and the chosen chime with the media player, and plays them through a
// chain of one-shot timers whose intervals are those lengths, so each fragment starts when
// the one before ends:
//
//   TimerPlay1 (10 ms)  the chime          TimerPlay2..6  slots 1..5
//   TimerEndPlay        the last slot's length after it starts: the closing animation
//   TimerEndPlayHide    3000 ms later (500 in cuckoo mode): the end
//   TimerFly            every 700 ms during the chime: the character's animation
//
// The timers are the main window's own; this class takes over their OnTimer. An
// announcement runs from AnnounceTime to the end; meanwhile the gate says the time may not
// be spoken. A fragment or chime that cannot be played, or is empty, ends the announcement
// at once (everything it switched off comes back) and its error is raised once.
#include <array>
#include <cstdint>

#include "app/clockparts.h"
#include "app/clockrules.h"
#include "app/timefragments.h"
#include "classlib/core/mplayer.h"
#include "classlib/core/timers.h"

struct TAnnouncementTimers {
  std::array<TTimer*, 6> Play{};  // TimerPlay1 (the chime) … TimerPlay6 (slot 5)
  TTimer* EndPlay = nullptr;
  TTimer* EndPlayHide = nullptr;
  TTimer* Fly = nullptr;
  TTimer* Temp = nullptr;  // holds the length of slot 5
};

class TAnnouncement {
 public:
  TAnnouncement(const TAnnouncementTimers& Timers, TMediaPlayer* Player, TSayTimeGate& Gate, TClockParts& Parts);
  TAnnouncement(const TAnnouncement&) = delete;
  TAnnouncement& operator=(const TAnnouncement&) = delete;

  // The folder of Sounds and Ring, ending with a separator.
  String ProgramFolder;

  // Says Hour:Minute after the chime of the Ring folder named Chime (none when empty).
  // Does nothing and returns false while the gate forbids speaking. Raises the player's
  // error (after ending the announcement) when a file cannot be measured.
  bool AnnounceTime(int Hour, int Minute, const String& Chime);
  // The fragments of the running (or last) announcement, full paths.
  const TTimeFragments& Slots() const { return FSlots; }

 private:
  void PlayChime();
  void PlaySlot(int Slot);  // 0..4
  void EndPlay();
  void EndPlayHide();
  void Fly();
  // Opens a file and returns its length; an empty file is an error.
  std::int64_t OpenFile(const String& Path);
  void PlayFile(const String& Path);
  // Runs Work; on an error ends the announcement and raises the error again.
  template <class Work>
  void Guarded(Work work);
  void StopTimers();
  void Finish();

  TAnnouncementTimers FTimers;
  TMediaPlayer* FPlayer;
  TSayTimeGate& FGate;
  TClockParts& FParts;
  TTimeFragments FSlots;
  std::array<std::int64_t, 5> FLengths{};
  String FChime;  // full path, or empty
  bool FKuku = false;
};
