#pragma once
// File and path routines. Paths have the Windows form: '\' and '/' both separate folders
// and "C:" or "\\server\share" start a path. Under Windows the file routines call the W
// API; in the native build they call POSIX, taking '\' for '/' (see files_posix.cpp for
// how Windows attributes map there).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "classlib/core/datetime.h"

using String = std::string;  // UTF-8

// The separator the routines add: '\' under Windows, '/' in the native build.
#ifdef _WIN32
constexpr char PathDelim = '\\';
#else
constexpr char PathDelim = '/';
#endif

// ---- Names (text only, no file system) ----

String ExtractFilePath(std::string_view fileName);  // up to and with the last separator
String ExtractFileDir(std::string_view fileName);   // the same without it, except at a root
String ExtractFileName(std::string_view fileName);
String ExtractFileExt(std::string_view fileName);   // ".ext", or "" when the name has none
String ExtractFileDrive(std::string_view fileName); // "C:" or "\\server\share", or ""
String ChangeFileExt(std::string_view fileName, std::string_view extension);
String IncludeTrailingPathDelimiter(std::string_view path);
String ExcludeTrailingPathDelimiter(std::string_view path);
// The absolute form of a name, from the current folder, with "." and ".." resolved.
String ExpandFileName(std::string_view fileName);

// ---- Files and folders ----

// Attributes as Windows keeps them.
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faVolumeID = 0x08;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faAnyFile = 0x3F;

bool FileExists(std::string_view fileName);  // a file, not a folder
bool DirectoryExists(std::string_view dir);
bool CreateDir(std::string_view dir);
// Creates a folder with every missing parent; true when it exists afterwards.
bool ForceDirectories(std::string_view dir);
bool RemoveDir(std::string_view dir);  // an empty folder
bool DeleteFile(std::string_view fileName);
bool RenameFile(std::string_view oldName, std::string_view newName);
// The local time of a file's last change; false when there is no such file.
bool FileAge(std::string_view fileName, TDateTime& age);
// The attributes, or -1 when the name does not exist.
int FileGetAttr(std::string_view fileName);
// 0, or the system's error code.
int FileSetAttr(std::string_view fileName, int attr);
String GetCurrentDir();
// Makes dir the current folder; false when it cannot be.
bool SetCurrentDir(std::string_view dir);
// The folder for temporary files, with a trailing separator.
String GetTempDir();
// The value of an environment variable; "" when it is not set.
String GetEnvironmentVariable(std::string_view name);

// ---- Searching a folder ----

namespace classlib::detail {
struct TFindState;
}

struct TSearchRec {
  TDateTime Time = 0;  // local time of the last change
  std::int64_t Size = 0;
  int Attr = 0;
  String Name;
  int ExcludeAttr = 0;
  std::shared_ptr<classlib::detail::TFindState> FindHandle;  // closed with the last copy
};

// Finds the entries of a folder that match a wildcard path ("C:\Ring\*.wav") and the
// attributes asked for. Windows rules: an entry always matches unless it carries one of
// faHidden, faSysFile, faVolumeID, faDirectory that `attr` does not ask for. Returns 0 on
// success or the system's error code (2 no match, 3 no such folder, 18 no more entries).
int FindFirst(std::string_view path, int attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

#ifdef _WIN32
// ---- The running program (Windows only) ----

// 0: the executable's full path; 1..ParamCount(): the command-line arguments.
String ParamStr(int index);
int ParamCount();
// The executable's folder, ending with a backslash.
String ExeFolder();
#endif
