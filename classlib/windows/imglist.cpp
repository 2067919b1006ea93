#include "classlib/windows/imglist.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

#include "classlib/core/filer.h"
#include "classlib/core/lists.h"

HX_PUBLISH(TCustomImageList, p) {}
HX_PUBLISH(TImageList, p) {
  p.Property("Height", &TImageList::GetHeight, &TImageList::SetHeight).Default(16);
  p.Property("Masked", &TImageList::GetMasked, &TImageList::SetMasked).Default(true);
  p.Property("Width", &TImageList::GetWidth, &TImageList::SetWidth).Default(16);
  p.Event("OnChange", &TImageList::OnChange);
}

namespace {

// A pixel of a 32-bit strip as a colour (0x00BBGGRR).
COLORREF PixelColor(std::uint32_t Pixel) {
  return RGB((Pixel >> 16) & 0xFF, (Pixel >> 8) & 0xFF, Pixel & 0xFF);
}

// Every pixel of a 32-bit bitmap black or white: white where Transparent says.
void MakeMask(TBitmap* Mask, const std::function<bool(std::uint32_t Pixel)>& Transparent) {
  Mask->FreeContext();
  for (int y = 0; y < Mask->GetHeight(); ++y) {
    auto* row = static_cast<std::uint32_t*>(Mask->ScanLine(y));
    for (int x = 0; x < Mask->GetWidth(); ++x) row[x] = Transparent(row[x]) ? 0x00FFFFFF : 0;
  }
}

void WriteBitmap(TStream* Stream, TBitmap* Bitmap) {
  TMemoryStream file;
  Bitmap->SaveToStream(&file);
  auto size = static_cast<std::uint32_t>(file.GetSize());
  Stream->WriteBuffer(&size, 4);
  Stream->WriteBuffer(file.Memory(), size);
}

void ReadBitmap(TStream* Stream, TBitmap* Bitmap) {
  std::uint32_t size = 0;
  Stream->ReadBuffer(&size, 4);
  if (size > Stream->GetSize() - Stream->GetPosition()) throw EReadError("Image list data is cut short");
  TMemoryStream file;
  file.SetSize(size);
  Stream->ReadBuffer(file.Memory(), size);
  file.SetPosition(0);
  Bitmap->LoadFromStream(&file);
  Bitmap->SetPixelFormat(pf32bit);
}

constexpr DWORD kKeepDestination = 0x00AA0029;
constexpr DWORD kPatternWhereSourceBlack = 0x00B8074A;  // PSDPxax

}  // namespace

TCustomImageList::TCustomImageList(TComponent* AOwner)
    : TComponent(AOwner), FImages(std::make_unique<TBitmap>()), FMask(std::make_unique<TBitmap>()) {}

TCustomImageList::~TCustomImageList() { FreeMonoMask(); }

void TCustomImageList::Change() {
  if (OnChange) OnChange(this);
}

void TCustomImageList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= FCount) ListIndexError(Index);
}

void TCustomImageList::FreeMonoMask() {
  if (FMonoMask) DeleteObject(FMonoMask);
  FMonoMask = nullptr;
}

void TCustomImageList::SetWidth(int Value) {
  if (Value < 1 || Value == FWidth) return;
  FWidth = Value;
  Clear();
}

void TCustomImageList::SetHeight(int Value) {
  if (Value < 1 || Value == FHeight) return;
  FHeight = Value;
  Clear();
}

void TCustomImageList::SetMasked(bool Value) {
  if (Value == FMasked) return;
  FMasked = Value;
  FreeMonoMask();
  if (Value) {
    FMask = std::make_unique<TBitmap>();
    FMask->SetSize(FImages->GetWidth(), FImages->GetHeight());
    MakeMask(FMask.get(), [](std::uint32_t) { return false; });
  } else {
    FMask.reset();
  }
  Change();
}

void TCustomImageList::Resize(int Count) {
  FreeMonoMask();
  FImages->SetSize(Count * FWidth, Count ? FHeight : 0);
  if (FMask) FMask->SetSize(Count * FWidth, Count ? FHeight : 0);
  FCount = Count;
}

void TCustomImageList::Clear() {
  if (FCount == 0 && FImages->Empty()) return Change();
  Resize(0);
  Change();
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) throw EInvalidGraphicOperation("Invalid image size");
  int added = std::max(Image->GetWidth() / FWidth, 1);
  int first = FCount;
  Resize(FCount + added);
  // As many whole images as the strip holds, or the one image stretched to the size.
  CopyImages(first, added, Image, Mask, Image->GetWidth() >= FWidth ? added * FWidth : Image->GetWidth());
  Change();
  return first;
}

