// System information as Wine answers it, and system control through a recording stand-in
// for the system, so that the desktop the tests run on stays as it is.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"
#include "desktop/dsksysinfo.h"

namespace {

OSVERSIONINFOW RealVersion() {
  OSVERSIONINFOW vi{};
  vi.dwOSVersionInfoSize = sizeof vi;
  using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  auto get = reinterpret_cast<TRtlGetVersion>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  get(&vi);
  return vi;
}

String Folder(UINT(WINAPI* Get)(LPWSTR, UINT)) {
  wchar_t buf[MAX_PATH];
  return WideToUtf8(std::wstring(buf, Get(buf, MAX_PATH)));
}

TEST(DskSystemDetails, ReportsWhatTheSystemAnswers) {
  TDskSystemDetails details(nullptr);
  EXPECT_EQ(details.ProcessorType(), "x64");  // a 64-bit program sees its own architecture
  EXPECT_EQ(details.ProcessorLevel(), "Unknown");
  SYSTEM_INFO si;
  GetNativeSystemInfo(&si);
  EXPECT_EQ(details.NoOfProcessors(), si.dwNumberOfProcessors);
  OSVERSIONINFOW vi = RealVersion();
  EXPECT_EQ(details.OperatingSystem(), "Windows NT");
  EXPECT_FALSE(details.Plus());
  EXPECT_EQ(details.BuildNumber(), std::to_string(vi.dwBuildNumber));  // the full value
  EXPECT_EQ(details.VersionNumber(), std::to_string(vi.dwMajorVersion) + "." + std::to_string(vi.dwMinorVersion));
  wchar_t name[256];
  DWORD n = 256;
  GetComputerNameW(name, &n);
  EXPECT_EQ(details.ComputerName(), WideToUtf8(name));
  EXPECT_FALSE(details.UserName().empty());
  EXPECT_EQ(details.DirectoryWindows(), Folder(GetWindowsDirectoryW));
  EXPECT_EQ(details.DirectorySystem(), Folder(GetSystemDirectoryW));
  EXPECT_EQ(details.DirectoryTemp().back(), '\\');
  EXPECT_FALSE(details.Language().empty());
  EXPECT_EQ(details.ScreenWidth(), static_cast<std::uint32_t>(GetSystemMetrics(SM_CXSCREEN)));
  EXPECT_EQ(details.ScreenHeight(), static_cast<std::uint32_t>(GetSystemMetrics(SM_CYSCREEN)));
}

TEST(DskSystemDetails, ReadingTheCurrentFolderRefreshesButNotFromInsideOnUpdate) {
  TDskSystemDetails details(nullptr);
  int updates = 0;
  String seen;
  details.OnUpdate = [&](TObject*) {
    ++updates;
    seen = details.DirectoryCurrent();  // must not refresh again
  };
  wchar_t cwd[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, cwd);
  EXPECT_EQ(details.DirectoryCurrent(), WideToUtf8(cwd));
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(seen, WideToUtf8(cwd));
}

TEST(DskSystemDetails, NamesProcessors) {
  struct Case {
    int architecture, level;
    const char *type, *levelName;
  } cases[] = {{0, 5, "Intel", "Pentium"},           {0, 6, "Intel", "Pentium II"},
               {0, 9, "Intel", "Unknown"},           {1, 4, "Mips", "Unknown"},
               {5, 0, "Arm", "Unknown"},             {9, 6, "x64", "Unknown"},
               {12, 8, "ARM64", "Unknown"},          {6, 0, "IA64", "Unknown"},
               {77, 0, "Unknown Processor", "Unknown"}};
  for (const Case& c : cases) {
    EXPECT_EQ(DskProcessorTypeName(c.architecture), c.type) << c.architecture;
    EXPECT_EQ(DskProcessorLevelName(c.architecture, c.level), c.levelName) << c.architecture;
  }
}

// Records what the manager asks of the system.
class TRecordingSystem : public TDskSystemCalls {
 public:
  std::uint8_t Keys[256] = {};
  bool ScreenSaverActive = false;
  std::vector<std::string> Log;

