#pragma once
// The kit's containers as its controls see them: a container tells every registered
// TKitChangeLink of its changes, and an image list (TKitCustomImageList) answers for its
// pictures by list index and image index. Only this interface is here; the containers that
// hold and stream pictures build on it. Windows only.
#include <vector>

#include "classlib/pictures.h"
#include "controls/kitbase.h"
#include "controls/kittypes.h"

class TKitBaseContainer;

// A client's ear on a container: OnChange hears every change (the container as sender).
// Destroying a link unregisters it.
class TKitChangeLink : public TObject {
  HX_CLASS(TKitChangeLink, TObject)
 public:
  TKitChangeLink() = default;
  ~TKitChangeLink() override;
  TKitChangeLink(const TKitChangeLink&) = delete;
  TKitChangeLink& operator=(const TKitChangeLink&) = delete;

  // The container it is registered with; nullptr when none.
  TKitBaseContainer* Sender() const { return FSender; }
  TNotifyEvent OnChange;
  void Change();

 private:
  friend class TKitBaseContainer;
  TKitBaseContainer* FSender = nullptr;
};

class TKitBaseContainer : public TKitComponent {
  HX_CLASS(TKitBaseContainer, TKitComponent)
 public:
  explicit TKitBaseContainer(TComponent* AOwner) : TKitComponent(AOwner) {}
  ~TKitBaseContainer() override;  // unregisters every link

  // A link registered with another container moves here; registering twice is once.
  void RegisterChanges(TKitChangeLink* Link);
  void UnRegisterChanges(TKitChangeLink* Link);
  int LinkCount() const { return static_cast<int>(FLinks.size()); }

  // Tells every link, then OnChange.
  void Change() override;

 private:
  std::vector<TKitChangeLink*> FLinks;
};

// Pictures by list index (and, for strips of images, image index). Indexes out of range
// give 0, false, an empty rectangle or 0xFFFFFF and draw nothing.
class TKitCustomImageList : public TKitBaseContainer {
  HX_CLASS(TKitCustomImageList, TKitBaseContainer)
 public:
  explicit TKitCustomImageList(TComponent* AOwner) : TKitBaseContainer(AOwner) {}

  // The canvas of list item Index's picture; nullptr when out of range.
  virtual TCanvas* PictureCanvas(int Index) = 0;
  // Where image ImageIndex of item Index lies in its picture.
  virtual TRect PictureBounds(int Index, int ImageIndex) = 0;
  // Width (Which 0) or height (1) of item Index's images.
  virtual int ItemSize(int Index, int Which) = 0;
  virtual int ImageCount(int Index) = 0;
  virtual bool Exists(int Index, int ImageIndex) = 0;
  // Copies image ImageIndex of item Index into Bitmap; false when there is none.
  virtual bool CopyPicture(int Index, int ImageIndex, TBitmap* Bitmap) = 0;
  virtual bool IsMasked(int Index) = 0;
  virtual bool IsTransparent(int Index) = 0;
  virtual TColor TransparentColor(int Index, int ImageIndex) = 0;
  virtual TColor PixelColor(int Index, int ImageIndex, int X, int Y) = 0;
  virtual void DrawAt(int Index, int ImageIndex, TCanvas* Canvas, int X, int Y) = 0;
  // Into Rect by the draw flags (kdf…), transparent by the image's transparent colour.
  virtual void DrawInRect(int Index, int ImageIndex, TCanvas* Canvas, const TRect& Rect, TKitDrawFlags Flags) = 0;
};
