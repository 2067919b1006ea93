#include "classlib/windows/dragdrop.h"

#include <cstdlib>
#include <exception>

#include "classlib/windows/application.h"
#include "classlib/windows/forms.h"

HX_PUBLISH(TDragObject, p) {}
HX_PUBLISH(TDragDockObject, p) {}

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
  // A dock drag: its object (ours to free when OwnDockObject), and whether the pointer is
  // over none of the program's windows (a release there floats the control).
  bool Dock = false;
  TDragDockObject* DockObject = nullptr;
  bool OwnDockObject = false;
  bool OverNothing = false;
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

void FreeDockObject(TDrag& D) {
  if (D.OwnDockObject) delete D.DockObject;
  D.DockObject = nullptr;
  D.OwnDockObject = false;
}

// The dock site a dock drag of Source would go to at Pos: the control there or its nearest
// parent with DockSite (Source itself and what lies inside it are passed over). OverNothing
// says that no window of the program is there.
TWinControl* DockSiteAt(TControl* Source, TPoint Pos, bool& OverNothing) {
  TControl* c = FindDragTarget(Pos, false);
  OverNothing = c == nullptr;
  for (TControl* inside = c; inside; inside = inside->GetParent())
    if (inside == Source) c = Source->GetParent();
  for (; c; c = c->GetParent())
    if (auto* site = dynamic_cast<TWinControl*>(c); site && site->GetDockSite()) return site;
  return nullptr;
}

// The tool window a control floats in: owned by the control, so it goes with it.
bool IsFloatingHost(TWinControl* Host, TControl* Control) {
  return Host && Host->Owner() == Control && dynamic_cast<TCustomForm*>(Host);
}

bool Current(int Generation) { return drag.Source && drag.Generation == Generation; }

