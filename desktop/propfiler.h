#pragma once
// The property filer: the form stream ("TPF0") of chosen properties of a form and its
// components, written by TPropWriter and applied back onto the live form by TPropReader.
// The property storage (desktop/propstorage.h) keeps such streams.
//
// Property paths name what is stored, one path a string: component names, each followed
// by ".", then "<P>." and a property path, property names separated by ".":
//
//   "<P>.Left"                                  a property of the root (the form)
//   "Label1.<P>.Font.Name"                      into a sub-object
//   "PageControl1.TabSheet1.Memo1.<P>.Lines"    through the components' children
//   "Grid1.<P>.Columns.<ForAllItems>.Width"     every item of a collection
//   "Grid1.<P>.Columns.<Item2>.Width"           the item with index 2
//
// Names and markers compare without regard to case. In the stream, collection items are
// properties of the collection's owner named "Columns.__Item2.Width".
//
// Objects whose stored properties need their own handling (a form's place, which is not
// its bounds while it is maximised) have a property interceptor: an object of a registered
// class stands in for them, its published properties looked up before the object's own.
#include <functional>
#include <memory>
#include <vector>

#include "classlib/core/filer.h"
#include "classlib/core/stringlist.h"

// ---- Hexadecimal text ----

// Upper-case hexadecimal, two digits a byte, high nibble first.
String BytesToHex(const String& Bytes);
// The bytes back; false (Bytes untouched) for an odd length or a character that is no
// hexadecimal digit.
bool HexToBytes(const String& Hex, String& Bytes);
void BytesToStream(const String& Bytes, TStream* Stream);

// ---- Children and paths ----

// The component that Parent lists for form streaming (GetChildren with the root) under
// this name, without regard to case; nullptr when none.
TComponent* FindStreamedChild(TComponent* Parent, const String& Name, TComponent* Root);

// The marker between component names and the property path.
inline constexpr const char* kPropMarker = "<P>";
inline constexpr const char* kForAllItems = "<ForAllItems>";

// The order stored paths keep: token by token, "<P>" before anything else, names before
// other markers, names without regard to case (< 0, 0, > 0).
int ComparePropertyPaths(const String& A, const String& B);

// Whether the path names a component below Root and a property it publishes or defines
// for streaming (with collections' items). A path without "<P>" raises Exception
// "Invalide property path: "…"".
bool IsValidPropertyPath(TComponent* Root, const String& Path);

// Property paths kept in their order, without duplicates; with a root that is not being
// loaded, a path that is not valid for it is not added, and setting the root drops the
// invalid ones. Assigning copies the strings.
class TPropertyNames : public TStringList {
  HX_CLASS(TPropertyNames, TStringList)
 public:
  TPropertyNames() = default;
  TComponent* GetRoot() const { return FRoot; }
  void SetRoot(TComponent* Value);
  // -1 when the path is refused (invalid, or there already).
  int AddObject(const String& S, TObject* AObject) override;
  // Paths go where their order puts them, wherever they are inserted.
  void InsertObject(int Index, const String& S, TObject* AObject) override;

 private:
  TComponent* FRoot = nullptr;
};

// ---- Property interceptors ----

// Stands in for its target while the filer writes or reads its stored properties; the
// reader runs Apply once the object's properties are read, then frees it.
class TStoragePropertyInterceptor : public TPersistent {
  HX_CLASS(TStoragePropertyInterceptor, TPersistent)
 public:
  explicit TStoragePropertyInterceptor(TPersistent* Target) : FTarget(Target) {}
  TPersistent* Target() const { return FTarget; }
  // Whether its properties are written in place of the target's.
  virtual bool CanWrite() { return true; }
  virtual void Apply() {}

 private:
  TPersistent* FTarget;
};

using TInterceptorFactory = std::function<std::unique_ptr<TStoragePropertyInterceptor>(TPersistent* Target)>;

// Registering a class again replaces its interceptor.
void RegisterPropertyInterceptor(TClass ForClass, TClass InterceptorClass, TInterceptorFactory Create);
void UnregisterPropertyInterceptor(TClass ForClass);
template <class I>
void RegisterPropertyInterceptor(TClass ForClass) {
  RegisterPropertyInterceptor(ForClass, ClassOf<I>(),
                              [](TPersistent* Target) { return std::make_unique<I>(Target); });
}
// The interceptor class of the nearest registered class the object's class is or inherits
// from (nullptr when none), and a new interceptor of it for the object.
TClass FindPropertyInterceptor(TClass ObjectClass);
std::unique_ptr<TStoragePropertyInterceptor> CreatePropertyInterceptor(TPersistent* Target);

// ---- Writer and reader ----

class TPropWriter : public TWriter {
  HX_CLASS(TPropWriter, TWriter)
 public:
  explicit TPropWriter(TStream* Stream);
  ~TPropWriter() override;

  // The form stream of Root holding what Paths name (in their order): the root's own
  // properties, then WriteCustom, then the components on the way to the other paths, each
  // once. Values are written whatever their defaults. Raises Exception for malformed paths
  // ("Component name is empty.", "Property name is empty.", "Component type is not
  // Collection.", "Invalide property name: X").
  void WriteStorage(TComponent* Root, TStrings* Paths, const std::function<void(TPropWriter*)>& WriteCustom);
  // One property path (what follows "<P>.") of Instance, for custom properties too.
  void WritePropertyPath(TPersistent* Instance, const String& Path);
  // A custom property's name; its value follows with the value calls (WriteInteger …).
  void WritePropertyName(const String& Name) { WriteStr(Name); }

  void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

 private:
  void WritePath(TPersistent* Object, const std::vector<String>& Names, size_t Index, const String& Prefix);
  void WritePropValue(TPersistent* Instance, const TPropInfo* Prop, const String& Prefix);
  void WriteWhole(TPersistent* Instance, const String& Prefix);
  TPersistent* InterceptorFor(TPersistent* Object, const String& Name);

  String FDefinedOnly;  // while writing one defined property by name
  int FDepth = 0;
  std::vector<std::pair<TPersistent*, std::unique_ptr<TStoragePropertyInterceptor>>> FInterceptors;
};

class TPropReader : public TReader {
  HX_CLASS(TPropReader, TReader)
 public:
  explicit TPropReader(TStream* Stream);
  ~TPropReader() override;

  // Applies a stream TPropWriter wrote onto Root and the components below it. What cannot
  // be applied (an unknown component, property or identifier, an item past the count, a
  // method, a value that does not fit) is skipped value by value; Skipped() says what and
  // why. A stream that is no form stream raises EReadError.
  void ReadStorage(TComponent* Root);
  const std::vector<String>& Skipped() const { return FSkipped; }

  // May read a property itself (with the value calls) and say so by Processed.
  std::function<void(TPropReader* Reader, const String& PropName, bool& Processed)> OnReadProp;

 protected:
  void ReadProperty(TPersistent* Instance) override;
  void ReadPropValue(TPersistent* Instance, const TPropInfo* Prop) override;

 private:
  void ReadObject(TComponent* Component, const String& Name);
  void ApplyPath(TPersistent* Instance, const String& Path);
  void ApplyInterceptors();
  TComponent* FindReference(const String& Name);

  int FDepth = 0;
  std::vector<std::pair<TPersistent*, std::unique_ptr<TStoragePropertyInterceptor>>> FInterceptors;
  std::vector<String> FSkipped;
};
