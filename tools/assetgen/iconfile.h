// Windows icon (.ico) and cursor (.cur) files: a directory of device-
// independent pictures, each a BITMAPINFOHEADER of double height, its colour
// table, the colour (XOR) rows and the 1-bit transparency (AND) rows, both
// bottom-up with rows padded to 4 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

// One picture of an icon or cursor: straight colours and a shown/clear flag
// per pixel, top row first.
struct IconPicture {
  int size = 0;  // width and height
  int bitsPerPixel = 8;
  std::vector<Rgb> colours;
  std::vector<uint8_t> shown;  // 1 = opaque, 0 = the screen shows through
};

// From a layer: pixels at least half covered are shown, with their colour.
IconPicture PictureFromLayer(const Layer& layer, int bitsPerPixel);

struct Hotspot {
  int x = 0, y = 0;
};

// The file bytes. Icons: 1, 4 or 8 bits a pixel. A cursor's directory entries
// carry the hotspot where an icon's carry planes and bit count.
std::vector<uint8_t> EncodeIconFile(const std::vector<IconPicture>& pictures);
std::vector<uint8_t> EncodeCursorFile(const std::vector<IconPicture>& pictures, Hotspot hotspot);

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);
