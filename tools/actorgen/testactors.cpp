// Small actors for the tests: "Tiny", a valid one with the cases the reader and engine
// must handle (and records whose streams are malformed), and libraries that are not valid
// actors at all.
#include "controls/lzrw.h"
#include "rig.h"

namespace {

constexpr int W = 8, H = 6;
constexpr std::uint8_t T = 5;

// A frame: a filled block whose colour and size vary with k.
TFrame Frame(int k, std::uint8_t duration = 10) {
  TFrame f;
  f.Pixels.assign(W * H, T);
  for (int y = 1; y < H - (k % 2); ++y)
    for (int x = k % 3; x < W - 1; ++x) f.Pixels[static_cast<std::size_t>(y * W + x)] = static_cast<std::uint8_t>(1 + k % 4);
  f.Duration = duration;
  return f;
}

TAnimation Simple(const std::string& name, std::vector<int> categories, int frames) {
  TAnimation a;
  a.Name = name;
  a.Categories = std::move(categories);
  for (int k = 0; k < frames; ++k) a.Frames.push_back(Frame(k));
  return a;
}

void Put16(std::vector<std::uint8_t>& v, unsigned x) {
  v.push_back(static_cast<std::uint8_t>(x));
  v.push_back(static_cast<std::uint8_t>(x >> 8));
}

// A framed resource of the given blocks (each already a chunk).
std::vector<std::uint8_t> Framed(const std::vector<std::vector<std::uint8_t>>& blocks, unsigned lengthOverride = 0) {
  std::vector<std::uint8_t> out = {0, 0, 0, 0};
  for (const auto& b : blocks) {
    Put16(out, lengthOverride ? lengthOverride : static_cast<unsigned>(b.size()));
    out.insert(out.end(), b.begin(), b.end());
  }
  return out;
}

TAnimation Raw(const std::string& name) {
  TAnimation a;
  a.Name = name;
  return a;
}

TActor Base(const std::string& fileName) {
  TActor t;
  t.FileName = fileName;
  t.Name = fileName;
  t.Width = W;
  t.Height = H;
  t.Transparent = T;
  for (int i = 0; i < 256; ++i)
    t.Palette[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 7), 0};
  t.Palette[T] = {255, 0, 255, 0};
  return t;
}

}  // namespace

