// The rate-distortion method of the .ART writer (EncodeMethod::
// kRateDistortion).
//
// Per piece and plane, as the fixed-step method: the decoder's colour
// planes, the visible mean taken out, the forward transform. The rows a
// piece never shows blend back to its first row, and count for nothing in
// the error. Then, for a nominal step set by the quality:
//   - each plane gets the step that gives every plane the same error per
//     bit (its error weight through the colour conversion);
//   - rounds of choosing every coefficient for squared error plus lambda
//     times its bits (art_quantise.h) under the prices of the last round's
//     stream, and coding the bytes by the cheapest run-length parse under
//     those prices (art_entropy.h);
//   - the offsets corrected against the real fixed-point synthesis, and the
//     Huffman code of the final stream.
// With ChromaLayout::kChoose both layouts are made and the one with the
// lower error plus lambda times its bits is kept.
#pragma once

#include <cstddef>
#include <cstddef>
#include <cstdint>

#include "codec/art_encoder.h"

// options (but for the quality) are checked by the caller; side and levels
// follow from them.
// *cost (may be null) gets the squared error plus lambda times the bits,
// by which layouts are compared.
CodecStatus EncodeRateDistortion(const BgrImage& image, const EncodeOptions& options, int32_t side,
                                 int levels, ByteBuffer* file, EncodeStats* stats, double* cost,
                                 CodecError* error);

// The art with the least error that fits in maxBytes, searching the step
// on a continuous scale for each layout. *quality (may be null) gets the
// nearest whole quality of the step found.
CodecStatus EncodeRateDistortionToSize(const BgrImage& image, const EncodeOptions& options,
                                       int32_t side, int levels, size_t maxBytes, ByteBuffer* file,
                                       EncodeStats* stats, int* quality, CodecError* error);
