// The standard controls in real windows, read from one form resource: what the windows
// show, and the behaviours the clock relies on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/windows/comctrls.h"
#include "classlib/windows/extctrls.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/windows/mask.h"
#include "classlib/windows/menus.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/streams.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"
#include "gui_test_util.h"

#include <commctrl.h>

using namespace guitest;

class TStdControlsForm : public TForm {
  HX_CLASS(TStdControlsForm, TForm)
 public:
  using TForm::TForm;
  TLabel* Label1 = nullptr;
  TMaskEdit* MaskEdit1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TCheckBox* CheckBox2 = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TComboBox* ComboBox2 = nullptr;
  TComboBox* ComboBox3 = nullptr;
  TPanel* Panel1 = nullptr;
  TPanel* Panel2 = nullptr;
  TTrackBar* TrackBar1 = nullptr;
  TTrackBar* TrackBar2 = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  TMenuItem* N1 = nullptr;
  TMenuItem* N2 = nullptr;
  TMenuItem* N3 = nullptr;
  TMenuItem* N4 = nullptr;
  TMenuItem* N5 = nullptr;
  TMenuItem* N8 = nullptr;
  std::vector<std::string> Log;

  void TrackBar1Change(TObject*) { Log.push_back("track " + IntToStr(TrackBar1->GetPosition())); }
  void PopupMenu1Popup(TObject*) { Log.push_back("popup"); }
  void N1Click(TObject* Sender) { Log.push_back("click " + static_cast<TMenuItem*>(Sender)->GetCaption()); }

  void CheckBox1Click(TObject*) { Log.push_back(CheckBox1->GetChecked() ? "check on" : "check off"); }
  void ComboBox1Change(TObject*) { Log.push_back("combo1 " + IntToStr(ComboBox1->GetItemIndex())); }
  void ComboBox3Change(TObject*) { Log.push_back("combo3 " + ComboBox3->GetText()); }
  void MaskEdit1Change(TObject*) { Log.push_back("mask " + MaskEdit1->GetEditText()); }
};

HX_PUBLISH(TStdControlsForm, p) {
  p.Field("Label1", &TStdControlsForm::Label1);
  p.Field("MaskEdit1", &TStdControlsForm::MaskEdit1);
  p.Field("CheckBox1", &TStdControlsForm::CheckBox1);
  p.Field("CheckBox2", &TStdControlsForm::CheckBox2);
  p.Field("ComboBox1", &TStdControlsForm::ComboBox1);
  p.Field("ComboBox2", &TStdControlsForm::ComboBox2);
  p.Field("ComboBox3", &TStdControlsForm::ComboBox3);
  p.Field("Panel1", &TStdControlsForm::Panel1);
  p.Field("Panel2", &TStdControlsForm::Panel2);
  p.Field("TrackBar1", &TStdControlsForm::TrackBar1);
  p.Field("TrackBar2", &TStdControlsForm::TrackBar2);
  p.Field("PopupMenu1", &TStdControlsForm::PopupMenu1);
  p.Field("N1", &TStdControlsForm::N1);
  p.Field("N2", &TStdControlsForm::N2);
  p.Field("N3", &TStdControlsForm::N3);
  p.Field("N4", &TStdControlsForm::N4);
  p.Field("N5", &TStdControlsForm::N5);
  p.Field("N8", &TStdControlsForm::N8);
  p.Handler("TrackBar1Change", &TStdControlsForm::TrackBar1Change);
  p.Handler("PopupMenu1Popup", &TStdControlsForm::PopupMenu1Popup);
  p.Handler("N1Click", &TStdControlsForm::N1Click);
  p.Handler("CheckBox1Click", &TStdControlsForm::CheckBox1Click);
  p.Handler("ComboBox1Change", &TStdControlsForm::ComboBox1Change);
  p.Handler("ComboBox3Change", &TStdControlsForm::ComboBox3Change);
  p.Handler("MaskEdit1Change", &TStdControlsForm::MaskEdit1Change);
}

