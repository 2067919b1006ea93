#pragma once
// Two small controls: a round lamp that is on or off and can blink by itself, and a
// drop-down list of named colours, each drawn with its swatch. Windows only.
#include "classlib/windows/stdctrls.h"
#include "classlib/core/timers.h"

// A 15 x 15 lamp. While Blinking its timer inverts LedisOn every Interval ms.
class TDskLed : public TGraphicControl {
  HX_CLASS(TDskLed, TGraphicControl)
 public:
  explicit TDskLed(TComponent* AOwner);

  bool GetLedisOn() const { return FLedisOn; }
  void SetLedisOn(bool Value);
  TColor GetLedOnColor() const { return FLedOnColor; }
  void SetLedOnColor(TColor Value);
  TColor GetLedOffColor() const { return FLedOffColor; }
  void SetLedOffColor(TColor Value);
  TColor GetLedShadow() const { return FLedShadow; }
  void SetLedShadow(TColor Value);
  int GetInterval() const { return FInterval; }
  void SetInterval(int Value);
  // Switches the timer on or off each time it is set, also to the value it has: a lamp
  // stopped by SwitchOn or SwitchOff blinks again when Blinking is set True.
  bool GetBlinking() const { return FBlinking; }
  void SetBlinking(bool Value);
  // Stop the timer (Blinking stays as it is) and light the lamp or put it out.
  void SwitchOn();
  void SwitchOff();

  String About;

  // Any size asked for becomes 15 x 15.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  void Paint() override;

 private:
  void Blink();  // a step of the blinking
  TTimer* FTimer;
  bool FLedisOn = false;
  TColor FLedOnColor = clRed;
  TColor FLedOffColor = clGreen;
  TColor FLedShadow = clWhite;
  int FInterval = 200;
  bool FBlinking = false;
};

// The 41 named colours the colour combo offers: 16 standard colours, then 25 system colours.
struct TDskNamedColor {
  const char* Name;
  TColor Color;
};
inline constexpr int kDskStandardColorCount = 16;
inline constexpr int kDskColorCount = 41;
extern const TDskNamedColor kDskColors[kDskColorCount];

// Sender, the item's index, the colour's name and the colour (both may be changed).
using TDskOnSelectColor = std::function<void(TObject* Sender, int Index, String& Name, TColor& Color)>;

// An owner-drawn list of named colours: the 16 standard ones, and with SystemColors the 25
// system colours too. The items are filled at construction and when SystemColors changes
// (which selects the first), so a window made anew keeps the selection.
class TDskColorCombo : public TCustomComboBox {
  HX_CLASS(TDskColorCombo, TCustomComboBox)
 public:
  // A windowed owner becomes the parent.
  explicit TDskColorCombo(TComponent* AOwner);

  bool GetSystemColors() const { return FSystemColors; }
  void SetSystemColors(bool Value);
  // The swatch's right edge; a negative value reads 32.
  int GetColorDisplayWidth() const { return FColorDisplayWidth < 0 ? 32 : FColorDisplayWidth; }
  void SetColorDisplayWidth(int Value);
  // The selected colour's name, or empty; setting selects the colour of exactly that name
  // (case counts), or nothing.
  String GetColorByName();
  void SetColorByName(const String& Value);
  // The selected colour, or clNone; setting selects the colour of that value, or nothing.
  TColor GetColorSelected();
  void SetColorSelected(TColor Value);

  // The name and colour of item Index as the table has them, then as OnSelectColor makes them.
  virtual void ColorInfo(int Index, String& Name, TColor& Color);

  void Click() override;

  String About;
  TDskOnSelectColor OnSelectColor;

 protected:
  void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override;

 private:
  int ColorCount() const { return FSystemColors ? kDskColorCount : kDskStandardColorCount; }
  void FillItems();

  bool FSystemColors = true;
  int FColorDisplayWidth = 32;
};
