// The loop itself: the clock's window comes up and closes cleanly; what Windows plays
// reaches the capture file sample for sample.
#include <gtest/gtest.h>

#include <filesystem>

#include "wave_file.h"
#include "wine_session.h"

namespace horavox::e2e {
namespace {
using namespace std::chrono_literals;

TEST(Smoke, MainWindowComesUpAndClosesCleanly) {
  WineSession wine;
  pid_t clock = wine.Start("dist/Horavox.exe");
  ASSERT_EQ(wine.Ctl({"wait-window", "TForm1", "20000"}).exit_code, 0);
  EXPECT_EQ(wine.Ctl({"text", "TForm1"}).out, "Хоравокс\n");
  EXPECT_GT(std::filesystem::file_size(wine.Screenshot("smoke-main-window")), 1000u);
  ASSERT_EQ(wine.Ctl({"close", "TForm1"}).exit_code, 0);
  EXPECT_EQ(wine.Wait(clock, 20s), 0);
}

TEST(Smoke, PlayedFragmentIsCapturedExactly) {
  WineSession wine;
  std::string capture = WineSession::ArtifactDir() + "/smoke-capture.raw";
  std::filesystem::remove(capture);
  wine.CaptureSoundTo(capture);
  std::string wav = WineSession::WinBuildDir() + "/dist/Sounds/15.wav";
  ASSERT_EQ(wine.Ctl({"play", WineSession::WindowsPath(wav)}).exit_code, 0);
  EXPECT_EQ(ReadWholeFile(capture), WaveSamples(wav));
}

TEST(Smoke, FakeClockReachesEveryWindowsProcess) {
  WineSession wine;
  wine.FakeTimeFrom("2026-12-10 14:59:00");
  // The first program starts the wineserver; a later one must see the same running clock.
  std::string first = wine.Ctl({"now"}).out;
  std::string later = wine.Ctl({"now"}).out;
  EXPECT_EQ(first.substr(0, 17), "2026-12-10 14:59:") << first;
  EXPECT_GE(later, first);
  EXPECT_LT(later, "2026-12-10 15:00:00") << later;
}

}  // namespace
}  // namespace horavox::e2e
