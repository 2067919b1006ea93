#pragma once
// The binary form stream ("TPF0"): TWriter writes a component with its published
// properties, the data it defines for streaming and its children; TReader reads it back
// onto a root, binding events to the root's handlers by name and resolving component
// references once the whole stream is read.
//
// Layout: "TPF0", then a component: an optional prefix byte (0xF0 | filer flags, then the
// child position when ffChildPos is set), its class name and name (short strings), its
// properties (a short-string name, then a value) up to vaNull, its children up to vaNull.
// Values start with their kind (TValueType); numbers are little-endian.
#include <cstdint>
#include <functional>
#include <vector>

#include "classlib/core/collection.h"
#include "classlib/core/component.h"
#include "classlib/core/streams.h"

HX_ENUM(TValueType, vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue, vaBinary,
        vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString, vaInt64, vaUTF8String);

// ffInherited: the component exists already (created by the ancestor's form); ffChildPos:
// its position among its parent's children follows; ffInline: a nested root.
HX_ENUM(TFilerFlag, ffInherited, ffChildPos, ffInline);
using TFilerFlags = TSet<TFilerFlag>;

class TReader;
class TWriter;
using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

// Nesting of components, collections and lists a stream may have.
constexpr int kMaxFormNesting = 64;

// The 10-byte x87 extended format of vaExtended, converted exactly (rounding to nearest
// even where a double has fewer bits).
double ExtendedToDouble(const std::uint8_t Bytes[10]);
void DoubleToExtended(double Value, std::uint8_t Bytes[10]);

class TFiler : public TObject {
  HX_CLASS(TFiler, TObject)
 public:
  explicit TFiler(TStream* Stream) : FStream(Stream) {}

  // Components define streamed data of their own in DefineProperties: ReadData/WriteData
  // read or write one value (for example a list) through the filer; HasData says whether
  // there is anything to write.
  virtual void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) = 0;
  // The same for raw bytes, stored as a vaBinary value (byte count, then the bytes).
  virtual void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                                    bool HasData) = 0;

  TStream* Stream() const { return FStream; }
  TComponent* Root() const { return FRoot; }
  TComponent* LookupRoot() const { return FLookupRoot; }
  // While writing against an ancestor: the ancestor's counterpart of the object whose
  // properties are being written (nullptr otherwise). DefineProperties compares with it.
  TPersistent* Ancestor() const { return FAncestor; }

 protected:
  TStream* FStream;
  TComponent* FRoot = nullptr;
  TComponent* FLookupRoot = nullptr;
  TPersistent* FAncestor = nullptr;
};

// Cross-root references ("Form3.RegPropStorageMan") are resolved through finders that
// know other roots by name (the application registers its forms). Returns a token for
// UnregisterFindGlobalComponent.
using TFindGlobalComponent = std::function<TComponent*(const String& Name)>;
int RegisterFindGlobalComponent(TFindGlobalComponent Finder);
void UnregisterFindGlobalComponent(int Token);
TComponent* FindGlobalComponent(const String& Name);

// The names of the data an object defines for streaming (its DefineProperties entries),
// whether or not it has any to write now.
std::vector<String> DefinedPropertyNames(TPersistent* Instance);

class TReader : public TFiler {
  HX_CLASS(TReader, TFiler)
 public:
  explicit TReader(TStream* Stream);
  ~TReader() override;

  // Reads a whole form stream onto Root (nullptr: onto a new component of the stream's
  // class, which the caller then owns). After the stream, component references are
  // resolved and Loaded runs on every component read, in reading order.
  TComponent* ReadRootComponent(TComponent* Root);
  // Reads one component from its prefix to the end of its children; Component nullptr
  // creates it (owned by Owner()), else the stream's data is read onto it.
  TComponent* ReadComponent(TComponent* Component);
  // A component's properties and children (what TComponent::ReadState reads).
  void ReadData(TComponent* Instance);
  // For several streams read onto one root (an ancestor's form, then a descendant's):
  // ReadRootComponent adds what it read to List and leaves it loading; FinishLoading then
  // calls Loaded once per component, or AbortLoading ends loading without it.
  void SetLoadedList(std::vector<TComponent*>* List) { FSharedLoaded = List; }
  static void FinishLoading(std::vector<TComponent*>& List);
  static void AbortLoading(std::vector<TComponent*>& List);
  void ReadSignature();
  void ReadPrefix(TFilerFlags& Flags, int& ChildPos);

  // The owner and parent of the components being read.
  TComponent* Owner() const { return FOwner; }
  TComponent* Parent() const { return FParent; }

  // Values. A value of another kind than the one asked for raises EReadError.
  TValueType NextValue();  // the next value's kind, not consumed
  virtual TValueType ReadValue();
  void CheckValue(TValueType Value);
  bool EndOfList();
  void ReadListBegin();
  void ReadListEnd();
  std::int64_t ReadInteger();  // any integer kind
  bool ReadBoolean();
  char ReadChar();             // a one-character string (code page 1251) or an integer
  double ReadFloat();          // extended, single, currency, date or integer
  String ReadString();         // any string kind, as UTF-8
  String ReadIdent();          // an identifier, False, True, nil or Null
  String ReadStr();            // a short string (names)
  std::uint64_t ReadSet(const TEnumInfo& Elements);  // the members as a bit mask
  void ReadBinary(TStream* Data);                     // a vaBinary value's bytes
  void SkipValue();
  // Raw bytes: EReadError rather than reading past the end of the stream.
  void Read(void* Buffer, std::int64_t Count);
  std::int64_t Remaining() const { return FSize - FPosition; }
  // Where the next byte is read from, and going back (or on) to a place read before: a
  // filer that gives up on a value goes back to its start and skips it whole.
  std::int64_t Position() const { return FPosition - (FPeeked >= 0 ? 1 : 0); }
  void SetPosition(std::int64_t Value);

