#pragma once
// TObject, the root of the class hierarchy, and class information: every class names itself
// with HX_CLASS in its body and HX_PUBLISH in its .cpp file, which gives it ClassName,
// ClassType, its published properties (classlib/core/typinfo.h) and an entry in the class
// registry, from which form streaming creates components by class name.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using String = std::string;  // UTF-8

class TObject;
class TClassInfo;
class TComponent;
class TCollection;
class TCollectionItem;
class TPropInfo;
class THandlerInfo;
class TFieldInfo;
using TClass = const TClassInfo*;

using TNotifyEvent = std::function<void(TObject* Sender)>;

namespace classlib {
template <class C>
class TPublisher;
class TPublisherBase;
namespace detail {
struct TClassTables;
}
}  // namespace classlib

// What the class registry and form streaming know of a class.
class TClassInfo {
 public:
  using TComponentFactory = TComponent* (*)(TComponent* Owner);
  using TItemFactory = TCollectionItem* (*)(TCollection* Collection);
  using TPublishProc = void (*)(classlib::TPublisherBase& Publisher);

  TClassInfo(const char* Name, TClass Parent, TComponentFactory NewComponent, TItemFactory NewItem,
             TPublishProc Publish);
  ~TClassInfo();
  TClassInfo(const TClassInfo&) = delete;
  TClassInfo& operator=(const TClassInfo&) = delete;

  const String& ClassName() const { return FName; }
  TClass ClassParent() const { return FParent; }
  bool InheritsFrom(TClass Base) const;

  // A new component or collection item of this class; nullptr when the class is abstract
  // or not of that family.
  TComponent* CreateComponent(TComponent* Owner) const { return FNewComponent ? FNewComponent(Owner) : nullptr; }
  TCollectionItem* CreateItem(TCollection* Collection) const { return FNewItem ? FNewItem(Collection) : nullptr; }

  // Published properties, own and inherited, base class first, in declaration order.
  const std::vector<const TPropInfo*>& Properties() const;
  // Found by name without regard to case, through inheritance; nullptr when absent.
  const TPropInfo* FindProperty(const String& Name) const;
  // The handlers that event properties bind to by name, and the fields filled by
  // component name (both published by roots such as forms).
  const THandlerInfo* FindHandler(const String& Name) const;
  const TFieldInfo* FindField(const String& Name) const;

 private:
  const classlib::detail::TClassTables& Tables() const;

  String FName;
  TClass FParent;
  TComponentFactory FNewComponent;
  TItemFactory FNewItem;
  TPublishProc FPublish;
  mutable std::once_flag FTablesBuilt;
  mutable std::unique_ptr<classlib::detail::TClassTables> FTables;
};

// Declares a class's class information; put it first in the class body.
#define HX_CLASS(Class, Parent)                                      \
 public:                                                             \
  using inherited = Parent;                                          \
  static TClass StaticClass();                                       \
  TClass ClassType() const override { return StaticClass(); }        \
  static void PublishProperties(::classlib::TPublisher<Class>& p);   \
                                                                     \
 private:

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static TClass StaticClass();
  virtual TClass ClassType() const { return StaticClass(); }
  const String& ClassName() const { return ClassType()->ClassName(); }
  bool InheritsFrom(TClass Base) const { return ClassType()->InheritsFrom(Base); }
};

// The class information of T, for InheritsFrom and the registry.
template <class T>
TClass ClassOf() {
  return T::StaticClass();
}

// The class registry. HX_PUBLISH registers every class when the program starts; programs
// link the component libraries whole so that no registration is dropped.
void RegisterClass(TClass Class);
TClass GetClass(const String& ClassName);   // nullptr when not registered
TClass FindClass(const String& ClassName);  // EClassNotFound "Class X not found"
