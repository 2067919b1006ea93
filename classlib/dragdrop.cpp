#include "classlib/dragdrop.h"

#include <cstdlib>
#include <exception>

#include "classlib/application.h"

HX_PUBLISH(TDragObject, p) {}

namespace {

constexpr int kDefaultThreshold = 5;

struct TDrag {
  TControl* Source = nullptr;
  bool Started = false;          // past the threshold
  TPoint Origin;                 // where it was begun, on the screen
  int Threshold = kDefaultThreshold;
  HWND CaptureWindow = nullptr;  // the source's window, or its parent's for a windowless one
  bool TookCapture = false;      // the source did not hold the capture before
  TDragObject* Object = nullptr;  // the source's own, from OnStartDrag
  TControl* Target = nullptr;
  bool Accepted = false;
  int Generation = 0;  // which drag this is: a handler may end it and begin another
};

TDrag drag;
int generations = 0;
// The source and target of a drag that is ending, while its last events run: cleared when
// a handler frees them.
TControl* endingSource = nullptr;
TControl* endingTarget = nullptr;

TPoint CursorPos() {
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}

TObject* SourceObject(const TDrag& D) { return D.Object ? static_cast<TObject*>(D.Object) : D.Source; }

bool Current(int Generation) { return drag.Source && drag.Generation == Generation; }

// Ends a drag that never started: no events. The capture goes back when the drag took it.
void Forget(bool Release) {
  HWND window = drag.CaptureWindow;
  drag = TDrag{};
  if (Release && GetCapture() == window) ReleaseCapture();
}

}  // namespace

// The drag's steps. Friends of TControl, for its protected drag events.
struct TDragSteps {
  static bool Ask(TControl* Target, TPoint Pos, TDragState State) {
    TPoint local = Target->ScreenToClient(Pos);
    bool accept = false;
    Target->DragOver(SourceObject(drag), local.X, local.Y, State, accept);
    return accept;
  }

  // The pointer is at Pos: the control under it is told, and the cursor says whether it
  // accepts. A handler that throws cancels the drag.
  static void MoveTo(TPoint Pos) {
    const int generation = drag.Generation;
    try {
      TControl* target = FindDragTarget(Pos, false);
      if (target != drag.Target) {
        if (TControl* old = drag.Target) {
          drag.Target = nullptr;
          drag.Accepted = false;
          Ask(old, Pos, dsDragLeave);
          if (!Current(generation)) return;
        }
        drag.Target = target;
        if (target) {
          bool accepted = Ask(target, Pos, dsDragEnter);
          if (!Current(generation)) return;
          drag.Accepted = accepted && drag.Target == target;
        }
      } else if (target) {
        bool accepted = Ask(target, Pos, dsDragMove);
        if (!Current(generation)) return;
        drag.Accepted = accepted && drag.Target == target;
      }
    } catch (...) {
      std::exception_ptr first = std::current_exception();
      if (Current(generation)) {
        try {
          Finish(false, Pos);
        } catch (...) {
        }
      }
      std::rethrow_exception(first);
    }
    if (drag.Object) {
      drag.Object->DragPos = Pos;
      drag.Object->DragTarget = drag.Target;
    }
    ::SetCursor(GetScreen()->Cursors(drag.Accepted ? drag.Source->GetDragCursor() : crNoDrop));
  }

  // Past the threshold: the source's press becomes the drag.
  static void Start(TPoint Pos) {
    const int generation = drag.Generation;
    TControl* source = drag.Source;
    drag.Started = true;
    source->SetControlState(source->GetControlState() - TControlState{csClicked, csLButtonDown});
    TDragObject* object = nullptr;
    try {
      source->DoStartDrag(object);
    } catch (...) {
      if (Current(generation)) Forget(true);
      throw;
    }
    if (!Current(generation)) return;
    drag.Object = object;
    MoveTo(Pos);
  }

  // Dropped (when the target accepts) or cancelled: the target hears of the drop or that
  // the drag left it, then the source how it ended. Both run, also when the first throws;
  // the first exception goes on.
  static void Finish(bool Drop, TPoint Pos) {
    TDrag d = drag;
    drag = TDrag{};  // no drag any more: the capture changes below find none
    if (GetCapture() == d.CaptureWindow) ReleaseCapture();
    GetScreen()->RefreshCursor();
    if (d.Object) d.Object->DragPos = Pos;
    endingSource = d.Source;
    endingTarget = d.Target;
    std::exception_ptr first;
    TControl* took = nullptr;
    TPoint at{};
    if (d.Target) {
      TPoint local = d.Target->ScreenToClient(Pos);
      try {
        if (Drop && d.Accepted) {
          took = d.Target;
          at = local;
          d.Target->DragDrop(SourceObject(d), local.X, local.Y);
        } else {
          bool accept = false;
          d.Target->DragOver(SourceObject(d), local.X, local.Y, dsDragLeave, accept);
        }
      } catch (...) {
        first = std::current_exception();
      }
      if (took && endingTarget != took) took = nullptr;  // freed by its handler
    }
    if (TControl* source = endingSource) {
      if (!took) at = source->ScreenToClient(Pos);
      try {
        source->DoEndDrag(took, at.X, at.Y);
      } catch (...) {
        if (!first) first = std::current_exception();
      }
    }
    endingSource = endingTarget = nullptr;
    if (first) std::rethrow_exception(first);
  }
};

