// The reminder calendar's logic on a virtual clock, over a dataset in memory that searches
// the day as the table's dataset does (by the stored "yyyymmdd" text): today's reminder
// shown 5 s later and deleted, only the found record going whatever the user does
// meanwhile, every reminder of the day once, a day chosen, a deletion asked for, the
// melody on the signals' player waiting for the time to be free and an announcement
// waiting for the melody, and typed text posted.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/clocktick.h"
#include "app/reminders.h"
#include "app/remindertable.h"
#include "caught_exceptions.h"
#include "classlib/core/files.h"
#include "clock_fakes.h"
#include "fake_media.h"
#include "memdataset.h"
#include "test_paths.h"
#include "xbase/xbdataset.h"

namespace {
using namespace horavox::test;

TDateTime Day(int d) { return EncodeDate(2026, 12, d); }
const String kFolder = String("C:") + PathDelim + "Horavox" + PathDelim;
const String kMelody = kFolder + "Ring" + PathDelim + "Мелодия.wav";

// The table's dataset searches a day by its stored text; the one in memory is told so.
class TDayTable : public TMemDataSet {
 public:
  using TMemDataSet::TMemDataSet;
  bool Locate(const String& KeyFields, const TVariant& KeyValues, TLocateOptions Options) override {
    String key = KeyValues.AsString();
    if (KeyFields != "DATA" || key.size() != 8) return false;
    TDateTime day = EncodeDate(std::stoi(key.substr(0, 4)), std::stoi(key.substr(4, 2)), std::stoi(key.substr(6, 2)));
    return TMemDataSet::Locate(KeyFields, TVariant(day), Options);
  }
};

// The fixture over either the dataset in memory or the table's own dataset on DATES.DBF,
// made as the program makes it, in a folder of the test's.
class ReminderFixture : public ::testing::Test {
 protected:
  ReminderFixture(TDateTime start, bool onDisk) : clock(start) {
    if (onDisk) {
      String name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
      for (char& c : name)
        if (c == '/') c = '_';
      folder = ExpandFileName(TempDir()) + PathDelim + "reminders-" + name + PathDelim;
      ForceDirectories(folder);
      DeleteFile(folder + kReminderTableName);
      PlaceReminderTable(folder, folder + "user", Day(10));
      disk = new TXBaseDataSet(&owner);
      disk->SetDatabaseName(folder);
      disk->SetTableName(kReminderTableName);
      disk->SetExclusive(true);
      disk->SetTranslateASCII(true);
      disk->SetUseDeleted(false);
      table = disk;
    } else {
      mem = new TDayTable(&owner);
      mem->AddFieldDef("DATA", ftDate);
      mem->AddFieldDef("SOBITIE", ftString, 254);
      table = mem;
    }
    table->Open();
    player = new TMediaPlayer(&owner);
    timers.Show = NewTimer(5000);
    timers.Melody = NewTimer(1000);
    media.AddFile(kMelody, 6000);
    reminders = std::make_unique<TReminders>(table, timers, player, gate);
    reminders->ProgramFolder = kFolder;
    reminders->ChosenMelody = [this] { return melody; };
    reminders->ShowMessage = [this](const String& text) {
      calls.Add("Message " + text);
      if (duringMessage) duringMessage();
    };
    reminders->Confirm = [this](const String& question) {
      calls.Add("Confirm " + question);
      return answer;
    };
    reminders->Pack = [this] {
      calls.Add("Pack");
      if (disk) disk->PackTable();
    };
  }

