#include "xbase/expression.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "classlib/core/format.h"
#include "xbase/dates.h"
#include "xbase/errors.h"
#include "xbase/numbers.h"
#include "xbase/variant.h"

bool XbIsNumeric(std::uint8_t type) { return type >= xbtNumber && type <= xbtNumeric; }

void TxbExpValue::Assign(const TxbExpValue& other) {
  Type = other.Type;
  Number = other.Number;
  Logical = other.Logical;
  Width = other.Width;
  Table = other.Table;
  Field = other.Field;
  if (other.Type == xbtText) Text.assign(other.Text);
}

double XbDateOf(std::int32_t julian) { return julian <= 0 ? xbEmptyDate : static_cast<double>(julian); }

std::int64_t XbWholeOf(double v) {
  constexpr double limit = 9.0e15;  // well inside 64 bits, still exact
  if (std::isnan(v)) return 0;
  if (v > limit) return static_cast<std::int64_t>(limit);
  if (v < -limit) return -static_cast<std::int64_t>(limit);
  return static_cast<std::int64_t>(v);  // the conversion truncates toward zero
}

void XbExpressionError(const std::string& message) { throw EXBaseExpression(message); }

namespace {

[[noreturn]] void CannotEvaluate() { XbExpressionError(SCannotEvaluate); }

[[noreturn]] void ValueRequired(const char* what) { XbExpressionError(Format(SValueRequired, what)); }

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Byte order of two texts, each byte folded through `fold` when given.
int CompareBytes(std::string_view a, std::string_view b, const TxbByteTable* fold) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (fold) x = (*fold)[x], y = (*fold)[y];
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool EqualAt(std::string_view text, std::size_t pos, std::string_view part, const TxbByteTable* fold) {
  return CompareBytes(text.substr(pos, part.size()), part, fold) == 0;
}

// Where `part` occurs in `text` from `from` on, npos when it does not.
std::size_t FindBytes(std::string_view text, std::string_view part, std::size_t from, const TxbByteTable* fold) {
  if (part.size() > text.size()) return std::string_view::npos;
  for (std::size_t i = from; i + part.size() <= text.size(); ++i)
    if (EqualAt(text, i, part, fold)) return i;
  return std::string_view::npos;
}

}  // namespace

std::size_t XbFindText(std::string_view text, std::string_view part, std::size_t from, const TxbByteTable* fold) {
  return FindBytes(text, part, from, fold);
}

// ---- Nodes -------------------------------------------------------------------------------

void TxbExpBaseObject::FieldList(std::string&) const {}

TxbExpContainer::TxbExpContainer(std::unique_ptr<TxbExpBaseObject> inner)
    : TxbExpBaseObject(TxbExpNodeKind::Container), Inner(std::move(inner)) {
  Depth = Inner->Depth + 1;
}

std::string TxbExpContainer::TextForm() const { return "(" + Inner->TextForm() + ")"; }
void TxbExpContainer::FieldList(std::string& out) const { Inner->FieldList(out); }

const TxbExpValue& TxbExpContainer::Evaluate() {
  Value.Assign(Inner->Evaluate());
  return Value;
}

TxbExpFunction::TxbExpFunction(TxbExpHandler& handler, std::string name, TxbUserDefFunction* function)
    : TxbExpBaseObject(TxbExpNodeKind::Function), Handler(handler), Name(std::move(name)), Function(function) {}

std::string TxbExpFunction::TextForm() const {
  std::string s = Name + "(";
  for (std::size_t i = 0; i < Args.size(); ++i) {
    if (i) s += ',';
    if (Args[i]) s += Args[i]->TextForm();
  }
  return s + ")";
}

void TxbExpFunction::FieldList(std::string& out) const {
  for (const auto& a : Args)
    if (a) a->FieldList(out);
}

const TxbExpValue& TxbExpFunction::Evaluate() {
  Value.Width = 0;
  Function->Evaluate(*this, Value);
  return Value;
}

