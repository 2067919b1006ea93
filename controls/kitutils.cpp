#include "controls/kitutils.h"

#include <algorithm>

#include "classlib/core/exceptions.h"

bool IsBlank(const String& S) { return S.find_first_not_of(' ') == String::npos; }

String AddBackslash(const String& S) {
  if (!IsBlank(S) && S.back() == '\\') return S;
  return S + '\\';
}

String RemoveBackslash(const String& S) {
  if (IsBlank(S) || S.back() != '\\') return S;
  if (S.size() == 3 && S[1] == ':') return S;  // a drive's root
  return S.substr(0, S.size() - 1);
}

String GetPrefixDir(TKitPathPrefix Prefix, bool WithBackslash) {
  String dir;
  switch (Prefix) {
    case ppWindows: dir = GetWindowsDir(); break;
    case ppSystem: dir = GetSystemDir(); break;
    case ppProgram: dir = GetApplicationDir(); break;
    case ppFixed: return String();
  }
  return WithBackslash ? AddBackslash(dir) : RemoveBackslash(dir);
}

namespace {
template <class T>
std::span<const T> NonEmpty(std::span<const T> Values) {
  if (Values.empty()) throw EInvalidOperation("An empty array has no largest or smallest value");
  return Values;
}
}  // namespace

int KitMaxInt(std::span<const int> Values) {
  auto v = NonEmpty(Values);
  return *std::max_element(v.begin(), v.end());
}

int KitMinInt(std::span<const int> Values) {
  auto v = NonEmpty(Values);
  return *std::min_element(v.begin(), v.end());
}

double KitMinExtended(std::span<const double> Values) {
  auto v = NonEmpty(Values);
  return *std::min_element(v.begin(), v.end());
}
