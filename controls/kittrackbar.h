#pragma once
// TKitTrackBar, a windowed slider: a bordered track, tick marks on one side or both, and a
// thumb (built in, or a custom two-image bitmap: normal on the left, pressed or disabled on
// the right, clOlive transparent for the built-in one). The thumb is dragged; a press
// beside it pages toward the pointer, again every 300 ms (a pool item) while the button is
// held; keys and the mouse wheel step it. MinValue, MaxValue and Position read from a form
// are checked together once it is loaded. Windows only.
#include "controls/kitcontrols.h"
#include "controls/kittypes.h"

using TKitDrawTickEvent = std::function<void(TObject* Sender, TCanvas* Canvas, int Value, TPoint Point)>;

class TKitCustomTrackBar : public TKitCustomPanel {
  HX_CLASS(TKitCustomTrackBar, TKitCustomPanel)
 public:
  // 220 × 35, a tab stop; takes the 300 ms repeat item (EOutOfResources when none is free).
  explicit TKitCustomTrackBar(TComponent* AOwner);
  ~TKitCustomTrackBar() override;

  int GetPosition() const { return FPosition; }
  void SetPosition(int Value);  // clamped to MinValue..MaxValue
  int GetMaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value);  // only above MinValue
  int GetMinValue() const { return FMinValue; }
  void SetMinValue(int Value);  // only below MaxValue
  int GetLineSize() const { return FLineSize; }
  void SetLineSize(int Value) { FLineSize = Value; }
  int GetPageSize() const { return FPageSize; }
  void SetPageSize(int Value) { FPageSize = Value; }
  int GetMargin() const { return FMargin; }
  void SetMargin(int Value);  // at least 1
  TKitTrackOrientation GetOrientation() const { return FOrientation; }
  void SetOrientation(TKitTrackOrientation Value);
  TBitmap* GetThumb() const { return FThumb; }
  void SetThumb(TBitmap* Value);
  bool IsThumbStored() const { return FThumbStyle == TKitThumbStyle::tsCustom; }
  TKitThumbStyle GetThumbStyle() const { return FThumbStyle; }
  void SetThumbStyle(TKitThumbStyle Value);
  TColor GetThumbColor() const { return FThumbColor; }
  void SetThumbColor(TColor Value);
  TColor GetTickColor() const { return FTickColor; }
  void SetTickColor(TColor Value);
  int GetTickGap() const { return FTickGap; }
  void SetTickGap(int Value);  // at least -1
  int GetTickLength() const { return FTickLength; }
  void SetTickLength(int Value);
  TKitTickMarks GetTickMarks() const { return FTickMarks; }
  void SetTickMarks(TKitTickMarks Value);
  TKitTickStyle GetTickStyle() const { return FTickStyle; }
  void SetTickStyle(TKitTickStyle Value);
  TKitBorderStyle GetTrackBorderStyle() const { return FTrackBorderStyle; }
  void SetTrackBorderStyle(TKitBorderStyle Value);
  int GetTrackBorder() const { return FTrackBorder; }
  void SetTrackBorder(int Value);
  TColor GetTrackColor() const { return FTrackColor; }
  void SetTrackColor(TColor Value);
  int GetTrackWidth() const { return FTrackWidth; }
  void SetTrackWidth(int Value);  // at least 3
  TKitFillObject* GetTrackFillObject() const { return FTrackFill; }
  void SetTrackFillObject(TKitFillObject* Value) { FTrackFill->Assign(Value); }
  bool GetTrackTransparent() const { return FTrackTransparent; }
  void SetTrackTransparent(bool Value);
  TColor GetFocusColor() const { return FFocusColor; }
  void SetFocusColor(TColor Value);
  TKitTrackFocusStyle GetFocusStyle() const { return FFocusStyle; }
  void SetFocusStyle(TKitTrackFocusStyle Value);
  bool GetUseFocusColor() const { return FUseFocusColor; }
  void SetUseFocusColor(bool Value);

  TNotifyEvent OnChange;
  TKitDrawTickEvent OnDrawTick;

  // The layout of the next paint: the track, and a value's offset along it (from the left,
  // or from the bottom of a vertical bar).
  TRect TrackRect();
  int ValueOffset(int Value);
  int ThumbWidth() const { return FThumb->GetWidth() / 2; }
  int ThumbHeight() const { return FThumb->GetHeight(); }
  // The thumb's rectangle for the present position.
  TRect ThumbRect();
  bool Dragging() const { return FDragging; }

 protected:
  void Loaded() override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void ImageListChanged() override;

 private:
  bool Loading() const { return ComponentState().Contains(csLoading); }
  bool Vertical() const { return FOrientation == TKitTrackOrientation::toVertical; }
  void Changed() { if (!Loading()) Invalidate(); }
  void BuildThumb();
  void ThumbChanged();
  void DrawTicks(TCanvas* Canvas, const TRect& Track);
  void DrawThumb(TCanvas* Canvas);
  // A page toward the pointer; false once the thumb has reached it or it left the track.
  bool PageTowardPointer();
  void RepeatTick();
  void StopTracking();
  int PositionAt(int X, int Y);

  int FPosition = 0;
  int FMaxValue = 10;
  int FMinValue = 0;
  int FLineSize = 1;
  int FPageSize = 2;
  int FMargin = 1;
  TKitTrackOrientation FOrientation = TKitTrackOrientation::toHorizontal;
  TBitmap* FThumb;
  TKitThumbStyle FThumbStyle = TKitThumbStyle::tsStandard;
  TColor FThumbColor = clBtnFace;
  TColor FTickColor = clBlack;
  int FTickGap = -1;
  int FTickLength = 6;
  TKitTickMarks FTickMarks = TKitTickMarks::tmBottomRight;
  TKitTickStyle FTickStyle = TKitTickStyle::tsAuto;
  TKitBorderStyle FTrackBorderStyle = TKitBorderStyle::lsLoweredExt;
  int FTrackBorder = 0;
  TColor FTrackColor = clWhite;
  int FTrackWidth = 10;
  TKitFillObject* FTrackFill;
  bool FTrackTransparent = false;
  TColor FFocusColor = clGray;
  TKitTrackFocusStyle FFocusStyle = TKitTrackFocusStyle::tbFocus;
  bool FUseFocusColor = false;

  std::uint16_t FRepeatIdent = 0;
  bool FDragging = false;
  bool FButtonDown = false;
  TPoint FPointer;   // the pointer while paging
  int FPageSide = 0;  // +1 paging up, -1 down
};

class TKitTrackBar : public TKitCustomTrackBar {
  HX_CLASS(TKitTrackBar, TKitCustomTrackBar)
 public:
  using TKitCustomTrackBar::TKitCustomTrackBar;
};
