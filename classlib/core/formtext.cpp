#include "classlib/core/formtext.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "classlib/core/filer.h"
#include "classlib/core/identifiers.h"
#include "classlib/core/text.h"
#include "classlib/core/unicode.h"

using classlib::detail::IsValidIdent;

namespace {

const char* const kLineBreak = "\r\n";
constexpr int kLineLength = 64;     // characters of a string per line
constexpr int kBytesPerLine = 32;   // bytes of binary data per line

String Indent(int n) { return String(static_cast<size_t>(n), ' '); }

bool IsPrintable(char32_t c) {
  return c >= 32 && c != 127 && !(c >= 0x80 && c < 0xA0) && c != 0x2028 && c != 0x2029 && c != 0xFEFF;
}

// ---- Binary to text ----

class TBinaryToText {
 public:
  explicit TBinaryToText(TStream* Input) : FReader(Input) {}

  String Convert() {
    FReader.ReadSignature();
    ConvertObject(0);
    return std::move(FText);
  }

 private:
  void Nest() {
    if (++FNesting > kMaxFormNesting) throw EReadError("The form stream nests too deeply");
  }

  void CheckName(const String& Name, bool AllowDots, const char* What) {
    if (!IsValidIdent(Name, AllowDots)) throw EReadError(String("Invalid ") + What + " '" + Name + "' in the form stream");
  }

  void ConvertObject(int indent) {
    Nest();
    TFilerFlags flags;
    int childPos;
    FReader.ReadPrefix(flags, childPos);
    String className = FReader.ReadStr();
    String name = FReader.ReadStr();
    CheckName(className, false, "class name");
    if (!name.empty()) CheckName(name, false, "component name");
    FText += Indent(indent);
    FText += flags.Contains(ffInherited) ? "inherited " : flags.Contains(ffInline) ? "inline " : "object ";
    if (!name.empty()) FText += name + ": ";
    FText += className;
    if (flags.Contains(ffChildPos)) FText += " [" + std::to_string(childPos) + "]";
    FText += kLineBreak;
    while (!FReader.EndOfList()) ConvertProperty(indent + 2);
    FReader.ReadListEnd();
    while (!FReader.EndOfList()) ConvertObject(indent + 2);
    FReader.ReadListEnd();
    FText += Indent(indent) + "end" + kLineBreak;
    --FNesting;
  }

  void ConvertProperty(int indent) {
    String name = FReader.ReadStr();
    CheckName(name, true, "property name");
    FText += Indent(indent) + name + " = ";
    ConvertValue(indent);
    FText += kLineBreak;
  }

  void ConvertValue(int indent) {
    switch (FReader.NextValue()) {
      case vaList:
        Nest();
        FReader.ReadValue();
        FText += "(";
        while (!FReader.EndOfList()) {
          FText += kLineBreak + Indent(indent + 2);
          ConvertValue(indent + 2);
        }
        FReader.ReadListEnd();
        FText += ")";
        --FNesting;
        break;
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64:
        FText += std::to_string(FReader.ReadInteger());
        break;
      case vaExtended:
        FText += FloatText(FReader.ReadFloat());
        break;
      case vaSingle:
        FText += FloatText(static_cast<float>(FReader.ReadFloat())) + "s";
        break;
      case vaDate:
        FText += FloatText(FReader.ReadFloat()) + "d";
        break;
      case vaCurrency: {
        FReader.ReadValue();
        std::uint8_t b[8];
        FReader.Read(b, 8);
        std::uint64_t u = 0;
        for (int i = 7; i >= 0; --i) u = (u << 8) | b[i];
        FText += CurrencyText(static_cast<std::int64_t>(u));
        break;
      }
      case vaString:
      case vaLString:
      case vaWString:
      case vaUTF8String:
        StringText(FReader.ReadString(), indent);
        break;
      case vaIdent: {
        String ident = FReader.ReadIdent();
        CheckName(ident, true, "identifier");
        FText += ident;
        break;
      }
      case vaFalse:
      case vaTrue:
      case vaNil:
      case vaNull:
        FText += FReader.ReadIdent();
        break;
      case vaBinary: {
        TMemoryStream data;
        FReader.ReadBinary(&data);
        static const char kHex[] = "0123456789ABCDEF";
        const auto* bytes = static_cast<const std::uint8_t*>(data.Memory());
        FText += "{";
        for (std::int64_t i = 0; i < data.GetSize(); ++i) {
          if (i % kBytesPerLine == 0) FText += kLineBreak + Indent(indent + 2);
          FText += kHex[bytes[i] >> 4];
          FText += kHex[bytes[i] & 15];
        }
        FText += "}";
        break;
      }
      case vaSet: {
        FReader.ReadValue();
        FText += "[";
        for (bool first = true;; first = false) {
          String member = FReader.ReadStr();
          if (member.empty()) break;
          CheckName(member, false, "set member");
          if (!first) FText += ", ";
          FText += member;
        }
        FText += "]";
        break;
      }
      case vaCollection:
        Nest();
        FReader.ReadValue();
        FText += "<";
        while (!FReader.EndOfList()) {
          FText += kLineBreak + Indent(indent + 2) + "item";
          TValueType next = FReader.NextValue();
          if (next == vaInt8 || next == vaInt16 || next == vaInt32 || next == vaInt64)
            FText += " [" + std::to_string(FReader.ReadInteger()) + "]";
          FText += kLineBreak;
          FReader.ReadListBegin();
          while (!FReader.EndOfList()) ConvertProperty(indent + 4);
          FReader.ReadListEnd();
          FText += Indent(indent + 2) + "end";
        }
        FReader.ReadListEnd();
        FText += ">";
        --FNesting;
        break;
    }
  }

