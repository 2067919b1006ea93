#include <csignal>
#include "child_process.h"

#include <chrono>
#include <fstream>
#include <thread>

#include "classlib/core/files.h"
#include "test_paths.h"

#ifdef _WIN32
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"
#else
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace xbtest {

std::string HelperPath() {
#ifdef _WIN32
  return horavox::test::BinaryDir() + "/tests/xbase/xbase_helper.exe";
#else
  return horavox::test::BinaryDir() + "/tests/xbase/xbase_helper";
#endif
}

TChildProcess::TChildProcess(const std::string& program, const std::vector<std::string>& args) {
#ifdef _WIN32
  std::wstring line = L"\"" + Utf8ToWide(program) + L"\"";
  for (const auto& a : args) line += L" \"" + Utf8ToWide(a) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    FHandle = pi.hProcess;
  }
#else
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0) FPid = pid;
#endif
}

TChildProcess::~TChildProcess() { Wait(); }

int TChildProcess::Wait() {
  if (FWaited) return FExitCode;
  FWaited = true;
#ifdef _WIN32
  if (!FHandle) return -1;
  WaitForSingleObject(FHandle, INFINITE);
  DWORD code = 0;
  if (GetExitCodeProcess(FHandle, &code)) FExitCode = static_cast<int>(code);
  CloseHandle(FHandle);
#else
  if (FPid < 0) return -1;
  int status = 0;
  if (waitpid(static_cast<pid_t>(FPid), &status, 0) == FPid && WIFEXITED(status)) FExitCode = WEXITSTATUS(status);
#endif
  return FExitCode;
}

void TChildProcess::Kill() {
  if (FWaited) return;
#ifdef _WIN32
  if (FHandle) TerminateProcess(FHandle, 9);
#else
  if (FPid >= 0) kill(static_cast<pid_t>(FPid), SIGKILL);
#endif
}

bool WaitForFile(const std::string& name) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!FileExists(name)) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void TouchFile(const std::string& name) {
  std::string tmp = name + ".tmp";
  { std::ofstream(tmp.c_str()) << "1"; }
  RenameFile(tmp, name);
}

}  // namespace xbtest
