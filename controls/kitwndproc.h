#pragma once
// TKitWndProcComponent: the base of non-visual kit components that work on their owner
// form's window by hooking its window procedure (the shaped form follows every resize this
// way). Hooking goes through the class library's subclassing (classlib/windows/subclass.h), so
// unhooking never cuts out a procedure hooked after ours.
//
// The component hooks the form's window once loaded, when Enabled is turned on, and each
// time the form makes its window (again after RecreateWnd). After the window's WM_DESTROY
// it does none of its own handling any more but still passes every message on,
// WM_NCDESTROY included; once the window is gone it is unhooked. Windows only.
#include <cstdint>

#include "classlib/core/messages.h"
#include "classlib/windows/subclass.h"
#include "controls/kitbase.h"

class TCustomForm;

// One message as a hooked component sees it; WndProc stores the result in it.
using TKitMessage = TMessage;

// What the owner form is, read when the component is made.
enum TKitOwnerKind : std::uint8_t { okNormal = 0, okMDIChild = 1, okMDIForm = 2 };

class TKitWndProcComponent : public TKitComponent {
  HX_CLASS(TKitWndProcComponent, TKitComponent)
 public:
  explicit TKitWndProcComponent(TComponent* AOwner);
  ~TKitWndProcComponent() override;  // unhooks

  // False when there is no window, it is hooked already, or a designer runs. With
  // HookMainWindow set it also hooks the application's window (MainWndHook).
  bool Hook();
  bool Unhook();
  bool Hooked() const { return FHook.Hooked(); }
  bool MainWindowHooked() const { return FMainWindowHook != 0; }

  // The owner when it is a form, else nullptr.
  TCustomForm* OwnerForm() const;
  TKitOwnerKind OwnerKind() const { return FOwnerKind; }
  // The window hooked: the owner form's, made if need be (but not while the form is being
  // destroyed), or an MDI form's MDI client window unless UseFrame; nullptr without a form.
  virtual HWND WindowHandle();

  // Turning it on hooks (InitHook), turning it off lets the descendant undo what it did
  // (RestoreHook); neither while loading.
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Also hook the application's window through MainWndHook.
  bool HookMainWindow = false;
  // Hook an MDI form's own window rather than its client window.
  bool UseFrame = false;
  // Between the window's WM_DESTROY and its end.
  bool WindowDestroying() const { return FDestroying; }

 protected:
  void Loaded() override;
  // Messages of the application's window, before it handles them: true lets a message go
  // on, false keeps it (with Message.Result as the answer). The base lets everything go on.
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
  void FormWindowCreated();
  void UnhookMainWindow();

  TWindowHook FHook;
  TKitOwnerKind FOwnerKind = okNormal;
  int FFormListener = 0;   // our token in the owner form's OnWindowCreated
  int FMainWindowHook = 0;  // our token with the application; 0 when not hooked
  bool FEnabled = true;
  bool FDestroying = false;
  bool FHooking = false;  // Hook is making the form's window
};
