#include "desktop/propfiler.h"

#include <algorithm>
#include <map>

#include "classlib/core/collection.h"
#include "classlib/core/component.h"
#include "classlib/core/finally.h"
#include "classlib/core/streams.h"
#include "classlib/core/text.h"

HX_PUBLISH(TPropertyNames, p) {}
HX_PUBLISH(TStoragePropertyInterceptor, p) {}
HX_PUBLISH(TPropWriter, p) {}
HX_PUBLISH(TPropReader, p) {}

// ---- Hexadecimal text ----

String BytesToHex(const String& Bytes) {
  static const char digits[] = "0123456789ABCDEF";
  String hex;
  hex.reserve(Bytes.size() * 2);
  for (unsigned char b : Bytes) {
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  return hex;
}

bool HexToBytes(const String& Hex, String& Bytes) {
  if (Hex.size() % 2) return false;
  auto nibble = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  String out(Hex.size() / 2, '\0');
  for (size_t i = 0; i < out.size(); ++i) {
    int high = nibble(Hex[2 * i]), low = nibble(Hex[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    out[i] = static_cast<char>(high * 16 + low);
  }
  Bytes = std::move(out);
  return true;
}

void BytesToStream(const String& Bytes, TStream* Stream) {
  Stream->WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
}

// ---- Children and paths ----

namespace {

std::vector<String> SplitPath(const String& Path) {
  std::vector<String> parts;
  size_t start = 0;
  for (;;) {
    size_t dot = Path.find('.', start);
    parts.push_back(Path.substr(start, dot == String::npos ? String::npos : dot - start));
    if (dot == String::npos) return parts;
    start = dot + 1;
  }
}

String JoinPath(const std::vector<String>& Parts, size_t From) {
  String s;
  for (size_t i = From; i < Parts.size(); ++i) s += (i > From ? "." : "") + Parts[i];
  return s;
}

bool IsPropMarker(const String& Token) { return SameText(Token, kPropMarker); }
bool IsMarker(const String& Token) { return !Token.empty() && Token[0] == '<'; }

// "<Item12>" gives 12; -1 for anything else.
int ItemMarkerIndex(const String& Token) {
  if (Token.size() < 7 || !SameText(Token.substr(0, 5), "<Item") || Token.back() != '>') return -1;
  String digits = Token.substr(5, Token.size() - 6);
  if (digits.empty() || digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), [](char c) {
        return c >= '0' && c <= '9';
      }))
    return -1;
  return std::stoi(digits);
}

// "__Item12" (a collection item in the stream) gives 12; -1 for anything else.
int StreamItemIndex(const String& Token) {
  if (Token.size() < 7 || !SameText(Token.substr(0, 6), "__Item")) return -1;
  String digits = Token.substr(6);
  if (digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return -1;
  return std::stoi(digits);
}

bool IsDefinedProperty(TPersistent* Object, const String& Name) {
  for (const String& n : DefinedPropertyNames(Object))
    if (SameText(n, Name)) return true;
  return false;
}

// A published property other than an event.
const TPropInfo* FindStoredProperty(TClass Class, const String& Name) {
  const TPropInfo* prop = Class ? Class->FindProperty(Name) : nullptr;
  return prop && prop->Kind() != tkMethod ? prop : nullptr;
}

[[noreturn]] void InvalidPath(const String& Path) {
  throw Exception("Invalide property path: \"" + Path + "\"");
}

// Whether Names[Index…] is a property path of Object (Top: the component's own level,
// where its interceptor's properties count too).
bool IsValidPropPath(TPersistent* Object, const std::vector<String>& Names, size_t Index, bool Top) {
  if (Index >= Names.size() || Names[Index].empty()) return false;
  const String& name = Names[Index];
  bool last = Index + 1 == Names.size();
  std::unique_ptr<TStoragePropertyInterceptor> interceptor;
  const TPropInfo* prop = nullptr;
  if (Top) {
    if (const TPropInfo* p = FindStoredProperty(FindPropertyInterceptor(Object->ClassType()), name)) {
      prop = p;
      if (!last) {
        interceptor = CreatePropertyInterceptor(Object);
        Object = interceptor.get();
      }
    }
  }
  if (!prop) prop = FindStoredProperty(Object->ClassType(), name);
  if (!prop) return last && IsDefinedProperty(Object, name);
  if (last) return true;
  if (prop->Kind() != tkClass) return false;
  TObject* value = prop->GetObject(Object);
  const String& next = Names[Index + 1];
  if (IsMarker(next)) {
    auto* collection = dynamic_cast<TCollection*>(value);
    if (!collection) return false;
    if (SameText(next, kForAllItems)) {
      // A detached item of the item class: the collection sees no change.
      std::unique_ptr<TCollectionItem> item(collection->ItemClass()->CreateItem(nullptr));
      return item && IsValidPropPath(item.get(), Names, Index + 2, false);
    }
    int n = ItemMarkerIndex(next);
    return n >= 0 && n < collection->Count() && IsValidPropPath(collection->GetItem(n), Names, Index + 2, false);
  }
  auto* sub = dynamic_cast<TPersistent*>(value);
  return sub && IsValidPropPath(sub, Names, Index + 1, false);
}

}  // namespace

TComponent* FindStreamedChild(TComponent* Parent, const String& Name, TComponent* Root) {
  TComponent* found = nullptr;
  Parent->GetChildren(
      [&](TComponent* Child) {
        if (!found && SameText(Child->GetName(), Name)) found = Child;
      },
      Root);
  return found;
}

int ComparePropertyPaths(const String& A, const String& B) {
  std::vector<String> a = SplitPath(A), b = SplitPath(B);
  if (A.empty()) a.clear();
  if (B.empty()) b.clear();
  for (size_t i = 0;; ++i) {
    if (i == a.size() || i == b.size()) return i == a.size() ? (i == b.size() ? 0 : -1) : 1;
    bool ap = IsPropMarker(a[i]), bp = IsPropMarker(b[i]);
    if (ap != bp) return ap ? -1 : 1;
    bool am = IsMarker(a[i]), bm = IsMarker(b[i]);
    if (am != bm) return am ? 1 : -1;
    if (int c = AnsiCompareText(a[i], b[i])) return c;
  }
}

bool IsValidPropertyPath(TComponent* Root, const String& Path) {
  std::vector<String> names = SplitPath(Path);
  auto marker = std::find_if(names.begin(), names.end(), IsPropMarker);
  if (marker == names.end()) InvalidPath(Path);
  TComponent* component = Root;
  for (auto it = names.begin(); it != marker; ++it) {
    component = FindStreamedChild(component, *it, Root);
    if (!component) return false;
  }
  return IsValidPropPath(component, names, static_cast<size_t>(marker - names.begin()) + 1, true);
}

// ---- TPropertyNames ----

void TPropertyNames::SetRoot(TComponent* Value) {
  FRoot = Value;
  if (!FRoot) return;
  for (int i = Count() - 1; i >= 0; --i) {
    bool valid;
    try {
      valid = IsValidPropertyPath(FRoot, Get(i));
    } catch (const Exception&) {
      valid = false;
    }
    if (!valid) Delete(i);
  }
}

int TPropertyNames::AddObject(const String& S, TObject* AObject) {
  if (FRoot && !FRoot->ComponentState().Contains(csLoading) && !IsValidPropertyPath(FRoot, S)) return -1;
  int index = Count();
  for (int i = 0; i < Count(); ++i) {
    int c = ComparePropertyPaths(S, Get(i));
    if (c == 0) return -1;
    if (c < 0) {
      index = i;
      break;
    }
  }
  TStringList::InsertObject(index, S, AObject);
  return index;
}

void TPropertyNames::InsertObject(int, const String& S, TObject* AObject) { AddObject(S, AObject); }

// ---- Interceptor registry ----

namespace {

struct TInterceptorEntry {
  TClass ForClass;
  TClass InterceptorClass;
  TInterceptorFactory Create;
};

std::vector<TInterceptorEntry>& Interceptors() {
  static std::vector<TInterceptorEntry> list;
  return list;
}

const TInterceptorEntry* FindEntry(TClass ObjectClass) {
  for (TClass c = ObjectClass; c; c = c->ClassParent())
    for (const TInterceptorEntry& e : Interceptors())
      if (SameText(e.ForClass->ClassName(), c->ClassName())) return &e;
  return nullptr;
}

}  // namespace

void RegisterPropertyInterceptor(TClass ForClass, TClass InterceptorClass, TInterceptorFactory Create) {
  UnregisterPropertyInterceptor(ForClass);
  Interceptors().push_back({ForClass, InterceptorClass, std::move(Create)});
}

void UnregisterPropertyInterceptor(TClass ForClass) {
  std::erase_if(Interceptors(),
                [ForClass](const TInterceptorEntry& e) { return SameText(e.ForClass->ClassName(), ForClass->ClassName()); });
}

TClass FindPropertyInterceptor(TClass ObjectClass) {
  const TInterceptorEntry* e = FindEntry(ObjectClass);
  return e ? e->InterceptorClass : nullptr;
}

std::unique_ptr<TStoragePropertyInterceptor> CreatePropertyInterceptor(TPersistent* Target) {
  const TInterceptorEntry* e = FindEntry(Target->ClassType());
  return e ? e->Create(Target) : nullptr;
}

// ---- TPropWriter ----

namespace {

// One more level of objects inside objects, within the form stream's limit.
class TDepth {
 public:
  explicit TDepth(int& Depth) : FDepth(Depth) {
    if (++FDepth > kMaxFormNesting) {
      --FDepth;
      throw Exception("Objects nest too deeply");
    }
  }
  ~TDepth() { --FDepth; }
  TDepth(const TDepth&) = delete;
  TDepth& operator=(const TDepth&) = delete;

 private:
  int& FDepth;
};

}  // namespace

TPropWriter::TPropWriter(TStream* Stream) : TWriter(Stream) {}
TPropWriter::~TPropWriter() = default;

void TPropWriter::WriteStorage(TComponent* Root, TStrings* Paths,
                               const std::function<void(TPropWriter*)>& WriteCustom) {
  FRoot = FLookupRoot = Root;
  std::vector<String> paths;
  for (int i = 0; i < Paths->Count(); ++i) paths.push_back(Paths->Get(i));
  // Each component once: its own properties before its children's.
  std::stable_sort(paths.begin(), paths.end(),
                   [](const String& a, const String& b) { return ComparePropertyPaths(a, b) < 0; });

  WriteSignature();
  WriteStr(Root->ClassName());
  WriteStr(Root->GetName());
  for (const String& path : paths) {
    std::vector<String> names = SplitPath(path);
    if (!IsPropMarker(names[0])) continue;
    if (names.size() < 2) throw Exception("Component name is empty.");
    WritePropertyPath(Root, JoinPath(names, 1));
  }
  if (WriteCustom) WriteCustom(this);
  WriteListEnd();

  struct TOpen {
    TComponent* Component;
    bool PropertiesEnded;
  };
  std::vector<TOpen> open;
  auto closeTo = [&](size_t Depth) {
    while (open.size() > Depth) {
      if (!open.back().PropertiesEnded) WriteListEnd();
      WriteListEnd();
      open.pop_back();
    }
  };
  for (const String& path : paths) {
    std::vector<String> names = SplitPath(path);
    if (IsPropMarker(names[0])) continue;
    auto marker = std::find_if(names.begin(), names.end(), IsPropMarker);
    if (marker == names.end()) InvalidPath(path);
    size_t depth = static_cast<size_t>(marker - names.begin());
    TComponent* current = Root;
    bool found = true;
    for (size_t d = 0; d < depth; ++d) {
      if (names[d].empty()) throw Exception("Component name is empty.");
      if (d < open.size() && SameText(open[d].Component->GetName(), names[d])) {
        current = open[d].Component;
        continue;
      }
      TComponent* child = FindStreamedChild(current, names[d], Root);
      if (!child) {
        found = false;
        break;
      }
      closeTo(d);
      if (d > 0 && !open[d - 1].PropertiesEnded) {
        WriteListEnd();
        open[d - 1].PropertiesEnded = true;
      }
      WriteStr(child->ClassName());
      WriteStr(child->GetName());
      open.push_back({child, false});
      current = child;
    }
    if (!found) continue;
    closeTo(depth);
    if (open.back().PropertiesEnded) continue;  // cannot happen in path order
    WritePropertyPath(current, JoinPath(names, depth + 1));
  }
  closeTo(0);
  WriteListEnd();
}

void TPropWriter::WritePropertyPath(TPersistent* Instance, const String& Path) {
  WritePath(Instance, SplitPath(Path), 0, String());
}

TPersistent* TPropWriter::InterceptorFor(TPersistent* Object, const String& Name) {
  if (!FindStoredProperty(FindPropertyInterceptor(Object->ClassType()), Name)) return nullptr;
  for (auto& [target, interceptor] : FInterceptors)
    if (target == Object) return interceptor->CanWrite() ? interceptor.get() : nullptr;
  FInterceptors.emplace_back(Object, CreatePropertyInterceptor(Object));
  TStoragePropertyInterceptor* interceptor = FInterceptors.back().second.get();
  return interceptor && interceptor->CanWrite() ? interceptor : nullptr;
}

void TPropWriter::WritePath(TPersistent* Object, const std::vector<String>& Names, size_t Index,
                            const String& Prefix) {
  TDepth depth(FDepth);
  if (Index >= Names.size() || Names[Index].empty()) throw Exception("Property name is empty.");
  const String& name = Names[Index];
  bool last = Index + 1 == Names.size();
  if (Index == 0 && Prefix.empty()) {
    if (TPersistent* interceptor = InterceptorFor(Object, name)) Object = interceptor;
  }
  const TPropInfo* prop = FindStoredProperty(Object->ClassType(), name);
  if (!prop) {
    if (!last || !IsDefinedProperty(Object, name)) throw Exception("Invalide property name: " + name);
    FPropPath = Prefix;
    FDefinedOnly = name;
    TFinally done([this] { FDefinedOnly.clear(); });
    Object->DefineProperties(this);
    return;
  }
  if (last) return WritePropValue(Object, prop, Prefix);
  const String& next = Names[Index + 1];
  if (next.empty()) throw Exception("Property name is empty.");
  if (prop->Kind() != tkClass) throw Exception("Invalide property name: " + next);
  TObject* value = prop->GetObject(Object);
  if (IsMarker(next)) {
    auto* collection = dynamic_cast<TCollection*>(value);
    if (!collection) throw Exception("Component type is not Collection.");
    auto writeItem = [&](int i) {
      WritePath(collection->GetItem(i), Names, Index + 2, Prefix + prop->Name() + ".__Item" + std::to_string(i) + ".");
    };
    if (SameText(next, kForAllItems)) {
      if (Index + 2 >= Names.size()) throw Exception("Property name is empty.");
      for (int i = 0; i < collection->Count(); ++i) writeItem(i);
      return;
    }
    int n = ItemMarkerIndex(next);
    if (n < 0) throw Exception("Invalide property name: " + next);
    if (Index + 2 >= Names.size()) throw Exception("Property name is empty.");
    if (n < collection->Count()) writeItem(n);
    return;
  }
  if (auto* sub = dynamic_cast<TPersistent*>(value)) WritePath(sub, Names, Index + 1, Prefix + prop->Name() + ".");
}

void TPropWriter::WritePropValue(TPersistent* Instance, const TPropInfo* Prop, const String& Prefix) {
  FPropPath = Prefix;
  switch (Prop->Kind()) {
    case tkClass: {
      TObject* value = Prop->GetObject(Instance);
      auto* component = dynamic_cast<TComponent*>(value);
      if (component || (!value && Prop->PropClass()->InheritsFrom(ClassOf<TComponent>()))) {
        String name = component ? ComponentReferenceName(component) : String();
        if (component && name.empty()) return;  // an unnamed component cannot be referred to
        WritePropName(Prop->Name());
        if (name.empty()) WriteValue(vaNil);
        else WriteIdent(name);
      } else if (auto* collection = dynamic_cast<TCollection*>(value)) {
        WritePropName(Prop->Name());
        WriteCollection(collection);
      } else if (auto* sub = dynamic_cast<TPersistent*>(value)) {
        WriteWhole(sub, Prefix + Prop->Name() + ".");
      }
      return;
    }
    case tkMethod: {
      String name = Prop->GetMethodName(Instance);
      WritePropName(Prop->Name());
      if (name.empty()) WriteValue(vaNil);
      else WriteIdent(name);
      return;
    }
    default:
      break;
  }
  WritePropName(Prop->Name());
  WritePropertyValue(Instance, Prop);
}

void TPropWriter::WriteWhole(TPersistent* Instance, const String& Prefix) {
  TDepth depth(FDepth);
  for (const TPropInfo* prop : Instance->ClassType()->Properties()) {
    if (prop->Kind() == tkMethod || !prop->IsStored(Instance)) continue;
    if (prop->Kind() != tkClass && !prop->IsWritable()) continue;
    WritePropValue(Instance, prop, Prefix);
  }
  FPropPath = Prefix;
  Instance->DefineProperties(this);
}

void TPropWriter::DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool) {
  // A stored value is written also when it is empty: reading it back must empty the list.
  if (FDefinedOnly.empty() || SameText(Name, FDefinedOnly)) TWriter::DefineProperty(Name, ReadData, WriteData, true);
}

void TPropWriter::DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData, bool) {
  if (FDefinedOnly.empty() || SameText(Name, FDefinedOnly))
    TWriter::DefineBinaryProperty(Name, ReadData, WriteData, true);
}

