// The five colour themes as designed: window colours, fonts and sizes.
#pragma once

#include <cstdint>

#include "colours.h"

struct FontDesign {
  const char* face;
  int32_t height;  // character height in pixels (written as a negative lfHeight)
  int32_t weight;  // 400 normal, 700 bold
};

struct FontSet {
  FontDesign caption, smallCaption, menu, status, message, icon;
};

// Sizes in pixels. Bars are a few pixels taller than their font's cell so
// that the system keeps them as given.
struct SizeSet {
  int32_t borderWidth, scrollWidth, captionWidth, captionHeight;
  int32_t smallCaptionWidth, smallCaptionHeight, menuWidth, menuHeight;
  int32_t iconSpacing;
};

struct ThemeDesign {
  Colour colour;
  // 0xRRGGBB by theme key, in the order of the "Control Panel\Colors" keys.
  uint32_t colours[25];
  FontSet fonts;
  SizeSet sizes;
};

const ThemeDesign& DesignOf(Colour colour);

// WCAG 2 contrast ratio of two 0xRRGGBB colours, 1..21.
double ContrastRatio(uint32_t a, uint32_t b);

// Text and background keys whose contrast must reach 4.5:1.
struct ContrastPair {
  const char* text;
  const char* background;
};
constexpr int kContrastPairCount = 7;
extern const ContrastPair kContrastPairs[kContrastPairCount];
