// Colour-table builder: an octree palette of at most N colours for a
// picture, written as a .TR file that ReadColourTable reads back.
//
// Every pixel colour is a leaf at depth 8 whose path digits are its own bits
// (level k: bit 7 - k of red + 2 green + 4 blue). While there are more
// leaves than N, octree nodes are folded into single leaves, deepest level
// first and the nodes with the fewest pixels first. A folded node's colour
// is the mean of its pixels, which lies inside the node's cube, so its path
// is still its own colour's bits and the search finds it exactly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/art_encoder.h"
#include "codec/codec_base.h"
#include "codec/octree.h"

// Colours of a wallpaper's table: they become bitmap entries 1..234; the
// rest of the bitmap's 256 entries are black, white and unused.
constexpr int kWallpaperColours = 234;

struct BuiltPalette {
  int count = 0;
  uint8_t rgb[kMaxPaletteColours][3] = {};  // red, green, blue
  uint8_t path[kMaxPaletteColours][kMaxOctreeDepth] = {};
  uint8_t depth[kMaxPaletteColours] = {};
};

// Builds a palette of 1..256 colours for image.
CodecStatus BuildPalette(const BgrImage& image, int maxColours, BuiltPalette* palette,
                         CodecError* error);

// The .TR text, "R G B - d0 d1 ...\n" a colour (the last line ends too).
// Returns the length; writes at most size - 1 characters and a terminator.
size_t FormatColourTable(const BuiltPalette& palette, char* text, size_t size);

// Longest text FormatColourTable can make, terminator included.
constexpr size_t kMaxColourTableText = kMaxPaletteColours * 32 + 1;
