#include "assistant/assistant.h"

#include <cstdlib>

#include "classlib/windows/application.h"
#include "classlib/core/messages.h"
#include "classlib/core/text.h"

HX_PUBLISH(TStageMoverThread, p) {}

HX_PUBLISH(TAssistant, p) {
  p.Property("ActorLibrary", &TAssistant::GetActorLibrary, &TAssistant::SetActorLibrary);
  p.Property("AlwaysOnTop", &TAssistant::GetAlwaysOnTop, &TAssistant::SetAlwaysOnTop).Default(true);
  p.Property("AutoIdle", &TAssistant::GetAutoIdle, &TAssistant::SetAutoIdle).Default(true);
  p.Property("BiDiMode", &TAssistant::GetBiDiMode, &TAssistant::SetBiDiMode).Default(bdLeftToRight);
  p.Property("BlockingMove", &TAssistant::GetBlockingMove, &TAssistant::SetBlockingMove).Default(false);
  p.Property("Draggable", &TAssistant::GetDraggable, &TAssistant::SetDraggable).Default(true);
  p.Property("DockSite", &TAssistant::GetDockSite, &TAssistant::SetDockSite);
  p.Property("FastShowHide", &TAssistant::GetFastShowHide, &TAssistant::SetFastShowHide).Default(false);
  p.Property("StageLeft", &TAssistant::GetStageLeft, &TAssistant::SetStageLeft).Default(0);
  p.Property("StageTop", &TAssistant::GetStageTop, &TAssistant::SetStageTop).Default(0);
  p.Property("HintBulb", &TAssistant::GetHintBulb, &TAssistant::SetHintBulb).Default(false);
  p.Property("PopupMenu", &TAssistant::GetPopupMenu, &TAssistant::SetPopupMenu);
  p.Property("Priority", &TAssistant::GetPriority, &TAssistant::SetPriority).Default(tpNormal);
  p.Property("MinIdleTime", &TAssistant::GetMinIdleTime, &TAssistant::SetMinIdleTime).Default(1000);
  p.Property("MaxIdleTime", &TAssistant::GetMaxIdleTime, &TAssistant::SetMaxIdleTime).Default(8000);
  p.Property("MoveStep", &TAssistant::GetMoveStep, &TAssistant::SetMoveStep).Default(8);
  p.Property("Mute", &TAssistant::GetMute, &TAssistant::SetMute).Default(false);
  p.Property("Speed", &TAssistant::GetSpeed, &TAssistant::SetSpeed).Default(100);
  p.Property("Balloon", &TAssistant::GetBalloon, &TAssistant::SetBalloon);
  p.Property("MsgDlg", &TAssistant::GetMsgDlg, &TAssistant::SetMsgDlg);
  p.Property("TipsDlg", &TAssistant::GetTipsDlg, &TAssistant::SetTipsDlg);
  p.Property("GuideDlg", &TAssistant::GetGuideDlg, &TAssistant::SetGuideDlg);
  p.Property("HintDlg", &TAssistant::GetHintDlg, &TAssistant::SetHintDlg);
  p.Property("Visible", &TAssistant::GetVisible, &TAssistant::SetVisible).Default(false);
  p.Event("OnPlayStart", &TAssistant::OnPlayStart);
  p.Event("OnPlayStop", &TAssistant::OnPlayStop);
  p.Event("OnIdle", &TAssistant::OnIdle);
  p.Event("OnClick", &TAssistant::OnClick);
  p.Event("OnDblClick", &TAssistant::OnDblClick);
  p.Event("OnDragStart", &TAssistant::OnDragStart);
  p.Event("OnDragging", &TAssistant::OnDragging);
  p.Event("OnDragStop", &TAssistant::OnDragStop);
  p.Event("OnMoveStart", &TAssistant::OnMoveStart);
  p.Event("OnMoving", &TAssistant::OnMoving);
  p.Event("OnMoveStop", &TAssistant::OnMoveStop);
  p.Event("OnShow", &TAssistant::OnShow);
  p.Event("OnHide", &TAssistant::OnHide);
  p.Event("OnResize", &TAssistant::OnResize);
  p.Event("OnChange", &TAssistant::OnChange);
  p.Event("OnHintBulbClick", &TAssistant::OnHintBulbClick);
  p.Event("OnBalloonShow", &TAssistant::OnBalloonShow);
  p.Event("OnBalloonHide", &TAssistant::OnBalloonHide);
  p.Event("OnAdjustCustomLabel", &TAssistant::OnAdjustCustomLabel);
  p.Event("OnTipsTipChange", &TAssistant::OnTipsTipChange);
  p.Event("OnGuideRequestChange", &TAssistant::OnGuideRequestChange);
  p.Event("OnGuideTopicClick", &TAssistant::OnGuideTopicClick);
  p.Event("OnHintTopicClick", &TAssistant::OnHintTopicClick);
  p.Event("OnGuideSearchClick", &TAssistant::OnGuideSearchClick);
  p.Event("OnGuideOptionsClick", &TAssistant::OnGuideOptionsClick);
}

