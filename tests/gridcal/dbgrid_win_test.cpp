// The data grid on a shown form over the in-memory dataset: its options, the insert
// lifecycle, Tab, deleting with the confirmation answered by the test, the vertical scroll
// bar, closed and empty datasets, no typed text lost whatever moves the dataset (also on a
// table on disk), painting
// that never raises, check boxes, pick-list mapping, calculated fields, and the cell
// editor's styles and drop-downs (fakes behind the editor's drop-down face). Keys and
// clicks are window messages to the grid and its editor; rows are dragged out with the
// mouse itself.
#include "gridcal/dbgrid.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/beep.h"
#include "classlib/data/db.h"
#include "classlib/windows/dialogs.h"
#include "classlib/windows/dropdown.h"
#include "classlib/windows/extctrls.h"
#include "classlib/core/files.h"
#include "classlib/windows/forms.h"
#include "classlib/core/stringlist.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"
#include "memdataset.h"
#include "tests/classlib/gui_test_util.h"
#include "tests/support/caught_exceptions.h"
#include "xbase/dbftable.h"
#include "xbase/xbdataset.h"

using horavox::test::TCaughtExceptions;
using horavox::test::TMemDataSet;

namespace {

// Answers the delete confirmation and keeps the questions.
class TAnswer : public TConfirmation {
 public:
  bool Ok = true;
  std::vector<std::string> Asked;
  bool Confirm(const String& Msg) override {
    Asked.push_back(Msg);
    return Ok;
  }
};

// A top-level window that never takes the focus, as a drop-down's.
class TFakeDropDownWindow : public TDropDownWindow<TCustomControl> {
 public:
  using TDropDownWindow<TCustomControl>::TDropDownWindow;
  void SetDropDownValue(const TVariant&) override {}
  TVariant DropDownValue() override { return {}; }
  String DropDownText() override { return ""; }
};

// A drop-down that the test opens and closes by hand.
class TFakeDropDown : public TDgCellDropDown {
 public:
  TFakeDropDown(TDgEditStyle Style, TCustomMaskEdit* Editor, std::vector<std::string>* Log)
      : FStyle(Style), FLog(Log), FWindow(new TFakeDropDownWindow(Editor)) {}
  TWinControl* Control() override { return FWindow; }
  void Open(const TDgDropDownSetup& Setup, const TRect&) override {
    FOpen = true;
    Setup_ = Setup;
    FLog->push_back("open " + IntToStr(FStyle) + " item " + IntToStr(Setup.ItemIndex));
  }
  void Close() override {
    FOpen = false;
    FLog->push_back("close");
  }
  bool IsOpen() override { return FOpen; }
  TDgDropDownResult Result() override { return Chosen; }
  TDgDropDownSetup Setup_;
  TDgDropDownResult Chosen;

 private:
  TDgEditStyle FStyle;
  std::vector<std::string>* FLog;
  TCustomControl* FWindow;
  bool FOpen = false;
};

class DBGridTest : public ::testing::Test {
 public:
  DBGridTest() : confirm(answer), beeps(beeper), form(new TForm(nullptr, CreateNew)) {
    form->SetBounds(40, 40, 420, 300);
    ds = new TMemDataSet(form);
    ds->AddFieldDef("DATA", ftDate);
    ds->AddFieldDef("SOBITIE", ftString, 30);
    ds->AddFieldDef("NUM", ftInteger);
    source = new TDataSource(form);
    source->SetDataSet(ds);
    grid = new TDgDBGrid(form);
    grid->SetBounds(0, 0, 400, 200);
    grid->SetParent(form);
    grid->DropDownFactory = [this](TDgEditStyle Style, TCustomMaskEdit* Editor) {
      auto d = std::make_unique<TFakeDropDown>(Style, Editor, &log);
      last = d.get();
      return std::unique_ptr<TDgCellDropDown>(std::move(d));
    };
    other = new TEdit(form);
    other->SetBounds(0, 220, 100, 22);
    other->SetParent(form);
    form->Show();
    guitest::BringToFront(form->GetHandle());
  }
  ~DBGridTest() override {
    form->BeforeDestruction();
    delete form;
  }

  void Fill(int Count) {
    ds->Open();
    for (int i = 1; i <= Count; ++i) ds->AppendRecord({TVariant(EncodeDate(2026, 1, i)), TVariant("rec " + IntToStr(i)), TVariant(i)});
    ds->First();
  }
  void Attach() {
    grid->SetDataSource(source);
    grid->SetFocus();
    guitest::PumpFor(20);
  }
  HWND G() { return grid->GetHandle(); }
  HWND E() { return grid->InplaceEditor()->GetHandle(); }
  void Key(HWND Window, WORD K) { SendMessageW(Window, WM_KEYDOWN, K, 0); }
  // Ctrl held while the key goes: the thread's keyboard state says so.
  void CtrlKey(HWND Window, WORD K) {
    BYTE state[256]{};
    GetKeyboardState(state);
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    SendMessageW(Window, WM_KEYDOWN, K, 0);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
  }
  void Type(HWND Window, const std::wstring& Text) {
    for (wchar_t c : Text) SendMessageW(Window, WM_CHAR, c, 0);
  }
  // Opens the editor on the current cell and types Text over its text.
  void Edit(const std::wstring& Text) {
    grid->SetEditorMode(true);
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    ASSERT_TRUE(grid->InplaceEditor()->Shown());
    grid->InplaceEditor()->SelectAll();
    Type(E(), Text);
  }
  String Stored(int Index, const char* Field) { return ds->StoredText(Index, Field); }
  void ExpectNoTypedTextLost(TDataSet* Table, const std::function<String(int)>& Stored);

  TAnswer answer;
  TSeamScope<TConfirmation> confirm;
  TCountingBeeper beeper;
  TBeeperScope beeps;
  TForm* form;
  TMemDataSet* ds;
  TDataSource* source;
  TDgDBGrid* grid;
  TEdit* other;
  std::vector<std::string> log;
  TFakeDropDown* last = nullptr;
};

TEST_F(DBGridTest, AKoreanSystemShowsTheEditorAlways) {
  EXPECT_TRUE(DgDefaultGridOptionsFor(MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN)).Contains(dgAlwaysShowEditor));
  EXPECT_EQ(DgDefaultGridOptionsFor(MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN)) - TDgDBGridOptions{dgAlwaysShowEditor},
            DgDefaultGridOptions);
  for (WORD language : {LANG_RUSSIAN, LANG_ENGLISH, LANG_JAPANESE})
    EXPECT_EQ(DgDefaultGridOptionsFor(MAKELANGID(language, SUBLANG_DEFAULT)), DgDefaultGridOptions) << language;
  EXPECT_EQ(grid->GetOptions(), DgDefaultGridOptionsFor(GetUserDefaultLangID()));
}

