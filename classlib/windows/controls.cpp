#include "classlib/windows/controls.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>

#include "classlib/core/callbackguard.h"
#include "classlib/windows/controlhost.h"
#include "classlib/core/filer.h"
#include "classlib/core/finally.h"
#include "classlib/core/lists.h"
#include "classlib/core/unicode.h"

#include <shellapi.h>

HX_PUBLISH(TControl, p) {
  p.Property("Left", &TControl::GetLeft, &TControl::SetLeft).Stored(&TControl::IsPositionStored);
  p.Property("Top", &TControl::GetTop, &TControl::SetTop).Stored(&TControl::IsPositionStored);
  p.Property("Width", &TControl::GetWidth, &TControl::SetWidth).Stored(&TControl::IsSizeStored);
  p.Property("Height", &TControl::GetHeight, &TControl::SetHeight).Stored(&TControl::IsSizeStored);
  p.Property("Cursor", &TControl::GetCursor, &TControl::SetCursor).Default(crDefault);
  p.Property("DragCursor", &TControl::GetDragCursor, &TControl::SetDragCursor).Default(crDrag);
  p.Property("DragKind", &TControl::GetDragKind, &TControl::SetDragKind).Default(dkDrag);
  p.Property("DragMode", &TControl::GetDragMode, &TControl::SetDragMode).Default(dmManual);
  p.Property("Hint", &TControl::GetHint, &TControl::SetHint).Default("");
  p.Event("OnDragDrop", &TControl::OnDragDrop);
  p.Event("OnDragOver", &TControl::OnDragOver);
  p.Event("OnEndDrag", &TControl::OnEndDrag);
  p.Event("OnStartDrag", &TControl::OnStartDrag);
}
HX_PUBLISH(TWinControl, p) {}
HX_PUBLISH(TSizeConstraints, p) {
  p.Property("MaxHeight", &TSizeConstraints::GetMaxHeight, &TSizeConstraints::SetMaxHeight).Default(0);
  p.Property("MaxWidth", &TSizeConstraints::GetMaxWidth, &TSizeConstraints::SetMaxWidth).Default(0);
  p.Property("MinHeight", &TSizeConstraints::GetMinHeight, &TSizeConstraints::SetMinHeight).Default(0);
  p.Property("MinWidth", &TSizeConstraints::GetMinWidth, &TSizeConstraints::SetMinWidth).Default(0);
}
HX_PUBLISH(TGraphicControl, p) {}
HX_PUBLISH(TCustomControl, p) {}
HX_PUBLISH(TControlCanvas, p) {}

const TIdentMap& HxIdentMap(TCursor) {
  static const TIdentMap map{
      {crDefault, "crDefault"},     {crNone, "crNone"},         {crArrow, "crArrow"},
      {crCross, "crCross"},         {crIBeam, "crIBeam"},       {crSizeNESW, "crSizeNESW"},
      {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"},
      {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
      {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},     {crVSplit, "crVSplit"},
      {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},   {crNo, "crNo"},
      {crAppStart, "crAppStart"},   {crHelp, "crHelp"},         {crHandPoint, "crHandPoint"},
      {crSizeAll, "crSizeAll"},
  };
  return map;
}

TShiftState MouseShiftState(WPARAM Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(ssShift);
  if (Keys & MK_CONTROL) s.Include(ssCtrl);
  if (Keys & MK_LBUTTON) s.Include(ssLeft);
  if (Keys & MK_RBUTTON) s.Include(ssRight);
  if (Keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyboardShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  if (GetKeyState(VK_LBUTTON) < 0) s.Include(ssLeft);
  if (GetKeyState(VK_RBUTTON) < 0) s.Include(ssRight);
  if (GetKeyState(VK_MBUTTON) < 0) s.Include(ssMiddle);
  return s;
}

bool IsAccel(WPARAM Key, const String& Caption) {
  std::wstring text = Utf8ToWide(Caption);
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != L'&') continue;
    if (text[i + 1] == L'&') {
      ++i;
      continue;
    }
    auto upper = [](WPARAM c) { return reinterpret_cast<WPARAM>(CharUpperW(reinterpret_cast<LPWSTR>(c & 0xFFFF))); };
    return upper(text[i + 1]) == upper(Key);
  }
  return false;
}

// ---- Windows of our controls ----

namespace {

// Which control a window belongs to; filled when its first message arrives (during
// CreateWindowEx, from the control being created on this thread), emptied at WM_NCDESTROY.
std::mutex windowsLock;
std::unordered_map<HWND, TWinControl*> windows;
thread_local TWinControl* creationControl = nullptr;
// The default procedure of each window class we registered (a system class's for classes
// built on one): by class atom for windows let go, by name for new windows.
std::map<ATOM, WNDPROC> classDefaults;
std::map<std::wstring, WNDPROC> classDefaultsByName;
int nextControlId = 1;

void Bind(HWND Window, TWinControl* Control) {
  std::lock_guard lock(windowsLock);
  windows[Window] = Control;
}

void Unbind(HWND Window) {
  std::lock_guard lock(windowsLock);
  windows.erase(Window);
}

// An MDI child goes through its MDI client, which then forgets it and activates another.
void DestroyControlWindow(HWND Window) {
  if (GetWindowLongPtrW(Window, GWL_EXSTYLE) & WS_EX_MDICHILD)
    SendMessageW(GetParent(Window), WM_MDIDESTROY, reinterpret_cast<WPARAM>(Window), 0);
  else
    DestroyWindow(Window);
}

// The control under the mouse (for enter and leave), and one that has it captured.
TControl* mouseControl = nullptr;

void SetMouseControl(TControl* Control) {
  if (Control == mouseControl) return;
  TControl* old = mouseControl;
  mouseControl = Control;
  if (old) old->Perform(CM_MOUSELEAVE);
  if (Control && mouseControl == Control) Control->Perform(CM_MOUSEENTER);
  if (TControlHost* host = mouseControl ? mouseControl->Host() : ApplicationHost())
    host->MouseControlChanged(mouseControl);
}

// The topmost parent of Control (Control itself when it has none).
TControl* TopParent(TControl* Control) {
  while (Control->GetParent()) Control = Control->GetParent();
  return Control;
}

// The form Control sits on: its topmost parent when that hosts controls (forms do).
TWinControl* HostForm(TControl* Control) {
  TControl* top = TopParent(Control);
  return dynamic_cast<TControlHost*>(top) ? dynamic_cast<TWinControl*>(top) : nullptr;
}

std::vector<TControlCanvas*> controlCanvases;

RECT ToRECT(const TRect& R) { return {R.Left, R.Top, R.Right, R.Bottom}; }

}  // namespace

TWinControl* FindControl(HWND Window) {
  if (!Window) return nullptr;
  std::lock_guard lock(windowsLock);
  auto it = windows.find(Window);
  return it == windows.end() ? nullptr : it->second;
}

LRESULT CALLBACK StdWndProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* control = FindControl(Window);
  if (!control && creationControl) {
    control = creationControl;
    creationControl = nullptr;
    control->FHandle = Window;
    Bind(Window, control);
  }
  if (!control) {
    // A window whose control has let it go (it is being destroyed): its class's own procedure.
    auto atom = static_cast<ATOM>(GetClassWord(Window, GCW_ATOM));
    auto it = classDefaults.find(atom);
    WNDPROC proc = it == classDefaults.end() ? DefWindowProcW : it->second;
    return CallWindowProcW(proc, Window, Msg, WParam, LParam);
  }
  TMessage message{Msg, WParam, LParam, 0};
  GuardCallback([&] { control->WindowProc(message); });
  if (Msg == WM_NCDESTROY) {
    // The control may be gone already (freed by its own message); the map says.
    if (TWinControl* still = FindControl(Window)) {
      Unbind(Window);
      still->FHandle = nullptr;
      still->FShowing = false;
    }
  }
  return message.Result;
}

