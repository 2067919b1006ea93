// Published properties, class information and the class registry.
#include <gtest/gtest.h>

#include "classlib/core/colors.h"
#include "classlib/core/typinfo.h"
#include "test_components.h"

namespace {

std::vector<std::string> PropertyNames(TClass c) {
  std::vector<std::string> names;
  for (const TPropInfo* p : c->Properties()) names.push_back(p->Name());
  return names;
}

TEST(ClassInfo, NamesClassesAndTellsDescent) {
  TTestPanel panel(nullptr);
  TObject* o = &panel;
  EXPECT_EQ(o->ClassName(), "TTestPanel");
  EXPECT_EQ(o->ClassType(), ClassOf<TTestPanel>());
  EXPECT_EQ(ClassOf<TTestPanel>()->ClassParent(), ClassOf<TTestWidget>());
  EXPECT_TRUE(o->InheritsFrom(ClassOf<TComponent>()));
  EXPECT_TRUE(o->InheritsFrom(ClassOf<TObject>()));
  EXPECT_FALSE(o->InheritsFrom(ClassOf<TTestForm>()));
}

TEST(ClassInfo, RegistryFindsClassesByNameAndCreatesComponents) {
  EXPECT_EQ(FindClass("ttestwidget"), ClassOf<TTestWidget>());  // without regard to case
  EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
  try {
    FindClass("TNoSuchClass");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_STREQ(e.what(), "Class TNoSuchClass not found");
  }
  TComponent owner(nullptr);
  TComponent* c = FindClass("TTestPanel")->CreateComponent(&owner);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->ClassName(), "TTestPanel");
  EXPECT_EQ(c->Owner(), &owner);
  EXPECT_EQ(ClassOf<TStringList>()->CreateComponent(&owner), nullptr);  // no component
  EXPECT_EQ(ClassOf<TStrings>()->CreateItem(nullptr), nullptr);
}

TEST(Properties, AreListedBaseFirstInDeclarationOrderAndFoundWithoutRegardToCase) {
  std::vector<std::string> names = PropertyNames(ClassOf<TTestPanel>());
  std::vector<std::string> expected = {"Name",  "Tag",     "Left",  "Width", "Visible", "Shape",   "Sides",
                                       "Color", "Ratio",   "Scale", "Caption", "Accel", "Big",     "Font",
                                       "Items", "Lines",   "Buddy", "OnClick", "OnMeasure"};
  EXPECT_EQ(names, expected);
  const TPropInfo* p = ClassOf<TTestPanel>()->FindProperty("caption");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Name(), "Caption");
  EXPECT_EQ(ClassOf<TTestPanel>()->FindProperty("Nothing"), nullptr);
  EXPECT_EQ(ClassOf<TComponent>()->FindProperty("Caption"), nullptr);
}

TEST(Properties, KindsFollowTheTypes) {
  struct Case {
    const char* name;
    TTypeKind kind;
  };
  const Case cases[] = {{"Left", tkInteger},  {"Visible", tkEnumeration}, {"Shape", tkEnumeration},
                        {"Sides", tkSet},     {"Color", tkInteger},       {"Ratio", tkFloat},
                        {"Scale", tkFloat},   {"Caption", tkString},      {"Accel", tkChar},
                        {"Big", tkInt64},     {"Font", tkClass},          {"Buddy", tkClass},
                        {"OnClick", tkMethod}};
  for (const Case& c : cases) {
    const TPropInfo* p = ClassOf<TTestWidget>()->FindProperty(c.name);
    ASSERT_NE(p, nullptr) << c.name;
    EXPECT_EQ(EnumName(p->Kind()), EnumName(c.kind)) << c.name;
  }
  EXPECT_NE(ClassOf<TTestWidget>()->FindProperty("Color")->IdentMap(), nullptr);
  EXPECT_EQ(ClassOf<TTestWidget>()->FindProperty("Left")->IdentMap(), nullptr);
  EXPECT_EQ(ClassOf<TTestWidget>()->FindProperty("Shape")->EnumInfo()->Name(2), "tsTriangle");
  EXPECT_EQ(ClassOf<TTestWidget>()->FindProperty("Buddy")->PropClass(), ClassOf<TTestWidget>());
  EXPECT_TRUE(ClassOf<TTestWidget>()->FindProperty("Scale")->IsSingle());
  EXPECT_FALSE(ClassOf<TTestWidget>()->FindProperty("Font")->IsWritable());
}

