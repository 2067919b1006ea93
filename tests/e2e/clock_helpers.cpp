#include "clock_helpers.h"

#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace horavox::e2e
