#include "controls/frmeter.h"

#include <string>

#include "controls/frdraw.h"
#include "controls/kitbase.h"

namespace {
// The published members both controls share, beside their own.
template <class C>
void PublishCommon(::classlib::TPublisher<C>& p) {
  p.Property("Align", &C::GetAlign, &C::SetAlign).Default(alNone);
  p.Property("Color", &C::GetColor, &C::SetColor).Stored(&C::IsColorStored);
  p.Property("Enabled", &C::GetEnabled, &C::SetEnabled).Default(true);
  p.Property("Font", &C::GetFont, &C::SetFont).Stored(&C::IsFontStored);
  p.Property("ParentColor", &C::GetParentColor, &C::SetParentColor).Default(true);
  p.Property("ParentFont", &C::GetParentFont, &C::SetParentFont).Default(true);
  p.Property("ParentShowHint", &C::GetParentShowHint, &C::SetParentShowHint).Default(true);
  p.Property("PopupMenu", &C::GetPopupMenu, &C::SetPopupMenu);
  p.Property("ShowHint", &C::GetShowHint, &C::SetShowHint).Default(false);
  p.Property("Visible", &C::GetVisible, &C::SetVisible).Default(true);
  p.Event("OnClick", &C::OnClick);
  p.Event("OnDblClick", &C::OnDblClick);
  p.Event("OnMouseDown", &C::OnMouseDown);
  p.Event("OnMouseEnter", &C::OnMouseEnter);
  p.Event("OnMouseLeave", &C::OnMouseLeave);
  p.Event("OnMouseMove", &C::OnMouseMove);
  p.Event("OnMouseUp", &C::OnMouseUp);
}
}  // namespace

HX_PUBLISH(TFrBorder, p) {
  PublishCommon(p);
  p.Property("BevelWidth", &TFrBorder::GetBevelWidth, &TFrBorder::SetBevelWidth).Default(1);
  p.Property("BorderColor", &TFrBorder::GetBorderColor, &TFrBorder::SetBorderColor).Default(clBtnFace);
  p.Property("BorderInner", &TFrBorder::GetBorderInner, &TFrBorder::SetBorderInner).Default(TFrameStyle::fsNone);
  p.Property("BorderOuter", &TFrBorder::GetBorderOuter, &TFrBorder::SetBorderOuter).Default(TFrameStyle::fsGroove);
  p.Property("BorderSides", &TFrBorder::GetBorderSides, &TFrBorder::SetBorderSides).Default(AllSides);
  p.Property("BorderWidth", &TFrBorder::GetBorderWidth, &TFrBorder::SetBorderWidth).Default(0);
  p.Property("FlatColor", &TFrBorder::GetFlatColor, &TFrBorder::SetFlatColor).Default(clBlack);
}

HX_PUBLISH(TFrMeter, p) {
  p.Property("BorderOuter", &TFrMeter::GetBorderOuter, &TFrMeter::SetBorderOuter).Default(TFrameStyle::fsLowered);
  p.Property("Min", &TFrMeter::GetMin, &TFrMeter::SetMin).Default(0);
  p.Property("Max", &TFrMeter::GetMax, &TFrMeter::SetMax).Default(100);
  p.Property("Value", &TFrMeter::GetValue, &TFrMeter::SetValue).Default(0);
  p.Property("BarColor", &TFrMeter::GetBarColor, &TFrMeter::SetBarColor).Default(clRed);
  p.Property("BackColor", &TFrMeter::GetBackColor, &TFrMeter::SetBackColor).Default(clBlack);
  p.Property("MeterType", &TFrMeter::GetMeterType, &TFrMeter::SetMeterType).Default(TMeterType::mtLED);
  p.Property("MeterShape", &TFrMeter::GetMeterShape, &TFrMeter::SetMeterShape)
      .Default(TMeterShape::msRectangular);
  p.Property("TrapezoidDir", &TFrMeter::GetTrapezoidDir, &TFrMeter::SetTrapezoidDir)
      .Default(TTrapDirect::tdLargeToSmall);
  p.Property("TrapezoidShape", &TFrMeter::GetTrapezoidShape, &TFrMeter::SetTrapezoidShape)
      .Default(TTrapShape::tsCenter);
  p.Property("TrapezoidMin", &TFrMeter::GetTrapezoidMin, &TFrMeter::SetTrapezoidMin).Default(6);
  p.Property("Direction", &TFrMeter::GetDirection, &TFrMeter::SetDirection).Default(TDirection::dirRight);
  p.Property("Bitmap", &TFrMeter::GetBitmap, &TFrMeter::SetBitmap);
  p.Property("BrushStyle", &TFrMeter::GetBrushStyle, &TFrMeter::SetBrushStyle).Default(bsSolid);
  p.Property("ShowPercent", &TFrMeter::GetShowPercent, &TFrMeter::SetShowPercent).Default(true);
  p.Property("SegSpacing", &TFrMeter::GetSegSpacing, &TFrMeter::SetSegSpacing).Default(2);
  p.Property("SegOffColor", &TFrMeter::GetSegOffColor, &TFrMeter::SetSegOffColor).Default(clBlack);
  p.Property("Seg1Count", &TFrMeter::GetSeg1Count, &TFrMeter::SetSeg1Count).Default(5);
  p.Property("Seg2Count", &TFrMeter::GetSeg2Count, &TFrMeter::SetSeg2Count).Default(3);
  p.Property("Seg3Count", &TFrMeter::GetSeg3Count, &TFrMeter::SetSeg3Count).Default(2);
  p.Property("Seg1Color", &TFrMeter::GetSeg1Color, &TFrMeter::SetSeg1Color).Default(clGreen);
  p.Property("Seg2Color", &TFrMeter::GetSeg2Color, &TFrMeter::SetSeg2Color).Default(clYellow);
  p.Property("Seg3Color", &TFrMeter::GetSeg3Color, &TFrMeter::SetSeg3Color).Default(clRed);
}

