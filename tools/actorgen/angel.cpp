// "Ангел": a small winged figure in a white robe with a golden halo floating apart above
// its head. 100 × 120, transparent index 0; flies in all eight directions.
#include "rig.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

void DrawBook(TFrameCanvas& c, double x, double y, double phase, std::uint8_t cover, std::uint8_t paper, std::uint8_t ink) {
  double open = std::min(phase, 1.0), w = 7 + 5 * open;
  c.FillRect(x - w - 1, y - 6, x + w + 1, y + 6, cover);
  c.FillRect(x - w, y - 5, x - 0.5, y + 5, paper);
  c.FillRect(x + 0.5, y - 5, x + w, y + 5, paper);
  for (int i = 0; i < 3; ++i) c.Line(x - w + 2, y - 2 + 2.5 * i, x - 2, y - 2 + 2.5 * i, 0.4, ink);
  if (phase > 1.5) c.FillPolygon({{x, y - 5}, {x + w * 0.7, y - 8}, {x + w * 0.7, y + 3}, {x, y + 5}}, paper);  // a page turning
}

void Draw(TFrameCanvas& c, const TPose& p) {
  auto k = [&](TInk i) { return InkIndex(i, c.Transparent()); };
  const double bottom = 108;
  auto X = [&](double x, double y) { return x + p.Dx + p.Lean * (bottom - y); };
  auto Y = [&](double y) { return y + p.Dy; };
  const bool side = p.Facing == 1, back = p.Facing == 2;
  const double headX = 50 + (side ? 3 : 0) + (side ? 4 : 0) * p.Bow;
  const double headY = 44 + 7 * p.Bow - 5 * p.Stretch;
  const double shoulderY = 62 - 3 * p.Stretch + 2 * p.Bow;

  auto wings = [&] {
    double a = 0.55 + 0.45 * p.Flap;
    for (int s : {-1, 1}) {
      double scale = side && s < 0 ? 0.75 : 1.0;
      double cx = 50 + s * 19 * scale, cy = shoulderY + 3 - 5 * p.Flap;
      c.FillEllipse(X(cx, cy), Y(cy), 18 * scale, 8.5 * scale, k(inkWing), -s * a);
      c.FillEllipse(X(cx + s * 3, cy + 3), Y(cy + 3), 11 * scale, 3.5 * scale, k(inkWingShade), -s * (a - 0.15));
    }
  };
  auto arm = [&](int s, double raise, bool pointing) {
    double sx = 50 + s * 8, sy = shoulderY + 2;
    double dx, dy;
    if (pointing) {
      double len = std::hypot(p.PointX, p.PointY);
      dx = p.PointX / len, dy = p.PointY / len;
    } else {
      double t = 0.25 + raise * 2.4;
      dx = s * std::sin(t), dy = std::cos(t);
    }
    double hx = sx + dx * 15, hy = sy + dy * 15;
    c.Line(X(sx, sy), Y(sy), X(hx, hy), Y(hy), 4.4, k(inkGarmentShade));
    c.Line(X(sx, sy), Y(sy), X(hx, hy), Y(hy), 3.4, k(inkGarment));
    c.FillCircle(X(hx, hy), Y(hy), 3.4, k(inkSkin));
    return TPt{X(hx, hy), Y(hy)};
  };

  if (!back) wings();
  // Feet under the hem.
  for (int s : {-1, 1}) c.FillEllipse(X(50 + s * 6 + s * 2 * p.Step * (side ? -1 : 1), 106), Y(106 - (s * p.Step > 0.5 ? 1.5 : 0)), 4, 2.6, k(inkSkin));
  // The robe, with folds and a golden rope.
  c.FillPolygon({{X(41, shoulderY - 2), Y(shoulderY - 2)}, {X(59, shoulderY - 2), Y(shoulderY - 2)},
                 {X(71, 103), Y(103)}, {X(29, 103), Y(103)}}, k(inkGarment));
  c.FillEllipse(X(50, 103), Y(103), 21, 3.5, k(inkGarment));
  c.Line(X(42, 80), Y(80), X(38, 101), Y(101), 0.5, k(inkGarmentShade));
  c.Line(X(58, 80), Y(80), X(62, 101), Y(101), 0.5, k(inkGarmentShade));
  c.Line(X(37, 76), Y(76), X(63, 76), Y(76), 1.0, k(inkGold));
  c.FillCircle(X(46, 78), Y(78), 1.6, k(inkGold));
  if (back) wings();
  bool pointing = p.PointX != 0 || p.PointY != 0;
  arm(-1, p.ArmL, false);
  TPt hand = arm(1, p.ArmR, pointing);
  // The head.
  double hx = X(headX, headY), hy = Y(headY);
  if (back) {
    c.FillCircle(hx, hy, 16, k(inkHair));
    for (int i = -1; i <= 1; ++i) c.FillCircle(hx + 7 * i, hy - 11 + std::abs(i) * 2, 5.5, k(inkHair));
    c.Arc(hx, hy + 2, 9, 7, 0.2 * Pi, 0.8 * Pi, 0.6, k(inkHairShade));
  } else {
    c.FillCircle(hx, hy - 1, 16, k(inkHair));
    c.FillCircle(hx + (side ? 2 : 0), hy + 2, 14, k(inkSkin));
    for (int i = -1; i <= 1; ++i) c.FillCircle(hx + 8 * i, hy - 12 + std::abs(i) * 2, 5.5, k(inkHair));
    c.FillCircle(hx - 14, hy - 2, 4, k(inkHair));
    c.FillCircle(hx + 14, hy - 2, 4, k(inkHair));
    DrawFace(c, p, hx + (side ? 4 : 0), hy + 2, 6, 1.0);
  }
  // The halo floats apart from the head.
  double ty = hy - 27 + 2 * p.Stretch;
  c.FillEllipse(hx, ty, 12.5, 4, k(inkGold));
  c.FillEllipse(hx, ty + 0.8, 11, 2.4, k(inkGoldShade));
  c.CutEllipse(hx, ty + 0.3, 8.5, 1.6);
  if (p.Prop == propBook) DrawBook(c, X(50, 86), Y(86), p.PropPhase, k(inkCover), k(inkPaper), k(inkPupil));
  if (p.Prop == propQuill) {
    // A sheet held low and a quill that writes across it.
    c.FillRect(X(38, 82), Y(82), X(62, 96), Y(96), k(inkPaper));
    for (int i = 0; i < 3; ++i) c.Line(X(41, 86 + 3 * i), Y(86 + 3 * i), X(41 + 16 * std::min(1.0, p.PropPhase - 0.3 * i), 86 + 3 * i), Y(86 + 3 * i), 0.4, k(inkPupil));
    double qx = 44 + 12 * std::fmod(p.PropPhase * 3, 1.0);
    c.Line(qx, Y(90), qx + 8, Y(76), 0.8, k(inkQuill));
    c.FillEllipse(qx + 7, Y(78), 5, 2, k(inkQuill), -1.0);
  }
  (void)hand;
}

}  // namespace

