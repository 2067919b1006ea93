#include <gtest/gtest.h>

#include "xbase/errors.h"

namespace {

std::string MessageOf(std::int32_t code, std::int32_t subCode, const char* info) {
  try {
    RaiseEngineError(code, subCode, info);
  } catch (const EXBaseError& e) {
    return e.Message;
  }
  return "(nothing raised)";
}

TEST(EngineErrors, MessagesAreComposedFromTheCodeTable) {
  struct Case {
    std::int32_t code, subCode;
    const char* info;
    std::string message;
  } cases[] = {
      {33, xbsNone, "X.DBF", "Record locked by another user - X.DBF"},
      {1001, 1204, "", "dBase DBF file header invalid - "},
      {1001, 1204, nullptr, "dBase DBF file header invalid - "},
      {32, 1107, "T.DBF", "File access denied - T.DBF"},
      {1269, 1, "I", " - I"},
      {4711, 1101, "T.DBF", "XBase Error 4711, SubCode 1101.\r T.DBF>1101"},
      {4711, xbsNone, nullptr, "XBase Error 4711.\r"},
      // A negative sub-code other than "none" raises like any other.
      {4711, -5, "T.DBF", "XBase Error 4711, SubCode -5.\r T.DBF>-5"},
      {2, -5, "M.DBT", "File not found - M.DBT"},
  };
  for (const auto& c : cases) EXPECT_EQ(MessageOf(c.code, c.subCode, c.info), c.message) << c.code;
}

struct TRecorded {
  std::int32_t code = 0, subCode = 0;
  std::string info;
};
TRecorded gRecorded;

TEST(EngineErrors, TheRoutineCanBeReplaced) {
  TxbErrorProc saved = EngineErrorProc();
  EngineErrorProc() = [](std::int32_t code, std::int32_t subCode, const char* info) {
    gRecorded = {code, subCode, info ? info : ""};
    throw EXBaseExpression("replaced");
  };
  EXPECT_THROW(RaiseEngineError(1004, 1299, "F"), EXBaseExpression);
  EXPECT_EQ(gRecorded.code, 1004);
  EXPECT_EQ(gRecorded.subCode, 1299);
  EXPECT_EQ(gRecorded.info, "F");
  // One that returns is followed by the default routine: the error still reaches the caller.
  EngineErrorProc() = [](std::int32_t code, std::int32_t, const char*) { gRecorded.code = code; };
  EXPECT_THROW(RaiseEngineError(1002, 1207, "T"), EXBaseError);
  EXPECT_EQ(gRecorded.code, 1002);
  EngineErrorProc() = saved;
}

}  // namespace
