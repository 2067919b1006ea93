// The kit on MDI forms: a background on an MDI form keeps alClient and paints the MDI
// client window (checked by its pixels, around a child), a repaint of it reaches the
// client, and a window-hooking component on an MDI child hooks the child's window.
#include <gtest/gtest.h>

#include <memory>

#include "classlib/windows/forms.h"
#include "controls/frbackground.h"
#include "controls/kitwndproc.h"
#include "tests/classlib/gui_test_util.h"

using namespace guitest;

namespace {

constexpr UINT kProbe = WM_APP + 9;

class TCountingHook : public TKitWndProcComponent {
 public:
  using TKitWndProcComponent::TKitWndProcComponent;
  int Probes = 0;

 protected:
  void WndProc(TKitMessage& Message) override {
    if (Message.Msg == kProbe) ++Probes;
    TKitWndProcComponent::WndProc(Message);
  }
};

std::uint32_t Rgb(TBitmap* B, int X, int Y) {
  return static_cast<std::uint32_t>(B->Canvas()->GetPixels(X, Y)) & 0xFFFFFF;
}

class MdiKitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame.reset(new TForm(nullptr, CreateNew));
    frame->SetFormStyle(fsMDIForm);
    frame->SetBounds(0, 0, 420, 320);
    background = new TFrBackground(frame.get());
    background->SetParent(frame.get());
    background->SetGradientColorStart(clRed);
    background->SetGradientColorStop(clRed);
  }
  void TearDown() override {
    if (child) {
      child->BeforeDestruction();
      child.reset();
    }
    frame->BeforeDestruction();
    frame.reset();
  }
  std::unique_ptr<TForm> frame, child;
  TFrBackground* background = nullptr;
};

TEST_F(MdiKitTest, TheBackgroundPaintsTheClientWindowAroundAHookedChild) {
  EXPECT_EQ(background->GetAlign(), alClient);
  background->SetAlign(alLeft);
  EXPECT_EQ(background->GetAlign(), alClient);  // kept on an MDI form
  EXPECT_FALSE(frame->GetControlStyle().Contains(csOpaque));
  frame->Show();
  ASSERT_TRUE(background->MDIMode());
  HWND client = frame->ClientHandle();

  child.reset(new TForm(nullptr, CreateNew));
  child->SetFormStyle(fsMDIChild);
  child->SetColor(clBlue);
  child->SetBounds(150, 100, 120, 90);
  auto* hook = new TCountingHook(child.get());
  EXPECT_EQ(hook->OwnerKind(), okMDIChild);
  child->Show();
  EXPECT_TRUE(hook->Hooked());
  EXPECT_EQ(hook->WindowHandle(), child->GetHandle());
  SendMessageW(child->GetHandle(), kProbe, 0, 0);
  EXPECT_EQ(hook->Probes, 1);

  // The client's pixels: the background's red, the child's window over it.
  TRect inChild = ChildRect(child->GetHandle());
  bool painted = false;
  std::unique_ptr<TBitmap> pixels;
  for (int attempt = 0; attempt < 5 && !painted; ++attempt) {
    BringToFront(frame->GetHandle());
    RedrawWindow(client, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(100);
    pixels = Capture(client, false);
    painted = Rgb(pixels.get(), 5, 5) == 0x0000FF && Rgb(pixels.get(), pixels->GetWidth() - 5, pixels->GetHeight() - 5) == 0x0000FF;
  }
  SaveScreenshot(frame->GetHandle(), "mdi_background.bmp");
  EXPECT_TRUE(painted) << std::hex << Rgb(pixels.get(), 5, 5);
  EXPECT_EQ(Rgb(pixels.get(), 60, 250), 0x0000FFu);
  const int cx = (inChild.Left + inChild.Right) / 2, cy = (inChild.Top + inChild.Bottom) / 2;
  EXPECT_NE(Rgb(pixels.get(), cx, cy), 0x0000FFu);  // the child covers it

  // A change repaints the client.
  background->SetGradientColorStart(clLime);
  background->SetGradientColorStop(clLime);
  ASSERT_TRUE(PumpUntil([&] {
    pixels = Capture(client, false);
    return Rgb(pixels.get(), 5, 5) == 0x00FF00;
  }, 3000));
  // Hidden, it leaves the client to its own painting.
  background->Hide();
  RedrawWindow(client, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  PumpFor(50);
  pixels = Capture(client, false);
  EXPECT_NE(Rgb(pixels.get(), 5, 5), 0x00FF00u);
}

TEST_F(MdiKitTest, FreeingTheBackgroundGivesTheClientItsProcedureBack) {
  frame->Show();
  HWND client = frame->ClientHandle();
  ASSERT_TRUE(background->MDIMode());
  delete background;
  RedrawWindow(client, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  PumpFor(50);
  auto pixels = Capture(client, false);
  EXPECT_NE(Rgb(pixels.get(), 5, 5), 0x0000FFu);
}

}  // namespace
