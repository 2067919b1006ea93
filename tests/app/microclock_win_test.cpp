// The micro clock window as the program has it, read from its form on a virtual clock and
// one fixed monitor: its three kinds and their texts, the countdown meter under each face
// and its coming and going, the placement at the tick, colours and stored options that are
// out of range, a dropped file (a long name, a missing file, a folder) played by the audio
// player window, and the labels' font kept under "MicroFont".
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <memory>

#include "app/Unit2.h"
#include "app/Unit5.h"
#include "app/microplace.h"
#include "classlib/windows/application.h"
#include "classlib/core/clock.h"
#include "classlib/core/files.h"
#include "classlib/windows/graphics.h"
#include "classlib/core/registry.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/unicode.h"
#include "controls/frmeter.h"
#include "controls/kitclock.h"
#include "desktop/propstorage.h"
#include "gridcal/gxclock.h"
#include "fake_media.h"
#include "tests/classlib/gui_test_util.h"

namespace {

const char kFontKey[] = "\\Software\\Fernwick\\Horavox\\MicroFont";

class TSetOptions : public TClockOptions {
 public:
  int DigitalMiniClock() override { return Kind; }
  bool ShowSmallSeconds() override { return Seconds; }
  bool ShowSmallDate() override { return Date; }
  int SmallClockState() override { return Placement; }
  int MinClockColorBack() override { return Back; }
  int MinClockColor1() override { return Time; }
  int MinClockColor2() override { return DateColor; }
  int Kind = 0, Placement = 0, Back = 0, Time = 10, DateColor = 11;
  bool Seconds = true, Date = true;
};

void RemoveFontKey() {
  TRegistry registry;
  registry.DeleteKey(kFontKey);
}

class MicroClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveFontKey();
    auto options = std::make_unique<TSetOptions>();
    opts = options.get();
    parts.Options = std::move(options);
    player.reset(NewForm<TForm5>(Application));
    Form5 = player.get();
    form.reset(NewForm<TForm2>(Application));
    form->AttachTo(parts, nullptr);
  }
  void TearDown() override {
    form.reset();
    Form5 = nullptr;
    player.reset();
    RemoveFontKey();
  }
  void Tick() { form->Timer1Timer(nullptr); }

  // Thursday, 10 December 2026, 09:05:07.
  TVirtualClock clock{EncodeDate(2026, 12, 10) + EncodeTime(9, 5, 7, 0)};
  TClockScope clockScope{clock};
  TFixedMonitors monitors{{{Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 738)}}};
  TSeamScope<TMonitorSystem> monitorScope{monitors};
  TClockParts parts;
  TSetOptions* opts = nullptr;
  horavox::test::TFakeMediaSystem media;
  std::unique_ptr<TForm5> player;  // the audio player the program has
  std::unique_ptr<TForm2> form;
};

TEST_F(MicroClockTest, EachKindShowsItsFaceAndTheTextKindItsTexts) {
  EXPECT_EQ(form->GetCaption(), "Хоравокс");
  EXPECT_EQ(form->GetBorderStyle(), bsNone);
  Tick();
  EXPECT_TRUE(form->Label1->GetVisible());
  EXPECT_TRUE(form->Label2->GetVisible());
  EXPECT_FALSE(form->KitClock1->GetVisible());
  EXPECT_FALSE(form->GxClock1->GetVisible());
  EXPECT_EQ(form->Label1->GetCaption(), "09:05:07");
  EXPECT_EQ(form->Label2->GetCaption(), "10 декабря 2026 г., четверг");
  EXPECT_EQ(form->Label2->GetLeft(), form->Label1->GetLeft() + form->Label1->GetWidth() + 5);

  form->ShowSeconds = false;
  form->ShowDate = false;
  Tick();
  EXPECT_EQ(form->Label1->GetCaption(), "09:05");
  EXPECT_FALSE(form->Label2->GetVisible());
  EXPECT_EQ(form->Label2->GetCaption(), "");

  struct {
    int Kind;
    bool Labels, Led, Dial;
  } kinds[] = {{1, false, true, false}, {2, false, false, true}, {7, false, false, true}, {-1, false, false, true},
               {0, true, false, false}};
  for (const auto& k : kinds) {
    form->SetKind(k.Kind);
    Tick();
    EXPECT_EQ(form->Label1->GetVisible(), k.Labels) << k.Kind;
    EXPECT_EQ(form->KitClock1->GetVisible(), k.Led) << k.Kind;
    EXPECT_EQ(form->GxClock1->GetVisible(), k.Dial) << k.Kind;
  }
}

