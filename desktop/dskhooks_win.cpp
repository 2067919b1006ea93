#include "desktop/dskhooks.h"

#include <algorithm>

#include "classlib/windows/application.h"
#include "classlib/windows/forms.h"
#include "classlib/core/utilwindow.h"

HX_PUBLISH(TDskHook, p) {}

namespace {

TDskHookList* gHookList = nullptr;
bool gHookListEnded = false;

// Frees the list at the end of the program, in the reverse order of the other objects that
// last that long: made just before the list, so it goes after everything made later.
struct THookListEnd {
  ~THookListEnd() {
    delete gHookList;
    gHookList = nullptr;
    gHookListEnded = true;
  }
};

bool ApplicationEnding() { return !Application || Application->ComponentState().Contains(csDestroying); }

}  // namespace

// ---- TDskHook

TDskHook::TDskHook() {
  FNotifier.OnRemove = [this](TComponent* Component) {
    if (Component == FControl) ControlFreed();
  };
  if (TDskHookList* list = TDskHookList::Instance()) list->Add(this);
}

TDskHook::~TDskHook() {
  Unhook();
  if (FControl) FNotifier.Unwatch(FControl);
  if (gHookList) gHookList->Remove(this);
}

void TDskHook::SetControl(TControl* Value) {
  if (Value == FControl) return;
  Unhook();
  if (FControl) FNotifier.Unwatch(FControl);
  FControl = Value;
  FNotifier.Watch(FControl);
}

HWND TDskHook::Window() const {
  auto* control = dynamic_cast<TWinControl*>(FControl);
  if (!control || !control->HandleAllocated()) return nullptr;
  if (auto* form = dynamic_cast<TCustomForm*>(control); form && MDIClient && form->ClientHandle())
    return form->ClientHandle();
  return control->GetHandle();
}

void TDskHook::Hook() {
  if (FHook.Hooked() || !FControl) return;
  HWND window = Window();
  if (!window) {
    WaitForWindow();
    return;
  }
  FHook.Hook(window, [this](UINT Msg, WPARAM WParam, LPARAM LParam) { return HookProc(Msg, WParam, LParam); });
}

void TDskHook::Unhook() {
  StopWaiting();
  FRehookWhenMade = false;
  FHook.Unhook();
}

LRESULT TDskHook::HookProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (!FControl) {
    LRESULT result = FHook.CallPrevious(Msg, WParam, LParam);
    FHook.Unhook();
    return result;
  }
  if (Msg == WM_DESTROY && !FControl->ComponentState().Contains(csDestroying)) {
    // The control lives on: its next window is hooked once the posted message comes.
    LRESULT result = FHook.CallPrevious(Msg, WParam, LParam);
    FHook.Unhook();
    if (gHookList && !ApplicationEnding())
      PostMessageW(gHookList->Handle(), kDskRehookMessage, 0, reinterpret_cast<LPARAM>(this));
    return result;
  }
  TMessage message{Msg, WParam, LParam, 0};
  bool handled = false;
  if (OnMessage) OnMessage(this, message, handled);
  if (handled) return message.Result;
  return FHook.CallPrevious(message.Msg, message.WParam, message.LParam);
}

void TDskHook::Rehook() {
  if (!FControl || FHook.Hooked()) return;
  if (!Window()) {  // not made again yet: hooked when it is
    FRehookWhenMade = true;
    WaitForWindow();
    return;
  }
  if (OnBeforeRehook) OnBeforeRehook(this);
  Hook();
  if (OnAfterRehook) OnAfterRehook(this);
}

void TDskHook::WaitForWindow() {
  auto* control = dynamic_cast<TWinControl*>(FControl);
  if (!control || FWaitingOn) return;
  FWaitingOn = control;
  FWaitToken = control->OnWindowCreated.Add([this](TObject*) {
    StopWaiting();
    if (std::exchange(FRehookWhenMade, false)) Rehook();
    else Hook();
  });
}

void TDskHook::StopWaiting() {
  if (FWaitingOn) FWaitingOn->OnWindowCreated.Remove(FWaitToken);
  FWaitingOn = nullptr;
  FWaitToken = 0;
}

void TDskHook::ControlFreed() {
  // The control's own parts are gone already: its notification list is not touched.
  FWaitingOn = nullptr;
  FWaitToken = 0;
  FRehookWhenMade = false;
  FHook.Unhook();
  FControl = nullptr;
}

// ---- TDskHookList

TDskHookList* TDskHookList::Instance() {
  if (!gHookList && !gHookListEnded) {
    static THookListEnd end;
    gHookList = new TDskHookList;
  }
  return gHookList;
}

TDskHookList::TDskHookList() { FWindow = CreateUtilityWindow(this, &TDskHookList::WndProc); }

TDskHookList::~TDskHookList() {
  while (!FHooks.empty()) {
    TDskHook* hook = FHooks.back();
    FHooks.pop_back();
    hook->Unhook();
  }
  DestroyUtilityWindow(FWindow);
}

bool TDskHookList::Contains(const TDskHook* Hook) const {
  return std::find(FHooks.begin(), FHooks.end(), Hook) != FHooks.end();
}

void TDskHookList::Remove(TDskHook* Hook) { std::erase(FHooks, Hook); }

void TDskHookList::WndProc(TMessage& Message) {
  if (Message.Msg == WM_QUERYENDSESSION) {
    Message.Result = 1;
  } else if (Message.Msg == kDskRehookMessage) {
    // The hook may be gone, or its control freed, since the message was posted.
    auto* hook = reinterpret_cast<TDskHook*>(Message.LParam);
    if (Contains(hook)) hook->Rehook();
  } else {
    Message.Result = DefWindowProcW(FWindow, Message.Msg, Message.WParam, Message.LParam);
  }
}
