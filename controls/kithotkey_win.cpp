#include "controls/kithotkey.h"

#include "classlib/core/utilwindow.h"

HX_PUBLISH(TKitGlobalHotKey, p) {
  p.Property("Active", &TKitGlobalHotKey::GetActive, &TKitGlobalHotKey::SetActive).Default(true);
  p.Property("HotKey", &TKitGlobalHotKey::GetHotKey, &TKitGlobalHotKey::SetHotKey).Default(0);
  p.Event("OnKeyDown", &TKitGlobalHotKey::OnKeyDown);
}

namespace {

class TWindowsHotKeySystem : public TKitHotKeySystem {
 public:
  bool Register(HWND Window, int Id, UINT Modifiers, UINT Key) override {
    return RegisterHotKey(Window, Id, Modifiers, Key) != 0;
  }
  void Unregister(HWND Window, int Id) override { UnregisterHotKey(Window, Id); }
};

// Applications take hot-key identifiers from 0x0000 to 0xBFFF (the rest is the shared
// libraries'); a counter of the process, unlike a global atom, dies with it.
int NextHotKeyId() {
  static int last = 0;
  last = last % 0xBFFF + 1;
  return last;
}

}  // namespace

TKitHotKeySystem& TKitHotKeySystem::System() {
  static TWindowsHotKeySystem system;
  return system;
}

UINT HotKeyModifiers(TShortCut ShortCut) {
  UINT modifiers = 0;
  if (ShortCut & scCtrl) modifiers |= MOD_CONTROL;
  if (ShortCut & scAlt) modifiers |= MOD_ALT;
  if (ShortCut & scShift) modifiers |= MOD_SHIFT;
  return modifiers;
}

TKitGlobalHotKey::TKitGlobalHotKey(TComponent* AOwner) : TKitComponent(AOwner), FId(NextHotKeyId()) {
  FWindow = CreateUtilityWindow(this, &TKitGlobalHotKey::WndProc);
}

TKitGlobalHotKey::~TKitGlobalHotKey() {
  Unregister();
  DestroyUtilityWindow(FWindow);
}

void TKitGlobalHotKey::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  if (FActive) Register();
  else Unregister();
}

void TKitGlobalHotKey::SetHotKey(TShortCut Value) {
  if (Value == FHotKey) return;
  Unregister();
  FHotKey = Value;
  Register();
}

void TKitGlobalHotKey::Loaded() {
  TKitComponent::Loaded();
  Register();
}

void TKitGlobalHotKey::Register() {
  // Values read from a form take effect in Loaded; nothing is registered for key 0.
  if (!FActive || FHotKey == 0 || FRegistered || ComponentState().Contains(csLoading)) return;
  FRegistered = TSeam<TKitHotKeySystem>::Get().Register(FWindow, FId, HotKeyModifiers(FHotKey), FHotKey & 0xFF);
}

void TKitGlobalHotKey::Unregister() {
  if (!FRegistered) return;
  FRegistered = false;
  TSeam<TKitHotKeySystem>::Get().Unregister(FWindow, FId);
}

void TKitGlobalHotKey::WndProc(TMessage& Message) {
  if (Message.Msg == WM_HOTKEY && static_cast<int>(Message.WParam) == FId) {
    WORD key = 0;
    TShiftState shift;
    ShortCutToKey(FHotKey, key, shift);
    // The window procedure's guard hands a handler's exception to the application.
    if (OnKeyDown) OnKeyDown(this, key, shift);
    return;
  }
  Message.Result = DefWindowProcW(FWindow, Message.Msg, Message.WParam, Message.LParam);
}
