#pragma once
// The panel: a container that draws its bevels, its background and its caption; the bevel
// (a line or frame), the image and the radio group. Windows only.
#include <memory>
#include <vector>

#include "classlib/windows/pictures.h"
#include "classlib/windows/stdctrls.h"
#include "classlib/core/stringlist.h"

HX_ENUM(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace);

class TCustomPanel : public TCustomControl {
  HX_CLASS(TCustomPanel, TCustomControl)
 public:
  explicit TCustomPanel(TComponent* AOwner);

  // Outer bevel, a border of the panel's colour, inner bevel: aligned children stay inside.
  TBevelCut GetBevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut GetBevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  int GetBevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int Value);
  int GetBorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);
  // bsSingle gives the window a sunken edge.
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // Where the caption stands, centred vertically.
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  // The outer bevel, the border and the inner bevel in R; returns what is inside them.
  TRect PaintFrame(TCanvas* Canvas, TRect R);
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Dispatch(TMessage& Message) override;

 private:
  int FrameWidth() const;
  void FrameChanged();

  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TBorderStyle FBorderStyle = bsNone;
  TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
  HX_CLASS(TPanel, TCustomPanel)
 public:
  using TCustomPanel::TCustomPanel;
};

HX_ENUM(TBevelShape, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer);
HX_ENUM(TBevelStyle, bsLowered, bsRaised);

// A sunken or raised box, frame or line, drawn over what is under it.
class TBevel : public TGraphicControl {
  HX_CLASS(TBevel, TGraphicControl)
 public:
  explicit TBevel(TComponent* AOwner);

  TBevelShape GetShape() const { return FShape; }
  void SetShape(TBevelShape Value);
  TBevelStyle GetStyle() const { return FStyle; }
  void SetStyle(TBevelStyle Value);

 protected:
  void Paint() override;

 private:
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
};

HX_ENUM(TShapeType, stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle);

// A figure drawn with a pen and filled with a brush (the square and circle kinds are the
// largest that fit, centred).
class TShape : public TGraphicControl {
  HX_CLASS(TShape, TGraphicControl)
 public:
  explicit TShape(TComponent* AOwner);
  ~TShape() override;

  TShapeType GetShape() const { return FShape; }
  void SetShape(TShapeType Value);
  TPen* GetPen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* GetBrush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }

 protected:
  void Paint() override;

 private:
  TShapeType FShape = stRectangle;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
};

// A picture on the form: drawn at its size from the top-left (or centred), or stretched
// to the control (keeping its proportions with Proportional). AutoSize takes the picture's
// size.
class TImage : public TGraphicControl {
  HX_CLASS(TImage, TGraphicControl)
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* GetPicture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  bool GetStretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool GetCenter() const { return FCenter; }
  void SetCenter(bool Value);
  bool GetProportional() const { return FProportional; }
  void SetProportional(bool Value);
  // The picture's transparent colour shows what is under the image.
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // Where the picture is drawn, in the control's coordinates.
  TRect DestRect();

 protected:
  void Paint() override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;

 private:
  void PictureChanged();

  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FCenter = false;
  bool FProportional = false;
  bool FTransparent = false;
};

// A group box of radio buttons, one per item, in Columns columns. ItemIndex is the checked
// one (-1: none); it changes by a click or in code, and OnClick then fires (not while the
// form is read).
class TCustomRadioGroup : public TCustomGroupBox {
  HX_CLASS(TCustomRadioGroup, TCustomGroupBox)
 public:
  explicit TCustomRadioGroup(TComponent* AOwner);
  ~TCustomRadioGroup() override;

  TStrings* GetItems() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  int GetItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  int GetColumns() const { return FColumns; }
  void SetColumns(int Value);  // 1..16
  // The radio button of an item (nullptr out of range).
  TRadioButton* Buttons(int Index) const;

  // The buttons are the group's own, never streamed.
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

 protected:
  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;

 private:
  void UpdateButtons();
  void ArrangeButtons();
  void ButtonClick(TObject* Sender);

  std::unique_ptr<TStringList> FItems;
  std::vector<TRadioButton*> FButtons;
  int FItemIndex = -1;
  int FColumns = 1;
  bool FUpdating = false;
};

class TRadioGroup : public TCustomRadioGroup {
  HX_CLASS(TRadioGroup, TCustomRadioGroup)
 public:
  using TCustomRadioGroup::TCustomRadioGroup;
};
