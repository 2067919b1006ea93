#pragma once
// TDtTrayIcon: one icon in the notification area, with its tool tip, mouse events, a pop-up
// menu and the application's restore on chosen clicks, blinking, a short text drawn into
// the icon instead of a picture, and control over the application's task-bar button and
// the system's task bar.
//
// The icon counts as shown only after the shell took it. An icon that should be there and
// is not (the shell's tray was not up yet, or it restarted: "TaskbarCreated") is added
// again then, or at the next refresh. The shell keeps an old tip unless a new one is sent,
// so every add and refresh sends the tip, an empty one when ShowHint is off or Hint empty;
// tips are cut at 63 UTF-16 units. The system's task bar is shown again only when this
// component hid it. Values read from a form take effect once the form is loaded, and never
// on a second start that the single-instance guard ends (TApplication::DuplicateInstance).
// Windows only.
#include <cstdint>
#include <memory>

#include "classlib/windows/graphics.h"
#include "classlib/windows/imglist.h"
#include "classlib/windows/menus.h"
#include "classlib/windows/pictures.h"
#include "classlib/core/seam.h"
#include "classlib/core/timers.h"
#include "classlib/core/winapi.h"

#include <shellapi.h>

HX_ENUM(TTrayMode, trmIcon, trmText);
HX_ENUM(TTrayShow, tyAllways, tyNever, tyOnRestore, tyOnMinimized);
HX_ENUM(TTrayAction, paLeftDown, paRightDown, paLeftUp, paRightUp, paLeftDblClick, paRightDblClick, paNone);
HX_ENUM(TTrayTextAlign, ttgCenter, ttgCustom, ttgCenterBottom, ttgCenterTop, ttgCenterLeft, ttgCenterRight);

// The notification message of the icon (WM_USER + 1) and its identifier.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 1;
inline constexpr UINT kTrayIconId = 1;

// What the tray icon asks of the shell and of the windows it shows and hides; tests install
// a recording one (TSeamScope).
class TDtTrayShell {
 public:
  virtual ~TDtTrayShell() = default;
  // Shell_NotifyIconW.
  virtual bool NotifyIcon(DWORD Message, NOTIFYICONDATAW& Data) = 0;
  // The system's task bar ("Shell_TrayWnd"): whether it is visible, and showing it
  // (SW_SHOWNORMAL) or hiding it.
  virtual bool TaskBarVisible() = 0;
  virtual void ShowTaskBar(bool Show) = 0;
  // ShowWindow of the application's window.
  virtual void ShowWindow(HWND Window, int Command) = 0;
  virtual void SetForegroundWindow(HWND Window) = 0;
  virtual TPoint CursorPos() = 0;
  static TDtTrayShell& System();
};

class TDtTrayIcon;

class TDtTrayAction : public TPersistent {
  HX_CLASS(TDtTrayAction, TPersistent)
 public:
  TTrayAction Popup = paRightDown;
  TTrayAction Restore = paLeftDblClick;
};

class TDtIconBlink : public TPersistent {
  HX_CLASS(TDtIconBlink, TPersistent)
 public:
  explicit TDtIconBlink(TDtTrayIcon* Tray);
  ~TDtIconBlink() override;
  bool GetEnabled() const { return FEnabled; }
  // Off: the visible phase comes back and the icon is refreshed.
  void SetEnabled(bool Value);
  std::uint32_t GetInterval() const { return FTimer->GetInterval(); }
  void SetInterval(std::uint32_t Value) { FTimer->SetInterval(Value); }

 private:
  TDtTrayIcon* FTray;
  bool FEnabled = false;
  std::unique_ptr<TTimer> FTimer;
};

class TDtIconLabel : public TPersistent {
  HX_CLASS(TDtIconLabel, TPersistent)
 public:
  explicit TDtIconLabel(TDtTrayIcon* Tray);
  ~TDtIconLabel() override;
  // Arial, 10 points, bold, black.
  TFont* GetFont() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  const String& GetText() const { return FText; }
  void SetText(const String& Value);
  int GetPosX() const { return FPosX; }
  void SetPosX(int Value);
  int GetPosY() const { return FPosY; }
  void SetPosY(int Value);
  TTrayTextAlign GetAlignment() const { return FAlignment; }
  void SetAlignment(TTrayTextAlign Value);
  // Where the text was placed in the 16 x 16 picture at the last rendering.
  int X() const { return FX; }
  int Y() const { return FY; }

 private:
  friend class TDtTrayIcon;
  TDtTrayIcon* FTray;
  std::unique_ptr<TFont> FFont;
  String FText;
  int FPosX = 0, FPosY = 0;
  TTrayTextAlign FAlignment = ttgCenter;
  std::unique_ptr<TBitmap> FBitmap;
  int FX = 0, FY = 0;
};

class TDtTrayIcon : public TComponent {
  HX_CLASS(TDtTrayIcon, TComponent)
 public:
  explicit TDtTrayIcon(TComponent* AOwner);
  ~TDtTrayIcon() override;

