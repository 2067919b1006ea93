#include "classlib/windows/pictures.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "classlib/core/filer.h"
#include "classlib/core/files.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TGraphic, p) {}
HX_PUBLISH(TBitmap, p) {}
HX_PUBLISH(TIcon, p) {}
HX_PUBLISH(TPicture, p) {}

namespace {

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic(kInvalidBitmapText); }
[[noreturn]] void InvalidIcon() { throw EInvalidGraphic("Icon image is not valid"); }

int BitsPerPixel(TPixelFormat Format) {
  switch (Format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
  }
}

int Stride(int Width, int Bits) { return (Width * Bits + 31) / 32 * 4; }

// Colour tables of new indexed bitmaps: black and white; the 16 VGA colours; those 16,
// then a 6 x 6 x 6 colour cube and a grey ramp.
std::vector<RGBQUAD> DefaultColorTable(int Bits) {
  static const COLORREF vga[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
                                   0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
  auto quad = [](COLORREF c) { return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0}; };
  std::vector<RGBQUAD> table;
  if (Bits == 1) {
    table = {quad(0x000000), quad(0xFFFFFF)};
  } else if (Bits == 4) {
    for (COLORREF c : vga) table.push_back(quad(c));
  } else if (Bits == 8) {
    for (COLORREF c : vga) table.push_back(quad(c));
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b)
          table.push_back(RGBQUAD{static_cast<BYTE>(b * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(r * 51), 0});
    for (int i = 0; table.size() < 256; ++i) {
      auto v = static_cast<BYTE>(8 + i * 10);
      table.push_back(RGBQUAD{v, v, v, 0});
    }
  }
  return table;
}

// A BITMAPINFO with room for a full colour table or the three bit-field masks.
struct TBitmapInfo {
  BITMAPINFOHEADER Header{};
  RGBQUAD Colors[256]{};
  BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

struct TSection {
  HBITMAP Handle = nullptr;
  void* Bits = nullptr;
};

TSection CreateSection(int Width, int Height, TPixelFormat Format, const std::vector<RGBQUAD>& Table) {
  TBitmapInfo info;
  info.Header.biSize = sizeof(BITMAPINFOHEADER);
  info.Header.biWidth = Width;
  info.Header.biHeight = Height;
  info.Header.biPlanes = 1;
  info.Header.biBitCount = static_cast<WORD>(BitsPerPixel(Format));
  info.Header.biCompression = BI_RGB;
  if (Format == pf16bit) {
    info.Header.biCompression = BI_BITFIELDS;
    DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(info.Colors, masks, sizeof masks);
  } else if (info.Header.biBitCount <= 8) {
    int count = 1 << info.Header.biBitCount;
    std::vector<RGBQUAD> table = Table.empty() ? DefaultColorTable(info.Header.biBitCount) : Table;
    table.resize(static_cast<size_t>(count), RGBQUAD{0, 0, 0, 0});
    std::copy(table.begin(), table.end(), info.Colors);
    info.Header.biClrUsed = static_cast<DWORD>(count);
  }
  TSection s;
  s.Handle = CreateDIBSection(nullptr, info.Get(), DIB_RGB_COLORS, &s.Bits, nullptr, 0);
  if (!s.Handle) throw EOutOfResources("Not enough memory for a " + std::to_string(Width) + " x " +
                                       std::to_string(Height) + " bitmap");
  return s;
}

// A memory context with a bitmap selected, undone when it goes.
class TSelected {
 public:
  explicit TSelected(HBITMAP Bitmap) : FDC(CreateCompatibleDC(nullptr)), FOld(SelectObject(FDC, Bitmap)) {}
  ~TSelected() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
  }
  TSelected(const TSelected&) = delete;
  TSelected& operator=(const TSelected&) = delete;
  HDC DC() const { return FDC; }

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

// The colour table of an indexed DIB section; DC is a context it is selected into, if any.
std::vector<RGBQUAD> ColorTableOf(HBITMAP Bitmap, int Bits, HDC DC = nullptr) {
  std::vector<RGBQUAD> table;
  if (Bits > 8 || !Bitmap) return table;
  table.resize(static_cast<size_t>(1) << Bits);
  UINT got;
  if (DC) {
    got = GetDIBColorTable(DC, 0, static_cast<UINT>(table.size()), table.data());
  } else {
    TSelected s(Bitmap);
    got = GetDIBColorTable(s.DC(), 0, static_cast<UINT>(table.size()), table.data());
  }
  table.resize(got);
  return table;
}

template <class T>
T ReadAt(const std::uint8_t* Data, std::size_t Offset) {
  T value;
  std::memcpy(&value, Data + Offset, sizeof value);
  return value;
}

std::vector<std::uint8_t> ReadRest(TStream* Stream, std::int64_t& Start) {
  Start = Stream->GetPosition();
  std::int64_t remaining = Stream->GetSize() - Start;
  std::vector<std::uint8_t> data(static_cast<size_t>(std::max<std::int64_t>(remaining, 0)));
  if (!data.empty()) Stream->ReadBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  return data;
}

}  // namespace

// ---- TGraphic ----

void TGraphic::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed();
}

void TGraphic::SetModified(bool Value) {
  if (Value) Changed();
  else FModified = false;
}

