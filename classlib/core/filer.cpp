#include "classlib/core/filer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

#include "classlib/core/codepage.h"
#include "classlib/core/finally.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"

HX_PUBLISH(TFiler, p) {}
HX_PUBLISH(TReader, p) {}
HX_PUBLISH(TWriter, p) {}

// ---- x87 extended ----

double ExtendedToDouble(const std::uint8_t Bytes[10]) {
  std::uint64_t mant = 0;
  for (int i = 7; i >= 0; --i) mant = (mant << 8) | Bytes[i];
  unsigned se = Bytes[8] | (Bytes[9] << 8);
  bool negative = (se & 0x8000) != 0;
  int exp = static_cast<int>(se & 0x7FFF);
  double sign = negative ? -1.0 : 1.0;
  if (exp == 0x7FFF) {
    if ((mant << 1) == 0) return sign * HUGE_VAL;
    return std::nan("");
  }
  if (mant == 0) return sign * 0.0;
  // value = mant * 2^e; normalised so that mant's top bit is set.
  int e = (exp == 0 ? 1 : exp) - 16383 - 63;
  int lz = std::countl_zero(mant);
  mant <<= lz;
  e -= lz;
  int unbiased = e + 63;
  if (unbiased > 1023) return sign * HUGE_VAL;
  // Keep 53 bits, fewer where the result is subnormal; round to nearest, ties to even.
  int shift = 11 + (unbiased < -1022 ? -1022 - unbiased : 0);
  if (shift > 64) return sign * 0.0;
  std::uint64_t kept = shift == 64 ? 0 : mant >> shift;
  std::uint64_t rest = shift == 64 ? mant : mant & ((std::uint64_t(1) << shift) - 1);
  std::uint64_t half = std::uint64_t(1) << (shift - 1);
  if (rest > half || (rest == half && (kept & 1))) ++kept;
  return sign * std::ldexp(static_cast<double>(kept), e + shift);
}

void DoubleToExtended(double Value, std::uint8_t Bytes[10]) {
  std::uint64_t mant = 0;
  unsigned se = std::signbit(Value) ? 0x8000 : 0;
  if (std::isnan(Value)) {
    se |= 0x7FFF;
    mant = 0xC000000000000000ull;
  } else if (std::isinf(Value)) {
    se |= 0x7FFF;
    mant = 0x8000000000000000ull;
  } else if (Value != 0) {
    int e;
    double m = std::frexp(std::fabs(Value), &e);  // Value = m * 2^e, 0.5 <= m < 1
    mant = static_cast<std::uint64_t>(std::ldexp(m, 64));
    se |= static_cast<unsigned>(e - 1 + 16383);
  }
  for (int i = 0; i < 8; ++i) Bytes[i] = static_cast<std::uint8_t>(mant >> (8 * i));
  Bytes[8] = static_cast<std::uint8_t>(se);
  Bytes[9] = static_cast<std::uint8_t>(se >> 8);
}

// ---- Global component finders ----

