// Registry and ini files under Wine, on keys and files the tests create and remove.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "classlib/core/files.h"
#include "classlib/core/inifiles.h"
#include "classlib/core/registry.h"
#include "classlib/core/stringlist.h"
#include "classlib/core/winapi.h"
#include "test_paths.h"

namespace {

using Names = std::vector<std::string>;

// A key of its own under HKCU\Software\HoravoxTests, deleted before and after each test.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = "\\Software\\HoravoxTests\\" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
           std::to_string(GetCurrentProcessId());
    Remove();
  }
  void TearDown() override {
    Remove();
    TRegistry reg;
    if (reg.OpenKey("\\Software\\HoravoxTests", false) && !reg.HasSubKeys()) {
      reg.CloseKey();
      reg.DeleteKey("\\Software\\HoravoxTests");
    }
  }
  void Remove() {
    TRegistry reg;
    reg.DeleteKey(root);
  }
  static Names Sorted(Names n) {
    std::sort(n.begin(), n.end());
    return n;
  }
  std::string root;
};

TEST_F(RegistryTest, ValuesRoundTripWithTheirTypes) {
  TRegistry reg;
  ASSERT_FALSE(reg.OpenKey(root, false));  // not there, not created
  EXPECT_FALSE(reg.KeyExists(root));
  ASSERT_TRUE(reg.OpenKey(root, true));
  EXPECT_EQ(reg.GetCurrentPath(), root.substr(1));
  reg.WriteString("Текст", "Хоравокс 10:00");
  reg.WriteInteger("Int", -5);
  reg.WriteBool("Flag", true);
  reg.WriteFloat("Float", 2.5);
  reg.WriteDateTime("When", 46366.25);
  const unsigned char blob[] = {0, 1, 2, 0xFF};
  reg.WriteBinaryData("Blob", blob, sizeof blob);
  reg.WriteExpandString("Path", "%TEMP%\\x");

  EXPECT_EQ(reg.ReadString("Текст"), "Хоравокс 10:00");
  EXPECT_EQ(reg.ReadInteger("Int"), -5);
  EXPECT_TRUE(reg.ReadBool("Flag"));
  EXPECT_EQ(reg.ReadFloat("Float"), 2.5);
  EXPECT_EQ(reg.ReadDateTime("When"), 46366.25);
  unsigned char back[8] = {};
  EXPECT_EQ(reg.ReadBinaryData("Blob", back, sizeof back), 4);
  EXPECT_EQ(std::memcmp(back, blob, 4), 0);
  EXPECT_EQ(reg.ReadString("Path"), "%TEMP%\\x");  // not expanded

  EXPECT_EQ(reg.GetDataType("Текст"), rdString);
  EXPECT_EQ(reg.GetDataType("Path"), rdExpandString);
  EXPECT_EQ(reg.GetDataType("Int"), rdInteger);
  EXPECT_EQ(reg.GetDataType("Blob"), rdBinary);
  EXPECT_EQ(reg.GetDataType("missing"), rdUnknown);
  EXPECT_EQ(reg.GetDataSize("Int"), 4);
  EXPECT_EQ(reg.GetDataSize("missing"), -1);
  Names values;
  reg.GetValueNames(values);
  EXPECT_EQ(Sorted(values), Sorted({"Blob", "Flag", "Float", "Int", "Path", "When", "Текст"}));

  EXPECT_TRUE(reg.DeleteValue("Int"));
  EXPECT_FALSE(reg.ValueExists("Int"));
  EXPECT_FALSE(reg.DeleteValue("Int"));
}

TEST_F(RegistryTest, ReadsOfAnotherTypeOrMissingValuesRaiseOrReportAbsent) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(root, true));
  reg.WriteString("Text", "12");
  reg.WriteInteger("Number", 7);
  const auto message = [&](auto&& read) {
    try {
      read();
    } catch (const ERegistryException& e) {
      return e.Message;
    }
    return std::string("no exception");
  };
  EXPECT_EQ(message([&] { reg.ReadInteger("Text"); }), "Invalid data type for 'Text'");
  EXPECT_EQ(message([&] { reg.ReadString("Number"); }), "Invalid data type for 'Number'");
  EXPECT_EQ(message([&] { reg.ReadFloat("Number"); }), "Invalid data type for 'Number'");
  EXPECT_EQ(message([&] { reg.ReadInteger("Gone"); }), "Failed to get data for 'Gone'");
  EXPECT_EQ(message([&] { reg.ReadBool("Gone"); }), "Failed to get data for 'Gone'");
  char buf[4];
  EXPECT_EQ(message([&] { reg.ReadBinaryData("Text", buf, sizeof buf); }), "Invalid data type for 'Text'");
  EXPECT_EQ(reg.ReadString("Gone"), "");
  EXPECT_EQ(reg.ReadBinaryData("Gone", buf, sizeof buf), 0);

  std::string s = "kept";
  int i = -1;
  EXPECT_FALSE(reg.TryReadString("Number", s));
  EXPECT_FALSE(reg.TryReadInteger("Text", i));
  EXPECT_FALSE(reg.TryReadInteger("Gone", i));
  EXPECT_EQ(s, "kept");
  EXPECT_EQ(i, -1);
  EXPECT_TRUE(reg.TryReadInteger("Number", i));
  EXPECT_EQ(i, 7);

  reg.CloseKey();
  EXPECT_EQ(message([&] { reg.WriteString("x", "y"); }), "Failed to set data for 'x'");  // no key open
  ASSERT_TRUE(reg.OpenKeyReadOnly(root));
  EXPECT_EQ(reg.ReadInteger("Number"), 7);
  EXPECT_EQ(message([&] { reg.WriteString("x", "y"); }), "Failed to set data for 'x'");
}

