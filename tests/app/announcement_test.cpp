// The spoken time on a virtual clock with a fake media device: when each fragment plays,
// where the chain ends, what the character does, cuckoo mode, no chime, and the failures
// that end an announcement cleanly.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "app/announcement.h"
#include "caught_exceptions.h"
#include "classlib/core/files.h"
#include "clock_fakes.h"
#include "fake_media.h"

namespace {
using namespace horavox::test;

const String kFolder = String("C:") + PathDelim + "Horavox" + PathDelim;
String Sound(const String& name) { return kFolder + "Sounds" + PathDelim + name; }
String Ring(const String& name) { return kFolder + "Ring" + PathDelim + name; }

struct Played {
  std::uint64_t At;
  String File;
  bool operator==(const Played&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Played& p) { return out << p.At << " " << p.File; }

class Announcement : public ::testing::Test {
 protected:
  Announcement() {
    TAnnouncementTimers timers;
    for (TTimer*& t : timers.Play) t = NewTimer(0);
    timers.EndPlay = NewTimer(0);
    timers.EndPlayHide = NewTimer(0);
    timers.Fly = NewTimer(700);
    timers.Temp = NewTimer(0);
    all = timers;
    player = new TMediaPlayer(&owner);
    auto ch = std::make_unique<TFakeCharacter>(calls);
    character = ch.get();
    parts.Character = std::move(ch);
    auto op = std::make_unique<TFakeOptions>();
    options = op.get();
    parts.Options = std::move(op);
    parts.HotKey = std::make_unique<TFakeHotKey>(calls);
    gate.OnChange = [this] { calls.Add(gate.MaySpeakNow() ? "may speak" : "may not speak"); };
    announcement = std::make_unique<TAnnouncement>(timers, player, gate, parts);
    announcement->ProgramFolder = kFolder;

    media.AddFile(Ring("Колокольчик.wav"), 1500);
    const std::pair<const char*, int> lengths[] = {
        {"3.wav", 300},   {"10.wav", 350},    {"15.wav", 410},   {"40.wav", 380},   {"2e.wav", 290},
        {"chasa.wav", 420}, {"chasov.wav", 470}, {"rovno.wav", 520}, {"minut.wav", 440}, {"minuti.wav", 460}};
    for (auto [name, length] : lengths) media.AddFile(Sound(name), length);
  }

  TTimer* NewTimer(std::uint32_t interval) {
    auto* t = new TTimer(&owner);
    t->SetEnabled(false);
    t->SetInterval(interval);
    return t;
  }

  // Runs the virtual clock millisecond by millisecond, noting what starts to play when.
  void Run(int ms) {
    Collect();
    for (int i = 0; i < ms; ++i) {
      clock.Advance(1);
      Collect();
    }
  }
  void Collect() {
    for (; seen < media.Log.size(); ++seen) {
      if (media.Log[seen] == "Play") played.push_back({clock.TickCount(), ExtractFileName(media.LastDevice()->FileName)});
    }
  }
  // When the time may be spoken again.
  std::uint64_t BackAt() const {
    for (const std::string& call : calls.Calls)
      if (call.ends_with(" may speak")) return std::stoull(call);
    return 0;
  }
  bool AnyTimerRunning() const {
    for (TTimer* t : all.Play)
      if (t->Running()) return true;
    return all.EndPlay->Running() || all.EndPlayHide->Running() || all.Fly->Running();
  }

  TVirtualClock clock{EncodeDate(2026, 12, 10) + EncodeTime(15, 0, 5, 0)};
  TClockScope scope{clock};
  TFakeMediaSystem media;
  TComponent owner{nullptr};
  TAnnouncementTimers all;
  TMediaPlayer* player = nullptr;
  TCallLog calls{clock};
  TSayTimeGate gate;
  TClockParts parts;
  TFakeCharacter* character = nullptr;
  TFakeOptions* options = nullptr;
  std::unique_ptr<TAnnouncement> announcement;
  size_t seen = 0;
  std::vector<Played> played;
};

struct ChainCase {
  int Hour, Minute;
  std::vector<std::pair<const char*, int>> Fragments;  // file, length
};

TEST_F(Announcement, PlaysEachFragmentAsTheOneBeforeEndsAndEndsAfterTheLast) {
  const ChainCase cases[] = {
      {15, 0, {{"15.wav", 410}, {"chasov.wav", 470}, {"rovno.wav", 520}}},
      {10, 15, {{"10.wav", 350}, {"chasov.wav", 470}, {"15.wav", 410}, {"minut.wav", 440}}},
      {3, 42, {{"3.wav", 300}, {"chasa.wav", 420}, {"40.wav", 380}, {"2e.wav", 290}, {"minuti.wav", 460}}},
  };
  for (const ChainCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Hour) + ":" + std::to_string(c.Minute));
    played.clear();
    calls.Calls.clear();
    std::uint64_t start = clock.TickCount();
    ASSERT_TRUE(announcement->AnnounceTime(c.Hour, c.Minute, "Колокольчик.wav"));
    EXPECT_FALSE(gate.MaySpeakNow());
    Run(12000);