  template <class F>
  static String FloatText(F Value) {
    if (!std::isfinite(Value)) throw EReadError("Invalid floating-point value in the form stream");
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, Value);
    String s(buf, end);
    if (s.find_first_of(".e") == String::npos) s += ".0";
    return s;
  }

  static String CurrencyText(std::int64_t Value) {
    std::uint64_t magnitude = Value < 0 ? 0 - static_cast<std::uint64_t>(Value) : static_cast<std::uint64_t>(Value);
    String s = Value < 0 ? "-" : "";
    s += std::to_string(magnitude / 10000) + ".";
    String fraction = std::to_string(magnitude % 10000);
    fraction = String(4 - fraction.size(), '0') + fraction;
    while (fraction.size() > 1 && fraction.back() == '0') fraction.pop_back();
    return s + fraction + "c";
  }

  // Printable runs in quotes, other characters as #code; long strings go on lines of
  // their own joined by '+'.
  void StringText(const String& Value, int indent) {
    std::vector<char32_t> chars;
    for (size_t i = 0; i < Value.size();) {
      bool valid;
      char32_t c = NextUtf8Char(Value, i, valid);
      chars.push_back(valid ? c : 0xFFFD);
    }
    if (chars.empty()) {
      FText += "''";
      return;
    }
    if (chars.size() > kLineLength) FText += kLineBreak + Indent(indent + 2);
    bool quoted = false;
    int onLine = 0;
    for (char32_t c : chars) {
      if (onLine == kLineLength) {
        if (quoted) FText += "'";
        quoted = false;
        FText += String(" +") + kLineBreak + Indent(indent + 2);
        onLine = 0;
      }
      if (IsPrintable(c)) {
        if (!quoted) FText += "'";
        quoted = true;
        if (c == '\'') FText += "''";
        else AppendUtf8(FText, c);
      } else {
        if (quoted) FText += "'";
        quoted = false;
        FText += "#" + std::to_string(static_cast<std::uint32_t>(c));
      }
      ++onLine;
    }
    if (quoted) FText += "'";
  }

  TReader FReader;
  String FText;
  int FNesting = 0;
};

// ---- Text to binary ----

class TTextToBinary {
 public:
  TTextToBinary(const String& Text, TStream* Output) : FText(Text), FWriter(Output) {
    if (FText.compare(0, 3, "\xEF\xBB\xBF") == 0) FPos = 3;
  }

  void Convert() {
    FWriter.WriteSignature();
    Next();
    ConvertObject();
    if (FToken != tEnd) Error("End of text expected but " + TokenText() + " found");
  }

 private:
  enum TToken { tEnd, tSymbol, tString, tInteger, tFloat, tChar };

  [[noreturn]] void Error(const String& Message) {
    throw EParserError("Line " + std::to_string(FTokenLine) + ": " + Message);
  }

  String TokenText() const {
    switch (FToken) {
      case tEnd: return "end of text";
      case tSymbol: return "'" + FTokenString + "'";
      case tString: return "a string";
      case tInteger:
      case tFloat: return "a number";
      case tChar: return String("'") + FChar + "'";
    }
    return String();
  }

  bool IsSymbol(const char* Word) const { return FToken == tSymbol && SameText(FTokenString, Word); }
  bool IsChar(char c) const { return FToken == tChar && FChar == c; }
  void Expect(char c) {
    if (!IsChar(c)) Error(String("'") + c + "' expected but " + TokenText() + " found");
    Next();
  }
  // A binary object begins with a flags byte (0xF0 and up) or its class name's length: a
  // longer class name would read back as flags.
  static constexpr std::size_t kMaxClassName = 0xEF;

