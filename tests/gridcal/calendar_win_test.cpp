// The month calendar on a shown form, today being 11 December 2026 on the virtual clock:
// its buttons and labels after each change, the setters, clicks on days and the today bar,
// Enter and Esc against the form's default button, the month menu, streaming.
#include "gridcal/calendar.h"

#include <gtest/gtest.h>

#include <string>

#include "classlib/core/clock.h"
#include "classlib/windows/forms.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/unicode.h"
#include "tests/classlib/gui_test_util.h"
#include "tests/support/read_form.h"

namespace {

class CalendarTest : public ::testing::Test {
 protected:
  CalendarTest() : scope(clock), form(new TForm(nullptr, CreateNew)) {
    form->SetBounds(60, 60, 260, 240);
    calendar = new TDgCalendar(form);
    calendar->SetFormatSettings(RussianFormatSettings());
    calendar->SetLeft(8);
    calendar->SetTop(8);
    calendar->SetParent(form);
    close = new TButton(form);
    close->SetBounds(180, 180, 60, 24);
    close->SetDefault(true);
    close->OnClick = [this](TObject*) { ++closeClicks; };
    close->SetParent(form);
    calendar->OnChangeDate = [this](TObject*) { ++changes; };
    calendar->OnSelectDate = [this](TObject*) { ++selects; };
    form->Show();
    guitest::BringToFront(form->GetHandle());
  }
  ~CalendarTest() override {
    form->BeforeDestruction();
    delete form;
  }

  void ExpectDate(int Year, int Month, int Day) {
    EXPECT_EQ(calendar->GetYear(), Year);
    EXPECT_EQ(calendar->GetMonth(), Month);
    EXPECT_EQ(calendar->GetDay(), Day);
  }
  // A left click on a child of the calendar, as the mouse gives it to its parent's window.
  void ClickOn(TControl* Child) {
    LPARAM at = MAKELPARAM(Child->GetLeft() + Child->GetWidth() / 2, Child->GetTop() + Child->GetHeight() / 2);
    HWND window = Child->GetParent()->GetHandle();
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    guitest::PumpFor(100);
  }
  void Key(WORD Key) {
    PostMessageW(GetFocus(), WM_KEYDOWN, Key, 0);
    PostMessageW(GetFocus(), WM_KEYUP, Key, 0xC0000000);
    guitest::PumpFor(100);
  }

  TVirtualClock clock{EncodeDate(2026, 12, 11) + 0.5};
  TClockScope scope;
  TForm* form;
  TDgCalendar* calendar;
  TButton* close;
  int changes = 0, selects = 0, closeClicks = 0;
};

TEST_F(CalendarTest, ShowsTheMonthMondayFirst) {
  ExpectDate(2026, 12, 11);
  calendar->SetDate(EncodeDate(2026, 2, 1));  // a Sunday
  EXPECT_EQ(calendar->MonthLabel()->GetCaption(), "февраль");
  EXPECT_EQ(calendar->YearLabel()->GetCaption(), "2026");
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(calendar->DayButton(i)->GetCaption(), "") << i;
    EXPECT_FALSE(calendar->DayButton(i)->GetEnabled()) << i;
  }
  EXPECT_EQ(calendar->DayButton(7)->GetCaption(), "1");
  EXPECT_TRUE(calendar->DayButton(7)->GetDown());
  EXPECT_EQ(calendar->DayButton(34)->GetCaption(), "28");
  EXPECT_FALSE(calendar->DayButton(35)->GetEnabled());
  EXPECT_EQ(calendar->WeekdayLabel(0)->GetCaption(), "Пн");
  EXPECT_EQ(calendar->WeekdayLabel(6)->GetCaption(), "Вс");
  EXPECT_EQ(calendar->WeekdayLabel(5)->GetFont()->GetColor(), clRed);
  EXPECT_NE(calendar->WeekdayLabel(4)->GetFont()->GetColor(), clRed);
  EXPECT_EQ(calendar->TodayBar()->GetCaption(), "Today is 11.12.2026");
  EXPECT_EQ(calendar->GetDateText(), "01.02.2026");
  guitest::PumpFor(100);
  guitest::SaveScreenshot(form->GetHandle(), "gridcal-calendar.bmp");

  calendar->SetFormatSettings(DefaultFormatSettings());  // Sunday first
  EXPECT_EQ(calendar->DayButton(1)->GetCaption(), "1");
  EXPECT_EQ(calendar->WeekdayLabel(0)->GetCaption(), "Sun");
  EXPECT_EQ(calendar->WeekdayLabel(0)->GetFont()->GetColor(), clRed);
  EXPECT_NE(calendar->WeekdayLabel(5)->GetFont()->GetColor(), clRed);
}

