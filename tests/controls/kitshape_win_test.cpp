// Regions and the shaped form: the region mask in form streams, the 17 shapes, and a form
// read from its text form with the main window's shield, on screen under Wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <vector>

#include "classlib/windows/application.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/windows/forms.h"
#include "controls/kitdraw.h"
#include "controls/kitshape.h"
#include "kit_gdi_count.h"
#include "test_paths.h"
#include "tests/classlib/gui_test_util.h"

// A windowless control on the shield form: the form is not dragged by it.
class TShieldTestBox : public TGraphicControl {
  HX_CLASS(TShieldTestBox, TGraphicControl)
 public:
  explicit TShieldTestBox(TComponent* AOwner) : TGraphicControl(AOwner) {}
};
HX_PUBLISH(TShieldTestBox, p) {}

class TShieldForm : public TForm {
  HX_CLASS(TShieldForm, TForm)
 public:
  using TForm::TForm;
  TKitFormShape* KitFormShape1 = nullptr;
  TShieldTestBox* Box1 = nullptr;
};
HX_PUBLISH(TShieldForm, p) {
  p.Field("KitFormShape1", &TShieldForm::KitFormShape1);
  p.Field("Box1", &TShieldForm::Box1);
}

namespace {

// An ellipse with a rectangle beside it: the region of the mask tests.
HRGN SampleRegion() {
  HRGN r = CreateEllipticRgn(0, 0, 50, 40);
  HRGN b = CreateRectRgn(30, 30, 80, 60);
  CombineRgn(r, r, b, RGN_OR);
  DeleteObject(b);
  return r;
}

std::unique_ptr<TMemoryStream> Write(TComponent* Root) {
  auto stream = std::make_unique<TMemoryStream>();
  TWriter writer(stream.get());
  writer.WriteRootComponent(Root);
  stream->SetPosition(0);
  return stream;
}

std::unique_ptr<TKitFormShape> Read(TStream* Stream) {
  Stream->SetPosition(0);
  TReader reader(Stream);
  return std::unique_ptr<TKitFormShape>(dynamic_cast<TKitFormShape*>(reader.ReadRootComponent(nullptr)));
}

std::string AsText(TStream* Binary) {
  Binary->SetPosition(0);
  TMemoryStream text;
  ObjectBinaryToText(Binary, &text);
  return std::string(static_cast<const char*>(text.Memory()), static_cast<std::size_t>(text.GetSize()));
}

std::unique_ptr<TKitFormShape> MaskedShape() {
  auto shape = std::make_unique<TKitFormShape>(nullptr);
  shape->SetName("KitFormShape1");
  shape->GetRegion()->SetShape(TKitRegionShape::rsBitmap);
  HRGN sample = SampleRegion();
  shape->GetRegion()->GetMask()->SetRegion(sample);
  DeleteObject(sample);
  return shape;
}

TEST(KitRegionMask, RegionDataTravelsThroughTheFormStream) {
  auto shape = MaskedShape();
  auto stream = Write(shape.get());
  std::string text = AsText(stream.get());
  EXPECT_NE(text.find("Region.Mask.RegionData"), std::string::npos);
  EXPECT_EQ(text.find("Bmp"), std::string::npos) << text;  // empty pictures write nothing
  auto read = Read(stream.get());
  TKitRegionMask* mask = read->GetRegion()->GetMask();
  HRGN got = CreateMaskRegion(mask->RegionData(), static_cast<std::size_t>(mask->GetRegionDataSize()));
  ASSERT_NE(got, nullptr);
  HRGN sample = SampleRegion();
  EXPECT_TRUE(EqualRgn(got, sample));
  // The shape's own region is built from it too.
  HRGN built = read->GetRegion()->CreateRegion(Rect(0, 0, 100, 100));
  ASSERT_NE(built, nullptr);
  EXPECT_TRUE(EqualRgn(built, sample));
  DeleteObject(sample);
  DeleteObject(got);
}

TEST(KitRegionMask, TheDataSetsItsOwnSize) {
  auto shape = MaskedShape();
  int size = shape->GetRegion()->GetMask()->GetRegionDataSize();
  std::string text = AsText(Write(shape.get()).get());
  text = std::regex_replace(text, std::regex("RegionDataSize = \\d+"), "RegionDataSize = 7");
  TMemoryStream in, binary;
  in.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  in.SetPosition(0);
  ObjectTextToBinary(&in, &binary);
  auto read = Read(&binary);
  EXPECT_EQ(read->GetRegion()->GetMask()->GetRegionDataSize(), size);
  EXPECT_NE(read->GetRegion()->CreateRegion(Rect(0, 0, 100, 100)), nullptr);
}

TEST(KitRegionMask, ACompressedPictureSetsCompressed) {
  auto shape = MaskedShape();
  TKitRegionMask* mask = shape->GetRegion()->GetMask();
  PrepareBitmap(mask->BorderBmp(), Rect(0, 0, 12, 9), static_cast<TColor>(0x0000FF));
  mask->SetCompressed(true);
  auto stream = Write(shape.get());
  std::string text = AsText(stream.get());
  EXPECT_NE(text.find("Region.Mask.BorderBmp"), std::string::npos);
  EXPECT_EQ(text.find("BorderUpBmp"), std::string::npos);
  // Compressed is written as a published value too: take it out, so that only the
  // picture's flag can set it.
  text = std::regex_replace(text, std::regex("\\s*Region\\.Mask\\.Compressed = True"), "");
  TMemoryStream in, binary;
  in.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  in.SetPosition(0);
  ObjectTextToBinary(&in, &binary);
  auto read = Read(&binary);
  TKitRegionMask* got = read->GetRegion()->GetMask();
  EXPECT_TRUE(got->GetCompressed());
  EXPECT_EQ(got->BorderBmp()->GetWidth(), 12);
  EXPECT_EQ(got->BorderBmp()->Canvas()->GetPixels(5, 5) & 0xFFFFFF, 0x0000FF);
}

TEST(KitRegionMask, ShortOrOverstatedDataBuildsNoRegion) {
  HRGN sample = SampleRegion();
  TKitRegionMask mask;
  mask.SetRegion(sample);
  DeleteObject(sample);
  std::vector<std::uint8_t> data(mask.RegionData(), mask.RegionData() + mask.GetRegionDataSize());
  HRGN good = CreateMaskRegion(data.data(), data.size());
  EXPECT_NE(good, nullptr);
  DeleteObject(good);
  EXPECT_EQ(CreateMaskRegion(data.data(), data.size() - 1), nullptr);  // short
  EXPECT_EQ(CreateMaskRegion(data.data(), 16), nullptr);
  data[8] += 1;  // one rectangle more than there is
  EXPECT_EQ(CreateMaskRegion(data.data(), data.size()), nullptr);
  // Nor does a shape built from such data.
  TKitRegion region;
  region.GetShadow()->SetStyle(TKitShadowStyle::hssNone);
  region.SetShape(TKitRegionShape::rsBitmap);
  region.GetMask()->SetRegionData(data.data(), static_cast<int>(data.size()));
  EXPECT_EQ(region.CreateRegion(Rect(0, 0, 100, 100)), nullptr);
  region.SetShape(TKitRegionShape::rsUserRegion);
  region.SetUserRegionData(data.data(), static_cast<int>(data.size()));
  EXPECT_EQ(region.CreateRegion(Rect(0, 0, 100, 100)), nullptr);
  region.GetMask()->SetRegionDataSize(0);
  region.SetShape(TKitRegionShape::rsBitmap);
  EXPECT_EQ(region.CreateRegion(Rect(0, 0, 100, 100)), nullptr);
}

// ---- The shapes ----

struct ShapeCase {
  TKitRegionShape Shape;
  TRect Box;
  int Tolerance;
  std::vector<TPoint> In, Out;
};

TEST(KitRegion, TheSeventeenShapesInARectangle) {
  using S = TKitRegionShape;
  const ShapeCase cases[] = {
      {S::rsRect, {0, 0, 200, 150}, 0, {{100, 75}, {3, 3}}, {{203, 75}}},
      {S::rsRoundRect, {0, 0, 200, 150}, 1, {{100, 75}, {3, 75}}, {{0, 0}, {199, 149}}},
      // Nose at the top-left: body (20, 20, 200, 150), tip (0, 0), base (20, 25)-(20, 53).
      {S::rsNoseRect, {0, 0, 200, 150}, 2, {{100, 75}, {15, 30}}, {{10, 60}, {5, 140}}},
      {S::rsRoundNoseRect, {0, 0, 200, 150}, 3, {{100, 75}, {16, 42}}, {{10, 100}, {10, 2}}},
      {S::rsElliptic, {0, 0, 200, 150}, 1, {{100, 75}, {5, 75}}, {{5, 5}, {195, 145}}},
      {S::rsStar, {0, 0, 200, 150}, 1, {{100, 75}, {100, 20}}, {{30, 30}, {100, 140}}},
      // The shields: their big ellipses reach as far above the top as below, and all of
      // that is cut away; the two small ellipses cut the shoulders.
      {S::rsRoundShield, {0, 0, 200, 150}, 2, {{100, 75}, {20, 60}, {100, 145}}, {{30, 5}, {5, 140}, {100, -20}}},
      {S::rsSharpShield, {3, 0, 197, 149}, 2, {{100, 75}, {100, 140}, {60, 40}}, {{30, 5}, {20, 130}, {100, -60}}},
      {S::rsDiamond, {0, 0, 200, 150}, 1, {{100, 75}, {100, 5}}, {{10, 10}, {190, 140}}},
      {S::rsOctagon, {0, 0, 200, 150}, 1, {{100, 75}, {5, 75}}, {{5, 5}, {195, 5}}},
      {S::rsComb, {0, 0, 200, 150}, 1, {{100, 75}, {5, 75}}, {{5, 5}, {5, 145}}},
      // The lower half of an ellipse twice the rectangle's height: the whole ellipse.
      {S::rsHalfRound, {0, -150, 200, 150}, 1, {{100, 75}, {100, 5}}, {{5, 140}, {195, 145}}},
      // Bubbles at the top-left: body (33, 33, 200, 150), a bubble of 13 round (23, 31).
      {S::rsThinkBubble, {0, 0, 200, 150}, 1, {{100, 75}, {23, 31}, {40, 140}}, {{15, 60}, {10, 140}}},
      {S::rsRoundThinkBubble, {0, 0, 200, 150}, 1, {{100, 75}, {23, 31}}, {{15, 60}, {34, 149}}},
      {S::rsEllipticThinkBubble, {0, 0, 200, 150}, 1, {{116, 91}, {23, 31}}, {{15, 60}, {40, 140}}},
  };
  for (const ShapeCase& c : cases) {
    TKitRegion region;
    region.GetShadow()->SetStyle(TKitShadowStyle::hssNone);
    region.SetShape(c.Shape);
    HRGN r = region.CreateRegion(Rect(0, 0, 200, 150));
    ASSERT_NE(r, nullptr) << EnumName(c.Shape);
    RECT box{};
    GetRgnBox(r, &box);
    EXPECT_NEAR(box.left, c.Box.Left, c.Tolerance) << EnumName(c.Shape);
    EXPECT_NEAR(box.top, c.Box.Top, c.Tolerance) << EnumName(c.Shape);
    EXPECT_NEAR(box.right, c.Box.Right, c.Tolerance) << EnumName(c.Shape);
    EXPECT_NEAR(box.bottom, c.Box.Bottom, c.Tolerance) << EnumName(c.Shape);
    for (TPoint p : c.In) EXPECT_TRUE(PtInRegion(r, p.X, p.Y)) << EnumName(c.Shape) << " in " << p.X << "," << p.Y;
    for (TPoint p : c.Out) EXPECT_FALSE(PtInRegion(r, p.X, p.Y)) << EnumName(c.Shape) << " out " << p.X << "," << p.Y;
  }
  // Without data the two data shapes have no region; with it, the user region is it.
  TKitRegion region;
  for (S shape : {S::rsBitmap, S::rsUserRegion}) {
    region.SetShape(shape);
    EXPECT_EQ(region.CreateRegion(Rect(0, 0, 200, 150)), nullptr) << EnumName(shape);
  }
  HRGN sample = SampleRegion();
  region.SetUserRegion(sample);
  HRGN user = region.CreateRegion(Rect(0, 0, 200, 150));
  ASSERT_NE(user, nullptr);
  EXPECT_TRUE(EqualRgn(user, sample));
  DeleteObject(sample);
}

TEST(KitRegion, TheShadowTakesItsDepthAndThePainterStaysInTheShape) {
  TKitRegion region;
  region.SetShape(TKitRegionShape::rsElliptic);
  region.GetBorder()->SetStyle(TKitRegionBorderStyle::rbSingleRaised);
  region.GetShadow()->SetColor(static_cast<TColor>(0xC0C0C0));
  HRGN r = region.CreateRegion(Rect(0, 0, 100, 80));
  RECT box{};
  GetRgnBox(r, &box);
  EXPECT_NEAR(box.right, 94, 1);  // less the default depth 6
  EXPECT_NEAR(box.bottom, 74, 1);
  TBitmap b;
  PrepareBitmap(&b, Rect(0, 0, 100, 80), static_cast<TColor>(0x123456));
  region.PaintBorder(b.Canvas(), Rect(0, 0, 100, 80));
  // Shadow at the lower right, the outline (black) on the shape's edge, the inside kept.
  EXPECT_EQ(b.Canvas()->GetPixels(90, 55) & 0xFFFFFF, 0xC0C0C0);
  EXPECT_EQ(b.Canvas()->GetPixels(0, 37) & 0xFFFFFF, 0x000000);
  EXPECT_EQ(b.Canvas()->GetPixels(47, 37) & 0xFFFFFF, 0x123456);
  EXPECT_EQ(b.Canvas()->GetPixels(3, 3) & 0xFFFFFF, 0x123456);  // outside both
  // A tracing shadow checkers its area: the colour and the background alternate.
  region.GetShadow()->SetStyle(TKitShadowStyle::hssTracing);
  region.GetShadow()->SetColor(static_cast<TColor>(0x000000));
  region.GetBorder()->SetStyle(TKitRegionBorderStyle::rbNone);
  PrepareBitmap(&b, Rect(0, 0, 100, 80), static_cast<TColor>(0xFFFFFF));
  region.PaintBorder(b.Canvas(), Rect(0, 0, 100, 80));
  std::uint32_t a = b.Canvas()->GetPixels(90, 55) & 0xFFFFFF, c = b.Canvas()->GetPixels(91, 55) & 0xFFFFFF;
  EXPECT_NE(a, c);
  EXPECT_TRUE((a == 0 && c == 0xFFFFFF) || (a == 0xFFFFFF && c == 0));
}

TEST(KitRegion, BuildingAndPaintingKeepNoGdiObject) {
  TBitmap b;
  PrepareBitmap(&b, Rect(0, 0, 120, 90), static_cast<TColor>(0xFFFFFF));
  TKitRegion region;
  region.GetShadow()->SetStyle(TKitShadowStyle::hssTracing);
  auto all = [&] {
    for (int s = 0; s < HxEnumInfo(TKitRegionShape{}).Count(); ++s) {
      region.SetShape(static_cast<TKitRegionShape>(s));
      for (int style = 0; style < HxEnumInfo(TKitRegionBorderStyle{}).Count(); style += 3) {
        region.GetBorder()->SetStyle(static_cast<TKitRegionBorderStyle>(style));
        region.CreateRegion(Rect(0, 0, 120, 90));
        region.PaintBorder(b.Canvas(), Rect(0, 0, 120, 90));
      }
    }
  };
  all();  // warm-up (the checker bitmap is made once)
  int start = LiveGdiObjects();
  ASSERT_GT(start, 0);
  for (int i = 0; i < 100; ++i) all();  // 17 shapes × 3 borders each time
  EXPECT_EQ(LiveGdiObjects(), start);
}

// ---- The shield on screen ----

// The main window's shield in client coordinates, with its shadow copy: built here from
// the numbers of the shape, not by the kit.
HRGN ExpectedShield() {
  HRGN shape = CreateEllipticRgn(-560, -524, 560, 524);
  auto combine = [&](HRGN other, int mode) {
    CombineRgn(shape, shape, other, mode);
    DeleteObject(other);
  };
  combine(CreateEllipticRgn(0, -524, 1120, 524), RGN_AND);
  combine(CreateEllipticRgn(-280, -91, 280, 91), RGN_DIFF);
  combine(CreateEllipticRgn(280, -91, 840, 91), RGN_DIFF);
  combine(CreateRectRgn(0, -524, 560, 0), RGN_DIFF);
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(copy, shape, nullptr, RGN_COPY);
  OffsetRgn(copy, 6, 6);
  combine(copy, RGN_OR);
  return shape;
}

// The colour of client row Y: 128 colours from red to lime in equal bands over 463 rows.
std::uint32_t BandColour(int Y) {
  auto mulDiv = [](int a, int b, int c) {  // rounded half away from zero
    long long n = static_cast<long long>(a) * b;
    long long r = ((n < 0 ? -n : n) + c / 2) / c;
    return static_cast<int>(n < 0 ? -r : r);
  };
  int band = 0;
  while (band < 127 && mulDiv(band + 1, 463, 128) <= Y) ++band;
  int red = 255 + mulDiv(band, -255, 127), green = mulDiv(band, 255, 127);
  return static_cast<std::uint32_t>(red | green << 8);
}

constexpr int kBackdropX = 650, kBackdropY = 480;

class ShieldFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backdrop = new TForm(nullptr, CreateNew);
    backdrop->SetBorderStyle(bsNone);
    backdrop->SetColor(static_cast<TColor>(0xFF0000));  // blue: the shield never shows it
    backdrop->SetFormStyle(fsStayOnTop);
    backdrop->SetBounds(kBackdropX, kBackdropY, 620, 520);  // the screen's lower right: other tests' windows
                                                             // seldom come there
    form = NewForm<TShieldForm>(nullptr);
  }
  void TearDown() override {
    delete form;
    delete backdrop;
  }
  HWND Window() { return form->GetHandle(); }
  void ShowBoth() {
    backdrop->Show();
    form->Show();
    guitest::BringToFront(Window());
    guitest::PumpFor(400);
  }
  // The window region, or nullptr when the window has none.
  HRGN WindowRegion() {
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(Window(), r) == ERROR) {
      DeleteObject(r);
      return nullptr;
    }
    return r;
  }
  void ExpectShieldRegion(const char* When) {
    HRGN got = WindowRegion();
    ASSERT_NE(got, nullptr) << When;
    HRGN expected = ExpectedShield();
    EXPECT_TRUE(EqualRgn(got, expected)) << When;
    DeleteObject(expected);
    DeleteObject(got);
  }
  LRESULT HitTest(int X, int Y) {
    TPoint p = form->ClientToScreen({X, Y});
    return SendMessageW(Window(), WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y));
  }
  TForm* backdrop = nullptr;
  TShieldForm* form = nullptr;
};

