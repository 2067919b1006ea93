#include "controls/kitfilectrl.h"

#include "classlib/core/datetime.h"
#include "classlib/core/files.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

#include <shellapi.h>

HX_PUBLISH(TKitFileCtrl, p) {
  p.Property("FileName", &TKitFileCtrl::GetFileName, &TKitFileCtrl::SetFileName).Default("");
  p.Property("Attributes", &TKitFileCtrl::GetAttributes, &TKitFileCtrl::SetAttributes).Stored(false);
  p.Property("Options", &TKitFileCtrl::Options, &TKitFileCtrl::Options)
      .Default(TKitFileOpFlags{ffFilesOnly, ffUseRecycleBin});
  p.Property("FileSize", &TKitFileCtrl::FileSize);
  p.Property("FileCreateStamp", &TKitFileCtrl::GetFileCreateStamp, &TKitFileCtrl::SetFileCreateStamp).Stored(false);
  p.Property("FileAccessStamp", &TKitFileCtrl::GetFileAccessStamp, &TKitFileCtrl::SetFileAccessStamp).Stored(false);
  p.Property("FileWriteStamp", &TKitFileCtrl::GetFileWriteStamp, &TKitFileCtrl::SetFileWriteStamp).Stored(false);
  p.Property("FileType", &TKitFileCtrl::FileType);
}

namespace {

struct TAttributeBit {
  TKitFileAttribute Attribute;
  DWORD Bit;
};
const TAttributeBit kAttributeBits[] = {
    {fcaArchive, FILE_ATTRIBUTE_ARCHIVE},     {fcaDirectory, FILE_ATTRIBUTE_DIRECTORY},
    {fcaHidden, FILE_ATTRIBUTE_HIDDEN},       {fcaNormal, FILE_ATTRIBUTE_NORMAL},
    {fcaOffline, FILE_ATTRIBUTE_OFFLINE},     {fcaReadonly, FILE_ATTRIBUTE_READONLY},
    {fcaSystem, FILE_ATTRIBUTE_SYSTEM},       {fcaTemporary, FILE_ATTRIBUTE_TEMPORARY},
    {fcaCompressed, FILE_ATTRIBUTE_COMPRESSED}};

// What SetFileAttributesW may be given: the system keeps the others itself.
const TKitFileAttributes kWritable = TKitFileAttributes{fcaArchive, fcaHidden, fcaNormal, fcaOffline, fcaReadonly,
                                                        fcaSystem, fcaTemporary};

TKitFileAttributes FromBits(DWORD bits) {
  TKitFileAttributes set;
  for (const auto& a : kAttributeBits)
    if (bits & a.Bit) set.Include(a.Attribute);
  return set;
}

DWORD ToBits(TKitFileAttributes set) {
  DWORD bits = 0;
  for (const auto& a : kAttributeBits)
    if (set.Contains(a.Attribute)) bits |= a.Bit;
  return bits;
}

bool FileData(const String& name, WIN32_FILE_ATTRIBUTE_DATA& data) {
  return !name.empty() && GetFileAttributesExW(Utf8ToWide(name).c_str(), GetFileExInfoStandard, &data) &&
         !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void TKitFileCtrl::SetFileName(const String& Value) {
  if (FileExists(Value)) FFileName = ExpandFileName(Value);
}

TKitFileAttributes TKitFileCtrl::GetAttributes() const {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return FileData(FFileName, data) ? FromBits(data.dwFileAttributes) : TKitFileAttributes();
}

void TKitFileCtrl::SetAttributes(TKitFileAttributes Value) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!FileData(FFileName, data)) return;
  TKitFileAttributes wanted = Value * kWritable;
  if (wanted == FromBits(data.dwFileAttributes) * kWritable) return;
  DWORD bits = ToBits(wanted - TKitFileAttributes{fcaNormal});
  SetFileAttributesW(Utf8ToWide(FFileName).c_str(), bits ? bits : FILE_ATTRIBUTE_NORMAL);
}

