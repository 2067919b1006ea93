#pragma once
// Published properties. A class declares them once, next to the class, in its .cpp file:
//
//   HX_PUBLISH(TButton, p) {
//     p.Property("Caption", &TButton::GetCaption, &TButton::SetCaption);
//     p.Property("Default", &TButton::GetDefault, &TButton::SetDefault).Default(false);
//     p.Event("OnClick", &TButton::OnClick);
//   }
//
// The kind follows from the getter's type: bool and HX_ENUM enumerations are enumerations,
// char a character, TSet<E> a set, integers up to 32 bits integers (types with identifiers
// such as TColor stream as those identifiers), wider ones int64, float and double floats,
// String strings, and a pointer to a TObject descendant a class: a sub-object written by
// path ("Font.Name"), a collection, or a reference to a component by name.
// Roots such as forms also publish the fields the reader fills by component name and the
// handlers events bind to by name:
//
//   HX_PUBLISH(TForm1, p) {
//     p.Field("Button1", &TForm1::Button1);
//     p.Handler("Button1Click", &TForm1::Button1Click);
//   }
#include <concepts>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "classlib/core/exceptions.h"
#include "classlib/core/object.h"

namespace classlib {
template <class C, class V>
class TPropertyBuilder;
}

// ---- Enumerations with value names ----

class TEnumInfo {
 public:
  // `Names` is the enumerators' source text, "alNone, alTop, ...": values count from 0.
  TEnumInfo(const char* TypeName, const char* Names);
  const String& TypeName() const { return FTypeName; }
  int Count() const { return static_cast<int>(FNames.size()); }
  const String& Name(int Value) const;   // "" when out of range
  int Value(const String& Name) const;   // -1 when unknown; without regard to case

 private:
  String FTypeName;
  std::vector<String> FNames;
  std::unordered_map<String, int> FIndex;  // upper-case name -> value
};

// Declares an enumeration with the names of its values, for streaming by name.
// At namespace scope; values are consecutive from 0.
#define HX_ENUM(Name, ...)                                                  \
  enum Name : int { __VA_ARGS__ };                                          \
  inline const ::TEnumInfo& HxEnumInfo(Name) {                              \
    static const ::TEnumInfo info(#Name, #__VA_ARGS__);                     \
    return info;                                                            \
  }

// The same for a scoped enumeration (enum class): its values are written Name::value in
// C++, so two enumerations may share value names; forms still stream the bare names.
#define HX_SCOPED_ENUM(Name, ...)                                           \
  enum class Name : int { __VA_ARGS__ };                                    \
  inline const ::TEnumInfo& HxEnumInfo(Name) {                              \
    static const ::TEnumInfo info(#Name, #__VA_ARGS__);                     \
    return info;                                                            \
  }

// bool streams as the enumeration False/True.
const TEnumInfo& BooleanEnumInfo();

// ---- Integer types with identifiers (TColor: clBlack, clBtnFace ...) ----

struct TIdentMapEntry {
  std::int64_t Value;
  const char* Name;
};

// A type T gets identifiers by an overload `const TIdentMap& HxIdentMap(T)` beside it.
class TIdentMap {
 public:
  TIdentMap(std::initializer_list<TIdentMapEntry> Entries);
  // The first name of a value; false when the value has none.
  bool IntToIdent(std::int64_t Value, String& Ident) const;
  // Without regard to case; false when unknown.
  bool IdentToInt(const String& Ident, std::int64_t& Value) const;
  const std::vector<TIdentMapEntry>& Entries() const { return FEntries; }

 private:
  std::vector<TIdentMapEntry> FEntries;
  std::unordered_map<std::int64_t, size_t> FByValue;
  std::unordered_map<String, size_t> FByName;  // upper-case
};

// ---- Sets of an HX_ENUM (up to 64 values) ----

template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> Items) {
    for (E e : Items) Include(e);
  }
  constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
  constexpr TSet& Include(E e) {
    FBits |= Bit(e);
    return *this;
  }
  constexpr TSet& Exclude(E e) {
    FBits &= ~Bit(e);
    return *this;
  }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr std::uint64_t Bits() const { return FBits; }
  static constexpr TSet FromBits(std::uint64_t Bits) {
    TSet s;
    s.FBits = Bits;
    return s;
  }
  friend constexpr TSet operator+(TSet a, TSet b) { return FromBits(a.FBits | b.FBits); }
  friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.FBits & ~b.FBits); }
  friend constexpr TSet operator*(TSet a, TSet b) { return FromBits(a.FBits & b.FBits); }
  friend constexpr bool operator==(TSet a, TSet b) { return a.FBits == b.FBits; }

 private:
  static constexpr std::uint64_t Bit(E e) {
    auto i = static_cast<unsigned>(e);
    return i < 64 ? std::uint64_t(1) << i : 0;
  }
  std::uint64_t FBits = 0;
};

