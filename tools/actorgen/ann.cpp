// "Японка": a girl in a red kimono with a golden obi, her hair in a bun with a hairpin,
// holding a fan. 96 × 128, transparent index 255; walks only straight (down, right, left,
// up), so the diagonal moves fall back to these.
#include "rig.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

void Draw(TFrameCanvas& c, const TPose& p) {
  auto k = [&](TInk i) { return InkIndex(i, c.Transparent()); };
  const double bottom = 124;
  auto X = [&](double x, double y) { return x + p.Dx + p.Lean * (bottom - y); };
  auto Y = [&](double y) { return y + p.Dy; };
  const bool side = p.Facing == 1, back = p.Facing == 2;
  const double headX = 48 + (side ? 3 : 0) + (side ? 4 : 0) * p.Bow;
  const double headY = 40 + 7 * p.Bow - 4 * p.Stretch;
  const double shoulderY = 60 - 3 * p.Stretch + 2 * p.Bow;

  // Sandals and white socks, stepping.
  for (int s : {-1, 1}) {
    double fx = 48 + s * 6 + s * 2.5 * p.Step * (side ? -1 : 1), lift = s * p.Step > 0.5 ? 2 : 0;
    c.FillRect(X(fx - 4, 121), Y(121 - lift), X(fx + 4, 121) , Y(124 - lift), k(inkShoe));
    c.FillEllipse(X(fx, 119), Y(119 - lift), 3.6, 2.6, k(inkTrim));
  }
  // The kimono: red with flowers, a darker hem, a white collar and a golden obi.
  c.FillPolygon({{X(38, shoulderY - 2), Y(shoulderY - 2)}, {X(58, shoulderY - 2), Y(shoulderY - 2)},
                 {X(66, 118), Y(118)}, {X(30, 118), Y(118)}}, k(inkGarment));
  c.FillRect(X(30, 113), Y(113), X(66, 113), Y(118), k(inkGarmentShade));
  const TPt flowers[] = {{40, 96}, {55, 100}, {45, 108}, {57, 90}, {37, 104}};
  for (const TPt& f : flowers) {
    for (int i = 0; i < 5; ++i) c.FillCircle(X(f.X + 2 * std::cos(i * 2 * Pi / 5), f.Y) , Y(f.Y + 2 * std::sin(i * 2 * Pi / 5)), 1.3, k(inkFlower));
    c.Put(static_cast<int>(X(f.X, f.Y)), static_cast<int>(Y(f.Y)), k(inkGold));
  }
  if (!back) {
    c.FillPolygon({{X(41, shoulderY - 2), Y(shoulderY - 2)}, {X(48, shoulderY + 11), Y(shoulderY + 11)}, {X(55, shoulderY - 2), Y(shoulderY - 2)}}, k(inkTrim));
    c.FillPolygon({{X(44, shoulderY - 2), Y(shoulderY - 2)}, {X(48, shoulderY + 5), Y(shoulderY + 5)}, {X(52, shoulderY - 2), Y(shoulderY - 2)}}, k(inkSkin));
  }
  c.FillRect(X(34, 74), Y(74), X(62, 74), Y(85), k(inkGold));
  c.Line(X(34, 79.5), Y(79.5), X(62, 79.5), Y(79.5), 0.8, k(inkAccent));
  if (back) {
    // The obi's big bow sits at the back.
    c.FillEllipse(X(40, 79), Y(79), 8, 5, k(inkGold), 0.3);
    c.FillEllipse(X(56, 79), Y(79), 8, 5, k(inkGold), -0.3);
    c.FillRect(X(45, 75), Y(75), X(51, 75), Y(84), k(inkGoldShade));
  }
  // Wide sleeves; the right hand holds a fan.
  bool pointing = p.PointX != 0 || p.PointY != 0;
  for (int s : {-1, 1}) {
    double sx = 48 + s * 9, sy = shoulderY + 3;
    double dx, dy;
    if (s > 0 && pointing) {
      double len = std::hypot(p.PointX, p.PointY);
      dx = p.PointX / len, dy = p.PointY / len;
    } else {
      double t = 0.3 + (s < 0 ? p.ArmL : p.ArmR) * 2.3;
      dx = s * std::sin(t), dy = std::cos(t);
    }
    double hx = sx + dx * 17, hy = sy + dy * 17;
    c.Line(X(sx, sy), Y(sy), X(hx, hy), Y(hy), 5.2, k(inkGarment));
    c.FillEllipse(X(sx + dx * 11, sy + dy * 11 + 5), Y(sy + dy * 11 + 5), 4.5, 6 + 2 * p.Flap, k(inkGarment));
    c.Line(X(hx - dx * 2, hy - dy * 2), Y(hy - dy * 2), X(hx, hy), Y(hy), 5.4, k(inkGarmentShade));
    c.FillCircle(X(hx + dx * 3, hy + dy * 3), Y(hy + dy * 3), 3, k(inkSkin));
    if (s > 0) {
      // The fan opens outwards from the hand.
      double fx = X(hx + dx * 4, hy + dy * 4), fy = Y(hy + dy * 4);
      double mid = std::atan2(dy, dx) + (pointing ? 0 : -0.5 - 0.4 * p.Flap), spread = 1.0 + 0.25 * p.Flap;
      std::vector<TPt> pie = {{fx, fy}};
      for (int i = 0; i <= 8; ++i) {
        double a = mid - spread + 2 * spread * i / 8;
        pie.push_back({fx + 13 * std::cos(a), fy + 13 * std::sin(a)});
      }
      c.FillPolygon(pie, k(inkFan));
      for (int i = 0; i <= 4; ++i) {
        double a = mid - spread + 2 * spread * i / 4;
        c.Line(fx, fy, fx + 12 * std::cos(a), fy + 12 * std::sin(a), 0.45, k(inkFanShade));
      }
    }
  }
  // The head: hair behind, face, fringe, side locks, the bun and its pin.
  double hx = X(headX, headY), hy = Y(headY);
  c.FillCircle(hx, hy - 19, 8.5, k(inkHair));
  c.Line(hx - 12, hy - 25, hx + 11, hy - 14, 0.9, k(inkGold));
  c.FillCircle(hx + 11, hy - 14, 2.6, k(inkFlower));
  c.FillCircle(hx, hy, 17, k(inkHair));
  if (back) {
    c.Arc(hx, hy - 2, 10, 9, 1.1 * Pi, 1.9 * Pi, 0.5, k(inkHairShade));
    return;
  }
  double fx = hx + (side ? 3 : 0);
  c.FillEllipse(fx, hy + 4, 13, 13.5, k(inkSkin));
  c.FillEllipse(fx, hy - 8, 14, 6, k(inkHair));
  for (int s : {-1, 1}) c.Line(hx + s * 14, hy - 4, hx + s * 14, hy + 12, 2.4, k(inkHair));
  DrawFace(c, p, fx, hy + 4, 5.5, 1.0);
}

}  // namespace

