#pragma once
// What a table and its memo file share: the lock protocol with its lock offsets, and the
// record cipher of encrypted tables.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Where a table's locks lie, in the manners of the programs that share such tables.
enum class TxbLokProtocol { Default = 0, DB4Lock = 1, ClipLock = 2, FoxLock = 3 };

struct TxbLockOffsets {
  std::uint64_t TableBase;    // the table lock starts here …
  std::uint64_t Header;       // the header/append lock byte
  std::uint64_t TableLength;  // … and is this long
};
TxbLockOffsets LockOffsetsFor(TxbLokProtocol protocol);

// Enciphers or deciphers (the same operation) Count bytes: Out[i] = (i mod 256 OR key byte)
// XOR In[i], the key's bytes taken in turn. An empty key copies. In and Out may be the same.
// Returns 1 for Mode != 0, -1 for Mode 0, and 0 when the key is empty.
int CryptRecord(std::string_view Key, const void* In, void* Out, std::size_t Count, int Mode = 1);
// A password as the cipher takes it: its code page 1251 bytes.
std::string PasswordKey(std::string_view utf8Password);

// Little- and big-endian integers in file buffers.
inline std::uint32_t GetLE32(const void* p) {
  auto* b = static_cast<const std::uint8_t*>(p);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}
inline std::uint16_t GetLE16(const void* p) {
  auto* b = static_cast<const std::uint8_t*>(p);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}
inline std::uint32_t GetBE32(const void* p) {
  auto* b = static_cast<const std::uint8_t*>(p);
  return (static_cast<std::uint32_t>(b[0]) << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
}
inline std::uint16_t GetBE16(const void* p) {
  auto* b = static_cast<const std::uint8_t*>(p);
  return static_cast<std::uint16_t>((b[0] << 8) | b[1]);
}
inline void PutLE32(void* p, std::uint32_t v) {
  auto* b = static_cast<std::uint8_t*>(p);
  b[0] = v & 0xFF, b[1] = (v >> 8) & 0xFF, b[2] = (v >> 16) & 0xFF, b[3] = (v >> 24) & 0xFF;
}
inline void PutLE16(void* p, std::uint16_t v) {
  auto* b = static_cast<std::uint8_t*>(p);
  b[0] = v & 0xFF, b[1] = (v >> 8) & 0xFF;
}
inline void PutBE32(void* p, std::uint32_t v) {
  auto* b = static_cast<std::uint8_t*>(p);
  b[0] = (v >> 24) & 0xFF, b[1] = (v >> 16) & 0xFF, b[2] = (v >> 8) & 0xFF, b[3] = v & 0xFF;
}
inline void PutBE16(void* p, std::uint16_t v) {
  auto* b = static_cast<std::uint8_t*>(p);
  b[0] = (v >> 8) & 0xFF, b[1] = v & 0xFF;
}