TControlHost* TControl::Host() {
  if (auto* form = dynamic_cast<TControlHost*>(TopParent(this))) return form;
  return ApplicationHost();
}

// ---- TControl ----

// ---- Size constraints ----

void TSizeConstraints::Apply(int& Width, int& Height) const {
  if (FMaxWidth > 0) Width = std::min(Width, FMaxWidth);
  if (FMaxHeight > 0) Height = std::min(Height, FMaxHeight);
  Width = std::max(Width, FMinWidth);
  Height = std::max(Height, FMinHeight);
}

void TSizeConstraints::Change(int& Field, int Value, int Min, int Max) {
  if (Value < 0) throw EInvalidOperation("A size constraint cannot be negative");
  if (Max > 0 && Min > Max)
    throw EInvalidOperation("A size constraint's minimum (" + std::to_string(Min) + ") exceeds its maximum (" +
                            std::to_string(Max) + ")");
  if (Field == Value) return;
  Field = Value;
  if (FControl) FControl->SetBounds(FControl->FLeft, FControl->FTop, FControl->FWidth, FControl->FHeight);
}

void TSizeConstraints::Assign(TPersistent* Source) {
  auto* from = dynamic_cast<TSizeConstraints*>(Source);
  if (!from) return TPersistent::Assign(Source);
  // Widened first, so no step in between has its minimum above its maximum.
  FMinWidth = FMinHeight = FMaxWidth = FMaxHeight = 0;
  SetMaxWidth(from->FMaxWidth);
  SetMaxHeight(from->FMaxHeight);
  SetMinWidth(from->FMinWidth);
  SetMinHeight(from->FMinHeight);
}

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FConstraints(std::make_unique<TSizeConstraints>(this)), FFont(new TFont) {
  WindowProc = [this](TMessage& m) { WndProc(m); };
  FFont->OnChange = [this](TObject*) { FontChanged(); };
  FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
}

TControl::~TControl() {
  Destroying();
  TControlHost* host = Host();
  if (host) host->DragControlDestroyed(this);
  if (mouseControl == this) {
    mouseControl = nullptr;
    if (host) host->MouseControlChanged(nullptr);
  }
  if (FParent) FParent->RemoveControl(this);
  delete FFont;
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* parent = dynamic_cast<TWinControl*>(Value)) SetParent(parent);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  FAnchorBaseKnown = false;
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::ReadState(TReader* Reader) {
  FControlState.Include(csReadingState);
  if (auto* parent = dynamic_cast<TWinControl*>(Reader->Parent())) SetParent(parent);
  TFinally done([this] { FControlState.Exclude(csReadingState); });
  TComponent::ReadState(Reader);
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (FParent) {
    if (FParentColor) SetParentColorValue();
    if (FParentFont) SetParentFontValue();
  }
  if (FAutoSize) AdjustSize();
  RequestAlign();
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FAutoSize && !ComponentState().Contains(csLoading)) CanAutoSize(AWidth, AHeight);
  FConstraints->Apply(AWidth, AHeight);
  if (!FAnchoring) FAnchorBaseKnown = false;
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  bool resized = AWidth != FWidth || AHeight != FHeight;
  // Where it was, background and all: what it no longer covers (the end of a label's
  // longer caption) is the parent's to paint, even under an opaque control.
  if (FVisible && FParent && FParent->HandleAllocated()) {
    RECT was = ToRECT(GetBoundsRect());
    InvalidateRect(FParent->GetHandle(), &was, TRUE);
  }
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Invalidate();  // where it is
  RequestAlign();
  if (resized && !ComponentState().Contains(csLoading)) Resize();
}

void TControl::UpdateBoundsFromWindow(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  bool resized = AWidth != FWidth || AHeight != FHeight;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (resized) {
    if (auto* win = dynamic_cast<TWinControl*>(this)) win->Realign();
    if (!ComponentState().Contains(csLoading)) Resize();
  }
  RequestAlign();
}

TRect TControl::ClientRect() { return Rect(0, 0, FWidth, FHeight); }

void TControl::SetClientSize(int Width, int Height) {
  TRect client = ClientRect();
  SetBounds(FLeft, FTop, FWidth - client.Width() + Width, FHeight - client.Height() + Height);
}

TPoint TControl::ClientOrigin() {
  if (!FParent) return {FLeft, FTop};
  TPoint origin = FParent->ClientOrigin();
  return {origin.X + FLeft, origin.Y + FTop};
}

void TControl::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  FAnchorBaseKnown = false;
  RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
  if (Value == FAnchors) return;
  FAnchors = Value;
  FAnchorBaseKnown = false;
  RequestAlign();
}

void TControl::AnchorPlace(int ParentWidth, int ParentHeight) {
  if (!FAnchorBaseKnown) {
    FAnchorBase = GetBoundsRect();
    FAnchorParentSize = {ParentWidth, ParentHeight};
    FAnchorBaseKnown = true;
    return;
  }
  // One axis: the near edge stays, the far edge stays, both (stretched) or neither (the
  // middle keeps its share).
  auto axis = [this](TAnchorKind Near, TAnchorKind Far, int Start, int Size, int Grown, int& NewStart, int& NewSize) {
    NewStart = Start;
    NewSize = Size;
    if (FAnchors.Contains(Far)) {
      if (FAnchors.Contains(Near)) NewSize = Size + Grown;
      else NewStart = Start + Grown;
    } else if (!FAnchors.Contains(Near)) {
      NewStart = Start + Grown / 2;
    }
  };
  int left, width, top, height;
  axis(akLeft, akRight, FAnchorBase.Left, FAnchorBase.Width(), ParentWidth - FAnchorParentSize.X, left, width);
  axis(akTop, akBottom, FAnchorBase.Top, FAnchorBase.Height(), ParentHeight - FAnchorParentSize.Y, top, height);
  FAnchoring = true;
  TFinally done([this] { FAnchoring = false; });
  SetBounds(left, top, width, height);
}

void TControl::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  if (Value) AdjustSize();
}

void TControl::AdjustSize() {
  if (ComponentState().Contains(csLoading) || !FAutoSize) return;
  int width = FWidth, height = FHeight;
  if (CanAutoSize(width, height)) SetBounds(FLeft, FTop, width, height);
}

bool TControl::CanAutoSize(int&, int&) { return false; }

