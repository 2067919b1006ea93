// Any bytes as an index file over a fixed table, in the format chosen when the fuzzer is built
// (FUZZ_FORMAT: 0 compound, 1 single-tag, 2 multiple, 3 text-key): opening, walking every tag
// both ways and seeking either works or raises an engine error; the node decoders take any
// page, and a node they took reads the same once encoded and decoded again (its entries, its
// kind and its siblings; the bytes may differ where the decoder takes more than one form of a
// key); the tree check then passes or raises an engine error. Nothing else happens, and
// nothing runs away.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "classlib/core/exceptions.h"
#include "xbase/dbftable.h"
#include "xbase/filebackend_memory.h"
#include "xbase/xbcdx.h"
#include "xbase/xbmdx.h"
#include "xbase/xbndx.h"
#include "xbase/xbntx.h"

namespace {

// A key the decoders are tried at: its expression, and whether a compound tag collates it.
struct TKeySpec {
  const char* Key;
  bool General;
};

#if FUZZ_FORMAT == 0
using TFile = XBobjCDXFile;
using TTag = XBobjCDXTag;
constexpr int kBlock = XBobjCDXTag::NodeSize;
constexpr const char* kName = "F.CDX";
constexpr const char* kFresh = "N.CDX";
// The table of the compound index files other programs wrote (tests/xbase/data).
constexpr std::uint8_t kTableVersion = 0x30;
const std::vector<TxbFieldSpec> kFields = {
    {"CALL_ID", 'I', 4}, {"CONTACT_ID", 'I', 4}, {"NAME", 'C', 10}, {"NUM", 'N', 8, 2}, {"DAY", 'D', 8}};
const std::vector<TKeySpec> kKeys = {{"NAME", false}, {"NAME", true}, {"CALL_ID", false}};
#else
#if FUZZ_FORMAT == 1
using TFile = XBobjNDXFile;
using TTag = XBobjNDXTag;
constexpr int kBlock = XBobjNDXTag::BlockSize;
constexpr const char* kName = "F.NDX";
constexpr const char* kFresh = "N.NDX";
#elif FUZZ_FORMAT == 2
using TFile = XBobjMDXFile;
using TTag = XBobjMDXTag;
constexpr int kBlock = 1024;
constexpr const char* kName = "F.MDX";
constexpr const char* kFresh = "N.MDX";
#else
using TFile = XBobjNTXFile;
using TTag = XBobjNTXTag;
constexpr int kBlock = XBobjNTXTag::PageSize;
constexpr const char* kName = "F.NTX";
constexpr const char* kFresh = "N.NTX";
#endif
// The table the seeds were written over (fuzz_seeds.cpp).
constexpr std::uint8_t kTableVersion = 0x03;
const std::vector<TxbFieldSpec> kFields = {{"NAME", 'C', 10}, {"NUM", 'N', 8, 2}, {"DAY", 'D', 8}};
const std::vector<TKeySpec> kKeys = {{"NAME", false}, {"NUM", false}, {"DAY", false}};
#endif

TTag* MakeTag(TFile& file, int number, const TKeySpec& spec) {
  const std::string name = "K" + std::to_string(number);
#if FUZZ_FORMAT == 0
  return static_cast<TTag*>(file.AddTagCollated(name, spec.Key, "", false, false, spec.General));
#else
  return static_cast<TTag*>(file.AddTag(name, spec.Key, "", false, false));
#endif
}

void TrapUnlessRoundTrip(const TTag& tag, const XBobjIndexKey& node, const std::uint8_t* encoded) {
  XBobjIndexKey again;
  if (!tag.DecodeNode(encoded, again)) __builtin_trap();
  if (again.Leaf != node.Leaf || again.Left != node.Left || again.Right != node.Right ||
      again.Entries.size() != node.Entries.size())
    __builtin_trap();
  for (std::size_t i = 0; i < node.Entries.size(); ++i) {
    const TxbIndexEntry &a = again.Entries[i], &b = node.Entries[i];
    if (a.Key != b.Key || a.RecNo != b.RecNo || a.Child != b.Child || a.Beyond != b.Beyond) __builtin_trap();
  }
}

void TryDecoder(const TTag& tag, const std::uint8_t* block) {
  XBobjIndexKey node;
  if (!tag.DecodeNode(block, node) || !tag.NodeFits(node)) return;
  std::string out(static_cast<std::size_t>(kBlock), '\0');
  tag.EncodeNode(node, reinterpret_cast<std::uint8_t*>(out.data()));
  TrapUnlessRoundTrip(tag, node, reinterpret_cast<const std::uint8_t*>(out.data()));
}

// The decoders alone, on the first block, at each key shape (and the compound directory).
void DecodersAlone(XBO_dBaseFld& table, const std::string& bytes) {
  TFile fresh(&table, kFresh, true, true, false);
  std::string block = bytes.substr(0, static_cast<std::size_t>(kBlock));
  block.resize(static_cast<std::size_t>(kBlock), '\0');
  const auto* raw = reinterpret_cast<const std::uint8_t*>(block.data());
#if FUZZ_FORMAT == 0
  TryDecoder(fresh.Directory(), raw);
#endif
  // Each tag is tried as soon as it is made: a single-tag file's next one replaces it.
  for (std::size_t i = 0; i < kKeys.size(); ++i) TryDecoder(*MakeTag(fresh, static_cast<int>(i), kKeys[i]), raw);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope(fs);
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    CreateTable("F.DBF", kTableVersion, kFields);
    XBO_dBaseFld table("F.DBF", true, false);
    table.BlankRecord();
    table.PutTextByName("NAME", "ABC");
    table.Append();
    DecodersAlone(table, bytes);
    fs.SetFile(kName, bytes);
    TFile index(&table, kName, false, false, false);
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
      guarded([&] { tag.CheckTree(); });
    }
#if FUZZ_FORMAT == 0
    index.Directory().CheckTree();
#endif
  } catch (const Exception&) {
  }
  return 0;
}
