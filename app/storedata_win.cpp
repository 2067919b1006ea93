#include "app/storedata.h"
#include "classlib/core/inifiles.h"
#include "classlib/core/registry.h"
#include "classlib/core/text.h"
#include "classlib/core/winapi.h"

#ifndef HKEY_DYN_DATA
#define HKEY_DYN_DATA reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000006))
#endif

namespace {

HKEY RootKeyHandle(TDskRootKey Root) {
  switch (Root) {
    case hkeyClassesRoot: return HKEY_CLASSES_ROOT;
    case hkeyLocalMachine: return HKEY_LOCAL_MACHINE;
    case hkeyUsers: return HKEY_USERS;
    case hkeyCurrentConfig: return HKEY_CURRENT_CONFIG;
    case hkeyDynData: return HKEY_DYN_DATA;
    case hkeyCurrentUser:
    default: return HKEY_CURRENT_USER;
  }
}

// The section's key: opened for reading (false when it is not there), or created for
// writing.
bool OpenSection(TRegistry& Registry, TDskDataStore* Store, bool Write) {
  Registry.SetRootKey(RootKeyHandle(Store->Registry()->Rootkey));
  String key = Store->Registry()->GetPath() + "\\" + Store->Section;
  if (!Write) return Registry.OpenKeyReadOnly(key);
  if (!Registry.OpenKey(key, true)) throw ERegistryException("Failed to create key " + key);
  return true;
}

}  // namespace

String TDskStoreData::StoreReadString(const String& Ident, const String& Default) {
  String result = Default;
  if (!Usable()) return result;
  if (FDataStore->Datatype == sRegistry) {
    if (FDataStore->Registry()->GetPath().empty()) return result;
    TRegistry registry(KEY_READ);
    if (OpenSection(registry, FDataStore, false)) registry.TryReadString(Ident, result);
  } else {
    if (FDataStore->Inifile()->IniFilename.empty()) return result;
    result = TIniFile(FDataStore->Inifile()->IniFilename).ReadString(FDataStore->Section, Ident, Default);
  }
  if (result == Default) Error();
  return result;
}

void TDskStoreData::StoreWriteString(const String& Ident, const String& Value) {
  if (!Usable()) return;
  if (FDataStore->Datatype == sRegistry) {
    if (FDataStore->Registry()->GetPath().empty()) return;
    TRegistry registry(KEY_READ | KEY_WRITE);
    OpenSection(registry, FDataStore, true);
    registry.WriteString(Ident, Value);
  } else {
    if (FDataStore->Inifile()->IniFilename.empty()) return;
    TIniFile(FDataStore->Inifile()->IniFilename).WriteString(FDataStore->Section, Ident, Value);
  }
}

int TDskStoreData::StoreReadInteger(const String& Ident, int Default) {
  int result = Default;
  if (!Usable()) return result;
  if (FDataStore->Datatype == sRegistry) {
    if (FDataStore->Registry()->GetPath().empty()) return result;
    TRegistry registry(KEY_READ);
    String text;
    if (OpenSection(registry, FDataStore, false) && registry.TryReadString(Ident, text))
      result = StrToIntDef(text, Default);
  } else {
    if (FDataStore->Inifile()->IniFilename.empty()) return result;
    result = TIniFile(FDataStore->Inifile()->IniFilename).ReadInteger(FDataStore->Section, Ident, Default);
  }
  if (result == Default) Error();
  return result;
}

void TDskStoreData::StoreWriteInteger(const String& Ident, int Value) { StoreWriteString(Ident, IntToStr(Value)); }
