// Compiles and evaluates arbitrary text against a fixed record. The first byte chooses the
// settings (bit 0: SQL wildcards, bit 1: case-insensitive), the rest is the expression.
#include <cstddef>
#include <cstdint>
#include <string>

#include "classlib/core/exceptions.h"
#include "expression_fixture.h"
#include "xbase/variant.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TFixedLink link;
  static const bool ready = (link.StandardRecord(), true);
  (void)ready;
  if (size == 0) return 0;
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  try {
    TxbExpHandler h(&link, (data[0] & 1) != 0, text);
    h.CaseInsensitive = (data[0] & 2) != 0;
    h.Evaluate();
    TxbVariant v;
    h.Evaluate(v);  // a second time: the buffers are reused
    h.TextForm();
    h.FieldList();
  } catch (const Exception&) {
  }
  return 0;
}
