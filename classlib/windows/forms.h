#pragma once
// Forms: top-level windows read from their form resource. A form class is declared in C++
// with its component fields and event handlers published (p.Field, p.Handler), so the
// reader fills the fields and binds the events by name:
//
//   class TForm1 : public TForm {
//     HX_CLASS(TForm1, TForm)
//    public:
//     using TForm::TForm;
//     TButton* Button1 = nullptr;
//     void Button1Click(TObject* Sender);
//   };
//   Application->CreateForm(Form1);       // or NewForm<TForm1>(Owner)
//
// A form is made in two steps, as its resource can only be read onto a complete object:
// the constructor, then AfterConstruction, which reads the resources of the class and its
// ancestors below TForm ("TFORM1"; EResNotFound "Resource TFORM1 not found" when the class
// has none) and fires OnCreate. Application->CreateForm and NewForm do both. A form built
// in code passes CreateNew to its constructor and reads no resource. A form fires OnDestroy
// when its owner frees it, or through Release or a close with caFree. Windows only.
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "classlib/windows/controlhost.h"
#include "classlib/windows/controls.h"
#include "classlib/windows/pictures.h"

HX_ENUM(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop);
HX_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp);
using TBorderIcons = TSet<TBorderIcon>;
HX_ENUM(TWindowState, wsNormal, wsMinimized, wsMaximized);
HX_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
        poMainFormCenter, poOwnerFormCenter);
HX_ENUM(TCloseAction, caNone, caHide, caFree, caMinimize);
HX_ENUM(TFormStateFlag, fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated);
using TFormState = TSet<TFormStateFlag>;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

using TCloseQueryEventList = TEventList<TObject*, bool&>;

// Passed to a form's constructor: the form is built in code, without a form resource.
struct TCreateNewForm {};
inline constexpr TCreateNewForm CreateNew{};

// A form is the host of the controls on it (TControlHost): the focus, the active control and
// the keys are its own; the rest it passes on to the application.
class TCustomForm : public TWinControl, public TControlHost {
  HX_CLASS(TCustomForm, TWinControl)
 public:
  explicit TCustomForm(TComponent* AOwner);
  TCustomForm(TComponent* AOwner, TCreateNewForm);
  ~TCustomForm() override;

  // Reads the form resources and fires OnCreate; then shows the form if it was read visible.
  virtual void AfterConstruction();
  // Fires OnDestroy (the owner calls it before freeing the form).
  void BeforeDestruction() override;

