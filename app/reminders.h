#pragma once
// The reminder calendar's logic over its table (remindertable.h) as a dataset: today's
// reminders shown once each, a day chosen in the calendar, a reminder deleted, what the
// user typed posted, and the table packed. The window (Unit4) only wires its controls here.
//
// The road of a reminder: a lookup finds the first record of the day and keeps its
// bookmark and day; 5 s later (Show, then each second while the time may not be spoken or
// the user edits a record) that very record is checked to be still there with that day,
// its text is shown with the chosen melody, exactly it is deleted, the grid goes back where
// the user was, and the day is looked up again for its next reminder. A lookup asked for
// in the meantime (a change of day) runs then. The melody plays on the signals' player and
// keeps the time from being spoken until it ends or a signal rings (Melody watches it).
#include <exception>
#include <functional>

#include "app/clockrules.h"
#include "classlib/data/db.h"
#include "classlib/core/mplayer.h"
#include "classlib/core/timers.h"

struct TReminderTimers {
  TTimer* Show = nullptr;    // Timer1: one-shot, 5000 ms after a lookup found a reminder
  TTimer* Melody = nullptr;  // every 1000 ms while the reminder's melody plays
};

class TReminders {
 public:
  static constexpr std::uint32_t kShowDelay = 5000, kRetryDelay = 1000;

  // Table: DATES.DBF (open, or closed when it could not be opened). Player: the signals'.
  TReminders(TDataSet* Table, const TReminderTimers& Timers, TMediaPlayer* Player, TSayTimeGate& Gate);
  ~TReminders();
  TReminders(const TReminders&) = delete;
  TReminders& operator=(const TReminders&) = delete;

  // The folder of Ring, ending with a separator.
  String ProgramFolder;
  // The name of the chosen melody in the Ring folder (none when empty).
  std::function<String()> ChosenMelody;
  // The plain message box with a reminder's text (modal).
  std::function<void(const String&)> ShowMessage;
  // Asks the question; true for Yes.
  std::function<bool(const String&)> Confirm;
  // Removes the deleted records from the table.
  std::function<void()> Pack;

  // Nothing below touches a closed table.
  bool TableOpen() const { return FTable && FTable->GetActive(); }

  // The reminders of Day are to be shown (at the window's creation and at a change of day).
  void ShowRemindersOf(TDateTime Day);
  // A day chosen in the calendar: the grid goes to its reminder, or a new record with that
  // day is added for the text to be typed.
  void DateChosen(TDateTime Day);
  // "Удалить": the current record, after asking.
  void DeleteCurrent();
  // Posts the record the user is editing (with what the grid's editor holds); false when
  // that failed: the failure is reported and the text stays where it was typed.
  bool PostEdit();
  // At exit.
  void PackTable();

  // The day's text as the table keeps it ("20261210"): what the search is given, so that
  // it does not depend on the system's date format.
  static String DayKey(TDateTime Day);
  // Whether a reminder is waiting to be shown or deleted.
  bool Pending() const { return FFound; }

 private:
  void ShowTimer();
  void WatchMelody();
  void Lookup();
  void RetryInASecond();
  bool Editing() const;
  // Moves to the found record; whether it is still a record of the found day.
  bool GoToFound();
  void GoBackTo(const TBookmarkStr& Place);
  void ShowFound();
  void DeleteFound();
  void PlayMelody();
  void HoldGate(bool Value);

  TDataSet* FTable;
  TReminderTimers FTimers;
  TMediaPlayer* FPlayer;
  TSayTimeGate& FGate;
  TDateTime FDay = 0;            // the day last asked for
  bool FLookupPending = false;   // a lookup waits (for the shown one, or for an edit)
  bool FFound = false;           // a found reminder waits
  TBookmarkStr FFoundBookmark;
  TDateTime FFoundDay = 0;
  bool FShown = false;           // it has been shown and waits to be deleted
  bool FInMessage = false;       // its message is open
  String FMelodyPath;            // the melody this plays
  String FFailedMelody;          // a melody that could not be played, reported once
  bool FHoldingGate = false;
};
