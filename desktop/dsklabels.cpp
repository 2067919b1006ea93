#include "desktop/dsklabels.h"

#include <cctype>
#include <cstdio>

namespace {

struct TVersionEntry {
  const char* Key;
  const char* Prefix;
};
constexpr TVersionEntry kVersionEntries[] = {
    {"CompanyName", "Company Name:"},         {"FileDescription", "File Description:"},
    {"FileVersion", "File Version:"},         {"InternalName", "Internal Name:"},
    {"LegalCopyright", "Legal Copyright:"},   {"OriginalFilename", "Original Filename:"},
    {"ProductName", "Product Name:"},         {"ProductVersion", "Product Version:"},
    {"Comments", "Comments:"},                {"Flags", "Flags:"},
};

// A scheme: two or more letters before a colon ("https:", "mailto:"); one letter is a
// drive, and a dot or a digit before the colon makes a host and port.
bool HasScheme(const String& Value) {
  std::size_t letters = 0;
  while (letters < Value.size() && std::isalpha(static_cast<unsigned char>(Value[letters]))) ++letters;
  return letters >= 2 && letters < Value.size() && Value[letters] == ':';
}

}  // namespace

String DskVersionResKey(TDskVersionRes Res) { return kVersionEntries[static_cast<int>(Res)].Key; }
String DskVersionResPrefix(TDskVersionRes Res) { return kVersionEntries[static_cast<int>(Res)].Prefix; }

String DskFileFlagsText(std::uint32_t Flags) {
  static const char* const kNames[] = {"Debug Build",   "Pre-Release Build", "Patched Build",
                                       "Private Build", "InfoInferred",      "Special Build"};
  String text;
  for (int bit = 0; bit < 6; ++bit) {
    if (!(Flags & (1u << bit))) continue;
    if (!text.empty()) text += ", ";
    text += kNames[bit];
  }
  return text;
}

String DskLangCharset(std::uint16_t Language, std::uint16_t CodePage) {
  char text[9];
  std::snprintf(text, sizeof text, "%04X%04X", Language, CodePage);
  return text;
}

String DskCommandPrefix(TDskCommand Command) {
  switch (Command) {
    case runMAIL: return "mailto:";
    case runURL: return "http://";
    case runFTP: return "ftp://";
    case runFILE: return "file:";
    default: return "";
  }
}

String DskCommandTarget(TDskCommand Command, const String& Value) {
  return HasScheme(Value) ? Value : DskCommandPrefix(Command) + Value;
}