std::vector<TActor> TestActors() {
  TActor tiny = Base("Tiny");
  auto& a = tiny.Animations;
  a.push_back(Simple("Show", {CategoryShow}, 2));                // 1
  a.push_back(Simple("Hide", {CategoryHide}, 2));                // 2
  a.push_back(Simple("Idle A", {CategoryIdle1}, 2));             // 3
  a.push_back(Simple("Idle B", {CategoryIdle1, 12}, 3));         // 4
  a.push_back(Simple("Idle C", {CategoryIdle1}, 1));             // 5
  a.push_back(Simple("Rest", {CategoryRestPose}, 1));            // 6
  a.push_back(Simple("Dup", {}, 1));                             // 7
  a.push_back(Simple("DUP", {}, 1));                             // 8
  {
    TAnimation e = Simple("Endless", {}, 4);                     // 9: endless, leaves through frame 3
    e.Kind = KindExits;
    e.Frames[2].Branches[0] = {100, 0};
    for (int k = 0; k < 3; ++k) e.Frames[static_cast<std::size_t>(k)].Exit = {1, 3};
    e.Frames[0].Sound = 1;
    e.Frames[1].Sound = 2;
    a.push_back(e);
  }
  {
    // 10: a stream of exactly two blocks (frames padded out), ending with an empty block.
    TAnimation m = Simple("TwoBlocks", {}, 200);
    std::vector<std::uint8_t> s = AnimationStream(m, W, H);
    s.resize(2 * ActorBlockSize, 0xAB);
    m.RawStream = s;
    a.push_back(m);
  }
  // 11..: malformed streams (the header itself is fine).
  {
    TAnimation z = Raw("ZeroFrames");
    z.RawStream = std::vector<std::uint8_t>(64, 0);
    a.push_back(z);
    TAnimation big = Simple("TooManyFrames", {}, 1);
    std::vector<std::uint8_t> s(4 + 257 * (13 + W * H), T);
    s[0] = 1, s[1] = 1, s[2] = 0, s[3] = 0;  // 257
    big.RawStream = s;
    a.push_back(big);
    TAnimation b = Simple("BranchOutside", {}, 2);
    b.Frames[1].Branches[1] = {50, 9};
    a.push_back(b);
    TAnimation x = Simple("ExitOutside", {}, 2);
    x.Frames[0].Exit = {1, 2};
    a.push_back(x);
    TAnimation t = Simple("Truncated", {}, 3);
    std::vector<std::uint8_t> ts = AnimationStream(t, W, H);
    ts.resize(ts.size() - 1);
    t.RawStream = ts;
    a.push_back(t);
  }
  {
    TAnimation o = Raw("OversizedBlock");
    o.RawResource = Framed({std::vector<std::uint8_t>(40, 0x80)}, 32785);
    o.RawResource->resize(4 + 2 + 32785, 0);
    a.push_back(o);
    // A compressed block of nine runs of 4095 bytes: past the 32768 a block may hold.
    std::vector<std::uint8_t> runs = {LzrwCompressedFlag, 0xFF, 0x80};
    for (int i = 0; i < 9; ++i) runs.insert(runs.end(), {0, 0x0F, 0xEF, 0x11});
    TAnimation v = Raw("Overflow");
    v.RawResource = Framed({runs});
    a.push_back(v);
    TAnimation c = Raw("CopyBeforeStart");
    c.RawResource = Framed({{LzrwCompressedFlag, 0x80, 0x00, 0x00, 0x50}});
    a.push_back(c);
    TAnimation m = Simple("MissingResource", {}, 1);
    m.NoResource = true;
    a.push_back(m);
    TAnimation e = Raw("EndsEarly");
    std::vector<std::uint8_t> full(ActorBlockSize + 1, 0x33);
    full[0] = LzrwStoredFlag;
    e.RawResource = Framed({full});
    a.push_back(e);
  }
  tiny.Sounds = {{1, "bell.wav"}, {2, "bleat.wav"}};

  std::vector<TActor> all = {tiny};
  // Walker: shows, hides, rests, idles and walks in all eight directions; each walk loops
  // endlessly and leaves through its last frame.
  TActor w = Base("Walker");
  w.Animations.push_back(Simple("Show", {CategoryShow}, 2));     // 1
  w.Animations.push_back(Simple("Hide", {CategoryHide}, 2));     // 2
  w.Animations.push_back(Simple("Rest", {CategoryRestPose}, 1)); // 3
  w.Animations.push_back(Simple("Idle", {CategoryIdle1, CategoryIdle1 + 1, CategoryIdle3}, 2));  // 4
  for (int c = CategoryMoveFirst; c < CategoryMoveFirst + 8; ++c) {  // 5..12
    TAnimation m = Simple("Move" + std::to_string(c), {c}, 4);
    m.Kind = KindExits;
    m.Frames[2].Branches[0] = {100, 0};
    for (int k = 0; k < 3; ++k) m.Frames[static_cast<std::size_t>(k)].Exit = {1, 3};
    w.Animations.push_back(m);
  }
  all.push_back(w);
  // NoShow: no show animation; rest and hide only.
  TActor ns = Base("NoShow");
  ns.Animations.push_back(Simple("Rest", {CategoryRestPose}, 1));  // 1
  ns.Animations.push_back(Simple("Hide", {CategoryHide}, 2));      // 2
  all.push_back(ns);
  TActor v = Base("BadVersion");
  v.Version = 199;
  v.Animations.push_back(Simple("Rest", {CategoryRestPose}, 1));
  all.push_back(v);
  TActor n = Base("NoAnimations");
  all.push_back(n);
  TActor t = Base("TruncatedHeader");
  t.Animations.push_back(Simple("Rest", {CategoryRestPose}, 1));
  t.CountInHeader = 60000;  // records far past the end of the library's image
  all.push_back(t);
  TActor z = Base("NullHeader");
  z.Animations.push_back(Simple("Rest", {CategoryRestPose}, 1));
  z.Export = TExport::Null;
  all.push_back(z);
  TActor x = Base("NoExport");
  x.Animations.push_back(Simple("Rest", {CategoryRestPose}, 1));
  x.Export = TExport::None;
  all.push_back(x);
  TActor d = Base("NotALibrary");
  d.NotALibrary = true;
  all.push_back(d);
  return all;
}
