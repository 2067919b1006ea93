#include "assistant/animationrules.h"

#include "classlib/core/random.h"

TFrameStep NextFrame(const TActorAnimation& animation, int frame, bool exiting) {
  const int last = static_cast<int>(animation.FrameCount) - 1;
  const auto k = static_cast<std::size_t>(frame);
  TFrameStep step{frame, false};
  if (!exiting) {
    bool branched = false;
    int remaining = 100;
    for (const TBranch& b : animation.Branches[k]) {
      if (Random(remaining) < b.Percent) {
        step.Next = b.Target;
        branched = true;
        break;
      }
      remaining -= b.Percent;
    }
    if (!branched) {
      if (frame >= last) step.Finished = true;
      else step.Next = frame + 1;
    }
  } else if (frame >= last) {
    step.Finished = true;
  } else {
    const TBranch& exit = animation.Exits[k];
    step.Next = exit.Percent ? exit.Target : frame + 1;
  }
  if (step.Next == last && animation.Durations[static_cast<std::size_t>(last)] == 0) step.Finished = true;
  return step;
}

bool HasExitFrames(const TActorAnimation& animation) {
  for (const TBranch& e : animation.Exits)
    if (e.Percent) return true;
  return false;
}

bool HasEndlessLoop(const TActorAnimation& animation) {
  for (std::size_t f = 0; f < animation.Branches.size(); ++f)
    for (const TBranch& b : animation.Branches[f])
      if (b.Percent == 100 && b.Target <= f) return true;
  return false;
}

int DirectionTableCategory(int kind, int h, int v) {
  // [kind][h][v]; a movement on neither axis has no category.
  static constexpr int table[DirectionKindCount][3][3] = {
      {{0, 11, 16}, {14, 12, 17}, {15, 13, 18}},
      {{0, 21, 26}, {24, 22, 27}, {25, 23, 28}},
      {{0, 38, 43}, {41, 39, 44}, {42, 40, 45}},
      {{0, 46, 51}, {49, 47, 52}, {50, 48, 53}},
  };
  if (kind < 0 || kind >= DirectionKindCount || h < 0 || h > 2 || v < 0 || v > 2) return 0;
  return table[kind][h][v];
}
