// TFileStream over the W file API.
#include "classlib/core/streams.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

namespace {

HANDLE H(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

DWORD ShareFlags(std::uint16_t mode) {
  switch (mode & 0xF0) {
    case fmShareExclusive: return 0;
    case fmShareDenyWrite: return FILE_SHARE_READ;
    case fmShareDenyRead: return FILE_SHARE_WRITE;
    default: return FILE_SHARE_READ | FILE_SHARE_WRITE;  // compat, deny none
  }
}

}  // namespace

TFileStream::TFileStream(const String& fileName, std::uint16_t mode) : FFileName(fileName) {
  std::wstring name = Utf8ToWide(fileName);
  HANDLE h;
  if ((mode & fmCreate) == fmCreate) {
    h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, ShareFlags(mode & 0xFF), nullptr,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
      throw EFCreateError("Cannot create file \"" + fileName + "\". " + SysErrorMessage(GetLastError()));
  } else {
    static const DWORD kAccess[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    h = CreateFileW(name.c_str(), kAccess[std::min<int>(mode & 3, 2)], ShareFlags(mode), nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
      throw EFOpenError("Cannot open file \"" + fileName + "\". " + SysErrorMessage(GetLastError()));
  }
  FHandle = reinterpret_cast<std::intptr_t>(h);
}

TFileStream::~TFileStream() {
  if (FHandle != -1) CloseHandle(H(FHandle));
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  std::int64_t total = 0;
  auto* p = static_cast<std::uint8_t*>(buffer);
  while (count > 0) {
    DWORD chunk = static_cast<DWORD>(std::min<std::int64_t>(count, 1 << 30)), got = 0;
    if (!ReadFile(H(FHandle), p + total, chunk, &got, nullptr) || got == 0) break;
    total += got;
    count -= got;
  }
  return total;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  std::int64_t total = 0;
  auto* p = static_cast<const std::uint8_t*>(buffer);
  while (count > 0) {
    DWORD chunk = static_cast<DWORD>(std::min<std::int64_t>(count, 1 << 30)), put = 0;
    if (!WriteFile(H(FHandle), p + total, chunk, &put, nullptr) || put == 0) break;
    total += put;
    count -= put;
  }
  return total;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  static const DWORD kMethod[3] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER move, result;
  move.QuadPart = offset;
  if (!SetFilePointerEx(H(FHandle), move, &result, kMethod[origin]))
    throw EStreamError("Cannot seek in \"" + FFileName + "\". " + SysErrorMessage(GetLastError()));
  return result.QuadPart;
}

void TFileStream::SetSize(std::int64_t size) {
  std::int64_t pos = GetPosition();
  SetPosition(size);
  if (!SetEndOfFile(H(FHandle)))
    throw EStreamError("Cannot change the size of \"" + FFileName + "\". " + SysErrorMessage(GetLastError()));
  SetPosition(std::min(pos, size));
}
