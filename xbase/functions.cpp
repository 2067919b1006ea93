// The built-in functions every expression can call. Each writes its result into the node's
// own value, reusing its buffer; lengths come from the texts, never from terminators.
#include <cmath>
#include <cstring>

#include "classlib/core/exceptions.h"
#include "classlib/core/format.h"
#include "xbase/dates.h"
#include "xbase/errors.h"
#include "xbase/expression.h"
#include "xbase/numbers.h"

namespace {

// The longest text a length argument may ask for: the largest character field.
constexpr std::int64_t kMaxLength = 65535;

[[noreturn]] void ValueRequired(const char* what) { XbExpressionError(Format(SValueRequired, what)); }

// A length argument: below 0 gives -1 (the caller returns ""), above kMaxLength raises.
std::int64_t LengthOf(double v) {
  std::int64_t n = XbWholeOf(v);
  if (n < 0) return -1;
  if (n > kMaxLength) ValueRequired("Number");
  return n;
}

std::string& TextResult(TxbExpValue& r) {
  r.Type = xbtText;
  return r.Text;
}

std::int32_t JulianOf(const TxbExpValue& v) { return TxbDBFDate::JulianFromDouble(v.Number); }

// Bytes of another value or of the record into a result's buffer (never its own bytes),
// without the general assignment's bookkeeping.
void SetBytes(std::string& out, const char* bytes, std::size_t n) {
  out.resize(n);
  if (n) std::memcpy(out.data(), bytes, n);
}

void MapBytes(std::string& s, const TxbByteTable& map) {
  for (char& c : s) c = static_cast<char>(map[static_cast<unsigned char>(c)]);
}

#define XB_UDF(Class, Base, NameText)                                     \
  class Class : public Base {                                             \
   public:                                                                \
    std::string Name() const override { return NameText; }               \
    void Evaluate(TxbExpFunction& N, TxbExpValue& R) override;          \
  }

XB_UDF(TxbUDFAllTrim, TxbUserDefFunction, "ALLTRIM");
XB_UDF(TxbUDFAsc, TxbUserDefFunction, "ASC");
XB_UDF(TxbUDFAt, TxbUserDefFunction, "AT");
XB_UDF(TxbUDFAtC, TxbUserDefFunction, "ATC");
XB_UDF(TxbUDFCeiling, TxbUserDefFunction, "CEILING");
XB_UDF(TxbUDFChr, TxbUserDefFunction, "CHR");
XB_UDF(TxbUDFCTOD, TxbUserDefFunction, "CTOD");
XB_UDF(TxbUDFDate, TxbUserDefFunction, "DATE");
XB_UDF(TxbUDFDescend, TxbUserDefFunction, "DESCEND");
XB_UDF(TxbUDFDOW, TxbUserDefFunction, "DOW");
XB_UDF(TxbUDFDTOC, TxbUserDefFunction, "DTOC");
XB_UDF(TxbUDFDTOS, TxbUserDefFunction, "DTOS");
XB_UDF(TxbUDFEmpty, TxbUserDefFunction, "EMPTY");
XB_UDF(TxbUDFFloor, TxbUserDefFunction, "FLOOR");
XB_UDF(TxbUDFIIF, TxbUserDefFunction, "IIF");
XB_UDF(TxbUDFInt, TxbUserDefFunction, "INT");
XB_UDF(TxbUDFLeft, TxbUserDefFunction, "LEFT");
XB_UDF(TxbUDFLen, TxbUserDefFunction, "LEN");
XB_UDF(TxbUDFLower, TxbUserDefFunction, "LOWER");
XB_UDF(TxbUDFLTrim, TxbUserDefFunction, "LTRIM");
XB_UDF(TxbUDFMod, TxbUserDefFunction, "MOD");
XB_UDF(TxbUDFProper, TxbUserDefFunction, "PROPER");
XB_UDF(TxbUDFRight, TxbUserDefFunction, "RIGHT");
XB_UDF(TxbUDFTrim, TxbUserDefFunction, "TRIM");
class TxbUDFRTrim : public TxbUDFTrim {  // the same evaluation as TRIM
 public:
  std::string Name() const override { return "RTRIM"; }
};
XB_UDF(TxbUDFSoundex, TxbUserDefFunction, "SOUNDEX");
XB_UDF(TxbUDFSpace, TxbUserDefFunction, "SPACE");
class TxbUDFStr : public TxbUserDefFunction {
 public:
  std::string Name() const override { return "STR"; }
  void Evaluate(TxbExpFunction& N, TxbExpValue& R) override;

