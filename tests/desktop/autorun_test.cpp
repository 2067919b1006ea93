// The autostart entry on the test prefix's own Run keys (values of test names only, removed
// before and after): writing, renaming, moving, what the component's end does, a path with
// a blank, an empty title, and the current user's key when the machine's refuses.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "classlib/core/registry.h"
#include "classlib/core/winapi.h"
#include "desktop/dskautorun.h"

namespace {

const char kTitle[] = "Horavox test entry";
const char kOtherTitle[] = "Horavox test entry 2";
const char kPath[] = "C:\\Program Files\\Horavox\\Horavox.exe";
const char kQuoted[] = "\"C:\\Program Files\\Horavox\\Horavox.exe\"";

class TFixedExecutable : public TDskExecutable {
 public:
  String Path() override { return FPath; }
  String FPath = kPath;
};

// Refuses the machine's keys, as they are to a standard user.
class TStandardUserRegistry : public TAutoRunSystem {
 public:
  bool Write(HKEY Root, const String& Key, const String& Name, const String& Data) override {
    return Root != HKEY_LOCAL_MACHINE && TAutoRunSystem::Write(Root, Key, Name, Data);
  }
};

// The value under the root and key ("" when missing).
std::string Value(HKEY Root, TKeyReg Key, const std::string& Name) {
  TRegistry registry(KEY_READ);
  registry.SetRootKey(Root);
  if (!registry.OpenKeyReadOnly(TAutoRun::KeyPath(Key))) return "";
  return registry.ValueExists(Name) ? registry.ReadString(Name) : "";
}

class AutoRunTest : public ::testing::Test {
 protected:
  TFixedExecutable executable;
  TSeamScope<TDskExecutable> scope{executable};

  void SetUp() override {
    // The keys a fresh Windows has (a fresh prefix may lack some).
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
      for (TKeyReg key : {RUN, RUNONCE}) {
        TRegistry registry;
        registry.SetRootKey(root);
        registry.OpenKey(TAutoRun::KeyPath(key), true);
      }
    Clean();
  }
  void TearDown() override { Clean(); }
  static void Clean() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
      for (TKeyReg key : {RUN, RUNSERVICES, RUNONCE})
        for (const char* name : {kTitle, kOtherTitle}) {
          TRegistry registry;
          registry.SetRootKey(root);
          if (registry.OpenKey(TAutoRun::KeyPath(key), false)) registry.DeleteValue(name);
        }
  }
};

TEST_F(AutoRunTest, TheEntryFollowsActiveTitleAndKey) {
  auto autorun = std::make_unique<TAutoRun>(nullptr);
  EXPECT_EQ(autorun->GetTitle(), "My program");
  autorun->SetTitle(kTitle);
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RUN, kTitle), "");  // nothing while inactive

  autorun->SetActive(true);
  autorun->SetActive(true);
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RUN, kTitle), kQuoted);
  EXPECT_TRUE(autorun->Registered());

  autorun->SetTitle(kOtherTitle);
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RUN, kTitle), "");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RUN, kOtherTitle), kQuoted);

  autorun->SetKey(RUNONCE);
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RUN, kOtherTitle), "");
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RUNONCE, kOtherTitle), kQuoted);

  // Freed while active: the entry stays, to start the program next time.
  autorun.reset();
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RUNONCE, kOtherTitle), kQuoted);

  // Freed while inactive: the title's value goes from every key.
  autorun = std::make_unique<TAutoRun>(nullptr);
  autorun->SetTitle(kOtherTitle);
  autorun.reset();
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RUNONCE, kOtherTitle), "");
}

TEST_F(AutoRunTest, APathWithoutBlanksIsWrittenAsItIs) {
  executable.FPath = "C:\\Horavox\\Horavox.exe";
  TAutoRun autorun(nullptr);
  autorun.SetTitle(kTitle);
  autorun.SetActive(true);
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RUN, kTitle), "C:\\Horavox\\Horavox.exe");
  autorun.SetActive(false);
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RUN, kTitle), "");
  EXPECT_FALSE(autorun.Registered());
}

TEST_F(AutoRunTest, AnEmptyTitleTouchesNothing) {
  TAutoRun autorun(nullptr);
  autorun.SetTitle("");
  autorun.SetActive(true);
  EXPECT_FALSE(autorun.Registered());
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RUN, ""), "");
}

TEST_F(AutoRunTest, AStandardUserGetsTheEntryInTheOwnKey) {
  TStandardUserRegistry registry;
  TSeamScope<TAutoRunSystem> registryScope(registry);
  TAutoRun autorun(nullptr);
  autorun.SetTitle(kTitle);
  EXPECT_NO_THROW(autorun.SetActive(true));
  EXPECT_TRUE(autorun.Registered());
  EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, RUN, kTitle), "");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, RUN, kTitle), kQuoted);
  autorun.SetActive(false);
  EXPECT_EQ(Value(HKEY_CURRENT_USER, RUN, kTitle), "");

  // Where neither key can be written (RunServices is gone from the NT family): no
  // exception, and Registered says so.
  EXPECT_NO_THROW(autorun.SetKey(RUNSERVICES));
  EXPECT_NO_THROW(autorun.SetActive(true));
  EXPECT_FALSE(autorun.Registered());
}

}  // namespace
