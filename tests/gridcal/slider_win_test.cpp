// The slider control: its range rules, where the thumb stands in both orientations with
// and without a bevel, the keys, dragging (also on a slider too narrow for its thumb),
// the held button's repeated steps on the virtual clock, and its pixels.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "classlib/core/clock.h"
#include "classlib/windows/forms.h"
#include "gridcal/slider.h"
#include "tests/classlib/gui_test_util.h"

using namespace guitest;

namespace {

class SliderTest : public ::testing::Test {
 protected:
  SliderTest() : form(new TForm(nullptr, CreateNew)) {
    form->SetBounds(100, 100, 320, 320);
    form->SetColor(clBtnFace);
    slider = new TGxSlider(form.get());
    slider->SetParent(form.get());
    slider->SetBounds(10, 10, 253, 25);
    slider->OnChange = [this](TObject*) { ++changes; };
    slider->OnChanged = [this](TObject*) { ++finished; };
  }
  void Key(WORD key) { SendMessageW(slider->GetHandle(), WM_KEYDOWN, key, 0); }
  void Mouse(UINT msg, int x, int y, WPARAM keys) { SendMessageW(slider->GetHandle(), msg, keys, MAKELPARAM(x, y)); }
  TPoint ThumbMiddle() const {
    TRect t = slider->ThumbRect();
    return {(t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2};
  }

  TVirtualClock clock;
  TClockScope scope{clock};
  std::unique_ptr<TForm> form;
  TGxSlider* slider;
  int changes = 0, finished = 0;
};

TEST_F(SliderTest, RangeRules) {
  EXPECT_EQ(slider->GetIncrement(), 10);
  slider->SetMaxValue(5);
  EXPECT_EQ(slider->GetIncrement(), 5);  // lowered to the range
  slider->SetMaxValue(100);
  for (int bad : {0, 101}) {
    try {
      slider->SetIncrement(bad);
      ADD_FAILURE() << bad << " was taken";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message, "Значение должно быть между 1 и 100");
    }
  }
  EXPECT_EQ(slider->GetIncrement(), 5);

  slider->SetValue(500);
  EXPECT_EQ(slider->GetValue(), 100);
  EXPECT_EQ(changes, 1);
  slider->SetValue(100);
  slider->SetValue(700);
  EXPECT_EQ(changes, 1);  // nothing changed
  slider->SetValue(-3);
  EXPECT_EQ(slider->GetValue(), 0);
  EXPECT_EQ(changes, 2);

