#pragma once
// A hidden message-only window whose messages go to a procedure of its owner: the way a
// component that is no window receives notifications (MCI's MM_MCINOTIFY and the like).
// The procedure runs under GuardCallback, so no exception leaves it. Windows only.
#include <functional>

#include "classlib/winapi.h"

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
