// The .ART writer: a 24-bit picture to the format ArtHeader describes.
//
// Per piece and plane: colour transform to Y'/U'/V' aimed at the decoder's
// clamp table, the plane's mean taken out as the piece offset, the forward
// D4 transform (the transpose of the fixed-point synthesis, so it inverts
// it), a dead-zone quantiser whose step is a multiple of 16 below the top
// qualities so that coefficients come out as 16m or -1 - 16m (single-byte
// run-length codes 0x20-0x3F and 0x60-0x7F, the rest of the word a run of
// 0x00 or 0xFF), the offsets corrected against the real fixed-point
// synthesis, then the run-length code and a Huffman code built from the
// stream's byte frequencies. The result is decoded once more to check it.
// That is the fixed-step method; the rate-distortion method
// (art_encoder_rd.h) shares its colour planes and transform and chooses the
// coefficients and the run-length codes by their price.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/codec_base.h"

// A 24-bit picture: blue, green, red bytes, rows stride bytes apart.
struct BgrImage {
  const uint8_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;
};

// How the encoder spends its bits. The file format is the same either way.
enum class EncodeMethod {
  // One quantiser step per plane, set by the quality. Fast; the product's
  // art recipes are written for it.
  kFixedSteps,
  // Every coefficient chosen for its error against the bits it costs in the
  // run-length and Huffman layers, in rounds that refit the prices to the
  // stream. Several times slower; far fewer bytes at the same error.
  kRateDistortion,
};

enum class ChromaLayout {
  kHalved,  // chroma planes at half the luma side
  kFull,    // chroma planes at the luma side
  kChoose,  // whichever pays at the quality's trade-off (rate-distortion only)
};

struct EncodeOptions {
  // 1..100; 100 is close to lossless. The two methods read it differently:
  // the same quality gives the rate-distortion method a finer step.
  int quality = 75;
  // 1, or 4 (width and height even, width/2 <= height < width); 0: whichever
  // of the two pays, where the shape allows it (rate-distortion only).
  int pieces = 1;
  ChromaLayout chroma = ChromaLayout::kHalved;
  int maxLevels = 7;  // transform levels at most (fewer when the side allows fewer)
  EncodeMethod method = EncodeMethod::kFixedSteps;
};

struct EncodeStats {
  int pieces = 0;
  int32_t baseSize = 0;
  int levels = 0;
  bool chromaHalved = false;
  int lumaStep = 0;
  int chromaStep = 0;
  size_t streamBytes = 0;  // run-length stream (packedSize)
  size_t fileBytes = 0;
  double psnr = 0;  // of the decoded result against the input, all channels
};

// Encodes image into the bytes of an .ART file. Errors for shapes the
// format cannot hold (1 piece: height <= width; 4 pieces: even sides,
// width / 2 <= height < width) and for bad options (kChoose needs the
// rate-distortion method). stats may be null.
CodecStatus EncodeWavelet(const BgrImage& image, const EncodeOptions& options, ByteBuffer* file,
                          EncodeStats* stats, CodecError* error);

// The best art that fits in maxBytes: the highest quality whose file is at
// most that long (a search over the qualities; each try is a whole
// encode). options.quality is ignored. kBadArgument when even quality 1
// does not fit.
CodecStatus EncodeWaveletToSize(const BgrImage& image, const EncodeOptions& options,
                                size_t maxBytes, ByteBuffer* file, EncodeStats* stats, int* quality,
                                CodecError* error);

// Forward D4 transform of one side x side plane down to baseSize, laid out
// as the decoder expects (exposed for tests). False, with the plane
// untouched, when its work plane cannot be allocated.
bool ForwardTransformPlane(double* plane, int side, int baseSize);

// Run-length code of bytes (the decoder's table read backwards). Returns the
// code length; out must hold RunLengthBound(size) bytes, size + (size + 2) / 3
// (4 bytes for 3 at worst).
size_t RunLengthBound(size_t size);
size_t EncodeRunLength(const uint8_t* bytes, size_t size, uint8_t* out);

// Huffman-codes stream (its tree first) into out, followed by 8 zero bytes so
// that decoders reading whole words never stop short. Returns the payload
// length; out must hold HuffmanBound(size) bytes.
size_t HuffmanBound(size_t size);
size_t EncodeHuffman(const uint8_t* stream, size_t size, uint8_t* out);
