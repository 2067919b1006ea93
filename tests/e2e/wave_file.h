#pragma once
// What the end-to-end tests compare: the samples of a wave file and of a capture.
#include <cstdint>
#include <string>
#include <vector>

namespace horavox::e2e {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadWholeFile(const std::string& path);
// The bytes of the "data" chunk of a RIFF/WAVE file; throws when there is none.
Bytes WaveSamples(const std::string& path);
// Where `part` first occurs in `whole`, or -1.
long long Find(const Bytes& whole, const Bytes& part, size_t from = 0);

}  // namespace horavox::e2e
