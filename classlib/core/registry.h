#pragma once
// The registry classes (Windows only): TRegistry over the W registry API, and TRegIniFile,
// which keeps ini-style sections as subkeys of one key. Callers that name root keys
// (HKEY_CURRENT_USER …) or access masks (KEY_READ …) include classlib/core/winapi.h.
#ifndef _WIN32
#error "registry.h is for the Windows build only"
#endif
#include <cstdint>
#include <string>
#include <vector>

#include "classlib/core/datetime.h"
#include "classlib/core/exceptions.h"
#include "classlib/core/object.h"

class TStrings;

struct HKEY__;
typedef HKEY__* HKEY;  // as windows.h declares it

using String = std::string;  // UTF-8

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  int DataSize = 0;  // bytes
};

// Reads and writes the values of one open key (the current key).
//
// Key paths: a leading "\" counts from the root key, any other path from the current key
// (or from the root when no key is open). Reading a value of another type raises
// ERegistryException "Invalid data type for 'X'"; reading a missing value raises "Failed to
// get data for 'X'", except ReadString (gives "") and ReadBinaryData (gives 0 bytes). The
// TryRead functions raise nothing: false when the value is missing or of another type.
class TRegistry : public TObject {
  HX_CLASS(TRegistry, TObject)
 public:
  TRegistry();  // HKEY_CURRENT_USER, KEY_ALL_ACCESS
  explicit TRegistry(std::uint32_t access);
  ~TRegistry() override;

  HKEY GetRootKey() const { return FRootKey; }
  // Another root closes the current key.
  void SetRootKey(HKEY root);
  HKEY GetCurrentKey() const { return FCurrentKey; }
  // The current key's path from the root, without a leading "\".
  const String& GetCurrentPath() const { return FCurrentPath; }
  // The access keys are opened with.
  std::uint32_t GetAccess() const { return FAccess; }
  void SetAccess(std::uint32_t access) { FAccess = access; }
  // Off: closing a key flushes it to disk first.
  bool GetLazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(bool lazy) { FLazyWrite = lazy; }

  // Makes `key` the current key; with canCreate it is created when missing. False when it
  // cannot be opened (the current key stays as it was).
  bool OpenKey(const String& key, bool canCreate);
  bool OpenKeyReadOnly(const String& key);
  void CloseKey();
  // Creates a key without opening it; raises ERegistryException when that fails.
  bool CreateKey(const String& key);
  // Deletes a key with everything below it.
  bool DeleteKey(const String& key);
  bool KeyExists(const String& key);
  bool HasSubKeys();
  void GetKeyNames(std::vector<String>& names);
  void GetValueNames(std::vector<String>& names);
  // The same into a string list, which is cleared first.
  void GetKeyNames(TStrings* names);
  void GetValueNames(TStrings* names);

  bool ValueExists(const String& name);
  bool DeleteValue(const String& name);
  bool GetDataInfo(const String& name, TRegDataInfo& info);
  TRegDataType GetDataType(const String& name);  // rdUnknown when missing
  int GetDataSize(const String& name);           // -1 when missing

  String ReadString(const String& name);
  int ReadInteger(const String& name);
  bool ReadBool(const String& name);
  double ReadFloat(const String& name);
  TDateTime ReadDateTime(const String& name);
  // Copies the value (binary or of unknown type) into the buffer; returns its size.
  int ReadBinaryData(const String& name, void* buffer, int bufSize);
  bool TryReadString(const String& name, String& value);
  bool TryReadInteger(const String& name, int& value);

  // Raise ERegistryException "Failed to set data for 'X'" when the value cannot be written.
  void WriteString(const String& name, const String& value);
  void WriteExpandString(const String& name, const String& value);
  void WriteInteger(const String& name, int value);
  void WriteBool(const String& name, bool value);
  void WriteFloat(const String& name, double value);
  void WriteDateTime(const String& name, TDateTime value);
  void WriteBinaryData(const String& name, const void* buffer, int bufSize);

 protected:
  // The key a relative path starts from.
  HKEY BaseKey(bool relative) const;
  // Opens `key` (relative to the current key unless it starts with "\"); 0 on failure.
  HKEY OpenSubKey(const String& key, bool create, std::uint32_t access);
  // OpenSubKey, then makes the key current and keeps its path.
  bool OpenKeyWith(const String& key, bool canCreate, std::uint32_t access);
  void ChangeKey(HKEY key, const String& path);
  // Makes `key` current without closing the one before (the caller keeps both).
  void SetCurrentKey(HKEY key) { FCurrentKey = key; }
  void PutData(const String& name, const void* data, std::uint32_t size, std::uint32_t type);
  // The value's bytes and type; false when it is missing.
  bool GetData(const String& name, std::vector<std::uint8_t>& data, std::uint32_t& type);

 private:
  HKEY FRootKey;
  HKEY FCurrentKey = nullptr;
  String FCurrentPath;
  std::uint32_t FAccess;
  bool FLazyWrite = true;
};

// Ini-style storage in the registry: the file name is a key (opened, and created when the
// access allows writing, by the constructor), each section a subkey of it, each entry a
// REG_SZ value holding text. Reading never creates a key; a value of another type than the
// one read reads as absent, that is as the default.
class TRegIniFile : public TRegistry {
  HX_CLASS(TRegIniFile, TRegistry)
 public:
  explicit TRegIniFile(const String& fileName);  // KEY_ALL_ACCESS
  TRegIniFile(const String& fileName, std::uint32_t access);

  const String& GetFileName() const { return FFileName; }

  String ReadString(const String& section, const String& ident, const String& def);
  // Decimal text (REG_SZ) or a REG_DWORD; anything else gives the default.
  int ReadInteger(const String& section, const String& ident, int def);
  bool ReadBool(const String& section, const String& ident, bool def);
  void WriteString(const String& section, const String& ident, const String& value);
  void WriteInteger(const String& section, const String& ident, int value);  // as decimal text
  void WriteBool(const String& section, const String& ident, bool value);    // "1" or "0"

  void ReadSection(const String& section, std::vector<String>& idents);  // the value names
  void ReadSections(std::vector<String>& sections);                     // the subkey names
  void ReadSection(const String& section, TStrings* idents);
  void ReadSections(TStrings* sections);
  void EraseSection(const String& section);
  void DeleteKey(const String& section, const String& ident);
  // The single-value forms of TRegistry stay at hand.
  using TRegistry::DeleteKey;
  using TRegistry::ReadBool;
  using TRegistry::ReadInteger;
  using TRegistry::ReadString;
  using TRegistry::WriteBool;
  using TRegistry::WriteInteger;
  using TRegistry::WriteString;

 private:
  // Runs `work` with the section's key current (the current key itself for ""), then goes
  // back; false when the section is missing and `create` is off.
  template <class Work>
  bool InSection(const String& section, bool create, Work work);

  String FFileName;
};