TEST_F(RegistryTest, KeyPathsAreRelativeUnlessTheyStartWithABackslash) {
  TRegistry reg;
  reg.SetLazyWrite(false);
  ASSERT_TRUE(reg.OpenKey(root, true));
  ASSERT_TRUE(reg.OpenKey("Child\\Grand", true));  // below the current key
  EXPECT_EQ(reg.GetCurrentPath(), root.substr(1) + "\\Child\\Grand");
  reg.WriteString("v", "deep");
  ASSERT_TRUE(reg.OpenKey(root, false));  // from the root again
  EXPECT_TRUE(reg.KeyExists("Child"));
  EXPECT_TRUE(reg.KeyExists(root + "\\Child\\Grand"));
  EXPECT_TRUE(reg.CreateKey("Second"));
  EXPECT_TRUE(reg.HasSubKeys());
  Names keys;
  reg.GetKeyNames(keys);
  EXPECT_EQ(Sorted(keys), (Names{"Child", "Second"}));
  TStringList keyList;
  keyList.Add("stale");  // the list is replaced, not appended to
  keyList.SetSorted(true);
  reg.GetKeyNames(&keyList);
  EXPECT_EQ(keyList.GetText(), "Child\r\nSecond\r\n");

  EXPECT_TRUE(reg.DeleteKey("Child"));  // with everything below it
  EXPECT_FALSE(reg.KeyExists("Child"));
  EXPECT_FALSE(reg.DeleteKey("Child"));
  EXPECT_FALSE(reg.DeleteKey(""));  // never the current key's whole tree by accident
  EXPECT_TRUE(reg.KeyExists("Second"));

  // Another root closes the current key.
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.GetCurrentKey(), nullptr);
  EXPECT_FALSE(reg.KeyExists(root));
  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_TRUE(reg.KeyExists(root));
}

