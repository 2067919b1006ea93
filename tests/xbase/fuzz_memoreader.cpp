// Any bytes as a memo file of each of the three formats, read and written at blocks the
// input chooses: values come back or an engine error is raised; nothing else happens.
#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/core/exceptions.h"
#include "xbase/dbftable.h"
#include "xbase/filebackend_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t versions[] = {0x83, 0x8B, 0xF5};
  std::uint8_t version = versions[data[0] % 3];
  std::uint8_t blocks = data[1];
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope(fs);
  CreateTable("M.DBF", version, {{"TXT", 'M', 10}});
  fs.SetFile(version == 0xF5 ? "M.FPT" : "M.DBT", std::string(reinterpret_cast<const char*>(data) + 2, size - 2));
  try {
    XBO_dBaseFld t("M.DBF", true, false);
    t.BlankRecord();
    t.Append();
    // Blocks taken from the file's own bytes, then a write that walks its free space.
    for (std::size_t i = 0; i < 8 && 2 + i * 4 + 4 <= size; ++i) {
      std::uint32_t block = GetLE32(data + 2 + i * 4) % (blocks + 2u);
      try {
        t.PutNumber(1, block);
        t.MemoSize(1);
        t.MemoRead(1);
        if (i % 3 == 2) t.MemoWrite(1, std::string(blocks * 7u, 'x'));
      } catch (const Exception&) {
      }
    }
  } catch (const Exception&) {
  }
  return 0;
}