void TDragSession::Begin(TControl* Source, bool Immediate, int Threshold) {
  if (drag.Source || Source->GetDragKind() != dkDrag) return;
  HWND window = nullptr;
  if (auto* win = dynamic_cast<TWinControl*>(Source)) window = win->HandleAllocated() ? win->GetHandle() : nullptr;
  else if (TWinControl* parent = Source->GetParent(); parent && parent->HandleAllocated()) window = parent->GetHandle();
  if (!window) return;  // nothing shown to drag
  drag = TDrag{};
  drag.Source = Source;
  drag.Origin = CursorPos();
  drag.Threshold = Threshold < 0 ? kDefaultThreshold : Threshold;
  drag.CaptureWindow = window;
  drag.TookCapture = !Source->GetMouseCapture();
  drag.Generation = ++generations;
  Source->SetMouseCapture(true);
  if (Immediate) TDragSteps::Start(drag.Origin);
}

void TDragSession::End(TControl* Source, bool Drop) {
  if (drag.Source != Source) return;
  if (drag.Started) TDragSteps::Finish(Drop, CursorPos());
  else Forget(drag.TookCapture);
}

bool TDragSession::IsSource(const TControl* Control) { return drag.Source && drag.Source == Control; }

bool TDragSession::MouseMessage(TControl* Receiver, TMessage& Message) {
  if (!drag.Source || Receiver != drag.Source) return false;
  TPoint pos = Receiver->ClientToScreen({MessageX(Message.LParam), MessageY(Message.LParam)});
  switch (Message.Msg) {
    case WM_MOUSEMOVE:
      if (drag.Started) {
        TDragSteps::MoveTo(pos);
        return true;
      }
      if (std::abs(pos.X - drag.Origin.X) < drag.Threshold && std::abs(pos.Y - drag.Origin.Y) < drag.Threshold)
        return false;
      TDragSteps::Start(pos);
      return true;
    case WM_LBUTTONUP:
      if (!drag.Started) {
        Forget(drag.TookCapture);  // a plain click
        return false;
      }
      {
        const int generation = drag.Generation;
        TDragSteps::MoveTo(pos);
        if (Current(generation)) TDragSteps::Finish(true, pos);
      }
      return true;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      if (!drag.Started) {
        Forget(drag.TookCapture);
        return false;
      }
      TDragSteps::Finish(false, pos);
      return true;
    default:
      return drag.Started;  // the source sees no mouse while its drag runs
  }
}

bool TDragSession::Escape() {
  if (!drag.Source || !drag.Started) return false;
  TDragSteps::Finish(false, CursorPos());
  return true;
}

void TDragSession::CaptureChanged(HWND Window, HWND NewCapture) {
  if (!drag.Source || Window != drag.CaptureWindow || NewCapture == Window) return;
  if (drag.Started) TDragSteps::Finish(false, CursorPos());
  else Forget(false);
}

void TDragSession::ControlDestroyed(TControl* Control) {
  if (endingSource == Control) endingSource = nullptr;
  if (endingTarget == Control) endingTarget = nullptr;
  if (drag.Source == Control) {
    bool started = drag.Started;
    Forget(true);
    if (started)
      if (TScreen* screen = ExistingScreen()) screen->RefreshCursor();
  } else if (drag.Target == Control) {
    drag.Target = nullptr;
    drag.Accepted = false;
    if (drag.Object) drag.Object->DragTarget = nullptr;
  }
}

// ---- TControl's part ----

void TControl::BeginDrag(bool Immediate, int Threshold) { TDragSession::Begin(this, Immediate, Threshold); }

void TControl::EndDrag(bool Drop) { TDragSession::End(this, Drop); }

bool TControl::Dragging() const { return TDragSession::IsSource(this); }

void TControl::DoStartDrag(TDragObject*& DragObject) {
  if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
  Accept = static_cast<bool>(OnDragOver);
  if (OnDragOver) OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
  if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
  if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

TControl* FindDragTarget(TPoint ScreenPos, bool AllowDisabled) {
  // The window under the point, or the nearest of ours it lies in (a system control's
  // inner window, such as a combo box's edit).
  HWND window = WindowFromPoint({ScreenPos.X, ScreenPos.Y});
  TWinControl* control = nullptr;
  for (; window && !control; window = (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr)
    control = FindControl(window);
  if (!control) return nullptr;
  if (TControl* graphic = control->ControlAtPos(control->ScreenToClient(ScreenPos), AllowDisabled)) return graphic;
  return control;
}
