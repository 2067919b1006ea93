#pragma once
// Windows bitmap files (BITMAPFILEHEADER + BITMAPINFOHEADER + colour table + bits) of a
// chosen colour count, made from a bitmap handle with GetDIBits. Colour count 2, 16 or 256
// gives 1, 4 or 8 bits per pixel; any other count keeps the bitmap's own depth, 16 and 32
// bits becoming 24.
#include <cstdint>
#include <vector>

#include "classlib/core/streams.h"
#include "classlib/core/winapi.h"

class TBitmap;

// Fills `header` for `bitmap` at `colors` (size 40, planes 1, no compression, image size
// of 32-bit aligned rows, other fields 0).
void InitBitmapInfoHeader(HBITMAP bitmap, BITMAPINFOHEADER& header, int colors);
// The size of the BITMAPINFO (header and colour table) and of the bits.
void GetDIBSizes(HBITMAP bitmap, int colors, DWORD& infoSize, DWORD& imageSize);
// Fills `info` (GetDIBSizes' info size) and `bits` (its image size); the palette, when
// given, is selected and realised for the call. False when GetDIBits failed.
bool GetDIB(HBITMAP bitmap, HPALETTE palette, void* info, void* bits, int colors);
// The whole file image. Raises Exception for a null bitmap or when GetDIBits fails.
std::vector<std::uint8_t> MakeBitmapFile(HBITMAP bitmap, HPALETTE palette, int colors);
// Writes the file image, with its 4-byte size first when `withSize` is set.
void WriteBitmapFile(TStream* stream, HBITMAP bitmap, HPALETTE palette, int colors, bool withSize);
// Writes the bitmap's file image (a monochrome bitmap as 2 colours) and positions the
// stream at 0.
void SaveBitmapAsDIB(TStream* stream, TBitmap* bitmap, int colors);