namespace {

constexpr UINT StepFlags = SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;  // 0x211

}  // namespace

// ---- the mover thread ----

TStageMoverThread::TStageMoverThread(TAssistant* Owner, HANDLE Gate) : FOwner(Owner), FGate(Gate) {
  SetFreeOnTerminate(true);
}

void TStageMoverThread::Execute() {
  TAssistant* owner = FOwner;
  WaitForSingleObject(FGate, INFINITE);
  CloseHandle(FGate);
  struct TEnd {
    HANDLE Event;
    ~TEnd() { SetEvent(Event); }
  } end{owner->FMoverEvent};
  if (!owner->MoveStart()) return;
  while (owner->MoveStep(owner->FMoveStep, owner->FMoveStep)) SleepEx(10, TRUE);
  owner->MoveStop();
}

// ---- construction ----

TAssistant::TAssistant(TComponent* AOwner)
    : TComponent(AOwner), FMoverEvent(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
  FDirector = std::make_unique<TAssistantDirector>();
  TAssistantEngine* engine = FDirector->Engine();
  engine->OnFrame = [this](TAssistantEngine*) {
    if (FDirector->GetActive()) FStage->UpdateRegion();
  };
  FDirector->OnPlayStart = [this](TObject*, std::uint32_t id) {
    if (OnPlayStart && !IsDestroying()) OnPlayStart(this, id);
  };
  FDirector->OnPlayStop = [this](TObject*, std::uint32_t id) {
    if (OnPlayStop && !IsDestroying()) OnPlayStop(this, id);
  };
  FDirector->OnIdle = [this](TObject*, int level, bool& handled) {
    if (IsDestroying()) return;
    if (!FStage->IsStageShowing()) {
      handled = true;
      return;
    }
    if (OnIdle) OnIdle(this, level, handled);
  };
  FStage = std::make_unique<TAssistantStage>(FDirector.get());
  FStage->SetBounds(0, 0, 0, 0);
  FStage->SetDraggable(true);
  FStage->OnClick = [this](TObject*) {
    ResetIdle();
    if (OnClick && !FBalloon->IsModal() && !FHidingNow) OnClick(this);
  };
  FStage->OnDblClick = [this](TObject*) {
    if (OnDblClick && !FBalloon->IsModal() && !FHidingNow) OnDblClick(this);
  };
  FStage->OnDragStart = [this](TObject*) {
    ResetIdle();
    FDragging = true;
    HoldBalloon(true);
    if (OnDragStart) OnDragStart(this);
  };
  FStage->OnDragging = [this](TObject*) {
    if (OnDragging) OnDragging(this);
  };
  FStage->OnDragStop = [this](TObject*) {
    ResetIdle();
    FDragging = false;
    HoldBalloon(false);
    if (OnDragStop) OnDragStop(this);
  };
  FStage->OnShow = [this](TObject*) {
    if (IsDestroying()) return;
    if (OnShow) OnShow(this);
    if (BalloonAttached() && FBalloon->IsShown() && !FBalloon->HeldBack()) FBalloon->Place();
  };
  FStage->OnHide = [this](TObject*) {
    if (IsDestroying()) return;
    if (BalloonAttached() && FBalloon->IsShown()) {
      if (FBalloon->IsModal()) FBalloon->Place();
      else FBalloon->CloseBalloon();
    }
    if (OnHide) OnHide(this);
  };
  FStage->OnResize = [this](TObject*) {
    if (OnResize && !IsDestroying() && !FDirector->Actor()->IsClosed()) OnResize(this);
  };
  FStage->OnPosted = [this](WPARAM code) { Posted(code); };
  FStage->Bulb()->OnClick = [this](TObject*) {
    ResetIdle();
    if (OnHintBulbClick) OnHintBulbClick(this);
  };
  FStage->Bulb()->SetEnabled(false);
  FBalloon = NewForm<TAssistantBalloon>(nullptr);
  FBalloon->AttachTo(FStage.get());
  FBalloon->OnShown = [this](TObject*) {
    if (IsDestroying()) return;
    ResetIdle();
    const int mode = FBalloon->GetMode();
    if (mode == TAssistantBalloon::bmTips || mode == TAssistantBalloon::bmHint) FStage->Bulb()->SetShown(false);
    if (FBalloon->IsModal()) FStage->Bulb()->SetEnabled(false);
    if (OnBalloonShow) OnBalloonShow(this);
  };
  FBalloon->OnHidden = [this](TObject*) {
    if (IsDestroying()) return;
    ResetIdle();
    FStage->Bulb()->SetEnabled(static_cast<bool>(OnHintBulbClick));
    UpdateBulb();
    if (OnBalloonHide) OnBalloonHide(this);
  };
  FBalloon->OnControlClick = [this](TObject*) { ResetIdle(); };
  FBalloon->OnAdjustCustomLabel = [this](TObject*, TLabel* label) {
    if (OnAdjustCustomLabel) OnAdjustCustomLabel(this, label);
  };
  FBalloon->OnBeforeLayout = [this](TObject*) { ConnectBalloonEvents(); };
  ConnectBalloonEvents();
  FMoveStep = 8;
}

