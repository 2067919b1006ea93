#include "classlib/windows/forms.h"

#include <algorithm>

#include "classlib/windows/application.h"
#include "classlib/core/finally.h"
#include "classlib/windows/menus.h"
#include "classlib/core/resstream.h"
#include "classlib/core/text.h"

HX_PUBLISH(TCustomForm, p) {}

HX_PUBLISH(TForm, p) {
  p.Property("ActiveControl", &TForm::GetActiveControl, &TForm::SetActiveControl);
  p.Property("AutoSize", &TForm::GetAutoSize, &TForm::SetAutoSize).Default(false);
  p.Property("BorderIcons", &TForm::GetBorderIcons, &TForm::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  p.Property("BorderStyle", &TForm::GetBorderStyle, &TForm::SetBorderStyle).Default(bsSizeable);
  p.Property("Caption", &TForm::GetCaption, &TForm::SetCaption).Default("");
  p.Property("ClientHeight", &TForm::GetClientHeight, &TForm::SetClientHeight);
  p.Property("ClientWidth", &TForm::GetClientWidth, &TForm::SetClientWidth);
  p.Property("Color", &TForm::GetColor, &TForm::SetColor).Default(clBtnFace);
  p.Property("Enabled", &TForm::GetEnabled, &TForm::SetEnabled).Default(true);
  p.Property("Font", &TForm::GetFont, &TForm::SetFont);
  p.Property("FormStyle", &TForm::GetFormStyle, &TForm::SetFormStyle).Default(fsNormal);
  p.Property("Icon", &TForm::GetIcon, &TForm::SetIcon);
  p.Property("KeyPreview", &TForm::GetKeyPreview, &TForm::SetKeyPreview).Default(false);
  p.Property("PixelsPerInch", &TForm::GetPixelsPerInch, &TForm::SetPixelsPerInch);
  p.Property("PopupMenu", &TForm::GetPopupMenu, &TForm::SetPopupMenu);
  p.Property("Position", &TForm::GetPosition, &TForm::SetPosition).Default(poDesigned);
  p.Property("ShowHint", &TForm::GetShowHint, &TForm::SetShowHint).Default(false);
  p.Property("Visible", &TForm::GetVisible, &TForm::SetVisible).Default(false);
  p.Property("WindowState", &TForm::GetWindowState, &TForm::SetWindowState).Default(wsNormal);
  p.Event("OnActivate", &TForm::OnActivate);
  p.Event("OnClick", &TForm::OnClick);
  p.Event("OnClose", &TForm::OnClose);
  p.Event("OnCloseQuery", &TForm::OnCloseQuery);
  p.Event("OnCreate", &TForm::OnCreate);
  p.Event("OnDblClick", &TForm::OnDblClick);
  p.Event("OnDeactivate", &TForm::OnDeactivate);
  p.Event("OnDestroy", &TForm::OnDestroy);
  p.Event("OnDropFiles", &TForm::OnDropFiles);
  p.Event("OnHide", &TForm::OnHide);
  p.Event("OnKeyDown", &TForm::OnKeyDown);
  p.Event("OnKeyPress", &TForm::OnKeyPress);
  p.Event("OnKeyUp", &TForm::OnKeyUp);
  p.Event("OnMouseDown", &TForm::OnMouseDown);
  p.Event("OnMouseMove", &TForm::OnMouseMove);
  p.Event("OnMouseUp", &TForm::OnMouseUp);
  p.Event("OnPaint", &TForm::OnPaint);
  p.Event("OnResize", &TForm::OnResize);
  p.Event("OnShow", &TForm::OnShow);
}

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) { Init(); }

TCustomForm::TCustomForm(TComponent* AOwner, TCreateNewForm) : TWinControl(AOwner) {
  FCreateNew = true;
  Init();
}

void TCustomForm::Init() {
  FIcon = std::make_unique<TIcon>();
  FIcon->OnChange = [this](TObject*) { IconChanged(); };
  FCanvas = std::make_unique<TControlCanvas>(this);
  FPixelsPerInch = ScreenPixelsPerInch();
  SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  SetControlState(GetControlState() + TControlState{csCustomPaint});  // OnPaint, then the controls
  SetParentColor(false);
  SetParentFont(false);
  SetColor(clBtnFace);
  TControl::SetVisible(false);
  SetBounds(0, 0, 320, 240);
  GetScreen()->AddForm(this);
}

