#include "controls/kitgraphics.h"

#include "controls/kitdraw.h"
#include "controls/kitgeometry.h"

HX_PUBLISH(TKitBevel, p) {
  p.Property("BorderColor", &TKitBevel::GetBorderColor, &TKitBevel::SetBorderColor).Default(clBtnFace);
  p.Property("BorderSides", &TKitBevel::GetBorderSides, &TKitBevel::SetBorderSides).Default(KitAllFrameSides);
  p.Property("BorderWidth", &TKitBevel::GetBorderWidth, &TKitBevel::SetBorderWidth).Default(0);
  p.Property("BorderInnerWidth", &TKitBevel::GetBorderInnerWidth, &TKitBevel::SetBorderInnerWidth).Default(0);
  p.Property("EdgeStyle", &TKitBevel::GetEdgeStyle, &TKitBevel::SetEdgeStyle).Default(TKitEdgeStyle::etEtched);
  p.Property("LightColor", &TKitBevel::GetLightColor, &TKitBevel::SetLightColor).Default(clBtnHighlight);
  p.Property("Mode", &TKitBevel::GetMode, &TKitBevel::SetMode);
  p.Property("ShadowColor", &TKitBevel::GetShadowColor, &TKitBevel::SetShadowColor).Default(clBtnShadow);
  p.Property("StandardStyle", &TKitBevel::GetStandardStyle, &TKitBevel::SetStandardStyle);
  p.Property("StyleInner", &TKitBevel::GetStyleInner, &TKitBevel::SetStyleInner).Default(TKitBevelStyle::bvNone);
  p.Property("StyleOuter", &TKitBevel::GetStyleOuter, &TKitBevel::SetStyleOuter).Default(TKitBevelStyle::bvNone);
  p.Property("WidthInner", &TKitBevel::GetWidthInner, &TKitBevel::SetWidthInner).Default(1);
  p.Property("WidthOuter", &TKitBevel::GetWidthOuter, &TKitBevel::SetWidthOuter).Default(1);
}

HX_PUBLISH(TKitGradient, p) {
  p.Property("Color", &TKitGradient::GetColor, &TKitGradient::SetColor).Default(clBlue);
  p.Property("ColorCount", &TKitGradient::GetColorCount, &TKitGradient::SetColorCount).Default(16);
  p.Property("Style", &TKitGradient::GetStyle, &TKitGradient::SetStyle).Default(TKitGradientStyle::gstVertical);
  p.Property("EndColor", &TKitGradient::GetEndColor, &TKitGradient::SetEndColor).Default(clBlack);
  p.Property("PaletteRealize", &TKitGradient::GetPaletteRealize, &TKitGradient::SetPaletteRealize).Default(false);
}

HX_PUBLISH(TKit3DCaption, p) {
  p.Property("DisabledStyle", &TKit3DCaption::GetDisabledStyle, &TKit3DCaption::SetDisabledStyle)
      .Default(TKitDisabledStyle::dsAuto);
  p.Property("LightDepth", &TKit3DCaption::GetLightDepth, &TKit3DCaption::SetLightDepth).Default(1);
  p.Property("LightColor", &TKit3DCaption::GetLightColor, &TKit3DCaption::SetLightColor).Default(clBtnHighlight);
  p.Property("ShadowDepth", &TKit3DCaption::GetShadowDepth, &TKit3DCaption::SetShadowDepth).Default(1);
  p.Property("ShadowColor", &TKit3DCaption::GetShadowColor, &TKit3DCaption::SetShadowColor).Default(clBtnShadow);
  p.Property("Style", &TKit3DCaption::GetStyle, &TKit3DCaption::SetStyle).Default(TKitThreeDStyle::tdNone);
  p.Property("Tracing", &TKit3DCaption::GetTracing, &TKit3DCaption::SetTracing).Default(0);
}

HX_PUBLISH(TKitFxCaption, p) {
  p.Property("Angle", &TKitFxCaption::GetAngle, &TKitFxCaption::SetAngle).Default(0);
  p.Property("PosX", &TKitFxCaption::GetPosX, &TKitFxCaption::SetPosX).Default(0);
  p.Property("PosY", &TKitFxCaption::GetPosY, &TKitFxCaption::SetPosY).Default(0);
}

