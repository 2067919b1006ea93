#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "controls/kitstreams.h"
#include "controls/kitwave.h"
#include "fake_sound.h"
#include "test_paths.h"

namespace {

struct WaveSpec {
  int Channels = 1;
  std::uint32_t Rate = 11025;
  int Bits = 8;
  int Tag = 1;
  const char* Riff = "RIFF";
  const char* Wave = "WAVE";
  const char* Fmt = "fmt ";
  std::size_t Samples = 64;
};

void Put(std::string& s, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
}

// A wave file image: the RIFF header, a 16-byte format chunk and a data chunk of samples.
std::string MakeWave(const WaveSpec& w) {
  std::string data;
  for (std::size_t i = 0; i < w.Samples; ++i) data += static_cast<char>(i * 7);
  std::uint32_t align = static_cast<std::uint32_t>(w.Channels * w.Bits / 8);
  std::string s = w.Riff;
  Put(s, static_cast<std::uint32_t>(36 + data.size()), 4);
  s += w.Wave;
  s += w.Fmt;
  Put(s, 16, 4);
  Put(s, static_cast<std::uint32_t>(w.Tag), 2);
  Put(s, static_cast<std::uint32_t>(w.Channels), 2);
  Put(s, w.Rate, 4);
  Put(s, w.Rate * align, 4);
  Put(s, align, 2);
  Put(s, static_cast<std::uint32_t>(w.Bits), 2);
  s += "data";
  Put(s, static_cast<std::uint32_t>(data.size()), 4);
  return s + data;
}

std::string Bytes(const TKitWave& w) {
  if (!w.Data()) return {};
  return std::string(static_cast<const char*>(w.Data()->Memory()), static_cast<std::size_t>(w.Size()));
}

std::string TempPath(const char* Name) {
  return (std::filesystem::path(horavox::test::TempDir()) / Name).string();
}

std::uint32_t U32At(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(s[at + static_cast<std::size_t>(i)]);
  return v;
}

void WriteFile(const std::string& Name, const std::string& Bytes) {
  TFileStream f(Name, fmCreate);
  f.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
}

void Load(TKitWave& w, const std::string& image) {
  TStringStream s(image);
  w.LoadFromStream(&s);
}

TEST(CheckWave, ReadsTheHeaderOrRefusesIt) {
  struct Case {
    const char* what;
    std::string image;
    bool valid;
    int mode, pcm, bits;
    std::uint32_t rate;
  } cases[] = {
      {"8-bit mono", MakeWave({}), true, 1, 1, 8, 11025},
      {"16-bit stereo", MakeWave({.Channels = 2, .Rate = 44100, .Bits = 16}), true, 2, 1, 16, 44100},
      {"3 channels", MakeWave({.Channels = 3, .Bits = 16}), true, 0, 1, 16, 11025},
      {"float samples", MakeWave({.Bits = 32, .Tag = 3}), true, 1, 0, 32, 11025},
      {"RIFX", MakeWave({.Riff = "RIFX"}), false, 0, 0, 0, 0},
      {"no WAVE", MakeWave({.Wave = "AVI "}), false, 0, 0, 0, 0},
      {"LIST in place of fmt", MakeWave({.Fmt = "LIST"}), false, 0, 0, 0, 0},
      {"10 bytes", MakeWave({}).substr(0, 10), false, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    TStringStream s(c.image);
    s.SetPosition(5);
    TKitWaveInfo info;
    ASSERT_EQ(CheckWave(&s, info), c.valid) << c.what;
    EXPECT_EQ(s.GetPosition(), 0) << c.what;
    if (!c.valid) continue;
    EXPECT_EQ(info.ChannelMode, c.mode) << c.what;
    EXPECT_EQ(info.PCM, c.pcm) << c.what;
    EXPECT_EQ(info.BitsPerSample, c.bits) << c.what;
    EXPECT_EQ(info.SampleRate, c.rate) << c.what;
    EXPECT_EQ(info.RiffSize, c.image.size() - 8) << c.what;
  }
  TStringStream empty;
  TKitWaveInfo info;
  EXPECT_FALSE(CheckWave(&empty, info));
}

TEST(Wave, RefusesWhatIsNoWaveAndKeepsItsSound) {
  TKitWave w;
  std::string first = MakeWave({});
  Load(w, first);
  TStringStream rifx(MakeWave({.Riff = "RIFX"}));
  EXPECT_THROW(w.LoadFromStream(&rifx), EInvalidWave);
  EXPECT_EQ(Bytes(w), first);

  std::string name = TempPath("kitwave-rifx.wav");
  WriteFile(name, MakeWave({.Riff = "RIFX"}));
  try {
    w.LoadFromFile(name);
    ADD_FAILURE() << "no error";
  } catch (const EInvalidWave& e) {
    EXPECT_EQ(e.Message, "TKitWave: Не могу открыть файл " + name);
  }
  EXPECT_EQ(Bytes(w), first);
  std::remove(name.c_str());
}

TEST(Wave, LoadsAndSavesFiles) {
  std::string name = TempPath("kitwave-file.wav");
  std::string image = MakeWave({.Channels = 2, .Bits = 16});
  WriteFile(name, image);
  TKitWave w(name);
  EXPECT_EQ(Bytes(w), image);
  std::string copy = TempPath("kitwave-copy.wav");
  w.SaveToFile(copy);
  TKitWave back(copy);
  EXPECT_EQ(Bytes(back), image);

  WriteFile(name, "");  // an empty file clears the wave
  w.LoadFromFile(name);
  EXPECT_TRUE(w.Empty());
  EXPECT_EQ(w.Size(), 0);
  std::remove(name.c_str());
  std::remove(copy.c_str());
}

TEST(Wave, ASizedImageMustFitItsSource) {
  TKitWave w;
  Load(w, MakeWave({}));
  std::string before = Bytes(w);
  std::string sized;
  Put(sized, 1000000, 4);
  sized += MakeWave({});
  TStringStream s(sized);
  EXPECT_THROW(ReadUncompressed(&w, &s), EReadError);
  EXPECT_EQ(Bytes(w), before);

  // A size of 0 leaves the wave as it is.
  TStringStream zero(std::string(4, '\0'));
  ReadUncompressed(&w, &zero);
  EXPECT_EQ(Bytes(w), before);
}

TEST(Wave, FlaggedFormsRoundTripByteForByte) {
  for (std::size_t samples : {std::size_t{64}, std::size_t{70000}}) {
    for (bool compressed : {false, true}) {
      TKitWave w;
      Load(w, MakeWave({.Samples = samples}));
      TStringStream s("x");
      s.Seek(0, soEnd);
      WriteFlaggedWave(&s, &w, compressed);
      // Sized: the image's size, then the image; compressed: the block stream's total.
      EXPECT_EQ(U32At(s.DataString(), 1), s.DataString().size() - 5) << compressed;
      if (!compressed) {
        EXPECT_EQ(U32At(s.DataString(), 1), samples + 44);
      }
      s.SetPosition(1);
      TKitWave back;
      ReadFlaggedWave(&s, &back, compressed);
      EXPECT_EQ(Bytes(back), Bytes(w)) << samples << compressed;
      EXPECT_EQ(s.GetPosition(), s.GetSize());
    }
  }
}

TEST(Wave, AnEmptyWaveWritesASizeOfZero) {
  TKitWave w;
  TStringStream s;
  WriteUncompressed(&w, &s);
  EXPECT_EQ(s.DataString(), std::string(4, '\0'));
  TStringStream c;
  TKitWave e;
  WriteFlaggedWave(&c, &e, true);
  c.SetPosition(0);
  Load(e, MakeWave({}));
  ReadFlaggedWave(&c, &e, true);  // an empty image clears
  EXPECT_TRUE(e.Empty());
}

class TWaveHolder : public TComponent {
  HX_CLASS(TWaveHolder, TComponent)
 public:
  explicit TWaveHolder(TComponent* AOwner) : TComponent(AOwner) {}
  TKitWave* GetWave() const { return FWave.get(); }
  void SetWave(TKitWave* Value) { FWave->Assign(Value); }

 private:
  std::unique_ptr<TKitWave> FWave = std::make_unique<TKitWave>();
};

}  // namespace

HX_PUBLISH(TWaveHolder, p) { p.Property("Wave", &TWaveHolder::GetWave, &TWaveHolder::SetWave); }

namespace {

std::string FormOf(TComponent* Root) {
  TStringStream s;
  TWriter writer(&s);
  writer.WriteRootComponent(Root);
  return s.DataString();
}

TEST(Wave, IsStoredInItsFormOnlyOnceItHeldData) {
  TWaveHolder holder(nullptr);
  holder.SetName("Holder");
  EXPECT_EQ(FormOf(&holder).find("Wave.Data"), std::string::npos);

  TKitWave empty;
  holder.SetWave(&empty);  // an assigned empty wave has an empty image: "Data" of size 0
  std::string form = FormOf(&holder);
  std::size_t at = form.find("Wave.Data");
  ASSERT_NE(at, std::string::npos);
  // vaBinary, its length 4, then the wave's own size 0.
  EXPECT_EQ(form.substr(at + 9, 9), std::string("\x0a\x04\x00\x00\x00\x00\x00\x00\x00", 9));

  std::string image = MakeWave({.Channels = 2, .Bits = 16});
  Load(*holder.GetWave(), image);
  TStringStream s(FormOf(&holder));
  TReader reader(&s);
  std::unique_ptr<TComponent> back(reader.ReadRootComponent(nullptr));
  EXPECT_EQ(Bytes(*dynamic_cast<TWaveHolder&>(*back).GetWave()), image);
}

TEST(Wave, PlaysFromMemoryAndStopsBeforeItsImageGoes) {
  horavox::test::TFakeSoundOutput out;
  TKitWave empty;
  EXPECT_FALSE(empty.Play(true, false));
  EXPECT_TRUE(out.Played.empty());

  std::string image = MakeWave({});
  struct Case {
    bool async, looped;
    unsigned flags;
  } cases[] = {{false, false, 6}, {false, true, 6}, {true, false, 7}, {true, true, 15}};
  for (const Case& c : cases) {
    TKitWave w;
    Load(w, image);
    out.Played.clear();
    EXPECT_TRUE(w.Play(c.async, c.looped));
    ASSERT_EQ(out.Played.size(), 1u);
    EXPECT_EQ(out.Played[0].Flags, c.flags);
    EXPECT_EQ(out.Played[0].Wave, image);
  }

  auto playing = [&](TKitWave& w) {
    Load(w, image);
    w.Play(true, true);
    EXPECT_EQ(out.ReadPlaying(), image);
    return out.Stops;
  };
  TKitWave w;
  int stops = playing(w);
  w.Clear();
  EXPECT_GT(out.Stops, stops);
  EXPECT_EQ(out.ReadPlaying(), "");

  stops = playing(w);
  TKitWave other;
  Load(other, MakeWave({.Samples = 10}));
  w.Assign(&other);
  EXPECT_GT(out.Stops, stops);
  EXPECT_EQ(Bytes(w), Bytes(other));

  w.Assign(&w);  // to itself: unchanged
  EXPECT_EQ(Bytes(w), Bytes(other));

  auto gone = std::make_unique<TKitWave>();
  stops = playing(*gone);
  gone.reset();
  EXPECT_GT(out.Stops, stops);
  EXPECT_EQ(out.ReadPlaying(), "");
}

}  // namespace
