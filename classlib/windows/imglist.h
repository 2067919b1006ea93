#pragma once
// The image list: images of one size kept side by side in a strip, each with a mask of
// its transparent pixels, drawn normally or greyed (embossed) for a disabled look. Our own
// GDI drawing, no system image list. Windows only.
//
// The images stream as the binary property "Bitmap", in our own layout: the image count
// (4 bytes), the byte count of the strip's bitmap file (4 bytes) and that file (32 bits per
// pixel, Count * Width wide), then, for a masked list, the byte count and the bitmap file of
// the mask strip (1 bit per pixel: white where the image is transparent).
#include <memory>

#include "classlib/core/component.h"
#include "classlib/windows/pictures.h"

class TCustomImageList : public TComponent {
  HX_CLASS(TCustomImageList, TComponent)
 public:
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  // The size of every image; changing it removes the images.
  int GetWidth() const { return FWidth; }
  void SetWidth(int Value);
  int GetHeight() const { return FHeight; }
  void SetHeight(int Value);
  // Masked images have transparent pixels; unmasked ones are drawn whole.
  bool GetMasked() const { return FMasked; }
  void SetMasked(bool Value);
  int Count() const { return FCount; }

  // Adds the images of a strip (as many as fit its width; one narrower than Width is
  // stretched to one image) with their mask (white: transparent; nullptr: none). Returns
  // the index of the first.
  int Add(TBitmap* Image, TBitmap* Mask);
  // The same, every pixel of MaskColor transparent; clDefault takes the strip's bottom-left
  // pixel's colour.
  int AddMasked(TBitmap* Image, TColor MaskColor);
  // Puts one image (the strip's first, stretched to the size when narrower) in slot Index,
  // the other images keeping their places; EListError when out of range.
  void Replace(int Index, TBitmap* Image, TBitmap* Mask);
  void ReplaceMasked(int Index, TBitmap* Image, TColor MaskColor);
  void Delete(int Index);  // EListError when out of range
  void Clear();

  // Image Index drawn at X, Y with its transparent pixels left alone; disabled: embossed
  // in the system's highlight and shadow colours.
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
  // The image's pixels (Width x Height, 32 bits).
  void GetBitmap(int Index, TBitmap* Image);
  // The image as an icon, transparent where it is.
  void GetIcon(int Index, TIcon* Image);

  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChange;

 protected:
  void DefineProperties(TFiler* Filer) override;
  virtual void Change();

 private:
  void CheckIndex(int Index) const;
  void Resize(int Count);  // the strips hold Count images
  // Count images from Image's first SourceWidth pixels (stretched) into the slots from First.
  void CopyImages(int First, int Count, TBitmap* Image, TBitmap* Mask, int SourceWidth);
  static void MaskOf(TBitmap* Image, TColor MaskColor, TBitmap* Mask);
  HBITMAP MonoMask();      // the mask strip as a monochrome bitmap, made on demand
  void FreeMonoMask();
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

  int FWidth = 16;
  int FHeight = 16;
  bool FMasked = true;
  int FCount = 0;
  std::unique_ptr<TBitmap> FImages;  // the strip, 32 bits per pixel
  std::unique_ptr<TBitmap> FMask;    // white where transparent, black elsewhere
  HBITMAP FMonoMask = nullptr;
};

class TImageList : public TCustomImageList {
  HX_CLASS(TImageList, TCustomImageList)
 public:
  using TCustomImageList::TCustomImageList;
};
