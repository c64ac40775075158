// The codec's state for one program: its settings, the decoder's tables and
// scratch, the palette and the spot, in one explicit object instead of
// module variables. A context is used by one thread at a time; a program
// keeps one for the life of the process (tables and scratch planes are made
// on first use and kept).
#pragma once

#include <memory>

#include "base/stdio_file.h"
#include "codec/codec_base.h"
#include "codec/colour_convert.h"
#include "codec/d4_synthesis.h"
#include "codec/huffman.h"
#include "codec/palette.h"
#include "codec/wavelet.h"

// Decoder tables and scratch (D42SAVE).
struct ArtDecoder {
  bool clampBuilt = false;
  ClampTable clamp;          // built at the first decode
  HuffmanDecoder huffman;    // rebuilt for each payload
  SynthesisScratch scratch;  // grown to the largest plane seen
};

// The caption spot: its mask and the backup file "spot.sav".
struct SpotState {
  WaveletPtr mask;  // from LoadSpotMask: pixels hold mask width x height bytes
  StdioFile file;   // open from the first SaveSpot
  char path[kPathSize] = {};
};

struct CodecContext {
  CodecVariant variant = CodecVariant::kSwitcher;

  // Settings the program fills in.
  int displayBitsPerPixel = 24;           // planes x bits a pixel of the display
  int ditherKernel = 2;                   // 0..15; both programs use 2
  bool serpentine = false;                // both programs leave it off
  int logoKind = -1;                      // screen saver: -1 none, 1 "logo1.art", else "logo3.art"
  char artDirectory[kPathSize] = {};      // screen saver: prefix of the logo files
  char programDirectory[kPathSize] = {};  // where "spot.sav" is made

  // Module state.
  ArtDecoder decoder;
  PaletteContext palette;
  SpotState spot;

  // The last failure of a D42SAVE routine (PALETTE routines report in
  // palette.error; routines of this context copy it here when they fail).
  CodecError error;
};

// Prepares a context for a variant with the programs' defaults.
void InitCodecContext(CodecContext* ctx, CodecVariant variant);

// Copies a directory into artDirectory / programDirectory. False when it
// does not fit in 260 characters.
bool SetArtDirectory(CodecContext* ctx, const char* directory);
bool SetProgramDirectory(CodecContext* ctx, const char* directory);
