// Fonts, pens, brushes and canvases; bitmaps and their file format; icons and pictures.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/windows/pictures.h"
#include "classlib/core/text.h"
#include "test_paths.h"

// A component with a picture, for the form data of graphics.
class TPictureHolder : public TComponent {
  HX_CLASS(TPictureHolder, TComponent)
 public:
  explicit TPictureHolder(TComponent* AOwner) : TComponent(AOwner) {}
  TPicture* GetPicture() { return &FPicture; }
  void SetPicture(TPicture* Value) { FPicture.Assign(Value); }

 private:
  TPicture FPicture{this};
};

HX_PUBLISH(TPictureHolder, p) { p.Property("Picture", &TPictureHolder::GetPicture, &TPictureHolder::SetPicture); }

namespace {

std::string SaveToString(TGraphic& graphic) {
  TStringStream s;
  graphic.SaveToStream(&s);
  return s.DataString();
}

struct TBmpHeader {
  int Width, Height, BitCount;
};

TBmpHeader HeaderOf(const std::string& file) {
  BITMAPINFOHEADER ih;
  std::memcpy(&ih, file.data() + sizeof(BITMAPFILEHEADER), sizeof ih);
  return {ih.biWidth, ih.biHeight, ih.biBitCount};
}

std::vector<TColor> PixelsOf(TBitmap& b) {
  std::vector<TColor> pixels;
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) pixels.push_back(b.Canvas()->GetPixels(x, y));
  return pixels;
}

TEST(Bitmap, AnEmptyBitmapWritesNothingAndNothingReadsBackEmpty) {
  TBitmap empty;
  EXPECT_TRUE(empty.Empty());
  EXPECT_EQ(SaveToString(empty), "");

  TBitmap loaded;
  loaded.SetSize(5, 5);
  TStringStream nothing;
  loaded.LoadFromStream(&nothing);
  EXPECT_TRUE(loaded.Empty());
  EXPECT_EQ(loaded.GetWidth(), 0);

  // In a form: the class name, then a zero byte count, and back to an empty bitmap.
  TPictureHolder holder(nullptr);
  holder.GetPicture()->GetBitmap();
  TMemoryStream binary;
  TWriter(&binary).WriteRootComponent(&holder);
  binary.SetPosition(0);
  TStringStream text;
  ObjectBinaryToText(&binary, &text);
  std::string compact = text.DataString();
  for (const char* blank : {" ", "\r", "\n"}) compact = StringReplace(compact, blank, "", rfReplaceAll);
  EXPECT_NE(compact.find("Picture.Data={07544269746D617000000000}"), std::string::npos) << text.DataString();
  binary.SetPosition(0);
  TPictureHolder read(nullptr);
  TReader(&binary).ReadRootComponent(&read);
  auto* bitmap = dynamic_cast<TBitmap*>(read.GetPicture()->GetGraphic());
  ASSERT_NE(bitmap, nullptr);
  EXPECT_TRUE(bitmap->Empty());
}

struct FormatCase {
  TPixelFormat Format;
  int BitCount;
  std::vector<TColor> Colors;  // colours the format holds exactly
};

class BitmapFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(BitmapFormats, StreamRoundTripsKeepFormatSizeAndPixels) {
  const FormatCase& c = GetParam();
  TBitmap b;
  b.SetPixelFormat(c.Format);
  b.SetSize(7, 5);  // odd width: rows are padded
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) b.Canvas()->SetPixels(x, y, c.Colors[static_cast<size_t>(x * 3 + y) % c.Colors.size()]);
  std::string file = SaveToString(b);
  ASSERT_GT(file.size(), 54u);
  EXPECT_EQ(file.substr(0, 2), "BM");
  TBmpHeader h = HeaderOf(file);
  EXPECT_EQ(h.Width, 7);
  EXPECT_EQ(h.Height, 5);
  EXPECT_EQ(h.BitCount, c.BitCount);

  TBitmap loaded;
  TStringStream in(file + "after");
  loaded.LoadFromStream(&in);
  EXPECT_EQ(in.ReadString(5), "after");  // the bitmap took its own bytes only
  EXPECT_EQ(loaded.GetPixelFormat(), c.Format);
  EXPECT_EQ(loaded.GetWidth(), 7);
  EXPECT_EQ(loaded.GetHeight(), 5);
  EXPECT_EQ(PixelsOf(loaded), PixelsOf(b));
  EXPECT_EQ(SaveToString(loaded), file);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, BitmapFormats,
    ::testing::Values(FormatCase{pf1bit, 1, {clBlack, clWhite}},
                      FormatCase{pf4bit, 4, {clRed, clNavy, clYellow, clWhite, clBlack}},
                      FormatCase{pf8bit, 8, {clRed, clLime, clBlue, clSilver, clTeal, clWhite}},
                      FormatCase{pf24bit, 24, {TColor(0x123456), clRed, TColor(0xFEDCBA), clWhite}},
                      FormatCase{pf32bit, 32, {TColor(0x123456), clLime, TColor(0x010203), clBlack}}));

