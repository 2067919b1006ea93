// The digital and analogue clock on the virtual clock: the daily alarm through OnGetTime
// (only when enabled, with or without a window), the alarm's parts, the digits, the
// automatic font, a face that after a minute of ticks equals a fresh one, and reading it
// from a text form.
#include "gridcal/gxclock.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/core/clock.h"
#include "classlib/windows/forms.h"
#include "read_form.h"
#include "tests/classlib/gui_test_util.h"

namespace {

TDateTime At(int H, int M, int S, int Day = 0) { return EncodeDate(2026, 12, 10) + Day + EncodeTime(H, M, S, 0); }

class GxClockTest : public ::testing::Test {
 protected:
  // A clock whose refresh runs on the virtual clock and whose time is `now`.
  std::unique_ptr<TGxClock> NewClock(TComponent* Owner = nullptr) {
    auto c = std::make_unique<TGxClock>(Owner);
    c->RefreshTimer()->SetThreaded(false);
    c->OnGetTime = [this](TObject*, TDateTime& Time) { Time = now; };
    c->OnAlarm = [this](TObject*) { ++alarms; };
    return c;
  }
  // One refresh at a time.
  void TickAt(TDateTime Time) {
    now = Time;
    clock.Advance(450);
  }
  TVirtualClock clock{At(6, 0, 0)};
  TClockScope scope{clock};
  TDateTime now = At(6, 0, 0);
  int alarms = 0;
};

TEST_F(GxClockTest, TheAlarmRingsOnceADayOnlyWhenEnabled) {
  for (bool enabled : {true, false}) {
    alarms = 0;
    now = At(6, 0, 0);
    auto c = NewClock();  // without a window: nothing is drawn, the alarm is still checked
    c->SetAlarmEnabled(enabled);
    c->SetAlarmHour(7);
    c->SetAlarmMinute(30);
    struct TStep {
      TDateTime Time;
      int Alarms;  // so far, when enabled
    };
    const std::vector<TStep> steps = {
        {At(7, 29, 59), 0}, {At(7, 30, 0), 1},     {At(7, 30, 30), 1},    {At(7, 31, 0), 1},
        {At(23, 59, 59), 1}, {At(0, 0, 1, 1), 1},  {At(7, 30, 5, 1), 2},  {At(7, 30, 6, 1), 2},
    };
    for (const TStep& s : steps) {
      TickAt(s.Time);
      EXPECT_EQ(alarms, enabled ? s.Alarms : 0) << "enabled " << enabled << " at " << s.Time;
    }
  }
  // The defaults (midnight, disabled) never ring.
  alarms = 0;
  auto quiet = NewClock();
  for (TDateTime t : {At(23, 59, 59), At(0, 0, 0, 1), At(0, 0, 30, 1)}) TickAt(t);
  EXPECT_EQ(alarms, 0);
}

TEST_F(GxClockTest, AnAlarmPartOutOfRangeKeepsTheOldAlarm) {
  auto c = NewClock();
  c->SetAlarmEnabled(true);
  c->SetAlarmHour(7);
  c->SetAlarmMinute(30);
  try {
    c->SetAlarmHour(24);
    ADD_FAILURE() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'24:30:0' is not a valid time");
  }
  EXPECT_THROW(c->SetAlarmSecond(60), EConvertError);
  EXPECT_THROW(c->SetAlarmMinute(-1), EConvertError);
  EXPECT_EQ(c->GetAlarmHour(), 7);
  EXPECT_EQ(c->GetAlarmMinute(), 30);
  EXPECT_EQ(c->GetAlarmSecond(), 0);
  TickAt(At(7, 29, 0));
  TickAt(At(7, 30, 1));
  EXPECT_EQ(alarms, 1);
}

TEST_F(GxClockTest, TheDigitsFollowTheFormat) {
  auto c = NewClock();
  now = At(13, 5, 9);
  EXPECT_EQ(c->DigitalText(), "13:05:09");
  c->SetTwelveHour(true);
  c->SetLeadingZero(false);
  c->SetShowSeconds(false);
  EXPECT_EQ(c->DigitalText(), "1:05 PM");
  c->OnGetTime = nullptr;  // the clock service's time
  EXPECT_EQ(c->DigitalText(), "6:00 AM");
  TFormatSettings dotted = DefaultFormatSettings();
  dotted.TimeSeparator = '.';
  dotted.TimeAMString = "am";
  c->SetFormatSettings(dotted);
  EXPECT_EQ(c->DigitalText(), "6.00 am");
}

class GxClockFaceTest : public GxClockTest {
 protected:
  void SetUp() override {
    form = new TForm(nullptr, CreateNew);
    form->SetBorderStyle(bsNone);
    form->SetBounds(40, 40, 420, 200);
  }
  void TearDown() override { delete form; }
  TGxClock* Place(TShowClock Mode, int Left, int Width, int Height) {
    TGxClock* c = NewClock(form).release();
    c->SetParent(form);
    c->SetBounds(Left, 10, Width, Height);
    c->SetShowMode(Mode);
    c->SetColor(clWhite);
    c->GetFont()->SetColor(clBlack);
    return c;
  }
  // Whether the window shows what a fresh paint draws.
  static bool ShowsAFreshFace(TGxClock* C) {
    auto shown = guitest::Capture(C->GetHandle(), false);
    TBitmap fresh;
    C->DrawFace(&fresh);
    for (int y = 0; y < fresh.GetHeight(); ++y)
      for (int x = 0; x < fresh.GetWidth(); ++x)
        if ((shown->Canvas()->GetPixels(x, y) & 0xFFFFFF) != (fresh.Canvas()->GetPixels(x, y) & 0xFFFFFF)) {
          ADD_FAILURE() << "differs at " << x << "," << y;
          return false;
        }
    return true;
  }
  TForm* form = nullptr;
};

TEST_F(GxClockFaceTest, TheRefreshRunsOnlyWhileTheFaceIsShownOrAnAlarmMayFire) {
  TGxClock* dial = Place(scAnalog, 10, 170, 170);
  EXPECT_FALSE(dial->RefreshTimer()->GetEnabled()) << "refreshed on a hidden form";
  form->Show();
  EXPECT_TRUE(dial->RefreshTimer()->GetEnabled());
  dial->SetVisible(false);
  EXPECT_FALSE(dial->RefreshTimer()->GetEnabled());
  dial->SetAlarmEnabled(true);
  EXPECT_TRUE(dial->RefreshTimer()->GetEnabled()) << "an alarm fires with the face hidden too";
  dial->SetAlarmEnabled(false);
  form->Hide();
  dial->SetVisible(true);
  EXPECT_FALSE(dial->RefreshTimer()->GetEnabled());
}

TEST_F(GxClockFaceTest, AMinuteOfTicksLeavesNoTrails) {
  TGxClock* dial = Place(scAnalog, 10, 170, 170);
  TGxClock* digits = Place(scDigital, 190, 220, 60);
  now = At(3, 59, 0);
  form->Show();
  ASSERT_TRUE(guitest::BringToFront(form->GetHandle()));
  guitest::PumpFor(200);
  for (int s = 1; s <= 60; ++s) TickAt(At(3, 59, 0) + s / 86400.0);
  EXPECT_TRUE(ShowsAFreshFace(dial));
  EXPECT_TRUE(ShowsAFreshFace(digits));
  // The face has marks and hands in ink on white, and its 3D hour marks in teal.
  auto shown = guitest::Capture(dial->GetHandle(), false);
  int ink = 0, teal = 0;
  for (int y = 0; y < shown->GetHeight(); ++y)
    for (int x = 0; x < shown->GetWidth(); ++x) {
      auto c = shown->Canvas()->GetPixels(x, y) & 0xFFFFFF;
      ink += c == 0;
      teal += c == 0x808000;
    }
  EXPECT_GT(ink, 100);
  EXPECT_GE(teal, 12) << "at least the middle of each hour mark";
  guitest::SaveScreenshot(form->GetHandle(), "gridcal-clock.bmp");
}

TEST_F(GxClockFaceTest, AHiddenClockDrawsNothingAndStillRings) {
  TGxClock* dial = Place(scAnalog, 10, 170, 170);
  dial->SetAlarmEnabled(true);
  dial->SetAlarmHour(7);
  now = At(7, 0, 0);
  form->Show();
  guitest::PumpFor(100);
  dial->Hide();
  TickAt(At(7, 0, 1));
  EXPECT_EQ(alarms, 1);
}

TEST_F(GxClockFaceTest, TheAutomaticFontFitsTheDigits) {
  TGxClock* wide = Place(scDigital, 10, 300, 80);
  TGxClock* narrow = Place(scDigital, 320, 20, 40);
  wide->SetAutoSize(true);
  narrow->SetAutoSize(true);
  EXPECT_GE(narrow->GetFont()->GetHeight(), 1);
  const int height = wide->GetFont()->GetHeight();
  EXPECT_GT(height, 10);
  EXPECT_LE(height, (80 - 4) * 4 / 5);
  TBitmap measure;
  measure.SetSize(1, 1);
  measure.Canvas()->GetFont()->Assign(wide->GetFont());
  EXPECT_LE(measure.Canvas()->TextWidth("88888888"), 300 - 30 + 8) << "the sample fits the width";
  wide->SetBounds(10, 10, 150, 80);
  EXPECT_LT(wide->GetFont()->GetHeight(), height) << "and follows a resize";
}

TEST_F(GxClockTest, ReadFromATextForm) {
  auto read = horavox::test::ReadFromText(
      "object GxClock1: TGxClock\n  Left = 8\n  Top = 8\n  Width = 170\n  Height = 170\n"
      "  AlarmHour = 7\n  AlarmMinute = 15\n  BevelInner = bvNone\n  BevelOuter = bvNone\n"
      "  Color = clBlack\n  DotsColor = clLime\n  Font.Color = clLime\n  ShowMode = scAnalog\n"
      "  ShowSeconds = False\nend\n");
  auto* c = dynamic_cast<TGxClock*>(read.get());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->GetShowMode(), scAnalog);
  EXPECT_EQ(c->GetWidth(), 170);
  EXPECT_EQ(c->GetAlarmHour(), 7);
  EXPECT_EQ(c->GetAlarmMinute(), 15);
  EXPECT_EQ(c->GetBevelOuter(), bvNone);
  EXPECT_EQ(c->GetDotsColor(), clLime);
  EXPECT_FALSE(c->GetShowSeconds());
  EXPECT_FALSE(c->GetAlarmEnabled());
  // Defaults as published.
  auto plain = horavox::test::ReadFromText("object GxClock2: TGxClock\nend\n");
  auto* p = dynamic_cast<TGxClock*>(plain.get());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetBevelInner(), bvLowered);
  EXPECT_EQ(p->GetBevelOuter(), bvRaised);
  EXPECT_EQ(p->GetDotsColor(), clTeal);
  EXPECT_EQ(p->GetShowMode(), scDigital);
  EXPECT_TRUE(p->GetShowSeconds());
  EXPECT_TRUE(p->GetLeadingZero());
  EXPECT_FALSE(p->GetTwelveHour());
}

TEST_F(GxClockTest, AChangeOfTheSystemsSettingsFitsTheFontAgain) {
  auto form = std::make_unique<TForm>(nullptr, CreateNew);
  auto c = NewClock(form.get());
  c->SetParent(form.get());
  c->SetBounds(0, 0, 300, 80);
  c->SetAutoSize(true);
  c->HandleNeeded();
  const int fitted = c->GetFont()->GetHeight();
  c->GetFont()->SetHeight(5);
  HWND app = GetApplication()->Handle();
  SendMessageW(app, WM_WININICHANGE, 0, 0);
  EXPECT_EQ(c->GetFont()->GetHeight(), fitted);
  // Freed, it is no longer asked.
  c.reset();
  SendMessageW(app, WM_WININICHANGE, 0, 0);
}

}  // namespace