 protected:
  bool FZeros = false;  // leading blanks become "0"
};

class TxbUDFStrZero : public TxbUDFStr {
 public:
  TxbUDFStrZero() { FZeros = true; }
  std::string Name() const override { return "STRZERO"; }
};
XB_UDF(TxbUDFSubStr, TxbUserDefFunction, "SUBSTR");
XB_UDF(TxbUDFUpper, TxbUserDefFunction, "UPPER");
XB_UDF(TxbUDFVal, TxbUserDefFunction, "VAL");

// PADC, PADL and PADR: the text and the fill, placed by Before().
class TxbUDFPadMain : public TxbUserDefFunction {
 public:
  void Evaluate(TxbExpFunction& N, TxbExpValue& R) override;

 protected:
  // How many fill characters go before a text `missing` characters short.
  virtual std::int64_t Before(std::int64_t missing) const = 0;
};

class TxbUDFPadC : public TxbUDFPadMain {
 public:
  std::string Name() const override { return "PADC"; }
  std::int64_t Before(std::int64_t missing) const override { return missing / 2; }
};

class TxbUDFPadL : public TxbUDFPadMain {
 public:
  std::string Name() const override { return "PADL"; }
  std::int64_t Before(std::int64_t missing) const override { return missing; }
};

class TxbUDFPadR : public TxbUDFPadMain {
 public:
  std::string Name() const override { return "PADR"; }
  std::int64_t Before(std::int64_t) const override { return 0; }
};

void TxbUDFAllTrim::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  const std::string& s = N.Arg(0, xbtText).Text;
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) {
    TextResult(R).clear();
    return;
  }
  TextResult(R).assign(s, b, s.find_last_not_of(' ') + 1 - b);
}

void TxbUDFAsc::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  const std::string& s = N.Arg(0, xbtText).Text;
  R.SetNumber(s.empty() ? 0 : static_cast<unsigned char>(s[0]));
}

// The position (1-based) of the n-th occurrence of a in b, or of the last one found; 0 when
// there is none.
void FindOccurrence(TxbExpFunction& N, TxbExpValue& R, const TxbByteTable* fold) {
  const std::string& a = N.Arg(0, xbtText).Text;
  const std::string& b = N.Arg(1, xbtText).Text;
  const TxbExpValue& nth = N.Arg(2, xbtNumber, true);
  std::int64_t n = nth.Type == xbtNone ? 1 : XbWholeOf(nth.Number);
  std::size_t last = 0;
  if (n >= 1 && !a.empty()) {
    std::int64_t found = 0;
    for (std::size_t pos = XbFindText(b, a, 0, fold); pos != std::string::npos; pos = XbFindText(b, a, pos + 1, fold)) {
      last = pos + 1;
      if (++found == n) break;
    }
  }
  R.SetNumber(static_cast<double>(last));
}

void TxbUDFAt::Evaluate(TxbExpFunction& N, TxbExpValue& R) { FindOccurrence(N, R, nullptr); }
void TxbUDFAtC::Evaluate(TxbExpFunction& N, TxbExpValue& R) { FindOccurrence(N, R, &N.Handler.Upper()); }

void TxbUDFCeiling::Evaluate(TxbExpFunction& N, TxbExpValue& R) { R.SetNumber(std::ceil(N.Arg(0, xbtNumber).Number)); }
void TxbUDFFloor::Evaluate(TxbExpFunction& N, TxbExpValue& R) { R.SetNumber(std::floor(N.Arg(0, xbtNumber).Number)); }
void TxbUDFInt::Evaluate(TxbExpFunction& N, TxbExpValue& R) { R.SetNumber(std::trunc(N.Arg(0, xbtNumber).Number)); }

