#pragma once
// UTF-8 inside, UTF-16 at the Win32 boundary. Invalid sequences become U+FFFD.
#include <string>

std::wstring Utf8ToWide(const std::string& s);
std::string WideToUtf8(const std::wstring& s);
// The same for 16-bit text that does not come as wchar_t (for example from a stream).
std::u16string Utf8ToUtf16(const std::string& s);
std::string Utf16ToUtf8(const std::u16string& s);
