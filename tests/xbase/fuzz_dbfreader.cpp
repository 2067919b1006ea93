// Any bytes as a table: opening, every record, every getter and display either works or
// raises an engine error; nothing else happens.
#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/core/exceptions.h"
#include "xbase/dbftable.h"
#include "xbase/filebackend_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TxbMemoryFileSystem fs;
  TxbFileSystemScope scope(fs);
  fs.SetFile("F.DBF", std::string(reinterpret_cast<const char*>(data), size));
  try {
    XBO_dBaseFld t("F.DBF", false, false);
    int records = std::min(t.RecordCount(), 100);
    for (int r = 1; r <= records; ++r) {
      t.Go(r);
      for (int n = 1; n <= t.FieldCount(); ++n) {
        auto guarded = [&](auto f) {
          try {
            f();
          } catch (const Exception&) {
          }
        };
        guarded([&] { t.FieldText(n); });
        guarded([&] { t.FieldDisplay(n); });
        guarded([&] { t.GetNumber(n); });
        guarded([&] { t.GetDate(n); });
        guarded([&] { t.GetLogical(n); });
        guarded([&] { t.MemoRead(n); });
      }
    }
    t.Go(xbGoBottom);
    t.Go(xbGoNext);
  } catch (const Exception&) {
  }
  return 0;
}
