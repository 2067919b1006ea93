#pragma once
// The fuzzers' seed writers (horavox_fuzz_seeds): each defines WriteSeeds; seed_writer_main.cpp
// runs it on the folder given and reports what it raised.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Writes every seed below `folder`, one subfolder per fuzzer.
void WriteSeeds(const std::filesystem::path& folder);

// One seed file, its folder made when missing.
void WriteSeedFile(const std::filesystem::path& path, const void* data, std::size_t size);
inline void WriteSeedFile(const std::filesystem::path& path, const std::string& bytes) {
  WriteSeedFile(path, bytes.data(), bytes.size());
}
inline void WriteSeedFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  WriteSeedFile(path, bytes.data(), bytes.size());
}
