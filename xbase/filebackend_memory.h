#pragma once
// Files in memory, for tests and fuzzers. Handles behave as Windows handles: share modes,
// byte-range locks held per handle. It logs lock calls and fails on demand.
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "xbase/filebackend.h"

class TxbMemoryFileSystem : public TxbFileSystem {
 public:
  std::string FullName(std::string_view name) override;
  bool Exists(const std::string& name) override;
  int Open(const std::string& name, bool readWrite, bool shared, std::unique_ptr<TxbOsFile>& file) override;
  int Create(const std::string& name, std::unique_ptr<TxbOsFile>& file) override;
  int Rename(const std::string& from, const std::string& to) override;
  int Replace(const std::string& from, const std::string& to) override;

  // The bytes of a file (by any spelling of its name); SetFile makes or replaces one.
  std::string FileBytes(std::string_view name);
  void SetFile(std::string_view name, std::string bytes);
  bool ReadOnly(std::string_view name);
  void SetReadOnly(std::string_view name, bool readOnly);

  // Writes from now on move at most `bytes` bytes in all; the one that reaches the limit
  // stops there and reports `error` (0: a short write with no error).
  void LimitWrites(std::int64_t bytes, int error);
  void UnlimitWrites() { FWriteBudget = -1; }
  // The file's writes (and size changes) after the first `count` from now on are dropped
  // silently, as when its writer is killed; -1 keeps them all again.
  void DropWritesAfter(std::string_view name, std::int64_t count);
  // Writes and size changes the file has had.
  std::int64_t WriteCount(std::string_view name);
  // Files grow no larger than this: a write beyond fails as on a full disk (112).
  std::int64_t MaxFileSize = 64 << 20;
  // Every lock call from now on fails with 33.
  bool RefuseLocks = false;
  // "L offset length" / "U offset length" of every lock call, in order.
  std::vector<std::string> LockLog;

  struct TFile;
  struct TLock {
    const void* Owner;
    std::uint64_t Offset, Length;
  };

 private:
  friend class TxbMemoryFile;
  std::shared_ptr<TFile> Find(std::string_view name);
  std::recursive_mutex FMutex;
  std::map<std::string, std::shared_ptr<TFile>> FFiles;
  std::int64_t FWriteBudget = -1;
  int FWriteError = 0;
};
