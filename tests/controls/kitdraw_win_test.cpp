// The kit's drawing routines on 32-bit DIB sections: bevels, gradients, transparent and
// placed pictures, 3D and turned captions, what they leave in the device context, and that
// they keep no GDI object.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "classlib/windows/pictures.h"
#include "controls/kitdraw.h"
#include "controls/kitgraphics.h"
#include "kit_gdi_count.h"

namespace {

constexpr TColor kRed = static_cast<TColor>(0x0000FF);
constexpr TColor kGreen = static_cast<TColor>(0x008000);
constexpr TColor kBlue = static_cast<TColor>(0xFF0000);
constexpr TColor kWhite = static_cast<TColor>(0xFFFFFF);
constexpr TColor kMagenta = static_cast<TColor>(0xFF00FF);
constexpr TColor kSentinel = static_cast<TColor>(0x123456);

// A bitmap of W × H in one colour.
std::unique_ptr<TBitmap> Filled(int W, int H, TColor Color) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(W, H);
  PrepareBitmap(b.get(), Bounds(0, 0, W, H), Color);
  return b;
}

std::uint32_t Px(TBitmap& B, int X, int Y) { return static_cast<std::uint32_t>(B.Canvas()->GetPixels(X, Y)) & 0xFFFFFF; }
std::uint32_t Rgb(TColor C) { return static_cast<std::uint32_t>(C) & 0xFFFFFF; }

// The bounding box of the pixels for which Take holds; empty when none.
TRect BoxOf(TBitmap& B, const std::function<bool(std::uint32_t)>& Take) {
  TRect box{B.GetWidth(), B.GetHeight(), 0, 0};
  for (int y = 0; y < B.GetHeight(); ++y)
    for (int x = 0; x < B.GetWidth(); ++x)
      if (Take(Px(B, x, y))) {
        box.Left = std::min(box.Left, x), box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1), box.Bottom = std::max(box.Bottom, y + 1);
      }
  return box.IsEmpty() ? TRect{} : box;
}

// Every pixel outside Inside still has the colour Color.
void ExpectUntouchedOutside(TBitmap& B, const TRect& Inside, TColor Color) {
  for (int y = 0; y < B.GetHeight(); ++y)
    for (int x = 0; x < B.GetWidth(); ++x) {
      if (!Inside.Contains({x, y})) {
        ASSERT_EQ(Px(B, x, y), Rgb(Color)) << x << "," << y;
      }
    }
}

TEST(KitDraw, BevelsColourTheirOuterRightColumnAndBottomRow) {
  for (int width : {1, 3}) {
    auto b = Filled(20, 20, kWhite);
    TRect r = Rect(0, 0, 20, 20);
    ASSERT_TRUE(DrawBevelStyle(b->Canvas(), r, TKitBevelStyle::bvRaised, width, kBlue, kRed));
    EXPECT_EQ(r, Rect(width, width, 20 - width, 20 - width));
    for (int i = 0; i < 20; ++i) {
      EXPECT_EQ(Px(*b, 19, i), Rgb(kBlue)) << "right column " << i;   // shadow at the bottom right
      EXPECT_EQ(Px(*b, i, 19), Rgb(kBlue)) << "bottom row " << i;
    }
    EXPECT_EQ(Px(*b, 0, 10), Rgb(kRed));  // light at the top left
    EXPECT_EQ(Px(*b, 10, 0), Rgb(kRed));
    EXPECT_EQ(Px(*b, width - 1, 10), Rgb(kRed));
    EXPECT_EQ(Px(*b, 20 - width, 10), Rgb(kBlue));
    EXPECT_EQ(Px(*b, width, width), Rgb(kWhite));  // inside untouched
  }
  auto b = Filled(20, 20, kWhite);
  TRect r = Rect(0, 0, 20, 20);
  EXPECT_FALSE(DrawBevelStyle(b->Canvas(), r, TKitBevelStyle::bvShadow, 2, kBlue, kRed));
  EXPECT_FALSE(DrawBevelStyle(b->Canvas(), r, TKitBevelStyle::bvRaised, 0, kBlue, kRed));
  EXPECT_EQ(r, Rect(0, 0, 20, 20));
}

