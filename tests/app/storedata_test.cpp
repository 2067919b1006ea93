// The settings store's properties: defaults, the path and password rules, and the main
// window's instance as its form streams it.
#include <gtest/gtest.h>

#include <memory>

#include "app/storedata.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"

namespace {

TEST(StoreData, StartsWithItsDefaults) {
  TDskStoreData store(nullptr);
  TDskDataStore* data = store.DataStore();
  EXPECT_TRUE(data->Enabled);
  EXPECT_EQ(data->Section, "MySection");
  EXPECT_EQ(data->GetPassword(), "Marigold");
  EXPECT_EQ(data->Datatype, sRegistry);
  EXPECT_EQ(data->Registry()->Rootkey, hkeyCurrentUser);
  EXPECT_EQ(data->Registry()->GetPath(), "\\Software\\Company\\Product");
  EXPECT_EQ(data->Inifile()->IniFilename, "MyFile.ini");
}

TEST(StoreData, NormalisesThePathAndKeepsAPassword) {
  const std::pair<const char*, const char*> paths[] = {
      {"Software/Fernwick/Horavox", "\\Software\\Fernwick\\Horavox"},
      {"/Software/Fernwick", "\\Software\\Fernwick"},
      {"\\Software\\Fernwick", "\\Software\\Fernwick"},
      {"Software", "\\Software"},
      {"", ""},
  };
  TDskRegistry registry;
  for (auto [given, kept] : paths) {
    registry.SetPath(given);
    EXPECT_EQ(registry.GetPath(), kept) << given;
  }
  TDskDataStore data;
  data.SetPassword("секрет");
  EXPECT_EQ(data.GetPassword(), "секрет");
  data.SetPassword("");
  EXPECT_EQ(data.GetPassword(), "Marigold");
}

TEST(StoreData, TheMainWindowsStoreStreamsAsItsFormHasIt) {
  const String text =
      "object DskStoreData1: TDskStoreData\r\n"
      "  DataStore.Section = 'Horavox'\r\n"
      "  DataStore.Password = 'Marigold'\r\n"
      "  DataStore.Registry.Path = '\\Software\\Fernwick\\Horavox'\r\n"
      "  DataStore.Inifile.IniFilename = 'MyFile.ini'\r\n"
      "end\r\n";
  TStringStream textIn(text), binary;
  ObjectTextToBinary(&textIn, &binary);
  binary.SetPosition(0);
  std::unique_ptr<TDskStoreData> store(static_cast<TDskStoreData*>(TReader(&binary).ReadRootComponent(nullptr)));
  EXPECT_EQ(store->DataStore()->Section, "Horavox");
  EXPECT_EQ(store->DataStore()->Registry()->GetPath(), "\\Software\\Fernwick\\Horavox");
  EXPECT_EQ(store->DataStore()->Registry()->Rootkey, hkeyCurrentUser);
  EXPECT_TRUE(store->DataStore()->Enabled);

  TStringStream written, textOut;
  TWriter(&written).WriteRootComponent(store.get());
  written.SetPosition(0);
  ObjectBinaryToText(&written, &textOut);
  EXPECT_EQ(textOut.DataString(), text);
}

}  // namespace
