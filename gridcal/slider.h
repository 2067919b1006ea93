#pragma once
// TGxSlider: a track bar drawn from four bitmaps, a thumb and a ruler for each orientation
// ("W95_HTB", "W95_HRL", "W95_VTB", "W95_VRL", drawn at build time, or the user's own). The
// ruler is stretched to the control's length by repeating its middle; tick marks may stand
// beside it. The thumb moves by dragging, by holding the button on the ruler (a step at
// once, then one every 400 ms on the class library's timer) and by the keys. Windows only;
// the arithmetic is gridcal/slidergeometry.h.
#include <cstdint>
#include <memory>

#include "classlib/windows/controls.h"
#include "classlib/windows/extctrls.h"
#include "classlib/windows/pictures.h"
#include "classlib/core/timers.h"

HX_ENUM(TSliderOrientation, soHorizontal, soVertical);
HX_ENUM(TSliderOption, soShowFocus, soShowPoints, soSmooth, soRulerOpaque, soThumbOpaque);
using TSliderOptions = TSet<TSliderOption>;

// The message of an Increment outside 1 .. MaxValue - MinValue.
inline constexpr char kSliderIncrementText[] = "Значение должно быть между %d и %d";

class TGxCustomSlider : public TCustomControl {
  HX_CLASS(TGxCustomSlider, TCustomControl)
 public:
  // Images by index.
  static constexpr int kHThumb = 0, kHRuler = 1, kVThumb = 2, kVRuler = 3;

  explicit TGxCustomSlider(TComponent* AOwner);
  ~TGxCustomSlider() override;

  TBevelCut GetBevelStyle() const { return FBevelStyle; }
  void SetBevelStyle(TBevelCut Value);
  // The picture of Index; a nil one takes the built-in picture back.
  TBitmap* GetImage(int Index) const { return FImages[Index].get(); }
  void SetImage(int Index, TBitmap* Value);
  TBitmap* GetImageHThumb() const { return GetImage(kHThumb); }
  void SetImageHThumb(TBitmap* Value) { SetImage(kHThumb, Value); }
  TBitmap* GetImageHRuler() const { return GetImage(kHRuler); }
  void SetImageHRuler(TBitmap* Value) { SetImage(kHRuler, Value); }
  TBitmap* GetImageVThumb() const { return GetImage(kVThumb); }
  void SetImageVThumb(TBitmap* Value) { SetImage(kVThumb, Value); }
  TBitmap* GetImageVRuler() const { return GetImage(kVRuler); }
  void SetImageVRuler(TBitmap* Value) { SetImage(kVRuler, Value); }
  // The images the user gave, bit i for image i.
  std::uint8_t UserImages() const { return FUserImages; }
  template <int Index>
  bool IsUserImage() const {
    return (FUserImages >> Index) & 1;
  }

