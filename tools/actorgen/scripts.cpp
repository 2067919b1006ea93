// The animations every character has, written once over the rig's pose: the records the
// clock plays by number (3 greeting, 4 bow, 6 speaking), show, hide, rest pose, the idle
// levels, moves, looks and the special-name groups.
#include <cmath>

#include "rig.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

enum TSoundId : std::uint16_t { sndNone, sndAppear, sndVanish, sndSignature, sndStep, sndYawn, sndSnore, sndBow };

struct TStep {
  TPose Pose;
  int Duration = 10;
  std::uint16_t Sound = sndNone;
  TBranch Branch{};  // first branch
  TBranch Exit{};
};

struct TDirection {
  const char* Name;
  int Dx, Dy;
};
// In the order of a direction group's categories: base + 0 .. base + 7.
const TDirection Directions[8] = {{"Down", 0, 1},  {"DownRight", 1, 1}, {"DownLeft", -1, 1}, {"Right", 1, 0},
                                  {"Left", -1, 0}, {"Up", 0, -1},       {"UpRight", 1, -1},  {"UpLeft", -1, -1}};

class TScripts {
 public:
  explicit TScripts(const TRig& rig) : R(rig) {}

  std::vector<std::uint8_t> Render(const TPose& p) const {
    TFrameCanvas c(R.Width, R.Height, R.Transparent);
    if (p.Reveal > 0) {
      R.Draw(c, p);
      c.Outline(InkIndex(inkOutline, R.Transparent));
      if (p.Mirror) c.FlipHorizontal();
      if (p.Reveal < 1) c.ScaleFromBottom(p.Reveal);
    }
    if (p.Prop == propSparkle) {
      // Sparkles circling the figure.
      for (int i = 0; i < 5; ++i) {
        double a = 2 * Pi * (i / 5.0 + p.PropPhase * 0.5);
        double x = R.Width / 2.0 + std::cos(a) * R.Width * 0.38;
        double y = R.Height * (0.95 - 0.8 * std::max(p.Reveal, 0.2)) + (1 + std::sin(a)) * R.Height * 0.3;
        DrawSparkle(c, x, y, 2.5 + 1.5 * ((i + static_cast<int>(p.PropPhase * 10)) % 2));
      }
    }
    if (p.Prop == propZzz) {
      // Letters rising from the head as the sleeper breathes.
      std::uint8_t ink = InkIndex(inkZzz, R.Transparent);
      for (int i = 0; i < 3; ++i) {
        double t = std::fmod(p.PropPhase + i / 3.0, 1.0);
        double s = 2 + 3 * t, x = R.Head.X + 8 + 14 * t + i, y = R.Head.Y - 8 - 22 * t;
        if (p.Mirror) x = R.Width - x;
        c.Line(x - s, y - s, x + s, y - s, 0.7, ink);
        c.Line(x + s, y - s, x - s, y + s, 0.7, ink);
        c.Line(x - s, y + s, x + s, y + s, 0.7, ink);
      }
    }
    return c.Pixels();
  }

  TAnimation Make(const std::string& name, std::vector<int> categories, const std::vector<TStep>& steps,
                  std::uint8_t kind = KindOrdinary, std::uint16_t ret = 0) const {
    TAnimation a;
    a.Name = name;
    a.Categories = std::move(categories);
    a.Kind = kind;
    a.Return = ret;
    for (const TStep& s : steps) {
      TFrame f;
      f.Pixels = Render(s.Pose);
      f.Duration = static_cast<std::uint8_t>(s.Duration);
      f.Sound = s.Sound;
      f.Branches[0] = s.Branch;
      f.Exit = s.Exit;
      a.Frames.push_back(std::move(f));
    }
    return a;
  }

  const TRig& R;
};

TPose Rest() { return TPose{}; }

template <typename F>
TPose With(F change) {
  TPose p;
  change(p);
  return p;
}

