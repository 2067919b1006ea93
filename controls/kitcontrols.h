#pragma once
// The bases of the kit's visual controls. Windowed ones descend from TKitCustomControl,
// windowless ones from TKitBaseControl. Both link to an image list and tell when the mouse
// enters and leaves; the windowed base adds transparency: a transparent control paints,
// under its content, the part of its background provider's picture that lies under it. The
// provider is the parent when that is a kit control (itself transparent, it passes its own
// provider's picture on, shifted by its place), else the form's shape component
// (FindFormShape). The windowless TKitBaseGraphicControl is transparent by leaving its
// pixels to the parent (not csOpaque); TKitGraphicControl adds a bevel round the client
// area. Panels accept children; a bevel panel draws a bevel, or lets the window carry a
// standard border (bmWindows). Windows only.
#include "classlib/windows/controls.h"
#include "controls/kitbackground.h"
#include "controls/kitcontainers.h"
#include "controls/kitgraphics.h"

// The kit's own control messages.
inline constexpr UINT CM_KITGRAPHICTRANSPARENCY = CM_BASE + 205;  // a graphic control's Transparent changed
inline constexpr UINT CM_KITBACKGROUNDCHANGED = CM_BASE + 206;    // the provider's picture changed
inline constexpr UINT CM_KITFOCUSGAINED = CM_BASE + 207;          // posted after WM_SETFOCUS
inline constexpr UINT CM_KITFOCUSLOST = CM_BASE + 208;            // posted after WM_KILLFOCUS
inline constexpr UINT CM_KITBEVELCHANGED = CM_BASE + 209;

// The image-list link both bases carry: the list (its removal forgotten), the picture's
// indices in it (negative values ignored) and the change link registered with it. Changed
// runs when any of them changes or the list tells of a change.
class TKitImageLink {
 public:
  TKitImageLink(TComponent* Owner, std::function<void()> Changed);
  ~TKitImageLink();
  TKitImageLink(const TKitImageLink&) = delete;
  TKitImageLink& operator=(const TKitImageLink&) = delete;
  TKitCustomImageList* List() const { return FList; }
  void SetList(TKitCustomImageList* Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  int ListIndex() const { return FListIndex; }
  void SetListIndex(int Value);
  // The owner's Notification passes removals on.
  void Removed(TComponent* AComponent);

 private:
  TComponent* FOwner;
  std::function<void()> FChanged;
  TKitCustomImageList* FList = nullptr;
  int FImageIndex = 0;
  int FListIndex = 0;
  TKitChangeLink FLink;
};

class TKitCustomControl : public TCustomControl, public TKitBackgroundProvider {
  HX_CLASS(TKitCustomControl, TCustomControl)
 public:
  explicit TKitCustomControl(TComponent* AOwner);  // 100 × 40, no tab stop

  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  TKitCustomImageList* GetImageList() const { return FImages.List(); }
  void SetImageList(TKitCustomImageList* Value) { FImages.SetList(Value); }
  int GetImageIndex() const { return FImages.ImageIndex(); }
  void SetImageIndex(int Value) { FImages.SetImageIndex(Value); }  // negative values are ignored
  int GetListIndex() const { return FImages.ListIndex(); }
  void SetListIndex(int Value) { FImages.SetListIndex(Value); }  // negative values are ignored

  // Fired once the focus change is complete (posted after WM_SETFOCUS / WM_KILLFOCUS).
  TNotifyEvent OnFocusGained;
  TNotifyEvent OnFocusLost;
  // With OnMouseEnter (TControl's): the mouse left the control.
  TNotifyEvent OnMouseExit;
  bool MouseInside() const { return FMouseInside; }

  // Transparent in effect: Transparent set, the parent showing and a background under it.
  virtual bool IsTransparent();
  // The provider's picture under this control, and where this control's client area starts
  // in it; false when there is none.
  bool FindBackground(TBitmap*& Bitmap, TPoint& ClientOrigin);
  // Copies the background under the control onto Canvas (its client area); false when
  // there is none.
  virtual bool CopyBackgroundPart(TCanvas* Canvas);

