#include "gridcal/calendar.h"

#include <string>

namespace {

// A day button: the calendar's font, in red in the weekend's columns.
class TDgDayButton : public TGxSpeedButton {
  HX_CLASS(TDgDayButton, TGxSpeedButton)
 public:
  using TGxSpeedButton::TGxSpeedButton;
  bool Weekend = false;

 protected:
  TColor CaptionColor() const override { return Weekend ? clRed : TGxSpeedButton::CaptionColor(); }
};

constexpr int kTitleBottom = 24, kDaysTop = 41, kBarTop = 138;

}  // namespace

HX_PUBLISH(TDgDayButton, p) {}

HX_PUBLISH(TDgCalendar, p) {
  p.Property("Align", &TDgCalendar::GetAlign, &TDgCalendar::SetAlign).Default(alNone);
  // Lowered as the constructor makes it, so that a calendar designed without one keeps none.
  p.Property("BevelInner", &TDgCalendar::GetBevelInner, &TDgCalendar::SetBevelInner).Default(bvLowered);
  p.Property("BevelOuter", &TDgCalendar::GetBevelOuter, &TDgCalendar::SetBevelOuter).Default(bvRaised);
  p.Property("Enabled", &TDgCalendar::GetEnabled, &TDgCalendar::SetEnabled).Default(true);
  p.Property("Font", &TDgCalendar::GetFont, &TDgCalendar::SetFont).Stored(&TDgCalendar::IsFontStored);
  p.Property("ParentFont", &TDgCalendar::GetParentFont, &TDgCalendar::SetParentFont).Default(false);
  p.Property("ParentShowHint", &TDgCalendar::GetParentShowHint, &TDgCalendar::SetParentShowHint).Default(false);
  p.Property("ShowHint", &TDgCalendar::GetShowHint, &TDgCalendar::SetShowHint).Default(true);
  p.Property("TabOrder", &TDgCalendar::GetTabOrder, &TDgCalendar::SetTabOrder);
  p.Property("TabStop", &TDgCalendar::GetTabStop, &TDgCalendar::SetTabStop).Default(false);
  p.Property("Visible", &TDgCalendar::GetVisible, &TDgCalendar::SetVisible).Default(true);
  // The date is today's when the calendar is made: not stored with a form.
  p.Property("Day", &TDgCalendar::GetDay, &TDgCalendar::SetDay).Stored(false);
  p.Property("Month", &TDgCalendar::GetMonth, &TDgCalendar::SetMonth).Stored(false);
  p.Property("Year", &TDgCalendar::GetYear, &TDgCalendar::SetYear).Stored(false);
  p.Property("Date", &TDgCalendar::GetDate, &TDgCalendar::SetDate).Stored(false);
  p.Property("Text", &TDgCalendar::GetDateText, &TDgCalendar::SetDateText).Stored(false);
  p.Event("OnChangeDate", &TDgCalendar::OnChangeDate);
  p.Event("OnSelectDate", &TDgCalendar::OnSelectDate);
  p.Event("OnEnter", &TDgCalendar::OnEnter);
  p.Event("OnExit", &TDgCalendar::OnExit);
}

