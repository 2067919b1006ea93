// The system's parts of the clock under Wine: a program that cannot be started is
// reported with its name and the system's reason; one that can starts hidden with its
// parameters kept apart from its path, through the control kit's program starter. (The shutdown is never called here: under Wine it
// would end every program of the prefix.)
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "app/systemparts.h"
#include "classlib/core/files.h"
#include "controls/kitstarter.h"
#include "test_paths.h"

namespace {

TEST(KitProgramStarter, ReportsAProgramThatCannotBeStarted) {
  TKitStarter kit(nullptr);
  TKitProgramStarter starter(&kit);
  String missing = IncludeTrailingPathDelimiter(horavox::test::TempDir()) + "Нет такой программы.exe";
  try {
    starter.Start(missing, "", TProgramShow::Normal);
    ADD_FAILURE() << "no error";
  } catch (const EOSError& e) {
    EXPECT_TRUE(String(e.Message).starts_with("Не удалось запустить программу \"" + missing + "\": ")) << e.Message;
    EXPECT_NE(e.ErrorCode, 0u);
  }
}

TEST(KitProgramStarter, StartsAProgramWithBlanksInItsPathAndItsParametersApart) {
  TKitStarter kit(nullptr);
  TKitProgramStarter starter(&kit);
  String folder = IncludeTrailingPathDelimiter(horavox::test::TempDir()) + "folder with blanks";
  ASSERT_TRUE(ForceDirectories(folder));
  String program = folder + PathDelim + "write it.bat";
  String out = folder + PathDelim + "out file.txt";
  std::ofstream(program) << "@echo ok> %1\r\n";
  starter.Start(program, "\"" + out + "\"", TProgramShow::Hidden);
  for (int i = 0; i < 200 && !FileExists(out); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(FileExists(out));
}

}  // namespace
