#include "classlib/core/identifiers.h"

namespace classlib::detail {

namespace {
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsAlnum(char c) { return IsAlpha(c) || (c >= '0' && c <= '9'); }
}  // namespace

bool IsValidIdent(const std::string& Name, bool AllowDots) {
  bool atStart = true;
  for (char c : Name) {
    if (atStart) {
      if (!IsAlpha(c)) return false;
      atStart = false;
    } else if (c == '.' && AllowDots) {
      atStart = true;
    } else if (!IsAlnum(c)) {
      return false;
    }
  }
  return !atStart;
}

}  // namespace classlib::detail