void TControl::RequestAlign() {
  if (FParent) FParent->Realign();
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::BringToFront() {
  if (!FParent) {
    if (auto* win = dynamic_cast<TWinControl*>(this); win && win->HandleAllocated())
      SetWindowPos(win->GetHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return;
  }
  auto& list = FParent->FControls;
  list.erase(std::find(list.begin(), list.end(), this));
  list.push_back(this);
  if (auto* win = dynamic_cast<TWinControl*>(this); win && win->HandleAllocated())
    SetWindowPos(win->FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

void TControl::SendToBack() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  list.erase(std::find(list.begin(), list.end(), this));
  list.insert(list.begin(), this);
  if (auto* win = dynamic_cast<TWinControl*>(this); win && win->HandleAllocated())
    SetWindowPos(win->FHandle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  Invalidate();
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value);
  RequestAlign();
}

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value) {
  if (Value == FParentColor) return;
  FParentColor = Value;
  if (Value && FParent && !ComponentState().Contains(csReading)) SetParentColorValue();
}

void TControl::SetParentColorValue() {
  if (!FParent) return;
  if (FColor != FParent->GetColor()) {
    FColor = FParent->GetColor();
    Perform(CM_COLORCHANGED);
  }
  FParentColor = true;
}

void TControl::FontChanged() {
  if (!FApplyingParentFont) FParentFont = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool Value) {
  if (Value == FParentFont) return;
  FParentFont = Value;
  if (Value && FParent && !ComponentState().Contains(csReading)) SetParentFontValue();
}

void TControl::SetParentFontValue() {
  if (!FParent) return;
  FApplyingParentFont = true;
  {
    TFinally applied([this] { FApplyingParentFont = false; });
    FFont->Assign(FParent->GetFont());
  }
  FParentFont = true;
}

String TControl::GetText() { return FText; }

void TControl::SetTextValue(const String& Value) { FText = Value; }

void TControl::SetText(const String& Value) {
  if (GetText() == Value) return;
  SetTextValue(Value);
  Perform(CM_TEXTCHANGED);
}

void TControl::SetShowHint(bool Value) {
  FParentShowHint = false;
  if (Value == FShowHint) return;
  FShowHint = Value;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool Value) {
  if (Value == FParentShowHint) return;
  FParentShowHint = Value;
  if (Value && FParent) Perform(CM_PARENTSHOWHINTCHANGED);
}

TControl* TControl::HintControl() { return FShowHint ? this : nullptr; }

void TControl::SetBiDiMode(TBiDiMode Value) {
  FParentBiDiMode = false;
  if (Value == FBiDiMode) return;
  FBiDiMode = Value;
  Perform(CM_BIDIMODECHANGED);
}

UINT TControl::DrawTextBiDiModeFlags(UINT Flags) const {
  if (UseRightToLeftAlignment()) {
    if (Flags & DT_RIGHT) Flags &= ~static_cast<UINT>(DT_RIGHT);
    else if (!(Flags & DT_CENTER)) Flags |= DT_RIGHT;
  }
  return Flags | DrawTextBiDiModeFlagsReadingOnly();
}

void TControl::SetParentBiDiMode(bool Value) {
  if (Value == FParentBiDiMode) return;
  FParentBiDiMode = Value;
  if (Value && FParent) Perform(CM_PARENTBIDIMODECHANGED);
}

void TControl::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetPopupMenu(TComponent* Value) {
  if (Value == FPopupMenu) return;
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

bool TControl::GetMouseCapture() {
  HWND capture = GetCapture();
  if (auto* win = dynamic_cast<TWinControl*>(this)) return win->HandleAllocated() && capture == win->GetHandle();
  return FParent && FParent->HandleAllocated() && capture == FParent->GetHandle() && FParent->FCaptureControl == this;
}

void TControl::SetMouseCapture(bool Value) {
  if (Value == GetMouseCapture()) return;
  if (auto* win = dynamic_cast<TWinControl*>(this)) {
    if (Value) SetCapture(win->GetHandle());
    else ReleaseCapture();
    return;
  }
  if (!FParent || !FParent->HandleAllocated()) return;
  if (Value) {
    SetCapture(FParent->GetHandle());
    FParent->FCaptureControl = this;
  } else {
    FParent->FCaptureControl = nullptr;
    ReleaseCapture();
  }
}

void TControl::Invalidate() {
  if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
  RECT r = ToRECT(GetBoundsRect());
  InvalidateRect(FParent->GetHandle(), &r, !FControlStyle.Contains(csOpaque));
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
  if (FControlStyle.Contains(csOpaque)) {
    HDC dc = GetDC(FParent->GetHandle());
    IntersectClipRect(dc, FLeft, FTop, FLeft + FWidth, FTop + FHeight);
    FParent->PaintControls(dc, this);
    ReleaseDC(FParent->GetHandle(), dc);
  } else {
    Invalidate();
    Update();
  }
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage message{Msg, WParam, LParam, 0};
  WindowProc(message);
  return message.Result;
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

bool TControl::WantsMouseLeave() const { return OnMouseEnter || OnMouseLeave || !FHint.empty(); }

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
  if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
  if (Handled) return;
  for (TControl* c = this; c; c = c->FParent) {
    if (!c->FPopupMenu) continue;
    if (auto* hook = dynamic_cast<TPopupMenuHook*>(c->FPopupMenu)) {
      TPoint screen = MousePos.X == -1 && MousePos.Y == -1 ? ClientToScreen({0, 0}) : ClientToScreen(MousePos);
      Handled = hook->PopupFor(this, screen);
    }
    return;
  }
}

void TControl::WndProc(TMessage& Message) {
  if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && Message.Msg != WM_MOUSEWHEEL &&
      Message.Msg != WM_MOUSEHWHEEL) {
    if (TControlHost* host = Host(); host && host->DragMouseMessage(this, Message)) return;
    HandleMouse(Message);
  }
  Dispatch(Message);
}

// A press on a control tells the focused one, when it is another, to end what it has
// open (a drop-down of its own closes without accepting).
static void SendCancelMode(TControl* Sender) {
  TWinControl* focused = FindControl(GetFocus());
  if (focused && focused != Sender) focused->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
}

void TControl::HandleMouse(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (TControlHost* host = Host()) host->CancelHint();
      SendCancelMode(this);
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
      if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
      FControlState.Include(csLButtonDown);
      if (FDragMode == dmAutomatic) BeginDrag(false);
      break;
    case WM_LBUTTONUP:
      FControlState.Exclude(csLButtonDown);
      break;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (TControlHost* host = Host()) host->CancelHint();
      SendCancelMode(this);
      break;
  }
}

void TControl::Dispatch(TMessage& Message) {
  const int x = MessageX(Message.LParam), y = MessageY(Message.LParam);
  const TShiftState shift = MouseShiftState(Message.WParam);
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
      DefaultHandler(Message);
      MouseDown(mbLeft, shift, x, y);
      return;
    case WM_LBUTTONDBLCLK:
      DefaultHandler(Message);
      if (FControlStyle.Contains(csDoubleClicks)) DblClick();
      MouseDown(mbLeft, shift + TShiftState{ssDouble}, x, y);
      return;
    case WM_LBUTTONUP: {
      DefaultHandler(Message);
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
      bool clicked = FControlState.Contains(csClicked);
      FControlState.Exclude(csClicked);
      if (clicked && ClientRect().Contains({x, y})) Click();
      MouseUp(mbLeft, shift, x, y);
      return;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      DefaultHandler(Message);
      MouseDown(mbRight, shift, x, y);
      return;
    case WM_RBUTTONUP:
      DefaultHandler(Message);
      MouseUp(mbRight, shift, x, y);
      return;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      DefaultHandler(Message);
      MouseDown(mbMiddle, shift, x, y);
      return;
    case WM_MBUTTONUP:
      DefaultHandler(Message);
      MouseUp(mbMiddle, shift, x, y);
      return;
    case WM_MOUSEMOVE:
      DefaultHandler(Message);
      MouseMove(shift, x, y);
      return;
    case CM_MOUSEENTER:
      MouseEnter();
      return;
    case CM_MOUSELEAVE:
      MouseLeave();
      return;
    case CM_COLORCHANGED:
      ColorChanged();
      Invalidate();
      return;
    case CM_FONTCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
      Invalidate();
      return;
    case CM_VISIBLECHANGED:
      return;
    case CM_PARENTCOLORCHANGED:
      if (FParentColor) SetParentColorValue();
      return;
    case CM_PARENTFONTCHANGED:
      if (FParentFont) SetParentFontValue();
      return;
    case CM_PARENTSHOWHINTCHANGED:
      if (FParentShowHint && FParent && FShowHint != FParent->GetShowHint()) {
        FShowHint = FParent->GetShowHint();
        Perform(CM_SHOWHINTCHANGED);
      }
      return;
    case CM_PARENTBIDIMODECHANGED:
      if (FParentBiDiMode && FParent && FBiDiMode != FParent->GetBiDiMode()) {
        FBiDiMode = FParent->GetBiDiMode();
        Perform(CM_BIDIMODECHANGED);
      }
      return;
    case CM_HITTEST:
      Message.Result = HTCLIENT;
      return;
    default:
      DefaultHandler(Message);
  }
}

void TControl::DefaultHandler(TMessage&) {}

// ---- TControlCanvas ----

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::CreateHandle() {
  auto* win = dynamic_cast<TWinControl*>(FControl);
  HWND window;
  if (win) {
    window = win->GetHandle();
  } else {
    TWinControl* parent = FControl->GetParent();
    if (!parent) throw EInvalidOperation("Control '" + FControl->GetName() + "' has no parent window");
    window = parent->GetHandle();
  }
  HDC dc = GetDCEx(window, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  if (!dc) throw EOutOfResources("Out of system resources");
  if (!win) {
    SetViewportOrgEx(dc, FControl->GetLeft(), FControl->GetTop(), nullptr);
    IntersectClipRect(dc, 0, 0, FControl->GetWidth(), FControl->GetHeight());
  }
  FWindow = window;
  controlCanvases.push_back(this);
  SetHandle(dc);
}

void TControlCanvas::FreeHandle() {
  if (!FWindow) return;
  HDC dc = RawHandle();
  SetHandle(nullptr);
  ReleaseDC(FWindow, dc);
  FWindow = nullptr;
  controlCanvases.erase(std::remove(controlCanvases.begin(), controlCanvases.end(), this), controlCanvases.end());
}

void FreeDeviceContexts() {
  for (TControlCanvas* canvas : std::vector<TControlCanvas*>(controlCanvases))
    if (canvas->LockCount() == 0) canvas->FreeHandle();
}

namespace {
// A paint message's context lent to a control's canvas for the length of Paint.
class TPaintScope {
 public:
  TPaintScope(TControlCanvas* Canvas, HDC DC) : FCanvas(Canvas) {
    FCanvas->Lock();
    FCanvas->FreeHandle();
    FCanvas->SetHandle(DC);
  }
  ~TPaintScope() {
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
  }
  TPaintScope(const TPaintScope&) = delete;
  TPaintScope& operator=(const TPaintScope&) = delete;

 private:
  TControlCanvas* FCanvas;
};
}  // namespace

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FBrush(new TBrush) {
  FBrush->SetColor(GetColor());
}

TWinControl::~TWinControl() {
  Destroying();
  if (TControlHost* host = Host()) host->ControlDestroyed(this);
  if (FHandle) {
    // No more messages reach this object: its derived parts are gone already.
    HWND window = FHandle;
    std::vector<TWinControl*> tree{this};
    for (size_t i = 0; i < tree.size(); ++i)
      for (TControl* c : tree[i]->FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) tree.push_back(w);
    for (TWinControl* w : tree) {
      if (w->FHandle) {
        for (TControlCanvas* canvas : std::vector<TControlCanvas*>(controlCanvases))
          if (canvas->Control() == w) canvas->FreeHandle();
        Unbind(w->FHandle);
        w->FHandle = nullptr;
        w->FShowing = false;
      }
    }
    DestroyControlWindow(window);
  }
  if (GetParent()) GetParent()->RemoveControl(this);  // still a TWinControl to its parent
  while (!FControls.empty()) RemoveControl(FControls.back());
  if (FSavedRegion) DeleteObject(FSavedRegion);
  delete FBrush;
}

HWND TWinControl::GetHandle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  if (!FHandle) CreateHandle();
}

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount()) ListIndexError(Index);
  return FControls[static_cast<size_t>(Index)];
}

