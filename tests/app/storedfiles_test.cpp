// Stored files: their round trip through a form stream, the item rules, and writing them
// out at start with a fallback folder and failures file by file.
#include <gtest/gtest.h>

#include <memory>

#include "app/storedfiles.h"
#include "classlib/core/files.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/core/text.h"
#include "test_paths.h"

namespace {

String Binary(const String& text) {
  TStringStream in(text), out;
  ObjectTextToBinary(&in, &out);
  return out.DataString();
}

String Text(const String& binary) {
  TStringStream in(binary), out;
  ObjectBinaryToText(&in, &out);
  return out.DataString();
}

std::unique_ptr<TDskFileHolder> Read(const String& text) {
  TStringStream in(Binary(text));
  TReader reader(&in);
  return std::unique_ptr<TDskFileHolder>(static_cast<TDskFileHolder*>(reader.ReadRootComponent(nullptr)));
}

String Write(TComponent* root) {
  TStringStream out;
  TWriter(&out).WriteRootComponent(root);
  return out.DataString();
}

String Contents(TDskStoredFile* file) { return StreamToString(file->Contents()); }

// Three files as the main window keeps them, one of them empty.
const char* const kHolder = R"(object DskFileHolder1: TDskFileHolder
  Files = <
    item
      FileDate = 38548.5
      NameOfFile = 'Angel.aal'
      FilePath = 'C:\Work\'
      FileSize = 5
      FileContents = {
        4D5A900003}
    end
    item
      NameOfFile = 'Пусто.aal'
    end
    item
      NameOfFile = 'Dolly.aal'
      FileSize = 3
      FileContents = {
        00FF7F}
    end>
end
)";

TEST(DskFileHolder, RoundTripsThroughTheFormStream) {
  auto holder = Read(kHolder);
  TDskStoredFiles* files = holder->GetFiles();
  ASSERT_EQ(files->Count(), 3);
  EXPECT_EQ(files->Items(0)->GetNameOfFile(), "Angel.aal");
  EXPECT_EQ(files->Items(0)->GetFilePath(), "C:\\Work\\");
  EXPECT_EQ(files->Items(0)->GetFileSize(), 5);
  EXPECT_EQ(files->Items(0)->GetFileDate(), 38548.5);
  EXPECT_EQ(Contents(files->Items(0)), String("MZ\x90\x00\x03", 5));
  EXPECT_TRUE(files->Items(1)->Empty());
  EXPECT_EQ(Contents(files->Items(2)), String("\x00\xFF\x7F", 3));
  // Written back: the same binary stream, the empty file without "FileContents".
  String binary = Write(holder.get());
  EXPECT_EQ(binary, Binary(kHolder));
  EXPECT_EQ(Text(binary), StringReplace(kHolder, "\n", "\r\n", rfReplaceAll));
}

TEST(DskFileHolder, DescriptionsAreReadOnlyOutsideLoadingButAssignCopiesAll) {
  auto holder = Read(kHolder);
  TDskStoredFile* file = holder->GetFiles()->Items(0);
  file->SetNameOfFile("Other.aal");
  file->SetFileSize(1);
  file->SetFilePath("D:\\");
  file->SetFileDate(1);
  EXPECT_EQ(file->GetNameOfFile(), "Angel.aal");
  EXPECT_EQ(file->GetFileSize(), 5);
  EXPECT_EQ(file->GetFilePath(), "C:\\Work\\");
  EXPECT_EQ(file->GetFileDate(), 38548.5);
  EXPECT_EQ(file->GetDisplayName(), "Angel.aal");
  EXPECT_EQ(holder->GetFiles()->Items(1)->GetDisplayName(), "Пусто.aal");

  TDskFileHolder copy(nullptr);
  copy.SetFiles(holder->GetFiles());
  ASSERT_EQ(copy.GetFiles()->Count(), 3);
  EXPECT_EQ(copy.GetFiles()->Items(0)->GetNameOfFile(), "Angel.aal");
  EXPECT_EQ(copy.GetFiles()->Items(0)->GetFileSize(), 5);
  EXPECT_EQ(Contents(copy.GetFiles()->Items(2)), String("\x00\xFF\x7F", 3));
  copy.GetFiles()->Items(0)->Assign(copy.GetFiles()->Items(0));  // from itself: kept
  EXPECT_EQ(Contents(copy.GetFiles()->Items(0)), String("MZ\x90\x00\x03", 5));
  auto* fresh = static_cast<TDskStoredFile*>(copy.GetFiles()->Add());
  EXPECT_EQ(fresh->GetDisplayName(), "No File Stored");
}

TEST(DskFileHolder, AFileContentsLongerThanItsStreamIsRefused) {
  String binary = Binary(kHolder);
  size_t at = binary.find("FileContents");
  ASSERT_NE(at, String::npos);
  binary.replace(at + 13, 4, "\xFF\xFF\xFF\x7F");  // the byte count, right after vaBinary
  TStringStream in(binary);
  TReader reader(&in);
  EXPECT_THROW(reader.ReadRootComponent(nullptr), EReadError);
}