TEST_F(MicroClockTest, TheStoredOptionsApplyAndThoseOutOfRangeReadAsDefaults) {
  opts->Kind = 1;
  opts->Seconds = false;
  opts->Date = false;
  opts->Placement = 11;
  opts->Back = 15;
  opts->Time = 9;
  opts->DateColor = 12;
  ApplyMicroClockOptions(*opts, *parts.MicroClock);
  EXPECT_EQ(form->Kind(), 1);
  EXPECT_TRUE(form->KitClock1->GetVisible());
  EXPECT_FALSE(form->ShowSeconds);
  EXPECT_FALSE(form->ShowDate);
  EXPECT_EQ(form->Placement, 11);
  EXPECT_EQ(form->GetColor(), clWhite);
  EXPECT_EQ(form->Label1->GetFont()->GetColor(), clRed);
  EXPECT_EQ(form->Label2->GetFont()->GetColor(), clBlue);

  opts->Kind = 3;
  opts->Back = 41;
  opts->Time = -1;
  opts->DateColor = 1000;
  opts->Placement = 12;
  ApplyMicroClockOptions(*opts, *parts.MicroClock);
  EXPECT_EQ(form->Kind(), 1);  // unchanged
  EXPECT_EQ(form->GetColor(), clBlack);
  EXPECT_EQ(form->Label1->GetColor(), clBlack);
  EXPECT_EQ(form->Label1->GetFont()->GetColor(), clLime);
  EXPECT_EQ(form->Label2->GetFont()->GetColor(), clYellow);
  // Placement 12 reads as the manual place: a window inside stays.
  parts.MicroClock->SetPlace(200, 300);
  Tick();
  EXPECT_EQ(form->GetLeft(), 200);
  EXPECT_EQ(form->GetTop(), 300);
}

TEST_F(MicroClockTest, TheTickPlacesTheWindowInTheWorkArea) {
  form->SetKind(1);
  form->Placement = 5;
  Tick();
  EXPECT_EQ(form->GetLeft(), 1024 - 4 - form->GetWidth());
  EXPECT_EQ(form->GetTop(), 738 - 4 - form->GetHeight());
  form->Placement = 0;
  parts.MicroClock->SetPlace(5000, 5000);  // on no monitor
  Tick();
  EXPECT_EQ(parts.MicroClock->Left(), 1024 - 4 - form->GetWidth());
  EXPECT_EQ(parts.MicroClock->Top(), 738 - 4 - form->GetHeight());
}

TEST_F(MicroClockTest, TheMeterStandsUnderEachFace) {
  form->SetKind(1);
  parts.MicroClock->SetMeterVisible(true);
  EXPECT_EQ(form->Gauge1->GetBoundsRect(), Bounds(0, 28, 155, 7));
  EXPECT_EQ(form->GetClientHeight(), 35);

  form->SetKind(2);
  parts.MicroClock->PlaceMeterUnderFace();
  EXPECT_EQ(form->Gauge1->GetBoundsRect(), Bounds(0, 170, 170, 7));

  form->SetKind(0);
  Tick();
  parts.MicroClock->PlaceMeterUnderFace();
  TLabel* l1 = form->Label1;
  EXPECT_EQ(form->Gauge1->GetBoundsRect(),
            Bounds(0, l1->GetTop() + l1->GetHeight(), l1->GetWidth() + form->Label2->GetWidth(), 7));

  parts.MicroClock->SetMeterMax(600);
  parts.MicroClock->SetMeterValue(150);
  EXPECT_EQ(form->Gauge1->GetMax(), 600);
  EXPECT_EQ(parts.MicroClock->MeterValue(), 150);
}