TCustomForm::~TCustomForm() {
  Destroying();
  ReleaseOwnedWindows();
  if (TApplication* app = ExistingApplication()) app->FormDestroyed(this);
  if (TScreen* screen = ExistingScreen()) screen->RemoveForm(this);
}

void TCustomForm::AfterConstruction() {
  FFormState.Include(fsCreating);
  {
    TFinally created([this] { FFormState.Exclude(fsCreating); });
    if (!FCreateNew && ClassType() != ClassOf<TForm>() && ClassType() != ClassOf<TCustomForm>()) {
      TClass root = InheritsFrom(ClassOf<TForm>()) ? ClassOf<TForm>() : ClassOf<TCustomForm>();
      if (!InitInheritedComponent(this, root))
        throw EResNotFound("Resource " + UpperCase(ClassName()) + " not found");
    }
    DoCreate();
  }
  if (FFormState.Contains(fsVisible)) {
    FFormState.Exclude(fsVisible);
    Show();
  }
}

void TCustomForm::BeforeDestruction() {
  if (FDestroyFired) return;
  FDestroyFired = true;
  DoDestroy();
}

void TCustomForm::DoCreate() {
  // An exception of OnCreate is reported, and the form is made all the same.
  if (!OnCreate) return;
  try {
    OnCreate(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

void TCustomForm::DoDestroy() {
  try {
    DestroyListeners(this);
  } catch (...) {
    Application->HandleException(this);
  }
  if (!OnDestroy) return;
  try {
    OnDestroy(this);
  } catch (...) {
    Application->HandleException(this);
  }
}

void TCustomForm::Loaded() {
  // Aligned once, at the client size read: anchored children keep their places to it.
  DisableAlign();
  {
    TFinally align([this] { EnableAlign(); });
    TWinControl::Loaded();
    if (FLoadedClientWidth >= 0 || FLoadedClientHeight >= 0) {
      int width = FLoadedClientWidth >= 0 ? FLoadedClientWidth : GetClientWidth();
      int height = FLoadedClientHeight >= 0 ? FLoadedClientHeight : GetClientHeight();
      FLoadedClientWidth = FLoadedClientHeight = -1;
      SetClientSize(width, height);
    }
  }
  if (FActiveControl && GetParentForm(FActiveControl) != this) FActiveControl = nullptr;
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    if (AComponent == FPopupParent) FPopupParent = nullptr;  // its window handed this one back already
    if (AComponent == FActiveControl) FActiveControl = nullptr;
    if (AComponent == FFocusedControl) FFocusedControl = nullptr;
  }
}

void TCustomForm::GetChildren(TGetChildProc Proc, TComponent* Root) {
  TWinControl::GetChildren(Proc, Root);
  if (Root != this) return;
  for (int i = 0; i < ComponentCount(); ++i)
    if (!Components(i)->HasParent()) Proc(Components(i));
}

// ---- Styles ----

void TCustomForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_CHILD | WS_GROUP | WS_TABSTOP | WS_VISIBLE | WS_DISABLED);
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CONTROLPARENT);
  if (!GetEnabled()) Params.Style |= WS_DISABLED;
  Params.WndParent = OwnerWindow();
  Params.WindowClass.style = CS_DBLCLKS;
  switch (FPosition) {
    case poDefault:
      Params.X = Params.Y = Params.Width = Params.Height = static_cast<int>(CW_USEDEFAULT);
      break;
    case poDefaultPosOnly: Params.X = Params.Y = static_cast<int>(CW_USEDEFAULT); break;
    case poDefaultSizeOnly: Params.Width = Params.Height = static_cast<int>(CW_USEDEFAULT); break;
    default: break;
  }
  switch (FBorderStyle) {
    case bsNone: Params.Style |= WS_POPUP; break;
    case bsSingle:
    case bsToolWindow: Params.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable:
    case bsSizeToolWin: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION;
      Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
  }
  if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) Params.ExStyle |= WS_EX_TOOLWINDOW;
  if (FBorderStyle != bsNone && FBorderIcons.Contains(biSystemMenu)) {
    Params.Style |= WS_SYSMENU;
    if (FBorderStyle != bsDialog && FBorderStyle != bsToolWindow && FBorderStyle != bsSizeToolWin) {
      if (FBorderIcons.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
      if (FBorderIcons.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    }
    if (FBorderStyle == bsDialog && FBorderIcons.Contains(biHelp)) Params.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (FFormStyle == fsMDIChild) {
    // A child of the MDI client (found when the window is made).
    Params.Style = (Params.Style & ~static_cast<DWORD>(WS_POPUP)) | WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_MDICHILD;
    TCustomForm* parent = MDIParent();
    Params.WndParent = parent ? parent->FClientHandle : nullptr;
  }
  if (FFormStyle == fsMDIForm) Params.Style |= WS_CLIPCHILDREN;
}

TCustomForm* TCustomForm::MDIParent() {
  auto usable = [](TCustomForm* form) {
    return form && form->FFormStyle == fsMDIForm && !form->ComponentState().Contains(csDestroying);
  };
  TApplication* app = ExistingApplication();
  if (app && usable(app->MainForm())) return app->MainForm()->GetHandle() ? app->MainForm() : nullptr;
  if (TScreen* screen = ExistingScreen())
    for (int i = 0; i < screen->FormCount(); ++i)
      if (TCustomForm* form = screen->Forms(i); usable(form)) return form->GetHandle() ? form : nullptr;
  return nullptr;
}

void TCustomForm::CreateWnd() {
  if (FFormStyle == fsMDIChild && !MDIParent())
    throw EInvalidOperation("Cannot create the MDI child form '" + GetName() + "': there is no MDI form");
  TWinControl::CreateWnd();
  IconChanged();
  if (FFormStyle == fsMDIForm && !FClientHandle) {
    CLIENTCREATESTRUCT client{};
    client.idFirstChild = 0xFF00;
    TRect r = ClientRect();
    FClientHandle = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL,
                                    0, 0, r.Width(), r.Height(), GetHandle(), nullptr, GetModuleHandleW(nullptr),
                                    &client);
    if (!FClientHandle) throw EOutOfResources("Cannot create the MDI client window");
    Realign();
  }
}

void TCustomForm::AlignControls(TControl* AControl, TRect& Rect) {
  TWinControl::AlignControls(AControl, Rect);
  // The MDI client fills what the aligned children leave, beneath them.
  if (FClientHandle)
    SetWindowPos(FClientHandle, HWND_BOTTOM, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), SWP_NOACTIVATE);
}

