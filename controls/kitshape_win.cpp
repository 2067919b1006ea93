#include "controls/kitshape.h"


#include "classlib/windows/forms.h"
#include "controls/kitapp.h"
#include "controls/kitdraw.h"
#include "controls/kitgeometry.h"

HX_PUBLISH(TKitRegionBorder, p) {
  p.Property("Style", &TKitRegionBorder::GetStyle, &TKitRegionBorder::SetStyle)
      .Default(TKitRegionBorderStyle::rbSingle);
  p.Property("LightColor", &TKitRegionBorder::GetLightColor, &TKitRegionBorder::SetLightColor)
      .Default(clBtnHighlight);
  p.Property("ShadowColor", &TKitRegionBorder::GetShadowColor, &TKitRegionBorder::SetShadowColor)
      .Default(clBtnShadow);
  p.Property("SingleColor", &TKitRegionBorder::GetSingleColor, &TKitRegionBorder::SetSingleColor).Default(clBlack);
}

HX_PUBLISH(TKitRegion, p) {
  p.Property("Shape", &TKitRegion::GetShape, &TKitRegion::SetShape).Default(TKitRegionShape::rsRoundRect);
  p.Property("Mask", &TKitRegion::GetMask, &TKitRegion::SetMask);
  p.Property("RoundX", &TKitRegion::GetRoundX, &TKitRegion::SetRoundX).Default(20);
  p.Property("RoundY", &TKitRegion::GetRoundY, &TKitRegion::SetRoundY).Default(20);
  p.Property("ExtPos", &TKitRegion::GetExtPos, &TKitRegion::SetExtPos).Default(TKitExtPos::epLeftTop);
  p.Property("Shadow", &TKitRegion::GetShadow, &TKitRegion::SetShadow);
}

HX_PUBLISH(TKitBorderRegion, p) { p.Property("Border", &TKitBorderRegion::GetBorder, &TKitBorderRegion::SetBorder); }

HX_PUBLISH(TKitFormShape, p) {
  p.Property("Enabled", &TKitFormShape::GetEnabled, &TKitFormShape::SetEnabled).Default(true);
  p.Property("Region", &TKitFormShape::GetRegion, &TKitFormShape::SetRegion);
  p.Property("ShowFormCaption", &TKitFormShape::GetShowFormCaption, &TKitFormShape::SetShowFormCaption)
      .Default(true);
  p.Property("FormDragable", &TKitFormShape::FormDragable).Default(true);
  p.Property("UseRgnBitmap", &TKitFormShape::GetUseRgnBitmap, &TKitFormShape::SetUseRgnBitmap).Default(true);
  p.Property("FillObject", &TKitFormShape::GetFillObject, &TKitFormShape::SetFillObject);
  p.Property("ImageList", &TKitFormShape::GetImageList, &TKitFormShape::SetImageList);
  p.Property("ListIndex", &TKitFormShape::ListIndex).Default(0);
  p.Property("ImageIndex", &TKitFormShape::ImageIndex).Default(0);
}

namespace {

HRGN RectRegion(const TRect& R) {
  TRect r = NormalizeRect(R);
  return CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
}

HRGN EllipseRegion(const TRect& R) {
  TRect r = NormalizeRect(R);
  return CreateEllipticRgn(r.Left, r.Top, r.Right, r.Bottom);
}

HRGN PolygonRegion(const std::vector<TPoint>& Points, int FillMode) {
  std::vector<POINT> points;
  for (TPoint p : Points) points.push_back({p.X, p.Y});
  return CreatePolygonRgn(points.data(), static_cast<int>(points.size()), FillMode);
}

// Combines B into A (Mode: RGN_OR, RGN_AND, RGN_DIFF) and deletes B.
void CombineInto(HRGN A, HRGN B, int Mode) {
  CombineRgn(A, A, B, Mode);
  DeleteObject(B);
}

HRGN CopyRegion(HRGN Source, int Dx = 0, int Dy = 0) {
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(copy, Source, nullptr, RGN_COPY);
  if (Dx || Dy) OffsetRgn(copy, Dx, Dy);
  return copy;
}

bool IsRoundShape(TKitRegionShape Shape) {
  return Shape == TKitRegionShape::rsRoundRect || Shape == TKitRegionShape::rsRoundNoseRect ||
         Shape == TKitRegionShape::rsRoundThinkBubble;
}

void FillRegion(TKitDCState& State, HRGN Region, TColor Color) {
  FillRgn(State.DC(), Region, State.Own(CreateSolidBrush(ColorToRGB(Color) & 0xFFFFFF)));
}

// The two halves of a shape's outline, one pixel wide: the upper-left edge pixels (those
// whose upper-left neighbour is outside) and the lower-right ones.
void PaintTwoColorOutline(TKitDCState& State, HRGN Shape, TColor UpperLeft, TColor LowerRight, bool UpperLeftToo = true) {
  HRGN lowerRight = CopyRegion(Shape, -1, -1);
  CombineRgn(lowerRight, Shape, lowerRight, RGN_DIFF);
  if (UpperLeftToo) {
    HRGN upperLeft = CopyRegion(Shape, 1, 1);
    CombineRgn(upperLeft, Shape, upperLeft, RGN_DIFF);
    FillRegion(State, upperLeft, UpperLeft);
    DeleteObject(upperLeft);
  }
  FillRegion(State, lowerRight, LowerRight);
  DeleteObject(lowerRight);
}

}  // namespace

