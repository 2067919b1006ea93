// The kit's bases and small routines: the change protocol, the one-instance rule, the
// path and string routines, the log name, the settings-location rules, the rectangle
// helpers.
#include <gtest/gtest.h>

#include <vector>

#include "classlib/core/files.h"
#include "controls/kitapp.h"
#include "controls/kitbase.h"
#include "controls/kitutils.h"

namespace {

// A sub-object with one setter that keeps the kit's convention.
class TTestBevel : public TKitObject {
 public:
  int GetWidth() const { return FWidth; }
  void SetWidth(int Value) {
    if (Value == FWidth) return;
    FWidth = Value;
    Change();
  }
  void Assign(TPersistent* Source) override {
    auto* other = static_cast<TTestBevel*>(Source);
    BeginUpdate();
    SetWidth(other->FWidth + 1);  // an inner update of its own, as inherited Assigns do
    BeginUpdate();
    SetWidth(other->FWidth);
    EndUpdate(false);
    EndUpdate(true);
  }

 private:
  int FWidth = 1;
};

TEST(ChangeProtocol, OnlyRealChangesAreTold) {
  TTestBevel bevel;
  std::vector<TObject*> senders;
  bevel.OnChange = [&](TObject* sender) { senders.push_back(sender); };
  bevel.SetWidth(1);
  EXPECT_TRUE(senders.empty());
  bevel.SetWidth(2);
  EXPECT_EQ(senders, (std::vector<TObject*>{&bevel}));
  // An update turns a batch into one change, or none.
  bevel.BeginUpdate();
  bevel.SetWidth(3);
  bevel.SetWidth(4);
  bevel.EndUpdate(false);
  EXPECT_EQ(senders.size(), 1u);
  bevel.BeginUpdate();
  bevel.SetWidth(5);
  bevel.EndUpdate(true);
  EXPECT_EQ(senders.size(), 2u);
  // Nested updates: the inner end does not end the outer one.
  TTestBevel source;
  source.SetWidth(9);
  bevel.Assign(&source);
  EXPECT_EQ(senders.size(), 3u);
  EXPECT_EQ(bevel.GetWidth(), 9);
}

TEST(ChangeProtocol, ComponentsTellThemselvesAsSender) {
  TKitComponent component(nullptr);
  TObject* sender = nullptr;
  component.OnChange = [&](TObject* s) { sender = s; };
  component.Changed();
  EXPECT_EQ(sender, &component);
}

// Stand-ins for the windowing classes the rule asks about.
class TOneInstForm : public TComponent {
  HX_CLASS(TOneInstForm, TComponent)
 public:
  using TComponent::TComponent;
};
class TOneInstDataModule : public TComponent {
  HX_CLASS(TOneInstDataModule, TComponent)
 public:
  using TComponent::TComponent;
};
class TOnlyOne : public TKitComponent {
  HX_CLASS(TOnlyOne, TKitComponent)
 public:
  using TKitComponent::TKitComponent;
};
class TOnlyOneToo : public TOnlyOne {
  HX_CLASS(TOnlyOneToo, TOnlyOne)
 public:
  using TOnlyOne::TOnlyOne;
};

HX_PUBLISH(TOneInstForm, p) {}
HX_PUBLISH(TOneInstDataModule, p) {}
HX_PUBLISH(TOnlyOne, p) {}
HX_PUBLISH(TOnlyOneToo, p) {}

TEST(OneInstance, RefusesAWrongOwnerOrASecondInstance) {
  using controls::detail::CheckOneInstanceOf;
  TClass form = ClassOf<TOneInstForm>(), module = ClassOf<TOneInstDataModule>(), one = ClassOf<TOnlyOne>();
  TOneInstForm withOne(nullptr), withTwo(nullptr);
  new TOnlyOne(&withOne);
  new TOnlyOne(&withTwo);
  new TOnlyOneToo(&withTwo);  // a descendant counts
  TOneInstDataModule dataModule(nullptr);
  new TOnlyOne(&dataModule);
  TComponent plain(nullptr);
  EXPECT_TRUE(CheckOneInstanceOf(nullptr, one, false, form, module));
  EXPECT_TRUE(CheckOneInstanceOf(&plain, one, false, form, module));
  EXPECT_FALSE(CheckOneInstanceOf(&withOne, one, false, form, module));
  EXPECT_TRUE(CheckOneInstanceOf(&withTwo, one, false, form, module));
  EXPECT_TRUE(CheckOneInstanceOf(&dataModule, one, false, form, module));
  EXPECT_FALSE(CheckOneInstanceOf(&dataModule, one, true, form, module));
  EXPECT_FALSE(CheckOneInstanceOf(&withTwo, nullptr, false, form, module));
  // The rule with the class library's forms: a stand-in is no TForm (real forms: under Wine).
  EXPECT_TRUE(CheckOneInstance(&withOne, one, false));

  EXPECT_EQ(KitEOneInstError(0, "TKitFormShape").Message,
            "TKitFormShape:\rInvalid owner (<>TForm) or second instance on a form");
  EXPECT_EQ(KitEOneInstError(1, "TKitFormShape").Message,
            "TKitFormShape:\rAlready one TKitFormShape control in this project!");
}

TEST(KitRoutines, PathsAndStrings) {
  struct Case {
    const char* in;
    bool blank;
    const char* added;
    const char* removed;
  } cases[] = {
      {"", true, "\\", ""},
      {"   ", true, "   \\", "   "},
      {" x ", false, " x \\", " x "},
      {"\t", false, "\t\\", "\t"},  // only spaces are blank
      {"C:\\Apps", false, "C:\\Apps\\", "C:\\Apps"},
      {"C:\\Apps\\", false, "C:\\Apps\\", "C:\\Apps"},
      {"C:\\", false, "C:\\", "C:\\"},  // a drive's root keeps its backslash
      {"\\", false, "\\", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsBlank(c.in), c.blank) << '"' << c.in << '"';
    EXPECT_EQ(AddBackslash(c.in), c.added) << '"' << c.in << '"';
    EXPECT_EQ(RemoveBackslash(c.in), c.removed) << '"' << c.in << '"';
  }
  EXPECT_EQ(GetPrefixDir(ppFixed, true), "");
  EXPECT_EQ(GetPrefixDir(ppProgram, true), AddBackslash(GetApplicationDir()));
}

TEST(KitRoutines, TheLogFileName) {
  struct Case {
    const char* name;
    TKitPathPrefix prefix;
    const char* log;
  } cases[] = {
      {"", ppProgram, "C:\\Apps\\timer.LOG"},
      {"   ", ppProgram, "C:\\Apps\\timer.LOG"},
      {"trace", ppProgram, "C:\\Apps\\trace.LOG"},
      {"D:\\logs\\x.txt", ppProgram, "C:\\Apps\\x.txt"},
      {"trace", ppWindows, "C:\\Windows\\trace.LOG"},
      {"D:\\logs\\x", ppFixed, "D:\\logs\\x.LOG"},
      {"", ppFixed, "C:\\Apps\\timer.LOG"},
  };
  for (const Case& c : cases) {
    String dir = c.prefix == ppWindows ? "C:\\Windows" : "C:\\Apps\\";
    EXPECT_EQ(KitLogFileName(c.name, "C:\\Apps\\timer.exe", c.prefix, dir), c.log) << c.name;
  }
  TKitApplication app("horavox-kitbase-test");
  String exe = ExtractFileName(GetApplicationExeName());
  EXPECT_EQ(app.LogFileName(), AddBackslash(GetApplicationDir()) + ChangeFileExt(exe, ".LOG"));
  app.SetLogName("trace");
  EXPECT_EQ(app.LogFileName(), AddBackslash(GetApplicationDir()) + "trace.LOG");
  EXPECT_EQ(app.Options, 0x36);
  EXPECT_GT(app.PerformanceFrequency(), 0);
  EXPECT_EQ(KitInstanceName("C:\\Apps\\timer.exe"), "timer.exe");
}

TEST(KitIniCtrl, SettingRules) {
  TKitIniCtrl ini(nullptr);
  EXPECT_EQ(ini.EffectiveTarget(), itRegistry);  // itAuto
  ini.SetMaxEntries(30);
  ini.SetAlphaCounter(true);
  EXPECT_EQ(ini.GetMaxEntries(), 26);
  ini.SetMaxEntries(27);
  EXPECT_EQ(ini.GetMaxEntries(), 26);
  ini.SetMaxEntries(5);
  EXPECT_EQ(ini.GetMaxEntries(), 5);
  ini.SetIniFile("settings");
  EXPECT_EQ(ini.GetIniFile(), "settings.INI");
  ini.SetIniFile("a.cfg");
  EXPECT_EQ(ini.GetIniFile(), "a.cfg");
  ini.SetIniFile("");
  EXPECT_EQ(ini.GetIniFile(), "");
  ini.SetNetUser(true);
  EXPECT_EQ(ini.User, ini.UserName());
  EXPECT_FALSE(ini.User.empty());
}

struct TTestRect {
  int Left, Top, Right, Bottom;
  bool operator==(const TTestRect&) const = default;
};
struct TTestPoint {
  int X, Y;
  bool operator==(const TTestPoint&) const = default;
};

TEST(KitRoutines, Rectangles) {
  TTestRect fitted{};
  FitRectAspect(TTestRect{0, 0, 200, 100}, TTestRect{10, 20, 110, 220}, fitted);
  EXPECT_EQ(fitted, (TTestRect{10, 20, 110, 70}));
  FitRectAspect(TTestRect{0, 0, 0, 100}, TTestRect{10, 20, 110, 220}, fitted);
  EXPECT_EQ(fitted, (TTestRect{10, 20, 10, 20}));  // nothing to scale: empty, not NaN
  int w = 0, h = 0;
  RectSize(TTestRect{5, 5, 25, 15}, w, h);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 10);
  struct Case {
    double angle;
    TTestRect in, out;
  } cases[] = {
      {0, {5, 5, 105, 45}, {5, 5, 105, 45}},
      {90, {5, 5, 105, 45}, {0, 0, 40, 100}},
      {45, {0, 0, 100, 100}, {0, 0, 142, 142}},
      {180, {0, 0, 100, 40}, {0, 0, 100, 40}},
  };
  for (const Case& c : cases) {
    TTestRect r = c.in;
    RotatedBounds(r, c.angle);
    EXPECT_EQ(r, c.out) << c.angle;
  }
  std::vector<TTestPoint> points{{1, 2}, {3, 4}};
  OffsetPoints(std::span<TTestPoint>(points), 10, -1);
  EXPECT_EQ(points, (std::vector<TTestPoint>{{11, 1}, {13, 3}}));
  std::vector<int> ints{3, -7, 12, 0};
  EXPECT_EQ(KitMaxInt(ints), 12);
  EXPECT_EQ(KitMinInt(ints), -7);
  EXPECT_EQ(KitMinExtended(std::vector<double>{2.5, -0.5}), -0.5);
  EXPECT_THROW(KitMaxInt({}), EInvalidOperation);
}

}  // namespace