// Ends a drag that never started: no events. The capture goes back when the drag took it.
void Forget(bool Release) {
  HWND window = drag.CaptureWindow;
  FreeDockObject(drag);
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
  static bool AskSite(TWinControl* Site, TPoint Pos, TDragState State) {
    TPoint local = Site->ScreenToClient(Pos);
    bool accept = true;
    Site->DockOver(drag.DockObject, local.X, local.Y, State, accept);
    return accept;
  }

  static void MoveTo(TPoint Pos) {
    const int generation = drag.Generation;
    try {
      bool overNothing = false;
      TControl* target = drag.Dock ? DockSiteAt(drag.Source, Pos, overNothing) : FindDragTarget(Pos, false);
      drag.OverNothing = overNothing;
      auto ask = [&](TControl* Target, TDragState State) {
        return drag.Dock ? AskSite(static_cast<TWinControl*>(Target), Pos, State) : Ask(Target, Pos, State);
      };
      if (target != drag.Target) {
        if (TControl* old = drag.Target) {
          drag.Target = nullptr;
          drag.Accepted = false;
          ask(old, dsDragLeave);
          if (!Current(generation)) return;
        }
        drag.Target = target;
        if (target) {
          bool accepted = ask(target, dsDragEnter);
          if (!Current(generation)) return;
          drag.Accepted = accepted && drag.Target == target;
        }
      } else if (target) {
        bool accepted = ask(target, dsDragMove);
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
    if (TDragObject* object = drag.Dock ? drag.DockObject : drag.Object) {
      object->DragPos = Pos;
      object->DragTarget = drag.Target;
    }
    const bool welcome = drag.Accepted || (drag.Dock && drag.OverNothing);
    ::SetCursor(GetScreen()->Cursors(welcome ? drag.Source->GetDragCursor() : crNoDrop));
  }

  // Past the threshold: the source's press becomes the drag.
  static void Start(TPoint Pos) {
    const int generation = drag.Generation;
    TControl* source = drag.Source;
    drag.Started = true;
    source->SetControlState(source->GetControlState() - TControlState{csClicked, csLButtonDown});
    TDragObject* object = nullptr;
    TDragDockObject* dockObject = nullptr;
    try {
      if (drag.Dock) source->DoStartDock(dockObject);
      else source->DoStartDrag(object);
    } catch (...) {
      if (Current(generation)) Forget(true);
      throw;
    }
    if (!Current(generation)) return;
    drag.Object = object;
    if (drag.Dock) {
      drag.OwnDockObject = !dockObject;
      drag.DockObject = dockObject ? dockObject : new TDragDockObject;
      drag.DockObject->Control = source;
      TPoint grab = source->ScreenToClient(drag.Origin);
      drag.DockObject->GrabOffset = grab;
    }
    MoveTo(Pos);
  }

  // Where a dock drag ended: the control moved into the site that accepted it (when its
  // old site lets it go), or floated when released over none of the program's windows;
  // else nothing moves. The site hears of the drop, then the control how it ended.
  static void FinishDock(bool Drop, TPoint Pos) {
    TDrag d = drag;
    drag = TDrag{};
    if (GetCapture() == d.CaptureWindow) ReleaseCapture();
    GetScreen()->RefreshCursor();
    struct TFree {
      TDrag& D;
      ~TFree() { FreeDockObject(D); }
    } freeLater{d};
    endingSource = d.Source;
    endingTarget = d.Target;
    TControl* source = d.Source;
    TDragDockObject* object = d.DockObject;
    object->DragPos = Pos;
    auto site = static_cast<TWinControl*>(d.Target);
    std::exception_ptr first;
    TObject* went = nullptr;
    TPoint at = source->ScreenToClient(Pos);
    try {
      if (site && !(Drop && d.Accepted)) {
        TPoint local = site->ScreenToClient(Pos);
        bool accept = false;
        site->DockOver(object, local.X, local.Y, dsDragLeave, accept);
      } else if (Drop && (site || d.OverNothing)) {
        went = Dock(source, object, site, Pos);
        if (went) at = site ? site->ScreenToClient(Pos) : TPoint{0, 0};
      }
    } catch (...) {
      first = std::current_exception();
    }
    if ((source = endingSource)) {
      try {
        source->DoEndDock(went && (!site || endingTarget == site) ? went : nullptr, at.X, at.Y);
      } catch (...) {
        if (!first) first = std::current_exception();
      }
    }
    endingSource = endingTarget = nullptr;
    if (first) std::rethrow_exception(first);
  }

  // Moves the control into Site (nullptr: a floating tool window) at the screen point; what
  // it went to, or nullptr when its old site would not let it go.
  static TObject* Dock(TControl* Control, TDragDockObject* Object, TWinControl* Site, TPoint Pos) {
    TWinControl* host = Control->GetParent();
    if (host && host != Site && host->GetDockSite() && !host->DoUnDock(Site, Control)) return nullptr;
    if (endingSource != Control) return nullptr;  // freed meanwhile
    const TPoint grab = Object->GrabOffset;
    TWinControl* newHost = Site;
    if (!Site) {
      // A tool window the size of the control, where it was dropped.
      auto* floating = new TForm(Control, CreateNew);
      floating->SetBorderStyle(bsSizeToolWin);
      floating->SetDockSite(true);
      floating->SetCaption(Control->GetText());
      floating->SetBounds(Pos.X - grab.X, Pos.Y - grab.Y, Control->GetWidth(), Control->GetHeight());
      floating->SetClientSize(Control->GetWidth(), Control->GetHeight());
      newHost = floating;
    }
    const bool floatingBefore = IsFloatingHost(host, Control);
    Control->SetAlign(alNone);
    Control->SetParent(newHost);
    TPoint local = newHost->ScreenToClient(Pos);
    if (Site) Control->SetBounds(local.X - grab.X, local.Y - grab.Y, Control->GetWidth(), Control->GetHeight());
    else Control->SetBounds(0, 0, Control->GetWidth(), Control->GetHeight());
    Control->Show();
    if (!Site) static_cast<TForm*>(newHost)->Show();
    if (floatingBefore && host != newHost && host->ControlCount() == 0) static_cast<TForm*>(host)->Release();
    if (Site) Site->DockDrop(Object, local.X, local.Y);
    return newHost;
  }

  // Dropped (when the target accepts) or cancelled: the target hears of the drop or that
  // the drag left it, then the source how it ended. Both run, also when the first throws;
  // the first exception goes on.
  static void Finish(bool Drop, TPoint Pos) {
    if (drag.Dock) return FinishDock(Drop, Pos);
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
  if (drag.Source) return;
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
  drag.Dock = Source->GetDragKind() == dkDock;
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
    if (drag.DockObject) drag.DockObject->DragTarget = nullptr;
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

void TControl::DoStartDock(TDragDockObject*& DragObject) {
  if (OnStartDock) OnStartDock(this, DragObject);
}

void TControl::DoEndDock(TObject* Target, int X, int Y) {
  if (OnEndDock) OnEndDock(this, Target, X, Y);
}

void TWinControl::DockOver(TDragDockObject* Source, int X, int Y, TDragState State, bool& Accept) {
  if (OnDockOver) OnDockOver(this, Source, X, Y, State, Accept);
}

void TWinControl::DockDrop(TDragDockObject* Source, int X, int Y) {
  if (OnDockDrop) OnDockDrop(this, Source, X, Y);
}

bool TWinControl::DoUnDock(TWinControl* NewTarget, TControl* Client) {
  bool allow = true;
  if (OnUnDock) OnUnDock(this, Client, NewTarget, allow);
  return allow;
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
