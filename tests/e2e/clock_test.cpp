// The clock itself under a fake clock: started a few seconds before three o'clock with a
// chime chosen, it speaks at 15:00:05 (the chime, 0.8 s of quiet, then "15", "часов",
// "ровно"), with its character shown for the while (greeting, talking, gone 3 s later), carries its characters' files beside itself while it runs, and keeps its
// settings when it closes; minimised, it comes back when restored; with the alarm set ten
// seconds ahead, it rings the chosen melody at that second, and having been closed while
// minimised, it starts minimised.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <sstream>
#include <thread>

#include "clock_helpers.h"

namespace horavox::e2e {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
const char kSettingsKey[] = "HKCU\\Software\\Fernwick\\Horavox";
const char* const kCharacters[] = {"Angel.aal", "Ann.aal", "Dolly.aal"};

// One sample of the character's stage window as winctl's watch prints it.
struct StageSample {
  TimePoint at;
  bool exists = false, visible = false;
  int left = 0, top = 0, right = 0, bottom = 0;
  bool noActivate = false, complexRegion = false, foreground = false;
};

std::vector<StageSample> StageSamples(const std::string& watch) {
  std::vector<StageSample> samples;
  std::istringstream lines(watch);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream in(line);
    long long ms = 0;
    std::string first;
    if (!(in >> ms >> first)) continue;
    StageSample s;
    s.at = TimePoint(std::chrono::milliseconds(ms));
    if (first != "none") {
      int a, b, c;
      s.exists = true;
      s.visible = first == "1";
      in >> s.left >> s.top >> s.right >> s.bottom >> a >> b >> c;
      s.noActivate = a, s.complexRegion = b, s.foreground = c;
    }
    samples.push_back(s);
  }
  return samples;
}

