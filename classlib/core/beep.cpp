#include "classlib/core/beep.h"

#ifdef _WIN32
#include "classlib/core/winapi.h"
#endif

namespace {
TBeeper* installed = nullptr;

class TSystemBeeper : public TBeeper {
 public:
  void MessageBeep(unsigned Type) override {
#ifdef _WIN32
    ::MessageBeep(Type);
#else
    (void)Type;  // no desktop to sound
#endif
  }
};
}  // namespace

TBeeper& Beeper() { return installed ? *installed : SystemBeeper(); }
TBeeper& SystemBeeper() {
  static TSystemBeeper beeper;
  return beeper;
}

TBeeperScope::TBeeperScope(TBeeper& Beeper) : FPrevious(installed) { installed = &Beeper; }
TBeeperScope::~TBeeperScope() { installed = FPrevious; }
