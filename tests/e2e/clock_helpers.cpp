#include "clock_helpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

namespace horavox::e2e {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string Dist() { return WineSession::WinBuildDir() + "/dist"; }

std::vector<std::string> CharacterFolders() {
  std::vector<std::string> folders = {Dist()};
  fs::path users = WineSession::WinBuildDir() + "/wineprefix-e2e/drive_c/users";
  if (fs::exists(users))
    for (const auto& user : fs::directory_iterator(users)) folders.push_back(user.path() / "AppData/Local/Horavox");
  return folders;
}

std::string CharacterFolder() {
  for (const std::string& folder : CharacterFolders())
    if (fs::exists(folder + "/Angel.aal")) return folder;
  return "";
}

std::string WaitForCharacterFolder(std::chrono::milliseconds timeout) {
  const char* const names[] = {"Angel.aal", "Ann.aal", "Dolly.aal"};
  auto sizes = [&names](const std::string& folder) {
    std::vector<std::uintmax_t> all;
    std::error_code error;
    for (const char* name : names) all.push_back(fs::file_size(folder + "/" + name, error));
    return error ? std::vector<std::uintmax_t>{} : all;
  };
  auto deadline = std::chrono::steady_clock::now() + timeout;
  std::vector<std::uintmax_t> last;
  while (std::chrono::steady_clock::now() < deadline) {
    for (const std::string& folder : CharacterFolders()) {
      std::vector<std::uintmax_t> now = sizes(folder);
      if (!now.empty() && now == last) return folder;
      if (!now.empty()) last = now;
    }
    std::this_thread::sleep_for(250ms);
  }
  return "";
}

std::string Setting(const std::string& listing, const std::string& name) {
  std::string line;
  for (size_t at = 0; at < listing.size(); at = listing.find('\n', at) + 1) {
    size_t end = listing.find('\n', at);
    line = listing.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t name_at = line.find_first_not_of(' ');
    if (name_at != std::string::npos && line.compare(name_at, name.size() + 1, name + " ") == 0) {
      size_t type = line.find("REG_SZ");
      if (type == std::string::npos) return "?";
      size_t value = line.find_first_not_of(' ', type + 6);
      return value == std::string::npos ? "" : line.substr(value);
    }
    if (end == std::string::npos) break;
  }
  return "";
}

Bytes Audible(const Bytes& samples) {
  Bytes out;
  for (size_t i = 0; i + 1 < samples.size(); i += 2)
    if (samples[i] != 0 || samples[i + 1] != 0) out.insert(out.end(), {samples[i], samples[i + 1]});
  return out;
}

Bytes ExpectedSamples(const std::string& wav) {
  Bytes samples = WaveSamples(wav);
  EXPECT_FALSE(samples.empty()) << wav << " holds no samples";
  return samples;
}

Bytes AudibleSounds(const std::vector<std::string>& waves) {
  Bytes all;
  for (const std::string& wav : waves) {
    Bytes samples = ExpectedSamples(Dist() + "/" + wav);
    all.insert(all.end(), samples.begin(), samples.end());
  }
  return Audible(all);
}

double Seconds(size_t bytes) { return static_cast<double>(bytes) / 2 / 22050; }

double LeadingSilence(const Bytes& samples) {
  size_t i = 0;
  while (i + 1 < samples.size() && samples[i] == 0 && samples[i + 1] == 0) i += 2;
  return Seconds(i);
}

double SecondsBetween(TimePoint from, TimePoint to) { return std::chrono::duration<double>(to - from).count(); }

void ExpectInSecond(TimePoint heard, double lead, const std::string& second) {
  double late = SecondsBetween(WineSession::LocalTime(second), heard) - lead;
  EXPECT_TRUE(late > -0.1 && late < 1.5) << "heard " << late << " s after " << second;
}

std::future<std::vector<TimePoint>> Listen(const WineSession& wine, const std::string& capture,
                                           std::vector<size_t> counts, std::chrono::seconds timeout) {
  return std::async(std::launch::async, [&wine, capture, counts, timeout] {
    std::vector<TimePoint> heard;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (heard.size() < counts.size() && std::chrono::steady_clock::now() < deadline) {
      TimePoint now = wine.Now();
      size_t audible = Audible(ReadWholeFile(capture)).size();
      while (heard.size() < counts.size() && audible > counts[heard.size()]) heard.push_back(now);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return heard;
  });
}

Bytes HearAtLeast(const std::string& capture, size_t count, std::chrono::seconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  Bytes heard = Audible(ReadWholeFile(capture));
  while (heard.size() < count && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    heard = Audible(ReadWholeFile(capture));
  }
  return heard;
}

Bytes HearUntilQuiet(const std::string& capture, std::chrono::milliseconds quiet, std::chrono::seconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  Bytes heard = Audible(ReadWholeFile(capture));
  auto since = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - since < quiet && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Bytes now = Audible(ReadWholeFile(capture));
    if (now.size() != heard.size()) since = std::chrono::steady_clock::now();
    heard = std::move(now);
  }
  return heard;
}

std::map<std::string, MenuItem> OpenMenuItems(WineSession& wine) {
  RunResult r = wine.Ctl({"menu-items"});
  EXPECT_EQ(r.exit_code, 0) << "the open menu's items were not read";
  std::map<std::string, MenuItem> items;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t a = line.find('|'), b = line.find('|', a + 1), c = line.find('|', b + 1);
    if (c == std::string::npos) continue;
    items[line.substr(0, a)] = {line.substr(a + 1, b - a - 1) == "1", line.substr(b + 1, c - b - 1) == "1",
                                line.substr(c + 1)};
  }
  return items;
}