namespace {
const char* TypeName(std::uint8_t type) {
  switch (type) {
    case xbtText: return "Text";
    case xbtNumber: return "Number";
    case xbtDate: return "Date";
    case xbtBoolean: return "Boolean";
    default: return "Unknown Value";
  }
}
}  // namespace

const TxbExpValue& TxbExpFunction::Arg(int i, std::uint8_t wanted, bool optional) {
  if (i < ArgCount() && Args[i]) {
    const TxbExpValue& v = Args[i]->Evaluate();
    if (v.Type == wanted || (XbIsNumeric(wanted) && XbIsNumeric(v.Type))) return v;  // the usual case
    return CheckedArg(&v, i, wanted, optional);
  }
  return CheckedArg(nullptr, i, wanted, optional);
}

const TxbExpValue& TxbExpFunction::CheckedArg(const TxbExpValue* given, int i, std::uint8_t wanted, bool optional) {
  static const TxbExpValue absent = [] {
    TxbExpValue v;
    v.Type = xbtNone;
    return v;
  }();
  const TxbExpValue* v = given ? given : &absent;
  bool ok;
  if (v->Type == xbtNone)
    ok = optional;
  else if (wanted == xbtAny)
    ok = true;
  else if (XbIsNumeric(wanted))
    ok = XbIsNumeric(v->Type);
  else
    ok = v->Type == wanted;
  if (!ok) XbExpressionError(Format(SArgumentNeeded, TypeName(wanted), i + 1, TextForm()));
  return *v;
}

std::string_view TxbExpFunction::TextArg(int i) {
  if (i < ArgCount() && Args[i] && Args[i]->Kind == TxbExpNodeKind::Fieldvar) {
    std::string_view bytes;
    if (static_cast<TxbExpFieldvar&>(*Args[i]).Var->TextInPlace(bytes)) return bytes;
  }
  return Arg(i, xbtText).Text;
}

TxbUserDefFieldVar::TxbUserDefFieldVar(std::string name, TxbCodePage codePage) : FName(UpperCaseBytes(std::move(name), codePage)) {}

TxbExpFieldvar::TxbExpFieldvar(std::string name, TxbUserDefFieldVar* var)
    : TxbExpBaseObject(TxbExpNodeKind::Fieldvar), Name(std::move(name)), Var(var) {}

void TxbExpFieldvar::FieldList(std::string& out) const {
  if (!out.empty()) out += ';';
  out += Name;
}

const TxbExpValue& TxbExpFieldvar::Evaluate() {
  Var->Evaluate(Value);
  return Value;
}

TxbExpTextLit::TxbExpTextLit(std::string text) : TxbExpBaseObject(TxbExpNodeKind::TextLit) {
  Value.SetText(text);
}

std::string TxbExpTextLit::TextForm() const {
  std::string s = "\"";
  for (char c : Value.Text) {
    if (c == '"') s += '"';
    s += c;
  }
  return s + "\"";
}

TxbExpNumLit::TxbExpNumLit(std::string source, double v) : TxbExpBaseObject(TxbExpNodeKind::NumLit), Source(std::move(source)) {
  Value.SetNumber(v);
}

TxbExpDateLit::TxbExpDateLit(std::string source, double julian)
    : TxbExpBaseObject(TxbExpNodeKind::DateLit), Source(std::move(source)) {
  Value.SetNumber(julian, xbtDate);
}

TxbExpBlnLit::TxbExpBlnLit(bool b) : TxbExpBaseObject(TxbExpNodeKind::BlnLit) { Value.SetBoolean(b); }

// ---- Operators ---------------------------------------------------------------------------

TxbExpOperator::TxbExpOperator(TxbExpHandler& handler, std::uint8_t code, std::uint8_t opClass)
    : TxbExpBaseObject(TxbExpNodeKind::Operator), Handler(handler), Code(code), Class(opClass) {}

