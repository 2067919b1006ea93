#pragma once
// The rules of playing an animation that need no window: which frame follows which (the
// branch and exit tables), whether an animation ever ends by itself, and which animation
// category a movement in a direction asks for.
#include "assistant/actorformat.h"

struct TFrameStep {
  int Next = 0;
  bool Finished = false;  // the animation is over once the frame it was chosen from has played
};

// The frame after `frame`. Out of exit mode the four branches are tried in order, each
// taken with its percentage of the whole (Random draws), else the next frame; in exit mode
// a frame with an exit flag goes to its exit target, else to the next frame. The last frame
// stays and finishes; reaching a last frame of duration 0 finishes too (it is never drawn).
TFrameStep NextFrame(const TActorAnimation& animation, int frame, bool exiting);

// Some frame has an exit flag.
bool HasExitFrames(const TActorAnimation& animation);
// Some frame always (100 percent) branches back to itself or an earlier frame: the
// animation never finishes by itself.
bool HasEndlessLoop(const TActorAnimation& animation);

// Direction kinds: 0 look, 1 gesture, 2 turn, 3 move (the one that moving the stage uses).
constexpr int DirectionKindCount = 4;
constexpr int DirectionKindMove = 3;

// The category of the direction table for a kind and the senses of the two axes:
// h and v are 0 for no movement on that axis, 1 towards the right / down, 2 towards the
// left / up. 0 for a kind outside 0..3 or a sense outside 0..2.
int DirectionTableCategory(int kind, int h, int v);

// The category for a movement from (fromX, fromY) to (toX, toY) by an actor whose frames
// are frameWidth × frameHeight: movements within half a frame on an axis count as none
// (except for moves, kind 3). When the actor lacks that category (hasCategory false), the
// smaller axis is dropped and the table's straight category is taken as it is.
template <class HasCategory>
int DirectionCategory(int kind, int fromX, int fromY, int toX, int toY, int frameWidth, int frameHeight,
                      HasCategory hasCategory) {
  const int dx = toX - fromX, dy = toY - fromY;
  const int adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  int h = (adx <= frameWidth / 2 && kind != DirectionKindMove) ? 0 : (fromX <= toX ? 1 : 2);
  int v = (ady <= frameHeight / 2 && kind != DirectionKindMove) ? 0 : (fromY <= toY ? 1 : 2);
  int category = DirectionTableCategory(kind, h, v);
  if (hasCategory(category)) return category;
  if (adx >= ady) v = 0;
  else h = 0;
  return DirectionTableCategory(kind, h, v);
}