  TTimer* NewTimer(std::uint32_t interval) {
    auto* t = new TTimer(&owner);
    t->SetEnabled(false);
    t->SetInterval(interval);
    return t;
  }
  void Add(TDateTime day, const String& text) {
    table->Append();
    table->FieldByName("DATA")->SetAsDateTime(day);
    table->FieldByName("SOBITIE")->SetAsString(text);
    table->Post();
  }
  // The records left, "10.12.2026 text", in table order; the current record stays.
  std::vector<std::string> Left() {
    std::vector<std::string> out;
    TBookmarkStr place = table->GetBookmark();
    table->DisableControls();
    for (table->First(); !table->Eof(); table->Next()) {
      int y, m, d;
      DecodeDate(table->FieldByName("DATA")->GetAsDateTime(), y, m, d);
      char day[16];
      std::snprintf(day, sizeof day, "%02d.%02d.%04d", d, m, y);
      out.push_back(std::string(day) + " " + table->FieldByName("SOBITIE")->GetAsString());
    }
    if (!place.empty() && table->BookmarkValid(place)) table->GotoBookmark(place);
    table->EnableControls();
    return out;
  }
  std::string Current() { return table->FieldByName("SOBITIE")->GetAsString(); }
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const std::string& c : calls.Calls)
      if (c.find(" Message ") != std::string::npos) out.push_back(c);
    return out;
  }
  std::vector<std::string> MediaLog() const { return {media.Log.begin(), media.Log.end()}; }

  TVirtualClock clock;
  TClockScope scope{clock};
  TFakeMediaSystem media;
  TCaughtExceptions errors;
  TComponent owner{nullptr};
  String folder;
  TDayTable* mem = nullptr;        // in memory
  TXBaseDataSet* disk = nullptr;   // or on disk
  TDataSet* table = nullptr;
  TMediaPlayer* player = nullptr;
  TReminderTimers timers;
  TSayTimeGate gate;
  TCallLog calls{clock};
  String melody = "Мелодия.wav";
  bool answer = true;
  std::function<void()> duringMessage;
  std::unique_ptr<TReminders> reminders;
};

class Reminders : public ReminderFixture, public ::testing::WithParamInterface<bool> {
 protected:
  Reminders() : ReminderFixture(Day(10) + EncodeTime(10, 0, 0, 0), GetParam()) {}
};
INSTANTIATE_TEST_SUITE_P(Tables, Reminders, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "OnDisk" : "InMemory"; });

class RemindersInMemory : public ReminderFixture {
 protected:
  RemindersInMemory() : ReminderFixture(Day(10) + EncodeTime(10, 0, 0, 0), false) {}
};

TEST_P(Reminders, TodaysReminderIsShownFiveSecondsLaterWithTheMelodyAndDeleted) {
  Add(Day(9), "вчера");
  Add(Day(10), "Позвонить маме");
  Add(Day(11), "завтра");
  reminders->ShowRemindersOf(clock.Now());
  EXPECT_EQ(Current(), "Позвонить маме");  // the grid stands on it
  clock.Advance(4999);
  EXPECT_TRUE(calls.Calls.empty());
  gate.OnChange = [this] { calls.Add(gate.MaySpeakNow() ? "Gate free" : "Gate held"); };
  clock.Advance(1);
  EXPECT_EQ(calls.Calls, (std::vector<std::string>{"5000 Gate held", "5000 Message Позвонить маме"}));
  EXPECT_EQ(MediaLog(), (std::vector<std::string>{"Open " + kMelody, "Play"}));
  EXPECT_EQ(Left(), (std::vector<std::string>{"09.12.2026 вчера", "11.12.2026 завтра"}));
  // The melody holds the time until it ends.
  clock.Advance(3000);
  EXPECT_FALSE(gate.MaySpeakNow());
  media.FinishAll();
  clock.Advance(1000);
  EXPECT_TRUE(gate.MaySpeakNow());
  EXPECT_EQ(calls.Calls.back(), "9000 Gate free");
  EXPECT_EQ(MediaLog().back(), "Close");
  // Nothing more for the day.
  clock.Advance(60000);
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(errors.Messages.empty());
}

TEST_P(Reminders, OnlyTheFoundRecordGoesWhateverHappensMeanwhile) {
  struct TCase {
    const char* What;
    bool InMessage;  // while its message is open, else during the 5 s
    std::function<void()> Act;
    std::vector<std::string> Left;
    std::string Current;  // where the grid is left
  };
  const std::vector<TCase> cases = {
      {"the grid moved", false, [this] { table->Last(); },
       {"09.12.2026 вчера", "11.12.2026 завтра"}, "завтра"},
      {"the grid moved", true, [this] { table->First(); },
       {"09.12.2026 вчера", "11.12.2026 завтра"}, "вчера"},
      {"a day with a reminder chosen", false, [this] { reminders->DateChosen(Day(9) + 0.5); },
       {"09.12.2026 вчера", "11.12.2026 завтра"}, "вчера"},
      {"a new day chosen", true, [this] { reminders->DateChosen(Day(20)); },
       {"09.12.2026 вчера", "11.12.2026 завтра", "20.12.2026 "}, ""},
      {"the day changed", false, [this] { reminders->ShowRemindersOf(Day(11)); },
       {"09.12.2026 вчера"}, "вчера"},
      {"the day changed", true, [this] { reminders->ShowRemindersOf(Day(11)); },
       {"09.12.2026 вчера"}, "вчера"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.What) + (c.InMessage ? " while the message is open" : " during the 5 s"));
    media.FinishAll();  // the last case's melody
    clock.Advance(1000);
    while (!table->IsEmpty()) table->Delete();
    calls.Calls.clear();
    Add(Day(9), "вчера");
    Add(Day(10), "сегодня");
    Add(Day(11), "завтра");
    reminders->ShowRemindersOf(Day(10));
    clock.Advance(2000);
    duringMessage = nullptr;
    if (c.InMessage) duringMessage = c.Act;
    else c.Act();
    clock.Advance(3000);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("сегодня"), std::string::npos);
    // A change of day asked for meanwhile is looked up after: its reminder comes 5 s later.
    duringMessage = nullptr;
    clock.Advance(5000);
    media.FinishAll();
    clock.Advance(1000);
    EXPECT_EQ(Left(), c.Left);
    if (c.What == std::string("the day changed")) {
      EXPECT_EQ(Messages().size(), 2u);
    } else {
      EXPECT_EQ(Current(), c.Current);
    }
  }
  EXPECT_TRUE(errors.Messages.empty());
}