void TGraphic::Changed() {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const String& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const String& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

bool TGraphic::Equals(TGraphic* Other) {
  if (!Other || Other->ClassType() != ClassType()) return false;
  if (Empty() || Other->Empty()) return Empty() && Other->Empty();
  TStringStream a, b;
  SaveToStream(&a);
  Other->SaveToStream(&b);
  return a.DataString() == b.DataString();
}

void TGraphic::DefineProperties(TFiler* Filer) {
  auto* ancestor = dynamic_cast<TGraphic*>(Filer->Ancestor());
  bool hasData = Filer->Ancestor() ? !ancestor || !Equals(ancestor) : !Empty();
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, hasData);
}

// ---- TBitmap ----

// The bitmap's own memory context, made when the canvas is first drawn on.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* Bitmap) : FBitmap(Bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  HDC DC() const { return RawHandle(); }
  void FreeContext() {
    HDC dc = RawHandle();
    if (!dc) return;
    SetHandle(nullptr);  // puts back the context's own pen, brush and font
    if (FOldBitmap) SelectObject(dc, FOldBitmap);
    if (FOldPalette) SelectPalette(dc, FOldPalette, TRUE);
    FOldBitmap = nullptr;
    FOldPalette = nullptr;
    DeleteDC(dc);
  }

 protected:
  void CreateHandle() override {
    FBitmap->HandleNeeded();
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) throw EOutOfResources("Out of system resources");
    if (FBitmap->FHandle) FOldBitmap = SelectObject(dc, FBitmap->FHandle);
    if (HPALETTE palette = FBitmap->GetPalette()) {
      FOldPalette = SelectPalette(dc, palette, TRUE);
      RealizePalette(dc);
    }
    SetHandle(dc);
  }

 private:
  TBitmap* FBitmap;
  HGDIOBJ FOldBitmap = nullptr;
  HPALETTE FOldPalette = nullptr;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() { FreeHandle(); }

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TBitmapCanvas>(this);
    FCanvas->OnChange = [this](TObject*) { Changed(); };
  }
  return FCanvas.get();
}

void TBitmap::FreeContext() {
  if (FCanvas) FCanvas->FreeContext();
}

void TBitmap::FreeHandle() {
  FreeContext();
  if (FHandle) DeleteObject(FHandle);
  if (FPalette) DeleteObject(FPalette);
  FHandle = nullptr;
  FPalette = nullptr;
  FBits = nullptr;
  FDIB = true;
}

void TBitmap::Changed() {
  if (FHandle) FDormantImage.clear();
  TGraphic::Changed();
}

void TBitmap::HandleNeeded() {
  if (FHandle || FDormantImage.empty()) return;
  std::vector<std::uint8_t> image = std::move(FDormantImage);
  FDormantImage.clear();
  LoadBitmapFile(image.data(), image.size());
}

HBITMAP TBitmap::GetHandle() {
  HandleNeeded();
  return FHandle;
}

void TBitmap::NewImage(int Width, int Height, TPixelFormat Format, const RGBQUAD* Colors, int ColorCount) {
  if (Format == pfDevice || Format == pfCustom) Format = pf32bit;
  std::vector<RGBQUAD> table(Colors, Colors + ColorCount);
  TSection section;
  if (Width > 0 && Height > 0) section = CreateSection(Width, Height, Format, table);
  FreeHandle();
  FDormantImage.clear();
  FHandle = section.Handle;
  FBits = section.Bits;
  FWidth = std::max(Width, 0);
  FHeight = std::max(Height, 0);
  FPixelFormat = Format;
}

void TBitmap::CopyFrom(HBITMAP Source, int Width, int Height) {
  // Draws Source's top-left part into the new image (white elsewhere).
  TSelected dest(FHandle);
  PatBlt(dest.DC(), 0, 0, FWidth, FHeight, WHITENESS);
  if (Source && Width > 0 && Height > 0) {
    TSelected src(Source);
    BitBlt(dest.DC(), 0, 0, std::min(Width, FWidth), std::min(Height, FHeight), src.DC(), 0, 0, SRCCOPY);
  }
  GdiFlush();
}

void TBitmap::SetSize(int Width, int Height) {
  Width = std::max(Width, 0);
  Height = std::max(Height, 0);
  if (Width == FWidth && Height == FHeight) return;
  HandleNeeded();
  FreeContext();
  HBITMAP old = FHandle;
  int oldWidth = FWidth, oldHeight = FHeight;
  std::vector<RGBQUAD> table = old && FDIB ? ColorTableOf(old, BitsPerPixel(FPixelFormat)) : std::vector<RGBQUAD>{};
  FHandle = nullptr;  // kept until copied
  NewImage(Width, Height, FPixelFormat, table.data(), static_cast<int>(table.size()));
  if (FHandle) CopyFrom(old, oldWidth, oldHeight);
  if (old) DeleteObject(old);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == pfDevice || Value == pfCustom) Value = pf32bit;
  if (Value == FPixelFormat && FDIB) return;
  HandleNeeded();
  FreeContext();
  HBITMAP old = FHandle;
  FHandle = nullptr;
  NewImage(FWidth, FHeight, Value, nullptr, 0);
  if (FHandle) CopyFrom(old, FWidth, FHeight);
  if (old) DeleteObject(old);
  Changed();
}

bool TBitmap::GetMonochrome() const {
  if (FPixelFormat != pf1bit) return false;
  if (!FHandle || !FDIB) return true;
  std::vector<RGBQUAD> table = ColorTableOf(FHandle, 1, FCanvas ? FCanvas->DC() : nullptr);
  auto isColor = [](const RGBQUAD& q, BYTE v) { return q.rgbRed == v && q.rgbGreen == v && q.rgbBlue == v; };
  return table.size() == 2 && isColor(table[0], 0) && isColor(table[1], 255);
}

