#include "wine_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace horavox::e2e {
namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

const std::string kWineRun = std::string(HORAVOX_SOURCE_DIR) + "/tools/wine-run";

std::string FakeTimeLibrary() {
  for (const char* path : {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1", "/usr/lib/faketime/libfaketime.so.1"})
    if (fs::exists(path)) return path;
  throw std::runtime_error("libfaketime is not installed (tools/setup.sh installs faketime)");
}

std::optional<int> WaitPid(pid_t pid, milliseconds timeout) {
  auto deadline = steady_clock::now() + timeout;
  for (;;) {
    int status = 0;
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (r < 0) return std::nullopt;
    if (steady_clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(milliseconds(20));
  }
}

}  // namespace

WineSession::WineSession() : prefix_(WinBuildDir() + "/wineprefix-e2e") {
  fs::create_directories(ArtifactDir());
  StopServer();  // a server left running would keep its own clock
}

WineSession::~WineSession() {
  for (pid_t pid : started_) {
    if (kill(pid, 0) == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  StopServer();
}

void WineSession::FakeTimeFrom(const std::string& when) {
  StopServer();  // one that runs (reg.exe's, say) keeps the real clock for whoever joins it
  fake_offset_s_ = static_cast<long long>(system_clock::to_time_t(LocalTime(when))) -
                   static_cast<long long>(std::time(nullptr));
}

system_clock::time_point WineSession::Now() const {
  return system_clock::now() + seconds(fake_offset_s_.value_or(0));
}

system_clock::time_point WineSession::LocalTime(const std::string& when) {
  std::tm tm{};
  if (!strptime(when.c_str(), "%Y-%m-%d %H:%M:%S", &tm))
    throw std::invalid_argument("bad time " + when);
  tm.tm_isdst = -1;
  return system_clock::from_time_t(std::mktime(&tm));
}
void WineSession::CaptureSoundTo(const std::string& path) { capture_ = path; }

std::string WineSession::WinBuildDir() { return HORAVOX_WIN_BUILD_DIR; }
std::string WineSession::ArtifactDir() { return HORAVOX_ARTIFACT_DIR; }
std::string WineSession::WindowsPath(const std::string& unix_path) {
  std::string p = "Z:" + unix_path;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

std::vector<std::string> WineSession::Environment() const {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string v = *e;
    if (v.rfind("HORAVOX_", 0) == 0 || v.rfind("FAKETIME", 0) == 0 || v.rfind("LD_PRELOAD=", 0) == 0)
      continue;
    env.push_back(v);
  }
  env.push_back("HORAVOX_WINEPREFIX=" + prefix_);
  if (!capture_.empty()) env.push_back("HORAVOX_CAPTURE=" + capture_);
  return env;
}

pid_t WineSession::Spawn(std::vector<std::string> argv, int* out_fd) {
  auto env = Environment();
  if (fake_offset_s_) {
    // libfaketime preloaded into every process of the tree, with one offset (the start-at
    // form would restart the clock in each process); the monotonic clock and file times
    // stay real. Not through the faketime program: its wrapper process waits until every
    // holder of a pipe it makes is gone, and the wineserver that a program starts keeps
    // it for as long as it runs.
    env.push_back("LD_PRELOAD=" + FakeTimeLibrary());
    env.push_back("FAKETIME=" + std::string(*fake_offset_s_ >= 0 ? "+" : "") + std::to_string(*fake_offset_s_) + "s");
    env.push_back("FAKETIME_DONT_FAKE_MONOTONIC=1");
    env.push_back("NO_FAKE_STAT=1");
  }
  std::vector<char*> cargv, cenv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  for (auto& e : env) cenv.push_back(e.data());
  cenv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int pipe_fds[2] = {-1, -1};
  if (out_fd) {
    if (pipe(pipe_fds) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[1]);
  }
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, cargv[0], &actions, nullptr, cargv.data(), cenv.data());
  posix_spawn_file_actions_destroy(&actions);
  if (out_fd) {
    close(pipe_fds[1]);
    *out_fd = pipe_fds[0];
  }
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
  return pid;
}

pid_t WineSession::Start(const std::string& exe, const std::vector<std::string>& args) {
  std::vector<std::string> argv = {kWineRun, WinBuildDir() + "/" + exe};
  argv.insert(argv.end(), args.begin(), args.end());
  pid_t pid = Spawn(argv, nullptr);
  started_.push_back(pid);
  return pid;
}

std::optional<int> WineSession::Wait(pid_t pid, milliseconds timeout) {
  return WaitPid(pid, timeout);
}

RunResult WineSession::RunToEnd(const std::vector<std::string>& argv, milliseconds timeout) {
  int fd = -1;
  pid_t pid = Spawn(argv, &fd);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  RunResult result;
  auto drain = [&] {
    char buf[4096];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) result.out.append(buf, static_cast<size_t>(n));
  };
  // The end of the process, not the end of its output, ends the run: processes that Wine
  // starts in the background may hold the pipe open.
  auto deadline = steady_clock::now() + timeout;
  std::optional<int> code;
  while (!code && steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, 20);
    drain();
    code = WaitPid(pid, milliseconds(0));
  }
  drain();
  close(fd);
  if (!code) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  result.exit_code = code.value_or(-1);
  return result;
}

RunResult WineSession::Ctl(const std::vector<std::string>& args, milliseconds timeout) {
  std::vector<std::string> argv = {kWineRun, WinBuildDir() + "/tests/e2e/winctl.exe"};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunToEnd(argv, timeout);
}

RunResult WineSession::Reg(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {kWineRun, "reg"};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunToEnd(argv, seconds(30));
}

std::string WineSession::Screenshot(const std::string& name) {
  std::string path = ArtifactDir() + "/" + name + ".png";
  RunToEnd({"import", "-window", "root", path}, seconds(30));
  return path;
}

RunResult WineSession::Host(const std::vector<std::string>& argv, milliseconds timeout) {
  return RunToEnd(argv, timeout);
}

void WineSession::StopServer() {
  std::vector<std::string> argv = {"bash", "-c",
                                   "source '" HORAVOX_SOURCE_DIR "/tools/wine-env.sh' && "
                                   "\"$WINESERVER\" -k 2>/dev/null; \"$WINESERVER\" -w 2>/dev/null; true"};
  auto saved = fake_offset_s_;
  fake_offset_s_.reset();
  RunToEnd(argv, seconds(30));
  fake_offset_s_ = saved;
}

}  // namespace horavox::e2e