void TWinControl::InsertControl(TControl* AControl) {
  AControl->FParent = this;
  FControls.push_back(AControl);
  auto* win = dynamic_cast<TWinControl*>(AControl);
  if (win) FTabList.push_back(win);
  AControl->Perform(CM_PARENTCOLORCHANGED);
  AControl->Perform(CM_PARENTFONTCHANGED);
  AControl->Perform(CM_PARENTSHOWHINTCHANGED);
  AControl->Perform(CM_PARENTBIDIMODECHANGED);
  if (win) {
    if (FHandle) win->HandleNeeded();
    win->UpdateShowing();
  }
  if (AControl->GetAlign() != alNone) Realign();
  AControl->Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end()) return;
  if (TControlHost* host = Host()) host->ControlRemoved(AControl);
  AControl->Invalidate();
  auto* win = dynamic_cast<TWinControl*>(AControl);
  if (win && win->FHandle) win->DestroyHandle();
  FControls.erase(std::find(FControls.begin(), FControls.end(), AControl));
  // By address: a control being destroyed may no longer be a TWinControl.
  FTabList.erase(std::remove_if(FTabList.begin(), FTabList.end(),
                                [AControl](TWinControl* w) { return static_cast<TControl*>(w) == AControl; }),
                 FTabList.end());
  if (FCaptureControl == AControl) FCaptureControl = nullptr;
  AControl->FParent = nullptr;
  if (win) win->FShowing = false;
  if (AControl->GetAlign() != alNone) Realign();
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
    if (windowed && !AllowWinControls) continue;
    if (!c->GetVisible() || (!c->GetEnabled() && !AllowDisabled)) continue;
    if (!c->GetBoundsRect().Contains(Pos)) continue;
    TPoint local{Pos.X - c->GetLeft(), Pos.Y - c->GetTop()};
    if (c->Perform(CM_HITTEST, 0, MAKELPARAM(local.X, local.Y)) != 0) return c;
  }
  return nullptr;
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0 && GetControlState().Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::RequestAlign() { TControl::RequestAlign(); }