std::string TxbExpOperator::OperatorText(std::uint8_t code) {
  switch (code) {
    case xboEqual: return "=";
    case xboNotEqual: return "#";
    case xboGreater: return ">";
    case xboLess: return "<";
    case xboGreaterEqual: return ">=";
    case xboLessEqual: return "<=";
    case xboContains: return "$";
    case xboExact: return "==";
    case xboPlus: return "+";
    case xboMinus: return "-";
    case xboTimes: return "*";
    case xboDivide: return "/";
    case xboPower: return "^";
    case xboAnd: return ".AND.";
    case xboOr: return ".OR.";
    case xboNot: return ".NOT.";
  }
  return "?";
}

std::string TxbExpOperator::TextForm() const {
  std::string s;
  if (Left) s += Left->TextForm();
  s += OperatorText(Code);
  if (Right) s += Right->TextForm();
  return s;
}

void TxbExpOperator::FieldList(std::string& out) const {
  if (Left) Left->FieldList(out);
  if (Right) Right->FieldList(out);
}

namespace {
bool IsComparison(std::uint8_t code) { return code >= xboEqual && code <= xboLessEqual; }
bool IsArithmetic(std::uint8_t code) { return code >= xboPlus && code <= xboPower; }

bool ComparisonHolds(std::uint8_t code, int c) {
  switch (code) {
    case xboEqual: return c == 0;
    case xboNotEqual: return c != 0;
    case xboGreater: return c > 0;
    case xboLess: return c < 0;
    case xboGreaterEqual: return c >= 0;
    case xboLessEqual: return c <= 0;
  }
  return false;
}

// x to the whole power n: multiplied out for the exponents people write, pow() beyond.
double WholePower(double x, double exponent) {
  std::int64_t n = XbWholeOf(exponent);
  if (n == 0) return 1;
  std::int64_t m = n < 0 ? -n : n;
  double r;
  if (m <= 64) {
    r = x;
    for (std::int64_t i = 1; i < m; ++i) r *= x;
  } else {
    r = std::pow(x, static_cast<double>(m));
  }
  if (n < 0) {
    if (r == 0) throw EDivByZero();
    r = 1 / r;
  }
  return r;
}
}  // namespace

const TxbExpValue& TxbExpOperator::Evaluate() {
  if (Code == xboNot) {
    const TxbExpValue& r = Right->Evaluate();
    if (r.Type != xbtBoolean) ValueRequired("boolean");
    Value.SetBoolean(!r.Logical);
    return Value;
  }
  if (!Left) XbExpressionError(Format(STargetMissing, OperatorText(Code)));
  const TxbExpValue& l = Left->Evaluate();
  if ((Code == xboAnd || Code == xboOr) && l.Type == xbtBoolean && l.Logical == (Code == xboOr)) {
    Value.SetBoolean(l.Logical);  // the left side decides: the right one is not evaluated
    return Value;
  }
  const TxbExpValue& r = Right->Evaluate();
  bool numeric = XbIsNumeric(l.Type) && XbIsNumeric(r.Type);
  if (l.Type != r.Type && !numeric) XbExpressionError(SSidesMismatch);
  if (l.Type == xbtBoolean)
    EvaluateBoolean(l, r);
  else if (numeric)
    EvaluateNumeric(l, r);
  else if (l.Type == xbtText)
    EvaluateText(l, r);
  else
    XbExpressionError(SSidesMismatch);
  return Value;
}

void TxbExpOperator::EvaluateBoolean(const TxbExpValue& l, const TxbExpValue& r) {
  switch (Code) {
    case xboEqual:
    case xboExact: Value.SetBoolean(l.Logical == r.Logical); return;
    case xboNotEqual: Value.SetBoolean(l.Logical != r.Logical); return;
    case xboAnd: Value.SetBoolean(l.Logical && r.Logical); return;
    case xboOr: Value.SetBoolean(l.Logical || r.Logical); return;
    case xboContains: XbExpressionError(SSidesMismatch);
  }
  if (IsArithmetic(Code)) ValueRequired("number");
  ValueRequired("assigned");
}

