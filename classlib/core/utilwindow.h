#pragma once
// Utility windows: hidden windows whose messages go to a procedure of a component that is no
// window (MCI's MM_MCINOTIFY, tray callbacks, hotkeys, timers). The procedures run under
// GuardCallback, so no exception leaves them. Windows only.
//
// TUtilityWindow is a message-only window owned by an object. CreateUtilityWindow (also
// AllocateHWnd) makes a hidden top-level window that is never shown, so broadcasts (the task
// bar's restart, settings changes, the end of the session) reach it too, which a
// message-only window would miss; its procedure takes a TMessage (a member function or any
// callable), sets Message.Result and passes what it does not handle to DefWindowProcW.
#include <functional>

#include "classlib/core/messages.h"

// Returns true when it handled the message (Result set); false lets DefWindowProcW have it.
using TUtilityWindowProc = std::function<bool(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result)>;

class TUtilityWindow {
 public:
  // EOutOfResources when the window cannot be made.
  explicit TUtilityWindow(TUtilityWindowProc Proc);
  ~TUtilityWindow();
  TUtilityWindow(const TUtilityWindow&) = delete;
  TUtilityWindow& operator=(const TUtilityWindow&) = delete;

  HWND Handle() const { return FHandle; }

 private:
  static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  TUtilityWindowProc FProc;
  HWND FHandle = nullptr;
};

// EOutOfResources when the window cannot be made. DestroyUtilityWindow is safe from the
// window's own procedure.
HWND CreateUtilityWindow(TWndMethod Method);
void DestroyUtilityWindow(HWND Window);

template <class C>
HWND CreateUtilityWindow(C* Object, void (C::*Method)(TMessage&)) {
  return CreateUtilityWindow([Object, Method](TMessage& m) { (Object->*Method)(m); });
}

inline HWND AllocateHWnd(TWndMethod Method) { return CreateUtilityWindow(std::move(Method)); }
inline void DeallocateHWnd(HWND Window) { DestroyUtilityWindow(Window); }
