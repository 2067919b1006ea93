// The speed button: its glyph's images and their shared lists, groups, repeated clicks on
// the virtual clock, clicks in code, the form's modal result and an action's link.
#include "gridcal/speedbutton.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/windows/forms.h"
#include "tests/classlib/gui_test_util.h"

namespace {

TColor Rgb(TColor c) { return static_cast<TColor>(ColorToRGB(c) & 0xFFFFFF); }

// A strip of Cells square cells of Size pixels on fuchsia; cell i has a block of
// Colors[i % 5] in its middle.
std::unique_ptr<TBitmap> Strip(int Cells, int Size = 16) {
  const TColor colors[5] = {clRed, clLime, clBlue, clYellow, clAqua};
  auto b = std::make_unique<TBitmap>();
  b->SetSize(Cells * Size, Size);
  b->Canvas()->GetBrush()->SetColor(clFuchsia);
  b->Canvas()->FillRect(TRect{0, 0, Cells * Size, Size});
  for (int i = 0; i < Cells; ++i) {
    b->Canvas()->GetBrush()->SetColor(colors[i % 5]);
    b->Canvas()->FillRect(TRect{i * Size + 4, 4, i * Size + 12, 12});
  }
  return b;
}

std::set<TColor> Colours(TBitmap* b) {
  std::set<TColor> seen;
  for (int y = 0; y < b->GetHeight(); ++y)
    for (int x = 0; x < b->GetWidth(); ++x) seen.insert(b->Canvas()->GetPixels(x, y));
  return seen;
}

TEST(GxButtonGlyph, NumGlyphsFollowsTheGlyphsShape) {
  struct Case {
    int Width, Height, Before, After;
  };
  const Case cases[] = {
      {64, 16, 1, 4}, {80, 16, 1, 5}, {96, 16, 2, 1}, {50, 16, 2, 2}, {0, 0, 3, 3},
  };
  for (const auto& c : cases) {
    TGxButtonGlyph glyph;
    glyph.SetNumGlyphs(c.Before);
    TBitmap b;
    b.SetSize(c.Width, c.Height);
    glyph.SetGlyph(&b);
    EXPECT_EQ(glyph.NumGlyphs(), c.After) << c.Width << " x " << c.Height;
  }
  TGxButtonGlyph glyph;
  glyph.SetNumGlyphs(9);
  EXPECT_EQ(glyph.NumGlyphs(), 5);
  glyph.SetNumGlyphs(0);
  EXPECT_EQ(glyph.NumGlyphs(), 1);
  glyph.SetGlyph(Strip(1).get());
  glyph.SetGlyph(nullptr);  // no glyph: nothing drawn
  EXPECT_EQ(glyph.Size(), (TPoint{0, 0}));
  EXPECT_EQ(glyph.StateIndex(gbsUp), -1);
}

TEST(GxButtonGlyph, DerivesTheDisabledAndInactiveImagesOfOneCell) {
  TGxButtonGlyph glyph;
  auto strip = Strip(1);
  strip->Canvas()->SetPixels(1, 1, clBtnFace);  // the face colour stays in the grey image
  glyph.SetGlyph(strip.get());
  TBitmap image;
  glyph.GetStateImage(gbsDisabled, &image);
  EXPECT_EQ(Colours(&image), (std::set<TColor>{Rgb(clBtnFace), Rgb(clBtnHighlight), Rgb(clBtnShadow)}));

  glyph.GetStateImage(gbsInactive, &image);
  int grey = (77 * 255) / 256;  // pure red
  EXPECT_EQ(image.Canvas()->GetPixels(8, 8), static_cast<TColor>(RGB(grey, grey, grey)));
  EXPECT_EQ(image.Canvas()->GetPixels(0, 15), clFuchsia);
  EXPECT_EQ(image.Canvas()->GetPixels(1, 1), Rgb(clBtnFace));
}

TEST(GxButtonGlyph, FiveCellsGiveTheirOwnInactiveImageAndTwoHaveNoDownImage) {
  TGxButtonGlyph five;
  five.SetGlyph(Strip(5).get());
  TBitmap image;
  five.GetStateImage(gbsInactive, &image);
  EXPECT_EQ(image.Canvas()->GetPixels(8, 8), clAqua);  // cell 4
  five.GetStateImage(gbsDown, &image);
  EXPECT_EQ(image.Canvas()->GetPixels(8, 8), clBlue);  // cell 2

  TGxButtonGlyph two;
  two.SetGlyph(Strip(2).get());
  EXPECT_EQ(two.StateIndex(gbsDown), two.StateIndex(gbsUp));
  two.GetStateImage(gbsDisabled, &image);
  EXPECT_EQ(image.Canvas()->GetPixels(8, 8), clLime);  // its own disabled cell
}

TEST(GlyphCache, ListsAreSharedBySizeReuseSlotsAndGoWithTheLastGlyph) {
  ASSERT_EQ(GlyphCache(), nullptr);
  {
    auto a = std::make_unique<TGxButtonGlyph>();
    TGxButtonGlyph b, big;
    a->SetGlyph(Strip(1).get());
    b.SetGlyph(Strip(1).get());
    big.SetGlyph(Strip(1, 20).get());
    int slotA = a->StateIndex(gbsUp);
    int slotB = b.StateIndex(gbsUp);
    big.StateIndex(gbsUp);
    EXPECT_EQ(a->List(), b.List());
    EXPECT_NE(big.List(), b.List());
    EXPECT_EQ(GlyphCache()->ListCount(), 2);
    EXPECT_NE(slotA, slotB);

    a.reset();  // its slot is free for the next image
    TGxButtonGlyph c;
    c.SetGlyph(Strip(1).get());
    EXPECT_EQ(c.StateIndex(gbsUp), slotA);
    EXPECT_EQ(b.StateIndex(gbsUp), slotB);
  }
  EXPECT_EQ(GlyphCache(), nullptr);
}

// Buttons on a shown form, pressed with the parent's mouse messages.
class GxSpeedButtonTest : public ::testing::Test {
 protected:
  GxSpeedButtonTest() : form(new TForm(nullptr, CreateNew)) {
    form->SetBounds(50, 50, 300, 200);
    form->Show();
  }
  ~GxSpeedButtonTest() override {
    form->BeforeDestruction();
    delete form;
  }
  TGxSpeedButton* NewButton(int left, int group = 0) {
    auto* b = new TGxSpeedButton(form);
    b->SetBounds(left, 10, 40, 30);
    b->SetGroupIndex(group);
    b->SetParent(form);
    b->OnClick = [this](TObject* sender) { clicks.push_back(static_cast<TGxSpeedButton*>(sender)); };
    return b;
  }
  LPARAM At(TGxSpeedButton* b, int dx = 5, int dy = 5) {
    return MAKELPARAM(b->GetLeft() + dx, b->GetTop() + dy);
  }
  void Press(TGxSpeedButton* b) { SendMessageW(form->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(b)); }
  void Release(TGxSpeedButton* b) { SendMessageW(form->GetHandle(), WM_LBUTTONUP, 0, At(b)); }
  void Click(TGxSpeedButton* b) {
    Press(b);
    Release(b);
  }