// The editor takes the input method of its column while it has the focus: none at all,
// closed, or open in a conversion mode; leaving gives the context back.
TEST_F(DBGridTest, TheEditorTakesItsColumnsInputMethod) {
  Fill(2);
  Attach();
  grid->GetColumns()->SetState(csCustomized);
  grid->GetColumns()->Items(1)->SetImeMode(imDisable);
  grid->GetColumns()->Items(2)->SetImeMode(imKata);
  grid->SetCol(2);
  grid->SetEditorMode(true);
  ASSERT_TRUE(grid->InplaceEditor()->Shown());
  SetFocus(E());
  EXPECT_EQ(ImmGetContext(E()), nullptr) << "imDisable: no input context";
  SendMessageW(G(), WM_KEYDOWN, VK_TAB, 0);
  ASSERT_EQ(grid->GetCol(), 3);
  grid->SetEditorMode(true);
  SetFocus(E());
  HIMC context = ImmGetContext(E());
  ASSERT_NE(context, nullptr) << "given back";
  EXPECT_TRUE(ImmGetOpenStatus(context));
  DWORD conversion = 0, sentence = 0;
  ImmGetConversionStatus(context, &conversion, &sentence);
  EXPECT_EQ(conversion, static_cast<DWORD>(IME_CMODE_NATIVE | IME_CMODE_KATAKANA | IME_CMODE_FULLSHAPE));
  ImmReleaseContext(E(), context);
  // Back on the first column and then away: the context comes back with the focus gone.
  grid->SetCol(2);
  grid->SetEditorMode(true);
  SetFocus(E());
  EXPECT_EQ(ImmGetContext(E()), nullptr);
  other->SetFocus();
  context = ImmGetContext(E());
  EXPECT_NE(context, nullptr);
  if (context) ImmReleaseContext(E(), context);
}

TEST_F(DBGridTest, OptionsFollowEachOther) {
  grid->SetOptions(grid->GetOptions() + TDgDBGridOptions{dgDragOutRows});
  EXPECT_TRUE(grid->GetOptions().Contains(dgRowSelect));
  EXPECT_FALSE(grid->GetOptions().Contains(dgEditing));
  EXPECT_FALSE(grid->GetAllowInsert());

  grid->SetOptions(DgDefaultGridOptions);
  EXPECT_FALSE(grid->GetAllowInsert());  // not turned on again
  EXPECT_FALSE(grid->GetAllowDelete());
  grid->SetAllowInsert(true);
  EXPECT_TRUE(grid->GetAllowInsert());
  grid->SetOptions(grid->GetOptions() - TDgDBGridOptions{dgEditing});
  grid->SetAllowDelete(true);  // only while editing
  EXPECT_FALSE(grid->GetAllowDelete());

  Fill(3);
  Attach();
  grid->SetOptions(grid->GetOptions() + TDgDBGridOptions{dgMultiSelect});
  grid->SelectedBookmarks()->SetCurrentRowSelected(true);
  EXPECT_EQ(grid->SelectedBookmarks()->Count(), 1);
  grid->SetOptions(grid->GetOptions() - TDgDBGridOptions{dgMultiSelect});
  EXPECT_EQ(grid->SelectedBookmarks()->Count(), 0);
}

