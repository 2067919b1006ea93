// File operations on temporary files under Wine. What Wine's file system does not keep is
// not tested: the creation time (Linux has none to set) and the temporary and hidden
// attributes (kept only where the file system takes extended attributes). Deleting into
// the recycle bin is not tried either: under Wine it is the desktop user's own trash.
#include <gtest/gtest.h>

#include "classlib/core/datetime.h"
#include "classlib/core/files.h"
#include "classlib/core/streams.h"
#include "classlib/core/winapi.h"
#include "controls/kitfilectrl.h"
#include "test_paths.h"

#include <shellapi.h>

namespace {

// The options the clock deletes its character files with when it closes.
const TKitFileOpFlags kUnattended{ffFilesOnly, ffNoActionConfirm, ffNoMKDIRConfirm, ffShowNoProgress};

class FileCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = horavox::test::TempDir() + "\\filectrl-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(ForceDirectories(dir));
    ctrl.Options = kUnattended;
  }
  String Make(const String& name, size_t size = 10) {
    String path = dir + "\\" + name;
    TFileStream file(path, fmCreate);
    std::string bytes(size, 'x');
    file.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    return path;
  }
  String dir;
  TKitFileCtrl ctrl{nullptr};
};

TEST_F(FileCtrlTest, TakesOnlyTheNameOfAnExistingFile) {
  String path = ExpandFileName(Make("Ангел.aal", 1234));
  ctrl.SetFileName(dir + "\\.\\Ангел.aal");
  EXPECT_EQ(ctrl.GetFileName(), path);  // as a full path
  EXPECT_EQ(ctrl.FileSize(), 1234);
  ctrl.SetFileName(dir + "\\missing.aal");
  EXPECT_EQ(ctrl.GetFileName(), path);
  ctrl.SetFileName(dir);  // a folder
  EXPECT_EQ(ctrl.GetFileName(), path);
  EXPECT_FALSE(ctrl.FileType().empty());
  DeleteFile(path);
  EXPECT_EQ(ctrl.FileSize(), 0);
  EXPECT_TRUE(ctrl.GetAttributes().Empty());
  EXPECT_EQ(ctrl.GetFileWriteStamp(), "");
  EXPECT_EQ(ctrl.FileType(), "");
}

TEST_F(FileCtrlTest, ReadsAndWritesAttributesAndTimes) {
  String path = Make("times.txt");
  ctrl.SetFileName(path);
  EXPECT_FALSE(ctrl.GetAttributes().Contains(fcaReadonly));
  EXPECT_FALSE(ctrl.GetAttributes().Contains(fcaDirectory));
  ctrl.SetAttributes(ctrl.GetAttributes() + TKitFileAttributes{fcaReadonly});
  EXPECT_TRUE(ctrl.GetAttributes().Contains(fcaReadonly));
  EXPECT_NE(FileGetAttr(path) & faReadOnly, 0);
  // Clearing works too, also down to no attribute at all.
  ctrl.SetAttributes({});
  EXPECT_FALSE(ctrl.GetAttributes().Contains(fcaReadonly));
  EXPECT_EQ(FileGetAttr(path) & faReadOnly, 0);

  TDateTime when = EncodeDate(2021, 3, 4) + EncodeTime(5, 6, 7, 0);
  ctrl.SetFileWriteStamp(DateTimeToStr(when));
  EXPECT_EQ(ctrl.GetFileWriteStamp(), DateTimeToStr(when));
  TDateTime age = 0;
  ASSERT_TRUE(FileAge(path, age));
  EXPECT_NEAR(age, when, 1.0 / 86400);
  EXPECT_THROW(ctrl.SetFileWriteStamp("no time at all"), EConvertError);
  EXPECT_FALSE(ctrl.GetFileAccessStamp().empty());
}

