#pragma once
// The application object and the screen. There is one of each: `Application` and `Screen`
// make them on first use (on the main thread) and DestroyApplication frees them, with the
// forms the application owns, before the program ends:
//
//   Application->Initialize();
//   Application->SetTitle("Хоравокс");
//   Application->CreateForm(Form1);   // the first form is the main form
//   Application->Run();               // until the main form closes
//   DestroyApplication();
//
// The application keeps a hidden top-level window of zero size, whose text is the title
// and which owns the forms (its task-bar button is the application's). The message loop
// hands every exception of a window procedure, timer or thread callback to
// HandleException, which shows the message in one dialog (EAbort is dropped). A program
// (or a test) may also leave Run alone and pump messages itself with ProcessMessages.
// Windows only.
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "classlib/core/clock.h"
#include "classlib/windows/controlhost.h"
#include "classlib/windows/forms.h"
#include "classlib/core/seam.h"

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
// Help asked for by context number; Handled says it was given.
using THelpEvent = std::function<void(int HelpContext, bool& Handled)>;
// A hook of the application window's messages: true when it handled the message.
using TMainWindowHook = std::function<bool(TMessage& Message)>;

// The text before a '|' of a hint (the tool tip) and after it (the long text, for a
// status line); a hint without '|' is both.
String GetShortHint(const String& Hint);
String GetLongHint(const String& Hint);

// The small window that shows a control's hint.
class THintWindow : public TCustomControl {
  HX_CLASS(THintWindow, TCustomControl)
 public:
  explicit THintWindow(TComponent* AOwner);
  // Shows Text at a screen point without taking the focus.
  void ActivateHint(TPoint ScreenPos, const String& Text);
  void ReleaseHint();
  bool IsShown() const { return FShown; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;

 private:
  bool FShown = false;
};

// The application is the host (TControlHost) of the controls on no form, and the forms pass
// on to it what is not their own.
class TApplication : public TComponent, public TControlHost {
  HX_CLASS(TApplication, TComponent)
 public:
  // Use Application (below): there is one application object.
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  void Initialize() {}
  HWND Handle() const { return FHandle; }
  String GetTitle() const { return FTitle; }
  void SetTitle(const String& Value);
  // The executable's full path.
  String ExeName() const;
  TIcon* GetIcon() const { return FIcon.get(); }
  void SetIcon(TIcon* Value) { FIcon->Assign(Value); }
  TCustomForm* MainForm() const { return FMainForm; }
  bool GetShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool Value) { FShowMainForm = Value; }
  bool Terminated() const { return FTerminate; }
  // The application has the foreground.
  bool Active() const { return FActive; }

  // Creates a form (or any component) owned by the application, in the order of the calls;
  // the first form becomes the main form. Reference points at it before OnCreate runs.
  template <class T>
  void CreateForm(T*& Reference);
  // Shows the main form and runs the message loop until Terminate (closing the main form).
  void Run();
  // Ends the loop (posts the quit message).
  void Terminate();
  // Ends a second start of the program that found the first one running (the
  // single-instance guard): DuplicateInstance then reads true, and the start-up and the
  // main window create, read and write nothing more.
  void TerminateDuplicate() {
    FDuplicateInstance = true;
    Terminate();
  }
  bool DuplicateInstance() const { return FDuplicateInstance; }
  // Handles every message waiting, then returns.
  void ProcessMessages();
  // Handles one message, or waits for one when none is waiting (running idle work first).
  void HandleMessage();

  // Minimises the application: its window, and the windows it owns (the forms, the
  // message boxes over them) are hidden with it. Restore shows these again (those that are
  // still meant to be seen).
  void Minimize();
  void Restore();
  void BringToFront();
  // Puts the application's shown top-most windows (its stay-on-top forms, also one whose
  // window lost its top-most place, and its other top-most windows) back above every other
  // window, keeping their order among themselves.
  void RestoreTopMosts();

  // The exception being handled (call inside a catch block), or a given one: OnException
  // when assigned, otherwise a dialog with the message. EAbort is dropped.
  void HandleException(TObject* Sender);
  void HandleException(std::exception_ptr E, TObject* Sender = nullptr);
  void ShowException(const std::exception& E);
  // MessageBoxW over the active window (and on top while a stay-on-top form is shown);
  // the title when Caption is empty.
  int MessageBox(const String& Text, const String& Caption = "", UINT Flags = MB_OK);

  // Asks for help on the context number: OnHelp gives it (there is no help system of its
  // own); false when nobody did.
  bool RequestHelpContext(int HelpContext);

  // Hooks that see the application window's messages before it does, in the order added.
  int HookMainWindow(TMainWindowHook Hook);
  void UnhookMainWindow(int Token);