// Facing for a direction: sideways when it has a horizontal part, else towards or away.
void Face(TPose& p, int dx, int dy) {
  p.Facing = dx ? 1 : dy < 0 ? 2 : 0;
  p.Mirror = dx < 0;
  p.LookY = dy > 0 ? 0.8 : dy < 0 && dx ? -0.6 : 0;
}

}  // namespace

TActor BuildActor(const TRig& rig) {
  TScripts s(rig);
  std::vector<TAnimation> a;

  // 1 show (64): grows up from the ground among sparkles.
  {
    std::vector<TStep> st;
    const double reveal[] = {0.08, 0.22, 0.38, 0.55, 0.72, 0.88, 1.0};
    for (int i = 0; i < 7; ++i)
      st.push_back({With([&](TPose& p) { p.Reveal = reveal[i]; p.Eyes = 2; p.Prop = propSparkle; p.PropPhase = i / 7.0; }), 6, i == 0 ? sndAppear : sndNone});
    st.push_back({With([](TPose& p) { p.Prop = propSparkle; p.PropPhase = 1; p.Eyes = 3; }), 8});
    st.push_back({With([](TPose& p) { p.ArmR = 0.5; p.Eyes = 3; }), 10});
    st.push_back({Rest(), 10});
    a.push_back(s.Make("Show", {CategoryShow}, st));
  }
  // 2 hide (32): shrinks into the ground; the last, empty frame is never drawn.
  {
    std::vector<TStep> st;
    st.push_back({With([](TPose& p) { p.Eyes = 3; p.ArmR = 0.4; }), 10, sndVanish});
    const double reveal[] = {1.0, 0.85, 0.68, 0.5, 0.34, 0.2, 0.08};
    for (int i = 0; i < 7; ++i)
      st.push_back({With([&](TPose& p) { p.Reveal = reveal[i]; p.Eyes = 2; p.Prop = propSparkle; p.PropPhase = i / 7.0; }), 5});
    st.push_back({With([](TPose& p) { p.Reveal = 0; }), 0});
    a.push_back(s.Make("Hide", {CategoryHide}, st));
  }
  // 3 greeting: short (0.6 s), played with the chime and the signals.
  {
    std::vector<TStep> st;
    const double arm[] = {0.6, 1.0, 0.7, 1.0, 0.7, 0.3};
    for (int i = 0; i < 6; ++i)
      st.push_back({With([&](TPose& p) { p.ArmR = arm[i]; p.Eyes = 3; p.Mouth = i && i < 5 ? 1 : 0; p.Dy = i % 2 ? -1 : 0; }), 10, i == 0 ? sndSignature : sndNone});
    a.push_back(s.Make("Greet", {}, st));
  }
  // 4 bow: closes the spoken time, then back to the rest pose (record 5).
  {
    std::vector<TStep> st;
    for (int i = 1; i <= 5; ++i) st.push_back({With([&](TPose& p) { p.Bow = i / 5.0; p.Eyes = i > 2 ? 2 : 0; }), 8, i == 1 ? sndBow : sndNone});
    st.push_back({With([](TPose& p) { p.Bow = 1; p.Eyes = 2; }), 20});
    st.push_back({With([](TPose& p) { p.Bow = 1; p.Eyes = 2; }), 20});
    for (int i = 4; i >= 0; --i) st.push_back({With([&](TPose& p) { p.Bow = i / 5.0; p.Eyes = i ? 2 : 3; }), 8});
    a.push_back(s.Make("Bow", {}, st, KindReturns, 5));
  }
  // 5 rest pose (60).
  a.push_back(s.Make("RestPose", {CategoryRestPose},
                     {{Rest(), 10}, {With([](TPose& p) { p.Stretch = 0.15; }), 10}, {Rest(), 10}}));
  // 6 speaking: an endless mouth loop that leaves through its closing frames.
  {
    std::vector<TStep> st;
    const int mouth[] = {0, 1, 2, 1, 3, 1};
    const int dur[] = {6, 12, 10, 12, 8, 10};
    for (int i = 0; i < 6; ++i) {
      TStep x{With([&](TPose& p) { p.Mouth = mouth[i]; p.Dy = i % 2 ? -1 : 0; p.ArmL = i >= 2 && i <= 4 ? 0.3 : 0.15; }), dur[i]};
      if (i >= 1) x.Exit = {1, 6};
      if (i == 5) x.Branch = {100, 1};
      st.push_back(x);
    }
    st.push_back({With([](TPose& p) { p.Mouth = 3; }), 10});
    st.push_back({With([](TPose& p) { p.Eyes = 3; }), 10});
    a.push_back(s.Make("Speak", {}, st, KindExits));
  }
  // 7 blink (idle 1): blinks once or, half the time, again.
  {
    std::vector<TStep> st = {{Rest(), 30}, {With([](TPose& p) { p.Eyes = 1; }), 4}, {With([](TPose& p) { p.Eyes = 2; }), 6},
                             {With([](TPose& p) { p.Eyes = 1; }), 4}, {Rest(), 30}};
    st[3].Branch = {50, 1};
    a.push_back(s.Make("Blink", {CategoryIdle1}, st));
  }
  // 8 look around (idle 1).
  a.push_back(s.Make("LookAround", {CategoryIdle1},
                     {{With([](TPose& p) { p.LookX = -0.5; }), 10}, {With([](TPose& p) { p.LookX = -1; p.LookY = -0.3; }), 40},
                      {Rest(), 10}, {With([](TPose& p) { p.LookX = 0.5; }), 10},
                      {With([](TPose& p) { p.LookX = 1; p.LookY = -0.3; }), 40}, {Rest(), 20}}));
  // 9 stretch (idle 2), with an undrawn middle frame.
  a.push_back(s.Make("Stretch", {CategoryIdle1 + 1},
                     {{Rest(), 10},
                      {With([](TPose& p) { p.ArmL = p.ArmR = 0.5; }), 10},
                      {With([](TPose& p) { p.ArmL = p.ArmR = 1; p.Stretch = 0.5; }), 10},
                      {With([](TPose& p) { p.ArmL = p.ArmR = 1; p.Stretch = 1; p.Mouth = 2; p.Eyes = 2; }), 40, sndYawn},
                      {With([](TPose& p) { p.ArmL = p.ArmR = 1; p.Stretch = 1; p.Mouth = 2; p.Eyes = 2; }), 30},
                      {With([](TPose& p) { p.ArmL = p.ArmR = 1; p.Stretch = 0.5; p.Eyes = 1; }), 10},
                      {With([](TPose& p) { p.ArmL = p.ArmR = 0.7; p.Stretch = 0.3; }), 0},
                      {With([](TPose& p) { p.ArmL = p.ArmR = 0.3; }), 10},
                      {Rest(), 10},
                      {With([](TPose& p) { p.Eyes = 3; }), 20}}));
  // 10 doze (idle 3): a long nod off, a start, and again.
  a.push_back(s.Make("Doze", {CategoryIdle3},
                     {{With([](TPose& p) { p.Eyes = 1; }), 40},
                      {With([](TPose& p) { p.Eyes = 2; p.Bow = 0.2; }), 50},
                      {With([](TPose& p) { p.Eyes = 2; p.Bow = 0.35; p.Prop = propZzz; p.PropPhase = 0.1; }), 50},
                      {With([](TPose& p) { p.Eyes = 2; p.Bow = 0.4; p.Prop = propZzz; p.PropPhase = 0.4; }), 50},
                      {With([](TPose& p) { p.Eyes = 2; p.Bow = 0.45; p.Prop = propZzz; p.PropPhase = 0.7; }), 50},
                      {With([](TPose& p) { p.Eyes = 2; p.Bow = 0.5; }), 40},
                      {With([](TPose& p) { p.Dy = -2; p.Mouth = 2; }), 8},
                      {Rest(), 20},
                      {With([](TPose& p) { p.Eyes = 1; }), 30},
                      {With([](TPose& p) { p.Eyes = 2; p.Bow = 0.3; }), 60},
                      {With([](TPose& p) { p.Dy = -1; }), 20},
                      {With([](TPose& p) { p.Eyes = 3; }), 20}}));
  // 11 sleep (idle 3): dozes in, snores without end, wakes up through its exit frames.
  {
    std::vector<TStep> st = {{With([](TPose& p) { p.Eyes = 1; }), 30},
                             {With([](TPose& p) { p.Eyes = 2; p.Bow = 0.2; }), 30},
                             {With([](TPose& p) { p.Eyes = 2; p.Bow = 0.4; }), 30}};
    for (int i = 0; i < 4; ++i)
      st.push_back({With([&](TPose& p) { p.Eyes = 2; p.Bow = 0.4 + (i % 2) * 0.05; p.Mouth = i % 2 ? 2 : 3; p.Prop = propZzz; p.PropPhase = i / 4.0; }), 40, i == 0 ? sndSnore : sndNone});
    st[6].Branch = {100, 3};
    for (int i = 1; i <= 6; ++i) st[static_cast<std::size_t>(i)].Exit = {1, 7};
    st.push_back({With([](TPose& p) { p.Eyes = 1; p.Bow = 0.2; }), 15});
    st.push_back({With([](TPose& p) { p.ArmL = p.ArmR = 0.6; p.Mouth = 2; p.Eyes = 2; }), 15});
    st.push_back({With([](TPose& p) { p.Eyes = 3; }), 20});
    a.push_back(s.Make("Sleep", {CategoryIdle3}, st));
  }
  // 12 sway (idle 1): the third member of idle level 1.
  {
    std::vector<TStep> st;
    for (int i = 0; i < 8; ++i) {
      double t = std::sin(2 * Pi * i / 8);
      st.push_back({With([&](TPose& p) { p.Lean = 0.06 * t; p.Dx = 2 * t; p.Eyes = 3; }), 12});
    }
    a.push_back(s.Make("Sway", {CategoryIdle1}, st));
  }
  // Moves: endless six-frame walks (or flights) that stop through two exit frames.
  for (int category : rig.Moves) {
    const TDirection& d = Directions[category - CategoryMoveFirst];
    std::vector<TStep> st;
    for (int i = 0; i < 6; ++i) {
      double t = std::sin(2 * Pi * i / 6);
      TStep x{With([&](TPose& p) {
                Face(p, d.Dx, d.Dy);
                p.Step = t;
                p.Flap = std::cos(2 * Pi * i / 6);
                p.Dy = -std::fabs(t) * 2;
                p.Lean = d.Dx ? 0.08 : 0;
                p.ArmL = p.ArmR = 0.15 + 0.1 * t;
              }),
              8, i % 3 == 0 ? sndStep : sndNone};
      x.Exit = {1, 6};
      if (i == 5) x.Branch = {100, 0};
      st.push_back(x);
    }
    st.push_back({With([&](TPose& p) { Face(p, d.Dx, d.Dy); }), 10});
    st.push_back({Rest(), 10});
    a.push_back(s.Make(std::string("Move") + d.Name, {category}, st));
  }
  // The other direction groups: look (11..18), point (21..28), glance (38..45).
  for (int base : rig.LookGroups) {
    for (int i = 0; i < 8; ++i) {
      const TDirection& d = Directions[i];
      std::vector<TStep> st;
      for (double f : {0.5, 1.0, 0.5, 0.0}) {
        TPose p;
        if (base == 11) {
          p.LookX = f * d.Dx, p.LookY = f * d.Dy;
        } else if (base == 21) {
          p.Mirror = d.Dx < 0;
          p.PointX = f * std::abs(d.Dx) + (d.Dx ? 0 : 0.2 * f), p.PointY = f * d.Dy;
          p.LookX = f * std::abs(d.Dx), p.LookY = f * d.Dy;
          p.Eyes = f > 0.9 ? 3 : 0;
        } else if (f > 0.2) {
          Face(p, d.Dx, d.Dy);
          p.LookX = f * std::abs(d.Dx);
        }
        st.push_back({p, f > 0.9 ? 50 : f > 0.2 ? 8 : 10});
      }
      const char* verb = base == 11 ? "Look" : base == 21 ? "Point" : "Glance";
      a.push_back(s.Make(std::string(verb) + d.Name, {base + i}, st));
    }
  }
  // Special-name groups: a base, an endless continuation and a return.
  {
    a.push_back(s.Make("GetAttention", {},
                       {{With([](TPose& p) { p.ArmL = p.ArmR = 0.5; }), 8},
                        {With([](TPose& p) { p.ArmL = p.ArmR = 1; p.Dy = -4; p.Mouth = 1; }), 10},
                        {With([](TPose& p) { p.ArmL = p.ArmR = 0.6; }), 8},
                        {With([](TPose& p) { p.ArmL = p.ArmR = 1; p.Dy = -4; p.Mouth = 1; }), 10},
                        {With([](TPose& p) { p.ArmL = p.ArmR = 0.3; }), 10},
                        {With([](TPose& p) { p.Eyes = 3; }), 10}}));
    std::vector<TStep> st = {{With([](TPose& p) { p.ArmR = 1; p.ArmL = 0.4; p.Mouth = 1; }), 12},
                             {With([](TPose& p) { p.ArmR = 0.6; p.ArmL = 0.4; }), 12},
                             {With([](TPose& p) { p.ArmR = 1; p.ArmL = 0.4; p.Mouth = 1; }), 12},
                             {With([](TPose& p) { p.ArmR = 0.6; p.ArmL = 0.7; p.Eyes = 3; }), 12}};
    st[3].Branch = {100, 0};
    a.push_back(s.Make("GetAttentionContinued", {}, st));
    a.push_back(s.Make("GetAttentionReturn", {},
                       {{With([](TPose& p) { p.ArmR = 0.6; }), 8}, {With([](TPose& p) { p.ArmR = 0.3; }), 8}, {Rest(), 10}}));
  }
  if (rig.ReadWrite) {
    for (TProp prop : {propBook, propQuill}) {
      std::string name = prop == propBook ? "Read" : "Write";
      auto holding = [prop](double phase, double look) {
        return With([&](TPose& p) { p.Prop = prop; p.PropPhase = phase; p.LookY = 0.7; p.LookX = look; p.ArmL = p.ArmR = 0.35; p.Bow = 0.15; });
      };
      a.push_back(s.Make(name, {}, {{holding(0.3, 0), 8}, {holding(0.65, 0), 8}, {holding(1, 0), 10}}));
      std::vector<TStep> loop;
      for (int i = 0; i < 6; ++i) loop.push_back({holding(i == 5 ? 2 : 1 + i * 0.1, -0.6 + 0.24 * i), i == 5 ? 12 : 20});
      loop[5].Branch = {100, 0};
      a.push_back(s.Make(name + "Continued", {}, loop));
      a.push_back(s.Make(name + "Return", {}, {{holding(0.65, 0), 8}, {holding(0.3, 0), 8}, {Rest(), 10}}));
    }
  }

  TActor actor;
  actor.FileName = rig.FileName;
  actor.Name = rig.Name;
  actor.Width = rig.Width;
  actor.Height = rig.Height;
  actor.Transparent = rig.Transparent;
  actor.Animations = std::move(a);
  actor.Sounds = {{sndAppear, "appear.wav"}, {sndVanish, "vanish.wav"}, {sndSignature, rig.SignatureSound},
                  {sndStep, "step.wav"},     {sndYawn, "yawn.wav"},     {sndSnore, "snore.wav"},
                  {sndBow, "bow.wav"}};
  // The palette: the character's colours, magenta at the transparent index, then a colour
  // cube and a grey ramp so that every entry is defined.
  int cube = 0;
  for (int i = 0; i < 256; ++i) {
    TPaletteEntry& e = actor.Palette[static_cast<std::size_t>(i)];
    int ink = i < rig.Transparent ? i : i - 1;
    if (i == rig.Transparent) {
      e = {255, 0, 255, 0};
    } else if (ink < inkCount) {
      const auto& c = rig.Colours[static_cast<std::size_t>(ink)];
      e = {c[0], c[1], c[2], 0};
    } else if (cube < 216) {
      e = {static_cast<std::uint8_t>(cube / 36 * 51), static_cast<std::uint8_t>(cube / 6 % 6 * 51), static_cast<std::uint8_t>(cube % 6 * 51), 0};
      ++cube;
    } else {
      std::uint8_t g = static_cast<std::uint8_t>((i * 37) % 256);
      e = {g, g, g, 0};
    }
  }
  return actor;
}