void TCustomForm::DefaultHandler(TMessage& Message) {
  if (!HandleAllocated() || (Message.Msg >= CM_BASE && Message.Msg < 0xC000)) return;
  HWND window = GetHandle();
  if (FFormStyle == fsMDIForm && FClientHandle) {
    // The client is placed by the alignment, not by the frame's procedure.
    if (Message.Msg == WM_SIZE) return TWinControl::DefaultHandler(Message);
    Message.Result = DefFrameProcW(window, FClientHandle, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  if (FFormStyle == fsMDIChild && (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_MDICHILD)) {
    Message.Result = DefMDIChildProcW(window, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  TWinControl::DefaultHandler(Message);
}

void TCustomForm::DestroyWnd() {
  ReleaseOwnedWindows();
  TWinControl::DestroyWnd();
}

HWND TCustomForm::OwnerWindow() {
  if (FPopupParent && !FPopupParent->ComponentState().Contains(csDestroying)) return FPopupParent->GetHandle();
  return GetApplication()->Handle();
}

void TCustomForm::SetPopupParent(TCustomForm* Value) {
  if (Value == this) Value = nullptr;
  if (Value == FPopupParent) return;
  if (FPopupParent) FPopupParent->RemoveFreeNotification(this);
  FPopupParent = Value;
  if (Value) Value->FreeNotification(this);
  if (HandleAllocated() && !ComponentState().Contains(csDestroying))
    SetWindowLongPtrW(GetHandle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(OwnerWindow()));
}

void TCustomForm::WatchOwnedWindows() {
  // A clicked window comes forward under Wine once the mouse is let go, some time after
  // its activation and without a message: the windows it owns are looked at a few times
  // over the next half second (a timer, which modal loops of the system run too).
  RaiseOwnedWindows();
  FRaiseChecks = 5;
  SetTimer(GetHandle(), kRaiseOwnedTimer, 100, nullptr);
}

void TCustomForm::RaiseOwnedWindows() {
  // Windows keeps owned windows above their owner as it comes up; Wine does not when a
  // click on a stay-on-top owner brings it forward. Those on screen go back above it (on
  // top too when it is), in their order.
  if (FRaisingOwned || !HandleAllocated() || !IsWindowVisible(GetHandle())) return;
  HWND owner = GetHandle();
  std::vector<HWND> owned;  // from the top down
  bool anyBelow = false, passedOwner = false;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == owner) {
      passedOwner = true;
    } else if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) {
      owned.push_back(w);
      anyBelow = anyBelow || passedOwner;
    }
  }
  if (!anyBelow) return;
  FRaisingOwned = true;
  const HWND after = (GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST) ? HWND_TOPMOST : HWND_TOP;
  for (auto w = owned.rbegin(); w != owned.rend(); ++w)
    SetWindowPos(*w, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  FRaisingOwned = false;
}

void TCustomForm::ReleaseOwnedWindows() {
  // The system destroys the windows a window owns with it: the forms it owns go back to
  // the application's window first.
  if (!HandleAllocated()) return;
  TApplication* app = ExistingApplication();
  auto newOwner = reinterpret_cast<LONG_PTR>(app ? app->Handle() : nullptr);
  for (HWND w : ThreadWindows())
    if (GetWindow(w, GW_OWNER) == GetHandle()) SetWindowLongPtrW(w, GWLP_HWNDPARENT, newOwner);
}

void TCustomForm::ApplyStyles() {
  // The border changes on the window itself: it stays the same window.
  if (!HandleAllocated()) return;
  TCreateParams params;
  CreateParams(params);
  HWND window = GetHandle();
  const DWORD keepStyle = WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  const DWORD keepExStyle = WS_EX_ACCEPTFILES | WS_EX_TOPMOST | WS_EX_LAYERED;
  auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  SetWindowLongPtrW(window, GWL_STYLE, (style & keepStyle) | (params.Style & ~keepStyle));
  SetWindowLongPtrW(window, GWL_EXSTYLE, (exStyle & keepExStyle) | (params.ExStyle & ~keepExStyle));
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (Value == FFormStyle) return;
  TFormStyle old = FFormStyle;
  FFormStyle = Value;
  const bool mdi = Value == fsMDIForm || Value == fsMDIChild, wasMdi = old == fsMDIForm || old == fsMDIChild;
  if ((mdi || wasMdi) && HandleAllocated()) {
    if (old == fsMDIForm && FClientHandle) {
      DestroyWindow(FClientHandle);
      FClientHandle = nullptr;
    }
    RecreateWnd();
    return;
  }
  if (!HandleAllocated() || (Value != fsStayOnTop && old != fsStayOnTop)) return;
  HWND window = GetHandle();
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  SetWindowPos(window, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
  if (Value != fsStayOnTop && (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
    // Wine keeps an owned window above its owner (and so topmost) when the owner sits right
    // below it: let go of the owner for the move.
    HWND owner = GetWindow(window, GW_OWNER);
    SetWindowLongPtrW(window, GWLP_HWNDPARENT, 0);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  ApplyStyles();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (Value == FBorderIcons) return;
  FBorderIcons = Value;
  ApplyStyles();
}

void TCustomForm::IconChanged() {
  if (!HandleAllocated()) return;
  HICON icon = FIcon->Empty() ? nullptr : FIcon->GetHandle();
  if (!icon) {
    if (TApplication* app = ExistingApplication(); app && !app->GetIcon()->Empty()) icon = app->GetIcon()->GetHandle();
  }
  SendMessageW(GetHandle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(GetHandle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

// ---- Size and place ----

TPoint TCustomForm::FrameSize() {
  if (HandleAllocated()) {
    RECT window{}, client{};
    GetWindowRect(GetHandle(), &window);
    ::GetClientRect(GetHandle(), &client);
    if (!IsIconic(GetHandle())) return {(window.right - window.left) - client.right, (window.bottom - window.top) - client.bottom};
  }
  TCreateParams params;
  CreateParams(params);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, params.Style, FALSE, params.ExStyle);
  return {r.right - r.left, r.bottom - r.top};
}

TRect TCustomForm::ClientRect() {
  if (HandleAllocated() && !IsIconic(GetHandle())) return TWinControl::ClientRect();
  TPoint frame = FrameSize();
  return Rect(0, 0, std::max(GetWidth() - frame.X, 0), std::max(GetHeight() - frame.Y, 0));
}

void TCustomForm::SetClientSize(int Width, int Height) {
  if (ComponentState().Contains(csLoading)) {
    // The border style may come later in the form: sized again once it is all read.
    FLoadedClientWidth = Width;
    FLoadedClientHeight = Height;
  }
  TPoint frame = FrameSize();
  SetBounds(GetLeft(), GetTop(), Width + frame.X, Height + frame.Y);
}

TRect TCustomForm::NormalBounds() {
  if (HandleAllocated()) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (GetWindowPlacement(GetHandle(), &wp)) {
      const RECT& r = wp.rcNormalPosition;
      return Rect(r.left, r.top, r.right, r.bottom);
    }
  }
  return GetBoundsRect();
}

void TCustomForm::SetNormalBounds(const TRect& Bounds) {
  if (HandleAllocated() && (IsIconic(GetHandle()) || IsZoomed(GetHandle()))) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (GetWindowPlacement(GetHandle(), &wp)) {
      wp.rcNormalPosition = RECT{Bounds.Left, Bounds.Top, Bounds.Right, Bounds.Bottom};
      wp.flags = 0;
      wp.showCmd = IsIconic(GetHandle()) ? SW_SHOWMINNOACTIVE : SW_SHOWMAXIMIZED;
      if (!IsWindowVisible(GetHandle())) wp.showCmd = SW_HIDE;
      if (SetWindowPlacement(GetHandle(), &wp)) return;
    }
  }
  SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
}

void TCustomForm::ApplyPosition() {
  int x = GetLeft(), y = GetTop();
  TScreen* screen = GetScreen();
  auto centreOn = [&](const TRect& area) {
    x = area.Left + (area.Width() - GetWidth()) / 2;
    y = area.Top + (area.Height() - GetHeight()) / 2;
  };
  switch (FPosition) {
    case poScreenCenter: centreOn(Rect(0, 0, screen->Width(), screen->Height())); break;
    case poDesktopCenter: centreOn(screen->DesktopRect()); break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* over = FPosition == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
      if (!over) over = GetApplication()->MainForm();
      if (over && over != this) centreOn(over->GetBoundsRect());
      else centreOn(Rect(0, 0, screen->Width(), screen->Height()));
      break;
    }
    default: return;
  }
  SetBounds(std::max(x, 0), std::max(y, 0), GetWidth(), GetHeight());
}

// ---- Showing ----

void TCustomForm::SetVisible(bool Value) {
  if (ComponentState().Contains(csLoading) || FFormState.Contains(fsCreating)) {
    // Shown once it is made.
    if (Value) FFormState.Include(fsVisible);
    else FFormState.Exclude(fsVisible);
    return;
  }
  if (Value == GetVisible()) return;
  if (FFormState.Contains(fsShowing)) throw EInvalidOperation("Cannot change Visible in OnShow or OnHide");
  TWinControl::SetVisible(Value);
}

void TCustomForm::Show() {
  SetVisible(true);
  // Hidden with the minimised application, it comes back on its own.
  if (HandleAllocated() && FShowing && !IsWindowVisible(GetHandle())) ShowWindow(GetHandle(), SW_SHOW);
  BringToFront();
}

void TCustomForm::BringToFront() {
  if (HandleAllocated() && GetVisible() && FFormStyle == fsMDIChild) {
    // Activated inside the MDI client (WM_CHILDACTIVATE); the frame is not touched.
    SetWindowPos(GetHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return;
  }
  if (HandleAllocated() && GetVisible()) {
    SetWindowPos(GetHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(GetHandle());
  }
}

void TCustomForm::UpdateShowing() {
  bool showing = GetVisible() && (!GetParent() || GetParent()->Showing());
  if (showing && !HandleAllocated()) CreateHandle();
  if (showing != FShowing) {
    FShowing = showing;
    ShowingChanged();
  }
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* win = dynamic_cast<TWinControl*>(Controls(i))) win->UpdateShowing();
}

void TCustomForm::SetWindowVisibility() {
  if (!HandleAllocated()) return;
  struct TShowingFlag {
    TFormState& S;
    explicit TShowingFlag(TFormState& State) : S(State) { S.Include(fsShowing); }
    ~TShowingFlag() { S.Exclude(fsShowing); }
  };
  if (FShowing) {
    if (!FPositioned) {
      FPositioned = true;
      ApplyPosition();
    }
    {
      TShowingFlag flag(FFormState);
      DoShow();
    }
    static const int commands[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
    ShowWindow(GetHandle(), commands[FWindowState]);
    if (FFormStyle == fsStayOnTop)
      SetWindowPos(GetHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else {
    {
      TShowingFlag flag(FFormState);
      DoHide();
    }
    ShowWindow(GetHandle(), SW_HIDE);
  }
}

void TCustomForm::DoShow() {
  ShowListeners(this);
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::SetWindowState(TWindowState Value) {
  if (Value == FWindowState) return;
  FWindowState = Value;
  if (HandleAllocated() && FShowing) {
    static const int commands[] = {SW_SHOWNORMAL, SW_MINIMIZE, SW_SHOWMAXIMIZED};
    ShowWindow(GetHandle(), commands[Value]);
  }
}

// ---- Focus and activation ----

TCustomForm* GetParentForm(TControl* Control) {
  while (Control && Control->GetParent()) Control = Control->GetParent();
  return dynamic_cast<TCustomForm*>(Control);
}

void TCustomForm::SetActiveControl(TWinControl* Value) {
  if (Value == FActiveControl) return;
  bool loading = ComponentState().Contains(csLoading);
  if (Value && (Value == this || GetParentForm(Value) != this || (!loading && !Value->CanFocus())))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  FActiveControl = Value;
  if (!loading && FActive && Value) ::SetFocus(Value->GetHandle());
}

void TCustomForm::FocusControl(TWinControl* Control) {
  if (!Control->CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  SetActiveControl(Control);
  if (HandleAllocated() && FShowing) ::SetFocus(Control->GetHandle());
}

void TCustomForm::SetFocus() {
  if (!GetVisible() || !GetEnabled()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (FActiveControl && FActiveControl->CanFocus()) ::SetFocus(FActiveControl->GetHandle());
  else ::SetFocus(GetHandle());
}

void TCustomForm::ControlFocused(TWinControl* Control) {
  GetScreen()->SetActiveControl(Control);
  if (Control == FFocusedControl) return;
  TWinControl* old = FFocusedControl;
  FFocusedControl = Control;
  FActiveControl = Control;
  if (old) old->DoExit();
  if (FFocusedControl == Control) Control->DoEnter();
}

void TCustomForm::ControlRemoved(TControl* Control) {
  auto inside = [Control](TWinControl* c) {
    for (TControl* p = c; p; p = p->GetParent())
      if (p == Control) return true;
    return false;
  };
  if (FActiveControl && inside(FActiveControl)) FActiveControl = nullptr;
  if (FFocusedControl && inside(FFocusedControl)) FFocusedControl = nullptr;
}

// ---- What the form passes on to the application ----

void TCustomForm::ControlDestroyed(TWinControl* Control) {
  if (TControlHost* app = ApplicationHost()) app->ControlDestroyed(Control);
}

void TCustomForm::CancelHint() {
  if (TControlHost* app = ApplicationHost()) app->CancelHint();
}

void TCustomForm::MouseControlChanged(TControl* Control) {
  if (TControlHost* app = ApplicationHost()) app->MouseControlChanged(Control);
}

TCursor TCustomForm::ScreenCursor() {
  TControlHost* app = ApplicationHost();
  return app ? app->ScreenCursor() : crDefault;
}

HCURSOR TCustomForm::CursorHandle(TCursor Cursor) {
  TControlHost* app = ApplicationHost();
  return app ? app->CursorHandle(Cursor) : LoadCursorW(nullptr, IDC_ARROW);
}

bool TCustomForm::DragMouseMessage(TControl* Receiver, TMessage& Message) {
  TControlHost* app = ApplicationHost();
  return app && app->DragMouseMessage(Receiver, Message);
}

bool TCustomForm::IsDragSource(const TControl* Control) {
  TControlHost* app = ApplicationHost();
  return app && app->IsDragSource(Control);
}

bool TCustomForm::DragEscape() {
  TControlHost* app = ApplicationHost();
  return app && app->DragEscape();
}

void TCustomForm::DragCaptureChanged(HWND Window, HWND NewCapture) {
  if (TControlHost* app = ApplicationHost()) app->DragCaptureChanged(Window, NewCapture);
}

void TCustomForm::DragControlDestroyed(TControl* Control) {
  if (TControlHost* app = ApplicationHost()) app->DragControlDestroyed(Control);
}

void TCustomForm::SetActive(bool Value) {
  FActive = Value;
  if (Value) {
    GetScreen()->SetActiveForm(this);
    if (!FActiveControl) FActiveControl = FindNextControl(nullptr, true, true, false);
    if (FActiveControl && FActiveControl->CanFocus()) ::SetFocus(FActiveControl->GetHandle());
    Activate();
  } else {
    Deactivate();
  }
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

// ---- Closing ----

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  CloseQueryListeners(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  TApplication* app = ExistingApplication();
  if (app && app->MainForm() == this) app->Terminate();
  else if (action == caHide) Hide();
  else if (action == caMinimize) SetWindowState(wsMinimized);
  else Release();
}

void TCustomForm::Release() { PostMessageW(GetHandle(), CM_RELEASE, 0, 0); }

std::vector<HWND> ThreadWindows() {
  std::vector<HWND> windows;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND Window, LPARAM List) {
        reinterpret_cast<std::vector<HWND>*>(List)->push_back(Window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> DisableTaskWindows(HWND Except) {
  std::vector<HWND> disabled;
  for (HWND w : ThreadWindows())
    if (w != Except && IsWindowVisible(w) && IsWindowEnabled(w)) {
      disabled.push_back(w);
      EnableWindow(w, FALSE);
    }
  return disabled;
}

void EnableTaskWindows(const std::vector<HWND>& Windows) {
  for (HWND w : Windows)
    if (IsWindow(w)) EnableWindow(w, TRUE);
}

TModalResult TCustomForm::ShowModal() {
  if (GetVisible() || !GetEnabled() || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
    throw EInvalidOperation("Cannot make a visible window modal");
  if (GetCapture()) SendMessageW(GetCapture(), WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  GetApplication()->CancelHint();
  FFormState.Include(fsModal);
  HWND activeWindow = GetActiveWindow();
  const std::vector<HWND> disabled = DisableTaskWindows(GetHandle());
  // Below a stay-on-top window the modal one would leave the program looking frozen.
  bool raised = FFormStyle != fsStayOnTop && StayOnTopFormShown(this);
  TFinally finish([&] {
    // The window that was active takes the activation (and the keyboard, when the program
    // has it) back before this one goes: hidden first, it would leave Wine no enabled
    // window to hand them to, and the program without the keyboard.
    HWND foreground = GetForegroundWindow();
    bool ours = foreground && GetWindowThreadProcessId(foreground, nullptr) == GetCurrentThreadId();
    EnableTaskWindows(disabled);
    if (activeWindow && IsWindow(activeWindow) && IsWindowVisible(activeWindow)) {
      if (ours) SetForegroundWindow(activeWindow);
      SetActiveWindow(activeWindow);
    }
    if (GetVisible()) Hide();
    if (raised && HandleAllocated())
      SetWindowPos(GetHandle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FFormState.Exclude(fsModal);
  });
  if (raised) SetWindowPos(GetHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Show();
  FModalResult = mrNone;
  TApplication* app = GetApplication();
  do {
    try {
      app->HandleMessage();
    } catch (...) {
      app->HandleException(this);
    }
    if (app->Terminated()) FModalResult = mrCancel;
    else if (FModalResult != mrNone) CloseModal();
  } while (FModalResult == mrNone);
  return FModalResult;
}

bool StayOnTopFormShown(const TCustomForm* Except) {
  TScreen* screen = ExistingScreen();
  if (!screen) return false;
  for (int i = 0; i < screen->FormCount(); ++i) {
    TCustomForm* form = screen->Forms(i);
    if (form != Except && form->GetFormStyle() == fsStayOnTop && form->HandleAllocated() &&
        IsWindowVisible(form->GetHandle()) && !IsIconic(form->GetHandle()))
      return true;
  }
  return false;
}

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone) FModalResult = mrNone;
    else if (action == caFree) Release();
  } catch (...) {
    FModalResult = mrNone;
    Application->HandleException(this);
  }
}

// ---- Messages ----

void TCustomForm::PaintWindow(HDC DC) {
  FCanvas->Lock();
  FCanvas->FreeHandle();
  FCanvas->SetHandle(DC);
  TFinally release([this] {
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
  });
  Paint();
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE:
      Close();
      return;
    case WM_SYSCOMMAND:
      if ((Message.WParam & 0xFFF0) == SC_MINIMIZE && GetApplication()->MainForm() == this) {
        GetApplication()->Minimize();
        return;
      }
      DefaultHandler(Message);
      return;
    case WM_ACTIVATE: {
      DefaultHandler(Message);
      bool active = LOWORD(Message.WParam) != WA_INACTIVE;
      if (active) WatchOwnedWindows();
      if (active != FActive) SetActive(active);
      return;
    }
    case WM_CAPTURECHANGED:
    case WM_EXITSIZEMOVE:
      TWinControl::Dispatch(Message);
      WatchOwnedWindows();
      return;
    case WM_TIMER:
      if (Message.WParam == kRaiseOwnedTimer) {
        RaiseOwnedWindows();
        if (--FRaiseChecks <= 0) KillTimer(GetHandle(), kRaiseOwnedTimer);
        return;
      }
      TWinControl::Dispatch(Message);
      return;
    case WM_WINDOWPOSCHANGED:
      TWinControl::Dispatch(Message);
      if (!(reinterpret_cast<const WINDOWPOS*>(Message.LParam)->flags & SWP_NOZORDER)) RaiseOwnedWindows();
      return;
    case WM_SIZE:
      DefaultHandler(Message);
      if (FShowing) {
        if (Message.WParam == SIZE_MINIMIZED) FWindowState = wsMinimized;
        else if (Message.WParam == SIZE_MAXIMIZED) FWindowState = wsMaximized;
        else if (Message.WParam == SIZE_RESTORED) FWindowState = wsNormal;
      }
      return;
    case WM_QUERYENDSESSION:
      Message.Result = CloseQuery() ? 1 : 0;
      return;
    case WM_NCDESTROY:
      FClientHandle = nullptr;  // gone with the frame
      TWinControl::Dispatch(Message);
      return;
    case CM_RELEASE:
      BeforeDestruction();
      delete this;  // nothing of this object is touched after it
      return;
    case CM_DIALOGKEY:
      if (GetKeyState(VK_MENU) >= 0) {
        auto key = static_cast<WORD>(Message.WParam);
        if (key == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        if ((key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) && FActiveControl &&
            FActiveControl->GetParent()) {
          FActiveControl->GetParent()->SelectNext(FActiveControl, key == VK_RIGHT || key == VK_DOWN, false);
          Message.Result = 1;
          return;
        }
      }
      TWinControl::Dispatch(Message);
      return;
    default:
      TWinControl::Dispatch(Message);
  }
}

bool TCustomForm::IsShortCut(WORD Key, TShiftState Shift) {
  TShortCut shortCut = ShortCut(Key, Shift);
  for (int i = 0; i < ComponentCount(); ++i) {
    if (auto* menu = dynamic_cast<TMenu*>(Components(i)); menu && menu->IsShortCut(shortCut)) return true;
  }
  return false;
}
