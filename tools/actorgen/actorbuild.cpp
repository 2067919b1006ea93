#include "actorbuild.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "classlib/core/codepage.h"
#include "controls/lzrw.h"

namespace {

void Put16(std::vector<std::uint8_t>& v, unsigned x) {
  v.push_back(static_cast<std::uint8_t>(x));
  v.push_back(static_cast<std::uint8_t>(x >> 8));
}

void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

// Names are code page 1251 in the header, one byte a letter.
void PutShortString(std::vector<std::uint8_t>& v, const std::string& s, std::size_t max) {
  std::string bytes = Utf8ToCp1251(s);
  if (bytes.size() > max) throw Exception("Name too long: " + s);
  v.push_back(static_cast<std::uint8_t>(bytes.size()));
  v.insert(v.end(), bytes.begin(), bytes.end());
  v.insert(v.end(), max - bytes.size(), 0);
}

void WriteFile(const std::string& path, const void* data, std::size_t size) {
  std::ofstream f(path, std::ios::binary);
  f.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!f) throw Exception("Cannot write " + path);
}

void WriteText(const std::string& path, const std::string& text) { WriteFile(path, text.data(), text.size()); }

std::uint16_t StreamId(std::size_t record) { return static_cast<std::uint16_t>(100 + record); }

}  // namespace

std::vector<std::uint8_t> AnimationStream(const TAnimation& a, int width, int height) {
  if (a.RawStream) return *a.RawStream;
  std::vector<std::uint8_t> s;
  Put32(s, static_cast<std::uint32_t>(a.Frames.size()));
  for (const TFrame& f : a.Frames) Put16(s, f.Sound);
  for (const TFrame& f : a.Frames) s.push_back(f.Duration);
  for (const TFrame& f : a.Frames)
    for (const TBranch& b : f.Branches) s.insert(s.end(), {b.Percent, b.Target});
  for (const TFrame& f : a.Frames) s.insert(s.end(), {f.Exit.Percent, f.Exit.Target});
  // One strip: row y of every frame side by side.
  for (int y = 0; y < height; ++y)
    for (const TFrame& f : a.Frames) {
      auto row = f.Pixels.begin() + static_cast<std::ptrdiff_t>(y) * width;
      s.insert(s.end(), row, row + width);
    }
  return s;
}

std::vector<std::uint8_t> FrameActorStream(const std::vector<std::uint8_t>& stream) {
  std::vector<std::uint8_t> out;
  Put32(out, static_cast<std::uint32_t>(stream.size()));
  std::vector<std::uint8_t> chunk(LzrwCompressBound(ActorBlockSize));
  // The first block shorter than a full one ends the stream: an exact multiple ends with
  // an empty block.
  for (std::size_t at = 0;; at += ActorBlockSize) {
    std::size_t n = std::min(ActorBlockSize, stream.size() - at);
    std::size_t len = Lzrw1KhCompress(stream.data() + at, chunk.data(), n);
    Put16(out, static_cast<unsigned>(len));
    out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(len));
    if (n < ActorBlockSize) break;
  }
  return out;
}

std::vector<std::uint8_t> ActorHeaderBytes(const TActor& actor) {
  std::vector<std::uint8_t> h;
  Put16(h, actor.Version);
  PutShortString(h, actor.Name, ActorNameMax);
  Put16(h, static_cast<unsigned>(actor.Width));
  Put16(h, static_cast<unsigned>(actor.Height));
  Put16(h, 0x300);
  Put16(h, 256);
  for (const TPaletteEntry& e : actor.Palette) h.insert(h.end(), {e.Red, e.Green, e.Blue, e.Flags});
  h.push_back(actor.Transparent);
  Put16(h, actor.CountInHeader ? *actor.CountInHeader : static_cast<unsigned>(actor.Animations.size()));
  for (std::size_t i = 0; i < actor.Animations.size(); ++i) {
    const TAnimation& a = actor.Animations[i];
    PutShortString(h, a.Name, AnimationNameMax);
    Put16(h, StreamId(i + 1));
    std::array<std::uint8_t, 10> set{};
    for (int c : a.Categories) set[static_cast<std::size_t>(c / 8)] |= static_cast<std::uint8_t>(1 << (c % 8));
    h.insert(h.end(), set.begin(), set.end());
    h.push_back(a.Kind);
    Put16(h, a.Return);
  }
  return h;
}