TEST(KitDraw, EachStandardBorderShrinksItsRectangleByItsEdges) {
  using S = TKitBorderStyle;
  // Pixels taken at the left, top, right and bottom. The edges drawn without adjusting
  // leave their side to the content: lsSingle's lower right, and one side of the spb
  // styles, so those take less there than BorderWidthOf says.
  struct Case {
    S Style;
    int Left, Top, Right, Bottom;
  } cases[] = {
      {S::lsNone, 0, 0, 0, 0},         {S::lsSingle, 1, 1, 0, 0},         {S::lsLowered, 2, 2, 2, 2},
      {S::lsRaised, 2, 2, 2, 2},       {S::lsRaisedspb, 1, 1, 2, 2},      {S::lsLoweredspb, 2, 2, 1, 1},
      {S::lsRaisedExt, 2, 2, 2, 2},    {S::lsLoweredExt, 2, 2, 2, 2},     {S::lsFrameInset, 2, 2, 2, 2},
      {S::lsFrameOffset, 2, 2, 2, 2},  {S::lsWindowBorder, 2, 2, 2, 2},   {S::lsSingleRaised, 1, 1, 1, 1},
      {S::lsSingleLowered, 1, 1, 1, 1}, {S::lsDoubleRaised, 2, 2, 2, 2},  {S::lsDoubleLowered, 2, 2, 2, 2},
  };
  for (const Case& c : cases) {
    auto b = Filled(30, 20, kSentinel);
    TRect r = Rect(0, 0, 30, 20);
    DrawStandardBorder(b->Canvas(), r, c.Style);
    EXPECT_EQ(r, Rect(c.Left, c.Top, 30 - c.Right, 20 - c.Bottom)) << EnumName(c.Style);
    EXPECT_LE(std::max({c.Left, c.Top, c.Right, c.Bottom}), BorderWidthOf(c.Style)) << EnumName(c.Style);
    // Drawn only outside what is left.
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) {
        if (x < 2 || y < 2 || x >= 28 || y >= 18) continue;  // an unadjusted edge may lie there
        ASSERT_EQ(Px(*b, x, y), Rgb(kSentinel)) << EnumName(c.Style) << " " << x << "," << y;
      }
    if (c.Style != S::lsNone) {  // lsWindowBorder leaves its outermost left column
      EXPECT_TRUE(Px(*b, 0, 10) != Rgb(kSentinel) || Px(*b, 1, 10) != Rgb(kSentinel)) << EnumName(c.Style);
    }
  }
}

TEST(KitDraw, TwoColoursOverTenPixelsAndCornerSquares) {
  std::vector<std::uint32_t> two{Rgb(kRed), Rgb(kBlue)};
  auto b = Filled(10, 4, kWhite);
  GradientFill(b->Canvas(), Rect(0, 0, 10, 4), TKitGradientStyle::gstHorizontal, {}, 0, nullptr, two);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(Px(*b, x, 2), x < 5 ? Rgb(kRed) : Rgb(kBlue)) << x;

  std::vector<std::uint32_t> four{0x000010, 0x000020, 0x000030, 0x000040};
  auto c = Filled(40, 40, kWhite);
  GradientFill(c->Canvas(), Rect(0, 0, 40, 40), TKitGradientStyle::gstTopLeft, {}, 0, nullptr, four);
  // Squares of 40, 30, 20 and 10 pixels from the corner, the smallest in the first colour.
  for (int d = 0; d < 40; ++d) {
    EXPECT_EQ(Px(*c, d, d), four[d / 10]) << d;
    EXPECT_EQ(Px(*c, 39, d), four[3]) << d;
  }
}

