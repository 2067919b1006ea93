#include "controls/kitregionmask.h"

#include <cstring>

#include "classlib/core/filer.h"
#include "controls/kitgeometry.h"
#include "controls/kitstreams.h"

HX_PUBLISH(TKitRegionMask, p) {
  p.Property("RegionDataSize", &TKitRegionMask::GetRegionDataSize, &TKitRegionMask::SetRegionDataSize);
  p.Property("PixelFormat", &TKitRegionMask::GetPixelFormat, &TKitRegionMask::SetPixelFormat)
      .Default(TKitSavePixelFormat::spfDefault);
  p.Property("Compressed", &TKitRegionMask::GetCompressed, &TKitRegionMask::SetCompressed).Default(false);
}

TKitRegionMask::TKitRegionMask() : FBorderUpBmp(new TBitmap), FBorderDnBmp(new TBitmap), FBorderBmp(new TBitmap) {}

TKitRegionMask::~TKitRegionMask() {
  delete FBorderBmp;
  delete FBorderDnBmp;
  delete FBorderUpBmp;
}

void TKitRegionMask::SetRegionDataSize(int Value) {
  if (Value < 0) return;
  FData.resize(static_cast<std::size_t>(Value), 0);
}

void TKitRegionMask::SetRegionData(const void* Data, int Size) {
  FData.clear();
  if (Data && Size > 0) FData.assign(static_cast<const std::uint8_t*>(Data), static_cast<const std::uint8_t*>(Data) + Size);
}

void TKitRegionMask::SetRegion(HRGN Region) { FData = RegionDataOf(Region); }

std::vector<std::uint8_t> RegionDataOf(HRGN Region) {
  std::vector<std::uint8_t> data;
  DWORD size = Region ? GetRegionData(Region, 0, nullptr) : 0;
  if (size == 0) return data;
  data.resize(size);
  if (GetRegionData(Region, size, reinterpret_cast<RGNDATA*>(data.data())) != size) data.clear();
  return data;
}

void TKitRegionMask::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TKitRegionMask*>(Source);
  if (!s) return inherited::Assign(Source);
  if (s == this) return;
  FreeData();
  if (s->FData.empty()) return;
  FData = s->FData;
  FBorderBmp->Assign(s->FBorderBmp);
  FBorderUpBmp->Assign(s->FBorderUpBmp);
  FBorderDnBmp->Assign(s->FBorderDnBmp);
}

void TKitRegionMask::ReadPicture(TStream* Stream, TBitmap* Bitmap) {
  FCompressed = ReadFlag(Stream) != 0;
  ReadFlaggedBitmap(Stream, Bitmap, FCompressed);
}

void TKitRegionMask::WritePicture(TStream* Stream, TBitmap* Bitmap) {
  WriteFlag(Stream, FCompressed ? 1 : 0);
  WriteFlaggedBitmap(Stream, Bitmap, FCompressed, -1);
}

void TKitRegionMask::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "RegionData",
      [this](TStream* s) {
        // The value's own length counts: a size written before it may disagree.
        std::int64_t n = s->GetSize() - s->GetPosition();
        FData.assign(static_cast<std::size_t>(n > 0 ? n : 0), 0);
        if (!FData.empty()) s->ReadBuffer(FData.data(), static_cast<std::int64_t>(FData.size()));
      },
      [this](TStream* s) { s->WriteBuffer(FData.data(), static_cast<std::int64_t>(FData.size())); }, !FData.empty());
  struct TPictureProperty {
    const char* Name;
    TBitmap* Bitmap;
  };
  for (TPictureProperty p : {TPictureProperty{"BorderBmp", FBorderBmp}, TPictureProperty{"BorderUpBmp", FBorderUpBmp},
                             TPictureProperty{"BorderDnBmp", FBorderDnBmp}}) {
    TBitmap* bitmap = p.Bitmap;
    Filer->DefineBinaryProperty(
        p.Name, [this, bitmap](TStream* s) { ReadPicture(s, bitmap); },
        [this, bitmap](TStream* s) { WritePicture(s, bitmap); }, !bitmap->Empty());
  }
}

HRGN CreateMaskRegion(const std::uint8_t* Data, std::size_t Size) {
  if (!IsValidRegionData(Data, Size)) return nullptr;
  return ExtCreateRegion(nullptr, static_cast<DWORD>(Size), reinterpret_cast<const RGNDATA*>(Data));
}
