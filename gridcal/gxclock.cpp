#include "gridcal/gxclock.h"

#include <mutex>
#include <string>

#include "classlib/windows/application.h"
#include "classlib/core/clock.h"

HX_PUBLISH(TGxClock, p) {
  p.Property("AlarmEnabled", &TGxClock::GetAlarmEnabled, &TGxClock::SetAlarmEnabled).Default(false);
  p.Property("AlarmHour", &TGxClock::GetAlarmHour, &TGxClock::SetAlarmHour).Default(0);
  p.Property("AlarmMinute", &TGxClock::GetAlarmMinute, &TGxClock::SetAlarmMinute).Default(0);
  p.Property("AlarmSecond", &TGxClock::GetAlarmSecond, &TGxClock::SetAlarmSecond).Default(0);
  p.Property("AutoSize", &TGxClock::GetAutoSize, &TGxClock::SetAutoSize).Default(false);
  p.Property("BevelInner", &TGxClock::GetBevelInner, &TGxClock::SetBevelInner).Default(bvLowered);
  p.Property("BevelOuter", &TGxClock::GetBevelOuter, &TGxClock::SetBevelOuter).Default(bvRaised);
  p.Property("DotsColor", &TGxClock::GetDotsColor, &TGxClock::SetDotsColor).Default(clTeal);
  p.Property("ShowMode", &TGxClock::GetShowMode, &TGxClock::SetShowMode).Default(scDigital);
  p.Property("ShowSeconds", &TGxClock::GetShowSeconds, &TGxClock::SetShowSeconds).Default(true);
  p.Property("TwelveHour", &TGxClock::GetTwelveHour, &TGxClock::SetTwelveHour).Default(false);
  p.Property("LeadingZero", &TGxClock::GetLeadingZero, &TGxClock::SetLeadingZero).Default(true);
  p.Event("OnAlarm", &TGxClock::OnAlarm);
  p.Event("OnGetTime", &TGxClock::OnGetTime);
  // The panel's own.
  p.Property("Align", &TGxClock::GetAlign, &TGxClock::SetAlign).Default(alNone);
  p.Property("BevelWidth", &TGxClock::GetBevelWidth, &TGxClock::SetBevelWidth).Default(1);
  p.Property("BorderStyle", &TGxClock::GetBorderStyle, &TGxClock::SetBorderStyle).Default(bsNone);
  p.Property("BorderWidth", &TGxClock::GetBorderWidth, &TGxClock::SetBorderWidth).Default(0);
  p.Property("Color", &TGxClock::GetColor, &TGxClock::SetColor).Stored(&TGxClock::IsColorStored);
  p.Property("Cursor", &TGxClock::GetCursor, &TGxClock::SetCursor).Default(crDefault);
  p.Property("Enabled", &TGxClock::GetEnabled, &TGxClock::SetEnabled).Default(true);
  p.Property("Font", &TGxClock::GetFont, &TGxClock::SetFont).Stored(&TGxClock::IsFontStored);
  p.Property("Hint", &TGxClock::GetHint, &TGxClock::SetHint).Default("");
  p.Property("ParentColor", &TGxClock::GetParentColor, &TGxClock::SetParentColor).Default(false);
  p.Property("ParentFont", &TGxClock::GetParentFont, &TGxClock::SetParentFont).Default(true);
  p.Property("ParentShowHint", &TGxClock::GetParentShowHint, &TGxClock::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &TGxClock::GetPopupMenu, &TGxClock::SetPopupMenu);
  p.Property("ShowHint", &TGxClock::GetShowHint, &TGxClock::SetShowHint).Default(false);
  p.Property("Visible", &TGxClock::GetVisible, &TGxClock::SetVisible).Default(true);
  p.Event("OnClick", &TGxClock::OnClick);
  p.Event("OnDblClick", &TGxClock::OnDblClick);
  p.Event("OnMouseDown", &TGxClock::OnMouseDown);
  p.Event("OnMouseMove", &TGxClock::OnMouseMove);
  p.Event("OnMouseUp", &TGxClock::OnMouseUp);
  p.Event("OnResize", &TGxClock::OnResize);
}

