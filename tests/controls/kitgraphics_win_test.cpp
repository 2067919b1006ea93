// The kit's graphics objects: what a bevel takes and paints, which changes reach the owner,
// and how a fill object fills.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "classlib/windows/pictures.h"
#include "controls/kitdraw.h"
#include "controls/kitgraphics.h"
#include "controls/kitshape.h"

namespace {

constexpr TColor kRed = static_cast<TColor>(0x0000FF);
constexpr TColor kGreen = static_cast<TColor>(0x008000);
constexpr TColor kSentinel = static_cast<TColor>(0x123456);

std::uint32_t Px(TBitmap& B, int X, int Y) { return static_cast<std::uint32_t>(B.Canvas()->GetPixels(X, Y)) & 0xFFFFFF; }

std::unique_ptr<TBitmap> Filled(int W, int H, TColor Color) {
  auto b = std::make_unique<TBitmap>();
  PrepareBitmap(b.get(), Bounds(0, 0, W, H), Color);
  return b;
}

TEST(KitBevel, WhatItTakesIsWhatItLeavesUnpainted) {
  using B = TKitBevelStyle;
  using M = TKitBevelMode;
  struct Case {
    const char* Name;
    std::function<void(TKitBevel&)> Setup;
    TRect Inner;  // of (0, 0, 40, 30)
  } cases[] = {
      {"default", [](TKitBevel&) {}, {0, 0, 40, 30}},
      {"frame raised 1 + lowered 1",
       [](TKitBevel& b) {
         b.SetStyleOuter(B::bvFrameRaised);
         b.SetStyleInner(B::bvLowered);
       },
       {3, 3, 37, 27}},
      {"custom rings",
       [](TKitBevel& b) {
         b.SetStyleOuter(B::bvRaised);
         b.SetWidthOuter(2);
         b.SetBorderWidth(3);
         b.SetStyleInner(B::bvNormal);
         b.SetBorderInnerWidth(1);
       },
       {7, 7, 33, 23}},
      {"shadow frame",
       [](TKitBevel& b) {
         b.SetStyleOuter(B::bvShadow);
         b.SetWidthInner(2);
         b.SetWidthOuter(3);
         b.SetBorderInnerWidth(1);
       },
       {3, 3, 34, 24}},
      {"standard double raised",
       [](TKitBevel& b) {
         b.SetMode(M::bmStandard);
         b.SetStandardStyle(TKitBorderStyle::lsDoubleRaised);
         b.SetBorderInnerWidth(2);
       },
       {4, 4, 36, 26}},
      {"edge", [](TKitBevel& b) { b.SetMode(M::bmEdge); }, {2, 2, 38, 28}},
      {"edge without sides",
       [](TKitBevel& b) {
         b.SetMode(M::bmEdge);
         b.SetBorderSides({});
       },
       {0, 0, 40, 30}},
      {"windows, drawn",
       [](TKitBevel& b) {
         b.SetMode(M::bmWindows);
         b.SetBorderInnerWidth(1);
       },
       {3, 3, 37, 27}},
      {"windows, the window's border",
       [](TKitBevel& b) {
         b.SetMode(M::bmWindows);
         b.SetWindowBorderAllowed(true);
       },
       {0, 0, 40, 30}},
  };
  for (const Case& c : cases) {
    TKitBevel bevel;
    c.Setup(bevel);
    TRect all = Rect(0, 0, 40, 30);
    EXPECT_EQ(bevel.GetClientRect(all), c.Inner) << c.Name;
    auto b = Filled(40, 30, kSentinel);
    TRect inner;
    bevel.PaintBevel(b->Canvas(), all, inner, false);
    EXPECT_EQ(inner, c.Inner) << c.Name;
    // Nothing painted inside; the outermost pixel painted when the bevel takes any.
    for (int y = inner.Top; y < inner.Bottom; ++y)
      for (int x = inner.Left; x < inner.Right; ++x) ASSERT_EQ(Px(*b, x, y), 0x123456u) << c.Name << " " << x << "," << y;
    if (inner != all) {
      EXPECT_NE(Px(*b, 0, 15), 0x123456u) << c.Name;
    }
  }
}

TEST(KitBevel, TheWindowBorderFlagIsFollowedWhenTheExtentIsRead) {
  TKitBevel bevel;
  bevel.SetMode(TKitBevelMode::bmWindows);
  EXPECT_EQ(bevel.BevelExtend(), 2);
  bevel.SetWindowBorderAllowed(true);  // no Change: the extent is computed when read
  EXPECT_EQ(bevel.BevelExtend(), 0);
  EXPECT_TRUE(bevel.TakeFrameChanged());
  bevel.SetMode(TKitBevelMode::bmCustom);
  EXPECT_TRUE(bevel.TakeFrameChanged());  // left bmWindows
  EXPECT_FALSE(bevel.TakeFrameChanged());
}

// How many times an object told its owner while Act ran.
template <class T>
int Notifications(T& Object, const std::function<void(T&)>& Act) {
  int count = 0;
  Object.OnChange = [&count](TObject*) { ++count; };
  Act(Object);
  Object.OnChange = nullptr;
  return count;
}

TEST(KitGraphicsObjects, WhichChangesReachTheOwner) {
  struct Case {
    const char* Name;
    std::function<int()> Count;
    int Expected;
  } cases[] = {
      {"bevel: a new width", [] { TKitBevel b; return Notifications<TKitBevel>(b, [](auto& o) { o.SetWidthInner(4); }); }, 1},
      {"bevel: the same width", [] { TKitBevel b; return Notifications<TKitBevel>(b, [](auto& o) { o.SetWidthInner(1); }); }, 0},
      {"bevel: width 51 refused",
       [] {
         TKitBevel b;
         int n = Notifications<TKitBevel>(b, [](auto& o) { o.SetWidthOuter(51); o.SetBorderWidth(256); });
         return b.GetWidthOuter() == 1 && b.GetBorderWidth() == 0 ? n : -1;
       },
       0},
      {"bevel: standard style outside bmStandard",
       [] { TKitBevel b; return Notifications<TKitBevel>(b, [](auto& o) { o.SetStandardStyle(TKitBorderStyle::lsRaised); }); }, 0},
      {"bevel: standard style in bmStandard",
       [] {
         TKitBevel b;
         b.SetMode(TKitBevelMode::bmStandard);
         return Notifications<TKitBevel>(b, [](auto& o) { o.SetStandardStyle(TKitBorderStyle::lsRaised); });
       },
       1},
      {"bevel: assign of many values",
       [] {
         TKitBevel a, b;
         a.SetStyleOuter(TKitBevelStyle::bvRaised);
         a.SetWidthOuter(3);
         a.SetBorderColor(kRed);
         a.SetMode(TKitBevelMode::bmEdge);
         int n = Notifications<TKitBevel>(b, [&](auto& o) { o.Assign(&a); });
         return b.GetWidthOuter() == 3 && b.GetMode() == TKitBevelMode::bmEdge ? n : -1;
       },
       1},
      {"gradient: colour count 1 and 237 refused",
       [] {
         TKitGradient g;
         int n = Notifications<TKitGradient>(g, [](auto& o) { o.SetColorCount(1); o.SetColorCount(237); });
         return g.GetColorCount() == 16 && g.Colors().size() == 16 ? n : -1;
       },
       0},
      {"gradient: 5 colours",
       [] {
         TKitGradient g;
         g.SetColor(kRed);
         int n = Notifications<TKitGradient>(g, [](auto& o) { o.SetColorCount(5); });
         return g.Colors().size() == 5 && g.Colors().front() == 0x0000FF ? n : -1;
       },
       1},
      {"caption: angle 360 is 0",
       [] {
         TKitFxCaption c;
         int n = Notifications<TKitFxCaption>(c, [](auto& o) { o.SetAngle(360); o.SetAngle(361); });
         return c.GetAngle() == 0 ? n : -1;
       },
       0},
      {"caption: SetPos tells nobody",
       [] {
         TKitFxCaption c;
         int n = Notifications<TKitFxCaption>(c, [](auto& o) { o.SetPos(3, 4); });
         return c.GetPosX() == 3 && c.GetPosY() == 4 ? n : -1;
       },
       0},
      {"fill: offset of a tiled picture",
       [] {
         TKitFillObject f;
         f.SetStyle(TKitFillStyle::sfBitmap);
         return Notifications<TKitFillObject>(f, [](auto& o) { o.SetOffsetX(5); o.SetAlignment(TKitAlignment::agCenter); });
       },
       0},
      {"fill: offset of an untiled picture",
       [] {
         TKitFillObject f;
         f.SetStyle(TKitFillStyle::sfBitmap);
         f.SetTileMode(TKitTileMode::tmNone);
         return Notifications<TKitFillObject>(f, [](auto& o) { o.SetOffsetX(5); });
       },
       1},
      {"fill: the gradient's change",
       [] { TKitFillObject f; return Notifications<TKitFillObject>(f, [](auto& o) { o.GetGradient()->SetEndColor(kRed); }); }, 1},
      {"fill: the brush's change",
       [] { TKitFillObject f; return Notifications<TKitFillObject>(f, [](auto& o) { o.GetBrush()->SetColor(kRed); }); }, 1},
      {"shadow: depth 41 refused",
       [] {
         TKitShadow s;
         int n = Notifications<TKitShadow>(s, [](auto& o) { o.SetDepth(41); });
         return s.GetDepth() == 6 ? n : -1;
       },
       0},
      {"region: RoundX of a rectangle",
       [] {
         TKitRegion r;
         r.SetShape(TKitRegionShape::rsRect);
         int n = Notifications<TKitRegion>(r, [](auto& o) { o.SetRoundX(30); });
         return r.GetRoundX() == 30 ? n : -1;
       },
       0},
      {"region: RoundX of a round rectangle",
       [] { TKitRegion r; return Notifications<TKitRegion>(r, [](auto& o) { o.SetRoundX(30); }); }, 1},
      {"region: its shadow's change",
       [] { TKitRegion r; return Notifications<TKitRegion>(r, [](auto& o) { o.GetShadow()->SetColor(kRed); }); }, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.Count(), c.Expected) << c.Name;
}

TEST(KitFillObject, FillsByItsStyle) {
  auto b = Filled(10, 10, kSentinel);
  TKitFillObject fill;
  // sfNone: nothing.
  EXPECT_FALSE(FillObjectRect(&fill, b->Canvas(), Rect(0, 0, 10, 10), kGreen));
  EXPECT_EQ(Px(*b, 5, 5), 0x123456u);
  // An empty picture: the background, and false.
  fill.SetStyle(TKitFillStyle::sfBitmap);
  EXPECT_FALSE(FillObjectRect(&fill, b->Canvas(), Rect(2, 2, 8, 8), kGreen));
  EXPECT_EQ(Px(*b, 5, 5), 0x008000u);
  EXPECT_EQ(Px(*b, 1, 1), 0x123456u);
  // A hatch brush: its lines on the background colour.
  fill.SetStyle(TKitFillStyle::sfBrush);
  fill.GetBrush()->SetColor(kRed);
  fill.GetBrush()->SetStyle(bsCross);
  auto h = Filled(16, 16, kSentinel);
  EXPECT_TRUE(FillObjectRect(&fill, h->Canvas(), Rect(0, 0, 16, 16), kGreen));
  int red = 0, green = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      std::uint32_t c = Px(*h, x, y);
      red += c == 0x0000FF, green += c == 0x008000;
      ASSERT_TRUE(c == 0x0000FF || c == 0x008000) << x << "," << y;
    }
  EXPECT_GT(red, 0);
  EXPECT_GT(green, red);
  // A gradient.
  fill.SetStyle(TKitFillStyle::sfGradient);
  fill.GetGradient()->SetColor(kRed);
  fill.GetGradient()->SetEndColor(kGreen);
  auto g = Filled(10, 20, kSentinel);
  EXPECT_TRUE(FillObjectRect(&fill, g->Canvas(), Rect(0, 0, 10, 20), kSentinel));
  EXPECT_EQ(Px(*g, 5, 0), 0x0000FFu);
  EXPECT_EQ(Px(*g, 5, 19), 0x008000u);
}

}  // namespace