HX_PUBLISH(TKitShapeFill, p) {
  p.Property("Bitmap", &TKitShapeFill::GetBitmap, &TKitShapeFill::SetBitmap);
  p.Property("Style", &TKitShapeFill::GetStyle, &TKitShapeFill::SetStyle);
  p.Property("Gradient", &TKitShapeFill::GetGradient, &TKitShapeFill::SetGradient);
  p.Property("TileMode", &TKitShapeFill::GetTileMode, &TKitShapeFill::SetTileMode).Default(TKitTileMode::tmTile);
}

HX_PUBLISH(TKitFillObject, p) {
  p.Property("Alignment", &TKitFillObject::GetAlignment, &TKitFillObject::SetAlignment)
      .Default(TKitAlignment::agTopLeft);
  p.Property("Brush", &TKitFillObject::GetBrush, &TKitFillObject::SetBrush);
  p.Property("OffsetX", &TKitFillObject::GetOffsetX, &TKitFillObject::SetOffsetX).Default(0);
  p.Property("OffsetY", &TKitFillObject::GetOffsetY, &TKitFillObject::SetOffsetY).Default(0);
  p.Property("Options", &TKitFillObject::GetOptions, &TKitFillObject::SetOptions)
      .Default(TKitFillOptions{TKitFillOption::foFillInner, TKitFillOption::foGrUseBitmap});
}

HX_PUBLISH(TKitShadow, p) {
  p.Property("Color", &TKitShadow::GetColor, &TKitShadow::SetColor).Default(clBtnShadow);
  p.Property("Depth", &TKitShadow::GetDepth, &TKitShadow::SetDepth).Default(6);
  p.Property("Style", &TKitShadow::GetStyle, &TKitShadow::SetStyle).Default(TKitShadowStyle::hssSolid);
}

namespace {

bool InRange(int Value, int Low, int High) { return Value >= Low && Value <= High; }

}  // namespace

// ---- TKitBevel ----

void TKitBevel::SetStyleInner(TKitBevelStyle Value) {
  if (KitStore(FStyleInner, Value)) Change();
}
void TKitBevel::SetStyleOuter(TKitBevelStyle Value) {
  if (KitStore(FStyleOuter, Value)) Change();
}
void TKitBevel::SetWidthInner(int Value) {
  if (InRange(Value, 0, kKitMaxBevelWidth) && KitStore(FWidthInner, Value)) Change();
}
void TKitBevel::SetWidthOuter(int Value) {
  if (InRange(Value, 0, kKitMaxBevelWidth) && KitStore(FWidthOuter, Value)) Change();
}
void TKitBevel::SetBorderColor(TColor Value) {
  if (KitStore(FBorderColor, Value)) Change();
}
void TKitBevel::SetBorderSides(TKitFrameSides Value) {
  if (KitStore(FBorderSides, Value)) Change();
}
void TKitBevel::SetBorderWidth(int Value) {
  if (InRange(Value, 0, kKitMaxBorderWidth) && KitStore(FBorderWidth, Value)) Change();
}
void TKitBevel::SetBorderInnerWidth(int Value) {
  if (InRange(Value, 0, kKitMaxBorderWidth) && KitStore(FBorderInnerWidth, Value)) Change();
}
void TKitBevel::SetEdgeStyle(TKitEdgeStyle Value) {
  if (KitStore(FEdgeStyle, Value)) Change();
}
void TKitBevel::SetLightColor(TColor Value) {
  if (KitStore(FLightColor, Value)) Change();
}
void TKitBevel::SetShadowColor(TColor Value) {
  if (KitStore(FShadowColor, Value)) Change();
}

void TKitBevel::SetMode(TKitBevelMode Value) {
  TKitBevelMode old = FMode;
  if (!KitStore(FMode, Value)) return;
  if (FWindowBorderAllowed && (old == TKitBevelMode::bmWindows || Value == TKitBevelMode::bmWindows))
    FFrameChanged = true;
  Change();
}

void TKitBevel::SetStandardStyle(TKitBorderStyle Value) {
  if (KitStore(FStandardStyle, Value) && FMode == TKitBevelMode::bmStandard) Change();
}

