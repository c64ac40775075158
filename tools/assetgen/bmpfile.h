// An 8-bit Windows bitmap file: BITMAPFILEHEADER, BITMAPINFOHEADER, a full
// 256-entry colour table and the pixel rows directly after it, bottom-up.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// indexes: width x height palette indexes, top row first. colours: up to 256
// red, green, blue entries; the rest of the table is black.
std::vector<uint8_t> EncodeBitmap8(const std::vector<uint8_t>& indexes, int width, int height,
                                   const std::vector<std::array<uint8_t, 3>>& colours);
