// The hook list: messages offered to the event first, the hook kept across a re-made
// window (once, with its events), nothing posted or touched for a window or control gone
// for good, and other hooks of the same window unharmed.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "classlib/windows/forms.h"
#include "desktop/dskhooks.h"
#include "tests/classlib/gui_test_util.h"

using namespace guitest;

namespace {

constexpr UINT kAsk = WM_APP + 7;

// A control whose window answers kAsk with 42 and counts what reached it.
class TAnsweringControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int Reached = 0;

 protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == kAsk) {
      ++Reached;
      Message.Result = 42;
      return;
    }
    TCustomControl::WndProc(Message);
  }
};

// A form whose windows can be destroyed while it lives on.
class TTestForm : public TForm {
 public:
  using TForm::TForm;
  using TForm::DestroyHandle;
};

class DskHooksTest : public ::testing::Test {
 protected:
  DskHooksTest() : form(new TTestForm(nullptr, CreateNew)) {
    form->SetBounds(100, 100, 200, 120);
    control = new TAnsweringControl(form.get());
    control->SetParent(form.get());
    control->SetBounds(10, 10, 50, 30);
    hook = std::make_unique<TDskHook>();
    hook->OnMessage = [this](TObject* Sender, TMessage& Message, bool& Handled) {
      EXPECT_EQ(Sender, hook.get());
      seen.push_back(Message.Msg);
      if (Message.Msg == kAsk && Message.WParam == 1) {
        Handled = true;
        Message.Result = 7;
      }
    };
    hook->OnBeforeRehook = [this](TObject*) {
      ++before;
      EXPECT_FALSE(hook->Hooked());
    };
    hook->OnAfterRehook = [this](TObject*) {
      ++after;
      EXPECT_TRUE(hook->Hooked());
    };
  }
  ~DskHooksTest() override { PumpFor(20); }
  LRESULT Ask(WPARAM handled) { return SendMessageW(control->GetHandle(), kAsk, handled, 0); }
  bool RehookQueued() {
    MSG msg;
    return PeekMessageW(&msg, TDskHookList::Instance()->Handle(), kDskRehookMessage, kDskRehookMessage, PM_NOREMOVE);
  }

  std::unique_ptr<TTestForm> form;
  TAnsweringControl* control;
  std::unique_ptr<TDskHook> hook;
  std::vector<UINT> seen;
  int before = 0, after = 0;
};

TEST_F(DskHooksTest, TheEventSeesMessagesFirst) {
  ASSERT_TRUE(TDskHookList::Instance()->Contains(hook.get()));
  control->HandleNeeded();
  hook->SetControl(control);
  hook->Hook();
  ASSERT_TRUE(hook->Hooked());
  EXPECT_EQ(hook->Window(), control->GetHandle());
  EXPECT_EQ(Ask(1), 7);  // handled: the window never hears of it
  EXPECT_EQ(control->Reached, 0);
  EXPECT_EQ(Ask(0), 42);  // not handled: the window's answer
  EXPECT_EQ(control->Reached, 1);
  // The end of the session is offered like any other message; the list's own window
  // agrees to it.
  SendMessageW(control->GetHandle(), WM_QUERYENDSESSION, 0, 0);
  EXPECT_NE(std::find(seen.begin(), seen.end(), UINT(WM_QUERYENDSESSION)), seen.end());
  EXPECT_EQ(SendMessageW(TDskHookList::Instance()->Handle(), WM_QUERYENDSESSION, 0, 0), 1);

  hook->Unhook();
  seen.clear();
  EXPECT_EQ(Ask(1), 42);
  EXPECT_TRUE(seen.empty());
}

TEST_F(DskHooksTest, AControlWithoutItsWindowIsHookedWhenItIsMade) {
  hook->SetControl(control);
  hook->Hook();
  EXPECT_FALSE(hook->Hooked());
  EXPECT_EQ(hook->Window(), nullptr);
  control->HandleNeeded();
  EXPECT_TRUE(hook->Hooked());
  EXPECT_EQ(Ask(1), 7);
  EXPECT_EQ(before + after, 0);  // a first hook, no re-hook
}

