// The settings store against the real registry and ini files (under Wine): round trips,
// the defaults and OnError, and keys made only where and when a value is written. Every
// test works under its own key below Software\HoravoxTests (of HKCU, and of HKLM for the
// choice of root) and removes it.
#include <gtest/gtest.h>

#include <memory>

#include "app/storedata.h"
#include "classlib/core/files.h"
#include "classlib/core/registry.h"
#include "classlib/core/streams.h"
#include "classlib/core/winapi.h"
#include "test_paths.h"

namespace {

class StoreDataRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    path = "\\Software\\HoravoxTests\\" + String(::testing::UnitTest::GetInstance()->current_test_info()->name());
    store.DataStore()->Section = "Horavox";
    store.DataStore()->Registry()->SetPath(path);
    store.OnError = [this](TObject* sender) {
      EXPECT_EQ(sender, &store);
      ++errors;
    };
    Clean();
  }
  void TearDown() override { Clean(); }
  void Clean() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      TRegistry registry;
      registry.SetRootKey(root);
      registry.DeleteKey(path);
      if (registry.OpenKey("\\Software\\HoravoxTests", false) && !registry.HasSubKeys()) {
        registry.CloseKey();
        registry.DeleteKey("\\Software\\HoravoxTests");
      }
    }
  }
  bool KeyExists(HKEY root, const String& key) {
    TRegistry registry(KEY_READ);
    registry.SetRootKey(root);
    return registry.KeyExists(key);
  }
  // The section's key as the store leaves it, for looking at the raw values.
  std::unique_ptr<TRegistry> Section() {
    auto registry = std::make_unique<TRegistry>(KEY_ALL_ACCESS);
    EXPECT_TRUE(registry->OpenKey(path + "\\Horavox", false));
    return registry;
  }

  String path;
  TDskStoreData store{nullptr};
  int errors = 0;
};

TEST_F(StoreDataRegistry, WritesStringValuesAndReadsThemBack) {
  store.StoreWriteInteger("RingTime", 123);
  store.StoreWriteString("Trigger", "07:30:00");
  store.StoreWriteString("Имя", "Хоравокс");
  {
    auto raw = Section();
    EXPECT_EQ(raw->GetDataType("RingTime"), rdString);
    EXPECT_EQ(raw->ReadString("RingTime"), "123");
    EXPECT_EQ(raw->ReadString("Trigger"), "07:30:00");
  }
  EXPECT_EQ(store.StoreReadInteger("RingTime", 0), 123);
  EXPECT_EQ(store.StoreReadString("Trigger", "06:00"), "07:30:00");
  EXPECT_EQ(store.StoreReadString("Имя", ""), "Хоравокс");
  EXPECT_EQ(store.StoreReadInteger("Trigger", 5), 5);  // no number
  EXPECT_EQ(errors, 1);
  store.StoreWriteInteger("RingTime", -2);
  EXPECT_EQ(store.StoreReadInteger("RingTime", 0), -2);
}

TEST_F(StoreDataRegistry, GivesTheDefaultForWhatIsMissingEmptyOrOfAnotherKind) {
  store.StoreWriteString("Empty", "");
  store.StoreWriteString("Text", "abc");
  store.StoreWriteInteger("Same", 1);
  {
    auto raw = Section();
    raw->WriteInteger("Dword", 7);  // REG_DWORD, written by someone else
    raw->WriteBinaryData("Binary", "xy", 2);
  }
  struct ReadCase {
    const char* Ident;
    int Default;
    int Read;
  };
  const ReadCase integers[] = {{"Missing", 4, 4}, {"Empty", 4, 4}, {"Text", 4, 4},
                               {"Dword", 4, 4},   {"Binary", 4, 4}, {"Same", 1, 1}};
  for (const ReadCase& c : integers) {
    errors = 0;
    EXPECT_EQ(store.StoreReadInteger(c.Ident, c.Default), c.Read) << c.Ident;
    EXPECT_EQ(errors, 1) << c.Ident;  // also when the stored value equals the default
  }
  errors = 0;
  EXPECT_EQ(store.StoreReadString("Dword", "def"), "def");
  EXPECT_EQ(store.StoreReadString("Missing", "def"), "def");
  EXPECT_EQ(store.StoreReadString("Text", "def"), "abc");
  EXPECT_EQ(errors, 2);
}

