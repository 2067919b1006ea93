#pragma once
// TKitGlobalHotKey: one system-wide hot key. While Active and with a HotKey other than 0 the
// key is registered for the component's hidden window; pressing it anywhere on the desktop
// calls OnKeyDown with the key and shift state of HotKey (not those of the physical press).
// A key that another program holds is silently not registered: Registered() reads false.
// Windows only.
#include "classlib/windows/controls.h"
#include "classlib/windows/menus.h"
#include "classlib/core/seam.h"
#include "controls/kitbase.h"

// What the component asks of Windows; tests install a recording one (TSeamScope).
class TKitHotKeySystem {
 public:
  virtual ~TKitHotKeySystem() = default;
  // RegisterHotKey: false when the key is refused.
  virtual bool Register(HWND Window, int Id, UINT Modifiers, UINT Key) = 0;
  virtual void Unregister(HWND Window, int Id) = 0;
  static TKitHotKeySystem& System();
};

class TKitGlobalHotKey : public TKitComponent {
  HX_CLASS(TKitGlobalHotKey, TKitComponent)
 public:
  explicit TKitGlobalHotKey(TComponent* AOwner);
  ~TKitGlobalHotKey() override;

  bool GetActive() const { return FActive; }
  void SetActive(bool Value);
  // The class library's shortcut code (virtual key in the low byte, scShift, scCtrl,
  // scAlt); 0: none.
  TShortCut GetHotKey() const { return FHotKey; }
  void SetHotKey(TShortCut Value);
  // The key is registered now.
  bool Registered() const { return FRegistered; }
  // The hidden window the key is registered for, and the registration's identifier.
  HWND WindowHandle() const { return FWindow; }
  int Id() const { return FId; }

  TKeyEvent OnKeyDown;

 protected:
  void Loaded() override;

 private:
  void WndProc(TMessage& Message);
  void Register();
  void Unregister();

  HWND FWindow = nullptr;
  int FId;
  bool FActive = true;
  TShortCut FHotKey = 0;
  bool FRegistered = false;
};

// The modifiers RegisterHotKey takes for a shortcut's shift bits.
UINT HotKeyModifiers(TShortCut ShortCut);