TRig AnnRig() {
  TRig r;
  r.FileName = "Ann";
  r.Name = "Ann";
  r.Width = 96;
  r.Height = 128;
  r.Transparent = 255;
  r.Colours[inkOutline] = {56, 36, 44};
  r.Colours[inkSkin] = {255, 232, 214};
  r.Colours[inkSkinShade] = {240, 206, 186};
  r.Colours[inkCheek] = {255, 150, 160};
  r.Colours[inkEyeWhite] = {255, 255, 255};
  r.Colours[inkPupil] = {40, 30, 36};
  r.Colours[inkMouth] = {214, 40, 70};
  r.Colours[inkHair] = {34, 30, 44};
  r.Colours[inkHairShade] = {80, 74, 100};
  r.Colours[inkGarment] = {216, 52, 70};
  r.Colours[inkGarmentShade] = {150, 28, 50};
  r.Colours[inkTrim] = {252, 250, 244};
  r.Colours[inkTrimShade] = {210, 206, 200};
  r.Colours[inkAccent] = {70, 150, 140};
  r.Colours[inkGold] = {246, 196, 70};
  r.Colours[inkGoldShade] = {210, 150, 40};
  r.Colours[inkFlower] = {255, 200, 216};
  r.Colours[inkFan] = {140, 200, 240};
  r.Colours[inkFanShade] = {60, 110, 170};
  r.Colours[inkShoe] = {140, 90, 50};
  r.Colours[inkZzz] = {90, 120, 220};
  r.Colours[inkSparkle] = {255, 170, 200};
  r.Head = {48, 40};
  r.Draw = Draw;
  r.SignatureSound = "koto.wav";
  r.Moves = {46, 49, 50, 51};
  r.LookGroups = {11};
  return r;
}
