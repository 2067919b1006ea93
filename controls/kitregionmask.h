#pragma once
// TKitRegionMask: the data of a bitmap-shaped window region, kept inside a form resource,
// with up to three pictures of the shape (the border picture and those of the raised and
// pressed states). The region data is a Windows RGNDATA block exactly as GetRegionData
// gives it and ExtCreateRegion takes it (CreateMaskRegion checks it first). Streamed as
// the published RegionDataSize, PixelFormat and Compressed, then the defined "RegionData"
// (the block as a binary value) and "BorderBmp", "BorderUpBmp", "BorderDnBmp" (a flag
// byte, then the picture in the kit's flagged layout). Windows only.
#include <cstdint>
#include <vector>

#include "classlib/windows/pictures.h"
#include "controls/kitbase.h"
#include "controls/kittypes.h"

class TKitRegionMask : public TKitObject {
  HX_CLASS(TKitRegionMask, TKitObject)
 public:
  TKitRegionMask();
  ~TKitRegionMask() override;

  // The block's size. Setting it resizes the block (new bytes are zero; 0 frees it);
  // reading "RegionData" from a form sets it to the value's length, whatever came first.
  int GetRegionDataSize() const { return static_cast<int>(FData.size()); }
  void SetRegionDataSize(int Value);
  // The block; nullptr when empty.
  const std::uint8_t* RegionData() const { return FData.empty() ? nullptr : FData.data(); }
  std::uint8_t* RegionData() { return FData.empty() ? nullptr : FData.data(); }
  // Replaces the block with Size bytes of Data.
  void SetRegionData(const void* Data, int Size);
  // Takes the data of a region (GetRegionData); nullptr frees the block.
  void SetRegion(HRGN Region);
  void AllocData() { FData.assign(FData.size(), 0); }
  void FreeData() { FData.clear(); }

  TBitmap* BorderBmp() const { return FBorderBmp; }
  TBitmap* BorderUpBmp() const { return FBorderUpBmp; }
  TBitmap* BorderDnBmp() const { return FBorderDnBmp; }
  TKitSavePixelFormat GetPixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TKitSavePixelFormat Value) { FPixelFormat = Value; }
  // Whether the pictures are written compressed; reading a picture sets it from its flag.
  bool GetCompressed() const { return FCompressed; }
  void SetCompressed(bool Value) { FCompressed = Value; }

  // Copies the region data and, with it, the three pictures; a source without data copies
  // nothing. Compressed and PixelFormat stay.
  void Assign(TPersistent* Source) override;

 protected:
  void DefineProperties(TFiler* Filer) override;

 private:
  void ReadPicture(TStream* Stream, TBitmap* Bitmap);
  void WritePicture(TStream* Stream, TBitmap* Bitmap);

  std::vector<std::uint8_t> FData;
  TBitmap* FBorderUpBmp;
  TBitmap* FBorderDnBmp;
  TBitmap* FBorderBmp;
  TKitSavePixelFormat FPixelFormat = TKitSavePixelFormat::spfDefault;
  bool FCompressed = false;
};

// The data of a region (GetRegionData); empty for nullptr or when the system gives none.
std::vector<std::uint8_t> RegionDataOf(HRGN Region);

// A region from the data of Size bytes, or nullptr when they are not a valid RGNDATA block
// (IsValidRegionData) or the system refuses them. The caller owns the region.
HRGN CreateMaskRegion(const std::uint8_t* Data, std::size_t Size);