TEST(Bitmap, BadDataRaisesTheBitmapErrorAndLeavesTheStreamWhereItWas) {
  TBitmap good;
  good.SetSize(3, 3);
  std::string file = SaveToString(good);
  auto withBitCount = [&](WORD bits) {
    std::string f = file;
    std::memcpy(f.data() + sizeof(BITMAPFILEHEADER) + 14, &bits, 2);
    return f;
  };
  auto withWidth = [&](LONG width) {
    std::string f = file;
    std::memcpy(f.data() + sizeof(BITMAPFILEHEADER) + 4, &width, 4);
    return f;
  };
  for (const std::string& bad : {std::string("XX") + file.substr(2), file.substr(0, file.size() - 1), withBitCount(7),
                                 withWidth(100000), file.substr(0, 20)}) {
    TBitmap b;
    TStringStream s("ab" + bad);
    s.SetPosition(2);
    try {
      b.LoadFromStream(&s);
      ADD_FAILURE() << "read " << bad.size() << " bad bytes";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message, kInvalidBitmapText);
    }
    EXPECT_EQ(s.GetPosition(), 2);
  }
}

TEST(Bitmap, ReadsTopDownRowsAndBitmapResources) {
  // Two rows top-down: red above, blue below (24 bits, rows padded to 4 bytes).
  BITMAPFILEHEADER fh{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  BITMAPINFOHEADER ih{sizeof ih, 1, -2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  std::string file(reinterpret_cast<char*>(&fh), sizeof fh);
  file.append(reinterpret_cast<char*>(&ih), sizeof ih);
  file.append(std::string("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8));
  TStringStream s(file);
  TBitmap b;
  b.LoadFromStream(&s);
  EXPECT_EQ(b.Canvas()->GetPixels(0, 0), clRed);
  EXPECT_EQ(b.Canvas()->GetPixels(0, 1), clBlue);

  // TESTBITMAP: 3 x 2, red at the top-left, the rest blue.
  TBitmap r;
  r.LoadFromResourceName(nullptr, "TESTBITMAP");
  EXPECT_EQ(r.GetWidth(), 3);
  EXPECT_EQ(r.GetHeight(), 2);
  EXPECT_EQ(r.Canvas()->GetPixels(0, 0), clRed);
  EXPECT_EQ(r.Canvas()->GetPixels(2, 1), clBlue);
  try {
    r.LoadFromResourceName(nullptr, "NOSUCHBITMAP");
    ADD_FAILURE();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message, "Resource NOSUCHBITMAP not found");
  }
}

TEST(Bitmap, TransparencyMonochromeAssignAndMemory) {
  TBitmap b;
  b.SetSize(4, 4);
  EXPECT_EQ(b.Canvas()->GetPixels(2, 2), clWhite);  // new pixels are white
  b.Canvas()->SetPixels(0, 3, clRed);
  b.Canvas()->SetPixels(1, 1, clBlack);
  EXPECT_EQ(b.GetTransparentColor(), clRed);  // the bottom-left pixel
  b.SetTransparentColor(clBlue);
  EXPECT_EQ(b.GetTransparentMode(), tmFixed);
  EXPECT_EQ(b.GetTransparentColor(), clBlue);
  b.SetTransparentMode(tmAuto);
  EXPECT_EQ(b.GetTransparentColor(), clRed);

  auto* row = static_cast<std::uint8_t*>(b.ScanLine(3));  // blue, green, red, unused
  EXPECT_EQ(RGB(row[2], row[1], row[0]), static_cast<COLORREF>(clRed));

  TBitmap copy;
  b.SetTransparent(true);
  copy.Assign(&b);
  EXPECT_EQ(PixelsOf(copy), PixelsOf(b));
  EXPECT_TRUE(copy.GetTransparent());

  std::vector<TColor> before = PixelsOf(b);
  b.Dormant();
  EXPECT_EQ(PixelsOf(b), before);

  copy.SetMonochrome(true);
  EXPECT_TRUE(copy.GetMonochrome());
  EXPECT_EQ(copy.GetPixelFormat(), pf1bit);
  EXPECT_EQ(copy.Canvas()->GetPixels(1, 1), clBlack);
  EXPECT_EQ(copy.Canvas()->GetPixels(2, 2), clWhite);

  HBITMAP handle = copy.ReleaseHandle();
  EXPECT_NE(handle, nullptr);
  EXPECT_TRUE(copy.Empty());
  DeleteObject(handle);
}

TEST(Canvas, DrawingIsReadBackThroughPixels) {
  TBitmap b;
  b.SetSize(40, 30);
  TCanvas* c = b.Canvas();
  EXPECT_EQ(c->ClipRect(), Rect(0, 0, 40, 30));
  EXPECT_EQ(c->GetPixels(40, 0), clNone);

  c->GetBrush()->SetColor(clRed);
  c->FillRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(c->GetPixels(5, 5), clRed);
  EXPECT_EQ(c->GetPixels(10, 10), clWhite);

  c->GetPen()->SetColor(clBlue);
  c->GetBrush()->SetStyle(bsClear);
  c->Rectangle(12, 0, 22, 10);
  EXPECT_EQ(c->GetPixels(12, 5), clBlue);
  EXPECT_EQ(c->GetPixels(17, 5), clWhite);  // a clear brush leaves the inside

  c->GetBrush()->SetColor(clLime);  // and a colour makes it solid again
  EXPECT_EQ(c->GetBrush()->GetStyle(), bsSolid);
  c->Ellipse(24, 0, 34, 10);
  EXPECT_EQ(c->GetPixels(29, 5), clLime);
  EXPECT_EQ(c->GetPixels(24, 0), clWhite);

  c->Polygon({{0, 12}, {10, 12}, {0, 22}});
  EXPECT_EQ(c->GetPixels(2, 14), clLime);
  EXPECT_EQ(c->GetPixels(9, 21), clWhite);

  c->GetPen()->SetColor(clBlack);
  c->MoveTo(12, 20);
  c->LineTo(39, 20);
  EXPECT_EQ(c->GetPixels(20, 20), clBlack);
  EXPECT_EQ(c->GetPenPos(), Point(39, 20));
  c->GetPen()->SetMode(pmXor);
  c->GetPen()->SetColor(clWhite);
  c->MoveTo(12, 22);
  c->LineTo(39, 22);
  EXPECT_EQ(c->GetPixels(20, 22), clBlack);  // white xor white
  c->MoveTo(12, 22);
  c->LineTo(39, 22);
  EXPECT_EQ(c->GetPixels(20, 22), clWhite);  // and back
  c->GetPen()->SetMode(pmCopy);

  TBitmap text;
  text.SetSize(60, 20);
  text.Canvas()->GetFont()->SetColor(clBlack);
  TPoint extent = text.Canvas()->TextExtent("Часы");
  EXPECT_GT(extent.X, 10);
  EXPECT_EQ(extent.Y, text.Canvas()->TextHeight("Часы"));
  text.Canvas()->TextOut(2, 2, "Часы");
  int inked = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) inked += text.Canvas()->GetPixels(x, y) != clWhite;
  EXPECT_GT(inked, 10);
  EXPECT_EQ(text.Canvas()->GetPenPos(), Point(2 + extent.X, 2));
}

TEST(Canvas, CopiesAndDrawsPicturesWithTransparency) {
  // A 2 x 2 picture: green (bottom-left, so transparent when drawn so) and blue.
  TBitmap source;
  source.SetSize(2, 2);
  source.Canvas()->GetBrush()->SetColor(clBlue);
  source.Canvas()->FillRect(Rect(0, 0, 2, 2));
  source.Canvas()->SetPixels(0, 1, clLime);

  TBitmap dest;
  dest.SetSize(8, 4);
  dest.Canvas()->Draw(0, 0, &source);
  EXPECT_EQ(dest.Canvas()->GetPixels(0, 1), clLime);
  source.SetTransparent(true);
  dest.Canvas()->Draw(4, 0, &source);
  EXPECT_EQ(dest.Canvas()->GetPixels(4, 1), clWhite);
  EXPECT_EQ(dest.Canvas()->GetPixels(5, 1), clBlue);

  source.SetTransparent(false);
  dest.Canvas()->StretchDraw(Rect(0, 0, 4, 4), &source);
  EXPECT_EQ(dest.Canvas()->GetPixels(1, 3), clLime);
  EXPECT_EQ(dest.Canvas()->GetPixels(3, 0), clBlue);

  TBitmap copy;
  copy.SetSize(2, 2);
  copy.Canvas()->CopyRect(Rect(0, 0, 2, 2), dest.Canvas(), Rect(4, 0, 6, 2));
  EXPECT_EQ(copy.Canvas()->GetPixels(0, 1), clWhite);
  EXPECT_EQ(copy.Canvas()->GetPixels(1, 0), clBlue);

  // A bitmap as the brush's pattern.
  TBitmap checker;
  checker.SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) checker.Canvas()->SetPixels(x, y, (x + y) % 2 ? clBlack : clWhite);
  TBitmap patterned;
  patterned.SetSize(8, 8);
  patterned.Canvas()->GetBrush()->SetBitmap(&checker);
  patterned.Canvas()->FillRect(Rect(0, 0, 8, 8));
  EXPECT_EQ(PixelsOf(patterned), PixelsOf(checker));

  // BrushCopy: the picture with its green replaced by the brush.
  TBitmap brushed;
  brushed.SetSize(2, 2);
  brushed.Canvas()->GetBrush()->SetColor(clRed);
  brushed.Canvas()->BrushCopy(Rect(0, 0, 2, 2), &source, Rect(0, 0, 2, 2), clLime);
  EXPECT_EQ(brushed.Canvas()->GetPixels(0, 1), clRed);
  EXPECT_EQ(brushed.Canvas()->GetPixels(1, 1), clBlue);
}

TEST(Canvas, SelectsObjectsWhenNeededAndPutsTheContextsOwnBack) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN), brush = GetCurrentObject(dc, OBJ_BRUSH),
          font = GetCurrentObject(dc, OBJ_FONT);
  {
    TCanvas c;
    c.SetHandle(dc);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);  // nothing selected yet
    c.Rectangle(0, 0, 2, 2);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), c.GetPen()->GetHandle());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), c.GetBrush()->GetHandle());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    // A change lets go of the selected pen before the pen deletes it.
    c.GetPen()->SetColor(clRed);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    c.TextOut(0, 0, "x");
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), c.GetFont()->GetHandle());
    c.SetHandle(nullptr);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
  }
  DeleteDC(dc);
}

