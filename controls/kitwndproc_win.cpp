#include "controls/kitwndproc.h"

HX_PUBLISH(TKitWndProcComponent, p) {}

TKitWndProcComponent::TKitWndProcComponent(TComponent* AOwner) : TKitComponent(AOwner) {
  FHook.OnWindowDestroyed = [this] {
    FDestroying = false;
    FWindow = nullptr;
  };
}

TKitWndProcComponent::~TKitWndProcComponent() { Unhook(); }

bool TKitWndProcComponent::Hook() {
  HWND window = WindowHandle();
  if (!window || FHook.Hooked() || ComponentState().Contains(csDesigning)) return false;
  FDestroying = false;
  return FHook.Hook(window, [this](UINT Msg, WPARAM WParam, LPARAM LParam) { return HookProc(Msg, WParam, LParam); });
}

bool TKitWndProcComponent::Unhook() {
  FHook.Unhook();
  FDestroying = false;
  return true;
}

void TKitWndProcComponent::SetWindow(HWND Window) {
  if (Window == FWindow && FHook.Hooked()) return;
  Unhook();
  FWindow = Window;
  if (!ComponentState().Contains(csLoading)) InitHook();
}

void TKitWndProcComponent::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning)) return;
  if (FEnabled) InitHook();
  else RestoreHook();
}

void TKitWndProcComponent::Loaded() {
  inherited::Loaded();
  if (!ComponentState().Contains(csDesigning)) InitHook();
}

bool TKitWndProcComponent::MainWndHook(TKitMessage&) { return true; }

void TKitWndProcComponent::InitHook() {
  if (FEnabled && !FHook.Hooked()) Hook();
}

LRESULT TKitWndProcComponent::HookProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TKitMessage message{Msg, WParam, LParam, 0};
  if (FDestroying) PassOn(message);  // the window goes: no handling of ours any more
  else WndProc(message);
  return message.Result;
}

void TKitWndProcComponent::WndProc(TKitMessage& Message) {
  if (Message.Msg == WM_DESTROY) FDestroying = true;
  PassOn(Message);
}

void TKitWndProcComponent::PassOn(TKitMessage& Message) {
  Message.Result = FHook.CallPrevious(Message.Msg, Message.WParam, Message.LParam);
}
