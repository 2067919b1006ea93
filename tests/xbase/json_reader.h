#pragma once
// A small JSON reader for the tests' expected dumps: objects, arrays, strings (UTF-8, with
// escapes), numbers, true, false and null.
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace xbtest {

struct TJson {
  enum TKind { Null, Bool, Number, String, Array, Object } Kind = Null;
  bool BoolValue = false;
  double NumberValue = 0;
  bool IsInteger = false;
  std::string StringValue;
  std::vector<TJson> Items;
  std::vector<std::string> Keys;  // object members in file order
  std::vector<TJson> Values;

  const TJson& operator[](const std::string& key) const;
  const TJson& operator[](size_t i) const { return Items.at(i); }
};

// Throws std::runtime_error on malformed text.
TJson ParseJson(const std::string& text);
TJson ReadJsonFile(const std::string& fileName);

}  // namespace xbtest