TEST(Canvas, CopyingPicturesLeavesTheFontOutAndSetsOnlyItsColour) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  {
    TBitmap target, picture;
    target.SetSize(4, 4);
    picture.SetSize(4, 4);
    TCanvas c;
    c.SetHandle(dc);
    HGDIOBJ blank = SelectObject(dc, target.GetHandle());
    c.GetFont()->SetColor(clRed);
    c.CopyRect(Rect(0, 0, 4, 4), picture.Canvas(), Rect(0, 0, 4, 4));
    c.Draw(0, 0, &picture);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font) << "the font was selected to copy a picture";
    EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
    EXPECT_EQ(c.HandleWithoutFont(), dc);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(c.GetHandle(), dc);  // the whole handle still has it
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), c.GetFont()->GetHandle());
    c.SetHandle(nullptr);
    SelectObject(dc, blank);
  }
  DeleteDC(dc);
}

TEST(Font, PropertiesAndLogFontGoBothWays) {
  TFont f;
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  f.SetName("Arial");
  f.SetSize(12);
  f.SetSize(12);  // unchanged: no notification
  f.SetStyle({fsBold, fsItalic});
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(f.GetHeight(), -MulDiv(12, f.GetPixelsPerInch(), 72));
  EXPECT_EQ(f.GetSize(), 12);
  LOGFONTW lf = f.GetLogFont();
  EXPECT_EQ(std::wstring(lf.lfFaceName), L"Arial");
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfItalic);

  // A rotated font made elsewhere is drawn as it is, also when assigned on.
  lf.lfEscapement = lf.lfOrientation = 900;
  TFont rotated;
  rotated.SetLogFont(lf);
  EXPECT_EQ(rotated.GetName(), "Arial");
  EXPECT_EQ(rotated.GetStyle(), (TFontStyles{fsBold, fsItalic}));
  TFont copy;
  copy.Assign(&rotated);
  LOGFONTW got{};
  GetObjectW(copy.GetHandle(), sizeof got, &got);
  EXPECT_EQ(got.lfEscapement, 900);
  copy.SetSize(20);  // a property change makes the font from the properties again
  GetObjectW(copy.GetHandle(), sizeof got, &got);
  EXPECT_EQ(got.lfEscapement, 0);

  const TPropInfo* charset = TFont::StaticClass()->FindProperty("Charset");
  ASSERT_NE(charset, nullptr);
  String ident;
  ASSERT_TRUE(charset->IdentMap()->IntToIdent(RUSSIAN_CHARSET, ident));
  EXPECT_EQ(ident, "RUSSIAN_CHARSET");
  EXPECT_FALSE(TFont::StaticClass()->FindProperty("Size")->IsStored(&f));
}

