#include "controls/kitcontrols.h"

#include "classlib/windows/forms.h"
#include "controls/kitshape.h"

HX_PUBLISH(TKitCustomControl, p) {}
HX_PUBLISH(TKitBaseControl, p) {}
HX_PUBLISH(TKitBaseGraphicControl, p) {}
HX_PUBLISH(TKitGraphicControl, p) {}
HX_PUBLISH(TKitCustomPanel, p) {}
HX_PUBLISH(TKitCustomBevelPanel, p) {}
HX_PUBLISH(TKitCustomStatusBar, p) {}

namespace {
bool Designing(const TComponent* C) { return C->ComponentState().Contains(csDesigning); }
bool Loading(const TComponent* C) { return C->ComponentState().Contains(csLoading); }

// A frame drawn on a window's whole DC; the DC and brushes go back however it ends.
class TWindowFrameDC {
 public:
  explicit TWindowFrameDC(HWND Window) : FWindow(Window), FDC(GetWindowDC(Window)) {
    RECT r{};
    GetWindowRect(Window, &r);
    FRect = {0, 0, r.right - r.left, r.bottom - r.top};
  }
  ~TWindowFrameDC() {
    for (HBRUSH b : FBrushes) DeleteObject(b);
    if (FDC) ReleaseDC(FWindow, FDC);
  }
  HBRUSH Brush(int SysColor) { return FBrushes.emplace_back(CreateSolidBrush(GetSysColor(SysColor))); }
  HDC DC() const { return FDC; }
  RECT FRect;

 private:
  HWND FWindow;
  HDC FDC;
  std::vector<HBRUSH> FBrushes;
};
}  // namespace

TKitImageLink::TKitImageLink(TComponent* Owner, std::function<void()> Changed)
    : FOwner(Owner), FChanged(std::move(Changed)) {
  FLink.OnChange = [this](TObject*) { FChanged(); };
}

TKitImageLink::~TKitImageLink() {
  if (FList) FList->UnRegisterChanges(&FLink);
}

void TKitImageLink::SetList(TKitCustomImageList* Value) {
  if (FList == Value) return;
  if (FList) {
    FList->UnRegisterChanges(&FLink);
    FList->RemoveFreeNotification(FOwner);
  }
  FList = Value;
  if (FList) {
    FList->RegisterChanges(&FLink);
    FList->FreeNotification(FOwner);
  }
  FChanged();
}

void TKitImageLink::SetImageIndex(int Value) {
  if (Value >= 0 && KitStore(FImageIndex, Value)) FChanged();
}

void TKitImageLink::SetListIndex(int Value) {
  if (Value >= 0 && KitStore(FListIndex, Value)) FChanged();
}

void TKitImageLink::Removed(TComponent* AComponent) {
  if (AComponent != FList || !FList) return;
  FList = nullptr;
  FChanged();
}

// ---- TKitCustomControl ----

TKitCustomControl::TKitCustomControl(TComponent* AOwner)
    : TCustomControl(AOwner), FImages(this, [this] { ImageListChanged(); }) {
  SetBounds(GetLeft(), GetTop(), 100, 40);
  SetTabStop(false);
}

void TKitCustomControl::SetTransparent(bool Value) {
  if (!KitStore(FTransparent, Value)) return;
  TControlStyle style = GetControlStyle();
  SetControlStyle(Value ? style - TControlStyle{csOpaque} : style + TControlStyle{csOpaque});
  Invalidate();
}

void TKitCustomControl::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove) FImages.Removed(AComponent);
}

void TKitCustomControl::ImageListChanged() {
  if (FRepaintOnImageChange) Invalidate();
}

bool TKitCustomControl::FindBackground(TBitmap*& Bitmap, TPoint& ClientOrigin) {
  TWinControl* parent = GetParent();
  if (!parent) return false;
  // Where the client area lies inside the control: half the non-client difference.
  TRect client = ClientRect();
  TPoint own{GetLeft() + (GetWidth() - client.Width()) / 2, GetTop() + (GetHeight() - client.Height()) / 2};
  TPoint parentOrigin{0, 0};
  Bitmap = nullptr;
  if (auto* kit = dynamic_cast<TKitCustomControl*>(parent)) {
    if (kit->HasBackground()) Bitmap = kit->GetBackgroundBitmap();
    else if (kit->GetTransparent() && !kit->FindBackground(Bitmap, parentOrigin)) return false;
  } else if (dynamic_cast<TCustomForm*>(parent)) {
    TKitFormShape* shape = FindFormShape(parent);
    if (shape && shape->HasBackground()) Bitmap = shape->GetBackgroundBitmap();
  }
  if (!Bitmap) return false;
  ClientOrigin = {parentOrigin.X + own.X, parentOrigin.Y + own.Y};
  return true;
}

bool TKitCustomControl::IsTransparent() {
  if (!FTransparent || !GetParent() || !GetParent()->Showing()) return false;
  TBitmap* bitmap = nullptr;
  TPoint origin;
  return FindBackground(bitmap, origin);
}

