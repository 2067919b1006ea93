// Any bytes as a compound index over a fixed table: opening, walking every tag both ways and
// seeking either works or raises an engine error; the node decoders take any page, and a node
// they took reads the same once encoded and decoded again. Nothing else happens, and nothing
// runs away.
#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/core/exceptions.h"
#include "fuzz_roundtrip.h"
#include "xbase/dbftable.h"
#include "xbase/filebackend_memory.h"
#include "xbase/xbcdx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope(fs);
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    CreateTable("F.DBF", 0x30,
                {{"CALL_ID", 'I', 4}, {"CONTACT_ID", 'I', 4}, {"NAME", 'C', 10}, {"NUM", 'N', 8, 2}, {"DAY", 'D', 8}});
    XBO_dBaseFld table("F.DBF", true, false);
    table.BlankRecord();
    table.PutTextByName("NAME", "ABC");
    table.Append();
    {
      // The decoders alone, on the first page, at several key shapes.
      XBobjCDXFile fresh(&table, "N.CDX", true, true, false);
      auto* wide = static_cast<XBobjCDXTag*>(fresh.AddTag("WIDE", "NAME", "", false, false));
      auto* general = static_cast<XBobjCDXTag*>(fresh.AddTagCollated("GEN", "NAME", "", false, false, true));
      auto* integer = static_cast<XBobjCDXTag*>(fresh.AddTag("ID", "CALL_ID", "", false, false));
      std::string page = bytes.substr(0, 512);
      page.resize(512, '\0');
      for (XBobjCDXTag* tag : {&fresh.Directory(), wide, general, integer}) {
        XBobjIndexKey node;
        if (tag->DecodeNode(reinterpret_cast<const std::uint8_t*>(page.data()), node)) {
          std::uint8_t out[512];
          if (tag->NodeFits(node)) {
            tag->EncodeNode(node, out);
            TrapUnlessRoundTrip(*tag, node, out);
          }
        }
      }
    }
    fs.SetFile("F.CDX", bytes);
    XBobjCDXFile index(&table, "F.CDX", false, false, false);
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