TEST(Colors, SystemColoursAreLookedUpAndOthersPass) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clWindowText), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
  EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);
}

TEST(Picture, PicksTheGraphicByExtensionOrSignature) {
  TBitmap b;
  b.SetSize(3, 2);
  b.Canvas()->SetPixels(1, 1, clRed);
  TPicture picture;
  int changes = 0;
  picture.OnChange = [&](TObject*) { ++changes; };
  picture.SetBitmap(&b);
  String file = horavox::test::TempDir() + "\\картинка.bmp";
  picture.SaveToFile(file);
  TPicture loaded;
  loaded.LoadFromFile(file);
  auto* bitmap = dynamic_cast<TBitmap*>(loaded.GetGraphic());
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Canvas()->GetPixels(1, 1), clRed);
  EXPECT_GT(changes, 0);
  try {
    loaded.LoadFromFile("picture.xyz");
    ADD_FAILURE();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message, "Unknown picture file extension (.xyz)");
  }

  // An icon made from a handle writes an icon file, which reads back by its signature.
  TIcon icon;
  icon.SetHandle(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)), true);
  std::string ico = SaveToString(icon);
  ASSERT_GT(ico.size(), 22u);
  EXPECT_EQ(ico.substr(0, 4), std::string("\0\0\1\0", 4));
  TStringStream s(ico);
  loaded.LoadFromStream(&s);
  auto* readIcon = dynamic_cast<TIcon*>(loaded.GetGraphic());
  ASSERT_NE(readIcon, nullptr);
  EXPECT_EQ(readIcon->GetWidth(), icon.GetWidth());
  EXPECT_EQ(readIcon->GetHeight(), icon.GetHeight());
  EXPECT_NE(readIcon->GetHandle(), nullptr);
  EXPECT_EQ(SaveToString(*readIcon), ico);  // the file it was read from
  EXPECT_THROW(readIcon->SetWidth(1), EInvalidGraphicOperation);

  TStringStream junk("GIF89a");
  EXPECT_THROW(loaded.LoadFromStream(&junk), EInvalidGraphic);
}

}  // namespace