TAssistant::~TAssistant() {
  Destroying();
  FDestroying = true;
  CancelMove();
  // The mover's end: its handle, not only its event.
  if (FMoverThread) {
    WaitMover(false);
    for (;;) {
      TWaitResult r = WaitWithMessages(FMoverThread, INFINITE, TWaitOptions{woDiscardInput, woSentMessagesOnly});
      if (r != wrQuit) break;
    }
    CloseHandle(FMoverThread);
  }
  FDirector->Terminate();
  FDirector.reset();  // waits for its thread; frees engine and actor
  if (FBalloon) {
    FBalloon->OnShown = nullptr;
    FBalloon->OnHidden = nullptr;
    FBalloon->BeforeDestruction();
    delete FBalloon;
    FBalloon = nullptr;
  }
  FStage.reset();
  CloseHandle(FMoverEvent);
}

void TAssistant::ConnectBalloonEvents() {
  // The balloon offers what the owner handles: its option events are set exactly when
  // the component's are.
  TTipsDlgOptions* tips = FBalloon->TipsDlgOptions();
  tips->OnTipsTipChange = OnTipsTipChange ? TNotifyEvent([this](TObject*) {
    ResetIdle();
    if (OnTipsTipChange) OnTipsTipChange(this);
  })
                                          : nullptr;
  TGuideDlgOptions* guide = FBalloon->GuideDlgOptions();
  guide->OnGuideRequestChange = OnGuideRequestChange ? TNotifyEvent([this](TObject*) {
    ResetIdle();
    if (OnGuideRequestChange) OnGuideRequestChange(this);
  })
                                                     : nullptr;
  guide->OnGuideTopicClick = OnGuideTopicClick ? TTopicClickEvent([this](TObject*, int id) {
    ResetIdle();
    if (OnGuideTopicClick) OnGuideTopicClick(this, id);
  })
                                               : nullptr;
  guide->OnGuideSearchClick = OnGuideSearchClick ? TNotifyEvent([this](TObject*) {
    ResetIdle();
    if (OnGuideSearchClick) OnGuideSearchClick(this);
  })
                                                 : nullptr;
  guide->OnGuideOptionsClick = OnGuideOptionsClick ? TNotifyEvent([this](TObject*) {
    ResetIdle();
    if (OnGuideOptionsClick) OnGuideOptionsClick(this);
  })
                                                   : nullptr;
  FBalloon->HintDlgOptions()->OnHintTopicClick = OnHintTopicClick ? TTopicClickEvent([this](TObject*, int id) {
    ResetIdle();
    if (OnHintTopicClick) OnHintTopicClick(this, id);
  })
                                                                  : nullptr;
}

void TAssistant::ResetIdle() {
  if (!IsDestroying()) FDirector->SetIdleLevel(CategoryIdle1);
}

