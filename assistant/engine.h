#pragma once
// TAssistantEngine: a thread that plays one animation of an actor frame by frame. It keeps
// the animation's tables and one window region per frame, copies each frame into an 8-bit
// bitmap with the actor's palette, tells its owner (OnFrame, on the engine thread), plays
// the frame's sound, waits the frame's time and follows the branch and exit tables.
//
// The engine counts as running while its stop event is not signalled. Tables, regions and
// pixels change only while the engine thread is outside its frames: LoadAnimation and
// Reset stop it and wait for that (on the main thread handling sent messages, as OnFrame
// may be setting a window's region). The engine holds no lock while it calls its owner,
// except none at all: the canvas lock covers only the copy of the rows. Windows only.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "assistant/actor.h"
#include "classlib/windows/pictures.h"
#include "classlib/windows/threads.h"

class TAssistantEngine : public TThread {
  HX_CLASS(TAssistantEngine, TThread)
 public:
  // Reads Actor (not owned); the thread starts at once and waits to be run.
  explicit TAssistantEngine(TAssistantActor* Actor);
  ~TAssistantEngine() override;

  // Takes the frame size, transparent index and palette of the actor into the bitmap.
  void Prepare();
  // Stops and empties everything: no animation, no regions, no picture.
  void Reset();
  // Loads animation Index (1-based) stopped at its first frame; the animation already
  // loaded is only rewound. False, leaving the engine empty and idle, when Index is out of
  // range or the animation cannot be read.
  bool LoadAnimation(int Index);
  // Sends the animation on its way out: true when its exit frames will play (it has not
  // finished, or always leaves through them) or its return animation was loaded (it has
  // finished and returns). The caller then runs the engine.
  bool BeginExit();
  bool HasEndlessLoop();
  bool HasExitFrames();
  bool IsRunning() const;
  // Runs (nothing happens with no animation loaded) or stops; a stop from outside makes
  // the next frame current and cuts the frame sound the engine started.
  void SetRunning(bool On);
  // Paints the current picture at (X, Y).
  void Paint(HDC DC, int X, int Y);
  void Terminate() override;

  // A new region (owned by the caller) holding the current frame's shape; nullptr when no
  // frame has been drawn.
  HRGN CopyCurrentRegion() const;
  // A copy of frame k's region of the loaded animation; nullptr when there is none.
  HRGN CopyFrameRegion(int Frame) const;
  int CurrentAnimation() const { return FCurrentAnimation; }
  int CurrentFrame() const { return FCurrentFrame; }
  int FrameCount() const { return static_cast<int>(FAnimation.FrameCount); }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  TBitmap* Bitmap() const { return FBitmap.get(); }
  // How many times an animation's resource has been read (a reload rewinds instead).
  int ResourceReads() const { return FResourceReads; }

  int GetSpeed() const { return FSpeed; }
  void SetSpeed(int Value) { FSpeed = Value < 0 ? 0 : Value > 65535 ? 65535 : Value; }
  bool GetMute() const { return FMute; }
  void SetMute(bool Value) { FMute = Value; }

  // On the engine thread.
  std::function<void(TAssistantEngine* Sender)> OnAnimationStart;
  std::function<void(TAssistantEngine* Sender)> OnAnimationStop;
  std::function<void(TAssistantEngine* Sender)> OnFrame;

 protected:
  void Execute() override;

 private:
  void StopAndWaitIdle();
  void Clear();  // tables and regions; the engine is idle
  void DrawFrame(int Frame);
  DWORD FrameTime(int Frame) const;

  TAssistantActor* FActor;
  std::unique_ptr<TBitmap> FBitmap;
  std::uint8_t* FRow0 = nullptr;  // the bitmap's top row and the step to the next one
  std::ptrdiff_t FBitmapStride = 0;
  int FBitmapWidth = 0, FBitmapHeight = 0;
  int FWidth = 0, FHeight = 0;
  int FTransparent = 0;
  HMODULE FModule = nullptr;  // the actor's library when the animation was loaded

  TActorAnimation FAnimation;
  std::vector<HRGN> FRegions;
  mutable std::mutex FTableLock;   // the tables against readers on other threads
  mutable std::mutex FRegionLock;  // the current region against copies on other threads
  HRGN FCurrentRegion = nullptr;
  std::atomic<int> FCurrentAnimation{0};
  std::atomic<int> FCurrentFrame{0};
  bool FExiting = false;
  bool FFinished = false;
  bool FSoundStarted = false;  // the engine started a frame sound in this run
  std::atomic<int> FResourceReads{0};

  HANDLE FRunEvent;
  HANDLE FStopEvent;
  HANDLE FIdleEvent;  // signalled while the engine thread is outside its frames
  mutable std::mutex FEngineLock;  // the run and stop events change together
  std::atomic<int> FSpeed{100};
  std::atomic<bool> FMute{false};
};