  // As a provider to children: no picture of its own at this level.
  bool HasBackground() override { return false; }
  TBitmap* GetBackgroundBitmap() override { return nullptr; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void Paint() override;
  void MouseEnter() override;
  void MouseLeave() override;
  // A flat frame is drawn raised while the mouse is on it; OnMouseExit tells of its leaving.
  bool WantsMouseLeave() const override { return FFlatFrame || OnMouseExit || TCustomControl::WantsMouseLeave(); }
  // Fills the client area with the background (transparent) or Color.
  virtual void EraseBackground(TCanvas* Canvas);
  virtual void ImageListChanged();
  // The flat frame (drawn on the window DC over the non-client border).
  virtual void PaintNormalFrame();
  virtual void PaintHotFrame();
  bool FRepaintOnImageChange = true;
  bool FFocused = false;
  bool FFlatFrame = false;

 private:
  bool FTransparent = false;
  TKitImageLink FImages;
  bool FMouseInside = false;
};

using TKitBoundsChangedEvent = std::function<void(TObject* Sender, bool SizeChanged)>;

class TKitBaseControl : public TGraphicControl {
  HX_CLASS(TKitBaseControl, TGraphicControl)
 public:
  explicit TKitBaseControl(TComponent* AOwner);

  TKitCustomImageList* GetImageList() const { return FImages.List(); }
  void SetImageList(TKitCustomImageList* Value) { FImages.SetList(Value); }
  int GetImageIndex() const { return FImages.ImageIndex(); }
  void SetImageIndex(int Value) { FImages.SetImageIndex(Value); }
  int GetListIndex() const { return FImages.ListIndex(); }
  void SetListIndex(int Value) { FImages.SetListIndex(Value); }

  TNotifyEvent OnMouseExit;
  // After SetBounds changed the position or size (not while loading).
  TKitBoundsChangedEvent OnBoundsChanged;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  virtual bool IsTransparent() { return false; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  // Changes: 2 the position changed, 1 the size (combined).
  virtual void BoundsChanged(int Changes);
  void InvalidateUnlessLoading();
  virtual void ImageListChanged() { InvalidateUnlessLoading(); }
  void MouseLeave() override;
  bool WantsMouseLeave() const override { return OnMouseExit || TGraphicControl::WantsMouseLeave(); }
  bool Loading() const { return ComponentState().Contains(csLoading); }

 private:
  TKitImageLink FImages;
};

class TKitBaseGraphicControl : public TKitBaseControl {
  HX_CLASS(TKitBaseGraphicControl, TKitBaseControl)
 public:
  explicit TKitBaseGraphicControl(TComponent* AOwner);  // 30 × 30, transparent
  bool GetTransparent() const { return FTransparent; }
  // Maps onto csOpaque: an opaque control paints every pixel it covers.
  void SetTransparent(bool Value);
  bool IsTransparent() override { return FTransparent; }

 protected:
  void Dispatch(TMessage& Message) override;

 private:
  bool FTransparent = true;
};

class TKitGraphicControl : public TKitBaseGraphicControl {
  HX_CLASS(TKitGraphicControl, TKitBaseGraphicControl)
 public:
  explicit TKitGraphicControl(TComponent* AOwner);
  ~TKitGraphicControl() override;
  TKitBevel* GetBevel() const { return FBevel; }
  void SetBevel(TKitBevel* Value) { FBevel->Assign(Value); }
  // What the bevel takes on each side; content is inset by it.
  int BevelWidth() const { return FBevel->BevelExtend(); }

 protected:
  void Paint() override;
  virtual void BevelChanged(TObject*) { Invalidate(); }
  TKitBevel* FBevel;
};

class TKitCustomPanel : public TKitCustomControl {
  HX_CLASS(TKitCustomPanel, TKitCustomControl)
 public:
  explicit TKitCustomPanel(TComponent* AOwner);
};

class TKitCustomBevelPanel : public TKitCustomPanel {
  HX_CLASS(TKitCustomBevelPanel, TKitCustomPanel)
 public:
  explicit TKitCustomBevelPanel(TComponent* AOwner);
  ~TKitCustomBevelPanel() override;
  TKitBevel* GetBevel() const { return FBevel; }
  void SetBevel(TKitBevel* Value) { FBevel->Assign(Value); }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Paint() override;
  void PaintNormalFrame() override;
  void PaintHotFrame() override;
  void Dispatch(TMessage& Message) override;
  bool WindowsBorder() const { return FBevel->GetMode() == TKitBevelMode::bmWindows; }

 private:
  void BevelChanged(TObject* Sender);
  TKitBevel* FBevel;
  TKitBevelMode FWindowMode = TKitBevelMode::bmCustom;  // the mode the window was made for
};

class TKitCustomStatusBar : public TKitCustomBevelPanel {
  HX_CLASS(TKitCustomStatusBar, TKitCustomBevelPanel)
 public:
  using TKitCustomBevelPanel::TKitCustomBevelPanel;
  // What a label on the bar adds to its measured size.
  virtual int StatusOffset() { return 0; }
};
