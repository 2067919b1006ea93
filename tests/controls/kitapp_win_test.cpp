// The kit application object's system side under Wine: the single-instance mutex and the
// system folders.
#include <gtest/gtest.h>

#include "classlib/files.h"
#include "classlib/unicode.h"
#include "classlib/winapi.h"
#include "controls/kitapp.h"

namespace {

TEST(KitApplication, ASecondInstanceOfTheSameNameSeesTheFirst) {
  // Named for this test, so that test programs running side by side do not meet.
  String name = "horavox-instance-test-" + std::to_string(GetCurrentProcessId());
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

}  // namespace
