#pragma once
// TNeatBtn, a push button that draws itself (plain face, gradient, wallpaper or the
// parent's background, rounded or rectangular, a caption with a drop shadow, a glyph that
// an image list can animate, a flat mode), and TNeatTrackBar, a track bar drawn from
// bitmaps (a sunken bar, tick marks and a thumb that follows the mouse and the keys).
// Windows only.
#include <memory>

#include "classlib/windows/buttons.h"
#include "classlib/windows/extctrls.h"
#include "classlib/windows/imglist.h"
#include "classlib/core/timers.h"
#include "desktop/neatdraw.h"

HX_ENUM(TBtnPaintOption, bpoDrawFocus, bpoDrawDefault);
using TBtnPaintOptions = TSet<TBtnPaintOption>;
// Sender, the canvas of the face being drawn (off screen), its rectangle and whether the
// button is pressed: called once the face is drawn, before it is shown.
using TDrawButtonEvent = std::function<void(TObject* Sender, TCanvas* Canvas, TRect Rect, bool Pressed)>;

class TNeatBtn : public TButton {
  HX_CLASS(TNeatBtn, TButton)
 public:
  explicit TNeatBtn(TComponent* AOwner);
  ~TNeatBtn() override;

  bool GetAnimated() const { return FAnimated; }
  void SetAnimated(bool Value);
  unsigned GetInterval() const { return FInterval; }
  void SetInterval(unsigned Value);
  TCustomImageList* GetImages() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  TBitmap* GetGlyph() const { return FGlyph->Glyph(); }
  void SetGlyph(TBitmap* Value);
  // The glyph's images side by side (normal, disabled): 1 or 2.
  int GetNumGlyphs() const { return FGlyph->NumGlyphs(); }
  void SetNumGlyphs(int Value);
  TButtonLayout GetLayout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  int GetMargin() const { return FMargin; }
  void SetMargin(int Value);  // below -1 ignored
  int GetSpacing() const { return FSpacing; }
  void SetSpacing(int Value);
  TBitmap* GetWallpaper() { return FWallpaper.Own(); }  // made on first use
  void SetWallpaper(TBitmap* Value) { FWallpaper.Own()->Assign(Value); }
  bool IsWallpaperStored() const { return FWallpaper.OwnStored(); }
  TNeatImages* GetNeatImages() const { return FWallpaper.Images(); }
  void SetNeatImages(TNeatImages* Value) { FWallpaper.SetImages(Value); }
  int GetIdWallpaper() const { return FWallpaper.Id(); }
  void SetIdWallpaper(int Value) { FWallpaper.SetId(Value); }
  TNeatOptions GetOptions() const { return FOptions; }
  void SetOptions(TNeatOptions Value);
  TColor GetShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor Value);
  int GetShadowSize() const { return FShadowSize; }
  void SetShadowSize(int Value);
  TShadowPosition GetShadowPos() const { return FShadowPos; }
  void SetShadowPos(TShadowPosition Value);
  // A plain caption; setting any shadow property turns it off.
  bool GetSimpleView() const { return FSimpleView; }
  void SetSimpleView(bool Value);
  TColor GetColorStart() const { return FColorStart; }
  void SetColorStart(TColor Value);
  TColor GetColorEnd() const { return FColorEnd; }
  void SetColorEnd(TColor Value);
  TGradientDirection GetGradientDirection() const { return FGradientDirection; }
  void SetGradientDirection(TGradientDirection Value);
  // The frame shows only while the mouse is over the button.
  bool GetFlat() const { return FFlat; }
  void SetFlat(bool Value);
  TBtnPaintOptions GetBtnPaintOptions() const { return FBtnPaintOptions; }
  void SetBtnPaintOptions(TBtnPaintOptions Value);

  // Where the glyph and the caption stand on a face of Client's size.
  void GlyphAndTextPlaces(TPoint Client, TPoint& GlyphPos, TRect& TextBounds);
  // Draws the face into Canvas (Width x Height) as the screen shows it.
  void PaintFace(TCanvas* Canvas, bool Pressed, bool Focused);
  bool MouseInside() const { return FMouseInside; }

  TDrawButtonEvent OnDrawButton;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void MouseEnter() override;
  void MouseLeave() override;
  bool WantsMouseLeave() const override { return true; }  // its look follows the mouse
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TPoint GlyphSize();
  void DrawGlyphAndCaption(TCanvas* Canvas, const TRect& Client, bool Pressed);
  void DrawCaption(HDC DC, const TRect& R);
  void AnimationTick();
  void UpdateTimer();
  bool Animating() const { return FImages && FAnimated && FInterval > 0; }

  std::unique_ptr<classlib::detail::TButtonGlyph> FGlyph;
  TTimer* FTimer;
  bool FAnimated = false;
  unsigned FInterval = 1000;
  TCustomImageList* FImages = nullptr;
  int FFrame = 0;
  TRect FGlyphRect;  // where the glyph was last drawn
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
  TNeatWallpaperLink FWallpaper{this, [this] { Invalidate(); }};
  TNeatOptions FOptions;
  TColor FShadowColor = clBtnHighlight;
  int FShadowSize = 1;
  TShadowPosition FShadowPos = spLeftTop;
  bool FSimpleView = false;
  TColor FColorStart = clBtnFace;
  TColor FColorEnd = clBtnShadow;
  TGradientDirection FGradientDirection = gdHorizontal;
  bool FFlat = false;
  TBtnPaintOptions FBtnPaintOptions{bpoDrawFocus, bpoDrawDefault};
  bool FDefaultState = false;  // drawn as the form's active button
  bool FMouseInside = false;
};

