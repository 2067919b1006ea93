// An animation resource on any bytes: the framing decoder and the stream reader either
// produce frames that lie inside the decoded bytes or raise their error.
#include "assistant/actorformat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose a small frame size; the rest is the resource.
  int w = data[0] % 9, h = data[1] % 7;
  TStringStream source(std::string(reinterpret_cast<const char*>(data + 2), size - 2)), dest;
  try {
    DecompressStream(&source, &dest);
  } catch (const EReadError&) {
    return 0;
  }
  const std::string& s = dest.DataString();
  try {
    TActorAnimation a = ParseAnimationStream(reinterpret_cast<const std::uint8_t*>(s.data()), s.size(), w, h);
    for (std::size_t k = 0; k < a.FrameCount; ++k)
      for (const TBranch& b : a.Branches[k])
        if (b.Percent && b.Target >= a.FrameCount) __builtin_trap();
    volatile std::uint8_t sum = 0;
    for (std::size_t k = 0; k < a.FrameCount; ++k)
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) sum = static_cast<std::uint8_t>(sum + a.FrameRow(k, y)[x]);
  } catch (const EActorError&) {
  }
  return 0;
}