// ---- Property information ----

HX_ENUM(TTypeKind, tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod,
        tkInt64);

// One published property: its name, kind and type details, and access to its value by
// kind, which the form reader and writer (and any filer that picks properties by path) use.
class TPropInfo {
 public:
  virtual ~TPropInfo() = default;
  const String& Name() const { return FName; }
  TTypeKind Kind() const { return FKind; }
  const TEnumInfo* EnumInfo() const { return FEnum; }    // enumeration, or a set's elements
  const TIdentMap* IdentMap() const { return FIdents; }  // integers with identifiers
  TClass PropClass() const { return FClass ? FClass() : nullptr; }  // class kind
  bool IsSingle() const { return FSingle; }              // float kind held as float
  bool IsWritable() const { return FWritable; }
  bool HasDefault() const { return FHasDefault; }

  // Ordinal kinds (integer, char, enumeration, set as a bit mask, int64). SetOrd raises
  // EPropertyError for a value outside the type.
  virtual std::int64_t GetOrd(TObject* Instance) const;
  virtual void SetOrd(TObject* Instance, std::int64_t Value) const;
  virtual double GetFloat(TObject* Instance) const;
  virtual void SetFloat(TObject* Instance, double Value) const;
  virtual String GetStr(TObject* Instance) const;
  virtual void SetStr(TObject* Instance, const String& Value) const;
  // Class kind. SetObject raises EPropertyError for an object of another class.
  virtual TObject* GetObject(TObject* Instance) const;
  virtual void SetObject(TObject* Instance, TObject* Value) const;
  // Method kind: the name of the handler bound by name ("" when none is, also when the
  // event was assigned in code); SetMethod binds a handler of `Root` (nullptr clears).
  virtual String GetMethodName(TObject* Instance) const;
  virtual bool IsMethodAssigned(TObject* Instance) const;
  virtual void SetMethod(TObject* Instance, TObject* Root, const THandlerInfo* Handler) const;

  // The stored rule (true without one).
  bool IsStored(TObject* Instance) const { return !FStored || FStored(Instance); }
  // Whether the value equals the declared default (false without one).
  virtual bool IsDefaultValue(TObject* Instance) const = 0;
  // Whether two instances of the class hold the same value (for writing against an ancestor).
  virtual bool SameValue(TObject* A, TObject* B) const = 0;

 protected:
  TPropInfo(String Name, TTypeKind Kind) : FName(std::move(Name)), FKind(Kind) {}
  [[noreturn]] void WrongKind(const char* Access) const;

  String FName;
  TTypeKind FKind;
  const TEnumInfo* FEnum = nullptr;
  const TIdentMap* FIdents = nullptr;
  TClass (*FClass)() = nullptr;
  bool FSingle = false;
  bool FWritable = false;
  bool FHasDefault = false;
  std::function<bool(TObject*)> FStored;

  template <class C, class V>
  friend class classlib::TPropertyBuilder;
};

// A method of a root that event properties bind to by name.
class THandlerInfo {
 public:
  virtual ~THandlerInfo() = default;
  const String& Name() const { return FName; }

 protected:
  explicit THandlerInfo(String Name) : FName(std::move(Name)) {}
  String FName;
};