TRig AngelRig() {
  TRig r;
  r.FileName = "Angel";
  r.Name = "Angel";
  r.Width = 100;
  r.Height = 120;
  r.Transparent = 0;
  r.Colours[inkOutline] = {60, 52, 84};
  r.Colours[inkSkin] = {255, 224, 196};
  r.Colours[inkSkinShade] = {240, 196, 168};
  r.Colours[inkCheek] = {255, 160, 170};
  r.Colours[inkEyeWhite] = {255, 255, 255};
  r.Colours[inkPupil] = {48, 40, 64};
  r.Colours[inkMouth] = {200, 70, 90};
  r.Colours[inkHair] = {250, 208, 90};
  r.Colours[inkHairShade] = {220, 170, 60};
  r.Colours[inkGarment] = {248, 248, 255};
  r.Colours[inkGarmentShade] = {190, 200, 230};
  r.Colours[inkTrim] = {255, 255, 255};
  r.Colours[inkTrimShade] = {200, 200, 200};
  r.Colours[inkAccent] = {120, 160, 230};
  r.Colours[inkGold] = {255, 214, 64};
  r.Colours[inkGoldShade] = {236, 170, 30};
  r.Colours[inkWing] = {214, 236, 255};
  r.Colours[inkWingShade] = {170, 204, 240};
  r.Colours[inkPaper] = {255, 252, 236};
  r.Colours[inkCover] = {150, 60, 50};
  r.Colours[inkQuill] = {236, 236, 250};
  r.Colours[inkZzz] = {90, 120, 220};
  r.Colours[inkSparkle] = {255, 230, 90};
  r.Head = {50, 44};
  r.Draw = Draw;
  r.SignatureSound = "bell.wav";
  r.Moves = {46, 47, 48, 49, 50, 51, 52, 53};
  r.LookGroups = {11, 21, 38};
  r.ReadWrite = true;
  return r;
}
