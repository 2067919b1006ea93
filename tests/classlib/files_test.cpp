#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "classlib/core/clock.h"
#include "classlib/core/files.h"
#include "classlib/core/streams.h"
#include "classlib/core/text.h"
#include "test_paths.h"

namespace {

const std::string D(1, PathDelim);

TEST(FileNames, SplitWindowsPaths) {
  struct Case {
    const char* name;
    const char* path;
    const char* dir;
    const char* file;
    const char* ext;
    const char* drive;
  };
  const Case cases[] = {
      {"C:\\dir\\sub\\file.txt", "C:\\dir\\sub\\", "C:\\dir\\sub", "file.txt", ".txt", "C:"},
      {"C:\\file", "C:\\", "C:\\", "file", "", "C:"},
      {"C:name.x", "C:", "C:", "name.x", ".x", "C:"},
      {"\\\\server\\share\\a.b.c", "\\\\server\\share\\", "\\\\server\\share", "a.b.c", ".c", "\\\\server\\share"},
      {"dir/sub/name.wav", "dir/sub/", "dir/sub", "name.wav", ".wav", ""},
      {"dir.d\\file", "dir.d\\", "dir.d", "file", "", ""},
      {"/x", "/", "/", "x", "", ""},
      {"name", "", "", "name", "", ""},
      {"Звуки\\Час.wav", "Звуки\\", "Звуки", "Час.wav", ".wav", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.name), c.path) << c.name;
    EXPECT_EQ(ExtractFileDir(c.name), c.dir) << c.name;
    EXPECT_EQ(ExtractFileName(c.name), c.file) << c.name;
    EXPECT_EQ(ExtractFileExt(c.name), c.ext) << c.name;
    EXPECT_EQ(ExtractFileDrive(c.name), c.drive) << c.name;
  }
  EXPECT_EQ(ChangeFileExt("a\\b.txt", ".wav"), "a\\b.wav");
  EXPECT_EQ(ChangeFileExt("a.d\\b", ".ini"), "a.d\\b.ini");
  EXPECT_EQ(ChangeFileExt("b.txt", ""), "b");
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\dir"), "C:\\dir" + D);
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\dir\\"), "C:\\dir\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter("dir/"), "dir/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\dir\\"), "C:\\dir");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("dir"), "dir");
}

// A fresh folder with a few files and a log of names found.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = IncludeTrailingPathDelimiter(horavox::test::TempDir()) +
          ::testing::UnitTest::GetInstance()->current_test_info()->name() + D;
    ASSERT_TRUE(ForceDirectories(dir));
  }
  void Write(const std::string& name, const std::string& bytes) {
    TFileStream f(dir + name, fmCreate);
    f.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  }
  std::vector<std::string> Find(const std::string& pattern, int attr) {
    std::vector<std::string> names;
    TSearchRec rec;
    for (int rc = FindFirst(dir + pattern, attr, rec); rc == 0; rc = FindNext(rec))
      if (rec.Name != "." && rec.Name != "..") names.push_back(rec.Name);
    FindClose(rec);
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string dir;
  using Names = std::vector<std::string>;
};

