#pragma once
// Small portable routines the grid, calendar and calculator controls share: text
// replacement and shortening, and where a cell of an image strip lies.
#include <functional>
#include <string>
#include <string_view>

#include "classlib/core/geometry.h"

// Text with every occurrence of Search replaced by Replacement, scanning left to right
// without looking into what was put in ("aaa", "aa" → "b" gives "ba"); an empty Search
// returns Text unchanged.
std::string ReplaceAll(std::string_view Text, std::string_view Search, std::string_view Replacement);

// Text cut from its end, whole UTF-8 characters at a time, with "..." appended, until
// TextWidth of it is at most MaxWidth. A text that fits comes back as it is; when not even
// "..." with one character fits, the result is "...".
std::string ShortenText(std::string_view Text, int MaxWidth, const std::function<int(std::string_view)>& TextWidth);

// The rectangle of cell Index of an image Width x Height cut into Cols x Rows equal cells,
// row by row. Cols and Rows below 1 count as 1; an Index below 0 is cell 0 and one past the
// last cell is the last cell, so the rectangle always lies inside the image.
TRect BitmapCellRect(int Width, int Height, int Cols, int Rows, int Index);

// A colour's RGB value marked palette-relative (bit 25), as GDI takes it.
constexpr unsigned PaletteRelative(unsigned Color) { return (Color & 0x00FFFFFFu) | 0x02000000u; }
