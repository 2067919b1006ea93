#include "xbase/errors.h"

#include <string>

namespace {

struct TErrorText {
  std::int32_t Code;
  const char* Text;
};

// Searched in this order; the last three have no text.
constexpr TErrorText kErrorTable[] = {
    {2, "File not found"},
    {3, "Path not found"},
    {4, "Too many open files"},
    {5, "File access denied"},
    {12, "Invalid file access code"},
    {15, "Invalid drive number"},
    {32, "File access denied"},
    {33, "Record locked by another user"},
    {100, "Disk read error"},
    {101, "Disk write error"},
    {102, "File not assigned"},
    {103, "File not open"},
    {104, "File not open for input"},
    {105, "File not open for output"},
    {106, "Invalid numeric format"},
    {150, "Disk is write-protected"},
    {152, "Drive not ready"},
    {162, "Hardware failure"},
    {183, "File already exists"},
    {1001, "dBase DBF file header invalid"},
    {1002, "dBase record request beyond EOF"},
    {1003, "dBase field name is invalid"},
    {1004, "dBase field is of incorrect type"},
    {1005, "dBase memo record has format error"},
    {1006, "Formula expression cannot be translated"},
    {1011, "Number too large to fit in field"},
    {1269, ""},
    {1270, ""},
    {1271, ""},
};

}  // namespace

TxbErrorProc& EngineErrorProc() {
  static TxbErrorProc proc = &DefaultErrorProc;
  return proc;
}

std::string EngineErrorMessage(std::int32_t Code, std::int32_t SubCode, const char* Info) {
  const std::string info = Info ? Info : "";
  for (const auto& row : kErrorTable)
    if (row.Code == Code) return std::string(row.Text) + " - " + info;
  std::string message = "XBase Error " + std::to_string(Code);
  if (SubCode != xbsNone) message += ", SubCode " + std::to_string(SubCode);
  message += ".\r";
  if (!info.empty()) message += " " + info + ">" + std::to_string(SubCode);
  return message;
}

// A negative sub-code raises like any other: no engine error ends the process.
void DefaultErrorProc(std::int32_t Code, std::int32_t SubCode, const char* Info) {
  throw EXBaseError(EngineErrorMessage(Code, SubCode, Info));
}

void RaiseEngineError(std::int32_t Code, std::int32_t SubCode, const char* Info) {
  if (TxbErrorProc proc = EngineErrorProc()) proc(Code, SubCode, Info);
  DefaultErrorProc(Code, SubCode, Info);
}

void RaiseEngineError(std::int32_t Code, std::int32_t SubCode, const std::string& Info) {
  RaiseEngineError(Code, SubCode, Info.c_str());
}

bool IsTrueLetter(char c) { return c != 0 && TrueLetters.find(c) != std::string_view::npos; }
bool IsFalseLetter(char c) { return c != 0 && FalseLetters.find(c) != std::string_view::npos; }
