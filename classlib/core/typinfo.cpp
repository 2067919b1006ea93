#include "classlib/core/typinfo.h"

#include "classlib/core/text.h"

namespace classlib::detail {

// A class's published members, own and inherited. Inherited entries point into the
// parent's tables, which live as long as the program.
struct TClassTables {
  std::vector<std::unique_ptr<TPropInfo>> OwnProperties;
  std::vector<std::unique_ptr<THandlerInfo>> OwnHandlers;
  std::vector<std::unique_ptr<TFieldInfo>> OwnFields;
  std::vector<const TPropInfo*> Properties;
  std::unordered_map<String, size_t> PropertyIndex;  // upper-case name -> index in Properties
  std::unordered_map<String, const THandlerInfo*> Handlers;
  std::unordered_map<String, const TFieldInfo*> Fields;
};

void RaiseOutOfRange(const String& Property, std::int64_t Value) {
  throw EPropertyError("Value " + std::to_string(Value) + " is out of range for property " + Property);
}

void RaiseWrongClass(const String& Property, TObject* Value, TClass Expected) {
  throw EPropertyError(Property + " cannot hold a " + Value->ClassName() + " (a " + Expected->ClassName() +
                       " is expected)");
}

void RaiseHandlerMismatch(const THandlerInfo* Handler, const String& Event) {
  throw EPropertyError("Method " + Handler->Name() + " does not fit event " + Event);
}

}  // namespace classlib::detail

// ---- TClassInfo ----

TClassInfo::TClassInfo(const char* Name, TClass Parent, TComponentFactory NewComponent, TItemFactory NewItem,
                       TPublishProc Publish)
    : FName(Name), FParent(Parent), FNewComponent(NewComponent), FNewItem(NewItem), FPublish(Publish) {}

TClassInfo::~TClassInfo() = default;

const classlib::detail::TClassTables& TClassInfo::Tables() const {
  std::call_once(FTablesBuilt, [this] {
    auto tables = std::make_unique<classlib::detail::TClassTables>();
    if (FParent) {
      const auto& base = FParent->Tables();
      tables->Properties = base.Properties;
      tables->PropertyIndex = base.PropertyIndex;
      tables->Handlers = base.Handlers;
      tables->Fields = base.Fields;
    }
    if (FPublish) {
      classlib::TPublisherBase publisher(*tables);
      FPublish(publisher);
    }
    FTables = std::move(tables);
  });
  return *FTables;
}

const std::vector<const TPropInfo*>& TClassInfo::Properties() const { return Tables().Properties; }

const TPropInfo* TClassInfo::FindProperty(const String& Name) const {
  const auto& t = Tables();
  auto it = t.PropertyIndex.find(UpperCase(Name));
  return it == t.PropertyIndex.end() ? nullptr : t.Properties[it->second];
}

const THandlerInfo* TClassInfo::FindHandler(const String& Name) const {
  const auto& t = Tables();
  auto it = t.Handlers.find(UpperCase(Name));
  return it == t.Handlers.end() ? nullptr : it->second;
}

const TFieldInfo* TClassInfo::FindField(const String& Name) const {
  const auto& t = Tables();
  auto it = t.Fields.find(UpperCase(Name));
  return it == t.Fields.end() ? nullptr : it->second;
}

// ---- TPublisherBase ----

namespace classlib {

TPropInfo* TPublisherBase::AddProperty(std::unique_ptr<TPropInfo> Prop) {
  TPropInfo* raw = Prop.get();
  String key = UpperCase(raw->Name());
  auto it = FTables.PropertyIndex.find(key);
  if (it != FTables.PropertyIndex.end()) {
    FTables.Properties[it->second] = raw;  // published again: keeps its place
  } else {
    FTables.PropertyIndex.emplace(key, FTables.Properties.size());
    FTables.Properties.push_back(raw);
  }
  FTables.OwnProperties.push_back(std::move(Prop));
  return raw;
}

void TPublisherBase::AddHandler(std::unique_ptr<THandlerInfo> Handler) {
  FTables.Handlers[UpperCase(Handler->Name())] = Handler.get();
  FTables.OwnHandlers.push_back(std::move(Handler));
}

void TPublisherBase::AddField(std::unique_ptr<TFieldInfo> Field) {
  FTables.Fields[UpperCase(Field->Name())] = Field.get();
  FTables.OwnFields.push_back(std::move(Field));
}

}  // namespace classlib

// ---- TEnumInfo ----

TEnumInfo::TEnumInfo(const char* TypeName, const char* Names) : FTypeName(TypeName) {
  String name;
  auto flush = [&] {
    if (!name.empty()) {
      FIndex.emplace(UpperCase(name), static_cast<int>(FNames.size()));
      FNames.push_back(name);
      name.clear();
    }
  };
  for (const char* p = Names; *p; ++p) {
    if (*p == ',') flush();
    else if (*p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') name += *p;
  }
  flush();
}

const String& TEnumInfo::Name(int Value) const {
  static const String empty;
  return Value >= 0 && Value < Count() ? FNames[static_cast<size_t>(Value)] : empty;
}

int TEnumInfo::Value(const String& Name) const {
  auto it = FIndex.find(UpperCase(Name));
  return it == FIndex.end() ? -1 : it->second;
}

const TEnumInfo& BooleanEnumInfo() {
  static const TEnumInfo info("Boolean", "False, True");
  return info;
}

// ---- TIdentMap ----

TIdentMap::TIdentMap(std::initializer_list<TIdentMapEntry> Entries) : FEntries(Entries) {
  for (size_t i = 0; i < FEntries.size(); ++i) {
    FByValue.emplace(FEntries[i].Value, i);  // the first name of a value wins
    FByName.emplace(UpperCase(FEntries[i].Name), i);
  }
}

bool TIdentMap::IntToIdent(std::int64_t Value, String& Ident) const {
  auto it = FByValue.find(Value);
  if (it == FByValue.end()) return false;
  Ident = FEntries[it->second].Name;
  return true;
}

bool TIdentMap::IdentToInt(const String& Ident, std::int64_t& Value) const {
  auto it = FByName.find(UpperCase(Ident));
  if (it == FByName.end()) return false;
  Value = FEntries[it->second].Value;
  return true;
}

// ---- TPropInfo ----

void TPropInfo::WrongKind(const char* Access) const {
  throw EPropertyError("Property " + FName + " is a " + HxEnumInfo(FKind).Name(FKind) + " property, not " + Access);
}

std::int64_t TPropInfo::GetOrd(TObject*) const { WrongKind("ordinal"); }
void TPropInfo::SetOrd(TObject*, std::int64_t) const { WrongKind("ordinal"); }
double TPropInfo::GetFloat(TObject*) const { WrongKind("float"); }
void TPropInfo::SetFloat(TObject*, double) const { WrongKind("float"); }
String TPropInfo::GetStr(TObject*) const { WrongKind("string"); }
void TPropInfo::SetStr(TObject*, const String&) const { WrongKind("string"); }
TObject* TPropInfo::GetObject(TObject*) const { WrongKind("class"); }
void TPropInfo::SetObject(TObject*, TObject*) const { WrongKind("class"); }
String TPropInfo::GetMethodName(TObject*) const { WrongKind("method"); }
bool TPropInfo::IsMethodAssigned(TObject*) const { WrongKind("method"); }
void TPropInfo::SetMethod(TObject*, TObject*, const THandlerInfo*) const { WrongKind("method"); }