TEST_F(ShieldFormTest, TheBackgroundIsThereBeforeTheFormIsPainted) {
  // A transparent control painted before the form's first erase gets the gradient.
  TKitFormShape* shape = form->KitFormShape1;
  ASSERT_NE(shape, nullptr);
  EXPECT_TRUE(shape->HasBackground());
  TBitmap* background = shape->GetBackgroundBitmap();
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->GetWidth(), 564);
  EXPECT_EQ(background->GetHeight(), 463);
  EXPECT_EQ(background->Canvas()->GetPixels(10, 0) & 0xFFFFFF, BandColour(0));
  EXPECT_EQ(background->Canvas()->GetPixels(10, 462) & 0xFFFFFF, BandColour(462));
  EXPECT_EQ(FindFormShape(form), shape);
}

TEST_F(ShieldFormTest, TheShieldOnScreen) {
  ShowBoth();
  ExpectShieldRegion("shown");
  RECT w{};
  GetWindowRect(Window(), &w);
  TPoint origin = form->ClientToScreen({0, 0});
  ASSERT_EQ(origin.X, w.left);  // no frame: the client area is the window
  const std::vector<TPoint> shield{{280, 30}, {280, 200}, {100, 150}, {20, 100}, {450, 300}, {280, 440}};
  const std::vector<TPoint> shadow{{522, 200}, {300, 447}};
  const std::vector<TPoint> outside{{5, 5}, {550, 20}, {10, 300}, {280, 462}};
  // The display is shared with other test programs: the points are read once no other
  // window lies over them.
  auto ours = [&] {
    for (const std::vector<TPoint>* points : {&shield, &shadow, &outside})
      for (TPoint p : *points) {
        TPoint s = form->ClientToScreen(p);
        HWND w = WindowFromPoint({s.X, s.Y});
        if (w != Window() && w != backdrop->GetHandle()) return false;
      }
    return true;
  };
  TBitmap screen;
  screen.SetSize(620, 520);
  auto at = [&](TPoint p) {  // a client point's colour on screen
    return static_cast<std::uint32_t>(
               screen.Canvas()->GetPixels(origin.X - kBackdropX + p.X, origin.Y - kBackdropY + p.Y)) &
           0xFFFFFF;
  };
  auto expected = [&](TPoint p, const std::vector<TPoint>& group) {
    return &group == &shield ? BandColour(p.Y) : &group == &shadow ? 0xC0C0C0u : 0xFF0000u;
  };
  auto matches = [&] {
    for (const std::vector<TPoint>* group : {&shield, &shadow, &outside})
      for (TPoint p : *group)
        if (at(p) != expected(p, *group)) return false;
    return true;
  };
  for (int attempt = 0; attempt < 5; ++attempt) {
    SetWindowPos(backdrop->GetHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    guitest::PumpUntil(ours, 3000);
    guitest::PumpFor(150);  // painted
    HDC dc = GetDC(nullptr);
    BitBlt(screen.Canvas()->GetHandle(), 0, 0, 620, 520, dc, kBackdropX, kBackdropY, SRCCOPY);
    ReleaseDC(nullptr, dc);
    if (matches()) break;
  }
  std::filesystem::path dir = std::filesystem::path(horavox::test::BinaryDir()) / "test-artifacts";
  std::filesystem::create_directories(dir);
  TBitmap shot;
  shot.Assign(&screen);
  shot.SetPixelFormat(pf24bit);
  shot.SaveToFile((dir / "controls-shield.bmp").string());
  for (const std::vector<TPoint>* group : {&shield, &shadow, &outside})
    for (TPoint p : *group) EXPECT_EQ(at(p), expected(p, *group)) << p.X << "," << p.Y;
}

// The region is the shield and its shadow, all of it within the window: its box lies
// inside the window's, and its area (the sum of its rectangles) is that of its pixels in
// the window, most of the window.
TEST_F(ShieldFormTest, TheRegionLiesWithinTheWindow) {
  ShowBoth();
  HRGN got = WindowRegion();
  ASSERT_NE(got, nullptr);
  RECT w{}, box{};
  GetWindowRect(Window(), &w);
  const int width = w.right - w.left, height = w.bottom - w.top;
  GetRgnBox(got, &box);
  EXPECT_GE(box.left, 0);
  EXPECT_GE(box.top, 0);
  EXPECT_LE(box.right, width);
  EXPECT_LE(box.bottom, height);
  std::vector<std::uint8_t> data(GetRegionData(got, 0, nullptr));
  ASSERT_GT(data.size(), sizeof(RGNDATAHEADER));
  GetRegionData(got, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
  const auto* header = reinterpret_cast<const RGNDATAHEADER*>(data.data());
  const auto* rects = reinterpret_cast<const RECT*>(data.data() + header->dwSize);
  long long area = 0;
  for (DWORD i = 0; i < header->nCount; ++i)
    area += static_cast<long long>(rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
  long long inWindow = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) inWindow += PtInRegion(got, x, y) != 0;
  EXPECT_EQ(area, inWindow) << "part of the region lies outside the window";
  EXPECT_GT(area, width * height / 2);
  EXPECT_LT(area, width * height * 9 / 10);
  DeleteObject(got);
}

TEST_F(ShieldFormTest, TheShapeStaysThroughMinimiseRestoreAndANewWindow) {
  ShowBoth();
  ShowWindow(Window(), SW_MINIMIZE);
  guitest::PumpFor(200);
  ShowWindow(Window(), SW_RESTORE);
  guitest::PumpFor(200);
  ExpectShieldRegion("restored");
  form->RecreateWnd();
  guitest::PumpFor(200);
  ExpectShieldRegion("recreated");
  // A new size builds the shape anew in it.
  form->SetClientSize(400, 300);
  guitest::PumpFor(100);
  HRGN got = WindowRegion();
  ASSERT_NE(got, nullptr);
  RECT box{};
  GetRgnBox(got, &box);
  EXPECT_GT(box.right, 380);  // the shield of 396 × 295 and its shadow
  EXPECT_LT(box.right, 410);
  EXPECT_GT(box.bottom, 280);
  EXPECT_LT(box.bottom, 310);
  DeleteObject(got);
}

TEST_F(ShieldFormTest, ApplyingAndPaintingAgainKeepNoGdiObject) {
  ShowBoth();
  TKitFormShape* shape = form->KitFormShape1;
  auto again = [&] {
    shape->ApplyFormRegion();
    RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  };
  again();
  int start = LiveGdiObjects();
  for (int i = 0; i < 300; ++i) again();
  EXPECT_EQ(LiveGdiObjects(), start);
  ExpectShieldRegion("applied again");
}

TEST_F(ShieldFormTest, TheFormIsDraggedByItsEmptyClientArea) {
  ShowBoth();
  EXPECT_EQ(HitTest(280, 100), HTCAPTION);
  EXPECT_EQ(HitTest(270, 210), HTCLIENT);  // over the windowless box
  form->KitFormShape1->FormDragable = false;
  EXPECT_EQ(HitTest(280, 100), HTCLIENT);
  form->KitFormShape1->FormDragable = true;
  // A right press on the caption: the system tracks the button until it is released.
  TPoint p = form->ClientToScreen({280, 100});
  PostMessageW(Window(), WM_RBUTTONUP, 0, MAKELPARAM(280, 100));
  SendMessageW(Window(), WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(p.X, p.Y));
  guitest::PumpFor(50);
  EXPECT_EQ(HitTest(280, 100), HTCAPTION);
}

TEST(KitFormShape, ACaptionedFormKeepsItsCaptionStrip) {
  auto* form = new TForm(nullptr, CreateNew);
  form->SetBorderStyle(bsSingle);
  form->SetBounds(100, 100, 300, 240);
  auto* shape = new TKitFormShape(form);
  shape->GetRegion()->SetShape(TKitRegionShape::rsElliptic);
  form->Show();
  guitest::PumpFor(100);
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(form->GetHandle(), r), ERROR);
  RECT w{};
  GetWindowRect(form->GetHandle(), &w);
  TPoint client = form->ClientToScreen({0, 0});
  int top = client.Y - w.top;
  ASSERT_GT(top, 5);
  EXPECT_TRUE(PtInRegion(r, 3, 2));  // the caption strip's corners
  EXPECT_TRUE(PtInRegion(r, (w.right - w.left) - 3, top - 2));
  EXPECT_FALSE(PtInRegion(r, client.X - w.left + 2, top + 2));  // the client area's corner: outside the ellipse
  // Without the caption the strip is cut out.
  shape->SetShowFormCaption(false);
  ASSERT_NE(GetWindowRgn(form->GetHandle(), r), ERROR);
  EXPECT_FALSE(PtInRegion(r, 3, 2));
  DeleteObject(r);
  delete form;
}

TEST(KitFormShape, ABitmapShapeWithoutDataLeavesTheFormUnshaped) {
  auto* form = new TForm(nullptr, CreateNew);
  form->SetBorderStyle(bsNone);
  form->SetBounds(100, 100, 200, 150);
  auto* shape = new TKitFormShape(form);
  shape->GetRegion()->SetShape(TKitRegionShape::rsBitmap);
  form->Show();
  guitest::PumpFor(100);
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(form->GetHandle(), r), ERROR);  // no region at all
  DeleteObject(r);
  EXPECT_TRUE(IsWindowVisible(form->GetHandle()));
  EXPECT_EQ(form->GetWidth(), 200);  // not sized to an empty picture
  delete form;
}

}  // namespace
