// Any bytes as a single-tag, multiple or text-key index over a fixed table (the format is
// chosen when the fuzzer is built): opening, walking the tags both ways and seeking either
// works or raises an engine error; the header and node decoders take any block, and a node
// they took is encoded and decoded back unchanged. Nothing else happens, and nothing runs
// away.
#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/core/exceptions.h"
#include "fuzz_roundtrip.h"
#include "xbase/dbftable.h"
#include "xbase/filebackend_memory.h"
#include "xbase/xbmdx.h"
#include "xbase/xbndx.h"
#include "xbase/xbntx.h"

namespace {

template <typename TFile, typename TTag>
void DecodersAlone(XBO_dBaseFld& table, const std::string& bytes, const char* name, int blockSize) {
  TFile fresh(&table, name, true, true, false);
  std::string block = bytes.substr(0, static_cast<std::size_t>(blockSize));
  block.resize(static_cast<std::size_t>(blockSize), '\0');
  const auto* raw = reinterpret_cast<const std::uint8_t*>(block.data());
  for (const char* key : {"NAME", "NUM", "DAY"}) {
    auto* tag = static_cast<TTag*>(fresh.AddTag("K", key, "", false, false));
    XBobjIndexKey node;
    if (tag->DecodeNode(raw, node) && tag->NodeFits(node)) {
      std::string out(static_cast<std::size_t>(blockSize), '\0');
      tag->EncodeNode(node, reinterpret_cast<std::uint8_t*>(out.data()));
      TrapUnlessRoundTrip(*tag, node, reinterpret_cast<const std::uint8_t*>(out.data()));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope(fs);
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    CreateTable("F.DBF", 0x03, {{"NAME", 'C', 10}, {"NUM", 'N', 8, 2}, {"DAY", 'D', 8}});
    XBO_dBaseFld table("F.DBF", true, false);
    table.BlankRecord();
    table.PutTextByName("NAME", "ABC");
    table.Append();
#if FUZZ_FORMAT == 1
    DecodersAlone<XBobjNDXFile, XBobjNDXTag>(table, bytes, "N.NDX", XBobjNDXTag::BlockSize);
    fs.SetFile("F.NDX", bytes);
    XBobjNDXFile index(&table, "F.NDX", false, false, false);
#elif FUZZ_FORMAT == 2
    DecodersAlone<XBobjMDXFile, XBobjMDXTag>(table, bytes, "N.MDX", 1024);
    fs.SetFile("F.MDX", bytes);
    XBobjMDXFile index(&table, "F.MDX", false, false, false);
#else
    DecodersAlone<XBobjNTXFile, XBobjNTXTag>(table, bytes, "N.NTX", XBobjNTXTag::PageSize);
    fs.SetFile("F.NTX", bytes);
    XBobjNTXFile index(&table, "F.NTX", false, false, false);
#endif
    if (index.Damaged()) return 0;
    for (int i = 0; i < index.TagCount(); ++i) {
      XBobjIndexTag& tag = *index.TagByIndex(i);
      auto guarded = [&](auto f) {
        try {
          f();
        } catch (const Exception&) {
        }
      };
      guarded([&] {
        int n = 0;
        for (tag.TagMove(-3); !tag.Eof() && n < 5000; ++n) tag.TagMove(-1);
      });
      guarded([&] {
        int n = 0;
        for (tag.TagMove(-4); !tag.Bof() && n < 5000; ++n) tag.TagMove(-2);
      });
      for (std::size_t at = 0; at + 4 <= size && at < 64; at += 16) {
        guarded([&] { tag.SeekStored(bytes.substr(at, 4)); });
        guarded([&] { tag.FindEntry(bytes.substr(at, 4), static_cast<std::uint32_t>(at)); });
      }
    }
  } catch (const Exception&) {
  }
  return 0;
}
