#include "classlib/core/object.h"

#include <mutex>
#include <unordered_map>

#include "classlib/core/exceptions.h"
#include "classlib/core/text.h"

TClass TObject::StaticClass() {
  static const TClassInfo info("TObject", nullptr, nullptr, nullptr, nullptr);
  return &info;
}

bool TClassInfo::InheritsFrom(TClass Base) const {
  for (TClass c = this; c; c = c->FParent)
    if (c == Base) return true;
  return false;
}

namespace {

struct TClassRegistry {
  std::mutex Lock;
  std::unordered_map<String, TClass> Classes;  // by upper-case name
};

TClassRegistry& Registry() {
  static TClassRegistry registry;
  return registry;
}

[[maybe_unused]] const bool ObjectRegistered = (RegisterClass(TObject::StaticClass()), true);

}  // namespace

void RegisterClass(TClass Class) {
  TClassRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  auto [it, added] = r.Classes.emplace(UpperCase(Class->ClassName()), Class);
  if (!added && it->second != Class) throw EFilerError("A class named " + Class->ClassName() + " already exists");
}

TClass GetClass(const String& ClassName) {
  TClassRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  auto it = r.Classes.find(UpperCase(ClassName));
  return it == r.Classes.end() ? nullptr : it->second;
}

TClass FindClass(const String& ClassName) {
  TClass c = GetClass(ClassName);
  if (!c) throw EClassNotFound("Class " + ClassName + " not found");
  return c;
}
