#include "fake_sound.h"

namespace horavox::test {

bool TFakeSoundOutput::PlayMemory(const void* Wave, std::size_t Size, unsigned Flags) {
  if (!Accept) return false;
  Played.push_back({std::string(static_cast<const char*>(Wave), Size), Flags});
  bool async = (Flags & sndAsync) != 0;
  FPlaying = async ? Wave : nullptr;
  FPlayingSize = async ? Size : 0;
  return true;
}

bool TFakeSoundOutput::PlayResource(void* Module, unsigned Id, unsigned Flags) {
  if (!Accept) return false;
  PlayedResources.push_back({Module, Id, Flags});
  return true;
}

void TFakeSoundOutput::Stop() {
  ++Stops;
  FPlaying = nullptr;
  FPlayingSize = 0;
}

std::string TFakeSoundOutput::ReadPlaying() const {
  if (!FPlaying) return {};
  return std::string(static_cast<const char*>(FPlaying), FPlayingSize);
}

}  // namespace horavox::test
