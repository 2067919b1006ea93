#pragma once
// The kit's graphics objects: the small persistent sub-objects through which its controls
// describe borders, fills and caption effects. TKitBevel (a frame), TKitGradient (a colour
// ramp), TKit3DCaption and TKitFxCaption (raised, sunken, shadowed and turned text),
// TKitShapeFill and TKitFillObject (how an area is filled) and TKitShadow (a shape's drop
// shadow). Each is a TKitObject: a setter stores only a changed value (values outside a
// property's range are refused and the old one kept) and calls Change, which the owning
// control hears through OnChange; Assign from the same class copies every published value
// and ends with one Change. The drawing is done by kitdraw.h. Windows only.
#include <cstdint>
#include <vector>

#include "classlib/windows/pictures.h"
#include "controls/kitbase.h"
#include "controls/kittypes.h"

class TKitBevel : public TKitObject {
  HX_CLASS(TKitBevel, TKitObject)
 public:
  TKitBevel() = default;

  TKitBevelStyle GetStyleInner() const { return FStyleInner; }
  void SetStyleInner(TKitBevelStyle Value);
  TKitBevelStyle GetStyleOuter() const { return FStyleOuter; }
  void SetStyleOuter(TKitBevelStyle Value);
  int GetWidthInner() const { return FWidthInner; }  // 0..50
  void SetWidthInner(int Value);
  int GetWidthOuter() const { return FWidthOuter; }  // 0..50
  void SetWidthOuter(int Value);
  TColor GetBorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor Value);
  TKitFrameSides GetBorderSides() const { return FBorderSides; }
  void SetBorderSides(TKitFrameSides Value);
  int GetBorderWidth() const { return FBorderWidth; }  // 0..255
  void SetBorderWidth(int Value);
  int GetBorderInnerWidth() const { return FBorderInnerWidth; }  // 0..255
  void SetBorderInnerWidth(int Value);
  TKitEdgeStyle GetEdgeStyle() const { return FEdgeStyle; }
  void SetEdgeStyle(TKitEdgeStyle Value);
  TColor GetLightColor() const { return FLightColor; }
  void SetLightColor(TColor Value);
  TKitBevelMode GetMode() const { return FMode; }
  void SetMode(TKitBevelMode Value);
  TColor GetShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor Value);
  // Notifies only while Mode is bmStandard.
  TKitBorderStyle GetStandardStyle() const { return FStandardStyle; }
  void SetStandardStyle(TKitBorderStyle Value);

  // Set by an owning windowed control that can take the system's border itself (bmWindows
  // then draws nothing).
  bool GetWindowBorderAllowed() const { return FWindowBorderAllowed; }
  void SetWindowBorderAllowed(bool Value) { FWindowBorderAllowed = Value; }

  // Pixels the bevel takes from each side, computed when asked (so it follows the
  // window-border flag). With bmCustom and StyleOuter bvShadow the shadow frame takes
  // WidthInner + BorderInnerWidth at the left and top and WidthOuter more at the right and
  // bottom (ShadowExtend).
  int BevelExtend() const;
  int ShadowExtend() const;
  // Rect less what the bevel takes: the inner rectangle PaintBevel leaves.
  TRect GetClientRect(const TRect& Rect) const;
  // Paints the bevel in Rect; Inner gets GetClientRect(Rect). With Transparent the rings of
  // BorderColor are left unpainted.
  void PaintBevel(TCanvas* Canvas, const TRect& Rect, TRect& Inner, bool Transparent) const;
  // True once after Mode went to or from bmWindows while the window border is allowed, and
  // always in bmWindows with it allowed: the owner then recreates its window.
  bool TakeFrameChanged();

  void Assign(TPersistent* Source) override;

 private:
  TKitBevelStyle FStyleInner = TKitBevelStyle::bvNone;
  TKitBevelStyle FStyleOuter = TKitBevelStyle::bvNone;
  int FWidthInner = 1;
  int FWidthOuter = 1;
  TColor FBorderColor = clBtnFace;
  TKitFrameSides FBorderSides = KitAllFrameSides;
  int FBorderWidth = 0;
  int FBorderInnerWidth = 0;
  TKitEdgeStyle FEdgeStyle = TKitEdgeStyle::etEtched;
  TColor FLightColor = clBtnHighlight;
  TKitBevelMode FMode = TKitBevelMode::bmCustom;
  TColor FShadowColor = clBtnShadow;
  TKitBorderStyle FStandardStyle = TKitBorderStyle::lsSingleLowered;
  bool FWindowBorderAllowed = false;
  bool FFrameChanged = false;
};

// A colour ramp from Color to EndColor in ColorCount colours (and, with PaletteRealize, a
// palette of them), made again at every Change.
class TKitGradient : public TKitObject {
  HX_CLASS(TKitGradient, TKitObject)
 public:
  TKitGradient();
  ~TKitGradient() override;

  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  int GetColorCount() const { return FColorCount; }  // 2..236
  void SetColorCount(int Value);
  TKitGradientStyle GetStyle() const { return FStyle; }
  void SetStyle(TKitGradientStyle Value);
  TColor GetEndColor() const { return FEndColor; }
  void SetEndColor(TColor Value);
  bool GetPaletteRealize() const { return FPaletteRealize; }
  void SetPaletteRealize(bool Value);

  // The ramp (RGB values) and its palette (nullptr without PaletteRealize); owned.
  const std::vector<std::uint32_t>& Colors() const { return FColors; }
  HPALETTE Palette() const { return FPalette; }

  void Change() override;
  void Assign(TPersistent* Source) override;

