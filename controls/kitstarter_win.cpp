#include <cmath>

#include "classlib/windows/application.h"
#include "classlib/core/clock.h"
#include "classlib/core/files.h"
#include "classlib/windows/threads.h"
#include "classlib/core/unicode.h"
#include "controls/kitapp.h"
#include "controls/kitstarter.h"

HX_PUBLISH(TKitStarter, p) {
  p.Property("StartOperation", &TKitStarter::StartOperation, &TKitStarter::StartOperation).Default(smOpen);
  p.Property("StartOption", &TKitStarter::StartOption, &TKitStarter::StartOption).Default(soSW_SHOW);
  p.Property("Command", &TKitStarter::Command, &TKitStarter::Command).Default("");
  p.Property("Parameters", &TKitStarter::Parameters, &TKitStarter::Parameters).Default("");
  p.Property("DefaultDir", &TKitStarter::DefaultDir, &TKitStarter::DefaultDir).Default("");
  p.Property("AutoStart", &TKitStarter::GetAutoStart, &TKitStarter::SetAutoStart).Default(false);
  p.Property("StartTime", &TKitStarter::GetStartTime);
  p.Property("Wait", &TKitStarter::Wait, &TKitStarter::Wait).Default(false);
  p.Event("OnBeforeStart", &TKitStarter::OnBeforeStart);
  p.Event("OnAfterStart", &TKitStarter::OnAfterStart);
  p.Event("OnError", &TKitStarter::OnError);
  p.Event("OnFinished", &TKitStarter::OnFinished);
}

namespace {

class TWindowsStarterShell : public TKitStarterShell {
 public:
  bool Execute(SHELLEXECUTEINFOW& Info) override { return ShellExecuteExW(&Info) != 0; }
};

std::int64_t WholeSeconds(TDateTime Value) { return static_cast<std::int64_t>(std::floor(Value * 86400.0 + 1e-6)); }

// A start that comes later than this after its second is missed, not made up for.
constexpr std::int64_t kLatestStart = 15;

}  // namespace

TKitStarterShell& TKitStarterShell::System() {
  static TWindowsStarterShell shell;
  return shell;
}

const wchar_t* StarterVerb(TKitStarterOperation Operation) {
  switch (Operation) {
    case smPrint: return L"print";
    case smExplore: return L"explore";
    default: return L"open";
  }
}

int StarterShowCommand(TKitStarterOptions Option) {
  static const int kShow[] = {SW_HIDE,          SW_MAXIMIZE,          SW_MINIMIZE, SW_RESTORE, SW_SHOW,
                              SW_SHOWMAXIMIZED, SW_SHOWMINIMIZED, SW_SHOWMINNOACTIVE, SW_SHOWNA, SW_SHOWNORMAL};
  return kShow[Option];
}

String StarterExploreFolder(const String& Command) {
  size_t last = Command.find_last_of("\\:");
  if (last == String::npos) return Command;
  String folder = Command.substr(0, last + 1);
  if (folder.back() == ':') folder += '\\';
  return folder;
}

TKitStarter::TKitStarter(TComponent* AOwner) : TKitComponent(AOwner), FStartTime(std::make_unique<TKitDateTime>()) {
  FStartTimer = KitApplication()->AddTimer(1000, [this](TObject*) { CheckStartTime(); });
  if (!FStartTimer) throw EOutOfResources(kNoTimersText);
  KitApplication()->GetTimerItem(FStartTimer)->SetEnabled(false);
}

TKitStarter::~TKitStarter() {
  KitApplication()->RemoveTimer(FStartTimer);
  StopPolling();
  CloseProcess();
}

void TKitStarter::SetAutoStart(bool Value) {
  if (Value == FAutoStart) return;
  FAutoStart = Value;
  // A start time in the second now passing still counts.
  FLastCheck = WholeSeconds(Clock().Now()) - 1;
  if (TKitTimerItem* item = KitApplication()->GetTimerItem(FStartTimer)) {
    item->SetInterval(1000);
    item->SetEnabled(FAutoStart);
  }
}

void TKitStarter::CheckStartTime() {
  // Once when the start time's second falls between the previous check and this one, so
  // that neither a late tick nor two ticks in one second start it twice or not at all.
  std::int64_t now = WholeSeconds(Clock().Now());
  std::int64_t start = WholeSeconds(FStartTime->Value());
  std::int64_t previous = FLastCheck;
  FLastCheck = now;
  if (previous < start && start <= now && now - start <= kLatestStart) Execute();
}

void TKitStarter::Execute() {
  if (OnBeforeStart) OnBeforeStart(this);
  CloseProcess();
  std::wstring file, parameters, directory;
  if (StartOperation == smExplore) {
    file = Utf8ToWide(StarterExploreFolder(Command));
  } else {
    file = Utf8ToWide(Command);
    parameters = Utf8ToWide(Parameters);
    directory = Utf8ToWide(DefaultDir);
  }
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // No error dialog of the shell's own: failures are reported through OnError.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  TApplication* app = ExistingApplication();
  if (app && app->MainForm() && app->MainForm()->HandleAllocated()) info.hwnd = app->MainForm()->GetHandle();
  info.lpVerb = StarterVerb(StartOperation);
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = StarterShowCommand(StartOption);
  bool ok = TSeam<TKitStarterShell>::Get().Execute(info);
  DWORD lastError = ok ? 0 : GetLastError();
  auto code = reinterpret_cast<INT_PTR>(info.hInstApp);
  if (!ok || code <= 32) {
    if (info.hProcess) CloseHandle(info.hProcess);
    StopPolling();
    FErrorCode = code > 0 && code <= 32 ? static_cast<int>(code) : static_cast<int>(lastError);
    if (OnError) OnError(nullptr);
  } else {
    FErrorCode = 0;
    FProcess = info.hProcess;
    if (OnFinished && FProcess) {
      if (!FPollTimer) {
        FPollTimer = KitApplication()->AddTimer(500, [this](TObject*) { PollFinished(); });
        if (!FPollTimer) throw EOutOfResources(kNoTimersText);
      }
      KitApplication()->GetTimerItem(FPollTimer)->SetEnabled(true);
    }
    if (Wait && FProcess) {
      // The poll leaves the handle alone meanwhile; it reports the end after the wait.
      FWaiting = true;
      WaitWithMessages(FProcess, INFINITE, TWaitOptions{woDiscardInput});
      FWaiting = false;
    }
  }
  if (OnAfterStart) OnAfterStart(this);
}

void TKitStarter::PollFinished() {
  // The exit code cannot tell: 259 (STILL_ACTIVE) is also a code a program may end with.
  if (FWaiting) return;
  HANDLE process = FProcess;
  if (process && WaitForSingleObject(process, 0) != WAIT_OBJECT_0) return;
  StopPolling();
  if (!process) return;
  if (OnFinished) OnFinished(this);
  // OnFinished may have started the next program, which closed this one's handle.
  if (FProcess == process) CloseProcess();
}

void TKitStarter::StopPolling() {
  if (!FPollTimer) return;
  KitApplication()->RemoveTimer(FPollTimer);
  FPollTimer = 0;
}

void TKitStarter::CloseProcess() {
  if (!FProcess) return;
  CloseHandle(FProcess);
  FProcess = nullptr;
}
