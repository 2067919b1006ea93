#pragma once
// TMediaPlayer: opens, plays, pauses, seeks and closes media files through a media device
// (under Windows the Media Control Interface, addressed by the structure form of
// mciSendCommandW, so paths with spaces and Cyrillic letters need no quoting). Positions
// and lengths are in milliseconds unless TimeFormat says otherwise.
//
// In this program the player is an invisible component: it has no button bar, and Visible
// (published for forms that mention it) is False by default.
//
// Wait and Notify apply to the next command only and are then cleared: without them,
// Play returns at once and reports its end through OnNotify, and every other command waits
// and reports nothing. A failed command raises EMCIDeviceError with the device's own text.
//
// The device sits behind TMediaDevice, so tests of the clock install a fake one
// (tests/support/fake_media.h) with TMediaDeviceScope.
#include <cstdint>
#include <functional>
#include <memory>

#include "classlib/core/component.h"

HX_ENUM(TMPDeviceTypes, dtAVIVideo, dtCDAudio, dtDAT, dtDigitalVideo, dtMMMovie, dtOther, dtOverlay, dtScanner,
        dtSequencer, dtVCR, dtVideodisc, dtWaveAudio, dtAutoSelect);
HX_ENUM(TMPModes, mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen);
// In the order of MCI's time formats (tfMilliseconds is MCI_FORMAT_MILLISECONDS, 0).
HX_ENUM(TMPTimeFormats, tfMilliseconds, tfHMS, tfMSF, tfFrames, tfSMPTE24, tfSMPTE25, tfSMPTE30, tfSMPTE30Drop,
        tfBytes, tfSamples, tfTMSF);
HX_ENUM(TMPNotifyValues, nvSuccessful, nvSuperseded, nvAborted, nvFailure);

HX_DECLARE_EXCEPTION(EMCIDeviceError, Exception);

// How one command runs.
struct TMediaCommand {
  bool Wait = true;     // return only when the command is done
  bool Notify = false;  // report its end through TMediaDevice::OnNotify
};

// One media device of one player. Every command raises EMCIDeviceError with the device's
// message when it fails (also when nothing is open, except Close, which then does nothing);
// the status queries answer 0 and mpNotReady while nothing is open.
class TMediaDevice {
 public:
  virtual ~TMediaDevice() = default;
  virtual void Open(const String& FileName, TMPDeviceTypes DeviceType, bool Shareable, TMediaCommand How) = 0;
  virtual void Close(TMediaCommand How) = 0;
  virtual bool IsOpen() const = 0;
  virtual void Play(TMediaCommand How) = 0;
  virtual void Pause(TMediaCommand How) = 0;
  virtual void Resume(TMediaCommand How) = 0;
  virtual void Stop(TMediaCommand How) = 0;
  virtual void Seek(std::int64_t To, TMediaCommand How) = 0;
  virtual void SetTimeFormat(TMPTimeFormats Format) = 0;
  virtual std::int64_t Position() = 0;
  virtual std::int64_t Length() = 0;
  virtual TMPModes Mode() = 0;

  // Set by the player; called from the message loop when a command with Notify ends.
  std::function<void(TMPNotifyValues)> OnNotify;
};

using TMediaDeviceFactory = std::function<std::unique_ptr<TMediaDevice>()>;

// A device of the installed factory, otherwise the system's.
std::unique_ptr<TMediaDevice> NewMediaDevice();

// Installs a factory for the players created while it lives, then puts the previous one back.
class TMediaDeviceScope {
 public:
  explicit TMediaDeviceScope(TMediaDeviceFactory Factory);
  ~TMediaDeviceScope();
  TMediaDeviceScope(const TMediaDeviceScope&) = delete;
  TMediaDeviceScope& operator=(const TMediaDeviceScope&) = delete;

 private:
  TMediaDeviceFactory FPrevious;
};

class TMediaPlayer : public TComponent {
  HX_CLASS(TMediaPlayer, TComponent)
 public:
  explicit TMediaPlayer(TComponent* AOwner);
  ~TMediaPlayer() override;  // closes what is open

  // Opens FileName (closing what was open first) and sets the time format.
  void Open();
  void Close();
  // Plays from the position; at the end of the medium it starts again from its start
  // (AutoRewind).
  void Play();
  void Pause();
  void Resume();
  void Stop();
  void Seek(std::int64_t To);

  bool DeviceOpen() const { return FDevice->IsOpen(); }
  std::int64_t GetPosition() { return FDevice->Position(); }
  void SetPosition(std::int64_t Value) { Seek(Value); }
  std::int64_t Length() { return FDevice->Length(); }
  TMPModes Mode() { return FDevice->Mode(); }
  TMPTimeFormats GetTimeFormat() const { return FTimeFormat; }
  void SetTimeFormat(TMPTimeFormats Value);

  // For the next command only.
  bool GetNotify() const { return FNotify; }
  void SetNotify(bool Value);
  bool GetWait() const { return FWait; }
  void SetWait(bool Value);
  // How the last notified command ended.
  TMPNotifyValues NotifyValue() const { return FNotifyValue; }

  const String& GetFileName() const { return FFileName; }
  void SetFileName(const String& Value) { FFileName = Value; }
  TMPDeviceTypes GetDeviceType() const { return FDeviceType; }
  void SetDeviceType(TMPDeviceTypes Value) { FDeviceType = Value; }

  bool AutoOpen = false;    // open FileName once the form is loaded
  bool AutoRewind = true;
  bool Shareable = false;
  bool Visible = false;
  TNotifyEvent OnNotify;

 protected:
  void Loaded() override;

 private:
  // The next command's way of running, with the command's own defaults; clears the
  // one-command settings.
  TMediaCommand Command(bool WaitByDefault, bool NotifyByDefault);
  void DeviceNotify(TMPNotifyValues Value);

  std::unique_ptr<TMediaDevice> FDevice;
  String FFileName;
  TMPDeviceTypes FDeviceType = dtAutoSelect;
  TMPTimeFormats FTimeFormat = tfMilliseconds;
  bool FNotify = false, FUseNotify = false;
  bool FWait = false, FUseWait = false;
  TMPNotifyValues FNotifyValue = nvSuccessful;
};
