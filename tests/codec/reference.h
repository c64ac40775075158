// Plain, slow implementations written straight from the formulas, for
// checking the codec's optimised code on inputs nobody computed by hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Floor division for any signs.
int64_t FloorDiv(int64_t a, int64_t b);

// Colour conversion of one pixel: returns blue, green, red.
void ReferenceConvert(int64_t y, int64_t u, int64_t v, uint8_t bgr[3]);

// 1-D synthesis of one line, defining form with wrap (no overflow expected).
std::vector<int32_t> ReferenceSynthesis(const std::vector<int32_t>& low,
                                        const std::vector<int32_t>& high);

// FilterScaleImage's two passes (no spot, no reduction): result rows padded
// to 4 bytes with zero pad bytes.
std::vector<uint8_t> ReferenceFilterScale(const std::vector<uint8_t>& src, int width, int height,
                                          int dw, int dh);

// NearestScaleImage: rows padded to 4 bytes, pad bytes zero.
std::vector<uint8_t> ReferenceNearestScale(const std::vector<uint8_t>& src, int width, int height,
                                           int dw, int dh);

// Error diffusion of a padded 24-bit image in place. quantise maps a
// 0x00RRGGBB colour (never pure black or white) to its reduced colour.
void ReferenceDither(std::vector<uint8_t>* image, int rows, int width, int pad, int kernel,
                     bool serpentine, const std::function<uint32_t(uint32_t)>& quantise);
