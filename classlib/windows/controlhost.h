#pragma once
// TControlHost: what a control asks of where it sits, instead of reaching up to the form,
// the application, the screen and the drag: its form's focus and keys, the application's
// hint, the screen's cursor and active control, and the one drag that runs. A control finds
// its host with TControl::Host(): the form it sits on, which passes on to the application
// what is not its own, or the application for a control on no form. Windows only; main
// thread only.
#include "classlib/windows/controls.h"

class TControlHost {
 public:
  virtual ~TControlHost() = default;

  // ---- The form's part: a host that is no form (the application) has none of it ----
  // Keys reach the form before its controls (KeyPreview).
  virtual bool PreviewsKeys() { return false; }
  // A key before it is translated that is a shortcut of one of the form's pop-up menus
  // clicks that item; true when one did.
  virtual bool IsShortCut(WORD /*Key*/, TShiftState /*Shift*/) { return false; }
  // Gives the focus to Control, which becomes the form's active control.
  virtual void FocusControl(TWinControl* /*Control*/) {}
  // Control took the focus: it is the active control now, of the form and of the screen.
  virtual void ControlFocused(TWinControl* /*Control*/) {}
  // Control left its parent: neither it nor a control inside it stays the active one.
  virtual void ControlRemoved(TControl* /*Control*/) {}

  // ---- The application's part, with its screen ----
  // Control is going: the screen forgets it as its active control.
  virtual void ControlDestroyed(TWinControl* Control) = 0;
  // A press: the hint shown, or about to be, goes.
  virtual void CancelHint() = 0;
  // The control under the mouse changed (nullptr: none of ours).
  virtual void MouseControlChanged(TControl* Control) = 0;
  // The screen's cursor for every control (crDefault: each control's own), and the cursor
  // of a number.
  virtual TCursor ScreenCursor() = 0;
  virtual HCURSOR CursorHandle(TCursor Cursor) = 0;

  // ---- The drag that runs (see classlib/windows/dragdrop.h) ----
  // A mouse message that reached Receiver: true when the drag took it.
  virtual bool DragMouseMessage(TControl* Receiver, TMessage& Message) = 0;
  virtual bool IsDragSource(const TControl* Control) = 0;
  // Escape: true when it cancelled a running drag.
  virtual bool DragEscape() = 0;
  // Window lost the mouse capture to NewCapture.
  virtual void DragCaptureChanged(HWND Window, HWND NewCapture) = 0;
  // Control is going: a drag of it ends without events, and it is no target any more.
  virtual void DragControlDestroyed(TControl* Control) = 0;
};

// The application as the host of controls on no form, and where forms pass on what is
// the application's; nullptr before the application is made and once it is gone.
TControlHost* ApplicationHost();
