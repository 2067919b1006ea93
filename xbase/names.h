#pragma once
// Small name and text helpers of the engine (in their own namespace: the class library has
// routines of the same names that work differently).
#include <cstddef>
#include <string>
#include <string_view>

#include "xbase/casetables.h"

namespace xbase {

// Keeps a name that has an extension, otherwise adds ext (".DBF").
std::string DefaultExtension(std::string_view name, std::string_view ext);
// The name after the last folder separator or ":", without its extension.
std::string BaseFileName(std::string_view name);
// Pads text with ch up to n characters.
void PadText(std::string& text, char ch, std::size_t n);
// Drops trailing blanks.
void TrimText(std::string& text);
// Upper-cases n bytes by the code page's table.
void UpperText(char* buffer, std::size_t n, TxbCodePage codePage = TxbCodePage::cp1251);
// Byte comparison (< 0, 0, > 0).
int CompareText(std::string_view a, std::string_view b);
// The same, folding only "a".."z".
int CompareTextNoCase(std::string_view a, std::string_view b);

}  // namespace xbase
