// The background's layers drawn off-screen: the gradient's layouts (from the start colour to
// the stop colour, mirror-symmetric boxes, smoothed bands), texture and gradient excluding
// each other, the five placements of a picture, empty pictures that draw nothing, and the
// frame round the layers on a form.
#include <gtest/gtest.h>

#include <vector>

#include "classlib/windows/forms.h"
#include "controls/frbackground.h"

namespace {

using enum TFrGradientDirection;
using enum TImageStyle;

constexpr std::uint32_t kWhite = 0xFFFFFF;

std::uint32_t Rgb(TBitmap& B, int X, int Y) { return static_cast<std::uint32_t>(B.Canvas()->GetPixels(X, Y)) & 0xFFFFFF; }
int Channel(std::uint32_t Color, int C) { return static_cast<int>((Color >> (8 * C)) & 0xFF); }

class FrBackgroundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr, CreateNew);
    form->SetBorderStyle(bsNone);
    form->SetBounds(20, 20, 400, 300);
    background = new TFrBackground(form);
    background->SetParent(form);
  }
  void TearDown() override { delete form; }
  // The layers at W × H.
  void Layers(int W, int H) {
    background->SetBounds(0, 0, W, H);
    background->PaintLayers(&layers);
  }
  // A plain white gradient, so that a picture's pixels stand out.
  void WhiteGround() {
    background->SetGradientColorStart(clWhite);
    background->SetGradientColorStop(clWhite);
  }
  // 3 × 2 pixels, each its own colour.
  void SetPicture() {
    picture.SetSize(3, 2);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) picture.Canvas()->SetPixels(x, y, static_cast<TColor>(Pixel(x, y)));
    background->GetImage()->SetBitmap(&picture);
  }
  static std::uint32_t Pixel(int X, int Y) { return 0x102030u + 0x400000u * static_cast<std::uint32_t>(X) + 0x40u * static_cast<std::uint32_t>(Y); }

  TForm* form = nullptr;
  TFrBackground* background = nullptr;
  TBitmap layers, picture;
};

TEST_F(FrBackgroundTest, TheDefaultsAreThoseOfAFreshBackground) {
  EXPECT_EQ(background->GetWidth(), 200);  // half the form
  EXPECT_EQ(background->GetHeight(), 150);
  EXPECT_TRUE(background->GetControlStyle().Contains(csOpaque));
  EXPECT_TRUE(form->GetControlStyle().Contains(csOpaque));
  EXPECT_EQ(background->GetGradientDirection(), gdHorizontalEnd);
  EXPECT_EQ(background->GetImageStyle(), isCenter);
  EXPECT_TRUE(background->GetShowGradient());
  EXPECT_FALSE(background->GetShowImage() || background->GetShowTexture());
  // Without a form it takes a size of its own.
  TFrBackground alone(nullptr);
  EXPECT_EQ(alone.GetWidth(), 100);
  EXPECT_EQ(alone.GetHeight(), 100);
  TBitmap b;
  alone.PaintLayers(&b);
  EXPECT_EQ(Rgb(b, 0, 0), 0xFF0000u);  // clBlue at the top
}

TEST_F(FrBackgroundTest, TheEndGradientsRunFromTheStartColourToTheStopColour) {
  background->SetGradientColorStart(clTeal);
  background->SetGradientColorStop(clLime);
  const std::uint32_t teal = 0x808000, lime = 0x00FF00;
  for (TFrGradientDirection direction : {gdHorizontalEnd, gdVerticalEnd}) {
    background->SetGradientDirection(direction);
    const bool across = direction == gdVerticalEnd;
    Layers(across ? 100 : 60, across ? 60 : 100);
    auto at = [&](int Along, int Side) { return across ? Rgb(layers, Along, Side) : Rgb(layers, Side, Along); };
    for (int side : {0, 7, 8, 33, 59}) {
      EXPECT_EQ(at(0, side), teal) << EnumName(direction) << " " << side;
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(Channel(at(99, side), c), Channel(lime, c), 1) << EnumName(direction);
      for (int i = 1; i < 100; ++i) {
        ASSERT_GE(Channel(at(i, side), 1), Channel(at(i - 1, side), 1)) << EnumName(direction) << " green at " << i;
        ASSERT_LE(Channel(at(i, side), 2), Channel(at(i - 1, side), 2)) << EnumName(direction) << " blue at " << i;
        ASSERT_EQ(at(i, side), at(i, 0)) << EnumName(direction) << ": the strip copied across, " << i;
      }
    }
  }
}