void DrawSparkle(TFrameCanvas& c, double x, double y, double r) {
  std::uint8_t ink = InkIndex(inkSparkle, c.Transparent());
  c.Line(x - r, y, x + r, y, 0.6, ink);
  c.Line(x, y - r, x, y + r, 0.6, ink);
  c.FillCircle(x, y, 1.2, ink);
}

void DrawFace(TFrameCanvas& c, const TPose& p, double cx, double cy, double gap, double size) {
  auto k = [&](TInk i) { return InkIndex(i, c.Transparent()); };
  double lx = p.LookX * 1.6 * size, ly = p.LookY * 1.4 * size;
  for (int side : {-1, 1}) {
    double ex = cx + side * gap + lx, ey = cy + ly;
    c.FillEllipse(cx + side * (gap + 3.2 * size), cy + 4.5 * size, 2.6 * size, 1.6 * size, k(inkCheek));
    switch (p.Eyes) {
      case 0:
        c.FillEllipse(ex, ey, 2.0 * size, 2.8 * size, k(inkPupil));
        c.Put(static_cast<int>(ex - 0.6 * size), static_cast<int>(ey - 1.4 * size), k(inkEyeWhite));
        break;
      case 1:
        c.FillEllipse(ex, ey + 0.8 * size, 2.0 * size, 1.6 * size, k(inkPupil));
        c.Line(ex - 2.4 * size, ey - 0.2 * size, ex + 2.4 * size, ey - 0.2 * size, 0.6, k(inkPupil));
        break;
      case 2:
        c.Arc(ex, ey, 2.4 * size, 1.5 * size, 0.15 * Pi, 0.85 * Pi, 0.6, k(inkPupil));
        break;
      default:
        c.Arc(ex, ey + 1.2 * size, 2.4 * size, 2.2 * size, 1.15 * Pi, 1.85 * Pi, 0.6, k(inkPupil));
        break;
    }
  }
  double mx = cx + lx * 0.6, my = cy + 6.5 * size + ly * 0.5;
  switch (p.Mouth) {
    case 0: c.Arc(mx, my - 1.5 * size, 3.2 * size, 2.2 * size, 0.2 * Pi, 0.8 * Pi, 0.6, k(inkMouth)); break;
    case 1: c.FillEllipse(mx, my, 2.6 * size, 1.9 * size, k(inkMouth)); break;
    case 2: c.FillEllipse(mx, my, 1.9 * size, 2.4 * size, k(inkMouth)); break;
    default: c.Line(mx - 2 * size, my, mx + 2 * size, my, 0.6, k(inkMouth)); break;
  }
}
