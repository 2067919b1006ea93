#pragma once
// xBase expressions: index keys, FOR conditions, filters and formulas are compiled once into
// a node tree (TxbExpHandler) and evaluated against the current record as often as needed.
// Names are resolved through a TxbExpUserLink that the owner supplies (a table's link knows
// its fields); the built-in functions (functions.h) are searched before the link.
//
// Every node keeps its own result (TxbExpValue) and reuses its buffers, so evaluating an
// expression again allocates nothing once the texts have reached their size. Texts are bytes
// with a length (a field may hold zero bytes) in the code page of the link's table.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/casetables.h"

class TxbVariant;
class TxbExpHandler;
class TxbExpFunction;
class TxbExpUserLink;

// The type carried with every evaluated value. 4 to 7 are the numeric family: numbers and
// dates mix in arithmetic and comparison.
enum : std::uint8_t {
  xbtNone = 1,     // an argument that is absent
  xbtAny = 2,      // only as a wanted type
  xbtText = 3,
  xbtNumber = 4,
  xbtDate = 6,     // the Julian day as a double; the empty date is xbEmptyDate
  xbtNumeric = 7,  // a second numeric code, treated as Number
  xbtBoolean = 8,
  xbtFieldRef = 9  // a field the table cannot express as a value (memo, binary, general)
};

constexpr double xbEmptyDate = 1.0e100;

// Limits against hostile input: deeper trees and longer texts do not compile.
constexpr int xbMaxExpressionDepth = 512;
constexpr std::size_t xbMaxExpressionText = 65536;

bool XbIsNumeric(std::uint8_t type);

struct TxbExpValue {
  std::uint8_t Type = 0;
  double Number = 0;     // Number and Date
  bool Logical = false;  // Boolean
  std::string Text;      // Text: bytes with their length
  int Width = 0;         // the width a number field gives STR; 0 when none
  const void* Table = nullptr;  // field reference: the table and its 1-based field number
  int Field = 0;

  void SetText(std::string_view s) {
    Type = xbtText;
    Text.assign(s.data(), s.size());
    Width = 0;
  }
  void SetNumber(double v, std::uint8_t type = xbtNumber) { Type = type; Number = v; Width = 0; }
  void SetBoolean(bool b) { Type = xbtBoolean; Logical = b; }
  // Copies what the type carries, reusing this value's buffer.
  void Assign(const TxbExpValue& other);
};

// The date value of a Julian day: 0 or less is the empty date.
double XbDateOf(std::int32_t julian);
// A whole number from a double, truncated and clamped into a safe 64-bit range.
std::int64_t XbWholeOf(double v);

// Where `part` occurs in `text` from `from` on (bytes folded through `fold` when given);
// npos when it does not.
std::size_t XbFindText(std::string_view text, std::string_view part, std::size_t from, const TxbByteTable* fold);

// Raises EXBaseExpression with the message.
[[noreturn]] void XbExpressionError(const std::string& message);

// ---- Nodes -------------------------------------------------------------------------------

enum class TxbExpNodeKind : std::uint8_t { Container, Function, Fieldvar, Operator, TextLit, NumLit, DateLit, BlnLit };

class TxbExpBaseObject {
 public:
  explicit TxbExpBaseObject(TxbExpNodeKind kind) : Kind(kind) {}
  virtual ~TxbExpBaseObject() = default;
  TxbExpBaseObject(const TxbExpBaseObject&) = delete;
  TxbExpBaseObject& operator=(const TxbExpBaseObject&) = delete;

  // The node written back as expression text.
  virtual std::string TextForm() const = 0;
  // Appends the names of the fields the node reads, separated by ";".
  virtual void FieldList(std::string& out) const;
  // Evaluates into Value and returns it.
  virtual const TxbExpValue& Evaluate() = 0;

  TxbExpNodeKind Kind;
  TxbExpValue Value;
  int Depth = 1;  // levels of the tree below and including this node
};

class TxbExpContainer : public TxbExpBaseObject {
 public:
  explicit TxbExpContainer(std::unique_ptr<TxbExpBaseObject> inner);
  std::string TextForm() const override;
  void FieldList(std::string& out) const override;
  const TxbExpValue& Evaluate() override;
  std::unique_ptr<TxbExpBaseObject> Inner;
};