TEST(KitDraw, MoreColoursThanRowsFillEveryRow) {
  std::vector<std::uint32_t> ramp;
  CalcGradientColors(kRed, kBlue, 200, ramp);
  auto b = Filled(5, 10, kSentinel);
  GradientFill(b->Canvas(), Rect(0, 0, 5, 10), TKitGradientStyle::gstVertical, {}, 0, nullptr, ramp);
  for (int y = 0; y < 10; ++y) EXPECT_NE(Px(*b, 2, y), Rgb(kSentinel)) << y;
  // The red end at the top, the blue one at the bottom (with more colours than rows some
  // are never seen).
  EXPECT_GT(Px(*b, 2, 0) & 0xFF, 0xE0u);
  EXPECT_GT(Px(*b, 2, 9) >> 16, 0xE0u);
}

TEST(KitDraw, OffScreenGradientsEqualDirectOnesAndStayInTheirRectangle) {
  std::vector<std::uint32_t> ramp;
  CalcGradientColors(kRed, kGreen, 16, ramp);
  for (int s = 0; s < HxEnumInfo(TKitGradientStyle{}).Count(); ++s) {
    auto style = static_cast<TKitGradientStyle>(s);
    auto direct = Filled(60, 50, kSentinel), off = Filled(60, 50, kSentinel);
    TRect target = Rect(10, 8, 50, 40);
    GradientFill(direct->Canvas(), target, style, {}, 0, nullptr, ramp);
    GradientFill(off->Canvas(), target, style, {}, kdfGrUseBitmap, nullptr, ramp);
    ExpectUntouchedOutside(*direct, target, kSentinel);
    ExpectUntouchedOutside(*off, target, kSentinel);
    for (int y = target.Top; y < target.Bottom; ++y)
      for (int x = target.Left; x < target.Right; ++x)
        ASSERT_EQ(Px(*direct, x, y), Px(*off, x, y)) << EnumName(style) << " " << x << "," << y;
  }
}

TEST(KitDraw, TransparentPicturesKeepTheTargetUnderTheirTransparentPixels) {
  // A 4 × 4 blue picture with a magenta column on the left.
  auto picture = Filled(4, 4, kBlue);
  for (int y = 0; y < 4; ++y) picture->Canvas()->SetPixels(0, y, kMagenta);
  // By colour.
  auto target = Filled(8, 8, kRed);
  DrawBitmapCore(target->Canvas(), Rect(2, 2, 6, 6), picture.get(), nullptr, kMagenta, kdfTransparent);
  EXPECT_EQ(Px(*target, 2, 3), Rgb(kRed));
  EXPECT_EQ(Px(*target, 3, 3), Rgb(kBlue));
  EXPECT_EQ(Px(*target, 6, 3), Rgb(kRed));
  // Through a mask: white where transparent (here the top row).
  auto mask = Filled(4, 4, static_cast<TColor>(0));
  for (int x = 0; x < 4; ++x) mask->Canvas()->SetPixels(x, 0, kWhite);
  auto target2 = Filled(8, 8, kRed);
  DrawBitmapCore(target2->Canvas(), Rect(2, 2, 6, 6), picture.get(), mask.get(), clNone, kdfMask);
  EXPECT_EQ(Px(*target2, 3, 2), Rgb(kRed));
  EXPECT_EQ(Px(*target2, 3, 3), Rgb(kBlue));
  EXPECT_EQ(Px(*target2, 2, 3), Rgb(kMagenta));  // not transparent by colour here
}

