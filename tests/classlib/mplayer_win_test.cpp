// The media player over MCI under Wine, with the generated wave files: lengths in
// milliseconds, playing to the end, notifications through the message loop, paths with
// spaces and Cyrillic letters, and MCI's own errors.
#include <gtest/gtest.h>

#include <cstring>

#include "classlib/core/files.h"
#include "classlib/core/mplayer.h"
#include "classlib/core/streams.h"
#include "message_pump.h"
#include "test_paths.h"

namespace {

// A wave file's length in whole milliseconds, from its header (PCM, data chunk).
std::int64_t WaveLength(const std::string& path) {
  TMemoryStream wave;
  wave.LoadFromFile(path);
  auto* b = static_cast<const unsigned char*>(wave.Memory());
  auto u32 = [b](size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24; };
  std::uint32_t byteRate = u32(28);
  for (size_t at = 12; at + 8 <= static_cast<size_t>(wave.GetSize()); at += 8 + u32(at + 4))
    if (std::memcmp(b + at, "data", 4) == 0) return std::int64_t(u32(at + 4)) * 1000 / byteRate;
  return -1;
}

std::string RingFile(const char* name) { return horavox::test::SoundDataDir() + "\\Ring\\" + name; }

TEST(MciMediaPlayer, MeasuresAndPlaysAWaveFileToItsEnd) {
  std::string path = RingFile("Колокольчик.wav");
  TMediaPlayer player(nullptr);
  player.SetFileName(path);
  player.SetDeviceType(dtWaveAudio);
  player.Open();
  std::int64_t length = player.Length();
  EXPECT_NEAR(length, WaveLength(path), 1);
  EXPECT_EQ(player.Mode(), mpStopped);
  player.SetWait(true);
  player.Play();
  EXPECT_EQ(player.Mode(), mpStopped);
  EXPECT_EQ(player.GetPosition(), length);
  player.Seek(length / 2);
  EXPECT_EQ(player.GetPosition(), length / 2);
  player.Close();
  EXPECT_EQ(player.Mode(), mpNotReady);
}

TEST(MciMediaPlayer, PlayReturnsAtOnceAndNotifiesThroughTheMessageLoop) {
  TMediaPlayer player(nullptr);
  player.SetFileName(RingFile("Кукушка.wav"));  // the device found by the extension
  std::vector<TMPNotifyValues> notified;
  player.OnNotify = [&](TObject*) { notified.push_back(player.NotifyValue()); };
  player.Open();
  player.Play();
  ASSERT_TRUE(horavox::test::PumpMessagesUntil([&] { return !notified.empty(); }));
  EXPECT_EQ(notified, (std::vector<TMPNotifyValues>{nvSuccessful}));
  EXPECT_EQ(player.GetPosition(), player.Length());
}

TEST(MciMediaPlayer, OpensPathsWithSpacesAndCyrillicLetters) {
  std::string folder = horavox::test::TempDir() + "\\Папка со звуками";
  ASSERT_TRUE(ForceDirectories(folder));
  std::string path = folder + "\\звук номер 1.wav";
  TMemoryStream wave;
  wave.LoadFromFile(RingFile("Утро.wav"));
  wave.SaveToFile(path);
  TMediaPlayer player(nullptr);
  player.SetFileName(path);
  player.Open();
  EXPECT_NEAR(player.Length(), WaveLength(path), 1);
}

TEST(MciMediaPlayer, FailuresCarryMcisOwnMessage) {
  TMediaPlayer player(nullptr);
  player.SetFileName(horavox::test::TempDir() + "\\нет такого файла.wav");
  try {
    player.Open();
    FAIL() << "a missing file opened";
  } catch (const EMCIDeviceError& e) {
    EXPECT_FALSE(e.Message.empty());
    EXPECT_EQ(e.Message.find("MCI error"), std::string::npos) << e.Message;  // the system's text
  }
  EXPECT_FALSE(player.DeviceOpen());
  EXPECT_THROW(player.Play(), EMCIDeviceError);  // nothing open
  EXPECT_EQ(player.Mode(), mpNotReady);
}

}  // namespace
