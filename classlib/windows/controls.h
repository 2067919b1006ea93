#pragma once
// Controls: TControl (bounds, parent, visibility, colour, font, text, hints, cursor,
// alignment, mouse events, drag and drop (classlib/windows/dragdrop.h), painting requests, message
// dispatch), TWinControl (a window of its own, made on demand, with child controls, focus,
// keys and dropped files),
// TGraphicControl (windowless: its parent paints it and routes the mouse to it) and
// TCustomControl (a window with a canvas and Paint). Windows only; main thread only.
//
// Messages reach a control through WindowProc (replaceable, as when one component hooks
// another's messages), which calls the virtual WndProc; WndProc does the bookkeeping every
// message needs and calls Dispatch, a switch over the messages the class handles, whose
// default goes to DefaultHandler (the window class's own procedure). Descendants override
// Dispatch (or WndProc) and call inherited::Dispatch for what they do not handle.
#include <functional>
#include <memory>
#include <vector>

#include "classlib/core/alignment.h"
#include "classlib/core/colors.h"
#include "classlib/core/component.h"
#include "classlib/core/geometry.h"
#include "classlib/windows/graphics.h"
#include "classlib/core/messages.h"

class TControl;
class TWinControl;
class TCustomForm;
class TControlHost;

HX_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom);
HX_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle);
HX_ENUM(TShiftStateFlag, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble);
using TShiftState = TSet<TShiftStateFlag>;
HX_ENUM(TControlStyleFlag, csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed,
        csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
        csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents);
using TControlStyle = TSet<TControlStyleFlag>;
HX_ENUM(TControlStateFlag, csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing,
        csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking);
using TControlState = TSet<TControlStateFlag>;
HX_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin);
using TBorderStyle = TFormBorderStyle;  // controls use bsNone and bsSingle
// The sides of its parent a control keeps its distance to when the parent is resized: left
// and right both stretch it, neither keeps it centred (alike for top and bottom).
HX_ENUM(TAnchorKind, akLeft, akTop, akRight, akBottom);
using TAnchors = TSet<TAnchorKind>;
// Reading order and alignment: right-to-left modes mirror what a control lays out.
HX_ENUM(TBiDiMode, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly);

// Mouse cursors: the screen's cursor table (TScreen::Cursors) by number; streams as these
// names, other numbers (the application's own cursors) as numbers.
enum TCursor : int {
  crDefault = 0,
  crNone = -1,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crSizeNESW = -6,
  crSizeNS = -7,
  crSizeNWSE = -8,
  crSizeWE = -9,
  crUpArrow = -10,
  crHourGlass = -11,
  crDrag = -12,
  crNoDrop = -13,
  crHSplit = -14,
  crVSplit = -15,
  crMultiDrag = -16,
  crSQLWait = -17,
  crNo = -18,
  crAppStart = -19,
  crHelp = -20,
  crHandPoint = -21,
  crSizeAll = -22,
  crSize = -22,
};
const TIdentMap& HxIdentMap(TCursor);

// Drag and drop between the program's own controls (not the shell's: see AcceptFiles).
// A drag begins on its source (BeginDrag, or a left press with DragMode dmAutomatic) and
// starts once the pointer has moved the threshold; the control under the pointer is then
// asked through OnDragOver whether it accepts, and a release over one that does drops on it
// (OnDragDrop). The source hears how it ended (OnEndDrag).
// A control whose DragKind is dkDock is docked instead: the drag looks for a dock site (a
// TWinControl with DockSite) at the pointer or among the parents of the control there; a
// site accepts (OnDockOver may refuse) and a release there moves the control into it
// (the old site's OnUnDock may refuse first), then OnDockDrop. Released over none of the
// program's windows, the control floats in a tool window of its own; over a control of
// the program that is no dock site nothing happens. The control hears OnStartDock and
// OnEndDock (with the site it went to, or the floating window, or nullptr).
HX_ENUM(TDragMode, dmManual, dmAutomatic);
HX_ENUM(TDragKind, dkDrag, dkDock);
HX_ENUM(TDragState, dsDragEnter, dsDragLeave, dsDragMove);

