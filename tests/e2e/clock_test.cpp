// The clock itself under a fake clock: started a few seconds before three o'clock with a
// chime chosen, it speaks at 15:00:05 (the chime, then "15", "часов", "ровно"), carries its
// characters' files beside itself while it runs, and keeps its settings when it closes;
// minimised, it comes back when restored; with the alarm set ten seconds ahead, it rings the
// chosen melody, and having been closed while minimised, it starts minimised.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "wave_file.h"
#include "wine_session.h"

namespace horavox::e2e {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char kSettingsKey[] = "HKCU\\Software\\Fernwick\\Horavox";
const char* const kCharacters[] = {"Angel.aal", "Ann.aal", "Dolly.aal"};

std::string Dist() { return WineSession::WinBuildDir() + "/dist"; }

// Where the running clock wrote its characters: beside itself, or in the per-user folder
// when it could not.
std::string CharacterFolder() {
  if (fs::exists(Dist() + "/Angel.aal")) return Dist();
  fs::path users = WineSession::WinBuildDir() + "/wineprefix-e2e/drive_c/users";
  if (fs::exists(users))
    for (const auto& user : fs::directory_iterator(users))
      if (fs::exists(user.path() / "AppData/Local/Horavox/Angel.aal")) return user.path() / "AppData/Local/Horavox";
  return "";
}

// The value of a setting as reg.exe shows it ("" when it is not there).
std::string Setting(const std::string& listing, const std::string& name) {
  std::string line;
  for (size_t at = 0; at < listing.size(); at = listing.find('\n', at) + 1) {
    size_t end = listing.find('\n', at);
    line = listing.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t name_at = line.find_first_not_of(' ');
    if (name_at != std::string::npos && line.compare(name_at, name.size() + 1, name + " ") == 0) {
      size_t type = line.find("REG_SZ");
      if (type == std::string::npos) return "?";
      size_t value = line.find_first_not_of(' ', type + 6);
      return value == std::string::npos ? "" : line.substr(value);
    }
    if (end == std::string::npos) break;
  }
  return "";
}

// The 16-bit samples that are not silent: a device that falls behind under load pads the
// capture with silence, which is not the clock's doing.
Bytes Audible(const Bytes& samples) {
  Bytes out;
  for (size_t i = 0; i + 1 < samples.size(); i += 2)
    if (samples[i] != 0 || samples[i + 1] != 0) out.insert(out.end(), {samples[i], samples[i + 1]});
  return out;
}

// Whether the clock's application window is minimised, as the task bar sees it.
bool Minimised(WineSession& wine) {
  RunResult iconic = wine.Ctl({"iconic", "TApplication"});
  EXPECT_EQ(iconic.exit_code, 0);
  return iconic.out.starts_with("1");
}

TEST(Clock, SpeaksAtTheFullHourAfterTheChimeAndKeepsItsSettings) {
  WineSession wine;
  std::string capture = WineSession::ArtifactDir() + "/clock-capture.raw";
  fs::remove(capture);
  for (const char* name : kCharacters) fs::remove(Dist() + "/" + name);
  wine.Reg({"delete", kSettingsKey, "/f"});
  // The second melody in alphabetical order: "Кукушка".
  ASSERT_EQ(wine.Reg({"add", std::string(kSettingsKey) + "\\Horavox", "/v", "Ring", "/d", "1", "/f"}).exit_code, 0);

  wine.CaptureSoundTo(capture);
  wine.FakeTimeFrom("2026-12-10 14:59:58");
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);

  std::string folder = CharacterFolder();
  ASSERT_FALSE(folder.empty()) << "the characters' files were not written";
  for (const char* name : kCharacters) {
    RunResult actor = wine.Ctl({"actor", WineSession::WindowsPath(folder + "/" + name)});
    EXPECT_EQ(actor.exit_code, 0) << name << ": " << actor.out;
  }

  Bytes expected;
  for (const std::string& wav : {Dist() + "/Ring/Кукушка.wav", Dist() + "/Sounds/15.wav",
                                 Dist() + "/Sounds/chasov.wav", Dist() + "/Sounds/rovno.wav"}) {
    Bytes samples = WaveSamples(wav);
    expected.insert(expected.end(), samples.begin(), samples.end());
  }
  // Spoken at 15:00:05: the chime, 0.8 s, then the words, about four seconds in all.
  auto deadline = std::chrono::steady_clock::now() + 30s;
  expected = Audible(expected);
  while (Audible(ReadWholeFile(capture)).size() < expected.size() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(200ms);
  wine.Screenshot("clock-main-window");
  std::this_thread::sleep_for(1s);  // nothing more comes
  Bytes played = Audible(ReadWholeFile(capture));
  EXPECT_EQ(played.size(), expected.size());
  EXPECT_TRUE(played == expected) << "the capture differs from the chime and the three words";

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
  EXPECT_EQ(Setting(settings.out, "Form2State2"), "0");
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

  wine.CaptureSoundTo(capture);
  wine.FakeTimeFrom("2026-12-10 07:29:50");
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);

  Bytes melody = Audible(WaveSamples(Dist() + "/Ring/Трель.wav"));
  // Rung at 07:30:00, from its first sample.
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

  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
}

}  // namespace
}  // namespace horavox::e2e
