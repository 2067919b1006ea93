#include "controls/kitclock.h"

#include <algorithm>
#include <cmath>

#include "classlib/core/clock.h"
#include "classlib/core/formatsettings.h"
#include "controls/kitapp.h"
#include "controls/kitgeometry.h"

HX_PUBLISH(TKitClockHand, p) {
  p.Property("Color", &TKitClockHand::GetColor, &TKitClockHand::SetColor).Default(clBlack);
  p.Property("Visible", &TKitClockHand::GetVisible, &TKitClockHand::SetVisible).Default(true);
  p.Property("Thickness", &TKitClockHand::GetThickness, &TKitClockHand::SetThickness).Default(2);
}
// The end is a moment that has passed by the time a form is read again: the length is
// what is stored, and Enabled restarts it from then.
HX_PUBLISH(TKitTimeInterval, p) {
  p.Property("Enabled", &TKitTimeInterval::GetEnabled, &TKitTimeInterval::SetEnabled).Default(false);
  p.Property("EndTime", &TKitTimeInterval::GetEndTime, &TKitTimeInterval::SetEndTime).Stored(false);
  p.Property("Hour", &TKitTimeInterval::GetHour, &TKitTimeInterval::SetHour).Default(0);
  p.Property("Minute", &TKitTimeInterval::GetMinute, &TKitTimeInterval::SetMinute).Default(1);
  p.Property("Second", &TKitTimeInterval::GetSecond, &TKitTimeInterval::SetSecond).Default(0);
}
HX_PUBLISH(TKitClock, p) {
  p.Property("Bevel", &TKitClock::GetBevel, &TKitClock::SetBevel);
  p.Property("Color", &TKitClock::GetColor, &TKitClock::SetColor).Default(clWindow);
  p.Property("ColorSmallTick", &TKitClock::GetColorSmallTick, &TKitClock::SetColorSmallTick).Default(clWhite);
  p.Property("ColorSmallTickShade", &TKitClock::GetColorSmallTickShade, &TKitClock::SetColorSmallTickShade)
      .Default(clBtnFace);
  p.Property("ColorBigTick", &TKitClock::GetColorBigTick, &TKitClock::SetColorBigTick).Default(clTeal);
  p.Property("ColorBigTickShade", &TKitClock::GetColorBigTickShade, &TKitClock::SetColorBigTickShade)
      .Default(clAqua);
  p.Property("CustomDateTimeFormat", &TKitClock::GetCustomDateTimeFormat, &TKitClock::SetCustomDateTimeFormat)
      .Default("hh:mm:ss");
  p.Property("Digital", &TKitClock::GetDigital, &TKitClock::SetDigital);
  p.Property("DigitalColor", &TKitClock::GetDigitalColor, &TKitClock::SetDigitalColor).Default(clBlack);
  p.Property("DigitalOnly", &TKitClock::GetDigitalOnly, &TKitClock::SetDigitalOnly).Default(false);
  p.Property("DigitalShowSecs", &TKitClock::GetDigitalShowSecs, &TKitClock::SetDigitalShowSecs).Default(true);
  p.Property("DigitalPosX", &TKitClock::GetDigitalPosX, &TKitClock::SetDigitalPosX).Default(-1);
  p.Property("DigitalPosY", &TKitClock::GetDigitalPosY, &TKitClock::SetDigitalPosY).Default(-1);
  p.Property("Enabled", &TKitClock::GetEnabled, &TKitClock::SetEnabled).Default(true);
  p.Property("HourHand", &TKitClock::GetHourHand, &TKitClock::SetHourHand);
  p.Property("MinuteHand", &TKitClock::GetMinuteHand, &TKitClock::SetMinuteHand);
  p.Property("SecondHand", &TKitClock::GetSecondHand, &TKitClock::SetSecondHand);
  p.Property("Mode", &TKitClock::GetMode, &TKitClock::SetMode).Default(TKitClockMode::cmNormal);
  // After Mode, whose change stops the countdown.
  p.Property("AlarmTime", &TKitClock::GetAlarmTime, &TKitClock::SetAlarmTime).Default(0.0);
  p.Property("Countdown", &TKitClock::GetCountdown, &TKitClock::SetCountdown);
  p.Property("Options", &TKitClock::GetOptions, &TKitClock::SetOptions)
      .Default(TKitClockOptions{TKitClockOption::coShowAnalog, TKitClockOption::co24Hour});
  p.Property("RepeatAlarm", &TKitClock::GetRepeatAlarm, &TKitClock::SetRepeatAlarm).Default(10);
  p.Property("Stopwatch", &TKitClock::GetStopwatch);
  p.Property("Style", &TKitClock::GetStyle, &TKitClock::SetStyle).Default(TKitClockStyle::csWin95);
  p.Property("UseCustomDateTime", &TKitClock::GetUseCustomDateTime, &TKitClock::SetUseCustomDateTime)
      .Default(false);
  p.Property("Visible", &TKitClock::GetVisible, &TKitClock::SetVisible).Default(true);
  p.Event("OnAlarm", &TKitClock::OnAlarm);
  p.Event("OnClick", &TKitClock::OnClick);
  p.Event("OnDblClick", &TKitClock::OnDblClick);
  p.Event("OnMouseDown", &TKitClock::OnMouseDown);
  p.Event("OnCountdownStart", &TKitClock::OnCountdownStart);
  p.Event("OnCountdownEnd", &TKitClock::OnCountdownEnd);
  p.Event("OnStopWatchStart", &TKitClock::OnStopWatchStart);
  p.Event("OnStopWatchEnd", &TKitClock::OnStopWatchEnd);
}

