// What the labels show and open: the version resource's entries and flags, and link
// targets with the command's scheme before the address once.
#include <gtest/gtest.h>

#include "desktop/dsklabels.h"

namespace {

TEST(DskLabels, VersionEntriesAndFlags) {
  EXPECT_EQ(DskVersionResKey(verFileVersion), "FileVersion");
  EXPECT_EQ(DskVersionResPrefix(verFileVersion), "File Version:");
  EXPECT_EQ(DskVersionResKey(verFlags), "Flags");
  EXPECT_EQ(DskVersionResPrefix(verOriginalFilename), "Original Filename:");
  struct Case {
    std::uint32_t flags;
    const char* text;
  } cases[] = {
      {0, ""},
      {0x1 | 0x8, "Debug Build, Private Build"},
      {0x3F, "Debug Build, Pre-Release Build, Patched Build, Private Build, InfoInferred, Special Build"},
      {0x40 | 0x20, "Special Build"},  // bits beyond the six have no name
  };
  for (const Case& c : cases) EXPECT_EQ(DskFileFlagsText(c.flags), c.text) << c.flags;
  EXPECT_EQ(DskLangCharset(0x0419, 0x04E3), "041904E3");
  EXPECT_EQ(DskLangCharset(0x0409, 1200), "040904B0");
}

TEST(DskLabels, TheSchemeGoesBeforeTheAddressOnce) {
  struct Case {
    TDskCommand command;
    const char* value;
    const char* target;
  } cases[] = {
      {runMAIL, "info@example.org", "mailto:info@example.org"},
      {runMAIL, "mailto:info@example.org", "mailto:info@example.org"},
      {runMAIL, "MailTo:info@example.org", "MailTo:info@example.org"},
      {runURL, "example.org/", "http://example.org/"},
      {runURL, "https://example.org/", "https://example.org/"},  // never http://https://
      {runURL, "HTTP://example.org/", "HTTP://example.org/"},
      {runFTP, "ftp.example.org", "ftp://ftp.example.org"},
      {runFILE, "C:\\notes.txt", "file:C:\\notes.txt"},  // a drive letter is no scheme
      {runFILE, "file:C:\\notes.txt", "file:C:\\notes.txt"},
      {runURL, "example.org:8080/", "http://example.org:8080/"},  // a host and port
      {runNothing, "notes.txt", "notes.txt"},
      {runMAIL, "", "mailto:"},
  };
  for (const Case& c : cases) EXPECT_EQ(DskCommandTarget(c.command, c.value), c.target) << c.value;
}

}  // namespace