std::map<std::string, MenuItem> TrayMenuItems(WineSession& wine) {
  EXPECT_EQ(wine.Ctl({"tray-click", "right"}).exit_code, 0);
  std::map<std::string, MenuItem> items = OpenMenuItems(wine);
  EXPECT_EQ(wine.Ctl({"close-menu"}).exit_code, 0);
  return items;
}

std::string TrayTip(WineSession& wine, const std::string& expected, std::chrono::seconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string tip;
  do {
    tip = wine.Ctl({"tray-tip"}).out;
    if (!tip.empty() && tip.back() == '\n') tip.pop_back();
    if (tip == expected) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  } while (std::chrono::steady_clock::now() < deadline);
  return tip;
}

bool Becomes(WineSession& wine, const std::vector<std::string>& query, const std::string& expected,
             std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  do {
    if (wine.Ctl(query).out == expected + "\n") return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

bool Gone(WineSession& wine, const std::string& cls, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (wine.Ctl({"visible", cls}).out == "1\n") {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

bool Minimised(WineSession& wine) {
  RunResult iconic = wine.Ctl({"iconic", "TApplication"});
  EXPECT_EQ(iconic.exit_code, 0);
  return iconic.out.starts_with("1");
}

bool Shown(WineSession& wine, const std::string& cls) { return wine.Ctl({"visible", cls}).out == "1\n"; }

bool WaitShown(WineSession& wine, const std::string& cls, bool shown) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (Shown(wine, cls) != shown) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

void OpenFromTray(WineSession& wine, const char* item, const char* cls) {
  ASSERT_EQ(wine.Ctl({"tray-click", "right"}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"menu-click", "10", item}).exit_code, 0);
  ASSERT_EQ(wine.Ctl({"wait-window", cls, "10000"}).exit_code, 0) << "no " << cls << " from the tray";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
}

void AddSetting(WineSession& wine, const std::string& name, const std::string& value) {
  ASSERT_EQ(wine.Reg({"add", std::string(kSettingsKey) + "\\Horavox", "/v", name, "/d", value, "/f"}).exit_code, 0);
}

Rect CtlRect(WineSession& wine, const std::string& command, const std::string& cls) {
  RunResult r = wine.Ctl({command, cls});
  EXPECT_EQ(r.exit_code, 0) << command << " " << cls;
  Rect rect;
  std::istringstream(r.out) >> rect.left >> rect.top >> rect.right >> rect.bottom;
  return rect;
}

Picture ReadPicture(WineSession& wine, const std::string& png) {
  RunResult ppm = wine.Host({"convert", png, "-depth", "8", "ppm:-"});
  Picture picture;
  std::istringstream in(ppm.out);
  std::string magic;
  int maxval = 0;
  in >> magic >> picture.width >> picture.height >> maxval;
  in.get();
  EXPECT_EQ(magic, "P6");
  picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
  in.read(reinterpret_cast<char*>(picture.rgb.data()), static_cast<std::streamsize>(picture.rgb.size()));
  return picture;
}

std::string Hex(unsigned colour) {
  char text[8];
  snprintf(text, sizeof text, "%06x", colour & 0xFFFFFF);
  return text;
}

}  // namespace horavox::e2e
