// What a program asks of the codec beyond decoding art, colour tables and
// scaling: the one list of knobs a program sets once, when it makes its
// context (InitCodecContext; InitPaletteContext for a palette of its own).
// The codec tests these options, never which program calls it. Every default
// is the plain behaviour; the programs' own settings, texts included, live
// with the programs (presets/codec_presets.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct CodecOptions {
  // Decoding 4-piece art averages one column, channel by channel, from its
  // two neighbours. 0: the seam between the two columns of pieces
  // (width / 2). Otherwise that column, as long as it has a neighbour on
  // both sides; in narrower art the seam is used.
  int32_t seamColumn = 0;

  // The colour reduction treats a 15-bit display as a 16-bit one (error
  // diffusion to five bits a channel); otherwise 15 bits get no reduction.
  bool fifteenBitsAsSixteen = false;

  // FilterScaleImage blends a logo into the decoded art's bottom-right
  // corner before scaling: "logo1.art" or "logo3.art" by the context's
  // logoKind (-1: none), read from its artDirectory (SetArtDirectory).
  bool logoOverlay = false;

  // The message when the disk has no room for the spot backup file: a printf
  // format with one %c, the drive letter (the first character of the
  // program directory). Null: the codec's own plain text.
  const char* spotDiskFullFormat = nullptr;

  // Opens the spot backup file for reading and writing, emptied. path holds
  // "<programDirectory>\spot.sav" in a buffer of pathSize bytes; an opener
  // that uses another name writes it there (the file of that name is deleted
  // on the way out). Null: the codec opens path itself (fopen "w+bc").
  std::FILE* (*openSpotFile)(char* path, size_t pathSize) = nullptr;

  // The message of a failed allocation: a printf format with %s, the module,
  // then %d, the line. Null: the codec's own text, kOutOfMemoryFormat.
  const char* outOfMemoryFormat = nullptr;

  // Maps the pages of a large new buffer (the wallpaper's frame) in a few
  // calls, before the codec fills it, where the platform can do that faster
  // than taking a fault at each page's first touch. It may do nothing.
  // Null: the pages are mapped as they are first touched.
  void (*mapPages)(void* bytes, size_t size) = nullptr;

  // Receives the codec's trace lines ("MakeDeltas\n" whenever the dither
  // delta tables are built). Null: no trace.
  void (*trace)(const char* line) = nullptr;
};
