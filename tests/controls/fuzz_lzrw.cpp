// The chunk codec on any bytes: decoding never reads or writes out of bounds (ASan) and
// either fails cleanly or produces output; compressing any chunk and decoding it gives
// the input back.
#include <cstring>
#include <vector>

#include "classlib/core/exceptions.h"
#include "controls/lzrw.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the output capacity; the rest is the chunk.
  std::size_t capacity = static_cast<std::size_t>(data[0]) * 160;
  std::vector<std::uint8_t> chunk(data + 1, data + size), out(capacity);
  try {
    std::size_t n = Lzrw1KhDecompress(chunk.data(), out.data(), chunk.size(), capacity);
    if (n > capacity) __builtin_trap();
  } catch (const EReadError&) {
  }
  std::size_t n = std::min(size, LzrwChunkSize);
  std::vector<std::uint8_t> packed(LzrwCompressBound(n)), back(n);
  std::size_t len = Lzrw1KhCompress(data, packed.data(), n);
  if (len > n + 1 || Lzrw1KhDecompress(packed.data(), back.data(), len, n) != n ||
      (n && std::memcmp(back.data(), data, n) != 0))
    __builtin_trap();
  return 0;
}