void TBitmap::SetMonochrome(bool Value) {
  if (Value == GetMonochrome()) return;
  if (!Value) return SetPixelFormat(pf32bit);
  HandleNeeded();
  FreeContext();
  HBITMAP old = FHandle;
  FHandle = nullptr;
  NewImage(FWidth, FHeight, pf1bit, nullptr, 0);  // black and white
  if (FHandle) CopyFrom(old, FWidth, FHeight);
  if (old) DeleteObject(old);
  Changed();
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value && Value == FHandle) return;
  FreeHandle();
  FDormantImage.clear();
  FWidth = FHeight = 0;
  FPixelFormat = pf32bit;
  if (Value) {
    DIBSECTION ds{};
    if (GetObjectW(Value, sizeof ds, &ds) == sizeof ds && ds.dsBm.bmBits) {
      FDIB = true;
      FBits = ds.dsBm.bmBits;
      FWidth = ds.dsBmih.biWidth;
      FHeight = std::abs(ds.dsBmih.biHeight);
      switch (ds.dsBmih.biBitCount) {
        case 1: FPixelFormat = pf1bit; break;
        case 4: FPixelFormat = pf4bit; break;
        case 8: FPixelFormat = pf8bit; break;
        case 16: FPixelFormat = ds.dsBitfields[1] == 0x07E0 ? pf16bit : pf15bit; break;
        case 24: FPixelFormat = pf24bit; break;
        default: FPixelFormat = pf32bit; break;
      }
      FHandle = Value;
      if (ds.dsBmih.biHeight < 0) {
        // Rows top-down: make it an ordinary bottom-up section, as ScanLine counts rows.
        TPixelFormat format = FPixelFormat;
        std::vector<RGBQUAD> table = ColorTableOf(Value, ds.dsBmih.biBitCount);
        FHandle = nullptr;
        NewImage(FWidth, FHeight, format, table.data(), static_cast<int>(table.size()));
        CopyFrom(Value, FWidth, FHeight);
        DeleteObject(Value);
      }
    } else {
      BITMAP bm{};
      if (!GetObjectW(Value, sizeof bm, &bm)) InvalidBitmap();
      FDIB = false;
      FHandle = Value;
      FWidth = bm.bmWidth;
      FHeight = bm.bmHeight;
      FPixelFormat = bm.bmBitsPixel == 1 ? pf1bit : pfDevice;
    }
  }
  Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
  HandleNeeded();
  FreeContext();
  HBITMAP result = FHandle;
  FHandle = nullptr;
  FBits = nullptr;
  FWidth = FHeight = 0;
  FDIB = true;
  Changed();
  return result;
}

