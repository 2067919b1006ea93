#pragma once
// A sound output for tests: records every wave played from memory (a copy of its bytes and
// its flags) instead of playing it, and checks that an asynchronous sound's memory is
// still there whenever the system would still be reading it.
#include <string>
#include <vector>

#include "classlib/core/sound.h"

namespace horavox::test {

class TFakeSoundOutput : public TSoundOutput {
 public:
  struct TPlayed {
    std::string Wave;
    unsigned Flags;
  };

  TFakeSoundOutput() : FScope(*this) {}  // installed from here on

  struct TPlayedResource {
    void* Module;
    unsigned Id;
    unsigned Flags;
  };

  bool PlayMemory(const void* Wave, std::size_t Size, unsigned Flags) override;
  bool PlayResource(void* Module, unsigned Id, unsigned Flags) override;
  void Stop() override;

  // Reads the bytes of the sound that plays asynchronously, as the system would: under
  // AddressSanitizer, freed memory here is a fault. Returns them ("" when none plays).
  std::string ReadPlaying() const;

  std::vector<TPlayed> Played;
  std::vector<TPlayedResource> PlayedResources;
  int Stops = 0;
  bool Accept = true;  // what PlayMemory answers

 private:
  const void* FPlaying = nullptr;
  std::size_t FPlayingSize = 0;
  TSoundOutputScope FScope;
};

}  // namespace horavox::test
