// The wallpaper bitmap file the switcher makes from a colour's art: the art
// decoded, scaled to the screen, reduced for the display and written as a
// Windows bitmap ("BM") file in the display's own depth with the art's
// colour table.
//
//   offset 0     file header, 14 bytes: "BM", file size, 0, pixel offset 1078
//   offset 14    BITMAPINFOHEADER, 40 bytes: width, height (positive: rows
//                bottom-up), 1 plane, bits a pixel, no compression, image
//                bytes, pixels a metre, 256 colours used, 236 important
//   offset 54    colour table, 256 x (blue, green, red, reserved): entry 0
//                black, entries 1..254 the art's palette entries 0..253,
//                entry 235 white with reserved 255
//   offset 1078  pixels, rows padded to 4 bytes, bottom-up; the scaler's last
//                (black) row is stored last, so it shows at the top
//
// Pixels: 8 bits, the palette index of the nearest colour + 1; 16 bits, the
// 5-5-5 word ((red x 32 | green) x 4) | blue >> 3 of the top five bits of
// each channel; 24 bits, blue, green, red. Displays of 32 bits a pixel, or
// any depth but 8 and 16, get a 24-bit file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/codec.h"

constexpr size_t kWallpaperFileHeaderBytes = 14;
constexpr size_t kWallpaperInfoHeaderBytes = 40;
constexpr size_t kWallpaperColourTableBytes = 1024;
constexpr size_t kWallpaperHeaderBytes =
    kWallpaperFileHeaderBytes + kWallpaperInfoHeaderBytes + kWallpaperColourTableBytes;
constexpr int kWallpaperMaxColours = 234;  // pixel indexes 1..234; 235 is white

struct WallpaperScreen {
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 0;  // the display's bits a pixel
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
};

// Bits a pixel of the file for a display depth.
int32_t WallpaperFileDepth(int32_t displayDepth);
// Bytes of one stored row, padded to 4.
size_t WallpaperRowBytes(int32_t width, int32_t fileDepth);

struct WallpaperBitmap {
  uint8_t headers[kWallpaperHeaderBytes] = {};  // file header, info header, colour table
  ByteBuffer pixels;                            // at least imageBytes
  size_t imageBytes = 0;
};

// Fills the file and information headers (not the colour table).
void FillWallpaperHeaders(const WallpaperScreen& screen, size_t imageBytes, uint8_t* headers);

// Reads the colour table, fills the 256-entry bitmap colour table, converts
// the scaled 24-bit image (rows `stride` bytes apart) in place to the file's
// depth with rows padded to 4 bytes, and puts the rows in bitmap order.
// Returns the image bytes in *imageBytes.
CodecStatus BuildBitmapBits(CodecContext* ctx, uint8_t* image, size_t stride, int32_t width,
                            int32_t height, int32_t fileDepth, uint8_t* colourTable,
                            const char* tablePath, size_t* imageBytes);

// The whole making: ReadWavelet, ReadColourTable, FilterScaleImage to the
// screen (no spot; the context's kernel and displayBitsPerPixel decide the
// reduction), ReleaseWavelet, BuildBitmapBits. Failures name the file.
CodecStatus MakeWallpaperBitmap(CodecContext* ctx, const char* artPath, const char* tablePath,
                                const WallpaperScreen& screen, WallpaperBitmap* out);