  String ExpectName(bool AllowDots, const char* What, std::size_t MaxLength = 255) {
    if (FToken != tSymbol || !IsValidIdent(FTokenString, AllowDots))
      Error(String(What) + " expected but " + TokenText() + " found");
    String name = FTokenString;
    if (name.size() > MaxLength) Error(String(What) + " too long");
    Next();
    return name;
  }

  void Nest() {
    if (++FNesting > kMaxFormNesting) Error("The form nests too deeply");
  }

  char Peek(size_t Ahead = 0) const { return FPos + Ahead < FText.size() ? FText[FPos + Ahead] : '\0'; }
  bool AtEnd() const { return FPos >= FText.size(); }
  static bool IsIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c); }

  void SkipBlanks() {
    while (!AtEnd() && static_cast<unsigned char>(FText[FPos]) <= ' ') {
      if (FText[FPos] == '\n') ++FLine;
      ++FPos;
    }
  }

  void Next() {
    SkipBlanks();
    FTokenLine = FLine;
    FTokenString.clear();
    if (AtEnd()) {
      FToken = tEnd;
      return;
    }
    char c = Peek();
    if (IsIdentStart(c)) {
      size_t start = FPos;
      while (IsIdentChar(Peek()) || (Peek() == '.' && IsIdentStart(Peek(1)))) ++FPos;
      FTokenString = FText.substr(start, FPos - start);
      FToken = tSymbol;
    } else if (c == '\'' || c == '#') {
      ReadString();
    } else if (IsDigit(c) || c == '$' || (c == '-' && (IsDigit(Peek(1)) || Peek(1) == '$'))) {
      ReadNumber();
    } else {
      FChar = c;
      ++FPos;
      FToken = tChar;
    }
  }

  void ReadString() {
    FToken = tString;
    for (;;) {
      if (Peek() == '\'') {
        ++FPos;
        for (;;) {
          if (AtEnd() || Peek() == '\n' || Peek() == '\r') Error("Unterminated string");
          char c = FText[FPos++];
          if (c == '\'') {
            if (Peek() != '\'') break;
            ++FPos;
          }
          FTokenString += c;
        }
      } else if (Peek() == '#') {
        ++FPos;
        bool hex = Peek() == '$';
        if (hex) ++FPos;
        std::uint32_t code = 0;
        size_t digits = 0;
        for (;; ++FPos, ++digits) {
          char d = Peek();
          int v = IsDigit(d) ? d - '0' : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10 : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10 : -1;
          if (v < 0) break;
          code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
          if (code > 0x10FFFF) Error("Invalid character code");
        }
        if (digits == 0 || (code >= 0xD800 && code <= 0xDFFF)) Error("Invalid character code");
        AppendUtf8(FTokenString, code);
      } else {
        break;
      }
    }
  }

  void ReadNumber() {
    size_t start = FPos;
    bool negative = Peek() == '-';
    if (negative) ++FPos;
    if (Peek() == '$') {
      ++FPos;
      std::uint64_t value = 0;
      size_t digits = 0;
      for (;; ++FPos, ++digits) {
        char d = Peek();
        int v = IsDigit(d) ? d - '0' : d >= 'a' && d <= 'f' ? d - 'a' + 10 : d >= 'A' && d <= 'F' ? d - 'A' + 10 : -1;
        if (v < 0) break;
        if (value >> 60) Error("Integer out of range");
        value = value * 16 + static_cast<std::uint64_t>(v);
      }
      if (digits == 0) Error("Invalid number");
      FToken = tInteger;
      FInteger = negative ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
      return;
    }
    bool isFloat = false;
    while (IsDigit(Peek())) ++FPos;
    if (Peek() == '.' && IsDigit(Peek(1))) {
      isFloat = true;
      ++FPos;
      while (IsDigit(Peek())) ++FPos;
    }
    if ((Peek() == 'e' || Peek() == 'E') &&
        (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
      isFloat = true;
      FPos += 2;
      while (IsDigit(Peek())) ++FPos;
    }
    String text = FText.substr(start, FPos - start);
    FSuffix = '\0';
    char s = static_cast<char>(Peek() | 0x20);
    if ((s == 's' || s == 'c' || s == 'd') && !IsIdentChar(Peek(1))) {
      FSuffix = s;
      ++FPos;
      isFloat = true;
    }
    if (IsIdentChar(Peek())) Error("Invalid number");
    FTokenString = text;
    if (!isFloat) {
      auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), FInteger);
      if (ec != std::errc() || end != text.data() + text.size()) Error("Integer out of range");
      FToken = tInteger;
    } else {
      FToken = tFloat;
    }
  }

  double ParseDouble(const String& Text) {
    double value = 0;
    const char* first = Text.data();
    if (*first == '+') ++first;
    auto [end, ec] = std::from_chars(first, Text.data() + Text.size(), value);
    if (ec == std::errc::result_out_of_range) {
      value = std::strtod(Text.c_str(), nullptr);  // values too small for a normal double
      if (!std::isfinite(value)) Error("Number out of range");
    } else if (ec != std::errc()) {
      Error("Invalid number");
    }
    return value;
  }

  // Currency is exact to four decimal places: parsed from the digits, not through a double.
  std::int64_t ParseCurrency(const String& Text) {
    bool negative = !Text.empty() && Text[0] == '-';
    size_t i = negative ? 1 : 0;
    std::uint64_t value = 0;
    int decimals = -1;
    for (; i < Text.size(); ++i) {
      char c = Text[i];
      if (c == '.') {
        decimals = 0;
        continue;
      }
      if (!IsDigit(c)) Error("Invalid currency value");
      if (decimals == 4) continue;  // further decimals are dropped
      if (value > (UINT64_MAX - 9) / 10) Error("Currency value out of range");
      value = value * 10 + static_cast<std::uint64_t>(c - '0');
      if (decimals >= 0) ++decimals;
    }
    for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d) {
      if (value > UINT64_MAX / 10) Error("Currency value out of range");
      value *= 10;
    }
    if (value > static_cast<std::uint64_t>(INT64_MAX) + (negative ? 1 : 0)) Error("Currency value out of range");
    return static_cast<std::int64_t>(negative ? 0 - value : value);
  }

  void ConvertObject() {
    Nest();
    TFilerFlags flags;
    if (IsSymbol("inherited")) flags.Include(ffInherited);
    else if (IsSymbol("inline")) flags.Include(ffInline);
    else if (!IsSymbol("object")) Error("'object' expected but " + TokenText() + " found");
    Next();
    String name;
    String className = ExpectName(false, "Class name", kMaxClassName);
    if (IsChar(':')) {
      Next();
      name = className;
      className = ExpectName(false, "Class name", kMaxClassName);
    }
    int childPos = 0;
    if (IsChar('[')) {
      Next();
      if (FToken != tInteger || FInteger < 0 || FInteger > 0x7FFFFFFF) Error("Child position expected");
      childPos = static_cast<int>(FInteger);
      flags.Include(ffChildPos);
      Next();
      Expect(']');
    }
    FWriter.WritePrefix(flags, childPos);
    FWriter.WriteStr(className);
    FWriter.WriteStr(name);
    while (!IsSymbol("end") && !IsObjectKeyword()) ConvertProperty();
    FWriter.WriteListEnd();
    while (!IsSymbol("end")) ConvertObject();
    FWriter.WriteListEnd();
    Next();
    --FNesting;
  }

  bool IsObjectKeyword() const { return IsSymbol("object") || IsSymbol("inherited") || IsSymbol("inline"); }

  void ConvertProperty() {
    if (FToken == tEnd) Error("'end' expected but end of text found");
    FWriter.WriteStr(ExpectName(true, "Property name"));
    Expect('=');
    ConvertValue();
  }

  void ConvertValue() {
    switch (FToken) {
      case tString: {
        String s = FTokenString;
        Next();
        while (IsChar('+')) {
          Next();
          if (FToken != tString) Error("String expected but " + TokenText() + " found");
          s += FTokenString;
          Next();
        }
        FWriter.WriteString(s);
        return;
      }
      case tInteger:
        FWriter.WriteInteger(FInteger);
        Next();
        return;
      case tFloat:
        if (FSuffix == 'c') FWriter.WriteCurrency(ParseCurrency(FTokenString));
        else if (FSuffix == 's') {
          float f = 0;
          auto [end, ec] = std::from_chars(FTokenString.data(), FTokenString.data() + FTokenString.size(), f);
          if (ec == std::errc::result_out_of_range) f = std::strtof(FTokenString.c_str(), nullptr);
          else if (ec != std::errc()) Error("Invalid number");
          if (!std::isfinite(f)) Error("Number out of range");
          FWriter.WriteSingle(f);
        } else if (FSuffix == 'd') {
          FWriter.WriteDate(ParseDouble(FTokenString));
        } else {
          FWriter.WriteFloat(ParseDouble(FTokenString));
        }
        Next();
        return;
      case tSymbol:
        if (FTokenString.size() > 255) Error("Identifier too long");
        // In a list, Null would read as the list's end.
        if (FListDepth > 0 && SameText(FTokenString, "Null")) Error("Null cannot stand in a list");
        FWriter.WriteIdent(FTokenString);
        Next();
        return;
      case tChar:
        break;
      case tEnd:
        Error("Value expected but end of text found");
    }
    switch (FChar) {
      case '[':
        Next();
        FWriter.WriteValue(vaSet);
        if (!IsChar(']')) {
          for (;;) {
            FWriter.WriteStr(ExpectName(false, "Set member"));
            if (IsChar(']')) break;
            Expect(',');
          }
        }
        FWriter.WriteStr(String());
        Next();
        return;
      case '(':
        Nest();
        Next();
        FWriter.WriteListBegin();
        ++FListDepth;
        while (!IsChar(')')) {
          if (FToken == tEnd) Error("')' expected but end of text found");
          ConvertValue();
        }
        --FListDepth;
        FWriter.WriteListEnd();
        Next();
        --FNesting;
        return;
      case '{':
        ConvertBinary();
        return;
      case '<': {
        Nest();
        Next();
        FWriter.WriteValue(vaCollection);
        int listDepth = FListDepth;  // item properties are no list elements
        FListDepth = 0;
        while (!IsChar('>')) {
          if (!IsSymbol("item")) Error("'item' expected but " + TokenText() + " found");
          Next();
          if (IsChar('[')) {
            Next();
            if (FToken != tInteger) Error("Item index expected");
            FWriter.WriteInteger(FInteger);
            Next();
            Expect(']');
          }
          FWriter.WriteListBegin();
          while (!IsSymbol("end")) ConvertProperty();
          FWriter.WriteListEnd();
          Next();
        }
        FListDepth = listDepth;
        FWriter.WriteListEnd();
        Next();
        --FNesting;
        return;
      }
      default:
        Error("Value expected but " + TokenText() + " found");
    }
  }

  // Hex digits up to '}', line breaks and blanks between them allowed.
  void ConvertBinary() {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (;;) {
      if (AtEnd()) Error("'}' expected but end of text found");
      char c = FText[FPos++];
      if (c == '}') break;
      if (static_cast<unsigned char>(c) <= ' ') {
        if (c == '\n') ++FLine;
        continue;
      }
      int v = IsDigit(c) ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (v < 0) {
        FTokenLine = FLine;
        Error("Invalid binary data");
      }
      if (high < 0) {
        high = v;
      } else {
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | v));
        high = -1;
      }
    }
    if (high >= 0) {
      FTokenLine = FLine;
      Error("Binary data with an odd number of digits");
    }
    FWriter.WriteBinary(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    Next();
  }

  const String& FText;
  TWriter FWriter;
  size_t FPos = 0;
  int FLine = 1;
  int FTokenLine = 1;
  int FNesting = 0;
  int FListDepth = 0;
  TToken FToken = tEnd;
  String FTokenString;
  std::int64_t FInteger = 0;
  char FChar = 0;
  char FSuffix = 0;
};