namespace {

struct TFinders {
  std::mutex Lock;
  std::map<int, TFindGlobalComponent> List;
  int Next = 1;
};

TFinders& Finders() {
  static TFinders finders;
  return finders;
}

String ValueName(TValueType v) { return HxEnumInfo(v).Name(v); }

bool IsIntegerKind(TValueType v) { return v == vaInt8 || v == vaInt16 || v == vaInt32 || v == vaInt64; }

bool IsAscii(const String& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

int RegisterFindGlobalComponent(TFindGlobalComponent Finder) {
  TFinders& f = Finders();
  std::lock_guard<std::mutex> guard(f.Lock);
  f.List.emplace(f.Next, std::move(Finder));
  return f.Next++;
}

void UnregisterFindGlobalComponent(int Token) {
  TFinders& f = Finders();
  std::lock_guard<std::mutex> guard(f.Lock);
  f.List.erase(Token);
}

TComponent* FindGlobalComponent(const String& Name) {
  std::vector<TFindGlobalComponent> finders;
  {
    TFinders& f = Finders();
    std::lock_guard<std::mutex> guard(f.Lock);
    for (auto& [token, finder] : f.List) finders.push_back(finder);
  }
  for (auto& finder : finders)
    if (TComponent* c = finder(Name)) return c;
  return nullptr;
}

// ---- Defined property names ----

namespace {

class TDefinedNames : public TFiler {
 public:
  TDefinedNames() : TFiler(nullptr) {}
  void DefineProperty(const String& Name, TReaderProc, TWriterProc, bool) override { Names.push_back(Name); }
  void DefineBinaryProperty(const String& Name, TStreamProc, TStreamProc, bool) override { Names.push_back(Name); }
  std::vector<String> Names;
};

}  // namespace

std::vector<String> DefinedPropertyNames(TPersistent* Instance) {
  TDefinedNames names;
  Instance->DefineProperties(&names);
  return std::move(names.Names);
}

// ---- TReader ----

// Counts one level of nesting for as long as it lives.
class TReader::TNesting {
 public:
  explicit TNesting(TReader& Reader) : FReader(Reader) {
    if (++FReader.FNesting > kMaxFormNesting) {
      --FReader.FNesting;
      throw EReadError("The form stream nests too deeply");
    }
  }
  ~TNesting() { --FReader.FNesting; }
  TNesting(const TNesting&) = delete;
  TNesting& operator=(const TNesting&) = delete;

 private:
  TReader& FReader;
};

TReader::TReader(TStream* Stream) : TFiler(Stream) {
  FPosition = Stream->GetPosition();
  FSize = Stream->GetSize();
}

TReader::~TReader() {
  // A kind read ahead goes back, so the stream stands right after what was read.
  if (FPeeked >= 0) {
    try {
      FStream->Seek(-1, soCurrent);
    } catch (...) {
    }
  }
}

void TReader::Read(void* Buffer, std::int64_t Count) {
  if (Count <= 0) return;
  auto* p = static_cast<std::uint8_t*>(Buffer);
  if (FPeeked >= 0) {
    *p++ = static_cast<std::uint8_t>(FPeeked);
    FPeeked = -1;
    if (--Count == 0) return;
  }
  if (Count > Remaining()) throw EReadError("Stream read error: the form stream ends early");
  FStream->ReadBuffer(p, Count);
  FPosition += Count;
}

void TReader::SetPosition(std::int64_t Value) {
  if (Value < 0 || Value > FSize) throw EReadError("Invalid position in the form stream");
  FStream->SetPosition(Value);
  FPosition = Value;
  FPeeked = -1;
}

std::uint8_t TReader::ReadByte() {
  std::uint8_t b;
  Read(&b, 1);
  return b;
}

std::uint32_t TReader::ReadUInt32() {
  std::uint8_t b[4];
  Read(b, 4);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t(b[3]) << 24);
}

std::int32_t TReader::ReadLength() {
  auto n = static_cast<std::int32_t>(ReadUInt32());
  if (n < 0 || n > Remaining()) throw EReadError("Invalid length " + std::to_string(n) + " in the form stream");
  return n;
}

TValueType TReader::NextValue() {
  if (FPeeked < 0) FPeeked = ReadByte();
  if (FPeeked > vaUTF8String) throw EReadError("Invalid value kind " + std::to_string(FPeeked) + " in the form stream");
  return static_cast<TValueType>(FPeeked);
}

TValueType TReader::ReadValue() {
  TValueType v = NextValue();
  FPeeked = -1;
  return v;
}

bool TReader::EndOfList() {
  // What follows may be a name rather than a value: only its first byte is looked at.
  if (FPeeked < 0) FPeeked = ReadByte();
  return FPeeked == vaNull;
}

void TReader::InvalidValue(TValueType Found, const char* Expected) {
  throw EReadError("Invalid property value: " + ValueName(Found) + " where " + Expected + " is expected");
}

void TReader::CheckValue(TValueType Value) {
  TValueType v = ReadValue();
  if (v != Value)
    throw EReadError("Invalid form stream: " + ValueName(v) + " where " + ValueName(Value) + " is expected");
}

void TReader::ReadListBegin() { CheckValue(vaList); }
void TReader::ReadListEnd() { CheckValue(vaNull); }

void TReader::ReadSignature() {
  char sig[4];
  if (Remaining() < 4) throw EReadError("Invalid stream format");
  Read(sig, 4);
  if (std::memcmp(sig, "TPF0", 4) != 0) throw EReadError("Invalid stream format");
}

void TReader::ReadPrefix(TFilerFlags& Flags, int& ChildPos) {
  Flags = TFilerFlags();
  ChildPos = 0;
  if (FPeeked < 0) FPeeked = ReadByte();
  if ((FPeeked & 0xF0) != 0xF0) return;
  int prefix = FPeeked;
  FPeeked = -1;
  if (prefix & 0x08) throw EReadError("Invalid component prefix in the form stream");
  Flags = TFilerFlags::FromBits(static_cast<std::uint64_t>(prefix & 0x07));
  if (Flags.Contains(ffChildPos)) {
    std::int64_t pos = ReadInteger();
    if (pos < 0 || pos > 0x7FFFFFFF) throw EReadError("Invalid child position in the form stream");
    ChildPos = static_cast<int>(pos);
  }
}

std::int64_t TReader::ReadInteger() {
  TValueType v = ReadValue();
  std::uint8_t b[8];
  switch (v) {
    case vaInt8:
      Read(b, 1);
      return static_cast<std::int8_t>(b[0]);
    case vaInt16:
      Read(b, 2);
      return static_cast<std::int16_t>(b[0] | (b[1] << 8));
    case vaInt32:
      return static_cast<std::int32_t>(ReadUInt32());
    case vaInt64: {
      Read(b, 8);
      std::uint64_t u = 0;
      for (int i = 7; i >= 0; --i) u = (u << 8) | b[i];
      return static_cast<std::int64_t>(u);
    }
    default:
      InvalidValue(v, "an integer");
  }
}

bool TReader::ReadBoolean() {
  TValueType v = ReadValue();
  if (v != vaTrue && v != vaFalse) InvalidValue(v, "False or True");
  return v == vaTrue;
}

char TReader::ReadChar() {
  TValueType v = NextValue();
  if (IsIntegerKind(v)) {
    std::int64_t i = ReadInteger();
    if (i < 0 || i > 255) throw EReadError("Invalid property value " + std::to_string(i) + " for a character");
    return static_cast<char>(static_cast<unsigned char>(i));
  }
  String s;
  if (v == vaString || v == vaLString) {
    ReadValue();
    std::int32_t n = v == vaString ? ReadByte() : ReadLength();
    s.resize(static_cast<size_t>(n));
    Read(s.data(), n);
  } else if (v == vaWString || v == vaUTF8String) {
    s = Utf8ToCp1251(ReadString());
  } else {
    InvalidValue(v, "a character");
  }
  if (s.size() != 1) throw EReadError("Invalid property value: one character is expected");
  return s[0];
}

double TReader::ReadFloat() {
  TValueType v = NextValue();
  if (IsIntegerKind(v)) return static_cast<double>(ReadInteger());
  ReadValue();
  std::uint8_t b[10];
  switch (v) {
    case vaExtended:
      Read(b, 10);
      return ExtendedToDouble(b);
    case vaSingle: {
      std::uint32_t u = ReadUInt32();
      return static_cast<double>(std::bit_cast<float>(u));
    }
    case vaCurrency:
    case vaDate: {
      Read(b, 8);
      std::uint64_t u = 0;
      for (int i = 7; i >= 0; --i) u = (u << 8) | b[i];
      if (v == vaDate) return std::bit_cast<double>(u);
      return static_cast<double>(static_cast<std::int64_t>(u)) / 10000.0;
    }
    default:
      InvalidValue(v, "a number");
  }
}

String TReader::ReadString() {
  TValueType v = ReadValue();
  String s;
  switch (v) {
    case vaString:
    case vaLString: {
      std::int32_t n = v == vaString ? ReadByte() : ReadLength();
      s.resize(static_cast<size_t>(n));
      Read(s.data(), n);
      return IsAscii(s) ? s : Cp1251ToUtf8(s);
    }
    case vaUTF8String: {
      std::int32_t n = ReadLength();
      s.resize(static_cast<size_t>(n));
      Read(s.data(), n);
      return s;
    }
    case vaWString: {
      std::int32_t n = ReadLength();
      if (n > Remaining() / 2) throw EReadError("Invalid length " + std::to_string(n) + " in the form stream");
      std::string bytes(static_cast<size_t>(n) * 2, '\0');
      Read(bytes.data(), static_cast<std::int64_t>(bytes.size()));
      std::u16string w(static_cast<size_t>(n), u'\0');
      for (size_t i = 0; i < w.size(); ++i)
        w[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                     (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
      return Utf16ToUtf8(w);
    }
    default:
      InvalidValue(v, "a string");
  }
}

String TReader::ReadIdent() {
  TValueType v = ReadValue();
  switch (v) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: InvalidValue(v, "an identifier");
  }
}

String TReader::ReadStr() {
  std::uint8_t n = ReadByte();
  String s(n, '\0');
  Read(s.data(), n);
  return s;
}

std::uint64_t TReader::ReadSet(const TEnumInfo& Elements) {
  TValueType v = ReadValue();
  if (v != vaSet) InvalidValue(v, "a set");
  std::uint64_t bits = 0;
  for (;;) {
    String name = ReadStr();
    if (name.empty()) break;
    int i = Elements.Value(name);
    if (i < 0 || i >= 64) throw EReadError("Invalid property value '" + name + "'");
    bits |= std::uint64_t(1) << i;
  }
  return bits;
}

void TReader::ReadBinary(TStream* Data) {
  TValueType v = ReadValue();
  if (v != vaBinary) InvalidValue(v, "binary data");
  std::int32_t n = ReadLength();
  std::vector<std::uint8_t> buf(static_cast<size_t>(std::min<std::int32_t>(n, 0x10000)));
  while (n > 0) {
    std::int32_t part = std::min<std::int32_t>(n, static_cast<std::int32_t>(buf.size()));
    Read(buf.data(), part);
    Data->WriteBuffer(buf.data(), part);
    n -= part;
  }
}

void TReader::SkipValue() {
  auto skip = [this](std::int64_t n) {
    if (n > Remaining()) throw EReadError("Stream read error: the form stream ends early");
    FStream->Seek(n, soCurrent);
    FPosition += n;
  };
  TValueType v = ReadValue();
  switch (v) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      break;
    case vaList: {
      TNesting nesting(*this);
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    }
    case vaInt8: skip(1); break;
    case vaInt16: skip(2); break;
    case vaInt32:
    case vaSingle: skip(4); break;
    case vaInt64:
    case vaCurrency:
    case vaDate: skip(8); break;
    case vaExtended: skip(10); break;
    case vaString:
    case vaIdent: skip(ReadByte()); break;
    case vaLString:
    case vaUTF8String:
    case vaBinary: skip(ReadLength()); break;
    case vaWString: skip(std::int64_t(ReadLength()) * 2); break;
    case vaSet:
      while (!ReadStr().empty()) {
      }
      break;
    case vaCollection: {
      TNesting nesting(*this);
      while (!EndOfList()) {
        if (IsIntegerKind(NextValue())) ReadInteger();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      break;
    }
  }
}

// -- Components --

TComponent* TReader::ReadRootComponent(TComponent* Root) {
  ReadSignature();
  TFilerFlags flags;
  int childPos;
  ReadPrefix(flags, childPos);
  String className = ReadStr();
  String name = ReadStr();
  std::unique_ptr<TComponent> created;
  if (!Root) {
    Root = FindComponentClass(className)->CreateComponent(nullptr);
    if (!Root) throw EReadError("Class " + className + " cannot be created");
    created.reset(Root);
  }
  FRoot = FLookupRoot = Root;
  FLoaded.clear();
  FFixups.clear();
  try {
    if (!name.empty()) {
      // Another root or sibling of that name makes this one Name_1, Name_2 ...
      String unique = name;
      for (int i = 1;; ++i) {
        TComponent* other = FindGlobalComponent(unique);
        TComponent* sibling = Root->Owner() ? Root->Owner()->FindComponent(unique) : nullptr;
        if ((!other || other == Root) && (!sibling || sibling == Root)) break;
        unique = name + "_" + std::to_string(i);
      }
      Root->SetName(unique);
    }
    Root->FComponentState.Include(csLoading).Include(csReading);
    FLoaded.push_back(Root);
    FCurrent = Root;
    Root->ReadState(this);
    DoFixupReferences();
  } catch (...) {
    for (TComponent* c : FLoaded) c->FComponentState.Exclude(csLoading).Exclude(csReading);
    FLoaded.clear();
    FFixups.clear();
    throw;
  }
  std::vector<TComponent*> loaded = std::move(FLoaded);
  FLoaded.clear();
  for (TComponent* c : loaded) c->FComponentState.Exclude(csReading);
  created.release();
  if (FSharedLoaded) {
    for (TComponent* c : loaded)
      if (std::find(FSharedLoaded->begin(), FSharedLoaded->end(), c) == FSharedLoaded->end())
        FSharedLoaded->push_back(c);
  } else {
    FinishLoading(loaded);
  }
  return Root;
}

void TReader::FinishLoading(std::vector<TComponent*>& List) {
  std::vector<TComponent*> loaded = std::move(List);
  List.clear();
  for (TComponent* c : loaded) c->Loaded();
}

void TReader::AbortLoading(std::vector<TComponent*>& List) {
  for (TComponent* c : List) c->FComponentState.Exclude(csLoading).Exclude(csReading);
  List.clear();
}

TComponent* TReader::ReadComponent(TComponent* Component) {
  TNesting nesting(*this);
  TFilerFlags flags;
  int childPos;
  ReadPrefix(flags, childPos);
  String className = ReadStr();
  String name = ReadStr();
  TComponent* c = Component;
  if (!c) {
    if (flags.Contains(ffInherited)) {
      c = FOwner ? FOwner->FindComponent(name) : nullptr;
      if (!c) throw EReadError("Ancestor for '" + name + "' not found");
    } else {
      // Created with its owner, which frees it also when reading fails.
      c = FindComponentClass(className)->CreateComponent(FOwner);
      if (!c) throw EReadError("Class " + className + " cannot be created");
      c->FComponentState.Include(csLoading).Include(csReading);
      FLoaded.push_back(c);
      c->SetName(name);
    }
  }
  if (!c->FComponentState.Contains(csReading)) {
    c->FComponentState.Include(csLoading).Include(csReading);
    FLoaded.push_back(c);
  }
  if (flags.Contains(ffInline)) c->FComponentState.Include(csInline);
  if (flags.Contains(ffChildPos) && FParent) FParent->SetChildOrder(c, childPos);
  TComponent* savedCurrent = FCurrent;
  FCurrent = c;
  c->ReadState(this);
  FCurrent = savedCurrent;
  c->FComponentState.Exclude(csReading);
  return c;
}

void TReader::ReadData(TComponent* Instance) {
  while (!EndOfList()) ReadProperty(Instance);
  ReadListEnd();
  TComponent* savedOwner = FOwner;
  TComponent* savedParent = FParent;
  FOwner = Instance->GetChildOwner();
  if (!FOwner) FOwner = FRoot;
  FParent = Instance->GetChildParent();
  TFinally restore([this, savedOwner, savedParent] {
    FOwner = savedOwner;
    FParent = savedParent;
  });
  while (!EndOfList()) ReadComponent(nullptr);
  ReadListEnd();
}

TClass TReader::FindComponentClass(const String& ClassName) { return FindClass(ClassName); }

const THandlerInfo* TReader::FindMethod(TComponent* Root, const String& MethodName) {
  return Root->ClassType()->FindHandler(MethodName);
}

// -- Properties --

String TReader::CurrentPath(const String& PropName) const {
  if (!FCurrent) return PropName;
  String component = FCurrent->GetName().empty() ? FCurrent->ClassName() : FCurrent->GetName();
  return component + "." + PropName;
}

void TReader::ReadProperty(TPersistent* Instance) {
  String path = ReadStr();
  // Defined properties may read nested properties: each level keeps its own name, and only
  // the outermost level adds where the error happened.
  struct TLevel {
    TReader& R;
    String Name;
    bool Handled;
    TLevel(TReader& Reader) : R(Reader), Name(Reader.FPropName), Handled(Reader.FPropHandled) { ++R.FPropDepth; }
    ~TLevel() {
      --R.FPropDepth;
      R.FPropName = std::move(Name);
      R.FPropHandled = Handled;
    }
  } level(*this);
  try {
    TPersistent* object = Instance;
    size_t start = 0;
    for (size_t dot; (dot = path.find('.', start)) != String::npos; start = dot + 1) {
      String part = path.substr(start, dot - start);
      const TPropInfo* prop = object->ClassType()->FindProperty(part);
      if (!prop) throw EReadError("Property " + part + " does not exist in " + object->ClassName());
      auto* sub = prop->Kind() == tkClass ? dynamic_cast<TPersistent*>(prop->GetObject(object)) : nullptr;
      if (!sub) throw EReadError("Property " + part + " of " + object->ClassName() + " holds no object");
      object = sub;
    }
    FPropName = path.substr(start);
    if (const TPropInfo* prop = object->ClassType()->FindProperty(FPropName)) {
      ReadPropValue(object, prop);
    } else {
      FPropHandled = false;
      object->DefineProperties(this);
      if (!FPropHandled) throw EReadError("Property " + FPropName + " does not exist in " + object->ClassName());
    }
  } catch (const EAbort&) {
    throw;
  } catch (const Exception& e) {
    if (FPropDepth > 1) throw;
    throw EReadError("Error reading " + CurrentPath(path) + ": " + e.Message);
  }
}

void TReader::DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc, bool) {
  if (FPropHandled || !ReadData || !SameText(Name, FPropName)) return;
  FPropHandled = true;
  ReadData(this);
}

void TReader::DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc, bool) {
  if (FPropHandled || !ReadData || !SameText(Name, FPropName)) return;
  FPropHandled = true;
  TMemoryStream data;
  ReadBinary(&data);
  data.SetPosition(0);
  ReadData(&data);
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo* Prop) {
  if (!Prop->IsWritable() && Prop->Kind() != tkClass)
    throw EReadError("Property " + Prop->Name() + " is read-only");
  switch (Prop->Kind()) {
    case tkInteger:
      if (Prop->IdentMap() && NextValue() == vaIdent) {
        String ident = ReadIdent();
        std::int64_t value;
        if (!Prop->IdentMap()->IdentToInt(ident, value)) throw EReadError("Invalid property value '" + ident + "'");
        Prop->SetOrd(Instance, value);
      } else {
        Prop->SetOrd(Instance, ReadInteger());
      }
      break;
    case tkInt64:
      Prop->SetOrd(Instance, ReadInteger());
      break;
    case tkChar:
      Prop->SetOrd(Instance, static_cast<unsigned char>(ReadChar()));
      break;
    case tkEnumeration: {
      String ident = ReadIdent();
      int value = Prop->EnumInfo()->Value(ident);
      if (value < 0) throw EReadError("Invalid property value '" + ident + "'");
      Prop->SetOrd(Instance, value);
      break;
    }
    case tkSet:
      Prop->SetOrd(Instance, static_cast<std::int64_t>(ReadSet(*Prop->EnumInfo())));
      break;
    case tkFloat:
      Prop->SetFloat(Instance, ReadFloat());
      break;
    case tkString:
      Prop->SetStr(Instance, ReadString());
      break;
    case tkMethod:
      if (NextValue() == vaNil) {
        ReadValue();
        Prop->SetMethod(Instance, FRoot, nullptr);
      } else {
        String name = ReadIdent();
        const THandlerInfo* handler = FRoot ? FindMethod(FRoot, name) : nullptr;
        if (!handler)
          throw EReadError("Method " + name + " not found in " + (FRoot ? FRoot->ClassName() : String("the root")));
        Prop->SetMethod(Instance, FRoot, handler);
      }
      break;
    case tkClass:
      switch (TValueType v = NextValue()) {
        case vaNil:
          ReadValue();
          if (!Prop->IsWritable()) throw EReadError("Property " + Prop->Name() + " is read-only");
          Prop->SetObject(Instance, nullptr);
          break;
        case vaCollection: {
          ReadValue();
          auto* collection = dynamic_cast<TCollection*>(Prop->GetObject(Instance));
          if (!collection) throw EReadError("Property " + Prop->Name() + " holds no collection");
          ReadCollection(collection);
          break;
        }
        case vaIdent:
          if (!Prop->PropClass()->InheritsFrom(ClassOf<TComponent>())) InvalidValue(v, "an object's properties");
          if (!Prop->IsWritable()) throw EReadError("Property " + Prop->Name() + " is read-only");
          AddFixup(Instance, Prop, ReadIdent());
          break;
        default:
          InvalidValue(v, "a component name, nil or a collection");
      }
      break;
    default:
      throw EReadError("Property " + Prop->Name() + " cannot be read");
  }
}