TEST(Clock, SpeaksAtTheFullHourAfterTheChimeAndKeepsItsSettings) {
  WineSession wine;
  std::string capture = WineSession::ArtifactDir() + "/clock-capture.raw";
  fs::remove(capture);
  for (const std::string& folder : CharacterFolders())
    for (const char* name : kCharacters) fs::remove(folder + "/" + name);
  wine.Reg({"delete", kSettingsKey, "/f"});
  // The second melody in alphabetical order: "Кукушка".
  ASSERT_EQ(wine.Reg({"add", std::string(kSettingsKey) + "\\Horavox", "/v", "Ring", "/d", "1", "/f"}).exit_code, 0);

  Bytes chime = ExpectedSamples(Dist() + "/Ring/Кукушка.wav");
  Bytes expected = chime;
  Bytes words;
  for (const std::string& wav : {Dist() + "/Sounds/15.wav", Dist() + "/Sounds/chasov.wav", Dist() + "/Sounds/rovno.wav"}) {
    Bytes samples = ExpectedSamples(wav);
    if (words.empty()) words = samples;
    expected.insert(expected.end(), samples.begin(), samples.end());
  }

  wine.CaptureSoundTo(capture);
  wine.FakeTimeFrom("2026-12-10 14:59:50");
  pid_t clock = wine.Start("dist/Horavox.exe");
  auto heard = Listen(wine, capture, {0, Audible(chime).size(), Audible(expected).size() - 1}, 40s);
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  // The character's stage, sampled from now until after it has left (15:00:05 + ~10 s).
  auto watch = std::async(std::launch::async, [&wine] { return wine.Ctl({"watch", "TAssistantStage", "25000"}, 45s); });

  std::string folder = WaitForCharacterFolder(20s);
  ASSERT_FALSE(folder.empty()) << "the characters' files were not written";
  for (const char* name : kCharacters) {
    RunResult actor = wine.Ctl({"actor", WineSession::WindowsPath(folder + "/" + name)});
    EXPECT_EQ(actor.exit_code, 0) << name << ": " << actor.out;
  }

  // Spoken at 15:00:05 by the clock's own time: the chime, then 0.8 s after its end the words,
  // about four seconds in all.
  std::vector<TimePoint> times = heard.get();
  ASSERT_GE(times.size(), 2u) << (times.empty() ? "nothing was heard" : "only the chime was heard");
  ExpectInSecond(times[0], LeadingSilence(chime), "2026-12-10 15:00:05");
  EXPECT_NEAR(SecondsBetween(times[0], times[1]),
              Seconds(chime.size()) + 0.8 + LeadingSilence(words) - LeadingSilence(chime), 0.4)
      << "the words did not come 0.8 s after the chime";
  auto deadline = std::chrono::steady_clock::now() + 30s;
  expected = Audible(expected);
  while (Audible(ReadWholeFile(capture)).size() < expected.size() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(200ms);
  wine.Screenshot("clock-main-window");
  std::this_thread::sleep_for(1s);  // nothing more comes
  Bytes played = Audible(ReadWholeFile(capture));
  EXPECT_EQ(played.size(), expected.size());
  EXPECT_TRUE(played == expected) << "the capture differs from the chime and the three words";

  // The character (Angel, at the empty stored place 0, 0): shown from before the chime until
  // 3 s after the last word (and its leaving animation), never taking the focus.
  RunResult watched = watch.get();
  ASSERT_EQ(watched.exit_code, 0) << watched.out;
  ASSERT_EQ(times.size(), 3u) << "the last word was not heard";
  std::vector<StageSample> samples = StageSamples(watched.out);
  auto shown = std::find_if(samples.begin(), samples.end(), [](const StageSample& s) { return s.visible; });
  ASSERT_NE(shown, samples.end()) << "the character never came:\n" << watched.out;
  EXPECT_GE(SecondsBetween(WineSession::LocalTime("2026-12-10 15:00:05"), shown->at), 0.0) << watched.out;
  EXPECT_LE(SecondsBetween(times[0], shown->at), 0.1) << "the character came after the chime began";
  EXPECT_EQ(std::vector<int>({shown->left, shown->top, shown->right, shown->bottom}), std::vector<int>({0, 0, 100, 120}));
  EXPECT_TRUE(shown->noActivate);
  bool everForeground = std::any_of(samples.begin(), samples.end(), [](const StageSample& s) { return s.foreground; });
  EXPECT_FALSE(everForeground);
  auto gone = std::find_if(shown, samples.end(), [](const StageSample& s) { return !s.visible; });
  ASSERT_NE(gone, samples.end()) << "the character did not leave:\n" << watched.out;
  EXPECT_TRUE(std::any_of(shown, gone, [](const StageSample& s) { return s.complexRegion; }))
      << "the stage is never shaped like its frames:\n" << watched.out;
  double after = SecondsBetween(times[2], gone->at);
  EXPECT_TRUE(after > 3.0 && after < 6.5) << "gone " << after << " s after the last word's end:\n" << watched.out;
  EXPECT_TRUE(std::none_of(gone, samples.end(), [](const StageSample& s) { return s.visible; })) << watched.out;

  // Minimised and restored, it stays up.
  ASSERT_EQ(wine.Ctl({"click", "TForm1", "Свернуть"}).exit_code, 0);
  EXPECT_TRUE(Minimised(wine));
  ASSERT_EQ(wine.Ctl({"restore", "TApplication"}).exit_code, 0);
  EXPECT_FALSE(Minimised(wine)) << "restored, the window went back down";

  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
  for (const char* name : kCharacters) EXPECT_FALSE(fs::exists(folder + "/" + name)) << name;

  RunResult settings = wine.Reg({"query", std::string(kSettingsKey) + "\\Horavox"});
  ASSERT_EQ(settings.exit_code, 0);
  EXPECT_EQ(Setting(settings.out, "Ring"), "1");
  EXPECT_EQ(Setting(settings.out, "FormTray"), "0");
  EXPECT_EQ(Setting(settings.out, "ActorLeft"), "0");
  EXPECT_EQ(Setting(settings.out, "MinClockColor1"), "10");
  // Minimised, the micro clock showed at its stored place (0, 0), kept 4 px inside the work
  // area, and that place is what it saved.
  EXPECT_EQ(Setting(settings.out, "Form2State2"), "4");
}

TEST(Clock, RingsTheChosenMelodyAtTheAlarmTime) {
  WineSession wine;
  std::string capture = WineSession::ArtifactDir() + "/alarm-capture.raw";
  fs::remove(capture);
  wine.Reg({"delete", kSettingsKey, "/f"});
  std::string key = std::string(kSettingsKey) + "\\Horavox";
  // The third melody in alphabetical order, "Трель" (4.3 s), at 07:30:00; the clock was
  // closed while minimised.
  for (auto [name, value] :
       {std::pair{"Ring", "2"}, {"Trigger", "07:30:00"}, {"TriggerEnabled", "1"}, {"FormTray", "1"}})
    ASSERT_EQ(wine.Reg({"add", key, "/v", name, "/d", value, "/f"}).exit_code, 0);

  Bytes wave = ExpectedSamples(Dist() + "/Ring/Трель.wav");
  Bytes melody = Audible(wave);
  wine.CaptureSoundTo(capture);
  wine.FakeTimeFrom("2026-12-10 07:29:50");
  pid_t clock = wine.Start("dist/Horavox.exe");
  auto heard = Listen(wine, capture, {0}, 40s);
  // Minimised from the start: the application's window, not the shield.
  ASSERT_EQ(wine.Ctl({"wait-window", "TApplication", "20000"}).exit_code, 0);

  // Rung at 07:30:00 by the clock's own time, from its first sample.
  std::vector<TimePoint> rang = heard.get();
  ASSERT_EQ(rang.size(), 1u) << "nothing was heard";
  ExpectInSecond(rang[0], LeadingSilence(wave), "2026-12-10 07:30:00");
  auto deadline = std::chrono::steady_clock::now() + 30s;
  while (Audible(ReadWholeFile(capture)).size() < melody.size() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(200ms);
  wine.Screenshot("clock-alarm-rings");
  Bytes played = Audible(ReadWholeFile(capture));
  ASSERT_GE(played.size(), melody.size());
  EXPECT_TRUE(std::equal(melody.begin(), melody.end(), played.begin())) << "the capture does not start with the melody";

  // It started minimised, and comes back when restored.
  EXPECT_TRUE(Minimised(wine));
  ASSERT_EQ(wine.Ctl({"restore", "TApplication"}).exit_code, 0);
  EXPECT_FALSE(Minimised(wine)) << "restored, the window went back down";
  // Still ringing: its switch-off button is on the shield, and the date caption's row (98 to
  // 122) is left to the date.
  ASSERT_TRUE(WaitShown(wine, "TForm1", true));
  EXPECT_EQ(wine.Ctl({"has-text", "TForm1", "Выключить сигнал будильника"}).out, "1\n");
  for (int x : {70, 150, 230, 282, 330, 410, 490})
    for (int y : {100, 110, 120})
      EXPECT_NE(wine.Ctl({"enabled-at", "TForm1", std::to_string(x), std::to_string(y)}).exit_code, 0)
          << "a control covers the date caption at " << x << "," << y;
  wine.Screenshot("clock-alarm-restored");

  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
}

}  // namespace
}  // namespace horavox::e2e