TEST_F(FrBackgroundTest, CenterAndBoxLayoutsAreMirrorSymmetric) {
  background->SetGradientColorStart(clTeal);
  background->SetGradientColorStop(clYellow);
  for (TFrGradientDirection direction :
       {gdHorizontalCenter, gdVerticalCenter, gdHorizontalBox, gdVerticalBox, gdSquareBox, gdBigSquareBox}) {
    background->SetGradientDirection(direction);
    for (auto [w, h] : std::vector<std::pair<int, int>>{{60, 40}, {61, 41}}) {
      Layers(w, h);
      const bool horizontalOnly = direction == gdHorizontalCenter, verticalOnly = direction == gdVerticalCenter;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const std::uint32_t c = Rgb(layers, x, y);
          if (!verticalOnly) {
            ASSERT_EQ(c, Rgb(layers, x, h - 1 - y)) << EnumName(direction) << " " << x << "," << y;
          }
          if (!horizontalOnly) {
            ASSERT_EQ(c, Rgb(layers, w - 1 - x, y)) << EnumName(direction) << " " << x << "," << y;
          }
        }
      if (direction != gdHorizontalCenter && direction != gdVerticalCenter) {
        EXPECT_EQ(Rgb(layers, 0, 0), 0x808000u) << EnumName(direction);  // the corners start
        EXPECT_NE(Rgb(layers, w / 2, h / 2), 0x808000u) << EnumName(direction);
      }
    }
  }
}

TEST_F(FrBackgroundTest, SmoothingWidensTheBands) {
  background->SetGradientColorStart(clTeal);
  background->SetGradientColorStop(clLime);
  background->SetGradientSmoothFactor(8);
  background->SetGradientSmoothFactor(0);  // refused
  EXPECT_EQ(background->GetGradientSmoothFactor(), 8);
  Layers(20, 100);
  std::vector<int> runs{1};
  for (int y = 1; y < 100; ++y) {
    if (Rgb(layers, 5, y) == Rgb(layers, 5, y - 1)) ++runs.back();
    else runs.push_back(1);
  }
  ASSERT_GT(runs.size(), 2u);
  for (size_t i = 0; i + 1 < runs.size(); ++i) EXPECT_GE(runs[i], 7) << "band " << i;
}

TEST_F(FrBackgroundTest, TextureAndGradientExcludeEachOther) {
  struct TStep {
    const char* What;
    int Image;   // -1 leaves it
    int Set;     // 0 ShowGradient, 1 ShowTexture
    bool Value;
    bool Gradient, Texture;
  };
  const std::vector<TStep> steps = {
      {"texture on", -1, 1, true, false, true},
      {"texture off", -1, 1, false, true, false},
      {"gradient off, no image: the texture", 0, 0, false, false, true},
      {"gradient on", -1, 0, true, true, false},
      {"gradient off with an image: nothing", 1, 0, false, false, false},
      {"texture on again", -1, 1, true, false, true},
      {"gradient on clears the texture", -1, 0, true, true, false},
  };
  for (const TStep& s : steps) {
    if (s.Image >= 0) background->SetShowImage(s.Image == 1);
    if (s.Set == 0) background->SetShowGradient(s.Value);
    else background->SetShowTexture(s.Value);
    EXPECT_EQ(background->GetShowGradient(), s.Gradient) << s.What;
    EXPECT_EQ(background->GetShowTexture(), s.Texture) << s.What;
  }
}

