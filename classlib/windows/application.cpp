#include "classlib/windows/application.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <vector>

#include "classlib/core/callbackguard.h"
#include "classlib/windows/dragdrop.h"
#include "classlib/core/filer.h"
#include "classlib/core/files.h"
#include "classlib/core/lists.h"
#include "classlib/core/text.h"
#include "classlib/windows/threads.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TApplication, p) {}
HX_PUBLISH(TScreen, p) {}
HX_PUBLISH(THintWindow, p) {}

namespace {
TApplication* application = nullptr;
TScreen* screen = nullptr;
}  // namespace

TApplication* GetApplication() {
  if (!application) new TApplication(nullptr);
  return application;
}

TApplication* ExistingApplication() { return application; }

TScreen* GetScreen() {
  if (!screen) new TScreen(nullptr);
  return screen;
}

TScreen* ExistingScreen() { return screen; }

TControlHost* ApplicationHost() { return application; }

void DestroyApplication() {
  delete application;
  delete screen;
}

String GetShortHint(const String& Hint) {
  size_t bar = Hint.find('|');
  return bar == String::npos ? Hint : Hint.substr(0, bar);
}

String GetLongHint(const String& Hint) {
  size_t bar = Hint.find('|');
  return bar == String::npos ? Hint : Hint.substr(bar + 1);
}

// ---- THintWindow ----

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clInfoBk);
  GetFont()->SetColor(clInfoText);
  TControl::SetVisible(false);
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WndParent = nullptr;
  Params.WindowClass.style |= CS_SAVEBITS;
}

void THintWindow::ActivateHint(TPoint ScreenPos, const String& Text) {
  SetText(Text);
  HWND window = GetHandle();
  TCanvas* canvas = Canvas();
  canvas->GetFont()->Assign(GetFont());
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, GetFont()->GetHandle());
  RECT r{0, 0, 300, 0};
  std::wstring text = Utf8ToWide(Text);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  int width = r.right + 8, height = r.bottom + 4;
  TScreen* screen = GetScreen();
  int x = std::min(ScreenPos.X, screen->DesktopRect().Right - width);
  int y = std::min(ScreenPos.Y, screen->DesktopRect().Bottom - height);
  SetWindowPos(window, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  FShown = true;
  Invalidate();
}

void THintWindow::ReleaseHint() {
  if (FShown && HandleAllocated()) ShowWindow(GetHandle(), SW_HIDE);
  FShown = false;
}

void THintWindow::Paint() {
  TCanvas* canvas = Canvas();
  canvas->GetBrush()->SetColor(GetColor());
  canvas->FillRect(ClientRect());
  canvas->GetFont()->Assign(GetFont());
  canvas->GetBrush()->SetStyle(bsClear);
  RECT r{2, 2, ClientRect().Right - 2, ClientRect().Bottom - 2};
  std::wstring text = Utf8ToWide(GetText());
  DrawTextW(canvas->GetHandle(), text.c_str(), static_cast<int>(text.size()), &r, DT_WORDBREAK | DT_NOPREFIX);
}

void THintWindow::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_NCHITTEST) {
    Message.Result = HTTRANSPARENT;
    return;
  }
  TCustomControl::Dispatch(Message);
}

// ---- TApplication ----

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  if (application) throw EInvalidOperation("There is one application object already");
  application = this;
  FTitle = ChangeFileExt(ExtractFileName(ExeName()), "");
  FIcon = std::make_unique<TIcon>();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (auto icon = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)))
    FIcon->SetHandle(icon);
  else
    FIcon->SetHandle(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)), true);
  FIcon->OnChange = [this](TObject*) { IconChanged(); };

  static const wchar_t kClassName[] = L"TApplication";
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = AppWndProc;
  wc.hInstance = instance;
  wc.hIcon = FIcon->GetHandle();
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // fails harmlessly when registered already
  int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
  FHandle = CreateWindowExW(0, kClassName, Utf8ToWide(FTitle).c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                            nullptr, nullptr, instance, nullptr);
  if (!FHandle) {
    application = nullptr;
    throw EOutOfResources("Cannot create the application window: " + SysErrorMessage(GetLastError()));
  }
  SetWindowLongPtrW(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  IconChanged();

  FPreviousHandler = SetCallbackExceptionHandler([](std::exception_ptr e) {
    // A worker's exception is shown by the main thread, as every dialog is.
    auto handle = [e] {
      if (TApplication* app = ExistingApplication()) app->HandleException(e);
    };
    if (IsMainThread()) handle();
    else TThread::Queue(nullptr, handle);
  });
  HWND handle = FHandle;
  SetWakeMainThread([handle] { PostMessageW(handle, WM_NULL, 0, 0); });
  // References to components of other forms ("Form3.Storage") find the forms by name.
  FFindGlobalToken = RegisterFindGlobalComponent([](const String& Name) -> TComponent* {
    TScreen* s = ExistingScreen();
    for (int i = 0; s && i < s->FormCount(); ++i)
      if (SameText(s->Forms(i)->GetName(), Name)) return s->Forms(i);
    return nullptr;
  });
}

