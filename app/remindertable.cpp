#include "app/remindertable.h"

#include "app/storedfiles.h"
#include "classlib/core/exceptions.h"
#include "classlib/core/files.h"
#include "classlib/core/streams.h"

namespace {

void PutLE(std::string& Bytes, size_t At, unsigned Value, int Count) {
  for (int i = 0; i < Count; ++i) Bytes[At + static_cast<size_t>(i)] = static_cast<char>((Value >> (8 * i)) & 0xFF);
}

// A field descriptor: the name filled with zeros to 11 bytes, the type, the length.
std::string Field(const char* Name, char Type, int Length) {
  std::string d(32, '\0');
  d.replace(0, std::string(Name).size(), Name);
  d[11] = Type;
  d[16] = static_cast<char>(Length);
  return d;
}

// Writes a new file; a file that cannot be written whole is removed again.
void WriteNewFile(const String& Path, const std::string& Bytes) {
  try {
    TFileStream file(Path, fmCreate);
    file.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
  } catch (...) {
    DeleteFile(Path);
    throw;
  }
}

}  // namespace

std::string EmptyReminderTable(TDateTime Today) {
  constexpr int kFields = 2, kHeaderLength = 32 + 32 * kFields + 1, kRecordLength = 1 + 8 + 254;
  std::string header(32, '\0');
  int year, month, day;
  DecodeDate(Today, year, month, day);
  header[0] = 0x03;  // dBase III, no memo
  header[1] = static_cast<char>(year - 1900);
  header[2] = static_cast<char>(month);
  header[3] = static_cast<char>(day);
  PutLE(header, 4, 0, 4);  // no records
  PutLE(header, 8, kHeaderLength, 2);
  PutLE(header, 10, kRecordLength, 2);
  header[29] = 0x65;  // code page 866
  return header + Field("DATA", 'D', 8) + Field("SOBITIE", 'C', 254) + '\x0D' + '\x1A';
}

TReminderTablePlace PlaceReminderTable(const String& ProgramFolder, const String& FallbackFolder, TDateTime Today) {
  TReminderTablePlace place;
  const String program = IncludeTrailingPathDelimiter(ProgramFolder);
  const String fallback = IncludeTrailingPathDelimiter(FallbackFolder);
  for (const String& folder : {program, fallback}) {
    if (FileExists(folder + kReminderTableName)) {
      place.Folder = folder;
      return place;
    }
  }
  String folder = program;
  if (!FolderWritable(program)) {
    folder = fallback;
    ForceDirectories(folder);
  }
  try {
    WriteNewFile(folder + kReminderTableName, EmptyReminderTable(Today));
  } catch (const Exception& e) {
    place.Error = e.Message;
    return place;
  }
  place.Folder = folder;
  place.Created = true;
  return place;
}
