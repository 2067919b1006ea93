#pragma once
// A form stream's binary and text forms as strings, converted both ways (for the fuzzers).
#include <string>

#include "classlib/core/formtext.h"
#include "classlib/core/streams.h"

inline std::string ToText(const std::string& binary) {
  TStringStream in(binary), out;
  ObjectBinaryToText(&in, &out);
  return out.DataString();
}

inline std::string ToBinary(const std::string& text) {
  TStringStream in(text), out;
  ObjectTextToBinary(&in, &out);
  return out.DataString();
}
