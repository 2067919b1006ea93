// The audio player and the notes on the desktop: "Мини плейер" in the tray opens the
// player, a WAV chosen in its open dialog is heard sample for sample until Stop ends it;
// notes typed on page 2 of "Записки" are there after the clock has been closed and started
// again.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "clock_helpers.h"

namespace horavox::e2e {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

pid_t StartClock(WineSession& wine) {
  pid_t clock = wine.Start("dist/Horavox.exe");
  EXPECT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  std::this_thread::sleep_for(1s);
  return clock;
}

void CloseClock(WineSession& wine, pid_t clock) {
  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
}

// The buttons' centres in the player's client area.
const char* const kStop[] = {"54", "77"};
const char* const kOpen[] = {"247", "77"};

TEST(Player, FromTheTrayItPlaysAWaveChosenInItsDialogUntilStop) {
  WineSession wine;
  wine.Reg({"delete", kSettingsKey, "/f"});
  // Forty seconds of a rising tone, in the capture's own format: long enough to be still
  // playing when Stop comes (the capture device takes samples faster than real time).
  std::string wav = WineSession::ArtifactDir() + "/player-tone.wav";
  ASSERT_EQ(wine.Host({"sox", "-n", "-r", "22050", "-c", "1", "-b", "16", wav, "synth", "40", "sine", "300-900",
                       "vol", "0.5"})
                .exit_code,
            0);
  Bytes tone = Audible(WaveSamples(wav));
  std::string capture = WineSession::ArtifactDir() + "/player-capture.raw";
  fs::remove(capture);
  wine.CaptureSoundTo(capture);
  pid_t clock = StartClock(wine);

  OpenFromTray(wine, "5", "TForm5");
  EXPECT_EQ(wine.Ctl({"text", "TForm5"}).out, "Мини проигрыватель\n");
  EXPECT_EQ(wine.Ctl({"enabled-at", "TForm5", kStop[0], kStop[1]}).out, "0\n");
  ASSERT_EQ(wine.Ctl({"button-at", "TForm5", kOpen[0], kOpen[1]}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"file-dialog", WineSession::WindowsPath(wav)}).exit_code, 0);

  // Once an eighth of it is heard, it plays what the file holds, from its start, and Stop
  // ends it.
  EXPECT_TRUE(Becomes(wine, {"enabled-at", "TForm5", kStop[0], kStop[1]}, "1"));
  HearAtLeast(capture, tone.size() / 8 + 2, 20s);
  wine.Screenshot("player-playing");
  ASSERT_EQ(wine.Ctl({"button-at", "TForm5", kStop[0], kStop[1]}).exit_code, 0);
  Bytes atStop = HearUntilQuiet(capture, 700ms, 10s);
  std::this_thread::sleep_for(1500ms);
  Bytes later = Audible(ReadWholeFile(capture));
  EXPECT_EQ(later.size(), atStop.size()) << "the sound went on after Stop";
  ASSERT_GT(atStop.size(), tone.size() / 8) << "too little was heard";
  EXPECT_LT(atStop.size(), tone.size()) << "the whole tone played: Stop came too late";
  EXPECT_TRUE(Bytes(tone.begin(), tone.begin() + static_cast<long>(atStop.size())) == atStop)
      << "what was heard is not the tone's start";
  EXPECT_EQ(wine.Ctl({"enabled-at", "TForm5", kStop[0], kStop[1]}).out, "0\n");

  CloseClock(wine, clock);
}

TEST(Notes, PageTwoIsThereAfterARestart) {
  WineSession wine;
  wine.Reg({"delete", kSettingsKey, "/f"});
  const char kTyped[] = "Позвонить бабушке в субботу";
  pid_t clock = StartClock(wine);
  OpenFromTray(wine, "4", "TForm6");
  EXPECT_EQ(wine.Ctl({"text", "TForm6"}).out, "Записки\n");
  // In page 1's memo, Ctrl+Tab turns to "Лист 2", whose memo takes the focus.
  ASSERT_EQ(wine.Ctl({"type-in", "TForm6", "TMemo", ""}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"keys", "ctrl", "tab"}).exit_code, 0);
  std::this_thread::sleep_for(500ms);
  ASSERT_EQ(wine.Ctl({"type-in", "TForm6", "TMemo", kTyped}).exit_code, 0);
  EXPECT_EQ(wine.Ctl({"text-in", "TForm6", "TMemo"}).out, std::string(kTyped) + "\n");
  EXPECT_EQ(wine.Ctl({"has-text", "TForm6", kTyped}).out, "1\n");
  wine.Screenshot("notes-page-2");
  ASSERT_EQ(wine.Ctl({"post-click", "TForm6", "Закрыть"}).exit_code, 0);
  EXPECT_TRUE(Gone(wine, "TForm6"));
  CloseClock(wine, clock);

  clock = StartClock(wine);
  OpenFromTray(wine, "4", "TForm6");
  EXPECT_EQ(wine.Ctl({"text-in", "TForm6", "TMemo"}).out, "\n") << "page 1 is not empty";
  ASSERT_EQ(wine.Ctl({"type-in", "TForm6", "TMemo", ""}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"keys", "ctrl", "tab"}).exit_code, 0);
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(wine.Ctl({"text-in", "TForm6", "TMemo"}).out, std::string(kTyped) + "\n");
  ASSERT_EQ(wine.Ctl({"post-click", "TForm6", "Закрыть"}).exit_code, 0);
  EXPECT_TRUE(Gone(wine, "TForm6"));
  CloseClock(wine, clock);
}

}  // namespace
}  // namespace horavox::e2e
