#pragma once
// Buttons with a glyph: the bitmap button (a push button we draw ourselves) and the speed
// button (windowless, with groups of which one stays down). Windows only.
#include <memory>

#include "classlib/windows/pictures.h"
#include "classlib/windows/stdctrls.h"

HX_ENUM(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom);
HX_ENUM(TBitBtnKind, bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll);

class TCustomImageList;

// Where a glyph and a caption go on a face of Client's size: with Margin -1 the two are
// centred together, else the glyph stands Margin from the edge of its Layout; Spacing is
// the gap between them (-1 with Margin -1: margins and gap alike). Either may be empty.
void CalcButtonLayout(TPoint Client, TPoint GlyphSize, TPoint TextSize, TButtonLayout Layout, int Margin,
                      int Spacing, TPoint& GlyphPos, TRect& TextBounds);

namespace classlib::detail {

// A button's glyph: a strip of up to four images (up, disabled, down, stuck down) whose
// bottom-left pixel's colour is transparent. A missing disabled image is drawn embossed.
// It keeps where it stands by the caption, which both glyph buttons publish alike.
class TButtonGlyph {
 public:
  enum TState { gsUp, gsDisabled, gsDown, gsExclusive };
  TButtonGlyph();
  ~TButtonGlyph();
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);  // 1..4
  TPoint Size() const;           // of one image; (0, 0) without a glyph
  // As CalcButtonLayout takes them; Margin and Spacing are -1 or more.
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  int Margin() const { return FMargin; }
  void SetMargin(int Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  // The glyph and the caption laid out on Client and drawn.
  void Draw(TCanvas* Canvas, const TRect& Client, TPoint Offset, const String& Caption, TState State);
  // The glyph or its layout changed: the button repaints.
  std::function<void()> OnChange;

 private:
  void Invalidate();
  std::unique_ptr<TBitmap> FGlyph;
  std::unique_ptr<TCustomImageList> FImages;  // made from the glyph when drawn
  int FNumGlyphs = 1;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  int FSpacing = 4;
};

}  // namespace classlib::detail

// A push button with a glyph beside its caption. Kind gives a standard button its caption,
// modal result and Default/Cancel role (bkClose closes the form).
class TBitBtn : public TButton {
  HX_CLASS(TBitBtn, TButton)
 public:
  explicit TBitBtn(TComponent* AOwner);
  ~TBitBtn() override;

  TBitmap* GetGlyph() const;
  void SetGlyph(TBitmap* Value);
  bool IsGlyphStored() const;
  // How many images the glyph holds side by side (up, disabled, down, stuck down): 1..4.
  int GetNumGlyphs() const;
  void SetNumGlyphs(int Value);
  TBitBtnKind GetKind() const { return FKind; }
  void SetKind(TBitBtnKind Value);
  TButtonLayout GetLayout() const { return FGlyph->Layout(); }
  void SetLayout(TButtonLayout Value) { FGlyph->SetLayout(Value); }
  int GetMargin() const { return FGlyph->Margin(); }
  void SetMargin(int Value) { FGlyph->SetMargin(Value); }
  int GetSpacing() const { return FGlyph->Spacing(); }
  void SetSpacing(int Value) { FGlyph->SetSpacing(Value); }

  void Click() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

 private:
  void DrawItem(const DRAWITEMSTRUCT& Item);

  std::unique_ptr<classlib::detail::TButtonGlyph> FGlyph;
  std::unique_ptr<TCanvas> FCanvas;
  TBitBtnKind FKind = bkCustom;
  bool FIsFocused = false;  // drawn as the form's active button
};

// A windowless button, often with a glyph only. With a GroupIndex it stays down when
// clicked and lets the other buttons of its group (on the same parent) up; AllowAllUp lets
// a click raise the one that is down. Setting Down in code fires no OnClick.
class TSpeedButton : public TGraphicControl {
  HX_CLASS(TSpeedButton, TGraphicControl)
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  TBitmap* GetGlyph() const;
  void SetGlyph(TBitmap* Value);
  bool IsGlyphStored() const;
  int GetNumGlyphs() const;
  void SetNumGlyphs(int Value);
  int GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  bool GetDown() const { return FDown; }
  void SetDown(bool Value);
  bool GetAllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  // Flat: the edge shows only while the mouse is over the button.
  bool GetFlat() const { return FFlat; }
  void SetFlat(bool Value);
  TButtonLayout GetLayout() const { return FGlyph->Layout(); }
  void SetLayout(TButtonLayout Value) { FGlyph->SetLayout(Value); }
  int GetMargin() const { return FGlyph->Margin(); }
  void SetMargin(int Value) { FGlyph->SetMargin(Value); }
  int GetSpacing() const { return FGlyph->Spacing(); }
  void SetSpacing(int Value) { FGlyph->SetSpacing(Value); }

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  bool WantsMouseLeave() const override { return true; }  // its look follows the mouse
  void Dispatch(TMessage& Message) override;

 private:
  // Lets the other buttons of the group up.
  void UpdateExclusive();

  std::unique_ptr<classlib::detail::TButtonGlyph> FGlyph;
  int FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FFlat = false;
  bool FPressed = false;  // the mouse is down on it
  bool FDragging = false;
  bool FMouseInControl = false;
};