HPALETTE TBitmap::GetPalette() {
  HandleNeeded();
  if (FPalette || !FHandle || !FDIB || BitsPerPixel(FPixelFormat) > 8) return FPalette;
  std::vector<RGBQUAD> table = ColorTableOf(FHandle, BitsPerPixel(FPixelFormat), FCanvas ? FCanvas->DC() : nullptr);
  if (table.empty()) return nullptr;
  std::vector<std::uint8_t> buffer(sizeof(LOGPALETTE) + table.size() * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(buffer.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(table.size());
  for (size_t i = 0; i < table.size(); ++i)
    lp->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
  FPalette = CreatePalette(lp);
  return FPalette;
}

void TBitmap::SetPalette(HPALETTE Value) {
  HandleNeeded();
  FreeContext();
  int bits = BitsPerPixel(FPixelFormat);
  if (Value && FHandle && FDIB && bits <= 8) {
    std::vector<PALETTEENTRY> entries(static_cast<size_t>(1) << bits);
    UINT n = GetPaletteEntries(Value, 0, static_cast<UINT>(entries.size()), entries.data());
    std::vector<RGBQUAD> table;
    for (UINT i = 0; i < n; ++i)
      table.push_back(RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
    TSelected s(FHandle);
    SetDIBColorTable(s.DC(), 0, static_cast<UINT>(table.size()), table.data());
  }
  if (FPalette && FPalette != Value) DeleteObject(FPalette);
  FPalette = Value;
  Changed();
}

int TBitmap::RowBytes() const { return Stride(FWidth, BitsPerPixel(FPixelFormat)); }

void* TBitmap::ScanLine(int Row) {
  HandleNeeded();
  if (!FDIB) SetPixelFormat(FPixelFormat == pf1bit ? pf1bit : pf32bit);
  if (Row < 0 || Row >= FHeight || !FBits) throw EInvalidGraphicOperation("Scan line index out of range");
  GdiFlush();
  return static_cast<std::uint8_t*>(FBits) + static_cast<size_t>(FHeight - 1 - Row) * static_cast<size_t>(RowBytes());
}

TColor TBitmap::GetTransparentColor() {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (Empty()) return clDefault;
  return Canvas()->GetPixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (Value == clDefault) return SetTransparentMode(tmAuto);
  if (FTransparentMode == tmFixed && Value == FTransparentColor) return;
  FTransparentColor = Value;
  FTransparentMode = tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  FTransparentMode = Value;
  if (Value == tmAuto) FTransparentColor = clDefault;
  Changed();
}

void TBitmap::Assign(TPersistent* Source) {
  if (!Source) {
    NewImage(0, 0, FPixelFormat, nullptr, 0);
    Changed();
    return;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
    if (bitmap == this) return;
    if (bitmap->Empty()) {
      NewImage(0, 0, bitmap->FPixelFormat, nullptr, 0);
    } else {
      std::vector<std::uint8_t> file = bitmap->BitmapFile();
      LoadBitmapFile(file.data(), file.size());
    }
    TGraphic::SetTransparent(bitmap->GetTransparent());
    FTransparentMode = bitmap->FTransparentMode;
    FTransparentColor = bitmap->FTransparentColor;
    Changed();
    return;
  }
  if (auto* jpeg = dynamic_cast<TJpegGraphic*>(Source)) {  // its decoded pixels
    if (jpeg->Bitmap()) return Assign(jpeg->Bitmap());
    return Assign(static_cast<TPersistent*>(nullptr));
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    NewImage(graphic->GetWidth(), graphic->GetHeight(), pf32bit, nullptr, 0);
    if (FHandle) {
      CopyFrom(nullptr, 0, 0);
      Canvas()->Draw(0, 0, graphic);
    }
    Changed();
    return;
  }
  inherited::Assign(Source);
}

void TBitmap::Dormant() {
  if (!FHandle) return;
  std::vector<std::uint8_t> image = BitmapFile();
  int width = FWidth, height = FHeight;
  TPixelFormat format = FPixelFormat;
  FreeHandle();
  FDormantImage = std::move(image);
  FWidth = width;
  FHeight = height;
  FPixelFormat = format;
}

void TBitmap::FreeImage() {
  if (FHandle) FDormantImage.clear();
}

std::vector<std::uint8_t> TBitmap::BitmapFile() {
  HandleNeeded();
  if (Empty() || !FHandle) return {};
  FreeContext();
  if (!FDIB) SetPixelFormat(FPixelFormat == pf1bit ? pf1bit : pf32bit);
  GdiFlush();
  const int bits = BitsPerPixel(FPixelFormat);
  std::vector<RGBQUAD> table = ColorTableOf(FHandle, bits);
  const DWORD masksSize = FPixelFormat == pf16bit ? 3 * sizeof(DWORD) : 0;
  const DWORD tableSize = static_cast<DWORD>(table.size() * sizeof(RGBQUAD));
  const DWORD imageSize = static_cast<DWORD>(RowBytes()) * static_cast<DWORD>(FHeight);
  const DWORD offBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + masksSize + tableSize;
  std::vector<std::uint8_t> file(offBits + imageSize);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfSize = static_cast<DWORD>(file.size());
  fh.bfOffBits = offBits;
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof ih;
  ih.biWidth = FWidth;
  ih.biHeight = FHeight;
  ih.biPlanes = 1;
  ih.biBitCount = static_cast<WORD>(bits);
  ih.biCompression = masksSize ? BI_BITFIELDS : BI_RGB;
  ih.biSizeImage = imageSize;
  ih.biClrUsed = static_cast<DWORD>(table.size());
  std::uint8_t* p = file.data();
  std::memcpy(p, &fh, sizeof fh);
  p += sizeof fh;
  std::memcpy(p, &ih, sizeof ih);
  p += sizeof ih;
  if (masksSize) {
    DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(p, masks, masksSize);
    p += masksSize;
  }
  if (tableSize) std::memcpy(p, table.data(), tableSize);
  p += tableSize;
  std::memcpy(p, FBits, imageSize);  // both bottom-up
  return file;
}

std::size_t TBitmap::LoadBitmapFile(const std::uint8_t* Data, std::size_t Size) {
  // The file header, the info header (core, info or a later version), the colour table or
  // masks, then the pixels at bfOffBits (or right after the table when that is wrong).
  if (Size < sizeof(BITMAPFILEHEADER) + 4) InvalidBitmap();
  auto fh = ReadAt<BITMAPFILEHEADER>(Data, 0);
  if (fh.bfType != 0x4D42) InvalidBitmap();
  std::size_t pos = sizeof(BITMAPFILEHEADER);
  const auto headerSize = ReadAt<DWORD>(Data, pos);
  BITMAPINFOHEADER ih{};
  bool core = headerSize == sizeof(BITMAPCOREHEADER);
  if (core) {
    if (Size - pos < sizeof(BITMAPCOREHEADER)) InvalidBitmap();
    auto ch = ReadAt<BITMAPCOREHEADER>(Data, pos);
    ih.biSize = sizeof ih;
    ih.biWidth = ch.bcWidth;
    ih.biHeight = ch.bcHeight;
    ih.biPlanes = ch.bcPlanes;
    ih.biBitCount = ch.bcBitCount;
    ih.biCompression = BI_RGB;
  } else {
    if (headerSize < sizeof(BITMAPINFOHEADER) || headerSize > 1024 || Size - pos < headerSize) InvalidBitmap();
    ih = ReadAt<BITMAPINFOHEADER>(Data, pos);
  }
  pos += headerSize;
  const int bits = ih.biBitCount;
  const bool bitsOk = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  const auto compression = ih.biCompression;
  const bool compressionOk = compression == BI_RGB || (compression == BI_BITFIELDS && (bits == 16 || bits == 32)) ||
                             (compression == BI_RLE8 && bits == 8) || (compression == BI_RLE4 && bits == 4);
  if (ih.biPlanes != 1 || !bitsOk || !compressionOk) InvalidBitmap();
  const int width = ih.biWidth;
  const int height = ih.biHeight == INT32_MIN ? 0 : std::abs(ih.biHeight);
  if (width < 0 || width > 32768 || height > 32768 || (compression != BI_RGB && compression != BI_BITFIELDS && ih.biHeight < 0))
    InvalidBitmap();
  if (width == 0 || height == 0) {
    NewImage(0, 0, pf32bit, nullptr, 0);
    return pos;
  }
  // Bit-field masks follow a plain info header; later headers carry them.
  DWORD masks[3] = {0, 0, 0};
  if (compression == BI_BITFIELDS) {
    if (headerSize == sizeof(BITMAPINFOHEADER)) {
      if (Size - pos < sizeof masks) InvalidBitmap();
      std::memcpy(masks, Data + pos, sizeof masks);
      pos += sizeof masks;
    } else if (headerSize >= sizeof(BITMAPINFOHEADER) + sizeof masks) {
      std::memcpy(masks, Data + sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER), sizeof masks);
    } else {
      InvalidBitmap();
    }
  }
  std::vector<RGBQUAD> table;
  if (bits <= 8) {
    std::size_t count = ih.biClrUsed ? ih.biClrUsed : (std::size_t{1} << bits);
    if (count > (std::size_t{1} << bits)) InvalidBitmap();
    std::size_t entrySize = core ? 3 : 4;
    if ((Size - pos) / entrySize < count) InvalidBitmap();
    for (std::size_t i = 0; i < count; ++i, pos += entrySize)
      table.push_back(RGBQUAD{Data[pos], Data[pos + 1], Data[pos + 2], 0});
  }
  const std::size_t stride = static_cast<std::size_t>(Stride(width, bits));
  const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
  const std::size_t imageSize = rle ? ih.biSizeImage : stride * static_cast<std::size_t>(height);
  if (rle && imageSize == 0) InvalidBitmap();
  if (fh.bfOffBits >= pos && fh.bfOffBits <= Size && Size - fh.bfOffBits >= imageSize) pos = fh.bfOffBits;
  if (Size - pos < imageSize) InvalidBitmap();
  const std::uint8_t* pixels = Data + pos;

  // Copied as they are when the layout is the section's own; GDI converts the rest
  // (compressed, top-down, other masks).
  TPixelFormat format = pf32bit;
  bool direct = ih.biHeight > 0 && (compression == BI_RGB || compression == BI_BITFIELDS);
  auto masksAre = [&](DWORD r, DWORD g, DWORD b) { return masks[0] == r && masks[1] == g && masks[2] == b; };
  switch (bits) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 16:
      if (compression == BI_RGB || masksAre(0x7C00, 0x03E0, 0x001F)) format = pf15bit;
      else if (masksAre(0xF800, 0x07E0, 0x001F)) format = pf16bit;
      else direct = false;
      break;
    case 24: format = pf24bit; break;
    default:
      if (compression == BI_BITFIELDS && !masksAre(0xFF0000, 0xFF00, 0xFF)) direct = false;
      break;
  }
  NewImage(width, height, format, table.data(), static_cast<int>(table.size()));
  if (direct) {
    std::memcpy(FBits, pixels, stride * static_cast<std::size_t>(height));
  } else {
    // GDI converts the rest: compressed, top-down or other masks.
    TBitmapInfo info;
    info.Header = ih;
    info.Header.biSize = sizeof(BITMAPINFOHEADER);
    if (compression == BI_BITFIELDS) std::memcpy(info.Colors, masks, sizeof masks);
    else std::copy(table.begin(), table.end(), info.Colors);
    HDC screen = GetDC(nullptr);
    int lines = SetDIBits(screen, FHandle, 0, static_cast<UINT>(height), pixels, info.Get(), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines == 0) {
      NewImage(0, 0, pf32bit, nullptr, 0);
      InvalidBitmap();
    }
  }
  GdiFlush();
  return pos + imageSize;  // how much of the data the picture took
}

void TBitmap::LoadFromStream(TStream* Stream) {
  std::int64_t start = 0;
  std::vector<std::uint8_t> data = ReadRest(Stream, start);
  if (data.empty()) {
    NewImage(0, 0, FPixelFormat, nullptr, 0);
    Changed();
    return;
  }
  std::size_t used;
  try {
    used = LoadBitmapFile(data.data(), data.size());
  } catch (...) {
    Stream->SetPosition(start);
    throw;
  }
  Stream->SetPosition(start + static_cast<std::int64_t>(used));
  Changed();
}

void TBitmap::SaveToStream(TStream* Stream) {
  std::vector<std::uint8_t> file = BitmapFile();
  if (!file.empty()) Stream->WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
}

void TBitmap::ReadData(TStream* Stream) {
  std::int32_t size = 0;
  Stream->ReadBuffer(&size, sizeof size);
  if (size < 0 || size > Stream->GetSize() - Stream->GetPosition()) InvalidBitmap();
  std::vector<std::uint8_t> data(static_cast<size_t>(size));
  if (size) Stream->ReadBuffer(data.data(), size);
  if (data.empty()) NewImage(0, 0, FPixelFormat, nullptr, 0);
  else LoadBitmapFile(data.data(), data.size());
  Changed();
}

void TBitmap::WriteData(TStream* Stream) {
  std::vector<std::uint8_t> file = BitmapFile();
  auto size = static_cast<std::int32_t>(file.size());
  Stream->WriteBuffer(&size, sizeof size);
  if (size) Stream->WriteBuffer(file.data(), size);
}

bool TBitmap::Equals(TGraphic* Other) {
  auto* other = dynamic_cast<TBitmap*>(Other);
  return other && BitmapFile() == other->BitmapFile();
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const String& ResName) {
  HMODULE module = Instance ? Instance : GetModuleHandleW(nullptr);
  std::wstring name = Utf8ToWide(ResName);
  HRSRC info = FindResourceW(module, name.c_str(), MAKEINTRESOURCEW(2));  // RT_BITMAP
  HGLOBAL data = info ? LoadResource(module, info) : nullptr;
  auto* dib = data ? static_cast<const std::uint8_t*>(LockResource(data)) : nullptr;
  if (!dib) throw EResNotFound("Resource " + ResName + " not found");
  // A resource holds the bitmap without its file header.
  DWORD size = SizeofResource(module, info);
  std::vector<std::uint8_t> file(sizeof(BITMAPFILEHEADER) + size);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfSize = static_cast<DWORD>(file.size());
  fh.bfOffBits = 0;  // right after the colour table
  std::memcpy(file.data(), &fh, sizeof fh);
  std::memcpy(file.data() + sizeof fh, dib, size);
  LoadBitmapFile(file.data(), file.size());
  Changed();
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, int ResID) {
  HMODULE module = Instance ? Instance : GetModuleHandleW(nullptr);
  if (!FindResourceW(module, MAKEINTRESOURCEW(ResID), MAKEINTRESOURCEW(2)))
    throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
  LoadFromResourceName(Instance, "#" + std::to_string(ResID));
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  HandleNeeded();
  if (!FHandle) return;
  HDC dest = ACanvas->HandleWithoutFont();
  HDC source = Canvas()->HandleWithoutFont();
  HPALETTE palette = GetPalette();
  HPALETTE oldPalette = nullptr;
  if (palette) {
    oldPalette = SelectPalette(dest, palette, TRUE);
    RealizePalette(dest);
  }
  if (GetTransparent()) {
    TransparentBlt(dest, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), source, 0, 0, FWidth, FHeight,
                   ColorToRGB(GetTransparentColor()) & 0xFFFFFF);
  } else {
    int oldMode = SetStretchBltMode(dest, COLORONCOLOR);
    StretchBlt(dest, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), source, 0, 0, FWidth, FHeight,
               ACanvas->GetCopyMode());
    SetStretchBltMode(dest, oldMode);
  }
  if (oldPalette) SelectPalette(dest, oldPalette, TRUE);
}

