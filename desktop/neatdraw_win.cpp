#include "desktop/neatdraw.h"

#include <algorithm>

#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

HX_PUBLISH(TBitmapItem, p) { p.Property("Bitmap", &TBitmapItem::GetBitmap, &TBitmapItem::SetBitmap); }
HX_PUBLISH(TBitmaps, p) {}
HX_PUBLISH(TNeatImages, p) { p.Property("Bitmaps", &TNeatImages::GetBitmaps, &TNeatImages::SetBitmaps); }

// ---- The bitmap list ----

TBitmapItem::TBitmapItem(TCollection* Collection) : TCollectionItem(Collection), FBitmap(std::make_unique<TBitmap>()) {
  FBitmap->OnChange = [this](TObject*) { Changed(false); };
}

TBitmapItem::~TBitmapItem() = default;

void TBitmapItem::SetBitmap(TBitmap* Value) { FBitmap->Assign(Value); }

void TBitmapItem::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TBitmapItem*>(Source)) SetBitmap(s->GetBitmap());
  else TCollectionItem::Assign(Source);
}

void TBitmaps::Update(TCollectionItem* Item) {
  TCollection::Update(Item);
  if (auto* images = dynamic_cast<TNeatImages*>(Owner())) images->Changed();
}

TNeatImages::TNeatImages(TComponent* AOwner) : TComponent(AOwner), FBitmaps(new TBitmaps(this)) {}

TNeatImages::~TNeatImages() { delete FBitmaps; }

TBitmap* TNeatImages::Bitmap(int Index) const {
  return Index >= 0 && Index < FBitmaps->Count() ? FBitmaps->Items(Index)->GetBitmap() : nullptr;
}

void TNeatImages::RegisterChanges(void* Link, std::function<void()> OnChange) {
  UnRegisterChanges(Link);
  FLinks.emplace_back(Link, std::move(OnChange));
}

void TNeatImages::UnRegisterChanges(void* Link) {
  std::erase_if(FLinks, [Link](const auto& l) { return l.first == Link; });
}

void TNeatImages::Changed() {
  auto links = FLinks;  // a link may unregister meanwhile
  for (auto& l : links)
    if (l.second) l.second();
}

// ---- The wallpaper link ----

TNeatWallpaperLink::TNeatWallpaperLink(TComponent* Control, std::function<void()> Changed)
    : FControl(Control), FChanged(std::move(Changed)) {}

TNeatWallpaperLink::~TNeatWallpaperLink() {
  if (FImages) FImages->UnRegisterChanges(this);
}

TBitmap* TNeatWallpaperLink::Own() {
  if (!FOwn) {
    FOwn = std::make_unique<TBitmap>();
    FOwn->OnChange = [this](TObject*) { FChanged(); };
  }
  return FOwn.get();
}

void TNeatWallpaperLink::SetImages(TNeatImages* Value) {
  if (Value == FImages) return;
  if (FImages) {
    FImages->UnRegisterChanges(this);
    FImages->RemoveFreeNotification(FControl);
  }
  FImages = Value;
  if (Value) {
    Value->FreeNotification(FControl);
    Value->RegisterChanges(this, FChanged);
  }
  FChanged();
}

void TNeatWallpaperLink::SetId(int Value) {
  FId = Value;
  FChanged();
}

void TNeatWallpaperLink::Removed(TComponent* AComponent) {
  if (AComponent != FImages) return;
  FImages = nullptr;
  FChanged();
}

TBitmap* TNeatWallpaperLink::Current() const { return NeatWallpaper(FImages, FId, FOwn.get()); }

// ---- Drawing routines ----

COLORREF NeatGradientBandColor(COLORREF A, COLORREF B, int Band, int Bands) {
  auto part = [&](int shift) {
    int a = (A >> shift) & 0xFF, b = (B >> shift) & 0xFF;
    return static_cast<COLORREF>((a + MulDiv(Band, b - a, Bands)) & 0xFF) << shift;
  };
  return part(0) | part(8) | part(16);
}

