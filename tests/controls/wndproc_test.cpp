// The window-hooking component on real forms: hooking the owner form's window and passing
// messages on, unhooking in the middle of a chain, the window's end and the form's new
// window, MDI owners, and the application window's hook.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/windows/subclass.h"
#include "classlib/core/unicode.h"
#include "controls/kitwndproc.h"

namespace {

constexpr UINT kProbe = WM_APP + 7;
std::vector<std::string> journal;
using Journal = std::vector<std::string>;

// A form built in code whose own procedure answers the probe with 5.
class TProbeForm : public TForm {
 public:
  explicit TProbeForm(TComponent* AOwner) : TForm(AOwner, CreateNew) {}

 protected:
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == kProbe) {
      journal.push_back("window");
      Message.Result = 5;
      return;
    }
    if (Message.Msg == WM_DESTROY) {
      journal.push_back("window destroy");
      if (AtDestroy) AtDestroy();
    }
    if (Message.Msg == WM_NCDESTROY) journal.push_back("window end");
    TForm::Dispatch(Message);
  }

 public:
  std::function<void()> AtDestroy;
};

// A descendant as the shaped form is one: handles a message, undoes its effects, and keeps
// the probe from the application window when asked to.
class TProbeHook : public TKitWndProcComponent {
 public:
  using TKitWndProcComponent::TKitWndProcComponent;
  int Restored = 0;
  int AppProbes = 0;

 protected:
  void RestoreHook() override { ++Restored; }
  void WndProc(TKitMessage& Message) override {
    if (Message.Msg == kProbe) journal.push_back("component");
    if (Message.Msg == WM_DESTROY) journal.push_back("component destroy");
    if (Message.Msg == WM_NCDESTROY) journal.push_back("component end");
    TKitWndProcComponent::WndProc(Message);
    if (Message.Msg == kProbe) Message.Result += 100;
  }
  bool MainWndHook(TKitMessage& Message) override {
    if (Message.Msg != kProbe) return true;
    ++AppProbes;
    Message.Result = 77;
    return false;
  }
};

class WndProcComponentTest : public ::testing::Test {
 protected:
  void SetUp() override { journal.clear(); }
  void TearDown() override { delete form; }
  LRESULT Probe() {
    journal.clear();
    return SendMessageW(form->GetHandle(), kProbe, 0, 0);
  }
  TProbeForm* form = new TProbeForm(nullptr);
};

TEST_F(WndProcComponentTest, HooksItsFormsWindowWhenTheFormMakesItAndPassesMessagesOn) {
  auto* hook = new TProbeHook(form);
  EXPECT_FALSE(hook->Hooked());
  form->HandleNeeded();
  EXPECT_TRUE(hook->Hooked());
  EXPECT_FALSE(hook->Hook());  // hooked already
  EXPECT_EQ(Probe(), 105);
  EXPECT_EQ(journal, (Journal{"component", "window"}));
  // Turning it off lets the descendant undo its effects; turning it on again hooks.
  hook->SetEnabled(false);
  EXPECT_EQ(hook->Restored, 1);
  hook->Unhook();
  LONG_PTR own = GetWindowLongPtrW(form->GetHandle(), GWLP_WNDPROC);
  EXPECT_EQ(Probe(), 5);
  hook->SetEnabled(true);
  EXPECT_EQ(Probe(), 105);
  // Freed alone, it leaves the window as it found it, and the form's next window alone.
  delete hook;
  EXPECT_EQ(GetWindowLongPtrW(form->GetHandle(), GWLP_WNDPROC), own);
  form->RecreateWnd();
  EXPECT_EQ(Probe(), 5);
  // Without a form there is nothing to hook.
  TProbeHook loose(nullptr);
  EXPECT_EQ(loose.WindowHandle(), nullptr);
  EXPECT_FALSE(loose.Hook());
}

TEST_F(WndProcComponentTest, HookingMakesTheFormsWindowAndHooksItOnce) {
  auto* hook = new TProbeHook(form);
  ASSERT_FALSE(form->HandleAllocated());
  EXPECT_TRUE(hook->Hook());
  EXPECT_TRUE(form->HandleAllocated());
  EXPECT_EQ(Probe(), 105);
  EXPECT_EQ(journal, (Journal{"component", "window"}));
}

TEST_F(WndProcComponentTest, UnhookingInTheMiddleOfAChainKeepsTheLaterHook) {
  auto* component = new TProbeHook(form);
  form->HandleNeeded();
  TWindowHook later;
  ASSERT_TRUE(later.Hook(form->GetHandle(), [&later](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    if (msg == kProbe) journal.push_back("later");
    return later.CallPrevious(msg, w, l);
  }));
  EXPECT_EQ(Probe(), 105);
  EXPECT_EQ(journal, (Journal{"later", "component", "window"}));
  component->Unhook();
  EXPECT_EQ(Probe(), 5);
  EXPECT_EQ(journal, (Journal{"later", "window"}));
}