void TAssistant::Loaded() {
  TComponent::Loaded();
  ConnectBalloonEvents();
  if (FVisible && !FDirector->Actor()->IsClosed()) ShowCharacter(FFastShowHide);
}

void TAssistant::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FDockSite) {
    FDockSite = nullptr;
    if (!IsDestroying() && FStage) {
      if (FStage->IsStageShowing()) UpdateStageParent();
      else FStage->SetParentWindow(nullptr);
    }
  }
  if (AComponent == FPopupMenu) {
    FPopupMenu = nullptr;
    if (FStage) FStage->SetPopupMenu(nullptr);
  }
}

// ---- the balloon ----

bool TAssistant::BalloonAttached() const { return FBalloon && FBalloon->Stage() == FStage.get(); }

void TAssistant::HoldBalloon(bool On) {
  if (BalloonAttached()) FBalloon->HoldBack(On);
}

void TAssistant::UpdateBulb() {
  if (!FBalloon->IsModal()) FStage->Bulb()->SetEnabled(static_cast<bool>(OnHintBulbClick));
  const int mode = FBalloon->GetMode();
  const bool balloonTakesIt =
      FBalloon->IsShown() && (mode == TAssistantBalloon::bmTips || mode == TAssistantBalloon::bmHint);
  FStage->Bulb()->SetShown(FHintBulb && FMoveCount == 0 && !FShowingNow && !FHidingNow && !balloonTakesIt &&
                           FStage->IsStageShowing());
}

void TAssistant::Posted(WPARAM Code) {
  if (IsDestroying()) return;
  if (Code == poMoveStarted) {
    HoldBalloon(true);
    FStage->Bulb()->SetShown(false);
  } else if (Code == poMoveStopped) {
    HoldBalloon(false);
    UpdateBulb();
  }
}

// ---- showing and hiding ----

bool TAssistant::IsShown() const { return FStage->IsStageShowing(); }

void TAssistant::ShowCharacter(bool Fast) {
  if (FShowingNow || FStage->IsStageShowing() || ComponentState().Contains(csLoading)) return;
  FVisible = true;
  if (FDirector->Actor()->IsClosed()) return;  // shown once an actor is loaded
  FShowingNow = true;
  struct TDone {
    TAssistant* A;
    ~TDone() { A->FShowingNow = false; }
  } done{this};
  FDirector->SetActive(true);
  HoldBalloon(true);
  UpdateStageParent();
  FStage->ShowStage(true);
  if (!Fast) {
    std::uint32_t id = FDirector->PlayCategory(CategoryShow);
    if (!id) id = FDirector->PlayCategory(CategoryRestPose);
    FDirector->WaitFor(id);
    if (!FStage->IsStageShowing() || !FVisible) {  // a hide ran meanwhile: it wins
      FShowingNow = false;
      HoldBalloon(false);
      return;
    }
  } else {
    FDirector->PlayCategory(CategoryRestPose);
  }
  HoldBalloon(false);
  FShowingNow = false;
  UpdateBulb();
}

void TAssistant::HideCharacter(bool Fast) {
  if (FHidingNow || !FStage->IsStageShowing()) return;
  FHidingNow = true;
  struct TDone {
    TAssistant* A;
    ~TDone() { A->FHidingNow = false; }
  } done{this};
  FStage->Bulb()->SetShown(false);
  HoldBalloon(true);
  if (Fast) {
    CancelMove();
  } else {
    WaitMover(true);  // the move is not cut short
    FDirector->Stop(false);
    FDirector->WaitFor(FDirector->PlayCategory(CategoryHide));
  }
  FDirector->SetActive(false);
  HoldBalloon(false);
  FStage->ShowStage(false);
  FStage->SetParentWindow(nullptr);
  FDragging = false;
  FVisible = false;
}

void TAssistant::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  if (ComponentState().Contains(csLoading)) return;
  if (Value == FStage->IsStageShowing()) return;
  if (!Value) HideCharacter(FFastShowHide);
  else if (!FDirector->Actor()->IsClosed()) ShowCharacter(FFastShowHide);
}

std::uint32_t TAssistant::PlayAnimation(int Animation) {
  if (Animation == 0 || !FStage->IsStageShowing() || FHidingNow) return 0;
  return FDirector->Play(Animation);
}

void TAssistant::StopPlaying(bool NoRestPose) {
  WaitMover(true);
  FDirector->Stop(NoRestPose);
}

