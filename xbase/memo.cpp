#include "xbase/memo.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/core/files.h"
#include "xbase/errors.h"
#include "xbase/names.h"

namespace {

bool IsFoxVersion(std::uint8_t version) { return version == 0x30 || version == 0xF5; }

// Unlocks the memo header when a write ends, however it ends.
struct THeaderLock {
  XBobjMemo& Memo;
  bool Held;
  ~THeaderLock() {
    if (Held) Memo.UnlockMemoHeader();
  }
};

}  // namespace

std::string XBobjMemo::MemoFileName(std::string_view tableFileName, std::uint8_t version) {
  std::string ext = IsFoxVersion(version) ? ".FPT" : ".DBT";
  // The extension takes the table's case first (names are case-blind only under Windows).
  std::string tableExt = ExtractFileExt(tableFileName);
  bool lower = !tableExt.empty() && tableExt.find_first_of("abcdefghijklmnopqrstuvwxyz") != std::string::npos;
  std::string lowerExt = IsFoxVersion(version) ? ".fpt" : ".dbt";
  std::string first = ChangeFileExt(tableFileName, lower ? lowerExt : ext);
  std::string second = ChangeFileExt(tableFileName, lower ? ext : lowerExt);
  if (!FileSystem().Exists(NormalizeFileName(first)) && FileSystem().Exists(NormalizeFileName(second))) return second;
  return first;
}

XBobjMemo::XBobjMemo(XBO_DiskFile* owner, std::uint8_t version, bool readWrite, bool shared, std::string key,
                     std::string_view tableFileName)
    : XBO_DiskFile(MemoFileName(tableFileName, version), readWrite, shared),
      FOwner(owner),
      FVersion(version),
      FOffsets(LockOffsetsFor(TxbLokProtocol::Default)),
      FEncrypted(!key.empty()),
      FReadKey(key),
      FWriteKey(key) {
  if (!Existed()) Error(xbeFileNotFound, xbsMemoOpen, FileName());
  Open();
}

std::unique_ptr<XBobjMemo> XBobjMemo::ForVersion(XBO_DiskFile* owner, std::uint8_t version, bool readWrite,
                                                 bool shared, std::string key, std::string_view tableFileName) {
  switch (version) {
    case 0x83: return std::make_unique<XBobjMemo>(owner, version, readWrite, shared, key, tableFileName);
    case 0x8B: return std::make_unique<XBobjMemo4>(owner, version, readWrite, shared, key, tableFileName);
    case 0xF5:
    case 0x30: return std::make_unique<XBobjFXMemo20>(owner, version, readWrite, shared, key, tableFileName);
    default: return nullptr;
  }
}

void XBobjMemo::Error(std::int32_t Code, std::int32_t SubCode, const std::string& Info) {
  if (FOwner)
    FOwner->Error(Code, SubCode, Info);
  else
    XBO_DiskFile::Error(Code, SubCode, Info);
  RaiseEngineError(Code, SubCode, Info);  // an owner that did not raise
}

void XBobjMemo::FormatError() {
  Error(xbeMemoFormat, xbsMemoFormat, FileName());
  RaiseEngineError(xbeMemoFormat, xbsMemoFormat, FileName());
}

void XBobjMemo::ReadExact(std::int64_t offset, void* buffer, std::size_t count) {
  if (Read(offset, buffer, count) != count) FormatError();
}

std::uint32_t XBobjMemo::EndBlock() {
  std::int64_t size = FileSize();
  std::int64_t end = (size + FBlockSize - 1) / FBlockSize;
  return static_cast<std::uint32_t>(std::min<std::int64_t>(std::max<std::int64_t>(end, FirstDataBlock()), UINT32_MAX));
}

void XBobjMemo::SetLockProtocol(TxbLokProtocol protocol) {
  FProtocol = protocol;
  FOffsets = LockOffsetsFor(protocol);
}

std::uint64_t XBobjMemo::HeaderLockOffset() const {
  return FProtocol == TxbLokProtocol::ClipLock ? FOffsets.Header : FOffsets.Header - 1;
}

std::uint64_t XBobjMemo::HeaderLockLength() const { return FProtocol == TxbLokProtocol::DB4Lock ? 2 : 1; }

void XBobjMemo::LockMemoHeader() {
  if (!Shared()) return;
  if (!RetryLock([&] { return LockRegion(HeaderLockOffset(), HeaderLockLength()); }))
    Error(FLastError ? FLastError : xbeLocked, xbsMemoLock, FileName());
}

void XBobjMemo::UnlockMemoHeader() {
  if (Shared()) Unlock();
}

std::uint32_t XBobjMemo::BlocksFor(std::size_t length) const {
  return static_cast<std::uint32_t>((length + 2 + FBlockSize - 1) / FBlockSize);
}

std::int64_t XBobjMemo::ReadBlockHeader(std::uint32_t block) {
  // The text runs to the first 0x1A (or the end of the file): no cap on its length.
  std::int64_t start = BlockOffset(block), size = FileSize();
  if (block == 0 || start >= size) FormatError();
  std::vector<char> chunk(4096);
  for (std::int64_t at = start; at < size;) {
    std::size_t n = Read(at, chunk.data(), chunk.size());
    if (n == 0) break;
    auto* end = static_cast<char*>(std::memchr(chunk.data(), 0x1A, n));
    if (end) return at - start + (end - chunk.data());
    at += n;
  }
  return size - start;
}

