// libjpeg-turbo as the benchmarks' peer: a picture to JPEG bytes in memory
// and back to BGR rows.
#pragma once

#include <cstdint>
#include <vector>

#include "sample_picture.h"

// Baseline JPEG of the picture at quality (libjpeg's default 4:2:0 chroma);
// optimised Huffman tables when asked.
std::vector<uint8_t> EncodeJpeg(const Picture& picture, int quality, bool optimizeCoding);

// Decodes into *out, which holds the picture's width x height x 3 bytes;
// false when the bytes are not a JPEG.
bool DecodeJpeg(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>* out);