namespace {

// The screen as the dial sees it, read once for every clock.
struct TScreenShape {
  TGxAspect Aspect;
  int HorzRes = 1024;
  TGxDial Dial;
};

const TScreenShape& ScreenShape() {
  static TScreenShape shape;
  static std::once_flag once;
  std::call_once(once, [] {
    HDC dc = GetDC(nullptr);
    shape.HorzRes = GetDeviceCaps(dc, HORZRES);
    shape.Aspect = ScreenAspect(shape.HorzRes, GetDeviceCaps(dc, HORZSIZE), GetDeviceCaps(dc, VERTRES),
                                GetDeviceCaps(dc, VERTSIZE));
    ReleaseDC(nullptr, dc);
    shape.Dial = MakeDial(shape.Aspect);
  });
  return shape;
}

int SecondsOf(int Hour, int Minute, int Second) { return Hour * 3600 + Minute * 60 + Second; }

void Fill(TCanvas* C, const TRect& R, TColor Color) {
  C->GetBrush()->SetStyle(bsSolid);
  C->GetBrush()->SetColor(Color);
  C->FillRect(R);
}

}  // namespace

TGxClock::TGxClock(TComponent* AOwner) : TCustomPanel(AOwner), FTimer(new TGxTimer(this)) {
  SetControlStyle(GetControlStyle() - TControlStyle{csAcceptsControls, csSetCaption});
  SetBevelInner(bvLowered);
  SetBevelOuter(bvRaised);
  FTimer->SetInterval(450);
  FTimer->SetOnTimer([this](TObject*) { TimerTick(); });
  UpdateTimer();
}

void TGxClock::UpdateTimer() { FTimer->SetEnabled(Showing() || FAlarmEnabled); }

void TGxClock::ShowingChanged() {
  TCustomPanel::ShowingChanged();
  UpdateTimer();
}

TGxClock::~TGxClock() {
  FTimer->SetOnTimer(nullptr);
  Unhook();
}

void TGxClock::Unhook() {
  if (FHook == 0) return;
  if (TApplication* app = ExistingApplication()) app->UnhookMainWindow(FHook);
  FHook = 0;
}

void TGxClock::CreateWnd() {
  TCustomPanel::CreateWnd();
  if (FHook != 0 || ComponentState().Contains(csDesigning)) return;
  FHook = GetApplication()->HookMainWindow([this](TMessage& Message) {
    if (Message.Msg == WM_WININICHANGE) Changed();
    return false;
  });
}

void TGxClock::DestroyWnd() {
  Unhook();
  TCustomPanel::DestroyWnd();
}

// ---- Properties ----

void TGxClock::Changed() {
  FShown.clear();
  if (FAutoSize) FitFont();
  Invalidate();
}

void TGxClock::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  Changed();
}
void TGxClock::SetDotsColor(TColor Value) {
  if (Value == FDotsColor) return;
  FDotsColor = Value;
  Changed();
}
void TGxClock::SetShowMode(TShowClock Value) {
  if (Value == FShowMode) return;
  FShowMode = Value;
  Changed();
}
void TGxClock::SetShowSeconds(bool Value) {
  if (Value == FFormat.ShowSeconds) return;
  FFormat.ShowSeconds = Value;
  Changed();
}
void TGxClock::SetTwelveHour(bool Value) {
  if (Value == FFormat.TwelveHour) return;
  FFormat.TwelveHour = Value;
  Changed();
}
void TGxClock::SetLeadingZero(bool Value) {
  if (Value == FFormat.LeadingZero) return;
  FFormat.LeadingZero = Value;
  Changed();
}
void TGxClock::SetFormatSettings(const TFormatSettings& Value) {
  FFormat.TimeSeparator = Value.TimeSeparator;
  FFormat.AMString = Value.TimeAMString;
  FFormat.PMString = Value.TimePMString;
  Changed();
}