TEST_F(DBGridTest, RowsAreDraggedOutOnceThePointerMovesFivePixels) {
  Fill(5);
  grid->SetOptions(grid->GetOptions() + TDgDBGridOptions{dgDragOutRows});
  Attach();
  std::vector<std::string> events;
  grid->OnStartDrag = [&](TObject*, TDragObject*&) { events.push_back("start"); };
  grid->OnEndDrag = [&](TObject*, TObject* Target, int, int) { events.push_back(Target == other ? "end other" : "end nil"); };
  other->OnDragOver = [&](TObject*, TObject*, int, int, TDragState, bool&) {};
  other->OnDragDrop = [&](TObject*, TObject* Source, int, int) {
    events.push_back(Source == grid ? "drop grid " + ds->FieldByName("SOBITIE")->GetAsString() : "drop ?");
  };
  struct TCase {
    int Row, Move;
    std::vector<std::string> Events;
  } cases[] = {
      {3, 3, {}},  // a press on the row: it becomes current, nothing dragged
      {2, 5, {"start", "drop grid rec 2", "end other"}},
      {4, 8, {"start", "drop grid rec 4", "end other"}},
  };
  for (const TCase& c : cases) {
    guitest::BringToFront(form->GetHandle());
    events.clear();
    TRect cell = grid->CellRect(2, c.Row);
    TPoint press = grid->ClientToScreen({cell.Left + 10, (cell.Top + cell.Bottom) / 2});
    guitest::MoveMouse(press);
    guitest::MouseButton(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(ds->FieldByName("SOBITIE")->GetAsString(), "rec " + IntToStr(c.Row));
    guitest::MoveMouse({press.X, press.Y + c.Move});
    if (!c.Events.empty()) guitest::MoveMouse(other->ClientToScreen({20, 10}));
    guitest::MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(events, c.Events) << "row " << c.Row << " moved " << c.Move;
    EXPECT_FALSE(grid->Dragging());
  }
  // A grid of the dock kind drags no rows (it is docked by its top-left cell).
  grid->SetDragKind(dkDock);
  events.clear();
  TRect cell = grid->CellRect(2, 1);
  TPoint press = grid->ClientToScreen({cell.Left + 10, (cell.Top + cell.Bottom) / 2});
  guitest::MoveMouse(press);
  guitest::MouseButton(MOUSEEVENTF_LEFTDOWN);
  guitest::MoveMouse(other->ClientToScreen({20, 10}));
  guitest::MouseButton(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(events.empty());
}

// Docking by the mouse itself: the grid's top-left cell is its handle; a dock site takes
// it, a control that is no dock site leaves everything as it was, a release over none of
// the program's windows floats it in a tool window, and the site it leaves may refuse.
TEST_F(DBGridTest, TheTopLeftCellDocksTheGridIntoADockSite) {
  Fill(3);
  Attach();
  form->SetBounds(40, 40, 420, 330);
  auto* site = new TPanel(form);
  site->SetBounds(110, 205, 300, 90);
  site->SetParent(form);
  site->SetDockSite(true);
  grid->SetBounds(0, 0, 200, 100);
  grid->SetDragKind(dkDock);
  std::vector<std::string> events;
  auto name = [&](TObject* Object) -> std::string {
    if (!Object) return "nil";
    if (Object == site) return "site";
    if (dynamic_cast<TCustomForm*>(Object)) return "floating";
    return "?";
  };
  grid->OnStartDock = [&](TObject*, TDragDockObject*&) { events.push_back("start"); };
  grid->OnEndDock = [&](TObject*, TObject* Target, int, int) { events.push_back("end " + name(Target)); };
  site->OnDockDrop = [&](TObject*, TDragDockObject* Source, int X, int Y) {
    events.push_back(Source->Control == grid ? "dropped" : "dropped ?");
    EXPECT_EQ(grid->GetLeft(), X - Source->GrabOffset.X);
    EXPECT_EQ(grid->GetTop(), Y - Source->GrabOffset.Y);
  };
  bool allowUndock = true;
  site->OnUnDock = [&](TObject*, TControl* Client, TWinControl* NewTarget, bool& Allow) {
    events.push_back(std::string("undock ") + (Client == grid ? "grid" : "?") + " to " + name(NewTarget));
    Allow = allowUndock;
  };
  // Pressed on the corner cell, moved past the threshold, then to To and let go. The
  // presses alternate between two places, so that no two make a double click.
  int presses = 0;
  auto dockDrag = [&](TPoint To) {
    guitest::BringToFront(GetAncestor(grid->GetHandle(), GA_ROOT));
    events.clear();
    TRect corner = grid->CellRect(0, 0);
    const int x = ++presses % 2 ? corner.Left + 2 : corner.Right - 3;
    TPoint press = grid->ClientToScreen({x, (corner.Top + corner.Bottom) / 2});
    guitest::MoveMouse(press);
    guitest::MouseButton(MOUSEEVENTF_LEFTDOWN);
    guitest::MoveMouse({press.X + 8, press.Y + 8});
    guitest::MoveMouse(To);
    guitest::MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_FALSE(grid->Dragging());
  };

  // Into the site: the grid is its child now, where it was let go, and still shows its data.
  dockDrag(site->ClientToScreen({60, 20}));
  EXPECT_EQ(events, (std::vector<std::string>{"start", "dropped", "end site"}));
  EXPECT_EQ(grid->GetParent(), site);
  EXPECT_EQ(GetParent(grid->GetHandle()), site->GetHandle());
  EXPECT_TRUE(IsWindowVisible(grid->GetHandle()));
  EXPECT_EQ(grid->GetDataSource(), source);
  EXPECT_EQ(ds->RecordCount(), 3);

  // Onto the edit, which is no dock site: nothing moves.
  const TRect before = grid->GetBoundsRect();
  dockDrag(other->ClientToScreen({10, 10}));
  EXPECT_EQ(events, (std::vector<std::string>{"start", "end nil"}));
  EXPECT_EQ(grid->GetParent(), site);
  EXPECT_EQ(grid->GetBoundsRect(), before);

  // Over none of the program's windows, but the site refuses to let it go: it stays.
  const TPoint outside = form->ClientToScreen({form->GetWidth() + 150, 40});
  ASSERT_EQ(FindDragTarget(outside, false), nullptr);
  allowUndock = false;
  dockDrag(outside);
  EXPECT_EQ(events, (std::vector<std::string>{"start", "undock grid to nil", "end nil"}));
  EXPECT_EQ(grid->GetParent(), site);

  // Let go: it floats in a tool window of its own, where it was dropped.
  allowUndock = true;
  dockDrag(outside);
  EXPECT_EQ(events, (std::vector<std::string>{"start", "undock grid to nil", "end floating"}));
  auto* floating = dynamic_cast<TCustomForm*>(grid->GetParent());
  ASSERT_NE(floating, nullptr);
  EXPECT_EQ(floating->Owner(), grid);
  EXPECT_TRUE(IsWindowVisible(floating->GetHandle()));
  EXPECT_EQ(grid->GetLeft(), 0);
  EXPECT_EQ(grid->GetTop(), 0);

  // And back into the site: the empty tool window goes.
  dockDrag(site->ClientToScreen({30, 10}));
  EXPECT_EQ(events, (std::vector<std::string>{"start", "dropped", "end site"}));
  EXPECT_EQ(grid->GetParent(), site);
  EXPECT_TRUE(guitest::PumpUntil([&] { return grid->ComponentCount() == 0; }, 3000));
}

// Object fields on screen: a dataset with an ADT field (two attributes) and a nested dataset
// field. The expanded ADT stands in a title row of its own over its attributes' titles, its
// arrow collapses it into one column and expands it again (real mouse clicks, checked by the
// title pixels), F2 on the nested dataset's cell opens a pop-up grid on the nested records,
// and a column whose ADT field is freed collapses.
class ObjectFieldGridTest : public DBGridTest {
 protected:
  ObjectFieldGridTest() {
    objects = new TMemDataSet(form);
    objects->AddFieldDef("ID", ftInteger);
    objects->AddFieldDef("ADDR.CITY", ftString, 20);
    objects->AddFieldDef("ADDR.ZIP", ftString, 6);
    auto named = [this](TField* F, const char* Name) {
      F->SetFieldName(Name);
      return F;
    };
    named(new TIntegerField(form), "ID")->SetDataSet(objects);
    addr = static_cast<TADTField*>(named(new TADTField(form), "ADDR"));
    addr->SetDataSet(objects);
    addr->AddField(named(new TStringField(form), "CITY"));
    addr->AddField(named(new TStringField(form), "ZIP"));
    addr->Fields()->Fields(0)->SetSize(20);
    addr->Fields()->Fields(1)->SetSize(6);
    nested = new TMemDataSet(form);
    nested->AddFieldDef("ITEM", ftString, 20);
    nested->Open();
    for (const char* item : {"tea", "sugar"}) nested->AppendRecord({TVariant(item)});
    nested->First();
    orders = static_cast<TDataSetField*>(named(new TDataSetField(form), "ORDERS"));
    orders->SetDataSet(objects);
    orders->SetNestedDataSet(nested);
    objects->Open();
    objects->Append();
    objects->FieldByName("ID")->SetAsInteger(1);
    objects->FieldByName("ADDR.CITY")->SetAsString("Tver");
    objects->FieldByName("ADDR.ZIP")->SetAsString("170000");
    objects->Post();
    objectSource = new TDataSource(form);
    objectSource->SetDataSet(objects);
    // The titles of the ADT and its first attribute in colours of their own.
    grid->OnDrawTitleAttr = [](TObject*, TDgColumn* Column, TFont*, TColor& Color) {
      if (Column->GetFieldName() == "ADDR") Color = clYellow;
      if (Column->GetFieldName() == "ADDR.CITY") Color = clAqua;
    };
    grid->SetDataSource(objectSource);
    grid->SetFocus();
    guitest::PumpFor(20);
  }
  int RawOf(const String& FieldName) {
    for (int i = 0; i < grid->GetColumns()->Count(); ++i)
      if (grid->GetColumns()->Items(i)->GetFieldName() == FieldName) return i + 1;  // after the indicator
    return -1;
  }
  TDgColumn* ColumnOf(const String& FieldName) { return grid->GetColumns()->Items(RawOf(FieldName) - 1); }
  // The grid's pixel near a cell's bottom-left corner (clear of the caption), painted.
  std::uint32_t Pixel(int Col, int Row) {
    guitest::BringToFront(form->GetHandle());
    grid->Repaint();
    TRect r = grid->CellRect(Col, Row);
    auto shot = guitest::Capture(grid->GetHandle(), false);
    return static_cast<std::uint32_t>(shot->Canvas()->GetPixels(r.Left + 3, r.Bottom - 3)) & 0xFFFFFF;
  }
  void Click(TPoint At) {
    guitest::BringToFront(form->GetHandle());
    guitest::MoveMouse(At);
    guitest::MouseButton(MOUSEEVENTF_LEFTDOWN);
    guitest::MouseButton(MOUSEEVENTF_LEFTUP);
    guitest::PumpFor(50);
  }
  // The screen point of the arrow at the right end of a title whose last cell is Right's.
  TPoint Arrow(int Right, int Row) {
    TRect r = grid->CellRect(Right, Row);
    return grid->ClientToScreen({r.Right - GetSystemMetrics(SM_CXHSCROLL) / 2, (r.Top + r.Bottom) / 2});
  }

  TMemDataSet *objects, *nested;
  TDataSource* objectSource;
  TADTField* addr;
  TDataSetField* orders;
};

TEST_F(ObjectFieldGridTest, TitleRowsExpansionAndTheNestedDataSetPopUp) {
  // ID, ADDR (expanded: hidden), ADDR.CITY, ADDR.ZIP, ORDERS.
  ASSERT_EQ(grid->GetColumns()->Count(), 5);
  EXPECT_TRUE(ColumnOf("ADDR")->GetExpanded());
  EXPECT_FALSE(ColumnOf("ADDR")->Showing());
  EXPECT_EQ(ColumnOf("ADDR.CITY")->ParentColumn(), ColumnOf("ADDR"));
  EXPECT_EQ(grid->TitleOffset(), 2);
  EXPECT_EQ(grid->GetColWidths(RawOf("ADDR")), 0);
  const int city = RawOf("ADDR.CITY"), zip = RawOf("ADDR.ZIP");
  // Row 0 over the attributes is the ADT's title, row 1 each attribute's; the ID's title
  // reaches down both rows.
  const std::uint32_t yellow = 0x00FFFF, aqua = 0xFFFF00, face = static_cast<std::uint32_t>(ColorToRGB(clBtnFace));
  EXPECT_EQ(Pixel(city, 0), yellow);
  EXPECT_EQ(Pixel(zip, 0), yellow);
  EXPECT_EQ(Pixel(city, 1), aqua);
  EXPECT_EQ(Pixel(zip, 1), face);
  EXPECT_EQ(Pixel(RawOf("ID"), 1), face);
  EXPECT_EQ(ColumnOf("ADDR.CITY")->Field()->DisplayText(), "Tver");
  guitest::SaveScreenshot(form->GetHandle(), "dbgrid_objects_expanded.bmp");

  // The ADT's arrow collapses it: one title row, the ADT one column showing "(ADT)".
  Click(Arrow(zip, 0));
  EXPECT_FALSE(ColumnOf("ADDR")->GetExpanded());
  EXPECT_EQ(grid->TitleOffset(), 1);
  EXPECT_GT(grid->GetColWidths(RawOf("ADDR")), 0);
  EXPECT_EQ(grid->GetColWidths(RawOf("ADDR.CITY")), 0);
  EXPECT_EQ(Pixel(RawOf("ADDR"), 0), yellow);
  EXPECT_EQ(ColumnOf("ADDR")->Field()->DisplayText(), "(ADT)");
  guitest::SaveScreenshot(form->GetHandle(), "dbgrid_objects_collapsed.bmp");
  // Its own arrow expands it again.
  Click(Arrow(RawOf("ADDR"), 0));
  EXPECT_TRUE(ColumnOf("ADDR")->GetExpanded());
  EXPECT_EQ(grid->TitleOffset(), 2);

  // F2 on the nested dataset's cell opens a grid on its records, under the cell.
  Click(grid->ClientToScreen({grid->CellRect(RawOf("ORDERS"), 2).Left + 5, grid->CellRect(RawOf("ORDERS"), 2).Top + 5}));
  ASSERT_EQ(grid->SelectedColumn(), ColumnOf("ORDERS"));
  EXPECT_EQ(grid->InplaceEditor() ? grid->InplaceEditor()->Shown() : false, false);
  Key(G(), VK_F2);
  TCustomForm* popup = grid->NestedDataSetPopup();
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(IsWindowVisible(popup->GetHandle()));
  auto* inner = dynamic_cast<TDgDBGrid*>(popup->Controls(0));
  ASSERT_NE(inner, nullptr);
  ASSERT_NE(inner->GetDataSource(), nullptr);
  EXPECT_EQ(inner->GetDataSource()->GetDataSet(), nested);
  EXPECT_EQ(inner->GetRowCount(), 1 + 2);  // the title and the two nested records
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Shown());
  // Its rows show the nested records' text (pixels other than the cell's ground in both),
  // and below them the grid is empty.
  guitest::BringToFront(popup->GetHandle());
  inner->Repaint();
  auto shot = guitest::Capture(inner->GetHandle(), false);
  auto inkIn = [&](const TRect& R) {
    const auto ground = shot->Canvas()->GetPixels(R.Right - 3, R.Bottom - 2);
    int ink = 0;
    for (int y = R.Top + 1; y < R.Bottom - 1; ++y)
      for (int x = R.Left + 1; x < R.Right - 1; ++x) ink += shot->Canvas()->GetPixels(x, y) != ground;
    return ink;
  };
  EXPECT_GT(inkIn(inner->CellRect(1, 1)), 0);
  EXPECT_GT(inkIn(inner->CellRect(1, 2)), 0);
  TRect last = inner->CellRect(1, 2);
  EXPECT_EQ(inkIn({last.Left, last.Bottom + 2, last.Right, std::min(last.Bottom + 20, shot->GetHeight())}), 0);
  guitest::SaveScreenshot(popup->GetHandle(), "dbgrid_nested_popup.bmp");

  // Persistent columns recurse into the ADT too; freeing the ADT field collapses its column.
  grid->GetColumns()->SetState(csCustomized);
  ASSERT_EQ(grid->GetColumns()->Count(), 5);
  TDgColumn* adt = grid->GetColumns()->Items(1);
  EXPECT_EQ(adt->Field(), addr);
  EXPECT_TRUE(adt->GetExpanded());
  objects->Close();
  delete addr;
  EXPECT_FALSE(adt->GetExpanded());
  EXPECT_EQ(adt->Field(), nullptr);
  grid->Repaint();  // nothing left that points at the freed fields
  guitest::PumpFor(20);
}

// Moving columns of a grid with an ADT: an object column takes its attributes' columns along
// (expanded or collapsed) and lands before or after another column's attributes, never among
// them; an attribute's column moves only among its siblings; a column the grid made moves
// its field. By program and with the mouse (the ADT is dragged by its title over its
// attributes). The order shown: the columns in the grid's order, hidden ones in brackets.
TEST_F(ObjectFieldGridTest, AnObjectColumnMovesWithItsAttributes) {
  auto shown = [&] {
    std::string order;
    for (int i = 0; i < grid->GetColumns()->Count(); ++i) {
      std::string name = grid->GetColumns()->Items(i)->GetFieldName();
      order += (order.empty() ? "" : " ") + (grid->GetColWidths(i + 1) > 0 ? name : "(" + name + ")");
    }
    return order;
  };
  auto reset = [&](bool Persistent) {
    objects->FieldByName("ID")->SetIndex(0);
    addr->SetIndex(1);
    grid->GetColumns()->SetState(csDefault);
    if (Persistent) grid->GetColumns()->SetState(csCustomized);
    guitest::PumpFor(20);
    ASSERT_EQ(shown(), "ID (ADDR) ADDR.CITY ADDR.ZIP ORDERS");
  };
  struct TCase {
    bool Persistent, Collapsed;
    const char* Column;
    int To;
    const char* Shows;
  } cases[] = {
      {true, false, "ADDR", 0, "(ADDR) ADDR.CITY ADDR.ZIP ID ORDERS"},
      {true, false, "ADDR", 4, "ID ORDERS (ADDR) ADDR.CITY ADDR.ZIP"},
      {true, false, "ID", 2, "(ADDR) ADDR.CITY ADDR.ZIP ID ORDERS"},      // onto an attribute: after the ADT's
      {true, false, "ORDERS", 3, "ID ORDERS (ADDR) ADDR.CITY ADDR.ZIP"},  // from the right: before them
      {true, false, "ADDR", 3, "ID (ADDR) ADDR.CITY ADDR.ZIP ORDERS"},    // onto its own attribute
      {true, false, "ADDR.ZIP", 2, "ID (ADDR) ADDR.ZIP ADDR.CITY ORDERS"},
      {true, false, "ADDR.CITY", 4, "ID (ADDR) ADDR.ZIP ADDR.CITY ORDERS"},  // out of the ADT: its last
      {true, false, "ADDR.ZIP", 0, "ID (ADDR) ADDR.ZIP ADDR.CITY ORDERS"},   // its first
      {true, true, "ADDR", 0, "ADDR (ADDR.CITY) (ADDR.ZIP) ID ORDERS"},
      {true, true, "ORDERS", 1, "ID ORDERS ADDR (ADDR.CITY) (ADDR.ZIP)"},
      {false, false, "ADDR", 0, "(ADDR) ADDR.CITY ADDR.ZIP ID ORDERS"},
      {false, false, "ID", 3, "(ADDR) ADDR.CITY ADDR.ZIP ID ORDERS"},
  };
  for (const TCase& c : cases) {
    reset(c.Persistent);
    if (c.Collapsed) ColumnOf("ADDR")->SetExpanded(false);
    ColumnOf(c.Column)->SetIndex(c.To);
    EXPECT_EQ(shown(), c.Shows) << c.Column << " to " << c.To << (c.Persistent ? "" : ", made by the grid");
    if (!c.Persistent) {
      EXPECT_EQ(objects->Fields()->Fields(0), addr);  // the field moved
    }
  }

  // With the mouse: pressed on a title, dragged onto another, released.
  std::vector<std::string> moves;
  grid->OnColumnMoved = [&](TObject*, int From, int To) { moves.push_back(IntToStr(From) + ">" + IntToStr(To)); };
  auto drag = [&](int FromCol, int FromRow, int ToCol, int ToRow) {
    guitest::BringToFront(form->GetHandle());
    auto centre = [&](int Col, int Row) {
      TRect r = grid->CellRect(Col, Row);
      return grid->ClientToScreen({r.Left + 8, (r.Top + r.Bottom) / 2});
    };
    TPoint from = centre(FromCol, FromRow), to = centre(ToCol, ToRow);
    guitest::MoveMouse(from);
    guitest::MouseButton(MOUSEEVENTF_LEFTDOWN);
    guitest::PumpFor(20);
    guitest::MoveMouse({from.X + 10, from.Y});
    guitest::PumpFor(20);
    guitest::MoveMouse(to);
    guitest::PumpFor(20);
    guitest::MouseButton(MOUSEEVENTF_LEFTUP);
    guitest::PumpFor(50);
  };
  reset(true);
  drag(RawOf("ADDR.CITY"), 0, RawOf("ORDERS"), 0);  // the ADT's title row
  EXPECT_EQ(shown(), "ID ORDERS (ADDR) ADDR.CITY ADDR.ZIP");
  reset(true);
  drag(RawOf("ADDR.CITY"), 1, RawOf("ADDR.ZIP"), 1);  // an attribute's own title
  EXPECT_EQ(shown(), "ID (ADDR) ADDR.ZIP ADDR.CITY ORDERS");
  EXPECT_EQ(moves, (std::vector<std::string>{"1>2", "2>3"}));
}

TEST_F(DBGridTest, FixedColumnsStayBelowTheColumnCount) {
  grid->SetDataFixedCols(5);
  Fill(2);
  Attach();
  // Three fields and the indicator: at most three fixed.
  EXPECT_EQ(grid->GetColCount(), 4);
  EXPECT_EQ(grid->GetFixedCols(), 3);
  ds->Close();
  EXPECT_LT(grid->GetFixedCols(), grid->GetColCount());
}

TEST_F(DBGridTest, InsertLifecycle) {
  Fill(2);
  Attach();
  ds->Last();
  // Down past the end appends only with editing and AllowInsert.
  grid->SetAllowInsert(false);
  Key(G(), VK_DOWN);
  EXPECT_EQ(ds->State(), dsBrowse);
  grid->SetAllowInsert(true);
  Key(G(), VK_DOWN);
  EXPECT_EQ(ds->State(), dsInsert);
  // Up from the untouched appended record takes it away.
  Key(G(), VK_UP);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 2);

  // Tab past the last cell goes to the next row: at the end, a new record.
  grid->SetSelectedIndex(2);
  Key(G(), VK_TAB);
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_EQ(grid->GetSelectedIndex(), 0);
  // Typed into, the new record stays when the grid is left: posted.
  grid->SetSelectedIndex(1);
  Edit(L"new one");
  other->SetFocus();
  guitest::PumpFor(10);
  EXPECT_EQ(ds->State(), dsBrowse);
  ASSERT_EQ(ds->StoredCount(), 3);
  EXPECT_EQ(Stored(2, "SOBITIE"), "new one");
  grid->SetFocus();
  // An untouched insert is cancelled when the grid is left.
  Key(G(), VK_INSERT);
  EXPECT_EQ(ds->State(), dsInsert);
  other->SetFocus();
  guitest::PumpFor(10);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->StoredCount(), 3);
}

