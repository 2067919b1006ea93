// Fuzzes the binary form stream: the converter to text (whatever it accepts must convert
// to text and back to the same text) and the reader onto a root of test components.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "classlib/core/filer.h"
#include "form_conversions.h"
#include "test_components.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string text;
  try {
    text = ToText(input);
  } catch (const Exception&) {
  }
  if (!text.empty() && ToText(ToBinary(text)) != text) std::abort();

  TestLog().clear();
  try {
    TTestForm root(nullptr);
    TStringStream in(input);
    TReader reader(&in);
    reader.ReadRootComponent(&root);
  } catch (const Exception&) {
  }
  return 0;
}