  TFormStyle GetFormStyle() const { return FFormStyle; }
  // Stay-on-top is switched on the window itself (the window and what is registered on it
  // stay). An MDI form (fsMDIForm) holds the system's MDI client window, in the client area
  // its aligned children leave; an MDI child (fsMDIChild) is a window inside the MDI client
  // of the application's main form when that is an MDI form, else of the first MDI form of
  // the screen: making its window without one raises EInvalidOperation. A change between
  // MDI and other styles makes the window again.
  void SetFormStyle(TFormStyle Value);
  // An MDI form's MDI client window (made with the form's window); nullptr for other forms.
  HWND ClientHandle() const { return FClientHandle; }
  TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons GetBorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TPosition GetPosition() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TWindowState GetWindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value);
  // The form whose window owns this one's (none: the application's window owns it). An
  // owned window stays above its owner, a stay-on-top one clicked included, and goes with
  // it when the application is minimised.
  TCustomForm* GetPopupParent() const { return FPopupParent; }
  void SetPopupParent(TCustomForm* Value);
  TWinControl* GetActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Value);
  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool GetKeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }
  TIcon* GetIcon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value) { FIcon->Assign(Value); }
  int GetPixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value > 0 ? Value : FPixelsPerInch; }
  TFormState FormState() const { return FFormState; }
  // The form is the active window.
  bool Active() const { return FActive; }
  TCanvas* Canvas() const { return FCanvas.get(); }
  // The bounds the form has when neither minimised nor maximised. Setting them on a
  // minimised or maximised window changes only where it goes back to.
  TRect NormalBounds();
  void SetNormalBounds(const TRect& Bounds);

  void Show();
  // Shows the form and runs the message loop until ModalResult is set (or the form is
  // closed); returns ModalResult. EInvalidOperation for a visible form. While a stay-on-top
  // form is shown the modal form stays on top too.
  TModalResult ShowModal();
  // Asks OnCloseQuery, then OnClose decides (caHide unless it says otherwise). Closing the
  // main form ends the application's loop.
  void Close();
  bool CloseQuery();
  // Frees the form once the messages it is handling are done.
  void Release();
  void SetFocus() override;
  void BringToFront();
  // Gives the focus to a control of this form.
  void FocusControl(TWinControl* Control) override;
  // A key pressed on the form (before it is translated) that a pop-up menu of the form
  // (one it owns) has as an item's shortcut clicks that item; true when one did.
  bool IsShortCut(WORD Key, TShiftState Shift) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnDestroy;
  // Components that keep state with the form listen here: told before OnShow runs, asked
  // after OnCloseQuery (with its answer, which they may change) and told before OnDestroy.
  TNotifyEventList ShowListeners;
  TCloseQueryEventList CloseQueryListeners;
  TNotifyEventList DestroyListeners;

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetVisible(bool Value) override;
  TRect ClientRect() override;
  void SetClientSize(int Width, int Height) override;

 protected:
  friend class TWinControl;
  friend class TApplication;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  // The frame's and an MDI child's default procedures (DefFrameProc, DefMDIChildProc).
  void DefaultHandler(TMessage& Message) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void PaintWindow(HDC DC) override;
  virtual void Paint();
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  void UpdateShowing() override;
  void SetWindowVisibility() override;
  bool IsSizeStored() const override { return false; }
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void Init();
  void ApplyPosition();
  void ApplyStyles();
  void SetActive(bool Value);
  // The host's part that is the form's own, and what it passes on to the application.
  bool PreviewsKeys() override { return FKeyPreview; }
  void ControlFocused(TWinControl* Control) override;
  void ControlRemoved(TControl* Control) override;
  void ControlDestroyed(TWinControl* Control) override;
  void CancelHint() override;
  void MouseControlChanged(TControl* Control) override;
  TCursor ScreenCursor() override;
  HCURSOR CursorHandle(TCursor Cursor) override;
  bool DragMouseMessage(TControl* Receiver, TMessage& Message) override;
  bool IsDragSource(const TControl* Control) override;
  bool DragEscape() override;
  void DragCaptureChanged(HWND Window, HWND NewCapture) override;
  void DragControlDestroyed(TControl* Control) override;
  void CloseModal();
  void IconChanged();
  TPoint FrameSize();  // the window's size less its client size
  // The MDI form an MDI child goes into; nullptr when there is none.
  static TCustomForm* MDIParent();
  HWND OwnerWindow();
  void WatchOwnedWindows();
  void RaiseOwnedWindows();
  void ReleaseOwnedWindows();

  TFormStyle FFormStyle = fsNormal;
  HWND FClientHandle = nullptr;  // an MDI form's MDI client window
  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TPosition FPosition = poDesigned;
  TWindowState FWindowState = wsNormal;
  TCustomForm* FPopupParent = nullptr;
  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  TModalResult FModalResult = mrNone;
  bool FKeyPreview = false;
  std::unique_ptr<TIcon> FIcon;
  int FPixelsPerInch;
  TFormState FFormState;
  bool FActive = false;
  bool FCreateNew = false;
  bool FPositioned = false;
  bool FRaisingOwned = false;
  int FRaiseChecks = 0;
  static constexpr UINT_PTR kRaiseOwnedTimer = 0x4857;
  bool FDestroyFired = false;
  int FLoadedClientWidth = -1;   // a client size read from the form, applied once loaded
  int FLoadedClientHeight = -1;
  std::unique_ptr<TControlCanvas> FCanvas;
};

// Whether a stay-on-top form of the application other than Except is on screen: windows
// the program opens then come up above it (modal forms, message boxes), or it would hide
// them.
bool StayOnTopFormShown(const TCustomForm* Except = nullptr);

class TForm : public TCustomForm {
  HX_CLASS(TForm, TCustomForm)
 public:
  using TCustomForm::TCustomForm;
};

// The top-level windows of this thread.
std::vector<HWND> ThreadWindows();

// The other visible, enabled top-level windows of this thread, disabled while a modal window
// runs; EnableTaskWindows enables them again (those that still exist).
std::vector<HWND> DisableTaskWindows(HWND Except);
void EnableTaskWindows(const std::vector<HWND>& Windows);

// A new form of class T owned by Owner: constructed, then its resource read (see above).
template <class T>
T* NewForm(TComponent* Owner) {
  T* form = new T(Owner);
  try {
    form->AfterConstruction();
  } catch (...) {
    delete form;
    throw;
  }
  return form;
}
