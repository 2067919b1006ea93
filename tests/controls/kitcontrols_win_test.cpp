// The control bases: what a transparent panel shows under it (its colour, the form's
// shape, a transparent parent's background, through a window border), when the focus
// events run, and what the bounds-changed operation is told.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "classlib/windows/forms.h"
#include "controls/kitcontrols.h"
#include "controls/kitshape.h"
#include "kit_form_text.h"
#include "tests/classlib/gui_test_util.h"

// Records what the bounds-changed operation is told.
class TKitBoundsProbe : public TKitBaseGraphicControl {
  HX_CLASS(TKitBoundsProbe, TKitBaseGraphicControl)
 public:
  using TKitBaseGraphicControl::TKitBaseGraphicControl;
  std::vector<int> Seen;

 protected:
  void BoundsChanged(int Changes) override {
    Seen.push_back(Changes);
    TKitBaseGraphicControl::BoundsChanged(Changes);
  }
};
HX_PUBLISH(TKitBoundsProbe, p) {}

namespace {

class TTestPanel : public TKitCustomBevelPanel {
 public:
  using TKitCustomBevelPanel::TKitCustomBevelPanel;
};

// No class of the kit switches the flat frame on; a descendant can.
class TFlatPanel : public TKitCustomBevelPanel {
 public:
  explicit TFlatPanel(TComponent* AOwner) : TKitCustomBevelPanel(AOwner) { FFlatFrame = true; }
};

// The window's client area as its own paint draws it, into a bitmap of its size.
std::unique_ptr<TBitmap> PaintedClient(TWinControl* Control) {
  auto bitmap = std::make_unique<TBitmap>();
  TRect client = Control->ClientRect();
  bitmap->SetSize(client.Width(), client.Height());
  SendMessageW(Control->GetHandle(), WM_PAINT, reinterpret_cast<WPARAM>(bitmap->Canvas()->GetHandle()), 0);
  return bitmap;
}

std::uint32_t Rgb(TCanvas* Canvas, int X, int Y) { return static_cast<std::uint32_t>(Canvas->GetPixels(X, Y)) & 0xFFFFFF; }

class KitControlBasesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr, CreateNew);
    form->SetBorderStyle(bsNone);
    form->SetBounds(40, 40, 300, 200);
    form->SetColor(clBlack);
  }
  void TearDown() override { delete form; }
  TKitFormShape* AddGradientShape() {
    auto* shape = new TKitFormShape(form);
    shape->GetRegion()->SetShape(TKitRegionShape::rsRect);
    shape->GetFillObject()->SetStyle(TKitFillStyle::sfGradient);
    shape->GetFillObject()->GetGradient()->SetColor(clRed);
    shape->GetFillObject()->GetGradient()->SetEndColor(clBlue);
    shape->GetFillObject()->GetGradient()->SetColorCount(200);
    return shape;
  }
  TTestPanel* AddPanel(TWinControl* Parent, int X, int Y, int W, int H) {
    auto* panel = new TTestPanel(form);
    panel->SetParent(Parent);
    panel->SetBounds(X, Y, W, H);
    panel->SetColor(clYellow);
    panel->SetTransparent(true);
    return panel;
  }
  // The panel's client pixels against the provider's at Origin (the client's place in it).
  void ExpectBackground(TWinControl* Panel, TBitmap* Background, TPoint Origin) {
    auto painted = PaintedClient(Panel);
    int wrong = 0;
    for (int y = 0; y < painted->GetHeight(); y += 3)
      for (int x = 0; x < painted->GetWidth(); x += 3)
        if (Rgb(painted->Canvas(), x, y) != Rgb(Background->Canvas(), Origin.X + x, Origin.Y + y)) ++wrong;
    EXPECT_EQ(wrong, 0);
  }
  TForm* form;
};

TEST_F(KitControlBasesTest, ATransparentPanelOnAPlainFormErasesWithItsColor) {
  TTestPanel* panel = AddPanel(form, 10, 10, 60, 40);
  form->Show();
  EXPECT_FALSE(panel->IsTransparent());
  auto painted = PaintedClient(panel);
  EXPECT_EQ(Rgb(painted->Canvas(), 5, 5), 0x00FFFFu);
  EXPECT_EQ(Rgb(painted->Canvas(), 59, 39), 0x00FFFFu);
}

TEST_F(KitControlBasesTest, OnAGradientShapeItShowsTheFormsPixelsBeforeTheFormsFirstErase) {
  TKitFormShape* shape = AddGradientShape();
  TTestPanel* panel = AddPanel(form, 30, 50, 80, 60);
  form->Show();  // not pumped: the form has not erased yet
  ASSERT_TRUE(panel->IsTransparent());
  ExpectBackground(panel, shape->GetBackgroundBitmap(), {30, 50});
}

