#pragma once
// What the engine, director and stage tests share: the actors' paths, a recorder of the
// frames an engine draws (and the message pump of Windows tests).
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "assistant/engine.h"
#include "classlib/windows/threads.h"
#include "message_pump.h"

#include <tlhelp32.h>  // after windows.h

namespace horavox::test {

inline std::string CharacterPath(const std::string& name) {
  return std::string(HORAVOX_ACTOR_DIR) + "/" + name + ".aal";
}
inline std::string TestActorPath(const std::string& name) {
  return std::string(HORAVOX_TEST_ACTOR_DIR) + "/" + name + ".aal";
}

// The threads of this process.
inline int ThreadCount() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 e{};
  e.dwSize = sizeof e;
  int n = 0;
  for (BOOL ok = Thread32First(snap, &e); ok; ok = Thread32Next(snap, &e))
    if (e.th32OwnerProcessID == GetCurrentProcessId()) ++n;
  CloseHandle(snap);
  return n;
}

// The frames an engine draws, as (animation, frame) with the time, recorded on its thread.
class TFrameRecorder {
 public:
  struct TDrawn {
    int Animation, Frame;
    ULONGLONG Tick;
  };

  void Attach(TAssistantEngine* Engine, std::function<void()> Also = nullptr) {
    Engine->OnFrame = [this, Also](TAssistantEngine* e) {
      {
        std::lock_guard<std::mutex> hold(FLock);
        FDrawn.push_back({e->CurrentAnimation(), e->CurrentFrame(), GetTickCount64()});
      }
      if (Also) Also();
    };
  }
  std::vector<TDrawn> Drawn() const {
    std::lock_guard<std::mutex> hold(FLock);
    return FDrawn;
  }
  std::size_t Count() const {
    std::lock_guard<std::mutex> hold(FLock);
    return FDrawn.size();
  }
  void Clear() {
    std::lock_guard<std::mutex> hold(FLock);
    FDrawn.clear();
  }
  // The animations drawn, each run of frames of one animation once.
  std::vector<int> Animations() const {
    std::vector<int> out;
    for (const TDrawn& d : Drawn())
      if (out.empty() || out.back() != d.Animation) out.push_back(d.Animation);
    return out;
  }
  std::vector<std::pair<int, int>> Frames() const {
    std::vector<std::pair<int, int>> out;
    for (const TDrawn& d : Drawn()) out.emplace_back(d.Animation, d.Frame);
    return out;
  }

 private:
  mutable std::mutex FLock;
  std::vector<TDrawn> FDrawn;
};

}  // namespace horavox::test