TEST_F(MicroClockTest, ItTicksOnlyWhileShown) {
  EXPECT_FALSE(form->Timer1->GetEnabled()) << "ticks while hidden";
  parts.MicroClock->Show();
  EXPECT_TRUE(form->Timer1->GetEnabled());
  EXPECT_EQ(form->Label1->GetCaption(), "09:05:07");
  clock.Advance(2000);
  EXPECT_EQ(form->Label1->GetCaption(), "09:05:09");
  parts.MicroClock->Hide();
  EXPECT_FALSE(form->Timer1->GetEnabled());
}

TEST_F(MicroClockTest, FiftyShowAndHideCyclesKeepTheHeight) {
  form->SetKind(1);
  parts.MicroClock->SetMeterVisible(false);
  int without = form->GetHeight();
  parts.MicroClock->SetMeterVisible(true);
  int with = form->GetHeight();
  EXPECT_EQ(with, without + 7);
  for (int i = 0; i < 50; ++i) {
    parts.MicroClock->SetMeterVisible(true);
    parts.MicroClock->Relayout();
    EXPECT_EQ(form->GetHeight(), with);
    parts.MicroClock->SetMeterVisible(false);
    parts.MicroClock->Relayout();
    EXPECT_EQ(form->GetHeight(), without);
  }
}

// WM_DROPFILES with one name, as the shell sends it.
void DropFile(HWND Window, const String& Name) {
  std::wstring wide = Utf8ToWide(Name);
  SIZE_T bytes = sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), wide.c_str(), wide.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  SendMessageW(Window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

TEST_F(MicroClockTest, ADroppedFileReachesThePlayerAndAMissingFileOrAFolderNot) {
  EXPECT_NE(GetWindowLongW(form->GetHandle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
  wchar_t temp[MAX_PATH] = L"";
  GetTempPathW(MAX_PATH, temp);
  String folder = IncludeTrailingPathDelimiter(WideToUtf8(temp)) + "microdrop";
  CreateDirectoryW(Utf8ToWide(folder).c_str(), nullptr);
  // 300 characters in folders of 100 (a name of the file system is at most 255).
  std::vector<String> folders;
  String name = folder;
  while (name.size() + 101 < 300 - 10) {
    name += "\\" + String(100, 'd');
    folders.push_back(name);
    CreateDirectoryW((L"\\\\?\\" + Utf8ToWide(name)).c_str(), nullptr);
  }
  name += "\\" + String(300 - name.size() - 5, 'a') + ".wav";
  ASSERT_EQ(name.size(), 300u);
  std::wstring wide = L"\\\\?\\" + Utf8ToWide(name);
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);

  media.AddFile(name, 4000);
  media.AddFile(folder + "\\missing.wav", 4000);
  DropFile(form->GetHandle(), name);
  DropFile(form->GetHandle(), folder + "\\missing.wav");
  DropFile(form->GetHandle(), folder);
  EXPECT_EQ(media.Log, (std::vector<String>{"Open " + name, "Play"}));
  EXPECT_TRUE(player->GetVisible());
  EXPECT_EQ(player->GetFormStyle(), fsStayOnTop);

  DeleteFileW(wide.c_str());
  for (auto f = folders.rbegin(); f != folders.rend(); ++f) RemoveDirectoryW((L"\\\\?\\" + Utf8ToWide(*f)).c_str());
  RemoveDirectoryW(Utf8ToWide(folder).c_str());
}

TEST_F(MicroClockTest, TheLabelsFontComesBackFromMicroFont) {
  parts.MicroClock->SetTextFont("Courier New", 15);
  form.reset(NewForm<TForm2>(Application));
  for (TLabel* label : {form->Label1, form->Label2}) {
    EXPECT_EQ(label->GetFont()->GetName(), "Courier New");
    EXPECT_EQ(label->GetFont()->GetSize(), 15);
  }
  EXPECT_EQ(form->Label1->GetFont()->GetColor(), clLime);
  EXPECT_EQ(form->Label2->GetFont()->GetColor(), clYellow);
  TRegistry registry(KEY_READ);
  EXPECT_TRUE(registry.KeyExists(kFontKey));
}

}  // namespace
