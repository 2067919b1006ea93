#include "gridcal/gxclockmath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

TGxAspect ScreenAspect(int HorzRes, int HorzSizeMm, int VertRes, int VertSizeMm) {
  if (HorzRes <= 0 || HorzSizeMm <= 0 || VertRes <= 0 || VertSizeMm <= 0) return {};
  const std::int64_t v = static_cast<std::int64_t>(VertRes) * 100 / VertSizeMm;
  const std::int64_t h = static_cast<std::int64_t>(HorzRes) * 100 / HorzSizeMm;
  if (v <= 0 || h <= 0 || v > INT32_MAX || h > INT32_MAX) return {};
  return {static_cast<int>(v), static_cast<int>(h)};
}

int ScaleByAspect(int Value, const TGxAspect& Aspect) {
  return static_cast<int>(static_cast<std::int64_t>(Value) * Aspect.V / Aspect.H);
}

TGxDial MakeDial(const TGxAspect& Aspect) {
  TGxDial dial;
  for (int i = 0; i < 60; ++i) {
    const double a = i * 6.0 * 3.14159265358979323846 / 180.0;
    int x = static_cast<int>(std::lround(8000.0 * std::sin(a)));
    int y = i == 0 ? -7999 : static_cast<int>(std::lround(-8000.0 * std::cos(a)));
    dial[i] = {x, ScaleByAspect(y, Aspect)};
  }
  return dial;
}

TPoint DialPoint(const TGxDial& Dial, int Index, TPoint Centre, int Radius) {
  const TPoint p = Dial[((Index % 60) + 60) % 60];
  return {Centre.X + static_cast<int>(static_cast<std::int64_t>(p.X) * Radius / 8000),
          Centre.Y + static_cast<int>(static_cast<std::int64_t>(p.Y) * Radius / 8000)};
}

int HourHandPosition(int Hour, int Minute) { return (Hour % 12) * 5 + Minute / 12; }

std::array<TPoint, 4> HandKite(const TGxDial& Dial, int Position, TPoint Centre, int Radius, int TipPct, int SidePct,
                               int TailPct) {
  return {DialPoint(Dial, Position, Centre, Radius * TipPct / 100),
          DialPoint(Dial, Position + 15, Centre, Radius * SidePct / 100),
          DialPoint(Dial, Position + 30, Centre, Radius * TailPct / 100),
          DialPoint(Dial, Position + 45, Centre, Radius * SidePct / 100)};
}

TRect FaceRect(const TRect& Client, const TGxAspect& Aspect) {
  const int w = Client.Width(), h = Client.Height();
  if (w <= 0 || h <= 0) return {Client.Left, Client.Top, Client.Left, Client.Top};
  // The height a round face of the whole width would take.
  const int tall = ScaleByAspect(w, Aspect);
  if (tall <= h) {
    const int top = Client.Top + (h - tall) / 2;
    return {Client.Left, top, Client.Right, top + tall};
  }
  const int wide = static_cast<int>(static_cast<std::int64_t>(h) * Aspect.H / Aspect.V);
  const int left = Client.Left + (w - wide) / 2;
  return {left, Client.Top, left + wide, Client.Bottom};
}

TGxFaceMetrics FaceMetrics(const TRect& Face, int HorzRes, const TGxAspect& Aspect) {
  TGxFaceMetrics m;
  const int width = std::max(0, Face.Width());
  m.MarkWidth = std::max(2, HorzRes > 0 ? static_cast<int>(static_cast<std::int64_t>(width) * 25 / HorzRes) : 2);
  m.MarkHeight = std::max(1, ScaleByAspect(m.MarkWidth, Aspect));
  m.Radius = std::max(0, (width - m.MarkHeight) / 2);
  m.Centre = {Face.Left + Face.Width() / 2, Face.Top + Face.Height() / 2};
  return m;
}

std::uint32_t BrightenedEdge(std::uint32_t Rgb, std::uint32_t Highlight) {
  std::uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t part = (Rgb >> shift) & 0xFF;
    if (part == 255) return Highlight;
    std::uint32_t bright = part == 0 ? 0 : part == 192 ? 255 : std::min<std::uint32_t>(255, part + 127);
    result |= bright << shift;
  }
  return result;
}

String ClockText(int Hour, int Minute, int Second, const TGxClockFormat& Format) {
  int hour = Hour;
  if (Format.TwelveHour) hour = Hour % 12 == 0 ? 12 : Hour % 12;
  char buffer[32];
  const char sep = Format.TimeSeparator;
  std::snprintf(buffer, sizeof buffer, Format.LeadingZero ? "%02d%c%02d" : "%d%c%02d", hour, sep, Minute);
  String text = buffer;
  if (Format.ShowSeconds) {
    std::snprintf(buffer, sizeof buffer, "%c%02d", sep, Second);
    text += buffer;
  }
  if (Format.TwelveHour) text += " " + (Hour >= 12 ? Format.PMString : Format.AMString);
  return text;
}

String AutoSizeSample(const TGxClockFormat& Format) {
  String sample = "88888";
  if (Format.ShowSeconds) sample += "888";
  if (Format.TwelveHour)
    sample += " " + (Format.AMString.size() >= Format.PMString.size() ? Format.AMString : Format.PMString);
  return sample;
}

int AutoFontHeight(int ClientWidth, int ClientHeight, int SampleWidthAt1000) {
  const int width = ClientWidth - 30, height = ClientHeight - 4;
  int h = height * 4 / 5;
  if (SampleWidthAt1000 > 0)
    h = std::min<std::int64_t>(h, static_cast<std::int64_t>(1000) * std::max(0, width) / SampleWidthAt1000);
  return std::max(1, h);
}

void TGxAlarmState::SetAlarm(int AlarmSeconds, int NowSeconds) {
  FAlarm = AlarmSeconds;
  FArmed = NowSeconds < FAlarm || FAlarm == 0;
}

bool TGxAlarmState::Tick(int NowSeconds) {
  const bool match = NowSeconds / 60 == FAlarm / 60 && NowSeconds % 60 >= FAlarm % 60;
  if (match) {
    if (!FArmed) return false;
    FArmed = false;
    return true;
  }
  FArmed = NowSeconds < FAlarm || FAlarm == 0;
  return false;
}
