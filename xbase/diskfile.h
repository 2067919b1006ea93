#pragma once
// XBO_DiskFile: the base of every file the engine touches. Positioned reads and writes, size,
// flush, truncate, rename, create and byte-range locks, with one operating-system handle per
// file in the process: objects opened on the same file (under any spelling of its name)
// share it. Failures go through the error routine with an operation sub-code; lock calls
// never raise (their result and LastError tell).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "classlib/core/object.h"
#include "xbase/filebackend.h"

struct TxbSharedHandle;

class XBO_DiskFile : public TObject {
 public:
  XBO_DiskFile(std::string_view FileName, bool ReadWrite, bool Shared);
  ~XBO_DiskFile() override;

  virtual bool Close();
  virtual void Error(std::int32_t Code, std::int32_t SubCode, const std::string& Info);
  virtual std::int64_t FileSize();
  virtual void Flush();
  virtual bool LockFile();
  virtual bool LockRegion(std::uint64_t Offset, std::uint64_t Length);
  // The count read; fewer than asked (LastError 221) at the end of the file.
  virtual std::size_t Read(std::int64_t Offset, void* Buffer, std::size_t Count);
  virtual bool Rename(std::string_view NewName);
  virtual void Open();
  // Creates (or empties) the file and opens it. A file open in this process fails (12); one
  // another process has open is left as it is (32).
  virtual void CreateNew();
  virtual void FileHook(std::int32_t, std::int32_t) {}
  virtual void Truncate(std::int64_t Offset);
  virtual bool Unlock();
  // Writes all of Buffer or raises (a short write is code 101).
  virtual void Write(std::int64_t Offset, const void* Buffer, std::size_t Count);

  void CheckFileError(std::int32_t Code, std::int32_t SubCode);
  // Not shared, or holding the whole-file region.
  bool HasExclusiveAccess() const;
  // Changes with every write and cut through any object sharing the handle (0 when closed).
  // Another process's writes to a shared file do not count.
  std::uint64_t WriteGeneration() const;

  const std::string& FileName() const { return FFileName; }
  std::int32_t LastError() const { return FLastError; }
  bool Existed() const { return FExisted; }
  bool Shared() const { return FShared; }
  bool ReadWrite() const { return FReadWrite; }
  bool IsOpen() const { return !FClosed; }
  std::int64_t Position() const { return FPosition; }
  std::size_t LastCount() const { return FLastCount; }
  int LockCount() const { return FLockCount; }
  std::uint64_t LockOffset() const { return FLockOffset; }
  std::uint64_t LockLength() const { return FLockLength; }

  static constexpr std::uint64_t WholeFileLength = 0x7FFFFFFF;

 protected:
  std::int32_t FLastError = 0;
  bool FShared;
  bool FReadWrite;

 private:
  friend void UnlockAllFiles();
  bool OsUnlockHeld();
  std::shared_ptr<TxbSharedHandle> FHandle;
  bool FExisted;
  std::string FFileName;
  std::int64_t FPosition = 0;
  std::size_t FLastCount = 0;
  int FLockCount = 0;
  std::uint64_t FLockOffset = 0, FLockLength = 0;
  bool FWritten = false;
  bool FClosed = true;
};

// The name as the engine keeps it: the full path (upper case under Windows).
std::string NormalizeFileName(std::string_view name);
// The first open object of that (normalised) name, or nullptr.
XBO_DiskFile* FindOpenFile(const std::string& name);
// Releases every region lock the process's files hold.
void UnlockAllFiles();