TEST(KitDraw, PicturesAreCentredTiledAndStretchedWithinTheirTarget) {
  // A 3 × 3 picture: red at its top-left, blue elsewhere.
  auto picture = Filled(3, 3, kBlue);
  picture->Canvas()->SetPixels(0, 0, kRed);
  TRect target = Rect(5, 5, 15, 15);
  auto tiled = Filled(20, 20, kSentinel);
  DrawBitmapFlags(tiled->Canvas(), target, picture.get(), {}, clNone, kdfTile);
  ExpectUntouchedOutside(*tiled, target, kSentinel);
  EXPECT_EQ(Px(*tiled, 5, 5), Rgb(kRed));
  EXPECT_EQ(Px(*tiled, 14, 14), Rgb(kRed));  // 5 + 3 × 3: a tile starts there
  EXPECT_EQ(Px(*tiled, 13, 13), Rgb(kBlue));

  auto big = Filled(30, 30, kBlue);
  big->Canvas()->SetPixels(0, 0, kRed);
  auto centred = Filled(20, 20, kSentinel);
  DrawBitmapFlags(centred->Canvas(), target, big.get(), {}, clNone, kdfCenter);
  ExpectUntouchedOutside(*centred, target, kSentinel);  // cut at the target
  EXPECT_EQ(Px(*centred, 10, 10), Rgb(kBlue));

  auto stretched = Filled(20, 20, kSentinel);
  DrawBitmapFlags(stretched->Canvas(), target, picture.get(), {}, clNone, kdfStretch);
  ExpectUntouchedOutside(*stretched, target, kSentinel);
  EXPECT_EQ(BoxOf(*stretched, [](std::uint32_t c) { return c == Rgb(kRed); }), Rect(5, 5, 8, 8));

  // An empty picture draws nothing, whatever the flags.
  TBitmap empty;
  for (TKitDrawFlags flags : {TKitDrawFlags(0), kdfCenter, kdfTile, kdfStretch, TKitDrawFlags(kdfStretch | kdfAspect),
                              TKitDrawFlags(kdfTransparent | kdfTile)}) {
    auto b = Filled(20, 20, kSentinel);
    DrawBitmapFlags(b->Canvas(), target, &empty, {}, kMagenta, flags);
    ExpectUntouchedOutside(*b, TRect{}, kSentinel);
  }
}

// A font without smoothing, so text pixels are the text colour alone.
void PlainFont(TCanvas* Canvas, int Height) {
  LOGFONTW font{};
  font.lfHeight = Height;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = NONANTIALIASED_QUALITY;
  wcscpy(font.lfFaceName, L"Liberation Sans");
  Canvas->GetFont()->SetHandle(CreateFontIndirectW(&font));
}

TEST(KitDraw, SunkenTextHasItsLightCopyOnePixelRightAndDown) {
  auto plain = Filled(80, 40, kWhite), sunken = Filled(80, 40, kWhite);
  for (TBitmap* b : {plain.get(), sunken.get()}) {
    PlainFont(b->Canvas(), -24);
    b->Canvas()->GetFont()->SetColor(kBlue);
  }
  TKit3DCaption caption;
  caption.SetLightColor(kRed);
  TRect r = Rect(0, 0, 80, 40);
  Draw3DText(plain->Canvas(), "|", nullptr, {}, 0, DT_LEFT | DT_TOP | DT_SINGLELINE, r);
  Draw3DText(sunken->Canvas(), "|", &caption, {}, k3dEnabled, DT_LEFT | DT_TOP | DT_SINGLELINE, r);
  caption.SetStyle(TKitThreeDStyle::tdSunken);
  auto sunken2 = Filled(80, 40, kWhite);
  PlainFont(sunken2->Canvas(), -24);
  sunken2->Canvas()->GetFont()->SetColor(kBlue);
  Draw3DText(sunken2->Canvas(), "|", &caption, {}, k3dEnabled, DT_LEFT | DT_TOP | DT_SINGLELINE, r);
  auto blue = [](std::uint32_t c) { return c == Rgb(kBlue); };
  auto red = [](std::uint32_t c) { return c == Rgb(kRed); };
  TRect text = BoxOf(*plain, blue);
  ASSERT_FALSE(text.IsEmpty());
  EXPECT_EQ(BoxOf(*sunken, blue), text);  // tdNone: the text alone
  EXPECT_EQ(BoxOf(*sunken2, blue), text);
  EXPECT_EQ(BoxOf(*sunken2, red), OffsetRect(text, 1, 1));
}

