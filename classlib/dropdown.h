#pragma once
// TDropDownWindow<Base>: a control made a drop-down, the small window a combo box or an
// edit box opens under itself. Its window is a top-level, topmost tool window with a border
// (no parent window, as the hint window's), shown and clicked without being activated, so
// the control that opened it keeps the focus and the keyboard: that control hands on the
// keys the drop-down is to see. It starts hidden. Windows only.
#include <algorithm>

#include "classlib/controls.h"
#include "classlib/winapi.h"

// Where a drop-down of Width × Height opens for an Anchor (screen rectangle): under it,
// moved left to end at the Screen's right edge when it would cross it, and above the anchor
// when it would cross the Screen's bottom.
inline TPoint DropDownPosition(const TRect& Anchor, int Width, int Height, const TRect& Screen) {
  int x = std::max(std::min(Anchor.Left, Screen.Right - Width), Screen.Left);
  int y = Anchor.Bottom + Height > Screen.Bottom ? Anchor.Top - Height : Anchor.Bottom;
  return {x, y};
}

// The work area of the monitor that holds most of Rect (screen coordinates).
inline TRect WorkAreaOf(const TRect& Rect) {
  RECT r{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info)) return {0, 0, 1 << 15, 1 << 15};
  return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

template <class Base>
class TDropDownWindow : public Base {
 public:
  explicit TDropDownWindow(TComponent* AOwner) : Base(AOwner) { TControl::SetVisible(false); }

  // Opens under Anchor (a screen rectangle, such as the edit box's), see DropDownPosition.
  void DropDown(const TRect& Anchor) {
    TPoint at = DropDownPosition(Anchor, this->GetWidth(), this->GetHeight(), WorkAreaOf(Anchor));
    this->SetBounds(at.X, at.Y, this->GetWidth(), this->GetHeight());
    this->SetVisible(true);
  }
  void CloseUp() { this->SetVisible(false); }

 protected:
  using typename Base::TCreateParams;

  void CreateParams(TCreateParams& Params) override {
    Base::CreateParams(Params);
    Params.Style = (Params.Style & ~static_cast<DWORD>(WS_CHILD | WS_VISIBLE)) | WS_POPUP | WS_BORDER;
    Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    Params.WndParent = nullptr;
    Params.WindowClass.style |= CS_SAVEBITS;
  }
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_MOUSEACTIVATE) {
      Message.Result = MA_NOACTIVATE;
      return;
    }
    Base::Dispatch(Message);
  }
  bool ShowsWithoutParent() const override { return true; }
};