TEST_F(DBGridTest, TabWrapsAndSkipsReadOnlyColumns) {
  Fill(3);
  Attach();
  ds->FieldByName("SOBITIE")->SetReadOnly(true);
  grid->LayoutChanged();
  grid->SetSelectedIndex(0);
  Key(G(), VK_TAB);
  EXPECT_EQ(grid->GetSelectedIndex(), 2);
  Key(G(), VK_TAB);  // wraps to the next row
  EXPECT_EQ(grid->GetSelectedIndex(), 0);
  EXPECT_EQ(ds->GetRecNo(), 2);
  // With no tab stop at all, Tab stops where it is (no endless walk, no record added).
  for (const char* name : {"DATA", "NUM"}) ds->FieldByName(name)->SetReadOnly(true);
  grid->LayoutChanged();
  ds->Last();
  Key(G(), VK_TAB);
  EXPECT_EQ(ds->StoredCount(), 3);
}

TEST_F(DBGridTest, CtrlDeleteAsksAndDeletesTheSelectedRows) {
  Fill(5);
  Attach();
  grid->SetOptions(grid->GetOptions() + TDgDBGridOptions{dgMultiSelect});
  // None selected: the current record, asked as one.
  answer.Ok = false;
  CtrlKey(G(), VK_DELETE);
  EXPECT_EQ(answer.Asked, std::vector<std::string>({"Удалить запись ?"}));
  EXPECT_EQ(ds->RecordCount(), 5);  // Cancel keeps
  answer.Ok = true;
  CtrlKey(G(), VK_DELETE);
  EXPECT_EQ(ds->RecordCount(), 4);
  // One selected: that one.
  ds->Last();
  grid->SelectedBookmarks()->SetCurrentRowSelected(true);
  ds->First();
  CtrlKey(G(), VK_DELETE);
  EXPECT_EQ(answer.Asked.back(), "Удалить запись ?");
  EXPECT_EQ(ds->RecordCount(), 3);
  ds->Last();
  EXPECT_EQ(ds->FieldByName("NUM")->GetAsInteger(), 4);
  // Two selected: both, asked as several.
  ds->First();
  grid->SelectedBookmarks()->SetCurrentRowSelected(true);
  ds->Next();
  grid->SelectedBookmarks()->SetCurrentRowSelected(true);
  CtrlKey(G(), VK_DELETE);
  EXPECT_EQ(answer.Asked.back(), "Удалить выбранные записи ?");
  EXPECT_EQ(ds->RecordCount(), 1);
  EXPECT_EQ(grid->SelectedBookmarks()->Count(), 0);
}