// ---- the actor ----

void TAssistant::SetActorLibrary(const String& Value) {
  if (AnsiCompareText(Value, FActorLibrary) == 0) return;
  FActorLibrary = Value;
  const bool attached = BalloonAttached();
  if (attached) FBalloon->HoldBack(true);
  std::exception_ptr error;
  try {
    FDirector->Actor()->SetFileName(Value);
  } catch (...) {
    error = std::current_exception();
  }
  TAssistantActor* actor = FDirector->Actor();
  if (!actor->IsClosed()) {
    const TPoint at = StagePos();
    FStage->SetBounds(at.X, at.Y, actor->FrameWidth(), actor->FrameHeight());
    if (FStage->IsStageShowing()) {
      UpdateStageParent();
      FStage->Perform(WM_QUERYNEWPALETTE);
      FDirector->PlayCategory(CategoryRestPose);
    } else if (FVisible) {
      ShowCharacter(true);
    }
  } else if (FStage->IsStageShowing()) {
    HideCharacter(true);
    FVisible = true;  // shown again once an actor is loaded
  }
  if (attached) FBalloon->HoldBack(false);
  if (OnChange) OnChange(this);
  if (error && !ComponentState().Contains(csLoading)) std::rethrow_exception(error);
}

// ---- the stage's place ----

TPoint TAssistant::StagePos() const {
  if (!FStage->HandleAllocated()) return {FStage->GetLeft(), FStage->GetTop()};
  RECT r{};
  HWND window = FStage->GetHandle();
  GetWindowRect(window, &r);
  POINT p{r.left, r.top};
  if (HWND parent = GetParent(window)) ScreenToClient(parent, &p);
  return {p.x, p.y};
}

int TAssistant::GetStageLeft() const { return StagePos().X; }
int TAssistant::GetStageTop() const { return StagePos().Y; }
int TAssistant::GetStageWidth() const { return FStage->GetWidth(); }
int TAssistant::GetStageHeight() const { return FStage->GetHeight(); }

