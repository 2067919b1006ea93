#pragma once
// The control kit's stream layouts: the block stream of LZRW1-KH chunks and the small
// flagged routines (flag byte, integer, short string, sized or compressed blocks) that the
// kit's bitmaps, string lists and waves are written with. All little-endian.
#include <cstdint>

#include "classlib/core/streams.h"

class TBitmap;
class TStrings;
class TKitWave;

// Block stream: a 4-byte total (the bytes that follow it), then chunks, each a 4-byte
// length and the chunk, every chunk holding the next up to LzrwChunkSize source bytes.
// Raises EReadError when the source ends before `count` bytes.
void WriteCompressedBlocks(TStream* source, TStream* dest, std::int64_t count);
// Appends the decompressed bytes to `dest`. Totals and lengths are checked against what
// the source holds before anything is read into a buffer: a bad one raises EReadError.
void ReadCompressedBlocks(TStream* source, TStream* dest);

void WriteFlag(TStream* stream, std::uint8_t flag);
std::uint8_t ReadFlag(TStream* stream);
void WriteInt(TStream* stream, std::int32_t value);
std::int32_t ReadInt(TStream* stream);
// One length byte, then the characters in code page 1251 (one byte each; characters it
// lacks become '?'). More than 255 characters raise EWriteError: the length byte could not
// hold the length.
void WriteShortString(TStream* stream, const String& s);
String ReadShortString(TStream* stream);

// The two ways an object's own stream form travels: compressed, a block stream of it;
// else a sized block (a 4-byte length, then the bytes). `form` is written from its start.
void WriteFlaggedForm(TStream* stream, TCustomMemoryStream* form, bool compressed);
// Reads what WriteFlaggedForm wrote into `form` (cleared first), positioned at 0.
void ReadFlaggedForm(TStream* stream, TMemoryStream* form, bool compressed);

// A string list in its own stream form (TStrings::SaveToStream: UTF-8 lines with CRLF),
// compressed or as a sized block. Reading replaces the list's lines.
void WriteFlaggedStrings(TStream* stream, TStrings* strings, bool compressed);
void ReadFlaggedStrings(TStream* stream, TStrings* strings, bool compressed);

// A bitmap (Windows only). Colors -1: the bitmap's own stream form; 0: a bitmap file at
// its own depth (16 and 32 bits as 24); 2, 16 or 256: a bitmap file of 1, 4 or 8 bits.
// Compressed, a block stream of it (a monochrome bitmap as 2 colours); else a 4-byte length
// and the bytes. A bitmap without a picture has no file of a colour count: Exception.
void WriteFlaggedBitmap(TStream* stream, TBitmap* bitmap, bool compressed, int colors);
// Replaces the bitmap's picture with the one read (none when the block is empty).
void ReadFlaggedBitmap(TStream* stream, TBitmap* bitmap, bool compressed);

// A wave (TKitWave) in its two stream forms: compressed, a block stream of its image;
// else a 4-byte size and the image. Reading replaces the wave's sound.
void WriteFlaggedWave(TStream* stream, TKitWave* wave, bool compressed);
void ReadFlaggedWave(TStream* stream, TKitWave* wave, bool compressed);