std::int64_t TKitFileCtrl::FileSize() const {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!FileData(FFileName, data)) return 0;
  return static_cast<std::int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

String TKitFileCtrl::Stamp(int Which) const {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!FileData(FFileName, data)) return String();
  const FILETIME& time = Which == 0 ? data.ftCreationTime : Which == 1 ? data.ftLastAccessTime : data.ftLastWriteTime;
  SYSTEMTIME utc, local;
  if (!FileTimeToSystemTime(&time, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return String();
  return DateTimeToStr(SystemTimeToDateTime({local.wYear, local.wMonth, local.wDayOfWeek, local.wDay, local.wHour,
                                             local.wMinute, local.wSecond, local.wMilliseconds}));
}

void TKitFileCtrl::SetStamp(int Which, const String& Value) {
  TSystemTime t = DateTimeToSystemTime(StrToDateTime(Value));
  SYSTEMTIME local{t.Year, t.Month, t.DayOfWeek, t.Day, t.Hour, t.Minute, t.Second, t.Milliseconds};
  SYSTEMTIME utc;
  FILETIME time;
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &time)) return;
  HANDLE file = CreateFileW(Utf8ToWide(FFileName).c_str(), FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  SetFileTime(file, Which == 0 ? &time : nullptr, Which == 1 ? &time : nullptr, Which == 2 ? &time : nullptr);
  CloseHandle(file);
}

String TKitFileCtrl::FileType() const {
  if (!FileExists(FFileName)) return String();
  SHFILEINFOW info{};
  if (SHGetFileInfoW(Utf8ToWide(FFileName).c_str(), 0, &info, sizeof info, SHGFI_TYPENAME) && info.szTypeName[0])
    return WideToUtf8(info.szTypeName);
  return KitUnknownFileType(FFileName);
}

bool TKitFileCtrl::FileOperation(const String& Source, const String& Dest, TKitFileOperation Operation) {
  if (Source.empty()) return false;
  static const UINT kFunctions[] = {FO_COPY, FO_RENAME, FO_MOVE, FO_DELETE};
  std::wstring from = KitShellFileList(Source);
  std::wstring to = Operation == foDelete ? std::wstring() : KitShellFileList(Dest);
  SHFILEOPSTRUCTW op{};
  op.wFunc = kFunctions[Operation];
  op.pFrom = from.c_str();
  op.pTo = Operation == foDelete ? nullptr : to.c_str();
  op.fFlags = static_cast<FILEOP_FLAGS>(KitFileOpShellFlags(Options));
  op.lpszProgressTitle = L"";
  return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}

unsigned KitFileOpShellFlags(TKitFileOpFlags Options) {
  static const unsigned kFlags[] = {FOF_FILESONLY,          FOF_NOCONFIRMATION, FOF_NOCONFIRMMKDIR,
                                    FOF_RENAMEONCOLLISION, FOF_NOERRORUI,      FOF_SILENT,
                                    FOF_SIMPLEPROGRESS,    FOF_ALLOWUNDO};
  unsigned flags = 0;
  for (int i = 0; i < 8; ++i)
    if (Options.Contains(static_cast<TKitFileOpFlag>(i))) flags |= kFlags[i];
  if (Options.Contains(ffNoActionConfirm) && Options.Contains(ffShowNoProgress)) flags |= FOF_NOERRORUI;
  return flags;
}

std::wstring KitShellFileList(const String& Names) {
  std::wstring list;
  if (Names.find('\0') == String::npos) {
    list = Utf8ToWide(ExpandFileName(Names));
  } else {
    list = Utf8ToWide(Names);
    while (!list.empty() && list.back() == L'\0') list.pop_back();
  }
  list += L'\0';  // the list's end; c_str() adds the second NUL
  return list;
}

String KitUnknownFileType(const String& FileName) {
  String ext = ExtractFileExt(FileName);
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return ext + "-" + "Files";
}
