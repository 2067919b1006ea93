// A form read right to left (BiDiMode bdRightToLeft) shows its kit label, owner-drawn
// button, pop-up notice and data grid (with its cell editor) mirrored, checked by their
// pixels on the desktop. A
// text that starts with a full stop shows the reading order: read right to left, the stop
// stands at the text's right end. The grid's twin and a label read left to right stand by.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "classlib/windows/application.h"
#include "classlib/data/db.h"
#include "classlib/windows/forms.h"
#include "classlib/windows/graphics.h"
#include "classlib/windows/stdctrls.h"
#include "controls/kitapp.h"
#include "controls/kitlabel.h"
#include "desktop/dskpopup.h"
#include "desktop/neatctrls.h"
#include "gridcal/dbgrid.h"
#include "memdataset.h"
#include "tests/classlib/gui_test_util.h"

using horavox::test::TMemDataSet;

namespace {

const char kText[] = ".НННН";  // a full stop, then letters with upright stems

bool Dark(TBitmap* B, int X, int Y) {
  std::uint32_t c = static_cast<std::uint32_t>(B->Canvas()->GetPixels(X, Y)) & 0xFFFFFF;
  return (c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF) < 200;
}

bool Red(TBitmap* B, int X, int Y) {
  return (static_cast<std::uint32_t>(B->Canvas()->GetPixels(X, Y)) & 0xFFFFFF) == 0x0000FF;
}

// The box of the dark pixels inside Area (empty when there are none).
TRect DarkBox(TBitmap* B, const TRect& Area) {
  TRect box{Area.Right, Area.Bottom, Area.Left, Area.Top};
  for (int y = Area.Top; y < Area.Bottom; ++y)
    for (int x = Area.Left; x < Area.Right; ++x)
      if (Dark(B, x, y)) {
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
      }
  return box.Left < box.Right ? box : TRect{};
}

// The highest dark pixel within two columns from X.
int TopOfColumns(TBitmap* B, const TRect& Box, int X) {
  for (int y = Box.Top; y < Box.Bottom; ++y)
    for (int x = X; x < X + 2; ++x)
      if (Dark(B, x, y)) return y;
  return Box.Bottom;
}

// Where the full stop of kText stands in Area: at the text's left or right end (or
// nowhere: "").
std::string StopAt(TBitmap* B, const TRect& Area) {
  TRect box = DarkBox(B, Area);
  if (box.Width() < 10) return "";
  int middle = box.Top + box.Height() / 2;
  bool left = TopOfColumns(B, box, box.Left) > middle, right = TopOfColumns(B, box, box.Right - 2) > middle;
  return left == right ? "" : left ? "left" : "right";
}

class RightToLeftTest : public ::testing::Test {
 public:
  RightToLeftTest() : form(new TForm(nullptr, CreateNew)) {
    form->SetBorderStyle(bsNone);
    form->SetFormStyle(fsStayOnTop);
    form->SetColor(clWhite);
    form->SetBounds(30, 30, 560, 330);
    form->SetBiDiMode(bdRightToLeft);
  }
  ~RightToLeftTest() override {
    form->BeforeDestruction();
    delete form;
  }
  void Show() {
    form->Show();
    guitest::BringToFront(form->GetHandle());
    guitest::PumpFor(100);
  }
  // The form's pixels, its children included.
  std::unique_ptr<TBitmap> Pixels() {
    RedrawWindow(form->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    guitest::PumpFor(50);
    return guitest::Capture(form->GetHandle(), false);
  }
  TRect Place(TControl* Control) { return Control->GetBoundsRect(); }

  TKitApplication kit{"horavox-rtl-test"};
  TKitApplicationScope kitScope{kit};
  TForm* form;
};

TEST_F(RightToLeftTest, KitLabelsReadAndAlignRightToLeft) {
  TKitLabel* labels[2];
  for (int i = 0; i < 2; ++i) {
    labels[i] = new TKitLabel(form);
    labels[i]->SetAutoSize(false);
    labels[i]->SetTransparent(false);
    labels[i]->SetColor(clWhite);
    labels[i]->GetFont()->SetColor(clBlack);
    labels[i]->GetFont()->SetHeight(-16);
    labels[i]->SetCaption(kText);
    labels[i]->SetBounds(10, 10 + i * 40, 300, 30);
    labels[i]->SetParent(form);
  }
  labels[1]->SetBiDiMode(bdLeftToRight);
  ASSERT_EQ(labels[0]->GetBiDiMode(), bdRightToLeft);  // from the form
  Show();
  auto pixels = Pixels();
  TRect rtl = DarkBox(pixels.get(), Place(labels[0])), ltr = DarkBox(pixels.get(), Place(labels[1]));
  // agTopLeft mirrored: at the right end; the stop at the text's right.
  EXPECT_GT(rtl.Left, 10 + 150) << "right to left";
  EXPECT_LT(ltr.Right, 10 + 150) << "left to right";
  EXPECT_EQ(StopAt(pixels.get(), Place(labels[0])), "right");
  EXPECT_EQ(StopAt(pixels.get(), Place(labels[1])), "left");
  EXPECT_EQ(labels[0]->TextFlags() & (DT_RIGHT | DT_RTLREADING), static_cast<unsigned>(DT_RIGHT | DT_RTLREADING));
  labels[0]->SetBiDiMode(bdRightToLeftReadingOnly);  // reads right to left, aligned as set
  EXPECT_EQ(labels[0]->TextFlags() & (DT_RIGHT | DT_RTLREADING), static_cast<unsigned>(DT_RTLREADING));
}

TEST_F(RightToLeftTest, TheOwnerDrawnButtonsGlyphGoesRightOfItsText) {
  TBitmap glyph;
  glyph.SetSize(16, 16);
  glyph.Canvas()->GetBrush()->SetColor(clRed);
  glyph.Canvas()->FillRect({0, 0, 16, 16});
  glyph.Canvas()->SetPixels(0, 15, clOlive);  // the transparent colour
  TNeatBtn* buttons[2];
  for (int i = 0; i < 2; ++i) {
    buttons[i] = new TNeatBtn(form);
    buttons[i]->SetBounds(10, 10 + i * 50, 200, 40);
    buttons[i]->SetCaption(kText);
    buttons[i]->SetSimpleView(true);
    buttons[i]->SetGlyph(&glyph);
    buttons[i]->SetLayout(blGlyphLeft);
    buttons[i]->SetParent(form);
  }
  buttons[1]->SetBiDiMode(bdLeftToRight);
  Show();
  auto pixels = Pixels();
  for (int i = 0; i < 2; ++i) {
    TRect r = Place(buttons[i]);
    int redLeft = r.Right, redRight = r.Left;
    for (int y = r.Top + 4; y < r.Bottom - 4; ++y)
      for (int x = r.Left + 4; x < r.Right - 4; ++x)
        if (Red(pixels.get(), x, y)) {
          redLeft = std::min(redLeft, x);
          redRight = std::max(redRight, x + 1);
        }
    ASSERT_LT(redLeft, redRight) << i;
    // The text is what is dark away from the glyph (inside the focus rectangle).
    TRect text = DarkBox(pixels.get(), i == 0 ? TRect{r.Left + 6, r.Top + 6, redLeft, r.Bottom - 6}
                                               : TRect{redRight, r.Top + 6, r.Right - 6, r.Bottom - 6});
    ASSERT_GT(text.Width(), 10) << i;
    if (i == 0) {
      EXPECT_GE(redLeft, text.Right) << "right to left: the glyph right of the text";
      EXPECT_EQ(StopAt(pixels.get(), text), "right");
    } else {
      EXPECT_LE(redRight, text.Left) << "left to right: the glyph left of the text";
      EXPECT_EQ(StopAt(pixels.get(), text), "left");
    }
  }
}

TEST_F(RightToLeftTest, APopUpNoticeReadsInTheOrderOfItsForm) {
  TDskPopUp popUp(form);
  popUp.Text = kText;
  popUp.GetFont()->SetHeight(-16);
  popUp.GetFont()->SetColor(clBlack);
  popUp.SetDlgType(mtCustom);
  popUp.TimeOut = 30;
  Show();
  ASSERT_TRUE(popUp.Show());
  TCustomForm* notice = nullptr;
  for (int i = 0; i < form->ComponentCount(); ++i)
    if (auto* f = dynamic_cast<TDskPopUpForm*>(form->Components(i))) notice = f;
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(notice->GetBiDiMode(), bdRightToLeft);
  guitest::PumpFor(100);
  RedrawWindow(notice->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  auto pixels = guitest::Capture(notice->GetHandle(), false);
  EXPECT_EQ(StopAt(pixels.get(), {4, 4, pixels->GetWidth() - 4, pixels->GetHeight() - 4}), "right");
  notice->Close();
  guitest::PumpFor(50);
}

class RightToLeftGridTest : public RightToLeftTest {
 public:
  RightToLeftGridTest() {
    ds = new TMemDataSet(form);
    ds->AddFieldDef("SOBITIE", ftString, 30);
    ds->AddFieldDef("NUM", ftInteger);
    source = new TDataSource(form);
    source->SetDataSet(ds);
    ds->Open();
    ds->AppendRecord({TVariant(String(kText)), TVariant(5)});
    ds->AppendRecord({TVariant(String(kText)), TVariant(6)});
    ds->First();
    for (int i = 0; i < 2; ++i) {
      grids[i] = new TDgDBGrid(form);
      grids[i]->SetBounds(10, 10 + i * 150, 500, 120);  // no column out of sight
      grids[i]->SetParent(form);
      grids[i]->GetFont()->SetHeight(-16);
      grids[i]->SetDataSource(source);
    }
    grids[1]->SetBiDiMode(bdLeftToRight);
  }
  // The grid's client area in the form's pixels.
  TRect Client(TDgDBGrid* Grid) {
    POINT p{0, 0};
    MapWindowPoints(Grid->GetHandle(), form->GetHandle(), &p, 1);
    RECT c{};
    GetClientRect(Grid->GetHandle(), &c);
    // A mirrored window maps its client origin to its right edge.
    int left = Grid->UseRightToLeftAlignment() ? p.x - c.right : p.x;
    return {left, p.y, left + c.right, p.y + c.bottom};
  }
  TMemDataSet* ds;
  TDataSource* source;
  TDgDBGrid* grids[2];
};

TEST_F(RightToLeftGridTest, TheGridIsMirroredAndItsTextReadsRightToLeft) {
  Show();
  ASSERT_TRUE(GetWindowLongW(grids[0]->GetHandle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
  EXPECT_FALSE(GetWindowLongW(grids[1]->GetHandle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
  auto pixels = Pixels();
  for (int i = 0; i < 2; ++i) {
    TRect c = Client(grids[i]);
    TRect row = grids[i]->CellRect(1, 1);  // the first data cell of the current record
    int top = c.Top + row.Top, bottom = c.Top + row.Bottom;
    // The indicator column, 11 pixels in the fixed colour with its arrow: at the right when
    // mirrored.
    TRect indicator = i == 0 ? TRect{c.Right - 11, top, c.Right, bottom} : TRect{c.Left, top, c.Left + 11, bottom};
    EXPECT_EQ(pixels->Canvas()->GetPixels(indicator.Left + 5, indicator.Top + 2) & 0xFFFFFF,
              ColorToRGB(clBtnFace) & 0xFFFFFF)
        << i;
    TRect arrow = DarkBox(pixels.get(), indicator);
    EXPECT_GT(arrow.Width(), 2) << i;
    // The text cell of the next record (not highlighted): the stop at the right when read
    // right to left.
    row = grids[i]->CellRect(1, 2);
    top = c.Top + row.Top, bottom = c.Top + row.Bottom;
    TRect cell = i == 0 ? TRect{c.Right - row.Right + 1, top + 1, c.Right - row.Left - 1, bottom - 1}
                        : TRect{c.Left + row.Left + 1, top + 1, c.Left + row.Right - 1, bottom - 1};
    EXPECT_EQ(StopAt(pixels.get(), cell), i == 0 ? "right" : "left") << i;
  }
}

TEST_F(RightToLeftGridTest, LeftAndRightSwapAndAClickFindsTheMirroredCell) {
  Show();
  TDgDBGrid* grid = grids[0];
  grid->SetFocus();
  guitest::PumpFor(20);
  ASSERT_EQ(grid->GetCol(), 1);
  SendMessageW(grid->GetHandle(), WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_EQ(grid->GetCol(), 2) << "left goes on to the next column";
  SendMessageW(grid->GetHandle(), WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(grid->GetCol(), 1);
  // A click in the middle of the cell beside the indicator, at the grid's right, lands in
  // the first column.
  TRect c = Client(grid);
  TRect row = grid->CellRect(1, 1);
  POINT screen{c.Right - (row.Left + row.Right) / 2, c.Top + (row.Top + row.Bottom) / 2};
  ClientToScreen(form->GetHandle(), &screen);
  SendMessageW(grid->GetHandle(), WM_KEYDOWN, VK_LEFT, 0);
  ASSERT_EQ(grid->GetCol(), 2);
  guitest::ClickScreen({screen.x, screen.y});
  guitest::PumpUntil([&] { return grid->GetCol() == 1; }, 2000);
  EXPECT_EQ(grid->GetCol(), 1);
}

TEST_F(RightToLeftGridTest, TheEditorsButtonAndTextAreaAreMirrored) {
  for (TDgDBGrid* grid : grids) {
    grid->GetColumns()->SetState(csCustomized);
    grid->GetColumns()->Items(0)->SetButtonStyle(cbsEllipsis);
  }
  Show();
  for (int i = 0; i < 2; ++i) {
    TDgDBGrid* grid = grids[i];
    grid->SetFocus();
    grid->SetEditorMode(true);
    guitest::PumpFor(50);
    auto* editor = dynamic_cast<TDgDBGridInplaceEdit*>(grid->InplaceEditor());
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->EditStyle(), esEllipsis);
    int w = editor->GetWidth(), b = editor->ButtonWidth();
    TRect button = editor->ButtonRect(), text = editor->EditRect();
    if (i == 0) {
      EXPECT_EQ(button, (TRect{0, 0, b, editor->GetHeight()}));
      EXPECT_EQ(text.Left, 2 + b);
      EXPECT_EQ(text.Right, w - 2);
    } else {
      EXPECT_EQ(button, (TRect{w - b, 0, w, editor->GetHeight()}));
      EXPECT_EQ(text.Right, w - 2 - b);
    }
    // The button's three dots where its rectangle says; the text unselected.
    SendMessageW(editor->GetHandle(), EM_SETSEL, 0, 0);

    RedrawWindow(editor->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    guitest::PumpFor(50);
    auto pixels = guitest::Capture(editor->GetHandle(), false);
    TRect dots = DarkBox(pixels.get(), {button.Left + 2, button.Top + 2, button.Right - 2, button.Bottom - 2});
    EXPECT_GT(dots.Width(), 2) << i;
    // The text stands in its area, beside the button.
    TRect written = DarkBox(pixels.get(), {text.Left, 0, text.Right, pixels->GetHeight()});
    EXPECT_GT(written.Width(), 10) << i;
    EXPECT_GE(written.Left, text.Left) << i;
    grid->SetEditorMode(false);
  }
}

}  // namespace