bool TKitCustomControl::CopyBackgroundPart(TCanvas* Canvas) {
  TBitmap* bitmap = nullptr;
  TPoint o;
  if (!FindBackground(bitmap, o)) return false;
  TRect client = ClientRect();
  Canvas->CopyRect(client, bitmap->Canvas(), Bounds(o.X, o.Y, client.Width(), client.Height()));
  return true;
}

void TKitCustomControl::EraseBackground(TCanvas* Canvas) {
  if (IsTransparent() && CopyBackgroundPart(Canvas)) return;
  Canvas->GetBrush()->SetColor(GetColor());
  Canvas->GetBrush()->SetStyle(bsSolid);
  Canvas->FillRect(ClientRect());
}

void TKitCustomControl::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TKitCustomControl::Paint() {
  if (Loading(this)) return;
  EraseBackground(Canvas());
  if (!Designing(this)) PaintNormalFrame();
}

void TKitCustomControl::MouseEnter() {
  FMouseInside = true;
  TCustomControl::MouseEnter();
}

void TKitCustomControl::MouseLeave() {
  FMouseInside = false;
  if (!FFocused) PaintNormalFrame();
  TCustomControl::MouseLeave();
  if (OnMouseExit) OnMouseExit(this);
}

void TKitCustomControl::PaintNormalFrame() {
  if (!FFlatFrame || Designing(this) || FMouseInside || !HandleAllocated()) return;
  TWindowFrameDC frame(GetHandle());
  HBRUSH face = frame.Brush(COLOR_BTNFACE);
  FrameRect(frame.DC(), &frame.FRect, face);
  RECT inner = frame.FRect;
  InflateRect(&inner, -1, -1);
  FrameRect(frame.DC(), &inner, face);
}

void TKitCustomControl::PaintHotFrame() {
  if (!FFlatFrame || Designing(this) || !HandleAllocated()) return;
  TWindowFrameDC frame(GetHandle());
  RECT r = frame.FRect;
  FrameRect(frame.DC(), &r, frame.Brush(COLOR_WINDOWFRAME));
  InflateRect(&r, -1, -1);
  FrameRect(frame.DC(), &r, frame.Brush(COLOR_BTNFACE));
  DrawEdge(frame.DC(), &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
}

void TKitCustomControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      if (IsTransparent()) {
        Message.Result = 1;
        return;
      }
      break;
    case WM_MOVE:
      TCustomControl::Dispatch(Message);
      if (IsTransparent()) Invalidate();
      return;
    case WM_SIZE:
      TCustomControl::Dispatch(Message);
      // The background under every child moved too: their windows are invalidated (not
      // sent WM_PAINT outside their update region).
      if (HandleAllocated()) {
        if (IsTransparent())
          RedrawWindow(GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        else Invalidate();
      }
      return;
    case CM_KITBACKGROUNDCHANGED:
      if (Loading(this)) return;
      Invalidate();
      if (IsTransparent()) Broadcast(Message);
      return;
    case CM_SYSCOLORCHANGE:
      if (!IsTransparent()) Invalidate();
      break;
    case WM_SETFOCUS:
      TCustomControl::Dispatch(Message);
      if (HandleAllocated()) PostMessageW(GetHandle(), CM_KITFOCUSGAINED, 0, 0);
      return;
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(Message);
      if (HandleAllocated()) PostMessageW(GetHandle(), CM_KITFOCUSLOST, 0, 0);
      return;
    case CM_KITFOCUSGAINED:
      if (OnFocusGained) OnFocusGained(this);
      return;
    case CM_KITFOCUSLOST:
      if (OnFocusLost) OnFocusLost(this);
      return;
    case CM_ENTER:
      FFocused = true;
      PaintHotFrame();
      break;
    case CM_EXIT:
      FFocused = false;
      PaintNormalFrame();
      break;
  }
  TCustomControl::Dispatch(Message);
}

// ---- TKitBaseControl ----

TKitBaseControl::TKitBaseControl(TComponent* AOwner)
    : TGraphicControl(AOwner), FImages(this, [this] { ImageListChanged(); }) {}

void TKitBaseControl::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove) FImages.Removed(AComponent);
}

void TKitBaseControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TRect old = GetBoundsRect();
  TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  TRect now = GetBoundsRect();
  int changes = 0;
  if (now.Left != old.Left || now.Top != old.Top) changes |= 2;
  if (now.Width() != old.Width() || now.Height() != old.Height()) changes |= 1;
  if (changes && !Loading()) BoundsChanged(changes);
}

void TKitBaseControl::BoundsChanged(int Changes) {
  if (OnBoundsChanged) OnBoundsChanged(this, (Changes & 1) != 0);
}

void TKitBaseControl::InvalidateUnlessLoading() {
  if (!Loading()) Invalidate();
}

void TKitBaseControl::MouseLeave() {
  TGraphicControl::MouseLeave();
  if (OnMouseExit) OnMouseExit(this);
}

