#include "controls/kitapp.h"

#include <memory>

#include "classlib/core/files.h"

HX_PUBLISH(TKitIniCtrl, p) {
  p.Property("AlphaCounter", &TKitIniCtrl::GetAlphaCounter, &TKitIniCtrl::SetAlphaCounter).Default(false);
  p.Property("Common", &TKitIniCtrl::Common, &TKitIniCtrl::Common).Default(true);
  p.Property("IniFile", &TKitIniCtrl::GetIniFile, &TKitIniCtrl::SetIniFile).Default("");
  p.Property("IniPrefix", &TKitIniCtrl::IniPrefix, &TKitIniCtrl::IniPrefix).Default(ppWindows);
  p.Property("MaxEntries", &TKitIniCtrl::GetMaxEntries, &TKitIniCtrl::SetMaxEntries).Default(16);
  p.Property("NetUser", &TKitIniCtrl::GetNetUser, &TKitIniCtrl::SetNetUser).Default(false);
  p.Property("User", &TKitIniCtrl::User, &TKitIniCtrl::User).Default("");
  p.Property("RegPath", &TKitIniCtrl::RegPath, &TKitIniCtrl::RegPath).Default("");
  p.Property("RegRoot", &TKitIniCtrl::RegRoot, &TKitIniCtrl::RegRoot).Default(rpCurrentUser);
  p.Property("Target", &TKitIniCtrl::Target, &TKitIniCtrl::Target).Default(itAuto);
}

HX_PUBLISH(TKitApplication, p) {}

// ---- TKitIniCtrl ----

void TKitIniCtrl::SetAlphaCounter(bool Value) {
  if (Value == FAlphaCounter) return;
  FAlphaCounter = Value;
  if (FAlphaCounter && FMaxEntries > 26) FMaxEntries = 26;
  Changed();
}

void TKitIniCtrl::SetIniFile(const String& Value) {
  String name = Value;
  if (!IsBlank(name) && IsBlank(ExtractFileExt(name))) name += ".INI";
  if (name == FIniFile) return;
  FIniFile = name;
  Changed();
}

void TKitIniCtrl::SetMaxEntries(std::uint8_t Value) {
  if (Value == FMaxEntries || (FAlphaCounter && Value > 26)) return;
  FMaxEntries = Value;
  Changed();
}

void TKitIniCtrl::SetNetUser(bool Value) {
  if (Value == FNetUser) return;
  FNetUser = Value;
  if (FNetUser) User = UserName();
  Changed();
}

String TKitIniCtrl::UserName() {
  String name;
  return GetUserName(name) ? name : String("(Неизвестно)");
}

// ---- TKitApplication ----

TKitApplication::TKitApplication() : TKitApplication(KitInstanceName(GetApplicationExeName())) {}

TKitApplication::TKitApplication(const String& InstanceName) : TComponent(nullptr) {
  FIniCtrl = new TKitIniCtrl(this);
  FMutex = controls::detail::CreateInstanceMutex(InstanceName, FAlreadyRunning);
  FTimerPool = new TKitTimerPool(this, 50);
  SetLogName("");
  FPerformanceFrequency = controls::detail::QueryPerformanceFrequency();
  controls::detail::InstallHandCursor();
}

TKitApplication::~TKitApplication() {
  Destroying();
  DestroyComponents();  // the pool stops its timer before the mutex goes
  controls::detail::DeleteBitmap(FCheckerBitmap);
  controls::detail::CloseInstanceMutex(FMutex);
}

void TKitApplication::SetLogName(const String& Name) {
  String dir = LogPrefix == ppFixed ? String() : GetPrefixDir(LogPrefix, true);
  FLogFileName = KitLogFileName(Name, GetApplicationExeName(), LogPrefix, dir);
}

std::uint16_t TKitApplication::AddTimer(std::uint16_t Interval, TNotifyEvent Handler) {
  for (size_t s = 0; s < FSlotUsed.size(); ++s) {
    if (FSlotUsed[s]) continue;
    auto ident = static_cast<std::uint16_t>(0xFD00 + s + 1);
    FTimerPool->AddItem(ident, Interval, std::move(Handler));  // raises: the slot stays free
    FSlotUsed[s] = true;
    return ident;
  }
  return 0;
}

void TKitApplication::RemoveTimer(std::uint16_t Ident) {
  if (Ident < kKitFirstTimerIdent) return;
  FTimerPool->RemoveItem(Ident);
  if (Ident <= kKitLastTimerIdent) FSlotUsed[Ident - 0xFD00 - 1] = false;
}

// ---- The one object ----

namespace {

TKitApplication* installedApplication = nullptr;

std::unique_ptr<TKitApplication>& TheApplication() {
  // The system clock comes first, so that it is still there when the application object's
  // timer pool stops its timer at the program's end.
  SystemClock();
  static std::unique_ptr<TKitApplication> application;
  return application;
}

}  // namespace

TKitApplication* KitApplication() {
  if (installedApplication) return installedApplication;
  auto& application = TheApplication();
  if (!application) application = std::make_unique<TKitApplication>();
  return application.get();
}

void FreeKitApplication() { TheApplication().reset(); }

TKitApplicationScope::TKitApplicationScope(TKitApplication& App) : FPrevious(installedApplication) {
  installedApplication = &App;
}

TKitApplicationScope::~TKitApplicationScope() { installedApplication = FPrevious; }

String KitInstanceName(const String& ExeName) { return ExtractFileName(ExeName); }

String KitLogFileName(const String& Name, const String& ExeName, TKitPathPrefix Prefix, const String& PrefixDir) {
  String name = IsBlank(Name) ? ChangeFileExt(ExeName, ".LOG") : Name;
  if (IsBlank(ExtractFileExt(name))) name += ".LOG";
  if (Prefix == ppFixed) return name;
  return AddBackslash(PrefixDir) + ExtractFileName(name);
}