// A source's own object for a drag, made by its OnStartDrag (which owns it, and frees it
// in OnEndDrag at the latest); the targets then see it as the source instead of the
// control. The drag keeps its two fields up to date.
class TDragObject : public TObject {
  HX_CLASS(TDragObject, TObject)
 public:
  TPoint DragPos;                  // the pointer, in screen coordinates
  TControl* DragTarget = nullptr;  // the control under it
};

// The least and greatest width and height of a control (0: no bound), kept by SetBounds.
// A minimum above the maximum (or a maximum below the minimum) is refused with
// EInvalidOperation; a change applies to the control at once.
class TSizeConstraints : public TPersistent {
  HX_CLASS(TSizeConstraints, TPersistent)
 public:
  explicit TSizeConstraints(TControl* Control) : FControl(Control) {}
  int GetMinWidth() const { return FMinWidth; }
  void SetMinWidth(int Value) { Change(FMinWidth, Value, Value, FMaxWidth); }
  int GetMaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int Value) { Change(FMaxWidth, Value, FMinWidth, Value); }
  int GetMinHeight() const { return FMinHeight; }
  void SetMinHeight(int Value) { Change(FMinHeight, Value, Value, FMaxHeight); }
  int GetMaxHeight() const { return FMaxHeight; }
  void SetMaxHeight(int Value) { Change(FMaxHeight, Value, FMinHeight, Value); }
  // Width and Height brought within the bounds.
  void Apply(int& Width, int& Height) const;
  void Assign(TPersistent* Source) override;

 private:
  void Change(int& Field, int Value, int Min, int Max);
  TControl* FControl;
  int FMinWidth = 0;
  int FMaxWidth = 0;
  int FMinHeight = 0;
  int FMaxHeight = 0;
};

// The object a dock drag carries: the control docked, and where it was taken (its
// client coordinates of the press). Made by the drag unless OnStartDock gives one.
class TDragDockObject : public TDragObject {
  HX_CLASS(TDragDockObject, TDragObject)
 public:
  TControl* Control = nullptr;
  TPoint GrabOffset;
};

// What a modal form returns (ModalResult) and which button set it.
using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
                       mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO, mrAll = mrNo + 1, mrNoToAll = mrAll + 1,
                       mrYesToAll = mrNoToAll + 1;

// Several listeners of one notification, each added and removed by its token, called in
// the order they were added. A handler may add or remove others: the ones there were are
// called, unless removed meanwhile (their listener may be gone).
template <class... A>
class TEventList {
 public:
  using THandler = std::function<void(A...)>;
  int Add(THandler Handler) {
    FHandlers.emplace_back(FNext, std::move(Handler));
    return FNext++;
  }
  void Remove(int Token) {
    std::erase_if(FHandlers, [Token](auto& h) { return h.first == Token; });
  }
  void operator()(A... Args) const {
    auto handlers = FHandlers;
    for (auto& [token, handler] : handlers) {
      bool listed = false;
      for (auto& h : FHandlers) listed = listed || h.first == token;
      if (listed && handler) handler(Args...);
    }
  }
  bool Empty() const { return FHandlers.empty(); }