SCROLLINFO VertBar(HWND Window) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(Window, SB_VERT, &si);
  return si;
}

TEST_F(DBGridTest, ScrollBarSequencedAndNot) {
  Fill(20);
  Attach();
  int page = grid->GetRowCount() - 1;
  ASSERT_LT(page, 20);
  SCROLLINFO si = VertBar(G());
  EXPECT_EQ(si.nMin, 1);
  EXPECT_EQ(static_cast<int>(si.nPage), page);
  EXPECT_EQ(si.nMax, 20 + page - 1);
  EXPECT_EQ(si.nPos, 1);
  ds->MoveBy(5);
  EXPECT_EQ(VertBar(G()).nPos, 6);
  // The thumb goes to a record number.
  SCROLLINFO set{};
  set.cbSize = sizeof set;
  set.fMask = SIF_POS;
  set.nPos = 12;
  SetScrollInfo(G(), SB_VERT, &set, FALSE);
  SendMessageW(G(), WM_VSCROLL, SB_THUMBPOSITION, 0);
  EXPECT_EQ(ds->GetRecNo(), 12);

  // A hidden (deleted) record: not sequenced, the 0 to 4 scale.
  ds->SetHidden(3, true);
  ds->First();
  si = VertBar(G());
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 4);
  EXPECT_EQ(si.nPos, 0);
  ds->Next();
  EXPECT_EQ(VertBar(G()).nPos, 2);
  ds->Last();
  EXPECT_EQ(VertBar(G()).nPos, 4);
  set.nPos = 0;
  SetScrollInfo(G(), SB_VERT, &set, FALSE);
  SendMessageW(G(), WM_VSCROLL, SB_THUMBPOSITION, 0);
  EXPECT_EQ(ds->FieldByName("NUM")->GetAsInteger(), 1);
}