  TDtTrayAction* GetAction() const { return FAction.get(); }
  TDtIconBlink* GetBlink() const { return FBlink.get(); }
  TDtIconLabel* GetIconText() const { return FIconText.get(); }
  // Off removes the icon and shows the application's window and the task bar (when this
  // component hid it); on adds nothing by itself.
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  const String& GetHint() const { return FHint; }
  void SetHint(const String& Value);
  // Setting an icon keeps a copy as the base icon (blinking, IconIndex -1).
  TIcon* GetIcon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value);
  TImageList* GetIconList() const { return FIconList; }
  void SetIconList(TImageList* Value);
  // With an IconList: -1 shows the base icon, another index that image (kept within the
  // list).
  int GetIconIndex() const { return FIconIndex; }
  void SetIconIndex(int Value);
  TTrayMode GetMode() const { return FMode; }
  void SetMode(TTrayMode Value);
  TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  bool GetShowHint() const { return FShowHint; }
  void SetShowHint(bool Value) { FShowHint = Value; }
  TTrayShow GetShowIcon() const { return FShowIcon; }
  void SetShowIcon(TTrayShow Value);
  bool GetShowTaskBar() const { return FShowTaskBar; }
  void SetShowTaskBar(bool Value);
  // Applied to the application's window 250 ms after it changes, after the application
  // is minimised or restored and after its window is shown or hidden by anyone else (the
  // timer sleeps in between).
  TTrayShow GetShowTaskEntry() const { return FShowTaskEntry; }
  void SetShowTaskEntry(TTrayShow Value) {
    FShowTaskEntry = Value;
    WantTaskEntry();
  }

  // The icon is in the notification area.
  bool IconShown() const { return FIconShown; }
  // The blink's visible phase.
  bool BlinkVisible() const { return FBlinkVisible; }
  // The hidden window the shell notifies.
  HWND WindowHandle() const { return FWindow; }
  // The handle the icon shows now (blink phase and mode; no picture: the application's).
  HICON CurrentIcon();
  // The base, the blank (fully transparent) and the text icon.
  TIcon* BaseIcon() const { return FBaseIcon.get(); }
  TIcon* BlankIcon() const { return FBlankIcon.get(); }
  TIcon* TextIcon() const { return FTextIcon.get(); }

  TNotifyEvent OnMouseLeftDown;
  TNotifyEvent OnMouseRightDown;
  TNotifyEvent OnMouseLeftUp;
  TNotifyEvent OnMouseRightUp;
  TNotifyEvent OnMouseMove;
  TNotifyEvent OnMouseRightDblClick;
  TNotifyEvent OnMouseLeftDblClick;
  TNotifyEvent OnBlinkInVisible;
  TNotifyEvent OnBlinkVisible;

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void DoBlinkVisible();
  virtual void DoBlinkInVisible();
  virtual void DoMouseMove();
  virtual void DoLeftDown();
  virtual void DoLeftUp();
  virtual void DoLeftDblClick();
  virtual void DoRightDown();
  virtual void DoRightUp();
  virtual void DoRightDblClick();

 private:
  friend class TDtIconBlink;
  friend class TDtIconLabel;
  void WndProc(TMessage& Message);
  void Click(TTrayAction Action);
  void AddIcon();
  void RefreshIcon();
  void RemoveIcon();
  void FillRecord(NOTIFYICONDATAW& Data);
  void ApplyShowIcon();
  void ApplyShowTaskBar();
  void ApplyTaskEntry();
  void WantTaskEntry();  // arms the 250 ms timer
  void BlinkStep();
  void RenderTextIcon();
  void Minimized();
  void Restored();
  bool Live() const;

  HWND FWindow = nullptr;
  bool FEnabled = true;
  std::unique_ptr<TIcon> FIcon, FBaseIcon, FBlankIcon, FTextIcon;
  String FHint;
  TPopupMenu* FPopupMenu = nullptr;
  bool FShowTaskBar = true;
  bool FShowHint = true;
  bool FIconShown = false;
  bool FIconWanted = false;  // added and not removed since: put back when the shell lost it
  bool FTaskBarHidden = false;  // the system's task bar was hidden by this component
  bool FBlinkVisible = true;
  std::unique_ptr<TDtTrayAction> FAction;
  TTrayShow FShowIcon = tyOnMinimized;
  std::unique_ptr<TDtIconBlink> FBlink;
  TTrayShow FShowTaskEntry = tyOnRestore;
  std::unique_ptr<TTimer> FTaskTimer;
  std::unique_ptr<TDtIconLabel> FIconText;
  int FIconIndex = -1;
  TImageList* FIconList = nullptr;
  TTrayMode FMode = trmIcon;
  bool FMinimized = false;
  int FMinimizeToken = 0, FRestoreToken = 0;
  int FAppHook = -1;            // watches the application window being shown or hidden
  bool FApplyingTaskEntry = false;
  UINT FTaskbarCreated = 0;
};

// Makes Icon from a bitmap, its pixels of TransparentColor transparent (clDefault: the
// bottom-left pixel's colour).
void BitmapToIcon(TBitmap* Bitmap, TColor TransparentColor, TIcon* Icon);
// The tip the shell gets: the first 63 UTF-16 units of Hint, no character cut in two.
std::wstring TrayTip(const String& Hint);
