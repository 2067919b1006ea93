#pragma once
// Drop-downs: the small windows a combo box or an edit box opens under itself.
//
// TDropDownWindow<Base> makes any control a drop-down: its window is a top-level, topmost
// tool window with a border (owned by the application's hidden window, which hands the
// control its notifications and colours), shown and clicked without being activated, so
// the control that opened it keeps the focus and the keyboard: that control hands on the
// keys the drop-down is to see. It starts hidden, keeps to the work area of the monitor it
// opens on, and asks to close without accepting when the application loses the foreground
// (a topmost window would otherwise stay over other programs).
//
// TDropDown is what the opener asks of a drop-down, whatever control it is: it gives it the
// value to show (SetDropDownValue), opens it under a screen rectangle (DropDown), hears
// OnCloseUp when the drop-down wants to close (accepting or not), closes it (CloseUp) and
// reads the value chosen (DropDownValue, DropDownText). A close that does not accept puts
// back whatever opening the drop-down changed.
//
// TDropDownListBox<Base> is a drop-down over a list box: it tracks the mouse itself, so a
// click never gives the list the focus (the system's list box would take it), and it asks
// to close at the button's release, accepting when the release is inside the list.
// Windows only.
#include <algorithm>
#include <functional>

#include "classlib/windows/application.h"
#include "classlib/windows/controls.h"
#include "classlib/data/variants.h"
#include "classlib/core/winapi.h"

// Where a drop-down of Width × Height opens for an Anchor (screen rectangle) in a Screen
// (work area): under it, moved left to end at the Screen's right edge when it would cross
// it, and above the anchor when it would cross the Screen's bottom; never beyond the
// Screen's left and top edges.
inline TPoint DropDownPosition(const TRect& Anchor, int Width, int Height, const TRect& Screen) {
  int x = std::max(std::min(Anchor.Left, Screen.Right - Width), Screen.Left);
  int y = Anchor.Bottom + Height > Screen.Bottom ? Anchor.Top - Height : Anchor.Bottom;
  return {x, std::max(y, Screen.Top)};
}

// The work area of the monitor that holds most of Rect (screen coordinates).
inline TRect WorkAreaOf(const TRect& Rect) {
  RECT r{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info)) return {0, 0, 1 << 15, 1 << 15};
  return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

using TCloseUpEvent = std::function<void(TObject* Sender, bool Accept)>;

class TDropDown {
 public:
  virtual ~TDropDown() = default;
  // The drop-down's control (its window receives the keys the opener hands on).
  virtual TWinControl* DropDownControl() = 0;
  // The value to show when it opens (the field's value; Null for none). A drop-down with
  // no value of its own ignores it and gives Null and "".
  virtual void SetDropDownValue(const TVariant& /*Value*/) {}
  // Opens under Anchor (a screen rectangle) without taking the focus.
  virtual void DropDown(const TRect& Anchor) = 0;
  // Hides it; a close that does not accept puts back what opening it changed.
  virtual void CloseUp(bool Accept) = 0;
  virtual bool DroppedDown() = 0;
  // What the user chose (Null: nothing), and as text for a field that keeps text.
  virtual TVariant DropDownValue() { return TVariant::Null(); }
  virtual String DropDownText() { return {}; }

  // The drop-down asks its opener to close it (which calls CloseUp).
  TCloseUpEvent OnCloseUp;

 protected:
  void RequestCloseUp(TObject* Sender, bool Accept) {
    if (OnCloseUp) OnCloseUp(Sender, Accept);
  }
};

template <class Base>
class TDropDownWindow : public Base, public TDropDown {
 public:
  explicit TDropDownWindow(TComponent* AOwner) : Base(AOwner) { TControl::SetVisible(false); }

  TWinControl* DropDownControl() override { return this; }
  // Opens under Anchor (a screen rectangle, such as the edit box's), see DropDownPosition.
  void DropDown(const TRect& Anchor) override {
    TPoint at = DropDownPosition(Anchor, this->GetWidth(), this->GetHeight(), WorkAreaOf(Anchor));
    this->SetBounds(at.X, at.Y, this->GetWidth(), this->GetHeight());
    this->SetVisible(true);
  }
  void CloseUp(bool /*Accept*/) override { this->SetVisible(false); }
  bool DroppedDown() override { return this->GetVisible(); }

 protected:
  using typename Base::TCreateParams;

  void CreateParams(TCreateParams& Params) override {
    Base::CreateParams(Params);
    Params.Style = (Params.Style & ~static_cast<DWORD>(WS_CHILD | WS_VISIBLE)) | WS_POPUP | WS_BORDER;
    Params.ExStyle = (Params.ExStyle & ~static_cast<DWORD>(WS_EX_CLIENTEDGE)) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    Params.WndParent = Application->Handle();
    Params.WindowClass.style |= CS_SAVEBITS;
  }
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_MOUSEACTIVATE) {
      Message.Result = MA_NOACTIVATE;
      return;
    }
    if (Message.Msg == WM_ACTIVATEAPP && !Message.WParam && this->GetVisible()) RequestCloseUp(this, false);
    Base::Dispatch(Message);
  }
  bool ShowsWithoutParent() const override { return true; }
};

template <class Base>
class TDropDownListBox : public TDropDownWindow<Base> {
 public:
  explicit TDropDownListBox(TComponent* AOwner) : TDropDownWindow<Base>(AOwner) {}

 protected:
  void Dispatch(TMessage& Message) override {
    switch (Message.Msg) {
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        // Not the system's: it would take the focus.
        SetCapture(this->GetHandle());
        Track(Message);
        return;
      case WM_MOUSEMOVE:
        if (GetCapture() == this->GetHandle()) Track(Message);
        return;
      case WM_LBUTTONUP: {
        if (GetCapture() == this->GetHandle()) ReleaseCapture();
        TPoint at{static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
        this->RequestCloseUp(this, this->ClientRect().Contains(at));
        return;
      }
    }
    TDropDownWindow<Base>::Dispatch(Message);
  }

 private:
  // Selects the item under the mouse, scrolling when it is above or below the list.
  void Track(const TMessage& Message) {
    TPoint at{static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
    TRect client = this->ClientRect();
    if (at.X < client.Left || at.X >= client.Right) return;
    int count = this->GetItems()->Count();
    if (count == 0) return;
    int index;
    if (at.Y < client.Top) index = this->GetItemIndex() - 1;
    else if (at.Y >= client.Bottom) index = this->GetItemIndex() + 1;
    else if ((index = this->ItemAtPos(at, true)) < 0) return;
    index = std::clamp(index, 0, count - 1);
    if (index != this->GetItemIndex()) this->SetItemIndex(index);
  }
};
