// The audio player window as the program has it, read from its form, on a virtual clock
// with the fake media device: a file chosen in its open dialog, its buttons and slider as
// it plays, pauses, seeks and stops, the player-open flag, a refused file and its message,
// and a three-hour track half-way through (app-player.bmp in test-artifacts/).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/Unit5.h"
#include "classlib/windows/application.h"
#include "classlib/core/clock.h"
#include "classlib/core/files.h"
#include "classlib/core/unicode.h"
#include "fake_media.h"
#include "gridcal/slider.h"
#include "tests/classlib/gui_test_util.h"
#include "tests/app/player_states.h"

namespace {
using namespace guitest;

class PlayerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    music = IncludeTrailingPathDelimiter(WideToUtf8(temp)) + "Вальс плеера.wav";
    HANDLE file = CreateFileW(Utf8ToWide(music).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    media.AddFile(music, 10000);
    form.reset(NewForm<TForm5>(Application));
    form->OnPlayerOpen = [this](bool Open) { flag = Open; };
  }
  void TearDown() override {
    form.reset();
    DeleteFileW(Utf8ToWide(music).c_str());
  }

  TPlayerButtons Shown() const {
    auto state = [](TBitBtn* b) { return TPlayerButton{b->GetVisible(), b->GetEnabled()}; };
    return {state(form->ButtonPause), state(form->ButtonResume), state(form->ButtonStop), state(form->ButtonOpen)};
  }
  horavox::test::TFakeMediaDevice& Device() { return *media.LastDevice(); }
  void Tick() { clock.Advance(500); }

  TVirtualClock clock{EncodeDate(2026, 12, 10) + EncodeTime(15, 0, 0, 0)};
  TClockScope clockScope{clock};
  horavox::test::TFakeMediaSystem media;
  std::unique_ptr<TForm5> form;
  String music;
  bool flag = false;
};

TEST_F(PlayerWindow, TheWindowAsReadHasOnlyOpenToUse) {
  EXPECT_EQ(form->GetCaption(), "Мини проигрыватель");
  EXPECT_EQ(form->GetBorderStyle(), bsToolWindow);
  EXPECT_EQ(form->GetFormStyle(), fsStayOnTop);
  EXPECT_EQ(form->KitScrollBar1->GetWidth(), 253);
  EXPECT_EQ(form->KitScrollBar1->GetHeight(), 25);
  EXPECT_FALSE(form->KitScrollBar1->GetEnabled());
  EXPECT_EQ(Shown(), player_states::kClosed);
  EXPECT_FALSE(form->Timer1->GetEnabled());
  EXPECT_EQ(form->Timer1->GetInterval(), 500u);
  EXPECT_EQ(form->OpenDialog1->GetFilter(), "Музыкальные файлы|*.mp3;*.wav;*.mid;*.rmi|Все файлы|*.*");
}

