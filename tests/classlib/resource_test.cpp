// Forms compiled from text at build time into RCDATA resources of this test program.
#include <gtest/gtest.h>

#include "classlib/core/resstream.h"
#include "test_components.h"

namespace {

TEST(FormResources, AreReadThroughResourceStreams) {
  TResourceStream s(nullptr, "TTESTFORM");
  EXPECT_EQ(StreamToString(&s).substr(0, 4), "TPF0");
  EXPECT_THROW(s.WriteBuffer("x", 1), EStreamError);
  try {
    TResourceStream missing(nullptr, "TNOSUCHFORM");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message, "Resource TNOSUCHFORM not found");
  }
}

TEST(FormResources, InitInheritedComponentReadsTheFormsOfTheClassAndItsAncestors) {
  TTestForm base(nullptr);
  ASSERT_TRUE(InitInheritedComponent(&base, ClassOf<TComponent>()));
  EXPECT_EQ(base.Caption, "Из ресурса");
  ASSERT_NE(base.Widget1, nullptr);
  EXPECT_EQ(base.Widget1->Left, 4);
  EXPECT_EQ(base.Widget1->Color, clAqua);

  // The ancestor's form first, then the descendant's, which changes and adds; Loaded
  // runs once per component, after both.
  TestLog().clear();
  TTestDerivedForm derived(nullptr);
  ASSERT_TRUE(InitInheritedComponent(&derived, ClassOf<TComponent>()));
  EXPECT_EQ(TestLog(), (std::vector<std::string>{"Loaded TestForm", "Loaded Widget1", "Loaded Widget2"}));
  EXPECT_EQ(derived.GetName(), "TestForm");
  EXPECT_EQ(derived.Caption, "Производная");
  ASSERT_NE(derived.Widget1, nullptr);
  EXPECT_EQ(derived.Widget1->Left, 40);
  EXPECT_EQ(derived.Widget1->Width, 10);
  ASSERT_NE(derived.Widget2, nullptr);
  EXPECT_EQ(derived.Widget2->Width, 20);
  derived.Widget1->OnClick(derived.Widget1);
  EXPECT_EQ(derived.Clicks, 1);
  EXPECT_EQ(derived.ComponentCount(), 2);

  // Below TTestForm only the derived form's own resource is read.
  TTestDerivedForm partial(nullptr);
  EXPECT_THROW(InitInheritedComponent(&partial, ClassOf<TTestForm>()), EReadError);  // Widget1 is missing
  EXPECT_FALSE(partial.ComponentState().Contains(csLoading));

  TTestPanel none(nullptr);
  EXPECT_FALSE(InitInheritedComponent(&none, ClassOf<TComponent>()));
}

}  // namespace
