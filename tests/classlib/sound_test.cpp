// Wave sounds from memory: an asynchronous sound's bytes live as long as it may play.
#include <gtest/gtest.h>

#include "classlib/core/sound.h"
#include "fake_sound.h"

namespace {

TWaveBytes Wave(const char* text) { return std::make_shared<const std::string>(text); }

TEST(WaveFromMemory, AnAsynchronousSoundKeepsItsBytesUntilReplacedOrStopped) {
  horavox::test::TFakeSoundOutput output;
  {
    TWaveBytes mine = Wave("RIFF first");
    EXPECT_TRUE(PlayWaveFromMemory(mine, sndAsync));
  }  // the caller lets go of its bytes while the sound plays
  EXPECT_EQ(output.ReadPlaying(), "RIFF first");
  ASSERT_EQ(output.Played.size(), 1u);
  EXPECT_EQ(output.Played[0].Flags, sndAsync | sndMemory);

  // A sound the system refuses leaves the playing one (and its bytes) alone.
  output.Accept = false;
  EXPECT_FALSE(PlayWaveFromMemory(Wave("RIFF refused"), sndAsync));
  EXPECT_EQ(output.ReadPlaying(), "RIFF first");
  output.Accept = true;

  EXPECT_TRUE(PlayWaveFromMemory(Wave("RIFF second"), sndAsync | sndLoop));
  EXPECT_EQ(output.ReadPlaying(), "RIFF second");
  StopWaveSound();
  EXPECT_EQ(output.Stops, 1);
  EXPECT_EQ(output.ReadPlaying(), "");
  StopWaveSound();  // nothing plays: nothing to stop
  EXPECT_EQ(output.Stops, 1);
}

TEST(WaveFromMemory, NothingPlaysFromNoBytes) {
  horavox::test::TFakeSoundOutput output;
  EXPECT_FALSE(PlayWaveFromMemory(nullptr, sndSync));
  EXPECT_FALSE(PlayWaveFromMemory(Wave(""), sndSync));
  EXPECT_TRUE(output.Played.empty());
  EXPECT_TRUE(PlayWaveFromMemory(Wave("RIFF sync"), sndSync));
  EXPECT_EQ(output.Played.at(0).Flags, sndMemory);
}

}  // namespace
