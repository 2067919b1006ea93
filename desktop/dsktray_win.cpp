#include "desktop/dsktray.h"

#include <algorithm>

#include "classlib/windows/application.h"
#include "classlib/core/unicode.h"
#include "classlib/core/utilwindow.h"

HX_PUBLISH(TDtTrayAction, p) {
  p.Property("Popup", &TDtTrayAction::Popup, &TDtTrayAction::Popup).Default(paRightDown);
  p.Property("Restore", &TDtTrayAction::Restore, &TDtTrayAction::Restore).Default(paLeftDblClick);
}

HX_PUBLISH(TDtIconBlink, p) {
  p.Property("Enabled", &TDtIconBlink::GetEnabled, &TDtIconBlink::SetEnabled).Default(false);
  p.Property("Interval", &TDtIconBlink::GetInterval, &TDtIconBlink::SetInterval).Default(1000);
}

HX_PUBLISH(TDtIconLabel, p) {
  p.Property("Alignment", &TDtIconLabel::GetAlignment, &TDtIconLabel::SetAlignment).Default(ttgCenter);
  p.Property("Font", &TDtIconLabel::GetFont);
  p.Property("PosX", &TDtIconLabel::GetPosX, &TDtIconLabel::SetPosX).Default(0);
  p.Property("PosY", &TDtIconLabel::GetPosY, &TDtIconLabel::SetPosY).Default(0);
  p.Property("Text", &TDtIconLabel::GetText, &TDtIconLabel::SetText).Default("");
}

HX_PUBLISH(TDtTrayIcon, p) {
  p.Property("Action", &TDtTrayIcon::GetAction);
  p.Property("Blink", &TDtTrayIcon::GetBlink);
  p.Property("Enabled", &TDtTrayIcon::GetEnabled, &TDtTrayIcon::SetEnabled).Default(true);
  p.Property("Hint", &TDtTrayIcon::GetHint, &TDtTrayIcon::SetHint).Default("");
  p.Property("Icon", &TDtTrayIcon::GetIcon);
  p.Property("IconList", &TDtTrayIcon::GetIconList, &TDtTrayIcon::SetIconList);
  p.Property("IconIndex", &TDtTrayIcon::GetIconIndex, &TDtTrayIcon::SetIconIndex).Default(-1);
  p.Property("IconText", &TDtTrayIcon::GetIconText);
  p.Property("Mode", &TDtTrayIcon::GetMode, &TDtTrayIcon::SetMode).Default(trmIcon);
  p.Property("PopupMenu", &TDtTrayIcon::GetPopupMenu, &TDtTrayIcon::SetPopupMenu);
  p.Property("ShowHint", &TDtTrayIcon::GetShowHint, &TDtTrayIcon::SetShowHint).Default(true);
  p.Property("ShowIcon", &TDtTrayIcon::GetShowIcon, &TDtTrayIcon::SetShowIcon).Default(tyOnMinimized);
  p.Property("ShowTaskBar", &TDtTrayIcon::GetShowTaskBar, &TDtTrayIcon::SetShowTaskBar).Default(true);
  p.Property("ShowTaskEntry", &TDtTrayIcon::GetShowTaskEntry, &TDtTrayIcon::SetShowTaskEntry).Default(tyOnRestore);
  p.Event("OnMouseLeftDown", &TDtTrayIcon::OnMouseLeftDown);
  p.Event("OnMouseRightDown", &TDtTrayIcon::OnMouseRightDown);
  p.Event("OnMouseLeftUp", &TDtTrayIcon::OnMouseLeftUp);
  p.Event("OnMouseRightUp", &TDtTrayIcon::OnMouseRightUp);
  p.Event("OnMouseMove", &TDtTrayIcon::OnMouseMove);
  p.Event("OnMouseRightDblClick", &TDtTrayIcon::OnMouseRightDblClick);
  p.Event("OnMouseLeftDblClick", &TDtTrayIcon::OnMouseLeftDblClick);
  p.Event("OnBlinkInVisible", &TDtTrayIcon::OnBlinkInVisible);
  p.Event("OnBlinkVisible", &TDtTrayIcon::OnBlinkVisible);
}

