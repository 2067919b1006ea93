#pragma once
// Reads a component (the root of a text form) the way a form resource is read.
#include <memory>
#include <string>

#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"

template <class T>
std::unique_ptr<T> ReadComponentText(const std::string& Text) {
  TMemoryStream in, binary;
  in.WriteBuffer(Text.data(), static_cast<int>(Text.size()));
  in.SetPosition(0);
  ObjectTextToBinary(&in, &binary);
  binary.SetPosition(0);
  TReader reader(&binary);
  return std::unique_ptr<T>(dynamic_cast<T*>(reader.ReadRootComponent(nullptr)));
}
