// The rest of the standard controls in real windows, read from one form resource: buttons
// with glyphs, radio buttons and groups, memo and list box, pages, spin and hotkey edits,
// bevels, images and image lists; the common dialogs' structures.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/windows/buttons.h"
#include "classlib/windows/comctrls.h"
#include "classlib/windows/commondialogs.h"
#include "classlib/windows/extctrls.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/windows/imglist.h"
#include "classlib/windows/spin.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/streams.h"
#include "classlib/core/text.h"
#include "gui_test_util.h"

#include <commctrl.h>

using namespace guitest;

class TMoreControlsForm : public TForm {
  HX_CLASS(TMoreControlsForm, TForm)
 public:
  using TForm::TForm;
  TLabel* Label1 = nullptr;
  TMemo* Memo1 = nullptr;
  TMemo* Memo2 = nullptr;
  TListBox* ListBox1 = nullptr;
  TRadioGroup* RadioGroup1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TRadioButton* RadioButton1 = nullptr;
  TRadioButton* RadioButton2 = nullptr;
  TPageControl* PageControl1 = nullptr;
  TTabSheet* TabSheet1 = nullptr;
  TTabSheet* TabSheet2 = nullptr;
  TTabSheet* TabSheet3 = nullptr;
  TSpinEdit* SpinEdit1 = nullptr;
  THotKey* HotKey1 = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TBitBtn* BitBtn2 = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;
  TSpeedButton* SpeedButton2 = nullptr;
  TSpeedButton* SpeedButton3 = nullptr;
  TBevel* Bevel1 = nullptr;
  TBevel* Bevel2 = nullptr;
  TImage* Image1 = nullptr;
  TImageList* ImageList1 = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
  TFontDialog* FontDialog1 = nullptr;
  TColorDialog* ColorDialog1 = nullptr;
  std::vector<std::string> Log;
  bool AllowPageChange = true;

  void Memo1Change(TObject*) { Log.push_back("memo"); }
  void ListBox1Click(TObject*) { Log.push_back("list " + IntToStr(ListBox1->GetItemIndex())); }
  void RadioGroup1Click(TObject*) { Log.push_back("group " + IntToStr(RadioGroup1->GetItemIndex())); }
  void PageControl1Change(TObject*) { Log.push_back("page " + PageControl1->GetActivePage()->GetCaption()); }
  void PageControl1Changing(TObject*, bool& Allow) {
    Log.push_back("changing");
    Allow = AllowPageChange;
  }
  void SpinEdit1Change(TObject*) { Log.push_back("spin " + SpinEdit1->GetText()); }
  void HotKey1Change(TObject*) { Log.push_back("hotkey " + ShortCutToText(HotKey1->GetHotKey())); }
  void BitBtn1Click(TObject*) { Log.push_back("bitbtn"); }
  void SpeedButtonClick(TObject* Sender) { Log.push_back("speed " + static_cast<TSpeedButton*>(Sender)->GetCaption()); }
  void FontDialog1Apply(TObject*, HWND) { Log.push_back("apply"); }
};

HX_PUBLISH(TMoreControlsForm, p) {
  p.Field("Label1", &TMoreControlsForm::Label1);
  p.Field("Memo1", &TMoreControlsForm::Memo1);
  p.Field("Memo2", &TMoreControlsForm::Memo2);
  p.Field("ListBox1", &TMoreControlsForm::ListBox1);
  p.Field("RadioGroup1", &TMoreControlsForm::RadioGroup1);
  p.Field("GroupBox1", &TMoreControlsForm::GroupBox1);
  p.Field("RadioButton1", &TMoreControlsForm::RadioButton1);
  p.Field("RadioButton2", &TMoreControlsForm::RadioButton2);
  p.Field("PageControl1", &TMoreControlsForm::PageControl1);
  p.Field("TabSheet1", &TMoreControlsForm::TabSheet1);
  p.Field("TabSheet2", &TMoreControlsForm::TabSheet2);
  p.Field("TabSheet3", &TMoreControlsForm::TabSheet3);
  p.Field("SpinEdit1", &TMoreControlsForm::SpinEdit1);
  p.Field("HotKey1", &TMoreControlsForm::HotKey1);
  p.Field("BitBtn1", &TMoreControlsForm::BitBtn1);
  p.Field("BitBtn2", &TMoreControlsForm::BitBtn2);
  p.Field("SpeedButton1", &TMoreControlsForm::SpeedButton1);
  p.Field("SpeedButton2", &TMoreControlsForm::SpeedButton2);
  p.Field("SpeedButton3", &TMoreControlsForm::SpeedButton3);
  p.Field("Bevel1", &TMoreControlsForm::Bevel1);
  p.Field("Bevel2", &TMoreControlsForm::Bevel2);
  p.Field("Image1", &TMoreControlsForm::Image1);
  p.Field("ImageList1", &TMoreControlsForm::ImageList1);
  p.Field("OpenDialog1", &TMoreControlsForm::OpenDialog1);
  p.Field("FontDialog1", &TMoreControlsForm::FontDialog1);
  p.Field("ColorDialog1", &TMoreControlsForm::ColorDialog1);
  p.Handler("Memo1Change", &TMoreControlsForm::Memo1Change);
  p.Handler("ListBox1Click", &TMoreControlsForm::ListBox1Click);
  p.Handler("RadioGroup1Click", &TMoreControlsForm::RadioGroup1Click);
  p.Handler("PageControl1Change", &TMoreControlsForm::PageControl1Change);
  p.Handler("PageControl1Changing", &TMoreControlsForm::PageControl1Changing);
  p.Handler("SpinEdit1Change", &TMoreControlsForm::SpinEdit1Change);
  p.Handler("HotKey1Change", &TMoreControlsForm::HotKey1Change);
  p.Handler("BitBtn1Click", &TMoreControlsForm::BitBtn1Click);
  p.Handler("SpeedButtonClick", &TMoreControlsForm::SpeedButtonClick);
  p.Handler("FontDialog1Apply", &TMoreControlsForm::FontDialog1Apply);
}

