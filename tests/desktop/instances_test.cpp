// The single-instance guard with the probe program started several times: the atom named by
// the executable's path, a second start that switches to the first (restored, in front) or
// closes it, one that starts anyway, a copy elsewhere, an atom left behind; and the window
// informant's record of a known window.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "classlib/windows/application.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"
#include "desktop/dskexecutable.h"
#include "desktop/dskinstances.h"
#include "message_pump.h"
#include "test_paths.h"

namespace {

using horavox::test::PumpMessagesUntil;

std::wstring ProbePath() {
  std::string path = horavox::test::BinaryDir() + "/tests/desktop/instance_probe.exe";
  for (char& c : path)
    if (c == '/') c = '\\';
  return Utf8ToWide(path);
}

class TProbe {
 public:
  TProbe(const std::wstring& Exe, const char* Action) {
    std::wstring line = L"\"" + Exe + L"\" " + Utf8ToWide(Action);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    EXPECT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &FInfo));
    CloseHandle(FInfo.hThread);
  }
  ~TProbe() {
    if (Running()) {
      if (HWND w = Window()) PostMessageW(w, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(FInfo.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(FInfo.hProcess, 1);
    }
    CloseHandle(FInfo.hProcess);
  }
  TProbe(const TProbe&) = delete;
  TProbe& operator=(const TProbe&) = delete;

  bool Running() { return WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT; }
  // Its application window, once it has one.
  HWND Window() {
    struct Find {
      DWORD Pid;
      HWND Found = nullptr;
    } find{FInfo.dwProcessId};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          auto* f = reinterpret_cast<Find*>(p);
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          wchar_t cls[64] = {};
          GetClassNameW(w, cls, 64);
          if (pid == f->Pid && std::wstring(cls) == L"TApplication") f->Found = w;
          return !f->Found;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.Found;
  }
  // Its main window is up (and its guard has run).
  bool WaitReady() {
    return PumpMessagesUntil([&] {
      HWND w = Window();
      return w && GetLastActivePopup(w) && IsWindowVisible(GetLastActivePopup(w)) ? true : !Running();
    }) && Running();
  }
  // Waits for its end; its exit code, or -1 while it runs on.
  int WaitEnd(DWORD Ms = 10000) {
    if (WaitForSingleObject(FInfo.hProcess, Ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(FInfo.hProcess, &code);
    return static_cast<int>(code);
  }
  DWORD Pid() const { return FInfo.dwProcessId; }

 private:
  PROCESS_INFORMATION FInfo{};
};

// Wine shows tray icons in a window of its own, one child per icon.
int TrayIconCount() {
  int count = 0;
  HWND tray = nullptr;
  while ((tray = FindWindowExW(nullptr, tray, L"__winex11_standalone_tray", nullptr)))
    for (HWND icon = nullptr; (icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr));) ++count;
  return count;
}

TEST(InstancesCheckerTest, ASecondStartSwitchesToTheFirstAndEnds) {
  std::wstring exe = ProbePath();
  ASSERT_EQ(GlobalFindAtomW(exe.c_str()), 0) << "a probe of an earlier run is still there";
  TProbe first(exe, "switch");
  ASSERT_TRUE(first.WaitReady());
  // The atom names the full path, in any letter case.
  EXPECT_NE(GlobalFindAtomW(Utf8ToWide(AnsiUpperCase(WideToUtf8(exe))).c_str()), 0);
  ASSERT_TRUE(PumpMessagesUntil([] { return TrayIconCount() > 0; }, 5000));
  int icons = TrayIconCount();

  SendMessageW(first.Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(IsIconic(first.Window()));
  TProbe second(exe, "switch");
  EXPECT_EQ(second.WaitEnd(), 3);
  EXPECT_TRUE(first.Running());
  EXPECT_FALSE(IsIconic(first.Window()));
  DWORD foregroundPid = 0;
  GetWindowThreadProcessId(GetForegroundWindow(), &foregroundPid);
  EXPECT_EQ(foregroundPid, first.Pid());
  EXPECT_EQ(TrayIconCount(), icons);  // the second never showed one

  PostMessageW(first.Window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitEnd(), 0);
  EXPECT_EQ(GlobalFindAtomW(exe.c_str()), 0);
}

TEST(InstancesCheckerTest, CloseAllEndsBothAndStartNewRunsBoth) {
  std::wstring exe = ProbePath();
  {
    TProbe first(exe, "switch");
    ASSERT_TRUE(first.WaitReady());
    TProbe second(exe, "closeall");
    EXPECT_EQ(second.WaitEnd(), 3);
    EXPECT_EQ(first.WaitEnd(), 0);
  }
  {
    TProbe first(exe, "switch");
    ASSERT_TRUE(first.WaitReady());
    TProbe second(exe, "startnew");
    EXPECT_TRUE(second.WaitReady());
    EXPECT_TRUE(first.Running());
  }
  EXPECT_EQ(GlobalFindAtomW(exe.c_str()), 0);
}

TEST(InstancesCheckerTest, ACopyElsewhereIsAnotherProgram) {
  std::wstring exe = ProbePath();
  std::filesystem::path copy = std::filesystem::path(horavox::test::TempDir()) / "copy";
  std::filesystem::create_directories(copy);
  std::filesystem::copy_file(std::filesystem::path(exe), copy / "instance_probe.exe",
                             std::filesystem::copy_options::overwrite_existing);
  TProbe first(exe, "switch");
  ASSERT_TRUE(first.WaitReady());
  TProbe other((copy / "instance_probe.exe").wstring(), "switch");
  EXPECT_TRUE(other.WaitReady());
  EXPECT_TRUE(first.Running());
}

TEST(InstancesCheckerTest, AnAtomLeftBehindLetsTheStartRun) {
  std::wstring exe = ProbePath();
  ATOM stale = GlobalAddAtomW(exe.c_str());
  {
    TProbe first(exe, "switch");
    EXPECT_TRUE(first.WaitReady());
    // The next start finds the atom, and this time a window behind it.
    TProbe second(exe, "switch");
    EXPECT_EQ(second.WaitEnd(), 3);
  }
  GlobalDeleteAtom(stale);
  EXPECT_EQ(GlobalFindAtomW(exe.c_str()), 0);
}

// The guard within this program: the executable's path comes from a seam.
class TPathOf : public TDskExecutable {
 public:
  explicit TPathOf(std::string P) : FPath(std::move(P)) {}
  String Path() override { return FPath; }
  std::string FPath;
};

template <class T>
struct TLoadable : T {
  using T::T;
  using T::Loaded;
};

TEST(InstancesCheckerTest, TheAtomLivesWithTheGuardAndALongPathLeavesItOff) {
  TPathOf path("C:\\Horavox guard test\\Horavox.exe");
  TSeamScope<TDskExecutable> scope(path);
  auto guard = std::make_unique<TLoadable<TNeatInstancesChecker>>(nullptr);
  guard->Loaded();
  EXPECT_NE(guard->Atom(), -1);
  EXPECT_EQ(GlobalFindAtomW(L"c:\\HORAVOX GUARD TEST\\horavox.exe"), guard->Atom());
  guard.reset();
  EXPECT_EQ(GlobalFindAtomW(L"C:\\Horavox guard test\\Horavox.exe"), 0);

  path.FPath = "C:\\" + std::string(300, 'h') + ".exe";
  guard = std::make_unique<TLoadable<TNeatInstancesChecker>>(nullptr);
  EXPECT_NO_THROW(guard->Loaded());
  EXPECT_EQ(guard->Atom(), -1);
  EXPECT_FALSE(Application->DuplicateInstance());
}

TEST(WindowsInformantTest, RefreshesOnItsTimer) {
  TNeatWindowsInformant informant(nullptr);
  int updates = 0;
  informant.OnWindowsUpdated = [&](TObject*) { ++updates; };
  informant.SetInterval(50);
  informant.SetTimered(true);
  EXPECT_TRUE(PumpMessagesUntil([&] { return updates >= 2; }, 5000));
  EXPECT_GT(informant.Count(), 0);
  informant.SetTimered(false);
  int now = updates;
  PumpMessagesUntil([] { return false; }, 200);
  EXPECT_EQ(updates, now);
}

TEST(WindowsInformantTest, RecordsAKnownWindow) {
  HWND window = CreateWindowExW(0, L"STATIC", L"Informant probe", WS_POPUP | WS_VISIBLE, 30, 40, 120, 50, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  TNeatWindowsInformant informant(nullptr);
  std::vector<std::string> events;
  informant.OnWindowsUpdating = [&](TObject*) { events.push_back("updating " + std::to_string(informant.Count())); };
  informant.OnWindowsUpdated = [&](TObject*) { events.push_back("updated"); };
  informant.Refresh();
  EXPECT_EQ(events, (std::vector<std::string>{"updating 0", "updated"}));
  const TNeatWindowRecord* found = nullptr;
  for (int i = 0; i < informant.Count(); ++i)
    if (informant.Records(i)->Handle == window) found = informant.Records(i);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->Text, "Informant probe");
  EXPECT_EQ(AnsiUpperCase(found->ClassName), "STATIC");
  EXPECT_TRUE(found->Visible);
  EXPECT_TRUE(found->Enabled);
  EXPECT_FALSE(found->Minimized);
  EXPECT_EQ(found->WindowRect.left, 30);
  EXPECT_EQ(found->WindowRect.bottom, 90);
  EXPECT_EQ(found->ClientRect.right, 120);
  EXPECT_EQ(informant.Records(-1), nullptr);
  EXPECT_EQ(informant.Records(informant.Count()), nullptr);
  DestroyWindow(window);
}

}  // namespace