TEST_F(StoreDataRegistry, ReadsCreateNoKeysAndWritesGoUnderTheChosenRoot) {
  EXPECT_EQ(store.StoreReadInteger("Ring", 0), 0);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path));

  store.DataStore()->Registry()->Rootkey = hkeyLocalMachine;
  store.StoreWriteInteger("Ring", 2);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, path + "\\Horavox"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path));
  EXPECT_EQ(store.StoreReadInteger("Ring", 0), 2);
  store.DataStore()->Registry()->Rootkey = hkeyCurrentUser;
  EXPECT_EQ(store.StoreReadInteger("Ring", 0), 0);
}

TEST_F(StoreDataRegistry, DoesNothingWhenOffOrWithoutAPlaceAndComplainsOfNoSection) {
  store.StoreWriteInteger("Ring", 3);
  struct OffCase {
    const char* What;
    bool Enabled;
    const char* Section;
    const char* Path;
    int Errors;  // per read and per write
  };
  const OffCase cases[] = {
      {"switched off", false, "Horavox", nullptr, 0},
      {"no section", true, "", nullptr, 1},
      {"no path", true, "Horavox", "", 0},
  };
  for (const OffCase& c : cases) {
    SCOPED_TRACE(c.What);
    store.DataStore()->Enabled = c.Enabled;
    store.DataStore()->Section = c.Section;
    if (c.Path) store.DataStore()->Registry()->SetPath(c.Path);
    errors = 0;
    EXPECT_EQ(store.StoreReadInteger("Ring", 9), 9);
    EXPECT_EQ(store.StoreReadString("Ring", "9"), "9");
    EXPECT_EQ(errors, 2 * c.Errors);
    errors = 0;
    store.StoreWriteInteger("Ring", 5);
    store.StoreWriteString("Other", "5");
    EXPECT_EQ(errors, 2 * c.Errors);
    store.DataStore()->Enabled = true;
    store.DataStore()->Section = "Horavox";
    store.DataStore()->Registry()->SetPath(path);
    EXPECT_EQ(store.StoreReadInteger("Ring", 0), 3);  // nothing was written
    EXPECT_EQ(store.StoreReadString("Other", ""), "");
  }
}

TEST(StoreDataIniFile, KeepsValuesInItsSection) {
  String file = horavox::test::TempDir() + "\\store.ini";
  DeleteFile(file);
  TDskStoreData store(nullptr);
  store.DataStore()->Datatype = sIniFile;
  store.DataStore()->Section = "Horavox";
  store.DataStore()->Inifile()->IniFilename = file;
  int errors = 0;
  store.OnError = [&](TObject*) { ++errors; };
  store.StoreWriteInteger("Ring", 2);
  store.StoreWriteString("Trigger", "07:30:00");
  EXPECT_EQ(store.StoreReadInteger("Ring", 0), 2);
  EXPECT_EQ(store.StoreReadString("Trigger", "06:00"), "07:30:00");
  EXPECT_EQ(store.StoreReadInteger("Missing", 1), 1);
  EXPECT_EQ(errors, 1);
  store.DataStore()->Inifile()->IniFilename = "";
  store.StoreWriteInteger("Ring", 5);
  EXPECT_EQ(store.StoreReadInteger("Ring", 0), 0);
  EXPECT_EQ(errors, 1);
  TMemoryStream ini;
  ini.LoadFromFile(file);
  String text = StreamToString(&ini);
  EXPECT_NE(text.find("[Horavox]"), String::npos) << text;
  EXPECT_NE(text.find("Ring=2"), String::npos) << text;
}

}  // namespace
