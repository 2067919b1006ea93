#include "classlib/core/random.h"

#include <chrono>
#include <mutex>
#include <random>

namespace {

std::mutex generatorLock;
std::uint64_t state = 0x853C49E6748FEA9Bull;

// SplitMix64: small, fast and good enough for picking animations and screen positions.
std::uint64_t Next() {
  std::lock_guard lock(generatorLock);
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

void Randomize() {
  std::random_device device;
  auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  SetRandSeed(ticks ^ (static_cast<std::uint64_t>(device()) << 32) ^ device());
}

void SetRandSeed(std::uint64_t seed) {
  std::lock_guard lock(generatorLock);
  state = seed;
}

int Random(int range) {
  if (range <= 0) return 0;
  return static_cast<int>(((Next() >> 32) * static_cast<std::uint64_t>(range)) >> 32);
}

double Random() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
