// Window subclassing on real windows: the chain's order, unhooking anywhere in it, a
// subclasser that came after us, the window's end, and failing hooks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "caught_exceptions.h"
#include "classlib/windows/subclass.h"

namespace {

constexpr UINT kProbe = WM_APP + 1;
std::vector<std::string> journal;

LRESULT CALLBACK OwnProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == kProbe) {
    journal.push_back("own");
    return 42;
  }
  if (msg == WM_NCDESTROY) journal.push_back("own end");
  return DefWindowProcW(wnd, msg, w, l);
}

HWND NewWindow() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = OwnProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"HoravoxSubclassTest";
  RegisterClassExW(&wc);
  return CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                         nullptr);
}

// A hook that notes its name and adds `add` to what the procedures below it return.
void Install(TWindowHook& hook, HWND wnd, const std::string& name, LRESULT add) {
  ASSERT_TRUE(hook.Hook(wnd, [&hook, name, add](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    if (msg == kProbe) journal.push_back(name);
    if (msg == WM_NCDESTROY) journal.push_back(name + " end");
    return hook.CallPrevious(msg, w, l) + (msg == kProbe ? add : 0);
  }));
}

class WindowHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    journal.clear();
    wnd = NewWindow();
    ASSERT_NE(wnd, nullptr);
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
};

using Journal = std::vector<std::string>;

TEST_F(WindowHookTest, TheNewestHookSeesAMessageFirstAndPassesItDown) {
  TWindowHook a, b;
  Install(a, wnd, "a", 10);
  Install(b, wnd, "b", 1);
  EXPECT_EQ(Probe(), 53);
  EXPECT_EQ(journal, (Journal{"b", "a", "own"}));
  EXPECT_EQ(a.Window(), wnd);
  EXPECT_FALSE(a.Hook(wnd, [](UINT, WPARAM, LPARAM) -> LRESULT { return 0; }));  // hooked already
}

TEST_F(WindowHookTest, UnhookingTakesOutOnlyItsOwnLink) {
  TWindowHook a, b, c;
  Install(a, wnd, "a", 100);
  Install(b, wnd, "b", 10);
  Install(c, wnd, "c", 1);
  b.Unhook();
  EXPECT_FALSE(b.Hooked());
  EXPECT_EQ(Probe(), 143);
  EXPECT_EQ(journal, (Journal{"c", "a", "own"}));
  c.Unhook();
  a.Unhook();
  EXPECT_EQ(Probe(), 42);
  // The last one out gives the window its own procedure back.
  EXPECT_EQ(GetWindowLongPtrW(wnd, GWLP_WNDPROC), own);
}

// A subclasser that knows nothing of our chain, in the plain way.
WNDPROC foreignPrevious = nullptr;
LRESULT CALLBACK ForeignProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg == kProbe) journal.push_back("foreign");
  return CallWindowProcW(foreignPrevious, wnd, msg, w, l);
}

TEST_F(WindowHookTest, ASubclasserThatCameLaterIsNotCutOut) {
  TWindowHook a;
  Install(a, wnd, "a", 1);
  foreignPrevious = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
  a.Unhook();
  EXPECT_EQ(Probe(), 42);
  EXPECT_EQ(journal, (Journal{"foreign", "own"}));
  EXPECT_EQ(GetWindowLongPtrW(wnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ForeignProc));
  // Hooking again while the other one sits on top works too.
  Install(a, wnd, "a", 1);
  EXPECT_EQ(Probe(), 43);
  EXPECT_EQ(journal, (Journal{"foreign", "a", "own"}));
  // The other one leaves as it came; ours still passes everything on until the end.
  SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(foreignPrevious));
  a.Unhook();
  EXPECT_EQ(Probe(), 42);
  journal.clear();
  DestroyWindow(wnd);
  EXPECT_EQ(journal, (Journal{"own end"}));
}

TEST_F(WindowHookTest, TheWindowsEndReachesEveryHookAndTheWindowThenUnhooks) {
  TWindowHook a, b;
  int told = 0;
  a.OnWindowDestroyed = b.OnWindowDestroyed = [&] { ++told; };
  Install(a, wnd, "a", 0);
  Install(b, wnd, "b", 0);
  journal.clear();
  DestroyWindow(wnd);
  EXPECT_EQ(journal, (Journal{"b end", "a end", "own end"}));
  EXPECT_EQ(told, 2);
  EXPECT_FALSE(a.Hooked());
  EXPECT_FALSE(b.Hooked());
  // A window made anew is hooked again by the same hook.
  wnd = NewWindow();
  Install(a, wnd, "a", 1);
  EXPECT_EQ(Probe(), 43);
}

TEST_F(WindowHookTest, AFailingHookHandsTheMessageOnAndReportsTheError) {
  horavox::test::TCaughtExceptions caught;
  TWindowHook a, b;
  Install(a, wnd, "a", 10);
  ASSERT_TRUE(b.Hook(wnd, [](UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg == kProbe) throw EConvertError("hook failed");
    return 0;
  }));
  EXPECT_EQ(Probe(), 52);
  EXPECT_EQ(journal, (Journal{"a", "own"}));
  EXPECT_EQ(caught.Messages, (std::vector<std::string>{"hook failed"}));
}

TEST_F(WindowHookTest, AHookMayUnhookInsideItsOwnMessage) {
  TWindowHook a, b;
  Install(a, wnd, "a", 10);
  ASSERT_TRUE(b.Hook(wnd, [&b](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    if (msg != kProbe) return b.CallPrevious(msg, w, l);
    journal.push_back("b");
    b.Unhook();
    return b.CallPrevious(msg, w, l) + 1;  // still passes this message on
  }));
  EXPECT_EQ(Probe(), 53);
  EXPECT_EQ(journal, (Journal{"b", "a", "own"}));
  EXPECT_EQ(Probe(), 52);
  EXPECT_EQ(journal, (Journal{"a", "own"}));
}

}  // namespace
