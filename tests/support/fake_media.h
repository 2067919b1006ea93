#pragma once
// A media system for tests: the players created while a TFakeMediaSystem lives get fake
// devices that record every command in one log and answer lengths from a table of files,
// so tests can check what was opened, measured and played, without sound and without
// waiting. A playback started without Wait goes on until the test ends it (Finish).
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/mplayer.h"

namespace horavox::test {

class TFakeMediaSystem;

class TFakeMediaDevice : public TMediaDevice {
 public:
  explicit TFakeMediaDevice(TFakeMediaSystem& System) : FSystem(System) {}

  void Open(const String& FileName, TMPDeviceTypes DeviceType, bool Shareable, TMediaCommand How) override;
  void Close(TMediaCommand How) override;
  bool IsOpen() const override { return FOpen; }
  void Play(TMediaCommand How) override;
  void Pause(TMediaCommand How) override;
  void Resume(TMediaCommand How) override;
  void Stop(TMediaCommand How) override;
  void Seek(std::int64_t To, TMediaCommand How) override;
  void SetTimeFormat(TMPTimeFormats Format) override;
  std::int64_t Position() override { return FOpen ? FPosition : 0; }
  std::int64_t Length() override { return FOpen ? FLength : 0; }
  TMPModes Mode() override { return FOpen ? FMode : mpNotReady; }

  // The playback reaches its end: position at the length, stopped, and a notification
  // (nvSuccessful) when the play asked for one.
  void Finish();
  // The playback has got this far.
  void SetPlayPosition(std::int64_t Position) { FPosition = Position; }

  String FileName;                    // the file last opened
  TMPDeviceTypes DeviceType = dtAutoSelect;
  TMPTimeFormats TimeFormat = tfMilliseconds;
  TMediaCommand LastCommand;          // how the last command was asked to run

 private:
  void Begin(const String& Entry, TMediaCommand How, bool NeedsOpen = true);
  void EndPendingPlay(TMPNotifyValues Value);
  void Notify(TMediaCommand How);

  TFakeMediaSystem& FSystem;
  bool FOpen = false;
  std::int64_t FPosition = 0;
  std::int64_t FLength = 0;
  TMPModes FMode = mpNotReady;
  bool FPlayNotifies = false;  // a playback that will report its end
};

class TFakeMediaSystem {
 public:
  TFakeMediaSystem();  // installed from here on
  ~TFakeMediaSystem();
  TFakeMediaSystem(const TFakeMediaSystem&) = delete;
  TFakeMediaSystem& operator=(const TFakeMediaSystem&) = delete;

  // A file that opens, with its length; names compare without regard to case. Any other
  // name fails to open with EMCIDeviceError.
  void AddFile(const String& FileName, std::int64_t Length);
  // The file is gone: it no longer opens.
  void RemoveFile(const String& FileName);
  bool Knows(const String& FileName, std::int64_t& Length) const;

  // Every command of every device, in order: "Open <file>", "Play", "Pause", "Resume",
  // "Stop", "Seek <position>", "Close".
  std::vector<String> Log;
  // The devices made so far, oldest first (they live as long as their players).
  const std::vector<TFakeMediaDevice*>& Devices() const { return FDevices; }
  TFakeMediaDevice* LastDevice() const { return FDevices.empty() ? nullptr : FDevices.back(); }
  // Ends every playback that runs (see TFakeMediaDevice::Finish).
  void FinishAll();

 private:
  friend class TFakeMediaDevice;
  std::map<String, std::int64_t> FFiles;  // upper-case name -> length
  std::vector<TFakeMediaDevice*> FDevices;
  std::unique_ptr<TMediaDeviceScope> FScope;
};

}  // namespace horavox::test
