// File routines over the W API.
#include <vector>

#include "classlib/core/files.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

#include <shellapi.h>  // CommandLineToArgvW

namespace {

std::wstring W(std::string_view s) { return Utf8ToWide(std::string(s)); }

TDateTime LocalDateTime(const FILETIME& utc) {
  SYSTEMTIME u, l;
  if (!FileTimeToSystemTime(&utc, &u) || !SystemTimeToTzSpecificLocalTime(nullptr, &u, &l)) return 0;
  return SystemTimeToDateTime({l.wYear, l.wMonth, l.wDayOfWeek, l.wDay, l.wHour, l.wMinute, l.wSecond, l.wMilliseconds});
}

// Calls fill(buffer, size) until the text fits; fill returns the length it needs or wrote.
template <class Fill>
String ReadSystemText(Fill fill) {
  std::vector<wchar_t> buf(MAX_PATH + 1);
  while (true) {
    DWORD n = fill(buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return String();
    if (n < buf.size()) return WideToUtf8(std::wstring(buf.data(), n));
    buf.resize(n + 1);
  }
}

}  // namespace

String ExpandFileName(std::string_view fileName) {
  if (fileName.empty()) return String();
  std::wstring name = W(fileName);
  return ReadSystemText([&](wchar_t* b, DWORD n) { return GetFullPathNameW(name.c_str(), n, b, nullptr); });
}

bool FileExists(std::string_view fileName) {
  DWORD a = GetFileAttributesW(W(fileName).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(std::string_view dir) {
  DWORD a = GetFileAttributesW(W(dir).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDir(std::string_view dir) { return CreateDirectoryW(W(dir).c_str(), nullptr); }
bool RemoveDir(std::string_view dir) { return RemoveDirectoryW(W(dir).c_str()); }
bool DeleteFile(std::string_view fileName) { return DeleteFileW(W(fileName).c_str()); }
bool RenameFile(std::string_view oldName, std::string_view newName) {
  return MoveFileW(W(oldName).c_str(), W(newName).c_str());  // never over an existing file
}

bool FileAge(std::string_view fileName, TDateTime& age) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(W(fileName).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  age = LocalDateTime(data.ftLastWriteTime);
  return true;
}

int FileGetAttr(std::string_view fileName) {
  DWORD a = GetFileAttributesW(W(fileName).c_str());
  return a == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<int>(a);
}

int FileSetAttr(std::string_view fileName, int attr) {
  return SetFileAttributesW(W(fileName).c_str(), static_cast<DWORD>(attr)) ? 0 : static_cast<int>(GetLastError());
}

bool SetCurrentDir(std::string_view dir) { return SetCurrentDirectoryW(W(dir).c_str()); }

String GetCurrentDir() {
  return ReadSystemText([](wchar_t* b, DWORD n) { return GetCurrentDirectoryW(n, b); });
}

String GetTempDir() {
  return ReadSystemText([](wchar_t* b, DWORD n) { return GetTempPathW(n, b); });
}

String GetEnvironmentVariable(std::string_view name) {
  std::wstring n = W(name);
  return ReadSystemText([&](wchar_t* b, DWORD size) { return GetEnvironmentVariableW(n.c_str(), b, size); });
}

// ---- Searching ----

struct classlib::detail::TFindState {
  HANDLE Handle = INVALID_HANDLE_VALUE;
  ~TFindState() {
    if (Handle != INVALID_HANDLE_VALUE) ::FindClose(Handle);
  }
};

namespace {

// Skips to the next entry that the search's attributes admit; fills `rec` from it.
int NextMatch(TSearchRec& rec, WIN32_FIND_DATAW& data, bool haveData) {
  while (true) {
    if (!haveData && !FindNextFileW(rec.FindHandle->Handle, &data)) return static_cast<int>(GetLastError());
    haveData = false;
    if (static_cast<int>(data.dwFileAttributes) & rec.ExcludeAttr) continue;
    rec.Name = WideToUtf8(data.cFileName);
    rec.Attr = static_cast<int>(data.dwFileAttributes);
    rec.Size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    rec.Time = LocalDateTime(data.ftLastWriteTime);
    return 0;
  }
}

}  // namespace

int FindFirst(std::string_view path, int attr, TSearchRec& rec) {
  FindClose(rec);
  rec.ExcludeAttr = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(W(path).c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  rec.FindHandle = std::make_shared<classlib::detail::TFindState>();
  rec.FindHandle->Handle = h;
  int result = NextMatch(rec, data, true);
  if (result) FindClose(rec);
  return result;
}

int FindNext(TSearchRec& rec) {
  if (!rec.FindHandle) return ERROR_NO_MORE_FILES;
  WIN32_FIND_DATAW data;
  return NextMatch(rec, data, false);
}

void FindClose(TSearchRec& rec) { rec.FindHandle.reset(); }

// ---- The running program ----

String ParamStr(int index) {
  if (index == 0) {
    return ReadSystemText([](wchar_t* b, DWORD n) {
      DWORD got = GetModuleFileNameW(nullptr, b, n);
      return got == n ? n + MAX_PATH : got;  // a full buffer means the path was cut short
    });
  }
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  String s = args && index > 0 && index < count ? WideToUtf8(args[index]) : String();
  if (args) LocalFree(args);
  return s;
}

int ParamCount() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args) LocalFree(args);
  return count > 0 ? count - 1 : 0;
}

String ExeFolder() { return ExtractFilePath(ParamStr(0)); }
