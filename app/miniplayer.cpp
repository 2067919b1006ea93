#include "app/miniplayer.h"

#include "classlib/core/files.h"
#include "classlib/core/finally.h"

const char* const TMiniPlayer::kRefused = "Формат не поддерживается!";

TMiniPlayer::TMiniPlayer(TMediaPlayer* Player, TTimer* Timer, TPlayerView& View)
    : FPlayer(Player), FTimer(Timer), FView(View) {
  FTimer->OnTimer = [this](TObject*) { Tick(); };
}

void TMiniPlayer::SetButtons(const TPlayerButtons& Buttons) {
  FButtons = Buttons;
  FView.ShowButtons(Buttons);
}

void TMiniPlayer::ShowClosed() {
  FTimer->SetEnabled(false);
  SetButtons(TPlayerButtons::Closed());
  FView.SetSliderEnabled(false);
}

void TMiniPlayer::Pause() {
  FPlayer->Pause();
  SetButtons(TPlayerButtons::Paused());
}

void TMiniPlayer::Play() {
  FView.RestoreTopMosts();
  FPlayer->Play();
  FTimer->SetEnabled(true);
  SetButtons(TPlayerButtons::Playing());
  // A track without a length has nothing to seek in.
  FView.SetSliderEnabled(FLength > 0);
}

void TMiniPlayer::Resume() {
  try {
    Play();
  } catch (const Exception&) {
    // Nothing to play (nothing open, or the device gave up): only Open is left.
    ShowClosed();
  }
}

void TMiniPlayer::Stop() {
  // Only an open device is stopped: with nothing open (after a refused file) the window
  // stays as it is, with only Open to use.
  bool open = FPlayer->DeviceOpen();
  if (open) {
    FPlayer->Stop();
    FPlayer->SetPosition(0);
  }
  FView.SetSliderValue(0);
  FView.SetSliderEnabled(false);
  FTimer->SetEnabled(false);
  SetButtons(open ? TPlayerButtons::Stopped() : TPlayerButtons::Closed());
}

bool TMiniPlayer::OpenAndPlay() {
  try {
    FPlayer->Open();
    FLength = FPlayer->Length();
    FView.SetSliderMax(FLength);
    Play();
    return true;
  } catch (const Exception&) {
    // Opened but unplayable: let go of it, so nothing half-open is left behind.
    try {
      FPlayer->Close();
    } catch (const Exception&) {
    }
    FLength = 0;
    ShowClosed();
    FView.ShowFileName("");  // the label names no file the player does not hold
    FView.ShowError(kRefused);
    return false;
  }
}

void TMiniPlayer::OpenFromDialog() {
  FView.SetStayOnTop(false);  // the file dialog must not be hidden behind the player
  TFinally onTop([this] { FView.SetStayOnTop(true); });
  String name;
  if (FView.ChooseFile(name)) {
    FPlayer->SetFileName(name);
    if (OpenAndPlay()) FView.SetPlayerOpen(true);
  }
}

void TMiniPlayer::PlayDroppedFile(const String& FileName) {
  if (FPlayer->DeviceOpen()) {
    try {
      FPlayer->Stop();
    } catch (const Exception&) {
    }
    FPlayer->Close();
  }
  FPlayer->SetWait(false);
  FPlayer->SetFileName(FileName);
  SetButtons(TPlayerButtons::Playing());
  FTimer->SetEnabled(true);
  FView.SetPlayerOpen(true);
  FView.SetSliderEnabled(true);
  if (!OpenAndPlay()) {
    FView.SetPlayerOpen(false);
    return;
  }
  FView.SetStayOnTop(true);
  FView.ShowWindow();
}

void TMiniPlayer::Tick() {
  if (!FPlayer->DeviceOpen()) {
    ShowClosed();
    return;
  }
  try {
    std::int64_t position = FPlayer->GetPosition();
    FView.SetSliderEnabled(position != 0 && FLength > 0);
    FView.ShowFileName(ExtractFileName(FPlayer->GetFileName()));
    FView.SetSliderValue(position);
    // The end: the position reached the length, or the device stopped by itself while the
    // buttons say it plays (a device may stop a few milliseconds short of its length).
    bool playing = FButtons == TPlayerButtons::Playing();
    if ((FLength > 0 && position >= FLength) || (playing && FPlayer->Mode() == mpStopped)) {
      FPlayer->SetPosition(0);
      SetButtons(TPlayerButtons::Stopped());  // the next tick disables the slider
    }
  } catch (const Exception&) {
    // The device went away under the timer: nothing is left to play.
    FPlayer->Close();
    FLength = 0;
    ShowClosed();
  }
}

void TMiniPlayer::SliderPressed() {
  if (!FPlayer->DeviceOpen()) return;
  FTimer->SetEnabled(false);
  try {
    FPlayer->Pause();
  } catch (const Exception&) {
    // A device that cannot pause here is moved and played on all the same.
  }
}

void TMiniPlayer::SliderReleased() {
  if (!FPlayer->DeviceOpen()) return;
  FPlayer->SetPosition(FView.SliderValue());
  Resume();
}

void TMiniPlayer::WindowClosed() {
  try {
    if (!FPlayer->GetFileName().empty()) Stop();
  } catch (const Exception&) {
    // The window closes whatever the device says.
  }
  FView.SetPlayerOpen(false);
  FTimer->SetEnabled(false);
}
