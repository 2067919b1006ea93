#include "assistant/engine.h"

#include <cstring>

#include "assistant/animationrules.h"
#include "classlib/core/finally.h"
#include "classlib/core/sound.h"

HX_PUBLISH(TAssistantEngine, p) {}

namespace {

// Frame sounds play asynchronously, never cut another sound short and never wait.
constexpr unsigned FrameSoundFlags = sndAsync | sndNoDefault | sndNoStop | sndNoWait;  // with the resource flag: 0x42017

// Waits for the engine thread to leave its frames (or to end). On the main thread sent
// messages are handled meanwhile: the thread may be setting a window's region.
void WaitEngineIdle(HANDLE idle, HANDLE thread) {
  HANDLE handles[2] = {idle, thread};
  const DWORD count = thread ? 2 : 1;
  if (!IsMainThread()) {
    WaitForMultipleObjects(count, handles, FALSE, INFINITE);
    return;
  }
  TWaitOptions options{woDiscardInput};
  for (;;) {
    TWaitResult r = WaitWithMessages(std::span<const HANDLE>(handles, count), INFINITE, options);
    if (r == wrSignaled || r == wrAbandoned) return;
    if (r == wrQuit) options.Include(woSentMessagesOnly);  // the quit stays posted for the loop
    else if (r == wrError) {
      WaitForMultipleObjects(count, handles, FALSE, INFINITE);
      return;
    }
  }
}

// Holds the actor lock for a scope.
class TActorLock {
 public:
  explicit TActorLock(TAssistantActor* Actor) : FActor(Actor) { FActor->Lock(); }
  ~TActorLock() { FActor->Unlock(); }
  TActorLock(const TActorLock&) = delete;
  TActorLock& operator=(const TActorLock&) = delete;

 private:
  TAssistantActor* FActor;
};

}  // namespace

TAssistantEngine::TAssistantEngine(TAssistantActor* Actor)
    : FActor(Actor),
      FBitmap(std::make_unique<TBitmap>()),
      FRunEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      FStopEvent(CreateEventW(nullptr, TRUE, TRUE, nullptr)),
      FIdleEvent(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
  FBitmap->Canvas();  // made here, on the thread that paints it
  Start();
}

TAssistantEngine::~TAssistantEngine() {
  if (Started() && !Finished()) {
    Terminate();
    WaitFor();
  }
  Clear();
  CloseHandle(FRunEvent);
  CloseHandle(FStopEvent);
  CloseHandle(FIdleEvent);
}

void TAssistantEngine::Terminate() {
  TThread::Terminate();
  SetRunning(false);
  SetEvent(FRunEvent);
}

bool TAssistantEngine::IsRunning() const { return WaitForSingleObject(FStopEvent, 0) == WAIT_TIMEOUT; }

void TAssistantEngine::SetRunning(bool On) {
  std::lock_guard<std::mutex> hold(FEngineLock);
  if (On && (FAnimation.FrameCount == 0 || Terminated())) On = false;
  if (On == IsRunning()) return;
  if (On) {
    ResetEvent(FIdleEvent);  // a run is on its way
    ResetEvent(FStopEvent);
    SetEvent(FRunEvent);
  } else {
    // The thread takes the run event itself: a run stopped before it began still reports
    // its start and stop, so whoever waits for the stop hears of it.
    SetEvent(FStopEvent);
  }
}

void TAssistantEngine::StopAndWaitIdle() {
  SetRunning(false);
  WaitEngineIdle(FIdleEvent, Started() ? Handle() : nullptr);
}

void TAssistantEngine::Prepare() {
  StopAndWaitIdle();
  FWidth = FActor->FrameWidth();
  FHeight = FActor->FrameHeight();
  FTransparent = FActor->TransparentIndex();
  HPALETTE palette = CopyPalette(FActor->Palette());  // the bitmap keeps the copy it is given
  TCanvas* canvas = FBitmap->Canvas();
  canvas->Lock();
  TFinally unlock([canvas] { canvas->Unlock(); });
  FBitmap->SetSize(0, 0);
  FBitmap->SetPixelFormat(pf8bit);
  FBitmap->SetSize(FWidth, FHeight);
  FBitmap->SetPalette(palette);
  FRow0 = nullptr;
  FBitmapStride = 0;
  if (FWidth > 0 && FHeight > 0) {
    FRow0 = static_cast<std::uint8_t*>(FBitmap->ScanLine(0));
    FBitmapStride = FHeight > 1 ? static_cast<std::uint8_t*>(FBitmap->ScanLine(1)) - FRow0 : FBitmap->RowBytes();
    std::memset(FRow0 + (FBitmapStride < 0 ? FBitmapStride * (FHeight - 1) : 0), FTransparent,
                static_cast<std::size_t>(FBitmap->RowBytes()) * static_cast<std::size_t>(FHeight));
  }
  FBitmapWidth = FWidth;
  FBitmapHeight = FHeight;
}

