#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "assistant/actor.h"
#include "classlib/core/random.h"
#include "classlib/core/unicode.h"
#include "test_paths.h"

namespace {

std::string Character(const std::string& name) { return std::string(HORAVOX_ACTOR_DIR) + "/" + name + ".aal"; }
std::string TestActor(const std::string& name) { return std::string(HORAVOX_TEST_ACTOR_DIR) + "/" + name + ".aal"; }

// Every frame's total time in 1/100 s, and whether some frame loops back for ever.
struct TFlow {
  int Duration = 0;
  bool Endless = false, HasExits = false, HasChances = false, HasUndrawn = false, HasSound = false;
};

TFlow Flow(const TActorAnimation& a) {
  TFlow f;
  for (std::size_t k = 0; k < a.FrameCount; ++k) {
    f.Duration += a.Durations[k];
    f.HasUndrawn |= a.Durations[k] == 0;
    f.HasExits |= a.Exits[k].Percent != 0;
    f.HasSound |= a.Sounds[k] != 0;
    for (const TBranch& b : a.Branches[k]) {
      f.Endless |= b.Percent == 100 && b.Target <= k;
      f.HasChances |= b.Percent > 0 && b.Percent < 100;
    }
  }
  return f;
}

struct TCharacterCase {
  const char* file;
  const char* name;
  int width, height, transparent;
  std::vector<int> moves;  // the move categories it has
};

const TCharacterCase Characters[] = {
    {"Angel", "Angel", 100, 120, 0, {46, 47, 48, 49, 50, 51, 52, 53}},
    {"Ann", "Ann", 96, 128, 255, {46, 49, 50, 51}},
    {"Dolly", "Dolly", 120, 96, 7, {46, 47, 48, 49, 50, 51, 52, 53}},
};

TEST(Characters, OpenWithTheirNamesSizesAndPalettes) {
  for (const TCharacterCase& c : Characters) {
    TAssistantActor actor;
    actor.SetFileName(Character(c.file));
    ASSERT_FALSE(actor.IsClosed()) << c.file;
    EXPECT_EQ(actor.ActorName(), c.name);
    EXPECT_EQ(actor.FrameWidth(), c.width) << c.file;
    EXPECT_EQ(actor.FrameHeight(), c.height) << c.file;
    EXPECT_EQ(actor.TransparentIndex(), c.transparent) << c.file;
    EXPECT_EQ(actor.TransparentColor(), RGB(255, 0, 255)) << c.file;
    EXPECT_NE(actor.Palette(), nullptr);
    PALETTEENTRY e{};
    ASSERT_EQ(GetPaletteEntries(actor.Palette(), static_cast<UINT>(c.transparent), 1, &e), 1u);
    EXPECT_EQ(RGB(e.peRed, e.peGreen, e.peBlue), RGB(255, 0, 255));
    EXPECT_GE(actor.AnimationCount(), 20) << c.file;
    EXPECT_FALSE(actor.Animation(0));
    EXPECT_FALSE(actor.Animation(actor.AnimationCount() + 1));
    // Names are found in any letter case.
    EXPECT_EQ(actor.IndexOfName("restpose"), actor.IndexOfName("RestPose"));
    EXPECT_EQ(actor.IndexOfName("RESTPOSE"), actor.FindAnimation(CategoryRestPose, 1));
    EXPECT_EQ(actor.IndexOfName(""), 0);
    EXPECT_GT(actor.IndexOfName("getattentionreturn"), 0) << c.file;
  }
}

TEST(Characters, HaveEveryAnimationTheClockAndTheDirectorAskFor) {
  for (const TCharacterCase& c : Characters) {
    SCOPED_TRACE(c.file);
    TAssistantActor actor;
    actor.SetFileName(Character(c.file));
    auto flow = [&](int record) { return Flow(actor.ReadAnimation(record)); };
    // Show, hide and the rest pose finish by themselves.
    for (int category : {CategoryShow, CategoryHide, CategoryRestPose}) {
      int record = actor.FindAnimation(category, 1);
      ASSERT_GT(record, 0) << category;
      EXPECT_FALSE(flow(record).Endless) << category;
    }
    // Idle levels 1 to 3; level 1 has three members, level 3 a long doze and an endless sleep.
    std::vector<int> idle1;
    for (int i = 1; i <= actor.AnimationCount(); ++i)
      if (actor.Animation(i)->HasCategory(CategoryIdle1)) idle1.push_back(i);
    ASSERT_EQ(idle1.size(), 3u);
    EXPECT_EQ(actor.FindAnimation(CategoryIdle1, 3), idle1[2]);
    EXPECT_EQ(actor.FindAnimation(CategoryIdle1, 4), idle1[0]);
    EXPECT_EQ(actor.FindAnimation(CategoryIdle1, 6), idle1[0]);
    EXPECT_GT(actor.FindAnimation(CategoryIdle1 + 1, 1), 0);
    TFlow doze = flow(actor.FindAnimation(CategoryIdle3, 1)), sleep = flow(actor.FindAnimation(CategoryIdle3, 2));
    EXPECT_FALSE(doze.Endless);
    EXPECT_GE(doze.Duration, 300);
    EXPECT_TRUE(sleep.Endless);
    EXPECT_TRUE(sleep.HasExits);
    SetRandSeed(3);
    std::set<int> idle;
    for (int i = 0; i < 100; ++i) idle.insert(actor.FindAnimation(CategoryIdle1, 0));
    EXPECT_EQ(idle, std::set<int>(idle1.begin(), idle1.end()));
    // Moves: endless walks with exit frames, in the directions the character has.
    for (int category = 46; category <= 53; ++category) {
      bool has = std::count(c.moves.begin(), c.moves.end(), category) > 0;
      int record = actor.FindAnimation(category, 1);
      EXPECT_EQ(record > 0, has) << category;
      if (record) {
        TFlow walk = flow(record);
        EXPECT_TRUE(walk.Endless && walk.HasExits && walk.HasSound) << category;
      }
    }
    // Records the clock plays by number: 3 short, 4 returns to the rest pose, 6 speaks on.
    TFlow greet = flow(3), bow = flow(4), speak = flow(6);
    EXPECT_FALSE(greet.Endless);
    EXPECT_LE(greet.Duration, 60);
    EXPECT_TRUE(greet.HasSound);
    EXPECT_FALSE(bow.Endless);
    EXPECT_LE(bow.Duration, 250);
    EXPECT_EQ(actor.Animation(4)->Kind, KindReturns);
    EXPECT_TRUE(actor.Animation(actor.Animation(4)->ReturnAnimation)->HasCategory(CategoryRestPose));
    EXPECT_EQ(actor.Animation(6)->Kind, KindExits);
    EXPECT_TRUE(speak.Endless && speak.HasExits);
    // Across all records: chances, undrawn frames, and frame sounds the library carries.
    bool chances = false, undrawn = false;
    for (int i = 1; i <= actor.AnimationCount(); ++i) {
      TActorAnimation a = actor.ReadAnimation(i);
      EXPECT_EQ(a.Pixels.size(), static_cast<std::size_t>(a.FrameCount) * c.width * c.height);
      TFlow f = Flow(a);
      chances |= f.HasChances;
      undrawn |= f.HasUndrawn;
      for (std::uint16_t sound : a.Sounds) {
        if (sound) {
          EXPECT_NE(FindResourceW(actor.Module(), MAKEINTRESOURCEW(sound), L"WAVE"), nullptr) << i;
        }
      }
    }
    EXPECT_TRUE(chances);
    EXPECT_TRUE(undrawn);
  }
}

TEST(Characters, AngelHasEveryDirectionGroupAndAnnOnlyStraightMoves) {
  TAssistantActor angel, ann, dolly;
  angel.SetFileName(Character("Angel"));
  ann.SetFileName(Character("Ann"));
  dolly.SetFileName(Character("Dolly"));
  for (int base : {11, 21, 38})
    for (int i = 0; i < 8; ++i) EXPECT_GT(angel.FindAnimation(base + i, 1), 0) << base + i;
  EXPECT_GT(ann.FindAnimation(11, 1), 0);
  EXPECT_GT(dolly.FindAnimation(45, 1), 0);
  EXPECT_EQ(ann.FindAnimation(47, 1), 0);
  for (const char* name : {"Read", "ReadContinued", "ReadReturn", "Write", "WriteContinued", "WriteReturn"})
    EXPECT_GT(angel.IndexOfName(name), 0) << name;
}

class ActorFile : public ::testing::Test {
 protected:
  TAssistantActor actor;
  int opened = 0, closed = 0;
  void SetUp() override {
    actor.OnOpen = [this](TAssistantActor*) { ++opened; };
    actor.OnClose = [this](TAssistantActor* a) {
      // Still open while its owner is told.
      EXPECT_FALSE(a->IsClosed());
      EXPECT_GT(a->AnimationCount(), 0);
      ++closed;
    };
  }
};

TEST_F(ActorFile, RefusesLibrariesThatAreNotActorsAndUnloadsThem) {
  for (const char* name : {"BadVersion", "NoAnimations", "TruncatedHeader", "NullHeader", "NoExport", "NotALibrary"}) {
    // A copy, so that deleting it shows the library was unloaded again.
    std::string copy = horavox::test::TempDir() + "/" + name + ".aal";
    std::filesystem::copy_file(Utf8ToWide(TestActor(name)), Utf8ToWide(copy), std::filesystem::copy_options::overwrite_existing);
    try {
      actor.SetFileName(copy);
      ADD_FAILURE() << name << " opened";
    } catch (const EActorError& e) {
      EXPECT_EQ(e.Message, copy + "\r\nFile is not a valid actor library");
    }
    EXPECT_TRUE(actor.IsClosed()) << name;
    EXPECT_EQ(actor.AnimationCount(), 0);
    EXPECT_TRUE(DeleteFileW(Utf8ToWide(copy).c_str())) << name << " still loaded";
  }
  EXPECT_EQ(opened, 0);
  std::string missing = horavox::test::TempDir() + "/Nobody.aal";
  try {
    actor.SetFileName(missing);
    ADD_FAILURE() << "a missing file opened";
  } catch (const EActorError& e) {
    EXPECT_EQ(e.Message, missing + "\r\nFile not found");
  }
}

TEST_F(ActorFile, FileNameClosesAndOpensOnlyWhenItChanges) {
  std::string path = TestActor("Tiny");
  actor.SetFileName(path);
  EXPECT_EQ(opened, 1);
  std::string other = path;
  for (char& ch : other) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  actor.SetFileName(other);  // the same file in other letter case
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(closed, 0);
  actor.Open();  // already open
  EXPECT_EQ(opened, 1);
  actor.SetFileName(Character("Ann"));
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(actor.FrameWidth(), 96);
  actor.SetFileName("");
  EXPECT_EQ(closed, 2);
  EXPECT_EQ(opened, 2);
  EXPECT_TRUE(actor.IsClosed());
  EXPECT_EQ(actor.FrameWidth(), 0);
  EXPECT_EQ(actor.FindAnimation(CategoryRestPose, 1), 0);
  EXPECT_EQ(actor.Module(), nullptr);
  EXPECT_THROW(actor.ReadAnimation(1), EActorError);
}

TEST_F(ActorFile, ASameNameThatFailedOpensOnceTheFileIsThere) {
  std::string path = horavox::test::TempDir() + "/Later.aal";
  EXPECT_THROW(actor.SetFileName(path), EActorError);
  std::filesystem::copy_file(Utf8ToWide(TestActor("Tiny")), Utf8ToWide(path));
  actor.SetFileName(path);
  EXPECT_FALSE(actor.IsClosed());
}

// A name without a folder is the file of the current folder that FileExists found, not one
// of the same name in a folder the system searches for libraries first (the program's own).
TEST_F(ActorFile, ARelativeNameOpensTheFileOfTheCurrentFolder) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::filesystem::path decoy = std::filesystem::path(exe).parent_path() / L"Relative.aal";
  std::filesystem::path real = std::filesystem::path(Utf8ToWide(horavox::test::TempDir())) / L"Relative.aal";
  std::filesystem::copy_file(Utf8ToWide(TestActor("NotALibrary")), decoy, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::copy_file(Utf8ToWide(TestActor("Tiny")), real, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(real.parent_path());
  EXPECT_NO_THROW(actor.SetFileName("Relative.aal"));
  EXPECT_FALSE(actor.IsClosed());
  actor.Close();
  std::filesystem::current_path(before);
  std::filesystem::remove(decoy);
  std::filesystem::remove(real);
}

TEST_F(ActorFile, ReadsTinysStreamsAndRefusesTheCorruptOnes) {
  actor.SetFileName(TestActor("Tiny"));
  EXPECT_EQ(actor.IndexOfName("dup"), 8);
  TActorAnimation two = actor.ReadAnimation(actor.IndexOfName("TwoBlocks"));  // exactly 2 × 32768 bytes
  EXPECT_EQ(two.FrameCount, 200u);
  for (const char* name : {"ZeroFrames", "TooManyFrames", "BranchOutside", "ExitOutside", "Truncated", "OversizedBlock",
                           "Overflow", "CopyBeforeStart", "MissingResource", "EndsEarly"}) {
    int record = actor.IndexOfName(name);
    ASSERT_GT(record, 0) << name;
    try {
      actor.ReadAnimation(record);
      ADD_FAILURE() << name << " was read";
    } catch (const EActorError& e) {
      EXPECT_EQ(e.Message.rfind(TestActor("Tiny") + "\r\nAnimation " + std::to_string(record) + ": ", 0), 0u) << e.Message;
    }
  }
}

}  // namespace
