#pragma once
// Names of classes, components and properties are ASCII identifiers; they compare without
// regard to case (SameText, UpperCase of classlib/core/text.h).
#include <string>

namespace classlib::detail {

// A letter or '_' first, then letters, digits and '_'; with AllowDots, several such
// identifiers joined by single dots ("Font.Name").
bool IsValidIdent(const std::string& Name, bool AllowDots = false);

}  // namespace classlib::detail
