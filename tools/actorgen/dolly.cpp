// "Овечка": a round woolly sheep with a dark face and legs, seen from the side with her
// face to the viewer. 120 × 96 (wider than tall), transparent index 7; trots in all eight
// directions and glances about.
#include "rig.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

void Wool(TFrameCanvas& c, double cx, double cy, double rx, double ry, std::uint8_t wool, std::uint8_t shade) {
  for (int i = 0; i < 14; ++i) {
    double a = 2 * Pi * i / 14;
    c.FillCircle(cx + rx * std::cos(a), cy + ry * std::sin(a) + 2, 8.5, shade);
  }
  c.FillEllipse(cx, cy, rx + 2, ry + 2, wool);
  for (int i = 0; i < 14; ++i) {
    double a = 2 * Pi * i / 14;
    c.FillCircle(cx + rx * std::cos(a), cy + ry * std::sin(a), 8, wool);
  }
  for (int i = 0; i < 5; ++i) c.Arc(cx - 16 + 8 * i, cy - 4 + 5 * (i % 2), 3, 2.5, 0.1 * Pi, 0.9 * Pi, 0.45, shade);
}

void Draw(TFrameCanvas& c, const TPose& p) {
  auto k = [&](TInk i) { return InkIndex(i, c.Transparent()); };
  const double bottom = 92;
  auto X = [&](double x, double y) { return x + p.Dx + p.Lean * (bottom - y); };
  auto Y = [&](double y) { return y + p.Dy; };
  const bool side = p.Facing == 1, back = p.Facing == 2;
  const double bodyY = 54 - 2 * p.Stretch;

  // Legs: front and back pairs, moving in opposition.
  const double legX[] = {38, 50, 70, 82};
  for (int i = 0; i < 4; ++i) {
    if (back && (i == 1 || i == 2)) continue;
    double swing = (i % 2 ? -1 : 1) * p.Step * 3, lift = (i % 2 ? -1 : 1) * p.Step > 0.5 ? 2 : 0;
    if (i == 3 && !back) swing += 5 * p.ArmR, lift += 7 * p.ArmR;  // a raised "hand" is a raised front leg
    double x = back ? 48 + (i ? 24 : 0) : legX[i];
    c.FillRect(X(x - 3 + swing, 80), Y(66), X(x + 3 + swing, 80), Y(89 - lift), k(inkFace));
    c.FillRect(X(x - 3 + swing, 88), Y(86 - lift), X(x + 3 + swing, 88), Y(90 - lift), k(inkHoof));
  }
  if (back) {
    // From behind: a wool ball, the tail on top and the ears peeking out.
    c.FillEllipse(X(60, 32), Y(32), 12, 9, k(inkFace));
    for (int s : {-1, 1}) c.FillEllipse(X(60 + s * 20, 28), Y(28 + 2 * p.Flap), 9, 3.5, k(inkFace), s * 0.5);
    Wool(c, X(60, bodyY), Y(bodyY), 26, 18, k(inkWool), k(inkWoolShade));
    c.FillCircle(X(60, bodyY - 10), Y(bodyY - 10), 6, k(inkWoolShade));
    c.FillCircle(X(60, bodyY - 11), Y(bodyY - 11), 5, k(inkWool));
    return;
  }
  c.FillCircle(X(24, bodyY - 6), Y(bodyY - 6), 6.5, k(inkWool));  // tail
  Wool(c, X(56, bodyY), Y(bodyY), 28, 17, k(inkWool), k(inkWoolShade));
  // The head, turned to the viewer (further forward when trotting).
  double hx = X(90 + (side ? 5 : 0) + 3 * p.Bow, 40), hy = Y(40 + 8 * p.Bow - 3 * p.Stretch);
  for (int s : {-1, 1}) {
    double ex = hx + s * 13, ey = hy - 5;
    c.FillEllipse(ex, ey + 2 * p.Flap * s, 9, 3.6, k(inkFace), s * (0.35 + 0.2 * p.Flap));
    c.FillEllipse(ex + s * 1, ey + 2 * p.Flap * s, 5, 1.6, k(inkNose), s * (0.35 + 0.2 * p.Flap));
  }
  c.FillEllipse(hx, hy, 12, 14, k(inkFace));
  for (int i = -1; i <= 1; ++i) c.FillCircle(hx + 6 * i, hy - 12 + std::abs(i) * 2, 5, k(inkWool));
  // Eyes with whites on the dark face, a pink nose and a small mouth.
  double lx = p.LookX * 1.5, ly = p.LookY * 1.3;
  for (int s : {-1, 1}) {
    double ex = hx + s * 5 + lx, ey = hy - 1 + ly;
    if (p.Eyes == 0 || p.Eyes == 1) {
      c.FillEllipse(ex, ey, 3.6, p.Eyes ? 2.4 : 3.8, k(inkEyeWhite));
      c.FillCircle(ex + lx * 0.6, ey + (p.Eyes ? 0.8 : 0.6) + ly * 0.5, 2, k(inkPupil));
      if (p.Eyes == 1) c.Line(ex - 3.6, ey - 1.4, ex + 3.6, ey - 1.4, 0.7, k(inkFace));
    } else if (p.Eyes == 2) {
      c.Arc(ex, ey, 3, 2, 0.15 * Pi, 0.85 * Pi, 0.7, k(inkEyeWhite));
    } else {
      c.Arc(ex, ey + 1.5, 3, 2.6, 1.15 * Pi, 1.85 * Pi, 0.7, k(inkEyeWhite));
    }
    c.FillEllipse(hx + s * 8.5, hy + 5, 2.4, 1.5, k(inkCheek));
  }
  c.FillEllipse(hx + lx * 0.5, hy + 6 + ly * 0.4, 2.6, 1.7, k(inkNose));
  double my = hy + 10 + ly * 0.4;
  switch (p.Mouth) {
    case 0: c.Arc(hx + lx * 0.5, my - 1.2, 2.6, 1.6, 0.2 * Pi, 0.8 * Pi, 0.55, k(inkMouth)); break;
    case 1: c.FillEllipse(hx + lx * 0.5, my, 2.4, 1.6, k(inkMouth)); break;
    case 2: c.FillEllipse(hx + lx * 0.5, my, 1.7, 2.2, k(inkMouth)); break;
    default: c.Line(hx - 2, my, hx + 2, my, 0.55, k(inkMouth)); break;
  }
}

}  // namespace

TRig DollyRig() {
  TRig r;
  r.FileName = "Dolly";
  r.Name = "Dolly";
  r.Width = 120;
  r.Height = 96;
  r.Transparent = 7;
  r.Colours[inkOutline] = {70, 62, 70};
  r.Colours[inkCheek] = {240, 130, 150};
  r.Colours[inkEyeWhite] = {255, 255, 255};
  r.Colours[inkPupil] = {30, 26, 30};
  r.Colours[inkMouth] = {250, 200, 210};
  r.Colours[inkWool] = {250, 246, 232};
  r.Colours[inkWoolShade] = {222, 212, 192};
  r.Colours[inkFace] = {92, 84, 96};
  r.Colours[inkHoof] = {50, 44, 50};
  r.Colours[inkNose] = {236, 150, 170};
  r.Colours[inkZzz] = {90, 120, 220};
  r.Colours[inkSparkle] = {255, 220, 100};
  r.Head = {90, 40};
  r.Draw = Draw;
  r.SignatureSound = "bleat.wav";
  r.Moves = {46, 47, 48, 49, 50, 51, 52, 53};
  r.LookGroups = {38};
  return r;
}