  void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

 protected:
  // One property: its name ("Font.Name" walks into sub-objects), then its value.
  virtual void ReadProperty(TPersistent* Instance);
  virtual void ReadPropValue(TPersistent* Instance, const TPropInfo* Prop);
  virtual void ReadCollection(TCollection* Collection);
  virtual TClass FindComponentClass(const String& ClassName);
  virtual const THandlerInfo* FindMethod(TComponent* Root, const String& MethodName);
  // A reference to a component by name, set once the whole stream is read.
  void AddFixup(TPersistent* Instance, const TPropInfo* Prop, const String& Name);
  // Resolves the references; a missing local component raises EReadError.
  void DoFixupReferences();

  // The last part of the property name being read, and whether the DefineProperties entry
  // of that name has read it.
  String FPropName;
  bool FPropHandled = false;

 private:
  struct TFixup {
    TPersistent* Instance;
    const TPropInfo* Prop;
    String Name;
    String Path;  // for errors: "Button1.PopupMenu"
  };
  class TNesting;
  std::uint8_t ReadByte();
  std::uint32_t ReadUInt32();
  std::int32_t ReadLength();
  [[noreturn]] void InvalidValue(TValueType Found, const char* Expected);
  void ForgetFixupsUnder(TCollection* Collection);
  TComponent* ResolveReference(const String& Name, bool& Found);
  String CurrentPath(const String& PropName) const;

  std::int64_t FSize = 0;
  std::int64_t FPosition = 0;
  int FPeeked = -1;  // a value kind read ahead by NextValue
  int FNesting = 0;
  int FPropDepth = 0;
  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  TComponent* FCurrent = nullptr;  // the component whose properties are being read
  std::vector<TComponent*> FLoaded;
  std::vector<TComponent*>* FSharedLoaded = nullptr;
  std::vector<TFixup> FFixups;
};

class TWriter : public TFiler {
  HX_CLASS(TWriter, TFiler)
 public:
  explicit TWriter(TStream* Stream) : TFiler(Stream) {}

  // A whole form stream: the signature and Root with its children.
  void WriteRootComponent(TComponent* Root);
  // The same, writing only what differs from Ancestor (a component of Root's ancestor
  // class, read from the ancestor's form); components it has are marked inherited.
  void WriteDescendent(TComponent* Root, TComponent* Ancestor);
  void WriteComponent(TComponent* Component);
  // A component's prefix, class and name, properties and children (what
  // TComponent::WriteState writes).
  void WriteData(TComponent* Instance);
  void WriteSignature();
  void WritePrefix(TFilerFlags Flags, int ChildPos);

  // Values. Integers take the smallest kind that holds them; strings are vaString
  // (vaLString past 255 bytes) when plain ASCII, else vaUTF8String.
  void WriteValue(TValueType Value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteInteger(std::int64_t Value);
  void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
  void WriteChar(char Value);  // a character of code page 1251
  void WriteFloat(double Value);
  void WriteSingle(float Value);
  void WriteCurrency(std::int64_t TenThousandths);
  void WriteDate(double Value);
  void WriteString(const String& Value);
  void WriteIdent(const String& Ident);  // False, True, nil and Null get their own kinds
  void WriteStr(const String& Value);    // a short string (names): EWriteError past 255 bytes
  void WriteSet(std::uint64_t Members, const TEnumInfo& Elements);
  void WriteBinary(const void* Data, std::int64_t Count);
  void WriteCollection(TCollection* Collection);
  // The value of a property of the simple kinds (integers, as their identifier where they
  // have one, characters, enumerations, sets, floats, strings); EWriteError for others.
  void WritePropertyValue(TPersistent* Instance, const TPropInfo* Prop);
  void Write(const void* Buffer, std::int64_t Count) { FStream->WriteBuffer(Buffer, Count); }

  void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

 protected:
  // Published properties (stored, not default), then the data the object defines.
  virtual void WriteProperties(TPersistent* Instance);
  virtual void WriteProperty(TPersistent* Instance, const TPropInfo* Prop);
  // Writes FPropPath + Name: sub-objects' properties go as "Font.Name".
  virtual void WritePropName(const String& Name);
  // How a component reference is written: its name, "Owner.Name" for one of another root.
  virtual String ComponentReferenceName(TComponent* Component);

  String FPropPath;

 private:
  bool SameCollections(TCollection* A, TCollection* B);
  std::vector<TComponent*> FAncestorChildren;  // the ancestor's children at this level
  TComponent* FAncestorRoot = nullptr;
  int FChildIndex = 0;
  int FNesting = 0;
};