void TxbExpOperator::EvaluateNumeric(const TxbExpValue& l, const TxbExpValue& r) {
  double a = l.Number, b = r.Number;
  if (IsComparison(Code)) {
    Value.SetBoolean(ComparisonHolds(Code, a < b ? -1 : a > b ? 1 : 0));
    return;
  }
  double v;
  switch (Code) {
    case xboExact: Value.SetBoolean(a == b); return;
    case xboContains: XbExpressionError(SSidesMismatch);
    case xboAnd:
    case xboOr: ValueRequired("boolean");
    case xboPlus: v = a + b; break;
    case xboMinus: v = a - b; break;
    case xboTimes: v = a * b; break;
    case xboDivide:
      if (b == 0) throw EDivByZero();
      v = a / b;
      break;
    case xboPower: v = WholePower(a, b); break;
    default: CannotEvaluate();
  }
  // No infinity or NaN goes on into keys and comparisons.
  if (!std::isfinite(v)) ValueRequired("number");
  // A date moved by days stays a date, whichever side it is on; two dates apart are a
  // count of days. Otherwise the result takes the right operand's type.
  std::uint8_t type = r.Type;
  if (Code == xboPlus || Code == xboMinus) {
    bool leftDate = l.Type == xbtDate, rightDate = r.Type == xbtDate;
    if (leftDate && rightDate && Code == xboMinus)
      type = xbtNumber;
    else if (leftDate != rightDate && (leftDate || Code == xboPlus))
      type = xbtDate;
  }
  Value.SetNumber(v, type);
}

void TxbExpOperator::EvaluateText(const TxbExpValue& l, const TxbExpValue& r) {
  const TxbByteTable* fold = Handler.CaseInsensitive ? &Handler.Upper() : nullptr;
  switch (Code) {
    case xboPlus:
      Value.Type = xbtText;
      Value.Text.assign(l.Text);
      Value.Text.append(r.Text);
      return;
    case xboMinus: {
      // The left side's trailing blanks move to the end.
      std::size_t kept = TrimRight(l.Text).size();
      Value.Type = xbtText;
      Value.Text.assign(l.Text, 0, kept);
      Value.Text.append(r.Text);
      Value.Text.append(l.Text.size() - kept, ' ');
      return;
    }
    case xboContains:
      Value.SetBoolean(!l.Text.empty() && FindBytes(r.Text, l.Text, 0, fold) != std::string_view::npos);
      return;
    case xboExact: Value.SetBoolean(CompareBytes(l.Text, r.Text, fold) == 0); return;
    case xboAnd:
    case xboOr: ValueRequired("boolean");
  }
  if (!IsComparison(Code)) ValueRequired("number");
  std::string_view a = TrimRight(l.Text), b = TrimRight(r.Text);
  char many = Handler.ManyWildcard;
  if (Handler.Wildcards && !b.empty() && (b.front() == many || b.back() == many)) {
    bool leading = b.front() == many, trailing = b.back() == many;
    std::string_view part = b;
    while (!part.empty() && part.front() == many) part.remove_prefix(1);
    while (!part.empty() && part.back() == many) part.remove_suffix(1);
    bool match;
    if (part.empty())
      match = true;
    else if (leading && trailing)
      match = FindBytes(a, part, 0, fold) != std::string_view::npos;
    else if (leading)
      match = a.size() >= part.size() && EqualAt(a, a.size() - part.size(), part, fold);
    else
      match = EqualAt(a, 0, part, fold);
    if (match) {
      Value.SetBoolean(ComparisonHolds(Code, 0));
      return;
    }
  }
  Value.SetBoolean(ComparisonHolds(Code, CompareBytes(a, b, fold)));
}

// ---- Registries and the link ---------------------------------------------------------------

TxbUserDefFunction* TxbExpUserLink::FunctionNotFound(const std::string& name) {
  XbExpressionError(Format(SNoFunction, name));
}