// A function of the built-in registry or of a link; the registry owns it.
class TxbUserDefFunction {
 public:
  virtual ~TxbUserDefFunction() = default;
  virtual std::string Name() const = 0;
  // Fetches the arguments through Node.Arg and writes the result with its type.
  virtual void Evaluate(TxbExpFunction& Node, TxbExpValue& Result) = 0;
};

class TxbExpFunction : public TxbExpBaseObject {
 public:
  TxbExpFunction(TxbExpHandler& handler, std::string name, TxbUserDefFunction* function);
  std::string TextForm() const override;
  void FieldList(std::string& out) const override;
  const TxbExpValue& Evaluate() override;

  int ArgCount() const { return static_cast<int>(Args.size()); }
  // Argument i (0-based) evaluated and checked against the wanted type: Number and Date
  // take the numeric family, Text and Boolean exactly that type, xbtAny everything. An
  // absent argument (type xbtNone) passes only when it is optional.
  const TxbExpValue& Arg(int i, std::uint8_t wanted, bool optional = false);
  // Argument i as text, checked as Arg does; a text field's bytes are read where they lie
  // instead of copied (valid until the record or the argument changes).
  std::string_view TextArg(int i);
  // The argument's source text, as the Formula hook of a table receives it.
  const std::string& ArgumentText() const { return ArgText; }

  TxbExpHandler& Handler;
  std::string Name;
  TxbUserDefFunction* Function;
  // Arg's check of an evaluated argument (null: absent) that is not plainly the wanted type.
  const TxbExpValue& CheckedArg(const TxbExpValue* given, int i, std::uint8_t wanted, bool optional);
  std::vector<std::unique_ptr<TxbExpBaseObject>> Args;  // null where an argument is absent
  std::string ArgText;
};

// A field or variable of a link; the link owns it.
class TxbUserDefFieldVar {
 public:
  // The name is kept upper-cased by the code page's table, as the compiler's words are.
  explicit TxbUserDefFieldVar(std::string name, TxbCodePage codePage = TxbCodePage::cp1251);
  virtual ~TxbUserDefFieldVar() = default;
  const std::string& Name() const { return FName; }
  virtual void Evaluate(TxbExpValue& Result) = 0;
  // A text value's bytes where they lie, valid until the record changes; false when the
  // value must be evaluated into a buffer.
  virtual bool TextInPlace(std::string_view&) { return false; }

 private:
  std::string FName;  // upper case
};

class TxbExpFieldvar : public TxbExpBaseObject {
 public:
  TxbExpFieldvar(std::string name, TxbUserDefFieldVar* var);
  std::string TextForm() const override { return Name; }
  void FieldList(std::string& out) const override;
  const TxbExpValue& Evaluate() override;
  std::string Name;
  TxbUserDefFieldVar* Var;
};

// Operator codes as the lexer writes them.
enum : std::uint8_t {
  xboEqual = 129, xboNotEqual = 130, xboGreater = 131, xboLess = 132, xboGreaterEqual = 133,
  xboLessEqual = 134, xboContains = 135, xboExact = 136, xboPlus = 137, xboMinus = 138,
  xboTimes = 139, xboDivide = 140, xboPower = 141, xboAnd = 144, xboOr = 145, xboNot = 146
};

class TxbExpOperator : public TxbExpBaseObject {
 public:
  TxbExpOperator(TxbExpHandler& handler, std::uint8_t code, std::uint8_t opClass);
  std::string TextForm() const override;
  void FieldList(std::string& out) const override;
  const TxbExpValue& Evaluate() override;
  static std::string OperatorText(std::uint8_t code);

  TxbExpHandler& Handler;  // its case and wildcard settings
  std::uint8_t Code;
  std::uint8_t Class;
  bool Reduced = false;
  std::unique_ptr<TxbExpBaseObject> Left, Right;

 private:
  void EvaluateBoolean(const TxbExpValue& l, const TxbExpValue& r);
  void EvaluateNumeric(const TxbExpValue& l, const TxbExpValue& r);
  void EvaluateText(const TxbExpValue& l, const TxbExpValue& r);
};

class TxbExpTextLit : public TxbExpBaseObject {
 public:
  explicit TxbExpTextLit(std::string text);
  std::string TextForm() const override;
  const TxbExpValue& Evaluate() override { return Value; }
};

