#include "saver/captions.h"

// The card titles are those the arts were painted for.
const ArtRow artTable[kArtCount] = {
    {"w-logo", -1, "", -1},
    {"0340", 3, "\"Ivory Spires\"\nOrsola Venmark", 1},
    {"0893", 3, "\"Tidecaller's Reach\"\nBrannoc Dellisande", 1},
    {"0930", 3, "\"Corvane Roost\"\nIlvy Marchetal", 1},
    {"0793", 3, "\"Emberfall Caldera\"\nTeodrin Kasselwode", 0},
    {"0731", 3, "\"Glade of First Light\"\nMaelis Oarburrow", 0},
};

CaptionBox ComputeCaptionBox(int32_t width, int32_t height, int corner) {
  CaptionBox box;
  // 64-bit products: a side times 320 or 258 need not fit in 32 bits.
  box.width = static_cast<int32_t>(static_cast<int64_t>(width) * 320 / 576);
  box.height = static_cast<int32_t>(static_cast<int64_t>(height) * 258 / 468);
  box.left = (corner & 1) ? width - box.width - 1 : 0;
  box.top = (corner & 2) ? height - box.height - 1 : 0;
  box.fontHeight = box.height / 12;
  return box;
}

CaptionTextRect CenterCaptionText(const CaptionBox& box, int32_t textHeight) {
  CaptionTextRect r;
  r.left = box.left;
  r.right = box.right();
  r.top = box.top + box.height / 2 - textHeight / 2;
  r.bottom = r.top + textHeight;
  return r;
}
