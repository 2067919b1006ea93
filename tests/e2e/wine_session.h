#pragma once
// Drives Windows programs of the Windows build tree in the end-to-end Wine prefix.
// Each session starts with no wineserver running, so everything it starts — wineserver
// included — runs on one clock: the real one, or a fake one shifted by a fixed offset.
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace horavox::e2e {

struct RunResult {
  int exit_code = -1;  // -1: did not end in time (it was killed)
  std::string out;     // its standard output
};

class WineSession {
 public:
  WineSession();
  ~WineSession();
  WineSession(const WineSession&) = delete;
  WineSession& operator=(const WineSession&) = delete;

  // Everything started from now on believes local time is `when` ("YYYY-MM-DD hh:mm:ss")
  // now, and runs on from there: a wineserver that runs (Reg's, say) is ended, and one on
  // the fake clock is started and kept for the session.
  void FakeTimeFrom(const std::string& when);
  // What the programs of the session take for the time now: the fake clock's time when
  // there is one.
  std::chrono::system_clock::time_point Now() const;
  // A local time "YYYY-MM-DD hh:mm:ss" as a point in time.
  static std::chrono::system_clock::time_point LocalTime(const std::string& when);
  // Everything played from now on is appended to this file as raw samples.
  void CaptureSoundTo(const std::string& path);

  // Starts a program (a path of the Windows build tree, relative to it) with arguments.
  pid_t Start(const std::string& exe, const std::vector<std::string>& args = {});
  // Waits for a started program; its exit code, or nothing when it did not end in time.
  std::optional<int> Wait(pid_t pid, std::chrono::milliseconds timeout);
  // Runs winctl.exe with these arguments and waits for it.
  RunResult Ctl(const std::vector<std::string>& args,
                std::chrono::milliseconds timeout = std::chrono::seconds(30));
  // Runs Wine's reg.exe with these arguments and waits for it.
  RunResult Reg(const std::vector<std::string>& args);

  // Saves a screenshot of the whole display as <artifact dir>/<name>.png; its path.
  std::string Screenshot(const std::string& name);
  // Runs a program of this machine (not under Wine) and waits for it.
  RunResult Host(const std::vector<std::string>& argv, std::chrono::milliseconds timeout = std::chrono::seconds(30));

  static std::string WinBuildDir();
  static std::string ArtifactDir();
  // The Windows form of a Unix path (drive Z:).
  static std::string WindowsPath(const std::string& unix_path);

 private:
  std::vector<std::string> Environment() const;
  pid_t Spawn(std::vector<std::string> argv, int* out_fd);
  RunResult RunToEnd(const std::vector<std::string>& argv, std::chrono::milliseconds timeout);
  void StopServer();

  std::string prefix_;
  std::optional<long long> fake_offset_s_;
  std::string capture_;
  std::vector<pid_t> started_;
};

}  // namespace horavox::e2e