 private:
  void Recompute();
  TColor FColor = clBlue;
  int FColorCount = 16;
  TKitGradientStyle FStyle = TKitGradientStyle::gstVertical;
  TColor FEndColor = clBlack;
  bool FPaletteRealize = false;
  std::vector<std::uint32_t> FColors;
  HPALETTE FPalette = nullptr;
};

class TKit3DCaption : public TKitObject {
  HX_CLASS(TKit3DCaption, TKitObject)
 public:
  TKit3DCaption() = default;

  TKitDisabledStyle GetDisabledStyle() const { return FDisabledStyle; }
  void SetDisabledStyle(TKitDisabledStyle Value);
  std::uint8_t GetLightDepth() const { return FLightDepth; }
  void SetLightDepth(std::uint8_t Value);
  std::uint8_t GetShadowDepth() const { return FShadowDepth; }
  void SetShadowDepth(std::uint8_t Value);
  TColor GetLightColor() const { return FLightColor; }
  void SetLightColor(TColor Value);
  TColor GetShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor Value);
  TKitThreeDStyle GetStyle() const { return FStyle; }
  void SetStyle(TKitThreeDStyle Value);
  // Extra pixels between characters.
  int GetTracing() const { return FTracing; }
  void SetTracing(int Value);

  void Assign(TPersistent* Source) override;

 private:
  TKitDisabledStyle FDisabledStyle = TKitDisabledStyle::dsAuto;
  std::uint8_t FLightDepth = 1;
  std::uint8_t FShadowDepth = 1;
  TColor FLightColor = clBtnHighlight;
  TColor FShadowColor = clBtnShadow;
  TKitThreeDStyle FStyle = TKitThreeDStyle::tdNone;
  int FTracing = 0;
};

// A caption that may be turned by Angle degrees; PosX and PosY place it in its rectangle
// (CalcTextRect sets them for turned text).
class TKitFxCaption : public TKit3DCaption {
  HX_CLASS(TKitFxCaption, TKit3DCaption)
 public:
  TKitFxCaption() = default;

  int GetAngle() const { return FAngle; }
  void SetAngle(int Value);  // 0..360; 360 is kept as 0
  int GetPosX() const { return FPosX; }
  void SetPosX(int Value);  // 0..65535
  int GetPosY() const { return FPosY; }
  void SetPosY(int Value);
  // Sets both without telling the owner.
  void SetPos(int X, int Y);

  void Assign(TPersistent* Source) override;

 private:
  int FAngle = 0;
  int FPosX = 0;
  int FPosY = 0;
};

class TKitShapeFill : public TKitObject {
  HX_CLASS(TKitShapeFill, TKitObject)
 public:
  TKitShapeFill();
  ~TKitShapeFill() override;

  // Owned; setting assigns into it; its changes notify.
  TBitmap* GetBitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* Value) { FBitmap->Assign(Value); }
  TKitFillStyle GetStyle() const { return FStyle; }
  void SetStyle(TKitFillStyle Value);
  TKitGradient* GetGradient() const { return FGradient; }
  void SetGradient(TKitGradient* Value) { FGradient->Assign(Value); }
  TKitTileMode GetTileMode() const { return FTileMode; }
  void SetTileMode(TKitTileMode Value);
  // The picture of sfBitmapList, filled by an owner that knows image lists.
  TBitmap* ListBitmap() const { return FListBitmap; }

  // True for sfNone, and for the picture styles when their picture is empty.
  bool IsEmpty() const;

  void Assign(TPersistent* Source) override;

 protected:
  explicit TKitShapeFill(TKitFillStyle InitialStyle);

 private:
  TBitmap* FBitmap;
  TBitmap* FListBitmap;
  TKitGradient* FGradient;
  TKitFillStyle FStyle;
  TKitTileMode FTileMode = TKitTileMode::tmTile;
};

class TKitFillObject : public TKitShapeFill {
  HX_CLASS(TKitFillObject, TKitShapeFill)
 public:
  TKitFillObject();
  ~TKitFillObject() override;

  // Alignment and the offsets notify only while a picture style is drawn untiled (tmNone).
  TKitAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TKitAlignment Value);
  TBrush* GetBrush() const { return FBrush; }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  int GetOffsetX() const { return FOffsetX; }
  void SetOffsetX(int Value);
  int GetOffsetY() const { return FOffsetY; }
  void SetOffsetY(int Value);
  TKitFillOptions GetOptions() const { return FOptions; }
  void SetOptions(TKitFillOptions Value);

  void Assign(TPersistent* Source) override;

 private:
  bool PlacementShown() const;
  TKitAlignment FAlignment = TKitAlignment::agTopLeft;
  TBrush* FBrush;
  int FOffsetX = 0;
  int FOffsetY = 0;
  TKitFillOptions FOptions{TKitFillOption::foFillInner, TKitFillOption::foGrUseBitmap};
};

class TKitShadow : public TKitObject {
  HX_CLASS(TKitShadow, TKitObject)
 public:
  TKitShadow() = default;

  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  int GetDepth() const { return FDepth; }  // 0..40
  void SetDepth(int Value);
  TKitShadowStyle GetStyle() const { return FStyle; }
  void SetStyle(TKitShadowStyle Value);

  void Assign(TPersistent* Source) override;

 private:
  TColor FColor = clBtnShadow;
  int FDepth = 6;
  TKitShadowStyle FStyle = TKitShadowStyle::hssSolid;
};

// Fills Rect of Canvas as Fill says; BackColor is the background (foFillInner, the empty
// picture styles and hatch brushes). False when nothing was painted from the style
// (sfNone, an empty picture).
bool FillObjectRect(TKitFillObject* Fill, TCanvas* Canvas, const TRect& Rect, TColor BackColor);
