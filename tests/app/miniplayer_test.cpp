// The mini player's states on the fake media device and a virtual clock, as one table of
// steps: after each, the four buttons, the slider, the position timer and the main
// window's player-open flag. Then a refused file, closing after it, and a dropped file.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/miniplayer.h"
#include "classlib/core/clock.h"
#include "classlib/core/files.h"
#include "fake_media.h"
#include "tests/app/player_states.h"

namespace {
using namespace horavox::test;

const String kMusic = String("C:") + PathDelim + "Музыка" + PathDelim + "Вальс.wav";
const String kBroken = String("C:") + PathDelim + "Музыка" + PathDelim + "Шум.mp3";

class TFakePlayerView : public TPlayerView {
 public:
  void ShowButtons(const TPlayerButtons& Value) override { Buttons = Value; }
  void SetSliderMax(std::int64_t Value) override { SliderMax = Value; }
  void SetSliderValue(std::int64_t Value) override { Slider = Value; }
  std::int64_t SliderValue() override { return Slider; }
  void SetSliderEnabled(bool Value) override { SliderEnabled = Value; }
  void ShowFileName(const String& Value) override { FileName = Value; }
  bool ChooseFile(String& Name) override {
    Name = Chosen;
    return !Chosen.empty();
  }
  void SetStayOnTop(bool Value) override { OnTop = Value; }
  void ShowWindow() override { Shown = true; }
  void ShowError(const String& Message) override { Errors.push_back(Message); }
  void SetPlayerOpen(bool Value) override { PlayerOpen = Value; }

  TPlayerButtons Buttons = player_states::kClosed;
  std::int64_t SliderMax = 0, Slider = 0;
  bool SliderEnabled = false, OnTop = true, Shown = false, PlayerOpen = false;
  String FileName, Chosen;
  std::vector<String> Errors;
};

class MiniPlayer : public ::testing::Test {
 public:
  MiniPlayer() {
    timer->SetEnabled(false);
    timer->SetInterval(500);
    media.AddFile(kMusic, 10000);
  }
  TFakeMediaDevice& Device() { return *media.LastDevice(); }

  TVirtualClock clock{EncodeDate(2026, 12, 10) + EncodeTime(15, 0, 0, 0)};
  TClockScope scope{clock};
  TFakeMediaSystem media;
  TComponent owner{nullptr};
  TMediaPlayer* mplayer = new TMediaPlayer(&owner);
  TTimer* timer = new TTimer(&owner);
  TFakePlayerView view;
  TMiniPlayer player{mplayer, timer, view};
};

struct Step {
  const char* What;
  std::function<void(MiniPlayer&)> Do;
  TPlayerButtons Buttons;
  bool SliderEnabled;
  std::int64_t Slider;
  bool TimerOn, PlayerOpen;
  TMPModes Mode;
};

TEST_F(MiniPlayer, EachButtonTheTimerAndTheEndOfTheTrackLeaveTheirState) {
  const TPlayerButtons playing = player_states::kPlaying, paused = player_states::kPaused,
                       stopped = player_states::kStopped;
  auto run = [](int ms) { return [ms](MiniPlayer& t) { t.clock.Advance(ms); }; };
  auto reach = [](std::int64_t position) { return [position](MiniPlayer& t) { t.Device().SetPlayPosition(position); }; };
  const Step steps[] = {
      {"open from the dialog", [](MiniPlayer& t) { t.view.Chosen = kMusic; t.player.OpenFromDialog(); }, playing,
       true, 0, true, true, mpPlaying},
      // At position 0 the first tick disables the slider; once it moves, it is enabled.
      {"first tick at 0", run(500), playing, false, 0, true, true, mpPlaying},
      {"playing at 2 s", [&](MiniPlayer& t) { reach(2000)(t); run(500)(t); }, playing, true, 2000, true, true,
       mpPlaying},
      {"pause", [](MiniPlayer& t) { t.player.Pause(); }, paused, true, 2000, true, true, mpPaused},
      {"a tick while paused", run(500), paused, true, 2000, true, true, mpPaused},
      {"resume", [](MiniPlayer& t) { t.player.Resume(); }, playing, true, 2000, true, true, mpPlaying},
      {"stop", [](MiniPlayer& t) { t.player.Stop(); }, stopped, false, 0, false, true, mpStopped},
      {"resume after stop", [](MiniPlayer& t) { t.player.Resume(); }, playing, true, 0, true, true, mpPlaying},
      {"the end: position at the length", [&](MiniPlayer& t) { reach(10000)(t); run(500)(t); }, stopped, true,
       10000, true, true, mpStopped},
      {"the tick after the end", run(500), stopped, false, 0, true, true, mpStopped},
      {"play again", [](MiniPlayer& t) { t.player.Resume(); }, playing, true, 0, true, true, mpPlaying},
      // A device may stop just short of its length: stopped while the buttons show playing.
      {"the end: one short, stopped", [&](MiniPlayer& t) { t.Device().Finish(); reach(9999)(t); run(500)(t); },
       stopped, true, 9999, true, true, mpStopped},
      {"pause at 4 s", [&](MiniPlayer& t) { t.player.Resume(); reach(4000)(t); run(500)(t); t.player.Pause(); },
       paused, true, 4000, true, true, mpPaused},
      // A seek while paused plays from the slider's place.
      {"press the slider", [](MiniPlayer& t) { t.player.SliderPressed(); }, paused, true, 4000, false, true,
       mpPaused},
      {"release at 7 s", [](MiniPlayer& t) { t.view.Slider = 7000; t.player.SliderReleased(); }, playing, true,
       7000, true, true, mpPlaying},
      {"close the window", [](MiniPlayer& t) { t.player.WindowClosed(); }, stopped, false, 0, false, false,
       mpStopped},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.What);
    step.Do(*this);
    EXPECT_EQ(view.Buttons, step.Buttons);
    EXPECT_EQ(player.Buttons(), step.Buttons);
    EXPECT_EQ(view.SliderEnabled, step.SliderEnabled);
    EXPECT_EQ(view.Slider, step.Slider);
    EXPECT_EQ(timer->GetEnabled(), step.TimerOn);
    EXPECT_EQ(view.PlayerOpen, step.PlayerOpen);
    EXPECT_EQ(Device().Mode(), step.Mode);
    EXPECT_TRUE(view.Errors.empty());
  }
  EXPECT_EQ(view.SliderMax, 10000);
  EXPECT_EQ(view.FileName, "Вальс.wav");
  EXPECT_TRUE(view.OnTop);
}

