#include "classlib/windows/subclass.h"

#include <memory>
#include <vector>

#include "classlib/core/callbackguard.h"

namespace classlib::detail {

namespace {
const wchar_t kChainProp[] = L"Horavox.WindowHookChain";
}

struct THookLink {
  TWindowHook* Owner;  // nullptr once unhooked
  TWindowHookProc Proc;
  THookChain* Chain;
};

// A hook's procedure at work, so that CallPrevious knows where in the chain it is.
struct THookFrame {
  TWindowHook* Owner;
  THookChain* Chain;
  int Index;
  bool PassedOn;
};
thread_local std::vector<THookFrame> activeFrames;

// The hooks of one window, oldest first. Our procedure sits in the window once, however many
// hooks there are. Unhooked links stay in place (without owner) while a message is on its
// way, so indexes hold; they are dropped when the last message returns.
struct THookChain {
  HWND Wnd;
  WNDPROC Original;
  std::vector<std::unique_ptr<THookLink>> Links;
  int Depth = 0;
  bool Destroyed = false;

  static LRESULT CALLBACK Trampoline(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    auto* chain = static_cast<THookChain*>(GetPropW(Wnd, kChainProp));
    if (!chain) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    ++chain->Depth;
    LRESULT result = chain->Dispatch(static_cast<int>(chain->Links.size()), Msg, WParam, LParam);
    if (Msg == WM_NCDESTROY) chain->Dissolve();
    --chain->Depth;
    if (chain->Depth == 0) chain->Compact();
    return result;
  }

  // The newest hook below index Below has the message, else the window's own procedure.
  LRESULT Dispatch(int Below, UINT Msg, WPARAM WParam, LPARAM LParam) {
    for (int i = Below - 1; i >= 0; --i) {
      THookLink* link = Links[static_cast<size_t>(i)].get();
      if (!link->Owner) continue;
      activeFrames.push_back({link->Owner, this, i, false});
      LRESULT result = 0;
      bool failed = false;
      try {
        result = link->Proc(Msg, WParam, LParam);
      } catch (...) {
        failed = true;
        HandleCallbackException(std::current_exception());
      }
      bool passedOn = activeFrames.back().PassedOn;
      activeFrames.pop_back();
      if (failed && !passedOn) return Dispatch(i, Msg, WParam, LParam);
      return result;
    }
    return CallWindowProcW(Original, Wnd, Msg, WParam, LParam);
  }

  // The window is gone: every hook is unhooked and told.
  void Dissolve() {
    Destroyed = true;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC)) == Trampoline)
      SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Original));
    RemovePropW(Wnd, kChainProp);
    for (size_t i = 0; i < Links.size(); ++i) {
      TWindowHook* owner = Links[i]->Owner;
      if (!owner) continue;
      Links[i]->Owner = nullptr;
      owner->FLink = nullptr;
      if (owner->OnWindowDestroyed) GuardCallback([&] { owner->OnWindowDestroyed(); });
    }
  }

  // Drops unhooked links; with none left, takes our procedure out of the window, unless
  // somebody hooked the window after us: then we keep passing messages on until it goes.
  void Compact() {
    std::erase_if(Links, [](const std::unique_ptr<THookLink>& l) { return l->Owner == nullptr; });
    if (!Links.empty()) return;
    if (!Destroyed) {
      if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC)) != Trampoline) return;
      SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Original));
      RemovePropW(Wnd, kChainProp);
    }
    delete this;
  }
};

}  // namespace classlib::detail

using classlib::detail::activeFrames;
using classlib::detail::THookChain;
using classlib::detail::THookLink;

TWindowHook::~TWindowHook() {
  Unhook();
  for (auto& frame : activeFrames)
    if (frame.Owner == this) frame.Owner = nullptr;
}

bool TWindowHook::Hook(HWND Wnd, TWindowHookProc Proc) {
  if (FLink || !Wnd || !IsWindow(Wnd)) return false;
  auto* chain = static_cast<THookChain*>(GetPropW(Wnd, classlib::detail::kChainProp));
  if (!chain) {
    auto fresh = std::make_unique<THookChain>();
    fresh->Wnd = Wnd;
    fresh->Original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC));
    if (!fresh->Original || !SetPropW(Wnd, classlib::detail::kChainProp, fresh.get())) return false;
    SetLastError(0);
    if (!SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&THookChain::Trampoline)) &&
        GetLastError() != 0) {
      RemovePropW(Wnd, classlib::detail::kChainProp);
      return false;
    }
    chain = fresh.release();
  }
  chain->Links.push_back(std::make_unique<THookLink>(THookLink{this, std::move(Proc), chain}));
  FLink = chain->Links.back().get();
  return true;
}

void TWindowHook::Unhook() {
  if (!FLink) return;
  THookLink* link = FLink;
  FLink = nullptr;
  link->Owner = nullptr;
  THookChain* chain = link->Chain;
  if (chain->Depth == 0) chain->Compact();
}

HWND TWindowHook::Window() const { return FLink ? FLink->Chain->Wnd : nullptr; }

LRESULT TWindowHook::CallPrevious(UINT Msg, WPARAM WParam, LPARAM LParam) {
  for (size_t i = activeFrames.size(); i > 0; --i) {
    if (activeFrames[i - 1].Owner != this) continue;
    activeFrames[i - 1].PassedOn = true;
    THookChain* chain = activeFrames[i - 1].Chain;
    return chain->Dispatch(activeFrames[i - 1].Index, Msg, WParam, LParam);
  }
  if (!FLink) return 0;
  THookChain* chain = FLink->Chain;
  for (size_t i = 0; i < chain->Links.size(); ++i)
    if (chain->Links[i].get() == FLink) {
      ++chain->Depth;
      LRESULT result = chain->Dispatch(static_cast<int>(i), Msg, WParam, LParam);
      --chain->Depth;
      if (chain->Depth == 0) chain->Compact();
      return result;
    }
  return 0;
}
