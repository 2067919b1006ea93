#include "classlib/core/sound.h"

namespace {

TSoundOutput* installed = nullptr;
TWaveBytes playing;  // the asynchronous sound that may still be reading its bytes

}  // namespace

TSoundOutput& SystemSoundOutput();  // sound_win.cpp / sound_posix.cpp

TSoundOutput& SoundOutput() { return installed ? *installed : SystemSoundOutput(); }

TSoundOutputScope::TSoundOutputScope(TSoundOutput& Output) : FPrevious(installed) {
  StopWaveSound();
  installed = &Output;
}

TSoundOutputScope::~TSoundOutputScope() {
  StopWaveSound();
  installed = FPrevious;
}

bool PlayWaveFromMemory(TWaveBytes Wave, unsigned Flags) {
  if (!Wave || Wave->empty()) return false;
  bool ok = SoundOutput().PlayMemory(Wave->data(), Wave->size(), Flags | sndMemory);
  // A sound the system took has replaced (and so stopped) the earlier one, whose bytes may
  // go now; after a failure the earlier one may still play and keeps them.
  if (ok) playing = (Flags & sndAsync) ? std::move(Wave) : nullptr;
  return ok;
}

bool PlayWaveResource(void* Module, unsigned Id, unsigned Flags) {
  return Module && Id && SoundOutput().PlayResource(Module, Id, Flags | sndResource);
}

void StopWaveSound() {
  if (!playing) return;
  SoundOutput().Stop();
  playing = nullptr;
}
