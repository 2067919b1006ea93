#pragma once
// A component read from a text form ("object Name: TClass ... end"), as a form resource makes
// it: properties set while it is loading, then Loaded. The class must be linked whole.
#include <memory>
#include <string>

#include "classlib/filer.h"
#include "classlib/formtext.h"
#include "classlib/streams.h"

namespace horavox::test {

inline std::unique_ptr<TComponent> ReadFromText(const std::string& Text) {
  TStringStream text(Text);
  TMemoryStream binary;
  ObjectTextToBinary(&text, &binary);
  binary.SetPosition(0);
  TReader reader(&binary);
  return std::unique_ptr<TComponent>(reader.ReadRootComponent(nullptr));
}

}  // namespace horavox::test
