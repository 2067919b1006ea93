#pragma once
// TOffice97Button: a flat push button. Away from the mouse it shows a thin frame in
// InactiveColor, hot and pressed a raised or sunken highlight in its outline colours; it can
// carry glyphs for its states, act as a radio, up, down or hint button with built-in glyphs
// ("OFFICE_1" .. "OFFICE_24", assistant/balloonglyphs.rc), end a modal form with its
// ModalResult, play the default and cancel roles, wrap its caption, size its height to its
// content and change its font while hot; it takes part in drags as any control (found as the
// drag target under the pointer when the mouse enters it). The speech balloon builds its
// buttons from it.
// Windows only; main thread only.
#include <memory>
#include <string>
#include <vector>

#include "classlib/windows/actions.h"
#include "classlib/windows/controls.h"
#include "classlib/windows/pictures.h"

HX_ENUM(TOffBtnType, bsButton, bsRadioButton, bsUpButton, bsDownButton, bsHintButton);
HX_ENUM(TGlyphPosition, bsTop, bsBottom, bsLeft, bsRight);

class TOffice97Button : public TCustomControl {
  HX_CLASS(TOffice97Button, TCustomControl)
 public:
  // The mouse states.
  enum { msNormal = 0, msHot = 1, msPressed = 2, msPressedOutside = 3 };

  explicit TOffice97Button(TComponent* AOwner);
  ~TOffice97Button() override;