TEST_F(CalendarTest, SettersRefreshAndTellTheChange) {
  calendar->SetDate(EncodeDate(1800, 1, 1));
  ExpectDate(2026, 12, 11);
  calendar->SetDate(EncodeDate(2100, 1, 1));
  ExpectDate(2100, 1, 1);
  changes = 0;
  calendar->SetYear(2100);  // refused, and still a refresh
  ExpectDate(2100, 1, 1);
  EXPECT_EQ(changes, 1);
  calendar->SetYear(2024);
  calendar->SetMonth(4);
  calendar->SetDay(31);
  ExpectDate(2024, 4, 30);
  EXPECT_EQ(changes, 4);
  calendar->SetMonth(0);
  EXPECT_EQ(calendar->GetMonth(), 1);
  calendar->SetMonth(13);
  EXPECT_EQ(calendar->GetMonth(), 12);

  calendar->SetDateText("05.03.2026");
  ExpectDate(2026, 3, 5);
  EXPECT_THROW(calendar->SetDateText("вчера"), EConvertError);
  ExpectDate(2026, 3, 5);

  calendar->SetBounds(10, 10, 300, 300);
  EXPECT_EQ(calendar->GetBoundsRect(), (TRect{10, 10, 168, 170}));
  EXPECT_EQ(selects, 0);
}

TEST_F(CalendarTest, StepButtonsStopAtTheYearLimits) {
  calendar->SetDate(EncodeDate(2023, 1, 31));
  ClickOn(calendar->StepButton(csNextMonth));
  ExpectDate(2023, 2, 28);
  ClickOn(calendar->StepButton(csPrevYear));
  ExpectDate(2022, 2, 28);
  calendar->SetDate(EncodeDate(2099, 12, 31));
  changes = 0;
  ClickOn(calendar->StepButton(csNextMonth));
  ClickOn(calendar->StepButton(csNextYear));
  ExpectDate(2099, 12, 31);
  EXPECT_EQ(changes, 0);

  close->SetFocus();
  TGxSpeedButton* back = calendar->StepButton(csPrevMonth);
  guitest::ClickScreen(back->ClientToScreen({back->GetWidth() / 2, back->GetHeight() / 2}));  // the title bar's click focuses the calendar too
  ExpectDate(2099, 11, 30);
  EXPECT_TRUE(calendar->Focused());
}

TEST_F(CalendarTest, DaysTodayAndKeysSelect) {
  calendar->SetDate(EncodeDate(2026, 2, 1));
  ClickOn(calendar->DayButton(16));  // the 10th
  ExpectDate(2026, 2, 10);
  EXPECT_EQ(selects, 1);
  EXPECT_TRUE(calendar->Selected());
  EXPECT_TRUE(calendar->Focused());  // a click takes the focus
  ClickOn(calendar->DayButton(16));  // the day already down
  EXPECT_EQ(selects, 2);
  EXPECT_TRUE(calendar->DayButton(16)->GetDown());
  ClickOn(calendar->DayButton(3));  // no day there
  EXPECT_EQ(selects, 2);

  Key(VK_ESCAPE);
  EXPECT_FALSE(calendar->Selected());
  Key(VK_RETURN);  // the calendar's, not the default button's
  EXPECT_TRUE(calendar->Selected());
  EXPECT_EQ(selects, 3);
  EXPECT_EQ(closeClicks, 0);

  ClickOn(calendar->TodayBar());
  ExpectDate(2026, 12, 11);
  EXPECT_EQ(selects, 4);
}

TEST_F(CalendarTest, TheMonthMenuSetsTheMonth) {
  auto* item = dynamic_cast<TMenuItem*>(calendar->FindComponent("N3"));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetTag(), 3);
  EXPECT_EQ(item->GetCaption(), "03. март");
  item->Click();
  ExpectDate(2026, 3, 11);
  EXPECT_EQ(calendar->MonthMenu()->Items()->Count(), 12);
}

TEST(Calendar, AnInnerBevelOfNoneIsStreamed) {
  auto text = [](TDgCalendar& c) { return horavox::test::WriteToText(&c); };
  TDgCalendar calendar(nullptr);
  EXPECT_EQ(calendar.GetBevelInner(), bvLowered);
  EXPECT_EQ(text(calendar).find("BevelInner"), std::string::npos);
  calendar.SetBevelInner(bvNone);
  std::string written = text(calendar);
  EXPECT_NE(written.find("BevelInner = bvNone"), std::string::npos) << written;
  auto read = horavox::test::ReadFromText(written);
  EXPECT_EQ(dynamic_cast<TDgCalendar&>(*read).GetBevelInner(), bvNone);
}

TEST(Calendar, LocaleSettingsAreTheUsers) {
  TFormatSettings s = LocaleFormatSettings();
  wchar_t first[4] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, first, 4);
  EXPECT_EQ(s.FirstDayOfWeek, first[0] - L'0');
  wchar_t monday[32] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVDAYNAME1, monday, 32);
  EXPECT_EQ(Utf8ToWide(s.ShortDayNames[1]), monday);  // ours count from Sunday
  EXPECT_EQ(TDgCalendar(nullptr).GetFormatSettings().FirstDayOfWeek, s.FirstDayOfWeek);
}

}  // namespace
