#pragma once
// TDskStoreData: the clock's settings store. Named integer and string values in one
// registry key (or, by choice, one section of an ini file); every read and write opens the
// store, does its one access and closes it again.
//
// In the registry the values live in the subkey DataStore.Section of DataStore.Registry.Path
// under DataStore.Registry.Rootkey, each a string value (REG_SZ) named by its ident;
// integers are decimal text. A read opens keys under the chosen root only and creates
// nothing; a write creates the keys it needs. A value that is absent, of another type, or
// (for an integer) no valid number reads as the default.
//
// OnError fires when DataStore.Section is empty (and nothing happens), and after every read
// that gives its default, also when the stored value just equals it. The store raises
// nothing of its own; errors of the registry and ini classes pass through.
#include "classlib/core/persistent.h"
#include "desktop/dsksystems.h"

HX_ENUM(TDskDatatype, sRegistry, sIniFile);
// In the order of the Windows roots HKEY_CLASSES_ROOT … HKEY_DYN_DATA.
HX_ENUM(TDskRootKey, hkeyClassesRoot, hkeyCurrentUser, hkeyLocalMachine, hkeyUsers, hkeyCurrentConfig, hkeyDynData);

class TDskRegistry : public TPersistent {
  HX_CLASS(TDskRegistry, TPersistent)
 public:
  TDskRootKey Rootkey = hkeyCurrentUser;
  const String& GetPath() const { return FPath; }
  // Slashes become backslashes and one backslash goes in front; empty stays empty.
  void SetPath(const String& Value);

 private:
  String FPath = "\\Software\\Company\\Product";
};

class TDskIniFile : public TPersistent {
  HX_CLASS(TDskIniFile, TPersistent)
 public:
  // A name without a folder is a file of the Windows folder, as the system has it.
  String IniFilename = "MyFile.ini";
};

class TDskDataStore : public TPersistent {
  HX_CLASS(TDskDataStore, TPersistent)
 public:
  TDskDataStore();
  ~TDskDataStore() override;

  // Off: every read gives its default and every write does nothing.
  bool Enabled = true;
  String Section = "MySection";
  TDskDatatype Datatype = sRegistry;
  const String& GetPassword() const { return FPassword; }
  // Kept, never used; an empty one puts the default back.
  void SetPassword(const String& Value);
  TDskRegistry* Registry() const { return FRegistry; }
  TDskIniFile* Inifile() const { return FInifile; }

  // Streamed with the form; nothing fires it (the store's own OnError is the one).
  TNotifyEvent OnError;

 private:
  String FPassword;
  TDskRegistry* FRegistry;
  TDskIniFile* FInifile;
};

class TDskStoreData : public TDskSystemsComponent {
  HX_CLASS(TDskStoreData, TDskSystemsComponent)
 public:
  explicit TDskStoreData(TComponent* AOwner);
  ~TDskStoreData() override;

  TDskDataStore* DataStore() const { return FDataStore; }

#ifdef _WIN32
  String StoreReadString(const String& Ident, const String& Default);
  void StoreWriteString(const String& Ident, const String& Value);
  int StoreReadInteger(const String& Ident, int Default);
  void StoreWriteInteger(const String& Ident, int Value);
#endif

  TNotifyEvent OnError;

 private:
  // Whether the store may be used; an empty section fires OnError.
  bool Usable();
  void Error();

  TDskDataStore* FDataStore;
};
