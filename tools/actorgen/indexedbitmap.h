#pragma once
// Writes an 8-bit bitmap file: pixels top row first, one palette index each; the palette
// has up to 256 colours (the rest black).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

void WriteIndexedBitmap(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels,
                        const std::vector<std::array<std::uint8_t, 3>>& colours);
