#include "assistant/stage.h"

#include <cstring>

#include "classlib/windows/application.h"
#include "classlib/windows/menus.h"
#include "classlib/core/messages.h"

HX_PUBLISH(THintBulb, p) {}
HX_PUBLISH(TAssistantStage, p) {}

namespace {

// Posted by ShowStage on a worker: the form's visibility follows on the main thread.
constexpr UINT WM_STAGESHOWN = WM_APP + 0x51;
// Posted by PostToMainThread.
constexpr UINT WM_STAGEPOSTED = WM_APP + 0x52;
constexpr UINT StageZOrderFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER |
                                  SWP_NOSENDCHANGING;  // 0x653
constexpr UINT TopmostFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOSENDCHANGING;  // 0x413
constexpr WPARAM MoveFromCaption = SC_MOVE | HTCAPTION;                                       // 0xF012

// The first glyph of an 8-bit strip as a bitmap of its own (the strip's palette kept).
HRGN GlyphRegion(TBitmap* strip, int glyphWidth) {
  const int h = strip->GetHeight();
  if (glyphWidth <= 0 || h <= 0) return CreateRectRgn(0, 0, 0, 0);
  if (strip->GetPixelFormat() != pf8bit) {
    // Any other format: transparent by the bottom-left pixel's colour.
    TBitmap glyph;
    glyph.SetPixelFormat(pf32bit);
    glyph.SetSize(glyphWidth, h);
    BitBlt(glyph.Canvas()->GetHandle(), 0, 0, glyphWidth, h, strip->Canvas()->GetHandle(), 0, 0, SRCCOPY);
    COLORREF key = ColorToRGB(strip->Canvas()->GetPixels(0, h - 1));
    glyph.FreeContext();
    strip->FreeContext();
    return BitmapToRegion(glyph.GetHandle(), key);
  }
  // Indexed: transparent by the bottom-left pixel's palette index.
  TBitmap glyph;
  glyph.SetPixelFormat(pf8bit);
  glyph.SetSize(glyphWidth, h);
  glyph.SetPalette(CopyPalette(strip->GetPalette()));
  for (int y = 0; y < h; ++y)
    std::memcpy(glyph.ScanLine(y), strip->ScanLine(y), static_cast<std::size_t>(glyphWidth));
  int transparent = static_cast<std::uint8_t*>(strip->ScanLine(h - 1))[0];
  glyph.FreeContext();
  return BitmapToRegion(glyph.GetHandle(), static_cast<std::uint32_t>(transparent));
}

}  // namespace

// ---- hint bulb ----

THintBulb::THintBulb(TAssistantStage* Stage) : TCustomControl(Stage), FStage(Stage), FGlyphs(std::make_unique<TBitmap>()) {
  FGlyphs->LoadFromResourceName(nullptr, "BULBGLYPHS256");
  const int w = FGlyphs->GetWidth() / 4;
  FRegion = GlyphRegion(FGlyphs.get(), w);
  SetVisible(false);
  SetBounds(0, 0, w, FGlyphs->GetHeight());
}

THintBulb::~THintBulb() {
  if (FRegion) DeleteObject(FRegion);
}

void THintBulb::CreateWnd() {
  TCustomControl::CreateWnd();
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(shape, FRegion, nullptr, RGN_COPY);
  SetWindowRgn(GetHandle(), shape, FALSE);  // the window owns the copy
}

void THintBulb::Paint() {
  const int w = GetWidth(), h = GetHeight();
  BitBlt(Canvas()->GetHandle(), 0, 0, w, h, FGlyphs->Canvas()->GetHandle(), FGlyphState * w, 0, SRCCOPY);
}

void THintBulb::SetGlyphState(int Value) {
  if (Value == FGlyphState) return;
  FGlyphState = Value;
  if (HandleAllocated()) {
    InvalidateRgn(GetHandle(), FRegion, FALSE);
    if (FShown) Update();
  }
}

void THintBulb::SetShown(bool Value) {
  if (Value == FShown) return;
  FShown = Value;
  FStage->UpdateRegion();
  SetVisible(Value);
  if (Value) Update();
}

