// The native build's answers: the executable from /proc, no Windows folders, a true-colour
// display, the user from the environment.
#include <unistd.h>

#include "classlib/core/files.h"
#include "controls/kitutils.h"

String GetApplicationExeName() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
  return n > 0 ? String(buf, static_cast<size_t>(n)) : String();
}

String GetApplicationDir() { return ExtractFilePath(GetApplicationExeName()); }
String GetWindowsDir() { return String(); }
String GetSystemDir() { return String(); }
std::uint8_t GetColorDepth() { return 32; }
std::uint16_t GetOSMinorVersion() { return 0; }

bool GetUserName(String& Name) {
  Name = GetEnvironmentVariable("USER");
  return !Name.empty();
}
