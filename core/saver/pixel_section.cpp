#include "saver/pixel_section.h"

namespace {

uint64_t Max(uint64_t a, uint64_t b) {
  return a > b ? a : b;
}

bool SidesOk(int32_t a, int32_t b, int32_t c, int32_t d) {
  return a > 0 && b > 0 && c > 0 && d > 0;
}

}  // namespace

uint64_t PictureRowStride(int32_t width) {
  if (width <= 0) return 0;
  return (static_cast<uint64_t>(width) * 3 + 3) & ~static_cast<uint64_t>(3);
}

uint64_t PixelSectionSize(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return kPixelSectionFloor;
  return Max(PictureRowStride(width) * static_cast<uint64_t>(height), kPixelSectionFloor);
}

bool ScaleTargetHasRoom(uint64_t targetSize, int32_t artWidth, int32_t artHeight, int32_t dw,
                        int32_t dh) {
  uint64_t offset = 0;
  return DecodeOffsetInTarget(artWidth, artHeight, dw, dh, &offset) &&
         targetSize >= ScaleTargetBytes(artWidth, artHeight, dw, dh);
}

bool ArtFitsPicture(bool previewMode, int32_t width, int32_t height, int32_t artWidth,
                    int32_t artHeight) {
  if (!SidesOk(width, height, artWidth, artHeight)) return false;
  if (previewMode) return true;
  return ScaleTargetHasRoom(PixelSectionSize(width, height), artWidth, artHeight, width, height);
}

bool PictureSizeUsable(int32_t width, int32_t height) {
  return width >= kMinPictureSide && height >= kMinPictureSide && width <= kMaxPictureSide &&
         height <= kMaxPictureSide;
}
