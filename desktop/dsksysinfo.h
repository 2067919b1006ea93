#pragma once
// System information and system control. TDskSystemDetails gathers facts about the
// machine and Windows; TDskSystemManager reads and changes system settings: the lock keys,
// the screen saver, desktop options, hiding of the task bar, office bar and desktop icons,
// and minimising all other windows. The system runs on the Windows NT family: the Windows
// 9x ways are not built. Windows only.
#include <cstdint>

#include "desktop/dsksystems.h"

// ---- System information ----

class TDskSystemDetails : public TDskSystemsComponent {
  HX_CLASS(TDskSystemDetails, TDskSystemsComponent)
 public:
  // Gathers every value (and tells OnUpdate).
  explicit TDskSystemDetails(TComponent* AOwner);

  const String& ProcessorType() const { return FProcessorType; }
  const String& ProcessorLevel() const { return FProcessorLevel; }
  std::uint32_t NoOfProcessors() const { return FNoOfProcessors; }
  const String& OperatingSystem() const { return FOperatingSystem; }
  const String& BuildNumber() const { return FBuildNumber; }
  const String& VersionNumber() const { return FVersionNumber; }
  const String& PlatformCSD() const { return FPlatformCSD; }
  bool Plus() const { return false; }  // the 9x "Plus!" extension: never on NT
  const String& RegisteredOwner() const { return FRegisteredOwner; }
  const String& RegisteredCompany() const { return FRegisteredCompany; }
  const String& ComputerName() const { return FComputerName; }
  const String& UserName() const { return FUserName; }
  const String& DirectoryWindows() const { return FDirectoryWindows; }
  const String& DirectorySystem() const { return FDirectorySystem; }
  const String& DirectoryTemp() const { return FDirectoryTemp; }
  // Gathers every value afresh first (but not from inside OnUpdate: no endless recursion).
  String DirectoryCurrent();
  const String& Language() const { return FLanguage; }
  // Read at each access.
  std::uint32_t ScreenWidth() const;
  std::uint32_t ScreenHeight() const;

  TNotifyEvent OnUpdate;

 protected:
  void Loaded() override;

 private:
  void Refresh();

  bool FRefreshing = false;
  String FProcessorType, FProcessorLevel, FOperatingSystem, FBuildNumber, FVersionNumber, FPlatformCSD;
  std::uint32_t FNoOfProcessors = 0;
  String FRegisteredOwner, FRegisteredCompany, FComputerName, FUserName;
  String FDirectoryWindows, FDirectorySystem, FDirectoryTemp, FDirectoryCurrent, FLanguage;
};

// The names of a processor architecture (GetSystemInfo's wProcessorArchitecture) and of a
// processor level (named for architecture 0 only).
String DskProcessorTypeName(int Architecture);
String DskProcessorLevelName(int Architecture, int Level);

// ---- System control ----

// What the system manager asks of Windows; tests install a recording one
// (TDskSystemCallsScope) so that nothing of the desktop they run on changes.
class TDskSystemCalls {
 public:
  virtual ~TDskSystemCalls() = default;
  // The key's byte of the keyboard state (bit 0: toggled on, bit 7: held down).
  virtual std::uint8_t KeyState(int VirtualKey) = 0;
  // A synthesised press and release of the key.
  virtual void PressKey(int VirtualKey) = 0;
  // SystemParametersInfoW; false when it fails.
  virtual bool SystemParameters(unsigned Action, unsigned Param, void* Data, unsigned WinIni) = 0;
  // WM_SYSCOMMAND with Command to the application's window.
  virtual void SystemCommand(std::uintptr_t Command) = 0;
  // Shows or hides the top-level window of the class; false when there is none.
  virtual bool ShowTopLevelWindow(const String& ClassName, bool Show) = 0;
  // Minimises the other programs' windows.
  virtual void MinimizeOtherWindows() = 0;
  // Plays the system sound of the MessageBeep type (0, MB_ICONASTERISK ...).
  virtual void MessageBeep(unsigned Type);
};

TDskSystemCalls& DskSystemCalls();

class TDskSystemCallsScope {
 public:
  explicit TDskSystemCallsScope(TDskSystemCalls& Calls);
  ~TDskSystemCallsScope();
  TDskSystemCallsScope(const TDskSystemCallsScope&) = delete;
  TDskSystemCallsScope& operator=(const TDskSystemCallsScope&) = delete;

 private:
  TDskSystemCalls* FPrevious;
};