TEST_F(WndProcComponentTest, AfterWmDestroyItOnlyPassesOnAndTheFormsNewWindowIsHookedAgain) {
  auto* component = new TProbeHook(form);
  form->HandleNeeded();
  HWND first = form->GetHandle();
  journal.clear();
  form->RecreateWnd();
  // Its own handling stops with WM_DESTROY; the window still gets its WM_NCDESTROY.
  EXPECT_EQ(journal, (Journal{"component destroy", "window destroy", "window end"}));
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(component->WindowDestroying());
  EXPECT_TRUE(component->Hooked());
  EXPECT_EQ(Probe(), 105);
  EXPECT_EQ(journal, (Journal{"component", "window"}));
}

TEST_F(WndProcComponentTest, TheOwnerKindFollowsTheFormStyleAndAnMdiChildLetsGoAtWmDestroy) {
  struct Case {
    TFormStyle Style;
    TKitOwnerKind Kind;
  } cases[] = {{fsNormal, okNormal}, {fsStayOnTop, okNormal}, {fsMDIChild, okMDIChild}, {fsMDIForm, okMDIForm}};
  // The MDI form the children go into.
  TProbeForm frame(nullptr);
  frame.SetFormStyle(fsMDIForm);
  frame.HandleNeeded();
  for (const Case& c : cases) {
    TProbeForm owner(nullptr);
    owner.SetFormStyle(c.Style);
    auto* component = new TProbeHook(&owner);
    EXPECT_EQ(component->OwnerKind(), c.Kind) << c.Style;
    EXPECT_TRUE(component->Hook()) << c.Style;
    // An MDI form's client window is hooked, or its own with UseFrame.
    EXPECT_EQ(component->WindowHandle(), c.Style == fsMDIForm ? owner.ClientHandle() : owner.GetHandle()) << c.Style;
    if (c.Style == fsMDIForm) {
      ASSERT_NE(owner.ClientHandle(), nullptr);
      EXPECT_EQ(SendMessageW(owner.ClientHandle(), kProbe, 0, 0), 100);  // the client does not know it
      component->Unhook();
      component->UseFrame = true;
      EXPECT_TRUE(component->Hook());
      EXPECT_EQ(component->WindowHandle(), owner.GetHandle());
      EXPECT_EQ(SendMessageW(owner.GetHandle(), kProbe, 0, 0), 105);
    }
  }
  // When its window gets WM_DESTROY, a component of a plain form is still hooked; one of
  // an MDI child has let go already. Both pass the message on, and both take the new window.
  for (TFormStyle style : {fsNormal, fsMDIChild}) {
    TProbeForm owner(nullptr);
    owner.SetFormStyle(style);
    auto* component = new TProbeHook(&owner);
    owner.HandleNeeded();
    owner.AtDestroy = [&] { journal.push_back(component->Hooked() ? "hooked" : "let go"); };
    journal.clear();
    owner.RecreateWnd();
    EXPECT_EQ(journal, (Journal{"component destroy", "window destroy", style == fsMDIChild ? "let go" : "hooked",
                                "window end"}))
        << style;
    EXPECT_TRUE(component->Hooked()) << style;
  }
}

TEST_F(WndProcComponentTest, HooksTheApplicationWindowWithItsFormsWindow) {
  HWND app = Application->Handle();
  auto* component = new TProbeHook(form);
  component->HookMainWindow = true;
  EXPECT_EQ(SendMessageW(app, kProbe, 0, 0), 0);
  EXPECT_FALSE(component->MainWindowHooked());
  form->HandleNeeded();
  EXPECT_TRUE(component->MainWindowHooked());
  EXPECT_EQ(SendMessageW(app, kProbe, 0, 0), 77);
  // What the hook lets go on, the application window handles as before.
  std::wstring title = Utf8ToWide(Application->GetTitle());
  ASSERT_FALSE(title.empty());
  EXPECT_EQ(SendMessageW(app, WM_GETTEXTLENGTH, 0, 0), static_cast<LRESULT>(title.size()));
  // A new window of the form brings one hook of the application window, not two.
  form->RecreateWnd();
  EXPECT_TRUE(component->MainWindowHooked());
  component->AppProbes = 0;
  SendMessageW(app, kProbe, 0, 0);
  EXPECT_EQ(component->AppProbes, 1);
  component->Unhook();
  EXPECT_FALSE(component->MainWindowHooked());
  EXPECT_EQ(SendMessageW(app, kProbe, 0, 0), 0);
  // Freed with its form, hooked, it leaves the application window alone too.
  component->Hook();
  delete form;
  form = nullptr;
  EXPECT_EQ(SendMessageW(app, kProbe, 0, 0), 0);
}

}  // namespace
