#pragma once
// The LZRW1-KH chunk codec: one chunk of at most LzrwChunkSize input bytes becomes a flag
// byte (0x40 compressed, 0x80 stored) and, when compressed, 16-item control words (most
// significant bit first) with literal, copy (12-bit offset, length 3..18) and run items.
// Every multi-byte field inside a chunk is most significant byte first.
#include <cstddef>
#include <cstdint>

constexpr std::size_t LzrwChunkSize = 32781;  // the most input bytes one chunk holds
constexpr std::uint8_t LzrwCompressedFlag = 0x40;
constexpr std::uint8_t LzrwStoredFlag = 0x80;

// Room the compressor needs for `sourceSize` input bytes: the loop may overshoot the input
// size by one control word and one run item before it falls back to the stored form.
constexpr std::size_t LzrwCompressBound(std::size_t sourceSize) { return sourceSize + 6; }

// Compresses `sourceSize` (at most LzrwChunkSize) bytes into `dest`, which holds
// LzrwCompressBound(sourceSize) bytes; returns the chunk length. Data that does not shrink
// is stored: the chunk is then never more than one byte longer than its input.
std::size_t Lzrw1KhCompress(const std::uint8_t* source, std::uint8_t* dest, std::size_t sourceSize);

// Decompresses one chunk of `sourceSize` bytes into `dest` and returns the number of bytes
// produced. Never reads past the chunk nor writes past `destCapacity`: a truncated item, a
// copy reaching before the start of the output or output beyond the capacity raise
// EReadError. Bytes of `dest` after the result (within the capacity) may be overwritten.
std::size_t Lzrw1KhDecompress(const std::uint8_t* source, std::uint8_t* dest, std::size_t sourceSize,
                              std::size_t destCapacity);
