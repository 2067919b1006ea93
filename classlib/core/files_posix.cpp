// File routines over POSIX, for the native build. Names take '\' for '/'. Windows
// attributes are derived, not stored:
//   faDirectory  a folder;
//   faReadOnly   the owner may not write it (FileSetAttr clears or restores write permission);
//   faHidden     the name starts with '.' ("." and ".." aside);
//   faArchive    a regular file;
//   faSysFile, faVolumeID  never.
// FileSetAttr changes only faReadOnly; the others follow from the name and the kind.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "classlib/core/files.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"

namespace {

std::string NativePath(std::string_view s) {
  std::string p(s);
  std::replace(p.begin(), p.end(), '\\', '/');
  return p;
}

bool Stat(std::string_view name, struct stat& st) {
  return !name.empty() && ::stat(NativePath(name).c_str(), &st) == 0;
}

TDateTime LocalDateTime(const struct timespec& t) {
  std::tm local{};
  localtime_r(&t.tv_sec, &local);
  return SystemTimeToDateTime({static_cast<std::uint16_t>(local.tm_year + 1900), static_cast<std::uint16_t>(local.tm_mon + 1),
                               static_cast<std::uint16_t>(local.tm_wday), static_cast<std::uint16_t>(local.tm_mday),
                               static_cast<std::uint16_t>(local.tm_hour), static_cast<std::uint16_t>(local.tm_min),
                               static_cast<std::uint16_t>(std::min(local.tm_sec, 59)),
                               static_cast<std::uint16_t>(t.tv_nsec / 1000000)});
}

int Attributes(const std::string& name, const struct stat& st) {
  int a = 0;
  if (S_ISDIR(st.st_mode)) a |= faDirectory;
  else if (S_ISREG(st.st_mode)) a |= faArchive;
  if (!(st.st_mode & S_IWUSR)) a |= faReadOnly;
  if (name.size() > 1 && name[0] == '.' && name != "..") a |= faHidden;
  return a;
}

// Windows wildcards, without regard to case: '*' any run of characters, '?' one character;
// "*.*" matches every name.
bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*") return true;
  auto chars = [](std::string_view s) {
    std::u32string out;
    std::string upper = AnsiUpperCase(s);
    for (size_t i = 0; i < upper.size();) {
      bool valid;
      out.push_back(NextUtf8Char(upper, i, valid));
    }
    return out;
  };
  std::u32string n = chars(name), p = chars(pattern);
  size_t ni = 0, pi = 0, starP = std::u32string::npos, starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == U'?' || p[pi] == n[ni])) {
      ++ni, ++pi;
    } else if (pi < p.size() && p[pi] == U'*') {
      starP = pi++;
      starN = ni;
    } else if (starP != std::u32string::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == U'*') ++pi;
  return pi == p.size();
}

constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kNoMoreFiles = 18;

}  // namespace

String ExpandFileName(std::string_view fileName) {
  if (fileName.empty()) return String();
  std::string path = NativePath(fileName);
  if (path[0] != '/') path = GetCurrentDir() + "/" + path;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const auto& part : parts) out += "/" + part;
  if (out.empty() || path.back() == '/') out += "/";
  return out;
}

bool FileExists(std::string_view fileName) {
  struct stat st;
  return Stat(fileName, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(std::string_view dir) {
  struct stat st;
  return Stat(dir, st) && S_ISDIR(st.st_mode);
}

bool CreateDir(std::string_view dir) { return !dir.empty() && ::mkdir(NativePath(dir).c_str(), 0777) == 0; }
bool RemoveDir(std::string_view dir) { return !dir.empty() && ::rmdir(NativePath(dir).c_str()) == 0; }

bool DeleteFile(std::string_view fileName) {
  return FileExists(fileName) && ::unlink(NativePath(fileName).c_str()) == 0;
}

bool RenameFile(std::string_view oldName, std::string_view newName) {
  // As under Windows, never over an existing name: that would lose a file.
  struct stat st;
  if (Stat(newName, st) || !Stat(oldName, st)) return false;
  return ::rename(NativePath(oldName).c_str(), NativePath(newName).c_str()) == 0;
}

bool FileAge(std::string_view fileName, TDateTime& age) {
  struct stat st;
  if (!Stat(fileName, st) || S_ISDIR(st.st_mode)) return false;
  age = LocalDateTime(st.st_mtim);
  return true;
}

int FileGetAttr(std::string_view fileName) {
  struct stat st;
  return Stat(fileName, st) ? Attributes(ExtractFileName(ExcludeTrailingPathDelimiter(fileName)), st) : -1;
}

int FileSetAttr(std::string_view fileName, int attr) {
  struct stat st;
  if (!Stat(fileName, st)) return kFileNotFound;
  mode_t mode = st.st_mode & 07777;
  mode = (attr & faReadOnly) ? mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
  return ::chmod(NativePath(fileName).c_str(), mode) == 0 ? 0 : errno;
}

bool SetCurrentDir(std::string_view dir) { return !dir.empty() && ::chdir(NativePath(dir).c_str()) == 0; }

String GetCurrentDir() {
  std::vector<char> buf(4096);
  while (!::getcwd(buf.data(), buf.size())) {
    if (errno != ERANGE) return String();
    buf.resize(buf.size() * 2);
  }
  return String(buf.data());
}

String GetTempDir() {
  const char* dir = std::getenv("TMPDIR");
  String s = dir && *dir ? dir : "/tmp";
  return s.back() == '/' ? s : s + "/";
}

String GetEnvironmentVariable(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  return value ? value : String();
}

// ---- Searching ----

struct classlib::detail::TFindState {
  std::vector<TSearchRec> Matches;  // sorted by name
  size_t Next = 0;
};

namespace {

int NextMatch(TSearchRec& rec) {
  auto& state = *rec.FindHandle;
  while (state.Next < state.Matches.size()) {
    const TSearchRec& m = state.Matches[state.Next++];
    if (m.Attr & rec.ExcludeAttr) continue;
    rec.Name = m.Name;
    rec.Attr = m.Attr;
    rec.Size = m.Size;
    rec.Time = m.Time;
    return 0;
  }
  return kNoMoreFiles;
}

}  // namespace

int FindFirst(std::string_view path, int attr, TSearchRec& rec) {
  FindClose(rec);
  rec.ExcludeAttr = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  std::string dir = ExtractFilePath(path), pattern = ExtractFileName(path);
  std::string nativeDir = NativePath(dir.empty() ? "./" : dir);
  DIR* d = ::opendir(nativeDir.c_str());
  if (!d) return kPathNotFound;
  auto state = std::make_shared<classlib::detail::TFindState>();
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    struct stat st;
    if (!MatchesWildcard(name, pattern) || ::stat((nativeDir + name).c_str(), &st) != 0) continue;
    TSearchRec m;
    m.Name = name;
    m.Attr = Attributes(name, st);
    m.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
    m.Time = LocalDateTime(st.st_mtim);
    state->Matches.push_back(std::move(m));
  }
  ::closedir(d);
  if (state->Matches.empty()) return kFileNotFound;
  std::sort(state->Matches.begin(), state->Matches.end(),
            [](const TSearchRec& a, const TSearchRec& b) { return a.Name < b.Name; });
  rec.FindHandle = state;
  int result = NextMatch(rec);
  if (result) FindClose(rec);
  return result;
}

int FindNext(TSearchRec& rec) { return rec.FindHandle ? NextMatch(rec) : kNoMoreFiles; }

void FindClose(TSearchRec& rec) { rec.FindHandle.reset(); }