TEST_F(MiniPlayer, ARefusedFileIsReportedClosedAndTheWindowClosesAfterIt) {
  view.FileName = "minuta.wav";  // the file played before
  view.Chosen = kBroken;
  player.OpenFromDialog();
  EXPECT_EQ(view.FileName, "");  // the label names no file
  EXPECT_EQ(view.Errors, std::vector<String>{"Формат не поддерживается!"});
  EXPECT_EQ(view.Buttons, player_states::kClosed);
  EXPECT_FALSE(view.SliderEnabled);
  EXPECT_FALSE(timer->GetEnabled());
  EXPECT_FALSE(view.PlayerOpen);
  EXPECT_FALSE(mplayer->DeviceOpen());
  EXPECT_EQ(mplayer->GetFileName(), kBroken);  // the name stays set
  EXPECT_TRUE(view.OnTop);

  // Resume has nothing to play: silently the closed state.
  player.Resume();
  EXPECT_EQ(view.Buttons, player_states::kClosed);
  EXPECT_EQ(view.Errors.size(), 1u);

  // Closing stops nothing (no device is open), never raises and clears the flag.
  size_t commands = media.Log.size();
  EXPECT_NO_THROW(player.WindowClosed());
  EXPECT_EQ(media.Log.size(), commands);
  EXPECT_EQ(view.Buttons, player_states::kClosed);
  EXPECT_FALSE(timer->GetEnabled());

  // Cancelling the dialog changes nothing, and the window stays on top.
  view.Chosen.clear();
  player.OpenFromDialog();
  EXPECT_EQ(media.Log.size(), commands);
  EXPECT_TRUE(view.OnTop);

  // A closed window with nothing ever opened closes as quietly.
  TFakePlayerView freshView;
  TMiniPlayer untouched(new TMediaPlayer(&owner), new TTimer(&owner), freshView);
  EXPECT_NO_THROW(untouched.WindowClosed());
}

TEST_F(MiniPlayer, ADroppedFileReplacesWhatPlaysAndBringsTheWindowUp) {
  const String other = String("C:") + PathDelim + "Песня.wav";
  media.AddFile(other, 3 * 3600 * 1000);  // three hours
  view.Chosen = kMusic;
  player.OpenFromDialog();
  view.OnTop = false;
  media.Log.clear();

  player.PlayDroppedFile(other);
  EXPECT_EQ(media.Log, (std::vector<String>{"Stop", "Close", "Open " + other, "Play"}));
  EXPECT_EQ(view.Buttons, player_states::kPlaying);
  EXPECT_EQ(view.SliderMax, 3 * 3600 * 1000);
  EXPECT_TRUE(view.SliderEnabled);
  EXPECT_TRUE(timer->GetEnabled());
  EXPECT_TRUE(view.PlayerOpen);
  EXPECT_TRUE(view.OnTop);
  EXPECT_TRUE(view.Shown);

  // Half-way through the three hours.
  Device().SetPlayPosition(3 * 3600 * 1000 / 2);
  clock.Advance(500);
  EXPECT_EQ(view.Slider, 5400000);

  // A dropped file the device refuses: reported, nothing open, the window not brought up.
  view.Shown = false;
  player.PlayDroppedFile(kBroken);
  EXPECT_EQ(view.Errors, std::vector<String>{"Формат не поддерживается!"});
  EXPECT_FALSE(mplayer->DeviceOpen());
  EXPECT_EQ(view.Buttons, player_states::kClosed);
  EXPECT_FALSE(view.SliderEnabled);
  EXPECT_FALSE(timer->GetEnabled());
  EXPECT_FALSE(view.PlayerOpen);
  EXPECT_FALSE(view.Shown);
}

TEST_F(MiniPlayer, ATrackWithoutALengthLeavesTheSliderDisabled) {
  const String empty = String("C:") + PathDelim + "Пусто.wav";
  media.AddFile(empty, 0);
  view.Chosen = empty;
  player.OpenFromDialog();
  EXPECT_EQ(view.Buttons, player_states::kPlaying);
  EXPECT_FALSE(view.SliderEnabled);
  clock.Advance(500);
  EXPECT_FALSE(view.SliderEnabled);
}

}  // namespace