// ---- TKitBaseGraphicControl, TKitGraphicControl ----

TKitBaseGraphicControl::TKitBaseGraphicControl(TComponent* AOwner) : TKitBaseControl(AOwner) {
  SetControlStyle(GetControlStyle() - TControlStyle{csOpaque} + TControlStyle{csReplicatable});
  SetBounds(GetLeft(), GetTop(), 30, 30);
}

void TKitBaseGraphicControl::SetTransparent(bool Value) {
  if (!KitStore(FTransparent, Value)) return;
  TControlStyle style = GetControlStyle();
  SetControlStyle(Value ? style - TControlStyle{csOpaque} : style + TControlStyle{csOpaque});
  Perform(CM_KITGRAPHICTRANSPARENCY);
}

void TKitBaseGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_KITGRAPHICTRANSPARENCY) {
    // Becoming transparent needs the parent's background under it again.
    if (!Loading()) Invalidate();
    return;
  }
  TKitBaseControl::Dispatch(Message);
}

TKitGraphicControl::TKitGraphicControl(TComponent* AOwner) : TKitBaseGraphicControl(AOwner), FBevel(new TKitBevel) {
  FBevel->OnChange = [this](TObject* Sender) { BevelChanged(Sender); };
}

TKitGraphicControl::~TKitGraphicControl() { delete FBevel; }

void TKitGraphicControl::Paint() {
  TRect inner;
  FBevel->PaintBevel(Canvas(), ClientRect(), inner, GetTransparent());
}

// ---- Panels ----

TKitCustomPanel::TKitCustomPanel(TComponent* AOwner) : TKitCustomControl(AOwner) {
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks, csReplicatable});
  SetColor(clBtnFace);
}

TKitCustomBevelPanel::TKitCustomBevelPanel(TComponent* AOwner) : TKitCustomPanel(AOwner), FBevel(new TKitBevel) {
  FBevel->OnChange = [this](TObject* Sender) { BevelChanged(Sender); };
}

TKitCustomBevelPanel::~TKitCustomBevelPanel() { delete FBevel; }

void TKitCustomBevelPanel::CreateParams(TCreateParams& Params) {
  TKitCustomPanel::CreateParams(Params);
  FWindowMode = FBevel->GetMode();
  FBevel->SetWindowBorderAllowed(WindowsBorder());
  if (WindowsBorder()) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TKitCustomBevelPanel::AlignControls(TControl* AControl, TRect& Rect) {
  if (!WindowsBorder()) Rect = FBevel->GetClientRect(Rect);
  TKitCustomPanel::AlignControls(AControl, Rect);
}

void TKitCustomBevelPanel::Paint() {
  if (ComponentState().Contains(csLoading)) return;
  EraseBackground(Canvas());
  if (WindowsBorder()) return;
  if (FFlatFrame && !Designing(this) && !MouseInside()) {
    PaintNormalFrame();
    return;
  }
  TRect inner;
  FBevel->PaintBevel(Canvas(), ClientRect(), inner, false);
}

void TKitCustomBevelPanel::PaintNormalFrame() {
  if (WindowsBorder()) {
    TKitCustomPanel::PaintNormalFrame();
    return;
  }
  if (!FFlatFrame || Designing(this) || MouseInside()) return;
  // The bevel shows only while the control is hot: its four strips get the background.
  TRect c = ClientRect();
  int w = FBevel->BevelExtend();
  TRect strips[] = {{c.Left, c.Top, c.Right, c.Top + w},
                    {c.Left, c.Top, c.Left + w, c.Bottom},
                    {c.Left, c.Bottom - w, c.Right, c.Bottom},
                    {c.Right - w, c.Top, c.Right, c.Bottom}};
  TBitmap* bitmap = nullptr;
  TPoint o;
  bool background = IsTransparent() && FindBackground(bitmap, o);
  Canvas()->GetBrush()->SetColor(GetColor());
  for (const TRect& s : strips) {
    if (background) Canvas()->CopyRect(s, bitmap->Canvas(), Bounds(o.X + s.Left, o.Y + s.Top, s.Width(), s.Height()));
    else Canvas()->FillRect(s);
  }
}

void TKitCustomBevelPanel::PaintHotFrame() {
  if (WindowsBorder()) {
    TKitCustomPanel::PaintHotFrame();
    return;
  }
  if (!FFlatFrame || Designing(this)) return;
  TRect inner;
  FBevel->PaintBevel(Canvas(), ClientRect(), inner, true);
}

void TKitCustomBevelPanel::BevelChanged(TObject*) {
  if (HandleAllocated() && WindowsBorder() != (FWindowMode == TKitBevelMode::bmWindows)) RecreateWnd();
  FBevel->SetWindowBorderAllowed(WindowsBorder());
  Realign();
  Invalidate();
}

void TKitCustomBevelPanel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_CTL3DCHANGED && WindowsBorder() && HandleAllocated()) {
    RecreateWnd();
    return;
  }
  TKitCustomPanel::Dispatch(Message);
}