namespace {

int StyleWidth(TKitBevelStyle Style, int Width) {
  if (Style == TKitBevelStyle::bvNone) return 0;
  bool frame = Style == TKitBevelStyle::bvFrameLowered || Style == TKitBevelStyle::bvFrameRaised;
  return Width + (frame ? 1 : 0);
}

}  // namespace

int TKitBevel::BevelExtend() const {
  switch (FMode) {
    case TKitBevelMode::bmCustom:
      if (FStyleOuter == TKitBevelStyle::bvShadow) return FWidthInner + FBorderInnerWidth;
      return FBorderWidth + FBorderInnerWidth + StyleWidth(FStyleOuter, FWidthOuter) +
             StyleWidth(FStyleInner, FWidthInner);
    case TKitBevelMode::bmStandard: return BorderWidthOf(FStandardStyle) + FBorderInnerWidth;
    case TKitBevelMode::bmEdge: return (FBorderSides.Empty() ? 0 : 2) + FBorderInnerWidth;
    case TKitBevelMode::bmWindows: return FWindowBorderAllowed ? 0 : FBorderInnerWidth + 2;
  }
  return 0;
}

int TKitBevel::ShadowExtend() const {
  if (FMode == TKitBevelMode::bmCustom && FStyleOuter == TKitBevelStyle::bvShadow)
    return FWidthInner + FWidthOuter + FBorderInnerWidth;
  return BevelExtend();
}

TRect TKitBevel::GetClientRect(const TRect& Rect) const {
  if (FMode == TKitBevelMode::bmCustom && FStyleOuter == TKitBevelStyle::bvShadow) {
    int nearSide = FWidthInner + FBorderInnerWidth, farSide = nearSide + FWidthOuter;
    return {Rect.Left + nearSide, Rect.Top + nearSide, Rect.Right - farSide, Rect.Bottom - farSide};
  }
  int e = BevelExtend();
  return InflateRect(Rect, -e, -e);
}

void TKitBevel::PaintBevel(TCanvas* Canvas, const TRect& Rect, TRect& Inner, bool Transparent) const {
  Inner = GetClientRect(Rect);
  if (BevelExtend() == 0) return;
  TRect r = Rect;
  switch (FMode) {
    case TKitBevelMode::bmCustom:
      if (FStyleOuter == TKitBevelStyle::bvShadow) {
        DrawShadowFrame(Canvas, r, FLightColor, Transparent, FWidthInner, FWidthOuter, FBorderColor, FShadowColor);
      } else {
        DrawBevelStyle(Canvas, r, FStyleOuter, FWidthOuter, FShadowColor, FLightColor);
        DrawFrameRing(Canvas, r, FBorderWidth, FBorderColor, Transparent);
        DrawBevelStyle(Canvas, r, FStyleInner, FWidthInner, FShadowColor, FLightColor);
      }
      break;
    case TKitBevelMode::bmStandard: DrawStandardBorder(Canvas, r, FStandardStyle); break;
    case TKitBevelMode::bmEdge:
      if (!FBorderSides.Empty()) {
        static const UINT edges[] = {BDR_RAISEDINNER, BDR_RAISEDOUTER, BDR_SUNKENINNER, BDR_SUNKENOUTER,
                                     EDGE_BUMP,       EDGE_ETCHED,     EDGE_RAISED,     EDGE_SUNKEN};
        UINT flags = 0;
        if (FBorderSides.Contains(TKitFrameSide::fsLeft)) flags |= BF_LEFT;
        if (FBorderSides.Contains(TKitFrameSide::fsTop)) flags |= BF_TOP;
        if (FBorderSides.Contains(TKitFrameSide::fsRight)) flags |= BF_RIGHT;
        if (FBorderSides.Contains(TKitFrameSide::fsBottom)) flags |= BF_BOTTOM;
        TKitDCState state(Canvas->GetHandle());
        RECT edge{r.Left, r.Top, r.Right, r.Bottom};
        DrawEdge(state.DC(), &edge, edges[static_cast<int>(FEdgeStyle)], flags);
      }
      break;
    case TKitBevelMode::bmWindows: DrawStandardBorder(Canvas, r, TKitBorderStyle::lsLoweredExt); break;
  }
  // The inner ring lies just outside what is left over.
  TRect ring = InflateRect(Inner, FBorderInnerWidth, FBorderInnerWidth);
  DrawFrameRing(Canvas, ring, FBorderInnerWidth, FBorderColor, Transparent);
}

