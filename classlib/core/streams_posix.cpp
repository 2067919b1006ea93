// TFileStream over POSIX files, for the native build. Sharing modes are not enforced here.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "classlib/core/streams.h"

TFileStream::TFileStream(const String& fileName, std::uint16_t mode) : FFileName(fileName) {
  int fd;
  if ((mode & fmCreate) == fmCreate) {
    fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(errno));
  } else {
    static const int kAccess[3] = {O_RDONLY, O_WRONLY, O_RDWR};
    fd = ::open(fileName.c_str(), kAccess[(mode & 3) > 2 ? 2 : (mode & 3)]);
    if (fd < 0) throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
  }
  FHandle = fd;
}

TFileStream::~TFileStream() {
  if (FHandle != -1) ::close(static_cast<int>(FHandle));
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  std::int64_t total = 0;
  while (count > 0) {
    ssize_t n = ::read(static_cast<int>(FHandle), static_cast<char*>(buffer) + total, static_cast<size_t>(count));
    if (n <= 0) break;
    total += n;
    count -= n;
  }
  return total;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  std::int64_t total = 0;
  while (count > 0) {
    ssize_t n = ::write(static_cast<int>(FHandle), static_cast<const char*>(buffer) + total, static_cast<size_t>(count));
    if (n <= 0) break;
    total += n;
    count -= n;
  }
  return total;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  static const int kWhence[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
  off_t r = ::lseek(static_cast<int>(FHandle), offset, kWhence[origin]);
  if (r < 0) throw EStreamError("Cannot seek in \"" + FFileName + "\". " + std::strerror(errno));
  return r;
}

void TFileStream::SetSize(std::int64_t size) {
  if (::ftruncate(static_cast<int>(FHandle), size) != 0)
    throw EStreamError("Cannot change the size of \"" + FFileName + "\". " + std::strerror(errno));
  if (GetPosition() > size) SetPosition(size);
}
