// The window-hooking component on real windows: hooking and passing messages on,
// unhooking in the middle of a chain, the window's end and a window made anew.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/subclass.h"
#include "controls/kitwndproc.h"

namespace {

constexpr UINT kProbe = WM_APP + 7;
std::vector<std::string> journal;

LRESULT CALLBACK OwnProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == kProbe) {
    journal.push_back("window");
    return 5;
  }
  if (msg == WM_DESTROY) journal.push_back("window destroy");
  if (msg == WM_NCDESTROY) journal.push_back("window end");
  return DefWindowProcW(wnd, msg, w, l);
}

HWND NewWindow() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = OwnProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"HoravoxWndProcTest";
  RegisterClassExW(&wc);
  return CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                         nullptr);
}

// A descendant as the shaped form is one: handles a message, undoes its effects.
class TProbeHook : public TKitWndProcComponent {
 public:
  using TKitWndProcComponent::TKitWndProcComponent;
  int Restored = 0;

 protected:
  void RestoreHook() override { ++Restored; }
  void WndProc(TKitMessage& Message) override {
    if (Message.Msg == kProbe) journal.push_back("component");
    if (Message.Msg == WM_DESTROY) journal.push_back("component destroy");
    if (Message.Msg == WM_NCDESTROY) journal.push_back("component end");
    TKitWndProcComponent::WndProc(Message);
    if (Message.Msg == kProbe) Message.Result += 100;
  }
};

using Journal = std::vector<std::string>;

class WndProcComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    journal.clear();
    wnd = NewWindow();
    ASSERT_NE(wnd, nullptr) << GetLastError();
    own = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
  }
  void TearDown() override {
    if (IsWindow(wnd)) DestroyWindow(wnd);
  }
  LRESULT Probe() {
    journal.clear();
    return SendMessageW(wnd, kProbe, 0, 0);
  }
  HWND wnd = nullptr;
  LONG_PTR own = 0;
  TComponent owner{nullptr};
};

TEST_F(WndProcComponentTest, HooksTheWindowItIsGivenAndPassesMessagesOn) {
  auto* hook = new TProbeHook(&owner);
  EXPECT_FALSE(hook->Hook());  // no window yet
  hook->SetWindow(wnd);
  EXPECT_TRUE(hook->Hooked());
  EXPECT_FALSE(hook->Hook());  // hooked already
  EXPECT_EQ(Probe(), 105);
  EXPECT_EQ(journal, (Journal{"component", "window"}));
  // Turning it off lets the descendant undo its effects; turning it on again hooks.
  hook->SetEnabled(false);
  EXPECT_EQ(hook->Restored, 1);
  hook->Unhook();
  EXPECT_EQ(Probe(), 5);
  hook->SetEnabled(true);
  EXPECT_TRUE(hook->Hooked());
  // Freed with its owner, it leaves the window as it found it.
  delete hook;
  EXPECT_EQ(GetWindowLongPtrW(wnd, GWLP_WNDPROC), own);
  EXPECT_EQ(Probe(), 5);
}

TEST_F(WndProcComponentTest, UnhookingInTheMiddleOfAChainKeepsTheLaterHook) {
  auto* component = new TProbeHook(&owner);
  component->SetWindow(wnd);
  TWindowHook later;
  ASSERT_TRUE(later.Hook(wnd, [&later](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    if (msg == kProbe) journal.push_back("later");
    return later.CallPrevious(msg, w, l);
  }));
  EXPECT_EQ(Probe(), 105);
  EXPECT_EQ(journal, (Journal{"later", "component", "window"}));
  component->Unhook();
  EXPECT_EQ(Probe(), 5);
  EXPECT_EQ(journal, (Journal{"later", "window"}));
}

TEST_F(WndProcComponentTest, AfterWmDestroyItOnlyPassesOnAndAWindowMadeAnewIsHookedAgain) {
  auto* component = new TProbeHook(&owner);
  component->SetWindow(wnd);
  journal.clear();
  DestroyWindow(wnd);
  // Its own handling stops with WM_DESTROY; the window still gets its WM_NCDESTROY.
  EXPECT_EQ(journal, (Journal{"component destroy", "window destroy", "window end"}));
  EXPECT_FALSE(component->Hooked());
  EXPECT_FALSE(component->WindowDestroying());
  wnd = NewWindow();
  component->SetWindow(wnd);
  EXPECT_TRUE(component->Hooked());
  EXPECT_EQ(Probe(), 105);
}

}  // namespace
