#include "desktop/dsksysinfo.h"

#include "classlib/windows/application.h"
#include "classlib/core/finally.h"
#include "classlib/core/format.h"
#include "classlib/core/registry.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

#include <lmcons.h>

HX_PUBLISH(TDskSystemDetails, p) {
  p.Property("ProcessorType", &TDskSystemDetails::ProcessorType);
  p.Property("ProcessorLevel", &TDskSystemDetails::ProcessorLevel);
  p.Property("NoOfProcessors", &TDskSystemDetails::NoOfProcessors);
  p.Property("OperatingSystem", &TDskSystemDetails::OperatingSystem);
  p.Property("BuildNumber", &TDskSystemDetails::BuildNumber);
  p.Property("VersionNumber", &TDskSystemDetails::VersionNumber);
  p.Property("PlatformCSD", &TDskSystemDetails::PlatformCSD);
  p.Property("Plus", &TDskSystemDetails::Plus);
  p.Property("RegisteredOwner", &TDskSystemDetails::RegisteredOwner);
  p.Property("RegisteredCompany", &TDskSystemDetails::RegisteredCompany);
  p.Property("ComputerName", &TDskSystemDetails::ComputerName);
  p.Property("UserName", &TDskSystemDetails::UserName);
  p.Property("DirectoryWindows", &TDskSystemDetails::DirectoryWindows);
  p.Property("DirectorySystem", &TDskSystemDetails::DirectorySystem);
  p.Property("DirectoryTemp", &TDskSystemDetails::DirectoryTemp);
  p.Property("DirectoryCurrent", &TDskSystemDetails::DirectoryCurrent);
  p.Property("Language", &TDskSystemDetails::Language);
  p.Property("ScreenWidth", &TDskSystemDetails::ScreenWidth);
  p.Property("ScreenHeight", &TDskSystemDetails::ScreenHeight);
  p.Event("OnUpdate", &TDskSystemDetails::OnUpdate);
}

HX_PUBLISH(TDskSysKeys, p) {
  p.Property("CapsLock", &TDskSysKeys::GetCapsLock, &TDskSysKeys::SetCapsLock).Stored(false);
  p.Property("NumLock", &TDskSysKeys::GetNumLock, &TDskSysKeys::SetNumLock).Stored(false);
  p.Property("ScrollLock", &TDskSysKeys::GetScrollLock, &TDskSysKeys::SetScrollLock).Stored(false);
}

HX_PUBLISH(TDskShutdown, p) {
  p.Property("Confirm", &TDskShutdown::Confirm, &TDskShutdown::Confirm).Default(true);
  p.Property("Confirmation", &TDskShutdown::Confirmation, &TDskShutdown::Confirmation)
      .Default("Are you sure you want to reboot your PC now ?");
  p.Property("Exittype", &TDskShutdown::Exittype, &TDskShutdown::Exittype).Default(xReboot);
}

HX_PUBLISH(TDskScreenSave, p) {
  p.Property("Installed", &TDskScreenSave::GetInstalled, &TDskScreenSave::SetInstalled).Stored(false);
  p.Property("Seconds", &TDskScreenSave::GetSeconds, &TDskScreenSave::SetSeconds).Stored(false);
}

HX_PUBLISH(TDskWinWallPaper, p) {
  p.Property("BmpFilename", &TDskWinWallPaper::BmpFilename, &TDskWinWallPaper::BmpFilename).Default("");
  p.Property("Tiled", &TDskWinWallPaper::Tiled, &TDskWinWallPaper::Tiled).Default(true);
}

