#pragma once
// The system's alert sound (MessageBeep), behind a seam, so a component that beeps on bad
// input is tested by counting its beeps instead of sounding them. Production plays the
// system's sound (nothing in the native tree); tests install a TCountingBeeper.
#include <vector>

class TBeeper {
 public:
  virtual ~TBeeper() = default;
  // Type as MessageBeep takes it (0: the default sound, MB_ICONHAND ...).
  virtual void MessageBeep(unsigned Type) = 0;
};

TBeeper& Beeper();
TBeeper& SystemBeeper();

// Installs a beeper for as long as it lives, then puts the previous one back.
class TBeeperScope {
 public:
  explicit TBeeperScope(TBeeper& Beeper);
  ~TBeeperScope();
  TBeeperScope(const TBeeperScope&) = delete;
  TBeeperScope& operator=(const TBeeperScope&) = delete;

 private:
  TBeeper* FPrevious;
};

// Keeps the types of the beeps asked for.
class TCountingBeeper : public TBeeper {
 public:
  void MessageBeep(unsigned Type) override { Beeps.push_back(Type); }
  int Count() const { return static_cast<int>(Beeps.size()); }
  std::vector<unsigned> Beeps;
};