  bool GetOffice2000Look() const { return FOffice2000Look; }
  void SetOffice2000Look(bool Value);
  TColor GetActiveColor() const { return FActiveColor; }
  void SetActiveColor(TColor Value) { SetColorValue(FActiveColor, Value); }
  TColor GetActiveOutlineColor() const { return FActiveOutlineColor; }
  void SetActiveOutlineColor(TColor Value) { SetColorValue(FActiveOutlineColor, Value); }
  TColor GetActiveOutlineColor2() const { return FActiveOutlineColor2; }
  void SetActiveOutlineColor2(TColor Value) { SetColorValue(FActiveOutlineColor2, Value); }
  TColor GetInactiveColor() const { return FInactiveColor; }
  void SetInactiveColor(TColor Value) { SetColorValue(FInactiveColor, Value); }
  TBitmap* GetActiveGlyph() const { return FActiveGlyph.get(); }
  void SetActiveGlyph(TBitmap* Value) { FActiveGlyph->Assign(Value); }
  TBitmap* GetInactiveGlyph() const { return FInactiveGlyph.get(); }
  void SetInactiveGlyph(TBitmap* Value) { FInactiveGlyph->Assign(Value); }
  TBitmap* GetDisabledGlyph() const { return FDisabledGlyph.get(); }
  void SetDisabledGlyph(TBitmap* Value) { FDisabledGlyph->Assign(Value); }
  TBitmap* GetDownActiveGlyph() const { return FDownActiveGlyph.get(); }
  void SetDownActiveGlyph(TBitmap* Value) { FDownActiveGlyph->Assign(Value); }
  bool GetAutoHeight() const { return FAutoHeight; }
  void SetAutoHeight(bool Value);
  bool GetAutoTransparency() const { return FAutoTransparency; }
  void SetAutoTransparency(bool Value) { SetFlag(FAutoTransparency, Value, false); }
  bool GetCancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool Value) { SetFlag(FDefault, Value, false); }
  String GetCaption() { return GetText(); }
  void SetCaption(const String& Value);
  TOffBtnType GetControlType() const { return FControlType; }
  void SetControlType(TOffBtnType Value);
  TFont* GetHoverFont() const { return FHoverFont.get(); }
  void SetHoverFont(TFont* Value) { FHoverFont->Assign(Value); }
  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  TGlyphPosition GetPosition() const { return FPosition; }
  void SetPosition(TGlyphPosition Value);
  bool GetShowGlyph() const { return FShowGlyph; }
  void SetShowGlyph(bool Value) { SetFlag(FShowGlyph, Value, true); }
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool Value) { SetFlag(FTransparent, Value, false); }
  TColor GetTransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(TColor Value) { SetColorValue(FTransparentColor, Value); }
  bool GetUseCustomGlyphs() const { return FUseCustomGlyphs; }
  void SetUseCustomGlyphs(bool Value) { SetFlag(FUseCustomGlyphs, Value, true); }
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value) { SetFlag(FWordWrap, Value, true); }
  bool GetChecked() const { return FChecked; }
  void SetChecked(bool Value);
  // An action whose caption the button's follows (nullptr: none).
  TAction* GetAction() const { return FActionLink.Action(); }
  void SetAction(TAction* Value);

  // Sets the height from the caption (wrapped), the glyph and the control type.
  void AdjustHeight();

  int MouseState() const { return FMouseState; }
  // The caption's lines as wrapped at the last measure (WordWrap on), and the wrap width.
  const std::vector<std::wstring>& CaptionLines() const { return FLines; }
  int LineCount() const { return static_cast<int>(FLines.size()); }
  int WrapWidth() const { return FWrapWidth; }

  void Click() override;

  TNotifyEvent OnMouseExit;  // OnMouseEnter is the control's own

 protected:
  void CreateWnd() override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The button tells of the mouse's entry and exit itself (as its state changes).
  void MouseEnter() override {}
  void MouseLeave() override {}
  void DoStartDrag(TDragObject*& DragObject) override;

 private:
  struct TLayout {
    TRect Glyph, Caption;
  };
  void SetFlag(bool& Field, bool Value, bool Height);
  void SetColorValue(TColor& Field, TColor Value);
  void LoadBuiltInGlyphs();
  void TypeOrLookChanged();
  void SetMouseState(int Value);
  void ResetMouse();
  bool MouseInside(int X, int Y);
  TBitmap* StateGlyph(bool& Disabled);
  TBitmap* SizingGlyph();
  // Wraps the caption for the wrap width and returns the caption box's size.
  TPoint MeasureCaption(HDC DC, TBitmap* Glyph);
  TLayout Layout(TPoint CaptionSize, TBitmap* Glyph, HDC DC);
  void DrawFocusMark(TCanvas* Canvas, const TLayout& L, HDC DC);
  void DrawFrame(HDC DC);
  void DrawGlyph(HDC DC, TBitmap* Glyph, bool Embossed, int X, int Y);
  void PaintBackground(HDC DC);
  std::wstring DrawnCaption();

  bool FOffice2000Look = true;
  TColor FActiveColor = static_cast<TColor>(8421504);
  TColor FActiveOutlineColor = static_cast<TColor>(16777215);
  TColor FActiveOutlineColor2 = static_cast<TColor>(14084071);
  TColor FInactiveColor = static_cast<TColor>(12632256);
  std::unique_ptr<TBitmap> FActiveGlyph, FInactiveGlyph, FDisabledGlyph, FDownActiveGlyph;
  std::unique_ptr<TBitmap> FBuiltIn[4];  // hot, disabled, pressed, normal
  bool FAutoHeight = false;
  bool FAutoTransparency = true;
  bool FCancel = false;
  bool FDefault = false;
  TOffBtnType FControlType = bsButton;
  std::unique_ptr<TFont> FHoverFont;
  TModalResult FModalResult = mrNone;
  TGlyphPosition FPosition = bsLeft;
  bool FShowGlyph = false;
  bool FTransparent = false;
  TColor FTransparentColor = static_cast<TColor>(0);
  bool FUseCustomGlyphs = false;
  bool FWordWrap = true;
  bool FChecked = false;
  int FMouseState = msNormal;
  bool FFocusFlag = false;
  bool FClicksSuppressed = false;
  std::vector<std::wstring> FLines;
  int FWrapWidth = 0;
  TActionLink FActionLink;
};

// Breaks Text into lines no wider than Width (measured by Measure, in pixels): the whole text
// when it fits; else lines built character by character, cut before the last space taken
// (the space dropped) or, without one, inside the word. No lines when a single character
// is wider than Width.
std::vector<std::wstring> WrapCaption(const std::wstring& Text, int Width,
                                      const std::function<int(const std::wstring&)>& Measure);
