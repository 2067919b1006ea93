#pragma once
// What the owner-drawn button and track bar share: their options, the bitmap list they
// take wallpapers from, and the drawing routines (gradient bands, wallpaper, the parent's
// background, shadowed text). Windows only.
#include <functional>
#include <memory>
#include <vector>

#include "classlib/core/collection.h"
#include "classlib/windows/controls.h"
#include "classlib/windows/pictures.h"

// Of these options only ocPaintWallpaper, ocTileWallpaper, ocPaintGradiently, ocRoundedForm
// and ocPaintTransparently act in the button and the track bar.
HX_ENUM(TNeatOption, ocPaintWallpaper, ocPaintSelWallpaper, ocPaintCaptionWallpaper, ocTileWallpaper,
        ocInvertWallpaperAsSelect, ocPaintGradiently, ocBevelOnlyIfSel, ocNoHighlightImage, ocNoImageAttached,
        ocUseImageList, oc3dMDIForm, ocWallpaperForMDIChildren, ocGradientForMDIChildren, ocNoCaption,
        ocSmallCaption, ocNoMDIChildrensCaptions, ocDragUsingClientArea, ocNoDragUsingCaption, ocRoundedForm,
        ocFlatBorder, ocPaintTransparently);
using TNeatOptions = TSet<TNeatOption>;
HX_ENUM(TShadowPosition, spLeftTop, spLeftBottom, spRightBottom, spRightTop);
HX_ENUM(TGradientDirection, gdHorizontal, gdVertical);

class TBitmapItem : public TCollectionItem {
  HX_CLASS(TBitmapItem, TCollectionItem)
 public:
  explicit TBitmapItem(TCollection* Collection);
  ~TBitmapItem() override;
  TBitmap* GetBitmap() const { return FBitmap.get(); }
  void SetBitmap(TBitmap* Value);
  void Assign(TPersistent* Source) override;

 private:
  std::unique_ptr<TBitmap> FBitmap;
};

class TBitmaps : public TCollection {
  HX_CLASS(TBitmaps, TCollection)
 public:
  explicit TBitmaps(TPersistent* Owner) : TCollection(Owner, ClassOf<TBitmapItem>()) {}
  TBitmapItem* Items(int Index) const { return static_cast<TBitmapItem*>(GetItem(Index)); }

 protected:
  void Update(TCollectionItem* Item) override;
};

// A list of bitmaps the controls take as wallpaper; the controls that use it register a
// change link and repaint when the list changes.
class TNeatImages : public TComponent {
  HX_CLASS(TNeatImages, TComponent)
 public:
  explicit TNeatImages(TComponent* AOwner);
  ~TNeatImages() override;

  TBitmaps* GetBitmaps() const { return FBitmaps; }
  void SetBitmaps(TBitmaps* Value) { FBitmaps->Assign(Value); }
  // Bitmap Index, or nullptr when there is none.
  TBitmap* Bitmap(int Index) const;

  void RegisterChanges(void* Link, std::function<void()> OnChange);
  void UnRegisterChanges(void* Link);
  // Tells every link.
  void Changed();

 private:
  TBitmaps* FBitmaps;
  std::vector<std::pair<void*, std::function<void()>>> FLinks;
};

// The wallpaper a control may show: its own bitmap (made on first use) or an item of a
// bitmap list it follows, telling Changed of every change. The control passes its
// Notification on (Removed), so a list that goes is let go.
class TNeatWallpaperLink {
 public:
  TNeatWallpaperLink(TComponent* Control, std::function<void()> Changed);
  ~TNeatWallpaperLink();
  TNeatWallpaperLink(const TNeatWallpaperLink&) = delete;
  TNeatWallpaperLink& operator=(const TNeatWallpaperLink&) = delete;

  TBitmap* Own();
  bool OwnStored() const { return FOwn && !FOwn->Empty(); }
  TNeatImages* Images() const { return FImages; }
  void SetImages(TNeatImages* Value);
  int Id() const { return FId; }
  void SetId(int Value);
  void Removed(TComponent* AComponent);
  // What to draw (see NeatWallpaper), or nullptr.
  TBitmap* Current() const;

 private:
  TComponent* FControl;
  std::function<void()> FChanged;
  std::unique_ptr<TBitmap> FOwn;
  TNeatImages* FImages = nullptr;
  int FId = -1;
};

// Band i of N (0 <= i < N) of a gradient from A to B across Extent pixels: it starts at
// MulDiv(i, Extent, N) and takes A + MulDiv(i, B - A, N) in each of red, green and blue.
COLORREF NeatGradientBandColor(COLORREF A, COLORREF B, int Band, int Bands);
// The gradient from Start to End (any colours, system ones too) in exactly Bands bands
// inside R: horizontal bands run across the width, vertical ones across the height.
void NeatDrawGradient(TCanvas* Canvas, const TRect& R, TColor Start, TColor End, TGradientDirection Direction,
                      int Bands);
// Bitmap drawn into R from its top-left corner, tiled or once.
void NeatDrawWallpaper(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap, bool Tile);
// The wallpaper a control shows: item Id of Images when there is one, else Own; nullptr
// when both are empty.
TBitmap* NeatWallpaper(TNeatImages* Images, int Id, TBitmap* Own);
// What Control's parent shows under it, drawn into DC (whose origin is the control's
// top-left): the parent erases its background and paints its windowless controls at a
// moved origin. Clip (control coordinates) limits it.
void NeatDrawParentBackground(TControl* Control, HDC DC, const TRect* Clip = nullptr);
// Text drawn twice, its shadow first, the rectangles offset by Size as Position says.
void NeatDrawShadowText(HDC DC, const String& Text, const TRect& R, UINT Format, TColor TextColor,
                        TColor ShadowColor, int Size, TShadowPosition Position);
