// The file-name routines: text only, the same in both builds.
#include "classlib/core/files.h"

namespace {

bool IsDelimiter(char c) { return c == '\\' || c == '/'; }

// The index of the last folder separator or drive colon, or npos.
size_t LastDelimiter(std::string_view name) { return name.find_last_of("\\/:"); }

// The index of the extension's dot, or npos.
size_t ExtensionDot(std::string_view name) {
  size_t i = name.find_last_of(".\\/:");
  return i != std::string_view::npos && name[i] == '.' ? i : std::string_view::npos;
}

}  // namespace

String ExtractFilePath(std::string_view fileName) {
  size_t i = LastDelimiter(fileName);
  return String(i == std::string_view::npos ? std::string_view() : fileName.substr(0, i + 1));
}

String ExtractFileDir(std::string_view fileName) {
  size_t i = LastDelimiter(fileName);
  if (i == std::string_view::npos) return String();
  // "C:\dir\x" gives "C:\dir", but "C:\x" and "\x" keep the root's separator.
  if (i > 0 && IsDelimiter(fileName[i]) && !IsDelimiter(fileName[i - 1]) && fileName[i - 1] != ':')
    return String(fileName.substr(0, i));
  return String(fileName.substr(0, i + 1));
}

String ExtractFileName(std::string_view fileName) {
  size_t i = LastDelimiter(fileName);
  return String(i == std::string_view::npos ? fileName : fileName.substr(i + 1));
}

String ExtractFileExt(std::string_view fileName) {
  size_t i = ExtensionDot(fileName);
  return String(i == std::string_view::npos ? std::string_view() : fileName.substr(i));
}

String ExtractFileDrive(std::string_view fileName) {
  if (fileName.size() >= 2 && fileName[1] == ':') return String(fileName.substr(0, 2));
  if (fileName.size() >= 2 && IsDelimiter(fileName[0]) && IsDelimiter(fileName[1])) {
    // \\server\share: up to the separator after the share's name.
    size_t server = fileName.find_first_of("\\/", 2);
    if (server == std::string_view::npos) return String(fileName);
    size_t share = fileName.find_first_of("\\/", server + 1);
    return String(fileName.substr(0, share));
  }
  return String();
}

String ChangeFileExt(std::string_view fileName, std::string_view extension) {
  size_t i = ExtensionDot(fileName);
  return String(i == std::string_view::npos ? fileName : fileName.substr(0, i)) + String(extension);
}

String IncludeTrailingPathDelimiter(std::string_view path) {
  String s(path);
  if (s.empty() || !IsDelimiter(s.back())) s.push_back(PathDelim);
  return s;
}

String ExcludeTrailingPathDelimiter(std::string_view path) {
  String s(path);
  if (!s.empty() && IsDelimiter(s.back())) s.pop_back();
  return s;
}

bool ForceDirectories(std::string_view dir) {
  if (dir.empty()) return false;
  String d = ExcludeTrailingPathDelimiter(dir);
  if (d.empty()) return DirectoryExists(dir);  // the root
  if (DirectoryExists(d)) return true;
  String parent = ExtractFileDir(d);
  if (!parent.empty() && parent != d && !ForceDirectories(parent)) return false;
  return CreateDir(d) || DirectoryExists(d);
}
