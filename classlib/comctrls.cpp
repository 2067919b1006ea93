#include "classlib/comctrls.h"

#include <algorithm>

#include <commctrl.h>

HX_PUBLISH(TTrackBar, p) {
  p.Property("Align", &TTrackBar::GetAlign, &TTrackBar::SetAlign).Default(alNone);
  p.Property("Enabled", &TTrackBar::GetEnabled, &TTrackBar::SetEnabled).Default(true);
  p.Property("Frequency", &TTrackBar::GetFrequency, &TTrackBar::SetFrequency).Default(1);
  p.Property("LineSize", &TTrackBar::GetLineSize, &TTrackBar::SetLineSize).Default(1);
  p.Property("Max", &TTrackBar::GetMax, &TTrackBar::SetMax).Default(10);
  p.Property("Min", &TTrackBar::GetMin, &TTrackBar::SetMin).Default(0);
  p.Property("Orientation", &TTrackBar::GetOrientation, &TTrackBar::SetOrientation).Default(trHorizontal);
  p.Property("PageSize", &TTrackBar::GetPageSize, &TTrackBar::SetPageSize).Default(2);
  p.Property("ParentShowHint", &TTrackBar::GetParentShowHint, &TTrackBar::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TTrackBar::GetPopupMenu, &TTrackBar::SetPopupMenu);
  p.Property("Position", &TTrackBar::GetPosition, &TTrackBar::SetPosition).Default(0);
  p.Property("ShowHint", &TTrackBar::GetShowHint, &TTrackBar::SetShowHint).Default(false);
  p.Property("TabOrder", &TTrackBar::GetTabOrder, &TTrackBar::SetTabOrder);
  p.Property("TabStop", &TTrackBar::GetTabStop, &TTrackBar::SetTabStop).Default(true);
  p.Property("TickMarks", &TTrackBar::GetTickMarks, &TTrackBar::SetTickMarks).Default(tmBottomRight);
  p.Property("TickStyle", &TTrackBar::GetTickStyle, &TTrackBar::SetTickStyle).Default(tsAuto);
  p.Property("Visible", &TTrackBar::GetVisible, &TTrackBar::SetVisible).Default(true);
  p.Event("OnChange", &TTrackBar::OnChange);
  p.Event("OnEnter", &TTrackBar::OnEnter);
  p.Event("OnExit", &TTrackBar::OnExit);
  p.Event("OnKeyDown", &TTrackBar::OnKeyDown);
  p.Event("OnKeyUp", &TTrackBar::OnKeyUp);
}

void InitCommonControlClasses(DWORD Classes) {
  static DWORD done = 0;
  if ((done & Classes) == Classes) return;
  INITCOMMONCONTROLSEX icc{sizeof icc, Classes};
  if (InitCommonControlsEx(&icc)) done |= Classes;
}

TTrackBar::TTrackBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle(GetControlStyle() - TControlStyle{csCaptureMouse, csClickEvents});
  SetBounds(0, 0, 150, 45);
  SetTabStop(true);
}

void TTrackBar::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses(ICC_BAR_CLASSES);
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "msctls_trackbar32");
  static const DWORD marks[] = {TBS_BOTTOM, TBS_TOP, TBS_BOTH};
  static const DWORD ticks[] = {TBS_NOTICKS, TBS_AUTOTICKS, 0};
  Params.Style |= (FOrientation == trVertical ? TBS_VERT : TBS_HORZ) | marks[FTickMarks] | ticks[FTickStyle];
}

void TTrackBar::CreateWnd() {
  TWinControl::CreateWnd();
  HWND w = GetHandle();
  SendMessageW(w, TBM_SETRANGEMIN, FALSE, FMin);
  SendMessageW(w, TBM_SETRANGEMAX, FALSE, FMax);
  SendMessageW(w, TBM_SETLINESIZE, 0, FLineSize);
  SendMessageW(w, TBM_SETPAGESIZE, 0, FPageSize);
  if (FTickStyle == tsAuto) SendMessageW(w, TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
  for (int tick : FTicks) SendMessageW(w, TBM_SETTIC, 0, tick);
  SendMessageW(w, TBM_SETPOS, TRUE, FPosition);
}

void TTrackBar::Changed() {
  if (OnChange) OnChange(this);
}

void TTrackBar::SetPosition(int Value) {
  Value = std::clamp(Value, FMin, FMax);
  if (Value == FPosition) return;
  FPosition = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), TBM_SETPOS, TRUE, Value);
  if (!ComponentState().Contains(csLoading)) Changed();
}

void TTrackBar::SetMin(int Value) {
  if (Value == FMin || Value > FMax) return;
  FMin = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), TBM_SETRANGEMIN, TRUE, Value);
  SetPosition(FPosition);
}

void TTrackBar::SetMax(int Value) {
  if (Value == FMax || Value < FMin) return;
  FMax = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), TBM_SETRANGEMAX, TRUE, Value);
  SetPosition(FPosition);
}

void TTrackBar::SetFrequency(int Value) {
  if (Value < 1 || Value == FFrequency) return;
  FFrequency = Value;
  if (HandleAllocated() && FTickStyle == tsAuto) SendMessageW(GetHandle(), TBM_SETTICFREQ, static_cast<WPARAM>(Value), 0);
}

void TTrackBar::SetLineSize(int Value) {
  if (Value < 1 || Value == FLineSize) return;
  FLineSize = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), TBM_SETLINESIZE, 0, Value);
}

void TTrackBar::SetPageSize(int Value) {
  if (Value < 1 || Value == FPageSize) return;
  FPageSize = Value;
  if (HandleAllocated()) SendMessageW(GetHandle(), TBM_SETPAGESIZE, 0, Value);
}

void TTrackBar::SetOrientation(TTrackBarOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  // The long side follows the orientation.
  if (!ComponentState().Contains(csLoading)) SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
  RecreateWnd();
}

void TTrackBar::SetTickMarks(TTickMark Value) {
  if (Value == FTickMarks) return;
  FTickMarks = Value;
  RecreateWnd();
}

void TTrackBar::SetTickStyle(TTickStyle Value) {
  if (Value == FTickStyle) return;
  FTickStyle = Value;
  RecreateWnd();
}

void TTrackBar::SetTick(int Value) {
  FTicks.push_back(Value);
  if (HandleAllocated()) SendMessageW(GetHandle(), TBM_SETTIC, 0, Value);
}

void TTrackBar::PositionFromWindow() {
  int position = static_cast<int>(SendMessageW(GetHandle(), TBM_GETPOS, 0, 0));
  if (position == FPosition) return;
  FPosition = position;
  Changed();
}

void TTrackBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL:
      PositionFromWindow();
      return;
  }
  TWinControl::Dispatch(Message);
}