// ---- TIcon ----

TIcon::TIcon() { TGraphic::SetTransparent(true); }

TIcon::~TIcon() { FreeHandle(); }

void TIcon::FreeHandle() {
  if (FHandle && !FShared) DestroyIcon(FHandle);
  FHandle = nullptr;
  FShared = false;
}

void TIcon::SetWidth(int Value) {
  if (Value != FWidth) throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(int Value) {
  if (Value != FHeight) throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetLoaded(HICON Icon, bool Shared) {
  FreeHandle();
  FHandle = Icon;
  FShared = Shared;
  FWidth = FHeight = 0;
  ICONINFO ii{};
  if (Icon && GetIconInfo(Icon, &ii)) {
    BITMAP bm{};
    if (ii.hbmColor && GetObjectW(ii.hbmColor, sizeof bm, &bm)) {
      FWidth = bm.bmWidth;
      FHeight = bm.bmHeight;
    } else if (ii.hbmMask && GetObjectW(ii.hbmMask, sizeof bm, &bm)) {
      FWidth = bm.bmWidth;
      FHeight = bm.bmHeight / 2;
    }
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
  }
}

HICON TIcon::GetHandle() { return FHandle; }

void TIcon::SetHandle(HICON Value, bool Shared) {
  if (Value == FHandle) return;
  FData.clear();
  SetLoaded(Value, Shared);
  Changed();
}

HICON TIcon::ReleaseHandle() {
  HICON result = FHandle;
  FHandle = nullptr;
  FShared = false;
  FData.clear();
  FWidth = FHeight = 0;
  Changed();
  return result;
}

void TIcon::Assign(TPersistent* Source) {
  auto* icon = dynamic_cast<TIcon*>(Source);
  if (!Source || (icon && icon->Empty())) {
    FreeHandle();
    FData.clear();
    FWidth = FHeight = 0;
    Changed();
    return;
  }
  if (!icon) return inherited::Assign(Source);
  if (icon == this) return;
  if (!icon->FData.empty()) {
    TMemoryStream s;
    s.WriteBuffer(icon->FData.data(), static_cast<std::int64_t>(icon->FData.size()));
    s.SetPosition(0);
    LoadFromStream(&s);
  } else {
    FData.clear();
    SetLoaded(icon->FShared ? icon->FHandle : CopyIcon(icon->FHandle), icon->FShared);
    Changed();
  }
}

void TIcon::LoadFromStream(TStream* Stream) {
  std::int64_t start = 0;
  std::vector<std::uint8_t> data = ReadRest(Stream, start);
  if (data.empty()) {
    FreeHandle();
    FData.clear();
    FWidth = FHeight = 0;
    Changed();
    return;
  }
  auto fail = [&] {
    Stream->SetPosition(start);
    InvalidIcon();
  };
  if (data.size() < 6 || ReadAt<WORD>(data.data(), 0) != 0 || ReadAt<WORD>(data.data(), 2) != 1) fail();
  const std::size_t count = ReadAt<WORD>(data.data(), 4);
  if (count == 0 || (data.size() - 6) / 16 < count) fail();
  // The image closest to the system's icon size, the one with most colours among equals.
  const int want = GetSystemMetrics(SM_CXICON);
  std::size_t best = count, end = 6 + 16 * count;
  int bestScore = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* e = data.data() + 6 + 16 * i;
    int w = e[0] ? e[0] : 256;
    auto bytes = ReadAt<DWORD>(e, 8);
    auto offset = ReadAt<DWORD>(e, 12);
    if (bytes == 0 || offset > data.size() || data.size() - offset < bytes) fail();
    end = std::max<std::size_t>(end, std::size_t{offset} + bytes);
    int score = 100000 - std::abs(w - want) * 100 + ReadAt<WORD>(e, 6);
    if (best == count || score > bestScore) {
      best = i;
      bestScore = score;
    }
  }
  const std::uint8_t* e = data.data() + 6 + 16 * best;
  int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
  auto bytes = ReadAt<DWORD>(e, 8);
  auto offset = ReadAt<DWORD>(e, 12);
  HICON icon = CreateIconFromResourceEx(data.data() + offset, bytes, TRUE, 0x00030000, w, h, LR_DEFAULTCOLOR);
  if (!icon) fail();
  data.resize(end);
  Stream->SetPosition(start + static_cast<std::int64_t>(end));
  SetLoaded(icon, false);
  FData = std::move(data);
  Changed();
}

void TIcon::SaveToStream(TStream* Stream) {
  if (!FData.empty()) {
    Stream->WriteBuffer(FData.data(), static_cast<std::int64_t>(FData.size()));
    return;
  }
  if (!FHandle) return;
  // An icon file of one 32-bit image made from the handle: colour bits, then the mask.
  ICONINFO ii{};
  if (!GetIconInfo(FHandle, &ii)) InvalidIcon();
  const int w = FWidth, h = FHeight;
  std::vector<std::uint8_t> color(static_cast<size_t>(w) * h * 4), mask(static_cast<size_t>(Stride(w, 1)) * h);
  HDC screen = GetDC(nullptr);
  TBitmapInfo info;
  info.Header.biSize = sizeof(BITMAPINFOHEADER);
  info.Header.biWidth = w;
  info.Header.biHeight = h;
  info.Header.biPlanes = 1;
  info.Header.biBitCount = 32;
  if (ii.hbmColor) GetDIBits(screen, ii.hbmColor, 0, static_cast<UINT>(h), color.data(), info.Get(), DIB_RGB_COLORS);
  info.Header.biBitCount = 1;
  info.Header.biClrUsed = 0;
  // A mask-only icon holds the image below the mask: take its top half.
  GetDIBits(screen, ii.hbmMask, ii.hbmColor ? 0 : static_cast<UINT>(h), static_cast<UINT>(h), mask.data(),
            info.Get(), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  if (ii.hbmMask) DeleteObject(ii.hbmMask);
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof ih;
  ih.biWidth = w;
  ih.biHeight = h * 2;
  ih.biPlanes = 1;
  ih.biBitCount = 32;
  ih.biSizeImage = static_cast<DWORD>(color.size() + mask.size());
  const DWORD imageBytes = static_cast<DWORD>(sizeof ih + color.size() + mask.size());
  std::uint8_t dir[22] = {0, 0, 1, 0, 1, 0, static_cast<std::uint8_t>(w < 256 ? w : 0),
                          static_cast<std::uint8_t>(h < 256 ? h : 0), 0, 0, 1, 0, 32, 0};
  std::memcpy(dir + 14, &imageBytes, 4);
  DWORD offset = sizeof dir;
  std::memcpy(dir + 18, &offset, 4);
  Stream->WriteBuffer(dir, sizeof dir);
  Stream->WriteBuffer(&ih, sizeof ih);
  Stream->WriteBuffer(color.data(), static_cast<std::int64_t>(color.size()));
  Stream->WriteBuffer(mask.data(), static_cast<std::int64_t>(mask.size()));
}

void TIcon::LoadFromResourceName(HINSTANCE Instance, const String& ResName) {
  HMODULE module = Instance ? Instance : GetModuleHandleW(nullptr);
  std::wstring name = Utf8ToWide(ResName);
  auto icon = static_cast<HICON>(LoadImageW(module, name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  if (!icon) throw EResNotFound("Resource " + ResName + " not found");
  FData.clear();
  SetLoaded(icon, false);
  Changed();
}

void TIcon::LoadFromResourceID(HINSTANCE Instance, int ResID) {
  HMODULE module = Instance ? Instance : GetModuleHandleW(nullptr);
  auto icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(ResID), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  if (!icon) throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
  FData.clear();
  SetLoaded(icon, false);
  Changed();
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (!FHandle) return;
  DrawIconEx(ACanvas->GetHandle(), Rect.Left, Rect.Top, FHandle, Rect.Width(), Rect.Height(), 0, nullptr, DI_NORMAL);
}

bool TIcon::Equals(TGraphic* Other) {
  auto* other = dynamic_cast<TIcon*>(Other);
  if (!other) return false;
  if (!FData.empty() || !other->FData.empty()) return FData == other->FData;
  return FHandle == other->FHandle;
}

// ---- Graphic formats ----

namespace {

struct TGraphicFormat {
  String ClassName;
  TGraphicFactory Factory;
};

struct TGraphicFormats {
  std::mutex Lock;
  std::map<String, TGraphicFormat> ByExtension;  // lower case, with the dot
  std::map<String, TGraphicFactory> ByClass;     // upper case
};

TGraphicFormats& Formats() {
  static TGraphicFormats formats;
  static const bool filled = [] {
    TGraphicFactory bitmap = [] { return std::make_unique<TBitmap>(); };
    TGraphicFactory icon = [] { return std::make_unique<TIcon>(); };
    formats.ByExtension[".bmp"] = {"TBitmap", bitmap};
    formats.ByExtension[".ico"] = {"TIcon", icon};
    formats.ByClass["TBITMAP"] = bitmap;
    formats.ByClass["TICON"] = icon;
    TGraphicFactory jpeg = [] { return std::make_unique<TJpegGraphic>(); };
    formats.ByExtension[".jpg"] = {"TJpegGraphic", jpeg};
    formats.ByExtension[".jpeg"] = {"TJpegGraphic", jpeg};
    formats.ByClass["TJPEGGRAPHIC"] = jpeg;
    return true;
  }();
  (void)filled;
  return formats;
}

}  // namespace

void RegisterGraphicFormat(const String& Extension, const String& ClassName, TGraphicFactory Factory) {
  TGraphicFormats& f = Formats();
  std::lock_guard lock(f.Lock);
  String ext = LowerCase(Extension);
  if (!ext.empty() && ext[0] != '.') ext = "." + ext;
  f.ByExtension[ext] = {ClassName, Factory};
  f.ByClass[UpperCase(ClassName)] = Factory;
}

std::unique_ptr<TGraphic> NewGraphicOfClass(const String& ClassName) {
  TGraphicFormats& f = Formats();
  std::lock_guard lock(f.Lock);
  auto it = f.ByClass.find(UpperCase(ClassName));
  return it == f.ByClass.end() ? nullptr : it->second();
}

std::unique_ptr<TGraphic> NewGraphicForExtension(const String& Extension) {
  TGraphicFormats& f = Formats();
  std::lock_guard lock(f.Lock);
  auto it = f.ByExtension.find(LowerCase(Extension));
  return it == f.ByExtension.end() ? nullptr : it->second.Factory();
}

// ---- TPicture ----

TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::SetOwned(std::unique_ptr<TGraphic> Graphic) {
  FGraphic = std::move(Graphic);
  if (FGraphic) FGraphic->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (!Value) return SetOwned(nullptr);
  if (Value == FGraphic.get()) return;
  std::unique_ptr<TGraphic> copy = NewGraphicOfClass(Value->ClassName());
  if (!copy) throw EInvalidGraphic("Unknown picture format " + Value->ClassName());
  copy->Assign(Value);
  SetOwned(std::move(copy));
}

TBitmap* TPicture::GetBitmap() {
  if (!dynamic_cast<TBitmap*>(FGraphic.get())) SetOwned(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::GetIcon() {
  if (!dynamic_cast<TIcon*>(FGraphic.get())) SetOwned(std::make_unique<TIcon>());
  return static_cast<TIcon*>(FGraphic.get());
}

void TPicture::LoadFromFile(const String& FileName) {
  String ext = ExtractFileExt(FileName);
  std::unique_ptr<TGraphic> graphic = NewGraphicForExtension(ext);
  if (!graphic) throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
  graphic->LoadFromFile(FileName);
  SetOwned(std::move(graphic));
}

void TPicture::SaveToFile(const String& FileName) {
  if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::LoadFromStream(TStream* Stream) {
  std::int64_t start = Stream->GetPosition();
  std::uint8_t sig[4] = {};
  std::int64_t got = Stream->Read(sig, sizeof sig);
  Stream->SetPosition(start);
  if (got == 0) return SetOwned(nullptr);
  std::unique_ptr<TGraphic> graphic;
  if (got >= 2 && sig[0] == 'B' && sig[1] == 'M') graphic = std::make_unique<TBitmap>();
  else if (got == 4 && sig[0] == 0 && sig[1] == 0 && sig[2] == 1 && sig[3] == 0) graphic = std::make_unique<TIcon>();
  else if (got >= 3 && sig[0] == 0xFF && sig[1] == 0xD8 && sig[2] == 0xFF) graphic = std::make_unique<TJpegGraphic>();
  else throw EInvalidGraphic("Unknown picture format");
  graphic->LoadFromStream(Stream);
  SetOwned(std::move(graphic));
}

void TPicture::SaveToStream(TStream* Stream) {
  if (FGraphic) FGraphic->SaveToStream(Stream);
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) return SetOwned(nullptr);
  if (auto* picture = dynamic_cast<TPicture*>(Source)) return SetGraphic(picture->GetGraphic());
  if (auto* graphic = dynamic_cast<TGraphic*>(Source)) return SetGraphic(graphic);
  inherited::Assign(Source);
}

void TPicture::DefineProperties(TFiler* Filer) {
  bool hasData = FGraphic != nullptr;
  if (auto* ancestor = dynamic_cast<TPicture*>(Filer->Ancestor())) {
    TGraphic* theirs = ancestor->GetGraphic();
    hasData = FGraphic ? !FGraphic->Equals(theirs) : theirs != nullptr;
  }
  Filer->DefineBinaryProperty(
      "Data",
      [this](TStream* s) {
        std::uint8_t length = 0;
        s->ReadBuffer(&length, 1);
        String name(length, '\0');
        if (length) s->ReadBuffer(name.data(), length);
        if (name.empty()) return SetOwned(nullptr);
        std::unique_ptr<TGraphic> graphic = NewGraphicOfClass(name);
        if (!graphic) throw EInvalidGraphic("Unknown picture format " + name);
        graphic->ReadData(s);
        SetOwned(std::move(graphic));
      },
      [this](TStream* s) {
        String name = FGraphic ? FGraphic->ClassName() : String();
        auto length = static_cast<std::uint8_t>(name.size());
        s->WriteBuffer(&length, 1);
        s->WriteBuffer(name.data(), length);
        if (FGraphic) FGraphic->WriteData(s);
      },
      hasData);
}