HX_PUBLISH(TDskSystemOptions, p) {
  p.Property("pAnimation", &TDskSystemOptions::GetAnimation, &TDskSystemOptions::SetAnimation).Stored(false);
  p.Property("pDragFullWindows", &TDskSystemOptions::GetDragFullWindows, &TDskSystemOptions::SetDragFullWindows)
      .Stored(false);
  p.Property("pFontSmoothing", &TDskSystemOptions::GetFontSmoothing, &TDskSystemOptions::SetFontSmoothing)
      .Stored(false);
  p.Property("pSnapToDefaultBtn", &TDskSystemOptions::GetSnapToDefaultBtn, &TDskSystemOptions::SetSnapToDefaultBtn)
      .Stored(false);
  p.Property("pWarningbeep", &TDskSystemOptions::GetWarningbeep, &TDskSystemOptions::SetWarningbeep).Stored(false);
  p.Property("pTaskBar", &TDskSystemOptions::GetTaskBar, &TDskSystemOptions::SetTaskBar).Default(true);
  p.Property("pOfficeBar", &TDskSystemOptions::GetOfficeBar, &TDskSystemOptions::SetOfficeBar).Default(true);
  p.Property("pIcons", &TDskSystemOptions::GetIcons, &TDskSystemOptions::SetIcons).Default(true);
  p.Property("pDoMinimizeAll", &TDskSystemOptions::GetDoMinimizeAll, &TDskSystemOptions::SetDoMinimizeAll)
      .Default(false);
}

HX_PUBLISH(TDskSystemManager, p) {
  p.Property("SystemKeys", &TDskSystemManager::SystemKeys);
  p.Property("Shutdown", &TDskSystemManager::Shutdown);
  p.Property("ScreenSaver", &TDskSystemManager::ScreenSaver);
  p.Property("WallPaper", &TDskSystemManager::WallPaper);
  p.Property("Properties", &TDskSystemManager::Properties);
  p.Event("OnCallShutdown", &TDskSystemManager::OnCallShutdown);
  p.Event("OnErrorShutdown", &TDskSystemManager::OnErrorShutdown);
}

// ---- System information ----

String DskProcessorTypeName(int Architecture) {
  switch (Architecture) {
    case PROCESSOR_ARCHITECTURE_INTEL: return "Intel";
    case PROCESSOR_ARCHITECTURE_MIPS: return "Mips";
    case PROCESSOR_ARCHITECTURE_ALPHA: return "Alpha";
    case PROCESSOR_ARCHITECTURE_PPC: return "PPC";
    case PROCESSOR_ARCHITECTURE_SHX: return "SHX";
    case PROCESSOR_ARCHITECTURE_ARM: return "Arm";
    case PROCESSOR_ARCHITECTURE_IA64: return "IA64";
    case PROCESSOR_ARCHITECTURE_AMD64: return "x64";
    case 12: return "ARM64";  // PROCESSOR_ARCHITECTURE_ARM64
    default: return "Unknown Processor";
  }
}

String DskProcessorLevelName(int Architecture, int Level) {
  if (Architecture != PROCESSOR_ARCHITECTURE_INTEL) return "Unknown";
  switch (Level) {
    case 2: return "80286";
    case 3: return "80386";
    case 4: return "80486";
    case 5: return "Pentium";
    case 6: return "Pentium II";
    case 7: return "Above Pentium II";
    default: return "Unknown";
  }
}

namespace {

using TDirectoryCall = DWORD(WINAPI*)(DWORD, LPWSTR);

String FolderOf(UINT(WINAPI* Get)(LPWSTR, UINT)) {
  wchar_t buf[MAX_PATH + 1];
  UINT n = Get(buf, MAX_PATH + 1);
  return n && n <= MAX_PATH ? WideToUtf8(std::wstring(buf, n)) : String();
}

String FolderOf(TDirectoryCall Get) {
  wchar_t buf[MAX_PATH + 1];
  DWORD n = Get(MAX_PATH + 1, buf);
  return n && n <= MAX_PATH ? WideToUtf8(std::wstring(buf, n)) : String();
}

}  // namespace

TDskSystemDetails::TDskSystemDetails(TComponent* AOwner) : TDskSystemsComponent(AOwner) { Refresh(); }

void TDskSystemDetails::Loaded() {
  inherited::Loaded();
  Refresh();
}

String TDskSystemDetails::DirectoryCurrent() {
  if (!FRefreshing) Refresh();
  return FDirectoryCurrent;
}

std::uint32_t TDskSystemDetails::ScreenWidth() const { return static_cast<std::uint32_t>(GetSystemMetrics(SM_CXSCREEN)); }
std::uint32_t TDskSystemDetails::ScreenHeight() const { return static_cast<std::uint32_t>(GetSystemMetrics(SM_CYSCREEN)); }