void TReader::ReadCollection(TCollection* Collection) {
  TNesting nesting(*this);
  TUpdateScope update(Collection);
  if (!EndOfList()) {
    ForgetFixupsUnder(Collection);
    Collection->Clear();
  }
  while (!EndOfList()) {
    if (IsIntegerKind(NextValue())) ReadInteger();  // the item's order, not needed here
    TCollectionItem* item = Collection->Add();
    ReadListBegin();
    while (!EndOfList()) ReadProperty(item);
    ReadListEnd();
  }
  ReadListEnd();
}

// -- References --

void TReader::AddFixup(TPersistent* Instance, const TPropInfo* Prop, const String& Name) {
  FFixups.push_back({Instance, Prop, Name, CurrentPath(Prop->Name())});
}

void TReader::ForgetFixupsUnder(TCollection* Collection) {
  // The items are about to go; so do their pending references.
  std::erase_if(FFixups, [Collection](const TFixup& f) {
    int depth = 0;
    for (TPersistent* p = f.Instance; p && depth < kMaxFormNesting * 4; p = p->GetOwner(), ++depth)
      if (p == Collection) return true;
    return false;
  });
}

TComponent* TReader::ResolveReference(const String& Name, bool& Local) {
  size_t dot = Name.find('.');
  String first = Name.substr(0, dot);
  Local = true;
  TComponent* c = FRoot ? FRoot->FindComponent(first) : nullptr;
  if (!c && FRoot && SameText(first, FRoot->GetName())) c = FRoot;
  if (!c) {
    c = FindGlobalComponent(first);
    if (dot != String::npos) Local = false;  // another root's component may be missing
  }
  while (c && dot != String::npos) {
    size_t next = Name.find('.', dot + 1);
    c = c->FindComponent(Name.substr(dot + 1, next == String::npos ? String::npos : next - dot - 1));
    dot = next;
  }
  return c;
}