TDgCalendar::TDgCalendar(TComponent* AOwner) : TCustomPanel(AOwner), FSettings(LocaleFormatSettings()) {
  TCustomPanel::SetBounds(0, 0, FixedWidth, FixedHeight);
  SetBevelInner(bvLowered);
  SetBevelOuter(bvRaised);
  SetShowHint(true);
  GetFont()->SetSize(8);

  // The title bar: the steps and the month and year, on the active caption's colour.
  FTitle = new TPanel(this);
  FTitle->SetBounds(2, 2, FixedWidth - 4, kTitleBottom - 2);
  FTitle->SetBevelOuter(bvNone);
  FTitle->SetCaption("");
  FTitle->SetColor(clActiveCaption);
  FTitle->SetParent(this);
  const char* steps[] = {"<<", "<", ">", ">>"};
  const TRect stepBounds[] = {{0, 0, 18, 22}, {18, 0, 34, 22}, {119, 0, 135, 22}, {135, 0, 153, 22}};
  for (int i = 0; i < 4; ++i) {
    auto* button = new TGxSpeedButton(this);
    button->SetBoundsRect(stepBounds[i]);
    button->SetCaption(steps[i]);
    button->SetFlat(true);
    button->SetTransparent(true);
    button->SetWordWrap(true);  // not shortened to "..." in its narrow face
    button->SetParentFont(false);
    button->GetFont()->Assign(GetFont());
    button->GetFont()->SetSize(10);
    button->GetFont()->SetColor(clCaptionText);
    auto step = static_cast<TCalendarStep>(i);
    button->OnClick = [this, step](TObject*) { StepClick(step); };
    button->SetParent(FTitle);
    FSteps[static_cast<size_t>(i)] = button;
  }
  auto titleLabel = [this](int Left, int Width) {
    auto* label = new TLabel(this);
    label->SetAutoSize(false);
    label->SetBounds(Left, 4, Width, 13);
    label->SetAlignment(taCenter);
    label->SetTransparent(true);
    label->SetParentFont(false);
    label->GetFont()->Assign(GetFont());
    label->GetFont()->SetColor(clCaptionText);
    label->SetParent(FTitle);
    return label;
  };
  FMonthLabel = titleLabel(36, 48);
  FYearLabel = titleLabel(90, 24);
  FMonthMenu = new TPopupMenu(this);
  for (int month = 1; month <= 12; ++month) {
    auto* item = new TMenuItem(this);
    item->SetName("N" + std::to_string(month));
    item->SetTag(month);
    item->OnClick = [this](TObject* Sender) { SetMonth(static_cast<TMenuItem*>(Sender)->GetTag()); };
    FMonthMenu->Items()->Add(item);
  }
  FMonthLabel->OnClick = [this](TObject*) {
    TPoint at = FMonthLabel->ClientToScreen({0, FMonthLabel->GetHeight()});
    FMonthMenu->Popup(at.X, at.Y);
  };

  for (int column = 0; column < 7; ++column) {
    auto* label = new TLabel(this);
    label->SetAutoSize(false);
    label->SetBounds(column * 22 + 2, 25, 22, 13);
    label->SetAlignment(taCenter);
    label->SetTransparent(true);
    label->SetParentFont(false);
    label->GetFont()->Assign(GetFont());
    label->SetParent(this);
    FWeekdays[static_cast<size_t>(column)] = label;
  }
  FLine = new TBevel(this);
  FLine->SetShape(bsTopLine);
  FLine->SetBounds(2, 38, 154, 2);
  FLine->SetParent(this);

  for (int i = 1; i <= 42; ++i) {
    auto* button = new TDgDayButton(this);
    button->SetBounds((i - 1) % 7 * 22 + 2, (i - 1) / 7 * 16 + kDaysTop, 22, 16);
    button->SetFlat(true);
    button->SetGroupIndex(1);
    button->SetSpacing(-1);
    button->SetTag(i);
    button->OnClick = [this](TObject* Sender) { DayClick(Sender); };
    button->SetParent(this);
    FDays[static_cast<size_t>(i - 1)] = button;
  }

  FTodayBar = new TLabel(this);
  FTodayBar->SetAutoSize(false);
  FTodayBar->SetBounds(2, kBarTop, 154, 20);
  FTodayBar->SetAlignment(taCenter);
  FTodayBar->SetLayout(tlCenter);
  FTodayBar->SetColor(clActiveCaption);
  FTodayBar->SetParentFont(false);
  FTodayBar->GetFont()->Assign(GetFont());
  FTodayBar->GetFont()->SetColor(clWhite);
  FTodayBar->OnClick = [this](TObject*) { GoToday(); };
  FTodayBar->SetParent(this);

  UpdateNames();
  ShowDate();
}

void TDgCalendar::SetBounds(int ALeft, int ATop, int, int) {
  TCustomPanel::SetBounds(ALeft, ATop, FixedWidth, FixedHeight);
}

