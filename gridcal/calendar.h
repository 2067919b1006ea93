#pragma once
// TDgCalendar: a month calendar, a panel of a fixed 158 × 160 pixels. A title bar carries
// the steps "<<", "<", ">", ">>" (a year back, a month back, a month on, a year on), the
// month's name (a click opens a menu of the twelve months, items N1 … N12 whose Tag is the
// month) and the year; below it the weekday names and 42 day buttons (flat speed buttons
// in one group: the current day's is down), Saturday and Sunday in red; at the bottom a bar
// "Today is <date>" that goes to today. The week starts on Monday when the format settings'
// FirstDayOfWeek is 0, else on Sunday.
//
// Every change of the date refreshes the control and fires OnChangeDate; a day chosen by
// the user (a day button, even the one already down, the today bar, or Enter) fires
// OnSelectDate. The calendar takes the focus on a click and keeps Enter and Esc while it
// has it (Esc clears Selected). Windows only.
#include "classlib/windows/extctrls.h"
#include "classlib/core/formatsettings.h"
#include "classlib/windows/menus.h"
#include "gridcal/calendarmodel.h"
#include "gridcal/speedbutton.h"

class TDgCalendar : public TCustomPanel {
  HX_CLASS(TDgCalendar, TCustomPanel)
 public:
  static constexpr int FixedWidth = 158, FixedHeight = 160;
  // The text of the bar at the bottom, before today's date.
  static constexpr const char* TodayText = "Today is ";

  explicit TDgCalendar(TComponent* AOwner);

  int GetDay() const { return FDate.Day(); }
  void SetDay(int Value);
  int GetMonth() const { return FDate.Month(); }
  void SetMonth(int Value);
  int GetYear() const { return FDate.Year(); }
  // Taken within 1901..2099; the calendar refreshes either way.
  void SetYear(int Value);
  TDateTime GetDate() const { return FDate.Date(); }
  // 1 January 1900 .. 1 January 2100; any other value shows today.
  void SetDate(TDateTime Value);
  // The date as text by the format settings; a text that is no date raises EConvertError
  // and keeps the date.
  String GetDateText() const;
  void SetDateText(const String& Value);

  // Names, date text and the week's first day; LocaleFormatSettings() at creation.
  const TFormatSettings& GetFormatSettings() const { return FSettings; }
  void SetFormatSettings(const TFormatSettings& Value);
  bool MondayFirst() const { return FSettings.FirstDayOfWeek == 0; }

  // The user chose a day (cleared by Esc).
  bool Selected() const { return FSelected; }

  // Keeps the fixed size; only the position follows.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // The children, for those who drive the calendar (1..42, the steps, the month menu).
  TGxSpeedButton* DayButton(int Index) const { return FDays[static_cast<size_t>(Index - 1)]; }
  TGxSpeedButton* StepButton(TCalendarStep Step) const { return FSteps[Step]; }
  TLabel* MonthLabel() const { return FMonthLabel; }
  TLabel* YearLabel() const { return FYearLabel; }
  TLabel* WeekdayLabel(int Column) const { return FWeekdays[static_cast<size_t>(Column)]; }
  TLabel* TodayBar() const { return FTodayBar; }
  TPopupMenu* MonthMenu() const { return FMonthMenu; }

  TNotifyEvent OnSelectDate;
  TNotifyEvent OnChangeDate;

 protected:
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  void ShowDate();
  void UpdateNames();
  void Select();
  void DayClick(TObject* Sender);
  void StepClick(TCalendarStep Step);
  void GoToday();

  TCalendarDate FDate;
  TFormatSettings FSettings;
  bool FSelected = false;
  std::array<TGxSpeedButton*, 42> FDays{};
  std::array<TGxSpeedButton*, 4> FSteps{};
  std::array<TLabel*, 7> FWeekdays{};
  TPanel* FTitle;
  TLabel* FMonthLabel;
  TLabel* FYearLabel;
  TLabel* FTodayBar;
  TBevel* FLine;
  TPopupMenu* FMonthMenu;
};