// ---- TPropReader ----

TPropReader::TPropReader(TStream* Stream) : TReader(Stream) {}
TPropReader::~TPropReader() = default;

void TPropReader::ReadStorage(TComponent* Root) {
  FRoot = FLookupRoot = Root;
  FSkipped.clear();
  ReadSignature();
  TFilerFlags flags;
  int childPos;
  ReadPrefix(flags, childPos);
  ReadStr();  // the class and name it was written with: the root is the one given
  ReadStr();
  ReadObject(Root, Root ? Root->GetName() : String());
}

void TPropReader::ReadObject(TComponent* Component, const String& Name) {
  TDepth depth(FDepth);
  if (!Component) FSkipped.push_back("Component " + Name + " not found");
  try {
    while (!EndOfList()) {
      if (Component) {
        ReadProperty(Component);
      } else {
        ReadStr();
        SkipValue();
      }
    }
    ReadListEnd();
    ApplyInterceptors();
  } catch (...) {
    FInterceptors.clear();
    throw;
  }
  while (!EndOfList()) {
    TFilerFlags flags;
    int childPos;
    ReadPrefix(flags, childPos);
    ReadStr();
    String name = ReadStr();
    ReadObject(Component ? FindStreamedChild(Component, name, FRoot) : nullptr, name);
  }
  ReadListEnd();
}

