#pragma once
// TFrBorder, a windowless control that draws a frame: an outer frame style, a band of
// BorderColor and an inner frame style, on the chosen sides; and TFrMeter, a border that
// shows a value between Min and Max as a plain bar, a 3D bar or a row of LED segments in
// three colour groups, in a rectangle or a trapezoid, growing in one of four directions,
// with an optional percentage. Windows only (the arithmetic is in frgeometry.h).
#include <memory>

#include "classlib/windows/controls.h"
#include "classlib/windows/pictures.h"
#include "controls/frgeometry.h"

class TFrBorder : public TGraphicControl {
  HX_CLASS(TFrBorder, TGraphicControl)
 public:
  // 50 × 50, an empty caption.
  explicit TFrBorder(TComponent* AOwner);

  // Setters store a changed value and repaint (FlatColor invalidates); a bevel width
  // below 1 or a border width below 0 is refused.
  int GetBevelWidth() const { return FBevelWidth; }
  virtual void SetBevelWidth(int Value);
  TColor GetBorderColor() const { return FBorderColor; }
  virtual void SetBorderColor(TColor Value);
  TFrameStyle GetBorderInner() const { return FBorderInner; }
  virtual void SetBorderInner(TFrameStyle Value);
  TFrameStyle GetBorderOuter() const { return FBorderOuter; }
  virtual void SetBorderOuter(TFrameStyle Value);
  TSides GetBorderSides() const { return FBorderSides; }
  virtual void SetBorderSides(TSides Value);
  int GetBorderWidth() const { return FBorderWidth; }
  virtual void SetBorderWidth(int Value);
  // The colour of an fsFlat frame, which always goes round all four sides.
  TColor GetFlatColor() const { return FFlatColor; }
  virtual void SetFlatColor(TColor Value);

  // The inside of the frames (BorderClientRect).
  TRect ClientRect() override;

 protected:
  void Paint() override;
  // The outer frame, the band and the inner frame on (0, 0, width, height).
  void PaintBorder(TCanvas* Canvas);

 private:
  int FBevelWidth = 1;
  TColor FBorderColor = clBtnFace;
  TFrameStyle FBorderInner = TFrameStyle::fsNone;
  TFrameStyle FBorderOuter = TFrameStyle::fsGroove;
  TSides FBorderSides = AllSides;
  int FBorderWidth = 0;
  TColor FFlatColor = clBlack;
};

class TFrMeter : public TFrBorder {
  HX_CLASS(TFrMeter, TFrBorder)
 public:
  // 150 × 30, opaque, an outer frame fsLowered.
  explicit TFrMeter(TComponent* AOwner);
  ~TFrMeter() override;

  // Value is kept within Min..Max: by its setter, by the Min and Max setters and, for
  // values read from a form (which come in any order), once the form is read. With
  // Min ≥ Max the bar is empty, the percent 0 and no segment is lit.
  int GetMin() const { return FMin; }
  virtual void SetMin(int Value);
  int GetMax() const { return FMax; }
  virtual void SetMax(int Value);
  int GetValue() const { return FValue; }
  virtual void SetValue(int Value);
  TColor GetBarColor() const { return FBarColor; }
  virtual void SetBarColor(TColor Value);
  TColor GetBackColor() const { return FBackColor; }
  virtual void SetBackColor(TColor Value);
  TMeterType GetMeterType() const { return FMeterType; }
  virtual void SetMeterType(TMeterType Value);
  TMeterShape GetMeterShape() const { return FMeterShape; }
  virtual void SetMeterShape(TMeterShape Value);
  TTrapDirect GetTrapezoidDir() const { return FTrapezoidDir; }
  virtual void SetTrapezoidDir(TTrapDirect Value);
  TTrapShape GetTrapezoidShape() const { return FTrapezoidShape; }
  virtual void SetTrapezoidShape(TTrapShape Value);
  int GetTrapezoidMin() const { return FTrapezoidMin; }
  virtual void SetTrapezoidMin(int Value);
  TDirection GetDirection() const { return FDirection; }
  virtual void SetDirection(TDirection Value);
  // Tiles the bar when not empty; a change of the picture repaints.
  TBitmap* GetBitmap() const { return FBitmap.get(); }
  virtual void SetBitmap(TBitmap* Value);
  TBrushStyle GetBrushStyle() const { return FBrushStyle; }
  virtual void SetBrushStyle(TBrushStyle Value);
  bool GetShowPercent() const { return FShowPercent; }
  virtual void SetShowPercent(bool Value);
  int GetSegSpacing() const { return FSegSpacing; }  // 0..255
  virtual void SetSegSpacing(int Value);
  TColor GetSegOffColor() const { return FSegOffColor; }
  virtual void SetSegOffColor(TColor Value);
  // The three segment groups, Index 0..2: counts 1..255 each (their total counts at most
  // 255 segments), colours lit.
  int GetSegCount(int Index) const;
  virtual void SetSegCount(int Index, int Value);
  TColor GetSegColor(int Index) const;
  virtual void SetSegColor(int Index, TColor Value);
  int GetSeg1Count() const { return GetSegCount(0); }
  void SetSeg1Count(int Value) { SetSegCount(0, Value); }
  int GetSeg2Count() const { return GetSegCount(1); }
  void SetSeg2Count(int Value) { SetSegCount(1, Value); }
  int GetSeg3Count() const { return GetSegCount(2); }
  void SetSeg3Count(int Value) { SetSegCount(2, Value); }
  TColor GetSeg1Color() const { return GetSegColor(0); }
  void SetSeg1Color(TColor Value) { SetSegColor(0, Value); }
  TColor GetSeg2Color() const { return GetSegColor(1); }
  void SetSeg2Color(TColor Value) { SetSegColor(1, Value); }
  TColor GetSeg3Color() const { return GetSegColor(2); }
  void SetSeg3Color(TColor Value) { SetSegColor(2, Value); }

  // (Value − Min) × 100 div (Max − Min); 0 when Min ≥ Max.
  virtual int Percent();

 protected:
  void Paint() override;
  void Loaded() override;

 private:
  void Clamp();
  void Redraw();
  void DrawBar(TCanvas* Canvas, const TRect& Area, const TRect& TextArea, const TTrapezoid* Trapezoid);
  void DrawSegments(TCanvas* Canvas, const TRect& Area, const TTrapezoid* Trapezoid);

  int FMin = 0;
  int FMax = 100;
  int FValue = 0;
  TColor FBarColor = clRed;
  TColor FBackColor = clBlack;
  TMeterType FMeterType = TMeterType::mtLED;
  TMeterShape FMeterShape = TMeterShape::msRectangular;
  TTrapDirect FTrapezoidDir = TTrapDirect::tdLargeToSmall;
  TTrapShape FTrapezoidShape = TTrapShape::tsCenter;
  int FTrapezoidMin = 6;
  TDirection FDirection = TDirection::dirRight;
  std::unique_ptr<TBitmap> FBitmap;
  TBrushStyle FBrushStyle = bsSolid;
  bool FShowPercent = true;
  int FSegSpacing = 2;
  TColor FSegOffColor = clBlack;
  int FSegCount[3] = {5, 3, 2};
  TColor FSegColor[3] = {clGreen, clYellow, clRed};
};