void TWinControl::Realign() {
  if (FAlignLevel > 0 || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) {
    SetControlState(GetControlState() + TControlState{csAlignmentNeeded});
    return;
  }
  ++FAlignLevel;
  {
    TFinally level([this] { --FAlignLevel; });
    TRect r = ClientRect();
    AlignControls(nullptr, r);
    // Children anchored to other sides than the left and top follow the client size.
    const TRect client = ClientRect();
    for (TControl* c : std::vector<TControl*>(FControls))
      if (c->GetAlign() == alNone && c->GetAnchors() != TAnchors{akLeft, akTop})
        c->AnchorPlace(client.Width(), client.Height());
  }
  SetControlState(GetControlState() - TControlState{csAlignmentNeeded});
  AdjustSize();  // an auto-sized control follows its children
}

bool TWinControl::CanAutoSize(int& NewWidth, int& NewHeight) {
  // The client area just holds the visible children where they are.
  int right = -1, bottom = -1;
  for (TControl* c : FControls) {
    if (!c->GetVisible() || c->GetAlign() == alClient) continue;
    right = std::max(right, c->GetLeft() + c->GetWidth());
    bottom = std::max(bottom, c->GetTop() + c->GetHeight());
  }
  if (right < 0) return false;
  TRect client = ClientRect();
  NewWidth = GetWidth() - client.Width() + right;
  NewHeight = GetHeight() - client.Height() + bottom;
  return true;
}

void TWinControl::AlignControls(TControl*, TRect& Rect) {
  auto place = [&](TAlign align) {
    std::vector<TControl*> list;
    for (TControl* c : FControls)
      if (c->GetAlign() == align && c->GetVisible()) list.push_back(c);
    // Where they stand now decides the order within one side.
    std::stable_sort(list.begin(), list.end(), [align](TControl* a, TControl* b) {
      switch (align) {
        case alTop: return a->GetTop() < b->GetTop();
        case alBottom: return a->GetTop() + a->GetHeight() > b->GetTop() + b->GetHeight();
        case alLeft: return a->GetLeft() < b->GetLeft();
        case alRight: return a->GetLeft() + a->GetWidth() > b->GetLeft() + b->GetWidth();
        default: return false;
      }
    });
    for (TControl* c : list) {
      int w = c->GetWidth(), h = c->GetHeight();
      switch (align) {
        case alTop:
          c->SetBounds(Rect.Left, Rect.Top, Rect.Width(), h);
          Rect.Top += c->GetHeight();
          break;
        case alBottom:
          c->SetBounds(Rect.Left, Rect.Bottom - h, Rect.Width(), h);
          Rect.Bottom -= c->GetHeight();
          break;
        case alLeft:
          c->SetBounds(Rect.Left, Rect.Top, w, Rect.Height());
          Rect.Left += c->GetWidth();
          break;
        case alRight:
          c->SetBounds(Rect.Right - w, Rect.Top, w, Rect.Height());
          Rect.Right -= c->GetWidth();
          break;
        case alClient: c->SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height()); break;
        default: break;
      }
    }
  };
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) place(align);
}