TEST(KitDraw, TurnedTextLeavesTheContextAsItFoundIt) {
  auto b = Filled(120, 120, kWhite);
  TCanvas* canvas = b->Canvas();
  PlainFont(canvas, -20);
  canvas->GetFont()->SetColor(kBlue);
  HDC dc = canvas->GetHandle();
  // The caller's state: a moved origin, a clip of its own, a character extra.
  SetViewportOrgEx(dc, 10, 10, nullptr);
  HRGN callerClip = CreateRectRgn(5, 5, 115, 115);  // device coordinates
  SelectClipRgn(dc, callerClip);
  SetTextCharacterExtra(dc, 3);
  HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  TKitFxCaption caption;
  caption.SetAngle(90);
  caption.SetTracing(2);
  caption.SetStyle(TKitThreeDStyle::tdRaised);
  TRect clip = Rect(20, 20, 60, 90);  // logical: device (30, 30, 70, 100)
  // Turned up from (20, 85): the text runs up through the clip and beyond it.
  Draw3DText(canvas, "ЖЖЖЖЖЖЖЖ", &caption, clip, k3dEnabled | k3dClip, 0, Rect(20, 85, 100, 118));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
  EXPECT_EQ(GetTextCharacterExtra(dc), 3);
  POINT origin{};
  GetViewportOrgEx(dc, &origin);
  EXPECT_EQ(origin.x, 10);
  HRGN now = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetClipRgn(dc, now), 1);
  EXPECT_TRUE(EqualRgn(now, callerClip));
  DeleteObject(now);
  DeleteObject(callerClip);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  TRect device = Rect(30, 30, 70, 100);
  ExpectUntouchedOutside(*b, device, kWhite);
  EXPECT_FALSE(BoxOf(*b, [](std::uint32_t c) { return c != Rgb(kWhite); }).IsEmpty());  // something was drawn
}

TEST(KitDraw, MeasuredCaptions) {
  auto b = Filled(10, 10, kWhite);
  TCanvas* canvas = b->Canvas();
  PlainFont(canvas, -20);
  auto measure = [&](const String& text, TKit3DCaption* caption, bool showAccel) {
    TRect r = Rect(0, 0, 0, 0);
    CalcTextRect(canvas, text, caption, 0, false, showAccel, DT_LEFT, r);
    return r;
  };
  TRect line = measure("A", nullptr, true);
  EXPECT_GT(line.Height(), 2);
  EXPECT_EQ(measure("", nullptr, true).Height(), line.Height());  // one line high
  EXPECT_EQ(measure("&", nullptr, true), measure(" ", nullptr, true));  // a space
  EXPECT_NE(measure("&", nullptr, false), measure(" ", nullptr, false));  // shown as it is

  TKitFxCaption turned;
  TRect flat = measure("Hello world", &turned, true);
  turned.SetAngle(90);
  TRect upright = measure("Hello world", &turned, true);
  EXPECT_NEAR(upright.Width(), flat.Height(), 1);
  EXPECT_NEAR(upright.Height(), flat.Width(), 1);
  EXPECT_GE(turned.GetPosX(), 0);
  EXPECT_GE(turned.GetPosY(), 0);
  turned.SetStyle(TKitThreeDStyle::tdShadow);
  turned.SetShadowDepth(4);
  TRect deeper = measure("Hello world", &turned, true);
  EXPECT_EQ(deeper.Width(), upright.Width() + 4);
}