// ---- TKitRegionBorder ----

void TKitRegionBorder::SetStyle(TKitRegionBorderStyle Value) {
  if (KitStore(FStyle, Value)) Change();
}
void TKitRegionBorder::SetLightColor(TColor Value) {
  if (KitStore(FLightColor, Value)) Change();
}
void TKitRegionBorder::SetShadowColor(TColor Value) {
  if (KitStore(FShadowColor, Value)) Change();
}
void TKitRegionBorder::SetSingleColor(TColor Value) {
  if (KitStore(FSingleColor, Value)) Change();
}

void TKitRegionBorder::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TKitRegionBorder*>(Source);
  if (!s) return inherited::Assign(Source);
  BeginUpdate();
  FStyle = s->FStyle;
  FLightColor = s->FLightColor;
  FShadowColor = s->FShadowColor;
  FSingleColor = s->FSingleColor;
  EndUpdate(true);
}

// ---- TKitRegion ----

TKitRegion::TKitRegion(TComponent* Owner)
    : FBorder(new TKitRegionBorder), FMask(new TKitRegionMask), FShadow(new TKitShadow), FOwner(Owner) {
  FBorder->OnChange = FMask->OnChange = FShadow->OnChange = [this](TObject*) { SubChanged(); };
}

TKitRegion::~TKitRegion() {
  if (FHandle) DeleteObject(FHandle);
  delete FShadow;
  delete FMask;
  delete FBorder;
}

void TKitRegion::SubChanged() { Change(); }

void TKitRegion::SetShape(TKitRegionShape Value) {
  if (KitStore(FShape, Value)) Change();
}
void TKitRegion::SetRoundX(int Value) {
  if (KitStore(FRoundX, Value) && IsRoundShape(FShape)) Change();
}
void TKitRegion::SetRoundY(int Value) {
  if (KitStore(FRoundY, Value) && IsRoundShape(FShape)) Change();
}
void TKitRegion::SetExtPos(TKitExtPos Value) {
  if (KitStore(FExtPos, Value)) Change();
}

void TKitRegion::SetUserRegion(HRGN Region) { FUserRegion = RegionDataOf(Region); }

void TKitRegion::SetUserRegionData(const void* Data, int Size) {
  FUserRegion.clear();
  if (Data && Size > 0)
    FUserRegion.assign(static_cast<const std::uint8_t*>(Data), static_cast<const std::uint8_t*>(Data) + Size);
}