void TDskSystemDetails::Refresh() {
  FRefreshing = true;
  TFinally done([this] { FRefreshing = false; });
  SYSTEM_INFO si{};
  GetNativeSystemInfo(&si);
  FProcessorType = DskProcessorTypeName(si.wProcessorArchitecture);
  FProcessorLevel = DskProcessorLevelName(si.wProcessorArchitecture, si.wProcessorLevel);
  FNoOfProcessors = si.dwNumberOfProcessors;

  // RtlGetVersion tells the real version (GetVersionEx answers 6.2 to programs whose
  // manifest does not name the newer systems).
  using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW vi{};
  vi.dwOSVersionInfoSize = sizeof vi;
  auto rtlGetVersion = reinterpret_cast<TRtlGetVersion>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  if (rtlGetVersion) rtlGetVersion(&vi);
  FOperatingSystem = "Windows NT";
  FBuildNumber = std::to_string(vi.dwBuildNumber);
  FVersionNumber = Format("%d.%d", vi.dwMajorVersion, vi.dwMinorVersion);
  FPlatformCSD = WideToUtf8(vi.szCSDVersion);

  FRegisteredOwner.clear();
  FRegisteredCompany.clear();
  TRegistry reg(KEY_READ);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (reg.OpenKeyReadOnly("\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion")) {
    reg.TryReadString("RegisteredOwner", FRegisteredOwner);
    reg.TryReadString("RegisteredOrganization", FRegisteredCompany);
  }

  wchar_t name[256];
  DWORD n = 256;
  FComputerName = GetComputerNameW(name, &n) ? WideToUtf8(std::wstring(name, n)) : String();
  n = 256;
  FUserName = GetUserNameW(name, &n) && n > 0 ? WideToUtf8(std::wstring(name, n - 1)) : String();

  FDirectoryWindows = FolderOf(GetWindowsDirectoryW);
  FDirectorySystem = FolderOf(GetSystemDirectoryW);
  FDirectoryTemp = FolderOf(GetTempPathW);
  FDirectoryCurrent = FolderOf(GetCurrentDirectoryW);

  wchar_t language[128];
  DWORD len = VerLanguageNameW(GetSystemDefaultLangID(), language, 128);
  FLanguage = len ? WideToUtf8(std::wstring(language, len)) : String();

  if (OnUpdate) OnUpdate(this);
}

// ---- System control ----

namespace {

class TWindowsSystemCalls : public TDskSystemCalls {
 public:
  std::uint8_t KeyState(int VirtualKey) override {
    BYTE state[256];
    return GetKeyboardState(state) ? state[VirtualKey & 0xFF] : 0;
  }

  void PressKey(int VirtualKey) override {
    INPUT input[2]{};
    for (INPUT& i : input) {
      i.type = INPUT_KEYBOARD;
      i.ki.wVk = static_cast<WORD>(VirtualKey);
      i.ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
    }
    input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
  }

  bool SystemParameters(unsigned Action, unsigned Param, void* Data, unsigned WinIni) override {
    return SystemParametersInfoW(Action, Param, Data, WinIni) != FALSE;
  }

  void SystemCommand(std::uintptr_t Command) override {
    SendMessageW(Application->Handle(), WM_SYSCOMMAND, Command, 0);
  }

  bool ShowTopLevelWindow(const String& ClassName, bool Show) override {
    HWND window = FindWindowW(Utf8ToWide(ClassName).c_str(), nullptr);
    if (!window) return false;
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | (Show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    return true;
  }

  void MinimizeOtherWindows() override { EnumWindows(MinimizeOne, 0); }

 private:
  // Another program's visible, titled main window: hidden, minimised, shown again. A hung
  // program cannot hold us up: its messages time out.
  static BOOL CALLBACK MinimizeOne(HWND window, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() || !IsWindowVisible(window) || GetWindowTextLengthW(window) == 0 ||
        GetLastActivePopup(window) != window)
      return TRUE;
    const UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(window, nullptr, 0, 0, 0, 0, flags | SWP_HIDEWINDOW);
    DWORD_PTR result;
    SendMessageTimeoutW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_ABORTIFHUNG, 1000, &result);
    SetWindowPos(window, nullptr, 0, 0, 0, 0, flags | SWP_SHOWWINDOW);
    return TRUE;
  }
};

