// The clock control on a virtual clock: its texts, the alarm and countdown ticks, the
// interval, sizing to its text, and what it paints.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/core/clock.h"
#include "classlib/core/filer.h"
#include "classlib/windows/forms.h"
#include "controls/kitapp.h"
#include "controls/kitclock.h"
#include "kit_form_text.h"
#include "kit_gdi_count.h"

// Paints on demand.
class TKitTestClock : public TKitClock {
  HX_CLASS(TKitTestClock, TKitClock)
 public:
  using TKitClock::TKitClock;
  TKitTimeInterval* Interval() const { return GetCountdown(); }
  void PaintNow() { Paint(); }
};
HX_PUBLISH(TKitTestClock, p) {}

// Counts its paints.
class TCountingClock : public TKitClock {
  HX_CLASS(TCountingClock, TKitClock)
 public:
  using TKitClock::TKitClock;
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    TKitClock::Paint();
  }
};
HX_PUBLISH(TCountingClock, p) {}

namespace {

constexpr double kSecond = 1.0 / 86400;
using enum TKitClockOption;

class KitClockTest : public ::testing::Test {
 protected:
  TDateTime Start() const { return EncodeDate(2026, 3, 14) + EncodeTime(21, 5, 7, 0); }
  TVirtualClock clock{EncodeDate(2026, 3, 14) + EncodeTime(21, 5, 7, 0)};
  TClockScope clockScope{clock};
  TKitApplication app{"horavox-kitclock-test"};
  TKitApplicationScope appScope{app};
};

TEST_F(KitClockTest, DisplayTexts) {
  struct TCase {
    const char* What;
    std::function<void(TKitTestClock&)> Set;
    std::string Text;
  };
  const std::vector<TCase> cases = {
      {"24-hour", [](TKitTestClock&) {}, "21:05:07"},
      {"12-hour", [](TKitTestClock& c) { c.SetOptions({coShowAnalog}); }, "09:05:07 p"},
      {"no seconds", [](TKitTestClock& c) { c.SetDigitalShowSecs(false); }, "21:05"},
      {"custom",
       [](TKitTestClock& c) {
         c.SetCustomDateTimeFormat("hh:mm");
         c.SetUseCustomDateTime(true);
       },
       "21:05"},
      {"date", [](TKitTestClock& c) { c.SetMode(TKitClockMode::cmDate); }, "14.03.2026 суббота"},
      {"stopwatch running",
       [&](TKitTestClock& c) {
         c.StartStopwatch();
         clock.SetNow(Start() + 65 * kSecond);
       },
       "S 0:01:05"},
      {"stopwatch stopped", [](TKitTestClock& c) { c.SetMode(TKitClockMode::cmStopwatch); }, "S 0:00:00"},
      {"countdown", [](TKitTestClock& c) { c.SetMode(TKitClockMode::cmCountdown); }, "C 0:01:00"},
      {"countdown over",
       [&](TKitTestClock& c) {
         c.SetMode(TKitClockMode::cmCountdown);
         c.Interval()->SetEndTime(Start() + 5 * kSecond);
         clock.SetNow(Start() + 9 * kSecond);
       },
       "C 00:00:00"},
      {"alarm",
       [&](TKitTestClock& c) {
         c.SetOptions({coShowDigital, coEnableAlarm, co24Hour});
         c.SetMode(TKitClockMode::cmAlarm);
         c.SetAlarmTime(EncodeTime(6, 30, 0, 0));
       },
       "A 06:30:00"},
      {"alarm off",
       [&](TKitTestClock& c) {
         c.SetMode(TKitClockMode::cmAlarm);
         c.SetAlarmTime(EncodeTime(6, 30, 0, 0));
       },
       "NA 06:30:00"},
      {"disabled", [](TKitTestClock& c) { c.SetEnabled(false); }, "--- NA ---"},
  };
  for (const TCase& c : cases) {
    clock.SetNow(Start());
    TKitTestClock k(nullptr);
    c.Set(k);
    EXPECT_EQ(k.GetDisplayText(), c.Text) << c.What;
  }
}

// OnAlarm calls of a clock whose alarm falls due two seconds on, over Seconds ticks.
int AlarmsOver(TVirtualClock& Clock, TKitTestClock& K, int Seconds) {
  int alarms = 0;
  K.OnAlarm = [&](TObject*) { ++alarms; };
  K.SetOptions({coShowDigital, coEnableAlarm, co24Hour});
  K.SetMode(TKitClockMode::cmAlarm);
  K.SetAlarmTime(Clock.Now() + 2 * kSecond);
  Clock.Advance(Seconds * 1000);
  return alarms;
}

TEST_F(KitClockTest, AnAlarmRepeatsRepeatAlarmTicksThenEnds) {
  TKitTestClock k(nullptr);
  EXPECT_EQ(AlarmsOver(clock, k, 2), 1);
  EXPECT_TRUE(k.Alarming());
  EXPECT_TRUE(k.GetDigital()->Blinking());
  clock.Advance(20000);
  TKitClock& base = k;
  EXPECT_EQ(base.GetMode(), TKitClockMode::cmNormal);
  EXPECT_FALSE(k.Alarming());
  EXPECT_FALSE(k.GetDigital()->Blinking());
  k.OnAlarm = nullptr;
}

TEST_F(KitClockTest, TheCountOfAlarmsMadeInCodeAndFromAForm) {
  TKitTestClock inCode(nullptr);
  EXPECT_EQ(AlarmsOver(clock, inCode, 30), 11);
  auto fromForm = ReadComponentText<TKitTestClock>("object KitClock1: TKitTestClock\n  RepeatAlarm = 10\nend\n");
  ASSERT_NE(fromForm, nullptr);
  EXPECT_EQ(AlarmsOver(clock, *fromForm, 30), 11);
  TKitTestClock once(nullptr);
  once.SetRepeatAlarm(0);
  EXPECT_EQ(AlarmsOver(clock, once, 2), 1);
  EXPECT_TRUE(once.Alarming());
  clock.Advance(1000);
  EXPECT_FALSE(once.Alarming());
  clock.Advance(5000);
  EXPECT_EQ(once.GetMode(), TKitClockMode::cmNormal);
}

TEST_F(KitClockTest, TheCountdownEndsOnceWithOneAlarmATick) {
  TKitTestClock k(nullptr);
  k.SetOptions({coShowDigital, coEnableAlarm, co24Hour});
  k.SetMode(TKitClockMode::cmCountdown);
  int ends = 0, alarms = 0;
  k.OnCountdownEnd = [&](TObject*) { ++ends; };
  k.OnAlarm = [&](TObject*) { ++alarms; };
  k.Interval()->SetMinute(0);
  k.Interval()->SetSecond(3);
  k.Interval()->SetEnabled(true);
  clock.Advance(2000);
  EXPECT_EQ(ends, 0);
  clock.Advance(1000);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(alarms, 1);
  EXPECT_EQ(k.GetMode(), TKitClockMode::cmNormal);
  clock.Advance(1000);
  EXPECT_EQ(alarms, 2);
  clock.Advance(1000);
  EXPECT_EQ(alarms, 3);
  EXPECT_EQ(ends, 1);
}

TEST_F(KitClockTest, TheStopwatchAndTheCountdownStartInCode) {
  TKitTestClock k(nullptr);
  std::vector<std::string> events;
  k.OnStopWatchStart = [&](TObject*) { events.push_back("stopwatch start"); };
  k.OnStopWatchEnd = [&](TObject*) { events.push_back("stopwatch end"); };
  k.OnCountdownStart = [&](TObject*) { events.push_back("countdown start"); };
  k.StartStopwatch();
  EXPECT_EQ(k.GetMode(), TKitClockMode::cmStopwatch);
  EXPECT_EQ(k.GetStopwatch(), Start());
  clock.Advance(90000);
  EXPECT_EQ(k.GetDisplayText(), "S 0:01:30");
  k.StopStopwatch();
  k.StopStopwatch();  // once stopped, nothing more
  clock.Advance(10000);
  EXPECT_EQ(k.GetDisplayText(), "S 0:01:30");
  EXPECT_NEAR(k.GetStopwatch(), 90 * kSecond, 1e-9);

  k.GetCountdown()->SetMinute(2);
  k.StartCountdown();
  EXPECT_EQ(k.GetMode(), TKitClockMode::cmCountdown);
  EXPECT_TRUE(k.GetCountdown()->GetEnabled());
  clock.Advance(30000);
  EXPECT_EQ(k.GetDisplayText(), "C 0:01:30");
  EXPECT_EQ(events, (std::vector<std::string>{"stopwatch start", "stopwatch end", "countdown start"}));
}

// Everything the clock publishes is set by a form's text, read and written back.
TEST_F(KitClockTest, TheAlarmTimeAndTheCountdownComeFromAForm) {
  auto k = ReadComponentText<TKitTestClock>(
      "object KitClock1: TKitTestClock\n"
      "  Options = [coShowDigital, coEnableAlarm, co24Hour]\n"
      "  Mode = cmCountdown\n"
      "  AlarmTime = 0.25\n"
      "  Countdown.Enabled = True\n"
      "  Countdown.Hour = 1\n"
      "  Countdown.Minute = 2\n"
      "  Countdown.Second = 3\n"
      "end\n");
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->GetAlarmTime(), 0.25);
  EXPECT_TRUE(k->Interval()->GetEnabled());
  EXPECT_NEAR(k->Interval()->GetEndTime() - Start(), 3723 * kSecond, 1e-9);
  EXPECT_EQ(k->GetDisplayText(), "C 1:02:03");