  // The step of the keys, of ruler clicks and, without soSmooth, of dragging: 1 ..
  // MaxValue - MinValue, else EInvalidOperation (kSliderIncrementText).
  int GetIncrement() const { return FIncrement; }
  void SetIncrement(int Value);
  // A range of max <= min is ignored (but while a form is read).
  int GetMinValue() const { return FMinValue; }
  void SetMinValue(int Value) { SetRange(Value, FMaxValue); }
  int GetMaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value) { SetRange(FMinValue, Value); }
  void SetRange(int Min, int Max);
  // 2: the thumb picture holds the normal thumb on its left half, the pressed or disabled
  // one on its right.
  int GetNumThumbStates() const { return FNumThumbStates; }
  void SetNumThumbStates(int Value);  // kept within 1..2
  TSliderOrientation GetOrientation() const { return FOrientation; }
  // Swaps the control's width and height (but while a form is read).
  void SetOrientation(TSliderOrientation Value);
  // Pixels at each end of the ruler picture never repeated: 0 .. less than half of it.
  int GetEdgeSize() const { return FEdgeSize; }
  void SetEdgeSize(int Value);
  TSliderOptions GetOptions() const { return FOptions; }
  void SetOptions(TSliderOptions Value);
  // Kept within MinValue .. MaxValue; OnChange when it changes.
  int GetValue() const { return FValue; }
  void SetValue(int Value);

  // The laid-out elements (client coordinates).
  TRect ThumbRect() const { return FThumbRect; }
  TRect RulerRect() const { return FRulerRect; }
  TRect PointsRect() const { return FPointsRect; }
  // The stretched ruler.
  TBitmap* Ruler() const { return FRuler.get(); }
  // The thumb's travel: the ruler's length less the thumb's.
  int ActiveLength() const;
  // Where the thumb's lead edge stands for a value, and the value at a thumb position.
  int PositionOfValue(int Value) const;
  int ValueOfPosition(int Position) const;
  // Whether a held button repeats its steps now.
  bool Repeating() const { return FRepeating; }
  bool Sliding() const { return FSliding; }
  // Where the tick marks are drawn: the picture being painted (OnDrawPoints draws there),
  // else the control's canvas.
  TCanvas* DrawingCanvas() const { return FPaintCanvas ? FPaintCanvas : Canvas(); }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanged;    // the user finished a change
  TNotifyEvent OnDrawPoints;  // draws the tick marks instead

 protected:
  virtual bool CanModify() { return true; }
  virtual TRect GetSliderRect();
  virtual int GetSliderValue() { return FValue; }
  virtual void AdjustElements();
  virtual void RangeChanged() {}
  virtual void ThumbMouseDown(int X, int Y);
  virtual void ThumbMouseMove(int X, int Y);
  virtual void ThumbMouseUp();
  virtual void DefaultDrawPoints(int Step, int PointsHeight, int ExtremePointsHeight);
  virtual void Change();
  virtual void Changed();

  void Paint() override;
  void Loaded() override;
  void Resize() override;
  void DefineProperties(TFiler* Filer) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DoEnter() override;
  void DoExit() override;

  bool FReadOnly = false;  // every user change is refused while set

 private:
  bool Horizontal() const { return FOrientation == soHorizontal; }
  int ThumbLength() const;     // along the slider
  int ThumbThickness() const;  // across it
  int Lead() const;            // the first position of the ruler and the thumb
  TRect StretchRuler();        // the slider rectangle, with the ruler made
  void ImageChanged();
  void LoadBuiltInImage(int Index);
  void PlaceThumb(int Position);
  void MoveThumb(int Position);
  void Step(bool Up);
  void StepTo(int Value);
  void RepeatStep();
  void StopRepeat();
  bool Modifiable() { return CanModify() && !FReadOnly; }
  bool Loading() const { return ComponentState().Contains(csLoading) || ComponentState().Contains(csReading); }

  std::unique_ptr<TBitmap> FImages[4];
  std::uint8_t FUserImages = 0;
  std::unique_ptr<TBitmap> FRuler;
  TRect FThumbRect{};
  TRect FRulerRect{};
  TRect FPointsRect{};
  TBevelCut FBevelStyle = bvNone;
  int FIncrement = 10;
  int FMinValue = 0;
  int FMaxValue = 100;
  int FNumThumbStates = 2;
  TSliderOrientation FOrientation = soHorizontal;
  int FEdgeSize = 2;
  TSliderOptions FOptions{soShowFocus, soShowPoints, soSmooth};
  int FValue = 0;
  bool FSliding = false;
  bool FThumbDown = false;
  int FHit = 0;  // where in the thumb it was taken
  TTimer* FRepeatTimer = nullptr;
  bool FRepeating = false;
  TPoint FRepeatPoint{};
  bool FRepeatUp = false;
  bool FFocused = false;
  TCanvas* FPaintCanvas = nullptr;
  static constexpr int kBevelWidth = 1;
};

class TGxSlider : public TGxCustomSlider {
  HX_CLASS(TGxSlider, TGxCustomSlider)
 public:
  using TGxCustomSlider::TGxCustomSlider;
};
