#include "assistant/actor.h"

#include <cstring>
#include <string>
#include <vector>

#include <mmsystem.h>

#include "classlib/core/files.h"
#include "classlib/core/text.h"
#include "classlib/core/typinfo.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TAssistantActor, p) {}

namespace {

// A read-only stream over a resource's bytes.
class TResourceBytes : public TCustomMemoryStream {
 public:
  TResourceBytes(const void* data, std::int64_t size) { SetPointer(const_cast<void*>(data), size); }
};

// The bytes of the loaded image from `p` to its end (0 when `p` lies outside it).
std::size_t BytesInImage(HMODULE module, const void* p) {
  auto base = reinterpret_cast<const std::uint8_t*>(module);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  auto at = static_cast<const std::uint8_t*>(p);
  std::size_t size = nt->OptionalHeader.SizeOfImage;
  if (at < base || at >= base + size) return 0;
  return static_cast<std::size_t>(base + size - at);
}

using GetActorInfoProc = const void* (*)();

}  // namespace

TAssistantActor::~TAssistantActor() { Close(); }

void TAssistantActor::Fail(const std::string& why) const { throw EActorError(FFileName + "\r\n" + why); }

void TAssistantActor::Open() {
  if (!IsClosed()) return;
  if (FFileName.empty() || !FileExists(FFileName)) Fail("File not found");
  // The full name: the library search would look in other folders before the current one.
  std::wstring path = Utf8ToWide(ExpandFileName(FFileName));
  {
    std::lock_guard<std::recursive_mutex> hold(FLock);
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    HMODULE module = LoadLibraryW(path.c_str());
    SetThreadErrorMode(oldMode, nullptr);
    TActorHeader header;
    bool valid = false;
    if (module) {
      auto getInfo = reinterpret_cast<GetActorInfoProc>(reinterpret_cast<void*>(GetProcAddress(module, "GetActorInfo")));
      const void* p = getInfo ? getInfo() : nullptr;
      valid = p && ParseActorHeader(static_cast<const std::uint8_t*>(p), BytesInImage(module, p), header);
    }
    if (!valid) {
      if (module) FreeLibrary(module);
      Fail("File is not a valid actor library");
    }
    // A palette of the header's entries (the count clamped to what the block holds).
    std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = header.PaletteCount;
    for (std::size_t i = 0; i < 256; ++i) {
      const TPaletteEntry& e = header.Palette[i];
      lp->palPalEntry[i] = {e.Red, e.Green, e.Blue, e.Flags};
    }
    FPalette = CreatePalette(lp);
    const TPaletteEntry& t = header.Palette[header.TransparentIndex];
    FTransparentColor = RGB(t.Red, t.Green, t.Blue);
    FHeader = std::move(header);
    FModule = module;
  }
  if (OnOpen) OnOpen(this);
}

void TAssistantActor::Close() {
  if (IsClosed()) return;
  if (OnClose) OnClose(this);
  std::lock_guard<std::recursive_mutex> hold(FLock);
  // A frame sound plays from the library's mapped resources: stop it before unmapping.
  PlaySoundW(nullptr, nullptr, 0);
  if (FPalette) DeleteObject(FPalette);
  FPalette = nullptr;
  FTransparentColor = 0;
  FHeader.reset();
  FreeLibrary(FModule);
  FModule = nullptr;
}

void TAssistantActor::SetFileName(const String& fileName) {
  // The same name while closed tries again: the file may have been written since.
  if (!IsClosed() && AnsiSameText(fileName, FFileName)) return;
  if (!FFileName.empty()) Close();
  FFileName = fileName;
  if (!fileName.empty()) Open();
}

bool TAssistantActor::IsClosed() const {
  std::lock_guard<std::recursive_mutex> hold(FLock);
  return FModule == nullptr;
}

int TAssistantActor::AnimationCount() const {
  std::lock_guard<std::recursive_mutex> hold(FLock);
  return FHeader ? static_cast<int>(FHeader->Animations.size()) : 0;
}

int TAssistantActor::FrameWidth() const {
  std::lock_guard<std::recursive_mutex> hold(FLock);
  return FHeader ? FHeader->FrameWidth : 0;
}

int TAssistantActor::FrameHeight() const {
  std::lock_guard<std::recursive_mutex> hold(FLock);
  return FHeader ? FHeader->FrameHeight : 0;
}

int TAssistantActor::TransparentIndex() const {
  std::lock_guard<std::recursive_mutex> hold(FLock);
  return FHeader ? FHeader->TransparentIndex : 0;
}

String TAssistantActor::ActorName() const {
  std::lock_guard<std::recursive_mutex> hold(FLock);
  return FHeader ? FHeader->Name : String();
}