void THintBulb::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED: {
      TCustomControl::Dispatch(Message);
      FPressed = false;
      POINT at{};
      GetCursorPos(&at);
      bool under = HandleAllocated() && WindowFromPoint(at) == GetHandle();
      SetGlyphState(!GetEnabled() ? gsDisabled : under ? gsHot : gsNormal);
      return;
    }
    case CM_MOUSEENTER:
      if (GetEnabled()) {
        FPressed = HandleAllocated() && GetCapture() == GetHandle();
        SetGlyphState(FPressed ? gsPressed : gsHot);
      }
      break;
    case CM_MOUSELEAVE:
      if (GetEnabled()) SetGlyphState(gsNormal);
      break;
    case WM_LBUTTONDOWN:
      if (GetEnabled()) {
        FPressed = true;
        SetGlyphState(gsPressed);
      }
      break;
    case WM_LBUTTONUP:
      if (GetEnabled() && FPressed) {
        FPressed = false;
        SetGlyphState(gsNormal);
      }
      break;
  }
  TCustomControl::Dispatch(Message);
}

// ---- stage ----

TAssistantStage::TAssistantStage(TAssistantDirector* Director) : TCustomForm(nullptr, CreateNew), FDirector(Director) {
  SetBorderStyle(bsNone);
  FBulb = new THintBulb(this);
  FBulb->SetParent(this);
  FApplicationActive = GetApplication()->Active();
  BringApplicationToFront = [] { GetApplication()->BringToFront(); };
  MoveLoop = [](TAssistantStage* Sender) { SendMessageW(Sender->GetHandle(), WM_SYSCOMMAND, MoveFromCaption, 0); };
  FAppHook = GetApplication()->HookMainWindow([this](TMessage& Message) {
    if (Message.Msg == WM_ACTIVATEAPP) ApplicationActivated(Message.WParam != 0);
    return false;
  });
}

TAssistantStage::~TAssistantStage() { GetApplication()->UnhookMainWindow(FAppHook); }

void TAssistantStage::CreateParams(TCreateParams& Params) {
  TCustomForm::CreateParams(Params);
  // Without a parent window a pop-up with no owner (no task-bar button: it never
  // activates), else a child; children are not painted over.
  Params.Style = (FParentWindow ? WS_CHILD : WS_POPUP) | WS_CLIPCHILDREN;
  Params.WndParent = FParentWindow;
  Params.ExStyle = WS_EX_NOACTIVATE;
  Params.WindowClass.style = CS_OWNDC | CS_NOCLOSE;  // 0x220
}

void TAssistantStage::CreateWnd() {
  TCustomForm::CreateWnd();
  FWindow = GetHandle();
}

void TAssistantStage::DestroyWnd() {
  FWindow = nullptr;
  TCustomForm::DestroyWnd();
}