void TReader::DoFixupReferences() {
  std::vector<TFixup> fixups = std::move(FFixups);
  FFixups.clear();
  for (const TFixup& f : fixups) {
    bool local;
    TComponent* c = ResolveReference(f.Name, local);
    if (!c) {
      if (!local) continue;
      throw EReadError("Error reading " + f.Path + ": Component " + f.Name + " not found");
    }
    try {
      f.Prop->SetObject(f.Instance, c);
    } catch (const Exception& e) {
      throw EReadError("Error reading " + f.Path + ": " + e.Message);
    }
  }
}

// ---- TWriter ----

namespace {

class TWriteNesting {
 public:
  explicit TWriteNesting(int& Nesting) : FNesting(Nesting) {
    if (++FNesting > kMaxFormNesting) {
      --FNesting;
      throw EWriteError("Objects nest too deeply to be written");
    }
  }
  ~TWriteNesting() { --FNesting; }
  TWriteNesting(const TWriteNesting&) = delete;
  TWriteNesting& operator=(const TWriteNesting&) = delete;

 private:
  int& FNesting;
};

String ReferenceName(TComponent* Component, TComponent* Root) {
  if (Component->Owner() == Root || Component == Root) return Component->GetName();
  TComponent* owner = Component->Owner();
  if (owner && !owner->GetName().empty() && !Component->GetName().empty())
    return owner->GetName() + "." + Component->GetName();
  return Component->GetName();
}

}  // namespace

