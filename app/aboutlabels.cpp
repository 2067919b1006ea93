#include "app/aboutlabels.h"

#include "classlib/text.h"

String LinkTarget(const String& Prefix, const String& Value) {
  if (Value.size() >= Prefix.size() && SameText(std::string_view(Value).substr(0, Prefix.size()), Prefix))
    return Value;
  return Prefix + Value;
}
