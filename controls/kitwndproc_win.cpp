#include "controls/kitwndproc.h"

#include "classlib/windows/application.h"
#include "classlib/core/finally.h"

HX_PUBLISH(TKitWndProcComponent, p) {}

TKitWndProcComponent::TKitWndProcComponent(TComponent* AOwner) : TKitComponent(AOwner) {
  FHook.OnWindowDestroyed = [this] {
    FDestroying = false;
    UnhookMainWindow();
  };
  if (TCustomForm* form = OwnerForm()) {
    switch (form->GetFormStyle()) {
      case fsMDIChild: FOwnerKind = okMDIChild; break;
      case fsMDIForm: FOwnerKind = okMDIForm; break;
      default: break;
    }
    FFormListener = form->OnWindowCreated.Add([this](TObject*) { FormWindowCreated(); });
  }
}

TKitWndProcComponent::~TKitWndProcComponent() {
  Unhook();
  // A form being destroyed has let go of its listeners already.
  TCustomForm* form = OwnerForm();
  if (form && !form->ComponentState().Contains(csDestroying)) form->OnWindowCreated.Remove(FFormListener);
}

TCustomForm* TKitWndProcComponent::OwnerForm() const { return dynamic_cast<TCustomForm*>(Owner()); }

HWND TKitWndProcComponent::WindowHandle() {
  TCustomForm* form = OwnerForm();
  if (!form) return nullptr;
  if (form->ComponentState().Contains(csDestroying)) return form->HandleAllocated() ? form->GetHandle() : nullptr;
  HWND window = form->GetHandle();
  if (FOwnerKind == okMDIForm && !UseFrame && form->ClientHandle()) return form->ClientHandle();
  return window;
}

bool TKitWndProcComponent::Hook() {
  if (FHooking || FHook.Hooked() || ComponentState().Contains(csDesigning)) return false;
  HWND window;
  // Making the form's window tells FormWindowCreated, which must not hook in between.
  FHooking = true;
  {
    TFinally done([this] { FHooking = false; });
    window = WindowHandle();
  }
  if (!window) return false;
  FDestroying = false;
  if (!FHook.Hook(window, [this](UINT Msg, WPARAM WParam, LPARAM LParam) { return HookProc(Msg, WParam, LParam); }))
    return false;
  if (HookMainWindow && !FMainWindowHook)
    FMainWindowHook = Application->HookMainWindow([this](TMessage& Message) { return !MainWndHook(Message); });
  return true;
}

bool TKitWndProcComponent::Unhook() {
  FHook.Unhook();
  UnhookMainWindow();
  FDestroying = false;
  return true;
}

void TKitWndProcComponent::UnhookMainWindow() {
  if (!FMainWindowHook) return;
  if (TApplication* app = ExistingApplication()) app->UnhookMainWindow(FMainWindowHook);
  FMainWindowHook = 0;
}

void TKitWndProcComponent::FormWindowCreated() {
  if (FHooking) return;
  const TComponentState state = ComponentState();
  if (state.Contains(csLoading) || state.Contains(csDesigning) || state.Contains(csDestroying)) return;
  InitHook();
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
  if (Message.Msg == WM_DESTROY) {
    FDestroying = true;
    // An MDI child lets go at once; its window still gets the message.
    if (FOwnerKind == okMDIChild) Unhook();
  }
  PassOn(Message);
}

void TKitWndProcComponent::PassOn(TKitMessage& Message) {
  Message.Result = FHook.CallPrevious(Message.Msg, Message.WParam, Message.LParam);
}