void TxbUDFChr::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  std::int64_t n = XbWholeOf(N.Arg(0, xbtNumber).Number);
  if (n < 0 || n > 255) ValueRequired("Byte");
  TextResult(R).assign(1, static_cast<char>(n));
}

void TxbUDFCTOD::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  R.SetNumber(XbDateOf(DateObject().TextToJulian(N.Arg(0, xbtText).Text)), xbtDate);
}

void TxbUDFDate::Evaluate(TxbExpFunction&, TxbExpValue& R) { R.SetNumber(XbDateOf(DateObject().JulianToday()), xbtDate); }

void TxbUDFDescend::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  const TxbExpValue& x = N.Arg(0, xbtAny);
  switch (x.Type) {
    case xbtDate: R.SetNumber(JulianOf(x) > 0 ? 5231808 - x.Number : x.Number, xbtDate); return;
    case xbtNumber:
    case xbtNumeric: R.SetNumber(x.Number != 0 ? -x.Number : x.Number, x.Type); return;
    case xbtBoolean: R.SetBoolean(!x.Logical); return;
    case xbtText: {
      std::string& s = TextResult(R);
      s.assign(x.Text);
      for (char& c : s) c = static_cast<char>(-static_cast<unsigned char>(c));  // 256 - byte; 0 stays
      return;
    }
  }
  R.SetNumber(0);
}

void TxbUDFDOW::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  R.SetNumber(DateObject().JulianDayOfWeek(JulianOf(N.Arg(0, xbtDate))));
}

void TxbUDFDTOC::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  std::int32_t j = JulianOf(N.Arg(0, xbtDate));
  const TxbExpValue& form = N.Arg(1, xbtNumber, true);
  bool storage = form.Type != xbtNone && XbWholeOf(form.Number) == 1;
  TextResult(R) = storage ? DateObject().DateStorageText(j) : DateObject().DateFormatText(j);
}

void TxbUDFDTOS::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  TextResult(R) = DateObject().DateStorageText(JulianOf(N.Arg(0, xbtDate)));
}

void TxbUDFEmpty::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  const TxbExpValue& x = N.Arg(0, xbtAny);
  switch (x.Type) {
    case xbtDate: R.SetBoolean(JulianOf(x) <= 0); return;
    case xbtNumber:
    case xbtNumeric: R.SetBoolean(x.Number == 0); return;
    // A text of blanks is empty as a blank field is.
    case xbtText: R.SetBoolean(x.Text.find_first_not_of(' ') == std::string::npos); return;
    case xbtBoolean: R.SetBoolean(!x.Logical); return;
  }
  R.SetBoolean(false);
}

// Only the branch returned is evaluated: IIF(X = 0, 0, 1 / X) is safe.
void TxbUDFIIF::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  bool b = N.Arg(0, xbtBoolean).Logical;
  R.Assign(N.Arg(b ? 1 : 2, xbtAny));
}

void TxbUDFLeft::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  std::string_view s = N.TextArg(0);
  std::int64_t n = XbWholeOf(N.Arg(1, xbtNumber).Number);
  std::string& out = TextResult(R);
  if (n <= 0) out.clear();
  else SetBytes(out, s.data(), static_cast<std::size_t>(std::min<std::int64_t>(n, static_cast<std::int64_t>(s.size()))));
}

void TxbUDFRight::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  std::string_view s = N.TextArg(0);
  std::int64_t n = XbWholeOf(N.Arg(1, xbtNumber).Number);
  std::string& out = TextResult(R);
  if (n <= 0) {
    out.clear();
    return;
  }
  std::size_t k = static_cast<std::size_t>(std::min<std::int64_t>(n, static_cast<std::int64_t>(s.size())));
  SetBytes(out, s.data() + (s.size() - k), k);
}

void TxbUDFLen::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  R.SetNumber(static_cast<double>(N.Arg(0, xbtText).Text.size()));
}

void TxbUDFLower::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  std::string_view s = N.TextArg(0);
  std::string& out = TextResult(R);
  SetBytes(out, s.data(), s.size());
  MapBytes(out, N.Handler.Lower());
}

void TxbUDFUpper::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  std::string_view s = N.TextArg(0);
  std::string& out = TextResult(R);
  SetBytes(out, s.data(), s.size());
  MapBytes(out, N.Handler.Upper());
}

