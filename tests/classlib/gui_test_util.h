#pragma once
// Helpers of the window tests: pumping the main thread's messages until something
// happens, and a watcher thread that finds the dialogs the main thread shows and answers
// them as a user would.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "classlib/windows/application.h"
#include "classlib/core/geometry.h"
#include "classlib/windows/pictures.h"
#include "classlib/core/winapi.h"

namespace guitest {

// A screen of the given density (install it with TSeamScope<TScreenDpi>).
class TFixedDpi : public TScreenDpi {
 public:
  explicit TFixedDpi(int Value) : FValue(Value) {}
  int PixelsPerInch() override { return FValue; }

 private:
  int FValue;
};

// Handles the main thread's messages until Done() or the deadline; false on the deadline.
bool PumpUntil(const std::function<bool()>& Done, DWORD DeadlineMs = 10000);
// Handles messages for a while (so posted work and paints are done).
void PumpFor(DWORD Ms);
// Makes the window the foreground window again and waits until it is: the test programs
// share one display, so a window another program shows may have taken the keyboard focus.
bool BringToFront(HWND Window, DWORD DeadlineMs = 3000);

// A left click of the mouse itself at a screen point (the cursor moves there), then the
// messages it caused handled. Tests that use it run alone: the desktop's mouse is shared.
void ClickScreen(TPoint At);
// The mouse itself in steps, as a user drags: the cursor moved to a screen point with a
// move the windows see, a button pressed or let go where it is (MOUSEEVENTF_LEFTDOWN ...),
// a key pressed and let go; each step's messages handled. Shared like ClickScreen.
void MoveMouse(TPoint At);
void MouseButton(DWORD Flags);
void PressKey(WORD Key);

std::wstring ClassOf(HWND Window);
std::wstring TextOf(HWND Window);
// A child window with this text (buttons) or of this class; nullptr when none.
HWND FindChildByText(HWND Parent, const std::wstring& Text);
HWND FindChildByClass(HWND Parent, const std::wstring& ClassName);

// Watches, from its own thread, for new visible top-level windows of a thread whose
// caption or class matches, and acts on each once (as a user would answer a dialog).
class TDialogWatcher {
 public:
  using TAct = std::function<void(HWND Window)>;
  TDialogWatcher(DWORD ThreadId, std::function<bool(HWND)> Matches, TAct Act);
  ~TDialogWatcher();
  int Seen() const { return FSeen; }

 private:
  void Run();
  DWORD FThreadId;
  std::function<bool(HWND)> FMatches;
  TAct FAct;
  std::atomic<bool> FStop{false};
  std::atomic<int> FSeen{0};
  std::set<HWND> FKnown;
  std::thread FThread;
};

// The text of a message box (its static text, control 0xFFFF).
std::wstring MessageBoxText(HWND Dialog);

// A child window's rectangle in its parent's client coordinates.
TRect ChildRect(HWND Child);
// The window's pixels as painted (its client area, or the whole window).
std::unique_ptr<TBitmap> Capture(HWND Window, bool Whole);
// Saves the whole window as a 24-bit bitmap under the build tree's test-artifacts/ for a
// person to look at.
void SaveScreenshot(HWND Window, const std::string& FileName);

}  // namespace guitest