// A field of a root that holds the component of the same name.
class TFieldInfo {
 public:
  virtual ~TFieldInfo() = default;
  const String& Name() const { return FName; }
  virtual TComponent* Get(TObject* Root) const = 0;
  // Raises EPropertyError when the component is not of the field's class.
  virtual void Set(TObject* Root, TComponent* Value) const = 0;
  virtual bool Accepts(TComponent* Value) const = 0;

 protected:
  explicit TFieldInfo(String Name) : FName(std::move(Name)) {}
  String FName;
};

// Enumeration names of a value, and the value of a name (false when unknown).
template <class E>
String EnumName(E Value) {
  return HxEnumInfo(Value).Name(static_cast<int>(Value));
}
template <class E>
bool EnumValue(const String& Name, E& Value) {
  int v = HxEnumInfo(E{}).Value(Name);
  if (v < 0) return false;
  Value = static_cast<E>(v);
  return true;
}

namespace classlib {

namespace detail {

template <class T>
concept HasEnumInfo = std::is_enum_v<T> && requires(T v) {
  { HxEnumInfo(v) } -> std::same_as<const TEnumInfo&>;
};
template <class T>
concept HasIdentMap = requires(T v) {
  { HxIdentMap(v) } -> std::same_as<const TIdentMap&>;
};
template <class T>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {
  using Element = E;
};
template <class T>
struct IsObjectPointer
    : std::bool_constant<std::is_pointer_v<T> && std::is_base_of_v<TObject, std::remove_pointer_t<T>>> {};

template <class V>
constexpr TTypeKind KindOf() {
  if constexpr (std::is_same_v<V, bool>) return tkEnumeration;
  else if constexpr (std::is_same_v<V, char>) return tkChar;
  else if constexpr (HasEnumInfo<V>) return tkEnumeration;
  else if constexpr (IsSet<V>::value) return tkSet;
  else if constexpr (HasIdentMap<V>) return tkInteger;
  else if constexpr (std::is_integral_v<V> && sizeof(V) <= 4) return tkInteger;
  else if constexpr (std::is_integral_v<V>) return tkInt64;
  else if constexpr (std::is_floating_point_v<V>) return tkFloat;
  else if constexpr (std::is_same_v<V, String>) return tkString;
  else if constexpr (IsObjectPointer<V>::value) return tkClass;
  else return tkUnknown;
}

[[noreturn]] void RaiseOutOfRange(const String& Property, std::int64_t Value);
[[noreturn]] void RaiseWrongClass(const String& Property, TObject* Value, TClass Expected);

// Ordinal values of the ordinal kinds.
template <class V>
std::int64_t ToOrd(const V& v) {
  if constexpr (IsSet<V>::value) return static_cast<std::int64_t>(v.Bits());
  else if constexpr (std::is_same_v<V, char>) return static_cast<unsigned char>(v);
  else return static_cast<std::int64_t>(v);
}
template <class V>
V FromOrd(const String& Property, std::int64_t o) {
  if constexpr (std::is_same_v<V, bool>) {
    if (o != 0 && o != 1) RaiseOutOfRange(Property, o);
    return o != 0;
  } else if constexpr (std::is_same_v<V, char>) {
    if (o < 0 || o > 255) RaiseOutOfRange(Property, o);
    return static_cast<char>(static_cast<unsigned char>(o));
  } else if constexpr (HasEnumInfo<V>) {
    if (o < 0 || o >= HxEnumInfo(V{}).Count()) RaiseOutOfRange(Property, o);
    return static_cast<V>(o);
  } else if constexpr (IsSet<V>::value) {
    int n = HxEnumInfo(typename IsSet<V>::Element{}).Count();
    std::uint64_t mask = n >= 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << n) - 1;
    if (static_cast<std::uint64_t>(o) & ~mask) RaiseOutOfRange(Property, o);
    return V::FromBits(static_cast<std::uint64_t>(o));
  } else {
    using U = typename std::conditional_t<std::is_enum_v<V>, std::underlying_type<V>, std::type_identity<V>>::type;
    if constexpr (std::is_same_v<U, std::uint64_t>) {
      return static_cast<V>(static_cast<std::uint64_t>(o));  // int64 kind holds its bits
    } else {
      if (o < static_cast<std::int64_t>(std::numeric_limits<U>::min()) ||
          o > static_cast<std::int64_t>(std::numeric_limits<U>::max()))
        RaiseOutOfRange(Property, o);
      return static_cast<V>(static_cast<U>(o));
    }
  }
}

// A property of class C with value type V, read by getter G and written by setter S
// (member functions or data members; S may be nullptr for a read-only property).
template <class C, class V, class G, class S>
class TPropImpl final : public TPropInfo {
 public:
  TPropImpl(String Name, G Getter, S Setter)
      : TPropInfo(std::move(Name), KindOf<V>()), FGet(Getter), FSet(Setter) {
    FWritable = !std::is_null_pointer_v<S>;
    if constexpr (std::is_same_v<V, bool>) FEnum = &BooleanEnumInfo();
    else if constexpr (HasEnumInfo<V>) FEnum = &HxEnumInfo(V{});
    else if constexpr (IsSet<V>::value) FEnum = &HxEnumInfo(typename IsSet<V>::Element{});
    else if constexpr (HasIdentMap<V>) FIdents = &HxIdentMap(V{});
    else if constexpr (std::is_same_v<V, float>) FSingle = true;
    if constexpr (IsObjectPointer<V>::value) FClass = &std::remove_pointer_t<V>::StaticClass;
  }
  std::optional<V> Default;

