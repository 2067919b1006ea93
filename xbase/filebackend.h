#pragma once
// The small interface the engine's file layer stands on, with three backends: Win32
// (CreateFileW, LockFileEx), POSIX (pread/pwrite, open-file-description locks, so native
// processes exclude each other as Windows processes do) and memory (tests and fuzzers). Errors
// are Windows error numbers in every backend (2 not found, 5 access denied, 32 sharing
// violation, 33 lock violation …), as the engine reports them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// One open operating-system file.
class TxbOsFile {
 public:
  virtual ~TxbOsFile() = default;
  // Each returns 0 or an error number; done tells how many bytes moved.
  virtual int Read(std::int64_t offset, void* buffer, std::size_t count, std::size_t& done) = 0;
  virtual int Write(std::int64_t offset, const void* buffer, std::size_t count, std::size_t& done) = 0;
  virtual int Size(std::int64_t& size) = 0;
  virtual int Flush() = 0;
  virtual int SetSize(std::int64_t size) = 0;
  // An exclusive lock of a byte range that fails at once (33) when another holder has any
  // byte of it.
  virtual int Lock(std::uint64_t offset, std::uint64_t length) = 0;
  virtual int Unlock(std::uint64_t offset, std::uint64_t length) = 0;
};

class TxbFileSystem {
 public:
  virtual ~TxbFileSystem() = default;
  // The full form of a name, as the engine compares names: expanded from the current
  // folder, upper case where names are case-blind.
  virtual std::string FullName(std::string_view name) = 0;
  virtual bool Exists(const std::string& name) = 0;
  // Opens an existing file; not shared = nobody else may have it open meanwhile.
  virtual int Open(const std::string& name, bool readWrite, bool shared, std::unique_ptr<TxbOsFile>& file) = 0;
  // Creates or empties a file, open for reading and writing by nobody else; a file open
  // elsewhere is left alone (32).
  virtual int Create(const std::string& name, std::unique_ptr<TxbOsFile>& file) = 0;
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  // Moves from over to in one step (to is replaced); neither may be open.
  virtual int Replace(const std::string& from, const std::string& to) = 0;
};

// The backend in use: an installed one, otherwise the system's.
TxbFileSystem& FileSystem();
TxbFileSystem& SystemFileSystem();
class TxbFileSystemScope {
 public:
  explicit TxbFileSystemScope(TxbFileSystem& fs);
  ~TxbFileSystemScope();
  TxbFileSystemScope(const TxbFileSystemScope&) = delete;
  TxbFileSystemScope& operator=(const TxbFileSystemScope&) = delete;

 private:
  TxbFileSystem* FPrevious;
};

// How a lock that is refused is tried again: Attempts tries, Sleep(IntervalMs) after each
// failed one (by default 100 x 50 ms, five seconds in all).
struct TxbLockRetryPolicy {
  int Attempts = 100;
  int IntervalMs = 50;
  std::function<void(int ms)> Sleep;  // empty: the thread sleeps
};
TxbLockRetryPolicy& LockRetryPolicy();
// Runs tryLock by the policy until it succeeds; false when every attempt failed.
bool RetryLock(const std::function<bool()>& tryLock);