// ---- The compiler --------------------------------------------------------------------------

namespace {

enum class TokKind { Word, Operator, Open, Close, Comma, Text, Date };

struct Token {
  explicit Token(TokKind kind) : Kind(kind) {}
  TokKind Kind;
  std::uint8_t Code = 0;   // operators
  std::uint8_t Class = 0;
  std::string Text;        // words, literals
  std::size_t Begin = 0, End = 0;  // source span
  std::size_t Match = 0;   // Open/Close: the index of the partner
};

bool IsDelimiter(unsigned char c) {
  if (c <= ' ') return true;
  switch (c) {
    case '"': case '\'': case '[': case ']': case '{': case '}': case '(': case ')': case ',':
    case '=': case '#': case '<': case '>': case '!': case '$': case '+': case '-': case '*':
    case '/': case '^':
      return true;
  }
  return false;
}

std::vector<Token> Tokenise(const std::string& s) {
  std::vector<Token> out;
  std::size_t i = 0, n = s.size();
  auto op = [&](std::uint8_t code, std::uint8_t cls, std::size_t len) {
    Token t{TokKind::Operator};
    t.Code = code, t.Class = cls, t.Begin = i, t.End = i + len;
    out.push_back(std::move(t));
    i += len;
  };
  while (i < n) {
    unsigned char c = s[i];
    char next = i + 1 < n ? s[i + 1] : '\0';
    if (c <= ' ') {
      ++i;
      continue;
    }
    switch (c) {
      case '"': case '\'': case '[': case '{': {
        char close = c == '[' ? ']' : c == '{' ? '}' : static_cast<char>(c);
        std::size_t end = s.find(close, i + 1);
        if (end == std::string::npos) CannotEvaluate();
        Token t{c == '{' ? TokKind::Date : TokKind::Text};
        t.Text = s.substr(i + 1, end - i - 1), t.Begin = i, t.End = end + 1;
        out.push_back(std::move(t));
        i = end + 1;
        continue;
      }
      case ']': case '}': CannotEvaluate();
      case '(': case ')': case ',': {
        Token t{c == '(' ? TokKind::Open : c == ')' ? TokKind::Close : TokKind::Comma};
        t.Begin = i, t.End = i + 1;
        out.push_back(std::move(t));
        ++i;
        continue;
      }
      case '=':
        if (next == '=') op(xboExact, 5, 2);
        else if (next == '>') op(xboGreaterEqual, 5, 2);
        else if (next == '<') op(xboLessEqual, 5, 2);
        else op(xboEqual, 5, 1);
        continue;
      case '#': op(xboNotEqual, 5, 1); continue;
      case '<':
        if (next == '>') op(xboNotEqual, 5, 2);
        else if (next == '=') op(xboLessEqual, 5, 2);
        else op(xboLess, 5, 1);
        continue;
      case '>':
        if (next == '=') op(xboGreaterEqual, 5, 2);
        else op(xboGreater, 5, 1);
        continue;
      case '!':
        if (next == '=') op(xboNotEqual, 5, 2);
        else op(xboNot, 6, 1);
        continue;
      case '$': op(xboContains, 5, 1); continue;
      case '+': op(xboPlus, 4, 1); continue;
      case '-':
        if (next != '>') {
          op(xboMinus, 4, 1);
          continue;
        }
        break;  // "->" joins an alias and its field into one dotted word
      case '*':
        if (next == '*') op(xboPower, 2, 2);
        else op(xboTimes, 3, 1);
        continue;
      case '/': op(xboDivide, 3, 1); continue;
      case '^': op(xboPower, 2, 1); continue;
    }
    Token t{TokKind::Word};
    t.Begin = i;
    while (i < n) {
      if (s[i] == '-' && i + 1 < n && s[i + 1] == '>') {
        t.Text += '.';
        i += 2;
      } else if (!IsDelimiter(static_cast<unsigned char>(s[i]))) {
        t.Text += s[i++];
      } else {
        break;
      }
    }
    t.End = i;
    out.push_back(std::move(t));
  }
  // Pair the parentheses once, so that nesting costs nothing later.
  std::vector<std::size_t> open;
  for (std::size_t k = 0; k < out.size(); ++k) {
    if (out[k].Kind == TokKind::Open) {
      open.push_back(k);
    } else if (out[k].Kind == TokKind::Close) {
      if (open.empty()) XbExpressionError(SUnexpectedClose);
      out[k].Match = open.back();
      out[open.back()].Match = k;
      open.pop_back();
    }
  }
  if (!open.empty()) XbExpressionError(SMissingClose);
  return out;
}

// The keywords: a word of two characters or more, without one leading and one trailing dot.
enum class Keyword { None, True, False, And, Or, Not };

Keyword KeywordOf(std::string_view w) {
  if (w.size() < 2) return Keyword::None;
  if (w.front() == '.') w.remove_prefix(1);
  if (!w.empty() && w.back() == '.') w.remove_suffix(1);
  if (w == "T" || w == "TRUE") return Keyword::True;
  if (w == "F" || w == "FALSE") return Keyword::False;
  if (w == "AND") return Keyword::And;
  if (w == "OR") return Keyword::Or;
  if (w == "NOT") return Keyword::Not;
  return Keyword::None;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

class TxbExpCompiler {
 public:
  TxbExpCompiler(TxbExpHandler& handler, const std::string& text) : H(handler), Source(text), Tokens(Tokenise(text)) {}

  std::unique_ptr<TxbExpBaseObject> Compile() { return Range(0, Tokens.size(), 1); }

 private:
  using Node = std::unique_ptr<TxbExpBaseObject>;

  TxbExpHandler& H;
  const std::string& Source;
  std::vector<Token> Tokens;

  Node Counted(Node n) {
    if (n->Depth > xbMaxExpressionDepth) CannotEvaluate();
    ++H.FNodeCount;
    return n;
  }

  static bool IsOpenOperator(const Node& n) {
    return n->Kind == TxbExpNodeKind::Operator && !static_cast<TxbExpOperator&>(*n).Reduced;
  }

  std::string Upper(std::string w) const {
    for (char& c : w) c = static_cast<char>(H.Upper()[static_cast<unsigned char>(c)]);
    return w;
  }

  // Compiles tokens [b, e) into one node.
  Node Range(std::size_t b, std::size_t e, int depth) {
    if (depth > xbMaxExpressionDepth) CannotEvaluate();
    std::vector<Node> list;
    for (std::size_t k = b; k < e; ++k) {
      Token& t = Tokens[k];
      switch (t.Kind) {
        case TokKind::Text: list.push_back(Counted(std::make_unique<TxbExpTextLit>(t.Text))); break;
        case TokKind::Date: list.push_back(Counted(DateLiteral(t.Text))); break;
        case TokKind::Comma: CannotEvaluate();
        case TokKind::Close: XbExpressionError(SUnexpectedClose);
        case TokKind::Open: {
          if (t.Match >= e) XbExpressionError(SMissingClose);
          list.push_back(Counted(std::make_unique<TxbExpContainer>(Range(k + 1, t.Match, depth + 1))));
          k = t.Match;
          break;
        }
        case TokKind::Operator:
          if ((t.Code == xboPlus || t.Code == xboMinus) && (list.empty() || IsOpenOperator(list.back()))) {
            // A sign: it belongs to the number that follows.
            if (k + 1 >= e || Tokens[k + 1].Kind != TokKind::Word) CannotEvaluate();
            const std::string& w = Tokens[k + 1].Text;
            if (w.empty() || !(IsDigit(w[0]) || (w[0] == '.' && w.size() > 1 && IsDigit(w[1])))) CannotEvaluate();
            list.push_back(Counted(Number((t.Code == xboMinus ? "-" : "") + w)));
            ++k;
          } else {
            list.push_back(Counted(std::make_unique<TxbExpOperator>(H, t.Code, t.Class)));
          }
          break;
        case TokKind::Word: k = Word(k, e, depth, list); break;
      }
    }
    return Reduce(std::move(list));
  }

  Node DateLiteral(const std::string& text) {
    std::int32_t j;
    try {
      j = DateObject().TextToJulian(text);
    } catch (const EConvertError& e) {
      XbExpressionError(e.Message);
    }
    return std::make_unique<TxbExpDateLit>(text, XbDateOf(j));
  }

  static Node Number(const std::string& text) {
    double v;
    if (!TryParseNumber(text, v) || !std::isfinite(v)) CannotEvaluate();
    return std::make_unique<TxbExpNumLit>(text, v);
  }

  // A word at k: keyword, number, function call or name. Returns the last token used.
  std::size_t Word(std::size_t k, std::size_t e, int depth, std::vector<Node>& list) {
    std::string w = Upper(Tokens[k].Text);
    switch (KeywordOf(w)) {
      case Keyword::True: list.push_back(Counted(std::make_unique<TxbExpBlnLit>(true))); return k;
      case Keyword::False: list.push_back(Counted(std::make_unique<TxbExpBlnLit>(false))); return k;
      case Keyword::And: list.push_back(Counted(std::make_unique<TxbExpOperator>(H, xboAnd, 7))); return k;
      case Keyword::Or: list.push_back(Counted(std::make_unique<TxbExpOperator>(H, xboOr, 8))); return k;
      case Keyword::Not: list.push_back(Counted(std::make_unique<TxbExpOperator>(H, xboNot, 6))); return k;
      case Keyword::None: break;
    }
    if (k + 1 < e && Tokens[k + 1].Kind == TokKind::Open) {
      list.push_back(Call(w, k + 1, e, depth));
      return Tokens[k + 1].Match;
    }
    if (IsDigit(w[0]) || (w[0] == '.' && w.size() > 1 && IsDigit(w[1]))) {
      list.push_back(Counted(Number(w)));
      return k;
    }
    TxbUserDefFieldVar* var = H.FLink ? H.FLink->FindFieldVar(w) : nullptr;
    if (!var) XbExpressionError(Format(SUnknownField, w));
    list.push_back(Counted(std::make_unique<TxbExpFieldvar>(w, var)));
    return k;
  }

  Node Call(std::string name, std::size_t open, std::size_t e, int depth) {
    std::size_t close = Tokens[open].Match;
    if (close >= e) XbExpressionError(SMissingClose);
    std::size_t tilde = name.find('~');
    if (tilde != std::string::npos) name.resize(tilde);
    TxbUserDefFunction* f = BuiltinFunctions().Find(name);
    if (!f && H.FLink) f = H.FLink->FindFunction(name);
    if (!f && H.FLink) f = H.FLink->FunctionNotFound(name);
    if (!f) XbExpressionError(Format(SNoFunction, name));
    auto node = std::make_unique<TxbExpFunction>(H, name, f);
    node->ArgText = Source.substr(Tokens[open].End, Tokens[close].Begin - Tokens[open].End);
    if (close > open + 1) {
      std::size_t start = open + 1;
      for (std::size_t k = open + 1; k <= close; ++k) {
        if (k < close && Tokens[k].Kind == TokKind::Open) {
          k = Tokens[k].Match;
          continue;
        }
        if (k == close || Tokens[k].Kind == TokKind::Comma) {
          node->Args.push_back(k > start ? Range(start, k, depth + 1) : nullptr);
          start = k + 1;
        }
      }
    }
    int deepest = 0;
    for (const auto& a : node->Args)
      if (a) deepest = std::max(deepest, a->Depth);
    node->Depth = deepest + 1;
    return Counted(std::move(node));
  }

  // Binds operators to their operands, tightest class first; equal classes bind to the left.
  static Node Reduce(std::vector<Node> list) {
    for (std::uint8_t cls = 2; cls <= 8; ++cls) {
      if (cls == 6) {
        // Unary NOT takes the node on its right; from the right, so ".NOT. .NOT. X" works.
        std::vector<Node> reversed;
        reversed.reserve(list.size());
        for (std::size_t i = list.size(); i-- > 0;) {
          if (IsOpenOperator(list[i]) && static_cast<TxbExpOperator&>(*list[i]).Class == 6) {
            auto& op = static_cast<TxbExpOperator&>(*list[i]);
            if (reversed.empty() || IsOpenOperator(reversed.back())) CannotEvaluate();
            op.Right = std::move(reversed.back());
            reversed.pop_back();
            Close(op);
          }
          reversed.push_back(std::move(list[i]));
        }
        list.assign(std::make_move_iterator(reversed.rbegin()), std::make_move_iterator(reversed.rend()));
        continue;
      }
      std::vector<Node> out;
      out.reserve(list.size());
      for (std::size_t i = 0; i < list.size(); ++i) {
        if (IsOpenOperator(list[i]) && static_cast<TxbExpOperator&>(*list[i]).Class == cls) {
          auto& op = static_cast<TxbExpOperator&>(*list[i]);
          if (i + 1 >= list.size() || IsOpenOperator(list[i + 1])) CannotEvaluate();
          if (!out.empty() && !IsOpenOperator(out.back())) {
            op.Left = std::move(out.back());
            out.pop_back();
          }
          op.Right = std::move(list[++i]);
          Close(op);
          out.push_back(std::move(list[i - 1]));
        } else {
          out.push_back(std::move(list[i]));
        }
      }
      list = std::move(out);
    }
    if (list.size() != 1) CannotEvaluate();
    return std::move(list.front());
  }

  static void Close(TxbExpOperator& op) {
    op.Reduced = true;
    op.Depth = 1 + std::max(op.Left ? op.Left->Depth : 0, op.Right->Depth);
    if (op.Depth > xbMaxExpressionDepth) CannotEvaluate();
  }
};

// ---- The handler ---------------------------------------------------------------------------

TxbExpHandler::TxbExpHandler(TxbExpUserLink* Link, bool SqlWildcards, const std::string& Text)
    : ManyWildcard(SqlWildcards ? '%' : '*'), OneWildcard(SqlWildcards ? '_' : '?'), FLink(Link) {
  TxbCodePage cp = Link ? Link->CodePage() : TxbCodePage::cp1251;
  FUpper = &UpperCaseTable(cp);
  FLower = &LowerCaseTable(cp);
  if (!Text.empty()) Recompile(Text);
}

TxbExpHandler::~TxbExpHandler() = default;

void TxbExpHandler::Recompile(const std::string& Text) {
  FRoot.reset();
  FNodeCount = 0;
  FResultType = 0;
  if (Text.size() > xbMaxExpressionText) CannotEvaluate();
  if (Text.empty()) return;
  TxbExpCompiler compiler(*this, Text);
  auto root = compiler.Compile();
  FRoot = std::move(root);
}

const TxbExpValue& TxbExpHandler::Evaluate() {
  if (!FRoot) {
    FResultType = 0;
    return FNoValue;
  }
  const TxbExpValue& v = FRoot->Evaluate();
  FResultType = v.Type;
  return v;
}

bool TxbExpHandler::Evaluate(TxbVariant& v) {
  const TxbExpValue& r = Evaluate();
  switch (r.Type) {
    case xbtText: v.SetString(r.Text); return true;
    case xbtNumber:
    case xbtNumeric: v.SetFloat(r.Number); return true;
    case xbtDate: v.SetDate(TxbDBFDate::JulianFromDouble(r.Number)); return true;
    case xbtBoolean: v.SetBoolean(r.Logical); return true;
  }
  return false;
}

std::string TxbExpHandler::TextForm() const { return FRoot ? FRoot->TextForm() : std::string(); }

std::string TxbExpHandler::FieldList() const {
  std::string s;
  if (FRoot) FRoot->FieldList(s);
  return s;
}