void TWriter::WriteSignature() { Write("TPF0", 4); }

void TWriter::WritePrefix(TFilerFlags Flags, int ChildPos) {
  if (Flags.Empty()) return;
  auto prefix = static_cast<std::uint8_t>(0xF0 | Flags.Bits());
  Write(&prefix, 1);
  if (Flags.Contains(ffChildPos)) WriteInteger(ChildPos);
}

void TWriter::WriteValue(TValueType Value) {
  auto b = static_cast<std::uint8_t>(Value);
  Write(&b, 1);
}

void TWriter::WriteInteger(std::int64_t Value) {
  std::uint8_t b[9];
  int n;
  if (Value >= -128 && Value <= 127) {
    b[0] = vaInt8;
    n = 1;
  } else if (Value >= -32768 && Value <= 32767) {
    b[0] = vaInt16;
    n = 2;
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    b[0] = vaInt32;
    n = 4;
  } else {
    b[0] = vaInt64;
    n = 8;
  }
  auto u = static_cast<std::uint64_t>(Value);
  for (int i = 0; i < n; ++i) b[1 + i] = static_cast<std::uint8_t>(u >> (8 * i));
  Write(b, n + 1);
}

void TWriter::WriteChar(char Value) {
  std::uint8_t b[3] = {vaString, 1, static_cast<std::uint8_t>(Value)};
  Write(b, 3);
}