namespace {

class TWindowsTrayShell : public TDtTrayShell {
 public:
  bool NotifyIcon(DWORD Message, NOTIFYICONDATAW& Data) override { return Shell_NotifyIconW(Message, &Data) != 0; }
  bool TaskBarVisible() override {
    HWND bar = FindWindowW(L"Shell_TrayWnd", nullptr);
    return bar && IsWindowVisible(bar);
  }
  void ShowTaskBar(bool Show) override {
    if (HWND bar = FindWindowW(L"Shell_TrayWnd", nullptr)) ::ShowWindow(bar, Show ? SW_SHOWNORMAL : SW_HIDE);
  }
  void ShowWindow(HWND Window, int Command) override {
    // Showing a window that is shown already would only activate it again.
    if ((IsWindowVisible(Window) != 0) != (Command != SW_HIDE)) ::ShowWindow(Window, Command);
  }
  void SetForegroundWindow(HWND Window) override { ::SetForegroundWindow(Window); }
  TPoint CursorPos() override {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
  }
};

TDtTrayShell& Shell() { return TSeam<TDtTrayShell>::Get(); }

constexpr UINT kApplyLoadedMessage = WM_APP + 1;

}  // namespace

TDtTrayShell& TDtTrayShell::System() {
  static TWindowsTrayShell shell;
  return shell;
}

std::wstring TrayTip(const String& Hint) {
  std::wstring tip = Utf8ToWide(Hint);
  constexpr size_t kMax = 63;
  if (tip.size() > kMax) {
    size_t n = kMax;
    if (tip[n - 1] >= 0xD800 && tip[n - 1] <= 0xDBFF) --n;  // a lead surrogate without its trail
    tip.resize(n);
  }
  return tip;
}

void BitmapToIcon(TBitmap* Bitmap, TColor TransparentColor, TIcon* Icon) {
  TImageList list(nullptr);
  list.SetWidth(Bitmap->GetWidth());
  list.SetHeight(Bitmap->GetHeight());
  list.AddMasked(Bitmap, TransparentColor);
  list.GetIcon(0, Icon);
}

// ---- Companions ----

TDtIconBlink::TDtIconBlink(TDtTrayIcon* Tray) : FTray(Tray), FTimer(std::make_unique<TTimer>(nullptr)) {
  FTimer->SetEnabled(false);
  FTimer->OnTimer = [this](TObject*) { FTray->BlinkStep(); };
}

TDtIconBlink::~TDtIconBlink() = default;

void TDtIconBlink::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  FTimer->SetEnabled(Value);
  if (!Value) {
    FTray->FBlinkVisible = true;
    FTray->DoBlinkVisible();
    FTray->RefreshIcon();
  }
}

TDtIconLabel::TDtIconLabel(TDtTrayIcon* Tray)
    : FTray(Tray), FFont(std::make_unique<TFont>()), FBitmap(std::make_unique<TBitmap>()) {
  FFont->SetName("Arial");
  FFont->SetSize(10);
  FFont->SetStyle(TFontStyles{fsBold});
  FFont->SetColor(clBlack);
  FFont->OnChange = [this](TObject*) { FTray->RenderTextIcon(); };
  FBitmap->SetSize(16, 16);
}

TDtIconLabel::~TDtIconLabel() = default;

void TDtIconLabel::SetText(const String& Value) {
  FText = Value;
  FTray->RenderTextIcon();
}

void TDtIconLabel::SetPosX(int Value) {
  FPosX = Value;
  FTray->RenderTextIcon();
}

void TDtIconLabel::SetPosY(int Value) {
  FPosY = Value;
  FTray->RenderTextIcon();
}

void TDtIconLabel::SetAlignment(TTrayTextAlign Value) {
  FAlignment = Value;
  FTray->RenderTextIcon();
}

// ---- TDtTrayIcon ----

TDtTrayIcon::TDtTrayIcon(TComponent* AOwner)
    : TComponent(AOwner),
      FIcon(std::make_unique<TIcon>()),
      FBaseIcon(std::make_unique<TIcon>()),
      FBlankIcon(std::make_unique<TIcon>()),
      FTextIcon(std::make_unique<TIcon>()),
      FAction(std::make_unique<TDtTrayAction>()),
      FBlink(std::make_unique<TDtIconBlink>(this)),
      FTaskTimer(std::make_unique<TTimer>(nullptr)),
      FIconText(std::make_unique<TDtIconLabel>(this)) {
  FWindow = CreateUtilityWindow(this, &TDtTrayIcon::WndProc);
  // The shell tells every top-level window when its tray comes (back).
  FTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  TBitmap blank;
  blank.SetSize(16, 16);
  BitmapToIcon(&blank, clDefault, FBlankIcon.get());
  FTaskTimer->SetEnabled(false);
  FTaskTimer->SetInterval(250);
  FTaskTimer->OnTimer = [this](TObject*) {
    FTaskTimer->SetEnabled(false);
    ApplyTaskEntry();
  };
  // The application's events are lists: the icon joins them for its life and leaves them.
  FMinimizeToken = Application->OnMinimize.Add([this](TObject*) { Minimized(); });
  FRestoreToken = Application->OnRestore.Add([this](TObject*) { Restored(); });
  FAppHook = Application->HookMainWindow([this](TMessage& Message) {
    if (Message.Msg == WM_WINDOWPOSCHANGED && !FApplyingTaskEntry) {
      auto* pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
      if (pos && (pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))) WantTaskEntry();
    }
    return false;
  });
}

