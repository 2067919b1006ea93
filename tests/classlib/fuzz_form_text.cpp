// Fuzzes the text form converter: whatever it accepts converts to binary, to text and
// back to the same text; the binary is then read onto a root of test components.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "classlib/core/filer.h"
#include "form_conversions.h"
#include "test_components.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  std::string binary;
  try {
    binary = ToBinary(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const Exception&) {
    return 0;
  }
  std::string text = ToText(binary);
  if (ToText(ToBinary(text)) != text) std::abort();

  TestLog().clear();
  try {
    TTestForm root(nullptr);
    TStringStream in(binary);
    TReader reader(&in);
    reader.ReadRootComponent(&root);
  } catch (const Exception&) {
  }
  return 0;
}