bool TKitBevel::TakeFrameChanged() {
  bool changed = FFrameChanged || (FMode == TKitBevelMode::bmWindows && FWindowBorderAllowed);
  FFrameChanged = false;
  return changed;
}

void TKitBevel::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TKitBevel*>(Source);
  if (!s) return inherited::Assign(Source);
  BeginUpdate();
  FStyleInner = s->FStyleInner;
  FStyleOuter = s->FStyleOuter;
  FWidthInner = s->FWidthInner;
  FWidthOuter = s->FWidthOuter;
  FBorderColor = s->FBorderColor;
  FBorderSides = s->FBorderSides;
  FBorderWidth = s->FBorderWidth;
  FBorderInnerWidth = s->FBorderInnerWidth;
  FEdgeStyle = s->FEdgeStyle;
  FLightColor = s->FLightColor;
  FShadowColor = s->FShadowColor;
  FStandardStyle = s->FStandardStyle;
  SetMode(s->FMode);
  EndUpdate(true);
}

// ---- TKitGradient ----

TKitGradient::TKitGradient() { Recompute(); }

TKitGradient::~TKitGradient() {
  if (FPalette) DeleteObject(FPalette);
}

void TKitGradient::SetColor(TColor Value) {
  if (KitStore(FColor, Value)) Change();
}
void TKitGradient::SetColorCount(int Value) {
  if (InRange(Value, kKitMinColorCount, kKitMaxColorCount) && KitStore(FColorCount, Value)) Change();
}
void TKitGradient::SetStyle(TKitGradientStyle Value) {
  if (KitStore(FStyle, Value)) Change();
}
void TKitGradient::SetEndColor(TColor Value) {
  if (KitStore(FEndColor, Value)) Change();
}
void TKitGradient::SetPaletteRealize(bool Value) {
  if (KitStore(FPaletteRealize, Value)) Change();
}

void TKitGradient::Recompute() {
  if (FPalette) DeleteObject(FPalette);
  FPalette = nullptr;
  CalcGradientColors(FColor, FEndColor, FColorCount, FColors);
  if (FPaletteRealize) FPalette = CreateGradientPalette(FColors);
}

void TKitGradient::Change() {
  Recompute();
  inherited::Change();
}

void TKitGradient::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TKitGradient*>(Source);
  if (!s) return inherited::Assign(Source);
  BeginUpdate();
  FColor = s->FColor;
  FColorCount = s->FColorCount;
  FStyle = s->FStyle;
  FEndColor = s->FEndColor;
  FPaletteRealize = s->FPaletteRealize;
  EndUpdate(true);
}

// ---- TKit3DCaption, TKitFxCaption ----

void TKit3DCaption::SetDisabledStyle(TKitDisabledStyle Value) {
  if (KitStore(FDisabledStyle, Value)) Change();
}
void TKit3DCaption::SetLightDepth(std::uint8_t Value) {
  if (KitStore(FLightDepth, Value)) Change();
}
void TKit3DCaption::SetShadowDepth(std::uint8_t Value) {
  if (KitStore(FShadowDepth, Value)) Change();
}
void TKit3DCaption::SetLightColor(TColor Value) {
  if (KitStore(FLightColor, Value)) Change();
}
void TKit3DCaption::SetShadowColor(TColor Value) {
  if (KitStore(FShadowColor, Value)) Change();
}
void TKit3DCaption::SetStyle(TKitThreeDStyle Value) {
  if (KitStore(FStyle, Value)) Change();
}
void TKit3DCaption::SetTracing(int Value) {
  if (KitStore(FTracing, Value)) Change();
}

void TKit3DCaption::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TKit3DCaption*>(Source);
  if (!s) return inherited::Assign(Source);
  BeginUpdate();
  FDisabledStyle = s->FDisabledStyle;
  FLightDepth = s->FLightDepth;
  FShadowDepth = s->FShadowDepth;
  FLightColor = s->FLightColor;
  FShadowColor = s->FShadowColor;
  FStyle = s->FStyle;
  FTracing = s->FTracing;
  EndUpdate(true);
}