void TGxClock::SetAlarmPart(int Hour, int Minute, int Second) {
  if (Hour < 0 || Hour >= 24 || Minute < 0 || Minute >= 60 || Second < 0 || Second >= 60) {
    const String sep(1, FFormat.TimeSeparator);
    throw EConvertError("'" + std::to_string(Hour) + sep + std::to_string(Minute) + sep + std::to_string(Second) +
                        "' is not a valid time");
  }
  int hour = 0, minute = 0, second = 0, ms = 0;
  DecodeTime(CurrentTime(), hour, minute, second, ms);
  FAlarm.SetAlarm(SecondsOf(Hour, Minute, Second), SecondsOf(hour, minute, second));
}
void TGxClock::SetAlarmHour(int Value) { SetAlarmPart(Value, GetAlarmMinute(), GetAlarmSecond()); }
void TGxClock::SetAlarmMinute(int Value) { SetAlarmPart(GetAlarmHour(), Value, GetAlarmSecond()); }
void TGxClock::SetAlarmSecond(int Value) { SetAlarmPart(GetAlarmHour(), GetAlarmMinute(), Value); }

// ---- The time ----

TDateTime TGxClock::CurrentTime() {
  TDateTime time = Time();
  if (OnGetTime) OnGetTime(this, time);
  return time;
}

String TGxClock::DigitalText() {
  int hour = 0, minute = 0, second = 0, ms = 0;
  DecodeTime(CurrentTime(), hour, minute, second, ms);
  return ClockText(hour, minute, second, FFormat);
}

void TGxClock::DoAlarm() {
  if (OnAlarm) OnAlarm(this);
}

void TGxClock::TimerTick() {
  int hour = 0, minute = 0, second = 0, ms = 0;
  DecodeTime(CurrentTime(), hour, minute, second, ms);
  if (HandleAllocated() && Showing()) {
    // What the face shows: a changed one is drawn whole and copied in one go.
    String shown = std::to_string(FShowMode) + ClockText(hour, minute, second, FFormat);
    if (shown != FShown) {
      TBitmap picture;
      DrawFace(&picture);
      HDC dc = GetDC(GetHandle());
      BitBlt(dc, 0, 0, picture.GetWidth(), picture.GetHeight(), picture.Canvas()->GetHandle(), 0, 0, SRCCOPY);
      ReleaseDC(GetHandle(), dc);
      FShown = shown;
    }
  }
  if (FAlarm.Tick(SecondsOf(hour, minute, second)) && FAlarmEnabled) DoAlarm();
}

// ---- Drawing ----

void TGxClock::Paint() {
  TBitmap picture;
  DrawFace(&picture);
  Canvas()->Draw(0, 0, &picture);
  int hour = 0, minute = 0, second = 0, ms = 0;
  DecodeTime(CurrentTime(), hour, minute, second, ms);
  FShown = std::to_string(FShowMode) + ClockText(hour, minute, second, FFormat);
}

void TGxClock::Resize() {
  TCustomPanel::Resize();
  if (FAutoSize) FitFont();
  FShown.clear();
}

void TGxClock::FitFont() {
  TRect client = ClientRect();
  TBitmap measure;
  measure.SetSize(1, 1);
  TCanvas* c = measure.Canvas();
  c->GetFont()->Assign(GetFont());
  c->GetFont()->SetHeight(1000);
  const int height = AutoFontHeight(client.Width(), client.Height(), c->TextWidth(AutoSizeSample(FFormat)));
  if (GetFont()->GetHeight() != height) GetFont()->SetHeight(height);
}

void TGxClock::DrawFace(TBitmap* Picture) {
  const TRect client = ClientRect();
  Picture->SetSize(client.Width(), client.Height());
  if (client.IsEmpty()) return;
  TCanvas* c = Picture->Canvas();
  Fill(c, client, GetColor());
  const TRect inner = PaintFrame(c, client);
  c->GetFont()->Assign(GetFont());
  int hour = 0, minute = 0, second = 0, ms = 0;
  DecodeTime(CurrentTime(), hour, minute, second, ms);
  if (inner.IsEmpty()) return;
  if (FShowMode == scAnalog) DrawAnalog(c, inner, hour, minute, second);
  else DrawDigital(c, inner, hour, minute, second);
}

