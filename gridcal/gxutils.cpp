#include "gridcal/gxutils.h"

#include <algorithm>
#include <cstdint>

#include "classlib/windows/application.h"
#include "classlib/windows/imglist.h"

namespace {

HCURSOR OwnCopy(HCURSOR Cursor) { return Cursor ? static_cast<HCURSOR>(CopyIcon(Cursor)) : nullptr; }

HCURSOR ResourceCursor(HINSTANCE Module, const wchar_t* Name, const wchar_t* SystemId) {
  HCURSOR cursor = LoadCursorW(Module ? Module : GetModuleHandleW(nullptr), Name);
  return OwnCopy(cursor ? cursor : LoadCursorW(nullptr, SystemId));
}

}  // namespace

void RegisterGridCalCursors(HINSTANCE Module) {
  Screen->SetCursors(crHand, ResourceCursor(Module, L"GX_HANDCUR", IDC_HAND));
  Screen->SetCursors(crDragHand, ResourceCursor(Module, L"GX_DRAGCUR", IDC_SIZEALL));
}

void BitmapCell(TGraphic* Source, TBitmap* Dest, int Cols, int Rows, int Index) {
  if (!Source || !Dest) return;
  TRect cell = BitmapCellRect(Source->GetWidth(), Source->GetHeight(), Cols, Rows, Index);
  Dest->SetPixelFormat(pf32bit);
  Dest->SetSize(cell.Width(), cell.Height());
  if (cell.IsEmpty()) return;
  TRect whole{0, 0, cell.Width(), cell.Height()};
  if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
    Dest->Canvas()->SetCopyMode(cmSrcCopy);
    Dest->Canvas()->CopyRect(whole, bitmap->Canvas(), cell);
    Dest->SetTransparentColor(bitmap->GetTransparentColor());
    bitmap->FreeContext();
  } else {
    Dest->Canvas()->GetBrush()->SetColor(clSilver);
    Dest->Canvas()->FillRect(whole);
    Dest->Canvas()->Draw(-cell.Left, -cell.Top, Source);
  }
  Dest->FreeContext();
}

void CreateDisabledBitmap(TBitmap* Source, TBitmap* Dest, TColor TransparentColor, TColor Face, TColor Highlight,
                          TColor Shadow) {
  int w = Source->GetWidth(), h = Source->GetHeight();
  COLORREF key = ColorToRGB(TransparentColor == clDefault ? Source->GetTransparentColor() : TransparentColor) & 0xFFFFFF;
  std::vector<bool> shape(static_cast<size_t>(std::max(w, 0)) * std::max(h, 0));
  TCanvas* source = Source->Canvas();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) shape[static_cast<size_t>(y) * w + x] = (ColorToRGB(source->GetPixels(x, y)) & 0xFFFFFF) != key;
  Source->FreeContext();
  Dest->SetPixelFormat(pf32bit);
  Dest->SetSize(w, h);
  TCanvas* dest = Dest->Canvas();
  dest->GetBrush()->SetColor(Face);
  dest->FillRect(TRect{0, 0, w, h});
  TColor highlight = static_cast<TColor>(ColorToRGB(Highlight) & 0xFFFFFF);
  TColor shadow = static_cast<TColor>(ColorToRGB(Shadow) & 0xFFFFFF);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (shape[static_cast<size_t>(y) * w + x] && x + 1 < w && y + 1 < h) dest->SetPixels(x + 1, y + 1, highlight);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (shape[static_cast<size_t>(y) * w + x]) dest->SetPixels(x, y, shadow);
  Dest->FreeContext();
}

void ImageListDrawDisabled(TCustomImageList* Images, TCanvas* Canvas, int X, int Y, int Index) {
  if (Images) Images->Draw(Canvas, X, Y, Index, false);
}

void StretchBitmapTransparent(TCanvas* Dest, const TRect& DestRect, TBitmap* Source, const TRect& SourceRect,
                              TColor TransparentColor) {
  if (!Source || Source->Empty() || DestRect.IsEmpty() || SourceRect.IsEmpty()) return;
  HDC dc = Dest->GetHandle();
  int mode = SetStretchBltMode(dc, Source->GetPixelFormat() == pf1bit ? BLACKONWHITE : HALFTONE);
  POINT old;
  SetBrushOrgEx(dc, 0, 0, &old);
  TransparentBlt(dc, DestRect.Left, DestRect.Top, DestRect.Width(), DestRect.Height(), Source->Canvas()->GetHandle(),
                 SourceRect.Left, SourceRect.Top, SourceRect.Width(), SourceRect.Height(),
                 ColorToRGB(TransparentColor) & 0xFFFFFF);
  SetBrushOrgEx(dc, old.x, old.y, nullptr);
  SetStretchBltMode(dc, mode);
  Source->FreeContext();
}

void DrawBitmapTransparent(TCanvas* Dest, int X, int Y, TBitmap* Source, TColor TransparentColor) {
  if (!Source) return;
  TRect whole{0, 0, Source->GetWidth(), Source->GetHeight()};
  StretchBitmapTransparent(Dest, TRect{X, Y, X + whole.Right, Y + whole.Bottom}, Source, whole, TransparentColor);
}

void CopyParentImage(TControl* Control, HDC DC) {
  TWinControl* parent = Control ? Control->GetParent() : nullptr;
  if (!parent || !parent->HandleAllocated()) return;
  int saved = SaveDC(DC);
  TRect bounds = Control->GetBoundsRect();
  OffsetViewportOrgEx(DC, -bounds.Left, -bounds.Top, nullptr);
  IntersectClipRect(DC, bounds.Left, bounds.Top, bounds.Right, bounds.Bottom);
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  // The windowless siblings below the control, in z-order.
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == Control) break;
    if (dynamic_cast<TWinControl*>(c) || !c->GetVisible()) continue;
    TRect r = c->GetBoundsRect();
    if (r.Right <= bounds.Left || r.Left >= bounds.Right || r.Bottom <= bounds.Top || r.Top >= bounds.Bottom) continue;
    int inner = SaveDC(DC);
    OffsetViewportOrgEx(DC, r.Left, r.Top, nullptr);
    IntersectClipRect(DC, 0, 0, r.Width(), r.Height());
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, inner);
  }
  RestoreDC(DC, saved);
}

bool RepostQuitMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
  PostQuitMessage(static_cast<int>(msg.wParam));
  return true;
}

namespace {
BOOL CALLBACK IsActiveWindow(HWND Window, LPARAM Found) {
  if (Window == GetActiveWindow()) {
    *reinterpret_cast<bool*>(Found) = true;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

bool IsForegroundTask() {
  bool found = false;
  HWND active = GetActiveWindow();
  if (!active) return false;
  EnumThreadWindows(GetCurrentThreadId(), IsActiveWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

String ShortenCanvasText(TCanvas* Canvas, const String& Text, int MaxWidth) {
  return ShortenText(Text, MaxWidth, [Canvas](std::string_view s) { return Canvas->TextWidth(String(s)); });
}
