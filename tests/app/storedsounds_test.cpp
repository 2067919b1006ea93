// Stored sounds: their round trip through a form stream and how they play from memory.
#include <gtest/gtest.h>

#include <memory>

#include "app/storedsounds.h"
#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "fake_sound.h"

namespace {

std::unique_ptr<TDskWaveHolder> Read(const String& text) {
  TStringStream in(text), binary;
  ObjectTextToBinary(&in, &binary);
  binary.SetPosition(0);
  TReader reader(&binary);
  return std::unique_ptr<TDskWaveHolder>(static_cast<TDskWaveHolder*>(reader.ReadRootComponent(nullptr)));
}

String AsText(TComponent* root) {
  TStringStream binary, text;
  TWriter(&binary).WriteRootComponent(root);
  binary.SetPosition(0);
  ObjectBinaryToText(&binary, &text);
  return text.DataString();
}

// The about box's sound, a looped one, one that waits, an empty one; one external file.
const char* const kHolder =
    "object DskWaveHolder1: TDskWaveHolder\r\n"
    "  Internals = <\r\n"
    "    item\r\n"
    "      Looped = False\r\n"
    "      Wave = 'Wazzap.wav'\r\n"
    "      FileContents = {\r\n"
    "        52494646}\r\n"
    "    end\r\n"
    "    item\r\n"
    "      Looped = True\r\n"
    "      FileContents = {\r\n"
    "        5249464601}\r\n"
    "    end\r\n"
    "    item\r\n"
    "      Asynchronous = False\r\n"
    "      Looped = True\r\n"
    "      FileContents = {\r\n"
    "        5249464602}\r\n"
    "    end\r\n"
    "    item\r\n"
    "      Looped = False\r\n"
    "      FileContents = {}\r\n"
    "    end>\r\n"
    "  Externals = <\r\n"
    "    item\r\n"
    "      Asynchronous = False\r\n"
    "      WavFileName = 'C:\\Ring\\Утро.wav'\r\n"
    "    end>\r\n"
    "end\r\n";

TEST(DskWaveHolder, RoundTripsThroughTheFormStream) {
  auto holder = Read(kHolder);
  ASSERT_EQ(holder->GetInternals()->Count(), 4);
  TDskInternalWave* first = holder->GetInternals()->Items(0);
  EXPECT_EQ(first->GetWave(), "Wazzap.wav");
  EXPECT_TRUE(first->Asynchronous);
  EXPECT_FALSE(first->Looped);
  EXPECT_EQ(StreamToString(first->Contents()), "RIFF");
  // Written back as it was: every internal wave with its bytes, the empty one with none.
  EXPECT_EQ(AsText(holder.get()), kHolder);
  first->SetWave("Other.wav");  // read-only outside loading
  EXPECT_EQ(first->GetDisplayName(), "Wazzap.wav");
  EXPECT_EQ(holder->GetInternals()->Items(1)->GetDisplayName(), "No Wave Stored");
  TDskExternalWave* external = holder->GetExternals()->Items(0);
  EXPECT_EQ(external->GetDisplayName(), "Утро.wav");
  external->WavFileName.clear();
  EXPECT_EQ(external->GetDisplayName(), "No Wave specified");
}

TEST(DskWaveHolder, AssignCopiesAndASoundAssignedToItselfStays) {
  auto holder = Read(kHolder);
  TDskInternalWave* first = holder->GetInternals()->Items(0);
  first->Assign(first);
  EXPECT_EQ(StreamToString(first->Contents()), "RIFF");
  EXPECT_EQ(first->GetWave(), "Wazzap.wav");
  TDskWaveHolder copy(nullptr);
  copy.SetInternals(holder->GetInternals());
  copy.SetExternals(holder->GetExternals());
  EXPECT_EQ(copy.GetInternals()->Items(0)->GetWave(), "Wazzap.wav");
  EXPECT_EQ(StreamToString(copy.GetInternals()->Items(2)->Contents()), String("RIFF\x02", 5));
  EXPECT_EQ(copy.GetExternals()->Items(0)->WavFileName, "C:\\Ring\\Утро.wav");
  EXPECT_FALSE(copy.GetExternals()->Items(0)->Asynchronous);
  EXPECT_THROW(copy.GetExternals()->Items(0)->Assign(first), EConvertError);
}

TEST(DskWaveHolder, PlaysFromMemoryWithTheSystemsFlags) {
  horavox::test::TFakeSoundOutput output;
  auto holder = Read(kHolder);
  struct Case {
    int index;
    bool played;
    unsigned flags;  // as the system gets them: SND_MEMORY | SND_NODEFAULT ...
    String wave;     // the bytes it got
  } cases[] = {{0, true, 7, "RIFF"},
               {1, true, 15, String("RIFF\x01", 5)},
               {2, true, 6, String("RIFF\x02", 5)},
               {3, false, 0, ""},
               {4, false, 0, ""},
               {-1, false, 0, ""}};
  for (const Case& c : cases) {
    output.Played.clear();
    EXPECT_EQ(holder->PlayInternalWave(c.index), c.played) << c.index;
    ASSERT_EQ(output.Played.size(), c.played ? 1u : 0u) << c.index;
    if (c.played) {
      EXPECT_EQ(output.Played[0].Flags, c.flags) << c.index;
      EXPECT_EQ(output.Played[0].Wave, c.wave) << c.index;
    }
  }
  output.Accept = false;
  EXPECT_FALSE(holder->PlayInternalWave(0));
}

TEST(DskWaveHolder, AnAsynchronousSoundOutlivesItsHolder) {
  horavox::test::TFakeSoundOutput output;
  auto holder = Read(kHolder);
  ASSERT_TRUE(holder->PlayInternalWave(1));
  holder.reset();
  // The system still reads the sound: its bytes are still there.
  EXPECT_EQ(output.ReadPlaying(), String("RIFF\x01", 5));
}

}  // namespace
