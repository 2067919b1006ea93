#include "classlib/core/resstream.h"

#include "classlib/core/filer.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"
#include "classlib/core/winapi.h"

HX_PUBLISH(TResourceStream, p) {}

namespace {
HRSRC FindResourceOf(HMODULE module, const String& name, int type) {
  return FindResourceW(module, Utf8ToWide(name).c_str(), MAKEINTRESOURCEW(type));
}
}  // namespace

TResourceStream::TResourceStream(void* Module, const String& ResName, int ResType) {
  HMODULE module = Module ? static_cast<HMODULE>(Module) : GetModuleHandleW(nullptr);
  HRSRC info = FindResourceOf(module, ResName, ResType);
  HGLOBAL data = info ? LoadResource(module, info) : nullptr;
  void* memory = data ? LockResource(data) : nullptr;
  if (!memory) throw EResNotFound("Resource " + ResName + " not found");
  SetPointer(memory, SizeofResource(module, info));
}

bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor) {
  // The ancestors' forms first, so that a descendant's form finds their components.
  std::vector<TClass> chain;
  for (TClass c = Instance->ClassType(); c && c != RootAncestor && c != ClassOf<TComponent>(); c = c->ClassParent())
    chain.push_back(c);
  // Loaded runs once, after the last form.
  std::vector<TComponent*> loaded;
  bool found = false;
  try {
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      String name = UpperCase((*it)->ClassName());
      if (!FindResourceOf(GetModuleHandleW(nullptr), name, kResourceTypeRcData)) continue;
      TResourceStream stream(nullptr, name);
      TReader reader(&stream);
      reader.SetLoadedList(&loaded);
      reader.ReadRootComponent(Instance);
      found = true;
    }
  } catch (...) {
    TReader::AbortLoading(loaded);
    throw;
  }
  TReader::FinishLoading(loaded);
  return found;
}
