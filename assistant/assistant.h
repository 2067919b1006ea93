#pragma once
// TAssistant: the component an application puts on a form to get an animated character on
// the desktop. It owns the director thread (which owns the actor and the engine), the stage
// window and the speech balloon, publishes the character's settings and events, and shows,
// hides, animates and moves the character. Moves run step by step on a short-lived
// TStageMoverThread, or on the caller's thread with BlockingMove.
//
// Threads: the main thread calls every operation. A mover thread runs MoveStart, MoveStep,
// MoveStop and the events OnMoveStart, OnMoving and OnMoveStop; its work on the stage's
// bulb and the balloon is posted to the main thread. OnPlayStart and OnPlayStop run on the
// engine thread, OnIdle on the director thread. Every wait of the main thread handles
// messages (keyboard and mouse input dropped). A program that uses it carries the stage's
// and the balloon's resources (assistant/bulbglyphs.rc, assistant/balloonglyphs.rc and the
// form resources/AssistantBalloon.form: horavox_assistant_resources). Windows only.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "assistant/balloon.h"
#include "assistant/director.h"
#include "assistant/stage.h"
#include "classlib/windows/menus.h"

using TPlayEvent = std::function<void(TObject* Sender, std::uint32_t RequestId)>;
// Level 1..3; Handled: the handler queued what to play.
using TAssistantIdleEvent = std::function<void(TObject* Sender, int Level, bool& Handled)>;

class TAssistant;

class TStageMoverThread : public TThread {
  HX_CLASS(TStageMoverThread, TThread)
 public:
  // Frees itself when done; it waits for Gate before it moves anything.
  TStageMoverThread(TAssistant* Owner, HANDLE Gate);

 protected:
  void Execute() override;

 private:
  TAssistant* FOwner;
  HANDLE FGate;
};

class TAssistant : public TComponent {
  HX_CLASS(TAssistant, TComponent)
 public:
  explicit TAssistant(TComponent* AOwner);
  ~TAssistant() override;

  // ---- operations ----
  void ShowCharacter(bool Fast);
  void HideCharacter(bool Fast);
  // A request identifier; 0 (nothing played) while hidden or being hidden, or for 0.
  std::uint32_t PlayAnimation(int Animation);
  void StopPlaying(bool NoRestPose);
  void MoveStageTo(int X, int Y);
  void SetStagePos(int X, int Y);
  int GetStageWidth() const;
  int GetStageHeight() const;
  bool IsShown() const;
  // A move runs (or a mover thread is on its way to one).
  bool IsMoving() const { return FMoveCount > 0 || WaitForSingleObject(FMoverEvent, 0) != WAIT_OBJECT_0; }
  void ReassertZOrder();

  // ---- properties ----
  String GetActorLibrary() const { return FActorLibrary; }
  void SetActorLibrary(const String& Value);
  bool GetAlwaysOnTop() const;
  void SetAlwaysOnTop(bool Value);
  bool GetAutoIdle() const;
  void SetAutoIdle(bool Value);
  TBiDiMode GetBiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  bool GetBlockingMove() const { return FBlockingMove; }
  void SetBlockingMove(bool Value) { FBlockingMove = Value; }
  bool GetDraggable() const;
  void SetDraggable(bool Value);
  TWinControl* GetDockSite() const { return FDockSite; }
  void SetDockSite(TWinControl* Value);
  bool GetFastShowHide() const { return FFastShowHide; }
  void SetFastShowHide(bool Value) { FFastShowHide = Value; }
  // The window's real place (after a drag too); in the dock site's client coordinates
  // while docked.
  int GetStageLeft() const;
  void SetStageLeft(int Value) { SetStagePos(Value, GetStageTop()); }
  int GetStageTop() const;
  void SetStageTop(int Value) { SetStagePos(GetStageLeft(), Value); }
  bool GetHintBulb() const { return FHintBulb; }
  void SetHintBulb(bool Value);
  TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  TThreadPriority GetPriority() const;
  void SetPriority(TThreadPriority Value);
  int GetMinIdleTime() const;
  void SetMinIdleTime(int Value);
  int GetMaxIdleTime() const;
  void SetMaxIdleTime(int Value);
  int GetMoveStep() const { return FMoveStep; }
  void SetMoveStep(int Value);  // 0 is ignored
  bool GetMute() const;
  void SetMute(bool Value);
  int GetSpeed() const;
  void SetSpeed(int Value);  // 0 is ignored
  TBalloonOptions* GetBalloon() const { return FBalloon->BalloonOptions(); }
  void SetBalloon(TBalloonOptions* Value);
  TMsgDlgOptions* GetMsgDlg() const { return FBalloon->MsgDlgOptions(); }
  void SetMsgDlg(TMsgDlgOptions* Value);
  TTipsDlgOptions* GetTipsDlg() const { return FBalloon->TipsDlgOptions(); }
  void SetTipsDlg(TTipsDlgOptions* Value);
  TGuideDlgOptions* GetGuideDlg() const { return FBalloon->GuideDlgOptions(); }
  void SetGuideDlg(TGuideDlgOptions* Value);
  THintDlgOptions* GetHintDlg() const { return FBalloon->HintDlgOptions(); }
  void SetHintDlg(THintDlgOptions* Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);