TApplication::~TApplication() {
  Destroying();
  StopHintTimers();
  delete FHintWindow;
  FHintWindow = nullptr;
  // The forms go while the application still stands: they tell it as they go.
  DestroyComponents();
  UnregisterFindGlobalComponent(FFindGlobalToken);
  SetWakeMainThread(nullptr);
  SetCallbackExceptionHandler(FPreviousHandler);
  SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
  DestroyWindow(FHandle);
  application = nullptr;
}

String TApplication::ExeName() const {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return WideToUtf8(path);
    }
    path.resize(path.size() * 2);
  }
}

void TApplication::SetTitle(const String& Value) {
  FTitle = Value;
  SetWindowTextW(FHandle, Utf8ToWide(Value).c_str());
}

void TApplication::IconChanged() {
  HICON icon = FIcon->Empty() ? nullptr : FIcon->GetHandle();
  SendMessageW(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(FHandle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void TApplication::FormDestroyed(TCustomForm* Form) {
  if (FMainForm == Form) FMainForm = nullptr;
  if (FHintControl && (FHintControl == Form || GetParentForm(FHintControl) == Form)) {
    CancelHint();
    FHintControl = nullptr;
  }
}

// ---- The loop ----

void TApplication::Run() {
  if (!FMainForm) return;
  if (FShowMainForm) {
    ShowWindow(FHandle, SW_SHOWNOACTIVATE);  // the task-bar button
    FMainForm->Show();  // as its WindowState says
  }
  while (!FTerminate) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TApplication::Terminate() { PostQuitMessage(0); }

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminate = true;
    return true;
  }
  bool handled = false;
  if (OnMessage) OnMessage(Msg, handled);
  if (handled) return true;
  if (FHintWindow && FHintWindow->IsShown() &&
      ((Msg.message >= WM_KEYFIRST && Msg.message <= WM_KEYLAST) || Msg.message == WM_LBUTTONDOWN ||
       Msg.message == WM_RBUTTONDOWN || Msg.message == WM_NCLBUTTONDOWN))
    CancelHint();
  if (IsKeyMsg(Msg)) return true;
  TranslateMessage(&Msg);
  DispatchMessageW(&Msg);
  return true;
}

bool TApplication::IsKeyMsg(MSG& Msg) {
  // Keys go to our control first (before translation), so dialog keys can be taken.
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  TWinControl* control = nullptr;
  for (HWND w = Msg.hwnd; w && !control; w = GetParent(w)) control = FindControl(w);
  if (!control) return false;
  return control->Perform(CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

void TApplication::Idle() {
  bool done = true;
  if (OnIdle) {
    try {
      OnIdle(this, done);
    } catch (...) {
      HandleException(this);
    }
  }
  FreeDeviceContexts();
  CheckSynchronize();
  if (done) WaitMessage();
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle();
}

bool TApplication::RequestHelpContext(int HelpContext) {
  bool handled = false;
  if (OnHelp) OnHelp(HelpContext, handled);
  return handled;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
  CheckSynchronize();
}

// ---- Minimise and restore ----

void TApplication::Minimize() {
  if (IsIconic(FHandle)) return;
  ShowWindow(FHandle, SW_MINIMIZE);
  // The windows the application owns go with it. Windows hides them itself, Wine does not:
  // they are hidden here, and shown again by Restore.
  FMinimizedWindows.clear();
  for (HWND window : ThreadWindows()) {
    if (!IsWindowVisible(window)) continue;
    for (HWND owner = GetWindow(window, GW_OWNER); owner; owner = GetWindow(owner, GW_OWNER))
      if (owner == FHandle) {
        FMinimizedWindows.push_back(window);
        break;
      }
  }
  for (HWND window : FMinimizedWindows) ShowWindow(window, SW_HIDE);
  OnMinimize(this);
}

void TApplication::Restore() {
  if (!IsIconic(FHandle)) return;
  ShowWindow(FHandle, SW_RESTORE);
  // What Minimize hid, unless it went meanwhile (a form hidden or shown on its own).
  std::vector<HWND> hidden = std::move(FMinimizedWindows);
  FMinimizedWindows.clear();
  for (HWND window : hidden) {
    if (!IsWindow(window) || IsWindowVisible(window)) continue;
    if (auto* form = dynamic_cast<TCustomForm*>(FindControl(window)); form && !form->GetVisible()) continue;
    ShowWindow(window, SW_SHOWNOACTIVATE);
  }
  if (TWinControl* control = GetScreen()->ActiveControl(); control && control->HandleAllocated())
    ::SetFocus(control->GetHandle());
  OnRestore(this);
}

void TApplication::BringToFront() {
  HWND top = GetLastActivePopup(FHandle);
  if (FMainForm && top == FHandle && FMainForm->HandleAllocated()) top = FMainForm->GetHandle();
  if (top && IsWindowVisible(top) && IsWindowEnabled(top)) SetForegroundWindow(top);
}

void TApplication::RestoreTopMosts() {
  std::set<HWND> stayOnTop;
  if (TScreen* screen = ExistingScreen())
    for (int i = 0; i < screen->FormCount(); ++i) {
      TCustomForm* form = screen->Forms(i);
      if (form->GetFormStyle() == fsStayOnTop && form->HandleAllocated()) stayOnTop.insert(form->GetHandle());
    }
  struct TFound {
    DWORD Process;
    std::vector<HWND> Windows;
  } found{GetCurrentProcessId(), {}};
  EnumWindows(
      [](HWND Window, LPARAM Data) -> BOOL {
        auto* f = reinterpret_cast<TFound*>(Data);
        DWORD process = 0;
        GetWindowThreadProcessId(Window, &process);
        if (process == f->Process && IsWindowVisible(Window)) f->Windows.push_back(Window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  // Listed from the top down: the lowest goes up first, so their order stays.
  for (auto it = found.Windows.rbegin(); it != found.Windows.rend(); ++it) {
    bool topMost = (GetWindowLongPtrW(*it, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 || stayOnTop.count(*it);
    if (topMost)
      SetWindowPos(*it, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  }
}

// ---- Exceptions ----

void TApplication::HandleException(TObject* Sender) { HandleException(std::current_exception(), Sender); }

void TApplication::HandleException(std::exception_ptr E, TObject* Sender) {
  if (!E) return;
  auto report = [&](const std::exception& x) {
    try {
      if (OnException) OnException(Sender, x);
      else ShowException(x);
    } catch (...) {
      // The reporter failed too: nothing left to report with.
    }
  };
  try {
    std::rethrow_exception(E);
  } catch (const EAbort&) {
  } catch (const std::exception& x) {
    report(x);
  } catch (...) {
    report(Exception("Unknown exception"));
  }
}

void TApplication::ShowException(const std::exception& E) { MessageBox(E.what(), FTitle, MB_OK | MB_ICONSTOP); }

int TApplication::MessageBox(const String& Text, const String& Caption, UINT Flags) {
  HWND owner = GetActiveWindow();
  if (!owner) owner = FHandle;
  CancelHint();
  if (StayOnTopFormShown()) Flags |= MB_TOPMOST;  // not hidden behind it
  return MessageBoxW(owner, Utf8ToWide(Text).c_str(), Utf8ToWide(Caption.empty() ? FTitle : Caption).c_str(), Flags);
}

// ---- The application window ----

int TApplication::HookMainWindow(TMainWindowHook Hook) {
  FHooks.emplace_back(FNextHook, std::move(Hook));
  return FNextHook++;
}

void TApplication::UnhookMainWindow(int Token) {
  FHooks.erase(std::remove_if(FHooks.begin(), FHooks.end(), [Token](auto& h) { return h.first == Token; }),
               FHooks.end());
}

LRESULT CALLBACK TApplication::AppWndProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* app = reinterpret_cast<TApplication*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (!app) return DefWindowProcW(Window, Msg, WParam, LParam);
  TMessage message{Msg, WParam, LParam, 0};
  GuardCallback([&] { app->WndProc(message); });
  return message.Result;
}

void TApplication::WndProc(TMessage& Message) {
  auto hooks = FHooks;  // a hook may unhook itself
  for (auto& [token, hook] : hooks)
    if (hook && hook(Message)) return;
  switch (Message.Msg) {
    case WM_SYSCOMMAND:
      switch (Message.WParam & 0xFFF0) {
        case SC_MINIMIZE: Minimize(); return;
        case SC_RESTORE: Restore(); return;
      }
      break;
    case WM_CLOSE:
      if (FMainForm) FMainForm->Close();
      return;
    case WM_ACTIVATEAPP:
      FActive = Message.WParam != 0;
      if (!FActive) CancelHint();
      if (FActive && OnActivate) OnActivate(this);
      if (!FActive && OnDeactivate) OnDeactivate(this);
      break;
    case WM_ACTIVATE:
      // Activating the application window activates the form that was active.
      if (LOWORD(Message.WParam) != WA_INACTIVE && !IsIconic(FHandle)) {
        HWND popup = GetLastActivePopup(FHandle);
        if (popup == FHandle && FMainForm && FMainForm->HandleAllocated() && IsWindowVisible(FMainForm->GetHandle()))
          popup = FMainForm->GetHandle();
        if (popup != FHandle && IsWindowVisible(popup) && IsWindowEnabled(popup)) {
          SetActiveWindow(popup);
          return;
        }
      }
      break;
    case WM_QUERYENDSESSION:
      Message.Result = !FMainForm || FMainForm->CloseQuery();
      return;
    case WM_ENDSESSION:
      if (Message.WParam) FTerminate = true;
      return;
    case WM_NULL:
      CheckSynchronize();
      return;
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
      // From a top-level control the application window owns (a drop-down): handed back
      // to the control, as a parent reflects its children's.
      HWND from = Message.Msg != WM_DRAWITEM ? reinterpret_cast<HWND>(Message.LParam)
                  : Message.WParam ? reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam)->hwndItem
                                   : nullptr;  // a menu's item
      if (TWinControl* control = from ? FindControl(from) : nullptr) {
        Message.Result = control->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    }
  }
  Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

// ---- Hints ----

void TApplication::SetHint(const String& Value) {
  if (Value == FHint) return;
  FHint = Value;
  if (OnHint) OnHint(this);
}

void TApplication::SetShowHint(bool Value) {
  FShowHint = Value;
  if (!Value) CancelHint();
}

void TApplication::StopHintTimers() {
  // Only on the service still in use: a test's virtual clock may be gone.
  if (FHintClock && FHintClock == &Clock()) {
    if (FHintTimer) FHintClock->StopTimer(FHintTimer);
    if (FHintHideTimer) FHintClock->StopTimer(FHintHideTimer);
  }
  FHintTimer = FHintHideTimer = 0;
  FHintClock = nullptr;
}

void TApplication::CancelHint() {
  StopHintTimers();
  if (FHintWindow) FHintWindow->ReleaseHint();
}

void TApplication::MouseControlChanged(TControl* Control) {
  CancelHint();
  FHintControl = Control;
  SetHint(Control ? GetLongHint(Control->GetHint()) : String());
  TControl* shows = Control ? Control->HintControl() : nullptr;
  if (!FShowHint || !shows || GetShortHint(Control->GetHint()).empty()) return;
  FHintClock = &Clock();
  FHintTimer = FHintClock->StartTimer(static_cast<std::uint32_t>(std::max(FHintPause, 1)), [this] { ShowHintNow(); });
}

// ---- The host of the controls: the screen's part and the drag's ----

void TApplication::ControlDestroyed(TWinControl* Control) {
  if (screen && screen->ActiveControl() == Control) screen->ControlDestroyed(Control);
}

TCursor TApplication::ScreenCursor() { return screen ? screen->GetCursor() : crDefault; }

HCURSOR TApplication::CursorHandle(TCursor Cursor) { return GetScreen()->Cursors(Cursor); }

bool TApplication::DragMouseMessage(TControl* Receiver, TMessage& Message) {
  return TDragSession::MouseMessage(Receiver, Message);
}

bool TApplication::IsDragSource(const TControl* Control) { return TDragSession::IsSource(Control); }

bool TApplication::DragEscape() { return TDragSession::Escape(); }

void TApplication::DragCaptureChanged(HWND Window, HWND NewCapture) { TDragSession::CaptureChanged(Window, NewCapture); }

void TApplication::DragControlDestroyed(TControl* Control) { TDragSession::ControlDestroyed(Control); }

void TApplication::ShowHintNow() {
  StopHintTimers();
  if (!FHintControl) return;
  String text = GetShortHint(FHintControl->GetHint());
  if (text.empty()) return;
  if (!FHintWindow) FHintWindow = new THintWindow(this);
  FHintWindow->SetColor(FHintColor);
  POINT p{};
  GetCursorPos(&p);
  FHintWindow->ActivateHint({p.x, p.y + 20}, text);
  FHintClock = &Clock();
  if (FHintHidePause > 0)
    FHintHideTimer = FHintClock->StartTimer(static_cast<std::uint32_t>(FHintHidePause), [this] { CancelHint(); });
}

// ---- TScreen ----

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {
  if (screen) throw EInvalidOperation("There is one screen object already");
  screen = this;
}

TScreen::~TScreen() {
  for (auto& [index, cursor] : FCursors) DestroyCursor(cursor);
  screen = nullptr;
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }
int TScreenDpi::PixelsPerInch() { return ScreenPixelsPerInch(); }

TScreenDpi& TScreenDpi::System() {
  static TScreenDpi system;
  return system;
}

int TScreen::PixelsPerInch() const { return TSeam<TScreenDpi>::Get().PixelsPerInch(); }

TRect TScreen::WorkAreaRect() const {
  RECT r{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return Rect(0, 0, Width(), Height());
  return Rect(r.left, r.top, r.right, r.bottom);
}

TRect TScreen::DesktopRect() const {
  int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (w <= 0 || h <= 0) return Rect(0, 0, Width(), Height());
  return Bounds(x, y, w, h);
}

TCustomForm* TScreen::Forms(int Index) const {
  if (Index < 0 || Index >= FormCount()) ListIndexError(Index);
  return FForms[static_cast<size_t>(Index)];
}

void TScreen::AddForm(TCustomForm* Form) { FForms.push_back(Form); }

void TScreen::RemoveForm(TCustomForm* Form) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
  if (FActiveForm == Form) FActiveForm = nullptr;
  if (FActiveControl && GetParentForm(FActiveControl) == Form) FActiveControl = nullptr;
}

void TScreen::SetActiveForm(TCustomForm* Form) {
  if (Form == FActiveForm) return;
  FActiveForm = Form;
  if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetActiveControl(TWinControl* Control) {
  if (Control == FActiveControl) return;
  FActiveControl = Control;
  if (OnActiveControlChange) OnActiveControlChange(this);
}

void TScreen::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  RefreshCursor();
}

void TScreen::RefreshCursor() {
  POINT p{};
  GetCursorPos(&p);
  if (FCursor != crDefault) {
    ::SetCursor(Cursors(FCursor));
  } else if (HWND window = WindowFromPoint(p); window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    // Only our own windows are asked: another program's may not answer.
    LRESULT hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(hit, WM_MOUSEMOVE));
  }
}

namespace {
// The drag cursor: the arrow with a sheet below it on the right. '#' black, '.' white,
// the rest transparent.
HCURSOR MakeDragCursor() {
  static const char* const kRows[] = {
      "#",
      "##",
      "#.#",
      "#..#",
      "#...#",
      "#....#",
      "#.....#",
      "#......#",
      "#.......#",
      "#........#",
      "#.....#####",
      "#..#..#",
      "#.# #..#",
      "##  #..#",
      "#    #..#",
      "     #..#",
      "      ##",
      "",
      "       ###########",
      "       #.........#",
      "       #.........#",
      "       #.........#",
      "       #.........#",
      "       #.........#",
      "       #.........#",
      "       ###########",
  };
  constexpr int kSize = 32, kStride = kSize / 8;
  BYTE andMask[kSize * kStride], xorMask[kSize * kStride];
  std::fill(std::begin(andMask), std::end(andMask), BYTE{0xFF});
  std::fill(std::begin(xorMask), std::end(xorMask), BYTE{0});
  for (int y = 0; y < static_cast<int>(std::size(kRows)); ++y)
    for (int x = 0; kRows[y][x]; ++x) {
      if (kRows[y][x] == ' ') continue;
      BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
      andMask[y * kStride + x / 8] &= static_cast<BYTE>(~bit);
      if (kRows[y][x] == '.') xorMask[y * kStride + x / 8] |= bit;
    }
  return CreateCursor(GetModuleHandleW(nullptr), 0, 0, kSize, kSize, andMask, xorMask);
}
}  // namespace

HCURSOR TScreen::Cursors(int Index) const {
  auto own = FCursors.find(Index);
  if (own != FCursors.end()) return own->second;
  LPCWSTR id = IDC_ARROW;
  switch (Index) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS:
    case crVSplit: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE:
    case crHSplit: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass:
    case crSQLWait: id = IDC_WAIT; break;
    case crNo:
    case crNoDrop: id = IDC_NO; break;
    case crDrag: {
      static const HCURSOR drag = MakeDragCursor();  // lives as long as the program
      if (drag) return drag;
      break;
    }
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: break;
  }
  return LoadCursorW(nullptr, id);
}

void TScreen::SetCursors(int Index, HCURSOR Value) {
  auto it = FCursors.find(Index);
  if (it != FCursors.end()) {
    if (it->second == Value) return;
    DestroyCursor(it->second);
    FCursors.erase(it);
  }
  if (Value) FCursors[Index] = Value;
}