  // Hints: the long hint of the control under the mouse (OnHint tells of a change), and
  // its short hint in a window after HintPause ms, hidden after HintHidePause ms.
  String GetHint() const { return FHint; }
  void SetHint(const String& Value);
  bool GetShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  int GetHintPause() const { return FHintPause; }
  void SetHintPause(int Value) { FHintPause = Value; }
  int GetHintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int Value) { FHintHidePause = Value; }
  TColor GetHintColor() const { return FHintColor; }
  void SetHintColor(TColor Value) { FHintColor = Value; }
  void CancelHint() override;
  THintWindow* HintWindow() const { return FHintWindow; }

  TNotifyEvent OnHint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TExceptionEvent OnException;
  TMessageEvent OnMessage;
  TIdleEvent OnIdle;
  THelpEvent OnHelp;
  // Several components listen to these (the tray icon, the main window ...).
  TNotifyEventList OnMinimize;
  TNotifyEventList OnRestore;

  // From the controls: the control under the mouse changed.
  void MouseControlChanged(TControl* Control) override;

 private:
  // The host's part that is the application's: the screen's and the drag's.
  void ControlDestroyed(TWinControl* Control) override;
  TCursor ScreenCursor() override;
  HCURSOR CursorHandle(TCursor Cursor) override;
  bool DragMouseMessage(TControl* Receiver, TMessage& Message) override;
  bool IsDragSource(const TControl* Control) override;
  bool DragEscape() override;
  void DragCaptureChanged(HWND Window, HWND NewCapture) override;
  void DragControlDestroyed(TControl* Control) override;

  friend class TCustomForm;
  bool ProcessMessage(MSG& Msg);
  bool IsKeyMsg(MSG& Msg);
  void Idle();
  void WndProc(TMessage& Message);
  static LRESULT CALLBACK AppWndProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
  void FormCreated(TCustomForm* Form);
  void FormDestroyed(TCustomForm* Form);
  void ShowHintNow();
  void StopHintTimers();
  void IconChanged();

  HWND FHandle = nullptr;
  String FTitle;
  std::unique_ptr<TIcon> FIcon;
  TCustomForm* FMainForm = nullptr;
  bool FShowMainForm = true;
  std::atomic<bool> FTerminate{false};  // read by worker threads too
  bool FDuplicateInstance = false;
  bool FActive = false;
  std::vector<std::pair<int, TMainWindowHook>> FHooks;
  int FNextHook = 1;
  std::function<void(std::exception_ptr)> FPreviousHandler;
  int FFindGlobalToken = 0;
  std::vector<HWND> FMinimizedWindows;  // hidden by Minimize
  // Hints
  String FHint;
  bool FShowHint = true;
  int FHintPause = 500;
  int FHintHidePause = 2500;
  TColor FHintColor = clInfoBk;
  TControl* FHintControl = nullptr;
  THintWindow* FHintWindow = nullptr;  // owned (a component of the application)
  TClockService* FHintClock = nullptr;
  TTimerId FHintTimer = 0;
  TTimerId FHintHideTimer = 0;
};

// The screen's logical pixels per inch, which Screen->PixelsPerInch() reports. Wine's is
// fixed per prefix: tests install another through TSeamScope<TScreenDpi>.
class TScreenDpi {
 public:
  virtual ~TScreenDpi() = default;
  virtual int PixelsPerInch();
  static TScreenDpi& System();
};

class TScreen : public TComponent {
  HX_CLASS(TScreen, TComponent)
 public:
  // Use Screen (below).
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  int Width() const;
  int Height() const;
  int PixelsPerInch() const;
  // The primary monitor without the task bar, and all monitors together.
  TRect WorkAreaRect() const;
  int WorkAreaLeft() const { return WorkAreaRect().Left; }
  int WorkAreaTop() const { return WorkAreaRect().Top; }
  int WorkAreaWidth() const { return WorkAreaRect().Width(); }
  int WorkAreaHeight() const { return WorkAreaRect().Height(); }
  TRect DesktopRect() const;
  int DesktopLeft() const { return DesktopRect().Left; }
  int DesktopTop() const { return DesktopRect().Top; }
  int DesktopWidth() const { return DesktopRect().Width(); }
  int DesktopHeight() const { return DesktopRect().Height(); }

  int FormCount() const { return static_cast<int>(FForms.size()); }
  TCustomForm* Forms(int Index) const;
  TCustomForm* ActiveForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }

  // A cursor for every control at once (crDefault: each control's own).
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // Shows the cursor due where the pointer is now: the screen's, or the one the window
  // under the pointer asks for (after something else showed its own, a drag).
  void RefreshCursor();
  // The cursor of a number: the system's for the cr* numbers (crDrag, which the system
  // lacks, drawn by the library), else one set here (the screen destroys those it was
  // given).
  HCURSOR Cursors(int Index) const;
  void SetCursors(int Index, HCURSOR Value);

  TNotifyEvent OnActiveFormChange;
  TNotifyEvent OnActiveControlChange;

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void SetActiveForm(TCustomForm* Form);
  void SetActiveControl(TWinControl* Control);
  friend class TApplication;
  void ControlDestroyed(TWinControl* Control) {
    if (FActiveControl == Control) FActiveControl = nullptr;
  }

  std::vector<TCustomForm*> FForms;
  TCustomForm* FActiveForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  TCursor FCursor = crDefault;
  std::map<int, HCURSOR> FCursors;
};

// The one application and screen, made on first use; Existing* give nullptr before that.
TApplication* GetApplication();
TApplication* ExistingApplication();
TScreen* GetScreen();
TScreen* ExistingScreen();
// Frees the application (its forms first) and the screen.
void DestroyApplication();

struct TApplicationRef {
  TApplication* operator->() const { return GetApplication(); }
  operator TApplication*() const { return GetApplication(); }
};
struct TScreenRef {
  TScreen* operator->() const { return GetScreen(); }
  operator TScreen*() const { return GetScreen(); }
};
inline constexpr TApplicationRef Application{};
inline constexpr TScreenRef Screen{};

template <class T>
void TApplication::CreateForm(T*& Reference) {
  T* instance = new T(this);
  Reference = instance;
  if constexpr (std::is_base_of_v<TCustomForm, T>) {
    try {
      instance->AfterConstruction();
    } catch (...) {
      Reference = nullptr;
      delete instance;
      throw;
    }
    if (!FMainForm) {
      instance->HandleNeeded();
      FMainForm = instance;
    }
  }
}
