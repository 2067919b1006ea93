#include "app/reminders.h"

#include <cmath>
#include <cstdio>

#include "classlib/core/callbackguard.h"
#include "classlib/core/files.h"
#include "classlib/core/finally.h"

namespace {
const char* const kDayField = "DATA";
const char* const kTextField = "SOBITIE";
const char* const kDeleteQuestion = "Хотите удалить эту запись?";

bool Blank(const String& Text) { return Text.find_first_not_of(' ') == String::npos; }
}  // namespace

TReminders::TReminders(TDataSet* Table, const TReminderTimers& Timers, TMediaPlayer* Player, TSayTimeGate& Gate)
    : FTable(Table), FTimers(Timers), FPlayer(Player), FGate(Gate) {
  FTimers.Show->SetEnabled(false);
  FTimers.Melody->SetEnabled(false);
  FTimers.Show->OnTimer = [this](TObject*) { ShowTimer(); };
  FTimers.Melody->SetInterval(kRetryDelay);
  FTimers.Melody->OnTimer = [this](TObject*) { WatchMelody(); };
}

TReminders::~TReminders() {
  FTimers.Show->OnTimer = nullptr;
  FTimers.Melody->OnTimer = nullptr;
  HoldGate(false);
}

String TReminders::DayKey(TDateTime Day) {
  int year, month, day;
  DecodeDate(std::floor(Day), year, month, day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
  return text;
}

bool TReminders::Editing() const { return TableOpen() && IsEditState(FTable->State()); }

bool TReminders::PostEdit() {
  if (!Editing()) return true;
  try {
    FTable->CheckBrowseMode();  // posts a changed record, drops an untouched new one
    return true;
  } catch (...) {
    HandleCallbackException(std::current_exception());
    return false;
  }
}

// ---- Finding and showing ----

void TReminders::ShowRemindersOf(TDateTime Day) {
  FDay = std::floor(Day);
  // The reminder found before is shown (or dropped) first; this day's lookup follows.
  if (FFound) {
    FLookupPending = true;
    return;
  }
  Lookup();
}

void TReminders::Lookup() {
  FLookupPending = false;
  FTimers.Show->SetEnabled(false);
  if (!TableOpen()) return;
  if (!PostEdit()) {
    FLookupPending = true;  // again once the edit is over
    RetryInASecond();
    return;
  }
  if (!FTable->Locate(kDayField, TVariant(DayKey(FDay)), TLocateOptions{loCaseInsensitive})) return;
  FFound = true;
  FShown = false;
  FFoundBookmark = FTable->GetBookmark();
  FFoundDay = FDay;
  FTimers.Show->SetInterval(kShowDelay);
  FTimers.Show->SetEnabled(true);
}

void TReminders::RetryInASecond() {
  FTimers.Show->SetEnabled(false);
  FTimers.Show->SetInterval(kRetryDelay);
  FTimers.Show->SetEnabled(true);
}

void TReminders::ShowTimer() {
  FTimers.Show->SetEnabled(false);
  if (FInMessage) return;
  if (!TableOpen()) {
    FFound = FShown = FLookupPending = false;
    return;
  }
  // The record the user edits is left alone; so is the time while something sounds.
  if (Editing() || (FFound && !FShown && !FGate.MaySpeakNow())) {
    if (FFound || FLookupPending) RetryInASecond();
    return;
  }
  GuardCallback([this] {
    if (FShown) DeleteFound();
    else if (FFound) ShowFound();
    else if (FLookupPending) Lookup();
  });
}

bool TReminders::GoToFound() {
  if (FFoundBookmark.empty() || !FTable->BookmarkValid(FFoundBookmark)) return false;
  FTable->GotoBookmark(FFoundBookmark);
  if (FTable->CompareBookmarks(FTable->GetBookmark(), FFoundBookmark) != 0) return false;
  TField* day = FTable->FieldByName(kDayField);
  return !day->IsNull() && std::floor(day->GetAsDateTime()) == FFoundDay;
}

void TReminders::GoBackTo(const TBookmarkStr& Place) {
  if (!Place.empty() && FTable->BookmarkValid(Place)) FTable->GotoBookmark(Place);
}

void TReminders::ShowFound() {
  TBookmarkStr userPlace = FTable->GetBookmark();
  String text;
  bool live = false;
  FTable->DisableControls();
  try {
    live = GoToFound();
    if (live) text = FTable->FieldByName(kTextField)->GetAsString();
    GoBackTo(userPlace);
  } catch (...) {
    FTable->EnableControls();
    FFound = false;
    throw;
  }
  FTable->EnableControls();
  if (!live) {  // deleted or moved to another day meanwhile: nothing to show
    FFound = false;
    Lookup();
    return;
  }
  FShown = true;
  if (!Blank(text)) {
    PlayMelody();
    FInMessage = true;
    try {
      if (ShowMessage) ShowMessage(text);
    } catch (...) {
      HandleCallbackException(std::current_exception());
    }
    FInMessage = false;
  }
  DeleteFound();
}

void TReminders::DeleteFound() {
  if (!TableOpen()) {
    FFound = FShown = false;
    return;
  }
  if (!FFound) {  // deleted by the user while it was shown
    FShown = false;
    Lookup();
    return;
  }
  if (Editing()) {
    RetryInASecond();
    return;
  }
  FFound = FShown = false;
  TBookmarkStr userPlace = FTable->GetBookmark();
  FTable->DisableControls();
  {
    TFinally enable([this] { FTable->EnableControls(); });
    if (GoToFound()) {
      bool userWasThere = FTable->CompareBookmarks(userPlace, FFoundBookmark) == 0;
      FTable->Delete();
      if (!userWasThere) GoBackTo(userPlace);
    } else {
      GoBackTo(userPlace);
    }
  }
  // The day again, for its next reminder (or the day asked for meanwhile); not after a
  // failure: the reminder would only be shown once more.
  Lookup();
}

// ---- The melody ----

void TReminders::PlayMelody() {
  String name = ChosenMelody ? ChosenMelody() : String();
  if (name.empty()) return;
  String path = IncludeTrailingPathDelimiter(ProgramFolder) + "Ring" + PathDelim + name;
  try {
    FPlayer->SetFileName(path);
    FPlayer->Open();
    FPlayer->Play();
  } catch (...) {
    try {
      FPlayer->Close();
    } catch (...) {
      // The first error is the one worth reporting.
    }
    if (FFailedMelody != path) {
      FFailedMelody = path;
      HandleCallbackException(std::current_exception());
    }
    return;
  }
  FFailedMelody.clear();
  FMelodyPath = path;
  HoldGate(true);
  FTimers.Melody->SetEnabled(true);
}

void TReminders::WatchMelody() {
  // A ringing signal has the player now; it stops it when it ends.
  if (!FGate.SignalRinging()) {
    bool ours = FPlayer->DeviceOpen() && FPlayer->GetFileName() == FMelodyPath;
    if (ours && FPlayer->Mode() == mpPlaying) return;
    if (ours) GuardCallback([this] { FPlayer->Close(); });
  }
  FTimers.Melody->SetEnabled(false);
  HoldGate(false);
}

void TReminders::HoldGate(bool Value) {
  if (FHoldingGate == Value) return;
  FHoldingGate = Value;
  FGate.SetMelodyPlaying(Value);
}

// ---- The user's work ----

void TReminders::DateChosen(TDateTime Day) {
  if (!TableOpen() || !PostEdit()) return;
  TDateTime day = std::floor(Day);
  if (FTable->Locate(kDayField, TVariant(DayKey(day)), TLocateOptions{loCaseInsensitive})) return;
  FTable->Append();
  try {
    FTable->FieldByName(kDayField)->SetAsDateTime(day);
    FTable->Post();
  } catch (...) {
    FTable->Cancel();
    throw;
  }
}

void TReminders::DeleteCurrent() {
  if (!TableOpen() || FTable->IsEmpty()) return;
  if (Confirm && !Confirm(kDeleteQuestion)) return;
  if (!TableOpen() || FTable->IsEmpty()) return;
  if (FTable->State() == dsInsert) {  // a new record not posted yet: it just goes
    FTable->Cancel();
    return;
  }
  if (!PostEdit()) return;
  // The waiting reminder itself: it is not shown.
  if (FFound && FTable->CompareBookmarks(FTable->GetBookmark(), FFoundBookmark) == 0) {
    FFound = false;
    if (!FInMessage) FLookupPending = true;
  }
  FTable->Delete();
}

void TReminders::PackTable() {
  if (!TableOpen() || !PostEdit()) return;
  if (Pack) Pack();
}
