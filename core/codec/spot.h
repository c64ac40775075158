// The caption spot: a corner rectangle darkened through a grey mask, its
// untouched pixels kept in "spot.sav" so they can be put back (module
// D42SAVE).
#pragma once

#include <cstdint>

#include "codec/codec_base.h"

struct CodecContext;

// Integer HSV of the darkening: H in 1/3840 of 60 degrees (0..23039, -1 for
// black), S in 1/4096, V = max(r, g, b) x 64.
struct SpotHsv {
  int32_t h;
  int32_t s;
  int32_t v;
};
SpotHsv RgbToSpotHsv(int r, int g, int b);
void SpotHsvToRgb(SpotHsv hsv, int* r, int* g, int* b);

// One pixel darkened by mask byte m (0 leaves it alone, 255 makes it black);
// bgr is blue, green, red.
void DarkenPixel(uint8_t* bgr, uint8_t m);

struct SpotRect {
  int32_t left;
  int32_t top;
  int32_t width;
  int32_t height;
};

// Reads the mask art (decoded at once), scales it nearest-neighbour to
// (screenWidth x 320 / 576) x (screenHeight x 258 / 468), each cut down to
// a multiple of 4, and keeps one byte (blue) a pixel as ctx's spot mask. The
// record's width and height become the mask's.
CodecStatus LoadSpotMask(CodecContext* ctx, const char* path, int32_t screenWidth,
                         int32_t screenHeight);

// The spot rectangle of corner in a dw x dh image. False when no mask is
// loaded, corner is not 0..3 or the rectangle does not fit.
bool SpotRectangle(const CodecContext& ctx, int32_t dw, int32_t dh, int corner, SpotRect* rect);

// Corner -1: nothing. Otherwise writes the rectangle's pixels to "spot.sav"
// in ctx->programDirectory (opened on first use, kept open, overwritten from
// the start), then darkens them through the mask. image is 24-bit with rows
// padded to 4 bytes.
CodecStatus SaveSpot(CodecContext* ctx, uint8_t* image, int32_t dw, int32_t dh, int corner);

// Corner -1: *rect all zero. Otherwise reads the saved pixels back into the
// rectangle, reduces the colours of its rows again (full image width, one
// row fewer for bottom corners) and returns the rectangle.
CodecStatus ReplaceSpot(CodecContext* ctx, SpotRect* rect, uint8_t* image, int32_t dw, int32_t dh,
                        int corner);

// Closes "spot.sav"; deletes it too when asked (when the program is done
// with the spot).
void CloseSpotFile(CodecContext* ctx, bool deleteFile);