  V Get(TObject* o) const { return std::invoke(FGet, *static_cast<C*>(o)); }
  void Set(TObject* o, const V& v) const {
    if constexpr (std::is_null_pointer_v<S>) {
      throw EPropertyError("Property " + FName + " is read-only");
    } else if constexpr (std::is_member_object_pointer_v<S>) {
      static_cast<C*>(o)->*FSet = v;
    } else {
      std::invoke(FSet, *static_cast<C*>(o), v);
    }
  }

  std::int64_t GetOrd(TObject* o) const override {
    if constexpr (IsOrdinal()) return ToOrd(Get(o));
    else WrongKind("ordinal");
  }
  void SetOrd(TObject* o, std::int64_t v) const override {
    if constexpr (IsOrdinal()) Set(o, FromOrd<V>(FName, v));
    else WrongKind("ordinal");
  }
  double GetFloat(TObject* o) const override {
    if constexpr (std::is_floating_point_v<V>) return static_cast<double>(Get(o));
    else WrongKind("float");
  }
  void SetFloat(TObject* o, double v) const override {
    if constexpr (std::is_floating_point_v<V>) Set(o, static_cast<V>(v));
    else WrongKind("float");
  }
  String GetStr(TObject* o) const override {
    if constexpr (std::is_same_v<V, String>) return Get(o);
    else WrongKind("string");
  }
  void SetStr(TObject* o, const String& v) const override {
    if constexpr (std::is_same_v<V, String>) Set(o, v);
    else WrongKind("string");
  }
  TObject* GetObject(TObject* o) const override {
    if constexpr (IsObjectPointer<V>::value) return Get(o);
    else WrongKind("class");
  }
  void SetObject(TObject* o, TObject* v) const override {
    if constexpr (IsObjectPointer<V>::value) {
      auto* typed = dynamic_cast<V>(v);
      if (v && !typed) RaiseWrongClass(FName, v, PropClass());
      Set(o, typed);
    } else {
      WrongKind("class");
    }
  }
  bool IsDefaultValue(TObject* o) const override {
    if constexpr (IsObjectPointer<V>::value) return false;
    else return Default && Get(o) == *Default;
  }
  bool SameValue(TObject* a, TObject* b) const override {
    if constexpr (IsObjectPointer<V>::value) return false;  // compared by the writer
    else return Get(a) == Get(b);
  }