HRGN TKitRegion::CreateShapeRegion(const TRect& Rect) {
  using S = TKitRegionShape;
  const int L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom, w = R - L, h = B - T;
  switch (FShape) {
    case S::rsRect: return RectRegion(Rect);
    case S::rsRoundRect: return CreateRoundRectRgn(L, T, R, B, FRoundX, FRoundY);
    case S::rsBitmap: return CreateMaskRegion(FMask->RegionData(), static_cast<std::size_t>(FMask->GetRegionDataSize()));
    case S::rsUserRegion: return CreateMaskRegion(FUserRegion.data(), FUserRegion.size());
    case S::rsNoseRect:
    case S::rsRoundNoseRect: {
      TRect body = Rect;
      TPoint nose[3];
      bool round = FShape == S::rsRoundNoseRect;
      bool sideEdge = FExtPos == TKitExtPos::epLeftTop || FExtPos == TKitExtPos::epRightTop ||
                      FExtPos == TKitExtPos::epRightBottom || FExtPos == TKitExtPos::epLeftBottom;
      int offset = !round ? 5 : sideEdge ? FRoundY : FRoundX;
      CalcNosePoints(body, w / 10, FExtPos, offset, nose);
      HRGN region = round ? CreateRoundRectRgn(body.Left, body.Top, body.Right, body.Bottom, FRoundX, FRoundY)
                          : RectRegion(body);
      CombineInto(region, PolygonRegion({nose[0], nose[1], nose[2]}, WINDING), RGN_OR);
      return region;
    }
    case S::rsElliptic: return EllipseRegion(Rect);
    case S::rsStar: return PolygonRegion(StarPoints(Rect), WINDING);
    case S::rsRoundShield:
    case S::rsSharpShield: {
      TKitShieldParts parts = ShieldParts(FShape == S::rsSharpShield, w, h);
      HRGN region = EllipseRegion(parts.Ellipses[0]);
      for (std::size_t i = 1; i < parts.Ellipses.size(); ++i)
        CombineInto(region, EllipseRegion(parts.Ellipses[i]), RGN_AND);
      for (const TRect& cut : parts.CutEllipses) CombineInto(region, EllipseRegion(cut), RGN_DIFF);
      CombineInto(region, RectRegion(parts.CutRect), RGN_DIFF);
      return region;
    }
    case S::rsDiamond: return PolygonRegion(DiamondPoints(Rect), ALTERNATE);
    case S::rsOctagon: return PolygonRegion(OctagonPoints(Rect), ALTERNATE);
    case S::rsComb: return PolygonRegion(CombPoints(Rect), ALTERNATE);
    case S::rsHalfRound: return EllipseRegion({L, T - h, R, B});
    case S::rsThinkBubble:
    case S::rsRoundThinkBubble:
    case S::rsEllipticThinkBubble: {
      TRect body = Rect;
      std::vector<TKitBubble> bubbles = CalcBubblePoints(body, w / 6, BubbleCount, FExtPos);
      HRGN region = FShape == S::rsThinkBubble      ? RectRegion(body)
                    : FShape == S::rsRoundThinkBubble ? CreateRoundRectRgn(body.Left, body.Top, body.Right,
                                                                           body.Bottom, FRoundX, FRoundY)
                                                      : EllipseRegion(body);
      HRGN bubbleRegion = CreateRectRgn(0, 0, 1, 1);
      for (const TKitBubble& b : bubbles) {
        int r = b.Diameter / 2;
        CombineInto(bubbleRegion, EllipseRegion({b.Center.X - r, b.Center.Y - r, b.Center.X + r, b.Center.Y + r}),
                    RGN_OR);
      }
      CombineInto(region, bubbleRegion, RGN_OR);
      return region;
    }
  }
  return nullptr;
}

HRGN TKitRegion::CreateRegion(const TRect& Rect) {
  if (FOwner && FOwner->ComponentState().Contains(csDestroying)) return nullptr;
  TRect r = OffsetRect(Rect, Offset.X, Offset.Y);
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  if (FShadow->GetStyle() != TKitShadowStyle::hssNone) {
    r.Right -= FShadow->GetDepth();
    r.Bottom -= FShadow->GetDepth();
  }
  FHandle = CreateShapeRegion(r);
  return FHandle;
}

