#include "controls/frdraw.h"

#include <algorithm>

namespace {

// Puts the canvas's pen back when it goes; draws with a solid one-pixel copying pen.
class TPenKeeper {
 public:
  explicit TPenKeeper(TCanvas* Canvas) : FCanvas(Canvas) {
    FSaved.Assign(Canvas->GetPen());
    TPen* pen = Canvas->GetPen();
    pen->SetWidth(1);
    pen->SetStyle(psSolid);
    pen->SetMode(pmCopy);
  }
  ~TPenKeeper() { FCanvas->GetPen()->Assign(&FSaved); }
  TPenKeeper(const TPenKeeper&) = delete;
  TPenKeeper& operator=(const TPenKeeper&) = delete;

 private:
  TCanvas* FCanvas;
  TPen FSaved;
};

void Line(TCanvas* Canvas, TColor Color, TPoint From, TPoint To) {
  Canvas->GetPen()->SetColor(Color);
  Canvas->MoveTo(From.X, From.Y);
  Canvas->LineTo(To.X, To.Y);
}

TRect BorderSides(TCanvas* C, const TRect& R, TColor TopLeft, TSides Sides, TColor BottomRight) {
  if (Sides.Contains(TSide::sdLeft)) Line(C, TopLeft, {R.Left, R.Top}, {R.Left, R.Bottom});
  if (Sides.Contains(TSide::sdTop)) Line(C, TopLeft, {R.Left, R.Top}, {R.Right, R.Top});
  if (Sides.Contains(TSide::sdRight)) Line(C, BottomRight, {R.Right - 1, R.Top}, {R.Right - 1, R.Bottom});
  if (Sides.Contains(TSide::sdBottom)) Line(C, BottomRight, {R.Left, R.Bottom - 1}, {R.Right, R.Bottom - 1});
  return InsetSides(R, Sides, 1);
}

// An etched frame: First on R moved right and down by 1, Second one pixel up and left.
// Where a side is missing, the lines of its neighbours are ended by single pixels first.
TRect Etched(TCanvas* C, const TRect& R, TColor Second, TColor First, TSides Sides) {
  const bool left = Sides.Contains(TSide::sdLeft), top = Sides.Contains(TSide::sdTop);
  const bool right = Sides.Contains(TSide::sdRight), bottom = Sides.Contains(TSide::sdBottom);
  if (top && !right) C->SetPixels(R.Right - 1, R.Top, Second);
  if (left && !bottom) C->SetPixels(R.Left, R.Bottom - 1, Second);
  if (right && !top) C->SetPixels(R.Right - 1, R.Top, First);
  if (bottom && !left) C->SetPixels(R.Left, R.Bottom - 1, First);
  BorderSides(C, Rect(R.Left + 1, R.Top + 1, R.Right, R.Bottom), First, Sides, First);
  BorderSides(C, Rect(R.Left, R.Top, R.Right - 1, R.Bottom - 1), Second, Sides, Second);
  return InsetSides(R, Sides, 2);
}

// Two rings: the outer pair, then the inner pair inside it.
TRect TwoLines(TCanvas* C, const TRect& R, TSides Sides, TColor OuterTL, TColor OuterBR, TColor InnerTL,
               TColor InnerBR) {
  TRect r = BorderSides(C, R, OuterTL, Sides, OuterBR);
  return BorderSides(C, r, InnerTL, Sides, InnerBR);
}

}  // namespace

TRect DrawBorderSides(TCanvas* Canvas, const TRect& R, TColor TopLeft, TSides Sides, TColor BottomRight) {
  TPenKeeper keep(Canvas);
  return BorderSides(Canvas, R, TopLeft, Sides, BottomRight);
}

TRect DrawBevelRect(TCanvas* Canvas, const TRect& R, TColor TopLeft, TSides Sides, int Width, TColor BottomRight) {
  TPenKeeper keep(Canvas);
  TRect r = R;
  for (int i = 0; i < Width; ++i) r = BorderSides(Canvas, r, TopLeft, Sides, BottomRight);
  return r;
}

