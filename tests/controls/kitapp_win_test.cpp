// The kit application object's system side under Wine: the single-instance mutex, the
// system folders, the checker bitmap and the hand cursor; the one-per-form rule on real
// forms.
#include <gtest/gtest.h>

#include "classlib/windows/application.h"
#include "classlib/core/files.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"
#include "controls/kitapp.h"

namespace {

String TestInstanceName(const String& Suffix) {
  // Named for this test, so that test programs running side by side do not meet.
  return "horavox-instance-test-" + std::to_string(GetCurrentProcessId()) + Suffix;
}

class TOnePerForm : public TKitComponent {
  HX_CLASS(TOnePerForm, TKitComponent)
 public:
  using TKitComponent::TKitComponent;
};
HX_PUBLISH(TOnePerForm, p) {}

TEST(KitApplication, ASecondInstanceOfTheSameNameSeesTheFirst) {
  String name = TestInstanceName("");
  TKitApplication first(name);
  EXPECT_FALSE(first.AlreadyRunning());
  {
    TKitApplication second(name);
    EXPECT_TRUE(second.AlreadyRunning());
  }
  TKitApplication other(name + "-other");
  EXPECT_FALSE(other.AlreadyRunning());
}

TEST(KitApplication, TheSystemFolders) {
  wchar_t buf[MAX_PATH];
  GetWindowsDirectoryW(buf, MAX_PATH);
  EXPECT_EQ(GetWindowsDir(), WideToUtf8(buf));
  EXPECT_EQ(GetPrefixDir(ppWindows, true), WideToUtf8(buf) + "\\");
  EXPECT_EQ(GetPrefixDir(ppSystem, false), GetSystemDir());
  EXPECT_EQ(GetApplicationDir(), ExtractFilePath(GetApplicationExeName()));
  EXPECT_TRUE(FileExists(GetApplicationExeName()));
  EXPECT_GE(GetColorDepth(), 8);
  String user;
  EXPECT_TRUE(GetUserName(user));
  EXPECT_FALSE(user.empty());
  EXPECT_EQ(KitApplication(), KitApplication());  // one object
  EXPECT_NE(KitApplication()->TimerPool(), nullptr);
}

TEST(KitApplication, TheCheckerBitmapIsBuiltAgainOnlyForAnotherColour) {
  TKitApplication app(TestInstanceName("-checker"));
  // clNone, the colour a new application object holds as built for, gives a bitmap too.
  TBitmap* none = app.GetCheckerBrushBitmap(clNone);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->GetWidth(), 8);
  EXPECT_EQ(none->GetHeight(), 8);
  EXPECT_EQ(none->Canvas()->GetPixels(1, 0), clWhite);

  struct Case {
    TColor Color;
    TColor Expected;
  } cases[] = {{clRed, clRed}, {static_cast<TColor>(0x336699), static_cast<TColor>(0x336699)},
               {clBtnFace, static_cast<TColor>(ColorToRGB(clBtnFace))}};
  for (const Case& c : cases) {
    TBitmap* bitmap = app.GetCheckerBrushBitmap(c.Color);
    EXPECT_EQ(bitmap, none) << c.Color;  // one bitmap, owned by the application object
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        ASSERT_EQ(bitmap->Canvas()->GetPixels(x, y), (x + y) % 2 ? c.Expected : clWhite)
            << c.Color << " at " << x << "," << y;
  }
  // The same colour again is the bitmap as it is: a mark made on it stays.
  TBitmap* bitmap = app.GetCheckerBrushBitmap(clBtnFace);
  bitmap->Canvas()->SetPixels(1, 0, clBlue);
  EXPECT_EQ(app.GetCheckerBrushBitmap(clBtnFace)->Canvas()->GetPixels(1, 0), clBlue);
  EXPECT_EQ(app.GetCheckerBrushBitmap(clLime)->Canvas()->GetPixels(1, 0), clLime);
}

TEST(KitApplication, TheHandCursorIsTheSystemsHand) {
  TKitApplication app(TestInstanceName("-cursor"));
  HCURSOR cursor = Screen->Cursors(crKitHand);
  ASSERT_NE(cursor, nullptr);
  EXPECT_NE(cursor, Screen->Cursors(crArrow));
  // A copy of the system's hand (this executable has no cursor 16548): the same hot spot.
  ICONINFO own{}, hand{};
  ASSERT_TRUE(GetIconInfo(cursor, &own));
  ASSERT_TRUE(GetIconInfo(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)), &hand));
  EXPECT_FALSE(own.fIcon);
  EXPECT_EQ(own.xHotspot, hand.xHotspot);
  EXPECT_EQ(own.yHotspot, hand.yHotspot);
  for (ICONINFO* i : {&own, &hand}) {
    if (i->hbmMask) DeleteObject(i->hbmMask);
    if (i->hbmColor) DeleteObject(i->hbmColor);
  }
}

TEST(OneInstance, OnRealForms) {
  TForm form(nullptr, CreateNew);
  TComponent plain(nullptr);
  new TOnePerForm(&plain);
  EXPECT_TRUE(CheckOneInstance(&plain, ClassOf<TOnePerForm>(), false));  // no form
  EXPECT_FALSE(CheckOneInstance(&form, ClassOf<TOnePerForm>(), false));  // none yet
  new TOnePerForm(&form);
  EXPECT_FALSE(CheckOneInstance(&form, ClassOf<TOnePerForm>(), false));
  new TOnePerForm(&form);
  EXPECT_TRUE(CheckOneInstance(&form, ClassOf<TOnePerForm>(), false));
}

}  // namespace