void TAssistant::PlaceStage(TPoint At) {
  if (IsMainThread()) {
    FStage->SetBounds(At.X, At.Y, FStage->GetWidth(), FStage->GetHeight());
  } else if (FStage->HandleAllocated()) {
    SetWindowPos(FStage->GetHandle(), nullptr, At.X, At.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TAssistant::SetStagePos(int X, int Y) {
  const TPoint at = StagePos();
  if (at.X == X && at.Y == Y) return;
  PlaceStage({X, Y});
  if (BalloonAttached() && FBalloon->IsShown() && !FBalloon->HeldBack()) FBalloon->Place();
}

void TAssistant::UpdateStageParent() {
  FStage->SetParentWindow(FDockSite ? FDockSite->GetHandle() : nullptr);
  FStage->UpdateZOrder();
  FStage->UpdateRegion();
}

void TAssistant::ReassertZOrder() {
  FStage->UpdateZOrder();
  if (FBalloon->IsShown() && !FBalloon->HeldBack()) FBalloon->Place();
}

// ---- moves ----

bool TAssistant::WaitMover(bool StopsOnQuit) {
  // A quit ends the wait when asked (and stays posted); else the wait goes on with sent
  // messages only.
  TWaitOptions options{woDiscardInput};
  while (WaitForSingleObject(FMoverEvent, 0) != WAIT_OBJECT_0) {
    TWaitResult r = WaitWithMessages(FMoverEvent, INFINITE, options);
    if (r == wrSignaled) break;
    if (r == wrQuit) {
      if (StopsOnQuit) return false;
      options.Include(woSentMessagesOnly);
    }
    if (r == wrError) return false;
  }
  return true;
}

void TAssistant::MoveStageTo(int X, int Y) {
  std::unique_lock<std::recursive_mutex> hold(FMoveLock);
  FRequested = {X, Y};
  if (IsMoving() && !FStopping) {
    const int category = FDirector->DirectionCategory(3, StagePos(), FRequested);
    if (category != FMoveCategory) {
      hold.unlock();
      CancelMove();
      hold.lock();
    } else {
      FTarget = FRequested;
      return;
    }
  }
  if (IsMoving()) return;  // a blocking move further up this thread is ending
  if (StagePos() == TPoint{X, Y}) return;
  FTarget = {X, Y};
  FMoveCategory = FDirector->DirectionCategory(3, StagePos(), FTarget);
  if (!FBlockingMove && FStage->IsStageShowing()) {
    ResetEvent(FMoverEvent);
    HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto* mover = new TStageMoverThread(this, gate);
    try {
      mover->Start();
    } catch (...) {
      CloseHandle(gate);
      delete mover;
      SetEvent(FMoverEvent);
      PlaceStage(FTarget);  // no thread: the stage goes straight there
      return;
    }
    if (FMoverThread) CloseHandle(FMoverThread);
    FMoverThread = nullptr;
    DuplicateHandle(GetCurrentProcess(), mover->Handle(), GetCurrentProcess(), &FMoverThread, SYNCHRONIZE, FALSE, 0);
    SetEvent(gate);  // the mover may go (and end, and free itself) from here on
    return;
  }
  if (MoveStart()) {
    while (MoveStep(FMoveStep, FMoveStep)) TAssistantDirector::WaitPumping(GetCurrentThread(), 10);
    MoveStop();
  }
}

bool TAssistant::MoveStart() {
  ++FMoveCount;
  if (FStage->IsStageShowing() && !FHidingNow) {
    FStage->SetMouseInput(false);  // clicks fall through during the move
    if (IsMainThread()) Posted(poMoveStarted);
    else FStage->PostToMainThread(poMoveStarted);
    TPoint target;
    {
      std::lock_guard<std::recursive_mutex> hold(FMoveLock);
      target = FTarget;
    }
    FMoveCategory = FDirector->DirectionCategory(3, StagePos(), target);
    FDirector->Stop(false);
    FMoveRequest = FDirector->PlayCategory(FMoveCategory);
    FDirector->WaitFor(FMoveRequest);  // ends once it is current and loops
    FDirector->Lock();
    if (OnMoveStart && !IsDestroying()) OnMoveStart(this);
    return true;
  }
  TPoint target;
  {
    std::lock_guard<std::recursive_mutex> hold(FMoveLock);
    target = FTarget;
  }
  PlaceStage(target);
  --FMoveCount;
  return false;
}

bool TAssistant::MoveStep(int StepX, int StepY) {
  TPoint next;
  bool more;
  {
    std::lock_guard<std::recursive_mutex> hold(FMoveLock);
    const TPoint at = StagePos();
    if (FStopping) {
      next = FTarget;
    } else {
      const int dx = FTarget.X - at.X, dy = FTarget.Y - at.Y;
      if (std::abs(dx) > std::abs(dy)) StepY = std::abs(dy) * StepX / std::abs(dx);
      else if (dy != 0) StepX = std::abs(dx) * StepY / std::abs(dy);
      if (StepX == 0) StepX = 1;
      if (StepY == 0) StepY = 1;
      next = at;
      if (dx != 0) next.X += dx > 0 ? std::min(StepX, dx) : std::max(-StepX, dx);
      if (dy != 0) next.Y += dy > 0 ? std::min(StepY, dy) : std::max(-StepY, dy);
    }
    more = !(next == FTarget);
  }
  if (more) {
    if (FStage->HandleAllocated()) SetWindowPos(FStage->GetHandle(), HWND_TOP, next.X, next.Y, 0, 0, StepFlags);
    if (OnMoving && !IsDestroying()) OnMoving(this);
  } else if (!FStopping || FHidingNow) {
    if (FStage->HandleAllocated()) SetWindowPos(FStage->GetHandle(), HWND_TOP, next.X, next.Y, 0, 0, StepFlags);
  }
  return more;
}

void TAssistant::MoveStop() {
  FDirector->Unlock();
  // The move animation ends with the move: its exit frames, then the rest pose when
  // nothing else is queued.
  if (FDirector->IsPending(FMoveRequest)) FDirector->Cancel(FMoveRequest);
  else if (!FDirector->IsBusy()) FDirector->PlayCategory(CategoryRestPose);
  FMoveRequest = 0;
  FStage->SetMouseInput(true);
  if (OnMoveStop && !IsDestroying()) OnMoveStop(this);
  --FMoveCount;
  if (IsMainThread()) Posted(poMoveStopped);
  else FStage->PostToMainThread(poMoveStopped);
}

void TAssistant::CancelMove() {
  if (!IsMoving()) return;
  FStopping = true;
  if (WaitForSingleObject(FMoverEvent, 0) == WAIT_OBJECT_0) {
    // The move runs on this thread's side: it ends at its next step, where it stands.
    std::lock_guard<std::recursive_mutex> hold(FMoveLock);
    FTarget = StagePos();
    FStopping = false;
    return;
  }
  WaitMover(false);
  FStopping = false;
}

// ---- properties ----

bool TAssistant::GetAlwaysOnTop() const { return FStage->GetAlwaysOnTop(); }
void TAssistant::SetAlwaysOnTop(bool Value) { FStage->SetAlwaysOnTop(Value); }
bool TAssistant::GetAutoIdle() const { return FDirector->GetAutoIdle(); }
void TAssistant::SetAutoIdle(bool Value) { FDirector->SetAutoIdle(Value); }
bool TAssistant::GetDraggable() const { return FStage->GetDraggable(); }
void TAssistant::SetDraggable(bool Value) { FStage->SetDraggable(Value); }
int TAssistant::GetMinIdleTime() const { return FDirector->GetMinIdleTime(); }
void TAssistant::SetMinIdleTime(int Value) { FDirector->SetMinIdleTime(std::clamp(Value, 0, 65535)); }
int TAssistant::GetMaxIdleTime() const { return FDirector->GetMaxIdleTime(); }
void TAssistant::SetMaxIdleTime(int Value) { FDirector->SetMaxIdleTime(std::clamp(Value, 0, 65535)); }
bool TAssistant::GetMute() const { return FDirector->Engine()->GetMute(); }
void TAssistant::SetMute(bool Value) { FDirector->Engine()->SetMute(Value); }
int TAssistant::GetSpeed() const { return FDirector->Engine()->GetSpeed(); }
TThreadPriority TAssistant::GetPriority() const { return FDirector->Engine()->GetPriority(); }

void TAssistant::SetSpeed(int Value) {
  if (Value <= 0) return;
  FDirector->Engine()->SetSpeed(std::min(Value, 65535));
}

void TAssistant::SetMoveStep(int Value) {
  if (Value <= 0) return;
  FMoveStep = std::min(Value, 255);
}

void TAssistant::SetPriority(TThreadPriority Value) {
  FDirector->Engine()->SetPriority(Value);
  FDirector->SetPriority(Value);
}

void TAssistant::SetBiDiMode(TBiDiMode Value) {
  if (Value == FBiDiMode) return;
  FBiDiMode = Value;
  FStage->SetBiDiMode(Value);
  FBalloon->SetBiDiMode(Value);
  FBalloon->LayoutMode();
}

void TAssistant::SetDockSite(TWinControl* Value) {
  if (Value == FDockSite) return;
  FDockSite = Value;
  if (Value) Value->FreeNotification(this);
  if (ComponentState().Contains(csLoading) || IsDestroying()) return;
  if (FStage->IsStageShowing()) UpdateStageParent();
  else FStage->SetParentWindow(nullptr);
  if (BalloonAttached() && FBalloon->IsShown() && !FBalloon->HeldBack()) FBalloon->Place();
}

void TAssistant::SetHintBulb(bool Value) {
  if (Value == FHintBulb) return;
  FHintBulb = Value;
  UpdateBulb();
}

void TAssistant::SetPopupMenu(TPopupMenu* Value) {
  if (Value == FPopupMenu) return;
  FPopupMenu = Value;
  if (Value) {
    Value->FreeNotification(this);
    Value->SetBiDiMode(FStage->GetBiDiMode());
  }
  FStage->SetPopupMenu(Value);
}

void TAssistant::SetBalloon(TBalloonOptions* Value) {
  if (Value) FBalloon->BalloonOptions()->Assign(Value);
}
void TAssistant::SetMsgDlg(TMsgDlgOptions* Value) {
  if (Value) FBalloon->MsgDlgOptions()->Assign(Value);
}
void TAssistant::SetTipsDlg(TTipsDlgOptions* Value) {
  if (Value) FBalloon->TipsDlgOptions()->Assign(Value);
}
void TAssistant::SetGuideDlg(TGuideDlgOptions* Value) {
  if (Value) FBalloon->GuideDlgOptions()->Assign(Value);
}
void TAssistant::SetHintDlg(THintDlgOptions* Value) {
  if (Value) FBalloon->HintDlgOptions()->Assign(Value);
}
