#include <gtest/gtest.h>

#include <cstring>

#include "classlib/windows/pictures.h"
#include "controls/bitmapfile.h"
#include "controls/kitstreams.h"

namespace {

// A 24-bit DIB section of width × height with the given top-down pixels (0xRRGGBB).
HBITMAP MakeDib24(int width, int height, const std::vector<std::uint32_t>& pixels) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  int stride = (width * 3 + 3) / 4 * 4;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint32_t c = pixels[static_cast<std::size_t>(y * width + x)];
      auto* p = static_cast<std::uint8_t*>(bits) + y * stride + x * 3;
      p[0] = c & 0xFF, p[1] = c >> 8 & 0xFF, p[2] = c >> 16 & 0xFF;
    }
  GdiFlush();
  return bmp;
}

struct FileParts {
  BITMAPFILEHEADER file;
  BITMAPINFOHEADER info;
};

FileParts Parts(const std::vector<std::uint8_t>& image) {
  FileParts p;
  std::memcpy(&p.file, image.data(), sizeof p.file);
  std::memcpy(&p.info, image.data() + sizeof p.file, sizeof p.info);
  return p;
}

class BitmapFile : public ::testing::Test {
 protected:
  void TearDown() override {
    for (HBITMAP b : owned) DeleteObject(b);
  }
  HBITMAP Own(HBITMAP b) {
    owned.push_back(b);
    return b;
  }
  std::vector<HBITMAP> owned;
};

TEST_F(BitmapFile, HeadersFollowTheColourCount) {
  // 5 × 3: black and white stripes, so every colour count keeps the picture.
  std::vector<std::uint32_t> px;
  for (int i = 0; i < 15; ++i) px.push_back(i % 2 ? 0xFFFFFF : 0x000000);
  HBITMAP bmp = Own(MakeDib24(5, 3, px));
  struct Case {
    int colors, bitCount;
    std::uint32_t tableEntries;
  } cases[] = {{0, 24, 0}, {-1, 24, 0}, {2, 1, 2}, {16, 4, 16}, {256, 8, 256}};
  for (const Case& c : cases) {
    std::vector<std::uint8_t> image = MakeBitmapFile(bmp, nullptr, c.colors);
    FileParts p = Parts(image);
    std::uint32_t rowBytes = (5 * static_cast<std::uint32_t>(c.bitCount) + 31) / 32 * 4;
    std::uint32_t infoSize = 40 + 4 * c.tableEntries;
    EXPECT_EQ(p.file.bfType, 0x4D42) << c.colors;
    EXPECT_EQ(p.file.bfOffBits, 14 + infoSize) << c.colors;
    EXPECT_EQ(p.file.bfSize, image.size()) << c.colors;
    EXPECT_EQ(image.size(), 14 + infoSize + rowBytes * 3) << c.colors;
    EXPECT_EQ(p.info.biSize, 40u);
    EXPECT_EQ(p.info.biWidth, 5);
    EXPECT_EQ(p.info.biHeight, 3);
    EXPECT_EQ(p.info.biPlanes, 1);
    EXPECT_EQ(p.info.biBitCount, c.bitCount) << c.colors;
    EXPECT_EQ(p.info.biSizeImage, rowBytes * 3) << c.colors;
    // The picture survives: Windows reads the file back to the same stripes.
    const std::uint8_t* bits = image.data() + p.file.bfOffBits;
    HDC dc = GetDC(nullptr);
    HBITMAP back = Own(CreateDIBitmap(dc, &p.info, CBM_INIT, bits,
                                      reinterpret_cast<const BITMAPINFO*>(image.data() + 14), DIB_RGB_COLORS));
    ReleaseDC(nullptr, dc);
    std::vector<std::uint8_t> again = MakeBitmapFile(back, nullptr, 0);
    std::vector<std::uint8_t> first = MakeBitmapFile(bmp, nullptr, 0);
    EXPECT_TRUE(std::equal(first.begin() + 54, first.end(), again.begin() + 54)) << c.colors;
  }
}

TEST_F(BitmapFile, DeviceBitmapsOf32BitsBecome24) {
  HDC dc = GetDC(nullptr);
  HBITMAP ddb = Own(CreateCompatibleBitmap(dc, 4, 2));
  ReleaseDC(nullptr, dc);
  BITMAPINFOHEADER h;
  InitBitmapInfoHeader(ddb, h, 0);
  BITMAP bm;
  GetObjectW(ddb, sizeof bm, &bm);
  int depth = bm.bmPlanes * bm.bmBitsPixel;
  EXPECT_EQ(h.biBitCount, depth == 16 || depth == 32 ? 24 : depth);
  DWORD info = 0, image = 0;
  GetDIBSizes(ddb, 0, info, image);
  EXPECT_EQ(image, static_cast<DWORD>((4 * h.biBitCount + 31) / 32 * 4 * 2));
}