void TAssistantEngine::Clear() {
  std::lock_guard<std::mutex> tables(FTableLock);
  {
    // Nobody copies the current region once it is gone.
    std::lock_guard<std::mutex> hold(FRegionLock);
    FCurrentRegion = nullptr;
  }
  for (HRGN r : FRegions) DeleteObject(r);
  FRegions.clear();
  FAnimation = TActorAnimation{};
  FCurrentAnimation = 0;
  FCurrentFrame = 0;
  FExiting = false;
  FFinished = false;
  FModule = nullptr;
}

void TAssistantEngine::Reset() {
  StopAndWaitIdle();
  Clear();
  TCanvas* canvas = FBitmap->Canvas();
  canvas->Lock();
  FRow0 = nullptr;
  FBitmapStride = 0;
  FBitmapWidth = FBitmapHeight = 0;
  FBitmap->SetSize(0, 0);
  FBitmap->SetPalette(nullptr);
  canvas->Unlock();
}

bool TAssistantEngine::LoadAnimation(int Index) {
  // Stopped and waited for before the actor lock: a frame in progress may need the main
  // thread, which may be asking the actor something.
  StopAndWaitIdle();
  TActorLock actor(FActor);
  if (Index <= 0 || Index > FActor->AnimationCount()) {
    Clear();  // refused: idle and empty, as after any failed load
    return false;
  }
  if (Index == FCurrentAnimation) {
    std::lock_guard<std::mutex> tables(FTableLock);
    FCurrentFrame = 0;
    FExiting = false;
    return true;
  }
  Clear();
  TActorAnimation animation;
  try {
    ++FResourceReads;
    animation = FActor->ReadAnimation(Index);
  } catch (const Exception&) {
    return false;  // the request is dropped by the caller; the same number loads anew later
  }
  std::vector<HRGN> regions;
  std::vector<TRunRect> rects;
  rects.reserve(1000);
  for (std::size_t k = 0; k < animation.FrameCount; ++k) {
    rects.clear();
    AppendOpaqueRuns8(rects, animation.FrameRow(k, 0), static_cast<std::ptrdiff_t>(animation.StripStride()),
                      animation.Width, animation.Height, FActor->TransparentIndex());
    regions.push_back(RegionFromRects(rects, animation.Width, animation.Height));
  }
  std::lock_guard<std::mutex> tables(FTableLock);
  FAnimation = std::move(animation);
  FRegions = std::move(regions);
  FModule = FActor->Module();
  FCurrentAnimation = Index;
  FCurrentFrame = 0;
  FExiting = false;
  return true;
}

bool TAssistantEngine::BeginExit() {
  int returnAnimation = 0;
  {
    TActorLock actor(FActor);
    int current = FCurrentAnimation;
    if (!current || FExiting) return false;
    std::optional<TAnimationRecord> record = FActor->Animation(current);
    if (!record) return false;
    if ((record->Kind == KindExits || !FFinished) && HasExitFrames()) {
      FExiting = true;
      return true;
    }
    if (!FFinished || record->Kind != KindReturns) return false;
    returnAnimation = record->ReturnAnimation;
  }
  return LoadAnimation(returnAnimation);
}

bool TAssistantEngine::HasExitFrames() {
  std::lock_guard<std::mutex> tables(FTableLock);
  return ::HasExitFrames(FAnimation);
}

bool TAssistantEngine::HasEndlessLoop() {
  std::lock_guard<std::mutex> tables(FTableLock);
  return ::HasEndlessLoop(FAnimation);
}

HRGN TAssistantEngine::CopyCurrentRegion() const {
  std::lock_guard<std::mutex> hold(FRegionLock);
  if (!FCurrentRegion) return nullptr;
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(copy, FCurrentRegion, nullptr, RGN_COPY);
  return copy;
}