std::optional<TAnimationRecord> TAssistantActor::Animation(int i) const {
  std::lock_guard<std::recursive_mutex> hold(FLock);
  if (!FHeader || i < 1 || i > static_cast<int>(FHeader->Animations.size())) return std::nullopt;
  return FHeader->Animations[static_cast<std::size_t>(i - 1)];
}

std::optional<TPaletteEntry> TAssistantActor::PaletteEntry(int index) const {
  std::lock_guard<std::recursive_mutex> hold(FLock);
  if (!FHeader || index < 0 || index > 255) return std::nullopt;
  return FHeader->Palette[static_cast<std::size_t>(index)];
}

int TAssistantActor::FindAnimation(int category, int n) const {
  std::lock_guard<std::recursive_mutex> hold(FLock);
  return FHeader ? FHeader->FindAnimation(category, n) : 0;
}

int TAssistantActor::IndexOfName(const String& name) const {
  std::lock_guard<std::recursive_mutex> hold(FLock);
  return FHeader ? FHeader->IndexOfName(name) : 0;
}

TActorAnimation TAssistantActor::ReadAnimation(int i) const {
  std::lock_guard<std::recursive_mutex> hold(FLock);
  std::optional<TAnimationRecord> record = Animation(i);
  std::string which = "Animation " + std::to_string(i) + ": ";
  if (!record) Fail(which + "no such animation");
  HRSRC info = FindResourceW(FModule, MAKEINTRESOURCEW(record->StreamId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  HGLOBAL res = info ? LoadResource(FModule, info) : nullptr;
  const void* data = res ? LockResource(res) : nullptr;
  if (!data) Fail(which + "its resource " + std::to_string(record->StreamId) + " is missing");
  try {
    TResourceBytes source(data, SizeofResource(FModule, info));
    TMemoryStream stream;
    DecompressStream(&source, &stream);
    return ParseAnimationStream(static_cast<const std::uint8_t*>(stream.Memory()),
                                static_cast<std::size_t>(stream.GetSize()), FHeader->FrameWidth, FHeader->FrameHeight);
  } catch (const Exception& e) {
    Fail(which + e.Message);
  }
}

// ---- regions ----

HRGN RegionFromRects(const std::vector<TRunRect>& rects, int width, int height) {
  std::vector<std::uint8_t> data(sizeof(RGNDATAHEADER) + sizeof(RECT) * rects.size());
  auto* rd = reinterpret_cast<RGNDATA*>(data.data());
  rd->rdh.dwSize = sizeof(RGNDATAHEADER);
  rd->rdh.iType = RDH_RECTANGLES;
  rd->rdh.nCount = static_cast<DWORD>(rects.size());
  rd->rdh.nRgnSize = sizeof(RECT);
  rd->rdh.rcBound = {0, 0, width, height};
  auto* out = reinterpret_cast<RECT*>(rd->Buffer);
  for (std::size_t i = 0; i < rects.size(); ++i) out[i] = {rects[i].Left, rects[i].Top, rects[i].Right, rects[i].Bottom};
  return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), rd);
}

HRGN BitmapToRegion(HBITMAP bitmap, std::uint32_t transparent) {
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
    return CreateRectRgn(0, 0, 0, 0);
  const int w = bm.bmWidth, h = bm.bmHeight, bpp = bm.bmPlanes * bm.bmBitsPixel;
  // The pixels top row first, as indices (1 and 8 bits: the bitmap's own colour table comes
  // along, so indices stay as they are) or as colours (any other format).
  const int want = bpp == 1 || bpp == 8 ? bpp : 32;
  std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi->bmiHeader.biWidth = w;
  bi->bmiHeader.biHeight = -h;
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biBitCount = static_cast<WORD>(want);
  bi->bmiHeader.biCompression = BI_RGB;
  std::ptrdiff_t stride = (static_cast<std::ptrdiff_t>(w) * want + 31) / 32 * 4;
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * h));
  HDC dc = GetDC(nullptr);
  int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), bits.data(), bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (lines != h) return CreateRectRgn(0, 0, 0, 0);
  std::vector<TRunRect> rects;
  if (want == 8) {
    AppendOpaqueRuns8(rects, bits.data(), stride, w, h, static_cast<int>(transparent));
  } else if (want == 1) {
    AppendOpaqueRuns1(rects, bits.data(), stride, w, h, static_cast<int>(transparent));
  } else {
    // Any other format: pixels of the transparent colour are left out.
    std::uint32_t key = static_cast<std::uint32_t>(GetRValue(transparent)) << 16 |
                        static_cast<std::uint32_t>(GetGValue(transparent)) << 8 | GetBValue(transparent);
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        std::uint32_t px;
        std::memcpy(&px, bits.data() + y * stride + x * 4, 4);
        mask[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] = (px & 0xFFFFFF) == key;
      }
    AppendOpaqueRuns8(rects, mask.data(), w, w, h, 1);
  }
  return RegionFromRects(rects, w, h);
}