void TDgCalendar::SetFormatSettings(const TFormatSettings& Value) {
  FSettings = Value;
  UpdateNames();
  ShowDate();
}

void TDgCalendar::UpdateNames() {
  bool monday = MondayFirst();
  for (int column = 0; column < 7; ++column) {
    TLabel* label = FWeekdays[static_cast<size_t>(column)];
    label->SetCaption(FSettings.ShortDayNames[static_cast<size_t>(ColumnDayOfWeek(column, monday) - 1)]);
    label->GetFont()->SetColor(IsWeekendColumn(column, monday) ? clRed : clWindowText);
  }
  for (int i = 0; i < 42; ++i) static_cast<TDgDayButton*>(FDays[static_cast<size_t>(i)])->Weekend = IsWeekendColumn(i % 7, monday);
  for (int month = 1; month <= 12; ++month) {
    std::string number = (month < 10 ? "0" : "") + std::to_string(month) + ". ";
    FMonthMenu->Items()->Items(month - 1)->SetCaption(number + FSettings.LongMonthNames[static_cast<size_t>(month - 1)]);
  }
  Invalidate();
}

void TDgCalendar::ShowDate() {
  FMonthLabel->SetCaption(FSettings.LongMonthNames[static_cast<size_t>(FDate.Month() - 1)]);
  FYearLabel->SetCaption(std::to_string(FDate.Year()));
  TMonthGrid grid = MonthGrid(FDate.Year(), FDate.Month(), MondayFirst());
  for (size_t i = 0; i < 42; ++i) {
    TGxSpeedButton* button = FDays[i];
    int day = grid.Days[i];
    button->SetCaption(day ? std::to_string(day) : std::string());
    button->SetEnabled(day != 0);
    if (day == FDate.Day()) button->SetDown(true);
    button->Invalidate();
  }
  FTodayBar->SetCaption(TodayText + DateToStr(::Date(), FSettings));
  if (OnChangeDate) OnChangeDate(this);
}

void TDgCalendar::SetDay(int Value) {
  FDate.SetDay(Value);
  ShowDate();
}

void TDgCalendar::SetMonth(int Value) {
  FDate.SetMonth(Value);
  ShowDate();
}

void TDgCalendar::SetYear(int Value) {
  FDate.SetYear(Value);
  ShowDate();
}

void TDgCalendar::SetDate(TDateTime Value) {
  FDate.SetDate(Value);
  ShowDate();
}

String TDgCalendar::GetDateText() const { return DateToStr(FDate.Date(), FSettings); }

void TDgCalendar::SetDateText(const String& Value) { SetDate(StrToDate(Value, FSettings)); }

void TDgCalendar::Select() {
  FSelected = true;
  if (OnSelectDate) OnSelectDate(this);
}

void TDgCalendar::DayClick(TObject* Sender) {
  auto* button = static_cast<TGxSpeedButton*>(Sender);
  String caption = button->GetCaption();
  if (caption.empty()) return;
  SetDay(std::stoi(caption));
  Select();
}

void TDgCalendar::StepClick(TCalendarStep Step) {
  if (FDate.Step(Step)) ShowDate();
}

void TDgCalendar::GoToday() {
  FDate.SetToday();
  ShowDate();
  Select();
}

void TDgCalendar::WndProc(TMessage& Message) {
  // A click here or on the title bar (which tells its parent) takes the focus, unless the
  // calendar is a drop-down, which leaves the focus where it is.
  bool click = Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK ||
               (Message.Msg == WM_PARENTNOTIFY && LOWORD(Message.WParam) == WM_LBUTTONDOWN);
  if (click && !ShowsWithoutParent() && !Focused() && CanFocus()) SetFocus();
  TCustomPanel::WndProc(Message);
}

void TDgCalendar::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    Message.Result = DLGC_WANTALLKEYS;
    return;
  }
  TCustomPanel::Dispatch(Message);
}

void TDgCalendar::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_RETURN) {
    Key = 0;
    Select();
  } else if (Key == VK_ESCAPE) {
    Key = 0;
    FSelected = false;
  }
  TCustomPanel::KeyDown(Key, Shift);
}