// ---- Hands ----

void TKitClockHand::SetColor(TColor Value) {
  if (KitStore(FColor, Value)) Changed();
}
void TKitClockHand::SetVisible(bool Value) {
  if (KitStore(FVisible, Value)) Changed();
}
void TKitClockHand::SetThickness(int Value) {
  if (Value >= 0 && Value <= 255 && KitStore(FThickness, Value)) Changed();
}
void TKitClockHand::Assign(TPersistent* Source) {
  auto* hand = dynamic_cast<TKitClockHand*>(Source);
  if (!hand) {
    TKitObject::Assign(Source);
    return;
  }
  FColor = hand->FColor;
  FVisible = hand->FVisible;
  FThickness = hand->FThickness;
  Changed();
}

// ---- Interval ----

namespace {
constexpr double kSecondsPerDay = 86400.0;
}

TKitTimeInterval::TKitTimeInterval() : FEndTime(Now() + 60 / kSecondsPerDay) {}

void TKitTimeInterval::Restart() {
  // In seconds, not EncodeTime: a length of a day or more is a length too.
  FEndTime = Now() + (FHour * 3600.0 + FMinute * 60.0 + FSecond) / kSecondsPerDay;
  Changed();
}

void TKitTimeInterval::SetEnabled(bool Value) {
  if (KitStore(FEnabled, Value)) Restart();
}
void TKitTimeInterval::SetHour(int Value) {
  if (Value >= 0 && Value <= 65535 && KitStore(FHour, Value)) Restart();
}
void TKitTimeInterval::SetMinute(int Value) {
  if (Value >= 0 && Value <= 65535 && KitStore(FMinute, Value)) Restart();
}
void TKitTimeInterval::SetSecond(int Value) {
  if (Value >= 0 && Value <= 65535 && KitStore(FSecond, Value)) Restart();
}

void TKitTimeInterval::Assign(TPersistent* Source) {
  auto* interval = dynamic_cast<TKitTimeInterval*>(Source);
  if (!interval) {
    TKitObject::Assign(Source);
    return;
  }
  FHour = interval->FHour;
  FMinute = interval->FMinute;
  FSecond = interval->FSecond;
  FEnabled = interval->FEnabled;
  Restart();
}

void TKitTimeInterval::SetEndTime(TDateTime Value) {
  if (Value == FEndTime) return;
  TDateTime now = Now();
  if (Value < now) {
    FHour = 0;
    FMinute = 1;
    FSecond = 0;
    Restart();
    return;
  }
  FEndTime = Value;
  long long seconds = std::llround((Value - now) * kSecondsPerDay * 1000.0) / 1000;
  FHour = static_cast<int>(std::min<long long>(seconds / 3600, 65535));
  FMinute = static_cast<int>(seconds / 60 % 60);
  FSecond = static_cast<int>(seconds % 60);
  Changed();
}