namespace {

class StdControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.reset(NewForm<TStdControlsForm>(Application));
    form->Show();
    PumpFor(100);
    form->Log.clear();
  }
  // Keys as the keyboard sends them to the focused window.
  void Type(TWinControl* Control, const std::wstring& Chars) {
    for (wchar_t c : Chars) SendMessageW(Control->GetHandle(), WM_CHAR, c, 1);
  }
  void Key(TWinControl* Control, WORD Key) {
    SendMessageW(Control->GetHandle(), WM_KEYDOWN, Key, 1);
    SendMessageW(Control->GetHandle(), WM_KEYUP, Key, 0xC0000001);
  }
  std::unique_ptr<TStdControlsForm> form;
};

TEST_F(StdControlsTest, AreReadFromTheFormResourceIntoTheirWindows) {
  struct TExpected {
    TWinControl* Control;
    const wchar_t* Class;
    TRect Bounds;
  } windows[] = {
      {form->MaskEdit1, L"TMaskEdit", Rect(140, 14, 220, 35)},
      {form->CheckBox1, L"TCheckBox", Rect(10, 50, 130, 67)},
      {form->CheckBox2, L"TCheckBox", Rect(140, 50, 260, 67)},
      {form->ComboBox1, L"TComboBox", Rect(10, 80, 140, 80 + form->ComboBox1->GetHeight())},
      {form->Panel1, L"TPanel", Rect(10, 120, 210, 210)},
      {form->TrackBar1, L"TTrackBar", Rect(220, 120, 410, 160)},
      {form->TrackBar2, L"TTrackBar", Rect(380, 170, 410, 290)},
  };
  for (const TExpected& e : windows) {
    HWND w = e.Control->GetHandle();
    EXPECT_EQ(ClassOf(w), e.Class);
    EXPECT_EQ(GetParent(w), form->GetHandle());
    EXPECT_EQ(ChildRect(w), e.Bounds) << e.Control->GetName();
    EXPECT_TRUE(IsWindowVisible(w));
  }
  EXPECT_GT(form->ComboBox1->GetHeight(), 15);  // the closed box, not its list

  EXPECT_EQ(TextOf(form->MaskEdit1->GetHandle()), L"07:30:00");
  EXPECT_EQ(form->MaskEdit1->GetText(), "07:30:00");
  EXPECT_EQ(TextOf(form->CheckBox1->GetHandle()), L"Включить");
  EXPECT_EQ(SendMessageW(form->CheckBox1->GetHandle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(form->CheckBox2->GetHandle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);

  HWND combo1 = form->ComboBox1->GetHandle();
  EXPECT_EQ(SendMessageW(combo1, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(combo1, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(form->ComboBox1->GetText(), "Звонок.wav");
  // Sorted in the class library's order; the item read as selected stays selected.
  HWND combo2 = form->ComboBox2->GetHandle();
  EXPECT_TRUE(GetWindowLongPtrW(combo2, GWL_STYLE) & CBS_OWNERDRAWFIXED);
  wchar_t item[16] = {};
  SendMessageW(combo2, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, L"А");
  EXPECT_EQ(form->ComboBox2->GetText(), "А");
  EXPECT_EQ(SendMessageW(combo2, CB_GETITEMHEIGHT, 0, 0), 16);
  EXPECT_EQ(form->ComboBox3->GetText(), "Свой текст");
  EXPECT_EQ(form->ComboBox3->GetItemIndex(), -1);
  EXPECT_EQ(form->Label1->GetFocusControl(), form->MaskEdit1);

  // The top-aligned panel inside its parent's border and bevels (3 + 2 + 2).
  EXPECT_EQ(GetParent(form->Panel2->GetHandle()), form->Panel1->GetHandle());
  EXPECT_EQ(ChildRect(form->Panel2->GetHandle()), Rect(7, 7, 193, 27));
  EXPECT_EQ(form->Panel1->GetPopupMenu(), form->PopupMenu1);
  HWND track1 = form->TrackBar1->GetHandle();
  EXPECT_EQ(SendMessageW(track1, TBM_GETRANGEMAX, 0, 0), 60);
  EXPECT_EQ(SendMessageW(track1, TBM_GETPOS, 0, 0), 15);
  EXPECT_EQ(GetWindowLongPtrW(form->TrackBar2->GetHandle(), GWL_STYLE) & (TBS_VERT | TBS_BOTH), TBS_VERT | TBS_BOTH);

  SaveScreenshot(form->GetHandle(), "classlib-stdctrls.bmp");
  auto pixels = Capture(form->GetHandle(), false);
  EXPECT_EQ(pixels->Canvas()->GetPixels(12, 12), clYellow);   // the label
  EXPECT_EQ(pixels->Canvas()->GetPixels(230, 90), clLime);    // the owner-drawn combo's colour
  EXPECT_EQ(pixels->Canvas()->GetPixels(20, 195), ColorToRGB(clInfoBk));  // the panel inside its bevels
  EXPECT_EQ(pixels->Canvas()->GetPixels(10, 120), ColorToRGB(clBtnHighlight));  // its raised edge
  EXPECT_EQ(pixels->Canvas()->GetPixels(20, 130), clAqua);    // the panel on it
}

// A check box set from code fires OnClick exactly when its state changes; a click toggles.
TEST_F(StdControlsTest, ACheckBoxFiresOnClickOnlyWhenItsStateChanges) {
  struct TStep {
    const char* What;
    std::function<void(TCheckBox*)> Do;
    bool Checked;
    std::vector<std::string> Log;
  } steps[] = {
      {"same value", [](TCheckBox* c) { c->SetChecked(true); }, true, {}},
      {"unchecked in code", [](TCheckBox* c) { c->SetChecked(false); }, false, {"check off"}},
      {"again", [](TCheckBox* c) { c->SetChecked(false); }, false, {}},
      {"a click", [](TCheckBox* c) { SendMessageW(c->GetHandle(), BM_CLICK, 0, 0); }, true, {"check on"}},
      {"by state", [](TCheckBox* c) { c->SetState(cbUnchecked); }, false, {"check off"}},
  };
  for (TStep& s : steps) {
    form->Log.clear();
    s.Do(form->CheckBox1);
    EXPECT_EQ(form->Log, s.Log) << s.What;
    EXPECT_EQ(form->CheckBox1->GetChecked(), s.Checked) << s.What;
    EXPECT_EQ(SendMessageW(form->CheckBox1->GetHandle(), BM_GETCHECK, 0, 0) == BST_CHECKED, s.Checked) << s.What;
  }
  // With AllowGrayed a click goes unchecked, checked, grayed, unchecked.
  std::vector<TCheckBoxState> seen;
  for (int i = 0; i < 4; ++i) {
    SendMessageW(form->CheckBox2->GetHandle(), BM_CLICK, 0, 0);
    seen.push_back(form->CheckBox2->GetState());
  }
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbUnchecked, cbChecked, cbGrayed, cbUnchecked}));
}

// OnChange tells what the user did, never what code did; an index beyond the list selects
// nothing and leaves no text.
TEST_F(StdControlsTest, AComboBoxTellsOnlyTheUsersChanges) {
  TComboBox* list = form->ComboBox1;
  list->SetItemIndex(2);
  list->SetText("Кукушка.wav");
  list->GetItems()->Add("Колокол.wav");
  EXPECT_EQ(list->GetItemIndex(), 0);
  EXPECT_TRUE(form->Log.empty());
  Key(list, VK_DOWN);  // the user picks the next one
  EXPECT_EQ(form->Log, (std::vector<std::string>{"combo1 1"}));
  EXPECT_EQ(list->GetText(), "Звонок.wav");

  struct TCase {
    TComboBox* Combo;
    int Index;
  } beyond[] = {{form->ComboBox1, 7}, {form->ComboBox1, -5}, {form->ComboBox2, 3}, {form->ComboBox3, 2}};
  for (const TCase& c : beyond) {
    c.Combo->SetItemIndex(0);
    c.Combo->SetItemIndex(c.Index);
    EXPECT_EQ(c.Combo->GetItemIndex(), -1) << c.Combo->GetName();
    EXPECT_EQ(c.Combo->GetText(), "") << c.Combo->GetName();
    EXPECT_EQ(SendMessageW(c.Combo->GetHandle(), CB_GETCURSEL, 0, 0), CB_ERR) << c.Combo->GetName();
  }

  // The drop-down's edit: typing is the user's change, setting the text is not.
  form->Log.clear();
  TComboBox* edit = form->ComboBox3;
  edit->SetText("Три");
  EXPECT_TRUE(form->Log.empty());
  HWND inner = FindChildByClass(edit->GetHandle(), L"Edit");
  ASSERT_NE(inner, nullptr);
  SendMessageW(inner, EM_SETSEL, 3, 3);
  SendMessageW(inner, WM_CHAR, L'!', 1);
  EXPECT_EQ(form->Log, (std::vector<std::string>{"combo3 Три!"}));

  // An owner-drawn box draws its items through OnDrawItem, on its own colour.
  std::vector<int> drawn;
  form->ComboBox2->OnDrawItem = [&](TWinControl* Control, int Index, TRect Rect, TOwnerDrawState) {
    auto* combo = static_cast<TComboBox*>(Control);
    combo->Canvas()->FillRect(Rect);
    drawn.push_back(Index);
  };
  form->ComboBox2->SetItemIndex(2);
  RedrawWindow(form->ComboBox2->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back(), 2);

  // The items outlive the window.
  list->SetItemIndex(3);
  list->SetStyle(csDropDown);
  EXPECT_EQ(SendMessageW(list->GetHandle(), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(list->GetText(), "Колокол.wav");
}

// The alarm time: digits typed over the blanks, literals kept, an incomplete time refused.
TEST_F(StdControlsTest, AMaskedEditTakesDigitsOverBlanksAndRefusesAnIncompleteTime) {
  TMaskEdit* edit = form->MaskEdit1;
  edit->SetText("");
  EXPECT_EQ(edit->GetEditText(), "__:__:__");
  ASSERT_TRUE(BringToFront(form->GetHandle()));
  edit->SetFocus();
  edit->SetSelStart(0);
  Type(edit, L"07x3");  // the letter is refused with a beep
  EXPECT_EQ(TextOf(edit->GetHandle()), L"07:3_:__");
  EXPECT_EQ(edit->GetSelStart(), 4);
  EXPECT_EQ(edit->GetText(), "07:3 :  ");
  EXPECT_TRUE(edit->GetModified());
  try {
    edit->ValidateEdit();
    ADD_FAILURE() << "an incomplete time passed";
  } catch (const EDBEditError& e) {
    EXPECT_EQ(e.Message, "Invalid input value");
  }
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(edit->GetSelStart(), 4);  // at the first fault

  Type(edit, L"0:15");  // typing a literal steps over it
  EXPECT_EQ(edit->GetEditText(), "07:30:15");
  EXPECT_NO_THROW(edit->ValidateEdit());
  Key(edit, VK_BACK);
  Type(edit, L"\b");
  EXPECT_EQ(edit->GetEditText(), "07:30:1_");
  edit->SetSelStart(2);
  Key(edit, VK_DELETE);  // at the literal: the next digit goes, the ':' stays
  EXPECT_EQ(edit->GetEditText(), "07:_0:1_");
  EXPECT_THROW(edit->ValidateEdit(), EDBEditError);

  // A value set in code is laid over the mask, and checked too.
  edit->SetText("06:00");
  EXPECT_EQ(edit->GetEditText(), "06:00:__");
  EXPECT_THROW(edit->ValidateEdit(), EDBEditError);
  edit->SetText("06:00:00");
  EXPECT_NO_THROW(edit->ValidateEdit());
  // The optional first digit left blank: the text, stored and set again, is the same time.
  edit->SetEditText("_7:05:09");
  edit->SetText(edit->GetText());
  EXPECT_EQ(edit->GetEditText(), "_7:05:09");
  EXPECT_NO_THROW(edit->ValidateEdit());
  edit->SetText("06:00:00");

  // Read-only: nothing typed or erased.
  edit->SetReadOnly(true);
  edit->SetSelStart(0);
  Type(edit, L"1\b");
  Key(edit, VK_DELETE);
  EXPECT_EQ(edit->GetEditText(), "06:00:00");
  EXPECT_EQ(form->Log.back(), "mask 06:00:00");
}

// The track bar's position and its change event, from code and from the keyboard.
TEST_F(StdControlsTest, ATrackBarTellsEveryChangeOfItsPosition) {
  TTrackBar* bar = form->TrackBar1;
  HWND w = bar->GetHandle();
  struct TStep {
    const char* What;
    std::function<void()> Do;
    int Position;
    std::vector<std::string> Log;
  } steps[] = {
      {"set", [&] { bar->SetPosition(30); }, 30, {"track 30"}},
      {"same", [&] { bar->SetPosition(30); }, 30, {}},
      {"beyond", [&] { bar->SetPosition(99); }, 60, {"track 60"}},
      {"smaller range", [&] { bar->SetMax(40); }, 40, {"track 40"}},
      {"min above max", [&] { bar->SetMin(50); }, 40, {}},
      {"a key", [&] { SendMessageW(w, WM_KEYDOWN, VK_LEFT, 1); }, 39, {"track 39"}},
  };
  for (TStep& s : steps) {
    form->Log.clear();
    s.Do();
    EXPECT_EQ(bar->GetPosition(), s.Position) << s.What;
    EXPECT_EQ(SendMessageW(w, TBM_GETPOS, 0, 0), s.Position) << s.What;
    EXPECT_EQ(form->Log, s.Log) << s.What;
  }
  EXPECT_EQ(SendMessageW(w, TBM_GETRANGEMAX, 0, 0), 40);
}

// The tray menu's items: read from the form, changed at run time (captions, enabled, checked)
// and shown as changed, clicked through their command.
TEST_F(StdControlsTest, PopupMenuItemsChangeAtRunTimeAndClick) {
  TPopupMenu* menu = form->PopupMenu1;
  ASSERT_EQ(menu->Items()->Count(), 4);
  EXPECT_EQ(menu->Items()->Items(1), form->N2);
  EXPECT_EQ(form->N2->Count(), 2);
  EXPECT_EQ(form->N8->Parent(), form->N2);
  EXPECT_EQ(menu->Items()->Find("Запуск заставки"), form->N4);
  EXPECT_TRUE(form->N3->IsLine());

  auto text = [](HMENU m, int i) {
    wchar_t buffer[128] = {};
    GetMenuStringW(m, static_cast<UINT>(i), buffer, 128, MF_BYPOSITION);
    return std::wstring(buffer);
  };
  auto state = [](HMENU m, int i) { return GetMenuState(m, static_cast<UINT>(i), MF_BYPOSITION); };
  HMENU h = menu->GetHandle();
  ASSERT_EQ(GetMenuItemCount(h), 4);
  EXPECT_EQ(text(h, 0), L"Сказать время");
  EXPECT_EQ(GetMenuDefaultItem(h, TRUE, 0), 0u);
  EXPECT_TRUE(state(h, 2) & MF_SEPARATOR);
  EXPECT_TRUE(state(h, 3) & MF_GRAYED);
  HMENU sub = GetSubMenu(h, 1);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(text(sub, 0), L"Опции...\tCtrl+O");
  EXPECT_TRUE(state(sub, 1) & MF_CHECKED);

  // What the clock does while a signal rings and when it ends.
  form->N1->SetCaption("Выключить сигнал будильника");
  form->N4->SetEnabled(true);
  form->N8->SetChecked(false);
  form->N5->SetVisible(false);
  h = menu->GetHandle();
  EXPECT_EQ(text(h, 0), L"Выключить сигнал будильника");
  EXPECT_FALSE(state(h, 3) & MF_GRAYED);
  sub = GetSubMenu(h, 1);
  EXPECT_EQ(GetMenuItemCount(sub), 1);
  EXPECT_FALSE(state(sub, 0) & MF_CHECKED);

  // A command clicks its item; a disabled one does nothing; OnClick may be reassigned.
  EXPECT_TRUE(menu->DispatchCommand(form->N1->Command()));
  form->N4->SetEnabled(false);
  EXPECT_FALSE(menu->DispatchCommand(form->N4->Command()));
  form->N1->OnClick = [&](TObject*) { form->Log.push_back("reassigned"); };
  menu->DispatchCommand(form->N1->Command());
  EXPECT_EQ(form->Log, (std::vector<std::string>{"click Выключить сигнал будильника", "reassigned"}));

  // Items added and deleted in code.
  auto* extra = new TMenuItem(form.get());
  extra->SetCaption("Ещё");
  menu->Items()->Insert(1, extra);
  EXPECT_EQ(GetMenuItemCount(menu->GetHandle()), 5);
  EXPECT_EQ(extra->GetMenuIndex(), 1);
  menu->Items()->Delete(1);
  EXPECT_EQ(menu->Items()->IndexOf(extra), -1);
  EXPECT_EQ(GetMenuItemCount(menu->GetHandle()), 4);
}

// The menu opens for real: on a right click of a control it belongs to, and the item the
// user picks is clicked once the menu closes.
TEST_F(StdControlsTest, APopupMenuOpensAndClicksTheChosenItem) {
  std::vector<WPARAM> keys;
  TDialogWatcher watcher(
      GetCurrentThreadId(), [](HWND w) { return ClassOf(w) == L"#32768"; },
      [&](HWND w) {
        for (WPARAM key : keys) PostMessageW(w, WM_KEYDOWN, key, 1);
      });
  keys = {VK_DOWN, VK_RETURN};
  form->PopupMenu1->Popup(200, 200);
  EXPECT_EQ(form->Log, (std::vector<std::string>{"popup", "click Сказать время"}));
  EXPECT_EQ(watcher.Seen(), 1);

  form->Log.clear();
  keys = {VK_ESCAPE};
  POINT at{30, 60};
  ClientToScreen(form->Panel1->GetHandle(), &at);
  SendMessageW(form->Panel1->GetHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->Panel1->GetHandle()),
               MAKELPARAM(at.x, at.y));
  EXPECT_EQ(form->Log, (std::vector<std::string>{"popup"}));
  EXPECT_EQ(form->PopupMenu1->PopupComponent(), form->Panel1);
}

// Written back, the form keeps what was read (defaults left out), and reads again alike.
TEST_F(StdControlsTest, TheControlsStreamBackAsTheyWereRead) {
  TStringStream binary, text;
  TWriter(&binary).WriteRootComponent(form.get());
  binary.SetPosition(0);
  ObjectBinaryToText(&binary, &text);
  std::string written = text.DataString();
  for (const char* expected : {
           "EditMask = '!90:00:00;1;_'", "Text = '07:30:00'", "Checked = True", "State = cbGrayed",
           "Style = csOwnerDrawFixed", "ItemIndex = 1", "Sorted = True", "BevelInner = bvLowered",
           "BorderWidth = 3", "Orientation = trVertical", "Position = 15", "Frequency = 10",
           "object N8: TMenuItem", "RadioItem = True", "ShortCut = 16463", "OnClick = N1Click",
           "FocusControl = MaskEdit1", "Layout = tlCenter", "PopupMenu = PopupMenu1"})
    EXPECT_NE(written.find(expected), std::string::npos) << expected;
  for (const char* absent : {"BevelOuter = bvRaised", "DropDownCount", "AutoPopup", "Min = 0"})
    EXPECT_EQ(written.find(absent), std::string::npos) << absent;
  // The menu items nest under their parent item.
  EXPECT_LT(written.find("object N2: TMenuItem"), written.find("object N5: TMenuItem"));
  EXPECT_LT(written.find("object N8: TMenuItem"), written.find("object N3: TMenuItem"));

  binary.SetPosition(0);
  std::unique_ptr<TStdControlsForm> again(new TStdControlsForm(Application, CreateNew));
  TReader(&binary).ReadRootComponent(again.get());
  EXPECT_EQ(again->MaskEdit1->GetEditText(), "07:30:00");
  EXPECT_EQ(again->ComboBox2->GetItems()->GetText(), "А\r\nБ\r\nВ\r\n");
  EXPECT_EQ(again->N2->Count(), 2);
  EXPECT_EQ(again->TrackBar1->GetPosition(), 15);
}

TEST(ShortCuts, RoundTripThroughTheirText) {
  struct TCase {
    WORD Key;
    TShiftState Shift;
    const char* Text;
  } cases[] = {
      {'O', {ssCtrl}, "Ctrl+O"},
      {VK_F5, {ssCtrl, ssAlt}, "Ctrl+Alt+F5"},
      {VK_DELETE, {ssShift}, "Shift+Del"},
      {'7', {ssShift, ssCtrl, ssAlt}, "Shift+Ctrl+Alt+7"},
      {VK_NUMPAD3, {}, "Num 3"},
  };
  for (const TCase& c : cases) {
    TShortCut s = ShortCut(c.Key, c.Shift);
    EXPECT_EQ(ShortCutToText(s), c.Text);
    EXPECT_EQ(TextToShortCut(c.Text), s) << c.Text;
    WORD key;
    TShiftState shift;
    ShortCutToKey(s, key, shift);
    EXPECT_EQ(key, c.Key);
    EXPECT_TRUE(shift == c.Shift) << c.Text;
  }
  EXPECT_EQ(ShortCut('S', {ssCtrl}), scCtrl | 'S');
  EXPECT_EQ(TextToShortCut("ctrl+alt+f5"), ShortCut(VK_F5, {ssCtrl, ssAlt}));
  EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), scNone);
  EXPECT_EQ(ShortCutToText(0), "");
}

}  // namespace

TEST(EditCharCase, TheWindowKeepsItsTextInTheCaseAndTypedLettersTakeIt) {
  std::unique_ptr<TForm> form(new TForm(nullptr, CreateNew));
  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  edit->SetText("Начало ");
  edit->HandleNeeded();
  edit->SetCharCase(ecLowerCase);  // the window is made anew with the style, and its text
  EXPECT_EQ(edit->GetText(), "начало ");
  EXPECT_TRUE(GetWindowLongW(edit->GetHandle(), GWL_STYLE) & ES_LOWERCASE);
  edit->SetSelStart(7);
  for (wchar_t c : std::wstring(L"ХлеБ")) SendMessageW(edit->GetHandle(), WM_CHAR, c, 0);
  EXPECT_EQ(edit->GetText(), "начало хлеб");
  edit->SetCharCase(ecUpperCase);
  EXPECT_TRUE(GetWindowLongW(edit->GetHandle(), GWL_STYLE) & ES_UPPERCASE);
  EXPECT_FALSE(GetWindowLongW(edit->GetHandle(), GWL_STYLE) & ES_LOWERCASE);
}
