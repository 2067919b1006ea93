#pragma once
// Window hooks for any component: a TDskHook puts itself in front of a control's window
// procedure (through the class library's TWindowHook, so it chains with every other hook of
// that window), offers each message to OnMessage first and passes the rest on. When the
// window is destroyed while the control lives on (RecreateWnd), the hook takes the new
// window: through the re-hook message posted to the hook list's hidden window, or, when the
// control has no window yet then, as soon as it has one. TDskHookList knows every hook of
// the process; it is made on first use and, at the end of the program, unhooks what is still
// hooked, from the last hook to the first. Windows only; main thread only.
#include <functional>
#include <vector>

#include "classlib/windows/controls.h"
#include "classlib/core/freenotifier.h"
#include "classlib/windows/subclass.h"

// Sender, the message (its Result is what the window answers) and whether it was handled.
using TDskHookMessageEvent = std::function<void(TObject* Sender, TMessage& Message, bool& Handled)>;

// The message, posted to the list's window, that re-hooks a hook (its LParam).
inline constexpr UINT kDskRehookMessage = 0xB1F6;

class TDskHook : public TObject {
  HX_CLASS(TDskHook, TObject)
 public:
  TDskHook();
  ~TDskHook() override;  // unhooks and leaves the list

  // The control whose window is hooked; setting unhooks the old one (call Hook again).
  TControl* GetControl() const { return FControl; }
  void SetControl(TControl* Value);
  // For a form: its MDI client window when it has one (an MDI form), else its own.
  bool MDIClient = false;

  // The window the hook is for: none without a control (or a windowless one, or one whose
  // window is not made yet), else the control's window (see MDIClient).
  HWND Window() const;
  // Hooks the window; a control without its window yet is hooked once the window is made.
  void Hook();
  void Unhook();
  bool Hooked() const { return FHook.Hooked(); }

  TDskHookMessageEvent OnMessage;
  TNotifyEvent OnBeforeRehook;
  TNotifyEvent OnAfterRehook;

 private:
  friend class TDskHookList;
  LRESULT HookProc(UINT Msg, WPARAM WParam, LPARAM LParam);
  void Rehook();
  void WaitForWindow();
  void StopWaiting();
  void ControlFreed();

  TControl* FControl = nullptr;
  TWindowHook FHook;
  TFreeNotifier FNotifier;
  TWinControl* FWaitingOn = nullptr;  // whose window-created notification it listens to
  int FWaitToken = 0;
  bool FRehookWhenMade = false;  // the made window is a re-hook (with its events)
};

class TDskHookList {
 public:
  // The list of the process, made on first use; nullptr once the program has ended it.
  static TDskHookList* Instance();
  ~TDskHookList();  // unhooks from the last hook to the first
  TDskHookList(const TDskHookList&) = delete;
  TDskHookList& operator=(const TDskHookList&) = delete;

  int Count() const { return static_cast<int>(FHooks.size()); }
  TDskHook* Items(int Index) const { return FHooks[Index]; }
  bool Contains(const TDskHook* Hook) const;
  // The hidden window the re-hook message goes to.
  HWND Handle() const { return FWindow; }

 private:
  friend class TDskHook;
  TDskHookList();
  void Add(TDskHook* Hook) { FHooks.push_back(Hook); }
  void Remove(TDskHook* Hook);
  void WndProc(TMessage& Message);

  std::vector<TDskHook*> FHooks;
  HWND FWindow = nullptr;
};