class StoredFilesOut : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = ExpandFileName(horavox::test::TempDir()) + PathDelim +
          ::testing::UnitTest::GetInstance()->current_test_info()->name() + PathDelim;
    ASSERT_TRUE(ForceDirectories(dir + "program"));
    holder = Read(kHolder);
  }
  String dir;
  std::unique_ptr<TDskFileHolder> holder;
};

TEST_F(StoredFilesOut, ExtractsValidNonEmptyFilesOnly) {
  struct Case {
    int index;
    bool written;
  } cases[] = {{-1, false}, {0, true}, {1, false}, {2, true}, {3, false}};
  for (const Case& c : cases) {
    String path = dir + "file" + std::to_string(c.index);
    holder->ExtractStoredFile(c.index, path);
    EXPECT_EQ(FileExists(path), c.written) << c.index;
  }
  TMemoryStream back;
  back.LoadFromFile(dir + "file2");
  EXPECT_EQ(StreamToString(&back), String("\x00\xFF\x7F", 3));
}

TEST_F(StoredFilesOut, ReleasedContentsLeaveTheFilesDescribedAndEmpty) {
  holder->ReleaseContents();
  for (int i = 0; i < holder->GetFiles()->Count(); ++i) {
    TDskStoredFile* file = holder->GetFiles()->Items(i);
    EXPECT_TRUE(file->Empty()) << i;
    String path = dir + "released" + std::to_string(i);
    holder->ExtractStoredFile(i, path);
    EXPECT_FALSE(FileExists(path)) << i;
  }
  EXPECT_EQ(holder->GetFiles()->Items(2)->GetFileSize(), 3);
}

TEST_F(StoredFilesOut, AFileWhoseBytesDoNotMatchItsSizeIsNotWritten) {
  String damaged = StringReplace(kHolder, "FileSize = 3", "FileSize = 4");
  holder = Read(damaged);
  EXPECT_THROW(holder->ExtractStoredFile(2, dir + "Dolly.aal"), EStreamError);
  EXPECT_FALSE(FileExists(dir + "Dolly.aal"));
}

TEST_F(StoredFilesOut, GoBesideTheProgramOneFailureNotStoppingTheOthers) {
  String program = dir + "program";
  ASSERT_TRUE(CreateDir(program + PathDelim + "Ann.aal"));  // a folder where a file should go
  TStoredFilesPlacement placed =
      WriteStoredFiles(holder.get(), {"Angel.aal", "Ann.aal", "Dolly.aal"}, program, dir + "fallback");
  EXPECT_EQ(placed.Folder, IncludeTrailingPathDelimiter(program));
  EXPECT_TRUE(FileExists(placed.Folder + "Angel.aal"));
  EXPECT_TRUE(FileExists(placed.Folder + "Dolly.aal"));
  EXPECT_TRUE(placed.Errors.empty());  // Ann.aal is the empty one: nothing to write

  holder = Read(StringReplace(kHolder, "'Пусто.aal'\n", "'Ann.aal'\n      FileSize = 1\n      FileContents = {\n        41}\n"));
  placed = WriteStoredFiles(holder.get(), {"Angel.aal", "Ann.aal", "Dolly.aal"}, program, dir + "fallback");
  ASSERT_EQ(placed.Errors.size(), 1u);
  EXPECT_EQ(placed.Errors[0].substr(0, 8), "Ann.aal:");
  EXPECT_TRUE(FileExists(placed.Folder + "Dolly.aal"));
}

TEST_F(StoredFilesOut, GoToThePerUserFolderWhenTheProgramFolderCannotBeWritten) {
  String program = dir + "not there" + PathDelim + "program";  // nothing can be made in it
  EXPECT_FALSE(FolderWritable(program));
  EXPECT_TRUE(FolderWritable(dir + "program"));
  TStoredFilesPlacement placed = WriteStoredFiles(holder.get(), {"Angel.aal", "Ann.aal", "Dolly.aal"}, program,
                                                  dir + "Local" + PathDelim + "Horavox");
  EXPECT_EQ(placed.Folder, dir + "Local" + PathDelim + "Horavox" + PathDelim);
  EXPECT_TRUE(placed.Errors.empty());
  EXPECT_TRUE(FileExists(placed.Folder + "Angel.aal"));
  EXPECT_TRUE(FileExists(placed.Folder + "Dolly.aal"));
  EXPECT_FALSE(DirectoryExists(program));
  String fallback = StoredFilesFallbackFolder();
  EXPECT_EQ(ExtractFileName(ExcludeTrailingPathDelimiter(fallback)), "Horavox");
}

}  // namespace