TDtTrayIcon::~TDtTrayIcon() {
  if (TApplication* app = ExistingApplication()) {
    app->OnMinimize.Remove(FMinimizeToken);
    app->OnRestore.Remove(FRestoreToken);
    app->UnhookMainWindow(FAppHook);
  }
  FTaskTimer.reset();
  FBlink.reset();
  // The icon goes before the window it belongs to.
  RemoveIcon();
  DestroyUtilityWindow(FWindow);
  if (FTaskBarHidden) Shell().ShowTaskBar(true);
}

bool TDtTrayIcon::Live() const {
  if (ComponentState().Contains(csLoading)) return false;
  TApplication* app = ExistingApplication();
  return !(app && app->DuplicateInstance());
}

void TDtTrayIcon::Loaded() {
  TComponent::Loaded();
  // A form fills Icon itself: the base icon takes its copy here.
  if (FBaseIcon->Empty()) FBaseIcon->Assign(FIcon.get());
  RenderTextIcon();
  // Once the program runs: a second start that the single-instance guard (anywhere on the
  // form) ends never gets there.
  PostMessageW(FWindow, kApplyLoadedMessage, 0, 0);
}

void TDtTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
  if (AComponent == FIconList) SetIconList(nullptr);
}

// ---- Properties ----

void TDtTrayIcon::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  if (FEnabled || !Live()) return;
  RemoveIcon();
  Shell().ShowWindow(Application->Handle(), SW_SHOW);
  if (FTaskBarHidden) {
    Shell().ShowTaskBar(true);
    FTaskBarHidden = false;
  }
}

void TDtTrayIcon::SetHint(const String& Value) {
  if (Value == FHint) return;
  FHint = Value;
  RefreshIcon();
}

void TDtTrayIcon::SetIcon(TIcon* Value) {
  FIcon->Assign(Value);
  FBaseIcon->Assign(Value);
  RefreshIcon();
}

