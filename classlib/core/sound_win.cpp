#include "classlib/core/sound.h"
#include "classlib/core/winapi.h"

#include <mmsystem.h>

namespace {

class TSystemSoundOutput : public TSoundOutput {
 public:
  ~TSystemSoundOutput() override { Stop(); }  // at exit: nothing may read freed bytes
  bool PlayMemory(const void* Wave, std::size_t, unsigned Flags) override {
    return PlaySoundW(static_cast<LPCWSTR>(Wave), nullptr, Flags) != FALSE;
  }
  bool PlayResource(void* Module, unsigned Id, unsigned Flags) override {
    return PlaySoundW(MAKEINTRESOURCEW(Id), static_cast<HMODULE>(Module), Flags) != FALSE;
  }
  void Stop() override { PlaySoundW(nullptr, nullptr, 0); }
};

}  // namespace

TSoundOutput& SystemSoundOutput() {
  static TSystemSoundOutput output;
  return output;
}