 private:
  std::vector<std::pair<int, THandler>> FHandlers;
  int FNext = 1;
};
using TNotifyEventList = TEventList<TObject*>;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, wchar_t& Key)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
// The drag events. Source is the dragged control (or its drag object), Target the control
// that took the drop (nullptr when none did: dropped nowhere, refused or cancelled); X and
// Y are in the client coordinates of the control the event is about (OnEndDrag's: the
// target's, or the source's when there is none).
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
// The dock events: the docked control's start, a dock site's offer and drop (X and Y in the
// site's client coordinates), and the old site's consent to lose Client (NewTarget nullptr
// when it floats).
using TStartDockEvent = std::function<void(TObject* Sender, TDragDockObject*& DragObject)>;
using TDockOverEvent =
    std::function<void(TObject* Sender, TDragDockObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDockDropEvent = std::function<void(TObject* Sender, TDragDockObject* Source, int X, int Y)>;
using TUnDockEvent = std::function<void(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow)>;
// Full paths of the files dropped on a window (UTF-8), and where (client coordinates).
using TDropFilesEvent = std::function<void(TObject* Sender, const std::vector<String>& Files, TPoint Pos)>;

// The shift state of a mouse message's WParam, and of the keyboard now.
TShiftState MouseShiftState(WPARAM Keys);
TShiftState KeyboardShiftState();

// Whether Caption marks Key as its accelerator: '&' before the letter ("&&" is a plain '&'),
// compared without regard to case.
bool IsAccel(WPARAM Key, const String& Caption);

// What a control's right click opens: the popup menu of the standard controls implements
// it; PopupMenu properties hold a TComponent that may.
class TPopupMenuHook {
 public:
  virtual ~TPopupMenuHook() = default;
  // Opens at a screen point for Control; false when nothing opened.
  virtual bool PopupFor(TControl* Control, TPoint ScreenPos) = 0;
};

class TControl : public TComponent {
  HX_CLASS(TControl, TComponent)
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // ---- Bounds (relative to the parent's client area; of the screen for a form) ----
  int GetLeft() const { return FLeft; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  int GetTop() const { return FTop; }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  int GetWidth() const { return FWidth; }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  int GetHeight() const { return FHeight; }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect GetBoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
  // The area children and drawing use, from (0, 0).
  virtual TRect ClientRect();
  int GetClientWidth() { return ClientRect().Width(); }
  void SetClientWidth(int Value) { SetClientSize(Value, GetClientHeight()); }
  int GetClientHeight() { return ClientRect().Height(); }
  void SetClientHeight(int Value) { SetClientSize(GetClientWidth(), Value); }
  virtual void SetClientSize(int Width, int Height);
  // The screen position of the client area's top-left corner.
  virtual TPoint ClientOrigin();
  TPoint ClientToScreen(TPoint P) { TPoint o = ClientOrigin(); return {P.X + o.X, P.Y + o.Y}; }
  TPoint ScreenToClient(TPoint P) { TPoint o = ClientOrigin(); return {P.X - o.X, P.Y - o.Y}; }

  // ---- Place among controls ----
  TWinControl* GetParent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  TAlign GetAlign() const { return FAlign; }
  void SetAlign(TAlign Value);
  // The parent's sides kept (see TAnchorKind); [akLeft, akTop] moves with nothing.
  TAnchors GetAnchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value);
  TSizeConstraints* GetConstraints() const { return FConstraints.get(); }
  void SetConstraints(TSizeConstraints* Value) { FConstraints->Assign(Value); }
  bool GetAutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool Value);
  void BringToFront();
  void SendToBack();

  // ---- State shown ----
  bool GetVisible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool GetEnabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  bool GetParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TFont* GetFont() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  bool GetParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  // Stored rules of published Font and Color: not when they come from the parent.
  bool IsFontStored() const { return !FParentFont; }
  bool IsColorStored() const { return !FParentColor; }
  // The caption or text (one value; windowed controls keep it in their window).
  virtual String GetText();
  void SetText(const String& Value);
  String GetCaption() { return GetText(); }
  void SetCaption(const String& Value) { SetText(Value); }
  String GetHint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  bool GetShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool GetParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // The bidirectional mode; with ParentBiDiMode it follows the parent's. A change tells the
  // control (CM_BIDIMODECHANGED) and the children that follow it.
  TBiDiMode GetBiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  bool GetParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool Value);
  bool IsBiDiModeStored() const { return !FParentBiDiMode; }
  // Right-to-left with mirrored alignment (bdRightToLeft).
  bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
  // Right-to-left reading order (every mode but bdLeftToRight).
  bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
  // DrawText flags of the mode: DT_RTLREADING when reading right to left.
  UINT DrawTextBiDiModeFlagsReadingOnly() const { return UseRightToLeftReading() ? DT_RTLREADING : 0; }
  // Flags with the reading order added and, with mirrored alignment, left and right swapped.
  UINT DrawTextBiDiModeFlags(UINT Flags) const;
  // A component that opens on a right click (see TPopupMenuHook); the parent's when none.
  TComponent* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TComponent* Value);
  TControlStyle GetControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState GetControlState() const { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }
  bool GetMouseCapture();
  void SetMouseCapture(bool Value);

  // ---- Painting ----
  virtual void Invalidate();
  // Paints now what is invalid (of the window, or of the parent for a windowless control).
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }

  // ---- Drag and drop (see TDragMode) ----
  TDragMode GetDragMode() const { return FDragMode; }
  void SetDragMode(TDragMode Value) { FDragMode = Value; }
  TDragKind GetDragKind() const { return FDragKind; }
  void SetDragKind(TDragKind Value) { FDragKind = Value; }
  // The cursor over a target that accepts (crNoDrop shows elsewhere).
  TCursor GetDragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor Value) { FDragCursor = Value; }
  // Begins a drag of this control: at once, or once the pointer has moved Threshold pixels
  // (5 when negative) from where it is now; a release before that ends it unseen, as a
  // plain click. The control holds the mouse capture meanwhile. Nothing happens while
  // another drag runs. With DragKind dkDock the drag docks the control.
  void BeginDrag(bool Immediate, int Threshold = -1);
  // Ends this control's drag: dropped where the pointer is (when the target there accepts),
  // or cancelled.
  void EndDrag(bool Drop);
  // A drag of this control has begun (also before it passed its threshold).
  bool Dragging() const;

  // What the control asks for the focus, hints, cursor and drag (classlib/windows/controlhost.h):
  // the form it sits on, else the application (nullptr when there is none).
  TControlHost* Host();

  // Sends a message straight to WindowProc; returns its result.
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // The message entry; another component may wrap it (keeping the old value to call on).
  TWndMethod WindowProc;

  // Fires OnClick (buttons first do their own work).
  virtual void Click();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;
  TContextPopupEvent OnContextPopup;
  // A drag of this control started (past its threshold).
  TStartDragEvent OnStartDrag;
  // A drag entered, moved over or left this control: Accept (true to begin with) says
  // whether a drop here is welcome. A control without the handler accepts nothing.
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;
  // A dock drag of this control started, and ended (Target: see TDragKind's comment).
  TStartDockEvent OnStartDock;
  TEndDragEvent OnEndDock;

  // Streaming: controls are children of their parent.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  friend class TWinControl;
  friend class TApplication;
  friend struct TDragSteps;
  friend class TSizeConstraints;

  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void DblClick();
  virtual void MouseEnter();
  virtual void MouseLeave();
  // Whether the control does anything when the mouse leaves it: its handlers, its hint, or
  // a look of its own. Only then is the window's leaving asked of the system (Wine polls
  // the pointer several times a second while it rests on a window watched for it).
  virtual bool WantsMouseLeave() const;
  // A right click (or the menu key): OnContextPopup, then the popup menu.
  virtual void DoContextPopup(TPoint MousePos, bool& Handled);
  // The drag events, for descendants that do more.
  virtual void DoStartDrag(TDragObject*& DragObject);
  virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
  virtual void DragDrop(TObject* Source, int X, int Y);
  virtual void DoEndDrag(TObject* Target, int X, int Y);
  virtual void DoStartDock(TDragDockObject*& DragObject);
  virtual void DoEndDock(TObject* Target, int X, int Y);
  virtual void Resize();
  // Bounds came from outside (the window moved): store and realign without moving back.
  void UpdateBoundsFromWindow(int ALeft, int ATop, int AWidth, int AHeight);
  virtual void RequestAlign();
  // Sizes the control to its content when AutoSize is on (a label to its text, a form or
  // panel to its visible children); a size set meanwhile is replaced by that one.
  virtual void AdjustSize();
  virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
  virtual bool IsSizeStored() const { return true; }
  virtual bool IsPositionStored() const { return true; }
  // The text as held when there is no window.
  const String& TextValue() const { return FText; }
  virtual void SetTextValue(const String& Value);
  // The control's own colour for the brush of its window.
  virtual void ColorChanged() {}
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // This control when its hint is shown (ShowHint, which follows the parent's with
  // ParentShowHint), else nullptr.
  TControl* HintControl();

 private:
  void FontChanged();
  void HandleMouse(TMessage& Message);
  void SetParentFontValue();
  void SetParentColorValue();
  // Anchors: where the control stood, and the parent's client size then, when its bounds
  // were last set from outside; the parent's realignment places it from them.
  void AnchorPlace(int ParentWidth, int ParentHeight);

  TWinControl* FParent = nullptr;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  std::unique_ptr<TSizeConstraints> FConstraints;
  bool FAnchorBaseKnown = false;
  bool FAnchoring = false;  // the parent is placing it by its anchors
  TRect FAnchorBase;
  TPoint FAnchorParentSize;
  bool FAutoSize = false;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  TFont* FFont;
  bool FParentFont = true;
  bool FApplyingParentFont = false;
  String FText;
  String FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TCursor FCursor = crDefault;
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  TComponent* FPopupMenu = nullptr;
  TDragMode FDragMode = dmManual;
  TDragKind FDragKind = dkDrag;
  TCursor FDragCursor = crDrag;
  TControlStyle FControlStyle;
  TControlState FControlState;
};

