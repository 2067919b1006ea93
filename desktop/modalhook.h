#pragma once
// TDskModalWatch: while a modal window is open, a press on the caption or frame of a window
// it disabled brings the modal window to the press (sliding, with a window effect or at
// once), or glides the mouse pointer to it when it is large, then flashes its caption.
// One mouse hook of the thread serves every active component; the newest active one
// reacts. Windows only.
#include <vector>

#include "classlib/core/component.h"
#include "classlib/core/geometry.h"
#include "classlib/core/winapi.h"

HX_ENUM(TDskResponseOnUser, tlruAuto, tlruMoveWindow, tlruMoveMouse);
HX_ENUM(TDskAnimMoveWindow, tlmvAnimRandom, tlmvAnimSliding, tlmwAnimBlend, tlmwAnimCenter, tlmwAnimNot);

// What the reaction asks of Windows beyond moving windows; tests install a recording one
// (TDskModalCallsScope).
class TDskModalCalls {
 public:
  virtual ~TDskModalCalls() = default;
  // The next hook of the chain.
  virtual LRESULT CallNextHook(int Code, WPARAM WParam, LPARAM LParam);
  // FlashWindowEx on the caption; false when the system lacks it.
  virtual bool FlashCaption(HWND Window, unsigned Count, unsigned Timeout);
  // Whether AnimateWindow exists, and the call itself (false when it is missing).
  virtual bool CanAnimate();
  virtual bool Animate(HWND Window, unsigned Time, unsigned Flags);
  // A pause between steps; no messages are handled meanwhile.
  virtual void Pause(unsigned Ms);
};

TDskModalCalls& DskModalCalls();

class TDskModalCallsScope {
 public:
  explicit TDskModalCallsScope(TDskModalCalls& Calls);
  ~TDskModalCallsScope();
  TDskModalCallsScope(const TDskModalCallsScope&) = delete;
  TDskModalCallsScope& operator=(const TDskModalCallsScope&) = delete;

 private:
  TDskModalCalls* FPrevious;
};

// tlruAuto's choice: the mouse goes to a window that covers more than Percent of the
// screen, the window comes to the mouse otherwise.
TDskResponseOnUser DskAutoResponse(TPoint WindowSize, TPoint ScreenSize, int Percent);
// The top-left corners a window at Window takes, step by step, to come back onto Desktop:
// 10 pixels a step (no step pushes the other edge off); a window larger than the desktop
// in a dimension is aligned to its left or top edge once.
std::vector<TPoint> DskStepsOntoDesktop(const TRect& Window, const TRect& Desktop);

class TDskModalWatch : public TComponent {
  HX_CLASS(TDskModalWatch, TComponent)
 public:
  // Active from the start.
  explicit TDskModalWatch(TComponent* AOwner);
  ~TDskModalWatch() override;

  bool GetActive() const { return FActive; }
  void SetActive(bool Value);
  TDskResponseOnUser ResponseOnUser = tlruAuto;
  TDskAnimMoveWindow AnimMoveWindow = tlmvAnimRandom;
  int GetSpeedAnimSliding() const { return FSpeedAnimSliding; }
  void SetSpeedAnimSliding(int Value);  // 0 stores 1
  // The window effect's duration in ms, and ten times the pause between steps.
  int TimeSpeedAnim = 100;
  // The share of the screen, in per cent (1..100), above which tlruAuto moves the mouse.
  int GetPercentWindow() const { return FPercentWindow; }
  void SetPercentWindow(int Value);
  // How often the caption flashes; 0 not at all.
  unsigned CountFlash = 3;

  // The thread's mouse hook: a left press on a disabled window outside its client area
  // makes the newest active component react. Always passes the message on.
  static LRESULT CALLBACK HookProc(int Code, WPARAM WParam, LPARAM LParam);
  // The hook installed for the active components (nullptr when none is active).
  static HHOOK Hook();

 protected:
  // Draws attention to the active window for a press at Point (screen) on Window.
  virtual void React(TPoint Point, HWND Window);

 private:
  void MoveWindowTo(HWND Active, TPoint Point, HWND Clicked);
  void GlideMouse(HWND Active, TPoint Point);
  void KeepOnDesktop(HWND Active);

  bool FActive = false;
  int FSpeedAnimSliding = 10;
  int FPercentWindow = 30;
};