TEST_P(Reminders, EveryReminderOfTheDayIsShownOnceAndAnEmptyOneGoesSilently) {
  Add(Day(10), "первое");
  Add(Day(11), "завтра");
  Add(Day(10), "");
  Add(Day(10), "второе");
  reminders->ShowRemindersOf(Day(10) + 0.25);
  clock.Advance(7000);
  media.FinishAll();  // the next one waits for the melody
  clock.Advance(23000);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"5000 Message первое", "15000 Message второе"}));
  EXPECT_EQ(Left(), std::vector<std::string>{"11.12.2026 завтра"});
  // The melody was asked for twice, the empty one had none.
  EXPECT_EQ(MediaLog(), (std::vector<std::string>{"Open " + kMelody, "Play", "Close", "Open " + kMelody, "Play"}));
}

TEST_P(Reminders, ADayChosenGoesToItsReminderOrAddsExactlyOneRecordOfTheWholeDay) {
  Add(Day(10), "сегодня");
  Add(Day(12), "послезавтра");
  reminders->DateChosen(Day(12) + 0.6);
  EXPECT_EQ(Current(), "послезавтра");
  EXPECT_EQ(table->RecordCount(), 2);
  reminders->DateChosen(Day(24) + 0.75);
  EXPECT_EQ(table->RecordCount(), 3);
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(table->FieldByName("DATA")->GetAsDateTime(), Day(24));  // no time of day
  EXPECT_EQ(Current(), "");
  reminders->DateChosen(Day(24));
  EXPECT_EQ(table->RecordCount(), 3);
  EXPECT_TRUE(calls.Calls.empty());  // choosing a day shows nothing
}

TEST_F(RemindersInMemory, TheTextBeingTypedIsPostedBeforeTheWindowMovesAndKeptWhenThatFails) {
  Add(Day(12), "");
  table->Edit();
  table->FieldByName("SOBITIE")->SetAsString("Купить хлеб");
  reminders->DateChosen(Day(20));  // posts first
  EXPECT_EQ(Left(), (std::vector<std::string>{"12.12.2026 Купить хлеб", "20.12.2026 "}));
  table->Edit();
  table->FieldByName("SOBITIE")->SetAsString("Забрать посылку");
  mem->PostFailures = 2;
  EXPECT_FALSE(reminders->PostEdit());
  EXPECT_EQ(errors.Messages, std::vector<std::string>{"Post failed"});
  EXPECT_EQ(table->State(), dsEdit);
  EXPECT_EQ(Current(), "Забрать посылку");
  reminders->DateChosen(Day(12));  // nothing moves while the text cannot be kept
  EXPECT_EQ(Current(), "Забрать посылку");
  EXPECT_EQ(errors.Messages.size(), 2u);
  EXPECT_TRUE(reminders->PostEdit());
  reminders->PackTable();
  EXPECT_EQ(Left()[1], "20.12.2026 Забрать посылку");
  EXPECT_EQ(calls.Calls, std::vector<std::string>{"0 Pack"});
}

