// The program starter: a start that fails, a program watched to its end (also one that ends
// with 259), waiting for it, one poll for two starts, the start at a set second on the
// virtual clock, the start time read from a form, and what it hands the shell.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/core/clock.h"
#include "classlib/core/unicode.h"
#include "classlib/core/utilwindow.h"
#include "controls/kitapp.h"
#include "controls/kitstarter.h"
#include "read_form.h"
#include "test_paths.h"

namespace {

std::string Helper() {
  std::string path = horavox::test::BinaryDir() + "/tests/controls/kit_helper.exe";
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

class StarterTest : public ::testing::Test {
 protected:
  TVirtualClock clock{EncodeDate(2026, 1, 1) + EncodeTime(12, 0, 0, 0)};
  TClockScope scope{clock};
  TKitApplication app{"horavox-starter-test"};
  TKitApplicationScope appScope{app};
  TKitStarter starter{nullptr};
  std::vector<std::string> events;

  void SetUp() override {
    starter.OnBeforeStart = [this](TObject*) { events.push_back("before"); };
    starter.OnAfterStart = [this](TObject* Sender) {
      EXPECT_EQ(Sender, &starter);
      events.push_back("after");
    };
    starter.OnError = [this](TObject* Sender) {
      EXPECT_EQ(Sender, nullptr);
      events.push_back("error " + std::to_string(starter.ErrorCode()));
    };
  }
  void RunHelper(int ms, int code) {
    starter.Command = Helper();
    starter.Parameters = "exit " + std::to_string(ms) + " " + std::to_string(code);
    starter.StartOption = soSW_HIDE;
    starter.Execute();
  }
};

TEST_F(StarterTest, AMissingCommandIsReportedWithTheShellsCode) {
  int pool = app.TimerPool()->Count();
  starter.OnFinished = [this](TObject*) { events.push_back("finished"); };
  starter.Command = "Z:\\no such folder\\no such program.exe";
  starter.Execute();
  EXPECT_EQ(events, (std::vector<std::string>{"before", "error 2", "after"}));
  EXPECT_EQ(starter.ErrorCode(), 2);
  EXPECT_EQ(starter.ProcessHandle(), nullptr);
  EXPECT_EQ(starter.PollTimer(), 0);
  EXPECT_EQ(app.TimerPool()->Count(), pool);
}

TEST_F(StarterTest, TheEndOfTheProgramIsToldOnceAndItsHandleClosed) {
  int pool = app.TimerPool()->Count();
  DWORD exitCode = 0;
  int finished = 0;
  starter.OnFinished = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &starter);
    ++finished;
    GetExitCodeProcess(starter.ProcessHandle(), &exitCode);
  };
  RunHelper(50, 259);  // the code that also means "still running"
  EXPECT_EQ(events, (std::vector<std::string>{"before", "after"}));
  ASSERT_NE(starter.ProcessHandle(), nullptr);
  EXPECT_EQ(app.TimerPool()->Count(), pool + 1);
  // Polled while it runs: nothing yet.
  ASSERT_EQ(WaitForSingleObject(starter.ProcessHandle(), 10000), WAIT_OBJECT_0);
  EXPECT_EQ(finished, 0);
  clock.Advance(500);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(exitCode, 259u);
  EXPECT_EQ(starter.ProcessHandle(), nullptr);
  EXPECT_EQ(starter.PollTimer(), 0);
  EXPECT_EQ(app.TimerPool()->Count(), pool);
  clock.Advance(2000);
  EXPECT_EQ(finished, 1);
}

TEST_F(StarterTest, WaitReturnsWhenTheProgramHasEnded) {
  int finished = 0;
  starter.OnFinished = [&](TObject*) { ++finished; };
  bool endedAtReturn = false;
  starter.OnAfterStart = [&](TObject*) {
    endedAtReturn = WaitForSingleObject(starter.ProcessHandle(), 0) == WAIT_OBJECT_0;
  };
  starter.Wait = true;
  RunHelper(300, 7);
  EXPECT_TRUE(endedAtReturn);
  EXPECT_EQ(finished, 0);  // at the next poll
  clock.Advance(500);
  EXPECT_EQ(finished, 1);
}

TEST_F(StarterTest, WaitingHandlesMessagesAndDropsInput) {
  std::vector<UINT> handled;
  TUtilityWindow window([&](UINT Msg, WPARAM, LPARAM, LRESULT&) {
    handled.push_back(Msg);
    return true;
  });
  PostMessageW(window.Handle(), WM_APP, 0, 0);
  PostMessageW(window.Handle(), WM_KEYDOWN, 'A', 0);
  PostMessageW(window.Handle(), WM_APP + 1, 0, 0);
  starter.Wait = true;
  std::vector<UINT> atReturn{0};
  starter.OnAfterStart = [&](TObject*) { atReturn = handled; };
  RunHelper(300, 0);
  EXPECT_EQ(atReturn, (std::vector<UINT>{WM_APP, WM_APP + 1}));
}

TEST_F(StarterTest, TwoStartsShareOnePoll) {
  int pool = app.TimerPool()->Count();
  int finished = 0;
  starter.OnFinished = [&](TObject*) { ++finished; };
  RunHelper(2000, 0);
  std::uint16_t poll = starter.PollTimer();
  DWORD first = GetProcessId(starter.ProcessHandle());
  RunHelper(50, 0);
  EXPECT_EQ(starter.PollTimer(), poll);
  EXPECT_NE(GetProcessId(starter.ProcessHandle()), first);
  EXPECT_EQ(app.TimerPool()->Count(), pool + 1);
  ASSERT_EQ(WaitForSingleObject(starter.ProcessHandle(), 10000), WAIT_OBJECT_0);
  clock.Advance(500);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(app.TimerPool()->Count(), pool);
}

