#pragma once
// The two Cyrillic code pages that file formats keep: Windows 1251 (ANSI) and DOS 866 (OEM).
// Our own tables, so the result never depends on the system's locale. Text inside the
// program is UTF-8; these convert at the edges.
#include <string>
#include <string_view>

std::string Cp1251ToUtf8(std::string_view cp1251);
// Characters that code page 1251 lacks, and bytes that are no valid UTF-8, become '?'.
std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp866ToUtf8(std::string_view cp866);
std::string Utf8ToCp866(std::string_view utf8);
// Whether every character of the text has a place in code page 1251.
bool FitsCp1251(std::string_view utf8);

// ANSI <-> OEM for Cyrillic bytes: 1251 to 866 and back, byte for byte (same length);
// a character the target lacks becomes '?'.
std::string Cp1251ToCp866(std::string_view cp1251);
std::string Cp866ToCp1251(std::string_view cp866);