void TDtTrayIcon::SetPopupMenu(TPopupMenu* Value) {
  if (Value == FPopupMenu) return;
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TDtTrayIcon::SetIconList(TImageList* Value) {
  if (Value == FIconList) return;
  FIconList = Value;
  if (Value) {
    Value->FreeNotification(this);
  } else {
    FIconIndex = -1;
    FIcon->Assign(FBaseIcon.get());
    RefreshIcon();
  }
}

void TDtTrayIcon::SetIconIndex(int Value) {
  if (!FIconList) return;
  Value = std::max(-1, std::min(Value, FIconList->Count() - 1));
  if (Value == FIconIndex) return;
  FIconIndex = Value;
  if (Value == -1) FIcon->Assign(FBaseIcon.get());
  else FIconList->GetIcon(Value, FIcon.get());
  // The shown icon follows at once (not only at the next change of the hint).
  RefreshIcon();
}

void TDtTrayIcon::SetMode(TTrayMode Value) {
  if (Value == FMode) return;
  FMode = Value;
  if (FMode == trmText) RenderTextIcon();
  else RefreshIcon();
}

void TDtTrayIcon::SetShowIcon(TTrayShow Value) {
  if (Value == FShowIcon) return;
  FShowIcon = Value;
  ApplyShowIcon();
}

void TDtTrayIcon::SetShowTaskBar(bool Value) {
  if (Value == FShowTaskBar) return;
  FShowTaskBar = Value;
  ApplyShowTaskBar();
}

void TDtTrayIcon::ApplyShowIcon() {
  if (!Live()) return;
  if (FShowIcon == tyAllways || (FShowIcon == tyOnMinimized && FMinimized)) AddIcon();
  else if (FShowIcon == tyNever) RemoveIcon();
}

void TDtTrayIcon::ApplyShowTaskBar() {
  if (!Live()) return;
  if (!FShowTaskBar) {
    if (!FTaskBarHidden && Shell().TaskBarVisible()) {
      Shell().ShowTaskBar(false);
      FTaskBarHidden = true;
    }
  } else if (FTaskBarHidden) {
    Shell().ShowTaskBar(true);
    FTaskBarHidden = false;
  }
}

// ---- The icon on the shell ----

HICON TDtTrayIcon::CurrentIcon() {
  TIcon* icon = FIcon.get();
  if (FBlink->GetEnabled() && !FBlinkVisible) icon = FBlankIcon.get();
  else if (FMode == trmText) icon = FTextIcon.get();
  else if (FBlink->GetEnabled()) icon = FBaseIcon.get();
  HICON handle = icon->Empty() ? nullptr : icon->GetHandle();
  if (!handle && !Application->GetIcon()->Empty()) handle = Application->GetIcon()->GetHandle();
  if (!handle) handle = LoadIconW(nullptr, IDI_APPLICATION);
  return handle;
}

void TDtTrayIcon::FillRecord(NOTIFYICONDATAW& Data) {
  Data = NOTIFYICONDATAW{};
  Data.cbSize = sizeof Data;
  Data.hWnd = FWindow;
  Data.uID = kTrayIconId;
  // The tip always goes along: the shell would keep an old one otherwise.
  Data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  Data.uCallbackMessage = kTrayCallbackMessage;
  Data.hIcon = CurrentIcon();
  std::wstring tip = FShowHint ? TrayTip(FHint) : std::wstring();
  std::copy(tip.begin(), tip.end(), Data.szTip);
}

void TDtTrayIcon::AddIcon() {
  if (!FEnabled || !Live()) return;
  FIconWanted = true;
  if (FIconShown) {
    RefreshIcon();
    return;
  }
  NOTIFYICONDATAW data;
  FillRecord(data);
  FIconShown = Shell().NotifyIcon(NIM_ADD, data);
}

void TDtTrayIcon::RefreshIcon() {
  if (!FEnabled || !Live()) return;
  if (!FIconShown) {
    if (FIconWanted) AddIcon();  // the shell did not take it before: try again
    return;
  }
  NOTIFYICONDATAW data;
  FillRecord(data);
  if (!Shell().NotifyIcon(NIM_MODIFY, data)) {
    // The shell lost the icon (restarted): add it again.
    FIconShown = false;
    AddIcon();
  }
}

void TDtTrayIcon::RemoveIcon() {
  FIconWanted = false;
  if (!FIconShown) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = FWindow;
  data.uID = kTrayIconId;
  Shell().NotifyIcon(NIM_DELETE, data);
  FIconShown = false;
}

// ---- The application's window ----

void TDtTrayIcon::Minimized() {
  WantTaskEntry();
  if (!FEnabled) return;
  FMinimized = true;
  if (FShowIcon == tyOnMinimized && !FIconShown) AddIcon();
}

void TDtTrayIcon::Restored() {
  WantTaskEntry();
  if (!FEnabled) return;
  Shell().SetForegroundWindow(Application->Handle());
  if (FShowIcon == tyOnMinimized) RemoveIcon();
  FMinimized = false;
}

void TDtTrayIcon::WantTaskEntry() {
  if (FTaskTimer && !ComponentState().Contains(csDesigning)) FTaskTimer->SetEnabled(true);
}

void TDtTrayIcon::ApplyTaskEntry() {
  if (!Live()) return;
  bool show = FShowTaskEntry == tyAllways || (FShowTaskEntry == tyOnRestore && !FMinimized) ||
              (FShowTaskEntry == tyOnMinimized && FMinimized);
  FApplyingTaskEntry = true;
  Shell().ShowWindow(Application->Handle(), show ? SW_SHOW : SW_HIDE);
  FApplyingTaskEntry = false;
}

// ---- Blinking and the text icon ----

void TDtTrayIcon::BlinkStep() {
  if (!FEnabled || !Live()) return;
  FBlinkVisible = !FBlinkVisible;
  if (FBlinkVisible) DoBlinkVisible();
  else DoBlinkInVisible();
  RefreshIcon();
}

void TDtTrayIcon::RenderTextIcon() {
  if (FMode != trmText || !FIconText) return;
  TDtIconLabel& label = *FIconText;
  TBitmap* bitmap = label.FBitmap.get();
  TCanvas* canvas = bitmap->Canvas();
  canvas->SetFont(label.FFont.get());
  const int w = bitmap->GetWidth(), h = bitmap->GetHeight();
  const int tw = canvas->TextWidth(label.FText), th = canvas->TextHeight(label.FText);
  switch (label.FAlignment) {
    case ttgCustom: label.FX = label.FPosX, label.FY = label.FPosY; break;
    case ttgCenter: label.FX = w / 2 - tw / 2, label.FY = h / 2 - th / 2; break;
    case ttgCenterBottom: label.FX = w / 2 - tw / 2, label.FY = h - th; break;
    case ttgCenterTop: label.FX = w / 2 - tw / 2, label.FY = 0; break;
    case ttgCenterLeft: label.FX = 0, label.FY = h / 2 - th / 2; break;
    case ttgCenterRight: label.FX = w - tw, label.FY = h / 2 - th / 2; break;
  }
  // The background: next to the text's colour (a system colour by its present RGB), and
  // transparent.
  auto text = static_cast<int>(ColorToRGB(label.FFont->GetColor()));
  TColor background = static_cast<TColor>(text - 1 < 0 ? text + 1 : text - 1);
  canvas->GetBrush()->SetColor(background);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->FillRect(TRect{0, 0, w, h});
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->TextOut(label.FX, label.FY, label.FText);
  bitmap->FreeContext();
  BitmapToIcon(bitmap, background, FTextIcon.get());
  RefreshIcon();
}

// ---- Notifications ----

void TDtTrayIcon::WndProc(TMessage& Message) {
  if (Message.Msg == kTrayCallbackMessage) {
    switch (LOWORD(Message.LParam)) {
      case WM_MOUSEMOVE: DoMouseMove(); break;
      case WM_LBUTTONDOWN: Click(paLeftDown), DoLeftDown(); break;
      case WM_LBUTTONUP: Click(paLeftUp), DoLeftUp(); break;
      case WM_LBUTTONDBLCLK: Click(paLeftDblClick), DoLeftDblClick(); break;
      case WM_RBUTTONDOWN: Click(paRightDown), DoRightDown(); break;
      case WM_RBUTTONUP: Click(paRightUp), DoRightUp(); break;
      case WM_RBUTTONDBLCLK: Click(paRightDblClick), DoRightDblClick(); break;
      default: break;
    }
    return;
  }
  if (Message.Msg == kApplyLoadedMessage) {
    ApplyShowTaskBar();
    ApplyShowIcon();
    WantTaskEntry();
    return;
  }
  if (FTaskbarCreated && Message.Msg == FTaskbarCreated) {
    // The shell's tray came (back) without our icon.
    FIconShown = false;
    if (FIconWanted) AddIcon();
    return;
  }
  switch (Message.Msg) {
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_NCDESTROY: Message.Result = 1; return;
    default: Message.Result = DefWindowProcW(FWindow, Message.Msg, Message.WParam, Message.LParam);
  }
}

void TDtTrayIcon::Click(TTrayAction Action) {
  if (FPopupMenu && FAction->Popup != paNone && Action == FAction->Popup) {
    TPoint at = Shell().CursorPos();
    FPopupMenu->SetPopupComponent(this);
    // The menu's owner comes to the foreground first, so that a click elsewhere closes it.
    HWND owner = Application->Handle();
    Shell().SetForegroundWindow(owner);
    FPopupMenu->Popup(at.X, at.Y);
    PostMessageW(owner, WM_NULL, 0, 0);
  }
  if (FAction->Restore != paNone && Action == FAction->Restore) Application->Restore();
}

void TDtTrayIcon::DoBlinkVisible() {
  if (OnBlinkVisible) OnBlinkVisible(this);
}
void TDtTrayIcon::DoBlinkInVisible() {
  if (OnBlinkInVisible) OnBlinkInVisible(this);
}
void TDtTrayIcon::DoMouseMove() {
  if (OnMouseMove) OnMouseMove(this);
}
void TDtTrayIcon::DoLeftDown() {
  if (OnMouseLeftDown) OnMouseLeftDown(this);
}
void TDtTrayIcon::DoLeftUp() {
  if (OnMouseLeftUp) OnMouseLeftUp(this);
}
void TDtTrayIcon::DoLeftDblClick() {
  if (OnMouseLeftDblClick) OnMouseLeftDblClick(this);
}
void TDtTrayIcon::DoRightDown() {
  if (OnMouseRightDown) OnMouseRightDown(this);
}
void TDtTrayIcon::DoRightUp() {
  if (OnMouseRightUp) OnMouseRightUp(this);
}
void TDtTrayIcon::DoRightDblClick() {
  if (OnMouseRightDblClick) OnMouseRightDblClick(this);
}
