// The Win32 backend: CreateFileW with share modes, positioned ReadFile/WriteFile, and
// LockFileEx locks that fail at once.
#include <algorithm>

#include "classlib/core/files.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"
#include "xbase/filebackend.h"

namespace {

int LastErrorCode() {
  DWORD e = GetLastError();
  return e ? static_cast<int>(e) : 5;
}

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

class TWinFile : public TxbOsFile {
 public:
  explicit TWinFile(HANDLE h) : FHandle(h) {}
  ~TWinFile() override { CloseHandle(FHandle); }
  int Read(std::int64_t offset, void* buffer, std::size_t count, std::size_t& done) override {
    done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < count) {
      OVERLAPPED o = At(offset + done);
      DWORD n = 0, want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
      if (!ReadFile(FHandle, p + done, want, &n, &o)) {
        DWORD e = GetLastError();
        return e == ERROR_HANDLE_EOF ? 0 : static_cast<int>(e ? e : 5);
      }
      if (n == 0) break;
      done += n;
    }
    return 0;
  }
  int Write(std::int64_t offset, const void* buffer, std::size_t count, std::size_t& done) override {
    done = 0;
    auto* p = static_cast<const char*>(buffer);
    while (done < count) {
      OVERLAPPED o = At(offset + done);
      DWORD n = 0, want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
      if (!WriteFile(FHandle, p + done, want, &n, &o)) return LastErrorCode();
      if (n == 0) break;
      done += n;
    }
    return 0;
  }
  int Size(std::int64_t& size) override {
    LARGE_INTEGER s;
    if (!GetFileSizeEx(FHandle, &s)) return LastErrorCode();
    size = s.QuadPart;
    return 0;
  }
  int Flush() override { return FlushFileBuffers(FHandle) ? 0 : LastErrorCode(); }
  int SetSize(std::int64_t size) override {
    LARGE_INTEGER at;
    at.QuadPart = size;
    if (!SetFilePointerEx(FHandle, at, nullptr, FILE_BEGIN) || !SetEndOfFile(FHandle)) return LastErrorCode();
    return 0;
  }
  int Lock(std::uint64_t offset, std::uint64_t length) override {
    OVERLAPPED o = At(offset);
    if (!LockFileEx(FHandle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, static_cast<DWORD>(length),
                    static_cast<DWORD>(length >> 32), &o))
      return LastErrorCode() == ERROR_IO_PENDING ? 33 : LastErrorCode();
    return 0;
  }
  int Unlock(std::uint64_t offset, std::uint64_t length) override {
    OVERLAPPED o = At(offset);
    return UnlockFileEx(FHandle, 0, static_cast<DWORD>(length), static_cast<DWORD>(length >> 32), &o) ? 0
                                                                                                       : LastErrorCode();
  }

 private:
  HANDLE FHandle;
};

class TWinFileSystem : public TxbFileSystem {
 public:
  std::string FullName(std::string_view name) override { return AnsiUpperCase(ExpandFileName(name)); }
  bool Exists(const std::string& name) override {
    return GetFileAttributesW(Utf8ToWide(name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  int Open(const std::string& name, bool readWrite, bool shared, std::unique_ptr<TxbOsFile>& file) override {
    HANDLE h = CreateFileW(Utf8ToWide(name).c_str(), GENERIC_READ | (readWrite ? GENERIC_WRITE : 0),
                           shared ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastErrorCode();
    file = std::make_unique<TWinFile>(h);
    return 0;
  }
  int Create(const std::string& name, std::unique_ptr<TxbOsFile>& file) override {
    // Share mode 0: a file another process has open fails (32) instead of being emptied.
    HANDLE h = CreateFileW(Utf8ToWide(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastErrorCode();
    file = std::make_unique<TWinFile>(h);
    return 0;
  }
  int Rename(const std::string& from, const std::string& to) override {
    return MoveFileW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str()) ? 0 : LastErrorCode();
  }
  int Replace(const std::string& from, const std::string& to) override {
    return MoveFileExW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : LastErrorCode();
  }
};

}  // namespace

TxbFileSystem& SystemFileSystem() {
  static TWinFileSystem fs;
  return fs;
}