void NeatDrawGradient(TCanvas* Canvas, const TRect& R, TColor Start, TColor End, TGradientDirection Direction,
                      int Bands) {
  if (Bands <= 0) return;
  COLORREF a = ColorToRGB(Start) & 0xFFFFFF, b = ColorToRGB(End) & 0xFFFFFF;
  HDC dc = Canvas->GetHandle();
  bool across = Direction == gdHorizontal;  // bands follow one another across the width
  int extent = across ? R.Width() : R.Height();
  for (int i = 0; i < Bands; ++i) {
    int from = MulDiv(i, extent, Bands), to = MulDiv(i + 1, extent, Bands);
    if (to <= from) continue;
    RECT band = across ? RECT{R.Left + from, R.Top, R.Left + to, R.Bottom}
                       : RECT{R.Left, R.Top + from, R.Right, R.Top + to};
    HBRUSH brush = CreateSolidBrush(NeatGradientBandColor(a, b, i, Bands));
    ::FillRect(dc, &band, brush);
    DeleteObject(brush);
  }
}

void NeatDrawWallpaper(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap, bool Tile) {
  if (!Bitmap || Bitmap->Empty()) return;
  HDC dc = Canvas->GetHandle();
  HDC source = Bitmap->Canvas()->GetHandle();
  int w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
  int saved = SaveDC(dc);
  IntersectClipRect(dc, R.Left, R.Top, R.Right, R.Bottom);
  for (int y = R.Top; y < R.Bottom; y += h) {
    for (int x = R.Left; x < R.Right; x += w) {
      BitBlt(dc, x, y, w, h, source, 0, 0, SRCCOPY);
      if (!Tile) break;
    }
    if (!Tile) break;
  }
  RestoreDC(dc, saved);
}

TBitmap* NeatWallpaper(TNeatImages* Images, int Id, TBitmap* Own) {
  if (Images) {
    TBitmap* b = Images->Bitmap(Id);
    if (b && !b->Empty()) return b;
  }
  return Own && !Own->Empty() ? Own : nullptr;
}

void NeatDrawParentBackground(TControl* Control, HDC DC, const TRect* Clip) {
  TWinControl* parent = Control->GetParent();
  if (!parent || !parent->HandleAllocated()) return;
  int saved = SaveDC(DC);
  if (Clip) IntersectClipRect(DC, Clip->Left, Clip->Top, Clip->Right, Clip->Bottom);
  OffsetViewportOrgEx(DC, -Control->GetLeft(), -Control->GetTop(), nullptr);
  // Through the window, so that what hooks it (a shaped form's background) paints too.
  SendMessageW(parent->GetHandle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  // The parent's own painting with its windowless controls (windows paint themselves).
  parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  RestoreDC(DC, saved);
}

void NeatDrawShadowText(HDC DC, const String& Text, const TRect& R, UINT Format, TColor TextColor,
                        TColor ShadowColor, int Size, TShadowPosition Position) {
  RECT text{R.Left, R.Top, R.Right, R.Bottom}, shadow = text;
  switch (Position) {
    case spLeftTop: OffsetRect(&text, Size, Size); break;
    case spLeftBottom: OffsetRect(&text, Size, 0); OffsetRect(&shadow, 0, Size); break;
    case spRightBottom: OffsetRect(&shadow, Size, Size); break;
    case spRightTop: OffsetRect(&text, 0, Size); OffsetRect(&shadow, Size, 0); break;
  }
  std::wstring w = Utf8ToWide(Text);
  int mode = SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, ColorToRGB(ShadowColor) & 0xFFFFFF);
  DrawTextW(DC, w.c_str(), static_cast<int>(w.size()), &shadow, Format);
  SetTextColor(DC, ColorToRGB(TextColor) & 0xFFFFFF);
  DrawTextW(DC, w.c_str(), static_cast<int>(w.size()), &text, Format);
  SetBkMode(DC, mode);
}
