// Anchors and size constraints: children of a form keep their distances to the sides they
// are anchored to when the form is resized (by the program and by its window), and
// SetBounds keeps a control within its constraints; constraints whose minimum exceeds the
// maximum are refused.
#include <gtest/gtest.h>

#include <memory>

#include "classlib/windows/extctrls.h"
#include "classlib/windows/forms.h"
#include "gui_test_util.h"

using namespace guitest;

namespace {

class AnchorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.reset(new TForm(nullptr, CreateNew));
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 300, 200);
  }
  void TearDown() override {
    form->BeforeDestruction();
    form.reset();
  }
  TPanel* Child(TAnchors Anchors, TWinControl* Parent = nullptr) {
    auto* p = new TPanel(form.get());
    p->SetParent(Parent ? Parent : form.get());
    p->SetBounds(100, 50, 60, 40);
    p->SetAnchors(Anchors);
    return p;
  }
  std::unique_ptr<TForm> form;
};

TEST_F(AnchorsTest, ChildrenKeepTheirDistancesToTheAnchoredSides) {
  struct Case {
    TAnchors Anchors;
    TRect Expected;  // after the form grows by 40 across and 20 down
  };
  const Case cases[] = {
      {{akLeft, akTop}, Bounds(100, 50, 60, 40)},
      {{akRight, akBottom}, Bounds(140, 70, 60, 40)},
      {{akLeft, akTop, akRight, akBottom}, Bounds(100, 50, 100, 60)},
      {{akLeft, akRight}, Bounds(100, 60, 100, 40)},  // neither top nor bottom: the middle
      {{akTop}, Bounds(120, 50, 60, 40)},
  };
  std::vector<TPanel*> children;
  for (const Case& c : cases) children.push_back(Child(c.Anchors));
  form->Show();
  form->SetBounds(0, 0, 340, 220);
  for (size_t i = 0; i < children.size(); ++i)
    EXPECT_EQ(children[i]->GetBoundsRect(), cases[i].Expected) << "case " << i;

  // The window resized from outside, as a user does: the same places; and back again.
  SetWindowPos(form->GetHandle(), nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  PumpFor(50);
  for (TPanel* p : children) EXPECT_EQ(p->GetBoundsRect(), Bounds(100, 50, 60, 40));
}

TEST_F(AnchorsTest, AControlMovedByTheProgramKeepsItsNewPlaceToTheSides) {
  TPanel* p = Child({akRight, akBottom});
  form->SetBounds(0, 0, 320, 200);
  EXPECT_EQ(p->GetLeft(), 120);
  p->SetLeft(10);  // 290 from the right now
  form->SetBounds(0, 0, 340, 200);
  EXPECT_EQ(p->GetLeft(), 30);
}

TEST_F(AnchorsTest, NestedAnchorsFollowTheirOwnParent) {
  TPanel* outer = Child({akLeft, akTop, akRight, akBottom});
  TPanel* inner = Child({akRight}, outer);
  inner->SetBounds(30, 5, 20, 20);
  const int right = outer->GetClientWidth() - inner->GetLeft();
  form->SetBounds(0, 0, 350, 200);
  EXPECT_EQ(outer->GetWidth(), 110);
  EXPECT_EQ(outer->GetClientWidth() - inner->GetLeft(), right);
}

TEST_F(AnchorsTest, ConstraintsBoundWhatSetBoundsAndAnchorsMake) {
  TPanel* p = Child({akLeft, akTop, akRight, akBottom});
  TSizeConstraints* c = p->GetConstraints();
  c->SetMaxWidth(80);
  c->SetMinHeight(30);
  p->SetBounds(0, 0, 200, 10);
  EXPECT_EQ(p->GetWidth(), 80);
  EXPECT_EQ(p->GetHeight(), 30);
  p->SetBounds(0, 0, 60, 40);
  form->SetBounds(0, 0, 400, 100);  // stretched by 100, shrunk by 100
  EXPECT_EQ(p->GetWidth(), 80);
  EXPECT_EQ(p->GetHeight(), 30);
  // A constraint set later applies at once; a windowed form is kept too.
  c->SetMinWidth(75);
  c->SetMaxWidth(0);
  p->SetWidth(10);
  EXPECT_EQ(p->GetWidth(), 75);
  form->GetConstraints()->SetMinWidth(250);
  form->Show();
  form->SetWidth(100);
  EXPECT_EQ(form->GetWidth(), 250);
  RECT r{};
  GetWindowRect(form->GetHandle(), &r);
  EXPECT_EQ(r.right - r.left, 250);
}

TEST_F(AnchorsTest, AMinimumAboveTheMaximumIsRefused) {
  TPanel* p = Child({akLeft, akTop});
  TSizeConstraints* c = p->GetConstraints();
  c->SetMaxWidth(50);
  EXPECT_THROW(c->SetMinWidth(60), EInvalidOperation);
  c->SetMinHeight(20);
  EXPECT_THROW(c->SetMaxHeight(10), EInvalidOperation);
  EXPECT_THROW(c->SetMinWidth(-1), EInvalidOperation);
  EXPECT_EQ(c->GetMinWidth(), 0);
  EXPECT_EQ(c->GetMaxHeight(), 0);
  EXPECT_EQ(p->GetWidth(), 50);  // the maximum that was taken holds
  // No bound at all (0) is no maximum: any minimum goes.
  c->SetMaxWidth(0);
  c->SetMinWidth(60);
  EXPECT_EQ(p->GetWidth(), 60);
}

}  // namespace