String RestOf(TStream* Stream) {
  std::int64_t size = Stream->GetSize() - Stream->GetPosition();
  String s(static_cast<size_t>(std::max<std::int64_t>(size, 0)), '\0');
  Stream->ReadBuffer(s.data(), static_cast<std::int64_t>(s.size()));
  return s;
}

}  // namespace

TStreamOriginalFormat TestStreamFormat(TStream* Stream) {
  std::int64_t pos = Stream->GetPosition();
  char buf[256];
  std::int64_t n = Stream->Read(buf, sizeof buf);
  Stream->SetPosition(pos);
  String head(buf, static_cast<size_t>(std::max<std::int64_t>(n, 0)));
  if (head.compare(0, 4, "TPF0") == 0) return sofBinary;
  size_t i = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (i < head.size() && static_cast<unsigned char>(head[i]) <= ' ') ++i;
  for (const char* word : {"object", "inherited", "inline"}) {
    size_t len = std::strlen(word);
    if (i + len < head.size() && SameText(head.substr(i, len), word) &&
        static_cast<unsigned char>(head[i + len]) <= ' ')
      return sofText;
  }
  return sofUnknown;
}

void ObjectBinaryToText(TStream* Input, TStream* Output) {
  String text = TBinaryToText(Input).Convert();
  Output->WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
}

void ObjectTextToBinary(TStream* Input, TStream* Output) {
  String text = RestOf(Input);
  TMemoryStream binary;
  TTextToBinary(text, &binary).Convert();
  Output->WriteBuffer(binary.Memory(), binary.GetSize());
}