  auto fromEnd = ReadComponentText<TKitTestClock>(
      "object KitClock1: TKitTestClock\n  Countdown.EndTime = 46095.88028935185\nend\n");
  ASSERT_NE(fromEnd, nullptr);  // 2026-03-14 21:05:07 plus 2 minutes 30 seconds
  EXPECT_EQ(fromEnd->Interval()->GetMinute(), 2);
  EXPECT_EQ(fromEnd->Interval()->GetSecond(), 30);

  TMemoryStream stream;
  TWriter(&stream).WriteRootComponent(k.get());
  stream.SetPosition(0);
  TStringStream text;
  ObjectBinaryToText(&stream, &text);
  for (const char* expected : {"AlarmTime = 0.25", "Countdown.Enabled = True", "Countdown.Hour = 1",
                               "Countdown.Minute = 2", "Countdown.Second = 3"})
    EXPECT_NE(text.DataString().find(expected), std::string::npos) << expected;
  for (const char* absent : {"EndTime", "Stopwatch"}) EXPECT_EQ(text.DataString().find(absent), std::string::npos);
  clock.Advance(60000);
  stream.SetPosition(0);
  std::unique_ptr<TKitTestClock> back(dynamic_cast<TKitTestClock*>(TReader(&stream).ReadRootComponent(nullptr)));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetAlarmTime(), 0.25);
  EXPECT_EQ(back->GetDisplayText(), "C 1:02:03");  // restarted when read
}

