#pragma once
// TKitLED paints text as a light-emitting-diode display of sixteen-segment characters:
// seven bars, two centre verticals, four diagonals and three dots per cell. Unlit segments
// show as a dotted pattern of InActiveColor on the background, lit ones solid in
// ActiveColor. Text is counted in code page 1251 bytes (a Russian letter takes one cell); a
// carriage return starts a line. The object can blink (lit segments on every second drawn
// text) and can measure a text without painting it. Windows only.
#include <array>
#include <cstdint>

#include "classlib/windows/pictures.h"
#include "controls/kitbase.h"

// The segments lit by a 1251 byte (bit n lights segment n); 0 for any other.
std::uint16_t KitCharToSegments(unsigned char Ch);
// The 16 segment polygons of a cell with thickness T, bar length H and upright length V
// (six points each; an empty diagonal is six zero points).
using TKitSegmentPolygons = std::array<std::array<TPoint, 6>, 16>;
TKitSegmentPolygons KitCalcSegments(int T, int H, int V);
// The program's 8 × 8 checkerboard: First where x and y differ in parity, else Second.
// Rebuilt only when asked for another pair.
TBitmap* KitCheckerBitmap(TColor First, TColor Second);

class TKitLED : public TKitObject {
  HX_CLASS(TKitLED, TKitObject)
 public:
  TKitLED();
  ~TKitLED() override;

  TColor GetActiveColor() const { return FActiveColor; }
  void SetActiveColor(TColor Value);
  TColor GetInActiveColor() const { return FInActiveColor; }
  void SetInActiveColor(TColor Value);
  // The cell's background, set by the owner (not stored).
  TColor GetBackColor() const { return FBackColor; }
  void SetBackColor(TColor Value);
  bool GetDisabledDigits() const { return FDisabledDigits; }
  void SetDisabledDigits(bool Value);
  int GetHorzsize() const { return FHorzsize; }
  void SetHorzsize(int Value);  // 0..255
  int GetVertsize() const { return FVertsize; }
  void SetVertsize(int Value);  // 0..255
  int GetThickness() const { return FThickness; }
  void SetThickness(int Value);  // 0..255

  int CellWidth() const { return FHorzsize + 5 * FThickness; }
  int CellHeight() const { return 2 * FVertsize + 7 * FThickness; }
  // Of the last text drawn or measured: its lines and its longest line, in cells.
  int LineCount() const { return FLineCount; }
  int LongestLine() const { return FLongestLine; }

  // Draws Text (UTF-8) from Rect's top left (with Draw false only measures). Lit segments
  // are left out when DisabledDigits is set and Active is false.
  void DrawLEDText(TCanvas* Canvas, const TRect& Rect, const String& Text, bool Draw, bool Active);
  virtual void StartBlinking();
  virtual void StopBlinking();
  bool Blinking() const { return FBlinking; }

  void Assign(TPersistent* Source) override;

 private:
  void Rebuild();
  void BuildUnlitGlyph();
  TColor FActiveColor = clLime;
  TColor FInActiveColor = clGreen;
  TColor FBackColor = clBlack;
  bool FDisabledDigits = true;
  int FHorzsize = 9;
  int FVertsize = 7;
  int FThickness = 2;
  bool FBlinking = false;
  bool FBlinkDark = false;
  int FLineCount = 1;
  int FLongestLine = 1;
  TKitSegmentPolygons FSegments{};
  TBitmap* FUnlit;
  String FText;
};