void CheckActor(const TActor& actor) {
  std::vector<std::uint8_t> bytes = ActorHeaderBytes(actor);
  TActorHeader header;
  if (!ParseActorHeader(bytes.data(), bytes.size(), header)) throw Exception(actor.Name + ": header not valid");
  for (std::size_t i = 0; i < actor.Animations.size(); ++i) {
    const TAnimation& a = actor.Animations[i];
    std::string where = actor.Name + " " + std::to_string(i + 1) + " " + a.Name + ": ";
    std::size_t f = a.Frames.size();
    for (std::size_t k = 0; k < f; ++k) {
      const TFrame& fr = a.Frames[k];
      if (fr.Pixels.size() != static_cast<std::size_t>(actor.Width * actor.Height)) throw Exception(where + "frame size");
      if (fr.Exit.Percent && fr.Exit.Target <= k) throw Exception(where + "an exit that does not lead forward");
      int sum = 0;
      for (const TBranch& b : fr.Branches) sum += b.Percent;
      if (sum > 100) throw Exception(where + "branches above 100 percent");
      // A sure branch back over frames that are all undrawn would spin without a wait.
      for (const TBranch& b : fr.Branches)
        if (b.Percent == 100 && b.Target <= k) {
          bool drawn = false;
          for (std::size_t j = b.Target; j <= k; ++j) drawn |= a.Frames[j].Duration > 0;
          if (!drawn) throw Exception(where + "a loop of undrawn frames");
        }
      if (fr.Sound && std::none_of(actor.Sounds.begin(), actor.Sounds.end(), [&](const TSound& s) { return s.Id == fr.Sound; }))
        throw Exception(where + "a sound that the library lacks");
    }
    if (a.Kind == KindReturns && (a.Return < 1 || a.Return > actor.Animations.size())) throw Exception(where + "no return animation");
    // Read the written resource back as the reader will.
    std::vector<std::uint8_t> stream = AnimationStream(a, actor.Width, actor.Height);
    std::vector<std::uint8_t> framed = FrameActorStream(stream);
    TStringStream source(std::string(framed.begin(), framed.end()));
    TStringStream decoded;
    DecompressStream(&source, &decoded);
    if (decoded.DataString() != std::string(stream.begin(), stream.end())) throw Exception(where + "framing does not read back");
    TActorAnimation back = ParseAnimationStream(stream.data(), stream.size(), actor.Width, actor.Height);
    for (std::size_t k = 0; k < f; ++k)
      for (int y = 0; y < actor.Height; ++y)
        if (!std::equal(back.FrameRow(k, y), back.FrameRow(k, y) + actor.Width,
                        a.Frames[k].Pixels.begin() + static_cast<std::ptrdiff_t>(y) * actor.Width))
          throw Exception(where + "pixels do not read back");
  }
}