  TForm* form;
  std::vector<TGxSpeedButton*> clicks;
};

TEST_F(GxSpeedButtonTest, AGroupKeepsOneButtonDown) {
  TGxSpeedButton* a = NewButton(10, 1);
  TGxSpeedButton* b = NewButton(60, 1);
  Click(a);
  EXPECT_TRUE(a->GetDown());
  Click(b);
  EXPECT_TRUE(b->GetDown());
  EXPECT_FALSE(a->GetDown());
  Click(b);  // the one down stays down, yet it is a click
  EXPECT_TRUE(b->GetDown());
  EXPECT_EQ(clicks, (std::vector<TGxSpeedButton*>{a, b, b}));
  EXPECT_EQ(b->State(), gbsExclusive);

  b->SetAllowAllUp(true);
  EXPECT_TRUE(a->GetAllowAllUp());  // the group shares it
  Click(b);
  EXPECT_FALSE(b->GetDown());
  EXPECT_EQ(b->State(), gbsUp);

  TGxSpeedButton* single = NewButton(110);
  single->SetDown(true);
  EXPECT_FALSE(single->GetDown());
}

TEST_F(GxSpeedButtonTest, AWrappedCaptionIsDrawnInTheButtonsFont) {
  // Two buttons alike but for WordWrap draw their caption with as many dark pixels.
  TGxSpeedButton* plain = NewButton(10);
  TGxSpeedButton* wrapped = NewButton(60);
  for (TGxSpeedButton* b : {plain, wrapped}) {
    b->SetCaption("W");
    b->GetFont()->SetHeight(-20);
    b->GetFont()->SetStyle(TFontStyles{fsBold});
  }
  wrapped->SetWordWrap(true);
  guitest::PumpFor(100);
  auto image = guitest::Capture(form->GetHandle(), false);
  auto dark = [&](TGxSpeedButton* b) {
    int n = 0;
    for (int y = b->GetTop() + 3; y < b->GetTop() + b->GetHeight() - 3; ++y)
      for (int x = b->GetLeft() + 3; x < b->GetLeft() + b->GetWidth() - 3; ++x)
        if ((ColorToRGB(image->Canvas()->GetPixels(x, y)) & 0xFFFFFF) == 0) ++n;
    return n;
  };
  EXPECT_GT(dark(plain), 0);
  EXPECT_EQ(dark(wrapped), dark(plain));
}

TEST_F(GxSpeedButtonTest, HeldWithAllowTimerItRepeatsUntilLeftOrReleased) {
  TVirtualClock clock;
  TClockScope scope(clock);
  TGxSpeedButton* b = NewButton(10);
  b->SetAllowTimer(true);
  Press(b);
  clock.Advance(499);
  EXPECT_EQ(clicks.size(), 0u);
  clock.Advance(1);
  EXPECT_EQ(clicks.size(), 1u);
  clock.Advance(300);
  EXPECT_EQ(clicks.size(), 4u);
  SendMessageW(form->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(250, 150));  // off the button
  clock.Advance(300);
  EXPECT_EQ(clicks.size(), 4u);
  SendMessageW(form->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, At(b));
  clock.Advance(100);
  EXPECT_EQ(clicks.size(), 5u);
  SendMessageW(form->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(250, 150));  // released outside: no click
  clock.Advance(1000);
  EXPECT_EQ(clicks.size(), 5u);
}

TEST_F(GxSpeedButtonTest, ButtonClickClicksOnceAndNotWhenDisabledOrWithAMenuOfItsOwn) {
  TGxSpeedButton* b = NewButton(10);
  b->ButtonClick();
  EXPECT_EQ(clicks.size(), 1u);
  EXPECT_EQ(b->State(), gbsUp);
  b->SetEnabled(false);
  b->ButtonClick();
  EXPECT_EQ(clicks.size(), 1u);
  b->SetEnabled(true);
  auto* menu = new TPopupMenu(form);
  b->SetDropDownMenu(menu);
  b->ButtonClick();
  EXPECT_EQ(clicks.size(), 1u);
  delete menu;
  EXPECT_EQ(b->GetDropDownMenu(), nullptr);
  b->ButtonClick();
  EXPECT_EQ(clicks.size(), 2u);
}

TEST_F(GxSpeedButtonTest, ModalResultIsSetBeforeOnClickAndOnlyWhenNotZero) {
  TGxSpeedButton* b = NewButton(10);
  TModalResult seen = mrNone;
  b->OnClick = [&](TObject*) {
    seen = form->GetModalResult();
    form->SetModalResult(mrOk);
  };
  Click(b);
  EXPECT_EQ(form->GetModalResult(), mrOk);  // the handler's own result stands

  form->SetModalResult(mrNone);
  b->SetModalResult(mrCancel);
  b->ButtonClick();
  EXPECT_EQ(seen, mrCancel);
}

TEST_F(GxSpeedButtonTest, AClickThatFreesTheButtonIsSafe) {
  TGxSpeedButton* b = NewButton(10, 1);
  b->OnClick = [&](TObject*) { delete b; };
  b->ButtonClick();
  EXPECT_EQ(form->ControlCount(), 0);
  TGxSpeedButton* c = NewButton(10);
  c->OnClick = [&](TObject*) { delete c; };
  Click(c);
  EXPECT_EQ(form->ControlCount(), 0);
}

TEST_F(GxSpeedButtonTest, AnActionsCheckedAndImageReachDownAndGlyph) {
  TImageList images(nullptr);
  images.AddMasked(Strip(1).get(), clFuchsia);
  TAction action(nullptr);
  action.SetImages(&images);
  action.SetImageIndex(0);
  action.SetChecked(true);
  int executed = 0;
  action.OnExecute = [&](TObject*) { ++executed; };

  TGxSpeedButton* b = NewButton(10, 1);
  b->OnClick = nullptr;
  b->SetAction(&action);
  EXPECT_TRUE(b->GetDown());
  ASSERT_EQ(b->GetGlyph()->GetWidth(), 32);  // the image and its disabled form
  EXPECT_EQ(b->GetNumGlyphs(), 2);
  EXPECT_EQ(b->GetGlyph()->Canvas()->GetPixels(8, 8), clRed);
  EXPECT_EQ(b->GetGlyph()->GetTransparentColor(), clFuchsia);
  action.SetChecked(false);
  EXPECT_FALSE(b->GetDown());
  b->ButtonClick();
  EXPECT_EQ(executed, 1);
}

// Disabled, an action's image is embossed through its image list's mask: an image whose
// corner pixel is no background keeps its whole shape.
TEST_F(GxSpeedButtonTest, AnActionsImageIsEmbossedWhenDisabled) {
  TBitmap solid;
  solid.SetSize(16, 16);
  solid.Canvas()->GetBrush()->SetColor(clRed);
  solid.Canvas()->FillRect(TRect{0, 0, 16, 16});
  TImageList images(nullptr);
  images.AddMasked(&solid, clFuchsia);  // no fuchsia: every pixel is the image's
  TAction action(nullptr);
  action.SetImages(&images);
  action.SetImageIndex(0);
  TGxSpeedButton* b = NewButton(10);
  b->SetAction(&action);
  TBitmap disabled;
  b->ButtonGlyph()->GetStateImage(gbsDisabled, &disabled);
  ASSERT_EQ(disabled.GetWidth(), 16);
  for (TPoint p : {TPoint{0, 0}, TPoint{8, 8}, TPoint{0, 15}, TPoint{14, 14}})
    EXPECT_EQ(ColorToRGB(disabled.Canvas()->GetPixels(p.X, p.Y)), ColorToRGB(clBtnShadow)) << p.X << "," << p.Y;
  TBitmap up;
  b->ButtonGlyph()->GetStateImage(gbsUp, &up);
  EXPECT_EQ(up.Canvas()->GetPixels(0, 15), clRed);
}

}  // namespace