TEST_F(FrBackgroundTest, APictureIsPlacedByItsStyle) {
  WhiteGround();
  SetPicture();
  background->SetShowImage(true);
  struct TCase {
    TImageStyle Style;
    int W, H;
    // Points and the picture pixel each shows (-1: the ground).
    std::vector<std::tuple<int, int, int, int>> Points;
  };
  const std::vector<TCase> cases = {
      {isCenter, 10, 10, {{3, 4, 0, 0}, {5, 5, 2, 1}, {2, 4, -1, 0}, {6, 5, -1, 0}}},
      {isClip, 10, 10, {{0, 0, 0, 0}, {2, 1, 2, 1}, {3, 0, -1, 0}, {0, 2, -1, 0}}},
      {isFill, 10, 10, {{0, 0, 0, 0}, {9, 5, 2, 1}, {9, 6, -1, 0}}},       // full width
      {isFill, 20, 4, {{0, 0, 0, 0}, {5, 3, 2, 1}, {6, 0, -1, 0}}},        // full height
      {isStretch, 10, 10, {{0, 0, 0, 0}, {9, 9, 2, 1}, {9, 0, 2, 0}}},
      {isTiled, 10, 7, {{3, 0, 0, 0}, {9, 6, 0, 0}, {8, 5, 2, 1}, {4, 3, 1, 1}}},
  };
  for (const TCase& c : cases) {
    background->SetImageStyle(c.Style);
    Layers(c.W, c.H);
    for (auto [x, y, px, py] : c.Points)
      EXPECT_EQ(Rgb(layers, x, y), px < 0 ? kWhite : Pixel(px, py)) << EnumName(c.Style) << " at " << x << "," << y;
  }
}

TEST_F(FrBackgroundTest, EmptyPicturesDrawNothing) {
  WhiteGround();
  background->SetShowImage(true);
  TBitmap empty;
  empty.SetSize(0, 2);
  for (TBitmap* image : {static_cast<TBitmap*>(nullptr), &empty}) {  // none, then one of no width
    if (image) background->GetImage()->SetBitmap(image);
    for (TImageStyle style : {isCenter, isClip, isFill, isStretch, isTiled}) {
      background->SetImageStyle(style);
      Layers(10, 10);
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(Rgb(layers, x, y), kWhite) << EnumName(style);
    }
  }
  // The gradient switched off with no image shown brings the empty texture on: painting
  // returns, with nothing drawn.
  background->SetShowImage(false);
  background->SetShowGradient(false);
  ASSERT_TRUE(background->GetShowTexture());
  Layers(30, 20);
  EXPECT_EQ(Rgb(layers, 29, 19), kWhite);
  // A real texture is tiled from the corner.
  SetPicture();
  background->GetTexture()->SetBitmap(&picture);
  Layers(10, 7);
  EXPECT_EQ(Rgb(layers, 9, 6), Pixel(0, 0));
  EXPECT_EQ(Rgb(layers, 5, 5), Pixel(2, 1));
}

TEST_F(FrBackgroundTest, AGrooveFrameLeavesTwoPixelsAndTheLayersStartInside) {
  WhiteGround();
  SetPicture();
  background->SetShowImage(true);
  background->SetImageStyle(isClip);
  background->SetFrameStyle(TFrameStyle::fsGroove);
  background->SetBounds(0, 0, 40, 30);
  TBitmap shot;
  shot.SetSize(400, 300);
  HDC dc = shot.Canvas()->GetHandle();
  SendMessageW(form->GetHandle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SendMessageW(form->GetHandle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(Rgb(shot, 2, 2), Pixel(0, 0));
  EXPECT_EQ(Rgb(shot, 4, 3), Pixel(2, 1));
  EXPECT_EQ(Rgb(shot, 5, 2), kWhite);
  // The groove: its shadow outside, its light inside.
  const std::uint32_t shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
  EXPECT_EQ(Rgb(shot, 20, 0), shadow);
  EXPECT_EQ(Rgb(shot, 0, 15), shadow);
  EXPECT_EQ(Rgb(shot, 20, 1), light);
  EXPECT_EQ(Rgb(shot, 1, 15), light);
  // Too small a background grows to 5 × 5 when painted.
  background->SetBounds(0, 0, 2, 3);
  SendMessageW(form->GetHandle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(background->GetWidth(), 5);
  EXPECT_EQ(background->GetHeight(), 5);
}

}  // namespace
