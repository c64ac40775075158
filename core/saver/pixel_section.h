// Size arithmetic of the screen saver's picture memory: the paging-file
// section behind the DIB section, into whose end the full-screen saver
// decodes each art before scaling it in place. All sizes are 64-bit, so no
// window or art size overflows them.
#pragma once

#include <cstdint>

#include "codec/scale.h"

// The section is never smaller than this: room to decode an art at its end.
constexpr uint64_t kPixelSectionFloor = kScaleTargetFloor;

// Bytes of one picture row: width x 3 rounded up to a multiple of 4 (0 for
// width <= 0).
uint64_t PictureRowStride(int32_t width);

// The section's size: max(stride x height, 1,048,576); the floor alone for
// sides <= 0.
uint64_t PixelSectionSize(int32_t width, int32_t height);

// Whether a target of targetSize bytes has room to decode an art of
// artWidth x artHeight at its end and scale it in place to dw x dh.
bool ScaleTargetHasRoom(uint64_t targetSize, int32_t artWidth, int32_t artHeight, int32_t dw,
                        int32_t dh);

// Whether LoadArt can bring an art into a picture of width x height in its
// section: full screen scales in place in the section; the preview scales
// into a buffer of its own and copies stride x height bytes, which always
// fit. Memory only: the scaler's own limits on sides are its business.
bool ArtFitsPicture(bool previewMode, int32_t width, int32_t height, int32_t artWidth,
                    int32_t artHeight);

// Whether the saver can show a picture of width x height at all: its caption
// spot mask (width x 320 / 576 and height x 258 / 468, each cut down to a
// multiple of 4) needs at least 4 x 4 pixels, so each side at least 8; and
// no side above 16384 (the mask stays within the largest art side, the
// scaler within its 32767).
constexpr int32_t kMinPictureSide = 8;
constexpr int32_t kMaxPictureSide = 16384;
bool PictureSizeUsable(int32_t width, int32_t height);
