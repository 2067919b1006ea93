#pragma once
// The one drag that runs at a time between the program's own controls (TControl::BeginDrag;
// see TDragMode in classlib/windows/controls.h): its state, and its part of the controls' message
// handling, which the controls reach through their host (classlib/windows/controlhost.h). Windows
// only; main thread only.
//
// The source holds the mouse capture from BeginDrag on, so its window gets every mouse
// message: before the threshold is passed they reach the control as usual (a release then
// is a plain click); once the drag has started the drag takes them, finds the control under
// the pointer (FindDragTarget), asks it through its DragOver and shows the source's
// DragCursor or crNoDrop; the release drops. Escape, another button or the capture going
// elsewhere cancels. Every event runs inside the message that caused it, so the window
// procedure's guard reports what a handler throws; the drag has ended cleanly by then.
#include "classlib/windows/controls.h"

class TDragSession {
 public:
  static void Begin(TControl* Source, bool Immediate, int Threshold);
  static void End(TControl* Source, bool Drop);
  static bool IsSource(const TControl* Control);
  // A mouse message that reached Receiver: true when the drag took it (the control does
  // not see it).
  static bool MouseMessage(TControl* Receiver, TMessage& Message);
  // Escape: true when it cancelled a running drag.
  static bool Escape();
  // Window lost the mouse capture to NewCapture.
  static void CaptureChanged(HWND Window, HWND NewCapture);
  // Control is going: a drag of it ends without events, and it is no target any more.
  static void ControlDestroyed(TControl* Control);
};
