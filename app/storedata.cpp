#include "app/storedata.h"

namespace {
const char kDefaultPassword[] = "Marigold";
}

HX_PUBLISH(TDskRegistry, p) {
  p.Property("Rootkey", &TDskRegistry::Rootkey, &TDskRegistry::Rootkey).Default(hkeyCurrentUser);
  p.Property("Path", &TDskRegistry::GetPath, &TDskRegistry::SetPath);
}

HX_PUBLISH(TDskIniFile, p) { p.Property("IniFilename", &TDskIniFile::IniFilename, &TDskIniFile::IniFilename); }

HX_PUBLISH(TDskDataStore, p) {
  p.Event("OnError", &TDskDataStore::OnError);
  p.Property("Enabled", &TDskDataStore::Enabled, &TDskDataStore::Enabled).Default(true);
  p.Property("Section", &TDskDataStore::Section, &TDskDataStore::Section);
  p.Property("Password", &TDskDataStore::GetPassword, &TDskDataStore::SetPassword);
  p.Property("Datatype", &TDskDataStore::Datatype, &TDskDataStore::Datatype).Default(sRegistry);
  p.Property("Registry", &TDskDataStore::Registry);
  p.Property("Inifile", &TDskDataStore::Inifile);
}

HX_PUBLISH(TDskStoreData, p) {
  p.Event("OnError", &TDskStoreData::OnError);
  p.Property("DataStore", &TDskStoreData::DataStore);
}

void TDskRegistry::SetPath(const String& Value) {
  FPath = Value;
  if (FPath.empty()) return;
  for (char& c : FPath)
    if (c == '/') c = '\\';
  if (FPath[0] != '\\') FPath.insert(FPath.begin(), '\\');
}

TDskDataStore::TDskDataStore()
    : FPassword(kDefaultPassword), FRegistry(new TDskRegistry), FInifile(new TDskIniFile) {}

TDskDataStore::~TDskDataStore() {
  delete FInifile;
  delete FRegistry;
}

void TDskDataStore::SetPassword(const String& Value) { FPassword = Value.empty() ? String(kDefaultPassword) : Value; }

TDskStoreData::TDskStoreData(TComponent* AOwner) : TDskSystemsComponent(AOwner), FDataStore(new TDskDataStore) {}

TDskStoreData::~TDskStoreData() { delete FDataStore; }

bool TDskStoreData::Usable() {
  if (!FDataStore->Enabled) return false;
  if (FDataStore->Section.empty()) {
    Error();
    return false;
  }
  return true;
}

void TDskStoreData::Error() {
  if (OnError) OnError(this);
}