TRect DrawFrameStyleSides(TCanvas* Canvas, const TRect& R, TFrameStyle Style, TSides Sides) {
  TPenKeeper keep(Canvas);
  switch (Style) {
    case TFrameStyle::fsNone: return R;
    case TFrameStyle::fsFlat: return BorderSides(Canvas, R, clWindowFrame, Sides, clWindowFrame);
    case TFrameStyle::fsStatus: return BorderSides(Canvas, R, clBtnShadow, Sides, clBtnHighlight);
    case TFrameStyle::fsPopup: return BorderSides(Canvas, R, clBtnHighlight, Sides, clBtnShadow);
    case TFrameStyle::fsRaised: return TwoLines(Canvas, R, Sides, cl3DLight, clBtnText, clBtnHighlight, clBtnShadow);
    case TFrameStyle::fsLowered: return TwoLines(Canvas, R, Sides, clBtnShadow, clBtnHighlight, clBtnText, cl3DLight);
    case TFrameStyle::fsButtonUp:
      return TwoLines(Canvas, R, Sides, clBtnHighlight, cl3DDkShadow, cl3DLight, clBtnShadow);
    case TFrameStyle::fsButtonDown: return TwoLines(Canvas, R, Sides, clBtnText, clBtnText, clBtnShadow, clBtnShadow);
    case TFrameStyle::fsGroove: return Etched(Canvas, R, clBtnShadow, clBtnHighlight, Sides);
    case TFrameStyle::fsBump: return Etched(Canvas, R, clBtnHighlight, clBtnShadow, Sides);
  }
  return R;
}

TRect DrawFrameStyleBorder(TCanvas* Canvas, const TRect& R, TFrameStyle Style) {
  return DrawFrameStyleSides(Canvas, R, Style, AllSides);
}

TRect DrawBevel(TCanvas* Canvas, const TRect& R, bool Sunken, int Width) {
  TPenKeeper keep(Canvas);
  const TColor first = Sunken ? clBtnHighlight : clBtnShadow, second = Sunken ? clBtnShadow : clBtnHighlight;
  TRect r = R;
  for (int i = 0; i < Width && !r.IsEmpty(); ++i) {
    const int right = r.Right - 1, bottom = r.Bottom - 1;
    Line(Canvas, first, {right, r.Top}, {right, bottom});
    Line(Canvas, first, {right, bottom}, {r.Left - 1, bottom});
    Line(Canvas, second, {r.Left, bottom}, {r.Left, r.Top});
    Line(Canvas, second, {r.Left, r.Top}, {right, r.Top});
    r = InflateRect(r, -1, -1);
  }
  return r;
}

void DrawTrapezoidBevel(TCanvas* Canvas, const TTrapezoid& T, bool Sunken, int Width) {
  TPenKeeper keep(Canvas);
  const TColor first = Sunken ? clBtnHighlight : clBtnShadow, second = Sunken ? clBtnShadow : clBtnHighlight;
  TTrapezoid t = T;
  for (int i = 0; i < Width; ++i) {
    Line(Canvas, first, t[1], t[2]);
    Line(Canvas, first, t[2], t[3]);
    Line(Canvas, second, t[3], t[0]);
    Line(Canvas, second, t[0], t[1]);
    InflateTrapezoid(t, -1);
  }
}

void TileBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R) {
  if (!Bitmap || Bitmap->Empty() || R.IsEmpty()) return;
  const int w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
  HDC source = Bitmap->Canvas()->GetHandle();
  HDC target = Canvas->GetHandle();
  for (int y = R.Top; y < R.Bottom; y += h)
    for (int x = R.Left; x < R.Right; x += w)
      BitBlt(target, x, y, std::min(w, R.Right - x), std::min(h, R.Bottom - y), source, 0, 0, SRCCOPY);
}
