// Pictures on disk for the native tools, tests and benchmarks: PNG (libpng),
// BMP and binary PPM, read into and written from 24-bit blue, green, red rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> bgr;  // rows of exactly width x 3 bytes

  size_t stride() const { return static_cast<size_t>(width) * 3; }
};

enum class PictureFormat { kUnknown, kPng, kBmp, kPpm };

// By extension (.png, .bmp, .ppm or .pnm), case-insensitive.
PictureFormat PictureFormatFromPath(const std::string& path);

// Reads any of the three formats, recognised by their first bytes. PNG of
// any colour type (alpha is composited on black), BMP of 8 (palette), 24 or
// 32 bits uncompressed, PPM "P6" with maxval 255.
bool ReadPicture(const std::string& path, Picture* picture, std::string* error);

// Writes bgr (rows stride bytes apart) in the format of the extension.
bool WritePicture(const std::string& path, const uint8_t* bgr, int32_t width, int32_t height,
                  size_t stride, std::string* error);

// The same for encoded bytes in memory (BMP and PPM only; PNG through files).
bool DecodeBmp(const uint8_t* data, size_t size, Picture* picture, std::string* error);
bool DecodePpm(const uint8_t* data, size_t size, Picture* picture, std::string* error);
std::vector<uint8_t> EncodeBmp(const uint8_t* bgr, int32_t width, int32_t height, size_t stride);
std::vector<uint8_t> EncodePpm(const uint8_t* bgr, int32_t width, int32_t height, size_t stride);