TEST_P(Reminders, AReminderWaitsWhileTheUserEditsAndIsShownOnceTheEditIsPosted) {
  Add(Day(10), "сегодня");
  Add(Day(11), "завтра");
  reminders->ShowRemindersOf(Day(10));
  table->Last();
  table->Edit();
  table->FieldByName("SOBITIE")->SetAsString("завтра утром");
  clock.Advance(8000);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(table->State(), dsEdit);
  EXPECT_TRUE(reminders->PostEdit());  // the window lost the focus
  clock.Advance(1000);
  EXPECT_EQ(Messages(), std::vector<std::string>{"9000 Message сегодня"});
  EXPECT_EQ(Left(), std::vector<std::string>{"11.12.2026 завтра утром"});
}

TEST_P(Reminders, DeletingAsksFirstAndAnEmptyTableHasNothingToDelete) {
  reminders->DeleteCurrent();  // empty: nothing asked, no error
  EXPECT_TRUE(calls.Calls.empty());
  Add(Day(12), "a");
  Add(Day(13), "b");
  answer = false;
  reminders->DeleteCurrent();
  EXPECT_EQ(Left().size(), 2u);
  answer = true;
  reminders->DeleteCurrent();
  EXPECT_EQ(Left(), std::vector<std::string>{"12.12.2026 a"});
  EXPECT_EQ(calls.Calls, (std::vector<std::string>{"0 Confirm Хотите удалить эту запись?",
                                                   "0 Confirm Хотите удалить эту запись?"}));
  EXPECT_TRUE(errors.Messages.empty());
}

TEST_P(Reminders, TheWaitingReminderDeletedByTheUserIsNotShownAndTheNextOneIs) {
  Add(Day(10), "первое");
  Add(Day(10), "второе");
  reminders->ShowRemindersOf(Day(10));
  clock.Advance(1000);
  reminders->DeleteCurrent();  // the grid stands on the found one
  clock.Advance(20000);
  EXPECT_EQ(Messages(), std::vector<std::string>{"10000 Message второе"});
  EXPECT_TRUE(Left().empty());
}

TEST_P(Reminders, AMelodyThatCannotPlayIsReportedOnceAndTheRemindersComeAllTheSame) {
  melody = "Нет такой.wav";
  Add(Day(10), "первое");
  Add(Day(10), "второе");
  reminders->ShowRemindersOf(Day(10));
  clock.Advance(20000);
  EXPECT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Left().empty());
  EXPECT_EQ(errors.Messages.size(), 1u);
  EXPECT_TRUE(gate.MaySpeakNow());
  // No melody chosen: the text alone.
  melody = "";
  media.Log.clear();
  Add(Day(10), "третье");
  reminders->ShowRemindersOf(Day(10));
  clock.Advance(5000);
  EXPECT_EQ(Messages().size(), 3u);
  EXPECT_TRUE(media.Log.empty());
}

TEST_P(Reminders, AClosedTableIsLeftAlone) {
  Add(Day(10), "сегодня");
  table->Close();
  reminders->ShowRemindersOf(Day(10));
  reminders->DateChosen(Day(10));
  reminders->DeleteCurrent();
  reminders->PackTable();
  EXPECT_TRUE(reminders->PostEdit());
  clock.Advance(10000);
  EXPECT_TRUE(calls.Calls.empty());
  EXPECT_TRUE(errors.Messages.empty());
}

// ---- On disk: the table's bytes ----

class RemindersOnDisk : public ReminderFixture {
 protected:
  RemindersOnDisk() : ReminderFixture(Day(10) + EncodeTime(10, 0, 0, 0), true) {}
  std::string Bytes() {
    TFileStream f(folder + kReminderTableName, fmOpenRead | fmShareDenyNone);
    std::string bytes(static_cast<size_t>(f.GetSize()), '\0');
    f.ReadBuffer(bytes.data(), f.GetSize());
    return bytes;
  }
};

TEST_F(RemindersOnDisk, TheTableKeepsWholeDaysAndCyrillicInCodePage866AndIsPackedAtExit) {
  Add(Day(10), "сегодня");
  reminders->ShowRemindersOf(Day(10));
  reminders->DateChosen(Day(24) + 0.75);
  table->Edit();  // typed into the grid, still in its editor at exit
  table->FieldByName("SOBITIE")->SetAsString("Купить ёлку");
  clock.Advance(5000);  // today's is shown and deleted meanwhile, the edit left alone
  EXPECT_EQ(Messages(), std::vector<std::string>{});
  EXPECT_TRUE(reminders->PostEdit());
  clock.Advance(1000);
  EXPECT_EQ(Messages(), std::vector<std::string>{"6000 Message сегодня"});
  reminders->PackTable();
  table->Close();  // opened exclusively
  const std::string bytes = Bytes();
  EXPECT_EQ(bytes.size(), 97u + 263u + 1u);  // one record left, packed
  EXPECT_EQ(bytes.substr(97, 20), " 20261224\x8A\xE3\xAF\xA8\xE2\xEC \xF1\xAB\xAA\xE3");
  table->Open();
  EXPECT_EQ(Left(), std::vector<std::string>{"24.12.2026 Купить ёлку"});
}