  std::uint8_t KeyState(int VirtualKey) override { return Keys[VirtualKey]; }
  void PressKey(int VirtualKey) override {
    Log.push_back("press " + std::to_string(VirtualKey));
    Keys[VirtualKey] ^= 1;
  }
  bool SystemParameters(unsigned Action, unsigned Param, void* Data, unsigned WinIni) override {
    if (Action == SPI_GETSCREENSAVEACTIVE) {
      *static_cast<BOOL*>(Data) = ScreenSaverActive;
      return true;
    }
    std::string entry = "spi " + std::to_string(Action) + " " + std::to_string(Param) + " " + std::to_string(WinIni);
    if (Action == SPI_SETANIMATION || Action == SPI_GETANIMATION) {
      auto* info = static_cast<ANIMATIONINFO*>(Data);
      entry += " size " + std::to_string(info->cbSize) + " min " + std::to_string(info->iMinAnimate);
    }
    Log.push_back(entry);
    return true;
  }
  void SystemCommand(std::uintptr_t Command) override { Log.push_back("command " + std::to_string(Command)); }
  bool ShowTopLevelWindow(const String& ClassName, bool Show) override {
    Log.push_back((Show ? "show " : "hide ") + ClassName);
    return true;
  }
  void MinimizeOtherWindows() override { Log.push_back("minimize others"); }
};

using Log = std::vector<std::string>;

class SystemManagerTest : public ::testing::Test {
 protected:
  TRecordingSystem system;
  TDskSystemCallsScope scope{system};
};

TEST_F(SystemManagerTest, LockKeysFollowTheirToggleAndChangeOnlyWhenAsked) {
  TDskSystemManager manager(nullptr);
  TDskSysKeys* keys = manager.SystemKeys();
  system.Keys[VK_CAPITAL] = 0x80;  // held down, toggled off
  system.Keys[VK_NUMLOCK] = 0x01;  // toggled on
  system.Keys[VK_SCROLL] = 0x81;
  EXPECT_FALSE(keys->GetCapsLock());
  EXPECT_TRUE(keys->GetNumLock());
  EXPECT_TRUE(keys->GetScrollLock());
  keys->SetCapsLock(false);
  keys->SetNumLock(true);
  EXPECT_TRUE(system.Log.empty());
  keys->SetCapsLock(true);
  EXPECT_EQ(system.Log, (Log{"press 20"}));
  EXPECT_TRUE(keys->GetCapsLock());
}

TEST_F(SystemManagerTest, StartsTheScreenSaverOnlyWhenOneIsInstalled) {
  TDskSystemManager manager(nullptr);
  EXPECT_FALSE(manager.StartScreenSaver());
  EXPECT_TRUE(system.Log.empty());
  system.ScreenSaverActive = true;
  EXPECT_TRUE(manager.StartScreenSaver());
  EXPECT_EQ(system.Log, (Log{"command " + std::to_string(SC_SCREENSAVE)}));
}

TEST(DskSystemCalls, SystemCommandsGoToTheApplicationWindow) {
  // Another top-level window of this thread does not take the command in its place.
  TForm form(nullptr, CreateNew);
  form.HandleNeeded();
  std::vector<std::uintptr_t> seen;
  int hook = Application->HookMainWindow([&](TMessage& m) {
    if (m.Msg != WM_SYSCOMMAND) return false;
    seen.push_back(m.WParam);
    return true;  // kept: no screen saver starts on the test's desktop
  });
  DskSystemCalls().SystemCommand(SC_SCREENSAVE);
  Application->UnhookMainWindow(hook);
  EXPECT_EQ(seen, (std::vector<std::uintptr_t>{SC_SCREENSAVE}));
}

TEST_F(SystemManagerTest, DesktopOptionsGoToTheSystemsParameters) {
  TDskSystemManager manager(nullptr);
  TDskSystemOptions* options = manager.Properties();
  const unsigned change = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;
  options->SetAnimation(true);
  options->SetDragFullWindows(false);
  options->SetWarningbeep(true);
  manager.ScreenSaver()->SetSeconds(600);
  EXPECT_EQ(system.Log, (Log{"spi 73 8 " + std::to_string(change) + " size 8 min 1", "spi 37 0 " + std::to_string(change),
                             "spi 2 1 " + std::to_string(change), "spi 15 600 " + std::to_string(SPIF_SENDWININICHANGE)}));
}

TEST_F(SystemManagerTest, WhatItHidItShowsAgain) {
  {
    TDskSystemManager manager(nullptr);
    manager.Properties()->SetTaskBar(false);
    EXPECT_FALSE(manager.Properties()->GetTaskBar());
    manager.Properties()->SetTaskBar(true);
    manager.Properties()->SetIcons(false);
    manager.Properties()->SetDoMinimizeAll(true);
    EXPECT_FALSE(manager.Properties()->GetDoMinimizeAll());
  }  // the desktop icons come back with the component's end
  EXPECT_EQ(system.Log,
            (Log{"hide Shell_TrayWnd", "show Shell_TrayWnd", "hide Progman", "minimize others", "show Progman"}));
}

}  // namespace
