// The native build has no media device: opening fails, everything else finds nothing open.
#include "classlib/core/mplayer.h"

namespace {

class TNoMediaDevice : public TMediaDevice {
 public:
  void Open(const String&, TMPDeviceTypes, bool, TMediaCommand) override {
    throw EMCIDeviceError("There is no media device in this build");
  }
  void Close(TMediaCommand) override {}
  bool IsOpen() const override { return false; }
  void Play(TMediaCommand) override { NotOpen(); }
  void Pause(TMediaCommand) override { NotOpen(); }
  void Resume(TMediaCommand) override { NotOpen(); }
  void Stop(TMediaCommand) override { NotOpen(); }
  void Seek(std::int64_t, TMediaCommand) override { NotOpen(); }
  void SetTimeFormat(TMPTimeFormats) override {}
  std::int64_t Position() override { return 0; }
  std::int64_t Length() override { return 0; }
  TMPModes Mode() override { return mpNotReady; }

 private:
  [[noreturn]] static void NotOpen() { throw EMCIDeviceError("No media device is open"); }
};

}  // namespace

std::unique_ptr<TMediaDevice> NewSystemMediaDevice() { return std::make_unique<TNoMediaDevice>(); }
