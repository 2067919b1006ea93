#pragma once
// TGxSpeedButton: a windowless push button with a multi-state glyph, an optional
// word-wrapped caption, a flat look, groups of which one stays down, repeated clicks while
// held, and a drop-down menu. Windows only.
//
// The glyph is a strip of up to five images side by side: up, disabled, down, stuck down
// (exclusive) and inactive (a flat button the mouse is not over). A missing disabled image
// is drawn embossed, a missing inactive one grey, and down falls back to up below three
// images. TGxButtonGlyph cuts and derives the images and keeps them in image lists shared
// by every button (the glyph cache: one TGlyphList per image size, made with the first
// glyph and freed with the last); a list's slots stay put, so a freed image's slot is
// taken by the next one.
#include <array>
#include <memory>

#include "classlib/windows/actions.h"
#include "classlib/windows/buttons.h"
#include "classlib/windows/imglist.h"
#include "classlib/windows/menus.h"
#include "classlib/core/timers.h"

HX_ENUM(TGxButtonState, gbsUp, gbsDisabled, gbsDown, gbsExclusive, gbsInactive);
HX_ENUM(TButtonStyle, bsAutoDetect, bsWin31, bsNew);
HX_ENUM(TGxDropDownMenuPos, dmpBottom, dmpRight);

// An image list whose images keep their slots: a freed slot is reused by the next image.
class TGlyphList : public TCustomImageList {
  HX_CLASS(TGlyphList, TCustomImageList)
 public:
  TGlyphList(int Width, int Height);
  // Adds Image (one image) with MaskColor transparent in the first free slot; its index.
  int AddGlyph(TBitmap* Image, TColor MaskColor);
  // Frees the slot.
  void DeleteGlyph(int Index);
  // How many slots hold an image.
  int UsedCount() const { return FUsedCount; }

 private:
  std::vector<bool> FUsed;
  int FUsedCount = 0;
};

// The process's glyph lists, one per image size.
class TGlyphCache {
 public:
  ~TGlyphCache();
  // The list of that size, added when there is none.
  TGlyphList* GetList(int Width, int Height);
  // Frees the list when no image is left in it.
  void ReturnList(TGlyphList* List);
  int ListCount() const { return static_cast<int>(FLists.size()); }

 private:
  std::vector<std::unique_ptr<TGlyphList>> FLists;
};

// The cache while a glyph exists, else nullptr.
TGlyphCache* GlyphCache();

class TGxButtonGlyph {
 public:
  TGxButtonGlyph();
  ~TGxButtonGlyph();
  TGxButtonGlyph(const TGxButtonGlyph&) = delete;
  TGxButtonGlyph& operator=(const TGxButtonGlyph&) = delete;

  TBitmap* Glyph() const { return FOriginal.get(); }
  // Copies Value; a width that is a whole multiple of the (non-zero) height sets
  // NumGlyphs to width / height, or 1 above 5. The transparent colour becomes the
  // glyph's own (its bottom-left pixel).
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);  // kept within 1..5
  TColor TransparentColor() const { return FTransparentColor; }
  // The size of one image; (0, 0) without a glyph.
  TPoint Size() const;

  // The list index of a state's image, built when first asked for; -1 without a glyph.
  int StateIndex(TGxButtonState State);
  // The image shown for a state (Size() pixels) into Image.
  void GetStateImage(TGxButtonState State, TBitmap* Image);
  TGlyphList* List() const { return FList; }
  // Drops the built images (they are built again when drawn).
  void Invalidate();
  void Draw(TCanvas* Canvas, int X, int Y, TGxButtonState State);

  std::function<void()> OnChange;

 private:
  std::unique_ptr<TBitmap> FOriginal;
  TColor FTransparentColor = clFuchsia;
  int FNumGlyphs = 1;
  std::array<int, 5> FIndexes{-1, -1, -1, -1, -1};
  TGlyphList* FList = nullptr;
};