void TKitFxCaption::SetAngle(int Value) {
  if (!InRange(Value, 0, kKitMaxAngle)) return;
  if (Value == kKitMaxAngle) Value = 0;
  if (KitStore(FAngle, Value)) Change();
}
void TKitFxCaption::SetPosX(int Value) {
  if (InRange(Value, 0, 0xFFFF) && KitStore(FPosX, Value)) Change();
}
void TKitFxCaption::SetPosY(int Value) {
  if (InRange(Value, 0, 0xFFFF) && KitStore(FPosY, Value)) Change();
}

void TKitFxCaption::SetPos(int X, int Y) {
  BeginUpdate();
  SetPosX(X);
  SetPosY(Y);
  EndUpdate(false);
}

void TKitFxCaption::Assign(TPersistent* Source) {
  BeginUpdate();
  inherited::Assign(Source);
  if (auto* s = dynamic_cast<TKitFxCaption*>(Source)) {
    FAngle = s->FAngle;
    FPosX = s->FPosX;
    FPosY = s->FPosY;
  }
  EndUpdate(true);
}

// ---- TKitShapeFill, TKitFillObject ----

TKitShapeFill::TKitShapeFill() : TKitShapeFill(TKitFillStyle::sfBrush) {}

TKitShapeFill::TKitShapeFill(TKitFillStyle InitialStyle)
    : FBitmap(new TBitmap), FListBitmap(new TBitmap), FGradient(new TKitGradient), FStyle(InitialStyle) {
  FBitmap->OnChange = [this](TObject*) { Change(); };
  FGradient->OnChange = [this](TObject*) { Change(); };
}

TKitShapeFill::~TKitShapeFill() {
  delete FGradient;
  delete FListBitmap;
  delete FBitmap;
}

void TKitShapeFill::SetStyle(TKitFillStyle Value) {
  if (KitStore(FStyle, Value)) Change();
}
void TKitShapeFill::SetTileMode(TKitTileMode Value) {
  if (KitStore(FTileMode, Value)) Change();
}

bool TKitShapeFill::IsEmpty() const {
  switch (FStyle) {
    case TKitFillStyle::sfNone: return true;
    case TKitFillStyle::sfBitmap: return FBitmap->Empty();
    case TKitFillStyle::sfBitmapList: return FListBitmap->Empty();
    default: return false;
  }
}

void TKitShapeFill::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TKitShapeFill*>(Source);
  if (!s) return inherited::Assign(Source);
  BeginUpdate();
  FBitmap->Assign(s->FBitmap);
  FListBitmap->Assign(s->FListBitmap);
  FGradient->Assign(s->FGradient);
  FStyle = s->FStyle;
  FTileMode = s->FTileMode;
  EndUpdate(true);
}

TKitFillObject::TKitFillObject() : TKitShapeFill(TKitFillStyle::sfNone), FBrush(new TBrush) {
  FBrush->OnChange = [this](TObject*) { Change(); };
}

TKitFillObject::~TKitFillObject() { delete FBrush; }

bool TKitFillObject::PlacementShown() const {
  return (GetStyle() == TKitFillStyle::sfBitmap || GetStyle() == TKitFillStyle::sfBitmapList) &&
         GetTileMode() == TKitTileMode::tmNone;
}

void TKitFillObject::SetAlignment(TKitAlignment Value) {
  if (KitStore(FAlignment, Value) && PlacementShown()) Change();
}
void TKitFillObject::SetOffsetX(int Value) {
  if (KitStore(FOffsetX, Value) && PlacementShown()) Change();
}
void TKitFillObject::SetOffsetY(int Value) {
  if (KitStore(FOffsetY, Value) && PlacementShown()) Change();
}
void TKitFillObject::SetOptions(TKitFillOptions Value) {
  if (KitStore(FOptions, Value)) Change();
}

void TKitFillObject::Assign(TPersistent* Source) {
  BeginUpdate();
  inherited::Assign(Source);
  if (auto* s = dynamic_cast<TKitFillObject*>(Source)) {
    FAlignment = s->FAlignment;
    FBrush->Assign(s->FBrush);
    FOffsetX = s->FOffsetX;
    FOffsetY = s->FOffsetY;
    FOptions = s->FOptions;
  }
  EndUpdate(true);
}