void TKitRegion::PaintBorder(TCanvas* Canvas, const TRect& Rect) {
  using S = TKitRegionBorderStyle;
  TRect r = OffsetRect(Rect, Offset.X, Offset.Y);
  const bool shadowed = FShadow->GetStyle() != TKitShadowStyle::hssNone;
  const int depth = FShadow->GetDepth();
  if (shadowed) r.Right -= depth, r.Bottom -= depth;
  // Nothing to draw (no shadow, no outline): the context is left alone.
  bool outlined = FShape != TKitRegionShape::rsBitmap && FShape != TKitRegionShape::rsUserRegion &&
                  FBorder->GetStyle() != S::rbNone;
  if ((!shadowed || SuppressShadow) && !outlined) return;
  TKitDCState state(Canvas->HandleWithoutFont());
  HRGN shape = CreateShapeRegion(r);
  if (!shape) return;
  state.Own(shape);
  if (shadowed && !SuppressShadow) {
    HRGN area = state.Own(CopyRegion(shape, depth, depth));
    CombineRgn(area, area, shape, RGN_DIFF);
    if (FShadow->GetStyle() == TKitShadowStyle::hssSolid) {
      FillRegion(state, area, FShadow->GetColor());
    } else {
      // PaintRgn honours the mix mode, FillRgn does not.
      TBitmap* checker = KitApplication()->GetCheckerBrushBitmap(FShadow->GetColor());
      SelectObject(state.DC(), state.Own(CreatePatternBrush(checker->GetHandle())));
      SetROP2(state.DC(), R2_MASKPEN);
      PaintRgn(state.DC(), area);
    }
  }
  if (FShape == TKitRegionShape::rsBitmap || FShape == TKitRegionShape::rsUserRegion) return;
  TColor light = FBorder->GetLightColor(), dark = FBorder->GetShadowColor(), single = FBorder->GetSingleColor();
  auto inset = [&] { return state.Own(CreateShapeRegion(InflateRect(r, -1, -1))); };
  switch (FBorder->GetStyle()) {
    case S::rbNone: break;
    case S::rbRaised: PaintTwoColorOutline(state, shape, light, dark); break;
    case S::rbLowered: PaintTwoColorOutline(state, shape, dark, light); break;
    case S::rbSingle:
    case S::rbSingleRaised:
    case S::rbSingleLowered: {
      FrameRgn(state.DC(), shape, state.Own(CreateSolidBrush(ColorToRGB(single) & 0xFFFFFF)), 1, 1);
      if (FBorder->GetStyle() == S::rbSingle) break;
      bool raised = FBorder->GetStyle() == S::rbSingleRaised;
      if (HRGN inner = inset()) PaintTwoColorOutline(state, inner, raised ? light : dark, raised ? dark : light);
      break;
    }
    case S::rbRaisedpsb:
    case S::rbLoweredpsb: {
      bool raised = FBorder->GetStyle() == S::rbRaisedpsb;
      PaintTwoColorOutline(state, shape, raised ? light : dark, single);
      if (HRGN inner = inset()) PaintTwoColorOutline(state, inner, clBlack, raised ? dark : light, false);
      break;
    }
  }
}

void TKitRegion::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TKitRegion*>(Source);
  if (!s) return inherited::Assign(Source);
  BeginUpdate();
  FShape = s->FShape;
  FRoundX = s->FRoundX;
  FRoundY = s->FRoundY;
  FShadow->Assign(s->FShadow);
  FExtPos = s->FExtPos;
  FBorder->Assign(s->FBorder);
  FMask->Assign(s->FMask);
  EndUpdate(true);
}

// ---- TKitFormShape ----

TKitFormShape::TKitFormShape(TComponent* AOwner)
    : TKitWndProcComponent(AOwner),
      FRegion(new TKitBorderRegion(AOwner)),
      FFillObject(new TKitFillObject),
      FCache(new TBitmap) {
  FRegion->OnChange = FFillObject->OnChange = [this](TObject*) { ShapeChanged(); };
  FImageLink.OnChange = [this](TObject*) {
    FCacheValid = false;
    if (TCustomForm* form = OwnerForm(); form && form->HandleAllocated()) form->Invalidate();
  };
}

TKitFormShape::~TKitFormShape() {
  if (FImageList) FImageList->UnRegisterChanges(&FImageLink);
  delete FCache;
  delete FFillObject;
  delete FRegion;
}

void TKitFormShape::SetShowFormCaption(bool Value) {
  if (KitStore(FShowFormCaption, Value)) ApplyFormRegion();
}

void TKitFormShape::SetUseRgnBitmap(bool Value) {
  if (KitStore(FUseRgnBitmap, Value)) ShapeChanged();
}

void TKitFormShape::SetImageList(TKitCustomImageList* Value) {
  if (Value == FImageList) return;
  if (FImageList) FImageList->UnRegisterChanges(&FImageLink);
  FImageList = Value;
  if (FImageList) {
    FImageList->RegisterChanges(&FImageLink);
    FImageList->FreeNotification(this);
  }
  FCacheValid = false;
  Change();
}

