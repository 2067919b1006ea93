// The empty reminder table: its bytes, the engine opening it, and where it is found or
// made (beside the program, else in the fallback folder), never writing a table that is
// there, whatever it holds.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/remindertable.h"
#include "classlib/core/files.h"
#include "test_paths.h"
#include "xbase/dbftable.h"

namespace {

std::string ReadAll(const String& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteAll(const String& Path, const std::string& Bytes) {
  std::ofstream out(Path, std::ios::binary);
  out << Bytes;
}

TEST(ReminderTable, TheEmptyTableIsDBaseThreeWithItsTwoFieldsInCodePage866) {
  const std::string bytes = EmptyReminderTable(EncodeDate(2026, 12, 10) + 0.5);
  std::string expected(32, '\0');
  expected[0] = 0x03;
  expected[1] = 126;  // 2026
  expected[2] = 12;
  expected[3] = 10;
  expected[8] = 97;   // 32 + 2 × 32 + 1
  expected[10] = 7;   // 263 = 1 + 8 + 254
  expected[11] = 1;
  expected[29] = 0x65;
  std::string data(32, '\0'), text(32, '\0');
  data.replace(0, 4, "DATA");
  data[11] = 'D';
  data[16] = 8;
  text.replace(0, 7, "SOBITIE");
  text[11] = 'C';
  text[16] = static_cast<char>(254);
  expected += data + text + "\x0D\x1A";
  EXPECT_EQ(bytes, expected);
}

class ReminderTablePlace : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = ExpandFileName(horavox::test::TempDir()) + PathDelim +
          ::testing::UnitTest::GetInstance()->current_test_info()->name() + PathDelim;
    program = dir + "program" + PathDelim;
    fallback = dir + "user" + PathDelim + "Horavox" + PathDelim;
    ASSERT_TRUE(ForceDirectories(program));
  }
  TDateTime today = EncodeDate(2026, 12, 10);
  String dir, program, fallback;
};

TEST_F(ReminderTablePlace, AMissingTableIsMadeBesideTheProgramAndTheEngineOpensIt) {
  TReminderTablePlace place = PlaceReminderTable(program, fallback, today);
  EXPECT_EQ(place.Folder, program);
  EXPECT_TRUE(place.Created);
  EXPECT_EQ(ReadAll(program + kReminderTableName), EmptyReminderTable(today));
  EXPECT_FALSE(DirectoryExists(fallback));

  {
    XBO_dBaseFld table(program + kReminderTableName, false, true);
    EXPECT_EQ(table.Version(), 0x03);
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_FALSE(table.HasMemo());
    ASSERT_EQ(table.FieldCount(), 2);
    EXPECT_EQ(table.FieldName(1), "DATA");
    EXPECT_EQ(table.FieldType(1), 'D');
    EXPECT_EQ(table.FieldLength(1), 8);
    EXPECT_EQ(table.FieldName(2), "SOBITIE");
    EXPECT_EQ(table.FieldType(2), 'C');
    EXPECT_EQ(table.FieldLength(2), 254);
  }

  // Found there the next time, not made again.
  place = PlaceReminderTable(program, fallback, today + 1);
  EXPECT_EQ(place.Folder, program);
  EXPECT_FALSE(place.Created);
  EXPECT_EQ(ReadAll(program + kReminderTableName), EmptyReminderTable(today));
}

TEST_F(ReminderTablePlace, ATableThatIsThereIsNeverWrittenWhateverItHolds) {
  const std::string corrupt = "\x03not a table at all\xFF";
  WriteAll(program + kReminderTableName, corrupt);
  TReminderTablePlace place = PlaceReminderTable(program, fallback, today);
  EXPECT_EQ(place.Folder, program);
  EXPECT_FALSE(place.Created);
  EXPECT_EQ(ReadAll(program + kReminderTableName), corrupt);
}

TEST_F(ReminderTablePlace, TheFallbackFolderHoldsTheTableWhenTheProgramFolderTakesNoFile) {
  const String gone = dir + "no-such-folder" + PathDelim;  // takes no new file
  TReminderTablePlace place = PlaceReminderTable(gone, fallback, today);
  EXPECT_EQ(place.Folder, fallback);
  EXPECT_TRUE(place.Created);
  EXPECT_TRUE(FileExists(fallback + kReminderTableName));
  EXPECT_FALSE(FileExists(gone + kReminderTableName));
  // A table made there before is found there, beside an empty program folder too.
  place = PlaceReminderTable(program, fallback, today);
  EXPECT_EQ(place.Folder, fallback);
  EXPECT_FALSE(place.Created);
  EXPECT_FALSE(FileExists(program + kReminderTableName));
  // Neither takes a file: the reason, and no folder.
  WriteAll(dir + "file", "x");
  place = PlaceReminderTable(gone, dir + "file" + PathDelim + "sub", today);
  EXPECT_TRUE(place.Folder.empty());
  EXPECT_FALSE(place.Error.empty());
}

}  // namespace
