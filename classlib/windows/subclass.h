#pragma once
// Window subclassing: a TWindowHook puts a procedure of ours in front of a window's own.
// Hooks chain: the newest sees a message first and passes it on with CallPrevious (down to
// the window's own procedure). Unhooking takes out only its own link, wherever it sits, so
// hooks made later keep working: ours, and anybody's made with SetWindowLongPtrW. Every link
// sees WM_NCDESTROY (before the window's own procedure); then the chain dissolves and each
// hook hears of it through OnWindowDestroyed. No exception leaves a hooked procedure: it goes
// to the callback exception handler, and a message the failing hook had not passed on yet
// goes on to the procedures below. Windows only; a window is hooked from its own thread.
#include <functional>

#include "classlib/core/winapi.h"

namespace classlib::detail {
struct THookChain;
struct THookLink;
}  // namespace classlib::detail

using TWindowHookProc = std::function<LRESULT(UINT Msg, WPARAM WParam, LPARAM LParam)>;

class TWindowHook {
 public:
  TWindowHook() = default;
  ~TWindowHook();  // unhooks
  TWindowHook(const TWindowHook&) = delete;
  TWindowHook& operator=(const TWindowHook&) = delete;

  // False when this hook is hooked already or Wnd is no window.
  bool Hook(HWND Wnd, TWindowHookProc Proc);
  void Unhook();
  bool Hooked() const { return FLink != nullptr; }
  HWND Window() const;

  // Hands a message to the procedures hooked before this one, at last the window's own;
  // what they return. Outside a message of this hook it starts below this hook's link.
  LRESULT CallPrevious(UINT Msg, WPARAM WParam, LPARAM LParam);

  // After WM_NCDESTROY has gone through and this hook is unhooked.
  std::function<void()> OnWindowDestroyed;

 private:
  friend struct classlib::detail::THookChain;
  classlib::detail::THookLink* FLink = nullptr;
};
