// The grid cell editor's drop-downs on real windows, opened under a masked edit box that
// stands for the editor: where they open at the work area's edges, that they never take the
// focus, how the mouse, the keys the edit box hands on and the application's deactivation
// close them (accepting or not), and the values they open on and give back: the pick list
// (rows, selection, incremental search over Cyrillic), the calendar (release points, dates
// and texts) and the calculator (accepted only when valid; every other close puts the text
// back). The virtual clock's today is 11 December 2026.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "classlib/core/beep.h"
#include "classlib/core/clock.h"
#include "classlib/windows/forms.h"
#include "classlib/windows/mask.h"
#include "classlib/core/unicode.h"
#include "classlib/windows/dblookup.h"
#include "gridcal/celldropdowns.h"
#include "gridcal/dbgrid.h"
#include "gridcal/dropdowncalc.h"
#include "gridcal/popupcalendar.h"
#include "gridcal/popuplist.h"
#include "memdataset.h"
#include "tests/classlib/gui_test_util.h"

namespace {

const TDateTime kToday = EncodeDate(2026, 12, 11);

class DropDownsTest : public ::testing::Test {
 protected:
  DropDownsTest() : clock(kToday + 0.5), clockScope(clock), beeps(beeper), form(new TForm(nullptr, CreateNew)) {
    form->SetBounds(80, 80, 300, 120);
    edit = new TMaskEdit(form);
    edit->SetBounds(10, 10, 120, 24);
    edit->SetParent(form);
    form->Show();
    guitest::BringToFront(form->GetHandle());
    edit->SetFocus();
  }
  ~DropDownsTest() override {
    form->BeforeDestruction();
    delete form;
  }
  // Listens to a drop-down: its close requests are logged ("ok ", "cancel ") and done, as
  // the editor does.
  template <class T>
  T* Make(T* DropDown) {
    DropDown->OnCloseUp = [this, DropDown](TObject*, bool Accept) {
      closes += Accept ? "ok " : "cancel ";
      DropDown->CloseUp(Accept);
    };
    return DropDown;
  }
  TRect EditOnScreen() {
    TPoint o = form->ClientOrigin();
    return OffsetRect(edit->GetBoundsRect(), o.X, o.Y);
  }
  static LPARAM At(int X, int Y) { return MAKELPARAM(static_cast<WORD>(X), static_cast<WORD>(Y)); }
  // The drop-down's window is shown without being activated and the edit box kept the
  // focus and the foreground.
  void ExpectInactiveDropDown(TWinControl* DropDown) {
    HWND window = DropDown->GetHandle();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
              WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetParent(window), Application->Handle());  // its owner, no parent
    EXPECT_EQ(SendMessageW(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    EXPECT_EQ(GetFocus(), edit->GetHandle());
    EXPECT_EQ(GetForegroundWindow(), form->GetHandle());
  }

  TVirtualClock clock;
  TClockScope clockScope;
  TCountingBeeper beeper;
  TBeeperScope beeps;
  TForm* form;
  TMaskEdit* edit;
  std::string closes;
};

// ---- Placement ----

TEST(DropDownPlacement, KeepsToTheWorkArea) {
  const TRect work{0, 0, 800, 600};
  struct Case {
    const char* Name;
    TRect Anchor;
    int Width, Height;
    TPoint At;
  } cases[] = {
      {"under the cell", {100, 100, 200, 120}, 150, 100, {100, 120}},
      {"moved left at the right edge", {700, 100, 780, 120}, 150, 100, {650, 120}},
      {"above the cell at the bottom", {100, 520, 200, 540}, 150, 100, {100, 420}},
      {"both", {700, 520, 780, 540}, 150, 100, {650, 420}},
      {"wider than the work area", {100, 100, 200, 120}, 900, 100, {0, 120}},
      {"higher than the room above", {100, 50, 200, 70}, 150, 560, {100, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(DropDownPosition(c.Anchor, c.Width, c.Height, work), c.At) << c.Name;
  // A work area that does not start at 0 (a second monitor, a task bar on the left).
  EXPECT_EQ(DropDownPosition({1300, 100, 1400, 120}, 900, 100, {1280, 30, 2000, 800}), (TPoint{1280, 120}));
}

TEST_F(DropDownsTest, OpensWithinTheWorkAreaOfTheEditorsMonitor) {
  auto* list = Make(new TPopupListbox(edit));
  list->SetWidth(200);
  TStringList lines;
  for (int i = 0; i < 5; ++i) lines.Add("line " + std::to_string(i));
  list->SetPickList(&lines, nullptr);
  TRect work = WorkAreaOf(EditOnScreen());
  TRect nearCorner{work.Right - 50, work.Bottom - 10, work.Right - 10, work.Bottom};
  list->DropDown(nearCorner);
  RECT r{};
  GetWindowRect(list->GetHandle(), &r);
  EXPECT_EQ(r.right, work.Right);                  // moved left to the edge
  EXPECT_EQ(r.bottom, nearCorner.Top);             // above the cell
  list->CloseUp(false);
  EXPECT_FALSE(IsWindowVisible(list->GetHandle()));
}

// ---- Pick list ----

class PickListTest : public DropDownsTest {
 protected:
  PickListTest() {
    list = Make(new TPopupListbox(edit));
    list->SetWidth(120);
  }
  void Fill(int Count) {
    TStringList lines;
    for (int i = 0; i < Count; ++i) lines.Add("Item " + std::to_string(i));
    list->SetPickList(&lines, nullptr);
  }
  int VisibleRows() { return list->GetClientHeight() / list->RowHeight(); }
  TPopupListbox* list;
};

TEST_F(PickListTest, ShowsDropDownRowsAtMost) {
  list->SetDropDownRows(10);
  for (auto [count, rows] : {std::pair{25, 10}, {3, 3}, {10, 10}, {0, 1}}) {
    Fill(count);
    list->DropDown(EditOnScreen());
    EXPECT_EQ(VisibleRows(), rows) << count << " lines";
    list->CloseUp(false);
  }
}

TEST_F(PickListTest, GrowsToItsWidestLine) {
  TStringList lines;
  lines.Add("a");
  lines.Add("Очень длинная строка выбора, шире столбца");
  list->SetPickList(&lines, nullptr);
  list->DropDown(EditOnScreen());
  TControlCanvas canvas(list);
  canvas.GetFont()->Assign(list->GetFont());
  EXPECT_GT(list->GetClientWidth(), canvas.TextWidth(lines[1]));
  EXPECT_GT(list->GetWidth(), 120);
}

TEST_F(PickListTest, OpensOnTheLineOfTheValueAndGivesItsStoredValue) {
  TStringList texts, codes;
  for (const char* t : {"Красный", "Зелёный", "Синий"}) texts.Add(t);
  for (const char* c : {"R", "G", "B"}) codes.Add(c);
  list->SetPickList(&texts, &codes);
  list->SetDropDownValue("G");
  EXPECT_EQ(list->GetItemIndex(), 1);
  EXPECT_EQ(list->DropDownValue().AsString(), "G");
  list->SetDropDownValue(TVariant::Null());
  EXPECT_EQ(list->GetItemIndex(), -1);
  EXPECT_TRUE(list->DropDownValue().IsNull());  // nothing selected: nothing to write
  list->SetPickList(&texts, nullptr);
  list->SetDropDownValue("синий");
  EXPECT_EQ(list->GetItemIndex(), 2);
  EXPECT_EQ(list->DropDownText(), "Синий");
}

TEST_F(PickListTest, AClickPicksALineAndLeavesTheFocusInTheEditBox) {
  Fill(25);
  list->DropDown(EditOnScreen());
  guitest::PumpFor(100);
  ExpectInactiveDropDown(list);
  TRect line = list->ItemRect(3);
  guitest::ClickScreen(list->ClientToScreen({line.Left + 10, (line.Top + line.Bottom) / 2}));
  EXPECT_EQ(closes, "ok ");
  EXPECT_EQ(list->DropDownValue().AsString(), "Item 3");
  EXPECT_FALSE(IsWindowVisible(list->GetHandle()));
  EXPECT_EQ(GetFocus(), edit->GetHandle());
}

TEST_F(PickListTest, PressDragReleaseOutsideClosesWithoutAccepting) {
  Fill(25);
  list->DropDown(EditOnScreen());
  HWND window = list->GetHandle();
  int row = list->RowHeight();
  // As the editor hands on a press made on its button and dragged into the list.
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(10, row / 2));
  EXPECT_EQ(GetCapture(), window);
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At(10, row * 2 + row / 2));
  EXPECT_EQ(list->GetItemIndex(), 2);
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At(10, -20));  // above: scrolls up a line
  EXPECT_EQ(list->GetItemIndex(), 1);
  SendMessageW(window, WM_LBUTTONUP, 0, At(-30, -20));
  EXPECT_EQ(closes, "cancel ");
  EXPECT_NE(GetCapture(), window);
  EXPECT_EQ(GetFocus(), edit->GetHandle());
}

TEST_F(PickListTest, HandedOnKeysMoveAndSearchWithoutRegardToCase) {
  TStringList lines;
  for (const char* t : {"Апрель", "август", "Абрикос", "Ёж", "ель", "Ель зелёная", "яблоко"}) lines.Add(t);
  list->SetPickList(&lines, nullptr);
  list->DropDown(EditOnScreen());
  HWND window = list->GetHandle();
  auto type = [&](const std::string& Text) {
    for (wchar_t c : Utf8ToWide(Text)) SendMessageW(window, WM_CHAR, c, 0);
  };
  SendMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(list->GetItemIndex(), 1);
  type("аб");
  EXPECT_EQ(list->GetItemIndex(), 2);  // "Абрикос"
  clock.Advance(5001);
  type("ЕЛЬ ");
  EXPECT_EQ(list->GetItemIndex(), 5);
  clock.Advance(5001);
  type("Я");
  EXPECT_EQ(list->GetItemIndex(), 6);
  SendMessageW(window, WM_CHAR, VK_BACK, 0);
  EXPECT_EQ(list->Search().Text(), "");
  type("ё");
  EXPECT_EQ(list->GetItemIndex(), 3);
  EXPECT_EQ(closes, "");
}

TEST_F(PickListTest, ClosesWithoutAcceptingWhenTheApplicationIsDeactivated) {
  Fill(3);
  list->Perform(WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(closes, "");  // not open: nothing to close
  list->DropDown(EditOnScreen());
  SendMessageW(list->GetHandle(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(closes, "cancel ");
  EXPECT_FALSE(list->DroppedDown());
}

TEST_F(PickListTest, ClosesWhenAnotherProgramsWindowTakesTheForeground) {
  Fill(3);
  list->DropDown(EditOnScreen());
  guitest::PumpFor(50);
  // A window of another thread stands for another program: activating it deactivates ours.
  std::atomic<HWND> other{nullptr};
  std::atomic<bool> done{false};
  std::thread thread([&] {
    HWND w = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 500, 500, 50, 50, nullptr, nullptr,
                             nullptr, nullptr);
    other = w;
    SetForegroundWindow(w);
    MSG msg;
    while (!done) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(5);
    }
    DestroyWindow(w);
  });
  bool closed = guitest::PumpUntil([&] { return !closes.empty(); }, 3000);
  done = true;
  thread.join();
  EXPECT_TRUE(closed);
  EXPECT_EQ(closes, "cancel ");
  EXPECT_FALSE(list->DroppedDown());
}

// ---- Calendar ----

class PopupCalendarTest : public DropDownsTest {
 protected:
  PopupCalendarTest() {
    calendar = Make(new TDgPopupCalendar(edit));
    calendar->SetFormatSettings(RussianFormatSettings());
  }
  void Release(int X, int Y) { SendMessageW(calendar->GetHandle(), WM_LBUTTONUP, 0, At(X, Y)); }
  TDgPopupCalendar* calendar;
};

TEST_F(PopupCalendarTest, OpensOnTheFieldsDateOrToday) {
  struct Case {
    const char* Name;
    TVariant Value;
    TDateTime Shown;
  } cases[] = {
      {"a date", TVariant::FromDate(EncodeDate(1960, 5, 17)), EncodeDate(1960, 5, 17)},
      {"a date and time", TVariant::FromDate(EncodeDate(2001, 2, 3) + 0.75), EncodeDate(2001, 2, 3)},
      {"a null field", TVariant::Null(), kToday},
      {"a date as text", "31.12.1999", EncodeDate(1999, 12, 31)},
      {"a text that is no date", "скоро", kToday},
      {"beyond the years shown", TVariant::FromDate(EncodeDate(1800, 1, 1)), kToday},
  };
  for (const Case& c : cases) {
    calendar->SetDate(EncodeDate(2010, 6, 6));
    calendar->SetDropDownValue(c.Value);
    EXPECT_EQ(calendar->GetDate(), c.Shown) << c.Name;
    EXPECT_EQ(calendar->DropDownValue().VarType(), varDate) << c.Name;
  }
  calendar->SetDropDownValue("31.12.1999");
  EXPECT_EQ(calendar->DropDownText(), "31.12.1999");
}

TEST_F(PopupCalendarTest, ReleasePointsDecide) {
  calendar->DropDown(EditOnScreen());
  const TRect days = calendar->DayArea();
  EXPECT_EQ(days, (TRect{2, 41, 156, 140}));
  struct Case {
    const char* Name;
    TPoint At;
    const char* Closes;
  } cases[] = {
      {"the title bar", {80, 10}, ""},
      {"the weekday names", {80, 30}, ""},
      {"the today bar", {80, 150}, ""},
      {"the day area", {80, 100}, "ok "},
      {"the day area's corner", {2, 41}, "ok "},
      {"outside, left", {-3, 100}, "cancel "},
      {"outside, below", {80, 200}, "cancel "},
  };
  for (const Case& c : cases) {
    closes.clear();
    calendar->DropDown(EditOnScreen());
    Release(c.At.X, c.At.Y);
    EXPECT_EQ(closes, c.Closes) << c.Name;
    EXPECT_EQ(calendar->DroppedDown(), *c.Closes == '\0') << c.Name;
  }
}

TEST_F(PopupCalendarTest, ChoosingADayAcceptsItAndLeavesTheFocusInTheEditBox) {
  calendar->SetDropDownValue(TVariant::FromDate(EncodeDate(2026, 12, 1)));
  calendar->DropDown(EditOnScreen());
  guitest::PumpFor(100);
  ExpectInactiveDropDown(calendar);
  TGxSpeedButton* day = nullptr;
  for (int i = 1; i <= 42 && !day; ++i)
    if (calendar->DayButton(i)->GetCaption() == "24") day = calendar->DayButton(i);
  ASSERT_NE(day, nullptr);
  guitest::ClickScreen(calendar->ClientToScreen({day->GetLeft() + 10, day->GetTop() + 8}));
  EXPECT_EQ(closes, "ok ");  // once: the day, not the release over the day area again
  EXPECT_EQ(calendar->DropDownValue().AsDateTime(), EncodeDate(2026, 12, 24));
  EXPECT_EQ(GetFocus(), edit->GetHandle());
  EXPECT_FALSE(IsWindowVisible(calendar->GetHandle()));
}

TEST_F(PopupCalendarTest, EnterHandedOnAccepts) {
  calendar->DropDown(EditOnScreen());
  SendMessageW(calendar->GetHandle(), WM_KEYDOWN, VK_RIGHT, 0);  // nothing the calendar does
  EXPECT_EQ(closes, "");
  SendMessageW(calendar->GetHandle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(closes, "ok ");
}

// ---- Calculator ----

class PopupCalculatorTest : public DropDownsTest {
 protected:
  PopupCalculatorTest() {
    calculator = Make(new TDgCalculator(edit));
    calculator->SetFormatSettings(RussianFormatSettings());
  }
  void Keys(std::initializer_list<WORD> Keys) {
    for (WORD k : Keys) SendMessageW(calculator->GetHandle(), WM_KEYDOWN, k, 0);
  }
  void Open(const std::string& Text, const TVariant& Value) {
    edit->SetText(Text);
    calculator->SetDropDownValue(Value);
    calculator->DropDown(EditOnScreen());
  }
  TDgCalculator* calculator;
};

TEST_F(PopupCalculatorTest, OpensOnTheFieldsNumberOrZero) {
  struct Case {
    const char* Name;
    std::string Text;
    TVariant Value;
    const char* Shown;
  } cases[] = {
      {"a number", "3.5", 3.5, "3,5"},
      {"a number as text", "12,25", "12,25", "12,25"},
      {"a null field", "", TVariant::Null(), "0"},
      {"a text that is no number", "около пяти", "около пяти", "0"},
  };
  for (const Case& c : cases) {
    closes.clear();
    Open(c.Text, c.Value);
    EXPECT_EQ(edit->GetText(), c.Shown) << c.Name;
    calculator->CloseUp(false);
    EXPECT_EQ(edit->GetText(), c.Text) << c.Name;  // the text is kept
  }
}

TEST_F(PopupCalculatorTest, EveryCloseThatDoesNotAcceptPutsTheTextBack) {
  const std::string original = "3,14159";
  struct Case {
    const char* Name;
    std::function<void()> Close;
    const char* Closes;
  } cases[] = {
      {"Cancel", [this] { calculator->Button(dcbCancel)->Click(); }, "cancel "},
      {"Escape", [this] { Keys({VK_ESCAPE}); }, "cancel "},
      {"focus loss or cancel mode (the editor closes it)", [this] { calculator->CloseUp(false); }, ""},
      {"the application deactivated",
       [this] { SendMessageW(calculator->GetHandle(), WM_ACTIVATEAPP, FALSE, 0); }, "cancel "},
  };
  for (const Case& c : cases) {
    closes.clear();
    Open(original, 3.14159);
    Keys({'7', VK_ADD, '5'});
    EXPECT_EQ(edit->GetText(), "5") << c.Name;
    c.Close();
    EXPECT_EQ(closes, c.Closes) << c.Name;
    EXPECT_EQ(edit->GetText(), original) << c.Name;
    EXPECT_FALSE(calculator->DroppedDown()) << c.Name;
  }
}

TEST_F(PopupCalculatorTest, AcceptedOnlyWhenValid) {
  Open("8", 8.0);
  Keys({VK_DIVIDE, '0', VK_OEM_PLUS});  // 8 / 0 =: the error state
  EXPECT_EQ(calculator->Engine().Status(), csError);
  Keys({VK_RETURN});  // OK is refused
  calculator->Button(dcbOk)->Click();
  EXPECT_EQ(closes, "");
  EXPECT_GE(beeper.Count(), 3);
  EXPECT_TRUE(calculator->DropDownValue().IsNull());
  calculator->CloseUp(true);  // Alt+Down closes "accepting": invalid, so nothing is taken
  EXPECT_EQ(edit->GetText(), "8");

  Open("8", 8.0);
  Keys({VK_MULTIPLY, '2', VK_OEM_PLUS});  // 8 * 2 = 16
  EXPECT_EQ(edit->GetText(), "16");
  Keys({VK_RETURN});  // OK
  EXPECT_EQ(closes, "ok ");
  EXPECT_EQ(calculator->DropDownValue().AsFloat(), 16.0);
  EXPECT_EQ(calculator->DropDownText(), "16");
  EXPECT_EQ(edit->GetText(), "16");
}

}  // namespace

// ---- Behind the cell editor's face ----

namespace {

class CellDropDownsTest : public DropDownsTest {
 protected:
  std::unique_ptr<TDgCellDropDown> Make(TDgEditStyle Style) {
    auto d = MakeDgCellDropDown(Style, edit);
    if (d) d->OnCloseUp = [this](bool Accept) { closes += Accept ? "ok " : "cancel "; };
    return d;
  }
};

TEST_F(CellDropDownsTest, OneForEachStyleThatDropsDown) {
  EXPECT_EQ(Make(esSimple), nullptr);
  EXPECT_EQ(Make(esEllipsis), nullptr);
  EXPECT_NE(dynamic_cast<TPopupListbox*>(Make(esPickList)->Control()), nullptr);
  EXPECT_NE(dynamic_cast<TPopupDataList*>(Make(esDataList)->Control()), nullptr);
  EXPECT_NE(dynamic_cast<TDgPopupCalendar*>(Make(esCalendar)->Control()), nullptr);
  auto calculator = Make(esCalculator);
  auto* control = dynamic_cast<TDgCalculator*>(calculator->Control());
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(control->Edit(), edit);  // its display is the editor's text
  EXPECT_EQ(control->Owner(), edit);
}

TEST_F(CellDropDownsTest, ThePickListTakesItsSetupAndGivesTheLine) {
  auto list = Make(esPickList);
  TStringList lines;
  for (int i = 0; i < 25; ++i) lines.Add("Пункт " + std::to_string(i));
  TDgDropDownSetup setup;
  setup.Width = 90;
  setup.Rows = 10;
  setup.Color = clYellow;
  setup.Font = edit->GetFont();
  setup.Items = &lines;
  setup.ItemIndex = 4;
  list->Open(setup, EditOnScreen());
  auto* control = static_cast<TPopupListbox*>(list->Control());
  EXPECT_TRUE(list->IsOpen());
  EXPECT_EQ(control->GetClientHeight() / control->RowHeight(), 10);
  EXPECT_EQ(control->GetColor(), clYellow);
  guitest::PumpFor(100);
  guitest::SaveScreenshot(control->GetHandle(), "gridcal-pick-list.bmp");
  // The list's own colour behind its lines (a parent would hand it over; its owner does).
  auto shot = guitest::Capture(control->GetHandle(), false);
  TRect last = control->ItemRect(9);
  EXPECT_EQ(ColorToRGB(shot->Canvas()->GetPixels(control->GetClientWidth() - 25, last.Top + 1)), ColorToRGB(clYellow));
  SendMessageW(control->GetHandle(), WM_KEYDOWN, VK_DOWN, 0);  // handed on by the editor
  TDgDropDownResult result = list->Result();
  EXPECT_TRUE(result.HasValue);
  EXPECT_EQ(result.ItemIndex, 5);
  SendMessageW(control->GetHandle(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(closes, "cancel ");
  EXPECT_TRUE(list->IsOpen());  // until the editor closes it
  list->Close();
  EXPECT_FALSE(list->IsOpen());
  setup.ItemIndex = -1;
  list->Open(setup, EditOnScreen());
  EXPECT_FALSE(list->Result().HasValue);  // an unselected list gives nothing
}

TEST_F(CellDropDownsTest, TheCalendarGivesTheDate) {
  auto calendar = Make(esCalendar);
  TDgDropDownSetup setup;
  setup.Date = EncodeDate(1960, 5, 17);
  calendar->Open(setup, EditOnScreen());
  TDgDropDownResult result = calendar->Result();
  EXPECT_TRUE(result.HasValue);
  EXPECT_EQ(result.Date, EncodeDate(1960, 5, 17));
  SendMessageW(calendar->Control()->GetHandle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(closes, "ok ");
  calendar->Close();
  EXPECT_FALSE(calendar->IsOpen());
}

TEST_F(CellDropDownsTest, TheCalculatorGivesAValidNumberOnly) {
  auto calculator = Make(esCalculator);
  HWND window = calculator->Control()->GetHandle();
  edit->SetText("около двух");
  TDgDropDownSetup setup;
  setup.Number = 2.5;
  calculator->Open(setup, EditOnScreen());
  EXPECT_EQ(edit->GetText(), "2,5");
  for (WORD k : {WORD(VK_MULTIPLY), WORD('4'), WORD(VK_OEM_PLUS)}) SendMessageW(window, WM_KEYDOWN, k, 0);
  TDgDropDownResult result = calculator->Result();
  EXPECT_TRUE(result.HasValue);
  EXPECT_EQ(result.Number, 10.0);
  calculator->Close();  // valid: the text stays for the editor to write
  EXPECT_EQ(edit->GetText(), "10");

  edit->SetText("около двух");
  calculator->Open(setup, EditOnScreen());
  for (WORD k : {WORD(VK_DIVIDE), WORD('0'), WORD(VK_OEM_PLUS)}) SendMessageW(window, WM_KEYDOWN, k, 0);
  EXPECT_FALSE(calculator->Result().HasValue);
  calculator->Close();  // invalid: the text from the opening comes back
  EXPECT_EQ(edit->GetText(), "около двух");
}

TEST_F(CellDropDownsTest, TheLookupListGivesTheKeyAndLetsGoOfTheDataSet) {
  auto* ds = new horavox::test::TMemDataSet(form);
  ds->AddFieldDef("ID", ftInteger);
  ds->AddFieldDef("NAME", ftString, 20);
  ds->Open();
  int id = 1;
  for (const char* name : {"Один", "Два", "Три"}) ds->AppendRecord({id++, name});
  auto lookup = Make(esDataList);
  TDgDropDownSetup setup;
  setup.Width = 120;
  setup.Rows = 5;
  setup.ListSource = ds;
  setup.ListField = "NAME";
  setup.KeyField = "ID";
  setup.KeyValue = 2;
  lookup->Open(setup, EditOnScreen());
  auto* control = static_cast<TPopupDataList*>(lookup->Control());
  EXPECT_EQ(control->GetItems()->Count(), 3);
  EXPECT_EQ(lookup->Result().KeyValue.AsInteger(), 2);
  SendMessageW(control->GetHandle(), WM_KEYDOWN, VK_DOWN, 0);
  TDgDropDownResult result = lookup->Result();
  EXPECT_TRUE(result.HasValue);
  EXPECT_EQ(result.KeyValue.AsInteger(), 3);
  lookup->Close();
  EXPECT_EQ(control->GetListSource(), nullptr);
  delete ds;  // the drop-down holds nothing of it any more
  setup.ListSource = nullptr;
  lookup->Open(setup, EditOnScreen());
  EXPECT_FALSE(lookup->Result().HasValue);
  lookup->Close();
}

}  // namespace

// ---- The data grid's pictures ----

namespace {

TEST(GridPictures, DrawnOnTheirTransparentColour) {
  struct Case {
    const char* Name;
    int Width, Height;
    TColor Back;
  } cases[] = {
      {"DGGARROW", 7, 9, clWhite},   {"DGEDIT", 7, 9, clWhite},   {"DGINSERT", 7, 9, clWhite},
      {"DGMULTIDOT", 7, 9, clWhite}, {"DGMULTIARROW", 7, 9, clWhite},
      {"DGSMDOWN", 8, 5, clSilver},  {"DGSMUP", 8, 5, clSilver},
  };
  for (const Case& c : cases) {
    TBitmap bitmap;
    bitmap.LoadFromResourceName(nullptr, c.Name);
    EXPECT_EQ(bitmap.GetWidth(), c.Width) << c.Name;
    EXPECT_EQ(bitmap.GetHeight(), c.Height) << c.Name;
    int back = 0, drawn = 0;
    for (int y = 0; y < c.Height; ++y)
      for (int x = 0; x < c.Width; ++x) ++(bitmap.Canvas()->GetPixels(x, y) == c.Back ? back : drawn);
    EXPECT_GT(back, 0) << c.Name;
    EXPECT_GT(drawn, 2) << c.Name;
  }
}

}  // namespace

// ---- In the data grid ----

namespace {

// A grid over a table of one record, with a calendar column (a date field), a pick-list
// column (a text field with codes for its lines) and a calculator column, whose editor opens the library's
// drop-downs; a click of the mouse itself picks in them.
class GridDropDownsTest : public DropDownsTest {
 protected:
  GridDropDownsTest() {
    form->SetBounds(60, 60, 420, 200);
    ds = new horavox::test::TMemDataSet(form);
    ds->AddFieldDef("DAY", ftDate);
    ds->AddFieldDef("KIND", ftString, 10);
    ds->AddFieldDef("PRICE", ftFloat);
    ds->Open();
    ds->AppendRecord({TVariant::FromDate(EncodeDate(2026, 12, 1)), "G", 2.5});
    source = new TDataSource(form);
    source->SetDataSet(ds);
    grid = new TDgDBGrid(form);
    grid->SetBounds(10, 40, 380, 100);
    grid->DropDownFactory = MakeDgCellDropDown;
    grid->AfterCloseUp = [this](TObject*, TDgColumn*, bool Accept) { afterCloseUp += Accept ? "ok " : "cancel "; };
    TDgColumn* day = grid->GetColumns()->Add();
    day->SetFieldName("DAY");
    day->SetButtonStyle(cbsCalendar);
    day->SetWidth(110);
    TDgColumn* kind = grid->GetColumns()->Add();
    kind->SetFieldName("KIND");
    kind->SetButtonStyle(cbsCombo);
    kind->SetWidth(110);
    for (const char* t : {"Красный", "Зелёный", "Синий"}) kind->GetPickList()->Add(t);
    for (const char* c : {"R", "G", "B"}) kind->GetPickValues()->Add(c);
    TDgColumn* price = grid->GetColumns()->Add();
    price->SetFieldName("PRICE");
    price->SetButtonStyle(cbsCalculator);
    price->SetWidth(110);
    grid->SetDataSource(source);
    grid->SetParent(form);
    grid->SetFocus();
  }
  // Shows the editor of a data column's cell.
  TDgDBGridInplaceEdit* ShowEditor(int DataCol) {
    grid->SetSelectedIndex(DataCol);
    grid->SetEditorMode(true);
    return editor = dynamic_cast<TDgDBGridInplaceEdit*>(grid->InplaceEditor());
  }
  // Opens the drop-down of a data column's editor.
  TWinControl* OpenDropDown(int DataCol) {
    if (!ShowEditor(DataCol)) return nullptr;
    editor->DropDown();
    guitest::PumpFor(100);
    return editor->DropDownVisible() ? editor->ActiveDropDown()->Control() : nullptr;
  }

  horavox::test::TMemDataSet* ds;
  TDataSource* source;
  TDgDBGrid* grid;
  TDgDBGridInplaceEdit* editor = nullptr;
  std::string afterCloseUp;
};

TEST_F(GridDropDownsTest, ADayClickedInTheCalendarIsWrittenAsADate) {
  auto* calendar = dynamic_cast<TDgPopupCalendar*>(OpenDropDown(0));
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(GetFocus(), editor->GetHandle());
  TGxSpeedButton* day = nullptr;
  for (int i = 1; i <= 42 && !day; ++i)
    if (calendar->DayButton(i)->GetCaption() == "24") day = calendar->DayButton(i);
  ASSERT_NE(day, nullptr);
  guitest::ClickScreen(calendar->ClientToScreen({day->GetLeft() + 10, day->GetTop() + 8}));
  EXPECT_EQ(afterCloseUp, "ok ");
  EXPECT_FALSE(editor->DropDownVisible());
  EXPECT_EQ(ds->FieldByName("DAY")->GetAsDateTime(), EncodeDate(2026, 12, 24));
  EXPECT_EQ(GetFocus(), editor->GetHandle());
}

TEST_F(GridDropDownsTest, ALineClickedInThePickListStoresItsValue) {
  auto* list = dynamic_cast<TPopupListbox*>(OpenDropDown(1));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetItemIndex(), 1);  // "G": "Зелёный"
  TRect line = list->ItemRect(2);
  guitest::ClickScreen(list->ClientToScreen({line.Left + 10, (line.Top + line.Bottom) / 2}));
  EXPECT_EQ(afterCloseUp, "ok ");
  EXPECT_EQ(ds->FieldByName("KIND")->GetAsString(), "B");
  EXPECT_EQ(editor->GetText(), "Синий");
}

TEST_F(GridDropDownsTest, TheCalculatorsKeysTypeIntoTheEditorUntilOkOrCancel) {
  auto* calculator = dynamic_cast<TDgCalculator*>(OpenDropDown(2));
  ASSERT_NE(calculator, nullptr);
  calculator->SetFormatSettings(RussianFormatSettings());
  const std::string opening = ds->FieldByName("PRICE")->GetText();  // the editor's before it opened
  auto click = [&](TDgCalcButton Which) {
    TGxSpeedButton* b = calculator->Button(Which);
    guitest::ClickScreen(calculator->ClientToScreen({b->GetLeft() + b->GetWidth() / 2, b->GetTop() + b->GetHeight() / 2}));
  };
  click(dcbDigit4);
  click(dcbDigit2);
  EXPECT_EQ(editor->GetText(), "42");
  EXPECT_TRUE(editor->DropDownVisible());
  click(dcbCancel);
  EXPECT_EQ(afterCloseUp, "cancel ");
  EXPECT_EQ(editor->GetText(), opening);
  EXPECT_DOUBLE_EQ(ds->FieldByName("PRICE")->GetAsFloat(), 2.5);

  ASSERT_EQ(OpenDropDown(2), calculator);
  click(dcbDigit7);
  click(dcbOk);
  EXPECT_EQ(afterCloseUp, "cancel ok ");
  EXPECT_DOUBLE_EQ(ds->FieldByName("PRICE")->GetAsFloat(), 7.0);
  EXPECT_EQ(GetFocus(), editor->GetHandle());
}

TEST_F(GridDropDownsTest, ATypedTextOutsideThePickListBeepsAndLeavesTheField) {
  ASSERT_NE(ShowEditor(1), nullptr);
  // As the keyboard gives them (each key's down, then its character), sent straight on.
  auto key = [&](WORD Key, wchar_t Char) {
    SendMessageW(editor->GetHandle(), WM_KEYDOWN, Key, 0);
    SendMessageW(editor->GetHandle(), WM_CHAR, Char, 0);
  };
  auto typeAndEnter = [&](const std::string& Text) {
    editor->SelectAll();
    for (wchar_t c : Utf8ToWide(Text)) key('A', c);  // a letter key, its Cyrillic character
    key(VK_RETURN, L'\r');
    guitest::PumpFor(100);
  };
  typeAndEnter("Жёлтый");
  EXPECT_EQ(beeper.Count(), 1);
  EXPECT_EQ(ds->FieldByName("KIND")->GetAsString(), "G");  // not emptied
  EXPECT_EQ(editor->GetText(), "Жёлтый");                   // kept to be put right
  EXPECT_TRUE(IsWindowVisible(editor->GetHandle()));
  typeAndEnter("синий");
  EXPECT_EQ(beeper.Count(), 1);
  EXPECT_EQ(ds->FieldByName("KIND")->GetAsString(), "B");
}

TEST_F(GridDropDownsTest, AltDownOpensThePickListTypingSearchesItEnterAccepts) {
  ASSERT_NE(ShowEditor(1), nullptr);
  HWND window = editor->GetHandle();
  SendMessageW(window, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);  // Alt+Down
  ASSERT_TRUE(editor->DropDownVisible());
  auto* list = static_cast<TPopupListbox*>(editor->ActiveDropDown()->Control());
  EXPECT_EQ(list->GetItemIndex(), 1);
  for (wchar_t c : Utf8ToWide("си")) SendMessageW(window, WM_CHAR, c, 0);  // handed on to the list
  EXPECT_EQ(list->GetItemIndex(), 2);
  EXPECT_EQ(editor->GetText(), "Зелёный");  // the editor's text is not typed into
  SendMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
  SendMessageW(window, WM_CHAR, L'\r', 0);
  EXPECT_FALSE(editor->DropDownVisible());
  EXPECT_EQ(afterCloseUp, "ok ");
  EXPECT_EQ(ds->FieldByName("KIND")->GetAsString(), "B");
  EXPECT_EQ(editor->GetText(), "Синий");
  EXPECT_EQ(ds->State(), dsEdit);  // the Enter that closed the list did not reach the grid
}

TEST_F(GridDropDownsTest, OnePressOnTheButtonDraggedIntoThePickListPicksWhereItIsReleased) {
  ASSERT_NE(ShowEditor(1), nullptr);
  guitest::PumpFor(100);
  auto button = [&](DWORD Flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = Flags;
    SendInput(1, &input, sizeof(INPUT));
    guitest::PumpFor(100);
  };
  TRect face = editor->ButtonRect();
  TPoint press = editor->ClientToScreen({(face.Left + face.Right) / 2, (face.Top + face.Bottom) / 2});
  SetCursorPos(press.X, press.Y);
  button(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(editor->DropDownVisible());
  auto* list = static_cast<TPopupListbox*>(editor->ActiveDropDown()->Control());
  TRect first = list->ItemRect(0), last = list->ItemRect(2);
  // Into the list (the editor hands it the press there), then down to the last line.
  for (TPoint at : {list->ClientToScreen({first.Left + 10, first.Top + 2}),
                    list->ClientToScreen({last.Left + 10, (last.Top + last.Bottom) / 2})}) {
    SetCursorPos(at.X, at.Y);
    button(MOUSEEVENTF_MOVE);
  }
  EXPECT_EQ(list->GetItemIndex(), 2);
  EXPECT_TRUE(editor->DropDownVisible());
  button(MOUSEEVENTF_LEFTUP);
  EXPECT_FALSE(editor->DropDownVisible());
  EXPECT_EQ(afterCloseUp, "ok ");
  EXPECT_EQ(ds->FieldByName("KIND")->GetAsString(), "B");
  EXPECT_EQ(GetFocus(), editor->GetHandle());
}

}  // namespace
