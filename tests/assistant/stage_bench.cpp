// Figures, not a test: per character, the time to load its largest animation (decompress,
// read the tables, build the frame regions) and the time of one frame on a showing stage
// (row copy, SetWindowRgn, repaint), beside the shortest frame time of the characters
// (60 ms). Aims: load < 10 ms, frame < 5 ms.
#include <cstdio>
#include <memory>
#include <string>

#include "assistant/animationrules.h"
#include "assistant/stage.h"
#include "classlib/windows/application.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Bench(const std::string& folder, const std::string& name) {
  auto director = std::make_unique<TAssistantDirector>();
  director->SetAutoIdle(false);
  TAssistantActor* actor = director->Actor();
  actor->SetFileName(folder + "/" + name + ".aal");
  // The largest animation that ends by itself.
  int largest = 0;
  std::size_t most = 0;
  for (int i = 1; i <= actor->AnimationCount(); ++i) {
    TActorAnimation a = actor->ReadAnimation(i);
    if (!HasEndlessLoop(a) && a.FrameCount > most) most = a.FrameCount, largest = i;
  }
  TAssistantEngine* engine = director->Engine();
  const int loads = 10;
  double loadMs = 0;
  for (int i = 0; i < loads; ++i) {
    engine->LoadAnimation(largest == 1 ? 2 : 1);  // so that the next load reads again
    double t = Now();
    engine->LoadAnimation(largest);
    loadMs += Now() - t;
  }

  auto stage = std::make_unique<TAssistantStage>(director.get());
  stage->SetBounds(100, 100, actor->FrameWidth(), actor->FrameHeight());
  engine->SetMute(true);
  engine->SetSpeed(65535);  // frame waits of 0 ms: the frame's own work only
  int frames = 0;
  engine->OnFrame = [&](TAssistantEngine*) {
    stage->UpdateRegion();
    UpdateWindow(stage->GetHandle());  // the main thread repaints now
    ++frames;
  };
  director->SetActive(true);
  stage->ShowStage(true);
  const int runs = 20;
  double t = Now();
  for (int i = 0; i < runs; ++i) director->WaitFor(director->Play(largest));
  double frameMs = (Now() - t) / (frames ? frames : 1);
  std::printf("%-6s largest animation %2d (%3zu frames of %dx%d): load %6.2f ms, frame %5.2f ms "
              "(shortest frame time 60 ms)\n",
              name.c_str(), largest, most, actor->FrameWidth(), actor->FrameHeight(), loadMs / loads, frameMs);
  director.reset();
  stage.reset();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_stage <folder of the characters>\n");
    return 2;
  }
  std::wstring w = argv[1];
  std::string folder(w.begin(), w.end());
  for (const char* name : {"Angel", "Ann", "Dolly"}) Bench(folder, name);
  DestroyApplication();
  return 0;
}
