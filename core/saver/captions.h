// The screen saver's arts (module art): the table of the logo and the five
// card arts with their caption corners, captions and corner logos, and the
// arithmetic of the caption box drawn on the darkened backdrop.
#pragma once

#include <cstdint>

constexpr int kArtCount = 6;
constexpr int kMaxCaptionLength = 127;  // characters, without the terminator

struct ArtRow {
  const char* name;     // base name: artDir + name + ".art" / ".tr"
  int spotCorner;       // -1 no backdrop; bit 0 right edge, bit 1 bottom edge
  const char* caption;  // "\"title\"\nartist", drawn centred in the backdrop
  int logoKind;         // -1 no overlay, 1 "logo1.art", 0 "logo3.art"
};

// Row 0 is the logo ("w-logo", no backdrop, empty caption, no overlay).
extern const ArtRow artTable[kArtCount];

// Caption text colour: RGB 250, 217, 100.
constexpr uint8_t kCaptionRed = 250;
constexpr uint8_t kCaptionGreen = 217;
constexpr uint8_t kCaptionBlue = 100;

// The box DrawCaption writes in, for a picture of width x height: bw = width
// x 320 / 576, bh = height x 258 / 468 (truncating); at the right edge (left
// = width - bw - 1) when bit 0 of the corner is set, else at 0; at the bottom
// (top = height - bh - 1) when bit 1 is set, else at 0. -1 counts as
// bottom-right. The font is bh / 12 pixels high.
struct CaptionBox {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;   // bw
  int32_t height = 0;  // bh
  int32_t fontHeight = 0;
  int32_t right() const { return left + width; }
  int32_t bottom() const { return top + height; }
};
CaptionBox ComputeCaptionBox(int32_t width, int32_t height, int corner);

// The rectangle the text is drawn in once DrawTextA (DT_CALCRECT) measured
// textHeight: the box's left and right, top = box top + bh / 2 - textHeight
// / 2 (each half truncated), bottom = top + textHeight.
struct CaptionTextRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};
CaptionTextRect CenterCaptionText(const CaptionBox& box, int32_t textHeight);
