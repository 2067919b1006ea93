#pragma once
// The mini player's logic (the audio player window, TForm5): a music file opened from the
// window's file dialog or dropped on the micro clock plays on the window's media player;
// its four buttons (Pause, Resume, Stop, Open), the position slider, the position timer
// (500 ms) and the main window's player-open flag follow what the player does.
//
// The window puts its controls behind TPlayerView, so the states are tested with the fake
// media device on a virtual clock. A file the device refuses (on opening, reading its
// length or playing) is reported with "Формат не поддерживается!", its device is closed
// and the buttons are left as with nothing open.
#include <cstdint>

#include "classlib/core/mplayer.h"
#include "classlib/core/timers.h"

// One of the player's buttons.
struct TPlayerButton {
  bool Visible = true;
  bool Enabled = true;
  bool operator==(const TPlayerButton&) const = default;
};

// What the four buttons show.
struct TPlayerButtons {
  TPlayerButton Pause, Resume, Stop, Open;
  bool operator==(const TPlayerButtons&) const = default;

  // Playing: Pause and Stop work, Open is shown but not usable.
  static TPlayerButtons Playing() { return {{true, true}, {false, false}, {true, true}, {true, false}}; }
  // Paused: Resume in Pause's place.
  static TPlayerButtons Paused() { return {{false, false}, {true, true}, {true, true}, {true, false}}; }
  // Stopped with a file open: Resume plays it again from its start, or Open takes another.
  static TPlayerButtons Stopped() { return {{false, false}, {true, true}, {true, false}, {true, true}}; }
  // Nothing open: only Open works.
  static TPlayerButtons Closed() { return {{true, false}, {false, false}, {true, false}, {true, true}}; }
};

// The window's side: its controls and what it shows.
class TPlayerView {
 public:
  virtual ~TPlayerView() = default;
  virtual void ShowButtons(const TPlayerButtons&) = 0;
  // The position slider (milliseconds).
  virtual void SetSliderMax(std::int64_t) = 0;
  virtual void SetSliderValue(std::int64_t) = 0;
  virtual std::int64_t SliderValue() = 0;
  virtual void SetSliderEnabled(bool) = 0;
  // The file's name without its folder.
  virtual void ShowFileName(const String&) = 0;
  // Asks for a file to play; false when the user cancels.
  virtual bool ChooseFile(String& FileName) = 0;
  virtual void SetStayOnTop(bool) = 0;
  virtual void ShowWindow() = 0;
  // Brings back the windows that stay on top (after a dialog lowered them).
  virtual void RestoreTopMosts() {}
  virtual void ShowError(const String& Message) = 0;
  // The main window's player-open flag: the player shows again when the clock is minimised.
  virtual void SetPlayerOpen(bool) = 0;
};

class TMiniPlayer {
 public:
  // Timer is the position timer; its OnTimer is this class's from here on.
  TMiniPlayer(TMediaPlayer* Player, TTimer* Timer, TPlayerView& View);
  TMiniPlayer(const TMiniPlayer&) = delete;
  TMiniPlayer& operator=(const TMiniPlayer&) = delete;

  void Pause();
  // Plays on (or again); fails silently into the closed state (nothing open, for example).
  void Resume();
  void Stop();
  // The file dialog: the chosen file opens and plays.
  void OpenFromDialog();
  // A file dropped on the micro clock: what was open closes, the file plays and the
  // window comes up on top.
  void PlayDroppedFile(const String& FileName);
  // The position timer's tick: the slider follows the playback; the end of the track
  // leaves the buttons as after Stop.
  void Tick();
  // A press on the slider holds the playback; the release plays on from the slider's place.
  void SliderPressed();
  void SliderReleased();
  // The window closes: what plays stops, the flag clears. Never raises.
  void WindowClosed();

  const TPlayerButtons& Buttons() const { return FButtons; }
  static const char* const kRefused;

 private:
  void SetButtons(const TPlayerButtons& Buttons);
  void ShowClosed();
  // Resume's work; raises what the device raises.
  void Play();
  // Opens the file set, takes its length and plays; a refusal is reported and closes the
  // device. True when it plays.
  bool OpenAndPlay();

  TMediaPlayer* FPlayer;
  TTimer* FTimer;
  TPlayerView& FView;
  TPlayerButtons FButtons = TPlayerButtons::Closed();
  std::int64_t FLength = 0;
};