void TWinControl::Broadcast(TMessage& Message) {
  for (TControl* c : std::vector<TControl*>(FControls)) {
    c->WindowProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  TMessage message{Msg, 0, 0, 0};
  for (TControl* c : std::vector<TControl*>(FControls)) c->WindowProc(message);
}

void TWinControl::FlipChildren() {
  const int width = GetClientWidth();
  DisableAlign();
  for (TControl* c : std::vector<TControl*>(FControls))
    c->SetBounds(width - c->GetLeft() - c->GetWidth(), c->GetTop(), c->GetWidth(), c->GetHeight());
  EnableAlign();
}

void TWinControl::SetTabStop(bool Value) {
  if (Value == FTabStop) return;
  FTabStop = Value;
  if (FHandle) {
    LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
    SetWindowLongPtrW(FHandle, GWL_STYLE, Value ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
  }
  Perform(CM_TABSTOPCHANGED);
}

int TWinControl::GetTabOrder() const {
  if (!FParent) return -1;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (ComponentState().Contains(csLoading)) {
    FTabOrder = Value;  // placed once the whole form is read
    return;
  }
  if (!FParent) return;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  Value = std::clamp(Value, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + Value, this);
}

void TWinControl::FixupTabList() {
  // The tab orders read from the form, in their order; the rest keep theirs behind.
  std::stable_sort(FTabList.begin(), FTabList.end(), [](TWinControl* a, TWinControl* b) {
    int ta = a->FTabOrder < 0 ? INT32_MAX : a->FTabOrder, tb = b->FTabOrder < 0 ? INT32_MAX : b->FTabOrder;
    return ta < tb;
  });
  for (TWinControl* c : FTabList) c->FTabOrder = -1;
}

bool TWinControl::CanFocus() {
  TWinControl* form = HostForm(this);
  if (!form) return GetVisible() && GetEnabled();
  // The form itself may still be hidden: its active control is chosen before it shows.
  for (TControl* c = this; c != form; c = c->GetParent())
    if (!c || !c->GetVisible() || !c->GetEnabled()) return false;
  return true;
}

bool TWinControl::Focused() { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  if (TWinControl* form = HostForm(this); form && form != this) {
    Host()->FocusControl(this);
    return;
  }
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  ::SetFocus(GetHandle());
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  // Every windowed control below this one in tab order, depth first.
  std::vector<TWinControl*> list;
  std::function<void(TWinControl*)> collect = [&](TWinControl* parent) {
    for (TWinControl* c : parent->FTabList) {
      list.push_back(c);
      collect(c);
    }
  };
  collect(this);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[static_cast<size_t>(i)] == CurControl) start = i;
  if (start < 0) start = GoForward ? n - 1 : 0;
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* c = list[static_cast<size_t>(i)];
    if ((!CheckTabStop || c->FTabStop) && (!CheckParent || c->FParent == this) && c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) next->SetFocus();
}

String TWinControl::GetText() {
  if (!FHandle) return TextValue();
  int length = GetWindowTextLengthW(FHandle);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(FHandle, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return WideToUtf8(text);
}

void TWinControl::SetTextValue(const String& Value) {
  TControl::SetTextValue(Value);
  if (FHandle) SetWindowTextW(FHandle, Utf8ToWide(Value).c_str());
}

void TWinControl::SetAcceptFiles(bool Value) {
  if (Value == FAcceptFiles) return;
  FAcceptFiles = Value;
  if (FHandle) DragAcceptFiles(FHandle, Value);
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, !GetControlStyle().Contains(csOpaque));
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (GetAutoSize() && !ComponentState().Contains(csLoading)) CanAutoSize(AWidth, AHeight);
  GetConstraints()->Apply(AWidth, AHeight);
  if (!FAnchoring) FAnchorBaseKnown = false;
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (ALeft == GetLeft() && ATop == GetTop() && AWidth == GetWidth() && AHeight == GetHeight()) return;
  if (FHandle && !IsIconic(FHandle)) {
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    // Moved to where Windows put it (WM_WINDOWPOSCHANGED); store the asked bounds when
    // the window did not report them (a hidden form, say).
    UpdateBoundsFromHandle();
  } else {
    TControl::UpdateBoundsFromWindow(ALeft, ATop, AWidth, AHeight);
  }
}

void TWinControl::UpdateBoundsFromHandle() {
  if (!FHandle || IsIconic(FHandle)) return;
  RECT r{};
  GetWindowRect(FHandle, &r);
  if (GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_CHILD) {
    HWND parent = ::GetParent(FHandle);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  UpdateBoundsFromWindow(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

TRect TWinControl::ClientRect() {
  if (!FHandle) return TControl::ClientRect();
  RECT r{};
  ::GetClientRect(FHandle, &r);
  return {r.left, r.top, r.right, r.bottom};
}

TPoint TWinControl::ClientOrigin() {
  if (!FHandle) return TControl::ClientOrigin();
  POINT p{0, 0};
  ::ClientToScreen(FHandle, &p);
  return {p.x, p.y};
}

void TWinControl::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TControl* c : std::vector<TControl*>(FControls))
    if (c->Owner() == Root) Proc(c);
}

void TWinControl::SetChildOrder(TComponent* Child, int Order) {
  auto* control = dynamic_cast<TControl*>(Child);
  auto it = std::find(FControls.begin(), FControls.end(), control);
  if (it == FControls.end()) return;
  FControls.erase(it);
  Order = std::clamp(Order, 0, static_cast<int>(FControls.size()));
  FControls.insert(FControls.begin() + Order, control);
}

void TWinControl::ReadState(TReader* Reader) {
  DisableAlign();
  TFinally align([this] { EnableAlign(); });
  TControl::ReadState(Reader);
}

void TWinControl::Loaded() {
  TControl::Loaded();
  FixupTabList();
  Realign();
}

void TWinControl::ColorChanged() { FBrush->SetColor(GetColor()); }

// ---- Windows ----

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Caption = TextValue();
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (GetControlStyle().Contains(csAcceptsControls)) {
    Params.Style |= WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (GetVisible()) Params.Style |= WS_VISIBLE;
  if (!GetEnabled()) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = GetLeft();
  Params.Y = GetTop();
  Params.Width = GetWidth();
  Params.Height = GetHeight();
  Params.WndParent = FParent ? FParent->GetHandle() : nullptr;
  Params.WindowClass.cbSize = sizeof(WNDCLASSEXW);
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = DefWindowProcW;
  Params.WindowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const String& SysClassName) {
  WNDCLASSEXW sys{};
  sys.cbSize = sizeof sys;
  std::wstring name = Utf8ToWide(SysClassName);
  if (!GetClassInfoExW(nullptr, name.c_str(), &sys)) throw EOutOfResources("Window class " + SysClassName + " not found");
  Params.SysClassName = SysClassName;
  Params.WindowClass = sys;
  Params.WindowClass.cbSize = sizeof(WNDCLASSEXW);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  CreateWnd();
  OnWindowCreated(this);
  CreateChildHandles();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation("Control '" + GetName() + "' has no parent window");
  HINSTANCE instance = GetModuleHandleW(nullptr);
  std::wstring className = Utf8ToWide(params.WinClassName);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  bool registered = GetClassInfoExW(instance, className.c_str(), &existing) != 0;
  if (!registered || existing.lpfnWndProc != StdWndProc) {
    if (registered) UnregisterClassW(className.c_str(), instance);
    WNDCLASSEXW wc = params.WindowClass;
    WNDPROC def = wc.lpfnWndProc ? wc.lpfnWndProc : DefWindowProcW;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = StdWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = className.c_str();
    wc.lpszMenuName = nullptr;
    ATOM atom = RegisterClassExW(&wc);
    if (!atom) throw EOutOfResources("Cannot register the window class " + params.WinClassName);
    classDefaults[atom] = def;
    classDefaultsByName[className] = def;
    FDefWndProc = def;
  } else {
    auto it = classDefaultsByName.find(className);
    FDefWndProc = it == classDefaultsByName.end() ? DefWindowProcW : it->second;
  }
  CreateWindowHandle(params);
  if (!FHandle) throw EOutOfResources("Error creating window: " + SysErrorMessage(GetLastError()));
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(GetFont()->GetHandle()), 0);
  UpdateBoundsFromHandle();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  std::wstring className = Utf8ToWide(Params.WinClassName);
  std::wstring caption = Utf8ToWide(Params.Caption);
  HMENU id = (Params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextControlId++)) : nullptr;
  creationControl = this;
  HWND window = CreateWindowExW(Params.ExStyle, className.c_str(), caption.c_str(), Params.Style, Params.X, Params.Y,
                                Params.Width, Params.Height, Params.WndParent, id, GetModuleHandleW(nullptr), nullptr);
  creationControl = nullptr;
  if (window && !FHandle) {
    FHandle = window;
    Bind(window, this);
  }
}

void TWinControl::CreateChildHandles() {
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* win = dynamic_cast<TWinControl*>(c); win && !win->FHandle) win->CreateHandle();
  // The windows' z-order follows the list, bottom first.
  for (TControl* c : FControls)
    if (auto* win = dynamic_cast<TWinControl*>(c); win && win->FHandle)
      SetWindowPos(win->FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ApplyRegistrations();
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* win = dynamic_cast<TWinControl*>(c)) win->UpdateShowing();
}

void TWinControl::ApplyRegistrations() {
  if (FAcceptFiles) DragAcceptFiles(FHandle, TRUE);
  if (FSavedRegion) {
    SetWindowRgn(FHandle, FSavedRegion, TRUE);  // the window owns it now
    FSavedRegion = nullptr;
  }
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* win = dynamic_cast<TWinControl*>(c)) win->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  TControl::SetTextValue(GetText());
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(FHandle, region) != ERROR) {
    if (FSavedRegion) DeleteObject(FSavedRegion);
    FSavedRegion = region;
  } else {
    DeleteObject(region);
  }
  for (TControlCanvas* canvas : std::vector<TControlCanvas*>(controlCanvases))
    if (canvas->Control() == this) canvas->FreeHandle();
  HWND window = FHandle;
  SetControlState(GetControlState() + TControlState{csDestroyingHandle});
  DestroyControlWindow(window);
  SetControlState(GetControlState() - TControlState{csDestroyingHandle});
  if (FHandle) {  // the window did not say goodbye
    Unbind(window);
    FHandle = nullptr;
  }
  FShowing = false;
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  bool focused = Focused();
  DestroyHandle();
  HandleNeeded();
  if (FShowing || GetVisible()) {
    FShowing = false;
    UpdateShowing();
  }
  if (focused && CanFocus()) ::SetFocus(FHandle);
}

void TWinControl::UpdateShowing() {
  bool showing = GetVisible() && (FParent ? FParent->FShowing : ShowsWithoutParent());
  if (showing && !FHandle) CreateHandle();
  if (showing != FShowing) {
    FShowing = showing;
    ShowingChanged();
  }
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* win = dynamic_cast<TWinControl*>(c)) win->UpdateShowing();
}

void TWinControl::ShowingChanged() { SetWindowVisibility(); }