TEST_F(KitClockTest, OptionsWithoutAStyleAreRefusedAndKept) {
  TKitTestClock k(nullptr);
  k.SetOptions({coShowDigital, co24Hour});
  try {
    k.SetOptions({co24Hour});
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "One clock style must be active!");
  }
  EXPECT_EQ(k.GetOptions(), (TKitClockOptions{coShowDigital, co24Hour}));
}

TEST_F(KitClockTest, TheInterval) {
  TKitTestClock k(nullptr);
  TKitTimeInterval* interval = k.Interval();
  EXPECT_NEAR(interval->GetEndTime() - Start(), 60 * kSecond, 1e-9);
  interval->SetHour(30);  // beyond a day
  EXPECT_NEAR(interval->GetEndTime() - Start(), (30 * 3600 + 60) * kSecond, 1e-9);
  TDateTime end = Start() + (2 * 3600 + 3 * 60 + 4) * kSecond;
  interval->SetEndTime(end);
  EXPECT_EQ(interval->GetEndTime(), end);
  EXPECT_EQ(interval->GetHour(), 2);
  EXPECT_EQ(interval->GetMinute(), 3);
  EXPECT_EQ(interval->GetSecond(), 4);
  interval->SetEndTime(Start() - kSecond);
  EXPECT_EQ(interval->GetHour(), 0);
  EXPECT_EQ(interval->GetMinute(), 1);
  EXPECT_EQ(interval->GetSecond(), 0);
  EXPECT_NEAR(interval->GetEndTime() - Start(), 60 * kSecond, 1e-9);
}

TEST_F(KitClockTest, DigitalOnlySizesToItsText) {
  TKitTestClock k(nullptr);
  k.SetDigitalOnly(true);
  k.PaintNow();
  EXPECT_EQ(k.GetWidth(), 153);
  EXPECT_EQ(k.GetHeight(), 28);
  k.SetCustomDateTimeFormat("dd.mm.yyyy");
  k.SetUseCustomDateTime(true);
  k.PaintNow();
  EXPECT_EQ(k.GetWidth(), 191);
  EXPECT_EQ(k.GetHeight(), 28);
}