void TxbUDFLTrim::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  const std::string& s = N.Arg(0, xbtText).Text;
  std::size_t b = s.find_first_not_of(' ');
  TextResult(R).assign(s, b == std::string::npos ? s.size() : b);
}

void TxbUDFTrim::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  const std::string& s = N.Arg(0, xbtText).Text;
  std::size_t e = s.find_last_not_of(' ');
  TextResult(R).assign(s, 0, e == std::string::npos ? 0 : e + 1);
}

void TxbUDFMod::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  std::int64_t a = XbWholeOf(N.Arg(0, xbtNumber).Number);
  std::int64_t b = XbWholeOf(N.Arg(1, xbtNumber).Number);
  if (b == 0) throw EDivByZero();
  R.SetNumber(static_cast<double>(a % b));  // the sign of a
}

void TxbUDFPadMain::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  const std::string& s = N.Arg(0, xbtText).Text;
  std::int64_t n = LengthOf(N.Arg(1, xbtNumber).Number);
  const TxbExpValue& fill = N.Arg(2, xbtText, true);
  char ch = ' ';
  if (fill.Type != xbtNone) {
    if (fill.Text.size() != 1) ValueRequired("Char");
    ch = fill.Text[0];
  }
  std::string& out = TextResult(R);
  out.clear();
  if (n <= 0) return;
  std::size_t len = static_cast<std::size_t>(n);
  if (s.size() >= len) {
    out.assign(s, 0, len);
    return;
  }
  std::size_t before = static_cast<std::size_t>(Before(static_cast<std::int64_t>(len - s.size())));
  out.assign(before, ch);
  out.append(s);
  out.append(len - out.size(), ch);
}

void TxbUDFProper::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  std::string& out = TextResult(R);
  out.assign(N.Arg(0, xbtText).Text);
  const TxbByteTable& upper = N.Handler.Upper();
  const TxbByteTable& lower = N.Handler.Lower();
  unsigned char before = ' ';  // the first character starts a word
  for (char& c : out) {
    unsigned char b = static_cast<unsigned char>(c);
    bool starts = before <= ' ' || before == 0x7F ||
                  std::string_view("!\"#$%&()*+,-./:;<=>?@[\\]^_{|}~").find(static_cast<char>(before)) != std::string_view::npos;
    c = static_cast<char>(starts ? upper[b] : lower[b]);
    before = b;
  }
}

void TxbUDFSoundex::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  const std::string& s = N.Arg(0, xbtText).Text;
  const TxbByteTable& upper = N.Handler.Upper();
  std::string& out = TextResult(R);
  out.clear();
  if (!s.empty()) {
    out.push_back(static_cast<char>(upper[static_cast<unsigned char>(s[0])]));
    for (std::size_t i = 1; i < s.size() && out.size() < 4; ++i) {
      char code;
      switch (upper[static_cast<unsigned char>(s[i])]) {
        case 'B': case 'F': case 'P': case 'V': code = '1'; break;
        case 'C': case 'G': case 'J': case 'K': case 'Q': case 'S': case 'X': case 'Z': code = '2'; break;
        case 'D': case 'T': code = '3'; break;
        case 'L': code = '4'; break;
        case 'M': case 'N': code = '5'; break;
        case 'R': code = '6'; break;
        default: code = ' ';
      }
      if (code != ' ' && code != out.back()) out.push_back(code);
    }
  }
  out.resize(4, '0');
}

void TxbUDFSpace::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  std::int64_t n = LengthOf(N.Arg(0, xbtNumber).Number);
  TextResult(R).assign(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)), ' ');
}

