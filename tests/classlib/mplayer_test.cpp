// The media player over a fake device: how each command runs, notifications, rewinding
// at the end, errors, and the player's life.
#include <gtest/gtest.h>

#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/core/mplayer.h"
#include "fake_media.h"

namespace {

using horavox::test::TFakeMediaSystem;
using Log = std::vector<std::string>;

class MediaPlayerTest : public ::testing::Test {
 protected:
  MediaPlayerTest() {
    media.AddFile("C:\\Ring\\Утро.wav", 1800);
    player.SetFileName("C:\\Ring\\Утро.wav");
    player.OnNotify = [this](TObject* sender) {
      EXPECT_EQ(sender, &player);
      notified.push_back(player.NotifyValue());
    };
  }
  TFakeMediaSystem media;
  TMediaPlayer player{nullptr};
  std::vector<TMPNotifyValues> notified;
  horavox::test::TFakeMediaDevice& Device() { return *media.LastDevice(); }
};

TEST_F(MediaPlayerTest, OpensMeasuresAndPlaysInMilliseconds) {
  player.Open();
  EXPECT_TRUE(player.DeviceOpen());
  EXPECT_EQ(Device().TimeFormat, tfMilliseconds);
  EXPECT_EQ(player.Length(), 1800);
  EXPECT_EQ(player.Mode(), mpStopped);
  player.Play();
  EXPECT_EQ(player.Mode(), mpPlaying);
  player.Pause();
  EXPECT_EQ(player.Mode(), mpPaused);
  player.Resume();
  Device().Finish();
  EXPECT_EQ(player.GetPosition(), 1800);
  EXPECT_EQ(notified, (std::vector<TMPNotifyValues>{nvSuccessful}));
  player.Close();
  EXPECT_FALSE(player.DeviceOpen());
  EXPECT_EQ(player.Mode(), mpNotReady);
  EXPECT_EQ(media.Log, (Log{"Open C:\\Ring\\Утро.wav", "Play", "Pause", "Resume", "Close"}));
}

TEST_F(MediaPlayerTest, PlayReturnsAtOnceAndReportsItsEndOtherCommandsWait) {
  struct Case {
    const char* command;
    void (TMediaPlayer::*call)();
    bool wait, notify;
  } cases[] = {
      {"Open", &TMediaPlayer::Open, true, false},   {"Play", &TMediaPlayer::Play, false, true},
      {"Pause", &TMediaPlayer::Pause, true, false}, {"Resume", &TMediaPlayer::Resume, true, false},
      {"Stop", &TMediaPlayer::Stop, true, false},   {"Close", &TMediaPlayer::Close, true, false},
  };
  player.Open();
  for (const Case& c : cases) {
    if (!player.DeviceOpen()) player.Open();
    (player.*c.call)();
    EXPECT_EQ(Device().LastCommand.Wait, c.wait) << c.command;
    EXPECT_EQ(Device().LastCommand.Notify, c.notify) << c.command;
  }
  // Wait and Notify, once set, apply to the next command only.
  player.Open();
  player.SetWait(true);
  player.SetNotify(false);
  player.Play();
  EXPECT_TRUE(Device().LastCommand.Wait);
  EXPECT_FALSE(Device().LastCommand.Notify);
  EXPECT_EQ(player.Mode(), mpStopped);  // waited for the end
  player.SetNotify(true);
  player.Stop();
  EXPECT_TRUE(Device().LastCommand.Notify);
  player.Stop();
  EXPECT_FALSE(Device().LastCommand.Notify);
}

TEST_F(MediaPlayerTest, AStoppedOrSupersededPlayIsReportedSo) {
  player.Open();
  player.Play();
  player.Play();  // the first one is superseded
  player.Stop();  // the second one is aborted
  EXPECT_EQ(notified, (std::vector<TMPNotifyValues>{nvSuperseded, nvAborted}));
}

TEST_F(MediaPlayerTest, PlayingAtTheEndStartsFromTheBeginning) {
  player.Open();
  player.Play();
  Device().Finish();
  media.Log.clear();
  player.Play();
  EXPECT_EQ(media.Log, (Log{"Seek 0", "Play"}));
  Device().Finish();
  player.AutoRewind = false;
  media.Log.clear();
  player.Play();
  EXPECT_EQ(media.Log, (Log{"Play"}));
}

TEST_F(MediaPlayerTest, SeekingSetsThePosition) {
  player.Open();
  player.SetPosition(700);
  EXPECT_EQ(player.GetPosition(), 700);
  player.Seek(0);
  EXPECT_EQ(player.GetPosition(), 0);
}

TEST_F(MediaPlayerTest, FailuresRaiseTheDevicesError) {
  // Nothing open: commands fail, queries answer nothing, closing is no error.
  EXPECT_THROW(player.Play(), EMCIDeviceError);
  EXPECT_THROW(player.Pause(), EMCIDeviceError);
  EXPECT_EQ(player.Length(), 0);
  EXPECT_EQ(player.Mode(), mpNotReady);
  EXPECT_NO_THROW(player.Close());
  player.SetFileName("C:\\Ring\\missing.wav");
  try {
    player.Open();
    FAIL() << "a missing file opened";
  } catch (const EMCIDeviceError& e) {
    EXPECT_NE(e.Message.find("missing.wav"), std::string::npos) << e.Message;
  }
  EXPECT_FALSE(player.DeviceOpen());
}

TEST_F(MediaPlayerTest, OpeningAgainClosesWhatWasOpen) {
  media.AddFile("C:\\Sounds\\1.wav", 400);
  player.Open();
  player.SetFileName("C:\\Sounds\\1.wav");
  player.Open();
  EXPECT_EQ(player.Length(), 400);
  EXPECT_EQ(media.Log, (Log{"Open C:\\Ring\\Утро.wav", "Close", "Open C:\\Sounds\\1.wav"}));
}

TEST(MediaPlayer, ClosesItsDeviceWhenFreedAndOpensOnLoadWhenAsked) {
  TFakeMediaSystem media;
  media.AddFile("C:\\a.wav", 10);
  {
    TMediaPlayer player(nullptr);
    player.SetFileName("C:\\a.wav");
    player.Open();
  }
  EXPECT_EQ(media.Log, (Log{"Open C:\\a.wav", "Close"}));
  EXPECT_TRUE(media.Devices().empty());

  // An invisible component in a form: AutoOpen opens once the form is read.
  media.Log.clear();
  TStringStream text("object MediaPlayer1: TMediaPlayer\n  AutoOpen = True\n  FileName = 'C:\\a.wav'\nend\n");
  TMemoryStream binary;
  ObjectTextToBinary(&text, &binary);
  binary.SetPosition(0);
  TReader reader(&binary);
  std::unique_ptr<TComponent> read(reader.ReadRootComponent(nullptr));
  auto* player = dynamic_cast<TMediaPlayer*>(read.get());
  ASSERT_NE(player, nullptr);
  EXPECT_FALSE(player->Visible);
  EXPECT_TRUE(player->DeviceOpen());
  EXPECT_EQ(media.Log, (Log{"Open C:\\a.wav"}));
}

}  // namespace