// ---- Clock ----

TKitClock::TKitClock(TComponent* AOwner)
    : TKitGraphicControl(AOwner),
      FDigital(new TKitLED),
      FInterval(new TKitTimeInterval),
      FFace(new TBitmap),
      FPicture(new TBitmap) {
  static const struct {
    int Thickness;
    TColor Color;
  } hands[3] = {{5, clAqua}, {3, clTeal}, {1, clBlack}};
  for (int i = 0; i < 3; ++i) {
    FHands[i] = new TKitClockHand;
    FHands[i]->SetThickness(hands[i].Thickness);
    FHands[i]->SetColor(hands[i].Color);
    FHands[i]->OnChange = [this](TObject* Sender) { PartChanged(Sender); };
  }
  FDigital->OnChange = [this](TObject* Sender) { PartChanged(Sender); };
  FInterval->OnChange = [this](TObject* Sender) { PartChanged(Sender); };
  SetTransparent(false);
  SetColor(clWindow);
  SetParentColor(false);
  FTimerIdent = KitApplication()->AddTimer(1000, [this](TObject*) { ClockTimer(); });
  if (!FTimerIdent) {
    for (TKitClockHand* h : FHands) delete h;
    delete FDigital;
    delete FInterval;
    delete FFace;
    delete FPicture;
    throw EOutOfResources(kNoTimersText);
  }
}

TKitClock::~TKitClock() {
  if (TKitTimerItem* item = TimerItem()) item->SetEnabled(false);
  KitApplication()->RemoveTimer(FTimerIdent);
  for (TKitClockHand* h : FHands) delete h;
  delete FDigital;
  delete FInterval;
  delete FFace;
  delete FPicture;
}

TKitTimerItem* TKitClock::TimerItem() const { return KitApplication()->GetTimerItem(FTimerIdent); }

void TKitClock::PartChanged(TObject* Sender) {
  if (Sender != FDigital && Sender != FInterval) FFaceRedraw = true;
  InvalidateUnlessLoading();
}

void TKitClock::BevelChanged(TObject*) {
  FFaceRedraw = true;
  InvalidateUnlessLoading();
}

void TKitClock::ColorChanged() { FFaceRedraw = true; }

void TKitClock::BoundsChanged(int Changes) {
  FFaceRedraw = true;
  TKitGraphicControl::BoundsChanged(Changes);
}

namespace {
template <class T>
void StoreAndRedrawFace(TKitClock* Clock, T& Field, const T& Value, bool& FaceRedraw) {
  if (!KitStore(Field, Value)) return;
  FaceRedraw = true;
  Clock->Invalidate();
}
}  // namespace

void TKitClock::SetColorSmallTick(TColor Value) { StoreAndRedrawFace(this, FColorSmallTick, Value, FFaceRedraw); }
void TKitClock::SetColorSmallTickShade(TColor Value) {
  StoreAndRedrawFace(this, FColorSmallTickShade, Value, FFaceRedraw);
}
void TKitClock::SetColorBigTick(TColor Value) { StoreAndRedrawFace(this, FColorBigTick, Value, FFaceRedraw); }
void TKitClock::SetColorBigTickShade(TColor Value) { StoreAndRedrawFace(this, FColorBigTickShade, Value, FFaceRedraw); }
void TKitClock::SetStyle(TKitClockStyle Value) { StoreAndRedrawFace(this, FStyle, Value, FFaceRedraw); }

void TKitClock::SetDigitalColor(TColor Value) {
  if (KitStore(FDigitalColor, Value)) Invalidate();
}
void TKitClock::SetDigitalPosX(int Value) {
  if (KitStore(FDigitalPosX, Value)) Invalidate();
}
void TKitClock::SetDigitalPosY(int Value) {
  if (KitStore(FDigitalPosY, Value)) Invalidate();
}

void TKitClock::FormatChanged() {
  FFormat = FDigitalShowSecs ? "hh:mm:ss" : "hh:mm";
  FFace->SetSize(0, 0);
  FFaceRedraw = true;
  Invalidate();
}