void TWriter::WriteFloat(double Value) {
  std::uint8_t b[11];
  b[0] = vaExtended;
  DoubleToExtended(Value, b + 1);
  Write(b, 11);
}

void TWriter::WriteSingle(float Value) {
  std::uint8_t b[5];
  b[0] = vaSingle;
  auto u = std::bit_cast<std::uint32_t>(Value);
  for (int i = 0; i < 4; ++i) b[1 + i] = static_cast<std::uint8_t>(u >> (8 * i));
  Write(b, 5);
}

namespace {
void WriteEight(TWriter& w, TValueType kind, std::uint64_t u) {
  std::uint8_t b[9];
  b[0] = static_cast<std::uint8_t>(kind);
  for (int i = 0; i < 8; ++i) b[1 + i] = static_cast<std::uint8_t>(u >> (8 * i));
  w.Write(b, 9);
}
void WriteLength(TWriter& w, std::int64_t n) {
  if (n > INT32_MAX) throw EWriteError("Data too long for a form stream");
  auto u = static_cast<std::uint32_t>(n);
  std::uint8_t b[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                       static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
  w.Write(b, 4);
}
}  // namespace

void TWriter::WriteCurrency(std::int64_t TenThousandths) {
  WriteEight(*this, vaCurrency, static_cast<std::uint64_t>(TenThousandths));
}

void TWriter::WriteDate(double Value) { WriteEight(*this, vaDate, std::bit_cast<std::uint64_t>(Value)); }

void TWriter::WriteString(const String& Value) {
  if (IsAscii(Value) && Value.size() <= 255) {
    WriteValue(vaString);
    auto n = static_cast<std::uint8_t>(Value.size());
    Write(&n, 1);
  } else {
    WriteValue(IsAscii(Value) ? vaLString : vaUTF8String);
    WriteLength(*this, static_cast<std::int64_t>(Value.size()));
  }
  Write(Value.data(), static_cast<std::int64_t>(Value.size()));
}

void TWriter::WriteIdent(const String& Ident) {
  if (SameText(Ident, "False")) WriteValue(vaFalse);
  else if (SameText(Ident, "True")) WriteValue(vaTrue);
  else if (SameText(Ident, "nil")) WriteValue(vaNil);
  else if (SameText(Ident, "Null")) WriteValue(vaNull);
  else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteStr(const String& Value) {
  if (Value.size() > 255) throw EWriteError("Name too long for a form stream: " + Value.substr(0, 40) + "...");
  auto n = static_cast<std::uint8_t>(Value.size());
  Write(&n, 1);
  Write(Value.data(), n);
}

void TWriter::WriteSet(std::uint64_t Members, const TEnumInfo& Elements) {
  WriteValue(vaSet);
  for (int i = 0; i < Elements.Count() && i < 64; ++i)
    if (Members & (std::uint64_t(1) << i)) WriteStr(Elements.Name(i));
  WriteStr(String());
}

void TWriter::WriteBinary(const void* Data, std::int64_t Count) {
  WriteValue(vaBinary);
  WriteLength(*this, Count);
  Write(Data, Count);
}

// -- Components --

void TWriter::WriteRootComponent(TComponent* Root) { WriteDescendent(Root, nullptr); }

void TWriter::WriteDescendent(TComponent* Root, TComponent* Ancestor) {
  FRoot = FLookupRoot = Root;
  FAncestorRoot = Ancestor;
  FAncestor = Ancestor && Ancestor->ClassType() == Root->ClassType() ? Ancestor : nullptr;
  FAncestorChildren.clear();
  FChildIndex = 0;
  WriteSignature();
  WriteComponent(Root);
}

void TWriter::WriteComponent(TComponent* Component) {
  TWriteNesting nesting(FNesting);
  TPersistent* savedAncestor = FAncestor;
  if (Component != FRoot) {
    FAncestor = nullptr;
    for (TComponent* c : FAncestorChildren)
      if (SameText(c->GetName(), Component->GetName()) && c->ClassType() == Component->ClassType()) FAncestor = c;
  }
  Component->FComponentState.Include(csWriting);
  TFinally done([this, Component, savedAncestor] {
    Component->FComponentState.Exclude(csWriting);
    FAncestor = savedAncestor;
  });
  Component->WriteState(this);
}

void TWriter::WriteData(TComponent* Instance) {
  auto* ancestor = dynamic_cast<TComponent*>(FAncestor);
  TFilerFlags flags;
  int childPos = 0;
  if (ancestor) {
    flags.Include(ffInherited);
    if (Instance != FRoot) {
      auto it = std::find(FAncestorChildren.begin(), FAncestorChildren.end(), ancestor);
      if (it - FAncestorChildren.begin() != FChildIndex) {
        flags.Include(ffChildPos);
        childPos = FChildIndex;
      }
    }
  }
  WritePrefix(flags, childPos);
  WriteStr(Instance->ClassName());
  WriteStr(Instance->GetName());
  String savedPath = FPropPath;
  FPropPath.clear();
  WriteProperties(Instance);
  FPropPath = savedPath;
  WriteListEnd();

  std::vector<TComponent*> savedChildren = std::move(FAncestorChildren);
  int savedIndex = FChildIndex;
  FAncestorChildren.clear();
  if (ancestor) ancestor->GetChildren([this](TComponent* c) { FAncestorChildren.push_back(c); }, FAncestorRoot);
  FChildIndex = 0;
  Instance->GetChildren(
      [this](TComponent* c) {
        WriteComponent(c);
        ++FChildIndex;
      },
      FRoot);
  WriteListEnd();
  FAncestorChildren = std::move(savedChildren);
  FChildIndex = savedIndex;
}

// -- Properties --

void TWriter::WritePropName(const String& Name) { WriteStr(FPropPath + Name); }

String TWriter::ComponentReferenceName(TComponent* Component) { return ReferenceName(Component, FLookupRoot); }

void TWriter::WriteProperties(TPersistent* Instance) {
  for (const TPropInfo* prop : Instance->ClassType()->Properties())
    if (prop->IsStored(Instance)) WriteProperty(Instance, prop);
  Instance->DefineProperties(this);
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo* Prop) {
  TPersistent* ancestor = FAncestor;
  switch (Prop->Kind()) {
    case tkMethod: {
      String name = Prop->GetMethodName(Instance);
      String ancestorName = ancestor ? Prop->GetMethodName(ancestor) : String();
      if (name == ancestorName) return;
      WritePropName(Prop->Name());
      if (name.empty()) WriteValue(vaNil);
      else WriteIdent(name);
      return;
    }
    case tkClass: {
      TObject* value = Prop->GetObject(Instance);
      TObject* ancestorValue = ancestor ? Prop->GetObject(ancestor) : nullptr;
      auto* component = dynamic_cast<TComponent*>(value);
      if (component || (!value && Prop->PropClass()->InheritsFrom(ClassOf<TComponent>()))) {
        if (!Prop->IsWritable()) return;
        String name = component ? ComponentReferenceName(component) : String();
        auto* ancestorComponent = dynamic_cast<TComponent*>(ancestorValue);
        String ancestorName = ancestorComponent ? ReferenceName(ancestorComponent, FAncestorRoot) : String();
        if (name == ancestorName) return;
        if (component && name.empty()) return;  // an unnamed component cannot be referred to
        WritePropName(Prop->Name());
        if (name.empty()) WriteValue(vaNil);
        else WriteIdent(name);
        return;
      }
      if (!value) {
        if (ancestorValue && Prop->IsWritable()) {
          WritePropName(Prop->Name());
          WriteValue(vaNil);
        }
        return;
      }
      if (auto* collection = dynamic_cast<TCollection*>(value)) {
        auto* ancestorCollection = dynamic_cast<TCollection*>(ancestorValue);
        if (ancestorCollection ? SameCollections(collection, ancestorCollection) : collection->Count() == 0) return;
        WritePropName(Prop->Name());
        FAncestor = ancestorCollection;
        TFinally restore([this, ancestor] { FAncestor = ancestor; });
        WriteCollection(collection);
        return;
      }
      if (auto* sub = dynamic_cast<TPersistent*>(value)) {
        TWriteNesting nesting(FNesting);
        String savedPath = FPropPath;
        auto* ancestorSub = dynamic_cast<TPersistent*>(ancestorValue);
        FPropPath += Prop->Name() + ".";
        FAncestor = ancestorSub && ancestorSub->ClassType() == sub->ClassType() ? ancestorSub : nullptr;
        TFinally restore([this, &savedPath, ancestor] {
          FPropPath = savedPath;
          FAncestor = ancestor;
        });
        WriteProperties(sub);
      }
      return;
    }
    default:
      break;
  }
  if (!Prop->IsWritable()) return;
  if (ancestor ? Prop->SameValue(Instance, ancestor) : Prop->IsDefaultValue(Instance)) return;
  WritePropName(Prop->Name());
  WritePropertyValue(Instance, Prop);
}

void TWriter::WritePropertyValue(TPersistent* Instance, const TPropInfo* Prop) {
  switch (Prop->Kind()) {
    case tkInteger: {
      std::int64_t value = Prop->GetOrd(Instance);
      String ident;
      if (Prop->IdentMap() && Prop->IdentMap()->IntToIdent(value, ident)) WriteIdent(ident);
      else WriteInteger(value);
      break;
    }
    case tkInt64: WriteInteger(Prop->GetOrd(Instance)); break;
    case tkChar: WriteChar(static_cast<char>(Prop->GetOrd(Instance))); break;
    case tkEnumeration: WriteIdent(Prop->EnumInfo()->Name(static_cast<int>(Prop->GetOrd(Instance)))); break;
    case tkSet: WriteSet(static_cast<std::uint64_t>(Prop->GetOrd(Instance)), *Prop->EnumInfo()); break;
    case tkFloat:
      if (Prop->IsSingle()) WriteSingle(static_cast<float>(Prop->GetFloat(Instance)));
      else WriteFloat(Prop->GetFloat(Instance));
      break;
    case tkString: WriteString(Prop->GetStr(Instance)); break;
    default: throw EWriteError("Property " + Prop->Name() + " cannot be written");
  }
}

void TWriter::WriteCollection(TCollection* Collection) {
  TWriteNesting nesting(FNesting);
  WriteValue(vaCollection);
  auto* ancestorCollection = dynamic_cast<TCollection*>(FAncestor);
  String savedPath = FPropPath;
  TPersistent* savedAncestor = FAncestor;
  {
    TFinally restore([this, &savedPath, savedAncestor] {
      FPropPath = savedPath;
      FAncestor = savedAncestor;
    });
    for (int i = 0; i < Collection->Count(); ++i) {
      TCollectionItem* item = Collection->GetItem(i);
      TCollectionItem* ancestorItem =
          ancestorCollection && i < ancestorCollection->Count() ? ancestorCollection->GetItem(i) : nullptr;
      FAncestor = ancestorItem && ancestorItem->ClassType() == item->ClassType() ? ancestorItem : nullptr;
      FPropPath.clear();
      WriteListBegin();
      WriteProperties(item);
      WriteListEnd();
    }
  }
  WriteListEnd();
}

bool TWriter::SameCollections(TCollection* A, TCollection* B) {
  if (A->Count() != B->Count() || A->ClassType() != B->ClassType()) return false;
  auto written = [](TCollection* c, TComponent* root) {
    TMemoryStream m;
    TWriter w(&m);
    w.FRoot = w.FLookupRoot = root;
    w.WriteCollection(c);
    return StreamToString(&m);
  };
  return written(A, FLookupRoot) == written(B, FAncestorRoot);
}

void TWriter::DefineProperty(const String& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WritePropName(Name);
  WriteData(this);
}

void TWriter::DefineBinaryProperty(const String& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  TMemoryStream data;
  WriteData(&data);
  WritePropName(Name);
  WriteBinary(data.Memory(), data.GetSize());
}