TEST_F(DBGridTest, ClosedAndEmptyDataSetsTakeNothingButAFirstRecord) {
  Attach();  // closed
  grid->Repaint();
  for (WORD k : {VK_DOWN, VK_INSERT, VK_TAB}) Key(G(), k);
  SendMessageW(G(), WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
  CtrlKey(G(), VK_DELETE);
  EXPECT_TRUE(answer.Asked.empty());
  EXPECT_GE(grid->GetRowCount(), 2);  // titles and an empty row

  ds->Open();  // empty
  grid->Repaint();
  ds->HookLog.clear();
  for (WORD k : {VK_UP, VK_NEXT, VK_END, VK_F2}) Key(G(), k);
  SendMessageW(G(), WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
  SendMessageW(G(), WM_VSCROLL, SB_PAGEDOWN, 0);
  CtrlKey(G(), VK_DELETE);
  EXPECT_TRUE(answer.Asked.empty());
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Shown());
  // Down adds the first record to an open, modifiable empty dataset; so does Insert.
  Key(G(), VK_DOWN);
  EXPECT_EQ(ds->State(), dsInsert);
  ds->Cancel();
  Key(G(), VK_INSERT);
  EXPECT_EQ(ds->State(), dsInsert);
  ds->Cancel();
  ds->SetReadOnly(true);
  Key(G(), VK_INSERT);
  EXPECT_EQ(ds->State(), dsBrowse);
}

// Typed text reaches its record, posted, before the dataset moves, whatever moves it: on
// the in-memory dataset (Stored reads it back) and on a table on disk, the dataset the
// program gives the grid.
void DBGridTest::ExpectNoTypedTextLost(TDataSet* Table, const std::function<String(int)>& Stored) {
  struct Move {
    const char* Name;
    std::function<void(DBGridTest&, TDataSet*)> Do;
  };
  const Move moves[] = {
      {"wheel", [](DBGridTest& t, TDataSet*) { SendMessageW(t.G(), WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0); }},
      {"thumb",
       [](DBGridTest& t, TDataSet*) {
         SCROLLINFO set{};
         set.cbSize = sizeof set;
         set.fMask = SIF_POS;
         set.nPos = 4;
         SetScrollInfo(t.G(), SB_VERT, &set, FALSE);
         SendMessageW(t.G(), WM_VSCROLL, SB_THUMBPOSITION, 0);
       }},
      {"line down", [](DBGridTest& t, TDataSet*) { SendMessageW(t.G(), WM_VSCROLL, SB_PAGEDOWN, 0); }},
      {"locate", [](DBGridTest&, TDataSet* d) { d->Locate("NUM", TVariant(5), TLocateOptions{}); }},
      {"down key", [](DBGridTest& t, TDataSet*) { t.Key(t.E(), VK_DOWN); }},
      {"close", [](DBGridTest&, TDataSet* d) { d->Close(); }},
  };
  source->SetDataSet(Table);
  for (const Move& m : moves) {
    SCOPED_TRACE(m.Name);
    if (!Table->GetActive()) Table->Open();
    Attach();
    Table->First();
    Table->Next();
    grid->SetSelectedIndex(1);
    Edit(L"Встреча " + Utf8ToWide(m.Name));
    m.Do(*this, Table);
    EXPECT_EQ(Stored(1), "Встреча " + String(m.Name));
    if (Table->GetActive()) {
      EXPECT_EQ(Table->State(), dsBrowse);
    }
  }
}

TEST_F(DBGridTest, NoTypedTextIsLost) {
  Fill(6);
  ExpectNoTypedTextLost(ds, [this](int Index) { return Stored(Index, "SOBITIE"); });
}

TEST_F(DBGridTest, NoTypedTextIsLostOnATableOnDisk) {
  wchar_t temp[MAX_PATH] = L"";
  GetTempPathW(MAX_PATH, temp);
  const String folder = IncludeTrailingPathDelimiter(WideToUtf8(temp));
  const String path = folder + "GRIDTEST.DBF";
  DeleteFileW(Utf8ToWide(path).c_str());
  CreateTable(path, 0x03, {{"DATA", 'D', 8}, {"SOBITIE", 'C', 30}, {"NUM", 'N', 5}});
  auto* table = new TXBaseDataSet(form);
  table->SetDatabaseName(folder);
  table->SetTableName("GRIDTEST.DBF");
  table->Open();
  for (int i = 1; i <= 6; ++i) {
    table->Append();
    table->FieldByName("DATA")->SetAsDateTime(EncodeDate(2026, 1, i));
    table->FieldByName("SOBITIE")->SetAsString("rec " + IntToStr(i));
    table->FieldByName("NUM")->SetAsInteger(i);
    table->Post();
  }
  // What another reader of the file finds in the record.
  auto stored = [&](int Index) {
    TXBaseDataSet reader(nullptr);
    reader.SetDatabaseName(folder);
    reader.SetTableName("GRIDTEST.DBF");
    reader.Open();
    reader.MoveBy(Index);
    String text = reader.FieldByName("SOBITIE")->GetAsString();
    reader.Close();
    return text;
  };
  ExpectNoTypedTextLost(table, stored);
  source->SetDataSet(nullptr);
  table->Close();
  DeleteFileW(Utf8ToWide(path).c_str());
}

TEST_F(DBGridTest, EnterWritesAndPosts) {
  Fill(3);
  Attach();
  grid->SetSelectedIndex(1);
  Edit(L"текст");
  SendMessageW(E(), WM_KEYDOWN, VK_RETURN, 0);
  SendMessageW(E(), WM_CHAR, L'\r', 0);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(Stored(0, "SOBITIE"), "текст");
  // Escape before posting gives the record back.
  Edit(L"other");
  SendMessageW(E(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(ds->FieldByName("SOBITIE")->GetAsString(), "текст");
  ds->CheckBrowseMode();
  EXPECT_EQ(Stored(0, "SOBITIE"), "текст");
}

TEST_F(DBGridTest, PaintingNeverRaises) {
  Fill(4);
  Attach();
  TCaughtExceptions caught;
  int calls = 0;
  grid->OnDrawCellAttr = [&](TObject*, TDgColumn* Column, TFont*, TColor&, TGridDrawState) {
    ++calls;
    if (Column->GetFieldName() == "NUM") throw EDatabaseError("no colour");
  };
  grid->Repaint();
  guitest::PumpFor(30);
  grid->Repaint();
  guitest::PumpFor(30);
  EXPECT_GT(calls, 8);
  // Told once for the layout, not per cell or per paint.
  EXPECT_EQ(caught.Messages, std::vector<std::string>({"no colour"}));
}

TEST_F(DBGridTest, CheckBoxToggles) {
  Fill(2);
  Attach();
  grid->GetColumns()->SetState(csCustomized);
  TDgColumn* column = grid->GetColumns()->Items(1);
  column->SetButtonStyle(cbsCheck);
  column->SetValueChecked("да");
  column->SetValueUnChecked("нет");
  grid->SetSelectedIndex(1);
  Key(G(), VK_SPACE);
  EXPECT_EQ(ds->FieldByName("SOBITIE")->GetAsString(), "да");  // any other text becomes ticked
  Key(G(), VK_SPACE);
  EXPECT_EQ(ds->FieldByName("SOBITIE")->GetAsString(), "нет");
  grid->SetEditorMode(true);  // never an editor
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Shown());
}

TEST_F(DBGridTest, ComboColumnsMapPickValuesAndRefuseForeignText) {
  Fill(2);
  ds->Edit();
  ds->FieldByName("SOBITIE")->SetAsString("B");
  ds->Post();
  Attach();
  grid->GetColumns()->SetState(csCustomized);
  TDgColumn* column = grid->GetColumns()->Items(1);
  column->SetButtonStyle(cbsCombo);
  column->GetPickList()->SetText("альфа\nбета\n");
  column->GetPickValues()->SetText("A\nB\n");
  grid->SetSelectedIndex(1);
  EXPECT_EQ(grid->CellText(column), "бета");
  grid->SetEditorMode(true);
  EXPECT_EQ(grid->InplaceEditor()->GetText(), "бета");
  Edit(L"альфа");
  SendMessageW(E(), WM_CHAR, L'\r', 0);
  EXPECT_EQ(Stored(0, "SOBITIE"), "A");
  // A text not in the list: the field keeps its value, a beep, the editor stays open.
  Edit(L"гамма");
  int before = beeper.Count();
  Key(E(), VK_DOWN);
  EXPECT_EQ(beeper.Count(), before + 1);
  EXPECT_EQ(ds->FieldByName("SOBITIE")->GetAsString(), "A");
  EXPECT_EQ(ds->GetRecNo(), 1);
  EXPECT_TRUE(grid->InplaceEditor()->Shown());
  EXPECT_EQ(grid->InplaceEditor()->GetText(), "гамма");
  ds->Cancel();
}

struct StyleCase {
  TDgColumnButtonStyle Button;
  bool ReadOnly;
  bool EmptyPickList;
  bool GridReadOnly;
  TDgEditStyle Expected;
};

TEST_F(DBGridTest, TheEditorsStyleFollowsTheColumn) {
  Fill(2);
  Attach();
  grid->GetColumns()->SetState(csCustomized);
  TDgColumn* column = grid->GetColumns()->Items(1);
  const StyleCase cases[] = {
      {cbsNone, false, false, false, esSimple},      {cbsCombo, false, false, false, esPickList},
      {cbsCombo, true, false, false, esSimple},      {cbsCombo, false, true, false, esSimple},
      {cbsEllipsis, false, false, false, esEllipsis}, {cbsEllipsis, true, false, false, esEllipsis},
      {cbsCalendar, false, false, false, esCalendar}, {cbsCalendar, true, false, false, esSimple},
      {cbsCalculator, false, false, false, esCalculator}, {cbsCalculator, false, false, true, esSimple},
      {cbsLookup, false, false, false, esSimple},  // lookup properties incomplete
  };
  for (const StyleCase& c : cases) {
    SCOPED_TRACE(IntToStr(c.Button) + (c.ReadOnly ? " read-only" : "") + (c.EmptyPickList ? " empty" : ""));
    column->SetButtonStyle(c.Button);
    column->GetPickList()->SetText(c.EmptyPickList ? "" : "a\nb\n");
    grid->SetReadOnly(c.GridReadOnly);
    if (c.ReadOnly) column->SetReadOnly(true);
    grid->SetSelectedIndex(1);
    grid->SetEditorMode(true);
    auto* editor = static_cast<TDgDBGridInplaceEdit*>(grid->InplaceEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->EditStyle(), c.Expected);
    grid->SetEditorMode(false);
    column->RestoreDefaults();
    grid->SetReadOnly(false);
  }
}

TEST_F(DBGridTest, DropDownsOpenAndCloseWithoutTheGridSeeingTheirKeys) {
  TCaughtExceptions caught;
  Fill(3);
  Attach();
  grid->GetColumns()->SetState(csCustomized);
  TDgColumn* column = grid->GetColumns()->Items(1);
  column->SetButtonStyle(cbsCombo);
  column->GetPickList()->SetText("один\nдва\nтри\n");
  std::vector<std::string> closes;
  grid->AfterCloseUp = [&](TObject*, TDgColumn*, bool Selected) { closes.push_back(Selected ? "ok" : "no"); };
  grid->SetSelectedIndex(1);
  grid->SetEditorMode(true);
  auto* editor = static_cast<TDgDBGridInplaceEdit*>(grid->InplaceEditor());
  ASSERT_EQ(editor->EditStyle(), esPickList);

  // Alt+Down opens, Alt+Down again closes accepting.
  SendMessageW(E(), WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
  ASSERT_TRUE(editor->DropDownVisible());
  EXPECT_EQ(last->Setup_.ItemIndex, -1);  // "rec 1" is no line of the list
  last->Chosen.HasValue = true;
  last->Chosen.ItemIndex = 1;
  SendMessageW(E(), WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
  EXPECT_FALSE(editor->DropDownVisible());
  EXPECT_EQ(ds->FieldByName("SOBITIE")->GetAsString(), "два");

  // Enter and Escape while open close it and never reach the grid.
  int row = ds->GetRecNo();
  SendMessageW(E(), WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
  Key(E(), VK_ESCAPE);
  SendMessageW(E(), WM_CHAR, 27, 0);
  EXPECT_FALSE(editor->DropDownVisible());
  EXPECT_TRUE(editor->Shown());
  EXPECT_EQ(ds->FieldByName("SOBITIE")->GetAsString(), "два");  // Escape did not reset the record
  SendMessageW(E(), WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
  last->Chosen.ItemIndex = 2;
  Key(E(), VK_RETURN);
  SendMessageW(E(), WM_CHAR, L'\r', 0);
  EXPECT_TRUE(editor->Shown());  // the grid did not take the Enter
  EXPECT_EQ(ds->FieldByName("SOBITIE")->GetAsString(), "три");
  EXPECT_EQ(ds->GetRecNo(), row);
  // Other keys go to the open drop-down, not into the text.
  SendMessageW(E(), WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
  String text = editor->GetText();
  SendMessageW(E(), WM_CHAR, L'x', 0);
  EXPECT_EQ(editor->GetText(), text);
  // Focus lost: closed without accepting, the text from the opening back.
  other->SetFocus();
  guitest::PumpFor(10);
  EXPECT_FALSE(editor->DropDownVisible());
  EXPECT_EQ(closes, std::vector<std::string>({"ok", "no", "ok", "no"}));
  EXPECT_TRUE(caught.Messages.empty()) << caught.Messages[0];
}

TEST_F(DBGridTest, CalculatorCancelAndEscapeKeepTheText) {
  Fill(2);
  Attach();
  grid->GetColumns()->SetState(csCustomized);
  TDgColumn* column = grid->GetColumns()->Items(2);
  column->SetButtonStyle(cbsCalculator);
  grid->SetSelectedIndex(2);
  grid->SetEditorMode(true);
  auto* editor = static_cast<TDgDBGridInplaceEdit*>(grid->InplaceEditor());
  ASSERT_EQ(editor->EditStyle(), esCalculator);
  editor->DropDown();
  EXPECT_EQ(last->Setup_.Number, 1);
  editor->SetText("123");  // as the calculator types into its editor
  last->OnCloseUp(false);  // Cancel
  EXPECT_EQ(editor->GetText(), "1");
  editor->DropDown();
  editor->SetText("77");
  last->Chosen.HasValue = true;
  last->Chosen.Number = 77;
  last->OnCloseUp(true);
  EXPECT_EQ(ds->FieldByName("NUM")->GetAsInteger(), 77);
  // A value the field refuses: its error, the field as it was, the text from the opening.
  ds->FieldByName("NUM")->OnValidate = [](TField*) { throw EDatabaseError("refused"); };
  editor->DropDown();
  editor->SetText("5");
  last->Chosen.Number = 5;
  EXPECT_THROW(last->OnCloseUp(true), EDatabaseError);
  EXPECT_FALSE(editor->DropDownVisible());
  EXPECT_EQ(ds->FieldByName("NUM")->GetAsInteger(), 77);
  EXPECT_EQ(editor->GetText(), "77");
  ds->FieldByName("NUM")->OnValidate = nullptr;
  ds->Cancel();
}

TEST_F(DBGridTest, SpecialKeysOnlyForKeyDowns) {
  Fill(2);
  Attach();
  std::vector<int> keys;
  grid->OnSpecialKeyDown = [&](TObject*, TDgColumn*, WORD& Key, const String&) { keys.push_back(Key); };
  grid->SetSelectedIndex(1);
  Edit(L".");  // a typed '.' is character 46, as VK_DELETE: not a special key
  EXPECT_TRUE(keys.empty());
  Key(E(), VK_F5);
  EXPECT_EQ(keys, std::vector<int>({VK_F5}));
  ds->Cancel();
}

}  // namespace

namespace {

TEST_F(DBGridTest, EditingACalculatedFieldFiresOnCalcFieldEdited) {
  ds->FieldDefs()->Update();
  for (int i = 0; i < ds->FieldDefs()->Count(); ++i) ds->FieldDefs()->Items(i)->CreateField(form, ds);
  auto* twice = new TIntegerField(form);
  twice->SetFieldName("TWICE");
  twice->SetFieldKind(fkCalculated);
  twice->SetDataSet(ds);
  ds->OnCalcFields = [&](TDataSet*) {
    if (!ds->FieldByName("NUM")->IsNull()) twice->SetAsInteger(2 * ds->FieldByName("NUM")->GetAsInteger());
  };
  Fill(2);
  Attach();
  std::vector<std::string> edited;
  grid->OnCalcFieldEdited = [&](TObject*, TField* Field, const String& Text) {
    edited.push_back(Field->GetFieldName() + "=" + Text);
    ds->FieldByName("NUM")->SetAsInteger(StrToInt(Text) / 2);
  };
  grid->SetSelectedIndex(3);
  EXPECT_EQ(grid->SelectedField(), twice);
  Edit(L"10");
  SendMessageW(E(), WM_CHAR, L'\r', 0);
  EXPECT_EQ(edited, std::vector<std::string>({"TWICE=10"}));
  ds->First();
  EXPECT_EQ(ds->FieldByName("NUM")->GetAsInteger(), 5);
}

// The reminder table's two columns as the calendar window shows them, a Cyrillic text typed
// and posted; a screenshot for a person to look at.
TEST_F(DBGridTest, ReminderColumnsShowWhatWasTyped) {
  Fill(3);
  grid->SetDataSource(source);
  TDgDBGridColumns* columns = grid->GetColumns();
  columns->BeginUpdate();
  columns->Clear();
  TDgColumn* date = columns->Add();
  date->SetFieldName("DATA");
  date->GetTitle()->SetCaption("Дата");
  TDgColumn* text = columns->Add();
  text->SetFieldName("SOBITIE");
  text->GetTitle()->SetCaption("Напоминание");
  text->SetWidth(200);
  columns->EndUpdate();
  grid->SetColor(clSilver);
  grid->GetTitleFont()->SetHeight(-11);
  grid->SetFocus();
  ds->Last();
  grid->SetSelectedIndex(1);
  Edit(L"Позвонить маме");
  Key(E(), VK_UP);
  EXPECT_EQ(Stored(2, "SOBITIE"), "Позвонить маме");
  EXPECT_EQ(grid->GetColCount(), 3);
  EXPECT_EQ(grid->CellText(text), "rec 2");
  guitest::PumpFor(50);
  guitest::SaveScreenshot(form->GetHandle(), "gridcal-dbgrid.bmp");

  // On screen, a cell (the first record's, not selected) is its text drawn in the column's
  // font on the column's colour 2 pixels in, and the title its caption in the title's font
  // 1 pixel in, centred, within a raised edge: the same as a picture drawn here, pixel for
  // pixel.
  auto shown = guitest::Capture(G(), false);
  auto expectDrawn = [&](const TRect& cell, TFont* font, TColor colour, const String& caption, int in, UINT lines,
                         bool raised) {
    TBitmap drawn;
    drawn.SetSize(cell.Width(), cell.Height());
    TCanvas* c = drawn.Canvas();
    c->GetBrush()->SetColor(colour);
    c->FillRect(Rect(0, 0, cell.Width(), cell.Height()));
    c->SetFont(font);
    SetBkMode(c->GetHandle(), TRANSPARENT);
    std::wstring w = Utf8ToWide(caption);
    RECT r{in, in, cell.Width() - 1, cell.Height() - 1};
    DrawTextW(c->GetHandle(), w.c_str(), static_cast<int>(w.size()), &r, DT_NOPREFIX | DT_EXPANDTABS | DT_LEFT | lines);
    RECT edge{0, 0, cell.Width(), cell.Height()};
    if (raised) DrawEdge(c->GetHandle(), &edge, BDR_RAISEDINNER, BF_RECT);
    int ink = 0, wrong = 0;
    for (int y = 0; y < cell.Height(); ++y)
      for (int x = 0; x < cell.Width(); ++x) {
        TColor expected = c->GetPixels(x, y);
        ink += expected != static_cast<TColor>(ColorToRGB(colour));
        wrong += shown->Canvas()->GetPixels(cell.Left + x, cell.Top + y) != expected;
      }
    EXPECT_GT(ink, 20) << caption << ": no text drawn";
    EXPECT_EQ(wrong, 0) << caption << ": the grid does not show it in its font";
  };
  expectDrawn(grid->CellRect(2, 1), text->GetFont(), text->GetColor(), "rec 1", 2, DT_SINGLELINE, false);
  expectDrawn(grid->CellRect(2, 0), text->GetTitle()->GetFont(), text->GetTitle()->GetColor(), "Напоминание", 1,
              DT_WORDBREAK | (text->GetTitle()->GetAlignment() == taCenter ? DT_CENTER : 0), true);
}

}  // namespace
