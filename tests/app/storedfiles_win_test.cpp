// Stored files and sounds as the program has them: in a form resource compiled at build
// time with the bytes of generated files, written out, deleted through the file-operations
// component, and played.
#include <gtest/gtest.h>

#include "app/storedfiles.h"
#include "app/storedsounds.h"
#include "classlib/core/files.h"
#include "classlib/core/resstream.h"
#include "classlib/core/sound.h"
#include "controls/kitfilectrl.h"
#include "test_paths.h"

// The root of the test form (forms/storedfiles.form).
class TStoredFilesForm : public TComponent {
  HX_CLASS(TStoredFilesForm, TComponent)
 public:
  explicit TStoredFilesForm(TComponent* AOwner) : TComponent(AOwner) {}
  TDskFileHolder* DskFileHolder1 = nullptr;
  TDskWaveHolder* DskWaveHolder1 = nullptr;
};

HX_PUBLISH(TStoredFilesForm, p) {
  p.Field("DskFileHolder1", &TStoredFilesForm::DskFileHolder1);
  p.Field("DskWaveHolder1", &TStoredFilesForm::DskWaveHolder1);
}

namespace {

String FileBytes(const String& path) {
  TMemoryStream data;
  data.LoadFromFile(path);
  return StreamToString(&data);
}

class StoredFilesResource : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(InitInheritedComponent(&form, ClassOf<TComponent>())); }
  TStoredFilesForm form{nullptr};
};

TEST_F(StoredFilesResource, CarriesTheFilesItWasBuiltWith) {
  ASSERT_NE(form.DskFileHolder1, nullptr);
  TDskStoredFiles* files = form.DskFileHolder1->GetFiles();
  ASSERT_EQ(files->Count(), 2);
  String sounds = horavox::test::SoundDataDir();
  EXPECT_EQ(StreamToString(files->Items(0)->Contents()), FileBytes(sounds + "\\Sounds\\1.wav"));
  EXPECT_EQ(files->Items(0)->GetFileSize(), files->Items(0)->Contents()->GetSize());
  EXPECT_EQ(files->Items(1)->GetNameOfFile(), "Утро.wav");
  EXPECT_EQ(StreamToString(files->Items(1)->Contents()), FileBytes(sounds + "\\Ring\\Утро.wav"));
  EXPECT_EQ(StreamToString(form.DskWaveHolder1->GetInternals()->Items(0)->Contents()),
            FileBytes(sounds + "\\Ring\\Кукушка.wav"));
}

TEST_F(StoredFilesResource, AreWrittenAtStartAndDeletedAtExit) {
  String program = horavox::test::TempDir() + "\\program files";
  ASSERT_TRUE(ForceDirectories(program));
  std::vector<String> names{"1.wav", "Утро.wav"};
  TStoredFilesPlacement placed = WriteStoredFiles(form.DskFileHolder1, names, program, program + "\\fallback");
  EXPECT_TRUE(placed.Errors.empty());
  EXPECT_EQ(FileBytes(placed.Folder + "Утро.wav"), FileBytes(horavox::test::SoundDataDir() + "\\Ring\\Утро.wav"));
  TKitFileCtrl deleter(nullptr);
  deleter.Options = {ffFilesOnly, ffNoActionConfirm, ffNoMKDIRConfirm, ffShowNoProgress};
  EXPECT_TRUE(DeleteStoredFiles(&deleter, placed.Folder, names).empty());
  EXPECT_FALSE(FileExists(placed.Folder + "1.wav"));
  EXPECT_FALSE(FileExists(placed.Folder + "Утро.wav"));
}

TEST_F(StoredFilesResource, TheStoredSoundPlays) {
  TDskInternalWave* wave = form.DskWaveHolder1->GetInternals()->Items(0);
  wave->Asynchronous = false;
  EXPECT_TRUE(form.DskWaveHolder1->PlayInternalWave(0));
  wave->Asynchronous = true;
  EXPECT_TRUE(form.DskWaveHolder1->PlayInternalWave(0));
  StopWaveSound();
}

}  // namespace