TEST_F(FilesTest, FindFirstMatchesWildcardsAndAttributesAsWindowsDoes) {
  Write("a.wav", "abc");
  Write("Бой.WAV", "");
  Write("c.txt", "");
  Write("r.wav", "");
  Write(".h.wav", "");
  ASSERT_TRUE(CreateDir(dir + "sub.wav"));
  ASSERT_EQ(FileSetAttr(dir + "r.wav", faReadOnly), 0);
#ifdef _WIN32
  ASSERT_EQ(FileSetAttr(dir + ".h.wav", faHidden), 0);
#endif
  // Read-only and archive never keep an entry out; hidden, system and folders only when
  // not asked for.
  const Names plain = {".h.wav", "a.wav", "r.wav", "sub.wav", "Бой.WAV"};
  EXPECT_EQ(Find("*.wav", 0), (Names{"a.wav", "r.wav", "Бой.WAV"}));
  EXPECT_EQ(Find("*.wav", faReadOnly | faArchive), (Names{"a.wav", "r.wav", "Бой.WAV"}));
  EXPECT_EQ(Find("*.wav", faDirectory), (Names{"a.wav", "r.wav", "sub.wav", "Бой.WAV"}));
  EXPECT_EQ(Find("*.wav", faHidden), (Names{".h.wav", "a.wav", "r.wav", "Бой.WAV"}));
  EXPECT_EQ(Find("*.wav", faAnyFile), plain);
  EXPECT_EQ(Find("б?й.*", faAnyFile), (Names{"Бой.WAV"}));
  EXPECT_EQ(Find("*.*", 0), (Names{"a.wav", "c.txt", "r.wav", "Бой.WAV"}));

  TSearchRec rec;
  EXPECT_NE(FindFirst(dir + "*.mp3", faAnyFile, rec), 0);
  EXPECT_NE(FindFirst(dir + "missing" + D + "*", faAnyFile, rec), 0);
  EXPECT_NE(FindNext(rec), 0);  // after a failed search

  ASSERT_EQ(FindFirst(dir + "a.wav", faAnyFile, rec), 0);
  EXPECT_EQ(rec.Size, 3);
  EXPECT_EQ(rec.Attr & (faDirectory | faReadOnly), 0);
  TDateTime age;
  ASSERT_TRUE(FileAge(dir + "a.wav", age));
  EXPECT_EQ(rec.Time, age);
  EXPECT_LT(std::fabs(age - Now()), 1.0 / 24);  // local time, written a moment ago
  EXPECT_NE(FindNext(rec), 0);
  FindClose(rec);
  ASSERT_EQ(FindFirst(dir + "sub.wav", faDirectory, rec), 0);
  EXPECT_TRUE(rec.Attr & faDirectory);
  ASSERT_EQ(FindFirst(dir + "r.wav", 0, rec), 0);
  EXPECT_TRUE(rec.Attr & faReadOnly);
  EXPECT_EQ(FileSetAttr(dir + "r.wav", 0), 0);
  EXPECT_FALSE(FileGetAttr(dir + "r.wav") & faReadOnly);
}

TEST_F(FilesTest, FolderAndFileOperationsReportFailureWithoutLosingFiles) {
  std::string deep = dir + "один" + D + "два/три";
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(ForceDirectories(deep + D));  // already there
  EXPECT_FALSE(CreateDir(deep));
  EXPECT_FALSE(FileExists(deep));
  EXPECT_FALSE(ForceDirectories(""));

  Write("old.txt", "old");
  Write("other.txt", "other");
  EXPECT_FALSE(RenameFile(dir + "old.txt", dir + "other.txt"));  // never over a file
  EXPECT_TRUE(RenameFile(dir + "old.txt", dir + "новый.txt"));
  EXPECT_FALSE(FileExists(dir + "old.txt"));
  TMemoryStream m;
  m.LoadFromFile(dir + "other.txt");
  EXPECT_EQ(StreamToString(&m), "other");

  EXPECT_FALSE(DeleteFile(dir + "один"));       // a folder is no file
  EXPECT_FALSE(RemoveDir(dir + "один"));        // not empty
  EXPECT_FALSE(DeleteFile(dir + "missing.txt"));
  EXPECT_TRUE(DeleteFile(dir + "новый.txt"));
  EXPECT_FALSE(FileExists(dir + "новый.txt"));
  EXPECT_EQ(FileGetAttr(dir + "missing.txt"), -1);
  EXPECT_TRUE(FileGetAttr(dir + "один") & faDirectory);
  TDateTime age;
  EXPECT_FALSE(FileAge(dir + "один", age));
  EXPECT_FALSE(FileAge(dir + "missing.txt", age));
}

TEST(FileSystem, ExpandsNamesAndKnowsTheEnvironment) {
  std::string base = ExpandFileName(horavox::test::TempDir());
  EXPECT_EQ(ExpandFileName(horavox::test::TempDir() + "/x/../y/./z"), base + D + "y" + D + "z");
  EXPECT_EQ(ExpandFileName("rel.txt"), IncludeTrailingPathDelimiter(GetCurrentDir()) + "rel.txt");
  EXPECT_TRUE(DirectoryExists(GetCurrentDir()));
  std::string temp = GetTempDir();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), PathDelim);
  EXPECT_TRUE(DirectoryExists(temp));
  EXPECT_FALSE(GetEnvironmentVariable("PATH").empty());
  EXPECT_EQ(GetEnvironmentVariable("HORAVOX_SURELY_UNSET_VARIABLE"), "");
#ifdef _WIN32
  std::string exe = ParamStr(0);
  EXPECT_TRUE(FileExists(exe));
  EXPECT_TRUE(SameText(ExtractFileName(exe), "classlib_tests.exe")) << exe;
  EXPECT_EQ(ExeFolder(), ExtractFilePath(exe));
  EXPECT_EQ(ExeFolder().back(), '\\');
  EXPECT_EQ(ParamStr(ParamCount() + 1), "");
#endif
}

}  // namespace