void TCustomImageList::Replace(int Index, TBitmap* Image, TBitmap* Mask) {
  CheckIndex(Index);
  if (!Image || Image->Empty()) throw EInvalidGraphicOperation("Invalid image size");
  FreeMonoMask();
  CopyImages(Index, 1, Image, Mask, std::min(Image->GetWidth(), FWidth));
  Change();
}

void TCustomImageList::ReplaceMasked(int Index, TBitmap* Image, TColor MaskColor) {
  CheckIndex(Index);
  if (!Image || Image->Empty()) throw EInvalidGraphicOperation("Invalid image size");
  TBitmap mask;
  MaskOf(Image, MaskColor, &mask);
  Replace(Index, Image, &mask);
}

void TCustomImageList::CopyImages(int First, int Count, TBitmap* Image, TBitmap* Mask, int SourceWidth) {
  int x = First * FWidth, width = Count * FWidth;
  auto copy = [&](TBitmap* Dest, TBitmap* Source) {
    HDC dest = Dest->Canvas()->GetHandle();
    int mode = SetStretchBltMode(dest, COLORONCOLOR);
    StretchBlt(dest, x, 0, width, FHeight, Source->Canvas()->GetHandle(), 0, 0, SourceWidth, Source->GetHeight(),
               SRCCOPY);
    SetStretchBltMode(dest, mode);
  };
  copy(FImages.get(), Image);
  if (FMask) {
    if (Mask && !Mask->Empty()) {
      copy(FMask.get(), Mask);
    } else {
      RECT r{x, 0, x + width, FHeight};
      FillRect(FMask->Canvas()->GetHandle(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    // Any colour but black counts as transparent.
    MakeMask(FMask.get(), [](std::uint32_t p) { return (p & 0xFFFFFF) != 0; });
  }
  FImages->FreeContext();
}

void TCustomImageList::MaskOf(TBitmap* Image, TColor MaskColor, TBitmap* Mask) {
  COLORREF key = ColorToRGB(MaskColor == clDefault ? Image->GetTransparentColor() : MaskColor) & 0xFFFFFF;
  Mask->Assign(Image);
  Mask->SetPixelFormat(pf32bit);
  MakeMask(Mask, [key](std::uint32_t p) { return PixelColor(p) == key; });
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!Image || Image->Empty()) throw EInvalidGraphicOperation("Invalid image size");
  TBitmap mask;
  MaskOf(Image, MaskColor, &mask);
  return Add(Image, &mask);
}

void TCustomImageList::Delete(int Index) {
  CheckIndex(Index);
  int x = Index * FWidth, rest = (FCount - Index - 1) * FWidth;
  for (TBitmap* strip : {FImages.get(), FMask.get()}) {
    if (!strip || rest == 0) continue;
    HDC dc = strip->Canvas()->GetHandle();
    BitBlt(dc, x, 0, rest, FHeight, dc, x + FWidth, 0, SRCCOPY);
  }
  Resize(FCount - 1);
  Change();
}

HBITMAP TCustomImageList::MonoMask() {
  if (FMonoMask) return FMonoMask;
  int width = std::max(FCount * FWidth, 1);
  FMonoMask = CreateBitmap(width, FHeight, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FMonoMask);
  if (FMask && FCount > 0) {
    // Colour to monochrome: the source's background colour (white) becomes 1.
    HDC source = FMask->Canvas()->GetHandle();
    COLORREF oldBk = SetBkColor(source, RGB(255, 255, 255));
    BitBlt(dc, 0, 0, width, FHeight, source, 0, 0, SRCCOPY);
    SetBkColor(source, oldBk);
  } else {
    PatBlt(dc, 0, 0, width, FHeight, BLACKNESS);  // no transparent pixels
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return FMonoMask;
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  if (Index < 0 || Index >= FCount) return;
  HDC dc = Canvas->GetHandle();
  int sx = Index * FWidth;
  if (Enabled) {
    HDC images = FImages->Canvas()->GetHandle();
    if (FMask) MaskBlt(dc, X, Y, FWidth, FHeight, images, sx, 0, MonoMask(), sx, 0, MAKEROP4(kKeepDestination, SRCCOPY));
    else BitBlt(dc, X, Y, FWidth, FHeight, images, sx, 0, SRCCOPY);
    return;
  }
  // Embossed: the image's shape in the highlight colour one pixel down and right, then in
  // the shadow colour. The mask is black where the image is.
  HDC mask = CreateCompatibleDC(dc);
  HGDIOBJ oldMask = SelectObject(mask, MonoMask());
  COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
  for (auto [color, offset] : {std::pair{clBtnHighlight, 1}, std::pair{clBtnShadow, 0}}) {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(color) & 0xFFFFFF);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    BitBlt(dc, X + offset, Y + offset, FWidth, FHeight, mask, sx, 0, kPatternWhereSourceBlack);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
  }
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
  SelectObject(mask, oldMask);
  DeleteDC(mask);
}

void TCustomImageList::GetBitmap(int Index, TBitmap* Image) {
  CheckIndex(Index);
  Image->SetPixelFormat(pf32bit);
  Image->SetSize(FWidth, FHeight);
  BitBlt(Image->Canvas()->GetHandle(), 0, 0, FWidth, FHeight, FImages->Canvas()->GetHandle(), Index * FWidth, 0,
         SRCCOPY);
  Image->FreeContext();
}

void TCustomImageList::GetIcon(int Index, TIcon* Image) {
  CheckIndex(Index);
  int sx = Index * FWidth;
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateCompatibleBitmap(screen, FWidth, FHeight);
  HBITMAP mask = CreateBitmap(FWidth, FHeight, 1, 1, nullptr);
  HDC colorDC = CreateCompatibleDC(screen), maskDC = CreateCompatibleDC(screen), source = CreateCompatibleDC(screen);
  HGDIOBJ oldColor = SelectObject(colorDC, color), oldMask = SelectObject(maskDC, mask);
  HGDIOBJ oldSource = SelectObject(source, MonoMask());
  BitBlt(maskDC, 0, 0, FWidth, FHeight, source, sx, 0, SRCCOPY);
  BitBlt(colorDC, 0, 0, FWidth, FHeight, FImages->Canvas()->GetHandle(), sx, 0, SRCCOPY);
  // An icon's image is black where it is transparent: mask 1 becomes black, 0 keeps.
  SetTextColor(colorDC, RGB(255, 255, 255));
  SetBkColor(colorDC, RGB(0, 0, 0));
  BitBlt(colorDC, 0, 0, FWidth, FHeight, maskDC, 0, 0, SRCAND);
  SelectObject(source, oldSource);
  SelectObject(colorDC, oldColor);
  SelectObject(maskDC, oldMask);
  DeleteDC(source);
  DeleteDC(colorDC);
  DeleteDC(maskDC);
  ReleaseDC(nullptr, screen);
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(color);
  DeleteObject(mask);
  if (!icon) throw EOutOfResources("Out of system resources");
  Image->SetHandle(icon);
}

void TCustomImageList::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TCustomImageList*>(Source);
  if (!source) return TComponent::Assign(Source);
  if (source == this) return;
  FreeMonoMask();
  FWidth = source->FWidth;
  FHeight = source->FHeight;
  FMasked = source->FMasked;
  FCount = source->FCount;
  FImages->Assign(source->FImages.get());
  if (source->FMask) {
    if (!FMask) FMask = std::make_unique<TBitmap>();
    FMask->Assign(source->FMask.get());
  } else {
    FMask.reset();
  }
  Change();
}

void TCustomImageList::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Bitmap", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, FCount > 0);
}