HX_ENUM(TTrackOrientation, toHorizontal, toVertical);
HX_ENUM(TTickMark, tmBottomRight, tmTopLeft, tmBoth);
HX_ENUM(TPaintOption, poDrawFocusRect, poDrawTrackBar, poDrawTicks, poDrawThumb, poDrawThumbStates);
using TPaintOptions = TSet<TPaintOption>;

// The track bar's geometry along its axis of Extent pixels, with 10 pixels kept at each
// end: pixels per value ((Extent - 20) / (Max - Min); 0 when Min = Max or Extent <= 20),
// and where a value stands (ticks and the thumb's centre alike).
inline constexpr int kNeatTrackMargin = 10;
double NeatTrackScale(int Extent, int Min, int Max);
int NeatTrackOffset(int Value, int Extent, int Min, int Max);

class TNeatTrackBar : public TCustomControl {
  HX_CLASS(TNeatTrackBar, TCustomControl)
 public:
  explicit TNeatTrackBar(TComponent* AOwner);
  ~TNeatTrackBar() override;

  // Setting it swaps width and height (not while the form is read).
  TTrackOrientation GetOrientation() const { return FOrientation; }
  void SetOrientation(TTrackOrientation Value);
  int GetMinValue() const { return FMinValue; }
  void SetMinValue(int Value);  // at most MaxValue
  int GetMaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value);  // at least MinValue
  // Kept within MinValue..MaxValue; OnChange on a change.
  int GetPosition() const { return FPosition; }
  void SetPosition(int Value);
  int GetPageSize() const { return FPageSize; }
  void SetPageSize(int Value);
  int GetBarSize() const { return FBarSize; }
  void SetBarSize(int Value);
  TColor GetBarColor() const { return FBarColor; }
  void SetBarColor(TColor Value);
  TTickMark GetTickMarks() const { return FTickMarks; }
  void SetTickMarks(TTickMark Value);
  // Empty thumbs take the bitmaps "THUMB_HORZ", "THUMB_VERT" and, selected (dragged or
  // disabled), "THUMB_HORZ_INVERT", "THUMB_VERT_INVERT".
  TBitmap* GetThumbHorz();
  void SetThumbHorz(TBitmap* Value);
  TBitmap* GetThumbVert();
  void SetThumbVert(TBitmap* Value);
  TBitmap* GetThumbHorzSelected();
  void SetThumbHorzSelected(TBitmap* Value);
  TBitmap* GetThumbVertSelected();
  void SetThumbVertSelected(TBitmap* Value);
  bool IsThumbHorzStored() const;
  bool IsThumbVertStored() const;
  bool IsThumbHorzSelectedStored() const;
  bool IsThumbVertSelectedStored() const;
  bool GetTransparentThumb() const { return FTransparentThumb; }
  void SetTransparentThumb(bool Value);
  TBevelCut GetBevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut GetBevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  TNeatOptions GetOptions() const { return FOptions; }
  void SetOptions(TNeatOptions Value);
  TPaintOptions GetPaintOptions() const { return FPaintOptions; }
  void SetPaintOptions(TPaintOptions Value);
  TBitmap* GetWallpaper() { return FWallpaper.Own(); }
  void SetWallpaper(TBitmap* Value) { FWallpaper.Own()->Assign(Value); }
  bool IsWallpaperStored() const { return FWallpaper.OwnStored(); }
  TNeatImages* GetNeatImages() const { return FWallpaper.Images(); }
  void SetNeatImages(TNeatImages* Value) { FWallpaper.SetImages(Value); }
  int GetIdWallpaper() const { return FWallpaper.Id(); }
  void SetIdWallpaper(int Value) { FWallpaper.SetId(Value); }

  // Where the thumb stands now, in client coordinates.
  TRect ThumbRect();
  bool Dragging() const { return FDragging; }

  TNotifyEvent OnChange;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  bool Reading() const;
  bool IsThumbStored(int Which) const;
  int Extent() const { return FOrientation == toHorizontal ? GetWidth() : GetHeight(); }
  // Chooses the thumb's bitmap for the state and orientation.
  void LoadThumb();
  TBitmap* Thumb(int Which);
  void DrawTo(TCanvas* Canvas);
  void Changed();

  TTrackOrientation FOrientation = toHorizontal;
  int FMinValue = 0;
  int FMaxValue = 10;
  int FPosition = 0;
  int FPageSize = 1;
  int FBarSize = 10;
  TColor FBarColor = clWindow;
  TTickMark FTickMarks = tmBottomRight;
  std::unique_ptr<TBitmap> FThumbs[4];  // horizontal, vertical, and their selected ones
  std::unique_ptr<TBitmap> FDefaultThumbs[4];
  TBitmap* FThumb = nullptr;  // the one drawn now
  bool FTransparentThumb = true;
  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvNone;
  TNeatOptions FOptions;
  TPaintOptions FPaintOptions{poDrawFocusRect, poDrawTrackBar, poDrawTicks, poDrawThumb, poDrawThumbStates};
  TNeatWallpaperLink FWallpaper{this, [this] { Invalidate(); }};
  bool FDragging = false;
};
