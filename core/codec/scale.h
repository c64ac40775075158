// Image scaling, logo overlay and the DIB header (module D42SAVE).
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/codec_base.h"
#include "codec/wavelet.h"

struct CodecContext;

// A picture made by the scalers. pixels points into the caller's target,
// into the art record, or into `owned`.
struct ScaledImage {
  uint8_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;  // bytes from row to row: width x 3 padded to 4, or
                      // exactly width x 3 for an unscaled decoded art
  ByteBuffer owned;
};

// Row padding of a 24-bit row of width pixels: (4 - (width x 3) mod 4) mod 4.
inline int RowPadding(int32_t width) {
  return (4 - (width * 3) % 4) % 4;
}
inline size_t RowStride(int32_t width) {
  return static_cast<size_t>(width) * 3 + static_cast<size_t>(RowPadding(width));
}

// The least target FilterScaleImage decodes an art into the end of.
constexpr uint64_t kScaleTargetFloor = 1048576;

// Where FilterScaleImage decodes an art of artWidth x artHeight when it
// scales into a target for dw x dh: at max(dw x dh x 3, kScaleTargetFloor)
// minus the decoded art's artWidth x artHeight x 3 bytes. False when the
// decoded art is larger than that span (it would start before the target).
bool DecodeOffsetInTarget(int32_t artWidth, int32_t artHeight, int32_t dw, int32_t dh,
                          uint64_t* offset);

// Bytes a target must have for scaling in place: max(dw x dh x 3,
// kScaleTargetFloor) and RowStride(dw) x max(artHeight, dh) (the pass
// across runs in the target's rows from row dh - artHeight when the art
// grows). 0 for sides <= 0.
uint64_t ScaleTargetBytes(int32_t artWidth, int32_t artHeight, int32_t dw, int32_t dh);

// Decodes art (unless it is decoded already), with options.logoOverlay blends
// the logo of ctx->logoKind into its bottom-right corner, scales it to dw x dh
// with 8-bit bilinear filtering, darkens the spot (corner 0..3, or -1 for
// none) and reduces the colours for ctx->displayBitsPerPixel with
// ctx->ditherKernel. target may be null (the result gets a buffer of its
// own) or a buffer of targetSize >= RowStride(dw) x dh bytes. A requested
// size equal to the art's returns the decoded image itself: unscaled, no
// spot, no colour reduction (rows of exactly width x 3 bytes).
//
// With a target of at least max(dw x dh x 3, kScaleTargetFloor) bytes the art is
// decoded into the end of it, and when the target also holds
// RowStride(dw) x max(height, dh) bytes and the rows filtered across fit
// before the decoded rows still to be read (screens of the art's size and
// larger), both passes run inside the target: no buffer of the image's size
// besides it. Otherwise the passes use buffers of their own. Whatever part of
// the target the result will cover and the decoded art does not is lent to
// the decoder for its working planes (DecodeRoom). The result is the same
// either way.
//
// ctx->cancel, when set, is read between rows: the call then returns
// kStopped with the target half made.
//
// The filter: 16.16 steps (source size x 65536 / destination size), position
// tables of the accumulated step >> 8 (integer part >> 8, weight & 255);
// rows 0 .. height - 2 filtered across, the last source row replaced by
// black; then down the columns from those rows, the result's last row black.
CodecStatus FilterScaleImage(CodecContext* ctx, uint8_t* target, size_t targetSize,
                             WaveletImage* art, int32_t dw, int32_t dh, int32_t spot,
                             ScaledImage* result);

// The 16.16 step from a source side to a destination side:
// source x 65536 / destination.
int32_t ScaleStep(int32_t source, int32_t destination);

// Whether a logo pixel (blue, green, red) is blended in: "logo1.art" pixels
// with any channel above 32, other logos' pixels with any channel below 200.
bool LogoPixelUsed(bool firstLogo, const uint8_t* bgr);

// Nearest-neighbour scaling (for the spot mask); target null or at least
// RowStride(dw) x dh bytes. Pad bytes of a new buffer are zero.
CodecStatus NearestScaleImage(CodecContext* ctx, uint8_t* target, size_t targetSize,
                              WaveletImage* art, int32_t dw, int32_t dh, ScaledImage* result);

// Blends the logo of ctx->logoKind (-1 none, 1 "logo1.art", else
// "logo3.art", read from ctx->artDirectory) into image (rows of exactly
// width x 3 bytes) at corner (bit 0 right, bit 1 bottom, one pixel in from
// those edges). "logo1.art" pixels with any channel above 32 and "logo3.art"
// pixels with any channel below 200 are averaged in; logo pixels outside the
// image are skipped.
CodecStatus OverlayLogo(CodecContext* ctx, uint8_t* image, int32_t width, int32_t height,
                        int corner);

// The Windows BITMAPINFO with one colour entry: a 40-byte BITMAPINFOHEADER
// and one RGBQUAD, field for field, little-endian.
struct DibHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
  uint8_t bmiColors[4];
};
static_assert(sizeof(DibHeader) == 44, "BITMAPINFO with one RGBQUAD is 44 bytes");

// Header for a top-down 24-bit image: size 40, width, -height, 1 plane,
// 24 bits, everything else 0.
DibHeader MakeDibHeader(int32_t width, int32_t height);

// The colour reduction the display gets (shared by the scaler and the spot):
// kernel 0 maps mapRows rows to the palette whatever the depth; otherwise
// ditherRows rows are dithered to five bits a channel on a 16-bit display
// (and a 15-bit one with options.fifteenBitsAsSixteen), to the palette on an
// 8-bit one, and left alone on any other.
CodecStatus ReduceColours(CodecContext* ctx, uint8_t* image, int32_t ditherRows, int32_t mapRows,
                          int32_t width);
