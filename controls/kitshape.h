#pragma once
// Shaped forms. TKitRegion is a named shape (17 of them: rectangles, ellipses, shields,
// polygons, noses, think bubbles, a stored bitmap region or a user region) that builds a
// window region in a rectangle, with a drop shadow (TKitShadow) and an outline painted in
// the colours of TKitRegionBorder; TKitBorderRegion publishes the border too.
// TKitFormShape, one per form, hooks its owner form's window: it gives the window the
// region of its shape (again at every size change, after minimising and after the window
// is made anew), paints the form's background (a fill object, an image-list picture or the
// mask's picture) with the shadow and outline, and lets the form be dragged by its empty
// client area. It is the background provider of the transparent kit controls on its form.
// Windows only.
#include <cstdint>
#include <vector>

#include "controls/kitbackground.h"
#include "controls/kitcontainers.h"
#include "controls/kitgraphics.h"
#include "controls/kitregionmask.h"
#include "controls/kitwndproc.h"

class TKitRegionBorder : public TKitObject {
  HX_CLASS(TKitRegionBorder, TKitObject)
 public:
  TKitRegionBorder() = default;
  TKitRegionBorderStyle GetStyle() const { return FStyle; }
  void SetStyle(TKitRegionBorderStyle Value);
  TColor GetLightColor() const { return FLightColor; }
  void SetLightColor(TColor Value);
  TColor GetShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor Value);
  TColor GetSingleColor() const { return FSingleColor; }
  void SetSingleColor(TColor Value);
  void Assign(TPersistent* Source) override;

 private:
  TKitRegionBorderStyle FStyle = TKitRegionBorderStyle::rbSingle;
  TColor FLightColor = clBtnHighlight;
  TColor FShadowColor = clBtnShadow;
  TColor FSingleColor = clBlack;
};

class TKitRegion : public TKitObject {
  HX_CLASS(TKitRegion, TKitObject)
 public:
  // Owner: the component whose destruction stops rebuilding (may be nullptr).
  explicit TKitRegion(TComponent* Owner = nullptr);
  ~TKitRegion() override;

  TKitRegionShape GetShape() const { return FShape; }
  void SetShape(TKitRegionShape Value);
  TKitRegionBorder* GetBorder() const { return FBorder; }
  void SetBorder(TKitRegionBorder* Value) { FBorder->Assign(Value); }
  TKitRegionMask* GetMask() const { return FMask; }
  void SetMask(TKitRegionMask* Value) { FMask->Assign(Value); }
  TKitShadow* GetShadow() const { return FShadow; }
  void SetShadow(TKitShadow* Value) { FShadow->Assign(Value); }
  // Corner ellipse of the round shapes; notify only while a round shape is chosen.
  int GetRoundX() const { return FRoundX; }
  void SetRoundX(int Value);
  int GetRoundY() const { return FRoundY; }
  void SetRoundY(int Value);
  TKitExtPos GetExtPos() const { return FExtPos; }
  void SetExtPos(TKitExtPos Value);
  // Added to the rectangle's left and top before every build and paint.
  TPoint Offset;
  // Leaves the shadow out of PaintBorder.
  bool SuppressShadow = false;
  // Number of growing bubbles of the think-bubble shapes.
  int BubbleCount = 4;

  // The user region of rsUserRegion: the data of Region (nullptr: none), or a block of
  // RGNDATA bytes.
  void SetUserRegion(HRGN Region);
  void SetUserRegionData(const void* Data, int Size);

  // Builds the region of the shape in Rect (moved by Offset; less the shadow depth at the
  // right and bottom when there is a shadow). The region stays the object's (deleted at
  // the next build and with the object); nullptr when the shape has none (rsBitmap or
  // rsUserRegion without valid data) or the owner is being destroyed.
  HRGN CreateRegion(const TRect& Rect);
  HRGN Handle() const { return FHandle; }
  // The shape's region in Rect as it is (no offset, no shadow), owned by the caller;
  // nullptr when the shape has none.
  HRGN CreateShapeRegion(const TRect& Rect);
  // Paints the shadow (unless suppressed) and the outline of the shape built in Rect, as
  // CreateRegion builds it, on Canvas.
  void PaintBorder(TCanvas* Canvas, const TRect& Rect);

  void Assign(TPersistent* Source) override;

 private:
  void SubChanged();
  TKitRegionShape FShape = TKitRegionShape::rsRoundRect;
  TKitRegionBorder* FBorder;
  TKitRegionMask* FMask;
  TKitShadow* FShadow;
  std::vector<std::uint8_t> FUserRegion;
  int FRoundX = 20;
  int FRoundY = 20;
  HRGN FHandle = nullptr;
  TComponent* FOwner;
  TKitExtPos FExtPos = TKitExtPos::epLeftTop;
};

// A region that publishes its Border.
class TKitBorderRegion : public TKitRegion {
  HX_CLASS(TKitBorderRegion, TKitRegion)
 public:
  using TKitRegion::TKitRegion;
};

class TKitFormShape : public TKitWndProcComponent, public TKitBackgroundProvider {
  HX_CLASS(TKitFormShape, TKitWndProcComponent)
 public:
  explicit TKitFormShape(TComponent* AOwner);
  ~TKitFormShape() override;

  TKitBorderRegion* GetRegion() const { return FRegion; }
  void SetRegion(TKitBorderRegion* Value) { FRegion->Assign(Value); }
  // Keep the form's caption bar above the shape (forms with a border).
  bool GetShowFormCaption() const { return FShowFormCaption; }
  void SetShowFormCaption(bool Value);
  // Dragging by the empty client area moves the form.
  bool FormDragable = true;
  // With rsBitmap, paint the mask's picture as the background.
  bool GetUseRgnBitmap() const { return FUseRgnBitmap; }
  void SetUseRgnBitmap(bool Value);
  TKitFillObject* GetFillObject() const { return FFillObject; }
  void SetFillObject(TKitFillObject* Value) { FFillObject->Assign(Value); }
  // The picture source of fill style sfBitmapList: image ImageIndex of item ListIndex.
  TKitCustomImageList* GetImageList() const { return FImageList; }
  void SetImageList(TKitCustomImageList* Value);
  int ListIndex = 0;
  int ImageIndex = 0;

  // Gives the form's window the region of the shape now (nothing while loading).
  void ApplyFormRegion();
  // The rectangle the shape was last built in (client coordinates).
  TRect ShapeRect() const { return FShapeRect; }
  // Paints the background, shadow and outline on Canvas (the form's client area).
  void PaintBackground(TCanvas* Canvas);

  // The background provider of the form's transparent kit controls.
  bool HasBackground() override;
  TBitmap* GetBackgroundBitmap() override;

 protected:
  void WndProc(TKitMessage& Message) override;
  void InitHook() override;
  void RestoreHook() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void ShapeChanged();
  bool FillCache();

  TKitBorderRegion* FRegion;
  TKitFillObject* FFillObject;
  TKitCustomImageList* FImageList = nullptr;
  TKitChangeLink FImageLink;
  TBitmap* FCache;
  bool FCacheValid = false;
  TRect FShapeRect;
  int FCaptionHeight = 0;
  bool FShowFormCaption = true;
  bool FUseRgnBitmap = true;
  bool FBusy = false;
  bool FRightButton = false;
};

// The shape component of a form: the last TKitFormShape among its components, or nullptr.
TKitFormShape* FindFormShape(TComponent* Form);
