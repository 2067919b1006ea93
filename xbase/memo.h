#pragma once
// Memo files: the texts of a table's memo, binary and general fields, which hold a block
// number. Three formats: XBobjMemo (".DBT", the value ended by 0x1A 0x1A), XBobjMemo4
// (".DBT" with 8-byte block headers and a chain of free blocks) and XBobjFXMemo20 (".FPT",
// big-endian header and block headers). Nothing read from the file is trusted: a block
// header, length or chain that does not fit the file is a format error (1005).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "xbase/diskfile.h"
#include "xbase/tableshared.h"

class XBobjMemo : public XBO_DiskFile {
 public:
  // The memo file of the table tableFileName (by version: ".FPT" for 0x30 and 0xF5, else
  // ".DBT"), opened with the table's access and sharing. A missing file raises code 2.
  // Errors go to owner's Error. key: the table's cipher key (empty: plain).
  XBobjMemo(XBO_DiskFile* owner, std::uint8_t version, bool readWrite, bool shared, std::string key,
            std::string_view tableFileName);
  // The memo class for a table version (nullptr for a version without memo file).
  static std::unique_ptr<XBobjMemo> ForVersion(XBO_DiskFile* owner, std::uint8_t version, bool readWrite, bool shared,
                                               std::string key, std::string_view tableFileName);
  static std::string MemoFileName(std::string_view tableFileName, std::uint8_t version);

  void Error(std::int32_t Code, std::int32_t SubCode, const std::string& Info) override;

  // Chooses the first block for a value of that length (the current value's blocks are
  // those of the block being rewritten).
  virtual std::uint32_t AllocateBlocks(std::size_t length);
  virtual void FreeBlocks(std::uint32_t block);
  // The length of the value stored at block (checked against the file).
  virtual std::int64_t ReadBlockHeader(std::uint32_t block);
  virtual void SetLockProtocol(TxbLokProtocol protocol);
  virtual void RenameMemo(std::string_view newTableName);

  std::int64_t MemoLength(std::uint32_t block);
  // The value at block (at most maxSize bytes); block 0 is the empty value.
  std::string ReadMemo(std::uint32_t block, std::size_t maxSize = SIZE_MAX);
  // Stores a value; block is the field's block before (0: none) and after.
  void WriteMemo(const void* buffer, std::size_t size, std::uint32_t& block);
  void LockMemoHeader();
  void UnlockMemoHeader();

  std::uint32_t BlockSize() const { return FBlockSize; }
  std::uint32_t BlockHeaderLength() const { return FBlockHeaderLength; }
  TxbLokProtocol LockProtocol() const { return FProtocol; }
  // Where LockMemoHeader locks.
  std::uint64_t HeaderLockOffset() const;
  std::uint64_t HeaderLockLength() const;

 protected:
  // Blocks a value of that length occupies.
  virtual std::uint32_t BlocksFor(std::size_t length) const;
  // The block header, the value and any trailer, in one write.
  virtual void WriteValue(std::uint32_t block, const std::string& value);
  // The first block a value may take (after the header).
  virtual std::uint32_t FirstDataBlock() const { return 1; }
  // The next free block (dBase IV: the first free run) kept in the header.
  std::uint32_t HeaderNextFree();
  void SetHeaderNextFree(std::uint32_t block);
  // The block just past the end of the file.
  std::uint32_t EndBlock();
  [[noreturn]] void FormatError();
  std::int64_t BlockOffset(std::uint32_t block) const { return static_cast<std::int64_t>(block) * FBlockSize; }
  void ReadExact(std::int64_t offset, void* buffer, std::size_t count);
  std::uint32_t ValueBlocks(std::uint32_t block);

  XBO_DiskFile* FOwner;
  std::uint8_t FVersion;
  std::uint32_t FCurrentBlock = 0;
  std::uint32_t FBlockCount = 0;
  std::uint32_t FBlockSize = 512;
  TxbLokProtocol FProtocol = TxbLokProtocol::Default;
  TxbLockOffsets FOffsets;
  std::uint32_t FBlockHeaderLength = 0;
  bool FBigEndianHeader = false;  // FoxPro
  bool FEncrypted;
  std::string FReadKey, FWriteKey;
};

class XBobjMemo4 : public XBobjMemo {
 public:
  XBobjMemo4(XBO_DiskFile* owner, std::uint8_t version, bool readWrite, bool shared, std::string key,
             std::string_view tableFileName);
  std::uint32_t AllocateBlocks(std::size_t length) override;
  void FreeBlocks(std::uint32_t block) override;
  std::int64_t ReadBlockHeader(std::uint32_t block) override;

 protected:
  std::uint32_t BlocksFor(std::size_t length) const override;
  void WriteValue(std::uint32_t block, const std::string& value) override;
};

class XBobjFXMemo20 : public XBobjMemo {
 public:
  XBobjFXMemo20(XBO_DiskFile* owner, std::uint8_t version, bool readWrite, bool shared, std::string key,
                std::string_view tableFileName);
  std::int64_t ReadBlockHeader(std::uint32_t block) override;

 protected:
  std::uint32_t BlocksFor(std::size_t length) const override;
  void WriteValue(std::uint32_t block, const std::string& value) override;
  std::uint32_t FirstDataBlock() const override { return (512 + FBlockSize - 1) / FBlockSize; }
};

// Writes an empty memo file for a new table (the header block alone).
void WriteEmptyMemoFile(std::string_view tableFileName, std::uint8_t version);
