// The melody list: the wave files of the Ring folder in alphabetical order.
#include <gtest/gtest.h>

#include "app/melodies.h"
#include "classlib/core/files.h"
#include "classlib/core/streams.h"
#include "test_paths.h"

namespace {

TEST(Melodies, AreTheRingFoldersWaveFilesSortedWithoutRegardToCase) {
  String program = horavox::test::TempDir() + PathDelim + "melodies" + PathDelim;
  String ring = program + "Ring" + PathDelim;
  ASSERT_TRUE(ForceDirectories(ring + "папка.wav"));  // a folder is no melody
  for (const char* name : {"утро.wav", "Колокольчик.wav", "Ёлка.wav", "кукушка.wav", "Bell.wav", "alarm.wav",
                           "Ель.wav", "notes.txt"}) {
    TFileStream(ring + name, fmCreate).Write("RIFF", 4);
  }
  EXPECT_EQ(FindMelodies(program), (std::vector<String>{"alarm.wav", "Bell.wav", "Ель.wav", "Ёлка.wav",
                                                         "Колокольчик.wav", "кукушка.wav", "утро.wav"}));
  EXPECT_TRUE(FindMelodies(program + "missing").empty());
}

}  // namespace
