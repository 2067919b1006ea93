#pragma once
// Common controls of the system's control library: the track bar. Windows only.
#include "classlib/controls.h"

HX_ENUM(TTrackBarOrientation, trHorizontal, trVertical);
HX_ENUM(TTickMark, tmBottomRight, tmTopLeft, tmBoth);
HX_ENUM(TTickStyle, tsNone, tsAuto, tsManual);

// Registers the system's common control classes once (InitCommonControlsEx).
void InitCommonControlClasses(DWORD Classes);

// A track bar. Position stays within Min..Max; OnChange fires whenever it changes, moved by
// the user or set in code (not while the form is read).
class TTrackBar : public TWinControl {
  HX_CLASS(TTrackBar, TWinControl)
 public:
  explicit TTrackBar(TComponent* AOwner);

  int GetMin() const { return FMin; }
  void SetMin(int Value);  // ignored above Max
  int GetMax() const { return FMax; }
  void SetMax(int Value);  // ignored below Min
  int GetPosition() const { return FPosition; }
  void SetPosition(int Value);  // clamped to Min..Max
  // A tick every Frequency positions (TickStyle tsAuto).
  int GetFrequency() const { return FFrequency; }
  void SetFrequency(int Value);
  int GetLineSize() const { return FLineSize; }
  void SetLineSize(int Value);
  int GetPageSize() const { return FPageSize; }
  void SetPageSize(int Value);
  TTrackBarOrientation GetOrientation() const { return FOrientation; }
  void SetOrientation(TTrackBarOrientation Value);
  TTickMark GetTickMarks() const { return FTickMarks; }
  void SetTickMarks(TTickMark Value);
  TTickStyle GetTickStyle() const { return FTickStyle; }
  void SetTickStyle(TTickStyle Value);
  // A tick at Value (TickStyle tsManual).
  void SetTick(int Value);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void Changed();

 private:
  void PositionFromWindow();

  int FMin = 0;
  int FMax = 10;
  int FPosition = 0;
  int FFrequency = 1;
  int FLineSize = 1;
  int FPageSize = 2;
  TTrackBarOrientation FOrientation = trHorizontal;
  TTickMark FTickMarks = tmBottomRight;
  TTickStyle FTickStyle = tsAuto;
  std::vector<int> FTicks;
};
