// The standard controls in real windows, read from one form resource: what the windows
// show, and the behaviours the clock relies on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/application.h"
#include "classlib/mask.h"
#include "classlib/stdctrls.h"
#include "classlib/text.h"
#include "classlib/unicode.h"
#include "gui_test_util.h"

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
  std::vector<std::string> Log;

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

  SaveScreenshot(form->GetHandle(), "classlib-stdctrls.bmp");
  auto pixels = Capture(form->GetHandle(), false);
  EXPECT_EQ(pixels->Canvas()->GetPixels(12, 12), clYellow);   // the label
  EXPECT_EQ(pixels->Canvas()->GetPixels(230, 90), clLime);    // the owner-drawn combo's colour
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

  // Read-only: nothing typed or erased.
  edit->SetReadOnly(true);
  edit->SetSelStart(0);
  Type(edit, L"1\b");
  Key(edit, VK_DELETE);
  EXPECT_EQ(edit->GetEditText(), "06:00:00");
  EXPECT_EQ(form->Log.back(), "mask 06:00:00");
}

}  // namespace