void TGxClock::DrawAnalog(TCanvas* C, const TRect& Client, int Hour, int Minute, int Second) {
  const TScreenShape& screen = ScreenShape();
  const TRect face = FaceRect(Client, screen.Aspect);
  const TGxFaceMetrics m = FaceMetrics(face, screen.HorzRes, screen.Aspect);
  const TColor ink = GetFont()->GetColor();
  const bool large = m.MarkWidth >= 3 && m.MarkHeight >= 3;
  const TColor light = static_cast<TColor>(BrightenedEdge(ColorToRGB(FDotsColor), ColorToRGB(clBtnHighlight)));
  for (int i = 0; i < 60; ++i) {
    const TPoint p = DialPoint(screen.Dial, i, m.Centre, m.Radius);
    if (i % 5 == 0) {
      const TRect mark = Bounds(p.X - m.MarkWidth / 2, p.Y - m.MarkHeight / 2, m.MarkWidth, m.MarkHeight);
      if (large) {
        Fill(C, mark, FDotsColor);
        C->GetPen()->SetColor(light);
        C->MoveTo(mark.Left, mark.Bottom - 1);
        C->LineTo(mark.Left, mark.Top);
        C->LineTo(mark.Right - 1, mark.Top);
        C->GetPen()->SetColor(clBtnShadow);
        C->LineTo(mark.Right - 1, mark.Bottom - 1);
        C->LineTo(mark.Left - 1, mark.Bottom - 1);
      } else {
        Fill(C, mark, ink);
      }
    } else if (large) {
      C->SetPixels(p.X, p.Y, clBtnShadow);
      C->SetPixels(p.X + 1, p.Y, clBtnShadow);
      C->SetPixels(p.X, p.Y + 1, clBtnShadow);
      C->SetPixels(p.X + 1, p.Y + 1, clBtnHighlight);
    } else {
      C->SetPixels(p.X, p.Y, ink);
    }
  }
  TPen* pen = C->GetPen();
  pen->SetColor(ink);
  pen->SetWidth(1);
  pen->SetMode(pmCopy);
  auto hand = [&](int Position, const int (&Pct)[3]) {
    const auto k = HandKite(screen.Dial, Position, m.Centre, m.Radius, Pct[0], Pct[1], Pct[2]);
    C->Polyline({k[0], k[1], k[2], k[3], k[0]});
  };
  hand(HourHandPosition(Hour, Minute), kHourHand);
  hand(Minute, kMinuteHand);
  if (FFormat.ShowSeconds) {
    pen->SetMode(pmNot);
    const TPoint tip = DialPoint(screen.Dial, Second, m.Centre, m.Radius * kSecondHandPct / 100);
    C->MoveTo(m.Centre.X, m.Centre.Y);
    C->LineTo(tip.X, tip.Y);
    pen->SetMode(pmCopy);
  }
}

void TGxClock::DrawDigital(TCanvas* C, const TRect& Client, int Hour, int Minute, int Second) {
  String text = ClockText(Hour, Minute, Second, FFormat);
  String suffix;
  if (FFormat.TwelveHour) {
    const auto space = text.find(' ');
    suffix = text.substr(space);
    text.resize(space);
  }
  // Character cells as wide as an "8", centred as a whole.
  const TPoint cell = C->TextExtent("8");
  const int suffixWidth = suffix.empty() ? 0 : C->TextWidth(suffix);
  const int width = static_cast<int>(text.size()) * cell.X + suffixWidth;
  const int x0 = Client.Left + (Client.Width() - width) / 2, y = Client.Top + (Client.Height() - cell.Y) / 2;
  C->GetBrush()->SetStyle(bsClear);
  for (size_t i = 0; i < text.size(); ++i) {
    const String ch(1, text[i]);
    C->TextOut(x0 + static_cast<int>(i) * cell.X + (cell.X - C->TextWidth(ch)) / 2, y, ch);
  }
  if (!suffix.empty()) C->TextOut(x0 + static_cast<int>(text.size()) * cell.X, y, suffix);
}
