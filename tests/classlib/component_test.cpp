// Components (ownership, names, notifications, published fields), persistent assignment
// and collections.
#include <gtest/gtest.h>

#include "classlib/core/collection.h"
#include "classlib/core/component.h"
#include "classlib/core/lists.h"
#include "test_components.h"

namespace {

class Components : public ::testing::Test {
 protected:
  void SetUp() override { TestLog().clear(); }
};

TEST_F(Components, OwnerFreesWhatItOwnsLastInsertedFirst) {
  auto* owner = new TComponent(nullptr);
  for (const char* name : {"A", "B", "C"}) (new TTestWidget(owner))->SetName(name);
  EXPECT_EQ(owner->ComponentCount(), 3);
  EXPECT_EQ(owner->Components(1)->GetName(), "B");
  EXPECT_THROW(owner->Components(3), EListError);
  delete owner;
  EXPECT_EQ(TestLog(), (std::vector<std::string>{"Destroy C", "Destroy B", "Destroy A"}));
}

TEST_F(Components, DeleteRemovesAComponentFromItsOwner) {
  TComponent owner(nullptr);
  auto* a = new TTestWidget(&owner);
  a->SetName("Alpha");
  auto* b = new TTestWidget(&owner);
  EXPECT_EQ(owner.FindComponent("ALPHA"), a);  // without regard to case
  delete a;
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), b);
  EXPECT_EQ(owner.FindComponent("Alpha"), nullptr);
}

TEST_F(Components, NamesAreIdentifiersUniqueWithinTheOwner) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("Button1");
  struct Case {
    const char* name;
    const char* message;
  };
  const Case cases[] = {{"1Button", "'1Button' is not a valid component name"},
                        {"Button 2", "'Button 2' is not a valid component name"},
                        {"Кнопка", "'Кнопка' is not a valid component name"},
                        {"button1", "A component named button1 already exists"}};
  for (const Case& c : cases) {
    try {
      b->SetName(c.name);
      ADD_FAILURE() << c.name;
    } catch (const EComponentError& e) {
      EXPECT_EQ(e.Message, c.message);
    }
  }
  EXPECT_EQ(b->GetName(), "");
  a->SetName("BUTTON1");  // its own name in other case
  EXPECT_EQ(owner.FindComponent("button1"), a);
  b->SetName("Button1_2");
  a->SetName("");
  EXPECT_EQ(owner.FindComponent("Button1"), nullptr);
  EXPECT_EQ(owner.FindComponent("button1_2"), b);
}

TEST_F(Components, FreeNotificationClearsReferencesToAFreedComponent) {
  TComponent form1(nullptr), form2(nullptr);
  auto* w = new TTestWidget(&form1);
  auto* sameOwner = new TTestWidget(&form1);
  auto* otherOwner = new TTestWidget(&form2);
  w->SetBuddy(otherOwner);
  delete otherOwner;
  EXPECT_EQ(w->GetBuddy(), nullptr);

  w->SetBuddy(sameOwner);  // told through the common owner
  delete sameOwner;
  EXPECT_EQ(w->GetBuddy(), nullptr);

  auto* third = new TTestWidget(&form2);
  w->SetBuddy(third);
  w->SetBuddy(nullptr);  // no longer interested
  delete w;              // and its notification link is gone with it
  delete third;
}

TEST_F(Components, OwnersFieldsFollowTheirComponents) {
  TTestForm form(nullptr);
  auto* w = new TTestWidget(&form);
  EXPECT_EQ(form.Widget1, nullptr);
  w->SetName("Widget1");
  EXPECT_EQ(form.Widget1, w);
  w->SetName("Other");
  EXPECT_EQ(form.Widget1, nullptr);
  w->SetName("Widget1");
  delete w;
  EXPECT_EQ(form.Widget1, nullptr);
  auto* plain = new TComponent(&form);
  EXPECT_THROW(plain->SetName("Widget1"), EComponentError);  // the field holds a TTestWidget
  EXPECT_EQ(plain->GetName(), "");
}

TEST_F(Components, DestroyingIsSeenByOwnedComponents) {
  auto* owner = new TComponent(nullptr);
  auto* child = new TComponent(owner);
  owner->Destroying();
  EXPECT_TRUE(child->ComponentState().Contains(csDestroying));
  EXPECT_FALSE(child->ComponentState().Contains(csDesigning));
  delete owner;
}

