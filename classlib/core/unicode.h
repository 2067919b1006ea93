#pragma once
// UTF-8 inside, UTF-16 at the Win32 boundary. Invalid sequences become U+FFFD.
#include <string>
#include <string_view>

std::wstring Utf8ToWide(const std::string& s);
std::string WideToUtf8(const std::wstring& s);
// The same for 16-bit text that does not come as wchar_t (for example from a stream).
std::u16string Utf8ToUtf16(const std::string& s);
std::string Utf16ToUtf8(const std::u16string& s);

// One character at a time, for routines that map characters (case, code pages).
// Reads the character at `pos` and moves `pos` past it. An invalid or truncated sequence
// reads as one byte: `valid` is then false and the result is that byte's value.
char32_t NextUtf8Char(std::string_view s, size_t& pos, bool& valid);
void AppendUtf8(std::string& out, char32_t c);
// The longest start of `s` within `maxBytes` bytes that ends at a character boundary.
std::string_view Utf8Truncate(std::string_view s, size_t maxBytes);
// Whole texts as code points (editing by character position).
std::u32string Utf8ToUtf32(std::string_view s);
std::string Utf32ToUtf8(const std::u32string& s);