// ---- TKitShadow ----

void TKitShadow::SetColor(TColor Value) {
  if (KitStore(FColor, Value)) Change();
}
void TKitShadow::SetDepth(int Value) {
  if (InRange(Value, 0, kKitMaxShadowDepth) && KitStore(FDepth, Value)) Change();
}
void TKitShadow::SetStyle(TKitShadowStyle Value) {
  if (KitStore(FStyle, Value)) Change();
}

void TKitShadow::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TKitShadow*>(Source);
  if (!s) return inherited::Assign(Source);
  BeginUpdate();
  FColor = s->FColor;
  FDepth = s->FDepth;
  FStyle = s->FStyle;
  EndUpdate(true);
}

// ---- Filling ----

bool FillObjectRect(TKitFillObject* Fill, TCanvas* Canvas, const TRect& Rect, TColor BackColor) {
  TKitDCState state(Canvas->GetHandle());
  HDC dc = state.DC();
  RECT r{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
  auto fillBackground = [&] {
    if (!Fill->GetOptions().Contains(TKitFillOption::foFillInner)) return;
    SetDCBrushColor(dc, ColorToRGB(BackColor));
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  };
  switch (Fill->GetStyle()) {
    case TKitFillStyle::sfNone: return false;
    case TKitFillStyle::sfBrushBitmap:
      if (!Fill->GetBitmap()->Empty()) {
        HBITMAP pattern = Fill->GetBitmap()->GetHandle();
        Fill->GetBitmap()->FreeContext();
        FillRect(dc, &r, state.Own(CreatePatternBrush(pattern)));
      } else {
        FillRect(dc, &r, Canvas->GetBrush()->GetHandle());
      }
      return true;
    case TKitFillStyle::sfBrush:
      if (Fill->GetBrush()->GetStyle() != bsSolid) {
        SetBkColor(dc, ColorToRGB(BackColor));
        SetBkMode(dc, OPAQUE);
      }
      FillRect(dc, &r, Fill->GetBrush()->GetHandle());
      return true;
    case TKitFillStyle::sfBitmap:
    case TKitFillStyle::sfBitmapList: {
      TBitmap* picture = Fill->GetStyle() == TKitFillStyle::sfBitmap ? Fill->GetBitmap() : Fill->ListBitmap();
      if (picture->Empty()) {
        fillBackground();
        return false;
      }
      TKitDrawFlags flags = Fill->GetOptions().Contains(TKitFillOption::foQuickDraw) ? 0 : kdfPalette;
      switch (Fill->GetTileMode()) {
        case TKitTileMode::tmNone: {
          fillBackground();
          TRect place;
          PlaceRect(Fill->GetAlignment(), Bounds(0, 0, picture->GetWidth(), picture->GetHeight()), Rect, place);
          place = OffsetRect(place, Fill->GetOffsetX(), Fill->GetOffsetY());
          state.Clip(Rect);
          DrawBitmapCore(Canvas, place, picture, nullptr, clNone, flags);
          break;
        }
        case TKitTileMode::tmCenter:
          fillBackground();
          DrawBitmapCore(Canvas, Rect, picture, nullptr, clNone, flags | kdfCenter);
          break;
        case TKitTileMode::tmStretch: DrawBitmapCore(Canvas, Rect, picture, nullptr, clNone, flags | kdfStretch); break;
        case TKitTileMode::tmTile: DrawBitmapCore(Canvas, Rect, picture, nullptr, clNone, flags | kdfTile); break;
      }
      return true;
    }
    case TKitFillStyle::sfGradient: {
      TKitGradient* g = Fill->GetGradient();
      TKitDrawFlags flags = 0;
      if (Fill->GetOptions().Contains(TKitFillOption::foGrUseBitmap)) flags |= kdfGrUseBitmap;
      if (g->GetPaletteRealize()) flags |= kdfPalette;
      GradientFill(Canvas, Rect, g->GetStyle(), {0, 0}, flags, g->Palette(), g->Colors());
      return true;
    }
  }
  return false;
}
