#pragma once
// The control kit's application object: one TKitApplication carries what the kit's
// components share: the timer pool and its 250 timer slots, the settings-location object,
// a single-instance mutex named after the executable, a log file name, the
// performance-counter frequency, a cached checker bitmap and the kit's hand cursor.
#include <array>
#include <cstdint>

#include "classlib/core/colors.h"
#include "controls/kitbase.h"
#include "controls/kittimers.h"
#include "controls/kitutils.h"

class TBitmap;

// The screen's cursor number of the kit's hand cursor (Screen->Cursors(crKitHand)): the
// executable's cursor resource kKitHandCursorResource when it has one, else the system's
// hand.
inline constexpr int crKitHand = -255;
inline constexpr int kKitHandCursorResource = 16548;

HX_ENUM(TKitRegRootKey, rpClassesRoot, rpCurrentUser, rpLocalMachine, rpUsers, rpCurrentConfig, rpDynData);
HX_ENUM(TKitIniTarget, itIniFile, itRegistry, itAuto);

// Where a kit component would keep settings (an ini file or a registry key). Only the
// settings and their rules: nothing in this program reads or writes through it.
class TKitIniCtrl : public TKitComponent {
  HX_CLASS(TKitIniCtrl, TKitComponent)
 public:
  explicit TKitIniCtrl(TComponent* AOwner) : TKitComponent(AOwner) {}

  // Turning it on brings MaxEntries down to 26 (one letter each).
  bool GetAlphaCounter() const { return FAlphaCounter; }
  void SetAlphaCounter(bool Value);
  bool Common = true;
  // A name without extension gets ".INI"; an empty name stays empty.
  const String& GetIniFile() const { return FIniFile; }
  void SetIniFile(const String& Value);
  TKitPathPrefix IniPrefix = ppWindows;
  // A value above 26 is ignored while AlphaCounter is on.
  std::uint8_t GetMaxEntries() const { return FMaxEntries; }
  void SetMaxEntries(std::uint8_t Value);
  // Turning it on fills User with the logged-on user's name.
  bool GetNetUser() const { return FNetUser; }
  void SetNetUser(bool Value);
  String User;
  String RegPath;
  TKitRegRootKey RegRoot = rpCurrentUser;
  TKitIniTarget Target = itAuto;
  // itAuto means the registry.
  TKitIniTarget EffectiveTarget() const { return Target == itAuto ? itRegistry : Target; }

  // The logged-on user's name, or "(Неизвестно)" when the system cannot tell.
  virtual String UserName();

 private:
  bool FAlphaCounter = false;
  String FIniFile;
  std::uint8_t FMaxEntries = 16;
  bool FNetUser = false;
};

class TKitApplication : public TComponent {
  HX_CLASS(TKitApplication, TComponent)
 public:
  // InstanceName names the single-instance mutex: the program's own object uses the
  // executable's file name (KitInstanceName), tests a name of their own.
  explicit TKitApplication(const String& InstanceName);
  TKitApplication();
  ~TKitApplication() override;

  std::uint8_t Options = 0x36;  // bit 0 set: no palette selection on displays below 9 bits
  TKitIniCtrl* IniCtrl() const { return FIniCtrl; }
  TKitTimerPool* TimerPool() const { return FTimerPool; }
  // Whether another process of the same executable name ran when this object was made.
  bool AlreadyRunning() const { return FAlreadyRunning; }
  std::int64_t PerformanceFrequency() const { return FPerformanceFrequency; }

  TKitPathPrefix LogPrefix = ppProgram;
  const String& LogFileName() const { return FLogFileName; }
  // A blank name means the executable's name with ".LOG"; see KitLogFileName.
  void SetLogName(const String& Name);

  // A pool item on the lowest free slot s (1..250), identifier 0xFD00 + s; 0 when every
  // slot is taken. The pool's exceptions pass through, leaving the slot free.
  std::uint16_t AddTimer(std::uint16_t Interval, TNotifyEvent Handler);
  // Identifiers below 0xFD01 are ignored.
  void RemoveTimer(std::uint16_t Ident);
  TKitTimerItem* GetTimerItem(std::uint16_t Ident) const { return FTimerPool->FindItem(Ident); }

  // An 8 × 8 brush pattern: the pixels where exactly one of x and y is odd in Color, the
  // others white. Owned by the application object, which builds it on first use and again
  // only when another colour is asked for (system colours compare by their present RGB;
  // clNone counts as white). Windows only.
  TBitmap* GetCheckerBrushBitmap(TColor Color);

 private:
  TKitIniCtrl* FIniCtrl;
  TKitTimerPool* FTimerPool;
  std::array<bool, 250> FSlotUsed{};
  std::intptr_t FMutex = 0;
  bool FAlreadyRunning = false;
  std::int64_t FPerformanceFrequency = 0;
  String FLogFileName;
  TBitmap* FCheckerBitmap = nullptr;
  std::uint32_t FCheckerColor = 0x1FFFFFFF;  // the RGB it was built for
};

inline constexpr std::uint16_t kKitFirstTimerIdent = 0xFD01;
inline constexpr std::uint16_t kKitLastTimerIdent = 0xFDFA;

// The one application object, made on first use (or the one a test installed).
TKitApplication* KitApplication();
// Frees the one object; the program calls it before it ends, while its windows still work.
void FreeKitApplication();

class TKitApplicationScope {
 public:
  explicit TKitApplicationScope(TKitApplication& App);
  ~TKitApplicationScope();
  TKitApplicationScope(const TKitApplicationScope&) = delete;
  TKitApplicationScope& operator=(const TKitApplicationScope&) = delete;

 private:
  TKitApplication* FPrevious;
};

// The single-instance name of an executable: its file name without the folder.
String KitInstanceName(const String& ExeName);
// The log file name rule. Name blank: ExeName with the extension ".LOG"; a name without
// extension gets ".LOG". Then, unless Prefix is ppFixed, the file-name part of it in
// PrefixDir.
String KitLogFileName(const String& Name, const String& ExeName, TKitPathPrefix Prefix, const String& PrefixDir);

namespace controls::detail {
// The system side (kitapp_win.cpp / kitapp_posix.cpp).
std::intptr_t CreateInstanceMutex(const String& Name, bool& AlreadyExists);
void CloseInstanceMutex(std::intptr_t Mutex);
std::int64_t QueryPerformanceFrequency();
// Sets the screen's cursor crKitHand.
void InstallHandCursor();
void DeleteBitmap(TBitmap* Bitmap);
}  // namespace controls::detail