void WriteActorSources(const TActor& actor, const std::string& dir) {
  const std::string base = dir + "/" + actor.FileName;
  if (actor.NotALibrary) {
    WriteText(base + ".aal", "This is a text file, not an actor library.\r\n");
    return;
  }
  std::vector<std::uint8_t> header = ActorHeaderBytes(actor);
  std::ostringstream c;
  c << "/* Generated by actorgen: the actor header of " << actor.FileName << ". */\n"
    << "static const unsigned char header[" << header.size() << "] = {";
  for (std::size_t i = 0; i < header.size(); ++i) c << (i % 24 ? "" : "\n ") << static_cast<int>(header[i]) << ",";
  c << "\n};\n\n";
  switch (actor.Export) {
    case TExport::Header:
      c << "__declspec(dllexport) const void* GetActorInfo(void) { return header; }\n";
      break;
    case TExport::Null:
      c << "__declspec(dllexport) const void* GetActorInfo(void) { (void)header; return 0; }\n";
      break;
    case TExport::None:
      c << "__declspec(dllexport) const void* ActorData(void) { return header; }\n";
      break;
  }
  c << "\nint __stdcall DllEntry(void* module, unsigned long reason, void* reserved) {\n"
       "  (void)module; (void)reason; (void)reserved;\n  return 1;\n}\n";
  WriteText(base + ".c", c.str());

  std::ostringstream rc;
  // Resource 1 names the library's maker (and keeps windres content when there is nothing else).
  rc << "// Generated by actorgen: the animation streams and frame sounds of " << actor.FileName << ".\n"
     << "1 RCDATA { \"Horavox actor library\\0\" }\n";
  for (std::size_t i = 0; i < actor.Animations.size(); ++i) {
    const TAnimation& a = actor.Animations[i];
    if (a.NoResource) continue;
    std::vector<std::uint8_t> framed = a.RawResource ? *a.RawResource : FrameActorStream(AnimationStream(a, actor.Width, actor.Height));
    std::string bin = actor.FileName + "_" + std::to_string(StreamId(i + 1)) + ".bin";
    WriteFile(dir + "/" + bin, framed.data(), framed.size());
    rc << StreamId(i + 1) << " RCDATA \"" << bin << "\"\n";
  }
  for (const TSound& s : actor.Sounds) rc << s.Id << " WAVE \"" << s.File << "\"\n";
  WriteText(base + ".rc", rc.str());
}

void WriteContactSheet(const TActor& actor, const std::string& path, std::size_t maxFramesPerRow) {
  const int gap = 4, w = actor.Width, h = actor.Height;
  std::size_t cols = 1;
  for (const TAnimation& a : actor.Animations) cols = std::max(cols, std::min(a.Frames.size(), maxFramesPerRow));
  const int sheetW = static_cast<int>(cols) * (w + gap) + gap;
  const int sheetH = static_cast<int>(actor.Animations.size()) * (h + gap) + gap;
  const int stride = (sheetW * 3 + 3) / 4 * 4;
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride) * static_cast<std::size_t>(sheetH), 255);
  auto put = [&](int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    std::uint8_t* p = bits.data() + static_cast<std::size_t>(sheetH - 1 - y) * static_cast<std::size_t>(stride) + static_cast<std::size_t>(x) * 3;
    p[0] = b, p[1] = g, p[2] = r;
  };
  for (std::size_t row = 0; row < actor.Animations.size(); ++row) {
    const TAnimation& a = actor.Animations[row];
    for (std::size_t k = 0; k < std::min(a.Frames.size(), cols); ++k) {
      int ox = gap + static_cast<int>(k) * (w + gap), oy = gap + static_cast<int>(row) * (h + gap);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          std::uint8_t i = a.Frames[k].Pixels[static_cast<std::size_t>(y * w + x)];
          if (i == actor.Transparent) {
            std::uint8_t g = ((x / 8 + y / 8) % 2) ? 214 : 228;  // a checker shows the transparent pixels
            put(ox + x, oy + y, g, g, g);
          } else {
            put(ox + x, oy + y, actor.Palette[i].Red, actor.Palette[i].Green, actor.Palette[i].Blue);
          }
        }
    }
  }
  std::vector<std::uint8_t> file;
  std::uint32_t size = static_cast<std::uint32_t>(54 + bits.size());
  file.insert(file.end(), {'B', 'M'});
  Put32(file, size);
  Put32(file, 0);
  Put32(file, 54);
  Put32(file, 40);
  Put32(file, static_cast<std::uint32_t>(sheetW));
  Put32(file, static_cast<std::uint32_t>(sheetH));
  Put16(file, 1);
  Put16(file, 24);
  Put32(file, 0);
  Put32(file, static_cast<std::uint32_t>(bits.size()));
  for (int i = 0; i < 4; ++i) Put32(file, 0);
  file.insert(file.end(), bits.begin(), bits.end());
  WriteFile(path, file.data(), file.size());
}
