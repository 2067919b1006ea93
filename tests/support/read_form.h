#pragma once
// A component read from a text form ("object Name: TClass ... end"), as a form resource makes
// it: properties set while it is loading, then Loaded (the class must be linked whole); and
// one written as text.
#include <memory>
#include <string>

#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "classlib/core/streams.h"

namespace horavox::test {

inline std::unique_ptr<TComponent> ReadFromText(const std::string& Text) {
  TStringStream text(Text);
  TMemoryStream binary;
  ObjectTextToBinary(&text, &binary);
  binary.SetPosition(0);
  TReader reader(&binary);
  return std::unique_ptr<TComponent>(reader.ReadRootComponent(nullptr));
}

// A component written as a form resource would hold it, as the text form reads.
inline std::string WriteToText(TComponent* Component) {
  TMemoryStream binary;
  TWriter(&binary).WriteRootComponent(Component);
  binary.SetPosition(0);
  TStringStream out;
  ObjectBinaryToText(&binary, &out);
  return out.DataString();
}

}  // namespace horavox::test
