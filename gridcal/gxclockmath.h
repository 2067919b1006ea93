#pragma once
// The arithmetic of the digital and analogue clock (TGxClock): the dial's 60 points and
// the screen's aspect, hand positions and their kites, the face's square and mark sizes,
// the brightened edge of 3D marks, the digital text and its automatic font height, and the
// once-a-day alarm. Portable (no windows.h), so it is tested natively.
#include <array>
#include <cstdint>

#include "classlib/core/geometry.h"
#include "classlib/core/text.h"

// The screen's proportions: a length of 1 mm takes H pixels across and V down (per
// 100 mm). Y coordinates of round shapes scale by V / H.
struct TGxAspect {
  int V = 1;
  int H = 1;
};
// From resolutions in pixels and sizes in millimetres; 1:1 when a size or a resolution is
// not positive (a display that reports no physical size).
TGxAspect ScreenAspect(int HorzRes, int HorzSizeMm, int VertRes, int VertSizeMm);
// Value × V / H in 64 bits.
int ScaleByAspect(int Value, const TGxAspect& Aspect);

// The dial: 60 points on a circle of radius 8000 from twelve o'clock clockwise,
// (8000 × sin 6i°, −8000 × cos 6i°) (the first stored as (0, −7999)), their y scaled by the
// aspect.
using TGxDial = std::array<TPoint, 60>;
TGxDial MakeDial(const TGxAspect& Aspect);
// Point Index (taken mod 60) at Radius from Centre.
TPoint DialPoint(const TGxDial& Dial, int Index, TPoint Centre, int Radius);

// Where the hands stand on the 60 points: the hour hand (hour mod 12) × 5 + minute div 12,
// the minute hand the minute.
int HourHandPosition(int Hour, int Minute);
// The four corners of a hand at Position, in drawing order: the tip (TipPct % of the
// radius), one side at Position + 15, the tail at Position + 30, the other side at
// Position + 45 (SidePct and TailPct %); indices mod 60.
std::array<TPoint, 4> HandKite(const TGxDial& Dial, int Position, TPoint Centre, int Radius, int TipPct, int SidePct,
                               int TailPct);
inline constexpr int kHourHand[3] = {60, 7, 15};
inline constexpr int kMinuteHand[3] = {80, 5, 20};
inline constexpr int kSecondHandPct = 80;

// The face in Client: square in screen proportions (the longer side cut to the other,
// centred).
TRect FaceRect(const TRect& Client, const TGxAspect& Aspect);
struct TGxFaceMetrics {
  int MarkWidth = 2;   // face width × 25 / horizontal resolution, at least 2
  int MarkHeight = 1;  // the width scaled by the aspect, at least 1
  int Radius = 0;      // (face width − mark height) / 2
  TPoint Centre;
};
TGxFaceMetrics FaceMetrics(const TRect& Face, int HorzRes, const TGxAspect& Aspect);

// The light edge of a 3D mark of colour Rgb (0x00BBGGRR): Highlight when a part is
// already 255; else each non-zero part brightened (192 becomes 255, others + 127, at most
// 255).
std::uint32_t BrightenedEdge(std::uint32_t Rgb, std::uint32_t Highlight);

// The digital face: "hh:mm" ("h:mm" without LeadingZero), ":ss" with ShowSeconds, " AM" or
// " PM" with TwelveHour (0 becomes 12, 13..23 become 1..11).
struct TGxClockFormat {
  bool ShowSeconds = true;
  bool TwelveHour = false;
  bool LeadingZero = true;
  char TimeSeparator = ':';
  String AMString = "AM";
  String PMString = "PM";
};
String ClockText(int Hour, int Minute, int Second, const TGxClockFormat& Format);
// The sample the automatic font is fitted to: "88888", "888" more with seconds, then " "
// and the longer of the am and pm strings with TwelveHour.
String AutoSizeSample(const TGxClockFormat& Format);
// The font height for an area: min(height × 4 / 5, 1000 × width / the sample's width at
// height 1000), where the area is the client less 30 pixels across and 4 down; at least 1.
int AutoFontHeight(int ClientWidth, int ClientHeight, int SampleWidthAt1000);

// The alarm, once a day: a tick at the alarm's hour and minute, at or after its second,
// fires while armed and disarms; any other tick arms it again when the time is before the
// alarm's, or the alarm is at midnight.
class TGxAlarmState {
 public:
  // Seconds since midnight of the alarm and of now.
  void SetAlarm(int AlarmSeconds, int NowSeconds);
  int Alarm() const { return FAlarm; }
  bool Armed() const { return FArmed; }
  // True when the alarm is due now (once).
  bool Tick(int NowSeconds);

 private:
  int FAlarm = 0;
  bool FArmed = true;
};