TDskSystemCalls* installedCalls = nullptr;

}  // namespace

void TDskSystemCalls::MessageBeep(unsigned Type) { ::MessageBeep(Type); }

TDskSystemCalls& DskSystemCalls() {
  static TWindowsSystemCalls system;
  return installedCalls ? *installedCalls : system;
}

TDskSystemCallsScope::TDskSystemCallsScope(TDskSystemCalls& Calls) : FPrevious(installedCalls) {
  installedCalls = &Calls;
}

TDskSystemCallsScope::~TDskSystemCallsScope() { installedCalls = FPrevious; }

bool TDskSysKeys::Get(int VirtualKey) { return (DskSystemCalls().KeyState(VirtualKey) & 1) != 0; }

void TDskSysKeys::Set(int VirtualKey, bool Value) {
  if (Get(VirtualKey) != Value) DskSystemCalls().PressKey(VirtualKey);
}

bool TDskScreenSave::GetInstalled() const {
  BOOL active = FALSE;
  return DskSystemCalls().SystemParameters(SPI_GETSCREENSAVEACTIVE, 0, &active, 0) && active;
}

void TDskScreenSave::SetInstalled(bool Value) {
  DskSystemCalls().SystemParameters(SPI_SETSCREENSAVEACTIVE, Value, nullptr, SPIF_SENDWININICHANGE);
}

int TDskScreenSave::GetSeconds() const {
  int seconds = 0;
  DskSystemCalls().SystemParameters(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
  return seconds;
}

void TDskScreenSave::SetSeconds(int Value) {
  DskSystemCalls().SystemParameters(SPI_SETSCREENSAVETIMEOUT, static_cast<unsigned>(Value), nullptr,
                                    SPIF_SENDWININICHANGE);
}

TDskSystemOptions::~TDskSystemOptions() {
  for (int i = 0; i < 3; ++i)
    if (FHidden[i]) Show(i, true);
}

bool TDskSystemOptions::GetAnimation() const {
  ANIMATIONINFO info{sizeof(ANIMATIONINFO), 0};
  return DskSystemCalls().SystemParameters(SPI_GETANIMATION, sizeof info, &info, 0) && info.iMinAnimate != 0;
}

void TDskSystemOptions::SetAnimation(bool Value) {
  ANIMATIONINFO info{sizeof(ANIMATIONINFO), Value ? 1 : 0};
  DskSystemCalls().SystemParameters(SPI_SETANIMATION, sizeof info, &info, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

bool TDskSystemOptions::GetFlag(unsigned Action) {
  BOOL value = FALSE;
  return DskSystemCalls().SystemParameters(Action, 0, &value, 0) && value;
}

void TDskSystemOptions::SetFlag(unsigned Action, bool Value) {
  DskSystemCalls().SystemParameters(Action, Value, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

void TDskSystemOptions::Show(int Which, bool Value) {
  static const char* const kClasses[] = {"Shell_TrayWnd", "MOM Class", "Progman"};
  FShown[Which] = Value;
  bool found = DskSystemCalls().ShowTopLevelWindow(kClasses[Which], Value);
  FHidden[Which] = found && !Value;
}

void TDskSystemOptions::SetDoMinimizeAll(bool Value) {
  if (Value) DskSystemCalls().MinimizeOtherWindows();
}

TDskSystemManager::TDskSystemManager(TComponent* AOwner)
    : TDskSystemsComponent(AOwner),
      FSystemKeys(new TDskSysKeys),
      FShutdown(new TDskShutdown),
      FScreenSaver(new TDskScreenSave),
      FWallPaper(new TDskWinWallPaper),
      FProperties(new TDskSystemOptions) {}

TDskSystemManager::~TDskSystemManager() {
  delete FProperties;
  delete FWallPaper;
  delete FScreenSaver;
  delete FShutdown;
  delete FSystemKeys;
}

bool TDskSystemManager::StartScreenSaver() {
  if (!FScreenSaver->GetInstalled()) return false;
  DskSystemCalls().SystemCommand(SC_SCREENSAVE);
  return true;
}
