// MDI forms: an MDI form holds the system's MDI client window in the client area its
// aligned children leave, MDI children are windows inside that client (the client knows
// them as its children and activates them), and an MDI child with no MDI form to go into
// raises a class-library error when its window is made.
#include <gtest/gtest.h>

#include <memory>

#include "classlib/windows/extctrls.h"
#include "classlib/windows/forms.h"
#include "gui_test_util.h"

using namespace guitest;

namespace {

std::unique_ptr<TForm> NewMdiForm(TFormStyle Style, const char* Name) {
  auto form = std::make_unique<TForm>(nullptr, CreateNew);
  form->SetName(Name);
  form->SetFormStyle(Style);
  return form;
}

void Free(std::unique_ptr<TForm>& Form) {
  if (!Form) return;
  Form->BeforeDestruction();
  Form.reset();
}

TEST(MdiFormTest, AnMdiChildWithoutAnMdiFormRaisesAClearError) {
  auto child = NewMdiForm(fsMDIChild, "Orphan");
  try {
    child->HandleNeeded();
    FAIL() << "made a window";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message, "Cannot create the MDI child form 'Orphan': there is no MDI form");
  }
  EXPECT_FALSE(child->HandleAllocated());
  Free(child);
}

TEST(MdiFormTest, ChildrenLiveInTheClientWindowThatTheAlignedControlsLeave) {
  auto frame = NewMdiForm(fsMDIForm, "Frame");
  frame->SetBounds(20, 20, 400, 300);
  auto* bar = new TPanel(frame.get());
  bar->SetParent(frame.get());
  bar->SetAlign(alTop);
  bar->SetHeight(30);
  EXPECT_EQ(frame->ClientHandle(), nullptr);
  frame->Show();
  BringToFront(frame->GetHandle());  // the frame active, as a user has it
  HWND client = frame->ClientHandle();
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(ClassOf(client), L"MDIClient");
  EXPECT_EQ(GetParent(client), frame->GetHandle());
  TRect area = ChildRect(client);
  EXPECT_EQ(area, Rect(0, 30, frame->GetClientWidth(), frame->GetClientHeight()));

  auto first = NewMdiForm(fsMDIChild, "First");
  first->SetBounds(10, 10, 150, 100);
  first->Show();
  auto second = NewMdiForm(fsMDIChild, "Second");
  second->SetBounds(40, 40, 150, 100);
  second->Show();
  PumpFor(50);
  for (TForm* child : {first.get(), second.get()}) {
    EXPECT_EQ(GetParent(child->GetHandle()), client) << child->GetName();
    EXPECT_TRUE(GetWindowLongPtrW(child->GetHandle(), GWL_EXSTYLE) & WS_EX_MDICHILD);
  }
  EXPECT_EQ(ChildRect(second->GetHandle()), Bounds(40, 40, 150, 100));
  EXPECT_EQ(second->GetBoundsRect(), Bounds(40, 40, 150, 100));
  // The client manages them: it says which is active and activates another when asked.
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)), second->GetHandle());
  SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first->GetHandle()), 0);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)), first->GetHandle());

  // The frame resized: the client follows, below the bar.
  frame->SetBounds(20, 20, 500, 350);
  EXPECT_EQ(ChildRect(client), Rect(0, 30, frame->GetClientWidth(), frame->GetClientHeight()));
  // A child freed leaves the client's list.
  HWND firstWindow = first->GetHandle();
  Free(first);
  EXPECT_FALSE(IsWindow(firstWindow));
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)), second->GetHandle());
  Free(second);
  Free(frame);
}

TEST(MdiFormTest, AFormTurnedIntoAnMdiFormGetsItsClientAndLosesItAgain) {
  auto form = NewMdiForm(fsNormal, "Turned");
  form->SetBounds(20, 20, 300, 200);
  form->HandleNeeded();
  EXPECT_EQ(form->ClientHandle(), nullptr);
  form->SetFormStyle(fsMDIForm);
  HWND client = form->ClientHandle();
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(GetParent(client), form->GetHandle());
  form->SetFormStyle(fsNormal);
  EXPECT_EQ(form->ClientHandle(), nullptr);
  EXPECT_FALSE(IsWindow(client));
  Free(form);
}

}  // namespace