 private:
  static constexpr bool IsOrdinal() {
    constexpr TTypeKind k = KindOf<V>();
    return k == tkInteger || k == tkChar || k == tkEnumeration || k == tkSet || k == tkInt64;
  }
  G FGet;
  S FSet;
};

// The handlers of one signature, and the callable an event holds once bound by name:
// the event keeps the handler, so its name can be written back.
template <class Sig>
class THandlerOf;
template <class R, class... A>
class THandlerOf<R(A...)> : public THandlerInfo {
 public:
  virtual R Call(TObject* Root, A... Args) const = 0;

 protected:
  using THandlerInfo::THandlerInfo;
};

template <class C, class M, class R, class... A>
class THandlerImpl final : public THandlerOf<R(A...)> {
 public:
  THandlerImpl(String Name, M Method) : THandlerOf<R(A...)>(std::move(Name)), FMethod(Method) {}
  R Call(TObject* Root, A... Args) const override {
    return std::invoke(FMethod, *static_cast<C*>(Root), std::forward<A>(Args)...);
  }

 private:
  M FMethod;
};

template <class Sig>
struct TBoundHandler;
template <class R, class... A>
struct TBoundHandler<R(A...)> {
  TObject* Root;
  const THandlerOf<R(A...)>* Handler;
  R operator()(A... Args) const { return Handler->Call(Root, std::forward<A>(Args)...); }
};

[[noreturn]] void RaiseHandlerMismatch(const THandlerInfo* Handler, const String& Event);

template <class C, class Sig>
class TEventImpl final : public TPropInfo {
 public:
  TEventImpl(String Name, std::function<Sig> C::*Member) : TPropInfo(std::move(Name), tkMethod), FMember(Member) {
    FWritable = true;
  }
  String GetMethodName(TObject* o) const override {
    const auto* bound = Event(o).template target<TBoundHandler<Sig>>();
    return bound ? bound->Handler->Name() : String();
  }
  bool IsMethodAssigned(TObject* o) const override { return static_cast<bool>(Event(o)); }
  void SetMethod(TObject* o, TObject* Root, const THandlerInfo* Handler) const override {
    if (!Handler) {
      Event(o) = nullptr;
      return;
    }
    const auto* typed = dynamic_cast<const THandlerOf<Sig>*>(Handler);
    if (!typed) RaiseHandlerMismatch(Handler, FName);
    Event(o) = TBoundHandler<Sig>{Root, typed};
  }
  bool IsDefaultValue(TObject* o) const override { return !Event(o); }
  bool SameValue(TObject* a, TObject* b) const override { return GetMethodName(a) == GetMethodName(b); }

 private:
  std::function<Sig>& Event(TObject* o) const { return static_cast<C*>(o)->*FMember; }
  std::function<Sig> C::*FMember;
};

template <class C, class T>
class TFieldImpl final : public TFieldInfo {
 public:
  TFieldImpl(String Name, T* C::*Member) : TFieldInfo(std::move(Name)), FMember(Member) {}
  TComponent* Get(TObject* Root) const override { return static_cast<C*>(Root)->*FMember; }
  void Set(TObject* Root, TComponent* Value) const override {
    T* typed = dynamic_cast<T*>(Value);
    if (Value && !typed) RaiseWrongClass(FName, Value, T::StaticClass());
    static_cast<C*>(Root)->*FMember = typed;
  }
  bool Accepts(TComponent* Value) const override { return !Value || dynamic_cast<T*>(Value); }

 private:
  T* C::*FMember;
};

template <class C>
TClassInfo::TComponentFactory ComponentFactory() {
  if constexpr (!std::is_abstract_v<C> && std::is_base_of_v<TComponent, C> && std::is_constructible_v<C, TComponent*>)
    return [](TComponent* Owner) -> TComponent* { return new C(Owner); };
  else
    return nullptr;
}
template <class C>
TClassInfo::TItemFactory ItemFactory() {
  if constexpr (!std::is_abstract_v<C> && std::is_base_of_v<TCollectionItem, C> &&
                std::is_constructible_v<C, TCollection*>)
    return [](TCollection* Collection) -> TCollectionItem* { return new C(Collection); };
  else
    return nullptr;
}
template <class C>
void Publish(TPublisherBase& Publisher) {
  C::PublishProperties(static_cast<TPublisher<C>&>(Publisher));
}

}  // namespace detail

