#include "classlib/core/codepage.h"

#include <array>

#include "classlib/core/unicode.h"

namespace {

// Upper halves (0x80..0xFF) of the code pages; the lower halves are ASCII. Byte 0x98 of
// 1251 has no character and maps to U+0098, so every byte survives a round trip.
constexpr char16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0: А..
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // ..Я
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0: а..
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // ..я
};

constexpr char16_t kCp866High[128] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // 80: А..
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // ..Я
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // A0: а..п
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0: box drawing
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // E0: р..я
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,  // F0: Ё ё Є є Ї ї Ў ў
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,  // ° ∙ · √ № ¤ ■ nbsp
};

// The reverse of a table: a character's byte, or 0 when the page lacks it.
unsigned char EncodeChar(const char16_t (&high)[128], char32_t c) {
  if (c < 0x80) return static_cast<unsigned char>(c);
  for (int i = 0; i < 128; ++i)
    if (high[i] == c) return static_cast<unsigned char>(0x80 + i);
  return 0;
}

std::string Decode(const char16_t (&high)[128], std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    auto b = static_cast<unsigned char>(ch);
    AppendUtf8(out, b < 0x80 ? char32_t(b) : char32_t(high[b - 0x80]));
  }
  return out;
}

std::string Encode(const char16_t (&high)[128], std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    bool valid;
    char32_t c = NextUtf8Char(utf8, i, valid);
    unsigned char b = valid ? EncodeChar(high, c) : 0;
    out.push_back(b || c == 0 ? static_cast<char>(b) : '?');
  }
  return out;
}

// Byte-to-byte table from one page to the other, through Unicode.
using ByteMap = std::array<unsigned char, 256>;
ByteMap MakeByteMap(const char16_t (&from)[128], const char16_t (&to)[128]) {
  ByteMap map{};
  for (int b = 0; b < 256; ++b) {
    if (b < 0x80) {
      map[b] = static_cast<unsigned char>(b);
    } else {
      unsigned char t = EncodeChar(to, from[b - 0x80]);
      map[b] = t ? t : '?';
    }
  }
  return map;
}

std::string MapBytes(const ByteMap& map, std::string_view bytes) {
  std::string out(bytes.size(), '\0');
  for (size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<char>(map[static_cast<unsigned char>(bytes[i])]);
  return out;
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view cp1251) { return Decode(kCp1251High, cp1251); }
std::string Utf8ToCp1251(std::string_view utf8) { return Encode(kCp1251High, utf8); }
std::string Cp866ToUtf8(std::string_view cp866) { return Decode(kCp866High, cp866); }
std::string Utf8ToCp866(std::string_view utf8) { return Encode(kCp866High, utf8); }

bool FitsCp1251(std::string_view utf8) {
  for (size_t i = 0; i < utf8.size();) {
    bool valid;
    char32_t c = NextUtf8Char(utf8, i, valid);
    if (!valid || (c != 0 && EncodeChar(kCp1251High, c) == 0)) return false;
  }
  return true;
}

std::string Cp1251ToCp866(std::string_view cp1251) {
  static const ByteMap map = MakeByteMap(kCp1251High, kCp866High);
  return MapBytes(map, cp1251);
}

std::string Cp866ToCp1251(std::string_view cp866) {
  static const ByteMap map = MakeByteMap(kCp866High, kCp1251High);
  return MapBytes(map, cp866);
}