void TKitClock::SetDigitalOnly(bool Value) {
  if (KitStore(FDigitalOnly, Value)) FormatChanged();
}
void TKitClock::SetDigitalShowSecs(bool Value) {
  if (KitStore(FDigitalShowSecs, Value)) FormatChanged();
}
void TKitClock::SetUseCustomDateTime(bool Value) {
  if (KitStore(FUseCustomDateTime, Value)) FormatChanged();
}
void TKitClock::SetCustomDateTimeFormat(const String& Value) {
  if (KitStore(FCustomDateTimeFormat, Value) && FUseCustomDateTime) Invalidate();
}

void TKitClock::SetOptions(TKitClockOptions Value) {
  if (!Value.Contains(TKitClockOption::coShowDigital) && !Value.Contains(TKitClockOption::coShowAnalog))
    throw Exception(kKitClockStyleError);
  if (Value == FOptions) return;
  bool droppedAnalog = FOptions.Contains(TKitClockOption::coShowAnalog) &&
                       !Value.Contains(TKitClockOption::coShowAnalog);
  FOptions = Value;
  if (droppedAnalog) {
    FDigitalPosX = 0;
    FDigitalPosY = 0;
  }
  FFaceRedraw = true;
  Invalidate();
}

void TKitClock::SetMode(TKitClockMode Value) {
  if (Value == FMode) return;
  FInterval->SetEnabled(false);
  FStopwatchRunning = false;
  FMode = Value;
  Invalidate();
}

void TKitClock::SetAlarmTime(TDateTime Value) {
  if (KitStore(FAlarmTime, Value)) Invalidate();
}

void TKitClock::StartCountdown() {
  SetMode(TKitClockMode::cmCountdown);
  FInterval->SetEnabled(false);
  FInterval->SetEnabled(true);
  if (OnCountdownStart) OnCountdownStart(this);
}

void TKitClock::StartStopwatch() {
  SetMode(TKitClockMode::cmStopwatch);
  FStopwatch = Now();
  FStopwatchRunning = true;
  Invalidate();
  if (OnStopWatchStart) OnStopWatchStart(this);
}

void TKitClock::StopStopwatch() {
  if (!FStopwatchRunning) return;
  FStopwatchRunning = false;
  FStopwatch = std::max(0.0, Now() - FStopwatch);
  Invalidate();
  if (OnStopWatchEnd) OnStopWatchEnd(this);
}

void TKitClock::SetEnabled(bool Value) {
  TKitGraphicControl::SetEnabled(Value);
  if (TKitTimerItem* item = TimerItem()) item->SetEnabled(Value);
  Invalidate();
}

void TKitClock::Loaded() {
  TKitGraphicControl::Loaded();
  FAlarmCounter = FRepeatAlarm;
  if (GetEnabled()) Invalidate();
}

String TKitClock::GetDisplayText() {
  if (!GetEnabled()) return "--- NA ---";
  const TFormatSettings& fs = RussianFormatSettings();
  String format = FUseCustomDateTime ? FCustomDateTimeFormat : FFormat;
  if (!FOptions.Contains(TKitClockOption::co24Hour)) format += " a/p";
  TDateTime now = Now();
  switch (FMode) {
    case TKitClockMode::cmNormal: return FormatDateTime(format, now, fs);
    case TKitClockMode::cmDate: return FormatDateTime("ddddd", now, fs) + " " + FormatDateTime("dddd", now, fs);
    case TKitClockMode::cmStopwatch:
      if (FStopwatchRunning && now >= FStopwatch) return "S " + FormatDateTime("tt", now - FStopwatch, fs);
      return "S " + FormatDateTime("tt", FStopwatch, fs);
    case TKitClockMode::cmCountdown:
      if (now < FInterval->GetEndTime()) return "C " + FormatDateTime("tt", FInterval->GetEndTime() - now, fs);
      return "C 00:00:00";
    case TKitClockMode::cmAlarm:
      return (FOptions.Contains(TKitClockOption::coEnableAlarm) ? "A " : "NA ") + FormatDateTime(format, FAlarmTime, fs);
  }
  return {};
}

// ---- The timer ----

void TKitClock::Alarm() {
  if (!FAlarming) FAlarmCounter = FRepeatAlarm;
  FAlarming = true;
  FDigital->StartBlinking();
  if (OnAlarm) OnAlarm(this);
}