    // The chime at 10 ms, slot 1 at 10 + 1500 + 800, each next one when the last ends.
    std::vector<Played> expected{{start + 10, "Колокольчик.wav"}};
    std::uint64_t at = start + 2310;
    for (auto [file, length] : c.Fragments) {
      expected.push_back({at, file});
      at += static_cast<std::uint64_t>(length);
    }
    EXPECT_EQ(played, expected);
    // The end timer runs out with the last fragment; 3000 ms later the time may be spoken.
    EXPECT_EQ(BackAt(), at + 3000);
    EXPECT_FALSE(AnyTimerRunning());
    EXPECT_FALSE(player->DeviceOpen());
  }
}

TEST_F(Announcement, DirectsTheCharacterThroughTheSpeech) {
  ASSERT_TRUE(announcement->AnnounceTime(15, 0, "Колокольчик.wav"));
  Run(8000);
  std::vector<std::string> expected{
      // The character comes with the chime, so its show animation holds back no sound.
      "0 may not speak",   "10 ShowCharacter",     "10 StopPlaying",
      "710 PlayAnimation 3",  "1410 PlayAnimation 3", "2110 PlayAnimation 3",  // during the chime
      "2310 StopPlaying",  "2310 PlayAnimation 6", "2720 PlayAnimation 6",  "3190 PlayAnimation 6",
      "3710 StopPlaying",  "3710 PlayAnimation 4", "6710 HideCharacter",    "6710 may speak"};
  EXPECT_EQ(calls.Calls, expected);
}

TEST_F(Announcement, LeavesTheCharacterOnScreenOrMovesItAsTheOptionsSay) {
  struct EndCase {
    bool Show, Always, Move, Visible;
    std::vector<std::string> CharacterAtEnd;
    bool Animates;
  };
  const EndCase cases[] = {
      {true, false, true, false, {"HideCharacter"}, true},
      {true, true, true, true, {"MoveToRandomPlace"}, true},
      {true, true, false, true, {}, true},
      {false, true, false, true, {}, true},     // not shown for speech, but on screen anyway
      {false, false, false, false, {"HideCharacter"}, false},  // hidden: no animations
  };
  for (const EndCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Show << c.Always << c.Move << c.Visible);
    options->Show = c.Show;
    options->Always = c.Always;
    options->Move = c.Move;
    character->SetVisible(c.Visible);
    calls.Calls.clear();
    ASSERT_TRUE(announcement->AnnounceTime(15, 0, "Колокольчик.wav"));
    std::uint64_t start = clock.TickCount();
    Run(8000);
    std::string endAt = std::to_string(start + 6710) + " ";
    std::vector<std::string> atEnd;
    bool animates = false;
    for (const std::string& call : calls.Calls) {
      if (call.starts_with(endAt) && !call.ends_with("may speak")) atEnd.push_back(call.substr(endAt.size()));
      if (call.ends_with("PlayAnimation 6") || call.ends_with("PlayAnimation 3")) animates = true;
    }
    EXPECT_EQ(atEnd, c.CharacterAtEnd);
    EXPECT_EQ(animates, c.Animates);
  }
}

TEST_F(Announcement, CuckooPlaysTheChimeOnlyAndNeedsNoWords) {
  options->Cuckoo = true;
  media.AddFile(Sound("15.wav"), 0);  // broken words do not matter to the cuckoo
  ASSERT_TRUE(announcement->AnnounceTime(15, 0, "Колокольчик.wav"));
  Run(5000);
  EXPECT_EQ(played, (std::vector<Played>{{10, "Колокольчик.wav"}}));
  EXPECT_EQ(BackAt(), 10u + 1500 + 800 + 500);
  // The character is left alone.
  EXPECT_EQ(calls.Calls, (std::vector<std::string>{"0 may not speak", "2810 may speak"}));
}

