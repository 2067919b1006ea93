// The kit's stream readers on any bytes: a block stream, the flagged layouts and a wave either
// read or raise a stream error, never overrun or allocate what the data does not hold.
#include "classlib/core/streams.h"
#include "controls/kitstreams.h"
#include "controls/kitwave.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    TStringStream source(bytes), dest;
    ReadCompressedBlocks(&source, &dest);
  } catch (const EStreamError&) {
  }
  try {
    TStringStream source(bytes);
    TMemoryStream form;
    bool compressed = ReadFlag(&source) & 1;
    ReadShortString(&source);
    ReadFlaggedForm(&source, &form, compressed);
  } catch (const EStreamError&) {
  }
  try {
    TStringStream source(bytes);
    TKitWave wave;
    bool compressed = ReadFlag(&source) & 1;
    ReadFlaggedWave(&source, &wave, compressed);
  } catch (const EStreamError&) {
  } catch (const EInvalidWave&) {
  }
  return 0;
}
