#pragma once
// The engine's own case tables for the two code pages tables keep their texts in: Windows
// 1251 and DOS 866. Case mapping never uses the system's routine or code page, so a table
// reads alike on every machine.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

enum class TxbCodePage { cp1251, cp866 };
using TxbByteTable = std::array<std::uint8_t, 256>;

const TxbByteTable& UpperCaseTable(TxbCodePage codePage);
const TxbByteTable& LowerCaseTable(TxbCodePage codePage);
// Maps n bytes in place through a table.
void TranslateBytes(char* buffer, std::size_t n, const TxbByteTable& table);
std::string UpperCaseBytes(std::string text, TxbCodePage codePage);
