#include "test_paths.h"

#include <filesystem>
#include <string>

namespace horavox::test {

std::string SourceDir() { return HORAVOX_TEST_SOURCE_DIR; }
std::string BinaryDir() { return HORAVOX_TEST_BINARY_DIR; }
std::string SoundDataDir() { return HORAVOX_TEST_SOUND_DIR; }

std::string TempDir() {
  static const std::string dir = [] {
    // Sources and build paths are plain ASCII, so the narrow path form is exact.
    std::filesystem::path p = std::filesystem::path(BinaryDir()) / "test-tmp";
    std::filesystem::create_directories(p);
    // One folder per run, so test programs running side by side never share files.
    for (int i = 0;; ++i) {
      auto candidate = p / ("run" + std::to_string(i));
      std::error_code ec;
      if (std::filesystem::create_directory(candidate, ec)) return candidate.string();
    }
  }();
  return dir;
}

}  // namespace horavox::test
