#include "clock_helpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

namespace horavox::e2e {
namespace fs = std::filesystem;

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
