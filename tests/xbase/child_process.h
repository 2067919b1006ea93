#pragma once
// Starting the engine's helper program as another process (a Windows process under Wine,
// a Linux one natively) and waiting for it or for a flag file it writes.
#include <string>
#include <vector>

namespace xbtest {

// The helper program beside the test program.
std::string HelperPath();

class TChildProcess {
 public:
  TChildProcess(const std::string& program, const std::vector<std::string>& args);
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;
  // The exit code; -1 when it could not be started or waited for.
  int Wait();
  // Ends it at once (SIGKILL; TerminateProcess under Windows).
  void Kill();

 private:
  void* FHandle = nullptr;
  long FPid = -1;
  bool FWaited = false;
  int FExitCode = -1;
};

// Waits (up to 60 s) until the file exists; false when it never appears.
bool WaitForFile(const std::string& name);
void TouchFile(const std::string& name);

}  // namespace xbtest
