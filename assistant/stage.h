#pragma once
// TAssistantStage: the borderless window the character is drawn in. Its shape is the
// engine's current frame region (joined with the hint bulb's while the bulb is shown); it
// paints the engine's frame bitmap, never takes the activation or the focus from the
// user's window, can be dragged, and is a top-level pop-up window or the child of a
// docking window.
//
// Threads: UpdateRegion runs on the engine thread too (after each frame), and ShowStage
// may be called from a worker; from there the window is only shaped, shown or hidden
// asynchronously, and the form's own bookkeeping is posted to the main thread. Windows are
// made on the main thread only. Free the director (whose frames reach the stage) first.
// Windows only.
#include <atomic>
#include <functional>
#include <memory>

#include "assistant/director.h"
#include "classlib/windows/forms.h"

class TAssistantStage;

// The small bulb shown at the stage's top-right corner: four glyphs of the bitmap resource
// "BULBGLYPHS256" (normal, disabled, pressed, hot), shaped like the first one.
class THintBulb : public TCustomControl {
  HX_CLASS(THintBulb, TCustomControl)
 public:
  enum TGlyphState { gsNormal, gsDisabled, gsPressed, gsHot };

  THintBulb(TAssistantStage* Stage);
  ~THintBulb() override;

  bool GetShown() const { return FShown; }
  void SetShown(bool Value);
  int GlyphState() const { return FGlyphState; }
  bool Pressed() const { return FPressed; }
  // The bulb's shape in its own coordinates (owned by the bulb).
  HRGN Region() const { return FRegion; }

 protected:
  void CreateWnd() override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  bool WantsMouseLeave() const override { return true; }  // its glyph lights while the mouse is on it

 private:
  void SetGlyphState(int Value);

  TAssistantStage* FStage;
  std::unique_ptr<TBitmap> FGlyphs;
  HRGN FRegion = nullptr;
  int FGlyphState = gsNormal;
  bool FPressed = false;
  std::atomic<bool> FShown{false};
};

class TAssistantStage : public TCustomForm {
  HX_CLASS(TAssistantStage, TCustomForm)
 public:
  // Invisible and borderless, with no owner; Director is not owned.
  explicit TAssistantStage(TAssistantDirector* Director);
  ~TAssistantStage() override;

  // Shows or hides the window without activating it.
  void ShowStage(bool Value);
  bool IsStageShowing() const { return FStageShowing; }
  // Places the showing window on top (of the topmost band when top-level).
  void UpdateZOrder();
  // Gives the window the current frame's shape (joined with the shown bulb's).
  void UpdateRegion();

  // The docking window the stage is a child of; nullptr: a top-level pop-up.
  HWND GetParentWindow() const { return FParentWindow; }
  void SetParentWindow(HWND Value);
  bool GetAlwaysOnTop() const { return FAlwaysOnTop; }
  // Takes effect at the application's next activation change.
  void SetAlwaysOnTop(bool Value) { FAlwaysOnTop = Value; }
  bool GetDraggable() const { return FDraggable; }
  void SetDraggable(bool Value) { FDraggable = Value; }
  bool Dragging() const { return FDragging; }
  THintBulb* Bulb() const { return FBulb; }
  // Mouse input during a move (the hit test reads it; any thread may set it).
  bool GetMouseInput() const { return FMouseInput; }
  void SetMouseInput(bool Value) { FMouseInput = Value; }
  // Runs OnPosted (Code) on the main thread later: a worker's work on the main thread's
  // objects. Nothing happens without a window.
  void PostToMainThread(WPARAM Code);
  std::function<void(WPARAM Code)> OnPosted;
  TAssistantDirector* Director() const { return FDirector; }

  TNotifyEvent OnDragStart;
  TNotifyEvent OnDragging;
  TNotifyEvent OnDragStop;

  // The system's move loop that a drag runs (a move from the caption); tests replace it.
  std::function<void(TAssistantStage* Sender)> MoveLoop;
  // Brings the application to the front (a click on the stage while another one is active).
  std::function<void()> BringApplicationToFront;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void SetWindowVisibility() override;

 private:
  void ApplicationActivated(bool Active);
  void Drag();
  void Activated(HWND Previous);
  bool TopLevel() const { return FParentWindow == nullptr; }

  TAssistantDirector* FDirector;
  THintBulb* FBulb = nullptr;  // owned (a component of the stage)
  std::atomic<HWND> FWindow{nullptr};  // the window as workers may use it
  std::atomic<bool> FStageShowing{false};
  bool FApplicationActive = false;
  std::atomic<bool> FAlwaysOnTop{true};
  std::atomic<bool> FMouseInput{true};
  bool FDraggable = true;
  bool FDragging = false;
  HWND FParentWindow = nullptr;
  int FAppHook = 0;
};