void TxbUDFStr::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  const TxbExpValue& v = N.Arg(0, xbtNumber);
  const TxbExpValue& width = N.Arg(1, xbtNumber, true);
  const TxbExpValue& decimals = N.Arg(2, xbtNumber, true);
  std::int64_t len = width.Type != xbtNone ? LengthOf(width.Number) : v.Width > 0 ? v.Width : N.Handler.DefaultWidth();
  std::int64_t dec = decimals.Type != xbtNone ? std::max<std::int64_t>(XbWholeOf(decimals.Number), 0) : 0;
  double number = v.Number;
  std::string& out = TextResult(R);
  out.clear();
  if (len <= 0) return;
  // Decimals that leave no room for "0." never fit; they are not formatted at all.
  if (dec < len) out = FormatNumberWidth(number, static_cast<int>(len), static_cast<int>(dec));
  if (dec >= len || out.size() > static_cast<std::size_t>(len)) out.assign(static_cast<std::size_t>(len), '*');
  if (FZeros)
    for (char& c : out) {
      if (c != ' ') break;
      c = '0';
    }
}

void TxbUDFSubStr::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  std::string_view s = N.TextArg(0);
  std::int64_t start = XbWholeOf(N.Arg(1, xbtNumber).Number);
  const TxbExpValue& count = N.Arg(2, xbtNumber, true);
  std::string& out = TextResult(R);
  std::int64_t size = static_cast<std::int64_t>(s.size());
  std::int64_t n = 0;
  if (start >= 1 && start <= size) {
    std::int64_t rest = size - start + 1;
    n = count.Type == xbtNone ? rest : std::min(XbWholeOf(count.Number), rest);
  }
  if (n > 0)
    SetBytes(out, s.data() + (start - 1), static_cast<std::size_t>(n));
  else
    out.clear();
}

void TxbUDFVal::Evaluate(TxbExpFunction& N, TxbExpValue& R) {
  const std::string& s = N.Arg(0, xbtText).Text;
  double v = 0;
  if (s.find_first_not_of(' ') != std::string::npos && (!TryParseNumber(s, v) || !std::isfinite(v)))
    throw EConvertError("'" + s + "' is not a valid floating point value");
  R.SetNumber(v);
}

}  // namespace

const TxbFunctionReg& BuiltinFunctions() {
  static const TxbFunctionReg registry = [] {
    TxbFunctionReg r;
    r.Add(std::make_unique<TxbUDFAllTrim>());
    r.Add(std::make_unique<TxbUDFAsc>());
    r.Add(std::make_unique<TxbUDFAt>());
    r.Add(std::make_unique<TxbUDFAtC>());
    r.Add(std::make_unique<TxbUDFCeiling>());
    r.Add(std::make_unique<TxbUDFChr>());
    r.Add(std::make_unique<TxbUDFCTOD>());
    r.Add(std::make_unique<TxbUDFDate>());
    r.Add(std::make_unique<TxbUDFDescend>());
    r.Add(std::make_unique<TxbUDFDOW>());
    r.Add(std::make_unique<TxbUDFDTOC>());
    r.Add(std::make_unique<TxbUDFDTOS>());
    r.Add(std::make_unique<TxbUDFEmpty>());
    r.Add(std::make_unique<TxbUDFFloor>());
    r.Add(std::make_unique<TxbUDFIIF>());
    r.Add(std::make_unique<TxbUDFInt>());
    r.Add(std::make_unique<TxbUDFLeft>());
    r.Add(std::make_unique<TxbUDFLen>());
    r.Add(std::make_unique<TxbUDFLower>());
    r.Add(std::make_unique<TxbUDFLTrim>());
    r.Add(std::make_unique<TxbUDFMod>());
    r.Add(std::make_unique<TxbUDFPadC>());
    r.Add(std::make_unique<TxbUDFPadL>());
    r.Add(std::make_unique<TxbUDFPadR>());
    r.Add(std::make_unique<TxbUDFProper>());
    r.Add(std::make_unique<TxbUDFRight>());
    r.Add(std::make_unique<TxbUDFRTrim>());
    r.Add(std::make_unique<TxbUDFSoundex>());
    r.Add(std::make_unique<TxbUDFSpace>());
    r.Add(std::make_unique<TxbUDFStr>());
    r.Add(std::make_unique<TxbUDFStrZero>());
    r.Add(std::make_unique<TxbUDFSubStr>());
    r.Add(std::make_unique<TxbUDFTrim>());
    r.Add(std::make_unique<TxbUDFUpper>());
    r.Add(std::make_unique<TxbUDFVal>());
    return r;
  }();
  return registry;
}
