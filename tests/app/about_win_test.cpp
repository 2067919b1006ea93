// The about box as the program has it: read from its form resource with the generated
// greeting inside, its version text from the version resource this test program carries
// (the program's own), the greeting played by a click on the picture, and shown modally
// until "Ясно!". Run as the test app.sound, with a capture file, the greeting is heard
// sample for sample.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/About.h"
#include "app/storedsounds.h"
#include "classlib/windows/application.h"
#include "classlib/core/files.h"
#include "classlib/core/unicode.h"
#include "fake_sound.h"
#include "message_pump.h"
#include "test_paths.h"
#include "tests/classlib/gui_test_util.h"

namespace {

String FileBytes(const String& path) {
  TMemoryStream data;
  data.LoadFromFile(path);
  return StreamToString(&data);
}

String Greeting() { return FileBytes(horavox::test::SoundDataDir() + "\\Wazzap.wav"); }

// The samples of a RIFF/WAVE image: its "data" chunk ("" when it has none).
String WaveSamples(const String& wave) {
  for (size_t at = 12; at + 8 <= wave.size();) {
    std::uint32_t size;
    std::memcpy(&size, wave.data() + at + 4, 4);
    if (wave.compare(at, 4, "data") == 0) return wave.substr(at + 8, size);
    at += 8 + size + (size & 1);
  }
  return "";
}

// HORAVOX_CAPTURE: the file everything played is appended to (a Unix path), "/dev/null"
// when sounds go nowhere; "" when it is not set.
String CaptureSetting() {
  wchar_t value[1024] = L"";
  DWORD n = GetEnvironmentVariableW(L"HORAVOX_CAPTURE", value, 1024);
  return (n > 0 && n < 1024) ? WideToUtf8(value) : String();
}

String CapturedFrom(const String& file, size_t offset) {
  String all = FileExists(file) ? FileBytes(file) : String();
  return all.size() > offset ? all.substr(offset) : String();
}

class AboutBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { box.reset(NewForm<TAboutBox>(Application)); }
  TRect Picture() const { return box->ProgramIcon->GetBoundsRect(); }
  // Shown, and painted as far as the picture.
  bool ShowPainted() {
    box->Show();
    return horavox::test::PumpMessagesUntil([&] {
      auto pixels = guitest::Capture(box->GetHandle(), false);
      return static_cast<COLORREF>(pixels->Canvas()->GetPixels(Picture().Left + 32, Picture().Top + 32)) !=
             ColorToRGB(box->GetColor());
    });
  }
  void ClickPicture() {
    LPARAM at = MAKELPARAM((Picture().Left + Picture().Right) / 2, (Picture().Top + Picture().Bottom) / 2);
    PostMessageW(box->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(box->GetHandle(), WM_LBUTTONUP, 0, at);
  }
  std::unique_ptr<TAboutBox> box;
};

TEST_F(AboutBoxTest, IsReadFromItsResource) {
  EXPECT_EQ(box->GetCaption(), "О программе");
  EXPECT_EQ(box->GetBorderStyle(), bsDialog);
  EXPECT_EQ(box->GetPosition(), poScreenCenter);
  EXPECT_EQ(box->ProductName->GetCaption(), "Хоравокс");
  EXPECT_EQ(box->DskVersionLabel1->GetCaption(), "Версия: 1.0.0.0");
  EXPECT_EQ(box->ReleaseDate->GetCaption(), "Дата выпуска программы: 15.07.2005");
  EXPECT_EQ(box->MailCaption->GetCaption(), "E-Mail:");
  EXPECT_EQ(box->SiteCaption->GetCaption(), "Сайт:");
  EXPECT_EQ(box->BitBtn1->GetCaption(), "Ясно!");
  EXPECT_EQ(box->BitBtn1->GetModalResult(), mrOk);
  EXPECT_TRUE(box->BitBtn1->GetDefault());
  // The picture drawn at build time, streamed in the form as the JPEG file it was,
  // stretched over the image.
  EXPECT_TRUE(box->ProgramIcon->GetStretch());
  auto* jpeg = dynamic_cast<TJpegGraphic*>(box->ProgramIcon->GetPicture()->GetGraphic());
  ASSERT_NE(jpeg, nullptr);
  EXPECT_EQ(jpeg->GetWidth(), 128);
  EXPECT_EQ(jpeg->GetHeight(), 128);
  String file = FileBytes(horavox::test::BinaryDir() + "/app/pictures/About.jpg");
  EXPECT_EQ(String(jpeg->Data().begin(), jpeg->Data().end()), file);
  for (TControl* clickable : {static_cast<TControl*>(box->ProgramIcon), static_cast<TControl*>(box->DskCommandLabel1),
                              static_cast<TControl*>(box->DskCommandLabel2)})
    EXPECT_EQ(clickable->GetCursor(), crHandPoint) << clickable->GetName();
  EXPECT_EQ(box->DskCommandLabel1->GetCaption(), "info@example.org");
  EXPECT_EQ(DskCommandTarget(box->DskCommandLabel1->Command, box->DskCommandLabel1->CaptionValue),
            "mailto:info@example.org");
  EXPECT_EQ(box->DskCommandLabel2->GetCaption(), "https://example.org/");
  EXPECT_EQ(DskCommandTarget(box->DskCommandLabel2->Command, box->DskCommandLabel2->CaptionValue),
            "https://example.org/");

  // The greeting made at build time, whole: one internal wave, played once, asynchronously.
  ASSERT_NE(box->DskWaveHolder1, nullptr);
  TDskInternalWaves* waves = box->DskWaveHolder1->GetInternals();
  ASSERT_EQ(waves->Count(), 1);
  TDskInternalWave* wave = waves->Items(0);
  EXPECT_EQ(wave->GetWave(), "Wazzap.wav");
  EXPECT_FALSE(wave->Looped);
  EXPECT_TRUE(wave->Asynchronous);
  String greeting = Greeting();
  EXPECT_GT(greeting.size(), 30000u);  // about a second of speech
  EXPECT_LT(greeting.size(), 60000u);
  EXPECT_EQ(StreamToString(wave->Contents()), greeting);
}

TEST_F(AboutBoxTest, AClickOnThePicturePlaysTheGreeting) {
  horavox::test::TFakeSoundOutput output;
  EXPECT_TRUE(ShowPainted()) << "the picture is not shown";
  ClickPicture();
  EXPECT_TRUE(horavox::test::PumpMessagesUntil([&] { return !output.Played.empty(); }));
  ASSERT_EQ(output.Played.size(), 1u);
  EXPECT_EQ(output.Played[0].Wave, Greeting());
  EXPECT_EQ(output.Played[0].Flags, 7u);  // from memory, asynchronously, no default sound
  box->Hide();
}

TEST_F(AboutBoxTest, TheGreetingIsHeardSampleForSample) {
  // A run whose sounds go nowhere cannot hear it (the test app.sound does); a run that was
  // not told where its sounds go is a broken set-up, not a pass.
  String setting = CaptureSetting();
  if (setting == "/dev/null") GTEST_SKIP() << "sounds go nowhere here: the test app.sound hears the greeting";
  ASSERT_FALSE(setting.empty()) << "HORAVOX_CAPTURE is not set: no capture file to hear the greeting in";
  String capture = "Z:" + setting;
  size_t before = FileExists(capture) ? FileBytes(capture).size() : 0;
  String expected = WaveSamples(Greeting());
  ASSERT_FALSE(expected.empty());
  ASSERT_TRUE(ShowPainted());
  guitest::SaveScreenshot(box->GetHandle(), "app-about-box.bmp");

  ClickPicture();
  horavox::test::PumpMessagesUntil([&] { return CapturedFrom(capture, before).size() >= expected.size(); }, 15000);
  horavox::test::PumpMessagesUntil([] { return false; }, 500);  // nothing more comes
  // The greeting whole, then nothing but the silence a busy machine's sound device may
  // pad its last period with.
  String played = CapturedFrom(capture, before);
  ASSERT_GE(played.size(), expected.size());
  EXPECT_TRUE(played.compare(0, expected.size(), expected) == 0) << "the capture differs from the greeting";
  EXPECT_EQ(played.find_first_not_of('\0', expected.size()), String::npos) << "more than the greeting was heard";
  EXPECT_LT(played.size() - expected.size(), 22050u) << "more than half a second of silence after it";
  box->Hide();
}

// The main window's "О программе": modal until "Ясно!"; asked again while it is up, it
// only comes to the front.
TEST_F(AboutBoxTest, ShowsModallyUntilClosedAndNotTwice) {
  AboutBox = box.get();
  int shown = 0;
  box->OnShow = [&](TObject*) {
    ++shown;
    ShowAboutBox();  // visible already: to the front, not shown again
    PostMessageW(box->BitBtn1->GetHandle(), BM_CLICK, 0, 0);
  };
  ShowAboutBox();
  AboutBox = nullptr;
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(box->GetModalResult(), mrOk);
  EXPECT_FALSE(box->GetVisible());
}

}  // namespace
