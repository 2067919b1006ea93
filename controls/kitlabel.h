#pragma once
// The kit's labels: windowless captions with a bevel, raised, sunken, shadowed or turned
// text (TKitFxCaption), nine-way alignment, word wrapping and ellipses, and an accelerator
// that focuses FocusControl. TKitLabelFill fills its glyphs with a fill object (gradient,
// picture or brush). Windows only.
#include "controls/kitcontrols.h"
#include "controls/kittypes.h"

// The DrawText flags of a caption: alignment, options, word break and expanded tabs,
// DT_NOPREFIX without accelerators.
unsigned KitLabelTextFlags(TKitAlignment Alignment, TKitLabelOptions Options, bool ShowAccelChar);

class TKitBaseLabel : public TKitBaseGraphicControl {
  HX_CLASS(TKitBaseLabel, TKitBaseGraphicControl)
 public:
  explicit TKitBaseLabel(TComponent* AOwner);

  bool GetShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  bool GetMultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value);
  TKitAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TKitAlignment Value);
  TWinControl* GetFocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  TKitLabelOptions GetOptions() const { return FOptions; }
  void SetOptions(TKitLabelOptions Value);
  // With the control's right-to-left reading order (and mirrored alignment).
  unsigned TextFlags() const { return DrawTextBiDiModeFlags(KitLabelTextFlags(FAlignment, FOptions, FShowAccelChar)); }

 protected:
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  bool FShowAccelChar = true;
  bool FMultiLine = false;
  TKitAlignment FAlignment = TKitAlignment::agTopLeft;
  TWinControl* FFocusControl = nullptr;
  TKitLabelOptions FOptions;
};

class TKitCustomLabel : public TKitBaseLabel {
  HX_CLASS(TKitCustomLabel, TKitBaseLabel)
 public:
  explicit TKitCustomLabel(TComponent* AOwner);
  ~TKitCustomLabel() override;
  TKitBevel* GetBevel() const { return FBevel; }
  void SetBevel(TKitBevel* Value) { FBevel->Assign(Value); }
  TKitFxCaption* GetFontFx() const { return FFontFx; }
  void SetFontFx(TKitFxCaption* Value) { FFontFx->Assign(Value); }
  int BevelWidth() const { return FBevel->BevelExtend(); }

 protected:
  void Paint() override;
  // With AutoSize: the caption's measured size and the bevel on every side.
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void Dispatch(TMessage& Message) override;
  // The caption drawn on Canvas in the label's rectangle (background and bevel first).
  void PaintLabel(TCanvas* Canvas, bool Background);
  // The rectangle and flags the caption is drawn with, inside Inner.
  void TextPlace(const TRect& Inner, TRect& Text, unsigned& Flags);

 private:
  void FontFxChanged();
  TKitBevel* FBevel;
  TKitFxCaption* FFontFx;
  bool FFontChanging = false;
};

class TKitLabel : public TKitCustomLabel {
  HX_CLASS(TKitLabel, TKitCustomLabel)
 public:
  using TKitCustomLabel::TKitCustomLabel;
};

class TKitCustomLabelFill : public TKitCustomLabel {
  HX_CLASS(TKitCustomLabelFill, TKitCustomLabel)
 public:
  explicit TKitCustomLabelFill(TComponent* AOwner);  // "Arial" 28
  ~TKitCustomLabelFill() override;
  TColor GetBrushBackColor() const { return FBrushBackColor; }
  void SetBrushBackColor(TColor Value);
  TKitFillObject* GetFillObject() const { return FFillObject; }
  void SetFillObject(TKitFillObject* Value) { FFillObject->Assign(Value); }

 protected:
  void Paint() override;

 private:
  TColor FBrushBackColor = clBtnFace;
  TKitFillObject* FFillObject;
};

class TKitLabelFill : public TKitCustomLabelFill {
  HX_CLASS(TKitLabelFill, TKitCustomLabelFill)
 public:
  using TKitCustomLabelFill::TKitCustomLabelFill;
};
