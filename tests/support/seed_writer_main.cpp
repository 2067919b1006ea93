// seed writer <folder>: writes a subsystem's fuzzer seeds (see seed_writer.h).
#include <cstdio>
#include <exception>
#include <fstream>
#include <stdexcept>

#include "seed_writer.h"

void WriteSeedFile(const std::filesystem::path& path, const void* data, std::size_t size) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary);
  file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  try {
    WriteSeeds(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
    return 1;
  }
  return 0;
}
