#pragma once
// A character's rig: its frame size, colours and a drawing routine that draws the figure
// in a pose. The shared scripts (scripts.cpp) turn a rig into a whole actor: show, hide,
// rest pose, speaking, idles, moves, looks and the special-name groups.
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "actorbuild.h"
#include "framecanvas.h"

// Colour roles; each character gives them its own colours. The palette index of a role
// skips the character's transparent index.
enum TInk : std::uint8_t {
  inkOutline, inkSkin, inkSkinShade, inkCheek, inkEyeWhite, inkPupil, inkMouth, inkHair, inkHairShade,
  inkGarment, inkGarmentShade, inkTrim, inkTrimShade, inkAccent, inkGold, inkGoldShade, inkWing, inkWingShade,
  inkPaper, inkCover, inkQuill, inkZzz, inkSparkle, inkWool, inkWoolShade, inkFace, inkHoof, inkNose,
  inkFlower, inkFan, inkFanShade, inkShoe, inkCount
};

inline std::uint8_t InkIndex(TInk ink, std::uint8_t transparent) {
  return static_cast<std::uint8_t>(ink >= transparent ? ink + 1 : ink);
}

enum TProp { propNone, propBook, propQuill, propZzz, propSparkle };

struct TPose {
  double Dx = 0, Dy = 0;      // whole-figure offset
  double Lean = 0;            // towards the right when positive (about -0.3..0.3)
  int Facing = 0;             // 0 towards the viewer, 1 sideways (to the right), 2 away
  bool Mirror = false;        // sideways to the left
  double ArmL = 0, ArmR = 0;  // 0 hanging .. 1 raised high
  double Flap = 0;            // wings, sleeves, ears: -1..1
  double Step = 0;            // -1..1
  int Mouth = 0;              // 0 smile, 1 open, 2 round, 3 closed line
  int Eyes = 0;               // 0 open, 1 half, 2 closed, 3 happy arcs
  double LookX = 0, LookY = 0;
  double Bow = 0;             // 0..1: head and body forward
  double Stretch = 0;         // 0..1: taller
  double PointX = 0, PointY = 0;  // the right arm points this way when either is nonzero
  TProp Prop = propNone;
  double PropPhase = 0;       // 0..1
  double Reveal = 1;          // show and hide: the fraction of the height that stands
};

struct TRig {
  std::string FileName, Name;
  int Width = 0, Height = 0;
  std::uint8_t Transparent = 0;
  std::array<std::array<std::uint8_t, 3>, inkCount> Colours{};
  TPt Head{};                  // where sleep letters rise from (figure facing the viewer)
  std::function<void(TFrameCanvas&, const TPose&)> Draw;
  std::string SignatureSound;  // the sound of the short greeting (record 3)
  std::vector<int> Moves;      // move categories it has (46..53)
  std::vector<int> LookGroups; // direction groups besides the moves: 11, 21, 38
  bool ReadWrite = false;      // the Read and Write groups
};

// The whole actor of a rig.
TActor BuildActor(const TRig& rig);

// Shared drawing helpers.
void DrawFace(TFrameCanvas& c, const TPose& p, double cx, double cy, double eyeGap, double size);
void DrawSparkle(TFrameCanvas& c, double x, double y, double r);

TRig AngelRig();
TRig AnnRig();
TRig DollyRig();
std::vector<TActor> TestActors();