TEST_F(StarterTest, AutoStartStartsOnceAtTheSecond) {
  // The pool item checks every second; the wall clock is moved between the checks as a
  // busy or late timer would see it.
  struct Case {
    const char* name;
    std::vector<int> checksMs;  // wall-clock times of the checks, ms after 12:00:00
    int starts;
  };
  const Case cases[] = {
      {"exact", {3000, 4000, 5000, 6000, 7000}, 1},
      {"second skipped", {3000, 4000, 7000, 8000}, 1},
      {"two checks in the second", {4000, 5000, 5600, 6000}, 1},
      {"more than 15 s late", {4000, 25000, 26000}, 0},
  };
  for (const Case& c : cases) {
    TKitStarter timed(nullptr);
    int starts = 0;
    timed.OnBeforeStart = [&](TObject*) { ++starts; };
    timed.Command = "Z:\\no such program.exe";
    timed.GetStartTime()->SetValue(EncodeDate(2026, 1, 1) + EncodeTime(12, 0, 5, 0));
    clock.SetNow(EncodeDate(2026, 1, 1) + EncodeTime(12, 0, 2, 0));
    timed.SetAutoStart(true);
    for (int ms : c.checksMs) {
      clock.SetNow(EncodeDate(2026, 1, 1) + EncodeTime(12, 0, 0, 0) + (ms - 1000) / 86400000.0);
      clock.Advance(1000);
    }
    EXPECT_EQ(starts, c.starts) << c.name;
  }
}

TEST(KitDateTimeTest, ALeapDayReadsInAnyOrderOfItsParts) {
  TVirtualClock clock;
  TClockScope scope{clock};
  TKitApplication app{"horavox-starter-form-test"};
  TKitApplicationScope appScope{app};
  std::unique_ptr<TComponent> read;
  ASSERT_NO_THROW(read = horavox::test::ReadFromText(
                      "object Starter1: TKitStarter\n"
                      "  StartTime.Day = 29\n  StartTime.Month = 2\n  StartTime.Hour = 7\n  StartTime.Second = 30\n"
                      "  StartTime.Year = 1992\nend\n"));
  auto* starter = static_cast<TKitStarter*>(read.get());
  EXPECT_EQ(starter->GetStartTime()->Value(), EncodeDate(1992, 2, 29) + EncodeTime(7, 0, 30, 0));
  // A day beyond its month's end counts as the last day; the parts stay as set.
  starter->GetStartTime()->SetYear(1993);
  EXPECT_EQ(starter->GetStartTime()->Value(), EncodeDate(1993, 2, 28) + EncodeTime(7, 0, 30, 0));
  EXPECT_EQ(starter->GetStartTime()->GetDay(), 29);
}

// What reaches the shell.
class TRecordingStarterShell : public TKitStarterShell {
 public:
  bool Execute(SHELLEXECUTEINFOW& Info) override {
    Verb = WideToUtf8(Info.lpVerb);
    File = WideToUtf8(Info.lpFile);
    Parameters = Info.lpParameters ? WideToUtf8(Info.lpParameters) : "";
    Show = Info.nShow;
    Size = Info.cbSize;
    Info.hInstApp = reinterpret_cast<HINSTANCE>(SE_ERR_NOASSOC);
    return FALSE;
  }
  std::string Verb, File, Parameters;
  int Show = -1;
  DWORD Size = 0;
};

TEST_F(StarterTest, TheShellGetsTheVerbFileAndWindowState) {
  TRecordingStarterShell shell;
  TSeamScope<TKitStarterShell> shellScope(shell);
  struct Case {
    TKitStarterOperation operation;
    TKitStarterOptions option;
    const char* command;
    const char* verb;
    const char* file;
    const char* parameters;
    int show;
  };
  const Case cases[] = {
      {smOpen, soSW_SHOWMINNOACTIVE, "C:\\Music\\a.mp3", "open", "C:\\Music\\a.mp3", "-x", SW_SHOWMINNOACTIVE},
      {smPrint, soSW_HIDE, "C:\\Docs\\b.txt", "print", "C:\\Docs\\b.txt", "-x", SW_HIDE},
      {smExplore, soSW_SHOWNORMAL, "C:\\Music\\a.mp3", "explore", "C:\\Music\\", "", SW_SHOWNORMAL},
      {smExplore, soSW_MAXIMIZE, "C:a.mp3", "explore", "C:\\", "", SW_MAXIMIZE},
      {smExplore, soSW_SHOW, "Music", "explore", "Music", "", SW_SHOW},
  };
  for (const Case& c : cases) {
    events.clear();
    starter.StartOperation = c.operation;
    starter.StartOption = c.option;
    starter.Command = c.command;
    starter.Parameters = "-x";
    starter.Execute();
    EXPECT_EQ(shell.Verb, c.verb);
    EXPECT_EQ(shell.File, c.file);
    EXPECT_EQ(shell.Parameters, c.parameters);
    EXPECT_EQ(shell.Show, c.show);
    EXPECT_EQ(shell.Size, sizeof(SHELLEXECUTEINFOW));
    // A shell code above 0 and at most 32 is a failure too (here: no program for the type).
    EXPECT_EQ(events, (std::vector<std::string>{"before", "error 31", "after"})) << c.command;
  }
}

}  // namespace
