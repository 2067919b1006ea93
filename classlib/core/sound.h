#pragma once
// Wave sounds played from memory through the system's simple sound player (PlaySoundW with
// SND_MEMORY). The system plays one such sound at a time and reads an asynchronous one from
// the caller's memory while it plays, so PlayWaveFromMemory keeps the bytes of the sound it
// started alive until another sound replaces it or StopWaveSound ends it: whoever handed
// them in may free its own copy at once.
//
// The system is reached through TSoundOutput; tests install a recording one.
#include <cstdint>
#include <memory>
#include <string>

// Flags of the system call (its SND_ values).
constexpr unsigned sndSync = 0x0000;
constexpr unsigned sndAsync = 0x0001;
constexpr unsigned sndNoDefault = 0x0002;
constexpr unsigned sndMemory = 0x0004;
constexpr unsigned sndLoop = 0x0008;
constexpr unsigned sndNoStop = 0x0010;
constexpr unsigned sndNoWait = 0x00002000;
constexpr unsigned sndResource = 0x00040004;

class TSoundOutput {
 public:
  virtual ~TSoundOutput() = default;
  // Plays the wave image at Wave (a whole RIFF file image); true when the system took it.
  // With sndAsync the call returns at once and the memory must stay until replaced/stopped.
  virtual bool PlayMemory(const void* Wave, std::size_t Size, unsigned Flags) = 0;
  // Plays the "WAVE" resource number Id of the loaded Module (an HMODULE) with
  // sndResource added to Flags; true when the system took it. Outputs that play only from
  // memory refuse.
  virtual bool PlayResource(void* Module, unsigned Id, unsigned Flags) {
    (void)Module, (void)Id, (void)Flags;
    return false;
  }
  // Ends whatever plays.
  virtual void Stop() = 0;
};

// The output in use: the installed one, otherwise the system's.
TSoundOutput& SoundOutput();

// Installs an output for as long as it lives, then puts the previous one back (stopping
// the sound it kept).
class TSoundOutputScope {
 public:
  explicit TSoundOutputScope(TSoundOutput& Output);
  ~TSoundOutputScope();
  TSoundOutputScope(const TSoundOutputScope&) = delete;
  TSoundOutputScope& operator=(const TSoundOutputScope&) = delete;

 private:
  TSoundOutput* FPrevious;
};

using TWaveBytes = std::shared_ptr<const std::string>;

// Plays a wave image with sndMemory added to Flags; an asynchronous one is kept alive as
// long as it may play. Empty bytes play nothing and return false.
bool PlayWaveFromMemory(TWaveBytes Wave, unsigned Flags);
// Plays a module's "WAVE" resource (the module stays loaded while it plays).
bool PlayWaveResource(void* Module, unsigned Id, unsigned Flags);
// Stops the sound PlayWaveFromMemory started, if one plays, and lets its bytes go.
void StopWaveSound();