// ---- The border ----

TFrBorder::TFrBorder(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 50, 50);
  SetCaption("");
}

void TFrBorder::SetBevelWidth(int Value) {
  if (Value >= 1 && KitStore(FBevelWidth, Value)) Repaint();
}
void TFrBorder::SetBorderColor(TColor Value) {
  if (KitStore(FBorderColor, Value)) Repaint();
}
void TFrBorder::SetBorderInner(TFrameStyle Value) {
  if (KitStore(FBorderInner, Value)) Repaint();
}
void TFrBorder::SetBorderOuter(TFrameStyle Value) {
  if (KitStore(FBorderOuter, Value)) Repaint();
}
void TFrBorder::SetBorderSides(TSides Value) {
  if (KitStore(FBorderSides, Value)) Repaint();
}
void TFrBorder::SetBorderWidth(int Value) {
  if (Value >= 0 && KitStore(FBorderWidth, Value)) Repaint();
}
void TFrBorder::SetFlatColor(TColor Value) {
  if (KitStore(FFlatColor, Value)) Invalidate();
}

TRect TFrBorder::ClientRect() {
  return BorderClientRect(GetWidth(), GetHeight(), FBorderWidth, FBevelWidth, FBorderOuter, FBorderInner,
                          FBorderSides);
}

void TFrBorder::PaintBorder(TCanvas* C) {
  auto frame = [&](TFrameStyle Style, const TRect& R) {
    if (Style != TFrameStyle::fsFlat) return DrawFrameStyleSides(C, R, Style, FBorderSides);
    return DrawBorderSides(C, R, FFlatColor, AllSides, FFlatColor);
  };
  TRect r = frame(FBorderOuter, Rect(0, 0, GetWidth(), GetHeight()));
  if (FBorderWidth > 0) r = DrawBevelRect(C, r, FBorderColor, FBorderSides, FBorderWidth, FBorderColor);
  frame(FBorderInner, r);
}

void TFrBorder::Paint() { PaintBorder(Canvas()); }

// ---- The meter ----

TFrMeter::TFrMeter(TComponent* AOwner) : TFrBorder(AOwner), FBitmap(std::make_unique<TBitmap>()) {
  SetControlStyle(GetControlStyle() + TControlStyle{csOpaque});
  SetBounds(0, 0, 150, 30);
  SetBorderOuter(TFrameStyle::fsLowered);
  FBitmap->OnChange = [this](TObject*) { Redraw(); };
}

TFrMeter::~TFrMeter() { FBitmap->OnChange = nullptr; }

void TFrMeter::Redraw() {
  if (!ComponentState().Contains(csLoading)) Repaint();
}

void TFrMeter::Clamp() {
  int v = FValue > FMax ? FMax : FValue;
  FValue = v < FMin ? FMin : v;
}