void TWinControl::SetWindowVisibility() {
  if (!FHandle) return;
  if (FShowing) SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  else ShowWindow(FHandle, SW_HIDE);
}

// ---- Messages ----

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  // Its drag takes the mouse, not its children.
  if (TControlHost* host = Host(); host && host->IsDragSource(this)) return false;
  TControl* target = nullptr;
  TPoint pos{MessageX(Message.LParam), MessageY(Message.LParam)};
  if (FCaptureControl && GetCapture() == FHandle) target = FCaptureControl;
  else if (GetCapture() != FHandle || !FCaptureControl) target = ControlAtPos(pos, false);
  if (!target || dynamic_cast<TWinControl*>(target)) return false;
  TPoint local{pos.X - target->GetLeft(), pos.Y - target->GetTop()};
  Message.Result = target->Perform(Message.Msg, Message.WParam, MAKELPARAM(local.X, local.Y));
  return true;
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEMOVE: {
      TPoint pos{MessageX(Message.LParam), MessageY(Message.LParam)};
      TControl* target = FCaptureControl && GetCapture() == FHandle ? FCaptureControl : ControlAtPos(pos, false);
      if (target && target->GetParent() == this && !target->GetBoundsRect().Contains(pos)) target = this;
      SetMouseControl(target ? target : this);
      if (mouseControl && mouseControl->WantsMouseLeave()) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, FHandle, 0};
        TrackMouseEvent(&tme);
        FMouseLeaveTracked = true;
      } else if (FMouseLeaveTracked) {
        // The control now under the mouse takes no notice of its leaving.
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE | TME_CANCEL, FHandle, 0};
        TrackMouseEvent(&tme);
        FMouseLeaveTracked = false;
      }
      break;
    }
    case WM_MOUSELEAVE:
      FMouseLeaveTracked = false;
      if (mouseControl == this || (mouseControl && mouseControl->GetParent() == this && !dynamic_cast<TWinControl*>(mouseControl)))
        SetMouseControl(nullptr);
      break;
    case WM_CAPTURECHANGED:
      FCaptureControl = nullptr;
      if (TControlHost* host = Host()) host->DragCaptureChanged(FHandle, reinterpret_cast<HWND>(Message.LParam));
      break;
    case WM_KEYDOWN:
    case CN_KEYDOWN:
      if (TControlHost* host = Host(); Message.WParam == VK_ESCAPE && host && host->DragEscape()) {
        Message.Result = 1;
        return;
      }
      break;
  }
  if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && Message.Msg != WM_MOUSEWHEEL &&
      Message.Msg != WM_MOUSEHWHEEL && IsControlMouseMsg(Message))
    return;
  TControl::WndProc(Message);
}

void TWinControl::ReflectNotification(TMessage& Message) {
  HWND child = nullptr;
  switch (Message.Msg) {
    case WM_NOTIFY: child = reinterpret_cast<NMHDR*>(Message.LParam)->hwndFrom; break;
    case WM_DRAWITEM:
      if (Message.WParam) child = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam)->hwndItem;
      break;
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
      if (Message.WParam) child = GetDlgItem(FHandle, static_cast<int>(Message.WParam));
      break;
    default: child = reinterpret_cast<HWND>(Message.LParam); break;
  }
  TWinControl* control = child && child != FHandle ? FindControl(child) : nullptr;
  if (control) Message.Result = control->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
  else DefaultHandler(Message);
}

void TWinControl::HandleDropFiles(TMessage& Message) {
  auto drop = reinterpret_cast<HDROP>(Message.WParam);
  std::vector<String> files;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    DragQueryFileW(drop, i, name.data(), length + 1);
    name.resize(length);
    files.push_back(WideToUtf8(name));
  }
  POINT pt{};
  DragQueryPoint(drop, &pt);
  DragFinish(drop);  // before the handler, which may raise
  DropFiles(files, {pt.x, pt.y});
}

