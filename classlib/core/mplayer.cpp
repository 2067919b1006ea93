#include "classlib/core/mplayer.h"

#include "classlib/core/callbackguard.h"

std::unique_ptr<TMediaDevice> NewSystemMediaDevice();  // mplayer_win.cpp / mplayer_posix.cpp

namespace {
TMediaDeviceFactory installedFactory;
}

std::unique_ptr<TMediaDevice> NewMediaDevice() {
  return installedFactory ? installedFactory() : NewSystemMediaDevice();
}

TMediaDeviceScope::TMediaDeviceScope(TMediaDeviceFactory Factory) : FPrevious(std::move(installedFactory)) {
  installedFactory = std::move(Factory);
}

TMediaDeviceScope::~TMediaDeviceScope() { installedFactory = std::move(FPrevious); }

HX_PUBLISH(TMediaPlayer, p) {
  p.Property("AutoOpen", &TMediaPlayer::AutoOpen, &TMediaPlayer::AutoOpen).Default(false);
  p.Property("AutoRewind", &TMediaPlayer::AutoRewind, &TMediaPlayer::AutoRewind).Default(true);
  p.Property("DeviceType", &TMediaPlayer::GetDeviceType, &TMediaPlayer::SetDeviceType).Default(dtAutoSelect);
  p.Property("FileName", &TMediaPlayer::GetFileName, &TMediaPlayer::SetFileName).Default("");
  p.Property("Shareable", &TMediaPlayer::Shareable, &TMediaPlayer::Shareable).Default(false);
  p.Property("Visible", &TMediaPlayer::Visible, &TMediaPlayer::Visible).Default(false);
  p.Event("OnNotify", &TMediaPlayer::OnNotify);
}

TMediaPlayer::TMediaPlayer(TComponent* AOwner) : TComponent(AOwner), FDevice(NewMediaDevice()) {
  FDevice->OnNotify = [this](TMPNotifyValues Value) { DeviceNotify(Value); };
}

TMediaPlayer::~TMediaPlayer() {
  FDevice->OnNotify = nullptr;
  if (FDevice->IsOpen()) {
    try {
      FDevice->Close({});
    } catch (...) {
      // A device that fails to close has nothing left to give back.
    }
  }
}

void TMediaPlayer::Loaded() {
  inherited::Loaded();
  if (AutoOpen && !FFileName.empty()) Open();
}

TMediaCommand TMediaPlayer::Command(bool WaitByDefault, bool NotifyByDefault) {
  TMediaCommand how{FUseWait ? FWait : WaitByDefault, FUseNotify ? FNotify : NotifyByDefault};
  FUseWait = FUseNotify = false;
  return how;
}

void TMediaPlayer::SetNotify(bool Value) {
  FNotify = Value;
  FUseNotify = true;
}

void TMediaPlayer::SetWait(bool Value) {
  FWait = Value;
  FUseWait = true;
}

void TMediaPlayer::SetTimeFormat(TMPTimeFormats Value) {
  FTimeFormat = Value;
  if (FDevice->IsOpen()) FDevice->SetTimeFormat(Value);
}

void TMediaPlayer::Open() {
  TMediaCommand how = Command(true, false);
  if (FDevice->IsOpen()) FDevice->Close({});
  FDevice->Open(FFileName, FDeviceType, Shareable, how);
  FDevice->SetTimeFormat(FTimeFormat);
}

void TMediaPlayer::Close() { FDevice->Close(Command(true, false)); }

void TMediaPlayer::Play() {
  TMediaCommand how = Command(false, true);
  if (AutoRewind && FDevice->IsOpen()) {
    std::int64_t length = FDevice->Length();
    if (length > 0 && FDevice->Position() >= length) FDevice->Seek(0, {});
  }
  FDevice->Play(how);
}

void TMediaPlayer::Pause() { FDevice->Pause(Command(true, false)); }
void TMediaPlayer::Resume() { FDevice->Resume(Command(true, false)); }
void TMediaPlayer::Stop() { FDevice->Stop(Command(true, false)); }
void TMediaPlayer::Seek(std::int64_t To) { FDevice->Seek(To, Command(true, false)); }

void TMediaPlayer::DeviceNotify(TMPNotifyValues Value) {
  FNotifyValue = Value;
  if (OnNotify) OnNotify(this);
}
