#include "controls/bitmapfile.h"

#include <cstring>

#include "classlib/windows/pictures.h"

namespace {

const char* const InvalidBitmap = "Изображение Bitmap имеет неверный формат";

BITMAP BitmapInfo(HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) throw Exception(InvalidBitmap);
  return bm;
}

int BitCount(const BITMAP& bm, int colors) {
  switch (colors) {
    case 2: return 1;
    case 16: return 4;
    case 256: return 8;
    default: {
      int bits = bm.bmPlanes * bm.bmBitsPixel;
      return bits == 16 || bits == 32 ? 24 : bits;
    }
  }
}

DWORD ColorTableEntries(int bitCount) { return bitCount <= 8 ? 1u << bitCount : 0; }

}  // namespace

void InitBitmapInfoHeader(HBITMAP bitmap, BITMAPINFOHEADER& header, int colors) {
  BITMAP bm = BitmapInfo(bitmap);
  std::memset(&header, 0, sizeof header);
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = bm.bmWidth;
  header.biHeight = bm.bmHeight;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(BitCount(bm, colors));
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>((bm.bmWidth * header.biBitCount + 31) / 32 * 4 * bm.bmHeight);
}

void GetDIBSizes(HBITMAP bitmap, int colors, DWORD& infoSize, DWORD& imageSize) {
  BITMAPINFOHEADER header;
  InitBitmapInfoHeader(bitmap, header, colors);
  infoSize = sizeof(BITMAPINFOHEADER) + ColorTableEntries(header.biBitCount) * sizeof(RGBQUAD);
  imageSize = header.biSizeImage;
}

bool GetDIB(HBITMAP bitmap, HPALETTE palette, void* info, void* bits, int colors) {
  auto* bi = static_cast<BITMAPINFO*>(info);
  InitBitmapInfoHeader(bitmap, bi->bmiHeader, colors);
  // The screen's DC, released again (a window's DC would stay taken).
  HDC dc = GetDC(nullptr);
  HPALETTE old = nullptr;
  if (palette) {
    old = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
  }
  int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(bi->bmiHeader.biHeight), bits, bi, DIB_RGB_COLORS);
  if (old) SelectPalette(dc, old, FALSE);
  ReleaseDC(nullptr, dc);
  return lines != 0;
}

std::vector<std::uint8_t> MakeBitmapFile(HBITMAP bitmap, HPALETTE palette, int colors) {
  if (!bitmap) throw Exception(InvalidBitmap);
  DWORD infoSize = 0, imageSize = 0;
  GetDIBSizes(bitmap, colors, infoSize, imageSize);
  std::vector<std::uint8_t> file(sizeof(BITMAPFILEHEADER) + infoSize + imageSize, 0);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;  // "BM"
  fh.bfSize = static_cast<DWORD>(file.size());
  fh.bfOffBits = static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + infoSize);
  std::memcpy(file.data(), &fh, sizeof fh);
  std::uint8_t* info = file.data() + sizeof fh;
  if (!GetDIB(bitmap, palette, info, info + infoSize, colors)) throw Exception(InvalidBitmap);
  return file;
}

void WriteBitmapFile(TStream* stream, HBITMAP bitmap, HPALETTE palette, int colors, bool withSize) {
  std::vector<std::uint8_t> file = MakeBitmapFile(bitmap, palette, colors);
  if (withSize) {
    std::uint32_t size = static_cast<std::uint32_t>(file.size());
    std::uint8_t b[4] = {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
                         static_cast<std::uint8_t>(size >> 16), static_cast<std::uint8_t>(size >> 24)};
    stream->WriteBuffer(b, 4);
  }
  stream->WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
}

void SaveBitmapAsDIB(TStream* stream, TBitmap* bitmap, int colors) {
  if (bitmap->GetMonochrome()) colors = 2;
  HBITMAP handle = bitmap->GetHandle();
  HPALETTE palette = bitmap->GetPalette();
  bitmap->FreeContext();  // GetDIBits wants it out of the canvas's context
  WriteBitmapFile(stream, handle, palette, colors, false);
  stream->SetPosition(0);
}
