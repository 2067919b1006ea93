#include "desktop/modalhook.h"

#include <algorithm>

#include "classlib/core/callbackguard.h"
#include "classlib/core/random.h"

HX_PUBLISH(TDskModalWatch, p) {
  p.Property("Active", &TDskModalWatch::GetActive, &TDskModalWatch::SetActive);
  p.Property("ResponseOnUser", &TDskModalWatch::ResponseOnUser, &TDskModalWatch::ResponseOnUser).Default(tlruAuto);
  p.Property("AnimMoveWindow", &TDskModalWatch::AnimMoveWindow, &TDskModalWatch::AnimMoveWindow)
      .Default(tlmvAnimRandom);
  p.Property("SpeedAnimSliding", &TDskModalWatch::GetSpeedAnimSliding, &TDskModalWatch::SetSpeedAnimSliding)
      .Default(10);
  p.Property("TimeSpeedAnim", &TDskModalWatch::TimeSpeedAnim, &TDskModalWatch::TimeSpeedAnim).Default(100);
  p.Property("PercentWindow", &TDskModalWatch::GetPercentWindow, &TDskModalWatch::SetPercentWindow).Default(30);
  p.Property("CountFlash", &TDskModalWatch::CountFlash, &TDskModalWatch::CountFlash).Default(3u);
}

namespace {

// The active components, oldest first, and the one hook that serves them.
std::vector<TDskModalWatch*> activeComponents;
HHOOK mouseHook = nullptr;

template <class F>
F UserFunction(const char* Name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), Name)));
}

using TAnimateWindow = BOOL(WINAPI*)(HWND, DWORD, DWORD);
using TFlashWindowEx = BOOL(WINAPI*)(PFLASHWINFO);

TDskModalCalls* installedCalls = nullptr;

}  // namespace

// ---- The system calls ----

LRESULT TDskModalCalls::CallNextHook(int Code, WPARAM WParam, LPARAM LParam) {
  return CallNextHookEx(mouseHook, Code, WParam, LParam);
}

bool TDskModalCalls::FlashCaption(HWND Window, unsigned Count, unsigned Timeout) {
  static auto flash = UserFunction<TFlashWindowEx>("FlashWindowEx");
  if (!flash) return false;
  FLASHWINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = Window;
  info.dwFlags = FLASHW_CAPTION;
  info.uCount = Count;
  info.dwTimeout = Timeout;
  flash(&info);
  return true;
}

bool TDskModalCalls::CanAnimate() { return UserFunction<TAnimateWindow>("AnimateWindow") != nullptr; }

bool TDskModalCalls::Animate(HWND Window, unsigned Time, unsigned Flags) {
  static auto animate = UserFunction<TAnimateWindow>("AnimateWindow");
  return animate && animate(Window, Time, Flags);
}

void TDskModalCalls::Pause(unsigned Ms) { Sleep(Ms); }

TDskModalCalls& DskModalCalls() {
  static TDskModalCalls system;
  return installedCalls ? *installedCalls : system;
}

TDskModalCallsScope::TDskModalCallsScope(TDskModalCalls& Calls) : FPrevious(installedCalls) {
  installedCalls = &Calls;
}

TDskModalCallsScope::~TDskModalCallsScope() { installedCalls = FPrevious; }

// ---- Pure rules ----

TDskResponseOnUser DskAutoResponse(TPoint WindowSize, TPoint ScreenSize, int Percent) {
  long long screen = static_cast<long long>(ScreenSize.X) * ScreenSize.Y;
  long long window = static_cast<long long>(WindowSize.X) * WindowSize.Y;
  long long share = screen > 0 ? window * 100 / screen : 0;
  return share > Percent ? tlruMoveMouse : tlruMoveWindow;
}

namespace {
// A step of up to 10 along one axis: toward the desktop from the edge that is off, never
// pushing the other edge off.
int AxisStep(int Low, int High, int DeskLow, int DeskHigh) {
  if (Low < DeskLow) return std::min(10, DeskHigh - High);
  if (High > DeskHigh) return -std::min(10, Low - DeskLow);
  return 0;
}
}  // namespace