class TGxSpeedButton : public TGraphicControl {
  HX_CLASS(TGxSpeedButton, TGraphicControl)
 public:
  explicit TGxSpeedButton(TComponent* AOwner);
  ~TGxSpeedButton() override;

  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool GetAllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  bool GetAllowTimer() const { return FAllowTimer; }
  void SetAllowTimer(bool Value);
  bool GetDown() const { return FDown; }
  // Only a grouped button stays down; the one down goes up only with AllowAllUp.
  void SetDown(bool Value);
  TPopupMenu* GetDropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(TPopupMenu* Value);
  bool GetFlat() const { return FFlat; }
  void SetFlat(bool Value);
  TBitmap* GetGlyph() const { return FGlyph->Glyph(); }
  void SetGlyph(TBitmap* Value) { FGlyph->SetGlyph(Value); }
  bool IsGlyphStored() const { return !FGlyph->Glyph()->Empty(); }
  bool GetGrayedInactive() const { return FGrayedInactive; }
  void SetGrayedInactive(bool Value);
  int GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  int GetInitPause() const { return FInitPause; }
  void SetInitPause(int Value) { FInitPause = static_cast<WORD>(Value); }
  TButtonLayout GetLayout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  int GetMargin() const { return FMargin; }
  void SetMargin(int Value);  // -1 centres; below -1 is ignored
  bool GetMarkDropDown() const { return FMarkDropDown; }
  void SetMarkDropDown(bool Value);
  TGxDropDownMenuPos GetMenuPosition() const { return FMenuPosition; }
  void SetMenuPosition(TGxDropDownMenuPos Value) { FMenuPosition = Value; }
  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  int GetNumGlyphs() const { return FGlyph->NumGlyphs(); }
  void SetNumGlyphs(int Value) { FGlyph->SetNumGlyphs(Value); }
  int GetRepeatInterval() const { return FRepeatInterval; }
  void SetRepeatInterval(int Value) { FRepeatInterval = static_cast<WORD>(Value); }
  int GetSpacing() const { return FSpacing; }
  void SetSpacing(int Value);
  TButtonStyle GetStyle() const { return FStyle; }
  void SetStyle(TButtonStyle Value);
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // An action's Checked becomes Down (grouped buttons) and its image the Glyph; a click
  // without OnClick executes it.
  TAction* GetAction() const { return FActionLink.Action(); }
  void SetAction(TAction* Value) { FActionLink.SetAction(Value); }

  // The state painted now.
  TGxButtonState State() const { return FState; }
  TGxButtonGlyph* ButtonGlyph() const { return FGlyph.get(); }
  // A click in code that shows itself: the down state for 20 ms, then Click (a grouped
  // button toggles Down first). Nothing while disabled, while a menu is open, or with a
  // drop-down menu that opens by itself.
  void ButtonClick();
  // Sets the form's ModalResult (when this button's is not 0), then fires OnClick (or
  // executes the action).
  void Click() override;
  // Where the drop-down menu opens, in screen coordinates.
  TPoint DropDownPoint();

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  bool WantsMouseLeave() const override { return true; }  // its look follows the mouse
  // OnDblClick only for a button that is down.
  void DblClick() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The caption's colour (the font's).
  virtual TColor CaptionColor() const;

 private:
  void UpdateExclusive();
  void UpdateTracking();
  void RepeatTick(TObject* Sender);
  void StopRepeat();
  bool PopupDropDown();  // true when the menu opened (and closed again)
  void ActionChanged();
  TGxButtonState RestingState() const;
  void DrawCaptionAndMark(TCanvas* Canvas, const TRect& Client, TPoint Offset, TGxButtonState GlyphState);

  std::unique_ptr<TGxButtonGlyph> FGlyph;
  TActionLink FActionLink;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);  // cleared when freed
  TGxButtonState FState = gbsUp;
  TAlignment FAlignment = taCenter;
  bool FAllowAllUp = false;
  bool FAllowTimer = false;
  bool FDown = false;
  TPopupMenu* FDropDownMenu = nullptr;
  bool FFlat = false;
  bool FGrayedInactive = true;
  int FGroupIndex = 0;
  WORD FInitPause = 500;
  TButtonLayout FLayout = blGlyphTop;
  int FMargin = -1;
  bool FMarkDropDown = true;
  TGxDropDownMenuPos FMenuPosition = dmpBottom;
  TModalResult FModalResult = mrNone;
  WORD FRepeatInterval = 100;
  int FSpacing = 1;
  TButtonStyle FStyle = bsAutoDetect;
  bool FTransparent = false;
  bool FWordWrap = false;
  bool FDragging = false;
  bool FMouseInControl = false;
  bool FMenuTracking = false;
  TTimer* FRepeatTimer = nullptr;  // made on first use, owned
};
