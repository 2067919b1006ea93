#include "classlib/core/registry.h"
#include "classlib/core/stringlist.h"

#include <cstring>

#include "classlib/core/finally.h"
#include "classlib/core/text.h"
#include "classlib/core/typinfo.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

HX_PUBLISH(TRegistry, p) {}
HX_PUBLISH(TRegIniFile, p) {}

namespace {

std::wstring W(const String& s) { return Utf8ToWide(s); }

bool IsRelative(const String& key) { return key.empty() || key[0] != '\\'; }

[[noreturn]] void InvalidType(const String& name) {
  throw ERegistryException("Invalid data type for '" + name + "'");
}
[[noreturn]] void NoData(const String& name) { throw ERegistryException("Failed to get data for '" + name + "'"); }

TRegDataType DataType(DWORD type) {
  switch (type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}

// UTF-16 string data up to its first NUL (stored strings may lack one, or carry several).
String StringData(const std::vector<std::uint8_t>& data) {
  std::wstring w(data.size() / 2, L'\0');
  if (!w.empty()) std::memcpy(w.data(), data.data(), w.size() * 2);
  size_t end = w.find(L'\0');
  if (end != std::wstring::npos) w.resize(end);
  return WideToUtf8(w);
}

}  // namespace

// ---- TRegistry ----

TRegistry::TRegistry() : TRegistry(KEY_ALL_ACCESS) {}

TRegistry::TRegistry(std::uint32_t access) : FRootKey(HKEY_CURRENT_USER), FAccess(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY root) {
  if (root == FRootKey) return;
  CloseKey();
  FRootKey = root;
}

HKEY TRegistry::BaseKey(bool relative) const { return FCurrentKey && relative ? FCurrentKey : FRootKey; }

HKEY TRegistry::OpenSubKey(const String& key, bool create, std::uint32_t access) {
  bool relative = IsRelative(key);
  std::wstring path = W(relative ? key : key.substr(1));
  HKEY result = nullptr;
  LONG rc = !create || path.empty()
                ? RegOpenKeyExW(BaseKey(relative), path.c_str(), 0, access, &result)
                : RegCreateKeyExW(BaseKey(relative), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                  nullptr, &result, nullptr);
  return rc == ERROR_SUCCESS ? result : nullptr;
}

void TRegistry::ChangeKey(HKEY key, const String& path) {
  CloseKey();
  FCurrentKey = key;
  FCurrentPath = path;
}

bool TRegistry::OpenKey(const String& key, bool canCreate) { return OpenKeyWith(key, canCreate, FAccess); }

bool TRegistry::OpenKeyReadOnly(const String& key) { return OpenKeyWith(key, false, KEY_READ); }

bool TRegistry::OpenKeyWith(const String& key, bool canCreate, std::uint32_t access) {
  HKEY k = OpenSubKey(key, canCreate, access);
  if (!k) return false;
  bool relative = IsRelative(key);
  String path = relative ? key : key.substr(1);
  if (FCurrentKey && relative && !FCurrentPath.empty()) path = path.empty() ? FCurrentPath : FCurrentPath + "\\" + path;
  ChangeKey(k, path);
  return true;
}

void TRegistry::CloseKey() {
  if (!FCurrentKey) return;
  if (!FLazyWrite) RegFlushKey(FCurrentKey);
  RegCloseKey(FCurrentKey);
  FCurrentKey = nullptr;
  FCurrentPath.clear();
}

bool TRegistry::CreateKey(const String& key) {
  HKEY k = OpenSubKey(key, true, FAccess);
  if (!k) throw ERegistryException("Failed to create key " + key);
  RegCloseKey(k);
  return true;
}

bool TRegistry::DeleteKey(const String& key) {
  bool relative = IsRelative(key);
  String path = relative ? key : key.substr(1);
  if (path.empty()) return false;  // never the whole root
  return RegDeleteTreeW(BaseKey(relative), W(path).c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const String& key) {
  HKEY k = OpenSubKey(key, false, KEY_READ);
  if (k) RegCloseKey(k);
  return k != nullptr;
}

bool TRegistry::HasSubKeys() {
  DWORD count = 0;
  return FCurrentKey &&
         RegQueryInfoKeyW(FCurrentKey, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr) == ERROR_SUCCESS &&
         count > 0;
}

void TRegistry::GetKeyNames(std::vector<String>& names) {
  names.clear();
  DWORD maxLen = 0;
  if (!FCurrentKey || RegQueryInfoKeyW(FCurrentKey, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr,
                                       nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return;
  std::vector<wchar_t> buf(maxLen + 1);
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(buf.size());
    if (RegEnumKeyExW(FCurrentKey, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(WideToUtf8(std::wstring(buf.data(), len)));
  }
}

void TRegistry::GetKeyNames(TStrings* names) {
  std::vector<String> v;
  GetKeyNames(v);
  AssignStrings(names, v);
}

void TRegistry::GetValueNames(TStrings* names) {
  std::vector<String> v;
  GetValueNames(v);
  AssignStrings(names, v);
}

void TRegistry::GetValueNames(std::vector<String>& names) {
  names.clear();
  DWORD maxLen = 0;
  if (!FCurrentKey || RegQueryInfoKeyW(FCurrentKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       &maxLen, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return;
  std::vector<wchar_t> buf(maxLen + 1);
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(buf.size());
    if (RegEnumValueW(FCurrentKey, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(WideToUtf8(std::wstring(buf.data(), len)));
  }
}

bool TRegistry::GetData(const String& name, std::vector<std::uint8_t>& data, std::uint32_t& type) {
  if (!FCurrentKey) return false;
  std::wstring n = W(name);
  while (true) {
    DWORD t = 0, size = 0;
    if (RegQueryValueExW(FCurrentKey, n.c_str(), nullptr, &t, nullptr, &size) != ERROR_SUCCESS) return false;
    data.resize(size);
    LONG rc = RegQueryValueExW(FCurrentKey, n.c_str(), nullptr, &t, data.data(), &size);
    if (rc == ERROR_MORE_DATA) continue;  // it grew in between
    if (rc != ERROR_SUCCESS) return false;
    data.resize(size);
    type = t;
    return true;
  }
}

bool TRegistry::GetDataInfo(const String& name, TRegDataInfo& info) {
  DWORD type = 0, size = 0;
  if (!FCurrentKey || RegQueryValueExW(FCurrentKey, W(name).c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  info.RegData = DataType(type);
  info.DataSize = static_cast<int>(size);
  return true;
}

bool TRegistry::ValueExists(const String& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info);
}

TRegDataType TRegistry::GetDataType(const String& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.RegData : rdUnknown;
}

int TRegistry::GetDataSize(const String& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.DataSize : -1;
}

bool TRegistry::DeleteValue(const String& name) {
  return FCurrentKey && RegDeleteValueW(FCurrentKey, W(name).c_str()) == ERROR_SUCCESS;
}

bool TRegistry::TryReadString(const String& name, String& value) {
  std::vector<std::uint8_t> data;
  std::uint32_t type;
  if (!GetData(name, data, type) || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  value = StringData(data);
  return true;
}

bool TRegistry::TryReadInteger(const String& name, int& value) {
  std::vector<std::uint8_t> data;
  std::uint32_t type;
  if (!GetData(name, data, type) || type != REG_DWORD || data.size() != 4) return false;
  std::memcpy(&value, data.data(), 4);
  return true;
}

String TRegistry::ReadString(const String& name) {
  String value;
  if (TryReadString(name, value)) return value;
  if (ValueExists(name)) InvalidType(name);
  return String();
}

int TRegistry::ReadInteger(const String& name) {
  int value;
  if (TryReadInteger(name, value)) return value;
  if (ValueExists(name)) InvalidType(name);
  NoData(name);
}

bool TRegistry::ReadBool(const String& name) { return ReadInteger(name) != 0; }

double TRegistry::ReadFloat(const String& name) {
  std::vector<std::uint8_t> data;
  std::uint32_t type;
  if (!GetData(name, data, type)) NoData(name);
  if (type != REG_BINARY || data.size() != sizeof(double)) InvalidType(name);
  double value;
  std::memcpy(&value, data.data(), sizeof value);
  return value;
}

TDateTime TRegistry::ReadDateTime(const String& name) { return ReadFloat(name); }

int TRegistry::ReadBinaryData(const String& name, void* buffer, int bufSize) {
  std::vector<std::uint8_t> data;
  std::uint32_t type;
  if (!GetData(name, data, type)) return 0;
  TRegDataType kind = DataType(type);
  if ((kind != rdBinary && kind != rdUnknown) || static_cast<int>(data.size()) > bufSize) InvalidType(name);
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  return static_cast<int>(data.size());
}

void TRegistry::PutData(const String& name, const void* data, std::uint32_t size, std::uint32_t type) {
  if (!FCurrentKey || RegSetValueExW(FCurrentKey, W(name).c_str(), 0, type, static_cast<const BYTE*>(data), size) !=
                          ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for '" + name + "'");
}

void TRegistry::WriteString(const String& name, const String& value) {
  std::wstring w = W(value);
  PutData(name, w.c_str(), static_cast<std::uint32_t>((w.size() + 1) * sizeof(wchar_t)), REG_SZ);
}

void TRegistry::WriteExpandString(const String& name, const String& value) {
  std::wstring w = W(value);
  PutData(name, w.c_str(), static_cast<std::uint32_t>((w.size() + 1) * sizeof(wchar_t)), REG_EXPAND_SZ);
}

void TRegistry::WriteInteger(const String& name, int value) {
  DWORD v = static_cast<DWORD>(value);
  PutData(name, &v, sizeof v, REG_DWORD);
}

void TRegistry::WriteBool(const String& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::WriteFloat(const String& name, double value) { PutData(name, &value, sizeof value, REG_BINARY); }

void TRegistry::WriteDateTime(const String& name, TDateTime value) { WriteFloat(name, value); }

void TRegistry::WriteBinaryData(const String& name, const void* buffer, int bufSize) {
  if (bufSize < 0) throw ERegistryException("Failed to set data for '" + name + "'");
  PutData(name, buffer, static_cast<std::uint32_t>(bufSize), REG_BINARY);
}

// ---- TRegIniFile ----

TRegIniFile::TRegIniFile(const String& fileName) : TRegIniFile(fileName, KEY_ALL_ACCESS) {}

TRegIniFile::TRegIniFile(const String& fileName, std::uint32_t access) : TRegistry(access), FFileName(fileName) {
  OpenKey(fileName, (access & KEY_CREATE_SUB_KEY) == KEY_CREATE_SUB_KEY);
}

template <class Work>
bool TRegIniFile::InSection(const String& section, bool create, Work work) {
  if (!GetCurrentKey()) return false;  // the file's key is not there
  if (section.empty()) {
    work();
    return true;
  }
  HKEY key = OpenSubKey(section, create, GetAccess());
  if (!key) return false;
  HKEY old = GetCurrentKey();
  SetCurrentKey(key);
  TFinally restore([this, old, key] {
    SetCurrentKey(old);
    RegCloseKey(key);
  });
  work();
  return true;
}

String TRegIniFile::ReadString(const String& section, const String& ident, const String& def) {
  String result = def;
  InSection(section, false, [&] {
    String value;
    if (TryReadString(ident, value)) result = value;
  });
  return result;
}

int TRegIniFile::ReadInteger(const String& section, const String& ident, int def) {
  int result = def;
  InSection(section, false, [&] {
    String text;
    int value;
    if (TryReadString(ident, text)) result = StrToIntDef(text, def);
    else if (TryReadInteger(ident, value)) result = value;
  });
  return result;
}

bool TRegIniFile::ReadBool(const String& section, const String& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TRegIniFile::WriteString(const String& section, const String& ident, const String& value) {
  if (!InSection(section, true, [&] { TRegistry::WriteString(ident, value); }))
    throw ERegistryException("Failed to set data for '" + ident + "'");
}

void TRegIniFile::WriteInteger(const String& section, const String& ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

void TRegIniFile::WriteBool(const String& section, const String& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

void TRegIniFile::ReadSection(const String& section, std::vector<String>& idents) {
  idents.clear();
  InSection(section, false, [&] { GetValueNames(idents); });
}

void TRegIniFile::ReadSections(std::vector<String>& sections) { GetKeyNames(sections); }

void TRegIniFile::ReadSection(const String& section, TStrings* idents) {
  std::vector<String> v;
  ReadSection(section, v);
  AssignStrings(idents, v);
}

void TRegIniFile::ReadSections(TStrings* sections) { GetKeyNames(sections); }

void TRegIniFile::EraseSection(const String& section) {
  if (!GetCurrentKey() || section.empty() || !KeyExists(section)) return;
  if (!TRegistry::DeleteKey(section)) throw ERegistryException("Failed to delete key " + section);
}

void TRegIniFile::DeleteKey(const String& section, const String& ident) {
  InSection(section, false, [&] { DeleteValue(ident); });
}