std::vector<TPoint> DskStepsOntoDesktop(const TRect& Window, const TRect& Desktop) {
  std::vector<TPoint> steps;
  TRect r = Window;
  bool wide = r.Width() > Desktop.Width(), tall = r.Height() > Desktop.Height();
  if ((wide && r.Left != Desktop.Left) || (tall && r.Top != Desktop.Top)) {
    int dx = wide ? Desktop.Left - r.Left : 0, dy = tall ? Desktop.Top - r.Top : 0;
    r = Rect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy);
    steps.push_back({r.Left, r.Top});
  }
  for (;;) {
    int dx = wide ? 0 : AxisStep(r.Left, r.Right, Desktop.Left, Desktop.Right);
    int dy = tall ? 0 : AxisStep(r.Top, r.Bottom, Desktop.Top, Desktop.Bottom);
    if (dx == 0 && dy == 0) break;
    r = Rect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy);
    steps.push_back({r.Left, r.Top});
  }
  return steps;
}

// ---- TDskModalWatch ----

TDskModalWatch::TDskModalWatch(TComponent* AOwner) : TComponent(AOwner) { SetActive(true); }

TDskModalWatch::~TDskModalWatch() { SetActive(false); }

HHOOK TDskModalWatch::Hook() { return mouseHook; }

void TDskModalWatch::SetActive(bool Value) {
  FActive = Value;
  if (ComponentState().Contains(csDesigning)) return;
  auto at = std::find(activeComponents.begin(), activeComponents.end(), this);
  if (Value && at == activeComponents.end()) activeComponents.push_back(this);
  if (!Value && at != activeComponents.end()) activeComponents.erase(at);
  if (!activeComponents.empty() && !mouseHook)
    mouseHook = SetWindowsHookExW(WH_MOUSE, HookProc, nullptr, GetCurrentThreadId());
  if (activeComponents.empty() && mouseHook) {
    UnhookWindowsHookEx(mouseHook);
    mouseHook = nullptr;
  }
}

void TDskModalWatch::SetSpeedAnimSliding(int Value) { FSpeedAnimSliding = Value == 0 ? 1 : Value; }

void TDskModalWatch::SetPercentWindow(int Value) { FPercentWindow = std::clamp(Value, 1, 100); }

LRESULT CALLBACK TDskModalWatch::HookProc(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code >= 0 && WParam == WM_NCLBUTTONDOWN && !activeComponents.empty()) {
    const auto* info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(LParam);
    HWND window = info->hwnd;
    if (window && !IsWindowEnabled(window)) {
      // Wine reports every press on a disabled window here, its client area too.
      POINT client = info->pt;
      ScreenToClient(window, &client);
      RECT rc;
      GetClientRect(window, &rc);
      if (!PtInRect(&rc, client)) {
        TDskModalWatch* newest = activeComponents.back();
        GuardCallback([&] { newest->React({info->pt.x, info->pt.y}, window); });
      }
    }
  }
  LRESULT next = DskModalCalls().CallNextHook(Code, WParam, LParam);
  return Code >= 0 ? 0 : next;
}