TEST(Properties, GiveGenericAccessByKind) {
  TTestWidget w(nullptr);
  TClass c = w.ClassType();
  c->FindProperty("Left")->SetOrd(&w, -5);
  c->FindProperty("Shape")->SetOrd(&w, tsSquare);
  c->FindProperty("Sides")->SetOrd(&w, static_cast<std::int64_t>(TTestSides{sdRight, sdBottom}.Bits()));
  c->FindProperty("Visible")->SetOrd(&w, 0);
  c->FindProperty("Ratio")->SetFloat(&w, 2.5);
  c->FindProperty("Caption")->SetStr(&w, "Привет");
  c->FindProperty("Big")->SetOrd(&w, INT64_MIN);
  EXPECT_EQ(w.Left, -5);
  EXPECT_EQ(w.Shape, tsSquare);
  EXPECT_TRUE(w.Sides == (TTestSides{sdRight, sdBottom}));
  EXPECT_FALSE(w.Visible);
  EXPECT_EQ(w.Ratio, 2.5);
  EXPECT_EQ(c->FindProperty("Caption")->GetStr(&w), "Привет");
  EXPECT_EQ(w.Big, INT64_MIN);
  EXPECT_EQ(c->FindProperty("Font")->GetObject(&w), w.GetFont());

  TTestWidget other(nullptr);
  other.SetName("Other");
  c->FindProperty("Buddy")->SetObject(&w, &other);
  EXPECT_EQ(w.GetBuddy(), &other);
  TComponent plain(nullptr);
  EXPECT_THROW(c->FindProperty("Buddy")->SetObject(&w, &plain), EPropertyError);  // not a TTestWidget
}

TEST(Properties, RefuseValuesOutsideTheTypeAndTheWrongKind) {
  TTestWidget w(nullptr);
  TClass c = w.ClassType();
  struct Case {
    const char* prop;
    std::int64_t value;
  };
  const Case cases[] = {{"Left", 1ll << 40}, {"Shape", 3}, {"Shape", -1}, {"Visible", 2}, {"Sides", 16}, {"Accel", 256}};
  for (const Case& k : cases)
    EXPECT_THROW(c->FindProperty(k.prop)->SetOrd(&w, k.value), EPropertyError) << k.prop << " " << k.value;
  EXPECT_EQ(w.Left, 0);
  EXPECT_EQ(w.Shape, tsCircle);
  EXPECT_THROW(c->FindProperty("Caption")->GetOrd(&w), EPropertyError);
  EXPECT_THROW(c->FindProperty("Left")->SetStr(&w, "1"), EPropertyError);
  EXPECT_THROW(c->FindProperty("Font")->SetObject(&w, nullptr), EPropertyError);  // read-only
}

TEST(Properties, KnowTheirDefaultsAndStoredRules) {
  TTestWidget w(nullptr);
  TClass c = w.ClassType();
  EXPECT_TRUE(c->FindProperty("Color")->IsDefaultValue(&w));
  EXPECT_TRUE(c->FindProperty("Sides")->IsDefaultValue(&w));
  EXPECT_FALSE(c->FindProperty("Width")->IsDefaultValue(&w));  // no declared default
  EXPECT_FALSE(c->FindProperty("Width")->HasDefault());
  w.Color = clRed;
  EXPECT_FALSE(c->FindProperty("Color")->IsDefaultValue(&w));
  EXPECT_FALSE(c->FindProperty("Name")->IsStored(&w));  // the header carries it
  EXPECT_TRUE(c->FindProperty("Tag")->IsStored(&w));
}

TEST(Enumerations, NameTheirValues) {
  EXPECT_EQ(EnumName(sdBottom), "sdBottom");
  TTestSide side = sdLeft;
  EXPECT_TRUE(EnumValue("SDRIGHT", side));
  EXPECT_EQ(side, sdRight);
  EXPECT_FALSE(EnumValue("sdMiddle", side));
  EXPECT_EQ(HxEnumInfo(sdLeft).Count(), 4);
  EXPECT_EQ(BooleanEnumInfo().Value("true"), 1);
}

TEST(Sets, CombineLikeSets) {
  TTestSides s{sdLeft, sdTop};
  s.Include(sdBottom).Exclude(sdLeft);
  EXPECT_TRUE(s == (TTestSides{sdTop, sdBottom}));
  EXPECT_TRUE((s + TTestSides{sdLeft}) == (TTestSides{sdLeft, sdTop, sdBottom}));
  EXPECT_TRUE((s - TTestSides{sdTop}) == TTestSides{sdBottom});
  EXPECT_TRUE((s * TTestSides{sdTop, sdRight}) == TTestSides{sdTop});
  EXPECT_TRUE(TTestSides().Empty());
}

TEST(Colors, HaveTheirNames) {
  struct Case {
    TColor color;
    const char* name;
  };
  const Case cases[] = {{clBlack, "clBlack"},     {clRed, "clRed"},         {clWhite, "clWhite"},
                        {clSilver, "clSilver"},   {clBtnFace, "clBtnFace"}, {cl3DDkShadow, "cl3DDkShadow"},
                        {clInfoBk, "clInfoBk"},   {clNone, "clNone"},       {clDefault, "clDefault"},
                        {clScrollBar, "clScrollBar"}};
  for (const Case& c : cases) {
    String name;
    EXPECT_TRUE(ColorToIdent(c.color, name));
    EXPECT_EQ(name, c.name);
    TColor back;
    EXPECT_TRUE(IdentToColor(c.name, back));
    EXPECT_EQ(back, c.color);
  }
  EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);
  TColor ltGray;
  EXPECT_TRUE(IdentToColor("clLtGray", ltGray));  // a second name of clSilver
  EXPECT_EQ(ltGray, clSilver);
  String name;
  EXPECT_FALSE(ColorToIdent(static_cast<TColor>(0x123456), name));
}

}  // namespace
