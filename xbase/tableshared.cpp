#include "xbase/tableshared.h"

#include "classlib/core/codepage.h"

TxbLockOffsets LockOffsetsFor(TxbLokProtocol protocol) {
  switch (protocol) {
    case TxbLokProtocol::DB4Lock: return {0x40000000u, 0xEFFFFFFFu, 0xB0000000u};
    case TxbLokProtocol::ClipLock: return {1000000000u, 1000000000u, 1000000000u};
    default: return {0x40000000u, 0x7FFFFFFEu, 0x3FFFFFFFu};
  }
}

int CryptRecord(std::string_view Key, const void* In, void* Out, std::size_t Count, int Mode) {
  auto* in = static_cast<const std::uint8_t*>(In);
  auto* out = static_cast<std::uint8_t*>(Out);
  if (Key.empty()) {
    for (std::size_t i = 0; i < Count; ++i) out[i] = in[i];
    return 0;
  }
  std::size_t k = 0;
  for (std::size_t i = 0; i < Count; ++i) {
    out[i] = static_cast<std::uint8_t>(((i % 256) | static_cast<std::uint8_t>(Key[k])) ^ in[i]);
    if (++k == Key.size()) k = 0;
  }
  return Mode != 0 ? 1 : -1;
}

std::string PasswordKey(std::string_view utf8Password) { return Utf8ToCp1251(utf8Password); }