TEST_F(DskHooksTest, ARemadeWindowIsHookedAgainOnce) {
  hook->SetControl(control);
  hook->Hook();
  HWND old = control->GetHandle();
  control->RecreateWnd();
  ASSERT_NE(control->GetHandle(), old);
  ASSERT_TRUE(PumpUntil([&] { return after == 1; }, 3000));
  PumpFor(50);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
  EXPECT_EQ(hook->Window(), control->GetHandle());
  EXPECT_EQ(Ask(1), 7);
  EXPECT_FALSE(RehookQueued());

  // A window destroyed while the control lives on and made later: one re-hook, when the
  // window comes, and no message posted over and over meanwhile.
  form->DestroyHandle();
  PumpFor(50);
  EXPECT_FALSE(RehookQueued());
  EXPECT_FALSE(hook->Hooked());
  EXPECT_EQ(after, 1);
  form->HandleNeeded();
  EXPECT_EQ(before, 2);
  EXPECT_EQ(after, 2);
  EXPECT_EQ(Ask(1), 7);
}

TEST_F(DskHooksTest, AControlGoneForGoodPostsNothingAndIsForgotten) {
  hook->SetControl(control);
  hook->Hook();
  delete control;
  EXPECT_FALSE(RehookQueued());
  EXPECT_EQ(hook->GetControl(), nullptr);
  EXPECT_FALSE(hook->Hooked());
  PumpFor(50);
  EXPECT_EQ(before + after, 0);
}

TEST_F(DskHooksTest, FreeingTheControlWithAReHookQueuedIsSafe) {
  control->HandleNeeded();
  hook->SetControl(control);
  hook->Hook();
  control->RecreateWnd();
  EXPECT_TRUE(RehookQueued());
  delete control;
  EXPECT_EQ(hook->GetControl(), nullptr);
  PumpFor(50);
  EXPECT_EQ(before + after, 0);

  // The hook itself freed with its re-hook queued: the message finds nothing.
  control = new TAnsweringControl(form.get());
  control->SetParent(form.get());
  control->HandleNeeded();
  hook->SetControl(control);
  hook->Hook();
  control->RecreateWnd();
  EXPECT_TRUE(RehookQueued());
  hook.reset();
  PumpFor(50);
  EXPECT_EQ(before + after, 0);
  EXPECT_EQ(Ask(1), 42);
}

TEST_F(DskHooksTest, AnotherHookOfTheWindowKeepsWorkingWhenOursGoes) {
  for (bool oursFirst : {true, false}) {
    std::vector<UINT> other;
    TWindowHook kit;
    auto hookKit = [&] {
      kit.Hook(control->GetHandle(), [&](UINT Msg, WPARAM WParam, LPARAM LParam) {
        if (Msg == kAsk) other.push_back(Msg);
        return kit.CallPrevious(Msg, WParam, LParam);
      });
    };
    if (!oursFirst) hookKit();
    hook->SetControl(control);
    hook->Hook();
    if (oursFirst) hookKit();
    EXPECT_EQ(Ask(0), 42);
    hook->Unhook();
    EXPECT_EQ(Ask(1), 42) << oursFirst;
    EXPECT_EQ(other.size(), 2u) << oursFirst;
    kit.Unhook();
    EXPECT_EQ(Ask(0), 42);
  }
}

TEST_F(DskHooksTest, TheMdiClientFlagHooksAnMdiFormsClientWindow) {
  // A plain form has none: its own window is hooked.
  hook->MDIClient = true;
  hook->SetControl(form.get());
  form->HandleNeeded();
  hook->Hook();
  EXPECT_EQ(hook->Window(), form->GetHandle());
  hook->Unhook();

  TTestForm frame(nullptr, CreateNew);
  frame.SetFormStyle(fsMDIForm);
  frame.SetBounds(100, 100, 300, 200);
  frame.HandleNeeded();
  ASSERT_NE(frame.ClientHandle(), nullptr);
  hook->SetControl(&frame);
  hook->Hook();
  EXPECT_EQ(hook->Window(), frame.ClientHandle());
  seen.clear();
  EXPECT_EQ(SendMessageW(frame.ClientHandle(), kAsk, 1, 0), 7);  // handled by the event
  EXPECT_EQ(seen, std::vector<UINT>{kAsk});
  hook->Unhook();
  hook->MDIClient = false;
  hook->Hook();
  EXPECT_EQ(hook->Window(), frame.GetHandle());
  hook->Unhook();
  hook->SetControl(nullptr);
  frame.BeforeDestruction();
}

}  // namespace