void TKitFormShape::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImageList) {
    FImageList = nullptr;
    FCacheValid = false;
  }
}

void TKitFormShape::ShapeChanged() {
  FCacheValid = false;
  Change();
  ApplyFormRegion();
  if (TCustomForm* form = OwnerForm(); form && form->HandleAllocated()) form->Invalidate();
}

void TKitFormShape::Loaded() {
  inherited::Loaded();  // hooks the form's window, which applies the region
}

void TKitFormShape::InitHook() {
  inherited::InitHook();
  if (Hooked()) ApplyFormRegion();
}

void TKitFormShape::RestoreHook() {
  Unhook();
  if (TCustomForm* form = OwnerForm(); form && form->HandleAllocated()) SetWindowRgn(form->GetHandle(), nullptr, TRUE);
}

void TKitFormShape::ApplyFormRegion() {
  const TComponentState state = ComponentState();
  if (FBusy || state.Contains(csLoading) || state.Contains(csDestroying) || !GetEnabled()) return;
  TCustomForm* form = OwnerForm();
  if (!form || !form->HandleAllocated() || form->ComponentState().Contains(csDestroying)) return;
  HWND window = form->GetHandle();
  FBusy = true;
  struct TDone {
    bool& Busy;
    ~TDone() { Busy = false; }
  } done{FBusy};

  const bool minimised = (GetWindowLongPtrW(window, GWL_STYLE) & WS_MINIMIZE) != 0;
  const TFormBorderStyle border = form->GetBorderStyle();
  int caption = 0;
  switch (border) {
    case bsSingle:
    case bsSizeable:
    case bsDialog: caption = GetSystemMetrics(SM_CYCAPTION); break;
    case bsToolWindow:
    case bsSizeToolWin: caption = GetSystemMetrics(SM_CYSMCAPTION); break;
    default: break;
  }
  const bool sizeable = border == bsSizeable || border == bsSizeToolWin;
  int fx = GetSystemMetrics(sizeable ? SM_CXFRAME : SM_CXDLGFRAME);
  int fy = GetSystemMetrics(sizeable ? SM_CYFRAME : SM_CYDLGFRAME);
  if (border == bsNone) fx = fy = 0;
  RECT windowRect{};
  GetWindowRect(window, &windowRect);
  int formWidth = windowRect.right - windowRect.left;
  // The client area's place in the window as the system has made it (the metrics are a
  // guess of it, and all there is while minimised).
  int left = fx, top = fy + caption;
  if (!minimised) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    left = origin.x - windowRect.left;
    top = origin.y - windowRect.top;
  }
  FCaptionHeight = caption;

  HRGN region;
  if (minimised) {
    region = CreateRectRgn(0, 0, formWidth, top);
  } else {
    TKitShadow* shadow = FRegion->GetShadow();
    const bool shadowed = shadow->GetStyle() != TKitShadowStyle::hssNone;
    TBitmap* picture = FRegion->GetMask()->BorderBmp();
    if (FRegion->GetShape() == TKitRegionShape::rsBitmap && !picture->Empty()) {
      RECT client{};
      GetClientRect(window, &client);
      int depth = shadowed ? shadow->GetDepth() : 0;
      int frameW = formWidth - client.right, frameH = (windowRect.bottom - windowRect.top) - client.bottom;
      form->SetBounds(form->GetLeft(), form->GetTop(), picture->GetWidth() + depth + frameW,
                      picture->GetHeight() + depth + frameH);
      GetWindowRect(window, &windowRect);
      formWidth = windowRect.right - windowRect.left;
    }
    RECT client{};
    GetClientRect(window, &client);
    FShapeRect = InflateRect(Rect(0, 0, client.right, client.bottom), 1, 1);
    HRGN shape = FRegion->CreateRegion(FShapeRect);
    if (!shape) {
      // No shape (no valid bitmap or user region): the window stays as it is made.
      SetWindowRgn(window, nullptr, TRUE);
      return;
    }
    region = CopyRegion(shape, left, top);
    if (shadowed) CombineInto(region, CopyRegion(region, shadow->GetDepth(), shadow->GetDepth()), RGN_OR);
    HRGN strip = CreateRectRgn(0, 0, formWidth, top);
    CombineInto(region, strip, FShowFormCaption && border != bsNone ? RGN_OR : RGN_DIFF);
    // Nothing of a shape (or its shadow) reaching past the window belongs to it.
    CombineInto(region, CreateRectRgn(0, 0, formWidth, windowRect.bottom - windowRect.top), RGN_AND);
  }
  // The window owns the region from here on.
  if (!SetWindowRgn(window, region, TRUE)) DeleteObject(region);
}