namespace {

// A Size x Size bitmap of one colour with a key-coloured (magenta) border, whose
// bottom-left pixel makes the border transparent.
std::unique_ptr<TBitmap> BorderedSquare(int Size, TColor Inside, int Count = 1) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(Size * Count, Size);
  TCanvas* c = bitmap->Canvas();
  c->GetBrush()->SetColor(clFuchsia);
  c->FillRect(Rect(0, 0, Size * Count, Size));
  c->GetBrush()->SetColor(Inside);
  for (int i = 0; i < Count; ++i) c->FillRect(Rect(i * Size + 2, 2, i * Size + Size - 2, Size - 2));
  return bitmap;
}

class MoreControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.reset(NewForm<TMoreControlsForm>(Application));
    form->Show();
    PumpFor(100);
    form->Log.clear();
  }
  void ClickAt(HWND Window, int X, int Y) {
    SendMessageW(Window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    SendMessageW(Window, WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
  }
  void ClickSpeedButton(TSpeedButton* Button) {
    ClickAt(form->GetHandle(), Button->GetLeft() + 5, Button->GetTop() + 5);
  }
  std::unique_ptr<TMoreControlsForm> form;
};

TEST_F(MoreControlsTest, AreReadFromTheFormResourceIntoTheirWindows) {
  struct TExpected {
    TWinControl* Control;
    const wchar_t* Class;
    TRect Bounds;
  } windows[] = {
      {form->Memo1, L"TMemo", Rect(10, 24, 160, 84)},
      {form->ListBox1, L"TListBox", Rect(170, 24, 280, 84)},
      {form->RadioGroup1, L"TRadioGroup", Rect(290, 10, 420, 90)},
      {form->PageControl1, L"TPageControl", Rect(10, 100, 280, 220)},
      {form->HotKey1, L"THotKey", Rect(290, 100, 420, 119)},
      {form->BitBtn1, L"TBitBtn", Rect(290, 130, 390, 160)},
  };
  for (const TExpected& e : windows) {
    HWND w = e.Control->GetHandle();
    EXPECT_EQ(ClassOf(w), e.Class);
    EXPECT_EQ(GetParent(w), form->GetHandle());
    EXPECT_EQ(ChildRect(w), e.Bounds) << e.Control->GetName();
  }
  EXPECT_EQ(TextOf(form->Memo1->GetHandle()), L"Первая строка\r\nВторая строка");
  EXPECT_EQ(form->Memo1->GetLines()->Count(), 2);
  EXPECT_TRUE(GetWindowLongPtrW(form->Memo1->GetHandle(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(SendMessageW(form->ListBox1->GetHandle(), LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(form->ListBox1->GetHandle(), LB_GETCURSEL, 0, 0), 2);

  // The radio group's buttons, the middle one checked; the group box's own buttons.
  ASSERT_EQ(form->RadioGroup1->ControlCount(), 3);
  for (int i = 0; i < 3; ++i) {
    HWND b = form->RadioGroup1->Buttons(i)->GetHandle();
    EXPECT_EQ(GetParent(b), form->RadioGroup1->GetHandle());
    EXPECT_EQ(SendMessageW(b, BM_GETCHECK, 0, 0), i == 1 ? BST_CHECKED : BST_UNCHECKED);
  }
  EXPECT_EQ(TextOf(form->RadioGroup1->Buttons(2)->GetHandle()), L"Аналоговые");
  EXPECT_EQ(SendMessageW(form->RadioButton2->GetHandle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(GetParent(form->RadioButton1->GetHandle()), form->GroupBox1->GetHandle());

  // Two tabs (the third page's is hidden), the second page shown inside the tabs' frame.
  HWND tabs = form->PageControl1->GetHandle();
  EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(form->PageControl1->PageCount(), 3);
  EXPECT_EQ(form->PageControl1->GetActivePageIndex(), 1);
  EXPECT_TRUE(IsWindowVisible(form->TabSheet2->GetHandle()));
  EXPECT_FALSE(IsWindowVisible(form->TabSheet1->GetHandle()));
  EXPECT_EQ(GetParent(form->TabSheet2->GetHandle()), tabs);
  TRect page = ChildRect(form->TabSheet2->GetHandle());
  EXPECT_GT(page.Top, 15);
  EXPECT_LT(page.Bottom, 120);
  EXPECT_EQ(TextOf(form->SpinEdit1->GetHandle()), L"170");
  EXPECT_NE(form->SpinEdit1->UpDownHandle(), nullptr);

  // Ctrl+Alt+A as the hotkey window keeps it.
  EXPECT_EQ(SendMessageW(form->HotKey1->GetHandle(), HKM_GETHOTKEY, 0, 0),
            MAKEWORD('A', HOTKEYF_CONTROL | HOTKEYF_ALT));
  EXPECT_EQ(form->HotKey1->GetHotKey(), 49217);

  EXPECT_EQ(GetWindowLongPtrW(form->BitBtn1->GetHandle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_EQ(form->BitBtn2->GetCaption(), "ОК");
  EXPECT_EQ(form->BitBtn2->GetModalResult(), mrOk);
  EXPECT_TRUE(form->BitBtn2->GetDefault());
  EXPECT_TRUE(form->SpeedButton1->GetDown());
  EXPECT_FALSE(form->SpeedButton2->GetDown());

  // Pictures set in code: a glyph on each bitmap button, a stretched image.
  form->BitBtn1->SetGlyph(BorderedSquare(16, clRed).get());
  form->BitBtn2->SetGlyph(BorderedSquare(16, clBlue).get());
  form->SpeedButton3->SetGlyph(BorderedSquare(12, clGreen).get());
  form->Image1->GetPicture()->SetBitmap(BorderedSquare(10, clYellow).get());
  PumpFor(100);
  SaveScreenshot(form->GetHandle(), "classlib-morectrls.bmp");
  auto pixels = Capture(form->GetHandle(), false);
  TCanvas* c = pixels->Canvas();
  // BitBtn1: the glyph left of the caption, its key colour transparent.
  TRect b1 = form->BitBtn1->GetBoundsRect();
  int redAt = -1;
  for (int x = b1.Left; x < b1.Right && redAt < 0; ++x)
    if (c->GetPixels(x, b1.Top + 15) == clRed) redAt = x;
  EXPECT_GT(redAt, b1.Left);
  EXPECT_LT(redAt, b1.Left + 40);
  for (int x = b1.Left; x < b1.Right; ++x) EXPECT_NE(c->GetPixels(x, b1.Top + 15), clFuchsia);
  // BitBtn2: the glyph above the caption, centred across.
  TRect b2 = form->BitBtn2->GetBoundsRect();
  EXPECT_EQ(c->GetPixels(b2.Left + 50, b2.Top + 15), clBlue);
  EXPECT_NE(c->GetPixels(b2.Left + 50, b2.Top + 38), clBlue);
  // The image stretched: yellow in its middle, its key colour kept (not transparent).
  EXPECT_EQ(c->GetPixels(60, 290), clYellow);
  EXPECT_EQ(c->GetPixels(11, 241), clFuchsia);
  // The raised bevel's top-left edge, the top line's shadow.
  EXPECT_EQ(c->GetPixels(410, 190), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(c->GetPixels(20, 230), ColorToRGB(clBtnShadow));
  EXPECT_EQ(c->GetPixels(20, 231), ColorToRGB(clBtnHighlight));
  // The flat speed button shows its glyph, but no edge while the mouse is elsewhere.
  TRect s3 = form->SpeedButton3->GetBoundsRect();
  EXPECT_EQ(c->GetPixels(s3.Left + 10, s3.Top + 12), clGreen);
  EXPECT_EQ(c->GetPixels(s3.Left, s3.Top), ColorToRGB(clBtnFace));
}

// Small glyph buttons with no caption, as the clock's countdown button: the whole glyph
// shows, centred on the face, its key colour the face's; a 24-bit glyph read from a bitmap
// file (as form data gives it) as well as one drawn in code.
TEST_F(MoreControlsTest, GlyphButtonsWithoutACaptionShowTheWholeGlyph) {
  // A red square with a green band at its right, on the key colour: not symmetric.
  auto glyph = [](TPixelFormat Format) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(Format);
    bitmap->SetSize(16, 16);
    TCanvas* c = bitmap->Canvas();
    for (auto [color, r] : {std::pair{clFuchsia, Rect(0, 0, 16, 16)}, std::pair{clRed, Rect(3, 3, 13, 13)},
                            std::pair{clLime, Rect(13, 3, 15, 13)}}) {
      c->GetBrush()->SetColor(color);
      c->FillRect(r);
    }
    return bitmap;
  };
  auto fromFile = [&](TPixelFormat Format) {
    TMemoryStream file;
    glyph(Format)->SaveToStream(&file);
    file.SetPosition(0);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromStream(&file);
    return bitmap;
  };
  auto bitBtn = [&](TBitmap* Glyph) {
    auto* button = new TBitBtn(form.get());
    button->SetGlyph(Glyph);
    return static_cast<TControl*>(button);
  };
  auto speedButton = [&](TBitmap* Glyph) {
    auto* button = new TSpeedButton(form.get());
    button->SetGlyph(Glyph);
    return static_cast<TControl*>(button);
  };
  struct TCase {
    const char* What;
    std::function<TControl*(TBitmap*)> Make;
    std::unique_ptr<TBitmap> Glyph;
  } cases[] = {
      {"bit button, 24-bit glyph from a file", bitBtn, fromFile(pf24bit)},
      {"bit button, 32-bit glyph drawn in code", bitBtn, glyph(pf32bit)},
      {"speed button, 24-bit glyph from a file", speedButton, fromFile(pf24bit)},
  };
  std::unique_ptr<TBitmap> expected = glyph(pf32bit);
  for (TCase& k : cases) {
    ASSERT_EQ(k.Glyph->GetWidth(), 16) << k.What;
    std::unique_ptr<TControl> button(k.Make(k.Glyph.get()));
    button->SetBounds(10, 330, 28, 24);
    button->SetParent(form.get());
    PumpFor(100);
    auto pixels = Capture(form->GetHandle(), false);
    // Either face is 24 x 20 inside a 2-pixel frame: the glyph 6 in and 4 down.
    const TPoint at{10 + 6, 330 + 4};
    int wrong = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        TColor want = expected->Canvas()->GetPixels(x, y);
        if (want == clFuchsia) want = static_cast<TColor>(ColorToRGB(clBtnFace));
        TColor seen = pixels->Canvas()->GetPixels(at.X + x, at.Y + y);
        if (seen != want && ++wrong <= 3)
          ADD_FAILURE() << k.What << ": glyph pixel (" << x << ", " << y << ") shows " << std::hex << seen
                        << ", not " << want;
      }
    EXPECT_EQ(wrong, 0) << k.What;
    if (wrong) SaveScreenshot(form->GetHandle(), "classlib-glyph-button.bmp");
  }
}

// A radio group tells a change of its item, clicked or set in code, once; a radio button
// checked unchecks its siblings.
TEST_F(MoreControlsTest, RadioGroupsAndButtonsKeepOneChecked) {
  TRadioGroup* group = form->RadioGroup1;
  struct TStep {
    const char* What;
    std::function<void()> Do;
    int Index;
    std::vector<std::string> Log;
  } steps[] = {
      {"same in code", [&] { group->SetItemIndex(1); }, 1, {}},
      {"in code", [&] { group->SetItemIndex(2); }, 2, {"group 2"}},
      {"a click", [&] { SendMessageW(group->Buttons(0)->GetHandle(), BM_CLICK, 0, 0); }, 0, {"group 0"}},
      {"clicked again", [&] { SendMessageW(group->Buttons(0)->GetHandle(), BM_CLICK, 0, 0); }, 0, {}},
      {"beyond the items", [&] { group->SetItemIndex(7); }, -1, {"group -1"}},
  };
  for (TStep& s : steps) {
    form->Log.clear();
    s.Do();
    EXPECT_EQ(group->GetItemIndex(), s.Index) << s.What;
    EXPECT_EQ(form->Log, s.Log) << s.What;
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(SendMessageW(group->Buttons(i)->GetHandle(), BM_GETCHECK, 0, 0) == BST_CHECKED, i == s.Index)
          << s.What << " " << i;
  }
  // Items changed at run time: the buttons follow, in two columns.
  group->SetColumns(2);
  group->GetItems()->Add("Четвёртый");
  ASSERT_EQ(group->ControlCount(), 4);
  EXPECT_EQ(group->Buttons(2)->GetLeft(), group->Buttons(0)->GetLeft() + (group->GetWidth() - 10) / 2);
  EXPECT_EQ(group->Buttons(2)->GetTop(), group->Buttons(0)->GetTop());

  SendMessageW(form->RadioButton1->GetHandle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(form->RadioButton1->GetChecked());
  EXPECT_FALSE(form->RadioButton2->GetChecked());
  EXPECT_EQ(SendMessageW(form->RadioButton2->GetHandle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(form->RadioButton1->GetTabStop());
  EXPECT_FALSE(form->RadioButton2->GetTabStop());
}

// Speed buttons of a group: one down at a time; AllowAllUp lets the last one up; a button
// without a group clicks and springs back.
TEST_F(MoreControlsTest, SpeedButtonsOfAGroupStayDownOneAtATime) {
  TSpeedButton* a = form->SpeedButton1;
  TSpeedButton* b = form->SpeedButton2;
  struct TStep {
    const char* What;
    std::function<void()> Do;
    bool ADown, BDown;
    std::vector<std::string> Log;
  } steps[] = {
      {"click b", [&] { ClickSpeedButton(b); }, false, true, {"speed Б"}},
      {"click b again", [&] { ClickSpeedButton(b); }, false, true, {"speed Б"}},
      {"a down in code", [&] { a->SetDown(true); }, true, false, {}},
      {"a up in code refused", [&] { a->SetDown(false); }, true, false, {}},
      {"all may be up", [&] { a->SetAllowAllUp(true); ClickSpeedButton(a); }, false, false, {"speed А"}},
      {"flat one", [&] { ClickSpeedButton(form->SpeedButton3); }, false, false, {"speed В"}},
  };
  for (TStep& s : steps) {
    form->Log.clear();
    s.Do();
    EXPECT_EQ(a->GetDown(), s.ADown) << s.What;
    EXPECT_EQ(b->GetDown(), s.BDown) << s.What;
    EXPECT_EQ(form->Log, s.Log) << s.What;
  }
  EXPECT_TRUE(b->GetAllowAllUp());  // the group shares it
  EXPECT_FALSE(form->SpeedButton3->GetDown());
  // A press dragged off the button is no click.
  form->Log.clear();
  HWND w = form->GetHandle();
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(b->GetLeft() + 5, b->GetTop() + 5));
  SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(b->GetLeft() + 80, b->GetTop() + 5));
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(b->GetLeft() + 80, b->GetTop() + 5));
  EXPECT_TRUE(form->Log.empty());
  EXPECT_FALSE(b->GetDown());
}

// The user's tab click asks OnChanging and tells OnChange; pages set in code tell nothing.
TEST_F(MoreControlsTest, APageControlSwitchesPages) {
  TPageControl* pages = form->PageControl1;
  HWND tabs = pages->GetHandle();
  auto clickTab = [&](int Tab) {
    RECT r{};
    SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(Tab), reinterpret_cast<LPARAM>(&r));
    ClickAt(tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };
  clickTab(0);
  EXPECT_EQ(form->Log, (std::vector<std::string>{"changing", "page Лист 1"}));
  EXPECT_EQ(pages->GetActivePage(), form->TabSheet1);
  EXPECT_TRUE(IsWindowVisible(form->Memo2->GetHandle()));
  EXPECT_FALSE(IsWindowVisible(form->TabSheet2->GetHandle()));

  form->Log.clear();
  form->AllowPageChange = false;
  clickTab(1);
  EXPECT_EQ(form->Log, (std::vector<std::string>{"changing"}));
  EXPECT_EQ(pages->GetActivePage(), form->TabSheet1);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);

  form->Log.clear();
  pages->SetActivePageIndex(2);  // a page without a tab, in code
  EXPECT_TRUE(form->Log.empty());
  EXPECT_TRUE(IsWindowVisible(form->TabSheet3->GetHandle()));
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), -1);

  // Its tab shown again, renamed, and a page freed: the tabs follow.
  form->TabSheet3->SetTabVisible(true);
  form->TabSheet3->SetCaption("Третий");
  EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
  wchar_t text[32] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = 32;
  SendMessageW(tabs, TCM_GETITEMW, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, L"Третий");
  delete form->TabSheet1;
  form->TabSheet1 = nullptr;
  EXPECT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(pages->GetActivePage(), form->TabSheet3);
  EXPECT_THROW(pages->Pages(5), EListError);
}

// The spin edit: arrows (keys and the up-down) step by Increment within the bounds; junk
// reads as the minimum and is put right on leaving.
TEST_F(MoreControlsTest, ASpinEditKeepsItsValueWithinItsBounds) {
  TSpinEdit* spin = form->SpinEdit1;
  HWND w = spin->GetHandle();
  spin->SetIncrement(20);
  struct TStep {
    const char* What;
    std::function<void()> Do;
    int Value;
    const wchar_t* Text;
  } steps[] = {
      {"up key", [&] { SendMessageW(w, WM_KEYDOWN, VK_UP, 1); }, 190, L"190"},
      {"up to the top", [&] { SendMessageW(w, WM_KEYDOWN, VK_UP, 1); }, 200, L"200"},
      {"down key", [&] { SendMessageW(w, WM_KEYDOWN, VK_DOWN, 1); }, 180, L"180"},
      {"below the bottom", [&] { spin->SetValue(3); }, 50, L"50"},
      {"the up arrow",
       [&] {
         RECT r;
         GetClientRect(spin->UpDownHandle(), &r);
         ClickAt(spin->UpDownHandle(), r.right / 2, 2);
       },
       70, L"70"},
      {"letters refused", [&] { SendMessageW(w, WM_CHAR, L'x', 1); }, 70, L"70"},
      {"junk text", [&] { spin->SetText("abc"); }, 50, L"abc"},
      {"bounds narrowed", [&] { spin->SetText("120"); spin->SetMaxValue(100); }, 100, L"100"},
  };
  for (TStep& s : steps) {
    s.Do();
    EXPECT_EQ(spin->GetValue(), s.Value) << s.What;
    EXPECT_EQ(TextOf(w), s.Text) << s.What;
  }
  EXPECT_EQ(form->Log.front(), "spin 190");
  // Leaving puts typed text back within the bounds.
  ASSERT_TRUE(BringToFront(form->GetHandle()));
  spin->SetFocus();
  SendMessageW(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"999"));
  form->Memo1->SetFocus();
  EXPECT_EQ(TextOf(w), L"100");
}

// The hotkey edit keeps a shortcut both ways; a key pressed without a modifier gets the
// replacement modifiers.
TEST_F(MoreControlsTest, AHotKeyEditKeepsAShortcut) {
  THotKey* edit = form->HotKey1;
  HWND w = edit->GetHandle();
  struct TCase {
    TShortCut Key;
    WPARAM Window;
  } cases[] = {
      {ShortCut('T', {ssCtrl, ssAlt}), MAKEWORD('T', HOTKEYF_CONTROL | HOTKEYF_ALT)},
      {ShortCut(VK_F5, {ssShift, ssCtrl}), MAKEWORD(VK_F5, HOTKEYF_SHIFT | HOTKEYF_CONTROL)},
      {scNone, 0},
  };
  for (const TCase& c : cases) {
    edit->SetHotKey(c.Key);
    EXPECT_EQ(static_cast<WPARAM>(SendMessageW(w, HKM_GETHOTKEY, 0, 0)), c.Window) << ShortCutToText(c.Key);
    EXPECT_EQ(edit->GetHotKey(), c.Key);
  }
  EXPECT_TRUE(form->Log.empty());  // nothing the user did

  ASSERT_TRUE(BringToFront(form->GetHandle()));
  edit->SetFocus();
  SendMessageW(w, WM_KEYDOWN, 'B', 1);
  SendMessageW(w, WM_KEYUP, 'B', 0xC0000001);
  EXPECT_EQ(edit->GetHotKey(), ShortCut('B', {ssCtrl, ssAlt}));
  ASSERT_FALSE(form->Log.empty());
  EXPECT_EQ(form->Log.back(), "hotkey Ctrl+Alt+B");

  // The key outlives the window.
  edit->SetHotKey(ShortCut('S', {ssCtrl, ssAlt}));
  edit->SetModifiers({hkShift, hkAlt});
  edit->SetVisible(false);
  form->RemoveControl(edit);
  form->InsertControl(edit);
  EXPECT_EQ(edit->GetHotKey(), ShortCut('S', {ssCtrl, ssAlt}));
}

// Memo lines live on the text; the list box's selection follows the user, not code.
TEST_F(MoreControlsTest, MemoLinesAndListBoxItems) {
  TStrings* lines = form->Memo1->GetLines();
  lines->Add("Третья");
  lines->Insert(0, "Нулевая");
  lines->Delete(1);
  lines->Put(0, "Начало");
  EXPECT_EQ(TextOf(form->Memo1->GetHandle()), L"Начало\r\nВторая строка\r\nТретья");
  EXPECT_EQ(lines->GetText(), "Начало\r\nВторая строка\r\nТретья\r\n");
  lines->BeginUpdate();
  lines->Clear();
  lines->Add("Одна");
  lines->Add("Две");
  EXPECT_EQ(TextOf(form->Memo1->GetHandle()), L"Начало\r\nВторая строка\r\nТретья");
  lines->EndUpdate();
  EXPECT_EQ(TextOf(form->Memo1->GetHandle()), L"Одна\r\nДве");
  EXPECT_EQ(lines->Count(), 2);
  EXPECT_THROW(lines->Get(2), EListError);

  TListBox* list = form->ListBox1;
  form->Log.clear();
  list->SetItemIndex(0);
  list->GetItems()->Insert(0, "Колокол");
  EXPECT_EQ(list->GetItemIndex(), 1);  // the selection moved with its item
  EXPECT_TRUE(form->Log.empty());
  TRect item = list->ItemRect(3);  // the user clicks the last item
  ClickAt(list->GetHandle(), item.Left + 5, item.Top + 3);
  EXPECT_EQ(form->Log, (std::vector<std::string>{"list 3"}));
  list->SetItemIndex(2);  // "Звонок"
  list->SetSorted(true);
  EXPECT_EQ(list->GetItems()->GetText(), "Гонг\r\nЗвонок\r\nКолокол\r\nКукушка\r\n");
  EXPECT_EQ(list->GetItemIndex(), 1);
  list->SetItemIndex(9);
  EXPECT_EQ(list->GetItemIndex(), -1);

  list->SetMultiSelect(true);
  list->SetSelected(0, true);
  list->SetSelected(3, true);
  EXPECT_EQ(list->SelCount(), 2);
  EXPECT_EQ(SendMessageW(list->GetHandle(), LB_GETSELCOUNT, 0, 0), 2);
  EXPECT_TRUE(list->GetSelected(3));
  EXPECT_THROW(list->GetSelected(4), EListError);
}

// A picture is clicked like any control (the about box plays its sound on a click).
TEST_F(MoreControlsTest, AnImageIsClickedLikeAnyControl) {
  int clicks = 0;
  form->Image1->OnClick = [&](TObject*) { ++clicks; };
  TRect r = form->Image1->GetBoundsRect();
  ClickAt(form->GetHandle(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  EXPECT_EQ(clicks, 1);
}

// Before a combo box or a list box has a window its selection follows inserted, deleted and
// sorted items, and the window made later shows it.
TEST_F(MoreControlsTest, ListControlsWithoutAWindowKeepTheSelectionWithTheirItems) {
  auto check = [&](auto* control, const char* name) {
    ASSERT_FALSE(control->HandleAllocated()) << name;
    TStrings* items = control->GetItems();
    items->Add("Гонг");
    items->Add("Звонок");
    items->Add("Кукушка");
    control->SetItemIndex(1);
    items->Insert(0, "Колокол");
    EXPECT_EQ(control->GetItemIndex(), 2) << name;
    items->Delete(0);
    EXPECT_EQ(control->GetItemIndex(), 1) << name;
    items->Delete(1);  // the selected one
    EXPECT_EQ(control->GetItemIndex(), -1) << name;
    items->Add("Бубен");
    control->SetItemIndex(2);
    control->SetSorted(true);
    EXPECT_EQ(items->GetText(), "Бубен\r\nГонг\r\nКукушка\r\n") << name;
    EXPECT_EQ(control->GetItemIndex(), 0) << name;
    control->SetParent(form.get());
    control->HandleNeeded();
    EXPECT_EQ(control->GetItemIndex(), 0) << name;
    items->Clear();
    EXPECT_EQ(control->GetItemIndex(), -1) << name;
  };
  check(new TComboBox(form.get()), "combo box");
  check(new TListBox(form.get()), "list box");

  // A multiple selection moves with its items too.
  auto* list = new TListBox(form.get());
  list->SetMultiSelect(true);
  for (const char* s : {"Гонг", "Звонок", "Кукушка"}) list->GetItems()->Add(s);
  list->SetSelected(0, true);
  list->SetSelected(2, true);
  list->GetItems()->Insert(1, "Колокол");
  list->GetItems()->Delete(0);
  list->SetParent(form.get());
  list->HandleNeeded();
  EXPECT_EQ(SendMessageW(list->GetHandle(), LB_GETSELCOUNT, 0, 0), 1);
  EXPECT_TRUE(list->GetSelected(2));
}

// An owner-drawn list box asks each item's height of OnMeasureItem (a fixed one takes
// ItemHeight) and draws its items through OnDrawItem on its canvas.
TEST_F(MoreControlsTest, AnOwnerDrawnListBoxMeasuresAndDrawsItsItems) {
  struct TCase {
    TListBoxStyle Style;
    std::vector<int> Heights;
  } cases[] = {{lbOwnerDrawFixed, {20, 20, 20}}, {lbOwnerDrawVariable, {12, 16, 20}}};
  for (const TCase& c : cases) {
    auto* list = new TListBox(form.get());
    list->SetStyle(c.Style);
    list->SetItemHeight(20);
    list->SetBounds(300, 10, 120, 100);
    list->OnMeasureItem = [](TWinControl*, int Index, int& Height) { Height = 12 + 4 * Index; };
    std::vector<int> drawn;
    list->OnDrawItem = [&](TWinControl* Control, int Index, TRect Rect, TOwnerDrawState) {
      static_cast<TListBox*>(Control)->Canvas()->FillRect(Rect);
      drawn.push_back(Index);
    };
    for (const char* s : {"Гонг", "Звонок", "Кукушка"}) list->GetItems()->Add(s);
    list->SetParent(form.get());
    list->HandleNeeded();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list->ItemRect(i).Height(), c.Heights[i]) << c.Style << " item " << i;
    RedrawWindow(list->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    std::sort(drawn.begin(), drawn.end());
    drawn.erase(std::unique(drawn.begin(), drawn.end()), drawn.end());
    EXPECT_EQ(drawn, (std::vector<int>{0, 1, 2})) << c.Style;
    delete list;
  }
}

// The columns [From, To) of a picture's rows [Top, Bottom) that hold anything but
// Background: the first and the last (-1, -1 when none; To 0: up to the right edge).
std::pair<int, int> InkColumns(TBitmap& Picture, int Top, int Bottom, TColor Background, int From = 0, int To = 0) {
  std::pair<int, int> span{-1, -1};
  for (int x = From; x < (To > 0 ? To : Picture.GetWidth()); ++x)
    for (int y = Top; y < Bottom; ++y)
      if (Picture.Canvas()->GetPixels(x, y) != Background) {
        if (span.first < 0) span.first = x;
        span.second = x;
        break;
      }
  return span;
}

// A group box's caption is drawn whole: as wide as the same text written freely in the
// same font (the frame line resumes only after it).
TEST_F(MoreControlsTest, AGroupBoxCaptionIsDrawnWhole) {
  const String caption = "Автовыключение сигналов";
  TGroupBox* box = form->GroupBox1;
  box->SetCaption(caption);
  form->SetWidth(form->GetWidth() + 300);
  box->SetWidth(300);
  box->SetColor(clWhite);
  TBitmap written;
  written.SetSize(300, 30);
  written.Canvas()->GetBrush()->SetColor(clWhite);
  written.Canvas()->FillRect(Rect(0, 0, 300, 30));
  written.Canvas()->GetFont()->Assign(box->GetFont());
  written.Canvas()->TextOut(0, 0, caption);
  // Below the frame's top line (2 rows from the middle of the caption's height) and within
  // the frame's sides only the caption is drawn: the same rows of both, where every letter
  // has ink whatever the face's ascent.
  const int height = written.Canvas()->TextHeight(caption), lineRow = height / 2 - 1;
  auto free = InkColumns(written, lineRow + 2, height, clWhite);
  ASSERT_GT(free.second - free.first, 50);
  // The box's pixels are read off the display: another program's window passing over it
  // spoils a reading, which is taken again.
  std::pair<int, int> inBox;
  for (int attempt = 0; attempt < 3; ++attempt) {
    BringToFront(form->GetHandle());
    box->Repaint();
    PumpFor(100);
    inBox = InkColumns(*Capture(box->GetHandle(), false), lineRow + 2, height, clWhite, 4, box->GetWidth() - 4);
    if (inBox.second - inBox.first == free.second - free.first) break;
  }
  EXPECT_EQ(inBox.second - inBox.first, free.second - free.first);
}

// Alt with a letter: a label focuses its control, a group box its first control, a button
// clicks.
TEST_F(MoreControlsTest, AltWithALetterReachesItsControl) {
  // Alt with a letter pressed in a control, through the message loop as the keyboard sends
  // it. Tests run side by side on one display, and another program taking the foreground
  // takes the focus along: a press that did not reach is made again from the start, a few
  // times, so only a press that never reaches fails.
  auto altKey = [&](TWinControl* From, wchar_t Letter, const std::function<bool()>& Reached) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      BringToFront(form->GetHandle());
      PumpFor(30);  // the activation settles
      From->SetFocus();
      form->Log.clear();
      PostMessageW(From->GetHandle(), WM_SYSCHAR, Letter, 1 << 29);
      PumpFor(50);
      if (Reached()) return true;
    }
    return false;
  };
  EXPECT_TRUE(altKey(form->ListBox1, L'з', [&] { return form->Memo1->Focused(); }));
  // The group's first tab stop: its checked radio button.
  EXPECT_TRUE(altKey(form->Memo1, L'Г', [&] { return form->RadioButton2->Focused(); }));
  form->BitBtn1->SetCaption("&Закрыть");
  form->Label1->SetCaption("За&писки");
  EXPECT_TRUE(altKey(form->RadioButton2, L'з', [&] { return !form->Log.empty(); }));
  EXPECT_EQ(form->Log, (std::vector<std::string>{"bitbtn"}));
}

TEST(ButtonLayout, PlacesTheGlyphAndTheCaption) {
  // A 100 x 40 face, a 16 x 16 glyph, a 30 x 13 caption.
  struct TCase {
    TButtonLayout Layout;
    int Margin, Spacing;
    TPoint Glyph;
    TRect Text;
  } cases[] = {
      {blGlyphLeft, -1, 4, {25, 12}, Rect(45, 14, 75, 27)},
      {blGlyphRight, -1, 4, {59, 12}, Rect(25, 14, 55, 27)},
      {blGlyphLeft, 5, 4, {5, 12}, Rect(25, 14, 55, 27)},
      {blGlyphLeft, -1, -1, {18, 12}, Rect(52, 14, 82, 27)},
      {blGlyphTop, -1, 2, {42, 5}, Rect(35, 23, 65, 36)},
      {blGlyphBottom, 3, 2, {42, 21}, Rect(35, 6, 65, 19)},
  };
  for (const TCase& c : cases) {
    TPoint glyph;
    TRect text;
    CalcButtonLayout({100, 40}, {16, 16}, {30, 13}, c.Layout, c.Margin, c.Spacing, glyph, text);
    EXPECT_EQ(glyph, c.Glyph) << c.Layout << " " << c.Margin << " " << c.Spacing;
    EXPECT_EQ(text, c.Text) << c.Layout << " " << c.Margin << " " << c.Spacing;
  }
  // No glyph: the caption alone, centred.
  TPoint glyph;
  TRect text;
  CalcButtonLayout({100, 40}, {0, 0}, {30, 13}, blGlyphLeft, -1, 4, glyph, text);
  EXPECT_EQ(text, Rect(35, 14, 65, 27));
}

TEST(ImageList, KeepsMaskedImagesAndStreamsThem) {
  TImageList list(nullptr);
  list.SetWidth(8);
  list.SetHeight(8);
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(list.AddMasked(BorderedSquare(8, clRed, 2).get(), clDefault), 0);  // a strip of two
  EXPECT_EQ(list.AddMasked(BorderedSquare(8, clBlue).get(), clFuchsia), 2);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(changes, 2);

  // Drawn on white: the key colour stays white.
  TBitmap target;
  target.SetSize(30, 10);
  target.Canvas()->GetBrush()->SetColor(clWhite);
  target.Canvas()->FillRect(Rect(0, 0, 30, 10));
  list.Draw(target.Canvas(), 10, 1, 2);
  EXPECT_EQ(target.Canvas()->GetPixels(14, 5), clBlue);
  EXPECT_EQ(target.Canvas()->GetPixels(10, 1), clWhite);
  list.Draw(target.Canvas(), 20, 1, 7);  // out of range: nothing
  EXPECT_EQ(target.Canvas()->GetPixels(24, 5), clWhite);

  TBitmap image;
  list.GetBitmap(1, &image);
  EXPECT_EQ(image.GetWidth(), 8);
  EXPECT_EQ(image.Canvas()->GetPixels(4, 4), clRed);
  EXPECT_THROW(list.GetBitmap(3, &image), EListError);
  list.Delete(0);
  ASSERT_EQ(list.Count(), 2);
  list.GetBitmap(1, &image);
  EXPECT_EQ(image.Canvas()->GetPixels(4, 4), clBlue);

  // Through a form stream and back: the images and their masks.
  TMemoryStream stream;
  TWriter(&stream).WriteRootComponent(&list);
  stream.SetPosition(0);
  TImageList again(nullptr);
  TReader(&stream).ReadRootComponent(&again);
  ASSERT_EQ(again.Count(), 2);
  EXPECT_EQ(again.GetWidth(), 8);
  target.Canvas()->FillRect(Rect(0, 0, 30, 10));
  again.Draw(target.Canvas(), 0, 0, 1);
  EXPECT_EQ(target.Canvas()->GetPixels(4, 4), clBlue);
  EXPECT_EQ(target.Canvas()->GetPixels(0, 0), clWhite);

  // Cut-short data is refused.
  TMemoryStream cut;
  stream.SetPosition(0);
  cut.CopyFrom(&stream, stream.GetSize() - 40);
  cut.SetPosition(0);
  TImageList broken(nullptr);
  EXPECT_THROW(TReader(&cut).ReadRootComponent(&broken), EReadError);
}

// The dialogs build what the system is handed, and read back what it returns; none is shown.
TEST_F(MoreControlsTest, CommonDialogsBuildTheirStructures) {
  TOpenDialog* open = form->OpenDialog1;
  open->SetInitialDir("C:\\Программы");
  open->SetDefaultExt(".exe");
  open->SetFileName("старт.exe");
  auto params = open->BuildParams(form->GetHandle());
  const OPENFILENAMEW& ofn = params->Ofn;
  EXPECT_EQ(ofn.lStructSize, sizeof(OPENFILENAMEW));
  EXPECT_EQ(std::wstring(ofn.lpstrFilter, params->Filter.size()),
            std::wstring(L"Программы\0*.exe;*.com\0Все файлы\0*.*\0\0", 37));
  EXPECT_EQ(ofn.nFilterIndex, 1u);
  EXPECT_STREQ(ofn.lpstrTitle, L"Выбор программы");
  EXPECT_STREQ(ofn.lpstrInitialDir, L"C:\\Программы");
  EXPECT_STREQ(ofn.lpstrDefExt, L"exe");
  EXPECT_STREQ(ofn.lpstrFile, L"старт.exe");
  EXPECT_EQ(ofn.Flags & (OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_FILEMUSTEXIST),
            static_cast<DWORD>(OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_ENABLESIZING));

  // Several files chosen: the folder, then each name.
  std::wstring chosen(L"C:\\Музыка\0a.wav\0б.mp3\0\0", 23);
  std::copy(chosen.begin(), chosen.end(), params->FileBuffer.begin());
  params->Ofn.nFilterIndex = 2;
  open->TakeResult(*params);
  ASSERT_EQ(open->Files()->Count(), 2);
  EXPECT_EQ(open->Files()->Get(1), "C:\\Музыка\\б.mp3");
  EXPECT_EQ(open->GetFileName(), "C:\\Музыка\\a.wav");
  EXPECT_EQ(open->GetFilterIndex(), 2);
  std::wstring one(L"D:\\one.exe\0\0", 12);
  std::copy(one.begin(), one.end(), params->FileBuffer.begin());
  open->TakeResult(*params);
  EXPECT_EQ(open->Files()->Count(), 1);
  EXPECT_EQ(open->GetFileName(), "D:\\one.exe");

  TColorDialog* color = form->ColorDialog1;
  color->GetCustomColors()->Add("ColorB=00FF00");
  color->GetCustomColors()->Add("ColorC=zz");
  auto cc = color->BuildParams(nullptr);
  EXPECT_EQ(cc->Cc.rgbResult, RGB(255, 0, 0));
  EXPECT_TRUE(cc->Cc.Flags & CC_RGBINIT);
  EXPECT_EQ(cc->Custom[1], RGB(0, 255, 0));
  EXPECT_EQ(cc->Custom[2], RGB(255, 255, 255));
  cc->Cc.rgbResult = RGB(1, 2, 3);
  color->TakeResult(*cc);
  EXPECT_EQ(color->GetColor(), static_cast<TColor>(RGB(1, 2, 3)));
  EXPECT_EQ(color->GetCustomColors()->GetValue("ColorB"), "00FF00");

  TFontDialog* font = form->FontDialog1;
  auto cf = font->BuildParams(form->GetHandle());
  EXPECT_STREQ(cf->LogFont.lfFaceName, L"Tahoma");
  EXPECT_EQ(cf->LogFont.lfHeight, -11);
  EXPECT_EQ(cf->Cf.Flags & (CF_EFFECTS | CF_APPLY | CF_INITTOLOGFONTSTRUCT),
            static_cast<DWORD>(CF_EFFECTS | CF_APPLY | CF_INITTOLOGFONTSTRUCT));
  LOGFONTW chosenFont = cf->LogFont;
  wcscpy(chosenFont.lfFaceName, L"Arial");
  chosenFont.lfHeight = -20;
  chosenFont.lfWeight = FW_BOLD;
  font->TakeResult(chosenFont, RGB(0, 0, 255));
  EXPECT_EQ(font->GetFont()->GetName(), "Arial");
  EXPECT_EQ(font->GetFont()->GetHeight(), -20);
  EXPECT_TRUE(font->GetFont()->GetStyle().Contains(fsBold));
  EXPECT_EQ(font->GetFont()->GetColor(), clBlue);
}

// Written back, the form keeps what was read (defaults left out), and reads again alike.
TEST_F(MoreControlsTest, TheControlsStreamBackAsTheyWereRead) {
  form->BitBtn1->SetGlyph(BorderedSquare(16, clRed).get());
  TStringStream binary, text;
  TWriter(&binary).WriteRootComponent(form.get());
  binary.SetPosition(0);
  ObjectBinaryToText(&binary, &text);
  std::string written = text.DataString();
  for (const char* expected :
       {"ActivePage = TabSheet2", "object TabSheet1: TTabSheet", "TabVisible = False", "MaxValue = 200",
        "Value = 170", "HotKey = 49217", "Modifiers = [hkCtrl, hkAlt]", "Kind = bkOK", "Layout = blGlyphTop",
        "Glyph.Data = {", "GroupIndex = 1", "Down = True", "Shape = bsTopLine", "Style = bsRaised",
        "Stretch = True", "ItemIndex = 1", "Options = [ofHideReadOnly, ofAllowMultiSelect, ofEnableSizing]",
        "ScrollBars = ssVertical", "OnChanging = PageControl1Changing", "Color = clRed"})
    EXPECT_NE(written.find(expected), std::string::npos) << expected;
  // No radio buttons of the group, no bounds of the pages, no defaults.
  for (const char* absent : {"'Маленькие'\n    object", "TabSheet1: TTabSheet\n      Left", "NumGlyphs",
                             "Margin", "InvalidKeys", "FilterIndex"})
    EXPECT_EQ(written.find(absent), std::string::npos) << absent;

  binary.SetPosition(0);
  std::unique_ptr<TMoreControlsForm> again(new TMoreControlsForm(Application, CreateNew));
  TReader(&binary).ReadRootComponent(again.get());
  EXPECT_EQ(again->RadioGroup1->GetItemIndex(), 1);
  EXPECT_EQ(again->RadioGroup1->ControlCount(), 3);
  EXPECT_EQ(again->PageControl1->GetActivePage(), again->TabSheet2);
  EXPECT_EQ(again->SpinEdit1->GetValue(), 170);
  EXPECT_EQ(again->BitBtn1->GetGlyph()->GetWidth(), 16);
  EXPECT_EQ(again->Memo1->GetLines()->Count(), 2);
  EXPECT_TRUE(again->SpeedButton1->GetDown());
}

}  // namespace
