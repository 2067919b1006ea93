// The native build has no sound: nothing plays.
#include "classlib/core/sound.h"

namespace {

class TSilentSoundOutput : public TSoundOutput {
 public:
  bool PlayMemory(const void*, std::size_t, unsigned) override { return false; }
  void Stop() override {}
};

}  // namespace

TSoundOutput& SystemSoundOutput() {
  static TSilentSoundOutput output;
  return output;
}