TEST_F(PlayerWindow, AFileChosenInTheDialogPlaysPausesSeeksAndStops) {
  form->Show();
  {
    // The file is typed into the system's open dialog and confirmed.
    std::wstring name = Utf8ToWide(music);
    TDialogWatcher watcher(
        GetCurrentThreadId(), [](HWND w) { return ClassOf(w) == L"#32770"; },
        [name](HWND dialog) {
          HWND box = GetDlgItem(dialog, 0x47C);  // the file name's combo box
          if (!box) box = GetDlgItem(dialog, 0x480);
          SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
          PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
    form->ButtonOpen->Click();
    EXPECT_EQ(watcher.Seen(), 1);
  }
  EXPECT_EQ(Device().FileName, music);
  EXPECT_EQ(Device().Mode(), mpPlaying);
  EXPECT_EQ(Shown(), player_states::kPlaying);
  EXPECT_TRUE(flag);
  EXPECT_EQ(form->GetFormStyle(), fsStayOnTop);  // back on top after the dialog
  EXPECT_EQ(form->KitScrollBar1->GetMaxValue(), 10000);

  Device().SetPlayPosition(2500);
  Tick();
  EXPECT_TRUE(form->KitScrollBar1->GetEnabled());
  EXPECT_EQ(form->KitScrollBar1->GetValue(), 2500);
  EXPECT_EQ(form->Label2->GetCaption(), "Вальс плеера.wav");

  form->ButtonPause->Click();
  EXPECT_EQ(Shown(), player_states::kPaused);
  EXPECT_EQ(Device().Mode(), mpPaused);

  // Dragging the thumb while paused seeks and plays from there.
  HWND slider = form->KitScrollBar1->GetHandle();
  TRect thumb = form->KitScrollBar1->ThumbRect(), ruler = form->KitScrollBar1->RulerRect();
  int y = (thumb.Top + thumb.Bottom) / 2;
  int to = ruler.Left + (ruler.Right - ruler.Left) * 3 / 4;
  SendMessageW(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((thumb.Left + thumb.Right) / 2, y));
  EXPECT_FALSE(form->Timer1->GetEnabled());
  SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, y));
  SendMessageW(slider, WM_LBUTTONUP, 0, MAKELPARAM(to, y));
  std::int64_t seekTo = form->KitScrollBar1->GetValue();
  EXPECT_GT(seekTo, 5000);
  EXPECT_LT(seekTo, 10000);
  ASSERT_GE(media.Log.size(), 2u);
  EXPECT_EQ(media.Log[media.Log.size() - 2], "Seek " + std::to_string(seekTo));
  EXPECT_EQ(media.Log.back(), "Play");
  EXPECT_EQ(Shown(), player_states::kPlaying);
  EXPECT_TRUE(form->Timer1->GetEnabled());

  form->ButtonStop->Click();
  EXPECT_EQ(Shown(), player_states::kStopped);
  EXPECT_FALSE(form->KitScrollBar1->GetEnabled());
  EXPECT_EQ(form->KitScrollBar1->GetValue(), 0);
  EXPECT_EQ(Device().Mode(), mpStopped);

  form->ButtonResume->Click();
  EXPECT_EQ(Shown(), player_states::kPlaying);
  form->Close();
  EXPECT_FALSE(flag);
  EXPECT_EQ(Device().Mode(), mpStopped);
  EXPECT_FALSE(form->Timer1->GetEnabled());
}

TEST_F(PlayerWindow, ARefusedFileIsReportedAndTheWindowStillCloses) {
  // A file played before names itself in the label.
  media.AddFile("C:\\Музыка\\minuta.wav", 2000);
  form->PlayDroppedFile("C:\\Музыка\\minuta.wav");
  Tick();
  EXPECT_EQ(form->Label2->GetCaption(), "minuta.wav");
  std::wstring said;
  {
    TDialogWatcher watcher(
        GetCurrentThreadId(), [](HWND w) { return ClassOf(w) == L"#32770"; },
        [&said](HWND dialog) {
          said = MessageBoxText(dialog);
          PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
    form->PlayDroppedFile("C:\\Музыка\\Шум.mp3");
    EXPECT_EQ(watcher.Seen(), 1);
  }
  EXPECT_EQ(said, L"Формат не поддерживается!");
  EXPECT_FALSE(form->MediaPlayer1->DeviceOpen());
  EXPECT_EQ(Shown(), player_states::kClosed);
  EXPECT_FALSE(form->KitScrollBar1->GetEnabled());
  EXPECT_FALSE(flag);
  EXPECT_EQ(form->Label2->GetCaption(), "");  // no file the player holds
  form->Show();
  PumpFor(100);
  SaveScreenshot(form->GetHandle(), "app-player-refused.bmp");
  EXPECT_NO_THROW(form->Close());
  EXPECT_FALSE(form->GetVisible());
}

TEST_F(PlayerWindow, AThreeHourTrackHalfWayPutsTheThumbMidRuler) {
  const String longTrack = "C:\\Музыка\\Концерт.wav";
  media.AddFile(longTrack, 3 * 3600 * 1000);
  form->PlayDroppedFile(longTrack);
  EXPECT_TRUE(form->GetVisible());
  EXPECT_TRUE(flag);
  Device().SetPlayPosition(3 * 3600 * 1000 / 2);
  Tick();
  EXPECT_EQ(form->KitScrollBar1->GetValue(), 5400000);
  TRect thumb = form->KitScrollBar1->ThumbRect(), ruler = form->KitScrollBar1->RulerRect();
  EXPECT_NEAR((thumb.Left + thumb.Right) / 2.0, (ruler.Left + ruler.Right) / 2.0, 1.0);
  PumpFor(100);
  SaveScreenshot(form->GetHandle(), "app-player.bmp");
  form->Close();
}

}  // namespace