TEST_F(FileCtrlTest, CopiesRenamesMovesAndDeletes) {
  String a = Make("a.wav", 100);
  ASSERT_TRUE(ForceDirectories(dir + "\\sub"));
  EXPECT_TRUE(ctrl.FileOperation(a, dir + "\\b.wav", foCopy));
  EXPECT_TRUE(FileExists(a));
  EXPECT_TRUE(FileExists(dir + "\\b.wav"));
  EXPECT_TRUE(ctrl.FileOperation(dir + "\\b.wav", dir + "\\Утро.wav", foRename));
  EXPECT_FALSE(FileExists(dir + "\\b.wav"));
  EXPECT_TRUE(FileExists(dir + "\\Утро.wav"));
  EXPECT_TRUE(ctrl.FileOperation(dir + "\\Утро.wav", dir + "\\sub", foMove));
  EXPECT_TRUE(FileExists(dir + "\\sub\\Утро.wav"));
  EXPECT_TRUE(ctrl.DeleteFile(dir + "\\sub\\Утро.wav"));
  EXPECT_FALSE(FileExists(dir + "\\sub\\Утро.wav"));
  // A list of names, NUL between them, in one operation.
  String c = Make("c.wav"), d = Make("d.wav");
  EXPECT_TRUE(ctrl.FileOperation(c + String(1, '\0') + d, "", foDelete));
  EXPECT_FALSE(FileExists(c));
  EXPECT_FALSE(FileExists(d));
  EXPECT_FALSE(ctrl.FileOperation("", "", foDelete));
}

TEST_F(FileCtrlTest, AnUnattendedDeletionOfAMissingFileFailsWithoutAsking) {
  // Returns at once with a failure: no error box waits for somebody to close it.
  EXPECT_FALSE(ctrl.DeleteFile(dir + "\\never there.aal"));
}

TEST(FileCtrlFlags, OptionsMapToTheShellsFlags) {
  struct Case {
    TKitFileOpFlags options;
    unsigned flags;
  } cases[] = {
      {{}, 0},
      {{ffFilesOnly}, FOF_FILESONLY},
      {{ffNoActionConfirm}, FOF_NOCONFIRMATION},
      {{ffNoMKDIRConfirm}, FOF_NOCONFIRMMKDIR},
      {{ffRenameFileOnCollision}, FOF_RENAMEONCOLLISION},
      {{ffShowNoErrors}, FOF_NOERRORUI},
      {{ffShowNoProgress}, FOF_SILENT},
      {{ffSimpleProgress}, FOF_SIMPLEPROGRESS},
      {{ffUseRecycleBin}, FOF_ALLOWUNDO},
      {{ffFilesOnly, ffUseRecycleBin}, FOF_FILESONLY | FOF_ALLOWUNDO},
      // Nobody asked and nothing shown: no error box either.
      {kUnattended, FOF_FILESONLY | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_SILENT | FOF_NOERRORUI},
  };
  for (const Case& c : cases) EXPECT_EQ(KitFileOpShellFlags(c.options), c.flags) << c.options.Bits();
  TKitFileCtrl ctrl(nullptr);
  EXPECT_EQ(ctrl.Options, (TKitFileOpFlags{ffFilesOnly, ffUseRecycleBin}));
}

TEST(FileCtrlFlags, NameListsEndWithTheirDoubleNul) {
  std::wstring one = KitShellFileList("C:\\x.aal");
  EXPECT_EQ(one, std::wstring(L"C:\\x.aal\0", 9));  // c_str() adds the second NUL
  std::wstring two = KitShellFileList(String("C:\\a") + '\0' + "C:\\b");
  EXPECT_EQ(two, std::wstring(L"C:\\a\0C:\\b\0", 10));
  std::wstring ended = KitShellFileList(String("C:\\a") + '\0' + "C:\\b" + '\0' + '\0');
  EXPECT_EQ(ended, two);
  EXPECT_EQ(KitUnknownFileType("C:\\data\\x.abc"), ".ABC-Files");
  EXPECT_EQ(KitUnknownFileType("C:\\data\\Файл.дат"), ".дат-Files");  // ASCII letters only
}

}  // namespace