// The canvas of a control: its window's device context, or its parent's clipped to its
// rectangle for a windowless control. Made when first drawn on and let go when painting
// ends or the application is idle (FreeDeviceContexts).
class TControlCanvas : public TCanvas {
  HX_CLASS(TControlCanvas, TCanvas)
 public:
  explicit TControlCanvas(TControl* Control) : FControl(Control) {}
  ~TControlCanvas() override;
  TControl* Control() const { return FControl; }
  // Lets the context go (the next drawing gets a new one).
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TControl* FControl;
  HWND FWindow = nullptr;  // whose context this is
};

// Lets go of every control canvas's device context that is not locked.
void FreeDeviceContexts();

// The form a control sits on (its topmost parent when that is a form).
TCustomForm* GetParentForm(TControl* Control);
// The control of a window of ours; nullptr for other windows.
TWinControl* FindControl(HWND Window);
// The control of ours under a screen point, a windowless one where it lies over its
// parent's window; nullptr over other programs' windows and the desktop. Disabled
// windowless controls count with AllowDisabled.
TControl* FindDragTarget(TPoint ScreenPos, bool AllowDisabled);

class TWinControl : public TControl {
  HX_CLASS(TWinControl, TControl)
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // The window, made on demand with its children's windows.
  HWND GetHandle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // Destroys and makes the window again; text, bounds, children and what is registered on
  // it (dropped files, its region) come back.
  void RecreateWnd();
  // Told each time the window is made, again after RecreateWnd: components that work on
  // the window (hooking it) take the new one here.
  TNotifyEventList OnWindowCreated;

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  // The visible child at a client point (topmost first); windowed children only when asked.
  TControl* ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls = false);
  // True when this control and every parent are visible (and the form is shown).
  bool Showing() const { return FShowing; }

  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();
  void Realign();
  // Sends the message to every child control.
  void Broadcast(TMessage& Message);
  void NotifyControls(UINT Msg);
  // Mirrors the children's places across the client area (left becomes right).
  void FlipChildren();

  bool GetTabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  int GetTabOrder() const;
  void SetTabOrder(int Value);
  bool CanFocus();
  bool Focused();
  virtual void SetFocus();
  // The next control in tab order after CurControl that can take the focus.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  TBrush* Brush() const { return FBrush; }
  String GetText() override;

  // Controls dragged with DragKind dkDock may be docked here (see TDragKind).
  bool GetDockSite() const { return FDockSite; }
  void SetDockSite(bool Value) { FDockSite = Value; }
  TDockOverEvent OnDockOver;
  TDockDropEvent OnDockDrop;
  TUnDockEvent OnUnDock;

  // Files dropped from the shell: OnDropFiles fires with their full paths.
  bool GetAcceptFiles() const { return FAcceptFiles; }
  void SetAcceptFiles(bool Value);

  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect ClientRect() override;
  TPoint ClientOrigin() override;

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TDropFilesEvent OnDropFiles;

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;

 protected:
  friend class TControl;
  friend class TCustomForm;
  friend class TApplication;
  friend LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
  friend struct TDragSteps;

  struct TCreateParams {
    String Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    WNDCLASSEXW WindowClass{};
    String WinClassName;
    String SysClassName;  // a system class to build on ("BUTTON"), or empty
  };
  virtual void CreateParams(TCreateParams& Params);
  // Builds the window class on a system class (BUTTON, EDIT ...): its procedure becomes
  // DefaultHandler's.
  void CreateSubClass(TCreateParams& Params, const String& SysClassName);
  virtual void CreateHandle();
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void DestroyHandle();
  virtual void DestroyWnd();
  // The window is made: children get theirs, registrations are applied again.
  virtual void CreateChildHandles();

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  // Painting: the window's own background and content (PaintWindow), then the windowless
  // children over it, in z-order.
  virtual void PaintWindow(HDC DC);
  void PaintHandler(TMessage& Message);
  void PaintControls(HDC DC, TControl* First);
  // Lays out aligned children in Rect (the client area to start with).
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  // Keys: OnKeyDown (the form's first when KeyPreview) and the rest.
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  virtual void KeyPress(wchar_t& Key);
  bool DoKeyDown(TMessage& Message);
  bool DoKeyUp(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  virtual void DoEnter();
  virtual void DoExit();
  virtual void DropFiles(const std::vector<String>& Files, TPoint Pos);
  // The dock site's part: accepts unless OnDockOver refuses; the drop; the consent to let
  // a docked control go.
  virtual void DockOver(TDragDockObject* Source, int X, int Y, TDragState State, bool& Accept);
  virtual void DockDrop(TDragDockObject* Source, int X, int Y);
  virtual bool DoUnDock(TWinControl* NewTarget, TControl* Client);
  void ColorChanged() override;
  void SetTextValue(const String& Value) override;
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void RequestAlign() override;
  // Showing follows Visible and the parent; a change shows or hides the window.
  virtual void UpdateShowing();
  // A control without a parent shows by Visible alone when its window is a top-level one
  // of its own (a drop-down); other controls need a showing parent.
  virtual bool ShowsWithoutParent() const { return false; }
  virtual void ShowingChanged();
  // Applies FShowing to the window (ShowWindow); forms place themselves first.
  virtual void SetWindowVisibility();
  WNDPROC DefWndProc() const { return FDefWndProc; }

 private:
  friend class TGraphicControl;
  void FixupTabList();
  void ReflectNotification(TMessage& Message);
  void HandleDropFiles(TMessage& Message);
  void UpdateBoundsFromHandle();
  bool IsControlMouseMsg(TMessage& Message);
  void ApplyRegistrations();

  HWND FHandle = nullptr;
  bool FMouseLeaveTracked = false;  // the system tells this window's leaving
  WNDPROC FDefWndProc = nullptr;
  std::vector<TControl*> FControls;   // z-order, bottom first
  std::vector<TWinControl*> FTabList;
  TBrush* FBrush;
  bool FShowing = false;
  bool FTabStop = false;
  int FTabOrder = -1;  // as read from a form, applied once loaded
  int FAlignLevel = 0;
  bool FAcceptFiles = false;
  bool FDockSite = false;
  HRGN FSavedRegion = nullptr;  // a window region kept across RecreateWnd
  TControl* FCaptureControl = nullptr;  // a windowless child that has the mouse captured
};

class TGraphicControl : public TControl {
  HX_CLASS(TGraphicControl, TControl)
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return FCanvas.get(); }

 protected:
  void Dispatch(TMessage& Message) override;
  virtual void Paint() {}

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

class TCustomControl : public TWinControl {
  HX_CLASS(TCustomControl, TWinControl)
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return FCanvas.get(); }

 protected:
  void PaintWindow(HDC DC) override;
  virtual void Paint() {}

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};
