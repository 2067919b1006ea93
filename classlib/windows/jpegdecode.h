#pragma once
// Decoding a JPEG file's bytes into 32-bit pixels with the JPEG library: baseline and
// progressive, greyscale, YCbCr and RGB pictures. Errors never end the program: the
// library's error exit comes back here, and its warnings of corrupt or missing data count
// as errors too (it would paint the rest grey). Pictures larger than
// kJpegMaxDimension in a dimension, or of another colour space, are refused before their
// pixels are allocated.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kJpegMaxDimension = 8192;

struct TJpegImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;  // top row first, blue, green, red, 255 per pixel
};

// The picture, or false with the reason in Error.
bool DecodeJpeg(const std::uint8_t* Data, std::size_t Size, TJpegImage& Image, std::string& Error);