void TPropReader::ApplyInterceptors() {
  auto interceptors = std::move(FInterceptors);
  FInterceptors.clear();
  for (auto& [target, interceptor] : interceptors) {
    try {
      interceptor->Apply();
    } catch (const Exception& e) {
      FSkipped.push_back(target->ClassName() + ": " + e.Message);
    }
  }
}

void TPropReader::ReadProperty(TPersistent* Instance) {
  String name = ReadStr();
  std::int64_t start = Position();
  try {
    bool processed = false;
    if (OnReadProp) OnReadProp(this, name, processed);
    if (!processed) ApplyPath(Instance, name);
  } catch (const Exception& e) {
    // Stored data may name what no longer is: skip this value, keep the rest.
    FSkipped.push_back(name + ": " + e.Message);
    SetPosition(start);
    SkipValue();
  }
}

void TPropReader::ApplyPath(TPersistent* Instance, const String& Path) {
  std::vector<String> names = SplitPath(Path);
  TPersistent* object = Instance;
  for (size_t i = 0; i < names.size(); ++i) {
    const String& name = names[i];
    bool last = i + 1 == names.size();
    if (name.empty()) throw Exception("Property name is empty.");
    if (!last) {
      int item = StreamItemIndex(name);
      if (item >= 0) {
        auto* collection = dynamic_cast<TCollection*>(object);
        if (!collection) throw Exception("Component type is not Collection.");
        if (item >= collection->Count()) throw Exception("No item " + std::to_string(item) + " in the collection");
        object = collection->GetItem(item);
        continue;
      }
    }
    const TPropInfo* prop = nullptr;
    if (i == 0 && FindStoredProperty(FindPropertyInterceptor(object->ClassType()), name)) {
      // Made only when one of its properties is read, so nothing else is applied again.
      TStoragePropertyInterceptor* interceptor = nullptr;
      for (auto& [target, made] : FInterceptors)
        if (target == object) interceptor = made.get();
      if (!interceptor) {
        FInterceptors.emplace_back(object, CreatePropertyInterceptor(object));
        interceptor = FInterceptors.back().second.get();
      }
      object = interceptor;
    }
    prop = object->ClassType()->FindProperty(name);
    if (last) {
      if (prop) return ReadPropValue(object, prop);
      FPropName = name;
      FPropHandled = false;
      object->DefineProperties(this);
      if (!FPropHandled) throw Exception("Invalide property name: " + name);
      return;
    }
    TObject* value = prop && prop->Kind() == tkClass ? prop->GetObject(object) : nullptr;
    auto* sub = dynamic_cast<TPersistent*>(value);
    if (!sub) throw Exception("Invalide property name: " + name);
    object = sub;
  }
}

void TPropReader::ReadPropValue(TPersistent* Instance, const TPropInfo* Prop) {
  if (Prop->Kind() == tkMethod) throw Exception("Unexpected Kind of Method: \"tkMethod\"");
  if (Prop->Kind() == tkClass && NextValue() == vaIdent) {
    // The form's components all exist: a reference is set at once.
    if (!Prop->IsWritable()) throw Exception("Property " + Prop->Name() + " is read-only");
    String name = ReadIdent();
    TComponent* component = FindReference(name);
    if (!component) throw Exception("Component " + name + " not found");
    Prop->SetObject(Instance, component);
    return;
  }
  TReader::ReadPropValue(Instance, Prop);
}

TComponent* TPropReader::FindReference(const String& Name) {
  std::vector<String> names = SplitPath(Name);
  TComponent* c = FRoot ? FRoot->FindComponent(names[0]) : nullptr;
  if (!c && FRoot && SameText(names[0], FRoot->GetName())) c = FRoot;
  if (!c) c = FindGlobalComponent(names[0]);
  for (size_t i = 1; c && i < names.size(); ++i) c = c->FindComponent(names[i]);
  return c;
}