void TWinControl::DropFiles(const std::vector<String>& Files, TPoint Pos) {
  if (OnDropFiles) OnDropFiles(this, Files, Pos);
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      if (FControls.empty() && !GetControlState().Contains(csCustomPaint)) DefaultHandler(Message);
      else PaintHandler(Message);
      return;
    case WM_ERASEBKGND: {
      RECT r = ToRECT(ClientRect());
      ::FillRect(reinterpret_cast<HDC>(Message.WParam), &r, FBrush->GetHandle());
      Message.Result = 1;
      return;
    }
    case WM_WINDOWPOSCHANGED:
      DefaultHandler(Message);
      UpdateBoundsFromHandle();
      return;
    case WM_GETMINMAXINFO: {
      // A window sized by its frame stays within the constraints too.
      DefaultHandler(Message);
      auto* info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
      const TSizeConstraints* c = GetConstraints();
      if (c->GetMinWidth() > 0) info->ptMinTrackSize.x = c->GetMinWidth();
      if (c->GetMinHeight() > 0) info->ptMinTrackSize.y = c->GetMinHeight();
      if (c->GetMaxWidth() > 0) info->ptMaxTrackSize.x = c->GetMaxWidth();
      if (c->GetMaxHeight() > 0) info->ptMaxTrackSize.y = c->GetMaxHeight();
      return;
    }
    case WM_SETFOCUS:
      DefaultHandler(Message);
      if (TWinControl* form = HostForm(this); form && form != this) Host()->ControlFocused(this);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!DoKeyDown(Message)) DefaultHandler(Message);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (!DoKeyUp(Message)) DefaultHandler(Message);
      return;
    case WM_CHAR:
      if (!DoKeyPress(Message)) DefaultHandler(Message);
      return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: {
      // From the message loop before the key is translated: keys that move between
      // controls or press the default and cancel buttons, unless this control wants them.
      Message.Result = 1;
      auto key = static_cast<WORD>(Message.WParam);
      TShiftState shift = KeyboardShiftState();
      if (Message.LParam & (1 << 29)) shift.Include(ssAlt);
      // A shortcut of the form's pop-up menus.
      if (TControlHost* host = Host(); host && host->IsShortCut(key, shift)) return;
      DWORD mask = 0;
      switch (key) {
        case VK_TAB: mask = DLGC_WANTTAB; break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN: mask = DLGC_WANTARROWS; break;
        case VK_RETURN:
        case VK_EXECUTE:
        case VK_ESCAPE:
        case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
      }
      if (mask && Perform(CM_WANTSPECIALKEY, key, Message.LParam) == 0 && (Perform(WM_GETDLGCODE) & mask) == 0) {
        TWinControl* form = HostForm(this);
        if (form && form->Perform(CM_DIALOGKEY, key, Message.LParam) != 0) return;
      }
      Message.Result = 0;
      return;
    }
    case CN_SYSCHAR:
      // Alt with a letter, before it is translated: the control whose accelerator it is
      // takes it (a button clicks, a label focuses its control).
      Message.Result = 0;
      if (TWinControl* form = HostForm(this); form && Message.WParam != VK_SPACE)
        Message.Result = form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam);
      return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      Broadcast(Message);
      return;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORDLG:
      ReflectNotification(Message);
      return;
    case CN_CTLCOLORBTN:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORSTATIC: {
      auto dc = reinterpret_cast<HDC>(Message.WParam);
      if (!GetEnabled() && GetColor() == clWindow &&
          (Message.Msg == CN_CTLCOLOREDIT || Message.Msg == CN_CTLCOLORSTATIC)) {
        // A disabled box looks disabled: grey text on the button face, not editable white.
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        Message.Result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        return;
      }
      SetTextColor(dc, ColorToRGB(GetFont()->GetColor()) & 0xFFFFFF);
      SetBkColor(dc, ColorToRGB(GetColor()) & 0xFFFFFF);
      Message.Result = reinterpret_cast<LRESULT>(FBrush->GetHandle());
      return;
    }
    case WM_CONTEXTMENU: {
      TPoint screen{MessageX(Message.LParam), MessageY(Message.LParam)};
      bool keyboard = Message.LParam == -1;
      TControl* target = this;
      TPoint client = keyboard ? TPoint{-1, -1} : ScreenToClient(screen);
      if (!keyboard)
        if (TControl* c = ControlAtPos(client, false)) {
          target = c;
          client = {client.X - c->GetLeft(), client.Y - c->GetTop()};
        }
      bool handled = false;
      target->DoContextPopup(client, handled);
      if (handled) Message.Result = 1;
      else DefaultHandler(Message);
      return;
    }
    case WM_SETCURSOR: {
      TControlHost* host = Host();
      if (host && reinterpret_cast<HWND>(Message.WParam) == FHandle && LOWORD(Message.LParam) == HTCLIENT) {
        TCursor cursor = host->ScreenCursor();
        if (cursor == crDefault) {
          POINT p{};
          GetCursorPos(&p);
          ::ScreenToClient(FHandle, &p);
          TControl* c = ControlAtPos({p.x, p.y}, false);
          cursor = c && c->GetCursor() != crDefault ? c->GetCursor() : GetCursor();
        }
        if (cursor != crDefault) {
          ::SetCursor(host->CursorHandle(cursor));
          Message.Result = 1;
          return;
        }
      }
      DefaultHandler(Message);
      return;
    }
    case WM_DROPFILES:
      HandleDropFiles(Message);
      return;
    case WM_CANCELMODE:
      if (GetCapture() == FHandle) ReleaseCapture();
      DefaultHandler(Message);
      return;
    case CM_FONTCHANGED:
      if (FHandle) SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont()->GetHandle()), TRUE);
      NotifyControls(CM_PARENTFONTCHANGED);
      Invalidate();
      return;
    case CM_COLORCHANGED:
      ColorChanged();
      NotifyControls(CM_PARENTCOLORCHANGED);
      Invalidate();
      return;
    case CM_SHOWHINTCHANGED:
      NotifyControls(CM_PARENTSHOWHINTCHANGED);
      return;
    case CM_BIDIMODECHANGED:
      NotifyControls(CM_PARENTBIDIMODECHANGED);
      Invalidate();
      return;
    case CM_ENABLEDCHANGED:
      if (FHandle) EnableWindow(FHandle, GetEnabled());
      return;
    case CM_VISIBLECHANGED:
      UpdateShowing();
      return;
    case CM_TEXTCHANGED:
      return;
    case CM_HITTEST:
      Message.Result = HTCLIENT;
      return;
    default:
      TControl::Dispatch(Message);
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  // The control library's own messages mean nothing to a window class's procedure.
  if (!FHandle || (Message.Msg >= CM_BASE && Message.Msg < 0xC000)) return;
  Message.Result = CallWindowProcW(FDefWndProc ? FDefWndProc : DefWindowProcW, FHandle, Message.Msg, Message.WParam,
                                   Message.LParam);
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
  DefaultHandler(message);
}

void TWinControl::PaintHandler(TMessage& Message) {
  auto dc = reinterpret_cast<HDC>(Message.WParam);
  PAINTSTRUCT ps{};
  bool own = dc == nullptr;
  if (own) dc = BeginPaint(FHandle, &ps);
  struct TEnd {
    HWND W;
    PAINTSTRUCT* P;
    bool Own;
    ~TEnd() {
      if (Own) EndPaint(W, P);
    }
  } end{FHandle, &ps, own};
  // Opaque windowless children paint their own part; everything else shows the window's
  // background and content under them.
  bool graphic = false;
  int saved = SaveDC(dc);
  for (TControl* c : FControls) {
    if (dynamic_cast<TWinControl*>(c) || !c->GetVisible()) continue;
    graphic = true;
    if (c->GetControlStyle().Contains(csOpaque))
      ExcludeClipRect(dc, c->GetLeft(), c->GetTop(), c->GetLeft() + c->GetWidth(), c->GetTop() + c->GetHeight());
  }
  RECT clip{};
  if (GetClipBox(dc, &clip) != NULLREGION) PaintWindow(dc);
  RestoreDC(dc, saved);
  if (graphic) PaintControls(dc, nullptr);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto it = First ? std::find(FControls.begin(), FControls.end(), First) : FControls.begin();
  for (; it != FControls.end(); ++it) {
    TControl* c = *it;
    if (dynamic_cast<TWinControl*>(c) || !c->GetVisible()) continue;
    RECT bounds = ToRECT(c->GetBoundsRect()), clip{};
    if (GetClipBox(DC, &clip) == NULLREGION) return;
    RECT common{};
    if (!IntersectRect(&common, &bounds, &clip)) continue;
    int saved = SaveDC(DC);
    OffsetViewportOrgEx(DC, c->GetLeft(), c->GetTop(), nullptr);
    IntersectClipRect(DC, 0, 0, c->GetWidth(), c->GetHeight());
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, saved);
  }
}

// ---- Keys ----

bool TWinControl::DoKeyDown(TMessage& Message) {
  TWinControl* form = HostForm(this);
  if (form && form != this && Host()->PreviewsKeys() && form->DoKeyDown(Message)) return true;
  auto key = static_cast<WORD>(Message.WParam);
  TShiftState shift = KeyboardShiftState();
  if (Message.LParam & (1 << 29)) shift.Include(ssAlt);
  KeyDown(key, shift);
  Message.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  TWinControl* form = HostForm(this);
  if (form && form != this && Host()->PreviewsKeys() && form->DoKeyUp(Message)) return true;
  auto key = static_cast<WORD>(Message.WParam);
  TShiftState shift = KeyboardShiftState();
  if (Message.LParam & (1 << 29)) shift.Include(ssAlt);
  KeyUp(key, shift);
  Message.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  TWinControl* form = HostForm(this);
  if (form && form != this && Host()->PreviewsKeys() && form->DoKeyPress(Message)) return true;
  auto key = static_cast<wchar_t>(Message.WParam);
  KeyPress(key);
  Message.WParam = static_cast<WPARAM>(key);
  return key == 0;
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(wchar_t& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// ---- TGraphicControl ----

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this)) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT && Message.WParam) {
    TPaintScope scope(FCanvas.get(), reinterpret_cast<HDC>(Message.WParam));
    Paint();
    return;
  }
  TControl::Dispatch(Message);
}

// ---- TCustomControl ----

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this)) {
  SetControlState(GetControlState() + TControlState{csCustomPaint});
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC DC) {
  TPaintScope scope(FCanvas.get(), DC);
  Paint();
}