void TKitClock::EndAlarm() {
  FDigital->StopBlinking();
  FMode = TKitClockMode::cmNormal;
  FAlarming = false;
}

void TKitClock::EndCountdown() {
  FInterval->SetEnabled(false);
  FMode = TKitClockMode::cmNormal;
  if (OnCountdownEnd) OnCountdownEnd(this);
}

// A clock behind a hidden or minimised window is not drawn at its ticks: the window paints
// it whole when it shows again.
bool TKitClock::OnScreen() {
  TWinControl* parent = GetParent();
  if (!parent || !parent->HandleAllocated()) return false;
  HWND window = parent->GetHandle();
  return IsWindowVisible(window) && !IsIconic(GetAncestor(window, GA_ROOT));
}

void TKitClock::ClockTimer() {
  if (ComponentState().Contains(csDesigning)) return;
  // Only an alarm already running when the tick began repeats in it: one OnAlarm a tick.
  bool wasAlarming = FAlarming;
  TDateTime now = Now();
  if (FInterval->GetEnabled() && FInterval->GetEndTime() <= now && GetEnabled()) {
    EndCountdown();
    if (FOptions.Contains(TKitClockOption::coEnableAlarm)) Alarm();
  }
  if (wasAlarming) {
    --FAlarmCounter;
    if (OnScreen()) Repaint();
    if (FRepeatAlarm != 0) Alarm();
    if (FAlarmCounter <= 0) {
      EndAlarm();
      FAlarmCounter = FRepeatAlarm;
    }
  } else {
    if (FMode == TKitClockMode::cmAlarm && FOptions.Contains(TKitClockOption::coEnableAlarm) && FAlarmTime <= now)
      Alarm();
    if (OnScreen()) Repaint();
  }
}

// ---- Painting ----

bool TKitClock::AdjustDigitalSize() {
  FDigital->DrawLEDText(nullptr, TRect{}, GetDisplayText(), false, true);
  int bw = BevelWidth();
  int width = FDigital->LongestLine() * FDigital->CellWidth() + 2 * bw + 1;
  int height = FDigital->LineCount() * FDigital->CellHeight() + 2 * bw;
  if (width == GetWidth() && height == GetHeight()) return false;
  int oldWidth = GetWidth(), oldHeight = GetHeight();
  SetBounds(GetLeft(), GetTop(), width, height);
  // Painting waits for the next round only when the size really changed.
  return GetWidth() != oldWidth || GetHeight() != oldHeight;
}

namespace {
TPoint OnCircle(int cx, int cy, double r, double degrees) {
  double a = degrees * 3.14159265358979323846 / 180.0;
  return {cx + KitRound(r * std::sin(a)), cy - KitRound(r * std::cos(a))};
}
struct TFaceGeometry {
  int cx, cy, R;
};
TFaceGeometry Geometry(int Width, int Height, int BevelWidth) {
  int b = BevelWidth <= 1 ? 4 : 2 * BevelWidth;
  return {Width / 2, Height / 2, std::min(Width / 2, Height / 2) - b};
}
}  // namespace

void TKitClock::DrawFace(TCanvas* C) {
  TFaceGeometry g = Geometry(GetWidth(), GetHeight(), BevelWidth());
  C->GetPen()->SetStyle(psSolid);
  C->GetPen()->SetWidth(1);
  for (int a = 0; a < 360; a += 6) {
    bool big = a % 30 == 0;
    TPoint outer = OnCircle(g.cx, g.cy, g.R, a);
    TPoint inner = OnCircle(g.cx, g.cy, (big ? 0.8 : 0.9) * g.R, a);
    int x = outer.X, y = outer.Y;
    if (FStyle == TKitClockStyle::csSimple) {
      C->GetPen()->SetColor(clBlack);
      C->MoveTo(x, y);
      C->LineTo(inner.X, inner.Y);
    } else if (!big) {
      C->GetPen()->SetColor(FColorSmallTick);
      C->GetBrush()->SetColor(FColorSmallTick);
      C->Ellipse(x + 2, y + 2, x - 2, y - 2);
      C->GetPen()->SetColor(FColorSmallTickShade);
      C->GetBrush()->SetColor(FColorSmallTickShade);
      C->Ellipse(x - 2, y - 2, x + 1, y + 1);
    } else {
      C->GetPen()->SetColor(FColorBigTickShade);
      C->GetBrush()->SetColor(FColorBigTick);
      C->Rectangle(x + 2, y + 2, x - 3, y - 3);
      C->GetPen()->SetColor(clBlack);
      C->MoveTo(x - 3, y + 1);
      C->LineTo(x + 1, y + 1);
      C->LineTo(x + 1, y - 3);
    }
  }
}

