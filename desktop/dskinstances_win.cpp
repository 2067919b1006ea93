#include "desktop/dskinstances.h"

#include "classlib/windows/application.h"
#include "classlib/core/unicode.h"
#include "classlib/core/utilwindow.h"
#include "desktop/dskexecutable.h"

HX_PUBLISH(TNeatWindowsInformant, p) {
  p.Property("Interval", &TNeatWindowsInformant::GetInterval, &TNeatWindowsInformant::SetInterval).Default(1000);
  p.Property("Timered", &TNeatWindowsInformant::GetTimered, &TNeatWindowsInformant::SetTimered).Default(false);
  p.Event("OnWindowsUpdating", &TNeatWindowsInformant::OnWindowsUpdating);
  p.Event("OnWindowsUpdated", &TNeatWindowsInformant::OnWindowsUpdated);
}

HX_PUBLISH(TNeatInstancesChecker, p) {
  p.Property("InstanceAction", &TNeatInstancesChecker::InstanceAction, &TNeatInstancesChecker::InstanceAction)
      .Default(iaSwitchToPrevious);
}

// ---- The executable ----

String TDskExecutable::Path() { return Application->ExeName(); }

TDskExecutable& TDskExecutable::System() {
  static TDskExecutable executable;
  return executable;
}

// ---- Window records ----

TNeatWindowRecord ReadWindowRecord(HWND Window) {
  TNeatWindowRecord record;
  wchar_t text[256] = {};
  GetWindowTextW(Window, text, 256);
  record.Text = WideToUtf8(text);
  wchar_t className[256] = {};
  GetClassNameW(Window, className, 256);
  record.ClassName = WideToUtf8(className);
  record.Handle = Window;
  record.Style = GetWindowLongPtrW(Window, GWL_STYLE);
  record.ExStyle = GetWindowLongPtrW(Window, GWL_EXSTYLE);
  GetWindowRect(Window, &record.WindowRect);
  GetClientRect(Window, &record.ClientRect);
  record.Enabled = IsWindowEnabled(Window) != 0;
  record.Visible = IsWindowVisible(Window) != 0;
  record.Maximized = IsZoomed(Window) != 0;
  record.Minimized = IsIconic(Window) != 0;
  return record;
}

// ---- TNeatWindowsInformant ----

TNeatWindowsInformant::TNeatWindowsInformant(TComponent* AOwner) : TComponent(AOwner) {
  FWindow = CreateUtilityWindow([this](TMessage& m) { WndProc(m); });
}

TNeatWindowsInformant::~TNeatWindowsInformant() {
  KillTimer(FWindow, 0);
  DestroyUtilityWindow(FWindow);
}

void TNeatWindowsInformant::WndProc(TMessage& Message) {
  if (Message.Msg == WM_TIMER) {
    Refresh();
    return;
  }
  Message.Result = DefWindowProcW(FWindow, Message.Msg, Message.WParam, Message.LParam);
}

void TNeatWindowsInformant::Refresh() {
  if (OnWindowsUpdating) OnWindowsUpdating(this);
  FRecords.clear();
  auto add = [](HWND Window, LPARAM Param) -> BOOL {
    reinterpret_cast<std::vector<TNeatWindowRecord>*>(Param)->push_back(ReadWindowRecord(Window));
    return TRUE;
  };
  if (FParentWindow) EnumChildWindows(FParentWindow, add, reinterpret_cast<LPARAM>(&FRecords));
  else EnumWindows(add, reinterpret_cast<LPARAM>(&FRecords));
  if (OnWindowsUpdated) OnWindowsUpdated(this);
}

const TNeatWindowRecord* TNeatWindowsInformant::Records(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return &FRecords[static_cast<size_t>(Index)];
}

void TNeatWindowsInformant::SetInterval(std::uint32_t Value) {
  FInterval = Value;
  UpdateTimer();
}

void TNeatWindowsInformant::SetTimered(bool Value) {
  FTimered = Value;
  UpdateTimer();
}

void TNeatWindowsInformant::UpdateTimer() {
  KillTimer(FWindow, 0);
  if (FInterval != 0 && FTimered && !SetTimer(FWindow, 0, FInterval, nullptr))
    throw EOutOfResources("Not enough timers available");
}

// ---- TNeatInstancesChecker ----

namespace {

// Serialises the look-up and the add of the atom between starts of the program.
class TGuardMutex {
 public:
  TGuardMutex() : FMutex(CreateMutexW(nullptr, FALSE, L"HoravoxInstanceGuard")) {
    if (FMutex) FOwned = WaitForSingleObject(FMutex, 5000) != WAIT_TIMEOUT;
  }
  ~TGuardMutex() {
    if (FOwned) ReleaseMutex(FMutex);
    if (FMutex) CloseHandle(FMutex);
  }
  TGuardMutex(const TGuardMutex&) = delete;
  TGuardMutex& operator=(const TGuardMutex&) = delete;

 private:
  HANDLE FMutex;
  bool FOwned = false;
};

constexpr size_t kMaxAtomName = 255;

}  // namespace

TNeatInstancesChecker::TNeatInstancesChecker(TComponent* AOwner) : TComponent(AOwner) {}

TNeatInstancesChecker::~TNeatInstancesChecker() {
  if (FAtom != -1) GlobalDeleteAtom(static_cast<ATOM>(FAtom));
}

void TNeatInstancesChecker::Loaded() {
  TComponent::Loaded();
  std::wstring path = Utf8ToWide(TSeam<TDskExecutable>::Get().Path());
  if (path.empty() || path.size() > kMaxAtomName) return;  // no atom can name it: the guard is off
  {
    TGuardMutex guard;
    if (!GlobalFindAtomW(path.c_str())) {
      ATOM atom = GlobalAddAtomW(path.c_str());
      if (atom) FAtom = atom;
      return;
    }
  }
  OtherInstance();
}

void TNeatInstancesChecker::OtherInstance() {
  HWND own = Application->Handle();
  TNeatWindowRecord self = ReadWindowRecord(own);
  TNeatWindowsInformant informant(nullptr);
  informant.SetParentWindow(GetDesktopWindow());
  informant.Refresh();
  std::vector<HWND> found;
  for (int i = 0; i < informant.Count(); ++i) {
    const TNeatWindowRecord* record = informant.Records(i);
    if (record->Handle != own && record->Text == self.Text && record->ClassName == self.ClassName)
      found.push_back(record->Handle);
  }
  // No window answers an atom left behind by a start that ended without deleting it: this
  // start runs on, without an atom of its own.
  if (found.empty() || InstanceAction == iaStartNew) return;
  // Another program's window may hang: no wait without end.
  auto send = [](HWND Window, UINT Msg, WPARAM WParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(Window, Msg, WParam, 0, SMTO_ABORTIFHUNG, 5000, &result);
  };
  if (InstanceAction == iaSwitchToPrevious) {
    HWND previous = found.back();
    // As its task-bar button does: a minimised program comes back first.
    if (IsIconic(previous)) send(previous, WM_SYSCOMMAND, SC_RESTORE);
    SetForegroundWindow(GetLastActivePopup(previous));
  } else {
    for (HWND window : found) send(window, WM_CLOSE, 0);
  }
  Application->TerminateDuplicate();
}