std::int64_t XBobjMemo::MemoLength(std::uint32_t block) { return block == 0 ? 0 : ReadBlockHeader(block); }

std::string XBobjMemo::ReadMemo(std::uint32_t block, std::size_t maxSize) {
  if (block == 0) return std::string();
  std::size_t size = static_cast<std::size_t>(std::min<std::int64_t>(MemoLength(block), static_cast<std::int64_t>(
                                                                                             std::min<std::size_t>(maxSize, INT64_MAX))));
  std::string value(size, '\0');
  if (size) ReadExact(BlockOffset(block) + FBlockHeaderLength, value.data(), size);
  if (FEncrypted) CryptRecord(FReadKey, value.data(), value.data(), size);
  return value;
}

std::uint32_t XBobjMemo::ValueBlocks(std::uint32_t block) {
  if (block == 0) return 0;
  return BlocksFor(static_cast<std::size_t>(MemoLength(block)));
}

void XBobjMemo::WriteMemo(const void* buffer, std::size_t size, std::uint32_t& block) {
  if (size == 0 && block == 0) return;
  THeaderLock lock{*this, false};
  LockMemoHeader();
  lock.Held = Shared();
  FCurrentBlock = block;
  FBlockCount = ValueBlocks(block);
  if (size == 0) {
    // An emptied value gives its blocks back (where the format keeps free blocks).
    FreeBlocks(block);
    block = FCurrentBlock = FBlockCount = 0;
    return;
  }
  std::uint32_t target = AllocateBlocks(size);
  std::string value(static_cast<const char*>(buffer), size);
  if (FEncrypted) CryptRecord(FWriteKey, value.data(), value.data(), size);
  WriteValue(target, value);
  block = target;
  FCurrentBlock = target;
  FBlockCount = BlocksFor(size);
}

std::uint32_t XBobjMemo::HeaderNextFree() {
  std::uint8_t b[4];
  ReadExact(0, b, 4);
  return FBigEndianHeader ? GetBE32(b) : GetLE32(b);
}

void XBobjMemo::SetHeaderNextFree(std::uint32_t block) {
  std::uint8_t b[4];
  if (FBigEndianHeader)
    PutBE32(b, block);
  else
    PutLE32(b, block);
  Write(0, b, 4);
}

std::uint32_t XBobjMemo::AllocateBlocks(std::size_t length) {
  std::uint32_t needed = BlocksFor(length);
  if (FCurrentBlock > 0 && FBlockCount >= needed) return FCurrentBlock;
  // New values go past both the header's next free block and the end of the file, so a
  // stale header never lets them overwrite a stored value.
  std::uint32_t next = std::max(HeaderNextFree(), EndBlock());
  SetHeaderNextFree(next + needed);
  return next;
}

void XBobjMemo::FreeBlocks(std::uint32_t) {}

void XBobjMemo::WriteValue(std::uint32_t block, const std::string& value) {
  std::string bytes = value + "\x1A\x1A";
  Write(BlockOffset(block), bytes.data(), bytes.size());
}

void XBobjMemo::RenameMemo(std::string_view newTableName) {
  Rename(MemoFileName(newTableName, FVersion));
  if (IsFoxVersion(FVersion)) return;
  std::uint8_t name[9] = {};
  std::string base = UpperCaseBytes(xbase::BaseFileName(newTableName), TxbCodePage::cp1251).substr(0, 8);
  std::memcpy(name, base.data(), base.size());
  Write(8, name, sizeof name);
}

// ---- dBase IV ----

XBobjMemo4::XBobjMemo4(XBO_DiskFile* owner, std::uint8_t version, bool readWrite, bool shared, std::string key,
                       std::string_view tableFileName)
    : XBobjMemo(owner, version, readWrite, shared, std::move(key), tableFileName) {
  std::uint8_t header[32];
  ReadExact(0, header, sizeof header);
  std::uint32_t blockSize = GetLE32(header + 20);
  if (blockSize < 1 || blockSize > 65536) FormatError();
  FBlockSize = blockSize;
  FBlockHeaderLength = 8;
  if (ReadWrite() && FileSize() < FBlockSize) {
    std::string block(FBlockSize, '\0');
    std::memcpy(block.data(), header, std::min<std::size_t>(sizeof header, FBlockSize));
    Write(0, block.data(), block.size());
  }
}

std::uint32_t XBobjMemo4::BlocksFor(std::size_t length) const {
  return static_cast<std::uint32_t>((length + 8 + FBlockSize - 1) / FBlockSize);
}

std::int64_t XBobjMemo4::ReadBlockHeader(std::uint32_t block) {
  std::uint8_t h[8];
  std::int64_t offset = BlockOffset(block);
  if (block == 0) FormatError();
  ReadExact(offset, h, sizeof h);
  if (h[0] != 0xFF || h[1] != 0xFF) FormatError();
  std::int64_t length = static_cast<std::int64_t>(GetLE32(h + 4)) - 8;
  if (length < 0 || length > FileSize() - offset - 8) FormatError();
  return length;
}