void TKitFormShape::WndProc(TKitMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE:
      PassOn(Message);
      FCacheValid = false;
      ApplyFormRegion();
      if (TCustomForm* form = OwnerForm()) InvalidateRect(form->GetHandle(), nullptr, TRUE);
      return;
    case WM_ERASEBKGND: {
      if (FFillObject->GetStyle() == TKitFillStyle::sfNone && FRegion->GetShape() != TKitRegionShape::rsBitmap)
        PassOn(Message);
      if (auto dc = reinterpret_cast<HDC>(Message.WParam)) {
        TCanvas canvas;
        canvas.SetHandle(dc);
        PaintBackground(&canvas);
        canvas.SetHandle(nullptr);
      }
      Message.Result = 1;
      return;
    }
    case WM_NCHITTEST: {
      PassOn(Message);
      TCustomForm* form = OwnerForm();
      if (!FormDragable || Message.Result != HTCLIENT || FRightButton || !form) return;
      TPoint p = form->ScreenToClient({static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))});
      if (!form->ControlAtPos(p, true, false)) Message.Result = HTCAPTION;
      return;
    }
    case WM_NCRBUTTONDOWN:
      // The system tracks the button until it is released: the flag holds meanwhile.
      FRightButton = true;
      PassOn(Message);
      FRightButton = false;
      return;
    case WM_NCRBUTTONUP:
    case WM_RBUTTONUP:
    case WM_CAPTURECHANGED:
      PassOn(Message);
      FRightButton = false;
      return;
    default: inherited::WndProc(Message);
  }
}

void TKitFormShape::PaintBackground(TCanvas* Canvas) {
  TBitmap* picture = FRegion->GetMask()->BorderBmp();
  if (FUseRgnBitmap && FRegion->GetShape() == TKitRegionShape::rsBitmap) {
    if (!picture->Empty()) Canvas->Draw(0, 0, picture);
  } else if (FFillObject->GetStyle() != TKitFillStyle::sfNone && FillCache()) {
    Canvas->Draw(0, 0, FCache);
  }
  FRegion->PaintBorder(Canvas, FShapeRect);
}

bool TKitFormShape::FillCache() {
  TCustomForm* form = OwnerForm();
  if (!form) return false;
  TRect client = form->ClientRect();
  if (client.IsEmpty()) return false;
  if (FCacheValid && FCache->GetWidth() == client.Width() && FCache->GetHeight() == client.Height()) return true;
  FCache->SetSize(client.Width(), client.Height());
  if (FFillObject->GetStyle() == TKitFillStyle::sfBitmapList && FImageList)
    FImageList->CopyPicture(ListIndex, ImageIndex, FFillObject->ListBitmap());
  FillObjectRect(FFillObject, FCache->Canvas(), Bounds(0, 0, client.Width(), client.Height()), clWhite);
  FCache->FreeContext();
  FCacheValid = true;
  return true;
}

bool TKitFormShape::HasBackground() {
  if (FUseRgnBitmap && FRegion->GetShape() == TKitRegionShape::rsBitmap)
    return !FRegion->GetMask()->BorderBmp()->Empty();
  return FFillObject->GetStyle() != TKitFillStyle::sfNone && !ComponentState().Contains(csDesigning);
}

TBitmap* TKitFormShape::GetBackgroundBitmap() {
  if (FUseRgnBitmap && FRegion->GetShape() == TKitRegionShape::rsBitmap) {
    TBitmap* picture = FRegion->GetMask()->BorderBmp();
    return picture->Empty() ? nullptr : picture;
  }
  if (FFillObject->GetStyle() == TKitFillStyle::sfNone || !FillCache()) return nullptr;
  return FCache;
}

TKitFormShape* FindFormShape(TComponent* Form) {
  if (!Form) return nullptr;
  TKitFormShape* found = nullptr;
  for (int i = 0; i < Form->ComponentCount(); ++i)
    if (auto* shape = dynamic_cast<TKitFormShape*>(Form->Components(i))) found = shape;
  return found;
}
