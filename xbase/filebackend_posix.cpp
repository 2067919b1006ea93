// The POSIX backend of the native build: pread/pwrite, and open-file-description locks, which
// belong to the open file as Windows locks belong to the handle, so native processes exclude
// each other as Windows ones do. Share modes are kept the same way, by a lock on one byte far
// beyond any data: every open holds it shared, an exclusive open or a create holds it alone.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "classlib/core/files.h"
#include "xbase/filebackend.h"

namespace {

constexpr off_t kOpenMarker = LLONG_MAX - 1;

int ErrorCode(int e) {
  switch (e) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return 5;
    case EAGAIN: return 33;
    case ENOSPC: return 112;
    case EEXIST: return 183;
    default: return 31;  // ERROR_GEN_FAILURE
  }
}

int RangeLock(int fd, short type, std::uint64_t offset, std::uint64_t length) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(std::min<std::uint64_t>(offset, LLONG_MAX - 2));
  fl.l_len = static_cast<off_t>(std::min<std::uint64_t>(length, static_cast<std::uint64_t>(LLONG_MAX - 2) - fl.l_start));
  if (fcntl(fd, F_OFD_SETLK, &fl) == 0) return 0;
  return (errno == EAGAIN || errno == EACCES) ? 33 : ErrorCode(errno);
}

// Moves count bytes by repeated calls of move(bytes done so far) until done or the end.
template <class Move>
int Transfer(std::size_t count, std::size_t& done, Move move) {
  done = 0;
  while (done < count) {
    ssize_t n = move(done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrorCode(errno);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

class TPosixFile : public TxbOsFile {
 public:
  // writable: the descriptor may write (a read-only open takes one that may, where it can,
  // so that its locks are write locks); mayWrite: what the opener asked for.
  TPosixFile(int fd, bool writable, bool mayWrite) : FFd(fd), FWritable(writable), FMayWrite(mayWrite) {}
  ~TPosixFile() override { ::close(FFd); }
  int Read(std::int64_t offset, void* buffer, std::size_t count, std::size_t& done) override {
    auto* p = static_cast<char*>(buffer);
    return Transfer(count, done, [&](std::size_t at) { return ::pread(FFd, p + at, count - at, offset + at); });
  }
  int Write(std::int64_t offset, const void* buffer, std::size_t count, std::size_t& done) override {
    done = 0;
    if (!FMayWrite) return 5;
    auto* p = static_cast<const char*>(buffer);
    return Transfer(count, done, [&](std::size_t at) { return ::pwrite(FFd, p + at, count - at, offset + at); });
  }
  int Size(std::int64_t& size) override {
    struct stat st;
    if (::fstat(FFd, &st) != 0) return ErrorCode(errno);
    size = st.st_size;
    return 0;
  }
  int Flush() override { return ::fsync(FFd) == 0 ? 0 : ErrorCode(errno); }
  int SetSize(std::int64_t size) override {
    if (!FMayWrite) return 5;
    return ::ftruncate(FFd, size) == 0 ? 0 : ErrorCode(errno); }
  int Lock(std::uint64_t offset, std::uint64_t length) override {
    return RangeLock(FFd, FWritable ? F_WRLCK : F_RDLCK, offset, length);
  }
  int Unlock(std::uint64_t offset, std::uint64_t length) override { return RangeLock(FFd, F_UNLCK, offset, length); }

 private:
  int FFd;
  bool FWritable, FMayWrite;
};

std::string NativeName(const std::string& name) {
  std::string n = name;
  std::replace(n.begin(), n.end(), '\\', '/');
  return n;
}

// Takes the open marker: shared by every open, alone for an exclusive one (32 when that
// cannot be had).
int TakeMarker(int fd, bool alone) {
  int r = RangeLock(fd, alone ? F_WRLCK : F_RDLCK, kOpenMarker, 1);
  return r == 33 ? 32 : r;
}

class TPosixFileSystem : public TxbFileSystem {
 public:
  std::string FullName(std::string_view name) override { return ExpandFileName(name); }
  bool Exists(const std::string& name) override { return ::access(NativeName(name).c_str(), F_OK) == 0; }
  int Open(const std::string& name, bool readWrite, bool shared, std::unique_ptr<TxbOsFile>& file) override {
    int fd = ::open(NativeName(name).c_str(), O_RDWR | O_CLOEXEC);
    bool writable = fd >= 0;
    if (fd < 0 && !readWrite && (errno == EACCES || errno == EROFS || errno == EPERM))
      fd = ::open(NativeName(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ErrorCode(errno);
    if (int r = TakeMarker(fd, !shared && writable)) {
      ::close(fd);
      return r;
    }
    file = std::make_unique<TPosixFile>(fd, writable, readWrite);
    return 0;
  }
  int Create(const std::string& name, std::unique_ptr<TxbOsFile>& file) override {
    int fd = ::open(NativeName(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return ErrorCode(errno);
    // Emptied only when nobody else has it open.
    if (int r = TakeMarker(fd, true)) {
      ::close(fd);
      return r;
    }
    if (::ftruncate(fd, 0) != 0) {
      int e = ErrorCode(errno);
      ::close(fd);
      return e;
    }
    file = std::make_unique<TPosixFile>(fd, true, true);
    return 0;
  }
  int Rename(const std::string& from, const std::string& to) override {
    if (Exists(to)) return 183;
    return ::rename(NativeName(from).c_str(), NativeName(to).c_str()) == 0 ? 0 : ErrorCode(errno);
  }
  int Replace(const std::string& from, const std::string& to) override {
    return ::rename(NativeName(from).c_str(), NativeName(to).c_str()) == 0 ? 0 : ErrorCode(errno);
  }
};

}  // namespace

TxbFileSystem& SystemFileSystem() {
  static TPosixFileSystem fs;
  return fs;
}
