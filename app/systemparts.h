#pragma once
// The clock's parts that the system itself gives (clockparts.h): the PC speaker's tone,
// the start of the countdown's program and the shutdown. Windows only.
#include "app/clockparts.h"

// The tone generator (Beep), which sounds for the whole duration before it returns.
class TSystemTone : public TToneGenerator {
 public:
  void Tone(unsigned Frequency, unsigned Duration) override;
};

class TKitStarter;

// Starts a program through the control kit's program starter (the shell's "open"), the
// parameters apart from the program, so a program path with blanks needs no quotes.
class TKitProgramStarter : public TProgramStarter {
 public:
  explicit TKitProgramStarter(TKitStarter* Starter) : FStarter(Starter) {}
  void Start(const String& Program, const String& Parameters, TProgramShow Show) override;

 private:
  TKitStarter* FStarter;
};

// Shuts the computer down and powers it off (ExitWindowsEx), with the shutdown privilege
// enabled for this process first.
class TExitWindowsShutdown : public TSystemShutdown {
 public:
  void ShutDown() override;
};