void TAssistantStage::SetParentWindow(HWND Value) {
  if (Value == FParentWindow) return;
  FParentWindow = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TAssistantStage::SetWindowVisibility() {
  // Shown and hidden without activation; ShowStage placed it.
  HWND window = FWindow;
  if (!window) return;
  if (Showing()) {
    DoShow();
    ShowWindow(window, SW_SHOWNA);
  } else {
    DoHide();
    ShowWindow(window, SW_HIDE);
  }
}

void TAssistantStage::ShowStage(bool Value) {
  if (Value == FStageShowing) return;
  const bool main = IsMainThread();
  if (main) HandleNeeded();
  HWND window = FWindow;
  FStageShowing = Value;
  if (!window) return;  // a worker makes no window
  if (Value) {
    UpdateRegion();
    if (!main) {
      ShowWindowAsync(window, SW_SHOWNA);
      PostMessageW(window, WM_STAGESHOWN, 1, 0);
      return;
    }
    SetWindowPos(window, TopLevel() ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, StageZOrderFlags);
    SetVisible(true);
  } else {
    if (!main) {
      ShowWindowAsync(window, SW_HIDE);
      PostMessageW(window, WM_STAGESHOWN, 0, 0);
      return;
    }
    SetVisible(false);
  }
}

void TAssistantStage::PostToMainThread(WPARAM Code) {
  if (HWND window = FWindow) PostMessageW(window, WM_STAGEPOSTED, Code, 0);
}

void TAssistantStage::UpdateZOrder() {
  HWND window = FWindow;
  if (FStageShowing && window) SetWindowPos(window, TopLevel() ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, StageZOrderFlags);
}

void TAssistantStage::UpdateRegion() {
  HWND window = FWindow;
  if (!window) return;
  HRGN shape = FDirector->Engine()->CopyCurrentRegion();
  if (!shape) shape = CreateRectRgn(0, 0, 0, 0);
  if (FBulb->GetShown()) {
    HRGN bulb = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(bulb, FBulb->Region(), nullptr, RGN_COPY);
    OffsetRgn(bulb, FBulb->GetLeft(), FBulb->GetTop());
    CombineRgn(shape, shape, bulb, RGN_OR);
    DeleteObject(bulb);
  }
  InvalidateRgn(window, shape, FALSE);
  SetWindowRgn(window, shape, TRUE);  // the window owns the shape from now
}

void TAssistantStage::ApplicationActivated(bool Active) {
  FApplicationActive = Active;
  HWND window = FWindow;
  if (!FStageShowing || !TopLevel() || !window) return;
  SetWindowPos(window, Active || FAlwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, TopmostFlags);
  UpdateWindow(window);
}

void TAssistantStage::Drag() {
  ReleaseCapture();
  FDragging = true;
  if (OnDragStart) OnDragStart(this);
  struct TDragEnd {
    TAssistantStage* Stage;
    ~TDragEnd() {
      Stage->FDragging = false;
      if (Stage->OnDragStop) Stage->OnDragStop(Stage);
    }
  } end{this};
  if (MoveLoop) MoveLoop(this);
}

void TAssistantStage::Activated(HWND Previous) {
  // The stage never keeps the activation: it goes back where it belongs.
  TApplication* app = GetApplication();
  auto activateForm = [app] {
    TCustomForm* form = Screen->ActiveForm();
    if (!form || !form->HandleAllocated() || !IsWindowVisible(form->GetHandle())) form = app->MainForm();
    if (form && form->HandleAllocated() && IsWindowVisible(form->GetHandle())) SetActiveWindow(form->GetHandle());
  };
  bool foreign = Previous && GetWindowThreadProcessId(Previous, nullptr) != MainThreadID() && !FindControl(Previous);
  if (foreign) {
    if (BringApplicationToFront) BringApplicationToFront();
    activateForm();
  } else if (Previous && IsWindowVisible(Previous)) {
    SetActiveWindow(Previous);
  } else {
    activateForm();
  }
}

void TAssistantStage::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_PAINT: {
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      PAINTSTRUCT ps{};
      if (!dc) dc = BeginPaint(GetHandle(), &ps);
      FDirector->Engine()->Paint(dc, 0, 0);
      if (!Message.WParam) EndPaint(GetHandle(), &ps);
      Message.Result = 0;
      return;
    }
    case WM_NCHITTEST:
      Message.Result = GetEnabled() && FMouseInput ? HTCLIENT : HTNOWHERE;
      return;
    case WM_STAGEPOSTED:
      if (OnPosted) OnPosted(Message.WParam);
      return;
    case CM_BIDIMODECHANGED:
      TCustomForm::Dispatch(Message);
      if (auto* menu = dynamic_cast<TPopupMenu*>(GetPopupMenu())) menu->SetBiDiMode(GetBiDiMode());
      return;
    case WM_MOUSEMOVE:
      if (Message.WParam == MK_LBUTTON && FDraggable) {
        Drag();
        return;
      }
      break;
    case WM_MOVING:
      if (FDragging && OnDragging) OnDragging(this);
      break;
    case WM_SIZE:
      TCustomForm::Dispatch(Message);
      FBulb->SetLeft(GetWidth() - FBulb->GetWidth());
      if (FStageShowing) UpdateRegion();
      return;
    case WM_MOUSEACTIVATE:
      if (TopLevel()) {
        TApplication* app = GetApplication();
        if (!app->Active() && !IsIconic(app->Handle())) {
          if (BringApplicationToFront) BringApplicationToFront();
          Message.Result = MA_NOACTIVATEANDEAT;
        } else {
          Message.Result = MA_NOACTIVATE;
        }
        return;
      }
      break;
    case WM_ACTIVATE:
      if (TopLevel() && LOWORD(Message.WParam) != WA_INACTIVE) {
        Activated(reinterpret_cast<HWND>(Message.LParam));
        Message.Result = 0;
        return;
      }
      break;
    case WM_ENABLE:
      // A modal window (or clearing Enabled) does not disable a showing stage.
      if (!Message.WParam && FStageShowing && TopLevel()) {
        EnableWindow(GetHandle(), TRUE);
        Message.Result = 0;
        return;
      }
      break;
    case WM_STAGESHOWN:
      if ((Message.WParam != 0) == FStageShowing) {
        if (FStageShowing) SetVisible(true);
        else SetVisible(false);
      }
      return;
  }
  TCustomForm::Dispatch(Message);
}