TEST_F(RegistryTest, RegIniFileKeepsSectionsAsSubkeysOfTextValues) {
  {
    TRegIniFile reading(root, KEY_READ);  // opening for reading creates nothing
    EXPECT_EQ(reading.ReadString("Horavox", "Trigger", "06:00"), "06:00");
    EXPECT_EQ(reading.ReadInteger("Horavox", "Ring", 3), 3);
    EXPECT_THROW(reading.WriteString("Horavox", "Trigger", "07:00"), ERegistryException);
  }
  EXPECT_FALSE(TRegistry().KeyExists(root));

  TRegIniFile ini(root);  // full access: the key is created
  ini.WriteString("Horavox", "Trigger", "07:30");
  ini.WriteInteger("Horavox", "Ring", 12);
  ini.WriteBool("Horavox", "TalkTime", true);
  ini.WriteString("Memos", "Page1", "Заметка");
  EXPECT_EQ(ini.ReadString("Horavox", "Trigger", "06:00"), "07:30");
  EXPECT_EQ(ini.ReadInteger("Horavox", "Ring", 0), 12);
  EXPECT_TRUE(ini.ReadBool("Horavox", "TalkTime", false));
  EXPECT_EQ(ini.ReadString("Memos", "Page1", ""), "Заметка");
  EXPECT_EQ(ini.ReadString("Memos", "Page2", "пусто"), "пусто");
  EXPECT_EQ(ini.ReadString("NoSection", "x", "d"), "d");
  EXPECT_FALSE(ini.KeyExists("NoSection"));  // a read created nothing

  // Integers are stored as text; a REG_DWORD reads too; other types and bad text give the default.
  TRegistry raw;
  ASSERT_TRUE(raw.OpenKey(root + "\\Horavox", false));
  EXPECT_EQ(raw.GetDataType("Ring"), rdString);
  EXPECT_EQ(raw.ReadString("Ring"), "12");
  raw.WriteInteger("Dword", 42);
  raw.WriteString("Bad", "12a");
  raw.WriteString("Empty", "");
  raw.WriteFloat("Binary", 1.0);
  EXPECT_EQ(ini.ReadInteger("Horavox", "Dword", 0), 42);
  EXPECT_EQ(ini.ReadInteger("Horavox", "Bad", -1), -1);
  EXPECT_EQ(ini.ReadInteger("Horavox", "Empty", -1), -1);
  EXPECT_EQ(ini.ReadInteger("Horavox", "Binary", -1), -1);
  EXPECT_EQ(ini.ReadString("Horavox", "Dword", "absent"), "absent");
  EXPECT_EQ(ini.ReadString("Horavox", "Binary", "absent"), "absent");

  Names idents, sections;
  ini.ReadSection("Horavox", idents);
  EXPECT_EQ(Sorted(idents), (Names{"Bad", "Binary", "Dword", "Empty", "Ring", "TalkTime", "Trigger"}));
  ini.ReadSections(sections);
  EXPECT_EQ(Sorted(sections), (Names{"Horavox", "Memos"}));
  ini.DeleteKey("Horavox", "Bad");
  EXPECT_EQ(ini.ReadString("Horavox", "Bad", "gone"), "gone");
  ini.EraseSection("Memos");
  ini.EraseSection("NeverWas");
  ini.ReadSections(sections);
  EXPECT_EQ(sections, (Names{"Horavox"}));

  // The settings store's pattern: root set again, path opened again, value in a section.
  TRegIniFile store(root);
  store.SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(store.OpenKey(root, true));
  EXPECT_EQ(store.ReadString("Horavox", "Trigger", ""), "07:30");
}

// An ini file of the test's own, removed afterwards.
class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    name = ExpandFileName(horavox::test::TempDir() + "\\настройки.ini");
    DeleteFile(name);
  }
  void TearDown() override { DeleteFile(name); }
  std::string name;
};

TEST_F(IniFileTest, EntriesRoundTrip) {
  TIniFile ini(name);
  EXPECT_EQ(ini.ReadString("Main", "Name", "default"), "default");
  ini.WriteString("Main", "Name", "Хоравокс");
  ini.WriteInteger("Main", "Count", -42);
  ini.WriteBool("Main", "On", true);
  ini.WriteString("Alias", "DATA", "C:\\Data");
  ini.WriteString("Alias", "WORK", "D:\\Work");
  ini.UpdateFile();
  EXPECT_TRUE(FileExists(name));

  TIniFile again(name);
  EXPECT_EQ(again.ReadString("Main", "Name", ""), "Хоравокс");
  EXPECT_EQ(again.ReadInteger("Main", "Count", 0), -42);
  EXPECT_TRUE(again.ReadBool("Main", "On", false));
  EXPECT_EQ(again.ReadInteger("Main", "Name", 5), 5);  // no number
  EXPECT_EQ(again.ReadInteger("Main", "Missing", 5), 5);
  Names sections, idents, lines;
  again.ReadSections(sections);
  EXPECT_EQ(sections, (Names{"Main", "Alias"}));
  again.ReadSection("Main", idents);
  EXPECT_EQ(idents, (Names{"Name", "Count", "On"}));
  again.ReadSectionValues("Alias", lines);
  EXPECT_EQ(lines, (Names{"DATA=C:\\Data", "WORK=D:\\Work"}));
  TStringList valueList;
  again.ReadSectionValues("Alias", &valueList);
  EXPECT_EQ(valueList.GetValue("WORK"), "D:\\Work");

  again.DeleteKey("Main", "Count");
  EXPECT_EQ(again.ReadInteger("Main", "Count", 9), 9);
  again.EraseSection("Alias");
  again.ReadSections(sections);
  EXPECT_EQ(sections, (Names{"Main"}));
  again.ReadSection("Alias", idents);
  EXPECT_TRUE(idents.empty());

  // A long value comes back whole.
  std::string longText(5000, 'x');
  again.WriteString("Main", "Long", longText);
  EXPECT_EQ(again.ReadString("Main", "Long", ""), longText);
}

TEST_F(IniFileTest, WritingWhereNoFileCanBeRaises) {
  EXPECT_NO_THROW(TIniFile(name).EraseSection("Nothing"));  // no file yet: nothing to erase
  TIniFile ini(horavox::test::TempDir() + "\\no such folder\\x.ini");
  EXPECT_THROW(ini.WriteString("S", "k", "v"), EIniFileException);
  EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
}

}  // namespace
