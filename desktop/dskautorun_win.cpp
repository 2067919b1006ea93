#include "desktop/dskautorun.h"

#include "classlib/windows/application.h"
#include "classlib/core/registry.h"
#include "classlib/core/winapi.h"

HX_PUBLISH(TAutoRun, p) {
  p.Property("Key", &TAutoRun::GetKey, &TAutoRun::SetKey).Default(RUN);
  p.Property("Active", &TAutoRun::GetActive, &TAutoRun::SetActive).Default(false);
  p.Property("Title", &TAutoRun::GetTitle, &TAutoRun::SetTitle);
}

bool TAutoRunSystem::Write(HKEY Root, const String& Key, const String& Name, const String& Data) {
  TRegistry registry;
  registry.SetRootKey(Root);
  registry.SetLazyWrite(false);
  if (!registry.OpenKey(Key, false)) return false;
  try {
    registry.WriteString(Name, Data);
  } catch (const ERegistryException&) {
    return false;
  }
  return true;
}

void TAutoRunSystem::Delete(HKEY Root, const String& Key, const String& Name) {
  TRegistry registry;
  registry.SetRootKey(Root);
  registry.SetLazyWrite(false);
  if (registry.OpenKey(Key, false)) registry.DeleteValue(Name);
}

TAutoRunSystem& TAutoRunSystem::System() {
  static TAutoRunSystem system;
  return system;
}

TAutoRun::TAutoRun(TComponent* AOwner) : TComponent(AOwner) {}

TAutoRun::~TAutoRun() {
  // A second start of the program, which ends at once, leaves the first one's entry alone.
  TApplication* app = ExistingApplication();
  if (!FActive && !(app && app->DuplicateInstance())) DeleteAll();
}

String TAutoRun::KeyPath(TKeyReg Key) {
  static const char* const kNames[] = {"Run", "RunServices", "RunOnce"};
  return String("Software\\Microsoft\\Windows\\CurrentVersion\\") + kNames[Key];
}

String TAutoRun::CommandLine(const String& ExePath) {
  if (ExePath.find(' ') == String::npos) return ExePath;
  return '"' + ExePath + '"';
}

void TAutoRun::SetActive(bool Value) {
  FActive = Value;
  if (ComponentState().Contains(csLoading)) return;  // applied in Loaded, once Title is read
  if (FActive) Write();
  else DeleteAll();
}

void TAutoRun::SetKey(TKeyReg Value) {
  if (Value == FKey) return;
  bool move = FActive && !ComponentState().Contains(csLoading);
  if (move) DeleteAll();
  FKey = Value;
  if (move) Write();
}

void TAutoRun::SetTitle(const String& Value) {
  if (Value == FTitle) return;
  bool move = FActive && !ComponentState().Contains(csLoading);
  if (move) DeleteAll();
  FTitle = Value;
  if (move) Write();
}

void TAutoRun::Loaded() {
  TComponent::Loaded();
  if (FActive) Write();
}

void TAutoRun::Write() {
  FRegistered = false;
  if (FTitle.empty()) return;
  TAutoRunSystem& system = TSeam<TAutoRunSystem>::Get();
  String data = CommandLine(TSeam<TDskExecutable>::Get().Path());
  // The machine's key first; a standard user may write only the own one.
  FRegistered = system.Write(HKEY_LOCAL_MACHINE, KeyPath(FKey), FTitle, data) ||
                system.Write(HKEY_CURRENT_USER, KeyPath(FKey), FTitle, data);
}

void TAutoRun::DeleteAll() {
  FRegistered = false;
  if (FTitle.empty()) return;
  TAutoRunSystem& system = TSeam<TAutoRunSystem>::Get();
  for (TKeyReg key : {RUN, RUNSERVICES, RUNONCE}) {
    system.Delete(HKEY_LOCAL_MACHINE, KeyPath(key), FTitle);
    system.Delete(HKEY_CURRENT_USER, KeyPath(key), FTitle);
  }
}