TEST_F(KitClockTest, AFullPoolRefusesAClockAndKeepsNothing) {
  while (app.AddTimer(1000, nullptr) != 0) {
  }
  int items = app.TimerPool()->Count();
  try {
    TKitTestClock k(nullptr);
    FAIL() << "no exception";
  } catch (const EOutOfResources& e) {
    EXPECT_STREQ(e.what(), "Нет доступных таймеров");
  }
  EXPECT_EQ(app.TimerPool()->Count(), items);
}

TEST_F(KitClockTest, TheLEDSizesSurviveAFormRoundTrip) {
  TKitTestClock k(nullptr);
  k.SetName("KitClock1");
  k.GetDigital()->SetHorzsize(7);
  k.GetDigital()->SetVertsize(9);
  TMemoryStream stream;
  TWriter writer(&stream);
  writer.WriteRootComponent(&k);
  stream.SetPosition(0);
  TReader reader(&stream);
  std::unique_ptr<TKitTestClock> back(dynamic_cast<TKitTestClock*>(reader.ReadRootComponent(nullptr)));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetDigital()->GetHorzsize(), 7);
  EXPECT_EQ(back->GetDigital()->GetVertsize(), 9);
}

TEST_F(KitClockTest, ItIsDrawnAtItsTicksOnlyWhileItsWindowIsOnScreen) {
  TForm form(nullptr, CreateNew);
  form.SetBorderStyle(bsNone);
  form.SetBounds(0, 0, 200, 60);
  auto* k = new TCountingClock(&form);
  k->SetParent(&form);
  k->SetDigitalOnly(true);
  k->SetBounds(0, 0, 153, 28);
  form.HandleNeeded();
  clock.Advance(3000);
  EXPECT_EQ(k->Paints, 0) << "drawn behind a hidden window";
  form.Show();
  Application->ProcessMessages();
  k->Paints = 0;
  clock.Advance(3000);
  EXPECT_GE(k->Paints, 3);
  form.Hide();
  k->Paints = 0;
  clock.Advance(3000);
  EXPECT_EQ(k->Paints, 0);
}

TEST_F(KitClockTest, ADigitalOnlyClockPaintsTheTimeBlackOnLime) {
  TForm form(nullptr, CreateNew);
  form.SetBorderStyle(bsNone);
  form.SetBounds(0, 0, 200, 60);
  auto* k = new TKitTestClock(&form);
  k->SetParent(&form);
  k->SetDigitalOnly(true);
  k->GetDigital()->SetActiveColor(clBlack);
  k->SetDigitalColor(clLime);
  k->SetColor(clBlue);
  k->SetBounds(0, 0, 153, 28);
  TBitmap picture;
  picture.SetSize(200, 60);
  SendMessageW(form.GetHandle(), WM_PAINT, reinterpret_cast<WPARAM>(picture.Canvas()->GetHandle()), 0);
  int before = LiveGdiObjects();
  for (int i = 0; i < 2000; ++i)
    SendMessageW(form.GetHandle(), WM_PAINT, reinterpret_cast<WPARAM>(picture.Canvas()->GetHandle()), 0);
  EXPECT_LE(LiveGdiObjects(), before + 2) << "GDI objects kept by painting";
  // "21:05:07": the cells of "2" and "7" (the first and the last of eight).
  auto lit = [&](int Cell, int X, int Y) {
    return (static_cast<std::uint32_t>(picture.Canvas()->GetPixels(Cell * 19 + X, Y)) & 0xFFFFFF) == 0;
  };
  EXPECT_TRUE(lit(0, 12, 3));    // "2": top
  EXPECT_TRUE(lit(0, 12, 14));   // middle
  EXPECT_FALSE(lit(0, 3, 8));    // not upper left
  EXPECT_TRUE(lit(7, 12, 3));    // "7": top
  EXPECT_FALSE(lit(7, 12, 14));  // not middle
  EXPECT_TRUE(lit(7, 16, 19));   // lower right
  EXPECT_EQ(picture.Canvas()->GetPixels(151, 27) & 0xFFFFFF, 0x00FF00);
  EXPECT_EQ(picture.Canvas()->GetPixels(152, 27) & 0xFFFFFF, 0xFF0000);  // the extra column in the face colour
}

}  // namespace