// Collects one class's published members into its tables.
class TPublisherBase {
 public:
  explicit TPublisherBase(detail::TClassTables& Tables) : FTables(Tables) {}

 protected:
  TPropInfo* AddProperty(std::unique_ptr<TPropInfo> Prop);
  void AddHandler(std::unique_ptr<THandlerInfo> Handler);
  void AddField(std::unique_ptr<TFieldInfo> Field);

 private:
  detail::TClassTables& FTables;
};

// Refines the property just published: its default and its stored rule.
template <class C, class V>
class TPropertyBuilder {
 public:
  TPropertyBuilder(TPropInfo* Prop, std::optional<V>* Default) : FProp(Prop), FDefault(Default) {}
  TPropertyBuilder& Default(const V& Value) {
    static_assert(!detail::IsObjectPointer<V>::value, "class properties have no default");
    *FDefault = Value;
    FProp->FHasDefault = true;
    return *this;
  }
  // `Stored(false)` never writes the property; a member function decides per instance.
  TPropertyBuilder& Stored(bool Value) {
    FProp->FStored = [Value](TObject*) { return Value; };
    return *this;
  }
  template <class B>
  TPropertyBuilder& Stored(bool (B::*IsStored)() const) {
    FProp->FStored = [IsStored](TObject* o) { return (static_cast<C*>(o)->*IsStored)(); };
    return *this;
  }

 private:
  TPropInfo* FProp;
  std::optional<V>* FDefault;
};

template <class C>
class TPublisher : public TPublisherBase {
 public:
  using TPublisherBase::TPublisherBase;

  template <class G, class S>
  auto Property(const char* Name, G Getter, S Setter) {
    using V = std::remove_cvref_t<std::invoke_result_t<G, C&>>;
    static_assert(detail::KindOf<V>() != tkUnknown, "this type cannot be published");
    auto prop = std::make_unique<detail::TPropImpl<C, V, G, S>>(Name, Getter, Setter);
    auto* raw = prop.get();
    AddProperty(std::move(prop));
    return TPropertyBuilder<C, V>(raw, &raw->Default);
  }
  template <class G>
  auto Property(const char* Name, G Getter) {
    return Property(Name, Getter, nullptr);
  }

  template <class B, class Sig>
  void Event(const char* Name, std::function<Sig> B::*Member) {
    AddProperty(std::make_unique<detail::TEventImpl<C, Sig>>(Name, static_cast<std::function<Sig> C::*>(Member)));
  }

  template <class B, class T>
  void Field(const char* Name, T* B::*Member) {
    static_assert(std::is_base_of_v<TComponent, T>, "published fields hold components");
    AddField(std::make_unique<detail::TFieldImpl<C, T>>(Name, static_cast<T* C::*>(Member)));
  }

  template <class B, class R, class... A>
  void Handler(const char* Name, R (B::*Method)(A...)) {
    using M = R (B::*)(A...);
    AddHandler(std::make_unique<detail::THandlerImpl<C, M, R, A...>>(Name, Method));
  }
};

}  // namespace classlib

// Defines a class's class information and registers it; the body publishes its members.
#define HX_PUBLISH(Class, p)                                                                       \
  TClass Class::StaticClass() {                                                                    \
    static const TClassInfo info(#Class, Class::inherited::StaticClass(),                          \
                                 ::classlib::detail::ComponentFactory<Class>(),                    \
                                 ::classlib::detail::ItemFactory<Class>(),                         \
                                 &::classlib::detail::Publish<Class>);                             \
    return &info;                                                                                  \
  }                                                                                                \
  [[maybe_unused]] static const bool HxRegistered_##Class = (::RegisterClass(Class::StaticClass()), true); \
  void Class::PublishProperties([[maybe_unused]] ::classlib::TPublisher<Class>& p)