HRGN TAssistantEngine::CopyFrameRegion(int Frame) const {
  std::lock_guard<std::mutex> tables(FTableLock);
  if (Frame < 0 || Frame >= static_cast<int>(FRegions.size())) return nullptr;
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(copy, FRegions[static_cast<std::size_t>(Frame)], nullptr, RGN_COPY);
  return copy;
}

void TAssistantEngine::Paint(HDC DC, int X, int Y) {
  TCanvas* canvas = FBitmap->Canvas();
  canvas->Lock();
  if (!FBitmap->Empty())
    BitBlt(DC, X, Y, FBitmap->GetWidth(), FBitmap->GetHeight(), canvas->GetHandle(), 0, 0, SRCCOPY);
  canvas->Unlock();
}

DWORD TAssistantEngine::FrameTime(int Frame) const {
  int speed = FSpeed;
  if (speed == 0) return INFINITE;
  return static_cast<DWORD>(FAnimation.Durations[static_cast<std::size_t>(Frame)]) * 1000u / static_cast<DWORD>(speed);
}

void TAssistantEngine::DrawFrame(int Frame) {
  const auto k = static_cast<std::size_t>(Frame);
  TCanvas* canvas = FBitmap->Canvas();
  canvas->Lock();  // the rows only: OnFrame may wait for the main thread, which paints
  if (FRow0 && FBitmapWidth == FAnimation.Width && FBitmapHeight == FAnimation.Height)
    for (int y = 0; y < FBitmapHeight; ++y)
      std::memcpy(FRow0 + FBitmapStride * y, FAnimation.FrameRow(k, y), static_cast<std::size_t>(FBitmapWidth));
  canvas->Unlock();
  {
    std::lock_guard<std::mutex> hold(FRegionLock);
    FCurrentRegion = FRegions[k];
  }
  if (OnFrame && IsRunning()) OnFrame(this);
  if (!FMute && FAnimation.Sounds[k] && IsRunning())
    if (PlayWaveResource(FModule, FAnimation.Sounds[k], FrameSoundFlags)) FSoundStarted = true;
}

void TAssistantEngine::Execute() {
  for (;;) {
    {
      // Idle only with no run on its way.
      std::lock_guard<std::mutex> hold(FEngineLock);
      if (WaitForSingleObject(FRunEvent, 0) != WAIT_OBJECT_0) SetEvent(FIdleEvent);
    }
    if (Terminated()) break;
    WaitForSingleObject(FRunEvent, INFINITE);
    if (Terminated()) break;
    bool running;
    {
      std::lock_guard<std::mutex> hold(FEngineLock);
      ResetEvent(FRunEvent);
      ResetEvent(FIdleEvent);
      running = IsRunning();  // false: stopped before its first frame
    }
    FFinished = false;
    FSoundStarted = false;
    if (OnAnimationStart) OnAnimationStart(this);
    int current = FCurrentFrame, next = current;
    const int frames = static_cast<int>(FAnimation.FrameCount);
    int undrawn = 0;  // frames passed in a row without drawing one
    bool finished = false;
    while (running) {
      if (FAnimation.Durations[static_cast<std::size_t>(current)]) {
        DrawFrame(current);
        undrawn = 0;
      } else {
        ++undrawn;
      }
      DWORD time = FrameTime(current);
      TFrameStep step = NextFrame(FAnimation, current, FExiting);
      next = step.Next;
      // Frames of duration 0 leading round and round would never draw anything again.
      finished = step.Finished || undrawn > frames;
      FFinished = finished;
      if (WaitForSingleObject(FStopEvent, time) == WAIT_TIMEOUT && !finished) {
        current = next;
        FCurrentFrame = current;
        continue;
      }
      break;
    }
    {
      std::lock_guard<std::mutex> hold(FEngineLock);
      SetEvent(FStopEvent);
    }
    if (finished) {
      current = NextFrame(FAnimation, current, !FExiting).Next;
    } else {
      current = next;
      if (FSoundStarted) SoundOutput().Stop();
    }
    FCurrentFrame = current;
    FSoundStarted = false;
    if (!Terminated() && OnAnimationStop) OnAnimationStop(this);
  }
  SetEvent(FIdleEvent);
}