TEST_F(KitControlBasesTest, NestedAndThroughAWindowBorder) {
  TKitFormShape* shape = AddGradientShape();
  TTestPanel* outer = AddPanel(form, 20, 30, 200, 150);
  TTestPanel* inner = AddPanel(outer, 15, 25, 90, 70);
  TTestPanel* bordered = AddPanel(form, 230, 20, 60, 60);
  bordered->GetBevel()->SetMode(TKitBevelMode::bmWindows);
  form->Show();
  ASSERT_TRUE(inner->IsTransparent());
  ExpectBackground(inner, shape->GetBackgroundBitmap(), {35, 55});
  // The window's client edge takes 2 pixels on each side.
  ASSERT_EQ(bordered->ClientRect().Width(), 56);
  ExpectBackground(bordered, shape->GetBackgroundBitmap(), {232, 22});
  // An opaque parent stops the chain.
  outer->SetTransparent(false);
  EXPECT_FALSE(inner->IsTransparent());
}

// With the flat frame the bevel shows only while the mouse is over the panel.
TEST_F(KitControlBasesTest, AFlatFramedBevelShowsOnlyWhileHot) {
  TKitCustomBevelPanel* panels[2] = {new TFlatPanel(form), new TTestPanel(form)};
  for (int i = 0; i < 2; ++i) {
    panels[i]->SetParent(form);
    panels[i]->SetBounds(10 + i * 100, 10, 80, 60);
    panels[i]->SetColor(clYellow);
    panels[i]->GetBevel()->SetStyleOuter(TKitBevelStyle::bvRaised);
    panels[i]->GetBevel()->SetWidthOuter(2);
  }
  form->Show();
  const std::uint32_t yellow = 0x00FFFF;
  EXPECT_EQ(Rgb(PaintedClient(panels[0])->Canvas(), 0, 0), yellow) << "flat, not hot: no bevel";
  EXPECT_NE(Rgb(PaintedClient(panels[1])->Canvas(), 0, 0), yellow) << "not flat: the bevel";
  panels[0]->Perform(CM_MOUSEENTER);
  ASSERT_TRUE(static_cast<TKitCustomControl*>(panels[0])->MouseInside());
  EXPECT_NE(Rgb(PaintedClient(panels[0])->Canvas(), 0, 0), yellow) << "flat and hot: the bevel";
  panels[0]->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(Rgb(PaintedClient(panels[0])->Canvas(), 0, 0), yellow);
}

TEST_F(KitControlBasesTest, FocusEventsRunOnceTheFocusChangeIsComplete) {
  TTestPanel* a = AddPanel(form, 10, 10, 50, 30);
  TTestPanel* b = AddPanel(form, 70, 10, 50, 30);
  std::vector<std::string> seen;
  a->OnFocusGained = [&](TObject*) { seen.push_back(std::string("a gained ") + (a->Focused() ? "focused" : "not")); };
  a->OnFocusLost = [&](TObject*) { seen.push_back(std::string("a lost, b ") + (b->Focused() ? "focused" : "not")); };
  form->Show();
  guitest::BringToFront(form->GetHandle());
  SetFocus(a->GetHandle());
  EXPECT_TRUE(seen.empty());  // posted, not yet run
  guitest::PumpUntil([&] { return seen.size() == 1; }, 3000);
  SetFocus(b->GetHandle());
  guitest::PumpUntil([&] { return seen.size() == 2; }, 3000);
  EXPECT_EQ(seen, (std::vector<std::string>{"a gained focused", "a lost, b focused"}));
}

TEST(KitBaseControl, BoundsChangedTellsPositionTwoSizeOneNothingWhileLoading) {
  auto probe = ReadComponentText<TKitBoundsProbe>(
      "object Probe1: TKitBoundsProbe\n  Left = 5\n  Top = 6\n  Width = 40\n  Height = 20\nend\n");
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->GetBoundsRect(), Bounds(5, 6, 40, 20));
  EXPECT_TRUE(probe->Seen.empty());  // nothing while loading
  std::vector<bool> sizeChanged;
  probe->OnBoundsChanged = [&](TObject*, bool Size) { sizeChanged.push_back(Size); };
  probe->SetBounds(7, 6, 40, 20);
  probe->SetBounds(7, 6, 41, 20);
  probe->SetBounds(8, 9, 42, 21);
  probe->SetBounds(8, 9, 42, 21);  // no change
  EXPECT_EQ(probe->Seen, (std::vector<int>{2, 1, 3}));
  EXPECT_EQ(sizeChanged, (std::vector<bool>{false, true, true}));
}

TEST(KitBaseControl, TransparentMapsOntoOpaqueAndANegativeIndexIsIgnored) {
  TKitBaseGraphicControl control(nullptr);
  EXPECT_TRUE(control.GetTransparent());
  EXPECT_FALSE(control.GetControlStyle().Contains(csOpaque));
  EXPECT_EQ(control.GetWidth(), 30);
  control.SetTransparent(false);
  EXPECT_TRUE(control.GetControlStyle().Contains(csOpaque));
  control.SetImageIndex(3);
  control.SetImageIndex(-1);
  EXPECT_EQ(control.GetImageIndex(), 3);
}

}  // namespace