void TCustomImageList::WriteData(TStream* Stream) {
  auto count = static_cast<std::uint32_t>(FCount);
  Stream->WriteBuffer(&count, 4);
  WriteBitmap(Stream, FImages.get());
  if (!FMask) return;
  TBitmap mask;
  mask.Assign(FMask.get());
  mask.SetPixelFormat(pf1bit);
  WriteBitmap(Stream, &mask);
}

void TCustomImageList::ReadData(TStream* Stream) {
  std::uint32_t count = 0;
  Stream->ReadBuffer(&count, 4);
  auto images = std::make_unique<TBitmap>();
  ReadBitmap(Stream, images.get());
  auto fits = [&](TBitmap* b) {
    return static_cast<std::int64_t>(b->GetWidth()) == static_cast<std::int64_t>(count) * FWidth &&
           b->GetHeight() == (count ? FHeight : 0);
  };
  if (!fits(images.get())) throw EReadError("Image list data does not fit its image size");
  std::unique_ptr<TBitmap> mask;
  if (FMasked) {
    mask = std::make_unique<TBitmap>();
    ReadBitmap(Stream, mask.get());
    if (!fits(mask.get())) throw EReadError("Image list data does not fit its image size");
    MakeMask(mask.get(), [](std::uint32_t p) { return (p & 0xFFFFFF) != 0; });
  }
  FreeMonoMask();
  FImages = std::move(images);
  FMask = std::move(mask);
  FCount = static_cast<int>(count);
  Change();
}