TEST(Persistent, AssignOfAnUnknownSourceNamesBothClasses) {
  TTestFont font;
  TStringList list;
  try {
    font.Assign(&list);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a TStringList to a TTestFont");
  }
  TTestFont other;
  other.SetName("Courier");
  font.Assign(&other);
  EXPECT_EQ(font.GetName(), "Courier");
}

class TCountingCollection : public TCollection {
 public:
  using TCollection::TCollection;
  int Updates = 0;
  std::vector<std::string> Notes;

 protected:
  void Update(TCollectionItem*) override { ++Updates; }
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
    Notes.push_back(EnumName(Action) + " " + std::to_string(Item->ID()));
  }
};

TEST(Collections, KeepOrderedItemsWithStableIds) {
  TCountingCollection c(nullptr, ClassOf<TTestItem>());
  auto* a = static_cast<TTestItem*>(c.Add());
  auto* b = static_cast<TTestItem*>(c.Add());
  auto* first = static_cast<TTestItem*>(c.Insert(0));
  EXPECT_EQ(c.Count(), 3);
  EXPECT_EQ(c.GetItem(0), first);
  EXPECT_EQ(a->GetIndex(), 1);
  EXPECT_EQ(first->ID(), 2);
  b->SetIndex(0);
  EXPECT_EQ(c.GetItem(0), b);
  EXPECT_EQ(c.FindItemID(0), a);
  c.Delete(1);  // `first`
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(c.FindItemID(2), nullptr);
  delete a;  // an item leaves its collection
  EXPECT_EQ(c.Count(), 1);
  EXPECT_THROW(c.GetItem(1), EListError);
  EXPECT_EQ(c.Notes, (std::vector<std::string>{"cnAdded 0", "cnAdded 1", "cnAdded 2", "cnDeleting 2"}));
}

TEST(Collections, ReportChangesOnceInsideAnUpdate) {
  TCountingCollection c(nullptr, ClassOf<TTestItem>());
  c.Add();
  EXPECT_EQ(c.Updates, 1);
  c.BeginUpdate();
  c.Add();
  c.Add();
  c.Delete(0);
  EXPECT_EQ(c.Updates, 1);
  c.EndUpdate();
  EXPECT_EQ(c.Updates, 2);
  c.Clear();
  EXPECT_EQ(c.Updates, 3);
  EXPECT_EQ(c.Count(), 0);
}

TEST(Collections, AssignCopiesItemsAndNamePathsFollowTheOwner) {
  TTestForm form(nullptr);
  form.SetName("Form1");
  auto* w = new TTestWidget(&form);
  w->SetName("Widget1");
  auto* item = static_cast<TTestItem*>(w->GetItems()->Add());
  item->Caption = "x";
  w->GetItems()->Add();
  EXPECT_EQ(w->GetItems()->GetItem(1)->GetNamePath(), "Widget1.Items[1]");
  EXPECT_EQ(item->GetDisplayName(), "x");

  TCollection copy(nullptr, ClassOf<TTestItem>());
  copy.Add();
  copy.Assign(w->GetItems());
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(static_cast<TTestItem*>(copy.GetItem(0))->Caption, "x");
  EXPECT_NE(copy.GetItem(0), item);
  EXPECT_THROW(copy.Assign(w->GetFont()), EConvertError);
}

TEST(Lists, HoldPointersInOrder) {
  int a = 1, b = 2, c = 3;
  TList list;
  list.Add(&a);
  list.Add(&c);
  list.Insert(1, &b);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list[1], &b);
  list.Move(0, 2);
  EXPECT_EQ(list.IndexOf(&a), 2);
  list.Exchange(0, 1);
  EXPECT_EQ(list.First(), &c);
  EXPECT_EQ(list.Remove(&b), 1);
  EXPECT_EQ(list.Remove(&b), -1);
  list.Add(nullptr);
  list.Pack();
  EXPECT_EQ(list.Count(), 2);
  list.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
  EXPECT_EQ(list.First(), &a);
  try {
    list.Get(2);
    ADD_FAILURE();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message, "Индекс списка вышел за границы (2)");  // the class library's text
  }
  EXPECT_THROW(list.Insert(5, &a), EListError);
}

}  // namespace