  slider->SetMinValue(100);  // max <= min: ignored
  EXPECT_EQ(slider->GetMinValue(), 0);
  slider->SetRange(20, 60);
  EXPECT_EQ(slider->GetValue(), 20);  // clamped into the new range
  slider->SetEdgeSize(10);            // 2 x 10 is not less than the ruler picture's 20
  EXPECT_EQ(slider->GetEdgeSize(), 2);
  slider->SetEdgeSize(-1);
  EXPECT_EQ(slider->GetEdgeSize(), 2);
  EXPECT_EQ(finished, 0);  // no change was the user's
}

TEST_F(SliderTest, ValuesAndThumbPositionsInBothOrientations) {
  // The ruler is the slider less 6 pixels at each end; the thumb travels it less its own
  // length (11).
  struct Case {
    TSliderOrientation orientation;
    TBevelCut bevel;
    int minAt, maxAt, midAt;
  } cases[] = {
      {soHorizontal, bvNone, 6, 236, 121},
      {soHorizontal, bvLowered, 7, 235, 121},
      {soVertical, bvNone, 236, 6, 121},  // larger values lie higher
      {soVertical, bvRaised, 235, 7, 121},
  };
  for (const Case& c : cases) {
    slider->SetOrientation(c.orientation);
    slider->SetBounds(10, 10, c.orientation == soHorizontal ? 253 : 25, c.orientation == soHorizontal ? 25 : 253);
    slider->SetBevelStyle(c.bevel);
    slider->SetRange(1000, 1100);  // a minimum that is not 0
    auto at = [&] { return c.orientation == soHorizontal ? slider->ThumbRect().Left : slider->ThumbRect().Top; };
    slider->SetValue(1000);
    EXPECT_EQ(at(), c.minAt) << int(c.orientation) << int(c.bevel);
    slider->SetValue(1100);
    EXPECT_EQ(at(), c.maxAt) << int(c.orientation) << int(c.bevel);
    slider->SetValue(1050);
    EXPECT_EQ(at(), c.midAt) << int(c.orientation) << int(c.bevel);
    for (int v : {1000, 1013, 1050, 1099, 1100})
      EXPECT_EQ(slider->ValueOfPosition(slider->PositionOfValue(v)), v) << int(c.orientation) << " " << v;
    slider->SetBevelStyle(bvNone);
  }
}

TEST_F(SliderTest, AThreeHourTrackHalfWayPutsTheThumbMidRuler) {
  slider->SetRange(0, 10800000);
  slider->SetValue(5400000);
  EXPECT_EQ(slider->ThumbRect().Left, 6 + 115);
}

TEST_F(SliderTest, KeysStepAndTellTheyFinished) {
  slider->SetValue(16);
  changes = 0;
  Key(VK_RIGHT);
  EXPECT_EQ(slider->GetValue(), 30);  // Round(16 / 10) * 10 + 10
  Key(VK_LEFT);
  EXPECT_EQ(slider->GetValue(), 20);
  Key(VK_END);
  EXPECT_EQ(slider->GetValue(), 100);
  Key(VK_HOME);
  EXPECT_EQ(slider->GetValue(), 0);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(finished, 4);
  Key(VK_UP);  // not a horizontal slider's key
  EXPECT_EQ(slider->GetValue(), 0);
  EXPECT_EQ(finished, 4);

  slider->SetOrientation(soVertical);
  Key(VK_UP);
  EXPECT_EQ(slider->GetValue(), 10);
  Key(VK_DOWN);
  EXPECT_EQ(slider->GetValue(), 0);
  EXPECT_EQ(finished, 6);
}

TEST_F(SliderTest, ChangingTheOrientationSwapsWidthAndHeight) {
  slider->SetOrientation(soVertical);
  EXPECT_EQ(slider->GetWidth(), 25);
  EXPECT_EQ(slider->GetHeight(), 253);
  EXPECT_EQ(slider->RulerRect().Height(), 241);
  EXPECT_EQ(slider->ThumbRect().Height(), 11);
  slider->SetOrientation(soHorizontal);
  EXPECT_EQ(slider->GetWidth(), 253);
  EXPECT_EQ(slider->RulerRect().Width(), 241);
}

TEST_F(SliderTest, DraggingTheThumb) {
  TPoint at = ThumbMiddle();
  Mouse(WM_LBUTTONDOWN, at.X, at.Y, MK_LBUTTON);
  EXPECT_TRUE(slider->Sliding());
  Mouse(WM_MOUSEMOVE, at.X + 115, at.Y, MK_LBUTTON);
  EXPECT_EQ(slider->GetValue(), 50);
  Mouse(WM_MOUSEMOVE, at.X + 500, at.Y, MK_LBUTTON);  // beyond the end
  EXPECT_EQ(slider->GetValue(), 100);
  EXPECT_EQ(slider->ThumbRect().Left, 236);
  EXPECT_EQ(finished, 0);
  Mouse(WM_LBUTTONUP, at.X + 500, at.Y, 0);
  EXPECT_FALSE(slider->Sliding());
  EXPECT_EQ(finished, 1);

  // Without soSmooth the thumb snaps to the increment's multiples.
  slider->SetOptions(TSliderOptions{soShowPoints});
  slider->SetValue(0);
  at = ThumbMiddle();
  Mouse(WM_LBUTTONDOWN, at.X, at.Y, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, at.X + 40, at.Y, MK_LBUTTON);  // 17.4 values on
  EXPECT_EQ(slider->GetValue(), 20);
  EXPECT_EQ(slider->ThumbRect().Left, 6 + 46);
  Mouse(WM_LBUTTONUP, at.X + 40, at.Y, 0);
}

TEST_F(SliderTest, ASliderTooNarrowForItsThumbKeepsTheMinimum) {
  slider->SetBounds(10, 10, 20, 25);  // a ruler of 8 pixels, shorter than the thumb
  EXPECT_LE(slider->ActiveLength(), 0);
  slider->SetValue(70);
  EXPECT_EQ(slider->GetValue(), 70);
  EXPECT_EQ(slider->ThumbRect().Left, 6);  // at the lead edge
  EXPECT_EQ(slider->ValueOfPosition(40), 0);
  TPoint at = ThumbMiddle();
  Mouse(WM_LBUTTONDOWN, at.X, at.Y, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, at.X + 30, at.Y, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, at.X + 30, at.Y, 0);
  EXPECT_EQ(slider->GetValue(), 0);
  EXPECT_EQ(slider->ThumbRect().Left, 6);
  form->Show();  // and it paints
  PumpFor(50);
  form->Hide();
}

TEST_F(SliderTest, AHeldButtonOnTheRulerStepsUntilTheThumbReachesIt) {
  int x = 6 + 100, y = slider->RulerRect().Top + 1;  // value 43's place
  Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
  EXPECT_TRUE(slider->Repeating());
  EXPECT_EQ(slider->GetValue(), 10);  // the first step at once
  clock.Advance(399);
  EXPECT_EQ(slider->GetValue(), 10);
  clock.Advance(1);
  EXPECT_EQ(slider->GetValue(), 20);
  clock.Advance(400 * 5);
  EXPECT_EQ(slider->GetValue(), 40);  // the thumb covers the point now: no more steps
  EXPECT_EQ(finished, 0);
  Mouse(WM_MOUSEMOVE, 2, y, MK_LBUTTON);  // the point goes before the thumb: no steps back
  clock.Advance(800);
  EXPECT_EQ(slider->GetValue(), 40);
  Mouse(WM_LBUTTONUP, 2, y, 0);
  EXPECT_FALSE(slider->Repeating());
  EXPECT_EQ(finished, 1);
  clock.Advance(2000);
  EXPECT_EQ(slider->GetValue(), 40);

  Mouse(WM_LBUTTONDOWN, 8, y, MK_LBUTTON);  // before the thumb: down
  EXPECT_EQ(slider->GetValue(), 30);
  Mouse(WM_LBUTTONUP, 8, y, 0);
  EXPECT_EQ(finished, 2);
}

TEST_F(SliderTest, PaintsTheThumbOverTheRuler) {
  slider->SetOptions(TSliderOptions{});  // no focus frame, no tick marks
  form->Show();
  auto pixelsAt = [&](int value) {
    slider->SetValue(value);
    slider->Repaint();
    PumpFor(50);
    return Capture(slider->GetHandle(), false);
  };
  const TColor face = TColor(0xC0C0C0), groove = clBlack;
  const int grooveY = slider->RulerRect().Top + 1;
  for (int value : {0, 100}) {
    auto shot = pixelsAt(value);
    TRect thumb = slider->ThumbRect();
    EXPECT_EQ(thumb.Left, value == 0 ? 6 : 236);
    EXPECT_EQ(shot->Canvas()->GetPixels(thumb.Left + 5, thumb.Top + 3), face) << value;
    // The thumb's corners outside its shape show the background, never the key colour.
    EXPECT_EQ(shot->Canvas()->GetPixels(thumb.Left, thumb.Bottom - 1), ColorToRGB(clBtnFace)) << value;
    // The groove where the thumb is not; none beyond the ruler's ends.
    int away = value == 0 ? 200 : 20;
    EXPECT_EQ(shot->Canvas()->GetPixels(away, grooveY), groove) << value;
    EXPECT_EQ(shot->Canvas()->GetPixels(3, grooveY), ColorToRGB(clBtnFace));
    EXPECT_EQ(shot->Canvas()->GetPixels(250, grooveY), ColorToRGB(clBtnFace));
  }
  slider->SetOptions(TSliderOptions{soShowPoints, soSmooth});  // with its tick marks, for a person
  pixelsAt(40);
  SaveScreenshot(form->GetHandle(), "gridcal-slider.bmp");
  form->Hide();
}

}  // namespace