void XBobjMemo4::WriteValue(std::uint32_t block, const std::string& value) {
  std::string bytes(8, '\0');
  bytes[0] = bytes[1] = '\xFF';
  PutLE16(bytes.data() + 2, 8);
  PutLE32(bytes.data() + 4, static_cast<std::uint32_t>(value.size() + 8));
  bytes += value;
  Write(BlockOffset(block), bytes.data(), bytes.size());
}

void XBobjMemo4::FreeBlocks(std::uint32_t block) {
  if (block == 0 || FBlockCount == 0) return;
  std::uint8_t run[8];
  PutLE32(run, HeaderNextFree());
  PutLE32(run + 4, FBlockCount);
  Write(BlockOffset(block), run, sizeof run);
  SetHeaderNextFree(block);
}

std::uint32_t XBobjMemo4::AllocateBlocks(std::size_t length) {
  std::uint32_t needed = BlocksFor(length);
  if (FCurrentBlock > 0) FreeBlocks(FCurrentBlock);
  FCurrentBlock = 0;
  FBlockCount = 0;
  std::uint32_t end = EndBlock();
  // First fit along the chain of free runs {next, count}; the walk is bounded, so a chain
  // that loops is a format error, not an endless loop.
  std::int64_t previousLink = 0;  // where the link to the current run is kept
  std::uint32_t next = HeaderNextFree();
  std::uint32_t steps = 0;
  while (next != 0 && next < end) {
    if (++steps > end) FormatError();
    std::uint8_t run[8];
    ReadExact(BlockOffset(next), run, sizeof run);
    std::uint32_t runNext = GetLE32(run), count = GetLE32(run + 4);
    // A run must lie inside the file: a link into a stored value is no free run.
    if (count < 1 || count > end - next) FormatError();
    if (count >= needed) {
      std::uint32_t link = runNext;
      if (count > needed) {
        std::uint8_t rest[8];
        PutLE32(rest, runNext);
        PutLE32(rest + 4, count - needed);
        Write(BlockOffset(next + needed), rest, sizeof rest);
        link = next + needed;
      }
      std::uint8_t b[4];
      PutLE32(b, link);
      Write(previousLink, b, 4);
      return next;
    }
    previousLink = BlockOffset(next);
    next = runNext;
  }
  std::uint8_t b[4];
  PutLE32(b, end + needed);
  Write(previousLink, b, 4);
  return end;
}

// ---- FoxPro ----

XBobjFXMemo20::XBobjFXMemo20(XBO_DiskFile* owner, std::uint8_t version, bool readWrite, bool shared, std::string key,
                             std::string_view tableFileName)
    : XBobjMemo(owner, version, readWrite, shared, std::move(key), tableFileName) {
  std::uint8_t header[8];
  ReadExact(0, header, sizeof header);
  std::uint32_t blockSize = GetBE16(header + 6);
  if (blockSize < 1) FormatError();
  FBlockSize = blockSize;
  FBlockHeaderLength = 8;
  FBigEndianHeader = true;
}

std::uint32_t XBobjFXMemo20::BlocksFor(std::size_t length) const {
  return static_cast<std::uint32_t>((length + 8 + FBlockSize - 1) / FBlockSize);
}

std::int64_t XBobjFXMemo20::ReadBlockHeader(std::uint32_t block) {
  std::uint8_t h[8];
  std::int64_t offset = BlockOffset(block);
  if (block == 0) FormatError();
  ReadExact(offset, h, sizeof h);
  std::uint32_t type = GetBE32(h);
  if (type > 1) FormatError();
  std::int64_t length = GetBE32(h + 4);
  if (length > FileSize() - offset - 8) FormatError();
  return length;
}

void XBobjFXMemo20::WriteValue(std::uint32_t block, const std::string& value) {
  std::string bytes(8, '\0');
  PutBE32(bytes.data(), 1);
  PutBE32(bytes.data() + 4, static_cast<std::uint32_t>(value.size()));
  bytes += value;
  Write(BlockOffset(block), bytes.data(), bytes.size());
}

void WriteEmptyMemoFile(std::string_view tableFileName, std::uint8_t version) {
  std::string name = IsFoxVersion(version) ? ChangeFileExt(tableFileName, ".FPT") : ChangeFileExt(tableFileName, ".DBT");
  XBO_DiskFile file(name, true, false);
  file.CreateNew();
  std::string header(512, '\0');
  if (IsFoxVersion(version)) {
    const std::uint16_t blockSize = 64;
    PutBE32(header.data(), 512 / blockSize);
    PutBE16(header.data() + 6, blockSize);
  } else {
    PutLE32(header.data(), 1);
    std::string base = UpperCaseBytes(xbase::BaseFileName(tableFileName), TxbCodePage::cp1251).substr(0, 8);
    std::memcpy(header.data() + 8, base.data(), base.size());
    if (version == 0x8B) PutLE32(header.data() + 20, 512);
  }
  file.Write(0, header.data(), header.size());
}