class TDskSysKeys : public TPersistent {
  HX_CLASS(TDskSysKeys, TPersistent)
 public:
  // On when the key is toggled on; setting synthesises a press only when it changes.
  bool GetCapsLock() const { return Get(0x14); }
  void SetCapsLock(bool Value) { Set(0x14, Value); }
  bool GetNumLock() const { return Get(0x90); }
  void SetNumLock(bool Value) { Set(0x90, Value); }
  bool GetScrollLock() const { return Get(0x91); }
  void SetScrollLock(bool Value) { Set(0x91, Value); }

 private:
  static bool Get(int VirtualKey);
  static void Set(int VirtualKey, bool Value);
};

HX_ENUM(TDskExitType, xLogoff, xReboot, xShutDown, xPowerOff, xForce);

// Options only: nothing in this component set shuts the system down.
class TDskShutdown : public TPersistent {
  HX_CLASS(TDskShutdown, TPersistent)
 public:
  bool Confirm = true;
  String Confirmation = "Are you sure you want to reboot your PC now ?";
  TDskExitType Exittype = xReboot;
};

class TDskScreenSave : public TPersistent {
  HX_CLASS(TDskScreenSave, TPersistent)
 public:
  bool GetInstalled() const;
  void SetInstalled(bool Value);
  int GetSeconds() const;
  void SetSeconds(int Value);
};

// Options only: nothing in this component set changes the wallpaper.
class TDskWinWallPaper : public TPersistent {
  HX_CLASS(TDskWinWallPaper, TPersistent)
 public:
  String BmpFilename;
  bool Tiled = true;
};

class TDskSystemOptions : public TPersistent {
  HX_CLASS(TDskSystemOptions, TPersistent)
 public:
  ~TDskSystemOptions() override;  // shows again what it hid

  // Live system settings.
  bool GetAnimation() const;
  void SetAnimation(bool Value);
  bool GetDragFullWindows() const { return GetFlag(38); }
  void SetDragFullWindows(bool Value) { SetFlag(37, Value); }
  bool GetFontSmoothing() const { return GetFlag(74); }
  void SetFontSmoothing(bool Value) { SetFlag(75, Value); }
  bool GetSnapToDefaultBtn() const { return GetFlag(95); }
  void SetSnapToDefaultBtn(bool Value) { SetFlag(96, Value); }
  bool GetWarningbeep() const { return GetFlag(1); }
  void SetWarningbeep(bool Value) { SetFlag(2, Value); }
  // Show (True) or hide (False) the task bar, the office bar and the desktop icons.
  bool GetTaskBar() const { return FShown[0]; }
  void SetTaskBar(bool Value) { Show(0, Value); }
  bool GetOfficeBar() const { return FShown[1]; }
  void SetOfficeBar(bool Value) { Show(1, Value); }
  bool GetIcons() const { return FShown[2]; }
  void SetIcons(bool Value) { Show(2, Value); }
  // Setting True minimises all other programs' windows; it reads False again.
  bool GetDoMinimizeAll() const { return false; }
  void SetDoMinimizeAll(bool Value);

 private:
  static bool GetFlag(unsigned Action);
  static void SetFlag(unsigned Action, bool Value);
  void Show(int Which, bool Value);
  bool FShown[3] = {true, true, true};
  bool FHidden[3] = {false, false, false};  // hidden by us, to be shown again
};

using TDskOnErrorShutdown = std::function<void(TObject* Sender, int ErrorCode)>;

class TDskSystemManager : public TDskSystemsComponent {
  HX_CLASS(TDskSystemManager, TDskSystemsComponent)
 public:
  explicit TDskSystemManager(TComponent* AOwner);
  ~TDskSystemManager() override;

  TDskSysKeys* SystemKeys() const { return FSystemKeys; }
  TDskShutdown* Shutdown() const { return FShutdown; }
  TDskScreenSave* ScreenSaver() const { return FScreenSaver; }
  TDskWinWallPaper* WallPaper() const { return FWallPaper; }
  TDskSystemOptions* Properties() const { return FProperties; }

  // Starts the screen saver when one is installed (true); false, sending nothing, when not.
  bool StartScreenSaver();

  // Never fired: nothing here shuts the system down.
  TNotifyEvent OnCallShutdown;
  TDskOnErrorShutdown OnErrorShutdown;

 private:
  TDskSysKeys* FSystemKeys;
  TDskShutdown* FShutdown;
  TDskScreenSave* FScreenSaver;
  TDskWinWallPaper* FWallPaper;
  TDskSystemOptions* FProperties;
};