void TKitClock::DrawHands(TCanvas* C) {
  TFaceGeometry g = Geometry(GetWidth(), GetHeight(), BevelWidth());
  int hour = 0, minute = 0, second = 0, ms = 0;
  if (GetEnabled() && !ComponentState().Contains(csDesigning)) DecodeTime(Now(), hour, minute, second, ms);
  const double angles[3] = {30.0 * hour + 0.5 * minute, 6.0 * minute, 6.0 * second};
  const double lengths[3] = {0.5, 0.6, 0.7};
  int tail = KitRound(0.1 * g.R);
  for (int i = 0; i < 3; ++i) {
    if (!FHands[i]->GetVisible()) continue;
    C->GetPen()->SetStyle(psSolid);
    C->GetPen()->SetColor(FHands[i]->GetColor());
    C->GetPen()->SetWidth(FHands[i]->GetThickness());
    TPoint from = OnCircle(g.cx, g.cy, tail, angles[i] + 180.0);
    TPoint to = OnCircle(g.cx, g.cy, KitRound(lengths[i] * g.R), angles[i]);
    C->MoveTo(from.X, from.Y);
    C->LineTo(to.X, to.Y);
  }
  C->GetPen()->SetWidth(1);
}

void TKitClock::DrawDigital(TCanvas* C) {
  String text = GetDisplayText();
  FDigital->DrawLEDText(nullptr, TRect{}, text, false, true);
  int bw = BevelWidth(), textWidth = FDigital->LongestLine() * FDigital->CellWidth();
  int x = bw, y = bw;
  if (!FDigitalOnly) {
    y = FDigitalPosY == -1 ? std::min(GetWidth() / 2, GetHeight() / 2) : bw + FDigitalPosY;
    x = FDigitalPosX == -1 ? GetWidth() / 2 - textWidth / 2 : bw + FDigitalPosX;
  }
  FDigital->SetBackColor(FDigitalColor);
  FDigital->DrawLEDText(C, Bounds(x, y, textWidth, FDigital->CellHeight()), text, true, GetEnabled());
}

void TKitClock::Paint() {
  if (!GetVisible() || FPainting || ComponentState().Contains(csLoading)) return;
  if (FDigitalOnly && AdjustDigitalSize()) return;
  const int width = GetWidth(), height = GetHeight();
  if (width < 2 || height < 1) return;
  FPainting = true;
  if (FPicture->GetWidth() != width || FPicture->GetHeight() != height) FPicture->SetSize(width, height);
  TCanvas* c = FPicture->Canvas();
  const TRect all = Rect(0, 0, width, height);
  auto fill = [&] {
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(GetColor());
    c->FillRect(all);
  };
  TRect inner;
  bool analog = FOptions.Contains(TKitClockOption::coShowAnalog);
  if (FDigitalOnly) {
    fill();
    FBevel->PaintBevel(c, all, inner, false);
    DrawDigital(c);
  } else {
    bool cacheStale = FFace->Empty() || FFace->GetWidth() != width || FFace->GetHeight() != height;
    if (FFaceRedraw || cacheStale) {
      fill();
      FBevel->PaintBevel(c, all, inner, false);
      if (analog) DrawFace(c);
      FFace->SetSize(width, height);
      FFace->Canvas()->CopyRect(all, c, all);
    } else if (analog) {
      c->CopyRect(all, FFace->Canvas(), all);
    } else {
      fill();
      FBevel->PaintBevel(c, all, inner, false);
    }
    if (FOptions.Contains(TKitClockOption::coShowDigital)) DrawDigital(c);
    if (analog) DrawHands(c);
  }
  Canvas()->CopyRect(all, c, all);
  FPainting = false;
  FFaceRedraw = false;
}