TEST_F(BitmapFile, WritesWithOrWithoutItsSizeAndRefusesNoBitmap) {
  HBITMAP bmp = Own(MakeDib24(3, 2, std::vector<std::uint32_t>(6, 0x336699)));
  TStringStream s;
  WriteBitmapFile(&s, bmp, nullptr, 256, true);
  std::vector<std::uint8_t> image = MakeBitmapFile(bmp, nullptr, 256);
  const std::string& d = s.DataString();
  ASSERT_EQ(d.size(), 4 + image.size());
  std::uint32_t size;
  std::memcpy(&size, d.data(), 4);
  EXPECT_EQ(size, image.size());
  EXPECT_TRUE(std::equal(image.begin(), image.end(), reinterpret_cast<const std::uint8_t*>(d.data() + 4)));
  try {
    MakeBitmapFile(nullptr, nullptr, 0);
    FAIL() << "made a file of no bitmap";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Изображение Bitmap имеет неверный формат");
  }
}

TEST_F(BitmapFile, SavesAMonochromeBitmapAsTwoColours) {
  const std::uint8_t rows[] = {0xA0, 0, 0x40, 0};  // 3 × 2, one word per row
  TBitmap mono;
  mono.SetHandle(CreateBitmap(3, 2, 1, 1, rows));
  ASSERT_TRUE(mono.GetMonochrome());
  TMemoryStream s;
  s.WriteBuffer("xx", 2);
  SaveBitmapAsDIB(&s, &mono, 256);
  EXPECT_EQ(s.GetPosition(), 0);
  std::string d = StreamToString(&s);
  BITMAPINFOHEADER h;
  std::memcpy(&h, d.data() + 2 + 14, sizeof h);
  EXPECT_EQ(h.biBitCount, 1);
  // Bottom-up rows: the bottom row (0x40) comes first.
  EXPECT_EQ(static_cast<std::uint8_t>(d[2 + 14 + 40 + 8]) & 0xE0, 0x40);
  EXPECT_EQ(static_cast<std::uint8_t>(d[2 + 14 + 40 + 8 + 4]) & 0xE0, 0xA0);
}

// A flagged bitmap read back is the bitmap written, at every colour count, compressed or
// not, and the read stops where the block ends.
TEST(FlaggedBitmap, RoundTripsAtEveryColourCount) {
  // Colours every count keeps (the 16 and 256 colour tables hold these).
  const TColor colours[] = {clBlack, clWhite, clRed, clLime, clBlue, clYellow};
  struct Case {
    int Colors;
    int BitCount;  // of the bitmap file written; 0: none (the bitmap's own form)
    bool KeepsColours;
  } cases[] = {{-1, 0, true}, {0, 24, true}, {2, 1, false}, {16, 4, true}, {256, 8, true}};
  TBitmap source;
  source.SetSize(7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) source.Canvas()->SetPixels(x, y, colours[(x + 2 * y) % 6]);
  for (const Case& c : cases) {
    for (bool compressed : {false, true}) {
      SCOPED_TRACE("colours " + std::to_string(c.Colors) + (compressed ? " compressed" : ""));
      TMemoryStream stream;
      WriteFlaggedBitmap(&stream, &source, compressed, c.Colors);
      WriteFlag(&stream, 0xA5);
      std::string bytes = StreamToString(&stream);
      if (!compressed && c.BitCount) {
        // A DIB block: its length, then the bitmap file of the colour count.
        std::uint32_t length;
        std::memcpy(&length, bytes.data(), 4);
        EXPECT_EQ(length, bytes.size() - 5);
        EXPECT_EQ(bytes.substr(4, 2), "BM");
        BITMAPINFOHEADER h;
        std::memcpy(&h, bytes.data() + 4 + 14, sizeof h);
        EXPECT_EQ(h.biBitCount, c.BitCount);
      }

      stream.SetPosition(0);
      TBitmap back;
      ReadFlaggedBitmap(&stream, &back, compressed);
      EXPECT_EQ(ReadFlag(&stream), 0xA5);
      ASSERT_EQ(back.GetWidth(), 7);
      ASSERT_EQ(back.GetHeight(), 5);
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
          TColor was = source.Canvas()->GetPixels(x, y), is = back.Canvas()->GetPixels(x, y);
          // Two colours keep black and white, and make the others one of them.
          if (c.KeepsColours || was == clBlack || was == clWhite) ASSERT_EQ(is, was) << x << "," << y;
          else ASSERT_TRUE(is == clBlack || is == clWhite) << x << "," << y << ": " << is;
        }
    }
  }
  // A bitmap without a picture travels in its own form, and comes back empty.
  TBitmap empty, back;
  back.SetSize(2, 2);
  TMemoryStream stream;
  WriteFlaggedBitmap(&stream, &empty, false, -1);
  EXPECT_EQ(stream.GetSize(), 4);
  stream.SetPosition(0);
  ReadFlaggedBitmap(&stream, &back, false);
  EXPECT_TRUE(back.Empty());
}

}  // namespace