class TxbExpNumLit : public TxbExpBaseObject {
 public:
  TxbExpNumLit(std::string source, double v);
  std::string TextForm() const override { return Source; }
  const TxbExpValue& Evaluate() override { return Value; }
  std::string Source;
};

class TxbExpDateLit : public TxbExpBaseObject {
 public:
  TxbExpDateLit(std::string source, double julian);
  std::string TextForm() const override { return "{" + Source + "}"; }
  const TxbExpValue& Evaluate() override { return Value; }
  std::string Source;
};

class TxbExpBlnLit : public TxbExpBaseObject {
 public:
  explicit TxbExpBlnLit(bool b);
  std::string TextForm() const override { return Value.Logical ? ".T." : ".F."; }
  const TxbExpValue& Evaluate() override { return Value; }
};

// ---- Registries and the link ---------------------------------------------------------------

// Entries by upper-case name; owns them. Of two entries of one name the first stays.
template <class T>
class TxbNameReg {
 public:
  void Add(std::unique_ptr<T> item) {
    std::string name = item->Name();
    FItems.emplace(name, std::move(item));
  }
  T* Find(const std::string& name) const {
    auto it = FItems.find(name);
    return it == FItems.end() ? nullptr : it->second.get();
  }
  int Count() const { return static_cast<int>(FItems.size()); }

 private:
  std::map<std::string, std::unique_ptr<T>> FItems;
};

class TxbFunctionReg : public TxbNameReg<TxbUserDefFunction> {};
class TxbFieldVarReg : public TxbNameReg<TxbUserDefFieldVar> {};

class TxbExpUserLink {
 public:
  virtual ~TxbExpUserLink() = default;
  virtual TxbUserDefFunction* FindFunction(const std::string& name) { return Functions.Find(name); }
  virtual TxbUserDefFieldVar* FindFieldVar(const std::string& name) { return FieldVars.Find(name); }
  // Called for a name no registry knows; raises "There is no function for NAME" unless the
  // link can still offer one.
  virtual TxbUserDefFunction* FunctionNotFound(const std::string& name);
  // The code page of the texts the link delivers (its case maps fold them).
  virtual TxbCodePage CodePage() const { return TxbCodePage::cp1251; }

  TxbFunctionReg Functions;
  TxbFieldVarReg FieldVars;
  int DefaultWidth = 10;  // STR's width when the number has no width of its own
};

// ---- The handler ---------------------------------------------------------------------------

class TxbExpHandler {
 public:
  // SqlWildcards: "%" and "_" instead of "*" and "?". An empty text compiles nothing.
  TxbExpHandler(TxbExpUserLink* Link, bool SqlWildcards, const std::string& Text);
  ~TxbExpHandler();
  TxbExpHandler(const TxbExpHandler&) = delete;
  TxbExpHandler& operator=(const TxbExpHandler&) = delete;

  void Recompile(const std::string& Text);
  // Evaluates against the current state of the link; the value belongs to the tree and is
  // valid until the next evaluation. Without a tree: a value of type 0.
  const TxbExpValue& Evaluate();
  // Text → text, Number → float, Date → date (empty → 0), Boolean → logical; other types
  // (and no tree) → false.
  bool Evaluate(TxbVariant& v);
  std::string TextForm() const;
  std::string FieldList() const;
  std::uint8_t ResultType() const { return FResultType; }
  TxbExpBaseObject* Root() const { return FRoot.get(); }
  int NodeCount() const { return FNodeCount; }
  TxbExpUserLink* Link() const { return FLink; }
  // The case maps of the link's code page (1251 without a link): every case-insensitive
  // path folds through Upper.
  const TxbByteTable& Upper() const { return *FUpper; }
  const TxbByteTable& Lower() const { return *FLower; }

  bool CaseInsensitive = false;
  bool Wildcards = true;
  char ManyWildcard;
  char OneWildcard;
  int DefaultWidth() const { return FLink ? FLink->DefaultWidth : 10; }

 private:
  friend class TxbExpCompiler;
  TxbExpUserLink* FLink;
  const TxbByteTable* FUpper;
  const TxbByteTable* FLower;
  std::unique_ptr<TxbExpBaseObject> FRoot;
  std::uint8_t FResultType = 0;
  int FNodeCount = 0;
  TxbExpValue FNoValue;
};

// The built-in functions, searched before any link; one registry for the process.
const TxbFunctionReg& BuiltinFunctions();
