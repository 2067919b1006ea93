// The actor header reader on any bytes: it reads nothing outside the bytes it is given,
// and a header it accepts answers every query.
#include "assistant/actorformat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TActorHeader h;
  if (!ParseActorHeader(data, size, h)) return 0;
  for (int c = -1; c <= 80; ++c)
    for (int n = 0; n < 4; ++n) {
      int r = h.FindAnimation(c, n);
      if (r < 0 || r > static_cast<int>(h.Animations.size())) __builtin_trap();
    }
  for (const TAnimationRecord& a : h.Animations)
    if (h.IndexOfName(a.Name) == 0 && !a.Name.empty()) __builtin_trap();
  return 0;
}