TEST_F(Announcement, WithoutAChimeSpeaksAtOnceAndTheCuckooStaysSilent) {
  ASSERT_TRUE(announcement->AnnounceTime(15, 0, ""));
  Run(6000);
  EXPECT_EQ(played, (std::vector<Played>{{20, "15.wav"}, {430, "chasov.wav"}, {900, "rovno.wav"}}));
  EXPECT_EQ(BackAt(), 900u + 520 + 3000);

  options->Cuckoo = true;
  played.clear();
  calls.Calls.clear();
  std::uint64_t start = clock.TickCount();
  ASSERT_TRUE(announcement->AnnounceTime(15, 0, ""));
  Run(2000);
  EXPECT_TRUE(played.empty());
  EXPECT_EQ(BackAt(), start + 520);
}

TEST_F(Announcement, NeverOverlapsAndALongerOneAfterAShorterOneKeepsItsTiming) {
  ASSERT_TRUE(announcement->AnnounceTime(15, 0, "Колокольчик.wav"));
  Run(1000);
  EXPECT_FALSE(announcement->AnnounceTime(3, 42, "Колокольчик.wav"));  // refused while one runs
  gate.SignalStarted();
  Run(6000);
  EXPECT_FALSE(gate.MaySpeakNow());
  EXPECT_FALSE(announcement->AnnounceTime(3, 42, "Колокольчик.wav"));  // nor while a signal rings
  gate.SignalEnded();

  played.clear();
  std::uint64_t start = clock.TickCount();
  ASSERT_TRUE(announcement->AnnounceTime(3, 42, "Колокольчик.wav"));
  Run(5000);
  ASSERT_EQ(played.size(), 6u);
  EXPECT_EQ(played[1], (Played{start + 2310, "3.wav"}));
  EXPECT_EQ(played[5], (Played{start + 2310 + 300 + 420 + 380 + 290, "minuti.wav"}));
}

TEST_F(Announcement, AFileThatCannotBeMeasuredEndsItAtOnce) {
  struct FailCase {
    const char* Chime;
    int Hour, Minute;
    const char* Missing;  // a fragment that is not there
    const char* Empty;    // one that holds no sound
  };
  const FailCase cases[] = {
      {"Колокольчик.wav", 15, 0, "rovno.wav", nullptr},
      {"Колокольчик.wav", 15, 1, "1a.wav", nullptr},
      {"Пропал.wav", 15, 0, nullptr, nullptr},
      {"Колокольчик.wav", 15, 0, nullptr, "chasov.wav"},
  };
  for (const FailCase& c : cases) {
    String broken = c.Missing ? Sound(c.Missing) : c.Empty ? Sound(c.Empty) : Ring(c.Chime);
    SCOPED_TRACE(broken);
    if (c.Missing) media.RemoveFile(broken);
    if (c.Empty) media.AddFile(broken, 0);
    parts.HotKey->SetActive(true);
    try {
      announcement->AnnounceTime(c.Hour, c.Minute, c.Chime);
      ADD_FAILURE() << "no error";
    } catch (const EMCIDeviceError& e) {
      EXPECT_TRUE(String(e.Message).starts_with(broken + ": ")) << e.Message;
    }
    EXPECT_TRUE(gate.MaySpeakNow());
    EXPECT_FALSE(parts.HotKey->Active());  // the next tick makes it active again
    EXPECT_FALSE(player->DeviceOpen());
    EXPECT_FALSE(AnyTimerRunning());
    size_t logged = media.Log.size();
    clock.Advance(10000);
    EXPECT_EQ(media.Log.size(), logged);  // and nothing plays later
    if (c.Missing || c.Empty) media.AddFile(broken, 400);
  }
}

TEST_F(Announcement, AFileThatGoesMissingWhilePlayingEndsItAndIsReportedOnce) {
  TCaughtExceptions errors;
  ASSERT_TRUE(announcement->AnnounceTime(15, 0, "Колокольчик.wav"));
  Run(2500);  // the chime and slot 1 played
  media.RemoveFile(Sound("chasov.wav"));
  Run(10000);
  ASSERT_EQ(errors.Messages.size(), 1u);
  EXPECT_TRUE(errors.Messages[0].starts_with(Sound("chasov.wav") + ": ")) << errors.Messages[0];
  EXPECT_EQ(played.size(), 2u);
  EXPECT_EQ(BackAt(), 2310u + 410);
  EXPECT_FALSE(AnyTimerRunning());
  EXPECT_FALSE(player->DeviceOpen());
  EXPECT_TRUE(calls.Calls.back().ends_with("may speak"));
}

}  // namespace
