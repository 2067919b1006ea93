// Throughput of the chunk codec beside memcpy on the same buffers: decompression should
// stay within about ten times memcpy. Bytes per second count uncompressed bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "controls/lzrw.h"

namespace {

// Inputs of one chunk: frames of flat art (long runs and repeats), text and random bytes.
std::vector<std::uint8_t> Input(int kind) {
  std::vector<std::uint8_t> b(LzrwChunkSize);
  std::mt19937 rng(1);
  if (kind == 0) {
    for (std::size_t i = 0; i < b.size(); ++i) {
      std::size_t x = i % 100, y = i / 100;
      b[i] = (x - 50) * (x - 50) + (y % 120 - 60) * (y % 120 - 60) < 900 ? static_cast<std::uint8_t>(1 + (x / 7 + y / 9) % 5) : 0;
    }
  } else if (kind == 1) {
    std::string words[] = {"часов ", "минут ", "ровно ", "clock ", "speaks ", "the ", "time "};
    std::string t;
    while (t.size() < b.size()) t += words[rng() % 7];
    std::memcpy(b.data(), t.data(), b.size());
  } else {
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
  }
  return b;
}

const char* const Names[] = {"frames", "text", "random"};

void Memcpy(benchmark::State& state) {
  std::vector<std::uint8_t> in = Input(static_cast<int>(state.range(0))), out(in.size());
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), in.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
  state.SetLabel(Names[state.range(0)]);
}

void Compress(benchmark::State& state) {
  std::vector<std::uint8_t> in = Input(static_cast<int>(state.range(0))), out(LzrwCompressBound(in.size()));
  std::size_t len = 0;
  for (auto _ : state) {
    len = Lzrw1KhCompress(in.data(), out.data(), in.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
  state.SetLabel(std::string(Names[state.range(0)]) + ", ratio " + std::to_string(static_cast<double>(len) / in.size()).substr(0, 5));
}

void Decompress(benchmark::State& state) {
  std::vector<std::uint8_t> in = Input(static_cast<int>(state.range(0))), packed(LzrwCompressBound(in.size())), out(in.size());
  packed.resize(Lzrw1KhCompress(in.data(), packed.data(), in.size()));
  for (auto _ : state) {
    benchmark::DoNotOptimize(Lzrw1KhDecompress(packed.data(), out.data(), packed.size(), out.size()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
  state.SetLabel(Names[state.range(0)]);
}

}  // namespace

BENCHMARK(Memcpy)->DenseRange(0, 2);
BENCHMARK(Decompress)->DenseRange(0, 2);
BENCHMARK(Compress)->DenseRange(0, 2);
BENCHMARK_MAIN();