  // What it owns.
  TAssistantDirector* Director() const { return FDirector.get(); }
  TAssistantStage* Stage() const { return FStage.get(); }
  TAssistantBalloon* BalloonForm() const { return FBalloon; }

  // ---- events ----
  TPlayEvent OnPlayStart;
  TPlayEvent OnPlayStop;
  TAssistantIdleEvent OnIdle;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnDragStart;
  TNotifyEvent OnDragging;
  TNotifyEvent OnDragStop;
  TNotifyEvent OnMoveStart;
  TNotifyEvent OnMoving;
  TNotifyEvent OnMoveStop;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnResize;
  TNotifyEvent OnChange;
  TNotifyEvent OnHintBulbClick;
  TNotifyEvent OnBalloonShow;
  TNotifyEvent OnBalloonHide;
  TCustomLabelEvent OnAdjustCustomLabel;
  TNotifyEvent OnTipsTipChange;
  TNotifyEvent OnGuideRequestChange;
  TTopicClickEvent OnGuideTopicClick;
  TTopicClickEvent OnHintTopicClick;
  TNotifyEvent OnGuideSearchClick;
  TNotifyEvent OnGuideOptionsClick;

 protected:
  friend class TStageMoverThread;
  // A move: MoveStart → true when an animated move begins; MoveStep → true while the
  // target is not reached; MoveStop ends it. CancelMove ends a move in progress.
  virtual bool MoveStart();
  virtual bool MoveStep(int StepX, int StepY);
  virtual void MoveStop();
  virtual void CancelMove();
  virtual void UpdateStageParent();

  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  enum TPosted : WPARAM { poMoveStarted = 1, poMoveStopped = 2 };
  TPoint StagePos() const;
  void PlaceStage(TPoint At);
  void UpdateBulb();
  bool BalloonAttached() const;
  void HoldBalloon(bool On);
  void ResetIdle();
  void ConnectBalloonEvents();
  void Posted(WPARAM Code);
  bool WaitMover(bool StopsOnQuit);
  bool IsDestroying() const { return FDestroying; }

  std::unique_ptr<TAssistantDirector> FDirector;
  std::unique_ptr<TAssistantStage> FStage;
  TAssistantBalloon* FBalloon = nullptr;  // owned
  String FActorLibrary;
  TBiDiMode FBiDiMode = bdLeftToRight;
  TWinControl* FDockSite = nullptr;
  TPopupMenu* FPopupMenu = nullptr;
  bool FHintBulb = false;
  bool FFastShowHide = false;
  bool FVisible = false;
  std::atomic<int> FMoveStep{8};
  bool FBlockingMove = false;
  bool FDragging = false;
  std::atomic<int> FMoveCount{0};
  HANDLE FMoverEvent;       // manual reset, signalled while no mover thread runs
  HANDLE FMoverThread = nullptr;  // a copy of the running (or last) mover's handle
  std::recursive_mutex FMoveLock;
  std::atomic<int> FMoveCategory{0};
  std::uint32_t FMoveRequest = 0;
  TPoint FTarget, FRequested;
  std::atomic<bool> FStopping{false};
  std::atomic<bool> FShowingNow{false};
  std::atomic<bool> FHidingNow{false};
  std::atomic<bool> FDestroying{false};
};