void TFrMeter::SetMin(int Value) {
  if (!KitStore(FMin, Value)) return;
  if (!ComponentState().Contains(csLoading)) Clamp();
  Redraw();
}
void TFrMeter::SetMax(int Value) {
  if (!KitStore(FMax, Value)) return;
  if (!ComponentState().Contains(csLoading)) Clamp();
  Redraw();
}
void TFrMeter::SetValue(int Value) {
  int old = FValue;
  FValue = Value;
  if (!ComponentState().Contains(csLoading)) Clamp();
  if (FValue != old) Redraw();
}

void TFrMeter::Loaded() {
  TFrBorder::Loaded();
  Clamp();
}

void TFrMeter::SetBarColor(TColor Value) {
  if (KitStore(FBarColor, Value)) Redraw();
}
void TFrMeter::SetBackColor(TColor Value) {
  if (KitStore(FBackColor, Value)) Redraw();
}
void TFrMeter::SetMeterType(TMeterType Value) {
  if (KitStore(FMeterType, Value)) Redraw();
}
void TFrMeter::SetMeterShape(TMeterShape Value) {
  if (KitStore(FMeterShape, Value)) Redraw();
}
void TFrMeter::SetTrapezoidDir(TTrapDirect Value) {
  if (KitStore(FTrapezoidDir, Value)) Redraw();
}
void TFrMeter::SetTrapezoidShape(TTrapShape Value) {
  if (KitStore(FTrapezoidShape, Value)) Redraw();
}
void TFrMeter::SetTrapezoidMin(int Value) {
  if (KitStore(FTrapezoidMin, Value)) Redraw();
}
void TFrMeter::SetDirection(TDirection Value) {
  if (KitStore(FDirection, Value)) Redraw();
}
void TFrMeter::SetBitmap(TBitmap* Value) {
  if (Value) FBitmap->Assign(Value);
  else FBitmap->SetSize(0, 0);
  Redraw();
}
void TFrMeter::SetBrushStyle(TBrushStyle Value) {
  if (KitStore(FBrushStyle, Value)) Redraw();
}
void TFrMeter::SetShowPercent(bool Value) {
  if (KitStore(FShowPercent, Value)) Redraw();
}
void TFrMeter::SetSegSpacing(int Value) {
  if (Value >= 0 && Value <= 255 && KitStore(FSegSpacing, Value)) Redraw();
}
void TFrMeter::SetSegOffColor(TColor Value) {
  if (KitStore(FSegOffColor, Value)) Redraw();
}
int TFrMeter::GetSegCount(int Index) const { return Index >= 0 && Index < 3 ? FSegCount[Index] : 0; }
void TFrMeter::SetSegCount(int Index, int Value) {
  if (Index >= 0 && Index < 3 && Value >= 1 && Value <= 255 && KitStore(FSegCount[Index], Value)) Redraw();
}
TColor TFrMeter::GetSegColor(int Index) const { return Index >= 0 && Index < 3 ? FSegColor[Index] : clNone; }
void TFrMeter::SetSegColor(int Index, TColor Value) {
  if (Index >= 0 && Index < 3 && KitStore(FSegColor[Index], Value)) Redraw();
}

int TFrMeter::Percent() { return MeterPercent(FValue, FMin, FMax); }

namespace {
bool IsVertical(TDirection Direction) { return Direction == TDirection::dirUp || Direction == TDirection::dirDown; }

void SolidColours(TCanvas* C, TColor Color) {
  C->GetPen()->SetColor(Color);
  C->GetBrush()->SetStyle(bsSolid);
  C->GetBrush()->SetColor(Color);
}
}  // namespace

