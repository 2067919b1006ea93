#include "fake_media.h"

#include <algorithm>

#include "classlib/core/text.h"

namespace horavox::test {

namespace {

// Removes itself from the system's list when its player frees it.
class TTrackedDevice : public TFakeMediaDevice {
 public:
  TTrackedDevice(TFakeMediaSystem& System, std::vector<TFakeMediaDevice*>& List)
      : TFakeMediaDevice(System), FList(List) {
    FList.push_back(this);
  }
  ~TTrackedDevice() override { std::erase(FList, this); }

 private:
  std::vector<TFakeMediaDevice*>& FList;
};

}  // namespace

TFakeMediaSystem::TFakeMediaSystem() {
  FScope = std::make_unique<TMediaDeviceScope>(
      [this]() -> std::unique_ptr<TMediaDevice> { return std::make_unique<TTrackedDevice>(*this, FDevices); });
}

TFakeMediaSystem::~TFakeMediaSystem() = default;

void TFakeMediaSystem::AddFile(const String& FileName, std::int64_t Length) { FFiles[AnsiUpperCase(FileName)] = Length; }

void TFakeMediaSystem::RemoveFile(const String& FileName) { FFiles.erase(AnsiUpperCase(FileName)); }

bool TFakeMediaSystem::Knows(const String& FileName, std::int64_t& Length) const {
  auto it = FFiles.find(AnsiUpperCase(FileName));
  if (it == FFiles.end()) return false;
  Length = it->second;
  return true;
}

void TFakeMediaSystem::FinishAll() {
  for (TFakeMediaDevice* d : std::vector<TFakeMediaDevice*>(FDevices))
    if (d->Mode() == mpPlaying) d->Finish();
}

void TFakeMediaDevice::Begin(const String& Entry, TMediaCommand How, bool NeedsOpen) {
  LastCommand = How;
  FSystem.Log.push_back(Entry);
  if (NeedsOpen && !FOpen) throw EMCIDeviceError("The device is not open");
}

void TFakeMediaDevice::Notify(TMediaCommand How) {
  if (How.Notify && OnNotify) OnNotify(nvSuccessful);
}

void TFakeMediaDevice::EndPendingPlay(TMPNotifyValues Value) {
  if (!FPlayNotifies) return;
  FPlayNotifies = false;
  if (OnNotify) OnNotify(Value);
}

void TFakeMediaDevice::Open(const String& Name, TMPDeviceTypes Type, bool, TMediaCommand How) {
  Begin("Open " + Name, How, false);
  std::int64_t length = 0;
  if (!FSystem.Knows(Name, length)) throw EMCIDeviceError("Cannot find the specified file: " + Name);
  FileName = Name;
  DeviceType = Type;
  FOpen = true;
  FLength = length;
  FPosition = 0;
  FMode = mpStopped;
  Notify(How);
}

void TFakeMediaDevice::Close(TMediaCommand How) {
  LastCommand = How;
  if (!FOpen) return;
  FSystem.Log.push_back("Close");
  EndPendingPlay(nvAborted);
  FOpen = false;
  FMode = mpNotReady;
  Notify(How);
}

void TFakeMediaDevice::Play(TMediaCommand How) {
  Begin("Play", How);
  EndPendingPlay(nvSuperseded);
  FMode = mpPlaying;
  FPlayNotifies = How.Notify;
  if (How.Wait) Finish();
}

void TFakeMediaDevice::Pause(TMediaCommand How) {
  Begin("Pause", How);
  if (FMode == mpPlaying) FMode = mpPaused;
  Notify(How);
}

void TFakeMediaDevice::Resume(TMediaCommand How) {
  Begin("Resume", How);
  if (FMode == mpPaused) FMode = mpPlaying;
  Notify(How);
}

void TFakeMediaDevice::Stop(TMediaCommand How) {
  Begin("Stop", How);
  EndPendingPlay(nvAborted);
  FMode = mpStopped;
  Notify(How);
}

void TFakeMediaDevice::Seek(std::int64_t To, TMediaCommand How) {
  Begin("Seek " + std::to_string(To), How);
  EndPendingPlay(nvAborted);
  FPosition = std::clamp<std::int64_t>(To, 0, FLength);
  FMode = mpStopped;
  Notify(How);
}

void TFakeMediaDevice::SetTimeFormat(TMPTimeFormats Format) {
  if (!FOpen) throw EMCIDeviceError("The device is not open");
  TimeFormat = Format;
}

void TFakeMediaDevice::Finish() {
  if (FMode != mpPlaying) return;
  FPosition = FLength;
  FMode = mpStopped;
  EndPendingPlay(nvSuccessful);
}

}  // namespace horavox::test