void TDskModalWatch::React(TPoint Point, HWND Window) {
  HWND active = GetActiveWindow();
  if (!active) return;
  RECT wr;
  GetWindowRect(active, &wr);
  TDskResponseOnUser mode = ResponseOnUser;
  if (mode == tlruAuto)
    mode = DskAutoResponse({wr.right - wr.left, wr.bottom - wr.top},
                           {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, FPercentWindow);
  if (mode == tlruMoveMouse) GlideMouse(active, Point);
  else MoveWindowTo(active, Point, Window);
  if (CountFlash > 0) DskModalCalls().FlashCaption(active, CountFlash, 100);
}

void TDskModalWatch::MoveWindowTo(HWND Active, TPoint Point, HWND Clicked) {
  TDskModalCalls& calls = DskModalCalls();
  TDskAnimMoveWindow effect = AnimMoveWindow;
  if (effect == tlmvAnimRandom) {
    static const TDskAnimMoveWindow choices[] = {tlmvAnimSliding, tlmwAnimNot, tlmwAnimCenter};
    effect = calls.CanAnimate() ? choices[Random(3)] : tlmvAnimSliding;
  }
  if ((effect == tlmwAnimBlend || effect == tlmwAnimCenter) && !calls.CanAnimate()) effect = tlmvAnimSliding;
  RECT wr;
  GetWindowRect(Active, &wr);
  int w = wr.right - wr.left, h = wr.bottom - wr.top;
  int dx = Point.X - w / 2 - wr.left, dy = Point.Y - h / 2 - wr.top;
  unsigned pause = static_cast<unsigned>(std::max(TimeSpeedAnim, 0)) / 10;
  auto repaint = [Active] {
    LockWindowUpdate(Active);
    InvalidateRect(Active, nullptr, TRUE);
    LockWindowUpdate(nullptr);
  };
  switch (effect) {
    case tlmvAnimSliding: {
      int steps = std::max(FSpeedAnimSliding, 1);
      for (int i = 1; i <= steps; ++i) {
        MoveWindow(Active, wr.left + i * (dx / steps), wr.top + i * (dy / steps), w, h, TRUE);
        calls.Pause(pause);
      }
      break;
    }
    case tlmwAnimBlend:
      calls.Animate(Active, static_cast<unsigned>(TimeSpeedAnim), AW_HIDE | AW_BLEND);
      MoveWindow(Active, wr.left + dx, wr.top + dy, w, h, TRUE);
      calls.Animate(Active, static_cast<unsigned>(TimeSpeedAnim), AW_BLEND);
      repaint();
      break;
    case tlmwAnimCenter: {
      calls.Animate(Active, static_cast<unsigned>(TimeSpeedAnim), AW_HIDE | AW_CENTER);
      // What the modal window covered of the clicked one is painted anew.
      RECT clicked, covered;
      GetWindowRect(Clicked, &clicked);
      if (IntersectRect(&covered, &clicked, &wr)) {
        MapWindowPoints(nullptr, Clicked, reinterpret_cast<POINT*>(&covered), 2);
        InvalidateRect(Clicked, &covered, TRUE);
      }
      MoveWindow(Active, wr.left + dx, wr.top + dy, w, h, TRUE);
      calls.Animate(Active, static_cast<unsigned>(TimeSpeedAnim), AW_CENTER);
      repaint();
      break;
    }
    default:
      MoveWindow(Active, wr.left + dx, wr.top + dy, w, h, TRUE);
      break;
  }
  KeepOnDesktop(Active);
}

void TDskModalWatch::KeepOnDesktop(HWND Active) {
  RECT dr, wr;
  GetWindowRect(GetDesktopWindow(), &dr);
  GetWindowRect(Active, &wr);
  unsigned pause = static_cast<unsigned>(std::max(TimeSpeedAnim, 0)) / 10;
  for (TPoint p : DskStepsOntoDesktop(Rect(wr.left, wr.top, wr.right, wr.bottom),
                                      Rect(dr.left, dr.top, dr.right, dr.bottom))) {
    MoveWindow(Active, p.X, p.Y, wr.right - wr.left, wr.bottom - wr.top, TRUE);
    DskModalCalls().Pause(pause);
  }
}

void TDskModalWatch::GlideMouse(HWND Active, TPoint Point) {
  RECT wr;
  GetWindowRect(Active, &wr);
  int sw = std::max(GetSystemMetrics(SM_CXSCREEN), 1), sh = std::max(GetSystemMetrics(SM_CYSCREEN), 1);
  int cx = (wr.left + wr.right) / 2, cy = (wr.top + wr.bottom) / 2;
  int x0 = MulDiv(Point.X, 0xFFFF, sw), y0 = MulDiv(Point.Y, 0xFFFF, sh);
  int steps = std::max(FSpeedAnimSliding, 1);
  int sx = MulDiv(cx - Point.X, 0xFFFF, sw) / steps, sy = MulDiv(cy - Point.Y, 0xFFFF, sh) / steps;
  unsigned pause = static_cast<unsigned>(std::max(TimeSpeedAnim, 0)) / 10;
  for (int i = 1; i <= steps; ++i) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = x0 + i * sx;
    input.mi.dy = y0 + i * sy;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    DskModalCalls().Pause(pause);
  }
}
