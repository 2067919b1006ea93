#pragma once
// TAssistantDirector: a thread that decides what the character plays. Callers queue
// animation requests (TRequestQueue, first in, first out); the director lets the animation
// on stage leave (its exit frames, its return animation, or its special-name group's
// return) before it starts the next, and, left alone, plays idle animations whose level
// rises the longer nobody asks for anything. It owns the actor and the engine.
//
// Threads: requests, Stop, Cancel and the properties come from the main thread; the
// director thread takes the decisions under a decision lock, which Stop, Cancel and
// Deactivate take too (to stop) and release before they wait; the engine's callbacks run
// on the engine thread. Every wait of the main thread here is WaitPumping. Windows only.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "assistant/actor.h"
#include "assistant/engine.h"
#include "classlib/core/geometry.h"
#include "classlib/core/stringlist.h"

// Request identifiers: (counter << 16) | animation number; 0 is none.
class TRequestQueue : public TObject {
  HX_CLASS(TRequestQueue, TObject)
 public:
  TRequestQueue();
  ~TRequestQueue() override;

  // 0 while disabled or for animation 0; else the new request's identifier.
  std::uint32_t Add(int Animation);
  std::uint32_t Pop();
  std::uint32_t Peek() const;
  std::uint32_t Get(int Index) const;
  void Remove(std::uint32_t Id);
  bool Contains(std::uint32_t Id) const;
  void Clear();
  int Count() const;
  // False when TimeoutMs passed with no request (the event is also signalled when disabled).
  bool WaitRequest(DWORD TimeoutMs);
  bool GetEnabled() const;
  // Disabling empties the queue and releases its waiters.
  void SetEnabled(bool Value);
  std::uint16_t Counter() const;
  // Signalled while requests are queued.
  HANDLE Event() const { return FEvent; }

 private:
  mutable std::mutex FLock;
  std::vector<std::uint32_t> FItems;
  bool FEnabled = true;
  std::uint16_t FCounter = 0;
  HANDLE FEvent;
};

// The special names: three groups (GetAttention, Read, Write) of a base animation, its
// continuation and its return; each entry's object is the actor's animation of that name.
class TSpecialNames : public TStringList {
  HX_CLASS(TSpecialNames, TStringList)
 public:
  TSpecialNames();
  void Resolve(const TAssistantActor* Actor);
  // The animation number of entry Index; 0 when out of range or the actor has none.
  int GetAnimation(int Index) const;
  // The entry of the return animation of Animation's group when Animation is a group's
  // base or continuation; -1 otherwise.
  int ReturnOf(int Animation) const;
  // False only when Next is the return entry's group's continuation or return.
  bool NeedsReturn(int ReturnEntry, int Next) const;
};

class TAssistantDirector : public TThread {
  HX_CLASS(TAssistantDirector, TThread)
 public:
  TAssistantDirector();
  // Terminates, waits for the thread, then frees the engine and the actor.
  ~TAssistantDirector() override;

  TAssistantActor* Actor() const { return FActor.get(); }
  TAssistantEngine* Engine() const { return FEngine.get(); }
  TRequestQueue* Queue() const { return FQueue.get(); }
  TSpecialNames* SpecialNames() const { return FSpecialNames.get(); }

  std::uint32_t Play(int Animation);
  // A random animation of the category (0 when the actor has none).
  std::uint32_t PlayCategory(int Category);
  // Queued, or current and not yet done. 0 is never pending.
  bool IsPending(std::uint32_t Id) const;
  // Waits (pumping) until the request is no longer pending: true; false when given up (its
  // animation loops endlessly, or the program is quitting).
  bool WaitFor(std::uint32_t Id);
  using TThread::WaitFor;
  // A queued request is removed; the current one is stopped and, when nothing else is
  // queued, the rest pose follows.
  void Cancel(std::uint32_t Id);
  // Empties the queue and stops the current request; then the rest pose, or nothing at
  // all (NoRestPose: no exit, no return, no rest pose).
  void Stop(bool NoRestPose);
  bool IsBusy() const;
  // While locked the director takes no decisions.
  void Lock();
  void Unlock();
  int BusyCount() const { return FBusy; }

