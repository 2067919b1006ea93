#pragma once
// TKitWndProcComponent: the base of non-visual kit components that work on their form's
// window by hooking its window procedure (the shaped form follows every resize this way).
// Hooking goes through the class library's subclassing (classlib/subclass.h), so
// unhooking never cuts out a procedure hooked after ours.
//
// After the window's WM_DESTROY the component does none of its own handling any more but
// still passes every message on, WM_NCDESTROY included; once the window is gone the
// component is unhooked and hooks the next window it is given. Windows only.
#include "classlib/subclass.h"
#include "controls/kitbase.h"

// One message as a hooked component sees it; WndProc stores the result in it.
struct TKitMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

class TKitWndProcComponent : public TKitComponent {
  HX_CLASS(TKitWndProcComponent, TKitComponent)
 public:
  explicit TKitWndProcComponent(TComponent* AOwner);
  ~TKitWndProcComponent() override;  // unhooks

  // False when there is no window, it is hooked already, or a designer runs.
  bool Hook();
  bool Unhook();
  bool Hooked() const { return FHook.Hooked(); }

  // The window hooked: the owner form's. Until the class library's forms tell their
  // window, the owner gives it with SetWindow (also when its window is made anew).
  virtual HWND WindowHandle() { return FWindow; }
  // Takes Window as the window to hook: unhooks the earlier one and, when enabled and
  // loaded, hooks this one.
  void SetWindow(HWND Window);

  // Turning it on hooks (InitHook), turning it off lets the descendant undo what it did
  // (RestoreHook); neither while loading.
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Also hook the application's main window through MainWndHook. Kept for descendants;
  // it takes effect once the class library has its application object.
  bool HookMainWindow = false;
  // Hook an MDI form's own window rather than its client window.
  bool UseFrame = false;
  // Between the window's WM_DESTROY and its end.
  bool WindowDestroying() const { return FDestroying; }

 protected:
  void Loaded() override;
  // Messages of the application's main window; true lets them go on.
  virtual bool MainWndHook(TKitMessage& Message);
  // Hooks when enabled and not hooked yet.
  virtual void InitHook();
  // Undoes a descendant's effects on the window; nothing in the base.
  virtual void RestoreHook() {}
  // The window's messages: the base passes them on (PassOn) and notes WM_DESTROY.
  // Descendants handle theirs and call the base for the rest.
  virtual void WndProc(TKitMessage& Message);
  // Hands a message to the procedures below this hook; its result goes into Message.
  void PassOn(TKitMessage& Message);

 private:
  LRESULT HookProc(UINT Msg, WPARAM WParam, LPARAM LParam);

  TWindowHook FHook;
  HWND FWindow = nullptr;
  bool FEnabled = true;
  bool FDestroying = false;
};