TEST(KitDraw, RoutinesKeepNoGdiObject) {
  int before = LiveGdiObjects();
  ASSERT_GT(before, 0) << "no way to count GDI objects";
  {  // the count sees objects come and go
    HBRUSH brush = CreateSolidBrush(0);
    EXPECT_EQ(LiveGdiObjects(), before + 1);
    DeleteObject(brush);
    EXPECT_EQ(LiveGdiObjects(), before);
  }
  auto target = Filled(64, 48, kWhite);
  TCanvas* canvas = target->Canvas();
  PlainFont(canvas, -14);
  auto picture = Filled(5, 5, kBlue);
  picture->Canvas()->SetPixels(0, 0, kMagenta);
  auto mask = Filled(5, 5, kWhite);
  std::vector<std::uint32_t> ramp;
  CalcGradientColors(kRed, kBlue, 32, ramp);
  HPALETTE palette = CreateGradientPalette(ramp);
  TKitFxCaption caption;
  caption.SetStyle(TKitThreeDStyle::tdRaisedShadow);
  caption.SetAngle(30);
  caption.SetTracing(1);
  TKitFillObject fill, gradient;
  fill.SetStyle(TKitFillStyle::sfBrush);
  fill.GetBrush()->SetStyle(bsCross);
  gradient.SetStyle(TKitFillStyle::sfGradient);
  TBitmap work;
  std::vector<std::pair<const char*, std::function<void()>>> routines = {
      {"bevel", [&] {
         TRect r = Rect(0, 0, 40, 40);
         DrawBevelStyle(canvas, r, TKitBevelStyle::bvFrameRaised, 2, kBlue, kRed);
         DrawBevelStyle(canvas, r, TKitBevelStyle::bvLowered, 3, kBlue, kRed);
       }},
      {"shadow frame", [&] {
         TRect r = Rect(0, 0, 40, 40);
         DrawShadowFrame(canvas, r, kRed, false, 2, 3, kGreen, kBlue);
       }},
      {"standard border", [&] {
         TRect r = Rect(0, 0, 40, 40);
         DrawStandardBorder(canvas, r, TKitBorderStyle::lsWindowBorder);
       }},
      {"pictures", [&] {
         DrawBitmapFlags(canvas, Rect(0, 0, 30, 30), picture.get(), {}, kMagenta,
                         kdfTransparent | kdfTile | kdfClip | kdfPalette);
         DrawBitmapCore(canvas, Rect(0, 0, 30, 30), picture.get(), mask.get(), clNone, kdfMask | kdfStretch);
         DrawMaskedBitmap(canvas, Rect(0, 0, 9, 9), picture.get(), kBlue, kMagenta, &work);
       }},
      {"gradient", [&] {
         GradientFill(canvas, Rect(0, 0, 50, 40), TKitGradientStyle::gstElliptic, {}, kdfGrUseBitmap | kdfPalette,
                      palette, ramp);
         GradientFill(canvas, Rect(0, 0, 50, 40), TKitGradientStyle::gstSquare, {}, kdfClip, nullptr, ramp);
       }},
      {"text", [&] {
         Draw3DText(canvas, "Текст", &caption, Rect(0, 0, 30, 30), k3dEnabled | k3dClip, 0, Rect(0, 0, 60, 40));
         TRect r{};
         CalcTextRect(canvas, "Текст", &caption, 1, false, true, 0, r);
         MeasureText(canvas->GetFont(), "Текст", nullptr, 0, true, true, 0, r);
       }},
      {"fill", [&] {
         FillObjectRect(&fill, canvas, Rect(0, 0, 20, 20), kGreen);
         FillObjectRect(&gradient, canvas, Rect(0, 0, 20, 20), kGreen);
       }},
  };
  for (auto& [name, routine] : routines) {
    routine();  // warm-up: objects made once and kept (fonts, caches) are made now
    int start = LiveGdiObjects();
    for (int i = 0; i < 2000; ++i) routine();
    EXPECT_EQ(LiveGdiObjects(), start) << name;
  }
  DeleteObject(palette);
}

}  // namespace
