#include "json_reader.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace xbtest {

namespace {

struct TParser {
  const std::string& S;
  size_t I = 0;

  void Space() {
    while (I < S.size() && (S[I] == ' ' || S[I] == '\n' || S[I] == '\r' || S[I] == '\t')) ++I;
  }
  [[noreturn]] void Fail() { throw std::runtime_error("bad JSON at " + std::to_string(I)); }
  void Expect(char c) {
    Space();
    if (I >= S.size() || S[I] != c) Fail();
    ++I;
  }
  static void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  unsigned Hex4() {
    if (I + 4 > S.size()) Fail();
    unsigned v = std::stoul(S.substr(I, 4), nullptr, 16);
    I += 4;
    return v;
  }
  std::string String() {
    Expect('"');
    std::string out;
    while (true) {
      if (I >= S.size()) Fail();
      char c = S[I++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      char e = S[I++];
      switch (e) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
          unsigned cp = Hex4();
          if (cp >= 0xD800 && cp < 0xDC00 && I + 6 <= S.size() && S[I] == '\\' && S[I + 1] == 'u') {
            I += 2;
            unsigned low = Hex4();
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(out, cp);
          break;
        }
        default: out += e;
      }
    }
  }
  TJson Value() {
    Space();
    if (I >= S.size()) Fail();
    TJson v;
    char c = S[I];
    if (c == '{') {
      v.Kind = TJson::Object;
      ++I;
      Space();
      if (S[I] == '}') return ++I, v;
      while (true) {
        std::string key = String();
        Expect(':');
        v.Keys.push_back(key);
        v.Values.push_back(Value());
        Space();
        if (S[I] == ',') {
          ++I;
          continue;
        }
        Expect('}');
        return v;
      }
    }
    if (c == '[') {
      v.Kind = TJson::Array;
      ++I;
      Space();
      if (S[I] == ']') return ++I, v;
      while (true) {
        v.Items.push_back(Value());
        Space();
        if (S[I] == ',') {
          ++I;
          continue;
        }
        Expect(']');
        return v;
      }
    }
    if (c == '"') {
      v.Kind = TJson::String;
      v.StringValue = String();
      return v;
    }
    if (S.compare(I, 4, "true") == 0) return I += 4, v.Kind = TJson::Bool, v.BoolValue = true, v;
    if (S.compare(I, 5, "false") == 0) return I += 5, v.Kind = TJson::Bool, v;
    if (S.compare(I, 4, "null") == 0) return I += 4, v;
    size_t start = I;
    while (I < S.size() && std::string("+-.eE0123456789").find(S[I]) != std::string::npos) ++I;
    if (start == I) Fail();
    std::string number = S.substr(start, I - start);
    v.Kind = TJson::Number;
    v.NumberValue = std::strtod(number.c_str(), nullptr);
    v.IsInteger = number.find_first_of(".eE") == std::string::npos;
    return v;
  }
};

}  // namespace

const TJson& TJson::operator[](const std::string& key) const {
  for (size_t i = 0; i < Keys.size(); ++i)
    if (Keys[i] == key) return Values[i];
  throw std::runtime_error("no member " + key);
}

TJson ParseJson(const std::string& text) {
  TParser p{text};
  return p.Value();
}

TJson ReadJsonFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + fileName);
  std::stringstream ss;
  ss << in.rdbuf();
  return ParseJson(ss.str());
}

}  // namespace xbtest