TEST_F(RemindersOnDisk, ATableThatDoesNotOpenIsLeftByteForByte) {
  table->Close();
  const std::string corrupt = EmptyReminderTable(Day(10)).substr(0, 40) + "broken";
  {
    TFileStream f(folder + kReminderTableName, fmCreate);
    f.WriteBuffer(corrupt.data(), static_cast<std::int64_t>(corrupt.size()));
  }
  EXPECT_FALSE(PlaceReminderTable(folder, folder + "user", Day(10)).Created);
  EXPECT_THROW(table->Open(), Exception);
  reminders->ShowRemindersOf(Day(10));
  reminders->DateChosen(Day(11));
  reminders->DeleteCurrent();
  reminders->PackTable();
  clock.Advance(10000);
  EXPECT_EQ(Bytes(), corrupt);
  EXPECT_TRUE(calls.Calls.empty());
}

// ---- With the clock tick: one sound at a time ----

class RemindersAndTheTick : public ReminderFixture {
 protected:
  RemindersAndTheTick() : ReminderFixture(Day(10) + EncodeTime(10, 59, 50, 0), false) {
    tickTimer = NewTimer(1000);
    tickTimer->OnTimer = [this](TObject*) { tick->Tick(); };
    tickTimer->SetEnabled(true);
    parts.Options = std::make_unique<TFakeOptions>();
    tick = std::make_unique<TClockTick>(parts, gate, tickTimer);
    tick->OnAnnounce = [this] {
      calls.Add("Announce " + std::to_string(tick->Hour) + ":" + std::to_string(tick->Minute) + ":" +
                std::to_string(tick->Second));
    };
    tick->Start();
  }
  TTimer* tickTimer = nullptr;
  TClockParts parts;
  std::unique_ptr<TClockTick> tick;
};

TEST_F(RemindersAndTheTick, ABusyGateDelaysTheReminderAndAnAnnouncementFollowsTheMelody) {
  Add(Day(10), "сегодня");
  gate.SignalStarted();  // the alarm rings
  reminders->ShowRemindersOf(Day(10));
  clock.Advance(7000);  // 10:59:57
  EXPECT_TRUE(Messages().empty());
  gate.SignalEnded();
  clock.Advance(1000);  // the next try, 10:59:58
  EXPECT_EQ(Messages(), std::vector<std::string>{"8000 Message сегодня"});
  // 11:00:05 falls during the melody: the announcement waits for its end at 11:00:09.
  clock.Advance(10000);
  EXPECT_EQ(calls.Calls.size(), 1u);
  media.FinishAll();
  clock.Advance(2000);
  EXPECT_EQ(calls.Calls.back(), "20000 Announce 11:0:10");
}

TEST_F(RemindersAndTheTick, ASignalTakesThePlayerAndTheMelodyLetsGoOfTheTime) {
  Add(Day(10), "сегодня");
  reminders->ShowRemindersOf(Day(10));
  clock.Advance(5000);
  EXPECT_TRUE(gate.MelodyPlaying());
  gate.SignalStarted();  // the alarm: its melody replaces the reminder's on the player
  clock.Advance(1000);
  EXPECT_FALSE(gate.MelodyPlaying());
  EXPECT_EQ(MediaLog(), (std::vector<std::string>{"Open " + kMelody, "Play"}));  // left to the signal
  gate.SignalEnded();
  EXPECT_TRUE(gate.MaySpeakNow());
}

TEST_F(RemindersAndTheTick, AnAnnouncementLongOverdueIsNotSpokenLate) {
  Add(Day(10), "сегодня");
  reminders->ShowRemindersOf(Day(10));
  clock.Advance(5000);  // the melody from 10:59:55
  clock.Advance(30000);  // plays on past 11:00:20
  media.FinishAll();
  clock.Advance(5000);
  EXPECT_EQ(calls.Calls, std::vector<std::string>{"5000 Message сегодня"});
}

}  // namespace
