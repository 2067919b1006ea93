#pragma once
// The reminder calendar's table, DATES.DBF: one record per reminder, DATA its day (D, 8)
// and SOBITIE its text (C, 254). The program opens the table it finds and makes an empty
// one when there is none: dBase III without a memo file, its texts in code page 866
// (language driver 0x65), which the dataset translates.
#include <string>

#include "classlib/core/datetime.h"
#include "classlib/core/text.h"

inline constexpr const char* kReminderTableName = "DATES.DBF";

// The bytes of an empty reminder table last changed on Today.
std::string EmptyReminderTable(TDateTime Today);

// Where the reminder table is.
struct TReminderTablePlace {
  String Folder;         // ending with a separator; empty when there is no table
  bool Created = false;  // an empty one was made there now
  String Error;          // why none could be made
};

// The folder that holds DATES.DBF: the program folder, else the fallback folder (the one
// the character files fall back to). When neither has one, an empty table is made in the
// program folder or, when that takes no new file, in the fallback folder (made when
// missing). A table that is there is never written, whatever it holds.
TReminderTablePlace PlaceReminderTable(const String& ProgramFolder, const String& FallbackFolder, TDateTime Today);
