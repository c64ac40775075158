// Art files in memory and the wavelet decoder (module D42SAVE).
//
// ReadWavelet checks the whole header against the file (at most
// kMaxArtFileSize bytes) before anything else is allocated; DecodeWavelet
// checks the Huffman tree and that the run-length stream makes every piece
// before it allocates anything of the picture's size. Past those checks a
// file always decodes (colour values beyond the clamp table saturate), so a
// refused file never costs the picture's memory. A bad file is an error in
// the context (never a crash and never an access outside a buffer). Files of
// 1 and 4 pieces are supported; 16-piece files are rejected with "...
// 16-piece art is not supported" (their offsets for pieces 4 to 15 and their
// quarter-size chroma are not defined by the format).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/path_size.h"
#include "codec/art_format.h"
#include "codec/codec_base.h"

struct CodecContext;

// Decoded images get this much zeroed slack after imageSize bytes.
constexpr size_t kDecodeSlack = 1000;

struct WaveletImage {
  ArtHeader header = {};          // as read; width and height doubled for 4 pieces
  char fileName[kPathSize] = {};  // the path (or memory name) it was read from
  ByteBuffer payload;             // the file's bytes after the header
  int32_t payloadSize = 0;        // file length - 108
  int32_t decoded = 0;            // 1 when pixels holds the decoded image
  ByteBuffer pixels;              // imageSize + 1000 bytes when decoded; for the
                                  // spot mask, one byte a pixel
};

struct WaveletDeleter {
  void operator()(WaveletImage* art) const;
};
using WaveletPtr = std::unique_ptr<WaveletImage, WaveletDeleter>;

// Reads an art file: the header (width and height doubled for 4 pieces) and
// the payload; decodes it into pixels at once when decodeNow is set.
// Errors: "File %s could not be opened: EXITING\r\n", "wavelet pieces has
// illegal value: %d", and for a damaged file a message naming it.
CodecStatus ReadWavelet(CodecContext* ctx, const char* path, bool decodeNow, WaveletPtr* art);

// The same from the bytes of a file in memory; name stands for the path.
CodecStatus ReadWaveletFromMemory(CodecContext* ctx, const uint8_t* bytes, size_t size,
                                  const char* name, bool decodeNow, WaveletPtr* art);

// Bytes a caller lends the decoder for its working planes (the coefficients
// of a piece and the synthesis rows), so that memory about to be filled
// anyway, such as the part of a scaler's target the decoded art does not
// occupy, is touched once instead of fresh planes being allocated. Whatever
// it held is overwritten. Planes that do not fit are allocated as usual.
struct DecodeRoom {
  uint8_t* bytes = nullptr;
  size_t size = 0;
};

// Decodes into target (at least imageSize bytes): width x height pixels of
// blue, green, red, rows of exactly width x 3 bytes. The record is unchanged.
// room must not overlap target.
CodecStatus DecodeWavelet(CodecContext* ctx, const WaveletImage& art, uint8_t* target,
                          size_t targetSize, DecodeRoom room = DecodeRoom());

// Decodes into a new zero-filled buffer of imageSize + 1000 bytes.
CodecStatus DecodeWavelet(CodecContext* ctx, const WaveletImage& art, ByteBuffer* image,
                          DecodeRoom room = DecodeRoom());

// Frees the record with its payload and pixels. Returns 0.
int ReleaseWavelet(WaveletImage* art);
