// TFinally and TUpdateScope: what undoes a routine's state on every way out of it.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "classlib/core/exceptions.h"
#include "classlib/core/finally.h"
#include "classlib/core/stringlist.h"

namespace {

// The message of what Work raised ("" when it returned).
std::string Raised(const std::function<void()>& Work) {
  try {
    Work();
  } catch (const Exception& e) {
    return e.Message;
  }
  return "";
}

TEST(ScopeGuards, CleanupRunsOnReturnAndOnExceptionAndTheFirstErrorIsReported) {
  struct TCase {
    const char* Name;
    bool BodyFails, CleanupFails;
    const char* Reported;
  };
  const TCase cases[] = {
      {"returns", false, false, ""},
      {"body fails", true, false, "body"},
      {"cleanup fails after a return", false, true, "cleanup"},
      {"both fail: the body's error stays", true, true, "body"},
  };
  for (const TCase& c : cases) {
    int cleanups = 0;
    std::string reported = Raised([&] {
      TFinally cleanup([&] {
        ++cleanups;
        if (c.CleanupFails) throw Exception("cleanup");
      });
      if (c.BodyFails) throw Exception("body");
    });
    EXPECT_EQ(cleanups, 1) << c.Name;
    EXPECT_EQ(reported, c.Reported) << c.Name;
  }
}

TEST(ScopeGuards, AnUpdateScopeReportsItsChangesOnceAndEndsAlsoByAnException) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  {
    TUpdateScope update(&list);
    list.Add("один");
    list.Add("два");
    EXPECT_EQ(changes, 0);
  }
  EXPECT_EQ(changes, 1);

  EXPECT_EQ(Raised([&] {
              TUpdateScope update(&list);
              list.Add("три");
              throw Exception("stopped");
            }),
            "stopped");
  EXPECT_EQ(changes, 2);
  list.Add("четыре");  // reported at once: the update ended with the exception
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(list.Count(), 4);
}

}  // namespace