void TFrMeter::DrawBar(TCanvas* C, const TRect& Area, const TRect& TextArea, const TTrapezoid* Trapezoid) {
  const int length = IsVertical(FDirection) ? Area.Height() : Area.Width();
  const int cut = MeterCut(FValue, FMin, FMax, length);
  const TRect part = BarPart(Area, FDirection, cut);
  TTrapezoid piece{};
  if (Trapezoid) {
    TTrapezoid t = *Trapezoid;
    InflateTrapezoid(t, -2 * GetBevelWidth());
    piece = ClipTrapezoid(t, part, FDirection);
  }
  if (!FBitmap->Empty()) {
    if (!Trapezoid) {
      TileBitmap(C, FBitmap.get(), part);
    } else if (cut > 0) {
      HDC dc = C->GetHandle();
      const POINT points[4] = {{piece[0].X, piece[0].Y}, {piece[1].X, piece[1].Y}, {piece[2].X, piece[2].Y},
                               {piece[3].X, piece[3].Y}};
      HRGN region = CreatePolygonRgn(points, 4, WINDING);
      int saved = SaveDC(dc);
      SelectClipRgn(dc, region);
      TileBitmap(C, FBitmap.get(), part);
      RestoreDC(dc, saved);
      DeleteObject(region);
    }
  } else {
    C->GetPen()->SetColor(FBarColor);
    C->GetBrush()->SetColor(FBarColor);
    C->GetBrush()->SetStyle(FBrushStyle);
    if (!Trapezoid && !part.IsEmpty()) C->Rectangle(part);
    if (Trapezoid && cut > 0) C->Polygon(piece);
  }
  if (FMeterType == TMeterType::mtBar3D) {
    const int bevel = GetBevelWidth();
    if (Trapezoid && cut > 0) DrawTrapezoidBevel(C, piece, false, bevel);
    else if (!Trapezoid && part.Width() > 2 * bevel && part.Height() > 2 * bevel) DrawBevel(C, part, false, bevel);
  }
  if (FShowPercent) {
    String text = std::to_string(Percent()) + "%";
    C->GetFont()->Assign(GetFont());
    C->GetBrush()->SetStyle(bsClear);
    TPoint size = C->TextExtent(text);
    C->TextOut(TextArea.Left + (TextArea.Width() - size.X) / 2, TextArea.Top + (TextArea.Height() - size.Y) / 2,
               text);
  }
}

void TFrMeter::DrawSegments(TCanvas* C, const TRect& Area, const TTrapezoid* Trapezoid) {
  const int n = SegmentTotal(FSegCount[0], FSegCount[1], FSegCount[2]);
  const int lit = MeterCut(FValue, FMin, FMax, n);
  const std::vector<TRect> cells =
      SegmentCells(InflateRect(Area, -FSegSpacing, -FSegSpacing), FDirection, n, FSegSpacing);
  TTrapezoid t{};
  if (Trapezoid) {
    t = *Trapezoid;
    InflateTrapezoid(t, -FSegSpacing);
  }
  for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
    const int group = SegmentGroup(i, lit, FSegCount[0], FSegCount[1]);
    SolidColours(C, group < 0 ? FSegOffColor : FSegColor[group]);
    if (Trapezoid) {
      C->Polygon(ClipTrapezoid(t, cells[i], FDirection));
    } else {
      TRect cell = InflateRect(cells[i], -1, -1);
      if (!cell.IsEmpty()) C->FillRect(cell);
    }
  }
}

void TFrMeter::Paint() {
  const bool trapezoidal = FMeterShape == TMeterShape::msTrapezoidal;
  const TRect client = ClientRect();
  if (!trapezoidal) PaintBorder(Canvas());
  // The picture: the client area of a rectangular meter, the whole of a trapezoidal one.
  const TRect bounds = trapezoidal ? Rect(0, 0, GetWidth(), GetHeight()) : client;
  if (bounds.IsEmpty()) return;
  TBitmap picture;
  picture.SetSize(bounds.Width(), bounds.Height());
  TCanvas* c = picture.Canvas();
  TRect area = Rect(0, 0, bounds.Width(), bounds.Height());
  SolidColours(c, trapezoidal ? clBtnFace : FBackColor);
  c->FillRect(area);
  TTrapezoid trapezoid{};
  if (trapezoidal) {
    trapezoid = CalcTrapezoid(Rect(0, 0, bounds.Width() - 1, bounds.Height() - 1), FTrapezoidMin, FTrapezoidDir,
                              FDirection, FTrapezoidShape);
    if (GetBorderOuter() == TFrameStyle::fsLowered || GetBorderOuter() == TFrameStyle::fsRaised) {
      if (FBackColor != clBtnFace) {
        SolidColours(c, FBackColor);
        c->Polygon(trapezoid);
      }
      DrawTrapezoidBevel(c, trapezoid, true, GetBevelWidth());
      area = InflateRect(area, -GetBevelWidth(), -GetBevelWidth());
    }
  }
  if (!area.IsEmpty()) {
    const TTrapezoid* shape = trapezoidal ? &trapezoid : nullptr;
    if (FMeterType == TMeterType::mtLED) DrawSegments(c, area, shape);
    else DrawBar(c, area, trapezoidal ? client : Rect(0, 0, bounds.Width(), bounds.Height()), shape);
  }
  Canvas()->CopyRect(bounds, c, Rect(0, 0, bounds.Width(), bounds.Height()));
}