  bool GetActive() const { return FActive; }
  void SetActive(bool Value);
  bool GetAutoIdle() const { return FAutoIdle; }
  void SetAutoIdle(bool Value);
  int GetIdleLevel() const { return FIdleLevel; }
  void SetIdleLevel(int Level);
  int GetMinIdleTime() const { return FMinIdleTime; }
  void SetMinIdleTime(int Value) { FMinIdleTime = Value; }
  int GetMaxIdleTime() const { return FMaxIdleTime; }
  void SetMaxIdleTime(int Value) { FMaxIdleTime = Value; }

  std::uint32_t CurrentRequest() const { return FCurrentRequest; }
  std::uint32_t LastRequest() const { return FLastRequest; }
  std::uint32_t IdleRequest() const { return FIdleRequest; }
  // Signalled while no animation is in progress.
  HANDLE DoneEvent() const { return FDoneEvent; }

  // The animation category for a movement of kind 0..3 (3: moving the stage).
  int DirectionCategory(int Kind, TPoint From, TPoint To) const;

  // Waits for Handle up to TimeoutMs while the thread's messages are handled (keyboard and
  // mouse input dropped); a quit ends the wait (wrQuit) and stays posted.
  static TWaitResult WaitPumping(HANDLE Handle, DWORD TimeoutMs);

  void Terminate() override;

  // OnPlayStart and OnPlayStop on the engine thread, OnIdle (Level 1..3; Handled: the
  // handler queued what to play) on the director thread. Idle animations report neither.
  std::function<void(TObject* Sender, std::uint32_t Id)> OnPlayStart;
  std::function<void(TObject* Sender, std::uint32_t Id)> OnPlayStop;
  std::function<void(TObject* Sender, int Level, bool& Handled)> OnIdle;

 protected:
  void Execute() override;

 private:
  void Activate();
  void Deactivate();
  void ProcessNext();
  void PlayNext();
  void DoIdle();
  void NewIdleTimeout();
  bool IdleIsCurrent() const;
  void ActorOpened();
  void ActorClosing();
  void AnimationStarted();
  void AnimationStopped();
  // Takes the decision lock; on the main thread sent messages are handled while it waits.
  std::unique_lock<std::mutex> TakeDecisionLock();
  // Waits for the done event after a stop: goes on after a quit (sent messages only).
  void WaitStopped();
  void Resume() { SetEvent(FResumeEvent); }

  std::unique_ptr<TSpecialNames> FSpecialNames;
  std::unique_ptr<TRequestQueue> FQueue;
  std::unique_ptr<TAssistantActor> FActor;
  std::unique_ptr<TAssistantEngine> FEngine;
  std::atomic<std::uint32_t> FCurrentRequest{0};
  std::atomic<std::uint32_t> FLastRequest{0};
  std::atomic<std::uint32_t> FIdleRequest{0};
  std::atomic<DWORD> FIdleTimeout{INFINITE};
  std::atomic<int> FIdleCounter{0};
  HANDLE FActiveEvent;
  HANDLE FDoneEvent;
  HANDLE FResumeEvent;  // signalled by Unlock, enabling and terminating: a waiting director looks again
  std::atomic<int> FBusy{0};
  std::mutex FDecisionLock;
  std::atomic<bool> FActive{false};
  std::atomic<bool> FAutoIdle{true};
  std::atomic<int> FIdleLevel{33};
  std::atomic<int> FMinIdleTime{1000};
  std::atomic<int> FMaxIdleTime{8000};
  std::atomic<bool> FInIdleHandler{false};
  std::atomic<std::uint32_t> FHandlerRequest{0};  // the first request the idle handler queued
};
